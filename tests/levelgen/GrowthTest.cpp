// Growth: the definitions script, instances and how they fill their ground. A grass area makes
// its Halton attempts and never blocks a cell, trees and rocks do, a seed grows the same again,
// the corners of a round area stay empty, walls and cities lay their pieces and guards, and an
// instance restored from a save keeps what the player saw.
#include "host/Log.h"
#include "levelgen/Growth.h"
#include "render/IndexedMesh.h"
#include "tests/levelgen/PopulationTestSupport.h"

#include <set>
#include <string>

namespace {

class GrowthTest : public PopulationTest {
protected:
    void Read(const std::string& text)
    {
        LogCaptureBegin();
        EXPECT_TRUE(growth.Load(Script("growthdb.cgs", text).c_str()));
        log = LogCaptureEnd();
    }
    // An instance at the world point of a level-map cell, grown.
    GrowthInstance* Grown(const char* name, int x, int y, int seed, int width = 20, int height = 20)
    {
        growth.toolParameters.seed = seed;
        growth.toolParameters.width = width;
        growth.toolParameters.height = height;
        GrowthInstance* instance = growth.CreateInstance(name, MapPointToWorld(x, y), false);
        EXPECT_NE(instance, nullptr) << name;
        if (instance) instance->Grow();
        return instance;
    }
    int CellsHeldBy(const Entity* owner)
    {
        int n = 0;
        for (int r = 0; r < grid->size; ++r)
            for (int c = 0; c < grid->size; ++c) n += grid->GetCell(c, r)->occupant == owner;
        return n;
    }
    std::string log;
};

const char* const SCRIPT = "AddTree data/mesh/debris_wood_0.txt\n"  // before the first definition
                           "DefineGrowth forest\n"
                           "  AddTree data/mesh/debris_wood_0.txt\n"
                           "  addtree data/mesh/debris_wood_1.txt\n"
                           "  AddPlant data/mesh/debris_plant_0.txt\n"
                           "  AddRock data/mesh/debris_rock_0.txt\n"
                           "  AddRock data/mesh/no_such_rock.txt\n"
                           "  POPULATION 0.2\n"
                           "  treepercent 2\n"
                           "DefineGrowth grass\n"
                           "  Algorithm GRASS\n"
                           "  AddPlant data/mesh/debris_plant_1.txt\n"
                           "  treepercent 0\n  rockpercent 0\n"
                           "DefineGrowth rocks_only\n"
                           "  treepercent 0\n  plantpercent 0\n"
                           "  Algorithm SPIRAL\n"  // not an algorithm: unchanged
                           "DefineGrowth walls\n  Algorithm WALLTEST\n  colormode 2\n"
                           "DefineGrowth ruins\n  Algorithm RUINS\n"
                           "definegrowth lowercase\n";

}  // namespace

