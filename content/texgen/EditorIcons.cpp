// The terrain editor's pictures: two sheets of four by four icons, the spacer under its brush
// sizes and the automatic-texturing button.
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>

namespace {

const Colour Ink = Hex(0x06090D);
const Colour SteelBlue = Hex(0x2F5A86);
const Colour Accent = Hex(0x5C9BDB);
const Colour Pale = Hex(0xD8E4F0);

// A raised round plate filling the cell, for every editor button.
void Plate(Canvas& cell)
{
    const float s = (float)cell.Width();
    Plane plate = ShapeField(cell.Width(), cell.Height(), RoundedBox({s * 0.06f, s * 0.06f}, {s * 0.94f, s * 0.94f}, s * 0.16f));
    FillLayer(cell, plate, [](float, float v) { return Scale(SteelBlue, 1.15f - 0.35f * v); });
    BevelLayer(cell, plate, s * 0.06f, 0.35f);
    OutlineLayer(cell, plate, 2.0f, Ink);
}

void Mark(Canvas& cell, const Shape& shape, Colour colour)
{
    Plane field = ShapeField(cell.Width(), cell.Height(), shape);
    FillLayer(cell, field, colour);
    OutlineLayer(cell, field, 1.5f, Ink);
}

}  // namespace

// Row 0: the brush sizes as discs of growing size; row 1: the hard brush (a sharp disc) and the
// soft one (a disc fading to its rim).
bool PaintEditorIcons1(Canvas& c)
{
    PaintCells(c, 4, 4, [](Canvas& cell, int column, int row) {
        const float s = (float)cell.Width();
        const Vec2 centre{s * 0.5f, s * 0.5f};
        if (row == 0) {
            Plate(cell);
            Mark(cell, Circle(centre, s * (0.1f + 0.08f * column)), Pale);
        } else if (row == 1 && column == 0) {
            Plate(cell);
            Mark(cell, Circle(centre, s * 0.3f), Pale);
        } else if (row == 1 && column == 1) {
            Plate(cell);
            Plane disc = ShapeField(cell.Width(), cell.Height(), Circle(centre, s * 0.34f));
            FillLayer(cell, disc, [](float u, float v) {
                float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) / 0.34f;
                return WithAlpha(Pale, std::fmax(0.0f, 1.0f - d));
            });
        }
    });
    return true;
}

// Row 0: the folder of the file lists, strength up a little, strength down, strength up; row 1:
// strength down a little, and the editor's show button (an eye over the ground).
bool PaintEditorIcons2(Canvas& c)
{
    PaintCells(c, 4, 4, [](Canvas& cell, int column, int row) {
        const float s = (float)cell.Width();
        const Vec2 centre{s * 0.5f, s * 0.5f};
        const Shape bar = Segment({s * 0.28f, s * 0.5f}, {s * 0.72f, s * 0.5f}, s * 0.12f);
        const Shape upright = Segment({s * 0.5f, s * 0.28f}, {s * 0.5f, s * 0.72f}, s * 0.12f);
        const Shape small = Segment({s * 0.36f, s * 0.5f}, {s * 0.64f, s * 0.5f}, s * 0.07f);
        const Shape smallUpright = Segment({s * 0.5f, s * 0.36f}, {s * 0.5f, s * 0.64f}, s * 0.07f);
        if (row == 0 && column == 0) {
            Shape body = RoundedBox({s * 0.1f, s * 0.3f}, {s * 0.9f, s * 0.84f}, s * 0.06f);
            Shape tab = RoundedBox({s * 0.1f, s * 0.2f}, {s * 0.45f, s * 0.36f}, s * 0.05f);
            Plane back = ShapeField(cell.Width(), cell.Height(), Union(body, tab));
            FillLayer(cell, back, Scale(SteelBlue, 0.8f));
            OutlineLayer(cell, back, 2.0f, Ink);
            Plane front = ShapeField(cell.Width(), cell.Height(),
                                     Polygon({{s * 0.16f, s * 0.42f}, {s * 0.94f, s * 0.42f}, {s * 0.86f, s * 0.84f},
                                              {s * 0.1f, s * 0.84f}}));
            FillLayer(cell, front, [](float, float v) { return Scale(Hex(0x4F84BA), 1.2f - 0.3f * v); });
            BevelLayer(cell, front, s * 0.05f, 0.35f);
            OutlineLayer(cell, front, 2.0f, Ink);
        } else if (row == 0) {
            Plate(cell);
            if (column == 1) Mark(cell, Union(small, smallUpright), Pale);
            if (column == 2) Mark(cell, bar, Pale);
            if (column == 3) Mark(cell, Union(bar, upright), Pale);
        } else if (row == 1 && column == 0) {
            Plate(cell);
            Mark(cell, small, Pale);
        } else if (row == 1 && column == 1) {
            Plate(cell);
            Shape eye = Subtract(Circle({s * 0.5f, s * 0.78f}, s * 0.46f), Circle({s * 0.5f, s * 0.22f}, s * 0.46f));
            Mark(cell, Union(Subtract(Circle({s * 0.5f, s * 0.22f}, s * 0.46f), Circle({s * 0.5f, s * 0.78f}, s * 0.46f)), eye),
                 Pale);
            Mark(cell, Circle(centre, s * 0.11f), Accent);
        }
    });
    return true;
}

// The thin rule under the brush sizes.
bool PaintEditorSpacer(Canvas& c)
{
    c.Paint([](float, float v) { return WithAlpha(Accent, 0.9f - 0.6f * std::fabs(v - 0.5f) * 2.0f); });
    return true;
}

// Automatic texturing: a hill in three bands, low green, mid brown, grey rock at the top.
bool PaintAutoTextureIcon(Canvas& c)
{
    Plate(c);
    const float s = (float)c.Width();
    Plane hill = ShapeField(c.Width(), c.Height(), Polygon({{s * 0.14f, s * 0.8f}, {s * 0.5f, s * 0.2f}, {s * 0.86f, s * 0.8f}}));
    FillLayer(c, hill, [](float, float v) {
        if (v < 0.42f) return Hex(0x9A9EA3);
        if (v < 0.62f) return Hex(0x8A6A3E);
        return Hex(0x4E8A3A);
    });
    OutlineLayer(c, hill, 1.5f, Ink);
    return true;
}
