// What a ready building does with each tick, by the flags of its definition.
#include "campaign/MissionCatalogue.h"
#include "campaign/MissionRecord.h"
#include "campaign/PlayerProfile.h"
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/ConfigFile.h"
#include "platform/MathUtil.h"
#include "platform/StringTable.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Effects.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/MissionHooks.h"
#include "world/WeaponDef.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <cstdio>
#include <cstring>

namespace {

constexpr float INCOME_PERIOD = 5.0f;
constexpr float VENT_PERIOD = 1.0f;
constexpr float HEAL_RANGE = 6.0f;
constexpr float HEAL_PER_SECOND = 5.0f;
constexpr float FIRE_PERIOD = 3.0f;

const char* const RANDOM_SCAVENGERS[] = {"scav_melee", "scav_small", "scav_leader", "scav_brute", "scav_flamer"};

int CurrentMissionLevel()
{
    MissionRecord* mission = MissionCatalogue::GetCurrentMission();
    return mission ? mission->level : 0;
}

// A unit of the pool made for the level: type, side and place, settled by its first update.
}  // namespace

Agent* Building::HeldUnit() const
{
    Entity* held = linkedEntity.entity;
    return held && held->id == linkedEntity.id && (held->flags & ENTITY_AGENT) && held->IsAlive()
               ? static_cast<Agent*>(held)
               : nullptr;
}

namespace {

// A move order for a unit made this frame: it settles on the ground at its first update, and
// only then takes up the point waiting in its queue.
void SendNewUnit(Agent* agent, const Vec3& point)
{
    agent->moveQueue.Clear();
    agent->moveQueue.Push(point);
}

Agent* MakeAgentAt(const char* typeName, int alignment, const Vec3& corner)
{
    Agent* agent = TheScene.CreateAgent(typeName, false);
    if (!agent) return nullptr;
    agent->alignment = alignment;
    Vec3 position = corner;
    position.y = TheTerrain.GetHeight(position);
    agent->SetPosition(position);
    agent->flags |= ENTITY_PLACED;
    if (!TheScene.AddEntity(agent)) {
        if (TheGame && TheGame->agentTypes) TheGame->agentTypes->ReturnAgent(agent);
        return nullptr;
    }
    return agent;
}

int LiveAgents(PooledList<Entity*>& agents)
{
    int live = 0;
    PooledList<Entity*>::Node* previous = nullptr;
    for (PooledList<Entity*>::Node* node = agents.head; node;) {
        PooledList<Entity*>::Node* next = node->next;
        Entity* agent = node->value;
        // An agent that died or went back to the pool makes room for the next.
        if (!agent || !agent->IsAlive() || !TheScene.Resolve(agent, agent->id)) {
            agents.Unlink(previous, node);
        } else {
            ++live;
            previous = node;
        }
        node = next;
    }
    return live;
}

}  // namespace

bool FindCellOnGrowingSquares(int column, int row, Vec3* out)
{
    const Grid* grid = CurrentGrid();
    if (!grid) return false;
    for (int r = 1; r <= grid->size; ++r)
        for (int i = -r; i <= r; ++i)
            for (int j = -r; j <= r; ++j) {
                const GridCell* cell = grid->GetCell(column + i, row + j);
                if (!cell || cell->occupant) continue;
                *out = grid->CellToWorld(column + i, row + j);
                return true;
            }
    return false;
}

void Building::UpdateIncome(float)
{
    const BuildItem* d = definition;
    if (actionTimer > INCOME_PERIOD) {
        actionTimer = 0.0f;
        if (PlayerProfile* profile = GetPlayerProfile()) {
            profile->AddOre((float)d->resourceOre);
            profile->AddFuel((float)d->resourceFuel);
            profile->credits += d->resourceCredits;
        }
    }
    snprintf(statusText, sizeof statusText, "Pow:%d Met:%d Fuel:%d Cr:%d", d->resourcePower, d->resourceOre,
             d->resourceFuel, d->resourceCredits);
}

