// The mission HUD's own pictures, in the toolkit's look (dark steel and deep blue, lit from the
// upper left, a blue accent line): the spacers beside the command panel, the strip beside the
// minimap with its button sheet, the build panel's tabs, the resource bar, the command panel's
// backing, the black quick-slot sheet and the rig banner's two states.
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
const Colour Deep = Hex(0x10233A);
const Colour Dim = Hex(0x8A949E);
const Colour Glow = Hex(0x7CE0FF);

// A machined steel panel: mottled, darker at its foot, bevelled, outlined in ink, with the
// accent along its top edge.
void SteelPanel(Canvas& c, float radius, uint32_t seed)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane body = ShapeField(c.Width(), c.Height(), RoundedBox({1, 1}, {w - 1, h - 1}, radius));
    FillLayer(c, body, [&](float u, float v) {
        float mottle = Fbm(u * 4.0f, v, 4, 3, seed);
        return Scale(Mix(Hex(0x243447), Hex(0x121A24), v), 0.92f + 0.16f * mottle);
    });
    BevelLayer(c, body, std::min(w, h) * 0.08f + 2.0f, 0.45f);
    OutlineLayer(c, body, 2.0f, Ink);
    Plane line = ShapeField(c.Width(), c.Height(), Segment({radius + 4, 3.5f}, {w - radius - 4, 3.5f}, 1.2f));
    FillLayer(c, line, WithAlpha(Accent, 0.8f));
}

// A well sunk into a panel.
void Well(Canvas& c, float left, float top, float right, float bottom)
{
    Plane well = ShapeField(c.Width(), c.Height(), RoundedBox({left, top}, {right, bottom}, (bottom - top) * 0.3f));
    FillLayer(c, well, [](float, float v) { return WithAlpha(Mix(Deep, Ink, v), 0.9f); });
    BevelLayer(c, well, 2.0f, -0.4f);
    OutlineLayer(c, well, 1.2f, WithAlpha(Accent, 0.6f));
}

// A round button face; lit faces wear the accent rim.
void RoundFace(Canvas& c, bool lit)
{
    const float s = (float)std::min(c.Width(), c.Height());
    Plane face = ShapeField(c.Width(), c.Height(), RoundedBox({2, 2}, {s - 2, s - 2}, s * 0.2f));
    FillLayer(c, face, [&](float, float v) { return Mix(lit ? Hex(0x3C5F86) : Hex(0x2A3440), lit ? Deep : Hex(0x12161C), v); });
    BevelLayer(c, face, s * 0.08f, 0.45f);
    OutlineLayer(c, face, 2.0f, lit ? Accent : Hex(0x50545A));
}

void Glyph(Canvas& c, const Shape& shape, Colour colour)
{
    Plane field = ShapeField(c.Width(), c.Height(), shape);
    GlowLayer(c, field, c.Width() * 0.05f, WithAlpha(colour, 0.45f));
    FillLayer(c, field, colour);
    OutlineLayer(c, field, 1.2f, WithAlpha(Ink, 0.8f));
}

Shape RangeRings(float s)
{
    Vec2 c = {s / 2, s / 2};
    return Union(Union(Ring(c, s * 0.30f, s * 0.045f), Ring(c, s * 0.16f, s * 0.045f)), Circle(c, s * 0.05f));
}

Shape TurnArrow(float s)
{
    Vec2 c = {s / 2, s / 2};
    Shape arc = Arc(c, s * 0.24f, s * 0.07f, -200.0f, 40.0f);
    Vec2 tip = Rotate({c.x + s * 0.24f, c.y}, c, 40.0f);
    Shape head = Polygon({{tip.x - s * 0.13f, tip.y - s * 0.02f}, {tip.x + s * 0.11f, tip.y - s * 0.06f}, {tip.x, tip.y + s * 0.14f}});
    return Union(arc, head);
}

Shape FollowMark(float s)
{
    Vec2 c = {s / 2, s / 2};
    Shape sight = Ring(c, s * 0.22f, s * 0.06f);
    for (int i = 0; i < 4; ++i) {
        Vec2 a = Rotate({c.x, c.y - s * 0.38f}, c, 90.0f * i), b = Rotate({c.x, c.y - s * 0.26f}, c, 90.0f * i);
        sight = Union(sight, Segment(a, b, s * 0.06f));
    }
    return Union(sight, Circle(c, s * 0.07f));
}

