// The terrain's look, worked out on the CPU when a level is built or edited: the colour layer
// (vertex colours from the colour map, tinted by height for the environment), the class map and
// alpha map (which ground texture a cell shows, and the sunlight baked in), and the decoration
// splats scattered over flat ground.
#include "terrain/Terrain.h"

#include "host/ImageCodec.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/Files.h"
#include "platform/PackageFile.h"
#include "platform/RandomUtil.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/TextureLock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

// Heights of the mid-height ground class (the terrain editor changes them).
float AutoTextureThresholds[2] = {1.6f, 5.0f};

namespace {

constexpr const char* ALPHA_TEXTURE_NAME = "dyn_teralpha";
constexpr const char* DEFAULT_SPLAT_TEXTURE = "Data/textures/Splats/green_splats.dds";
constexpr const char* DEFAULT_SPLAT_NORMAL_MAP = "Data/textures/Splats/green_splats_sn.dds";
constexpr const char* SPLAT_EFFECT = "Data/shaders/splat.fx";

// The steepness (normal y) below which ground is a slope whatever its height.
constexpr float SLOPE_NORMAL_Y = 0.9f;
// Ground lower than this never lies in shadow (it is under water or lava anyway).
constexpr float SHADOW_MIN_HEIGHT = 1.1f;
// Splats lie this far above the ground so that they never fight with it for depth.
constexpr float SPLAT_LIFT = 0.05f;
// Halton points tried per chunk, over a 31 x 31 area.
constexpr int SPLAT_TRIES = 128;
constexpr int SPLAT_AREA = 31;

// The colour map from the textures package, resampled to the grid; false when there is none.
bool ReadColourMap(const char* name, int width, int height, Image* image)
{
    if (!TexturePackage || !name) return false;
    char fileName[MAX_PATH_TEXT];
    GetFileName(name, fileName);
    unsigned size = 0;
    const unsigned char* bytes = TexturePackage->GetData(fileName, &size);
    if (!bytes) return false;
    bool read = CreateImageFromMemoryEx(bytes, size, (uint32_t)width, (uint32_t)height, 1, PixelFormat::A8R8G8B8,
                                        IMAGE_DEFAULT, IMAGE_DEFAULT, 0, *image);
    TexturePackage->ReleaseData(fileName);
    return read && image->width == (uint32_t)width && image->height == (uint32_t)height;
}

}  // namespace

void Terrain::LoadColourMap(const char* name, bool modulate)
{
    char mapName[256];
    CopyText(mapName, sizeof mapName, name ? name : "");
    CopyText(TheScene.colourMapName, sizeof TheScene.colourMapName, mapName);
    if (width <= 0 || height <= 0) return;
    if (colours.size() != (size_t)width * height) colours.assign((size_t)width * height, TerrainColour());

    const Environment* environment = Environment::GetCurrent();
    EnvironmentTint tint = GetEnvironmentTint(environment ? environment->name : nullptr);
    Image image;
    bool haveImage = ReadColourMap(mapName, width, height, &image);
    const uint8_t* texels = haveImage ? image.Level(0, 0) : nullptr;
    size_t pitch = haveImage ? image.LevelPitch(0) : 0;

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TerrainColour& cell = colours[(size_t)y * width + x];
            // The outermost two rings fade the map's edge to nothing.
            if (x < 2 || y < 2 || x >= width - 2 || y >= height - 2) {
                cell = TerrainColour{0.0f, 0.0f, 0.0f, 0.0f};
                continue;
            }
            if (!texels) {
                cell = TerrainColour();
                continue;
            }
            const uint8_t* texel = texels + (size_t)y * pitch + (size_t)x * 4;
            TerrainColour c{texel[2] / 255.0f, texel[1] / 255.0f, texel[0] / 255.0f, texel[3] / 255.0f};
            if (modulate) {
                cell.r *= c.r, cell.g *= c.g, cell.b *= c.b, cell.a *= c.a;
            } else {
                cell = c;
            }

            float h = heightmap ? heightmap->GetHeightAt(x, y) : 0.0f;
            if (h > 2.0f) {
                // High ground pales toward the environment's tint.
                float t = std::max((h - 2.0f) * 0.1f, 0.2f);
                cell.r = tint.r * t + c.r * 0.8f;
                cell.g = tint.g * t + c.g * 0.8f;
                cell.b = tint.b * t + c.b * 0.8f;
            } else if (h < AutoTextureThresholds[0]) {
                float f = 1.0f - 0.25f * std::max(1.0f - h, 0.0f);
                switch (tint.rule) {
                case LowGroundRule::DARKEN_RED_GREEN:
                    cell.r = f * c.r, cell.g = f * c.g, cell.b = c.b;
                    break;
                case LowGroundRule::DARKEN_RED_BLUE:
                    cell.r = f * c.r, cell.g = c.g, cell.b = f * c.b;
                    break;
                case LowGroundRule::GLOWING:
                    if (h < 1.11f) cell.r = 1.0f, cell.g = 0.7f, cell.b = 0.2f;
                    break;
                case LowGroundRule::NONE:
                    break;
                }
            }
        }
}

