#include "world/ProgressClock.h"

#include "world/Agent.h"
#include "world/GridQueries.h"
#include "world/PathFinder.h"
#include "world/WeaponDef.h"

namespace {

// A shot counts as work for its interval and this moment more: the next one leaves on a think.
constexpr float RELOAD_SLACK = 0.25f;

bool OnPath(const Agent* agent)
{
    return agent->path && agent->path->count > 0 && agent->path->current < agent->path->count;
}

// Along the path from the agent to its end; the end, where it then stands.
float AlongPath(const Agent* agent, Vec3* end)
{
    *end = agent->GetPosition();
    if (!OnPath(agent)) return 0.0f;
    float length = 0.0f;
    for (int i = agent->path->current; i < agent->path->count; ++i) {
        length += GetGroundDistance(*end, agent->path->points[i]);
        *end = agent->path->points[i];
    }
    return length;
}

float DistanceToFoe(const Vec3& from, Entity* foe)
{
    if (foe->flags & (ENTITY_BUILDING | ENTITY_ITEM)) return GroundDistanceToCells(from, foe);
    return GetGroundDistance(from, foe->GetPosition());
}

}  // namespace

void ProgressClock::Restart()
{
    *this = ProgressClock();
}

bool ProgressClock::TrackToward(const Agent* agent, const Vec3& goal, float dt)
{
    return Track(agent, WayLeft(agent, goal), false, dt);
}

bool ProgressClock::TrackFoe(const Agent* agent, Entity* foe, float dt)
{
    return Track(agent, WayLeft(agent, foe), agent->target.Get() == foe && WeaponsAtWork(agent), dt);
}

bool ProgressClock::Track(const Agent* agent, float wayLeft, bool working, float dt)
{
    // The way is named by where it ends (the goal itself without a path) and how many points it has.
    const int points = OnPath(agent) ? agent->path->count : 0;
    const Vec3 end = points > 0 ? agent->path->points[points - 1] : Vec3();
    if (!measured || points != wayPoints || GetGroundDistance(end, wayEnd) > 0.01f) {
        measured = true;
        wayPoints = points;
        wayEnd = end;
        closest = wayLeft;
    }
    if (working || wayLeft < closest - PROGRESS_STEP) {
        if (wayLeft < closest) closest = wayLeft;
        standing = 0.0f;
        return true;
    }
    standing += dt;
    return false;
}

float WayLeft(const Agent* agent, const Vec3& goal)
{
    Vec3 end;
    const float along = AlongPath(agent, &end);
    return along + GetGroundDistance(end, goal);
}

float WayLeft(const Agent* agent, Entity* foe)
{
    Vec3 end;
    const float along = AlongPath(agent, &end);
    return along + DistanceToFoe(end, foe);
}

bool WeaponsAtWork(const Agent* agent)
{
    Entity* target = agent->target.GetLive();
    if (!target || DistanceToFoe(agent->GetPosition(), target) > agent->GetAttackRange())
        return false;
    bool mounted = false;
    for (int i = 0; i < agent->attachmentCount; ++i) {
        const AgentAttachment& mount = agent->attachments[i];
        if (!mount.entity || !(mount.entity->flags & ENTITY_ITEM) || !mount.entity->weapon) continue;
        mounted = true;
        if (mount.missedFoe != target->id && mount.clock <= mount.entity->weapon->interval + RELOAD_SLACK)
            return true;
    }
    return !mounted && agent->weapon && agent->ownShotMissedFoe != target->id &&
           agent->attackTimer <= agent->weapon->interval + RELOAD_SLACK;
}
