// What the game asks of the ground: heights, normals, cells and where a ray meets it.
#include "terrain/Terrain.h"

#include "platform/MathUtil.h"
#include "terrain/Heightmap.h"

#include <algorithm>
#include <cmath>

namespace {

// The integer part of a grid coordinate, kept within int range (a point far off the map, or
// not a number, lands far outside the grid rather than in undefined arithmetic).
int Whole(float v)
{
    if (!(v > -1.0e9f)) return -1000000000;
    if (v > 1.0e9f) return 1000000000;
    return (int)v;
}

}  // namespace

void Terrain::ToGrid(const Vec3& position, float* cx, float* cz) const
{
    *cx = (position.x + MAP_WORLD_SIZE * 0.5f) * (float)width / MAP_WORLD_SIZE;
    *cz = (MAP_WORLD_SIZE * 0.5f - position.z) * (float)width / MAP_WORLD_SIZE;
}

bool Terrain::IsCellInside(int x, int z) const
{
    return x >= 0 && x < width && z >= 0 && z < height;
}

IntPoint Terrain::WorldToCell(const Vec3& position) const
{
    float cx, cz;
    ToGrid(position, &cx, &cz);
    return IntPoint(Whole(cx), Whole(cz));
}

float Terrain::GetCellHeight(const Vec3& position) const
{
    if (!heightmap) return 0.0f;
    IntPoint cell = WorldToCell(position);
    return heightmap->GetHeightAt(cell.x, cell.y) * CellSize();
}

Vec3 Terrain::GetGridVertex(int x, int z) const
{
    if (!IsCellInside(x, z)) return Vec3();
    return Vec3((float)x, heightmap ? heightmap->GetHeightAt(x, z) : 0.0f, (float)-z);
}

Vec3 Terrain::GetNormal(int x, int z) const
{
    if (normals.empty() || !IsCellInside(x, z)) return Vec3(0.0f, 1.0f, 0.0f);
    return normals[(size_t)z * width + x];
}

int Terrain::GetMapCellValue(const Vec3& position) const
{
    IntPoint cell = WorldToCell(position);
    if (!IsCellInside(cell.x, cell.y) || classMap.size() != (size_t)width * height) return 0;
    return classMap[(size_t)(height - 1 - cell.y) * width + cell.x];
}

float Terrain::GetHeight(const Vec3& position, bool* onObject, bool terrainOnly) const
{
    if (!created || !heightmap) return 0.0f;
    if (onObject) *onObject = false;

    float objectHeight = 0.0f;
    if (!terrainOnly && CollisionObjectHeight(position, &objectHeight) && onObject) *onObject = true;

    float cx, cz;
    ToGrid(position, &cx, &cz);
    double wholeX, wholeZ;
    float fx = (float)std::modf((double)cx, &wholeX), fz = (float)std::modf((double)cz, &wholeZ);
    if (!(wholeX >= 0.0 && wholeX <= width - 2 && wholeZ >= 0.0 && wholeZ <= height - 2)) return 0.0f;
    int ix = (int)wholeX, iz = (int)wholeZ;

    // The cell is split along its (ix, iz)-(ix + 1, iz + 1) diagonal; each half is a plane.
    float h00 = heightmap->GetHeightAt(ix, iz), h11 = heightmap->GetHeightAt(ix + 1, iz + 1), h10, h01;
    if (fx >= fz) {
        h10 = heightmap->GetHeightAt(ix + 1, iz);
        h01 = h00 + h11 - h10;
    } else {
        h01 = heightmap->GetHeightAt(ix, iz + 1);
        h10 = h00 + h11 - h01;
    }
    float ground = (((1.0f - fx) * h00 + fx * h10) * (1.0f - fz) + ((1.0f - fx) * h01 + fx * h11) * fz) * CellSize();
    if (objectHeight >= ground) return objectHeight;
    if (onObject) *onObject = false;
    return ground;
}

