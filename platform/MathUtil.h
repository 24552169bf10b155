#pragma once
// Geometry helpers of the game: vector shortcuts, point projection, boxes, ray tests, headings
// on the ground (the x/z plane, y is height), per-vertex tangents, the camera shake trigger
// and text-to-number tests. The pick ray and the screen projection sit beside the camera.
#include "host/Maths.h"

#include <cmath>
#include <cstdint>

// Inline: a unit's box is the union of its parts' boxes, asked for by every distance the AI
// weighs.
inline Vec3 Vec3Min(const Vec3& a, const Vec3& b) { return Vec3(std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)); }
inline Vec3 Vec3Max(const Vec3& a, const Vec3& b) { return Vec3(std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)); }
// True when every component differs by less than the tolerance.
bool Vec3NearEqual(const Vec3& a, const Vec3& b, float tolerance);

// (x, y, z, 1) x m divided by w; false (out untouched) when |w| is below 1e-5.
bool ProjectPoint(Vec3* out, const Vec3& point, const Matrix& m);

// The 8 corners; corner i takes max.x when bit 0 is set, max.y for bit 1, max.z for bit 2.
void GetBoxCorners(const Vec3& min, const Vec3& max, Vec3 out[8]);
// Transforms the corners about the box centre (centre + (corner - centre) x m) and makes min
// and max the bounds of the results.
void TransformBox(Vec3* min, Vec3* max, const Matrix& m);

// The plane holds the points p with normal . p = distance. Direction and normal need not be
// unit length. False when the ray runs parallel to the plane (or either vector is zero); the
// point may lie behind the origin.
bool IntersectRayPlane(const Vec3& origin, const Vec3& direction, const Vec3& normal, float distance, Vec3* out);
// True when the ray's line meets the sphere; out (when given) receives the point of the line
// nearest the centre. A zero direction hits only when the origin is inside the sphere.
bool IntersectRaySphere(const Vec3& origin, const Vec3& direction, const Vec3& centre, float radius,
                        Vec3* out = nullptr);
// Front faces only: the face whose normal (b - a) x (c - a) looks back at the ray. Writes the
// distance along direction and the barycentric weights of b and c to the outputs given.
bool IntersectRayTriangle(const Vec3& origin, const Vec3& direction, const Vec3& a, const Vec3& b,
                          const Vec3& c, float* t = nullptr, float* u = nullptr, float* v = nullptr);

// Unit vector of a pitch and a heading in radians: (-sin heading cos pitch, sin pitch,
// cos heading cos pitch).
void DirectionFromAngles(float pitch, float heading, Vec3* out);
// Length of (x, z); its heading in degrees (0 along +z, 90 along +x) goes to heading, which
// is left alone for the zero vector.
float HeadingFromVector(float x, float z, float* heading);
// True when the target lies within range + 1.5 of the origin on the ground and its heading
// from the origin differs from heading (degrees) by less than halfAngle degrees.
bool IsInFacingCone(const Vec3& origin, float heading, const Vec3& target, float range, float halfAngle);

// Per-vertex tangents for normal mapping: out[i] = (tangent, handedness). texcoords holds
// three floats per vertex (u, v and one unused); indices three per triangle. Triangles with
// degenerate texture coordinates or indices outside the vertices add nothing. As the mesh
// shaders expect, (t, 1) is normalised as a whole before w becomes the handedness, so the
// shaders renormalise the tangent.
void ComputeTangents(int vertexCount, const Vec3* positions, const Vec3* normals, const float* texcoords,
                     int triangleCount, const int* indices, Vec4* out);

// The camera shake in progress, read by the camera as it builds its view.
struct CameraShake {
    float duration = 0.5f;
    float remaining = 0.0f;
    float amplitude = 0.1f;
    float frequency = 1.0f;
    float lift = 0.0f;  // how far the shake lifts the picture in this frame
};
extern CameraShake ActiveCameraShake;

void StartCameraShake(float duration, float amplitude, float frequency);
void StopCameraShake();

// An optional minus sign and at least one digit, nothing else.
bool IsIntegerString(const char* text);
// An optional sign, digits with at most one point, at least one digit.
bool IsFloatString(const char* text);
bool IsPowerOfTwo(int n);
