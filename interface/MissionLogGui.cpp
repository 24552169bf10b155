#include "interface/MissionLogGui.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionRecord.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "platform/InputState.h"
#include "render/Draw2D.h"
#include "render/Font.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

MissionLogGui* TheMissionLogGui = nullptr;

namespace {

int UserValue(void* user)
{
    return user ? (int)*static_cast<intptr_t*>(user) : 0;
}

int OnRow(void* user, Button* button)
{
    if (!button || !TheMissionLogGui || !button->IsEnabled()) return 1;
    TheMissionLogGui->ChooseRow(UserValue(user) - 1);
    GuiPlaySound("blip");
    return 1;
}

int OnTab(void* user, Button* button)
{
    if (!button || !TheMissionLogGui) return 1;
    TheMissionLogGui->ShowPage(UserValue(user) == 1 ? MissionLogGui::STORY : MissionLogGui::JOURNALS);
    GuiPlaySound("blip");
    return 1;
}

int OnStoryMode(void* user, Button* button)
{
    if (!button || !TheMissionLogGui) return 1;
    TheMissionLogGui->SetStoryMode(UserValue(user) == 1);
    GuiPlaySound("blip");
    return 1;
}

int OnListArrow(void* user, Button* button)
{
    if (!button || !TheMissionLogGui) return 1;
    TheMissionLogGui->ScrollList(UserValue(user) == 1);
    GuiPlaySound("click");
    return 1;
}

int OnTextArrow(void* user, Button* button)
{
    if (!button || !TheMissionLogGui) return 1;
    TheMissionLogGui->ScrollText(UserValue(user) == 1);
    GuiPlaySound("click");
    return 1;
}

void SetUserValue(Button* button, int value)
{
    button->userData = value;
    button->hasUserData = true;
}

}  // namespace

MissionLogGui::MissionLogGui() : InfoScreen(MISSION_LOG_ID, true) {}

MissionLogGui* MissionLogGui::Create()
{
    MissionLogGui* screen = new MissionLogGui();
    screen->Build();
    return screen;
}

void MissionLogGui::Build()
{
    if (built) return;
    const int H = ScreenHeight();
    const int m = 5 * H / 192, g = 5 * H / 384;
    BuildFrame("Mission Log", 25 * H / 32, 265 * H / 384);
    const int tabW = H / 6, tabH = H / 28;
    const int tabY = panelTop + g;
    storyTab = AddButton(left + m + g, tabY, tabW, tabH, "data/gui/button_green.dds", "Story", OnTab, true);
    journalTab = AddButton(left + m + g + tabW + g, tabY, tabW, tabH, "data/gui/button_grey.dds", "Journals", OnTab,
                           true);
    SetUserValue(storyTab, 1);
    SetUserValue(journalTab, 2);

    const int arrowSize = H / 32;
    listLeft = left + m + g;
    listTop = tabY + tabH + g;
    listWidth = 5 * H / 16;
    rowHeight = H / 32;
    for (int r = 0; r < ROWS; ++r) {
        rows[r] = Keep(new Button(nullptr, OnRow, listLeft, listTop + r * rowHeight, listWidth, rowHeight - 1, 0,
                                  ScreenFont(4), "data/gui/panelblue.dds", "data/gui/highlight_darkblue.dds", nullptr,
                                  0, 0, 0));
        rows[r]->SetImage("data/gui/highlight_blue.dds", 0);
        rows[r]->toggleMode = true;
        SetUserValue(rows[r], r + 1);
    }
    listUp = AddArrow(listLeft + listWidth + g, listTop, false, OnListArrow);
    listDown = AddArrow(listLeft + listWidth + g, listTop + ROWS * rowHeight - arrowSize, true, OnListArrow);
    ShowButton(listUp, true);
    ShowButton(listDown, true);

    const int textX = listLeft + listWidth + arrowSize + 3 * g;
    const int textW = left + frameWidth - m - 2 * g - arrowSize - g - textX;
    const int textH = ROWS * rowHeight;
    Keep(new Window(textX - g, listTop - g / 2, textW + 2 * g, textH + g, "solid_charcoal.dds"));
    textLabel = Keep(new Label("", textX, listTop, textW, textH, 0, ScreenFont(4), false));
    textLabel->SetWrapWidth(textW);
    textUp = AddArrow(textX + textW + 2 * g, listTop, false, OnTextArrow);
    textDown = AddArrow(textX + textW + 2 * g, listTop + textH - arrowSize, true, OnTextArrow);

    // The two mode buttons share the width from the text's left edge to the inner panel's.
    const int modeY = listTop + textH + 2 * g;
    const int modeW = std::min(tabW, (left + frameWidth - m - g - textX - g) / 2);
    summaryButton = AddButton(textX, modeY, modeW, tabH, "data/gui/button_green.dds", "Summary", OnStoryMode, true);
    briefingButton =
        AddButton(textX + modeW + g, modeY, modeW, tabH, "data/gui/button_grey.dds", "Briefing", OnStoryMode, true);
    SetUserValue(summaryButton, 1);
    SetUserValue(briefingButton, 2);
    Finish();
}

