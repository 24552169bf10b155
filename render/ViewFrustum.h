#pragma once
// The volume the camera sees, as six planes whose normals point out of it, for culling.
#include "host/Maths.h"

class ViewFrustum {
public:
    enum { OUTSIDE = 0, CROSSING = 1, INSIDE = 2 };

    // Planes of view x the 45-degree projection of the configured screen with a fixed depth
    // range 0.1..1000: left, right, top, bottom, near, far.
    void Update(const Matrix& view);
    // OUTSIDE, CROSSING or INSIDE. The far plane is not tested: the terrain and the world end
    // well before it. A box touching a plane from inside counts as crossing.
    int ClassifyBox(const Vec3& min, const Vec3& max) const;

    Plane planes[6];
};

extern ViewFrustum* Frustum;
// Whether the box of radius about the centre is at least partly in the current view; false
// without a view.
bool IsInViewFrustum(const Vec3& centre, float radius);
