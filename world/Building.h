#pragma once
// Building: every structure of a level, the player's base and the enemy's camps, nests and
// turrets alike. One class serves them all: what a building does is chosen by the flag bits of
// its definition, a BuildItem of the build catalogue (world/BuildItem.h).
#include "platform/PooledList.h"
#include "world/Entity.h"

#include <cstdio>

class Agent;
class AgentType;
class Button;
class BuildItem;
class Building;
class PlayerProfile;
class Window;

// Building::stateFlags
constexpr uint32_t BUILDING_SPAWNER_EXHAUSTED = 0x2;
constexpr uint32_t BUILDING_RALLY_POINT = 0x4;
constexpr uint32_t BUILDING_VENT_DEPLETED = 0x10;
constexpr uint32_t BUILDING_PREVIEW = 0x20;  // the copy shown while the player places a building
constexpr uint32_t BUILDING_POWER_LEVEL_1 = 0x80;
constexpr uint32_t BUILDING_POWER_LEVEL_2 = 0x100;
constexpr uint32_t BUILDING_POWER_LEVEL_3 = 0x200;

// The unit upgrades an upgrader applies (Building::chosenUpgrades, Agent::upgradeFlags).
constexpr uint32_t UNIT_UPGRADE_HULL_1 = 0x10;
constexpr uint32_t UNIT_UPGRADE_HULL_2 = 0x20;
constexpr uint32_t UNIT_UPGRADE_HULL_3 = 0x40;
constexpr uint32_t UNIT_UPGRADE_SHIELD_1 = 0x100;
constexpr uint32_t UNIT_UPGRADE_SHIELD_2 = 0x200;

// Building::buildState
enum BuildState : int { BUILD_STATE_READY = 0, BUILD_STATE_CONSTRUCTING = 1, BUILD_STATE_DISABLED = 2 };

constexpr int BUILDING_AGENT_NODES = 8;
constexpr int BUILD_QUEUE_NODES = 8;
// A research computer set to another program runs none for this long.
constexpr float RESEARCH_SWITCH_SECONDS = 10.0f;

// The developer's instant-build switch: construction ends at the next tick and factories
// work ten times as fast.
extern bool InstantBuild;
// The frame of the last "A building is under attack!" alert, shared by all buildings.
extern int BuildingAlertFrame;
// Seconds until the next "Fabricator can't find a spawn position!" may show, for all
// factories.
extern float FabricatorMessageCountdown;

// The price in ore and fuel of the upgrades the building's chosen-upgrade word holds, and how
// long fitting them takes, in seconds.
void GetUpgradeCost(const Building* building, int* ore, int* fuel);
float GetUpgradeTime(const Building* building);
// Whether the level's buildings draw more power than they make (the level's ledger, TheScene.power).
bool PowerIsShort();
// A vector turned by degrees about the vertical axis (0 looks along +z, 90 along +x).
Vec3 TurnAboutY(const Vec3& v, float degrees);
// Where a turret's shots leave from, before its head turns.
extern const Vec3 TURRET_MUZZLE;
// The first cell with no occupant on growing squares around a cell (the cell itself is not
// looked at), as the corner entities stand on; false when the squares outgrow the grid.
bool FindCellOnGrowingSquares(int column, int row, Vec3* out);

// The arguments of a scene record as the scene reader hands them to the record's owner: each
// answers false, taking nothing, when the next token is not of its kind.
class SceneRecordInput {
public:
    virtual ~SceneRecordInput() = default;
    virtual bool Int(int* out) = 0;
    virtual bool Float(float* out) = 0;
    virtual bool Word(char* out, int size) = 0;
};

// What a building does with its time:
// - Update runs once per frame (the frame counter guards it) and, about ten times a second with
//   a jittered phase, one tick of construction or of the behaviours chosen by the definition's
//   flags; the behaviours take the tick length, the turret's aim the frame time.
// - Completion and destruction are each other's mirror: what OnCompleted put into the power
//   ledger and the unit control, OnDestroyed takes out again, exactly, and only when it was put
//   in.
// - Targets, held units and rally entities are EntityRefs, looked at alive before every use.
class Building : public Entity {
public:
    Building();
    ~Building() override;

    // The entity part, then the building's own fields as a new building has them.
    void Reset() override;
    // A unit factory's queue of unit types waiting to be made (created on first use, empty).
    PooledList<AgentType*>* EnsureBuildQueue();

    // ---- The entity interface
    Vec3 GetFirePoint(int which) override;
    // The cells under a building the player can put down: one, three or five a side by the
    // length and width of its model, centred on it, so that it stands on the cells its
    // placement showed.
    bool GetGridFootprint(int* x0, int* y0, int* x1, int* y1) override;
    void Update() override;
    void Settle() override;
    void OnSelect() override;
    void OnDeselect() override;
    void Die(Entity* killer) override;
    void AddKill(Entity* victim = nullptr) override;
    // A turret's damage, halved while the game plays short of power; nothing for the others.
    float GetDamage(const WeaponDef* weapon) override;
    float GetSpeed() override { return 0.0f; }
    float GetHullFactor() override { return 0.0f; }
    void TakeDamage(float amount, Entity* attacker, const WeaponDef* weapon, int damageType, bool hit) override;
    float GetDamagePerSecond(const WeaponDef* weapon) override;
    // Finished: the finished mesh, power, unit control, the definition's particles. restored:
    // a building read back from a scene file counted again as the level begins (no statistics,
    // objectives or neighbour scans).
    virtual void OnCompleted(bool restored);
    // Run by Die: undoes what completion did, and the explosion of a building that explodes.
    virtual void OnDestroyed();

