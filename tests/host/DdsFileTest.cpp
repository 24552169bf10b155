#include "host/DdsFile.h"

#include "host/Log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

// Deterministic filler; X8R8G8B8 keeps 255 in its padding byte as the reader documents.
Image MakeImage(PixelFormat format, uint32_t width, uint32_t height, uint32_t levels, uint32_t faces)
{
    Image image;
    EXPECT_TRUE(image.Create(format, width, height, levels, faces));
    uint32_t state = 12345;
    for (size_t i = 0; i < image.pixels.size(); i++) {
        state = state * 1103515245u + 12345u;
        image.pixels[i] = (uint8_t)(state >> 16);
        if (format == PixelFormat::X8R8G8B8 && i % 4 == 3) image.pixels[i] = 255;
    }
    return image;
}

void Put32(std::vector<uint8_t>& file, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; i++) file[at + i] = (uint8_t)(value >> (8 * i));
}

}  // namespace

TEST(DdsFile, EveryFormatRoundTripsWithLevelsAndFaces)
{
    struct Shape {
        uint32_t width, height, levels, faces;
    } shapes[] = {{13, 7, 1, 1}, {16, 8, 5, 1}, {8, 8, 4, 6}, {1, 1, 1, 1}};
    for (PixelFormat format : AllPixelFormats) {
        for (const Shape& shape : shapes) {
            SCOPED_TRACE(std::string(PixelFormatName(format)) + " " + std::to_string(shape.width) + "x" +
                         std::to_string(shape.height) + " levels " + std::to_string(shape.levels) + " faces " +
                         std::to_string(shape.faces));
            Image image = MakeImage(format, shape.width, shape.height, shape.levels, shape.faces);
            std::vector<uint8_t> first, second;
            ASSERT_TRUE(WriteDds(image, first));
            EXPECT_EQ(first.size(), 128 + image.pixels.size());
            Image read;
            ASSERT_TRUE(ReadDds(first.data(), first.size(), read));
            EXPECT_EQ(read.format, format);
            EXPECT_EQ(read.width, shape.width);
            EXPECT_EQ(read.height, shape.height);
            EXPECT_EQ(read.mipLevels, shape.levels);
            EXPECT_EQ(read.faces, shape.faces);
            EXPECT_TRUE(read.pixels == image.pixels);
            ASSERT_TRUE(WriteDds(read, second));
            EXPECT_TRUE(first == second);
        }
    }
}

TEST(DdsFile, BytesAfterTheLastLevelAreIgnored)
{
    Image image = MakeImage(PixelFormat::DXT5, 8, 8, 4, 1);
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteDds(image, file));
    file.insert(file.end(), 100, 0xAB);
    Image read;
    ASSERT_TRUE(ReadDds(file.data(), file.size(), read));
    EXPECT_TRUE(read.pixels == image.pixels);
}

TEST(DdsFile, CorruptFilesAreRefused)
{
    std::vector<uint8_t> good;
    ASSERT_TRUE(WriteDds(MakeImage(PixelFormat::DXT1, 16, 16, 5, 1), good));
    std::vector<uint8_t> goodCube;
    ASSERT_TRUE(WriteDds(MakeImage(PixelFormat::A8R8G8B8, 4, 4, 1, 6), goodCube));
    // Header offsets: size 4, flags 8, height 12, width 16, mip count 28, format record 76
    // (size 76, flags 80, code 84, bits 88, masks 92..104), caps2 112.
    struct Case {
        const char* what;
        bool cube;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"empty", false, [](auto& f) { f.clear(); }},
        {"signature only", false, [](auto& f) { f.resize(4); }},
        {"header cut", false, [](auto& f) { f.resize(127); }},
        {"no pixels", false, [](auto& f) { f.resize(128); }},
        {"last byte missing", false, [](auto& f) { f.pop_back(); }},
        {"wrong signature", false, [](auto& f) { f[0] = 'X'; }},
        {"header size", false, [](auto& f) { Put32(f, 4, 0); }},
        {"format record size", false, [](auto& f) { Put32(f, 76, 0); }},
        {"zero width", false, [](auto& f) { Put32(f, 16, 0); }},
        {"zero height", false, [](auto& f) { Put32(f, 12, 0); }},
        {"huge width", false, [](auto& f) { Put32(f, 16, 0x7FFFFFFF); }},
        {"huge height", false, [](auto& f) { Put32(f, 12, 0xFFFFFFFF); }},
        {"larger than the data", false, [](auto& f) { Put32(f, 16, 1024); }},
        {"more levels than the size has", false, [](auto& f) { Put32(f, 28, 6); }},
        {"absurd level count", false, [](auto& f) { Put32(f, 28, 0xFFFFFFFF); }},
        {"extended header", false, [](auto& f) { Put32(f, 84, 0x30315844); }},
        {"unknown code", false, [](auto& f) { Put32(f, 84, 0x44434241); }},
        {"volume", false, [](auto& f) { Put32(f, 112, 0x200000); }},
        {"unknown masks", true, [](auto& f) { Put32(f, 92, 0xFF); }},
        {"bit count", true, [](auto& f) { Put32(f, 88, 24); }},
        {"cube missing a face", true, [](auto& f) { Put32(f, 112, 0x200 | 0x7C00); }},
        {"cube not square", true, [](auto& f) { Put32(f, 16, 2); }},
        {"cube cut short", true, [](auto& f) { f.resize(f.size() - 64); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = c.cube ? goodCube : good;
        c.damage(file);
        // A copy of exactly the remaining length, so any read past it is caught.
        uint8_t* exact = new uint8_t[file.size() + 1];
        if (!file.empty()) memcpy(exact, file.data(), file.size());
        Image read;
        read.Create(PixelFormat::L8, 2, 2);
        LogCaptureBegin();
        EXPECT_FALSE(ReadDds(exact, file.size(), read));
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find("ERROR DDS"), std::string::npos) << log;
        EXPECT_TRUE(read.IsEmpty());
        delete[] exact;
    }
}

TEST(DdsFile, EveryTruncationIsRefused)
{
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteDds(MakeImage(PixelFormat::A4R4G4B4, 6, 6, 3, 6), file));
    LogCaptureBegin();
    for (size_t length = 0; length < file.size(); length++) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + length);
        cut.shrink_to_fit();
        Image read;
        EXPECT_FALSE(ReadDds(cut.data(), cut.size(), read)) << length;
    }
    LogCaptureEnd();
}

TEST(DdsFile, LevelCountOfZeroMeansOneLevel)
{
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteDds(MakeImage(PixelFormat::L8, 4, 4, 1, 1), file));
    Put32(file, 28, 0);
    Image read;
    ASSERT_TRUE(ReadDds(file.data(), file.size(), read));
    EXPECT_EQ(read.mipLevels, 1u);
}
