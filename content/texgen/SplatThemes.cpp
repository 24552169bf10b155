// The decoration atlases of the environments other than the woodland: fallen leaves and
// mushrooms, snow and ice, bones and dry tufts, reeds and puddles, craters, crystals and
// glowing fungus, embers and ash. Each theme paints sixteen tiles.
#include "content/texgen/Paintings.h"
#include "content/texgen/SplatTiles.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float Pi2 = 6.2831853f;

// A soft-edged patch (snow, ash, a puddle) of noisy outline around the tile's centre.
void Blob(Tile& t, Colour dark, Colour light, float alpha, float lift, float size)
{
    float s = t.Side();
    uint32_t seed = t.seed;
    Shape blob = [s, seed, size](Vec2 p) {
        float u = p.x / s, v = p.y / s;
        float r = s * (size + 0.1f * (Fbm(u, v, 4, 3, seed + 7) - 0.5f) * 2.0f);
        return Length(p - Vec2{s * 0.5f, s * 0.5f}) - r;
    };
    Plane field = ShapeField(t.colour.Width(), t.colour.Height(), blob);
    FillLayer(t.colour, field, [seed, dark, light, alpha](float u, float v) {
        return WithAlpha(Mix(dark, light, ValueNoise(u, v, 16, seed + 8)), alpha);
    });
    for (uint32_t y = 0; y < field.Height(); y++)
        for (uint32_t x = 0; x < field.Width(); x++) {
            float d = field.At(x, y);
            if (d < 0) t.height.At(x, y) = std::max(t.height.At(x, y), lift * Clamp01(-d / (s * 0.15f)));
        }
}

// A leaf: pointed at both ends, widest a little behind its middle.
Shape Leaf(Vec2 centre, float length, float width, float degrees)
{
    std::vector<Vec2> outline;
    const int steps = 10;
    for (int side : {1, -1})
        for (int k = 0; k <= steps; k++) {
            float t = side > 0 ? (float)k / steps : 1.0f - (float)k / steps;
            float along = (t * 2.0f - 1.0f) * length;
            float half = width * std::sin(3.14159265f * std::pow(t, 0.8f)) * side;
            outline.push_back(Rotate({centre.x + along, centre.y + half}, centre, degrees));
        }
    return Polygon(outline);
}

void Leaves(Tile& t, int count, const Colour* palette, int paletteSize)
{
    float s = t.Side();
    for (int i = 0; i < count; i++) {
        Vec2 c = {s * (0.28f + 0.44f * t.Unit(i, 20)), s * (0.28f + 0.44f * t.Unit(i, 21))};
        float angle = t.Unit(i, 22) * 360.0f;
        float length = s * (0.1f + 0.07f * t.Unit(i, 23));
        Colour colour = Scale(palette[(int)(t.Unit(i, 24) * paletteSize) % paletteSize], 0.8f + 0.35f * t.Unit(i, 25));
        Lay(t, Leaf(c, length, length * 0.45f, angle), colour, 0.4f, length * 0.25f);
        Vec2 a = Rotate({c.x - length * 1.15f, c.y}, c, angle), b = Rotate({c.x + length * 0.8f, c.y}, c, angle);
        Lay(t, Segment(a, b, s * 0.01f), Scale(colour, 0.65f), 0.45f, 1.0f);
    }
}

void Mushrooms(Tile& t, Colour cap, bool spotted)
{
    float s = t.Side();
    for (int i = 0; i < 3; i++) {
        Vec2 c = {s * (0.3f + 0.4f * t.Unit(i, 30)), s * (0.3f + 0.4f * t.Unit(i, 31))};
        float r = s * (0.07f + 0.06f * t.Unit(i, 32));
        Plane field = ShapeField(t.colour.Width(), t.colour.Height(), Circle(c, r));
        GlowLayer(t.colour, field, s * 0.03f, Rgba(0.05f, 0.04f, 0.03f, 0.5f));
        Lay(t, Circle(c, r), Scale(cap, 0.85f + 0.3f * t.Unit(i, 33)), 1.0f, r);
        if (!spotted) continue;
        for (int k = 0; k < 4; k++) {
            Vec2 at = Rotate({c.x + r * 0.55f, c.y}, c, 90.0f * k + 40.0f * t.Unit(i, 34));
            Lay(t, Circle(at, r * 0.15f), Hex(0xF0ECE0), 1.05f, r * 0.1f);
        }
    }
}

