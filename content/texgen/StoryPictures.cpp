// The intro story's pictures and the front end's profile icons. The story is painted in one
// manner throughout: deep blue space and dusky skies, shapes as flat silhouettes with a rim of
// light, a soft glow where something shines. Each slide is a back layer (opaque), and over it
// one or two layers with transparent parts that pan at their own pace, so the scene has depth.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

// The palette of the story.
const Colour SpaceDeep = Hex(0x050914);
const Colour SpaceBlue = Hex(0x13254A);
const Colour Nebula = Hex(0x3A4C8C);
const Colour StarLight = Hex(0xE8F0FF);
const Colour RimLight = Hex(0x9FC4FF);
const Colour Silhouette = Hex(0x0B0F18);
const Colour Ember = Hex(0xFF8A3C);
const Colour Dusk = Hex(0xC0603A);

// A starry sky: a gradient, a cloud of nebula and stars of several sizes.
void PaintSpace(Canvas& c, uint32_t seed, float nebulaAmount)
{
    c.Paint([&](float u, float v) {
        Colour sky = Mix(SpaceBlue, SpaceDeep, Smoothstep(0.0f, 1.0f, v * 0.8f + u * 0.3f));
        float cloud = Fbm(u * 2.0f, v, 4, 5, seed);
        float n = Smoothstep(0.5f, 0.85f, cloud) * nebulaAmount;
        sky = Mix(sky, Nebula, n);
        return Mix(sky, Hex(0x7A3E8C), Smoothstep(0.7f, 0.95f, Fbm(u * 2.0f, v, 3, 4, seed + 7)) * nebulaAmount * 0.6f);
    });
    const uint32_t w = c.Width(), h = c.Height();
    for (int i = 0; i < 420; ++i) {
        float x = HashUnit(i, 1, seed) * w, y = HashUnit(i, 2, seed) * h;
        float size = HashUnit(i, 3, seed);
        float radius = size > 0.97f ? 2.2f : size > 0.85f ? 1.3f : 0.7f;
        float bright = 0.4f + 0.6f * HashUnit(i, 4, seed);
        int r = (int)std::ceil(radius * 3.0f);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                int px = (int)x + dx, py = (int)y + dy;
                if (px < 0 || py < 0 || px >= (int)w || py >= (int)h) continue;
                float d = std::hypot(px + 0.5f - x, py + 0.5f - y);
                float cover = std::exp(-d * d / (radius * radius)) * bright;
                c.Blend((uint32_t)px, (uint32_t)py, StarLight, Clamp01(cover));
            }
    }
}

// A sky of a world: from `top` to `horizon` colour with a few streaks of cloud.
void PaintSky(Canvas& c, Colour top, Colour horizon, uint32_t seed)
{
    c.Paint([&](float u, float v) {
        Colour sky = Mix(top, horizon, Smoothstep(0.0f, 0.85f, v));
        float streak = Fbm(u * 3.0f, v * 0.5f, 4, 4, seed);
        return Mix(sky, Scale(horizon, 1.2f), Smoothstep(0.6f, 0.8f, streak) * (1.0f - v) * 0.5f);
    });
}

// A lit silhouette: the shape dark, with light along the edge facing the light and a glow.
void Silhouetted(Canvas& c, const Shape& shape, Colour body, Colour rim, float glow)
{
    Plane field = ShapeField(c.Width(), c.Height(), shape);
    if (glow > 0.0f) GlowLayer(c, field, glow, WithAlpha(rim, 0.35f));
    FillLayer(c, field, body);
    OutlineLayer(c, field, 1.5f, WithAlpha(rim, 0.7f));
}

// Rolling ground from `level` (fraction of the height) down, as a shape.
Shape Hills(float w, float h, float level, float height, uint32_t seed)
{
    std::vector<Vec2> points;
    for (int i = 0; i <= 32; ++i) {
        float x = w * i / 32.0f;
        float y = h * level - height * h * (Fbm(i / 32.0f, 0.5f, 4, 3, seed) - 0.3f);
        points.push_back({x, y});
    }
    points.push_back({w + 2.0f, h + 2.0f});
    points.push_back({-2.0f, h + 2.0f});
    return Polygon(points);
}

