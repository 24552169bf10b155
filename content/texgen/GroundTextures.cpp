// Ground layers, water and lava. Every one of them tiles: patterns are built from noise of
// whole periods, and strokes drawn across an edge continue on the opposite side.
#include "content/texgen/GroundCommon.h"
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"
#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

// Scattered stones of different sizes on one cell in eight: 1 on a stone, 0 between.
float PebbleOf(float u, float v)
{
    CellSample stones = Cellular(u, v, 40, 22);
    if ((stones.cell & 7) != 0) return 0.0f;
    float size = 0.14f + 0.2f * ((stones.cell >> 8) & 255) / 255.0f;
    return Smoothstep(size, size - 0.1f, stones.f1);
}

}  // namespace

bool PaintGrass(Canvas& c)
{
    // Soil showing through, then thousands of blades seen from above.
    c.Paint([](float u, float v) {
        float soil = Fbm(u, v, 8, 4, 11);
        return Mix(Hex(0x2A2612), Hex(0x3D4419), soil);
    });
    const Colour greens[4] = {Hex(0x35561A), Hex(0x4A6E22), Hex(0x5E7F2A), Hex(0x73893A)};
    for (int i = 0; i < 14000; i++) {
        float x = HashUnit(i, 1, 12) * c.Width(), y = HashUnit(i, 2, 12) * c.Height();
        float angle = HashUnit(i, 3, 12) * Pi2;
        float length = 5.0f + 9.0f * HashUnit(i, 4, 12);
        // Patches of drier grass where the broad noise is high.
        float dry = Smoothstep(0.55f, 0.75f, Fbm(x / c.Width(), y / c.Height(), 3, 3, 13));
        Colour colour = Mix(greens[Hash(i, 5, 12) & 3], Hex(0x8C8A3E), dry * 0.7f);
        StrokeTiled(c, {x, y}, {x + std::cos(angle) * length, y + std::sin(angle) * length}, 2.2f,
                    Jitter(colour, 0.25f, Hash(i, 6, 12)));
    }
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Fbm(u, v, 16, 4, 14); });
    ShadeWithHeight(c, height, 6.0f, 0.5f);
    return true;
}

bool PaintDirt(Canvas& c)
{
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        float ground = Fbm(u, v, 6, 6, 21);
        return ground * 0.7f + PebbleOf(u, v) * 0.4f;
    });
    c.Paint([](float u, float v) {
        float tone = Fbm(u, v, 4, 5, 23);
        float grain = ValueNoise(u, v, 256, 24);
        Colour earth = Mix(Hex(0x4A3422), Hex(0x7A5A3A), tone);
        CellSample stones = Cellular(u, v, 40, 22);
        Colour stone = Jitter(Hex(0x6E6458), 0.4f, stones.cell);
        return Scale(Mix(earth, stone, PebbleOf(u, v) * 0.8f), 0.85f + 0.3f * grain);
    });
    ShadeWithHeight(c, height, 10.0f, 0.6f);
    return true;
}

bool PaintRock(Canvas& c)
{
    // Layered stone broken into blocks by cracks.
    auto crackOf = [](float u, float v) {
        float wu = u, wv = v;
        Warp(wu, wv, 4, 0.03f, 31);
        CellSample blocks = Cellular(wu, wv, 5, 32);
        return Smoothstep(0.035f, 0.0f, blocks.f2 - blocks.f1) * Smoothstep(0.3f, 0.55f, Fbm(u, v, 4, 3, 36));
    };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) { return RidgedFbm(u, v, 4, 6, 33) * 0.8f - crackOf(u, v) * 0.35f; });
    c.Paint([&](float u, float v) {
        float tone = Fbm(u, v, 3, 5, 34);
        float strata = 0.5f + 0.5f * std::sin(Pi2 * (v * 12.0f + Fbm(u, v, 2, 3, 35) * 2.0f));
        Colour stone = Mix(Hex(0x5A5652), Hex(0x8E8880), tone);
        stone = Scale(stone, 0.9f + 0.15f * strata);
        return Mix(stone, Hex(0x35322E), crackOf(u, v) * 0.7f);
    });
    ShadeWithHeight(c, height, 24.0f, 0.7f);
    return true;
}

