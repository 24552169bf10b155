#pragma once
// Agent: every mobile unit (the player's rig and bots, the builder, miners, scavengers,
// creatures; on the ground or in the air). It adds to the entity its class word (traits and
// movement state), the orders it accepts, a brain that runs jobs, a path and a queue of further
// move points, what it works on, a miner's load, attachments and equipment, status effects and
// a short memory of who hurt it.
//
// Agents are never made with new during a level: they come from the agent-type registry's pool
// of 200 (world/AgentTypeRegistry.h) through the Scene's factory, and go back to it when they
// die or leave the level. Everything an agent refers to beyond a call it keeps as an EntityRef.
#include "platform/PooledList.h"
#include "world/Entity.h"
#include "world/ProgressClock.h"

#include <cstdio>

class AIBrain;
class AgentType;
class Item;
class Job;
struct Path;

// Agent::classWord
constexpr uint32_t AGENT_MOVING = 0x1;
constexpr uint32_t AGENT_STEPPING = 0x2;
constexpr uint32_t AGENT_WAITING = 0x4;
constexpr uint32_t AGENT_HEALING = 0x8;
constexpr uint32_t AGENT_CLASS_MELEE = 0x10;
constexpr uint32_t AGENT_CLASS_BOSS_DROPS_ITEM = 0x20;
constexpr uint32_t AGENT_CLASS_SCAN = 0x80;
constexpr uint32_t AGENT_CLASS_LEVELLING = 0x100;  // a player bot: not the rig
constexpr uint32_t AGENT_DISCOVERED = 0x200;
constexpr uint32_t AGENT_CLASS_MINER = 0x800;
constexpr uint32_t AGENT_CLASS_AIR_UNIT = 0x2000;
constexpr uint32_t AGENT_CLASS_MINE_LAYER = 0x8000;
constexpr uint32_t AGENT_CLASS_HEAVY = 0x10000;
constexpr uint32_t AGENT_CLASS_RADAR = 0x20000;
constexpr uint32_t AGENT_CLASS_AOE_ATTACK = 0x40000;
constexpr uint32_t AGENT_SPAWNED = 0x80000;
constexpr uint32_t AGENT_CLASS_GUARD = 0x100000;
constexpr uint32_t AGENT_CLASS_RAIDER = 0x200000;
constexpr uint32_t AGENT_OBJECTIVE = 0x400000;
constexpr uint32_t AGENT_CLASS_MOBILE_SPAWN_POINT = 0x800000;
constexpr uint32_t AGENT_CLASS_MELEE_SMASH = 0x1000000;
constexpr uint32_t AGENT_CLASS_END_BOSS = 0x2000000;
constexpr uint32_t AGENT_ORDERED_MOVE = 0x4000000;
constexpr uint32_t AGENT_CLOAKED = 0x8000000;
constexpr uint32_t AGENT_CLASS_ALTERNATING_SHOT = 0x10000000;
// The class bits a level gives an agent (its moves, a health node's care, its cloak, being seen,
// spawned or an objective there); the others are its unit type's traits.
constexpr uint32_t AGENT_LEVEL_BITS = AGENT_MOVING | AGENT_STEPPING | AGENT_WAITING | AGENT_HEALING |
                                      AGENT_DISCOVERED | AGENT_SPAWNED | AGENT_OBJECTIVE | AGENT_ORDERED_MOVE |
                                      AGENT_CLOAKED;

// Agent::commandWord
constexpr uint32_t COMMAND_MOVE = 0x1;
constexpr uint32_t COMMAND_ATTACK = 0x2;
constexpr uint32_t COMMAND_STOP = 0x4;
constexpr uint32_t COMMAND_REPAIR = 0x8;
constexpr uint32_t COMMAND_MINE = 0x10;
constexpr uint32_t COMMAND_INSTABUILD = 0x20;
constexpr uint32_t COMMAND_ENRICH_ORE = 0x40;
constexpr uint32_t COMMAND_HEAL = 0x80;
constexpr uint32_t COMMAND_WARP = 0x100;
constexpr uint32_t COMMAND_SCAN = 0x200;

