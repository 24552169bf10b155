// The game object's per-frame update: in play, the world's ticks the frame's time holds (each in
// its fixed order), then what goes by the frame; in every state the HUD's status labels and
// messages (interface/GameHud.cpp).
#include "campaign/PlayerProfile.h"
#include "host/WorldGuard.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "world/Effects.h"
#include "world/Entity.h"
#include "world/RaidManager.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/SplatPool.h"
#include "world/ProjectileSystem.h"

#include <algorithm>
#include <cmath>

bool GamePaused = false;
bool PausedWithoutFocus = false;
bool CursorHidden = false;
float MissionTime = 0.0f;

// At most this many ticks run in one frame, whatever the game speed: after a long hitch, or on
// a machine too slow for the speed asked, the world goes on behind the clock rather than
// running a burst of ticks in one frame.
constexpr int MOST_TICKS_A_FRAME = 5;

bool GameMechanics::RunWorldTick(float step)
{
    const WorldChangeScope tick;
    WorldTicks.count += 1;
    WorldTicks.step = step;
    WorldTicks.inTick = true;
    // The orders of the tick: the hand's, or a replay's in their place; recorded as given,
    // then carried out.
    TheReplay.FeedTick();
    const std::vector<PlayerOrder> orders = TheOrders.TakeForTick();
    TheReplay.OnTick(orders);
    for (const PlayerOrder& order : orders) ApplyPlayerOrder(order);
    TheScene.NoteTickPoses();
    MissionTime += step;
    // Who sees what is worked out here, not where the fog is drawn: the entities' visibility,
    // the objectives and the events read it whether or not the frame is drawn.
    TheMinimap.Update();
    TheScene.Update();
    bool goesOn = true;
    if (TheScene.rigLostAfterWin) {
        TheScene.rigLostAfterWin = false;
        if (TheScreenHooks) TheScreenHooks->EndMission(false);
        goesOn = false;
    } else {
        if (aiManager) aiManager->Update(step);
        if (projectiles) projectiles->Update(step);
        if (splats) splats->Update(step);
        // The scan rings grow and find ore in the update; the terrain's passes only draw them.
        TheScanEffects.Update();
        if (TheObjectives) TheObjectives->Tick(false);
        if (TheEvents) TheEvents->Update(false);
        if (PlayerProfile* profile = GetPlayerProfile()) profile->CheckUnlocks(false);
    }
    // Every second of play, the world as it stands after the tick: recorded, or compared with
    // the recording a replay plays.
    TheReplay.OnTickEnd();
    WorldTicks.inTick = false;
    WorldTicks.step = 0.0f;
    // The level ended, another began, or the tick opened a window that holds the game.
    return goesOn && state == GAME_STATE_PLAYING && !TheScene.firstFrame && !GamePaused;
}

void GameMechanics::Update()
{
    float dt = GamePaused ? 0.0f : FrameTimer.delta;
    // A frame of no time, of a time going back or of a time that is no number counts as none.
    if (!(dt > 0.0f) || !std::isfinite(dt)) dt = 0.0f;
    PlayerProfile* profile = GetPlayerProfile();
    bool playing = state == GAME_STATE_PLAYING;
    const bool firstFrame = playing && TheScene.firstFrame;
    // The first frame of a level: the clock starts (a loaded save goes on from its time), and
    // the time the level took to build is not counted.
    if (firstFrame) {
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

    if (!playing) {
        UpdateStatusLabels(playing);
        // In the front end the messages still age, in real time.
        UpdateMessages(FrameTimer.delta, false);
        return;
    }
    // A selected entity that died leaves the selection before anything reads it this frame.
    for (auto* node = hand.selected.head; node;) {
        Entity* entity = node->value;
        node = node->next;
        if (entity && (entity->flags & ENTITY_DEAD)) hand.selected.Remove(entity);
    }
    // The game held or let go is noted among the orders: both land at the first tick after it
    // goes on, and the world never sees them.
    if (GamePaused != pausedBefore_) {
        pausedBefore_ = GamePaused;
        PlayerOrder order;
        order.kind = GamePaused ? ORDER_PAUSE : ORDER_RESUME;
        TheOrders.Give(order);
    }
    // The mouse's presses are the frame's: an order given between ticks is the world's at the
    // next one.
    TheScreenHooks->HandleMouseOrders(*this, dt);

    // The world steps in whole ticks: the frame's time, by the game speed, is gathered and as
    // many ticks run as it holds. The level's first frame runs one tick of nothing, which
    // stands the level up (the scenery found, the clock started).
    if (firstFrame) {
        worldTime_ = 0.0;
        WorldTicks.carry = 0.0f;
        RunWorldTick(0.0f);
    } else {
        // A tick's worth short by less than the clock's rounding is a whole tick: frames that
        // sum to a tick run it in the frame that completes it.
        constexpr double TICK = WorldClock::TICK, ROUNDING = 1e-4;
        // A replay's viewer plays it faster or slower: more or fewer of its ticks a frame.
        double gathered = (double)dt * (double)GameSpeed * (double)TheReplay.PlaybackSpeed();
        if (!(gathered > 0.0) || !std::isfinite(gathered)) gathered = 0.0;
        worldTime_ = std::min(worldTime_ + gathered, MOST_TICKS_A_FRAME * TICK);
        while (worldTime_ >= TICK - ROUNDING) {
            worldTime_ -= TICK;
            if (!RunWorldTick(WorldClock::TICK)) {
                worldTime_ = 0.0;
                break;
            }
        }
        if (worldTime_ < 0.0) worldTime_ = 0.0;
        WorldTicks.carry = (float)std::min(worldTime_ / TICK, 0.999);
    }

    UpdateStatusLabels(playing);
    if (state != GAME_STATE_PLAYING) {
        // A tick ended the level: only the messages and the sound go on.
        if (SoundMgr) SoundMgr->Update(dt);
        UpdateMessages(dt, true);
        return;
    }
    AdvanceEffects();
    UpdateHud();
    if (SoundMgr) SoundMgr->Update(dt);
    UpdateMessages(dt, true);
}
