// Building a mesh from its file data, copies of meshes, and the bounds and ray queries. The
// pose (animation, joints, skinning) is in MeshSkinning.cpp, instance batches and draping in
// MeshInstances.cpp, the text format in MeshFormat.cpp.
#include "render/IndexedMesh.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/MathUtil.h"
#include "platform/RandomUtil.h"
#include "render/AnimLibrary.h"
#include "render/GraphicsDevice.h"
#include "render/MeshLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// Per-vertex tangents for normal mapping, from the mesh's own vertex layout.
void ComputeVertexTangents(std::vector<MeshGpuVertex>& vertices, const std::vector<MeshTriangle>& triangles)
{
    const size_t count = vertices.size();
    std::vector<Vec3> positions(count), normals(count);
    std::vector<float> texcoords(count * 3, 0.0f);
    for (size_t i = 0; i < count; ++i) {
        positions[i] = Vec3(vertices[i].position);
        normals[i] = Vec3(vertices[i].normal);
        texcoords[i * 3] = vertices[i].u;
        texcoords[i * 3 + 1] = vertices[i].v;
    }
    std::vector<int> indices;
    indices.reserve(triangles.size() * 3);
    for (const MeshTriangle& triangle : triangles) indices.insert(indices.end(), triangle.index, triangle.index + 3);
    std::vector<Vec4> tangents(count);
    ComputeTangents((int)count, positions.data(), normals.data(), texcoords.data(), (int)triangles.size(), indices.data(),
                    tangents.data());
    for (size_t i = 0; i < count; ++i) {
        vertices[i].tangent[0] = tangents[i].x;
        vertices[i].tangent[1] = tangents[i].y;
        vertices[i].tangent[2] = tangents[i].z;
        vertices[i].tangent[3] = tangents[i].w;
    }
}

void Grow(Vec3& min, Vec3& max, const float* p)
{
    min.x = std::min(min.x, p[0]);
    min.y = std::min(min.y, p[1]);
    min.z = std::min(min.z, p[2]);
    max.x = std::max(max.x, p[0]);
    max.y = std::max(max.y, p[1]);
    max.z = std::max(max.z, p[2]);
}

// Ray against one triangle, back faces culled, and only in front of the origin.
bool RayHitsTriangle(const Vec3& origin, const Vec3& direction, const Vec3& a, const Vec3& b, const Vec3& c, float* distance)
{
    float hit;
    if (!IntersectRayTriangle(origin, direction, a, b, c, &hit, nullptr, nullptr) || hit < 0.0f) return false;
    *distance = hit;
    return true;
}

}  // namespace

uint32_t ScaleColour(uint32_t argb, const float multipliers[3])
{
    if (multipliers[0] == 1.0f && multipliers[1] == 1.0f && multipliers[2] == 1.0f) return argb;
    uint32_t out = argb & 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
        int shift = 16 - 8 * i;
        float value = (float)((argb >> shift) & 0xFF) / 255.0f * multipliers[i];
        uint32_t byte = value >= 1.0f ? 255u : value <= 0.0f ? 0u : (uint32_t)(value * 255.0f + 0.5f);
        out |= byte << shift;
    }
    return out;
}

void WriteMirrored(const Vec3& position, const Vec3& normal, MeshGpuVertex* out)
{
    out->position[0] = -position.x;
    out->position[1] = position.y;
    out->position[2] = position.z;
    out->normal[0] = -normal.x;
    out->normal[1] = normal.y;
    out->normal[2] = normal.z;
}

void WriteGpuVertex(const MeshVertex& vertex, const Vec3& position, const Vec3& normal, const float multipliers[3],
                    MeshGpuVertex* out)
{
    WriteMirrored(position, normal, out);
    out->colour = ScaleColour(vertex.colour, multipliers);
    out->u = vertex.u;
    out->v = -vertex.v;
    out->tangent[0] = vertex.tangent.x;
    out->tangent[1] = vertex.tangent.y;
    out->tangent[2] = vertex.tangent.z;
    out->tangent[3] = vertex.tangent.w;
}

