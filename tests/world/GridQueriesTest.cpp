// The grid searches the jobs, buildings and raiders rely on: items and blockers take their
// footprints without stealing cells, a free cell beside a target comes in a fixed order and
// within its limit, the spiral walks its cells in turn, adjacency counts diagonals, raiders
// find where to stand, turned meshes cover the right cells, and jagged lines stay on the map.
#include "world/GridQueries.h"

#include "host/Log.h"
#include "host/Random.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Item.h"

#include <memory>
#include <vector>

namespace {

using GridQueries = WorldTest;

struct CellAt {
    int column, row;
};

}  // namespace

TEST_F(GridQueries, ItemsAndBlockersTakeTheirFootprintAndLeaveOthersCellsAlone)
{
    auto first = std::unique_ptr<Item>(Standing(new Item(), 10, 10, 2, 2));
    auto second = std::unique_ptr<Item>(Standing(new Item(), 11, 11, 2, 2));
    first->OccupyGridCells();
    EXPECT_EQ(ChainLength(first.get()), 4);
    second->OccupyGridCells();
    EXPECT_EQ(ChainLength(second.get()), 3) << "the shared cell stays the first item's";
    EXPECT_EQ(Cell(11, 11)->occupant, first.get());
    EXPECT_EQ(ChainLength(first.get()), 4) << "and its chain stays whole";

    first->LeaveGridCell();
    for (CellAt c : {CellAt{10, 10}, CellAt{11, 10}, CellAt{10, 11}, CellAt{11, 11}}) EXPECT_EQ(Cell(c.column, c.row)->occupant, nullptr);
    EXPECT_EQ(ChainLength(second.get()), 3);
    EXPECT_EQ(Cell(12, 12)->occupant, second.get());
    second->LeaveGridCell();

    // A rock that blocks the grid closes its cells; anything else stands in them.
    auto rock = std::unique_ptr<Entity>(Standing(new Entity(), 20, 20, 2, 1));
    rock->flags |= ENTITY_GRID_BLOCKER;
    EXPECT_TRUE(rock->StampGrid());
    EXPECT_EQ(Cell(20, 20)->flags, 0);
    EXPECT_EQ(Cell(21, 20)->flags, 0);
    EXPECT_EQ(Cell(21, 20)->occupant, nullptr);
    EXPECT_EQ(Cell(22, 20)->flags, CELL_WALKABLE | CELL_BUILDABLE);
    auto crate = std::unique_ptr<Entity>(Standing(new Entity(), 30, 30));
    EXPECT_TRUE(crate->StampGrid());
    EXPECT_EQ(Cell(30, 30)->occupant, crate.get());
    crate->LeaveGridCell();
    crate->SetPosition(Vec3(1000.0f, 0.0f, 0.0f));
    EXPECT_FALSE(crate->StampGrid()) << "off the grid";

    // A deep mine finds the vent whose cell lies beside its rectangle.
    auto mine = std::unique_ptr<Building>(Standing(new Building(), 40, 40, 2, 2));
    auto vent = std::unique_ptr<Entity>(new Entity());
    EXPECT_EQ(grid->FindFlaggedCellAround(mine.get()), nullptr);
    Cell(42, 41)->flags = CELL_FUEL;
    Cell(42, 41)->occupant = vent.get();
    EXPECT_EQ(grid->FindFlaggedCellAround(mine.get()), vent.get());
    Cell(42, 41)->occupant = nullptr;
}

