// The first story mission as a newcomer meets it, in the real game: on Beginner the rig sent
// out toward the nearest lair sees whatever hits it and walks back out alive, on several
// levels; on the hardest difficulty the same walk costs more. On Beginner the first story
// mission is won by the rig alone, the second by the rig and two gunners of its factory, and in
// every story mission, opened by the player's hand, the rig walks up to the first target and
// lives.
#include "tests/app/FirstMissionSupport.h"

#include "gui/MessageDialogGui.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/WorldChecksum.h"
#include "world/Item.h"

#include <map>
#include <vector>

using namespace firstmission;

namespace {

// A machine so slow that every wait on the clock runs out at once: each reading of the wall
// clock is a second and a half after the last.
uint32_t Crawl()
{
    static uint32_t now = 0;
    return now += 1500;
}

// A machine the level is played on: its clock, which frames it draws, how many times one
// program plays the level, and whether a play in which the rig is lost comes between two.
struct Machine {
    const char* name;
    bool slow;
    int drawEvery;
    int plays;
    bool uneven = false;  // its frames of 1/144 s to a quarter second, mixed
    bool lostBetween = false;
    bool unevenEveryFrameDrawn = false;  // and every one of them drawn
};
void PrintTo(const Machine& machine, std::ostream* out) { *out << machine.name; }

// Where the level stands after its two minutes, on every machine and at every play.
constexpr uint64_t PINNED_END = 12476610473334106208ull;

class FirstMissionLevel : public FirstMissionSession, public testing::WithParamInterface<Machine> {
protected:
    // Every machine plays in the smallest window: the level's course owes nothing to the size of
    // the picture, and this way the pictures cost least.
    void SetUp() override
    {
        OnTheSmallestMachine();
        FirstMissionSession::SetUp();
    }
    // The second story mission from its start, played two minutes the same way on the machine.
    void PlayTwoMinutes(const Machine& machine)
    {
        SetWallClock(machine.slow ? Crawl : nullptr);
        const bool into = IntoTheFirstMission(99, 1);
        SetWallClock(nullptr);
        ASSERT_TRUE(into);
        Agent* rig = GetPlayerRig();
        Entity* beacon = Named("survey_beacon");
        Entity* camp = Named("Scavenger_camp");
        ASSERT_TRUE(rig && beacon && camp);
        ScopedGlobal<int> drawing{drawEvery, machine.drawEvery};
        // The hand looks once a second of play, so that a machine whose frames hold several
        // ticks gives its orders at the ticks a machine of even frames gives them.
        ScopedGlobal<int> looking{lookEvery, 10};
        ScopedGlobal<bool> uneven{unevenClock, machine.uneven};
        ScopedGlobal<bool> unevenDrawn{unevenEveryFrameDrawn, machine.unevenEveryFrameDrawn};
        // What the level says at the beacon holds the game until it is read: the player closes
        // it when the hand looks, and the level plays on, its two minutes whole.
        ScopedGlobal<std::function<void()>> reading{everyStep, [this] { ReadWhatTheLevelSays(); }};
        const float start = MissionTime;

        Key(DIK_TAB);
        ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "the key took the rig";
        Key(DIK_C, "c");
        EXPECT_GT(TheScanEffects.GetCooldown(rig), 0.0f) << "the Scan key scanned";
        const float scanned = MissionTime;
        Play(1.5f, 0.1f, [] { return true; });
        EXPECT_TRUE(TheEvents && TheEvents->oreDiscovered) << "the scan found the ore beside the landing site";

        FightYourWayTo(rig, beacon->GetPosition(), 5.0f, 0.0f, 100.0f);
        Key(DIK_TAB);  // the camera to the rig, and the beacon into the picture
        Play(2.0f, 0.1f, [] { return true; });
        const Objective* found = TheObjectives->FindByName(0, "survey_beacon");
        EXPECT_TRUE(found && (found->flags & OBJECTIVE_DONE)) << "the beacon was found";
        EXPECT_EQ(TheScanEffects.GetCooldown(rig), 0.0f) << "the scan's wait ran out " << MissionTime - scanned << " s after it";

        FightYourWayTo(rig, camp->GetPosition(), 8.0f, 20.0f, 120.0f - (MissionTime - start));
        Play(120.0f - (MissionTime - start), 0.1f, [] { return true; });
        const MwcGenerator mwc = RandomMWCState();
        SCOPED_TRACE(testing::Message() << "the level's generator at " << RandState() << ", the program's at " << mwc.z
                                        << " " << mwc.w);
        EXPECT_EQ(DrawsWhileLookOnly(), 0) << "draws of the game's sequences while drawing";
        EXPECT_GT(MissionTime - start, 119.0f) << "the level played its two minutes, nothing holding it";
        EXPECT_EQ(WorldChecksum(), PINNED_END) << "the pinned end of the level";
    }

