#pragma once
// A mission: its texts, mission giver, environment, level and rewards, the hints the level
// generator reads, and the objectives and events it carries. Story missions come from the
// mission catalogue (data/scripts/missions.cgs), random ones are built into one scratch
// record. A record is plain data; the objectives and events it was given are its own and
// go with ReleaseContents, never with the objects that point at them from elsewhere (an
// event's objective stands in the event and in its mission, and the mission frees it).
#include "world/Entity.h"

#include <cstddef>
#include <cstdint>

class MissionEvent;

// MissionRecord::flags
constexpr uint32_t MISSION_DATA_BUILT = 0x2;
constexpr uint32_t MISSION_DATA_OWN_ENVIRONMENT = 0x4;  // the environment is the record's, not "rand"
constexpr uint32_t MISSION_DATA_RESERVE_ALL_CENTER = 0x8;

// Objective::type (0 for a word the catalogue does not know)
enum ObjectiveType {
    OBJECTIVE_NONE = 0,
    OBJECTIVE_BUILD = 1,
    OBJECTIVE_MINING = 2,
    OBJECTIVE_RECOVER_OBJECT = 3,
    OBJECTIVE_ELIMINATE_FACTION = 4,
    OBJECTIVE_ELIMINATE_ENEMIES = 5,
    OBJECTIVE_REPAIR_OBJECT = 6,
    OBJECTIVE_DISCOVER_ENTITY = 7,
    OBJECTIVE_HACK_COMPUTER = 8,
    OBJECTIVE_DISCOVER_ORE = 9,
    OBJECTIVE_DESTROY_BUILDING = 10,
    OBJECTIVE_DESTROY_TYPE = 11,
    OBJECTIVE_EXCAVATE_OBJECT = 12,
};

// Objective::flags: its state...
constexpr uint32_t OBJECTIVE_ACTIVE = 0x1;
constexpr uint32_t OBJECTIVE_DONE = 0x2;
constexpr uint32_t OBJECTIVE_STARTS_INACTIVE = 0x4;  // an event's objective: the event brings it on
constexpr uint32_t OBJECTIVE_OWNED = 0x8;            // made during play: the objectives list frees it
// ...and where the level generator puts its site.
constexpr uint32_t OBJECTIVE_ENEMY_OUTPOST = 0x10;
constexpr uint32_t OBJECTIVE_ENEMY_SMALL_CITY = 0x20;
constexpr uint32_t OBJECTIVE_ENEMY_LARGE_CITY = 0x40;
constexpr uint32_t OBJECTIVE_GUARDED_OBJECT = 0x400;
constexpr uint32_t OBJECTIVE_ADJACENT_TO_PLAYER = 0x800;
constexpr uint32_t OBJECTIVE_FAR_FROM_PLAYER = 0x1000;
constexpr uint32_t OBJECTIVE_IN_CITY = 0x2000;
constexpr uint32_t OBJECTIVE_MAP_CENTER = 0x4000;
constexpr uint32_t OBJECTIVE_OPPOSITE_TO_PLAYER = 0x8000;
constexpr uint32_t OBJECTIVE_MAP_ZERO = 0x10000;

constexpr int MAX_MISSION_OBJECTIVES = 10;
constexpr int MAX_MISSION_EVENTS = 10;
// MissionEvent::flags: the catalogue's "EVENT_DISABLE".
constexpr uint32_t MISSION_EVENT_DISABLED = 0x4;

struct Objective {
    char id[128] = "none";  // also the name events refer to it by
    char text[32] = "none";
    char note[128] = "none";
    uint32_t flags = OBJECTIVE_ACTIVE;
    int entityId = -1;
    int type = OBJECTIVE_BUILD;
    char verb[64] = "none";    // the action word of a random "collect" objective
    char target[64] = "none";  // the mission object, building, unit type or resource
    int targetCount = 0;
    // Tracking during play.
    int index = 0;  // its place in the list when it was added: the save file's key
    // The target found by name, kept with its id: a pool agent handed out again as someone
    // else is never taken for it.
    EntityRef cachedEntity;
    int count = 0;  // progress
    // The objectives its completion brings on: the first, and each one's next.
    Objective* firstFollowUp = nullptr;
    Objective* nextFollowUp = nullptr;
};

// Whether the briefing and the galaxy's panel list the objective: an event's own objectives stay
// hidden until the event brings them on.
inline bool IsBriefed(const Objective* objective)
{
    return objective && (objective->flags & OBJECTIVE_ACTIVE) && !(objective->flags & OBJECTIVE_STARTS_INACTIVE);
}

// An objective as the briefing lists it: its own text, else its name with the count it asks for.
void BriefedObjectiveLine(const Objective* objective, char* out, size_t size);

// The type of an objective word ("BUILD", "MINING", ...; case ignored), 0 for any other.
int ObjectiveTypeFromName(const char* word);
// The placement bit of a flag name ("OBJECTIVE_MAP_CENTER", case kept), 0 for any other.
uint32_t ObjectiveFlagFromName(const char* word);

// Level templates (MissionRecord::levelTemplate).
enum LevelTemplate {
    LEVEL_TEMPLATE_NONE = 0,
    LEVEL_TEMPLATE_OPPOSITE_ENEMY = 1,
    LEVEL_TEMPLATE_RIVER_DIVIDES = 2,
    LEVEL_TEMPLATE_2_RIVERS = 3,
    LEVEL_TEMPLATE_NO_RIVERS = 4,
};

// The corners a player can start in.
constexpr int PLAYER_START_CORNERS = 4;

struct MissionRecord {
    char name[32] = "";         // text or string-table key
    char description[32] = "";
    char briefing[96] = "";
    char faction[72] = "";      // the mission giver's faction key
    int index = 0;              // place in the catalogue
    uint32_t flags = 0;
    char environment[32] = "rand";
    int levelTemplate = LEVEL_TEMPLATE_NONE;
    int playerStart = 0;  // 0 a random corner, 1..4 the corners (PLAYER_START_CORNERS)
    int levelSeed = 0;
    Objective* objectives[MAX_MISSION_OBJECTIVES] = {};
    int objectiveCount = 0;
    MissionEvent* events[MAX_MISSION_EVENTS] = {};
    int eventCount = 0;
    int level = 0;  // 0 up to the highest player level
    int experienceReward = 0;
    int creditReward = 0;
    int enemyCount = 0;
    int creatureCount = 0;
    bool noDropship = false;

    // Appends an objective the record then owns; false (and the objective freed) when the ten
    // slots are taken.
    bool AddObjective(Objective* objective);
    bool AddEvent(MissionEvent* event);
    // Frees the objectives and events it owns and empties the record (every field cleared).
    void ReleaseContents();
};

// The faction tables, by index 0..3 ("guild", "military", "corporate", "science"); null for
// an index outside them.
const char* GetFactionKey(int index);
const char* GetFactionName(int index);
// The mission giver of a faction key (exact case): name, line break, title. The corporation
// has its chief and its director of operations. Null for an unknown key.
const char* GetMissionGiver(const char* factionKey, bool chief);
