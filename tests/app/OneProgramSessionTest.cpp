// One player's whole game in one program, its rig lost and coming back firing: the walk of
// the game's missions one after another, as a player plays them through the galaxy and the
// mission windows.
#include "tests/app/FirstMissionSupport.h"

#include "gui/MessageDialogGui.h"

#include <functional>

using namespace firstmission;

namespace {

// One player's game in one program, through the galaxy's start button, the mission windows and
// the in-game menu, on frames of the row's length: the first mission won; the second lost, its
// rig brought down at the camp; "Restart Mission" from the failed window, the camp fought again
// with the rig firing, and won; the third started from the galaxy, abandoned from the in-game
// menu, and started again. Every mission's rig fires at a scavenger that comes at it, however
// the mission before it ended, and no unit of the player's stands beaten (the watch).
struct WalkClock {
    const char* name;
    float frame;
};
void PrintTo(const WalkClock& clock, std::ostream* out) { *out << clock.name; }

class OneProgram : public FirstMissionSession, public testing::WithParamInterface<WalkClock> {
protected:
    // The galaxy's next mission as the start button starts it, once it is the accepted one.
    bool StartFromTheGalaxy(int story, int seed)
    {
        EXPECT_EQ(FrontEndScreenState, 2) << "the galaxy is shown";
        // The guild's word over the galaxy is read and closed first.
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        CelestialBody* body = TheGalaxy ? TheGalaxy->FindBodyByStoryId(story) : nullptr;
        if (!body) return false;
        body->levelSeed = seed;
        GetPlayerProfile()->level = std::max(GetPlayerProfile()->level, body->levelMin);
        TheGalaxy->selectedBody = body;  // as "Accept" on its briefing makes it
        Passes(1, 0.05f);
        // The button's face is its lower right part.
        int x = 0, y = 0;
        TheGalaxy->startButton->GetScreenPosition(&x, &y);
        MoveMouseTo(x + TheGalaxy->startButton->width * 2 / 3, y + TheGalaxy->startButton->height * 2 / 3);
        Click(0);
        EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING)
            << "the start button started the mission; modal " << (WindowMgr->modal ? WindowMgr->modal->caption : "none")
            << ", button shown " << TheGalaxy->startButton->IsVisible() << " enabled " << TheGalaxy->startButton->IsEnabled()
            << " '" << TheGalaxy->startButton->text << "', message " << (TheMessageWindow && TheMessageWindow->shown);
        UntilPlaying();
        if (HasFatalFailure()) return false;
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        return !HasFatalFailure() && GetPlayerRig() && GetPlayerRig()->IsAlive();
    }
    // A scavenger walker a dozen paces off the rig: the rig's shots at it within half a minute.
    int ShotsAtAScavenger()
    {
        Agent* rig = GetPlayerRig();
        Agent* walker = PlaceUnit("scav_small", rig->GetPosition() + Vec3(12.0f, 0.0f, 0.0f), ALIGN_ENEMY);
        EXPECT_NE(walker, nullptr);
        if (!walker) return 0;
        const EntityRef foe(walker);
        ShotCount fired;
        Play(30.0f, 0.1f, [&] {
            fired.Step(rig);
            return foe.GetLive() && rig->IsAlive();
        });
        EXPECT_EQ(foe.GetLive(), nullptr) << "the rig killed the scavenger";
        return fired.shots;
    }
    // "Exit Mission" on the guild's word, then the results' "Continue": back at the galaxy.
    void LeaveTheWonMission()
    {
        ASSERT_TRUE(TheMessageWindow->shown && TheMessageWindow->missionComplete);
        ClickOn(TheMessageWindow->exitButton);
        ASSERT_TRUE(TheResultsScreen->IsOpen());
        ClickOn(TheResultsScreen->continueButton);
        ASSERT_EQ(FrontEndScreenState, 2) << "the galaxy";
    }
};

