#include "content/texgen/GroundCommon.h"

#include "content/texgen/Noise.h"
#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>

void StrokeTiled(Canvas& c, Vec2 a, Vec2 b, float width, Colour colour)
{
    float w = (float)c.Width(), h = (float)c.Height();
    int x0 = (int)std::floor(std::min(a.x, b.x) - width - 1), x1 = (int)std::ceil(std::max(a.x, b.x) + width + 1);
    int y0 = (int)std::floor(std::min(a.y, b.y) - width - 1), y1 = (int)std::ceil(std::max(a.y, b.y) + width + 1);
    Vec2 ba = b - a;
    float len2 = std::max(Dot(ba, ba), 1e-6f);
    for (int y = y0; y <= y1; y++) {
        for (int x = x0; x <= x1; x++) {
            Vec2 p = {x + 0.5f, y + 0.5f};
            float t = std::clamp(Dot(p - a, ba) / len2, 0.0f, 1.0f);
            float d = Length(p - (a + ba * t)) - width * 0.5f * (1.0f - 0.8f * t);
            float coverage = Clamp01(0.5f - d);
            if (coverage <= 0) continue;
            int tx = ((x % (int)w) + (int)w) % (int)w, ty = ((y % (int)h) + (int)h) % (int)h;
            c.Blend((uint32_t)tx, (uint32_t)ty, colour, coverage);
        }
    }
}

void ShadeWithHeight(Canvas& c, const Plane& height, float depth, float amount)
{
    Plane light = LightFromHeight(height, depth, true);
    for (float& v : light.Values()) v = Lerp(1.0f, v, amount);
    c.Modulate(light);
}

Colour Jitter(Colour c, float amount, uint32_t hash)
{
    float k = 1.0f + amount * (((hash & 0xFFFF) / 65535.0f) - 0.5f) * 2.0f;
    return Scale(c, k);
}

void ScatterStrokes(Canvas& c, int count, float length, float spread, float width, const Colour* palette,
                    int paletteSize, uint32_t seed)
{
    for (int i = 0; i < count; i++) {
        float x = HashUnit(i, 1, seed) * c.Width(), y = HashUnit(i, 2, seed) * c.Height();
        float angle = HashUnit(i, 3, seed) * Pi2;
        float l = length + spread * HashUnit(i, 4, seed);
        Colour colour = palette[Hash(i, 5, seed) % (uint32_t)paletteSize];
        StrokeTiled(c, {x, y}, {x + std::cos(angle) * l, y + std::sin(angle) * l}, width, Jitter(colour, 0.25f, Hash(i, 6, seed)));
    }
}
