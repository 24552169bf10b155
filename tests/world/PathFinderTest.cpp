// Grid routes: an agent finds its way around a wall and through a gap, never cuts a corner or
// leaves a cell by a closed step, learns at once that a walled-off cell cannot be reached, gives
// up on a route too long for the search, and every path it takes goes back to the pool. The
// walk over the whole grid goes round any wall and gives up on a shut pocket at its own cost.
#include "world/PathFinder.h"

#include "mechanics/GameMechanics.h"
#include "tests/world/RouteChecksum.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Agent.h"
#include "world/Entity.h"
#include "world/GridWalk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

class PathFinderTest : public WorldTest {
public:
    using WorldTest::Cell;
    using WorldTest::OpenGround;

    void Block(int column, int row) { Cell(column, row)->flags = 0; }
    // Blocks a column of cells from row0 to row1.
    void Wall(int column, int row0, int row1)
    {
        for (int row = row0; row <= row1; ++row) Block(column, row);
    }

    // The route's cells, start first; empty when there is none.
    std::vector<std::pair<int, int>> Route(int x0, int y0, int x1, int y1, const Entity* agent = nullptr)
    {
        std::vector<std::pair<int, int>> cells;
        for (PathNode* node = PathFinder::FindPath(x0, y0, x1, y1, grid, agent); node; node = node->parent)
            cells.insert(cells.begin(), {node->x, node->y});
        return cells;
    }

    // Every step goes to a neighbouring walkable cell without cutting past a blocked one.
    void ExpectWalkable(const std::vector<std::pair<int, int>>& cells)
    {
        for (size_t i = 0; i < cells.size(); ++i) {
            int x = cells[i].first, y = cells[i].second;
            EXPECT_TRUE(Cell(x, y)->flags & CELL_WALKABLE) << x << "," << y;
            if (i == 0) continue;
            int dx = x - cells[i - 1].first, dy = y - cells[i - 1].second;
            EXPECT_TRUE(std::abs(dx) <= 1 && std::abs(dy) <= 1 && (dx || dy)) << x << "," << y;
            if (dx && dy) {
                EXPECT_TRUE(Cell(x - dx, y)->flags & CELL_WALKABLE) << "cut past " << x - dx << "," << y;
                EXPECT_TRUE(Cell(x, y - dy)->flags & CELL_WALKABLE) << "cut past " << x << "," << y - dy;
            }
        }
    }
};

TEST_F(PathFinderTest, FindsItsWayAroundAWallAndThroughAGap)
{
    Wall(64, 56, 72);
    auto around = Route(60, 64, 70, 64);
    ASSERT_FALSE(around.empty());
    EXPECT_EQ(around.front(), std::make_pair(60, 64));
    EXPECT_EQ(around.back(), std::make_pair(70, 64));
    ExpectWalkable(around);

    OpenGround();
    Wall(64, 1, 126);
    Block(64, 0);
    Block(64, 127);
    Cell(64, 30)->flags = CELL_WALKABLE;  // the one gap
    auto through = Route(60, 34, 68, 34);
    ASSERT_FALSE(through.empty());
    ExpectWalkable(through);
    const std::set<std::pair<int, int>> visited(through.begin(), through.end());
    EXPECT_EQ(visited.count(std::make_pair(64, 30)), 1u);
}

