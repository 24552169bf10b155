#include "content/texgen/Canvas.h"

#include <algorithm>
#include <cmath>

Colour Hex(uint32_t rgb)
{
    return Rgb(((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f);
}

Colour Mix(Colour a, Colour b, float t)
{
    return {Lerp(a.r, b.r, t), Lerp(a.g, b.g, t), Lerp(a.b, b.b, t), Lerp(a.a, b.a, t)};
}

Colour Scale(Colour c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float Smoothstep(float edge0, float edge1, float v)
{
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// --- Plane ---------------------------------------------------------------------------------

Plane::Plane(uint32_t width, uint32_t height, float value)
    : width_(width), height_(height), values_((size_t)width * height, value)
{
}

float Plane::Wrapped(int x, int y) const
{
    int w = (int)width_, h = (int)height_;
    x %= w;
    y %= h;
    if (x < 0) x += w;
    if (y < 0) y += h;
    return values_[(size_t)y * width_ + x];
}

float Plane::Clamped(int x, int y) const
{
    x = std::clamp(x, 0, (int)width_ - 1);
    y = std::clamp(y, 0, (int)height_ - 1);
    return values_[(size_t)y * width_ + x];
}

void Plane::Paint(const std::function<float(float u, float v)>& value)
{
    for (uint32_t y = 0; y < height_; y++) {
        for (uint32_t x = 0; x < width_; x++) At(x, y) = value((x + 0.5f) / width_, (y + 0.5f) / height_);
    }
}

void Plane::Blur(int radius, int passes, bool tiling)
{
    if (radius <= 0 || values_.empty()) return;
    std::vector<float> line;
    float norm = 1.0f / (2 * radius + 1);
    for (int pass = 0; pass < passes; pass++) {
        // Rows, then columns; a running sum keeps it linear in the radius.
        for (int axis = 0; axis < 2; axis++) {
            int length = axis == 0 ? (int)width_ : (int)height_;
            int lines = axis == 0 ? (int)height_ : (int)width_;
            line.resize(length);
            for (int l = 0; l < lines; l++) {
                auto sample = [&](int i) {
                    return axis == 0 ? (tiling ? Wrapped(i, l) : Clamped(i, l)) : (tiling ? Wrapped(l, i) : Clamped(l, i));
                };
                float sum = 0;
                for (int i = -radius; i <= radius; i++) sum += sample(i);
                for (int i = 0; i < length; i++) {
                    line[i] = sum * norm;
                    sum += sample(i + radius + 1) - sample(i - radius);
                }
                for (int i = 0; i < length; i++) {
                    if (axis == 0) At(i, l) = line[i];
                    else At(l, i) = line[i];
                }
            }
        }
    }
}

// --- Canvas --------------------------------------------------------------------------------

Canvas::Canvas(uint32_t width, uint32_t height, Colour fill)
    : width_(width), height_(height), pixels_((size_t)width * height, fill)
{
}

void Canvas::Fill(Colour colour) { std::fill(pixels_.begin(), pixels_.end(), colour); }

void Canvas::Paint(const std::function<Colour(float u, float v)>& colour)
{
    for (uint32_t y = 0; y < height_; y++) {
        for (uint32_t x = 0; x < width_; x++) At(x, y) = colour((x + 0.5f) / width_, (y + 0.5f) / height_);
    }
}

void Canvas::Blend(uint32_t x, uint32_t y, Colour colour, float coverage)
{
    if (x >= width_ || y >= height_) return;
    float sa = Clamp01(colour.a * coverage);
    if (sa <= 0.0f) return;
    Colour& d = At(x, y);
    float da = d.a * (1.0f - sa);
    float a = sa + da;
    if (a <= 0.0f) return;
    d.r = (colour.r * sa + d.r * da) / a;
    d.g = (colour.g * sa + d.g * da) / a;
    d.b = (colour.b * sa + d.b * da) / a;
    d.a = a;
}

void Canvas::Draw(const Canvas& layer, int left, int top)
{
    for (uint32_t y = 0; y < layer.height_; y++) {
        for (uint32_t x = 0; x < layer.width_; x++) {
            int tx = left + (int)x, ty = top + (int)y;
            if (tx < 0 || ty < 0) continue;
            Blend((uint32_t)tx, (uint32_t)ty, layer.At(x, y), 1.0f);
        }
    }
}

void Canvas::Modulate(const Plane& factor)
{
    for (uint32_t y = 0; y < height_ && y < factor.Height(); y++) {
        for (uint32_t x = 0; x < width_ && x < factor.Width(); x++) At(x, y) = Scale(At(x, y), factor.At(x, y));
    }
}

Canvas Canvas::Halved() const
{
    uint32_t w = std::max(1u, width_ / 2), h = std::max(1u, height_ / 2);
    Canvas out(w, h);
    for (uint32_t y = 0; y < h; y++) {
        for (uint32_t x = 0; x < w; x++) {
            uint32_t x0 = std::min(2 * x, width_ - 1), x1 = std::min(2 * x + 1, width_ - 1);
            uint32_t y0 = std::min(2 * y, height_ - 1), y1 = std::min(2 * y + 1, height_ - 1);
            const Colour* c[4] = {&At(x0, y0), &At(x1, y0), &At(x0, y1), &At(x1, y1)};
            Colour sum{0, 0, 0, 0}, plain{0, 0, 0, 0};
            for (const Colour* p : c) {
                sum.r += p->r * p->a;
                sum.g += p->g * p->a;
                sum.b += p->b * p->a;
                sum.a += p->a;
                plain.r += p->r;
                plain.g += p->g;
                plain.b += p->b;
            }
            Colour& o = out.At(x, y);
            if (sum.a > 0.0f) o = {sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, sum.a * 0.25f};
            else o = {plain.r * 0.25f, plain.g * 0.25f, plain.b * 0.25f, 0.0f};
        }
    }
    return out;
}
