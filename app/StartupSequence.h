#pragma once
// Start-up as one ordered list of steps, each with its undo. Shutdown is the undoing of the
// steps done, last first; a start-up that fails half-way undoes what it did the same way, so
// nothing is left made and nothing is freed twice.
//
// Contract of a step: start makes what the step is named for and answers false only when the
// game cannot run without it (a failure it can live with is logged and answered true). undo
// frees what start made and clears its pointers; it also runs for a step whose start failed,
// so it copes with a half-made step (it skips what is absent). Either may be null.
#include <vector>

struct StartupStep {
    const char* name;
    bool (*start)();
    void (*undo)();
};

class StartupSequence {
public:
    // Runs the steps in order. When a step fails, its undo and then the undos of the steps
    // before it run, last first, and the answer is false.
    bool Run(const std::vector<StartupStep>& steps);
    // Undoes every step done, last first. Afterwards nothing counts as done.
    void Unwind();
    int DoneCount() const { return (int)done_.size(); }

private:
    std::vector<StartupStep> done_;
};
