#include "host/ImageCodec.h"

#include "host/DdsFile.h"
#include "host/Log.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

uint32_t PixelWord(const Image& image, uint32_t face, uint32_t level, uint32_t x, uint32_t y)
{
    const uint8_t* p = image.Level(face, level) + ((size_t)y * image.LevelWidth(level) + x) * 4;
    return (uint32_t)p[3] << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

void SetPixelWord(Image& image, uint32_t x, uint32_t y, uint32_t argb)
{
    uint8_t* p = image.Level(0, 0) + ((size_t)y * image.width + x) * 4;
    p[0] = (uint8_t)argb;
    p[1] = (uint8_t)(argb >> 8);
    p[2] = (uint8_t)(argb >> 16);
    p[3] = (uint8_t)(argb >> 24);
}

Image Solid(uint32_t width, uint32_t height, uint32_t argb)
{
    Image image;
    EXPECT_TRUE(image.Create(PixelFormat::A8R8G8B8, width, height));
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++) SetPixelWord(image, x, y, argb);
    return image;
}

// Every pixel different, alpha included.
Image Pattern(uint32_t width, uint32_t height)
{
    Image image;
    EXPECT_TRUE(image.Create(PixelFormat::A8R8G8B8, width, height));
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++)
            SetPixelWord(image, x, y, (uint32_t)(255 - x * 20) << 24 | (x * 30) << 16 | (y * 40) << 8 | ((x + y) * 9));
    return image;
}

std::vector<uint8_t> Encode(const Image& image, ImageFileFormat format)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(EncodeImageFile(image, format, bytes));
    return bytes;
}

}  // namespace

TEST(ImageCodec, PicturesSaveAndLoadBackTheSamePixels)
{
    Image withAlpha = Pattern(7, 5);
    Image opaque;
    ASSERT_TRUE(ConvertImage(withAlpha, PixelFormat::X8R8G8B8, opaque));
    struct Case {
        ImageFileFormat format;
        const Image* source;
    } cases[] = {{ImageFileFormat::PNG, &withAlpha}, {ImageFileFormat::TGA, &withAlpha},
                 {ImageFileFormat::BMP, &withAlpha}, {ImageFileFormat::PNG, &opaque},
                 {ImageFileFormat::BMP, &opaque},    {ImageFileFormat::DIB, &opaque}};
    for (const Case& c : cases) {
        SCOPED_TRACE((int)c.format);
        std::vector<uint8_t> bytes = Encode(*c.source, c.format);
        Image back;
        ASSERT_TRUE(LoadImageFromMemory(bytes.data(), bytes.size(), back));
        EXPECT_EQ(back.format, PixelFormat::A8R8G8B8);
        ASSERT_EQ(back.width, 7u);
        ASSERT_EQ(back.height, 5u);
        for (uint32_t y = 0; y < 5; y++)
            for (uint32_t x = 0; x < 7; x++) {
                uint32_t expected = PixelWord(*c.source, 0, 0, x, y);
                if (c.source == &opaque) expected |= 0xFF000000;
                EXPECT_EQ(PixelWord(back, 0, 0, x, y), expected) << x << "," << y;
            }
    }
}

TEST(ImageCodec, JpegKeepsThePictureClose)
{
    Image source = Solid(16, 16, 0xFF3080C0);
    std::vector<uint8_t> bytes = Encode(source, ImageFileFormat::JPG);
    Image back;
    ASSERT_TRUE(LoadImageFromMemory(bytes.data(), bytes.size(), back));
    for (int i = 0; i < 4; i++) EXPECT_NEAR(back.pixels[i], source.pixels[i], 3) << i;
}

