#include "campaign/MissionCatalogue.h"

#include "campaign/PlayerProfile.h"
#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/EventManager.h"
#include "platform/Files.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

bool MissionCatalogue::catalogueRead = false;
MissionRecord* MissionCatalogue::missions = nullptr;
int MissionCatalogue::missionCount = 0;
int MissionCatalogue::selectedIndex = -1;
MissionRecord MissionCatalogue::scratch;
bool MissionCatalogue::scratchActive = false;

namespace {

// The catalogue's comments: an "END_OF_FILE" ends the reading even inside a comment, and the
// first "*/" ends a comment however many "/*" it holds.
constexpr LexerRules MISSION_RULES = [] {
    LexerRules r = SCRIPT_RULES;
    r.endMarkersInComments = true;
    return r;
}();

struct WordValue {
    const char* word;
    int value;
};

const WordValue LevelTemplates[] = {
    {"OppositeEnemy", LEVEL_TEMPLATE_OPPOSITE_ENEMY},
    {"RiverDivides", LEVEL_TEMPLATE_RIVER_DIVIDES},
    {"2Rivers", LEVEL_TEMPLATE_2_RIVERS},
    {"NoRivers", LEVEL_TEMPLATE_NO_RIVERS},
};

// What a condition's argument is: a number or a word. Other words make no condition.
enum { ARG_NONE, ARG_INT, ARG_WORD };
struct ConditionWord {
    const char* word;
    int type;
    int argument;
};
const ConditionWord Conditions[] = {
    {"START_GAME", CONDITION_START_GAME, ARG_INT},
    {"OBJECTIVES_COMPLETE", CONDITION_OBJECTIVES_COMPLETE, ARG_INT},
    {"IS_OBJECTIVE_COMPLETE", CONDITION_IS_OBJECTIVE_COMPLETE, ARG_WORD},
    {"DISCOVER_ENTITY", CONDITION_DISCOVER_ENTITY, ARG_WORD},
    {"DISCOVER_ENEMY", CONDITION_DISCOVER_ENEMY, ARG_WORD},
    {"DISCOVER_ORE", CONDITION_DISCOVER_ORE, ARG_INT},
    {"GAME_TIME", CONDITION_GAME_TIME, ARG_INT},
    {"LOW_HEALTH", CONDITION_LOW_HEALTH, ARG_WORD},
};

const WordValue Actions[] = {
    {"SHOW_DIALOG", ACTION_SHOW_DIALOG},
    {"END_GAME", ACTION_END_GAME},
    {"SHOW_DIALOG_THEN_WARP", ACTION_SHOW_DIALOG_THEN_WARP},
};

class CatalogueReader {
public:
    explicit CatalogueReader(Lexer& in) : in_(in) {}

    void Run()
    {
        while (const char* token = in_.Next()) {
            std::string keyword = token;
            Keyword(keyword.c_str());
        }
    }

private:
    // The next token as text (empty at the end of the file).
    std::string Word()
    {
        const char* token = in_.NextValue();
        return token ? token : "";
    }
    int Int()
    {
        int value = 0;
        in_.ToInt(Word().c_str(), &value);
        return value;
    }
    // A number with a meaning only within low..high: one beyond is the nearest end, logged.
    int Int(const char* key, int low, int high)
    {
        std::string word = Word();
        int value = 0;
        if (in_.ToInt(word.c_str(), &value, low, high) == NumberStatus::OUT_OF_RANGE)
            in_.Warn(in_.Line(), "%s value %s is out of range, %d is used", key, word.c_str(), value);
        return value;
    }