// The player's rig: a walker with a cabin, two arms and two legs, standing at (x, ground).
Shape Rig(float x, float ground, float size)
{
    Shape cabin = RoundedBox({x - size * 0.5f, ground - size * 1.55f}, {x + size * 0.5f, ground - size * 0.95f}, size * 0.15f);
    Shape canopy = Circle({x + size * 0.1f, ground - size * 1.5f}, size * 0.22f);
    Shape legL = Segment({x - size * 0.3f, ground - size * 1.0f}, {x - size * 0.55f, ground}, size * 0.14f);
    Shape legR = Segment({x + size * 0.3f, ground - size * 1.0f}, {x + size * 0.5f, ground}, size * 0.14f);
    Shape armL = Segment({x - size * 0.5f, ground - size * 1.35f}, {x - size * 0.85f, ground - size * 1.1f}, size * 0.1f);
    Shape armR = Segment({x + size * 0.5f, ground - size * 1.35f}, {x + size * 0.95f, ground - size * 1.3f}, size * 0.1f);
    return Union(Union(Union(cabin, canopy), Union(legL, legR)), Union(armL, armR));
}

// A small bot: a round body on two short legs.
Shape Bot(float x, float ground, float size)
{
    return Union(Circle({x, ground - size * 0.7f}, size * 0.4f),
                 Union(Segment({x - size * 0.2f, ground - size * 0.4f}, {x - size * 0.35f, ground}, size * 0.1f),
                       Segment({x + size * 0.2f, ground - size * 0.4f}, {x + size * 0.35f, ground}, size * 0.1f)));
}

// A scavenger dropship: an angular hull with fins, nose to the left.
Shape Dropship(float x, float y, float size)
{
    Shape hull = Polygon({{x - size, y}, {x - size * 0.4f, y - size * 0.3f}, {x + size * 0.8f, y - size * 0.25f},
                          {x + size, y + size * 0.1f}, {x + size * 0.6f, y + size * 0.3f}, {x - size * 0.5f, y + size * 0.2f}});
    Shape fin = Polygon({{x + size * 0.3f, y - size * 0.25f}, {x + size * 0.7f, y - size * 0.6f}, {x + size * 0.8f, y - size * 0.25f}});
    return Union(hull, fin);
}

// A jagged rock of the asteroid belt.
Shape Rock(float x, float y, float radius, uint32_t seed)
{
    std::vector<Vec2> points;
    for (int i = 0; i < 9; ++i) {
        float a = i / 9.0f * 6.2831853f;
        float r = radius * (0.7f + 0.5f * HashUnit(i, 5, seed));
        points.push_back({x + std::cos(a) * r, y + std::sin(a) * r});
    }
    return Polygon(points);
}

}  // namespace

// ---- Slide 1: the rim of the galaxy, a world and its asteroids.

bool PaintStoryPlanetBack(Canvas& c)
{
    PaintSpace(c, 11, 1.0f);
    return true;
}

bool PaintStoryPlanet(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const Vec2 centre = {w * 0.68f, h * 1.05f};
    const float radius = h * 0.75f;
    Plane field = ShapeField(c.Width(), c.Height(), Circle(centre, radius));
    GlowLayer(c, field, h * 0.08f, WithAlpha(RimLight, 0.6f));
    FillLayer(c, field, [&](float u, float v) {
        float x = (u * w - centre.x) / radius, y = (v * h - centre.y) / radius;
        float light = Clamp01(0.25f - 0.8f * x - 0.6f * y);
        float bands = Fbm(u * 3.0f, v * 8.0f, 4, 4, 21);
        Colour ground = Mix(Hex(0x2A5A6E), Hex(0x7AA07A), Smoothstep(0.4f, 0.7f, bands));
        return Mix(Hex(0x04070C), ground, light);
    });
    return true;
}

bool PaintStoryAsteroids(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    for (int i = 0; i < 14; ++i) {
        float x = HashUnit(i, 1, 31) * w, y = HashUnit(i, 2, 31) * h * 0.6f;
        float r = h * (0.015f + 0.05f * HashUnit(i, 3, 31));
        Silhouetted(c, Rock(x, y, r, 40 + i), Hex(0x1A1A22), Hex(0xB0A090), 0.0f);
    }
    return true;
}

// ---- Slide 2: the old jump gate wakes, seen from a ship's console.

bool PaintStoryGateBack(Canvas& c)
{
    PaintSpace(c, 12, 0.6f);
    return true;
}