TEST_F(GrowthTest, ScriptDefinitionsKeywordsAndUnknownMeshes)
{
    Read(SCRIPT);
    ASSERT_EQ(growth.definitions.size(), 5u) << "the definition keyword keeps its case";
    const GrowthDef* forest = growth.FindDefinition("FOREST");
    ASSERT_NE(forest, nullptr);
    EXPECT_EQ(forest->lists[GROWTH_TREE].size(), 2u) << "the tree before the first definition goes nowhere";
    EXPECT_EQ(forest->lists[GROWTH_PLANT].size(), 1u);
    EXPECT_EQ(forest->lists[GROWTH_ROCK].size(), 1u) << "a mesh that is not there is left out";
    EXPECT_FLOAT_EQ(forest->population, 0.2f);
    EXPECT_FLOAT_EQ(forest->treepercent, 2.0f);
    EXPECT_EQ(forest->algorithm, GROWTH_NONE);
    EXPECT_EQ(forest->colormode, 1);
    EXPECT_EQ(growth.FindDefinition("grass")->algorithm, GROWTH_GRASS);
    EXPECT_EQ(growth.FindDefinition("rocks_only")->algorithm, GROWTH_NONE);
    EXPECT_EQ(growth.FindDefinition("walls")->colormode, 2);

    // The tool's defaults.
    GrowthParams p;
    EXPECT_EQ(p.seed, 0);
    EXPECT_EQ(p.width, 20);
    EXPECT_FLOAT_EQ(p.density, 0.1f);
    EXPECT_FLOAT_EQ(p.minimumScale[2], 0.8f);
    EXPECT_FLOAT_EQ(p.maximumScale[0], 1.2f);
    EXPECT_EQ(p.circle, 1);

    // A name of no definition gives no instance and leaves none selected.
    ASSERT_NE(growth.CreateInstance("forest", Vec3(), false), nullptr);
    EXPECT_NE(growth.selected, nullptr);
    EXPECT_EQ(growth.CreateInstance("jungle", Vec3(), false), nullptr);
    EXPECT_EQ(growth.selected, nullptr);

    // An instance points at another definition by name; a name of none changes nothing.
    GrowthInstance* named = growth.CreateInstance("forest", Vec3(), false);
    named->SetDefinitionByName("GRASS");
    EXPECT_STREQ(named->definition->name, "grass");
    named->SetDefinitionByName("jungle");
    EXPECT_STREQ(named->definition->name, "grass");
    int walked = 0;
    EXPECT_EQ(named->GetObjectAt(GROWTH_PLANT, 0, &walked), growth.FindDefinition("grass")->lists[GROWTH_PLANT][0]);
    EXPECT_EQ(named->GetObjectAt(GROWTH_PLANT, 5, &walked), nullptr);
    EXPECT_EQ(walked, 1);

    // The instance list is bounded.
    while ((int)growth.instances.size() < GrowthDB::MAX_INSTANCES) growth.CreateInstance("grass", Vec3(), false);
    LogCaptureBegin();
    EXPECT_EQ(growth.CreateInstance("grass", Vec3(), false), nullptr);
    log = LogCaptureEnd();
    EXPECT_NE(log.find("200 instances"), std::string::npos) << log;
    growth.ClearInstances();

    // Too many meshes in a list, a missing script.
    std::string many = "DefineGrowth crowded\n";
    for (int i = 0; i < 20; ++i) many += "AddRock data/mesh/debris_rock_1.txt\n";
    Read(many);
    EXPECT_EQ((int)growth.FindDefinition("crowded")->lists[GROWTH_ROCK].size(), GrowthDef::MAX_MESHES);
    EXPECT_NE(log.find("holds 16 meshes"), std::string::npos) << log;
    LogCaptureBegin();
    GrowthDB missing(false);
    EXPECT_FALSE(missing.Load("data/scripts/no_such_growth.cgs"));
    log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR growth"), std::string::npos) << log;
}

TEST_F(GrowthTest, GrassMakesItsAttemptsInsideTheCircleAndNeverBlocks)
{
    Read(SCRIPT);
    GrowthInstance* grass = Grown("grass", 64, 64, 5);
    ASSERT_NE(grass, nullptr);
    // 20 x 20 x 0.1: 80 attempts, some outside the circle.
    EXPECT_GT(grass->objects.size(), 40u);
    EXPECT_LE(grass->objects.size(), 80u);
    EXPECT_EQ(CellsHeldBy(grass), 0) << "plants never block";
    std::set<std::pair<int, int>> cells;
    for (const GrowthObject& o : grass->objects) {
        EXPECT_EQ(o.category, GROWTH_PLANT);
        EXPECT_NE(o.mesh, nullptr);
        int c, r;
        ASSERT_TRUE(grid->WorldToCell(o.position, &c, &r));
        int x = grid->size - c, y = r;
        float dx = (float)(x - 64), dy = (float)(y - 64);
        EXPECT_LE(dx * dx + dy * dy, 100.0f) << "inside the circle: the corners stay empty";
        cells.insert({c, r});
    }
    EXPECT_EQ(grass->merged.size(), 1u) << "one merged mesh per source mesh";
    EXPECT_EQ(grass->merged[0].mesh->InstanceCount(), (int)grass->objects.size());

    // Where the ground is not low ground nothing grows.
    TheTerrain.classMap.assign(128 * 128, 2);
    grass->Grow();
    EXPECT_TRUE(grass->objects.empty());
    TheTerrain.classMap.assign(128 * 128, 1);

    // Without the circle the whole square may be used, and more lands.
    growth.toolParameters.circle = 0;
    GrowthInstance* square = Grown("grass", 30, 30, 5);
    EXPECT_GT(square->objects.size(), grass->objects.size());
}

TEST_F(GrowthTest, TheSameSeedGrowsTheSameTreesAndRocksAndTheyHoldTheirCells)
{
    Read(SCRIPT);
    GrowthInstance* first = Grown("forest", 50, 50, 1234);
    ASSERT_NE(first, nullptr);
    ASSERT_FALSE(first->objects.empty());
    std::vector<GrowthObject> before = first->objects;
    int blocking = 0;
    for (const GrowthObject& o : before) {
        blocking += o.category != GROWTH_PLANT;
        GridCell* cell = grid->GetCellAt(o.position);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->occupant == first, o.category != GROWTH_PLANT);
        EXPECT_GE(o.scale.y, 0.8f);
        EXPECT_LE(o.scale.y, 1.2f);
    }
    EXPECT_EQ(CellsHeldBy(first), blocking);

    first->Grow();
    ASSERT_EQ(first->objects.size(), before.size()) << "growing again releases the cells first";
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(first->objects[i].position, before[i].position);
        EXPECT_EQ(first->objects[i].mesh, before[i].mesh);
        EXPECT_FLOAT_EQ(first->objects[i].rotation.y, before[i].rotation.y);
    }
    // Released, the cells are free again.
    first->Release();
    EXPECT_EQ(CellsHeldBy(first), 0);

    // A definition without meshes places objects the merged meshes pass over.
    GrowthInstance* bare = Grown("rocks_only", 90, 90, 3);
    ASSERT_FALSE(bare->objects.empty());
    for (const GrowthObject& o : bare->objects) EXPECT_EQ(o.mesh, nullptr);
    EXPECT_TRUE(bare->merged.empty());
}

