// Objects on the ground: a height under a collision object is the top of the object (its
// highest surface there, turned and scaled as it stands), and a terrain hole takes away the
// ground triangles it covers whole, where it stands and nowhere else.
#include "host/Log.h"
#include "mechanics/Scene.h"
#include "render/IndexedMesh.h"
#include "terrain/Terrain.h"
#include "tests/terrain/TerrainTestSupport.h"
#include "tests/world/BlockMesh.h"
#include "world/Entity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>

namespace {

class TerrainObjects : public TerrainTest {
protected:
    void SetUp() override
    {
        TerrainTest::SetUp();
        ASSERT_TRUE(TheScene.InitLists());
        TheScene.ReleaseEntities();
    }
    void TearDown() override
    {
        TheScene.ReleaseEntities();
        TerrainTest::TearDown();
    }
    // A collision object of the level at a world point, with its own mesh.
    Entity* Object(const Vec3& at, IndexedMesh* mesh)
    {
        Entity* entity = new Entity();
        entity->flags |= ENTITY_COLLISION;
        entity->SetPosition(at);
        entity->AdoptMesh(mesh);
        EXPECT_NE(TheScene.AddEntity(entity), nullptr);
        return entity;
    }
    // A terrain object that cuts the ground away under it (or, without the drawn-last bit, not).
    Entity* Hole(const Vec3& at, float half, uint32_t flags = ENTITY_TERRAIN_HOLE)
    {
        Entity* entity = new Entity();
        entity->flags |= ENTITY_STATIC | flags;
        entity->SetPosition(at);
        entity->AdoptMesh(BlockMesh(-half, half, -half, half, -10.0f, 10.0f));
        EXPECT_TRUE(TheScene.terrainObjects.PushBack(entity));
        return entity;
    }
    // The grid quads (x, z) that kept a ground triangle, over every chunk.
    std::set<std::pair<int, int>> GroundQuads(const Terrain& terrain, int* triangles)
    {
        std::set<std::pair<int, int>> quads;
        *triangles = 0;
        const float k = MAP_WORLD_SIZE / 128.0f;
        for (const auto& chunk : terrain.chunks) {
            const MeshMaterial& material = chunk->groundMesh->materials[0];
            for (const MeshTriangle& triangle : material.Triangles()) {
                ++*triangles;
                int x = 1 << 20, z = 1 << 20;
                for (int i : triangle.index) {
                    const Vec3& p = material.Vertices()[i].position;
                    x = std::min(x, (int)std::lround(terrain.width / 2 - p.x / k));
                    z = std::min(z, (int)std::lround(terrain.height / 2 - p.z / k));
                }
                quads.insert({x, z});
            }
        }
        return quads;
    }
};

constexpr float GROUND = 5.0f;  // 2 height units

}  // namespace

