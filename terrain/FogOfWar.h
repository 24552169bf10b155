#pragma once
// The fog of war's three byte grids over the map's cells: what the player sees now, what he
// has ever seen, and where his units, buildings and rig have stood (the markers a saved game
// keeps). The grids know nothing of entities or the device: the minimap (terrain/Minimap.h)
// feeds them from the Scene and turns them into textures.
//
// Cells are indexed row x N + column with N the cells per side of the level's grid. The
// outermost ring of cells is never seen and never marked: reveals and markers touch only
// inner cells (1 .. N - 2 on both axes).
#include "host/Maths.h"

#include <cstdint>
#include <vector>

// What a player entity sees around itself, in cells.
constexpr float FOG_UNIT_SIGHT = 7.25f;
constexpr float FOG_BUILDING_SIGHT = 10.45f;
// The rig sees farther with every level of the player's sight skill.
constexpr float FOG_RIG_SIGHT_PER_LEVEL = 0.1f;

enum FogMarker : uint8_t {
    FOG_MARK_NONE = 0,
    FOG_MARK_UNIT = 1,
    FOG_MARK_BUILDING = 2,
    FOG_MARK_RIG = 3,
};

class FogGrids {
public:
    // (Re)makes the three grids for cellsPerSide, all zero. Below 1 there are none.
    void Allocate(int cellsPerSide);
    void Free();
    bool HasGrids() const { return size > 0; }
    bool IsInner(int column, int row) const;

    // The grids are rebuilt from zero at every evaluation.
    void ClearVisibleNow();
    bool IsVisibleNow(int column, int row) const;
    bool IsEverSeen(int column, int row) const;
    uint8_t GetMarker(int column, int row) const;
    // A building's marker replaces a unit's; the rig's replaces anything; a unit marks only an
    // empty cell. Outer cells take none.
    void Mark(int column, int row, FogMarker marker);

    // Every inner cell of the square around the entity's cell rectangle (its first cell at
    // column, row, width x depth cells) whose corner lies within (1 + sight) cells of the
    // point becomes visible now and ever seen. cellSize and origin are the level grid's:
    // a cell's corner is (column x cellSize - origin.x, row x cellSize - origin.z).
    void Reveal(int column, int row, int width, int depth, float sight, const Vec3& point, float cellSize,
                const Vec3& origin);

    int size = 0;
    std::vector<uint8_t> visibleNow;
    std::vector<uint8_t> everSeen;
    std::vector<uint8_t> markers;
};
