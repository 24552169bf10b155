#include "host/ImageCodec.h"

#include "host/DdsFile.h"
#include "host/ImageShaping.h"
#include "host/Log.h"
#include "host/PictureDecoder.h"
#include "host/System.h"

#include <stb_image_write.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Files larger than this are no picture of ours (and would not fit stb's int sizes anyway).
constexpr size_t MaxImageFileBytes = 512u << 20;

// The size a texture call asks for along one side, never more than the largest texture.
uint32_t TargetSide(uint32_t requested, uint32_t fileSide)
{
    uint32_t side = requested;
    if (requested == 0 || requested == IMAGE_DEFAULT) side = NextPowerOfTwo(fileSide);
    else if (requested == IMAGE_DEFAULT_NONPOW2 || requested == IMAGE_FROM_FILE) side = fileSide;
    return std::min(side, MaxTextureSide);
}

// The levels of a texture whose file and target formats have at most 8 bits a channel, worked
// in A8R8G8B8 bytes. Levels of an A8R8G8B8 target are written in place, and the level above is
// read back from there.
bool ShapeLevelsInBytes(const Image& file, uint32_t filter, uint32_t mipFilter, uint32_t colourKey, bool sameSize,
                        bool copyAsIs, Image& out)
{
    bool direct = out.format == PixelFormat::A8R8G8B8;
    uint32_t halving = (mipFilter & 0xFF) == IMAGE_FILTER_POINT ? IMAGE_FILTER_POINT : IMAGE_FILTER_BOX;
    std::vector<uint8_t> source, level, previous;
    // A file level as keyed A8R8G8B8 bytes: the file's own when they need no change.
    auto filePixels = [&](uint32_t face, uint32_t index) -> const uint8_t* {
        if (file.format == PixelFormat::A8R8G8B8 && colourKey == 0) return file.Level(face, index);
        if (!UnpackLevelBytes(file, face, index, source)) return nullptr;
        ApplyColourKeyBytes(source.data(), source.size() / 4, colourKey);
        return source.data();
    };
    for (uint32_t face = 0; face < file.faces; face++) {
        bool havePrevious = false;  // `previous` (or, direct, the level above in out) holds keyed pixels
        for (uint32_t index = 0; index < out.mipLevels; index++) {
            bool fromFile = sameSize && index < file.mipLevels;
            if (fromFile && copyAsIs) {
                memcpy(out.Level(face, index), file.Level(face, index), file.LevelSize(index));
                havePrevious = direct;
                continue;
            }
            uint32_t width = out.LevelWidth(index), height = out.LevelHeight(index);
            size_t count = (size_t)width * height;
            if (!direct) level.resize(count * 4);
            uint8_t* target = direct ? out.Level(face, index) : level.data();
            if (fromFile || index == 0) {
                uint32_t fileLevel = fromFile ? index : 0;
                const uint8_t* pixels = filePixels(face, fileLevel);
                if (!pixels) return false;
                if (sameSize) memcpy(target, pixels, count * 4);
                else ResampleBytes(pixels, file.LevelWidth(fileLevel), file.LevelHeight(fileLevel), target, width, height,
                                   filter);
            } else {
                const uint8_t* above = direct ? out.Level(face, index - 1) : previous.data();
                // The level above was copied from the file: start from the file's pixels.
                if (!havePrevious && !(above = filePixels(face, index - 1))) return false;
                ResampleBytes(above, out.LevelWidth(index - 1), out.LevelHeight(index - 1), target, width, height,
                              halving);
            }
            if (!direct) {
                if (!PackLevelBytes(target, out, face, index)) return false;
                previous.swap(level);
            }
            havePrevious = true;
        }
    }
    return true;
}

