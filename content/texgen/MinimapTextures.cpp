// The minimap's own pictures: the bezel around the map in the HUD's corner and the radar
// range circle drawn over it.
#include "content/texgen/Canvas.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>

// The bezel: a steel frame whose opening shows the map. The opening is the map's square, 8 of
// the frame's 166 units in from every side, and stays fully transparent.
bool PaintMinimapFrame(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const float inset = w * 8.0f / 166.0f;
    Shape outer = RoundedBox({1.0f, 1.0f}, {w - 1.0f, h - 1.0f}, w * 0.04f);
    Shape opening = RoundedBox({inset, inset}, {w - inset, h - inset}, 1.0f);
    Plane frame = ShapeField(c.Width(), c.Height(), Subtract(outer, opening));
    FillLayer(c, frame, [](float u, float v) { return Mix(Hex(0x5E7387), Hex(0x25313D), 0.5f * (u + v)); });
    BevelLayer(c, frame, inset * 0.6f, 0.45f);
    OutlineLayer(c, frame, 1.5f, Hex(0x0E141A));
    // Rivets in the four corners of the bezel.
    for (float x : {inset * 0.5f, w - inset * 0.5f})
        for (float y : {inset * 0.5f, h - inset * 0.5f}) {
            Plane rivet = ShapeField(c.Width(), c.Height(), Circle({x, y}, inset * 0.22f));
            FillLayer(c, rivet, Hex(0xB8C6D2));
        }
    return true;
}

// A radar's range: a faint green disc with a brighter rim, so overlapping ranges still read.
bool PaintRadarCircle(Canvas& c)
{
    c.Paint([](float u, float v) {
        float x = u - 0.5f, y = v - 0.5f;
        float r = 2.0f * std::sqrt(x * x + y * y);
        if (r > 1.0f) return Rgba(0.0f, 0.0f, 0.0f, 0.0f);
        float rim = Smoothstep(0.82f, 0.96f, r) * (1.0f - Smoothstep(0.96f, 1.0f, r));
        return Rgba(0.35f, 1.0f, 0.45f, 0.12f + 0.7f * rim);
    });
    return true;
}
