#pragma once
// The placement cells of a level: the 128 x 128 level map cut into 4 x 4 square cells of 32
// units. Every large feature (the player's start, objective sites, wreckage, camps, lairs,
// hills) takes a whole cell, so no two features crowd each other and distances can be
// reasoned about in whole cells. The grid only keeps which cells are taken; callers turn a
// cell into a map position themselves.
//
// Cell index = row x side + column, the row growing with the map's y and the column with its
// x. Distances between cells are counted in whole cells along the longer axis (Chebyshev).
// Every random choice is one Rand() modulo the number of candidates, so a level comes out
// the same for the same seed. A take that finds no candidate returns -1 and changes nothing.
#include "platform/IntRect.h"

#include <vector>

// The level generator's map: LEVEL_MAP_SIZE x LEVEL_MAP_SIZE units, one per heightmap cell.
constexpr int LEVEL_MAP_SIZE = 128;
constexpr int PLACEMENT_CELL_SIZE = 32;

class CellGrid {
public:
    // The one grid of the program; made on the first call with every cell free.
    static CellGrid& Instance();
    explicit CellGrid(int mapWidth = LEVEL_MAP_SIZE);

    // Every cell free again.
    void Reset();
    int GetCellCount() const { return cellCount; }
    int GetFreeCount() const { return freeCount; }
    bool IsValidIndex(int index) const { return index >= 0 && index < cellCount; }
    // Callers pass valid indices.
    bool IsFree(int index) const { return ids[index] == index; }
    bool IsFreeCell(int column, int row) const;

    // The cell of a map position; -1 off the map.
    int PositionToIndex(IntPoint p) const;
    // The cell's low corner.
    IntPoint IndexToPosition(int index) const;

    // The cell of the position is taken.
    void MarkUsedAt(IntPoint p);
    // The cell is taken; an invalid index is ignored.
    void MarkUsed(int index);
    // Every cell of the column of x (row false) or of the row of y (row true) is taken: a
    // river runs through them.
    void BlockLine(bool row, int x, int y);

    // A free cell chosen uniformly.
    int TakeRandomFreeCell();
    // A free cell at least distance cells from the cell of (x, y), chosen uniformly.
    int TakeFarCell(int x, int y, int distance);
    // The same among the cells the caller has not ruled out (avoided holds a flag per cell).
    int TakeFarCellAvoiding(int x, int y, int distance, const std::vector<bool>& avoided);
    // One of the free neighbours of the cell (eight directions); with one candidate no
    // number is drawn.
    int TakeAdjacentCell(int index);
    // The cell mirrored through the map's centre, when it is still free.
    int TakeOppositeCell(int index);
    // One of the four central cells that is free (a number is drawn even for one candidate).
    int TakeCentralCell();
    // The same among the central cells at least distance cells from the cell of (x, y).
    int TakeCentralCellAwayFrom(int x, int y, int distance);

private:
    // Taking a cell that is already taken changes nothing, so the free count always equals
    // the number of free cells.
    void Take(int index);
    int Distance(int a, int b) const;
    int TakeCentral(int x, int y, int distance);

    std::vector<int> ids;  // the cell's own index while free, -1 once taken
    int freeCount = 0;
    int cellCount = 0;
    int cellSize = PLACEMENT_CELL_SIZE;
    int side = 0;
};
