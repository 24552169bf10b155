// The pictures of the HUD of play, in the toolkit's look (dark steel and deep blue, lit from
// the upper left, a blue accent line): the main display's frame, its badges, meter overlays,
// stance and damage-type icons, the coloured button strips, the portrait's backdrop, the
// message bar and pop-up pictures, the achievement sheet, the power bar's fill and its
// chevron.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const Colour Ink = Hex(0x06090D);
const Colour Steel = Hex(0x2F5A86);
const Colour Accent = Hex(0x5C9BDB);
const Colour Panel = Hex(0x1A2431);
const Colour Deep = Hex(0x10233A);

// A rounded steel plate with a bevel and an ink outline; sunken plates are darker.
void Plate(Canvas& c, Colour top, Colour bottom, bool sunken, float inset)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    float radius = std::min(w, h) * 0.18f;
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({inset, inset}, {w - inset, h - inset}, radius));
    FillLayer(c, plate, [&](float, float v) { return Mix(top, bottom, Smoothstep(0.0f, 1.0f, v)); });
    BevelLayer(c, plate, std::min(w, h) * 0.12f, sunken ? -0.35f : 0.4f);
    OutlineLayer(c, plate, 2.0f, Ink);
}

// A button strip: the glow under the pointer on top, the face, the pressed face at the bottom.
void ButtonStrip(Canvas& c, Colour light, Colour dark, Colour glow)
{
    PaintCells(c, 1, 3, [&](Canvas& cell, int, int row) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        if (row == 0) {
            Plane plate = ShapeField(cell.Width(), cell.Height(), RoundedBox({2, 2}, {w - 2, h - 2}, h * 0.16f));
            FillLayer(cell, plate, [&](float, float v) { return WithAlpha(glow, 0.32f - 0.16f * v); });
            OutlineLayer(cell, plate, 3.0f, WithAlpha(glow, 0.85f));
        } else {
            Plate(cell, row == 1 ? light : Scale(dark, 0.7f), row == 1 ? dark : light, row == 2, 1.0f);
        }
    });
}

// A shape filled in a colour with a dark rim, centred in its cell.
void Glyph(Canvas& c, const Shape& shape, Colour colour)
{
    Plane field = ShapeField(c.Width(), c.Height(), shape);
    GlowLayer(c, field, c.Width() * 0.06f, WithAlpha(colour, 0.5f));
    FillLayer(c, field, colour);
    OutlineLayer(c, field, 1.5f, WithAlpha(Ink, 0.8f));
}

// A round icon backing in the panel's colours.
void IconBack(Canvas& c, bool lit)
{
    const float s = (float)c.Width();
    Plane disc = ShapeField(c.Width(), c.Height(), Circle({s / 2, s / 2}, s * 0.44f));
    FillLayer(c, disc, [&](float, float v) { return Mix(lit ? Steel : Deep, Panel, v); });
    BevelLayer(c, disc, s * 0.08f, lit ? 0.45f : -0.3f);
    OutlineLayer(c, disc, 2.0f, lit ? Accent : Ink);
}

Shape Flame(float s)
{
    return Union(Circle({s * 0.5f, s * 0.62f}, s * 0.18f),
                 Polygon({{s * 0.5f, s * 0.2f}, {s * 0.68f, s * 0.58f}, {s * 0.32f, s * 0.58f}}));
}

Shape Drop(float s)
{
    return Union(Circle({s * 0.5f, s * 0.62f}, s * 0.17f),
                 Polygon({{s * 0.5f, s * 0.24f}, {s * 0.66f, s * 0.6f}, {s * 0.34f, s * 0.6f}}));
}

Shape Bolt(float s)
{
    return Polygon({{s * 0.56f, s * 0.18f}, {s * 0.32f, s * 0.54f}, {s * 0.48f, s * 0.54f}, {s * 0.42f, s * 0.82f},
                    {s * 0.68f, s * 0.44f}, {s * 0.52f, s * 0.44f}});
}

Shape Shield(float s)
{
    return Polygon({{s * 0.28f, s * 0.26f}, {s * 0.5f, s * 0.18f}, {s * 0.72f, s * 0.26f}, {s * 0.68f, s * 0.58f},
                    {s * 0.5f, s * 0.8f}, {s * 0.32f, s * 0.58f}});
}

Shape Star(float s, float radius)
{
    std::vector<Vec2> points;
    for (int i = 0; i < 10; ++i) {
        float angle = (float)i * 3.14159265f / 5.0f - 3.14159265f / 2.0f;
        float r = (i % 2 == 0 ? radius : radius * 0.45f) * s;
        points.push_back({s * 0.5f + std::cos(angle) * r, s * 0.52f + std::sin(angle) * r});
    }
    return Polygon(points);
}

