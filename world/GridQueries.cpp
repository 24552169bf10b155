// Searches and tests on the map grid.
#include "world/GridQueries.h"

#include "host/Random.h"
#include "levelgen/CellGrid.h"
#include "mechanics/GameMechanics.h"
#include "platform/MathUtil.h"
#include "render/IndexedMesh.h"
#include "terrain/Terrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Entity.h"
#include "world/Grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The four sides of a cell, in the order they are tried.
constexpr int SIDES[4][2] = {{0, 1}, {0, -1}, {-1, 0}, {1, 0}};

float GroundDistanceSq(const Vec3& a, const Vec3& b)
{
    float dx = a.x - b.x, dz = a.z - b.z;
    return dx * dx + dz * dz;
}

// The cell of a point snapped to its grid point (where entities stand).
bool SnappedCell(const Grid& grid, const Vec3& position, int* column, int* row)
{
    return grid.WorldToCell(grid.SnapToGridPoint(position), column, row);
}

// How far a value lies outside the range low..high (0 inside).
int DistanceOutside(int value, int low, int high)
{
    if (value < low) return low - value;
    if (value > high) return value - high;
    return 0;
}

// Whether the entity holds grid cells of its own (its footprint stamped on the grid).
bool HoldsCells(const Entity* entity)
{
    return entity->gridCell && entity->gridCell->occupant == entity;
}

// The cells an entity covers: a building's or item's grid rectangle, or the footprint another
// entity holds (a mission object's machine spans several cells), else its own cell. An ore
// crystal holds only its own cell, however wide its mesh: the cells round its mesh's edge lie
// two cells off the one it holds, and a rig sent there stands short of it for good.
bool EntityCells(const Grid& grid, Entity* entity, IntRect* cells)
{
    int width, depth, column, row;
    const bool ore = (entity->flags & ENTITY_RESOURCE) && !(entity->flags & ENTITY_FUEL);
    if ((entity->flags & (ENTITY_BUILDING | ENTITY_ITEM)) || (HoldsCells(entity) && !ore)) {
        if (!Entity::GetGridRect(entity, &width, &depth, &column, &row)) return false;
        cells->minX = column;
        cells->maxX = column + width - 1;
        cells->minY = row;
        cells->maxY = row + depth - 1;
        return true;
    }
    if (!SnappedCell(grid, entity->GetPosition(), &column, &row)) return false;
    cells->minX = cells->maxX = column;
    cells->minY = cells->maxY = row;
    return true;
}

}  // namespace

float GroundDistanceToCells(const Vec3& from, Entity* entity)
{
    const Grid* grid = CurrentGrid();
    IntRect cells;
    const Vec3 at = entity->GetPosition();
    if (!grid || !(entity->flags & (ENTITY_BUILDING | ENTITY_ITEM)) || !EntityCells(*grid, entity, &cells))
        return std::sqrt(GroundDistanceSq(at, from));
    const Vec3 low = grid->CellToWorld(cells.minX, cells.minY);
    const Vec3 high = grid->CellToWorld(cells.maxX, cells.maxY) + Vec3(grid->cellSize, 0.0f, grid->cellSize);
    const float dx = std::max({low.x - from.x, 0.0f, from.x - high.x});
    const float dz = std::max({low.z - from.z, 0.0f, from.z - high.z});
    return std::sqrt(dx * dx + dz * dz);
}

bool HasFreeNeighbourCell(const GridCell* cell, const Entity* entity)
{
    const Grid* grid = CurrentGrid();
    if (!grid || !cell) return false;
    for (const auto& side : SIDES) {
        const GridCell* next = grid->GetCell(cell->column + side[0], cell->row + side[1]);
        if (next && (next->flags & CELL_WALKABLE) && (!next->occupant || next->occupant == entity)) return true;
    }
    return false;
}

