// A real mission's frames as a player meets them: the whole program started straight into the
// first mission (the real start-up on the display, nothing staged), the level left to settle,
// then the main loop's passes counted over a few seconds of play. What it reports beside its
// goals: frames a second (goal 30) and the processor cores they keep busy (goal at most 4: three
// software renderer threads plus the game's own, unless LP_NUM_THREADS says otherwise), with the
// processor time of one frame. The loop paces itself to the display's rate: a frame rate
// at that rate means there was time to spare.
#include "tests/bench/ProgramRun.h"
#include "app/AppShell.h"
#include "app/MainLoop.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "platform/Files.h"
#include "platform/UserFolders.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

// Three renderer threads and the game's: four cores, as the goal has it.
[[maybe_unused]] const bool ThreeRendererThreads = setenv("LP_NUM_THREADS", "3", 0) == 0;

constexpr int SETTLING_PASSES = 90;
constexpr int MEASURED_PASSES = 240;

void MissionFrame(benchmark::State& state)
{
    ProgramRun run("mission", "mainMenuEnabled false\n");
    bool measured = false;
    if (run.IntoTheFirstLevel()) {
        for (int i = 0; i < SETTLING_PASSES; ++i) ProgramRun::Pass();
        const int presented = PresentedFrames;
        double wall = 0.0, cpu = 0.0;
        for (auto _ : state) {
            const double wallBegin = WallSeconds(), cpuBegin = ProcessSeconds();
            for (int i = 0; i < MEASURED_PASSES; ++i) ProgramRun::Pass();
            wall += WallSeconds() - wallBegin;
            cpu += ProcessSeconds() - cpuBegin;
        }
        const double frames = (double)(PresentedFrames - presented);
        measured = frames > 0 && wall > 0.0;
        if (measured) {
            state.counters["fps"] = frames / wall;
            state.counters["cores"] = cpu / wall;
            state.counters["cpu_ms_per_frame"] = cpu * 1e3 / frames;
        }
    }
    if (!measured) state.SkipWithError("the game did not start, never reached the level or drew nothing");
    state.counters["goal_fps"] = 30;
    state.counters["goal_cores"] = 4;
}
BENCHMARK(MissionFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
