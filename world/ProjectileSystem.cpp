// The projectile system's pools and its frame step: flight, hits, bursts, beams pouring
// damage, melee blows and debris. The firing operations are Weapons.cpp, the debris
// DebrisField.cpp, the drawing drawing/ProjectileDrawing.cpp.
#include "world/ProjectileSystem.h"

#include "host/SteadyMath.h"
#include "mechanics/Game.h"
#include "mechanics/Scene.h"
#include "platform/MathUtil.h"
#include "platform/SoundManager.h"
#include "render/Animation.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "render/Sprite.h"
#include "render/ViewFrustum.h"
#include "terrain/SplatPool.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/Item.h"

#include <cmath>
#include <cstring>
#include <new>

ProjectileSystem* TheProjectiles = nullptr;

namespace {

// Whoever stands for the other side of an alignment: the player's segments for an enemy,
// everyone's for the neutral side, the enemies' (and the items, rocks among them) otherwise.
uint32_t BurstSegments(int alignment)
{
    if (alignment == ALIGN_ENEMY) return SEGMENTS_PLAYER;
    if (alignment == ALIGN_NEUTRAL) return 0x3f;
    return (1u << SEGMENT_ENEMY_UNIT) | (1u << SEGMENT_ENEMY_AIR_UNIT) | (1u << SEGMENT_ENEMY_BUILDING) |
           (1u << SEGMENT_ITEM);
}

// The opposing agents and buildings a flame sweeps.
uint32_t FlameSegments(int alignment)
{
    if (alignment == ALIGN_ENEMY) return SEGMENTS_PLAYER;
    if (alignment == ALIGN_NEUTRAL) return 0x3f;
    return (1u << SEGMENT_ENEMY_UNIT) | (1u << SEGMENT_ENEMY_AIR_UNIT) | (1u << SEGMENT_ENEMY_BUILDING);
}

void SpawnAt(const char* name, const Vec3& at)
{
    ParticleSystem* system = TheScene.particles ? TheScene.particles->SpawnSystem(name) : nullptr;
    if (!system) return;
    system->offset = at;
    system->flags |= PARTICLE_OFFSET_ORIGIN | PARTICLE_TIMED;
}

void Play(const char* name)
{
    if (SoundMgr) SoundMgr->PlaySound(name);
}

float GroundDistance(const Vec3& a, const Vec3& b)
{
    float dx = a.x - b.x, dz = a.z - b.z;
    return sqrtf(dx * dx + dz * dz);
}

// The ground distance from point to the nearest spot of the way from a to b.
float GroundDistanceToWay(const Vec3& a, const Vec3& b, const Vec3& point)
{
    float wx = b.x - a.x, wz = b.z - a.z;
    float length = wx * wx + wz * wz;
    float t = length > 1e-12f ? ((point.x - a.x) * wx + (point.z - a.z) * wz) / length : 1.0f;
    t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
    float dx = a.x + wx * t - point.x, dz = a.z + wz * t - point.z;
    return sqrtf(dx * dx + dz * dz);
}

bool IsAgent(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT);
}

bool IsAirAgent(const Entity* entity)
{
    return IsAgent(entity) && static_cast<const Agent*>(entity)->IsAirUnit();
}

// The shooter's weapon learns whether its shot hurt the target.
void MarkShot(Entity* shooter, const AgentAttachment* mount, const Entity* target, bool hurt)
{
    if (IsAgent(shooter) && shooter->IsAlive()) static_cast<Agent*>(shooter)->MarkShot(mount, target, hurt);
}

// The weapon a shot strikes with. The shot's copy of its weapon holds no item: the shooter may
// die, or its item be taken off, while the shot flies. The item, and the specials it lends the hit
// (shield drain, freeze, siphon), is found again from the shooter while the shooter lives and the
// mount the shot left still carries that weapon; otherwise the shot strikes with the bare weapon.
const WeaponDef* StrikingWeapon(const WeaponDef* copy, Entity* shooter, const AgentAttachment* mount,
                                WeaponDef* withItem)
{
    if (!copy || !mount || !IsAgent(shooter) || !shooter->IsAlive()) return copy;
    const Agent* agent = static_cast<const Agent*>(shooter);
    for (int i = 0; i < agent->AttachmentCount(); ++i) {
        if (&agent->Attachment(i) != mount) continue;
        const Entity* item = mount->entity;
        if (!item || !(item->flags & ENTITY_ITEM) || !item->weapon || !item->weapon->owner) return copy;
        const WeaponDef* carried = item->weapon;
        if (carried->type != copy->type || strcmp(carried->name, copy->name) != 0) return copy;
        withItem->CopyFrom(*copy);
        withItem->owner = carried->owner;
        return withItem;
    }
    return copy;
}

