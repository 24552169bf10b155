// The orders carried out at the tick they reach the world: on what they name, orders reach agents
// as jobs by name with an AI mode, or act then (moves, rally points, placing buildings, an item
// put down beside the rig). The hand that turns the mouse into these orders is the interface's
// (interface/MouseOrders.cpp).
#include "mechanics/Bag.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "world/AgentCombat.h"
#include "platform/ConfigFile.h"
#include "platform/GameSeam.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "world/Agent.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Effects.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/Item.h"
#include "world/TaskStepsSupport.h"
#include "world/WeaponDef.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <cmath>

OrderFlash TheOrderFlash;

namespace {

constexpr float CROSSING_GOAL_DISTANCE = 9.9f;
constexpr float CROSSING_MIN_DISTANCE = 16.5f;
constexpr int MAX_FORMATION = 12;
// Where the others of a group stand around the first, in cells, in the order they are tried.
constexpr int FORMATION_OFFSETS[12][2] = {{1, 0}, {0, 1},  {1, 1}, {-1, 0}, {-1, 1}, {2, 0},
                                          {2, 1}, {-2, 0}, {-2, 1}, {2, 2}, {-2, 2}, {-1, 2}};

float GroundDistance(const Vec3& a, const Vec3& b) { return GetGroundDistance(a, b); }

bool IsAgent(const Entity* entity) { return entity && (entity->flags & ENTITY_AGENT); }
bool IsBuilding(const Entity* entity) { return entity && (entity->flags & ENTITY_BUILDING); }
const BuildItem* DefinitionOf(const Entity* entity)
{
    return IsBuilding(entity) ? static_cast<const Building*>(entity)->definition : nullptr;
}
uint32_t DefinitionFlags(const Entity* entity)
{
    const BuildItem* definition = DefinitionOf(entity);
    return definition ? definition->flags : 0;
}
bool ProducesUnits(const Entity* entity) { return (DefinitionFlags(entity) & BUILD_UNIT_FACTORY) != 0; }
bool IsRig(const Entity* entity) { return entity && (entity->flags & ENTITY_PLAYER); }

}  // namespace

// ---- Jobs -------------------------------------------------------------------------------------

// An order replaces all of what the unit was doing: the job and the beam it kept on, the fight
// it took up itself, and the work or the move it meant to go back to after that fight.
void ClearOrderJob(Agent* agent)
{
    if (!agent) return;
    WorkBeam::Stop(agent);
    if (agent->brain) agent->brain->ClearJob();
}

bool GiveOrderJob(Agent* agent, const char* jobName, int mode)
{
    if (!agent || !agent->brain) return false;
    WorkBeam::Stop(agent);
    return agent->brain->SetJob(jobName, agent, mode) != 0;
}

// ---- The order flash --------------------------------------------------------------------------

void FlashOrderTarget(Entity* target)
{
    TheOrderFlash.timeLeft = ORDER_FLASH_TIME;
    TheOrderFlash.target = target;
    TheOrderFlash.elapsed = 0.0f;
}

void ClearOrderFlash() { TheOrderFlash = OrderFlash(); }

void GameMechanics::ForgetOrderTarget(Entity* entity)
{
    if (entity && TheOrderFlash.target == entity) ClearOrderFlash();
    if (entity && hoveredEntity == entity) hoveredEntity = nullptr;
}

// ---- Moves ------------------------------------------------------------------------------------

