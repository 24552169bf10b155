// The steps of the task script that wait, move, play an animation, follow a path and fight.
// The working steps (building, repairing, healing, extracting, salvaging, using items,
// entering buildings) live in TaskStepsWork.cpp, the miner's round in TaskStepsMine.cpp.
#include "world/TaskManager.h"

#include "host/Log.h"
#include "host/Random.h"
#include "host/SteadyMath.h"
#include "host/System.h"
#include "platform/RandomUtil.h"
#include "terrain/Terrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/TaskStepsSupport.h"
#include "mechanics/Scene.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "world/Agent.h"

#include <cmath>
#include <cstdlib>

TaskStepEntry TaskStepTable[TASK_STEP_COUNT] = {
    {"MoveToLocation", TaskStep::MoveToLocation},
    {"WaitOnMove", TaskStep::WaitOnMove},
    {"PlayAnim", TaskStep::PlayAnim},
    {"WaitOnTime", TaskStep::WaitOnTime},
    {"PathNext", TaskStep::PathNext},
    {"AttackEntity", TaskStep::AttackEntity},
    {"MoveInSpawnRadius", TaskStep::MoveInSpawnRadius},
    {"ReturnToSpawnPoint", TaskStep::ReturnToSpawnPoint},
    {"Mine", TaskStep::Mine},
    {"ExtractOre", TaskStep::ExtractOre},
    {"EnterUpgrader", TaskStep::EnterUpgrader},
    {"EnterRecycler", TaskStep::EnterRecycler},
    {"EnterWarpPlatform", TaskStep::EnterWarpPlatform},
    {"Build", TaskStep::Build},
    {"Repair", TaskStep::Repair},
    {"Heal", TaskStep::Heal},
    {"Salvage", TaskStep::Salvage},
    {"OnAction", TaskStep::OnAction},
};

namespace {

// The first live entity of the level of that name (case ignored).
Entity* FindLiveEntityNamed(const char* name)
{
    if (!name || !TheScene.IsReady()) return nullptr;
    for (const Scene::Node* node = TheScene.master.head; node; node = node->next) {
        Entity* entity = node->value;
        if (entity && !(entity->flags & ENTITY_LIST_MARKER) && entity->IsAlive() && StrICmp(entity->name, name) == 0)
            return entity;
    }
    return nullptr;
}

// The scene path a job walks, while the Scene still has it.
bool HasScenePath(const ScenePath* path)
{
    for (const PooledList<ScenePath>::Node* node = TheScene.paths.head; node; node = node->next)
        if (&node->value == path) return true;
    return false;
}

}  // namespace

int TaskStep::WaitOnTime(float dt, const char* argument, Job* job)
{
    job->timer += dt;
    // Whole seconds: "0" is done at once, "3" once three seconds have passed.
    long seconds = argument ? strtol(argument, nullptr, 10) : 0;
    return job->timer >= (float)seconds ? STEP_DONE : STEP_RUNNING;
}

int TaskStep::PlayAnim(float, const char* argument, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    IndexedMesh* mesh = agent->mesh;
    int id = AnimNameToId(argument);
    int slot = mesh && id >= 0 && id < ANIMATION_ID_COUNT ? mesh->animationSlot[id] : -1;
    if (slot >= 0) mesh->SetAnimation(slot, false, true);
    return STEP_DONE;
}

int TaskStep::PathNext(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    if (!job->path || !HasScenePath(job->path)) {
        job->path = TheScene.paths.head ? &TheScene.paths.head->value : nullptr;
        job->pathIndex = 0;
    }
    const ScenePath* path = job->path;
    if (!path || path->count <= 0 || !path->points) return STEP_ABORT;
    if (job->pathIndex < 0 || job->pathIndex >= path->count) job->pathIndex = 0;
    agent->moveTarget = path->points[job->pathIndex];
    if (job->pathIndex == path->count - 1) {
        // The last point: one pass of the path is all a job walks.
        job->pathIndex = 0;
        job->flags &= ~JOB_LOOP;
    } else {
        ++job->pathIndex;
    }
    return STEP_DONE;
}

// ---- Moving

