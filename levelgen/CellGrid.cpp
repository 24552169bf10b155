#include "levelgen/CellGrid.h"

#include "host/Random.h"

#include <algorithm>
#include <cstdlib>

CellGrid& CellGrid::Instance()
{
    static CellGrid grid;
    return grid;
}

CellGrid::CellGrid(int mapWidth)
{
    side = std::max(mapWidth / cellSize, 1);
    cellCount = side * side;
    ids.resize((size_t)cellCount);
    Reset();
}

void CellGrid::Reset()
{
    for (int i = 0; i < cellCount; ++i) ids[(size_t)i] = i;
    freeCount = cellCount;
}

bool CellGrid::IsFreeCell(int column, int row) const
{
    if (column < 0 || row < 0 || column >= side || row >= side) return false;
    return IsFree(row * side + column);
}

int CellGrid::PositionToIndex(IntPoint p) const
{
    if (p.x < 0 || p.y < 0 || p.x >= side * cellSize || p.y >= side * cellSize) return -1;
    return (p.y / cellSize) * side + p.x / cellSize;
}

IntPoint CellGrid::IndexToPosition(int index) const
{
    return IntPoint(cellSize * (index % side), cellSize * (index / side));
}

void CellGrid::Take(int index)
{
    if (!IsValidIndex(index) || ids[(size_t)index] < 0) return;
    ids[(size_t)index] = -1;
    --freeCount;
}

void CellGrid::MarkUsedAt(IntPoint p)
{
    Take(PositionToIndex(p));
}

void CellGrid::MarkUsed(int index)
{
    Take(index);
}

void CellGrid::BlockLine(bool row, int x, int y)
{
    for (int k = 0; k < side; ++k) {
        int column = row ? k : x / cellSize;
        int r = row ? y / cellSize : k;
        if (column >= 0 && column < side && r >= 0 && r < side) Take(r * side + column);
    }
}

int CellGrid::Distance(int a, int b) const
{
    return std::max(std::abs(a % side - b % side), std::abs(a / side - b / side));
}

int CellGrid::TakeRandomFreeCell()
{
    if (freeCount < 1) return -1;
    int r = Rand() % freeCount;
    for (int i = 0, seen = 0; i < cellCount; ++i) {
        if (!IsFree(i)) continue;
        if (seen++ == r) {
            Take(i);
            return i;
        }
    }
    return -1;
}

int CellGrid::TakeFarCell(int x, int y, int distance)
{
    return TakeFarCellAvoiding(x, y, distance, {});
}

int CellGrid::TakeFarCellAvoiding(int x, int y, int distance, const std::vector<bool>& avoided)
{
    int from = (std::clamp(y, 0, side * cellSize - 1) / cellSize) * side + std::clamp(x, 0, side * cellSize - 1) / cellSize;
    std::vector<int> candidates;
    candidates.reserve((size_t)cellCount);
    for (int i = 0; i < cellCount; ++i)
        if (IsFree(i) && Distance(i, from) >= distance && !((size_t)i < avoided.size() && avoided[(size_t)i]))
            candidates.push_back(i);
    if (candidates.empty()) return -1;
    int chosen = candidates[(size_t)(Rand() % (int)candidates.size())];
    Take(chosen);
    return chosen;
}

int CellGrid::TakeAdjacentCell(int index)
{
    if (!IsValidIndex(index)) return -1;
    static const int offsets[8][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
    int row = index / side, column = index % side;
    int candidates[8];
    int n = 0;
    for (const auto& o : offsets) {
        int r = row + o[0], c = column + o[1];
        if (r >= 0 && r < side && c >= 0 && c < side && IsFree(r * side + c)) candidates[n++] = r * side + c;
    }
    if (n == 0) return -1;
    int chosen = n == 1 ? candidates[0] : candidates[Rand() % n];
    Take(chosen);
    return chosen;
}

int CellGrid::TakeOppositeCell(int index)
{
    if (!IsValidIndex(index)) return -1;
    int opposite = (side - 1 - index / side) * side + (side - 1 - index % side);
    // A cell already taken would put two features on one site.
    if (!IsFree(opposite)) return -1;
    Take(opposite);
    return opposite;
}

int CellGrid::TakeCentral(int x, int y, int distance)
{
    int row0 = -1, column0 = -1;
    if (distance > 0) {
        int from = (std::clamp(y, 0, side * cellSize - 1) / cellSize) * side + std::clamp(x, 0, side * cellSize - 1) / cellSize;
        row0 = from / side;
        column0 = from % side;
    }
    const int central[4] = {side + 1, side + 2, 2 * side + 1, 2 * side + 2};
    int candidates[4];
    int n = 0;
    for (int cell : central) {
        if (!IsValidIndex(cell) || !IsFree(cell)) continue;
        if (distance > 0 && std::max(std::abs(column0 - cell % side), std::abs(row0 - cell / side)) < distance) continue;
        candidates[n++] = cell;
    }
    if (n == 0) return -1;
    int chosen = candidates[Rand() % n];
    Take(chosen);
    return chosen;
}

int CellGrid::TakeCentralCell()
{
    return TakeCentral(0, 0, 0);
}

int CellGrid::TakeCentralCellAwayFrom(int x, int y, int distance)
{
    return TakeCentral(x, y, distance);
}
