#include "tools/SculptBrush.h"

#include "terrain/Heightmap.h"

#include <algorithm>
#include <cmath>

namespace {

// Calls f(x, y, d, r) for every cell of the brush square inside a side x side grid.
template <class F> void ForBrushCells(int width, int height, int size, int cx, int cy, F f)
{
    if (size <= 0) return;
    const float r = (float)size * 0.5f;
    const int x0 = cx - (int)r, y0 = cy - (int)r;
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const int x = x0 + i, y = y0 + j;
            if (x < 0 || y < 0 || x >= width || y >= height) continue;
            const float d = std::sqrt((r - (float)i) * (r - (float)i) + (r - (float)j) * (r - (float)j));
            f(x, y, d, r);
        }
}

float Falloff(float d, float r) { return (r - std::min(d, r)) / r; }

void Store(Heightmap& map, int x, int y, float h)
{
    map.data[(size_t)y * map.width + x] = std::min(std::max(h, 0.0f), map.verticalScale);
}

}  // namespace

void BrushHeights(Heightmap& map, float amount, int size, int cx, int cy, bool soft)
{
    ForBrushCells(map.width, map.height, size, cx, cy, [&](int x, int y, float d, float r) {
        const float h = map.GetHeightAt(x, y);
        if (soft)
            Store(map, x, y, h + amount * Falloff(d, r));
        else if (d <= r)
            Store(map, x, y, h + amount);
    });
}

void LevelHeights(Heightmap& map, float level, int size, int cx, int cy, bool soft)
{
    ForBrushCells(map.width, map.height, size, cx, cy, [&](int x, int y, float d, float r) {
        const float h = map.GetHeightAt(x, y);
        if (soft)
            Store(map, x, y, h + (level - h) * Falloff(d, r));
        else if (d <= r)
            Store(map, x, y, level);
    });
}

void PaintByteMap(uint8_t* map, int side, float amount, int size, int cx, int cy)
{
    if (!map) return;
    ForBrushCells(side, side, size, cx, cy, [&](int x, int y, float d, float r) {
        uint8_t& cell = map[(size_t)y * side + x];
        float value = (float)cell / 255.0f + amount * Falloff(d, r);
        value = std::min(std::max(value, 0.0f), 1.0f);
        cell = (uint8_t)(value * 255.0f + 0.5f);
    });
}
