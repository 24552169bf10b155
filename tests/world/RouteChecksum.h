#pragma once
// One level and one fixed set of route searches, shared by the path benchmark and the test that
// keeps routes from changing: the grid open but for scattered rock walls and one wall across
// the whole map at column 96, and a checksum over many random searches on it (found or not, the
// route's cells, and every closed cell in the order it was closed, which the give-up routes and
// the debug overlay read).
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "world/Grid.h"
#include "world/PathFinder.h"

#include <cstdint>

// Lays the walls into the game's grid and labels its walk regions.
inline void CarveRouteLevel(GameMechanics& game)
{
    Grid& grid = *game.grid;
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

// Every second search is a short order (goal at most 12 cells away); the others go anywhere on
// the grid, edges, rock and the far side of the long wall included.
inline uint64_t RouteChecksum(const Grid& grid, int searches)
{
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](int64_t value) {
        hash ^= (uint64_t)value;
        hash *= 1099511628211ull;
    };
    SRand(2024);
    const int n = grid.size;
    for (int i = 0; i < searches; ++i) {
        int x0 = Rand() % n, y0 = Rand() % n, x1, y1;
        if (i % 2 == 0) {
            x1 = x0 - 12 + Rand() % 25;
            y1 = y0 - 12 + Rand() % 25;
        } else {
            x1 = Rand() % n;
            y1 = Rand() % n;
        }
        int length = 0;
        for (const PathNode* node = PathFinder::FindPath(x0, y0, x1, y1, &grid, nullptr); node; node = node->parent) {
            mix(node->x * 1000 + node->y);
            ++length;
        }
        mix(length);
        mix(PathFinder::ClosedCount());
        for (int c = 0; c < PathFinder::ClosedCount(); ++c) {
            const PathNode* node = PathFinder::ClosedNode(c);
            mix(node->x * 1000 + node->y);
        }
    }
    return hash;
}
