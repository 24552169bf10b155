#include "tests/render/DrawTestSupport.h"

#include "host/Image.h"
#include "host/ImageCodec.h"
#include "render/GraphicsDevice.h"
#include "tests/support/TestSupport.h"

#include <algorithm>

namespace {

int Brightest(uint32_t c)
{
    return std::max({(int)((c >> 16) & 0xFF), (int)((c >> 8) & 0xFF), (int)(c & 0xFF)});
}

}  // namespace

bool Picture::LitBox(int* left, int* top, int* right, int* bottom, int threshold, int x0, int y0, int x1,
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

int Picture::CountLit(int x0, int y0, int x1, int y1, int threshold) const
{
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
            if (Brightest(At(x, y)) > threshold) ++n;
    return n;
}

Picture ReadBack()
{
    Picture picture;
    GfxDevice* device = Graphics ? Graphics->device : nullptr;
    GfxSurface* back = nullptr;
    if (!device || GfxFailed(device->GetBackBuffer(0, 0, &back))) return picture;
    SurfaceDesc desc;
    back->GetDesc(&desc);
    GfxSurface* copy = nullptr;
    if (GfxSucceeded(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, POOL_SYSTEMMEM, &copy))) {
        if (GfxSucceeded(device->GetRenderTargetData(back, copy))) {
            LockedRect locked;
            if (GfxSucceeded(copy->LockRect(&locked, nullptr, LOCK_READONLY))) {
                picture.width = (int)desc.Width;
                picture.height = (int)desc.Height;
                picture.argb.resize((size_t)desc.Width * desc.Height);
                for (uint32_t y = 0; y < desc.Height; ++y) {
                    const uint32_t* row = (const uint32_t*)((const uint8_t*)locked.pBits + (size_t)y * locked.Pitch);
                    for (uint32_t x = 0; x < desc.Width; ++x) picture.argb[(size_t)y * desc.Width + x] = row[x] | 0xFF000000u;
                }
                copy->UnlockRect();
            }
        }
        copy->Release();
    }
    back->Release();
    return picture;
}

bool SavePicture(const Picture& picture, const std::string& path)
{
    Image image;
    if (!image.Create(PixelFormat::A8R8G8B8, (uint32_t)picture.width, (uint32_t)picture.height)) return false;
    memcpy(image.Level(0, 0), picture.argb.data(), picture.argb.size() * 4);
    return SaveImageFile(path.c_str(), ImageFileFormat::PNG, image);
}

std::string MakeTextureFile(const char* name, uint32_t colour, uint32_t rightColour, int size)
{
    Image image;
    image.Create(PixelFormat::A8R8G8B8, (uint32_t)size, (uint32_t)size);
    uint32_t* texel = (uint32_t*)image.Level(0, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) texel[y * size + x] = (rightColour && x >= size / 2) ? rightColour : colour;
    std::string path = MakeTempFolder(name) + "/" + name;
    SaveImageFile(path.c_str(), ImageFileFormat::DDS, image);
    return path;
}

std::string MakeSoftDotTexture(const char* name)
{
    const int size = 32;
    Image image;
    image.Create(PixelFormat::A8R8G8B8, size, size);
    uint32_t* texel = (uint32_t*)image.Level(0, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = (x + 0.5f) / size * 2 - 1, dy = (y + 0.5f) / size * 2 - 1;
            float a = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
            texel[y * size + x] = (uint32_t)(a * a * 255.0f) << 24 | 0xFFFFFF;
        }
    std::string path = MakeTempFolder(name) + "/" + name;
    SaveImageFile(path.c_str(), ImageFileFormat::DDS, image);
    return path;
}

void DrawTest::SetUp()
{
    RenderTest::SetUp();
    if (HasFatalFailure()) return;
    device = graphics->device;
    // Every test starts from the states a fresh device has.
    ASSERT_EQ(graphics->ResetDevice(), DEVICE_USABLE) << "a test left objects of the default pool alive";
    ASSERT_TRUE(graphics->Clear(7, 0, 0, 0, 1));
    ASSERT_TRUE(graphics->BeginScene());
}

void DrawTest::TearDown()
{
    if (device) {
        device->EndScene();
        device->SetProgram(nullptr);
        for (uint32_t i = 0; i < MAX_SAMPLERS; ++i) device->SetTexture(i, nullptr);
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
    }
    RenderTest::TearDown();
    if (device) {
        EXPECT_EQ(device->GetDefaultPoolResourceCount(), 0u) << "a test left objects of the default pool alive";
    }
}
