#include "host/DdsFile.h"

#include "host/Log.h"

#include <cstring>

namespace {

constexpr uint32_t Signature = 0x20534444;  // "DDS "
constexpr uint32_t HeaderSize = 124;
constexpr uint32_t FormatRecordSize = 32;
constexpr size_t FileHeaderBytes = 4 + HeaderSize;

// Header flags.
constexpr uint32_t HasCaps = 0x1, HasHeight = 0x2, HasWidth = 0x4, HasPitch = 0x8, HasPixelFormat = 0x1000,
                   HasMipCount = 0x20000, HasLinearSize = 0x80000;
// Pixel-format flags.
constexpr uint32_t AlphaPixels = 0x1, AlphaOnly = 0x2, FourCC = 0x4, Rgb = 0x40, Luminance = 0x20000;
// Capability words.
constexpr uint32_t CapsComplex = 0x8, CapsTexture = 0x1000, CapsMipmap = 0x400000;
constexpr uint32_t Caps2Cube = 0x200, Caps2AllFaces = 0xFC00, Caps2Volume = 0x200000;

constexpr uint32_t FourCCDX10 = 0x30315844;  // "DX10"

struct Masks {
    uint32_t flags, bits, r, g, b, a;
};

// How each uncompressed format is described in a file.
bool MasksOf(PixelFormat format, Masks& m)
{
    switch (format) {
    case PixelFormat::A8R8G8B8: m = {Rgb | AlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}; return true;
    case PixelFormat::X8R8G8B8: m = {Rgb, 32, 0xFF0000, 0xFF00, 0xFF, 0}; return true;
    case PixelFormat::R5G6B5: m = {Rgb, 16, 0xF800, 0x7E0, 0x1F, 0}; return true;
    case PixelFormat::A1R5G5B5: m = {Rgb | AlphaPixels, 16, 0x7C00, 0x3E0, 0x1F, 0x8000}; return true;
    case PixelFormat::A4R4G4B4: m = {Rgb | AlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000}; return true;
    case PixelFormat::L8: m = {Luminance, 8, 0xFF, 0, 0, 0}; return true;
    case PixelFormat::A8: m = {AlphaOnly, 8, 0, 0, 0, 0xFF}; return true;
    default: return false;
    }
}

PixelFormat FormatFromMasks(uint32_t flags, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    if (!(flags & (AlphaPixels | AlphaOnly))) a = 0;
    if (flags & Rgb) {
        if (bits == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF)
            return a == 0xFF000000 ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8;
        if (bits == 16 && r == 0xF800 && g == 0x7E0 && b == 0x1F) return PixelFormat::R5G6B5;
        if (bits == 16 && r == 0x7C00 && g == 0x3E0 && b == 0x1F && a == 0x8000) return PixelFormat::A1R5G5B5;
        if (bits == 16 && r == 0xF00 && g == 0xF0 && b == 0xF && a == 0xF000) return PixelFormat::A4R4G4B4;
        // Some writers describe grey pictures as 8-bit red.
        if (bits == 8 && r == 0xFF && g == 0 && b == 0 && a == 0) return PixelFormat::L8;
    }
    if ((flags & Luminance) && bits == 8 && r == 0xFF && a == 0) return PixelFormat::L8;
    if ((flags & AlphaOnly) && bits == 8 && a == 0xFF) return PixelFormat::A8;
    return PixelFormat::Unknown;
}

PixelFormat FormatFromFourCC(uint32_t code)
{
    switch (code) {
    case (uint32_t)PixelFormat::DXT1: return PixelFormat::DXT1;
    case (uint32_t)PixelFormat::DXT3: return PixelFormat::DXT3;
    case (uint32_t)PixelFormat::DXT5: return PixelFormat::DXT5;
    case (uint32_t)PixelFormat::R32F: return PixelFormat::R32F;
    case (uint32_t)PixelFormat::A16B16G16R16F: return PixelFormat::A16B16G16R16F;
    default: return PixelFormat::Unknown;
    }
}

uint32_t Read32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) out[at + i] = (uint8_t)(v >> (8 * i));
}

// Four printable characters of a code for the log, or its number.
void DescribeCode(uint32_t code, char* text, size_t size)
{
    char c[4];
    bool printable = true;
    for (int i = 0; i < 4; i++) {
        c[i] = (char)(code >> (8 * i));
        if (c[i] < 32 || c[i] > 126) printable = false;
    }
    if (printable)
        snprintf(text, size, "'%c%c%c%c'", c[0], c[1], c[2], c[3]);
    else
        snprintf(text, size, "%u", code);
}

}  // namespace

bool IsDdsData(const void* bytes, size_t size)
{
    return bytes && size >= 4 && Read32(static_cast<const uint8_t*>(bytes)) == Signature;
}