bool FindFreeCellNear(Vec3* out, Entity* target, const Vec3& from, float maximumDistance, const Vec3* fallback)
{
    const Grid* grid = CurrentGrid();
    if (!grid) return false;
    IntRect area;
    bool ownCells = false;  // the area is the target's own: its cells are never the answer
    int column, row;
    if (target && (target->flags & (ENTITY_BUILDING | ENTITY_ITEM))) {
        if (!EntityCells(*grid, target, &area)) return false;
        ownCells = true;
    } else if (target && (target->flags & (ENTITY_STATIC | ENTITY_RESOURCE))) {
        // Beside all of what it holds: the ring round its middle cell alone may be its own.
        if (!EntityCells(*grid, target, &area)) return false;
        ownCells = true;
    } else {
        if (!fallback || !grid->WorldToCell(*fallback, &column, &row)) return false;
        area.minX = area.maxX = column;
        area.minY = area.maxY = row;
    }

    const GridCell* best = nullptr;
    float bestDistance = 0.0f;
    for (int c = area.minX - 1; c <= area.maxX + 1; ++c)
        for (int r = area.minY - 1; r <= area.maxY + 1; ++r) {
            if (ownCells && c >= area.minX && c <= area.maxX && r >= area.minY && r <= area.maxY) continue;
            const GridCell* cell = grid->GetCell(c, r);
            if (!cell || !cell->IsFreeWalkable() || !HasFreeNeighbourCell(cell, nullptr)) continue;
            float distance = GroundDistanceSq(grid->CellToWorld(c, r), from);
            if (!best || distance < bestDistance) {
                best = cell;
                bestDistance = distance;
            }
        }
    if (!best) return false;
    // The limit is held against the cell chosen, not against the last one looked at.
    if (maximumDistance > 0.01f && bestDistance > maximumDistance * maximumDistance) return false;
    if (out) *out = grid->CellToWorld(best->column, best->row);
    return true;
}

bool CollectFreeCellsSpiral(const Vec3& position, int radius, int maximum, Vec3* positions, int* count)
{
    int found = 0;
    const Grid* grid = CurrentGrid();
    int column, row;
    if (grid && positions && maximum > 0 && grid->WorldToCell(position, &column, &row)) {
        int dx = 1, dz = 0, run = 1, left = 1, turns = 0;
        for (int step = 0; step < radius * radius && found < maximum; ++step) {
            column += dx;
            row += dz;
            const GridCell* cell = grid->GetCell(column, row);
            if (cell && cell->IsFreeWalkable()) positions[found++] = grid->CellToWorld(column, row);
            if (--left > 0) continue;
            // A left turn; every second turn makes the runs one cell longer.
            int turned = dx;
            dx = -dz;
            dz = turned;
            if (++turns % 2 == 0) ++run;
            left = run;
        }
    }
    if (count) *count = found;
    return found > 0;
}

bool IsWithinOneCell(const Vec3& a, const Vec3& b)
{
    const Grid* grid = CurrentGrid();
    int ca, ra, cb, rb;
    if (!grid || !SnappedCell(*grid, a, &ca, &ra) || !SnappedCell(*grid, b, &cb, &rb)) return false;
    return std::abs(ca - cb) <= 1 && std::abs(ra - rb) <= 1;
}

bool IsNextToEntity(const Vec3& position, Entity* entity, bool sameCellCounts)
{
    const Grid* grid = CurrentGrid();
    int column, row;
    if (!grid || !entity || !grid->WorldToCell(position, &column, &row)) return false;
    bool holdsCells = entity->gridCell && entity->gridCell->occupant == entity && entity->gridRect[0] >= 0;
    if (holdsCells) {
        for (int dc = -1; dc <= 1; ++dc)
            for (int dr = -1; dr <= 1; ++dr) {
                if (dc == 0 && dr == 0) continue;
                const GridCell* cell = grid->GetCell(column + dc, row + dr);
                if (cell && cell->occupant == entity) return true;
            }
        return false;
    }
    IntRect cells;
    if (!EntityCells(*grid, entity, &cells)) return false;
    int dc = DistanceOutside(column, cells.minX, cells.maxX), dr = DistanceOutside(row, cells.minY, cells.maxY);
    switch (dc + dr) {
    case 0:
        return sameCellCounts;
    case 1:
        return true;
    case 2:
        return dc == 1 && dr == 1;
    default:
        return false;
    }
}

