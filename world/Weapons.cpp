// Firing: how a shot, a beam, a blow or an explosion enters the projectile system. What they
// do once in it is ProjectileSystem.cpp.
#include "world/ProjectileSystem.h"

#include "mechanics/Scene.h"
#include "platform/MathUtil.h"
#include "platform/SoundManager.h"
#include "render/IndexedMesh.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Effects.h"

#include <cmath>
#include <cstring>

namespace {

// The flags a weapon adds to a projectile of its type.
uint32_t WeaponProjectileFlags(int type)
{
    switch (type) {
    case WEAPON_MORTAR:
        return PROJECTILE_SHELL;
    case WEAPON_MISSILE:
        return PROJECTILE_TRACKING;
    case WEAPON_PLASMA:
        return PROJECTILE_PLASMA | PROJECTILE_TRACKING;
    case WEAPON_PULSE:
        return PROJECTILE_PULSE | PROJECTILE_TRACKING;
    default:
        return 0;
    }
}

void PlayWeaponSound(const char* name)
{
    if (SoundMgr && name && *name) SoundMgr->PlaySound(name);
}

bool OnScreen(Entity* entity)
{
    return entity && entity->visible;
}

// The player's forces fight everyone else's; the others fight the player's. The neutral side
// is everyone's enemy.
uint32_t OpposingAgentAndBuildingSegments(int alignment)
{
    if (alignment == ALIGN_ENEMY) return SEGMENTS_PLAYER;
    if (alignment == ALIGN_NEUTRAL) return 0x3f;
    return (1u << SEGMENT_ENEMY_UNIT) | (1u << SEGMENT_ENEMY_AIR_UNIT) | (1u << SEGMENT_ENEMY_BUILDING);
}

const char* BeamSound(int kind, const WeaponDef* weapon)
{
    switch (kind) {
    case BEAM_LASER:
        return "laserBurn";
    case BEAM_ELECTRIC:
        return "lightning";
    case BEAM_MACHINEGUN:
        return weapon ? weapon->soundName : "machinegun";
    case BEAM_FLAME:
        return "flame";
    default:
        return "acidspit";
    }
}

const char* BeamImpactSystem(int kind)
{
    if (kind == BEAM_LASER || kind == BEAM_ELECTRIC) return "laserimpact";
    if (kind == BEAM_MACHINEGUN || kind == BEAM_FLAME) return "bulletimpact";
    return nullptr;
}

const char* BeamMuzzleSystem(int kind, const WeaponDef* weapon, Entity* shooter)
{
    switch (kind) {
    case BEAM_MACHINEGUN:
        return "muzzle_fire";
    case BEAM_FLAME:
        if (weapon && NamesEqualNoCase(weapon->name, "flamethrower")) {
            const bool creature =
                shooter && (shooter->flags & ENTITY_AGENT) && static_cast<Agent*>(shooter)->brainKind == BRAIN_CREATURE;
            return creature ? "creature_flame" : "flame_thrower_small";
        }
        return "flame_thrower";
    case BEAM_ACID:
        return "acid_thrower";
    default:
        return nullptr;
    }
}

const int BEAM_WEAPON_TYPES[] = {WEAPON_LASER, WEAPON_ELECTRIC, WEAPON_BALLISTIC, WEAPON_FLAME, WEAPON_ACID};

}  // namespace

void ApplyWeaponStatus(Agent* agent, int kind, float amount, float duration, Entity* source)
{
    if (!agent) return;
    StatusEffect effect{kind, amount, 1.0f, 1.0f, duration, EntityRef(source)};
    agent->ApplyStatusEffect(effect);
}

float DamageTypeFactor(int weaponType, int composition, bool targetIsAgent)
{
    switch (weaponType) {
    case WEAPON_LASER:
        return composition == COMPOSITION_BIOLOGICAL ? 1.33f : 1.0f;
    case WEAPON_BALLISTIC:
        return targetIsAgent && (composition == COMPOSITION_MECHANICAL || composition == COMPOSITION_BIOMECHANICAL)
                   ? 1.33f
                   : 1.0f;
    case WEAPON_MISSILE:
        return !targetIsAgent && composition != COMPOSITION_BIOLOGICAL ? 1.33f : 1.0f;
    default:
        return 1.0f;
    }
}

