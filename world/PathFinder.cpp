#include "world/PathFinder.h"

#include "world/Grid.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

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
};

// The open nodes, smallest estimate first. Among equal estimates the node opened first comes
// first; nodes are taken from the pool in the order they are opened, so a node's place in the
// pool is its opening order. A node's estimate never changes once it is open (it depends only
// on its cell and the goal), so the heap never needs to move a node up.
struct OpenHeap {
    PathNode* entries[PATH_NODE_POOL];
    int count;

    static bool Before(const PathNode* a, const PathNode* b) { return a->h < b->h || (a->h == b->h && a < b); }

    void Push(PathNode* node)
    {
        if (count >= PATH_NODE_POOL) return;
        int i = count++;
        while (i > 0) {
            int parent = (i - 1) / 2;
            if (!Before(node, entries[parent])) break;
            entries[i] = entries[parent];
            i = parent;
        }
        entries[i] = node;
    }

    PathNode* Pop()
    {
        PathNode* top = entries[0];
        PathNode* last = entries[--count];
        int i = 0;
        for (;;) {
            int child = 2 * i + 1;
            if (child >= count) break;
            if (child + 1 < count && Before(entries[child + 1], entries[child])) ++child;
            if (!Before(entries[child], last)) break;
            entries[i] = entries[child];
            i = child;
        }
        if (count > 0) entries[i] = last;
        return top;
    }
};

// Which cells the current search has opened or closed. Each cell carries the number of the
// search that last marked it, so a new search starts clean without clearing the grid.
struct CellMarks {
    std::vector<uint32_t> opened;
    std::vector<uint32_t> closed;
    std::vector<PathNode*> node;
    int size = 0;
    uint32_t search = 0;

    void Begin(int gridSize)
    {
        if (gridSize != size) {
            size = gridSize;
            const size_t cells = (size_t)gridSize * (size_t)gridSize;
            opened.assign(cells, 0);
            closed.assign(cells, 0);
            node.assign(cells, nullptr);
            search = 0;
        }
        if (++search == 0) {  // the numbers came round: forget every mark
            std::fill(opened.begin(), opened.end(), 0);
            std::fill(closed.begin(), closed.end(), 0);
            search = 1;
        }
    }
    bool OnGrid(int x, int y) const { return x >= 0 && y >= 0 && x < size && y < size; }
    size_t Index(int x, int y) const { return (size_t)y * (size_t)size + (size_t)x; }
    bool IsClosed(int x, int y) const { return OnGrid(x, y) && closed[Index(x, y)] == search; }
    PathNode* Opened(int x, int y) const
    {
        return OnGrid(x, y) && opened[Index(x, y)] == search ? node[Index(x, y)] : nullptr;
    }
    void Open(PathNode* n)
    {
        if (!OnGrid(n->x, n->y)) return;
        opened[Index(n->x, n->y)] = search;
        node[Index(n->x, n->y)] = n;
    }
    void Close(const PathNode* n)
    {
        if (!OnGrid(n->x, n->y)) return;
        opened[Index(n->x, n->y)] = 0;
        closed[Index(n->x, n->y)] = search;
    }
};

struct SearchStorage {
    PathNode nodes[PATH_NODE_POOL];
    int used;  // nodes are only ever taken during a search, so the free ones follow the used
    OpenHeap open;
    NodeList closed;
    CellMarks marks;
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

void ResetSearch()
{
    PathFinder::InitNodePool();
    for (int i = 0; i < storage->used; ++i) storage->nodes[i].inUse = 0;
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
    OpenHeap& open = storage->open;
    NodeList& closed = storage->closed;
    CellMarks& marks = storage->marks;
    marks.Begin(n);
    open.Push(start);
    marks.Open(start);
    for (;;) {
        if (closed.count >= PATH_NODE_POOL - 1) return nullptr;
        if (open.count == 0) return nullptr;
        PathNode* current = open.Pop();
        closed.Append(current);
        marks.Close(current);
        if (current->x == goal->x && current->y == goal->y) return current;

        const int x = current->x, y = current->y;
        const GridCell* cell = grid->GetCell(x, y);
        if (x < 1 || x > n - 2 || y < 1 || y > n - 2 || !cell) continue;
        // Whether each straight neighbour can be stood on: a diagonal step may not cut past a
        // blocked cell on either side, the two straight neighbours it passes between. It is
        // only weighed when both are exits, so both were looked at first.
        bool straightOpen[4] = {};
        for (int k = 0; k < 8; ++k) {
            if (!cell->steps[k]) continue;
            if (k >= 4 && (!cell->steps[SIDE_EXIT[k][0]] || !cell->steps[SIDE_EXIT[k][1]])) continue;
            const int nx = x + STEP_X[k], ny = y + STEP_Y[k];
            const bool walkable = Walkable(grid, agent, nx, ny);
            if (k < 4) straightOpen[k] = walkable;
            if (!walkable || marks.IsClosed(nx, ny)) continue;
            if (k >= 4 && !(straightOpen[SIDE_EXIT[k][0]] && straightOpen[SIDE_EXIT[k][1]])) continue;
            // A node's cost so far is its parent's total when it was reached.
            const float cost = current->f;
            if (PathNode* node = marks.Opened(nx, ny)) {
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
            open.Push(node);
            marks.Open(node);
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

PathNode* PathFinder::FindRouteToward(int startX, int startY, int goalX, int goalY, const Grid* grid,
                                     const Entity* agent, bool* complete)
{
    if (complete) *complete = false;
    if (!grid) return nullptr;
    PathNode* end = FindPath(startX, startY, goalX, goalY, grid, agent);
    if (end) {
        if (complete) *complete = true;
        return end;
    }
    // The search gave up (or the goal cannot be reached at all): the cell it got nearest to,
    // when that is nearer than the start, is as far as this route goes.
    PathNode* nearest = nullptr;
    for (int i = 0; i < ClosedCount(); ++i) {
        PathNode* node = storage->closed.entries[i];
        if (!node->parent) continue;  // the start
        if (!nearest || node->h < nearest->h) nearest = node;
    }
    const float startEstimate = PathEstimate(startX, startY, goalX, goalY);
    return nearest && nearest->h < startEstimate - 1.0f ? nearest : nullptr;
}

Path* BuildRouteToward(PathPool* pool, const Grid* grid, const Entity* agent, int startX, int startY, int goalX, int goalY,
                       bool* complete)
{
    if (complete) *complete = false;
    if (!pool || !grid) return nullptr;
    PathNode* end = PathFinder::FindRouteToward(startX, startY, goalX, goalY, grid, agent, complete);
    return end ? LayRoute(pool, grid, end) : nullptr;
}
