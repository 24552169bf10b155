#pragma once
// The terrain editor's hill generator: a square field of floats between 0 and 1 made of many
// round hills at random places, normalised and optionally flattened. The same seed always
// gives the same field (it reseeds the game's generator, host/Random.h).
#include <cstddef>
#include <cstdint>
#include <vector>

struct HeightFieldParams {
    uint16_t size = 0;         // the side n of the field
    float minRadius = 0.0f;    // hill radii, in cells
    float maxRadius = 0.0f;
    uint16_t hillCount = 0;
    uint16_t flattening = 0;   // the power applied at the end; 1 or less leaves the field
    bool island = false;       // hills around the centre, so that the land forms an island
    uint32_t seed = 0;
};

class HeightFieldGenerator {
public:
    explicit HeightFieldGenerator(const HeightFieldParams& params);

    // Fills the field: the hills, then normalised to 0..1 (all 0 when it is flat), then
    // raised to the flattening power.
    void Generate();

    float At(int x, int y) const { return field[(size_t)y * params.size + x]; }

    HeightFieldParams params;
    std::vector<float> field;  // size x size, row-major
};
