// How long a player waits from launch to the first frame of the world, with the real start-up
// on the display (the window, the device, every start-up step, then the main loop's own
// passes): started straight into a mission (goal 1.5 s); started with the two logo slides
// skipped at once with Escape and the mission then asked for (goal: at most 1 s more); and with
// the logo slides played to their end, from the start screen to the world (goal 1.5 s). One run
// of each: the program starts the game once. Run it with an empty shader cache
// (MESA_SHADER_CACHE_DISABLE=true, as bench.sh does) to see a player's first start.
#include "tests/bench/ProgramRun.h"
#include "app/AppShell.h"
#include "app/MainLoop.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/StorySlideshow.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "platform/Files.h"
#include "platform/UserFolders.h"
#include "terrain/ScanPulses.h"
#include "tests/app/PlayerHand.h"
#include "tests/terrain/WaterView.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A new user folder with these settings, the game started, and the passes run until the world
// has been drawn once (or a minute has gone). Seconds from launch to that frame; negative when
// the game could not start.
// What runs in the level once its world has been drawn, before the game ends.
using InLevel = void (*)(benchmark::State& state);

double LaunchAndPlay(const std::string& settings, bool skipLogos, double* logoSeconds, InLevel inLevel = nullptr,
                     benchmark::State* state = nullptr)
{
    const double begin = WallSeconds();
    ProgramRun run("launch", settings);
    double seconds = -1.0;
    if (run.Started()) {
        const double deadline = begin + 60.0;
        bool skipped = false;
        while (WallSeconds() < deadline && TheGame) {
            if (TheGame->state == GAME_STATE_INTRO && skipLogos && !skipped && IntroSlideshow) {
                // Escape on each slide, as a player in a hurry presses it.
                IntroSlideshow->Next();
                IntroSlideshow->Next();
                skipped = true;
            }
            if (TheGame->state == GAME_STATE_FRONT_END) {
                // The mission the start screen would start.
                *logoSeconds = WallSeconds() - begin;
                MissionScreen::StartMission(-1, 0);
            }
            const int presented = PresentedFrames;
            const bool wasPlaying = TheGame->state == GAME_STATE_PLAYING;
            ProgramRun::Pass();
            if (wasPlaying && PresentedFrames > presented) {
                seconds = WallSeconds() - begin;
                if (inLevel && state) inLevel(*state);
                break;
            }
        }
    }
    return seconds;
}

// One launch with these settings, reported beside its goal: seconds to the first world frame,
// and with the start screen in between, the seconds to it and from it to the world.
void ReportLaunch(benchmark::State& state, const char* settings, bool skipLogos, bool fromStartScreen, double goal)
{
    double seconds = 0.0, logos = 0.0;
    for (auto _ : state) seconds = LaunchAndPlay(settings, skipLogos, &logos);
    if (seconds < 0) state.SkipWithError("the game did not start or never drew the world");
    state.counters["launch_s"] = seconds;
    if (fromStartScreen) state.counters["to_start_screen_s"] = logos;
    if (fromStartScreen && !skipLogos) state.counters["start_screen_to_world_s"] = seconds - logos;
    state.counters["goal_s"] = goal;
}

