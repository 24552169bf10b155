// The minimap's marks in the planet controls atlas: the objective icon (column 0 of row 2)
// and, in row 3, the alert ping, the order ping, the destination flag and a waypoint. They are
// drawn over the atlas's plain badges; the other cells stay as the planet panel has them.
#include "content/texgen/Canvas.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>

namespace {

// Replaces one cell of a 4 x 4 atlas with a layer painted in the cell's own coordinates.
void PaintCell(Canvas& atlas, int column, int row, const std::function<void(Canvas&, float)>& paint)
{
    const uint32_t side = atlas.Width() / 4;
    Canvas cell(side, side, Rgba(0, 0, 0, 0));
    paint(cell, (float)side);
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x) atlas.At(column * side + x, row * side + y) = cell.At(x, y);
}

// A ping: a bright ring with a soft glow, so it reads as a pulse when stretched.
void PaintPing(Canvas& cell, float s, Colour colour)
{
    Plane ring = ShapeField(cell.Width(), cell.Height(), Ring({s * 0.5f, s * 0.5f}, s * 0.36f, s * 0.07f));
    GlowLayer(cell, ring, s * 0.08f, WithAlpha(colour, 0.7f));
    FillLayer(cell, ring, colour);
}

}  // namespace

bool PaintPlanetControlsWithMapMarks(Canvas& c)
{
    if (!PaintPlanetControls(c)) return false;
    // The objective: a gold diamond with a dark edge.
    PaintCell(c, 0, 2, [](Canvas& cell, float s) {
        Plane diamond = ShapeField(cell.Width(), cell.Height(),
                                   Polygon({{s * 0.5f, s * 0.08f}, {s * 0.92f, s * 0.5f}, {s * 0.5f, s * 0.92f},
                                            {s * 0.08f, s * 0.5f}}));
        FillLayer(cell, diamond, [](float, float v) { return Mix(Hex(0xFFE27A), Hex(0xC98A12), v); });
        BevelLayer(cell, diamond, s * 0.08f, 0.4f);
        OutlineLayer(cell, diamond, 2.0f, Hex(0x3A2400));
    });
    PaintCell(c, 0, 3, [](Canvas& cell, float s) { PaintPing(cell, s, Hex(0xFF3B30)); });
    PaintCell(c, 1, 3, [](Canvas& cell, float s) { PaintPing(cell, s, Hex(0x5CFF6A)); });
    // The destination: a flag whose pole stands a quarter in from the left, its foot low in
    // the cell, where the marker meets the point it marks.
    PaintCell(c, 2, 3, [](Canvas& cell, float s) {
        Plane pole = ShapeField(cell.Width(), cell.Height(), Segment({s * 0.25f, s * 0.12f}, {s * 0.25f, s * 0.8f}, s * 0.05f));
        Plane flag = ShapeField(cell.Width(), cell.Height(),
                                Polygon({{s * 0.28f, s * 0.12f}, {s * 0.85f, s * 0.26f}, {s * 0.28f, s * 0.42f}}));
        FillLayer(cell, pole, Hex(0xE8EEF2));
        FillLayer(cell, flag, Hex(0x5CFF6A));
        OutlineLayer(cell, flag, 1.5f, Hex(0x0E3A12));
    });
    // A waypoint: a small filled dot with a ring round it.
    PaintCell(c, 3, 3, [](Canvas& cell, float s) {
        Plane dot = ShapeField(cell.Width(), cell.Height(), Circle({s * 0.5f, s * 0.5f}, s * 0.12f));
        Plane ring = ShapeField(cell.Width(), cell.Height(), Ring({s * 0.5f, s * 0.5f}, s * 0.25f, s * 0.04f));
        FillLayer(cell, dot, Hex(0xFFE27A));
        FillLayer(cell, ring, WithAlpha(Hex(0xFFE27A), 0.8f));
    });
    return true;
}
