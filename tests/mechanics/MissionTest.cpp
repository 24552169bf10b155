// The running mission's bookkeeping: objectives listed, counted by the world's hooks and
// polled, completed once with their message; events waiting for their conditions, running
// their actions once, and the trader's warp; a whole small mission played to its end.
#include "mechanics/EventManager.h"
#include "mechanics/Objectives.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/System.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "mechanics/ScreenHooks.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "tests/support/Scoped.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Item.h"
#include "world/MissionHooks.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

class MissionTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        InstallMissionHooks();
        MissionTime = 0.0f;
        FrameTimer.delta = 0.0f;
    }
    void TearDown() override
    {
        objectives.Clear();
        events.Clear();
        TheMissionHooks = nullptr;
        SceneTest::TearDown();
    }
    Objective* Listed(const char* name, int type, const char* target, int targetCount)
    {
        Objective* objective = objectives.AddObjective(name, type, target);
        if (objective) objective->targetCount = targetCount;
        return objective;
    }
    // A named entity in the level.
    template <class T>
    T* Named(T* entity, const char* name)
    {
        CopyText(entity->name, sizeof entity->name, name);
        EXPECT_NE(TheScene.AddEntity(entity), nullptr);
        return entity;
    }
    // Half a second of play: the events and objectives check once.
    void HalfSecond()
    {
        const WorldTickScope tick(0.5f);
        MissionTime += 0.5f;
        objectives.Tick(false);
        events.Update(false);
    }
    // A tick of `step` in which the objectives are polled.
    void PollObjectives(float step)
    {
        const WorldTickScope tick(step);
        objectives.Tick(false);
    }
    bool Done(const Objective* objective) { return (objective->flags & OBJECTIVE_DONE) != 0; }

    Objectives objectives;
    EventManager events;
    MessageWindow window;
    ScopedGlobal<Objectives*> currentObjectives{TheObjectives, &objectives};
    ScopedGlobal<EventManager*> currentEvents{TheEvents, &events};
    ScopedGlobal<MessageWindow*> currentWindow{TheMessageWindow, &window};
    ScopedGlobal<bool> unpaused{GamePaused, false};
};

TEST_F(MissionTest, ObjectivesOfOneTypeAndTargetMergeAndAListHoldsTen)
{
    Objective* first = objectives.AddObjective("Build a refinery", OBJECTIVE_BUILD, "refinery");
    EXPECT_EQ(objectives.AddObjective("Build a refinery", OBJECTIVE_BUILD, "refinery"), first);
    EXPECT_EQ(first->targetCount, 2) << "the same type and target raise the count";
    EXPECT_NE(objectives.AddObjective("Destroy the refinery", OBJECTIVE_DESTROY_BUILDING, "refinery"), first);
    EXPECT_EQ(first->index, 0);
    EXPECT_TRUE(first->flags & OBJECTIVE_OWNED);

    Objective inactive;
    CopyText(inactive.target, sizeof inactive.target, "probe");
    inactive.flags = OBJECTIVE_ACTIVE | OBJECTIVE_STARTS_INACTIVE;
    EXPECT_TRUE(objectives.Add(&inactive));
    EXPECT_FALSE(inactive.flags & OBJECTIVE_ACTIVE) << "an event's objective waits for its event";
    EXPECT_EQ(objectives.FindByName(0, "probe"), &inactive);
    EXPECT_EQ(objectives.FindByName(OBJECTIVE_BUILD, "Probe"), nullptr) << "targets compare exactly";

    char target[16];
    for (int i = objectives.Count(); i < Objectives::MAX_OBJECTIVES; ++i) {
        snprintf(target, sizeof target, "t%d", i);
        ASSERT_NE(objectives.AddObjective("x", OBJECTIVE_BUILD, target), nullptr);
    }
    LogCaptureBegin();
    EXPECT_EQ(objectives.AddObjective("one too many", OBJECTIVE_BUILD, "extra"), nullptr);
    EXPECT_NE(LogCaptureEnd().find("one too many"), std::string::npos) << "the refusal is logged";
    EXPECT_EQ(objectives.Count(), Objectives::MAX_OBJECTIVES);
    objectives.list.Remove(&inactive);
}

