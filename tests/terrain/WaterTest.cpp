// Water and lava: which low ground floods, how regions are labelled on synthetic grids, the
// surface meshes, their zones and the random points the ambient effects take.
#include "host/Random.h"
#include "render/IndexedMesh.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "tests/support/Scoped.h"
#include "tests/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace {

using Water = TerrainTest;

// Ground at 2 height units with low cells where `low` says.
HeightFunction LowWhere(std::function<bool(int, int)> low)
{
    return [low](int x, int z) { return low(x, z) ? 0.2f : 2.0f; };
}

// A surface of columns x rows vertices at the water's height, for zone tests.
std::unique_ptr<IndexedMesh> FlatSurface(int columns, int rows)
{
    auto mesh = std::make_unique<IndexedMesh>();
    mesh->materials.resize(1);
    MeshGeometry& geometry = mesh->materials[0].EditGeometry();
    for (int z = 0; z < rows; ++z)
        for (int x = 0; x < columns; ++x) {
            MeshVertex vertex;
            vertex.position = Vec3(-(x * 2.5f - 60.0f), 2.5f, z * 2.5f - 40.0f);
            geometry.vertices.push_back(vertex);
        }
    for (int z = 0; z + 1 < rows; ++z)
        for (int x = 0; x + 1 < columns; ++x) {
            int a = z * columns + x;
            geometry.triangles.push_back(MeshTriangle{{a, a + columns, a + 1}});
        }
    mesh->BuildBuffers(nullptr, false);
    return mesh;
}

}  // namespace

TEST_F(Water, RegionsAreLabelledWholeOneAtATime)
{
    Terrain terrain;
    terrain.width = terrain.height = 128;
    // Two pools and a snake far longer than any flood front a small queue could hold.
    std::vector<int> cells(128 * 128, 0);
    auto set = [&](int x, int z) { cells[(size_t)z * 128 + x] = 1; };
    for (int z = 5; z < 9; ++z)
        for (int x = 5; x < 9; ++x) set(x, z);
    for (int z = 20; z < 25; ++z)
        for (int x = 100; x < 110; ++x) set(x, z);
    for (int z = 40; z < 126; ++z)
        for (int x = 1; x < 127; ++x) set(x, z);  // a lake filling the whole lower map
    set(127, 50);                                 // beside the lake on the map's edge: never flooded
    int counter = 2;
    EXPECT_TRUE(LabelRegion(terrain, cells, &counter));
    EXPECT_TRUE(LabelRegion(terrain, cells, &counter));
    EXPECT_TRUE(LabelRegion(terrain, cells, &counter));
    EXPECT_EQ(counter, 5);
    EXPECT_EQ(cells[5 * 128 + 5], 2);
    EXPECT_EQ(cells[8 * 128 + 8], 2);
    EXPECT_EQ(cells[20 * 128 + 100], 3);
    // The lake is labelled to its last cell, however wide its front.
    EXPECT_EQ(std::count(cells.begin(), cells.end(), 4), 86 * 126);
    EXPECT_EQ(cells[50 * 128 + 127], 1);
    // Nothing left: no label and no number used.
    EXPECT_FALSE(LabelRegion(terrain, cells, &counter));
    EXPECT_EQ(counter, 5);
}

TEST_F(Water, OneLowVertexFloodsTheFourCellsAroundIt)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, LowWhere([](int x, int z) { return x == 10 && z == 10; }));
    WaterSet water;
    water.Build(terrain);
    ASSERT_EQ(water.count, 1);
    const IndexedMesh& surface = *water.meshes[0];
    EXPECT_EQ(surface.materials[0].VertexCount(), 16);
    EXPECT_EQ(surface.materials[0].TriangleCount(), 8);
    EXPECT_STREQ(surface.materials[0].effectName, "Data/shaders/reflect_refract.fx");
    // The surface spans vertices 8..11 and lies at one height unit (2.5 world units).
    EXPECT_FLOAT_EQ(surface.boundsMin.x, (8 - 64) * 2.5f);
    EXPECT_FLOAT_EQ(surface.boundsMax.x, (11 - 64) * 2.5f);
    EXPECT_FLOAT_EQ(surface.boundsMax.z, (64 - 8) * 2.5f);
    EXPECT_FLOAT_EQ(surface.boundsMin.y, 2.5f);
    EXPECT_FLOAT_EQ(surface.boundsMax.y, 2.5f);
    EXPECT_FLOAT_EQ(water.GetWorldScale(), 2.5f);
    // Deep over the hole, dry (transparent) where the ground stands above the water.
    uint32_t deepest = 0;
    for (const MeshVertex& v : surface.materials[0].Vertices()) deepest = std::max(deepest, v.colour >> 24);
    EXPECT_GT(deepest, 200u);
    EXPECT_EQ(surface.materials[0].Vertices()[0].colour >> 24, 0u);
}

