// Front-end and HUD pictures: the studio line and the game's logo of the intro, and the
// build panel's background.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"
#include "content/texgen/Shapes.h"
#include "content/texgen/TextArt.h"

#include <algorithm>
#include <cmath>

namespace {

// A line of text centred on (centreX, baseline), fitted into `maxWidth` by narrowing its
// glyphs, as a coverage mask of the canvas' size.
Plane TextMask(const Canvas& c, const Typeface& face, const std::string& text, float pixelHeight, float centreX,
               float baseline, float tracking, float maxWidth)
{
    Plane mask(c.Width(), c.Height());
    float width = face.Measure(text, pixelHeight, tracking);
    float stretch = width > maxWidth ? maxWidth / width : 1.0f;
    width = face.Measure(text, pixelHeight, tracking, stretch);
    face.Draw(mask, text, pixelHeight, centreX - width * 0.5f, baseline, tracking, stretch);
    return mask;
}

}  // namespace

bool PaintPresentsText(Canvas& c)
{
    Typeface serif, sans;
    if (!serif.Load(SerifBoldFont) || !sans.Load(SansFont)) return false;
    const float w = (float)c.Width(), h = (float)c.Height();
    const Colour glow = Rgba(0.55f, 0.75f, 1.0f, 0.45f);
    c.Fill(WithAlpha(glow, 0.0f));

    float studioSize = h * 0.30f;
    float studioBaseline = h * 0.5f;
    Plane studio = FieldFromMask(TextMask(c, serif, "ORLENDT", studioSize, w * 0.5f, studioBaseline, w * 0.02f, w * 0.9f));
    Plane games = FieldFromMask(TextMask(c, sans, "G A M E S", h * 0.11f, w * 0.5f, h * 0.69f, w * 0.012f, w * 0.8f));
    Plane presents = FieldFromMask(TextMask(c, sans, "presents", h * 0.12f, w * 0.5f, h * 0.90f, w * 0.004f, w * 0.5f));
    // A hairline between the name and the rest.
    Plane rule = ShapeField(c.Width(), c.Height(), Segment({w * 0.22f, h * 0.575f}, {w * 0.78f, h * 0.575f}, 2.0f));

    GlowLayer(c, studio, h * 0.09f, glow);
    GlowLayer(c, rule, h * 0.04f, glow);
    FillLayer(c, studio, [](float, float v) { return Mix(Hex(0xFFFFFF), Hex(0x9FB4CC), Smoothstep(0.2f, 0.5f, v)); });
    Plane smooth = studio;
    smooth.Blur(1, 3, false);
    BevelLayer(c, smooth, 3.0f, 0.4f);
    FillLayer(c, rule, Rgba(0.8f, 0.88f, 1.0f, 0.9f));
    FillLayer(c, games, Hex(0xD8E4F0));
    FillLayer(c, presents, Rgba(0.8f, 0.84f, 0.9f, 0.9f));
    return true;
}

bool PaintMainLogo(Canvas& c)
{
    Typeface bold;
    if (!bold.Load(SansBoldFont)) return false;
    const float w = (float)c.Width(), h = (float)c.Height();
    const Colour glow = Rgba(1.0f, 0.55f, 0.12f, 0.6f);
    c.Fill(WithAlpha(glow, 0.0f));

    float size = h * 0.62f;
    float baseline = h * 0.5f + bold.CapHeight(size) * 0.5f;
    Plane letters = FieldFromMask(TextMask(c, bold, "VELDMARK", size, w * 0.5f, baseline, w * 0.012f, w * 0.86f));
    Plane rim(letters.Width(), letters.Height());
    for (size_t i = 0; i < rim.Values().size(); i++) rim.Values()[i] = letters.Values()[i] - h * 0.025f;

    // Underline blades left and right of the name, as if the letters cut through them.
    float y = baseline + h * 0.07f;
    Shape blades = Union(Polygon({{w * 0.03f, y - 3}, {w * 0.5f, y - 3}, {w * 0.5f, y + 3}, {w * 0.06f, y + 3}}),
                         Polygon({{w * 0.5f, y - 3}, {w * 0.97f, y - 3}, {w * 0.94f, y + 3}, {w * 0.5f, y + 3}}));
    Plane blade = ShapeField(c.Width(), c.Height(), blades);

    GlowLayer(c, rim, h * 0.13f, glow);
    GlowLayer(c, blade, h * 0.05f, glow);
    FillLayer(c, blade, Hex(0xFFB040));
    FillLayer(c, rim, Hex(0x0C0E12));
    // Brushed steel: bright sky above the middle, a dark horizon, warm light below.
    float top = baseline - bold.CapHeight(size);
    FillLayer(c, letters, [=](float u, float v) {
        float t = (v * h - top) / (baseline - top);
        Colour colour = t < 0.52f ? Mix(Hex(0xF4F8FF), Hex(0x8EA2BA), Smoothstep(0.0f, 0.52f, t))
                                  : Mix(Hex(0x3A4250), Hex(0xE8C890), Smoothstep(0.52f, 1.0f, t));
        float brush = 0.94f + 0.06f * ValueNoise(u * 0.1f, v, 64, 7);
        return Scale(colour, brush);
    });
    // Measured distances step along diagonal edges; a softened copy lights the bevel evenly.
    Plane smooth = letters;
    smooth.Blur(2, 3, false);
    BevelLayer(c, smooth, h * 0.045f, 0.6f);
    return true;
}

bool PaintBuildBack(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Fill(Rgba(0.08f, 0.1f, 0.13f, 0.0f));
    Plane panel = ShapeField(c.Width(), c.Height(), RoundedBox({3, 3}, {w - 3, h - 3}, h * 0.06f));
    FillLayer(c, panel, [](float u, float v) {
        Colour base = Mix(Hex(0x223040), Hex(0x0E141C), v);
        // Faint diagonal hatching, like a machined plate.
        float hatch = std::fmod(u * 64.0f + v * 32.0f, 1.0f) < 0.12f ? 0.12f : 0.0f;
        float tabs = u < 0.125f ? 0.8f : 1.0f;
        return WithAlpha(Scale(base, (1.0f + hatch) * tabs), 0.9f);
    });
    BevelLayer(c, panel, h * 0.035f, 0.35f);
    OutlineLayer(c, panel, 2.5f, Hex(0x6A8AA8));
    // The tab column on the left, divided from the item area.
    Plane divider = ShapeField(c.Width(), c.Height(), Segment({w * 0.125f, h * 0.08f}, {w * 0.125f, h * 0.92f}, 2.0f));
    FillLayer(c, divider, Rgba(0.42f, 0.54f, 0.66f, 0.8f));
    return true;
}
