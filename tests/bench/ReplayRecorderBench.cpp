// What recording a long level costs, as every level is recorded: the first level played straight
// from the settings, its world ticked for an hour of play (36,000 ticks, nothing drawn, no
// orders given). Reported beside the goals: the recorder's processor time on the game's thread
// (the plain ticks' sums from a sample of them) and the writer thread's, together as a share of
// the world's processor time (goal at most 1 %),
// the longest piece of the recorder's work in one tick, the writer thread's longest write (goal:
// shorter than a tick, 100 ms), the file's size, and what each piece of the recorder's work
// costs alone.
// That level is nearly idle, so the share is of a world that hardly works; the second benchmark
// plays its hour with the world at work as in a played level: the skirmish of two armies the
// world benchmarks stage, its survivors sent at each other again every ten seconds and both
// sides brought back to their strength whenever fewer than a third of one side still stand.
#include "tests/bench/ProgramRun.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "interface/InGameMenu.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "mechanics/WorldChecksum.h"
#include "platform/Timer.h"
#include "tests/bench/Skirmish.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>

namespace {

constexpr int HOUR_OF_TICKS = 36000;

// Processor seconds of one piece of the recorder's work, taken `times` times in the level as it
// stands (its caches warm: in a tick the world's own work has the fields further away).
template <typename Piece>
double EachTakes(int times, Piece piece)
{
    const double began = ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 0; i < times; ++i) piece();
    return (ClockSeconds(CLOCK_THREAD_CPUTIME_ID) - began) / times;
}

// The recorder's and the writer's figures over an hour of ticks, beside their goals: the two
// together at most 1 % of the world's, and no write longer than a tick.
void ReportRecording(benchmark::State& state, int ticks, double world, const ReplayRecorderWork& before,
                     const ReplayRecorderWork& after)
{
    const double recorder = after.seconds - before.seconds, writer = after.writeSeconds - before.writeSeconds;
    state.counters["ticks"] = ticks;
    state.counters["world_ms_per_tick"] = world * 1e3 / ticks;
    state.counters["recording_pct_of_world"] = (recorder + writer) * 100.0 / world;
    state.counters["goal_recording_pct"] = 1.0;
    state.counters["recorder_pct_of_world"] = recorder * 100.0 / world;
    state.counters["writer_pct_of_world"] = writer * 100.0 / world;
    state.counters["recorder_longest_ms"] = after.longest * 1e3;
    state.counters["longest_write_ms"] = after.longestWrite * 1e3;
    state.counters["tick_ms"] = WorldClock::TICK * 1e3;
    int entities = 0;
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) ++entities;
    TheScene.EndIteration();
    state.counters["entities"] = entities;
    // The pieces: the sum of every tick, the digest of every check, the hash of the save.
    WorldDigest digest;
    const WorldSumKind kind = ReplaySumKind(REPLAY_FORMAT_VERSION);
    state.counters["tick_sum_us"] = EachTakes(1000, [&] { DigestWorld(&digest, kind, false); }) * 1e6;
    state.counters["check_digest_us"] = EachTakes(1000, [&] { DigestWorld(&digest, kind, true); }) * 1e6;
    state.counters["save_hash_us"] = EachTakes(10, [] { benchmark::DoNotOptimize(DigestSave()); }) * 1e6;
    const std::vector<ReplayListing> games = ReplayDirector::ListOf("Bench");
    struct stat file{};
    if (!games.empty() && stat(games[0].path.c_str(), &file) == 0) state.counters["file_kb"] = file.st_size / 1024.0;
}

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
                const double world = all - (after.seconds - before.seconds);
                measured = ticks > 0 && world > 0.0;
                if (measured) ReportRecording(state, ticks, world, before, after);
            }
        }
    }
    if (!measured) state.SkipWithError("the level did not start");
}
BENCHMARK(RecordAnHourOfALevel)->Iterations(1)->Unit(benchmark::kSecond);

constexpr int TICKS_BETWEEN_LOOKS = 100;  // ten seconds of play
// The camera looks at the player's rig: the armies fight away from it.
constexpr int ROWS_FROM_THE_RIG = 40;