bool PaintStoryGate(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const Vec2 centre = {w * 0.5f, h * 0.45f};
    // The opening shines, the ring around it is dark metal lit at the rim.
    Plane light = ShapeField(c.Width(), c.Height(), Circle(centre, h * 0.27f));
    GlowLayer(c, light, h * 0.12f, WithAlpha(Hex(0x6FE0FF), 0.8f));
    FillLayer(c, light, [&](float u, float v) {
        float d = std::hypot(u * w - centre.x, v * h - centre.y) / (h * 0.27f);
        return WithAlpha(Mix(Hex(0xF0FFFF), Hex(0x3FA0E0), d), 0.85f * (1.0f - d * 0.5f));
    });
    Shape ring = Ring(centre, h * 0.32f, h * 0.08f);
    for (int i = 0; i < 8; ++i) {
        float a = i * 45.0f;
        Vec2 p = Rotate({centre.x + h * 0.38f, centre.y}, centre, a);
        ring = Union(ring, Circle(p, h * 0.035f));
    }
    Silhouetted(c, ring, Hex(0x1C2230), RimLight, h * 0.02f);
    return true;
}

bool PaintStoryConsole(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    // The cockpit's frame: struts at both sides and a console along the bottom.
    Shape frame = Union(Polygon({{0, 0}, {w * 0.12f, 0}, {w * 0.06f, h}, {0, h}}),
                        Polygon({{w, 0}, {w * 0.88f, 0}, {w * 0.94f, h}, {w, h}}));
    Shape console = Polygon({{0, h * 0.8f}, {w * 0.3f, h * 0.74f}, {w * 0.7f, h * 0.74f}, {w, h * 0.8f}, {w, h}, {0, h}});
    Silhouetted(c, Union(frame, console), Hex(0x0E121C), Hex(0x5A7AA8), 0.0f);
    // Lamps of the console.
    for (int i = 0; i < 12; ++i) {
        float x = w * (0.32f + 0.03f * i), y = h * (0.8f + 0.04f * (i % 3));
        Colour lamp = i % 4 == 0 ? Ember : Hex(0x6FE0FF);
        Plane dot = ShapeField(c.Width(), c.Height(), Circle({x, y}, 2.0f));
        GlowLayer(c, dot, 5.0f, WithAlpha(lamp, 0.6f));
        FillLayer(c, dot, lamp);
    }
    return true;
}

// ---- Slide 3: the guild's pilots, a rig on a ridge above a mining camp at dusk.

bool PaintStoryGuildBack(Canvas& c)
{
    PaintSky(c, Hex(0x1A2A50), Dusk, 13);
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane sun = ShapeField(c.Width(), c.Height(), Circle({w * 0.3f, h * 0.62f}, h * 0.1f));
    GlowLayer(c, sun, h * 0.25f, WithAlpha(Hex(0xFFC070), 0.6f));
    FillLayer(c, sun, Hex(0xFFE0A0));
    return true;
}

bool PaintStoryGuildCamp(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Shape ground = Hills(w, h, 0.72f, 0.2f, 14);
    // The camp: a refinery tower and domes on the plain.
    Shape camp = Union(RoundedBox({w * 0.58f, h * 0.45f}, {w * 0.62f, h * 0.75f}, 2.0f),
                       Union(Circle({w * 0.68f, h * 0.72f}, h * 0.07f), Circle({w * 0.52f, h * 0.73f}, h * 0.05f)));
    Silhouetted(c, Union(ground, camp), Hex(0x231A22), Dusk, 0.0f);
    for (int i = 0; i < 5; ++i) {
        Plane lamp = ShapeField(c.Width(), c.Height(), Circle({w * (0.5f + 0.05f * i), h * 0.7f}, 1.8f));
        GlowLayer(c, lamp, 6.0f, WithAlpha(Ember, 0.7f));
        FillLayer(c, lamp, Hex(0xFFD090));
    }
    return true;
}

bool PaintStoryGuildRig(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Shape ridge = Polygon({{0, h * 0.82f}, {w * 0.25f, h * 0.78f}, {w * 0.45f, h * 0.86f}, {w * 0.45f, h + 2}, {0, h + 2}});
    Silhouetted(c, Union(ridge, Rig(w * 0.2f, h * 0.8f, h * 0.28f)), Silhouette, Hex(0xFFB070), h * 0.015f);
    return true;
}

// ---- Slides 4 and 5: the scavengers' dropships over a burning camp.

bool PaintStoryScavBack(Canvas& c)
{
    PaintSky(c, Hex(0x140A10), Hex(0x8A2A18), 15);
    const float w = (float)c.Width(), h = (float)c.Height();
    // Smoke rising from the fires on the horizon.
    Plane smoke(c.Width(), c.Height());
    smoke.Paint([](float u, float v) { return Smoothstep(0.45f, 0.8f, Fbm(u * 2.0f, v, 5, 5, 16)) * Smoothstep(0.2f, 0.9f, v); });
    for (uint32_t y = 0; y < c.Height(); ++y)
        for (uint32_t x = 0; x < c.Width(); ++x) c.Blend(x, y, Hex(0x1A1014), smoke.At(x, y) * 0.8f);
    Silhouetted(c, Hills(w, h, 0.85f, 0.1f, 17), Hex(0x0C0808), Ember, h * 0.05f);
    return true;
}

