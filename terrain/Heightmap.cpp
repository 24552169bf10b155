#include "terrain/Heightmap.h"

#include "host/ImageCodec.h"
#include "host/SteadyMath.h"
#include "render/GraphicsDevice.h"
#include "render/TextureManager.h"
#include "terrain/TextureLock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr const char* TEXTURE_NAME = "dyn_heightmap";
constexpr float PI_F = 3.14159265f;

// The first cell of a square of side size centred on c.
int SquareStart(int size, int c)
{
    return c - (int)((float)size * 0.5f);
}

}  // namespace

float NoiseLatticeValue(int m)
{
    // Unsigned arithmetic: the mixing relies on 32-bit wrap-around.
    uint32_t n = (uint32_t)m;
    uint32_t q = (n << 13) ^ n;
    uint32_t mixed = (q * (q * q * 15731u + 789221u) + 1376312589u) & 0x7FFFFFFFu;
    return 1.0f - (float)((double)mixed / 1073741824.0);
}

Heightmap::Heightmap(int width_, int height_, float verticalScale_)
    : width(std::max(width_, 0)), height(std::max(height_, 0)), verticalScale(verticalScale_),
      data((size_t)width * (size_t)height, 0.0f)
{
}

Heightmap::~Heightmap() { Free(); }

void Heightmap::Free()
{
    std::vector<float>().swap(data);
    texture = nullptr;
}

float Heightmap::GetHeightAt(int x, int y) const
{
    if (!IsInside(x, y) || data.empty()) return 0.0f;
    return data[(size_t)y * width + x];
}

void Heightmap::Fill(float value)
{
    float limit = std::fabs(verticalScale);
    std::fill(data.begin(), data.end(), std::clamp(value, -limit, limit));
}

bool Heightmap::LoadImage(const char* path)
{
    std::fill(data.begin(), data.end(), 0.0f);
    if (!path || width == 0 || height == 0 || data.empty()) return false;
    Image image;
    if (!CreateImageFromFileEx(path, (uint32_t)width, (uint32_t)height, 1, PixelFormat::L8, IMAGE_DEFAULT,
                               IMAGE_DEFAULT, 0, image))
        return false;
    const uint8_t* bytes = image.Level(0, 0);
    size_t pitch = image.LevelPitch(0);
    for (int y = 0; y < height && y < (int)image.height; ++y)
        for (int x = 0; x < width && x < (int)image.width; ++x)
            data[(size_t)y * width + x] = (float)bytes[(size_t)y * pitch + x] / 255.0f * verticalScale;
    return true;
}

int Heightmap::HeightToByte(float h) const
{
    if (verticalScale == 0.0f) return 0;
    float level = h * 255.0f / verticalScale;
    if (!(level > 0.0f)) return 0;  // NaN too
    if (level >= 255.0f) return 255;
    return (int)level;
}

void Heightmap::RefreshTexture()
{
    if (texture || !Textures || width == 0 || height == 0) return;
    TextureRecord* record = Textures->FindTexture(TEXTURE_NAME);
    // A texture left by a map of another size is made again at ours.
    bool fits = record && record->texture && record->texture->GetWidth(0) == (uint32_t)width &&
                record->texture->GetHeight(0) == (uint32_t)height;
    if (!fits) record = Textures->CreateDynamicTexture((uint32_t)width, (uint32_t)height, FMT_L8, TEXTURE_NAME, 1);
    texture = record;
    UploadToTexture();
}

void Heightmap::UploadToTexture()
{
    TextureLock lock(texture, 0);
    if (!lock.IsLocked()) return;
    for (int y = 0; y < height && y < lock.height; ++y) {
        uint8_t* row = lock.Row(y);
        for (int x = 0; x < width && x < lock.width; ++x) row[x] = (uint8_t)HeightToByte(data[(size_t)y * width + x]);
    }
}

