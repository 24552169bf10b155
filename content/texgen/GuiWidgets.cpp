// The GUI toolkit's pictures: window frames and panels, button faces, highlights and the
// progress fill, in one look: dark steel and deep blue, lit from the upper left, with a blue
// accent line. Frames are drawn as three by three pictures: the outer third of each side is
// the border (corners whole, edges stretched from the middle fifth), so every detail of a
// border stays inside that band and is at least a few pixels wide, to survive being shrunk to
// the six to ten pixels a border gets on screens from 800 x 600 to 1280 x 1024.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

// The palette.
const Colour Ink = Hex(0x06090D);
const Colour SteelBlue = Hex(0x2F5A86);
const Colour Accent = Hex(0x5C9BDB);
const Colour Graphite = Hex(0x171B21);
const Colour DeepBlue = Hex(0x10233A);
const Colour Interior = Hex(0x1A2431);
const Colour DarkGrey = Hex(0x272A2F);

// Light from the upper left on a surface whose outward side faces (nx, ny): 1 facing the
// light, -1 facing away.
float Facing(float nx, float ny)
{
    float length = std::sqrt(nx * nx + ny * ny);
    if (length <= 1e-6f) return 0.0f;
    return (-nx - ny) * 0.7071f / length;
}

// Brightens towards white (k > 0) or darkens (k < 0).
Colour Lit(Colour c, float k)
{
    if (k >= 0) return {Lerp(c.r, 1.0f, k), Lerp(c.g, 1.0f, k), Lerp(c.b, 1.0f, k), c.a};
    return Scale(c, 1.0f + k);
}

// How a frame's border looks across its width, from the outer edge inwards, in pixels of the
// picture; past `rim` lies the inside (transparent, or the interior colour).
struct FrameStyle {
    Colour metal;
    Colour accent;
    float rim;           // border width
    float corner;        // radius of the outer corners
    Colour inside;       // alpha 0 for a frame around a panel's own background
    float accentAt;      // depth of the accent line (0: none)
};

void PaintFrame(Canvas& c, const FrameStyle& style)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Shape box = RoundedBox({0.0f, 0.0f}, {w, h}, style.corner);
    Plane field = ShapeField(c.Width(), c.Height(), box);
    for (uint32_t y = 0; y < c.Height(); y++) {
        for (uint32_t x = 0; x < c.Width(); x++) {
            float d = field.At(x, y);
            float depth = -d;
            float coverage = Clamp01(0.5f - d);
            if (coverage <= 0) continue;
            float nx = field.Clamped((int)x + 1, (int)y) - field.Clamped((int)x - 1, (int)y);
            float ny = field.Clamped((int)x, (int)y + 1) - field.Clamped((int)x, (int)y - 1);
            float facing = Facing(nx, ny);
            Colour colour;
            if (depth < 2.0f) {
                colour = Ink;
            } else if (depth < style.rim - 2.0f) {
                // Raised metal: bright on the lit sides, falling off towards the inside.
                float t = (depth - 2.0f) / std::max(1.0f, style.rim - 4.0f);
                colour = Lit(style.metal, facing * 0.45f * (1.0f - t) + 0.05f);
                if (style.accentAt > 0 && std::fabs(depth - style.accentAt) < 1.5f) colour = style.accent;
            } else if (depth < style.rim) {
                // The inner lip, in shadow on the lit sides (the border stands above the inside).
                colour = Lit(Scale(style.metal, 0.55f), -facing * 0.3f);
            } else {
                colour = style.inside;
                if (colour.a <= 0) continue;
            }
            c.Blend(x, y, colour, coverage);
        }
    }
}

// A button face: a rounded plate with a vertical gradient, raised or sunken.
void PaintFace(Canvas& c, Colour top, Colour bottom, bool sunken)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({1.0f, 1.0f}, {w - 1.0f, h - 1.0f}, h * 0.16f));
    FillLayer(c, plate, [&](float, float v) { return Mix(top, bottom, Smoothstep(0.0f, 1.0f, v)); });
    BevelLayer(c, plate, h * 0.12f, sunken ? -0.35f : 0.4f);
    OutlineLayer(c, plate, 2.5f, Ink);
    // A faint line of light along the top of a raised face.
    if (!sunken) {
        Plane gloss = ShapeField(c.Width(), c.Height(),
                                 Segment({h * 0.3f, h * 0.2f}, {w - h * 0.3f, h * 0.2f}, std::max(1.5f, h * 0.03f)));
        FillLayer(c, gloss, Rgba(1.0f, 1.0f, 1.0f, 0.12f));
    }
}

