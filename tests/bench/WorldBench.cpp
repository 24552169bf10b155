// How long the map grid's work takes: labelling the walk regions of a 128 x 128 level cut by
// rock walls (the terrain editor relabels at every stroke), the whole tile map of a hilly
// level, and finding a free cell beside a building in the middle of a crowded base (every
// order to build, repair or unload asks for one).
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

// The game object as the current game, with its grid open except for scattered rock walls.
struct Level {
    GameMechanics game;
    GameMechanics* saved = TheGame;

    Level()
    {
        TheGame = &game;
        SRand(4711);
        Grid& grid = *game.grid;
        for (int row = 0; row < grid.size; ++row)
            for (int column = 0; column < grid.size; ++column) grid.GetCell(column, row)->flags = CELL_WALKABLE | CELL_BUILDABLE;
        for (int wall = 0; wall < 40; ++wall) {
            int column = Rand() % grid.size, row = Rand() % grid.size, length = 5 + Rand() % 20;
            bool across = Rand() % 2 == 0;
            for (int i = 0; i < length; ++i)
                if (GridCell* cell = grid.GetCell(column + (across ? i : 0), row + (across ? 0 : i))) cell->flags = 0;
        }
    }
    ~Level() { TheGame = saved; }
};

void LabelTheWalkRegions(benchmark::State& state)
{
    Level level;
    for (auto _ : state) level.game.LabelWalkRegions();
    state.counters["regions"] = (double)(level.game.grid->regionCounter - level.game.grid->regionBase + 1);
    state.counters["cells"] = (double)level.game.grid->size * level.game.grid->size;
}
BENCHMARK(LabelTheWalkRegions)->Unit(benchmark::kMicrosecond);

void BuildTheTileMapOfAHillyLevel(benchmark::State& state)
{
    Level level;
    TheScene.InitLists();
    CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, "none");
    TheTerrain.Create(128, 128);
    for (int z = 0; z < 128; ++z)
        for (int x = 0; x < 128; ++x)
            TheTerrain.heightmap->data[(size_t)z * 128 + x] = 3.0f + 2.5f * std::sin(x * 0.2f) * std::cos(z * 0.15f);
    TheTerrain.UpdateNormals(0, 0, 0);
    for (auto _ : state) level.game.BuildTileMap();
    TheTerrain.Free();
}
BENCHMARK(BuildTheTileMapOfAHillyLevel)->Unit(benchmark::kMillisecond);

void FindAFreeCellInACrowdedBase(benchmark::State& state)
{
    Level level;
    Grid& grid = *level.game.grid;
    // A 4 x 4 factory at (60, 60) in a base 24 cells wide where two columns in three are taken
    // by buildings and units; the search comes from the base's far corner.
    Building factory;
    factory.SetPosition(grid.CellToWorld(60, 60));
    factory.gridRect[0] = factory.gridRect[1] = 60;
    factory.gridRect[2] = factory.gridRect[3] = 63;
    std::vector<Entity> crowd(24 * 24);
    int n = 0;
    for (int row = 50; row < 74; ++row)
        for (int column = 50; column < 74; ++column, ++n)
            if (n % 3 != 0) grid.GetCell(column, row)->occupant = &crowd[n];
    for (int row = 60; row <= 63; ++row)
        for (int column = 60; column <= 63; ++column) grid.GetCell(column, row)->occupant = &factory;
    Vec3 from = grid.CellToWorld(50, 50), found;
    int hits = 0;
    for (auto _ : state) {
        hits += FindFreeCellNear(&found, &factory, from, 0.0f, nullptr) ? 1 : 0;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = hits > 0 ? 1 : 0;
    grid.ResetCells();
}
BENCHMARK(FindAFreeCellInACrowdedBase)->Unit(benchmark::kNanosecond);

}  // namespace
