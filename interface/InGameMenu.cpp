#include "interface/InGameMenu.h"

#include "interface/ResultsScreen.h"

#include "campaign/LevelLoadSave.h"
#include "campaign/MissionRecord.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "gui/WindowManager.h"
#include "interface/CharacterGui.h"
#include "interface/MissionHud.h"
#include "interface/OptionsWindow.h"
#include "interface/ResultsScreen.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "host/System.h"
#include "render/Draw2D.h"
#include "world/BuildItem.h"

#include <cstdio>
#include <memory>
#include <vector>

InGameMenu* TheInGameMenu = nullptr;

namespace {

// Every window the two menus are made of, deleted at shutdown.
std::vector<std::unique_ptr<Window>> Owned;

template <class W> W* Keep(W* window)
{
    Owned.emplace_back(window);
    return window;
}

bool AllObjectivesComplete()
{
    return TheObjectives && TheObjectives->AllComplete();
}

// The container at the corner, its outer and inner panels; the buttons go in after.
struct MenuLayout {
    int W, H, mx, my, bh, pitch, pw, bw, bx;
    MenuLayout()
        : W(ScreenWidth()), H(ScreenHeight()), mx((int)(W * 0.01953125f)), my(H * 20 / 768), bh(H / 24),
          pitch(H / 24 + H * 7 / 768), pw((int)(W * 0.287109375f)), bw(W / 4), bx(W / 2 - (W / 4) / 2)
    {
    }
};

Window* NewContainer(const char* caption)
{
    Window* container = Keep(new Window());
    CopyText(container->caption, sizeof container->caption, caption);
    container->flags |= WINDOW_FRAMELESS;
    container->Move(0, 0);
    return container;
}

Button* AddMenuButton(Window* container, const MenuLayout& l, int y, const char* text, ButtonCallback click)
{
    Button* button = Keep(new Button(nullptr, click, l.bx, y, l.bw, l.bh, 0, nullptr, "data/gui/transparent.dds",
                                     "data/gui/transparent.dds", nullptr, 0, 0, 4));
    button->SetImage("data/gui/highlight_blue.dds", 0);
    button->SetText(text);
    container->AddChild(button);
    return button;
}

void Finish(Window* container)
{
    container->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(container);
    container->SetVisible(false);
}

void SetModal(Window* window, bool on)
{
    if (!WindowMgr) return;
    if (on)
        WindowMgr->modal = window;
    else if (WindowMgr->modal == window)
        WindowMgr->modal = nullptr;
}

}  // namespace

void InGameMenu::Build()
{
    if (menuWindow) return;
    const MenuLayout l;
    const int ph = 7 * l.pitch + 2 * l.my;
    const int x0 = (l.W - l.pw) / 2, y0 = (l.H - ph) / 2;
    Window* container = NewContainer("InGameMenu");
    container->AddChild(Keep(new Window(x0, y0, l.pw, ph, "wframe_blue.dds")));
    container->AddChild(Keep(new Window(x0 + l.mx, y0 + l.my, l.pw - 2 * l.mx, ph - 2 * l.my, "wframe_black.dds")));
    const struct {
        const char* text;
        ButtonCallback click;
    } entries[] = {{"Load Game", OnLoadGameClicked},         {"Save Game", OnSaveGameClicked},
                   {"Options", OnOptionsClicked},            {"Restart Mission", OnRestartClicked},
                   {"Abort Mission", OnAbortClicked},        {"Resume Game", OnResumeClicked}};
    int y = y0 + l.my + l.pitch / 2;
    for (const auto& entry : entries) {
        Button* button = AddMenuButton(container, l, y, entry.text, entry.click);
        if (entry.click == OnAbortClicked) abortButton = button;
        y += l.pitch;
    }
    Finish(container);
    menuWindow = container;
}

void MissionFailedWindow::Build()
{
    InGameMenu* menu = TheInGameMenu;
    if (!menu || menu->failedWindow) return;
    const MenuLayout l;
    const int ph = 8 * l.bh;
    const int x0 = (l.W - l.pw) / 2, y0 = (l.H - ph) / 2;
    Window* container = NewContainer("MissionFailed");
    container->AddChild(Keep(new Window(x0, y0, l.pw, ph, "wframe_blue.dds")));
    // The icon: a cell of the damage pictures (a 4 x 4 sheet): the last column, third row.
    const int iconX = x0 + l.H * 28 / 768, iconY = y0 + l.H * 14 / 768;
    container->AddChild(Keep(new Button(nullptr, nullptr, iconX, iconY, l.bh, l.bh, 0, nullptr, "data/gui/damagetypes.dds",
                                        "data/gui/damagetypes.dds", nullptr, 0x4040302, 0x4040302, 4)));
    container->AddChild(Keep(new Label("Mission Failed!", iconX + l.H * 54 / 768, iconY + l.H * 6 / 768, l.pw / 2, l.bh, 0,
                                       GuiDefaultFont, false)));
    container->AddChild(
        Keep(new Window(x0 + l.mx, y0 + l.bh + l.my, l.pw - 2 * l.mx, ph - l.bh - 2 * l.my, "wframe_black.dds")));
    int y = y0 + l.bh + l.my + l.pitch;
    AddMenuButton(container, l, y, "Restart Mission", InGameMenu::OnRestartClicked);
    AddMenuButton(container, l, y + l.pitch, "Load Game", InGameMenu::OnLoadGameClicked);
    AddMenuButton(container, l, y + 2 * l.pitch, "Abort Mission", InGameMenu::OnAbortClicked);
    Finish(container);
    menu->failedWindow = container;
}

