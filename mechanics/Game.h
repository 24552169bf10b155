#pragma once
// The root of the game object: the game state the shell dispatches on every pass, the base
// HUD's parts (cursor, fonts, the FPS, clock and debug labels), and the operations through which
// the shell, the front end and the render passes drive a level's life. The program makes exactly
// one, the interface's PlayerGame (interface/PlayerGame.h). What is the player's screen (the
// HUD, the loading screen, the GUI drawn over the frame) answers quietly here: nothing made,
// nothing drawn, so the world runs whole without a screen; the player's game draws them.
//
// Game states: 5 intro slideshow (where a new GameMechanics starts), 1 front end, 2 mission
// load pending (the music fades and a one-second count runs), 3 playing. No other value is
// ever entered.
#include "host/Maths.h"

#include <cstdint>

class Entity;
class Font;
class Label;
class Sprite;

enum GameState : int {
    GAME_STATE_FRONT_END = 1,
    GAME_STATE_LOAD_PENDING = 2,
    GAME_STATE_PLAYING = 3,
    GAME_STATE_INTRO = 5,
};

class Game {
public:
    static constexpr int FONT_COUNT = 6;

    Game();
    virtual ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // ---- The operations of a level's life, in the order the shell and the passes know them.
    // Called once at start-up and again at every level start. The plain game's is Start.
    virtual bool Init() { return Start(); }
    // The per-pass update (in every state but the load-pending one). The plain game's runs
    // the Scene and moves the cursor light, in play only.
    virtual void Update();
    virtual bool StartLevel() { return false; }
    virtual void EndLevel() {}
    // The cursor, the six fonts and the FPS, clock and debug labels; true when made. Without a
    // screen there is nothing to make: true.
    virtual bool CreateHud() { return true; }
    // The one-time loads of the first level: the primitives and the world's sounds.
    virtual bool InitGeometry(const char* levelName);
    // The 2D overlay: the pause box while paused, then the cursor. Nothing without a screen.
    virtual void DrawGui() {}
    // The in-game frame and its passes (drawing/WorldFrame.h). The world draws nothing: without
    // a picture there are no passes, no shadow map and no reflection map to make.
    virtual void RenderScene() {}
    virtual void RenderEntities(int) {}
    virtual void RenderShadowMap() {}
    virtual void ClearShadowMap(bool) {}
    virtual void RenderReflection() {}
    virtual void ClearReflectionMap(bool) {}
    virtual bool CreateShadowMap() { return false; }
    virtual void ReleaseShadowMap() {}
    virtual bool CreateReflectionMap() { return false; }
    // Draws and presents one loading frame: the phase text over a progress bar, and a tip.
    // Phase times are logged, and the music is kept streaming when no music thread does it.
    // Nothing without a screen.
    virtual void ShowLoadingScreen(const char*, float, bool) {}
    // The rally marker of the selected building in a pass (the glow pass draws it too); the
    // plain game has none.
    virtual void DrawRallyPointMarker(int) {}
    // The Escape key in a mission; true when handled.
    virtual bool OnEscape() { return false; }

    // Draws and presents the whole in-game frame; nothing without a picture.
    virtual void Render() {}

    // The plain game's start: the HUD, the camera, play, and the first level's loads.
    bool Start();
    void SetLevelName(const char* name);
    void ClearLevelName();

    char levelName[256];
    char classLabel[64];
    int state = GAME_STATE_PLAYING;
    Sprite* cursorSprite = nullptr;
    float cursorColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // The status labels: made and let go by the player's game.
    Label* fpsLabel = nullptr;
    Label* timeLabel = nullptr;
    Label* debugLabel = nullptr;
    // The six fonts of the configuration's font slots, scaled to the screen height; null
    // until the HUD is made.
    Font* fonts[FONT_COUNT] = {};
    bool started = false;
    bool levelNamed = false;
};

// The game's pause: while set, everything that runs on game time advances by a step of 0. The
// Pause and Scroll Lock keys toggle it; the in-game screens set and clear it while they are
// open.
extern bool GamePaused;
// Set by the shell while the pause is the one it made when the level's window lost the input
// focus: the pause sign says why, and the focus coming back lifts it.
extern bool PausedWithoutFocus;
// Set by the shell while the game's own mouse cursor must not be drawn.
extern bool CursorHidden;
// Seconds of the running mission: advanced while playing and not paused.
extern float MissionTime;

// The cursor's side in pixels at a screen height of 768.
constexpr int CURSOR_SIZE = 24;

// The loading tips "<tip0>", "<tip1>", ... of the string tables: how many follow one another
// from 0 on. Counted once after the string tables are loaded.
extern int TipCount;
void CountTips();
// The tip to show now: in order, one every ten seconds, then at random; a fallback text when
// the string tables have none.
const char* NextTip();
// The same at a given time of the millisecond clock.
const char* NextTip(uint32_t nowMs);
// Tips start over from the first (tests, and a new run).
void ResetTips();

// The pick ray through the mouse, or through a screen point: from the near plane, a unit
// direction. False (nothing written) without a camera.
bool GetCameraRay(Vec3* origin, Vec3* direction);
bool GetScreenRay(int x, int y, Vec3* origin, Vec3* direction);
