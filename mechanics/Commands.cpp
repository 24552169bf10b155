// The named commands that hotkeys.cfg binds keys to. Every name is registered, so that the
// player's bindings are read, kept and written back whole; the terrain editor's undo and redo
// do nothing while there is no editor.
#include "mechanics/GameMechanics.h"

#include "host/Log.h"
#include "host/System.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Replay.h"
#include "mechanics/ScreenHooks.h"
#include "mechanics/Selection.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Animation.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "world/Agent.h"

#include <cstdio>
#include <cstring>
#include <ctime>

float GameSpeed = 1.0f;

namespace {

bool Playing() { return TheGame && TheGame->state == GAME_STATE_PLAYING; }
bool Debugging() { return Config && Config->debugMode; }

// The units' poses are the world's (weapons fire from their bones): in play the switches change
// at the next tick, as orders of the player's.
void ToggleAnimationSwitch(int which, bool now)
{
    if (!Debugging()) return;
    if (!Playing()) {
        SetAnimationSwitch(which, !now);
        return;
    }
    PlayerOrder order;
    order.kind = ORDER_ANIMATION;
    order.args[0] = which;
    order.args[1] = now ? 0 : 1;
    TheOrders.Give(order);
}

void CmdToggleAnimation() { ToggleAnimationSwitch(0, AnimationPlay); }
void CmdToggleAnimationBlend() { ToggleAnimationSwitch(1, AnimationInterpolate); }

// The bag opens in a mission only.
void CmdInventoryKey()
{
    if (Playing() && TheScreenHooks) TheScreenHooks->ToggleInventory();
}

template <int Stance>
void CmdStance()
{
    if (Playing()) SetSelectionStance(Stance);
}

template <int Slot>
void CmdSlot()
{
    CmdQuickSlot(Slot);
}

void CmdPrintScreen()
{
    if (!Graphics || !Config) return;
    char folder[512];
    snprintf(folder, sizeof folder, "%s/screenshots", UserFolder);
    FileStatus status;
    if (GetFileStatus(folder, status) != 0 && !CreateFolder(folder)) {
        char text[600];
        snprintf(text, sizeof text, "WARNING: Failed to create screenshot directory %s", folder);
        ShowMessageBox("WARNING", text);
        return;
    }
    static int counter = 0;
    char when[64];
    FormatLocalTime(when, sizeof when, "%B_%d_%Y_%H_%M", time(nullptr));
    char path[700];
    MakeScreenshotName(path, sizeof path, folder, when, Config->screenshotFormat, &counter);
    Graphics->SaveScreenshot(path, Config->width, Config->height);
}

void CmdEditorUndo()
{
    if (Debugging() && TheScreenHooks) TheScreenHooks->UndoTerrainEdit(false);
}

void CmdEditorRedo()
{
    if (Debugging() && TheScreenHooks) TheScreenHooks->UndoTerrainEdit(true);
}

void CmdDebugTest()
{
    if (TheScreenHooks) TheScreenHooks->ToggleDebugTools();
}

void CmdSmoothTimer()
{
    if (Debugging()) FrameTimer.SetSmoothing(!FrameTimer.IsSmoothing());
}

void CmdWireframe()
{
    if (Debugging()) RenderStates.wireframe = !RenderStates.wireframe;
}

void CmdResetDevice()
{
    if (Debugging() && Graphics) Graphics->ResetDevice();
}

// In play the speed changes at the next tick, as an order of the player's.
void SetGameSpeed(float speed)
{
    if (!Playing()) {
        GameSpeed = speed;
        return;
    }
    PlayerOrder order;
    order.kind = ORDER_GAME_SPEED;
    order.args[0] = (int)(speed * 16.0f + 0.5f);
    TheOrders.Give(order);
}

// In a replay the speed keys are the viewer's: they play it faster or slower, and the game's own
// speed stays as its orders set it.
// A replay's viewer has them whatever the mode; in play they are the developer's.
void CmdIncSpeed()
{
    if (TheReplay.Playing())
        TheReplay.SetPlaybackSpeed(TheReplay.PlaybackSpeed() * 2.0f);
    else if (Debugging())
        SetGameSpeed(GameSpeed * 2.0f > 8.0f ? 8.0f : GameSpeed * 2.0f);
}

void CmdDecSpeed()
{
    if (TheReplay.Playing())
        TheReplay.SetPlaybackSpeed(TheReplay.PlaybackSpeed() * 0.5f);
    else if (Debugging())
        SetGameSpeed(GameSpeed * 0.5f < 0.5f ? 0.5f : GameSpeed * 0.5f);
}

void CmdTrackPlayer()
{
    if (Playing()) GameCamera.SetFollow(!GameCamera.follow, true);
}

void CmdResetCamera()
{
    if (Playing()) GameCamera.ResetOrientation();
}

void CmdToggleHealthBars()
{
    if (Playing() && Config) Config->showHealthBars = !Config->showHealthBars;
}

void CmdSelectPlayerKey()
{
    if (Playing()) SelectPlayerRig();
}

template <int Group>
void CmdAssignGroup()
{
    CmdAssignControlGroup(Group);
}
template <int Group>
void CmdSelectGroup()
{
    CmdSelectControlGroup(Group);
}
const CommandFunction AssignGroupCommands[10] = {
    CmdAssignGroup<0>, CmdAssignGroup<1>, CmdAssignGroup<2>, CmdAssignGroup<3>, CmdAssignGroup<4>,
    CmdAssignGroup<5>, CmdAssignGroup<6>, CmdAssignGroup<7>, CmdAssignGroup<8>, CmdAssignGroup<9>,
};
const CommandFunction SelectGroupCommands[10] = {
    CmdSelectGroup<0>, CmdSelectGroup<1>, CmdSelectGroup<2>, CmdSelectGroup<3>, CmdSelectGroup<4>,
    CmdSelectGroup<5>, CmdSelectGroup<6>, CmdSelectGroup<7>, CmdSelectGroup<8>, CmdSelectGroup<9>,
};

struct NamedCommand {
    const char* name;
    CommandFunction function;
};

}  // namespace

