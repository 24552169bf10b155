// Short-lived ground decals: red and green blood stains in five shapes each, and the cracked,
// scorched ground a heavy impact leaves, with its normal map. Each lies on a transparent
// square and fades out toward the square's edge.
#include "content/texgen/GroundCommon.h"
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A splash of liquid: a ragged pool with droplets flung out around it. Alpha is the amount of
// liquid (thick in the pool, thin at its rim); colour darkens where it is thick.
void PaintStain(Canvas& c, Colour thin, Colour thick, uint32_t seed)
{
    const float side = (float)c.Width();
    const Vec2 centre = {side * 0.5f, side * 0.5f};
    // The pool's outline: a radius that wanders round the centre.
    auto radiusAt = [&](float angle) {
        float u = 0.5f + 0.35f * std::cos(angle), v = 0.5f + 0.35f * std::sin(angle);
        return side * (0.2f + 0.14f * Fbm(u, v, 3, 3, seed));
    };
    std::vector<Vec2> drops;
    std::vector<float> dropSizes;
    int count = 10 + (int)(Hash(0, 0, seed) % 8);
    for (int i = 0; i < count; i++) {
        float angle = HashUnit(i, 1, seed) * Pi2;
        float distance = side * (0.26f + 0.18f * HashUnit(i, 2, seed));
        drops.push_back({centre.x + std::cos(angle) * distance, centre.y + std::sin(angle) * distance});
        dropSizes.push_back(side * (0.012f + 0.03f * HashUnit(i, 3, seed)));
    }
    c.Paint([&](float u, float v) {
        Vec2 p = {u * side, v * side};
        Vec2 d = p - centre;
        float r = Length(d);
        float angle = std::atan2(d.y, d.x);
        float edge = radiusAt(angle);
        float amount = Clamp01((edge - r) / (side * 0.04f));
        for (size_t i = 0; i < drops.size(); i++) amount = std::max(amount, Clamp01((dropSizes[i] - Length(p - drops[i])) * 0.7f));
        float depth = Clamp01((edge - r) / (side * 0.2f));
        Colour colour = Mix(thin, thick, depth);
        colour = Scale(colour, 0.9f + 0.2f * Fbm(u, v, 8, 3, seed + 1));
        // Everything fades before the square's edge, so the decal never shows its border.
        float fade = Smoothstep(0.5f, 0.42f, std::max(std::fabs(u - 0.5f), std::fabs(v - 0.5f)));
        return WithAlpha(colour, amount * fade * (0.6f + 0.35f * depth));
    });
}

void PaintRedStain(Canvas& c, uint32_t seed)
{
    PaintStain(c, Hex(0x9A1A12), Hex(0x4A0604), seed);
}

void PaintGreenStain(Canvas& c, uint32_t seed)
{
    PaintStain(c, Hex(0x6AAA1A), Hex(0x2A5A0A), seed);
}

// Cracks running out from the centre, and a scorched ring around them: the height (cracks
// low) and the soot.
float CrackHeight(float u, float v)
{
    float du = u - 0.5f, dv = v - 0.5f;
    float r = std::sqrt(du * du + dv * dv);
    float angle = std::atan2(dv, du);
    float wu = u, wv = v;
    Warp(wu, wv, 6, 0.02f, 421);
    CellSample plates = Cellular(wu, wv, 9, 422);
    float crack = Smoothstep(0.07f, 0.0f, plates.f2 - plates.f1);
    // Long radial cracks: narrow wedges at a few angles.
    float rays = 0.0f;
    for (int i = 0; i < 7; i++) {
        float a = HashUnit(i, 1, 423) * Pi2;
        float diff = std::fabs(std::remainder(angle - a, Pi2));
        rays = std::max(rays, Smoothstep(0.05f, 0.0f, diff * r * 2.0f + std::fabs(Fbm(u, v, 8, 2, 424) - 0.5f) * 0.02f));
    }
    float strength = Smoothstep(0.45f, 0.1f, r);
    return 0.6f - std::max(crack * strength, rays * Smoothstep(0.42f, 0.05f, r)) * 0.5f;
}

}  // namespace

bool PaintBlood0(Canvas& c) { PaintRedStain(c, 401); return true; }
bool PaintBlood1(Canvas& c) { PaintRedStain(c, 402); return true; }
bool PaintBlood2(Canvas& c) { PaintRedStain(c, 403); return true; }
bool PaintBlood3(Canvas& c) { PaintRedStain(c, 404); return true; }
bool PaintBlood4(Canvas& c) { PaintRedStain(c, 405); return true; }
bool PaintGreenBlood0(Canvas& c) { PaintGreenStain(c, 411); return true; }
bool PaintGreenBlood1(Canvas& c) { PaintGreenStain(c, 412); return true; }
bool PaintGreenBlood2(Canvas& c) { PaintGreenStain(c, 413); return true; }
bool PaintGreenBlood3(Canvas& c) { PaintGreenStain(c, 414); return true; }
bool PaintGreenBlood4(Canvas& c) { PaintGreenStain(c, 415); return true; }

bool PaintCrackedGround(Canvas& c)
{
    c.Paint([](float u, float v) {
        float du = u - 0.5f, dv = v - 0.5f;
        float r = std::sqrt(du * du + dv * dv);
        float h = CrackHeight(u, v);
        Colour scorch = Mix(Hex(0x1A1612), Hex(0x4A4036), Smoothstep(0.1f, 0.45f, r) * 0.7f + Fbm(u, v, 6, 3, 425) * 0.3f);
        Colour colour = Mix(Hex(0x0A0806), scorch, Smoothstep(0.3f, 0.6f, h));
        float alpha = Smoothstep(0.48f, 0.3f, r + (Fbm(u, v, 5, 3, 426) - 0.5f) * 0.1f);
        return WithAlpha(colour, alpha * 0.95f);
    });
    Plane height(c.Width(), c.Height());
    height.Paint(CrackHeight);
    Plane light = LightFromHeight(height, 10.0f, false);
    for (float& v : light.Values()) v = Lerp(1.0f, v, 0.6f);
    c.Modulate(light);
    return true;
}

bool PaintCrackedGroundNormals(Canvas& c)
{
    Plane height(c.Width(), c.Height());
    height.Paint(CrackHeight);
    Canvas normals = NormalMapFromHeight(height, 10.0f, false);
    c.Draw(normals, 0, 0);
    return true;
}
