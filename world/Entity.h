#pragma once
// Entity: the base of every object that lives in a level (agents, buildings, items, growth,
// ore, splats, decals). It holds what all of them share: name and unique id, the flag word, the
// world transform with yaw and scale, the meshes that draw it, health, shield and base damage,
// its side (alignment) and material (composition), an optional hold on a parent's bone, the
// grid cell it stands on, kills and the per-frame visibility state. Its virtual operations
// are how the Scene, the orders, weapons, the AI and the screens treat any world object alike.
//
// The Scene owns the entities of a level (mechanics/Scene.h): it updates each once a frame and
// draws them in its passes. Whoever keeps an entity beyond the current call keeps it as an
// EntityRef (below), never as a bare pointer: entities die, are removed, and agents go back to
// the pool to be handed out again as someone else.
#include "host/Maths.h"
#include "host/WorldGuard.h"
#include "platform/IntRect.h"

#include <cstdint>

class IndexedMesh;
class ParticleSystem;
class WeaponDef;
struct GridCell;
struct MeshJoint;

// Entity::flags
constexpr uint32_t ENTITY_PLAYER = 0x1;  // the player's own forces: the rig and its units
constexpr uint32_t ENTITY_AI = 0x2;
constexpr uint32_t ENTITY_STATIC = 0x4;
constexpr uint32_t ENTITY_DYING = 0x8;
constexpr uint32_t ENTITY_DEAD = 0x10;
constexpr uint32_t ENTITY_COLLISION = 0x20;
constexpr uint32_t ENTITY_SELECTION = 0x80;  // selected: drawn with the selection tint
constexpr uint32_t ENTITY_MARKER = 0x100;
constexpr uint32_t ENTITY_BORROWED_MESH = 0x200;
constexpr uint32_t ENTITY_NODRAW = 0x400;
constexpr uint32_t ENTITY_AGENT = 0x800;
constexpr uint32_t ENTITY_ITEM = 0x1000;
constexpr uint32_t ENTITY_BUILDING = 0x2000;
constexpr uint32_t ENTITY_RESOURCE = 0x4000;  // ore: it dies when the ore left reaches 0
constexpr uint32_t ENTITY_SPLAT = 0x8000;
constexpr uint32_t ENTITY_FUEL = 0x10000;
constexpr uint32_t ENTITY_LIST_MARKER = 0x20000;  // one of the Scene's segment markers
constexpr uint32_t ENTITY_LAST_STAND = 0x40000;   // damage never takes health below 1
constexpr uint32_t ENTITY_STAYS_DEAD = 0x80000;   // dead, and left where it lies
constexpr uint32_t ENTITY_SIZE_PENDING = 0x100000;
constexpr uint32_t ENTITY_PLACED = 0x200000;  // just placed: the next update settles it
constexpr uint32_t ENTITY_ALIGN_TO_TERRAIN = 0x400000;
constexpr uint32_t ENTITY_GRID_BLOCKER = 0x800000;
constexpr uint32_t ENTITY_DRAWN_LAST = 0x2000000;
constexpr uint32_t ENTITY_SHIELD = 0x4000000;
constexpr uint32_t ENTITY_RESOURCE_REVEALED = 0x8000000;
constexpr uint32_t ENTITY_OBJECT_OF_INTEREST = 0x10000000;
constexpr uint32_t ENTITY_SNAP_TO_GROUND = 0x20000000;
constexpr uint32_t ENTITY_MESH_BLOCKER = 0x40000000;  // its mesh, not its box, blocks the cells under it
// A mesh blocker drawn last cuts the ground away beneath it (a cave mouth, a crater).
constexpr uint32_t ENTITY_TERRAIN_HOLE = ENTITY_MESH_BLOCKER | ENTITY_DRAWN_LAST;
// The bits a level gives an entity (its death, its selection, its placing); the others say what
// the entity is, wherever it stands.
constexpr uint32_t ENTITY_LEVEL_FLAGS =
    ENTITY_DYING | ENTITY_DEAD | ENTITY_SELECTION | ENTITY_STAYS_DEAD | ENTITY_PLACED | ENTITY_SNAP_TO_GROUND;

