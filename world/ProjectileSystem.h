#pragma once
// ProjectileSystem: the one object of a level that carries out every delivered attack.
// Projectiles fly and hit (missiles, mortar shells, plasma and pulse bolts), beams join a
// shooter to its target and pour damage into it for a while (laser, electric, machine gun,
// flame, acid), melee blows land after a short delay, explosions hurt everything around a
// point, and destroyed things throw debris.
//
// Every record comes from a pool of 64 made at load time and moves between a free and an
// active list: a full pool drops the new request, and the frame step allocates nothing.
// Shooters and targets are kept as EntityRefs, so a record never acts on an entity that died
// and was handed out again as someone else.
//
// The game object owns the level's one system (TheProjectiles); turrets and agents fire
// through Fire, StartBeam (WeaponFx::SpawnMuzzleEffect), QueueMeleeHit and Explode.
#include "host/Maths.h"
#include "platform/PooledList.h"
#include "platform/Timer.h"
#include "world/Entity.h"
#include "world/WeaponDef.h"

#include <cstdint>

class Agent;
class IndexedMesh;
class ParticleSystem;
class Sprite;
struct AgentAttachment;

// Projectile::flags
constexpr uint32_t PROJECTILE_TRACKING = 0x2;     // turns toward the target every frame
constexpr uint32_t PROJECTILE_TARGET_TEST = 0x4;  // tests for a hit on its target every frame
constexpr uint32_t PROJECTILE_GROUND_TEST = 0x8;  // ends below the ground
constexpr uint32_t PROJECTILE_MISSILE = 0x10;
constexpr uint32_t PROJECTILE_SHELL = 0x20;  // arcs, bursts at impact and hurts all around
constexpr uint32_t PROJECTILE_BURNS = 0x80;  // the hit sets the target burning
constexpr uint32_t PROJECTILE_CORRODES = 0x100;
constexpr uint32_t PROJECTILE_PLASMA = 0x200;  // also the third status on a hit
constexpr uint32_t PROJECTILE_PULSE = 0x400;
constexpr uint32_t PROJECTILE_BOLTS = PROJECTILE_PLASMA | PROJECTILE_PULSE;

// A finished projectile's age: it is removed in the same update.
constexpr float PROJECTILE_DONE = 1000.0f;
// Projectiles that hit nothing give up after this long.
constexpr float PROJECTILE_LIFETIME = 5.0f;

enum BeamKind : int { BEAM_LASER = 0, BEAM_ELECTRIC = 1, BEAM_MACHINEGUN = 2, BEAM_FLAME = 3, BEAM_ACID = 4 };
enum ExplosionKind : int { EXPLOSION_PLAIN = 1, EXPLOSION_BARREL = 2, EXPLOSION_SMASH = 3 };

constexpr int BEAM_CHAIN_MAX = 4;
constexpr int DEBRIS_KINDS = 10;
constexpr int DEBRIS_MESHES = 8;
constexpr int DEBRIS_SETS = 10;
constexpr int DEBRIS_PIECES = 32;

struct Projectile {
    Vec3 position;
    Vec3 previousPosition;  // where the last frame left it: the hit test covers the way between
    Vec3 launchPosition;
    Vec3 aimPoint;
    Vec3 direction;  // unit
    uint32_t flags;
    float speed;
    float splashRadius;
    float damage;
    float age;  // PROJECTILE_DONE: finished
    ParticleSystem* smokeTrail;
    bool targetHit;  // the hit test struck the target itself
    EntityRef shooter;
    EntityRef target;
    bool hasWeapon;
    WeaponDef weapon;  // a copy: the shooter's own may go with it while the shot flies
    const AgentAttachment* mount;
    int alignment;
    int explosionKind;
};

struct Beam {
    EntityRef shooter;
    EntityRef target;
    bool hasWeapon;
    WeaponDef weapon;
    const AgentAttachment* mount;
    int weaponType;
    float damage;
    float duration;
    float age;
    float frameTimer;
    // The beam's time as drawn: its last tick's carried on by the share of a tick the frames
    // have gathered since, so its rounds and flicker move every frame, not ten times a second.
    float DrawnTime() const { return frameTimer + WorldTicks.carry * WorldClock::TICK; }
    ParticleSystem* impact;
    ParticleSystem* muzzle;
    float accumulated;  // damage owed, dealt in whole points
    uint32_t colour;
    int soundHandle;
    int alignment;
    float lastDealt;
    EntityRef chain[BEAM_CHAIN_MAX];
    int chainCount;
};

