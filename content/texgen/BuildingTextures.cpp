// The pictures the base's buildings change at run time: the hover glow of a factory's unit
// buttons, and the ground under a fuel patch as a deep mine drains it.
#include "content/texgen/Paintings.h"

#include <algorithm>
#include <cmath>

namespace {

// A round stain fading out to the edge of the picture: what a fuel patch leaves on the ground.
void PaintVentStain(Canvas& c, Colour core, Colour rim, float glow)
{
    c.Paint([=](float u, float v) {
        float dx = u - 0.5f, dy = v - 0.5f;
        float r = std::sqrt(dx * dx + dy * dy) * 2.0f;
        float cover = std::clamp(1.0f - r, 0.0f, 1.0f);
        float speckle = 0.85f + 0.15f * std::sin(u * 91.0f) * std::sin(v * 77.0f);
        Colour colour = Mix(rim, core, cover * cover);
        colour.r = std::min(1.0f, colour.r * speckle + glow * cover * cover * cover);
        colour.g *= speckle;
        colour.b *= speckle;
        colour.a = cover * 0.9f;
        return colour;
    });
}

}  // namespace

bool PaintVentLow(Canvas& c)
{
    PaintVentStain(c, Hex(0x2A2118), Hex(0x4A3C2C), 0.25f);
    return true;
}

bool PaintVentDepleted(Canvas& c)
{
    PaintVentStain(c, Hex(0x3C3A38), Hex(0x5A5650), 0.0f);
    return true;
}
