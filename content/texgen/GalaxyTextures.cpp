// The galaxy map's pictures: the worlds' surfaces (land against water in the alpha), their
// seas and clouds, the gas giants' bands and the sun; and the map screen's steel panels,
// the slanted start button, the round galaxy button and the frames of the planet panel.
// Surfaces tile across u, so that they wrap round a sphere without a seam.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const Colour Ink = Hex(0x06090D);
const Colour Steel = Hex(0x26384D);
const Colour SteelDark = Hex(0x111A25);
const Colour Accent = Hex(0x5C9BDB);

struct WorldLook {
    uint32_t lowland, highland, peak;  // land by height
    float sea;                         // share of water (the height under which water lies)
    float polar;                       // how far the ice caps reach (0: none)
    uint32_t seed;
};

// A world's land: its height from fractal noise, coloured by height, alpha 1 on land and 0 on
// water with a soft shore.
void PaintWorld(Canvas& c, const WorldLook& look)
{
    c.Paint([&](float u, float v) {
        float wu = u, wv = v;
        Warp(wu, wv, 4, 0.08f, look.seed + 7);
        const float height = Fbm(wu, wv, 4, 5, look.seed);
        const float shore = Smoothstep(look.sea - 0.015f, look.sea + 0.015f, height);
        const float up = Clamp01((height - look.sea) / std::max(0.05f, 1.0f - look.sea) * 1.6f);
        Colour land = up < 0.5f ? Mix(Hex(look.lowland), Hex(look.highland), up * 2.0f)
                                : Mix(Hex(look.highland), Hex(look.peak), (up - 0.5f) * 2.0f);
        land = Scale(land, 0.85f + 0.3f * Fbm(u, v, 16, 3, look.seed + 3));
        const float pole = std::fabs(v - 0.5f) * 2.0f;
        if (look.polar > 0.0f) {
            const float ice = Smoothstep(1.0f - look.polar, 1.0f - look.polar + 0.06f,
                                         pole + 0.05f * Fbm(u, v, 8, 3, look.seed + 9));
            land = Mix(land, Rgb(0.93f, 0.95f, 0.98f), ice);
            return WithAlpha(land, std::max(shore, ice));
        }
        return WithAlpha(land, shore);
    });
}

// Open water: a base colour with slow swells.
void PaintSea(Canvas& c, uint32_t deep, uint32_t shallow, uint32_t seed)
{
    c.Paint([&](float u, float v) {
        const float swell = Fbm(u, v, 4, 4, seed);
        return Mix(Hex(deep), Hex(shallow), Smoothstep(0.3f, 0.75f, swell));
    });
}

// White weather over a world: coverage grows with `amount` (0: clear sky).
void PaintClouds(Canvas& c, float amount, uint32_t seed)
{
    c.Paint([&](float u, float v) {
        if (amount <= 0.0f) return Rgba(1.0f, 1.0f, 1.0f, 0.0f);
        float wu = u, wv = v;
        Warp(wu, wv, 4, 0.12f, seed + 1);
        const float n = Fbm(wu, wv * 2.0f, 4, 5, seed);
        const float cover = Smoothstep(0.62f - amount * 0.2f, 0.8f - amount * 0.15f, n);
        return Rgba(1.0f, 1.0f, 1.0f, cover);
    });
}

// The slanted panel of the map screen's lower corners: steel, a blue rule along its top edge.
void PaintSlantedPanel(Canvas& c, std::vector<Vec2> outline)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    for (Vec2& p : outline) p = {p.x * w, p.y * h};
    Plane field = ShapeField(c.Width(), c.Height(), Polygon(outline));
    FillLayer(c, field, [&](float u, float v) {
        const float grain = Fbm(u, v, 8, 3, 71);
        return Scale(Mix(Steel, SteelDark, Clamp01(v * 1.2f)), 0.9f + 0.2f * grain);
    });
    BevelLayer(c, field, 6.0f, 0.4f);
    OutlineLayer(c, field, 3.0f, WithAlpha(Accent, 0.9f));
    OutlineLayer(c, field, 1.2f, Ink);
}