// The three stances: advance (an arrow), hold (a square), stop (a bar).
Shape StanceShape(int stance, float s)
{
    if (stance == 0)
        return Polygon({{s * 0.3f, s * 0.28f}, {s * 0.74f, s * 0.5f}, {s * 0.3f, s * 0.72f}, {s * 0.4f, s * 0.5f}});
    if (stance == 1) return RoundedBox({s * 0.32f, s * 0.32f}, {s * 0.68f, s * 0.68f}, s * 0.05f);
    return Segment({s * 0.3f, s * 0.5f}, {s * 0.7f, s * 0.5f}, s * 0.12f);
}

}  // namespace

// The main display: a wide steel frame, the portrait's well at the left and the page's field.
bool PaintMainDisplay(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane body = ShapeField(c.Width(), c.Height(), RoundedBox({1, 1}, {w - 1, h + 16}, 14.0f));
    FillLayer(c, body, [&](float u, float v) {
        float mottle = Fbm(u * 4.0f, v, 4, 3, 28);
        return Scale(Mix(Hex(0x243447), Hex(0x121A24), v), 0.92f + 0.16f * mottle);
    });
    BevelLayer(c, body, 5.0f, 0.45f);
    OutlineLayer(c, body, 2.0f, Ink);
    // The portrait's well where the display lays the portrait (its left 4.4 %, top 14 %, 18.6 %
    // of the width by 76 % of the height), the page's field right of it.
    float wellLeft = w * 0.044f, wellTop = h * 0.14f, wellRight = w * 0.258f, wellBottom = h * 0.90f;
    Plane field = ShapeField(c.Width(), c.Height(), RoundedBox({wellRight + w * 0.015f, h * 0.08f}, {w - 8, h - 6}, 6.0f));
    FillLayer(c, field, [&](float, float v) { return WithAlpha(Mix(Deep, Ink, v), 0.85f); });
    BevelLayer(c, field, 3.0f, -0.4f);
    Plane well = ShapeField(c.Width(), c.Height(), RoundedBox({wellLeft - 2, wellTop - 2}, {wellRight + 2, wellBottom + 2}, 5.0f));
    FillLayer(c, well, Ink);
    OutlineLayer(c, well, 2.0f, Accent);
    // The accent along the top edge.
    Plane line = ShapeField(c.Width(), c.Height(), Segment({16, 3.5f}, {w - 16, 3.5f}, 1.2f));
    FillLayer(c, line, WithAlpha(Accent, 0.8f));
    return true;
}

// Badges of the items and upgrades, 4 x 4: the armour badge (column 2, row 1) a shield; the
// upgrader's choices: weapon damage (1, 0) a crosshair, hull (1, 1) a riveted plate, shields
// (1, 2) a blue shield, speed (0, 2) twin chevrons, fire rounds (0, 3) a flame, acid rounds
// (1, 3) a drop.
bool PaintHudItemIcons(Canvas& c)
{
    PaintCells(c, 4, 4, [](Canvas& cell, int column, int row) {
        const float s = (float)cell.Width();
        IconBack(cell, true);
        int index = row * 4 + column;
        if (column == 2 && row == 1)
            Glyph(cell, Shield(s), Hex(0xB8C4D0));
        else if (column == 1 && row == 0)
            Glyph(cell,
                  Union(Ring({s / 2, s / 2}, s * 0.2f, s * 0.06f),
                        Union(Segment({s * 0.5f, s * 0.2f}, {s * 0.5f, s * 0.8f}, s * 0.05f),
                              Segment({s * 0.2f, s * 0.5f}, {s * 0.8f, s * 0.5f}, s * 0.05f))),
                  Hex(0xFF5A4A));
        else if (column == 1 && row == 1)
            Glyph(cell,
                  Subtract(RoundedBox({s * 0.26f, s * 0.3f}, {s * 0.74f, s * 0.7f}, s * 0.05f),
                           Union(Union(Circle({s * 0.34f, s * 0.38f}, s * 0.035f), Circle({s * 0.66f, s * 0.38f}, s * 0.035f)),
                                 Union(Circle({s * 0.34f, s * 0.62f}, s * 0.035f), Circle({s * 0.66f, s * 0.62f}, s * 0.035f)))),
                  Hex(0xA8B4C0));
        else if (column == 1 && row == 2)
            Glyph(cell, Shield(s), Hex(0x5AA8FF));
        else if (column == 0 && row == 2)
            Glyph(cell,
                  Union(Polygon({{s * 0.24f, s * 0.3f}, {s * 0.36f, s * 0.3f}, {s * 0.54f, s * 0.5f}, {s * 0.36f, s * 0.7f},
                                 {s * 0.24f, s * 0.7f}, {s * 0.42f, s * 0.5f}}),
                        Polygon({{s * 0.46f, s * 0.3f}, {s * 0.58f, s * 0.3f}, {s * 0.76f, s * 0.5f}, {s * 0.58f, s * 0.7f},
                                 {s * 0.46f, s * 0.7f}, {s * 0.64f, s * 0.5f}})),
                  Hex(0x9CFF7A));
        else if (column == 0 && row == 3)
            Glyph(cell, Flame(s), Hex(0xFF6A2A));
        else if (column == 1 && row == 3)
            Glyph(cell, Drop(s), Hex(0x6CFF4A));
        else if (index % 3 == 0)
            Glyph(cell, Star(s, 0.28f), Hex(0xFFD24A));
        else if (index % 3 == 1)
            Glyph(cell, Circle({s / 2, s / 2}, s * 0.18f), Hex(0x7AE0FF));
        else
            Glyph(cell, Bolt(s), Hex(0x9CFF7A));
    });
    return true;
}

