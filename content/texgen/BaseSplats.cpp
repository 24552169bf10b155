// Ground decals under buildings: the levelled, scuffed ground of the player's base, the trodden
// earth of a scavenger camp and the slime around a creature's nest, each with its normal map.
// A decal fades out before the edge of its square, so it never shows its border.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>

namespace {

// 1 in the middle, 0 at the square's edge, with a ragged border.
float EdgeFade(float u, float v, float inner, uint32_t seed)
{
    float edge = std::max(std::fabs(u - 0.5f), std::fabs(v - 0.5f)) + (Fbm(u, v, 6, 3, seed) - 0.5f) * 0.08f;
    return Smoothstep(0.5f, inner, edge);
}

float BaseHeight(float u, float v)
{
    // Levelled ground with the seams of the slabs the builders pressed into it.
    float seams = std::min(std::fabs(std::fmod(u * 4.0f, 1.0f) - 0.5f), std::fabs(std::fmod(v * 4.0f, 1.0f) - 0.5f));
    return 0.6f + 0.25f * Fbm(u, v, 8, 3, 811) - 0.3f * Smoothstep(0.06f, 0.0f, 0.5f - seams);
}

float CampHeight(float u, float v)
{
    return 0.5f + 0.5f * Fbm(u, v, 10, 4, 812);
}

float NestHeight(float u, float v)
{
    return Clamp01(0.35f + 0.9f * (RidgedFbm(u, v, 6, 4, 813) - 0.4f));
}

void PaintNormals(Canvas& c, float (*height)(float, float), float depth)
{
    Plane plane(c.Width(), c.Height());
    plane.Paint(height);
    c.Draw(NormalMapFromHeight(plane, depth, false), 0, 0);
}

}  // namespace

bool PaintBuildingSplat(Canvas& c)
{
    c.Paint([](float u, float v) {
        Colour ground = Mix(Hex(0x4A4844), Hex(0x6A665E), Fbm(u, v, 8, 3, 814));
        ground = Mix(ground, Hex(0x2A2622), 0.4f * Smoothstep(0.55f, 0.8f, Fbm(u, v, 5, 3, 815)));
        return WithAlpha(Scale(ground, 0.85f + 0.3f * BaseHeight(u, v)), 0.9f * EdgeFade(u, v, 0.4f, 816));
    });
    return true;
}

bool PaintBuildingSplatNormals(Canvas& c)
{
    PaintNormals(c, BaseHeight, 6.0f);
    return true;
}

bool PaintCampSplat(Canvas& c)
{
    c.Paint([](float u, float v) {
        Colour earth = Mix(Hex(0x3E3022), Hex(0x6A5438), Fbm(u, v, 10, 4, 817));
        earth = Mix(earth, Hex(0x141210), 0.6f * Smoothstep(0.6f, 0.75f, Fbm(u, v, 4, 3, 818)));
        return WithAlpha(earth, 0.85f * EdgeFade(u, v, 0.3f, 819));
    });
    return true;
}

bool PaintCampSplatNormals(Canvas& c)
{
    PaintNormals(c, CampHeight, 5.0f);
    return true;
}

bool PaintNestSplat(Canvas& c)
{
    c.Paint([](float u, float v) {
        float h = NestHeight(u, v);
        Colour slime = Mix(Hex(0x3A1418), Hex(0x8A3A3A), h);
        slime = Mix(slime, Hex(0xC8B89A), 0.5f * Smoothstep(0.75f, 0.9f, h));
        return WithAlpha(slime, 0.9f * EdgeFade(u, v, 0.25f, 820));
    });
    return true;
}

bool PaintNestSplatNormals(Canvas& c)
{
    PaintNormals(c, NestHeight, 8.0f);
    return true;
}