enum Alignment : int { ALIGN_FRIENDLY = 0, ALIGN_ENEMY = 1, ALIGN_NEUTRAL = 2, ALIGN_PLAYER = 3 };
// The word scene files give a side ("FRIENDLY", "ENEMY", "PLAYER", "NEUTRAL" for any other).
const char* AlignmentWord(int alignment);

enum Composition : int {
    COMPOSITION_DEFAULT = 0,
    COMPOSITION_BIOLOGICAL = 1,
    COMPOSITION_MECHANICAL = 2,
    COMPOSITION_BIOMECHANICAL = 3,
    COMPOSITION_PLANT = 4,
    COMPOSITION_ROCK = 5,
    COMPOSITION_CRYSTAL = 6,
    COMPOSITION_WOOD = 7,
};

// The mesh list of an entity: its mesh and up to two further states (damage states, the ore
// stages of a resource). The first entry is the mesh it starts with.
constexpr int ENTITY_MESH_STATES = 3;

// Ids come from one counter that only rises while the program runs: an id is never given
// twice, and an entity that is reset (an agent back from the pool) gets a new one.
constexpr unsigned FIRST_ENTITY_ID = 3888745;

class Entity {
public:
    Entity();
    virtual ~Entity();
    Entity(const Entity&) = delete;
    Entity& operator=(const Entity&) = delete;

    // ---- The interface every world object answers, in slot order.
    // The defaults of a new entity, with a new id: what it is, and a new level state.
    virtual void Reset();
    // What of the entity belongs to the level it stands in, made as for a new entity: a new
    // id, no death, no cell, place, selection, group, visibility or effects, its clocks at 0.
    // What it is (name, meshes, health, side, weapon, kills) stays. An entity carried from level
    // to level (the player's rig) enters each one through this, so that nothing a level gave it
    // reaches the next, and nothing added to a level's state later is forgotten for it.
    virtual void ResetLevelState();
    // The middle of the world bounds, or the position without a mesh.
    virtual Vec3 GetCenter();
    // The world box of the mesh (its own box, scaled and moved to the position); false
    // without a mesh.
    virtual bool GetWorldBounds(Vec3* min, Vec3* max);
    // The box the entity fills in the world, turned with it: the camera culls with it.
    bool GetTurnedWorldBounds(Vec3* min, Vec3* max);
    // Once a tick, whatever the camera: a base, a deposit or a unit the player's units see
    // under the fog of war is discovered (found bases and deposits stay shown from then on),
    // and an enemy found for the first time is told to the events.
    void UpdateVisibility();
    // Whether the fog of war lets the player see it, in view or not (nothing is discovered):
    // the player's own always; a building or resource once found always; anything else only
    // where the player's units see now.
    bool FogLetsSee();
    // The pick ray against the world box (refitted around the turned corners when yawed).
    virtual bool IntersectRay(const Vec3& origin, const Vec3& direction);
    // Where shots leave from; which picks one of several guns.
    virtual Vec3 GetFirePoint(int which);
    // Once per frame from the Scene.
    virtual void Update();
    // What the first update after the entity was put in the level does (ENTITY_PLACED, and
    // ENTITY_SNAP_TO_GROUND where the kind has it): it stands on the ground and takes its cells.
    // A saved level read back settles what it read at once, as its game had it settled.
    virtual void Settle();
    // False while the entity is held and not in the world (a carried item).
    virtual bool IsAvailable();
    virtual void OnSelect();
    virtual void OnDeselect();
    virtual void OnHook();
    // The rectangle of grid cells under the entity; false (all -1) when it is off the grid.
    virtual bool GetGridFootprint(int* x0, int* y0, int* x1, int* y1);
    // Hands out the cells a footprint rule found (found false: every corner -1); the result is
    // found.
    static bool GiveFootprint(bool found, const IntRect& cells, int* x0, int* y0, int* x1, int* y1);
    // Hit sparks and damage smoke after a hit (hitPoint null: no sparks).
    virtual void UpdateDamageEffects(const Vec3* hitPoint);
    virtual void Die(Entity* killer);
    // Ends whatever the entity keeps going in the world: its smoke, its other effect and every
    // particle system that follows it (a unit, its work beam and its hum too). Each way out of
    // the level runs it: killed, taken apart, warped out, removed, or the level ending.
    virtual void EndOwnedEffects();
    // One more kill (victim may be null).
    virtual void AddKill(Entity* victim = nullptr);
    virtual float GetDamage(const WeaponDef* weapon);
    virtual float GetHealth();
    virtual float GetMaxHealth();
    virtual float GetSpeed();
    virtual float GetHullFactor();
    virtual float GetShield();
    // Shield recharge per second.
    virtual float GetShieldBonus();
    // Health = value (not below 0); a value above the maximum raises the maximum.
    virtual void SetHealth(float value);
    // Maximum = value; health is lowered to it when above.
    virtual void SetMaxHealth(float value);
    // A hit of amount hit points: difficulty, then the shield, then health; health at 0 kills
    // (or, standing its last, leaves 1).
    virtual void TakeDamage(float amount, Entity* attacker, const WeaponDef* weapon, int damageType, bool hit);
    virtual float GetDamagePerSecond(const WeaponDef* weapon);

