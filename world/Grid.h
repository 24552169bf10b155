#pragma once
// The map grid: the level's ground cut into N x N square cells. A cell knows which entity
// stands on it, the next cell held by the same entity (an entity holding several cells chains
// them), whether units may walk and buildings may stand there, its walk region and which of
// its eight neighbour steps are open. Every world position of the game becomes a cell here.
//
// The game object makes one grid of 128 x 128 cells of 2.5 units and keeps it for the whole
// run; a level end resets its cells. Queries off the grid answer none, -1/-1 or false.
//
// Occupancy: an entity that takes cells writes itself into each and links them through next
// in the order it took them; its gridCell is the head of that chain, and it gives all of them
// up through RemoveOccupant on the head. A cell is never taken from another entity.
#include "host/Maths.h"

#include <cstddef>
#include <cstdint>

class Entity;

// GridCell::flags
constexpr uint8_t CELL_WALKABLE = 0x1;
constexpr uint8_t CELL_BUILDABLE = 0x2;
constexpr uint8_t CELL_FUEL = 0x4;  // a fuel vent's cell

// An occupant chain never runs longer than this.
constexpr int MAX_CELL_CHAIN = 64;

struct GridCell {
    Entity* occupant = nullptr;
    GridCell* next = nullptr;  // the next cell of the same occupant
    uint16_t column = 0;
    uint16_t row = 0;
    uint8_t flags = 0;
    uint8_t spare = 0;
    int16_t region = 0;
    // Steps (1, 0), (0, 1), (-1, 0), (0, -1), (1, 1), (-1, 1), (-1, -1), (1, -1): non-zero
    // when a step may leave the cell that way.
    uint8_t steps[8] = {1, 1, 1, 1, 1, 1, 1, 1};

    bool IsFreeWalkable() const { return (flags & CELL_WALKABLE) && !occupant; }
    bool IsFreeBuildable() const { return (flags & CELL_BUILDABLE) && !occupant; }
    // When the entity holds this cell: clears it and every following cell of its chain and
    // cuts the links. A cell held by another entity is left alone.
    void RemoveOccupant(const Entity* entity);
};

class Grid {
public:
    Grid(int cellsPerSide, float cellSize, float offsetX = 0.0f, float offsetY = 0.0f, float offsetZ = 0.0f);
    virtual ~Grid();
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    // Null off the grid. Inline: the path search asks it for every neighbour it weighs.
    GridCell* GetCell(int column, int row) const
    {
        if (column < 0 || row < 0 || column >= size || row >= size) return nullptr;
        return &cells_[(size_t)row * size + column];
    }
    // False, with -1 and -1, off the grid.
    bool WorldToCell(const Vec3& position, int* column, int* row) const;
    GridCell* GetCellAt(const Vec3& position) const;
    // The cell's lower corner, where entities stand; y is 0.
    Vec3 CellToWorld(int column, int row) const;
    // x and z rounded to the nearest whole multiple of the cell size; y kept.
    Vec3 SnapToGridPoint(const Vec3& position) const;
    bool IsInsideCell(const Vec3& point, const Vec3& position) const;
    // Every cell as after construction (column and row kept): a level ends.
    void ResetCells();

    // Makes the entity the occupant of every free cell of the rectangle (corners in any order)
    // and appends those cells to its chain. Cells off the grid, held by another entity or
    // already the entity's own are passed over, and a chain stops growing at its 64th cell.
    // Returns how many cells were taken.
    int OccupyCells(Entity* entity, int column0, int row0, int column1, int row1);
    // The occupant of the first fuel vent cell around the entity: its grid rectangle widened
    // by one cell, scanned column by column. None when there is no such cell.
    Entity* FindFlaggedCellAround(Entity* entity) const;

    // Walk regions (labelled by the tile map): true when both cells carry labels of the latest
    // labelling and they differ, so no walk leads from one to the other. Cells without a
    // label of their own (blocked, the border, or from an earlier labelling) say nothing.
    bool CannotReach(const GridCell* from, const GridCell* to) const;

    int size;
    float cellSize;
    Vec3 offset;  // added to a world position before it is divided by the cell size
    float extent;
    // The last walk region label given (it only grows, so a labelling tells its own cells from
    // an earlier one's), and the first label of the latest labelling.
    int regionCounter = 0;
    int regionBase = 1;

private:
    GridCell* cells_;
};

// Cells per side of the grid, or of the current level's grid when none is given; 128 without
// a game or a grid.
int GetGridSize(const Grid* grid = nullptr);
// The current game's grid; none without a game.
Grid* CurrentGrid();
