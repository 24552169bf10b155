// The task script, the job records and their run loop. The steps are in TaskSteps.cpp.
#include "world/TaskManager.h"

#include "host/Lexer.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"
#include "world/Agent.h"

#include <cstring>
#include <new>
#include <string>

TaskManager* TheTaskManager = nullptr;

const char* const GameJobNames[] = {
    // The player's orders.
    "AttackEntity", "Build", "Repair", "ExtractOre", "Heal", "InstantHeal", "UpgradeBot", "RecycleBot",
    "EnterWarpPlatform", "MoveAndAttack", "ItemMoveAndAction",
    // The AI brains.
    "Mine", "Wander", "WaitOnTime", "ReturnToSpawnPoint",
};
const int GameJobNameCount = (int)(sizeof GameJobNames / sizeof GameJobNames[0]);

namespace {

constexpr const char* TASK_SCRIPT = "data/scripts/tasks.cgs";

// The task script: block comments only, keywords with their case, "END_OF_FILE" in any case
// (inside a comment too). A stray "*/" is passed over.
constexpr LexerRules TASK_RULES = [] {
    LexerRules r;
    r.blockComments = true;
    r.endOfFile = r.endMarkersInComments = true;
    return r;
}();

// Copies a word into a field of the script's records; a word too long for it is cut, and said.
void CopyField(char* field, size_t size, const std::string& word, const Lexer& in, const char* what)
{
    if (word.size() >= size) in.Warn(in.Line(), "%s '%s' cut to %zu characters", what, word.c_str(), size - 1);
    CopyText(field, size, word.c_str());
}

}  // namespace

// ---- Job

Job::Job()
{
    Reset();
}

void Job::Reset()
{
    CopyText(name, sizeof name, "DEFAULT_JOB");
    flags = 0;
    firstStep = nullptr;
    currentStep = nullptr;
    agent.Clear();
    path = nullptr;
    pathIndex = 0;
    timer = 1.0f;
    stepState = 0;
    warnedLoop = false;
}

const Job* Job::SetTask(const char* taskName)
{
    const Job* task = TaskManager::Get()->FindJob(taskName);
    if (!task) return nullptr;
    CopyText(name, sizeof name, task->name);
    firstStep = task->firstStep;
    flags = task->flags;
    return task;
}

Agent* Job::GetAgent() const
{
    Entity* entity = agent.Get();
    return entity && (entity->flags & ENTITY_AGENT) ? static_cast<Agent*>(entity) : nullptr;
}

int Job::RunStep(TaskStep* step, float dt, Job* job)
{
    if (!step || step->kind < 0 || step->kind >= TASK_STEP_COUNT) return STEP_DONE;
    StepHandler handler = TaskStepTable[step->kind].handler;
    return handler ? handler(dt, step->argument, job) : STEP_DONE;
}

int Job::Run(float dt)
{
    if (!currentStep) currentStep = firstStep;
    if (!currentStep) return JOB_RUNNING;
    int result = RunStep(currentStep, dt, this);
    for (int ran = 1;; ++ran) {
        if (result == STEP_ABORT) {
            timer = 0.0f;
            firstStep = currentStep = nullptr;
            return JOB_ENDED;
        }
        if (result != STEP_DONE) return JOB_RUNNING;
        timer = 0.0f;
        if (currentStep->next) {
            currentStep = currentStep->next;
        } else if (flags & JOB_LOOP) {
            currentStep = firstStep;
        } else {
            firstStep = currentStep = nullptr;
            return JOB_ENDED;
        }
        if (!currentStep) return JOB_RUNNING;
        if (ran >= MAX_STEPS_PER_RUN) {
            if (!warnedLoop)
                Log("WARNING job %s ran %d steps in one frame without one that takes time; it goes on next frame\n",
                    name, MAX_STEPS_PER_RUN);
            warnedLoop = true;
            return JOB_RUNNING;
        }
        result = RunStep(currentStep, dt, this);
    }
}

// ---- TaskStep

TaskStep::TaskStep() : kind(-1), next(nullptr)
{
    CopyText(name, sizeof name, "DEFAULT_TASK");
    CopyText(argument, sizeof argument, " ");
}

int FindTaskStep(const char* stepName)
{
    if (!stepName) return -1;
    for (int i = 0; i < TASK_STEP_COUNT; ++i)
        if (strcmp(TaskStepTable[i].name, stepName) == 0) return i;
    return -1;
}