bool Terrain::IntersectRay(const Vec3& origin, const Vec3& direction, Vec3* hit, int refineSteps) const
{
    if (!created) return false;
    // Nothing stands higher than the vertical scale: a ray from above starts there.
    Vec3 first = origin, top;
    float highest = TERRAIN_VERTICAL_SCALE * CellSize();
    if (IntersectRayPlane(origin, direction, Vec3(0.0f, 1.0f, 0.0f), highest, &top) && top.y < origin.y) first = top;
    // A ray that starts inside a hill meets no ground surface on its way out.
    if (GetHeight(first, nullptr, false) > first.y) return false;

    // The march walks two units at a time whatever the length of the direction it is given (a
    // pick ray's runs from the near to the far plane).
    const float length = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    if (!(length > 0.0f)) return false;
    const Vec3 unit = direction * (1.0f / length);
    float step = 2.0f;
    Vec3 v = unit * step;
    Vec3 p = first - v;
    int refined = 0;
    for (int i = 0; i < 500; ++i) {
        p += v;
        if (GetHeight(p, nullptr, false) <= p.y) continue;
        // Back to the last point above the ground: the crossing lies within one step ahead.
        p -= v;
        if (refined >= refineSteps) {
            if (hit) *hit = p;
            return true;
        }
        step *= 0.5f;
        ++refined;
        v = unit * step;
    }
    return false;
}

Vec3 Terrain::GetInterpolatedNormal(const Vec3& position) const
{
    const Vec3 up(0.0f, 1.0f, 0.0f);
    if (!created || !heightmap) return up;
    float cx, cz;
    ToGrid(position, &cx, &cz);
    double wholeX, wholeZ;
    float fx = (float)std::modf((double)cx, &wholeX), fz = (float)std::modf((double)cz, &wholeZ);
    if (!(wholeX >= 0.0 && wholeX <= width - 2 && wholeZ >= 0.0 && wholeZ <= height - 2)) return up;
    int ix = (int)wholeX, iz = (int)wholeZ;

    Vec3 a = GetNormal(ix, iz), d = GetNormal(ix + 1, iz + 1), b, c;
    if (fx < fz) {
        c = GetNormal(ix, iz + 1);
        b = a + d - c;
    } else {
        b = GetNormal(ix + 1, iz);
        c = a + d - b;
    }
    Vec3 n = (a * (1.0f - fx) + b * fx) * (1.0f - fz) + (c * (1.0f - fx) + d * fx) * fz;
    if (Vec3LengthSq(&n) < 1e-12f) return up;
    Vec3Normalize(&n, &n);
    return n;
}

namespace {
// The rings of the grid, counted in from its edges, that make up the map's rim: the generated
// wall and the slope down from it lie well within them.
constexpr int RIM_RINGS = 12;
}  // namespace

const std::vector<float>& Terrain::RimProfile() const
{
    if (!rimProfile_.empty() || !heightmap || width < 2 || height < 2) return rimProfile_;
    const int rings = std::min(RIM_RINGS, std::min(width, height) / 2);
    const float scale = CellSize();
    rimProfile_.assign((size_t)rings, 0.0f);
    for (int k = 0; k < rings; ++k) {
        float top = 0.0f;
        for (int x = k; x < width - k; ++x)
            top = std::max({top, heightmap->GetHeightAt(x, k), heightmap->GetHeightAt(x, height - 1 - k)});
        for (int z = k; z < height - k; ++z)
            top = std::max({top, heightmap->GetHeightAt(k, z), heightmap->GetHeightAt(width - 1 - k, z)});
        rimProfile_[(size_t)k] = top * scale;
    }
    return rimProfile_;
}

float Terrain::RimTop() const
{
    const std::vector<float>& profile = RimProfile();
    return profile.empty() ? 0.0f : *std::max_element(profile.begin(), profile.end());
}

float Terrain::RimDepth(float level) const
{
    const std::vector<float>& profile = RimProfile();
    for (int k = (int)profile.size() - 1; k >= 0; --k) {
        if (profile[(size_t)k] < level) continue;
        // Between this ring and the next the ground falls below the level. The grid's last
        // vertices stand a cell short of the map's far edges, so a ring counts one cell further in.
        float part = 1.0f;
        if (k + 1 < (int)profile.size() && profile[(size_t)k] > profile[(size_t)k + 1])
            part = (profile[(size_t)k] - level) / (profile[(size_t)k] - profile[(size_t)k + 1]);
        return ((float)k + 1.0f + std::min(part, 1.0f)) * CellSize();
    }
    return 0.0f;
}
