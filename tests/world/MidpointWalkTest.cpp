// The midpoint walk: a jagged line that stays on the level map and always ends, even from a
// point on the map's very edge.
#include "host/Random.h"
#include "world/GridQueries.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(MidpointWalk, JoinsItsEndsWithoutLeavingTheMap)
{
    struct Case {
        IntPoint from, to;
        float roughness;
        bool first;
    };
    const Case cases[] = {
        {{0, 48}, {38, 48}, 0.2f, false},   // from the map's edge
        {{127, 0}, {0, 127}, 0.25f, false},  // corner to corner
        {{40, 40}, {90, 70}, 0.25f, true},
        {{10, 10}, {11, 11}, 0.25f, false},  // neighbours: one point
    };
    for (const Case& c : cases) {
        for (unsigned seed = 1; seed <= 30; ++seed) {
            SCOPED_TRACE(testing::Message() << c.from.x << "," << c.from.y << " seed " << seed);
            SRand(seed);
            MidpointPath path;
            WalkMidpoints(c.from.x, c.from.y, c.to.x, c.to.y, path, c.roughness, c.first);
            ASSERT_FALSE(path.points.empty());
            ASSERT_LT((int)path.points.size(), MidpointPath::CAPACITY) << "the walk ends by itself";
            for (const IntPoint& p : path.points) {
                EXPECT_GE(p.x, 0);
                EXPECT_LE(p.x, 126);
                EXPECT_GE(p.y, 0);
                EXPECT_LE(p.y, 126);
            }
            if (std::abs(c.to.x - c.from.x) <= 1 && std::abs(c.to.y - c.from.y) <= 1) {
                EXPECT_EQ(path.points.size(), 1u);
            }
            // Every point of the walk touches another point or an end: the line has no gaps.
            for (const IntPoint& p : path.points) {
                bool joined = false;
                auto near = [&](IntPoint q) { return q != p && std::abs(q.x - p.x) <= 1 && std::abs(q.y - p.y) <= 1; };
                joined = near(c.from) || near(c.to);
                for (const IntPoint& q : path.points) joined = joined || near(q);
                EXPECT_TRUE(joined) << p.x << "," << p.y;
            }
        }
    }
}
