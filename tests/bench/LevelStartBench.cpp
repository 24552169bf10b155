// How long a level takes to start and to end: the game object's whole level start for a
// generated mission with two rivers (layout, heights and height image, terrain, water, tile
// map, fog grids) and the level's end after it, without a graphics device. Goal: the start
// well under three seconds.
#include "campaign/MissionScreen.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/UserFolders.h"
#include "terrain/Environment.h"
#include "terrain/Terrain.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void StartAndEndALevel(benchmark::State& state)
{
    std::string folder = "/tmp/veldmark-bench-level-" + std::to_string(getpid());
    CreateFolder(folder.c_str());
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    InitUserFolders();
    Environment::EnsureLoaded();
    TheScene.InitLists();

    MissionRecord* mission = MissionScreen::InitRandomMission();
    mission->flags |= MISSION_DATA_OWN_ENVIRONMENT;
    CopyText(mission->environment, sizeof mission->environment, "marsh");
    mission->levelTemplate = LEVEL_TEMPLATE_2_RIVERS;
    {
        GameMechanics game;
        TheGame = &game;
        game.CreateCatalogues();
        game.state = GAME_STATE_PLAYING;
        // The first level's one-time loads are not what is measured.
        game.started = true;
        unsigned seed = 1;
        LogCaptureBegin();
        for (auto _ : state) {
            SRand(seed++);
            game.Init();
            game.EndLevel();
            LogCaptureEnd();
            LogCaptureBegin();
        }
        LogCaptureEnd();
        TheTerrain.Free();
        TheGame = nullptr;
    }
    MissionScreen::scratchActive = false;
    std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0) {}
}
BENCHMARK(StartAndEndALevel)->Unit(benchmark::kMillisecond);

}  // namespace