TEST(ImageCodec, FloatFilesHaveTheirHeaders)
{
    Image image = Solid(3, 2, 0xFFFFFFFF);
    std::vector<uint8_t> pfm = Encode(image, ImageFileFormat::PFM);
    std::string header = "PF\n3 2\n-1.0\n";
    ASSERT_EQ(pfm.size(), header.size() + 3 * 2 * 3 * 4);
    EXPECT_EQ(std::string(pfm.begin(), pfm.begin() + header.size()), header);
    float first;
    memcpy(&first, &pfm[header.size()], 4);
    EXPECT_EQ(first, 1.0f);
    std::vector<uint8_t> hdr = Encode(image, ImageFileFormat::HDR);
    EXPECT_EQ(std::string(hdr.begin(), hdr.begin() + 10), "#?RADIANCE");
}

TEST(ImageCodec, GreyHeightImageSurvivesAFileRoundTrip)
{
    // A height grid saved as a picture and read back as luminance at the grid's size.
    Image heights;
    ASSERT_TRUE(heights.Create(PixelFormat::L8, 24, 10));
    for (size_t i = 0; i < heights.pixels.size(); i++) heights.pixels[i] = (uint8_t)(i * 7);
    std::string path = MakeTempFolder("grey") + "/Generated.bmp";
    ASSERT_TRUE(SaveImageFile(path.c_str(), ImageFileFormat::BMP, heights));
    Image back;
    ASSERT_TRUE(CreateImageFromFileEx(path.c_str(), 24, 10, 1, PixelFormat::L8, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, back));
    EXPECT_EQ(back.format, PixelFormat::L8);
    EXPECT_EQ(back.mipLevels, 1u);
    EXPECT_TRUE(back.pixels == heights.pixels);
}

TEST(ImageCodec, TextureSizesAndMipChains)
{
    struct Case {
        uint32_t fileWidth, fileHeight, width, height, mips;
        uint32_t expectWidth, expectHeight, expectLevels;
    } cases[] = {
        {100, 60, IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_FROM_FILE, 128, 64, 1},
        {100, 60, IMAGE_DEFAULT_NONPOW2, IMAGE_DEFAULT_NONPOW2, IMAGE_FROM_FILE, 100, 60, 1},
        {100, 60, IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_DEFAULT, 128, 64, 8},
        {100, 60, 32, 16, 1, 32, 16, 1},
        {5, 3, IMAGE_DEFAULT_NONPOW2, IMAGE_DEFAULT_NONPOW2, IMAGE_DEFAULT, 5, 3, 3},
        {16, 16, IMAGE_DEFAULT, IMAGE_DEFAULT, 40, 16, 16, 5},
        {1, 1, IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_DEFAULT, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fileWidth) + "x" + std::to_string(c.fileHeight) + " -> " +
                     std::to_string(c.expectWidth) + "x" + std::to_string(c.expectHeight));
        std::vector<uint8_t> png = Encode(Solid(c.fileWidth, c.fileHeight, 0xFF204060), ImageFileFormat::PNG);
        Image out;
        ASSERT_TRUE(CreateImageFromMemoryEx(png.data(), png.size(), c.width, c.height, c.mips, PixelFormat::Unknown,
                                            IMAGE_DEFAULT, IMAGE_DEFAULT, 0, out));
        EXPECT_EQ(out.width, c.expectWidth);
        EXPECT_EQ(out.height, c.expectHeight);
        ASSERT_EQ(out.mipLevels, c.expectLevels);
        if (c.mips == IMAGE_DEFAULT) {
            EXPECT_EQ(out.LevelWidth(out.mipLevels - 1), 1u);
            EXPECT_EQ(out.LevelHeight(out.mipLevels - 1), 1u);
        }
        // A solid picture stays solid through every resize and level.
        for (uint32_t level = 0; level < out.mipLevels; level++)
            EXPECT_EQ(PixelWord(out, 0, level, out.LevelWidth(level) - 1, out.LevelHeight(level) - 1), 0xFF204060u)
                << level;
    }
}

