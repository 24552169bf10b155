#include "host/ImageShaping.h"

#include "host/DxtCodec.h"
#include "host/ImageCodec.h"
#include "host/Log.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Tap {
    uint32_t index;
    float weight;
};

// For every destination pixel along one axis, the source pixels it takes and their weights.
std::vector<std::vector<Tap>> AxisTaps(uint32_t source, uint32_t destination, uint32_t filter)
{
    std::vector<std::vector<Tap>> taps(destination);
    double scale = (double)source / destination;
    for (uint32_t x = 0; x < destination; x++) {
        std::vector<Tap>& list = taps[x];
        if (source == destination) {
            list.push_back({x, 1.0f});
        } else if (filter == IMAGE_FILTER_POINT) {
            list.push_back({std::min(source - 1, (uint32_t)((x + 0.5) * scale)), 1.0f});
        } else if (destination < source) {
            // Shrinking: each pixel averages the source area it covers.
            double from = x * scale, to = (x + 1) * scale;
            uint32_t first = (uint32_t)from;
            uint32_t last = std::min(source, (uint32_t)std::ceil(to));
            for (uint32_t i = first; i < last; i++) {
                double overlap = std::min(to, (double)i + 1) - std::max(from, (double)i);
                if (overlap > 0) list.push_back({i, (float)(overlap / scale)});
            }
        } else {
            // Enlarging: bilinear between the two nearest source pixels, edges held.
            double u = (x + 0.5) * scale - 0.5;
            double base = std::floor(u);
            float f = (float)(u - base);
            int64_t i0 = (int64_t)base;
            auto clampIndex = [&](int64_t i) { return (uint32_t)std::clamp<int64_t>(i, 0, source - 1); };
            list.push_back({clampIndex(i0), 1.0f - f});
            list.push_back({clampIndex(i0 + 1), f});
        }
    }
    return taps;
}

}  // namespace

bool UnpackLevel(const Image& image, uint32_t face, uint32_t level, FloatPlane& out)
{
    if (image.IsEmpty() || face >= image.faces || level >= image.mipLevels) return false;
    out.width = image.LevelWidth(level);
    out.height = image.LevelHeight(level);
    size_t count = (size_t)out.width * out.height;
    out.rgba.assign(count * 4, 0.0f);
    const uint8_t* pixels = image.Level(face, level);
    if (IsCompressed(image.format)) {
        std::vector<uint8_t> bgra(count * 4);
        if (!DecodeDXT(image.format, pixels, image.LevelSize(level), out.width, out.height, bgra.data())) return false;
        return UnpackPixels(PixelFormat::A8R8G8B8, bgra.data(), count, out.rgba.data());
    }
    return UnpackPixels(image.format, pixels, count, out.rgba.data());
}

bool PackLevel(const FloatPlane& plane, Image& image, uint32_t face, uint32_t level)
{
    if (image.IsEmpty() || face >= image.faces || level >= image.mipLevels || plane.width != image.LevelWidth(level) ||
        plane.height != image.LevelHeight(level))
        return false;
    size_t count = (size_t)plane.width * plane.height;
    uint8_t* pixels = image.Level(face, level);
    if (IsCompressed(image.format)) {
        std::vector<uint8_t> bgra(count * 4);
        PackPixels(PixelFormat::A8R8G8B8, plane.rgba.data(), count, bgra.data());
        return EncodeDXT(image.format, bgra.data(), plane.width, plane.height, pixels);
    }
    return PackPixels(image.format, plane.rgba.data(), count, pixels);
}

FloatPlane ResamplePlane(const FloatPlane& in, uint32_t width, uint32_t height, uint32_t filter)
{
    filter &= 0xFF;
    FloatPlane out;
    out.width = width;
    out.height = height;
    out.rgba.assign((size_t)width * height * 4, 0.0f);
    if (filter == IMAGE_FILTER_NONE) {
        // No filtering: the picture keeps its pixels; what does not fit is cut off, the rest
        // stays transparent black.
        uint32_t w = std::min(width, in.width), h = std::min(height, in.height);
        for (uint32_t y = 0; y < h; y++)
            memcpy(&out.rgba[(size_t)y * width * 4], &in.rgba[(size_t)y * in.width * 4], (size_t)w * 4 * sizeof(float));
        return out;
    }
    std::vector<std::vector<Tap>> across = AxisTaps(in.width, width, filter);
    std::vector<std::vector<Tap>> down = AxisTaps(in.height, height, filter);
    // Across first (every source row), then down.
    std::vector<float> rows((size_t)width * in.height * 4, 0.0f);
    for (uint32_t y = 0; y < in.height; y++) {
        const float* source = &in.rgba[(size_t)y * in.width * 4];
        float* target = &rows[(size_t)y * width * 4];
        for (uint32_t x = 0; x < width; x++)
            for (const Tap& tap : across[x])
                for (int c = 0; c < 4; c++) target[x * 4 + c] += source[tap.index * 4 + c] * tap.weight;
    }
    for (uint32_t y = 0; y < height; y++) {
        float* target = &out.rgba[(size_t)y * width * 4];
        for (const Tap& tap : down[y]) {
            const float* source = &rows[(size_t)tap.index * width * 4];
            for (size_t i = 0; i < (size_t)width * 4; i++) target[i] += source[i] * tap.weight;
        }
    }
    return out;
}