bool FindRaidStandCell(Entity* entity, const Vec3& from, Vec3* position, float* distance)
{
    const Grid* grid = CurrentGrid();
    if (!grid || !entity) return false;
    if (!(entity->flags & ENTITY_BUILDING)) {
        int column, row;
        if (!grid->WorldToCell(entity->GetPosition(), &column, &row)) return false;
        const GridCell* best = nullptr;
        float bestDistance = 10000.0f;
        for (int dc = -1; dc <= 1; ++dc)
            for (int dr = -1; dr <= 1; ++dr) {
                const GridCell* cell = (dc || dr) ? grid->GetCell(column + dc, row + dr) : nullptr;
                if (!cell || !cell->IsFreeWalkable()) continue;
                float d = std::sqrt(GroundDistanceSq(grid->CellToWorld(cell->column, cell->row), from));
                if (d < bestDistance) {
                    best = cell;
                    bestDistance = d;
                }
            }
        if (!best) return false;
        if (position) *position = grid->CellToWorld(best->column, best->row);
        if (distance) *distance = bestDistance;
        return true;
    }
    IntRect cells;
    if (!EntityCells(*grid, entity, &cells)) return false;
    for (int ring = 1; ring <= 2; ++ring)
        for (int c = cells.minX - ring; c <= cells.maxX + ring; ++c)
            for (int r = cells.minY - ring; r <= cells.maxY + ring; ++r) {
                bool onRing = c == cells.minX - ring || c == cells.maxX + ring || r == cells.minY - ring ||
                              r == cells.maxY + ring;
                const GridCell* cell = onRing ? grid->GetCell(c, r) : nullptr;
                if (!cell || cell->occupant) continue;
                Vec3 corner = grid->CellToWorld(c, r);
                if (position) *position = corner;
                if (distance) *distance = std::sqrt(GroundDistanceSq(corner, from));
                return true;
            }
    return false;
}

void SnapEntityToCell(BuildItemList* list)
{
    const Grid* grid = CurrentGrid();
    Entity* preview = list && list->current ? list->current->prototype : nullptr;
    if (!grid || !preview) return;
    Vec3 point = grid->SnapToGridPoint(TheGame->pickedPoint);
    // The cursor past the map's edge holds the building at the edge: off the grid it has no
    // ground and no cells to stand on.
    const Vec3 first = grid->CellToWorld(0, 0), last = grid->CellToWorld(grid->size - 1, grid->size - 1);
    point.x = std::fmin(std::fmax(point.x, first.x), last.x);
    point.z = std::fmin(std::fmax(point.z, first.z), last.z);
    point = StandingOnFootprint(preview, point);
    point.y = TheTerrain.GetHeight(point) + 0.1f;
    preview->SetPosition(point);
    preview->gridRect[0] = -1;
}

Vec3 StandingOnFootprint(Entity* entity, Vec3 point)
{
    const Grid* grid = CurrentGrid();
    const bool building = entity && (entity->flags & ENTITY_BUILDING);
    const BuildItem* item = building ? static_cast<Building*>(entity)->definition : nullptr;
    if (!grid || !item || !(item->flags & BUILD_PLAYER_CAN_BUILD)) return point;
    // The middle of the model on the middle of its cells.
    IntRect cells;
    Vec3 low, high;
    if (!GetBuildingFootprintCells(&cells, entity->mesh, point, entity->yaw, entity->scale) ||
        !GetRotatedFootprintBox(&low, &high, entity->mesh, point, entity->yaw, entity->scale))
        return point;
    const Vec3 from = grid->CellToWorld(cells.minX, cells.minY);
    const Vec3 to = grid->CellToWorld(cells.maxX + 1, cells.maxY + 1);
    point.x += (from.x + to.x - low.x - high.x) * 0.5f;
    point.z += (from.z + to.z - low.z - high.z) * 0.5f;
    return point;
}