void IceShards(Tile& t, Colour colour)
{
    float s = t.Side();
    Vec2 c = {s * 0.5f, s * 0.5f};
    for (int i = 0; i < 5; i++) {
        float angle = 72.0f * i + 30.0f * t.Unit(i, 40);
        float length = s * (0.16f + 0.14f * t.Unit(i, 41)), w = s * 0.05f;
        Vec2 tip = Rotate({c.x + length, c.y}, c, angle);
        Vec2 left = Rotate({c.x + length * 0.35f, c.y - w}, c, angle);
        Vec2 right = Rotate({c.x + length * 0.35f, c.y + w}, c, angle);
        Shape shard = Polygon({c, left, tip, right});
        Lay(t, shard, WithAlpha(Scale(colour, 0.85f + 0.3f * t.Unit(i, 42)), 0.85f), 0.9f, w);
        OutlineLayer(t.colour, ShapeField(t.colour.Width(), t.colour.Height(), shard), 1.0f, WithAlpha(Hex(0xF0F8FF), 0.8f));
    }
}

void Bones(Tile& t)
{
    float s = t.Side();
    for (int i = 0; i < 2; i++) {
        Vec2 c = {s * (0.35f + 0.3f * t.Unit(i, 50)), s * (0.35f + 0.3f * t.Unit(i, 51))};
        float angle = t.Unit(i, 52) * 360.0f, length = s * (0.14f + 0.08f * t.Unit(i, 53));
        Vec2 a = Rotate({c.x - length, c.y}, c, angle), b = Rotate({c.x + length, c.y}, c, angle);
        Colour bone = Scale(Hex(0xE4DCC8), 0.9f + 0.15f * t.Unit(i, 54));
        Lay(t, Segment(a, b, s * 0.035f), bone, 0.7f, s * 0.015f);
        for (Vec2 end : {a, b})
            for (float side : {-1.0f, 1.0f}) {
                Vec2 knob = Rotate({end.x, end.y + side * s * 0.025f}, end, angle);
                Lay(t, Circle(knob, s * 0.03f), bone, 0.8f, s * 0.02f);
            }
    }
}

void Crater(Tile& t, float size, Colour dust)
{
    float s = t.Side();
    Vec2 c = {s * 0.5f, s * 0.5f};
    float r = s * size;
    GlowLayer(t.colour, ShapeField(t.colour.Width(), t.colour.Height(), Circle(c, r * 1.1f)), r * 0.5f,
              WithAlpha(Scale(dust, 1.05f), 0.3f));
    Lay(t, Ring(c, r, r * 0.3f), WithAlpha(Scale(dust, 1.06f), 0.75f), 0.6f, r * 0.15f);
    Lay(t, Circle(c, r * 0.85f), WithAlpha(Scale(dust, 0.72f), 0.7f), 0.05f, r);
}

void Crystals(Tile& t, Colour colour, int count)
{
    float s = t.Side();
    Vec2 c = {s * 0.5f, s * 0.5f};
    for (int i = 0; i < count; i++) {
        float angle = 360.0f * i / count + 25.0f * t.Unit(i, 60);
        float length = s * (0.2f + 0.15f * t.Unit(i, 61)), w = s * 0.05f;
        Vec2 base = Rotate({c.x + s * 0.03f, c.y}, c, angle);
        Vec2 tip = Rotate({c.x + length, c.y}, c, angle);
        Vec2 left = Rotate({c.x + length * 0.55f, c.y - w}, c, angle);
        Vec2 right = Rotate({c.x + length * 0.55f, c.y + w}, c, angle);
        Shape crystal = Polygon({base, left, tip, right});
        Plane field = ShapeField(t.colour.Width(), t.colour.Height(), crystal);
        GlowLayer(t.colour, field, s * 0.04f, WithAlpha(colour, 0.35f));
        Lay(t, crystal, Scale(colour, 0.8f + 0.4f * t.Unit(i, 62)), 1.0f, w);
        OutlineLayer(t.colour, field, 1.2f, WithAlpha(Mix(colour, Hex(0xFFFFFF), 0.6f), 0.9f));
    }
}

