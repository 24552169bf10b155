// Ground layers of the temperate and cold environments: the forest floor, fallen leaves and
// slate of the fall, mud, marsh grass and mossy rock of the marsh, ice and frosted rock of the
// winter, cracked clay and sandstone of the desert. Every one tiles (noise of whole periods,
// strokes wrapped round the edges).
#include "content/texgen/GroundCommon.h"
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>

namespace {

// Plates between cracks: 1 in a crack of the given width (in cell units), 0 on a plate.
float CrackOf(float u, float v, int period, float width, uint32_t seed, float warp)
{
    Warp(u, v, 4, warp, seed + 1);
    CellSample plates = Cellular(u, v, period, seed);
    return Smoothstep(width, 0.0f, plates.f2 - plates.f1);
}

}  // namespace

bool PaintForestFloor(Canvas& c)
{
    // Dark soil under moss cushions, strewn with needles and twigs.
    c.Paint([](float u, float v) {
        Colour soil = Mix(Hex(0x2A2116), Hex(0x44331F), Fbm(u, v, 6, 4, 102));
        float moss = Smoothstep(0.48f, 0.66f, Fbm(u, v, 5, 4, 103));
        Colour green = Mix(Hex(0x34501C), Hex(0x5C7A2C), ValueNoise(u, v, 96, 104));
        return Mix(soil, green, moss * 0.9f);
    });
    const Colour needles[4] = {Hex(0x6B4A2A), Hex(0x8A6236), Hex(0x5A3E22), Hex(0x9A7A48)};
    ScatterStrokes(c, 9000, 5.0f, 5.0f, 1.3f, needles, 4, 105);
    const Colour twigs[2] = {Hex(0x4A3420), Hex(0x3A2A1A)};
    ScatterStrokes(c, 120, 14.0f, 16.0f, 2.6f, twigs, 2, 106);
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Fbm(u, v, 8, 5, 101) * 0.6f + Fbm(u, v, 5, 4, 103) * 0.4f; });
    ShadeWithHeight(c, height, 8.0f, 0.55f);
    return true;
}

bool PaintLeaves(Canvas& c)
{
    // Brown earth almost hidden under fallen leaves of every autumn colour.
    c.Paint([](float u, float v) { return Mix(Hex(0x2E2014), Hex(0x4A3220), Fbm(u, v, 6, 4, 111)); });
    const Colour leaves[6] = {Hex(0xC0601C), Hex(0xD8902A), Hex(0xA8341A), Hex(0xE0B040), Hex(0x8A4A1E), Hex(0x6E3A18)};
    // Big leaves first, small ones over them, so the layers overlap like a real litter.
    ScatterStrokes(c, 2600, 10.0f, 8.0f, 7.0f, leaves, 6, 112);
    ScatterStrokes(c, 4000, 6.0f, 5.0f, 4.5f, leaves, 6, 113);
    const Colour stems[1] = {Hex(0x3A2616)};
    ScatterStrokes(c, 300, 8.0f, 6.0f, 1.2f, stems, 1, 114);
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Fbm(u, v, 16, 4, 115); });
    ShadeWithHeight(c, height, 10.0f, 0.55f);
    return true;
}

bool PaintSlate(Canvas& c)
{
    // Dark blue-grey slabs with lichen on their faces.
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) {
        return Fbm(u, v, 4, 5, 121) * 0.7f - CrackOf(u, v, 6, 0.05f, 122, 0.04f) * 0.4f;
    });
    c.Paint([](float u, float v) {
        CellSample slab = Cellular(u, v, 6, 122);
        float tone = 0.85f + 0.3f * ((slab.cell >> 4) & 255) / 255.0f;
        Colour stone = Scale(Mix(Hex(0x3C4248), Hex(0x5C646C), Fbm(u, v, 8, 4, 123)), tone);
        float lichen = Smoothstep(0.62f, 0.72f, Fbm(u, v, 12, 4, 124));
        stone = Mix(stone, Mix(Hex(0x8A8A3A), Hex(0xB08A3A), ValueNoise(u, v, 24, 125)), lichen * 0.7f);
        return Mix(stone, Hex(0x1E2226), CrackOf(u, v, 6, 0.05f, 122, 0.04f) * 0.8f);
    });
    ShadeWithHeight(c, height, 20.0f, 0.65f);
    return true;
}

bool PaintMud(Canvas& c)
{
    // Wet black-brown mud with shining puddles in its hollows.
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Fbm(u, v, 5, 5, 131); });
    c.Paint([](float u, float v) {
        float h = Fbm(u, v, 5, 5, 131);
        Colour mud = Mix(Hex(0x231A12), Hex(0x4A3824), Fbm(u, v, 10, 4, 132));
        float puddle = Smoothstep(0.42f, 0.36f, h);
        Colour water = Mix(Hex(0x2A3438), Hex(0x4A5A5E), ValueNoise(u, v, 32, 133));
        return Mix(mud, water, puddle * 0.85f);
    });
    ShadeWithHeight(c, height, 10.0f, 0.5f);
    return true;
}

