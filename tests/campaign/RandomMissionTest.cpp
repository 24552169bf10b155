#include "campaign/Galaxy.h"
#include "campaign/MissionRecord.h"
#include "campaign/RandomMission.h"
#include "host/Random.h"
#include "tests/campaign/CampaignTestSupport.h"

#include <cstring>
#include <string>

using RandomMissions = CampaignTest;

namespace {

CelestialBody Body(int environment, int level)
{
    CelestialBody body;
    body.environment = (int8_t)environment;
    body.levelMin = body.levelMax = level;
    return body;
}

}  // namespace

TEST_F(RandomMissions, TheBriefingOfEachCategoryTargetAndFaction)
{
    struct Case {
        int faction, category;
        const char* target;
        int count;
        const char* line;
        const char* textStart;
    } cases[] = {
        {0, MISSION_ELIMINATE, "creature_nest", 3, "Eliminate 3 creature nests",
         "Creature nests are preventing our geophysics team from conducting a survey of"},
        {3, MISSION_ELIMINATE, "creature_nest", 1, "Eliminate the creature nest",
         "A creature nest is preventing our archaeology team from excavating"},
        {1, MISSION_ELIMINATE, "elite_scavenger", 1, "Eliminate the elite scavenger",
         "A dangerous Elite-class Scavenger has been seen in this area. This scavenger is a serious threat to "
         "operations in the area and must be eliminated!"},
        {1, MISSION_DESTROY, "Scavenger_stronghold", 1, "Destroy the Scavenger stronghold",
         "A Scavenger stronghold is disrupting military operations. Destroy the stronghold so that the area is safe "
         "for our forces."},
        {2, MISSION_DESTROY, "Scavenger_AA_Gun", 2, "Destroy 2 Scavenger AA Guns",
         "Scavenger anti-air cannons are preventing our transport ships"},
        {0, MISSION_CLEAR, "breakable_rocks", 1, "Clear rocks", "Rocks are blocking one of our construction sites."},
        {3, MISSION_CLEAR, "ice_blocks_relic", 1, "Clear ice blocks",
         "Ice blocks are preventing our archaeologists from accessing a dig site. Destroy the Ice blocks"},
        {1, MISSION_CLEAR, "ice_blocks", 1, "Clear ice blocks", "Ice blocks are preventing a key military outpost"},
        {0, MISSION_REPAIR, "fuel_tank", 1, "Fill fuel tank", "One of our remote stations is low on fuel."},
        {3, MISSION_REPAIR, "radar_tower", 2, "Repair 2 radar towers",
         "Some of our radar towers have been damaged by Scavengers. We need you to repair these towers so our work "
         "can resume. You will need"},
        {1, MISSION_COLLECT, "probe_data", 3, "Download probe data", "Several of our surveillance probes"},
        {2, MISSION_COLLECT, "computer_console", 3, "Restore 3 computer consoles",
         "One of our remote monitoring locations has recently gone silent."},
        {3, MISSION_PROSPECT, "ore", 3000, "Mine and collect 3000 ore",
         "This area could potentially be the site of a scientific research station."},
        {0, MISSION_PROSPECT, "fuel", 1000, "Collect 1000 fuel", "This area could potentially be the site of a fueling"},
        {0, MISSION_BUILD, "refinery", 1, "Build the refinery", "not-set"},
    };
    for (const Case& c : cases) {
        BuildMissionBriefing(c.faction, c.category, c.target, c.count);
        EXPECT_STREQ(MissionObjectiveText, c.line) << c.target;
        EXPECT_EQ(std::string(MissionBriefingText).rfind(c.textStart, 0), 0u) << MissionBriefingText;
    }
}

