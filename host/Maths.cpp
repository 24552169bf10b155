#include "host/Maths.h"

#include "host/SteadyMath.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

// ---- Matrix members

Matrix::Matrix(float f11, float f12, float f13, float f14,
               float f21, float f22, float f23, float f24,
               float f31, float f32, float f33, float f34,
               float f41, float f42, float f43, float f44)
{
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

Matrix::Matrix(const float* p)
{
    std::memcpy(m, p, sizeof(m));
}

Matrix& Matrix::operator*=(const Matrix& b)
{
    MatrixMultiply(this, this, &b);
    return *this;
}

Matrix& Matrix::operator+=(const Matrix& b)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] += b.m[r][c];
    return *this;
}

Matrix& Matrix::operator-=(const Matrix& b)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] -= b.m[r][c];
    return *this;
}

Matrix& Matrix::operator*=(float s)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] *= s;
    return *this;
}

Matrix& Matrix::operator/=(float s)
{
    return *this *= 1.0f / s;
}

Matrix Matrix::operator-() const
{
    Matrix r = *this;
    return r *= -1.0f;
}

Matrix Matrix::operator*(const Matrix& b) const
{
    Matrix r;
    MatrixMultiply(&r, this, &b);
    return r;
}

Matrix Matrix::operator+(const Matrix& b) const
{
    Matrix r = *this;
    return r += b;
}

Matrix Matrix::operator-(const Matrix& b) const
{
    Matrix r = *this;
    return r -= b;
}

Matrix Matrix::operator*(float s) const
{
    Matrix r = *this;
    return r *= s;
}

Matrix Matrix::operator/(float s) const
{
    Matrix r = *this;
    return r /= s;
}

bool Matrix::operator==(const Matrix& b) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != b.m[r][c]) return false;
    return true;
}

Quaternion Quaternion::operator*(const Quaternion& q) const
{
    Quaternion r;
    QuaternionMultiply(&r, this, &q);
    return r;
}

// ---- Vec2

float Vec2Length(const Vec2* v) { return std::sqrt(v->x * v->x + v->y * v->y); }
float Vec2LengthSq(const Vec2* v) { return v->x * v->x + v->y * v->y; }
float Vec2Dot(const Vec2* a, const Vec2* b) { return a->x * b->x + a->y * b->y; }

Vec2* Vec2Normalize(Vec2* out, const Vec2* v)
{
    float length = Vec2Length(v);
    if (length > 0.0f) *out = *v / length;
    else *out = Vec2();
    return out;
}

Vec2* Vec2Lerp(Vec2* out, const Vec2* a, const Vec2* b, float s)
{
    *out = *a + (*b - *a) * s;
    return out;
}

Vec2* Vec2Minimize(Vec2* out, const Vec2* a, const Vec2* b)
{
    *out = Vec2(std::fmin(a->x, b->x), std::fmin(a->y, b->y));
    return out;
}

Vec2* Vec2Maximize(Vec2* out, const Vec2* a, const Vec2* b)
{
    *out = Vec2(std::fmax(a->x, b->x), std::fmax(a->y, b->y));
    return out;
}

// ---- Vec3

