#include "world/Entity.h"

#include "host/System.h"
#include "host/WorldGuard.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/MathUtil.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/IndexedMesh.h"
#include "terrain/Minimap.h"
#include "terrain/SplatPool.h"
#include "terrain/Terrain.h"
#include "world/Effects.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/MissionHooks.h"
#include "world/ProjectileSystem.h"
#include "world/WeaponDef.h"

#include <cmath>
#include <cstring>

unsigned NextEntityId = FIRST_ENTITY_ID;

namespace {

constexpr uint8_t OWNS_MESH = 0x8;

// A one-off effect at a world point.
void SpawnEffectAt(const char* name, const Vec3& at)
{
    StartEffect(name, nullptr, at, EFFECT_ONCE);
}

void PlayEffectSound(const char* name)
{
    if (SoundMgr) SoundMgr->PlaySound(name);
}

}  // namespace

Entity::Entity()
{
    Reset();
}

Entity::~Entity()
{
    FreeOwnedMeshes();
    delete weapon;
}

void Entity::Reset()
{
    // A reset entity owns no mesh any more.
    FreeOwnedMeshes();
    CopyText(name, sizeof name, "none");
    typeName[0] = 0;
    flags = 0;
    MatrixIdentity(&world);
    size = 1.0f;
    scale = 1.0f;
    mesh = nullptr;
    for (IndexedMesh*& state : meshStates) state = nullptr;
    meshCount = 0;
    collisionMesh = nullptr;
    health = 100.0f;
    maxHealth = 100.0f;
    damage = 0.0f;
    shield = 0.0f;
    maxShield = 0.0f;
    alignment = ALIGN_NEUTRAL;
    composition = COMPOSITION_DEFAULT;
    attachBone = nullptr;
    attachParent = nullptr;
    attachOffset = Vec3();
    delete weapon;
    weapon = nullptr;
    kills = 0;
    splatLayer = 0;
    lit = 1;
    Entity::ResetLevelState();
}

void Entity::ResetLevelState()
{
    // It stands nowhere until the level places it.
    LeaveGridCell();
    CopyText(statusText, sizeof statusText, "none");
    WORLD_CHANGE("an entity made or numbered");
    id = NextEntityId++;
    flags = (flags & ~ENTITY_LEVEL_FLAGS) | ENTITY_SIZE_PENDING;
    died_ = false;
    SetPosition(Vec3());
    MatrixIdentity(&rotation);
    targetYaw = 0.0f;
    yaw = 0.0f;
    previousYaw = yaw;
    ambientOverride = 0;
    updateFrame = -1;
    cullFrame = -1;
    cullTick = -1;
    poseTick = -1;
    visible = 0;
    fogSeenTick = -1;
    ageTimers[0] = ageTimers[1] = 0.0f;
    controlGroup = -1;
    sinceReset = 0.0f;
    velocity = Vec3();
    moveTarget = Vec3();
    // Its effects were ended with the level it left (EndOwnedEffects).
    damageSmoke = nullptr;
    secondEffect = nullptr;
    cameraDistance = 0.0f;
    for (int& corner : gridRect) corner = -1;
    discovered = 0;
    // Its pose was of the level too: the animation starts again.
    if (mesh) mesh->ResetAnimationState();
}

Vec3 Entity::GetCenter()
{
    Vec3 min, max;
    if (!GetWorldBounds(&min, &max)) return GetPosition();
    return (min + max) * 0.5f;
}

bool Entity::GetWorldBounds(Vec3* min, Vec3* max)
{
    if (!mesh) return false;
    Vec3 position = GetPosition();
    if (min) *min = position + mesh->boundsMin * scale;
    if (max) *max = position + mesh->boundsMax * scale;
    return true;
}

