#include "content/meshgen/Shapes.h"

#include <algorithm>
#include <cmath>

uint32_t PackColour(float r, float g, float b)
{
    auto byte = [](float c) -> uint32_t { return c >= 1.0f ? 255u : c <= 0.0f ? 0u : (uint32_t)(c * 255.0f + 0.5f); };
    return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

namespace {

Vec3 Normalized(Vec3 v)
{
    Vec3Normalize(&v, &v);
    return v;
}

// Signed area of an outline: positive when it turns anticlockwise (x right, y up).
float SignedArea(const std::vector<Vec2>& outline)
{
    float area = 0.0f;
    for (size_t i = 0; i < outline.size(); ++i) {
        const Vec2& a = outline[i];
        const Vec2& b = outline[(i + 1) % outline.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area * 0.5f;
}

bool PointInTriangle(const Vec2& p, const Vec2& a, const Vec2& b, const Vec2& c)
{
    auto side = [](const Vec2& p0, const Vec2& p1, const Vec2& q) {
        return (p1.x - p0.x) * (q.y - p0.y) - (p1.y - p0.y) * (q.x - p0.x);
    };
    float d1 = side(a, b, p), d2 = side(b, c, p), d3 = side(c, a, p);
    return d1 >= 0.0f && d2 >= 0.0f && d3 >= 0.0f;
}

// Ear clipping of an anticlockwise outline into triangles of outline indices.
std::vector<int> Triangulate(const std::vector<Vec2>& outline)
{
    std::vector<int> left;
    for (int i = 0; i < (int)outline.size(); ++i) left.push_back(i);
    std::vector<int> out;
    int guard = 0;
    while (left.size() > 3 && guard++ < 10000) {
        bool clipped = false;
        for (size_t i = 0; i < left.size(); ++i) {
            int ia = left[(i + left.size() - 1) % left.size()], ib = left[i], ic = left[(i + 1) % left.size()];
            const Vec2 &a = outline[ia], &b = outline[ib], &c = outline[ic];
            float turn = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
            if (turn <= 0.0f) continue;  // a reflex corner is no ear
            bool empty = true;
            for (int j : left)
                if (j != ia && j != ib && j != ic && PointInTriangle(outline[j], a, b, c)) empty = false;
            if (!empty) continue;
            out.insert(out.end(), {ia, ib, ic});
            left.erase(left.begin() + i);
            clipped = true;
            break;
        }
        if (!clipped) break;
    }
    if (left.size() == 3) out.insert(out.end(), {left[0], left[1], left[2]});
    return out;
}

// A flat round cap at height y facing along normal (up or down).
void AddDisc(MeshPart& part, float radius, float y, const Vec3& normal, int sides)
{
    if (radius <= 0.0f) return;
    int centre = part.AddVertex(Vec3(0.0f, y, 0.0f), normal, 0.5f, 0.5f);
    int first = (int)part.vertices.size();
    for (int i = 0; i < sides; ++i) {
        float angle = 2.0f * PI * (float)i / (float)sides;
        float s = std::sin(angle), c = std::cos(angle);
        part.AddVertex(Vec3(radius * s, y, radius * c), normal, 0.5f + 0.5f * s, 0.5f + 0.5f * c);
    }
    for (int i = 0; i < sides; ++i) part.AddTriangle(centre, first + i, first + (i + 1) % sides, normal);
}

}  // namespace

int MeshPart::AddVertex(const Vec3& position, const Vec3& normal, float u, float v)
{
    MeshVertex vertex;
    vertex.position = position;
    vertex.normal = normal;
    vertex.u = u;
    vertex.v = v;
    vertices.push_back(vertex);
    return (int)vertices.size() - 1;
}

void MeshPart::AddTriangle(int a, int b, int c, const Vec3& outward)
{
    Vec3 e1 = vertices[b].position - vertices[a].position;
    Vec3 e2 = vertices[c].position - vertices[a].position;
    Vec3 facing;
    Vec3Cross(&facing, &e1, &e2);
    if (Vec3Dot(&facing, &outward) < 0.0f)
        triangles.push_back(MeshTriangle{{a, c, b}});
    else
        triangles.push_back(MeshTriangle{{a, b, c}});
}

void MeshPart::AddQuad(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3, const Vec3& normal)
{
    int a = AddVertex(p0, normal, 0.0f, 0.0f);
    int b = AddVertex(p1, normal, 1.0f, 0.0f);
    int c = AddVertex(p2, normal, 1.0f, 1.0f);
    int d = AddVertex(p3, normal, 0.0f, 1.0f);
    AddTriangle(a, b, c, normal);
    AddTriangle(a, c, d, normal);
}

MeshPart& MeshPart::Transform(const Matrix& matrix)
{
    Matrix inverse, normalMatrix;
    if (MatrixInverse(&inverse, nullptr, &matrix))
        MatrixTranspose(&normalMatrix, &inverse);
    else
        normalMatrix = matrix;
    for (MeshVertex& vertex : vertices) {
        Vec3TransformCoord(&vertex.position, &vertex.position, &matrix);
        Vec3TransformNormal(&vertex.normal, &vertex.normal, &normalMatrix);
        Vec3Normalize(&vertex.normal, &vertex.normal);
    }
    // A mirroring matrix turns every triangle round: put them back facing outwards.
    if (MatrixDeterminant(&matrix) < 0.0f)
        for (MeshTriangle& triangle : triangles) std::swap(triangle.index[1], triangle.index[2]);
    return *this;
}

MeshPart& MeshPart::Move(float x, float y, float z)
{
    Matrix m;
    return Transform(*MatrixTranslation(&m, x, y, z));
}

MeshPart& MeshPart::Turn(float pitch, float yaw, float roll)
{
    Matrix rx, ry, rz;
    MatrixRotationX(&rx, pitch);
    MatrixRotationY(&ry, yaw);
    MatrixRotationZ(&rz, roll);
    return Transform(rx * ry * rz);
}

MeshPart& MeshPart::Colour(float r, float g, float b)
{
    uint32_t colour = PackColour(r, g, b);
    for (MeshVertex& vertex : vertices) vertex.colour = colour;
    return *this;
}

MeshPart& MeshPart::Append(const MeshPart& other)
{
    int base = (int)vertices.size();
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (MeshTriangle triangle : other.triangles) {
        for (int& index : triangle.index) index += base;
        triangles.push_back(triangle);
    }
    return *this;
}

MeshPart& MeshPart::Invert()
{
    for (MeshVertex& vertex : vertices) vertex.normal = -vertex.normal;
    for (MeshTriangle& triangle : triangles) std::swap(triangle.index[1], triangle.index[2]);
    return *this;
}

MeshPart Box(const Vec3& size)
{
    MeshPart part;
    float x = size.x * 0.5f, y = size.y * 0.5f, z = size.z * 0.5f;
    part.AddQuad(Vec3(-x, y, -z), Vec3(x, y, -z), Vec3(x, y, z), Vec3(-x, y, z), Vec3(0, 1, 0));
    part.AddQuad(Vec3(-x, -y, z), Vec3(x, -y, z), Vec3(x, -y, -z), Vec3(-x, -y, -z), Vec3(0, -1, 0));
    part.AddQuad(Vec3(-x, y, z), Vec3(x, y, z), Vec3(x, -y, z), Vec3(-x, -y, z), Vec3(0, 0, 1));
    part.AddQuad(Vec3(x, y, -z), Vec3(-x, y, -z), Vec3(-x, -y, -z), Vec3(x, -y, -z), Vec3(0, 0, -1));
    part.AddQuad(Vec3(x, y, z), Vec3(x, y, -z), Vec3(x, -y, -z), Vec3(x, -y, z), Vec3(1, 0, 0));
    part.AddQuad(Vec3(-x, y, -z), Vec3(-x, y, z), Vec3(-x, -y, z), Vec3(-x, -y, -z), Vec3(-1, 0, 0));
    return part;
}

MeshPart Tube(float bottom, float top, float height, int sides)
{
    MeshPart part;
    if (sides < 3) sides = 3;
    // The side's normal leans by the taper.
    float slope = (bottom - top) / height;
    for (int i = 0; i <= sides; ++i) {
        float angle = 2.0f * PI * (float)i / (float)sides;
        float s = std::sin(angle), c = std::cos(angle);
        Vec3 normal = Normalized(Vec3(s, slope, c));
        float u = (float)i / (float)sides;
        part.AddVertex(Vec3(bottom * s, 0.0f, bottom * c), normal, u, 1.0f);
        part.AddVertex(Vec3(top * s, height, top * c), normal, u, 0.0f);
    }
    for (int i = 0; i < sides; ++i) {
        int b0 = 2 * i, t0 = b0 + 1, b1 = b0 + 2, t1 = b0 + 3;
        float angle = 2.0f * PI * ((float)i + 0.5f) / (float)sides;
        Vec3 outward(std::sin(angle), 0.0f, std::cos(angle));
        // Where a radius is 0 two corners meet at a point: only the triangle with area stays.
        if (bottom > 0.0f) part.AddTriangle(b0, b1, t1, outward);
        if (top > 0.0f) part.AddTriangle(b0, t1, t0, outward);
    }
    AddDisc(part, bottom, 0.0f, Vec3(0, -1, 0), sides);
    AddDisc(part, top, height, Vec3(0, 1, 0), sides);
    return part;
}

MeshPart Cylinder(float radius, float height, int sides)
{
    return Tube(radius, radius, height, sides);
}

MeshPart Cone(float radius, float height, int sides)
{
    return Tube(radius, 0.0f, height, sides);
}

namespace {

// Latitude rings from angle from..to (radians above the equator), seen from outside.
void SphereBand(MeshPart& part, float radius, float from, float to, int rings, int segments)
{
    int first = (int)part.vertices.size();
    for (int r = 0; r <= rings; ++r) {
        float latitude = from + (to - from) * (float)r / (float)rings;
        for (int s = 0; s <= segments; ++s) {
            float longitude = 2.0f * PI * (float)s / (float)segments;
            Vec3 normal(std::cos(latitude) * std::sin(longitude), std::sin(latitude),
                        std::cos(latitude) * std::cos(longitude));
            part.AddVertex(normal * radius, normal, (float)s / (float)segments, 1.0f - (float)r / (float)rings);
        }
    }
    const int row = segments + 1;
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            int a = first + r * row + s, b = a + 1, c = a + row, d = c + 1;
            Vec3 outward = part.vertices[a].normal + part.vertices[b].normal + part.vertices[c].normal + part.vertices[d].normal;
            // At a pole two corners meet: only the triangle with area is kept.
            Vec3 bottomEdge = part.vertices[b].position - part.vertices[a].position;
            Vec3 topEdge = part.vertices[d].position - part.vertices[c].position;
            if (Vec3LengthSq(&bottomEdge) > 1e-12f) part.AddTriangle(a, b, d, outward);
            if (Vec3LengthSq(&topEdge) > 1e-12f) part.AddTriangle(a, d, c, outward);
        }
}

}  // namespace

MeshPart Sphere(float radius, int rings, int segments)
{
    MeshPart part;
    SphereBand(part, radius, -0.5f * PI, 0.5f * PI, rings < 2 ? 2 : rings, segments < 3 ? 3 : segments);
    return part;
}

MeshPart Dome(float radius, int rings, int segments)
{
    MeshPart part;
    if (segments < 3) segments = 3;
    SphereBand(part, radius, 0.0f, 0.5f * PI, rings < 1 ? 1 : rings, segments);
    AddDisc(part, radius, 0.0f, Vec3(0, -1, 0), segments);
    return part;
}

MeshPart Extrusion(const std::vector<Vec2>& outline, float depth)
{
    MeshPart part;
    if (outline.size() < 3) return part;
    std::vector<Vec2> points = outline;
    if (SignedArea(points) < 0.0f) std::reverse(points.begin(), points.end());
    float z = depth * 0.5f;
    Vec2 low = points[0], high = points[0];
    for (const Vec2& p : points) {
        Vec2Minimize(&low, &low, &p);
        Vec2Maximize(&high, &high, &p);
    }
    Vec2 span(std::max(high.x - low.x, 1e-6f), std::max(high.y - low.y, 1e-6f));

    std::vector<int> caps = Triangulate(points);
    for (float side : {1.0f, -1.0f}) {
        Vec3 normal(0.0f, 0.0f, side);
        int first = (int)part.vertices.size();
        for (const Vec2& p : points)
            part.AddVertex(Vec3(p.x, p.y, side * z), normal, (p.x - low.x) / span.x, 1.0f - (p.y - low.y) / span.y);
        for (size_t i = 0; i + 2 < caps.size(); i += 3)
            part.AddTriangle(first + caps[i], first + caps[i + 1], first + caps[i + 2], normal);
    }
    float perimeter = 0.0f;
    for (size_t i = 0; i < points.size(); ++i) {
        Vec2 edge = points[(i + 1) % points.size()] - points[i];
        perimeter += Vec2Length(&edge);
    }
    float travelled = 0.0f;
    for (size_t i = 0; i < points.size(); ++i) {
        const Vec2& a = points[i];
        const Vec2& b = points[(i + 1) % points.size()];
        Vec2 edge = b - a;
        float length = Vec2Length(&edge);
        if (length <= 0.0f) continue;
        // Anticlockwise outline: the outside lies to the right of each edge.
        Vec3 normal(edge.y / length, -edge.x / length, 0.0f);
        float u0 = travelled / perimeter, u1 = (travelled + length) / perimeter;
        travelled += length;
        int v0 = part.AddVertex(Vec3(a.x, a.y, z), normal, u0, 0.0f);
        int v1 = part.AddVertex(Vec3(b.x, b.y, z), normal, u1, 0.0f);
        int v2 = part.AddVertex(Vec3(b.x, b.y, -z), normal, u1, 1.0f);
        int v3 = part.AddVertex(Vec3(a.x, a.y, -z), normal, u0, 1.0f);
        part.AddTriangle(v0, v1, v2, normal);
        part.AddTriangle(v0, v2, v3, normal);
    }
    return part;
}

MeshPart Grid(float sizeX, float sizeZ, int cells)
{
    MeshPart part;
    if (cells < 1) cells = 1;
    Vec3 up(0.0f, 1.0f, 0.0f);
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i) {
            float u = (float)i / (float)cells, v = (float)j / (float)cells;
            part.AddVertex(Vec3((u - 0.5f) * sizeX, 0.0f, (0.5f - v) * sizeZ), up, u, v);
        }
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            int a = j * (cells + 1) + i, b = a + 1, c = a + cells + 1, d = c + 1;
            part.AddTriangle(a, b, d, up);
            part.AddTriangle(a, d, c, up);
        }
    return part;
}

MeshPart Annulus(float inner, float outer, int sides)
{
    MeshPart ring;
    const Vec3 up(0.0f, 1.0f, 0.0f);
    for (int i = 0; i < sides; ++i) {
        float a0 = 6.2831853f * i / sides, a1 = 6.2831853f * (i + 1) / sides;
        Vec3 i0(inner * std::sin(a0), 0.02f, inner * std::cos(a0)), i1(inner * std::sin(a1), 0.02f, inner * std::cos(a1));
        Vec3 o0(outer * std::sin(a0), 0.02f, outer * std::cos(a0)), o1(outer * std::sin(a1), 0.02f, outer * std::cos(a1));
        ring.AddQuad(i0, o0, o1, i1, up);
    }
    return ring;
}
