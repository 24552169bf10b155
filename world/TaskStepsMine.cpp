// The miner's round, one step of nine phases kept in the job: find ore, walk to it, dig until
// the hopper is full or the node is spent, find a drop-off, walk there, unload, and back.
#include "world/TaskManager.h"

#include "render/IndexedMesh.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/GridQueries.h"
#include "world/TaskStepsSupport.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <cstdio>

using namespace StepSupport;

namespace {

enum MinePhase : int {
    MINE_BEGIN = 0,
    MINE_FIND_NODE = 1,
    MINE_GOTO_NODE = 2,
    MINE_WALK_TO_NODE = 3,
    MINE_DIG = 4,
    MINE_FIND_DROP_OFF = 5,
    MINE_WALK_TO_DROP_OFF = 6,
    MINE_UNLOAD = 7,
    MINE_NODE_SPENT = 8,
};

constexpr float SEARCH_RADIUS = 50.0f;
constexpr float STUCK_LIMIT = 2.0f;
constexpr float DIG_INTERVAL = 1.0f;
constexpr int ANIMATION_IDLE = 0;
constexpr int ANIMATION_DIG = 10;

bool HasOre(const Entity* node)
{
    return node && node->IsAlive() && node->health > 0.0f;
}

int Grade(const Entity* node)
{
    return std::max(0, std::min(node->kills, 2));
}

void PlayAnimation(Agent* agent, int id, bool loop)
{
    IndexedMesh* mesh = agent->mesh;
    if (!mesh || id >= ANIMATION_ID_COUNT) return;
    int slot = mesh->animationSlot[id];
    if (slot >= 0 && mesh->currentSlot != slot) mesh->SetAnimation(slot, loop, true);
}

// The hopper on the miner's back shows how full it is.
void ShowHopper(Agent* agent)
{
    float capacity = agent->GetOreCapacity();
    float ratio = capacity > 0.0f ? agent->oreLoad / capacity : 0.0f;
    const char* name = ratio < 0.01f ? "hopper_empty" : ratio < 0.5f ? "hopper_half" : "hopper_full";
    Entity* carried = agent->GetAttachedEntity("hopper");
    IndexedMesh* mesh = GetHopperMesh(name);
    if (carried) {
        if (mesh) carried->mesh = mesh;
        return;
    }
    if (!mesh) return;
    carried = new Entity();
    carried->mesh = mesh;
    Entity* old = agent->AddAttachment(carried, "hopper",
                                       (agent->classWord & AGENT_CLASS_HEAVY) ? "BackPack" : "AttachLoad", true);
    if (old && old != carried) delete old;
}

bool IsFull(const Agent* agent)
{
    return agent->oreLoad >= agent->GetOreCapacity();
}

int Begin(Agent* agent, Job* job)
{
    if (agent->mine.Get() && !IsFull(agent)) {
        job->stepState = MINE_GOTO_NODE;
        return STEP_RUNNING;
    }
    if (agent->oreLoad > 0.0f && IsFull(agent)) {
        agent->dropOff.Clear();
        agent->rememberMine = false;
        agent->lastMinePosition = agent->GetPosition();
        job->stepState = MINE_FIND_DROP_OFF;
        return STEP_RUNNING;
    }
    return STEP_DONE;
}

void FindNode(Agent* agent, Job* job)
{
    Entity* node = FindOreNode(agent->GetPosition(), SEARCH_RADIUS);
    if (!node && agent->rememberMine) {
        node = FindOreNode(agent->lastMinePosition, SEARCH_RADIUS);
        if (!node) {
            agent->lastMinePosition = agent->GetPosition();
            agent->rememberMine = false;
        }
    }
    if (node) {
        agent->mine = node;
        agent->lastMinePosition = node->GetPosition();
        job->stepState = MINE_GOTO_NODE;
    } else if (agent->oreLoad > 0.0f) {
        job->stepState = MINE_FIND_DROP_OFF;
    } else {
        agent->dropOff.Clear();
        job->stepState = MINE_BEGIN;
    }
}

void GotoNode(Agent* agent, Job* job)
{
    Entity* node = agent->mine.Get();
    if (!HasOre(node)) {
        job->stepState = MINE_FIND_NODE;
        return;
    }
    if (IsBeside(agent->GetPosition(), node, false)) {
        agent->workTimer = 0.0f;
        job->stepState = MINE_DIG;
        return;
    }
    Vec3 cell;
    if (!FindFreeCellNear(&cell, node, agent->GetPosition(), 0.0f, nullptr)) {
        job->stepState = MINE_FIND_NODE;
        return;
    }
    OrderMove(agent, cell);
    job->stepState = MINE_WALK_TO_NODE;
}

void WalkToNode(Agent* agent, Job* job)
{
    Entity* node = agent->mine.Get();
    if (agent->HasStanceBits()) {
        if (agent->blockedTime > STUCK_LIMIT) {
            agent->StopMove();
            job->stepState = MINE_GOTO_NODE;
        }
        return;
    }
    if (node && IsWithinOneCell(agent->GetPosition(), node->GetPosition())) {
        agent->workTimer = 0.0f;
        job->stepState = MINE_DIG;
    } else {
        job->stepState = MINE_GOTO_NODE;
    }
}

void Dig(Agent* agent, Job* job, float dt)
{
    Entity* node = agent->mine.Get();
    if (!node) {
        // The node is gone from the level: look for another rather than dig at nothing.
        job->stepState = MINE_FIND_NODE;
        return;
    }
    TurnToward(agent, node->GetCenter());
    if (!HasOre(node)) {
        agent->mine.Clear();
        job->stepState = MINE_NODE_SPENT;
        return;
    }
    if (!IsBeside(agent->GetPosition(), node, false)) {
        job->stepState = MINE_GOTO_NODE;
        return;
    }
    PlayAnimation(agent, ANIMATION_DIG, true);
    if (agent->workTimer < DIG_INTERVAL) {
        agent->workTimer += dt;
        return;
    }
    agent->workTimer = 0.0f;
    float capacity = agent->GetOreCapacity();
    float room = std::max(0.0f, capacity - agent->oreLoad);
    float amount = std::min({agent->GetMiningAmount(), node->health, room});
    float before = capacity > 0.0f ? agent->oreLoad / capacity : 0.0f;
    agent->oreLoad += amount;
    node->health -= amount;
    agent->loadValue += ((float)Grade(node) * 0.25f + 0.5f) * amount;
    ShowNodeStage(node);
    float after = capacity > 0.0f ? agent->oreLoad / capacity : 0.0f;
    if (after != before) ShowHopper(agent);
    if (IsFull(agent)) {
        job->stepState = MINE_FIND_DROP_OFF;
        PlayAnimation(agent, ANIMATION_IDLE, true);
    }
}

bool IsUsableDropOff(const Entity* building)
{
    return building && building->IsAlive() && building->health > 0.0f;
}

void FindDropOff(Agent* agent, Job* job)
{
    agent->rememberMine = false;
    Entity* dropOff = agent->dropOff.Get();
    if (dropOff && !IsUsableDropOff(dropOff)) {
        agent->dropOff.Clear();
        dropOff = nullptr;
    }
    if (dropOff && GetGroundDistance(dropOff->GetPosition(), agent->GetPosition()) > SEARCH_RADIUS)
        agent->rememberMine = true;
    if (!dropOff) {
        dropOff = FindNearestBuilding(BUILD_RESOURCE_DROP, agent->GetPosition(), SEARCH_RADIUS);
        agent->dropOff = dropOff;
    }
    if (!dropOff) {
        job->stepState = MINE_BEGIN;
        return;
    }
    if (IsBeside(agent->GetPosition(), dropOff, false)) {
        agent->workTimer = 0.0f;
        job->stepState = MINE_UNLOAD;
        return;
    }
    Vec3 cell;
    if (!FindFreeCellNear(&cell, dropOff, agent->GetPosition(), 0.0f, nullptr)) {
        job->stepState = MINE_BEGIN;
        return;
    }
    OrderMove(agent, cell);
    job->stepState = MINE_WALK_TO_DROP_OFF;
}

void WalkToDropOff(Agent* agent, Job* job)
{
    Entity* dropOff = agent->dropOff.Get();
    if (!IsUsableDropOff(dropOff)) {
        agent->StopMove();
        agent->dropOff.Clear();
        job->stepState = MINE_FIND_DROP_OFF;
        return;
    }
    bool next = IsBeside(agent->GetPosition(), dropOff, false);
    if (!agent->HasStanceBits()) {
        job->stepState = next ? MINE_UNLOAD : MINE_FIND_DROP_OFF;
    } else if (next) {
        agent->StopMove();
        job->stepState = MINE_UNLOAD;
    } else if (agent->blockedTime > STUCK_LIMIT) {
        agent->StopMove();
        job->stepState = MINE_FIND_DROP_OFF;
    }
    if (job->stepState == MINE_UNLOAD) agent->workTimer = 0.0f;
}

void Unload(Agent* agent, Job* job, float dt)
{
    Entity* target = agent->dropOff.Get();
    if (!IsUsableDropOff(target)) {
        agent->dropOff.Clear();
        job->stepState = MINE_FIND_DROP_OFF;
        return;
    }
    TurnToward(agent, target->GetCenter());
    if (agent->workTimer < 1.0f) {
        agent->workTimer += PowerIsShort() ? dt * 0.5f : dt;
        return;
    }
    agent->workTimer = 0.0f;
    int level = 0;
    if ((target->flags & ENTITY_BUILDING) && static_cast<Building*>(target)->definition)
        level = static_cast<Building*>(target)->definition->level;
    float value = agent->loadValue * (1.0f + 0.1f * (float)level);
    int research = GetBestResearchLevel(1);
    int power = GetPowerLevel(target);
    float total = value + 0.05f * (float)power * value + (research > 0 ? 0.2f * (float)research * value : 0.0f);
    agent->oreLoad = 0.0f;
    agent->loadValue = 0.0f;
    ShowHopper(agent);
    // A miner of another side unloads into its own camp: only the player's miners fill the
    // player's stock.
    if (agent->alignment == ALIGN_PLAYER && total > 0.0f) {
        AddPlayerOre(total);
        char text[32];
        snprintf(text, sizeof text, "+%.0f", total);
        FloatText(text, target->GetCenter());
    }
    job->stepState = MINE_GOTO_NODE;
}

}  // namespace

int TaskStep::Mine(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    switch (job->stepState) {
    case MINE_BEGIN: return Begin(agent, job);
    case MINE_FIND_NODE: FindNode(agent, job); return STEP_RUNNING;
    case MINE_GOTO_NODE: GotoNode(agent, job); return STEP_RUNNING;
    case MINE_WALK_TO_NODE: WalkToNode(agent, job); return STEP_RUNNING;
    case MINE_DIG: Dig(agent, job, dt); return STEP_RUNNING;
    case MINE_FIND_DROP_OFF: FindDropOff(agent, job); return STEP_RUNNING;
    case MINE_WALK_TO_DROP_OFF: WalkToDropOff(agent, job); return STEP_RUNNING;
    case MINE_UNLOAD: Unload(agent, job, dt); return STEP_RUNNING;
    case MINE_NODE_SPENT: job->stepState = IsFull(agent) ? MINE_FIND_DROP_OFF : MINE_FIND_NODE; return STEP_RUNNING;
    default: job->stepState = MINE_BEGIN; return STEP_DONE;
    }
}