bool ReadDds(const void* bytes, size_t size, Image& out)
{
    out.Clear();
    const uint8_t* data = static_cast<const uint8_t*>(bytes);
    if (!IsDdsData(bytes, size)) {
        Log("ERROR DDS: not a DDS file\n");
        return false;
    }
    if (size < FileHeaderBytes) {
        Log("ERROR DDS: header cut short (%zu bytes)\n", size);
        return false;
    }
    const uint8_t* h = data + 4;
    uint32_t headerSize = Read32(h);
    uint32_t height = Read32(h + 8), width = Read32(h + 12);
    uint32_t mipCount = Read32(h + 24);
    const uint8_t* pf = h + 72;
    uint32_t pfSize = Read32(pf), pfFlags = Read32(pf + 4), fourCC = Read32(pf + 8);
    uint32_t caps2 = Read32(h + 108);
    if (headerSize != HeaderSize || pfSize != FormatRecordSize) {
        Log("ERROR DDS: bad header sizes %u and %u\n", headerSize, pfSize);
        return false;
    }
    if (width == 0 || height == 0 || width > MaxImageSide || height > MaxImageSide) {
        Log("ERROR DDS: unsupported size %u x %u\n", width, height);
        return false;
    }
    if (caps2 & Caps2Volume) {
        Log("ERROR DDS: volume textures are not supported\n");
        return false;
    }
    PixelFormat format = PixelFormat::Unknown;
    if (pfFlags & FourCC) {
        if (fourCC == FourCCDX10) {
            Log("ERROR DDS: the extended DX10 header is not supported\n");
            return false;
        }
        format = FormatFromFourCC(fourCC);
        if (format == PixelFormat::Unknown) {
            char text[16];
            DescribeCode(fourCC, text, sizeof text);
            Log("ERROR DDS: unsupported format code %s\n", text);
            return false;
        }
    } else {
        format = FormatFromMasks(pfFlags, Read32(pf + 12), Read32(pf + 16), Read32(pf + 20), Read32(pf + 24),
                                 Read32(pf + 28));
        if (format == PixelFormat::Unknown) {
            Log("ERROR DDS: unsupported pixel layout (flags 0x%X, %u bits, masks %08X %08X %08X %08X)\n", pfFlags,
                Read32(pf + 12), Read32(pf + 16), Read32(pf + 20), Read32(pf + 24), Read32(pf + 28));
            return false;
        }
    }
    uint32_t faces = 1;
    if (caps2 & Caps2Cube) {
        if ((caps2 & Caps2AllFaces) != Caps2AllFaces) {
            Log("ERROR DDS: cube map without all six faces\n");
            return false;
        }
        if (width != height) {
            Log("ERROR DDS: cube map faces are not square (%u x %u)\n", width, height);
            return false;
        }
        faces = 6;
    }
    // Writers disagree on whether the count's flag is set; a count of 0 means one level.
    if (mipCount == 0) mipCount = 1;
    if (mipCount > FullMipCount(width, height)) {
        Log("ERROR DDS: %u mip levels for a %u x %u picture\n", mipCount, width, height);
        return false;
    }
    uint64_t needed = (uint64_t)ChainSize(format, width, height, mipCount) * faces;
    if (needed > size - FileHeaderBytes) {
        Log("ERROR DDS: file cut short: %llu bytes of pixels expected, %zu present\n", (unsigned long long)needed,
            size - FileHeaderBytes);
        return false;
    }
    if (!out.Create(format, width, height, mipCount, faces)) {
        Log("ERROR DDS: cannot hold a %u x %u %s picture\n", width, height, PixelFormatName(format));
        return false;
    }
    memcpy(out.pixels.data(), data + FileHeaderBytes, out.pixels.size());
    if (format == PixelFormat::X8R8G8B8) {
        // The fourth byte is padding; keep the documented 255 so compares and uploads agree.
        for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
    }
    return true;
}

bool WriteDds(const Image& image, std::vector<uint8_t>& out)
{
    out.clear();
    if (image.IsEmpty() || !IsKnownFormat(image.format) || image.mipLevels == 0 ||
        (image.faces != 1 && image.faces != 6) ||
        image.pixels.size() != image.FaceSize() * image.faces) {
        Log("ERROR DDS: nothing to write\n");
        return false;
    }
    out.assign(FileHeaderBytes, 0);
    Put32(out, 0, Signature);
    const size_t h = 4;
    bool compressed = IsCompressed(image.format);
    uint32_t flags = HasCaps | HasHeight | HasWidth | HasPixelFormat | (compressed ? HasLinearSize : HasPitch);
    if (image.mipLevels > 1) flags |= HasMipCount;
    Put32(out, h + 0, HeaderSize);
    Put32(out, h + 4, flags);
    Put32(out, h + 8, image.height);
    Put32(out, h + 12, image.width);
    Put32(out, h + 16, (uint32_t)(compressed ? image.LevelSize(0) : image.LevelPitch(0)));
    Put32(out, h + 24, image.mipLevels > 1 ? image.mipLevels : 0);
    const size_t pf = h + 72;
    Put32(out, pf, FormatRecordSize);
    Masks masks;
    if (MasksOf(image.format, masks)) {
        Put32(out, pf + 4, masks.flags);
        Put32(out, pf + 12, masks.bits);
        Put32(out, pf + 16, masks.r);
        Put32(out, pf + 20, masks.g);
        Put32(out, pf + 24, masks.b);
        Put32(out, pf + 28, masks.a);
    } else {
        Put32(out, pf + 4, FourCC);
        Put32(out, pf + 8, (uint32_t)image.format);
    }
    uint32_t caps = CapsTexture;
    if (image.mipLevels > 1) caps |= CapsComplex | CapsMipmap;
    if (image.faces == 6) caps |= CapsComplex;
    Put32(out, h + 104, caps);
    Put32(out, h + 108, image.faces == 6 ? Caps2Cube | Caps2AllFaces : 0);
    out.insert(out.end(), image.pixels.begin(), image.pixels.end());
    return true;
}