// Agent::stance
enum AgentStance : int { AGENT_STANCE_DEFAULT = 0, AGENT_STANCE_HOLD_POSITION = 1, AGENT_STANCE_STOP = 2 };

// Agent::brainKind: how the brain thinks.
enum BrainKind : int {
    BRAIN_NONE = 0,  // the player's units: they do what they are told
    BRAIN_ENEMY = 2,
    BRAIN_NEUTRAL = 3,
    BRAIN_MINER = 4,
    BRAIN_ATTACKBOT = 5,
    BRAIN_CREATURE = 6,
};

constexpr int AGENT_MOVE_QUEUE_SIZE = 100;
constexpr int AGENT_ATTACHMENTS = 8;
constexpr int AGENT_EQUIPMENT_SLOTS = 8;
constexpr int AGENT_STATUS_EFFECTS = 3;
constexpr int AGENT_THREATS = 4;
// A plain move that has gone nowhere this long ends where the agent stands.
constexpr float MOVE_GOES_NOWHERE = 6.0f;

// The further points of a move order of several points: appended at the tail, taken from the
// head; a full queue refuses the point.
class WaypointQueue {
public:
    bool Init(int capacity) { return points_.Init(capacity); }
    void Clear() { points_.Clear(); }
    bool Push(const Vec3& point) { return points_.PushBack(point); }
    bool Pop(Vec3* point);
    bool IsEmpty() const { return points_.count == 0; }
    int Count() const { return points_.count; }
    int Capacity() const { return points_.capacity; }
    const PooledList<Vec3>& Points() const { return points_; }

private:
    PooledList<Vec3> points_;
};

// An entity hung on a bone of the agent's mesh (a hopper, a weapon).
struct AgentAttachment {
    char name[32];
    char bone[32];  // "none" once removed
    Entity* entity;
    int boneIndex;  // -1 when the bone is missing or the record removed
    float clock;
    bool owned;  // the agent made the entity and frees it
    unsigned missedFoe;  // the foe its last shot to end left unhurt (its id), 0 for none
};

struct EquipmentSlot {
    Item* item;
    int slot;
};

// A timed damage or drain: 0 "Fire", 1 "Acid", 2 "Plasma".
struct StatusEffect {
    int kind;
    float amount;    // per tick
    float interval;  // seconds between ticks
    float tickTimer;
    float timeLeft;
    EntityRef source;  // credited with the kill
};

// An attacker remembered: who (with the id it had when it hit), the threat it built up and
// the mission time of its last hit.
struct ThreatRecord {
    EntityRef attacker;
    float threat;
    float lastHit;
};

// Distance in the ground plane (x and z alone).
float GetGroundDistance(const Vec3& a, const Vec3& b);
// The larger of the x and z distances: how many cells apart, in units.
float GetGroundChebyshevDistance(const Vec3& a, const Vec3& b);
// An angle in degrees brought into -180..180.
float WrapDegrees(float degrees);
// Whether the first of the pair lies below the second (a load below its capacity).
inline bool IsBelowLimit(const float pair[2]) { return pair[0] < pair[1]; }

// Status effect kinds.
enum StatusKind : int { STATUS_FIRE = 0, STATUS_ACID = 1, STATUS_PLASMA = 2 };
// The damage type of a status effect's tick: raw damage, no weapon factor.
constexpr int DAMAGE_TYPE_RAW = 9;

// Mines: a stock of at most 3, built one at a time.
constexpr int MINE_STOCK = 3;
constexpr float MINE_BUILD_SECONDS = 20.0f;
constexpr float MINE_ORE_COST = 50.0f;
constexpr float MINE_FUEL_COST = 50.0f;

class Agent : public Entity {
public:
    Agent();
    ~Agent() override;