float Vec3Length(const Vec3* v) { return std::sqrt(Vec3LengthSq(v)); }
float Vec3LengthSq(const Vec3* v) { return v->x * v->x + v->y * v->y + v->z * v->z; }
float Vec3Dot(const Vec3* a, const Vec3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

Vec3* Vec3Cross(Vec3* out, const Vec3* a, const Vec3* b)
{
    *out = Vec3(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    return out;
}

Vec3* Vec3Normalize(Vec3* out, const Vec3* v)
{
    float length = Vec3Length(v);
    if (length > 0.0f) *out = *v / length;
    else *out = Vec3();
    return out;
}

Vec3* Vec3Add(Vec3* out, const Vec3* a, const Vec3* b) { *out = *a + *b; return out; }
Vec3* Vec3Subtract(Vec3* out, const Vec3* a, const Vec3* b) { *out = *a - *b; return out; }
Vec3* Vec3Scale(Vec3* out, const Vec3* v, float s) { *out = *v * s; return out; }

Vec3* Vec3Lerp(Vec3* out, const Vec3* a, const Vec3* b, float s)
{
    *out = *a + (*b - *a) * s;
    return out;
}

Vec3* Vec3Minimize(Vec3* out, const Vec3* a, const Vec3* b)
{
    *out = Vec3(std::fmin(a->x, b->x), std::fmin(a->y, b->y), std::fmin(a->z, b->z));
    return out;
}

Vec3* Vec3Maximize(Vec3* out, const Vec3* a, const Vec3* b)
{
    *out = Vec3(std::fmax(a->x, b->x), std::fmax(a->y, b->y), std::fmax(a->z, b->z));
    return out;
}

Vec4* Vec3Transform(Vec4* out, const Vec3* v, const Matrix* m)
{
    Vec4 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41,
           v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
           v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43,
           v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44);
    *out = r;
    return out;
}

Vec3* Vec3TransformCoord(Vec3* out, const Vec3* v, const Matrix* m)
{
    Vec4 r;
    Vec3Transform(&r, v, m);
    if (r.w != 0.0f) *out = Vec3(r.x / r.w, r.y / r.w, r.z / r.w);
    else *out = Vec3(r.x, r.y, r.z);
    return out;
}

Vec3* Vec3TransformNormal(Vec3* out, const Vec3* v, const Matrix* m)
{
    Vec3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31,
           v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
           v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
    *out = r;
    return out;
}

// world * view * projection with null matrices left out.
static Matrix CombineTransforms(const Matrix* projection, const Matrix* view, const Matrix* world)
{
    Matrix m;
    MatrixIdentity(&m);
    if (world) m = *world;
    if (view) m = m * *view;
    if (projection) m = m * *projection;
    return m;
}

Vec3* Vec3Project(Vec3* out, const Vec3* v, const Viewport* viewport, const Matrix* projection,
                  const Matrix* view, const Matrix* world)
{
    Matrix m = CombineTransforms(projection, view, world);
    Vec3 p;
    Vec3TransformCoord(&p, v, &m);
    *out = Vec3(viewport->X + (1.0f + p.x) * 0.5f * viewport->Width,
                viewport->Y + (1.0f - p.y) * 0.5f * viewport->Height,
                viewport->MinZ + p.z * (viewport->MaxZ - viewport->MinZ));
    return out;
}

Vec3* Vec3Unproject(Vec3* out, const Vec3* v, const Viewport* viewport, const Matrix* projection,
                    const Matrix* view, const Matrix* world)
{
    Matrix m = CombineTransforms(projection, view, world);
    Matrix inverse;
    if (!MatrixInverse(&inverse, nullptr, &m)) return nullptr;
    float width = viewport->Width ? float(viewport->Width) : 1.0f;
    float height = viewport->Height ? float(viewport->Height) : 1.0f;
    float depth = viewport->MaxZ - viewport->MinZ;
    Vec3 p((v->x - viewport->X) * 2.0f / width - 1.0f,
           1.0f - (v->y - viewport->Y) * 2.0f / height,
           depth != 0.0f ? (v->z - viewport->MinZ) / depth : 0.0f);
    Vec3TransformCoord(out, &p, &inverse);
    return out;
}

// ---- Vec4

float Vec4Length(const Vec4* v) { return std::sqrt(Vec4LengthSq(v)); }
float Vec4LengthSq(const Vec4* v) { return v->x * v->x + v->y * v->y + v->z * v->z + v->w * v->w; }
float Vec4Dot(const Vec4* a, const Vec4* b) { return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w; }

Vec4* Vec4Normalize(Vec4* out, const Vec4* v)
{
    float length = Vec4Length(v);
    if (length > 0.0f) *out = *v / length;
    else *out = Vec4();
    return out;
}

Vec4* Vec4Scale(Vec4* out, const Vec4* v, float s) { *out = *v * s; return out; }

Vec4* Vec4Lerp(Vec4* out, const Vec4* a, const Vec4* b, float s)
{
    *out = *a + (*b - *a) * s;
    return out;
}

Vec4* Vec4Minimize(Vec4* out, const Vec4* a, const Vec4* b)
{
    *out = Vec4(std::fmin(a->x, b->x), std::fmin(a->y, b->y), std::fmin(a->z, b->z), std::fmin(a->w, b->w));
    return out;
}

Vec4* Vec4Maximize(Vec4* out, const Vec4* a, const Vec4* b)
{
    *out = Vec4(std::fmax(a->x, b->x), std::fmax(a->y, b->y), std::fmax(a->z, b->z), std::fmax(a->w, b->w));
    return out;
}

Vec4* Vec4Transform(Vec4* out, const Vec4* v, const Matrix* m)
{
    Vec4 r;
    float in[4] = {v->x, v->y, v->z, v->w};
    float* o[4] = {&r.x, &r.y, &r.z, &r.w};
    for (int c = 0; c < 4; ++c)
        *o[c] = in[0] * m->m[0][c] + in[1] * m->m[1][c] + in[2] * m->m[2][c] + in[3] * m->m[3][c];
    *out = r;
    return out;
}

// ---- Matrix

Matrix* MatrixIdentity(Matrix* out)
{
    *out = Matrix();
    out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
    return out;
}

bool MatrixIsIdentity(const Matrix* m)
{
    Matrix identity;
    MatrixIdentity(&identity);
    return *m == identity;
}

Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b)
{
    Matrix r;
#if defined(__SSE2__) || defined(_M_X64)
    // A row at a time, four columns in the lanes; each lane sums its four products in the
    // same order as the plain loop, so the result is the same to the last bit.
    const __m128 b0 = _mm_loadu_ps(b->m[0]), b1 = _mm_loadu_ps(b->m[1]), b2 = _mm_loadu_ps(b->m[2]),
                 b3 = _mm_loadu_ps(b->m[3]);
    for (int row = 0; row < 4; ++row) {
        __m128 sum = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(a->m[row][0]), b0), _mm_mul_ps(_mm_set1_ps(a->m[row][1]), b1));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(a->m[row][2]), b2));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(a->m[row][3]), b3));
        _mm_storeu_ps(r.m[row], sum);
    }
