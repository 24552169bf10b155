// How long a route across the 128 x 128 grid takes to find: typical orders between nearby
// cells of a level cut by rock walls, the longest searches (those that close all 511 nodes
// before they give up), and targets behind a wall, told at once by the walk regions. Each run
// also reports the median and the worst single query of its set.
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "world/Grid.h"
#include "world/PathFinder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

struct Query {
    int x0, y0, x1, y1;
};

// The game object as the current game, its grid open but for scattered rock walls and one
// wall across the whole map at column 96, its walk regions labelled.
struct Level {
    GameMechanics game;
    GameMechanics* saved = TheGame;
    Grid& grid = *game.grid;

    Level()
    {
        TheGame = &game;
        SRand(4711);
        for (int row = 0; row < grid.size; ++row)
            for (int column = 0; column < grid.size; ++column) grid.GetCell(column, row)->flags = CELL_WALKABLE | CELL_BUILDABLE;
        for (int wall = 0; wall < 40; ++wall) {
            int column = Rand() % 90, row = Rand() % grid.size, length = 5 + Rand() % 20;
            bool across = Rand() % 2 == 0;
            for (int i = 0; i < length; ++i)
                if (GridCell* cell = grid.GetCell(column + (across ? i : 0), row + (across ? 0 : i))) cell->flags = 0;
        }
        for (int row = 0; row < grid.size; ++row) grid.GetCell(96, row)->flags = 0;
        game.LabelWalkRegions();
    }
    ~Level() { TheGame = saved; }

    bool Open(int x, int y) const { return grid.GetCell(x, y)->flags & CELL_WALKABLE; }

    // Pairs of walkable cells on the near side of the long wall, at most reach cells apart
    // (either way), whose search ends as wanted: found, or given up.
    std::vector<Query> Queries(int reach, bool found, int wanted)
    {
        std::vector<Query> queries;
        for (int tries = 0; tries < 100000 && (int)queries.size() < wanted; ++tries) {
            Query q;
            q.x0 = 1 + Rand() % 90;
            q.y0 = 1 + Rand() % 126;
            q.x1 = std::min(94, std::max(1, q.x0 - reach + Rand() % (2 * reach + 1)));
            q.y1 = std::min(126, std::max(1, q.y0 - reach + Rand() % (2 * reach + 1)));
            if (!Open(q.x0, q.y0) || !Open(q.x1, q.y1)) continue;
            if ((PathFinder::FindPath(q.x0, q.y0, q.x1, q.y1, &grid, nullptr) != nullptr) != found) continue;
            if (!found && PathFinder::ClosedCount() < 400) continue;  // the long give-ups only
            queries.push_back(q);
        }
        return queries;
    }
};

void RunQueries(benchmark::State& state, Level& level, const std::vector<Query>& queries)
{
    std::vector<double> times;
    size_t i = 0;
    int found = 0;
    for (auto _ : state) {
        const Query& q = queries[i++ % queries.size()];
        auto begin = std::chrono::steady_clock::now();
        PathNode* node = PathFinder::FindPath(q.x0, q.y0, q.x1, q.y1, &level.grid, nullptr);
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
        found += node ? 1 : 0;
        benchmark::DoNotOptimize(node);
    }
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    state.counters["median_us"] = times[times.size() / 2];
    state.counters["worst_us"] = times.back();
    state.counters["queries"] = (double)queries.size();
    state.counters["found"] = (double)found / (double)times.size();
}

void FindATypicalRoute(benchmark::State& state)
{
    Level level;
    RunQueries(state, level, level.Queries(12, true, 64));
}
BENCHMARK(FindATypicalRoute)->Unit(benchmark::kMicrosecond);

void GiveUpOnTheLongestSearch(benchmark::State& state)
{
    Level level;
    RunQueries(state, level, level.Queries(60, false, 16));
}
BENCHMARK(GiveUpOnTheLongestSearch)->Unit(benchmark::kMicrosecond);

void RefuseATargetBehindAWall(benchmark::State& state)
{
    Level level;
    std::vector<Query> queries;
    for (int row = 1; row < 127; row += 4)
        if (level.Open(90, row)) queries.push_back({90, row, 100, row});
    RunQueries(state, level, queries);
}
BENCHMARK(RefuseATargetBehindAWall)->Unit(benchmark::kNanosecond);

}  // namespace