TEST_F(GrowthTest, EnvironmentDefinitionsRegrowingAndRestoredInstances)
{
    Read(SCRIPT + std::string("DefineGrowth winter\n  AddTree data/mesh/debris_metal_0.txt\n"));
    GrowthInstance* trees = growth.CreateInstance("forest", MapPointToWorld(40, 40), false);
    GrowthInstance* grass = growth.CreateInstance("grass", MapPointToWorld(80, 80), false);
    growth.RegrowAll();
    ASSERT_FALSE(trees->objects.empty());
    Growth::ApplyEnvironmentDefinition("winter");
    EXPECT_STREQ(trees->definition->name, "winter");
    EXPECT_STREQ(grass->definition->name, "grass") << "a grass area keeps its own";
    for (const GrowthObject& o : trees->objects)
        if (o.category == GROWTH_TREE) {
            EXPECT_NE(o.mesh, nullptr);
        }

    // An instance restored from a saved scene keeps its objects when the level regrows.
    GrowthInstance* restored = growth.CreateInstance("forest", MapPointToWorld(100, 30), true);
    GrowthObject saved;
    saved.position = grid->CellToWorld(30, 30);
    saved.category = GROWTH_ROCK;
    saved.mesh = growth.FindDefinition("forest")->lists[GROWTH_ROCK][0];
    restored->objects.push_back(saved);
    growth.RegrowAll();
    ASSERT_EQ(restored->objects.size(), 1u);
    EXPECT_EQ(restored->objects[0].position, saved.position);
    EXPECT_EQ(grid->GetCell(30, 30)->occupant, restored);
    EXPECT_EQ(restored->merged.size(), 1u);

    growth.ClearInstances();
    EXPECT_EQ(grid->GetCell(30, 30)->occupant, nullptr);
    EXPECT_EQ(growth.selected, nullptr);
}

TEST_F(GrowthTest, WallsAndRuinsLayTheirPiecesAndCitiesGetGuards)
{
    Read(SCRIPT);
    for (const char* type : {"scav_small", "scav_brute", "scav_flamer", "scav_leader"}) DefineUnit(type, 100.0f);
    int rings = 0, corners = 0;
    for (int seed = 1; seed <= 8; ++seed) {
        SRand(seed);
        GrowthInstance* walls = Grown("walls", 64, 64, 0);
        int count[GROWTH_CATEGORIES] = {};
        for (const GrowthObject& o : walls->objects) ++count[o.category];
        EXPECT_EQ(count[GROWTH_BUILDING], 1);
        EXPECT_EQ(count[GROWTH_BUTTRESS], 4);
        if (count[GROWTH_WALL] > 0) {
            ++rings;
            EXPECT_EQ(count[GROWTH_WALL], 16) << "four sides of seven less a gate of three";
            EXPECT_EQ(count[GROWTH_WALL_CORNER], 4);
        } else if (count[GROWTH_WALL_CORNER] > 0) {
            ++corners;
            EXPECT_EQ(count[GROWTH_WALL_CORNER], 4);
        }
        growth.ClearInstances();
    }
    EXPECT_GT(rings, 0);
    EXPECT_GT(corners, 0);

    GrowthInstance* ruins = Grown("ruins", 64, 64, 9);
    ASSERT_FALSE(ruins->objects.empty());
    EXPECT_EQ(ruins->objects[0].category, GROWTH_MAIN_BUILDING);
    EXPECT_GE(ruins->cityGuards.size(), 1u);
    EXPECT_LE(ruins->cityGuards.size(), 4u);
    EXPECT_EQ(CountAgents(), (int)ruins->cityGuards.size());
    growth.ClearInstances();

    // A city restored from a save has its guards in the scene already.
    ClearLevel();
    growth.toolParameters.blockCount = 26;
    GrowthInstance* restored = growth.CreateInstance("ruins", MapPointToWorld(64, 64), true);
    restored->Grow();
    EXPECT_GT(restored->objects.size(), 2u) << "blocks around the core";
    EXPECT_EQ(CountAgents(), 0);
}