TEST_F(MissionTest, HooksCountProgressAndCompleteAtOrPastTheTarget)
{
    Objective* build = Listed("Build turrets", OBJECTIVE_BUILD, "turret", 2);
    Objective* destroy = Listed("Destroy the stronghold", OBJECTIVE_DESTROY_BUILDING, "stronghold", 1);
    Objective* nothing = Listed("Recover nothing", OBJECTIVE_RECOVER_OBJECT, "crate", 0);
    Objective* rocks = Listed("Clear the rocks", OBJECTIVE_DESTROY_TYPE, "rocks", 2);
    Objective* follow = Listed("Then this", OBJECTIVE_REPAIR_OBJECT, "tower", 1);
    follow->flags &= ~OBJECTIVE_ACTIVE;
    destroy->firstFollowUp = follow;

    Building* site = Named(NewBuilding(ALIGN_PLAYER), "turret");
    site->buildState = 1;
    NotifyEntityBuilt(site);
    EXPECT_EQ(build->count, 0) << "a building under construction is not built yet";
    site->buildState = 0;
    NotifyEntityBuilt(site);
    EXPECT_EQ(build->count, 1);
    EXPECT_STREQ(objectives.lastSound, "objective") << "progress has its own sound";
    NotifyEntityBuilt(Named(NewAgent(ALIGN_PLAYER), "turret"));
    EXPECT_TRUE(Done(build));
    EXPECT_STREQ(objectives.lastSound, "objective_all");
    ASSERT_NE(game.messageBar->Newest(), nullptr);
    EXPECT_STREQ(game.messageBar->Newest()->text, "Objective Complete!");
    NotifyEntityBuilt(Named(NewAgent(ALIGN_PLAYER), "turret"));
    EXPECT_EQ(build->count, 2) << "a done objective counts no more";

    Building* stronghold = Named(NewBuilding(ALIGN_ENEMY), "stronghold");
    stronghold->Die(nullptr);
    EXPECT_TRUE(Done(destroy));
    EXPECT_TRUE(follow->flags & OBJECTIVE_ACTIVE) << "a completion brings on its follow-ups";

    Entity* crate = Named(NewEntity(ENTITY_ITEM), "crate");
    NotifyObjectReached(crate);
    EXPECT_TRUE(Done(nothing)) << "a target of 0 is reached at the first count";

    Item* boulder = Named(new Item(), "boulder");
    boulder->itemFlags = 0;
    boulder->Die(nullptr);
    EXPECT_EQ(rocks->count, 0) << "only rock items count";
    boulder->itemFlags = ITEM_FLAG_ROCK;
    boulder->Die(nullptr);
    EXPECT_EQ(rocks->count, 1);

    Entity* tower = Named(NewEntity(ENTITY_OBJECT_OF_INTEREST), "tower");
    NotifyObjectReached(tower);
    EXPECT_TRUE(Done(follow));
    EXPECT_FALSE(tower->flags & ENTITY_OBJECT_OF_INTEREST) << "a repaired object is of no more interest";

    // The rig's work reports only an object of interest: a recovered relic is one no more, so
    // working on it again cannot count it twice.
    Objective* relics = Listed("Recover relics", OBJECTIVE_RECOVER_OBJECT, "relic", 2);
    Entity* relic = Named(NewEntity(ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST), "relic");
    NotifyObjectReached(relic);
    EXPECT_EQ(relics->count, 1);
    EXPECT_FALSE(relic->flags & ENTITY_OBJECT_OF_INTEREST);
}

