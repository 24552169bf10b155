// The world's side of the player's orders: each kind carried out at the start of a tick, on the
// units and the target the order names by level number. What is dead or gone by then is passed
// over; an order that finds nothing to act on does nothing.
#include "mechanics/Bag.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/RigFitting.h"
#include "mechanics/UnitUpgrades.h"

#include "campaign/PlayerProfile.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "mechanics/Selection.h"
#include "world/AgentCombat.h"
#include "levelgen/LevelTools.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsRig(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT) && (entity->flags & ENTITY_PLAYER);
}

void Tell(const char* text)
{
    TellPlayer(text, 4.0f);
}

// The first item of the bag named by one of the '|'-separated names, in their order.
Item* FirstCarried(const std::string& names)
{
    size_t from = 0;
    while (from <= names.size()) {
        size_t to = names.find('|', from);
        if (to == std::string::npos) to = names.size();
        const std::string name = names.substr(from, to - from);
        if (!name.empty())
            if (Item* item = PlayerBag->FindItemByName(name.c_str())) return item;
        from = to + 1;
    }
    return nullptr;
}

// Why an item of the bag did nothing for its target, when the player asked by a key.
void ExplainUnused(const PlayerOrder& order, const Item* item, const Entity* target)
{
    char text[160];
    if (!target) {
        Tell("There is no rig to use it on!");
    } else if (!item) {
        const std::string first = order.text.substr(0, order.text.find('|'));
        std::string shown = first;
        for (char& c : shown)
            if (c == '_') c = ' ';
        snprintf(text, sizeof text, "No %s left!", shown.c_str());
        Tell(text);
    } else if (item->action == ITEM_ACTION_HEAL) {
        Tell("The rig's hull is already whole!");
    } else if (item->action == ITEM_ACTION_RECHARGE) {
        Tell("The shields are already full!");
    }
}

void UseItem(const PlayerOrder& order, const OrderContext& ordered)
{
    // No target named: the rig, whatever was selected.
    Entity* target = order.target == NO_LEVEL_ENTITY ? FindLevelRig() : ordered.target;
    Item* item = FirstCarried(order.text);
    const int how = order.args[0];
    bool used = false;
    if (item && target && item->stackCount > 0 && (!(how & ORDER_USE_RIG_ONLY) || IsRig(target))) {
        used = item->ApplyUseEffect(target);
        // The slot shows the new count; one used up leaves the bag.
        if (used) PlayerBag->RefreshSlot(item);
    }
    if (used) return;
    if (how & ORDER_USE_EXPLAIN) ExplainUnused(order, item, target);
    if (!(how & ORDER_USE_QUIET)) PlayFeedbackSound("bad");
}

void SetStance(const OrderContext& ordered, int stance)
{
    if (stance < AGENT_STANCE_DEFAULT || stance > AGENT_STANCE_STOP) return;
    for (Entity* entity : ordered.units) {
        if (!(entity->flags & ENTITY_AGENT) || entity->alignment != ALIGN_PLAYER || IsRig(entity)) continue;
        Agent* agent = static_cast<Agent*>(entity);
        agent->stance = stance;
        if (stance == AGENT_STANCE_HOLD_POSITION && agent->HasStanceBits()) agent->StopMove(0.5f);
    }
}

Building* PlayerBuilding(Entity* entity)
{
    return entity && (entity->flags & ENTITY_BUILDING) && entity->alignment == ALIGN_PLAYER
               ? static_cast<Building*>(entity)
               : nullptr;
}

void QueueUnit(GameMechanics& game, const PlayerOrder& order)
{
    Building* factory = PlayerBuilding(game.ordered.target);
    AgentType* type = game.agentTypes ? game.agentTypes->FindType(order.text.c_str()) : nullptr;
    if (!factory || !type) {
        PlayFeedbackSound("blip");
        return;
    }
    PlayFeedbackSound(factory->QueueUnit(type));
    TheScreenHooks->BuildQueueChanged(factory);
}

void SetResearchProgram(const OrderContext& ordered, int program)
{
    Building* computer = PlayerBuilding(ordered.target);
    if (!computer || !computer->definition || !(computer->definition->flags & BUILD_RESEARCH_COMPUTER) ||
        computer->researchKind == program)
        return;
    computer->researchKind = program;
    computer->researchTimer = RESEARCH_SWITCH_SECONDS;
}

void Recycle(const OrderContext& ordered, bool start)
{
    Building* recycler = PlayerBuilding(ordered.target);
    if (!recycler || !recycler->linkedEntity.IsSet()) return;
    if (start) {
        recycler->recycleTimer = 5.0f;
        return;
    }
    recycler->recycleTimer = 0.0f;
    recycler->ReleaseHeldUnit();
}

