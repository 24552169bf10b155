// Jobs from the task script: what the reader makes of a script (comments, flags, cases, names
// it does not know, too many jobs, words too long), the pool of 100 jobs, and the run loop:
// steps that finish at once run in the same frame, LOOP starts again, an abort ends the job,
// a LOOP that never waits and a step that never finishes both give the frame back.
#include "world/TaskManager.h"

#include "host/Log.h"
#include "mechanics/Scene.h"
#include "tests/support/TestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Agent.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// A manager over a script of the test's own, and the log of its reading.
struct Script {
    std::unique_ptr<TaskManager> manager;
    std::string log;
};

Script Read(const std::string& text)
{
    std::string path = MakeTempFolder("tasks") + "/tasks.cgs";
    EXPECT_TRUE(WriteTextFile(path, text));
    LogCaptureBegin();
    Script script;
    script.manager = std::make_unique<TaskManager>(path.c_str());
    script.log = LogCaptureEnd();
    return script;
}

// The job's steps as "Name argument" words, in order.
std::vector<std::string> Steps(const Job* job)
{
    std::vector<std::string> steps;
    for (const TaskStep* step = job ? job->firstStep : nullptr; step && steps.size() < 100; step = step->next)
        steps.push_back(std::string(step->name) + " " + step->argument);
    return steps;
}

// The test's manager is the one Job::SetTask asks.
class Jobs : public WorldTest {
protected:
    void Use(const std::string& text)
    {
        script = Read(text);
        TheTaskManager = script.manager.get();
    }
    // A job of the pool pointed at a template, run by an agent in the level.
    Job* Start(const char* name)
    {
        Job* job = TheTaskManager->NewJob();
        EXPECT_NE(job, nullptr);
        if (!job) return nullptr;
        job->agent.Set(agent);
        EXPECT_NE(job->SetTask(name), nullptr) << name;
        return job;
    }
    void SetUp() override
    {
        WorldTest::SetUp();
        agent = NewAgent(ALIGN_PLAYER);
        ASSERT_NE(agent, nullptr);
        agent->SetPosition(Corner(20, 20));
        agent->moveTarget = agent->GetPosition();
        ASSERT_NE(TheScene.AddEntity(agent), nullptr);
    }

    Script script;
    ScopedGlobal<TaskManager*> manager{TheTaskManager, nullptr};
    Agent* agent = nullptr;
};

}  // namespace

TEST(TaskScript, WhatTheReaderMakesOfAScript)
{
    struct Case {
        const char* what;
        const char* text;
        std::vector<std::string> jobs;      // names, in order
        std::vector<std::string> firstSteps;  // of the first job
        bool loops;                          // the first job
    };
    const Case table[] = {
        {"a job with its steps and a LOOP", "Job Patrol PathNext 0 WaitOnMove 0 SetFlag LOOP", {"Patrol"},
         {"PathNext 0", "WaitOnMove 0"}, true},
        {"everything inside a comment is nothing", "/* Job Hidden WaitOnTime 1 */", {}, {}, false},
        {"comments between steps; a stray end of comment is passed over",
         "Job A /* one */ WaitOnTime 1 */ WaitOnTime 2", {"A"}, {"WaitOnTime 1", "WaitOnTime 2"}, false},
        {"SetFlag LOOP before any job does nothing", "SetFlag LOOP Job A WaitOnTime 1", {"A"}, {"WaitOnTime 1"}, false},
        {"another flag word sets nothing", "Job A SetFlag REPEAT WaitOnTime 1", {"A"}, {"WaitOnTime 1"}, false},
        {"end_of_file in lower case ends the script", "Job A WaitOnTime 1 end_of_file Job B WaitOnTime 2", {"A"},
         {"WaitOnTime 1"}, false},
        {"the end marker ends it inside a comment too", "Job A /* END_OF_FILE */ Job B WaitOnTime 2", {"A"}, {}, false},
        {"'job' in lower case outside a job is passed over", "job A WaitOnTime 1 Job B WaitOnTime 2", {"B"},
         {"WaitOnTime 2"}, false},
        {"keywords keep their case inside a job: 'job' is a step", "Job A job B", {"A"}, {"job B"}, false},
        {"two jobs", "Job A WaitOnTime 1 Job B PlayAnim ANIM_IDLE", {"A", "B"}, {"WaitOnTime 1"}, false},
        {"an empty file", "", {}, {}, false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Script script = Read(c.text);
        TaskManager& manager = *script.manager;
        ASSERT_EQ(manager.templateCount, (int)c.jobs.size());
        for (size_t i = 0; i < c.jobs.size(); ++i) EXPECT_STREQ(manager.templates[i].name, c.jobs[i].c_str());
        if (c.jobs.empty()) continue;
        EXPECT_EQ(Steps(&manager.templates[0]), c.firstSteps);
        EXPECT_EQ((manager.templates[0].flags & JOB_LOOP) != 0, c.loops);
    }
}

TEST(TaskScript, NamesNobodyKnowsAreLoggedWhenRead)
{
    Script script = Read("Job A\n  WaitOnTime 1\n  Teleport home\n  waitontime 2\n");
    EXPECT_NE(script.log.find("line 3: unknown step 'Teleport' in job A"), std::string::npos) << script.log;
    EXPECT_NE(script.log.find("line 4: unknown step 'waitontime'"), std::string::npos) << "step names keep their case";
    const Job* job = script.manager->FindJob("A");
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(Steps(job).size(), 3u) << "kept: an unknown step does nothing when run";
    EXPECT_EQ(script.manager->FindJob("a"), nullptr) << "job names keep their case";

    LogCaptureBegin();
    EXPECT_EQ(script.manager->CheckGameJobs(), GameJobNameCount);
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("no job ReturnToSpawnPoint"), std::string::npos) << log;

    LogCaptureBegin();
    TaskManager missing("data/scripts/no_such_tasks.cgs");
    log = LogCaptureEnd();
    EXPECT_EQ(missing.templateCount, 0);
    EXPECT_NE(log.find("ERROR"), std::string::npos);
    EXPECT_NE(missing.NewJob(), nullptr) << "the pool is there without a script";
}

