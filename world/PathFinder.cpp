#include "world/PathFinder.h"

#include "world/Grid.h"

#include <cstdlib>

bool Path::AddPoint(const Vec3& point)
{
    if (count >= PATH_MAX_POINTS) return false;
    points[count++] = point;
    return true;
}

bool Path::Advance()
{
    ++current;
    if (current < count) return true;
    current = count;
    return false;
}

bool Path::PeekNext(Vec3* point) const
{
    if (current + 1 >= count) return false;
    *point = points[current + 1];
    return true;
}

PathPool::PathPool() : paths_(new Path[PATH_POOL_SIZE]())
{
    inUse_.Init(PATH_POOL_SIZE);
    free_.Init(PATH_POOL_SIZE);
    for (int i = 0; i < PATH_POOL_SIZE; ++i) free_.PushBack(&paths_[i]);
}

PathPool::~PathPool() { delete[] paths_; }

Path* PathPool::Acquire()
{
    if (!free_.head) return nullptr;
    Path* path = free_.head->value;
    free_.Unlink(nullptr, free_.head);
    path->current = 0;
    path->count = 0;
    inUse_.PushBack(path);
    return path;
}

bool PathPool::Release(Path* path)
{
    if (!path || !inUse_.Remove(path)) return false;
    free_.PushBack(path);
    return true;
}

float PathEstimate(int x0, int y0, int x1, int y1)
{
    float dx = (float)std::abs(x0 - x1), dy = (float)std::abs(y0 - y1);
    float m = dx < dy ? dx : dy;
    return (dx + dy) - 2.0f * m + m * 1.4142135381698608f;
}

namespace {

struct NodeList {
    PathNode* entries[PATH_NODE_POOL];
    int count;

    void Append(PathNode* node)
    {
        if (count < PATH_NODE_POOL) entries[count++] = node;
    }
    void RemoveAt(int index)
    {
        for (int i = index; i + 1 < count; ++i) entries[i] = entries[i + 1];
        --count;
    }
    int Find(int x, int y) const
    {
        for (int i = 0; i < count; ++i)
            if (entries[i]->x == x && entries[i]->y == y) return i;
        return -1;
    }
};

struct SearchStorage {
    PathNode nodes[PATH_NODE_POOL];
    int used;  // nodes are only ever taken during a search, so the free ones follow the used
    NodeList open;
    NodeList closed;
};

SearchStorage* storage = nullptr;  // made once, kept for the whole run

// The steps in the grid cells' exit order.
const int STEP_X[8] = {1, 0, -1, 0, 1, -1, -1, 1};
const int STEP_Y[8] = {0, 1, 0, -1, 1, 1, -1, -1};
// The two straight exits a diagonal passes between.
const int SIDE_EXIT[8][2] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 1}, {1, 2}, {2, 3}, {0, 3}};

PathNode* TakeNode(int x, int y)
{
    if (storage->used >= PATH_NODE_POOL) return nullptr;
    PathNode* node = &storage->nodes[storage->used++];
    *node = PathNode{x, y, 0.0f, 0.0f, 0.0f, nullptr, nullptr, 1};
    return node;
}

bool Walkable(const Grid* grid, const Entity* agent, int x, int y)
{
    const GridCell* cell = grid->GetCell(x, y);
    return cell && (cell->flags & CELL_WALKABLE) && (!cell->occupant || cell->occupant == agent);
}

// A diagonal step may not cut past a blocked cell on either side.
bool CornersOpen(const Grid* grid, const Entity* agent, int k, int nx, int ny)
{
    switch (k) {
    case 4: return Walkable(grid, agent, nx - 1, ny) && Walkable(grid, agent, nx, ny - 1);
    case 5: return Walkable(grid, agent, nx + 1, ny) && Walkable(grid, agent, nx, ny - 1);
    case 6: return Walkable(grid, agent, nx + 1, ny) && Walkable(grid, agent, nx, ny + 1);
    case 7: return Walkable(grid, agent, nx - 1, ny) && Walkable(grid, agent, nx, ny + 1);
    default: return true;
    }
}

void ResetSearch()
{
    PathFinder::InitNodePool();
    for (PathNode& node : storage->nodes) node.inUse = 0;
    storage->used = 0;
    storage->open.count = 0;
    storage->closed.count = 0;
}

}  // namespace

void PathFinder::InitNodePool()
{
    if (storage) return;
    storage = new SearchStorage();
}

int PathFinder::ClosedCount() { return storage ? storage->closed.count : 0; }

const PathNode* PathFinder::ClosedNode(int index)
{
    return storage && index >= 0 && index < storage->closed.count ? storage->closed.entries[index] : nullptr;
}

