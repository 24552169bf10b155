#pragma once
// Meshes for the world's tests, made in code: a block (its top facing up, its bottom facing
// down) or a flat plate of one or more shelves, in the world's coordinates about the entity's
// position (the file stores x mirrored, as mesh files do). Built for the simulation, without a
// graphics device.
#include "render/IndexedMesh.h"

#include <vector>

struct MeshShelf {
    float x0, x1, z0, z1;  // world x and z, x0 < x1 and z0 < z1
    float y;
    bool up = true;  // the face looks up (a top) or down (an underside)
};

inline IndexedMesh* ShelvesMesh(const std::vector<MeshShelf>& shelves)
{
    IndexedMesh* mesh = new IndexedMesh();
    mesh->materials.resize(1);
    MeshGeometry& geometry = mesh->materials[0].EditGeometry();
    for (const MeshShelf& s : shelves) {
        int first = (int)geometry.vertices.size();
        // File x is the world's negated: the world's x0 is the file's larger x.
        for (const Vec3& corner : {Vec3(-s.x1, s.y, s.z0), Vec3(-s.x1, s.y, s.z1), Vec3(-s.x0, s.y, s.z0),
                                   Vec3(-s.x0, s.y, s.z1)}) {
            MeshVertex vertex;
            vertex.position = corner;
            vertex.normal = Vec3(0.0f, s.up ? 1.0f : -1.0f, 0.0f);
            geometry.vertices.push_back(vertex);
        }
        int a = first, b = first + 1, c = first + 2, d = first + 3;
        if (s.up) {
            geometry.triangles.push_back(MeshTriangle{{a, b, c}});
            geometry.triangles.push_back(MeshTriangle{{c, b, d}});
        } else {
            geometry.triangles.push_back(MeshTriangle{{a, c, b}});
            geometry.triangles.push_back(MeshTriangle{{c, d, b}});
        }
    }
    mesh->BuildBuffers(nullptr, false);
    mesh->ComputeBounds();
    return mesh;
}

// A block from bottom to top over the rectangle.
inline IndexedMesh* BlockMesh(float x0, float x1, float z0, float z1, float bottom, float top)
{
    return ShelvesMesh({{x0, x1, z0, z1, top, true}, {x0, x1, z0, z1, bottom, false}});
}