TEST(TaskScript, SixtyFourJobsAtMostAndWordsThatFitTheirFields)
{
    std::string text;
    for (int i = 0; i < MAX_JOB_TEMPLATES + 2; ++i) text += "Job J" + std::to_string(i) + " WaitOnTime " + std::to_string(i) + "\n";
    text += "Job " + std::string(40, 'N') + " WaitOnTime " + std::string(200, '7') + "\n";
    Script script = Read(text);
    EXPECT_EQ(script.manager->templateCount, MAX_JOB_TEMPLATES);
    EXPECT_NE(script.log.find("job J64 refused"), std::string::npos) << script.log;
    EXPECT_EQ(Steps(script.manager->FindJob("J63")), std::vector<std::string>{"WaitOnTime 63"});

    Script longWords = Read("Job " + std::string(40, 'N') + " WaitOnTime " + std::string(200, '7'));
    const Job& job = longWords.manager->templates[0];
    EXPECT_EQ(std::string(job.name), std::string(TASK_NAME_SIZE - 1, 'N'));
    EXPECT_EQ(std::string(job.firstStep->argument), std::string(TASK_ARGUMENT_SIZE - 1, '7'));
    EXPECT_NE(longWords.log.find("cut to 31 characters"), std::string::npos) << longWords.log;
}

TEST_F(Jobs, ThePoolHandsOutAHundredJobsAndTakesThemBack)
{
    Use("Job Idle WaitOnTime 5");
    std::vector<Job*> taken;
    for (int i = 0; i < JOB_POOL_SIZE; ++i) {
        Job* job = TheTaskManager->NewJob();
        ASSERT_NE(job, nullptr) << i;
        EXPECT_STREQ(job->name, "DEFAULT_JOB");
        EXPECT_FLOAT_EQ(job->timer, 1.0f);
        taken.push_back(job);
    }
    EXPECT_EQ(TheTaskManager->NewJob(), nullptr) << "all of them run";
    taken[7]->SetTask("Idle");
    taken[7]->stepState = 4;
    TheTaskManager->ReleaseJob(taken[7]);
    TheTaskManager->ReleaseJob(taken[7]);  // twice: still one record
    Job* again = TheTaskManager->NewJob();
    EXPECT_EQ(again, taken[7]);
    EXPECT_STREQ(again->name, "DEFAULT_JOB") << "reset when taken";
    EXPECT_EQ(again->stepState, 0);
    EXPECT_EQ(again->firstStep, nullptr);
    EXPECT_EQ(TheTaskManager->NewJob(), nullptr);
    EXPECT_EQ(TheTaskManager->activeJobs.count, JOB_POOL_SIZE);

    // An unknown name leaves the job as it was: without steps it runs on doing nothing.
    EXPECT_EQ(again->SetTask("Nothing"), nullptr);
    EXPECT_STREQ(again->name, "DEFAULT_JOB");
    EXPECT_EQ(again->Run(0.1f), JOB_RUNNING);
    for (Job* job : taken) TheTaskManager->ReleaseJob(job);
    EXPECT_EQ(TheTaskManager->freeJobs.count, JOB_POOL_SIZE);
}

