#include "campaign/MissionRecord.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "mechanics/EventManager.h"
#include "tests/campaign/CampaignTestSupport.h"

#include <cstring>

namespace {

// The suite keeps the catalogue's name: within this file it names the fixture.
using MissionCatalogue = CampaignTest;

TEST_F(MissionCatalogue, AMissionIsReadWithItsFieldsAndDefaults)
{
    LoadText("// a comment line AddMission x\n"
             "PlayerStart 3\n"  // before any mission: passed over
             "AddMission name desc brief military 120 340 2 Winter\n"
             "  additional_attribute 7 SetFlag mission_data_reserve_all_center\n"
             "  playerstart 2 EnemyCount 4 CreatureCount 5 NoDropship 2 LevelTemplate 2rivers\n"
             "AddMission second d b guild 1 2 3 RAND\n"
             "  NoDropship 1 LevelTemplate Mountains\n"
             "addmission third d b guild 1 2 3 forest\n"
             "END_OF_FILE\n"
             "AddMission after d b guild 1 2 3 forest\n");
    ASSERT_EQ(MissionScreen::missionCount, 2);
    const MissionRecord& m = MissionScreen::missions[0];
    EXPECT_STREQ(m.name, "name");
    EXPECT_STREQ(m.description, "desc");
    EXPECT_STREQ(m.briefing, "brief");
    EXPECT_STREQ(m.faction, "military");
    EXPECT_EQ(m.index, 0);
    EXPECT_EQ(m.experienceReward, 120);
    EXPECT_EQ(m.creditReward, 340);
    EXPECT_EQ(m.level, 2);
    EXPECT_STREQ(m.environment, "Winter");
    EXPECT_EQ(m.flags, MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT | MISSION_DATA_RESERVE_ALL_CENTER);
    EXPECT_EQ(m.playerStart, 2);
    EXPECT_EQ(m.enemyCount, 4);
    EXPECT_EQ(m.creatureCount, 5);
    EXPECT_FALSE(m.noDropship);
    EXPECT_EQ(m.levelTemplate, LEVEL_TEMPLATE_2_RIVERS);

    const MissionRecord& second = MissionScreen::missions[1];
    EXPECT_EQ(second.index, 1);
    EXPECT_EQ(second.flags, MISSION_DATA_BUILT);  // "RAND" leaves the environment to the planet
    EXPECT_TRUE(second.noDropship);
    EXPECT_EQ(second.levelTemplate, LEVEL_TEMPLATE_NONE);
    // "addmission" is no mission: the rest of its line is passed over as unknown words.
}

TEST_F(MissionCatalogue, ObjectivesAndEventsAreReadAndTheMissionOwnsEveryObjective)
{
    LoadText("AddMission m d b guild 1 1 0 rand\n"
             "addobjective first <t1> mining ore 500\n"
             "ObjectiveFlag OBJECTIVE_MAP_CENTER ObjectiveFlag objective_in_city ObjectiveFlag OBJECTIVE_GUARDED_OBJECT\n"
             "AddObjective odd text DANCE thing 2\n"
             "AddEvent warn\n"
             "  Condition GAME_TIME 30 Condition IS_OBJECTIVE_COMPLETE first Condition JUMP 5\n"
             "  Action SHOW_DIALOG <d1> none Action FLY a b Action END_GAME x y\n"
             "  EventFlag EVENT_DISABLE\n"
             "  AddObjective later <t2> DESTROY_BUILDING Scavenger_camp 1\n");
    ASSERT_EQ(MissionScreen::missionCount, 1);
    const MissionRecord& m = MissionScreen::missions[0];
    ASSERT_EQ(m.objectiveCount, 3);
    const Objective& first = *m.objectives[0];
    EXPECT_STREQ(first.id, "first");
    EXPECT_STREQ(first.text, "<t1>");
    EXPECT_EQ(first.type, OBJECTIVE_MINING);
    EXPECT_STREQ(first.target, "ore");
    EXPECT_EQ(first.targetCount, 500);
    EXPECT_EQ(first.flags, OBJECTIVE_ACTIVE | OBJECTIVE_MAP_CENTER | OBJECTIVE_GUARDED_OBJECT);
    EXPECT_STREQ(first.note, "none");
    EXPECT_STREQ(first.verb, "none");
    EXPECT_EQ(first.entityId, -1);
    EXPECT_EQ(m.objectives[1]->type, OBJECTIVE_NONE);

    ASSERT_EQ(m.eventCount, 1);
    const MissionEvent& e = *m.events[0];
    EXPECT_STREQ(e.name, "warn");
    EXPECT_EQ(e.flags, MISSION_EVENT_ENABLED | MISSION_EVENT_DISABLED);
    ASSERT_EQ(e.conditionCount, 2);  // "JUMP" makes none and reads no argument: "5" is a word
    EXPECT_EQ(e.conditions[0]->type, CONDITION_GAME_TIME);
    EXPECT_EQ(e.conditions[0]->value, 30);
    EXPECT_EQ(e.conditions[1]->type, CONDITION_IS_OBJECTIVE_COMPLETE);
    EXPECT_STREQ(e.conditions[1]->name, "first");
    ASSERT_EQ(e.actionCount, 2);
    EXPECT_EQ(e.actions[0]->type, ACTION_SHOW_DIALOG);
    EXPECT_STREQ(e.actions[0]->giver, "<d1>");
    EXPECT_EQ(e.actions[1]->type, ACTION_END_GAME);

    // The event's objective stands in both lists and is the mission's to free (the sanitizer
    // build catches a second free).
    ASSERT_EQ(e.objectiveCount, 1);
    EXPECT_EQ(e.objectives[0], m.objectives[2]);
    EXPECT_EQ(m.objectives[2]->flags, OBJECTIVE_ACTIVE | OBJECTIVE_STARTS_INACTIVE);
}

TEST_F(MissionCatalogue, CommentsLimitsAndTheEndOfTheFile)
{
    std::string text = "/* AddMission hidden d b guild 1 1 0 rand /* still hidden */\n"
                       "AddMission m d b guild 1 1 0 rand\n";
    for (int i = 0; i < 12; ++i) text += "AddObjective o" + std::to_string(i) + " t BUILD refinery 1\n";
    for (int i = 0; i < 12; ++i) text += "AddEvent e" + std::to_string(i) + "\n";
    for (int i = 0; i < 10; ++i) text += "Condition START_GAME 0\n";
    text += "/* END_OF_FILE */ AddMission late d b guild 1 1 0 rand\n";
    LoadText(text);
    ASSERT_EQ(MissionScreen::missionCount, 1);
    const MissionRecord& m = MissionScreen::missions[0];
    EXPECT_EQ(m.objectiveCount, MAX_MISSION_OBJECTIVES);
    EXPECT_STREQ(m.objectives[9]->id, "o9");
    EXPECT_EQ(m.eventCount, MAX_MISSION_EVENTS);
    EXPECT_EQ(m.events[9]->conditionCount, 0);  // the conditions followed a dropped event

    MissionScreen::ClearMissions();
    std::string many;
    for (int i = 0; i < 70; ++i) many += "AddMission m" + std::to_string(i) + " d b guild 1 1 0 rand\n";
    LoadText(many);
    EXPECT_EQ(MissionScreen::missionCount, MissionScreen::MAX_MISSIONS);

    MissionScreen::ClearMissions();
    LoadText("END_OF_FILE\n");
    EXPECT_EQ(MissionScreen::missionCount, 0);
    EXPECT_NE(MissionScreen::missions, nullptr);

    MissionScreen::ClearMissions();
    EXPECT_FALSE(MissionScreen::LoadMissions("data/scripts/no_such_missions.cgs"));
    EXPECT_EQ(MissionScreen::missionCount, 0);
}

TEST_F(MissionCatalogue, TheCurrentMissionIsTheScratchRecordOrTheSelectedOne)
{
    EXPECT_EQ(MissionScreen::GetCurrentMission(), nullptr);
    LoadText("AddMission a d b guild 1 1 0 rand\nAddMission b d b guild 1 1 0 rand\n");
    EXPECT_EQ(MissionScreen::GetCurrentMission(), nullptr);
    MissionScreen::selectedIndex = 1;
    EXPECT_EQ(MissionScreen::GetCurrentMission(), &MissionScreen::missions[1]);
    MissionScreen::selectedIndex = 2;
    EXPECT_EQ(MissionScreen::GetCurrentMission(), nullptr);

    GetPlayerProfile()->level = 4;
    MissionRecord* scratch = MissionScreen::InitRandomMission();
    EXPECT_EQ(MissionScreen::GetCurrentMission(), scratch);
    EXPECT_STREQ(scratch->name, "<rand_mission>");
    EXPECT_STREQ(scratch->description, "<rand_desc>");
    EXPECT_STREQ(scratch->briefing, "<rand_brief>");
    EXPECT_STREQ(scratch->faction, "Faction");
    EXPECT_STREQ(scratch->environment, "rand");
    EXPECT_EQ(scratch->level, 4);
    EXPECT_EQ(scratch->experienceReward, 500);
    EXPECT_EQ(scratch->creditReward, 500);
    EXPECT_EQ(scratch->flags, MISSION_DATA_BUILT);
    EXPECT_EQ(scratch->creatureCount, 1);
    EXPECT_EQ(scratch->objectiveCount, 0);
    GetPlayerProfile()->level = 0;
}

TEST(MissionGivers, FactionsAndTheirGivers)
{
    struct Case {
        int index;
        const char* key;
        const char* name;
        const char* giver;
        const char* chief;
    } cases[] = {
        {0, "guild", "Ferrist Guild", "Tova Quillan\nGuild Administrator", "Tova Quillan\nGuild Administrator"},
        {1, "military", "Military", "General Kordane", "General Kordane"},
        {2, "corporate", "Hallstrade Corporation", "Ilsa Marrant\nDirector of Operations", "Corvin Hallstrade\nCEO"},
        {3, "science", "Academy of Science", "Professor Ferrow\nChief Scientist", "Professor Ferrow\nChief Scientist"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(GetFactionKey(c.index), c.key);
        EXPECT_STREQ(GetFactionName(c.index), c.name);
        EXPECT_STREQ(GetMissionGiver(c.key, false), c.giver);
        EXPECT_STREQ(GetMissionGiver(c.key, true), c.chief);
    }
    EXPECT_EQ(GetFactionKey(4), nullptr);
    EXPECT_EQ(GetMissionGiver("Guild", false), nullptr);
}

}  // namespace
