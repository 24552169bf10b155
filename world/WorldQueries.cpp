// Searches of the Scene, power links and ore.
#include "world/WorldQueries.h"

#include "host/System.h"
#include "mechanics/EventManager.h"
#include "mechanics/Scene.h"
#include "platform/SoundManager.h"
#include "render/IndexedMesh.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Effects.h"
#include "world/Grid.h"

#include <cmath>
#include <initializer_list>

namespace {

// A one-off flash of a particle system at a point.
void Flash(const char* name, const Vec3& at)
{
    // Without an owner a system stands at its template's own position unless told the offset
    // is its origin.
    StartEffect(name, nullptr, at);
}

const char* ScanFlashOf(int grade)
{
    return grade == 1 ? "scan_green" : grade == 2 ? "scan_blue" : "scan_red";
}

// A node with its three stages shows the full one above half its ore, the worn one below.
void ShowOreStage(Entity* node)
{
    if (node->meshCount != 3) return;
    IndexedMesh* stage = node->GetHealth() > node->GetMaxHealth() * 0.5f ? node->meshStates[1] : node->meshStates[2];
    if (stage) node->mesh = stage;
}

bool BaseLacksPower()
{
    return TheScene.unitControl.supply < TheScene.unitControl.demand;
}

// The buildings of the segments, each handed to visit until it answers false.
template <class Visit>
void ForEachBuilding(std::initializer_list<int> segments, Visit visit)
{
    for (int segment : segments)
        for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
            Entity* entity = node->value;
            if (entity && (entity->flags & ENTITY_BUILDING) && !visit(static_cast<Building*>(entity))) return;
        }
}

// Every live building whose cells lie on the ring around the entity's grid rectangle, once
// per cell it holds there.
template <class Visit>
void ForEachBuildingAround(Entity* entity, Visit visit)
{
    const Grid* grid = CurrentGrid();
    int width, depth, column, row;
    if (!grid || !Entity::GetGridRect(entity, &width, &depth, &column, &row)) return;
    for (int c = column - 1; c <= column + width; ++c)
        for (int r = row - 1; r <= row + depth; ++r) {
            if (c >= column && c < column + width && r >= row && r < row + depth) continue;
            const GridCell* cell = grid->GetCell(c, r);
            Entity* occupant = cell ? cell->occupant : nullptr;
            if (occupant && occupant != entity && (occupant->flags & ENTITY_BUILDING) && occupant->IsAlive())
                visit(static_cast<Building*>(occupant));
        }
}

}  // namespace

bool IsMissionObject(const Entity* entity)
{
    constexpr uint32_t kinds = ENTITY_AGENT | ENTITY_ITEM | ENTITY_BUILDING | ENTITY_RESOURCE | ENTITY_FUEL;
    return entity && (entity->flags & ENTITY_STATIC) && (entity->flags & ENTITY_OBJECT_OF_INTEREST) &&
           !(entity->flags & kinds);
}

bool IsOreNode(const Entity* entity)
{
    return entity && (entity->flags & ENTITY_RESOURCE) && !(entity->flags & ENTITY_FUEL);
}

Building* FindNearestBuilding(uint32_t flags, const Vec3& from, float maximumDistance)
{
    Building* best = nullptr;
    float bestDistance = 0.0f;
    auto consider = [&](Building* building) {
        const BuildItem* definition = building->definition;
        if (!building->IsAlive() || !definition || !(definition->flags & flags)) return true;
        if (building->buildState == BUILD_STATE_CONSTRUCTING || (building->stateFlags & BUILDING_PREVIEW)) return true;
        float distance = building->DistanceTo(from);
        if (!best || distance < bestDistance) {
            best = building;
            bestDistance = distance;
        }
        return true;
    };
    // The player's miners unload at the player's buildings; spawn points stand in the camps.
    if (flags & BUILD_SPAWNPOINT)
        ForEachBuilding({SEGMENT_ENEMY_BUILDING, SEGMENT_NEUTRAL_BUILDING}, consider);
    else
        ForEachBuilding({SEGMENT_BUILDING}, consider);
    return best && bestDistance <= maximumDistance ? best : nullptr;
}

Entity* FindOreNode(const Vec3& from, float maximumDistance)
{
    Entity* best = nullptr;
    float bestDistance = 0.0f;
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_RESOURCE); node; node = TheScene.NextInList(node)) {
        Entity* ore = node->value;
        if (!IsOreNode(ore) || !(ore->flags & ENTITY_RESOURCE_REVEALED) || !(ore->GetHealth() > 0.0f)) continue;
        float distance = ore->DistanceTo(from);
        if (!best || distance < bestDistance) {
            best = ore;
            bestDistance = distance;
        }
    }
    return best && bestDistance <= maximumDistance ? best : nullptr;
}