    // The same mission played until its rig falls: brought down by nest wasps after it has
    // fought them, and the mission failed.
    void LoseTheRig()
    {
        ASSERT_TRUE(IntoTheFirstMission(99, 1));
        Agent* rig = GetPlayerRig();
        ASSERT_NE(rig, nullptr);
        {
            const WorldChangeScope staged;  // the walk's own staging, no hand of the player's
            rig->SetHealth(rig->GetMaxHealth() * 0.2f);
        }
        for (int i = 0; i < 7; ++i)
            if (!PlaceUnit("nest_wasp", rig->GetPosition(), ALIGN_ENEMY)) ADD_FAILURE() << "no ground for a wasp";
        ShotCount fired;
        PlayWithoutPictures(60.0f, 0.1f, [&] {
            fired.Step(rig);
            return !TheInGameMenu->failedShown;
        });
        ASSERT_TRUE(TheInGameMenu->failedShown) << "the wasps brought the rig down";
        EXPECT_GT(fired.shots, 0) << "the rig fought them";
    }
};

// A level's course follows from its seed and the player's orders alone, not from the machine's
// speed, nor from which frames are drawn, nor from what the program played before. The second
// story mission is played on a fast machine that draws every frame, on a machine so slow that
// every wait on the clock runs out (the loading's tips turn over at each phase, the warm-up does
// one draw a pass) and that draws every tenth frame, and on one that draws none, each a test of
// its own so that they play side by side; a fourth test plays it twice in one program (no frame
// drawn, the cheapest), the second time after the first has ended and left for the main menu,
// as a player who starts the mission again does, and after a play between them in which the rig
// fell and the mission was failed; a fifth plays it through the program's loop on
// a clock whose frames come unevenly, from 1/144 s to a quarter second, so that several of the
// world's ticks fall in one frame and none in others, once with some of its frames drawn and
// once with every one. Each time it is played two minutes the same way: the rig, taken by its key, scans
// where it lands with the Scan key, fights its way to the survey beacon, finds it, and goes on
// toward the camp. Nothing was drawn from the game's sequences while a frame or the loading
// screen was drawn, and every play ends at the pinned end, so that a machine that plays it
// otherwise, or a level that keeps something of the one before, fails here.
TEST_P(FirstMissionLevel, ALevelPlaysTheSameOnASlowMachineAsOnAFastOne)
{
    const Machine& machine = GetParam();
    for (int play = 1; play <= machine.plays && !HasFatalFailure(); ++play) {
        SCOPED_TRACE(testing::Message() << "play " << play << " of the program");
        if (play > 1 && machine.lostBetween) {
            ASSERT_NO_FATAL_FAILURE(LoseTheRig());
        }
        PlayTwoMinutes(machine);
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, FirstMissionLevel,
                         testing::Values(Machine{"FastEveryFrameDrawn", false, 1, 1},
                                         Machine{"SlowEveryTenthFrameDrawn", true, 10, 1},
                                         Machine{"FastNoFrameDrawn", false, 0, 1},
                                         Machine{"FastNoFrameDrawnTwiceInOneProgram", false, 0, 2, false, true},
                                         Machine{"UnevenFrames", false, 1, 1, true},
                                         Machine{"UnevenFramesEveryOneDrawn", false, 1, 1, true, false, true}),
                         [](const testing::TestParamInfo<Machine>& info) { return std::string(info.param.name); });

// The player's hand gives orders between ticks: a key's or a click's order waits, the world
// untouched, for the next tick. The orders each tick took, fed again at the same ticks into the
// same level played anew with no hand at all, play the same game to the same end.
TEST_F(FirstMissionSession, AnOrderWaitsForTheNextTickAndTheSameOrdersFedPlayTheSameGame)
{
    ASSERT_TRUE(IntoTheFirstMission(99, 1));
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    ASSERT_EQ(TheOrders.Waiting(), 0u);
    const int first = WorldTicks.count;
    const uint64_t startSum = WorldChecksum();
    // The orders of each tick after the first, as the ticks took them.
    std::map<int, std::vector<PlayerOrder>> taken;
    // Where the world stood after each tick, to say where a second play parts from it.
    std::map<int, uint64_t> sums;
    auto frame = [&taken, &sums, first] {
        const int before = WorldTicks.count;
        Passes(1, 0.02f);
        ASSERT_LE(WorldTicks.count, before + 1) << "a frame of 1/50 s runs one tick at most";
        if (WorldTicks.count > before) sums[WorldTicks.count - first] = WorldChecksum();
        if (WorldTicks.count > before && !TheOrders.LastTaken().empty())
            taken[WorldTicks.count - first] = TheOrders.LastTaken();
    };
    auto untilTick = [&frame] {
        const int before = WorldTicks.count;
        for (int i = 0; i < 10 && WorldTicks.count == before; ++i) frame();
    };
    auto key = [](int dik, const char* character) {
        InputScript::KeyDown(dik);
        if (character) InputScript::Type(character);
        InputScript::KeyUp(dik);
        int exitCode = 0;
        DrainMessages(&exitCode);
    };

    key(DIK_TAB, nullptr);
    untilTick();
    ASSERT_EQ(TheGame->GetFirstSelected(), rig);
    // The Scan key: its order waits, and the world with it, until the next tick scans.
    const uint64_t beforeScan = WorldChecksum();
    key(DIK_C, "c");
    EXPECT_EQ(TheOrders.Waiting(), 1u);
    EXPECT_EQ(TheScanEffects.GetCooldown(rig), 0.0f) << "no scan before the next tick";
    EXPECT_EQ(WorldChecksum(), beforeScan) << "the world untouched between ticks";
    untilTick();
    EXPECT_GT(TheScanEffects.GetCooldown(rig), 0.0f) << "the next tick scanned";
    for (int i = 0; i < 25; ++i) frame();

    // A right click on open ground: the rig sets off at the tick after the click.
    Vec3 goal;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition() + Vec3(20.0f, 0.0f, 0.0f), &goal));
    int x = 0, y = 0;
    ASSERT_TRUE(OnScreen(goal, &x, &y));
    playerhand::MoveMouseTo(x, y, frame);
    playerhand::Click(1, frame);
    for (int i = 0; i < 150; ++i) frame();
    // Hold position, then the move key and a left click further on.
    key(DIK_X, "x");
    frame();
    key(DIK_M, "m");
    frame();
    bool seen = false;
    for (const Vec3& off : {Vec3(-10.0f, 0.0f, 0.0f), Vec3(0.0f, 0.0f, -10.0f), Vec3(0.0f, 0.0f, 10.0f), Vec3(6.0f, 0.0f, 0.0f)})
        seen = seen || (FindOpenGround(rig->GetPosition() + off, &goal) && OnScreen(goal, &x, &y));
    ASSERT_TRUE(seen) << "open ground on the screen beside the rig";
    playerhand::MoveMouseTo(x, y, frame);
    playerhand::Click(0, frame);
    for (int i = 0; i < 250; ++i) frame();
    const int ticks = WorldTicks.count - first;
    EXPECT_GE(taken.size(), 3u) << "the scan, the move and the move key's click each took a tick";

