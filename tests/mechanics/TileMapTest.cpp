// The tile map: steep ground and water close cells, the tops of objects open them, fuel vents
// keep their cells, mesh blockers close only the cells their mesh stands over; the walk regions
// tell at once that a target behind a wall, across a river or on an island cannot be reached;
// relabelling never runs out of labels; and the steps onto and off objects are closed.
#include "mechanics/GameMechanics.h"

#include "host/System.h"
#include "levelgen/MapGenerator.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "tests/world/WorldTestSupport.h"

#include <climits>
#include <functional>
#include <vector>

namespace {

constexpr int N = 128;
constexpr int POND = KIND_POND;
constexpr int RIVER = KIND_RIVER;

class TileMap : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, "none");  // flat ground
        TheTerrain.Create(N, N);
        kinds.assign((size_t)N * N, 0);
        TheTerrain.mapCells = kinds.data();
    }
    void TearDown() override
    {
        TheTerrain.mapCells = nullptr;
        TheTerrain.Free();
        WorldTest::TearDown();
    }
    // Heights (height units) of the terrain's vertices, by the grid cell whose corner stands
    // on each vertex.
    void Heights(const std::function<float(int column, int row)>& height)
    {
        for (int z = 0; z < N; ++z)
            for (int x = 0; x < N; ++x) TheTerrain.heightmap->data[(size_t)z * N + x] = height(x, N - z);
        TheTerrain.UpdateNormals(0, 0, 0);
    }
    // The level generator's kind of the map cell whose ground lies at a grid cell's corner (the
    // terrain is the map turned by half a turn: its columns the other way round, one row on).
    void Kind(int column, int row, int kind) { kinds[(size_t)(row - 1) * N + (N - 1 - column)] = kind; }
    bool Apart(int c0, int r0, int c1, int r1) { return grid->CannotReach(Cell(c0, r0), Cell(c1, r1)); }
    Entity* TerrainObject(uint32_t flags, int column, int row, IndexedMesh* mesh)
    {
        Entity* entity = NewEntity(ENTITY_STATIC | flags);
        entity->SetPosition(Corner(column, row));
        entity->AdoptMesh(mesh);
        EXPECT_TRUE(TheScene.terrainObjects.PushBack(entity));
        return entity;
    }
    Entity* CollisionObject(int column, int row, float y, float top)
    {
        Entity* entity = NewEntity(ENTITY_COLLISION);
        entity->SetPosition(Corner(column, row) + Vec3(0.0f, y, 0.0f));
        entity->AdoptMesh(BlockMesh(-1.2f, 1.2f, -1.2f, 1.2f, 0.0f, top));
        EXPECT_NE(TheScene.AddEntity(entity), nullptr);
        return entity;
    }

    std::vector<int> kinds;
    ScopedGlobal<char[256]> heightmapName{TheScene.heightmapName};
};

}  // namespace

TEST_F(TileMap, WallsRiversAndIslandsMakeRegionsThatCannotReachEachOther)
{
    // A ridge down columns 60 and 61, a river across rows 40 and 41, a pond ringing an island.
    Heights([](int column, int) { return column == 60 || column == 61 ? 8.0f : 0.0f; });
    for (int column = 0; column < N; ++column) Kind(column, 40, RIVER), Kind(column, 41, RIVER);
    for (int c = 100; c <= 110; ++c)
        for (int r = 100; r <= 110; ++r)
            if (c == 100 || c == 110 || r == 100 || r == 110) Kind(c, r, POND);
    game.BuildTileMap();

    EXPECT_EQ(Cell(30, 64)->flags, CELL_WALKABLE | CELL_BUILDABLE) << "flat open ground";
    EXPECT_EQ(Cell(60, 64)->flags, 0) << "the ridge's slope";
    EXPECT_EQ(Cell(30, 40)->flags, 0) << "the river";
    EXPECT_EQ(Cell(100, 105)->flags, 0) << "the pond";

    struct Case {
        const char* what;
        int c0, r0, c1, r1;
        bool apart;
    };
    const Case table[] = {
        {"the same side of everything", 30, 64, 50, 90, false},
        {"across the ridge", 30, 64, 90, 64, true},
        {"across the river", 30, 20, 30, 64, true},
        {"onto the island", 90, 105, 105, 105, true},
        {"about the island", 105, 105, 107, 103, false},
        {"to the border: nothing is known", 30, 64, 0, 64, false},
        {"to the river itself: nothing is known", 30, 64, 30, 40, false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Apart(c.c0, c.r0, c.c1, c.r1), c.apart);
    }
    // The border rows and columns are never labelled.
    for (int i : {0, N - 2, N - 1}) {
        EXPECT_LT(Cell(i, 64)->region, grid->regionBase) << i;
        EXPECT_LT(Cell(64, i)->region, grid->regionBase) << i;
    }
    EXPECT_GE(Cell(1, 64)->region, grid->regionBase);
    EXPECT_GE(Cell(N - 3, 64)->region, grid->regionBase);

    // A second labelling uses labels above every one of the first; the answers stay.
    int first = grid->regionCounter;
    game.BuildTileMap();
    EXPECT_EQ(grid->regionBase, first + 1);
    for (const Case& c : table) EXPECT_EQ(Apart(c.c0, c.r0, c.c1, c.r1), c.apart) << c.what;
}