TEST_F(GridQueries, AFreeCellBesideATargetComesInOrderAndWithinItsLimit)
{
    auto ore = std::unique_ptr<Entity>(new Entity());  // a one-cell target without a footprint
    ore->flags |= ENTITY_STATIC;
    ore->SetPosition(Corner(20, 20));
    auto depot = std::unique_ptr<Building>(Standing(new Building(), 30, 30, 2, 2));
    auto walker = std::unique_ptr<Entity>(new Entity());  // a target that is neither
    Vec3 fallback = Corner(40, 40);

    struct Case {
        const char* what;
        Entity* target;
        Vec3 from;
        float limit;
        const Vec3* fallback;
        bool found;
        CellAt cell;
    };
    const Case table[] = {
        {"from the west: the nearest cell of the ring", ore.get(), Corner(0, 20), 0.0f, nullptr, true, {19, 20}},
        {"from the target itself: ties go to the first column, and its own cell never counts", ore.get(),
         Corner(20, 20), 0.0f, nullptr, true, {19, 20}},
        {"the limit is held against the chosen cell, not the last one looked at", ore.get(), Corner(19, 19), 3.0f,
         nullptr, true, {19, 19}},
        {"too far for the limit", ore.get(), Corner(5, 5), 3.0f, nullptr, false, {0, 0}},
        {"a building: beside its rectangle", depot.get(), Corner(0, 31), 0.0f, nullptr, true, {29, 31}},
        {"a building approached from inside its rectangle still gets a cell outside it", depot.get(),
         Corner(30, 30), 0.0f, nullptr, true, {29, 30}},
        {"no target: around the fallback, its own cell first", nullptr, Corner(40, 40), 0.0f, &fallback, true, {40, 40}},
        {"another kind of target: around the fallback", walker.get(), Corner(45, 40), 0.0f, &fallback, true, {41, 40}},
        {"no target and no fallback", nullptr, Corner(40, 40), 0.0f, nullptr, false, {0, 0}},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Vec3 found(-1.0f, -1.0f, -1.0f);
        ASSERT_EQ(FindFreeCellNear(&found, c.target, c.from, c.limit, c.fallback), c.found);
        if (c.found) {
            EXPECT_EQ(found, Corner(c.cell.column, c.cell.row));
        }
    }

    // A cell boxed in by blocked sides is never chosen: the target holds its own cell, and
    // (19, 20) has nothing free around it.
    grid->OccupyCells(ore.get(), 20, 20, 20, 20);
    for (CellAt c : {CellAt{19, 21}, CellAt{19, 19}, CellAt{18, 20}}) Cell(c.column, c.row)->flags = 0;
    EXPECT_FALSE(HasFreeNeighbourCell(Cell(19, 20), nullptr));
    EXPECT_TRUE(HasFreeNeighbourCell(Cell(19, 20), ore.get())) << "its own entity's cell counts as free";
    Vec3 found;
    ASSERT_TRUE(FindFreeCellNear(&found, ore.get(), Corner(0, 20), 0.0f, nullptr));
    EXPECT_EQ(found, Corner(20, 19));
    ore->LeaveGridCell();

    // Nothing free around it at all.
    for (int c = 19; c <= 21; ++c)
        for (int r = 19; r <= 21; ++r) Cell(c, r)->flags = 0;
    EXPECT_FALSE(FindFreeCellNear(&found, ore.get(), Corner(0, 20), 0.0f, nullptr));
}

TEST_F(GridQueries, TheSpiralWalksItsCellsInTurn)
{
    Entity sitter;
    Cell(49, 51)->occupant = &sitter;
    Vec3 cells[20];
    int count = -1;
    EXPECT_TRUE(CollectFreeCellsSpiral(Corner(50, 50), 3, 20, cells, &count));
    // Right, then turning left with runs of 1, 1, 2, 2, 3: the taken cell is passed over.
    const CellAt expected[] = {{51, 50}, {51, 51}, {50, 51}, {49, 50}, {49, 49}, {50, 49}, {51, 49}, {52, 49}};
    ASSERT_EQ(count, 8);
    for (int i = 0; i < count; ++i) EXPECT_EQ(cells[i], Corner(expected[i].column, expected[i].row)) << i;
    EXPECT_TRUE(CollectFreeCellsSpiral(Corner(50, 50), 3, 2, cells, &count));
    EXPECT_EQ(count, 2);
    EXPECT_FALSE(CollectFreeCellsSpiral(Vec3(5000.0f, 0.0f, 0.0f), 3, 20, cells, &count));
    EXPECT_EQ(count, 0);
    Cell(49, 51)->occupant = nullptr;
}

