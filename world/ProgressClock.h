#pragma once
// Whether an errand gets somewhere: the one measure that a plain move, a fight and the watch of
// every whole game share. A move gets somewhere while the unit comes a step closer to its goal
// than it ever was on the way it now walks (a path round a wall or a river is measured along the
// path); a fight, while it comes a step closer to its foe, or its weapons work on the foe from
// within reach (a shot, or the reload between two: a mortar's four seconds are a fight going on).
// Going to and fro, or standing, gets nowhere, however far the unit walks.
#include "host/Maths.h"

class Agent;
class Entity;

// How much closer than ever the unit must come to get somewhere.
constexpr float PROGRESS_STEP = 1.0f;

class ProgressClock {
public:
    // A new errand: nothing measured yet, no time standing.
    void Restart();
    // One look dt seconds after the last, on the way to the goal. True when it got somewhere.
    bool TrackToward(const Agent* agent, const Vec3& goal, float dt);
    // One look dt seconds after the last, in a fight with the foe. True when it got somewhere.
    bool TrackFoe(const Agent* agent, Entity* foe, float dt);
    // Seconds since the errand last got somewhere.
    float Standing() const { return standing; }

    // What a save holds of it, whole, and what puts it back.
    struct Held {
        float standing = 0.0f, closest = 0.0f;
        Vec3 wayEnd;
        int wayPoints = 0;
        bool measured = false;
    };
    Held Hold() const { return {standing, closest, wayEnd, wayPoints, measured}; }
    void TakeBack(const Held& held)
    {
        standing = held.standing;
        closest = held.closest;
        wayEnd = held.wayEnd;
        wayPoints = held.wayPoints;
        measured = held.measured;
    }

private:
    bool Track(const Agent* agent, float wayLeft, bool working, float dt);

    float standing = 0.0f;
    float closest = 0.0f;
    // The way the closest was measured on: the end of the path walked and its points. A new
    // way is measured afresh, but the time standing goes on.
    Vec3 wayEnd;
    int wayPoints = 0;
    bool measured = false;
};

// The way left from the agent to the point: along the path it walks, then straight on.
float WayLeft(const Agent* agent, const Vec3& goal);
// The way left to within the foe's reach as the attack measures it (a building's nearest cell).
float WayLeft(const Agent* agent, Entity* foe);
// Whether the agent's weapons work on its target: within reach, a shot fired no longer ago than
// the weapon's interval (and a moment more), unless the last shot of that weapon to end left
// this target unhurt.
bool WeaponsAtWork(const Agent* agent);
