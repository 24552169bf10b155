#pragma once
// A mission as the level generator reads it: where the player starts, which layout and
// environment the level gets, how many camps and lairs it holds, and the objectives with
// their placement flags. The mission catalogue and the random missions fill these records;
// only the fields the level generator reads are here until the campaign's mission issue
// adds the rest (texts, rewards, events) and the catalogue reader.
#include <cstdint>

// MissionRecord::flags
constexpr uint32_t MISSION_DATA_BUILT = 0x2;
constexpr uint32_t MISSION_DATA_OWN_ENVIRONMENT = 0x4;  // the environment is the record's, not "rand"
constexpr uint32_t MISSION_DATA_RESERVE_ALL_CENTER = 0x8;

// Objective::type
enum ObjectiveType {
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

// Objective::flags: where the level generator puts an objective's site.
constexpr uint32_t OBJECTIVE_GUARDED_OBJECT = 0x400;
constexpr uint32_t OBJECTIVE_ADJACENT_TO_PLAYER = 0x800;
constexpr uint32_t OBJECTIVE_FAR_FROM_PLAYER = 0x1000;
constexpr uint32_t OBJECTIVE_IN_CITY = 0x2000;
constexpr uint32_t OBJECTIVE_MAP_CENTER = 0x4000;
constexpr uint32_t OBJECTIVE_OPPOSITE_TO_PLAYER = 0x8000;
constexpr uint32_t OBJECTIVE_MAP_ZERO = 0x10000;

constexpr int MAX_MISSION_OBJECTIVES = 10;

struct Objective {
    char id[128] = "none";
    uint32_t flags = 1;  // 1: active
    int type = OBJECTIVE_BUILD;
    char target[64] = "none";  // the mission object, building, unit type or resource
    int targetCount = 0;
};

// Level templates (MissionRecord::levelTemplate).
enum LevelTemplate {
    LEVEL_TEMPLATE_NONE = 0,
    LEVEL_TEMPLATE_OPPOSITE_ENEMY = 1,
    LEVEL_TEMPLATE_RIVER_DIVIDES = 2,
    LEVEL_TEMPLATE_2_RIVERS = 3,
    LEVEL_TEMPLATE_NO_RIVERS = 4,
};

struct MissionRecord {
    uint32_t flags = 0;
    char environment[32] = "rand";
    int levelTemplate = LEVEL_TEMPLATE_NONE;
    int playerStart = 0;  // 0 a random corner, 1..4 the corners
    int levelSeed = 0;
    Objective* objectives[MAX_MISSION_OBJECTIVES] = {};
    int objectiveCount = 0;
    int level = 0;
    int enemyCount = 0;
    int creatureCount = 0;
    bool noDropship = false;
};
