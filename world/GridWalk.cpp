#include "world/GridWalk.h"

#include "world/Entity.h"
#include "world/Grid.h"
#include "world/PathFinder.h"

#include <algorithm>

namespace {

constexpr int STEP[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
constexpr int SIDES[8][2] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 1}, {1, 2}, {2, 3}, {0, 3}};

// A cell a walk may enter: walkable, and free or held by a unit (which makes way).
bool Open(const Grid* grid, int x, int y)
{
    const GridCell* cell = grid->GetCell(x, y);
    return cell && (cell->flags & CELL_WALKABLE) && (!cell->occupant || (cell->occupant->flags & ENTITY_AGENT));
}

// Whether the step k leads from (x, y) into an open cell: the cell's exit (both beside a
// diagonal too) and both cells a diagonal cuts past. Cells on the outermost rows and columns
// are never stepped from.
bool Steps(const Grid* grid, int x, int y, int k)
{
    const int n = grid->size;
    if (x < 1 || x > n - 2 || y < 1 || y > n - 2) return false;
    const GridCell* cell = grid->GetCell(x, y);
    if (!cell || !cell->steps[k]) return false;
    const int nx = x + STEP[k][0], ny = y + STEP[k][1];
    if (!Open(grid, nx, ny)) return false;
    return k < 4 || (cell->steps[SIDES[k][0]] && cell->steps[SIDES[k][1]] && Open(grid, x, ny) && Open(grid, nx, y));
}

}  // namespace

Path* GridWalk::Route(PathPool* pool, const Grid* grid, int startX, int startY, int goalX, int goalY)
{
    reached_ = 0;
    if (!pool || !grid || pool->FreeCount() == 0) return nullptr;
    const int n = grid->size;
    if (n <= 0 || !grid->GetCell(startX, startY) || !grid->GetCell(goalX, goalY)) return nullptr;
    const size_t cells = (size_t)n * n;
    if (marks_.size() != cells || floods_ >= UINT32_MAX / 2 - 1) {
        marks_.assign(cells, 0);
        links_.assign(cells, -1);
        floods_ = 0;
    }
    ++floods_;
    const uint32_t startSide = floods_ * 2, goalSide = startSide + 1;
    const int start = startY * n + startX, goal = goalY * n + goalX;
    marks_[(size_t)start] = startSide;
    links_[(size_t)start] = start;
    marks_[(size_t)goal] = goalSide;
    links_[(size_t)goal] = goal;
    fromStart_.assign(1, start);
    fromGoal_.assign(1, goal);

    // The step that joins the two floods: from a cell of the start's side into one of the goal's.
    int joinFrom = start == goal ? start : -1, joinTo = goal;
    for (size_t i = 0, j = 0; joinFrom < 0 && i < fromStart_.size() && j < fromGoal_.size();) {
        const int x = fromStart_[i] % n, y = fromStart_[i] / n;
        ++i;
        for (int k = 0; k < 8 && joinFrom < 0; ++k) {
            if (!Steps(grid, x, y, k)) continue;
            const size_t next = (size_t)(y + STEP[k][1]) * n + (size_t)(x + STEP[k][0]);
            if (marks_[next] == goalSide) {
                joinFrom = y * n + x, joinTo = (int)next;
            } else if (marks_[next] != startSide) {
                marks_[next] = startSide;
                links_[next] = y * n + x;
                fromStart_.push_back((int32_t)next);
            }
        }
        if (joinFrom >= 0) break;
        // The goal's side floods backwards: into the cells whose step leads onto its own.
        const int gx = fromGoal_[j] % n, gy = fromGoal_[j] / n;
        ++j;
        for (int k = 0; k < 8 && joinFrom < 0; ++k) {
            const int px = gx - STEP[k][0], py = gy - STEP[k][1];
            if (!Steps(grid, px, py, k)) continue;
            const size_t before = (size_t)py * n + (size_t)px;
            if (marks_[before] == startSide) {
                joinFrom = (int)before, joinTo = gy * n + gx;
            } else if (marks_[before] != goalSide && Open(grid, px, py)) {
                marks_[before] = goalSide;
                links_[before] = gy * n + gx;
                fromGoal_.push_back((int32_t)before);
            }
        }
    }
    reached_ = (int)(fromStart_.size() + fromGoal_.size());
    if (joinFrom < 0) return nullptr;

    // The start's half runs backwards in its links: it is turned round in a queue no longer used.
    std::vector<int32_t>& walk = fromStart_;
    walk.clear();
    for (int at = joinFrom;; at = links_[(size_t)at]) {
        walk.push_back(at);
        if (at == start) break;
    }
    std::reverse(walk.begin(), walk.end());
    if (joinTo != joinFrom)
        for (int at = joinTo; (int)walk.size() <= PATH_MAX_POINTS; at = links_[(size_t)at]) {
            walk.push_back(at);
            if (at == goal) break;
        }
    Path* path = pool->Acquire();
    if (!path) return nullptr;
    for (int32_t at : walk)
        if (!path->AddPoint(grid->CellToWorld(at % n, at / n))) break;  // the rest is planned from its end
    return path;
}
