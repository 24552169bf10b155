#include "host/DxtCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Bgra {
    uint8_t b, g, r, a;
};

Bgra PixelAt(const std::vector<uint8_t>& bgra, int index)
{
    return Bgra{bgra[index * 4], bgra[index * 4 + 1], bgra[index * 4 + 2], bgra[index * 4 + 3]};
}

void ExpectPixel(const std::vector<uint8_t>& bgra, int index, int r, int g, int b, int a)
{
    Bgra p = PixelAt(bgra, index);
    EXPECT_EQ(p.r, r) << "pixel " << index;
    EXPECT_EQ(p.g, g) << "pixel " << index;
    EXPECT_EQ(p.b, b) << "pixel " << index;
    EXPECT_EQ(p.a, a) << "pixel " << index;
}

std::vector<uint8_t> Decode(PixelFormat format, const std::vector<uint8_t>& blocks, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> bgra((size_t)width * height * 4, 0xEE);
    EXPECT_TRUE(DecodeDXT(format, blocks.data(), blocks.size(), width, height, bgra.data()));
    return bgra;
}

}  // namespace

TEST(DxtCodec, Dxt1FourColourBlock)
{
    // Colour 0 pure red (0xF800) above colour 1 pure blue (0x001F): four opaque colours.
    // First row uses indices 0, 1, 2, 3; the rest index 0.
    std::vector<uint8_t> block = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x00, 0x00, 0x00};
    std::vector<uint8_t> out = Decode(PixelFormat::DXT1, block, 4, 4);
    ExpectPixel(out, 0, 255, 0, 0, 255);
    ExpectPixel(out, 1, 0, 0, 255, 255);
    ExpectPixel(out, 2, 170, 0, 85, 255);  // two thirds red, one third blue
    ExpectPixel(out, 3, 85, 0, 170, 255);
    for (int i = 4; i < 16; i++) ExpectPixel(out, i, 255, 0, 0, 255);
}

TEST(DxtCodec, Dxt1ThreeColourBlockWithTransparency)
{
    // Colour 0 blue (0x001F) not above colour 1 red (0xF800): three colours and transparent.
    std::vector<uint8_t> block = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0xFF, 0x00, 0x00};
    std::vector<uint8_t> out = Decode(PixelFormat::DXT1, block, 4, 4);
    ExpectPixel(out, 0, 0, 0, 255, 255);
    ExpectPixel(out, 1, 255, 0, 0, 255);
    ExpectPixel(out, 2, 128, 0, 128, 255);  // the midpoint
    ExpectPixel(out, 3, 0, 0, 0, 0);        // transparent black
    for (int i = 4; i < 8; i++) ExpectPixel(out, i, 0, 0, 0, 0);
    ExpectPixel(out, 8, 0, 0, 255, 255);
}

TEST(DxtCodec, Dxt3ExplicitAlphaAndAlwaysFourColours)
{
    // Alpha nibbles 0..15 in pixel order; colour 0 black not above colour 1 white, which in a
    // DXT3 block still means four colours: index 3 is one third black, two thirds white.
    std::vector<uint8_t> block = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                                  0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00};
    std::vector<uint8_t> out = Decode(PixelFormat::DXT3, block, 4, 4);
    ExpectPixel(out, 0, 170, 170, 170, 0);
    for (int i = 1; i < 16; i++) ExpectPixel(out, i, 0, 0, 0, i * 17);
}

TEST(DxtCodec, Dxt5InterpolatedAlpha)
{
    // Eight-step block: alpha 0 = 255, alpha 1 = 0; pixels 0..7 use indices 0..7, the rest 1.
    // Index bits 0,1,2,...,7 then 1s: 3 bits each, packed from the lowest bit.
    std::vector<uint8_t> eight = {255, 0, 0x88, 0xC6, 0xFA, 0x49, 0x92, 0x24,
                                  0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};
    std::vector<uint8_t> out = Decode(PixelFormat::DXT5, eight, 4, 4);
    int expected8[8] = {255, 0, 219, 182, 146, 109, 73, 36};
    for (int i = 0; i < 8; i++) ExpectPixel(out, i, 255, 255, 255, expected8[i]);
    for (int i = 8; i < 16; i++) ExpectPixel(out, i, 255, 255, 255, 0);

    // Six-step block: alpha 0 = 0 not above alpha 1 = 255: 51, 102, 153, 204, then 0 and 255.
    std::vector<uint8_t> six = eight;
    six[0] = 0;
    six[1] = 255;
    out = Decode(PixelFormat::DXT5, six, 4, 4);
    int expected6[8] = {0, 255, 51, 102, 153, 204, 0, 255};
    for (int i = 0; i < 8; i++) ExpectPixel(out, i, 255, 255, 255, expected6[i]);
}