    // ---- Place and state
    // The attached position when the entity hangs on a parent's bone, else its own.
    Vec3 GetPosition() const;
    void SetPosition(const Vec3& position);
    void SetPositionXYZ(float x, float y, float z) { SetPosition(Vec3(x, y, z)); }
    // The parent's bone in the world (mesh space mirrored in x), turned with the parent.
    Vec3 GetAttachedPosition() const;
    bool IsAttached() const { return attachBone && attachParent; }
    bool IsAlive() const { return (flags & (ENTITY_DYING | ENTITY_DEAD)) == 0; }
    // Ground-plane distance from the middle of the world bounds to the point; items and
    // buildings measure from the edge of their box (half its x extent). Never below 0.
    float DistanceTo(const Vec3& point);
    // Every grid cell the entity holds is released (and its chain forgotten).
    void LeaveGridCell();
    // Takes the cells of its footprint: a grid blocker closes them to walking and building
    // instead. False when the entity stands off the grid.
    bool StampGrid();
    // The grid rectangle of the entity (width and depth in cells, first column and row),
    // computed from its footprint on first use and kept in gridRect; -1 in gridRect[0] asks
    // for it again. False when the entity stands off the grid.
    static bool GetGridRect(Entity* entity, int* width, int* depth, int* column, int* row);
    // "DELETED" in the status text: the entity has been taken out of the level for good.
    void MarkDeleted();
    // Whether Die has run since the last reset (an agent's Die runs only once).
    bool HasDied() const { return died_; }

    // The entity owns (and frees) a mesh that it alone uses: a clone made for it. Shared
    // meshes stay the mesh library's.
    void AdoptMesh(IndexedMesh* owned);
    void AdoptMeshState(int slot, IndexedMesh* owned);
    // Frees the meshes it owns and forgets them (with the references to them).
    void FreeOwnedMeshes();

