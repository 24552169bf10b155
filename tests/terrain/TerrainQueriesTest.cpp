// What the game asks of the ground: heights on cell corners and split lines, rays, normals,
// cells, and how the chunks lie over the grid.
#include "interface/GameSeamImpl.h"
#include "render/IndexedMesh.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using TerrainQueries = TerrainTest;

// World x and z of grid coordinates (cx, cz) on a 128 grid.
Vec3 World(float cx, float cz, float y = 0.0f)
{
    return Vec3(cx * 2.5f - 160.0f, y, 160.0f - cz * 2.5f);
}

// Rolling hills with a steep ridge: every ray test crosses slopes of all kinds.
float Hills(int x, int z)
{
    float h = 3.0f + 2.0f * std::sin(x * 0.21f) * std::cos(z * 0.17f);
    if (x > 60 && x < 66) h += 4.0f;
    return std::max(0.0f, std::min(10.0f, h));
}

}  // namespace

// Nor once it is freed: the next level's entities are put down before its own terrain is
// made, and nothing of the last level's slopes may steer them.
TEST_F(TerrainQueries, NothingIsAnsweredBeforeALevelIsCreatedNorOnceItIsFreed)
{
    Terrain never, freed;
    BuildTerrain(freed, 128, 128, [](int x, int) { return x * 0.5f; });
    ASSERT_NE(freed.GetNormal(3, 3), Vec3(0, 1, 0)) << "a slope leans";
    freed.Free();
    for (Terrain* terrain : {&never, &freed}) {
        bool onObject = true;
        EXPECT_EQ(terrain->GetHeight(Vec3(0, 0, 0), &onObject, false), 0.0f);
        EXPECT_FALSE(terrain->IntersectRay(Vec3(0, 50, 0), Vec3(0, -1, 0), nullptr, 2));
        EXPECT_EQ(terrain->GetInterpolatedNormal(Vec3()), Vec3(0, 1, 0));
        EXPECT_EQ(terrain->GetNormal(3, 3), Vec3(0, 1, 0));
        EXPECT_EQ(terrain->GetCellHeight(Vec3()), 0.0f);
    }
}

TEST_F(TerrainQueries, HeightsOnCornersEdgesAndTheSplitLine)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, [](int x, int z) {
        // One cell (64, 64) with corners 0, 2, 2, 4; everything else follows x.
        if (x == 64 && z == 64) return 0.0f;
        if (x == 65 && z == 64) return 2.0f;
        if (x == 64 && z == 65) return 2.0f;
        if (x == 65 && z == 65) return 4.0f;
        return x * 0.05f;
    });
    const struct {
        float cx, cz, expected;
    } cases[] = {
        {64.5f, 64.5f, 5.0f},           // the middle of the cell: 2 height units
        {64.0f, 64.0f, 0.0f},           // its corner
        {65.0f, 64.0f, 5.0f},           // (65, 64) is 2 units
        {64.0f, 65.0f, 5.0f},           // (64, 65) is 2 units
        {64.25f, 64.25f, 2.5f},         // on the diagonal: both halves agree
        {64.75f, 64.25f, 5.0f},         // upper half: 0 + 0.75 * 2 + 0.25 * 2
        {64.25f, 64.75f, 5.0f},         // lower half, the mirror image
        {0.0f, 10.0f, 0.0f},            // column 0 at px = -160
        {100.0f, 10.0f, 100 * 0.05f * 2.5f},
        {128.0f, 10.0f, 0.0f},          // px = +160: off the grid
        {126.5f, 10.0f, 126.5f * 0.05f * 2.5f},
        {127.5f, 10.0f, 0.0f},          // the last column has no cell beyond it
        {10.0f, -1.5f, 0.0f},           // beyond the top edge
    };
    for (const auto& c : cases)
        EXPECT_NEAR(terrain.GetHeight(World(c.cx, c.cz), nullptr, false), c.expected, 1e-4f) << c.cx << "," << c.cz;

    // The world centre is cell (64, 64).
    EXPECT_EQ(terrain.WorldToCell(Vec3(0, 0, 0)), IntPoint(64, 64));
    EXPECT_EQ(terrain.WorldToCell(World(3.7f, 9.2f)), IntPoint(3, 9));
    EXPECT_FLOAT_EQ(terrain.GetCellHeight(World(65.5f, 64.5f)), 2.0f * 2.5f);
    EXPECT_TRUE(terrain.IsCellInside(127, 0));
    EXPECT_FALSE(terrain.IsCellInside(128, 0));
    EXPECT_FALSE(terrain.IsCellInside(0, -1));

    // Nothing to stand on yet: the ground answers, and says so.
    bool onObject = true;
    terrain.GetHeight(World(64.5f, 64.5f), &onObject, false);
    EXPECT_FALSE(onObject);
}

