#pragma once
// A mission: where the player starts, which layout and environment the level gets, how many
// camps and lairs it holds, and its objectives. Mission records own the objectives of the
// catalogue; the objectives list of a running mission owns those it made itself. The mission
// catalogue and the random missions fill these records; the fields the level generator and
// the objective tracking read are here, and the campaign's mission issue adds the rest
// (texts, rewards, events) and the catalogue reader.
#include "world/Entity.h"

#include <cstdint>

// MissionRecord::flags
constexpr uint32_t MISSION_DATA_BUILT = 0x2;
constexpr uint32_t MISSION_DATA_OWN_ENVIRONMENT = 0x4;  // the environment is the record's, not "rand"
constexpr uint32_t MISSION_DATA_RESERVE_ALL_CENTER = 0x8;

// Objective::type
enum ObjectiveType : int {
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

// Objective::flags: its state during play...
constexpr uint32_t OBJECTIVE_ACTIVE = 0x1;
constexpr uint32_t OBJECTIVE_DONE = 0x2;
constexpr uint32_t OBJECTIVE_STARTS_INACTIVE = 0x4;  // an event's objective: the event brings it on
constexpr uint32_t OBJECTIVE_OWNED = 0x8;            // made during play: the objectives list frees it
// ... and where the level generator puts its site.
constexpr uint32_t OBJECTIVE_GUARDED_OBJECT = 0x400;
constexpr uint32_t OBJECTIVE_ADJACENT_TO_PLAYER = 0x800;
constexpr uint32_t OBJECTIVE_FAR_FROM_PLAYER = 0x1000;
constexpr uint32_t OBJECTIVE_IN_CITY = 0x2000;
constexpr uint32_t OBJECTIVE_MAP_CENTER = 0x4000;
constexpr uint32_t OBJECTIVE_OPPOSITE_TO_PLAYER = 0x8000;
constexpr uint32_t OBJECTIVE_MAP_ZERO = 0x10000;

constexpr int MAX_MISSION_OBJECTIVES = 10;

struct Objective {
    char id[128] = "none";  // the line shown to the player, and the name events know it by
    char text[32] = "none";
    uint32_t flags = OBJECTIVE_ACTIVE;
    int type = OBJECTIVE_BUILD;
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