void LaunchToTheFirstWorldFrame(benchmark::State& state)
{
    ReportLaunch(state, "mainMenuEnabled false\n", false, false, 1.5);
}
BENCHMARK(LaunchToTheFirstWorldFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void LaunchWithTheLogosSkipped(benchmark::State& state)
{
    ReportLaunch(state, "mainMenuEnabled true\n", true, true, 2.5);
}
BENCHMARK(LaunchWithTheLogosSkipped)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

namespace {

void LaunchWithTheLogosPlayed(benchmark::State& state)
{
    ReportLaunch(state, "mainMenuEnabled true\n", false, true, 1.5);
}
BENCHMARK(LaunchWithTheLogosPlayed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

namespace {

// Milliseconds of the longest of these main-loop passes.
double WorstPass(int passes)
{
    double worst = 0.0;
    for (int i = 0; i < passes; ++i) {
        const double begin = WallSeconds();
        DrainMessages(nullptr);
        MainLoopPass();
        const double ms = (WallSeconds() - begin) * 1e3;
        if (ms > worst) worst = ms;
    }
    return worst;
}

// The first seconds of a level as a player meets them: ordinary frames, then the first scan,
// the first building placed, the first shots of a fight, the first sight of the level's water
// (this galaxy's first level has some, out of the first view), and a save made in the middle of
// play (its files written as the save window writes them), each the worst frame it causes.
// Goal: no frame over 50 ms.
void HitchesOfAFirstLevel(benchmark::State& state)
{
    double logos = 0.0;
    auto inLevel = [](benchmark::State& s) {
        WorstPass(60);  // the level settles: the first frames draw what they see for the first time
        std::vector<double> frames;
        for (int i = 0; i < 30; ++i) frames.push_back(WorstPass(1));
        std::sort(frames.begin(), frames.end());
        const double median = frames[frames.size() / 2];
        s.counters["frame_median_ms"] = median;
        TheScanEffects.BeginScan(TheGame->GetFirstSelected());
        s.counters["first_scan_worst_frame_ms"] = WorstPass(30);
        // The first building, placed as a player places it: the rig selected, the factory
        // chosen on its build panel, its preview moved over the ground and clicked down, the rig
        // sent to build it; then the site's first moments.
        Agent* rig = GetPlayerRig();
        double placement = 0.0;
        auto timedPass = [&placement] { placement = std::max(placement, WorstPass(1)); };
        const Building* site =
            rig ? playerhand::PlaceFromBuildPanel("bot_factory", rig->GetPosition(), timedPass) : nullptr;
        s.counters["placed"] = site ? 1 : 0;
        for (int i = 0; i < 30; ++i) timedPass();
        s.counters["first_placement_worst_frame_ms"] = placement;
        // The same in ordinary frames of this run, which a loaded machine makes longer too:
        // goal at most 2.
        s.counters["first_placement_frames"] = median > 0.0 ? placement / median : 0.0;
        // The first shots: a scavenger beside the rig, and the two fight.
        double shot = 0.0;
        if (rig) {
            if (Agent* enemy = TheScene.CreateAgent("scav_small", true)) {
                TheScene.UnlinkEntity(enemy);
                TheScene.AddEntity(enemy);
                enemy->alignment = ALIGN_ENEMY;
                const Vec3 at = rig->GetPosition() + Vec3(-12.0f, 0.0f, -12.0f);
                enemy->SetPosition(at);
                enemy->ResetMovement();
                enemy->ClaimGridCell(at);
                shot = WorstPass(90);
            }
        }
        s.counters["first_shot_worst_frame_ms"] = shot;
        if (LookOverWater()) {
            s.counters["first_water_worst_frame_ms"] = WorstPass(10);
            s.counters["water_seen"] = TheTerrain.waterSet->AnyVisible() ? 1 : 0;
        }
        const double begin = WallSeconds();
        s.counters["saved"] = WriteSaveGame("bench") ? 1 : 0;
        const double save = (WallSeconds() - begin) * 1e3;
        s.counters["save_ms"] = save;
        s.counters["save_frame_ms"] = save + WorstPass(1);
        // The save as a player makes it: the save window opened, then its Save button.
        double opened = WallSeconds();
        OpenSaveGameWindow();
        opened = (WallSeconds() - opened) * 1e3;
        s.counters["save_window_open_frame_ms"] = opened + WorstPass(1);
        WorstPass(5);
        double clicked = WallSeconds();
        const int saved = SaveGame(nullptr, nullptr);
        clicked = (WallSeconds() - clicked) * 1e3;
        s.counters["save_button_frame_ms"] = clicked + WorstPass(1);
        s.counters["saved_from_window"] = saved;
    };
    double seconds = 0.0;
    for (auto _ : state) seconds = LaunchAndPlay("mainMenuEnabled false\n", false, &logos, inLevel, &state);
    if (seconds < 0) state.SkipWithError("the game did not start or never drew the world");
    state.counters["goal_ms"] = 50;
}
BENCHMARK(HitchesOfAFirstLevel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
