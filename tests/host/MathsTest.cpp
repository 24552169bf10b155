// Every expected value here was worked out by hand from the matrix definitions, never by
// running the functions under test.
#include "host/Maths.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const Matrix& actual, const Matrix& expected, float tolerance = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << "at _" << r + 1 << c + 1;
}

void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Vec3 Transform(const Vec3& v, const Matrix& m)
{
    Vec3 out;
    Vec3TransformCoord(&out, &v, &m);
    return out;
}

}  // namespace

TEST(Maths, MultiplyAppliesLeftMatrixFirst)
{
    Matrix a(1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    Matrix b(1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    ExpectNear(a * b, Matrix(7, 2, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));

    Matrix t, s;
    MatrixTranslation(&t, 1, 2, 3);
    MatrixScaling(&s, 2, 2, 2);
    ExpectNear(Transform(Vec3(0, 0, 0), t * s), Vec3(2, 4, 6));  // moved, then scaled
    ExpectNear(Transform(Vec3(0, 0, 0), s * t), Vec3(1, 2, 3));
    MatrixMultiply(&t, &t, &s);  // output aliasing an input
    ExpectNear(Transform(Vec3(1, 0, 0), t), Vec3(4, 4, 6));
}

TEST(Maths, InverseOfKnownMatrices)
{
    struct Case {
        Matrix m, inverse;
        float determinant;
    };
    const Case cases[] = {
        // scale (2, 4, 0.5) then translate (1, 2, 3)
        {Matrix(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5f, 0, 1, 2, 3, 1),
         Matrix(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 2, 0, -0.5f, -0.5f, -6, 1), 4.0f},
        // a shear in x/y with a translation
        {Matrix(2, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 3, 4, 5, 1),
         Matrix(1, -1, 0, 0, -1, 2, 0, 0, 0, 0, 1, 0, 1, -5, -5, 1), 1.0f},
        // a perspective projection (90 degrees, aspect 1, near 1, far 3)
        {Matrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0),
         Matrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, -2.0f / 3.0f, 0, 0, 1, 1), 1.5f},
    };
    for (const Case& c : cases) {
        Matrix inverse;
        float determinant = 0;
        ASSERT_EQ(MatrixInverse(&inverse, &determinant, &c.m), &inverse);
        ExpectNear(inverse, c.inverse);
        EXPECT_NEAR(determinant, c.determinant, 1e-5f);
        EXPECT_NEAR(MatrixDeterminant(&c.m), c.determinant, 1e-5f);
    }

    Matrix singular(1, 2, 3, 0, 2, 4, 6, 0, 0, 0, 1, 0, 0, 0, 0, 1);  // row 2 = 2 x row 1
    Matrix untouched(9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9), out = untouched;
    float determinant = 7;
    EXPECT_EQ(MatrixInverse(&out, &determinant, &singular), nullptr);
    EXPECT_EQ(determinant, 0.0f);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(MatrixInverse(&out, nullptr, &singular), nullptr);
}

