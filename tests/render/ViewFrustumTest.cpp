#include "render/ViewFrustum.h"

#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

TEST(ViewFrustum, PlanesOfAStraightView)
{
    LogCaptureBegin();
    ConfigFile config(nullptr);
    LogCaptureEnd();
    config.width = 600;
    config.height = 600;
    ScopedGlobal<ConfigFile*> configured(Config, &config);

    // Looking along +z with a square 45-degree view: the side planes lean out by 22.5 degrees
    // (cos 0.92388, sin 0.38268), the near plane sits at 0.1 x q / (1 + q) = 0.050002 and
    // the far plane at 1000.
    ViewFrustum frustum;
    Matrix view;
    MatrixIdentity(&view);
    frustum.Update(view);
    const float c = 0.92387953f, s = 0.38268343f;
    const Plane expected[6] = {Plane(-c, 0, -s, 0), Plane(c, 0, -s, 0), Plane(0, c, -s, 0),
                               Plane(0, -c, -s, 0), Plane(0, 0, -1, 0.050002f), Plane(0, 0, 1, -1000)};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(frustum.planes[i].a, expected[i].a, 1e-5f) << i;
        EXPECT_NEAR(frustum.planes[i].b, expected[i].b, 1e-5f) << i;
        EXPECT_NEAR(frustum.planes[i].c, expected[i].c, 1e-4f) << i;
        EXPECT_NEAR(frustum.planes[i].d, expected[i].d, i == 5 ? 1.0f : 1e-5f) << i;
    }

    struct Case {
        Vec3 min, max;
        int expected;
        const char* what;
    };
    const Case cases[] = {
        {Vec3(-1, -1, 9), Vec3(1, 1, 11), ViewFrustum::INSIDE, "ahead"},
        {Vec3(-20, -1, 9), Vec3(0, 1, 11), ViewFrustum::CROSSING, "across the left side"},
        {Vec3(-100, -1, 9), Vec3(-50, 1, 11), ViewFrustum::OUTSIDE, "far to the left"},
        {Vec3(-1, -1, -11), Vec3(1, 1, -9), ViewFrustum::OUTSIDE, "behind the eye"},
        {Vec3(-1, -1, 1500), Vec3(1, 1, 1600), ViewFrustum::INSIDE, "beyond the far plane (not tested)"},
    };
    for (const Case& k : cases) EXPECT_EQ(frustum.ClassifyBox(k.min, k.max), k.expected) << k.what;

    // Turned to look along +x, the same box ahead is now off to the left.
    Vec3 eye(0, 0, 0), at(1, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    frustum.Update(view);
    EXPECT_EQ(frustum.ClassifyBox(Vec3(-1, -1, 9), Vec3(1, 1, 11)), ViewFrustum::OUTSIDE);
    EXPECT_EQ(frustum.ClassifyBox(Vec3(9, -1, -1), Vec3(11, 1, 1)), ViewFrustum::INSIDE);
}

TEST(ViewFrustum, TouchingCountsAsCrossing)
{
    // An axis-aligned volume -10..10 on x and y, z from 0, with exact planes.
    ViewFrustum frustum;
    frustum.planes[0] = Plane(-1, 0, 0, -10);
    frustum.planes[1] = Plane(1, 0, 0, -10);
    frustum.planes[2] = Plane(0, 1, 0, -10);
    frustum.planes[3] = Plane(0, -1, 0, -10);
    frustum.planes[4] = Plane(0, 0, -1, 0);
    frustum.planes[5] = Plane(0, 0, 1, -10);
    struct Case {
        Vec3 min, max;
        int expected;
        const char* what;
    };
    const Case cases[] = {
        {Vec3(5, 0, 1), Vec3(10, 1, 2), ViewFrustum::CROSSING, "touching from inside"},
        {Vec3(10, 0, 1), Vec3(12, 1, 2), ViewFrustum::CROSSING, "touching from outside"},
        {Vec3(10.01f, 0, 1), Vec3(12, 1, 2), ViewFrustum::OUTSIDE, "just outside"},
        {Vec3(5, 0, 1), Vec3(9.99f, 1, 2), ViewFrustum::INSIDE, "just inside"},
        {Vec3(-20, -20, -5), Vec3(20, 20, 50), ViewFrustum::CROSSING, "around it all"},
    };
    for (const Case& k : cases) EXPECT_EQ(frustum.ClassifyBox(k.min, k.max), k.expected) << k.what;
}

TEST(ViewFrustum, OnlyWhatTheCameraSeesIsInView)
{
    EXPECT_FALSE(IsInViewFrustum(Vec3(), 1.0f)) << "no view";
    ViewFrustum view;
    ScopedGlobal<ViewFrustum*> current(Frustum, &view);
    Matrix lookAt;
    Vec3 eye(0.0f, 50.0f, -50.0f), target(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    MatrixLookAtLH(&lookAt, &eye, &target, &up);
    view.Update(lookAt);
    EXPECT_TRUE(IsInViewFrustum(Vec3(0.0f, 0.0f, 0.0f), 1.0f));
    EXPECT_FALSE(IsInViewFrustum(Vec3(0.0f, 50.0f, -200.0f), 1.0f)) << "behind the camera";
    EXPECT_TRUE(IsInViewFrustum(Vec3(0.0f, 50.0f, -60.0f), 20.0f)) << "partly in view";
}