void GetColourPreset(int preset, float out[3])
{
    auto draw = [](float lo, float hi) { return CosmeticRandom().Float(lo, hi); };
    out[0] = out[1] = out[2] = 1.0f;
    switch (preset) {
    case 1:
        out[0] = draw(0.8f, 1.0f);
        out[1] = draw(0.8f, 1.0f);
        out[2] = draw(0.8f, 1.0f);
        break;
    case 2:
        out[0] = out[1] = out[2] = draw(0.8f, 1.0f);
        break;
    case 3:
        out[0] = out[2] = draw(0.75f, 1.0f);
        break;
    case 4:
        out[1] = out[2] = draw(0.75f, 1.0f);
        break;
    case 5:
        out[0] = out[1] = draw(0.75f, 1.0f);
        break;
    case 6:
        out[1] = out[2] = 0.0f;
        break;
    default:
        break;
    }
}

// ---- Records

MeshMaterial::MeshMaterial() : geometry(std::make_shared<MeshGeometry>()), repeatU(1.0f), repeatV(1.0f)
{
    CopyText(textureName, sizeof textureName, "NO_TEXTURE");
    CopyText(cubeMapName, sizeof cubeMapName, "none");
    CopyText(normalMapName, sizeof normalMapName, "none");
    CopyText(specularMapName, sizeof specularMapName, "none");
    CopyText(effectName, sizeof effectName, "none");
    CopyText(techniqueName, sizeof techniqueName, "none");
    CopyText(blendTextureName, sizeof blendTextureName, "none");
    CopyText(blendNormalMapName, sizeof blendNormalMapName, "none");
    CopyText(alphaMapName, sizeof alphaMapName, "none");
}

MeshGeometry& MeshMaterial::EditGeometry()
{
    if (geometry.use_count() > 1) geometry = std::make_shared<MeshGeometry>(*geometry);
    geometry->skinPlan.reset();
    return *geometry;
}

MeshJoint::MeshJoint() : parent(-1), firstChild(-1), nextSibling(-1), flags(0)
{
    CopyText(name, sizeof name, "none");
    MatrixIdentity(&bindMatrix);
    MatrixIdentity(&worldMatrix);
    MatrixIdentity(&inverseBindMatrix);
    MatrixIdentity(&skinMatrix);
}

// ---- Construction

IndexedMesh::IndexedMesh()
{
    name[0] = 0;
    for (int i = 0; i < ANIMATION_ID_COUNT; ++i) {
        slotAnimationId[i] = 0;
        animationSlot[i] = -1;
        slotFlags[i] = 0;
    }
}

IndexedMesh::IndexedMesh(const char* fileName, int bufferMode, bool dynamic, bool loadNow) : IndexedMesh()
{
    CopyText(name, sizeof name, fileName ? fileName : "");
    if (bufferMode == 3) {
        flags |= MESH_DYNAMIC;
        dynamic = true;
    }
    if (loadNow && LoadMeshFile(name)) BuildBuffers(nullptr, dynamic);
}

IndexedMesh::~IndexedMesh()
{
    if (library_) library_->RemoveMesh(this);
    if (TheAnimLibrary) TheAnimLibrary->ForgetMesh(this);
}

void IndexedMesh::ClearData()
{
    materials.clear();
    joints.clear();
    subMeshes.clear();
    flags &= ~(MESH_SKINNED | MESH_BUILT);
    boundsMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    boundsMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    boundsAngle = -999.0f;
}

