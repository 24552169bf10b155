// The placement cells: which cell each take rule gives, how many random numbers it draws (a
// level is reproducible only while every rule draws exactly as many), and that a cell is
// never handed out twice.
#include "host/Random.h"
#include "levelgen/CellGrid.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

namespace {

// How many Rand() values the call used: the generator is found again in its fresh sequence.
int DrawsOf(unsigned seed, const std::function<void()>& call)
{
    SRand(seed);
    std::vector<int> fresh(8);
    for (int& v : fresh) v = Rand();
    SRand(seed);
    call();
    int next = Rand();
    for (int k = 0; k < 8; ++k)
        if (fresh[(size_t)k] == next) return k;
    return -1;
}

}  // namespace

TEST(CellGrid, AFreshGridHasSixteenCellsAndTheCentreIsItsFourMiddleCells)
{
    CellGrid grid;
    EXPECT_EQ(grid.GetCellCount(), 16);
    EXPECT_EQ(grid.GetFreeCount(), 16);
    EXPECT_EQ(grid.PositionToIndex(IntPoint(68, 40)), 6);
    EXPECT_EQ(grid.IndexToPosition(6), IntPoint(64, 32));
    EXPECT_EQ(grid.PositionToIndex(IntPoint(-1, 5)), -1);
    std::set<int> seen;
    for (unsigned seed = 1; seed < 60; ++seed) {
        SRand(seed);
        grid.Reset();
        seen.insert(grid.TakeCentralCell());
    }
    EXPECT_EQ(seen, (std::set<int>{5, 6, 9, 10}));
}

TEST(CellGrid, EveryTakeRuleGivesItsCellAndDrawsItsNumbers)
{
    struct Case {
        const char* rule;
        std::function<void(CellGrid&)> prepare;
        std::function<int(CellGrid&)> take;
        std::set<int> allowed;
        int draws;
    };
    auto none = [](CellGrid&) {};
    const std::vector<Case> cases = {
        {"random", none, [](CellGrid& g) { return g.TakeRandomFreeCell(); }, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 1},
        {"far 3 from cell 0", none, [](CellGrid& g) { return g.TakeFarCell(5, 5, 3); }, {3, 7, 11, 12, 13, 14, 15}, 1},
        {"far 0 includes its own cell", [](CellGrid& g) { for (int i = 1; i < 16; ++i) g.MarkUsed(i); },
         [](CellGrid& g) { return g.TakeFarCell(5, 5, 0); }, {0}, 1},
        {"far with none far enough", none, [](CellGrid& g) { return g.TakeFarCell(40, 40, 4); }, {-1}, 0},
        {"adjacent of a corner: three neighbours", none, [](CellGrid& g) { return g.TakeAdjacentCell(0); }, {1, 4, 5}, 1},
        {"adjacent with one left draws nothing", [](CellGrid& g) { g.MarkUsed(1); g.MarkUsed(4); },
         [](CellGrid& g) { return g.TakeAdjacentCell(0); }, {5}, 0},
        {"adjacent with none left", [](CellGrid& g) { g.MarkUsed(1); g.MarkUsed(4); g.MarkUsed(5); },
         [](CellGrid& g) { return g.TakeAdjacentCell(0); }, {-1}, 0},
        {"opposite of 0", none, [](CellGrid& g) { return g.TakeOppositeCell(0); }, {15}, 0},
        {"opposite of 5", none, [](CellGrid& g) { return g.TakeOppositeCell(5); }, {10}, 0},
        {"central with one left still draws", [](CellGrid& g) { g.MarkUsed(5); g.MarkUsed(6); g.MarkUsed(9); },
         [](CellGrid& g) { return g.TakeCentralCell(); }, {10}, 1},
        {"central away from cell 0 by 2", none, [](CellGrid& g) { return g.TakeCentralCellAwayFrom(10, 10, 2); }, {6, 9, 10}, 1},
        {"central away with none far enough", [](CellGrid& g) { g.MarkUsed(6); g.MarkUsed(9); g.MarkUsed(10); },
         [](CellGrid& g) { return g.TakeCentralCellAwayFrom(10, 10, 2); }, {-1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        for (unsigned seed : {3u, 77u, 1234u}) {
            CellGrid grid;
            c.prepare(grid);
            int before = grid.GetFreeCount();
            int taken = -2;
            EXPECT_EQ(DrawsOf(seed, [&] { taken = c.take(grid); }), c.draws);
            EXPECT_TRUE(c.allowed.count(taken)) << taken;
            if (taken >= 0) {
                EXPECT_FALSE(grid.IsFree(taken));
                EXPECT_EQ(grid.GetFreeCount(), before - 1);
            } else {
                EXPECT_EQ(grid.GetFreeCount(), before) << "a take that finds nothing changes nothing";
            }
        }
    }
}

TEST(CellGrid, AnOppositeCellAlreadyTakenIsNotHandedOutAgain)
{
    CellGrid grid;
    EXPECT_EQ(grid.TakeOppositeCell(0), 15);
    EXPECT_EQ(grid.TakeOppositeCell(0), -1);
    EXPECT_EQ(grid.GetFreeCount(), 15);
}

TEST(CellGrid, MarkingATakenCellAgainLeavesEveryFreeCellReachable)
{
    CellGrid grid;
    grid.MarkUsedAt(IntPoint(10, 10));
    grid.MarkUsedAt(IntPoint(20, 20));
    grid.MarkUsed(0);
    grid.BlockLine(false, 68, 0);  // column 2
    grid.BlockLine(false, 70, 0);
    grid.TakeOppositeCell(15);      // cell 0 again: taken already, nothing happens
    grid.MarkUsed(16);
    grid.MarkUsed(-1);
    EXPECT_EQ(grid.GetFreeCount(), 11);
    for (int column = 0; column < 4; ++column) EXPECT_EQ(grid.IsFreeCell(column, 1), column != 2);
    SRand(9);
    std::set<int> handed;
    for (int k = 0; k < 11; ++k) {
        int cell = grid.TakeRandomFreeCell();
        ASSERT_GE(cell, 0) << "cell " << k << " of the eleven free ones";
        EXPECT_TRUE(handed.insert(cell).second);
    }
    EXPECT_EQ(grid.TakeRandomFreeCell(), -1);
    EXPECT_EQ(grid.GetFreeCount(), 0);
}

TEST(CellGrid, ARowBlockTakesTheFourCellsOfItsRow)
{
    CellGrid grid;
    grid.BlockLine(true, 0, 68);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(grid.IsFree(i), i / 4 != 2) << i;
}