// Shapes a loaded file into the texture asked for (see CreateImageFromMemoryEx).
bool ShapeImage(const Image& file, uint32_t width, uint32_t height, uint32_t mipLevels, PixelFormat format,
                uint32_t filter, uint32_t mipFilter, uint32_t colourKey, Image& out)
{
    uint32_t targetWidth = TargetSide(width, file.width);
    uint32_t targetHeight = TargetSide(height, file.height);
    if (targetWidth > MaxImageSide || targetHeight > MaxImageSide) {
        Log("ERROR image: requested size %u x %u is too large\n", targetWidth, targetHeight);
        return false;
    }
    if (file.IsCube() && targetWidth != targetHeight) {
        Log("ERROR image: cube map faces must be square (%u x %u)\n", targetWidth, targetHeight);
        return false;
    }
    uint32_t full = FullMipCount(targetWidth, targetHeight);
    uint32_t levels;
    if (mipLevels == IMAGE_FROM_FILE)
        levels = std::min(file.mipLevels, full);
    else if (mipLevels == 0 || mipLevels == IMAGE_DEFAULT)
        levels = full;
    else
        levels = std::min(mipLevels, full);
    PixelFormat targetFormat =
        (format == PixelFormat::Unknown || format == PixelFormat::FromFile) ? file.format : format;
    if (!IsKnownFormat(targetFormat)) {
        Log("ERROR image: unsupported format code %u\n", (uint32_t)targetFormat);
        return false;
    }
    if (!out.Create(targetFormat, targetWidth, targetHeight, levels, file.faces)) {
        Log("ERROR image: cannot make a %u x %u %s picture\n", targetWidth, targetHeight, PixelFormatName(targetFormat));
        return false;
    }
    bool sameSize = targetWidth == file.width && targetHeight == file.height;
    // Levels the file has are copied as they are when nothing about them changes; everything
    // else goes through 8-bit pixels, or float pixels where either format has more.
    bool copyAsIs = sameSize && targetFormat == file.format && colourKey == 0;
    if (!IsFloatFormat(file.format) && !IsFloatFormat(targetFormat)) {
        if (ShapeLevelsInBytes(file, filter, mipFilter, colourKey, sameSize, copyAsIs, out)) return true;
        Log("ERROR image: cannot convert %s to %s\n", PixelFormatName(file.format), PixelFormatName(targetFormat));
        out.Clear();
        return false;
    }
    for (uint32_t face = 0; face < file.faces; face++) {
        FloatPlane previous;  // the float pixels of the level above, while known
        bool havePrevious = false;
        for (uint32_t level = 0; level < levels; level++) {
            bool fromFile = sameSize && level < file.mipLevels;
            if (fromFile && copyAsIs) {
                memcpy(out.Level(face, level), file.Level(face, level), file.LevelSize(level));
                havePrevious = false;
                continue;
            }
            FloatPlane plane;
            bool ok = true;
            if (fromFile || level == 0) {
                ok = UnpackLevel(file, face, level, plane);
                ApplyColourKey(plane, colourKey);
                if (ok && !sameSize) plane = ResamplePlane(plane, targetWidth, targetHeight, filter);
            } else {
                if (!havePrevious) {
                    // The level above was copied from the file: start from the file's pixels.
                    ok = UnpackLevel(file, face, level - 1, previous);
                    ApplyColourKey(previous, colourKey);
                }
                if (ok) plane = HalvePlane(previous, mipFilter);
            }
            if (!ok || !PackLevel(plane, out, face, level)) {
                Log("ERROR image: cannot convert %s to %s\n", PixelFormatName(file.format),
                    PixelFormatName(targetFormat));
                out.Clear();
                return false;
            }
            previous = std::move(plane);
            havePrevious = true;
        }
    }
    return true;
}

// Face 0 alone, every level.
Image FirstFace(const Image& image)
{
    Image face;
    face.Create(image.format, image.width, image.height, image.mipLevels, 1);
    memcpy(face.pixels.data(), image.pixels.data(), face.pixels.size());
    return face;
}

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (size > 0) out->insert(out->end(), bytes, bytes + size);
}

const char* FileFormatName(ImageFileFormat format)
{
    switch (format) {
    case ImageFileFormat::BMP: return "BMP";
    case ImageFileFormat::JPG: return "JPG";
    case ImageFileFormat::TGA: return "TGA";
    case ImageFileFormat::PNG: return "PNG";
    case ImageFileFormat::DDS: return "DDS";
    case ImageFileFormat::DIB: return "DIB";
    case ImageFileFormat::HDR: return "HDR";
    case ImageFileFormat::PFM: return "PFM";
    }
    return "?";
}

}  // namespace