// The start button's face: a rounded box whose upper-left corner is cut away along the line
// the button's hit shape uses.
Shape StartFace(float w, float h)
{
    const float cutX = w * (0.0833333f / 0.1760417f), cutY = h * (0.0761719f / 0.1435547f);
    return Subtract(RoundedBox({2, 2}, {w - 2, h - 2}, h * 0.12f),
                    Polygon({{-1, -1}, {cutX, -1}, {-1, cutY}}));
}

}  // namespace

bool PaintPlanetForest(Canvas& c)
{
    PaintWorld(c, {0x3F7A2E, 0x5E7F3A, 0x8A8070, 0.5f, 0.12f, 301});
    return true;
}

bool PaintPlanetDesert(Canvas& c)
{
    PaintWorld(c, {0xD8B46E, 0xC08A4A, 0x8E5E36, 0.28f, 0.0f, 302});
    return true;
}

bool PaintPlanetFall(Canvas& c)
{
    PaintWorld(c, {0xB8672A, 0x8E4E24, 0x6E5A48, 0.46f, 0.1f, 303});
    return true;
}

bool PaintPlanetMarsh(Canvas& c)
{
    PaintWorld(c, {0x4E5E2C, 0x3C4A26, 0x5C5A40, 0.55f, 0.0f, 304});
    return true;
}

bool PaintPlanetWinter(Canvas& c)
{
    PaintWorld(c, {0xC8D4DE, 0xA8B8C8, 0xF0F4F8, 0.45f, 0.35f, 305});
    return true;
}

bool PaintPlanetMoon(Canvas& c)
{
    c.Paint([](float u, float v) {
        const CellSample craters = Cellular(u, v, 10, 306);
        const float rim = Smoothstep(0.25f, 0.32f, craters.f1) * (1.0f - Smoothstep(0.32f, 0.42f, craters.f1));
        const float floor = 1.0f - Smoothstep(0.2f, 0.3f, craters.f1);
        const float shade = 0.5f + 0.25f * Fbm(u, v, 8, 4, 307) + 0.25f * rim - 0.15f * floor;
        return Rgb(shade * 0.62f, shade * 0.62f, shade * 0.64f);
    });
    return true;
}

bool PaintPlanetAlien(Canvas& c)
{
    PaintWorld(c, {0x6A3A8A, 0x2E8A78, 0xC070B0, 0.42f, 0.0f, 308});
    return true;
}

bool PaintPlanetLava(Canvas& c)
{
    c.Paint([](float u, float v) {
        const float cracks = RidgedFbm(u, v, 6, 4, 309);
        const float crust = Fbm(u, v, 8, 4, 310);
        const Colour rock = Scale(Hex(0x2A2224), 0.7f + 0.5f * crust);
        return Mix(rock, Hex(0xFF7A1A), Smoothstep(0.82f, 0.95f, cracks));
    });
    return true;
}

bool PaintOcean0(Canvas& c)
{
    PaintSea(c, 0x2A2420, 0x443A30, 320);
    return true;
}
bool PaintOcean1(Canvas& c)
{
    PaintSea(c, 0x0E2E6A, 0x2A5AA0, 321);
    return true;
}
bool PaintOcean2(Canvas& c)
{
    PaintSea(c, 0x0E4A5A, 0x2A8A90, 322);
    return true;
}
bool PaintOcean3(Canvas& c)
{
    PaintSea(c, 0x1A4A3A, 0x3A7A5A, 323);
    return true;
}
bool PaintOcean4(Canvas& c)
{
    PaintSea(c, 0x081A3A, 0x18306A, 324);
    return true;
}
bool PaintOcean5(Canvas& c)
{
    PaintSea(c, 0x127A8A, 0x48B8C0, 325);
    return true;
}
bool PaintOcean6(Canvas& c)
{
    PaintSea(c, 0x5A7A9A, 0xA8C8E0, 326);
    return true;
}

bool PaintClouds0(Canvas& c)
{
    PaintClouds(c, 0.0f, 330);
    return true;
}
bool PaintClouds1(Canvas& c)
{
    PaintClouds(c, 0.35f, 331);
    return true;
}
bool PaintClouds2(Canvas& c)
{
    PaintClouds(c, 0.65f, 332);
    return true;
}
bool PaintClouds3(Canvas& c)
{
    PaintClouds(c, 1.0f, 333);
    return true;
}

