#include "world/Building.h"
#include "host/SteadyMath.h"

#include "campaign/PlayerProfile.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/RandomUtil.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/IndexedMesh.h"
#include "terrain/Minimap.h"
#include "terrain/MinimapPings.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/BuildItem.h"
#include "world/Effects.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/MissionHooks.h"
#include "world/ProjectileSystem.h"
#include "world/WeaponDef.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <new>

bool InstantBuild = false;
int BuildingAlertFrame = -100000;
float FabricatorMessageCountdown = 0.0f;

namespace {

constexpr float TICK_LENGTH = 0.1f;
constexpr float TICK_JITTER = 0.05f;
constexpr int ALERT_FRAMES = 600;  // the world's ticks: a minute of play
constexpr float DEGREES_PER_RADIAN = 57.2957763671875f;

void PlaySoundNamed(const char* name)
{
    if (SoundMgr && name && *name) SoundMgr->PlaySound(name);
}

// The debris kinds a building's fall throws, by its material.
constexpr int DEBRIS_OF_BIO = 0;
constexpr int DEBRIS_OF_ROCK = 3;
constexpr int DEBRIS_OF_PLANT = 4;
constexpr int DEBRIS_OF_BUILDING = 5;
constexpr int DEBRIS_OF_WOOD = 6;

void CountStatistic(const char* name)
{
    if (TheCombatHooks) TheCombatHooks->CountStatistic(name);
}

bool IsGenerator(const BuildItem* definition)
{
    return definition && (definition->flags & BUILD_RESOURCE) && definition->resourcePower > 0;
}

}  // namespace

const Vec3 TURRET_MUZZLE(0.0f, 3.0f, 4.0f);

bool PowerIsShort()
{
    return TheScene.power.IsShort();
}

Building::Building() : buildQueue(nullptr)
{
    ResetOwn();
}

Building::~Building()
{
    // The agents a spawn point made outlive it: they forget their owner.
    for (PooledList<Entity*>::Node* node = agents.head; node; node = node->next) {
        Agent* agent = node->value && (node->value->flags & ENTITY_AGENT) ? static_cast<Agent*>(node->value) : nullptr;
        if (agent && agent->spawner.entity == this) agent->spawner.Clear();
    }
    delete buildQueue;
}

void Building::Reset()
{
    Entity::Reset();
    ResetOwn();
}

void Building::ResetOwn()
{
    flags |= ENTITY_BUILDING;
    stateFlags = 0;
    buildState = BUILD_STATE_READY;
    definition = nullptr;
    actionTimer = 0.0f;
    buildProgress = 0.0f;
    ventTimer = 0.0f;
    researchTimer = 0.0f;
    researchKind = 0;
    recycleTimer = 0.0f;
    chosenUpgrades = 0;
    upgradeTotalTime = 0.0f;
    headAngle = 0.0f;
    phaseAngle = 0.0f;
    bobOffset = 0.0f;
    linkedEntity.Clear();
    attachedEntity.Clear();
    agents.Init(BUILDING_AGENT_NODES);
    spawnedTotal = 0;
    productionTimer = 0.0f;
    delete buildQueue;
    buildQueue = nullptr;
    rallyPoint = Vec3();
    suppliedPower = 0.0f;
    addedDemand = 0.0f;
    providedUnitControl = 0;
    completed = false;
    tickTimer = 0.0f;
    tickJitter = 0.0f;
    lastUpdateFrame = -1;
}

PooledList<AgentType*>* Building::EnsureBuildQueue()
{
    if (!buildQueue) {
        buildQueue = new (std::nothrow) PooledList<AgentType*>();
        if (buildQueue && !buildQueue->Init(BUILD_QUEUE_NODES)) {
            delete buildQueue;
            buildQueue = nullptr;
        }
    }
    return buildQueue;
}

// ---- Construction and power

float Building::RequiredBuildTime() const
{
    float time = definition ? definition->buildTime : 0.0f;
    int level = GetBestResearchLevel(4);
    return time - (float)level * time * 0.2f;
}

float Building::GetTypeRadius() const
{
    int type = definition ? definition->weapon : 0;
    if (type == WEAPON_MISSILE) return 22.0f;
    if (type == WEAPON_ELECTRIC || type == WEAPON_FLAME || type == WEAPON_ACID) return 18.0f;
    return 20.0f;
}