struct MeleeHit {
    EntityRef attacker;
    EntityRef target;
    float delay;
};

// The pieces a destroyed thing throws, by what it was made of.
class DebrisField {
public:
    enum Kind { BIO, MECH, BIOMECH, ROCK, PLANT, BUILDING, WOOD, GENERIC_BOT, GENERIC_HEAVY, MINER };
    static const char* const KIND_NAMES[DEBRIS_KINDS];

    struct Piece {
        Vec3 position;
        Vec3 velocity;
        Vec3 spin;    // degrees per second about x, y, z
        Vec3 angles;  // degrees
        IndexedMesh* mesh;
        bool active;
    };
    struct Set {
        Piece pieces[DEBRIS_PIECES];
        int count;
        Vec3 origin;
        int kind;
        float timeLeft;
        float scale;
    };

    DebrisField();
    ~DebrisField();
    DebrisField(const DebrisField&) = delete;
    DebrisField& operator=(const DebrisField&) = delete;

    // The piece meshes of every kind from the Scene's templates "part_<kind>_<n>" (n from 0
    // until one is missing; a kind with none throws the "mortar" mesh), and the sets.
    void Load();
    // Throws a set: with allPieces one piece of every mesh of the kind, else a handful of
    // random ones. Nothing when every set is in the air.
    void Spawn(int kind, const Vec3& position, float size, bool allPieces);
    void Update(float dt);
    void Clear();

    IndexedMesh* meshes[DEBRIS_KINDS][DEBRIS_MESHES] = {};
    int meshCount[DEBRIS_KINDS] = {};
    PooledList<Set*> active;
    PooledList<Set*> free;

private:
    Set* sets_ = nullptr;
};

class ProjectileSystem {
public:
    static constexpr int CAPACITY = 64;
    static constexpr int BEAM_TEXTURES = 9;
    static const char* const BEAM_TEXTURE_PATHS[BEAM_TEXTURES];

    ProjectileSystem();
    ~ProjectileSystem();
    ProjectileSystem(const ProjectileSystem&) = delete;
    ProjectileSystem& operator=(const ProjectileSystem&) = delete;

    // Forgets everything and sets the capacity.
    void Init();
    // The pools of records (the simulation needs nothing more), then the projectile meshes
    // from the Scene's templates, the beam line sprites (with a graphics device) and the debris.
    // Later calls only fetch what was missing.
    void LoadResources();
    bool IsReady() const { return records_ != nullptr; }

    // ---- Firing (world/Weapons.cpp)
    // Launches a projectile from position (or from the mount's bone, or the shooter's fire
    // point) along direction (a direction of almost no length aims at the target). The flags
    // are completed from the weapon.
    void Fire(const Vec3& position, const Vec3& direction, float speed, Entity* shooter, Entity* target,
              const WeaponDef* weapon, uint32_t flags, const AgentAttachment* mount);
    // Opens a beam of a kind (BeamKind) that deals the shooter's damage over duration seconds.
    void StartBeam(float duration, Entity* shooter, Entity* target, const WeaponDef* weapon, int kind,
                   const AgentAttachment* mount);
    // A blow that lands after delay seconds, if the attacker is still swinging by then.
    void QueueMeleeHit(float delay, Entity* attacker, Entity* target);
    // Bursts on the next update, hurting everything of the other side within radius; shakes
    // the camera. alignment -1 hurts everyone. What it hurts counts the hit as the source's,
    // when it has one: the victim knows whom to answer.
    void Explode(const Vec3& position, float damage, float radius, int kind, int alignment, Entity* source = nullptr);

    // ---- The frame (drawn by drawing/ProjectileDrawing.h)
    void Update(float dt);
    // Where a beam leaves its shooter.
    static Vec3 MuzzlePoint(const Beam* beam, Entity* shooter);
    // Every record back to its free list (level end).
    void Clear();
    // Whether the projectile hits the entity, and the hit. The burst of a shell (area) and the
    // target test hit alike: the burst reaches further by the splash radius.
    bool HitTest(Projectile* projectile, Entity* entity, bool area);

