// Mesh buffers on the device: a device reset releases and restores every mesh of the library
// and the picture comes back the same; an instance batch draws no more than 16-bit indices
// reach; a unit's own mesh, handed back, frees its buffers; a copy shares only the index
// buffer it has not changed and frees only its own.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"
#include "host/GfxDevice.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "tests/render/MeshDrawSupport.h"

namespace {


Matrix Translation(float x, float y, float z)
{
    Matrix m;
    MatrixTranslation(&m, x, y, z);
    return m;
}

// Plays the walk on a walker from its first frame.
void Walk(IndexedMesh* walker, float seconds)
{
    if (walker->animationCount == 0) {
        walker->AddAnimation("walker_walk.txt", true);
        walker->slotAnimationId[0] = ANIM_WALK;
        walker->animationSlot[ANIM_WALK] = 0;
        walker->SetAnimation(0, false, true);
    }
    ++FrameTimer.frameCount;
    walker->AdvanceAnimation(seconds);
    walker->Update(seconds);
}

}  // namespace

TEST_F(MeshDrawTest, ADeviceResetRestoresEveryMeshAsItWas)
{
    // A unit in mid-stride, a second one of its own, a copy of the hopper tinted as a fading
    // decal would be, and a batch of hoppers with a random tint.
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    IndexedMesh* other = meshes->GetMesh("walker.txt", 0, true, false);
    Walk(walker, 0.3f);
    IndexedMesh* hopper = meshes->GetMesh("hopper_full.txt", 0, true, false);
    IndexedMesh tinted;
    tinted.Clone(*hopper);
    tinted.SetVertexColours(0, 0xFF3060C0u);
    IndexedMesh batch;
    ASSERT_EQ(batch.AddInstance(Translation(0.0f, 0.0f, 0.0f), false, hopper), 0);
    ASSERT_EQ(batch.AddInstance(Translation(0.8f, 0.0f, 0.4f), false, nullptr), 1);
    batch.Skin(0, true, 2, false);
    ASSERT_EQ(meshes->ClonedCount(), 2);

    auto scene = [&] {
        struct Placed {
            IndexedMesh* mesh;
            Matrix world;
        } placed[] = {
            {walker, Translation(-0.8f, 0.0f, 0.0f)},  {other, Translation(0.9f, 0.0f, 0.5f)},
            {&tinted, Translation(0.2f, 0.0f, -1.2f)}, {&batch, Translation(-1.2f, 0.0f, -1.5f)},
        };
        for (const Placed& p : placed) {
            SetWorld(p.world);
            p.mesh->Render(0, false);
        }
    };
    LookAt(Vec3(1.5f, 2.5f, 4.5f), Vec3(0.0f, 0.7f, -0.4f), kAspect);
    MeshPicture before = DrawOnBackBuffer(scene);
    ASSERT_GT(before.CoveredCount(), 300);

    // The reset succeeds only when no buffer of the default pool is left.
    Graphics->device->ForceDeviceLoss(0);
    ASSERT_EQ(Graphics->CheckDeviceLost(), DEVICE_USABLE);
    for (int i = 0; i < meshes->LoadedCount(); ++i) EXPECT_FALSE(meshes->LoadedEntry(i).flags & MESH_ENTRY_RELEASED);
    for (int i = 0; i < meshes->ClonedCount(); ++i) EXPECT_FALSE(meshes->ClonedEntry(i).flags & MESH_ENTRY_RELEASED);

    // The device comes back with its default states.
    RenderStates.Reset();
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    LookAt(Vec3(1.5f, 2.5f, 4.5f), Vec3(0.0f, 0.7f, -0.4f), kAspect);
    MeshPicture after = DrawOnBackBuffer(scene);
    int different = 0;
    for (size_t i = 0; i < before.argb.size(); ++i) different += before.argb[i] != after.argb[i];
    EXPECT_EQ(different, 0) << "the pose, the tint and the batch are as they were";

    // Released twice (a reset retried) and restored once: every mesh comes back once.
    meshes->ReleaseAll();
    meshes->ReleaseAll();
    EXPECT_FALSE(walker->subMeshes[0].vertexBuffer);
    meshes->RestoreAll();
    EXPECT_TRUE(walker->subMeshes[0].vertexBuffer);
    EXPECT_TRUE(batch.subMeshes[0].vertexBuffer);
}

