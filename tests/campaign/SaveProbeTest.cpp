// Checking a save's mission against its galaxy builds that galaxy on the side: the game's own
// random sequence goes on afterwards as if the check had never run. A save without a mission
// is refused as one whose mission is not there.
#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "platform/UserFolders.h"
#include "terrain/Minimap.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(SaveProbe, CheckingASavesMissionLeavesTheRandomSequenceAlone)
{
    ScopedGlobal<char[256]> user{UserFolder};
    CopyText(UserFolder, sizeof UserFolder, MakeTempFolder("probe").c_str());
    ScopedClearProfile clear;
    PlayerProfile* profile = GetPlayerProfile();
    CopyText(profile->name, sizeof profile->name, "Pilot");
    TheMinimap.AllocateFogGrids();
    // A save of another galaxy than the one in play, for a mission no galaxy has.
    auto galaxy = std::make_unique<Galaxy>();
    ScopedGlobal<Galaxy*> current{TheGalaxy, galaxy.get()};
    profile->galaxySeed = 1003;
    // A mission no galaxy has, and none at all (a profile without a current mission).
    for (int missionId : {987654, -1}) {
        SCOPED_TRACE(missionId);
        CelestialBody nowhere;
        nowhere.missionId = missionId;
        galaxy->selectedBody = &nowhere;
        ASSERT_TRUE(WriteSaveGame("elsewhere"));
        galaxy->selectedBody = nullptr;

        SRand(4242);
        const int first = Rand();
        const unsigned state = RandState();
        int expected[4];
        for (int& value : expected) value = Rand();
        SRand(4242);
        ASSERT_EQ(Rand(), first);
        LogCaptureBegin();
        EXPECT_FALSE(ReadSaveGame("elsewhere"));
        EXPECT_NE(LogCaptureEnd().find("is not in its galaxy"), std::string::npos);
        EXPECT_EQ(RandState(), state) << "the probe galaxy put the sequence back";
        for (int value : expected) EXPECT_EQ(Rand(), value);
    }
    TheMinimap.fog.Free();
}

}  // namespace
