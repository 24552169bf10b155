#pragma once
// Searches and tests on the map grid that the job steps, the buildings, the orders, the raid
// manager and the level generator share: a free cell beside a target, whether a point touches
// an entity, free cells in a spiral, a raider's stand cell, footprints of turned meshes, the
// placement preview snapped to the mouse's cell, the view frustum test and the jagged midpoint
// walk of rivers and roads. They all read the current game's grid (world/Grid.h) and find
// nothing without a game or a grid.
//
// Positions answered are cell corners (Grid::CellToWorld): the points entities stand on.
#include "host/Maths.h"
#include "platform/IntRect.h"

#include <vector>

class BuildItemList;
class Entity;
class IndexedMesh;
struct GridCell;

// The corner of the free cell beside a target that lies nearest to from. The cells looked at
// ring the target: a building's or item's grid rectangle, a static or resource entity's cell,
// and for any other target (or none) the cell of the fallback point (false without one); the
// target's own cells never count. A cell counts when it is free and walkable and one of its
// four sides leads to another free walkable cell. Ties go to the first cell met, column by
// column. With a maximum distance above 0.01 a cell farther than that from `from` is refused.
bool FindFreeCellNear(Vec3* out, Entity* target, const Vec3& from, float maximumDistance, const Vec3* fallback);
// The ground distance from a point to the cells an entity stands on (a building's or item's
// grid rectangle, edge to edge; 0 on them); to its position when it holds no cells or there is
// no grid.
float GroundDistanceToCells(const Vec3& from, Entity* entity);
// Whether one of the four sides of the cell leads to a walkable cell that is empty or held by
// the entity.
bool HasFreeNeighbourCell(const GridCell* cell, const Entity* entity);
// The corners of up to maximum free walkable cells met on a square spiral of radius x radius
// steps around the position's cell (the cell itself is not looked at; the first step goes to
// the next column, the spiral turns left, each run one longer every second turn). count says
// how many; true when there was one at least.
bool CollectFreeCellsSpiral(const Vec3& position, int radius, int maximum, Vec3* positions, int* count);
// Whether the cells of the two points (each snapped to its grid point) are the same or touch,
// diagonally too.
bool IsWithinOneCell(const Vec3& a, const Vec3& b);
// Whether the cell of the position touches the entity (diagonally too). An entity that holds
// cells is touched when one of the eight cells around the position is one of them; otherwise
// the distance to its cell (or to the nearest cell of its grid rectangle) decides, and its
// own cell counts only when sameCellCounts says so.
bool IsNextToEntity(const Vec3& position, Entity* entity, bool sameCellCounts);
// Where a raider stands to attack an entity: of the eight cells around a unit, the free
// walkable one nearest to from; around a building, the first empty cell on the rings one and
// two cells out from its rectangle, column by column. The corner and its distance from `from`.
bool FindRaidStandCell(Entity* entity, const Vec3& from, Vec3* position, float* distance);
// Moves the catalogue's placement preview to the grid point under the mouse and then into the
// middle of the cells it would take there (StandingOnFootprint), 0.1 above the ground, and asks
// for its grid rectangle again.
void SnapEntityToCell(BuildItemList* list);
// Where a building the player can put down stands when set down at a point (a grid point, or
// the corner of the cell a saved game names): moved into the middle of the cells it takes
// there. The point itself for anything else.
Vec3 StandingOnFootprint(Entity* entity, Vec3 point);
// The cells (first and last column in minX and maxX, rows in minY and maxY) covered by a mesh
// placed at a position, turned by heading degrees and scaled; false when a corner of it lies
// off the grid.
bool GetRotatedFootprintCells(IntRect* rectangle, const IndexedMesh* mesh, const Vec3& position, float heading,
                              float scale);
// The world box (low and high corners) of a mesh placed so; false for a mesh with nothing in it.
bool GetRotatedFootprintBox(Vec3* low, Vec3* high, const IndexedMesh* mesh, const Vec3& position, float heading,
                            float scale);
// The cells a building takes: on each axis an odd number (one, three, five), as many as its
// box reaches into when centred on a cell's corner, laid out about the box's middle so that
// the building stands on them; false when they reach off the grid.
bool GetBuildingFootprintCells(IntRect* rectangle, const IndexedMesh* mesh, const Vec3& position, float heading,
                               float scale);
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
