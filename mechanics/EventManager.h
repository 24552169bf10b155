#pragma once
// The running mission's events: each waits for its conditions, then runs its actions once,
// brings on its objectives and leaves the list. The manager checks them every half second of
// game time. Conditions and actions are numbered as the mission catalogue writes them.
//
// At most ten events are listed; more are refused with a warning in the log. Entities found
// by name are kept with their id, so an agent recycled by the pool is never taken for the one
// that was found.
#include "world/Entity.h"
#include "platform/PooledList.h"

#include <cstdint>
#include <string>
#include <vector>

struct Objective;

enum EventConditionType : int {
    CONDITION_START_GAME = 1,
    CONDITION_OBJECTIVES_COMPLETE = 2,
    CONDITION_IS_OBJECTIVE_COMPLETE = 3,
    CONDITION_DISCOVER_ENTITY = 4,
    CONDITION_DISCOVER_ENEMY = 5,
    CONDITION_DISCOVER_ORE = 6,
    CONDITION_GAME_TIME = 13,
    CONDITION_LOW_HEALTH = 14,
    CONDITION_WARP = 15,
};

enum EventActionType : int {
    ACTION_SHOW_DIALOG = 1,
    ACTION_END_GAME = 4,
    ACTION_SHOW_DIALOG_THEN_WARP = 5,
    ACTION_WARP_OUT = 6,
};

// MissionEvent::flags
constexpr uint32_t MISSION_EVENT_ENABLED = 0x1;
constexpr uint32_t MISSION_EVENT_OWNED = 0x8;  // made by the manager: it frees the event

// What CheckConditions answers.
enum EventCheck : int { EVENT_WAIT = 0, EVENT_FIRE = 1, EVENT_TOO_LATE = 2 };

struct EventCondition {
    EventCondition();
    int type;
    char name[64];
    int value;  // the game-time threshold in seconds
    EntityRef cachedEntity;
    Objective* cachedObjective;
};

struct EventAction {
    EventAction();
    int type;
    char giver[64];
    char text[64];
    int values[2];
};

class MissionEvent {
public:
    static constexpr int MAX_SLOTS = 8;

    MissionEvent();
    // Frees its conditions and actions; its objectives belong to their mission.
    ~MissionEvent();
    MissionEvent(const MissionEvent&) = delete;
    MissionEvent& operator=(const MissionEvent&) = delete;

    // Each returns the new slot (null when the eight are taken).
    EventCondition* AddCondition(int type, const char* name, int value);
    EventAction* AddAction(int type, const char* giver, const char* text);
    bool AddObjective(Objective* objective);

    int CheckConditions();
    void RunActions();

    char name[128];
    uint32_t flags;
    EventCondition* conditions[MAX_SLOTS];
    int conditionCount;
    EventAction* actions[MAX_SLOTS];
    int actionCount;
    Objective* objectives[MAX_SLOTS];
    int objectiveCount;
};

class EventManager {
public:
    static constexpr int MAX_EVENTS = 10;
    static constexpr float CHECK_INTERVAL = 0.5f;

    EventManager();
    ~EventManager();
    EventManager(const EventManager&) = delete;
    EventManager& operator=(const EventManager&) = delete;

    // Lists an event; false (logged) when the list is full.
    bool Add(MissionEvent* event);
    // Level end: lets go of every event (freeing those it made) and forgets what was found.
    void Clear();
    MissionEvent* FindByConditionType(int type) const;
    // Adds the frame time (0 while paused) and checks the events every half second; forced,
    // at once.
    void Update(bool force);
    // The follow-up of a warning dialog: an event that warps the trader out at the next check.
    bool QueueWarp();
    // The trader "hallstrade" leaves the level in a warp.
    static void WarpOut();
    // A loaded game: the listed event of that name had its turn before the save, and is not
    // checked again.
    void Retire(const char* name);

    PooledList<MissionEvent*> list;
    float interval = CHECK_INTERVAL;
    float accumulator = 0.0f;
    bool enemyDiscovered = false;
    bool oreDiscovered = false;
    // The names of the events that have left the list this level, fired or too late, in that
    // order: a save keeps them, so a loaded game does not play them again.
    std::vector<std::string> retired;
};

// The events of the running mission; made with the front end's windows.
extern EventManager* TheEvents;
// Installs the objectives and the events as the listeners of the world's mission hooks.
void InstallMissionHooks();
