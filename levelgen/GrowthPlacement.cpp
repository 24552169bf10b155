// How a growth instance fills its area: the scatter of trees, plants and rocks, the wall test,
// and the city layout of ruins and cities with their guards. Placed trees, rocks and building
// pieces become the occupants of their cells; plants never do.
#include "levelgen/Growth.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/MissionRecord.h"
#include "host/Random.h"
#include "levelgen/MissionObjects.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/Grid.h"
#include "world/GridQueries.h"

#include <algorithm>
#include <cmath>

namespace {

float RandomUnit()
{
    return (float)Rand() / 32768.0f;
}

// The free, buildable grid cell (column, row), or null.
GridCell* FreeCell(const Grid* grid, int column, int row)
{
    GridCell* cell = grid ? grid->GetCell(column, row) : nullptr;
    return cell && cell->IsFreeBuildable() ? cell : nullptr;
}

void Occupy(GrowthInstance* instance, GridCell* cell)
{
    if (cell && !cell->occupant) cell->occupant = instance;
}

IndexedMesh* Variant(GrowthInstance* instance, int category, int* variant)
{
    const std::vector<IndexedMesh*>* list =
        instance->definition && category >= 0 && category < GROWTH_CATEGORIES ? &instance->definition->lists[category]
                                                                               : nullptr;
    if (!list || list->empty()) {
        *variant = 0;
        return nullptr;
    }
    if (*variant < 0 || *variant >= (int)list->size()) *variant = Rand() % (int)list->size();
    return (*list)[*variant];
}

// One piece in a grid cell (the cell already tested by the caller or here).
bool PlaceAtCell(GrowthInstance* instance, int column, int row, int category, float yaw, float scale, int variant)
{
    const Grid* grid = CurrentGrid();
    GridCell* cell = FreeCell(grid, column, row);
    if (instance->IsFull() || !cell) return false;
    GrowthObject object;
    object.position = grid->CellToWorld(column, row);
    object.position.y = TheTerrain.GetHeight(object.position);
    object.rotation = Vec3(0.0f, yaw, 0.0f);
    object.scale = Vec3(1.0f, scale, 1.0f);
    object.category = category;
    object.variant = variant;
    object.mesh = Variant(instance, category, &object.variant);
    Occupy(instance, cell);
    instance->objects.push_back(object);
    return true;
}

// Every cell a placed object's turned mesh covers is the instance's.
void OccupyFootprint(GrowthInstance* instance, const GrowthObject& object)
{
    const Grid* grid = CurrentGrid();
    IntRect rect;
    if (!grid || !GetRotatedFootprintCells(&rect, object.mesh, object.position, object.rotation.y, object.scale.y)) return;
    for (int r = rect.minY; r <= rect.maxY; ++r)
        for (int c = rect.minX; c <= rect.maxX; ++c) Occupy(instance, grid->GetCell(c, r));
}

// The grid rectangle of the last piece placed (its one cell without a mesh).
IntRect LastFootprint(GrowthInstance* instance)
{
    IntRect rect;
    const Grid* grid = CurrentGrid();
    if (instance->objects.empty() || !grid) return rect;
    const GrowthObject& object = instance->objects.back();
    if (GetRotatedFootprintCells(&rect, object.mesh, object.position, object.rotation.y, object.scale.y)) return rect;
    int c = -1, r = -1;
    grid->WorldToCell(object.position, &c, &r);
    rect = IntRect();
    rect.minX = rect.maxX = c;
    rect.minY = rect.maxY = r;
    return rect;
}

void Extend(IntRect& rect, const IntRect& by)
{
    rect.minX = std::min(rect.minX, by.minX);
    rect.maxX = std::max(rect.maxX, by.maxX);
    rect.minY = std::min(rect.minY, by.minY);
    rect.maxY = std::max(rect.maxY, by.maxY);
}

void Scatter(GrowthInstance* instance, const Grid* grid, int centreColumn, int centreRow)
{
    const GrowthDef& def = *instance->definition;
    const GrowthParams& p = instance->parameters;
    if (p.seed != 0) SRand((unsigned)p.seed);
    const int W = std::max(p.width, 1), H = std::max(p.height, 1);
    const bool grass = def.algorithm == GROWTH_GRASS;
    const float density = grass ? p.density : def.population;
    const float total = def.treepercent + def.plantpercent + def.rockpercent;
    const float t = total > 0.0f ? def.treepercent / total : 0.0f;
    const float pl = total > 0.0f ? t + def.plantpercent / total : 0.0f;
    const int N = grid->size;
    // Map coordinates: the grid's columns run the other way.
    const int mapColumn = N - centreColumn, mapRow = centreRow;
    int c0 = mapColumn - W / 2, r0 = mapRow - H / 2;
    if (c0 < 1) c0 = 0;
    if (r0 < 1) r0 = 0;
    const int attempts = 2 * (int)((float)W * (float)H * density);
    for (int i = 0; i < attempts; ++i) {
        IntPoint h = HaltonPoint(i, W, H);
        int x = h.x + c0, y = h.y + r0;
        if (p.circle) {
            float dx = (float)(x - mapColumn), dy = (float)(y - mapRow);
            if (dx * dx + ((float)W / (float)H) * dy * dy > (W / 2.0f) * (W / 2.0f)) continue;
        }
        if (instance->IsFull()) break;
        GridCell* cell = FreeCell(grid, N - x, y);
        if (!cell) continue;
        float r = RandomUnit();
        int category = r < t ? GROWTH_TREE : r < pl ? GROWTH_PLANT : GROWTH_ROCK;
        Vec3 position = grid->CellToWorld(N - x, y);
        position.y = TheTerrain.GetHeight(position);
        if (TheTerrain.GetMapCellValue(position) != 1) continue;
        if (!grass && position.y > 5.0f) continue;
        if (category != GROWTH_PLANT) Occupy(instance, cell);
        GrowthObject object;
        object.position = position;
        object.rotation = Vec3(0.0f, RandomFloat(0.0f, 360.0f), 0.0f);
        object.scale = Vec3(1.0f, RandomFloat(p.minimumScale[category], p.maximumScale[category]), 1.0f);
        object.category = category;
        object.variant = -1;
        object.mesh = Variant(instance, category, &object.variant);
        instance->objects.push_back(object);
    }
}

void WallTest(GrowthInstance* instance, int x, int y)
{
    PlaceGrowthPiece(instance, x, y, GROWTH_BUILDING, 0.0f, 1.0f, -1);
    PlaceGrowthPiece(instance, x + 1, y, GROWTH_BUTTRESS, 0.0f, 1.0f, -1);
    PlaceGrowthPiece(instance, x, y + 1, GROWTH_BUTTRESS, 90.0f, 1.0f, -1);
    PlaceGrowthPiece(instance, x - 1, y, GROWTH_BUTTRESS, 180.0f, 1.0f, -1);
    PlaceGrowthPiece(instance, x, y - 1, GROWTH_BUTTRESS, 270.0f, 1.0f, -1);
    int flags = 0;
    if (Rand() % 2 == 0) flags |= 4;
    if (Rand() % 2 == 0) flags |= 2;
    if (flags & 4)
        GrowthWallRing(instance, x, y, 4, 1);
    else if (flags & 2)
        GrowthWallCorners(instance, x, y, 4);
}

// A free walkable cell with at least two free walkable cells around it: room for a guard.
bool GuardCell(const Grid* grid, int column, int row)
{
    GridCell* cell = grid->GetCell(column, row);
    if (!cell || !cell->IsFreeWalkable()) return false;
    int room = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            if (!dx && !dy) continue;
            GridCell* n = grid->GetCell(column + dx, row + dy);
            room += n && n->IsFreeWalkable();
        }
    return room >= 2;
}

