// The shipped campaign: every story mission loads without a warning, every text key it names
// is in the string tables, and every target is one the world knows.
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/ProfileScreen.h"
#include "interface/PlayerGame.h"
#include "interface/PlayerTechGui.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/EventManager.h"
#include "levelgen/MissionObjects.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/StringTable.h"
#include "render/MeshLibrary.h"
#include "tests/support/Scoped.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "tests/campaign/CampaignTestSupport.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

namespace {

bool IsKey(const char* text)
{
    return text[0] == '<';
}

// Whether the text holds the word, case kept, with no letter, digit or '_' joined to it.
bool HasWholeWord(const std::string& text, const std::string& word)
{
    auto joined = [](char c) { return isalnum((unsigned char)c) || c == '_'; };
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool before = at > 0 && joined(text[at - 1]);
        const bool after = at + word.size() < text.size() && joined(text[at + word.size()]);
        if (!before && !after) return true;
    }
    return false;
}

// The catalogues a level reads, from the shipped data: mission objects, unit types, items and
// buildings.
class CampaignContent : public CampaignTest {
protected:
    void SetUp() override
    {
        CampaignTest::SetUp();
        ASSERT_TRUE(TheScene.InitLists());
        LogCaptureBegin();
        game.LoadCatalogues();
        ASSERT_TRUE(objects.Load());
        std::string log = LogCaptureEnd();
        EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    }
    void TearDown() override
    {
        TheScene.ReleaseEntities();
        CampaignTest::TearDown();
    }

    // Something a level can hold under that name: a unit type, a building or a mission object.
    bool InTheWorld(const char* name) const
    {
        return game.agentTypes->FindPrototype(name) || game.buildItems->FindByName(name) || objects.Find(name, 0);
    }
    // Why the level cannot set up or follow an objective of a story mission; empty when it can.
    // The layout gives a place only to some types; what stands at that place is the mission
    // object of the target, whose spawn carries the objective the player is shown.
    std::string Unplaceable(const Objective& o) const
    {
        switch (o.type) {
        case OBJECTIVE_BUILD:
            return game.buildItems->FindByName(o.target) ? "" : "no building of that name to build";
        case OBJECTIVE_MINING:
            return strcmp(o.target, "ore") == 0 || strcmp(o.target, "fuel") == 0 ? "" : "only ore or fuel is mined";
        case OBJECTIVE_DISCOVER_ORE:
            return "";
        case OBJECTIVE_ELIMINATE_ENEMIES:
            if (strcmp(o.target, "scavengers") == 0) return "";
            if (StrICmp(o.target, "creature_nest") == 0)
                return game.buildItems->FindByName(o.target) ? "" : "no creature nest to build";
            if (StrNICmp(o.target, "Elite_", 6) == 0 && !game.agentTypes->FindPrototype(o.target))
                return "no unit type of that name";
            break;
        case OBJECTIVE_RECOVER_OBJECT:
        case OBJECTIVE_ELIMINATE_FACTION:
        case OBJECTIVE_REPAIR_OBJECT:
        case OBJECTIVE_DISCOVER_ENTITY:
        case OBJECTIVE_DESTROY_BUILDING:
        case OBJECTIVE_DESTROY_TYPE:
            break;
        default:
            return "the layout gives this type no place in the level";
        }
        const MissionObject* object = objects.Find(o.target, 0);
        if (!object) return "no mission object of that name";
        if (StrNICmp(o.target, "Elite_", 6) == 0) return "";
        for (const MissionSpawnObject& spawn : object->spawnObjects)
            if (spawn.objectiveType == o.type) return "";
        return "its mission object sets up another kind of objective";
    }

