#include "interface/MessageWindow.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionCatalogue.h"
#include "campaign/MissionRecord.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "host/System.h"
#include "interface/ResultsScreen.h"
#include "render/Draw2D.h"

#include <cstdio>
#include <cstring>

MessageWindow* TheMessageWindow = nullptr;

constexpr int MESSAGE_WINDOW_ID = 1007;

namespace {

int OnArrow(void* user, Button* button)
{
    if (!button || !TheMessageWindow) return 1;
    TheMessageWindow->Scroll(user && *static_cast<intptr_t*>(user) == 1);
    GuiPlaySound("blip");
    return 1;
}

int OnCloseMessage(void*, Button* button)
{
    if (!button || !TheMessageWindow) return 1;
    TheMessageWindow->Show(false, false);
    GuiPlaySound("blip");
    return 1;
}

int OnExitMission(void*, Button* button)
{
    if (!button) return 1;
    GuiPlaySound("blip");
    EndMission(false);
    return 1;
}

}  // namespace

MessageWindow::MessageWindow() : InfoScreen(MESSAGE_WINDOW_ID, true)
{
    restoresPause = true;
}

MessageWindow* MessageWindow::Create()
{
    MessageWindow* window = new MessageWindow();
    window->Build();
    return window;
}

void MessageWindow::Build()
{
    if (built) return;
    const int H = ScreenHeight();
    const int m = 5 * H / 192, g = 5 * H / 384, c = H / 24;
    BuildFrame("Mission Complete", 25 * H / 32, 55 * H / 128, true);
    // The charcoal backing under the text, the giver's picture at its left.
    const int inset = H / 96;
    const int panelW = frameWidth - 2 * m;
    const int panelH = frameHeight - 2 * g - 5 * H / 96 - c;
    const int pictureSize = H / 6;
    const int x0 = left + m + inset, y0 = panelTop + inset;
    picture = Keep(new Button(nullptr, nullptr, x0, y0, pictureSize, pictureSize, 0, nullptr,
                              "data/gui/solid_charcoal.dds", "data/gui/solid_charcoal.dds", nullptr, 0, 0, 0));
    giverLabel = Keep(new Label("", x0, y0 + pictureSize + inset, pictureSize, H / 24, 0, ScreenFont(4), false));
    giverLabel->SetWrapWidth(pictureSize);
    const int arrowSize = H / 32;
    const int textX = x0 + pictureSize + 2 * inset;
    const int textW = left + m + panelW - inset - arrowSize - inset - textX;
    Keep(new Window(textX - inset / 2, y0, textW + inset, panelH - 2 * inset, "solid_charcoal.dds"));
    textLabel = Keep(new Label("<introduction>", textX, y0 + inset / 2, textW, panelH - 3 * inset, 0, ScreenFont(4),
                               false));
    textLabel->SetWrapWidth(textW);
    const int arrowX = left + m + panelW - inset - arrowSize;
    upArrow = AddArrow(arrowX, y0, false, OnArrow);
    downArrow = AddArrow(arrowX, y0 + panelH - 2 * inset - arrowSize, true, OnArrow);

    const int buttonW = H / 5, buttonH = H / 28;
    const int buttonY = panelTop + panelH + (c - buttonH) / 2;
    const int middle = left + frameWidth / 2;
    closeTextButton = AddButton(middle - buttonW / 2, buttonY, buttonW, buttonH, "data/gui/button_red.dds", "Close",
                                OnCloseMessage, true);
    continueButton = AddButton(middle - buttonW - inset, buttonY, buttonW, buttonH, "data/gui/button.dds",
                               "Continue Playing", OnCloseMessage, true);
    exitButton = AddButton(middle + inset, buttonY, buttonW, buttonH, "data/gui/button_green.dds", "Exit Mission",
                           OnExitMission, true);
    // Enter and Escape close the message, as its button does; the end of a mission goes on
    // playing with them, and only a click leaves it.
    for (Button* button : {closeTextButton, continueButton})
        button->flags |= WINDOW_DEFAULT_BUTTON | WINDOW_CANCEL_BUTTON;
    Finish();
    SetText(text[0] ? text : "<introduction>");
}

void MessageWindow::SetGiver(const char* name)
{
    if (!name) return;
    CopyText(giver, sizeof giver, name);
    if (!built || !TheGalaxy) return;
    const bool story = GetSelectedStoryId() >= 0;
    char path[160];
    GiverPicturePath(name, story, path, sizeof path);
    picture->SetIcon(path, path, 0, 0);
    const char* title = GetMissionGiver(name, story);
    giverLabel->SetText(title ? title : name);
}

void MessageWindow::SetText(const char* value)
{
    CopyText(text, sizeof text, value ? value : "");
    firstLine = 0;
    UpdateText();
}

void MessageWindow::UpdateText()
{
    lineCount_ = 0;
    if (!textLabel) return;
    textLabel->SetText(GuiDisplayText(text), false);
    textLabel->SetScroll(firstLine, LINES_SHOWN, &lineCount_);
    FollowArrows(upArrow, downArrow, firstLine, LINES_SHOWN, lineCount_);
}

void MessageWindow::Scroll(bool down)
{
    const int last = lineCount_ > LINES_SHOWN ? lineCount_ - LINES_SHOWN : 0;
    firstLine += down ? 1 : -1;
    if (firstLine > last) firstLine = last;
    if (firstLine < 0) firstLine = 0;
    if (!textLabel) return;
    textLabel->SetScroll(firstLine, LINES_SHOWN, &lineCount_);
    FollowArrows(upArrow, downArrow, firstLine, LINES_SHOWN, lineCount_);
}

void MessageWindow::Show(bool show, bool complete)
{
    shown = show;
    missionComplete = show && complete;
    if (!built) return;
    if (show) {
        banner->SetText(complete ? "Mission Complete!" : "Message");
        ShowButton(continueButton, complete);
        ShowButton(exitButton, complete);
        ShowButton(closeTextButton, !complete);
    }
    SetVisible(show);
}