int GetBestResearchLevel(int kind)
{
    if (BaseLacksPower()) return 0;
    int best = 0;
    ForEachBuilding({SEGMENT_BUILDING}, [&](Building* building) {
        const BuildItem* definition = building->definition;
        if (definition && (definition->flags & BUILD_RESEARCH_COMPUTER) && building->researchKind == kind &&
            building->researchTimer <= 0.0f && definition->level > best)
            best = definition->level;
        return true;
    });
    return best;
}

bool IsPowerSource(const Entity* entity)
{
    if (!entity || !(entity->flags & ENTITY_BUILDING)) return false;
    const BuildItem* definition = static_cast<const Building*>(entity)->definition;
    return definition && (definition->flags & BUILD_RESOURCE) && definition->resourcePower > 0;
}

int UpdatePowerLevel(Building* building)
{
    if (!building || building->alignment != ALIGN_PLAYER) return 0;
    if (building->definition && (building->definition->flags & BUILD_RESOURCE)) return 0;
    int level = 0;
    ForEachBuildingAround(building, [&](Building* neighbour) {
        if (IsPowerSource(neighbour) && neighbour->definition->level > level) level = neighbour->definition->level;
    });
    if (level > 3) level = 3;
    building->stateFlags &= ~(BUILDING_POWER_LEVEL_1 | BUILDING_POWER_LEVEL_2 | BUILDING_POWER_LEVEL_3);
    const uint32_t bits[] = {0, BUILDING_POWER_LEVEL_1, BUILDING_POWER_LEVEL_2, BUILDING_POWER_LEVEL_3};
    building->stateFlags |= bits[level];
    return level;
}

void RefreshPowerNeighbours(Entity* source)
{
    if (!IsPowerSource(source)) return;
    ForEachBuildingAround(source, [](Building* neighbour) {
        if (!IsPowerSource(neighbour)) UpdatePowerLevel(neighbour);
    });
}

int GetPowerLevel(const Entity* entity)
{
    if (!entity || !(entity->flags & ENTITY_BUILDING)) return 0;
    uint32_t word = static_cast<const Building*>(entity)->stateFlags;
    if (word & BUILDING_POWER_LEVEL_3) return 3;
    if (word & BUILDING_POWER_LEVEL_2) return 2;
    if (word & BUILDING_POWER_LEVEL_1) return 1;
    return 0;
}

void ScanPulse(const Vec3& centre, float radius)
{
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_RESOURCE); node; node = TheScene.NextInList(node)) {
        Entity* ore = node->value;
        if (!IsOreNode(ore) || (ore->flags & ENTITY_RESOURCE_REVEALED)) continue;
        Vec3 position = ore->GetPosition(), offset = position - centre;
        if (!(Vec3Length(&offset) < radius)) continue;
        ore->flags |= ENTITY_RESOURCE_REVEALED;
        if (TheEvents) TheEvents->oreDiscovered = true;
        Flash(ScanFlashOf(ore->kills), position + Vec3(0.0f, 1.0f, 0.0f));
        ShowOreStage(ore);
    }
}

bool EnrichOreNode(Entity* node)
{
    if (!IsOreNode(node) || !(node->flags & ENTITY_RESOURCE_REVEALED) || node->kills >= 2) return false;
    int grade = node->kills < 0 ? 1 : node->kills + 1;  // a node of no known grade counts as red
    node->kills = grade;
    const char* texture = grade == 1 ? "data/textures/ore_green.dds" : "data/textures/ore_blue.dds";
    SetMeshTexture(node->meshStates[1], texture);
    SetMeshTexture(node->meshStates[2], texture);
    Flash(ScanFlashOf(grade), node->GetPosition() + Vec3(0.0f, 1.0f, 0.0f));
    if (SoundMgr) SoundMgr->PlaySound("enrich");
    return true;
}

IndexedMesh* GetHopperMesh(const char* name, int stage)
{
    const char* primitive = "hopper_empty";
    if (name) {
        if (StrICmp(name, "hopper_full") == 0) primitive = "hopper_full";
        if (StrICmp(name, "hopper_half") == 0) primitive = "hopper_half";
    } else if (stage == 1) {
        primitive = "hopper_half";
    } else if (stage == 2) {
        primitive = "hopper_full";
    }
    // Looked up every time: the primitives are few, and a kept pointer would outlive a reload.
    const Entity* found = TheScene.FindPrimitive(primitive);
    return found ? found->mesh : nullptr;
}

const char* GetVersionString()
{
    return "1.0";
}
