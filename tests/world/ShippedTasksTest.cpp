// The shipped task script: it reads without a complaint, it holds every job the game asks for
// by name, every step in it is one the game knows, and every job does what its name says when
// an agent runs it on a small grid: it walks up beside the target its order names and hands
// the work to the step that does it, then ends.
#include "world/TaskManager.h"

#include "host/Log.h"
#include "tests/support/TestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Agent.h"
#include "world/GridQueries.h"
#include "world/Item.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// What the steps that act on the world were asked to do, and where the agent stood then.
struct Call {
    std::string step;
    std::string argument;
    Vec3 at;
};
std::vector<Call> Calls;

Agent* AgentOf(Job* job)
{
    return job ? job->GetAgent() : nullptr;
}

Entity* TargetNamed(Agent* agent, const std::string& name)
{
    if (name == "activeObject") return agent->activeObject.Get();
    if (name == "activeBuilding") return agent->activeBuilding.Get();
    if (name == "miningNode") return agent->mine.Get();
    return nullptr;
}

// Walking to a target: the destination is the free cell beside it nearest to the agent.
int FakeMoveToLocation(float, const char* argument, Job* job)
{
    Agent* agent = AgentOf(job);
    if (!agent) return STEP_ABORT;
    Calls.push_back({"MoveToLocation", argument, agent->GetPosition()});
    Vec3 cell;
    if (FindFreeCellNear(&cell, TargetNamed(agent, argument), agent->GetPosition(), 0.0f, nullptr))
        agent->moveTarget = cell;
    agent->classWord |= AGENT_MOVING;  // on its way
    return STEP_DONE;
}

int FakeWork(float, const char* argument, Job* job)
{
    Agent* agent = AgentOf(job);
    if (!agent) return STEP_ABORT;
    Calls.push_back({job->currentStep->name, argument, agent->GetPosition()});
    return STEP_DONE;
}

class ShippedTasks : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        LogCaptureBegin();
        shipped = std::make_unique<TaskManager>();
        log = LogCaptureEnd();
        TheTaskManager = shipped.get();

        agent = NewAgent(ALIGN_PLAYER);
        ASSERT_NE(agent, nullptr);
        agent->SetPosition(Corner(20, 20));
        agent->moveTarget = agent->GetPosition();
        ASSERT_NE(TheScene.AddEntity(agent), nullptr);
        building = Standing(NewBuilding(ALIGN_PLAYER), 30, 20, 2, 2);
        building->definition = Definition("upgrader", BUILD_UNIT_UPGRADER);
        ASSERT_NE(TheScene.AddEntity(building), nullptr);
        building->StampGrid();
        Item* crate = Standing(new Item(), 20, 30);
        ASSERT_NE(TheScene.AddEntity(crate), nullptr);
        crate->OccupyGridCells();
        ore = NewEntity(ENTITY_RESOURCE | ENTITY_RESOURCE_REVEALED | ENTITY_STATIC);
        ore->SetPosition(Corner(10, 20));
        ASSERT_NE(TheScene.AddEntity(ore), nullptr);
        object = crate;
    }
    // Points the agent at the targets its orders name, at its start.
    void Order()
    {
        agent->SetPosition(Corner(20, 20));
        agent->moveTarget = agent->GetPosition();
        agent->activeBuilding.Set(building);
        agent->activeObject.Set(object);
        agent->mine.Set(ore);
        agent->target.Set(object);
    }

    std::unique_ptr<TaskManager> shipped;
    std::string log;
    ScopedGlobal<TaskManager*> manager{TheTaskManager, nullptr};
    Agent* agent = nullptr;
    Building* building = nullptr;
    Entity* object = nullptr;
    Entity* ore = nullptr;
};

}  // namespace

TEST_F(ShippedTasks, TheScriptHoldsEveryJobTheGameAsksForInStepsItKnows)
{
    EXPECT_FALSE(HasProblem(log)) << log;
    EXPECT_EQ(shipped->CheckGameJobs(), 0);
    ASSERT_GE(shipped->templateCount, GameJobNameCount);
    for (int i = 0; i < shipped->templateCount; ++i) {
        const Job& job = shipped->templates[i];
        SCOPED_TRACE(job.name);
        ASSERT_NE(job.firstStep, nullptr) << "every job does something";
        bool waits = false;
        for (const TaskStep* step = job.firstStep; step; step = step->next) {
            EXPECT_GE(step->kind, 0) << step->name;
            waits = waits || strcmp(step->name, "WaitOnMove") == 0 || strcmp(step->name, "Mine") == 0 ||
                    strcmp(step->name, "Build") == 0 || strcmp(step->name, "ExtractOre") == 0 ||
                    (strcmp(step->name, "WaitOnTime") == 0 && atoi(step->argument) > 0);
        }
        if (job.flags & JOB_LOOP) {
            EXPECT_TRUE(waits) << "a LOOP job needs a step that takes time";
        }
        for (int j = 0; j < i; ++j) EXPECT_STRNE(shipped->templates[j].name, job.name) << "one job of a name";
    }
}