// The second sheet: the stance buttons in rows 2 and 3 (unpressed, pressed), upgrade badges
// above: the miner's drill (2, 0) and its cargo hold (3, 0).
bool PaintHudItemIcons2(Canvas& c)
{
    PaintCells(c, 4, 4, [](Canvas& cell, int column, int row) {
        const float s = (float)cell.Width();
        int index = row * 4 + column;
        if (row >= 2 && index - 8 < 6) {
            int stance = (index - 8) / 2;
            bool pressed = (index - 8) % 2 == 1;
            Plate(cell, pressed ? Hex(0x18253A) : Hex(0x4A6684), pressed ? Hex(0x34506E) : Hex(0x223346), pressed, 2.0f);
            Glyph(cell, StanceShape(stance, s), pressed ? Hex(0x9CFF7A) : Hex(0xD8E2EC));
            return;
        }
        IconBack(cell, row < 2);
        if (column == 2 && row == 0)
            Glyph(cell,
                  Union(Polygon({{s * 0.36f, s * 0.26f}, {s * 0.64f, s * 0.26f}, {s * 0.5f, s * 0.8f}}),
                        RoundedBox({s * 0.32f, s * 0.2f}, {s * 0.68f, s * 0.3f}, s * 0.02f)),
                  Hex(0xFFD24A));
        else if (column == 3 && row == 0)
            Glyph(cell,
                  Subtract(RoundedBox({s * 0.24f, s * 0.34f}, {s * 0.76f, s * 0.72f}, s * 0.05f),
                           RoundedBox({s * 0.3f, s * 0.3f}, {s * 0.7f, s * 0.46f}, s * 0.02f)),
                  Hex(0xC08CFF));
        else if (index % 2 == 0)
            Glyph(cell, Shield(s), Hex(0x8FB8E8));
        else
            Glyph(cell, Segment({s * 0.3f, s * 0.7f}, {s * 0.7f, s * 0.3f}, s * 0.1f), Hex(0xFFB04A));
    });
    return true;
}

// Damage types: fire, acid and plasma in row 1, the research programs in rows 2 and 3.
bool PaintDamageTypes(Canvas& c)
{
    PaintCells(c, 4, 4, [](Canvas& cell, int column, int row) {
        const float s = (float)cell.Width();
        IconBack(cell, true);
        int index = row * 4 + column;
        switch (index % 6) {
        case 0: Glyph(cell, Circle({s / 2, s / 2}, s * 0.2f), Hex(0xB8C4D0)); break;
        case 1: Glyph(cell, Bolt(s), Hex(0x7AC8FF)); break;
        case 2: Glyph(cell, Star(s, 0.3f), Hex(0xFFD24A)); break;
        case 3: Glyph(cell, Shield(s), Hex(0x9CFF7A)); break;
        case 4: Glyph(cell, Ring({s / 2, s / 2}, s * 0.2f, s * 0.07f), Hex(0xFF9C4A)); break;
        default: Glyph(cell, Segment({s * 0.3f, s * 0.5f}, {s * 0.7f, s * 0.5f}, s * 0.1f), Hex(0xE8E8E8)); break;
        }
        if (row == 1 && column == 1) Glyph(cell, Flame(s), Hex(0xFF6A2A));
        if (row == 1 && column == 2) Glyph(cell, Drop(s), Hex(0x6CFF4A));
        if (row == 1 && column == 3) Glyph(cell, Circle({s / 2, s / 2}, s * 0.2f), Hex(0xD070FF));
    });
    return true;
}