    // The entity part and the agent part, with a new id: an agent taken into use again.
    void Reset() override;
    // The agent part only. A full reset builds the move queue; otherwise it is emptied, and
    // the attachments and equipment the agent had are let go.
    void Reset(bool full);
    // What the agent is: its kind, traits and equipment as a new agent's (Reset's first part).
    void ResetWhatItIs(bool full);
    // What of the agent belongs to the level it stands in, made again as a new agent has it
    // (a new agent has it from the fields' own first values, below): its order, brain, fight
    // and attackers, path and moves, what it works on, its load, timers and weapons' clocks,
    // what burns on it, its death. What it is and
    // carries (type, traits, equipment, weapons, experience, health) stays. The player's rig
    // goes through it when a level ends and when the next starts, so it enters every level as
    // a unit made for it does.
    void ResetLevelState() override;
    // The mesh's box grown by the boxes of the attached meshes.
    bool GetWorldBounds(Vec3* min, Vec3* max) override;
    // The pick ray against the mesh and every attached mesh: the box turned with the agent,
    // then the bounding sphere where the mesh has one.
    bool IntersectRay(const Vec3& origin, const Vec3& direction) override;
    // The HUD hears of it (ScreenHooks): selecting the builder opens its build panel, the rig
    // deselected closes it.
    void OnSelect() override;
    void OnDeselect() override;
    // Hands the path back to the game's path pool and forgets it.
    virtual void ForgetPath();

    // ---- Per frame (AgentUpdate.cpp)
    // Once per frame: placing, thinking every 0.1 s, status effects, movement, turning,
    // hovering and animation.
    void Update() override;
    void Settle() override;
    // The brain thinks, then the job runs; the status text follows the job's step.
    void UpdateBrain(float step);
    // Keeps or drops the healing of a nearby health node.
    void UpdateHealing();
    // Runs the status effects for one think step; stops once the agent has died of them.
    void UpdateStatusEffects(float step);
    // Starts a status effect, or lengthens the running one of its kind.
    void ApplyStatusEffect(const StatusEffect& record);
    // The attacker list of an enemy agent, and of a bot that hunts the enemy.
    void AddThreat(Entity* attacker, float amount);
    void RefreshThreats(float step);
    ThreatRecord* FindThreat(const Entity* attacker);
    ThreatRecord* GetTopThreat();
    // Pushes air units apart (and off their target).
    void SeparateAirUnits(float step, bool moving);
    // Eases an air unit toward its hover height.
    void Hover(float step);
    // The yaw turns toward the target yaw.
    void TurnTowardTarget(float step);
    float GetOreCapacity() const;
    float GetMiningAmount() const;
    // How far the agent attacks from: the rig reaches half a unit further for each point of the
    // player's range skill.
    float GetAttackRange() const;
    // The brain's AI mode (the kept one without a brain).
    int CurrentAiMode() const;
    bool HasEquippedSpecial(uint32_t special) const;

    // ---- Moving (AgentMove.cpp)
    // Orders a move to a point. Nearby (one diagonal cell) the agent steps straight there;
    // farther points are planned by the step planner into a path. A ground point whose cell
    // is held or closed takes a free cell near it when allowNearby says so, else the agent
    // stops.
    void MoveTo(const Vec3& point, bool allowNearby);
    // Ends the move: true when the agent settled on its cell (within tolerance of the cell's
    // point and the cell not held by another); false leaves it moving.
    bool StopMove(float tolerance = 1.0f);
    // Settles at once: no movement bits, targets at the position, no path, empty queue.
    void ResetMovement();
    // Takes the cell of the point (ground units), giving up the one held before.
    void ClaimGridCell(const Vec3& point);
    // Ends the move where the agent stands, the points queued behind it too: settled on its
    // cell when that is free, else standing where it is.
    void EndMoveHere();
    // One frame of the move's progress clock (moveProgress).
    void TrackMoveProgress(float step);
    // The same move given anew on the way (to its goal again, or to a spot beside a goal that
    // cannot be had): its progress clock goes on.
    void MoveOn(const Vec3& point);
    void ReleasePath() { ForgetPath(); }
    // One frame along the path or toward the move target; true when the agent moved.
    bool FollowPath(float step);
    // Sets the target yaw along the direction and answers the speed for it.
    float GetMoveSpeed(const Vec3& direction, float step);

    // Hangs an entity on a bone under a name. A record of that name is reused and the entity
    // it held is returned; otherwise a new one is taken (null when all 8 are in use, or for
    // no entity). owned: the agent frees the entity when it lets the record go.
    Entity* AddAttachment(Entity* attached, const char* attachmentName, const char* boneName, bool owned = false);
    // The named record keeps its name but loses its bone and entity; returns the entity.
    Entity* RemoveAttachment(const char* attachmentName);
    Entity* GetAttachedEntity(const char* attachmentName) const;
    // Looks every attachment's bone up again in the current mesh.
    void RebindAttachments();
    int AttachmentCount() const { return attachmentCount; }
    const AgentAttachment& Attachment(int i) const { return attachments[i]; }