TEST_F(TerrainQueries, RaysStopAboveTheGroundWithinTheirLastStep)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, Hills);
    int hits = 0;
    for (int refine = 0; refine <= 4; ++refine)
        for (int i = 0; i < 40; ++i) {
            Vec3 origin(-150.0f + i * 7.3f, 60.0f + (i % 5) * 11.0f, -140.0f + (i % 7) * 9.0f);
            Vec3 direction(0.35f * std::sin(i * 1.3f), -1.0f, 0.6f + 0.2f * std::cos(i * 0.7f));
            Vec3Normalize(&direction, &direction);
            Vec3 hit;
            if (!terrain.IntersectRay(origin, direction, &hit, refine)) continue;
            ++hits;
            // A pick ray's direction runs from the near to the far plane, thousands of units
            // long: the same ground is found.
            Vec3 longHit;
            ASSERT_TRUE(terrain.IntersectRay(origin, direction * 4000.0f, &longHit, refine));
            Vec3 apart = longHit - hit;
            EXPECT_LT(Vec3Length(&apart), 1e-3f);
            SCOPED_TRACE(testing::Message() << "ray " << i << " refined " << refine);
            // Never below the ground, and the ground within one final step ahead.
            float step = 2.0f / (float)(1 << refine);
            EXPECT_GE(hit.y, terrain.GetHeight(hit, nullptr, false));
            Vec3 beyond = hit + direction * step;
            EXPECT_LT(beyond.y, terrain.GetHeight(beyond, nullptr, false) + 1e-3f);
        }
    EXPECT_GT(hits, 150);

    // Straight down onto a known height, refined three times: within a quarter unit above it.
    Vec3 hit;
    ASSERT_TRUE(terrain.IntersectRay(World(30.5f, 40.5f, 80.0f), Vec3(0, -1, 0), &hit, 3));
    float ground = terrain.GetHeight(hit, nullptr, false);
    EXPECT_GE(hit.y, ground);
    EXPECT_LE(hit.y - ground, 0.25f + 1e-4f);

    // Up into the sky, or from inside a hill: no hit.
    EXPECT_FALSE(terrain.IntersectRay(Vec3(0, 30, 0), Vec3(0, 1, 0), &hit, 2));
    EXPECT_FALSE(terrain.IntersectRay(World(63.0f, 50.0f, 1.0f), Vec3(0, -1, 0), &hit, 2));
}

TEST_F(TerrainQueries, NormalsLeanAwayFromTheSlopeAndStandUpAtTheBorder)
{
    Terrain terrain;
    // Rising toward +x: the ground faces back toward -x.
    BuildTerrain(terrain, 64, 64, [](int x, int) { return x * 0.1f; });
    Vec3 n = terrain.GetNormal(30, 30);
    EXPECT_LT(n.x, -0.05f);
    EXPECT_NEAR(n.z, 0.0f, 1e-4f);
    EXPECT_NEAR(Vec3Length(&n), 1.0f, 1e-4f);
    EXPECT_EQ(terrain.GetNormal(0, 30), Vec3(0, 1, 0));
    EXPECT_EQ(terrain.GetNormal(30, 63), Vec3(0, 1, 0));
    EXPECT_EQ(terrain.GetNormal(64, 30), Vec3(0, 1, 0));

    Vec3 between = terrain.GetInterpolatedNormal(Vec3(0.3f, 0.0f, 0.2f));
    EXPECT_NEAR(between.x, n.x, 1e-3f);
    EXPECT_NEAR(Vec3Length(&between), 1.0f, 1e-4f);
    EXPECT_EQ(terrain.GetInterpolatedNormal(Vec3(500.0f, 0.0f, 0.0f)), Vec3(0, 1, 0));
}