    // The same level anew, its orders fed at their ticks and the hand's dropped.
    ASSERT_TRUE(IntoTheFirstMission(99, 1));
    const int again = WorldTicks.count;
    EXPECT_EQ(WorldChecksum(), startSum) << "the level starts as it started";
    ScopedGlobal<bool> fed{TheOrders.fedByReplay, true};
    while (WorldTicks.count - again < ticks && !HasFailure()) {
        const auto orders = taken.find(WorldTicks.count - again + 1);
        TheOrders.FeedForTick(orders != taken.end() ? orders->second : std::vector<PlayerOrder>());
        const int before = WorldTicks.count;
        PlayWithoutPictures(0.02f, 0.02f, [] { return true; });
        ASSERT_LE(WorldTicks.count, before + 1);
        const int tick = WorldTicks.count - again;
        if (WorldTicks.count > before) {
            ASSERT_EQ(WorldChecksum(), sums[tick]) << "the second play parts from the first at tick " << tick << ", "
                                                   << (taken.count(tick) ? "where orders were fed" : "with no order");
        }
    }
    EXPECT_EQ(WorldTicks.count - again, ticks) << "the same orders at the same ticks played the same game to its end";
}

// The heal key (F1: the hotbar's first slot, where a new pilot's health cannisters lie) with the
// rig's group selected, a gunner leading it: the rig is healed at the next tick, and with its
// hull whole the key says so and keeps the cannister.
TEST_F(FirstMissionSession, TheHealKeyHealsTheRigAtTheNextTickWhateverIsSelected)
{
    ASSERT_TRUE(IntoTheFirstMission(99));
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Agent* gunner = PlaceUnit("gunner_bot", rig->GetPosition());
    ASSERT_NE(gunner, nullptr);
    ASSERT_NE(PlayerInventory, nullptr);
    const BagSlot& hotbar = PlayerInventory->slots[0];
    ASSERT_TRUE(hotbar.item && StrICmp(hotbar.item->name, "health_cannister") == 0);
    Passes(2, 0.02f);
    // The gunner clicked, the rig added with Shift: the group, the gunner first.
    ASSERT_TRUE(ClickAt(gunner->GetCenter(), 0));
    InputScript::KeyDown(DIK_LSHIFT);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    InputScript::KeyUp(DIK_LSHIFT);
    Passes(1, 0.02f);
    ASSERT_EQ(TheGame->hand.selected.count, 2);
    ASSERT_EQ(TheGame->GetFirstSelected(), gunner);

    auto pressUntilTick = [](float* between) {
        InputScript::KeyDown(DIK_F1);
        InputScript::KeyUp(DIK_F1);
        int exitCode = 0;
        DrainMessages(&exitCode);
        *between = GetPlayerRig()->health;
        const int before = WorldTicks.count;
        for (int i = 0; i < 10 && WorldTicks.count == before; ++i) Passes(1, 1.0f / 60.0f);
        EXPECT_EQ(WorldTicks.count, before + 1);
    };
    const float damaged = rig->GetMaxHealth() * 0.25f;
    rig->health = damaged;
    const int kits = hotbar.item->stackCount;
    float between = 0.0f;
    pressUntilTick(&between);
    EXPECT_FLOAT_EQ(between, damaged) << "nothing before the next tick";
    EXPECT_GT(rig->health, damaged) << "healed at the next tick";
    ASSERT_NE(hotbar.item, nullptr);
    EXPECT_EQ(hotbar.item->stackCount, kits - 1);
    EXPECT_EQ(TheGame->hand.selected.count, 2) << "the selection is the player's own";

    rig->health = rig->GetMaxHealth();
    pressUntilTick(&between);
    ASSERT_NE(hotbar.item, nullptr);
    EXPECT_EQ(hotbar.item->stackCount, kits - 1) << "a whole hull takes no cannister";
    ASSERT_NE(TheGame->messageBar->Newest(), nullptr);
    EXPECT_STREQ(TheGame->messageBar->Newest()->text, "The rig's hull is already whole!");
}

TEST_F(FirstMissionSession, OnBeginnerTheRigSeesWhatHitsItAndWalksBackOutOfALair)
{
    for (int seed : {11, 22, 33}) {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(IntoTheFirstMission(seed));
        const LairWalk walk = WalkToTheLairAndBack();
        EXPECT_TRUE(walk.reachedTrouble) << "the lair's beasts came for the rig";
        EXPECT_EQ(walk.hitsFromTheDark, 0) << "of " << walk.hits << " hits";
        EXPECT_TRUE(walk.aliveAtHome) << "the rig got home, after " << walk.damage << " damage";
    }
}