TEST_F(RandomMissions, TargetsCountsAndRewardsFollowTheBodysLevelAndWorld)
{
    // Over many draws: which targets each level and world can give.
    bool stronghold[2] = {false, false};
    bool prospect9 = false;
    for (int i = 0; i < 400; ++i) {
        SRand((unsigned)i);
        for (int level : {4, 5}) {
            CelestialBody body = Body(BODY_FOREST, level);
            GenerateMission(&body);
            if (strcmp(body.mission.target, "Scavenger_stronghold") == 0) {
                stronghold[level - 4] = true;
                EXPECT_EQ(body.mission.count, 1);
            }
            EXPECT_GE(body.levelSeed, 10000);
            EXPECT_LE(body.levelSeed, 99999);
        }
        CelestialBody winter = Body(BODY_WINTER, 9);
        GenerateMission(&winter);
        const RandomMissionBlock& m = winter.mission;
        if (m.category == MISSION_CLEAR) {
            EXPECT_STREQ(m.target, m.faction == 3 ? "ice_blocks_relic" : "ice_blocks");
        }
        if (m.category == MISSION_PROSPECT) {
            EXPECT_EQ(m.count, 3000);
            prospect9 = true;
        }
        CelestialBody moon = Body(BODY_MOON, 2);
        GenerateMission(&moon);
        if (moon.mission.category == MISSION_ELIMINATE) {
            EXPECT_STREQ(moon.mission.target, "Elite_Scavenger");
        }
    }
    EXPECT_FALSE(stronghold[0]);
    EXPECT_TRUE(stronghold[1]);
    EXPECT_TRUE(prospect9);

    struct Reward {
        int level, experience, credits;
    } rewards[] = {{0, 25, 100}, {1, 25, 200}, {2, 60, 300}, {9, 212, 1000}};
    for (const Reward& r : rewards) {
        CelestialBody body = Body(BODY_DESERT, r.level);
        GenerateMission(&body);
        EXPECT_EQ(body.mission.experienceReward, r.experience) << r.level;
        EXPECT_EQ(body.mission.creditReward, r.credits) << r.level;
    }
}

TEST_F(RandomMissions, AStartedBodyBecomesAMissionRecordWithOneObjective)
{
    struct Case {
        int category;
        const char* target;
        int environment;
        int type;
        uint32_t flags;
        int creatures;
    } cases[] = {
        {MISSION_ELIMINATE, "creature_nest", BODY_FOREST, OBJECTIVE_ELIMINATE_ENEMIES, OBJECTIVE_ACTIVE, 0},
        {MISSION_ELIMINATE, "Elite_Trex", BODY_FOREST, OBJECTIVE_ELIMINATE_ENEMIES, OBJECTIVE_ACTIVE, 1},
        {MISSION_DESTROY, "Scavenger_stronghold", BODY_LAVA, OBJECTIVE_DESTROY_BUILDING,
         OBJECTIVE_ACTIVE | OBJECTIVE_MAP_CENTER, 1},
        {MISSION_DESTROY, "Scavenger_camp", BODY_MOON, OBJECTIVE_DESTROY_BUILDING, OBJECTIVE_ACTIVE, 0},
        {MISSION_CLEAR, "breakable_rocks", BODY_DESERT, OBJECTIVE_DESTROY_TYPE, OBJECTIVE_ACTIVE, 1},
        {MISSION_REPAIR, "generators", BODY_FALL, OBJECTIVE_REPAIR_OBJECT, OBJECTIVE_ACTIVE | OBJECTIVE_MAP_CENTER, 1},
        {MISSION_COLLECT, "probe_data", BODY_ALIEN, OBJECTIVE_RECOVER_OBJECT, OBJECTIVE_ACTIVE, 1},
        {MISSION_PROSPECT, "ore", BODY_MARSH, OBJECTIVE_MINING, OBJECTIVE_ACTIVE, 1},
    };
    MissionRecord record;
    for (const Case& c : cases) {
        CelestialBody body = Body(c.environment, 3);
        body.levelSeed = 12345;
        body.mission.faction = 2;
        body.mission.category = c.category;
        strcpy(body.mission.target, c.target);
        strcpy(body.mission.verb, "Download");
        body.mission.count = 2;
        body.mission.experienceReward = 77;
        body.mission.creditReward = 400;
        BuildMissionRecord(&body, &record);
        EXPECT_STREQ(record.name, "<rand_mission>");
        EXPECT_STREQ(record.faction, "corporate");
        EXPECT_STREQ(record.environment, BodyEnvironmentName(c.environment));
        EXPECT_EQ(record.flags, MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT);
        EXPECT_EQ(record.levelSeed, 12345);
        EXPECT_EQ(record.level, 3);
        EXPECT_EQ(record.experienceReward, 77);
        EXPECT_EQ(record.creditReward, 400);
        EXPECT_EQ(record.creatureCount, c.creatures) << c.target;
        ASSERT_EQ(record.objectiveCount, 1);
        const Objective& o = *record.objectives[0];
        EXPECT_EQ(o.type, c.type) << c.target;
        EXPECT_EQ(o.flags, c.flags) << c.target;
        EXPECT_STREQ(o.target, c.target);
        EXPECT_EQ(o.targetCount, 2);
        EXPECT_STREQ(o.verb, c.category == MISSION_COLLECT ? "Download" : "none");
    }
    record.ReleaseContents();
}