int ProjectileDamageType(uint32_t flags)
{
    if (flags & PROJECTILE_SHELL) return WEAPON_MORTAR;
    if (flags & PROJECTILE_MISSILE) return WEAPON_MISSILE;
    if (flags & PROJECTILE_PLASMA) return WEAPON_PLASMA;
    if (flags & PROJECTILE_PULSE) return WEAPON_PULSE;
    return WEAPON_NONE;
}

bool TurretProjectile(int weaponType, float* speed, uint32_t* flags)
{
    const uint32_t hits = PROJECTILE_TARGET_TEST;
    switch (weaponType) {
    case WEAPON_MISSILE:
        *speed = 20.0f;
        *flags = hits | PROJECTILE_TRACKING | PROJECTILE_MISSILE;
        return true;
    case WEAPON_MORTAR:
        *speed = 10.0f;
        *flags = hits | PROJECTILE_SHELL;
        return true;
    case WEAPON_PLASMA:
        *speed = 20.0f;
        *flags = hits | PROJECTILE_PLASMA;
        return true;
    case WEAPON_PULSE:
        *speed = 20.0f;
        *flags = hits | PROJECTILE_PULSE;
        return true;
    default:
        return false;
    }
}

Vec3 MountMuzzlePoint(const Entity* shooter, const AgentAttachment* mount, const WeaponDef* weapon)
{
    if (!shooter) return Vec3();
    const Vec3 position = shooter->GetPosition();
    if (!mount || mount->boneIndex < 0) return position;
    // The bone is turned by the shooter's heading alone: its world matrix also carries the
    // position, which is added once.
    Vec3 point = GetBoneWorldPosition(shooter->mesh, mount->boneIndex, shooter->rotation, shooter->scale, position);
    if (weapon) {
        Vec3 muzzle(0.0f, 0.0f, weapon->shootOffset.z), turned;
        Vec3TransformNormal(&turned, &muzzle, &shooter->rotation);
        point += turned * shooter->scale;
    }
    return point;
}

void ProjectileSystem::Fire(const Vec3& position, const Vec3& direction, float speed, Entity* shooter, Entity* target,
                            const WeaponDef* weapon, uint32_t flags, const AgentAttachment* mount)
{
    if (!freeProjectiles.head) return;
    Projectile* p = freeProjectiles.head->value;
    freeProjectiles.Unlink(nullptr, freeProjectiles.head);
    projectiles.PushBack(p);

    *p = Projectile();
    p->position = position;
    if (shooter) {
        if (mount && mount->boneIndex >= 0) {
            p->position = MountMuzzlePoint(shooter, mount, weapon);
        } else if ((shooter->flags & ENTITY_AGENT) &&
                   (static_cast<Agent*>(shooter)->classWord & AGENT_CLASS_ALTERNATING_SHOT)) {
            Agent* agent = static_cast<Agent*>(shooter);
            const bool second = agent->fireToggle == 1;
            agent->fireToggle = second ? 0 : 1;
            p->position = shooter->GetFirePoint(second ? 1 : 0);
        } else {
            p->position = shooter->GetFirePoint(0);
        }
    }
    if (target) p->aimPoint = target->GetCenter() + Vec3(0.0f, 1.0f, 0.0f);

    Vec3 heading = direction;
    if (fabsf(heading.x) < 0.01f && fabsf(heading.y) < 0.01f && fabsf(heading.z) < 0.01f)
        heading = p->aimPoint - p->position;
    // A shot with nowhere to go (no direction, its aim point under the muzzle) flies up.
    if (Vec3LengthSq(&heading) < 1e-12f) heading = Vec3(0.0f, 1.0f, 0.0f);
    Vec3Normalize(&p->direction, &heading);

    p->shooter.Set(shooter);
    p->target.Set(target);
    p->speed = speed;
    p->damage = shooter ? shooter->GetDamage(weapon) : 0.0f;
    p->splashRadius = 0.0f;
    p->age = 0.0f;
    p->hasWeapon = weapon != nullptr;
    if (weapon) {
        // The item is not kept: it may be gone when the shot lands, and the hit finds it again.
        p->weapon.CopyFrom(*weapon);
        p->weapon.owner = nullptr;
    }
    p->mount = mount;
    p->alignment = shooter ? shooter->alignment : ALIGN_NEUTRAL;
    p->launchPosition = p->previousPosition = p->position;
    p->flags = flags | (weapon ? WeaponProjectileFlags(weapon->type) : 0);
    p->explosionKind = EXPLOSION_PLAIN;
    if (weapon ? weapon->type == WEAPON_MORTAR : (flags & PROJECTILE_SHELL) != 0) p->splashRadius = 2.5f;
    TrailSmoke(p);
    if (OnScreen(shooter) || OnScreen(target)) PlayWeaponSound(weapon ? weapon->soundName : "attack");
}

