// The shipped campaign: every story mission loads without a warning, every text key it names
// is in the string tables, and every target is one the world knows.
#include "campaign/MissionScreen.h"
#include "host/Log.h"
#include "mechanics/EventManager.h"
#include "platform/StringTable.h"
#include "tests/campaign/CampaignTestSupport.h"

#include <set>
#include <string>

namespace {

// The mission targets the world ships, in one place until the mission objects and the
// catalogues are read here: mission objects, buildings, unit types, resources and factions
// that random and story missions name.
const std::set<std::string> KnownTargets = {
    // random missions
    "creature_nest", "Elite_Scavenger", "Elite_Winged_Beast", "Elite_Trex", "Scavenger_AA_Gun", "Scavenger_camp",
    "weapons_cache", "Scavenger_stronghold", "ice_blocks", "breakable_rocks", "ice_blocks_relic",
    "breakable_rocks_relic", "generators", "fuel_tank", "planetary_defense_cannon", "radar_tower", "computer_console",
    "relic", "alien_tablet", "probe_data", "ore", "fuel",
    // story missions
    "refinery", "survey_beacon", "Scavenger", "hallstrade",
};

bool IsKey(const char* text)
{
    return text[0] == '<';
}

}  // namespace

using CampaignContent = CampaignTest;

TEST_F(CampaignContent, EveryStoryMissionLoadsAndEveryKeyAndTargetResolves)
{
    StringTable table;
    ASSERT_TRUE(table.Init());
    LogCaptureBegin();
    ASSERT_TRUE(MissionScreen::LoadMissions(nullptr));
    std::string log = LogCaptureEnd();
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    ASSERT_GE(MissionScreen::missionCount, 8);

    std::set<int> types;
    int lastLevel = 0;
    for (int i = 0; i < MissionScreen::missionCount; ++i) {
        const MissionRecord& m = MissionScreen::missions[i];
        SCOPED_TRACE(m.name);
        const std::string prefix = "<m" + std::to_string(i) + "_";
        EXPECT_EQ(std::string(m.name), prefix + "summary>");
        EXPECT_EQ(std::string(m.briefing), prefix + "brief>");
        for (const char* key : {m.name, m.description, m.briefing}) EXPECT_NE(table.Lookup(key), nullptr) << key;
        EXPECT_NE(GetMissionGiver(m.faction, true), nullptr);
        EXPECT_GE(m.level, lastLevel);  // story missions are placed in order: levels never go down
        lastLevel = m.level;
        EXPECT_GT(m.experienceReward, 0);
        EXPECT_GT(m.creditReward, 0);
        EXPECT_GT(m.objectiveCount, 0);
        EXPECT_GT(m.eventCount, 0);
        EXPECT_TRUE(m.flags & MISSION_DATA_OWN_ENVIRONMENT);
        EXPECT_EQ(std::string(BodyEnvironmentName(BodyEnvironmentFromName(m.environment))), m.environment);
        for (int o = 0; o < m.objectiveCount; ++o) {
            const Objective& objective = *m.objectives[o];
            EXPECT_NE(objective.type, OBJECTIVE_NONE) << objective.id;
            types.insert(objective.type);
            EXPECT_NE(table.Lookup(objective.text), nullptr) << objective.text;
            EXPECT_EQ(KnownTargets.count(objective.target), 1u) << objective.target;
        }
        for (int e = 0; e < m.eventCount; ++e) {
            const MissionEvent& event = *m.events[e];
            EXPECT_GT(event.conditionCount, 0) << event.name;
            EXPECT_GT(event.actionCount, 0) << event.name;
            for (int a = 0; a < event.actionCount; ++a)
                if (IsKey(event.actions[a]->giver)) {
                    EXPECT_NE(table.Lookup(event.actions[a]->giver), nullptr) << event.actions[a]->giver;
                }
        }
    }
    for (int type : {OBJECTIVE_BUILD, OBJECTIVE_MINING, OBJECTIVE_DESTROY_BUILDING, OBJECTIVE_DISCOVER_ENTITY,
                     OBJECTIVE_RECOVER_OBJECT, OBJECTIVE_ELIMINATE_ENEMIES})
        EXPECT_EQ(types.count(type), 1u) << type;
    for (const char* key : {"<rand_mission>", "<rand_desc>", "<rand_brief>"}) EXPECT_NE(table.Lookup(key), nullptr);
}
