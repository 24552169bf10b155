#include "platform/IntRect.h"

#include <gtest/gtest.h>

TEST(IntRect, GrowsFromEmpty)
{
    IntRect r;
    r.SetEmpty();
    r.AddPoint(5, 7);
    EXPECT_EQ(r.GetSize(), IntPoint(1, 1));
    EXPECT_EQ(r.GetOrigin(), IntPoint(5, 7));
    r.AddPoint(9, 2);
    EXPECT_EQ(r.GetSize(), IntPoint(5, 6));
    EXPECT_EQ(r.GetCenter(), IntPoint(7, 5));

    IntRect empty;
    r.Union(empty);
    EXPECT_EQ(r.GetSize(), IntPoint(5, 6));
    IntRect other;
    other.AddPoint(-1, 20);
    r.Union(other);
    EXPECT_EQ(r.GetOrigin(), IntPoint(-1, 2));
    EXPECT_EQ(r.GetSize(), IntPoint(11, 19));

    r.Offset(1, -1, 2, -2);
    EXPECT_EQ(r.GetOrigin(), IntPoint(0, 4));
    EXPECT_EQ(r.GetSize(), IntPoint(9, 15));
}
