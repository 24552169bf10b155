#pragma once
// The brain of an agent: its behaviour kind (from the unit type), the job it runs and its AI
// mode. The agent's update has it think, then runs its job (world/Agent.h).
class Agent;
class Job;

// AI modes the agent's update reads or sets.
constexpr int AI_MODE_BUILD = 5;
constexpr int AI_MODE_NONE = 17;

class AIBrain {
public:
    void Init()
    {
        kind = 0;
        job = nullptr;
        mode = AI_MODE_NONE;
    }
    // The behaviour of the brain's kind, once per think: the computer-controlled kinds choose
    // their next job here. The kinds' behaviours come with the AI brains; until then a brain
    // runs only the job it is handed.
    void Think(Agent*) {}

    int kind = 0;
    Job* job = nullptr;
    int mode = AI_MODE_NONE;
};
