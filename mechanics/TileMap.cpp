// The tile map: what the ground and the objects on it allow in every cell of the map grid
// (walking, building, a fuel vent's cells), the walk regions, and the steps that objects make
// too steep. The path search and the building placement read it; it is built whole whenever
// the ground or its objects change.
#include "mechanics/GameMechanics.h"

#include "host/Log.h"
#include "levelgen/MapGenerator.h"
#include "mechanics/Scene.h"
#include "terrain/Terrain.h"
#include "world/Entity.h"
#include "world/Grid.h"

#include <climits>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Ground steeper than this (the normal's upward part) is neither walked nor built on.
constexpr float STEEPEST_GROUND = 0.9f;
// Step edges: five looks half a unit apart; a rise or drop of half a unit between two closes
// the step.
constexpr int STEP_LOOKS = 5;
constexpr float STEP_LOOK_LENGTH = 0.5f;
constexpr float STEP_TOO_HIGH = 0.5f;
// Collision objects whose step edges are marked, at most.
constexpr int MAX_STEP_OBJECTS = 100;

// Directions k = 0..7 of the step bytes, as (column, row) steps.
constexpr int STEPS[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};

// A cell the flood fill stops at: held by an object that blocks the grid (a unit standing
// there does not).
bool HeldByBlocker(const GridCell& cell)
{
    const Entity* occupant = cell.occupant;
    return occupant && (occupant->flags & ENTITY_GRID_BLOCKER) && !(occupant->flags & ENTITY_AGENT);
}

// The entity's footprint cells; false when it stands off the grid or has none.
bool FootprintOf(const Grid& grid, Entity* entity, int* x0, int* y0, int* x1, int* y1)
{
    if (!grid.GetCellAt(entity->GetPosition())) return false;
    if (!entity->GetGridFootprint(x0, y0, x1, y1)) return false;
    if (*x0 > *x1) std::swap(*x0, *x1);
    if (*y0 > *y1) std::swap(*y0, *y1);
    return true;
}

struct RegionFill {
    Grid& grid;
    int base;
    int label;
    std::vector<GridCell*> work;  // first in, first out: the fill spreads ring by ring
    size_t next = 0;

    bool Open(const GridCell* cell) const
    {
        const int last = grid.size - 3;
        return cell && cell->column >= 1 && cell->column <= last && cell->row >= 1 && cell->row <= last &&
               cell->region < base && (cell->flags & CELL_WALKABLE) && !HeldByBlocker(*cell);
    }

    // FloodRegionNeighbours: the four sides of a cell that the fill may still take.
    void Spread(const GridCell& cell)
    {
        for (int k = 0; k < 4; ++k) {
            GridCell* side = grid.GetCell(cell.column + STEPS[k][0], cell.row + STEPS[k][1]);
            if (!Open(side)) continue;
            side->region = (int16_t)label;
            work.push_back(side);
        }
    }
};

}  // namespace

void GameMechanics::BuildTileMap()
{
    if (!grid) return;
    const int n = grid->size;
    // The level generator's map, when there is one of the grid's size and the terrain made on
    // it stands (until then the ground is open, as every other query of the terrain says).
    const int* kinds = TheTerrain.created && TheTerrain.mapCells && TheTerrain.width == n && TheTerrain.height == n
                           ? TheTerrain.mapCells
                           : nullptr;

    // The ground: too steep and water stop both; the top of an object can always be walked on.
    for (int row = 0; row < n; ++row)
        for (int column = n - 1; column >= 0; --column) {
            GridCell* cell = grid->GetCell(column, row);
            cell->flags = 0;
            uint8_t candidate = CELL_WALKABLE | CELL_BUILDABLE;
            Vec3 corner = grid->CellToWorld(column, row);
            IntPoint ground = TheTerrain.WorldToCell(corner);
            if (TheTerrain.GetNormal(ground.x, ground.y).y < STEEPEST_GROUND) candidate = 0;
            // The map cell whose ground lies at the cell's corner: the terrain is the map
            // turned by half a turn, so the corner of grid cell (column, row) stands on the
            // height of map cell (N - 1 - column, row - 1). Reading the map anywhere else
            // puts the water a row off the river the terrain shows, and a bridge's deck
            // no longer spans it.
            const int mapRow = row - 1;
            if (kinds && mapRow >= 0) {
                int kind = kinds[(size_t)mapRow * n + (n - 1 - column)];
                // Water: ponds and rivers.
                if (kind == KIND_POND || kind == KIND_RIVER) candidate = 0;
            }
            bool onObject = false;
            TheTerrain.GetHeight(corner, &onObject, false);
            cell->flags = onObject ? CELL_WALKABLE : candidate;
        }

    // The static objects of the terrain list: blockers close their footprint (a fuel vent
    // keeps it as its own), mesh blockers the cells their mesh stands over.
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_TERRAIN, (int)ENTITY_STATIC); entity;
         entity = TheScene.NextInCategory()) {
        int x0, y0, x1, y1;
        if (entity->flags & ENTITY_GRID_BLOCKER) {
            if (!FootprintOf(*grid, entity, &x0, &y0, &x1, &y1)) continue;
            entity->gridRect[0] = x0, entity->gridRect[1] = y0, entity->gridRect[2] = x1, entity->gridRect[3] = y1;
            bool vent = (entity->flags & ENTITY_FUEL) != 0;
            for (int row = y0; row <= y1; ++row)
                for (int column = x0; column <= x1; ++column)
                    if (GridCell* cell = grid->GetCell(column, row)) cell->flags = vent ? CELL_FUEL : 0;
            if (vent) grid->OccupyCells(entity, x0, y0, x1, y1);
        } else if ((entity->flags & ENTITY_MESH_BLOCKER) && entity->mesh) {
            if (!FootprintOf(*grid, entity, &x0, &y0, &x1, &y1)) continue;
            for (int row = y0; row <= y1; ++row)
                for (int column = x0; column <= x1; ++column) {
                    GridCell* cell = grid->GetCell(column, row);
                    if (!cell) continue;
                    // Looked at from above the ground: the mesh stands over the cell or not.
                    Vec3 corner = grid->CellToWorld(column, row);
                    corner.y = TheTerrain.GetHeight(corner, nullptr, true) + 30.0f;
                    if (TopOfEntityMesh(*entity, entity->mesh, corner, nullptr)) cell->flags = 0;
                }
        }
    }

    LabelWalkRegions();
    MarkStepEdges();
}