TEST_F(FirstMissionSession, OnTheHardestDifficultyTheSameWalkCostsMore)
{
    LairWalk walks[2];
    const int difficulties[2] = {0, 2};
    for (int i = 0; i < 2; ++i) {
        Config->Difficulty = difficulties[i];
        ASSERT_TRUE(IntoTheFirstMission(22));
        walks[i] = WalkToTheLairAndBack();
        ASSERT_TRUE(walks[i].reachedTrouble) << "difficulty " << difficulties[i];
    }
    Config->Difficulty = 0;
    // The rig shoots the beasts as they come, so a lair seldom fills to its limit (the limits
    // by difficulty are the buildings' own test); it never keeps fewer.
    EXPECT_GE(walks[1].mostBeastsOfTheLair, walks[0].mostBeastsOfTheLair) << "a lair keeps as many beasts at once";
    ASSERT_GT(walks[0].hits, 0);
    ASSERT_GT(walks[1].hits, 0);
    EXPECT_GT(walks[1].damage / walks[1].hits, 1.3f * walks[0].damage / walks[0].hits) << "and each of their hits hurts more";
}

// On the hardest difficulty, a pilot of the second mission's level whose lone rig is sent into
// its camp by a right click on the minimap loses the rig, and the mission is failed; "Restart
// Mission" on the failed window starts the level anew, where the pilot scans and walks off
// before giving up with "Abort Mission". Both games are kept replays: the lost level and the
// restarted one.
class OnTheHardestDifficulty : public FirstMissionSession {
protected:
    void SetUp() override
    {
        StartAsPilot("hardest", "mainMenuEnabled false\ncurrentprofile Pilot\nDifficulty 2\n",
                     {{"attachleft", "unit\t\tgunner_bot\nattachleft"}, SecondMissionsExperience()});
    }
};

TEST_F(OnTheHardestDifficulty, ALoneRigSentIntoTheCampIsLostAndTheMissionRestarted)
{
    ASSERT_TRUE(IntoTheFirstMission(22, 1));
    ScopedGlobal<std::function<void()>> reading{everyStep, [this] { ReadWhatTheLevelSays(); }};
    Agent* rig = GetPlayerRig();
    Entity* camp = Named("Scavenger_camp");
    ASSERT_TRUE(rig && camp);
    Key(DIK_TAB);
    ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "the key took the rig";
    RightClickOnMinimap(camp->GetPosition());
    Play(400.0f, 0.1f, [] { return !TheInGameMenu->failedShown; });
    ASSERT_TRUE(TheInGameMenu->failedShown) << "the camp brought the rig down";

    ClickOn(FindButton(TheInGameMenu->failedWindow, "Restart Mission"));
    UntilPlaying();
    ASSERT_FALSE(TheInGameMenu->failedShown);
    if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
    rig = GetPlayerRig();
    ASSERT_TRUE(rig && rig->IsAlive()) << "the restarted level has its rig";
    Key(DIK_TAB);
    Key(DIK_C, "c");
    RightClickOnMinimap(rig->GetPosition() + Vec3(30.0f, 0.0f, 30.0f));
    Play(20.0f, 0.1f, [] { return true; });
    Press(DIK_ESCAPE);
    ClickOn(FindButton(TheInGameMenu->menuWindow, "Abort Mission"));
    if (TheConfirmationDialog && TheConfirmationDialog->IsVisible()) ClickOn(FindButton(TheConfirmationDialog->window, "YES"));
    Passes(2, 0.05f);
    ASSERT_NE(TheGame->state, GAME_STATE_PLAYING) << "the mission was left";

    ExpectTheKeptReplay("mission_restarted");
    ExpectTheKeptReplay("mission_lost", 1);
}

// A newcomer who builds what the objectives ask, mines, and answers a hit on the rig with a
// right click on the attacker wins the first two story missions on Beginner, level after
// level; one level of each is played in the whole program, drawn, the rest without pictures.
// On 52 and 195 the nearest crystal lies across three cells. The second mission is won by a
// pilot who chose the scout to start with as well as by one who
// chose the gunner. One level plays on after the win and loses the rig: the mission stays won.
// The third, fourth and sixth story missions are played as their briefings plan them (a factory
// and two gunners, ore for them and for the relics, the repairs or the tablet, each guarded
// target stopped short of and its guards drawn out by the gunners; the relics worked free, the
// anti-air guns destroyed and then the cannons repaired, or the tablet and the buried relic
// worked on and the nests razed) on the levels three galaxies give them; so are the fifth,
// seventh and eighth (the eighth by a pilot whose points went to the skills, as a pilot of its
// level has them: the computer and the band nearest first, the leader among them, the rig back
// at the factory for a new gunner whenever one fell).
// Each level is a game of its own, so that the table's levels play side by side. The drawn
// levels of the first two missions are kept replays, left by "Exit Mission" once won.
struct ScriptedLevel {
    int story;
    int seed;
    bool drawn;
    const char* bot;  // the pilot's starting bot
    bool playOn;      // "Continue Playing" after the win, and the rig lost
    const char* galaxy = nullptr;  // the pilot's galaxy, whose own seed the mission's body has
    const char* kept = nullptr;    // the kept replay its game is, left by "Exit Mission"
    // The skills the pilot's points went to on the way (two a level), speed to range.
    const char* skills = nullptr;
};

