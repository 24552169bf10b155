#pragma once
// A picture in main memory: what texture files are read into, what the graphics device
// uploads from and reads back into, and what screenshots and debug images are written from.
//
// Layout of `pixels`: face after face, and within a face level after level (level 0 the
// largest), the same order as in a DDS file. Every level is tightly packed (RowPitch of the
// format, no padding), top row first. Level n is max(1, width >> n) x max(1, height >> n).
// Cube faces come in the order +X, -X, +Y, -Y, +Z, -Z.
#include "host/PixelFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Sides above this are refused by every loader and creator (no texture is that large, and a
// corrupt header must not make us allocate gigabytes).
constexpr uint32_t MaxImageSide = 16384;
// The largest texture the game makes, what the graphics cards it is made for allow: texture
// loads scale larger pictures down to it.
constexpr uint32_t MaxTextureSide = 4096;

struct Image {
    PixelFormat format = PixelFormat::Unknown;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t mipLevels = 0;
    uint32_t faces = 0;  // 1, or 6 for a cube map
    std::vector<uint8_t> pixels;

    // Sizes the image and zeroes its pixels. False (and the image left empty) for an unknown
    // format, a zero or too large side, more levels than the full chain, or faces other than
    // 1 and 6 (a cube map must be square).
    bool Create(PixelFormat format, uint32_t width, uint32_t height, uint32_t mipLevels = 1, uint32_t faces = 1);
    void Clear();
    bool IsEmpty() const { return pixels.empty(); }
    bool IsCube() const { return faces == 6; }

    uint32_t LevelWidth(uint32_t level) const;
    uint32_t LevelHeight(uint32_t level) const;
    size_t LevelPitch(uint32_t level) const;  // bytes of one row (of blocks)
    size_t LevelSize(uint32_t level) const;
    size_t FaceSize() const;  // all levels of one face
    size_t LevelOffset(uint32_t face, uint32_t level) const;
    uint8_t* Level(uint32_t face, uint32_t level) { return pixels.data() + LevelOffset(face, level); }
    const uint8_t* Level(uint32_t face, uint32_t level) const { return pixels.data() + LevelOffset(face, level); }
};

// Levels of a full chain down to 1 x 1: 1 + log2 of the longer side.
uint32_t FullMipCount(uint32_t width, uint32_t height);
// The smallest power of two not below the value (1 for 0).
uint32_t NextPowerOfTwo(uint32_t value);
// Bytes of all levels of one face.
size_t ChainSize(PixelFormat format, uint32_t width, uint32_t height, uint32_t mipLevels);

// Reverses the order of rows in place (GL reads back bottom row first).
void FlipRowsVertical(void* pixels, size_t rowPitch, uint32_t rows);
// Flips every level of every face of an uncompressed image.
bool FlipRowsVertical(Image& image);
