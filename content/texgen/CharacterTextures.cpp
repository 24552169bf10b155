// The character screen's and the shop's pictures: the screen's frame and level badge, the
// close button, the experience and skill bars, the paper doll's slot sheet, the paint
// swatches and the shop's tabs.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

const Colour Ink = Hex(0x06090D);
const Colour Gold = Hex(0xD99A2B);
const Colour Steel = Hex(0x2F5A86);
const Colour Light = Hex(0x9CC4EE);

// A rounded plate with a vertical gradient and a raised edge.
void Plate(Canvas& c, Colour top, Colour bottom, Colour rim, float inset)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({inset, inset}, {w - inset, h - inset}, std::min(w, h) * 0.14f));
    FillLayer(c, plate, [&](float, float v) { return Mix(top, bottom, Smoothstep(0.0f, 1.0f, v)); });
    BevelLayer(c, plate, std::min(w, h) * 0.1f, 0.35f);
    OutlineLayer(c, plate, 2.0f, rim);
}

// A shape drawn light on a cell, with a soft halo.
void Emblem(Canvas& c, const Shape& shape, Colour colour)
{
    Plane field = ShapeField(c.Width(), c.Height(), shape);
    GlowLayer(c, field, 2.5f, WithAlpha(colour, 0.35f));
    FillLayer(c, field, colour);
}

}  // namespace

// The character screen's frame, and the level badge over it: dark bronze with a gold rim.
bool PaintFrameExperience(Canvas& c)
{
    Plate(c, Hex(0x3A2A18), Hex(0x1A120A), Gold, 1.0f);
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane inner = ShapeField(c.Width(), c.Height(), RoundedBox({w * 0.16f, h * 0.16f}, {w * 0.84f, h * 0.84f}, w * 0.08f));
    OutlineLayer(c, inner, 1.5f, WithAlpha(Gold, 0.6f));
    return true;
}

// Two buttons side by side: play (a triangle) and stop (a square), on red plates.
bool PaintPlayStop(Canvas& c)
{
    PaintCells(c, 2, 1, [](Canvas& cell, int column, int) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        Plate(cell, Hex(0x8A2A22), Hex(0x4A120E), Ink, 1.0f);
        if (column == 0)
            Emblem(cell, Polygon({{w * 0.36f, h * 0.28f}, {w * 0.72f, h * 0.5f}, {w * 0.36f, h * 0.72f}}), Hex(0xF0D8D0));
        else
            Emblem(cell, RoundedBox({w * 0.34f, h * 0.34f}, {w * 0.66f, h * 0.66f}, w * 0.04f), Hex(0xF0D8D0));
    });
    return true;
}

// The experience bar's fill: a warm orange with slanted bright stripes.
bool PaintExperienceBar(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Paint([w, h](float u, float v) {
        float stripe = std::fmod(u * w + v * h, 16.0f) < 6.0f ? 0.12f : 0.0f;
        float shade = 1.0f - 0.45f * std::fabs(v - 0.35f);
        Colour base = Mix(Hex(0xFFB040), Hex(0xC05010), v);
        return Scale(WithAlpha(base, 1.0f), shade + stripe);
    });
    return true;
}

// The skill bars' fill: plain white shading, tinted by the meter.
bool PaintSkillsBar(Canvas& c)
{
    c.Paint([](float, float v) {
        float k = 1.0f - 0.35f * std::fabs(v - 0.3f);
        return Rgb(k, k, k);
    });
    return true;
}

// The five steps of a skill: dark notches between the points over a clear bar.
bool PaintSkillDivider(Canvas& c)
{
    const uint32_t w = c.Width(), h = c.Height();
    for (int step = 1; step < 5; ++step) {
        const uint32_t at = w * (uint32_t)step / 5;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = at - 1; x <= at + 1 && x < w; ++x) c.Blend(x, y, Ink, x == at ? 1.0f : 0.5f);
    }
    for (uint32_t x = 0; x < w; ++x) {
        c.Blend(x, 0, Ink, 0.8f);
        c.Blend(x, h - 1, Ink, 0.8f);
    }
    return true;
}

// The paper doll's slots, 4 x 2: weapon, engine, tanks, centre gun; then their lit faces.
bool PaintPaperDollSheet(Canvas& c)
{
    PaintCells(c, 4, 2, [](Canvas& cell, int column, int row) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        Plate(cell, row ? Hex(0x20406A) : Hex(0x161E2A), row ? Hex(0x10223A) : Hex(0x0A0F16), row ? Light : Steel, 2.0f);
        const Colour faint = WithAlpha(Light, 0.22f);
        Shape emblem;
        if (column == 0 || column == 3)  // a gun: barrel, body and grip
            emblem = Union(Union(RoundedBox({w * 0.2f, h * 0.42f}, {w * 0.82f, h * 0.54f}, 2.0f),
                                 RoundedBox({w * 0.26f, h * 0.38f}, {w * 0.52f, h * 0.62f}, 3.0f)),
                           Segment({w * 0.34f, h * 0.6f}, {w * 0.3f, h * 0.76f}, w * 0.05f));
        else if (column == 1)  // an engine: a ring with a core
            emblem = Union(Ring({w * 0.5f, h * 0.5f}, w * 0.24f, w * 0.06f), Circle({w * 0.5f, h * 0.5f}, w * 0.08f));
        else  // tanks: two upright drums
            emblem = Union(RoundedBox({w * 0.26f, h * 0.26f}, {w * 0.46f, h * 0.74f}, w * 0.08f),
                           RoundedBox({w * 0.54f, h * 0.26f}, {w * 0.74f, h * 0.74f}, w * 0.08f));
        Emblem(cell, emblem, faint);
    });
    return true;
}

