#pragma once
// The terrain editor's round brushes on a height grid. A brush of size s covers the square of
// s x s cells beginning at (cx - trunc(s/2), cy - trunc(s/2)); a cell at distance d from the
// brush centre (r = s/2 away from the square's corner) takes:
//   raise, hard: h + amount where d <= r
//   raise, soft: h + amount x (r - min(d, r)) / r (the full amount at the centre, none at r)
//   level, hard: the level where d <= r
//   level, soft: h + (level - h) x (r - min(d, r)) / r
// Heights stay within 0 .. the map's vertical scale; cells outside the grid are left alone.
#include <cstdint>

class Heightmap;

void BrushHeights(Heightmap& map, float amount, int size, int cx, int cy, bool soft);
void LevelHeights(Heightmap& map, float level, int size, int cx, int cy, bool soft);

// A byte map of side x side (row-major) painted with the brush: each cell of the square at
// distance d takes old / 255 + amount x (r - min(d, r)) / r, kept to 0..1 and stored as a
// byte again.
void PaintByteMap(uint8_t* map, int side, float amount, int size, int cx, int cy);
