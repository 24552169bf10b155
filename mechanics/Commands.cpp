// The named commands that hotkeys.cfg binds keys to. Every name is registered, so that the
// player's bindings are read, kept and written back whole; the commands that act on a level
// (orders, selection, inventory, control groups) do nothing yet, because there is no level to
// act on until the world exists.
#include "mechanics/GameMechanics.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"

#include <cstdio>
#include <cstring>
#include <ctime>

float GameSpeed = 1.0f;

namespace {

bool Playing() { return TheGame && TheGame->state == GAME_STATE_PLAYING; }
bool Debugging() { return Config && Config->debugMode; }

// A command whose effect lives in a part of the game that is not there yet.
void CmdWaitsForWorld() {}

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
    const char* extension = Config->screenshotFormat;
    if (StrICmp(extension, "jpeg") == 0) extension = "jpg";
    char path[700];
    snprintf(path, sizeof path, "%s/%s_%d.%s", folder, when, counter++, extension);
    Graphics->SaveScreenshot(path, Config->width, Config->height);
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

void CmdIncSpeed()
{
    if (!Debugging()) return;
    GameSpeed *= 2.0f;
    if (GameSpeed > 8.0f) GameSpeed = 8.0f;
}

void CmdDecSpeed()
{
    if (!Debugging()) return;
    GameSpeed *= 0.5f;
    if (GameSpeed < 0.5f) GameSpeed = 0.5f;
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
    if (Playing()) CmdSelectPlayer();
}

struct NamedCommand {
    const char* name;
    CommandFunction function;
};

}  // namespace

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
        {"attack", CmdWaitsForWorld},
        {"move", CmdWaitsForWorld},
        {"repair", CmdWaitsForWorld},
        {"stop", CmdWaitsForWorld},
        {"heal", CmdWaitsForWorld},
        {"laymine", CmdWaitsForWorld},
        {"scan", CmdWaitsForWorld},
        {"recharge_shields", CmdWaitsForWorld},
        {"lay_freeze_trap", CmdWaitsForWorld},
        {"select_all", CmdWaitsForWorld},
        {"select_player", CmdSelectPlayerKey},
        {"goto_alert", CmdWaitsForWorld},
        {"quick_slot_1", CmdWaitsForWorld},
        {"quick_slot_2", CmdWaitsForWorld},
        {"quick_slot_3", CmdWaitsForWorld},
        {"quick_slot_4", CmdWaitsForWorld},
        {"aimode_default", CmdWaitsForWorld},
        {"aimode_holdposition", CmdWaitsForWorld},
        {"aimode_stop", CmdWaitsForWorld},
        {"trackplayer", CmdTrackPlayer},
        {"resetcamera", CmdResetCamera},
        {"debug_test", CmdWaitsForWorld},
        {"debug_animation", CmdWaitsForWorld},
        {"debug_animblend", CmdWaitsForWorld},
        {"debug_wireframe", CmdWireframe},
        {"debug_drawgui", CmdWaitsForWorld},
        {"printscreen", CmdPrintScreen},
        {"debug_smoothtimer", CmdSmoothTimer},
        {"debug_drawshadowbuffer", CmdWaitsForWorld},
        {"debug_drawglowbuffer", CmdWaitsForWorld},
        {"debug_reset", CmdResetDevice},
        {"debug_vertexcache", CmdWaitsForWorld},
        {"debug_togglefogofwar", CmdWaitsForWorld},
        {"debug_incspeed", CmdIncSpeed},
        {"debug_decspeed", CmdDecSpeed},
        {"toggle_minimap", CmdWaitsForWorld},
        {"toggle_inventory", CmdWaitsForWorld},
        {"toggle_camera_lock", CmdWaitsForWorld},
        {"toggle_health_bars", CmdToggleHealthBars},
        {"editor_undo", CmdWaitsForWorld},
        {"editor_redo", CmdWaitsForWorld},
    };
    for (const NamedCommand& command : commands) RegisterCommand(command.name, command.function);
    char name[64];
    for (int group = 0; group < 10; ++group) {
        snprintf(name, sizeof name, "assignControlGroup_%d", group);
        RegisterCommand(name, CmdWaitsForWorld);
    }
    for (int group = 0; group < 10; ++group) {
        snprintf(name, sizeof name, "selectControlGroup_%d", group);
        RegisterCommand(name, CmdWaitsForWorld);
    }
}
