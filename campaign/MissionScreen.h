#pragma once
// The mission screen, which is also the main menu. So far it is the front end's start screen:
// it reads the mission catalogue's place, builds the main menu and its back button out of GUI
// windows, loads the music script, draws the start screen with the windows over it, and starts
// a mission by moving the game to the load-pending state. The galaxy map, the profile, load and
// options screens and the mission records come with the campaign; until they exist the menu
// refuses their buttons with the "bad" sound.
#include "campaign/MissionRecord.h"

class Window;

class MissionScreen {
public:
    static constexpr int MAX_MISSIONS = 64;

    // Reads the mission catalogue (data/scripts/missions.cgs for null) after the missions
    // already read; false (logged) when the file cannot be opened, and the catalogue stays.
    static bool LoadMissions(const char* path);
    // The scratch record while a random mission is current, else the selected catalogue
    // mission, else null.
    static MissionRecord* GetCurrentMission();
    // Empties the scratch record, fills in a random mission's defaults and makes it current.
    static MissionRecord* InitRandomMission();
    // Frees every record's objectives and events and empties the catalogue (tests, shutdown).
    static void ClearMissions();
    // Builds the screen and its windows (once), hides them and shows the main menu.
    static void Init();
    // Deletes the windows and what the screen drew with (shutdown, before the device goes).
    static void Release();
    // The main menu (window 1001): two framed panels, the logo and six text buttons.
    static void BuildMainMenu();
    // The "back" button (window 1002) that leads from the other pages to the main menu.
    static void BuildBackButton();
    // The front end's per-pass update.
    static void FrameHook();
    // The back button and Escape in the front end with no modal window open: back out of the
    // current page to the main menu.
    static void OnBack(int, int);
    // "Exit": the program ends.
    static void OnQuit();
    // Requests a mission (game state 2). Index -1 takes the current one.
    static void StartMission(int index, int flag);

    // The main menu's window and the back button. Null until Init.
    static Window* windows[2];
    static bool catalogueRead;

    // The story missions in catalogue order (MAX_MISSIONS records once the first load ran).
    static MissionRecord* missions;
    static int missionCount;
    static int selectedIndex;
    // The random mission in play, current while scratchActive is set.
    static MissionRecord scratch;
    static bool scratchActive;
};

// Fixed window ids of the front end.
constexpr int MAIN_MENU_ID = 1001;
constexpr int BACK_BUTTON_ID = 1002;

// The front-end screen being shown: 0 in a mission (and at the end of the intro), 14 after
// start-up; both show the start screen with the main menu.
extern int FrontEndScreenState;

// Draws the current front-end screen (game state 1): the start screen and the GUI's windows.
void RenderByScreenState();
// Hides the front end's pages, shows the main menu and returns to the front-end game state.
void ReturnToMainMenu();
// Hides the front end's screens (ids 1001 to 1019) and every information screen.
void CloseAllGameWindows();
// "Continue Game" and the way back from a mission: the galaxy page with the shop (screen state
// 2), for a profile read from its file; flag 1 greets a new player with the shop's help.
void OpenShop(int flag);
// Starts the new-game intro story; called when a finished slideshow was a new game's.
void StartNewGameIntro(int flag, int extra);
