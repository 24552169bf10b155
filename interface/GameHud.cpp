// The game object's HUD of play: the mission HUD (interface/MissionHud.h) made at the first
// level start, kept up to date and drawn every frame of a mission, hidden when a level ends
// and let go with the player's game; and, in every state, the status labels and the messages.
#include "interface/PlayerGame.h"
#include "tools/TerrainEditor.h"

#include "campaign/StorySlideshow.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "interface/EntityInfoGui.h"
#include "interface/InGameMenu.h"
#include "interface/InfoScreen.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "interface/PowerBar.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/MusicPlayer.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/HintBox.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "terrain/Minimap.h"

#include <cstdio>
#include <cstring>
#include <ctime>

bool TextureStatsShown = false;
bool MusicDebugShown = false;

void FormatFpsText(char* out, size_t size, float framesPerSecond, float speed, const TextureStats* stats)
{
    int written;
    if (speed > 0.99f && speed < 1.01f)
        written = snprintf(out, size, "FPS: %.1f\n", framesPerSecond);
    else if (speed > 0.49f && speed < 0.51f)
        written = snprintf(out, size, "FPS: %.1f\n     1/2 X\n", framesPerSecond);
    else
        written = snprintf(out, size, "FPS: %.1f\n     %d X\n", framesPerSecond, (int)speed);
    if (!stats || written < 0 || (size_t)written >= size) return;
    int used = stats->totalMemory - stats->availableMemory;
    float share = stats->totalMemory > 0 ? (float)used / (float)stats->totalMemory * 100.0f : 0.0f;
    snprintf(out + written, size - (size_t)written, "\nTM%d/%d(%.0f%%)\nAvl%d\nTexMan: %d", used, stats->totalMemory, share,
             stats->availableMemory, stats->textureCount);
}

void FormatMissionTime(char* out, size_t size, float seconds)
{
    int whole = seconds > 0.0f ? (int)seconds : 0;
    int hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
    if (hours >= 1)
        snprintf(out, size, "Mission time: %d:%02d:%02d\n", hours, minutes, rest);
    else
        snprintf(out, size, "Mission time: %02d:%02d\n", whole / 60, rest);
}

void FormatClockText(char* out, size_t size, int hour, int minute)
{
    int twelve = hour % 12 == 0 ? 12 : hour % 12;
    snprintf(out, size, "       Clock: %d:%02d %s\n", twelve, minute, hour < 12 ? "AM" : "PM");
}

namespace {

void UpdateFpsLabel(Label* label, float speed)
{
    if (!label) return;
    char text[256];
    TextureStats stats = {0, 0, Textures ? Textures->GetTextureCount() : 0};
    FormatFpsText(text, sizeof text, FrameTimer.framesPerSecond, speed, TextureStatsShown ? &stats : nullptr);
    label->SetText(text);
    label->SetVisible(Config && Config->showFPS);
}

void UpdateTimeLabel(Label* label, bool playing)
{
    if (!label || !Config) return;
    char text[256] = "";
    size_t length = 0;
    if (Config->showClock) {
        time_t now = time(nullptr);
        struct tm local {};
        localtime_r(&now, &local);
        FormatClockText(text, sizeof text, local.tm_hour, local.tm_min);
        length = strlen(text);
    }
    if (Config->showGameTime && playing) {
        FormatMissionTime(text + length, sizeof text - length, MissionTime);
        length = strlen(text);
    }
    if (length > 0) label->SetText(text);
    label->SetVisible(length > 0);
}

void UpdateDebugLabel(Label* label)
{
    if (!label) return;
    if (MusicDebugShown) {
        char text[512];
        if (!Music) {
            snprintf(text, sizeof text, "Music player NULL");
        } else if (Config && !Config->music) {
            snprintf(text, sizeof text, "Music disabled");
        } else {
            char track[256];
            Music->GetCurrentTrack(track, sizeof track);
            snprintf(text, sizeof text, Music->IsPlaylistActive() ? "%s Track: %s\n(%.1f)" : "%s File: %s\n(%.1f)",
                     Music->IsTrackOpen() ? "play" : "stop", track, Music->GetVolume());
        }
        label->SetText(text);
    }
    label->SetVisible(MusicDebugShown);
}

}  // namespace