bool MissionLogGui::EntryAvailable(int forPage, int n) const
{
    const PlayerProfile* profile = GetPlayerProfile();
    if (!profile || n < 1) return false;
    if (forPage == JOURNALS) return n <= journalCount && n <= profile->backstoryCount;
    if (n > storyCount || !TheGalaxy) return false;
    const CelestialBody* body = TheGalaxy->FindBodyByStoryId(n - 1);
    return body && profile->IsMissionCompleted(body->missionId);
}

void MissionLogGui::RefreshRows()
{
    for (int r = 0; r < ROWS; ++r) ShowButton(rows[r], EntryAvailable(page, Offset() + r + 1));
    ShowButton(summaryButton, page == STORY);
    ShowButton(briefingButton, page == STORY);
}

namespace {

// A story mission done, as the log sums it up: its title, what it was about, the objectives met
// and what it earned, one paragraph each. Empty when the catalogue lacks the mission.
std::string StorySummary(int entry)
{
    if (entry < 1 || entry > MissionScreen::missionCount || !MissionScreen::missions) return "";
    const MissionRecord& record = MissionScreen::missions[entry - 1];
    char key[40], line[160];
    snprintf(key, sizeof key, "<m%d_summary>", entry);
    std::string text = GuiDisplayText(key);
    snprintf(key, sizeof key, "<m%d_desc>", entry);
    const char* about = GuiDisplayText(record.description[0] ? record.description : key);
    if (about && about[0] && about[0] != '<') text += std::string("\n\n") + about;
    std::string met;
    for (int i = 0; i < record.objectiveCount; ++i) {
        if (!IsBriefed(record.objectives[i])) continue;
        BriefedObjectiveLine(record.objectives[i], line, sizeof line);
        met += (met.empty() ? "" : ", ") + std::string(line);
    }
    if (!met.empty()) text += "\n\nObjectives met: " + met + ".";
    snprintf(line, sizeof line, "\n\nEarned: %d experience points and %d credits.", record.experienceReward,
             record.creditReward);
    return text + line;
}

}  // namespace

void MissionLogGui::MarkSelectedRow()
{
    const int selected = page == STORY ? selectedStory : selectedJournal;
    for (int r = 0; r < ROWS; ++r) rows[r]->toggled = rows[r]->selected = Offset() + r + 1 == selected;
}