Building* PlayerUpgrader(Entity* entity)
{
    Building* upgrader = PlayerBuilding(entity);
    return upgrader && upgrader->definition && (upgrader->definition->flags & BUILD_UNIT_UPGRADER) ? upgrader : nullptr;
}

void StepUpgradeChoice(const PlayerOrder& order, const OrderContext& ordered)
{
    Building* upgrader = PlayerUpgrader(ordered.target);
    if (!upgrader) return;
    PlayFeedbackSound(::StepUpgradeChoice(upgrader, order.args[0], order.args[1] < 0));
    TheScreenHooks->RefreshUpgrade(upgrader);
}

void StartUpgrade(const OrderContext& ordered)
{
    Building* upgrader = PlayerUpgrader(ordered.target);
    Agent* unit = upgrader ? upgrader->HeldUnit() : nullptr;
    if (unit && !(unit->processTimer > 0.0f)) StartUnitUpgrade(upgrader);
    PlayFeedbackSound(unit && unit->processTimer > 0.0f ? "blip" : "bad");
}

void EjectUpgraded(const OrderContext& ordered)
{
    Building* upgrader = PlayerUpgrader(ordered.target);
    if (!upgrader) return;
    upgrader->LetUnitOut();
    TheScreenHooks->RefreshUpgrade(upgrader);
}

// A mine layer makes one mine at a time, up to its stock, for ore and fuel; the one being made
// may be given up (the right button), paid back; with none being made the right button makes one.
void BuildMine(const OrderContext& ordered, bool make)
{
    Entity* first = ordered.First();
    PlayerProfile* player = GetPlayerProfile();
    if (!first || !(first->flags & ENTITY_AGENT) || first->alignment != ALIGN_PLAYER || !player) return;
    Agent* agent = static_cast<Agent*>(first);
    if (!make && agent->mineTimer > 0.0f) {
        player->ore += MINE_ORE_COST;
        player->fuel += MINE_FUEL_COST;
        agent->mineTimer = 0.0f;
        return;
    }
    if (player->ore < MINE_ORE_COST || player->fuel < MINE_FUEL_COST) {
        Tell("Not enough resources");
    } else if (agent->mines < MINE_STOCK && !(agent->mineTimer > 0.0f)) {
        player->ore -= MINE_ORE_COST;
        player->fuel -= MINE_FUEL_COST;
        agent->mineTimer = MINE_BUILD_SECONDS;
        return;
    }
    PlayFeedbackSound("bad");
}

// The unit at that place of the factory's queue, when it is still the one the player saw there,
// taken back and paid back; the one in production gone, the next starts from its beginning.
void UnqueueUnit(const PlayerOrder& order, const OrderContext& ordered)
{
    Building* factory = PlayerBuilding(ordered.target);
    PlayerProfile* player = GetPlayerProfile();
    const int n = order.args[0];
    if (!factory || !factory->buildQueue || !player || n < 1) return;
    PooledList<AgentType*>::Node* previous = nullptr;
    PooledList<AgentType*>::Node* node = factory->buildQueue->head;
    for (int i = 1; node && i < n; ++i) {
        previous = node;
        node = node->next;
    }
    AgentType* type = node ? node->value : nullptr;
    if (!type || order.text != type->name) return;
    factory->buildQueue->Unlink(previous, node);
    player->ore += (float)type->oreCost;
    player->fuel += (float)type->fuelCost;
    if (player->unitsInUse > 0) --player->unitsInUse;
    if (n == 1) {
        const AgentType* next = factory->buildQueue->head ? factory->buildQueue->head->value : nullptr;
        factory->productionTimer = next ? next->buildTime : 0.0f;
    }
    TheScreenHooks->BuildQueueChanged(factory);
}

// An instant build or an enrichment on the target, with the item of that action the order names;
// the slot then shows the new count, or empties.
void UseOnTarget(GameMechanics& game, const PlayerOrder& order, int action)
{
    Item* item = FirstCarried(order.text);
    if (item && item->action != action) item = nullptr;
    const bool used = action == ITEM_ACTION_INSTANT_BUILD ? game.UseHealItem(item) : game.UseEnrichmentCannister(item);
    if (used) PlayerBag->RefreshSlot(item);
}

void MoveItem(const PlayerOrder& order)
{
    PlayerBag->MoveItem(order.args[0] & 0xff, order.args[0] >> 8 & 0xff, order.args[1], order.text.c_str());
}

void LearnPattern(const PlayerOrder& order)
{
    PlayerBag->LearnPattern(order.args[0], order.text.c_str());
}

}  // namespace

