// The simulation's hooks: its own quiet answers stand until the game's go in (the shell's start-up
// step), the game's are put in once however often asked, and taking them out puts back what was
// there, so a replay's verification and a test's listener find the answers they expect.
#include "interface/PlayerAnswers.h"
#include "campaign/Galaxy.h"
#include "mechanics/ReplayFile.h"
#include "mechanics/ScreenHooks.h"
#include "terrain/ScanPulses.h"
#include "world/AgentCombat.h"
#include "world/Item.h"

#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

bool SimulationsOwn()
{
    return typeid(*TheCombatHooks) == typeid(CombatHooks) && typeid(*TheItemHooks) == typeid(ItemHooks) &&
           typeid(*TheScreenHooks) == typeid(ScreenHooks) && typeid(*TheScanHooks) == typeid(ScanHooks);
}

TEST(PlayerAnswers, GoInOnceAndPutBackWhatWasThere)
{
    RemovePlayerAnswers();  // the program's environment put the game's in
    ASSERT_TRUE(SimulationsOwn());
    EXPECT_FALSE(TheScreenHooks->BagFull()) << "no bag without the interface";
    EXPECT_EQ(TheScreenHooks->SelectedStoryId(), -1) << "no galaxy without the interface";

    InstallPlayerAnswers();
    ScreenHooks* game = TheScreenHooks;
    EXPECT_NE(typeid(*game), typeid(ScreenHooks));
    InstallPlayerAnswers();  // asked again: the first hold stands
    RemovePlayerAnswers();
    EXPECT_TRUE(SimulationsOwn()) << "one removal puts the simulation's own back";
    RemovePlayerAnswers();  // nothing in: nothing changes
    EXPECT_TRUE(SimulationsOwn());

    InstallPlayerAnswers();  // as the environment left them
    EXPECT_EQ(TheScreenHooks, game);
}

// The orders that work what the screens keep, and a replay's dealings with the front end: without
// the screens nothing is there to answer (no upgrade panel keeps a choice, no front end names the
// mission or ignores its requirements); with them the front end's own switch is the one set.
TEST(PlayerAnswers, TheScreensOwnWhatTheOrdersAndTheReplaysAskOfThem)
{
    ScopedGlobal<bool> ignored(MissionRequirementsIgnored, false);
    RemovePlayerAnswers();
    EXPECT_STREQ(TheScreenHooks->StepUpgradeChoice(nullptr, 1, false), "bad") << "no panel keeps a choice";
    TheScreenHooks->SetRequirementsIgnored(true);
    EXPECT_FALSE(TheScreenHooks->RequirementsIgnored());
    EXPECT_FALSE(MissionRequirementsIgnored);
    ReplayHeader header;
    header.missionName = "as recorded";
    TheScreenHooks->NameReplayMission(header);
    EXPECT_EQ(header.missionName, "as recorded") << "no front end chose a mission";

    InstallPlayerAnswers();
    TheScreenHooks->SetRequirementsIgnored(true);
    EXPECT_TRUE(MissionRequirementsIgnored);
    EXPECT_TRUE(TheScreenHooks->RequirementsIgnored());
}

}  // namespace