TEST(ImageCodec, EightBitTexturesResizeAndMipLikeFloatPictures)
{
    // Textures of 8-bit formats are shaped in bytes: the same filters, one rounding step apart
    // at most from the float path the other formats take.
    Image picture = Pattern(7, 5);
    std::vector<uint8_t> png = Encode(picture, ImageFileFormat::PNG);
    for (uint32_t filter : {IMAGE_FILTER_LINEAR, IMAGE_FILTER_POINT}) {
        SCOPED_TRACE(filter);
        Image bytes;
        ASSERT_TRUE(CreateImageFromMemoryEx(png.data(), png.size(), 16, 4, IMAGE_DEFAULT, PixelFormat::Unknown, filter,
                                            IMAGE_DEFAULT, 0, bytes));
        Image floats;
        ASSERT_TRUE(ResizeImage(picture, 16, 4, filter, floats));
        ASSERT_TRUE(BuildMipChain(floats, 0));
        ASSERT_EQ(bytes.pixels.size(), floats.pixels.size());
        int worst = 0;
        for (size_t i = 0; i < bytes.pixels.size(); i++) worst = std::max(worst, std::abs(bytes.pixels[i] - floats.pixels[i]));
        EXPECT_LE(worst, 1);
    }
}

TEST(ImageCodec, DdsTextureKeepsItsLevelsAndBlocks)
{
    Image dxt;
    ASSERT_TRUE(dxt.Create(PixelFormat::DXT1, 64, 32, 7, 1));
    for (size_t i = 0; i < dxt.pixels.size(); i++) dxt.pixels[i] = (uint8_t)(i * 13);
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteDds(dxt, file));
    Image out;
    ASSERT_TRUE(CreateImageFromMemoryEx(file.data(), file.size(), IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_FROM_FILE,
                                        PixelFormat::Unknown, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, out));
    EXPECT_EQ(out.format, PixelFormat::DXT1);
    EXPECT_EQ(out.mipLevels, 7u);
    EXPECT_TRUE(out.pixels == dxt.pixels);

    // Asking for another format decodes the blocks.
    Image argb;
    ASSERT_TRUE(CreateImageFromMemoryEx(file.data(), file.size(), IMAGE_DEFAULT, IMAGE_DEFAULT, 1,
                                        PixelFormat::A8R8G8B8, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, argb));
    Image decoded;
    ASSERT_TRUE(ConvertImage(dxt, PixelFormat::A8R8G8B8, decoded));
    EXPECT_TRUE(std::equal(argb.pixels.begin(), argb.pixels.end(), decoded.pixels.begin()));
}