// A damaged entity either dies (the killer counts it) or shows its wounds.
void AfterDamage(Entity* victim, Entity* killer)
{
    if (victim->GetHealth() <= 0.0f) {
        victim->Die(killer);
        if (killer && killer->IsAlive()) killer->AddKill(victim);
    } else {
        victim->UpdateDamageEffects(nullptr);
    }
}

bool InView(const Vec3& point, float half)
{
    if (!Frustum) return false;
    Vec3 extent(half, half, half);
    return Frustum->ClassifyBox(point - extent, point + extent) != ViewFrustum::OUTSIDE;
}

template <class T>
void TakeRecords(PooledList<T*>& free, T* records, int count)
{
    for (int i = 0; i < count; ++i) free.PushBack(&records[i]);
}

// Gives every active record back to its free list.
template <class T>
void ReturnAll(PooledList<T*>& active, PooledList<T*>& free)
{
    while (active.head) {
        free.PushBack(active.head->value);
        active.Unlink(nullptr, active.head);
    }
}

}  // namespace

ProjectileSystem::ProjectileSystem()
{
    Init();
}

ProjectileSystem::~ProjectileSystem()
{
    for (Sprite*& sprite : beamSprites) {
        delete sprite;
        sprite = nullptr;
    }
    delete debris;
    delete[] records_;
    delete[] beamRecords_;
    delete[] meleeRecords_;
}

const char* const ProjectileSystem::BEAM_TEXTURE_PATHS[BEAM_TEXTURES] = {
    "data/textures/effects/laser_grey1.dds",   "data/textures/effects/laser_grey2.dds",
    "data/textures/effects/laser_grey3.dds",   "data/textures/effects/lightning1.dds",
    "data/textures/effects/lightning2.dds",    "data/textures/effects/lightning3.dds",
    "data/textures/effects/lightning_red1.dds", "data/textures/effects/lightning_red2.dds",
    "data/textures/effects/lightning_red3.dds"};

// The beams' pictures are loaded with the level's other resources, when there is a device.
void ProjectileSystem::LoadBeamSprites()
{
    if (!Graphics || !Graphics->device) return;
    for (int i = 0; i < BEAM_TEXTURES; ++i) {
        if (beamSprites[i]) continue;
        beamSprites[i] = CreateBillboardSprite(Vec3(), Vec3(0.0f, 0.0f, 1.0f), BEAM_TEXTURE_PATHS[i], 0xFFFFFFFF, true);
    }
}

void ProjectileSystem::Init()
{
    capacity = CAPACITY;
}

void ProjectileSystem::LoadResources()
{
    if (!records_) {
        records_ = new Projectile[CAPACITY];
        beamRecords_ = new Beam[CAPACITY];
        meleeRecords_ = new MeleeHit[CAPACITY];
        for (auto* list : {&projectiles, &freeProjectiles}) list->Init(CAPACITY);
        for (auto* list : {&beams, &freeBeams}) list->Init(CAPACITY);
        for (auto* list : {&meleeHits, &freeMeleeHits}) list->Init(CAPACITY);
        TakeRecords(freeProjectiles, records_, CAPACITY);
        TakeRecords(freeBeams, beamRecords_, CAPACITY);
        TakeRecords(freeMeleeHits, meleeRecords_, CAPACITY);
    }
    struct {
        IndexedMesh** mesh;
        const char* name;
    } meshes[] = {{&missileMesh, "missile"},
                  {&mortarMesh, "mortar"},
                  {&plasmaMesh, "plasmablast"},
                  {&pulseMesh, "pulseblast"}};
    for (auto& wanted : meshes) {
        if (*wanted.mesh) continue;
        Entity* primitive = TheScene.FindPrimitive(wanted.name);
        *wanted.mesh = primitive ? primitive->mesh : nullptr;
    }
    LoadBeamSprites();
    if (!debris) debris = new DebrisField();
    debris->Load();
}

