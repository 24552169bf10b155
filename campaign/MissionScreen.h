#pragma once
// The mission screen, which is also the main menu. One number, the front-end screen state, says
// which page shows: 0 (and 14 after start-up) the start screen with the main menu, 2 the
// galaxy ("Continue Game"), 4 the load screen, 5 the options, 8 the profiles, 9 the new
// profile of a new game. The menu starts the intro of a new game, opens the galaxy and the
// profiles and ends the game; StartMission is the one road from the front end into a level.
#include "campaign/MissionCatalogue.h"

#include <cstdint>
#include <vector>

class Entity;
class ModelViewer;
class Sprite;
class Window;
struct TextureRecord;

// The version the start screen shows.
constexpr const char* GAME_VERSION_TEXT = "1.0";
// The galaxy turning on the start screen.
constexpr const char* START_SCREEN_GALAXY = "data/mesh/planets/galaxy.txt";

// What the start screen draws, made on its first drawing: the star field over the whole
// screen, the nebula, 32 patches of small stars and 8 bright stars at random places with their
// brightness, and the model viewer with the galaxy in a square at the right edge.
struct StartScreenParts {
    static constexpr int STARS = 32;
    static constexpr int BIG_STARS = 8;
    bool built = false;
    Sprite* starfield = nullptr;
    Sprite* nebula = nullptr;
    Sprite* stars[STARS] = {};
    float starAlpha[STARS] = {};
    Sprite* bigStars[BIG_STARS] = {};
    float bigStarTint[BIG_STARS][3] = {};
    ModelViewer* viewer = nullptr;
    Entity* galaxy = nullptr;
    // The galaxy's triangles as its mesh holds them, and how many of them the last frame left
    // out because the menu's panel covered them.
    std::vector<uint16_t> galaxyIndices;
    int galaxyLeftOut = 0;
    // The sky composed into one picture of the screen's size (null without a device): drawn
    // again now and then as its lights change, and after the device's pictures were lost.
    TextureRecord* skyTarget = nullptr;
    int skyWidth = 0, skyHeight = 0;
    float skyPhase = 0.0f;
    bool skyStale = true;
    // The corner texts (the profile's name, the version) kept in the sky's picture.
    char skyTexts[160] = {};
    float phase = 0.0f;  // seconds of the sky's slow change
};
const StartScreenParts& GetStartScreen();
// Frees what the start screen made (shutdown, before the device goes); the next drawing makes
// it again.
void ReleaseStartScreen();
// The start screen is the page showing: its sky and galaxy move on every frame.
bool StartScreenMoves();
// The start screen's own frame time, below the loop's. Its galaxy turns six degrees a second:
// at this rate its nearest stars move about a pixel and a half a frame and most of them less
// than one, and the sky's lights change only four times a second. Every frame costs the
// software renderer a whole screen of work, presenting it included.
constexpr float START_SCREEN_FRAME_SECONDS = 1.0f / 30.0f;

// The screen shows and chooses from the mission catalogue, whose members it answers to as its
// own (MissionScreen::GetCurrentMission is the catalogue's).
class MissionScreen : public MissionCatalogue {
public:
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
    // current page to the main menu (value 1: from the galaxy too). The new-profile page keeps
    // the player.
    static void OnBack(int value, int);
    // "Load Game": the load page (screen state 4) with the back button; "bad" when the galaxy
    // or the load screen is missing.
    static void OnLoadGame();
    // "Continue Game" and "Load Game" need a profile.
    static void SetProfileButtonsEnabled(bool on);
    // The galaxy's camera on its page: the wheel zooms, the right button and the arrow keys pan.
    static void UpdateGalaxyCamera(float dt);
    // The galaxy map's screen (the galaxy's container window); null until Init.
    static Window* galaxyPage;
    // The start screen (states 0 and 14): the sky with its stars, the turning galaxy, the
    // windows, and the profile's name and the version in the lower corners. Made on first use.
    static void RenderGalaxy();
    // "Exit": the program ends.
    static void OnQuit();
    // Requests a mission (game state 2). Index -1 takes the current one.
    static void StartMission(int index, int flag);

    // The main menu's window and the back button. Null until Init.
    static Window* windows[2];
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
// "New Game" (afterIntro 0): the intro story, unless ten profiles exist already. Called again
// by the frame function once the new game's intro has ended (afterIntro 1): the new-profile
// page.
void StartNewGameIntro(int afterIntro, int extra);
// "Continue Game": the galaxy of the loaded profile (nothing without one).
void OpenShop(int showHelp);
// "Options": the other pages go and the options window shows (screen state 5).
void OpenOptionsFromMainMenu();
// "Profiles": the list of profiles.
void OpenProfilesFromMainMenu();
// Hides every window of the front end's pages.
void CloseAllGameWindows();
// Pans the galaxy view: 0 up, 1 down, 2 left, 3 right.
void ScrollMapView(int direction);
// The intro of a new game: six slides with their pictures, pans, texts and voice-overs.
class StorySlideshow;
void BuildNewGameIntro(StorySlideshow* show);