TEST(ImageCodec, CubeMapsKeepTheirFaces)
{
    uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    Image cube;
    ASSERT_TRUE(cube.Create(PixelFormat::A8R8G8B8, 8, 8, 1, 6));
    for (uint32_t face = 0; face < 6; face++)
        for (uint32_t i = 0; i < 64; i++) memcpy(cube.Level(face, 0) + i * 4, &colours[face], 4);
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteDds(cube, file));
    Image out;
    ASSERT_TRUE(CreateCubeImageFromMemoryEx(file.data(), file.size(), IMAGE_DEFAULT, IMAGE_DEFAULT,
                                            PixelFormat::DXT1, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, out));
    EXPECT_EQ(out.faces, 6u);
    EXPECT_EQ(out.mipLevels, 4u);
    Image decoded;
    ASSERT_TRUE(ConvertImage(out, PixelFormat::A8R8G8B8, decoded));
    for (uint32_t face = 0; face < 6; face++)
        EXPECT_EQ(PixelWord(decoded, face, 3, 0, 0), colours[face]) << face;

    Image first;
    ASSERT_TRUE(CreateImageFromMemoryEx(file.data(), file.size(), IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_FROM_FILE,
                                        PixelFormat::Unknown, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, first));
    EXPECT_EQ(first.faces, 1u);
    EXPECT_EQ(PixelWord(first, 0, 0, 3, 3), colours[0]);

    std::vector<uint8_t> flat = Encode(Solid(8, 8, 0xFFFFFFFF), ImageFileFormat::PNG);
    LogCaptureBegin();
    EXPECT_FALSE(CreateCubeImageFromMemoryEx(flat.data(), flat.size(), IMAGE_DEFAULT, 1, PixelFormat::Unknown,
                                             IMAGE_DEFAULT, IMAGE_DEFAULT, 0, out));
    EXPECT_NE(LogCaptureEnd().find("ERROR"), std::string::npos);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(ImageCodec, FormatConversionsAtKnownValues)
{
    struct Case {
        uint32_t argb;
        uint16_t r5g6b5, a4r4g4b4, a1r5g5b5;
        uint8_t l8;
    } cases[] = {
        {0xFFFF0000, 0xF800, 0xFF00, 0xFC00, 54},
        {0xFF00FF00, 0x07E0, 0xF0F0, 0x83E0, 182},
        {0xFFFFFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 255},
        {0x00000000, 0x0000, 0x0000, 0x0000, 0},
        {0xFF808080, 0x8410, 0xF888, 0xC210, 128},
        {0x80112233, 0x1106, 0x8123, 0x8886, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argb);
        Image source = Solid(1, 1, c.argb);
        Image converted;
        ASSERT_TRUE(ConvertImage(source, PixelFormat::R5G6B5, converted));
        EXPECT_EQ(converted.pixels[0] | converted.pixels[1] << 8, c.r5g6b5);
        ASSERT_TRUE(ConvertImage(source, PixelFormat::A4R4G4B4, converted));
        EXPECT_EQ(converted.pixels[0] | converted.pixels[1] << 8, c.a4r4g4b4);
        ASSERT_TRUE(ConvertImage(source, PixelFormat::A1R5G5B5, converted));
        EXPECT_EQ(converted.pixels[0] | converted.pixels[1] << 8, c.a1r5g5b5);
        ASSERT_TRUE(ConvertImage(source, PixelFormat::L8, converted));
        EXPECT_EQ(converted.pixels[0], c.l8);
    }
    // And back to A8R8G8B8.
    struct Back {
        PixelFormat format;
        std::vector<uint8_t> bytes;
        uint32_t argb;
    } backs[] = {
        {PixelFormat::R5G6B5, {0x10, 0x84}, 0xFF848284},
        {PixelFormat::A4R4G4B4, {0x23, 0x81}, 0x88112233},
        {PixelFormat::A1R5G5B5, {0x1F, 0x00}, 0x000000FF},
        {PixelFormat::L8, {0x40}, 0xFF404040},
        {PixelFormat::A8, {0x7F}, 0x7F000000},
        {PixelFormat::R32F, {0x00, 0x00, 0x80, 0x3E}, 0xFF40FFFF},                  // 0.25
        {PixelFormat::A16B16G16R16F, {0, 0x3C, 0, 0x38, 0, 0, 0, 0x3C}, 0xFFFF8000},  // 1, 0.5, 0, 1
    };
    for (const Back& b : backs) {
        SCOPED_TRACE(PixelFormatName(b.format));
        Image source;
        ASSERT_TRUE(source.Create(b.format, 1, 1));
        memcpy(source.pixels.data(), b.bytes.data(), b.bytes.size());
        Image argb;
        ASSERT_TRUE(ConvertImage(source, PixelFormat::A8R8G8B8, argb));
        EXPECT_EQ(PixelWord(argb, 0, 0, 0, 0), b.argb);
    }
}

TEST(ImageCodec, HalfFloatsAtKnownValues)
{
    struct Case {
        float value;
        uint16_t half;
    } cases[] = {{1.0f, 0x3C00}, {0.5f, 0x3800}, {-2.0f, 0xC000}, {65504.0f, 0x7BFF},
                 {0.0f, 0x0000}, {5.9604645e-8f, 0x0001}, {6.1035156e-5f, 0x0400}, {1e9f, 0x7C00}};
    for (const Case& c : cases) {
        EXPECT_EQ(FloatToHalf(c.value), c.half) << c.value;
        if (c.half != 0x7C00) {
            EXPECT_EQ(HalfToFloat(c.half), c.value) << c.value;
        }
    }
}

