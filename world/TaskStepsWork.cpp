// The working steps: building, repairing, healing, salvaging, using an item, drawing ore from a
// node with a beam, and going into an upgrader, a recycler or a warp platform.
#include "world/TaskManager.h"

#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/Item.h"
#include "world/MissionHooks.h"
#include "world/TaskStepsSupport.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace StepSupport;

// What the working steps hand over to the game interface and the player's orders, which own
// the panels and the warp: no listener, and an agent sent into an upgrader or onto a warp
// platform just ends its step.

namespace {

constexpr float REPAIR_RATE = 10.0f;  // health a second
constexpr int REPAIR_WALKS = 3;       // walks up to a target the repairer stopped short of
constexpr float HEAL_AMOUNT = 50.0f;
constexpr float SALVAGE_RATE = 10.0f;
constexpr float EXTRACT_INTERVAL = 1.0f;
// A fuel vent with no more than this left is spent (a vent is never drawn below a tenth).
constexpr float VENT_SPENT = 0.11f;

// The builder lets go of its building: the step is over with it.
int LeaveBuilding(Agent* agent, Job* job)
{
    job->stepState = 0;
    agent->activeBuilding.Clear();
    WorkBeam::Stop(agent);
    return STEP_DONE;
}

// The object the agent works on this frame, faced; null, with the work beam off, once it is gone.
Entity* FaceWorkObject(Agent* agent)
{
    Entity* target = agent->activeObject.Get();
    if (!target) {
        WorkBeam::Stop(agent);
        return nullptr;
    }
    TurnToward(agent, target->GetCenter());
    return target;
}

bool IsFuelTarget(const Entity* target)
{
    return StrNICmp(target->name, "fuel", 4) == 0;
}

// The repair is over: the beam goes off and the step's walks are forgotten.
int EndRepair(Agent* agent, Job* job)
{
    job->stepState = 0;
    WorkBeam::Stop(agent);
    return STEP_DONE;
}

// The target is whole: a mission object counts now, in the frame it became whole.
int FinishRepair(Agent* agent, Job* job, Entity* target)
{
    if (target->flags & ENTITY_OBJECT_OF_INTEREST) NotifyObjectReached(target);
    return EndRepair(agent, job);
}

}  // namespace

int TaskStep::Build(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* target = agent->activeBuilding.Get();
    if (!target || !(target->flags & ENTITY_BUILDING)) {
        job->stepState = 0;
        return STEP_DONE;
    }
    Building* building = static_cast<Building*>(target);
    if (!building->IsAlive()) return LeaveBuilding(agent, job);
    switch (job->stepState) {
    case 0:
        job->stepState = IsBeside(agent->GetPosition(), building, false) ? 3 : 1;
        return STEP_RUNNING;
    case 1: {
        Vec3 cell;
        if (!FindFreeCellNear(&cell, building, agent->GetPosition(), 0.0f, nullptr)) {
            job->stepState = 0;
            return STEP_RUNNING;
        }
        OrderMove(agent, cell);
        job->stepState = 2;
        return STEP_RUNNING;
    }
    case 2:
        if (IsBeside(agent->GetPosition(), building, false)) {
            job->stepState = 3;
        } else if (agent->HasStanceBits()) {
            if (!IsBeside(agent->moveTarget, building, false)) job->stepState = 1;
        } else {
            job->stepState = 1;  // stopped short of the building: find another cell
        }
        return STEP_RUNNING;
    case 3:
        if (agent->HasStanceBits()) {
            agent->StopMove();
            return STEP_RUNNING;
        }
        TurnToward(agent, building->GetCenter());
        if (building->buildState != BUILD_STATE_CONSTRUCTING) {
            job->stepState = 4;
            return STEP_RUNNING;
        }
        // Every builder at the building adds its own time.
        building->buildProgress += dt;
        WorkBeam::Keep(agent, building, "buildbeam");
        return STEP_RUNNING;
    case 4: LeaveBuilding(agent, job); return STEP_RUNNING;
    default: return LeaveBuilding(agent, job);
    }
}