// ---- TaskManager

TaskManager* TaskManager::Get()
{
    if (!TheTaskManager) TheTaskManager = new TaskManager();
    return TheTaskManager;
}

TaskManager::TaskManager()
{
    LoadTasks(TASK_SCRIPT);
    CheckGameJobs();
    MakePool();
}

TaskManager::TaskManager(const char* path)
{
    LoadTasks(path);
    MakePool();
}

TaskManager::~TaskManager()
{
    if (TheTaskManager == this) TheTaskManager = nullptr;
}

void TaskManager::MakePool()
{
    activeJobs.Init(JOB_POOL_SIZE);
    freeJobs.Init(JOB_POOL_SIZE);
    jobs_.reset(new (std::nothrow) Job[JOB_POOL_SIZE]);
    if (!jobs_) {
        Log("ERROR TaskManager: no memory for the job pool\n");
        return;
    }
    for (int i = 0; i < JOB_POOL_SIZE; ++i) freeJobs.PushBack(&jobs_[i]);
}

bool TaskManager::LoadTasks(const char* path)
{
    std::string text;
    if (!ReadDataScript(path, &text)) return false;
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, path ? path : "");
    FixPath(fixed);
    char fileName[MAX_PATH_TEXT];
    GetFileName(fixed, fileName);
    Lexer in(text.data(), text.size(), TASK_RULES, fileName);

    Job* current = nullptr;
    bool refusing = false;  // the template table is full: the steps of a refused job go unread
    TaskStep* last = nullptr;
    while (const char* token = in.Next()) {
        std::string word = token;
        if (word == "Job") {
            std::string jobName = in.NextValue();
            if (in.CutShort()) break;
            if (templateCount >= MAX_JOB_TEMPLATES) {
                in.Warn(in.Line(), "job %s refused: the table holds %d jobs", jobName.c_str(), MAX_JOB_TEMPLATES);
                current = nullptr;
                refusing = true;
                continue;
            }
            current = &templates[templateCount++];
            current->Reset();
            CopyField(current->name, sizeof current->name, jobName, in, "job name");
            last = nullptr;
            refusing = false;
            continue;
        }
        if (!current) {
            if (!refusing && word != "SetFlag" && word != "LOOP")
                in.Warn(in.Line(), "'%s' outside any job is passed over", word.c_str());
            continue;
        }
        if (word == "SetFlag") {
            std::string flag = in.NextValue();
            if (flag == "LOOP") current->flags |= JOB_LOOP;
            continue;
        }
        int line = in.Line();
        auto step = std::unique_ptr<TaskStep>(new (std::nothrow) TaskStep());
        if (!step) break;
        CopyField(step->name, sizeof step->name, word, in, "step name");
        step->kind = FindTaskStep(step->name);
        if (step->kind < 0) in.Warn(line, "unknown step '%s' in job %s: it does nothing", word.c_str(), current->name);
        std::string argument = in.NextValue();
        if (in.CutShort())
            in.Warn(line, "step %s of job %s has no argument", step->name, current->name);
        else
            CopyField(step->argument, sizeof step->argument, argument, in, "step argument");
        if (last)
            last->next = step.get();
        else
            current->firstStep = step.get();
        last = step.get();
        steps_.push_back(std::move(step));
    }
    return true;
}

int TaskManager::CheckGameJobs() const
{
    int missing = 0;
    for (int i = 0; i < GameJobNameCount; ++i) {
        bool found = false;
        for (int t = 0; t < templateCount && !found; ++t) found = strcmp(templates[t].name, GameJobNames[i]) == 0;
        if (found) continue;
        Log("WARNING tasks: no job %s, which the game asks for\n", GameJobNames[i]);
        ++missing;
    }
    return missing;
}

Job* TaskManager::FindJob(const char* taskName)
{
    if (!taskName) return nullptr;
    for (int i = 0; i < templateCount; ++i)
        if (strcmp(templates[i].name, taskName) == 0) return &templates[i];
    return nullptr;
}

Job* TaskManager::NewJob()
{
    PooledList<Job*>::Node* head = freeJobs.head;
    if (!head) return nullptr;
    Job* job = head->value;
    freeJobs.Unlink(nullptr, head);
    job->Reset();
    activeJobs.PushBack(job);
    return job;
}

void TaskManager::ReleaseJob(Job* job)
{
    if (!job || !activeJobs.Remove(job)) return;
    freeJobs.PushBack(job);
}
