// The handlers of the named commands that act on the level: command modes, stop, mines,
// scans, selection and control groups, the minimap and the developer's view switches. Each
// checks its own guard: developer commands only with debugMode, level commands only while
// playing, and those that act on a unit only with one selected.
#include "mechanics/Bag.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"
#include "mechanics/GameRender.h"

#include "host/System.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

#include <cstdio>

bool MinimapShown = true;
bool CameraLocked = true;
bool VertexCacheFlag = true;
bool ModelViewerTest = true;
bool DrawGuiShown = true;

namespace {

bool Playing() { return TheGame && TheGame->state == GAME_STATE_PLAYING; }
bool Debugging() { return Config && Config->debugMode; }
Entity* FirstSelected() { return TheGame ? TheGame->GetFirstSelected() : nullptr; }

// An alert older than this many frames is not gone back to.
constexpr int ALERT_FRAMES = 600;

}  // namespace

void CmdAttack()
{
    if (Playing() && FirstSelected()) TheGame->SetCommandMode(COMMAND_ATTACK, FirstSelected());
}

void CmdMove()
{
    if (Playing() && FirstSelected()) TheGame->SetCommandMode(COMMAND_MOVE, FirstSelected());
}

void CmdRepair()
{
    if (Playing() && FirstSelected()) TheGame->SetCommandMode(COMMAND_REPAIR, FirstSelected());
}

void CmdStop()
{
    if (Playing() && FirstSelected()) TheGame->SetCommandMode(COMMAND_STOP, FirstSelected());
}

void CmdScan()
{
    if (Playing() && FirstSelected()) TheGame->SetCommandMode(COMMAND_SCAN, FirstSelected());
}

void GameMechanics::SetCommandMode(int mode, Entity* first)
{
    if (!first) return;
    switch (mode) {
    case COMMAND_MOVE:
    case COMMAND_ATTACK:
        commandMode = mode;
        commandArgument = 0;
        break;
    case COMMAND_STOP:
        GiveUnitOrder(ORDER_STOP, first);
        break;
    case COMMAND_REPAIR:
    case COMMAND_MINE:
    case COMMAND_INSTABUILD:
    case COMMAND_ENRICH_ORE:
    case COMMAND_HEAL:
    case COMMAND_WARP:
        commandMode = mode;
        break;
    case COMMAND_SCAN:
        GiveUnitOrder(ORDER_SCAN, first);
        break;
    default:
        commandMode = 0;
        commandArgument = 0;
        break;
    }
}

void GameMechanics::StopEntity(Entity* entity)
{
    // Only what is the player's own obeys: an enemy looked at is neither halted nor has its
    // queue taken back (and paid to the player).
    if (entity->alignment != ALIGN_PLAYER) return;
    if (entity->flags & ENTITY_AGENT) {
        static_cast<Agent*>(entity)->StopMove(1.0f);
        if ((entity->flags & ENTITY_PLAYER) && buildItems && buildItems->current) buildItems->ClearCurrent();
    } else if (entity->flags & ENTITY_BUILDING) {
        static_cast<Building*>(entity)->CancelQueuedUnit();
    }
}

void GiveUnitOrder(uint16_t kind, Entity* unit, int argument)
{
    PlayerOrder order;
    order.kind = kind;
    const uint32_t number = LevelNumberOf(unit);
    if (number != NO_LEVEL_ENTITY) order.units.push_back(number);
    order.args[0] = argument;
    TheOrders.Give(order);
}

namespace {

bool IsRig(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT) && (entity->flags & ENTITY_PLAYER);
}

}  // namespace

void GiveItemUse(const char* names, Entity* target, int how)
{
    PlayerOrder order;
    order.kind = ORDER_USE_ITEM;
    order.text = names;
    order.target = target ? LevelNumberOf(target) : NO_LEVEL_ENTITY;
    order.args[0] = how;
    TheOrders.Give(order);
}

// The heal key heals the rig, whatever is selected; when it cannot, the player is told why.
void CmdHeal()
{
    if (Playing()) GiveItemUse("health_cannister|large_health_cannister", nullptr, ORDER_USE_EXPLAIN);
}

void CmdRechargeShields()
{
    Entity* first = FirstSelected();
    if (Playing() && first) GiveItemUse("shield_cannister", first, 0);
}

void CmdLayFreezeTrap()
{
    // The trap lays itself with its own sound.
    if (Playing()) GiveItemUse("freeze_trap", FirstSelected(), ORDER_USE_RIG_ONLY);
}

void CmdQuickSlot(int slot)
{
    const Item* item = Playing() ? PlayerBag->QuickSlotItem(slot) : nullptr;
    if (!item) return;
    // A cannister mends the rig whatever is selected, as the heal key does.
    if (item->action == ITEM_ACTION_HEAL || item->action == ITEM_ACTION_RECHARGE) {
        GiveItemUse(item->name, nullptr, ORDER_USE_EXPLAIN);
        return;
    }
    Entity* first = FirstSelected();
    if (!first) return;
    // Enrichment and instant building are given as orders on what they touch, not here.
    const bool quiet = item->action == ITEM_ACTION_ENRICH_ORE || item->action == ITEM_ACTION_INSTANT_BUILD;
    GiveItemUse(item->name, first, quiet ? ORDER_USE_QUIET : 0);
}

void SetSelectionStance(int stance)
{
    if (!TheGame || stance < AGENT_STANCE_DEFAULT || stance > AGENT_STANCE_STOP) return;
    PlayerOrder order;
    order.kind = ORDER_STANCE;
    order.units = SelectionLevelNumbers();
    order.args[0] = stance;
    TheOrders.Give(order);
}