// Steps along one edge of the rectangle, a cell outside it, from one end; the first cell with
// room gets a guard facing outwards.
bool GuardEdge(GrowthInstance* instance, const Grid* grid, const IntRect& rect, int side, bool fromEnd)
{
    static const float headings[4] = {0.0f, 90.0f, 180.0f, 270.0f};
    const bool alongX = side == 0 || side == 2;
    const int from = alongX ? rect.minX : rect.minY, to = alongX ? rect.maxX : rect.maxY;
    for (int i = 0; i <= to - from; ++i) {
        int k = fromEnd ? to - i : from + i;
        int column = side == 0 ? k : side == 1 ? rect.maxX + 1 : side == 2 ? k : rect.minX - 1;
        int row = side == 0 ? rect.minY - 1 : side == 1 ? k : side == 2 ? rect.maxY + 1 : k;
        if (!GuardCell(grid, column, row)) continue;
        Entity* guard = SpawnCityGuard(column, row, headings[side]);
        if (guard && (int)instance->cityGuards.size() < GrowthInstance::MAX_CITY_GUARDS)
            instance->cityGuards.emplace_back(guard);
        return guard != nullptr;
    }
    return false;
}

void CityLayout(GrowthInstance* instance, const Grid* grid, int x, int y)
{
    const int k = instance->parameters.blockCount > 0 ? instance->parameters.blockCount : 24;
    const int N = grid->size;
    if (!PlaceGrowthPiece(instance, x, y, GROWTH_MAIN_BUILDING, 90.0f * (float)(Rand() % 4), 1.0f, -1)) return;
    IntRect city = LastFootprint(instance);
    OccupyFootprint(instance, instance->objects.back());

    // One building against a random side of the core.
    static const int sides[4] = {1, 2, 4, 8};
    int side = sides[Rand() & 3];
    int column = side == 1 ? city.maxX + 2 : side == 4 ? city.minX - 2 : (city.minX + city.maxX) / 2;
    int row = side == 2 ? city.maxY + 2 : side == 8 ? city.minY - 2 : (city.minY + city.maxY) / 2;
    if (PlaceAtCell(instance, column, row, GROWTH_BUILDING, 0.0f, 1.0f, -1)) {
        Extend(city, LastFootprint(instance));
        OccupyFootprint(instance, instance->objects.back());
    }

    if (k != 24) {
        static const IntPoint offsets[8] = {{-8, -8}, {8, -8}, {-8, 8}, {8, 8}, {0, -10}, {10, 0}, {0, 10}, {-10, 0}};
        const int blocks = k == 27 ? 8 : 4;
        const int centreColumn = N - x;
        for (int b = 0; b < blocks; ++b) {
            if (b >= 4 && Rand() % 2 == 1) continue;
            int bc = centreColumn + offsets[b].x + Rand() % 3, br = y + offsets[b].y + Rand() % 3;
            int category = b < 3 ? GROWTH_MAIN_BUILDING : GROWTH_BUILDING;
            if (!PlaceAtCell(instance, bc, br, category, 90.0f * (float)(Rand() % 4), 1.0f, -1)) continue;
            IntRect block = LastFootprint(instance);
            OccupyFootprint(instance, instance->objects.back());
            Extend(city, block);
            // Walls close the block on the sides chosen.
            int wall = category == GROWTH_MAIN_BUILDING ? GROWTH_BUTTRESS : GROWTH_DOODAD;
            for (int s = 0; s < 4; ++s) {
                if (Rand() % 2) continue;
                for (int i = -1; i <= 1; ++i) {
                    int wc = s == 0 ? block.minX - 1 : s == 1 ? block.maxX + 1 : (block.minX + block.maxX) / 2 + i;
                    int wr = s == 2 ? block.minY - 1 : s == 3 ? block.maxY + 1 : (block.minY + block.maxY) / 2 + i;
                    PlaceAtCell(instance, wc, wr, wall, s < 2 ? 90.0f : 0.0f, 1.0f, -1);
                }
            }
        }
    }

    // A city restored from a saved scene has its guards in the scene already.
    if (instance->restored) return;
    int placed = 0;
    for (int s = 0; s < 4 && placed < 4; ++s) {
        if (k == 24) {
            placed += GuardEdge(instance, grid, city, s, false);
            continue;
        }
        // From both ends; the other cities start from the opposite corners.
        bool first = k == 26;
        placed += GuardEdge(instance, grid, city, s, first);
        if (placed < 4) placed += GuardEdge(instance, grid, city, s, !first);
    }
}

}  // namespace

