#pragma once
// The decoration atlases of the terrain: 4 x 4 tiles of small things scattered over flat
// ground (tufts, pebbles, leaves, crystals...), each painted on a transparent tile with a
// margin, since the terrain turns every tile by a random quarter turn. A theme paints the
// sixteen tiles of one environment; the colour atlas and its normal map come from the same
// description.
#include "content/texgen/Canvas.h"
#include "content/texgen/Noise.h"
#include "content/texgen/Shapes.h"

#include <cstdint>

// One tile being painted: colour and height, in tile pixels.
struct Tile {
    Canvas colour;
    Plane height;
    uint32_t seed;
    float Unit(int i, int j) const { return HashUnit(i, j, seed); }
    float Side() const { return (float)colour.Width(); }
};

// Lays a shape with a colour and raises its height by `lift` inside (domed over `dome`
// pixels from the edge).
void Lay(Tile& t, const Shape& shape, Colour colour, float lift, float dome);

// The things a tile can hold.
void GrassTuft(Tile& t, Colour base);
void Pebbles(Tile& t, int count, Colour base);
void Flowers(Tile& t, Colour petal);
void Twigs(Tile& t, Colour wood);
void Moss(Tile& t, Colour dark, Colour light);

// Paints the sixteen tiles of an atlas, index 0 at the top left, row by row.
using TileTheme = void (*)(Tile& t, int index);
// The whole atlas: colours (each thing shaded by its own relief) and heights; either may be
// left out.
void PaintSplatAtlas(Canvas* colour, Plane* height, uint32_t width, TileTheme theme);
// Normals in the colour channels, shine in alpha (raised things glint).
void PaintSplatNormals(Canvas& c, TileTheme theme);
