#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float DegreesToRadians = 0.017453292f;

float CoverageOf(float distance) { return Clamp01(0.5f - distance); }

}  // namespace

float Length(Vec2 v) { return std::sqrt(v.x * v.x + v.y * v.y); }
float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }

Vec2 Rotate(Vec2 p, Vec2 centre, float degrees)
{
    float s = std::sin(degrees * DegreesToRadians), c = std::cos(degrees * DegreesToRadians);
    Vec2 d = p - centre;
    return {centre.x + d.x * c - d.y * s, centre.y + d.x * s + d.y * c};
}

Shape Circle(Vec2 centre, float radius)
{
    return [=](Vec2 p) { return Length(p - centre) - radius; };
}

Shape Ring(Vec2 centre, float radius, float thickness)
{
    return [=](Vec2 p) { return std::fabs(Length(p - centre) - radius) - thickness * 0.5f; };
}

Shape RoundedBox(Vec2 topLeft, Vec2 bottomRight, float radius)
{
    Vec2 centre = (topLeft + bottomRight) * 0.5f;
    Vec2 half = (bottomRight - topLeft) * 0.5f;
    return [=](Vec2 p) {
        float qx = std::fabs(p.x - centre.x) - half.x + radius;
        float qy = std::fabs(p.y - centre.y) - half.y + radius;
        float outside = Length({std::max(qx, 0.0f), std::max(qy, 0.0f)});
        return outside + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Shape Segment(Vec2 a, Vec2 b, float thickness)
{
    return [=](Vec2 p) {
        Vec2 pa = p - a, ba = b - a;
        float len2 = Dot(ba, ba);
        float t = len2 > 0 ? std::clamp(Dot(pa, ba) / len2, 0.0f, 1.0f) : 0.0f;
        return Length(pa - ba * t) - thickness * 0.5f;
    };
}

Shape Polygon(std::vector<Vec2> points)
{
    return [points = std::move(points)](Vec2 p) {
        size_t n = points.size();
        if (n < 3) return 1e9f;
        float best = Dot(p - points[0], p - points[0]);
        float sign = 1.0f;
        for (size_t i = 0, j = n - 1; i < n; j = i, i++) {
            Vec2 e = points[j] - points[i], w = p - points[i];
            float len2 = Dot(e, e);
            float t = len2 > 0 ? std::clamp(Dot(w, e) / len2, 0.0f, 1.0f) : 0.0f;
            Vec2 b = w - e * t;
            best = std::min(best, Dot(b, b));
            // Crossing count by the even-odd rule decides inside from outside.
            bool c1 = p.y >= points[i].y, c2 = p.y < points[j].y, c3 = e.x * w.y > e.y * w.x;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) sign = -sign;
        }
        return sign * std::sqrt(best);
    };
}

Shape Arc(Vec2 centre, float radius, float thickness, float fromDegrees, float toDegrees)
{
    float from = fromDegrees * DegreesToRadians, to = toDegrees * DegreesToRadians;
    Vec2 endA = {centre.x + radius * std::cos(from), centre.y + radius * std::sin(from)};
    Vec2 endB = {centre.x + radius * std::cos(to), centre.y + radius * std::sin(to)};
    return [=](Vec2 p) {
        Vec2 d = p - centre;
        float angle = std::atan2(d.y, d.x);
        const float turn = 6.2831853f;
        while (angle < from) angle += turn;
        while (angle >= from + turn) angle -= turn;
        if (angle <= to) return std::fabs(Length(d) - radius) - thickness * 0.5f;
        return std::min(Length(p - endA), Length(p - endB)) - thickness * 0.5f;
    };
}

Shape Union(Shape a, Shape b)
{
    return [=](Vec2 p) { return std::min(a(p), b(p)); };
}

Shape Subtract(Shape a, Shape b)
{
    return [=](Vec2 p) { return std::max(a(p), -b(p)); };
}

Shape Moved(Shape a, Vec2 offset)
{
    return [=](Vec2 p) { return a(p - offset); };
}

Shape Rotated(Shape a, Vec2 centre, float degrees)
{
    return [=](Vec2 p) { return a(Rotate(p, centre, -degrees)); };
}

Plane ShapeField(uint32_t width, uint32_t height, const Shape& shape)
{
    Plane field(width, height);
    for (uint32_t y = 0; y < height; y++) {
        for (uint32_t x = 0; x < width; x++) field.At(x, y) = shape({x + 0.5f, y + 0.5f});
    }
    return field;
}

void FillLayer(Canvas& canvas, const Plane& field, Colour colour)
{
    for (uint32_t y = 0; y < canvas.Height(); y++) {
        for (uint32_t x = 0; x < canvas.Width(); x++) canvas.Blend(x, y, colour, CoverageOf(field.At(x, y)));
    }
}

void FillLayer(Canvas& canvas, const Plane& field, const std::function<Colour(float u, float v)>& colour)
{
    for (uint32_t y = 0; y < canvas.Height(); y++) {
        for (uint32_t x = 0; x < canvas.Width(); x++) {
            float coverage = CoverageOf(field.At(x, y));
            if (coverage <= 0) continue;
            canvas.Blend(x, y, colour((x + 0.5f) / canvas.Width(), (y + 0.5f) / canvas.Height()), coverage);
        }
    }
}

void OutlineLayer(Canvas& canvas, const Plane& field, float width, Colour colour)
{
    for (uint32_t y = 0; y < canvas.Height(); y++) {
        for (uint32_t x = 0; x < canvas.Width(); x++) {
            canvas.Blend(x, y, colour, CoverageOf(std::fabs(field.At(x, y)) - width * 0.5f));
        }
    }
}

void GlowLayer(Canvas& canvas, const Plane& field, float radius, Colour colour)
{
    for (uint32_t y = 0; y < canvas.Height(); y++) {
        for (uint32_t x = 0; x < canvas.Width(); x++) {
            float d = field.At(x, y);
            float t = d <= 0 ? 1.0f : Clamp01(1.0f - d / radius);
            canvas.Blend(x, y, colour, t * t);
        }
    }
}

void BevelLayer(Canvas& canvas, const Plane& field, float width, float strength)
{
    const Vec2 towardLight = {-0.7071f, -0.7071f};
    for (uint32_t y = 0; y < canvas.Height(); y++) {
        for (uint32_t x = 0; x < canvas.Width(); x++) {
            float d = field.At(x, y);
            if (d >= 0.5f || -d >= width) continue;
            Vec2 gradient = {field.Clamped((int)x + 1, (int)y) - field.Clamped((int)x - 1, (int)y),
                             field.Clamped((int)x, (int)y + 1) - field.Clamped((int)x, (int)y - 1)};
            float length = Length(gradient);
            if (length <= 1e-6f) continue;
            float facing = Dot(gradient * (1.0f / length), towardLight);
            float weight = Clamp01(1.0f + d / width) * strength * facing;
            Colour& c = canvas.At(x, y);
            if (weight > 0) {
                c.r = Lerp(c.r, 1.0f, weight);
                c.g = Lerp(c.g, 1.0f, weight);
                c.b = Lerp(c.b, 1.0f, weight);
            } else {
                c = Scale(c, 1.0f + weight);
            }
        }
    }
}

void PaintCells(Canvas& c, int columns, int rows, const std::function<void(Canvas&, int, int)>& paint)
{
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            uint32_t left = c.Width() * (uint32_t)column / (uint32_t)columns;
            uint32_t right = c.Width() * (uint32_t)(column + 1) / (uint32_t)columns;
            uint32_t top = c.Height() * (uint32_t)row / (uint32_t)rows;
            uint32_t bottom = c.Height() * (uint32_t)(row + 1) / (uint32_t)rows;
            Canvas cell(right - left, bottom - top, Rgba(0, 0, 0, 0));
            paint(cell, column, row);
            c.Draw(cell, (int)left, (int)top);
        }
}