TEST(Maths, RotationsTurnClockwiseSeenFromTheAxis)
{
    const float q = PI / 2;
    Matrix rx, ry, rz, r;
    MatrixRotationX(&rx, q);
    MatrixRotationY(&ry, q);
    MatrixRotationZ(&rz, q);
    ExpectNear(Transform(Vec3(0, 1, 0), rx), Vec3(0, 0, 1));
    ExpectNear(Transform(Vec3(0, 0, 1), rx), Vec3(0, -1, 0));
    ExpectNear(Transform(Vec3(1, 0, 0), ry), Vec3(0, 0, -1));
    ExpectNear(Transform(Vec3(0, 0, 1), ry), Vec3(1, 0, 0));
    ExpectNear(Transform(Vec3(1, 0, 0), rz), Vec3(0, 1, 0));

    Vec3 z(0, 0, 2);
    MatrixRotationAxis(&r, &z, q);
    ExpectNear(r, rz);
    Vec3 diagonal(1, 1, 1);
    MatrixRotationAxis(&r, &diagonal, 2 * PI / 3);  // a third of a turn cycles the axes
    ExpectNear(Transform(Vec3(1, 0, 0), r), Vec3(0, 1, 0));
    ExpectNear(Transform(Vec3(0, 1, 0), r), Vec3(0, 0, 1));

    MatrixRotationYawPitchRoll(&r, q, 0, 0);
    ExpectNear(r, ry);
    MatrixRotationYawPitchRoll(&r, q, q, 0);  // pitch first: up becomes forward, then yaw turns it to +x
    ExpectNear(Transform(Vec3(0, 1, 0), r), Vec3(1, 0, 0));
    MatrixRotationYawPitchRoll(&r, 0, 0, q);
    ExpectNear(r, rz);
    EXPECT_NEAR(MatrixDeterminant(&r), 1.0f, 1e-6f);
}

TEST(Maths, LookAtLeftHanded)
{
    Matrix view;
    Vec3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    ExpectNear(view, Matrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1));

    // From +x toward the origin: forward is -x, right is +z.
    eye = Vec3(10, 0, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    ExpectNear(view, Matrix(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 10, 1));
    ExpectNear(Transform(Vec3(0, 0, 1), view), Vec3(1, 0, 10));
}