TEST_F(TerrainQueries, ChunksShareTheirEdgesAndStandWhereTheQueriesSayTheGroundIs)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, Hills);
    ASSERT_EQ(terrain.chunksPerSide, 4);
    ASSERT_EQ(terrain.chunks.size(), 16u);
    const int columns[5] = {0, 31, 63, 95, 127};
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(terrain.chunks[j]->x0, columns[j]);
        EXPECT_EQ(terrain.chunks[j]->x1, columns[j + 1]);
        EXPECT_EQ(terrain.chunks[j * 4]->z0, columns[j]);
    }
    // Drawn vertices (mirrored back by the mesh) lie on the heights the queries give.
    const IndexedMesh& mesh = *terrain.chunks[5]->groundMesh;
    ASSERT_EQ(mesh.materials[0].VertexCount(), 33 * 33);
    ASSERT_EQ(mesh.materials[0].TriangleCount(), 2 * 32 * 32);
    for (size_t i = 0; i < mesh.subMeshes[0].vertices.size(); i += 37) {
        const MeshGpuVertex& v = mesh.subMeshes[0].vertices[i];
        Vec3 p(v.position[0], v.position[1], v.position[2]);
        EXPECT_NEAR(terrain.GetHeight(p, nullptr, true), p.y, 1e-3f) << i;
    }
    // Seen from above, every ground triangle faces up once drawn.
    const SubMesh& sub = mesh.subMeshes[0];
    for (size_t t = 0; t + 2 < sub.indices.size(); t += 3 * 97) {
        Vec3 a(sub.vertices[sub.indices[t]].position), b(sub.vertices[sub.indices[t + 1]].position),
            c(sub.vertices[sub.indices[t + 2]].position);
        Vec3 e1 = b - a, e2 = c - a, facing;
        Vec3Cross(&facing, &e1, &e2);
        EXPECT_GT(facing.y, 0.0f) << "clockwise seen from above, as the device's culling keeps";
    }
}

TEST_F(TerrainQueries, AnEditRefreshesOnlyTheChunksUnderTheBrush)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, [](int, int) { return 2.0f; });
    auto topOf = [&](int chunk) { return terrain.chunks[chunk]->groundMesh->boundsMax.y; };
    for (int z = 0; z < 128; ++z)
        for (int x = 0; x < 128; ++x) terrain.heightmap->data[(size_t)z * 128 + x] = 6.0f;
    // A brush of size 4 at x = 31, z = 10 touches chunk columns 0 and 1 of chunk row 0.
    terrain.RebuildMeshes(4, 31, 10);
    EXPECT_FLOAT_EQ(topOf(0), 15.0f);
    EXPECT_FLOAT_EQ(topOf(1), 15.0f);
    EXPECT_FLOAT_EQ(topOf(2), 5.0f);
    EXPECT_FLOAT_EQ(topOf(4), 5.0f);
    terrain.RebuildMeshes(0, 0, 0);
    for (int chunk = 0; chunk < 16; ++chunk) EXPECT_FLOAT_EQ(topOf(chunk), 15.0f) << chunk;
}

TEST_F(TerrainQueries, TheGameSeamAnswersFromTheTerrain)
{
    GameSeamImpl game;
    float height = -1.0f;
    float width = 0.0f, depth = 0.0f;
    game.GetMapSize(&width, &depth);
    EXPECT_EQ(width, 320.0f);
    EXPECT_EQ(depth, 320.0f);
    if (!TheTerrain.created) {
        EXPECT_FALSE(game.GetTerrainHeight(0, 0, 0, &height));
        EXPECT_FALSE(game.IntersectTerrain(Vec3(0, 50, 0), Vec3(0, -1, 0), nullptr));
    }
    BuildTerrain(TheTerrain, 128, 128, [](int, int) { return 4.0f; });
    ASSERT_TRUE(game.GetTerrainHeight(12.0f, -30.0f, 0, &height));
    EXPECT_FLOAT_EQ(height, 10.0f);
    Vec3 hit;
    ASSERT_TRUE(game.IntersectTerrain(Vec3(5, 60, 5), Vec3(0, -1, 0), &hit));
    EXPECT_NEAR(hit.y, 10.0f, 0.5f);
    Vec3 low, high;
    EXPECT_FALSE(game.GetVisibleWaterBox(&low, &high));
    EXPECT_FALSE(game.GetRandomWaterPoint(&hit));
    TheTerrain.Free();
    EXPECT_FALSE(game.GetTerrainHeight(0, 0, 0, &height));
}