int Building::PowerNodeLevel() const
{
    return GetPowerLevel(this);
}

float Building::ScaledTick(float t) const
{
    if (PowerIsShort()) t *= 0.5f;
    int level = PowerNodeLevel();
    if (level > 0) t += (float)level * t * 0.1f;
    return t;
}

bool Building::GetGridFootprint(int* x0, int* y0, int* x1, int* y1)
{
    // What the level lays out keeps the cells it was laid out on.
    if (!definition || !(definition->flags & BUILD_PLAYER_CAN_BUILD)) return Entity::GetGridFootprint(x0, y0, x1, y1);
    IntRect cells{};
    const bool found = GetBuildingFootprintCells(&cells, mesh, GetPosition(), yaw, scale);
    return GiveFootprint(found, cells, x0, y0, x1, y1);
}

void Building::GetFootprintBounds(Vec3* min, Vec3* max)
{
    if (min) *min = Vec3(1000.0f, 1000.0f, 1000.0f);
    if (max) *max = Vec3(-1000.0f, -1000.0f, -1000.0f);
    Grid* grid = CurrentGrid();
    int width = 1, depth = 1, column, row;
    if (!grid) return;
    if (definition && (definition->flags & BUILD_ADD_ON)) {
        if (!grid->WorldToCell(GetPosition(), &column, &row)) return;
    } else if (!Entity::GetGridRect(this, &width, &depth, &column, &row)) {
        return;
    }
    grid->OccupyCells(this, column, row, column + width - 1, row + depth - 1);
    if (!min && !max) return;
    int links = 0;
    for (const GridCell* cell = gridCell; cell && links < MAX_CELL_CHAIN; cell = cell->next, ++links) {
        Vec3 corner = grid->CellToWorld(cell->column, cell->row);
        Vec3 far = corner + Vec3(grid->cellSize, 0.0f, grid->cellSize);
        Vec3 position = GetPosition();
        corner.y = far.y = position.y;
        if (min) *min = Vec3(std::min(min->x, corner.x), std::min(min->y, corner.y), std::min(min->z, corner.z));
        if (max) *max = Vec3(std::max(max->x, far.x), std::max(max->y, far.y), std::max(max->z, far.z));
    }
}

void Building::Construct()
{
    strcpy(statusText, "Constructing");
    if (buildProgress >= RequiredBuildTime() || InstantBuild) {
        buildState = BUILD_STATE_READY;
        OnCompleted(false);
    }
}

void Building::OnCompleted(bool restored)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (alignment == ALIGN_PLAYER && !restored) CountStatistic("buildingsProduced");
    // The scaffold gives way to the finished building.
    if (definition && meshStates[0])
        for (int i = 0; i < definition->constructionMeshCount && i < BUILD_ITEM_MESHES; ++i)
            if (mesh == definition->constructionMeshes[i]) mesh = meshStates[0];
    completed = true;
    if (!definition) return;
    // Power: what goes into the ledger is remembered, so that destruction takes out exactly
    // that and nothing a building never put in.
    if (definition->resourcePower >= 1) {
        suppliedPower = (float)definition->resourcePower;
        TheScene.power.supply += suppliedPower;
        if (!restored) RefreshPowerNeighbours(this);
    } else {
        addedDemand = -(float)definition->costPower;
        TheScene.power.demand += addedDemand;
        if (!restored) UpdatePowerLevel(this);
    }
    if ((definition->flags & BUILD_UNIT_CONTROL) && profile) {
        providedUnitControl = definition->level < 1 ? 5 : 10;
        profile->unitControl += providedUnitControl;
        if (profile->unitControl < profile->baseUnitControl) profile->unitControl = profile->baseUnitControl;
    }
    if ((definition->flags & BUILD_PARTICLES) && definition->particleSystem[0] && TheScene.particles && !secondEffect) {
        if (ParticleSystem* system = StartEffect(definition->particleSystem, this, definition->particleOffset))
            secondEffect = system;
    }
    if (!restored) NotifyEntityBuilt(this);
}