    bool IsAirUnit() const { return (classWord & AGENT_CLASS_AIR_UNIT) != 0; }
    bool HasStanceBits() const { return (classWord & (AGENT_MOVING | AGENT_STEPPING | AGENT_WAITING)) != 0; }

    // ---- Fighting, experience and loot (AgentCombat.cpp)
    // A hit in twelve steps: type factor, the rig's armour skill, armour upgrades, evasion and
    // reflection, the attacker's item specials, critical hits, resistances, then the entity's
    // own damage, the under-attack alert, turning on the attacker and remembering the threat.
    void TakeDamage(float amount, Entity* attacker, const WeaponDef* weapon, int damageType, bool hit) override;
    // One more kill, with the statistics and the experience a victim is worth.
    void AddKill(Entity* victim = nullptr) override;
    // The entity's death, then the statistics, the debris and a boss's loot; only once.
    void Die(Entity* killer) override;
    // The work beam with its sound and the healing glow go with the rest.
    void EndOwnedEffects() override;
    // Experience (capped at 8200) and the levels it brings.
    void AddExperience(int amount);
    // The experience a level needs (0 for level 0), and the level an amount of experience has
    // reached (0..10).
    static int ExperienceForLevel(int level);
    static int LevelForExperience(int experience);

    // ---- Equipment and stats (AgentEquipment.cpp)
    // Slots 0..7; another slot is refused (null, nothing changed). Each answers the item that
    // was in the slot. Shield and hull items carry the shield flag and keep the health ratio.
    Item* EquipItem(Item* item, int slot);
    Item* UnequipItem(int slot);
    Item* GetEquippedItem(int slot) const;
    // Whole: hull at its maximum with everything it carries (platings, bought upgrades), the
    // shield full. How the rig starts a mission and comes home from one.
    void MakeWhole();
    // Whether an equipped item's upgrade flags share a bit with mask.
    bool HasEquippedFlag(uint32_t mask) const;
    // The weapons of the items the agent carries, those on its mounts (the rig's arms) first,
    // then those of its equipped items; at most capacity are written. Answers how many.
    static constexpr int MAX_ITEM_WEAPONS = AGENT_ATTACHMENTS + AGENT_EQUIPMENT_SLOTS;
    int GetItemWeapons(const WeaponDef** weapons, int capacity) const;
    float GetDamage(const WeaponDef* weapon) override;
    float GetDamagePerSecond(const WeaponDef* weapon) override;
    float GetMaxHealth() override;
    float GetSpeed() override;
    float GetHullFactor() override;
    float GetShieldBonus() override;
    Vec3 GetFirePoint(int second) override;
    // 0x80 (fire) and 0x100 (acid): the damage over time the agent's shots carry.
    uint32_t GetWeaponUpgradeBits(const WeaponDef* weapon) const;

    // ---- Scene lines (AgentSceneRecords.cpp)
    // The agent's lines of a scene or save file.
    void SaveToScene(FILE* file);
    // The lines of a save that hold what the agent is doing, whole: its move under way, its job
    // and the step it stands at, its fight, what it remembers and every clock. Read back, the
    // unit goes on as it went (the rig's are written after its start).
    void SaveStateToScene(FILE* file);

