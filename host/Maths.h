#pragma once
// Vectors, matrices, planes and quaternions as the whole game uses them.
//
// Conventions, kept everywhere:
// - row vectors: a point p is transformed as p * M, so M1 * M2 applies M1 first;
// - left-handed coordinates; the ground is the x/z plane and y is height;
// - matrices are stored row by row: _11 _12 _13 _14 is the first row, and _41 _42 _43 the
//   translation; m[row][column] addresses the same floats;
// - the builders and operations take the output first and return it, and the output may be
//   one of the inputs (every operation works on a copy of its inputs);
// - a zero-length vector or plane normal normalises to zero instead of to non-finite values.
#include <cstdint>

constexpr float PI = 3.141592654f;
constexpr float DegreesToRadians(float degrees) { return degrees * (PI / 180.0f); }
constexpr float RadiansToDegrees(float radians) { return radians * (180.0f / PI); }

struct Vec2 {
    float x = 0, y = 0;
    Vec2() = default;
    Vec2(float x_, float y_) : x(x_), y(y_) {}
    explicit Vec2(const float* p) : x(p[0]), y(p[1]) {}

    Vec2& operator+=(const Vec2& v) { x += v.x; y += v.y; return *this; }
    Vec2& operator-=(const Vec2& v) { x -= v.x; y -= v.y; return *this; }
    Vec2& operator*=(float s) { x *= s; y *= s; return *this; }
    Vec2& operator/=(float s) { float r = 1.0f / s; x *= r; y *= r; return *this; }
    Vec2 operator+() const { return *this; }
    Vec2 operator-() const { return Vec2(-x, -y); }
    Vec2 operator+(const Vec2& v) const { return Vec2(x + v.x, y + v.y); }
    Vec2 operator-(const Vec2& v) const { return Vec2(x - v.x, y - v.y); }
    Vec2 operator*(float s) const { return Vec2(x * s, y * s); }
    Vec2 operator/(float s) const { float r = 1.0f / s; return Vec2(x * r, y * r); }
    bool operator==(const Vec2& v) const { return x == v.x && y == v.y; }
    bool operator!=(const Vec2& v) const { return !(*this == v); }
};
inline Vec2 operator*(float s, const Vec2& v) { return v * s; }

struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
    explicit Vec3(const float* p) : x(p[0]), y(p[1]), z(p[2]) {}

    Vec3& operator+=(const Vec3& v) { x += v.x; y += v.y; z += v.z; return *this; }
    Vec3& operator-=(const Vec3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    Vec3& operator/=(float s) { float r = 1.0f / s; x *= r; y *= r; z *= r; return *this; }
    Vec3 operator+() const { return *this; }
    Vec3 operator-() const { return Vec3(-x, -y, -z); }
    Vec3 operator+(const Vec3& v) const { return Vec3(x + v.x, y + v.y, z + v.z); }
    Vec3 operator-(const Vec3& v) const { return Vec3(x - v.x, y - v.y, z - v.z); }
    Vec3 operator*(float s) const { return Vec3(x * s, y * s, z * s); }
    Vec3 operator/(float s) const { float r = 1.0f / s; return Vec3(x * r, y * r, z * r); }
    bool operator==(const Vec3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const Vec3& v) const { return !(*this == v); }
};
inline Vec3 operator*(float s, const Vec3& v) { return v * s; }

struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
    Vec4() = default;
    Vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Vec4(const Vec3& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}
    explicit Vec4(const float* p) : x(p[0]), y(p[1]), z(p[2]), w(p[3]) {}

    Vec4& operator+=(const Vec4& v) { x += v.x; y += v.y; z += v.z; w += v.w; return *this; }
    Vec4& operator-=(const Vec4& v) { x -= v.x; y -= v.y; z -= v.z; w -= v.w; return *this; }
    Vec4& operator*=(float s) { x *= s; y *= s; z *= s; w *= s; return *this; }
    Vec4& operator/=(float s) { float r = 1.0f / s; x *= r; y *= r; z *= r; w *= r; return *this; }
    Vec4 operator+() const { return *this; }
    Vec4 operator-() const { return Vec4(-x, -y, -z, -w); }
    Vec4 operator+(const Vec4& v) const { return Vec4(x + v.x, y + v.y, z + v.z, w + v.w); }
    Vec4 operator-(const Vec4& v) const { return Vec4(x - v.x, y - v.y, z - v.z, w - v.w); }
    Vec4 operator*(float s) const { return Vec4(x * s, y * s, z * s, w * s); }
    Vec4 operator/(float s) const { float r = 1.0f / s; return Vec4(x * r, y * r, z * r, w * r); }
    bool operator==(const Vec4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    bool operator!=(const Vec4& v) const { return !(*this == v); }
};
inline Vec4 operator*(float s, const Vec4& v) { return v * s; }

// A 4x4 matrix, zero when default-constructed (use MatrixIdentity for the identity).
struct Matrix {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
    Matrix() : m{} {}
    Matrix(float f11, float f12, float f13, float f14,
           float f21, float f22, float f23, float f24,
           float f31, float f32, float f33, float f34,
           float f41, float f42, float f43, float f44);
    explicit Matrix(const float* p);

    float& operator()(int row, int column) { return m[row][column]; }
    float operator()(int row, int column) const { return m[row][column]; }

    Matrix& operator*=(const Matrix& b);
    Matrix& operator+=(const Matrix& b);
    Matrix& operator-=(const Matrix& b);
    Matrix& operator*=(float s);
    Matrix& operator/=(float s);
    Matrix operator+() const { return *this; }
    Matrix operator-() const;
    Matrix operator*(const Matrix& b) const;
    Matrix operator+(const Matrix& b) const;
    Matrix operator-(const Matrix& b) const;
    Matrix operator*(float s) const;
    Matrix operator/(float s) const;
    bool operator==(const Matrix& b) const;
    bool operator!=(const Matrix& b) const { return !(*this == b); }
};
inline Matrix operator*(float s, const Matrix& m) { return m * s; }

