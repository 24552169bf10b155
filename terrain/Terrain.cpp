// Filling the terrain for a level: the heightmap, the normals, the chunk meshes and their
// refresh after edits, and the device-loss protocol. The queries are in TerrainQueries.cpp,
// the colour, class and alpha layers and the splats in TerrainLayers.cpp, drawing in
// TerrainRender.cpp, environments in Environment.cpp.
#include "terrain/Terrain.h"

#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/UserFolders.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/Water.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

Terrain TheTerrain;

namespace {

constexpr const char* DEFAULT_COLOUR_MAP = "data/textures/colormaps/defaultcolor.dds";
constexpr const char* DEFAULT_TERRAIN_EFFECT = "Data/shaders/terrain.fx";
// Ground texture coordinates repeat 16 times across the map: every 8 cells of a level.
constexpr float GROUND_TEXTURE_REPEAT = 16.0f;

bool IsNone(const char* name)
{
    return !name || !name[0] || StrICmp(name, "none") == 0;
}

uint8_t ColourByte(float c)
{
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    return (uint8_t)(c * 255.0f + 0.5f);
}

void ReleaseTerrainMeshes(void* terrain) { static_cast<Terrain*>(terrain)->ReleaseMeshes(); }
void RestoreTerrainMeshes(void* terrain) { static_cast<Terrain*>(terrain)->OnResetDevice(); }

}  // namespace

// ---- Chunks

TerrainChunk::TerrainChunk() = default;
TerrainChunk::~TerrainChunk() = default;

void TerrainChunk::BuildGroundMesh(const Terrain& terrain, int x0_, int z0_, int x1_, int z1_)
{
    groundMesh.reset();
    x0 = x0_, z0 = z0_, x1 = x1_, z1 = z1_;
    if (x1 <= x0 || z1 <= z0) return;

    auto mesh = std::make_unique<IndexedMesh>();
    snprintf(mesh->name, sizeof mesh->name, "terrain_%d_%d", x0, z0);
    mesh->materials.resize(1);
    MeshMaterial& material = mesh->materials[0];
    const Environment* environment = Environment::GetCurrent();
    if (environment)
        snprintf(material.effectName, sizeof material.effectName, "Data/shaders/%s", environment->shader);
    else
        CopyText(material.effectName, sizeof material.effectName, DEFAULT_TERRAIN_EFFECT);
    CopyText(material.techniqueName, sizeof material.techniqueName, "terrain");
    // Low ground, the normal map, slopes, mid heights, and the normal map again.
    CopyText(material.textureName, sizeof material.textureName, GroundTextureSlots[0]);
    CopyText(material.normalMapName, sizeof material.normalMapName, GroundTextureSlots[3]);
    CopyText(material.specularMapName, sizeof material.specularMapName, GroundTextureSlots[2]);
    CopyText(material.blendTextureName, sizeof material.blendTextureName, GroundTextureSlots[1]);
    CopyText(material.blendNormalMapName, sizeof material.blendNormalMapName, GroundTextureSlots[3]);
    material.repeatU = material.repeatV = GROUND_TEXTURE_REPEAT;

    MeshGeometry& geometry = material.EditGeometry();
    const int columns = x1 - x0 + 1;
    geometry.vertices.reserve((size_t)columns * (size_t)(z1 - z0 + 1));
    for (int z = z0; z <= z1; ++z)
        for (int x = x0; x <= x1; ++x) {
            MeshVertex vertex;
            vertex.position = terrain.MeshPosition(x, z);
            vertex.u = GROUND_TEXTURE_REPEAT * (float)x / (float)terrain.width;
            vertex.v = GROUND_TEXTURE_REPEAT * (float)z / (float)terrain.height;
            Vec3 normal = terrain.GetNormal(x, z);
            vertex.normal = Vec3(-normal.x, normal.y, normal.z);
            vertex.colour = terrain.PackedColour(x, z);
            geometry.vertices.push_back(vertex);
        }
    // Which terrain hole covers which vertex, asked once each (-1 not asked yet).
    const int holes = terrain.coverEntities.count;
    std::vector<int8_t> covers(holes > 0 ? geometry.vertices.size() * holes : 0, -1);
    auto covered = [&](int vertex, int hole, Entity* entity) {
        int8_t& known = covers[(size_t)vertex * holes + hole];
        if (known < 0) {
            // Mesh space back to query space: x negated.
            const Vec3& p = geometry.vertices[vertex].position;
            known = Terrain::CoversPoint(entity, Vec3(-p.x, p.y, p.z)) ? 1 : 0;
        }
        return known == 1;
    };
    auto keep = [&](int a, int b, int c) {
        int hole = 0;
        for (auto* node = terrain.coverEntities.head; node; node = node->next, ++hole)
            if (covered(a, hole, node->value) && covered(b, hole, node->value) && covered(c, hole, node->value))
                return false;
        return true;
    };
    // Two triangles a quad, wound to face up the way the mesh writes them for drawing; the
    // ground a terrain hole covers whole is left out.
    geometry.triangles.reserve((size_t)2 * (x1 - x0) * (z1 - z0));
    for (int z = z0; z < z1; ++z)
        for (int x = x0; x < x1; ++x) {
            int a = (z - z0) * columns + (x - x0), b = a + 1, c = a + columns, d = c + 1;
            if (keep(a, b, c)) geometry.triangles.push_back(MeshTriangle{{a, c, b}});
            if (keep(c, b, d)) geometry.triangles.push_back(MeshTriangle{{c, d, b}});
        }
    mesh->BuildBuffers(nullptr, Config && Config->editTerrain);
    groundMesh = std::move(mesh);
}

