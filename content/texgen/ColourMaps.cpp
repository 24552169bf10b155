// The colour maps of the environments (broad soft patches of colour laid over a whole level, so
// its ground is never one flat tone), the sky, and the stones of a river bed.
#include "content/texgen/GroundCommon.h"
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>

namespace {

// Three colours mixed by two broad noise fields, and a faint finer one: the base where both
// are low, the second colour where the first field is high, the third where the second is.
void PaintColourMap(Canvas& c, Colour base, Colour second, Colour third, uint32_t seed)
{
    c.Paint([&](float u, float v) {
        float a = Smoothstep(0.35f, 0.7f, Fbm(u, v, 3, 4, seed));
        float b = Smoothstep(0.45f, 0.75f, Fbm(u, v, 4, 4, seed + 1));
        float fine = 0.94f + 0.06f * Fbm(u, v, 16, 3, seed + 2);
        Colour colour = Mix(Mix(base, second, a), third, b * 0.8f);
        return Scale(colour, fine);
    });
}

}  // namespace

bool PaintForestColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(0.9f, 1.0f, 0.86f), Rgb(0.78f, 0.9f, 0.7f), Rgb(1.0f, 0.96f, 0.8f), 301);
    return true;
}

bool PaintWinterColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(0.95f, 0.97f, 1.0f), Rgb(0.84f, 0.9f, 1.0f), Rgb(1.0f, 1.0f, 0.98f), 311);
    return true;
}

bool PaintDesertColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(1.0f, 0.93f, 0.82f), Rgb(0.94f, 0.8f, 0.66f), Rgb(1.0f, 0.98f, 0.9f), 321);
    return true;
}

bool PaintFallColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(1.0f, 0.88f, 0.7f), Rgb(0.95f, 0.74f, 0.56f), Rgb(1.0f, 0.96f, 0.76f), 331);
    return true;
}

bool PaintMarshColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(0.86f, 0.9f, 0.76f), Rgb(0.74f, 0.8f, 0.64f), Rgb(0.96f, 0.94f, 0.8f), 341);
    return true;
}

bool PaintMoonColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(0.92f, 0.92f, 0.95f), Rgb(0.78f, 0.78f, 0.82f), Rgb(1.0f, 1.0f, 1.0f), 351);
    return true;
}

bool PaintAlienColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(0.96f, 0.82f, 1.0f), Rgb(0.76f, 0.96f, 0.96f), Rgb(1.0f, 0.9f, 0.94f), 361);
    return true;
}

bool PaintLavaColourMap(Canvas& c)
{
    PaintColourMap(c, Rgb(0.95f, 0.82f, 0.76f), Rgb(0.76f, 0.62f, 0.6f), Rgb(1.0f, 0.86f, 0.72f), 371);
    return true;
}

// The sky dome's picture: deep blue overhead (top row) through pale haze at the horizon
// (the middle) to grey-blue below it, with a band of clouds above the horizon. It repeats
// across (the dome wraps it round four times) but not down.
bool PaintSky(Canvas& c)
{
    c.Paint([](float u, float v) {
        Colour zenith = Hex(0x2C5CA8), high = Hex(0x5A8CCC), horizon = Hex(0xCAD8E6), below = Hex(0x8C98A6);
        Colour sky = v < 0.5f ? (v < 0.25f ? Mix(zenith, high, v / 0.25f) : Mix(high, horizon, (v - 0.25f) / 0.25f))
                              : Mix(horizon, below, Smoothstep(0.5f, 0.6f, v));
        // Clouds: stretched along the horizon, thickest a little above it.
        float band = Smoothstep(0.08f, 0.3f, v) * Smoothstep(0.52f, 0.4f, v);
        float cloud = Smoothstep(0.48f, 0.7f, Fbm(u, v * 2.5f, 3, 5, 381)) * band;
        float lit = 0.82f + 0.18f * Fbm(u, v * 2.5f, 6, 3, 382);
        return Mix(sky, Scale(Hex(0xF4F6FA), lit), cloud * 0.9f);
    });
    return true;
}

// River-bed pebbles, seen through shallow water.
bool PaintSmallStones(Canvas& c)
{
    c.Paint([](float u, float v) {
        CellSample stone = Cellular(u, v, 24, 391);
        float tone = ((stone.cell >> 8) & 255) / 255.0f;
        Colour pebble = Mix(Hex(0x5E584E), Hex(0x9A9284), tone);
        float round = Clamp01(1.0f - stone.f1 * 1.3f);
        Colour gap = Hex(0x3A342C);
        return Mix(gap, Scale(pebble, 0.7f + 0.4f * round), Smoothstep(0.04f, 0.12f, stone.f2 - stone.f1));
    });
    return true;
}
