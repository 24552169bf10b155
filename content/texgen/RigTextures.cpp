// The player's rig and the inventory: each chassis's panels in their factory colours and the
// three paints the player earns (camouflage, racing stripes, scavenger scrap), the icon sheet
// of the chassis, and the pictures of the inventory grid (slots in three tints, the hotbar
// strip, the hover light, the markers under a carried item).
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>

namespace {

// The factory colour of each chassis: basic, round, strider, crawler.
const uint32_t FACTORY[] = {0xC9CED6, 0xD8C27A, 0x9FB8CF, 0xB7A58F};

// Panel seams and rivets over the paint, so every paint reads as plates.
Colour Plates(Colour base, float u, float v)
{
    float su = std::fmod(u * 4.0f, 1.0f), sv = std::fmod(v * 4.0f, 1.0f);
    float seam = (su < 0.03f || sv < 0.03f) ? 0.7f : 1.0f;
    float rivet = (std::fabs(su - 0.1f) < 0.025f && std::fabs(sv - 0.1f) < 0.025f) ? 0.8f : 1.0f;
    float grain = 0.94f + 0.06f * Fbm(u, v, 8, 3, 11);
    return Scale(base, seam * rivet * grain);
}

Colour Camouflage(float u, float v, uint32_t seed)
{
    float n = Fbm(u, v, 4, 4, seed);
    if (n < 0.42f) return Hex(0x4B5A2E);
    if (n < 0.55f) return Hex(0x6B5B3A);
    if (n < 0.66f) return Hex(0x7F8A55);
    return Hex(0x2F3325);
}

Colour Racing(float u, float v, uint32_t factory)
{
    float stripe = std::fabs(u - 0.5f);
    if (stripe < 0.06f) return Hex(0xF2F2F2);
    if (stripe < 0.1f) return Hex(0x1A1A1A);
    (void)v;
    return Mix(Hex(0xC81E1E), Hex(factory), 0.15f);
}

Colour Scrap(float u, float v, uint32_t seed)
{
    CellSample cell = Cellular(u, v, 5, seed);
    float tone = HashUnit((int)(cell.cell & 0xFFFF), 7, seed);
    Colour metal = Mix(Hex(0x6E6A60), Hex(0x8C4A22), tone);
    float rust = Fbm(u * 2.0f, v * 2.0f, 8, 4, seed + 3);
    return Mix(metal, Hex(0x5A2E14), Smoothstep(0.55f, 0.8f, rust));
}

}  // namespace

template <int Chassis, int Paint>
bool PaintRig(Canvas& c)
{
    const uint32_t factory = FACTORY[Chassis];
    c.Paint([=](float u, float v) {
        Colour base = Hex(factory);
        if (Paint == RIG_PAINT_CAMO) base = Camouflage(u, v, 40 + Chassis);
        if (Paint == RIG_PAINT_RACE) base = Racing(u, v, factory);
        if (Paint == RIG_PAINT_SCAV) base = Scrap(u, v, 60 + Chassis);
        return Plates(base, u, v);
    });
    return true;
}

template bool PaintRig<0, 0>(Canvas&);
template bool PaintRig<0, 1>(Canvas&);
template bool PaintRig<0, 2>(Canvas&);
template bool PaintRig<0, 3>(Canvas&);
template bool PaintRig<1, 0>(Canvas&);
template bool PaintRig<1, 1>(Canvas&);
template bool PaintRig<1, 2>(Canvas&);
template bool PaintRig<1, 3>(Canvas&);
template bool PaintRig<2, 0>(Canvas&);
template bool PaintRig<2, 1>(Canvas&);
template bool PaintRig<2, 2>(Canvas&);
template bool PaintRig<2, 3>(Canvas&);
template bool PaintRig<3, 0>(Canvas&);
template bool PaintRig<3, 1>(Canvas&);
template bool PaintRig<3, 2>(Canvas&);
template bool PaintRig<3, 3>(Canvas&);

