// The mouse cursor atlas: 4 x 4 cells. The HUD draws the cursor sprite with its top-left
// corner on the mouse position, so every cursor that clicks on something puts its point in
// the cell's top-left corner: the pointers' tips, the tools' working ends, and for the mode
// cursors a small arrow with the mode's badge beside it.
// Cells by (column, row): (0, 0) pointer, (1, 0) pointer over an enemy, (2, 0) attack,
// (3, 0) repair, (0, 1) pick up, (2, 1) extract ore, (3, 1) move, (0, 2) place a building,
// (1, 2) use an item / heal, (0, 3) the rig's marker on the minimap (drawn centred, twice as
// wide as high), (1, 3) middle-button camera drag, (2, 3) the same while it pans.
// (1, 1), (2, 2), (3, 2) and (3, 3) are empty.
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>
#include <vector>

namespace {

// Shapes below are laid out in a cell of 64 units and scaled to the real cell.
constexpr float Unit = 64.0f;

const Colour Outline = Hex(0x0C1014);

// One piece of a cursor: its shape and a fill running from `top` to `bottom` down the cell.
struct Part {
    Shape shape;
    Colour top, bottom;
    float glow = 0;  // a light halo of this many units, for the highlighted cursors
};

Shape Scaled(Shape shape, float k)
{
    return [=](Vec2 p) { return shape(p * (1.0f / k)) * k; };
}

Plane Grown(Plane field, float by)
{
    for (float& d : field.Values()) d -= by;
    return field;
}

// A dark rim keeps every cursor readable on sand, snow and night alike; the soft shadow
// lifts it off the ground. The rim is a grown copy of the shape laid underneath, so parts
// drawn later are rimmed against parts drawn earlier.
void DrawPart(Canvas& cell, const Part& part, float k)
{
    const uint32_t side = cell.Width();
    Shape shape = Scaled(part.shape, k);
    Plane field = ShapeField(side, side, shape);
    Plane shadow = ShapeField(side, side, Moved(shape, {1.5f * k, 2.5f * k}));
    GlowLayer(cell, Grown(shadow, 2.5f * k), 3.0f * k, Rgba(0, 0, 0, 0.35f));
    if (part.glow > 0) GlowLayer(cell, Grown(field, 3.0f * k), part.glow * k, WithAlpha(part.top, 0.8f));
    FillLayer(cell, Grown(field, 3.0f * k), Outline);
    FillLayer(cell, field, [&part](float, float v) { return Mix(part.top, part.bottom, v); });
    BevelLayer(cell, field, 2.5f * k, 0.35f);
}

// The classic pointer, tip at `tip`, `height` units from tip to the bottom of its left edge.
Shape Arrow(Vec2 tip, float height)
{
    const Vec2 outline[] = {{0, 0}, {0, 16}, {4, 12.5f}, {7, 18.5f}, {9.5f, 17.5f}, {6.6f, 11.6f}, {11.5f, 11.5f}};
    std::vector<Vec2> points;
    for (Vec2 p : outline) points.push_back(tip + p * (height / 16.0f));
    return Polygon(points);
}

// The arrow that leads the mode cursors: small, so the badge carries the meaning.
Shape SmallArrow() { return Arrow({2.5f, 2.5f}, 24.0f); }

Shape Crosshair(Vec2 c, float radius)
{
    float t = radius * 0.3f;
    Shape sight = Ring(c, radius, t);
    sight = Union(sight, Segment({c.x, c.y - radius * 1.45f}, {c.x, c.y - radius * 0.45f}, t));
    sight = Union(sight, Segment({c.x, c.y + radius * 0.45f}, {c.x, c.y + radius * 1.45f}, t));
    sight = Union(sight, Segment({c.x - radius * 1.45f, c.y}, {c.x - radius * 0.45f, c.y}, t));
    sight = Union(sight, Segment({c.x + radius * 0.45f, c.y}, {c.x + radius * 1.45f, c.y}, t));
    return sight;
}

Shape Wrench()
{
    // The open jaw grips the corner; the handle runs down to the lower right.
    Vec2 head = {15, 15};
    Shape body = Union(Circle(head, 13), Segment(head, {54, 54}, 11));
    Shape slot = Rotated(RoundedBox({head.x - 5, head.y - 20}, {head.x + 5, head.y}, 0), head, -45.0f);
    Shape end = Circle({53, 53}, 8.5f);
    return Subtract(Union(body, end), Union(Union(slot, Circle(head, 5)), Circle({53, 53}, 3.5f)));
}

// The pick's point reaches into the corner; the head bows toward the handle.
void Pickaxe(std::vector<Part>& parts)
{
    Vec2 top = {33.5f, 10.5f}, hand = {10, 52};
    Vec2 along = (hand - top) * (1.0f / Length(hand - top));
    float radius = 46.0f;
    Vec2 centre = top + along * radius;
    float facing = std::atan2(-along.y, -along.x) * 57.29578f;
    parts.push_back({Segment(top, hand, 8), Hex(0xE0A868), Hex(0x9A6030)});
    parts.push_back({Arc(centre, radius, 9, facing - 38.0f, facing + 22.0f), Hex(0xF4F8FF), Hex(0x9AA8B8)});
    // A chip of ore where the pick strikes.
    parts.push_back({Polygon({{50, 38}, {57, 47}, {50, 58}, {43, 47}}), Hex(0xA8F0FF), Hex(0x40B8E8)});
}

Shape GrabbingHand()
{
    // An open hand reaching with its fingertips for the corner. Slits between the fingers
    // let the dark rim underneath show through.
    Shape hand = Union(RoundedBox({22, 30}, {48, 56}, 7), Segment({24, 48}, {12, 34}, 7.0f));
    const float fingerX[] = {24.5f, 31.5f, 38.5f, 45.0f}, fingerTop[] = {12, 8, 10, 16};
    for (int i = 0; i < 4; i++) hand = Union(hand, Segment({fingerX[i], 36}, {fingerX[i], fingerTop[i]}, 6.5f));
    for (int i = 0; i < 3; i++) {
        float x = (fingerX[i] + fingerX[i + 1]) * 0.5f;
        hand = Subtract(hand, Segment({x, 31}, {x, 2}, 1.8f));
    }
    return Moved(Scaled(Rotated(hand, {34, 34}, -30.0f), 0.85f), {-5, -5});
}

// Three chevrons stepping out of the corner, the first one's apex the point.
void MoveChevrons(std::vector<Part>& parts)
{
    const Colour bright = Hex(0xB8FF9C), deep = Hex(0x3CC040);
    for (int i = 2; i >= 0; i--) {
        Vec2 apex = {3.5f + 14.0f * i, 3.5f + 14.0f * i};
        float arm = 22.0f - 2.0f * i;
        Vec2 a = apex + Vec2{std::cos(0.26f), std::sin(0.26f)} * arm;
        Vec2 b = apex + Vec2{std::sin(0.26f), std::cos(0.26f)} * arm;
        Shape chevron = Union(Segment(apex, a, 7.0f), Segment(apex, b, 7.0f));
        Colour shade = Mix(bright, deep, i * 0.3f);
        parts.push_back({chevron, shade, Mix(shade, deep, 0.5f)});
    }
}

void Hammer(std::vector<Part>& parts)
{
    Vec2 grip = {58, 58}, neck = {34, 34};
    parts.push_back({Segment(grip, neck, 7.5f), Hex(0xF0B860), Hex(0xA86828)});
    Shape head = Rotated(RoundedBox({20, 28}, {50, 40}, 2.5f), {35, 34}, -45.0f);
    parts.push_back({head, Hex(0xF4F8FF), Hex(0x8A98AA)});
}

Shape Plus(Vec2 c, float arm, float thickness)
{
    float h = thickness * 0.5f;
    return Union(RoundedBox({c.x - arm, c.y - h}, {c.x + arm, c.y + h}, 2.5f),
                 RoundedBox({c.x - h, c.y - arm}, {c.x + h, c.y + arm}, 2.5f));
}

Shape FourWayArrows(Vec2 c, float reach)
{
    Shape arrows = Circle(c, 5.5f);
    for (int i = 0; i < 4; i++) {
        float turn = 90.0f * i;
        Shape shaft = RoundedBox({c.x - 3.5f, c.y - reach + 8}, {c.x + 3.5f, c.y}, 0);
        Shape head = Polygon({{c.x, c.y - reach}, {c.x + 10, c.y - reach + 11}, {c.x - 10, c.y - reach + 11}});
        arrows = Union(arrows, Rotated(Union(shaft, head), c, turn));
    }
    return arrows;
}

Shape RigMarker()
{
    // Stretched to twice its height on the minimap: a ring around the rig with four ticks.
    Vec2 c = {32, 32};
    Shape marker = Ring(c, 20, 6);
    for (int i = 0; i < 4; i++) marker = Union(marker, Rotated(Segment({c.x, 4}, {c.x, 12}, 5), c, 90.0f * i));
    return marker;
}

}  // namespace

