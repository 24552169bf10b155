// How entities take the cells under them: the footprint, the cached grid rectangle, stamping
// blockers and occupants, and the items' chains of cells.
#include "world/Entity.h"
#include "world/Grid.h"
#include "world/Item.h"

bool Entity::GetGridRect(Entity* entity, int* width, int* depth, int* column, int* row)
{
    const Grid* grid = CurrentGrid();
    int c, r;
    if (!grid || !entity || !grid->WorldToCell(entity->GetPosition(), &c, &r)) return false;
    int* rect = entity->gridRect;
    if (rect[0] < 0) {
        int x0, y0, x1, y1;
        if (entity->GetGridFootprint(&x0, &y0, &x1, &y1)) {
            rect[0] = x0 < x1 ? x0 : x1;
            rect[1] = y0 < y1 ? y0 : y1;
            rect[2] = x0 < x1 ? x1 : x0;
            rect[3] = y0 < y1 ? y1 : y0;
        } else {
            // Without a mesh the entity covers the cell it stands in.
            rect[0] = rect[2] = c;
            rect[1] = rect[3] = r;
        }
    }
    if (width) *width = rect[2] - rect[0] + 1;
    if (depth) *depth = rect[3] - rect[1] + 1;
    if (column) *column = rect[0];
    if (row) *row = rect[1];
    return true;
}

bool Entity::StampGrid()
{
    Grid* grid = CurrentGrid();
    if (!grid || !grid->GetCellAt(GetPosition())) return false;
    int x0, y0, x1, y1;
    if (!GetGridFootprint(&x0, &y0, &x1, &y1)) return true;
    if (!(flags & ENTITY_GRID_BLOCKER)) {
        grid->OccupyCells(this, x0, y0, x1, y1);
        return true;
    }
    for (int row = y0 < y1 ? y0 : y1; row <= (y0 < y1 ? y1 : y0); ++row)
        for (int column = x0 < x1 ? x0 : x1; column <= (x0 < x1 ? x1 : x0); ++column)
            if (GridCell* cell = grid->GetCell(column, row)) cell->flags &= (uint8_t) ~(CELL_WALKABLE | CELL_BUILDABLE);
    return true;
}

void Item::OccupyGridCells()
{
    Grid* grid = CurrentGrid();
    int x0, y0, x1, y1;
    if (grid && GetGridFootprint(&x0, &y0, &x1, &y1)) grid->OccupyCells(this, x0, y0, x1, y1);
}

Entity* Grid::FindFlaggedCellAround(Entity* entity) const
{
    int width, depth, column, row;
    if (!entity || !Entity::GetGridRect(entity, &width, &depth, &column, &row)) return nullptr;
    for (int c = column - 1; c <= column + width; ++c)
        for (int r = row - 1; r <= row + depth; ++r) {
            const GridCell* cell = GetCell(c, r);
            if (cell && (cell->flags & CELL_FUEL)) return cell->occupant;
        }
    return nullptr;
}