void Building::UpdateDeepMine(float t)
{
    ventTimer -= t;
    if (ventTimer > 0.0f) return;
    ventTimer = VENT_PERIOD;
    if (stateFlags & BUILDING_VENT_DEPLETED) return;
    // A mine standing on no fuel patch has nothing to draw from.
    Entity* patch = linkedEntity.Get();
    if (!patch) return;
    float amount = definition->level <= 1 ? 2.0f : 3.0f;
    if (PowerIsShort()) amount *= 0.5f;
    float research = (float)GetBestResearchLevel(6) * 0.2f * amount;
    float node = (float)PowerNodeLevel() * amount * 0.1f;
    if (PlayerProfile* profile = GetPlayerProfile()) profile->AddFuel(amount + research + node);

    float maximum = patch->GetMaxHealth();
    float before = maximum > 0.0f ? patch->health / maximum : 0.0f;
    patch->health -= amount;
    float after = maximum > 0.0f ? patch->health / maximum : 0.0f;
    if (patch->health <= 0.0f) {
        // A patch is never mined away: it stays, spent.
        patch->health = 0.1f;
        stateFlags |= BUILDING_VENT_DEPLETED;
        SwapVentSplat(patch, 0);
    } else if (before > 0.5f && after <= 0.5f) {
        SwapVentSplat(patch, 1);
    }
}

void Building::SwapVentSplat(Entity* vent, int mode)
{
    if (!vent) return;
    const char* colour = "data/textures/splats/splat_vent_low.dds";
    const char* normal = "data/textures/splats/splat_vent_sn_low.dds";
    if (mode == 0) {
        for (ParticleSystem** effect : {&vent->damageSmoke, &vent->secondEffect}) StopEffect(effect);
        colour = "data/textures/splats/splat_vent_depleted.dds";
        normal = "data/textures/splats/splat_vent_sn_depleted.dds";
    }
    // The patch keeps its ground splat in its parent link.
    Entity* splat = vent->attachParent;
    if (!splat || !splat->mesh || !Textures) return;
    TextureRecord* colourTexture = Textures->GetTexture(colour);
    TextureRecord* normalTexture = Textures->GetTexture(normal);
    for (SubMesh& part : splat->mesh->subMeshes) {
        part.diffuseTexture = colourTexture;
        part.normalMap = normalTexture;
    }
}

void Building::UpdateSpawner(float t)
{
    if (stateFlags & BUILDING_SPAWNER_EXHAUSTED) return;
    int difficulty = Config ? Config->Difficulty : 1;
    int limit = definition->spawnCounts[0] + difficulty - 1;
    int live = LiveAgents(agents);
    if (live >= limit) {
        productionTimer = definition->spawnInterval;
        return;
    }
    productionTimer = std::max(productionTimer - t, 0.0f);
    if (productionTimer > 0.0f) return;
    productionTimer = definition->spawnInterval;

    const Grid* grid = CurrentGrid();
    int column, row;
    Vec3 corner;
    if (!grid || !grid->WorldToCell(GetPosition(), &column, &row) || !FindCellOnGrowingSquares(column, row, &corner))
        return;
    const char* type = definition->spawnType;
    bool randomScavenger = strcmp(type, "rand_scav") == 0;
    if (randomScavenger) type = RANDOM_SCAVENGERS[Rand() % 5];
    Agent* agent = MakeAgentAt(type, alignment, corner);
    if (!agent) return;
    agent->spawner.Set(this);
    agent->classWord |= AGENT_SPAWNED;
    agents.PushBack(agent);
    ++spawnedTotal;
    int level = CurrentMissionLevel();
    if (level > 0) {
        agent->SetHealth(agent->GetMaxHealth() * (1.0f + 0.25f * (float)level));
        if (randomScavenger) agent->botLevel = level;
    }
    if (agent->alignment == ALIGN_ENEMY) ScaleEnemyForDifficulty(agent);
    if (spawnedTotal >= definition->spawnCounts[1]) stateFlags |= BUILDING_SPAWNER_EXHAUSTED;
}

void Building::UpdateFactory(float t)
{
    Entity* link = linkedEntity.Get();
    if (linkedEntity.IsSet() && (!link || (link->flags & ENTITY_DEAD))) {
        linkedEntity.Clear();
        stateFlags &= ~BUILDING_RALLY_POINT;
        link = nullptr;
    }
    if (!buildQueue || buildQueue->count == 0) return;
    t = ScaledTick(t);
    if (InstantBuild) t *= 10.0f;
    productionTimer -= t;
    if (productionTimer >= 0.0f) return;
    productionTimer = 0.0f;
    ProduceHead(t);
}

