// What recording a long level costs, as every level is recorded: the first level played straight
// from the settings, its world ticked for an hour of play (36,000 ticks, nothing drawn, no
// orders given). Reported beside the goals: the recorder's processor time on the game's thread
// as a share of the world's (goal at most 1 %), the longest piece of its work in one tick, the
// writer thread's longest write (goal: shorter than a tick, 100 ms) and the file's size.
#include "tests/bench/ProgramRun.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Replay.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>

namespace {

constexpr int HOUR_OF_TICKS = 36000;

void RecordAnHourOfALevel(benchmark::State& state)
{
    ProgramRun run("recorder", "mainMenuEnabled false\n");
    bool measured = false;
    if (run.IntoTheFirstLevel()) {
        for (int i = 0; i < 10 && TheGame && TheGame->state == GAME_STATE_PLAYING; ++i) ProgramRun::Pass();
        if (TheGame && TheGame->state == GAME_STATE_PLAYING) {
            for (auto _ : state) {
                const ReplayRecorderWork before = TheReplay.RecorderWork();
                const double began = ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
                int ticks = 0;
                for (; ticks < HOUR_OF_TICKS && TheGame->state == GAME_STATE_PLAYING; ++ticks) TheGame->RunWorldTick(0.1f);
                const double all = ClockSeconds(CLOCK_THREAD_CPUTIME_ID) - began;
                TheReplay.FlushRecording();
                const ReplayRecorderWork after = TheReplay.RecorderWork();
                const double recorder = after.seconds - before.seconds;
                const double world = all - recorder;
                measured = ticks > 0 && world > 0.0;
                if (!measured) continue;
                state.counters["ticks"] = ticks;
                state.counters["world_ms_per_tick"] = world * 1e3 / ticks;
                state.counters["recorder_pct_of_world"] = recorder * 100.0 / world;
                state.counters["recorder_longest_ms"] = after.longest * 1e3;
                state.counters["writer_pct_of_world"] = (after.writeSeconds - before.writeSeconds) * 100.0 / world;
                state.counters["longest_write_ms"] = after.longestWrite * 1e3;
                const std::vector<ReplayListing> games = ReplayDirector::ListOf("Bench");
                struct stat file{};
                if (!games.empty() && stat(games[0].path.c_str(), &file) == 0) state.counters["file_kb"] = file.st_size / 1024.0;
            }
        }
    }
    if (!measured) state.SkipWithError("the level did not start");
}
BENCHMARK(RecordAnHourOfALevel)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