    // What a level gives an entity starts at the values written here: a new entity has them
    // without the level's reset (ResetLevelState), which the level-end test holds to them.
    char name[128];
    char typeName[128];  // the primitive or catalogue item it was made from, kept when a level renames it
    char statusText[128];
    unsigned id;
    uint32_t flags;
    Matrix world;     // its translation row is the position
    Matrix rotation;  // the yaw alone
    float targetYaw = 0.0f;
    float yaw = 0.0f;  // degrees about the vertical axis
    float size;
    float scale;
    float previousYaw = 0.0f;
    IndexedMesh* mesh;
    IndexedMesh* meshStates[ENTITY_MESH_STATES];
    int meshCount;
    IndexedMesh* collisionMesh;
    uint32_t ambientOverride = 0;  // ARGB; a hit flash while non-zero
    int updateFrame = -1;
    int cullFrame = -1;
    int cullTick = -1;
    // Its pose before the world's latest tick, and that tick's number: between ticks it is
    // drawn between the two (Scene::CarryPoses).
    Matrix worldBeforeTick;
    Matrix rotationBeforeTick;
    int poseTick = -1;
    // The drawing's last answer of IsVisible: the sounds and alerts that go with the picture
    // read it; the world's course never does.
    int visible = 0;
    // The world's tick in which the fog last showed it to the player (the minimap's "seen now").
    int fogSeenTick = -1;
    float ageTimers[2] = {0.0f, 0.0f};
    int controlGroup = -1;
    float health;
    float maxHealth;
    float sinceReset = 0.0f;
    float damage;
    float shield;
    float maxShield;
    int alignment;
    int composition;
    const MeshJoint* attachBone;
    Entity* attachParent;
    Vec3 attachOffset;
    Vec3 velocity;
    Vec3 moveTarget;
    GridCell* gridCell = nullptr;  // the first cell the entity holds: the head of its chain
    WeaponDef* weapon = nullptr;   // the entity's own copy, freed with it
    int kills;  // a resource keeps its ore type here
    ParticleSystem* damageSmoke = nullptr;
    ParticleSystem* secondEffect = nullptr;
    float cameraDistance = 0.0f;  // the drawing's, refreshed while visible
    int gridRect[4] = {-1, -1, -1, -1};  // x0, y0, x1, y1 of the grid rectangle; x0 -1 until computed
    int splatLayer;
    uint8_t lit;
    uint8_t discovered = 0;

private:
    uint8_t ownedMeshes_ = 0;  // bit i: meshStates[i]; bit 3: mesh
    bool died_ = false;
};

// The id counter (the next id to give).
extern unsigned NextEntityId;

// An entity made for the view alone (a template the hand or a tool shows, never placed in the
// level): while this lives, what is made takes no number of the level and may be made between
// ticks. The level's next number comes back when it ends.
class ViewOnlyEntities {
public:
    ViewOnlyEntities() : next_(NextEntityId) { BeginWorldChange(); }
    ~ViewOnlyEntities()
    {
        NextEntityId = next_;
        EndWorldChange();
    }
    ViewOnlyEntities(const ViewOnlyEntities&) = delete;
    ViewOnlyEntities& operator=(const ViewOnlyEntities&) = delete;

private:
    unsigned next_;
};

// The share of their strength the enemy's units have at the configured difficulty: 2/3 on
// Beginner, 1 on Normal, 4/3 on Advanced, 5/3 on Expert, so that a new pilot's rig can stand up
// to what a level sends at it. It weighs the health of every enemy unit a level makes (guards,
// creatures bred by lairs or placed, raiders) and the damage every enemy unit deals.
float EnemyDifficultyScale();
// An enemy unit's health and its maximum taken by that share.
void ScaleEnemyForDifficulty(Entity* enemy);

// An entity kept beyond the current call: the pointer with the id it had. Get answers the
// entity only while the Scene still holds it under that id, so an agent that went back to the
// pool, or an entity removed and freed at the level's end, is never reached through an old
// reference.
struct EntityRef {
    Entity* entity = nullptr;
    unsigned id = 0;

    EntityRef() = default;
    EntityRef(Entity* target) { Set(target); }
    void Set(Entity* target);
    void Clear() { Set(nullptr); }
    // The entity, or null once it has left the Scene or been recycled.
    Entity* Get() const;
    // The same, and only while it is alive.
    Entity* GetLive() const;
    bool IsSet() const { return entity != nullptr; }
};