TEST_F(MissionTest, PollsCompleteEachTypeOnceEveryHalfSecond)
{
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<float> ore{profile->ore, 0.0f};
    Entity* relic = Named(NewEntity(ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST), "relic");
    relic->SetHealth(40.0f);
    Objective* mining = Listed("Mine ore", OBJECTIVE_MINING, "ore", 100);
    Objective* recover = Listed("Recover crates", OBJECTIVE_RECOVER_OBJECT, "crate", 3);
    Objective* faction = Listed("Wipe out the raiders", OBJECTIVE_ELIMINATE_FACTION, "raider", 1);
    Objective* hack = Listed("Hack the computer", OBJECTIVE_HACK_COMPUTER, "computer", 1);
    Objective* excavate = Listed("Dig out the relic", OBJECTIVE_EXCAVATE_OBJECT, "relic", 1);
    Objective* scan = Listed("Find ore", OBJECTIVE_DISCOVER_ORE, "ore", 1);

    Agent* raider = Named(NewAgent(ALIGN_ENEMY), "raider");
    for (int i = 0; i < 2; ++i) {
        Building* computer = Named(NewBuilding(ALIGN_PLAYER), "computer");
        computer->flags |= ENTITY_OBJECT_OF_INTEREST;
    }

    profile->ore = 120.0f;
    PollObjectives(0.3f);
    EXPECT_FALSE(Done(mining)) << "a poll waits for half a second of play";
    GamePaused = true;
    PollObjectives(0.3f);
    EXPECT_FALSE(Done(mining)) << "paused, the half second does not run out";
    GamePaused = false;
    objectives.soundCount = 0;
    PollObjectives(0.3f);
    EXPECT_TRUE(Done(mining));
    EXPECT_EQ(mining->count, 120);
    EXPECT_FALSE(Done(faction));
    EXPECT_TRUE(Done(hack));
    EXPECT_EQ(objectives.soundCount, 2) << "two computers complete the objective once";
    EXPECT_FALSE(Done(excavate));
    EXPECT_FALSE(Done(scan));

    objectives.SetState(recover->index, OBJECTIVE_ACTIVE, 5);
    EXPECT_TRUE(recover->flags & OBJECTIVE_OWNED) << "a save does not decide who frees it";
    relic->SetHealth(relic->GetMaxHealth());
    EXPECT_TRUE(Done(excavate)) << "health set on an object of interest polls at once";
    EXPECT_TRUE(Done(recover)) << "a save's count past the target completes";

    events.oreDiscovered = true;
    raider->Die(nullptr);
    EXPECT_TRUE(Done(faction)) << "the dying raider was the last";
    objectives.Tick(true);
    EXPECT_TRUE(Done(scan));
    EXPECT_TRUE(objectives.AllComplete());
}

TEST_F(MissionTest, DiscoveringAnEntityNeedsItSeenAndAPlayerAgentNearIt)
{
    Objective* discover = Listed("Find the probe", OBJECTIVE_DISCOVER_ENTITY, "probe", 1);
    Entity* probe = Place(Named(NewEntity(ENTITY_OBJECT_OF_INTEREST), "probe"), 50.0f);
    Agent* scout = Place(Named(NewAgent(ALIGN_PLAYER), "scout"), 53.0f);
    // Without the fog every found entity is seen now.
    ScopedGlobal<bool> fogOff{TheMinimap.fogEnabled, false};
    objectives.Tick(true);
    EXPECT_FALSE(Done(discover)) << "not seen yet";
    probe->discovered = 1;
    scout->SetPosition(Vec3(60.0f, 0.0f, 0.0f));
    objectives.Tick(true);
    EXPECT_FALSE(Done(discover)) << "too far";
    scout->SetPosition(Vec3(53.0f, 0.0f, 0.0f));
    objectives.Tick(true);
    EXPECT_TRUE(Done(discover));
    EXPECT_FALSE(probe->flags & ENTITY_OBJECT_OF_INTEREST);

    // A saved game brings the level back with the probe marked again; the save says it was found.
    probe->flags |= ENTITY_OBJECT_OF_INTEREST;
    objectives.SetState(discover->index, OBJECTIVE_ACTIVE, 0);
    EXPECT_TRUE(probe->flags & ENTITY_OBJECT_OF_INTEREST) << "still to find";
    objectives.SetState(discover->index, OBJECTIVE_ACTIVE | OBJECTIVE_DONE, 1);
    EXPECT_FALSE(probe->flags & ENTITY_OBJECT_OF_INTEREST) << "found before the save";
}