    // ---- A saved level's shots (read by world/AgentSceneRecords.cpp): each record as it flew
    // joins the end of its list, so the shots fly on in the order they were saved, and what
    // draws them (a missile's smoke, a beam's sparks) is made anew. False, with nothing taken,
    // when the pool has no room.
    bool TakeBack(const Projectile& shot);
    bool TakeBack(const Beam& beam);
    bool TakeBack(const MeleeHit& hit);

    int ActiveProjectiles() const { return projectiles.count; }
    int ActiveBeams() const { return beams.count; }
    int PendingMeleeHits() const { return meleeHits.count; }

    int capacity = 0;
    PooledList<Projectile*> projectiles;
    PooledList<Projectile*> freeProjectiles;
    PooledList<Beam*> beams;
    PooledList<Beam*> freeBeams;
    PooledList<MeleeHit*> meleeHits;
    PooledList<MeleeHit*> freeMeleeHits;
    IndexedMesh* missileMesh = nullptr;
    IndexedMesh* mortarMesh = nullptr;
    IndexedMesh* plasmaMesh = nullptr;
    IndexedMesh* pulseMesh = nullptr;
    Sprite* beamSprites[BEAM_TEXTURES] = {};
    DebrisField* debris = nullptr;

private:
    void UpdateProjectiles(float dt);
    void UpdateBeams(float dt);
    void UpdateMeleeHits(float dt);
    // The burst of a shell or an explosion: every entity of the other side within reach.
    void Burst(Projectile* projectile);
    // One application of a beam's damage; false when the beam must end.
    bool DealBeamDamage(Beam* beam, float whole);
    void EndBeam(Beam* beam);
    void ChooseChainTargets(Beam* beam, Entity* shooter, Entity* target);
    // What is drawn of a shot in the air: a missile's smoke trail, a beam's impact and muzzle.
    void TrailSmoke(Projectile* shot);
    void DressBeam(Beam* beam, int kind, Entity* shooter);
    void LoadBeamSprites();

    Projectile* records_ = nullptr;
    Beam* beamRecords_ = nullptr;
    MeleeHit* meleeRecords_ = nullptr;
};

extern ProjectileSystem* TheProjectiles;

// The multiplier a hit of a weapon type takes against what it strikes: lasers burn flesh,
// bullets tear machines, missiles crack buildings of stone and steel.
float DamageTypeFactor(int weaponType, int composition, bool targetIsAgent);

// A burn (0), acid (1) or plasma (2) status on an agent, ticking once a second for duration
// seconds; one of that kind still running only lasts longer.
void ApplyWeaponStatus(Agent* agent, int kind, float amount, float duration, Entity* source);

// Where a shot leaves a weapon on a mount: the mount's bone as the shooter stands, turned and
// scaled with it, moved on along the shooter's heading by the weapon's muzzle offset (none
// without a weapon). The shooter's position without a mount bone.
Vec3 MountMuzzlePoint(const Entity* shooter, const AgentAttachment* mount, const WeaponDef* weapon);

// The kind of beam (BeamKind) a beam of a weapon type is; -1 for a type no beam has.
int BeamKindOfWeaponType(int weaponType);

// The damage type a projectile deals: 3 a shell, 1 a missile, 7 plasma, 8 pulse, else 9.
int ProjectileDamageType(uint32_t flags);

// How a turret's projectile leaves its muzzle (the turret has no weapon record of its own):
// missiles and plasma at 20, mortar shells at 10, pulse bolts at 20 like the plasma's. False,
// with nothing written, for the beam weapons.
bool TurretProjectile(int weaponType, float* speed, uint32_t* flags);

namespace WeaponFx {
// The instant weapons: opens a beam of a kind (BeamKind) from the shooter to its target.
void SpawnMuzzleEffect(float duration, Entity* shooter, Entity* target, const WeaponDef* weapon, int kind,
                       const AgentAttachment* mount);
}  // namespace WeaponFx
