#pragma once
// Pixel formats of textures, images and surfaces, shared by the image codec (CPU side) and the
// graphics device (GPU side). The numeric values are the format codes of the game's texture
// calls and of DDS files (the four-character codes for the block-compressed formats), so a code
// read from a file or written in game code converts with a plain cast.
//
// Memory layout, lowest address first (all multi-byte words little-endian):
//   A8R8G8B8       B, G, R, A bytes                (a 32-bit word 0xAARRGGBB)
//   X8R8G8B8       B, G, R, x bytes                (x ignored, written 255)
//   A4R4G4B4       16-bit word, A in bits 12-15, R 8-11, G 4-7, B 0-3
//   R5G6B5         16-bit word, R in bits 11-15, G 5-10, B 0-4
//   A1R5G5B5       16-bit word, A in bit 15, R 10-14, G 5-9, B 0-4
//   L8, A8         one byte
//   R32F           one 32-bit float
//   A16B16G16R16F  four half floats: R, G, B, A
//   DXT1/3/5       4x4 blocks of 8 (DXT1) or 16 bytes, rows of blocks top to bottom
#include <cstddef>
#include <cstdint>

enum class PixelFormat : uint32_t {
    Unknown = 0,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    A8 = 28,
    L8 = 50,
    A16B16G16R16F = 113,
    R32F = 114,
    DXT1 = 0x31545844,  // "DXT1"
    DXT3 = 0x33545844,  // "DXT3"
    DXT5 = 0x35545844,  // "DXT5"
    // Only as a request to the loaders: keep the format the file has.
    FromFile = 0xFFFFFFFD,
};

// Every real format above, for tables and tests.
extern const PixelFormat AllPixelFormats[12];

// "A8R8G8B8", "DXT5", ...; "Unknown" for anything else.
const char* PixelFormatName(PixelFormat format);
// True for the twelve formats above.
bool IsKnownFormat(PixelFormat format);
bool IsCompressed(PixelFormat format);   // DXT1, DXT3, DXT5
bool HasAlpha(PixelFormat format);       // A8R8G8B8, A4R4G4B4, A1R5G5B5, A8, A16B16G16R16F, DXT1/3/5
bool IsFloatFormat(PixelFormat format);  // R32F, A16B16G16R16F

// Bytes of one pixel, or of one 4x4 block for the compressed formats; 0 when unknown.
uint32_t BytesPerBlock(PixelFormat format);
// Pixels along one side of a block: 4 for the compressed formats, else 1.
uint32_t BlockEdge(PixelFormat format);
// Bytes of one row of pixels (of blocks, for the compressed formats), tightly packed.
size_t RowPitch(PixelFormat format, uint32_t width);
// Rows of pixels (of blocks) in a surface of this height.
uint32_t RowCount(PixelFormat format, uint32_t height);
// Bytes of a whole surface: RowPitch x RowCount; 0 for an unknown format.
size_t SurfaceSize(PixelFormat format, uint32_t width, uint32_t height);

// Half-float conversions used by the 16-bit float format.
float HalfToFloat(uint16_t half);
uint16_t FloatToHalf(float value);

// Row converters between a format's pixels and float RGBA (0..1 for the normalised formats;
// the float formats keep their range). Channels a format lacks read as 1 (alpha, and the green
// and blue of R32F) or 0 (the colour of A8); L8 reads as grey. Writing L8 keeps the luminance
// (0.2109 R + 0.7148 G + 0.0742 B, exact for greys), A8 the alpha, X8R8G8B8 writes 255 as x.
// Uncompressed formats only; false for a compressed or unknown one.
bool UnpackPixels(PixelFormat format, const uint8_t* pixels, size_t count, float* rgba);
bool PackPixels(PixelFormat format, const float* rgba, size_t count, uint8_t* pixels);
