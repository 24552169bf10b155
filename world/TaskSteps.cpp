// The steps of the task script. The steps that only wait, play an animation or follow a path
// live here whole; the steps that move agents, fight, mine, build, repair, heal and enter
// buildings come with the agents' movement, the attacks and the buildings' panels, and until
// then they end their job at once, with a line in the log, rather than pretend to be done.
#include "world/TaskManager.h"

#include "host/Log.h"
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

// A step whose work the game cannot do yet: the job ends (said once per step in the log).
int NotYetAvailable(const char* step, Job* job)
{
    static bool said[TASK_STEP_COUNT] = {};
    int kind = FindTaskStep(step);
    if (kind >= 0 && kind < TASK_STEP_COUNT && !said[kind]) {
        said[kind] = true;
        Log("WARNING job %s: the step %s cannot be carried out yet; the job ends\n", job ? job->name : "none",
            TaskStepTable[kind].name);
    }
    return STEP_ABORT;
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

int TaskStep::WaitOnMove(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Vec3 position = agent->GetPosition(), goal = agent->moveTarget;
    bool there = std::fabs(position.x - goal.x) <= 0.001f && std::fabs(position.y - goal.y) <= 0.001f &&
                 std::fabs(position.z - goal.z) <= 0.001f;
    return there ? STEP_DONE : STEP_RUNNING;
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

// ---- Steps that come with the work they do

int TaskStep::MoveToLocation(float, const char*, Job* job)
{
    return NotYetAvailable("MoveToLocation", job);
}

int TaskStep::AttackEntity(float, const char*, Job* job)
{
    return NotYetAvailable("AttackEntity", job);
}

int TaskStep::MoveInSpawnRadius(float, const char*, Job* job)
{
    return NotYetAvailable("MoveInSpawnRadius", job);
}

int TaskStep::ReturnToSpawnPoint(float, const char*, Job* job)
{
    return NotYetAvailable("ReturnToSpawnPoint", job);
}

int TaskStep::Mine(float, const char*, Job* job)
{
    return NotYetAvailable("Mine", job);
}

int TaskStep::ExtractOre(float, const char*, Job* job)
{
    return NotYetAvailable("ExtractOre", job);
}

int TaskStep::EnterUpgrader(float, const char*, Job* job)
{
    return NotYetAvailable("EnterUpgrader", job);
}

int TaskStep::EnterRecycler(float, const char*, Job* job)
{
    return NotYetAvailable("EnterRecycler", job);
}

int TaskStep::EnterWarpPlatform(float, const char*, Job* job)
{
    return NotYetAvailable("EnterWarpPlatform", job);
}

int TaskStep::Build(float, const char*, Job* job)
{
    return NotYetAvailable("Build", job);
}

int TaskStep::Repair(float, const char*, Job* job)
{
    return NotYetAvailable("Repair", job);
}

int TaskStep::Heal(float, const char*, Job* job)
{
    return NotYetAvailable("Heal", job);
}

int TaskStep::Salvage(float, const char*, Job* job)
{
    return NotYetAvailable("Salvage", job);
}

int TaskStep::OnAction(float, const char*, Job* job)
{
    return NotYetAvailable("OnAction", job);
}