void ProjectileSystem::StartBeam(float duration, Entity* shooter, Entity* target, const WeaponDef* weapon, int kind,
                                 const AgentAttachment* mount)
{
    if (!freeBeams.head || kind < BEAM_LASER || kind > BEAM_ACID) return;
    Beam* b = freeBeams.head->value;
    freeBeams.Unlink(nullptr, freeBeams.head);
    beams.PushBack(b);

    *b = Beam();
    b->shooter.Set(shooter);
    b->target.Set(target);
    b->duration = duration;
    b->age = 0.0f;
    b->damage = shooter ? shooter->GetDamage(weapon) : 0.0f;
    b->hasWeapon = weapon != nullptr;
    if (weapon) {
        // The item is not kept: it may be gone when the shot lands, and the hit finds it again.
        b->weapon.CopyFrom(*weapon);
        b->weapon.owner = nullptr;
    }
    b->mount = mount;
    b->alignment = shooter ? shooter->alignment : ALIGN_NEUTRAL;
    b->accumulated = 0.0f;
    b->soundHandle = -1;
    b->weaponType = BEAM_WEAPON_TYPES[kind];

    if (weapon)
        b->colour = weapon->colour;
    else if (kind == BEAM_ELECTRIC)
        b->colour = 0xFF1A1AFF;
    else
        b->colour = b->damage <= 10.0f ? 0xFFFF1A1A : b->damage <= 20.0f ? 0xFF1AFF1A : 0xFF1A1AFF;

    // The beam keeps its voice, so that a sound outlasting the beam can be cut short.
    const char* sound = BeamSound(kind, weapon);
    if ((OnScreen(shooter) || OnScreen(target)) && SoundMgr && sound && *sound)
        b->soundHandle = SoundMgr->PlaySound(sound);
    DressBeam(b, kind, shooter);

    if (kind == BEAM_ACID && target && (target->flags & ENTITY_AGENT))
        ApplyWeaponStatus(static_cast<Agent*>(target), 1, weapon ? weapon->GetDamage() * 0.5f : 5.0f, 5.0f, shooter);
    if (kind == BEAM_ELECTRIC && shooter && target) ChooseChainTargets(b, shooter, target);
}

void ProjectileSystem::TrailSmoke(Projectile* p)
{
    if (!p->hasWeapon || p->weapon.type != WEAPON_MISSILE || !TheScene.particles) return;
    p->smokeTrail = StartEffect("smoke_trail", nullptr, p->position);
}

void ProjectileSystem::DressBeam(Beam* b, int kind, Entity* shooter)
{
    if (!TheScene.particles) return;
    if (const char* impact = BeamImpactSystem(kind)) {
        b->impact = StartEffect(impact, nullptr, Vec3());
    }
    if (const char* muzzle = BeamMuzzleSystem(kind, b->hasWeapon ? &b->weapon : nullptr, shooter)) {
        b->muzzle = StartEffect(muzzle, nullptr, Vec3(), EFFECT_ALONG_DIRECTION);
    }
}

int BeamKindOfWeaponType(int weaponType)
{
    for (int kind = BEAM_LASER; kind <= BEAM_ACID; ++kind)
        if (BEAM_WEAPON_TYPES[kind] == weaponType) return kind;
    return -1;
}

namespace {

// A record of a pool taken back: off the free list, a copy of the saved one, at the end of
// those flying.
template <class T>
T* TakeRecord(PooledList<T*>& active, PooledList<T*>& free, const T& saved)
{
    if (!free.head) return nullptr;
    T* record = free.head->value;
    free.Unlink(nullptr, free.head);
    active.PushBack(record);
    *record = saved;
    return record;
}

}  // namespace