void GameMechanics::ApplyMoveOrder(bool attackMove)
{
    const bool shift = ordered.shift;
    if (ordered.ctrl) attackMove = true;
    Entity* first = ordered.First();
    if (!first || first->alignment != ALIGN_PLAYER) return;

    Vec3 target = ordered.point;
    target.y += 0.1f;
    if (grid) target = grid->SnapToGridPoint(target);

    if (IsBuilding(first)) {
        Building* building = static_cast<Building*>(first);
        if (ProducesUnits(building)) {
            building->stateFlags |= BUILDING_RALLY_POINT;
            building->rallyPoint = target;
            if (building->alignment == ALIGN_PLAYER) building->linkedEntity.Clear();
        }
        if (DefinitionFlags(building) & (BUILD_WARP_PLATFORM | BUILD_UNIT_UPGRADER)) {
            building->stateFlags |= BUILDING_RALLY_POINT;
            building->rallyPoint = target;
        }
        return;
    }

    GridCell* cell = grid ? grid->GetCellAt(target) : nullptr;
    bool reachable = true;
    if (!cell || !cell->IsFreeWalkable()) {
        Vec3 spot;
        if (!cell)
            reachable = false;
        else if (FindFreeCellNear(&spot, cell->occupant, first->GetPosition(), 0.0f, &target))
            target = spot;
        else
            reachable = false;
    }

    Vec3 positions[MAX_FORMATION];
    int positionCount = 0;
    positions[positionCount++] = target;
    int column = 0, row = 0;
    if (ordered.units.size() >= 2 && cell && grid->WorldToCell(target, &column, &row)) {
        for (const auto& offset : FORMATION_OFFSETS) {
            if (positionCount >= MAX_FORMATION || positionCount >= (int)ordered.units.size()) break;
            GridCell* place = grid->GetCell(column + offset[0], row + offset[1]);
            if (place && place->IsFreeWalkable()) positions[positionCount++] = grid->CellToWorld(column + offset[0], row + offset[1]);
        }
    }

    int handedOut = 0;
    for (Entity* unit : ordered.units) {
        if (!IsAgent(unit)) continue;
        Agent* agent = static_cast<Agent*>(unit);
        const bool ground = !agent->IsAirUnit();
        Vec3 goal = target;
        if (ground && handedOut < positionCount) goal = positions[handedOut++];
        if (!reachable && ground) {
            if (!(shift && !agent->moveQueue.IsEmpty())) agent->StopMove(0.25f);
            PlayFeedbackSound("bad");
            continue;
        }

        Vec3 point = goal;
        bool queuedGoal = false, queuedCrossing = false;
        Vec3 crossing;
        const Vec3 at = agent->GetPosition();
        if (ground && GroundDistance(at, goal) > CROSSING_GOAL_DISTANCE && TheLevelGenerator.HasLayout(nullptr) &&
            TheLevelGenerator.FindCrossing(at, goal, &crossing) && GroundDistance(at, crossing) > CROSSING_MIN_DISTANCE) {
            if (shift) {
                // Queued behind what the agent already does: over the river first, then on.
                if (agent->moveQueue.Count() + 2 <= agent->moveQueue.Capacity()) {
                    agent->moveQueue.Push(crossing);
                    agent->moveQueue.Push(goal);
                } else {
                    PlayFeedbackSound("bad");
                }
                queuedCrossing = true;
            } else {
                agent->moveQueue.Clear();
                if (agent->moveQueue.Count() < agent->moveQueue.Capacity()) {
                    agent->moveQueue.Push(goal);
                    queuedGoal = true;
                    point = crossing;
                }
            }
        }

        if (shift && !queuedCrossing) {
            if (agent->moveQueue.Count() < agent->moveQueue.Capacity())
                agent->moveQueue.Push(point);
            else
                PlayFeedbackSound("bad");
        } else if (!shift) {
            if (!queuedGoal) agent->moveQueue.Clear();
            agent->MoveTo(point, true);
        }
        // A queued move replaces the unit's work and fight as a move at once does.
        if (agent->alignment == ALIGN_PLAYER) {
            ClearOrderJob(agent);
            agent->target.Clear();
            if (attackMove)
                agent->classWord |= AGENT_ORDERED_MOVE;
            else
                agent->classWord &= ~AGENT_ORDERED_MOVE;
        }
    }
}

// ---- Attacks ----------------------------------------------------------------------------------

bool OrderAttackEntity(Agent* agent, Entity* target)
{
    if (!agent || !target) return false;
    if (IsAgent(target) && static_cast<Agent*>(target)->IsAirUnit()) {
        const WeaponDef* weapon = agent->weapon;
        if (weapon && (weapon->type == WEAPON_FLAME || weapon->type == WEAPON_MORTAR)) return false;
        if (!weapon && (agent->classWord & AGENT_CLASS_MELEE)) return false;
    }
    agent->StopMove(1.0f);
    agent->target.Set(target);
    // An order to attack is obeyed whatever the unit was told to hold.
    agent->stance = AGENT_STANCE_DEFAULT;
    GiveOrderJob(agent, "AttackEntity", AI_MODE_ATTACK);
    return true;
}