// The shield meter's overlay: division ticks over a transparent bar.
bool PaintDivBar(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    for (int i = 1; i < 10; ++i) {
        Plane tick = ShapeField(c.Width(), c.Height(), Segment({w * i / 10.0f, 1.0f}, {w * i / 10.0f, h - 1.0f}, 0.8f));
        FillLayer(c, tick, WithAlpha(Ink, 0.7f));
    }
    Plane gloss = ShapeField(c.Width(), c.Height(), Segment({0, h * 0.25f}, {w, h * 0.25f}, h * 0.12f));
    FillLayer(c, gloss, Rgba(1, 1, 1, 0.18f));
    return true;
}

// The cargo meter's overlay: a glossy top and scattered ore glints.
bool PaintOreBar(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane gloss = ShapeField(c.Width(), c.Height(), Segment({0, h * 0.22f}, {w, h * 0.22f}, h * 0.12f));
    FillLayer(c, gloss, Rgba(1, 1, 1, 0.2f));
    for (int i = 0; i < 12; ++i) {
        float x = w * (i + 0.5f) / 12.0f, y = h * (0.45f + 0.3f * std::sin(i * 2.3f));
        Plane glint = ShapeField(c.Width(), c.Height(), Circle({x, y}, h * 0.14f));
        FillLayer(c, glint, Rgba(0.85f, 0.7f, 1.0f, 0.45f));
    }
    return true;
}

bool PaintButtonGreen(Canvas& c)
{
    ButtonStrip(c, Hex(0x3E8A4A), Hex(0x1A4422), Rgb(0.4f, 1.0f, 0.5f));
    return true;
}

bool PaintButtonGrey(Canvas& c)
{
    ButtonStrip(c, Hex(0x5A5F66), Hex(0x2C2F33), Rgb(0.7f, 0.7f, 0.7f));
    return true;
}

// The portrait's backdrop: white, fading down, tinted by the panel to the entity's side.
bool PaintGradWhite(Canvas& c)
{
    c.Paint([](float u, float v) {
        float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.35f) * (v - 0.35f));
        float k = Clamp01(1.0f - 0.55f * v - 0.35f * d);
        return Rgb(k, k, k);
    });
    return true;
}

// The message bar's sheet, 1 x 4: the pop-up's backdrop, the information line, the warning
// line, a neutral line.
bool PaintMessageBar(Canvas& c)
{
    PaintCells(c, 1, 4, [](Canvas& cell, int, int row) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        Colour tone = row == 1 ? Hex(0x2F5A86) : row == 2 ? Hex(0x8A2E22) : row == 3 ? Hex(0x3A3F46) : Deep;
        Plane band = ShapeField(cell.Width(), cell.Height(), RoundedBox({1, 2}, {w - 1, h - 2}, h * 0.35f));
        FillLayer(cell, band, [&](float u, float) { return WithAlpha(tone, row == 0 ? 0.8f : 0.85f - 0.6f * u); });
        OutlineLayer(cell, band, 1.5f, WithAlpha(row == 2 ? Hex(0xFF7A5C) : Accent, 0.9f));
        if (row == 1 || row == 2) {
            // The icon at the left: an "i" or a "!".
            float cx = h * 0.6f;
            Plane disc = ShapeField(cell.Width(), cell.Height(), Circle({cx, h / 2}, h * 0.32f));
            FillLayer(cell, disc, row == 1 ? Accent : Hex(0xFF7A5C));
            Plane mark = ShapeField(cell.Width(), cell.Height(),
                                    Union(Segment({cx, h * 0.38f}, {cx, h * 0.62f}, h * 0.06f),
                                          Circle({cx, row == 1 ? h * 0.3f : h * 0.7f}, h * 0.05f)));
            FillLayer(cell, mark, Rgb(1, 1, 1));
        }
    });
    return true;
}

// The achievement badge's back, 2 x 1: the plate and a dimmed one.
bool PaintAchievementBack(Canvas& c)
{
    PaintCells(c, 2, 1, [](Canvas& cell, int column, int) {
        const float s = (float)cell.Width();
        Plane disc = ShapeField(cell.Width(), cell.Height(), Circle({s / 2, s / 2}, s * 0.46f));
        FillLayer(cell, disc, [&](float, float v) { return Mix(column == 0 ? Hex(0xC8962E) : Hex(0x5A5F66), Deep, v * 0.6f); });
        BevelLayer(cell, disc, s * 0.1f, 0.5f);
        OutlineLayer(cell, disc, 2.0f, Ink);
    });
    return true;
}

