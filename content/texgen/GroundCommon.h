#pragma once
// What the ground painters share: strokes laid over a tiling canvas (blades, needles, leaves,
// reeds), shading from a height plane, and small colour variations.
#include "content/texgen/Canvas.h"
#include "content/texgen/Shapes.h"

#include <cstdint>

constexpr float Pi2 = 6.2831853f;

// A tapered stroke from a to b (pixels) laid over a tiling canvas, thinning to its tip:
// what crosses an edge comes back in on the opposite side.
void StrokeTiled(Canvas& c, Vec2 a, Vec2 b, float width, Colour colour);
// Multiplies the colours by light from a height plane, `amount` of the way.
void ShadeWithHeight(Canvas& c, const Plane& height, float depth, float amount);
// The colour a little brighter or darker, by a hash (up to `amount` either way).
Colour Jitter(Colour c, float amount, uint32_t hash);
// Many short strokes scattered over the whole canvas: `count` of them, `length` pixels long
// (plus up to `spread` more), each a colour of the palette, jittered. The seed picks places.
void ScatterStrokes(Canvas& c, int count, float length, float spread, float width, const Colour* palette,
                    int paletteSize, uint32_t seed);
