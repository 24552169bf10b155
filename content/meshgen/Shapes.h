#pragma once
// Building blocks of generated models: boxes, tubes (cylinders and cones), spheres, extruded
// outlines and flat grids, each with normals, texture coordinates and a vertex colour.
//
// Every shape is made facing outwards the way the mesh files want it: for a triangle (a, b, c),
// (b - a) x (c - a) points out of the surface, along the vertex normals. Shapes are made about
// the origin and placed with Transform.
#include "host/Maths.h"
#include "render/IndexedMesh.h"

#include <vector>

// An opaque ARGB colour from red, green and blue in 0..1.
uint32_t PackColour(float r, float g, float b);

struct MeshPart {
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;

    // Positions by the matrix, normals by its inverse transpose (renormalised). A matrix that
    // mirrors keeps the surfaces facing outwards.
    MeshPart& Transform(const Matrix& matrix);
    MeshPart& Move(float x, float y, float z);
    MeshPart& Turn(float pitch, float yaw, float roll);  // radians about x, y, z, in that order
    MeshPart& Colour(float r, float g, float b);
    MeshPart& Append(const MeshPart& other);
    // Turns the surface inside out (normals and triangles), for shapes seen from within.
    MeshPart& Invert();

    // Appends a vertex; returns its index.
    int AddVertex(const Vec3& position, const Vec3& normal, float u, float v);
    // Appends a triangle, ordered so that it faces along outward.
    void AddTriangle(int a, int b, int c, const Vec3& outward);
    // A flat four-cornered face (corners in order around it) facing along normal.
    void AddQuad(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3, const Vec3& normal);
};

// A box of the given size centred on the origin; each face maps the whole texture.
MeshPart Box(const Vec3& size);
// A tube along +y from y = 0 to height, radius bottom at its foot and top at its head (a
// cylinder when equal, a cone when top is 0), with caps where the radius is not 0.
MeshPart Tube(float bottom, float top, float height, int sides);
MeshPart Cylinder(float radius, float height, int sides);
MeshPart Cone(float radius, float height, int sides);
// A sphere about the origin; latitude rings from the south pole up.
MeshPart Sphere(float radius, int rings, int segments);
// Upper half of a sphere (rings of the dome), closed by a flat disc at y = 0.
MeshPart Dome(float radius, int rings, int segments);
// A flat band between two radii, lying just above y = 0 and facing up, with enough sides to
// follow the ground it is draped over.
MeshPart Annulus(float inner, float outer, int sides);
// An outline in the x/y plane (any turning sense, no crossing edges) extruded along z from
// -depth / 2 to depth / 2, with flat caps.
MeshPart Extrusion(const std::vector<Vec2>& outline, float depth);
// A flat grid on y = 0 facing up, size x by z, centred, cells by cells; texture over the whole.
MeshPart Grid(float sizeX, float sizeZ, int cells);
