#pragma once
// Height and distance work: shape fields from drawn masks (glyphs have no formula, so their
// distances are measured), and normal maps from height planes.
#include "content/texgen/Canvas.h"

// A shape field (negative inside, in pixels) from a coverage mask (0..1): exact Euclidean
// distances to the mask's edge, refined by the partial coverage of anti-aliased edge pixels.
Plane FieldFromMask(const Plane& coverage);

// A tangent-space normal map from a height plane (heights in 0..1): `depth` is how many
// pixels of relief a full 0..1 step of height stands for. Normals point out of the surface
// (+z = blue), x to the right, y up the texture, stored as 128 + 127 n per channel so a flat
// surface is exactly (128, 128, 255).
Canvas NormalMapFromHeight(const Plane& height, float depth, bool tiling);
Colour EncodeNormal(float nx, float ny, float nz);

// Lambert light from the upper left on a height plane, 1 for flat ground; for shading
// colour textures from the same heights their normal maps come from.
Plane LightFromHeight(const Plane& height, float depth, bool tiling);
