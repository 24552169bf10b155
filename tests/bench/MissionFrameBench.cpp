// A real mission's frames as a player meets them: the whole program started straight into the
// first mission (the real start-up on the display, nothing staged), the level left to settle,
// then the main loop's passes counted over a few seconds of play. What it reports beside its
// goals: frames a second (goal 30) and the processor cores they keep busy (goal at most 4: three
// software renderer threads plus the game's own, unless LP_NUM_THREADS says otherwise), with the
// processor time of one frame. The loop paces itself to the display's rate: a frame rate
// at that rate means there was time to spare.
#include "app/AppShell.h"
#include "app/MainLoop.h"
#include "campaign/MissionScreen.h"
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

double Clock(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

void Pass()
{
    DrainMessages(nullptr);
    MainLoopPass();
}

void MissionFrame(benchmark::State& state)
{
    std::string folder = "/tmp/veldmark-bench-mission-" + std::to_string(getpid());
    CreateFolder(folder.c_str());
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    InitUserFolders();
    if (FILE* file = fopen((std::string(UserFolder) + "/settings.cfg").c_str(), "wb")) {
        fputs("mainMenuEnabled false\n", file);
        fclose(file);
    }
    const char* argv[] = {"veldmark", "-windowed", "-1024"};
    LogCaptureBegin();
    bool measured = false;
    if (StartUp(3, const_cast<char**>(argv))) {
        const double deadline = Clock(CLOCK_MONOTONIC) + 60.0;
        while (Clock(CLOCK_MONOTONIC) < deadline && TheGame && TheGame->state != GAME_STATE_PLAYING) {
            if (TheGame->state == GAME_STATE_FRONT_END) MissionScreen::StartMission(-1, 0);
            Pass();
        }
        if (TheGame && TheGame->state == GAME_STATE_PLAYING) {
            for (int i = 0; i < SETTLING_PASSES; ++i) Pass();
            const int presented = PresentedFrames;
            double wall = 0.0, cpu = 0.0;
            for (auto _ : state) {
                const double wallBegin = Clock(CLOCK_MONOTONIC), cpuBegin = Clock(CLOCK_PROCESS_CPUTIME_ID);
                for (int i = 0; i < MEASURED_PASSES; ++i) Pass();
                wall += Clock(CLOCK_MONOTONIC) - wallBegin;
                cpu += Clock(CLOCK_PROCESS_CPUTIME_ID) - cpuBegin;
            }
            const double frames = (double)(PresentedFrames - presented);
            measured = frames > 0 && wall > 0.0;
            if (measured) {
                state.counters["fps"] = frames / wall;
                state.counters["cores"] = cpu / wall;
                state.counters["cpu_ms_per_frame"] = cpu * 1e3 / frames;
            }
        }
        Shutdown();
    }
    LogCaptureEnd();
    std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0) {}
    if (!measured) state.SkipWithError("the game did not start, never reached the level or drew nothing");
    state.counters["goal_fps"] = 30;
    state.counters["goal_cores"] = 4;
}
BENCHMARK(MissionFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
