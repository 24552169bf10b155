// The handlers of the named commands that act on the level: command modes, stop, mines,
// scans, selection and control groups, the minimap and the developer's view switches. Each
// checks its own guard: developer commands only with debugMode, level commands only while
// playing, and those that act on a unit only with one selected.
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"
#include "mechanics/GameRender.h"

#include "host/System.h"
#include "interface/Inventory.h"
#include "mechanics/Scene.h"
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
        StopEntity(first);
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
        if (TheScanEffects.BeginScanFor(first)) PlayFeedbackSound("scan");
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

namespace {

// The first item of that name in the player's bag; null without a bag or such an item.
Item* CarriedItem(const char* name)
{
    return PlayerInventory ? PlayerInventory->FindItemByName(name) : nullptr;
}

// An item of the bag used on the target; its slot shows the new count, and one used up leaves
// the bag (and is gone: the item is not to be touched afterwards).
bool UseCarriedItem(Item* item, Entity* target)
{
    if (!item || item->stackCount < 1 || !target || !item->ApplyUseEffect(target)) return false;
    if (PlayerInventory) PlayerInventory->RefreshSlot(item);
    return true;
}

bool IsRig(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT) && (entity->flags & ENTITY_PLAYER);
}

}  // namespace

void CmdHeal()
{
    Entity* first = FirstSelected();
    if (!Playing() || !first) return;
    Item* cannister = CarriedItem("health_cannister");
    if (!cannister) cannister = CarriedItem("large_health_cannister");
    if (!UseCarriedItem(cannister, first)) PlayFeedbackSound("bad");
}

void CmdRechargeShields()
{
    Entity* first = FirstSelected();
    if (!Playing() || !first) return;
    if (!UseCarriedItem(CarriedItem("shield_cannister"), first)) PlayFeedbackSound("bad");
}

void CmdLayFreezeTrap()
{
    if (!Playing()) return;
    Entity* first = FirstSelected();
    // The trap lays itself with its own sound.
    if (!IsRig(first) || !UseCarriedItem(CarriedItem("freeze_trap"), first)) PlayFeedbackSound("bad");
}

void CmdQuickSlot(int slot)
{
    Entity* first = FirstSelected();
    if (!Playing() || !first || !PlayerInventory || slot < 1 || slot > Inventory::HOTBAR_SLOTS) return;
    const InventorySlot& held = PlayerInventory->slots[slot - 1];
    if (held.kind != 1 || !held.item) return;
    Item* item = held.item;
    // Enrichment and instant building are given as orders on what they touch, not here.
    const bool quiet = item->action == ITEM_ACTION_ENRICH_ORE || item->action == ITEM_ACTION_INSTANT_BUILD;
    if (!UseCarriedItem(item, first) && !quiet) PlayFeedbackSound("bad");
}

void SetSelectionStance(int stance)
{
    if (!TheGame || stance < AGENT_STANCE_DEFAULT || stance > AGENT_STANCE_STOP) return;
    for (auto* node = TheGame->hand.selected.head; node; node = node->next) {
        Entity* entity = node->value;
        if (!entity || !(entity->flags & ENTITY_AGENT) || entity->alignment != ALIGN_PLAYER || IsRig(entity)) continue;
        Agent* agent = static_cast<Agent*>(entity);
        agent->stance = stance;
        if (stance == AGENT_STANCE_HOLD_POSITION && agent->HasStanceBits()) agent->StopMove(0.5f);
    }
}

void CmdLayMine()
{
    Entity* first = FirstSelected();
    if (!Playing() || !first || !(first->flags & ENTITY_AGENT)) return;
    Agent* agent = static_cast<Agent*>(first);
    if (agent->flags & ENTITY_PLAYER) {
        // The rig lays the mines it carries in its bag; the mine sounds as it is laid.
        if (!UseCarriedItem(CarriedItem("mine"), agent)) PlayFeedbackSound("bad");
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

void CmdToggleFogOfWar()
{
    if (Debugging() && Playing()) TheMinimap.SetFogEnabled(!TheMinimap.IsFogEnabled());
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
    if (Playing()) TheGame->AssignControlGroup(group);
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

void SelectPlayerRig()
{
    if (!TheGame) return;
    Entity* rig = nullptr;
    for (Entity* entity = TheScene.FirstEntity(SEGMENTS_PLAYER); entity && !rig; entity = TheScene.NextEntity())
        if ((entity->flags & ENTITY_PLAYER) && (entity->flags & ENTITY_AGENT)) rig = entity;
    TheScene.EndIteration();
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
