#include "interface/InfoScreen.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "interface/AchievementsGui.h"
#include "interface/EndGameScreen.h"
#include "interface/HotkeysGui.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "interface/MissionBriefingGui.h"
#include "interface/MissionLogGui.h"
#include "interface/PlayerTechGui.h"
#include "interface/ResultsScreen.h"
#include "mechanics/GameMechanics.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// The red button sheet: lit, unpressed and pressed faces in a column of three.
constexpr int RED_LIT = 0x1030000, RED_UNPRESSED = 0x1030001, RED_PRESSED = 0x1030002;
// The arrow sheet: up in the first column, down in the second; the lower row is pressed.
constexpr int ARROW_UP = 0x02020000, ARROW_UP_PRESSED = 0x02020001;
constexpr int ARROW_DOWN = 0x02020100, ARROW_DOWN_PRESSED = 0x02020101;

}  // namespace

InfoScreen::InfoScreen(int id_, bool pauses_) : screenId(id_), pauses(pauses_)
{
    id = id_;
    flags |= WINDOW_FRAMELESS;
}

InfoScreen::~InfoScreen()
{
    for (Sprite* sprite : sprites_) delete sprite;
}

Sprite* InfoScreen::KeepSprite(Sprite* sprite)
{
    if (sprite) sprites_.push_back(sprite);
    return sprite;
}

void InfoScreen::BuildFrame(const char* title, int frameW, int frameH, bool noClose)
{
    const int H = ScreenHeight();
    const int m = 5 * H / 192, g = 5 * H / 384, b = 5 * H / 96, c = H / 24;
    frameWidth = frameW;
    frameHeight = frameH;
    left = (ScreenWidth() - frameW) / 2;
    top = (H - frameH) / 2;
    Keep(new Window(left, top, frameW, frameH, "wframe_blue.dds"));
    banner = Keep(new Button(nullptr, nullptr, left + m, top + g, frameW - 2 * m, b, 0, ScreenFont(2),
                             "data/gui/missionbanner.dds", "data/gui/missionbanner.dds", nullptr, 0, 0, 0));
    banner->SetText(title);
    panelTop = top + g + b;
    Keep(new Window(left + m, panelTop, frameW - 2 * m, frameH - 2 * g - b - c, "wframe_black.dds"));
    if (noClose) return;
    closeButton = Keep(new Button(nullptr, OnClose, left + frameW - 3 * H / 64 - m, top + g + H / 192, c, c, 0,
                                  ScreenFont(0), "data/gui/button_red.dds", "data/gui/button_red.dds", nullptr,
                                  RED_UNPRESSED, RED_PRESSED, 0));
    closeButton->SetImage("data/gui/button_red.dds", RED_LIT);
    closeButton->SetText("X");
    closeButton->userData = (intptr_t)this;
    closeButton->hasUserData = true;
    // A page has nothing to answer: Enter and Escape both close it, as the red button does.
    closeButton->flags |= WINDOW_DEFAULT_BUTTON | WINDOW_CANCEL_BUTTON;
}

void InfoScreen::Finish()
{
    // A screen shows and hides itself by its id: one made without an id of its own takes a
    // fresh one, or it would switch every window that has none (-1) with it.
    if (screenId < 0 && WindowMgr) screenId = id = WindowMgr->NewWindowId();
    FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(this);
    Window::SetVisible(false);
    built = true;
}

Button* InfoScreen::AddButton(int x, int y, int w, int h, const char* face, const char* text,
                              int (*click)(void*, Button*), bool sheet)
{
    Button* button = Keep(new Button(nullptr, click, x, y, w, h, 0, ScreenFont(0), face, face, nullptr,
                                     sheet ? RED_UNPRESSED : 0, sheet ? RED_PRESSED : 0, 0));
    if (sheet) button->SetImage(face, RED_LIT);
    if (text) button->SetText(text);
    return button;
}

Button* InfoScreen::AddArrow(int x, int y, bool down, int (*click)(void*, Button*))
{
    const int size = ScreenHeight() / 32;
    Button* arrow = Keep(new Button(nullptr, click, x, y, size, size, 0, nullptr, "data/gui/arrows_updown.dds",
                                    "data/gui/arrows_updown.dds", nullptr, down ? ARROW_DOWN : ARROW_UP,
                                    down ? ARROW_DOWN_PRESSED : ARROW_UP_PRESSED, 0));
    arrow->userData = down ? 1 : 0;
    arrow->hasUserData = true;
    ShowButton(arrow, false);
    return arrow;
}

