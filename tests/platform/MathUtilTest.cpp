// Expected values worked out by hand from the geometry, never by running the code under test.
#include "platform/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
}  // namespace

TEST(MathUtil, VectorShortcutsAndPointProjection)
{
    EXPECT_TRUE(Vec3NearEqual(Vec3(1, 2, 3), Vec3(1.05f, 2, 2.95f), 0.1f));
    EXPECT_FALSE(Vec3NearEqual(Vec3(1, 2, 3), Vec3(1, 2.2f, 3), 0.1f));

    // 90 degrees, aspect 1, near 1, far 3: z = 3 lands on depth 1; the eye point has w = 0.
    Matrix p(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0);
    Vec3 out(7, 7, 7);
    ASSERT_TRUE(ProjectPoint(&out, Vec3(1, 0, 3), p));
    ExpectNear(out, Vec3(1.0f / 3, 0, 1));
    out = Vec3(7, 7, 7);
    EXPECT_FALSE(ProjectPoint(&out, Vec3(0, 0, 0), p));
    EXPECT_EQ(out, Vec3(7, 7, 7));
}

TEST(MathUtil, BoxCornersAndTransformedBoxes)
{
    Vec3 corners[8];
    GetBoxCorners(Vec3(0, 0, 0), Vec3(1, 2, 3), corners);
    EXPECT_EQ(corners[0], Vec3(0, 0, 0));
    EXPECT_EQ(corners[3], Vec3(1, 2, 0));
    EXPECT_EQ(corners[7], Vec3(1, 2, 3));

    // A quarter turn about y around the centre (2, 1, 1): x extent 4 becomes z extent 4.
    Vec3 lo(0, 0, 0), hi(4, 2, 2);
    Matrix turn;
    MatrixRotationY(&turn, PI / 2);
    TransformBox(&lo, &hi, turn);
    ExpectNear(lo, Vec3(1, 0, -1));
    ExpectNear(hi, Vec3(3, 2, 3));
}

TEST(MathUtil, RayAgainstPlane)
{
    struct Case {
        Vec3 origin, direction, normal;
        float distance;
        bool hit;
        Vec3 point;
        const char* what;
    };
    const Case cases[] = {
        {Vec3(0, 10, 0), Vec3(0, -2, 0), Vec3(0, 1, 0), 1, true, Vec3(0, 1, 0), "straight down"},
        {Vec3(0, 10, 0), Vec3(0, -1, 0), Vec3(0, 5, 0), 1, true, Vec3(0, 1, 0), "normal not unit"},
        {Vec3(0, 10, 0), Vec3(1, -1, 0), Vec3(0, 1, 0), 1, true, Vec3(9, 1, 0), "oblique"},
        {Vec3(0, 0, 0), Vec3(0, 1, 0), Vec3(0, 1, 0), -5, true, Vec3(0, -5, 0), "behind the origin"},
        {Vec3(0, 10, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), 1, false, Vec3(), "parallel"},
        {Vec3(0, 10, 0), Vec3(1, -1e-6f, 0), Vec3(0, 1, 0), 1, false, Vec3(), "nearly parallel"},
        {Vec3(0, 10, 0), Vec3(0, 0, 0), Vec3(0, 1, 0), 1, false, Vec3(), "no direction"},
    };
    for (const Case& c : cases) {
        Vec3 out;
        EXPECT_EQ(IntersectRayPlane(c.origin, c.direction, c.normal, c.distance, &out), c.hit) << c.what;
        if (c.hit) ExpectNear(out, c.point);
    }
}