TEST_F(Water, LowGroundInTheOuterRingsStartsNoFlood)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, LowWhere([](int x, int z) { return x < 2 || z < 2 || x > 125 || z > 125; }));
    WaterSet water;
    water.Build(terrain);
    EXPECT_EQ(water.count, 0);
    water.BuildZones();
    EXPECT_EQ(water.zoneCount, 0);
    Vec3 point;
    EXPECT_FALSE(water.RandomPointInVisibleZone(&point));
}

TEST_F(Water, SeparatePoolsMakeSeparateSurfacesAndLavaWorldsLava)
{
    LoadEnvironments("water", "DefineEnvironment lava\nDefineEnvironment forest\n");
    Terrain terrain;
    ASSERT_NE(terrain.SetEnvironment("lava"), nullptr);
    BuildTerrain(terrain, 128, 128, LowWhere([](int x, int z) {
                     return (x >= 20 && x < 30 && z >= 20 && z < 30) || (x >= 70 && x < 72 && z >= 80 && z < 110);
                 }));
    WaterSet water;
    water.Build(terrain);
    ASSERT_EQ(water.count, 2);
    for (int i = 0; i < water.count; ++i) {
        EXPECT_STREQ(water.meshes[i]->materials[0].effectName, "Data/shaders/lava.fx");
        EXPECT_STREQ(water.meshes[i]->materials[0].textureName, "Data/textures/lava_river.dds");
    }
    // A 10 x 10 pool of low vertices: 11 x 11 flooded cells, 13 x 13 surface vertices.
    EXPECT_EQ(water.meshes[0]->materials[0].VertexCount(), 13 * 13);
    EXPECT_EQ(water.meshes[0]->materials[0].TriangleCount(), 2 * 11 * 11);
    water.Clear();
    EXPECT_EQ(water.count, 0);
    EXPECT_EQ(water.meshes[0], nullptr);
}

TEST_F(Water, SmallSurfacesMakeOneZoneAndLargeOnesEight)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, [](int, int) { return 0.0f; });
    WaterSet water;
    water.Build(terrain);  // sets the ground the zones measure against
    water.Clear();
    water.meshes[0] = FlatSurface(199, 1);
    water.meshes[1] = FlatSurface(20, 10);
    water.count = 2;
    water.BuildZones();
    ASSERT_EQ(water.zoneCount, 9);
    EXPECT_EQ(water.zones[0].pointCount, 199);
    int points = 0;
    for (int i = 1; i < 9; ++i) {
        const WaterZone& zone = water.zones[i];
        // Cut along the longer side (x), flat at the surface's height.
        EXPECT_FLOAT_EQ(zone.boxMax.x - zone.boxMin.x, 19 * 2.5f / 8.0f);
        EXPECT_FLOAT_EQ(zone.boxMin.y, zone.boxMax.y);
        for (const Vec3& p : zone.points) {
            EXPECT_GT(p.x, zone.boxMin.x);
            EXPECT_LT(p.x, zone.boxMax.x);
        }
        points += zone.pointCount;
    }
    EXPECT_GT(points, 100);

    // More surfaces than zones: the zones stop at sixteen.
    for (int i = 2; i < WaterSet::MAX_SURFACES; ++i) water.meshes[i] = FlatSurface(20, 10);
    water.count = WaterSet::MAX_SURFACES;
    water.BuildZones();
    EXPECT_EQ(water.zoneCount, WaterSet::MAX_ZONES);
}

TEST_F(Water, RandomPointsComeOnlyFromZonesInView)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, LowWhere([](int x, int z) { return x >= 40 && x < 50 && z >= 40 && z < 50; }));
    WaterSet water;
    water.Build(terrain);
    water.BuildZones();
    ASSERT_GT(water.zoneCount, 0);
    ScopedGlobal<ViewFrustum*> savedFrustum(Frustum);
    ViewFrustum frustum;
    Frustum = &frustum;

    // Looking at the pool: points on its surface, above the ground.
    Vec3 eye(-40, 80, -20), target(-40, 0, 40), up(0, 1, 0);
    Matrix view;
    MatrixLookAtLH(&view, &eye, &target, &up);
    frustum.Update(view);
    SRand(5);
    for (int i = 0; i < 20; ++i) {
        Vec3 p;
        ASSERT_TRUE(water.RandomPointInVisibleZone(&p));
        EXPECT_FLOAT_EQ(p.y, 2.5f);
        EXPECT_GT(p.y - terrain.GetHeight(p, nullptr, false), 0.5f);
    }
    Vec3 low, high;
    EXPECT_TRUE(water.GetVisibleBox(&low, &high));
    EXPECT_TRUE(water.AnyVisible());

    // Looking away from it: nothing.
    eye = Vec3(-40, 30, 150);
    Vec3 away(-40, 30, 200);
    MatrixLookAtLH(&view, &eye, &away, &up);
    frustum.Update(view);
    Vec3 p;
    EXPECT_FALSE(water.RandomPointInVisibleZone(&p));
    EXPECT_FALSE(water.GetVisibleBox(&low, &high));
    EXPECT_FALSE(water.AnyVisible());
}