FloatPlane HalvePlane(const FloatPlane& in, uint32_t mipFilter)
{
    uint32_t filter = (mipFilter & 0xFF) == IMAGE_FILTER_POINT ? IMAGE_FILTER_POINT : IMAGE_FILTER_BOX;
    return ResamplePlane(in, std::max(1u, in.width / 2), std::max(1u, in.height / 2), filter);
}

void ApplyColourKey(FloatPlane& plane, uint32_t colourKey)
{
    if (colourKey == 0) return;
    size_t count = (size_t)plane.width * plane.height;
    for (size_t i = 0; i < count; i++) {
        float* p = &plane.rgba[i * 4];
        uint8_t bgra[4];
        PackPixels(PixelFormat::A8R8G8B8, p, 1, bgra);
        uint32_t colour = (uint32_t)bgra[3] << 24 | bgra[2] << 16 | bgra[1] << 8 | bgra[0];
        if (colour == colourKey) p[0] = p[1] = p[2] = p[3] = 0.0f;
    }
}

// --- 8-bit working pictures -------------------------------------------------------------------

bool UnpackLevelBytes(const Image& image, uint32_t face, uint32_t level, std::vector<uint8_t>& bgra)
{
    if (image.IsEmpty() || face >= image.faces || level >= image.mipLevels || IsFloatFormat(image.format)) return false;
    uint32_t width = image.LevelWidth(level), height = image.LevelHeight(level);
    size_t count = (size_t)width * height;
    bgra.resize(count * 4);
    const uint8_t* pixels = image.Level(face, level);
    if (IsCompressed(image.format)) return DecodeDXT(image.format, pixels, image.LevelSize(level), width, height, bgra.data());
    if (image.format == PixelFormat::A8R8G8B8) {
        memcpy(bgra.data(), pixels, count * 4);
        return true;
    }
    // Other formats a short run of pixels at a time through floats.
    const size_t run = 1024;
    float rgba[run * 4];
    size_t pixelBytes = BytesPerBlock(image.format);
    for (size_t i = 0; i < count; i += run) {
        size_t n = std::min(run, count - i);
        if (!UnpackPixels(image.format, pixels + i * pixelBytes, n, rgba) ||
            !PackPixels(PixelFormat::A8R8G8B8, rgba, n, &bgra[i * 4]))
            return false;
    }
    return true;
}

bool PackLevelBytes(const uint8_t* bgra, Image& image, uint32_t face, uint32_t level)
{
    if (image.IsEmpty() || face >= image.faces || level >= image.mipLevels || IsFloatFormat(image.format)) return false;
    uint32_t width = image.LevelWidth(level), height = image.LevelHeight(level);
    size_t count = (size_t)width * height;
    uint8_t* pixels = image.Level(face, level);
    if (IsCompressed(image.format)) return EncodeDXT(image.format, bgra, width, height, pixels);
    if (image.format == PixelFormat::A8R8G8B8) {
        if (pixels != bgra) memcpy(pixels, bgra, count * 4);
        return true;
    }
    const size_t run = 1024;
    float rgba[run * 4];
    size_t pixelBytes = BytesPerBlock(image.format);
    for (size_t i = 0; i < count; i += run) {
        size_t n = std::min(run, count - i);
        if (!UnpackPixels(PixelFormat::A8R8G8B8, &bgra[i * 4], n, rgba) ||
            !PackPixels(image.format, rgba, n, pixels + i * pixelBytes))
            return false;
    }
    return true;
}