bool PaintStoryScavShips(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const struct {
        float x, y, size;
    } ships[] = {{0.3f, 0.3f, 0.16f}, {0.62f, 0.18f, 0.1f}, {0.8f, 0.42f, 0.07f}};
    for (const auto& s : ships) {
        const float size = s.size * w;
        // The engines burn at the tail.
        Plane engine = ShapeField(c.Width(), c.Height(), Circle({s.x * w + size * 0.95f, s.y * h + size * 0.05f}, size * 0.08f));
        GlowLayer(c, engine, size * 0.25f, WithAlpha(Ember, 0.8f));
        FillLayer(c, engine, Hex(0xFFE0B0));
        Silhouetted(c, Dropship(s.x * w, s.y * h, size), Hex(0x1E1416), Hex(0xFF9060), 0.0f);
    }
    return true;
}

// ---- Slide 6: the last pilots: a rig and its bots at dawn before a ruined base.

bool PaintStoryLastBack(Canvas& c)
{
    PaintSky(c, Hex(0x20305A), Hex(0xE0A070), 18);
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane sun = ShapeField(c.Width(), c.Height(), Circle({w * 0.7f, h * 0.7f}, h * 0.12f));
    GlowLayer(c, sun, h * 0.3f, WithAlpha(Hex(0xFFD8A0), 0.7f));
    FillLayer(c, sun, Hex(0xFFF0D0));
    return true;
}

bool PaintStoryLastRuins(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Shape ground = Hills(w, h, 0.76f, 0.12f, 19);
    // Broken walls and a fallen tower.
    Shape ruins = Union(Polygon({{w * 0.55f, h * 0.76f}, {w * 0.56f, h * 0.5f}, {w * 0.58f, h * 0.56f}, {w * 0.6f, h * 0.47f},
                                 {w * 0.61f, h * 0.76f}}),
                        Polygon({{w * 0.78f, h * 0.77f}, {w * 0.8f, h * 0.6f}, {w * 0.86f, h * 0.65f}, {w * 0.87f, h * 0.77f}}));
    Silhouetted(c, Union(ground, ruins), Hex(0x2A2430), Hex(0xFFC890), 0.0f);
    return true;
}

bool PaintStoryLastPilots(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Shape ground = Polygon({{0, h * 0.9f}, {w, h * 0.88f}, {w, h + 2}, {0, h + 2}});
    Shape crew = Union(Rig(w * 0.38f, h * 0.9f, h * 0.32f), Union(Bot(w * 0.22f, h * 0.9f, h * 0.14f), Bot(w * 0.52f, h * 0.89f, h * 0.12f)));
    Silhouetted(c, Union(ground, crew), Silhouette, Hex(0xFFD0A0), h * 0.02f);
    return true;
}

// ---- The profile screens' pictures.

bool PaintSolidCharcoal(Canvas& c)
{
    c.Fill(Hex(0x24272C));
    return true;
}

bool PaintBlackLabel(Canvas& c)
{
    Plane field = ShapeField(c.Width(), c.Height(), RoundedBox({1, 1}, {c.Width() - 1.0f, c.Height() - 1.0f}, 6.0f));
    FillLayer(c, field, Hex(0x0A0C10));
    OutlineLayer(c, field, 1.5f, Hex(0x3A4A66));
    return true;
}

bool PaintGridGradient(Canvas& c)
{
    const float n = (float)c.Width();
    c.Paint([n](float u, float v) {
        Colour back = Mix(Hex(0x1E2C44), Hex(0x080C14), v);
        float gx = std::fabs(std::fmod(u * n, 16.0f) - 8.0f), gy = std::fabs(std::fmod(v * n, 16.0f) - 8.0f);
        float line = Smoothstep(7.0f, 8.0f, std::max(gx, gy));
        return Mix(back, Hex(0x4A6A9A), line * 0.5f);
    });
    return true;
}

bool PaintHighlightOutline(Canvas& c)
{
    const float w = (float)c.Width();
    Plane field = ShapeField(c.Width(), c.Height(), RoundedBox({2, 2}, {w - 2, w - 2}, 6.0f));
    GlowLayer(c, field, 1.0f, WithAlpha(RimLight, 0.3f));
    OutlineLayer(c, field, 3.0f, Hex(0xFFE080));
    return true;
}

