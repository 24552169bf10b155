#pragma once
// What the world tells the running mission: an object of interest's health was set, an
// entity died, was built, or was reached by the player (repaired, picked up). The mission's
// bookkeeping (objectives and events) listens; the world only knows this interface, so the
// entities build and run without any mission, and the mission is tested without a world that
// raises the calls. No listener (the front end, most tests): the calls do nothing.
class Entity;

class MissionHooks {
public:
    virtual ~MissionHooks() = default;
    virtual void OnHealthSet(Entity*) {}
    virtual void OnEntityDied(Entity*) {}
    virtual void OnEntityBuilt(Entity*) {}
    virtual void OnObjectReached(Entity*) {}
    // An enemy came into the player's sight for the first time.
    virtual void OnEnemyDiscovered(Entity*) {}
};

// The listener, or null. The game installs its objectives and events here.
extern MissionHooks* TheMissionHooks;

// While a level is being made, what the making does to its entities (a mission object given
// its health, a guard raised for the difficulty) is none of the mission's business: nothing
// reaches the listener until the level stands, so no objective is done before play begins.
class MissionHooksMuted {
public:
    MissionHooksMuted() : listener(TheMissionHooks) { TheMissionHooks = nullptr; }
    ~MissionHooksMuted() { TheMissionHooks = listener; }
    MissionHooksMuted(const MissionHooksMuted&) = delete;
    MissionHooksMuted& operator=(const MissionHooksMuted&) = delete;

private:
    MissionHooks* listener;
};

// Each passes the entity on to the listener, when there is one.
void NotifyHealthSet(Entity* entity);
void NotifyEntityDied(Entity* entity);
void NotifyEntityBuilt(Entity* entity);
void NotifyObjectReached(Entity* entity);
void NotifyEnemyDiscovered(Entity* entity);