TEST_F(ShippedTasks, EveryJobWalksToItsTargetAndHandsTheWorkOn)
{
    // The steps that act on the world are stood in for by ones that say what they were asked.
    std::vector<std::unique_ptr<ScopedGlobal<StepHandler>>> fakes;
    auto fake = [&](const char* name, StepHandler handler) {
        int kind = FindTaskStep(name);
        ASSERT_GE(kind, 0) << name;
        fakes.push_back(std::make_unique<ScopedGlobal<StepHandler>>(TaskStepTable[kind].handler, handler));
    };
    fake("MoveToLocation", FakeMoveToLocation);
    fake("AttackEntity", FakeWork);
    fake("MoveInSpawnRadius", FakeWork);
    fake("ReturnToSpawnPoint", FakeWork);
    fake("Mine", FakeWork);
    fake("ExtractOre", FakeWork);
    fake("EnterUpgrader", FakeWork);
    fake("EnterRecycler", FakeWork);
    fake("EnterWarpPlatform", FakeWork);
    fake("Build", FakeWork);
    fake("Repair", FakeWork);
    fake("Heal", FakeWork);
    fake("Salvage", FakeWork);
    fake("OnAction", FakeWork);

    struct Case {
        const char* job;
        const char* walksTo;  // the target it walks up to first, or none
        const char* work;     // the step that does the job's work
        const char* argument;
    };
    const Case table[] = {
        {"AttackEntity", nullptr, "AttackEntity", nullptr},
        {"Build", nullptr, "Build", nullptr},  // the build step walks by itself
        {"Repair", "activeObject", "Repair", nullptr},
        {"ExtractOre", "miningNode", "ExtractOre", nullptr},
        {"Heal", "activeObject", "Heal", nullptr},
        {"InstantHeal", nullptr, "Heal", nullptr},
        {"UpgradeBot", "activeBuilding", "EnterUpgrader", nullptr},
        {"RecycleBot", "activeBuilding", "EnterRecycler", nullptr},
        {"EnterWarpPlatform", "activeBuilding", "EnterWarpPlatform", nullptr},
        {"MoveAndAttack", "activeObject", "AttackEntity", "activeObject"},
        {"ItemMoveAndAction", "activeObject", "OnAction", nullptr},
        {"Mine", nullptr, "Mine", nullptr},  // the mining step walks by itself
        {"Wander", nullptr, "MoveInSpawnRadius", nullptr},
        {"WaitOnTime", nullptr, nullptr, nullptr},
        {"ReturnToSpawnPoint", nullptr, "ReturnToSpawnPoint", nullptr},
    };
    ASSERT_EQ((int)(sizeof table / sizeof table[0]), GameJobNameCount);
    for (const Case& c : table) {
        SCOPED_TRACE(c.job);
        Order();
        Calls.clear();
        Job* job = shipped->NewJob();
        ASSERT_NE(job, nullptr);
        job->agent.Set(agent);
        ASSERT_NE(job->SetTask(c.job), nullptr);
        int result = JOB_RUNNING, frames = 0;
        for (; frames < 200 && result == JOB_RUNNING; ++frames) {
            result = job->Run(0.1f);
            agent->SetPosition(agent->moveTarget);  // it walks where it was sent, in a frame
            agent->classWord &= ~AGENT_MOVING;
        }
        shipped->ReleaseJob(job);
        EXPECT_EQ(result, JOB_ENDED) << "it ends, after " << frames << " frames";

        const Call* walk = nullptr;
        const Call* work = nullptr;
        for (const Call& call : Calls) {
            if (call.step == "MoveToLocation" && !walk && !work) walk = &call;
            if (c.work && call.step == c.work) work = &call;
        }
        if (c.walksTo) {
            ASSERT_NE(walk, nullptr) << "it walks first";
            EXPECT_EQ(walk->argument, c.walksTo);
        } else {
            EXPECT_EQ(walk, nullptr) << "it walks nowhere first";
        }
        if (!c.work) {
            EXPECT_TRUE(Calls.empty());
            continue;
        }
        ASSERT_NE(work, nullptr) << "its work is handed to " << c.work;
        if (c.argument) {
            EXPECT_EQ(work->argument, c.argument);
        }
        if (c.walksTo) {
            EXPECT_TRUE(IsNextToEntity(work->at, TargetNamed(agent, c.walksTo), false)) << "it works from beside the target";
        }
    }
}