Shape House(float s)
{
    return Union(Polygon({{s * 0.2f, s * 0.48f}, {s * 0.5f, s * 0.2f}, {s * 0.8f, s * 0.48f}}),
                 Subtract(RoundedBox({s * 0.28f, s * 0.46f}, {s * 0.72f, s * 0.78f}, 1.0f),
                          RoundedBox({s * 0.44f, s * 0.58f}, {s * 0.56f, s * 0.8f}, 1.0f)));
}

Shape Cog(float s)
{
    Vec2 c = {s / 2, s / 2};
    Shape cog = Ring(c, s * 0.2f, s * 0.1f);
    for (int i = 0; i < 8; ++i)
        cog = Union(cog, Segment(Rotate({c.x, c.y - s * 0.22f}, c, 45.0f * i), Rotate({c.x, c.y - s * 0.33f}, c, 45.0f * i),
                                 s * 0.08f));
    return cog;
}

Shape Turret(float s)
{
    Shape base = RoundedBox({s * 0.24f, s * 0.58f}, {s * 0.76f, s * 0.78f}, s * 0.04f);
    Shape head = Circle({s * 0.5f, s * 0.52f}, s * 0.15f);
    return Union(Union(base, head), Segment({s * 0.5f, s * 0.5f}, {s * 0.82f, s * 0.26f}, s * 0.07f));
}

Shape Bolt(float s)
{
    return Polygon({{s * 0.56f, s * 0.14f}, {s * 0.3f, s * 0.54f}, {s * 0.48f, s * 0.54f}, {s * 0.42f, s * 0.86f},
                    {s * 0.7f, s * 0.44f}, {s * 0.52f, s * 0.44f}});
}

Shape Crystal(float s, float cx)
{
    return Polygon({{cx, s * 0.16f}, {cx + s * 0.2f, s * 0.42f}, {cx, s * 0.86f}, {cx - s * 0.2f, s * 0.42f}});
}

Shape Drop(float s, float cx)
{
    return Union(Circle({cx, s * 0.62f}, s * 0.2f), Polygon({{cx, s * 0.14f}, {cx + s * 0.19f, s * 0.58f}, {cx - s * 0.19f, s * 0.58f}}));
}

Shape Figure(float s, float cx)
{
    return Union(Circle({cx, s * 0.3f}, s * 0.14f), RoundedBox({cx - s * 0.22f, s * 0.5f}, {cx + s * 0.22f, s * 0.9f}, s * 0.12f));
}

}  // namespace

bool PaintGuiSpacer(Canvas& c)
{
    SteelPanel(c, 6.0f, 41);
    return true;
}

bool PaintMinimapStrip(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    SteelPanel(c, 6.0f, 43);
    Plane groove = ShapeField(c.Width(), c.Height(), Segment({w - 6.0f, 12.0f}, {w - 6.0f, h - 12.0f}, 1.2f));
    FillLayer(c, groove, WithAlpha(Accent, 0.7f));
    return true;
}

// 4 x 2: (0, 0) range rings off, (2, 0) on; (0, 1) follow off, (1, 0) on; (1, 1) the camera
// turned back; the other cells plain faces.
bool PaintMinimapIcons(Canvas& c)
{
    PaintCells(c, 4, 2, [](Canvas& cell, int column, int row) {
        const float s = (float)cell.Width();
        bool lit = (column == 2 && row == 0) || (column == 1 && row == 0);
        RoundFace(cell, lit);
        if ((column == 0 || column == 2) && row == 0) Glyph(cell, RangeRings(s), lit ? Glow : Dim);
        if (column == 1 && row == 1) Glyph(cell, TurnArrow(s), Hex(0xD8E2EC));
        if ((column == 0 && row == 1) || (column == 1 && row == 0)) Glyph(cell, FollowMark(s), lit ? Glow : Dim);
    });
    return true;
}

