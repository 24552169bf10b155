#include "campaign/MissionScreen.h"

#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/MessageDialogGui.h"
#include "gui/GuiDraw.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/Random.h"
#include "campaign/LevelLoadSave.h"
#include "interface/CharacterGui.h"
#include "interface/InGameMenu.h"
#include "interface/InfoScreen.h"
#include "interface/MessageWindow.h"
#include "levelgen/MissionObjects.h"
#include "host/System.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/MusicPlayer.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "world/MissionHooks.h"

#include <cstdio>
#include <vector>

int FrontEndScreenState = 0;
Window* MissionScreen::windows[2] = {nullptr, nullptr};

namespace {

// The start screen's background: the whole screen in a deep blue, darker toward the bottom.
Sprite* BackgroundTop = nullptr;
Sprite* BackgroundBottom = nullptr;
bool Built = false;
// Every window the screen built, children before their parents, deleted at shutdown.
std::vector<Window*> Owned;

// The game's font slots the GUI writes in: the button font and the list font.
constexpr int BUTTON_FONT_SLOT = 0;
constexpr int LIST_FONT_SLOT = 3;

template <class W> W* Keep(W* window)
{
    Owned.push_back(window);
    return window;
}

// The pages behind these buttons (intro and new profile, galaxy and shop, load screen,
// profiles, options) come with the campaign: until then the click is refused.
int RefusedButton(void*, Button*)
{
    GuiPlaySound("bad");
    return 1;
}

int LoadGameButton(void*, Button*)
{
    if (!TheLevelLoadSaveGui) return 1;
    OpenLoadGameWindow();
    TheLevelLoadSaveGui->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int ExitButton(void*, Button*)
{
    MissionScreen::OnQuit();
    return 1;
}

int BackButton(void*, Button*)
{
    MissionScreen::OnBack(0, 0);
    return 1;
}

}  // namespace

void MissionScreen::Init()
{
    if (Built) return;
    Built = true;
    if (TheGame) {
        if (!GuiDefaultFont) GuiDefaultFont = TheGame->fonts[BUTTON_FONT_SLOT];
        if (!GuiListFont) GuiListFont = TheGame->fonts[LIST_FONT_SLOT];
    }
    windows[0] = windows[1] = nullptr;
    // The running mission's objectives and events, and the world's line to them.
    if (!TheObjectives) TheObjectives = new Objectives();
    if (!TheEvents) TheEvents = new EventManager();
    InstallMissionHooks();
    BuildMainMenu();
    BuildBackButton();
    if (!TheCharacterGui) {
        TheCharacterGui = new CharacterGui();
        TheCharacterGui->Build();
    }
    MusicPlayer::LoadScript();
    if (!TheGalaxy) TheGalaxy = new Galaxy();
    if (!TheMessageDialog) {
        TheMessageDialog = new MessageDialogGui();
        TheMessageDialog->Build();
    }
    if (!TheConfirmationDialog) {
        TheConfirmationDialog = new ConfirmationDialogGui();
        TheConfirmationDialog->Build();
    }
    BuildInGameWindows();
    CreateInformationScreens();
    // What the level generator places at the sites of a mission.
    if (!TheMissionObjects) {
        TheMissionObjects = new MissionObjects();
        TheMissionObjects->EnsureLoaded();
    }
    for (Window* window : windows)
        if (window) window->SetVisible(false);
    if (WindowMgr) WindowMgr->ShowById(MAIN_MENU_ID);
    FrontEndScreenState = 0;
}

void MissionScreen::BuildMainMenu()
{
    const int w = ScreenWidth();
    Window* menu = Keep(new Window());
    CopyText(menu->caption, sizeof menu->caption, "MainMenu");
    menu->id = MAIN_MENU_ID;
    menu->flags |= WINDOW_FRAMELESS;
    if (WindowMgr) WindowMgr->AddWindow(menu);
    windows[0] = menu;

    // The menu lies at the screen's corner, so its children's places are screen places.
    const int frameW = UnitH(294), frameH = UnitH(326), inset = UnitH(10);
    const int frameX = (w - frameW) / 2, frameY = UnitH(194);
    menu->AddChild(Keep(new Window(frameX, frameY, frameW, frameH, "wframe_blue.dds")));
    menu->AddChild(
        Keep(new Window(frameX + inset, frameY + inset, frameW - 2 * inset, frameH - 2 * inset, "wframe_black.dds")));

    const int buttonW = ScreenHeight() / 3;
    const int buttonX = (w - buttonW) / 2;
    Button* logo = Keep(new Button(nullptr, nullptr, buttonX, UnitH(32), buttonW, UnitH(64), 0, nullptr,
                                   "data/gui/main_logo.dds", "data/gui/main_logo.dds", nullptr, 0, 0, 0));
    CopyText(logo->caption, sizeof logo->caption, "Logo");
    menu->AddChild(logo);

    // The menu's words in the light steel blue of the frames' accent.
    if (GuiDefaultFont) GuiDefaultFont->SetColor(0.6f, 0.78f, 1.0f, 1.0f);
    struct Entry {
        const char* text;
        ButtonCallback click;
    } const entries[] = {
        {"New Game", RefusedButton}, {"Continue Game", RefusedButton}, {"Load Game", LoadGameButton},
        {"Profiles", RefusedButton}, {"Options", RefusedButton},       {"Exit", ExitButton},
    };
    int y = UnitH(219);
    for (const Entry& entry : entries) {
        Button* button = Keep(new Button(nullptr, entry.click, buttonX, y, buttonW, UnitH(40), 0, nullptr,
                                         "data/gui/transparent.dds", "data/gui/transparent.dds", nullptr, 0, 0, 0));
        button->SetImage("data/gui/highlight_blue.dds", 0);
        button->SetText(entry.text);
        menu->AddChild(button);
        y += UnitH(40) + UnitH(7);
    }
    menu->FitToChildren(1, 1, 0, 0);
}

void MissionScreen::BuildBackButton()
{
    const int h = ScreenHeight();
    const int bw = UnitH(120), bh = UnitH(40), margin = UnitH(20);
    // The red button sheet's face and its pressed face.
    Button* back = Keep(new Button(nullptr, BackButton, margin, h - margin - bh, bw, bh, 0, nullptr,
                                   "data/gui/button_red.dds", "data/gui/button_red.dds", nullptr, 0x1030001, 0x1030002, 0));
    CopyText(back->caption, sizeof back->caption, "back");
    back->SetText("back");
    back->id = BACK_BUTTON_ID;
    if (WindowMgr) WindowMgr->AddWindow(back);
    windows[1] = back;
}

void MissionScreen::Release()
{
    delete BackgroundTop;
    delete BackgroundBottom;
    BackgroundTop = BackgroundBottom = nullptr;
    for (Window* window : Owned) delete window;
    Owned.clear();
    windows[0] = windows[1] = nullptr;
    TheMissionHooks = nullptr;
    ReleaseInGameWindows();
    ReleaseInformationScreens();
    delete TheMissionObjects;
    TheMissionObjects = nullptr;
    delete TheConfirmationDialog;
    TheConfirmationDialog = nullptr;
    delete TheMessageDialog;
    TheMessageDialog = nullptr;
    delete TheGalaxy;
    TheGalaxy = nullptr;
    delete TheCharacterGui;
    TheCharacterGui = nullptr;
    delete TheObjectives;
    TheObjectives = nullptr;
    delete TheEvents;
    TheEvents = nullptr;
    // The fonts were the game's.
    GuiDefaultFont = nullptr;
    GuiListFont = nullptr;
    Built = false;
}

void MissionScreen::FrameHook()
{
    if (FrontEndScreenState >= 15) FrontEndScreenState = 0;
}

void MissionScreen::OnBack(int, int)
{
    // The new-profile page keeps the player until a profile exists.
    if (FrontEndScreenState == 9) return;
    ReturnToMainMenu();
    GuiPlaySound("blip");
}

void MissionScreen::OnQuit()
{
    GuiPlaySound("blip");
    InputEvents.PostQuitMessage(0);
}

void MissionScreen::StartMission(int seed, int restore)
{
    if (!TheGame) return;
    // A body's level seed gives its level again; the start-up's mission without a body (-1)
    // goes on from the clock's seed, a new level at every start.
    if (seed >= 0) SRand((unsigned)seed);
    TheGame->state = GAME_STATE_LOAD_PENDING;
    // The menus must not take clicks meant for the level.
    for (Window* window : windows)
        if (window) window->SetVisible(false);
    FrontEndScreenState = 0;
    TheScene.KillAllParticles();
    GetPlayerProfile()->ResetForMission(200.0f, 0.0f, restore != 0);
}

void ReturnToMainMenu()
{
    for (Window* window : MissionScreen::windows)
        if (window) window->SetVisible(false);
    if (WindowMgr) WindowMgr->ShowById(MAIN_MENU_ID);
    FrontEndScreenState = 0;
    if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
}

void CloseAllGameWindows()
{
    CloseInformationScreens();
    if (WindowMgr)
        for (int id = MAIN_MENU_ID; id <= 1019; ++id) WindowMgr->HideById(id);
    for (Window* window : MissionScreen::windows)
        if (window) window->SetVisible(false);
}

void OpenShop(int flag)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!(profile->flags & PROFILE_LOADED)) return;
    if (TheGalaxy) {
        profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
        TheGalaxy->RefreshCompleted();
    }
    CloseAllGameWindows();
    // The galaxy page: until its map is drawn, the back button leads from it to the menu.
    if (WindowMgr) WindowMgr->ShowById(BACK_BUTTON_ID);
    FrontEndScreenState = 2;
    if (TheCharacterGui) TheCharacterGui->Window::SetVisible(false);
    if (flag == 1 && TheMessageWindow) {
        TheMessageWindow->SetGiver("guild");
        TheMessageWindow->SetText("<shop_help>");
        TheMessageWindow->Show(true, false);
    }
    GuiPlaySound("blip");
}

void RenderByScreenState()
{
    if (!Config) return;
    if (FrontEndScreenState >= 15) FrontEndScreenState = 0;
    int w = Config->width, h = Config->height;
    // The screen is drawn flat over the whole window, the windows over it.
    if (Graphics) Graphics->Begin2D();
    if (!BackgroundTop) {
        BackgroundTop = CreateSprite(0, 0, w, h / 2, "data/textures/white.dds", 0xFF14243C, 0, 0, 1, 1, false);
        BackgroundBottom = CreateSprite(0, h / 2, w, h - h / 2, "data/textures/white.dds", 0xFF0B1422, 0, 0, 1, 1, false);
    }
    if (BackgroundTop) BackgroundTop->Draw();
    if (BackgroundBottom) BackgroundBottom->Draw();
    if (WindowMgr) WindowMgr->Draw();
}

void StartNewGameIntro(int, int)
{
    // The story of a new game comes with the campaign; until then a new game goes straight
    // to the front end.
    if (TheGame) TheGame->state = GAME_STATE_FRONT_END;
}