bool PlaceGrowthPiece(GrowthInstance* instance, int x, int y, int category, float yaw, float scale, int variant)
{
    const Grid* grid = CurrentGrid();
    if (!instance || !grid) return false;
    return PlaceAtCell(instance, grid->size - x, y, category, yaw, scale, variant);
}

void GrowthWallCorners(GrowthInstance* instance, int x, int y, int radius)
{
    const IntPoint corners[4] = {{x - radius, y - radius}, {x + radius, y - radius}, {x - radius, y + radius},
                                 {x + radius, y + radius}};
    const float turns[4] = {0.0f, -90.0f, -180.0f, -270.0f};
    for (int i = 0; i < 4; ++i)
        if (PlaceGrowthPiece(instance, corners[i].x, corners[i].y, GROWTH_WALL_CORNER, turns[i], 1.0f, -1))
            OccupyFootprint(instance, instance->objects.back());
}

void GrowthWallRing(GrowthInstance* instance, int x, int y, int radius, int gate)
{
    GrowthWallCorners(instance, x, y, radius);
    for (int i = -(radius - 1); i <= radius - 1; ++i) {
        if (i >= -gate && i <= gate) continue;
        PlaceGrowthPiece(instance, x + i, y - radius, GROWTH_WALL, 0.0f, 1.0f, -1);
        PlaceGrowthPiece(instance, x + i, y + radius, GROWTH_WALL, 0.0f, 1.0f, -1);
        PlaceGrowthPiece(instance, x - radius, y + i, GROWTH_WALL, -90.0f, 1.0f, -1);
        PlaceGrowthPiece(instance, x + radius, y + i, GROWTH_WALL, -90.0f, 1.0f, -1);
    }
}