PathNode* PathFinder::FindPath(int startX, int startY, int goalX, int goalY, const Grid* grid, const Entity* agent)
{
    ResetSearch();
    if (!grid) return nullptr;
    PathNode* start = TakeNode(startX, startY);
    PathNode* goal = TakeNode(goalX, goalY);
    // Walk regions tell a cell that no walk reaches without a search.
    if (grid->CannotReach(grid->GetCell(startX, startY), grid->GetCell(goalX, goalY))) return nullptr;
    const int n = GetGridSize(grid);
    NodeList& open = storage->open;
    NodeList& closed = storage->closed;
    open.Append(start);
    for (;;) {
        if (closed.count >= PATH_NODE_POOL - 1) return nullptr;
        if (open.count == 0) return nullptr;
        int best = 0;
        for (int i = 1; i < open.count; ++i)
            if (open.entries[i]->h < open.entries[best]->h) best = i;
        PathNode* current = open.entries[best];
        open.RemoveAt(best);
        closed.Append(current);
        if (current->x == goal->x && current->y == goal->y) return current;

        const int x = current->x, y = current->y;
        const GridCell* cell = grid->GetCell(x, y);
        if (x < 1 || x > n - 2 || y < 1 || y > n - 2 || !cell) continue;
        for (int k = 0; k < 8; ++k) {
            if (!cell->steps[k]) continue;
            if (k >= 4 && (!cell->steps[SIDE_EXIT[k][0]] || !cell->steps[SIDE_EXIT[k][1]])) continue;
            const int nx = x + STEP_X[k], ny = y + STEP_Y[k];
            if (!Walkable(grid, agent, nx, ny) || closed.Find(nx, ny) >= 0) continue;
            if (!CornersOpen(grid, agent, k, nx, ny)) continue;
            // A node's cost so far is its parent's total when it was reached.
            const float cost = current->f;
            int onOpen = open.Find(nx, ny);
            if (onOpen >= 0) {
                PathNode* node = open.entries[onOpen];
                if (node->g > cost) {
                    node->g = cost;
                    node->parent = current;
                    node->h = PathEstimate(nx, ny, goal->x, goal->y);
                    node->f = node->h + cost;
                }
                continue;
            }
            PathNode* node = TakeNode(nx, ny);
            if (!node) break;  // the pool is spent: the search goes on with what is open
            node->g = cost;
            node->parent = current;
            node->h = PathEstimate(nx, ny, goal->x, goal->y);
            node->f = node->h + cost;
            open.Append(node);
        }
    }
}

namespace {

// Links the chain forward from the start and lays its cells into a path from the pool.
Path* LayRoute(PathPool* pool, const Grid* grid, PathNode* end)
{
    Path* path = pool->Acquire();
    if (!path) return nullptr;
    end->child = nullptr;
    PathNode* start = end;
    for (; start->parent; start = start->parent) start->parent->child = start;
    int additions = 0;
    for (PathNode* node = start; node && additions < PATH_POINTS; node = node->child, ++additions)
        path->AddPoint(grid->CellToWorld(node->x, node->y));
    return path;
}

}  // namespace

Path* BuildPath(PathPool* pool, const Grid* grid, const Entity* agent, int startX, int startY, int goalX, int goalY)
{
    if (!pool || !grid) return nullptr;
    PathNode* end = PathFinder::FindPath(startX, startY, goalX, goalY, grid, agent);
    if (!end) return nullptr;
    return LayRoute(pool, grid, end);
}

Path* BuildRouteToward(PathPool* pool, const Grid* grid, const Entity* agent, int startX, int startY, int goalX, int goalY,
                       bool* complete)
{
    if (complete) *complete = false;
    if (!pool || !grid) return nullptr;
    PathNode* end = PathFinder::FindPath(startX, startY, goalX, goalY, grid, agent);
    if (end) {
        if (complete) *complete = true;
        return LayRoute(pool, grid, end);
    }
    // The search gave up (or the goal cannot be reached at all): the cell it got nearest to,
    // when that is nearer than the start, is as far as this route goes.
    PathNode* nearest = nullptr;
    for (int i = 0; i < PathFinder::ClosedCount(); ++i) {
        PathNode* node = storage->closed.entries[i];
        if (!node->parent) continue;  // the start
        if (!nearest || node->h < nearest->h) nearest = node;
    }
    const float startEstimate = PathEstimate(startX, startY, goalX, goalY);
    if (!nearest || nearest->h >= startEstimate - 1.0f) return nullptr;
    return LayRoute(pool, grid, nearest);
}