bool Entity::GetTurnedWorldBounds(Vec3* min, Vec3* max)
{
    if (!mesh) return false;
    if (yaw == 0.0f) return GetWorldBounds(min, max);
    const Vec3 lo = mesh->boundsMin * scale, hi = mesh->boundsMax * scale;
    Vec3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
    for (int i = 0; i < 8; ++i) {
        Vec3 corner((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z), turned;
        Vec3TransformNormal(&turned, &corner, &rotation);
        low = Vec3(std::fmin(low.x, turned.x), std::fmin(low.y, turned.y), std::fmin(low.z, turned.z));
        high = Vec3(std::fmax(high.x, turned.x), std::fmax(high.y, turned.y), std::fmax(high.z, turned.z));
    }
    const Vec3 position = GetPosition();
    if (min) *min = position + low;
    if (max) *max = position + high;
    return true;
}

namespace {

constexpr uint32_t FOGGED_KINDS = ENTITY_AGENT | ENTITY_BUILDING | ENTITY_RESOURCE;
constexpr uint32_t KEPT_WHEN_FOUND = ENTITY_BUILDING | ENTITY_RESOURCE;

}  // namespace

bool Entity::FogLetsSee()
{
    if (!TheMinimap.IsFogEnabled()) return true;
    const bool playerSide = alignment == ALIGN_PLAYER;
    if ((flags & FOGGED_KINDS) && !playerSide) {
        // What the player once found of a base or a deposit stays on the map.
        if (discovered && (flags & KEPT_WHEN_FOUND)) return true;
        return TheMinimap.IsEntityVisible(this);
    }
    const bool staticInterest = (flags & ENTITY_STATIC) && (flags & ENTITY_OBJECT_OF_INTEREST);
    if (staticInterest || (flags & ENTITY_FUEL)) return discovered || TheMinimap.IsEntityVisible(this);
    if (playerSide) return true;
    // Whatever else lies under the fog (items, growth, marks on the ground) stays hidden there:
    // not everything draws itself darkened by the fog, and nothing of it should stand out of
    // the dark.
    return TheMinimap.IsEntityVisible(this);
}

void Entity::UpdateVisibility()
{
    if (!mesh) return;
    // Asked every tick: the minimap shows what the fog showed in the latest one.
    TheMinimap.IsEntityVisible(this);
    if (discovered || !TheMinimap.IsFogEnabled() || !FogLetsSee()) return;
    discovered = 1;
    if (alignment == ALIGN_ENEMY) NotifyEnemyDiscovered(this);
}

bool Entity::IntersectRay(const Vec3& origin, const Vec3& direction)
{
    Vec3 min, max;
    if (!GetWorldBounds(&min, &max)) return false;
    if (yaw != 0.0f) {
        // The box turned about its own middle, and the box around the turned corners.
        Vec3 centre = (min + max) * 0.5f;
        Vec3 corners[8];
        GetBoxCorners(min - centre, max - centre, corners);
        Vec3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
        for (const Vec3& corner : corners) {
            Vec3 turned;
            Vec3TransformCoord(&turned, &corner, &rotation);
            low = Vec3Min(low, turned);
            high = Vec3Max(high, turned);
        }
        min = centre + low;
        max = centre + high;
    }
    return BoxBoundProbe(&min, &max, &origin, &direction);
}

Vec3 Entity::GetFirePoint(int)
{
    return GetPosition();
}

void Entity::Update()
{
    int frame = WorldStepCount();
    if (updateFrame == frame) return;
    updateFrame = frame;
    float step = GamePaused ? 0.0f : WorldStep();
    ageTimers[0] += step;
    ageTimers[1] += step;
    Settle();
    // Fog of war and visibility come with the entity's own work on the level; what every
    // entity needs of its update is here.
    if ((flags & ENTITY_RESOURCE) && health <= 0.0f) flags |= ENTITY_DEAD;
    if (flags & ENTITY_SHIELD) {
        shield += GetShieldBonus() * step;
        if (shield > maxShield) shield = maxShield;
    }
}

void Entity::Settle()
{
    if (flags & ENTITY_PLACED) {
        flags &= ~ENTITY_PLACED;
        // Ore claims its cell, so harvesters and builders find it through the grid.
        if (flags & ENTITY_RESOURCE) {
            Grid* grid = CurrentGrid();
            if (GridCell* cell = grid ? grid->GetCellAt(GetPosition()) : nullptr) {
                cell->occupant = this;
                gridCell = cell;
            }
            if ((flags & ENTITY_RESOURCE_REVEALED) && meshCount == 3) {
                IndexedMesh* stage = health > 0.5f * maxHealth ? meshStates[1] : meshStates[2];
                if (stage) mesh = stage;
            }
        }
    }
    if (flags & ENTITY_SNAP_TO_GROUND) {
        flags &= ~ENTITY_SNAP_TO_GROUND;
        Vec3 position = GetPosition();
        position.y = TheTerrain.GetHeight(position);
        // Splats laid on one another are lifted apart so they never fight over the same depth.
        if (flags & ENTITY_SPLAT) position.y += 0.1f * (float)splatLayer;
        SetPosition(position);
    }
}

bool Entity::IsAvailable()
{
    return true;
}

void Entity::OnSelect() {}

void Entity::OnDeselect() {}

void Entity::OnHook() {}

bool Entity::GiveFootprint(bool found, const IntRect& cells, int* x0, int* y0, int* x1, int* y1)
{
    const int corners[4] = {cells.minX, cells.minY, cells.maxX, cells.maxY};
    int* out[4] = {x0, y0, x1, y1};
    for (int i = 0; i < 4; ++i)
        if (out[i]) *out[i] = found ? corners[i] : -1;
    return found;
}

bool Entity::GetGridFootprint(int* x0, int* y0, int* x1, int* y1)
{
    IntRect cells{};
    const bool found = GetRotatedFootprintCells(&cells, mesh, GetPosition(), yaw, scale);
    return GiveFootprint(found, cells, x0, y0, x1, y1);
}

void Entity::UpdateDamageEffects(const Vec3* hitPoint)
{
    if (hitPoint) {
        SpawnEffectAt("explosparks", *hitPoint + Vec3(0.0f, 1.0f, 0.0f));
        PlayEffectSound("FireHit");
    }
    if (health >= 0.5f * GetMaxHealth()) {
        StopEffect(&damageSmoke);
        return;
    }
    // Machines smoke once they are badly hurt; the smoke rides along with them.
    if (composition != COMPOSITION_MECHANICAL || damageSmoke || !TheScene.particles) return;
    float lift = 0.5f;
    Vec3 min, max;
    if ((flags & ENTITY_BUILDING) && GetWorldBounds(&min, &max)) lift = (max.y - min.y) - 0.5f;
    Vec3 centre = GetCenter() - GetPosition();
    damageSmoke = StartEffect("black_smoke_damage", this, Vec3(centre.x, lift, centre.z));
}

void Entity::EndOwnedEffects()
{
    // Its effects all follow it, so they stop with what follows it; none is reached through a
    // pointer whose system the particles may have taken back meanwhile.
    damageSmoke = secondEffect = nullptr;
    StopEffectsOf(this);
}

void Entity::Die(Entity*)
{
    // A unit dies once, however many blows land in the same tick: a second death would count
    // it twice and give its place in the unit count back twice.
    if (died_ && (flags & ENTITY_AGENT)) return;
    died_ = true;
    const char* explosion = composition == COMPOSITION_BIOLOGICAL ? "exploblood" : "explo";
    if ((flags & ENTITY_AGENT) && composition == COMPOSITION_BIOLOGICAL && weapon && weapon->type == WEAPON_ACID)
        explosion = "explogreen";
    if (flags & ENTITY_AGENT) {
        // A unit of the player's army that falls frees its place in the unit count.
        if (alignment == ALIGN_PLAYER && !(flags & ENTITY_PLAYER) && TheScene.unitControl.used > 0)
            --TheScene.unitControl.used;
        // A creature leaves a stain on the ground; one that spat acid bleeds green.
        if (composition == COMPOSITION_BIOLOGICAL && TheSplats)
            TheSplats->Add(GetPosition(), strcmp(explosion, "explogreen") == 0 ? SPLAT_GREEN_BLOOD : SPLAT_RED_BLOOD);
    } else if ((flags & ENTITY_ITEM) && !(flags & ENTITY_BUILDING)) {
        explosion = strstr(name, "ice_block") ? "explo_ice" : "explorocks";
        if (TheProjectiles && TheProjectiles->debris)
            TheProjectiles->debris->Spawn(DebrisField::ROCK, GetCenter(), 4.0f, false);
    }
    Vec3 centre = GetCenter();
    SpawnEffectAt(explosion, centre + Vec3(0.0f, 1.0f, 0.0f));
    if (flags & ENTITY_BUILDING) SpawnEffectAt("exploring", GetPosition() + Vec3(0.0f, 1.0f, 0.0f));
    for (ParticleSystem** effect : {&damageSmoke, &secondEffect}) StopEffect(effect);
    if (visible) {
        const bool biological = composition == COMPOSITION_BIOLOGICAL;
        if (flags & ENTITY_BUILDING) {
            PlayEffectSound(biological ? "beastdead" : "explo");
        } else if (flags & ENTITY_AGENT) {
            if (biological) {
                PlayEffectSound("beastdead");
            } else if (alignment == ALIGN_ENEMY && composition == COMPOSITION_BIOMECHANICAL) {
                PlayEffectSound("explo");
                PlayEffectSound("deadscav");
            } else {
                PlayEffectSound("mechdead");
            }
        } else if (flags & ENTITY_ITEM) {
            PlayEffectSound("breakrocks");
        }
    }
    if (flags & ENTITY_SELECTION) {
        flags &= ~ENTITY_SELECTION;
        OnDeselect();
    }
    // The fallen leave the control groups at once (they leave the selection when retired).
    if (TheGame) TheGame->SyncControlGroups(this);
    LeaveGridCell();
    NotifyEntityDied(this);
}

void Entity::AddKill(Entity*)
{
    ++kills;
}

float Entity::GetDamage(const WeaponDef* weapon_)
{
    return weapon_ ? weapon_->GetDamage() : damage;
}

float Entity::GetHealth()
{
    return health;
}

float Entity::GetMaxHealth()
{
    return maxHealth;
}

float Entity::GetSpeed()
{
    return 0.0f;
}

float Entity::GetHullFactor()
{
    return 0.0f;
}

float Entity::GetShield()
{
    return (flags & ENTITY_SHIELD) ? shield : 0.0f;
}

float Entity::GetShieldBonus()
{
    return 5.0f;
}

void Entity::SetHealth(float value)
{
    WORLD_CHANGE("a hull changed");
    health = value < 0.0f ? 0.0f : value;
    if (health > GetMaxHealth()) SetMaxHealth(health);
    // A mission object's health can finish an objective (a repaired or excavated object):
    // the mission looks at once instead of at its next half-second check.
    if (flags & ENTITY_OBJECT_OF_INTEREST) NotifyHealthSet(this);
}

void Entity::SetMaxHealth(float value)
{
    WORLD_CHANGE("a hull changed");
    maxHealth = value;
    if (health > maxHealth) health = maxHealth;
}

float EnemyDifficultyScale()
{
    const float difficulty = Config ? (float)Config->Difficulty : 1.0f;
    return 1.0f + (difficulty - 1.0f) / 3.0f;
}

void ScaleEnemyForDifficulty(Entity* enemy)
{
    enemy->SetMaxHealth(enemy->GetMaxHealth() * EnemyDifficultyScale());
    enemy->SetHealth(enemy->GetMaxHealth());
}

void Entity::TakeDamage(float amount, Entity*, const WeaponDef*, int, bool)
{
    WORLD_CHANGE("a hull or shield hit");
    if (Config && Config->Difficulty != 1) {
        float f = (Config->Difficulty - 1) * Config->DamageAdjust;
        amount *= alignment == ALIGN_PLAYER ? 1.0f + f : 1.0f - f;
    }
    if (flags & ENTITY_SHIELD) {
        shield -= amount;
        if (shield > 0.0f) return;
        amount = -shield;
        shield = 0.0f;
    }
    if (amount <= 0.0f) return;
    health -= amount;
    if (health > 0.0f) return;
    if (flags & ENTITY_LAST_STAND) {
        health = 1.0f;
    } else {
        health = 0.0f;
        flags |= ENTITY_DEAD;
    }
}

float Entity::GetDamagePerSecond(const WeaponDef* weapon_)
{
    float hit = GetDamage(weapon_);
    // Bare hands hit every 4 seconds.
    if (!weapon_) return hit / 4.0f;
    float cycle = weapon_->windUp > 0.0f ? weapon_->windUp + weapon_->interval : weapon_->interval;
    // A definition without a firing interval would rate infinite: count it as one hit a second.
    return cycle > 0.0f ? hit / cycle : hit;
}

Vec3 Entity::GetPosition() const
{
    return IsAttached() ? GetAttachedPosition() : Vec3(world._41, world._42, world._43);
}

void Entity::SetPosition(const Vec3& position)
{
    world._41 = position.x;
    world._42 = position.y;
    world._43 = position.z;
}

Vec3 Entity::GetAttachedPosition() const
{
    // Each parent adds its own place, so chains of attachments resolve; one that loops back
    // on itself stops after a few links.
    Vec3 position;
    const Entity* child = this;
    for (int links = 0; links < 8 && child->IsAttached(); ++links) {
        const Matrix& bone = child->attachBone->worldMatrix;
        Vec3 local(-bone._41, bone._42, bone._43), turned;
        Vec3TransformCoord(&turned, &local, &child->attachParent->rotation);
        position += turned;
        child = child->attachParent;
    }
    return position + Vec3(child->world._41, child->world._42, child->world._43);
}

float Entity::DistanceTo(const Vec3& point)
{
    Vec3 centre = GetPosition();
    float halfWidth = 0.0f;
    Vec3 min, max;
    if (GetWorldBounds(&min, &max)) {
        centre = (min + max) * 0.5f;
        if (flags & (ENTITY_ITEM | ENTITY_BUILDING)) halfWidth = std::fabs(max.x - min.x) * 0.5f;
    }
    float dx = point.x - centre.x, dz = point.z - centre.z;
    float distance = std::sqrt(dx * dx + dz * dz) - halfWidth;
    return distance > 0.0f ? distance : 0.0f;
}

void Entity::LeaveGridCell()
{
    if (gridCell) gridCell->RemoveOccupant(this);
    gridCell = nullptr;
}

void Entity::MarkDeleted()
{
    CopyText(statusText, sizeof statusText, "DELETED");
}

void Entity::AdoptMesh(IndexedMesh* owned)
{
    mesh = owned;
    if (owned) ownedMeshes_ |= OWNS_MESH;
}

void Entity::AdoptMeshState(int slot, IndexedMesh* owned)
{
    if (slot < 0 || slot >= ENTITY_MESH_STATES) return;
    meshStates[slot] = owned;
    if (owned) ownedMeshes_ |= (uint8_t)(1u << slot);
}

void Entity::FreeOwnedMeshes()
{
    IndexedMesh* owned[ENTITY_MESH_STATES + 1] = {};
    int count = 0;
    auto take = [&](IndexedMesh* candidate) {
        for (int i = 0; i < count; ++i)
            if (owned[i] == candidate) return;
        if (candidate) owned[count++] = candidate;
    };
    for (int slot = 0; slot < ENTITY_MESH_STATES; ++slot)
        if (ownedMeshes_ & (1u << slot)) take(meshStates[slot]);
    if (ownedMeshes_ & OWNS_MESH) take(mesh);
    ownedMeshes_ = 0;
    for (int i = 0; i < count; ++i) {
        for (IndexedMesh*& state : meshStates)
            if (state == owned[i]) state = nullptr;
        if (mesh == owned[i]) mesh = nullptr;
        delete owned[i];
    }
}

void EntityRef::Set(Entity* target)
{
    entity = target;
    id = target ? target->id : 0;
}

Entity* EntityRef::Get() const
{
    return entity ? TheScene.Resolve(entity, id) : nullptr;
}

Entity* EntityRef::GetLive() const
{
    Entity* found = Get();
    return found && found->IsAlive() ? found : nullptr;
}