int TaskStep::MoveToLocation(float dt, const char* argument, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    const char* what = argument ? argument : "";
    if (StrICmp(what, "random") == 0) {
        Vec3 destination = agent->GetPosition();
        destination.x += (float)Rand() / 32768.0f * 20.0f - 10.0f;
        destination.z += (float)Rand() / 32768.0f * 20.0f - 10.0f;
        agent->MoveTo(destination, true);
        return STEP_DONE;
    }
    Entity* target = nullptr;
    if (StrICmp(what, "miningNode") == 0)
        target = agent->mine.Get();
    else if (StrICmp(what, "activeBuilding") == 0)
        target = agent->activeBuilding.Get();
    else if (StrICmp(what, "activeObject") == 0)
        target = agent->activeObject.Get();
    else
        target = FindLiveEntityNamed(what);
    if (!target || target == agent || StepSupport::IsBeside(agent->GetPosition(), target, false)) {
        agent->StopMove();
        return STEP_DONE;
    }
    Vec3 cell;
    if (FindFreeCellNear(&cell, target, agent->GetPosition(), 0.0f, nullptr)) agent->MoveTo(cell, true);
    return STEP_DONE;
}

int TaskStep::WaitOnMove(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Vec3 position = agent->GetPosition(), goal = agent->moveTarget;
    bool there = std::fabs(position.x - goal.x) <= 0.001f && std::fabs(position.y - goal.y) <= 0.001f &&
                 std::fabs(position.z - goal.z) <= 0.001f;
    // An agent that has stopped short (its cell taken, its way blocked) will never reach the
    // exact point: the wait is over as well.
    return there || !agent->HasStanceBits() ? STEP_DONE : STEP_RUNNING;
}

int TaskStep::ReturnToSpawnPoint(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Vec3 away = agent->GetPosition() - agent->spawnPoint;
    if (Vec3Length(&away) > 7.1f) agent->MoveTo(agent->spawnPoint, true);
    return STEP_DONE;
}

int TaskStep::MoveInSpawnRadius(float dt, const char* argument, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* home = agent->spawner.Get();
    if (!home || agent->HasStanceBits()) return STEP_DONE;
    float radius = 20.0f;
    if ((home->flags & ENTITY_BUILDING) && static_cast<Building*>(home)->definition)
        radius = static_cast<Building*>(home)->definition->spawnRadius;
    Vec3 centre = home->GetCenter();
    centre.y = TheTerrain.GetHeight(centre);
    Vec3 position = agent->GetPosition();
    float distance = GetGroundDistance(position, centre);
    Vec3 destination;
    if (distance > radius) {
        destination = centre;
        destination.x += RandomFloat(-radius, radius);
        destination.z += RandomFloat(-radius, radius);
    } else if (distance < 5.0f) {
        float a = RandomFloat(0.0f, 180.0f) * (PI / 180.0f), b = RandomFloat(0.0f, 180.0f) * (PI / 180.0f);
        destination = centre + Vec3(5.0f * Sin(a), 0.0f, 5.0f * Cos(b));
    } else {
        float stride = argument ? (float)atof(argument) : 0.0f;
        float heading = (agent->yaw + RandomFloat(-60.0f, 60.0f)) * (PI / 180.0f);
        float s, c;
        SinCos(heading, &s, &c);
        destination = position + Vec3(stride * s, 0.0f, stride * c);
    }
    Grid* grid = CurrentGrid();
    if (!grid) return STEP_DONE;
    destination = grid->SnapToGridPoint(destination);
    const GridCell* cell = grid->GetCellAt(destination);
    if (!cell || !cell->IsFreeWalkable()) return STEP_RUNNING;  // another draw next frame
    agent->MoveTo(destination, true);
    const GridCell* goal = grid->GetCellAt(agent->moveTarget);
    if (!goal || !(goal->flags & CELL_WALKABLE)) agent->StopMove();
    return STEP_DONE;
}

// ---- Fighting

int TaskStep::AttackEntity(float dt, const char* argument, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    if (argument && StrICmp(argument, "activeObject") == 0) agent->target = agent->activeObject.Get();
    Entity* target = agent->target.Get();
    if (!target || (target->flags & ENTITY_DEAD) || agent->stance == AGENT_STANCE_STOP) {
        Agent::StopAttack(agent);
        return STEP_DONE;
    }
    bool hold = agent->stance == AGENT_STANCE_HOLD_POSITION;
    int result;
    if (agent->classWord & AGENT_CLASS_MELEE)
        result = hold ? agent->MeleeAttackInPlace(dt, job) : agent->UpdateAttackPosition(dt, job);
    else
        result = hold ? agent->DoRangedAttackInPlace(dt, job) : agent->DoRangedAttack(dt, job);
    return result == 2 ? STEP_DONE : STEP_RUNNING;
}