void ProjectileSystem::Clear()
{
    for (auto* node = projectiles.head; node; node = node->next)
        if (node->value->smokeTrail) node->value->smokeTrail->Stop();
    for (auto* node = beams.head; node; node = node->next) {
        if (node->value->impact) node->value->impact->Stop();
        if (node->value->muzzle) node->value->muzzle->Stop();
    }
    ReturnAll(projectiles, freeProjectiles);
    ReturnAll(beams, freeBeams);
    ReturnAll(meleeHits, freeMeleeHits);
    if (debris) debris->Clear();
}

void ProjectileSystem::Update(float dt)
{
    UpdateProjectiles(dt);
    UpdateBeams(dt);
    UpdateMeleeHits(dt);
    if (debris) debris->Update(dt);
}

// ---- Projectiles

void ProjectileSystem::UpdateProjectiles(float dt)
{
    PooledList<Projectile*>::Node* previous = nullptr;
    for (auto* node = projectiles.head; node;) {
        Projectile* p = node->value;
        Entity* target = p->target.GetLive();
        p->previousPosition = p->position;

        if ((p->flags & PROJECTILE_TRACKING) && target) {
            Vec3 toTarget = target->GetCenter() - p->position;
            Vec3 heading = toTarget;
            if (Vec3Length(&toTarget) >= 5.0f && !(p->flags & PROJECTILE_BOLTS))
                heading = p->direction + (toTarget - p->direction) * (dt < 1.0f ? dt : 1.0f);
            if (Vec3LengthSq(&heading) > 1e-12f) Vec3Normalize(&p->direction, &heading);
        }

        if (p->flags & PROJECTILE_SHELL) {
            Entity* shooter = p->shooter.GetLive();
            if (target) {
                p->aimPoint = target->GetCenter();
                Vec3 course = p->aimPoint - p->launchPosition;
                // A shell aimed straight up or down has no course over the ground: it keeps
                // the one it had.
                if (Vec3LengthSq(&course) > 1e-12f) Vec3Normalize(&p->direction, &course);
            }
            const bool airborne = IsAirAgent(shooter);
            if (airborne) p->speed += 9.8f * dt;
            p->position += p->direction * (p->speed * dt);
            float span = GroundDistance(p->launchPosition, p->aimPoint);
            float covered = GroundDistance(p->launchPosition, p->position);
            // A shell with no ground to cover has arrived as soon as it leaves.
            float progress = span > 1e-4f ? covered / span : 1.0f;
            if (!airborne) p->position.y = p->launchPosition.y + Sin(progress * PI) * span * 0.5f;
            p->age += dt;
            if (progress >= 1.0f || !p->target.IsSet()) p->age = PROJECTILE_DONE;
        } else {
            p->position += p->direction * (p->speed * dt);
            p->age += dt;
        }

        if (p->smokeTrail) p->smokeTrail->offset = p->position;

        if (p->flags & PROJECTILE_TARGET_TEST) {
            if (target && target->mesh) {
                HitTest(p, target, false);
                if (target->IsAlive()) target->UpdateDamageEffects(nullptr);
            } else {
                p->age = PROJECTILE_DONE;
            }
        }

        if ((p->flags & PROJECTILE_GROUND_TEST) && p->position.y < TheTerrain.GetHeight(p->position))
            p->age = PROJECTILE_DONE;

        if ((p->flags & PROJECTILE_SHELL) && p->age > 999.0f) Burst(p);

        if (p->age > PROJECTILE_LIFETIME) {
            if (p->target.IsSet() && !p->targetHit) MarkShot(p->shooter.GetLive(), p->mount, p->target.Get(), false);
            if (p->smokeTrail) {
                // The trail stops and what it left in the air fades.
                p->smokeTrail->flags |= PARTICLE_EMIT_OFF | PARTICLE_FINISHED;
                p->smokeTrail = nullptr;
            }
            auto* next = node->next;
            projectiles.Unlink(previous, node);
            freeProjectiles.PushBack(p);
            node = next;
            continue;
        }
        previous = node;
        node = node->next;
    }
}

