#include "world/GridQueries.h"

#include "host/Random.h"
#include "levelgen/CellGrid.h"

#include <algorithm>
#include <cmath>

namespace {

void Walk(int x0, int z0, int x1, int z1, MidpointPath& path, float roughness, bool first, bool top)
{
    int dx = x1 - x0, dz = z1 - z0;
    if (std::abs(dx) < 1 && std::abs(dz) < 1) return;
    IntPoint m((x0 + x1) / 2, (z0 + z1) / 2);
    if ((m.x == x0 && m.y == z0) || (m.x == x1 && m.y == z1)) {
        if ((int)path.points.size() < MidpointPath::CAPACITY) path.points.push_back(m);
        return;
    }
    if ((int)path.points.size() >= MidpointPath::CAPACITY) return;
    float len = std::sqrt((float)(dx * dx + dz * dz));
    float d = 0.0f;
    if (!(top && first) && path.topLength > 0.0f) {
        d = (len / path.topLength) * (len * roughness);
        d = std::clamp(d, 0.0f, path.topLength / 2.0f);
    }
    float sign = (float)Rand() / 32768.0f < 0.5f ? -1.0f : 1.0f;
    auto displaced = [&](float s) {
        return IntPoint(m.x + (int)(s * d * (float)dz / len), m.y - (int)(s * d * (float)dx / len));
    };
    auto inside = [](IntPoint p) { return p.x >= 1 && p.y >= 1 && p.x <= LEVEL_MAP_SIZE - 2 && p.y <= LEVEL_MAP_SIZE - 2; };
    IntPoint p = displaced(sign);
    if (!inside(p)) p = displaced(-sign);
    // A segment near a corner can leave the map both ways: keep the point on it.
    p.x = std::clamp(p.x, 1, LEVEL_MAP_SIZE - 2);
    p.y = std::clamp(p.y, 1, LEVEL_MAP_SIZE - 2);
    path.points.push_back(p);
    // Kept on the map, the point may land on an end, and walking on would never get shorter.
    if ((p.x == x0 && p.y == z0) || (p.x == x1 && p.y == z1)) return;
    Walk(x0, z0, p.x, p.y, path, roughness, false, false);
    Walk(p.x, p.y, x1, z1, path, roughness, false, false);
}

}  // namespace

void WalkMidpoints(int x0, int z0, int x1, int z1, MidpointPath& path, float roughness, bool first)
{
    bool top = path.points.empty();
    if (top) {
        float dx = (float)(x1 - x0), dz = (float)(z1 - z0);
        path.topLength = std::sqrt(dx * dx + dz * dz);
    }
    Walk(x0, z0, x1, z1, path, roughness, first, top);
}
