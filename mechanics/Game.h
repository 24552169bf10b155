#pragma once
// The root of the game object: the game state the shell dispatches on every pass, the HUD
// fonts, and the operations through which the shell, the front end and the render passes
// drive a level's life. The program makes exactly one, a GameMechanics.
//
// Game states: 5 intro slideshow (where a new GameMechanics starts), 1 front end, 2 mission
// load pending, 3 playing.
class Font;

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

    // Called once at start-up and again at every level start.
    virtual bool Init();
    // The per-pass update (in every state but the load-pending one).
    virtual void Update();
    virtual bool StartLevel() { return false; }
    // The one-time loads of the first level: the primitives and the world's sounds.
    virtual bool InitGeometry(const char* levelName);
    virtual void EndLevel() {}
    // The HUD fonts; true when they could be made.
    virtual bool CreateHud();
    // The 2D overlay drawn over the front end and the loading text.
    virtual void DrawHud();
    // Draws and presents the whole in-game frame.
    virtual void Render();
    // Draws and presents one loading frame: the phase text over a progress bar. Phase times
    // are logged, and the music is kept streaming when no music thread does it.
    virtual void ShowLoadingScreen(const char* text, float fraction, bool showTip);
    // The Escape key in a mission; true when handled.
    virtual bool OnEscape() { return false; }

    void SetLevelName(const char* name);
    void ClearLevelName();

    char levelName[256];
    char classLabel[64];
    int state = GAME_STATE_PLAYING;
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

// The loading tips "<tip0>", "<tip1>", ... of the string tables: how many follow one another
// from 0 on. Counted once after the string tables are loaded.
extern int TipCount;
void CountTips();