Entity* SpawnCityGuard(int column, int row, float yaw)
{
    static const char* const types[4] = {"scav_small", "scav_brute", "scav_flamer", "scav_leader"};
    const char* type = types[Rand() & 3];
    const Grid* grid = CurrentGrid();
    Agent* guard = grid ? TheScene.CreateAgent(type, true) : nullptr;
    if (!guard) return nullptr;
    guard->flags |= ENTITY_PLACED;
    guard->SetPosition(grid->CellToWorld(column, row));
    if (std::fabs(yaw) > 0.01f) TurnEntity(guard, yaw);
    const MissionRecord* mission = MissionCatalogue::GetCurrentMission();
    const float level = mission ? (float)mission->level : 0.0f;
    float health = guard->GetMaxHealth() * (1.0f + level / 10.0f) * EnemyDifficultyScale();
    guard->SetMaxHealth(health);
    guard->SetHealth(health);
    return guard;
}

namespace {

// One object of the definition in the instance's area, in the first of a few random cells that
// is free and buildable; its kind drawn by the definition's shares, as the scatter draws it.
bool PlaceOneOf(GrowthInstance* instance, const GrowthDef* def)
{
    const Grid* grid = CurrentGrid();
    int column = -1, row = -1;
    if (!instance || !def || !grid || instance->IsFull() || !grid->WorldToCell(instance->centre, &column, &row))
        return false;
    const GrowthParams& p = instance->parameters;
    const int W = std::max(p.width, 1), H = std::max(p.height, 1);
    const float total = def->treepercent + def->plantpercent + def->rockpercent;
    const float t = total > 0.0f ? def->treepercent / total : 0.0f;
    const float pl = total > 0.0f ? t + def->plantpercent / total : 0.0f;
    for (int attempt = 0; attempt < 64; ++attempt) {
        // The first try is the centre itself.
        const int c = attempt == 0 ? column : column - W / 2 + Rand() % W;
        const int r = attempt == 0 ? row : row - H / 2 + Rand() % H;
        GridCell* cell = FreeCell(grid, c, r);
        if (!cell) continue;
        const float draw = RandomUnit();
        const int category = draw < t ? GROWTH_TREE : draw < pl ? GROWTH_PLANT : GROWTH_ROCK;
        const std::vector<IndexedMesh*>& list = def->lists[category];
        if (list.empty()) continue;
        GrowthObject object;
        object.position = grid->CellToWorld(c, r);
        object.position.y = TheTerrain.GetHeight(object.position);
        object.rotation = Vec3(0.0f, RandomFloat(0.0f, 360.0f), 0.0f);
        object.scale = Vec3(1.0f, RandomFloat(p.minimumScale[category], p.maximumScale[category]), 1.0f);
        object.category = category;
        object.variant = Rand() % (int)list.size();
        object.mesh = list[(size_t)object.variant];
        if (category != GROWTH_PLANT) Occupy(instance, cell);
        instance->objects.push_back(object);
        Growth::RebuildMergedMeshes(instance);
        return true;
    }
    return false;
}

}  // namespace

bool Growth::PlaceObject(GrowthInstance* instance)
{
    return instance && PlaceOneOf(instance, instance->definition);
}

bool Growth::PlaceObjectByName(const char* name)
{
    if (!TheGrowthDB || !name) return false;
    return PlaceOneOf(TheGrowthDB->selected, TheGrowthDB->FindDefinition(name));
}

void GrowthInstance::Grow()
{
    Release();
    if (!definition && TheGrowthDB) definition = TheGrowthDB->FindDefinition("forest");
    const Grid* grid = CurrentGrid();
    int column = -1, row = -1;
    if (definition && grid && grid->WorldToCell(centre, &column, &row)) {
        // The wall test and the cities work in map coordinates, the other way round in x.
        const int x = grid->size - column, y = row;
        switch (definition->algorithm) {
        case GROWTH_NONE:
        case GROWTH_GRASS:
            Scatter(this, grid, column, row);
            break;
        case GROWTH_WALLTEST:
            WallTest(this, x, y);
            break;
        case GROWTH_CITY:
        case GROWTH_RUINS:
            CityLayout(this, grid, x, y);
            break;
        default:
            break;
        }
    }
    Growth::RebuildMergedMeshes(this);
}