void Terrain::RefreshAlpha(bool clear)
{
    if (!heightmap || width <= 0 || height <= 0) return;
    if (Textures) {
        bool fits = alphaTexture && alphaTexture->texture && alphaTexture->texture->GetWidth(0) == (uint32_t)width &&
                    alphaTexture->texture->GetHeight(0) == (uint32_t)height;
        if (!fits)
            alphaTexture = Textures->CreateDynamicTexture((uint32_t)width, (uint32_t)height, FMT_A8R8G8B8,
                                                          ALPHA_TEXTURE_NAME, 1);
    }
    const size_t cells = (size_t)width * height;
    if (classMap.size() != cells) classMap.assign(cells, 0);

    TextureLock lock(alphaTexture, 0);
    bool locked = lock.IsLocked() && lock.width == width && lock.height == height;
    // B, G, R, A per texel, row j holding grid row height - 1 - j.
    std::vector<uint8_t> texels(cells * 4, 0);
    if (locked && !clear)
        for (int j = 0; j < height; ++j) memcpy(&texels[(size_t)j * width * 4], lock.Row(j), (size_t)width * 4);

    const Heightmap& hm = *heightmap;
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            int z = height - 1 - j;
            float h = hm.GetHeightAt(i, z);
            float ny = normals.empty() ? 1.0f : GetNormal(i, z).y;
            int groundClass = (h >= AutoTextureThresholds[0] && h < AutoTextureThresholds[1]) ? 1 : 0;
            if (ny < SLOPE_NORMAL_Y) groundClass = 2;
            // Class 0 in blue, 1 in green, 2 in red.
            texels[((size_t)j * width + i) * 4 + (size_t)groundClass] = 255;
            classMap[(size_t)j * width + i] = groundClass;
        }

    // Shadows: from each texel march toward the light; any ground at least as high as the
    // march on its way puts the texel in shadow. Heights out of the grid read as 0.
    const Vec4& light = EffectValues.lightDirection;
    float highest = 0.0f;
    for (float h : hm.data) highest = std::max(highest, h);
    const int longest = 4 * (width + height);
    std::vector<uint8_t> shadowed(cells, 0);
    for (int c = 0; c < height; ++c)
        for (int a = 0; a < width; ++a) {
            float h = hm.GetHeightAt(a, height - 1 - c);
            if (!(h >= SHADOW_MIN_HEIGHT) || a <= 0) continue;
            float x = (float)a, y = h, z = (float)c;
            for (int step = 0; step < longest; ++step) {
                if (x >= (float)width || z <= 0.0f || z >= (float)height || y >= 255.0f) break;
                // Above the highest ground nothing can hide the march any more.
                if (y > highest && -light.y >= 0.0f) break;
                x -= light.x, y -= light.y, z -= light.z;
                int ix = (int)std::floor(x + 0.5f), iz = (int)std::floor(z + 0.5f);
                if (hm.GetHeightAt(ix, height - 1 - iz) >= y) {
                    shadowed[(size_t)c * width + a] = 1;
                    break;
                }
                if (!(x > 0.0f)) break;
            }
        }

    // Erode the shadows by a texel, then blur them over 3 x 3, so their edges are soft.
    std::vector<float> eroded(cells, 0.0f);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            bool dark = false;
            for (int v = std::max(j - 1, 0); v <= std::min(j + 1, height - 1) && !dark; ++v)
                for (int u = std::max(i - 1, 0); u <= std::min(i + 1, width - 1) && !dark; ++u)
                    dark = shadowed[(size_t)v * width + u] != 0;
            eroded[(size_t)j * width + i] = dark ? 0.0f : 255.0f;
        }
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            float sum = 0.0f;
            int count = 0;
            for (int v = std::max(j - 1, 0); v <= std::min(j + 1, height - 1); ++v)
                for (int u = std::max(i - 1, 0); u <= std::min(i + 1, width - 1); ++u, ++count)
                    sum += eroded[(size_t)v * width + u];
            texels[((size_t)j * width + i) * 4 + 3] = (uint8_t)(sum / (float)count);
        }

    if (locked)
        for (int j = 0; j < height; ++j) memcpy(lock.Row(j), &texels[(size_t)j * width * 4], (size_t)width * 4);
}