void TerrainChunk::RefreshVertices(const Terrain& terrain)
{
    if (!groundMesh || groundMesh->materials.empty()) return;
    MeshGeometry& geometry = groundMesh->materials[0].EditGeometry();
    size_t i = 0;
    for (int z = z0; z <= z1; ++z)
        for (int x = x0; x <= x1 && i < geometry.vertices.size(); ++x, ++i) {
            MeshVertex& vertex = geometry.vertices[i];
            vertex.position = terrain.MeshPosition(x, z);
            Vec3 normal = terrain.GetNormal(x, z);
            vertex.normal = Vec3(-normal.x, normal.y, normal.z);
        }
    groundMesh->RebuildGeometry(0, false);
    groundMesh->ComputeBounds();
}

void TerrainChunk::RefreshColours(const Terrain& terrain)
{
    if (!groundMesh || groundMesh->materials.empty()) return;
    MeshGeometry& geometry = groundMesh->materials[0].EditGeometry();
    size_t i = 0;
    for (int z = z0; z <= z1; ++z)
        for (int x = x0; x <= x1 && i < geometry.vertices.size(); ++x, ++i) geometry.vertices[i].colour = terrain.PackedColour(x, z);
    groundMesh->RebuildGeometry(0, false);
}

// ---- The terrain

Terrain::Terrain() = default;

Terrain::~Terrain()
{
    if (devicesListed_) {
        SetDeviceReleaseStep(RELEASE_TERRAIN, nullptr);
        SetDeviceRestoreStep(RESTORE_TERRAIN, nullptr);
    }
}

Vec3 Terrain::MeshPosition(int x, int z) const
{
    const float k = MAP_WORLD_SIZE * 0.0078125f;
    float h = heightmap ? heightmap->GetHeightAt(x, z) : 0.0f;
    return Vec3((float)(width / 2 - x) * k, h * k, (float)(height / 2 - z) * k);
}

uint32_t Terrain::PackedColour(int x, int z) const
{
    if (colours.empty() || x < 0 || z < 0 || x >= width || z >= height) return 0xFFFFFFFFu;
    const TerrainColour& c = colours[(size_t)z * width + x];
    return (uint32_t)ColourByte(c.a) << 24 | (uint32_t)ColourByte(c.r) << 16 | (uint32_t)ColourByte(c.g) << 8 |
           (uint32_t)ColourByte(c.b);
}

void Terrain::Create(int width_, int height_)
{
    width = std::max(width_, 0);
    height = std::max(height_, 0);
    chunksPerSide = width / TERRAIN_CHUNK_CELLS;
    // The alpha map is made anew for each level.
    alphaTexture = nullptr;
    SetDeviceReleaseStep(RELEASE_TERRAIN, ReleaseTerrainMeshes, this);
    SetDeviceRestoreStep(RESTORE_TERRAIN, RestoreTerrainMeshes, this);
    devicesListed_ = true;
    Load(chunksPerSide);
    created = true;
}

void Terrain::Load(int count)
{
    Free();
    rimProfile_.clear();
    heightmap = std::make_unique<Heightmap>(width, height, TERRAIN_VERTICAL_SCALE);
    char path[512];
    if (IsNone(TheScene.heightmapName))
        snprintf(path, sizeof path, "%s/heightmaps/clear.bmp", UserFolder);
    else
        CopyText(path, sizeof path, TheScene.heightmapName);
    heightmap->LoadImage(path);
    UpdateNormals(0, 0, 0);

    char colourMap[256];
    CopyText(colourMap, sizeof colourMap, IsNone(TheScene.colourMapName) ? DEFAULT_COLOUR_MAP : TheScene.colourMapName);
    LoadColourMap(colourMap, false);
    BuildMeshes(count);

    if (TheGame) TheGame->ShowLoadingScreen("Creating Alpha Map", 0.75f, true);
    RefreshAlpha(true);
    for (auto& chunk : chunks)
        if (chunk->groundMesh)
            for (SubMesh& sub : chunk->groundMesh->subMeshes) sub.alphaMap = alphaTexture;
}

