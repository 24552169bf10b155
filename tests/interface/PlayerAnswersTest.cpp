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
    EXPECT_FALSE(TheScreenHooks->MissionFailedShown());

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

// What the orders change and a replay's mission are the world's own, with or without the screens:
// the missions' requirements switch is the game's one switch either way. Only the front end names
// the mission being recorded.
TEST(PlayerAnswers, TheWorldOwnsWhatTheOrdersAndTheReplaysChange)
{
    ScopedGlobal<bool> ignored(MissionRequirementsIgnored, false);
    for (bool screens : {false, true}) {
        if (screens)
            InstallPlayerAnswers();
        else
            RemovePlayerAnswers();
        TheScreenHooks->SetRequirementsIgnored(true);
        EXPECT_TRUE(MissionRequirementsIgnored) << "screens: " << screens;
        EXPECT_TRUE(TheScreenHooks->RequirementsIgnored()) << "screens: " << screens;
        TheScreenHooks->SetRequirementsIgnored(false);
    }
    RemovePlayerAnswers();
    ReplayHeader header;
    header.missionName = "as recorded";
    TheScreenHooks->NameReplayMission(header);
    EXPECT_EQ(header.missionName, "as recorded") << "no front end chose a mission";
    InstallPlayerAnswers();
}

}  // namespace
