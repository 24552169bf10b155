// The height grid: reads outside it, filling, smoothing, noise, the grey levels it becomes,
// and its image written and read back.
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "terrain/Heightmap.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(Heightmap, CellsOutsideTheGridReadAsZero)
{
    Heightmap map(128, 64, 10.0f);
    map.Fill(3.0f);
    const struct {
        int x, y;
        float expected;
    } cases[] = {{-1, 0, 0.0f}, {128, 0, 0.0f}, {0, -1, 0.0f}, {0, 64, 0.0f}, {0, 0, 3.0f}, {127, 63, 3.0f}};
    for (const auto& c : cases) EXPECT_EQ(map.GetHeightAt(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST(Heightmap, FillKeepsWithinTheVerticalScaleBothWays)
{
    Heightmap map(4, 4, 10.0f);
    const struct {
        float value, stored;
    } cases[] = {{11.0f, 10.0f}, {-12.0f, -10.0f}, {4.5f, 4.5f}, {-3.0f, -3.0f}};
    for (const auto& c : cases) {
        map.Fill(c.value);
        EXPECT_EQ(map.GetHeightAt(2, 2), c.stored) << c.value;
    }
}

TEST(Heightmap, SmoothingBlendsTowardTheBlockMean)
{
    Heightmap map(4, 4, 10.0f);
    for (int i = 0; i < 16; ++i) map.data[i] = (float)i;
    Heightmap copy(4, 4, 10.0f);
    copy.data = map.data;

    copy.Smooth(0.0f);
    EXPECT_EQ(copy.data, map.data);

    // A corner has four cells in its block (itself included), an edge six; every result
    // comes from the old values.
    map.Smooth(1.0f);
    EXPECT_FLOAT_EQ(map.GetHeightAt(0, 0), (0.0f + 1.0f + 4.0f + 5.0f) / 4.0f);
    EXPECT_FLOAT_EQ(map.GetHeightAt(1, 0), (0.0f + 1.0f + 2.0f + 4.0f + 5.0f + 6.0f) / 6.0f);
    EXPECT_FLOAT_EQ(map.GetHeightAt(1, 1), (0 + 1 + 2 + 4 + 5 + 6 + 8 + 9 + 10) / 9.0f);

    // A region: only its cells change, each to its plain block mean.
    Heightmap region(8, 8, 10.0f);
    region.data[3 * 8 + 3] = 9.0f;
    region.SmoothRegion(2, 4, 4);  // cells 3..4 x 3..4
    EXPECT_FLOAT_EQ(region.GetHeightAt(3, 3), 1.0f);
    EXPECT_FLOAT_EQ(region.GetHeightAt(4, 4), 1.0f);
    EXPECT_EQ(region.GetHeightAt(2, 2), 0.0f);
    // A region hanging over the edge skips the cells outside.
    region.SmoothRegion(4, 0, 0);
    EXPECT_FLOAT_EQ(region.GetHeightAt(0, 0), 0.0f);
}

TEST(Heightmap, HeightsBecomeGreyLevelsThatNeverWrap)
{
    Heightmap map(2, 2, 10.0f);
    // Below zero stays at the bottom instead of coming back as a peak; above the scale tops out.
    const struct {
        float height;
        int level;
    } cases[] = {{-0.5f, 0}, {-10.0f, 0}, {0.0f, 0}, {5.0f, 127}, {10.0f, 255}, {12.0f, 255}, {NAN, 0}};
    for (const auto& c : cases) EXPECT_EQ(map.HeightToByte(c.height), c.level) << c.height;
}

TEST(Heightmap, NoiseIsOctaveValueNoise)
{
    EXPECT_FLOAT_EQ(NoiseLatticeValue(0), (float)(1.0 - 1376312589 / 1073741824.0));
    for (int m : {1, 57, -58, 123456789, -2147483647})
        EXPECT_TRUE(NoiseLatticeValue(m) > -1.0f && NoiseLatticeValue(m) <= 1.0f) << m;

    Heightmap flat(16, 16, 10.0f);
    EXPECT_EQ(flat.GenerateNoise(7, 4.0f, 0.5f, 0), 0);
    for (float h : flat.data) EXPECT_FLOAT_EQ(h, 128.0f / 255.0f * 10.0f);

    Heightmap a(64, 64, 10.0f), b(64, 64, 10.0f), c(64, 64, 10.0f);
    a.GenerateNoise(7, 4.0f, 0.5f, 4);
    b.GenerateNoise(7, 4.0f, 0.5f, 4);
    c.GenerateNoise(8, 4.0f, 0.5f, 4);
    EXPECT_EQ(a.data, b.data);
    EXPECT_NE(a.data, c.data);
    float low = 10.0f, high = 0.0f;
    for (float h : a.data) low = std::min(low, h), high = std::max(high, h);
    EXPECT_GE(low, 0.0f);
    EXPECT_LE(high, 10.0f);
    EXPECT_GT(high - low, 2.0f);
}

TEST(Heightmap, MultiplyingScalesByTheOthersFraction)
{
    Heightmap map(4, 4, 10.0f), mask(2, 2, 5.0f);
    map.Fill(8.0f);
    mask.Fill(2.5f);
    map.MultiplyBy(mask);
    EXPECT_FLOAT_EQ(map.GetHeightAt(1, 1), 4.0f);
    // Cells the other grid does not have keep their height.
    EXPECT_FLOAT_EQ(map.GetHeightAt(3, 3), 8.0f);
}

TEST(Heightmap, TheSavedImageLoadsBackAndAnyImageSizeIsResampled)
{
    std::string folder = MakeTempFolder("heightmap-image");
    Heightmap map(32, 16, 10.0f);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) map.data[(size_t)y * 32 + x] = (float)(x + y) * 0.2f;
    map.data[0] = -3.0f;  // written as the bottom level, not wrapped round
    std::string path = folder + "/saved.bmp";
    ASSERT_TRUE(map.SaveTexture(path.c_str()));

    Heightmap back(32, 16, 10.0f);
    ASSERT_TRUE(back.LoadImage(path.c_str()));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_NEAR(back.GetHeightAt(x, y), std::max(0.0f, map.GetHeightAt(x, y)), 10.0f / 255.0f) << x << "," << y;

    // An image twice the grid's size is resampled to the grid.
    Image big;
    ASSERT_TRUE(big.Create(PixelFormat::A8R8G8B8, 256, 256));
    uint32_t* texels = (uint32_t*)big.Level(0, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) texels[y * 256 + x] = x < 128 ? 0xFF000000u : 0xFFFFFFFFu;
    std::string bigPath = folder + "/big.bmp";
    ASSERT_TRUE(SaveImageFile(bigPath.c_str(), ImageFileFormat::BMP, big));
    Heightmap resampled(128, 128, 10.0f);
    ASSERT_TRUE(resampled.LoadImage(bigPath.c_str()));
    EXPECT_NEAR(resampled.GetHeightAt(10, 64), 0.0f, 0.05f);
    EXPECT_NEAR(resampled.GetHeightAt(120, 64), 10.0f, 0.05f);

    // A missing image leaves the grid flat.
    Heightmap missing(8, 8, 10.0f);
    missing.Fill(4.0f);
    EXPECT_FALSE(missing.LoadImage((folder + "/none.bmp").c_str()));
    for (float h : missing.data) EXPECT_EQ(h, 0.0f);
}