const ScriptedLevel SCRIPTED_LEVELS[] = {
    {0, 11, true, "gunner_bot", false, nullptr, "first_mission_won"},
    {0, 22, false, "gunner_bot", false},   {0, 33, false, "gunner_bot", false},
    {0, 44, false, "gunner_bot", false},   {0, 55, false, "gunner_bot", false},   {0, 66, false, "gunner_bot", false},
    {0, 77, false, "gunner_bot", false},   {0, 88, false, "gunner_bot", false},   {0, 52, false, "gunner_bot", false},
    {0, 195, false, "gunner_bot", false},  {1, 22, true, "gunner_bot", false, nullptr, "second_mission_won"},
    {1, 44, false, "gunner_bot", true},
    {1, 99, false, "gunner_bot", false},   {1, 101, false, "gunner_bot", false},  {1, 33, false, "gunner_bot", false},
    {1, 11, false, "gunner_bot", false},   {1, 22, false, "scout_bot", false},    {1, 44, false, "scout_bot", false},
    {1, 99, false, "scout_bot", false},    {1, 101, false, "scout_bot", false},
    {2, 0, false, "gunner_bot", false, "1111"}, {2, 0, false, "gunner_bot", false, "7"},
    {2, 0, false, "gunner_bot", false, "2026"},
    {3, 0, false, "gunner_bot", false, "1111"}, {3, 0, false, "gunner_bot", false, "7"},
    {3, 0, false, "gunner_bot", false, "2026"},
    {5, 0, false, "gunner_bot", false, "1111"}, {5, 0, false, "gunner_bot", false, "7"},
    {5, 0, false, "gunner_bot", false, "2026"},
    {4, 0, false, "gunner_bot", false, "1111"}, {4, 0, false, "gunner_bot", false, "7"},
    {4, 0, false, "gunner_bot", false, "2026"},
    {6, 0, false, "gunner_bot", false, "1111"}, {6, 0, false, "gunner_bot", false, "7"},
    {6, 0, false, "gunner_bot", false, "2026"},
    {7, 0, false, "gunner_bot", false, "1111", nullptr, "2 5 3 2 0 0"}, {7, 0, false, "gunner_bot", false, "7", nullptr, "2 5 3 2 0 0"},
    {7, 0, false, "gunner_bot", false, "2026", nullptr, "2 5 3 2 0 0"},
};

class ScriptedWin : public FirstMissionSession, public testing::WithParamInterface<ScriptedLevel> {
protected:
    void SetUp() override
    {
        std::vector<std::pair<std::string, std::string>> edits = {
            {"attachleft", std::string("unit\t\t") + GetParam().bot + "\nattachleft"}};
        if (GetParam().galaxy)
            edits.push_back({std::string("galaxyseed\t") + GALAXY_SEED, std::string("galaxyseed\t") + GetParam().galaxy});
        // A kept game's pilot has the second mission's level in the profile, as the first
        // mission's experience gives it, not only in the game's memory: its replay starts it so.
        if (GetParam().kept && GetParam().story > 0) edits.push_back(SecondMissionsExperience());
        if (GetParam().skills) edits.push_back({"skills\t0 0 0 0 0 0", std::string("skills\t") + GetParam().skills});
        if (!GetParam().kept) OnTheSmallestMachine();
        StartAsPilot("scriptedwin", "mainMenuEnabled false\ncurrentprofile Pilot\nDifficulty 0\n", edits);
    }
};

TEST_P(ScriptedWin, OnBeginnerTheBriefingsRefineryAndOreWinTheMissionWithTheRigAlive)
{
    const ScriptedLevel& level = GetParam();
    ASSERT_TRUE(IntoTheFirstMission(level.seed, level.story));
    const int mission = TheGalaxy->selectedBody->missionId;
    ScopedGlobal<int> drawing{drawEvery, level.drawn ? 10 : 0};
    ScopedGlobal<CuttingWatch> cutting{watch, CuttingWatch{}};
    // What a later mission says on the way holds the game until it is read: the player
    // closes it when the hand looks (the second mission's word at the beacon is closed there).
    std::function<void()> read = [this] {
        if (TheMessageWindow && TheMessageWindow->shown && !TheMessageWindow->missionComplete)
            ClickOn(TheMessageWindow->closeTextButton);
    };
    ScopedGlobal<std::function<void()>> reading{everyStep, level.story >= 2 ? read : everyStep};
    const bool won = level.story == 0   ? WinTheFirstMission()
                     : level.story == 1 ? WinTheSecondMission(level.bot)
                     : level.story == 2 ? WinTheThirdMission(level.bot)
                     : level.story == 3 ? WinTheFourthMission(level.bot)
                     : level.story == 4 ? WinTheFifthMission(level.bot)
                     : level.story == 5 ? WinTheSixthMission(level.bot)
                     : level.story == 6 ? WinTheSeventhMission(level.bot)
                                        : WinTheEighthMission(level.bot);
    ASSERT_TRUE(won) << "the mission is won";
    // A rig at its cutting beside ore brings ore in: it never stands there long for nothing.
    EXPECT_LT(watch.longest, 10.0f) << "seconds the rig stood cutting while no ore came in";
    if (level.kept) {
        ClickOn(TheMessageWindow->exitButton);
        ASSERT_NE(TheGame->state, GAME_STATE_PLAYING) << "the won mission was left";
        ExpectTheKeptReplay(level.kept);
    }
    if (!level.playOn) return;

    // Played on, and the rig, worn down by the camp, lost to the level's spiders: the mission ends
    // as "Exit Mission" ends it.
    ClickOn(TheMessageWindow->continueButton);
    ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    Agent* rig = GetPlayerRig();
    {
        const WorldChangeScope staged;  // the walk's own staging, no hand of the player's
        rig->SetHealth(rig->GetMaxHealth() * 0.1f);
    }
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
    Press(DIK_TAB);  // the camera to the rig
    int spiders = 0;
    for (int i = 0; i < 12; ++i) spiders += PlaceUnit("spider", rig->GetPosition(), ALIGN_ENEMY) != nullptr;
    EXPECT_GT(spiders, 0);
    PlayWithoutPictures(120.0f, 0.1f, [] { return TheGame->state == GAME_STATE_PLAYING && !TheInGameMenu->failedShown; });
    Passes(2, 0.05f);
    EXPECT_NE(TheGame->state, GAME_STATE_PLAYING) << "the spiders brought the rig down, and with it the level";
    EXPECT_FALSE(TheInGameMenu->failedShown) << "the won mission was failed";
    EXPECT_TRUE(TheResultsScreen && TheResultsScreen->IsOpen()) << "the results of the won mission";
    EXPECT_TRUE(GetPlayerProfile()->IsMissionCompleted(mission));
}

