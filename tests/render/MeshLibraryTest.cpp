// The mesh and animation libraries as their callers meet them: names compared with case,
// shared static meshes and private skinned ones, deferred loading, clones that share the file
// data and free only what is theirs, and instance batches that fit one draw.
#include "host/Log.h"
#include "render/AnimLibrary.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"
#include "render/MeshLibrary.h"
#include "tests/render/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A mesh package with the generated meshes and animations, and both libraries in place.
class MeshLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseGeneratedMeshPackages();
        meshes = std::make_unique<MeshLibrary>();
        animations = std::make_unique<AnimLibrary>();
        TheMeshLibrary = meshes.get();
        TheAnimLibrary = animations.get();
    }
    void TearDown() override
    {
        meshes.reset();
        animations.reset();
        UseShippedMeshPackages();
    }

    std::unique_ptr<MeshLibrary> meshes;
    std::unique_ptr<AnimLibrary> animations;
};

}  // namespace

TEST_F(MeshLibraryTest, NamesCompareWithCaseAndStaticMeshesAreShared)
{
    IndexedMesh* sky = meshes->GetMesh("data/skys/skybox.txt", 0, true, false);
    ASSERT_TRUE(sky->IsAnimated());
    EXPECT_EQ(meshes->GetMesh("data/skys/skybox.txt", 0, true, false), sky);
    IndexedMesh* other = meshes->GetMesh("data/Skys/skybox.txt", 0, true, false);
    EXPECT_NE(other, sky) << "another spelling is another entry";
    EXPECT_TRUE(other->IsAnimated()) << "the package itself finds names without regard to case";
    EXPECT_EQ(meshes->LoadedCount(), 2);
    EXPECT_TRUE(meshes->IsLoaded("data/skys/skybox.txt"));
    EXPECT_FALSE(meshes->IsLoaded("data/skys/SKYBOX.txt"));
}

TEST_F(MeshLibraryTest, EachUserOfABuiltSkinnedMeshGetsItsOwnAndHandsItBack)
{
    IndexedMesh* prototype = meshes->GetMesh("walker.txt", 0, true, false);
    ASSERT_TRUE(prototype->IsSkinned());
    IndexedMesh* first = meshes->GetMesh("walker.txt", 0, true, false);
    IndexedMesh* second = meshes->GetMesh("walker.txt", 0, true, false);
    EXPECT_NE(first, prototype);
    EXPECT_NE(first, second);
    EXPECT_EQ(meshes->LoadedCount(), 3);
    EXPECT_EQ(first->materials[0].VertexCount(), prototype->materials[0].VertexCount());

    // Agents come and go all game long: their meshes must not pile up.
    for (int agent = 0; agent < 600; ++agent) {
        IndexedMesh* own = meshes->GetMesh("walker.txt", 0, false, false);
        EXPECT_TRUE(meshes->ReleaseMesh(own));
    }
    EXPECT_TRUE(meshes->ReleaseMesh(first));
    EXPECT_FALSE(meshes->ReleaseMesh(prototype)) << "the first one is shared";
    EXPECT_FALSE(meshes->ReleaseMesh(first)) << "already handed back";
    EXPECT_EQ(meshes->LoadedCount(), 2);
}

TEST_F(MeshLibraryTest, DeferredMeshesLoadInOnePass)
{
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, false, false);
    EXPECT_EQ(meshes->GetMesh("walker.txt", 0, false, false), walker) << "not built yet, so still shared";
    IndexedMesh* missing = meshes->GetMesh("data/mesh/nothing.txt", 0, false, false);
    meshes->GetMesh("splat.txt", 0, false, false);
    Animation* idle = walker->AddAnimation("data/anims/walker_idle.txt", false);
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->ChannelCount(), 0) << "waits for its mesh";

    LogCaptureBegin();
    meshes->DumpList();
    std::string listing = LogCaptureEnd();
    EXPECT_NE(listing.find("MESH LIST: (count 3)"), std::string::npos);
    EXPECT_NE(listing.find("\twalker.txt    [NOT LOADED]\n"), std::string::npos);

    EXPECT_TRUE(meshes->IsLoaded("splat.txt"));
    LogCaptureBegin();
    std::vector<float> progress;
    static std::vector<float>* shown;
    shown = &progress;
    meshes->LoadAll([](const char*, float value, bool) { shown->push_back(value); });
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR: trying to load mesh data/mesh/nothing.txt"), std::string::npos);
    EXPECT_NE(log.find("Total Mesh Loading : "), std::string::npos);
    EXPECT_FALSE(progress.empty());
    EXPECT_TRUE(walker->IsSkinned());
    EXPECT_FALSE(missing->IsAnimated());
    for (int i = 0; i < meshes->LoadedCount(); ++i) EXPECT_EQ(meshes->LoadedEntry(i).flags & MESH_ENTRY_DEFERRED, 0u);

    meshes->LoadPendingAnimations();
    EXPECT_GT(idle->ChannelCount(), 0);
    EXPECT_EQ(idle->channels[0].jointIndex, walker->FindJoint(idle->channels[0].jointName));
}

