// The textures of the beams drawn as lines: u runs along the beam and repeats, v across it.
// Laser frames are a grey core with a soft glow that the beam colour tints; lightning frames are
// a forked, jagged bolt, white-blue for our side and red for the enemy's. Three frames of each
// play in turn, so the bolt flickers and the laser shimmers.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"

#include <cmath>

namespace {

// Brightness across a beam: a hard core and a wide soft glow, 0 at the edges.
float Across(float v, float core, float glow)
{
    float d = std::fabs(v - 0.5f) * 2.0f;
    float edge = Clamp01(1.0f - d);
    return Clamp01(std::exp(-(d * d) / (core * core)) + 0.45f * std::exp(-(d * d) / (glow * glow))) * edge;
}

void PaintLaser(Canvas& c, uint32_t seed)
{
    c.Paint([&](float u, float v) {
        // Ripples running along the beam, different in each frame.
        float shimmer = 0.8f + 0.2f * Fbm(u, v, 4, 3, seed);
        float a = Across(v, 0.18f, 0.55f) * shimmer;
        float grey = 0.75f + 0.25f * Across(v, 0.1f, 0.1f);
        return Rgba(grey, grey, grey, Clamp01(a));
    });
}

// A bolt that wanders across the texture (its path repeats along u) with a thinner fork.
void PaintLightning(Canvas& c, uint32_t seed, Colour glow)
{
    c.Paint([&](float u, float v) {
        float path = 0.5f + 0.28f * (Fbm(u, 0.5f, 6, 3, seed, 0.6f) - 0.5f) * 2.0f;
        float fork = 0.5f + 0.38f * (Fbm(u, 0.25f, 10, 2, seed + 17, 0.6f) - 0.5f) * 2.0f;
        float main = std::exp(-std::pow((v - path) / 0.035f, 2.0f));
        float flicker = Clamp01(Fbm(u, v, 3, 1, seed + 5) * 2.0f - 0.6f);
        float branch = 0.6f * std::exp(-std::pow((v - fork) / 0.02f, 2.0f)) * flicker;
        float halo = 0.35f * std::exp(-std::pow((v - path) / 0.16f, 2.0f));
        float edge = Clamp01((0.5f - std::fabs(v - 0.5f)) * 12.0f);
        float core = Clamp01(main + branch);
        Colour colour = Mix(glow, Rgb(1.0f, 1.0f, 1.0f), core);
        return WithAlpha(colour, Clamp01(core + halo) * edge);
    });
}

}  // namespace

bool PaintLaserGrey1(Canvas& c)
{
    PaintLaser(c, 3101);
    return true;
}

bool PaintLaserGrey2(Canvas& c)
{
    PaintLaser(c, 3102);
    return true;
}

bool PaintLaserGrey3(Canvas& c)
{
    PaintLaser(c, 3103);
    return true;
}

bool PaintLightning1(Canvas& c)
{
    PaintLightning(c, 3201, Rgb(0.45f, 0.65f, 1.0f));
    return true;
}

bool PaintLightning2(Canvas& c)
{
    PaintLightning(c, 3202, Rgb(0.45f, 0.65f, 1.0f));
    return true;
}

bool PaintLightning3(Canvas& c)
{
    PaintLightning(c, 3203, Rgb(0.45f, 0.65f, 1.0f));
    return true;
}

bool PaintLightningRed1(Canvas& c)
{
    PaintLightning(c, 3301, Rgb(1.0f, 0.25f, 0.15f));
    return true;
}

bool PaintLightningRed2(Canvas& c)
{
    PaintLightning(c, 3302, Rgb(1.0f, 0.25f, 0.15f));
    return true;
}

bool PaintLightningRed3(Canvas& c)
{
    PaintLightning(c, 3303, Rgb(1.0f, 0.25f, 0.15f));
    return true;
}
