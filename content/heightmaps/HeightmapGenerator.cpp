// heightgen <output folder>: the heightmap images the terrain editor loads, written into
// data/heightmaps/: "clear.dds", a flat map at height 0, and "four_players.jpg", the shape a
// random map is multiplied by (four raised bases near the corners, open ground between them,
// falling away at the rim).
// heightgen --list: the files that run makes, one a line.
#include "host/Image.h"
#include "host/ImageCodec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t SIDE = 256;

// 0..1 over the map: 0.55 open ground, up to 0.9 on the four bases, down to 0.15 at the rim.
float FourPlayers(float u, float v)
{
    float value = 0.55f;
    const float bases[4][2] = {{0.22f, 0.22f}, {0.78f, 0.22f}, {0.22f, 0.78f}, {0.78f, 0.78f}};
    for (const auto& base : bases) {
        float d = std::sqrt((u - base[0]) * (u - base[0]) + (v - base[1]) * (v - base[1]));
        float t = std::clamp((0.16f - d) / 0.06f, 0.0f, 1.0f);
        value = std::max(value, 0.55f + 0.35f * t * t * (3.0f - 2.0f * t));
    }
    float edge = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
    float rim = std::clamp(edge / 0.08f, 0.0f, 1.0f);
    return 0.15f + (value - 0.15f) * rim;
}

bool WriteClear(const std::string& folder)
{
    Image image;
    if (!image.Create(PixelFormat::L8, 128, 128)) return false;
    std::fill(image.pixels.begin(), image.pixels.end(), 0);
    return SaveImageFile((folder + "/clear.dds").c_str(), ImageFileFormat::DDS, image);
}

bool WriteFourPlayers(const std::string& folder)
{
    Image image;
    if (!image.Create(PixelFormat::A8R8G8B8, SIDE, SIDE)) return false;
    uint8_t* bytes = image.Level(0, 0);
    const size_t pitch = image.LevelPitch(0);
    for (uint32_t y = 0; y < SIDE; ++y)
        for (uint32_t x = 0; x < SIDE; ++x) {
            float value = FourPlayers((x + 0.5f) / SIDE, (y + 0.5f) / SIDE);
            uint8_t grey = (uint8_t)std::lround(value * 255.0f);
            uint8_t* texel = bytes + y * pitch + x * 4;
            texel[0] = texel[1] = texel[2] = grey;
            texel[3] = 255;
        }
    return SaveImageFile((folder + "/four_players.jpg").c_str(), ImageFileFormat::JPG, image);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || (argv[1][0] == '-' && strcmp(argv[1], "--list") != 0)) {
        fprintf(stderr, "usage: heightgen <output folder> | heightgen --list\n");
        return 2;
    }
    if (strcmp(argv[1], "--list") == 0) {
        printf("clear.dds\nfour_players.jpg\n");
        return 0;
    }
    if (!WriteClear(argv[1]) || !WriteFourPlayers(argv[1])) {
        fprintf(stderr, "heightgen: cannot write the heightmaps into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