void GameMechanics::LabelWalkRegions()
{
    if (!grid || grid->size < 4) return;
    const int n = grid->size;
    // Labels only grow, so that a cell tells this labelling from an earlier one without the
    // grid being cleared; before they would pass what a cell can hold they start again from 1,
    // with every old label cleared (otherwise an old label would read as unlabelled and the
    // fill would take its cells again and again).
    // Walls between every two cells make the most areas: half the inner cells.
    const long mostLabels = ((long)(n - 3) * (n - 3) + 1) / 2;
    if ((long)grid->regionCounter + mostLabels + 1 > INT16_MAX) {
        Log("Tile map: the walk region labels start again from 1\n");
        for (int row = 0; row < n; ++row)
            for (int column = 0; column < n; ++column) grid->GetCell(column, row)->region = 0;
        grid->regionCounter = 0;
    }
    RegionFill fill{*grid, grid->regionCounter + 1, grid->regionCounter + 1, {}};
    fill.work.reserve((size_t)n * n);
    grid->regionBase = fill.base;

    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column) {
            GridCell* seed = grid->GetCell(column, row);
            if (!fill.Open(seed)) continue;
            if (fill.label > INT16_MAX) {
                // Only a grid far larger than a level's gets here.
                Log("WARNING Tile map: more walk regions than labels; the rest stay unlabelled\n");
                grid->regionCounter = INT16_MAX;
                return;
            }
            seed->region = (int16_t)fill.label;
            fill.work.clear();
            fill.next = 0;
            fill.Spread(*seed);
            while (fill.next < fill.work.size()) fill.Spread(*fill.work[fill.next++]);
            ++fill.label;
        }
    grid->regionCounter = fill.label - 1;
}

void GameMechanics::MarkStepEdges()
{
    if (!grid || !TheScene.IsReady()) return;
    const int n = grid->size;
    int objects = 0;
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_COLLISION); node && objects < MAX_STEP_OBJECTS;
         node = TheScene.NextInList(node), ++objects) {
        Entity* entity = node->value;
        int x0, y0, x1, y1;
        if (!entity || !FootprintOf(*grid, entity, &x0, &y0, &x1, &y1)) continue;
        for (int row = y0 - 1; row <= y1 + 1; ++row)
            for (int column = x0 - 1; column <= x1 + 1; ++column) {
                GridCell* cell = grid->GetCell(column, row);
                if (!cell) continue;
                Vec3 from = grid->CellToWorld(column, row);
                for (int k = 0; k < 8; ++k) {
                    int toColumn = column + STEPS[k][0], toRow = row + STEPS[k][1];
                    if (toColumn < 0 || toColumn >= n || toRow < 0 || toRow >= n) continue;
                    Vec3 way = grid->CellToWorld(toColumn, toRow) - from;
                    Vec3Normalize(&way, &way);
                    Vec3 at = from;
                    float height = TheTerrain.GetHeight(at);
                    cell->steps[k] = 1;
                    for (int look = 0; look < STEP_LOOKS; ++look) {
                        at += way * STEP_LOOK_LENGTH;
                        float next = TheTerrain.GetHeight(at);
                        if (std::fabs(next - height) >= STEP_TOO_HIGH) {
                            cell->steps[k] = 0;
                            break;
                        }
                        height = next;
                    }
                }
            }
    }
}