bool ProjectileSystem::TakeBack(const Projectile& shot)
{
    Projectile* p = TakeRecord(projectiles, freeProjectiles, shot);
    if (!p) return false;
    p->smokeTrail = nullptr;
    TrailSmoke(p);
    return true;
}

bool ProjectileSystem::TakeBack(const Beam& saved)
{
    const int kind = BeamKindOfWeaponType(saved.weaponType);
    if (kind < 0) return false;
    Beam* b = TakeRecord(beams, freeBeams, saved);
    if (!b) return false;
    // Its sound was the moment it opened; what it pours out now is seen.
    b->soundHandle = -1;
    b->impact = b->muzzle = nullptr;
    DressBeam(b, kind, b->shooter.Get());
    return true;
}

bool ProjectileSystem::TakeBack(const MeleeHit& hit)
{
    return TakeRecord(meleeHits, freeMeleeHits, hit) != nullptr;
}

void ProjectileSystem::ChooseChainTargets(Beam* beam, Entity* shooter, Entity* target)
{
    int wanted = 0;
    if (shooter->flags & ENTITY_AGENT) {
        int level = static_cast<Agent*>(shooter)->botLevel / 3;
        wanted = (level < 2 ? level : 2) + 1;
    } else if (shooter->flags & ENTITY_BUILDING) {
        const BuildItem* definition = static_cast<Building*>(shooter)->definition;
        wanted = definition ? definition->level : 0;
    }
    if (wanted > BEAM_CHAIN_MAX) wanted = BEAM_CHAIN_MAX;
    if (wanted <= 0) return;
    const Vec3 around = target->GetPosition();
    // The walk may already be in use by whoever fired: the chain looks through the lists.
    const uint32_t mask = OpposingAgentAndBuildingSegments(shooter->alignment);
    for (int segment = 0; segment <= SEGMENT_ENEMY_BUILDING && beam->chainCount < wanted; ++segment) {
        if (!(mask & (1u << segment))) continue;
        for (const Scene::Node* node = TheScene.FirstInList(segment); node && beam->chainCount < wanted;
             node = TheScene.NextInList(node)) {
            Entity* candidate = node->value;
            if (!candidate || candidate == shooter || candidate == target || !candidate->IsAlive()) continue;
            if (!(candidate->flags & (ENTITY_AGENT | ENTITY_BUILDING))) continue;
            if (candidate->alignment == shooter->alignment) continue;
            if ((candidate->flags & ENTITY_AGENT) && (static_cast<Agent*>(candidate)->classWord & AGENT_CLOAKED))
                continue;
            Vec3 apart = candidate->GetPosition() - around;
            if (Vec3Length(&apart) > 10.0f) continue;
            beam->chain[beam->chainCount++].Set(candidate);
        }
    }
}

void ProjectileSystem::QueueMeleeHit(float delay, Entity* attacker, Entity* target)
{
    if (!freeMeleeHits.head) return;
    MeleeHit* hit = freeMeleeHits.head->value;
    freeMeleeHits.Unlink(nullptr, freeMeleeHits.head);
    meleeHits.PushBack(hit);
    hit->attacker.Set(attacker);
    hit->target.Set(target);
    hit->delay = delay;
}

void ProjectileSystem::Explode(const Vec3& position, float damage, float radius, int kind, int alignment, Entity* source)
{
    StartCameraShake(1.0f, damage / 500.0f + 0.5f, 25.12f);
    if (!freeProjectiles.head) return;
    Projectile* p = freeProjectiles.head->value;
    freeProjectiles.Unlink(nullptr, freeProjectiles.head);
    projectiles.PushBack(p);
    *p = Projectile();
    p->position = p->launchPosition = p->aimPoint = position;
    p->damage = damage;
    p->splashRadius = radius;
    p->explosionKind = kind;
    p->alignment = alignment == -1 ? ALIGN_NEUTRAL : alignment;
    p->shooter.Set(source);
    p->flags = PROJECTILE_SHELL;
    p->direction = Vec3(0.0f, 1.0f, 0.0f);
}

void WeaponFx::SpawnMuzzleEffect(float duration, Entity* shooter, Entity* target, const WeaponDef* weapon, int kind,
                                 const AgentAttachment* mount)
{
    if (TheProjectiles) TheProjectiles->StartBeam(duration, shooter, target, weapon, kind, mount);
}