void InGameMenu::SetVisible(bool show)
{
    if (menuWindow) menuWindow->SetVisible(show);
    menuShown = show;
    if (show && abortButton) abortButton->SetText(AllObjectivesComplete() ? "Exit Mission" : "Abort Mission");
    GamePaused = show;
    SetModal(menuWindow, show);
}

void InGameMenu::SetFailedVisible(bool show)
{
    if (failedWindow) failedWindow->SetVisible(show);
    failedShown = show;
    GamePaused = show;
    SetModal(failedWindow, show);
}

void InGameMenu::HideAll()
{
    for (Window* window : {failedWindow, menuWindow})
        if (window) {
            window->SetVisible(false);
            SetModal(window, false);
        }
    menuShown = failedShown = false;
    GamePaused = false;
}

int InGameMenu::OnLoadGameClicked(void*, Button*)
{
    if (!TheLevelLoadSaveGui) return 1;
    OpenLoadGameWindow();
    TheLevelLoadSaveGui->SetVisible(true);
    return 1;
}

int InGameMenu::OnSaveGameClicked(void*, Button*)
{
    if (!TheLevelLoadSaveGui) return 1;
    OpenSaveGameWindow();
    TheLevelLoadSaveGui->SetVisible(true);
    return 1;
}

int InGameMenu::OnOptionsClicked(void*, Button*)
{
    // Both menus make way for the options; the game stays paused until "Done" brings the
    // menu back.
    if (InGameMenu* menu = TheInGameMenu) {
        if (menu->failedWindow) menu->failedWindow->SetVisible(false);
        if (menu->menuWindow) {
            menu->menuWindow->SetVisible(false);
            if (WindowMgr) WindowMgr->modal = nullptr;
        }
        menu->menuShown = menu->failedShown = false;
    }
    if (TheOptionsWindow) TheOptionsWindow->SetVisible(true);
    GuiPlaySound("blip");
    return 1;
}

int InGameMenu::OnResumeClicked(void*, Button*)
{
    if (TheInGameMenu) TheInGameMenu->HideAll();
    return 1;
}

int InGameMenu::OnRestartClicked(void*, Button*)
{
    if (TheInGameMenu && !TheInGameMenu->failedShown && TheConfirmationDialog) {
        TheConfirmationDialog->SetVisible(true);
        TheConfirmationDialog->SetText("Are you sure you want to restart this mission?");
        TheConfirmationDialog->callback = RestartMissionAction;
        TheConfirmationDialog->userValue = 0;
    } else {
        RestartMission();
    }
    GuiPlaySound("blip");
    return 1;
}

int InGameMenu::OnAbortClicked(void*, Button*)
{
    const bool failed = TheInGameMenu && TheInGameMenu->failedShown;
    if (!failed && !AllObjectivesComplete() && TheConfirmationDialog) {
        TheConfirmationDialog->SetVisible(true);
        TheConfirmationDialog->SetText("Are you sure you want to abort this mission?");
        TheConfirmationDialog->callback = AbortMissionAction;
        TheConfirmationDialog->userValue = 0;
    } else {
        AbortMission();
    }
    GuiPlaySound("blip");
    return 1;
}

namespace {

// The level's last order: how the player left it, kept by its replay.
void MarkLevelLeft(uint16_t kind)
{
    if (!TheGame || TheGame->state != GAME_STATE_PLAYING) return;
    PlayerOrder order;
    order.kind = kind;
    TheOrders.Give(order);
}

}  // namespace

int RestartMission()
{
    if (!TheInGameMenu) return 0;
    GuiPlaySound("blip");
    MarkLevelLeft(ORDER_RESTART);
    if (TheGame) TheGame->EndLevel();
    // Everything gained in the mission is thrown away.
    PlayerProfile* profile = GetPlayerProfile();
    profile->LoadByName(profile->name);
    const MissionRecord* mission = MissionScreen::GetCurrentMission();
    MissionScreen::StartMission(mission ? mission->levelSeed : -1, 0);
    TheInGameMenu->HideAll();
    return 1;
}

int AbortMission()
{
    InGameMenu* menu = TheInGameMenu;
    const bool givenUp = menu && menu->failedShown;
    if (TheCharacterGui) {
        TheCharacterGui->SetVisible(false);
        TheCharacterGui->shown = false;
    }
    if (menu) menu->HideAll();
    MarkLevelLeft(ORDER_ABORT);
    EndMission(givenUp);
    return 1;
}

void RestartMissionAction(void*)
{
    RestartMission();
}

void AbortMissionAction(void*)
{
    AbortMission();
}

bool InGameMenuOnEscape()
{
    InGameMenu* menu = TheInGameMenu;
    if (!TheGame || TheGame->state != GAME_STATE_PLAYING || !menu) return false;
    // Another window holds the screen (a dialog, the failed window, a screen opened from the
    // menu): Escape is taken and changes nothing beneath it.
    if (WindowMgr && WindowMgr->modal && WindowMgr->modal != menu->menuWindow) return true;
    if (menu->failedShown) return true;
    BuildItemList* items = TheGame->buildItems;
    if (items && items->current) {
        items->ClearCurrent();
        return true;
    }
    menu->SetVisible(!menu->menuShown);
    return true;
}

void BuildInGameWindows()
{
    if (!TheInGameMenu) {
        TheInGameMenu = new InGameMenu();
        TheInGameMenu->Build();
        MissionFailedWindow::Build();
    }
    if (!TheLevelLoadSaveGui) {
        TheLevelLoadSaveGui = new LevelLoadSaveGui();
        TheLevelLoadSaveGui->Build();
    }
}

void ReleaseInGameWindows()
{
    delete TheLevelLoadSaveGui;
    TheLevelLoadSaveGui = nullptr;
    delete TheInGameMenu;
    TheInGameMenu = nullptr;
    Owned.clear();
}
