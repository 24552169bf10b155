#pragma once
// Routes across the map grid. A moving agent that cannot step straight into the next cell asks
// the PathFinder for a route between two cells; the answer is a chain of search nodes, which the
// path builder turns into a Path of world points taken from the one PathPool. The agent walks
// the path point by point and hands it back to the pool when it stops or forgets its route.
//
// The search is greedy: it always expands the open node with the smallest estimate to the goal,
// so on open ground it heads straight there and returns the first route it meets, which need
// not be the shortest. All of its storage (512 nodes, the open nodes in a heap, the closed list,
// and marks on the cells that tell at once whether a cell is open or closed) is shared and made
// once: one search at a time, and a result is used before the next search starts.
#include "host/Maths.h"
#include "platform/PooledList.h"

#include <cstdint>

class Entity;
class Grid;

constexpr int PATH_NODE_POOL = 512;
constexpr int PATH_POINTS = 256;      // room in a path
constexpr int PATH_MAX_POINTS = 255;  // points a path keeps
constexpr int PATH_POOL_SIZE = 100;

struct PathNode {
    int32_t x;
    int32_t y;
    float g;  // cost so far
    float h;  // estimate to the goal
    float f;  // g + h
    PathNode* parent;
    PathNode* child;  // left for the caller, which links the chain forward
    uint8_t inUse;
};

struct Path {
    int32_t current = 0;
    int32_t count = 0;
    Vec3 points[PATH_POINTS];

    // False, storing nothing, once 255 points are held.
    bool AddPoint(const Vec3& point);
    const Vec3& Current() const { return points[current]; }
    // True while the new index is below count; at the end current stays at count.
    bool Advance();
    bool PeekNext(Vec3* point) const;
    bool IsLast() const { return current >= count - 1; }
};

class PathPool {
public:
    PathPool();
    ~PathPool();
    PathPool(const PathPool&) = delete;
    PathPool& operator=(const PathPool&) = delete;

    // The first free path, emptied; none when all 100 are out.
    Path* Acquire();
    // Takes a path in use back. Anything else is refused (false), so a path is never listed
    // twice.
    bool Release(Path* path);
    int FreeCount() const { return free_.count; }
    int InUseCount() const { return inUse_.count; }

private:
    Path* paths_;
    PooledList<Path*> inUse_;
    PooledList<Path*> free_;
};

// Octile distance between two cells.
float PathEstimate(int x0, int y0, int x1, int y1);

namespace PathFinder {
// Makes the node pool and the two lists the first time.
void InitNodePool();
// The node that reached the goal cell, whose parent chain leads back to the start cell; none
// when there is no route, the walk regions already tell the goal apart from the start, or 511
// nodes were closed. Cells held by the agent count as walkable; cells held by anyone else do
// not. Nodes on the grid's outermost rows and columns can be reached but are never expanded.
PathNode* FindPath(int startX, int startY, int goalX, int goalY, const Grid* grid, const Entity* agent);
// The same search for a goal that may lie beyond what one search can cover: when it gives up
// before it reaches the goal, the node of the cell it came nearest to (when that is nearer than
// the start by more than a step), and complete says false.
PathNode* FindRouteToward(int startX, int startY, int goalX, int goalY, const Grid* grid, const Entity* agent,
                          bool* complete);
// The closed list of the last search (the scene draws it as a debug overlay).
int ClosedCount();
const PathNode* ClosedNode(int index);
}  // namespace PathFinder

// The path builder of a moving agent: searches from the start cell to the goal cell and lays
// every cell of the route, the start cell first, into a path from the pool (at most 255
// points). None when the search fails or no path is free.
Path* BuildPath(PathPool* pool, const Grid* grid, const Entity* agent, int startX, int startY, int goalX, int goalY);
// The same for a goal that may lie beyond what one search can cover: when the search gives up
// before it reaches the goal, the route leads to the cell it came nearest to (when that is
// nearer than the start), and complete says false. The walker plans again from there.
Path* BuildRouteToward(PathPool* pool, const Grid* grid, const Entity* agent, int startX, int startY, int goalX, int goalY,
                       bool* complete);