    std::unique_ptr<MeshLibrary> library = std::make_unique<MeshLibrary>();
    ScopedGlobal<MeshLibrary*> currentLibrary{TheMeshLibrary, library.get()};
    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    MissionObjects objects;
};

}  // namespace



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
    int lastLevel = 0, storyExperience = 0;
    for (int i = 0; i < MissionScreen::missionCount; ++i) {
        const MissionRecord& m = MissionScreen::missions[i];
        SCOPED_TRACE(m.name);
        // The mission log numbers the story from 1.
        const std::string prefix = "<m" + std::to_string(i + 1) + "_";
        EXPECT_EQ(std::string(m.name), prefix + "summary>");
        EXPECT_EQ(std::string(m.briefing), prefix + "brief>");
        for (const char* key : {m.name, m.description, m.briefing}) EXPECT_NE(table.Lookup(key), nullptr) << key;
        EXPECT_NE(GetMissionGiver(m.faction, true), nullptr);
        EXPECT_GE(m.level, lastLevel);  // story missions are placed in order: levels never go down
        lastLevel = m.level;
        // A player who plays only the story is never locked out of its next mission.
        EXPECT_GE(LevelFromExperience(storyExperience), m.level) << storyExperience << " experience before it";
        storyExperience += m.experienceReward;
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
            EXPECT_EQ(Unplaceable(objective), "") << objective.id << " (" << objective.target << ")";
            // The player reads the target as the briefing names it, never by the catalogue's
            // word for it: where the text has that word whole, the briefing has it too.
            const char* text = table.Lookup(objective.text);
            const char* briefing = table.Lookup(m.briefing);
            if (text && briefing && HasWholeWord(text, objective.target)) {
                EXPECT_TRUE(HasWholeWord(briefing, objective.target))
                    << objective.text << " \"" << text << "\" names " << objective.target;
            }
        }
        for (int e = 0; e < m.eventCount; ++e) {
            const MissionEvent& event = *m.events[e];
            EXPECT_GT(event.conditionCount, 0) << event.name;
            EXPECT_GT(event.actionCount, 0) << event.name;
            // A condition waiting on a name waits on something the level can hold.
            for (int c = 0; c < event.conditionCount; ++c) {
                const EventCondition& condition = *event.conditions[c];
                if (condition.type == CONDITION_IS_OBJECTIVE_COMPLETE) {
                    bool named = false;
                    for (int o = 0; o < m.objectiveCount; ++o) named |= strcmp(m.objectives[o]->target, condition.name) == 0;
                    EXPECT_TRUE(named) << event.name << ": no objective has the target " << condition.name;
                }
                if (condition.type == CONDITION_DISCOVER_ENTITY || condition.type == CONDITION_LOW_HEALTH) {
                    EXPECT_TRUE(InTheWorld(condition.name)) << event.name << ": nothing is named " << condition.name;
                }
            }
            // An end's closing line is the end window's own: a message beside it would be
            // covered by that window at once, never read.
            bool ends = false, says = false;
            for (int a = 0; a < event.actionCount; ++a) {
                ends |= event.actions[a]->type == ACTION_END_GAME;
                says |= event.actions[a]->type == ACTION_SHOW_DIALOG;
            }
            EXPECT_FALSE(ends && says) << event.name << ": its message is hidden by the end window";
            // What the message window shows: a faction's giver, and a text the tables hold. An
            // end that says nothing never ends the mission.
            for (int a = 0; a < event.actionCount; ++a) {
                const EventAction& action = *event.actions[a];
                if (action.type != ACTION_SHOW_DIALOG && action.type != ACTION_SHOW_DIALOG_THEN_WARP &&
                    action.type != ACTION_END_GAME)
                    continue;
                bool faction = false;
                for (int f = 0; f < 4; ++f) faction |= strcmp(action.giver, GetFactionKey(f)) == 0;
                EXPECT_TRUE(faction) << event.name << ": the giver " << action.giver << " is no faction";
                EXPECT_TRUE(IsKey(action.text) && table.Lookup(action.text)) << event.name << ": " << action.text;
            }
        }
    }
    for (int type : {OBJECTIVE_BUILD, OBJECTIVE_MINING, OBJECTIVE_DESTROY_BUILDING, OBJECTIVE_DISCOVER_ENTITY,
                     OBJECTIVE_RECOVER_OBJECT, OBJECTIVE_ELIMINATE_ENEMIES})
        EXPECT_EQ(types.count(type), 1u) << type;
    for (const char* key : {"<rand_mission>", "<rand_desc>", "<rand_brief>"}) EXPECT_NE(table.Lookup(key), nullptr);

    // The journal pages a random level hides: numbered from 1, each with a title and a text,
    // so that finding them all can be earned.
    int journals = 0;
    for (char title[32], text[40];; ++journals) {
        snprintf(title, sizeof title, "<journal_%d>", journals + 1);
        snprintf(text, sizeof text, "<journal_%d_desc>", journals + 1);
        if (!table.Lookup(title)) break;
        EXPECT_NE(table.Lookup(text), nullptr) << text;
    }
    EXPECT_GE(journals, 1);
    ScopedGlobal<StringTable*> strings(Strings, &table);
    EXPECT_EQ(CountJournalEntries(), journals);
}

// A new pilot chooses one of two bots to start with: that one comes with the profile, still
// when the profile has been written and read back, and the other waits in the shop.
TEST_F(CampaignContent, TheChosenStartingBotAloneComesWithTheProfile)
{
    const std::string folder = MakeTempFolder("startingbot");
    for (int choice = 0; choice < 2; ++choice) {
        SCOPED_TRACE(STARTING_UNITS[choice]);
        AgentType* chosen = game.agentTypes->FindType(STARTING_UNITS[choice]);
        AgentType* other = game.agentTypes->FindType(STARTING_UNITS[1 - choice]);
        ASSERT_TRUE(chosen && other);
        PlayerProfile profile;
        profile.Clear();
        EXPECT_FALSE(TechUnitShown(*chosen)) << "no pilot has it before choosing it";
        chosen->flags |= AGENT_TYPE_OWNED;
        const std::string path = folder + "/pilot" + std::to_string(choice) + ".cgs";
        ASSERT_TRUE(profile.Save(path.c_str(), false));
        ASSERT_TRUE(profile.Load(path.c_str(), false, false));
        EXPECT_TRUE(TechUnitShown(*chosen)) << "the chosen bot is the pilot's";
        EXPECT_FALSE(TechUnitShown(*other)) << "the other is not";
        EXPECT_GT(other->buyCost, 0) << "the shop sells the other";
    }
}
