// The drawing primitives of the map generator: every one writes kinds into the kind grid and
// draws its randomness from Rand() in a fixed order.
#include "levelgen/MapGenerator.h"

#include "host/Random.h"
#include "host/SteadyMath.h"
#include "platform/RandomUtil.h"
#include "terrain/Heightmap.h"
#include "world/GridQueries.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Stamps keep clear of the map's two-cell rim, which the height image raises into a wall.
constexpr int STAMP_MIN = 2;
constexpr int STAMP_MAX = LEVEL_MAP_SIZE - 3;

float Unit()
{
    return (float)Rand() / 32768.0f;
}

constexpr double DEGREES = 3.14159265358979323846 / 180.0;

}  // namespace

int MapGenerator::KindAt(int x, int y) const
{
    if (!IsInside(x, y) || kinds.empty()) return -1;
    return kinds[(size_t)y * mapWidth + x];
}

void MapGenerator::SetKind(int x, int y, int kind)
{
    if (IsInside(x, y) && !kinds.empty()) kinds[(size_t)y * mapWidth + x] = kind;
}

void MapGenerator::StampArea(int r, IntPoint centre, int kind, bool square, int ry, bool ragged)
{
    if (ry == -1) ry = r;
    int x0 = std::max(centre.x - r, STAMP_MIN), x1 = std::min(centre.x + r, std::min(STAMP_MAX, mapWidth - 3));
    int y0 = std::max(centre.y - ry, STAMP_MIN), y1 = std::min(centre.y + ry, std::min(STAMP_MAX, mapWidth - 3));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = (float)(x - centre.x), dy = (float)(y - centre.y);
            float d = std::sqrt(dx * dx + dy * dy);
            if (ragged && d > (float)r - 0.5f && Rand() % 2 == 0) continue;
            if (!square && d > (float)r) continue;
            if (KindAt(x, y) == KIND_OPEN) SetKind(x, y, kind);
        }
}

void MapGenerator::DrawPaths(int count, const IntPoint* targets, IntPoint from, int kind, bool first,
                             std::vector<IntPoint>* out)
{
    MidpointPath path;
    path.points.reserve(MidpointPath::CAPACITY);
    for (int t = 0; t < count; ++t) {
        path.points.clear();
        WalkMidpoints(from.x, from.y, targets[t].x, targets[t].y, path, pathJitter, first);
        for (const IntPoint& p : path.points) {
            if (!IsInside(p.x, p.y)) continue;
            if (KindAt(p.x, p.y) < KIND_SKETCH) SetKind(p.x, p.y, kind);
            if (out) out->push_back(p);
        }
    }
}

void MapGenerator::ScatterOre(IntPoint centre, float radius, int count, float distance)
{
    int placed = 0;
    auto place = [&](IntPoint p) {
        SetKind(p.x, p.y, KIND_ORE);
        StampArea((int)radius, p, KIND_CLEARED, false, -1, false);
        ++placed;
    };
    double angle = 0.0;
    IntPoint p = centre;
    for (int attempt = 0; attempt < 99999 && placed < count; ++attempt) {
        angle += 5.0 + 90.0 * (double)Rand() / 32768.0;
        double s, c;
        SinCos(angle * DEGREES, &s, &c);
        p = IntPoint(centre.x + (int)(s * distance), centre.y + (int)(c * distance));
        if (p.x >= 6 && p.x <= mapWidth - 7 && p.y >= 6 && p.y <= mapWidth - 7 && KindAt(p.x, p.y) < KIND_SKETCH) place(p);
    }
    // Now and then the field straggles on a little from its last deposit.
    if (Rand() % 2 != 0) return;
    for (int step = 0; step < 4 && placed <= count; ++step) {
        int dx = Rand() % 3 - 1;
        int dy = Rand() % 3 - 1;
        p = IntPoint(p.x + dx, p.y + dy);
        if (IsInner(p.x, p.y) && KindAt(p.x, p.y) < KIND_SKETCH) place(p);
    }
}

void MapGenerator::ScatterFuel(IntPoint centre, float radius, int count, float distance)
{
    int placed = 0;
    for (int attempt = 0; attempt < 999 && placed < count; ++attempt) {
        float d = distance + 2.0f * (float)Rand() / 32768.0f - 1.0f;
        IntPoint p = RandomPointOnCircle(centre, d, 1.0f);
        if (p.x < 6 || p.x > mapWidth - 7 || p.y < 6 || p.y > mapWidth - 7) continue;
        if (!NoFuelVentNear(p.x, p.y, 8, 8) || KindAt(p.x, p.y) >= KIND_SKETCH) continue;
        SetKind(p.x, p.y, KIND_FUEL);
        StampArea((int)radius, p, KIND_CLEARED, false, -1, false);
        ++placed;
    }
}

bool MapGenerator::NoFuelVentNear(int x, int y, int dx, int dy) const
{
    for (int cy = std::max(y - dy, 2); cy <= y + 2 * dy - 1; ++cy)
        for (int cx = std::max(x - dx, 2); cx <= x + 2 * dx - 1; ++cx)
            if (IsInner(cx, cy) && KindAt(cx, cy) == KIND_FUEL) return false;
    return true;
}