TEST_P(OneProgram, ALostRigComesBackFiringAndEveryLaterMissionPlaysAsNew)
{
    ScopedGlobal<float> frames{frameLength, GetParam().frame};
    // The first mission, its objectives done.
    ASSERT_TRUE(IntoTheFirstMission(11, 0));
    EXPECT_GT(ShotsAtAScavenger(), 0) << "the first mission's rig";
    for (auto* node = TheObjectives->list.head; node; node = node->next) {
        node->value->count = node->value->targetCount;
        TheObjectives->Complete(node->value);
    }
    Passes(20, 0.05f);
    ASSERT_NO_FATAL_FAILURE(LeaveTheWonMission());

    // The second, from the galaxy: the rig, worn down, alone into the camp, where it falls.
    ASSERT_TRUE(StartFromTheGalaxy(1, 99));
    Agent* rig = GetPlayerRig();
    Entity* camp = Named("Scavenger_camp");
    ASSERT_NE(camp, nullptr);
    rig->SetHealth(rig->GetMaxHealth() * 0.1f);
    ShotCount lost;
    {
        ScopedGlobal<std::function<void()>> counting{everyStep, [&] { lost.Step(rig); }};
        FightYourWayTo(rig, camp->GetPosition(), 8.0f, 20.0f, 200.0f);
        Play(60.0f, 0.1f, [] { return !TheInGameMenu->failedShown; });
        // What the camp has left of its guards is joined by a swarm of the planet's wasps.
        if (TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        if (!TheInGameMenu->failedShown)
            for (int i = 0; i < 7; ++i) PlaceUnit("nest_wasp", rig->GetPosition(), ALIGN_ENEMY);
        Play(60.0f, 0.1f, [] { return !TheInGameMenu->failedShown; });
    }
    ASSERT_TRUE(TheInGameMenu->failedShown) << "the camp brought the rig down; the rig at "
                                            << GroundDistance(rig->GetPosition(), camp->GetPosition()) << " from the camp, health "
                                            << rig->health << ", camp standing " << camp->IsAlive();
    EXPECT_LT(GroundDistance(rig->GetPosition(), camp->GetPosition()), 30.0f) << "at the camp";
    EXPECT_GT(lost.shots, 0) << "the rig fought the camp";
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/one_program_failed.png", shot));
    // The failed window's frame as the player reads it, over the camp where the rig fell.
    const Window* failed = TheInGameMenu->failedWindow->firstChild;
    ASSERT_NE(failed, nullptr);
    int failedX = 0, failedY = 0;
    failed->GetScreenPosition(&failedX, &failedY);
    const Pixels window = CropPixels(ToPixels(shot), failedX, failedY, failedX + failed->width, failedY + failed->height);
    EXPECT_TRUE(MatchesReference(window, "one_program_failed_window", {12, window.width * window.height / 50}));

    // "Restart Mission": the camp fought again, by the rig and two gunners, and won.
    ClickOn(FindButton(TheInGameMenu->failedWindow, "Restart Mission"));
    UntilPlaying();
    if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
    rig = GetPlayerRig();
    ASSERT_TRUE(rig && rig->IsAlive());
    EXPECT_EQ(rig->GetHealth(), rig->GetMaxHealth());
    for (int i = 0; i < 2; ++i) ASSERT_NE(PlaceUnit("gunner_bot", rig->GetPosition()), nullptr);
    ShotCount again;
    bool won = false;
    {
        // The rig's shots, counted as the walk to the camp and the fight there go on.
        ScopedGlobal<std::function<void()>> counting{everyStep, [&] { again.Step(rig); }};
        won = FindTheBeaconAndRazeTheCamp();
    }
    EXPECT_GT(again.shots, 0) << "the restarted mission's rig fired";
    EXPECT_GT(rig->kills, 0) << "and killed";
    ASSERT_TRUE(won) << "the camp fought again fell";
    ASSERT_TRUE(ShotOfNextFrame(base + "/one_program_won_again.png", shot));
    ASSERT_NO_FATAL_FAILURE(LeaveTheWonMission());

    // The third, from the galaxy; then abandoned from the in-game menu.
    ASSERT_TRUE(StartFromTheGalaxy(2, 11));
    EXPECT_GT(ShotsAtAScavenger(), 0) << "the third mission's rig";
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(TheInGameMenu->abortButton);
    ASSERT_TRUE(TheConfirmationDialog->IsVisible());
    ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    ASSERT_TRUE(ShotOfNextFrame(base + "/one_program_galaxy.png", shot));

    // Started again from the galaxy: a mission as new.
    ASSERT_TRUE(StartFromTheGalaxy(2, 11));
    EXPECT_GT(ShotsAtAScavenger(), 0) << "the rig of the mission after the abandoned one";
    ASSERT_TRUE(ShotOfNextFrame(base + "/one_program_last.png", shot));
}

INSTANTIATE_TEST_SUITE_P(FirstMissionSession, OneProgram, testing::Values(WalkClock{"TenthSecondFrames", 0.1f}, WalkClock{"SixtiethSecondFrames", 1.0f / 60.0f}),
                         [](const testing::TestParamInfo<WalkClock>& info) { return std::string(info.param.name); });

}  // namespace
