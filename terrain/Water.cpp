#include "terrain/Water.h"

#include "host/System.h"
#include "platform/RandomUtil.h"
#include "render/Effect.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The water lies at one height unit: every lower cell is flooded.
constexpr float WATER_LEVEL = 1.0f;
// Zone points lie at least this far above the ground under them.
constexpr float ZONE_POINT_CLEARANCE = 0.5f;
// Surface texture coordinates repeat this often across the map.
constexpr float SURFACE_TEXTURE_REPEAT = 12.0f;

float Unit() { return MAP_WORLD_SIZE * 0.0078125f; }

uint32_t ByteOf(float v)
{
    return (uint32_t)std::clamp((int)(v * 255.0f), 0, 255);
}

}  // namespace

bool LabelRegion(const Terrain& terrain, std::vector<int>& cells, int* counter)
{
    const int w = terrain.width, h = terrain.height;
    if (w < 3 || h < 3 || cells.size() != (size_t)w * h || !counter) return false;
    int seedX = -1, seedZ = -1;
    for (int z = 0; z <= h - 2 && seedX < 0; ++z)
        for (int x = 0; x <= w - 2; ++x)
            if (cells[(size_t)z * w + x] == 1) {
                seedX = x, seedZ = z;
                break;
            }
    if (seedX < 0) return false;

    const int region = (*counter)++;
    cells[(size_t)seedZ * w + seedX] = region;
    // Breadth first; the queue grows with the flood's front instead of dropping cells.
    std::vector<IntPoint> queue;
    queue.push_back(IntPoint(seedX, seedZ));
    static const int steps[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (size_t next = 0; next < queue.size(); ++next) {
        IntPoint at = queue[next];
        for (const auto& step : steps) {
            int x = at.x + step[0], z = at.y + step[1];
            if (x <= 0 || x >= w - 1 || z <= 0 || z >= h - 1) continue;
            int& cell = cells[(size_t)z * w + x];
            if (cell != 1) continue;
            cell = region;
            queue.push_back(IntPoint(x, z));
        }
    }
    return true;
}

WaterSet::WaterSet() = default;
WaterSet::~WaterSet() = default;

float WaterSet::GetWorldScale() const
{
    return scale * Unit();
}

void WaterSet::Clear()
{
    for (auto& mesh : meshes) mesh.reset();
    count = 0;
    lava = false;
}

void WaterSet::Build(const Terrain& terrain)
{
    Clear();
    scale = 1.0f;
    terrain_ = &terrain;
    const int w = terrain.width, h = terrain.height;
    if (!terrain.heightmap || w < 5 || h < 5) return;
    const Heightmap& hm = *terrain.heightmap;
    const float k = Unit();
    std::vector<int> vertexRegions((size_t)w * h, 0), cellRegions((size_t)w * h, 0);
    auto at = [w](int x, int z) { return (size_t)z * w + x; };

    // A low vertex floods the four cells around it. The outer two rings never start a flood.
    for (int z = 2; z <= h - 3; ++z)
        for (int x = 2; x <= w - 3; ++x)
            if (hm.GetHeightAt(x, z) * k < WATER_LEVEL * k) {
                cellRegions[at(x, z)] = cellRegions[at(x - 1, z)] = 1;
                cellRegions[at(x, z - 1)] = cellRegions[at(x - 1, z - 1)] = 1;
            }
    int regions = 2;
    for (int i = 0; i < MAX_SURFACES; ++i)
        if (!LabelRegion(terrain, cellRegions, &regions)) break;

    const Environment* environment = Environment::GetCurrent();
    lava = environment && strcmp(environment->name, "lava") == 0;
    const Vec4& light = EffectValues.lightDirection;
    const Vec3 towardLight(-light.x, -light.y, -light.z);
    std::vector<int> index((size_t)w * h, -1);

    for (int r = 2; r < regions && count < MAX_SURFACES; ++r) {
        std::fill(vertexRegions.begin(), vertexRegions.end(), 0);
        for (int z = 2; z <= h - 3; ++z)
            for (int x = 2; x <= w - 3; ++x)
                if (cellRegions[at(x, z)] == r)
                    for (int j = z - 1; j <= z + 1; ++j)
                        for (int i = x - 1; i <= x + 1; ++i) vertexRegions[at(i, j)] = r;
        size_t vertices = std::count(vertexRegions.begin(), vertexRegions.end(), r);
        size_t cells = std::count(cellRegions.begin(), cellRegions.end(), r);
        if (vertices == 0 || cells == 0) break;

        auto mesh = std::make_unique<IndexedMesh>();
        snprintf(mesh->name, sizeof mesh->name, lava ? "lava_%d" : "water_%d", count);
        mesh->materials.resize(1);
        MeshMaterial& material = mesh->materials[0];
        if (lava) {
            CopyText(material.textureName, sizeof material.textureName, "Data/textures/lava_river.dds");
            CopyText(material.normalMapName, sizeof material.normalMapName, "Data/textures/waves.dds");
            CopyText(material.specularMapName, sizeof material.specularMapName, "Data/textures/red.dds");
            CopyText(material.effectName, sizeof material.effectName, "Data/shaders/lava.fx");
        } else {
            CopyText(material.textureName, sizeof material.textureName, "Data/textures/white.dds");
            CopyText(material.normalMapName, sizeof material.normalMapName, "Data/textures/waves.dds");
            CopyText(material.specularMapName, sizeof material.specularMapName, "Data/textures/white.dds");
            CopyText(material.blendTextureName, sizeof material.blendTextureName,
                     "Data/textures/final/ground/smallstones.dds");
            CopyText(material.effectName, sizeof material.effectName, "Data/shaders/reflect_refract.fx");
        }
        CopyText(material.techniqueName, sizeof material.techniqueName, "main");
        material.repeatU = material.repeatV = 1.0f;

        MeshGeometry& geometry = material.EditGeometry();
        geometry.vertices.reserve(vertices);
        std::fill(index.begin(), index.end(), -1);
        for (int z = 0; z < h; ++z)
            for (int x = 0; x < w; ++x) {
                if (vertexRegions[at(x, z)] != r) continue;
                Vec3 p((float)(x - w / 2) * k, scale * k, (float)(h / 2 - z) * k);
                MeshVertex vertex;
                vertex.position = Vec3(-p.x, p.y, p.z);
                vertex.u = -((float)x / (float)w) * SURFACE_TEXTURE_REPEAT;
                vertex.v = ((float)z / (float)h) * SURFACE_TEXTURE_REPEAT;
                vertex.normal = Vec3(0.0f, 1.0f, 0.0f);
                // Alpha and green carry the depth of the water, red the light on the ground.
                float ground = terrain.GetHeight(p, nullptr, false);
                float depth = ground < p.y ? std::clamp((p.y - ground) / k, 0.0f, 1.0f) : 0.0f;
                Vec3 normal = terrain.GetInterpolatedNormal(p);
                float lit = std::clamp(Vec3Dot(&normal, &towardLight) + 0.5f, 0.0f, 1.0f);
                vertex.colour = ByteOf(depth) << 24 | ByteOf(lit) << 16 | ByteOf(depth) << 8 | ByteOf(depth * 0.1f);
                index[at(x, z)] = (int)geometry.vertices.size();
                geometry.vertices.push_back(vertex);
            }
        for (int z = 0; z <= h - 2; ++z)
            for (int x = 0; x <= w - 2; ++x) {
                if (cellRegions[at(x, z)] != r) continue;
                int v00 = index[at(x, z)], v10 = index[at(x + 1, z)];
                int v01 = index[at(x, z + 1)], v11 = index[at(x + 1, z + 1)];
                if (v00 < 0 || v10 < 0 || v01 < 0 || v11 < 0) continue;
                // Wound to face up, like the ground.
                geometry.triangles.push_back(MeshTriangle{{v00, v01, v10}});
                geometry.triangles.push_back(MeshTriangle{{v01, v11, v10}});
            }
        mesh->BuildBuffers(nullptr, false);
        meshes[count++] = std::move(mesh);
    }
}

void WaterSet::BuildZones()
{
    for (WaterZone& zone : zones) zone = WaterZone();
    zoneCount = 0;
    for (int s = 0; s < count && zoneCount < MAX_ZONES; ++s) {
        const IndexedMesh* mesh = meshes[s].get();
        if (!mesh || mesh->materials.empty()) continue;
        // The mesh's box is where it is drawn: query space already.
        const Vec3 min = mesh->boundsMin, max = mesh->boundsMax;
        const float dx = std::fabs(max.x - min.x), dz = std::fabs(max.z - min.z);
        const std::vector<MeshVertex>& vertices = mesh->materials[0].Vertices();
        const int n = (int)vertices.size();
        auto surfacePoint = [](const MeshVertex& vertex) {
            return Vec3(-vertex.position.x, vertex.position.y, vertex.position.z);
        };
        auto clear = [this](const Vec3& p) {
            return !terrain_ || p.y - terrain_->GetHeight(p, nullptr, false) > ZONE_POINT_CLEARANCE;
        };

        if (n < ZONE_SPLIT_VERTICES) {
            WaterZone& zone = zones[zoneCount++];
            zone.boxMin = min;
            zone.boxMax = max;
            for (const MeshVertex& vertex : vertices) {
                Vec3 p = surfacePoint(vertex);
                if ((int)zone.points.size() < n && clear(p)) zone.points.push_back(p);
            }
            zone.pointCount = (int)zone.points.size();
            continue;
        }
        const bool alongX = dz < dx;
        const float length = alongX ? dx : dz;
        const size_t capacity = (size_t)((int)dx * (int)dz / 8 + 8);
        for (int j = 0; j < 8 && zoneCount < MAX_ZONES; ++j) {
            WaterZone& zone = zones[zoneCount++];
            zone.boxMin = Vec3(min.x, min.y, min.z);
            zone.boxMax = Vec3(max.x, min.y, max.z);
            float from = (alongX ? min.x : min.z) + (float)j * length / 8.0f;
            float to = (alongX ? min.x : min.z) + (float)(j + 1) * length / 8.0f;
            (alongX ? zone.boxMin.x : zone.boxMin.z) = from;
            (alongX ? zone.boxMax.x : zone.boxMax.z) = to;
            for (const MeshVertex& vertex : vertices) {
                if (zone.points.size() >= capacity) break;
                Vec3 p = surfacePoint(vertex);
                bool inside = p.x > zone.boxMin.x && p.x < zone.boxMax.x && p.z > zone.boxMin.z && p.z < zone.boxMax.z;
                if (inside && clear(p)) zone.points.push_back(p);
            }
            zone.pointCount = (int)zone.points.size();
        }
    }
}

void WaterSet::ReleaseAll()
{
    for (int i = 0; i < count; ++i)
        if (meshes[i]) meshes[i]->ReleaseBuffers();
}

void WaterSet::RestoreAll()
{
    for (int i = 0; i < count; ++i)
        if (meshes[i]) meshes[i]->RestoreBuffers();
}

void WaterSet::DrawVisible(int pass, bool cull)
{
    if (pass != 0 || count == 0) return;
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    for (int i = 0; i < count; ++i) {
        IndexedMesh* mesh = meshes[i].get();
        if (!mesh) continue;
        if (cull && Frustum && Frustum->ClassifyBox(mesh->boundsMin, mesh->boundsMax) == ViewFrustum::OUTSIDE) continue;
        MeshRenderPosition = Vec3();
        mesh->Render(pass, false);
    }
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
}

bool WaterSet::AnyVisible() const
{
    for (int i = 0; i < count; ++i) {
        const IndexedMesh* mesh = meshes[i].get();
        if (mesh && (!Frustum || Frustum->ClassifyBox(mesh->boundsMin, mesh->boundsMax) != ViewFrustum::OUTSIDE))
            return true;
    }
    return false;
}

bool WaterSet::GetVisibleBox(Vec3* min, Vec3* max) const
{
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const IndexedMesh* mesh = meshes[i].get();
        if (!mesh || (Frustum && Frustum->ClassifyBox(mesh->boundsMin, mesh->boundsMax) == ViewFrustum::OUTSIDE))
            continue;
        if (!any) {
            *min = mesh->boundsMin;
            *max = mesh->boundsMax;
        } else {
            Vec3Minimize(min, min, &mesh->boundsMin);
            Vec3Maximize(max, max, &mesh->boundsMax);
        }
        any = true;
    }
    return any;
}

bool WaterSet::RandomPointInVisibleZone(Vec3* out) const
{
    const WaterZone* chosen = nullptr;
    int seen = 0;
    for (int i = 0; i < zoneCount; ++i) {
        const WaterZone& zone = zones[i];
        if (zone.pointCount <= 0) continue;
        if (Frustum && Frustum->ClassifyBox(zone.boxMin, zone.boxMax) <= ViewFrustum::OUTSIDE) continue;
        // Reservoir choice: every visible zone ends up equally likely. What is in view is the
        // camera's business, so only the cosmetic generator is drawn from.
        ++seen;
        if (CosmeticRandom().Int(0, seen - 1) == 0) chosen = &zone;
    }
    if (!chosen) return false;
    if (out) *out = chosen->points[(size_t)CosmeticRandom().Int(0, chosen->pointCount - 1)];
    return true;
}