void Terrain::Free()
{
    chunks.clear();
    if (heightmap) heightmap->Free();
    heightmap.reset();
    // Its slopes go with it: a freed terrain answers as one never made.
    normals.clear();
    created = false;
}

void Terrain::BuildMeshes(int count)
{
    chunks.clear();
    chunksPerSide = std::max(count, 0);
    const int c = chunksPerSide;
    chunks.reserve((size_t)c * c);
    CollectCoverEntities();
    for (int i = 0; i < c; ++i)
        for (int j = 0; j < c; ++j) {
            auto chunk = std::make_unique<TerrainChunk>();
            int x0 = (width - 1) * j / c, x1 = (width - 1) * (j + 1) / c;
            int z0 = (height - 1) * i / c, z1 = (height - 1) * (i + 1) / c;
            chunk->BuildGroundMesh(*this, x0, z0, x1, z1);
            chunk->BuildSplatMesh(*this);
            chunks.push_back(std::move(chunk));
        }
    ClearCoverEntities();
}

void Terrain::RebuildMeshes(int size, int x, int z)
{
    rimProfile_.clear();
    float r = (float)size * 0.5f;
    for (auto& chunk : chunks) {
        if (size != 0 && !((float)chunk->x0 <= (float)x + r && (float)chunk->x1 >= (float)x - r &&
                           (float)chunk->z0 <= (float)z + r && (float)chunk->z1 >= (float)z - r))
            continue;
        chunk->RefreshVertices(*this);
        chunk->RefreshColours(*this);
    }
}

void Terrain::ReloadSplatsAndMeshes(const char* colourMapName, bool modulate)
{
    LoadColourMap(colourMapName, modulate);
    RebuildMeshes(0, 0, 0);
}

void Terrain::UpdateNormals(int size, int x, int z)
{
    if (width <= 0 || height <= 0) return;
    if (normals.size() != (size_t)width * height) normals.assign((size_t)width * height, Vec3());
    int side = size, left = x - (int)((float)size * 0.5f), top = z - (int)((float)size * 0.5f);
    if (size == 0) {
        side = width;
        left = top = 0;
    }
    // The six neighbours around a vertex, turning one way round it.
    static const int around[6][2] = {{-1, 0}, {0, -1}, {1, -1}, {1, 0}, {0, 1}, {-1, 1}};
    for (int vz = top; vz < top + side; ++vz)
        for (int vx = left; vx < left + side; ++vx) {
            if (!IsCellInside(vx, vz)) continue;
            Vec3& normal = normals[(size_t)vz * width + vx];
            bool border = false;
            for (const auto& n : around) border = border || !IsCellInside(vx + n[0], vz + n[1]);
            if (border) {
                normal = Vec3(0.0f, 1.0f, 0.0f);
                continue;
            }
            Vec3 centre = GetGridVertex(vx, vz), sum;
            for (int i = 1; i <= 6; ++i) {
                const int* a = around[i - 1];
                const int* b = around[i % 6];
                Vec3 p = GetGridVertex(vx + a[0], vz + a[1]), q = GetGridVertex(vx + b[0], vz + b[1]);
                Plane plane;
                PlaneFromPoints(&plane, &centre, &p, &q);
                sum += Vec3(plane.a, plane.b, plane.c);
            }
            sum *= 1.0f / 6.0f;
            Vec3Normalize(&normal, &sum);
        }
}

void Terrain::ReleaseMeshes()
{
    if (!created) return;
    for (auto& chunk : chunks) {
        if (chunk->groundMesh) chunk->groundMesh->ReleaseBuffers();
        if (chunk->splatMesh) chunk->splatMesh->ReleaseBuffers();
    }
    if (waterSet) waterSet->ReleaseAll();
    meshesReleased = true;
}

void Terrain::OnResetDevice()
{
    if (!meshesReleased) return;
    if (heightmap && heightmap->texture) heightmap->UploadToTexture();
    for (auto& chunk : chunks) {
        if (chunk->groundMesh) chunk->groundMesh->RestoreBuffers();
        if (chunk->splatMesh) chunk->splatMesh->RestoreBuffers();
    }
    RefreshAlpha(true);
    if (waterSet) waterSet->RestoreAll();
    meshesReleased = false;
}