TEST_F(MissionTest, LinesShowProgressAndDoneObjectivesInTheirColours)
{
    Listed("Mine", OBJECTIVE_MINING, "ore", 50)->count = 20;
    Objective* mined = Listed("Mine", OBJECTIVE_MINING, "fuel", 10);
    mined->flags |= OBJECTIVE_DONE;
    Listed("Build turret", OBJECTIVE_BUILD, "turret", 3)->count = 1;
    Listed("Destroy walls", OBJECTIVE_DESTROY_BUILDING, "wall", 2);
    Listed("Download probe", OBJECTIVE_RECOVER_OBJECT, "probe", 4)->count = 2;
    Listed("Scan", OBJECTIVE_DISCOVER_ORE, "ore", 1);
    Objective* single = Listed("Repair the_tower", OBJECTIVE_REPAIR_OBJECT, "tower", 1);
    single->flags |= OBJECTIVE_DONE;
    Listed("Hidden", OBJECTIVE_HACK_COMPUTER, "pc", 1)->flags &= ~OBJECTIVE_ACTIVE;
    // As a practice level names its probes.
    Listed("Download probe_data", OBJECTIVE_RECOVER_OBJECT, "probe_data", 3)->count = 1;

    Objectives::Line lines[Objectives::MAX_OBJECTIVES];
    ASSERT_EQ(objectives.BuildLines(lines, Objectives::MAX_OBJECTIVES), 8) << "inactive objectives are not shown";
    const struct {
        const char* text;
        bool done;
    } expected[] = {
        // The stock held is counted, and named so: paying for a building lowers it.
        {"  Ore held [20/50]", false},        {"  Fuel held [10] ", true},
        {"  Build turrets [1/3]", false},     {"  Destroy walls [0/2]", false},
        {"  Downloaded probe data [2/4]", false}, {"  Discover & scan ore", false},
        {"  Repair the tower ", true},        {"  Downloaded probe data [1/3]", false},
    };
    for (int i = 0; i < 8; ++i) {
        EXPECT_STREQ(lines[i].text, expected[i].text);
        EXPECT_EQ(lines[i].done, expected[i].done) << expected[i].text;
        EXPECT_FLOAT_EQ(lines[i].colour[1], expected[i].done ? 0.666f : 0.878431f) << expected[i].text;
    }
}

TEST_F(MissionTest, EveryConditionTypeHoldsAsItShould)
{
    Objective* first = Listed("First", OBJECTIVE_BUILD, "first", 1);
    Listed("Second", OBJECTIVE_BUILD, "second", 1);
    Entity* tower = Named(NewEntity(ENTITY_OBJECT_OF_INTEREST), "tower");
    MissionTime = 10.0f;
    ScopedGlobal<bool> fogOff{TheMinimap.fogEnabled, false};
    struct Case {
        int type;
        const char* name;
        int value;
        int before;
        std::function<void()> change;
    } cases[] = {
        {CONDITION_START_GAME, "none", 0, EVENT_TOO_LATE, [] { MissionTime = 0.5f; }},
        {CONDITION_IS_OBJECTIVE_COMPLETE, "first", 0, EVENT_WAIT, [&] { first->flags |= OBJECTIVE_DONE; }},
        {CONDITION_OBJECTIVES_COMPLETE, "none", 0, EVENT_WAIT, [&] {
             for (auto* n = objectives.list.head; n; n = n->next) n->value->flags |= OBJECTIVE_DONE;
         }},
        {CONDITION_DISCOVER_ENTITY, "tower", 0, EVENT_WAIT, [&] { tower->discovered = 1; }},
        {CONDITION_DISCOVER_ENEMY, "none", 0, EVENT_WAIT, [&] { events.enemyDiscovered = true; }},
        {CONDITION_DISCOVER_ORE, "none", 0, EVENT_WAIT, [&] { events.oreDiscovered = true; }},
        {CONDITION_GAME_TIME, "none", 30, EVENT_WAIT, [] { MissionTime = 30.0f; }},
        {CONDITION_LOW_HEALTH, "tower", 0, EVENT_WAIT, [&] { tower->health = 10.0f; }},
        {CONDITION_WARP, "none", 0, EVENT_FIRE, [] {}},
        {9, "none", 0, EVENT_FIRE, [] {}},
    };
    for (Case& test : cases) {
        MissionEvent event;
        event.AddCondition(test.type, test.name, test.value);
        EXPECT_EQ(event.CheckConditions(), test.before) << "type " << test.type;
        test.change();
        EXPECT_EQ(event.CheckConditions(), EVENT_FIRE) << "type " << test.type;
    }
    MissionEvent both;
    both.AddCondition(CONDITION_OBJECTIVES_COMPLETE, "none", 0);
    both.AddCondition(CONDITION_IS_OBJECTIVE_COMPLETE, "first", 0);
    EXPECT_EQ(both.CheckConditions(), EVENT_WAIT) << "the second needs an objective left open";
}