bool PaintPilotCircle(Canvas& c)
{
    const float w = (float)c.Width();
    Plane field = ShapeField(c.Width(), c.Height(), Subtract(RoundedBox({0, 0}, {w, w}, 0.0f), Circle({w / 2, w / 2}, w * 0.44f)));
    FillLayer(c, field, Hex(0x101826));
    Plane ring = ShapeField(c.Width(), c.Height(), Ring({w / 2, w / 2}, w * 0.45f, 3.0f));
    FillLayer(c, ring, Hex(0x6A8AC0));
    return true;
}

// Two arrows in a row of two cells: left, then right.
bool PaintArrows(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height(), cell = w / 2;
    Shape left = Polygon({{cell * 0.7f, h * 0.2f}, {cell * 0.25f, h * 0.5f}, {cell * 0.7f, h * 0.8f}});
    Shape right = Polygon({{cell + cell * 0.3f, h * 0.2f}, {cell + cell * 0.75f, h * 0.5f}, {cell + cell * 0.3f, h * 0.8f}});
    Plane field = ShapeField(c.Width(), c.Height(), Union(left, right));
    GlowLayer(c, field, 3.0f, WithAlpha(RimLight, 0.4f));
    FillLayer(c, field, Hex(0xD0E0FF));
    return true;
}

namespace {

// An icon sheet of four by four cells: each drawn shape in its cell on a dark tile.
void IconSheet(Canvas& c, const std::vector<std::function<Shape(float x, float y, float s)>>& icons, Colour tint)
{
    const float cell = c.Width() / 4.0f;
    for (size_t i = 0; i < icons.size(); ++i) {
        const float x = cell * (i % 4), y = cell * (i / 4);
        Plane tile = ShapeField(c.Width(), c.Height(), RoundedBox({x + 2, y + 2}, {x + cell - 2, y + cell - 2}, 6.0f));
        FillLayer(c, tile, Hex(0x141C2C));
        OutlineLayer(c, tile, 1.5f, Hex(0x3A4A66));
        Plane shape = ShapeField(c.Width(), c.Height(), icons[i](x + cell / 2, y + cell / 2, cell));
        GlowLayer(c, shape, 3.0f, WithAlpha(tint, 0.3f));
        FillLayer(c, shape, tint);
    }
}

}  // namespace

// The rigs' chassis: column 0 any other, 1 round, 2 basic.
bool PaintChassisIcons(Canvas& c)
{
    IconSheet(c,
              {[](float x, float y, float s) { return Rig(x, y + s * 0.35f, s * 0.4f); },
               [](float x, float y, float s) {
                   return Union(Circle({x, y - s * 0.05f}, s * 0.22f), Bot(x, y + s * 0.35f, s * 0.5f));
               },
               [](float x, float y, float s) { return Rig(x - s * 0.05f, y + s * 0.32f, s * 0.36f); }},
              Hex(0xC8D8F0));
    return true;
}

// The starting units: the machine-gun walker and the laser scout.
bool PaintBotIcons(Canvas& c)
{
    IconSheet(c,
              {[](float x, float y, float s) {
                   return Union(Bot(x, y + s * 0.3f, s * 0.6f), Segment({x, y - s * 0.12f}, {x + s * 0.32f, y - s * 0.12f}, s * 0.06f));
               },
               [](float x, float y, float s) {
                   return Union(Bot(x, y + s * 0.3f, s * 0.45f), Segment({x, y}, {x + s * 0.34f, y - s * 0.1f}, s * 0.03f));
               }},
              Hex(0xB8E0B0));
    return true;
}

// The starting weapons: the laser cutter and the machine gun.
bool PaintWeaponIcons(Canvas& c)
{
    IconSheet(c,
              {[](float x, float y, float s) {
                   return Union(RoundedBox({x - s * 0.3f, y - s * 0.08f}, {x + s * 0.1f, y + s * 0.08f}, s * 0.04f),
                                Segment({x + s * 0.1f, y}, {x + s * 0.35f, y}, s * 0.03f));
               },
               [](float x, float y, float s) {
                   return Union(RoundedBox({x - s * 0.3f, y - s * 0.1f}, {x + s * 0.05f, y + s * 0.1f}, s * 0.03f),
                                Union(Segment({x + s * 0.05f, y - s * 0.04f}, {x + s * 0.35f, y - s * 0.04f}, s * 0.05f),
                                      Segment({x - s * 0.15f, y + s * 0.1f}, {x - s * 0.2f, y + s * 0.3f}, s * 0.06f)));
               }},
              Hex(0xF0D0A0));
    return true;
}
