// Instance batches (copies of one placed object baked into one vertex array and drawn with one
// call), meshes draped over the ground, and per-vertex colours.
#include "render/IndexedMesh.h"

#include "host/Log.h"
#include "platform/GameSeam.h"

#include <algorithm>
#include <cmath>

int IndexedMesh::MaxInstancesPerBatch() const
{
    int vertexCount = materials.empty() ? 0 : materials[0].VertexCount();
    if (vertexCount <= 0) return MAX_MESH_INSTANCES;
    return std::min(MAX_MESH_INSTANCES, MAX_SUBMESH_VERTICES / vertexCount);
}

int IndexedMesh::AddInstance(const Matrix& matrix, bool rebuildNow, const IndexedMesh* source)
{
    if (source) {
        if (source->SubMeshCount() != 1) return -1;
        if (source != this) Clone(*source);
    }
    if (InstanceCount() >= MaxInstancesPerBatch()) return -1;
    if (instanceMatrices.capacity() == 0) {
        instanceMatrices.reserve(MAX_MESH_INSTANCES);
        instanceFlags.reserve(MAX_MESH_INSTANCES);
    }
    flags |= MESH_INSTANCED;
    instanceMatrices.push_back(matrix);
    instanceFlags.push_back(0);
    if (rebuildNow) Skin(0, true, 0, false);
    return InstanceCount() - 1;
}

void IndexedMesh::ClearInstances()
{
    flags &= ~MESH_INSTANCED;
    instanceMatrices.clear();
    instanceFlags.clear();
}

void IndexedMesh::Skin(int subMesh, bool rewriteIndices, int preset, bool conformToTerrain)
{
    if (materials.empty() || instanceMatrices.empty()) return;
    if (subMesh < 0 || subMesh >= MaterialCount()) return;
    colourPreset = preset;
    if (SubMeshCount() < MaterialCount()) subMeshes.resize(materials.size());

    const MeshMaterial& material = materials[subMesh];
    SubMesh& sub = subMeshes[subMesh];
    const int vertexCount = material.VertexCount();
    // 16-bit indices reach 65,536 vertices: instances beyond that are left out of the batch.
    int instances = InstanceCount();
    if (vertexCount > 0) instances = std::min(instances, MAX_SUBMESH_VERTICES / vertexCount);
    sub.vertexCount = vertexCount;
    sub.triangleCount = material.TriangleCount();

    if (rewriteIndices) {
        sub.indices.resize((size_t)material.TriangleCount() * 3 * instances);
        uint16_t* out = sub.indices.data();
        for (int k = 0; k < instances; ++k) {
            int base = k * vertexCount;
            for (const MeshTriangle& triangle : material.Triangles()) {
                *out++ = (uint16_t)(triangle.index[0] + base);
                *out++ = (uint16_t)(triangle.index[2] + base);
                *out++ = (uint16_t)(triangle.index[1] + base);
            }
        }
        sub.indicesChanged = true;
    }

    boundsMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    boundsMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    sub.vertices.resize((size_t)vertexCount * instances);
    MeshGpuVertex* out = sub.vertices.data();
    GameSeam& game = GetGameSeam();
    for (int k = 0; k < instances; ++k) {
        const Matrix& m = instanceMatrices[k];
        const uint32_t instanceFlag = instanceFlags[k];
        float multipliers[3];
        GetColourPreset(colourPreset, multipliers);
        if (instanceFlag & 2) {
            multipliers[0] = 0.2f, multipliers[1] = 0.8f, multipliers[2] = 1.0f;
        } else if (instanceFlag & 4) {
            multipliers[0] = 1.0f, multipliers[1] = 0.2f, multipliers[2] = 0.2f;
        } else if (instanceFlag & 8) {
            multipliers[0] = 1.0f, multipliers[1] = 1.0f, multipliers[2] = 0.2f;
        }
        for (const MeshVertex& vertex : material.Vertices()) {
            Vec3 p, n;
            Vec3TransformCoord(&p, &vertex.position, &m);
            Vec3TransformNormal(&n, &vertex.normal, &m);
            WriteGpuVertex(vertex, p, n, multipliers, out);
            float ground;
            if (conformToTerrain && (instanceFlag & 1) &&
                game.GetTerrainHeight(out->position[0], out->position[2], 0, &ground))
                out->position[1] = ground + 0.4f;
            Vec3 written(out->position);
            Vec3Minimize(&boundsMin, &boundsMin, &written);
            Vec3Maximize(&boundsMax, &boundsMax, &written);
            ++out;
        }
    }
    sub.verticesChanged = true;
}

void IndexedMesh::ConformToTerrain(int i, const Vec3& position, bool recomputeNormals, int option)
{
    if (i < 0 || i >= SubMeshCount()) return;
    SubMesh& sub = subMeshes[i];
    if (sub.vertices.empty()) return;
    GameSeam& game = GetGameSeam();
    for (MeshGpuVertex& vertex : sub.vertices) {
        // The vertex holds the mirrored x, so the ground point is position.x minus the file x.
        float ground;
        if (game.GetTerrainHeight(position.x + vertex.position[0], position.z + vertex.position[2], option, &ground))
            vertex.position[1] = ground;
    }
    if (recomputeNormals) {
        const size_t count = sub.vertices.size();
        for (size_t t = 0; t + 2 < sub.indices.size(); t += 3) {
            uint16_t index[3] = {sub.indices[t], sub.indices[t + 1], sub.indices[t + 2]};
            if (index[0] >= count || index[1] >= count || index[2] >= count) continue;
            Vec3 a(sub.vertices[index[0]].position), b(sub.vertices[index[1]].position), c(sub.vertices[index[2]].position);
            Vec3 e1 = a - b, e2 = b - c, normal;
            Vec3Cross(&normal, &e1, &e2);
            for (uint16_t k : index) {
                sub.vertices[k].normal[0] += normal.x;
                sub.vertices[k].normal[1] += normal.y;
                sub.vertices[k].normal[2] += normal.z;
            }
        }
        for (MeshGpuVertex& vertex : sub.vertices) {
            Vec3 normal(vertex.normal);
            Vec3Normalize(&normal, &normal);
            vertex.normal[0] = normal.x;
            vertex.normal[1] = normal.y;
            vertex.normal[2] = normal.z;
        }
    }
    for (const MeshGpuVertex& vertex : sub.vertices) {
        Vec3 p(vertex.position);
        Vec3Minimize(&boundsMin, &boundsMin, &p);
        Vec3Maximize(&boundsMax, &boundsMax, &p);
        Vec3Minimize(&sub.boundsMin, &sub.boundsMin, &p);
        Vec3Maximize(&sub.boundsMax, &sub.boundsMax, &p);
    }
    sub.verticesChanged = true;
}

void IndexedMesh::SetVertexColours(int i, uint32_t colour)
{
    if (i < 0 || i >= SubMeshCount()) return;
    for (MeshGpuVertex& vertex : subMeshes[i].vertices) vertex.colour = colour;
    subMeshes[i].verticesChanged = true;
}