void SetAnimationSwitch(int which, bool on)
{
    if (which == 0) AnimationPlay = on;
    if (which == 1) AnimationInterpolate = on;
}

int CountJournalEntries()
{
    static int counted = -1;
    if (counted >= 0) return counted;
    if (!Strings || Strings->TagCount() == 0) return 0;
    int n = 0;
    char tag[32], description[40];
    for (; n < 30; ++n) {
        snprintf(tag, sizeof tag, "<journal_%d>", n + 1);
        snprintf(description, sizeof description, "<journal_%d_desc>", n + 1);
        if (!Strings->Lookup(tag) || !Strings->Lookup(description)) break;
    }
    counted = n;
    return counted;
}

void RegisterGameCommands()
{
    static const NamedCommand commands[] = {
        {"attack", CmdAttack},
        {"move", CmdMove},
        {"repair", CmdRepair},
        {"stop", CmdStop},
        {"heal", CmdHeal},
        {"laymine", CmdLayMine},
        {"scan", CmdScan},
        {"recharge_shields", CmdRechargeShields},
        {"lay_freeze_trap", CmdLayFreezeTrap},
        {"select_all", CmdSelectAll},
        {"select_player", CmdSelectPlayerKey},
        {"goto_alert", CmdGotoAlert},
        {"quick_slot_1", CmdSlot<1>},
        {"quick_slot_2", CmdSlot<2>},
        {"quick_slot_3", CmdSlot<3>},
        {"quick_slot_4", CmdSlot<4>},
        {"aimode_default", CmdStance<AGENT_STANCE_DEFAULT>},
        {"aimode_holdposition", CmdStance<AGENT_STANCE_HOLD_POSITION>},
        {"aimode_stop", CmdStance<AGENT_STANCE_STOP>},
        {"trackplayer", CmdTrackPlayer},
        {"resetcamera", CmdResetCamera},
        {"debug_test", CmdDebugTest},
        {"debug_animation", CmdToggleAnimation},
        {"debug_animblend", CmdToggleAnimationBlend},
        {"debug_wireframe", CmdWireframe},
        {"debug_drawgui", CmdToggleDrawGui},
        {"printscreen", CmdPrintScreen},
        {"debug_smoothtimer", CmdSmoothTimer},
        {"debug_drawshadowbuffer", CmdToggleShadowBuffer},
        {"debug_drawglowbuffer", CmdToggleGlowBuffer},
        {"debug_reset", CmdResetDevice},
        {"debug_vertexcache", CmdToggleVertexCache},
        {"debug_togglefogofwar", CmdToggleFogOfWar},
        {"debug_incspeed", CmdIncSpeed},
        {"debug_decspeed", CmdDecSpeed},
        {"toggle_minimap", CmdToggleMinimap},
        {"toggle_inventory", CmdInventoryKey},
        {"toggle_camera_lock", CmdToggleCameraLock},
        {"toggle_health_bars", CmdToggleHealthBars},
        {"editor_undo", CmdEditorUndo},
        {"editor_redo", CmdEditorRedo},
    };
    for (const NamedCommand& command : commands) RegisterCommand(command.name, command.function);
    char name[64];
    for (int group = 0; group < 10; ++group) {
        snprintf(name, sizeof name, "assignControlGroup_%d", group);
        RegisterCommand(name, AssignGroupCommands[group]);
    }
    for (int group = 0; group < 10; ++group) {
        snprintf(name, sizeof name, "selectControlGroup_%d", group);
        RegisterCommand(name, SelectGroupCommands[group]);
    }
}