void MissionLogGui::Select(int entry)
{
    if (!EntryAvailable(page, entry)) {
        textLabel->SetText("", true);
        firstLine = lineCount = 0;
        ShowButton(textUp, false);
        ShowButton(textDown, false);
        return;
    }
    char key[40];
    std::string summary;
    if (page == STORY) {
        selectedStory = entry;
        snprintf(key, sizeof key, summaryMode ? "<m%d_summary>" : "<m%d_brief>", entry);
        if (summaryMode) summary = StorySummary(entry);
    } else {
        selectedJournal = entry;
        snprintf(key, sizeof key, "<journal_%d_desc>", entry);
    }
    textLabel->SetText(summary.empty() ? GuiDisplayText(key) : summary.c_str(), false);
    firstLine = 0;
    textLabel->SetScroll(0, LINES_SHOWN, &lineCount);
    FollowArrows(textUp, textDown, 0, LINES_SHOWN, lineCount);
    MarkSelectedRow();
}

void MissionLogGui::ChooseRow(int row)
{
    if (row < 0 || row >= ROWS) return;
    Select(Offset() + row + 1);
}

void MissionLogGui::ShowPage(int newPage)
{
    page = newPage == STORY ? STORY : JOURNALS;
    storyTab->selected = page == STORY;
    journalTab->selected = page == JOURNALS;
    RefreshRows();
    Select(page == STORY ? selectedStory : selectedJournal);
}

void MissionLogGui::SetStoryMode(bool summary)
{
    summaryMode = summary;
    if (page == STORY) Select(selectedStory);
}

void MissionLogGui::Refresh()
{
    if (!built) return;
    ShowPage(page);
}

void MissionLogGui::ScrollList(bool down)
{
    int& offset = page == STORY ? storyOffset : journalOffset;
    const int last = Count() > ROWS ? Count() - ROWS : 0;
    offset += down ? 1 : -1;
    if (offset > last) offset = last;
    if (offset < 0) offset = 0;
    RefreshRows();
    MarkSelectedRow();
}

void MissionLogGui::ScrollText(bool down)
{
    const int last = lineCount > LINES_SHOWN ? lineCount - LINES_SHOWN : 0;
    firstLine += down ? 1 : -1;
    if (firstLine > last) firstLine = last;
    if (firstLine < 0) firstLine = 0;
    if (lineCount <= LINES_SHOWN) return;
    textLabel->SetScroll(firstLine, LINES_SHOWN, &lineCount);
    FollowArrows(textUp, textDown, firstLine, LINES_SHOWN, lineCount);
}

bool MissionLogGui::OnMouseMove(MouseDevice* mouse)
{
    if (!mouse || !mouse->wheel || !visible) return false;
    const bool overList = mouse->cursorX >= listLeft && mouse->cursorX < listLeft + listWidth &&
                          mouse->cursorY >= listTop && mouse->cursorY < listTop + ROWS * rowHeight;
    if (overList)
        ScrollList(mouse->wheel < 0);
    else
        ScrollText(mouse->wheel < 0);
    mouse->wheel = 0;
    GuiPlaySound("click");
    return true;
}

void MissionLogGui::Draw()
{
    Window::Draw();
    const int H = ScreenHeight();
    Font* font = ScreenFont(4);
    if (!font) return;
    const int textLeft = listLeft + H / 96;
    int any = 0;
    for (int r = 0; r < ROWS; ++r) {
        const int n = Offset() + r + 1;
        if (!EntryAvailable(page, n)) continue;
        ++any;
        char number[16], key[40];
        snprintf(number, sizeof number, "%d.", n);
        snprintf(key, sizeof key, page == STORY ? "<m%d_summary>" : "<journal_%d>", n);
        const int y = listTop + r * rowHeight + (rowHeight - (int)font->LineHeight()) / 2;
        font->SetColor(0.50588f, 0.70196f, 1.0f, 1.0f);
        GuiDrawText(font, textLeft, y, number);
        font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        GuiDrawText(font, textLeft + H / 32, y, GuiDisplayText(key));
    }
    if (any) return;
    // The list may be scrolled past what there is: the page is empty only with nothing at all.
    for (int n = 1; n <= Count(); ++n)
        if (EntryAvailable(page, n)) return;
    if (page == JOURNALS) textLabel->SetText("", true);
    font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    GuiDrawText(font, textLeft, listTop + H / 96,
                page == STORY ? "No story missions completed!" : "No journals have been found!");
}
