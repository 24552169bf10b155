// The lost-device protocol run as the frame function runs it: a lost device is polled, reset
// when it can be, and everything the game drew with comes back.
#include "render/GraphicsDevice.h"

#include "host/GfxBuffers.h"
#include "host/GfxDevice.h"
#include "host/GfxTexture.h"
#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "render/TextureManager.h"
#include "tests/render/RenderTestSupport.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Another owner of device objects: one vertex buffer in the default pool.
struct BufferOwner {
    GfxVertexBuffer* buffer = nullptr;
    int releases = 0;
    int restores = 0;

    static void Release(void* user)
    {
        BufferOwner* owner = static_cast<BufferOwner*>(user);
        ++owner->releases;
        SafeRelease(&owner->buffer);
    }
    static void Restore(void* user)
    {
        BufferOwner* owner = static_cast<BufferOwner*>(user);
        ++owner->restores;
        owner->Make();
    }
    bool Make()
    {
        struct Vertex {
            float x, y, z, rhw;
            uint32_t colour;
        };
        if (!Graphics->CreateVertexBuffer(4 * sizeof(Vertex), USAGE_WRITEONLY, FVF_XYZRHW | FVF_DIFFUSE, &buffer))
            return false;
        void* data = nullptr;
        if (!Graphics->LockVertexBuffer(4 * sizeof(Vertex), &data, buffer)) return false;
        Vertex quad[4] = {{0, 0, 0.5f, 1, 0xFF00FF00},
                          {16, 0, 0.5f, 1, 0xFF00FF00},
                          {0, 16, 0.5f, 1, 0xFF00FF00},
                          {16, 16, 0.5f, 1, 0xFF00FF00}};
        memcpy(data, quad, sizeof quad);
        return Graphics->UnlockBuffer(buffer);
    }
};

// Polls as the frame function does; the state of each frame.
std::vector<int> PollUntilUsable(int frames)
{
    std::vector<int> states;
    for (int frame = 0; frame < frames; ++frame) {
        states.push_back(Graphics->CheckDeviceLost());
        if (states.back() == DEVICE_USABLE) break;
    }
    return states;
}

std::vector<int> Sequence(std::initializer_list<int> values)
{
    return std::vector<int>(values);
}

}  // namespace

TEST_F(RenderTest, AForcedLossIsSurvivedWithEveryTextureBack)
{
    const char* const files[] = {
        "data/textures/white.dds",         "data/textures/grid.dds",
        "data/textures/default.dds",       "data/textures/normalmapnone.dds",
        "data/textures/math/pow1d_30.dds", "data/textures/colormaps/defaultcolor.dds",
        "data/textures/particle.dds",      "Data/gui/story/presents_text.dds",
        "Data/gui/commandicons.dds",       "data/textures/units/missing.dds",
    };
    std::vector<TextureRecord*> records;
    std::vector<uint32_t> texels;
    for (const char* file : files) {
        records.push_back(textures->GetTexture(file));
        ASSERT_NE(records.back()->texture, nullptr) << file;
        texels.push_back(TexelAt(records.back()->texture, 1, 0));
    }
    TextureRecord* screen = textures->CreateRenderTarget(kScreenWidth, kScreenHeight, FMT_A8R8G8B8, "RT_renderTarget");
    TextureRecord* glow = textures->CreateRenderTarget(32, 32, FMT_A8R8G8B8, "RT_glow");
    TextureRecord* fog = textures->CreateDynamicTexture(64, 64, FMT_A8R8G8B8, "rt_fogofwar_dynamic", 1);
    BufferOwner owner;
    ASSERT_TRUE(owner.Make());
    SetDeviceReleaseStep(RELEASE_MESHES, BufferOwner::Release, &owner);
    SetDeviceRestoreStep(RESTORE_MESHES, BufferOwner::Restore, &owner);

    graphics->device->ForceDeviceLoss(2);
    EXPECT_EQ(PollUntilUsable(5), Sequence({DEVICE_LOST, DEVICE_LOST, DEVICE_USABLE}));
    EXPECT_EQ(owner.releases, 1);
    EXPECT_EQ(owner.restores, 1);

    for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_NE(records[i]->texture, nullptr) << files[i];
        EXPECT_EQ(TexelAt(records[i]->texture, 1, 0), texels[i]) << files[i];
    }
    for (TextureRecord* record : {screen, glow, fog}) EXPECT_TRUE(record->IsLoaded()) << record->key;

    // And the game draws with them: the white texture under a green vertex colour.
    graphics->Clear(7, 0, 0, 0, 1);
    graphics->BeginScene();
    graphics->SetTexture(records[0], 0);
    graphics->SetRenderState(false);
    graphics->device->SetRenderState(RS_FOGENABLE, 0);
    ASSERT_TRUE(graphics->SetStreamSource(owner.buffer, 20));
    graphics->SetFVF(FVF_XYZRHW | FVF_DIFFUSE);
    EXPECT_TRUE(graphics->DrawPrimitive(PT_TRIANGLESTRIP, 2));
    EXPECT_EQ(BackBufferPixel(8, 8), 0xFF00FF00u);
    EXPECT_EQ(BackBufferPixel(20, 20), 0xFF000000u);
    graphics->SetTexture(nullptr, 0);
    graphics->device->SetStreamSource(0, nullptr, 0, 0);
    graphics->SetRenderState(true);
    graphics->device->SetRenderState(RS_FOGENABLE, 1);
    EXPECT_TRUE(graphics->Present());

    BufferOwner::Release(&owner);
}