    void Keyword(const char* k)
    {
        if (strcmp(k, "AddMission") == 0) {
            AddMission();
            return;
        }
        // Everything else belongs to a mission; before the first one it is passed over.
        if (!mission_) return;
        if (strcasecmp(k, "additional_attribute") == 0) {
            Int();
        } else if (strcasecmp(k, "SetFlag") == 0) {
            if (strcasecmp(Word().c_str(), "MISSION_DATA_RESERVE_ALL_CENTER") == 0)
                mission_->flags |= MISSION_DATA_RESERVE_ALL_CENTER;
        } else if (strcasecmp(k, "PlayerStart") == 0) {
            mission_->playerStart = Int(k, 0, PLAYER_START_CORNERS);
        } else if (strcasecmp(k, "EnemyCount") == 0) {
            mission_->enemyCount = Int();
        } else if (strcasecmp(k, "CreatureCount") == 0) {
            mission_->creatureCount = Int();
        } else if (strcasecmp(k, "NoDropship") == 0) {
            mission_->noDropship = Int() == 1;
        } else if (strcasecmp(k, "LevelTemplate") == 0) {
            std::string word = Word();
            mission_->levelTemplate = LEVEL_TEMPLATE_NONE;
            for (const WordValue& t : LevelTemplates)
                if (strcasecmp(word.c_str(), t.word) == 0) mission_->levelTemplate = t.value;
        } else if (strcasecmp(k, "AddObjective") == 0) {
            AddObjective();
        } else if (strcasecmp(k, "ObjectiveFlag") == 0) {
            uint32_t bit = ObjectiveFlagFromName(Word().c_str());
            if (objective_) objective_->flags |= bit;
        } else if (strcasecmp(k, "AddEvent") == 0) {
            std::string name = Word();
            MissionEvent* event = new MissionEvent();
            CopyText(event->name, sizeof event->name, name.c_str());
            // An eleventh event is read and dropped: what follows it belongs to no event.
            event_ = mission_->AddEvent(event) ? event : nullptr;
        } else if (strcasecmp(k, "Condition") == 0) {
            AddCondition();
        } else if (strcasecmp(k, "Action") == 0) {
            AddAction();
        } else if (strcasecmp(k, "EventFlag") == 0) {
            std::string word = Word();
            if (event_ && word == "EVENT_DISABLE") event_->flags |= MISSION_EVENT_DISABLED;
        }
    }

    void AddMission()
    {
        std::string name = Word(), description = Word(), briefing = Word(), faction = Word();
        int experience = Int(), credits = Int(), level = Int("AddMission level", 0, PROFILE_LEVEL_MAX);
        std::string environment = Word();
        objective_ = nullptr;
        event_ = nullptr;
        if (MissionCatalogue::missionCount >= MissionCatalogue::MAX_MISSIONS) {
            Log("WARNING: %s line %d: more than %d missions; '%s' is dropped\n", in_.Name().c_str(), in_.Line(),
                MissionCatalogue::MAX_MISSIONS, name.c_str());
            mission_ = nullptr;
            return;
        }
        MissionRecord* m = &MissionCatalogue::missions[MissionCatalogue::missionCount];
        m->ReleaseContents();
        m->index = MissionCatalogue::missionCount++;
        CopyText(m->name, sizeof m->name, name.c_str());
        CopyText(m->description, sizeof m->description, description.c_str());
        CopyText(m->briefing, sizeof m->briefing, briefing.c_str());
        CopyText(m->faction, sizeof m->faction, faction.c_str());
        m->experienceReward = experience;
        m->creditReward = credits;
        m->level = level;
        CopyText(m->environment, sizeof m->environment, environment.c_str());
        m->flags = MISSION_DATA_BUILT;
        if (strcasecmp(environment.c_str(), "rand") != 0) m->flags |= MISSION_DATA_OWN_ENVIRONMENT;
        m->levelTemplate = LEVEL_TEMPLATE_NONE;
        mission_ = m;
    }

