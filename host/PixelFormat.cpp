#include "host/PixelFormat.h"

#include <cmath>
#include <cstring>

const PixelFormat AllPixelFormats[12] = {
    PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8,      PixelFormat::A4R4G4B4, PixelFormat::R5G6B5,
    PixelFormat::A1R5G5B5, PixelFormat::L8,            PixelFormat::A8,       PixelFormat::R32F,
    PixelFormat::A16B16G16R16F, PixelFormat::DXT1,     PixelFormat::DXT3,     PixelFormat::DXT5,
};

const char* PixelFormatName(PixelFormat format)
{
    switch (format) {
    case PixelFormat::A8R8G8B8: return "A8R8G8B8";
    case PixelFormat::X8R8G8B8: return "X8R8G8B8";
    case PixelFormat::R5G6B5: return "R5G6B5";
    case PixelFormat::A1R5G5B5: return "A1R5G5B5";
    case PixelFormat::A4R4G4B4: return "A4R4G4B4";
    case PixelFormat::A8: return "A8";
    case PixelFormat::L8: return "L8";
    case PixelFormat::A16B16G16R16F: return "A16B16G16R16F";
    case PixelFormat::R32F: return "R32F";
    case PixelFormat::DXT1: return "DXT1";
    case PixelFormat::DXT3: return "DXT3";
    case PixelFormat::DXT5: return "DXT5";
    default: return "Unknown";
    }
}

bool IsKnownFormat(PixelFormat format) { return BytesPerBlock(format) != 0; }

bool IsCompressed(PixelFormat format)
{
    return format == PixelFormat::DXT1 || format == PixelFormat::DXT3 || format == PixelFormat::DXT5;
}

bool HasAlpha(PixelFormat format)
{
    switch (format) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A8:
    case PixelFormat::A16B16G16R16F:
    case PixelFormat::DXT1:
    case PixelFormat::DXT3:
    case PixelFormat::DXT5: return true;
    default: return false;
    }
}

bool IsFloatFormat(PixelFormat format)
{
    return format == PixelFormat::R32F || format == PixelFormat::A16B16G16R16F;
}

uint32_t BytesPerBlock(PixelFormat format)
{
    switch (format) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
    case PixelFormat::R32F: return 4;
    case PixelFormat::R5G6B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4: return 2;
    case PixelFormat::A8:
    case PixelFormat::L8: return 1;
    case PixelFormat::A16B16G16R16F: return 8;
    case PixelFormat::DXT1: return 8;
    case PixelFormat::DXT3:
    case PixelFormat::DXT5: return 16;
    default: return 0;
    }
}

uint32_t BlockEdge(PixelFormat format) { return IsCompressed(format) ? 4 : 1; }

size_t RowPitch(PixelFormat format, uint32_t width)
{
    uint32_t edge = BlockEdge(format);
    size_t blocks = ((size_t)width + edge - 1) / edge;
    if (blocks == 0) blocks = 1;
    return blocks * BytesPerBlock(format);
}

uint32_t RowCount(PixelFormat format, uint32_t height)
{
    uint32_t edge = BlockEdge(format);
    uint32_t rows = (uint32_t)(((uint64_t)height + edge - 1) / edge);
    return rows == 0 ? 1 : rows;
}

size_t SurfaceSize(PixelFormat format, uint32_t width, uint32_t height)
{
    return RowPitch(format, width) * RowCount(format, height);
}

float HalfToFloat(uint16_t half)
{
    uint32_t sign = (uint32_t)(half & 0x8000) << 16;
    uint32_t exponent = (half >> 10) & 0x1F;
    uint32_t mantissa = half & 0x3FF;
    uint32_t bits;
    if (exponent == 0) {
        if (mantissa == 0) {
            bits = sign;
        } else {
            // Subnormal: renormalise into a float exponent.
            int e = -1;
            do {
                e++;
                mantissa <<= 1;
            } while ((mantissa & 0x400) == 0);
            bits = sign | (uint32_t)(127 - 15 - e) << 23 | (mantissa & 0x3FF) << 13;
        }
    } else if (exponent == 31) {
        bits = sign | 0x7F800000 | mantissa << 13;
    } else {
        bits = sign | (exponent + 127 - 15) << 23 | mantissa << 13;
    }
    float value;
    memcpy(&value, &bits, 4);
    return value;
}

uint16_t FloatToHalf(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, 4);
    uint16_t sign = (uint16_t)((bits >> 16) & 0x8000);
    int32_t exponent = (int32_t)((bits >> 23) & 0xFF);
    uint32_t mantissa = bits & 0x7FFFFF;
    if (exponent == 255) return (uint16_t)(sign | 0x7C00 | (mantissa ? 0x200 : 0));  // inf, NaN
    int32_t e = exponent - 127 + 15;
    if (e >= 31) return (uint16_t)(sign | 0x7C00);  // too large: infinity
    if (e <= 0) {
        if (e < -10) return sign;  // below the smallest subnormal
        mantissa |= 0x800000;
        uint32_t shift = (uint32_t)(14 - e);
        uint32_t half = mantissa >> shift;
        uint32_t rest = mantissa & ((1u << shift) - 1);
        uint32_t midpoint = 1u << (shift - 1);
        if (rest > midpoint || (rest == midpoint && (half & 1))) half++;
        return (uint16_t)(sign | half);
    }
    uint32_t half = (uint32_t)e << 10 | mantissa >> 13;
    uint32_t rest = mantissa & 0x1FFF;
    if (rest > 0x1000 || (rest == 0x1000 && (half & 1))) half++;  // may carry into the exponent: still right
    return (uint16_t)(sign | half);
}

