#include "world/Grid.h"

#include "host/Log.h"
#include "mechanics/GameMechanics.h"
#include "world/Entity.h"

#include <algorithm>
#include <cmath>
#include <new>

void GridCell::RemoveOccupant(const Entity* entity)
{
    if (!entity || occupant != entity) return;
    GridCell* cell = this;
    for (int links = 0; cell && links <= MAX_CELL_CHAIN; ++links) {
        GridCell* following = cell->next;
        if (cell->occupant == entity) cell->occupant = nullptr;
        cell->next = nullptr;
        cell = following;
    }
}

Grid::Grid(int cellsPerSide, float size_, float offsetX, float offsetY, float offsetZ)
    : size(cellsPerSide > 0 ? cellsPerSide : 0), cellSize(size_), cells_(nullptr)
{
    extent = size * cellSize;
    offset = Vec3(extent / 2.0f + offsetX, offsetY, extent / 2.0f + offsetZ);
    if (size > 0) cells_ = new (std::nothrow) GridCell[(size_t)size * size];
    if (!cells_) size = 0;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            GridCell& cell = cells_[(size_t)row * size + column];
            cell.column = (uint16_t)column;
            cell.row = (uint16_t)row;
        }
}

Grid::~Grid()
{
    delete[] cells_;
}

bool Grid::WorldToCell(const Vec3& position, int* column, int* row) const
{
    float x = position.x + offset.x, z = position.z + offset.z;
    // The bounds test truncates first: half a unit below the near edge is still cell 0.
    bool inside = cellSize > 0.0f && x > -1.0f && z > -1.0f && std::floor(x) < extent && std::floor(z) < extent;
    int c = inside ? (int)(x / cellSize) : -1;
    int r = inside ? (int)(z / cellSize) : -1;
    if (c >= size || r >= size) {
        inside = false;
        c = r = -1;
    }
    if (column) *column = c;
    if (row) *row = r;
    return inside;
}

GridCell* Grid::GetCellAt(const Vec3& position) const
{
    int column, row;
    return WorldToCell(position, &column, &row) ? GetCell(column, row) : nullptr;
}

Vec3 Grid::CellToWorld(int column, int row) const
{
    return Vec3(column * cellSize - offset.x, 0.0f, row * cellSize - offset.z);
}

Vec3 Grid::SnapToGridPoint(const Vec3& position) const
{
    auto snap = [this](float v) {
        float shifted = v + (v >= 0.0f ? cellSize / 2.0f : -cellSize / 2.0f);
        return (float)(int)(shifted / cellSize) * cellSize;
    };
    if (cellSize <= 0.0f) return position;
    return Vec3(snap(position.x), position.y, snap(position.z));
}

bool Grid::IsInsideCell(const Vec3& point, const Vec3& position) const
{
    Vec3 centre = SnapToGridPoint(position);
    float half = cellSize / 2.0f;
    return point.x >= centre.x - half && point.x < centre.x + half && point.z >= centre.z - half &&
           point.z < centre.z + half;
}

void Grid::ResetCells()
{
    for (int i = 0; i < size * size; ++i) {
        GridCell& cell = cells_[i];
        uint16_t column = cell.column, row = cell.row;
        cell = GridCell();
        cell.column = column;
        cell.row = row;
    }
}

int Grid::OccupyCells(Entity* entity, int column0, int row0, int column1, int row1)
{
    if (!entity) return 0;
    if (column0 > column1) std::swap(column0, column1);
    if (row0 > row1) std::swap(row0, row1);
    // A head the entity no longer holds (a level's end reset the cells) starts a new chain.
    GridCell* tail = entity->gridCell;
    if (tail && tail->occupant != entity) tail = entity->gridCell = nullptr;
    int length = tail ? 1 : 0;
    while (tail && tail->next && length < MAX_CELL_CHAIN) {
        tail = tail->next;
        ++length;
    }
    int taken = 0;
    bool full = false;
    for (int row = std::max(row0, 0); row <= std::min(row1, size - 1) && !full; ++row)
        for (int column = std::max(column0, 0); column <= std::min(column1, size - 1); ++column) {
            GridCell* cell = GetCell(column, row);
            // Another entity's cell stays its own: taking it would cut that entity's chain.
            if (cell->occupant) continue;
            if (length >= MAX_CELL_CHAIN) {
                full = true;
                break;
            }
            cell->occupant = entity;
            cell->next = nullptr;
            if (tail)
                tail->next = cell;
            else
                entity->gridCell = cell;
            tail = cell;
            ++length;
            ++taken;
        }
    if (full)
        Log("WARNING grid: %s holds %d cells, as many as one entity may; the rest of its footprint stays free\n",
            entity->name, MAX_CELL_CHAIN);
    return taken;
}

bool Grid::CannotReach(const GridCell* from, const GridCell* to) const
{
    return from && to && from->region >= regionBase && to->region >= regionBase && from->region != to->region;
}

int GetGridSize(const Grid* grid)
{
    if (!grid) grid = CurrentGrid();
    return grid ? grid->size : 128;
}

Grid* CurrentGrid()
{
    return TheGame ? TheGame->grid : nullptr;
}