bool ProjectileSystem::HitTest(Projectile* p, Entity* entity, bool)
{
    if (!p || !entity) return false;
    // A fast shot covers more ground in a slow frame than a small target is wide: measured
    // only where the frame ends, it would hop over the target and back without ever striking.
    // A shell still bursts where it lands.
    float distance = (p->flags & PROJECTILE_SHELL)
                         ? GroundDistance(p->position, entity->GetCenter())
                         : GroundDistanceToWay(p->previousPosition, p->position, entity->GetCenter());
    float radius = 0.0f;
    if (IsAirAgent(entity)) {
        Vec3 min, max;
        if (entity->GetWorldBounds(&min, &max)) radius = (max.y - min.y) * 0.5f;
    } else if (entity->mesh) {
        Vec3 extent = (entity->mesh->boundsMax - entity->mesh->boundsMin) * 0.5f;
        radius = (extent.x + extent.y + extent.z) / 3.0f * entity->scale;
        radius *= IsAgent(entity) ? 0.5f : 0.75f;
    }
    if (p->age > 999.0f) radius += 2.0f * p->splashRadius;
    if (!(radius > distance)) return false;
    if ((p->flags & PROJECTILE_SHELL) && p->age <= 999.0f) return false;

    Entity* shooter = p->shooter.Get();
    WeaponDef withItem;
    const WeaponDef* weapon = StrikingWeapon(p->hasWeapon ? &p->weapon : nullptr, shooter, p->mount, &withItem);
    if (entity->IsAlive() && entity->GetHealth() > 0.0f) {
        entity->TakeDamage(p->damage, shooter, weapon, ProjectileDamageType(p->flags), true);
        if (weapon && weapon->type == WEAPON_PLASMA && entity->composition == COMPOSITION_MECHANICAL &&
            TheScene.particles) {
            if (entity->secondEffect) entity->secondEffect->Stop();
            entity->secondEffect = TheScene.particles->SpawnSystem("plasmaburst");
            if (entity->secondEffect) entity->secondEffect->owner = entity;
        }
        if (IsAgent(entity)) {
            Agent* victim = static_cast<Agent*>(entity);
            Entity* liveShooter = p->shooter.GetLive();
            float amount = p->damage * 0.5f;
            if (IsAgent(liveShooter)) {
                uint32_t upgrades = static_cast<Agent*>(liveShooter)->upgradeFlags;
                if (upgrades & 0x2000) ApplyWeaponStatus(victim, 0, amount, 5.0f, liveShooter);
                if (upgrades & 0x4000) ApplyWeaponStatus(victim, 1, amount, 5.0f, liveShooter);
            }
            if (p->flags & PROJECTILE_BURNS) ApplyWeaponStatus(victim, 0, amount, 5.0f, shooter);
            if (p->flags & PROJECTILE_CORRODES) ApplyWeaponStatus(victim, 1, amount, 5.0f, shooter);
            if (p->flags & PROJECTILE_PLASMA) ApplyWeaponStatus(victim, 2, amount, 5.0f, shooter);
        }
        if (entity->GetHealth() <= 0.0f) {
            entity->Die(shooter);
            if (shooter && shooter->IsAlive()) shooter->AddKill(entity);
        }
    } else {
        entity->UpdateDamageEffects(nullptr);
    }
    if (entity == p->target.Get()) {
        p->targetHit = true;
        MarkShot(p->shooter.GetLive(), p->mount, entity, true);
    }
    SpawnAt("explosparks", p->position);
    if (Entity* target = p->target.Get(); target && target->visible) Play("FireHit");
    p->age = PROJECTILE_DONE;
    return true;
}

