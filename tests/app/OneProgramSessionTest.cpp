// One player's whole game in one program, its rig lost and coming back firing: the walk of
// the game's missions one after another, as a player plays them through the galaxy and the
// mission windows, staged by the developer's console; then each level it played plays the same
// game again from its replay.
#include "tests/app/FirstMissionSupport.h"

#include "gui/MessageDialogGui.h"
#include "host/Log.h"
#include "mechanics/Replay.h"
#include "terrain/SplatPool.h"

#include <functional>

using namespace firstmission;

namespace {

// One player's game in one program, through the galaxy's start button, the mission windows and
// the in-game menu, on frames of the row's length: the first mission won; the second lost, its
// rig brought down at the camp; "Restart Mission" from the failed window, the camp fought again
// with the rig firing, and won; the third started from the galaxy, abandoned from the in-game
// menu, and started again. Every mission's rig fires at a scavenger that comes at it, however
// the mission before it ended, and no unit of the player's stands beaten (the watch). What the
// walk stages (the first mission's refinery built at once and its ore, the worn rig, the
// scavengers, wasps and gunners) is typed into the developer's console, so that every level is
// recorded whole: each replay plays the same game headless; and, the two rows sharing these out,
// one in a program of its own, and one drawn at 1/60 s frames with the camera far from the units
// and another unit selected.
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
    // A unit of that kind put down by the console's "ai" on open ground near a place, where the
    // mouse points: the unit the next tick made there, or null.
    Agent* ConsoleUnit(const char* type, const Vec3& near)
    {
        Vec3 ground;
        int x = 0, y = 0;
        if (!FindOpenGround(near, &ground) || !OnScreen(ground, &x, &y)) return nullptr;
        MoveMouseTo(x, y);
        const Vec3 at = SnapToCellCentre(TheGame->pickedPoint);
        Console((std::string("ai ") + type).c_str());
        Play(0.2f, 0.1f, [] { return true; });
        Agent* made = nullptr;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity())
            if ((e->flags & ENTITY_AGENT) && e->IsAlive() && StrICmp(e->name, type) == 0 &&
                GroundDistance(e->GetPosition(), at) < 2.0f && (!made || e->id > made->id))
                made = static_cast<Agent*>(e);
        TheScene.EndIteration();
        return made;
    }
    // The rig alone selected, and the camera brought to it.
    void LookAtTheRig(Agent* rig)
    {
        TheGame->ClearSelection();
        TheGame->SelectEntity(rig);
        Press(DIK_TAB);
    }
    // A scavenger walker a dozen paces off the rig: the rig's shots at it within half a minute.
    int ShotsAtAScavenger()
    {
        Agent* rig = GetPlayerRig();
        Agent* walker = ConsoleUnit("scav_small", rig->GetPosition() + Vec3(12.0f, 0.0f, 0.0f));
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
    // The level left as its player leaves it: a won one by "Exit Mission" and the results'
    // "Continue", any other by "Abort Mission" from the in-game menu and YES to its question.
    void LeaveTheLevel()
    {
        ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
        if (TheMessageWindow && TheMessageWindow->shown && TheMessageWindow->missionComplete) {
            ClickOn(TheMessageWindow->exitButton);
            ASSERT_TRUE(TheResultsScreen->IsOpen());
            ClickOn(TheResultsScreen->continueButton);
            ASSERT_NE(TheGame->state, GAME_STATE_PLAYING);
            return;
        }
        if (TheInGameMenu->failedShown) {
            ClickOn(FindButton(TheInGameMenu->failedWindow, "Abort Mission"));
            ASSERT_NE(TheGame->state, GAME_STATE_PLAYING);
            return;
        }
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        Press(DIK_ESCAPE);
        ASSERT_TRUE(TheInGameMenu->menuShown);
        ClickOn(TheInGameMenu->abortButton);
        // A game of the player's own asks first; a replay is the viewer's, and is left at once.
        if (TheConfirmationDialog->IsVisible()) ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
        ASSERT_NE(TheGame->state, GAME_STATE_PLAYING);
    }
    // A replay played again drawn at 1/60 s frames: a unit beside the rig clicked and the camera
    // taken far from the units; half way, a ctrl-click on the ground there empties the selection.
    void PlayDrawnElsewhere(const std::string& path)
    {
        Replay replay;
        std::string why;
        ASSERT_TRUE(ReplayDirector::Open(path.c_str(), &replay, &why)) << why;
        ASSERT_TRUE(TheReplay.Play(path, replay, true));
        UntilPlaying();
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        Agent* rig = GetPlayerRig();
        ASSERT_NE(rig, nullptr);
        // The first unit beside the rig that the picture shows, clicked.
        Agent* other = nullptr;
        int x = 0, y = 0;
        for (int i = 0; i < 180 && !other; ++i) {
            for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
                if (e != rig && (e->flags & ENTITY_AGENT) && e->IsAlive() && OnScreen(e->GetCenter(), &x, &y)) other = static_cast<Agent*>(e);
            TheScene.EndIteration();
            if (!other) Passes(1, 1.0f / 60.0f);
        }
        ASSERT_NE(other, nullptr) << "a unit beside the rig";
        ASSERT_TRUE(OnScreen(playerhand::DrawnCenter(other), &x, &y));
        MoveMouseTo(x, y);
        Click(0);
        ASSERT_EQ(TheGame->GetFirstSelected(), other) << "the unit clicked, " << other->name;
        // A click on a corner of the minimap takes the camera there, one far from the rig.
        const MinimapLayout& box = TheMinimap.layout;
        const int corners[4][2] = {{box.x + 6, box.y + 6}, {box.x + box.width - 6, box.y + box.height - 6},
                                   {box.x + box.width - 6, box.y + 6}, {box.x + 6, box.y + box.height - 6}};
        for (const auto& corner : corners) {
            MoveMouseTo(corner[0], corner[1]);
            Click(0);
            if (!OnScreen(rig->GetCenter(), &x, &y)) break;
        }
        EXPECT_FALSE(OnScreen(rig->GetCenter(), &x, &y)) << "the camera far from the rig";
        EXPECT_EQ(TheGame->GetFirstSelected(), other) << "the minimap's clicks leave the selection";
        bool changed = false;
        for (int i = 0; i < 20000 && !TheReplay.Finished(); ++i) {
            if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
            if (!changed && TheReplay.Tick() >= (int)replay.lastTick / 2) {
                MoveMouseTo(Config->width / 2, Config->height / 2);
                InputScript::KeyDown(DIK_LCONTROL);
                Click(0);
                InputScript::KeyUp(DIK_LCONTROL);
                EXPECT_EQ(TheGame->GetFirstSelected(), nullptr) << "the ground ctrl-clicked";
                changed = true;
            }
            Passes(1, 1.0f / 60.0f);
        }
        EXPECT_TRUE(changed);
        EXPECT_TRUE(TheReplay.Finished());
        EXPECT_FALSE(TheReplay.Parted()) << TheReplay.VerdictLine();
    }
};

