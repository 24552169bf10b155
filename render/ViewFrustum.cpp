#include "render/ViewFrustum.h"

#include "platform/ConfigFile.h"

ViewFrustum* Frustum = nullptr;

void ViewFrustum::Update(const Matrix& view)
{
    float aspect = 1.0f;
    if (Config && Config->width > 0 && Config->height > 0) aspect = float(Config->width) / float(Config->height);
    Matrix projection, m;
    MatrixPerspectiveFovLH(&projection, 0.7853982f, aspect, 0.1f, 1000.0f);
    MatrixMultiply(&m, &view, &projection);
    auto column = [&](int c) { return Plane(m.m[0][c], m.m[1][c], m.m[2][c], m.m[3][c]); };
    auto combine = [](const Plane& a, const Plane& b, float sign) {
        return Plane(-(a.a + sign * b.a), -(a.b + sign * b.b), -(a.c + sign * b.c), -(a.d + sign * b.d));
    };
    Plane c1 = column(0), c2 = column(1), c3 = column(2), c4 = column(3);
    planes[0] = combine(c4, c1, 1.0f);
    planes[1] = combine(c4, c1, -1.0f);
    planes[2] = combine(c4, c2, -1.0f);
    planes[3] = combine(c4, c2, 1.0f);
    planes[4] = combine(c4, c3, 1.0f);
    planes[5] = combine(c4, c3, -1.0f);
    for (Plane& p : planes) PlaneNormalize(&p, &p);
}

int ViewFrustum::ClassifyBox(const Vec3& min, const Vec3& max) const
{
    int result = INSIDE;
    for (int i = 0; i < 5; ++i) {
        const Plane& p = planes[i];
        // The corner deepest behind the plane and the one farthest in front of it.
        Vec3 nearest(p.a >= 0.0f ? min.x : max.x, p.b >= 0.0f ? min.y : max.y, p.c >= 0.0f ? min.z : max.z);
        Vec3 farthest(p.a >= 0.0f ? max.x : min.x, p.b >= 0.0f ? max.y : min.y, p.c >= 0.0f ? max.z : min.z);
        if (PlaneDotCoord(&p, &nearest) > 0.0f) return OUTSIDE;
        if (PlaneDotCoord(&p, &farthest) >= 0.0f) result = CROSSING;
    }
    return result;
}

bool IsInViewFrustum(const Vec3& centre, float radius)
{
    if (!Frustum) return false;
    Vec3 extent(radius, radius, radius);
    return Frustum->ClassifyBox(centre - extent, centre + extent) != ViewFrustum::OUTSIDE;
}