    void AddObjective()
    {
        std::string id = Word(), text = Word(), type = Word(), target = Word();
        int count = Int();
        Objective* o = new Objective();
        CopyText(o->id, sizeof o->id, id.c_str());
        CopyText(o->text, sizeof o->text, text.c_str());
        o->type = ObjectiveTypeFromName(type.c_str());
        CopyText(o->target, sizeof o->target, target.c_str());
        o->targetCount = count;
        if (event_) o->flags |= OBJECTIVE_STARTS_INACTIVE;
        if (!mission_->AddObjective(o)) {
            Log("WARNING: %s line %d: more than %d objectives in '%s'; '%s' is dropped\n", in_.Name().c_str(),
                in_.Line(), MAX_MISSION_OBJECTIVES, mission_->name, id.c_str());
            objective_ = nullptr;
            return;
        }
        objective_ = o;
        // The event only points at it: the mission frees it.
        if (event_) event_->AddObjective(o);
    }

    void AddCondition()
    {
        std::string word = Word();
        for (const ConditionWord& c : Conditions) {
            if (strcasecmp(word.c_str(), c.word) != 0) continue;
            int value = 0;
            std::string name;
            if (c.argument == ARG_INT)
                value = Int();
            else
                name = Word();
            if (event_) event_->AddCondition(c.type, name.c_str(), value);
            return;
        }
    }

    void AddAction()
    {
        std::string word = Word();
        for (const WordValue& a : Actions) {
            if (strcasecmp(word.c_str(), a.word) != 0) continue;
            std::string first = Word(), second = Word();
            if (event_) event_->AddAction(a.value, first.c_str(), second.c_str());
            return;
        }
    }

    Lexer& in_;
    MissionRecord* mission_ = nullptr;
    Objective* objective_ = nullptr;
    MissionEvent* event_ = nullptr;
};

}  // namespace

bool MissionCatalogue::LoadMissions(const char* path)
{
    if (!missions) missions = new MissionRecord[MAX_MISSIONS]();
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, path ? path : "data/scripts/missions.cgs");
    FixPath(fixed);
    FILE* file = OpenDataFile(fixed, "rb");
    if (!file) {
        Log("WARNING: the mission catalogue %s could not be opened; there are no story missions\n", fixed);
        catalogueRead = false;
        return false;
    }
    std::string text;
    ReadFileText(file, &text);
    fclose(file);
    Lexer in(text.data(), text.size(), MISSION_RULES, fixed);
    CatalogueReader(in).Run();
    Log("Read the mission catalogue %s: %d missions\n", fixed, missionCount);
    catalogueRead = true;
    return true;
}

void MissionCatalogue::ClearMissions()
{
    if (missions) {
        for (int i = 0; i < MAX_MISSIONS; ++i) missions[i].ReleaseContents();
        delete[] missions;
        missions = nullptr;
    }
    missionCount = 0;
    selectedIndex = -1;
    scratch.ReleaseContents();
    scratchActive = false;
    catalogueRead = false;
}

MissionRecord* MissionCatalogue::GetCurrentMission()
{
    if (scratchActive) return &scratch;
    if (missions && selectedIndex >= 0 && selectedIndex < missionCount) return &missions[selectedIndex];
    return nullptr;
}

MissionRecord* MissionCatalogue::InitRandomMission()
{
    scratch.ReleaseContents();
    CopyText(scratch.name, sizeof scratch.name, "<rand_mission>");
    CopyText(scratch.description, sizeof scratch.description, "<rand_desc>");
    CopyText(scratch.briefing, sizeof scratch.briefing, "<rand_brief>");
    CopyText(scratch.faction, sizeof scratch.faction, "Faction");
    scratch.experienceReward = 500;
    scratch.creditReward = 500;
    scratch.level = GetPlayerProfile()->level;
    CopyText(scratch.environment, sizeof scratch.environment, "rand");
    scratch.flags = MISSION_DATA_BUILT;
    scratch.creatureCount = 1;
    scratch.levelTemplate = LEVEL_TEMPLATE_NONE;
    scratch.noDropship = false;
    scratchActive = true;
    return &scratch;
}