#else
    for (int row = 0; row < 4; ++row)
        for (int c = 0; c < 4; ++c)
            r.m[row][c] = a->m[row][0] * b->m[0][c] + a->m[row][1] * b->m[1][c] +
                          a->m[row][2] * b->m[2][c] + a->m[row][3] * b->m[3][c];
#endif
    *out = r;
    return out;
}

// Cofactors by the 2x2 sub-determinants of the upper and lower row pairs; computed in double so
// that near-singular game matrices (thin scalings, far projections) still invert cleanly.
static double Cofactors(const Matrix* in, double out[4][4])
{
    double a[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) a[r][c] = in->m[r][c];
    double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    // Adjugate (transposed cofactors).
    out[0][0] = a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3;
    out[0][1] = -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3;
    out[0][2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
    out[0][3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
    out[1][0] = -a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1;
    out[1][1] = a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1;
    out[1][2] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
    out[1][3] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
    out[2][0] = a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0;
    out[2][1] = -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0;
    out[2][2] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
    out[2][3] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
    out[3][0] = -a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0;
    out[3][1] = a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0;
    out[3][2] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
    out[3][3] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
    return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
}

float MatrixDeterminant(const Matrix* m)
{
    double adjugate[4][4];
    return float(Cofactors(m, adjugate));
}

Matrix* MatrixInverse(Matrix* out, float* determinant, const Matrix* m)
{
    double adjugate[4][4];
    double det = Cofactors(m, adjugate);
    if (determinant) *determinant = float(det);
    if (det == 0.0 || !std::isfinite(det)) return nullptr;
    double inv = 1.0 / det;
    Matrix r;
    for (int row = 0; row < 4; ++row)
        for (int c = 0; c < 4; ++c) r.m[row][c] = float(adjugate[row][c] * inv);
    *out = r;
    return out;
}

Matrix* MatrixTranspose(Matrix* out, const Matrix* m)
{
    Matrix r;
    for (int row = 0; row < 4; ++row)
        for (int c = 0; c < 4; ++c) r.m[row][c] = m->m[c][row];
    *out = r;
    return out;
}

Matrix* MatrixScaling(Matrix* out, float sx, float sy, float sz)
{
    MatrixIdentity(out);
    out->_11 = sx;
    out->_22 = sy;
    out->_33 = sz;
    return out;
}

Matrix* MatrixTranslation(Matrix* out, float x, float y, float z)
{
    MatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

Matrix* MatrixRotationX(Matrix* out, float angle)
{
    float s, c;
    SinCos(angle, &s, &c);
    MatrixIdentity(out);
    out->_22 = c;  out->_23 = s;
    out->_32 = -s; out->_33 = c;
    return out;
}

Matrix* MatrixRotationY(Matrix* out, float angle)
{
    float s, c;
    SinCos(angle, &s, &c);
    MatrixIdentity(out);
    out->_11 = c; out->_13 = -s;
    out->_31 = s; out->_33 = c;
    return out;
}

Matrix* MatrixRotationZ(Matrix* out, float angle)
{
    float s, c;
    SinCos(angle, &s, &c);
    MatrixIdentity(out);
    out->_11 = c;  out->_12 = s;
    out->_21 = -s; out->_22 = c;
    return out;
}

Matrix* MatrixRotationAxis(Matrix* out, const Vec3* axis, float angle)
{
    Vec3 n;
    Vec3Normalize(&n, axis);
    float s, c;
    SinCos(angle, &s, &c);
    float t = 1.0f - c;
    MatrixIdentity(out);
    out->_11 = t * n.x * n.x + c;
    out->_12 = t * n.x * n.y + s * n.z;
    out->_13 = t * n.x * n.z - s * n.y;
    out->_21 = t * n.x * n.y - s * n.z;
    out->_22 = t * n.y * n.y + c;
    out->_23 = t * n.y * n.z + s * n.x;
    out->_31 = t * n.x * n.z + s * n.y;
    out->_32 = t * n.y * n.z - s * n.x;
    out->_33 = t * n.z * n.z + c;
    return out;
}

Matrix* MatrixRotationYawPitchRoll(Matrix* out, float yaw, float pitch, float roll)
{
    Matrix z, x, y;
    MatrixRotationZ(&z, roll);
    MatrixRotationX(&x, pitch);
    MatrixRotationY(&y, yaw);
    *out = z * x * y;
    return out;
}

Matrix* MatrixRotationQuaternion(Matrix* out, const Quaternion* q)
{
    float x = q->x, y = q->y, z = q->z, w = q->w;
    MatrixIdentity(out);
    out->_11 = 1.0f - 2.0f * (y * y + z * z);
    out->_12 = 2.0f * (x * y + z * w);
    out->_13 = 2.0f * (x * z - y * w);
    out->_21 = 2.0f * (x * y - z * w);
    out->_22 = 1.0f - 2.0f * (x * x + z * z);
    out->_23 = 2.0f * (y * z + x * w);
    out->_31 = 2.0f * (x * z + y * w);
    out->_32 = 2.0f * (y * z - x * w);
    out->_33 = 1.0f - 2.0f * (x * x + y * y);
    return out;
}

Matrix* MatrixLookAtLH(Matrix* out, const Vec3* eye, const Vec3* at, const Vec3* up)
{
    Vec3 zAxis = *at - *eye, xAxis, yAxis;
    Vec3Normalize(&zAxis, &zAxis);
    Vec3Cross(&xAxis, up, &zAxis);
    Vec3Normalize(&xAxis, &xAxis);
    Vec3Cross(&yAxis, &zAxis, &xAxis);
    *out = Matrix(xAxis.x, yAxis.x, zAxis.x, 0.0f,
                  xAxis.y, yAxis.y, zAxis.y, 0.0f,
                  xAxis.z, yAxis.z, zAxis.z, 0.0f,
                  -Vec3Dot(&xAxis, eye), -Vec3Dot(&yAxis, eye), -Vec3Dot(&zAxis, eye), 1.0f);
    return out;
}

Matrix* MatrixPerspectiveFovLH(Matrix* out, float fovY, float aspect, float zNear, float zFar)
{
    float yScale = 1.0f / Tan(fovY * 0.5f);
    float xScale = yScale / aspect;
    float q = zFar / (zFar - zNear);
    *out = Matrix(xScale, 0.0f, 0.0f, 0.0f,
                  0.0f, yScale, 0.0f, 0.0f,
                  0.0f, 0.0f, q, 1.0f,
                  0.0f, 0.0f, -zNear * q, 0.0f);
    return out;
}

Matrix* MatrixPerspectiveLH(Matrix* out, float width, float height, float zNear, float zFar)
{
    float q = zFar / (zFar - zNear);
    *out = Matrix(2.0f * zNear / width, 0.0f, 0.0f, 0.0f,
                  0.0f, 2.0f * zNear / height, 0.0f, 0.0f,
                  0.0f, 0.0f, q, 1.0f,
                  0.0f, 0.0f, -zNear * q, 0.0f);
    return out;
}

Matrix* MatrixOrthoLH(Matrix* out, float width, float height, float zNear, float zFar)
{
    *out = Matrix(2.0f / width, 0.0f, 0.0f, 0.0f,
                  0.0f, 2.0f / height, 0.0f, 0.0f,
                  0.0f, 0.0f, 1.0f / (zFar - zNear), 0.0f,
                  0.0f, 0.0f, zNear / (zNear - zFar), 1.0f);
    return out;
}

Matrix* MatrixOrthoOffCenterLH(Matrix* out, float left, float right, float bottom, float top,
                               float zNear, float zFar)
{
    *out = Matrix(2.0f / (right - left), 0.0f, 0.0f, 0.0f,
                  0.0f, 2.0f / (top - bottom), 0.0f, 0.0f,
                  0.0f, 0.0f, 1.0f / (zFar - zNear), 0.0f,
                  (left + right) / (left - right), (top + bottom) / (bottom - top), zNear / (zNear - zFar), 1.0f);
    return out;
}

// ---- Plane

float PlaneDot(const Plane* p, const Vec4* v) { return p->a * v->x + p->b * v->y + p->c * v->z + p->d * v->w; }
float PlaneDotCoord(const Plane* p, const Vec3* v) { return p->a * v->x + p->b * v->y + p->c * v->z + p->d; }
float PlaneDotNormal(const Plane* p, const Vec3* v) { return p->a * v->x + p->b * v->y + p->c * v->z; }

Plane* PlaneNormalize(Plane* out, const Plane* p)
{
    float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    if (length > 0.0f) *out = *p * (1.0f / length);
    else *out = Plane();
    return out;
}

Plane* PlaneFromPoints(Plane* out, const Vec3* a, const Vec3* b, const Vec3* c)
{
    Vec3 ab = *b - *a, ac = *c - *a, normal;
    Vec3Cross(&normal, &ab, &ac);
    Vec3Normalize(&normal, &normal);
    return PlaneFromPointNormal(out, a, &normal);
}

Plane* PlaneFromPointNormal(Plane* out, const Vec3* point, const Vec3* normal)
{
    *out = Plane(normal->x, normal->y, normal->z, -Vec3Dot(point, normal));
    return out;
}

Vec3* PlaneIntersectLine(Vec3* out, const Plane* p, const Vec3* a, const Vec3* b)
{
    Vec3 direction = *b - *a;
    float along = PlaneDotNormal(p, &direction);
    if (along == 0.0f) return nullptr;
    float t = -PlaneDotCoord(p, a) / along;
    *out = *a + direction * t;
    return out;
}

Plane* PlaneTransform(Plane* out, const Plane* p, const Matrix* inverseTranspose)
{
    Vec4 v(p->a, p->b, p->c, p->d), r;
    Vec4Transform(&r, &v, inverseTranspose);
    *out = Plane(r.x, r.y, r.z, r.w);
    return out;
}

// ---- Quaternion

Quaternion* QuaternionIdentity(Quaternion* out)
{
    *out = Quaternion();
    return out;
}

float QuaternionDot(const Quaternion* a, const Quaternion* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

float QuaternionLength(const Quaternion* q) { return std::sqrt(QuaternionDot(q, q)); }

Quaternion* QuaternionNormalize(Quaternion* out, const Quaternion* q)
{
    float length = QuaternionLength(q);
    if (length > 0.0f) *out = *q * (1.0f / length);
    else *out = Quaternion(0, 0, 0, 0);
    return out;
}

Quaternion* QuaternionConjugate(Quaternion* out, const Quaternion* q)
{
    *out = Quaternion(-q->x, -q->y, -q->z, q->w);
    return out;
}

Quaternion* QuaternionInverse(Quaternion* out, const Quaternion* q)
{
    float lengthSq = QuaternionDot(q, q);
    Quaternion c;
    QuaternionConjugate(&c, q);
    *out = lengthSq > 0.0f ? c * (1.0f / lengthSq) : Quaternion(0, 0, 0, 0);
    return out;
}

Quaternion* QuaternionMultiply(Quaternion* out, const Quaternion* a, const Quaternion* b)
{
    // "a then b" is the Hamilton product b a.
    const Quaternion& p = *b;
    const Quaternion& q = *a;
    Quaternion r(p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y,
                 p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
                 p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w,
                 p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z);
    *out = r;
    return out;
}

Quaternion* QuaternionRotationAxis(Quaternion* out, const Vec3* axis, float angle)
{
    Vec3 n;
    Vec3Normalize(&n, axis);
    float s, c;
    SinCos(angle * 0.5f, &s, &c);
    *out = Quaternion(n.x * s, n.y * s, n.z * s, c);
    return out;
}

Quaternion* QuaternionRotationYawPitchRoll(Quaternion* out, float yaw, float pitch, float roll)
{
    Quaternion z, x, y;
    Vec3 ax(1, 0, 0), ay(0, 1, 0), az(0, 0, 1);
    QuaternionRotationAxis(&z, &az, roll);
    QuaternionRotationAxis(&x, &ax, pitch);
    QuaternionRotationAxis(&y, &ay, yaw);
    *out = z * x * y;
    return out;
}

Quaternion* QuaternionRotationMatrix(Quaternion* out, const Matrix* m)
{
    float trace = m->_11 + m->_22 + m->_33;
    Quaternion q;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        q = Quaternion((m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s);
    } else if (m->_11 > m->_22 && m->_11 > m->_33) {
        float s = std::sqrt(1.0f + m->_11 - m->_22 - m->_33) * 2.0f;
        q = Quaternion(0.25f * s, (m->_12 + m->_21) / s, (m->_13 + m->_31) / s, (m->_23 - m->_32) / s);
    } else if (m->_22 > m->_33) {
        float s = std::sqrt(1.0f + m->_22 - m->_11 - m->_33) * 2.0f;
        q = Quaternion((m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s);
    } else {
        float s = std::sqrt(1.0f + m->_33 - m->_11 - m->_22) * 2.0f;
        q = Quaternion((m->_13 + m->_31) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s);
    }
    *out = q;
    return out;
}

Quaternion* QuaternionSlerp(Quaternion* out, const Quaternion* a, const Quaternion* b, float t)
{
    Quaternion to = *b;
    float cosine = QuaternionDot(a, b);
    if (cosine < 0.0f) {
        cosine = -cosine;
        to = -to;
    }
    float wa, wb;
    if (cosine > 0.9999f) {
        // Nearly the same rotation: a straight blend avoids dividing by a vanishing sine.
        wa = 1.0f - t;
        wb = t;
    } else {
        float angle = Acos(cosine);
        float s = Sin(angle);
        wa = Sin((1.0f - t) * angle) / s;
        wb = Sin(t * angle) / s;
    }
    *out = *a * wa + to * wb;
    return out;
}

// ---- Bounds and probes

bool BoxBoundProbe(const Vec3* min, const Vec3* max, const Vec3* origin, const Vec3* direction)
{
    const float lo[3] = {min->x, min->y, min->z};
    const float hi[3] = {max->x, max->y, max->z};
    const float o[3] = {origin->x, origin->y, origin->z};
    const float d[3] = {direction->x, direction->y, direction->z};
    float tNear = 0.0f, tFar = INFINITY;
    for (int i = 0; i < 3; ++i) {
        if (d[i] == 0.0f) {
            if (o[i] < lo[i] || o[i] > hi[i]) return false;
            continue;
        }
        float t1 = (lo[i] - o[i]) / d[i];
        float t2 = (hi[i] - o[i]) / d[i];
        if (t1 > t2) {
            float t = t1;
            t1 = t2;
            t2 = t;
        }
        if (t1 > tNear) tNear = t1;
        if (t2 < tFar) tFar = t2;
        if (tNear > tFar) return false;
    }
    return true;
}

bool SphereBoundProbe(const Vec3* centre, float radius, const Vec3* origin, const Vec3* direction)
{
    Vec3 toOrigin = *origin - *centre;
    float a = Vec3LengthSq(direction);
    float b = Vec3Dot(&toOrigin, direction);
    float c = Vec3LengthSq(&toOrigin) - radius * radius;
    if (c <= 0.0f) return true;  // origin inside or on the sphere
    if (a == 0.0f) return false;
    float discriminant = b * b - a * c;
    if (discriminant < 0.0f) return false;
    // The origin is outside, so both roots have the same sign: the sphere is ahead when b < 0.
    return b <= 0.0f;
}

bool ComputeBoundingBox(const Vec3* first, int count, int stride, Vec3* min, Vec3* max)
{
    *min = *max = Vec3();
    if (!first || count <= 0) return false;
    const char* p = reinterpret_cast<const char*>(first);
    *min = *max = *first;
    for (int i = 1; i < count; ++i) {
        const Vec3* v = reinterpret_cast<const Vec3*>(p + size_t(i) * size_t(stride));
        Vec3Minimize(min, min, v);
        Vec3Maximize(max, max, v);
    }
    return true;
}

bool ComputeBoundingSphere(const Vec3* first, int count, int stride, Vec3* centre, float* radius)
{
    *centre = Vec3();
    *radius = 0.0f;
    if (!first || count <= 0) return false;
    const char* p = reinterpret_cast<const char*>(first);
    Vec3 sum;
    for (int i = 0; i < count; ++i) sum += *reinterpret_cast<const Vec3*>(p + size_t(i) * size_t(stride));
    *centre = sum / float(count);
    float largest = 0.0f;
    for (int i = 0; i < count; ++i) {
        Vec3 d = *reinterpret_cast<const Vec3*>(p + size_t(i) * size_t(stride)) - *centre;
        float lengthSq = Vec3LengthSq(&d);
        if (lengthSq > largest) largest = lengthSq;
    }
    *radius = std::sqrt(largest);
    return true;
}
