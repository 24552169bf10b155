#pragma once
// Queries on the map grid shared by the jobs, the orders and the level generator. So far the
// midpoint walk the level generator draws its rivers and roads with; the grid and scene
// queries' issue adds the free-cell searches, adjacency tests and the rest.
#include "platform/IntRect.h"

#include <vector>

// A jagged line between two cells of the level map, by recursive midpoint displacement.
struct MidpointPath {
    static constexpr int CAPACITY = 512;
    std::vector<IntPoint> points;  // at most CAPACITY
    float topLength = 0.0f;        // the length of the whole line, set by the first call
};

// Appends the points between (x0, z0) and (x1, z1), ends excluded: each displacement point
// comes before the points of its two halves. A point is pushed across the segment by up to
// half the whole line's length, scaled by roughness and by how long its segment is, and stays
// within columns and rows 1 .. LEVEL_MAP_SIZE - 2. With first set the top call does not
// displace. The call that finds the path empty is the top call.
void WalkMidpoints(int x0, int z0, int x1, int z1, MidpointPath& path, float roughness, bool first);