void IndexedMesh::ResetAnimationState()
{
    time = 0.0f;
    blendRemaining = 0.0f;
    lastKey = -1;
    lastFraction = -1.0f;
    lastAnimation = nullptr;
    lastFrame = -1;
    currentSlot = -1;
    previousSlot = -1;
    currentKey = 0;
    // Nothing of the pose before: no tick's pose to move from, the next sample taken from rest
    // (a wheel's turn too), the vertices skinned anew with the next pose. The pose itself stays
    // what it was until that sample.
    skinBeforeTick.clear();
    skinBeforeVersion = 0;
    poseTick = -1;
    skinnedFrame = skinnedTick = -1;
    skinnedShare = -1.0f;
    wheelTurn = 0.0f;
    restPending_ = true;
}

namespace {

// The slot whose animation that is; -1 for none.
int SlotOf(const std::shared_ptr<Animation>* animations, const Animation* animation)
{
    for (int i = 0; animation && i < ANIMATION_ID_COUNT; ++i)
        if (animations[i].get() == animation) return i;
    return -1;
}

}  // namespace

std::vector<float> IndexedMesh::HoldAnimation() const
{
    std::vector<float> held = {(float)currentSlot,
                               (float)previousSlot,
                               time,
                               blendRemaining,
                               (float)currentKey,
                               (float)lastKey,
                               lastFraction,
                               (float)SlotOf(animations, lastAnimation),
                               wheelTurn,
                               restPending_ ? 1.0f : 0.0f,
                               pose.bind ? 1.0f : 0.0f,
                               (float)pose.wheel,
                               pose.wheelTurn,
                               (float)pose.samples.size()};
    for (const PoseSample& sample : pose.samples) {
        const float values[] = {(float)SlotOf(animations, sample.animation.get()), (float)sample.key, sample.fraction,
                                sample.weight, sample.blending ? 1.0f : 0.0f, sample.interpolate ? 1.0f : 0.0f};
        held.insert(held.end(), values, values + 6);
    }
    const bool based = pose.baseRotation.size() == pose.baseTranslation.size();
    const size_t base = based ? pose.baseRotation.size() : 0;
    held.push_back((float)base);
    for (size_t j = 0; j < base; ++j) {
        const Vec3& r = pose.baseRotation[j];
        const Vec3& t = pose.baseTranslation[j];
        const float values[] = {r.x, r.y, r.z, t.x, t.y, t.z};
        held.insert(held.end(), values, values + 6);
    }
    return held;
}

bool IndexedMesh::TakeBackAnimation(const std::vector<float>& held)
{
    constexpr size_t HEAD = 14;
    if (held.size() < HEAD + 1) return false;
    auto slot = [](float value) { return value >= -1.0f && value < (float)ANIMATION_ID_COUNT && value == (int)value; };
    const size_t samples = (size_t)std::max(held[13], 0.0f);
    if (held[13] != (float)samples || held.size() < HEAD + samples * 6 + 1) return false;
    const size_t baseAt = HEAD + samples * 6;
    const size_t base = (size_t)std::max(held[baseAt], 0.0f);
    if (held[baseAt] != (float)base || held.size() != baseAt + 1 + base * 6 || (base && base != joints.size()))
        return false;
    if (!slot(held[0]) || !slot(held[1]) || !slot(held[7])) return false;
    // Keys index the animations' key tables: none below the first (-1 is "no key yet").
    if (held[4] < -1.0f || held[5] < -1.0f) return false;
    PoseRecipe recipe;
    recipe.bind = held[10] != 0.0f;
    recipe.wheel = (int)held[11];
    recipe.wheelTurn = held[12];
    for (size_t i = 0; i < samples; ++i) {
        const float* v = &held[HEAD + i * 6];
        if (!slot(v[0]) || v[0] < 0.0f || !animations[(int)v[0]] || !(v[1] >= 0.0f)) return false;
        PoseSample sample;
        sample.animation = animations[(int)v[0]];
        sample.key = (int)v[1];
        sample.fraction = v[2];
        sample.weight = v[3];
        sample.blending = v[4] != 0.0f;
        sample.interpolate = v[5] != 0.0f;
        recipe.samples.push_back(sample);
    }
    for (size_t j = 0; j < base; ++j) {
        const float* v = &held[baseAt + 1 + j * 6];
        recipe.baseRotation.push_back(Vec3(v[0], v[1], v[2]));
        recipe.baseTranslation.push_back(Vec3(v[3], v[4], v[5]));
    }
    currentSlot = (int)held[0];
    previousSlot = (int)held[1];
    time = held[2];
    blendRemaining = held[3];
    currentKey = (int)held[4];
    lastKey = (int)held[5];
    lastFraction = held[6];
    lastAnimation = held[7] >= 0.0f ? animations[(int)held[7]].get() : nullptr;
    wheelTurn = held[8];
    restPending_ = held[9] != 0.0f;
    recipe.version = ++versions_;
    pose = std::move(recipe);
    // What the drawing made of the pose before is of another pose.
    poseTick = -1;
    skinnedFrame = skinnedTick = -1;
    skinnedShare = -1.0f;
    lastFrame = -1;
    return true;
}