// A row's name, also as the test lists it: the same in every build (ctest keeps each test's time
// under its name, to start the longest first).
std::string NameOf(const ScriptedLevel& level)
{
    return "Story" + std::to_string(level.story) +
           (level.galaxy ? std::string("Galaxy") + level.galaxy : "Seed" + std::to_string(level.seed)) +
           (level.bot[0] == 's' ? "Scout" : "") + (level.playOn ? "PlayedOn" : "");
}
void PrintTo(const ScriptedLevel& level, std::ostream* out) { *out << NameOf(level); }

INSTANTIATE_TEST_SUITE_P(FirstMissionSession, ScriptedWin, testing::ValuesIn(SCRIPTED_LEVELS),
                         [](const testing::TestParamInfo<ScriptedLevel>& info) { return NameOf(info.param); });

TEST_F(FirstMissionSession, OnBeginnerTheRigFindsTheBeaconAndRazesTheCampOfTheSecondMission)
{
    ASSERT_TRUE(IntoTheFirstMission(7, 1));
    ASSERT_TRUE(WinTheSecondMission()) << "the mission is won";

    // "Exit Mission": the results of a won mission, with the mission's credits.
    ClickOn(TheMessageWindow->exitButton);
    ASSERT_TRUE(TheResultsScreen && TheResultsScreen->IsOpen());
    EXPECT_STREQ(TheResultsScreen->creditsLabel->GetText(), "400");
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/second_mission_results.png", shot));
    Pixels picture = ToPixels(shot);
    EXPECT_TRUE(MatchesReference(picture, "second_mission_results", {12, picture.width * picture.height / 50}));
}

// Each story mission's first target stands among guards; on Beginner the rig walked up to it,
// answering what attacks it and turning for home once a third of its hull is gone, as the
// newcomer at the lair does, lives. Each mission opens as a newcomer's hand opens it (the scan,
// the factory carried on the cursor and put down, a bot queued, the bag used, the heal key)
// before the walk, and is left through the menu after it: its game is a kept replay. The second
// is saved and loaded from the menu between the two.
TEST_F(FirstMissionSession, OnBeginnerTheRigWalkedToEachStoryMissionsFirstTargetLives)
{
    // What a level says on the way (its units find what it tells of wherever the camera looks)
    // holds the game until it is read: the player closes it and walks on.
    ScopedGlobal<std::function<void()>> reading{everyStep, [this] { ReadWhatTheLevelSays(); }};
    for (int story = 1; story < 8; ++story) {
        SCOPED_TRACE(story);
        // The pilot has the experience of the level the mission asks, as the missions before it
        // leave one: the level its replay's profile gives it again.
        CelestialBody* body = TheGalaxy->FindBodyByStoryId(story);
        ASSERT_NE(body, nullptr);
        GetPlayerProfile()->experience = std::max(GetPlayerProfile()->experience, LevelThreshold(body->levelMin));
        ASSERT_TRUE(IntoTheFirstMission(11, story));
        ASSERT_NO_FATAL_FAILURE(PlayTheOpening());
        // The second mission is saved from the menu after its opening, and the save loaded at
        // once: the walk goes on in the loaded level, and both levels are kept games.
        const bool reloaded = story == 1;
        if (reloaded) {
            ReadWhatTheLevelSays();
            ASSERT_NO_FATAL_FAILURE(SaveAs("opened"));
            ASSERT_NO_FATAL_FAILURE(LoadFromTheMenu("opened"));
        }
        Agent* rig = GetPlayerRig();
        ASSERT_NE(rig, nullptr);
        // The first target with free ground beside it, where the rig is sent.
        const Vec3 home = rig->GetPosition();
        Entity* target = nullptr;
        Vec3 to;
        for (auto* node = TheObjectives->list.head; node && !target; node = node->next) {
            target = Named(node->value->target);
            const Vec3 at = target ? target->GetPosition() : Vec3();
            if (target && !FindFreeCellNear(&to, target, home, 0.0f, &at)) target = nullptr;
        }
        ASSERT_NE(target, nullptr) << "an objective names something in the level";
        bool reached = false, turned = false;
        float standing = 0.0f;
        Play(400.0f, 0.1f, [&] {
            reached |= GroundDistance(rig->GetPosition(), to) < 6.0f;
            if (reached && !turned && (standing += 0.1f) > 30.0f) return false;
            if (!turned && rig->health < rig->GetMaxHealth() * (2.0f / 3.0f)) {
                SendRig(rig, home);
                turned = true;
            } else if (!turned && !reached && !(rig->classWord & AGENT_MOVING)) {
                SendRig(rig, to);
            }
            return rig->IsAlive() && !(turned && GroundDistance(rig->GetPosition(), home) < 10.0f);
        });
        EXPECT_TRUE(reached || turned) << target->name;
        EXPECT_TRUE(rig->IsAlive()) << target->name;

        // Left through the menu: the level's game is kept.
        ReadWhatTheLevelSays();
        Press(DIK_ESCAPE);
        ClickOn(FindButton(TheInGameMenu->menuWindow, "Abort Mission"));
        if (TheConfirmationDialog && TheConfirmationDialog->IsVisible()) ClickOn(FindButton(TheConfirmationDialog->window, "YES"));
        Passes(2, 0.05f);
        ASSERT_NE(TheGame->state, GAME_STATE_PLAYING) << "the mission was left";
        if (reloaded) ExpectTheKeptReplay("story" + std::to_string(story) + "_loaded");
        ExpectTheKeptReplay("story" + std::to_string(story) + "_opening", reloaded ? 1 : 0);
    }
}


