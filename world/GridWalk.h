#pragma once
// The shortest walk between two cells over the whole grid, for a unit whose route search makes
// no headway: a greedy search runs into the dead end nearest the goal (behind a cliff, a wall,
// a bend of the river or a knot of units), with the way round leading away first and beyond
// its reach. The walk steps as the search does (exits, both sides of a diagonal), but through
// cells units hold: they make way, and the walker plans round one that does not.
//
// It floods out from both ends at once, a cell from each in turn, and the two floods meet on a
// walk at most a step longer than the shortest. When either flood runs dry first, no walk
// exists: a goal walled in (or a walker shut in) costs the size of its pocket, not of the map.
// The marks and queues are kept from one walk to the next, so a walk allocates nothing.
#include <cstdint>
#include <vector>

class Grid;
class PathPool;
struct Path;

class GridWalk {
public:
    // Lays at most a path's worth of the walk from (startX, startY) to (goalX, goalY) into a path
    // from the pool (the walker plans the rest from its end). None when no walk gets there, and
    // none without a flood when no path is free to lay it into.
    Path* Route(PathPool* pool, const Grid* grid, int startX, int startY, int goalX, int goalY);
    // The floods made so far: each one's number marks the cells it reached, so the marks of the
    // ones before never need clearing.
    uint32_t Floods() const { return floods_; }
    // The cells the last Route's flood reached, from both ends (0 when it made none).
    int LastReached() const { return reached_; }

private:
    // A cell's mark: 2 x flood number from the start's side, one more from the goal's.
    std::vector<uint32_t> marks_;
    // Towards the start for a cell the start's side reached, towards the goal for the other.
    std::vector<int32_t> links_;
    std::vector<int32_t> fromStart_, fromGoal_;
    uint32_t floods_ = 0;
    int reached_ = 0;
};