// Mends from beside the target: one that stopped short (its way blocked, a cell near it taken)
// walks up again, a few times; the object counts for the mission the moment it is whole,
// whatever the repairer is told next.
int TaskStep::Repair(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* target = agent->activeObject.Get();
    if (!target) return EndRepair(agent, job);
    if (!target->IsAlive()) {
        agent->activeObject.Clear();
        return EndRepair(agent, job);
    }
    float maximum = target->GetMaxHealth();
    if (target->health >= maximum) return FinishRepair(agent, job, target);
    const bool beside = IsBeside(agent->GetPosition(), target, false);
    if (beside && agent->HasStanceBits()) {
        agent->StopMove();  // there: it settles before it sets to work
        return STEP_RUNNING;
    }
    if (!beside) {
        WorkBeam::Stop(agent);
        if (agent->HasStanceBits()) return STEP_RUNNING;  // on its way
        Vec3 cell;
        if (job->stepState >= REPAIR_WALKS || !FindFreeCellNear(&cell, target, agent->GetPosition(), 0.0f, nullptr))
            return EndRepair(agent, job);
        ++job->stepState;
        OrderMove(agent, cell);
        return STEP_RUNNING;
    }
    bool fuel = IsFuelTarget(target);
    TurnToward(agent, target->GetCenter());
    float rate = REPAIR_RATE;
    if ((agent->flags & ENTITY_PLAYER) && !fuel) {
        int skill = TheCombatHooks ? TheCombatHooks->PlayerSkill(PLAYER_SKILL_REPAIR) : 0;
        rate = REPAIR_RATE + REPAIR_RATE * (0.1f * (float)skill);
    }
    float amount = std::min(rate * dt, maximum - target->health);
    float cost = fuel ? amount : amount * 0.5f;
    float stock = fuel ? PlayerFuel() : PlayerOre();
    // A stock that covers the cost exactly still pays for it.
    if (cost > stock) {
        ShowMessage(fuel ? "Not enough fuel!" : "Not enough ore to complete repair!", 4.0f);
        PlaySound("bad");
        return EndRepair(agent, job);
    }
    target->health += amount;
    if (fuel)
        AddPlayerFuel(-cost);
    else
        AddPlayerOre(-cost);
    if (target->health >= maximum) return FinishRepair(agent, job, target);
    WorkBeam::Keep(agent, target, fuel ? "fuelbeam" : "repairbeam");
    return STEP_RUNNING;
}

int TaskStep::Heal(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* target = agent->activeObject.Get();
    if (!target) return STEP_DONE;
    if (target != agent) {
        if (!IsBeside(agent->GetPosition(), target, true)) return STEP_DONE;
        TurnToward(agent, target->GetCenter());
    }
    float maximum = target->GetMaxHealth();
    if (target->health < maximum) {
        target->health = std::min(target->health + HEAL_AMOUNT, maximum);
        PlaySound("heal");
        SpawnEffect("scan_green", target->GetCenter());
    }
    return STEP_DONE;
}

int TaskStep::Salvage(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* target = FaceWorkObject(agent);
    if (!target) return STEP_DONE;
    if (target->health > 1.0f) {
        WorkBeam::Keep(agent, target, "repairbeam");
        target->flags |= ENTITY_STAYS_DEAD;
        target->health = std::max(target->health - SALVAGE_RATE * dt, 0.1f);
        if (target->flags & ENTITY_ITEM) static_cast<Item*>(target)->salvageIdleTime = 0.0f;
        return STEP_RUNNING;
    }
    WorkBeam::Stop(agent);
    return STEP_DONE;
}

int TaskStep::OnAction(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* target = FaceWorkObject(agent);
    if (!target) return STEP_DONE;
    if (!IsBeside(agent->GetPosition(), target, true)) return STEP_DONE;
    if ((target->flags & ENTITY_ITEM) && !static_cast<Item*>(target)->OnTouch(agent, dt)) {
        WorkBeam::Keep(agent, target, "repairbeam");
        return STEP_RUNNING;
    }
    WorkBeam::Stop(agent);
    return STEP_DONE;
}

// The player's unit that emptied what it cut stands idle beside it: the pilot is told why.
static void SayDrawnToItsEnd(const Agent* agent, const char* message)
{
    if (agent->alignment == ALIGN_PLAYER && TheCombatHooks) TheCombatHooks->TellPlayer(message, 5.0f);
}

