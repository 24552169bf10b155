#include "tests/render/DrawTestSupport.h"

#include "host/Image.h"
#include "host/ImageCodec.h"
#include "render/GraphicsDevice.h"
#include "tests/support/TestSupport.h"

#include <algorithm>

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
    BeginTestScene(device);
}

void DrawTest::TearDown()
{
    if (device) EndTestScene(device);
    RenderTest::TearDown();
    if (device) {
        EXPECT_EQ(device->GetDefaultPoolResourceCount(), 0u) << "a test left objects of the default pool alive";
    }
}