TEST(ImageCodec, ResizeFilters)
{
    // Point and linear enlarge a 2x1 picture; "none" keeps the pixels in the corner.
    Image two = Solid(2, 1, 0xFF000000);
    SetPixelWord(two, 1, 0, 0xFFFFFFFF);
    Image out;
    ASSERT_TRUE(ResizeImage(two, 4, 1, IMAGE_FILTER_POINT, out));
    uint32_t point[4] = {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF};
    for (uint32_t x = 0; x < 4; x++) EXPECT_EQ(PixelWord(out, 0, 0, x, 0), point[x]) << x;
    ASSERT_TRUE(ResizeImage(two, 4, 1, IMAGE_FILTER_LINEAR, out));
    uint32_t linear[4] = {0xFF000000, 0xFF404040, 0xFFBFBFBF, 0xFFFFFFFF};
    for (uint32_t x = 0; x < 4; x++) EXPECT_EQ(PixelWord(out, 0, 0, x, 0), linear[x]) << x;
    ASSERT_TRUE(ResizeImage(two, 3, 2, IMAGE_FILTER_NONE, out));
    uint32_t none[6] = {0xFF000000, 0xFFFFFFFF, 0, 0, 0, 0};
    for (uint32_t i = 0; i < 6; i++) EXPECT_EQ(PixelWord(out, 0, 0, i % 3, i / 3), none[i]) << i;
}

TEST(ImageCodec, ColourKeyBecomesTransparent)
{
    Image image = Solid(2, 1, 0xFFFF00FF);
    SetPixelWord(image, 1, 0, 0xFF00FF00);
    std::vector<uint8_t> png = Encode(image, ImageFileFormat::PNG);
    Image out;
    ASSERT_TRUE(CreateImageFromMemoryEx(png.data(), png.size(), IMAGE_DEFAULT_NONPOW2, IMAGE_DEFAULT_NONPOW2, 1,
                                        PixelFormat::Unknown, IMAGE_FILTER_NONE, IMAGE_FILTER_NONE, 0xFFFF00FF, out));
    EXPECT_EQ(PixelWord(out, 0, 0, 0, 0), 0u);
    EXPECT_EQ(PixelWord(out, 0, 0, 1, 0), 0xFF00FF00u);
}

TEST(ImageCodec, BrokenPicturesAreRefused)
{
    std::vector<uint8_t> png = Encode(Pattern(9, 9), ImageFileFormat::PNG);
    std::vector<std::vector<uint8_t>> broken = {
        {},
        {'x', 'y', 'z'},
        std::vector<uint8_t>(png.begin(), png.begin() + 8),
        std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2),
        std::vector<uint8_t>(64, 0),
    };
    // A header claiming an enormous picture.
    std::vector<uint8_t> huge = png;
    huge[16] = 0x7F;
    broken.push_back(huge);
    for (size_t i = 0; i < broken.size(); i++) {
        std::vector<uint8_t>& bytes = broken[i];
        bytes.shrink_to_fit();
        Image out;
        LogCaptureBegin();
        EXPECT_FALSE(CreateImageFromMemoryEx(bytes.data(), bytes.size(), IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_DEFAULT,
                                             PixelFormat::Unknown, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, out))
            << i;
        EXPECT_NE(LogCaptureEnd().find("ERROR"), std::string::npos) << i;
        EXPECT_TRUE(out.IsEmpty()) << i;
    }
    Image out;
    LogCaptureBegin();
    EXPECT_FALSE(LoadImageFile("data/no/such/picture.png", out));
    EXPECT_FALSE(SaveImageFile("/no/such/folder/shot.png", ImageFileFormat::PNG, Pattern(2, 2)));
    EXPECT_NE(LogCaptureEnd().find("cannot write"), std::string::npos);
}