bool GetRotatedFootprintBox(Vec3* low, Vec3* high, const IndexedMesh* mesh, const Vec3& position, float heading,
                            float scale)
{
    if (!mesh) return false;
    if (std::fabs(heading) <= 0.01f) {
        if (mesh->boundsMin.x > mesh->boundsMax.x) return false;  // nothing in the mesh
        *low = position + mesh->boundsMin * scale;
        *high = position + mesh->boundsMax * scale;
        return true;
    }
    Matrix turn;
    MatrixRotationY(&turn, heading * 0.01745329f);
    *low = Vec3(1000.0f, 1000.0f, 1000.0f);
    *high = Vec3(-1000.0f, -1000.0f, -1000.0f);
    for (const MeshMaterial& material : mesh->materials)
        for (const MeshVertex& vertex : material.Vertices()) {
            // The file's vertices, mirrored as the mesh stands in the world.
            Vec3 mirrored(-vertex.position.x, vertex.position.y, vertex.position.z), turned;
            Vec3TransformCoord(&turned, &mirrored, &turn);
            Vec3 placed = position + turned * scale;
            *low = Vec3Min(*low, placed);
            *high = Vec3Max(*high, placed);
        }
    return low->x <= high->x;
}

bool GetRotatedFootprintCells(IntRect* rectangle, const IndexedMesh* mesh, const Vec3& position, float heading,
                              float scale)
{
    const Grid* grid = CurrentGrid();
    Vec3 low, high;
    if (!grid || !GetRotatedFootprintBox(&low, &high, mesh, position, heading, scale)) return false;
    // A corner half a cell in belongs to the cell it stands in, not to its neighbour.
    float half = grid->cellSize * 0.5f;
    low.x += half;
    low.z += half;
    high.x += half;
    high.z += half;
    int c0, r0, c1, r1;
    if (!grid->WorldToCell(low, &c0, &r0) || !grid->WorldToCell(high, &c1, &r1)) return false;
    if (rectangle) {
        rectangle->minX = std::min(c0, c1);
        rectangle->maxX = std::max(c0, c1);
        rectangle->minY = std::min(r0, r1);
        rectangle->maxY = std::max(r0, r1);
    }
    return true;
}

namespace {

// The cells a building takes on one axis, its span measured from the grid's first line: an odd
// number of them (one, three, five: a building has a middle cell), as many as a span of that
// length centred on a cell's corner reaches into when its ends are rounded to the nearest
// cell, laid out about the span's middle.
void CentredCells(float start, float end, float cellSize, int* first, int* last)
{
    const float half = (end - start) * 0.5f / cellSize;
    const int count = 1 + 2 * (int)std::floor(half + 0.5f);
    const float middle = (start + end) * 0.5f / cellSize;
    // A middle on a cell's corner, where a building put down by the level stands, has no
    // middle cell: the cells after the corner are taken, as the grid's cell rule takes them.
    *first = (int)std::floor(middle - count * 0.5f + 0.51f);
    *last = *first + count - 1;
}

}  // namespace

bool GetBuildingFootprintCells(IntRect* rectangle, const IndexedMesh* mesh, const Vec3& position, float heading,
                               float scale)
{
    const Grid* grid = CurrentGrid();
    Vec3 low, high;
    if (!grid || !GetRotatedFootprintBox(&low, &high, mesh, position, heading, scale)) return false;
    const Vec3 origin = grid->CellToWorld(0, 0);
    IntRect cells;
    CentredCells(low.x - origin.x, high.x - origin.x, grid->cellSize, &cells.minX, &cells.maxX);
    CentredCells(low.z - origin.z, high.z - origin.z, grid->cellSize, &cells.minY, &cells.maxY);
    if (cells.minX < 0 || cells.minY < 0 || cells.maxX >= grid->size || cells.maxY >= grid->size) return false;
    if (rectangle) *rectangle = cells;
    return true;
}

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
