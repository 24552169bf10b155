// The particle textures. Particles multiply their texture by the colour their definition gives
// them over their life, so most of these are white (or grey) shapes in alpha: the definition
// decides the colour. Only the flame carries its own colours, a hot core inside orange. Every
// one fades to nothing well before its border, so a quad never shows an edge.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>

namespace {

constexpr float Pi = 3.14159265f;

// u, v as a position from the centre: x to the right, y down, both -1..1 across the texture.
void Centred(float u, float v, float& x, float& y)
{
    x = u * 2.0f - 1.0f;
    y = v * 2.0f - 1.0f;
}

float Bell(float distance, float width)
{
    float t = distance / width;
    return std::exp(-t * t);
}

// 1 inside `inner`, falling smoothly to 0 at `outer`.
float Falloff(float r, float inner, float outer)
{
    return 1.0f - Smoothstep(inner, outer, r);
}

// White with the alpha the shape gives a point (x, y from the centre, r its distance).
void PaintWhiteShape(Canvas& c, float (*alpha)(float x, float y, float r))
{
    c.Paint([alpha](float u, float v) {
        float x, y;
        Centred(u, v, x, y);
        return Rgba(1, 1, 1, Clamp01(alpha(x, y, std::sqrt(x * x + y * y))));
    });
}

}  // namespace

// A soft grey puff with a lumpy outline and uneven density, lit a little from the upper left.
bool PaintSmoke(Canvas& c)
{
    c.Paint([](float u, float v) {
        float x, y;
        Centred(u, v, x, y);
        float r = std::sqrt(x * x + y * y);
        float lumps = Fbm(u, v, 4, 4, 601);
        float edge = 0.78f + (lumps - 0.5f) * 0.45f;
        float alpha = Falloff(r, edge * 0.25f, edge) * (0.55f + 0.45f * Fbm(u, v, 6, 4, 602));
        float grey = Clamp01(0.80f - (x + y) * 0.08f + (lumps - 0.5f) * 0.25f);
        return Rgba(grey, grey, grey, Clamp01(alpha));
    });
    return true;
}

// A thin streak, brightest along its middle line and fading towards both ends.
bool PaintSpark(Canvas& c)
{
    PaintWhiteShape(c, [](float x, float y, float) {
        float along = std::pow(Clamp01(1.0f - std::fabs(y) / 0.9f), 1.5f);
        return (Bell(std::fabs(x), 0.06f) + 0.3f * Bell(std::fabs(x), 0.2f)) * along;
    });
    return true;
}

// A tongue of flame standing on a round base and licking up to a wavering tip: white-yellow at
// its heart, orange, then red at its rim.
bool PaintFlame(Canvas& c)
{
    const Colour rim = Rgb(0.90f, 0.25f, 0.05f), body = Rgb(1.0f, 0.55f, 0.12f), heart = Rgb(1.0f, 0.95f, 0.70f);
    c.Paint([&](float u, float v) {
        float x, y;
        Centred(u, v, x, y);
        // s runs from the tip (0) to the bottom of the base (1).
        const float tip = -0.85f, base = 0.60f;
        float s = (y - tip) / (base - tip);
        if (s <= 0.0f || s >= 1.0f) return WithAlpha(rim, 0.0f);
        // A cone up to the tip, a round bottom below the widest part.
        float halfWidth = 0.48f * std::sqrt(std::sin(Pi * s * s));
        float sway = 0.14f * GradientNoise(u, v, 3, 611) * (1.0f - s);
        float inside = halfWidth > 0.0f ? 1.0f - std::fabs(x + sway) / halfWidth : 0.0f;
        if (inside <= 0.0f) return WithAlpha(rim, 0.0f);
        float heat = inside * (0.35f + 0.65f * s);
        Colour colour = Mix(rim, body, Smoothstep(0.05f, 0.45f, heat));
        colour = Mix(colour, heart, Smoothstep(0.5f, 0.85f, heat));
        float ends = Smoothstep(0.0f, 0.12f, s) * (1.0f - Smoothstep(0.8f, 1.0f, s));
        float alpha = Smoothstep(0.0f, 0.55f, inside) * ends * (0.85f + 0.15f * Fbm(u, v, 5, 3, 612));
        return WithAlpha(colour, Clamp01(alpha));
    });
    return true;
}

// A thin bright circle in a faint glow.
bool PaintRing(Canvas& c)
{
    PaintWhiteShape(c, [](float, float, float r) {
        const float radius = 0.68f;
        float band = Bell(std::fabs(r - radius), 0.05f) + 0.35f * Bell(std::fabs(r - radius), 0.18f);
        return band * Falloff(r, 0.9f, 0.99f);
    });
    return true;
}

// A small six-armed crystal: three strokes through the centre, a pair of twigs on every arm,
// and a soft glow so that it still reads when it is drawn only a few pixels wide.
bool PaintSnowflake(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const Vec2 centre = {w * 0.5f, h * 0.5f};
    const float arm = w * 0.34f, stroke = w * 0.05f, twig = w * 0.11f;
    Shape flake = Circle(centre, stroke);
    for (int k = 0; k < 6; ++k) {
        float degrees = 60.0f * (float)k - 90.0f;
        Vec2 end = Rotate({centre.x + arm, centre.y}, centre, degrees);
        flake = Union(flake, Segment(centre, end, stroke));
        Vec2 joint = Rotate({centre.x + arm * 0.55f, centre.y}, centre, degrees);
        for (float side : {-45.0f, 45.0f}) {
            Vec2 twigEnd = Rotate({joint.x + twig, joint.y}, joint, degrees + side);
            flake = Union(flake, Segment(joint, twigEnd, stroke * 0.8f));
        }
    }
    Plane field = ShapeField(c.Width(), c.Height(), flake);
    c.Fill(Rgba(1, 1, 1, 0));
    GlowLayer(c, field, w * 0.07f, Rgba(1, 1, 1, 0.5f));
    FillLayer(c, field, Rgb(1, 1, 1));
    return true;
}

// A twinkle: a bright point in a small halo, with four thin rays along the axes.
bool PaintStar(Canvas& c)
{
    PaintWhiteShape(c, [](float x, float y, float r) {
        float rays = Bell(std::fabs(y), 0.035f) * std::pow(Clamp01(1.0f - std::fabs(x)), 2.5f) +
                     Bell(std::fabs(x), 0.035f) * std::pow(Clamp01(1.0f - std::fabs(y)), 2.5f);
        return (Bell(r, 0.12f) + 0.35f * Bell(r, 0.35f) + rays) * Falloff(r, 0.9f, 1.0f);
    });
    return true;
}