TEST_F(PathFinderTest, EdgeCases)
{
    Entity self, other;
    struct Case {
        const char* what;
        void (*stage)(PathFinderTest&, Entity&, Entity&);
        int x0, y0, x1, y1;
        bool found;
        size_t cells;  // 0: any
    };
    const Case table[] = {
        {"the start is the goal", [](PathFinderTest&, Entity&, Entity&) {}, 30, 30, 30, 30, true, 1},
        {"open ground goes straight", [](PathFinderTest&, Entity&, Entity&) {}, 10, 10, 20, 20, true, 11},
        {"a goal on the outermost row", [](PathFinderTest&, Entity&, Entity&) {}, 10, 3, 10, 0, true, 4},
        {"a start on the outermost row", [](PathFinderTest&, Entity&, Entity&) {}, 10, 0, 10, 3, false, 0},
        {"a diagonal between two blocked cells",
         [](PathFinderTest& t, Entity&, Entity&) {
             t.OpenGround();
             for (int x = 1; x < 127; ++x)
                 for (int y = 1; y < 127; ++y) t.Block(x, y);
             t.Cell(10, 10)->flags = CELL_WALKABLE;
             t.Cell(11, 11)->flags = CELL_WALKABLE;
         },
         10, 10, 11, 11, false, 0},
        {"a closed step in a corridor",
         [](PathFinderTest& t, Entity&, Entity&) {
             t.OpenGround();
             for (int x = 1; x < 127; ++x)
                 for (int y = 1; y < 127; ++y) t.Cell(x, y)->flags = y == 10 ? CELL_WALKABLE : 0;
             t.Cell(15, 10)->steps[0] = 0;
         },
         10, 10, 20, 10, false, 0},
        {"a corridor held by the agent itself",
         [](PathFinderTest& t, Entity& self, Entity&) {
             t.Cell(15, 10)->steps[0] = 1;
             t.Cell(15, 10)->occupant = &self;
         },
         10, 10, 20, 10, true, 11},
        {"a corridor held by another",
         [](PathFinderTest& t, Entity&, Entity& other) {
             t.Cell(15, 10)->occupant = &other;
         },
         10, 10, 20, 10, false, 0},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        c.stage(*this, self, other);
        auto cells = Route(c.x0, c.y0, c.x1, c.y1, &self);
        EXPECT_EQ(!cells.empty(), c.found);
        if (c.cells) {
            EXPECT_EQ(cells.size(), c.cells);
        }
        ExpectWalkable(cells);
    }
    Cell(15, 10)->occupant = nullptr;
}

TEST_F(PathFinderTest, AWalledOffCellIsKnownUnreachableAtOnce)
{
    Wall(64, 0, 127);
    game.LabelWalkRegions();
    EXPECT_TRUE(Route(60, 64, 70, 64).empty());
    EXPECT_EQ(PathFinder::ClosedCount(), 0);
    // Without labels the search finds out the long way.
    OpenGround();
    Wall(64, 0, 127);
    EXPECT_TRUE(Route(60, 64, 70, 64).empty());
    EXPECT_GT(PathFinder::ClosedCount(), 100);
}

TEST_F(PathFinderTest, ARouteTooLongForTheNodePoolFails)
{
    // The only way across is at the far end of a long wall: the search fills the near side
    // before it gets there.
    Wall(64, 0, 120);
    auto cells = Route(60, 10, 68, 10);
    EXPECT_TRUE(cells.empty());
    EXPECT_LE(PathFinder::ClosedCount(), 511);
    // A wall the search gets around within its nodes.
    OpenGround();
    Wall(64, 0, 20);
    EXPECT_FALSE(Route(60, 10, 68, 10).empty());
}

TEST_F(PathFinderTest, ARouteTowardAGoalBeyondOneSearchGoesAsFarAsTheSearchGot)
{
    PathPool& pool = *game.pathPool;
    bool complete = true;
    // Across open ground too far for the nodes: part of the way, nearer at its end.
    Path* part = BuildRouteToward(&pool, grid, nullptr, 2, 2, 125, 125, &complete);
    ASSERT_NE(part, nullptr);
    EXPECT_FALSE(complete);
    Vec3 end = part->points[part->count - 1];
    int column, row;
    ASSERT_TRUE(grid->WorldToCell(end, &column, &row));
    EXPECT_LT(PathEstimate(column, row, 125, 125), PathEstimate(2, 2, 125, 125) - 10.0f);
    EXPECT_TRUE(pool.Release(part));
    // Within reach it is the whole route.
    Path* whole = BuildRouteToward(&pool, grid, nullptr, 10, 10, 20, 20, &complete);
    ASSERT_NE(whole, nullptr);
    EXPECT_TRUE(complete);
    EXPECT_TRUE(pool.Release(whole));
    // Behind the long wall the nearest the search gets is the wall itself, no nearer than
    // where it started: no route.
    Wall(64, 0, 120);
    EXPECT_EQ(BuildRouteToward(&pool, grid, nullptr, 63, 10, 65, 10, &complete), nullptr);
    EXPECT_FALSE(complete);
    EXPECT_EQ(pool.InUseCount(), 0);
}