void ProjectileSystem::Burst(Projectile* p)
{
    if (p->explosionKind != EXPLOSION_SMASH) SpawnAt("exploring", p->position);
    if (InView(p->position, 3.5f)) Play("explo");
    Entity* shooter = p->shooter.Get();
    // The target the shell struck has had its share: the burst is for those around it.
    Entity* struck = p->targetHit ? p->target.Get() : nullptr;
    const uint32_t mask = BurstSegments(p->alignment);
    int killed = 0;
    for (int segment = 0; segment < SEGMENT_COUNT; ++segment) {
        if (!(mask & (1u << segment))) continue;
        for (const Scene::Node* node = TheScene.FirstInList(segment); node;) {
            Entity* entity = node->value;
            // The hit may take the entity out of the list: step on first.
            node = TheScene.NextInList(node);
            if (!entity || entity == shooter || entity == struck || !entity->IsAlive()) continue;
            if (!(entity->flags & (ENTITY_AGENT | ENTITY_BUILDING))) {
                // Of the items, only a rock a mission wants broken takes the blast.
                const bool rock = (entity->flags & ENTITY_OBJECT_OF_INTEREST) && (entity->flags & ENTITY_ITEM) &&
                                  (static_cast<Item*>(entity)->itemFlags & ITEM_FLAG_ROCK);
                if (!rock) continue;
            }
            HitTest(p, entity, true);
            if (!entity->IsAlive() && entity->alignment == ALIGN_ENEMY) ++killed;
        }
    }
    (void)killed;  // the player's record of kills by one barrel comes with the statistics
    p->age = PROJECTILE_DONE;
}

// ---- Beams

Vec3 ProjectileSystem::MuzzlePoint(const Beam* beam, Entity* shooter)
{
    if (beam->mount && beam->mount->boneIndex >= 0)
        return MountMuzzlePoint(shooter, beam->mount, beam->hasWeapon ? &beam->weapon : nullptr);
    return shooter->GetFirePoint(0);
}

bool ProjectileSystem::DealBeamDamage(Beam* beam, float whole)
{
    Entity* target = beam->target.GetLive();
    if (!target || target->GetHealth() <= 0.0f) return false;
    Entity* shooter = beam->shooter.Get();
    WeaponDef withItem;
    const WeaponDef* weapon =
        StrikingWeapon(beam->hasWeapon ? &beam->weapon : nullptr, shooter, beam->mount, &withItem);
    target->TakeDamage(whole, shooter, weapon, beam->weaponType, fabsf(beam->lastDealt) < 0.01f);
    beam->lastDealt = whole;
    MarkShot(shooter, beam->mount, target, true);
    AfterDamage(target, shooter);

    if (beam->weaponType == WEAPON_FLAME && shooter) {
        Vec3 muzzle = MuzzlePoint(beam, shooter);
        Vec3 toTarget = target->GetCenter() - muzzle;
        float reach = Vec3Length(&toTarget) + 5.0f;
        Vec3 unit = toTarget;
        if (Vec3LengthSq(&unit) > 1e-12f) Vec3Normalize(&unit, &toTarget);
        if (IsAirAgent(shooter) && fabsf(unit.y) > 0.05f) reach *= 1.0f - fabsf(unit.y);
        float heading = shooter->yaw;
        HeadingFromVector(toTarget.x, toTarget.z, &heading);
        if (reach > 0.05f) {
            int swept = 0;
            const uint32_t mask = FlameSegments(shooter->alignment);
            for (int segment = 0; segment <= SEGMENT_ENEMY_BUILDING && swept < 8; ++segment) {
                if (!(mask & (1u << segment))) continue;
                for (const Scene::Node* node = TheScene.FirstInList(segment); node && swept < 8;) {
                    Entity* other = node->value;
                    node = TheScene.NextInList(node);
                    if (!other || other == shooter || other == target || !other->IsAlive()) continue;
                    if (!(other->flags & (ENTITY_AGENT | ENTITY_BUILDING)) || IsAirAgent(other)) continue;
                    if (other->alignment == shooter->alignment) continue;
                    if (!IsInFacingCone(muzzle, heading, other->GetPosition(), reach, 30.0f)) continue;
                    ++swept;
                    other->TakeDamage(whole, shooter, weapon, WEAPON_FLAME, false);
                    AfterDamage(other, shooter);
                }
            }
        }
    }

    for (int i = 0; i < beam->chainCount;) {
        Entity* link = beam->chain[i].GetLive();
        if (!link || link->GetHealth() <= 0.0f) {
            // A link that fell is let go, and the rest move up.
            for (int j = i; j + 1 < beam->chainCount; ++j) beam->chain[j] = beam->chain[j + 1];
            beam->chain[--beam->chainCount].Clear();
            continue;
        }
        link->TakeDamage(beam->lastDealt * 0.5f, shooter, weapon, beam->weaponType, false);
        AfterDamage(link, shooter);
        ++i;
    }
    return true;
}