bool Heightmap::SaveTexture(const char* path)
{
    RefreshTexture();
    Image image;
    if (!path || data.empty() || !image.Create(PixelFormat::L8, (uint32_t)width, (uint32_t)height)) return false;
    // The image holds what the texture holds: the grid as grey levels.
    uint8_t* bytes = image.Level(0, 0);
    size_t pitch = image.LevelPitch(0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bytes[(size_t)y * pitch + x] = (uint8_t)HeightToByte(data[(size_t)y * width + x]);
    return SaveImageFile(path, ImageFileFormat::BMP, image);
}

bool Heightmap::SetTexel(int x, int y, float h)
{
    TextureLock lock(texture, 0);
    if (!lock.IsLocked() || x < 0 || y < 0 || x >= lock.width || y >= lock.height) return false;
    lock.Row(y)[x] = (uint8_t)HeightToByte(h);
    return true;
}

bool Heightmap::BrushTexture(float amount, int size, int cx, int cy, int mode)
{
    TextureLock lock(texture, 0);
    if (!lock.IsLocked()) return false;
    if (size <= 0) return true;
    float r = (float)size * 0.5f;
    int x0 = cx - (int)r, y0 = cy - (int)r;
    for (int j = 0; j < size; ++j) {
        int y = y0 + j;
        if (y < 0 || y >= height || y >= lock.height) continue;
        uint8_t* row = lock.Row(y);
        for (int i = 0; i < size; ++i) {
            int x = x0 + i;
            if (x < 0 || x >= width || x >= lock.width) continue;
            float d = std::sqrt((r - (float)i) * (r - (float)i) + (r - (float)j) * (r - (float)j));
            float current = verticalScale * (float)row[x] / 255.0f;
            float result = current;
            switch (mode) {
            case 0: result = (r - std::min(d, r)) / r * amount + current; break;
            case 1: result = d <= r ? amount : current; break;
            case 2: result = d <= r ? current + amount : current; break;
            default: break;
            }
            row[x] = (uint8_t)HeightToByte(std::clamp(result, 0.0f, verticalScale));
        }
    }
    return true;
}

void Heightmap::ReadBackRegion(int size, int cx, int cy)
{
    TextureLock lock(texture, LOCK_READONLY);
    if (!lock.IsLocked()) return;
    int side = size, x0 = SquareStart(size, cx), y0 = SquareStart(size, cy);
    if (size == 0) {
        side = width;
        x0 = y0 = 0;
    }
    for (int y = y0; y < y0 + side; ++y) {
        if (y < 0 || y >= height || y >= lock.height) continue;
        const uint8_t* row = lock.Row(y);
        for (int x = x0; x < x0 + side; ++x) {
            if (x < 0 || x >= width || x >= lock.width) continue;
            data[(size_t)y * width + x] = (float)row[x] / 255.0f * verticalScale;
        }
    }
}

void Heightmap::Smooth(float factor)
{
    if (data.empty()) return;
    std::vector<float> smoothed(data.size(), 0.0f);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            int count = 0;
            for (int j = y - 1; j <= y + 1; ++j)
                for (int i = x - 1; i <= x + 1; ++i)
                    if (IsInside(i, j)) {
                        sum += data[(size_t)j * width + i];
                        ++count;
                    }
            float old = data[(size_t)y * width + x];
            smoothed[(size_t)y * width + x] = old * (1.0f - factor) + sum / (float)count * factor;
        }
    data.swap(smoothed);
}

void Heightmap::SmoothRegion(int size, int cx, int cy)
{
    if (data.empty() || size <= 0) return;
    int x0 = SquareStart(size, cx), y0 = SquareStart(size, cy);
    std::vector<float> results((size_t)size * size, 0.0f);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            float sum = 0.0f;
            int count = 0;
            for (int y = y0 + j - 1; y <= y0 + j + 1; ++y)
                for (int x = x0 + i - 1; x <= x0 + i + 1; ++x)
                    if (IsInside(x, y)) {
                        sum += data[(size_t)y * width + x];
                        ++count;
                    }
            results[(size_t)j * size + i] = count ? sum / (float)count : 0.0f;
        }
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i)
            if (IsInside(x0 + i, y0 + j)) data[(size_t)(y0 + j) * width + x0 + i] = results[(size_t)j * size + i];
}

void Heightmap::MultiplyBy(const Heightmap& other)
{
    if (data.empty()) return;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float m = 1.0f;
            if (other.IsInside(x, y) && !other.data.empty() && other.verticalScale != 0.0f)
                m = other.GetHeightAt(x, y) / other.verticalScale;
            data[(size_t)y * width + x] *= m;
        }
}

int Heightmap::GenerateNoise(int seed, float zoom, float persistence, int octaves)
{
    if (data.empty()) return 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float u = (float)x / (float)width * zoom, v = (float)y / (float)height * zoom;
            float sum = 0.0f;
            for (int k = 0; k < octaves; ++k) {
                float frequency = Pow(2.0f, (float)k), amplitude = Pow(persistence, (float)k);
                float fx = u * frequency, fy = v * frequency;
                int ix = (int)fx, iy = (int)fy;
                fx -= (float)ix;
                fy -= (float)iy;
                int base = (int)((uint32_t)ix + 57u * (uint32_t)iy + (uint32_t)seed);
                float wx = (1.0f - Cos(fx * PI_F)) * 0.5f, wy = (1.0f - Cos(fy * PI_F)) * 0.5f;
                float top = NoiseLatticeValue(base) * (1.0f - wx) + NoiseLatticeValue((int)((uint32_t)base + 1u)) * wx;
                float bottom = NoiseLatticeValue((int)((uint32_t)base + 57u)) * (1.0f - wx) +
                               NoiseLatticeValue((int)((uint32_t)base + 58u)) * wx;
                sum += (top * (1.0f - wy) + bottom * wy) * amplitude;
            }
            // Clamped before the conversion: beyond +-1000 the grey level is at its limit anyway.
            float scaled = std::clamp(sum * -128.0f, -1000.0f, 1000.0f);
            int grey = std::clamp(128 - (int)scaled, 0, 255);
            data[(size_t)y * width + x] = (float)grey / 255.0f * verticalScale;
        }
    return 0;
}