void Building::OnDestroyed()
{
    // What is left standing: the building's second look, when it has one.
    if (meshCount > 1 && meshStates[1]) mesh = meshStates[1];
    PlayerProfile* profile = GetPlayerProfile();
    if (buildState != BUILD_STATE_CONSTRUCTING && completed) {
        TheScene.power.supply -= suppliedPower;
        TheScene.power.demand -= addedDemand;
        bool wasSource = suppliedPower > 0.0f;
        suppliedPower = 0.0f;
        addedDemand = 0.0f;
        completed = false;
        if (wasSource) {
            // The neighbours look again without this generator.
            flags |= ENTITY_DYING;
            RefreshPowerNeighbours(this);
        }
        if (providedUnitControl > 0 && profile) {
            profile->unitControl -= providedUnitControl;
            if (profile->unitControl < profile->baseUnitControl) profile->unitControl = profile->baseUnitControl;
            providedUnitControl = 0;
            if (profile->unitsInUse > std::min(profile->unitControl, profile->maxUnitControl))
                TellPlayer("Warning: Insufficient unit control!", 4.0f);
        }

    }
    if (buildState != BUILD_STATE_CONSTRUCTING && alignment == ALIGN_PLAYER) CountStatistic("buildingsLost");
    if (definition && (definition->flags & BUILD_EXPLODE_ON_DEAD)) {
        StartEffect("exploring", nullptr, GetCenter(), EFFECT_ONCE);
        PlaySoundNamed("explo");
        // An unfinished building carries only the part of its charge built so far.
        if (buildState == BUILD_STATE_CONSTRUCTING)
            damage = definition->buildTime > 0.0f ? damage * buildProgress / definition->buildTime : 0.0f;
        if (damage > 0.0f && mesh && TheProjectiles) {
            float radius = std::max(std::fabs(mesh->boundsMax.x - mesh->boundsMin.x) * 0.5f * scale, 1.25f);
            int kind = strstr(definition->name, "barrel") ? EXPLOSION_BARREL : EXPLOSION_PLAIN;
            TheProjectiles->Explode(GetCenter(), damage, radius * 2.0f, kind, -1);
        }
    }
    if (Entity* attached = attachedEntity.Get()) {
        TheScene.RemoveEntity(attached, REMOVE_EVERYWHERE);
        if (!(attached->flags & ENTITY_AGENT)) delete attached;
    }
    attachedEntity.Clear();
}

// ---- The frame

void Building::Settle()
{
    if (!(flags & ENTITY_PLACED)) return;
    Vec3 position = GetPosition();
    position.y = TheTerrain.GetHeight(position);
    SetPosition(position);
    flags &= ~ENTITY_PLACED;
    GetFootprintBounds(nullptr, nullptr);
    if (IsGenerator(definition)) RefreshPowerNeighbours(this);
}

void Building::Update()
{
    int frame = WorldStepCount();
    if (lastUpdateFrame == frame) return;
    lastUpdateFrame = frame;
    float dt = GamePaused ? 0.0f : WorldStep();
    actionTimer += dt;
    tickTimer += dt;
    ageTimers[0] += dt;

    Settle();
    if (!IsAlive() || (stateFlags & BUILDING_PREVIEW)) return;

    if (tickTimer > TICK_LENGTH) {
        float t = tickTimer - tickJitter;
        float jitter = RandomFloat(0.0f, TICK_JITTER);
        tickTimer = jitter;
        tickJitter = jitter;
        if (buildState == BUILD_STATE_CONSTRUCTING) {
            Construct();
        } else if (buildState == BUILD_STATE_READY) {
            strcpy(statusText, "Ready");
            if (flags & ENTITY_SHIELD) shield = std::min(shield + GetShieldBonus() * dt, maxShield);
            if (damageSmoke && GetMaxHealth() > 0.0f && health / GetMaxHealth() > 0.5f) StopEffect(&damageSmoke);
            RunBehaviours(t);
        }
    }
    AnimateParts(dt);
    if (definition && (definition->flags & BUILD_TURRET)) UpdateTurretAim(dt);
    if (visible && mesh) mesh->AdvanceAnimation(0.0f);
}