void GameMechanics::ApplyAttackOrder(Agent* agent)
{
    Entity* target = ordered.target;
    if (!target) {
        ApplyMoveOrder(true);
        return;
    }
    if (target == agent) return;
    if (target->alignment == ALIGN_FRIENDLY || target->alignment == ALIGN_NEUTRAL) {
        if (IsBuilding(target)) return;
        if (target->flags & ENTITY_ITEM) {
            if (static_cast<Item*>(target)->action != ITEM_ACTION_ATTACK) return;
        } else if (target->flags & (ENTITY_RESOURCE | ENTITY_FUEL)) {
            return;
        }
    }
    FlashOrderTarget(target);
    if (agent) {
        OrderAttackEntity(agent, target);
        return;
    }
    for (Entity* unit : ordered.units) {
        if (unit == target) break;
        if (IsAgent(unit)) OrderAttackEntity(static_cast<Agent*>(unit), target);
    }
}

// ---- Work orders ------------------------------------------------------------------------------

void GameMechanics::ApplyRepairOrder(Agent* agent)
{
    Entity* target = ordered.target;
    if (!target || !(target->flags & (ENTITY_BUILDING | ENTITY_OBJECT_OF_INTEREST))) return;
    FlashOrderTarget(target);
    auto repair = [&](Agent* worker) {
        worker->activeObject.Set(target);
        GiveOrderJob(worker, "Repair", AI_MODE_REPAIR);
    };
    if (agent) {
        repair(agent);
        return;
    }
    for (Entity* unit : ordered.units)
        if (IsAgent(unit)) repair(static_cast<Agent*>(unit));
}

bool GameMechanics::AssignExtractOre(Agent* agent)
{
    Entity* target = ordered.target;
    if (!agent || !target) return false;
    const bool revealedOre = (target->flags & ENTITY_RESOURCE) && (target->flags & ENTITY_RESOURCE_REVEALED);
    if (IsRig(agent)) {
        if (!revealedOre) return false;
        agent->mine.Set(target);
        GiveOrderJob(agent, "ExtractOre", AI_MODE_EXTRACT_ORE);
        return true;
    }
    if (revealedOre) {
        ClearOrderJob(agent);
        if (agent->brain) agent->brain->SetMode(AI_MODE_MINING);
        agent->dropOff.Clear();
        agent->mineTimer = 0.0f;
        agent->mine.Set(target);
        return true;
    }
    if (IsBuilding(target)) {
        const Building* building = static_cast<const Building*>(target);
        if ((DefinitionFlags(building) & BUILD_RESOURCE_DROP) && building->buildState != BUILD_STATE_CONSTRUCTING) {
            ClearOrderJob(agent);
            if (agent->brain) agent->brain->SetMode(AI_MODE_MINING_RETURN_TO_DROPOFF);
            agent->dropOff.Set(target);
            return true;
        }
        moveRequested = true;
    }
    return false;
}

void GameMechanics::ApplyExtractOrder(Agent* agent)
{
    if (!ordered.target) return;
    FlashOrderTarget(ordered.target);
    if (agent) {
        AssignExtractOre(agent);
        return;
    }
    for (Entity* unit : ordered.units)
        if (IsAgent(unit)) AssignExtractOre(static_cast<Agent*>(unit));
}

void GameMechanics::ApplyHealOrder(Agent* agent)
{
    Entity* target = ordered.target;
    if (!IsAgent(target) || target->alignment != ALIGN_PLAYER) return;
    auto heal = [&](Agent* healer) {
        healer->activeObject.Set(target);
        GiveOrderJob(healer, healer == target ? "InstantHeal" : "Heal", AI_MODE_HEAL);
    };
    if (agent) {
        heal(agent);
        return;
    }
    for (Entity* unit : ordered.units)
        if (IsAgent(unit)) heal(static_cast<Agent*>(unit));
}

