// Entities that snap to the ground are put on it at the level's start: at the ground under
// where they stand, and for one that hangs on a bone of another, under the bone.
#include "mechanics/Scene.h"

#include "host/System.h"
#include "render/IndexedMesh.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "tests/world/WorldTestSupport.h"

#include <cmath>

namespace {

constexpr int N = 128;

class DropToTerrain : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, "none");
        TheTerrain.Create(N, N);
        // A slope rising along x: every place has a height of its own.
        for (int z = 0; z < N; ++z)
            for (int x = 0; x < N; ++x) TheTerrain.heightmap->data[(size_t)z * N + x] = 0.05f * (float)x;
        TheTerrain.UpdateNormals(0, 0, 0);
    }
    void TearDown() override
    {
        TheTerrain.Free();
        WorldTest::TearDown();
    }
    ScopedGlobal<char[256]> heightmapName{TheScene.heightmapName};
};

TEST_F(DropToTerrain, AnEntityOnABoneLandsUnderTheBone)
{
    Entity* post = NewEntity(ENTITY_SNAP_TO_GROUND);
    const Vec3 postAt = Corner(40, 60) + Vec3(0.0f, 50.0f, 0.0f);
    post->SetPosition(postAt);
    ASSERT_NE(TheScene.AddEntity(post), nullptr);

    Entity* holder = NewEntity(0);
    holder->SetPosition(Corner(80, 60));
    ASSERT_NE(TheScene.AddEntity(holder), nullptr);
    MeshJoint bone;
    MatrixIdentity(&bone.worldMatrix);
    bone.worldMatrix._41 = -30.0f;  // mirrored on the way to the world: 30 units along x
    Entity* lamp = NewEntity(ENTITY_SNAP_TO_GROUND);
    lamp->SetPosition(Corner(10, 10));  // its own place, which a hanging entity does not use
    lamp->attachBone = &bone;
    lamp->attachParent = holder;
    ASSERT_NE(TheScene.AddEntity(lamp), nullptr);
    const Vec3 underBone = lamp->GetAttachedPosition();
    ASSERT_GT(std::fabs(TheTerrain.GetHeight(underBone) - TheTerrain.GetHeight(Corner(10, 10))), 0.5f);

    TheScene.DropToTerrain();
    EXPECT_FLOAT_EQ(post->GetPosition().y, TheTerrain.GetHeight(postAt));
    EXPECT_FLOAT_EQ(lamp->world._42, TheTerrain.GetHeight(underBone)) << "the ground under the bone";
    EXPECT_FLOAT_EQ(lamp->world._41, underBone.x);
    lamp->attachBone = nullptr;
    lamp->attachParent = nullptr;
}

}  // namespace