TEST_F(PathFinderTest, AWalkGoesRoundAnyWallAndGivesUpOnAShutPocketAtThePocketsCost)
{
    // The long wall, open only past row 120; a pocket walled round at (51..59, 51..59); one at
    // (81..83, 81..83) that lets units out but not in (its neighbours' exits into it are shut).
    Wall(64, 0, 120);
    for (int i = 50; i <= 60; ++i) Block(i, 50), Block(i, 60), Block(50, i), Block(60, i);
    auto inside = [](int x, int y) { return x >= 81 && x <= 83 && y >= 81 && y <= 83; };
    static const int STEP[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    for (int y = 80; y <= 84; ++y)
        for (int x = 80; x <= 84; ++x)
            for (int k = 0; k < 8; ++k)
                if (!inside(x, y) && inside(x + STEP[k][0], y + STEP[k][1])) Cell(x, y)->steps[k] = 0;
    // The longest walk is the shortest one's cells and a step more (0: no walk): round the wall,
    // 111 rows up to its end and 111 back.
    struct Case {
        int x0, y0, x1, y1;
        size_t longest;
        const char* what;
    } cases[] = {
        {63, 10, 65, 10, 225, "round the long wall's end"},
        {30, 30, 55, 55, 0, "into the walled pocket"},
        {55, 55, 30, 30, 0, "out of it"},
        {70, 70, 82, 82, 0, "into the pocket one may only leave"},
        {82, 82, 70, 70, 14, "out of it"},
    };
    PathPool& pool = *game.pathPool;
    GridWalk walk;
    for (const Case& c : cases) {
        Path* path = walk.Route(&pool, grid, c.x0, c.y0, c.x1, c.y1);
        ASSERT_EQ(path != nullptr, c.longest > 0) << c.what;
        if (!path) {
            EXPECT_LT(walk.LastReached(), 400) << c.what << ": the pocket's cost, not the map's";
            continue;
        }
        std::vector<std::pair<int, int>> cells;
        for (int i = 0; i < path->count; ++i) {
            int column, row;
            ASSERT_TRUE(grid->WorldToCell(path->points[i], &column, &row));
            cells.push_back({column, row});
        }
        ExpectWalkable(cells);
        EXPECT_EQ(cells.front(), std::make_pair(c.x0, c.y0)) << c.what;
        EXPECT_EQ(cells.back(), std::make_pair(c.x1, c.y1)) << c.what;
        EXPECT_LE(cells.size(), c.longest) << c.what;
        EXPECT_TRUE(pool.Release(path));
    }
    // No free path to lay it into: no flood at all.
    std::vector<Path*> out;
    while (Path* path = pool.Acquire()) out.push_back(path);
    const uint32_t floods = walk.Floods();
    EXPECT_EQ(walk.Route(&pool, grid, 63, 10, 65, 10), nullptr);
    EXPECT_EQ(walk.Floods(), floods);
    for (Path* path : out) pool.Release(path);
}

TEST(Path, PointsAndTheirCursor)
{
    auto path = std::make_unique<Path>();
    Vec3 next;
    EXPECT_TRUE(path->IsLast());
    EXPECT_FALSE(path->PeekNext(&next));
    for (int i = 0; i < 255; ++i) ASSERT_TRUE(path->AddPoint(Vec3((float)i, 0.0f, 0.0f)));
    EXPECT_FALSE(path->AddPoint(Vec3(999.0f, 0.0f, 0.0f)));
    EXPECT_EQ(path->count, 255);
    ASSERT_TRUE(path->PeekNext(&next));
    EXPECT_EQ(next.x, 1.0f);
    for (int i = 1; i < 255; ++i) ASSERT_TRUE(path->Advance());
    EXPECT_TRUE(path->IsLast());
    EXPECT_EQ(path->Current().x, 254.0f);
    EXPECT_FALSE(path->Advance());
    EXPECT_EQ(path->current, 255);
    EXPECT_TRUE(path->IsLast());
}

TEST(PathPool, PathsGoOutAndComeBack)
{
    PathPool pool;
    std::vector<Path*> taken;
    for (int i = 0; i < PATH_POOL_SIZE; ++i) {
        Path* path = pool.Acquire();
        ASSERT_NE(path, nullptr);
        path->AddPoint(Vec3());
        taken.push_back(path);
    }
    EXPECT_EQ(pool.Acquire(), nullptr);
    EXPECT_TRUE(pool.Release(taken[3]));
    EXPECT_FALSE(pool.Release(taken[3]));  // not twice
    Path stranger;
    EXPECT_FALSE(pool.Release(&stranger));
    EXPECT_FALSE(pool.Release(nullptr));
    Path* again = pool.Acquire();
    EXPECT_EQ(again, taken[3]);
    EXPECT_EQ(again->count, 0);
    for (Path* path : taken) EXPECT_TRUE(pool.Release(path));
    EXPECT_EQ(pool.FreeCount(), PATH_POOL_SIZE);
    EXPECT_EQ(pool.InUseCount(), 0);
}

TEST_F(PathFinderTest, TheBuilderLaysTheRouteIntoAPooledPath)
{
    PathPool pool;
    Wall(64, 56, 72);
    Path* path = BuildPath(&pool, grid, nullptr, 60, 64, 70, 64);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(pool.InUseCount(), 1);
    EXPECT_EQ(path->points[0], Corner(60, 64));
    EXPECT_EQ(path->points[path->count - 1], Corner(70, 64));
    EXPECT_EQ(path->count, (int)Route(60, 64, 70, 64).size());
    EXPECT_TRUE(pool.Release(path));

    // No route, or no path left: nothing is taken.
    Wall(64, 0, 127);
    game.LabelWalkRegions();
    EXPECT_EQ(BuildPath(&pool, grid, nullptr, 60, 64, 70, 64), nullptr);
    EXPECT_EQ(pool.InUseCount(), 0);
    OpenGround();
    while (pool.Acquire()) {
    }
    EXPECT_EQ(BuildPath(&pool, grid, nullptr, 60, 64, 70, 64), nullptr);
}

TEST_F(PathFinderTest, AnAgentGivesItsRouteBackWhenItForgetsItOrIsReused)
{
    PathPool& pool = *game.pathPool;
    const int freeBefore = pool.FreeCount();
    auto agent = std::make_unique<Agent>();
    agent->path = BuildPath(&pool, grid, agent.get(), 10, 10, 20, 20);
    ASSERT_NE(agent->path, nullptr);
    agent->ForgetPath();
    EXPECT_EQ(agent->path, nullptr);
    EXPECT_EQ(pool.FreeCount(), freeBefore);

    agent->path = BuildPath(&pool, grid, agent.get(), 10, 10, 20, 20);
    agent->Reset();
    EXPECT_EQ(agent->path, nullptr);
    EXPECT_EQ(pool.FreeCount(), freeBefore);
}

// Twenty thousand searches on a walled level come out as they always have: the same routes,
// the same cells closed in the same order (the give-up routes and the debug overlay read them).
// The path benchmark prints the same checksum.
TEST_F(PathFinderTest, RandomSearchesKeepTheirRoutes)
{
    CarveRouteLevel(game);
    EXPECT_EQ(RouteChecksum(*grid, 20000), 0x3201d72a8da3cf51ull);
}

}  // namespace