TEST_F(TerrainObjects, HeightsStandOnTheTopOfCollisionObjects)
{
    Terrain terrain;
    BuildTerrain(terrain, 128, 128, [](int, int) { return 2.0f; });

    // A low shelf listed before the deck above it: the deck is the top.
    Object(Vec3(0.0f, GROUND, 0.0f), ShelvesMesh({{-5, 5, -5, 5, 1.0f, true}, {-5, 5, -5, 5, 4.0f, true}}));
    // A beam along x, turned a quarter to lie along z.
    Entity* beam = Object(Vec3(60.0f, GROUND, 0.0f), BlockMesh(-10, 10, -1, 1, 0.0f, 2.0f));
    beam->yaw = 90.0f;
    MatrixRotationY(&beam->rotation, 90.0f * 0.01745329f);
    // Twice its size.
    Object(Vec3(-60.0f, GROUND, 0.0f), BlockMesh(-2, 2, -2, 2, 0.0f, 1.5f))->scale = 2.0f;
    // Sunk into the ground: its top lies below it.
    Object(Vec3(0.0f, GROUND - 10.0f, 60.0f), BlockMesh(-2, 2, -2, 2, 0.0f, 4.0f));
    // Shrunk to nothing.
    Object(Vec3(0.0f, GROUND, -60.0f), BlockMesh(-2, 2, -2, 2, 0.0f, 4.0f))->scale = 0.0f;

    struct Case {
        const char* what;
        Vec3 at;
        bool terrainOnly;
        float height;
        bool onObject;
    };
    const Case table[] = {
        {"on the deck", Vec3(1.0f, 0.0f, -2.0f), false, GROUND + 4.0f, true},
        {"the ground alone when asked", Vec3(1.0f, 0.0f, -2.0f), true, GROUND, false},
        {"beside it", Vec3(7.0f, 0.0f, 0.0f), false, GROUND, false},
        {"along the turned beam", Vec3(60.0f, 0.0f, 8.0f), false, GROUND + 2.0f, true},
        {"where the beam lay before it turned", Vec3(68.0f, 0.0f, 0.0f), false, GROUND, false},
        {"on the scaled block", Vec3(-57.0f, 0.0f, 0.0f), false, GROUND + 3.0f, true},
        {"above the sunk block: the ground", Vec3(0.0f, 0.0f, 60.0f), false, GROUND, false},
        {"nothing of a block scaled to nothing", Vec3(0.0f, 0.0f, -60.0f), false, GROUND, false},
        {"off the map objects count for nothing", Vec3(170.0f, 0.0f, 0.0f), false, 0.0f, false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        bool onObject = !c.onObject;
        EXPECT_NEAR(terrain.GetHeight(c.at, &onObject, c.terrainOnly), c.height, 1e-4f);
        EXPECT_EQ(onObject, c.onObject);
    }
    Vec3 hit;
    ASSERT_TRUE(terrain.IntersectRay(Vec3(1.0f, 60.0f, -2.0f), Vec3(0.0f, -1.0f, 0.0f), &hit, 6));
    EXPECT_NEAR(hit.y, GROUND + 4.0f, 0.05f) << "a ray from above lands on the deck";
}

TEST_F(TerrainObjects, TerrainHolesTakeAwayTheGroundTheyCoverWhole)
{
    // At query x 40 (grid column 80), z 0 (grid row 64): it covers the grid corners 79..81 and
    // 63..65, so the four quads between them lose both triangles.
    Hole(Vec3(40.0f, GROUND, 0.0f), 3.0f);
    Hole(Vec3(-40.0f, GROUND, 0.0f), 3.0f, ENTITY_MESH_BLOCKER);  // not drawn last: no hole
    Terrain terrain;
    LogCaptureBegin();
    BuildTerrain(terrain, 128, 128, [](int, int) { return 2.0f; });
    std::string log = LogCaptureEnd();
    EXPECT_EQ(log.find("terrain holes"), std::string::npos) << log;

    int triangles = 0;
    std::set<std::pair<int, int>> quads = GroundQuads(terrain, &triangles);
    EXPECT_EQ(triangles, 2 * 127 * 127 - 8);
    for (int x = 79; x < 81; ++x)
        for (int z = 63; z < 65; ++z) EXPECT_EQ(quads.count({x, z}), 0u) << x << ", " << z;
    EXPECT_EQ(quads.count({78, 64}), 1u) << "half covered: kept";
    EXPECT_EQ(quads.count({47, 64}), 1u) << "not mirrored onto the other side";
    EXPECT_EQ(terrain.coverEntities.count, 0) << "only while the chunks are built";

    // As many holes as the level can hold all cut the ground.
    TheScene.ReleaseEntities();
    for (int i = 0; i < MAX_COVER_ENTITIES; ++i)
        Hole(Vec3(-140.0f + (i % 10) * 30.0f, GROUND, -140.0f + (i / 10) * 30.0f), 3.0f);
    LogCaptureBegin();
    terrain.BuildMeshes(terrain.chunksPerSide);
    log = LogCaptureEnd();
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    GroundQuads(terrain, &triangles);
    EXPECT_EQ(triangles, 2 * 127 * 127 - 8 * MAX_COVER_ENTITIES);
}
