#pragma once
// Shapes as signed distance functions: negative inside, positive outside, in pixels. A shape
// is drawn by sampling its distance into a Plane (a "shape field") and laying styled layers
// over a canvas from it: fill, outline, glow, bevel. Distances give anti-aliased edges for
// free (coverage = 0.5 - distance) and let every effect share one description of the shape.
#include "content/texgen/Canvas.h"

#include <functional>
#include <vector>

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float k) { return {a.x * k, a.y * k}; }
float Length(Vec2 v);
float Dot(Vec2 a, Vec2 b);
// Turns p about `centre` by `degrees` (clockwise on screen, as y points down).
Vec2 Rotate(Vec2 p, Vec2 centre, float degrees);

using Shape = std::function<float(Vec2 p)>;

Shape Circle(Vec2 centre, float radius);
Shape Ring(Vec2 centre, float radius, float thickness);
// Axis-aligned box from its corners, corners rounded by `radius`.
Shape RoundedBox(Vec2 topLeft, Vec2 bottomRight, float radius);
// A stroke from a to b with round caps.
Shape Segment(Vec2 a, Vec2 b, float thickness);
// A closed polygon (any winding, may be concave).
Shape Polygon(std::vector<Vec2> points);
// An arc of a ring from `fromDegrees` to `toDegrees` (0 = right, clockwise), round ends.
Shape Arc(Vec2 centre, float radius, float thickness, float fromDegrees, float toDegrees);

Shape Union(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);  // a without b
// The shape drawn in another place: p is moved by -offset before asking the shape.
Shape Moved(Shape a, Vec2 offset);
// The shape turned about `centre`.
Shape Rotated(Shape a, Vec2 centre, float degrees);

// Samples a shape over a plane of the given size (at pixel centres).
Plane ShapeField(uint32_t width, uint32_t height, const Shape& shape);

// Styled layers laid over the canvas from a shape field (same size as the canvas).
void FillLayer(Canvas& canvas, const Plane& field, Colour colour);
// Fill whose colour comes from the pixel position (gradients across the shape).
void FillLayer(Canvas& canvas, const Plane& field, const std::function<Colour(float u, float v)>& colour);
// A band of `width` pixels centred on the edge (inside half, outside half).
void OutlineLayer(Canvas& canvas, const Plane& field, float width, Colour colour);
// A soft halo outside the shape that fades over `radius` pixels (strongest at the edge).
void GlowLayer(Canvas& canvas, const Plane& field, float radius, Colour colour);
// Shading of a raised edge `width` pixels wide inside the shape, lit from the upper left:
// upper-left edges brighten, lower-right edges darken by up to `strength`.
void BevelLayer(Canvas& canvas, const Plane& field, float width, float strength);
// The cells of a sheet of columns x rows, each painted on a canvas of its own so that nothing
// spills into its neighbours, then laid into place.
void PaintCells(Canvas& c, int columns, int rows, const std::function<void(Canvas&, int, int)>& paint);