// --- Reading ---------------------------------------------------------------------------------

bool LoadImageFromMemory(const void* bytes, size_t size, Image& out)
{
    out.Clear();
    if (!bytes || size == 0) {
        Log("ERROR image: no data\n");
        return false;
    }
    if (IsDdsData(bytes, size)) return ReadDds(bytes, size, out);
    return DecodePicture(bytes, size, out);
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& out)
{
    out.clear();
    FILE* file = path ? OpenFile(path, "rb") : nullptr;
    if (!file) {
        Log("ERROR image: cannot open '%s'\n", path ? path : "(null)");
        return false;
    }
    bool ok = fseek(file, 0, SEEK_END) == 0;
    long length = ok ? ftell(file) : -1;
    ok = ok && length >= 0 && (size_t)length <= MaxImageFileBytes && fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize((size_t)length);
        ok = length == 0 || fread(out.data(), 1, out.size(), file) == out.size();
    }
    fclose(file);
    if (!ok) {
        Log("ERROR image: cannot read '%s'\n", path);
        out.clear();
    }
    return ok;
}

bool LoadImageFile(const char* path, Image& out)
{
    out.Clear();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    if (!LoadImageFromMemory(bytes.data(), bytes.size(), out)) {
        Log("ERROR image: '%s' was not loaded\n", path);
        return false;
    }
    return true;
}

bool CreateImageFromMemoryEx(const void* bytes, size_t size, uint32_t width, uint32_t height, uint32_t mipLevels,
                             PixelFormat format, uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out)
{
    out.Clear();
    Image file;
    if (!LoadImageFromMemory(bytes, size, file)) return false;
    if (file.IsCube()) file = FirstFace(file);
    return ShapeImage(file, width, height, mipLevels, format, filter, mipFilter, colorKey, out);
}

bool CreateCubeImageFromMemoryEx(const void* bytes, size_t size, uint32_t edge, uint32_t mipLevels, PixelFormat format,
                                 uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out)
{
    out.Clear();
    Image file;
    if (!LoadImageFromMemory(bytes, size, file)) return false;
    if (!file.IsCube()) {
        Log("ERROR image: not a cube map\n");
        return false;
    }
    return ShapeImage(file, edge, edge, mipLevels, format, filter, mipFilter, colorKey, out);
}

bool CreateImageFromFileEx(const char* path, uint32_t width, uint32_t height, uint32_t mipLevels, PixelFormat format,
                           uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out)
{
    out.Clear();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    if (!CreateImageFromMemoryEx(bytes.data(), bytes.size(), width, height, mipLevels, format, filter, mipFilter,
                                 colorKey, out)) {
        Log("ERROR image: '%s' was not loaded\n", path);
        return false;
    }
    return true;
}

bool CreateCubeImageFromFileEx(const char* path, uint32_t edge, uint32_t mipLevels, PixelFormat format,
                               uint32_t filter, uint32_t mipFilter, uint32_t colorKey, Image& out)
{
    out.Clear();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    if (!CreateCubeImageFromMemoryEx(bytes.data(), bytes.size(), edge, mipLevels, format, filter, mipFilter, colorKey,
                                     out)) {
        Log("ERROR image: '%s' was not loaded\n", path);
        return false;
    }
    return true;
}

// --- Writing ---------------------------------------------------------------------------------

bool ImageFileFormatFromName(const char* name, ImageFileFormat& out)
{
    if (!name) return false;
    const char* dot = strrchr(name, '.');
    const char* ext = dot ? dot + 1 : name;
    static const struct {
        const char* name;
        ImageFileFormat format;
    } names[] = {
        {"bmp", ImageFileFormat::BMP}, {"jpg", ImageFileFormat::JPG}, {"jpeg", ImageFileFormat::JPG},
        {"tga", ImageFileFormat::TGA}, {"png", ImageFileFormat::PNG}, {"dds", ImageFileFormat::DDS},
        {"dib", ImageFileFormat::DIB}, {"hdr", ImageFileFormat::HDR}, {"pfm", ImageFileFormat::PFM},
    };
    for (const auto& entry : names)
        if (StrICmp(ext, entry.name) == 0) {
            out = entry.format;
            return true;
        }
    return false;
}

