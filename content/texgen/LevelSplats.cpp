// The ground decals the level generator lays (scorched ground under creature spawners that
// bring none of their own, the stained ring around a fuel vent) and the three grades of ore
// that paint a deposit's veins.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>

namespace {

// 1 in the middle, 0 towards the edge of the square, round and ragged.
float RoundFade(float u, float v, float inner, uint32_t seed)
{
    float du = u - 0.5f, dv = v - 0.5f;
    float edge = std::sqrt(du * du + dv * dv) + (Fbm(u, v, 6, 3, seed) - 0.5f) * 0.1f;
    return Smoothstep(0.5f, inner, edge);
}

float ScorchHeight(float u, float v)
{
    return 0.4f + 0.6f * Fbm(u, v, 9, 4, 831);
}

float VentHeight(float u, float v)
{
    float du = u - 0.5f, dv = v - 0.5f;
    float r = std::sqrt(du * du + dv * dv);
    return Clamp01(0.5f + 0.4f * std::cos(r * 30.0f) * Smoothstep(0.45f, 0.1f, r) + 0.2f * Fbm(u, v, 8, 3, 832));
}

void PaintNormalsOf(Canvas& c, float (*height)(float, float), float depth)
{
    Plane plane(c.Width(), c.Height());
    plane.Paint(height);
    c.Draw(NormalMapFromHeight(plane, depth, false), 0, 0);
}

bool PaintOre(Canvas& c, uint32_t dark, uint32_t light, uint32_t seed)
{
    c.Paint([=](float u, float v) {
        float veins = RidgedFbm(u, v, 6, 4, seed);
        Colour ore = Mix(Hex(dark), Hex(light), Smoothstep(0.4f, 0.85f, veins));
        return Mix(ore, Hex(0xFFFFFF), 0.35f * Smoothstep(0.85f, 0.97f, veins));
    });
    return true;
}

}  // namespace

bool PaintDefaultSplat(Canvas& c)
{
    c.Paint([](float u, float v) {
        Colour scorch = Mix(Hex(0x1E1A16), Hex(0x4A3E30), Fbm(u, v, 10, 4, 833));
        return WithAlpha(scorch, 0.85f * RoundFade(u, v, 0.2f, 834));
    });
    return true;
}

bool PaintDefaultSplatNormals(Canvas& c)
{
    PaintNormalsOf(c, ScorchHeight, 5.0f);
    return true;
}

bool PaintVentSplat(Canvas& c)
{
    c.Paint([](float u, float v) {
        Colour stain = Mix(Hex(0x3A3020), Hex(0x8A7A3A), VentHeight(u, v));
        return WithAlpha(stain, 0.9f * RoundFade(u, v, 0.25f, 835));
    });
    return true;
}

bool PaintVentSplatNormals(Canvas& c)
{
    PaintNormalsOf(c, VentHeight, 7.0f);
    return true;
}

bool PaintOreRed(Canvas& c) { return PaintOre(c, 0x5A1810, 0xE0502A, 836); }
bool PaintOreGreen(Canvas& c) { return PaintOre(c, 0x184A18, 0x58D048, 837); }
bool PaintOreBlue(Canvas& c) { return PaintOre(c, 0x142A5A, 0x4A90E8, 838); }
