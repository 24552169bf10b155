#include "platform/MathUtil.h"

#include "host/SteadyMath.h"

#include <cctype>
#include <cmath>
#include <vector>

CameraShake ActiveCameraShake;

bool Vec3NearEqual(const Vec3& a, const Vec3& b, float tolerance)
{
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance && std::fabs(a.z - b.z) < tolerance;
}

bool ProjectPoint(Vec3* out, const Vec3& point, const Matrix& m)
{
    Vec4 r;
    Vec3Transform(&r, &point, &m);
    if (std::fabs(r.w) < 1e-5f) return false;
    *out = Vec3(r.x / r.w, r.y / r.w, r.z / r.w);
    return true;
}

void GetBoxCorners(const Vec3& min, const Vec3& max, Vec3 out[8])
{
    for (int i = 0; i < 8; ++i)
        out[i] = Vec3((i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z);
}

void TransformBox(Vec3* min, Vec3* max, const Matrix& m)
{
    Vec3 corners[8];
    GetBoxCorners(*min, *max, corners);
    Vec3 centre = (*min + *max) * 0.5f;
    Vec3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (Vec3& corner : corners) {
        Vec3 offset = corner - centre, moved;
        Vec3TransformCoord(&moved, &offset, &m);
        moved += centre;
        lo = Vec3Min(lo, moved);
        hi = Vec3Max(hi, moved);
    }
    *min = lo;
    *max = hi;
}

bool IntersectRayPlane(const Vec3& origin, const Vec3& direction, const Vec3& normal, float distance, Vec3* out)
{
    Vec3 d, n;
    Vec3Normalize(&d, &direction);
    Vec3Normalize(&n, &normal);
    float along = Vec3Dot(&d, &n);
    if (std::fabs(along) <= 1e-5f) return false;
    Vec3 toPlane = n * distance - origin;
    float t = Vec3Dot(&n, &toPlane) / along;
    *out = origin + d * t;
    return true;
}

bool IntersectRaySphere(const Vec3& origin, const Vec3& direction, const Vec3& centre, float radius, Vec3* out)
{
    Vec3 toOrigin = origin - centre;
    float a = Vec3LengthSq(&direction);
    float b = 2.0f * Vec3Dot(&direction, &toOrigin);
    float c = Vec3LengthSq(&toOrigin) - radius * radius;
    if (a == 0.0f) {
        // No direction: the "ray" is its origin.
        if (c > 0.0f) return false;
        if (out) *out = origin;
        return true;
    }
    if (b * b - 4.0f * a * c < 0.0f) return false;
    if (out) *out = origin + direction * (-b / (2.0f * a));
    return true;
}

bool IntersectRayTriangle(const Vec3& origin, const Vec3& direction, const Vec3& a, const Vec3& b,
                          const Vec3& c, float* t, float* u, float* v)
{
    Vec3 edge1 = b - a, edge2 = c - a, p, q;
    Vec3Cross(&p, &direction, &edge2);
    float determinant = Vec3Dot(&edge1, &p);
    if (determinant < 1e-5f) return false;
    Vec3 fromA = origin - a;
    float bu = Vec3Dot(&fromA, &p);
    if (bu < 0.0f || bu > determinant) return false;
    Vec3Cross(&q, &fromA, &edge1);
    float bv = Vec3Dot(&direction, &q);
    if (bv < 0.0f || bu + bv > determinant) return false;
    float inverse = 1.0f / determinant;
    if (t) *t = Vec3Dot(&edge2, &q) * inverse;
    if (u) *u = bu * inverse;
    if (v) *v = bv * inverse;
    return true;
}

void DirectionFromAngles(float pitch, float heading, Vec3* out)
{
    float sinPitch, cosPitch, sinHeading, cosHeading;
    SinCos(pitch, &sinPitch, &cosPitch);
    SinCos(heading, &sinHeading, &cosHeading);
    *out = Vec3(-sinHeading * cosPitch, sinPitch, cosHeading * cosPitch);
}

float HeadingFromVector(float x, float z, float* heading)
{
    float length = std::sqrt(x * x + z * z);
    if (length == 0.0f) return 0.0f;
    if (x == 0.0f) {
        *heading = z > 0.0f ? 0.0f : 180.0f;
    } else if (z == 0.0f) {
        *heading = x > 0.0f ? 90.0f : 270.0f;
    } else {
        float cosine = z / length;
        if (cosine > 1.0f) cosine = 1.0f;
        if (cosine < -1.0f) cosine = -1.0f;
        float degrees = Acos(cosine) * 57.29578f;
        *heading = x < 0.0f ? 360.0f - degrees : degrees;
    }
    return length;
}

bool IsInFacingCone(const Vec3& origin, float heading, const Vec3& target, float range, float halfAngle)
{
    float toTarget = heading;  // a target on the origin counts as straight ahead
    float distance = HeadingFromVector(target.x - origin.x, target.z - origin.z, &toTarget);
    if (distance > range + 1.5f) return false;
    float difference = std::fmod(heading - toTarget, 360.0f);
    if (difference > 180.0f) difference -= 360.0f;
    if (difference < -180.0f) difference += 360.0f;
    return std::fabs(difference) < halfAngle;
}

void ComputeTangents(int vertexCount, const Vec3* positions, const Vec3* normals, const float* texcoords,
                     int triangleCount, const int* indices, Vec4* out)
{
    if (vertexCount <= 0) return;
    std::vector<Vec3> firstDirections(static_cast<size_t>(vertexCount));
    std::vector<Vec3> secondDirections(static_cast<size_t>(vertexCount));
    for (int tri = 0; tri < triangleCount; ++tri) {
        int i0 = indices[tri * 3], i1 = indices[tri * 3 + 1], i2 = indices[tri * 3 + 2];
        if (i0 < 0 || i1 < 0 || i2 < 0 || i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount) continue;
        Vec3 e1 = positions[i1] - positions[i0];
        Vec3 e2 = positions[i2] - positions[i0];
        float du1 = texcoords[i1 * 3] - texcoords[i0 * 3], dv1 = texcoords[i1 * 3 + 1] - texcoords[i0 * 3 + 1];
        float du2 = texcoords[i2 * 3] - texcoords[i0 * 3], dv2 = texcoords[i2 * 3 + 1] - texcoords[i0 * 3 + 1];
        float determinant = du1 * dv2 - du2 * dv1;
        if (determinant == 0.0f || !std::isfinite(1.0f / determinant)) continue;
        float r = 1.0f / determinant;
        Vec3 first = (e1 * dv2 - e2 * dv1) * r;
        Vec3 second = (e2 * du1 - e1 * du2) * r;
        for (int i : {i0, i1, i2}) {
            firstDirections[i] += first;
            secondDirections[i] += second;
        }
    }
    for (int i = 0; i < vertexCount; ++i) {
        const Vec3& n = normals[i];
        const Vec3& t = firstDirections[i];
        Vec3 tangent = t - n * Vec3Dot(&n, &t);
        Vec4 result(tangent, 1.0f);
        Vec4Normalize(&result, &result);
        Vec3 side;
        Vec3Cross(&side, &n, &tangent);
        result.w = Vec3Dot(&side, &secondDirections[i]) < 0.0f ? -1.0f : 1.0f;
        out[i] = result;
    }
}

void StartCameraShake(float duration, float amplitude, float frequency)
{
    ActiveCameraShake.duration = duration;
    ActiveCameraShake.remaining = duration;
    ActiveCameraShake.amplitude = amplitude;
    ActiveCameraShake.frequency = frequency;
}

void StopCameraShake()
{
    ActiveCameraShake.remaining = 0.0f;
    ActiveCameraShake.lift = 0.0f;
}

bool IsIntegerString(const char* text)
{
    if (!text) return false;
    if (*text == '-') ++text;
    if (!*text) return false;
    for (; *text; ++text)
        if (!std::isdigit((unsigned char)*text)) return false;
    return true;
}

bool IsFloatString(const char* text)
{
    if (!text) return false;
    if (*text == '-' || *text == '+') ++text;
    int digits = 0, points = 0;
    for (; *text; ++text) {
        if (std::isdigit((unsigned char)*text)) ++digits;
        else if (*text == '.' && ++points <= 1) continue;
        else return false;
    }
    return digits > 0;
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}