void ProjectileSystem::EndBeam(Beam* beam)
{
    if (beam->impact) beam->impact->Stop();
    if (beam->muzzle) {
        if (beam->weaponType == WEAPON_ACID) {
            // The spray that is already in the air finishes its flight.
            beam->muzzle->flags |= PARTICLE_EMIT_OFF | PARTICLE_FINISHED;
        } else {
            beam->muzzle->Stop();
        }
    }
    beam->impact = beam->muzzle = nullptr;
    if (beam->soundHandle >= 0 && SoundMgr)
        SoundMgr->StopSound(beam->soundHandle / SOUND_HANDLE_FACTOR, beam->soundHandle);
    beam->soundHandle = -1;
}

void ProjectileSystem::UpdateBeams(float dt)
{
    PooledList<Beam*>::Node* previous = nullptr;
    for (auto* node = beams.head; node;) {
        Beam* beam = node->value;
        const float before = beam->age;
        beam->age += dt;
        if (!GamePaused) beam->frameTimer += dt;

        Entity* shooter = beam->shooter.Get();
        Entity* target = beam->target.Get();
        bool ended = !shooter;
        if (shooter && IsAgent(shooter)) {
            Agent* agent = static_cast<Agent*>(shooter);
            agent->attackTimer = 0.0f;
            // A weapon on a mount (the rig's arms) waits out its own beam the same way.
            for (int i = 0; beam->mount && i < agent->attachmentCount; ++i)
                if (&agent->attachments[i] == beam->mount) agent->attachments[i].clock = 0.0f;
            if (target) {
                // A building is in reach while its nearest wall is, as the attack measures it.
                float range = agent->GetAttackRange();
                if (target->flags & (ENTITY_BUILDING | ENTITY_ITEM))
                    range += GetGroundDistance(agent->GetPosition(), target->GetPosition()) -
                             GroundDistanceToCells(agent->GetPosition(), target);
                if (!agent->Touches(target) &&
                    !IsInFacingCone(agent->GetPosition(), agent->yaw, target->GetPosition(), range, 30.0f))
                    ended = true;
            }
        }

        if (!ended) {
            // What the beam owes for the part of this frame that lies within its duration; a
            // beam of no duration owes everything at once.
            float share = 1.0f;
            if (beam->duration > 0.0f) {
                float within = (beam->age < beam->duration ? beam->age : beam->duration) - before;
                share = within > 0.0f ? within / beam->duration : 0.0f;
            }
            beam->accumulated += share * beam->damage;
            const bool last = beam->age >= beam->duration;
            if (beam->accumulated > 1.0f || (last && beam->accumulated > 1e-4f)) {
                // Whole points while the beam lasts; what is left over goes with the last frame,
                // so even a weak beam hurts.
                float whole = last ? beam->accumulated : truncf(beam->accumulated);
                beam->accumulated -= whole;
                if (!DealBeamDamage(beam, whole)) ended = true;
            }
        }
        shooter = beam->shooter.Get();
        target = beam->target.Get();
        if (!ended && (!shooter || !target || shooter->GetHealth() <= 0.0f || target->GetHealth() <= 0.0f))
            ended = true;
        if (!ended && IsAgent(shooter) && static_cast<Agent*>(shooter)->target.Get() != target) ended = true;
        if (ended) beam->age = beam->duration;

        if (beam->age >= beam->duration) {
            if (fabsf(beam->lastDealt) < 0.01f) MarkShot(beam->shooter.GetLive(), beam->mount, beam->target.Get(), false);
            EndBeam(beam);
            auto* next = node->next;
            beams.Unlink(previous, node);
            freeBeams.PushBack(beam);
            node = next;
            continue;
        }

        Vec3 aim = target->GetCenter();
        if (beam->impact) beam->impact->offset = aim;
        if (beam->muzzle) {
            Vec3 muzzle = MuzzlePoint(beam, shooter);
            beam->muzzle->offset = muzzle;
            Vec3 toward = aim - muzzle;
            if (Vec3LengthSq(&toward) > 1e-12f) Vec3Normalize(&toward, &toward);
            float range = IsAgent(shooter) ? static_cast<Agent*>(shooter)->GetAttackRange() : 15.0f;
            toward *= 0.6f * range;
            if (beam->weaponType == WEAPON_FLAME && !IsAirAgent(shooter)) toward.y = 0.0f;
            beam->muzzle->direction = toward;
        }
        previous = node;
        node = node->next;
    }
}