TEST(Maths, Projections)
{
    Matrix p;
    MatrixPerspectiveFovLH(&p, PI / 2, 2.0f, 1.0f, 101.0f);
    ExpectNear(p, Matrix(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0));
    // The game's own view: 45 degrees, 4:3, near 0.1, far 500.
    MatrixPerspectiveFovLH(&p, 0.7853982f, 4.0f / 3.0f, 0.1f, 500.0f);
    EXPECT_NEAR(p._22, 2.4142136f, 1e-5f);
    EXPECT_NEAR(p._11, 1.8106602f, 1e-5f);
    EXPECT_NEAR(p._33, 1.0002000f, 1e-6f);
    EXPECT_NEAR(p._43, -0.1000200f, 1e-6f);
    EXPECT_NEAR(Transform(Vec3(0, 0, 0.1f), p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Transform(Vec3(0, 0, 500), p).z, 1.0f, 1e-6f);

    MatrixPerspectiveLH(&p, 2.0f, 1.0f, 1.0f, 3.0f);
    ExpectNear(p, Matrix(1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0));

    MatrixOrthoLH(&p, 800, 600, 0, 100);
    ExpectNear(p, Matrix(0.0025f, 0, 0, 0, 0, 1.0f / 300, 0, 0, 0, 0, 0.01f, 0, 0, 0, 0, 1));
    // Screen-style: top row 0, bottom row 600.
    MatrixOrthoOffCenterLH(&p, 0, 800, 600, 0, 0, 1);
    ExpectNear(p, Matrix(0.0025f, 0, 0, 0, 0, -1.0f / 300, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1));
    ExpectNear(Transform(Vec3(0, 0, 0), p), Vec3(-1, 1, 0));
    ExpectNear(Transform(Vec3(800, 600, 1), p), Vec3(1, -1, 1));
}

TEST(Maths, ProjectAndUnprojectThroughAViewport)
{
    Matrix view, projection;
    Vec3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    MatrixPerspectiveFovLH(&projection, PI / 2, 800.0f / 600.0f, 1.0f, 101.0f);
    Viewport viewport;
    viewport.Width = 800;
    viewport.Height = 600;

    struct Case {
        Vec3 world, screen;
    };
    // depth of a point 5 ahead: (5 x 1.01 - 1.01) / 5 = 0.808; x scale 0.75.
    const Case cases[] = {
        {Vec3(0, 0, 0), Vec3(400, 300, 0.808f)},
        {Vec3(5, 0, 0), Vec3(700, 300, 0.808f)},
        {Vec3(0, 5, 0), Vec3(400, 0, 0.808f)},
        {Vec3(0, 0, -4), Vec3(400, 300, 0.0f)},
    };
    for (const Case& c : cases) {
        Vec3 screen, back;
        Vec3Project(&screen, &c.world, &viewport, &projection, &view, nullptr);
        ExpectNear(screen, c.screen, 1e-4f);
        ASSERT_NE(Vec3Unproject(&back, &screen, &viewport, &projection, &view, nullptr), nullptr);
        ExpectNear(back, c.world, 1e-3f);
    }

    // An offset viewport with a depth range of its own.
    viewport.X = 10;
    viewport.Y = 20;
    viewport.MinZ = 0.5f;
    Vec3 screen, back, world(5, 0, 0);
    Vec3Project(&screen, &world, &viewport, &projection, &view, nullptr);
    ExpectNear(screen, Vec3(710, 320, 0.904f), 1e-4f);
    Vec3Unproject(&back, &screen, &viewport, &projection, &view, nullptr);
    ExpectNear(back, world, 1e-3f);

    Matrix singular;
    EXPECT_EQ(Vec3Unproject(&back, &screen, &viewport, &singular, nullptr, nullptr), nullptr);
}

TEST(Maths, VectorOperations)
{
    Vec3 x(1, 0, 0), y(0, 1, 0), out;
    Vec3Cross(&out, &x, &y);
    EXPECT_EQ(out, Vec3(0, 0, 1));
    Vec3 v(3, 4, 12);
    EXPECT_EQ(Vec3Length(&v), 13.0f);
    EXPECT_EQ(Vec3LengthSq(&v), 169.0f);
    EXPECT_EQ(Vec3Dot(&v, &x), 3.0f);
    Vec3Normalize(&out, &v);
    ExpectNear(out, Vec3(3.0f / 13, 4.0f / 13, 12.0f / 13));
    Vec3 zero;
    Vec3Normalize(&out, &zero);
    EXPECT_EQ(out, Vec3(0, 0, 0));
    Vec3Lerp(&out, &x, &v, 0.5f);
    EXPECT_EQ(out, Vec3(2, 2, 6));
    Vec3 a(1, 5, -2), b(3, -1, -4);
    Vec3Minimize(&out, &a, &b);
    EXPECT_EQ(out, Vec3(1, -1, -4));
    Vec3Maximize(&out, &a, &b);
    EXPECT_EQ(out, Vec3(3, 5, -2));

    Matrix t;
    MatrixTranslation(&t, 10, 20, 30);
    Vec3TransformNormal(&out, &x, &t);
    EXPECT_EQ(out, x);
    Vec4 r;
    Vec3Transform(&r, &x, &t);
    EXPECT_EQ(r, Vec4(11, 20, 30, 1));
    Vec4 q(1, 2, 3, 0);
    Vec4Transform(&r, &q, &t);
    EXPECT_EQ(r, Vec4(1, 2, 3, 0));
    Vec4 four(2, 0, 0, 0);
    Vec4Normalize(&r, &four);
    EXPECT_EQ(r, Vec4(1, 0, 0, 0));
    Vec2 flat(6, 8);
    EXPECT_EQ(Vec2Length(&flat), 10.0f);
}

TEST(Maths, Planes)
{
    Plane p;
    Vec3 a(0, 2, 0), b(0, 2, 1), c(1, 2, 0);
    PlaneFromPoints(&p, &a, &b, &c);  // (b - a) x (c - a) points up
    EXPECT_EQ(p, Plane(0, 1, 0, -2));
    Vec3 point(5, 7, 1);
    EXPECT_EQ(PlaneDotCoord(&p, &point), 5.0f);
    EXPECT_EQ(PlaneDotNormal(&p, &point), 7.0f);
    Vec4 w(5, 7, 1, 0);
    EXPECT_EQ(PlaneDot(&p, &w), 7.0f);

    Vec3 at(1, 2, 3), normal(0, 0, 2);
    PlaneFromPointNormal(&p, &at, &normal);
    EXPECT_EQ(p, Plane(0, 0, 2, -6));
    PlaneNormalize(&p, &p);
    EXPECT_EQ(p, Plane(0, 0, 1, -3));
    Plane zero;
    PlaneNormalize(&p, &zero);
    EXPECT_EQ(p, Plane());

    Plane ground(0, 1, 0, -2);
    Vec3 hit, from(1, 0, 1), to(1, 4, 1), beyond1(1, 5, 1), beyond2(1, 6, 1), side(3, 0, 1);
    ASSERT_NE(PlaneIntersectLine(&hit, &ground, &from, &to), nullptr);
    EXPECT_EQ(hit, Vec3(1, 2, 1));
    ASSERT_NE(PlaneIntersectLine(&hit, &ground, &beyond1, &beyond2), nullptr);  // a line, not a segment
    EXPECT_EQ(hit, Vec3(1, 2, 1));
    EXPECT_EQ(PlaneIntersectLine(&hit, &ground, &from, &side), nullptr);  // parallel

    // Moving the plane up by 3: its point transform is a translation; the plane takes the
    // inverse transpose.
    Matrix move, inverse, inverseTranspose;
    MatrixTranslation(&move, 0, 3, 0);
    MatrixInverse(&inverse, nullptr, &move);
    MatrixTranspose(&inverseTranspose, &inverse);
    PlaneTransform(&p, &ground, &inverseTranspose);
    EXPECT_EQ(p, Plane(0, 1, 0, -5));
}

TEST(Maths, Quaternions)
{
    const float s45 = 0.70710678f;
    Quaternion q, r;
    Vec3 yAxis(0, 1, 0), xAxis(1, 0, 0);
    QuaternionRotationAxis(&q, &yAxis, PI / 2);
    EXPECT_NEAR(q.y, s45, 1e-6f);
    EXPECT_NEAR(q.w, s45, 1e-6f);
    Matrix fromQ, ry, rx;
    MatrixRotationQuaternion(&fromQ, &q);
    MatrixRotationY(&ry, PI / 2);
    ExpectNear(fromQ, ry);

    QuaternionRotationMatrix(&r, &ry);
    EXPECT_NEAR(r.x, 0, 1e-6f);
    EXPECT_NEAR(r.y, s45, 1e-6f);
    EXPECT_NEAR(r.z, 0, 1e-6f);
    EXPECT_NEAR(r.w, s45, 1e-6f);
    // Half a turn (no positive trace): the axis comes out of the diagonal.
    MatrixRotationX(&rx, PI);
    QuaternionRotationMatrix(&r, &rx);
    EXPECT_NEAR(std::fabs(r.x), 1.0f, 1e-6f);
    EXPECT_NEAR(r.w, 0.0f, 1e-6f);

    // q1 * q2 turns like the matrix product: x first, then y.
    Quaternion qx;
    QuaternionRotationAxis(&qx, &xAxis, PI / 2);
    MatrixRotationX(&rx, PI / 2);
    MatrixRotationQuaternion(&fromQ, &(r = qx * q));
    ExpectNear(fromQ, rx * ry);

    Quaternion identity;
    QuaternionSlerp(&r, &identity, &q, 0.5f);  // halfway to 90 degrees about y
    EXPECT_NEAR(r.y, 0.38268343f, 1e-6f);
    EXPECT_NEAR(r.w, 0.92387953f, 1e-6f);
    Quaternion negated = -q;  // the same rotation; slerp takes the short way
    QuaternionSlerp(&r, &identity, &negated, 0.5f);
    EXPECT_NEAR(std::fabs(r.y), 0.38268343f, 1e-6f);
    EXPECT_NEAR(std::fabs(r.w), 0.92387953f, 1e-6f);
    EXPECT_GT(r.w * r.y, 0.0f);
    QuaternionSlerp(&r, &q, &q, 0.3f);
    EXPECT_NEAR(r.y, s45, 1e-6f);

    QuaternionRotationYawPitchRoll(&r, PI / 2, PI / 2, 0);
    Matrix ypr, fromYpr;
    MatrixRotationYawPitchRoll(&ypr, PI / 2, PI / 2, 0);
    MatrixRotationQuaternion(&fromYpr, &r);
    ExpectNear(fromYpr, ypr);
}

TEST(Maths, BoxAndSphereProbes)
{
    Vec3 lo(0, 0, 0), hi(1, 1, 1);
    struct Case {
        Vec3 origin, direction;
        bool hit;
        const char* what;
    };
    const Case boxCases[] = {
        {Vec3(-1, 0.5f, 0.5f), Vec3(1, 0, 0), true, "straight at a face"},
        {Vec3(-1, 0.5f, 0.5f), Vec3(-1, 0, 0), false, "box behind the origin"},
        {Vec3(0.5f, 0.5f, 0.5f), Vec3(0, 0, 1), true, "origin inside"},
        {Vec3(-1, 1, 0.5f), Vec3(1, 0, 0), true, "grazing the top face"},
        {Vec3(-1, 1.001f, 0.5f), Vec3(1, 0, 0), false, "parallel just above"},
        {Vec3(-1, -1, 0.5f), Vec3(1, 1, 0), true, "touching an edge"},
        {Vec3(-1, 0, 0.5f), Vec3(1, 2.01f, 0), false, "passing a corner"},
        {Vec3(2, 2, 2), Vec3(-1, -1, -1), true, "diagonal"},
    };
    for (const Case& c : boxCases) EXPECT_EQ(BoxBoundProbe(&lo, &hi, &c.origin, &c.direction), c.hit) << c.what;

    Vec3 centre(0, 0, 0);
    const Case sphereCases[] = {
        {Vec3(-5, 0, 0), Vec3(1, 0, 0), true, "straight at it"},
        {Vec3(-5, 0, 0), Vec3(-1, 0, 0), false, "behind the origin"},
        {Vec3(-5, 1, 0), Vec3(1, 0, 0), true, "touching"},
        {Vec3(-5, 1.01f, 0), Vec3(1, 0, 0), false, "passing by"},
        {Vec3(0.5f, 0, 0), Vec3(1, 0, 0), true, "origin inside"},
        {Vec3(-5, 0, 0), Vec3(0, 0, 0), false, "no direction"},
    };
    for (const Case& c : sphereCases) EXPECT_EQ(SphereBoundProbe(&centre, 1.0f, &c.origin, &c.direction), c.hit) << c.what;
}

TEST(Maths, BoundsOfPoints)
{
    struct Vertex {
        Vec3 position;
        float u, v;
    };
    Vertex vertices[3] = {{Vec3(1, 0, 0), 0, 0}, {Vec3(-1, 2, 0), 0, 0}, {Vec3(0, 1, 3), 0, 0}};
    Vec3 lo, hi, centre;
    float radius;
    ASSERT_TRUE(ComputeBoundingBox(&vertices[0].position, 3, sizeof(Vertex), &lo, &hi));
    EXPECT_EQ(lo, Vec3(-1, 0, 0));
    EXPECT_EQ(hi, Vec3(1, 2, 3));
    ASSERT_TRUE(ComputeBoundingSphere(&vertices[0].position, 3, sizeof(Vertex), &centre, &radius));
    EXPECT_EQ(centre, Vec3(0, 1, 1));
    EXPECT_NEAR(radius, 2.0f, 1e-6f);
    EXPECT_FALSE(ComputeBoundingBox(&vertices[0].position, 0, sizeof(Vertex), &lo, &hi));
}