void Building::RunBehaviours(float t)
{
    if (!definition) return;
    uint32_t kind = definition->flags;
    if (kind & BUILD_RESOURCE) UpdateIncome(t);
    if (kind & BUILD_DEEP_MINE) {
        UpdateDeepMine(t);
    } else if (kind & BUILD_SPAWNPOINT) {
        UpdateSpawner(t);
        if (kind & BUILD_TURRET) UpdateTurretTargeting(t);
    } else if (kind & BUILD_UNIT_FACTORY) {
        UpdateFactory(t);
    } else if (kind & BUILD_TURRET) {
        UpdateTurretTargeting(t);
    } else if (kind & BUILD_HEALTH_NODE) {
        UpdateHealthNode(t);
    } else if (kind & BUILD_UNIT_UPGRADER) {
        UpdateUpgrader(t);
    } else if (kind & BUILD_UNIT_RECYCLER) {
        UpdateRecycler(t);
    } else if (kind & BUILD_RESEARCH_COMPUTER) {
        if (researchTimer > 0.0f) researchTimer = std::max(researchTimer - t, 0.0f);
    }
}

void Building::AnimateParts(float dt)
{
    if (!definition) return;
    for (int i = 0; i < definition->addedMeshCount && i < BUILD_ITEM_MESHES; ++i) {
        uint32_t partFlags = definition->addedMeshFlags[i];
        if (partFlags & BUILD_UPDOWN) {
            phaseAngle += 100.0f * dt;
            if (phaseAngle > 360.0f) phaseAngle -= 360.0f;
            bobOffset = Sin(phaseAngle / DEGREES_PER_RADIAN) - 0.2f;
        }
        if (partFlags & (BUILD_ROTATE | BUILD_ROTATE_X | BUILD_ROTATE_MINUS_X)) {
            bool recycler = (definition->flags & BUILD_UNIT_RECYCLER) != 0;
            if (!recycler || recycleTimer > 0.0f) headAngle += 100.0f * dt;
        }
        if (partFlags & BUILD_OSC_Y) {
            phaseAngle += 10.0f * dt;
            if (phaseAngle > 360.0f) phaseAngle = std::fmod(phaseAngle, 360.0f);
            headAngle = Sin(phaseAngle / DEGREES_PER_RADIAN) * DEGREES_PER_RADIAN;
        }
    }
}

// ---- Damage and death

void Building::Die(Entity* killer)
{
    for (ParticleSystem** effect : {&damageSmoke, &secondEffect}) StopEffect(effect);
    // An upgrade still running is paid back as the unit comes out.
    if (definition && (definition->flags & BUILD_UNIT_UPGRADER)) LetUnitOut();
    if (definition && (definition->flags & BUILD_UNIT_RECYCLER)) {
        // The unit being taken apart goes down with the recycler.
        if (Agent* held = HeldUnit()) {
            linkedEntity.Clear();
            held->activeBuilding.Clear();
            held->health = 0.0f;
            held->flags |= ENTITY_DEAD;
            if (!TheScene.Resolve(held, held->id)) TheScene.AddEntity(held);
        }
    }
    if (definition && !(definition->flags & BUILD_NO_AUTO_ATTACK) && TheCombatHooks) {
        int kind = composition == COMPOSITION_BIOLOGICAL ? DEBRIS_OF_BIO
                   : composition == COMPOSITION_PLANT    ? DEBRIS_OF_PLANT
                   : composition == COMPOSITION_ROCK     ? DEBRIS_OF_ROCK
                   : composition == COMPOSITION_WOOD     ? DEBRIS_OF_WOOD
                                                         : DEBRIS_OF_BUILDING;
        TheCombatHooks->ThrowDebris(GetCenter(), kind, false, 4.0f);
    }
    OnDestroyed();
    Entity::Die(killer);
}

void Building::AddKill(Entity* victim)
{
    Entity::AddKill(victim);
    if (alignment == ALIGN_PLAYER && definition && (definition->flags & BUILD_TURRET)) CountStatistic("turretKills");
}

float Building::GetDamage(const WeaponDef*)
{
    if (!definition || !(definition->flags & BUILD_TURRET)) return 0.0f;
    // An under-powered turret hits with half its strength.
    bool playing = TheGame && TheGame->state == GAME_STATE_PLAYING;
    return playing && PowerIsShort() ? damage * 0.5f : damage;
}