TEST_F(RenderTest, AResetThatFindsTheDeviceStillLostIsRetried)
{
    TextureRecord* white = textures->GetTexture("data/textures/white.dds");
    TextureRecord* glow = textures->CreateRenderTarget(16, 16, FMT_A8R8G8B8, "RT_glow");
    BufferOwner owner;
    ASSERT_TRUE(owner.Make());
    SetDeviceReleaseStep(RELEASE_TERRAIN, BufferOwner::Release, &owner);
    SetDeviceRestoreStep(RESTORE_TERRAIN, BufferOwner::Restore, &owner);

    graphics->device->ForceDeviceLoss(0);
    graphics->device->ForceResetFailure(ERR_DEVICELOST, 1);
    LogCaptureBegin();
    std::vector<int> states = PollUntilUsable(5);
    std::string log = LogCaptureEnd();
    EXPECT_EQ(states, Sequence({DEVICE_LOST, DEVICE_USABLE}));
    EXPECT_NE(log.find("IDirect3DDevice9::Reset D3DERR_DEVICELOST.\n"), std::string::npos) << log;
    EXPECT_NE(log.find("IDirect3DDevice9::Reset OK!!!.\n"), std::string::npos) << log;
    // The release list ran twice, harmlessly; the restore list once.
    EXPECT_EQ(owner.releases, 2);
    EXPECT_EQ(owner.restores, 1);
    EXPECT_TRUE(white->IsLoaded());
    EXPECT_TRUE(glow->IsLoaded());
    EXPECT_NE(owner.buffer, nullptr);
    BufferOwner::Release(&owner);
}

TEST_F(RenderTest, DriverErrorsAndRefusedResetsCountAsErrors)
{
    graphics->device->ForceDriverError(1);
    LogCaptureBegin();
    EXPECT_EQ(PollUntilUsable(5), Sequence({DEVICE_ERROR, DEVICE_USABLE}));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("WARNING TestCooperativeLevel returned D3DERR_DRIVERINTERNALERROR\n"), std::string::npos);

    // An owner that forgot to register keeps the device from being reset.
    BufferOwner forgotten;
    ASSERT_TRUE(forgotten.Make());
    graphics->device->ForceDeviceLoss(0);
    LogCaptureBegin();
    EXPECT_EQ(graphics->CheckDeviceLost(), DEVICE_ERROR);
    log = LogCaptureEnd();
    EXPECT_NE(log.find("IDirect3DDevice9::Reset returned D3DERR_INVALIDCALL.\n"), std::string::npos) << log;
    SetDeviceReleaseStep(RELEASE_PARTICLES, BufferOwner::Release, &forgotten);
    EXPECT_EQ(PollUntilUsable(5), Sequence({DEVICE_USABLE}));
    EXPECT_EQ(forgotten.buffer, nullptr);
}

TEST_F(RenderTest, TheListsRunInTheirFixedOrder)
{
    static std::vector<std::string> calls;
    calls.clear();
    for (int step = 0; step < RELEASE_STEP_COUNT; ++step)
        if (step != RELEASE_TEXTURE_MANAGER)
            SetDeviceReleaseStep((DeviceReleaseStep)step,
                                 [](void* user) { calls.push_back("release " + std::to_string((intptr_t)user)); },
                                 (void*)(intptr_t)step);
    for (int step = 0; step < RESTORE_STEP_COUNT; ++step)
        if (step != RESTORE_TEXTURE_MANAGER)
            SetDeviceRestoreStep((DeviceRestoreStep)step,
                                 [](void* user) { calls.push_back("restore " + std::to_string((intptr_t)user)); },
                                 (void*)(intptr_t)step);
    ASSERT_EQ(graphics->ResetDevice(), DEVICE_USABLE);
    std::vector<std::string> expected;
    for (int step = 0; step < RELEASE_STEP_COUNT; ++step)
        if (step != RELEASE_TEXTURE_MANAGER) expected.push_back("release " + std::to_string(step));
    for (int step = 0; step < RESTORE_STEP_COUNT; ++step)
        if (step != RESTORE_TEXTURE_MANAGER) expected.push_back("restore " + std::to_string(step));
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(RELEASE_STEP_COUNT, 15);
    EXPECT_EQ(RESTORE_STEP_COUNT, 15);
}
