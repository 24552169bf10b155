// The information screens as a player meets them: the message window over other screens, its
// text scrolled by the arrows, the briefing opened from the HUD, and the end of a mission with
// its results, rewards and saved profile.
#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RandomMission.h"
#include "gui/Button.h"
#include "gui/Label.h"
#include "interface/EndGameScreen.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "interface/MissionBriefingGui.h"
#include "interface/ResultsScreen.h"
#include "mechanics/Objectives.h"
#include "platform/UserFolders.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <functional>
#include <string>

namespace {

class InfoScreens : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        message = MessageWindow::Create();
        briefing = MissionBriefingGui::Create();
    }
    void TearDown() override
    {
        manager.modal = nullptr;
        manager.windows.Remove(message);
        manager.windows.Remove(briefing);
        delete message;
        delete briefing;
        GamePaused = false;
        HudTest::TearDown();
    }

    MessageWindow* message = nullptr;
    MissionBriefingGui* briefing = nullptr;
};

TEST_F(InfoScreens, NestedScreensUnwindWithTheirModalWindowAndPause)
{
    ScopedGlobal<MessageWindow*> current{TheMessageWindow, message};
    Window dialog;
    const struct {
        const char* what;
        Window* below;
        bool pausedBelow;
    } cases[] = {
        {"over nothing", nullptr, false},
        {"over a dialog that does not pause", &dialog, false},
        {"over a paused screen", &dialog, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        manager.modal = c.below;
        GamePaused = c.pausedBelow;
        message->SetText("Hold the line.");
        message->Show(true, false);
        EXPECT_EQ(manager.modal, message);
        EXPECT_TRUE(GamePaused);
        EXPECT_TRUE(message->IsVisible());
        message->Show(false, false);
        EXPECT_EQ(manager.modal, c.below) << "the window below gets its input back";
        EXPECT_EQ(GamePaused, c.pausedBelow) << "and its pause";
    }

    // The briefing, a message over it, then both closed in turn.
    manager.modal = nullptr;
    GamePaused = false;
    briefing->SetVisible(true);
    message->Show(true, true);
    EXPECT_EQ(manager.modal, message);
    message->Show(false, false);
    EXPECT_EQ(manager.modal, briefing);
    EXPECT_TRUE(GamePaused) << "the briefing still pauses the game";
    InfoScreen::OnClose(&briefing->closeButton->userData, briefing->closeButton);
    EXPECT_EQ(manager.modal, nullptr);
    EXPECT_FALSE(GamePaused);
    EXPECT_FALSE(briefing->IsVisible());
}

TEST_F(InfoScreens, MessageArrowsShowOnlyForALongerText)
{
    const struct {
        int lines;
        bool arrows;
    } cases[] = {{1, false}, {8, false}, {9, true}, {14, true}};
    // A word wider than half the text's width: each takes a line of its own.
    std::string word = "w";
    while (TextWidth(message->textLabel->font, word.c_str()) * 2 <= message->textLabel->wrapWidth) word += "w";
    for (const auto& c : cases) {
        std::string text;
        for (int i = 0; i < c.lines; ++i) text += (i ? " " : "") + word;
        message->SetText(text.c_str());
        SCOPED_TRACE(c.lines);
        EXPECT_EQ(message->LineCount(), c.lines);
        EXPECT_FALSE(message->upArrow->IsVisible()) << "the first line shows";
        EXPECT_EQ(message->downArrow->IsVisible(), c.arrows);
        message->Scroll(false);
        EXPECT_EQ(message->firstLine, 0) << "up at the first line stays there";
        message->Scroll(true);
        EXPECT_EQ(message->firstLine, c.arrows ? 1 : 0);
        EXPECT_EQ(message->upArrow->IsVisible(), c.arrows);
        for (int i = 0; i < 20; ++i) message->Scroll(true);
        EXPECT_EQ(message->firstLine, c.arrows ? c.lines - 8 : 0) << "the last page stops the text";
        EXPECT_FALSE(message->downArrow->IsVisible());
    }
}

TEST_F(InfoScreens, MissionCompleteOffersToPlayOnOrLeave)
{
    message->Show(true, true);
    EXPECT_STREQ(message->banner->text, "Mission Complete!");
    EXPECT_TRUE(message->continueButton->IsVisible());
    EXPECT_TRUE(message->exitButton->IsVisible());
    EXPECT_FALSE(message->closeTextButton->IsVisible());
    message->Show(false, false);
    message->Show(true, false);
    EXPECT_STREQ(message->banner->text, "Message");
    EXPECT_FALSE(message->continueButton->IsVisible());
    EXPECT_TRUE(message->closeTextButton->IsVisible());
}

TEST(ResultsRows, TimeAndCountsAsTheScreenShowsThem)
{
    const struct {
        float seconds;
        const char* shown;
    } times[] = {{3725.4f, "62:05"}, {0.0f, "00:00"}, {59.9f, "00:59"}, {600.0f, "10:00"}};
    for (const auto& t : times) {
        char text[16];
        FormatResultsTime(text, sizeof text, t.seconds);
        EXPECT_STREQ(text, t.shown) << t.seconds;
    }
    ResultsScreen screen;
    PlayerProfile profile;
    profile.statistics[PROFILE_STAT_ENEMIES_KILLED] = 30;
    profile.statistics[PROFILE_STAT_CREATURES_KILLED] = 12;
    profile.statistics[PROFILE_STAT_BARREL_KILLS] = 4;
    profile.oreGained = 812.9f;
    screen.TakeStatistics(profile);
    ResultsRow rows[RESULTS_ROWS];
    screen.GetRows(rows);
    EXPECT_STREQ(rows[0].label, "Total enemies killed");
    EXPECT_EQ(rows[0].value, 30);
    EXPECT_EQ(rows[2].value, 18) << "scavengers: enemies less creatures";
    EXPECT_EQ(rows[4].value, 4);
    EXPECT_STREQ(rows[14].label, "Total Ore Mined");
    EXPECT_EQ(rows[14].value, 812);
    EXPECT_STREQ(rows[19].label, "Highest Bot Kills");
}

// The end of a mission of a galaxy body, with the profile saved in a user folder of its own.
class MissionEnd : public InfoScreens {
protected:
    void SetUp() override
    {
        InfoScreens::SetUp();
        folder = MakeTempFolder("missionend");
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", folder.c_str());
        ASSERT_TRUE(InitUserFolders());
        PlayerProfile* profile = GetPlayerProfile();
        CopyText(profile->name, sizeof profile->name, "Pilot");
        profile->flags |= PROFILE_LOADED;
        profile->credits = 100;
        profile->galaxySeed = 1003;
        ASSERT_TRUE(profile->SaveByName(false));
        galaxy.Generate(1003);
        body = galaxy.PickMissionBody(-1);
        ASSERT_NE(body, nullptr);
        galaxy.selectedBody = body;
        body->mission.creditReward = 700;
        body->mission.experienceReward = LevelThreshold(2);
        results.BuildOnce();
        objectives = std::make_unique<Objectives>();
    }
    void TearDown() override
    {
        manager.windows.Remove(&results);
        objectives.reset();
        InfoScreens::TearDown();
    }
    std::string ProfileFile() { return ReadTextFile(folder + "/Veldmark/profiles/Pilot.cgs"); }

    ScopedClearProfile cleared;
    std::string folder;
    std::unique_ptr<ScopedEnv> data;
    Galaxy galaxy;
    CelestialBody* body = nullptr;
    ResultsScreen results;
    std::unique_ptr<Objectives> objectives;
};

TEST_F(MissionEnd, AWonMissionIsPaidAndSavedAsItEnds)
{
    ScopedGlobal<Galaxy*> g{TheGalaxy, &galaxy};
    ScopedGlobal<ResultsScreen*> r{TheResultsScreen, &results};
    ScopedGlobal<Objectives*> o{TheObjectives, objectives.get()};
    ScopedGlobal<MessageWindow*> m{TheMessageWindow, message};
    ScopedGlobal<float> t{MissionTime, 3725.4f};
    PlayerProfile* profile = GetPlayerProfile();
    profile->statistics[PROFILE_STAT_ENEMIES_KILLED] = 30;
    profile->statistics[PROFILE_STAT_CREATURES_KILLED] = 12;
    message->Show(true, true);

    EndMission(false);
    EXPECT_FALSE(message->IsVisible());
    EXPECT_TRUE(results.IsOpen());
    EXPECT_EQ(manager.modal, &results) << "the results hold the input";
    EXPECT_STREQ(results.timeLabel->GetText(), "62:05");
    EXPECT_STREQ(results.creditsLabel->GetText(), "700");
    EXPECT_EQ(profile->credits, 800);
    EXPECT_EQ(profile->level, 2);
    EXPECT_TRUE(profile->IsMissionCompleted(body->missionId));
    EXPECT_EQ(body->completed, 1);
    ResultsRow rows[RESULTS_ROWS];
    results.GetRows(rows);
    EXPECT_EQ(rows[2].value, 18) << "the screen shows the mission's statistics";
    EXPECT_EQ(profile->statistics[PROFILE_STAT_ENEMIES_KILLED], 0) << "the next mission counts afresh";

    // The game closed on the results screen: the file already holds everything.
    const std::string saved = ProfileFile();
    EXPECT_NE(saved.find("credits\t\t800"), std::string::npos) << saved;
    PlayerProfile reread;
    reread.Load((folder + "/Veldmark/profiles/Pilot.cgs").c_str(), false, false);
    EXPECT_EQ(reread.credits, 800);
    EXPECT_EQ(reread.level, 2);
    EXPECT_TRUE(reread.IsMissionCompleted(body->missionId));

    // "Continue": one line for the two levels gained, and the shop.
    game->messageBar->Clear();
    ResultsScreen::OnContinue(nullptr, nullptr);
    EXPECT_FALSE(results.IsOpen());
    EXPECT_EQ(manager.modal, nullptr);
    int levelLines = 0;
    for (const MessageNode* node = game->messageBar->head; node; node = node->next)
        levelLines += std::string(node->text).rfind("Player level ", 0) == 0;
    EXPECT_EQ(levelLines, 1);
    ASSERT_NE(game->messageBar->head, nullptr);
    EXPECT_STREQ(game->messageBar->head->text, "Player level 2!");
    EXPECT_EQ(FrontEndScreenState, 2) << "the shop's page";
    EXPECT_EQ(galaxy.selectedBody, nullptr);
}

TEST_F(MissionEnd, AGivenUpOrLostMissionLeavesTheSavedProfile)
{
    ScopedGlobal<Galaxy*> g{TheGalaxy, &galaxy};
    ScopedGlobal<ResultsScreen*> r{TheResultsScreen, &results};
    ScopedGlobal<Objectives*> o{TheObjectives, objectives.get()};
    for (bool giveUp : {true, false}) {
        PlayerProfile* profile = GetPlayerProfile();
        Objective open;
        open.targetCount = 3;
        if (!giveUp) objectives->Add(&open);
        profile->credits = 5000;
        profile->statistics[PROFILE_STAT_ENEMIES_KILLED] = 9;
        EndMission(giveUp);
        EXPECT_FALSE(results.IsOpen()) << "no results for a lost mission";
        EXPECT_EQ(profile->credits, 100) << "the credits gained in it are gone";
        EXPECT_EQ(profile->statistics[PROFILE_STAT_ENEMIES_KILLED], 0);
        EXPECT_FALSE(profile->IsMissionCompleted(body->missionId));
        EXPECT_EQ(FrontEndScreenState, 2);
        objectives->Clear();
    }
}

// The campaign's two endings: the last story mission paid shows the story's end; closing it, a
// galaxy with every mission done shows the second; closing that opens the shop.
TEST_F(MissionEnd, TheLastStoryMissionAndAFullGalaxyShowBothEndingsInTurn)
{
    ASSERT_TRUE(MissionScreen::LoadMissions("data/scripts/missions.cgs"));
    ASSERT_GT(MissionScreen::missionCount, 0);
    Galaxy campaign;  // generated with the story this time
    campaign.Generate(1003);
    CelestialBody* last = campaign.FindBodyByStoryId(MissionScreen::missionCount - 1);
    ASSERT_NE(last, nullptr) << "the last story mission has a body";
    EndGameScreen ending;
    ending.BuildOnce();
    ScopedGlobal<Galaxy*> g{TheGalaxy, &campaign};
    ScopedGlobal<ResultsScreen*> r{TheResultsScreen, &results};
    ScopedGlobal<EndGameScreen*> e{TheEndGameScreen, &ending};
    PlayerProfile* profile = GetPlayerProfile();

    // Story done, galaxy not: only the story's ending, and no shop yet.
    profile->SetMissionCompleted(last->missionId, true);
    last->completed = 1;
    results.paidStory = true;
    FrontEndScreenState = 0;
    ResultsScreen::OnContinue(nullptr, nullptr);
    ASSERT_TRUE(ending.IsOpen());
    EXPECT_STREQ(ending.TextKey(), "<story_finish>");
    EXPECT_NE(FrontEndScreenState, 2) << "the ending stands before the shop";
    EndGameScreen::OnContinue(nullptr, nullptr);
    EXPECT_FALSE(ending.IsOpen()) << "missions are left: no second ending";
    EXPECT_EQ(FrontEndScreenState, 2);

    // Every mission done: the story's ending leads into the galaxy's.
    std::function<void(CelestialBody*)> complete = [&](CelestialBody* body) {
        for (; body; body = body->nextSibling) {
            if (body->missionId >= 0) body->completed = 1;
            complete(body->firstChild);
        }
    };
    for (int s = 0; s < campaign.count; ++s) complete(campaign.systems[s].firstChild);
    results.paidStory = true;
    FrontEndScreenState = 0;
    ResultsScreen::OnContinue(nullptr, nullptr);
    ASSERT_TRUE(ending.IsOpen());
    EXPECT_STREQ(ending.TextKey(), "<story_finish>");
    EndGameScreen::OnContinue(nullptr, nullptr);
    ASSERT_TRUE(ending.IsOpen()) << "the all-missions ending follows";
    EXPECT_STREQ(ending.TextKey(), "<missions_finish>");
    EndGameScreen::OnContinue(nullptr, nullptr);
    EXPECT_FALSE(ending.IsOpen());
    EXPECT_EQ(FrontEndScreenState, 2);
    manager.windows.Remove(&ending);
    MissionScreen::ClearMissions();
}

}  // namespace

