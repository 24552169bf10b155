#include "GfxTestSupport.h"

#include "host/GfxWindow.h"

#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace {

struct Shared {
    GfxWindow window;
    GfxDevice* device = nullptr;
    bool tried = false;
};
Shared* shared = nullptr;

class GfxEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (!shared) return;
        if (shared->device) shared->device->Release();
        shared->window.Destroy();
        delete shared;
        shared = nullptr;
    }
};
::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new GfxEnvironment);

}  // namespace

GfxDevice* TestDevice()
{
    if (!shared) shared = new Shared();
    if (!shared->tried) {
        shared->tried = true;
        if (shared->window.Create("Veldmark", kTestWidth, kTestHeight, false)) {
            PresentParameters params;
            params.BackBufferWidth = kTestWidth;
            params.BackBufferHeight = kTestHeight;
            params.PresentationInterval = PRESENT_INTERVAL_IMMEDIATE;
            GfxDevice::Create(&shared->window, &params, &shared->device);
        }
    }
    return shared->device;
}

static Pixels ReadSurface(GfxDevice* device, GfxSurface* target)
{
    Pixels pixels;
    GfxSurface* copy = nullptr;
    SurfaceDesc desc;
    target->GetDesc(&desc);
    if (GfxFailed(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, POOL_SYSTEMMEM, &copy)))
        return pixels;
    if (GfxSucceeded(device->GetRenderTargetData(target, copy))) {
        LockedRect locked;
        if (GfxSucceeded(copy->LockRect(&locked, nullptr, LOCK_READONLY))) {
            pixels.width = desc.Width;
            pixels.height = desc.Height;
            pixels.argb.resize((size_t)desc.Width * desc.Height);
            for (uint32_t y = 0; y < desc.Height; ++y) {
                const uint32_t* row = (const uint32_t*)((const uint8_t*)locked.pBits + (size_t)y * locked.Pitch);
                for (uint32_t x = 0; x < desc.Width; ++x)
                    pixels.argb[(size_t)y * desc.Width + x] =
                        desc.Format == FMT_X8R8G8B8 ? (row[x] | 0xFF000000u) : row[x];
            }
            copy->UnlockRect();
        }
    }
    copy->Release();
    return pixels;
}

Pixels ReadBackBuffer(GfxDevice* device)
{
    GfxSurface* back = nullptr;
    device->GetBackBuffer(0, 0, &back);
    Pixels pixels = ReadSurface(device, back);
    back->Release();
    return pixels;
}

Pixels ReadTarget(GfxDevice* device, GfxSurface* target) { return ReadSurface(device, target); }

bool Near(uint32_t actual, uint32_t expected, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (a - e > tolerance || e - a > tolerance) return false;
    }
    return true;
}

::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance)
{
    if (Near(actual, expected, tolerance)) return ::testing::AssertionSuccess();
    char text[64];
    snprintf(text, sizeof(text), "0x%08X, expected 0x%08X", actual, expected);
    return ::testing::AssertionFailure() << text;
}

void DrawScreenQuad(GfxDevice* device, float x0, float y0, float x1, float y1, uint32_t color, float z)
{
    // Pixel centres lie on whole coordinates: the quad's edges sit half a pixel before them.
    ScreenVertex v[4] = {
        {x0 - 0.5f, y0 - 0.5f, z, 1, color, 0, 0},
        {x1 - 0.5f, y0 - 0.5f, z, 1, color, 1, 0},
        {x1 - 0.5f, y1 - 0.5f, z, 1, color, 1, 1},
        {x0 - 0.5f, y1 - 0.5f, z, 1, color, 0, 1},
    };
    device->SetFVF(kScreenFVF);
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex));
}

void GfxTest::SetUp()
{
    device = TestDevice();
    if (!device) GTEST_SKIP() << "no display for OpenGL";
    device->SetCompressedTextures(true);
    // A reset gives every test the device's default states and back buffer.
    PresentParameters params;
    device->GetPresentParameters(&params);
    params.BackBufferWidth = kTestWidth;
    params.BackBufferHeight = kTestHeight;
    params.MultiSampleType = 0;
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL, 0xFF000000, 1.0f, 0), GFX_OK);
    ASSERT_EQ(device->BeginScene(), GFX_OK);
}

void GfxTest::TearDown()
{
    if (!device) return;
    device->EndScene();
    device->SetProgram(nullptr);
    for (uint32_t i = 0; i < MAX_SAMPLERS; ++i) device->SetTexture(i, nullptr);
    for (uint32_t i = 0; i < MAX_VERTEX_STREAMS; ++i) device->SetStreamSource(i, nullptr, 0, 0);
    device->SetIndices(nullptr);
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), 0u) << "a test left objects of the default pool alive";
}

ScopedTarget::ScopedTarget(GfxDevice* device, uint32_t width, uint32_t height, GfxFormat format) : device_(device)
{
    EXPECT_EQ(device->CreateTexture(width, height, 1, USAGE_RENDERTARGET, format, POOL_DEFAULT, &texture), GFX_OK);
    if (!texture) return;
    texture->GetSurfaceLevel(0, &surface_);
    device->GetRenderTarget(0, &previous_);
    device->SetRenderTarget(0, surface_);
    device->Clear(0, nullptr, CLEAR_TARGET, 0, 1.0f, 0);
}

ScopedTarget::~ScopedTarget()
{
    if (previous_) {
        device_->SetRenderTarget(0, previous_);
        previous_->Release();
    }
    if (surface_) surface_->Release();
    if (texture) texture->Release();
}

GfxTexture* MakeTexture(GfxDevice* device, uint32_t w, uint32_t h, const uint32_t* argb, uint32_t usage)
{
    GfxTexture* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(w, h, 1, usage, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    if (!texture) return nullptr;
    LockedRect locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK);
    for (uint32_t y = 0; y < h; ++y)
        memcpy((uint8_t*)locked.pBits + (size_t)y * locked.Pitch, argb + (size_t)y * w, w * 4);
    EXPECT_EQ(texture->UnlockRect(0), GFX_OK);
    return texture;
}

void UseVertexColour(GfxDevice* device)
{
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    device->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_ALPHAARG1, TA_DIFFUSE);
}