TEST_F(Jobs, StepsThatFinishAtOnceRunInTheSameFrame)
{
    Use("Job Quick PlayAnim ANIM_USE Unheard 0 WaitOnTime 0 WaitOnMove 0\n"
        "Job Slow WaitOnTime 0 WaitOnTime 2\n"
        "Job Round WaitOnTime 1 PlayAnim ANIM_IDLE SetFlag LOOP\n");
    Job* quick = Start("Quick");
    EXPECT_EQ(quick->Run(0.02f), JOB_ENDED) << "four steps done in one frame";
    EXPECT_EQ(quick->firstStep, nullptr);
    EXPECT_EQ(quick->Run(0.02f), JOB_RUNNING) << "an ended job does nothing more";

    // "2" needs the timer to reach 2.0 exactly (from the step's start: a job's first step
    // starts its count at 1).
    Job* slow = Start("Slow");
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(slow->Run(0.5f), JOB_RUNNING) << frame;
    EXPECT_EQ(slow->Run(0.5f), JOB_ENDED);

    // LOOP begins again at the first step: the timer starts from 0 each round.
    Job* round = Start("Round");
    EXPECT_EQ(round->Run(0.6f), JOB_RUNNING);
    EXPECT_EQ(round->Run(0.6f), JOB_RUNNING);
    EXPECT_STREQ(round->currentStep->name, "WaitOnTime");
    EXPECT_FLOAT_EQ(round->timer, 0.6f) << "the next round's first frame";
    EXPECT_EQ(round->Run(0.6f), JOB_RUNNING);
    EXPECT_FLOAT_EQ(round->timer, 0.6f);
}

TEST_F(Jobs, AnAbortEndsTheJobAndNoAgentMeansAbort)
{
    Use("Job Walk WaitOnMove 0 WaitOnTime 0 WaitOnTime 9");
    Job* walk = Start("Walk");
    agent->moveTarget = Corner(25, 20);
    agent->classWord |= AGENT_MOVING;  // on its way
    EXPECT_EQ(walk->Run(0.1f), JOB_RUNNING) << "not there yet";
    TheScene.RemoveEntity(agent, REMOVE_EVERYWHERE);  // the agent left the level (back to the pool)
    agent = nullptr;
    EXPECT_EQ(walk->GetAgent(), nullptr);
    EXPECT_EQ(walk->Run(0.1f), JOB_ENDED);
    EXPECT_EQ(walk->firstStep, nullptr);
    EXPECT_FLOAT_EQ(walk->timer, 0.0f);
}

TEST_F(Jobs, ALoopThatNeverWaitsAndAStepThatNeverEndsGiveTheFrameBack)
{
    Use("Job Spin WaitOnTime 0 PlayAnim ANIM_IDLE SetFlag LOOP\n"
        "Job Stuck WaitOnMove 0\n");
    Job* spin = Start("Spin");
    LogCaptureBegin();
    EXPECT_EQ(spin->Run(0.1f), JOB_RUNNING);
    EXPECT_EQ(spin->Run(0.1f), JOB_RUNNING);
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("WARNING job Spin"), std::string::npos) << log;
    EXPECT_EQ(log.find("WARNING job Spin"), log.rfind("WARNING job Spin")) << "said once";

    // A destination the agent never reaches: the job waits, frame after frame.
    Job* stuck = Start("Stuck");
    agent->moveTarget = Corner(90, 90);
    agent->classWord |= AGENT_MOVING;
    for (int frame = 0; frame < 100; ++frame) ASSERT_EQ(stuck->Run(0.1f), JOB_RUNNING);
    EXPECT_NEAR(stuck->timer, 11.0f, 0.01f) << "the count a job starts with, and 100 frames";
}

TEST_F(Jobs, APathIsWalkedOncePointByPoint)
{
    Use("Job Patrol PathNext 0 WaitOnMove 0 SetFlag LOOP");
    Job* patrol = Start("Patrol");
    EXPECT_EQ(patrol->Run(0.1f), JOB_ENDED) << "no path in the level: the job ends";

    ScenePath* path = TheScene.AddPath("route", 3);
    ASSERT_NE(path, nullptr);
    for (int i = 0; i < 3; ++i) path->points[i] = Corner(30 + i, 30);
    patrol = Start("Patrol");
    agent->classWord |= AGENT_MOVING;  // walking the whole round
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(patrol->Run(0.1f), JOB_RUNNING) << "on its way";
        EXPECT_EQ(agent->moveTarget, Corner(30 + i, 30));
        agent->SetPosition(agent->moveTarget);  // it arrives
        if (i < 2) {
            EXPECT_EQ(patrol->Run(0.1f), JOB_RUNNING);
        }
    }
    EXPECT_EQ(patrol->flags & JOB_LOOP, 0u) << "the last point ends the loop";
    EXPECT_EQ(patrol->Run(0.1f), JOB_ENDED);
}