    // ---- Construction and power
    // Seconds of construction the building needs, after finished construction research.
    float RequiredBuildTime() const;
    // The turret range of the definition's weapon.
    float GetTypeRadius() const;
    // Claims the grid cells of the footprint; min and max, when given, receive their world box.
    void GetFootprintBounds(Vec3* min, Vec3* max);
    // 0..3 from the stateFlags bits.
    int PowerNodeLevel() const;
    // A behaviour's tick length: halved while power is short, then 10 % longer per node level.
    float ScaledTick(float t) const;

    // ---- Behaviours, one tick each (BuildingBehaviours.cpp)
    void UpdateIncome(float t);
    void UpdateDeepMine(float t);
    void UpdateSpawner(float t);
    void UpdateFactory(float t);
    void UpdateTurretTargeting(float t);
    void UpdateHealthNode(float t);
    void UpdateUpgrader(float t);
    void UpdateRecycler(float t);
    // Turning toward the target and firing, every frame.
    void UpdateTurretAim(float dt);
    // mode 1: the half-drained look of a fuel patch; 0: the depleted look, its effects gone.
    static void SwapVentSplat(Entity* vent, int mode);
    // The unit inside an upgrader or recycler. It is out of the level's lists while it is
    // held, so the reference is checked by the id alone (pool agents are never freed).
    Agent* HeldUnit() const;
    // The upgrader's unit goes back into the level beside it.
    void ReleaseHeldUnit();
    // The unit walks into the upgrader: a unit already inside is let out first, the choices are
    // cleared, and the unit leaves the level's lists, its grid cell and the selection. The
    // player's side hears of it (CombatHooks::UnitTakenIn) to offer the upgrades that fit.
    void TakeUnitIn(Agent* unit);
    // The unit inside goes back into the level beside the building; an upgrade still running
    // is paid back whole. The chosen upgrades are cleared either way.
    void LetUnitOut();

    // ---- Orders and the panel (interface/BuildingPanel.cpp)
    // The click on a unit button: userValue is the address of the button's AgentType pointer.
    static int OnBuildUnitButton(void* userValue, Button* button);
    // Takes the last order back and refunds it; the unit in production keeps its progress.
    void CancelQueuedUnit();
    // Shows, hides and colours the buttons of the factory's panel.
    void UpdateBuildButtons();
    // Appends an order to the queue and pays for it (the rules of the unit buttons); the sound
    // it answers with ("blip" or "bad").
    const char* QueueUnit(AgentType* type);

    // ---- Scene records (BuildingSceneRecords.cpp)
    void SaveToScene(FILE* file);
    // A save's line of what the building is doing, whole: its construction, work and aim,
    // its clocks and what it links to (BuildingState), and the units it made that live.
    void SaveStateToScene(FILE* file);
    // Reads one of the building's own records (rally point, construction, queue, research, the
    // unit held); false for a keyword that is not one of them.
    bool ReadSceneRecord(const char* keyword, SceneRecordInput& in);
    // Every player building ready at the level's start is counted again (power, unit control)
    // and a deep mine finds its fuel patch again.
    static void RestoreAtLevelStart();

    uint32_t stateFlags;
    int buildState;
    BuildItem* definition;
    float actionTimer;
    float buildProgress;  // in the unit of the definition's build time
    float ventTimer;
    float researchTimer;  // counts down from RESEARCH_SWITCH_SECONDS while switching programs
    int researchKind;
    float recycleTimer;
    uint32_t chosenUpgrades;
    float upgradeTotalTime;  // seconds the running upgrade takes in all
    float headAngle;  // degrees: the turret's heading, and the angle of the turning parts
    float phaseAngle;
    float bobOffset;
    // By behaviour: the turret's target, the unit held in an upgrader or recycler, the fuel
    // patch under a deep mine, the entity a factory sends its units to.
    EntityRef linkedEntity;
    // A companion object that leaves the level with the building.
    EntityRef attachedEntity;
    // The agents a spawn point made and that still live.
    PooledList<Entity*> agents;
    int spawnedTotal;
    float productionTimer;
    PooledList<AgentType*>* buildQueue;
    Vec3 rallyPoint;

    // What completion put into the ledgers, taken out again on destruction.
    float suppliedPower;
    float addedDemand;
    int providedUnitControl;
    bool completed;
    // The tick: its accumulator and the jitter drawn for it.
    float tickTimer;
    float tickJitter;
    int lastUpdateFrame;

private:
    void ResetOwn();
    void Construct();
    void RunBehaviours(float t);
    void AnimateParts(float dt);
    // The unit an upgrader, recycler or warp platform holds, drawn on it.
    // Places the queue head's unit; false while there is no place for it.
    bool ProduceHead(float t);
    // One shot or beam of the turret's weapon at its target.
    void FireAt(Entity* target);
};

// The production panel of a unit factory's definition: made on the first selection of one of
// its buildings and shared by all of them for the whole run.
struct BuildUnitButton {
    Button* button;
    AgentType* type;
};
struct BuildPanel {
    const BuildItem* definition;
    Window* window;
    BuildUnitButton buttons[32];
    int buttonCount;
};
// The unit control the player may use: the places built, never above the profile's cap.
int UsableUnitControl(const PlayerProfile* profile);
// The panel of a definition, made when missing (null without a window manager).
BuildPanel* GetBuildPanel(const BuildItem* definition, bool make);
// Every panel's windows deleted: at shutdown, with the other screens' windows, once nothing
// draws them any more.
void ReleaseBuildPanels();