bool Building::ProduceHead(float t)
{
    const Grid* grid = CurrentGrid();
    AgentType* type = buildQueue->head ? buildQueue->head->value : nullptr;
    if (!grid || !type) return false;
    Entity* link = linkedEntity.Get();
    bool warp = link && (link->flags & ENTITY_AGENT) &&
                (static_cast<Agent*>(link)->classWord & AGENT_CLASS_MOBILE_SPAWN_POINT);
    Vec3 centre = warp ? link->GetPosition() : GetCenter();
    int column, row;
    if (!grid->WorldToCell(centre, &column, &row)) {
        // Told at most once every ten seconds, whichever factory is stuck.
        if (FabricatorMessageCountdown <= 0.0001f) {
            TellPlayer("Fabricator can't find a spawn position!", 3.0f);
            FabricatorMessageCountdown = 10.0f;
        } else {
            FabricatorMessageCountdown -= t;
        }
        return false;
    }
    Vec3 place;
    bool found = false;
    if (warp) {
        const GridCell* cell = grid->GetCell(column, row);
        if (cell && cell->IsFreeWalkable()) {
            place = grid->CellToWorld(column, row);
            found = true;
        }
    } else {
        Vec3 from = centre;
        if (alignment == ALIGN_PLAYER && !(stateFlags & BUILDING_RALLY_POINT)) from.z += 0.1f;
        found = FindFreeCellNear(&place, this, from, 0.0f, nullptr);
    }
    if (!found) found = FindCellOnGrowingSquares(column, row, &place);
    if (!found) return false;

    Agent* unit = MakeAgentAt(type->name, alignment, place);
    if (!unit) return false;
    unit->classWord |= AGENT_CLASS_LEVELLING;
    if (warp) {
        StartEffect("warp", nullptr, unit->GetPosition(), EFFECT_ONCE);
    } else if (stateFlags & BUILDING_RALLY_POINT) {
        SendNewUnit(unit, rallyPoint);
    }
    NotifyEntityBuilt(unit);
    if (TheCombatHooks && alignment == ALIGN_PLAYER) TheCombatHooks->CountStatistic("unitsProduced");
    buildQueue->Unlink(nullptr, buildQueue->head);
    if (buildQueue->head) productionTimer = buildQueue->head->value->buildTime;
    return true;
}

void Building::UpdateTurretTargeting(float)
{
    if (stateFlags & BUILDING_PREVIEW) return;
    float range = GetTypeRadius();
    Entity* target = linkedEntity.GetLive();
    if (target && target->DistanceTo(GetCenter()) <= range) return;
    linkedEntity.Clear();
    int weaponType = definition->weapon;
    bool groundOnly = weaponType == WEAPON_FLAME || weaponType == WEAPON_MORTAR;
    int side = alignment == ALIGN_PLAYER ? ALIGN_ENEMY : ALIGN_PLAYER;
    float distance = 0.0f;
    Entity* nearest = TheScene.FindNearest(this, &distance, side, ENTITY_AGENT | ENTITY_BUILDING, groundOnly);
    if (nearest && distance <= range) linkedEntity.Set(nearest);
}

void Building::UpdateTurretAim(float dt)
{
    if (stateFlags & BUILDING_PREVIEW) return;
    Entity* target = linkedEntity.GetLive();
    if (!target) return;
    Vec3 centre = GetCenter();
    if (!(target->DistanceTo(centre) < GetTypeRadius())) return;
    Vec3 aim = target->GetCenter();
    float wanted = headAngle;
    HeadingFromVector(aim.x - centre.x, aim.z - centre.z, &wanted);
    float turn = 60.0f * dt * (1.0f + (float)GetBestResearchLevel(2));
    float delta = headAngle - wanted;
    if (std::fabs(delta) < 1.0f && actionTimer > FIRE_PERIOD) {
        actionTimer = 0.0f;
        FireAt(target);
    }
    if (std::fabs(delta) > 180.0f) delta += delta > 0.0f ? -360.0f : 360.0f;
    if (turn < std::fabs(delta))
        headAngle += delta >= 0.0f ? -turn : turn;
    else
        headAngle = wanted;
    if (headAngle < 0.0f) headAngle += 360.0f;
    if (headAngle >= 360.0f) headAngle -= 360.0f;
}