// ---- Melee

void ProjectileSystem::UpdateMeleeHits(float dt)
{
    PooledList<MeleeHit*>::Node* previous = nullptr;
    for (auto* node = meleeHits.head; node;) {
        MeleeHit* hit = node->value;
        hit->delay -= dt;
        if (hit->delay > 0.0f) {
            previous = node;
            node = node->next;
            continue;
        }
        auto* next = node->next;
        meleeHits.Unlink(previous, node);
        freeMeleeHits.PushBack(hit);
        node = next;

        Entity* attacker = hit->attacker.GetLive();
        Entity* target = hit->target.GetLive();
        if (!IsAgent(attacker) || !attacker->mesh || !attacker->mesh->IsAnimationPlaying(ANIM_ATTACK)) continue;
        if (!target || target->GetHealth() <= 0.0f) continue;
        Agent* agent = static_cast<Agent*>(attacker);
        float damage = agent->GetDamage(nullptr);
        if (target->flags & ENTITY_ITEM) damage *= 5.0f;

        Entity* victims[9] = {};
        int victimCount = 0;
        Grid* grid = CurrentGrid();
        int column = 0, row = 0;
        if ((agent->classWord & AGENT_CLASS_AOE_ATTACK) && grid &&
            grid->WorldToCell(agent->GetPosition(), &column, &row)) {
            static const int AROUND[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
            for (const auto& step : AROUND) {
                GridCell* cell = grid->GetCell(column + step[0], row + step[1]);
                Entity* occupant = cell ? cell->occupant : nullptr;
                if (!occupant || !occupant->IsAlive()) continue;
                bool foes = (agent->alignment == ALIGN_PLAYER && occupant->alignment == ALIGN_ENEMY) ||
                            (agent->alignment == ALIGN_ENEMY && occupant->alignment == ALIGN_PLAYER);
                bool listed = false;
                for (int i = 0; i < victimCount; ++i) listed = listed || victims[i] == occupant;
                if (foes && !listed) victims[victimCount++] = occupant;
            }
        } else {
            victims[victimCount++] = target;
        }
        for (int i = 0; i < victimCount; ++i) {
            Entity* victim = victims[i];
            if (!victim->IsAlive() || victim->GetHealth() <= 0.0f) continue;
            victim->TakeDamage(damage, agent, nullptr, WEAPON_NONE, true);
            SpawnAt("explosparks", (agent->GetCenter() + victim->GetCenter()) * 0.5f);
            AfterDamage(victim, agent);
        }
        if (target->visible) Play(target->composition == COMPOSITION_BIOLOGICAL ? "meleehit_bio" : "meleehit");

        if (agent->classWord & AGENT_CLASS_MELEE_SMASH) {
            Vec3 ahead(0.0f, 0.0f, 2.0f), turned;
            Vec3TransformNormal(&turned, &ahead, &agent->rotation);
            Vec3 point = agent->GetCenter() + turned;
            if (TheSplats) TheSplats->Add(point, SPLAT_CRACKED_GROUND);
            SpawnAt("smash", SnapToCellCentre(point));
            // The burst is the brute's blow too: whoever stands in it has been hit by the brute.
            Explode(point, agent->GetDamage(nullptr), 2.25f, EXPLOSION_SMASH, agent->alignment, agent);
        }
    }
}