// ---- The right click --------------------------------------------------------------------------

void GameMechanics::OrderFromEntity(Entity* selected, Entity* target, bool group, bool force)
{
    if (IsAgent(selected)) {
        Agent* agent = static_cast<Agent*>(selected);
        const bool enemy = target->alignment == ALIGN_ENEMY;
        if (IsAgent(target)) {
            if (enemy || force) ApplyAttackOrder(agent);
            return;
        }
        if ((target->flags & ENTITY_RESOURCE) && (target->flags & ENTITY_RESOURCE_REVEALED)) {
            if (IsRig(agent) || (agent->classWord & AGENT_CLASS_MINER)) ApplyExtractOrder(agent);
            return;
        }
        if ((target->flags & ENTITY_RESOURCE) && (IsRig(agent) || (agent->classWord & AGENT_CLASS_MINER))) {
            // Ore nobody has scanned cannot be cut yet: the unit walks up to it, and the player is
            // told what the grey block wants.
            TellPlayer("Scan near this ore before it can be mined!", 4.0f);
            moveRequested = true;
            return;
        }
        if (target->flags & ENTITY_ITEM) {
            Item* item = static_cast<Item*>(target);
            if (item->action != ITEM_ACTION_ATTACK) {
                agent->StopMove(1.0f);
                agent->activeObject.Set(item);
                GiveOrderJob(agent, "ItemMoveAndAction", AI_MODE_ITEM_MOVE_AND_ACTION);
                FlashOrderTarget(item);
            } else if (agent->classWord & AGENT_CLASS_MELEE) {
                agent->activeObject.Set(item);
                GiveOrderJob(agent, "MoveAndAttack", AI_MODE_MOVE_AND_ATTACK);
                FlashOrderTarget(item);
            } else {
                agent->StopMove(1.0f);
                ApplyAttackOrder(agent);
            }
            return;
        }
        if (!IsBuilding(target)) {
            // The mission's own objects (a relic, a console, a wrecked cannon) are not buildings,
            // but the rig alone treats them as a finished building of interest: one that is not
            // whole is worked on, which is how it is recovered or repaired.
            if (IsRig(agent) && !group && !force && IsMissionObject(target)) {
                if (target->GetHealth() < target->GetMaxHealth())
                    ApplyRepairOrder(agent);
                else
                    moveRequested = true;
            } else if (IsMissionObject(target) || (target->flags & ENTITY_FUEL)) {
                // A group sent at it, or a bot: they walk up to it.
                moveRequested = true;
            }
            return;
        }
        Building* building = static_cast<Building*>(target);
        if (enemy || force) {
            ApplyAttackOrder(agent);
            return;
        }
        const uint32_t kind = DefinitionFlags(building);
        if (IsRig(agent) && !group) {
            if (building->buildState == BUILD_STATE_CONSTRUCTING) {
                agent->activeBuilding.Set(building);
                GiveOrderJob(agent, "Build", AI_MODE_BUILD);
            } else if (!(building->flags & ENTITY_OBJECT_OF_INTEREST)) {
                if (kind & BUILD_WARP_PLATFORM) {
                    agent->StopMove(1.0f);
                    agent->activeBuilding.Set(building);
                    GiveOrderJob(agent, "EnterWarpPlatform", AI_MODE_WARP_MOVE);
                    FlashOrderTarget(building);
                } else {
                    moveRequested = true;
                }
            } else if (building->GetHealth() < building->GetMaxHealth()) {
                ApplyRepairOrder(agent);
            } else {
                moveRequested = true;
            }
            return;
        }
        const char* job = nullptr;
        int mode = 0;
        if (kind & BUILD_UNIT_UPGRADER) {
            job = "UpgradeBot";
            mode = AI_MODE_UPGRADE_MOVE;
        } else if (kind & BUILD_UNIT_RECYCLER) {
            job = "RecycleBot";
            mode = AI_MODE_RECYCLE_MOVE;
        } else if (kind & BUILD_WARP_PLATFORM) {
            job = "EnterWarpPlatform";
            mode = AI_MODE_WARP_MOVE;
        }
        if (job) {
            agent->StopMove(1.0f);
            agent->activeBuilding.Set(building);
            GiveOrderJob(agent, job, mode);
            FlashOrderTarget(building);
        } else if (agent->classWord & AGENT_CLASS_MINER) {
            ApplyExtractOrder(agent);
        } else {
            moveRequested = true;
        }
        return;
    }

    if (!IsBuilding(selected)) return;
    Building* building = static_cast<Building*>(selected);
    if (target == building) {
        if (ProducesUnits(building)) {
            building->stateFlags &= ~BUILDING_RALLY_POINT;
            building->linkedEntity.Clear();
        }
        return;
    }
    if (IsAgent(target) && target->alignment == ALIGN_PLAYER && building->alignment == ALIGN_PLAYER &&
        (static_cast<Agent*>(target)->classWord & AGENT_CLASS_MOBILE_SPAWN_POINT)) {
        building->stateFlags |= BUILDING_RALLY_POINT;
        building->linkedEntity.Set(target);
        building->rallyPoint = target->GetPosition();
        return;
    }
    if (!(DefinitionFlags(building) & BUILD_TURRET)) return;
    const int weapon = building->weapon ? building->weapon->type : -1;
    if (target->alignment == ALIGN_ENEMY || force) {
        if (weapon != WEAPON_FLAME && weapon != WEAPON_MORTAR) building->linkedEntity.Set(target);
    } else if ((target->flags & ENTITY_ITEM) && static_cast<Item*>(target)->action == ITEM_ACTION_ATTACK) {
        building->linkedEntity.Set(target);
    }
}