TEST_P(OneProgram, ALostRigComesBackFiringAndEveryLaterMissionPlaysAsNew)
{
    ScopedGlobal<float> frames{frameLength, GetParam().frame};
    ScopedGlobal<bool> instant{InstantBuild, false};
    // The first mission, its objectives done: a refinery built at once, then the ore.
    ASSERT_TRUE(IntoTheFirstMission(11, 0));
    EXPECT_GT(ShotsAtAScavenger(), 0) << "the first mission's rig";
    {
        Agent* first = GetPlayerRig();
        Console("instabuild");
        Building* refinery = PutDown(first, "refinery", first->GetPosition());
        ASSERT_NE(refinery, nullptr);
        Play(60.0f, 0.1f, [&] { return refinery->buildState != BUILD_STATE_READY; });
        ASSERT_EQ(refinery->buildState, BUILD_STATE_READY);
        Console("ore 500");
        Play(0.2f, 0.1f, [] { return true; });
    }
    Passes(20, 0.05f);
    ASSERT_NO_FATAL_FAILURE(LeaveTheWonMission());

    // The second, from the galaxy: the rig, worn down, alone into the camp, where it falls.
    ASSERT_TRUE(StartFromTheGalaxy(1, 99));
    EXPECT_FALSE(InstantBuild) << "each level starts without the instant building the one before left on";
    Agent* rig = GetPlayerRig();
    Entity* camp = Named("Scavenger_camp");
    ASSERT_NE(camp, nullptr);
    LookAtTheRig(rig);
    Console(("sethealth " + std::to_string((int)(rig->GetMaxHealth() * 0.1f))).c_str());
    Play(0.2f, 0.1f, [] { return true; });
    EXPECT_LE(rig->GetHealth(), rig->GetMaxHealth() * 0.1f);
    ShotCount lost;
    {
        ScopedGlobal<std::function<void()>> counting{everyStep, [&] { lost.Step(rig); }};
        FightYourWayTo(rig, camp->GetPosition(), 8.0f, 20.0f, 200.0f);
        Play(60.0f, 0.1f, [] { return !TheInGameMenu->failedShown; });
        // What the camp has left of its guards is joined by a swarm of the planet's wasps.
        if (TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        if (!TheInGameMenu->failedShown && rig->IsAlive()) {
            LookAtTheRig(rig);
            for (int i = 0; i < 7; ++i) ConsoleUnit("nest_wasp", rig->GetPosition());
        }
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
    for (int i = 0; i < 2; ++i) ASSERT_NE(ConsoleUnit("gunner_bot", rig->GetPosition()), nullptr);
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
    ASSERT_NO_FATAL_FAILURE(LeaveTheLevel());
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    ASSERT_TRUE(ShotOfNextFrame(base + "/one_program_galaxy.png", shot));

    // Started again from the galaxy: a mission as new.
    ASSERT_TRUE(StartFromTheGalaxy(2, 11));
    EXPECT_GT(ShotsAtAScavenger(), 0) << "the rig of the mission after the abandoned one";
    ASSERT_TRUE(ShotOfNextFrame(base + "/one_program_last.png", shot));
    ASSERT_NO_FATAL_FAILURE(LeaveTheLevel());

    // Every level played has its replay, newest first: the last, the one abandoned, the camp won
    // again, the camp lost and the first mission won. The mission the program was about to make
    // at its start gave way to the first before it was made, and left none.
    const std::vector<ReplayListing> games = ReplayDirector::ListOf("Pilot");
    ASSERT_EQ(games.size(), 5u);
    for (const ReplayListing& game : games) EXPECT_TRUE(game.playable) << game.path << ": " << game.why;
    EXPECT_EQ(games[0].outcome, REPLAY_ABANDONED);
    EXPECT_EQ(games[1].outcome, REPLAY_ABANDONED);
    EXPECT_EQ(games[2].outcome, REPLAY_WON);
    EXPECT_NE(games[3].outcome, REPLAY_WON);
    EXPECT_NE(games[3].outcome, REPLAY_STOPPED);
    EXPECT_EQ(games[4].outcome, REPLAY_WON);
    int consoleOrders = 0;
    for (const ReplayListing& game : games) {
        Replay replay;
        std::string why;
        ASSERT_TRUE(ReplayDirector::Open(game.path.c_str(), &replay, &why)) << why;
        for (const ReplayTick& tick : replay.ticks)
            for (const PlayerOrder& order : tick.orders) consoleOrders += order.kind == ORDER_CONSOLE;
    }
    EXPECT_GE(consoleOrders, 8) << "the staging is in the replays";

    // Each plays the same game again, nothing drawn.
    for (const ReplayListing& game : games) {
        SCOPED_TRACE(game.path);
        ExpectTheSameGame(game.path);
        ASSERT_NO_FATAL_FAILURE(LeaveTheLevel());
        EXPECT_STREQ(GetPlayerProfile()->name, "Pilot");
    }
    // The walk's rows share out the longer checks: the row of 1/60 s frames plays the abandoned
    // third mission again drawn, looked at elsewhere, another unit selected; the other plays
    // each level in a program of its own, as a player runs "-verify".
    if (GetParam().frame < 0.05f) {
        ASSERT_NO_FATAL_FAILURE(PlayDrawnElsewhere(games[1].path));
        ASSERT_NO_FATAL_FAILURE(LeaveTheLevel());
        return;
    }
    Shutdown();
    started = false;
    for (const ReplayListing& game : games) {
        const newprocess::Outcome verified = newprocess::RunPhase(
            "ReplayProgram.DISABLED_VerifiesInANewProcess", {{newprocess::PHASE_DATA_HOME, base}, {"VELDMARK_REPLAY_FILE", game.path}});
        EXPECT_TRUE(verified.Passed()) << game.path << "\n" << verified.output;
    }
}

INSTANTIATE_TEST_SUITE_P(FirstMissionSession, OneProgram, testing::Values(WalkClock{"TenthSecondFrames", 0.1f}, WalkClock{"SixtiethSecondFrames", 1.0f / 60.0f}),
                         [](const testing::TestParamInfo<WalkClock>& info) { return std::string(info.param.name); });

}  // namespace