// 2 x 3: the pressed tab in column 0, the tab at rest in column 1; rows: base buildings,
// production, defences.
bool PaintBuildTabs(Canvas& c)
{
    PaintCells(c, 2, 3, [](Canvas& cell, int column, int row) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        bool lit = column == 0;
        Plane tab = ShapeField(cell.Width(), cell.Height(), RoundedBox({2, 2}, {w - 2, h - 2}, w * 0.18f));
        FillLayer(cell, tab, [&](float, float v) { return Mix(lit ? Steel : Hex(0x222C38), lit ? Deep : Hex(0x10151B), v); });
        BevelLayer(cell, tab, w * 0.08f, lit ? 0.45f : 0.25f);
        OutlineLayer(cell, tab, 2.0f, lit ? Accent : Ink);
        // The picture sits in a square centred in the tab.
        float side = std::min(w, h);
        Canvas square((uint32_t)side, (uint32_t)side, Rgba(0, 0, 0, 0));
        Shape shape = row == 0 ? House(side) : row == 1 ? Cog(side) : Turret(side);
        Glyph(square, shape, lit ? Hex(0xE8F2FF) : Dim);
        cell.Draw(square, (int)((w - side) / 2), (int)((h - side) / 2));
    });
    return true;
}

// The resource bar along the top right: the power bar's well, then ore, fuel and units with
// their pictures left of the counters. Laid out in the bar's own units (its width is 512 of
// them, as at 768 lines).
bool PaintResourceBack(Canvas& c)
{
    const float h = (float)c.Height(), k = (float)c.Width() / 512.0f;
    SteelPanel(c, 8.0f, 47);
    float top = h * 0.2f, bottom = h * 0.8f;
    Well(c, 6 * k, top, 146 * k, bottom);
    Well(c, 166 * k, top, 274 * k, bottom);
    Well(c, 294 * k, top, 407 * k, bottom);
    Well(c, 424 * k, top, 501 * k, bottom);
    auto icon = [&](float centre, const std::function<Shape(float, float)>& shape, Colour colour) {
        Canvas square((uint32_t)h, (uint32_t)h, Rgba(0, 0, 0, 0));
        Glyph(square, shape(h, h / 2), colour);
        c.Draw(square, (int)(centre * k - h / 2), 0);
    };
    icon(188, [](float s, float cx) { return Crystal(s, cx); }, Hex(0x7AE0FF));
    icon(314, [](float s, float cx) { return Drop(s, cx); }, Hex(0xCE68FF));
    icon(442, [](float s, float cx) { return Figure(s, cx); }, Hex(0x9CFF7A));
    Canvas power((uint32_t)h, (uint32_t)h, Rgba(0, 0, 0, 0));
    Glyph(power, Bolt(h), Hex(0xFFD24A));
    c.Draw(power, (int)(4 * k - h * 0.25f), 0);
    return true;
}

bool PaintCommandBack(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    SteelPanel(c, 8.0f, 53);
    Well(c, 4.0f, 4.0f, w - 4.0f, h - 4.0f);
    return true;
}

// The rig banner's face: at rest (row 0), and in alarm while the rig is low (row 1).
bool PaintPlanetLabels(Canvas& c)
{
    PaintCells(c, 1, 2, [](Canvas& cell, int, int row) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        bool alarm = row == 1;
        Plane face = ShapeField(cell.Width(), cell.Height(), RoundedBox({1, 1}, {w - 1, h - 1}, h * 0.2f));
        FillLayer(cell, face, [&](float, float v) {
            return alarm ? Mix(Hex(0xC0392B), Hex(0x4A100C), v) : Mix(Hex(0x3C6FA8), Hex(0x1A3152), v);
        });
        BevelLayer(cell, face, h * 0.14f, 0.4f);
        OutlineLayer(cell, face, 2.0f, Ink);
        Plane rule = ShapeField(cell.Width(), cell.Height(), RoundedBox({6.0f, h - 6.0f}, {w - 6.0f, h - 4.0f}, 1.0f));
        FillLayer(cell, rule, alarm ? Rgb(1.0f, 0.85f, 0.4f) : Rgb(0.95f, 0.78f, 0.32f));
    });
    return true;
}