void GameMechanics::ApplyClickOrder()
{
    if (ordered.units.empty()) return;
    const bool group = ordered.units.size() > 1;
    const bool force = ordered.ctrl;
    if (!ordered.target) {
        ApplyMoveOrder(false);
        return;
    }
    if (!ordered.fresh) return;
    // Every entity that falls back to a move asks for it; the group moves once, together.
    moveRequested = false;
    const std::vector<Entity*> units = ordered.units;
    for (Entity* unit : units)
        if (unit->alignment == ALIGN_PLAYER && !(unit->flags & ENTITY_DEAD)) OrderFromEntity(unit, ordered.target, group, force);
    if (moveRequested) ApplyMoveOrder(false);
    moveRequested = false;
}

// ---- What the orders name ----------------------------------------------------------------------

std::vector<uint32_t> SelectionLevelNumbers()
{
    std::vector<uint32_t> numbers;
    if (!TheGame) return numbers;
    for (auto* node = TheGame->hand.selected.head; node; node = node->next) {
        const uint32_t number = LevelNumberOf(node->value);
        if (number != NO_LEVEL_ENTITY) numbers.push_back(number);
    }
    return numbers;
}

// ---- Items and buildings put down -------------------------------------------------------------

bool PlaceItemBesideRig(Item* item)
{
    Agent* rig = GetPlayerRig();
    if (!item || !rig) return false;
    const Vec3 from = rig->GetPosition();
    Vec3 spot = from;
    if (!FindFreeCellNear(&spot, rig, from, 0.0f, &from)) spot = from;
    spot.y += 1.0f;
    // Weapons and modules are drawn at their mount's size on the rig; on the ground they would
    // be lost in the grass at their own.
    const float scale = item->scale;
    if (item->kind == ITEM_KIND_UPGRADE || item->kind == ITEM_KIND_WEAPON) item->scale = 2.0f;
    Vec3 ground;
    const Vec3 above(spot.x, spot.y + 10.0f, spot.z);
    if (GetGameSeam().IntersectTerrain(above, Vec3(0.0f, -1.0f, 0.0f), &ground)) spot.y = ground.y + 1.0f;
    item->SetPosition(spot);
    item->flags &= ~ENTITY_PLACED;
    item->itemFlags |= ITEM_FLAG_ROLLED;
    if (TheScene.AddEntity(item)) return true;
    item->scale = scale;
    return false;
}

void GameMechanics::ApplyDropItem(const PlayerOrder& order)
{
    // The bag's own: the item comes out of the slot the hand held, or out of the hand.
    PlayerBag->DropItem(order.text.c_str(), order.args[0] - 1);
}

