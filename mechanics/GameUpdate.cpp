// The game object's per-frame update: the mission clock, the status labels and, in play, one
// frame of the world in its fixed order.
#include "campaign/PlayerProfile.h"
#include "gui/Label.h"
#include "interface/MessageLists.h"
#include "interface/ResultsScreen.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/MusicPlayer.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "world/Entity.h"
#include "world/RaidManager.h"
#include "render/TextureManager.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/SplatPool.h"
#include "world/ProjectileSystem.h"

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

void GameMechanics::Update()
{
    float dt = GamePaused ? 0.0f : FrameTimer.delta;
    PlayerProfile* profile = GetPlayerProfile();
    bool playing = state == GAME_STATE_PLAYING;
    // The first frame of a level: the clock starts (a loaded save goes on from its time), and
    // the time the level took to build is not counted.
    if (playing && TheScene.firstFrame) {
        MissionTime = 0.0f;
        dt = 0.0f;
        if (profile && profile->missionTime > 0.0f) MissionTime = profile->missionTime;
        // Taken once: the next level, or this one restarted, starts its clock at 0.
        if (profile) profile->missionTime = 0.0f;
        if (Input.mouse && Config) {
            Input.mouse->cursorX = (int)(Config->width * 0.5f);
            Input.mouse->cursorY = (int)(Config->height * 0.5f);
        }
    }
    if (playing) MissionTime += dt;

    UpdateFpsLabel(fpsLabel, GameSpeed);
    UpdateTimeLabel(timeLabel, playing);
    UpdateDebugLabel(debugLabel);

    if (!playing) {
        // In the front end the messages still age, in real time.
        popups->Update(FrameTimer.delta);
        messageBar->Update(FrameTimer.delta);
        return;
    }
    // A selected entity that died leaves the selection before anything reads it this frame.
    for (auto* node = hand.selected.head; node;) {
        Entity* entity = node->value;
        node = node->next;
        if (entity && (entity->flags & ENTITY_DEAD)) hand.selected.Remove(entity);
    }
    HandleMouseOrders(dt);
    // Who sees what is worked out here, not where the fog is drawn: the entities' visibility,
    // the objectives and the events read it whether or not the frame is drawn.
    TheMinimap.Update();
    TheScene.Update();
    if (TheScene.rigLostAfterWin) {
        TheScene.rigLostAfterWin = false;
        EndMission(false);
        return;
    }
    if (aiManager) aiManager->Update(dt);
    if (projectiles) projectiles->Update(dt);
    if (splats) splats->Update(dt);
    // The scan rings grow and find ore in the update; the terrain's passes only draw them.
    TheScanEffects.Update();
    UpdateHud();
    if (TheObjectives) TheObjectives->Tick(false);
    if (TheEvents) TheEvents->Update(false);
    if (profile) profile->CheckUnlocks(false);
    if (SoundMgr) SoundMgr->Update(dt);
    floatingTexts->Update(dt);
    popups->Update(dt);
    messageBar->Update(dt);
}