bool PaintSand(Canvas& c)
{
    // Wind ripples: a whole number of waves across the tile, bent by noise.
    auto rippleOf = [](float u, float v) {
        float bend = Fbm(u, v, 2, 3, 41) * 3.0f;
        return 0.5f + 0.5f * std::sin(Pi2 * (v * 20.0f + u * 4.0f + bend));
    };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) { return rippleOf(u, v) * 0.6f + Fbm(u, v, 8, 3, 42) * 0.4f; });
    c.Paint([&](float u, float v) {
        float tone = Fbm(u, v, 3, 4, 43);
        float grain = HashUnit((int)(u * 512), (int)(v * 512), 44);
        Colour sand = Mix(Hex(0xB89A6A), Hex(0xD8BE8C), tone);
        return Scale(sand, 0.92f + 0.12f * grain + 0.05f * rippleOf(u, v));
    });
    ShadeWithHeight(c, height, 8.0f, 0.5f);
    return true;
}

bool PaintSnow(Canvas& c)
{
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Fbm(u, v, 4, 6, 51); });
    c.Paint([](float u, float v) {
        float tone = Fbm(u, v, 3, 4, 52);
        float sparkle = HashUnit((int)(u * 512), (int)(v * 512), 53) > 0.985f ? 0.08f : 0.0f;
        Colour snow = Mix(Hex(0xC6D2E0), Hex(0xF2F6FA), tone);
        return Rgb(std::min(1.0f, snow.r + sparkle), std::min(1.0f, snow.g + sparkle), std::min(1.0f, snow.b + sparkle));
    });
    ShadeWithHeight(c, height, 12.0f, 0.6f);
    return true;
}

// Cooled lava: dark plates with embers in the seams.
bool PaintAsh(Canvas& c)
{
    auto seamOf = [](float u, float v) {
        CellSample plates = Cellular(u, v, 10, 61);
        return Smoothstep(0.08f, 0.0f, plates.f2 - plates.f1);
    };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) { return Fbm(u, v, 8, 5, 62) * 0.7f - seamOf(u, v) * 0.3f; });
    c.Paint([&](float u, float v) {
        float tone = Fbm(u, v, 4, 5, 63);
        Colour rock = Mix(Hex(0x1C1A1A), Hex(0x3E3834), tone);
        float ember = seamOf(u, v) * Smoothstep(0.45f, 0.7f, Fbm(u, v, 3, 3, 64));
        return Mix(rock, Hex(0xD84A10), ember);
    });
    ShadeWithHeight(c, height, 16.0f, 0.6f);
    return true;
}

// Pebbles and lumps for the ground's normal map.
bool PaintGroundNormals(Canvas& c)
{
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        CellSample stones = Cellular(u, v, 24, 71);
        float pebble = (stones.cell & 3) == 0 ? Smoothstep(0.4f, 0.15f, stones.f1) : 0.0f;
        return Fbm(u, v, 8, 5, 72) * 0.7f + pebble * 0.3f;
    });
    Canvas normals = NormalMapFromHeight(height, 6.0f, true);
    c.Draw(normals, 0, 0);
    return true;
}

// Water ripples: a few travelling waves of whole wave numbers, roughened by noise.
bool PaintWaves(Canvas& c)
{
    struct Wave {
        float ku, kv, amplitude;
    };
    const Wave waves[] = {{3, 1, 0.35f}, {-2, 4, 0.25f}, {5, -3, 0.15f}, {1, 7, 0.1f}};
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) {
        float sum = 0;
        for (const Wave& w : waves) sum += w.amplitude * std::sin(Pi2 * (w.ku * u + w.kv * v));
        return 0.5f + 0.5f * sum + (Fbm(u, v, 8, 4, 81) - 0.5f) * 0.3f;
    });
    Canvas normals = NormalMapFromHeight(height, 10.0f, true);
    c.Draw(normals, 0, 0);
    return true;
}

// Molten rock with drifting crust.
bool PaintLavaRiver(Canvas& c)
{
    c.Paint([](float u, float v) {
        float wu = u, wv = v;
        Warp(wu, wv, 3, 0.05f, 91);
        float heat = Fbm(wu, wv, 4, 5, 92);
        Colour molten = Mix(Hex(0xC0300A), Hex(0xFFD040), Smoothstep(0.35f, 0.75f, heat));
        CellSample crust = Cellular(wu, wv, 8, 93);
        float plate = Smoothstep(0.55f, 0.65f, Fbm(wu, wv, 3, 4, 94)) * Smoothstep(0.02f, 0.1f, crust.f2 - crust.f1);
        Colour rock = Mix(Hex(0x2A1410), Hex(0x5A2414), ValueNoise(wu, wv, 64, 95));
        return Mix(molten, rock, plate);
    });
    return true;
}