bool IndexedMesh::LoadAndBuild(bool dynamic)
{
    std::string fileName = name;
    if (!LoadMeshFile(fileName.c_str())) return false;
    return BuildBuffers(nullptr, dynamic);
}

void IndexedMesh::WriteGpuVertices(int i, const float multipliers[3], MeshGpuVertex* out) const
{
    for (const MeshVertex& vertex : materials[i].Vertices())
        WriteGpuVertex(vertex, vertex.position, vertex.normal, multipliers, out++);
}

// Indices in draw order: each file triangle (a, b, c) as (a, c, b), offset by base.
static void WriteGpuIndices(const std::vector<MeshTriangle>& triangles, int base, uint16_t* out)
{
    for (const MeshTriangle& triangle : triangles) {
        *out++ = (uint16_t)(triangle.index[0] + base);
        *out++ = (uint16_t)(triangle.index[2] + base);
        *out++ = (uint16_t)(triangle.index[1] + base);
    }
}

bool IndexedMesh::BuildBuffers(const char* textureOverride, bool dynamic)
{
    return Build(textureOverride, dynamic, nullptr);
}

bool IndexedMesh::Build(const char* textureOverride, bool dynamic, const IndexedMesh* source)
{
    flags &= ~MESH_BUILT;
    if (!joints.empty() && !materials.empty() && materials[0].WeightCount() > 0) flags |= MESH_SKINNED;
    if (dynamic || (flags & MESH_SKINNED)) flags |= MESH_DYNAMIC;
    if (!joints.empty()) UpdateJointMatrices(0, -1, true);
    // The joints stand in the bind pose until the animation's first sample.
    pose = PoseRecipe();
    pose.version = ++versions_;
    poseBeforeTick = pose;
    jointsVersion = pose.version;
    restPending_ = true;
    poseParents_.clear();
    if (materials.empty()) return false;

    subMeshes.clear();
    subMeshes.resize(materials.size());
    ResetAnimationState();
    boundsMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    boundsMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    float multipliers[3];
    GetColourPreset(colourPreset, multipliers);

    for (int i = 0; i < MaterialCount(); ++i) {
        MeshMaterial& material = materials[i];
        SubMesh& sub = subMeshes[i];
        if (material.VertexCount() > MAX_SUBMESH_VERTICES) {
            Log("ERROR: mesh %s: material %d has %d vertices, more than one draw can index\n", name, i,
                material.VertexCount());
            subMeshes.clear();
            return false;
        }
        for (const MeshTriangle& triangle : material.Triangles())
            for (int index : triangle.index)
                if (index < 0 || index >= material.VertexCount()) {
                    Log("ERROR: mesh %s: material %d has a triangle on vertex %d of %d\n", name, i, index,
                        material.VertexCount());
                    subMeshes.clear();
                    return false;
                }
        sub.vertexCount = material.VertexCount();
        sub.triangleCount = material.TriangleCount();
        if (textureOverride) CopyText(material.textureName, sizeof material.textureName, textureOverride);
        sub.repeatU = material.repeatU;
        sub.repeatV = material.repeatV;
        BindMaterial(i);

        sub.vertices.resize(material.VertexCount());
        WriteGpuVertices(i, multipliers, sub.vertices.data());
        for (const MeshGpuVertex& vertex : sub.vertices) {
            Grow(boundsMin, boundsMax, vertex.position);
            Grow(sub.boundsMin, sub.boundsMax, vertex.position);
        }
        sub.indices.resize(material.TriangleCount() * 3);
        WriteGpuIndices(material.Triangles(), 0, sub.indices.data());

        ComputeVertexTangents(sub.vertices, material.Triangles());
        // The tangents follow from the geometry alone, so every mesh sharing it stores the same.
        std::vector<MeshVertex>& fileVertices = material.geometry->vertices;
        for (size_t v = 0; v < fileVertices.size(); ++v)
            fileVertices[v].tangent = Vec4(sub.vertices[v].tangent);
        sub.verticesChanged = true;
        sub.indicesChanged = true;

        // A copy indexes like its source: one index buffer serves both until one of them
        // rewrites its indices.
        if (source && i < source->SubMeshCount()) {
            const SubMesh& original = source->subMeshes[i];
            if (original.indexBuffer && !original.indicesChanged && original.indices == sub.indices &&
                original.bufferIndices == sub.indices.size() && Graphics &&
                original.indexBuffer.Get()->GetDevice() == Graphics->device) {
                sub.indexBuffer.Share(original.indexBuffer.Get());
                sub.bufferIndices = original.bufferIndices;
                sub.indexBufferShared = original.indexBufferShared = true;
                sub.indicesChanged = false;
            }
        }
        // Without a device the mesh is built for the simulation (bounds, joints, rays) and
        // gets its buffers when it is first drawn.
        if (Graphics && Graphics->device && !UploadBuffers(i)) return false;
    }
    ComputeCentre();
    flags |= MESH_BUILT;
    return true;
}

