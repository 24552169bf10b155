#include "app/StartupSequence.h"

#include "host/Log.h"

bool StartupSequence::Run(const std::vector<StartupStep>& steps)
{
    Unwind();
    for (const StartupStep& step : steps) {
        // The step counts as done before it starts: a failing step undoes its half.
        done_.push_back(step);
        if (step.start && !step.start()) {
            Log("ERROR: start-up failed at the %s; undoing the %d steps started\n", step.name, DoneCount());
            Unwind();
            return false;
        }
    }
    return true;
}

void StartupSequence::Unwind()
{
    while (!done_.empty()) {
        StartupStep step = done_.back();
        done_.pop_back();
        if (step.undo) step.undo();
    }
}