void Fungus(Tile& t, Colour colour)
{
    float s = t.Side();
    for (int i = 0; i < 9; i++) {
        float angle = t.Unit(i, 70) * Pi2, distance = s * 0.22f * std::sqrt(t.Unit(i, 71));
        Vec2 c = {s * 0.5f + std::cos(angle) * distance, s * 0.5f + std::sin(angle) * distance};
        float r = s * (0.03f + 0.04f * t.Unit(i, 72));
        Plane field = ShapeField(t.colour.Width(), t.colour.Height(), Circle(c, r));
        GlowLayer(t.colour, field, r * 1.5f, WithAlpha(colour, 0.5f));
        Lay(t, Circle(c, r), Mix(colour, Hex(0xFFFFFF), 0.25f * t.Unit(i, 73)), 0.5f, r);
    }
}

void Embers(Tile& t)
{
    Blob(t, Hex(0x1A1614), Hex(0x3A3430), 0.85f, 0.15f, 0.24f);
    float s = t.Side();
    for (int i = 0; i < 7; i++) {
        Vec2 c = {s * (0.3f + 0.4f * t.Unit(i, 80)), s * (0.3f + 0.4f * t.Unit(i, 81))};
        float r = s * (0.015f + 0.02f * t.Unit(i, 82));
        Plane field = ShapeField(t.colour.Width(), t.colour.Height(), Circle(c, r));
        GlowLayer(t.colour, field, r * 2.5f, Rgba(1.0f, 0.35f, 0.05f, 0.6f));
        Lay(t, Circle(c, r), Mix(Hex(0xFF6A10), Hex(0xFFD060), t.Unit(i, 83)), 0.3f, r);
    }
}

// ---- The themes

void FallTheme(Tile& t, int index)
{
    const Colour autumn[4] = {Hex(0xC8641C), Hex(0xD89A2A), Hex(0xA8341A), Hex(0x8A4A1E)};
    switch (index) {
    case 0: Leaves(t, 5, autumn, 4); break;
    case 1: Leaves(t, 3, autumn, 2); break;
    case 2: Leaves(t, 4, autumn + 2, 2); break;
    case 3: Leaves(t, 7, autumn, 4); break;
    case 4: Pebbles(t, 3, Hex(0x847A6E)); break;
    case 5: Pebbles(t, 5, Hex(0x6E6254)); break;
    case 6: Mushrooms(t, Hex(0xC02A1A), true); break;
    case 7: Mushrooms(t, Hex(0x9A6A3A), false); break;
    case 8: Twigs(t, Hex(0x4E3620)); break;
    case 9: Twigs(t, Hex(0x4E3620)); Leaves(t, 2, autumn, 4); break;
    case 10: GrassTuft(t, Hex(0x8A7A38)); break;
    case 11: GrassTuft(t, Hex(0x7A6A30)); Leaves(t, 2, autumn + 1, 2); break;
    case 12: Moss(t, Hex(0x3A3A1A), Hex(0x6A6A2A)); break;
    case 13: Leaves(t, 2, autumn + 1, 3); break;
    case 14: Pebbles(t, 2, Hex(0x7A7064)); Leaves(t, 3, autumn, 4); break;
    default: Pebbles(t, 6, Hex(0x5E564C)); break;
    }
}

void SnowTheme(Tile& t, int index)
{
    switch (index) {
    case 0: case 1: Blob(t, Hex(0xC4D2E2), Hex(0xF4F8FC), 0.95f, 0.5f, 0.26f); break;
    case 2: Blob(t, Hex(0xB8C8DA), Hex(0xEEF4FA), 0.9f, 0.4f, 0.18f); break;
    case 3: case 4: IceShards(t, Hex(0xA8D0F0)); break;
    case 5: Pebbles(t, 3, Hex(0x7C8088)); break;
    case 6: Pebbles(t, 5, Hex(0x6A6E76)); break;
    case 7: Pebbles(t, 2, Hex(0x8C9098)); break;
    case 8: case 9: Twigs(t, Hex(0x5A5048)); break;
    case 10: GrassTuft(t, Hex(0xA8B0A0)); break;
    case 11: GrassTuft(t, Hex(0x7A8060)); break;
    case 12: Blob(t, Hex(0xC4D2E2), Hex(0xF4F8FC), 0.95f, 0.5f, 0.22f); Pebbles(t, 2, Hex(0x7C8088)); break;
    case 13: Pebbles(t, 6, Hex(0x5E626A)); break;
    case 14: IceShards(t, Hex(0xC0E0F8)); break;
    default: Twigs(t, Hex(0x4A4038)); Blob(t, Hex(0xD0DCEA), Hex(0xF8FAFC), 0.8f, 0.3f, 0.12f); break;
    }
}

