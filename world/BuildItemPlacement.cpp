// Placing buildings from the build catalogue: the preview the player moves over the level, the
// test of where it may stand, the building it becomes, the refund of a cancelled construction
// and the ground decal under the player's buildings.
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

// The cells under the preview: one for an add-on, else its footprint. False off the grid.
bool PreviewFootprint(const BuildItem* item, Entity* prototype, const Grid& grid, CellRect* rect)
{
    int column, row;
    if (!grid.WorldToCell(prototype->GetPosition(), &column, &row)) return false;
    if (item->flags & BUILD_ADD_ON) {
        *rect = {column, row, column, row};
        return true;
    }
    CellRect cells;
    if (!prototype->GetGridFootprint(&cells.x0, &cells.y0, &cells.x1, &cells.y1)) return false;
    *rect = {std::min(cells.x0, cells.x1), std::min(cells.y0, cells.y1), std::max(cells.x0, cells.x1),
             std::max(cells.y0, cells.y1)};
    return true;
}

const BuildItem* DefinitionOf(const Entity* entity)
{
    if (!entity || !(entity->flags & ENTITY_BUILDING)) return nullptr;
    return static_cast<const Building*>(entity)->definition;
}

// The vent a deep mine draws from, beside or under where it stands now (its grid rectangle is
// worked out afresh: a preview moves between the tests).
Entity* VentAround(const Grid& grid, Entity* entity)
{
    entity->gridRect[0] = -1;
    return grid.FindFlaggedCellAround(entity);
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
    flags &= ~BUILD_LIST_FREE_PLACEMENT;
    if (current) ClearCurrent();
    BuildItem* item = FindByName(name);
    if (!item || !item->prototype) return false;
    Entity* prototype = item->prototype;
    // The preview is left out of every search for buildings; a preview shown before left
    // its mark of removal behind.
    if (prototype->flags & ENTITY_BUILDING) static_cast<Building*>(prototype)->stateFlags |= BUILDING_PREVIEW;
    prototype->statusText[0] = 0;
    if (!TheScene.AddEntity(prototype)) return false;
    current = item;
    if (free) flags |= BUILD_LIST_FREE_PLACEMENT;
    return true;
}

void BuildItemList::ClearCurrent()
{
    flags &= ~BUILD_LIST_FREE_PLACEMENT;
    if (!current) return;
    if (Entity* prototype = current->prototype) {
        TheScene.RemoveEntity(prototype, REMOVE_EVERYWHERE);
        if (prototype->flags & ENTITY_BUILDING) static_cast<Building*>(prototype)->stateFlags |= BUILDING_PREVIEW;
    }
    current = nullptr;
}

// The placement test proper, over the preview's cells; the add-on found beside turns the
// preview away from it.
static PlacementRefusal FootprintRefusal(uint32_t listFlags, const Grid& grid, const CellRect& rect,
                                         const BuildItem* item, Entity* prototype)
{
    if (!(listFlags & BUILD_LIST_FREE_PLACEMENT)) {
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
    for (int x = rect.x0; x <= rect.x1; ++x)
        for (int y = rect.y0; y <= rect.y1; ++y) {
            const GridCell* cell = grid.GetCell(x, y);
            if (!cell || !cell->IsFreeBuildable()) return PLACEMENT_BLOCKED;
        }
    if ((item->flags & BUILD_DEEP_MINE) && !VentAround(grid, prototype)) return PLACEMENT_NO_FUEL_VENT;
    if ((item->flags & BUILD_REQUIRES_BUILD_NODE) && !RingHasBuilding(grid, rect, BUILD_BUILD_NODE))
        return PLACEMENT_NO_BUILD_NODE;
    if (!(item->flags & BUILD_ADD_ON)) return PLACEMENT_ALLOWED;
    // An add-on stands beside a building it serves and faces away from it.
    static const int beside[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (const auto& step : beside) {
        const GridCell* cell = grid.GetCell(rect.x0 + step[0], rect.y0 + step[1]);
        const BuildItem* neighbour = cell ? DefinitionOf(cell->occupant) : nullptr;
        if (!neighbour || !(neighbour->flags & item->addOnFlags)) continue;
        Vec3 from = grid.CellToWorld(cell->column, cell->row), to = prototype->GetPosition();
        float heading = 0.0f;
        HeadingFromVector(to.x - from.x, to.z - from.z, &heading);
        Turn(prototype, heading + 90.0f);
        return PLACEMENT_ALLOWED;
    }
    return PLACEMENT_NO_NEIGHBOUR;
}

bool BuildItemList::CanPlaceCurrent()
{
    return CurrentRefusal() == PLACEMENT_ALLOWED;
}

PlacementRefusal BuildItemList::CurrentRefusal()
{
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    if (!grid || !current || !current->prototype) return PLACEMENT_NO_PREVIEW;
    const BuildItem* item = current;
    Entity* prototype = item->prototype;
    CellRect rect;
    if (!PreviewFootprint(item, prototype, *grid, &rect)) return PLACEMENT_NO_PREVIEW;
    const PlacementRefusal refusal = FootprintRefusal(flags, *grid, rect, item, prototype);
    // A refusal over ground still in the dark says so: what lies there (rocks, a vent) is not
    // known to the player yet.
    if (refusal != PLACEMENT_ALLOWED && !AllSeen(*grid, rect)) return PLACEMENT_NOT_SEEN;
    return refusal;
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

Building* PlaceBuildingFromItem(BuildItemList* list)
{
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    BuildItem* item = list ? list->current : nullptr;
    Entity* prototype = item ? item->prototype : nullptr;
    if (!grid || !prototype || !grid->GetCellAt(prototype->GetPosition())) return nullptr;
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
    building->world = prototype->world;
    building->rotation = prototype->rotation;
    building->yaw = prototype->yaw;
    building->targetYaw = prototype->targetYaw;
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
    bool onGrid = PreviewFootprint(item, building, *grid, &rect);
    if (item->flags & BUILD_DEEP_MINE) building->linkedEntity.Set(VentAround(*grid, building));
    if (building->alignment == ALIGN_PLAYER && onGrid) {
        Vec3 min, max;
        CellBox(*grid, rect, &min, &max);
        CreateBuildingSplat(building, min, max);
    }
    bool free = (list->flags & BUILD_LIST_FREE_PLACEMENT) != 0;
    list->ClearCurrent();
    if (free) {
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
