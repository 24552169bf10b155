// How long a random level takes to generate: the layout and the heightmap construction of the
// largest level a mission can ask for (ten objectives of several sites each, camps, lairs,
// two rivers), with its height image written (the map image is a debug picture a player's
// level does without). Goal: 5 ms.
#include "campaign/MissionRecord.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "platform/UserFolders.h"
#include "terrain/Environment.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void GenerateTheLargestLevel(benchmark::State& state)
{
    InitUserFolders();
    Environment::EnsureLoaded();

    std::vector<Objective> objectives(MAX_MISSION_OBJECTIVES);
    MissionRecord mission;
    mission.flags = MISSION_DATA_OWN_ENVIRONMENT;
    CopyText(mission.environment, sizeof mission.environment, "marsh");
    mission.levelTemplate = LEVEL_TEMPLATE_2_RIVERS;
    mission.enemyCount = 8;
    mission.creatureCount = 8;
    const int types[] = {OBJECTIVE_RECOVER_OBJECT, OBJECTIVE_ELIMINATE_ENEMIES, OBJECTIVE_REPAIR_OBJECT, OBJECTIVE_MINING};
    for (int i = 0; i < MAX_MISSION_OBJECTIVES; ++i) {
        objectives[(size_t)i].type = types[i % 4];
        objectives[(size_t)i].targetCount = 3;
        objectives[(size_t)i].flags |= OBJECTIVE_GUARDED_OBJECT;
        mission.objectives[mission.objectiveCount++] = &objectives[(size_t)i];
    }
    MapGenerator maps;
    TheMapGenerator = &maps;
    unsigned seed = 1;
    for (auto _ : state) {
        SRand(seed++);
        TheLevelGenerator.Layout(&mission);
        maps.BuildHeightmap(TheLevelGenerator);
        maps.GenerateHeightImage();
        benchmark::DoNotOptimize(maps.kinds.data());
    }
    state.counters["goal_ms"] = 5;
    TheMapGenerator = nullptr;
}
BENCHMARK(GenerateTheLargestLevel)->Unit(benchmark::kMillisecond);

}  // namespace