void DesertTheme(Tile& t, int index)
{
    switch (index) {
    case 0: GrassTuft(t, Hex(0xA89858)); break;
    case 1: GrassTuft(t, Hex(0x8A7A40)); break;
    case 2: GrassTuft(t, Hex(0x9A8A4A)); Pebbles(t, 2, Hex(0xA08060)); break;
    case 3: Pebbles(t, 3, Hex(0xA08060)); break;
    case 4: Pebbles(t, 5, Hex(0x8A6A50)); break;
    case 5: Pebbles(t, 2, Hex(0xB89878)); break;
    case 6: Pebbles(t, 4, Hex(0x7A5A42)); break;
    case 7: case 8: Bones(t); break;
    case 9: Twigs(t, Hex(0x8A7058)); break;
    case 10: Pebbles(t, 6, Hex(0x9A7A5A)); break;
    case 11: GrassTuft(t, Hex(0xB0A060)); break;
    case 12: Bones(t); Pebbles(t, 2, Hex(0xA08060)); break;
    case 13: Blob(t, Hex(0x9A7050), Hex(0xB88A64), 0.6f, 0.05f, 0.22f); break;
    case 14: Twigs(t, Hex(0x7A6048)); Pebbles(t, 2, Hex(0x8A6A50)); break;
    default: Pebbles(t, 3, Hex(0xC0A080)); break;
    }
}

void MarshTheme(Tile& t, int index)
{
    switch (index) {
    case 0: GrassTuft(t, Hex(0x6A6A2A)); break;
    case 1: GrassTuft(t, Hex(0x5A6226)); break;
    case 2: GrassTuft(t, Hex(0x84803A)); break;
    case 3: GrassTuft(t, Hex(0x4E5A22)); break;
    case 4: case 5: Blob(t, Hex(0x1E282A), Hex(0x3A4A4E), 0.75f, 0.0f, 0.24f); break;
    case 6: Moss(t, Hex(0x24381A), Hex(0x4A6024)); break;
    case 7: Moss(t, Hex(0x34401E), Hex(0x5A6A2A)); break;
    case 8: Flowers(t, Hex(0xF4F0E8)); break;
    case 9: Flowers(t, Hex(0xE8D040)); break;
    case 10: Pebbles(t, 3, Hex(0x4E4A42)); break;
    case 11: Twigs(t, Hex(0x3E3020)); break;
    case 12: Mushrooms(t, Hex(0x8A6A44), false); break;
    case 13: Moss(t, Hex(0x24381A), Hex(0x4A6024)); GrassTuft(t, Hex(0x6A6A2A)); break;
    case 14: Blob(t, Hex(0x1E282A), Hex(0x3A4A4E), 0.75f, 0.0f, 0.2f); GrassTuft(t, Hex(0x5A6226)); break;
    default: Pebbles(t, 5, Hex(0x46423A)); break;
    }
}

