// A new pilot's choice of starting bot, as a player makes it: "New Game", the intro skipped, a
// name typed, the scout chosen over the gunner, "OK". In the first mission the rig puts up a
// factory, and the factory offers the scout and not the gunner, and builds it with what the
// mission gave at its start. The game is then ended and
// started again as a new process on the same user folder, straight into a mission: the
// factory there still offers the scout alone.
#include "tests/app/PlayerSessionSupport.h"

#include "tests/app/NewProcess.h"

#include "campaign/ProfileScreen.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "interface/MessageWindow.h"
#include "interface/MissionHud.h"
#include "platform/ConfigFile.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace playersession;

namespace {

class StartingBotSession : public PlayerSession {
protected:
    void SetUp() override
    {
        base = MakeTempFolder("startingbot");
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        OnTheSmallestMachine();
        StartGame();
        if (!started) GTEST_SKIP() << "no display for the game's window";
    }

    void Key(uint32_t code)
    {
        WndProc(shelltest::Key(WM_KEYDOWN, code));
        Passes(1, 0.02f);
    }

    // The galaxy of the fixed seed in place of the clock's, so that its planets are known: the
    // seed pinned, then the map opened again from the main menu's "Continue Game".
    void PinTheGalaxy()
    {
        GetPlayerProfile()->galaxySeed = std::stoi(GALAXY_SEED);
        if (FrontEndScreenState == 2) ClickOn(FindButton(TheGalaxy->container, "Main Menu"));
        ASSERT_EQ(FrontEndScreenState, 0) << "at the main menu";
        ClickOn(FindButton(MissionScreen::windows[0], "Continue Game"));
        ASSERT_EQ(FrontEndScreenState, 2);
        ASSERT_EQ(TheGalaxy->seed, std::stoi(GALAXY_SEED));
    }
    // The rig, selected with a click, puts up a factory from its build panel and finishes it.
    Building* BuildAFactory()
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return nullptr;
        int x = 0, y = 0;
        if (!OnScreen(rig->GetPosition(), &x, &y)) return nullptr;
        MoveMouseTo(x, y - 4);
        Click(0);
        Passes(2, 0.05f);
        if (TheGame->GetFirstSelected() != rig) return nullptr;
        Building* factory = PlaceFromBuildPanel("bot_factory", rig->GetPosition());
        for (int second = 0; factory && second < 120 && factory->buildState != BUILD_STATE_READY; ++second)
            Passes(10, 0.1f);
        return factory && factory->buildState == BUILD_STATE_READY ? factory : nullptr;
    }
    // The bots the factory's panel offers, by type name, once the factory is selected.
    std::vector<std::string> Offered(Building* factory)
    {
        std::vector<std::string> names;
        int x = 0, y = 0;
        if (!OnScreen(factory->GetCenter(), &x, &y) && !OnScreen(factory->GetPosition(), &x, &y)) return names;
        MoveMouseTo(x, y);
        Click(0);
        Passes(2, 0.05f);
        BuildPanel* panel = GetBuildPanel(factory->definition, false);
        if (TheGame->GetFirstSelected() != factory || !panel || !panel->window->IsVisible()) return names;
        for (int i = 0; i < panel->buttonCount; ++i)
            if (panel->buttons[i].type && panel->buttons[i].button->IsVisible())
                names.push_back(panel->buttons[i].type->name);
        return names;
    }
    static bool Has(const std::vector<std::string>& names, const char* name)
    {
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

TEST_F(StartingBotSession, TheChosenBotAloneIsBuiltInTheFirstMissionAndAfterARestart)
{
    // Past the logo, "New Game", past the story, into the new-profile window.
    Passes(2, 0.02f);
    Key(VK_ESCAPE);
    Passes(2, 0.05f);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    ClickOn(FindButton(MissionScreen::windows[0], "New Game"));
    Passes(2, 0.05f);
    Key(VK_ESCAPE);
    Passes(2, 0.05f);
    ASSERT_NE(TheProfileScreen, nullptr);
    Window* newProfile = TheProfileScreen->newProfileWindow;
    ASSERT_TRUE(newProfile->IsVisible());
    for (char c : std::string("NOVA")) Key((uint32_t)c);

    // The second bot, the scout, is chosen; "OK" makes the pilot.
    ASSERT_NE(TheProfileScreen->unitButtons[1], nullptr);
    ClickOn(TheProfileScreen->unitButtons[1]);
    EXPECT_EQ(TheProfileScreen->unitChoice, 1);
    ClickOn(FindButton(newProfile, "OK"));
    ASSERT_STREQ(GetPlayerProfile()->name, "nova");
    ASSERT_NE(TheMessageWindow, nullptr);
    if (TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);

    // The first mission: a forest planet of the galaxy (of a pinned seed, the same each run).
    ASSERT_NO_FATAL_FAILURE(PinTheGalaxy());
    ASSERT_TRUE(StartMissionOn(FOREST));
    Building* factory = BuildAFactory();
    ASSERT_NE(factory, nullptr) << "the rig put up a factory";
    std::vector<std::string> offered = Offered(factory);
    EXPECT_TRUE(Has(offered, "miner"));
    EXPECT_TRUE(Has(offered, "scout_bot")) << "the chosen bot is built";
    EXPECT_FALSE(Has(offered, "gunner_bot")) << "the other is not";
    BuildPanel* panel = GetBuildPanel(factory->definition, false);
    ASSERT_NE(panel, nullptr);
    for (int i = 0; i < panel->buttonCount; ++i)
        if (panel->buttons[i].type && StrICmp(panel->buttons[i].type->name, "scout_bot") == 0)
            ClickOn(panel->buttons[i].button);
    bool scout = false;
    PlayWithoutPictures(30.0f, 0.1f, [&] {
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
            scout |= e->alignment == ALIGN_PLAYER && StrICmp(e->name, "scout_bot") == 0;
        TheScene.EndIteration();
        return !scout;
    });
    EXPECT_TRUE(scout) << "the factory built the scout with the mission's first ore and fuel";

    // The game ends; the next start goes straight into a mission with the pilot.
    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
    Shutdown();
    started = false;
    WriteTextFile(std::string(UserFolder) + "/settings.cfg", "mainMenuEnabled false\ncurrentprofile nova\n");
    const newprocess::Outcome outcome = newprocess::RunPhase(
        "StartingBotAfterARestart.DISABLED_TheFactoryStillOffersTheChosenBotAlone", {{newprocess::PHASE_DATA_HOME, base}});
    EXPECT_TRUE(outcome.Passed()) << "status " << outcome.status << "\n" << outcome.output;
}

// The second half, in a process of its own: the game started on the first half's user folder.
class StartingBotAfterARestart : public StartingBotSession {
protected:
    void SetUp() override { ResumeInHandedOverFolder(); }
};

TEST_F(StartingBotAfterARestart, DISABLED_TheFactoryStillOffersTheChosenBotAlone)
{
    UntilPlaying();
    ASSERT_STREQ(GetPlayerProfile()->name, "nova");
    TheGame->EndLevel();
    ReturnToMainMenu();
    Passes(2, 0.05f);
    ASSERT_NO_FATAL_FAILURE(PinTheGalaxy());
    ASSERT_TRUE(StartMissionOn(FOREST));
    // The first half watched the rig build; here the developer's instant build ("instabuild")
    // puts the factory up at once.
    ScopedGlobal<bool> instant(InstantBuild, true);
    Building* factory = BuildAFactory();
    ASSERT_NE(factory, nullptr) << "the rig put up a factory";
    std::vector<std::string> offered = Offered(factory);
    EXPECT_TRUE(Has(offered, "miner"));
    EXPECT_TRUE(Has(offered, "scout_bot")) << "the chosen bot is still built";
    EXPECT_FALSE(Has(offered, "gunner_bot")) << "the other still is not";
}

}  // namespace