// The gas giants: 2 x 2 cells of bands along the latitude, each world in its own colours.
bool PaintGasGiants(Canvas& c)
{
    static const uint32_t palettes[4][3] = {
        {0xD8B88A, 0xA8683A, 0xF0E0C0}, {0x5A8AC8, 0x2A4A8A, 0xB8D8F0},
        {0xE8D890, 0xB8A050, 0xFFF8D8}, {0xB8584A, 0x6A2A26, 0xE8A888},
    };
    PaintCells(c, 2, 2, [](Canvas& cell, int column, int row) {
        const uint32_t* colours = palettes[row * 2 + column];
        const uint32_t seed = 340 + row * 2 + column;
        cell.Paint([&](float u, float v) {
            float wu = u, wv = v;
            Warp(wu, wv, 4, 0.03f, seed);
            const float band = 0.5f + 0.5f * std::sin(wv * 38.0f + 6.0f * Fbm(wu, wv, 4, 3, seed + 1));
            const float fine = Fbm(wu * 0.5f, wv * 6.0f, 8, 3, seed + 2);
            Colour colour = Mix(Hex(colours[1]), Hex(colours[0]), band);
            colour = Mix(colour, Hex(colours[2]), Smoothstep(0.6f, 0.85f, fine) * 0.6f);
            return colour;
        });
    });
    return true;
}

// The sun: a boiling, white-hot surface the star's own colour tints.
bool PaintSun(Canvas& c)
{
    c.Paint([](float u, float v) {
        const CellSample granules = Cellular(u, v, 24, 350);
        const float boil = Fbm(u, v, 6, 4, 351);
        const float k = 0.7f + 0.2f * boil + 0.1f * Smoothstep(0.0f, 0.5f, granules.f2 - granules.f1);
        return Rgb(k, k * 0.95f, k * 0.85f);
    });
    return true;
}

bool PaintGalaxySpacer(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane field = ShapeField(c.Width(), c.Height(), RoundedBox({0, h * 0.25f}, {w, h + 4}, 0));
    FillLayer(c, field, [](float u, float v) { return Scale(Mix(Steel, SteelDark, v), 0.9f + 0.2f * Fbm(u, v, 8, 3, 72)); });
    FillLayer(c, ShapeField(c.Width(), c.Height(), RoundedBox({0, h * 0.25f}, {w, h * 0.25f + 3}, 0)), Accent);
    return true;
}

bool PaintGalaxyControlLeft(Canvas& c)
{
    PaintSlantedPanel(c, {{0.0f, 0.242f}, {0.488f, 0.242f}, {0.863f, 0.617f}, {1.0f, 0.617f}, {1.0f, 1.02f},
                          {0.0f, 1.02f}});
    return true;
}

bool PaintGalaxyStartBack(Canvas& c)
{
    PaintSlantedPanel(c, {{1.0f, 0.25f}, {0.496f, 0.25f}, {0.125f, 0.617f}, {0.0f, 0.617f}, {0.0f, 1.02f},
                          {1.0f, 1.02f}});
    return true;
}

bool PaintGalaxyPanelMid(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane field = ShapeField(c.Width(), c.Height(), RoundedBox({2, 2}, {w - 2, h + 8}, h * 0.2f));
    FillLayer(c, field, [](float u, float v) { return Scale(Mix(Steel, SteelDark, v), 0.9f + 0.2f * Fbm(u, v, 8, 3, 73)); });
    BevelLayer(c, field, 5.0f, 0.35f);
    OutlineLayer(c, field, 2.5f, WithAlpha(Accent, 0.9f));
    return true;
}

// Two faces of the start button side by side: green (a mission waits), grey (none).
bool PaintGalaxyStartRight(Canvas& c)
{
    PaintCells(c, 2, 1, [](Canvas& cell, int column, int) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        Plane field = ShapeField(cell.Width(), cell.Height(), StartFace(w, h));
        const Colour top = column == 0 ? Hex(0x3E9A4E) : Hex(0x5A5F66);
        const Colour low = column == 0 ? Hex(0x18481F) : Hex(0x2A2D31);
        FillLayer(cell, field, [&](float, float v) { return Mix(top, low, v); });
        BevelLayer(cell, field, 6.0f, 0.45f);
        OutlineLayer(cell, field, 2.0f, Ink);
    });
    return true;
}

