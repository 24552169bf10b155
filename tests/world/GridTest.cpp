// The map grid: positions become cells at the edges exactly as the level's files and orders
// expect, snapping rounds to the cell corners entities stand on, and an occupant takes and lets
// go of its whole chain of cells and never of another's.
#include "world/Grid.h"

#include "host/Log.h"
#include "world/Entity.h"

#include <gtest/gtest.h>

#include <string>

TEST(Grid, PositionsBecomeCellsUpToTheEdges)
{
    Grid grid(128, 2.5f);  // 320 units a side, centred on the origin
    struct Case {
        const char* what;
        float x, z;
        bool inside;
        int column, row;
    };
    const Case table[] = {
        {"the middle", 0.0f, 0.0f, true, 64, 64},
        {"the near corner", -160.0f, -160.0f, true, 0, 0},
        {"half a unit below the near edge", -160.5f, 0.0f, true, 0, 64},
        {"one unit below the near edge", -161.0f, 0.0f, false, -1, -1},
        {"just inside the far edge", 159.9f, 159.9f, true, 127, 127},
        {"exactly on the far edge", 160.0f, 0.0f, false, -1, -1},
        {"far outside", 1e30f, 0.0f, false, -1, -1},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        int column = 7, row = 7;
        EXPECT_EQ(grid.WorldToCell(Vec3(c.x, 5.0f, c.z), &column, &row), c.inside);
        EXPECT_EQ(column, c.column);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(grid.GetCellAt(Vec3(c.x, 0.0f, c.z)) != nullptr, c.inside);
    }
    EXPECT_EQ(grid.CellToWorld(64, 10), Vec3(0.0f, 0.0f, -135.0f));
    EXPECT_EQ(grid.GetCell(128, 0), nullptr);
    EXPECT_EQ(grid.GetCell(0, -1), nullptr);
    EXPECT_EQ(grid.GetCell(5, 9)->column, 5);
    EXPECT_EQ(grid.GetCell(5, 9)->row, 9);
    EXPECT_EQ(GetGridSize(&grid), 128);
    EXPECT_EQ(GetGridSize(), 128) << "no game: the level size";
}

TEST(Grid, SnappingRoundsToTheCellCorners)
{
    Grid grid(128, 2.5f);
    const float table[][2] = {{1.2f, 0.0f}, {1.3f, 2.5f}, {-1.3f, -2.5f}, {0.0f, 0.0f}, {3.7f, 2.5f}, {3.8f, 5.0f}};
    for (const auto& c : table) {
        SCOPED_TRACE(c[0]);
        Vec3 snapped = grid.SnapToGridPoint(Vec3(c[0], 9.0f, c[0]));
        EXPECT_FLOAT_EQ(snapped.x, c[1]);
        EXPECT_FLOAT_EQ(snapped.z, c[1]);
        EXPECT_FLOAT_EQ(snapped.y, 9.0f);
    }
    EXPECT_TRUE(grid.IsInsideCell(Vec3(1.2f, 0, -1.2f), Vec3(0, 0, 0)));
    EXPECT_FALSE(grid.IsInsideCell(Vec3(1.25f, 0, 0), Vec3(0, 0, 0)));
}

TEST(Grid, AnOccupantLetsGoOfItsWholeChainAndNothingElse)
{
    Grid grid(8, 2.5f);
    Entity wall, other;
    GridCell* a = grid.GetCell(1, 1);
    GridCell* b = grid.GetCell(2, 1);
    GridCell* c = grid.GetCell(3, 1);
    a->occupant = b->occupant = c->occupant = &wall;
    a->next = b;
    b->next = c;
    a->flags = CELL_WALKABLE;
    EXPECT_FALSE(a->IsFreeWalkable());

    b->RemoveOccupant(&other);  // not its cell: nothing happens
    EXPECT_EQ(b->occupant, &wall);
    EXPECT_EQ(a->next, b);

    a->RemoveOccupant(&wall);
    for (GridCell* cell : {a, b, c}) {
        EXPECT_EQ(cell->occupant, nullptr);
        EXPECT_EQ(cell->next, nullptr);
    }
    EXPECT_TRUE(a->IsFreeWalkable());
    EXPECT_FALSE(b->IsFreeWalkable()) << "neither walkable nor buildable until the ground says so";

    // A level's end: every cell as new, in its place.
    c->flags = CELL_BUILDABLE;
    c->steps[2] = 0;
    c->occupant = &other;
    grid.ResetCells();
    EXPECT_EQ(c->occupant, nullptr);
    EXPECT_EQ(c->flags, 0);
    EXPECT_EQ(c->steps[2], 1);
    EXPECT_EQ(c->column, 3);
}

TEST(Grid, ChainsGrowShrinkAndMoveWithoutTakingAnotherEntitysCells)
{
    Grid grid(16, 2.5f);
    Entity a, b;
    auto chain = [](const Entity& e) {
        int length = 0;
        for (const GridCell* cell = e.gridCell; cell && length < 100; cell = cell->next) {
            EXPECT_EQ(cell->occupant, &e);
            ++length;
        }
        return length;
    };

    EXPECT_EQ(grid.OccupyCells(&a, 4, 3, 2, 2), 6) << "corners in any order";
    EXPECT_EQ(chain(a), 6);
    EXPECT_EQ(grid.GetCell(2, 2)->occupant, &a);

    // b overlaps two of a's cells: it takes the four free ones and a keeps its own.
    EXPECT_EQ(grid.OccupyCells(&b, 3, 3, 5, 4), 4);
    EXPECT_EQ(chain(b), 4);
    EXPECT_EQ(chain(a), 6);
    EXPECT_EQ(grid.GetCell(3, 3)->occupant, &a);
    EXPECT_EQ(grid.GetCell(5, 4)->occupant, &b);

    // Taking its own cells again changes nothing (and makes no loop).
    EXPECT_EQ(grid.OccupyCells(&a, 2, 2, 4, 3), 0);
    EXPECT_EQ(chain(a), 6);

    // a moves away: all its cells are free, b's chain is whole.
    a.LeaveGridCell();
    EXPECT_EQ(a.gridCell, nullptr);
    EXPECT_EQ(grid.GetCell(3, 3)->occupant, nullptr);
    EXPECT_EQ(chain(b), 4);
    EXPECT_EQ(grid.OccupyCells(&a, 3, 3, 3, 4), 1) << "(3, 4) is b's";
    EXPECT_EQ(grid.GetCell(3, 4)->occupant, &b);

    // b moves: it lets go of its chain and takes the cells at its new place, off the grid too.
    b.LeaveGridCell();
    EXPECT_EQ(grid.OccupyCells(&b, 14, 14, 17, 17), 4);
    EXPECT_EQ(chain(b), 4);
    EXPECT_EQ(chain(a), 1);
}

TEST(Grid, AChainStopsAtItsSixtyFourthCellAndSaysSo)
{
    Grid grid(16, 2.5f);
    Entity big;
    LogCaptureBegin();
    EXPECT_EQ(grid.OccupyCells(&big, 0, 0, 9, 9), MAX_CELL_CHAIN);
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(grid.GetCell(9, 9)->occupant, nullptr);
    big.LeaveGridCell();
    EXPECT_EQ(grid.GetCell(0, 0)->occupant, nullptr);
    EXPECT_EQ(grid.GetCell(3, 6)->occupant, nullptr) << "the whole chain is let go";
}