namespace {

// The end screens open and close alone: the many windows that carry no id of their own (the
// pause menu, the failed window, the dialogs, the front end's pages) stay as they were.
TEST_F(MissionEnd, TheEndScreensSwitchOnlyThemselves)
{
    EndGameScreen ending;
    ending.BuildOnce();
    EXPECT_NE(results.id, -1);
    EXPECT_NE(ending.id, -1);
    EXPECT_NE(results.id, ending.id);
    Window hidden, shown;
    hidden.SetVisible(false);
    ASSERT_EQ(hidden.id, -1);
    ASSERT_EQ(shown.id, -1);
    manager.AddWindow(&hidden);
    manager.AddWindow(&shown);
    const struct {
        const char* what;
        std::function<void(bool)> show;
    } screens[] = {
        {"results", [&](bool on) { results.SetVisible(on); }},
        {"end of game", [&](bool on) { ending.Show(on, false); }},
    };
    for (const auto& screen : screens) {
        SCOPED_TRACE(screen.what);
        screen.show(true);
        EXPECT_FALSE(hidden.IsVisible()) << "a hidden window stays hidden";
        screen.show(false);
        EXPECT_TRUE(shown.IsVisible()) << "a shown window stays shown";
    }
    manager.windows.Remove(&hidden);
    manager.windows.Remove(&shown);
    manager.windows.Remove(&ending);
}

}  // namespace