// The rig's paints, 2 x 2: the plain steel, camouflage, racing stripes, scavenger scrap.
bool PaintRigPaintSwatches(Canvas& c)
{
    PaintCells(c, 2, 2, [](Canvas& cell, int column, int row) {
        const int paint = row * 2 + column;
        const float w = (float)cell.Width(), h = (float)cell.Height();
        Canvas swatch(cell.Width(), cell.Height(), Rgba(0, 0, 0, 0));
        swatch.Paint([paint](float u, float v) {
            switch (paint) {
            case 1: {
                float n = Fbm(u, v, 3, 3, 17);
                return n > 0.55f ? Hex(0x2E3B1E) : n > 0.4f ? Hex(0x5A6B33) : Hex(0x8A7A4A);
            }
            case 2: return std::fabs(u - 0.5f) < 0.12f ? Hex(0xF2F2F2) : Hex(0xC0201A);
            case 3: {
                float n = Fbm(u, v, 4, 3, 29);
                return Mix(Hex(0x5A3A22), Hex(0x9A6A3A), n);
            }
            default: return Mix(Hex(0x8A96A4), Hex(0x4A5664), v);
            }
        });
        Plane plate = ShapeField(cell.Width(), cell.Height(), RoundedBox({2.0f, 2.0f}, {w - 2.0f, h - 2.0f}, w * 0.12f));
        for (uint32_t y = 0; y < cell.Height(); ++y)
            for (uint32_t x = 0; x < cell.Width(); ++x) {
                float coverage = Clamp01(0.5f - plate.At(x, y));
                if (coverage > 0.0f) cell.Blend(x, y, swatch.At(x, y), coverage);
            }
        BevelLayer(cell, plate, w * 0.1f, 0.3f);
        OutlineLayer(cell, plate, 2.0f, Ink);
    });
    return true;
}

// The shop's tabs, 3 x 3: columns items, units, buildings; rows the pressed tab, the tab as
// it stands, and the light under the pointer.
bool PaintStoreTabs(Canvas& c)
{
    PaintCells(c, 3, 3, [](Canvas& cell, int column, int row) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        Shape tab = RoundedBox({2.0f, 4.0f}, {w - 2.0f, h + 12.0f}, h * 0.2f);
        Plane field = ShapeField(cell.Width(), cell.Height(), tab);
        if (row == 2) {
            FillLayer(cell, field, [](float, float v) { return Rgba(0.4f, 0.7f, 1.0f, 0.3f - 0.2f * v); });
            OutlineLayer(cell, field, 2.0f, WithAlpha(Light, 0.8f));
            return;
        }
        const bool pressed = row == 0;
        FillLayer(cell, field, [pressed](float, float v) {
            return pressed ? Mix(Hex(0x3C6FA8), Hex(0x1A3152), v) : Mix(Hex(0x223346), Hex(0x111A26), v);
        });
        BevelLayer(cell, field, h * 0.1f, 0.35f);
        OutlineLayer(cell, field, 2.0f, pressed ? Gold : Ink);
        const Colour mark = pressed ? Hex(0xF2E6C8) : WithAlpha(Light, 0.75f);
        const float cx = w * 0.5f, cy = h * 0.55f, s = h * 0.28f;
        Shape emblem;
        if (column == 0)  // items: a crate
            emblem = Subtract(RoundedBox({cx - s, cy - s}, {cx + s, cy + s}, 2.0f),
                              Union(RoundedBox({cx - s + 3, cy - s + 3}, {cx + s - 3, cy - 1}, 1.0f),
                                    RoundedBox({cx - s + 3, cy + 1}, {cx + s - 3, cy + s - 3}, 1.0f)));
        else if (column == 1)  // units: a walker's head on two legs
            emblem = Union(Union(RoundedBox({cx - s * 0.8f, cy - s}, {cx + s * 0.8f, cy + s * 0.2f}, 3.0f),
                                 Segment({cx - s * 0.5f, cy + s * 0.2f}, {cx - s * 0.7f, cy + s}, 2.5f)),
                           Segment({cx + s * 0.5f, cy + s * 0.2f}, {cx + s * 0.7f, cy + s}, 2.5f));
        else  // buildings: a hall with a roof
            emblem = Union(RoundedBox({cx - s, cy - s * 0.2f}, {cx + s, cy + s}, 1.0f),
                           Polygon({{cx - s * 1.2f, cy - s * 0.2f}, {cx, cy - s * 1.1f}, {cx + s * 1.2f, cy - s * 0.2f}}));
        Emblem(cell, emblem, mark);
    });
    return true;
}