TEST_F(MeshLibraryTest, AnimationsAreSharedByName)
{
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    Animation* walk = walker->AddAnimation("walker_walk.txt", true);
    ASSERT_NE(walk, nullptr);
    EXPECT_GT(walk->ChannelCount(), 0);
    IndexedMesh* other = meshes->GetMesh("walker.txt", 0, true, false);
    EXPECT_EQ(other->AddAnimation("walker_walk.txt", true), walk);
    EXPECT_NE(other->AddAnimation("Walker_Walk.txt", true), walk) << "names compare with case";
    EXPECT_EQ(animations->RecordCount(), 2);

    // A waiting record never matches, so a second request before loading makes a second one;
    // a record whose mesh went away waits for good instead of reading a dead mesh.
    IndexedMesh* third = meshes->GetMesh("walker.txt", 0, true, false);
    Animation* first = third->AddAnimation("walker_pain.txt", false);
    EXPECT_NE(third->AddAnimation("walker_pain.txt", false), first);
    EXPECT_TRUE(meshes->ReleaseMesh(third));
    meshes->LoadPendingAnimations();
    EXPECT_EQ(first->ChannelCount(), 0);

    for (int i = 0; i < 9; ++i) other->AddAnimation("walker_idle.txt", true);
    LogCaptureBegin();
    EXPECT_EQ(other->AddAnimation("walker_idle.txt", true), nullptr) << "eleven slots at most";
    LogCaptureEnd();
}

TEST_F(MeshLibraryTest, ClonesShareTheFileDataAndFreeOnlyTheirOwn)
{
    IndexedMesh* prototype = meshes->GetMesh("walker.txt", 0, true, false);
    prototype->AddAnimation("walker_idle.txt", true);
    prototype->animationSlot[ANIM_IDLE] = 0;
    {
        IndexedMesh clone;
        clone.Clone(*prototype);
        EXPECT_STREQ(clone.name, "walker_clone");
        EXPECT_EQ(meshes->ClonedCount(), 1);
        EXPECT_EQ(clone.materials[0].geometry, prototype->materials[0].geometry);
        EXPECT_NE(&clone.joints[0], &prototype->joints[0]);
        EXPECT_EQ(clone.animations[0], prototype->animations[0]);
        EXPECT_TRUE(clone.IsSkinned());

        // Posing the clone leaves the prototype where it was.
        clone.Update(0.3f);
        clone.Update(0.3f);
        EXPECT_EQ(prototype->joints[clone.FindJoint("Turret")].rotation, Vec3());
        EXPECT_NE(clone.joints[clone.FindJoint("Turret")].rotation, Vec3());

        // Changing a clone's geometry gives it its own copy first.
        clone.materials[0].EditGeometry().vertices[0].position.y += 1.0f;
        EXPECT_NE(clone.materials[0].geometry, prototype->materials[0].geometry);
    }
    EXPECT_EQ(meshes->ClonedCount(), 0) << "a destroyed clone leaves the list";
    EXPECT_EQ(prototype->materials[0].geometry.use_count(), 1);

    auto survivor = std::make_unique<IndexedMesh>();
    survivor->Clone(*prototype);
    meshes->Add(survivor.get(), "decal", 0);
    EXPECT_EQ(meshes->ClonedCount(), 2);
    meshes->RemoveMesh(survivor.get());
    EXPECT_EQ(meshes->ClonedCount(), 0);
    survivor->Clone(*prototype);
    meshes.reset();
    survivor.reset();  // the library went first: nothing to tell it
}

TEST_F(MeshLibraryTest, InstanceBatchesStayWithinSixteenBitIndices)
{
    IndexedMesh* splat = meshes->GetMesh("splat.txt", 0, true, false);
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    Matrix identity;
    MatrixIdentity(&identity);

    // A debug grid keeps to one draw too: a rectangle that would not fit is left out.
    IndexedMesh grid;
    int rectangles[] = {0, 0, 3, 2, 0, 0, 300, 300};
    LogCaptureBegin();
    grid.CreateDebugGrid(Vec3(), rectangles, 2, 2.5f);
    EXPECT_NE(LogCaptureEnd().find("WARNING"), std::string::npos);
    EXPECT_EQ(grid.materials[0].VertexCount(), 12);
    EXPECT_EQ(grid.materials[0].TriangleCount(), 12);
    EXPECT_TRUE(grid.IsAnimated());

    IndexedMesh twoParts;
    twoParts.materials.resize(2);
    twoParts.materials[0] = splat->materials[0];
    twoParts.materials[1] = splat->materials[0];
    ASSERT_TRUE(twoParts.BuildBuffers(nullptr, false));
    IndexedMesh refused;
    EXPECT_EQ(refused.AddInstance(identity, false, &twoParts), -1);
    EXPECT_EQ(refused.InstanceCount(), 0);

    // Placed copies: at most 128, fewer when their vertices would overflow 16-bit indices.
    const int vertexCount = walker->materials[0].VertexCount();
    IndexedMesh trees;
    int added = 0;
    for (int i = 0; i < 200; ++i) {
        Matrix at;
        MatrixTranslation(&at, (float)i, 0.0f, 0.0f);
        if (trees.AddInstance(at, false, i == 0 ? walker : nullptr) >= 0) ++added;
    }
    EXPECT_EQ(added, std::min(128, 65536 / vertexCount));
    trees.Skin(0, true, 0, false);
    const SubMesh& sub = trees.subMeshes[0];
    EXPECT_EQ(sub.vertices.size(), (size_t)added * vertexCount);
    uint16_t highest = 0;
    for (uint16_t index : sub.indices) highest = std::max(highest, index);
    EXPECT_EQ(highest, added * vertexCount - 1) << "indices reach the last copy and never wrap";
    EXPECT_NEAR(trees.boundsMax.x - trees.boundsMin.x, (added - 1) + (walker->boundsMax.x - walker->boundsMin.x), 1e-3f);

    IndexedMesh splats;
    for (int i = 0; i < 130; ++i) splats.AddInstance(identity, false, i == 0 ? splat : nullptr);
    EXPECT_EQ(splats.InstanceCount(), 128);
    splats.ClearInstances();
    EXPECT_EQ(splats.InstanceCount(), 0);
    EXPECT_FALSE(splats.flags & MESH_INSTANCED);
}
