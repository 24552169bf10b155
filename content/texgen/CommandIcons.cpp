// The command panel's icon atlas: 4 x 2 cells, each a bevelled button face with a pictogram.
// Cells by (column, row): (0, 0) move, (1, 0) attack, (2, 0) stop, (3, 0) repair,
// (0, 1) extract ore, (1, 1) instant build, (2, 1) scan recharging (also enrich and warp),
// (3, 1) scan ready (also heal).
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>

namespace {

const Colour Ink = Rgb(0.90f, 0.95f, 1.0f);

struct Pictogram {
    Shape shape;
    Colour colour;
};

// The button face every command shares: dark steel, lighter at the top, bevelled rim.
Canvas ButtonFace(uint32_t side, bool dim)
{
    Canvas face(side, side, Rgba(0.1f, 0.12f, 0.15f, 0.0f));
    float s = (float)side;
    Plane body = ShapeField(side, side, RoundedBox({2, 2}, {s - 2, s - 2}, s * 0.14f));
    FillLayer(face, body, [dim](float, float v) {
        Colour top = dim ? Hex(0x3A3E44) : Hex(0x3C5068), bottom = dim ? Hex(0x16181C) : Hex(0x121A26);
        return Mix(top, bottom, v);
    });
    BevelLayer(face, body, s * 0.07f, 0.45f);
    OutlineLayer(face, body, 1.5f, dim ? Hex(0x50545A) : Hex(0x6A8AA8));
    return face;
}

// A pictogram over a face: a soft dark shadow, the fill, a small bevel.
void DrawPictogram(Canvas& face, const Pictogram& picture)
{
    uint32_t side = face.Width();
    Plane shadow = ShapeField(side, side, Moved(picture.shape, {1.5f, 2.0f}));
    GlowLayer(face, shadow, 3.0f, Rgba(0, 0, 0, 0.7f));
    Plane field = ShapeField(side, side, picture.shape);
    FillLayer(face, field, picture.colour);
    BevelLayer(face, field, 2.5f, 0.5f);
}

Shape MoveArrow(float s)
{
    // An arrow heading up and to the right, with a ground mark at its tail.
    Vec2 c = {s * 0.5f, s * 0.5f};
    Shape arrow = Polygon({{s * 0.18f, s * 0.44f}, {s * 0.52f, s * 0.44f}, {s * 0.52f, s * 0.30f}, {s * 0.82f, s * 0.5f},
                           {s * 0.52f, s * 0.70f}, {s * 0.52f, s * 0.56f}, {s * 0.18f, s * 0.56f}});
    return Rotated(arrow, c, -40.0f);
}

Shape Crosshair(float s)
{
    Vec2 c = {s * 0.5f, s * 0.5f};
    Shape sight = Ring(c, s * 0.25f, s * 0.07f);
    sight = Union(sight, Segment({c.x, s * 0.14f}, {c.x, s * 0.36f}, s * 0.07f));
    sight = Union(sight, Segment({c.x, s * 0.64f}, {c.x, s * 0.86f}, s * 0.07f));
    sight = Union(sight, Segment({s * 0.14f, c.y}, {s * 0.36f, c.y}, s * 0.07f));
    sight = Union(sight, Segment({s * 0.64f, c.y}, {s * 0.86f, c.y}, s * 0.07f));
    return Union(sight, Circle(c, s * 0.05f));
}

Shape Octagon(Vec2 c, float radius)
{
    std::vector<Vec2> points;
    for (int i = 0; i < 8; i++) points.push_back(Rotate({c.x + radius, c.y}, c, 22.5f + 45.0f * i));
    return Polygon(points);
}

Shape StopSign(float s)
{
    Vec2 c = {s * 0.5f, s * 0.5f};
    Shape bar = RoundedBox({s * 0.28f, s * 0.44f}, {s * 0.72f, s * 0.56f}, s * 0.03f);
    return Subtract(Octagon(c, s * 0.34f), bar);
}

Shape Wrench(float s)
{
    // Open-ended spanner lying from lower left to upper right.
    Vec2 head = {s * 0.64f, s * 0.36f};
    Shape ring = Circle(head, s * 0.17f);
    Shape jaw = Rotated(RoundedBox({head.x - s * 0.06f, head.y - s * 0.3f}, {head.x + s * 0.06f, head.y}, 0), head, 45.0f);
    Shape handle = Segment({s * 0.24f, s * 0.76f}, head, s * 0.13f);
    return Subtract(Union(ring, handle), Union(jaw, Circle(head, s * 0.06f)));
}

Shape Pickaxe(float s)
{
    // The head is a curved bar across the top of the handle, bowing down toward the hand.
    Vec2 hand = {s * 0.24f, s * 0.80f}, top = {s * 0.60f, s * 0.30f};
    Vec2 along = (top - hand) * (1.0f / Length(top - hand));
    float radius = s * 0.46f;
    Vec2 centre = top - along * radius;
    float facing = std::atan2(along.y, along.x) * 57.29578f;
    Shape handle = Segment(hand, top, s * 0.09f);
    Shape head = Arc(centre, radius, s * 0.09f, facing - 32.0f, facing + 32.0f);
    return Union(handle, head);
}

Shape Crystal(float s)
{
    return Polygon({{s * 0.72f, s * 0.76f}, {s * 0.80f, s * 0.62f}, {s * 0.88f, s * 0.76f}, {s * 0.80f, s * 0.90f}});
}

Shape LightningBolt(float s)
{
    return Polygon({{s * 0.58f, s * 0.10f}, {s * 0.26f, s * 0.54f}, {s * 0.46f, s * 0.54f}, {s * 0.38f, s * 0.90f},
                    {s * 0.74f, s * 0.42f}, {s * 0.54f, s * 0.42f}, {s * 0.66f, s * 0.10f}});
}

Shape Radar(float s, bool sweeping)
{
    Vec2 c = {s * 0.5f, s * 0.54f};
    Shape radar = Union(Ring(c, s * 0.30f, s * 0.05f), Ring(c, s * 0.17f, s * 0.04f));
    radar = Union(radar, Circle(c, s * 0.05f));
    if (sweeping) {
        radar = Union(radar, Segment(c, Rotate({c.x + s * 0.30f, c.y}, c, -50.0f), s * 0.05f));
        radar = Union(radar, Circle(Rotate({c.x + s * 0.22f, c.y}, c, -110.0f), s * 0.045f));
        radar = Union(radar, Circle(Rotate({c.x + s * 0.12f, c.y}, c, 20.0f), s * 0.035f));
    } else {
        // Recharging: the outer ring broken, no echo yet.
        radar = Subtract(radar, RoundedBox({c.x - s * 0.06f, c.y - s * 0.4f}, {c.x + s * 0.06f, c.y - s * 0.2f}, 0));
        radar = Union(radar, Arc(c, s * 0.30f, s * 0.05f, -80.0f, 0.0f));
    }
    return radar;
}

}  // namespace

bool PaintCommandIcons(Canvas& c)
{
    const uint32_t side = c.Height() / 2;
    const float s = (float)side;
    struct Cell {
        int column, row;
        bool dim;
        std::vector<Pictogram> pictures;
    };
    const Cell cells[] = {
        {0, 0, false, {{MoveArrow(s), Ink}}},
        {1, 0, false, {{Crosshair(s), Hex(0xFF7A5C)}}},
        {2, 0, false, {{StopSign(s), Hex(0xE8463A)}}},
        {3, 0, false, {{Wrench(s), Ink}}},
        {0, 1, false, {{Pickaxe(s), Ink}, {Crystal(s), Hex(0x7AE0FF)}}},
        {1, 1, false, {{LightningBolt(s), Hex(0xFFD24A)}}},
        {2, 1, true, {{Radar(s, false), Hex(0x8A949E)}}},
        {3, 1, false, {{Radar(s, true), Hex(0x6CFF8C)}}},
    };
    for (const Cell& cell : cells) {
        Canvas face = ButtonFace(side, cell.dim);
        for (const Pictogram& picture : cell.pictures) DrawPictogram(face, picture);
        c.Draw(face, cell.column * (int)side, cell.row * (int)side);
    }
    return true;
}
