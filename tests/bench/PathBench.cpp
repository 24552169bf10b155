// How long a route across the 128 x 128 grid takes to find: typical orders between nearby
// cells of a level cut by rock walls, the longest searches (those that close all 511 nodes
// before they give up), and targets behind a wall, told at once by the walk regions. Each run
// also reports the median and its slowest query, beside its goal. A last run
// makes 20,000 random searches and reports their checksum, which a faster search must keep.
#include "host/Random.h"
#include "tests/world/RouteChecksum.h"
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
        CarveRouteLevel(game);
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

void RunQueries(benchmark::State& state, Level& level, const std::vector<Query>& queries, double goalMedianUs,
                double goalWorstUs)
{
    // Every query is run many times: the median is over all runs, the worst is the slowest
    // query's own median, so that a moment the machine gave to another program does not count
    // as a slow search.
    std::vector<double> times;
    std::vector<std::vector<double>> perQuery(queries.size());
    size_t i = 0;
    int found = 0;
    for (auto _ : state) {
        const size_t index = i++ % queries.size();
        const Query& q = queries[index];
        auto begin = std::chrono::steady_clock::now();
        PathNode* node = PathFinder::FindPath(q.x0, q.y0, q.x1, q.y1, &level.grid, nullptr);
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count();
        times.push_back(us);
        perQuery[index].push_back(us);
        found += node ? 1 : 0;
        benchmark::DoNotOptimize(node);
    }
    if (times.empty()) return;
    auto median = [](std::vector<double>& values) {
        std::nth_element(values.begin(), values.begin() + (long)(values.size() / 2), values.end());
        return values[values.size() / 2];
    };
    state.counters["median_us"] = median(times);
    double worst = 0.0;
    for (std::vector<double>& runs : perQuery)
        if (!runs.empty()) worst = std::max(worst, median(runs));
    state.counters["worst_us"] = worst;
    state.counters["queries"] = (double)queries.size();
    state.counters["found"] = (double)found / (double)times.size();
    if (goalMedianUs > 0) state.counters["goal_median_us"] = goalMedianUs;
    if (goalWorstUs > 0) state.counters["goal_worst_us"] = goalWorstUs;
}

void FindATypicalRoute(benchmark::State& state)
{
    Level level;
    RunQueries(state, level, level.Queries(12, true, 64), 1.2, 0);
}
BENCHMARK(FindATypicalRoute)->Unit(benchmark::kMicrosecond);

void GiveUpOnTheLongestSearch(benchmark::State& state)
{
    Level level;
    RunQueries(state, level, level.Queries(60, false, 16), 0, 150);
}
BENCHMARK(GiveUpOnTheLongestSearch)->Unit(benchmark::kMicrosecond);

void RefuseATargetBehindAWall(benchmark::State& state)
{
    Level level;
    std::vector<Query> queries;
    for (int row = 1; row < 127; row += 4)
        if (level.Open(90, row)) queries.push_back({90, row, 100, row});
    RunQueries(state, level, queries, 0, 0);
}
BENCHMARK(RefuseATargetBehindAWall)->Unit(benchmark::kNanosecond);

// The checksum must not change when the search gets faster: the same routes, closed in the same
// order.
void Search20000RandomRoutes(benchmark::State& state)
{
    Level level;
    uint64_t checksum = 0;
    for (auto _ : state) checksum = RouteChecksum(level.grid, 20000);
    state.counters["checksum_low"] = (double)(checksum & 0xffffffffu);
    state.counters["checksum_high"] = (double)(checksum >> 32);
}
BENCHMARK(Search20000RandomRoutes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
