#pragma once
// A world for the grid, query and job tests: the Scene's test world (the game object with its
// 128 x 128 grid, the agent pool and the build catalogue) on open ground, where every cell may
// be walked and built on, and entities that stand on cell corners with block meshes covering
// whole cells.
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/world/BlockMesh.h"
#include "world/Grid.h"

#include <sstream>
#include <string>

// An entity's lines of a save without those of what it is doing (its save number, its motion,
// clocks, work, pose and brain): the lines every scene file knows.
inline std::string SceneLinesOnly(const std::string& saved)
{
    static const char* const stateKeywords[] = {"SaveId",    "UnitMotion", "UnitClocks",  "UnitWork",      "UnitProgress",
                                                "UnitPath",  "UnitQueue",  "UnitMounts",  "UnitThreats",   "UnitStatus",
                                                "UnitPose",  "UnitBrain",  "UnitJob",     "BuildingState", "BuildingUnits",
                                                "ItemState"};
    std::istringstream in(saved);
    std::string line, kept;
    while (std::getline(in, line)) {
        const std::string keyword = line.substr(0, line.find_first_of(" \t"));
        bool state = false;
        for (const char* word : stateKeywords) state = state || keyword == word;
        if (!state) kept += line + "\n";
    }
    return kept;
}

class WorldTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        grid = game.grid;
        OpenGround();
    }

    // Every cell empty, walkable and buildable.
    void OpenGround()
    {
        grid->ResetCells();
        for (int row = 0; row < grid->size; ++row)
            for (int column = 0; column < grid->size; ++column)
                grid->GetCell(column, row)->flags = CELL_WALKABLE | CELL_BUILDABLE;
    }
    GridCell* Cell(int column, int row) { return grid->GetCell(column, row); }
    Vec3 Corner(int column, int row) { return grid->CellToWorld(column, row); }

    // The entity at the corner of cell (column, row), with a block mesh whose footprint is
    // width x depth cells from there.
    template <class T>
    T* Standing(T* entity, int column, int row, int width = 1, int depth = 1)
    {
        entity->SetPosition(Corner(column, row));
        entity->AdoptMesh(BlockMesh(-1.2f, (width - 1) * 2.5f + 1.2f, -1.2f, (depth - 1) * 2.5f + 1.2f, -1.0f, 3.0f));
        return entity;
    }
    // The cells of an entity's chain, from its head.
    int ChainLength(const Entity* entity)
    {
        int length = 0;
        for (const GridCell* cell = entity->gridCell; cell && length <= 100; cell = cell->next) ++length;
        return length;
    }

    Grid* grid = nullptr;
};