void PlayerGame::UpdateStatusLabels(bool playing)
{
    UpdateFpsLabel(fpsLabel, GameSpeed);
    UpdateTimeLabel(timeLabel, playing);
    UpdateDebugLabel(debugLabel);
}

void PlayerGame::UpdateMessages(float dt, bool floating)
{
    if (floating) floatingTexts->Update(dt);
    popups->Update(dt);
    messageBar->Update(dt);
}

bool PlayerGame::CreateHud()
{
    if (!CreateBaseHud()) return false;
    // The HUD of play is made at the first level start: the front end never shows it.
    if (state == GAME_STATE_PLAYING) {
        HintBox::SetFonts(fonts[3], fonts[3]);
        BuildMissionHud();
        BuildEndOfMissionScreens();
        hudOwner_ = true;
    }
    return true;
}

void PlayerGame::ReleaseHud()
{
    if (!hudOwner_) return;
    hudOwner_ = false;
    ReleaseTerrainEditor();
    ReleaseMissionHud();
    // The window manager lets go of the main display's windows before they go.
    if (WindowMgr && TheEntityInfoGui) {
        Window* owned[] = {TheEntityInfoGui, ProductionQueueWindow, StatusIconWindow};
        for (Window* window : owned)
            if (window) WindowMgr->windows.Remove(window);
    }
    delete TheEntityInfoGui;
    TheEntityInfoGui = nullptr;
    delete ThePowerBar;
    ThePowerBar = nullptr;
}

void PlayerGame::EndLevelHud()
{
    GameMechanics::EndLevelHud();
    HideMissionHud();
    // The terrain editor works on a level in play: it is switched off with the level.
    if (TheTerrainEditor) TheTerrainEditor->SetActive(false);
    if (TheEntityInfoGui) {
        TheEntityInfoGui->HideAll();
        TheEntityInfoGui->SetVisible(false);
    }
    if (TheInGameMenu) TheInGameMenu->HideAll();
}

void PlayerGame::CreateMessageLists()
{
    floatingTexts = new FloatingTextList();
    popups = new AchievementPopup();
    messageBar = new MessageBar();
}

void PlayerGame::ReleaseMessageLists()
{
    delete messageBar;
    messageBar = nullptr;
    delete popups;
    popups = nullptr;
    delete floatingTexts;
    floatingTexts = nullptr;
}

void PlayerGame::ClearMessages()
{
    popups->Clear();
    messageBar->Clear();
    floatingTexts->Clear();
}

bool PlayerGame::OnEscape()
{
    // The intro story: Escape turns to the next picture.
    if (state == GAME_STATE_INTRO) {
        if (!IntroSlideshow) return false;
        IntroSlideshow->Next();
        return true;
    }
    return InGameMenuOnEscape();
}

void PlayerGame::UpdateHud()
{
    ::UpdateHud();
}

void PlayerGame::DrawHud()
{
    float dt = WindowMgr && WindowMgr->modal ? 0.0f : FrameTimer.delta;
    int x = Input.mouse ? Input.mouse->cursorX : 0, y = Input.mouse ? Input.mouse->cursorY : 0;
    if (!DrawGuiShown) return;
    MissionHud& hud = TheMissionHud;
    hud.cursorSize = ScreenHeight() / 32;
    DrawMissionHud(dt, x, y);

    int column = 0, row = 0;
    bool enlarged = false;
    bool overWindow = WindowMgr && WindowMgr->IsPointOverWindow(x, y, false);
    ChooseCursorCell(x, y, overWindow, &column, &row, &enlarged);
    if (enlarged) hud.cursorSize = ScreenHeight() / 24;
    if (cursorSprite) {
        if (column < 0)
            cursorSprite->SetTexCoords(0.0f, 0.0f, 0.5f, 0.5f);
        else
            cursorSprite->SetTexCoords(column / 4.0f, row / 4.0f, (column + 1) / 4.0f, (row + 1) / 4.0f);
        cursorSprite->SetRect(x, y, x + hud.cursorSize, y + hud.cursorSize);
    }
    DrawBaseGui();
    DrawMissionHudOverCursor(x, y);
}

void PlayerGame::DrawGui()
{
    if (state == GAME_STATE_PLAYING) {
        DrawHud();
        return;
    }
    if (state == GAME_STATE_FRONT_END) {
        // What the galaxy and the mission screens post stands over the menus.
        popups->Draw();
        messageBar->Draw();
    }
    DrawBaseGui();
}
