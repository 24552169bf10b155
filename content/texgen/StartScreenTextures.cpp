// The start screen's sky, in the blues and violets of the story's space: a field of faint
// stars over deep blue, a cloud of nebula laid over it, a patch of small stars (drawn flipped
// four ways, so the patches differ) and one bright star with its rays, painted white to take
// the screen's tints.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"

#include <algorithm>
#include <cmath>

namespace {

const Colour SpaceDeep = Hex(0x03060F);
const Colour SpaceBlue = Hex(0x0E1C3A);
const Colour StarLight = Hex(0xE8F0FF);

// A soft round star of the given radius and brightness at (x, y).
void DabStar(Canvas& c, float x, float y, float radius, float bright, Colour light)
{
    const int w = (int)c.Width(), h = (int)c.Height();
    const int reach = (int)std::ceil(radius * 3.0f);
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const int px = (int)x + dx, py = (int)y + dy;
            if (px < 0 || py < 0 || px >= w || py >= h) continue;
            const float d = std::hypot(px + 0.5f - x, py + 0.5f - y);
            c.Blend((uint32_t)px, (uint32_t)py, light, Clamp01(std::exp(-d * d / (radius * radius)) * bright));
        }
}

}  // namespace

bool PaintStarfield(Canvas& c)
{
    const uint32_t seed = 4111;
    c.Paint([&](float u, float v) {
        const Colour sky = Mix(SpaceBlue, SpaceDeep, Smoothstep(0.0f, 1.0f, 0.35f + 0.5f * v - 0.2f * u));
        const float dust = Smoothstep(0.55f, 0.9f, Fbm(u * 2.0f, v, 4, 5, seed));
        return Mix(sky, Hex(0x1C2C5C), dust * 0.5f);
    });
    const float w = (float)c.Width(), h = (float)c.Height();
    for (int i = 0; i < 900; ++i) {
        const float size = HashUnit(i, 3, seed);
        const float radius = size > 0.985f ? 1.4f : size > 0.9f ? 0.9f : 0.55f;
        const Colour tint = Mix(StarLight, HashUnit(i, 5, seed) > 0.5f ? Hex(0xFFE2B0) : Hex(0xA8C4FF), 0.4f);
        DabStar(c, HashUnit(i, 1, seed) * w, HashUnit(i, 2, seed) * h, radius, 0.25f + 0.65f * HashUnit(i, 4, seed),
                tint);
    }
    return true;
}

bool PaintNebula(Canvas& c)
{
    const uint32_t seed = 977;
    c.Paint([&](float u, float v) {
        // A long cloud lying across the picture, thinning toward the edges.
        const float du = (u - 0.5f) * 2.0f, dv = (v - 0.5f) * 2.0f;
        const float falloff = Clamp01(1.0f - (du * du * 0.8f + dv * dv * 1.6f));
        float wu = u, wv = v;
        Warp(wu, wv, 4, 0.08f, seed + 3);
        const float cloud = Fbm(wu * 2.0f, wv * 2.0f, 4, 6, seed);
        const float veil = Smoothstep(0.35f, 0.8f, cloud) * falloff;
        const float core = Smoothstep(0.6f, 0.9f, Fbm(wu * 2.0f, wv * 2.0f, 4, 5, seed + 11)) * falloff;
        const Colour tint = Mix(Mix(Hex(0x3A4C8C), Hex(0x7A3E8C), Smoothstep(0.3f, 0.7f, u)), Hex(0xC08AD8), core);
        return WithAlpha(tint, Clamp01(veil * 0.75f + core * 0.25f));
    });
    return true;
}

bool PaintStars(Canvas& c)
{
    const uint32_t seed = 313;
    const float w = (float)c.Width(), h = (float)c.Height();
    for (int i = 0; i < 70; ++i) {
        // A loose cluster: most of the stars near the middle, none cut by the edges.
        const float a = HashUnit(i, 1, seed) * 6.2831853f, r = std::sqrt(HashUnit(i, 2, seed)) * 0.42f;
        const float x = w * (0.5f + r * std::cos(a)), y = h * (0.5f + r * std::sin(a));
        const float size = HashUnit(i, 3, seed);
        const float radius = (size > 0.93f ? 2.0f : size > 0.7f ? 1.2f : 0.7f) * w / 256.0f;
        DabStar(c, x, y, radius, 0.5f + 0.5f * HashUnit(i, 4, seed), StarLight);
    }
    return true;
}

bool PaintBigStar(Canvas& c)
{
    c.Paint([&](float u, float v) {
        const float x = (u - 0.5f) * 2.0f, y = (v - 0.5f) * 2.0f;
        const float d = std::sqrt(x * x + y * y);
        // A white core in a soft halo, with four thin rays.
        const float core = std::exp(-d * d * 90.0f);
        const float halo = std::exp(-d * d * 9.0f) * 0.45f;
        const float rays = (std::exp(-std::fabs(x) * 40.0f) + std::exp(-std::fabs(y) * 40.0f)) * Clamp01(1.0f - d) * 0.6f;
        const float light = Clamp01(core + halo + rays * (1.0f - Clamp01(d)));
        return WithAlpha(Rgb(1.0f, 1.0f, 1.0f), light);
    });
    return true;
}
