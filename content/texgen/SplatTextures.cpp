// The atlas machinery and the things of the default (green) atlas: grass tufts, pebbles,
// flowers, twigs and moss. The other environments' atlases are in SplatThemes.cpp.
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"
#include "content/texgen/SplatTiles.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float Pi2 = 6.2831853f;

}  // namespace

void Lay(Tile& t, const Shape& shape, Colour colour, float lift, float dome)
{
    Plane field = ShapeField(t.colour.Width(), t.colour.Height(), shape);
    FillLayer(t.colour, field, colour);
    for (uint32_t y = 0; y < field.Height(); y++) {
        for (uint32_t x = 0; x < field.Width(); x++) {
            float d = field.At(x, y);
            if (d >= 0.5f) continue;
            float h = lift * Clamp01(std::sqrt(Clamp01(-d / dome)));
            t.height.At(x, y) = std::max(t.height.At(x, y), h);
        }
    }
}

void GrassTuft(Tile& t, Colour base)
{
    float s = (float)t.colour.Width();
    Vec2 c = {s * 0.5f, s * 0.5f};
    for (int i = 0; i < 26; i++) {
        float angle = t.Unit(i, 1) * Pi2;
        float length = s * (0.18f + 0.2f * t.Unit(i, 2));
        Vec2 tip = {c.x + std::cos(angle) * length, c.y + std::sin(angle) * length};
        Vec2 root = {c.x + std::cos(angle) * s * 0.03f, c.y + std::sin(angle) * s * 0.03f};
        Colour colour = Scale(base, 0.75f + 0.5f * t.Unit(i, 3));
        // A blade narrows to its tip: two strokes, the outer half thinner.
        Vec2 mid = (root + tip) * 0.5f;
        Lay(t, Segment(root, mid, s * 0.035f), colour, 0.5f, 2.0f);
        Lay(t, Segment(mid, tip, s * 0.02f), Scale(colour, 1.1f), 0.4f, 1.5f);
    }
}

void Pebbles(Tile& t, int count, Colour base)
{
    float s = (float)t.colour.Width();
    for (int i = 0; i < count; i++) {
        float angle = t.Unit(i, 4) * Pi2;
        float distance = i == 0 ? 0.0f : s * (0.1f + 0.16f * t.Unit(i, 5));
        Vec2 c = {s * 0.5f + std::cos(angle) * distance, s * 0.5f + std::sin(angle) * distance};
        float rx = s * (0.05f + 0.07f * t.Unit(i, 6)), ry = rx * (0.6f + 0.3f * t.Unit(i, 7));
        Shape stone = Rotated(RoundedBox({c.x - rx, c.y - ry}, {c.x + rx, c.y + ry}, ry * 0.9f), c, t.Unit(i, 8) * 180.0f);
        Colour colour = Scale(base, 0.8f + 0.4f * t.Unit(i, 9));
        Plane field = ShapeField(t.colour.Width(), t.colour.Height(), stone);
        GlowLayer(t.colour, field, s * 0.03f, Rgba(0.05f, 0.04f, 0.03f, 0.5f));
        Lay(t, stone, colour, 1.0f, ry);
    }
}

void Flowers(Tile& t, Colour petal)
{
    GrassTuft(t, Hex(0x4A6E22));
    float s = (float)t.colour.Width();
    for (int i = 0; i < 3; i++) {
        Vec2 c = {s * (0.35f + 0.3f * t.Unit(i, 10)), s * (0.35f + 0.3f * t.Unit(i, 11))};
        float r = s * 0.035f;
        for (int p = 0; p < 5; p++) {
            Vec2 at = Rotate({c.x + r * 1.2f, c.y}, c, 72.0f * p + 40.0f * i);
            Lay(t, Circle(at, r), petal, 0.6f, r);
        }
        Lay(t, Circle(c, r * 0.7f), Hex(0xF0C030), 0.7f, r);
    }
}

void Twigs(Tile& t, Colour wood)
{
    float s = (float)t.colour.Width();
    for (int i = 0; i < 4; i++) {
        Vec2 a = {s * (0.22f + 0.2f * t.Unit(i, 12)), s * (0.22f + 0.56f * t.Unit(i, 13))};
        Vec2 b = {s * (0.58f + 0.2f * t.Unit(i, 14)), s * (0.22f + 0.56f * t.Unit(i, 15))};
        Lay(t, Segment(a, b, s * 0.03f), Scale(wood, 0.8f + 0.4f * t.Unit(i, 16)), 0.6f, s * 0.015f);
        Vec2 mid = (a + b) * 0.5f;
        Lay(t, Segment(mid, Rotate(b, mid, 35.0f) * 0.7f + mid * 0.3f, s * 0.02f), Scale(wood, 0.82f), 0.5f, s * 0.01f);
    }
}