// The achievement icons, 5 x 5: a star of its own colour and size on each.
bool PaintAchievements(Canvas& c)
{
    const int side = 5;
    for (int i = 0; i < side * side; ++i) {
        int column = i % side, row = i / side;
        uint32_t left = c.Width() * (uint32_t)column / side, right = c.Width() * (uint32_t)(column + 1) / side;
        uint32_t top = c.Height() * (uint32_t)row / side, bottom = c.Height() * (uint32_t)(row + 1) / side;
        Canvas cell(right - left, bottom - top, Rgba(0, 0, 0, 0));
        const float s = (float)cell.Width();
        float hue = (float)i / (side * side);
        Colour colour = Rgb(0.6f + 0.4f * std::sin(hue * 6.28f), 0.6f + 0.4f * std::sin(hue * 6.28f + 2.1f),
                            0.6f + 0.4f * std::sin(hue * 6.28f + 4.2f));
        Glyph(cell, Star(s, 0.22f + 0.1f * (float)(i % 3) / 2.0f), colour);
        c.Draw(cell, (int)left, (int)top);
    }
    return true;
}

// The power bar's fill: white, tinted by the meter, with slanted stripes that drift.
bool PaintPowerBar(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Paint([=](float u, float v) {
        float shade = v < 0.4f ? 1.0f : 0.8f - 0.25f * (v - 0.4f);
        float stripe = std::fmod(u * w + v * h, w / 4.0f) < w / 8.0f ? 0.85f : 1.0f;
        return Scale(Rgb(1, 1, 1), shade * stripe);
    });
    return true;
}

// The demand marker: a chevron pointing down onto the bar.
bool PaintChevron(Canvas& c)
{
    const float s = (float)c.Width();
    Shape chevron = Polygon({{s * 0.12f, s * 0.2f}, {s * 0.5f, s * 0.58f}, {s * 0.88f, s * 0.2f}, {s * 0.88f, s * 0.42f},
                             {s * 0.5f, s * 0.82f}, {s * 0.12f, s * 0.42f}});
    Glyph(c, chevron, Hex(0xF2F4F6));
    return true;
}

// The rig portrait's backdrop: each environment's horizon, 2 x 4 cells in the order of the
// environment table (forest, winter, desert, fall, marsh, moon, alien, lava).
bool PaintPlanetEnvironments(Canvas& c)
{
    struct Look {
        uint32_t skyTop, skyLow, ground, hills;
    };
    const Look looks[8] = {
        {0x3C6EA8, 0xA8CBE0, 0x3E6B2C, 0x2C4A22}, {0x6E86A0, 0xD8E4EE, 0xE8EEF4, 0xA8B8C8},
        {0x4A86C0, 0xF0D8A0, 0xD8B070, 0xB08850}, {0x5A70A0, 0xE8B888, 0x8A5A2A, 0x6A3E1E},
        {0x4E6A5A, 0xA8B898, 0x4A5A2E, 0x3A4624}, {0x05070C, 0x1E2430, 0x8A8A8E, 0x5A5A60},
        {0x3A1450, 0xC070B0, 0x2E6A5A, 0x1E4A48}, {0x2A0A06, 0xC0502A, 0x2A2224, 0xE05A1A},
    };
    PaintCells(c, 2, 4, [&](Canvas& cell, int column, int row) {
        const Look& look = looks[row * 2 + column];
        uint32_t seed = (uint32_t)(row * 2 + column + 40);
        cell.Paint([&](float u, float v) {
            float horizon = 0.58f + 0.06f * std::sin(u * 9.0f + seed) + 0.04f * Fbm(u * 3.0f, 0.5f, 3, 2, seed);
            if (v < horizon) return Mix(Hex(look.skyTop), Hex(look.skyLow), Smoothstep(0.0f, horizon, v));
            float mottle = Fbm(u * 6.0f, v * 6.0f, 4, 3, seed);
            Colour ground = Mix(Hex(look.hills), Hex(look.ground), Smoothstep(horizon, 1.0f, v));
            return Scale(ground, 0.85f + 0.3f * mottle);
        });
    });
    return true;
}

// The info tooltip's background: a dark, slightly see-through panel with the accent rim.
bool PaintInfoBack(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane box = ShapeField(c.Width(), c.Height(), RoundedBox({1, 1}, {w - 1, h - 1}, h * 0.12f));
    FillLayer(c, box, [&](float, float v) { return WithAlpha(Mix(Panel, Ink, v), 0.88f); });
    OutlineLayer(c, box, 2.0f, WithAlpha(Accent, 0.9f));
    return true;
}
