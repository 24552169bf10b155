// Ground layers of the moon, alien and lava worlds, and the normal maps of the ground: grey
// dust, craters and basalt; purple moss, teal crystal and violet stone; cinders and obsidian.
// Every one tiles.
#include "content/texgen/GroundCommon.h"
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>

namespace {

// Craters of two sizes: the depth of the bowl (0 outside) and the raised rim.
struct CraterSample {
    float bowl = 0.0f;
    float rim = 0.0f;
};

CraterSample CraterAt(float u, float v)
{
    CraterSample out;
    const struct {
        int period;
        uint32_t seed;
        uint32_t mask;
    } layers[] = {{5, 201, 1}, {13, 202, 3}};
    for (const auto& layer : layers) {
        CellSample cell = Cellular(u, v, layer.period, layer.seed, 0.6f);
        if ((cell.cell & layer.mask) != 0) continue;
        float radius = 0.22f + 0.18f * ((cell.cell >> 8) & 255) / 255.0f;
        float d = cell.f1 / radius;
        out.bowl = std::max(out.bowl, Clamp01(1.0f - d * d));
        out.rim = std::max(out.rim, Smoothstep(0.75f, 1.0f, d) * Smoothstep(1.35f, 1.0f, d));
    }
    return out;
}

float RegolithHeight(float u, float v)
{
    return Fbm(u, v, 8, 5, 211) * 0.6f + ValueNoise(u, v, 128, 212) * 0.15f;
}

}  // namespace

bool PaintRegolith(Canvas& c)
{
    // Fine grey dust with scattered grit.
    c.Paint([](float u, float v) {
        Colour dust = Mix(Hex(0x6E6E70), Hex(0x9A9A9C), Fbm(u, v, 4, 5, 213));
        float grit = HashUnit((int)(u * 512), (int)(v * 512), 214);
        float stone = Smoothstep(0.2f, 0.1f, Cellular(u, v, 48, 215).f1) * (HashUnit((int)(u * 48), (int)(v * 48), 216) > 0.8f);
        return Mix(Scale(dust, 0.9f + 0.18f * grit), Hex(0x56565A), stone * 0.8f);
    });
    Plane height(c.Width(), c.Height());
    height.Paint(RegolithHeight);
    ShadeWithHeight(c, height, 10.0f, 0.6f);
    return true;
}

bool PaintCraters(Canvas& c)
{
    // The same dust, pocked with craters lit from one side.
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        CraterSample crater = CraterAt(u, v);
        return RegolithHeight(u, v) * 0.4f - crater.bowl * 0.5f + crater.rim * 0.25f + 0.4f;
    });
    c.Paint([](float u, float v) {
        CraterSample crater = CraterAt(u, v);
        Colour dust = Mix(Hex(0x747476), Hex(0x9E9EA0), Fbm(u, v, 4, 5, 217));
        dust = Mix(dust, Hex(0xB8B8BA), crater.rim * 0.5f);
        return Mix(dust, Hex(0x5A5A5E), crater.bowl * 0.4f);
    });
    ShadeWithHeight(c, height, 30.0f, 0.75f);
    return true;
}

bool PaintBasalt(Canvas& c)
{
    // Dark columns of basalt, seen end on, with gas holes.
    auto seam = [](float u, float v) {
        CellSample column = Cellular(u, v, 8, 221, 0.5f);
        return Smoothstep(0.06f, 0.0f, column.f2 - column.f1);
    };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) { return Fbm(u, v, 8, 4, 222) * 0.5f - seam(u, v) * 0.4f; });
    c.Paint([&](float u, float v) {
        CellSample column = Cellular(u, v, 8, 221, 0.5f);
        float tone = 0.85f + 0.25f * ((column.cell >> 8) & 255) / 255.0f;
        Colour rock = Scale(Mix(Hex(0x2C2E32), Hex(0x4A4C52), Fbm(u, v, 16, 4, 223)), tone);
        float hole = Smoothstep(0.12f, 0.05f, Cellular(u, v, 64, 224).f1) * (HashUnit((int)(u * 64), (int)(v * 64), 225) > 0.6f);
        return Mix(Mix(rock, Hex(0x141416), hole * 0.8f), Hex(0x101012), seam(u, v) * 0.8f);
    });
    ShadeWithHeight(c, height, 16.0f, 0.6f);
    return true;
}

bool PaintAlienMoss(Canvas& c)
{
    // Spongy purple growth, each cushion brightening toward its centre.
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        CellSample cushion = Cellular(u, v, 20, 231);
        return Clamp01(1.0f - cushion.f1 * 1.4f) * 0.6f + Fbm(u, v, 8, 4, 232) * 0.4f;
    });
    c.Paint([](float u, float v) {
        CellSample cushion = Cellular(u, v, 20, 231);
        float centre = Clamp01(1.0f - cushion.f1 * 1.4f);
        Colour base = Mix(Hex(0x3A1648), Hex(0x6A2A7A), Fbm(u, v, 5, 4, 233));
        Colour top = (cushion.cell & 3) == 0 ? Hex(0x3AA8A0) : Hex(0xB050C0);
        return Mix(base, top, centre * centre * 0.7f);
    });
    ShadeWithHeight(c, height, 10.0f, 0.55f);
    return true;
}