ImageFileFormat ImageFileFormatOrBmp(const char* name)
{
    ImageFileFormat format;
    if (ImageFileFormatFromName(name, format)) return format;
    Log("WARNING unknown image file format '%s', writing BMP\n", name ? name : "");
    return ImageFileFormat::BMP;
}

bool EncodeImageFile(const Image& image, ImageFileFormat fileFormat, std::vector<uint8_t>& out)
{
    out.clear();
    if (fileFormat == ImageFileFormat::DDS) return WriteDds(image, out);
    FloatPlane plane;
    if (!UnpackLevel(image, 0, 0, plane)) {
        Log("ERROR image: nothing to write as %s\n", FileFormatName(fileFormat));
        return false;
    }
    int width = (int)plane.width, height = (int)plane.height;
    size_t count = (size_t)width * height;
    bool ok = false;
    if (fileFormat == ImageFileFormat::HDR || fileFormat == ImageFileFormat::PFM) {
        std::vector<float> rgb(count * 3);
        for (size_t i = 0; i < count; i++)
            for (int c = 0; c < 3; c++) rgb[i * 3 + c] = plane.rgba[i * 4 + c];
        if (fileFormat == ImageFileFormat::HDR) {
            ok = stbi_write_hdr_to_func(AppendBytes, &out, width, height, 3, rgb.data()) != 0;
        } else {
            // Portable float map: little-endian (negative scale), rows bottom to top.
            char header[64];
            int length = snprintf(header, sizeof header, "PF\n%d %d\n-1.0\n", width, height);
            out.assign(header, header + length);
            for (int y = height - 1; y >= 0; y--) {
                const uint8_t* row = reinterpret_cast<const uint8_t*>(&rgb[(size_t)y * width * 3]);
                out.insert(out.end(), row, row + (size_t)width * 3 * sizeof(float));
            }
            ok = true;
        }
    } else {
        int channels = (fileFormat == ImageFileFormat::JPG || !HasAlpha(image.format)) ? 3 : 4;
        std::vector<uint8_t> bgra(count * 4);
        PackPixels(PixelFormat::A8R8G8B8, plane.rgba.data(), count, bgra.data());
        std::vector<uint8_t> pixels(count * channels);
        for (size_t i = 0; i < count; i++) {
            pixels[i * channels + 0] = bgra[i * 4 + 2];
            pixels[i * channels + 1] = bgra[i * 4 + 1];
            pixels[i * channels + 2] = bgra[i * 4 + 0];
            if (channels == 4) pixels[i * channels + 3] = bgra[i * 4 + 3];
        }
        switch (fileFormat) {
        case ImageFileFormat::PNG:
            ok = stbi_write_png_to_func(AppendBytes, &out, width, height, channels, pixels.data(), width * channels);
            break;
        case ImageFileFormat::JPG:
            ok = stbi_write_jpg_to_func(AppendBytes, &out, width, height, channels, pixels.data(), 90);
            break;
        case ImageFileFormat::TGA:
            ok = stbi_write_tga_to_func(AppendBytes, &out, width, height, channels, pixels.data());
            break;
        default:  // BMP, DIB
            ok = stbi_write_bmp_to_func(AppendBytes, &out, width, height, channels, pixels.data());
            break;
        }
    }
    if (!ok || out.empty()) {
        Log("ERROR image: %s encoding failed\n", FileFormatName(fileFormat));
        out.clear();
        return false;
    }
    return true;
}

bool SaveImageFile(const char* path, ImageFileFormat fileFormat, const Image& image)
{
    std::vector<uint8_t> bytes;
    if (!path || !EncodeImageFile(image, fileFormat, bytes)) {
        Log("ERROR image: '%s' not written\n", path ? path : "(null)");
        return false;
    }
    FILE* file = fopen(path, "wb");
    bool ok = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && fclose(file) != 0) ok = false;
    if (!ok) {
        Log("ERROR image: cannot write '%s'\n", path);
        if (file) remove(path);  // ours, half written
    }
    return ok;
}