void IndexedMesh::Clone(const IndexedMesh& source)
{
    if (&source == this) return;
    ClearData();
    flags = source.flags;
    scale = source.scale;
    centre = source.centre;
    radius = source.radius;
    colourPreset = source.colourPreset;
    materials = source.materials;  // names copied, geometry shared
    joints = source.joints;        // links are indices, so they stay right
    Build(nullptr, false, &source);

    animationCount = source.animationCount;
    for (int i = 0; i < ANIMATION_ID_COUNT; ++i) {
        animations[i] = source.animations[i];
        slotAnimationId[i] = source.slotAnimationId[i];
        animationSlot[i] = source.animationSlot[i];
        slotFlags[i] = source.slotFlags[i];
    }
    char baseName[MAX_PATH_TEXT];
    GetFileBaseName(source.name, baseName);
    std::string cloneName = std::string(baseName) + "_clone";
    CopyText(name, sizeof name, cloneName.c_str());
    if (TheMeshLibrary && !library_) TheMeshLibrary->Add(this, nullptr, 0);
}

void IndexedMesh::CreateDebugGrid(const Vec3& origin, const int* rectangles, int count, float cellSize)
{
    ClearData();
    materials.resize(1);
    MeshMaterial& material = materials[0];
    CopyText(material.effectName, sizeof material.effectName, "Data/shaders/splat.fx");
    CopyText(material.textureName, sizeof material.textureName, "Data/textures/grid.dds");
    CopyText(material.techniqueName, sizeof material.techniqueName, "main");
    MeshGeometry& geometry = material.EditGeometry();
    for (int r = 0; r < count && rectangles; ++r) {
        const int* rect = rectangles + 4 * r;
        int x0 = rect[0], y0 = rect[1], x1 = rect[2], y1 = rect[3];
        if (x1 < x0 || y1 < y0) continue;
        long long columns = (long long)x1 - x0 + 1, rows = (long long)y1 - y0 + 1;
        if ((long long)geometry.vertices.size() + columns * rows > MAX_SUBMESH_VERTICES) {
            Log("WARNING: debug grid: rectangle %d does not fit one draw; left out\n", r);
            continue;
        }
        int base = (int)geometry.vertices.size();
        for (int j = y0; j <= y1; ++j)
            for (int i = x0; i <= x1; ++i) {
                MeshVertex vertex;
                vertex.position = Vec3(origin.x + i * cellSize, 0.0f, origin.z + j * cellSize);
                vertex.normal = Vec3(0.0f, 1.0f, 0.0f);
                vertex.u = 0.25f + (x1 > x0 ? 0.25f * (i - x0) / (x1 - x0) : 0.0f);
                vertex.v = 0.5f + (y1 > y0 ? 0.25f * -(j - y0) / (y1 - y0) : 0.0f);
                geometry.vertices.push_back(vertex);
            }
        for (int j = 0; j < rows - 1; ++j)
            for (int i = 0; i < columns - 1; ++i) {
                int v00 = base + j * (int)columns + i;
                int v10 = v00 + 1, v01 = v00 + (int)columns, v11 = v01 + 1;
                geometry.triangles.push_back(MeshTriangle{{v00, v01, v10}});
                geometry.triangles.push_back(MeshTriangle{{v10, v01, v11}});
            }
    }
    BuildBuffers(nullptr, false);
}

