// The information pages a player opens from the character screen and the options: the badges
// of the achievements with their count line, the mission log's rows and text as the list and
// the text scroll, and the hotkeys table as the player's own bindings file says.
#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/Label.h"
#include "interface/AchievementsGui.h"
#include "interface/HotkeysGui.h"
#include "interface/MissionLogGui.h"
#include "platform/Hotkeys.h"
#include "platform/StringTable.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace {

class InformationPages : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        ASSERT_TRUE(strings.Init());
    }
    void TearDown() override
    {
        for (Window* screen : made) manager.windows.Remove(screen);
        HudTest::TearDown();
    }
    template <class S> std::unique_ptr<S> Make()
    {
        S* screen = S::Create();
        made.push_back(screen);
        return std::unique_ptr<S>(screen);
    }
    const DrawnText* FindText(const std::string& text) const
    {
        for (const DrawnText& drawn : painter.texts)
            if (drawn.text == text) return &drawn;
        return nullptr;
    }

    ScopedClearProfile cleared;
    StringTable strings;
    ScopedGlobal<StringTable*> installedStrings{Strings, &strings};
    std::vector<Window*> made;
};

TEST_F(InformationPages, BadgesStandInRowsOfFiveWithTheCountBelowTheLastRow)
{
    auto screen = Make<AchievementsGui>();
    ScopedGlobal<AchievementsGui*> current{TheAchievementsGui, screen.get()};
    PlayerProfile* profile = GetPlayerProfile();
    profile->AwardAchievement(6);
    profile->AwardAchievement(24);
    painter.Clear();
    screen->Draw();
    EXPECT_EQ(screen->shown, 25) << "every achievement the string table names";
    EXPECT_EQ(screen->earned, 2);

    // Each badge and its icon: earned lit (badge column 0), the others dark (column 1).
    const BadgeLayout layout(screen->FrameLeft(), screen->FrameTop(), 768);
    std::vector<const DrawnQuad*> badges, icons;
    for (const DrawnQuad& quad : painter.quads) {
        if (quad.sprite == screen->badge) badges.push_back(&quad);
        if (quad.sprite == screen->icon) icons.push_back(&quad);
    }
    ASSERT_EQ(badges.size(), 25u);
    ASSERT_EQ(icons.size(), 25u);
    const struct {
        int index, column, row;
        bool earned;
    } cases[] = {{0, 0, 0, false}, {4, 4, 0, false}, {5, 0, 1, false}, {6, 1, 1, true}, {24, 4, 4, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        const DrawnQuad& badge = *badges[c.index];
        EXPECT_EQ(badge.left, layout.originX + c.column * layout.stepX);
        EXPECT_EQ(badge.top, layout.originY + c.row * layout.stepY);
        EXPECT_FLOAT_EQ(badge.ua, c.earned ? 0.0f : 0.5f) << "the badge sheet's column";
        EXPECT_FLOAT_EQ(icons[c.index]->ua, c.column * 0.2f) << "the icon sheet's column";
        EXPECT_FLOAT_EQ(icons[c.index]->va, c.row * 0.2f) << "the icon sheet's row";
        EXPECT_EQ(icons[c.index]->colour, c.earned ? 0xFFFFFFFFu : 0xFFCCCCCCu);
    }

    // The count line clears the fifth row and its names, and stays inside the frame.
    const DrawnText* count = FindText("Completed  2 / 25");
    ASSERT_NE(count, nullptr);
    const DrawnQuad& last = *badges[24];
    const DrawnText* lastName = nullptr;
    for (const DrawnText& drawn : painter.texts)
        if (drawn.y > last.bottom && drawn.y < count->y) lastName = &drawn;
    EXPECT_NE(lastName, nullptr) << "the fifth row's names stand between its badges and the count";
    EXPECT_GT(count->y, last.bottom);
    EXPECT_LT(count->y + 16, screen->FrameTop() + screen->FrameHeight());
}

TEST_F(InformationPages, TheLogShowsOnlyFoundEntriesWhereverTheListIsScrolled)
{
    auto log = Make<MissionLogGui>();
    ScopedGlobal<MissionLogGui*> current{TheMissionLogGui, log.get()};
    GetPlayerProfile()->backstoryCount = 5;
    log->SetVisible(true);
    log->ShowPage(MissionLogGui::JOURNALS);
    auto enabledRows = [&] {
        std::string rows;
        for (Button* row : log->rows) rows += row->IsEnabled() && row->IsVisible() ? 'x' : '.';
        return rows;
    };
    EXPECT_EQ(enabledRows(), "xxxxx...");
    log->ScrollList(true);
    log->ScrollList(true);
    EXPECT_EQ(log->journalOffset, 2);
    EXPECT_EQ(enabledRows(), "xxx.....") << "rows show entries 3 to 10, of which 6 on are not found";
    log->ChooseRow(0);
    EXPECT_STREQ(log->textLabel->GetText(), GuiDisplayText("<journal_3_desc>"));
    EXPECT_EQ(log->selectedJournal, 3);
    EXPECT_TRUE(log->rows[0]->toggled) << "the chosen entry's row is marked";
    log->ChooseRow(4);
    EXPECT_STREQ(log->textLabel->GetText(), "") << "an entry not found is never read";
    EXPECT_EQ(log->selectedJournal, 3);
    // Scrolling back up keeps the chosen entry marked where it now stands.
    log->ChooseRow(0);
    log->ScrollList(false);
    EXPECT_TRUE(log->rows[1]->toggled);
    EXPECT_FALSE(log->rows[0]->toggled);
    for (int i = 0; i < 40; ++i) log->ScrollList(true);
    EXPECT_EQ(log->journalOffset, 25 - MissionLogGui::ROWS) << "the list stops at its last row";
    EXPECT_EQ(enabledRows(), "........");

    // No journal found yet.
    GetPlayerProfile()->backstoryCount = 0;
    log->journalOffset = 0;
    log->ShowPage(MissionLogGui::JOURNALS);
    painter.Clear();
    log->Draw();
    EXPECT_NE(FindText("No journals have been found!"), nullptr);
    log->SetVisible(false);
}

TEST_F(InformationPages, TheLogSumsUpAStoryMissionDoneBeyondItsTitle)
{
    // The shipped catalogue, and a galaxy whose one planet carries the first story mission, done.
    MissionScreen::ClearMissions();
    ASSERT_TRUE(MissionScreen::LoadMissions("data/scripts/missions.cgs"));
    auto galaxy = std::make_unique<Galaxy>();
    ScopedGlobal<Galaxy*> shownGalaxy{TheGalaxy, galaxy.get()};
    galaxy->count = 1;
    CelestialBody* planet = new CelestialBody();
    planet->storyId = 0;
    planet->missionId = 0;
    galaxy->systems[0].AppendChild(planet);
    GetPlayerProfile()->SetMissionCompleted(0, true);

    auto log = Make<MissionLogGui>();
    ScopedGlobal<MissionLogGui*> current{TheMissionLogGui, log.get()};
    log->SetVisible(true);
    log->ShowPage(MissionLogGui::STORY);
    log->ChooseRow(0);
    const MissionRecord& record = MissionScreen::missions[0];
    const std::string summary = log->textLabel->GetText();
    const std::string parts[] = {
        std::string(GuiDisplayText("<m1_summary>")) + "\n\n" + GuiDisplayText(record.description),
        "\n\nObjectives met: ",
        "\n\nEarned: " + std::to_string(record.experienceReward) + " experience points and " +
            std::to_string(record.creditReward) + " credits.",
    };
    for (const std::string& part : parts) EXPECT_NE(summary.find(part), std::string::npos) << part << " in " << summary;
    EXPECT_EQ(summary.rfind(GuiDisplayText("<m1_summary>"), 0), 0u) << "the title first";
    log->SetStoryMode(false);
    EXPECT_STREQ(log->textLabel->GetText(), GuiDisplayText("<m1_brief>")) << "the briefing as it was";
    log->SetVisible(false);
    MissionScreen::ClearMissions();
}

TEST_F(InformationPages, TheLogTextShowsItsArrowsOnlyBeyondEightLines)
{
    auto log = Make<MissionLogGui>();
    const struct {
        int lines;
        bool arrows;
    } cases[] = {{8, false}, {9, true}};
    std::string word = "w";
    while (TextWidth(log->textLabel->font, word.c_str()) * 2 <= log->textLabel->wrapWidth) word += "w";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        std::string text;
        for (int i = 0; i < c.lines; ++i) text += (i ? " " : "") + word;
        log->textLabel->SetText(text.c_str(), true);
        log->firstLine = 0;
        log->textLabel->SetScroll(0, MissionLogGui::LINES_SHOWN, &log->lineCount);
        FollowArrows(log->textUp, log->textDown, 0, MissionLogGui::LINES_SHOWN, log->lineCount);
        EXPECT_EQ(log->lineCount, c.lines);
        EXPECT_FALSE(log->textUp->IsVisible());
        EXPECT_EQ(log->textDown->IsVisible(), c.arrows);
        log->ScrollText(true);
        EXPECT_EQ(log->firstLine, c.arrows ? 1 : 0);
        EXPECT_EQ(log->textUp->IsVisible(), c.arrows);
        EXPECT_FALSE(log->textDown->IsVisible()) << "the last line shows";
        log->ScrollText(false);
        log->ScrollText(false);
        EXPECT_EQ(log->firstLine, 0);
    }
}

