// Placing buildings from the build catalogue: the item the player's hand holds, the test of
// where a building may stand, the building a placement makes, the refund of a cancelled
// construction and the ground decal under the player's buildings.
#include "world/BuildItem.h"

#include "campaign/PlayerProfile.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/GameSeam.h"
#include "platform/MathUtil.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr const char* SPLAT_EFFECT = "Data/shaders/splat.fx";
constexpr const char* SPLAT_TEXTURE = "Data/textures/Splats/splat_building.dds";
constexpr const char* SPLAT_NORMAL_MAP = "Data/textures/Splats/splat_building_sn.dds";

struct CellRect {
    int x0, y0, x1, y1;
};

// The cells a building of the item covers standing at the point with that heading: one for an
// add-on, else its footprint. False off the grid. Only what the catalogue loaded is read of the
// prototype (its mesh, scale and flags), never where the hand last held it.
bool FootprintAt(const BuildItem* item, const Vec3& point, float yaw, const Grid& grid, CellRect* rect)
{
    const Entity* prototype = item->prototype;
    int column, row;
    if (!prototype || !grid.WorldToCell(point, &column, &row)) return false;
    if (item->flags & BUILD_ADD_ON) {
        *rect = {column, row, column, row};
        return true;
    }
    IntRect cells{};
    // The player's buildings stand on whole cells about their middle; what a level lays out
    // keeps the cells its mesh covers.
    const bool found = (item->flags & BUILD_PLAYER_CAN_BUILD)
                           ? GetBuildingFootprintCells(&cells, prototype->mesh, point, yaw, prototype->scale)
                           : GetRotatedFootprintCells(&cells, prototype->mesh, point, yaw, prototype->scale);
    if (!found) return false;
    *rect = {std::min(cells.minX, cells.maxX), std::min(cells.minY, cells.maxY), std::max(cells.minX, cells.maxX),
             std::max(cells.minY, cells.maxY)};
    return true;
}

const BuildItem* DefinitionOf(const Entity* entity)
{
    if (!entity || !(entity->flags & ENTITY_BUILDING)) return nullptr;
    return static_cast<const Building*>(entity)->definition;
}

// The vent a deep mine draws from, in the ring of cells around the ones it covers or among them.
Entity* VentBeside(const Grid& grid, const CellRect& rect)
{
    for (int c = rect.x0 - 1; c <= rect.x1 + 1; ++c)
        for (int r = rect.y0 - 1; r <= rect.y1 + 1; ++r) {
            const GridCell* cell = grid.GetCell(c, r);
            if (cell && (cell->flags & CELL_FUEL)) return cell->occupant;
        }
    return nullptr;
}

// Whether a building whose item has the flag stands in the ring of cells around the rectangle.
bool RingHasBuilding(const Grid& grid, const CellRect& rect, uint32_t flag)
{
    for (int x = rect.x0 - 1; x <= rect.x1 + 1; ++x)
        for (int y = rect.y0 - 1; y <= rect.y1 + 1; ++y) {
            if (x >= rect.x0 && x <= rect.x1 && y >= rect.y0 && y <= rect.y1) continue;
            const GridCell* cell = grid.GetCell(x, y);
            const BuildItem* definition = cell ? DefinitionOf(cell->occupant) : nullptr;
            if (definition && (definition->flags & flag)) return true;
        }
    return false;
}

// The cells a building covers as a world box (each cell 2.5 units), for its ground decal.
void CellBox(const Grid& grid, const CellRect& rect, Vec3* min, Vec3* max)
{
    Vec3 low = grid.CellToWorld(rect.x0, rect.y0), high = grid.CellToWorld(rect.x1 + 1, rect.y1 + 1);
    *min = Vec3(low.x, 0.0f, low.z);
    *max = Vec3(high.x, 0.0f, high.z);
}

// Whether the player has seen every cell of the rectangle.
bool AllSeen(const Grid& grid, const CellRect& rect)
{
    GameSeam& seam = GetGameSeam();
    for (int x = rect.x0; x <= rect.x1; ++x)
        for (int y = rect.y0; y <= rect.y1; ++y)
            if (!seam.IsPositionRevealed(grid.CellToWorld(x, y) + Vec3(0.5f * grid.cellSize, 0.0f, 0.5f * grid.cellSize)))
                return false;
    return true;
}