TEST(MathUtil, RayAgainstSphere)
{
    struct Case {
        Vec3 origin, direction;
        bool hit;
        Vec3 nearest;
        const char* what;
    };
    const Vec3 centre(0, 0, 0);
    const Case cases[] = {
        {Vec3(-5, 0, 0), Vec3(1, 0, 0), true, Vec3(0, 0, 0), "through the centre"},
        {Vec3(-5, 1, 0), Vec3(2, 0, 0), true, Vec3(0, 1, 0), "touching"},
        {Vec3(-5, 1.5f, 0), Vec3(1, 0, 0), false, Vec3(), "passing by"},
        {Vec3(-5, 0, 0), Vec3(-1, 0, 0), true, Vec3(0, 0, 0), "the line, also behind"},
        {Vec3(0.5f, 0, 0), Vec3(0, 0, 0), true, Vec3(0.5f, 0, 0), "no direction, inside"},
        {Vec3(5, 0, 0), Vec3(0, 0, 0), false, Vec3(), "no direction, outside"},
    };
    for (const Case& c : cases) {
        Vec3 out(9, 9, 9);
        EXPECT_EQ(IntersectRaySphere(c.origin, c.direction, centre, 1.0f, &out), c.hit) << c.what;
        if (c.hit) ExpectNear(out, c.nearest);
        EXPECT_TRUE(std::isfinite(out.x)) << c.what;
    }
    EXPECT_TRUE(IntersectRaySphere(Vec3(-5, 0, 0), Vec3(1, 0, 0), centre, 1.0f));
}

TEST(MathUtil, RayAgainstTriangle)
{
    // Clockwise seen from -z: the front face looks toward -z.
    const Vec3 a(0, 0, 0), b(0, 1, 0), c(1, 0, 0);
    float t = 0, u = 0, v = 0;
    ASSERT_TRUE(IntersectRayTriangle(Vec3(0.25f, 0.25f, -5), Vec3(0, 0, 1), a, b, c, &t, &u, &v));
    EXPECT_NEAR(t, 5.0f, 1e-6f);
    EXPECT_NEAR(u, 0.25f, 1e-6f);
    EXPECT_NEAR(v, 0.25f, 1e-6f);
    ASSERT_TRUE(IntersectRayTriangle(Vec3(0.5f, 0, -2), Vec3(0, 0, 2), a, b, c, &t));
    EXPECT_NEAR(t, 1.0f, 1e-6f);  // in units of the direction given

    struct Case {
        Vec3 origin, direction;
        bool hit;
        const char* what;
    };
    const Case cases[] = {
        {Vec3(0.25f, 0.25f, 5), Vec3(0, 0, -1), false, "back face"},
        {Vec3(0, 0.5f, -5), Vec3(0, 0, 1), true, "on an edge"},
        {Vec3(0, 0, -5), Vec3(0, 0, 1), true, "on a corner"},
        {Vec3(0.6f, 0.6f, -5), Vec3(0, 0, 1), false, "beyond the long edge"},
        {Vec3(-0.1f, 0.5f, -5), Vec3(0, 0, 1), false, "beside it"},
        {Vec3(-5, 0.2f, 0), Vec3(1, 0, 0), false, "in its plane"},
    };
    for (const Case& k : cases) EXPECT_EQ(IntersectRayTriangle(k.origin, k.direction, a, b, c), k.hit) << k.what;
}

TEST(MathUtil, HeadingsOnTheGround)
{
    struct Case {
        float x, z, heading, length;
    };
    const Case cases[] = {
        {0, 1, 0, 1},    {1, 0, 90, 1},    {0, -1, 180, 1},  {-1, 0, 270, 1},     {0, 7, 0, 7},
        {1, 1, 45, std::sqrt(2.0f)},       {1, -1, 135, std::sqrt(2.0f)},        {-1, -1, 225, std::sqrt(2.0f)},
        {-1, 1, 315, std::sqrt(2.0f)},     {3, 4, 36.869898f, 5},
    };
    for (const Case& c : cases) {
        float heading = -1;
        EXPECT_NEAR(HeadingFromVector(c.x, c.z, &heading), c.length, 1e-5f) << c.x << "," << c.z;
        EXPECT_NEAR(heading, c.heading, 1e-3f) << c.x << "," << c.z;
    }
    float untouched = 123;
    EXPECT_EQ(HeadingFromVector(0, 0, &untouched), 0.0f);
    EXPECT_EQ(untouched, 123.0f);

    Vec3 d;
    DirectionFromAngles(0, 0, &d);
    ExpectNear(d, Vec3(0, 0, 1));
    DirectionFromAngles(0, PI / 2, &d);
    ExpectNear(d, Vec3(-1, 0, 0));
    DirectionFromAngles(-PI / 3, PI, &d);  // the camera's start: 60 degrees down, toward -z
    ExpectNear(d, Vec3(0, -0.8660254f, -0.5f));
}