void NoCommand() {}

TEST_F(InformationPages, TheHotkeysTableShowsTheBindingsOfTheFile)
{
    ClearCommandRegistry();
    for (int i = 0; i < HOTKEY_HELP_ROW_COUNT; ++i)
        if (HOTKEY_HELP_ROWS[i].command) RegisterCommand(HOTKEY_HELP_ROWS[i].command, NoCommand);
    const std::string folder = MakeTempFolder("hotkeyhelp");
    const std::string file = folder + "/hotkeys.cfg";
    WriteTextFile(file, "keyboard_map\tq\tattack\nkeyboard_map\tF2\tselect_player\nkeyboard_map\tctrl_t\ttrackplayer\n");
    Config->LoadHotkeys(file.c_str());
    auto screen = Make<HotkeysGui>();
    painter.Clear();
    screen->Draw();
    // Each row: its key text, then its description, on one line.
    auto keyOf = [&](const char* description) -> std::string {
        for (size_t i = 1; i < painter.texts.size(); ++i)
            if (painter.texts[i].text == description) return painter.texts[i - 1].text;
        return "(row missing)";
    };
    const struct {
        const char* description;
        const char* key;
    } rows[] = {
        {"Attack", "q"},
        {"Select player", "F2"},
        {"Camera tracks selected unit", "ctrl_t"},
        {"Move", "<none>"},
        {"Rotate camera", "ctrl + Left|Right"},
        {"Assign control group", "ctrl + 1-9"},
        {"Print screen", "<none>"},
    };
    for (const auto& row : rows) EXPECT_EQ(keyOf(row.description), row.key) << row.description;
    for (const char* heading : {"Player Controls", "Camera Controls", "Unit Controls", "Bot A.I. Modes", "Misc"})
        EXPECT_NE(FindText(heading), nullptr) << heading;

    // Rebinding shows at the next draw.
    WriteTextFile(file, "keyboard_map\tq\tmove\nkeyboard_map\ta\tattack\n");
    Config->LoadHotkeys(file.c_str());
    painter.Clear();
    screen->Draw();
    EXPECT_EQ(keyOf("Attack"), "a");
    EXPECT_EQ(keyOf("Move"), "q");

    // Opened over a paused screen, it gives the input back and leaves the pause.
    Window options;
    manager.modal = &options;
    GamePaused = true;
    screen->SetVisible(true);
    EXPECT_EQ(manager.modal, screen.get());
    InfoScreen::OnClose(&screen->closeButton->userData, screen->closeButton);
    EXPECT_EQ(manager.modal, &options);
    EXPECT_TRUE(GamePaused);
    manager.modal = nullptr;
    GamePaused = false;
    ClearCommandRegistry();
}

}  // namespace
