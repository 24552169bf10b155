#pragma once
// Jobs. Every order and every AI decision is carried out as a job: a named sequence of steps
// from the task script data/scripts/tasks.cgs. The TaskManager holds the job templates of the
// script and a pool of 100 job records; an agent's brain takes a record (NewJob), points it at
// a template by name (Job::SetTask), runs it once a frame (Job::Run) and gives it back
// (ReleaseJob) when it has ended.
//
// The task script: "Job <name>" begins a template, "SetFlag LOOP" makes it start again at its
// first step when its last is done, and every other word is a step with one argument word
// after it (a placeholder such as "0" where the step takes none). Only "/*" ... "*/" comments,
// the markers standing alone; "END_OF_FILE" in any case ends it; every other word keeps its
// case.
//
// What a step handler (TaskStep::*) must do and may not:
// - It is called once per frame with the frame delta, its argument and the job, and answers
//   STEP_RUNNING (again next frame), STEP_DONE (the next step runs at once, in the same frame)
//   or STEP_ABORT (the job ends).
// - What it keeps between frames lives in the job (timer, step state, path and index) or in
//   the agent; it never allocates.
// - A step that needs the job's agent aborts when the job has none (or it left the level).
// - It never claims to be done with what it has not done.
#include "platform/PooledList.h"
#include "world/Entity.h"

#include <cstdint>
#include <memory>
#include <vector>

class Agent;
class Job;
struct ScenePath;

constexpr int STEP_RUNNING = 1;
constexpr int STEP_DONE = 2;
constexpr int STEP_ABORT = 3;

// Job::Run
constexpr int JOB_RUNNING = 1;
constexpr int JOB_ENDED = 2;

// Job::flags
constexpr uint32_t JOB_LOOP = 0x1;

constexpr int MAX_JOB_TEMPLATES = 64;
constexpr int JOB_POOL_SIZE = 100;
// A job runs at most this many steps in one frame; one whose steps all finish at once (a LOOP
// without a step that takes time) goes on next frame instead of holding the frame.
constexpr int MAX_STEPS_PER_RUN = 32;

// What the player's unit that cut a deposit or drew a vent to its end says as it stops.
constexpr const char* ORE_USED_UP_MESSAGE = "The ore deposit is used up: scan for another.";
constexpr const char* VENT_SPENT_MESSAGE = "The fuel vent is spent.";

constexpr int TASK_NAME_SIZE = 32;
constexpr int TASK_ARGUMENT_SIZE = 128;

using StepHandler = int (*)(float dt, const char* argument, Job* job);

struct TaskStep {
    TaskStep();

    char name[TASK_NAME_SIZE];
    int kind;  // its entry in TaskStepTable, -1 for a name no step has
    char argument[TASK_ARGUMENT_SIZE];
    TaskStep* next;

    // The steps, by the names the script uses.
    static int MoveToLocation(float dt, const char* argument, Job* job);
    static int WaitOnMove(float dt, const char* argument, Job* job);
    static int PlayAnim(float dt, const char* argument, Job* job);
    static int WaitOnTime(float dt, const char* argument, Job* job);
    static int PathNext(float dt, const char* argument, Job* job);
    static int AttackEntity(float dt, const char* argument, Job* job);
    static int MoveInSpawnRadius(float dt, const char* argument, Job* job);
    static int ReturnToSpawnPoint(float dt, const char* argument, Job* job);
    static int Mine(float dt, const char* argument, Job* job);
    static int ExtractOre(float dt, const char* argument, Job* job);
    static int EnterUpgrader(float dt, const char* argument, Job* job);
    static int EnterRecycler(float dt, const char* argument, Job* job);
    static int EnterWarpPlatform(float dt, const char* argument, Job* job);
    static int Build(float dt, const char* argument, Job* job);
    static int Repair(float dt, const char* argument, Job* job);
    static int Heal(float dt, const char* argument, Job* job);
    static int Salvage(float dt, const char* argument, Job* job);
    static int OnAction(float dt, const char* argument, Job* job);
};

// The steps by name (compared with case), in the order a name is looked up.
struct TaskStepEntry {
    const char* name;
    StepHandler handler;
};
constexpr int TASK_STEP_COUNT = 18;
extern TaskStepEntry TaskStepTable[TASK_STEP_COUNT];
// The entry of a step name, or -1.
int FindTaskStep(const char* name);

// One record serves as a template (read from the script) and as a running job.
class Job {
public:
    // An idle job: "DEFAULT_JOB", timer 1.0, nothing else.
    Job();
    void Reset();
    // Points the job at the template of that name (exactly, case included): its name, steps
    // and flags. The template, or null with the job left as it was.
    const Job* SetTask(const char* taskName);
    // One frame of the job: JOB_RUNNING while it goes on, JOB_ENDED once its last step is done
    // (without LOOP) or a step aborted. A job without steps runs on doing nothing.
    int Run(float dt);
    // Runs one step by its name; an unknown name is done at once.
    static int RunStep(TaskStep* step, float dt, Job* job);
    // The agent, while it is still in the level.
    Agent* GetAgent() const;

    char name[TASK_NAME_SIZE];
    uint32_t flags;
    TaskStep* firstStep;
    TaskStep* currentStep;
    EntityRef agent;
    const ScenePath* path;  // the Scene path PathNext walks
    int pathIndex;
    float timer;    // seconds in the current step
    int stepState;  // the phase of a step of several phases
    bool warnedLoop;
};

class TaskManager {
public:
    // The one manager, made (reading the shipped script) on first use.
    static TaskManager* Get();

    // Reads data/scripts/tasks.cgs and checks that every job the game asks for is there.
    TaskManager();
    // Reads the given script (no check).
    explicit TaskManager(const char* path);
    ~TaskManager();
    TaskManager(const TaskManager&) = delete;
    TaskManager& operator=(const TaskManager&) = delete;

    // Adds the templates of a script; unknown step names, refused templates and words cut to
    // fit are logged with their line. False when the file cannot be opened.
    bool LoadTasks(const char* path);
    // Logs every job the game asks for by name that no template has; how many are missing.
    int CheckGameJobs() const;
    Job* FindJob(const char* taskName);
    // A job from the pool, reset; null when all 100 are running.
    Job* NewJob();
    void ReleaseJob(Job* job);

    Job templates[MAX_JOB_TEMPLATES];
    int templateCount = 0;
    PooledList<Job*> activeJobs;
    PooledList<Job*> freeJobs;

private:
    void MakePool();

    std::vector<std::unique_ptr<TaskStep>> steps_;
    std::unique_ptr<Job[]> jobs_;
};

// The manager Get hands out (tests put their own in its place).
extern TaskManager* TheTaskManager;

// The job names the program asks for: the player's orders, the AI brains and the level start.
extern const char* const GameJobNames[];
extern const int GameJobNameCount;