void Turn(Entity* entity, float degrees)
{
    entity->yaw = degrees;
    MatrixRotationY(&entity->rotation, degrees * 0.01745329f);
}

}  // namespace

bool BuildItemList::SetCurrent(const char* name, bool free)
{
    ClearCurrent();
    BuildItem* item = FindByName(name);
    if (!item || !item->prototype) return false;
    current = item;
    if (free) flags |= BUILD_LIST_FREE_PLACEMENT;
    return true;
}

void BuildItemList::ClearCurrent()
{
    flags &= ~BUILD_LIST_FREE_PLACEMENT;
    current = nullptr;
}

BuildPlacement BuildItemList::CurrentPlacement() const
{
    BuildPlacement placement;
    placement.item = current;
    placement.free = (flags & BUILD_LIST_FREE_PLACEMENT) != 0;
    if (current && current->prototype) {
        placement.point = current->prototype->GetPosition();
        if (current->flags & BUILD_ADD_ON) placement.yaw = current->prototype->yaw;
    }
    return placement;
}

bool BuildItemList::CanPlaceCurrent()
{
    return CurrentRefusal() == PLACEMENT_ALLOWED;
}

PlacementRefusal BuildItemList::CurrentRefusal()
{
    BuildPlacement placement = CurrentPlacement();
    const PlacementRefusal refusal = PlacementRefusalOf(&placement);
    if (refusal == PLACEMENT_ALLOWED) {
        // The prototype is the hand's picture of it: it shows the heading found.
        if (current->flags & BUILD_ADD_ON) Turn(current->prototype, placement.yaw);
        return refusal;
    }
    // A refusal over ground still in the dark says so: what lies there (rocks, a vent) is not
    // known to the player yet.
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    CellRect rect;
    if (grid && current && FootprintAt(current, placement.point, placement.yaw, *grid, &rect) &&
        !AllSeen(*grid, rect))
        return PLACEMENT_NOT_SEEN;
    return refusal;
}

bool CanPlace(BuildPlacement* placement)
{
    return PlacementRefusalOf(placement) == PLACEMENT_ALLOWED;
}

