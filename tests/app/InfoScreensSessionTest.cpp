// The information pages in a running mission, on the real start-up: the technology, the
// achievements and the mission log (whose summary of a mission done tells more than its title)
// opened as the character screen's buttons open them, the
// hotkeys help as the options open it; each shows over the game and holds the input, the first
// three pause it, and each closes with its red button clicked by the mouse. Escape and Enter
// answer the pages, the briefing, the mission's messages and the restart question as their
// buttons do.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/Galaxy.h"
#include "gui/Button.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "interface/AchievementsGui.h"
#include "interface/CharacterGui.h"
#include "interface/HotkeysGui.h"
#include "interface/InGameMenu.h"
#include "interface/MessageWindow.h"
#include "interface/MissionBriefingGui.h"
#include "interface/MissionLogGui.h"
#include "interface/ObjectivesPanel.h"
#include "interface/PlayerTechGui.h"
#include "mechanics/Objectives.h"
#include "platform/StringTable.h"
#include "tools/Console.h"

#include <functional>
#include <string>

using namespace playersession;

namespace {

class InfoScreensSession : public PlayerSession {
protected:
    // The mission speaking, as its events make it speak.
    static void ShowMessage(bool missionComplete)
    {
        TheMessageWindow->SetText("<introduction>");
        TheMessageWindow->Show(true, missionComplete);
    }
    void CloseByItsButton(InfoScreen* screen)
    {
        Button* close = screen->closeButton;
        ASSERT_NE(close, nullptr);
        int x = 0, y = 0;
        close->GetScreenPosition(&x, &y);
        MoveMouseTo(x + close->width / 2, y + close->height / 2);
        Click(0);
    }
};

TEST_F(InfoScreensSession, EachPageOpensOverTheMissionAndClosesByItsButton)
{
    UntilPlaying();
    ASSERT_NE(ThePlayerTechGui, nullptr) << "the front end made the pages";
    ASSERT_NE(TheAchievementsGui, nullptr);
    ASSERT_NE(TheMissionLogGui, nullptr);
    ASSERT_NE(TheHotkeysGui, nullptr);
    GetPlayerProfile()->AwardAchievement(0);
    GetPlayerProfile()->AwardAchievement(7);
    // The first story mission done: the log has it to sum up.
    CelestialBody* first = TheGalaxy ? TheGalaxy->FindBodyByStoryId(0) : nullptr;
    ASSERT_NE(first, nullptr);
    GetPlayerProfile()->SetMissionCompleted(first->missionId, true);

    const struct {
        const char* what;
        InfoScreen* screen;
        void (*open)();
        bool pauses;
    } pages[] = {
        {"technology", ThePlayerTechGui, [] { OnShowTechClicked(nullptr, nullptr); }, true},
        {"achievements", TheAchievementsGui, [] { OnAchievementsClicked(nullptr, nullptr); }, true},
        {"mission log", TheMissionLogGui, [] { OnMissionLogClicked(nullptr, nullptr); }, true},
        {"hotkeys", TheHotkeysGui, [] { TheHotkeysGui->SetVisible(true); }, false},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        ASSERT_FALSE(page.screen->IsOpen());
        GamePaused = false;
        page.open();
        Passes(2, 0.05f);
        EXPECT_TRUE(page.screen->IsOpen());
        EXPECT_TRUE(page.screen->IsVisible());
        EXPECT_EQ(WindowMgr->modal, page.screen) << "the page holds the input";
        EXPECT_EQ(GamePaused, page.pauses);
        if (page.screen == TheAchievementsGui) {
            EXPECT_EQ(TheAchievementsGui->shown, 25);
            EXPECT_EQ(TheAchievementsGui->earned, 2);
            Image shot;
            ASSERT_TRUE(ShotOfNextFrame(base + "/info_achievements.png", shot));
            Pixels picture = ToPixels(shot);
            EXPECT_TRUE(MatchesReference(picture, "info_achievements", {12, picture.width * picture.height / 50}));
        }
        if (page.screen == TheMissionLogGui) {
            // The mission's row, clicked: more than its title, what it was about and what it
            // asked and gave.
            ClickOn(TheMissionLogGui->rows[0]);
            const std::string summary = TheMissionLogGui->textLabel->GetText();
            EXPECT_EQ(summary.rfind(GameText("<m1_summary>"), 0), 0u) << summary;
            EXPECT_NE(summary.find(GameText("<m1_desc>")), std::string::npos) << summary;
            EXPECT_NE(summary.find("Objectives met: "), std::string::npos) << summary;
            EXPECT_NE(summary.find("Earned: "), std::string::npos) << summary;
        }
        if (page.screen == ThePlayerTechGui) {
            EXPECT_GT(ThePlayerTechGui->buildingsShown, 0) << "a new player has buildings to field";
            EXPECT_GT(ThePlayerTechGui->unitsShown, 0);
        }
        CloseByItsButton(page.screen);
        EXPECT_FALSE(page.screen->IsOpen()) << "the red button closed it";
        EXPECT_FALSE(page.screen->IsVisible());
        EXPECT_EQ(WindowMgr->modal, nullptr);
        EXPECT_FALSE(GamePaused);
    }

    // The keys: Escape closes a page or says NO, Enter presses a page's close button and leaves
    // the question for a click; the game beneath gets neither key.
    const struct {
        const char* what;
        std::function<void()> open;
        std::function<bool()> shown;
        bool asks;
    } windows[] = {
        {"technology", [] { OnShowTechClicked(nullptr, nullptr); }, [] { return ThePlayerTechGui->IsOpen(); }, false},
        {"hotkeys", [] { TheHotkeysGui->SetVisible(true); }, [] { return TheHotkeysGui->IsOpen(); }, false},
        {"briefing", [this] { ClickOn(TheObjectivesPanel.button); }, [] { return TheMissionBriefing->IsOpen(); }, false},
        {"mission's message", [] { ShowMessage(false); }, [] { return TheMessageWindow->IsOpen(); }, false},
        {"mission complete", [] { ShowMessage(true); }, [] { return TheMessageWindow->IsOpen(); }, false},
        {"restart question",
         [this] {
             Press(DIK_ESCAPE);
             ClickOn(FindButton(TheInGameMenu->menuWindow, "Restart Mission"));
         },
         [] { return TheConfirmationDialog->IsVisible(); }, true},
    };
    for (const auto& window : windows)
        for (int key : {DIK_ESCAPE, DIK_RETURN}) {
            SCOPED_TRACE(std::string(window.what) + (key == DIK_ESCAPE ? ", Escape" : ", Enter"));
            ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
            window.open();
            Passes(2, 0.05f);
            ASSERT_TRUE(window.shown()) << "opened";
            Press(key);
            EXPECT_FALSE(ConsoleHasFocus()) << "Enter did not reach the console";
            if (window.asks && key == DIK_RETURN) {
                EXPECT_TRUE(window.shown()) << "only a click says YES";
                Press(DIK_ESCAPE);
            }
            EXPECT_FALSE(window.shown()) << "the key answered it";
            if (window.asks) {
                EXPECT_EQ(WindowMgr->modal, TheInGameMenu->menuWindow) << "NO leaves the pause menu as it was";
                Press(DIK_ESCAPE);
            }
            EXPECT_FALSE(TheInGameMenu->menuShown) << "the pause menu did not open";
            EXPECT_EQ(WindowMgr->modal, nullptr);
        }
}

}  // namespace