void ResampleBytes(const uint8_t* in, uint32_t inWidth, uint32_t inHeight, uint8_t* out, uint32_t width,
                   uint32_t height, uint32_t filter)
{
    filter &= 0xFF;
    if (filter == IMAGE_FILTER_NONE) {
        memset(out, 0, (size_t)width * height * 4);
        uint32_t w = std::min(width, inWidth), h = std::min(height, inHeight);
        for (uint32_t y = 0; y < h; y++) memcpy(out + (size_t)y * width * 4, in + (size_t)y * inWidth * 4, (size_t)w * 4);
        return;
    }
    std::vector<std::vector<Tap>> across = AxisTaps(inWidth, width, filter);
    std::vector<std::vector<Tap>> down = AxisTaps(inHeight, height, filter);
    // Down first, into one row of sums; then across that row.
    std::vector<float> row((size_t)inWidth * 4);
    for (uint32_t y = 0; y < height; y++) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (const Tap& tap : down[y]) {
            const uint8_t* source = in + (size_t)tap.index * inWidth * 4;
            for (size_t i = 0; i < row.size(); i++) row[i] += source[i] * tap.weight;
        }
        uint8_t* target = out + (size_t)y * width * 4;
        for (uint32_t x = 0; x < width; x++) {
            float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (const Tap& tap : across[x])
                for (int c = 0; c < 4; c++) sum[c] += row[(size_t)tap.index * 4 + c] * tap.weight;
            for (int c = 0; c < 4; c++) target[x * 4 + c] = (uint8_t)std::clamp(sum[c] + 0.5f, 0.0f, 255.0f);
        }
    }
}

void ApplyColourKeyBytes(uint8_t* bgra, size_t count, uint32_t colourKey)
{
    if (colourKey == 0) return;
    for (size_t i = 0; i < count; i++, bgra += 4) {
        uint32_t colour = (uint32_t)bgra[3] << 24 | bgra[2] << 16 | bgra[1] << 8 | bgra[0];
        if (colour == colourKey) memset(bgra, 0, 4);
    }
}

// --- Whole images ----------------------------------------------------------------------------

bool ConvertImage(const Image& in, PixelFormat format, Image& out)
{
    if (in.IsEmpty() || !IsKnownFormat(format)) {
        Log("ERROR ConvertImage: no picture or unknown format %s\n", PixelFormatName(format));
        out.Clear();
        return false;
    }
    if (format == in.format) {
        if (&out != &in) out = in;
        return true;
    }
    Image result;
    if (!result.Create(format, in.width, in.height, in.mipLevels, in.faces)) return false;
    FloatPlane plane;
    for (uint32_t face = 0; face < in.faces; face++)
        for (uint32_t level = 0; level < in.mipLevels; level++)
            if (!UnpackLevel(in, face, level, plane) || !PackLevel(plane, result, face, level)) {
                Log("ERROR ConvertImage: %s to %s failed\n", PixelFormatName(in.format), PixelFormatName(format));
                out.Clear();
                return false;
            }
    out = std::move(result);
    return true;
}

bool ResizeImage(const Image& in, uint32_t width, uint32_t height, uint32_t filter, Image& out)
{
    Image result;
    if (in.IsEmpty() || !result.Create(in.format, width, height, 1, in.faces)) {
        Log("ERROR ResizeImage: cannot make %u x %u\n", width, height);
        out.Clear();
        return false;
    }
    FloatPlane plane;
    for (uint32_t face = 0; face < in.faces; face++) {
        if (!UnpackLevel(in, face, 0, plane) || !PackLevel(ResamplePlane(plane, width, height, filter), result, face, 0)) {
            out.Clear();
            return false;
        }
    }
    out = std::move(result);
    return true;
}

bool BuildMipChain(Image& image, uint32_t mipLevels, uint32_t mipFilter)
{
    if (image.IsEmpty()) return false;
    uint32_t full = FullMipCount(image.width, image.height);
    uint32_t levels = (mipLevels == 0 || mipLevels > full) ? full : mipLevels;
    if (levels <= image.mipLevels) return true;
    Image result;
    if (!result.Create(image.format, image.width, image.height, levels, image.faces)) return false;
    for (uint32_t face = 0; face < image.faces; face++) {
        for (uint32_t level = 0; level < image.mipLevels; level++)
            memcpy(result.Level(face, level), image.Level(face, level), image.LevelSize(level));
        FloatPlane plane;
        if (!UnpackLevel(image, face, image.mipLevels - 1, plane)) return false;
        for (uint32_t level = image.mipLevels; level < levels; level++) {
            plane = HalvePlane(plane, mipFilter);
            if (!PackLevel(plane, result, face, level)) return false;
        }
    }
    image = std::move(result);
    return true;
}