TEST(MathUtil, FacingCone)
{
    const Vec3 origin(10, 0, 10);
    auto at = [&](float degrees, float distance) {
        float r = degrees * PI / 180;
        return origin + Vec3(std::sin(r), 3, std::cos(r)) * distance;  // height does not count
    };
    struct Case {
        float heading;
        Vec3 target;
        bool inside;
        const char* what;
    };
    const Case cases[] = {
        {0, at(0, 10), true, "straight ahead"},
        {0, at(0, 11.4f), true, "within the range slack"},
        {0, at(0, 11.6f), false, "beyond range + 1.5"},
        {0, at(29, 5), true, "just inside the angle"},
        {0, at(31, 5), false, "just outside the angle"},
        {0, at(-29, 5), true, "other side"},
        {350, at(10, 5), true, "across north"},
        {10, at(340, 5), false, "across north, too far round"},
        {-10, at(350, 5), true, "negative heading"},
        {90, origin, true, "on the origin"},
    };
    for (const Case& c : cases) EXPECT_EQ(IsInFacingCone(origin, c.heading, c.target, 10.0f, 30.0f), c.inside) << c.what;
}

TEST(MathUtil, TangentsFollowTextureDirections)
{
    // One ground triangle with u along +x and v along +z.
    const Vec3 positions[3] = {Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 0, 1)};
    const Vec3 normals[3] = {Vec3(0, 1, 0), Vec3(0, 1, 0), Vec3(0, 1, 0)};
    const int indices[3] = {0, 1, 2};
    const float uv[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    Vec4 out[3];
    ComputeTangents(3, positions, normals, uv, 1, indices, out);
    // t = (1, 0, 0); (t, 1) normalised = (0.7071, 0, 0, 0.7071); n x t = (0, 0, -1) points
    // against v's direction (0, 0, 1): handedness -1.
    for (const Vec4& t : out) {
        EXPECT_NEAR(t.x, 0.70710678f, 1e-6f);
        EXPECT_NEAR(t.y, 0.0f, 1e-6f);
        EXPECT_NEAR(t.z, 0.0f, 1e-6f);
        EXPECT_EQ(t.w, -1.0f);
    }
    const float mirrored[9] = {0, 0, 0, 1, 0, 0, 0, -1, 0};
    ComputeTangents(3, positions, normals, mirrored, 1, indices, out);
    EXPECT_NEAR(out[0].x, 0.70710678f, 1e-6f);
    EXPECT_EQ(out[0].w, 1.0f);

    // Degenerate texture coordinates and a broken index add nothing and leave no NaN.
    const float flat[9] = {0.5f, 0.5f, 0, 0.5f, 0.5f, 0, 0.5f, 0.5f, 0};
    const int broken[6] = {0, 1, 2, 0, 1, 7};
    ComputeTangents(3, positions, normals, flat, 2, broken, out);
    for (const Vec4& t : out) {
        EXPECT_EQ(t.x, 0.0f);
        EXPECT_EQ(t.y, 0.0f);
        EXPECT_EQ(t.z, 0.0f);
        EXPECT_EQ(t.w, 1.0f);
    }
}

TEST(MathUtil, TextAndNumberTests)
{
    struct Case {
        const char* text;
        bool integer, decimal;
    };
    const Case cases[] = {
        {"-5", true, true},      {"", false, false}, {"-", false, false},   {".5", false, true},
        {"1.2.3", false, false}, {".", false, false}, {"12a", false, false}, {" 1", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsIntegerString(c.text), c.integer) << '"' << c.text << '"';
        EXPECT_EQ(IsFloatString(c.text), c.decimal) << '"' << c.text << '"';
    }
    EXPECT_FALSE(IsIntegerString(nullptr));
}
