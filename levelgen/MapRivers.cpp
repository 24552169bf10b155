// Rivers on the kind grid: each runs straight across the map with two fords, where the
// water runs straight and shallow and roads come down to both banks.
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"

#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "world/Grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Water runs straight this far on either side of a ford.
constexpr int FORD_HALF_RUN = 6;
// Roads come down to this far from the middle of the water.
constexpr int BANK_DISTANCE = 7;

float Distance(IntPoint a, IntPoint b)
{
    float dx = (float)(a.x - b.x), dy = (float)(a.y - b.y);
    return std::sqrt(dx * dx + dy * dy);
}

// The point t along a river's axis.
IntPoint AlongRiver(const LevelGenerator& layout, int river, int t)
{
    IntPoint line = layout.riverLines[river];
    return layout.riverOrientation[river] == RIVER_ALONG_ROW ? IntPoint(t, line.y) : IntPoint(line.x, t);
}

// The layout's first two crossings of a river; false when it has fewer.
bool RiverCrossings(const LevelGenerator& layout, int river, int* first, int* second)
{
    int found[2] = {-1, -1};
    int n = 0;
    for (int c = 0; c < layout.crossingCount && n < 2; ++c)
        if (layout.crossingRivers[c] == river) found[n++] = c;
    *first = found[0];
    *second = found[1];
    return n == 2;
}

}  // namespace

void MapGenerator::BuildRivers(LevelGenerator& layout)
{
    float savedJitter = pathJitter;
    pathJitter = 0.1f;
    int a = Rand() % 17;
    int b = Rand() % 16;
    int riverKind = KIND_RIVER;
    for (int river = 0; river < layout.riverCount; ++river) {
        bool secondStyle = layout.riverParameter[river] != 0.0f;
        pathJitter = secondStyle ? 0.25f : 0.2f;
        riverKind = secondStyle ? KIND_RIVER_2 : KIND_RIVER;
        bool alongRow = layout.riverOrientation[river] == RIVER_ALONG_ROW;
        int fords[2] = {a + 32, b + 80};

        int first = -1, second = -1;
        RiverCrossings(layout, river, &first, &second);
        if (first >= 0) layout.crossingPoints[first] = AlongRiver(layout, river, fords[0]);
        if (second >= 0) layout.crossingPoints[second] = AlongRiver(layout, river, fords[1]);

        const int runs[3][2] = {{0, fords[0] - FORD_HALF_RUN},
                                {fords[0] + FORD_HALF_RUN, fords[1] - FORD_HALF_RUN},
                                {fords[1] + FORD_HALF_RUN, mapWidth - 1}};
        for (const auto& run : runs) {
            IntPoint target = AlongRiver(layout, river, run[1]);
            DrawPaths(1, &target, AlongRiver(layout, river, run[0]), riverKind, false);
        }
        for (int ford : fords)
            for (int t = ford - FORD_HALF_RUN; t < ford + FORD_HALF_RUN; ++t) {
                IntPoint p = AlongRiver(layout, river, t);
                if (IsInside(p.x, p.y) && KindAt(p.x, p.y) < KIND_SKETCH) SetKind(p.x, p.y, riverKind);
            }
        // Four lanes of road down to each bank; the water between is left alone.
        for (int ford : fords)
            for (int lane = -2; lane <= 1; ++lane)
                for (int across = -BANK_DISTANCE; across <= BANK_DISTANCE; ++across) {
                    if (across > -3 && across < 3) continue;
                    IntPoint c = AlongRiver(layout, river, ford + lane);
                    IntPoint p = alongRow ? IntPoint(c.x, c.y + across) : IntPoint(c.x + across, c.y);
                    if (KindAt(p.x, p.y) == KIND_OPEN) SetKind(p.x, p.y, KIND_ROAD);
                }
    }
    if (layout.riverCount > 0) GrowKind(riverKind, 1);
    pathJitter = savedJitter;
}

int NearestCrossing(int x, int y, const LevelGenerator& layout, float* distance)
{
    int nearest = -1;
    float best = 10000.0f;
    for (int c = 0; c < layout.crossingCount; ++c) {
        float d = Distance(IntPoint(x, y), layout.crossingPoints[c]);
        if (d < best) {
            best = d;
            nearest = c;
        }
    }
    if (distance) *distance = best;
    return nearest;
}

IntPoint BankPoint(IntPoint site, const LevelGenerator& layout)
{
    int k = NearestCrossing(site.x, site.y, layout);
    if (k < 0) return site;
    IntPoint c = layout.crossingPoints[k];
    if (layout.riverOrientation[layout.crossingRivers[k]] == RIVER_ALONG_ROW)
        c.y += site.y > c.y ? BANK_DISTANCE : -BANK_DISTANCE;
    else
        c.x += site.x > c.x ? BANK_DISTANCE : -BANK_DISTANCE;
    return c;
}

bool LevelGenerator::FindCrossing(const Vec3& a, const Vec3& b, Vec3* out) const
{
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    const MapGenerator* maps = TheMapGenerator;
    if (riverCount < 1 || !grid || !maps || maps->kinds.empty()) return false;
    // The level map runs along the world's x the other way round.
    IntPoint ca, cb;
    if (!grid->WorldToCell(Vec3(-a.x, a.y, a.z), &ca.x, &ca.y) || !grid->WorldToCell(Vec3(-b.x, b.y, b.z), &cb.x, &cb.y))
        return false;
    bool alongRow = riverOrientation[0] == RIVER_ALONG_ROW;
    int from = alongRow ? std::min(ca.y, cb.y) : std::min(ca.x, cb.x);
    int to = alongRow ? std::max(ca.y, cb.y) : std::max(ca.x, cb.x);
    bool water = false;
    for (int t = from; t <= to && !water; ++t)
        water = alongRow ? maps->KindAt(ca.x, t) == KIND_RIVER : maps->KindAt(t, ca.y) == KIND_RIVER;
    if (!water) return false;

    int first = -1, second = -1;
    if (!RiverCrossings(*this, 0, &first, &second)) return false;
    IntPoint p1 = crossingPoints[first], p2 = crossingPoints[second];
    float detour1 = Distance(ca, p1) + Distance(p1, cb);
    float detour2 = Distance(ca, p2) + Distance(p2, cb);
    IntPoint best = detour1 < detour2 ? p1 : p2;
    Vec3 world = grid->CellToWorld(best.x, best.y);
    world.x = -world.x;
    if (out) *out = world;
    return true;
}