void GameMechanics::ApplyPlaceBuilding(const PlayerOrder& order)
{
    if (!buildItems) return;
    // The order alone says what and where: whatever the hand holds meanwhile is the view's.
    BuildPlacement placement;
    placement.item = buildItems->FindByName(order.text.c_str());
    if (!placement.item || !placement.item->prototype) return;
    placement.point = order.point;
    placement.free = order.args[0] != 0;
    if (CanPlace(&placement)) {
        Building* building = PlaceBuildingFromItem(placement);
        Entity* first = ordered.First();
        if (building && IsAgent(first) && first->alignment == ALIGN_PLAYER) {
            Agent* agent = static_cast<Agent*>(first);
            agent->activeBuilding.Set(building);
            GiveOrderJob(agent, "Build", AI_MODE_BUILD);
        }
    } else {
        PlayFeedbackSound("bad");
    }
}

// ---- Warps and the developer's teleport -------------------------------------------------------

bool GameMechanics::WarpAgent(Agent* agent, const Vec3& destination)
{
    Entity* platform = agent ? agent->activeBuilding.Get() : nullptr;
    bool done = false;
    Vec3 to = destination;
    if (grid && (DefinitionFlags(platform) & BUILD_WARP_PLATFORM)) {
        to = grid->SnapToGridPoint(destination);
        GridCell* cell = grid->GetCellAt(to);
        bool placed = cell && cell->IsFreeWalkable();
        if (cell && !placed) {
            Vec3 spot;
            if (FindFreeCellNear(&spot, cell->occupant, destination, 7.8f, &destination)) {
                to = spot;
                float height = 0.0f;
                if (GetGameSeam().GetTerrainHeight(to.x, to.z, 0, &height)) to.y = height;
                placed = true;
            }
        }
        GridCell* from = grid->GetCellAt(agent->GetPosition());
        GridCell* arrival = grid->GetCellAt(to);
        int column = -1, row = -1;
        if (placed && from && arrival && from->region == arrival->region && grid->WorldToCell(to, &column, &row) &&
            TheMinimap.IsCellVisited(column, row)) {
            const Vec3 centre = platform->GetCenter();
            agent->SetPosition(to);
            agent->moveTarget = to;
            agent->ClaimGridCell(to);
            for (const Vec3& at : {Vec3(centre.x, centre.y + 0.4f, centre.z), to})
                StartEffect("warp", nullptr, at, EFFECT_ONCE);
            PlayFeedbackSound("warp");
            done = true;
        }
    }
    if (!done) TellPlayer("Invalid warp destination!", 4.0f);
    return done;
}

void GameMechanics::DebugTeleportSelection()
{
    for (Entity* unit : ordered.units) {
        if (!IsAgent(unit)) continue;
        Agent* agent = static_cast<Agent*>(unit);
        agent->SetPosition(ordered.point);
        agent->moveTarget = ordered.point;
        agent->ClaimGridCell(ordered.point);
    }
}

// ---- Item uses on the hovered entity ------------------------------------------------------------

bool GameMechanics::UseEnrichmentCannister(Item* cannister)
{
    Entity* ore = ordered.target;
    // The cannister must be there before the ore is touched.
    if (!cannister || cannister->stackCount < 1 || !ore || !(ore->flags & ENTITY_RESOURCE) || !EnrichOreNode(ore)) {
        PlayFeedbackSound("bad");
        return false;
    }
    --cannister->stackCount;
    return true;
}

bool GameMechanics::UseHealItem(Item* instantBuild)
{
    Entity* target = ordered.target;
    if (!instantBuild || instantBuild->stackCount < 1 || !IsBuilding(target) ||
        static_cast<Building*>(target)->buildState != BUILD_STATE_CONSTRUCTING) {
        PlayFeedbackSound("bad");
        return false;
    }
    Building* building = static_cast<Building*>(target);
    if (building->definition) building->buildProgress = building->definition->buildTime;
    PlayFeedbackSound("heal");
    --instantBuild->stackCount;
    return true;
}
