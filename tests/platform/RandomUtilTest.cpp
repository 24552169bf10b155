#include "platform/RandomUtil.h"

#include "host/Random.h"

#include <gtest/gtest.h>

#include <climits>

TEST(RandomUtil, MultiplyWithCarryFromItsStartSeeds)
{
    // By hand from z = 809, w = 773:
    //   z = 36969 x 809 + 0 = 29907921 (low half 23505, high half 456)
    //   w = 18000 x 773 + 0 = 13914000 (low half 20368, high half 212)
    //   first = (23505 << 16) + 13914000 = 1540423680 + 13914000 = 1554337680
    //   z = 36969 x 23505 + 456 = 868956801 (low half 14977); w = 18000 x 20368 + 212 = 366624212
    //   second = (14977 << 16) + 366624212 = 981532672 + 366624212 = 1348156884
    ResetRandomMWC();
    EXPECT_EQ(NextRandomMWC(), 1554337680u);
    EXPECT_EQ(NextRandomMWC(), 1348156884u);

    // The same draws through the ranges: 1554337680 mod 10001 = 2262, 1348156884 mod 100 = 84,
    // 1554337680 mod 20001 = 19968.
    ResetRandomMWC();
    EXPECT_FLOAT_EQ(RandomFloatMWC(0.0f, 1.0f), 0.2262f);
    EXPECT_EQ(RandomInt(0, 99), 84);
    ResetRandomMWC();
    EXPECT_FLOAT_EQ(RandomFloatMWC(-1.0f, 1.0f), 0.9968f);  // below zero stays signed
}

TEST(RandomUtil, RangesHoldAndEmptyRangesGiveTheLowEnd)
{
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(RandomInt(3, 3), 3);
        int v = RandomInt(-5, 5);
        EXPECT_GE(v, -5);
        EXPECT_LE(v, 5);
        float f = RandomFloatMWC(0.8f, 1.0f);
        EXPECT_GE(f, 0.8f);
        EXPECT_LE(f, 1.0f);
    }
    EXPECT_EQ(RandomInt(5, 4), 5);
    EXPECT_EQ(RandomInt(10, -10), 10);
    EXPECT_EQ(RandomFloatMWC(1.0f, 0.5f), 1.0f);
    RandomInt(INT_MIN, INT_MAX);  // the whole range: no modulo by zero
}

TEST(RandomUtil, RandomFloatNeverReachesTheTop)
{
    SRand(1);  // 41, 18467, ...
    EXPECT_FLOAT_EQ(RandomFloat(0.0f, 32768.0f), 41.0f);
    EXPECT_NEAR(RandomFloat(10.0f, 20.0f), 10.0f + 10.0f * 18467.0f / 32768.0f, 1e-5f);
    for (int i = 0; i < 1000; ++i) EXPECT_LT(RandomFloat(0.0f, 1.0f), 1.0f);
}

TEST(RandomUtil, RadicalInverseAndHalton)
{
    struct Case {
        int i, base;
        float expected;
    };
    const Case cases[] = {
        {1, 2, 0.5f}, {3, 2, 0.75f}, {4, 3, 4.0f / 9}, {0, 2, 0.0f}, {-3, 2, 0.0f}, {5, 1, 0.0f}, {5, 0, 0.0f},
    };
    for (const Case& c : cases) EXPECT_NEAR(RadicalInverse(c.i, c.base), c.expected, 1e-6f) << c.i << " base " << c.base;
    EXPECT_EQ(HaltonPoint(1, 31, 31), IntPoint(15, 10));
    EXPECT_EQ(HaltonPoint(3, 31, 31), IntPoint(23, 3));
}

TEST(RandomUtil, ShufflesFollowTheGenerator)
{
    // Seed 1 draws 41, 18467, 6334, 26500: j = i + draw / (32767 / (n - i) + 1) gives
    // 0 + 41 / 6554 = 0, 1 + 18467 / 8192 = 3, 2 + 6334 / 10923 = 2, 3 + 26500 / 16384 = 4.
    SRand(1);
    int values[5] = {0, 1, 2, 3, 4};
    ShuffleInts(values, 5);
    EXPECT_EQ(std::vector<int>(values, values + 5), (std::vector<int>{0, 3, 2, 4, 1}));
    SRand(1);
    int permutation[5];
    RandomPermutation(permutation, 5);
    EXPECT_EQ(std::vector<int>(permutation, permutation + 5), (std::vector<int>{0, 3, 2, 4, 1}));
    SRand(1);
    Vec3 points[3] = {Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(2, 0, 0)};
    ShuffleVec3(points, 3);  // 41 / 10923 = 0, 1 + 18467 / 16384 = 2
    EXPECT_EQ(points[1], Vec3(2, 0, 0));
    ShuffleInts(values, 1);
    ShuffleInts(values, 0);

    int rotate[3] = {1, 2, 3};
    RotateArrayLeft(rotate, 3);
    EXPECT_EQ(std::vector<int>(rotate, rotate + 3), (std::vector<int>{2, 3, 1}));
}

TEST(RandomUtil, RandomPoints)
{
    SRand(1);  // 41 mod 5 = 1, 18467 mod 7 = 1
    EXPECT_EQ(RandomPointAround(IntPoint(10, 20), 2, 3), IntPoint(9, 18));

    // The second draw of seed 1 (18467) is 202.88 degrees: sin -0.38888, cos -0.92129.
    struct Case {
        float ratio;
        IntPoint expected;
    };
    const Case cases[] = {{1.0f, IntPoint(11, -42)}, {0.5f, IntPoint(11, 3)}, {3.0f, IntPoint(-27, -42)}};
    for (const Case& c : cases) {
        SRand(1);
        Rand();
        EXPECT_EQ(RandomPointOnCircle(IntPoint(50, 50), 100.0f, c.ratio), c.expected) << c.ratio;
    }
}