TEST_F(MissionTest, ADiscoveredAgentIsMarkedOnlyWhenItsEventFires)
{
    Agent* scout = Named(NewAgent(ALIGN_ENEMY), "scout");
    scout->flags |= ENTITY_OBJECT_OF_INTEREST;
    scout->discovered = 1;
    ScopedGlobal<bool> fogOff{TheMinimap.fogEnabled, false};
    MissionEvent event;
    event.AddCondition(CONDITION_DISCOVER_ENTITY, "scout", 0);
    event.AddCondition(CONDITION_GAME_TIME, "none", 60);
    EXPECT_EQ(event.CheckConditions(), EVENT_WAIT);
    EXPECT_FALSE(scout->classWord & AGENT_DISCOVERED) << "a later condition failed: the agent is not used up";
    MissionTime = 60.0f;
    EXPECT_EQ(event.CheckConditions(), EVENT_FIRE);
    EXPECT_TRUE(scout->classWord & AGENT_DISCOVERED);

    // The pool hands the agent out again as someone else: the condition finds it no more.
    MissionEvent later;
    later.AddCondition(CONDITION_LOW_HEALTH, "scout", 0);
    scout->health = 1.0f;
    EXPECT_EQ(later.CheckConditions(), EVENT_FIRE);
    TheScene.RemoveEntity(scout, 0);
    scout->Reset();
    CopyText(scout->name, sizeof scout->name, "trader");
    scout->health = 1.0f;
    EXPECT_EQ(later.CheckConditions(), EVENT_WAIT) << "the recycled agent is not the scout";
    EXPECT_EQ(later.conditions[0]->cachedEntity.Get(), nullptr);
}

TEST_F(MissionTest, EventsFireOnceAndTheWarpFollowsHalfASecondLater)
{
    Entity* trader = Named(NewEntity(0), "hallstrade");
    MissionEvent late, disabled, ending, warning, silent;
    late.AddCondition(CONDITION_START_GAME, "none", 0);
    late.AddAction(ACTION_SHOW_DIALOG, "Giver", "too late");
    disabled.flags = 0;
    ending.AddCondition(CONDITION_GAME_TIME, "none", 2);
    ending.AddAction(ACTION_END_GAME, "none", "none");
    warning.AddCondition(CONDITION_GAME_TIME, "none", 3);
    warning.AddAction(ACTION_SHOW_DIALOG_THEN_WARP, "Corvin", "We are leaving.");
    for (MissionEvent* event : {&late, &disabled, &ending, &warning}) ASSERT_TRUE(events.Add(event));
    MissionTime = 1.0f;

    HalfSecond();
    EXPECT_FALSE(window.shown) << "START_GAME after a second drops its event unfired";
    EXPECT_EQ(events.list.count, 3);
    HalfSecond();
    EXPECT_EQ(events.list.count, 2) << "END_GAME with no text shows nothing, but its event leaves";
    EXPECT_FALSE(window.shown);
    HalfSecond();
    EXPECT_FALSE(window.shown);
    HalfSecond();
    EXPECT_TRUE(window.shown);
    EXPECT_STREQ(window.text, "We are leaving.");
    ASSERT_NE(events.FindByConditionType(CONDITION_WARP), nullptr) << "the warp waits for the next check";
    EXPECT_TRUE(trader->IsAlive());
    HalfSecond();
    EXPECT_FALSE(trader->IsAlive()) << "the trader warped out";
    EXPECT_EQ(events.list.count, 1) << "only the disabled event stays";
    EXPECT_EQ(events.list.head->value, &disabled);

    for (int i = events.list.count; i < EventManager::MAX_EVENTS; ++i) ASSERT_TRUE(events.Add(&silent));
    LogCaptureBegin();
    EXPECT_FALSE(events.Add(&late));
    EXPECT_FALSE(events.QueueWarp()) << "a full list takes no warp";
    EXPECT_NE(LogCaptureEnd().find("WARNING"), std::string::npos);
    events.list.Clear();
}