TEST_F(MeshDrawTest, AnInstanceBatchDrawsNoMoreThanItsIndicesReach)
{
    // A tile of 32 x 32 vertices: 64 of them fill 16-bit indices exactly.
    ModelBuilder model(WHITE_TEXTURE, MESH_EFFECT);
    model.Add(Grid(0.5f, 0.5f, 31));
    IndexedMesh tile;
    model.Build(&tile);
    ASSERT_TRUE(tile.BuildBuffers(nullptr, false));
    ASSERT_EQ(tile.materials[0].VertexCount(), 1024);
    ASSERT_EQ(tile.MaxInstancesPerBatch(), 64);

    // An 8 x 8 board of tiles, then a ninth row that does not fit.
    auto place = [](int k) { return Vec3(-2.8f + 0.8f * (k % 8), 0.0f, -2.8f + 0.8f * (k / 8)); };
    IndexedMesh batch;
    int accepted = 0;
    for (int k = 0; k < 72; ++k) {
        Vec3 p = place(k);
        if (batch.AddInstance(Translation(p.x, p.y, p.z), false, k == 0 ? &tile : nullptr) >= 0) ++accepted;
    }
    EXPECT_EQ(accepted, 64);
    // A caller that fills the list behind the batch's back gets no more drawn either.
    for (int k = 64; k < 72; ++k) {
        Vec3 p = place(k);
        batch.instanceMatrices.push_back(Translation(p.x, p.y, p.z));
        batch.instanceFlags.push_back(0);
    }
    batch.Skin(0, true, 0, false);
    EXPECT_EQ(batch.subMeshes[0].vertices.size(), 65536u);

    const int size = 128;
    LookAt(Vec3(0.0f, 9.0f, -2.0f), Vec3(0.0f, 0.0f, 0.4f), 1.0f);
    MeshPicture picture = DrawOnTarget(size, size, [&] { batch.Render(0, false); });
    ASSERT_EQ(picture.width, size);
    for (int k = 0; k < 72; ++k) {
        Vec3 p = place(k);
        Vec3 at = Project(Vec3(-p.x, p.y, p.z), size, size);
        ASSERT_GE(at.x, 0.0f);
        ASSERT_LT(at.y, (float)size);
        EXPECT_EQ(picture.Covered((int)(at.x + 0.5f), (int)(at.y + 0.5f)), k < 64) << "instance " << k;
    }
}

TEST_F(MeshDrawTest, MeshesHandedBackAndCopiesFreeOnlyTheirOwnBuffers)
{
    GfxDevice* device = Graphics->device;
    LookAt(Vec3(0.0f, 1.2f, 1.6f), Vec3(0.0f, 0.15f, 0.0f), kAspect);

    // A unit's own walker, handed back, takes its vertex buffer with it.
    IndexedMesh* prototype = meshes->GetMesh("walker.txt", 0, true, false);
    IndexedMesh* own = meshes->GetMesh("walker.txt", 0, true, false);
    ASSERT_NE(own, prototype);
    // (Drawn first, so that the device no longer has its buffer bound.)
    DrawOnBackBuffer([&] {
        own->Render(0, false);
        prototype->Render(0, false);
    });
    uint32_t buffers = device->GetDefaultPoolResourceCount();
    EXPECT_TRUE(meshes->ReleaseMesh(own));
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), buffers - 1);
    EXPECT_EQ(meshes->LoadedCount(), 1);

    // A copy draws from the hopper's index buffer and its own vertices.
    IndexedMesh* hopper = meshes->GetMesh("hopper_full.txt", 0, true, false);
    MeshPicture original = DrawOnBackBuffer([&] { hopper->Render(0, false); });
    ASSERT_GT(original.CoveredCount(), 200);
    {
        IndexedMesh copy;
        copy.Clone(*hopper);
        EXPECT_EQ(copy.subMeshes[0].indexBuffer.Get(), hopper->subMeshes[0].indexBuffer.Get());
        EXPECT_NE(copy.subMeshes[0].vertexBuffer.Get(), hopper->subMeshes[0].vertexBuffer.Get());
        copy.SetVertexColours(0, 0xFFFF0000u);
        MeshPicture red = DrawOnBackBuffer([&] { copy.Render(1, true); });
        EXPECT_EQ(red.CoveredCount(), original.CoveredCount());
        EXPECT_EQ(red.At(kScreenWidth / 2, kScreenHeight / 2) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(DrawOnBackBuffer([&] { hopper->Render(0, false); }).argb, original.argb);

        // Rewriting its indices (a batch of two) gives the copy an index buffer of its own.
        ASSERT_EQ(copy.AddInstance(Translation(0.0f, 0.0f, 0.0f), false, nullptr), 0);
        ASSERT_EQ(copy.AddInstance(Translation(0.0f, 0.0f, 5.0f), true, nullptr), 1);
        DrawOnBackBuffer([&] { copy.Render(0, false); });
        EXPECT_NE(copy.subMeshes[0].indexBuffer.Get(), hopper->subMeshes[0].indexBuffer.Get());
        EXPECT_EQ(DrawOnBackBuffer([&] { hopper->Render(0, false); }).argb, original.argb);

        // Given up by its user, the copy lets go of its buffers at once.
        buffers = device->GetDefaultPoolResourceCount();
        meshes->RemoveMesh(&copy);
        EXPECT_EQ(device->GetDefaultPoolResourceCount(), buffers - 1);
    }
    // The copy is gone; what it shared still draws the hopper.
    EXPECT_EQ(meshes->ClonedCount(), 0);
    {
        IndexedMesh copy;
        copy.Clone(*hopper);
    }
    EXPECT_EQ(DrawOnBackBuffer([&] { hopper->Render(0, false); }).argb, original.argb);
}