int TaskStep::ExtractOre(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* node = agent->mine.Get();
    // A fuel vent counts as spent once it is down to its last tenth, as under a fuel pump.
    const bool vent = node && (node->flags & ENTITY_FUEL);
    const float empty = vent ? VENT_SPENT : 0.0f;
    if (!node || !node->IsAlive() || node->health <= empty) {
        if (node && node->health <= empty) {
            job->stepState = 0;
            WorkBeam::Stop(agent);
        }
        agent->mine.Clear();
        return STEP_DONE;
    }
    if (!IsBeside(agent->GetPosition(), node, false)) return STEP_DONE;
    TurnToward(agent, node->GetCenter());
    if (!IsInFrontCone(agent, node->GetCenter(), 30.0f, 1000.0f)) return STEP_RUNNING;
    WorkBeam::Keep(agent, node, "extractbeam");
    if (agent->workTimer < EXTRACT_INTERVAL) {
        agent->workTimer += dt;
        return STEP_RUNNING;
    }
    agent->workTimer = 0.0f;
    int grade = std::max(0, std::min(node->kills, 2));
    float yield = (float)(int)((float)grade / 2.0f + 1.0f);
    if (!vent) {
        // Only what the player's own units draw is the player's.
        if (agent->alignment == ALIGN_PLAYER) AddPlayerOre(yield);
        node->health -= (float)(grade + 2);
        ShowNodeStage(node);
        if (node->health <= 0.0f) SayDrawnToItsEnd(agent, ORE_USED_UP_MESSAGE);
        return STEP_RUNNING;
    }
    // A vent gives fuel, not ore. It is never drawn dry: it keeps a tenth and shows itself
    // spent, and its ground turns low once half is gone.
    if (agent->alignment == ALIGN_PLAYER) AddPlayerFuel(yield);
    float maximum = node->GetMaxHealth();
    float before = maximum > 0.0f ? node->health / maximum : 0.0f;
    node->health -= (float)(grade + 2);
    if (node->health <= 0.0f) {
        node->health = 0.1f;
        Building::SwapVentSplat(node, 0);
        SayDrawnToItsEnd(agent, VENT_SPENT_MESSAGE);
    } else if (maximum > 0.0f && before > 0.5f && node->health / maximum <= 0.5f) {
        Building::SwapVentSplat(node, 1);
    }
    return STEP_RUNNING;
}

int TaskStep::EnterUpgrader(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* building = agent->activeBuilding.Get();
    // Only an upgrader takes a unit in; any other building leaves it standing beside it.
    if (building && (building->flags & ENTITY_BUILDING)) {
        Building* upgrader = static_cast<Building*>(building);
        if (upgrader->definition && (upgrader->definition->flags & BUILD_UNIT_UPGRADER))
            upgrader->TakeUnitIn(agent);
    }
    return STEP_DONE;
}

int TaskStep::EnterRecycler(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* target = agent->activeBuilding.Get();
    if (!target || !(target->flags & ENTITY_BUILDING)) return STEP_DONE;
    Building* recycler = static_cast<Building*>(target);
    // The held unit has left the Scene's lists, so the reference is asked only whether it is set.
    if (recycler->linkedEntity.IsSet()) return STEP_DONE;
    recycler->recycleTimer = 0.0f;
    recycler->linkedEntity = agent;
    TheScene.UnlinkEntity(agent);
    agent->LeaveGridCell();
    if (agent->flags & ENTITY_SELECTION) {
        agent->flags &= ~ENTITY_SELECTION;
        agent->OnDeselect();
    }
    agent->SetPosition(recycler->GetCenter());
    return STEP_DONE;
}

int TaskStep::EnterWarpPlatform(float dt, const char*, Job* job)
{
    Agent* agent = job->GetAgent();
    if (!agent) return STEP_ABORT;
    job->timer += dt;
    Entity* target = agent->activeBuilding.Get();
    if (!target || !(target->flags & ENTITY_BUILDING)) return STEP_DONE;
    Building* platform = static_cast<Building*>(target);
    if (PowerIsShort())
        ShowMessage("Low-power - warp platform offline!", 4.0f);
    else if (!(platform->stateFlags & BUILDING_RALLY_POINT))
        ShowMessage("You need to set a rally point in order to warp from this building!", 4.0f);
    else if (TheGame)
        TheGame->WarpAgent(agent, platform->rallyPoint);
    return STEP_DONE;
}