void CmdLayMine()
{
    Entity* first = FirstSelected();
    if (Playing() && first && (first->flags & ENTITY_AGENT)) GiveUnitOrder(ORDER_LAY_MINE, first);
}

void LayMineFrom(Entity* layer)
{
    if (!layer || !(layer->flags & ENTITY_AGENT)) return;
    Agent* agent = static_cast<Agent*>(layer);
    if (agent->flags & ENTITY_PLAYER) {
        // The rig lays the mines it carries in its bag; the mine sounds as it is laid.
        Item* mine = PlayerBag->FindItemByName("mine");
        if (!mine || mine->stackCount < 1 || !mine->ApplyUseEffect(agent)) {
            PlayFeedbackSound("bad");
            return;
        }
        PlayerBag->RefreshSlot(mine);
        return;
    }
    if (!(agent->classWord & AGENT_CLASS_MINE_LAYER) || agent->mines < 1) {
        PlayFeedbackSound("bad");
        return;
    }
    Item* mine = CreateItemByName("mine");
    if (!mine) {
        PlayFeedbackSound("bad");
        return;
    }
    --agent->mines;
    Vec3 at = agent->GetPosition();
    Vec3 hit;
    if (TheTerrain.IntersectRay(Vec3(at.x, at.y + 10.0f, at.z), Vec3(0.0f, -1.0f, 0.0f), &hit, 2)) at.y = hit.y;
    at.y += 0.1f;
    mine->SetPosition(at);
    mine->flags &= ~ENTITY_PLACED;
    if (!TheScene.AddEntity(mine)) {
        delete mine;
        ++agent->mines;
        PlayFeedbackSound("bad");
        return;
    }
    PlayFeedbackSound("laymine");
}

void CmdSelectAll()
{
    if (Playing()) TheGame->SelectAllOfType(false, nullptr);
}

void CmdGotoAlert()
{
    if (!Playing()) return;
    const PingList& pings = TheMinimap.pings;
    if (pings.lastAlertFrame <= 0 || FrameTimer.GetFrameCount() - pings.lastAlertFrame >= ALERT_FRAMES) return;
    const Vec3 look = pings.lastAlertPosition;
    GameCamera.eye = look - GameCamera.direction * GameCamera.distance;
    GameCamera.KeepInBounds();
}

void CmdToggleMinimap() { MinimapShown = !MinimapShown; }

void ToggleFogOfWar()
{
    if (!Playing()) {
        TheMinimap.SetFogEnabled(!TheMinimap.IsFogEnabled());
        return;
    }
    PlayerOrder order;
    order.kind = ORDER_FOG_OF_WAR;
    order.args[0] = TheMinimap.IsFogEnabled() ? 0 : 1;
    TheOrders.Give(order);
}

void CmdToggleFogOfWar()
{
    if (Debugging() && Playing()) ToggleFogOfWar();
}

void CmdToggleCameraLock()
{
    if (Debugging()) CameraLocked = !CameraLocked;
}

void CmdToggleVertexCache()
{
    if (Debugging()) VertexCacheFlag = !VertexCacheFlag;
}

void CmdToggleDrawGui()
{
    if (Debugging()) DrawGuiShown = !DrawGuiShown;
}

void CmdToggleShadowBuffer()
{
    if (Debugging()) DebugDrawShadowBuffer = !DebugDrawShadowBuffer;
}

void CmdToggleGlowBuffer()
{
    if (Debugging()) DebugDrawGlowBuffer = !DebugDrawGlowBuffer;
}

void CmdAssignControlGroup(int group)
{
    if (!Playing() || group < 0 || group >= CONTROL_GROUP_COUNT) return;
    PlayerOrder order;
    order.kind = ORDER_ASSIGN_GROUP;
    order.units = SelectionLevelNumbers();
    order.args[0] = group;
    TheOrders.Give(order);
}

void CmdSelectControlGroup(int group)
{
    if (Playing()) TheGame->SelectControlGroup(group);
}

void MakeScreenshotName(char* out, size_t size, const char* folder, const char* stamp, const char* format,
                        int* counter)
{
    const char* extension = StrICmp(format, "jpeg") == 0 ? "jpg" : format;
    // The counter starts again with every run: a name taken by an earlier run of the same
    // minute is passed over, never written over.
    for (int tries = 0; tries < 100000; ++tries) {
        snprintf(out, size, "%s/%s_%d.%s", folder, stamp, (*counter)++, extension);
        FileStatus status;
        if (GetFileStatus(out, status) != 0) return;
    }
}

Agent* FindLevelRig()
{
    Entity* rig = nullptr;
    for (Entity* entity = TheScene.FirstEntity(SEGMENTS_PLAYER); entity && !rig; entity = TheScene.NextEntity())
        if (IsRig(entity) && !(entity->flags & ENTITY_DEAD)) rig = entity;
    TheScene.EndIteration();
    return static_cast<Agent*>(rig);
}

void SelectPlayerRig()
{
    if (!TheGame) return;
    Entity* rig = FindLevelRig();
    if (!rig) return;
    // Only the rig alone is "already selected": with a group behind it the press means "the
    // rig, not the group", and the look comes with the next press.
    const PooledList<Entity*>& selected = TheGame->hand.selected;
    if (selected.head && selected.head->value == rig && !selected.head->next) {
        TheGame->CenterCameraOnEntity(rig);
        return;
    }
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
}