void MoonTheme(Tile& t, int index)
{
    const Colour dust = Hex(0x8A8A8E);
    switch (index) {
    case 0: Crater(t, 0.3f, dust); break;
    case 1: Crater(t, 0.22f, dust); break;
    case 2: Crater(t, 0.16f, dust); break;
    case 3: Crater(t, 0.26f, Hex(0x7A7A7E)); break;
    case 4: Crater(t, 0.12f, dust); break;
    case 5: Crater(t, 0.34f, Hex(0x949498)); break;
    case 6: Pebbles(t, 3, Hex(0x6E6E72)); break;
    case 7: Pebbles(t, 5, Hex(0x5A5A5E)); break;
    case 8: Pebbles(t, 2, Hex(0x828286)); break;
    case 9: Pebbles(t, 4, Hex(0x4E4E52)); break;
    case 10: Pebbles(t, 6, Hex(0x76767A)); break;
    case 11: Pebbles(t, 1, Hex(0x626266)); break;
    case 12: Crater(t, 0.2f, dust); Pebbles(t, 2, Hex(0x5A5A5E)); break;
    case 13: Crater(t, 0.28f, dust); Pebbles(t, 1, Hex(0x6E6E72)); break;
    case 14: Crater(t, 0.14f, Hex(0x9A9A9E)); break;
    default: Pebbles(t, 3, Hex(0x3E3E42)); break;
    }
}

void AlienTheme(Tile& t, int index)
{
    switch (index) {
    case 0: Crystals(t, Hex(0x30C0B0), 5); break;
    case 1: Crystals(t, Hex(0xA050E0), 4); break;
    case 2: Crystals(t, Hex(0x40E0C0), 3); break;
    case 3: Crystals(t, Hex(0xC060F0), 6); break;
    case 4: Fungus(t, Hex(0xE040C0)); break;
    case 5: Fungus(t, Hex(0x40E0E0)); break;
    case 6: Fungus(t, Hex(0xB0F040)); break;
    case 7: Fungus(t, Hex(0xF070A0)); break;
    case 8: GrassTuft(t, Hex(0x7A3A8A)); break;
    case 9: GrassTuft(t, Hex(0x2A8A80)); break;
    case 10: Pebbles(t, 3, Hex(0x6A5A7A)); break;
    case 11: Pebbles(t, 5, Hex(0x54486A)); break;
    case 12: Moss(t, Hex(0x3A1648), Hex(0x8A3A9A)); break;
    case 13: Crystals(t, Hex(0x60F0E0), 2); break;
    case 14: Fungus(t, Hex(0xE040C0)); GrassTuft(t, Hex(0x7A3A8A)); break;
    default: Pebbles(t, 2, Hex(0x7A6A8A)); break;
    }
}

void LavaTheme(Tile& t, int index)
{
    switch (index) {
    case 0: case 1: case 2: case 3: Embers(t); break;
    case 4: Pebbles(t, 3, Hex(0x2A2422)); break;
    case 5: Pebbles(t, 5, Hex(0x3A2A26)); break;
    case 6: Pebbles(t, 2, Hex(0x4A2A22)); break;
    case 7: Pebbles(t, 4, Hex(0x1E1A1A)); break;
    case 8: case 9: Blob(t, Hex(0x2A2624), Hex(0x4A4440), 0.85f, 0.1f, 0.26f); break;
    case 10: case 11: Crystals(t, Hex(0x2A2236), 4); break;
    case 12: Embers(t); Pebbles(t, 2, Hex(0x2A2422)); break;
    case 13: Blob(t, Hex(0x2A2624), Hex(0x4A4440), 0.85f, 0.1f, 0.2f); Pebbles(t, 1, Hex(0x3A2A26)); break;
    case 14: Pebbles(t, 6, Hex(0x322824)); break;
    default: Twigs(t, Hex(0x1A1412)); break;
    }
}

}  // namespace

#define THEMED_ATLAS(Name, Theme)                                                                                      \
    bool Paint##Name##Splats(Canvas& c)                                                                                \
    {                                                                                                                  \
        PaintSplatAtlas(&c, nullptr, c.Width(), Theme);                                                                \
        return true;                                                                                                   \
    }                                                                                                                  \
    bool Paint##Name##SplatNormals(Canvas& c)                                                                          \
    {                                                                                                                  \
        PaintSplatNormals(c, Theme);                                                                                   \
        return true;                                                                                                   \
    }

THEMED_ATLAS(Fall, FallTheme)
THEMED_ATLAS(Snow, SnowTheme)
THEMED_ATLAS(Desert, DesertTheme)
THEMED_ATLAS(Marsh, MarshTheme)
THEMED_ATLAS(Moon, MoonTheme)
THEMED_ATLAS(Alien, AlienTheme)
THEMED_ATLAS(Lava, LavaTheme)