// ---- Geometry

void IndexedMesh::RebuildGeometry(int i, bool rewriteIndices)
{
    if (i < 0 || i >= MaterialCount() || i >= SubMeshCount()) return;
    const MeshMaterial& material = materials[i];
    if (material.VertexCount() > MAX_SUBMESH_VERTICES) return;
    SubMesh& sub = subMeshes[i];
    float multipliers[3];
    GetColourPreset(colourPreset, multipliers);
    sub.vertexCount = material.VertexCount();
    sub.vertices.resize(material.VertexCount());
    WriteGpuVertices(i, multipliers, sub.vertices.data());
    sub.verticesChanged = true;
    if (rewriteIndices) {
        sub.triangleCount = material.TriangleCount();
        sub.indices.resize(material.TriangleCount() * 3);
        WriteGpuIndices(material.Triangles(), 0, sub.indices.data());
        sub.indicesChanged = true;
    }
    ComputeCentre();
}

void IndexedMesh::ComputeBounds()
{
    boundsMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    boundsMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    for (int i = 0; i < MaterialCount(); ++i)
        for (const MeshVertex& vertex : materials[i].Vertices()) {
            float p[3] = {-vertex.position.x, vertex.position.y, vertex.position.z};
            Grow(boundsMin, boundsMax, p);
            if (i < SubMeshCount()) Grow(subMeshes[i].boundsMin, subMeshes[i].boundsMax, p);
        }
}

void IndexedMesh::ComputeCentre()
{
    centre = Vec3();
    radius = 0.0f;
    if (materials.empty() || materials[0].VertexCount() == 0) return;
    const std::vector<MeshVertex>& vertices = materials[0].Vertices();
    Vec3 sum;
    for (const MeshVertex& vertex : vertices) sum += Vec3(-vertex.position.x, vertex.position.y, vertex.position.z);
    centre = sum / (float)vertices.size();
    for (const MeshVertex& vertex : vertices) {
        Vec3 offset = Vec3(-vertex.position.x, vertex.position.y, vertex.position.z) - centre;
        radius = std::max(radius, Vec3Length(&offset));
    }
}