TEST_F(GridQueries, NextToCountsDiagonalsAndTheSameCellOnlyWhenAsked)
{
    auto ore = std::unique_ptr<Entity>(new Entity());
    ore->flags |= ENTITY_STATIC;
    ore->SetPosition(Corner(20, 20));
    auto house = std::unique_ptr<Building>(Standing(new Building(), 30, 30, 2, 2));
    auto holder = std::unique_ptr<Building>(Standing(new Building(), 50, 50, 2, 2));
    int w, d, c, r;
    ASSERT_TRUE(Entity::GetGridRect(holder.get(), &w, &d, &c, &r));
    EXPECT_EQ(w, 2);
    EXPECT_EQ(d, 2);
    grid->OccupyCells(holder.get(), 50, 50, 51, 51);

    struct Case {
        const char* what;
        Entity* entity;
        CellAt at;
        bool sameCellCounts;
        bool next;
    };
    const Case table[] = {
        {"a side", ore.get(), {21, 20}, false, true},
        {"a corner", ore.get(), {19, 21}, false, true},
        {"two cells off", ore.get(), {22, 20}, false, false},
        {"a knight's move", ore.get(), {22, 21}, false, false},
        {"its own cell, not counted", ore.get(), {20, 20}, false, false},
        {"its own cell, counted", ore.get(), {20, 20}, true, true},
        {"beside a wide building", house.get(), {32, 31}, false, true},
        {"diagonal to a wide building", house.get(), {29, 32}, false, true},
        {"inside a wide building", house.get(), {31, 30}, false, false},
        {"two cells off a wide building", house.get(), {33, 30}, false, false},
        {"beside a building's cells", holder.get(), {52, 50}, false, true},
        {"diagonal to a building's cells", holder.get(), {49, 49}, false, true},
        {"off a building's cells", holder.get(), {53, 50}, false, false},
        {"no entity", nullptr, {20, 20}, true, false},
    };
    for (const Case& k : table) {
        SCOPED_TRACE(k.what);
        EXPECT_EQ(IsNextToEntity(Corner(k.at.column, k.at.row), k.entity, k.sameCellCounts), k.next);
    }
    holder->LeaveGridCell();

    EXPECT_TRUE(IsWithinOneCell(Corner(10, 10), Corner(11, 11)));
    EXPECT_TRUE(IsWithinOneCell(Corner(10, 10), Corner(10, 10) + Vec3(1.0f, 0.0f, -1.0f))) << "snapped first";
    EXPECT_FALSE(IsWithinOneCell(Corner(10, 10), Corner(12, 10)));
    EXPECT_FALSE(IsWithinOneCell(Corner(10, 10), Vec3(900.0f, 0.0f, 0.0f)));
}

TEST_F(GridQueries, RaidersFindWhereToStand)
{
    auto scout = std::unique_ptr<Entity>(new Entity());
    scout->SetPosition(Corner(60, 60));
    Vec3 stand;
    float distance = -1.0f;
    ASSERT_TRUE(FindRaidStandCell(scout.get(), Corner(70, 60), &stand, &distance));
    EXPECT_EQ(stand, Corner(61, 60));
    EXPECT_FLOAT_EQ(distance, 22.5f);
    Cell(61, 60)->flags = 0;
    ASSERT_TRUE(FindRaidStandCell(scout.get(), Corner(70, 60), &stand, &distance));
    EXPECT_EQ(stand, Corner(61, 59)) << "of two cells as near, the first";

    auto barracks = std::unique_ptr<Building>(Standing(new Building(), 70, 70, 2, 2));
    Cell(69, 69)->occupant = scout.get();
    Cell(69, 70)->occupant = scout.get();
    ASSERT_TRUE(FindRaidStandCell(barracks.get(), Corner(0, 0), &stand, &distance));
    EXPECT_EQ(stand, Corner(69, 71)) << "the ring, column by column; taken cells passed over";
    Cell(69, 69)->occupant = Cell(69, 70)->occupant = nullptr;

    scout->SetPosition(Vec3(900.0f, 0.0f, 0.0f));
    EXPECT_FALSE(FindRaidStandCell(scout.get(), Corner(0, 0), &stand, &distance));
}

