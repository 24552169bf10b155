#include "content/texgen/Noise.h"

#include <cmath>

namespace {

uint32_t Mix32(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

int WrapIndex(int i, int period)
{
    i %= period;
    return i < 0 ? i + period : i;
}

float Fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

// One of 16 evenly spread unit directions, from a table so no maths library call decides
// the bytes of a texture.
const float GradX[16] = {1.0f, 0.9239f, 0.7071f, 0.3827f, 0.0f, -0.3827f, -0.7071f, -0.9239f,
                         -1.0f, -0.9239f, -0.7071f, -0.3827f, 0.0f, 0.3827f, 0.7071f, 0.9239f};
const float GradY[16] = {0.0f, 0.3827f, 0.7071f, 0.9239f, 1.0f, 0.9239f, 0.7071f, 0.3827f,
                         0.0f, -0.3827f, -0.7071f, -0.9239f, -1.0f, -0.9239f, -0.7071f, -0.3827f};

float GradientDot(int ix, int iy, int period, uint32_t seed, float dx, float dy)
{
    uint32_t h = Hash(WrapIndex(ix, period), WrapIndex(iy, period), seed) & 15u;
    return GradX[h] * dx + GradY[h] * dy;
}

}  // namespace

uint32_t Hash(int x, int y, uint32_t seed)
{
    return Mix32((uint32_t)x * 0x8DA6B343u ^ Mix32((uint32_t)y * 0xD8163841u ^ Mix32(seed + 0x9E3779B9u)));
}

float HashUnit(int x, int y, uint32_t seed) { return (Hash(x, y, seed) >> 8) * (1.0f / 16777216.0f); }

float ValueNoise(float u, float v, int period, uint32_t seed)
{
    if (period < 1) period = 1;
    float x = u * period, y = v * period;
    int ix = (int)std::floor(x), iy = (int)std::floor(y);
    float fx = Fade(x - ix), fy = Fade(y - iy);
    auto at = [&](int cx, int cy) { return HashUnit(WrapIndex(cx, period), WrapIndex(cy, period), seed); };
    float top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * fx;
    float bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * fx;
    return top + (bottom - top) * fy;
}

float GradientNoise(float u, float v, int period, uint32_t seed)
{
    if (period < 1) period = 1;
    float x = u * period, y = v * period;
    int ix = (int)std::floor(x), iy = (int)std::floor(y);
    float dx = x - ix, dy = y - iy;
    float n00 = GradientDot(ix, iy, period, seed, dx, dy);
    float n10 = GradientDot(ix + 1, iy, period, seed, dx - 1, dy);
    float n01 = GradientDot(ix, iy + 1, period, seed, dx, dy - 1);
    float n11 = GradientDot(ix + 1, iy + 1, period, seed, dx - 1, dy - 1);
    float fx = Fade(dx), fy = Fade(dy);
    float top = n00 + (n10 - n00) * fx;
    float bottom = n01 + (n11 - n01) * fx;
    return (top + (bottom - top) * fy) * 1.41f;
}

float Fbm(float u, float v, int period, int octaves, uint32_t seed, float gain)
{
    float sum = 0, amplitude = 1, total = 0;
    for (int o = 0; o < octaves; o++) {
        sum += GradientNoise(u, v, period << o, seed + 101u * o) * amplitude;
        total += amplitude;
        amplitude *= gain;
    }
    return total > 0 ? 0.5f + 0.5f * sum / total : 0.5f;
}

float RidgedFbm(float u, float v, int period, int octaves, uint32_t seed, float gain)
{
    float sum = 0, amplitude = 1, total = 0;
    for (int o = 0; o < octaves; o++) {
        float n = 1.0f - std::fabs(GradientNoise(u, v, period << o, seed + 131u * o));
        sum += n * n * amplitude;
        total += amplitude;
        amplitude *= gain;
    }
    return total > 0 ? sum / total : 0.0f;
}

CellSample Cellular(float u, float v, int period, uint32_t seed, float jitter)
{
    if (period < 1) period = 1;
    float x = u * period, y = v * period;
    int ix = (int)std::floor(x), iy = (int)std::floor(y);
    CellSample best;
    best.f1 = best.f2 = 1e9f;
    for (int oy = -1; oy <= 1; oy++) {
        for (int ox = -1; ox <= 1; ox++) {
            int cx = WrapIndex(ix + ox, period), cy = WrapIndex(iy + oy, period);
            float px = ix + ox + 0.5f + (HashUnit(cx, cy, seed) - 0.5f) * jitter;
            float py = iy + oy + 0.5f + (HashUnit(cx, cy, seed + 7u) - 0.5f) * jitter;
            float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < best.f1) {
                best.f2 = best.f1;
                best.f1 = d;
                best.cell = Hash(cx, cy, seed + 13u);
            } else if (d < best.f2) {
                best.f2 = d;
            }
        }
    }
    return best;
}

void Warp(float& u, float& v, int period, float amount, uint32_t seed)
{
    float du = GradientNoise(u, v, period, seed) * amount;
    float dv = GradientNoise(u, v, period, seed + 57u) * amount;
    u += du;
    v += dv;
}
