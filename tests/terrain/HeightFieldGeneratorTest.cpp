// The editor's hill generator: the same seed gives the same field (pinned here, so that the
// game's generator and the hills' draws stay as they are), normalised and flattened.
#include "terrain/HeightFieldGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

HeightFieldParams Params(uint32_t seed, bool island, uint16_t flattening)
{
    HeightFieldParams p;
    p.size = 64;
    p.minRadius = 4.0f;
    p.maxRadius = 12.0f;
    p.hillCount = 40;
    p.flattening = flattening;
    p.island = island;
    p.seed = seed;
    return p;
}

// A fingerprint of a field: FNV-1a over its cells in thousandths.
uint32_t Fingerprint(const HeightFieldGenerator& g)
{
    uint32_t h = 2166136261u;
    for (float v : g.field) {
        uint32_t q = (uint32_t)std::lround(v * 1000.0f);
        for (int i = 0; i < 4; ++i) h = (h ^ ((q >> (8 * i)) & 0xFF)) * 16777619u;
    }
    return h;
}

}  // namespace

TEST(HeightFieldGenerator, AFixedSeedGivesThePinnedField)
{
    HeightFieldGenerator hills(Params(1234, false, 1));
    hills.Generate();
    EXPECT_EQ(Fingerprint(hills), 1938015214u);
    EXPECT_NEAR(hills.At(10, 20), 0.0184678f, 1e-6f);
    EXPECT_NEAR(hills.At(40, 33), 0.2649477f, 1e-6f);

    HeightFieldGenerator island(Params(99, true, 2));
    island.Generate();
    EXPECT_EQ(Fingerprint(island), 1529145879u);
}

TEST(HeightFieldGenerator, SameSeedSameFieldAndAnotherSeedAnother)
{
    HeightFieldGenerator a(Params(7, false, 1)), b(Params(7, false, 1)), c(Params(8, false, 1));
    a.Generate();
    b.Generate();
    c.Generate();
    EXPECT_EQ(a.field, b.field);
    EXPECT_NE(a.field, c.field);
    // Generating again starts over.
    a.Generate();
    EXPECT_EQ(a.field, b.field);
}

TEST(HeightFieldGenerator, FieldsRunFromZeroToOneAndFlatteningRaisesToItsPower)
{
    HeightFieldGenerator plain(Params(21, false, 1)), flat(Params(21, false, 2)), flatter(Params(21, false, 3));
    plain.Generate();
    flat.Generate();
    flatter.Generate();
    auto [low, high] = std::minmax_element(plain.field.begin(), plain.field.end());
    EXPECT_EQ(*low, 0.0f);
    EXPECT_EQ(*high, 1.0f);
    for (size_t i = 0; i < plain.field.size(); i += 13) {
        float v = plain.field[i];
        EXPECT_FLOAT_EQ(flat.field[i], v * v) << i;
        EXPECT_FLOAT_EQ(flatter.field[i], v * v * v) << i;
    }

    HeightFieldParams none = Params(21, false, 2);
    none.hillCount = 0;
    HeightFieldGenerator empty(none);
    empty.Generate();
    for (float v : empty.field) EXPECT_EQ(v, 0.0f);
}

TEST(HeightFieldGenerator, AnIslandsHillsStayAroundTheCentre)
{
    HeightFieldParams p = Params(5, true, 1);
    p.hillCount = 200;
    HeightFieldGenerator island(p);
    island.Generate();
    // A hill's centre lies at most n / 2 - radius from the middle, so nothing rises past the
    // n / 2 circle (a cell's width of slack for the grid).
    const float half = p.size / 2.0f;
    for (int y = 0; y < p.size; ++y)
        for (int x = 0; x < p.size; ++x) {
            float d = std::hypot(x - half, y - half);
            if (d > half + 1.0f) {
                EXPECT_EQ(island.At(x, y), 0.0f) << x << "," << y;
            }
        }
    // The corners are sea; the middle is land.
    EXPECT_EQ(island.At(0, 0), 0.0f);
    EXPECT_GT(island.At(32, 32), 0.3f);
}