bool PaintMarshGrass(Canvas& c)
{
    // Olive reeds and sedge over dark wet ground.
    c.Paint([](float u, float v) { return Mix(Hex(0x262414), Hex(0x3E3A1E), Fbm(u, v, 8, 4, 141)); });
    const Colour reeds[5] = {Hex(0x6A6A2A), Hex(0x84803A), Hex(0x5A6226), Hex(0x9A9048), Hex(0x4E5A22)};
    ScatterStrokes(c, 12000, 8.0f, 10.0f, 2.0f, reeds, 5, 142);
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Fbm(u, v, 16, 4, 143); });
    ShadeWithHeight(c, height, 6.0f, 0.5f);
    return true;
}

bool PaintMossRock(Canvas& c)
{
    // Grey boulders, their tops covered in moss.
    auto crack = [](float u, float v) { return CrackOf(u, v, 5, 0.04f, 151, 0.03f); };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) { return RidgedFbm(u, v, 4, 5, 152) * 0.7f - crack(u, v) * 0.35f; });
    c.Paint([&](float u, float v) {
        Colour stone = Mix(Hex(0x4A4C48), Hex(0x7A7C74), Fbm(u, v, 4, 5, 153));
        float moss = Smoothstep(0.5f, 0.62f, Fbm(u, v, 6, 4, 154) + RidgedFbm(u, v, 4, 5, 152) * 0.25f - 0.12f);
        Colour green = Mix(Hex(0x2E4418), Hex(0x56702A), ValueNoise(u, v, 64, 155));
        return Mix(Mix(stone, green, moss), Hex(0x222420), crack(u, v) * 0.7f);
    });
    ShadeWithHeight(c, height, 22.0f, 0.65f);
    return true;
}

bool PaintIce(Canvas& c)
{
    // Blue-white ice, clouded in places, crazed with fine white cracks.
    c.Paint([](float u, float v) {
        Colour ice = Mix(Hex(0x9CB8D0), Hex(0xD8E8F4), Fbm(u, v, 4, 5, 161));
        float deep = Smoothstep(0.55f, 0.75f, Fbm(u, v, 3, 3, 162));
        ice = Mix(ice, Hex(0x7090B4), deep * 0.5f);
        float crack = CrackOf(u, v, 7, 0.025f, 163, 0.05f) + CrackOf(u, v, 16, 0.02f, 164, 0.03f) * 0.6f;
        return Mix(ice, Hex(0xF4FAFF), Clamp01(crack) * 0.8f);
    });
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return Fbm(u, v, 6, 4, 165) * 0.5f - CrackOf(u, v, 7, 0.025f, 163, 0.05f) * 0.2f; });
    ShadeWithHeight(c, height, 8.0f, 0.4f);
    return true;
}

bool PaintFrostRock(Canvas& c)
{
    // Grey rock with snow lying in every hollow.
    Plane height(c.Width(), c.Height());
    height.Paint([](float u, float v) { return RidgedFbm(u, v, 4, 6, 171); });
    c.Paint([](float u, float v) {
        float h = RidgedFbm(u, v, 4, 6, 171);
        Colour stone = Mix(Hex(0x50545A), Hex(0x868A90), Fbm(u, v, 5, 4, 172));
        float snow = Smoothstep(0.46f, 0.36f, h + (Fbm(u, v, 16, 3, 173) - 0.5f) * 0.15f);
        return Mix(stone, Mix(Hex(0xD4DEE8), Hex(0xF4F8FC), ValueNoise(u, v, 64, 174)), snow);
    });
    ShadeWithHeight(c, height, 24.0f, 0.7f);
    return true;
}

bool PaintCrackedEarth(Canvas& c)
{
    // Sun-dried clay broken into curling plates.
    auto crack = [](float u, float v) { return CrackOf(u, v, 9, 0.07f, 181, 0.03f); };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) {
        CellSample plate = Cellular(u, v, 9, 181);
        return 0.6f - crack(u, v) * 0.5f + plate.f1 * 0.15f;
    });
    c.Paint([&](float u, float v) {
        CellSample plate = Cellular(u, v, 9, 181);
        float tone = 0.9f + 0.2f * ((plate.cell >> 8) & 255) / 255.0f;
        Colour clay = Scale(Mix(Hex(0x9A7454), Hex(0xC29C72), Fbm(u, v, 6, 4, 182)), tone);
        return Mix(clay, Hex(0x4A3424), crack(u, v) * 0.85f);
    });
    ShadeWithHeight(c, height, 14.0f, 0.6f);
    return true;
}

bool PaintSandstone(Canvas& c)
{
    // Orange layered stone, worn into ledges and pitted by the wind.
    auto strata = [](float u, float v) {
        float bend = Fbm(u, v, 2, 3, 191) * 2.5f;
        return 0.5f + 0.5f * std::sin(Pi2 * (v * 10.0f + bend));
    };
    Plane height(c.Width(), c.Height());
    height.Paint([&](float u, float v) {
        CellSample pit = Cellular(u, v, 24, 192);
        float pits = (pit.cell & 7) == 0 ? Smoothstep(0.25f, 0.1f, pit.f1) * 0.3f : 0.0f;
        return strata(u, v) * 0.5f + Fbm(u, v, 6, 5, 193) * 0.4f - pits;
    });
    c.Paint([&](float u, float v) {
        Colour stone = Mix(Hex(0xA0583A), Hex(0xD08C58), strata(u, v) * 0.6f + Fbm(u, v, 4, 4, 194) * 0.4f);
        return Scale(stone, 0.9f + 0.15f * ValueNoise(u, v, 128, 195));
    });
    ShadeWithHeight(c, height, 18.0f, 0.6f);
    return true;
}