TEST(DxtCodec, EdgeBlocksAreCroppedAndShortDataRefused)
{
    // 6 x 2 pixels take two blocks; only the pixels inside are written.
    std::vector<uint8_t> blocks = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0, 0x1F, 0x00, 0x00, 0x00, 0, 0, 0, 0};
    std::vector<uint8_t> out = Decode(PixelFormat::DXT1, blocks, 6, 2);
    ExpectPixel(out, 3, 255, 0, 0, 255);
    ExpectPixel(out, 4, 0, 0, 255, 255);
    ExpectPixel(out, 11, 0, 0, 255, 255);

    std::vector<uint8_t> pixels(6 * 2 * 4);
    EXPECT_FALSE(DecodeDXT(PixelFormat::DXT1, blocks.data(), blocks.size() - 1, 6, 2, pixels.data()));
    EXPECT_FALSE(DecodeDXT(PixelFormat::A8R8G8B8, blocks.data(), blocks.size(), 6, 2, pixels.data()));
}

TEST(DxtCodec, EncodedPicturesDecodeCloseToTheSource)
{
    const uint32_t width = 32, height = 20;  // not a whole number of blocks down
    std::vector<uint8_t> source(width * height * 4);
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++) {
            uint8_t* p = &source[(y * width + x) * 4];
            // Colours along a diagonal ramp, as in most real textures a block holds shades of
            // one colour; alpha ramps across on its own.
            p[0] = (uint8_t)((x + y) * 4);
            p[1] = (uint8_t)((x + y) * 3);
            p[2] = (uint8_t)(220 - (x + y) * 2);
            p[3] = (uint8_t)(x * 8);
        }
    struct Case {
        PixelFormat format;
        bool alpha;
    } cases[] = {{PixelFormat::DXT1, false}, {PixelFormat::DXT3, true}, {PixelFormat::DXT5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(PixelFormatName(c.format));
        std::vector<uint8_t> blocks(SurfaceSize(c.format, width, height));
        std::vector<uint8_t> opaque = source;
        if (!c.alpha)
            for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
        ASSERT_TRUE(EncodeDXT(c.format, opaque.data(), width, height, blocks.data()));
        std::vector<uint8_t> decoded = Decode(c.format, blocks, width, height);
        // Mean and worst error per channel (B, G, R, A).
        for (int channel = 0; channel < 4; channel++) {
            double total = 0;
            int worst = 0;
            for (size_t i = channel; i < decoded.size(); i += 4) {
                int error = std::abs(decoded[i] - opaque[i]);
                total += error;
                worst = std::max(worst, error);
            }
            EXPECT_LT(total / (width * height), 4.5) << channel;
            EXPECT_LE(worst, 10) << channel;
        }
    }
}

TEST(DxtCodec, Dxt1KeepsCutOutTransparency)
{
    // Left half fully transparent, right half an opaque green ramp.
    const uint32_t width = 8, height = 8;
    std::vector<uint8_t> source(width * height * 4);
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++) {
            uint8_t* p = &source[(y * width + x) * 4];
            bool solid = x >= 2;
            p[0] = 0;
            p[1] = (uint8_t)(100 + y * 20);
            p[2] = 0;
            p[3] = solid ? 255 : 0;
        }
    std::vector<uint8_t> blocks(SurfaceSize(PixelFormat::DXT1, width, height));
    ASSERT_TRUE(EncodeDXT(PixelFormat::DXT1, source.data(), width, height, blocks.data()));
    std::vector<uint8_t> decoded = Decode(PixelFormat::DXT1, blocks, width, height);
    for (uint32_t i = 0; i < width * height; i++) {
        Bgra p = PixelAt(decoded, (int)i);
        bool solid = i % width >= 2;
        EXPECT_EQ(p.a, solid ? 255 : 0) << i;
        if (solid) {
            EXPECT_NEAR(p.g, source[i * 4 + 1], 16) << i;
        }
    }
}
