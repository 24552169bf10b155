#include "host/Image.h"

#include <algorithm>
#include <cstring>

uint32_t FullMipCount(uint32_t width, uint32_t height)
{
    uint32_t side = std::max(width, height);
    uint32_t levels = 1;
    while (side > 1) {
        side >>= 1;
        levels++;
    }
    return levels;
}

uint32_t NextPowerOfTwo(uint32_t value)
{
    uint32_t power = 1;
    while (power < value && power < 0x80000000u) power <<= 1;
    return power;
}

size_t ChainSize(PixelFormat format, uint32_t width, uint32_t height, uint32_t mipLevels)
{
    size_t total = 0;
    for (uint32_t level = 0; level < mipLevels; level++)
        total += SurfaceSize(format, std::max(1u, width >> level), std::max(1u, height >> level));
    return total;
}

bool Image::Create(PixelFormat newFormat, uint32_t newWidth, uint32_t newHeight, uint32_t newMipLevels,
                   uint32_t newFaces)
{
    Clear();
    if (!IsKnownFormat(newFormat) || newWidth == 0 || newHeight == 0 || newWidth > MaxImageSide ||
        newHeight > MaxImageSide || newMipLevels == 0 || newMipLevels > FullMipCount(newWidth, newHeight))
        return false;
    if (newFaces != 1 && !(newFaces == 6 && newWidth == newHeight)) return false;
    format = newFormat;
    width = newWidth;
    height = newHeight;
    mipLevels = newMipLevels;
    faces = newFaces;
    pixels.assign(FaceSize() * faces, 0);
    return true;
}

void Image::Clear()
{
    format = PixelFormat::Unknown;
    width = height = mipLevels = faces = 0;
    pixels.clear();
    pixels.shrink_to_fit();
}

uint32_t Image::LevelWidth(uint32_t level) const { return level >= 32 ? 1 : std::max(1u, width >> level); }
uint32_t Image::LevelHeight(uint32_t level) const { return level >= 32 ? 1 : std::max(1u, height >> level); }
size_t Image::LevelPitch(uint32_t level) const { return RowPitch(format, LevelWidth(level)); }
size_t Image::LevelSize(uint32_t level) const { return SurfaceSize(format, LevelWidth(level), LevelHeight(level)); }
size_t Image::FaceSize() const { return ChainSize(format, width, height, mipLevels); }

size_t Image::LevelOffset(uint32_t face, uint32_t level) const
{
    return face * FaceSize() + ChainSize(format, width, height, level);
}

void FlipRowsVertical(void* pixels, size_t rowPitch, uint32_t rows)
{
    if (!pixels || rows < 2 || rowPitch == 0) return;
    uint8_t* bytes = static_cast<uint8_t*>(pixels);
    std::vector<uint8_t> spare(rowPitch);
    for (uint32_t top = 0, bottom = rows - 1; top < bottom; top++, bottom--) {
        uint8_t* a = bytes + top * rowPitch;
        uint8_t* b = bytes + bottom * rowPitch;
        memcpy(spare.data(), a, rowPitch);
        memcpy(a, b, rowPitch);
        memcpy(b, spare.data(), rowPitch);
    }
}

bool FlipRowsVertical(Image& image)
{
    if (image.IsEmpty() || IsCompressed(image.format)) return false;
    for (uint32_t face = 0; face < image.faces; face++)
        for (uint32_t level = 0; level < image.mipLevels; level++)
            FlipRowsVertical(image.Level(face, level), image.LevelPitch(level), image.LevelHeight(level));
    return true;
}