PlacementRefusal PlacementRefusalOf(BuildPlacement* placement)
{
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    const BuildItem* item = placement ? placement->item : nullptr;
    if (!grid || !item || !item->prototype) return PLACEMENT_NO_PREVIEW;
    if (!placement->free) {
        const PlayerProfile* player = GetPlayerProfile();
        if (!player || player->ore < (float)item->costOre || player->fuel < (float)item->costFuel)
            return PLACEMENT_UNAFFORDABLE;
        // What it draws must be spare once everything already going up stands, so placing never
        // takes the base below zero. What draws nothing, a generator above all, may always be
        // built: that is how a base short of power recovers.
        const UnitControlCount& power = TheScene.unitControl;
        float draw = PowerDrawn(item);
        if (draw > 0.0f && power.supply - power.demand - power.pending < draw) return PLACEMENT_NO_POWER;
    }
    // Only an add-on turns: everything else stands as its prototype was made.
    if (!(item->flags & BUILD_ADD_ON)) placement->yaw = 0.0f;
    CellRect rect;
    if (!FootprintAt(item, placement->point, placement->yaw, *grid, &rect)) return PLACEMENT_NO_PREVIEW;
    for (int x = rect.x0; x <= rect.x1; ++x)
        for (int y = rect.y0; y <= rect.y1; ++y) {
            const GridCell* cell = grid->GetCell(x, y);
            if (!cell || !cell->IsFreeBuildable()) return PLACEMENT_BLOCKED;
        }
    if ((item->flags & BUILD_DEEP_MINE) && !VentBeside(*grid, rect)) return PLACEMENT_NO_FUEL_VENT;
    if ((item->flags & BUILD_REQUIRES_BUILD_NODE) && !RingHasBuilding(*grid, rect, BUILD_BUILD_NODE))
        return PLACEMENT_NO_BUILD_NODE;
    if (!(item->flags & BUILD_ADD_ON)) return PLACEMENT_ALLOWED;
    // An add-on stands beside a building it serves and faces away from it.
    static const int beside[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (const auto& step : beside) {
        const GridCell* cell = grid->GetCell(rect.x0 + step[0], rect.y0 + step[1]);
        const BuildItem* neighbour = cell ? DefinitionOf(cell->occupant) : nullptr;
        if (!neighbour || !(neighbour->flags & item->addOnFlags)) continue;
        Vec3 from = grid->CellToWorld(cell->column, cell->row), to = placement->point;
        float heading = 0.0f;
        HeadingFromVector(to.x - from.x, to.z - from.z, &heading);
        placement->yaw = heading + 90.0f;
        return PLACEMENT_ALLOWED;
    }
    return PLACEMENT_NO_NEIGHBOUR;
}

const char* PlacementRefusalText(PlacementRefusal refusal)
{
    switch (refusal) {
    case PLACEMENT_ALLOWED: return "";
    case PLACEMENT_NO_PREVIEW: return "It cannot be built here.";
    case PLACEMENT_UNAFFORDABLE: return "Not enough ore or fuel to build it.";
    case PLACEMENT_NO_POWER: return "Not enough power: build a generator first.";
    case PLACEMENT_NOT_SEEN: return "Not explored yet: send a unit to see it.";
    case PLACEMENT_BLOCKED: return "Blocked: rocks, water or a building here.";
    case PLACEMENT_NO_FUEL_VENT: return "It must stand next to a fuel vent.";
    case PLACEMENT_NO_BUILD_NODE: return "It must stand next to a build node.";
    case PLACEMENT_NO_NEIGHBOUR: return "It must stand next to the building it serves.";
    }
    return "It cannot be built here.";
}

Building* PlaceBuildingFromItem(const BuildPlacement& placement)
{
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    BuildItem* item = placement.item;
    const Entity* prototype = item ? item->prototype : nullptr;
    if (!grid || !prototype || !grid->GetCellAt(placement.point)) return nullptr;
    Building* building = new (std::nothrow) Building();
    if (!building) return nullptr;
    CopyText(building->name, sizeof building->name, prototype->name);
    // Just placed: its first update sets it on the ground and takes the cells under it, so
    // nothing walks through it and nothing else is built there.
    building->flags = prototype->flags | ENTITY_BUILDING | ENTITY_PLACED;
    building->alignment = prototype->alignment;
    building->composition = prototype->composition;
    building->mesh = prototype->mesh;
    for (int i = 0; i < ENTITY_MESH_STATES; ++i) building->meshStates[i] = prototype->meshStates[i];
    building->meshCount = prototype->meshCount;
    building->scale = prototype->scale;
    // Where it stands and which way it faces are the order's, never the hand's picture.
    building->SetPosition(placement.point);
    Turn(building, placement.yaw);
    building->targetYaw = placement.yaw;
    building->attachOffset = prototype->attachOffset;
    building->collisionMesh = prototype->collisionMesh;
    building->damage = prototype->damage;
    building->SetMaxHealth(prototype->maxHealth);
    building->SetHealth(prototype->health);
    building->definition = item;
    if (!TheScene.AddEntity(building)) {
        delete building;
        return nullptr;
    }
    CellRect rect;
    bool onGrid = FootprintAt(item, placement.point, placement.yaw, *grid, &rect);
    if ((item->flags & BUILD_DEEP_MINE) && onGrid) building->linkedEntity.Set(VentBeside(*grid, rect));
    if (building->alignment == ALIGN_PLAYER && onGrid) {
        Vec3 min, max;
        CellBox(*grid, rect, &min, &max);
        CreateBuildingSplat(building, min, max);
    }
    if (placement.free) {
        building->buildState = BUILD_STATE_READY;
        return building;
    }
    building->buildState = BUILD_STATE_CONSTRUCTING;
    // Spoken for at once, so a second placement before the next recount sees it.
    if (building->alignment == ALIGN_PLAYER) TheScene.unitControl.pending += PowerDrawn(item);
    // The finished mesh waits in the mesh list while the scaffold shows.
    if (item->constructionMeshCount > 0) building->mesh = item->constructionMeshes[0];
    if (PlayerProfile* player = GetPlayerProfile()) {
        player->AddOre(-(float)item->costOre);
        player->AddFuel(-(float)item->costFuel);
    }
    return building;
}

bool PlayerCanAfford(const BuildItem* item)
{
    const PlayerProfile* player = GetPlayerProfile();
    if (!TheGame || !TheGame->grid || !item || !player) return false;
    return player->ore >= (float)item->costOre && player->fuel >= (float)item->costFuel;
}

float PowerDrawn(const BuildItem* item)
{
    if (!item || item->resourcePower >= 1 || item->costPower >= 0) return 0.0f;
    return -(float)item->costPower;
}

void CancelConstruction(Building* building)
{
    // A building already taken back (dead, waiting to leave the level) is refunded only once.
    if (!building || building->buildState != BUILD_STATE_CONSTRUCTING || !building->IsAlive()) return;
    const BuildItem* item = building->definition;
    PlayerProfile* player = GetPlayerProfile();
    if (item && player) {
        player->AddOre((float)item->costOre);
        player->AddFuel((float)item->costFuel);
    }
    building->health = 0.0f;
    building->flags |= ENTITY_DEAD;
    building->Die(nullptr);
}

Entity* CreateBuildingSplat(Building* building, const Vec3& min, const Vec3& max)
{
    if (!building || TheScene.splats.IsFull()) return nullptr;
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    float cellSize = grid ? grid->cellSize : 2.5f;
    int columns = std::max(1, (int)std::lround((max.x - min.x) / cellSize));
    int rows = std::max(1, (int)std::lround((max.z - min.z) / cellSize));
    Vec3 position = building->GetPosition();

    IndexedMesh* mesh = new (std::nothrow) IndexedMesh();
    if (!mesh) return nullptr;
    CopyText(mesh->name, sizeof mesh->name, "buildingSplat");
    mesh->materials.resize(1);
    MeshMaterial& material = mesh->materials[0];
    CopyText(material.effectName, sizeof material.effectName, SPLAT_EFFECT);
    CopyText(material.techniqueName, sizeof material.techniqueName, "main");
    CopyText(material.textureName, sizeof material.textureName, SPLAT_TEXTURE);
    CopyText(material.normalMapName, sizeof material.normalMapName, SPLAT_NORMAL_MAP);
    MeshGeometry& geometry = material.EditGeometry();
    // A vertex on every cell corner, so that the decal can follow the ground; file positions
    // are mirrored in x on the way to the screen.
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            MeshVertex vertex;
            float x = min.x + i * cellSize, z = min.z + j * cellSize;
            vertex.position = Vec3(-(x - position.x), 0.0f, z - position.z);
            vertex.normal = Vec3(0.0f, 1.0f, 0.0f);
            vertex.u = (float)i / columns;
            vertex.v = (float)j / rows;
            geometry.vertices.push_back(vertex);
        }
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            int v00 = j * (columns + 1) + i, v10 = v00 + 1, v01 = v00 + columns + 1, v11 = v01 + 1;
            geometry.triangles.push_back(MeshTriangle{{v00, v10, v01}});
            geometry.triangles.push_back(MeshTriangle{{v10, v11, v01}});
        }
    mesh->BuildBuffers(nullptr, false);
    mesh->ConformToTerrain(0, position, true, 0);
    if (TheMeshLibrary) TheMeshLibrary->Add(mesh, nullptr, 0);

    Entity* splat = new (std::nothrow) Entity();
    if (!splat) {
        delete mesh;
        return nullptr;
    }
    CopyText(splat->name, sizeof splat->name, "buildingSplat");
    splat->AdoptMesh(mesh);
    splat->meshStates[0] = mesh;
    splat->meshCount = 1;
    splat->flags |= ENTITY_SPLAT;
    // The decal's vertices hold the ground's own heights: raised by the building's height too,
    // it would hang in the air over the building like a veil.
    splat->SetPosition(Vec3(position.x, 0.0f, position.z));
    TheScene.splats.PushBack(splat);
    building->attachedEntity.Set(splat);
    return splat;
}