    uint32_t classWord;
    uint32_t commandWord;
    int aiMode = 0;
    int groupId = -1;
    Path* path = nullptr;
    WaypointQueue moveQueue;
    AIBrain* brain;  // the agent's own, made by a full reset
    int brainKind;   // from the unit type, for the brain to think by
    AgentType* agentType;
    AgentAttachment* attachments;
    int attachmentCount;
    EquipmentSlot* equipment;
    int equipmentCount;
    EntityRef target;
    float noticeRange;
    float attackRange;
    float meleeAttackTime;
    Vec3 stepTarget = Vec3();
    float speed;
    float currentSpeed = 0.0f;
    Vec3 previousTarget = Vec3();
    float waitTime = 0.0f;
    float blockedTime = 0.0f;
    EntityRef spawner;
    Vec3 spawnPoint = Vec3(-1000.0f, -1000.0f, -1000.0f);  // x below -900: not set yet
    EntityRef activeBuilding;
    EntityRef activeObject;
    EntityRef mine;
    EntityRef dropOff;
    // Where the miner last dug, searched again for ore when its drop-off lay far from there.
    Vec3 lastMinePosition = Vec3(0.0f, 0.0f, 0.0f);
    bool rememberMine = false;
    // How the agent fights (AGENT_STANCE_*): the player's stance commands set it, an attack
    // order sets it back to the default.
    int stance = AGENT_STANCE_DEFAULT;
    float oreLoad = 0.0f;
    float loadValue = 0.0f;
    float oreCapacity;
    float miningAmount;
    float workTimer = 0.0f;
    float freezeTime = 0.0f;
    float cloakTime = 0.0f;
    float mineTimer = 0.0f;
    int mines = 1;
    ParticleSystem* healingEffect = nullptr;
    ParticleSystem* workEffect = nullptr;
    int workSound = -1;
    StatusEffect statusEffects[AGENT_STATUS_EFFECTS] = {};
    int statusCount = 0;
    ThreatRecord threats[AGENT_THREATS] = {};
    int threatCount = 0;
    float engagedTime = 0.0f;
    uint32_t upgradeFlags;
    float processTimer = 0.0f;
    int botExperience;
    int botLevel;
    // The step planner's clocks: a route search failing, and a goal whose cell cannot be had.
    float pathRetryTime = 0.0f;
    float goalBlockedTime = 0.0f;
    // The goal cell (its index + 1; 0 for none) that the walk round a dead end found no way to
    // from where the agent stands.
    int walkRoundFailed = 0;
    // How long the move under way has gone nowhere: seconds since the agent last came closer to
    // its goal. 0 while it does not move; a new move order starts it afresh.
    ProgressClock moveProgress;
    float thinkOffset = 0.0f;  // this agent's share of the think interval, drawn anew at every think

    // ---- Weapons (world/Weapons.cpp, world/AttackExecution.cpp)
    // Fires a weapon of the attacker (its own, or an attachment's) at the target: a beam, one
    // projectile, or two for a dual-cluster missile weapon.
    static void FireWeapon(const WeaponDef* weapon, Agent* attacker, Entity* target, const AgentAttachment* attachment);
    // Ends the attack: no target, no AI mode, no moving, and the idle animation again.
    static void StopAttack(Agent* agent);
    // Whether the other unit stands so close that the two bodies touch, or it stands inside
    // this one: its weapons hit it whichever way they face.
    bool Touches(const Entity* other) const;
    // How the last shot of each weapon to end went: it hurt its target (no mark), or left that
    // target unhurt. A weapon whose shots cannot hurt its target is no fight getting somewhere.
    void MarkShot(const AgentAttachment* mount, const Entity* target, bool hurt);
    // The attack behaviours, one frame each of the attack on the target: 1 while the attack goes
    // on, 2 when it gives up. Ranged with approach and in place (hold position); melee with
    // approach and in place.
    int DoRangedAttack(float dt, Job* job);
    int DoRangedAttackInPlace(float dt, Job* job);
    int UpdateAttackPosition(float dt, Job* job);
    int MeleeAttackInPlace(float dt, Job* job);
    float attackTimer = 0.0f;  // seconds since the last shot or blow; held at 0 while a beam lasts
    int fireToggle = 0;        // 1: the second gun of an alternating pair fires next
    unsigned ownShotMissedFoe = 0;  // the foe the last shot of its own weapon to end left unhurt

private:
    // The first update after the Scene placed the agent: ground, spawn point, spawner, hopper
    // and cell.
    void SettlePlaced(float step);
    // Its size from its mesh, once, after it was put in the level.
    void MeasureSizeIfPending();
    // Everything that runs once per think interval.
    void Think(float step);
    void UpdateMeshes(float step);
    void ReleaseAttachments();
    // The agent part of the level state; made: the agent is being built (nothing to give back).
    void MakeLevelState(bool made);
};