bool PaintCrystal(Canvas& c)
{
    // Teal crystal faces, each flat and lit its own way, with bright edges.
    auto edge = [](float u, float v) {
        CellSample face = Cellular(u, v, 12, 241, 0.8f);
        return Smoothstep(0.05f, 0.0f, face.f2 - face.f1);
    };
    c.Paint([&](float u, float v) {
        CellSample face = Cellular(u, v, 12, 241, 0.8f);
        float facet = 0.55f + 0.45f * ((face.cell >> 8) & 255) / 255.0f;
        Colour crystal = Scale(Mix(Hex(0x145050), Hex(0x2E9090), Fbm(u, v, 4, 4, 242)), facet);
        float glint = Smoothstep(0.85f, 1.0f, HashUnit((int)face.cell, 7, 243)) * Smoothstep(0.3f, 0.0f, face.f1);
        crystal = Mix(crystal, Hex(0xC0FFF4), glint * 0.5f);
        return Mix(crystal, Hex(0x9AF0E4), edge(u, v) * 0.8f);
    });
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) { return 0.5f + edge(u, v) * 0.3f + Fbm(u, v, 8, 3, 244) * 0.2f; });
    ShadeWithHeight(c, height, 8.0f, 0.35f);
    return true;
}

bool PaintAlienRock(Canvas& c)
{
    // Violet stone in swirling bands, faint cyan veins in its cracks.
    auto vein = [](float u, float v) {
        float wu = u, wv = v;
        Warp(wu, wv, 3, 0.06f, 251);
        CellSample block = Cellular(wu, wv, 5, 252);
        return Smoothstep(0.04f, 0.0f, block.f2 - block.f1);
    };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) { return RidgedFbm(u, v, 4, 5, 253) * 0.7f - vein(u, v) * 0.3f; });
    c.Paint([&](float u, float v) {
        float wu = u, wv = v;
        Warp(wu, wv, 2, 0.12f, 254);
        float bands = 0.5f + 0.5f * std::sin(Pi2 * (wu * 3.0f + wv * 5.0f + Fbm(u, v, 3, 3, 255)));
        Colour stone = Mix(Hex(0x463654), Hex(0x7A6890), bands * 0.5f + Fbm(u, v, 6, 4, 256) * 0.5f);
        return Mix(stone, Hex(0x60E0E0), vein(u, v) * 0.55f);
    });
    ShadeWithHeight(c, height, 20.0f, 0.65f);
    return true;
}

bool PaintCinders(Canvas& c)
{
    // Loose reddish-black cinders, a few still glowing.
    c.Paint([](float u, float v) {
        CellSample grain = Cellular(u, v, 48, 261);
        float tone = ((grain.cell >> 8) & 255) / 255.0f;
        Colour cinder = Mix(Hex(0x1A1210), Hex(0x4A2A22), tone);
        cinder = Scale(cinder, 0.6f + 0.6f * Clamp01(1.0f - grain.f1 * 1.2f));
        float ember = (grain.cell & 31) == 0 ? Smoothstep(0.45f, 0.1f, grain.f1) : 0.0f;
        return Mix(cinder, Hex(0xE05A18), ember * 0.9f);
    });
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Clamp01(1.0f - Cellular(u, v, 48, 261).f1 * 1.2f); });
    ShadeWithHeight(c, height, 6.0f, 0.5f);
    return true;
}

bool PaintObsidian(Canvas& c)
{
    // Black volcanic glass broken in shell-shaped faces, with a violet sheen.
    c.Paint([](float u, float v) {
        CellSample face = Cellular(u, v, 5, 271, 0.7f);
        float tone = ((face.cell >> 8) & 255) / 255.0f;
        float ripple = 0.5f + 0.5f * std::sin(face.f1 * 16.0f);
        Colour glass = Mix(Hex(0x08080C), Hex(0x2A2636), tone * 0.5f + ripple * 0.15f + Fbm(u, v, 8, 3, 272) * 0.35f);
        float sheen = Smoothstep(0.6f, 0.9f, Fbm(u, v, 4, 4, 273));
        glass = Mix(glass, Hex(0x5A4A7A), sheen * 0.35f);
        return Mix(glass, Hex(0x6A6478), Smoothstep(0.03f, 0.0f, face.f2 - face.f1) * 0.6f);
    });
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        CellSample face = Cellular(u, v, 5, 271, 0.7f);
        return 0.5f + 0.04f * std::sin(face.f1 * 16.0f) + face.f1 * 0.2f - Smoothstep(0.03f, 0.0f, face.f2 - face.f1) * 0.2f;
    });
    ShadeWithHeight(c, height, 10.0f, 0.4f);
    return true;
}

// Wind ripples and grains for sandy ground.
bool PaintRippleNormals(Canvas& c)
{
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        float bend = Fbm(u, v, 2, 3, 281) * 3.0f;
        return 0.6f * (0.5f + 0.5f * std::sin(Pi2 * (v * 12.0f + u * 2.0f + bend))) + 0.4f * Fbm(u, v, 16, 3, 282);
    });
    Canvas normals = NormalMapFromHeight(height, 5.0f, true);
    c.Draw(normals, 0, 0);
    return true;
}

// Rough, pitted stone for rocky and dusty worlds.
bool PaintRoughNormals(Canvas& c)
{
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        CraterSample crater = CraterAt(u, v);
        return RidgedFbm(u, v, 6, 5, 291) * 0.6f - crater.bowl * 0.3f + crater.rim * 0.15f;
    });
    Canvas normals = NormalMapFromHeight(height, 8.0f, true);
    c.Draw(normals, 0, 0);
    return true;
}