// The camp of the second mission as a newcomer played it: the rig and two bots of the pilot's
// choice, grouped with Shift-clicks and Ctrl+1, sent by a right click on the minimap beside the
// camp; there the tent is right-clicked for the group, then, the rig clicked and Tab pressed,
// for the rig alone; the guards are never clicked, and the heal key mends the rig twice. Every
// hit on the rig is one it can answer (its attacker known to it), and while a guard within its
// reach beats it the rig shoots back within moments; a rig that lives sees the camp fall.
// Moved in instead by a right click on the camp's own mark on the minimap, into the guards, the
// group is told onto the tent and the rig, after Tab, onto the ground beside it: the rig and its
// bots raze the camp and the rig lives; so do a mortar bot and a heavy tank, whose slow guns
// reload between shots. Whatever the row, no unit of the group stands beaten (the watch of
// every whole game).
struct CampLevel {
    int seed;  // the level's seed; 0: the one the galaxy gives the mission's planet
    const char* bot;
    const char* galaxy = nullptr;  // the pilot's galaxy, when not the walks' own
    bool movedIn = false;          // sent to the camp's centre by the minimap, not short of it
    const char* second = nullptr;  // the other bot's type, when not the first's
};

class CampByTheTent : public FirstMissionSession, public testing::WithParamInterface<CampLevel> {
protected:
    void SetUp() override
    {
        std::vector<std::pair<std::string, std::string>> edits = {
            {"attachleft", std::string("unit\t\t") + GetParam().bot + "\nattachleft"}};
        if (GetParam().galaxy)
            edits.push_back({std::string("galaxyseed\t") + GALAXY_SEED, std::string("galaxyseed\t") + GetParam().galaxy});
        OnTheSmallestMachine();
        StartAsPilot("campbythetent", "mainMenuEnabled false\ncurrentprofile Pilot\nDifficulty 0\n", edits);
    }
};