// A save keeps which of the mission's events have had their turn, fired or come too late; the
// mission loaded from it, its events listed anew, plays only the others, and a save of the
// loaded game keeps them still.
TEST_F(MissionTest, ALoadedGameDoesNotPlayTheEventsThatHadTheirTurn)
{
    struct Case {
        const char* name;
        int condition;
        int value;
        bool hadItsTurn;
    };
    const Case cases[] = {
        {"welcome", CONDITION_START_GAME, 0, true},
        {"briefing", CONDITION_GAME_TIME, 1, true},
        {"nest_warning", CONDITION_GAME_TIME, 100, false},
        {"done", CONDITION_OBJECTIVES_COMPLETE, 0, false},
    };
    Listed("Build a refinery", OBJECTIVE_BUILD, "refinery", 1);
    auto listEvents = [&] {
        for (const Case& c : cases) {
            MissionEvent* event = new MissionEvent();
            CopyText(event->name, sizeof event->name, c.name);
            event->flags |= MISSION_EVENT_OWNED;
            event->AddCondition(c.condition, "none", c.value);
            event->AddAction(ACTION_SHOW_DIALOG, "guild", c.name);
            ASSERT_TRUE(events.Add(event));
        }
    };
    auto listed = [&](const char* name) {
        for (auto* node = events.list.head; node; node = node->next)
            if (strcmp(node->value->name, name) == 0) return true;
        return false;
    };
    listEvents();
    HalfSecond();
    HalfSecond();
    EXPECT_STREQ(window.text, "briefing");
    const std::string folder = MakeTempFolder("events");
    const std::string saved = folder + "/saved.sav", again = folder + "/again.sav";
    ASSERT_TRUE(TheScene.WriteSceneFile(saved.c_str()));

    // The same mission loaded: its events are listed anew, then the save is read over them.
    events.Clear();
    MissionTime = 0.0f;
    window.shown = false;
    listEvents();
    ASSERT_TRUE(TheScene.ReadSceneFile(saved.c_str()));
    for (const Case& c : cases) EXPECT_EQ(listed(c.name), !c.hadItsTurn) << c.name;
    HalfSecond();
    EXPECT_FALSE(window.shown) << "the welcome is not said again after a load";
    ASSERT_TRUE(TheScene.WriteSceneFile(again.c_str()));
    const std::string text = ReadTextFile(again);
    for (const Case& c : cases)
        EXPECT_EQ(text.find(std::string("EventDone\t\t\t\t") + c.name) != std::string::npos, c.hadItsTurn) << c.name;

    // A fresh start of the mission says its welcome once more.
    events.Clear();
    MissionTime = 0.0f;
    listEvents();
    HalfSecond();
    EXPECT_TRUE(window.shown);
    EXPECT_STREQ(window.text, "welcome");
}