TEST_F(TileMap, ObjectsOpenCloseOrKeepTheirCells)
{
    Heights([](int column, int) { return column >= 58 && column <= 63 ? 8.0f * (column - 57) / 6.0f : 0.0f; });
    CollisionObject(60, 10, 30.0f, 1.0f);  // a bridge deck over the slope
    Entity* vent = TerrainObject(ENTITY_FUEL | ENTITY_GRID_BLOCKER, 20, 20, BlockMesh(-1.2f, 3.7f, -1.2f, 3.7f, 0, 1));
    TerrainObject(ENTITY_GRID_BLOCKER, 25, 20, BlockMesh(-1.2f, 1.2f, -1.2f, 1.2f, 0, 1));
    // Two slabs three cells apart: their box covers the cell between them, their mesh does not.
    TerrainObject(ENTITY_MESH_BLOCKER, 30, 30,
                  ShelvesMesh({{-1.2f, 1.2f, -1.2f, 1.2f, 2.0f, true}, {3.8f, 6.2f, -1.2f, 1.2f, 2.0f, true}}));
    game.BuildTileMap();

    EXPECT_EQ(Cell(59, 10)->flags, 0) << "the slope";
    EXPECT_EQ(Cell(60, 10)->flags, CELL_WALKABLE) << "the deck: walked on, not built on";
    for (int c = 20; c <= 21; ++c)
        for (int r = 20; r <= 21; ++r) {
            EXPECT_EQ(Cell(c, r)->flags, CELL_FUEL);
            EXPECT_EQ(Cell(c, r)->occupant, vent);
        }
    EXPECT_EQ(vent->gridRect[2] - vent->gridRect[0] + 1, 2) << "the vent's footprint is kept on it";
    EXPECT_EQ(Cell(25, 20)->flags, 0);
    EXPECT_EQ(Cell(25, 20)->occupant, nullptr);
    EXPECT_EQ(Cell(30, 30)->flags, 0);
    EXPECT_EQ(Cell(31, 30)->flags, CELL_WALKABLE | CELL_BUILDABLE) << "between the slabs";
    EXPECT_EQ(Cell(32, 30)->flags, 0);

    // Built again (the terrain editor does it at every stroke): the vent's chain stays one.
    game.BuildTileMap();
    EXPECT_EQ(ChainLength(vent), 4);
}

TEST_F(TileMap, UnitsDoNotCutRegionsButBlockersDo)
{
    Entity wall;
    wall.flags |= ENTITY_GRID_BLOCKER;
    Agent* guard = NewAgent(ALIGN_ENEMY);
    guard->flags |= ENTITY_GRID_BLOCKER;
    for (int row = 0; row < N; ++row) {
        Cell(50, row)->occupant = &wall;
        Cell(80, row)->occupant = guard;
    }
    game.LabelWalkRegions();
    EXPECT_TRUE(Apart(40, 64, 60, 64)) << "a wall of blockers";
    EXPECT_FALSE(Apart(70, 64, 90, 64)) << "a line of units";
    EXPECT_GE(Cell(80, 64)->region, grid->regionBase) << "a unit's cell is labelled";
    for (int row = 0; row < N; ++row) Cell(50, row)->occupant = Cell(80, row)->occupant = nullptr;
    game.agentTypes->ReturnAgent(guard);
}

TEST_F(TileMap, RelabellingNeverRunsOutOfLabels)
{
    // A chequerboard of walkable cells: every cell its own region, the most a map can have.
    for (int row = 0; row < N; ++row)
        for (int column = 0; column < N; ++column) Cell(column, row)->flags = (row + column) % 2 ? 0 : CELL_WALKABLE;
    for (int run = 0; run < 12; ++run) {
        SCOPED_TRACE(run);
        game.LabelWalkRegions();
        ASSERT_GE(grid->regionBase, 1);
        ASSERT_LE(grid->regionCounter, INT16_MAX);
        EXPECT_TRUE(Apart(2, 2, 4, 2));
        EXPECT_FALSE(Apart(2, 2, 2, 2));
        EXPECT_GE(Cell(63, 63)->region, grid->regionBase);
    }
    grid->regionCounter = INT16_MAX - 3;  // an old count near the end
    game.LabelWalkRegions();
    EXPECT_EQ(grid->regionBase, 1) << "the labels start again";
    EXPECT_TRUE(Apart(2, 2, 4, 2));
}

TEST_F(TileMap, StepsOntoAndOffAnObjectAreClosed)
{
    CollisionObject(70, 70, 0.0f, 2.0f);
    game.BuildTileMap();
    EXPECT_EQ(Cell(70, 70)->flags, CELL_WALKABLE) << "its top";
    struct Case {
        const char* what;
        int column, row, direction;
        int open;
    };
    const Case table[] = {
        {"up onto it from the west", 69, 70, 0, 0},   {"away from it to the west", 69, 70, 2, 1},
        {"down off it to the east", 70, 70, 0, 0},    {"up onto it diagonally", 69, 69, 4, 0},
        {"past it, along its side", 69, 69, 1, 1},    {"far from it: never looked at", 90, 90, 0, 1},
        {"beside it, away from it", 71, 71, 4, 1},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Cell(c.column, c.row)->steps[c.direction], c.open);
    }
}