TEST_P(CampByTheTent, TheRigSentAtTheTentAnswersTheGuardsThatBeatIt)
{
    ASSERT_TRUE(IntoTheFirstMission(GetParam().seed, 1));
    Agent* rig = GetPlayerRig();
    Entity* camp = Named("Scavenger_camp");
    ASSERT_TRUE(rig && camp);
    std::vector<Agent*> bots;
    for (const char* type : {GetParam().bot, GetParam().second ? GetParam().second : GetParam().bot})
        bots.push_back(PlaceUnit(type, rig->GetPosition()));
    ASSERT_TRUE(bots[0] && bots[1]);
    TheGame->CenterCameraOnEntity(rig);
    Passes(2, 0.05f);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    InputScript::KeyDown(DIK_LSHIFT);
    for (Agent* bot : bots) ASSERT_TRUE(ClickAt(bot->GetCenter(), 0));
    InputScript::KeyUp(DIK_LSHIFT);
    InputScript::KeyDown(DIK_LCONTROL);
    Press(DIK_1);
    InputScript::KeyUp(DIK_LCONTROL);
    ASSERT_EQ(TheGame->hand.selected.count, 3) << "the rig and its bots are one group";
    // The minimap's point a dozen paces short of the camp, on the rig's side, or the camp's own.
    const Vec3 campAt = camp->GetPosition(), toRig = rig->GetPosition() - campAt;
    const Vec3 short_ = campAt + toRig * (12.0f / std::max(GroundDistance(rig->GetPosition(), campAt), 12.0f));
    RightClickOnMinimap(GetParam().movedIn ? campAt : short_);

    // What the rig goes through, every step: a hit that adds less to what it knows of its
    // attackers than it takes is one it cannot answer; a guard within its reach that hit it in
    // the last two seconds, while the rig shoots none of its attackers, counts as a beating.
    const auto campId = camp->id;
    float lastHealth = rig->health, known = 0.0f, unanswerable = 0.0f, beaten = 0.0f, longestBeating = 0.0f;
    int heals = 0, shotsAtAttackers = 0;
    bool hit = false;
    float sinceHeal = 99.0f;
    std::string beatingAt;
    auto watch = [&] {
        float sum = 0.0f;
        bool beatenNow = false;
        for (int i = 0; i < rig->threatCount; ++i) {
            sum += rig->threats[i].threat;
            Entity* attacker = rig->threats[i].attacker.GetLive();
            beatenNow |= attacker && MissionTime - rig->threats[i].lastHit < 2.0f &&
                         GroundDistance(attacker->GetPosition(), rig->GetPosition()) < rig->GetAttackRange();
        }
        hit |= rig->health < lastHealth;
        if (rig->health < lastHealth && sum - known < 0.5f * (lastHealth - rig->health))
            unanswerable += lastHealth - rig->health;
        known = sum;
        lastHealth = rig->health;
        bool shooting = false;
        for (auto* n = TheProjectiles->beams.head; n; n = n->next)
            shooting |= n->value->shooter.Get() == rig && rig->FindThreat(n->value->target.Get());
        for (auto* n = TheProjectiles->projectiles.head; n; n = n->next)
            shooting |= n->value->shooter.Get() == rig && rig->FindThreat(n->value->target.Get());
        shotsAtAttackers += shooting;
        // A plain move is obeyed to the letter: the rig answers once it stands.
        const bool walking = rig->HasStanceBits() && rig->brain && rig->brain->mode != AI_MODE_ATTACK;
        beaten = beatenNow && !shooting && !walking ? beaten + 0.1f : 0.0f;
        if (beaten > longestBeating) {
            longestBeating = beaten;
            const Job* job = rig->brain ? rig->brain->job : nullptr;
            beatingAt = std::string("at ") + std::to_string(MissionTime) + " s, mode " +
                        AIBrain::GetModeName(rig->brain ? rig->brain->mode : AI_MODE_NONE) + ", job " +
                        (job ? job->name : "none") + ", target " + (rig->target.Get() ? rig->target.Get()->name : "none");
        }
        // The heal key, as the newcomer pressed it, with the rig alone selected.
        sinceHeal += 0.1f;
        if (rig->IsAlive() && rig->health < rig->GetMaxHealth() * 0.5f && heals < 2 && sinceHeal > 8.0f &&
            TheGame->hand.selected.count == 1 && TheGame->GetFirstSelected() == rig) {
            Key(DIK_H, "h");
            ++heals;
            sinceHeal = 0.0f;
        }
        return rig->IsAlive() && camp->id == campId && camp->IsAlive();
    };
    Play(150.0f, 0.1f, [&] { return watch() && (GroundDistance(rig->GetPosition(), campAt) > 16.0f || rig->HasStanceBits()); });
    ASSERT_LT(GroundDistance(rig->GetPosition(), campAt), 16.0f) << "the group got to the camp";
    Play(8.0f, 0.1f, watch);

    // The tent for the group, then for the rig alone.
    if (rig->IsAlive() && camp->IsAlive()) {
        TheGame->CenterCameraOnEntity(camp);
        Passes(2, 0.05f);
        ASSERT_TRUE(ClickAt(camp->GetCenter(), 1));
        Play(3.0f, 0.1f, watch);
        TheGame->CenterCameraOnEntity(rig);
        Passes(2, 0.05f);
        ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
        Press(DIK_TAB);
        TheGame->CenterCameraOnEntity(camp);
        Passes(2, 0.05f);
        if (GetParam().movedIn) {
            // The click meant for the tent lands on the ground beside it: where the cursor
            // rests over no unit (a guard standing on that ground would take the click as an
            // order to attack it), as a newcomer's click on the ground does.
            Vec3 beside;
            ASSERT_TRUE(FindFreeCellNear(&beside, camp, rig->GetPosition(), 0.0f, nullptr));
            const Vec3 free = beside;
            int x = 0, y = 0;
            for (int turn = 0; turn <= 12; ++turn) {
                const float angle = 0.5236f * (float)turn;
                beside = free + Vec3(std::cos(angle), 0.0f, std::sin(angle)) * (turn > 0 ? 3.0f : 0.0f);
                ASSERT_TRUE(OnScreen(beside, &x, &y));
                MoveMouseTo(x, y);
                if (!TheGame->hoveredEntity) break;
            }
            ASSERT_EQ(TheGame->hoveredEntity, nullptr) << "ground beside the tent with no unit over it";
            Click(1);
        } else {
            ASSERT_TRUE(ClickAt(camp->GetCenter(), 1));
        }
        ASSERT_EQ(TheGame->GetFirstSelected(), rig);
        Play(150.0f, 0.1f, watch);
    }
    // (A fire still burning once its flamer is dead is the one hit left without an attacker.)
    EXPECT_LT(unanswerable, 0.05f * rig->GetMaxHealth()) << "damage the rig took from attackers it could not know";
    // (Its bots may finish the guards before one reaches the rig: then it had none to answer.)
    EXPECT_TRUE(!hit || shotsAtAttackers > 0) << "the rig shot at the guards that beat it";
    EXPECT_LE(longestBeating, 3.0f) << "seconds a guard within reach beat the rig while it shot none of them, " << beatingAt;
    if (rig->IsAlive()) {
        EXPECT_FALSE(camp->id == campId && camp->IsAlive()) << "the rig, living, razed the camp";
    }
    if (GetParam().movedIn) {
        EXPECT_TRUE(rig->IsAlive()) << "moved in on Beginner, the rig lives";
        EXPECT_FALSE(camp->id == campId && camp->IsAlive()) << "the group razed the camp";
    }
}

const CampLevel CAMP_LEVELS[] = {
    {22, "scout_bot"},  {44, "scout_bot"},  {99, "scout_bot"},  {101, "scout_bot"},
    {22, "gunner_bot"}, {44, "gunner_bot"}, {99, "gunner_bot"}, {101, "gunner_bot"},
    {0, "scout_bot", "1111", true},  {0, "scout_bot", "3333", true},  {0, "scout_bot", "1003", true},
    {0, "scout_bot", "2222", true},  {0, "gunner_bot", "1111", true}, {0, "gunner_bot", "3333", true},
    {0, "gunner_bot", "1003", true}, {0, "gunner_bot", "2222", true},
    // The slow guns: a mortar between shells and a tank between plasma bolts fight on.
    {0, "mortar_bot", "1111", true, "heavy_tank"}};
std::string NameOf(const CampLevel& level)
{
    auto title = [](const char* type) {
        return std::string(type[0] == 's' ? "Scout" : type[0] == 'g' ? "Gunner" : type[0] == 'm' ? "Mortar" : "Tank");
    };
    const std::string bot = title(level.bot) + (level.second ? title(level.second) : "");
    if (level.movedIn) return std::string("MovedInGalaxy") + level.galaxy + bot;
    return "Seed" + std::to_string(level.seed) + bot;
}
void PrintTo(const CampLevel& level, std::ostream* out) { *out << NameOf(level); }

INSTANTIATE_TEST_SUITE_P(FirstMissionSession, CampByTheTent, testing::ValuesIn(CAMP_LEVELS),
                         [](const testing::TestParamInfo<CampLevel>& info) { return NameOf(info.param); });

}  // namespace