// Nobody drives the rig, and the level's own raiders find it within minutes: its loss would
// end the level and stand the world still. It is mended every ten seconds, as a player keeping it
// out of harm would.
void MendTheRig()
{
    WorldChangeScope mending;
    for (auto* node = TheScene.master.head; node; node = node->next)
        if (Entity* entity = node->value)
            if ((entity->flags & ENTITY_PLAYER) && !(entity->flags & ENTITY_DEAD)) entity->SetHealth(entity->GetMaxHealth());
}

void RecordAnHourOfASkirmish(benchmark::State& state)
{
    ProgramRun run("recorder-skirmish", "mainMenuEnabled false\n");
    bool measured = false;
    if (run.IntoTheFirstLevel()) {
        for (int i = 0; i < 10 && TheGame && TheGame->state == GAME_STATE_PLAYING; ++i) ProgramRun::Pass();
        if (TheGame && TheGame->state == GAME_STATE_PLAYING) {
            for (auto _ : state) {
                size_t secondSide = 0;
                std::vector<EntityRef> units = StageASkirmish(*TheGame, 200, &secondSide, ROWS_FROM_THE_RIG);
                const size_t staged = units.size();
                const size_t strength[2] = {secondSide, staged - secondSide};
                int stagings = 1, holds = 0;
                double alive = 0.0;
                const ReplayRecorderWork before = TheReplay.RecorderWork();
                double all = 0.0;
                int ticks = 0;
                MendTheRig();
                while (ticks < HOUR_OF_TICKS && TheGame->state == GAME_STATE_PLAYING) {
                    // Only the ticks are timed, not the staging between them.
                    const double began = ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
                    for (int i = 0; i < TICKS_BETWEEN_LOOKS && ticks < HOUR_OF_TICKS && TheGame->state == GAME_STATE_PLAYING; ++i) {
                        ++ticks;
                        if (!TheGame->RunWorldTick(0.1f)) break;
                    }
                    all += ClockSeconds(CLOCK_THREAD_CPUTIME_ID) - began;
                    // A window a tick opened (an objective met, a message) holds the game, and no
                    // frame passes to close it: it is closed as the player would, and play goes on.
                    if (GamePaused || (WindowMgr && WindowMgr->modal)) {
                        ++holds;
                        for (int i = 0; i < 5 && WindowMgr && WindowMgr->modal; ++i) WindowMgr->modal->SetVisible(false);
                        GamePaused = false;
                    }
                    MendTheRig();
                    const int standing = Standing(units);
                    alive += standing;
                    // A side beaten (fewer than a third of its strength standing): both brought
                    // back to their strength, the winners' survivors kept in the fight. (Staged
                    // anew whole, the winners would stand idle in the level and fill its list,
                    // and the new armies find no room.)
                    const std::vector<EntityRef> first(units.begin(), units.begin() + (long)secondSide),
                        second(units.begin() + (long)secondSide, units.end());
                    if ((size_t)Standing(first) * 3 < strength[0] || (size_t)Standing(second) * 3 < strength[1]) {
                        ReinforceASkirmish(*TheGame, &units, &secondSide, strength, ROWS_FROM_THE_RIG);
                        ++stagings;
                    } else {
                        SendAtEachOther(units, secondSide);
                    }
                }
                TheReplay.FlushRecording();
                const ReplayRecorderWork after = TheReplay.RecorderWork();
                const double world = all - (after.seconds - before.seconds);
                measured = ticks > 0 && world > 0.0 && staged > 0;
                if (!measured) continue;
                ReportRecording(state, ticks, world, before, after);
                state.counters["agents"] = (double)staged;
                state.counters["stagings"] = stagings;
                state.counters["holds_lifted"] = holds;
                state.counters["level_failed"] = TheInGameMenu && TheInGameMenu->failedShown ? 1 : 0;
                state.counters["standing_mean"] = alive / std::max(1, ticks / TICKS_BETWEEN_LOOKS);
            }
        }
    }
    if (!measured) state.SkipWithError("the level did not start or no army could be staged");
}
BENCHMARK(RecordAnHourOfASkirmish)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
