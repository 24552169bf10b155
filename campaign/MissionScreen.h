#pragma once
// The mission screen, which is also the main menu. So far it is the front end's frame: it
// reads the mission catalogue's place, builds the screen's first two windows (enabled once a
// profile is chosen), loads the music script, draws a plain background with the game's title,
// and starts a mission by moving the game to the load-pending state. The menus, the galaxy
// map and the mission records come with the campaign.
class Window;

class MissionScreen {
public:
    // Reads the mission catalogue; a missing catalogue is logged and the game goes on.
    static bool LoadMissions(const char* path);
    // Builds the screen and its windows (once).
    static void Init();
    // Releases what the screen drew with (shutdown, before the device goes).
    static void Release();
    // The front end's per-pass update.
    static void FrameHook();
    // Escape in the front end with no modal window open: back out of the current menu.
    static void OnBack(int, int);
    // Requests a mission (game state 2). Index -1 takes the current one.
    static void StartMission(int index, int flag);

    // The first two windows of the screen: the main menu's and the mission panel's. Null
    // until Init.
    static Window* windows[2];
    static bool catalogueRead;
};

// The front-end screen being shown: 0 in a mission (and at the end of the intro), 14 after
// start-up.
extern int FrontEndScreenState;

// Draws the current front-end screen (game state 1).
void RenderByScreenState();
// Starts the new-game intro story; called when a finished slideshow was a new game's.
void StartNewGameIntro(int flag, int extra);