bool PaintCursors(Canvas& c)
{
    const uint32_t side = c.Width() / 4;
    const float k = side / Unit;
    const Colour light = Hex(0xFFFFFF), lightBottom = Hex(0xC4D0DC);
    const Colour red = Hex(0xFF6A50), redBottom = Hex(0xC01E14);
    const Colour green = Hex(0x9CFF7C), greenBottom = Hex(0x2CAE30);

    struct Cell {
        int column, row;
        std::vector<Part> parts;
    };
    std::vector<Cell> cells;
    cells.push_back({0, 0, {{Arrow({2.5f, 2.5f}, 42.0f), light, lightBottom}}});
    cells.push_back({1, 0, {{Arrow({2.5f, 2.5f}, 42.0f), red, redBottom}}});
    cells.push_back({2, 0, {{SmallArrow(), red, redBottom}, {Crosshair({40, 40}, 12), red, redBottom}}});
    cells.push_back({3, 0, {{Wrench(), light, Hex(0x9AA8B8)}}});
    cells.push_back({0, 1, {{GrabbingHand(), Hex(0xFFF0DC), Hex(0xD8B898)}}});
    Cell mine{2, 1, {}};
    Pickaxe(mine.parts);
    cells.push_back(mine);
    Cell move{3, 1, {}};
    MoveChevrons(move.parts);
    cells.push_back(move);
    Cell build{0, 2, {{SmallArrow(), light, lightBottom}}};
    Hammer(build.parts);
    cells.push_back(build);
    cells.push_back({1, 2, {{SmallArrow(), light, lightBottom}, {Plus({40, 40}, 16, 10), green, greenBottom}}});
    cells.push_back({0, 3, {{RigMarker(), Hex(0xFFF6A0), Hex(0xF0C030)}}});
    cells.push_back({1, 3, {{FourWayArrows({32, 32}, 26), Hex(0xD8DEE4), Hex(0x8A949E)}}});
    Part panning{FourWayArrows({32, 32}, 26), Hex(0xFFF4C0), Hex(0xFFC040)};
    panning.glow = 4.0f;
    cells.push_back({2, 3, {panning}});

    for (const Cell& cell : cells) {
        Canvas face(side, side);
        for (const Part& part : cell.parts) DrawPart(face, part, k);
        c.Draw(face, cell.column * (int)side, cell.row * (int)side);
    }
    return true;
}