// The chassis icons, four by four cells, the first row used: a frame on two legs (basic), a
// round frame, a frame on long legs (strider), a low frame on four legs (crawler).
bool PaintRigIcons(Canvas& c)
{
    const float cell = (float)c.Width() / 4.0f;
    for (int i = 0; i < 4; ++i) {
        float x0 = cell * i, y0 = 0.0f;
        Colour paint = Hex(FACTORY[i]);
        Plane back = ShapeField(c.Width(), c.Height(), RoundedBox({x0 + 3, y0 + 3}, {x0 + cell - 3, y0 + cell - 3}, cell * 0.1f));
        FillLayer(c, back, Hex(0x152030));
        OutlineLayer(c, back, 2.0f, Hex(0x3A5A7A));
        float legTop = i == 2 ? 0.35f : 0.45f, frameTall = i == 1 ? 0.22f : 0.14f;
        Shape frame = i == 1 ? Circle({x0 + cell * 0.5f, y0 + cell * 0.36f}, cell * 0.2f)
                             : RoundedBox({x0 + cell * 0.22f, y0 + cell * (legTop - frameTall)},
                                          {x0 + cell * 0.78f, y0 + cell * legTop}, cell * 0.04f);
        Plane body = ShapeField(c.Width(), c.Height(), frame);
        FillLayer(c, body, paint);
        BevelLayer(c, body, cell * 0.04f, 0.4f);
        int legs = i == 3 ? 4 : 2;
        for (int leg = 0; leg < legs; ++leg) {
            float fx = legs == 2 ? (leg == 0 ? 0.32f : 0.68f) : 0.22f + 0.187f * leg;
            Plane limb = ShapeField(c.Width(), c.Height(),
                                    Segment({x0 + cell * fx, y0 + cell * legTop}, {x0 + cell * fx, y0 + cell * 0.86f}, cell * 0.06f));
            FillLayer(c, limb, Hex(0x40444C));
        }
    }
    return true;
}

// An inventory slot in one of three tints: plain, blue (an enhanced item), red (above the
// player's level).
template <int Tint>
bool PaintInventorySlot(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const uint32_t fill[] = {0x10151C, 0x10224A, 0x3A1010};
    const uint32_t edge[] = {0x2A3A4D, 0x3F6FD0, 0xC03A2A};
    Plane slot = ShapeField(c.Width(), c.Height(), RoundedBox({2.0f, 2.0f}, {w - 2.0f, h - 2.0f}, w * 0.1f));
    FillLayer(c, slot, Hex(fill[Tint]));
    BevelLayer(c, slot, w * 0.1f, -0.45f);
    OutlineLayer(c, slot, 2.0f, Hex(edge[Tint]));
    return true;
}

template bool PaintInventorySlot<0>(Canvas&);
template bool PaintInventorySlot<1>(Canvas&);
template bool PaintInventorySlot<2>(Canvas&);

// The marker under a carried item: four corner brackets, blue or red.
template <int Red>
bool PaintInventoryMarker(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Colour colour = Red ? Rgba(1.0f, 0.3f, 0.2f, 0.9f) : Rgba(0.35f, 0.65f, 1.0f, 0.9f);
    const float t = w * 0.06f, arm = w * 0.28f, m = w * 0.06f;
    Shape corners = Segment({m, m}, {m + arm, m}, t);
    for (Vec2 a : std::vector<Vec2>{{m, m}, {w - m, m}, {m, h - m}, {w - m, h - m}}) {
        float dx = a.x < w * 0.5f ? arm : -arm, dy = a.y < h * 0.5f ? arm : -arm;
        corners = Union(corners, Union(Segment(a, {a.x + dx, a.y}, t), Segment(a, {a.x, a.y + dy}, t)));
    }
    Plane field = ShapeField(c.Width(), c.Height(), corners);
    GlowLayer(c, field, w * 0.05f, WithAlpha(colour, 0.4f));
    FillLayer(c, field, colour);
    return true;
}

template bool PaintInventoryMarker<0>(Canvas&);
template bool PaintInventoryMarker<1>(Canvas&);

// The hotbar strip over the first four slots: a frame with a gold edge and four notches.
bool PaintHotbarIndicator(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane frame = ShapeField(c.Width(), c.Height(), RoundedBox({1.0f, 1.0f}, {w - 1.0f, h - 1.0f}, h * 0.15f));
    OutlineLayer(c, frame, 2.0f, Rgba(0.95f, 0.75f, 0.25f, 0.9f));
    for (int i = 1; i < 4; ++i) {
        Plane notch = ShapeField(c.Width(), c.Height(), Segment({w * i / 4.0f, 1.0f}, {w * i / 4.0f, h * 0.2f}, 1.5f));
        FillLayer(c, notch, Rgba(0.95f, 0.75f, 0.25f, 0.8f));
    }
    return true;
}

// The light over a slot under the pointer.
bool PaintSlotHighlight(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({2.0f, 2.0f}, {w - 2.0f, h - 2.0f}, w * 0.1f));
    FillLayer(c, plate, [](float, float v) { return Rgba(0.5f, 0.75f, 1.0f, 0.22f - 0.1f * v); });
    OutlineLayer(c, plate, 2.0f, Rgba(0.6f, 0.85f, 1.0f, 0.8f));
    return true;
}
