#pragma once
// Noise for the texture generator, all of it from our own integer hash with fixed seeds, so a
// texture comes out byte for byte the same on every build. Every function takes texture
// coordinates u, v (0..1 across the texture) and a period: the number of lattice cells across
// the texture. Whole periods make the pattern tile, which every ground texture needs.
#include <cstdint>

// A well-mixed 32-bit hash of a lattice point and a seed.
uint32_t Hash(int x, int y, uint32_t seed);
// The same hash as a float in [0, 1).
float HashUnit(int x, int y, uint32_t seed);

// Smoothly interpolated random values on the lattice, in [0, 1].
float ValueNoise(float u, float v, int period, uint32_t seed);
// Gradient (Perlin-style) noise, roughly [-1, 1], zero on the lattice points.
float GradientNoise(float u, float v, int period, uint32_t seed);

// Fractal sum of gradient noise: `octaves` layers, each at twice the period and `gain` times
// the amplitude of the one before. Mapped to about [0, 1] (0.5 on average).
float Fbm(float u, float v, int period, int octaves, uint32_t seed, float gain = 0.5f);
// Ridged variant (sharp creases where the noise crosses zero), in [0, 1], 1 on the ridges.
float RidgedFbm(float u, float v, int period, int octaves, uint32_t seed, float gain = 0.5f);

// Cellular (Worley) noise: one jittered feature point per lattice cell. Distances are in cell
// units: `f1` to the nearest point, `f2` to the second nearest; `cell` is a hash of the
// nearest point's cell (a stable random value per stone, crystal or crust plate).
struct CellSample {
    float f1 = 0;
    float f2 = 0;
    uint32_t cell = 0;
};
CellSample Cellular(float u, float v, int period, uint32_t seed, float jitter = 0.9f);

// Moves u, v by a noise field (domain warping), for less regular patterns.
void Warp(float& u, float& v, int period, float amount, uint32_t seed);
