#include "tests/support/GfxFixture.h"

#include "host/GfxImage.h"
#include "host/GfxTexture.h"
#include "host/GfxWindow.h"
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/Maths.h"

#include <algorithm>
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

int Brightest(uint32_t c)
{
    return std::max({Red(c), Green(c), Blue(c)});
}

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

bool Pixels::LitBox(int* left, int* top, int* right, int* bottom, int threshold, int x0, int y0, int x1,
                    int y1) const
{
    if (x1 < 0) x1 = width;
    if (y1 < 0) y1 = height;
    int l = x1, t = y1, r = x0 - 1, b = y0 - 1;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Brightest(At(x, y)) > threshold) {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x);
                b = std::max(b, y);
            }
    if (r < l) return false;
    *left = l;
    *top = t;
    *right = r + 1;
    *bottom = b + 1;
    return true;
}

int Pixels::CountLit(int x0, int y0, int x1, int y1, int threshold) const
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
            if (Brightest(At(x, y)) > threshold) ++n;
    return n;
}

Pixels ReadSurfacePixels(GfxDevice* device, GfxSurface* surface)
{
    Pixels pixels;
    Image image;
    if (!ReadSurfaceImage(device, surface, image)) return pixels;
    bool opaque = image.format == PixelFormat::X8R8G8B8;
    if (!opaque && image.format != PixelFormat::A8R8G8B8) return pixels;
    pixels.width = (int)image.width;
    pixels.height = (int)image.height;
    pixels.argb.resize((size_t)image.width * image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(image.Level(0, 0) + image.LevelPitch(0) * y);
        for (uint32_t x = 0; x < image.width; ++x)
            pixels.argb[(size_t)y * image.width + x] = opaque ? (row[x] | 0xFF000000u) : row[x];
    }
    return pixels;
}

Pixels ReadBackBuffer(GfxDevice* device)
{
    GfxSurface* back = nullptr;
    if (!device || GfxFailed(device->GetBackBuffer(0, 0, &back))) return Pixels();
    Pixels pixels = ReadSurfacePixels(device, back);
    back->Release();
    return pixels;
}

bool SavePixels(const Pixels& pixels, const std::string& path)
{
    Image image;
    if (!image.Create(PixelFormat::A8R8G8B8, (uint32_t)pixels.width, (uint32_t)pixels.height)) return false;
    memcpy(image.Level(0, 0), pixels.argb.data(), pixels.argb.size() * 4);
    return SaveImageFile(path.c_str(), ImageFileFormat::PNG, image);
}

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

void UseOrthographicView(GfxDevice* device, float width, float height, float zNear, float zFar)
{
    Matrix identity, projection;
    MatrixIdentity(&identity);
    MatrixOrthoLH(&projection, width, height, zNear, zFar);
    device->SetTransform(TS_WORLD, &identity);
    device->SetTransform(TS_VIEW, &identity);
    device->SetTransform(TS_PROJECTION, &projection);
}

void UseVertexColour(GfxDevice* device)
{
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    device->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_ALPHAARG1, TA_DIFFUSE);
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

GfxTexture* SolidTexture(GfxDevice* device, uint32_t argb)
{
    return MakeTexture(device, 1, 1, &argb);
}

ScopedTarget::ScopedTarget(GfxDevice* device, uint32_t width, uint32_t height, GfxFormat format, bool withDepth)
    : device_(device)
{
    EXPECT_EQ(device->CreateTexture(width, height, 1, USAGE_RENDERTARGET, format, POOL_DEFAULT, &texture), GFX_OK);
    if (!texture) return;
    EXPECT_EQ(texture->GetSurfaceLevel(0, &surface_), GFX_OK);
    if (withDepth) {
        EXPECT_EQ(device->CreateDepthStencilSurface(width, height, FMT_D24S8, 0, 0, false, &depth_), GFX_OK);
        if (!depth_) return;
    }
    if (!surface_) return;
    device->GetRenderTarget(0, &previous_);
    device->SetRenderTarget(0, surface_);
    if (depth_) {
        device->GetDepthStencilSurface(&previousDepth_);
        device->SetDepthStencilSurface(depth_);
    }
    device->Clear(0, nullptr, CLEAR_TARGET, 0, 1.0f, 0);
}

ScopedTarget::~ScopedTarget()
{
    if (previous_) {
        device_->SetRenderTarget(0, previous_);
        previous_->Release();
    }
    if (previousDepth_) {
        device_->SetDepthStencilSurface(previousDepth_);
        previousDepth_->Release();
    }
    for (GfxSurface* s : {surface_, depth_})
        if (s) s->Release();
    if (texture) texture->Release();
}

void BeginTestScene(GfxDevice* device)
{
    ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL, 0xFF000000, 1.0f, 0), GFX_OK);
    ASSERT_EQ(device->BeginScene(), GFX_OK);
}

void EndTestScene(GfxDevice* device)
{
    device->EndScene();
    device->SetProgram(nullptr);
    for (uint32_t i = 0; i < MAX_SAMPLERS; ++i) device->SetTexture(i, nullptr);
    for (uint32_t i = 0; i < MAX_VERTEX_STREAMS; ++i) device->SetStreamSource(i, nullptr, 0, 0);
    device->SetIndices(nullptr);
}

void GfxFixture::SetUp()
{
    device = OpenDevice();
    if (!device) GTEST_SKIP() << "no display for OpenGL";
    device->SetCompressedTextures(true);
    // A reset gives every test the device's default states and back buffer.
    PresentParameters params;
    device->GetPresentParameters(&params);
    params.BackBufferWidth = backBufferWidth;
    params.BackBufferHeight = backBufferHeight;
    params.MultiSampleType = 0;
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    BeginTestScene(device);
}

void GfxFixture::TearDown()
{
    if (!device) return;
    EndTestScene(device);
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), 0u) << "a test left objects of the default pool alive";
}