TEST_F(GridQueries, TurnedMeshesCoverTheirCellsAndThePreviewFollowsTheMouse)
{
    auto mesh = std::unique_ptr<IndexedMesh>(BlockMesh(-1.2f, 3.7f, -1.2f, 6.2f, 0.0f, 2.0f));
    IntRect cells;
    ASSERT_TRUE(GetRotatedFootprintCells(&cells, mesh.get(), Corner(40, 40), 0.0f, 1.0f));
    EXPECT_EQ(cells.GetSize(), IntPoint(2, 3));
    EXPECT_EQ(cells.GetOrigin(), IntPoint(40, 40));
    ASSERT_TRUE(GetRotatedFootprintCells(&cells, mesh.get(), Corner(40, 40), 90.0f, 1.0f));
    EXPECT_EQ(cells.GetSize(), IntPoint(3, 2)) << "a quarter turn swaps width and depth";
    ASSERT_TRUE(GetRotatedFootprintCells(&cells, mesh.get(), Corner(40, 40), 0.0f, 2.0f));
    EXPECT_EQ(cells.GetSize(), IntPoint(5, 7)) << "scaled about its position";
    EXPECT_FALSE(GetRotatedFootprintCells(&cells, mesh.get(), Corner(127, 40), 0.0f, 1.0f)) << "off the far edge";
    EXPECT_FALSE(GetRotatedFootprintCells(&cells, nullptr, Corner(40, 40), 0.0f, 1.0f));

    BuildItem* item = Definition("depot", 0);
    Building preview;
    Standing(&preview, 10, 10, 2, 2);
    item->prototype = &preview;
    game.buildItems->current = item;
    int w, d, c, r;
    ASSERT_TRUE(Entity::GetGridRect(&preview, &w, &d, &c, &r));
    EXPECT_EQ(c, 10);
    game.pickedPoint = Corner(20, 30) + Vec3(1.0f, 7.0f, -1.2f);
    SnapEntityToCell(game.buildItems);
    EXPECT_EQ(preview.GetPosition(), Corner(20, 30) + Vec3(0.0f, 0.1f, 0.0f)) << "on the cell's corner, above the ground";
    ASSERT_TRUE(Entity::GetGridRect(&preview, &w, &d, &c, &r));
    EXPECT_EQ(c, 20) << "its rectangle follows";
    EXPECT_EQ(r, 30);
    game.buildItems->current = nullptr;
    item->prototype = nullptr;
}

TEST_F(GridQueries, AWildJaggedLineStaysOnTheMapsInnerCells)
{
    SRand(77);
    MidpointPath path;
    WalkMidpoints(4, 4, 120, 110, path, 0.3f, true);
    ASSERT_GT(path.points.size(), 10u);
    EXPECT_EQ(path.points.front(), IntPoint(62, 57)) << "with first set the first point is the midpoint itself";

    // Pushed as far as it goes: a wild line along the middle of the map, scaled by the long
    // line walked before it, would leave the map on both sides without the edge holding it.
    WalkMidpoints(2, 64, 125, 64, path, 50.0f, false);
    for (const IntPoint& p : path.points) {
        SCOPED_TRACE(::testing::Message() << p.x << ", " << p.y);
        EXPECT_GE(p.x, 1);
        EXPECT_LE(p.x, 126);
        EXPECT_GE(p.y, 1);
        EXPECT_LE(p.y, 126);
    }
    EXPECT_LE((int)path.points.size(), MidpointPath::CAPACITY);
}
