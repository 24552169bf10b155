// How long a level takes to start and to end, and a frame of play: the game object's whole
// level start for a generated mission with two rivers (layout, heights and height image,
// population, terrain, water, tile map, fog grids) and the level's end after it, without a
// graphics device (goal: the start well under three seconds); then one game update of such a
// level with as many bots as the agent pool holds walking across it (goal: under 4 ms).
#include "campaign/MissionScreen.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "terrain/Environment.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/Grid.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

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
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        TheGame = nullptr;
    }
    MissionScreen::scratchActive = false;
    std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0) {}
}
BENCHMARK(StartAndEndALevel)->Unit(benchmark::kMillisecond);

void OneUpdateOfAFullLevel(benchmark::State& state)
{
    std::string folder = "/tmp/veldmark-bench-update-" + std::to_string(getpid());
    CreateFolder(folder.c_str());
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    InitUserFolders();
    Environment::EnsureLoaded();
    // The mesh library too: bots are made only of loaded meshes.
    TheScene.Init();
    MissionRecord* mission = MissionScreen::InitRandomMission();
    mission->flags |= MISSION_DATA_OWN_ENVIRONMENT;
    CopyText(mission->environment, sizeof mission->environment, "forest");
    mission->levelTemplate = LEVEL_TEMPLATE_RIVER_DIVIDES;
    {
        GameMechanics game;
        TheGame = &game;
        game.CreateCatalogues();
        game.LoadCatalogues();
        game.state = GAME_STATE_PLAYING;
        SRand(7);
        LogCaptureBegin();
        game.Init();
        // Bots on every open cell of a coarse lattice, each sent across the level.
        std::vector<Agent*> bots;
        Grid& grid = *game.grid;
        for (int row = 8; row < 120; row += 6)
            for (int column = 8; column < 120; column += 6) {
                GridCell* cell = grid.GetCell(column, row);
                if (!cell->IsFreeWalkable()) continue;
                Agent* bot = TheScene.CreateAgent(bots.size() % 2 ? "miner" : "scout_bot", true);
                if (!bot) continue;
                Vec3 point = grid.CellToWorld(column, row);
                bot->SetPosition(point);
                bot->ResetMovement();
                bot->ClaimGridCell(point);
                bots.push_back(bot);
            }
        for (size_t i = 0; i < bots.size(); ++i) bots[i]->MoveTo(bots[bots.size() - 1 - i]->GetPosition(), true);
        FrameTimer.delta = 1.0f / 60.0f;
        for (auto _ : state) {
            ++FrameTimer.frameCount;
            game.Update();
        }
        state.counters["bots"] = (double)bots.size();
        game.EndLevel();
        LogCaptureEnd();
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        TheGame = nullptr;
    }
    MissionScreen::scratchActive = false;
    std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0) {}
}
BENCHMARK(OneUpdateOfAFullLevel)->Unit(benchmark::kMicrosecond);

}  // namespace