void ApplyPlayerOrder(const PlayerOrder& order)
{
    GameMechanics* game = TheGame;
    if (!game || game->state != GAME_STATE_PLAYING) return;
    OrderContext& ordered = game->ordered;
    ordered = OrderContext();
    for (uint32_t number : order.units)
        if (Entity* unit = EntityOfLevelNumber(number)) ordered.units.push_back(unit);
    ordered.target = EntityOfLevelNumber(order.target);
    ordered.point = order.point;
    ordered.shift = (order.args[0] & ORDER_FLAG_SHIFT) != 0;
    ordered.ctrl = (order.args[0] & ORDER_FLAG_CTRL) != 0;
    ordered.fresh = (order.args[0] & ORDER_FLAG_FRESH) != 0;
    // A target that was named but is gone leaves an order that needed it with nothing to do.
    const bool targetGone = order.target != NO_LEVEL_ENTITY && !ordered.target;

    switch (order.kind) {
    case ORDER_CLICK: game->ApplyClickOrder(); break;
    case ORDER_MOVE: game->ApplyMoveOrder(false); break;
    case ORDER_ATTACK_MOVE: game->ApplyMoveOrder(true); break;
    case ORDER_ATTACK:
        if (targetGone) break;
        // An order for one agent (the scripted fights') names it alone.
        game->ApplyAttackOrder(nullptr);
        break;
    case ORDER_REPAIR: game->ApplyRepairOrder(nullptr); break;
    case ORDER_EXTRACT: game->ApplyExtractOrder(nullptr); break;
    case ORDER_HEAL: game->ApplyHealOrder(nullptr); break;
    case ORDER_INSTANT_BUILD: UseOnTarget(*game, order, ITEM_ACTION_INSTANT_BUILD); break;
    case ORDER_ENRICH: UseOnTarget(*game, order, ITEM_ACTION_ENRICH_ORE); break;
    case ORDER_PLACE_BUILDING: game->ApplyPlaceBuilding(order); break;
    case ORDER_TELEPORT: game->DebugTeleportSelection(); break;
    case ORDER_STOP:
        if (Entity* first = ordered.First()) game->StopEntity(first);
        break;
    case ORDER_STANCE: SetStance(ordered, order.args[0]); break;
    case ORDER_SCAN:
        if (Entity* first = ordered.First())
            if (TheScanEffects.BeginScan(first)) PlayFeedbackSound("scan");
        break;
    case ORDER_LAY_MINE:
        if (Entity* first = ordered.First()) LayMineFrom(first);
        break;
    case ORDER_USE_ITEM: UseItem(order, ordered); break;
    case ORDER_QUEUE_UNIT: QueueUnit(*game, order); break;
    case ORDER_ASSIGN_GROUP: game->AssignControlGroup(order.args[0], ordered.units); break;
    case ORDER_GAME_SPEED:
        if (order.args[0] >= 8 && order.args[0] <= 128) GameSpeed = (float)order.args[0] / 16.0f;
        break;
    // The world stood still between them; a save was written between ticks when given.
    case ORDER_PAUSE:
    case ORDER_RESUME:
    case ORDER_SAVE: break;
    case ORDER_RESEARCH_PROGRAM: SetResearchProgram(ordered, order.args[0]); break;
    case ORDER_RECYCLE: Recycle(ordered, order.args[0] != 0); break;
    case ORDER_UPGRADE_CHOICE: StepUpgradeChoice(order, ordered); break;
    case ORDER_UPGRADE_START: StartUpgrade(ordered); break;
    case ORDER_UPGRADE_EJECT: EjectUpgraded(ordered); break;
    case ORDER_BUILD_MINE: BuildMine(ordered, order.args[0] != 0); break;
    case ORDER_CANCEL_CONSTRUCTION:
        if (Building* building = PlayerBuilding(ordered.target)) CancelConstruction(building);
        break;
    case ORDER_UNQUEUE_UNIT: UnqueueUnit(order, ordered); break;
    case ORDER_DROP_ITEM: game->ApplyDropItem(order); break;
    case ORDER_LEARN_PATTERN: LearnPattern(order); break;
    // The level ended when they were given: they mark how the player left it.
    case ORDER_RESTART:
    case ORDER_ABORT: break;
    case ORDER_SPEND_SKILL: SpendSkillPoint(order.args[0]); break;
    case ORDER_FOG_OF_WAR: TheMinimap.SetFogEnabled(order.args[0] != 0); break;
    case ORDER_FIT_PART:
        FitRigPart((order.args[1] & 0xff) != 0, order.args[0], order.text.c_str(), (order.args[1] >> 8) - 1);
        break;
    case ORDER_CONSOLE: TheLevelToolHooks->RunConsoleOrder(order.text.c_str(), ordered.units, ordered.point); break;
    case ORDER_MOVE_ITEM: MoveItem(order); break;
    case ORDER_ANIMATION: SetAnimationSwitch(order.args[0], order.args[1] != 0); break;
    case ORDER_EDITOR_PLACE: TheLevelToolHooks->PlaceFromEditor(order); break;
    default: break;
    }
    ordered = OrderContext();
}