bool PaintGalaxyStartHilite(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane field = ShapeField(c.Width(), c.Height(), StartFace(w, h));
    FillLayer(c, field, Rgba(0.6f, 0.9f, 1.0f, 0.18f));
    OutlineLayer(c, field, 4.0f, Rgba(0.7f, 0.95f, 1.0f, 0.85f));
    return true;
}

// The round galaxy button, pressed (left) and up (right): a spiral of stars in a steel ring.
bool PaintGalaxyButton(Canvas& c)
{
    PaintCells(c, 2, 1, [](Canvas& cell, int column, int) {
        const float s = (float)cell.Width(), r = s * 0.46f;
        const Vec2 centre{s * 0.5f, s * 0.5f};
        Plane disc = ShapeField(cell.Width(), cell.Height(), Circle(centre, r));
        const float k = column == 0 ? 0.7f : 1.0f;
        FillLayer(cell, disc, [&](float u, float v) {
            const float x = u - 0.5f, y = v - 0.5f;
            const float radius = std::sqrt(x * x + y * y) * 2.0f, angle = std::atan2(y, x);
            const float arm = 0.5f + 0.5f * std::cos(2.0f * angle - radius * 9.0f);
            const float light = Clamp01(arm * (1.0f - radius) * 1.6f + (1.0f - Smoothstep(0.0f, 0.25f, radius)));
            return Scale(Mix(Hex(0x0A1426), Hex(0xBFD8FF), light), k);
        });
        OutlineLayer(cell, disc, s * 0.06f, Scale(Steel, 1.4f * k));
        OutlineLayer(cell, disc, 2.0f, Ink);
    });
    return true;
}

// The mission log's page (left) and the achievements' star (right).
bool PaintLogButtons(Canvas& c)
{
    PaintCells(c, 2, 1, [](Canvas& cell, int column, int) {
        const float s = (float)cell.Width();
        Plane back = ShapeField(cell.Width(), cell.Height(), RoundedBox({3, 3}, {s - 3, s - 3}, s * 0.18f));
        FillLayer(cell, back, [](float, float v) { return Mix(Hex(0x2F5A86), Hex(0x10233A), v); });
        BevelLayer(cell, back, 4.0f, 0.4f);
        OutlineLayer(cell, back, 2.0f, Ink);
        if (column == 0) {
            Plane page = ShapeField(cell.Width(), cell.Height(), RoundedBox({s * 0.3f, s * 0.2f}, {s * 0.7f, s * 0.8f}, 2));
            FillLayer(cell, page, Hex(0xE8ECF0));
            for (int line = 0; line < 4; ++line) {
                const float y = s * (0.32f + 0.11f * line);
                FillLayer(cell, ShapeField(cell.Width(), cell.Height(), Segment({s * 0.37f, y}, {s * 0.63f, y}, 1.2f)),
                          Hex(0x44505C));
            }
        } else {
            std::vector<Vec2> star;
            for (int i = 0; i < 10; ++i) {
                const float a = -1.5707963f + i * 0.6283185f, r = (i % 2 ? 0.16f : 0.34f) * s;
                star.push_back({s * 0.5f + std::cos(a) * r, s * 0.53f + std::sin(a) * r});
            }
            Plane shape = ShapeField(cell.Width(), cell.Height(), Polygon(star));
            FillLayer(cell, shape, Hex(0xF2C84A));
            OutlineLayer(cell, shape, 1.5f, Hex(0x5A3A0A));
        }
    });
    return true;
}

// A steel frame with a clear middle, for the environment pictures.
bool PaintPlanetFrame(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane frame = ShapeField(c.Width(), c.Height(),
                             Subtract(RoundedBox({0, 0}, {w, h}, 6), RoundedBox({7, 7}, {w - 7, h - 7}, 3)));
    FillLayer(c, frame, Steel);
    BevelLayer(c, frame, 3.0f, 0.45f);
    OutlineLayer(c, frame, 1.5f, Ink);
    return true;
}

bool PaintEnvironmentFrame(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane frame = ShapeField(c.Width(), c.Height(),
                             Subtract(RoundedBox({0, 0}, {w, h}, 4), RoundedBox({4, 4}, {w - 4, h - 4}, 2)));
    FillLayer(c, frame, Accent);
    OutlineLayer(c, frame, 1.2f, Ink);
    return true;
}