void Building::UpdateHealthNode(float t)
{
    bool shortPower = PowerIsShort();
    if ((flags & ENTITY_PLAYER) && shortPower) return;
    int level = PowerNodeLevel();
    if (level > 0) t += (float)level * t * 0.1f;
    if (alignment != ALIGN_ENEMY && shortPower) return;
    Vec3 position = GetPosition();
    for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT, SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
        for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
            Entity* entity = node->value;
            if (!entity || !(entity->flags & ENTITY_AGENT) || entity->alignment != alignment || !entity->IsAlive())
                continue;
            Vec3 at = entity->GetPosition();
            float dx = at.x - position.x, dz = at.z - position.z;
            if (!(std::sqrt(dx * dx + dz * dz) < HEAL_RANGE) || !(entity->health < entity->GetMaxHealth())) continue;
            entity->health = std::min(entity->health + HEAL_PER_SECOND * t, entity->GetMaxHealth());
            static_cast<Agent*>(entity)->classWord |= AGENT_HEALING;
        }
}

void Building::UpdateUpgrader(float t)
{
    Agent* unit = HeldUnit();
    if (!unit || chosenUpgrades == 0) return;
    if (!(unit->processTimer > 0.0f)) return;
    unit->processTimer -= ScaledTick(t);
    if (unit->processTimer > 0.0f) return;
    unit->processTimer = 0.0f;
    unit->upgradeFlags |= chosenUpgrades;
    if (chosenUpgrades & (UNIT_UPGRADE_SHIELD_1 | UNIT_UPGRADE_SHIELD_2)) {
        float strength = (chosenUpgrades & UNIT_UPGRADE_SHIELD_2) ? 100.0f : 50.0f;
        unit->shield = unit->maxShield = strength;
        unit->flags |= ENTITY_SHIELD;
    }
    if (chosenUpgrades & (UNIT_UPGRADE_HULL_1 | UNIT_UPGRADE_HULL_2 | UNIT_UPGRADE_HULL_3)) unit->health = unit->GetMaxHealth();
    chosenUpgrades = 0;
    upgradeTotalTime = 0.0f;
    ReleaseHeldUnit();
}

void Building::ReleaseHeldUnit()
{
    Agent* unit = HeldUnit();
    linkedEntity.Clear();
    if (!unit) return;
    Vec3 place = GetPosition();
    Vec3 free;
    if (FindFreeCellNear(&free, this, GetCenter(), 0.0f, nullptr)) place = free;
    place.y = TheTerrain.GetHeight(place);
    unit->SetPosition(place);
    if (!TheScene.Resolve(unit, unit->id)) TheScene.AddEntity(unit);
    unit->ClaimGridCell(place);
    unit->activeBuilding.Clear();
    unit->processTimer = 0.0f;
    if (stateFlags & BUILDING_RALLY_POINT) unit->MoveTo(rallyPoint, true);
}

void Building::TakeUnitIn(Agent* unit)
{
    if (!unit) return;
    if (HeldUnit()) LetUnitOut();
    chosenUpgrades = 0;
    linkedEntity = unit;
    // Inside, the unit is the building's to draw: it leaves the level's lists and its cell.
    TheScene.UnlinkEntity(unit);
    unit->LeaveGridCell();
    if (unit->flags & ENTITY_SELECTION) {
        unit->flags &= ~ENTITY_SELECTION;
        unit->OnDeselect();
    }
    if (TheGame) TheGame->ForgetEntity(unit);
    if (TheCombatHooks) TheCombatHooks->UnitTakenIn(this);
}

void Building::LetUnitOut()
{
    Agent* unit = HeldUnit();
    if (unit && unit->processTimer > 0.0f) {
        int ore = 0, fuel = 0;
        GetUpgradeCost(this, &ore, &fuel);
        if (PlayerProfile* profile = GetPlayerProfile()) {
            profile->AddOre((float)ore);
            profile->AddFuel((float)fuel);
        }
    }
    chosenUpgrades = 0;
    ReleaseHeldUnit();
    upgradeTotalTime = 0.0f;
}

namespace {

// The price of the highest level chosen of an upgrade of up to three levels.
int Tiered(uint32_t word, uint32_t first, uint32_t second, uint32_t third, int one, int two, int three)
{
    if (third && (word & third)) return three;
    if (word & second) return two;
    if (word & first) return one;
    return 0;
}

// The chosen upgrades in units: a tiered upgrade counts one, two or three units by its tier, a
// single one counts one. The cost and the time are the same sum in units of their own.
int UpgradeUnits(const Building* building, int one, int two, int three)
{
    uint32_t word = building ? building->chosenUpgrades : 0;
    int sum = Tiered(word, 0x1, 0x2, 0x4, one, two, three) + Tiered(word, 0x10, 0x20, 0x40, one, two, three) +
              Tiered(word, 0x8000, 0x10000, 0x20000, one, two, three) + Tiered(word, 0x100, 0x200, 0, one, two, 0);
    if (word & 0x80) sum += one;
    for (uint32_t bit : {0x400u, 0x800u, 0x2000u, 0x4000u})
        if (word & bit) sum += one;
    return sum;
}

}  // namespace