namespace {

inline float Unit(uint32_t value, uint32_t max) { return (float)value / (float)max; }

// Rounds a 0..1 value to 0..max.
inline uint32_t Quantise(float value, uint32_t max)
{
    if (!(value > 0.0f)) return 0;  // NaN too
    if (value >= 1.0f) return max;
    return (uint32_t)(value * (float)max + 0.5f);
}

inline uint16_t Read16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
inline void Write16(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

}  // namespace

bool UnpackPixels(PixelFormat format, const uint8_t* p, size_t count, float* rgba)
{
    switch (format) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8: {
        bool alpha = format == PixelFormat::A8R8G8B8;
        for (size_t i = 0; i < count; i++, p += 4, rgba += 4) {
            rgba[0] = Unit(p[2], 255);
            rgba[1] = Unit(p[1], 255);
            rgba[2] = Unit(p[0], 255);
            rgba[3] = alpha ? Unit(p[3], 255) : 1.0f;
        }
        return true;
    }
    case PixelFormat::R5G6B5:
        for (size_t i = 0; i < count; i++, p += 2, rgba += 4) {
            uint32_t v = Read16(p);
            rgba[0] = Unit(v >> 11, 31);
            rgba[1] = Unit((v >> 5) & 63, 63);
            rgba[2] = Unit(v & 31, 31);
            rgba[3] = 1.0f;
        }
        return true;
    case PixelFormat::A1R5G5B5:
        for (size_t i = 0; i < count; i++, p += 2, rgba += 4) {
            uint32_t v = Read16(p);
            rgba[0] = Unit((v >> 10) & 31, 31);
            rgba[1] = Unit((v >> 5) & 31, 31);
            rgba[2] = Unit(v & 31, 31);
            rgba[3] = (v & 0x8000) ? 1.0f : 0.0f;
        }
        return true;
    case PixelFormat::A4R4G4B4:
        for (size_t i = 0; i < count; i++, p += 2, rgba += 4) {
            uint32_t v = Read16(p);
            rgba[0] = Unit((v >> 8) & 15, 15);
            rgba[1] = Unit((v >> 4) & 15, 15);
            rgba[2] = Unit(v & 15, 15);
            rgba[3] = Unit(v >> 12, 15);
        }
        return true;
    case PixelFormat::L8:
        for (size_t i = 0; i < count; i++, p++, rgba += 4) {
            rgba[0] = rgba[1] = rgba[2] = Unit(*p, 255);
            rgba[3] = 1.0f;
        }
        return true;
    case PixelFormat::A8:
        for (size_t i = 0; i < count; i++, p++, rgba += 4) {
            rgba[0] = rgba[1] = rgba[2] = 0.0f;
            rgba[3] = Unit(*p, 255);
        }
        return true;
    case PixelFormat::R32F:
        for (size_t i = 0; i < count; i++, p += 4, rgba += 4) {
            memcpy(&rgba[0], p, 4);
            rgba[1] = rgba[2] = rgba[3] = 1.0f;
        }
        return true;
    case PixelFormat::A16B16G16R16F:
        for (size_t i = 0; i < count; i++, p += 8, rgba += 4)
            for (int c = 0; c < 4; c++) rgba[c] = HalfToFloat(Read16(p + 2 * c));
        return true;
    default: return false;
    }
}

bool PackPixels(PixelFormat format, const float* rgba, size_t count, uint8_t* p)
{
    switch (format) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8: {
        bool alpha = format == PixelFormat::A8R8G8B8;
        for (size_t i = 0; i < count; i++, p += 4, rgba += 4) {
            p[0] = (uint8_t)Quantise(rgba[2], 255);
            p[1] = (uint8_t)Quantise(rgba[1], 255);
            p[2] = (uint8_t)Quantise(rgba[0], 255);
            p[3] = alpha ? (uint8_t)Quantise(rgba[3], 255) : 255;
        }
        return true;
    }
    case PixelFormat::R5G6B5:
        for (size_t i = 0; i < count; i++, p += 2, rgba += 4)
            Write16(p, Quantise(rgba[0], 31) << 11 | Quantise(rgba[1], 63) << 5 | Quantise(rgba[2], 31));
        return true;
    case PixelFormat::A1R5G5B5:
        for (size_t i = 0; i < count; i++, p += 2, rgba += 4)
            Write16(p, (rgba[3] >= 0.5f ? 0x8000u : 0u) | Quantise(rgba[0], 31) << 10 | Quantise(rgba[1], 31) << 5 |
                           Quantise(rgba[2], 31));
        return true;
    case PixelFormat::A4R4G4B4:
        for (size_t i = 0; i < count; i++, p += 2, rgba += 4)
            Write16(p, Quantise(rgba[3], 15) << 12 | Quantise(rgba[0], 15) << 8 | Quantise(rgba[1], 15) << 4 |
                           Quantise(rgba[2], 15));
        return true;
    case PixelFormat::L8:
        // Weights in 256ths sum to exactly one, so a grey keeps its value.
        for (size_t i = 0; i < count; i++, p++, rgba += 4)
            *p = (uint8_t)Quantise(rgba[0] * (54.0f / 256) + rgba[1] * (183.0f / 256) + rgba[2] * (19.0f / 256), 255);
        return true;
    case PixelFormat::A8:
        for (size_t i = 0; i < count; i++, p++, rgba += 4) *p = (uint8_t)Quantise(rgba[3], 255);
        return true;
    case PixelFormat::R32F:
        for (size_t i = 0; i < count; i++, p += 4, rgba += 4) memcpy(p, &rgba[0], 4);
        return true;
    case PixelFormat::A16B16G16R16F:
        for (size_t i = 0; i < count; i++, p += 8, rgba += 4)
            for (int c = 0; c < 4; c++) Write16(p + 2 * c, FloatToHalf(rgba[c]));
        return true;
    default: return false;
    }
}
