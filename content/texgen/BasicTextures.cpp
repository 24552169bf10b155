// The engine's own small textures: placeholders, plain colours, the debug grid and the
// lookup tables the effects sample.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"

#include <cmath>

// Loud on purpose: a missing texture must be impossible to overlook.
bool PaintNoTexture(Canvas& c)
{
    const Colour magenta = Rgb(1.0f, 0.0f, 1.0f), black = Rgb(0.0f, 0.0f, 0.0f);
    for (uint32_t y = 0; y < c.Height(); y++) {
        for (uint32_t x = 0; x < c.Width(); x++) c.At(x, y) = ((x / 8 + y / 8) % 2 == 0) ? magenta : black;
    }
    return true;
}

bool PaintWhite(Canvas& c)
{
    c.Fill(Rgb(1, 1, 1));
    return true;
}

bool PaintRed(Canvas& c)
{
    c.Fill(Rgb(1, 0, 0));
    return true;
}

// Green that fades out along u; the scan rings sample its opaque left edge and take their
// transparency from their vertex colours.
bool PaintGreenAlpha(Canvas& c)
{
    c.Paint([](float u, float) { return Rgba(0.25f, 1.0f, 0.35f, 1.0f - u); });
    return true;
}

// Cells of a quarter of the texture with bright borders and faint sixteenths: the debug
// grid maps one quarter cell onto the area it outlines.
bool PaintGrid(Canvas& c)
{
    const Colour cell = Hex(0x2E3440), fine = Hex(0x4C566A), line = Hex(0xD8F0FF);
    auto nearLine = [](uint32_t i, uint32_t spacing, float halfWidth) {
        float p = std::fmod(i + 0.5f, (float)spacing);
        return std::fmin(p, spacing - p) < halfWidth;
    };
    uint32_t quarter = c.Width() / 4, sixteenth = c.Width() / 16;
    for (uint32_t y = 0; y < c.Height(); y++) {
        for (uint32_t x = 0; x < c.Width(); x++) {
            Colour colour = cell;
            if (nearLine(x, sixteenth, 0.6f) || nearLine(y, sixteenth, 0.6f)) colour = fine;
            if (nearLine(x, quarter, 2.0f) || nearLine(y, quarter, 2.0f)) colour = line;
            c.At(x, y) = colour;
        }
    }
    return true;
}

// Neutral light grey for materials that name no texture.
bool PaintDefault(Canvas& c)
{
    c.Fill(Rgb(0.75f, 0.75f, 0.75f));
    return true;
}

// Straight up in tangent space: bytes (128, 128, 255).
bool PaintFlatNormal(Canvas& c)
{
    c.Fill(EncodeNormal(0, 0, 1));
    return true;
}

// Specular falloff: texel x of 256 holds (x / 255)^30 in every channel, so the highlight
// reaches full strength at the right end and every effect may read any channel.
bool PaintPow30(Canvas& c)
{
    for (uint32_t x = 0; x < c.Width(); x++) {
        float t = c.Width() > 1 ? (float)x / (float)(c.Width() - 1) : 1.0f;
        float value = std::pow(t, 30.0f);
        for (uint32_t y = 0; y < c.Height(); y++) c.At(x, y) = Rgba(value, value, value, value);
    }
    return true;
}

// The terrain's colour map when a level names none: near white, with broad soft patches so
// the ground is not one flat tone.
bool PaintDefaultColourMap(Canvas& c)
{
    c.Paint([](float u, float v) {
        float broad = Fbm(u, v, 3, 4, 501);
        float tint = Fbm(u, v, 2, 3, 502);
        float k = 0.86f + 0.14f * broad;
        return Rgb(k * (0.97f + 0.03f * tint), k * (0.96f + 0.02f * (1 - tint)), k * (0.90f + 0.06f * (1 - tint)));
    });
    return true;
}

// A soft white spot: particles take their colour from their definitions.
bool PaintParticle(Canvas& c)
{
    c.Paint([](float u, float v) {
        float r2 = ((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) * 4.0f;
        float falloff = r2 >= 1.0f ? 0.0f : (1.0f - r2) * (1.0f - r2);
        return Rgba(1, 1, 1, falloff);
    });
    return true;
}