void GetUpgradeCost(const Building* building, int* ore, int* fuel)
{
    const int sum = UpgradeUnits(building, 100, 200, 300);
    if (ore) *ore = (int)((float)sum * 0.5f);
    if (fuel) *fuel = (int)((float)sum * 0.25f);
}

float GetUpgradeTime(const Building* building)
{
    return (float)UpgradeUnits(building, 10, 15, 20);
}

void Building::UpdateRecycler(float t)
{
    Agent* held = HeldUnit();
    if (!held || !(recycleTimer > 0.0f)) return;
    recycleTimer -= ScaledTick(t);
    if (recycleTimer > 0.0f) return;
    recycleTimer = 0.0f;
    int ore = held->agentType ? (int)((float)held->agentType->oreCost * 0.5f) : 0;
    if (PlayerProfile* profile = GetPlayerProfile()) profile->AddOre((float)ore);
    char text[32];
    snprintf(text, sizeof text, "Ore +%d", ore);
    if (TheCombatHooks) TheCombatHooks->FloatText(text, GetCenter());
    // Taken apart, not lost: no loss is counted and nothing is left to burn.
    linkedEntity.Clear();
    held->activeBuilding.Clear();
    held->health = 0.0f;
    held->flags |= ENTITY_DEAD;
    // The Scene's removal hands it back to the pool.
    TheScene.RemoveEntity(held, REMOVE_MASTER);
}

// ---- The production queue: the rules of the unit buttons

int UsableUnitControl(const PlayerProfile* profile)
{
    return std::min(profile->unitControl, profile->maxUnitControl);
}

const char* Building::QueueUnit(AgentType* type)
{
    if (buildState == BUILD_STATE_CONSTRUCTING) return "bad";
    PlayerProfile* profile = GetPlayerProfile();
    if (!EnsureBuildQueue() || !profile || !type) return "bad";
    if (profile->unitsInUse >= UsableUnitControl(profile)) {
        // Below the cap more unit-control buildings help, and the player is told which.
        // At the cap only a place freed helps: the player is told how one is freed.
        const char* text = UNIT_CAP_MESSAGE;
        if (profile->unitsInUse < profile->maxUnitControl) {
            const char* needed = Strings ? Strings->Lookup("<unit_control_needed>") : nullptr;
            text = needed ? needed : "Build more unit control!";
        }
        TellPlayer(text, 4.0f);
        return "bad";
    }
    if ((float)type->oreCost > profile->ore || (float)type->fuelCost > profile->fuel) return "bad";
    // A full queue takes nothing more.
    if (buildQueue->count >= BUILD_QUEUE_NODES) return "blip";
    if (buildQueue->count == 0) productionTimer = type->buildTime;
    buildQueue->PushBack(type);
    ++profile->unitsInUse;
    profile->AddOre(-(float)type->oreCost);
    profile->AddFuel(-(float)type->fuelCost);
    return "blip";
}

void Building::CancelQueuedUnit()
{
    if (!definition || !(definition->flags & BUILD_UNIT_FACTORY) || !buildQueue || buildQueue->count == 0) return;
    // The last order is taken back; the unit already in production goes on where it was.
    PooledList<AgentType*>::Node* previous = nullptr;
    for (PooledList<AgentType*>::Node* node = buildQueue->head; node->next; node = node->next) previous = node;
    AgentType* type = buildQueue->tail->value;
    buildQueue->Unlink(previous, buildQueue->tail);
    if (buildQueue->count == 0) productionTimer = 0.0f;
    PlayerProfile* profile = GetPlayerProfile();
    if (!profile || !type) return;
    if (profile->unitsInUse > 0) --profile->unitsInUse;
    profile->AddOre((float)type->oreCost);
    profile->AddFuel((float)type->fuelCost);
}

// The HUD hears of a building the hand takes or lets go (ScreenHooks).
void Building::OnSelect()
{
    if (TheScreenHooks) TheScreenHooks->BuildingSelected(this, true);
}

void Building::OnDeselect()
{
    if (TheScreenHooks) TheScreenHooks->BuildingSelected(this, false);
}