void MapGenerator::Blob(IntPoint centre, int width, int height, int kind)
{
    float dmin = 1.0f + Unit();
    float dmax = 3.0f + 3.0f * Unit();
    float aspect = 0.3f + 1.4f * Unit();
    IntPoint seeds[4];
    int kept = 0;
    for (int s = 0; s < 4; ++s) {
        float distance = dmin + (dmax - dmin) * Unit();
        IntPoint seed = RandomPointOnCircle(centre, distance, aspect);
        if (!IsInner(seed.x, seed.y)) continue;
        SetKind(seed.x, seed.y, kind);
        StampArea(1, seed, kind, false, -1, false);
        seeds[kept++] = seed;
    }
    // The seeds pull together into one mass: a cell joins where their pull adds up.
    int x0 = centre.x - width / 2, y0 = centre.y - height / 2;
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x) {
            if (!IsInside(x, y)) continue;
            float sum = 0.0f;
            for (int s = 0; s < kept; ++s) {
                float dx = (float)(x - seeds[s].x), dy = (float)(y - seeds[s].y);
                float d = std::sqrt(dx * dx + dy * dy);
                if (d > 0.0f) sum += 2.0f / d;
            }
            if (sum > 2.0f) SetKind(x, y, kind);
        }
}

void MapGenerator::RockOutcrop(IntPoint centre)
{
    if (KindAt(centre.x, centre.y) == KIND_OPEN) {
        SetKind(centre.x, centre.y, KIND_ROCK);
        StampArea(2 + Rand() % 2, centre, KIND_ROCK, false, -1, false);
    }
    float u = Unit();
    int n = 4 + Rand() % 3;
    for (int i = 0; i < n; ++i) {
        float distance = 3.0f + 3.0f * Unit();
        IntPoint p = RandomPointOnCircle(centre, distance, 0.2f + 1.6f * u);
        if (!IsInner(p.x, p.y) || KindAt(p.x, p.y) != KIND_OPEN) continue;
        SetKind(p.x, p.y, KIND_ROCK);
        StampArea(2 + Rand() % 2, p, KIND_ROCK, false, -1, false);
    }
}

void MapGenerator::RockHill(IntPoint p, IntPoint q)
{
    SetKind(p.x, p.y, KIND_HILL_PEAK);
    SetKind(q.x, q.y, KIND_HILL_PEAK);
    for (int i = 0; i < 4; ++i) {
        StampArea(i + 2, p, KIND_HILL_SLOPE + i, false, -1, false);
        StampArea(i + 2, q, KIND_HILL_SLOPE + i, false, -1, false);
    }
}

void MapGenerator::Terrace(int passes)
{
    if (kinds.empty()) return;
    static const int around[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (int k = 0; k < passes; ++k) {
        for (int y = 0; y < mapWidth; ++y)
            for (int x = 0; x < mapWidth; ++x) {
                int kind = KindAt(x, y);
                // Hills and rough clearings carry their own slopes.
                bool feature = kind >= KIND_ORE && !(kind >= KIND_HILL_PEAK && kind <= KIND_HILL_SLOPE + 3) && kind != KIND_ROUGH;
                // A cell written in this pass holds k + 2 and so never seeds it.
                if (kind != k + 1 && !feature) continue;
                for (const auto& o : around) {
                    int nx = x + o[0], ny = y + o[1];
                    if (IsInner(nx, ny) && KindAt(nx, ny) == KIND_OPEN) SetKind(nx, ny, k + 2);
                }
            }
    }
}

void MapGenerator::GrowKind(int kind, int passes)
{
    if (kinds.empty()) return;
    static const int around[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (int pass = 0; pass < passes; ++pass) {
        std::vector<int> snapshot = kinds;
        for (int y = 0; y < mapWidth; ++y)
            for (int x = 0; x < mapWidth; ++x) {
                if (snapshot[(size_t)y * mapWidth + x] != kind) continue;
                for (const auto& o : around) {
                    int nx = x + o[0], ny = y + o[1];
                    if (IsInner(nx, ny) && KindAt(nx, ny) == KIND_OPEN) SetKind(nx, ny, kind);
                }
            }
    }
}

void MapGenerator::Sketch(int mx, int my, bool scattered)
{
    if (kinds.empty()) {
        kinds.assign((size_t)mapWidth * mapWidth, KIND_OPEN);
        second.assign((size_t)mapWidth * mapWidth, 0);
    }
    const int cornerX = mx / PLACEMENT_CELL_SIZE * PLACEMENT_CELL_SIZE;
    const int cornerY = my / PLACEMENT_CELL_SIZE * PLACEMENT_CELL_SIZE;
    for (int i = 0; i < 64; ++i) {
        IntPoint offset = scattered ? RandomPointAround(IntPoint{16, 16}, 15, 15) : HaltonPoint(i, 31, 31);
        const int x = cornerX + offset.x, y = cornerY + offset.y;
        if (IsInside(x, y) && KindAt(x, y) == KIND_OPEN) SetKind(x, y, KIND_SKETCH);
    }
    SaveMapImage();
}

std::vector<uint32_t> MapGenerator::HeightPixels() const
{
    if (kinds.empty()) return {};
    Heightmap heights(mapWidth, mapWidth, 1.0f);
    KindHeights(heights);
    float low = heights.data[0], high = heights.data[0];
    for (float h : heights.data) {
        if (h < low) low = h;
        if (h > high) high = h;
    }
    std::vector<uint32_t> pixels(heights.data.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t grey = high > low ? (uint32_t)((heights.data[i] - low) / (high - low) * 255.0f) : 0u;
        pixels[i] = 0xff000000u | grey << 16 | grey << 8 | grey;
    }
    return pixels;
}