void Moss(Tile& t, Colour dark, Colour light)
{
    float s = (float)t.colour.Width();
    uint32_t seed = t.seed;
    Shape blob = [s, seed](Vec2 p) {
        float u = p.x / s, v = p.y / s;
        float r = s * (0.26f + 0.1f * (Fbm(u, v, 4, 3, seed) - 0.5f) * 2.0f);
        return Length(p - Vec2{s * 0.5f, s * 0.5f}) - r;
    };
    Plane field = ShapeField(t.colour.Width(), t.colour.Height(), blob);
    FillLayer(t.colour, field, [seed, dark, light](float u, float v) {
        return WithAlpha(Mix(dark, light, ValueNoise(u, v, 32, seed + 1)), 0.85f);
    });
    for (uint32_t y = 0; y < field.Height(); y++) {
        for (uint32_t x = 0; x < field.Width(); x++) {
            if (field.At(x, y) < 0) t.height.At(x, y) = 0.2f * ValueNoise((x + 0.5f) / s, (y + 0.5f) / s, 32, seed + 1);
        }
    }
}

void PaintSplatAtlas(Canvas* colour, Plane* height, uint32_t width, TileTheme theme)
{
    const uint32_t tileSide = width / 4;
    const uint32_t margin = tileSide / 16;
    const uint32_t inner = tileSide - 2 * margin;
    Plane fullHeight(width, width);
    Canvas fullColour(width, width, Rgba(0.3f, 0.35f, 0.2f, 0.0f));
    for (int index = 0; index < 16; index++) {
        Tile t{Canvas(inner, inner, Rgba(0.3f, 0.35f, 0.2f, 0.0f)), Plane(inner, inner), 1000u + (uint32_t)index};
        theme(t, index);
        int left = (index % 4) * (int)tileSide + (int)margin, top = (index / 4) * (int)tileSide + (int)margin;
        fullColour.Draw(t.colour, left, top);
        for (uint32_t y = 0; y < inner; y++) {
            for (uint32_t x = 0; x < inner; x++) fullHeight.At(left + x, top + y) = t.height.At(x, y);
        }
    }
    if (colour) {
        // Shade each thing by its own relief so it stands out from the ground below.
        Plane light = LightFromHeight(fullHeight, 3.0f, false);
        for (float& v : light.Values()) v = Lerp(1.0f, v, 0.6f);
        fullColour.Modulate(light);
        *colour = fullColour;
    }
    if (height) *height = fullHeight;
}

void PaintSplatNormals(Canvas& c, TileTheme theme)
{
    Plane height;
    PaintSplatAtlas(nullptr, &height, c.Width(), theme);
    Canvas normals = NormalMapFromHeight(height, 3.0f, false);
    for (uint32_t y = 0; y < c.Height(); y++) {
        for (uint32_t x = 0; x < c.Width(); x++) c.At(x, y) = WithAlpha(normals.At(x, y), Clamp01(height.At(x, y) * 0.6f));
    }
}

namespace {

// Woodland: grass, stones, flowers, twigs and moss.
void GreenTheme(Tile& t, int index)
{
    switch (index) {
    case 0: case 1: GrassTuft(t, Hex(0x4E7424)); break;
    case 2: GrassTuft(t, Hex(0x6E7A2E)); break;
    case 3: GrassTuft(t, Hex(0x8A8038)); break;
    case 4: Pebbles(t, 3, Hex(0x8A847C)); break;
    case 5: Pebbles(t, 5, Hex(0x7A6E60)); break;
    case 6: Pebbles(t, 2, Hex(0x968E84)); break;
    case 7: Pebbles(t, 4, Hex(0x6A665E)); break;
    case 8: Flowers(t, Hex(0xF4F0E8)); break;
    case 9: Flowers(t, Hex(0xF0D040)); break;
    case 10: Flowers(t, Hex(0xA070D0)); break;
    case 11: Twigs(t, Hex(0x5A4028)); break;
    case 12: Twigs(t, Hex(0x5A4028)); Pebbles(t, 2, Hex(0x847C70)); break;
    case 13: Moss(t, Hex(0x2E4A1A), Hex(0x5C7A2A)); break;
    case 14: Moss(t, Hex(0x2E4A1A), Hex(0x5C7A2A)); GrassTuft(t, Hex(0x4E7424)); break;
    default: Pebbles(t, 6, Hex(0x5E5A54)); break;
    }
}

}  // namespace

bool PaintGreenSplats(Canvas& c)
{
    PaintSplatAtlas(&c, nullptr, c.Width(), GreenTheme);
    return true;
}

// Normals in the colour channels, the same things' shine in alpha (stones glint, moss not).
bool PaintGreenSplatNormals(Canvas& c)
{
    PaintSplatNormals(c, GreenTheme);
    return true;
}