void TerrainChunk::BuildSplatMesh(const Terrain& terrain)
{
    const int across = x1 - x0, down = z1 - z0;
    splatMesh.reset();
    if (across <= 0 || down <= 0) return;
    splatCells.assign((size_t)across * down, 0);

    for (int i = 0; i < SPLAT_TRIES; ++i) {
        IntPoint p = HaltonPoint(i, SPLAT_AREA, SPLAT_AREA);
        if (p.x >= across || p.y >= down) continue;
        int x = x0 + p.x, z = z0 + p.y;
        int& cell = splatCells[(size_t)p.y * across + p.x];
        if (cell != 0 || !terrain.mapCells || terrain.mapCells[(size_t)z * terrain.width + x] != 0) continue;
        if (terrain.GetNormal(x, z).y < 0.5f) continue;
        cell = CosmeticRandom().Int(1, SPLAT_TILES);
    }

    auto mesh = std::make_unique<IndexedMesh>();
    snprintf(mesh->name, sizeof mesh->name, "splats_%d_%d", x0, z0);
    mesh->materials.resize(1);
    MeshMaterial& material = mesh->materials[0];
    const Environment* environment = Environment::GetCurrent();
    CopyText(material.textureName, sizeof material.textureName,
             environment ? environment->splat_texture : DEFAULT_SPLAT_TEXTURE);
    CopyText(material.normalMapName, sizeof material.normalMapName,
             environment ? environment->splat_normalmap : DEFAULT_SPLAT_NORMAL_MAP);
    CopyText(material.effectName, sizeof material.effectName, SPLAT_EFFECT);
    CopyText(material.techniqueName, sizeof material.techniqueName, "main");
    MeshGeometry& geometry = material.EditGeometry();

    for (int z = z0; z < z1; ++z)
        for (int x = x0; x < x1; ++x) {
            int value = splatCells[(size_t)(z - z0) * across + (x - x0)];
            if (value <= 0) continue;
            // The atlas is 4 x 4 tiles; tile 1 sits at the low u and high v corner.
            float ua = (float)((value - 1) % 4) * 0.25f, va = (float)(3 - (value - 1) / 4) * 0.25f;
            float ub = ua + 0.25f, vb = va + 0.25f;
            const float corners[4][2] = {{ub, va}, {ua, va}, {ua, vb}, {ub, vb}};
            int turn = CosmeticRandom().Int(0, 3);
            const int cells[4][2] = {{x, z}, {x + 1, z}, {x + 1, z + 1}, {x, z + 1}};
            int base = (int)geometry.vertices.size();
            for (int k = 0; k < 4; ++k) {
                MeshVertex vertex;
                vertex.position = terrain.MeshPosition(cells[k][0], cells[k][1]) + Vec3(0.0f, SPLAT_LIFT, 0.0f);
                Vec3 normal = terrain.GetNormal(cells[k][0], cells[k][1]);
                vertex.normal = Vec3(-normal.x, normal.y, normal.z);
                vertex.colour = terrain.PackedColour(cells[k][0], cells[k][1]);
                vertex.u = corners[(turn + k) % 4][0];
                vertex.v = corners[(turn + k) % 4][1];
                geometry.vertices.push_back(vertex);
            }
            // Wound to face up, like the ground under it.
            geometry.triangles.push_back(MeshTriangle{{base, base + 3, base + 1}});
            geometry.triangles.push_back(MeshTriangle{{base + 1, base + 3, base + 2}});
        }
    if (geometry.vertices.empty()) return;
    mesh->BuildBuffers(nullptr, false);
    splatMesh = std::move(mesh);
}