// The mission's windows are the player's side's: its events and the lost rig ask for them
// through the screen hooks alone, so a listener in their place hears every one, and an event
// whose message has no window to show it in goes no further.
TEST_F(MissionTest, TheMissionAsksForItsWindowsThroughTheScreenHooks)
{
    struct Listener : ScreenHooks {
        std::vector<std::string> heard;
        bool window = true;
        bool ShowMissionMessage(const char* giver, const char* text, bool offerEnd) override
        {
            heard.push_back(std::string(offerEnd ? "end " : "message ") + giver + ": " + text);
            return window;
        }
        void ClearPopups() override { heard.push_back("popups cleared"); }
        void ShowMissionFailed() override { heard.push_back("failed"); }
    };
    struct Case {
        int action;
        const char* giver;
        const char* text;
        bool window;
        std::vector<std::string> heard;
        bool warps;
    };
    const Case cases[] = {
        {ACTION_SHOW_DIALOG, "Giver", "hello", true, {"message Giver: hello"}, false},
        {ACTION_END_GAME, "Tova", "won", true, {"end Tova: won", "popups cleared"}, false},
        {ACTION_END_GAME, "Tova", "won", false, {"end Tova: won"}, false},
        {ACTION_END_GAME, "none", "none", true, {}, false},
        {ACTION_SHOW_DIALOG_THEN_WARP, "Corvin", "leaving", true, {"message Corvin: leaving"}, true},
        {ACTION_SHOW_DIALOG_THEN_WARP, "Corvin", "leaving", false, {"message Corvin: leaving"}, false},
    };
    for (const Case& c : cases) {
        Listener listener;
        listener.window = c.window;
        ScopedGlobal<ScreenHooks*> hooks{TheScreenHooks, &listener};
        MissionEvent event;
        event.AddAction(c.action, c.giver, c.text);
        event.RunActions();
        EXPECT_EQ(listener.heard, c.heard) << c.action << " " << c.text << " window " << c.window;
        EXPECT_EQ(events.FindByConditionType(CONDITION_WARP) != nullptr, c.warps) << c.action << " window " << c.window;
        events.Clear();
        EXPECT_FALSE(window.shown) << "the game's own message window is not asked";
    }

    Listener listener;
    ScopedGlobal<ScreenHooks*> hooks{TheScreenHooks, &listener};
    Entity* rig = Named(NewEntity(ENTITY_PLAYER), "rig");
    rig->flags |= ENTITY_DEAD;
    {
        const WorldTickScope tick(0.1f);
        TheScene.Update();
    }
    EXPECT_EQ(listener.heard, std::vector<std::string>{"failed"}) << "the lost rig asks for the failed window";
}

// A small mission from start to finish: build two generators and destroy the nest; then the
// event that waits for every objective ends the mission.
TEST_F(MissionTest, AMissionWithTwoObjectivesAndAnEventRunsToAllComplete)
{
    game.state = GAME_STATE_PLAYING;
    TheScene.firstFrame = true;
    Objective* build = Listed("Build generator", OBJECTIVE_BUILD, "generator", 2);
    Objective* nest = Listed("Destroy the nest", OBJECTIVE_DESTROY_BUILDING, "nest", 1);
    MissionEvent victory;
    victory.AddCondition(CONDITION_OBJECTIVES_COMPLETE, "none", 0);
    victory.AddAction(ACTION_END_GAME, "Tova Quillan", "The colony is safe.");
    ASSERT_TRUE(events.Add(&victory));
    Building* target = Named(NewBuilding(ALIGN_ENEMY), "nest");

    auto play = [&](int frames) {
        for (int i = 0; i < frames; ++i) {
            FrameTimer.delta = 0.1f;
            game.Update();
        }
    };
    play(3);
    EXPECT_NEAR(MissionTime, 0.2f, 1e-5f) << "the first frame of a level does not count";
    EXPECT_EQ(events.list.count, 1);
    NotifyEntityBuilt(Named(NewBuilding(ALIGN_PLAYER), "generator"));
    NotifyEntityBuilt(Named(NewBuilding(ALIGN_PLAYER), "generator"));
    EXPECT_TRUE(Done(build));
    play(10);
    EXPECT_FALSE(window.shown) << "one objective is still open";
    target->Die(nullptr);
    EXPECT_TRUE(Done(nest));
    EXPECT_TRUE(objectives.AllComplete());
    play(6);
    EXPECT_TRUE(window.shown);
    EXPECT_TRUE(window.missionComplete);
    EXPECT_STREQ(window.giver, "Tova Quillan");
    EXPECT_EQ(events.list.count, 0);

    game.EndLevel();
    EXPECT_EQ(objectives.Count(), 0);
    EXPECT_EQ(game.messageBar->count, 0);
}

}  // namespace
