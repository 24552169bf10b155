#include "world/Grid.h"

#include "mechanics/GameMechanics.h"

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

GridCell* Grid::GetCell(int column, int row) const
{
    if (column < 0 || row < 0 || column >= size || row >= size) return nullptr;
    return &cells_[(size_t)row * size + column];
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

int GetGridSize(const Grid* grid)
{
    if (!grid && TheGame) grid = TheGame->grid;
    return grid ? grid->size : 128;
}