void InfoScreen::SetVisible(bool show)
{
    if (!built) {
        visible = false;
        return;
    }
    if (show) {
        if (visible) return;
        Refresh();
        Window::SetVisible(true);
        savedPause = GamePaused;
        if (pauses) GamePaused = true;
        savedModal = WindowMgr ? WindowMgr->modal : nullptr;
        if (WindowMgr) {
            WindowMgr->ShowById(screenId);
            WindowMgr->modal = this;
        }
        visible = true;
        return;
    }
    Window::SetVisible(false);
    if (!visible) return;
    if (pauses) GamePaused = restoresPause && savedPause;
    if (WindowMgr) {
        WindowMgr->HideById(screenId);
        WindowMgr->modal = savedModal;
    }
    savedModal = nullptr;
    visible = false;
}

int InfoScreen::OnClose(void* user, Button* button)
{
    if (!button || !user || !TheGame) return 1;
    InfoScreen* screen = reinterpret_cast<InfoScreen*>(*static_cast<intptr_t*>(user));
    if (screen) screen->SetVisible(false);
    GuiPlaySound("blip");
    return 1;
}

void ShowButton(Button* button, bool on)
{
    if (!button) return;
    button->SetEnabled(on);
    button->Window::SetVisible(on);
}

void FollowArrows(Button* up, Button* down, int first, int shown, int lines)
{
    if (lines <= shown) {
        ShowButton(up, false);
        ShowButton(down, false);
        return;
    }
    ShowButton(up, first > 0);
    ShowButton(down, first + shown < lines);
}

Font* ScreenFont(int slot)
{
    Font* font = HudFont(slot);
    return font ? font : GuiDefaultFont;
}

int TextWidth(Font* font, const char* text)
{
    if (!font || !text) return 0;
    TextSize size;
    font->GetTextExtent(text, &size);
    return size.cx;
}

int WrappedLineCount(Font* font, const char* text, int width, int mostLines)
{
    if (!font || !text) return 0;
    int lines = 0;
    font->DrawWrappedText(text, width, 0, 0, 0, mostLines, &lines);
    return lines;
}

void GiverPicturePath(const char* giver, bool story, char* out, size_t size)
{
    if (story || strcmp(giver, "corporate") != 0)
        snprintf(out, size, "%s%sback.dds", "data/gui/", giver);
    else
        snprintf(out, size, "%s%s2back.dds", "data/gui/", giver);
}

// ---- The screens of the run

namespace {

template <class S> void Let(S*& screen)
{
    if (!screen) return;
    if (WindowMgr) {
        WindowMgr->windows.Remove(screen);
        if (WindowMgr->modal == screen) WindowMgr->modal = nullptr;
    }
    delete screen;
    screen = nullptr;
}

}  // namespace

void CreateInformationScreens()
{
    if (!TheMessageWindow) TheMessageWindow = MessageWindow::Create();
    if (!TheMissionBriefing) TheMissionBriefing = MissionBriefingGui::Create();
    if (!ThePlayerTechGui) ThePlayerTechGui = PlayerTechGui::Create();
    if (!TheAchievementsGui) TheAchievementsGui = AchievementsGui::Create();
    if (!TheMissionLogGui) TheMissionLogGui = MissionLogGui::Create();
    if (!TheHotkeysGui) TheHotkeysGui = HotkeysGui::Create();
    if (!TheResultsScreen) TheResultsScreen = new ResultsScreen();
    if (!TheEndGameScreen) TheEndGameScreen = new EndGameScreen();
}

void BuildEndOfMissionScreens()
{
    if (TheResultsScreen) TheResultsScreen->BuildOnce();
    if (TheEndGameScreen) TheEndGameScreen->BuildOnce();
}

void CloseInformationScreens()
{
    // The hotkeys first: it hands the modal slot back to the screen below it.
    InfoScreen* screens[] = {TheHotkeysGui, ThePlayerTechGui, TheAchievementsGui, TheMissionLogGui, TheMessageWindow,
                             TheMissionBriefing};
    for (InfoScreen* screen : screens)
        if (screen && screen->IsOpen()) screen->SetVisible(false);
    if (TheMessageWindow) TheMessageWindow->shown = false;
}

void ReleaseInformationScreens()
{
    Let(TheEndGameScreen);
    Let(TheResultsScreen);
    Let(TheHotkeysGui);
    Let(TheMissionLogGui);
    Let(TheAchievementsGui);
    Let(ThePlayerTechGui);
    Let(TheMissionBriefing);
    Let(TheMessageWindow);
}