// The plane a x + b y + c z + d = 0; (a, b, c) is its normal.
struct Plane {
    float a = 0, b = 0, c = 0, d = 0;
    Plane() = default;
    Plane(float a_, float b_, float c_, float d_) : a(a_), b(b_), c(c_), d(d_) {}
    Plane operator*(float s) const { return Plane(a * s, b * s, c * s, d * s); }
    Plane operator-() const { return Plane(-a, -b, -c, -d); }
    bool operator==(const Plane& p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
    bool operator!=(const Plane& p) const { return !(*this == p); }
};

// A rotation quaternion (x, y, z) = axis * sin(angle / 2), w = cos(angle / 2). Identity when
// default-constructed. q1 * q2 is the rotation q1 followed by q2, like the matrices.
struct Quaternion {
    float x = 0, y = 0, z = 0, w = 1;
    Quaternion() = default;
    Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Quaternion operator+(const Quaternion& q) const { return Quaternion(x + q.x, y + q.y, z + q.z, w + q.w); }
    Quaternion operator-(const Quaternion& q) const { return Quaternion(x - q.x, y - q.y, z - q.z, w - q.w); }
    Quaternion operator*(float s) const { return Quaternion(x * s, y * s, z * s, w * s); }
    Quaternion operator-() const { return Quaternion(-x, -y, -z, -w); }
    Quaternion operator*(const Quaternion& q) const;
    Quaternion& operator*=(const Quaternion& q) { return *this = *this * q; }
    bool operator==(const Quaternion& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const Quaternion& q) const { return !(*this == q); }
};

// The rectangle of the render target that a projection maps onto, in pixels, with the depth
// range of the depth buffer.
struct Viewport {
    uint32_t X = 0, Y = 0;
    uint32_t Width = 0, Height = 0;
    float MinZ = 0.0f, MaxZ = 1.0f;
};

// ---- Vec2
float Vec2Length(const Vec2* v);
float Vec2LengthSq(const Vec2* v);
float Vec2Dot(const Vec2* a, const Vec2* b);
Vec2* Vec2Normalize(Vec2* out, const Vec2* v);
Vec2* Vec2Lerp(Vec2* out, const Vec2* a, const Vec2* b, float s);
Vec2* Vec2Minimize(Vec2* out, const Vec2* a, const Vec2* b);
Vec2* Vec2Maximize(Vec2* out, const Vec2* a, const Vec2* b);

// ---- Vec3
float Vec3Length(const Vec3* v);
float Vec3LengthSq(const Vec3* v);
float Vec3Dot(const Vec3* a, const Vec3* b);
Vec3* Vec3Cross(Vec3* out, const Vec3* a, const Vec3* b);
Vec3* Vec3Normalize(Vec3* out, const Vec3* v);
Vec3* Vec3Add(Vec3* out, const Vec3* a, const Vec3* b);
Vec3* Vec3Subtract(Vec3* out, const Vec3* a, const Vec3* b);
Vec3* Vec3Scale(Vec3* out, const Vec3* v, float s);
Vec3* Vec3Lerp(Vec3* out, const Vec3* a, const Vec3* b, float s);
Vec3* Vec3Minimize(Vec3* out, const Vec3* a, const Vec3* b);
Vec3* Vec3Maximize(Vec3* out, const Vec3* a, const Vec3* b);
// (x, y, z, 1) * m divided by the resulting w (undivided when w is 0).
Vec3* Vec3TransformCoord(Vec3* out, const Vec3* v, const Matrix* m);
// (x, y, z, 0) * m: directions and normals (for normals pass the inverse transpose).
Vec3* Vec3TransformNormal(Vec3* out, const Vec3* v, const Matrix* m);
// (x, y, z, 1) * m, w kept.
Vec4* Vec3Transform(Vec4* out, const Vec3* v, const Matrix* m);
// World point to viewport pixels (x, y) and depth (z in MinZ..MaxZ): v * world * view *
// projection, divided by w, then mapped onto the viewport with y downwards. A null matrix
// counts as the identity.
Vec3* Vec3Project(Vec3* out, const Vec3* v, const Viewport* viewport, const Matrix* projection,
                  const Matrix* view, const Matrix* world);
// The inverse of Vec3Project; null (out untouched) when the matrices cannot be inverted.
Vec3* Vec3Unproject(Vec3* out, const Vec3* v, const Viewport* viewport, const Matrix* projection,
                    const Matrix* view, const Matrix* world);

// ---- Vec4
float Vec4Length(const Vec4* v);
float Vec4LengthSq(const Vec4* v);
float Vec4Dot(const Vec4* a, const Vec4* b);
Vec4* Vec4Normalize(Vec4* out, const Vec4* v);
Vec4* Vec4Scale(Vec4* out, const Vec4* v, float s);
Vec4* Vec4Lerp(Vec4* out, const Vec4* a, const Vec4* b, float s);
Vec4* Vec4Minimize(Vec4* out, const Vec4* a, const Vec4* b);
Vec4* Vec4Maximize(Vec4* out, const Vec4* a, const Vec4* b);
Vec4* Vec4Transform(Vec4* out, const Vec4* v, const Matrix* m);

// ---- Matrix
Matrix* MatrixIdentity(Matrix* out);
bool MatrixIsIdentity(const Matrix* m);
Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b);
float MatrixDeterminant(const Matrix* m);
// Null (out untouched, determinant still written) when m is singular.
Matrix* MatrixInverse(Matrix* out, float* determinant, const Matrix* m);
Matrix* MatrixTranspose(Matrix* out, const Matrix* m);
Matrix* MatrixScaling(Matrix* out, float sx, float sy, float sz);
Matrix* MatrixTranslation(Matrix* out, float x, float y, float z);
// Rotations by angles in radians; seen from the positive end of the axis looking at the
// origin, positive angles turn clockwise (left-handed).
Matrix* MatrixRotationX(Matrix* out, float angle);
Matrix* MatrixRotationY(Matrix* out, float angle);
Matrix* MatrixRotationZ(Matrix* out, float angle);
Matrix* MatrixRotationAxis(Matrix* out, const Vec3* axis, float angle);
// Roll about z first, then pitch about x, then yaw about y.
Matrix* MatrixRotationYawPitchRoll(Matrix* out, float yaw, float pitch, float roll);
Matrix* MatrixRotationQuaternion(Matrix* out, const Quaternion* q);
// View matrix of an eye looking at a point, left-handed (the eye looks along +z in view space).
Matrix* MatrixLookAtLH(Matrix* out, const Vec3* eye, const Vec3* at, const Vec3* up);
// Projections onto depth 0 (near) .. 1 (far), left-handed.
Matrix* MatrixPerspectiveFovLH(Matrix* out, float fovY, float aspect, float zNear, float zFar);
Matrix* MatrixPerspectiveLH(Matrix* out, float width, float height, float zNear, float zFar);
Matrix* MatrixOrthoLH(Matrix* out, float width, float height, float zNear, float zFar);
Matrix* MatrixOrthoOffCenterLH(Matrix* out, float left, float right, float bottom, float top,
                               float zNear, float zFar);

