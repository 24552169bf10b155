#include "campaign/MissionRecord.h"

#include "host/System.h"
#include "mechanics/EventManager.h"
#include "platform/Files.h"
#include "platform/StringTable.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

const char* const ObjectiveTypeNames[] = {"BUILD",         "MINING",          "RECOVER_OBJECT",
                                          "ELIMINATE_FACTION", "ELIMINATE_ENEMIES", "REPAIR_OBJECT",
                                          "DISCOVER_ENTITY",   "HACK_COMPUTER",     "DISCOVER_ORE",
                                          "DESTROY_BUILDING",  "DESTROY_TYPE",      "EXCAVATE_OBJECT"};

struct FlagName {
    const char* name;
    uint32_t bit;
};
const FlagName ObjectiveFlagNames[] = {
    {"OBJECTIVE_ENEMY_OUTPOST", OBJECTIVE_ENEMY_OUTPOST},
    {"OBJECTIVE_ENEMY_SMALL_CITY", OBJECTIVE_ENEMY_SMALL_CITY},
    {"OBJECTIVE_ENEMY_LARGE_CITY", OBJECTIVE_ENEMY_LARGE_CITY},
    {"OBJECTIVE_GUARDED_OBJECT", OBJECTIVE_GUARDED_OBJECT},
    {"OBJECTIVE_ADJACENT_TO_PLAYER", OBJECTIVE_ADJACENT_TO_PLAYER},
    {"OBJECTIVE_FAR_FROM_PLAYER", OBJECTIVE_FAR_FROM_PLAYER},
    {"OBJECTIVE_IN_CITY", OBJECTIVE_IN_CITY},
    {"OBJECTIVE_MAP_CENTER", OBJECTIVE_MAP_CENTER},
    {"OBJECTIVE_OPPOSITE_TO_PLAYER", OBJECTIVE_OPPOSITE_TO_PLAYER},
    {"OBJECTIVE_MAP_ZERO", OBJECTIVE_MAP_ZERO},
};

const char* const FactionKeys[] = {"guild", "military", "corporate", "science"};
const char* const FactionNames[] = {"Ferrist Guild", "Military", "Hallstrade Corporation", "Academy of Science"};

}  // namespace

int ObjectiveTypeFromName(const char* word)
{
    if (!word) return OBJECTIVE_NONE;
    for (int i = 0; i < (int)(sizeof ObjectiveTypeNames / sizeof *ObjectiveTypeNames); ++i)
        if (strcasecmp(word, ObjectiveTypeNames[i]) == 0) return i + 1;
    return OBJECTIVE_NONE;
}

uint32_t ObjectiveFlagFromName(const char* word)
{
    if (!word) return 0;
    for (const FlagName& f : ObjectiveFlagNames)
        if (strcmp(word, f.name) == 0) return f.bit;
    return 0;
}

void BriefedObjectiveLine(const Objective* objective, char* out, size_t size)
{
    if (!size) return;
    out[0] = '\0';
    if (!objective) return;
    const char* described = GameText(objective->text);
    if (described && described[0])
        CopyText(out, size, described);
    else if (objective->targetCount > 1)
        snprintf(out, size, "%s [%d]", objective->id, objective->targetCount);
    else
        CopyText(out, size, objective->id);
    FormatDisplayText(out, 3);
}

bool MissionRecord::AddObjective(Objective* objective)
{
    if (!objective) return false;
    if (objectiveCount >= MAX_MISSION_OBJECTIVES) {
        delete objective;
        return false;
    }
    objectives[objectiveCount++] = objective;
    return true;
}

bool MissionRecord::AddEvent(MissionEvent* event)
{
    if (!event) return false;
    if (eventCount >= MAX_MISSION_EVENTS) {
        delete event;
        return false;
    }
    events[eventCount++] = event;
    return true;
}

void MissionRecord::ReleaseContents()
{
    // Events only point at their objectives; the record frees each objective once.
    for (int i = 0; i < eventCount && i < MAX_MISSION_EVENTS; ++i) delete events[i];
    for (int i = 0; i < objectiveCount && i < MAX_MISSION_OBJECTIVES; ++i) delete objectives[i];
    *this = MissionRecord();
}

const char* GetFactionKey(int index)
{
    return index >= 0 && index < 4 ? FactionKeys[index] : nullptr;
}

const char* GetFactionName(int index)
{
    return index >= 0 && index < 4 ? FactionNames[index] : nullptr;
}

const char* GetMissionGiver(const char* factionKey, bool chief)
{
    if (!factionKey) return nullptr;
    if (strcmp(factionKey, "guild") == 0) return "Tova Quillan\nGuild Administrator";
    if (strcmp(factionKey, "military") == 0) return "General Kordane";
    if (strcmp(factionKey, "corporate") == 0)
        return chief ? "Corvin Hallstrade\nCEO" : "Ilsa Marrant\nDirector of Operations";
    if (strcmp(factionKey, "science") == 0) return "Professor Ferrow\nChief Scientist";
    return nullptr;
}
