#pragma once
// Reading, shaping and writing image files on the CPU: DDS (our own reader and writer), BMP,
// PNG, JPG and TGA (read to A8R8G8B8), resizing to the texture sizes the game asks for, mip
// chains, format conversion, DXT compression, and saving screenshots and debug pictures.
// Nothing here touches the graphics device; it uploads what these functions return.
//
// Every failure is logged with "ERROR ..." and reported by a false return; the output image is
// left empty. Nothing here trusts a size read from a file. Memory: a file of N bytes costs a few
// times N plus twice the bytes of the decoded picture and of the texture made from it. Textures
// of 8-bit formats are shaped in bytes; only the float formats go through float pixels, which
// take four times that.
#include "host/Image.h"
#include "host/PixelFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Size and level arguments of CreateImageFromMemoryEx. The values equal those of the game's
// texture calls, so the device passes its own constants straight through.
constexpr uint32_t IMAGE_DEFAULT = 0xFFFFFFFFu;          // size: the file's, rounded up to a power of two; levels: full chain
constexpr uint32_t IMAGE_DEFAULT_NONPOW2 = 0xFFFFFFFEu;  // size: the file's, as it is
constexpr uint32_t IMAGE_FROM_FILE = 0xFFFFFFFDu;        // size or levels: the file's

// Filters (low byte of the filter arguments; higher bits are ignored). IMAGE_DEFAULT as a
// filter is linear for resizing and box for mip levels.
constexpr uint32_t IMAGE_FILTER_NONE = 1;      // no resampling: the picture is cropped or padded with black
constexpr uint32_t IMAGE_FILTER_POINT = 2;     // nearest pixel
constexpr uint32_t IMAGE_FILTER_LINEAR = 3;    // bilinear when enlarging, area average when shrinking
constexpr uint32_t IMAGE_FILTER_TRIANGLE = 4;  // as linear
constexpr uint32_t IMAGE_FILTER_BOX = 5;       // as linear

// --- Reading -------------------------------------------------------------------------------
// A DDS file keeps its format, levels and faces; any other picture becomes one A8R8G8B8 level.
bool LoadImageFromMemory(const void* bytes, size_t size, Image& out);
// Reads a file (case-insensitively, like every data file) and decodes it as above.
bool LoadImageFile(const char* path, Image& out);
bool ReadWholeFile(const char* path, std::vector<uint8_t>& out);

// The CPU half of creating a texture from a file in memory:
// - width, height: IMAGE_DEFAULT (or 0) the file's rounded up to a power of two,
//   IMAGE_DEFAULT_NONPOW2 or IMAGE_FROM_FILE the file's, anything else that size; a size
//   that differs from the file's resamples with `filter`. No side exceeds MaxTextureSide:
//   larger ones are scaled down to it.
// - mipLevels: IMAGE_FROM_FILE the file's count, IMAGE_DEFAULT (or 0) a full chain down to
//   1 x 1, else that many (at most a full chain). Levels the file has are kept while the size
//   is the file's; the rest are built from the level above with `mipFilter`.
// - format: PixelFormat::Unknown or FromFile keeps the file's, else the pixels are converted
//   (and DXT-compressed when asked for).
// - colorKey: 0 for none; otherwise every pixel equal to this A8R8G8B8 colour becomes
//   transparent black before resizing.
// A cube-map file gives its first face.
bool CreateImageFromMemoryEx(const void* bytes, size_t size, uint32_t width, uint32_t height, uint32_t mipLevels,
                             PixelFormat format, uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out);
// The same for a cube map: the file must hold six faces; `edge` sizes every face.
bool CreateCubeImageFromMemoryEx(const void* bytes, size_t size, uint32_t edge, uint32_t mipLevels, PixelFormat format,
                                 uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out);
// File versions (case-insensitive open).
bool CreateImageFromFileEx(const char* path, uint32_t width, uint32_t height, uint32_t mipLevels, PixelFormat format,
                           uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out);
bool CreateCubeImageFromFileEx(const char* path, uint32_t edge, uint32_t mipLevels, PixelFormat format,
                               uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out);

// --- Shaping -------------------------------------------------------------------------------
// Converts every level and face to another format (DXT compression and decompression
// included). Same format: a copy.
bool ConvertImage(const Image& in, PixelFormat format, Image& out);
// Level 0 of every face resampled to a new size (one level, same format).
bool ResizeImage(const Image& in, uint32_t width, uint32_t height, uint32_t filter, Image& out);
// Keeps the levels the image has (up to mipLevels) and builds the rest with a box filter
// (or point sampling with IMAGE_FILTER_POINT); mipLevels 0 means a full chain.
bool BuildMipChain(Image& image, uint32_t mipLevels, uint32_t mipFilter = IMAGE_DEFAULT);

// --- Writing -------------------------------------------------------------------------------
enum class ImageFileFormat { BMP, JPG, TGA, PNG, DDS, DIB, HDR, PFM };

// By name or extension, without regard to case: "bmp", "jpg" or "jpeg", "tga", "png", "dds",
// "dib", "hdr", "pfm"; false for anything else.
bool ImageFileFormatFromName(const char* name, ImageFileFormat& out);
// The same, except that an unknown name gives BMP (logged as a warning).
ImageFileFormat ImageFileFormatOrBmp(const char* name);

// Encodes level 0 of face 0 (DDS: the whole image, every level and face). BMP, PNG and TGA
// keep alpha when the format has it, JPG never; HDR and PFM write float RGB.
bool EncodeImageFile(const Image& image, ImageFileFormat fileFormat, std::vector<uint8_t>& out);
// Encodes and writes a file (the path is used as given: user files keep their case).
bool SaveImageFile(const char* path, ImageFileFormat fileFormat, const Image& image);