// ---- Plane
float PlaneDot(const Plane* p, const Vec4* v);
// Signed distance of a point for a normalised plane: a x + b y + c z + d.
float PlaneDotCoord(const Plane* p, const Vec3* v);
float PlaneDotNormal(const Plane* p, const Vec3* v);
Plane* PlaneNormalize(Plane* out, const Plane* p);
// The plane through three points with the unit normal (b - a) x (c - a).
Plane* PlaneFromPoints(Plane* out, const Vec3* a, const Vec3* b, const Vec3* c);
Plane* PlaneFromPointNormal(Plane* out, const Vec3* point, const Vec3* normal);
// Where the line through a and b meets the plane (also beyond the two points); null when the
// line is parallel to the plane.
Vec3* PlaneIntersectLine(Vec3* out, const Plane* p, const Vec3* a, const Vec3* b);
// Transforms a plane by a matrix given as the inverse transpose of the point transform.
Plane* PlaneTransform(Plane* out, const Plane* p, const Matrix* inverseTranspose);

// ---- Quaternion
Quaternion* QuaternionIdentity(Quaternion* out);
float QuaternionLength(const Quaternion* q);
float QuaternionDot(const Quaternion* a, const Quaternion* b);
Quaternion* QuaternionNormalize(Quaternion* out, const Quaternion* q);
Quaternion* QuaternionConjugate(Quaternion* out, const Quaternion* q);
Quaternion* QuaternionInverse(Quaternion* out, const Quaternion* q);
// a followed by b.
Quaternion* QuaternionMultiply(Quaternion* out, const Quaternion* a, const Quaternion* b);
Quaternion* QuaternionRotationAxis(Quaternion* out, const Vec3* axis, float angle);
Quaternion* QuaternionRotationYawPitchRoll(Quaternion* out, float yaw, float pitch, float roll);
// The rotation of the upper 3x3 of m (which must be a pure rotation).
Quaternion* QuaternionRotationMatrix(Quaternion* out, const Matrix* m);
// Spherical interpolation along the shorter arc.
Quaternion* QuaternionSlerp(Quaternion* out, const Quaternion* a, const Quaternion* b, float t);

// ---- Bounds and probes
// True when the ray from origin along direction meets the box (touching counts; an origin
// inside the box hits).
bool BoxBoundProbe(const Vec3* min, const Vec3* max, const Vec3* origin, const Vec3* direction);
// True when the ray from origin along direction meets the sphere (touching counts; an origin
// inside the sphere hits).
bool SphereBoundProbe(const Vec3* centre, float radius, const Vec3* origin, const Vec3* direction);
// Bounds of count points stored stride bytes apart; false for no points (outputs zeroed).
bool ComputeBoundingBox(const Vec3* first, int count, int stride, Vec3* min, Vec3* max);
// Centre = average of the points, radius = largest distance from it.
bool ComputeBoundingSphere(const Vec3* first, int count, int stride, Vec3* centre, float* radius);
