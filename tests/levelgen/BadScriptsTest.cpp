// Damaged stand-ins for the shipped mission objects, growth definitions and story missions
// (tests/data/bad-files/levelgen and mission): numbers far beyond what they mean are taken to
// the nearest end of their range with one warning naming the file and line, and the level is
// generated, populated and grown as from the shipped scripts.
#include "campaign/MissionCatalogue.h"
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "tests/levelgen/PopulationTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum class StandsFor { MissionObjects, Growth, Missions };

struct BadScript {
    const char* file;
    StandsFor standsFor;
    int mission;  // the story mission to play; -1 for a random forest mission
    const char* warning;
};

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(ShippedPopulationTest, DamagedScriptsAreClampedWhereTheyAreReadAndTheLevelIsMade)
{
    const BadScript scripts[] = {
        // A clearing as wide as the whole number range.
        {"levelgen/mission_objects_clearing_radius_max.cgs", StandsFor::MissionObjects, -1,
         "mission_objects_clearing_radius_max.cgs line 2: ClearValues value 2147483647 is out of range, 128 is used"},
        // Ten million trees to a cell.
        {"levelgen/growthdb_population_1e7.cgs", StandsFor::Growth, -1,
         "growthdb_population_1e7.cgs line 3: population value 1e+07 is out of range, 1 is used"},
        // Every mission at the highest level a number holds: its guards and barrels draw from it.
        {"mission/missions_level_max.cgs", StandsFor::Missions, 1,
         "missions_level_max.cgs line 24: AddMission level value 2147483647 is out of range, 20 is used"},
        // A start corner far below the first.
        {"mission/missions_playerstart_min.cgs", StandsFor::Missions, 0,
         "missions_playerstart_min.cgs line 2: PlayerStart value -2147483648 is out of range, 0 is used"},
    };
    for (const BadScript& script : scripts) {
        SCOPED_TRACE(script.file);
        std::string path = std::string("tests/data/bad-files/") + script.file;
        GrowthDB standInGrowth{false};
        ScopedGlobal<GrowthDB*> growthInUse(TheGrowthDB, &growth);
        LogCaptureBegin();
        if (script.standsFor == StandsFor::MissionObjects) {
            objects.records.clear();
            EXPECT_TRUE(objects.Load(path.c_str()));
        } else if (script.standsFor == StandsFor::Growth) {
            TheGrowthDB = &standInGrowth;
            standInGrowth.toolParameters.SetDefaults();
            EXPECT_TRUE(standInGrowth.Load(path.c_str()));
        } else {
            MissionCatalogue::ClearMissions();
            EXPECT_TRUE(MissionCatalogue::LoadMissions(path.c_str()));
        }
        std::string read = LogCaptureEnd();
        EXPECT_EQ(Count(read, script.warning), 1u) << read;

        MissionRecord* mission = nullptr;
        if (script.mission < 0) {
            mission = Mission("forest", 3);
        } else {
            ASSERT_GT(MissionCatalogue::missionCount, script.mission);
            MissionCatalogue::selectedIndex = script.mission;
            MissionCatalogue::scratchActive = false;
            mission = MissionCatalogue::GetCurrentMission();
            EXPECT_GE(mission->level, 0);
            EXPECT_LE(mission->level, PROFILE_LEVEL_MAX);
            EXPECT_GE(mission->playerStart, 0);
            EXPECT_LE(mission->playerStart, PLAYER_START_CORNERS);
        }
        ASSERT_NE(mission, nullptr);
        Agent* rig = game.agentTypes->TakeFreeAgent();
        CopyText(rig->name, sizeof rig->name, "rig");
        maps.rig = rig;
        Populate(*mission, 5, false);
        TheGrowthDB->RegrowAll();
        EXPECT_TRUE(rig->flags & ENTITY_PLAYER) << "the rig stands at its start";
        EXPECT_GT(CountAgents(), 0);
        if (script.standsFor == StandsFor::Growth) {
            for (const GrowthInstance* instance : standInGrowth.instances)
                EXPECT_LE(instance->objects.size(), (size_t)(instance->parameters.width * instance->parameters.height));
        }
        standInGrowth.ClearInstances();
        growth.ClearInstances();
        ClearLevel();
        objects.records.clear();
        objects.Load();
    }
}