void IndexedMesh::GetTransformedBounds(float angle, const Matrix* rotation)
{
    if (angle == boundsAngle) return;
    boundsAngle = angle;
    if (angle == 0.0f || !rotation) {
        transformedMin = boundsMin;
        transformedMax = boundsMax;
        return;
    }
    Vec3 middle = (boundsMin + boundsMax) * 0.5f;
    transformedMin = Vec3(1e30f, 1e30f, 1e30f);
    transformedMax = Vec3(-1e30f, -1e30f, -1e30f);
    for (int corner = 0; corner < 8; ++corner) {
        Vec3 p((corner & 1) ? boundsMax.x : boundsMin.x, (corner & 2) ? boundsMax.y : boundsMin.y,
               (corner & 4) ? boundsMax.z : boundsMin.z);
        p -= middle;
        Vec3TransformCoord(&p, &p, rotation);
        p += middle;
        float point[3] = {p.x, p.y, p.z};
        Grow(transformedMin, transformedMax, point);
    }
}

int IndexedMesh::IntersectRay(const Vec3& origin, const Vec3& direction, const Vec3& position, float rayScale,
                              const Matrix* rotation, float* outDistance, Vec3* outPoint) const
{
    if (rayScale == 0.0f) return 0;
    Vec3 o = (origin - position) / rayScale;
    Vec3 d = direction;
    if (rotation) {
        Vec3TransformCoord(&o, &o, rotation);
        Vec3TransformNormal(&d, &d, rotation);
    }
    o.x = -o.x;
    d.x = -d.x;
    for (const MeshMaterial& material : materials) {
        const std::vector<MeshVertex>& vertices = material.Vertices();
        for (const MeshTriangle& triangle : material.Triangles()) {
            float distance;
            if (!RayHitsTriangle(o, d, vertices[triangle.index[0]].position, vertices[triangle.index[1]].position,
                                 vertices[triangle.index[2]].position, &distance))
                continue;
            if (outDistance) *outDistance = distance;
            if (outPoint) *outPoint = o + d * distance;
            return 1;
        }
    }
    return 0;
}

bool IndexedMesh::PickRay(const Vec3& origin, const Vec3& direction, float rayScale, const Vec3& position,
                          const Matrix* rotation, float angle)
{
    Vec3 min = boundsMin, max = boundsMax;
    if (rotation && angle != 0.0f) {
        GetTransformedBounds(angle, rotation);
        min = transformedMin;
        max = transformedMax;
    }
    min = min * rayScale + position;
    max = max * rayScale + position;
    if (!BoxBoundProbe(&min, &max, &origin, &direction)) return false;
    if (SubMeshCount() < 2) return true;
    for (const SubMesh& sub : subMeshes) {
        Vec3 subMin = sub.boundsMin * rayScale + position;
        Vec3 subMax = sub.boundsMax * rayScale + position;
        if (BoxBoundProbe(&subMin, &subMax, &origin, &direction)) return true;
    }
    return false;
}

int IndexedMesh::FindJoint(const char* jointName) const
{
    return FindFrameByName(joints.data(), JointCount(), jointName);
}

int FindFrameByName(const MeshJoint* frames, int count, const char* name)
{
    if (!frames || !name) return -1;
    for (int i = 0; i < count; ++i)
        if (StrICmp(frames[i].name, name) == 0) return i;
    return -1;
}

Vec3 GetBoneWorldPosition(const IndexedMesh* mesh, int bone, const Matrix& entityWorld, float scale, const Vec3& position)
{
    if (!mesh || bone < 0 || bone >= mesh->JointCount()) return position;
    // The joint lives in the file's space; the world sees the mesh mirrored, so x flips.
    Matrix frame = mesh->JointPoseMatrix(bone);
    frame._41 = -frame._41;
    Matrix scaling, combined;
    MatrixScaling(&scaling, scale, scale, scale);
    MatrixMultiply(&combined, &frame, &entityWorld);
    MatrixMultiply(&combined, &combined, &scaling);
    return Vec3(combined._41, combined._42, combined._43) + position;
}
