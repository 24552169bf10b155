#pragma once
// Building: every structure of a level, the player's base and the enemy's camps, nests and
// turrets alike. One class serves them all: what a building does is chosen by the flag bits of
// its definition, a BuildItem of the build catalogue (world/BuildItem.h).
#include "platform/PooledList.h"
#include "world/Entity.h"

class AgentType;
class BuildItem;

// Building::stateFlags
constexpr uint32_t BUILDING_SPAWNER_EXHAUSTED = 0x2;
constexpr uint32_t BUILDING_RALLY_POINT = 0x4;
constexpr uint32_t BUILDING_VENT_DEPLETED = 0x10;
constexpr uint32_t BUILDING_PREVIEW = 0x20;  // the copy shown while the player places a building
constexpr uint32_t BUILDING_POWER_LEVEL_1 = 0x80;
constexpr uint32_t BUILDING_POWER_LEVEL_2 = 0x100;
constexpr uint32_t BUILDING_POWER_LEVEL_3 = 0x200;

// Building::buildState
enum BuildState : int { BUILD_STATE_READY = 0, BUILD_STATE_CONSTRUCTING = 1, BUILD_STATE_DISABLED = 2 };

constexpr int BUILDING_AGENT_NODES = 8;
constexpr int BUILD_QUEUE_NODES = 8;

class Building : public Entity {
public:
    Building();
    ~Building() override;

    // The entity part, then the building's own fields as a new building has them.
    void Reset() override;
    // A unit factory's queue of unit types waiting to be made (created on first use, empty).
    PooledList<AgentType*>* EnsureBuildQueue();

    uint32_t stateFlags;
    int buildState;
    BuildItem* definition;
    float actionTimer;
    float buildProgress;  // in the unit of the definition's build time
    float ventTimer;
    float researchTimer;
    int researchKind;
    float recycleTimer;
    uint32_t chosenUpgrades;
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

private:
    void ResetOwn();
};