// A tile that repeats without seams: a base colour with soft mottling and a hairline along its
// top and left edges, which the tiling turns into a faint grid.
void PaintTile(Canvas& c, Colour base, Colour line, float alpha, uint32_t seed)
{
    c.Paint([&](float u, float v) {
        float mottle = Fbm(u, v, 4, 3, seed);
        Colour colour = Scale(base, 0.9f + 0.2f * mottle);
        return WithAlpha(colour, alpha);
    });
    for (uint32_t i = 0; i < c.Width(); i++) c.Blend(i, 0, line, 0.8f);
    for (uint32_t i = 1; i < c.Height(); i++) c.Blend(0, i, line, 0.8f);
}

}  // namespace

bool PaintGuiBlack(Canvas& c)
{
    c.Fill(Rgb(0.0f, 0.0f, 0.0f));
    return true;
}

bool PaintGuiTransparent(Canvas& c)
{
    c.Fill(Rgba(0.0f, 0.0f, 0.0f, 0.0f));
    return true;
}

// The frame of windows built with no picture of their own. Its rim is narrow, because a window
// without border quads shows this picture whole over its rectangle.
bool PaintGuiFrame(Canvas& c)
{
    PaintFrame(c, {Hex(0x34475C), Accent, 9.0f, 6.0f, WithAlpha(Interior, 0.94f), 0.0f});
    return true;
}

// The inside of a bordered window, the same colour as the default frame's inside.
bool PaintGuiCentre(Canvas& c)
{
    c.Paint([](float u, float v) {
        float shade = 1.04f - 0.1f * v + 0.03f * (Fbm(u, v, 2, 2, 911) - 0.5f);
        return WithAlpha(Scale(Interior, shade), 0.94f);
    });
    return true;
}

// The narrow strip right of a window's inside: a gutter with a groove down its middle.
bool PaintGuiExtra(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Fill(WithAlpha(Scale(Interior, 0.8f), 0.94f));
    Plane groove = ShapeField(c.Width(), c.Height(), RoundedBox({w * 0.3f, 2.0f}, {w * 0.7f, h - 2.0f}, w * 0.2f));
    FillLayer(c, groove, Scale(Interior, 0.45f));
    BevelLayer(c, groove, w * 0.15f, -0.35f);
    return true;
}

bool PaintPanelBlue(Canvas& c)
{
    PaintTile(c, DeepBlue, Hex(0x1C3A5A), 0.95f, 921);
    return true;
}

bool PaintSolidDarkGrey(Canvas& c)
{
    PaintTile(c, DarkGrey, Hex(0x33373D), 1.0f, 922);
    return true;
}

// The borders of the panels (their own background fills the inside): wide steel blue with the
// accent line, and graphite with a blue line.
bool PaintFrameBlue(Canvas& c)
{
    float rim = c.Width() * 0.33f;
    PaintFrame(c, {SteelBlue, Accent, rim, 6.0f, Rgba(0, 0, 0, 0), rim * 0.55f});
    return true;
}

bool PaintFrameBlack(Canvas& c)
{
    float rim = c.Width() * 0.33f;
    PaintFrame(c, {Graphite, SteelBlue, rim, 6.0f, Rgba(0, 0, 0, 0), rim * 0.55f});
    return true;
}

bool PaintButtonUnpressed(Canvas& c)
{
    PaintFace(c, Hex(0x4A6684), Hex(0x223346), false);
    return true;
}

bool PaintButtonPressed(Canvas& c)
{
    PaintFace(c, Hex(0x18253A), Hex(0x34506E), true);
    return true;
}

bool PaintButtonRed(Canvas& c)
{
    PaintFace(c, Hex(0xA23A2E), Hex(0x521812), false);
    return true;
}

// Laid over a button under the pointer: a blue glow with a bright rim, see-through enough for
// the face and the text to stay readable.
bool PaintHighlightBlue(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({2.0f, 2.0f}, {w - 2.0f, h - 2.0f}, h * 0.16f));
    FillLayer(c, plate, [](float, float v) { return Rgba(0.3f, 0.58f, 1.0f, 0.30f - 0.14f * v); });
    OutlineLayer(c, plate, 3.0f, Rgba(0.45f, 0.72f, 1.0f, 0.85f));
    return true;
}

// The meters' fill, white so that each meter tints it: a glossy band above, a deeper tone
// below, and slanted stripes that drift when the fill is animated. Tiles across.
bool PaintProgressBar(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Paint([=](float u, float v) {
        float shade = v < 0.45f ? 1.0f - 0.15f * v : 0.86f - 0.3f * (v - 0.45f);
        float stripe = std::fmod(u * w + v * h, w / 4.0f) < w / 8.0f ? 0.92f : 1.0f;
        return Scale(Rgb(1.0f, 1.0f, 1.0f), shade * stripe);
    });
    return true;
}