float Building::GetDamagePerSecond(const WeaponDef* weapon_)
{
    float hit = GetDamage(weapon_);
    if (!weapon_) return hit / 2.0f;
    float cycle = weapon_->windUp > 0.0f ? weapon_->interval + weapon_->windUp : weapon_->interval;
    return cycle > 0.0f ? hit / cycle : hit;
}

void Building::TakeDamage(float amount, Entity* attacker, const WeaponDef* weapon_, int damageType, bool hit)
{
    int type = weapon_ ? weapon_->type : damageType;
    if (type != WEAPON_NONE) {
        bool biological = composition == COMPOSITION_BIOLOGICAL;
        if ((type == WEAPON_LASER && biological) || (type == WEAPON_MISSILE && !biological)) amount *= 1.33f;
    }
    if (stateFlags & BUILDING_PREVIEW) return;
    Entity::TakeDamage(amount, attacker, weapon_, damageType, hit);

    if (alignment == ALIGN_ENEMY && definition && (definition->flags & BUILD_SPAWNPOINT) && attacker) {
        // The camp's own come out to answer an attack on it.
        Vec3 where = attacker->GetPosition();
        for (PooledList<Entity*>::Node* node = agents.head; node; node = node->next) {
            Entity* entity = node->value;
            if (!entity || !(entity->flags & ENTITY_AGENT) || !entity->IsAlive()) continue;
            Agent* agent = static_cast<Agent*>(entity);
            if (agent->target.GetLive() || agent->DistanceTo(GetCenter()) > 25.0f) continue;
            agent->MoveTo(where, true);
        }
    }
    if (alignment == ALIGN_PLAYER && !visible) {
        int frame = WorldStepCount();
        if (frame - BuildingAlertFrame >= ALERT_FRAMES || frame < BuildingAlertFrame) {
            BuildingAlertFrame = frame;
            TellPlayer("A building is under attack!", 4.0f);
            TheMinimap.pings.Add(GetCenter(), PING_DAMAGE, (int)id, 2.0f, FrameTimer.GetFrameCount());
            PlaySoundNamed("alert");
        }
    }
}

Vec3 TurnAboutY(const Vec3& v, float degrees)
{
    float radians = degrees / DEGREES_PER_RADIAN;
    float s, c;
    SinCos(radians, &s, &c);
    return Vec3(v.x * c + v.z * s, v.y, -v.x * s + v.z * c);
}

Vec3 Building::GetFirePoint(int)
{
    Vec3 position = GetPosition();
    if (!definition || !(definition->flags & BUILD_TURRET)) return position;
    // The muzzle turns with the head, about the turret's pivot when it has turning parts.
    Vec3 pivot = definition->addedMeshCount > 0 ? definition->turretPivot : Vec3();
    return position + TurnAboutY(TURRET_MUZZLE - pivot, headAngle) + pivot;
}

void Building::FireAt(Entity* target)
{
    int type = definition ? definition->weapon : WEAPON_NONE;
    int beam = -1;
    float speed = 0.0f;
    uint32_t shotFlags = 0;
    switch (type) {
    case WEAPON_LASER: beam = BEAM_LASER; break;
    case WEAPON_ELECTRIC: beam = BEAM_ELECTRIC; break;
    case WEAPON_BALLISTIC: beam = BEAM_MACHINEGUN; break;
    case WEAPON_FLAME: beam = BEAM_FLAME; break;
    case WEAPON_ACID: beam = BEAM_ACID; break;
    default:
        // Shells, missiles and bolts, the pulse turret's among them.
        if (!TurretProjectile(type, &speed, &shotFlags)) return;
    }
    if (beam >= 0) {
        WeaponFx::SpawnMuzzleEffect(1.0f, this, target, nullptr, beam, nullptr);
        return;
    }
    if (!TheProjectiles) return;
    Vec3 muzzle = GetPosition() + TurnAboutY(TURRET_MUZZLE, headAngle);
    Vec3 toTarget = target->GetCenter() - muzzle, direction;
    Vec3Normalize(&direction, &toTarget);
    TheProjectiles->Fire(muzzle, direction, speed, this, target, nullptr, shotFlags, nullptr);
}
