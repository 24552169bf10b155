// The Scene's lookups. Each keeps a cursor of its own, so they may run inside a walk.
#include "mechanics/Scene.h"

#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "world/Agent.h"
#include "world/Building.h"
#include "world/Grid.h"

Entity* Scene::FindEntityById(int id, uint32_t segmentMask) const
{
    if (id < 0 || !IsReady()) return nullptr;
    Cursor walk;
    int segment = -1;
    walk.node = StartSegment(0, segmentMask, &segment);
    for (Entity* entity = walk.node ? walk.node->value : nullptr; entity;
         entity = NextInWalk(walk, &segment, segmentMask))
        if (entity->id == (unsigned)id) return entity;
    return nullptr;
}

Entity* Scene::FindEntityByName(const char* name, int category, int flagMask) const
{
    if (!name) return nullptr;
    for (int index = 0;; ++index) {
        const EntityList* list = CategoryList(category, index);
        if (!list) return nullptr;
        for (const Node* node = list->head; node; node = node->next) {
            const Entity* entity = node->value;
            if (!entity || IsMarker(entity)) continue;
            if (flagMask >= 1 && !(entity->flags & (uint32_t)flagMask)) continue;
            if (StrICmp(entity->name, name) == 0) return node->value;
        }
    }
}

Entity* Scene::FindPrimitive(const char* name) const
{
    if (!name) return nullptr;
    for (const Node* node = primitives.head; node; node = node->next)
        if (node->value && StrICmp(node->value->name, name) == 0) return node->value;
    return nullptr;
}

Entity* Scene::FindNearest(Entity* self, float* outDistance, int team, int flagMask, bool excludeAir) const
{
    if (!self || !IsReady()) return nullptr;
    uint32_t mask = team == ALIGN_PLAYER ? 0x7u : team == -1 ? 0x3fu : 0x38u;
    Vec3 from = self->GetCenter();
    Entity* best = nullptr;
    float bestDistance = 999999.0f;
    Cursor walk;
    int segment = -1;
    walk.node = StartSegment(0, mask, &segment);
    for (Entity* entity = walk.node ? walk.node->value : nullptr; entity; entity = NextInWalk(walk, &segment, mask)) {
        if (entity == self || !entity->IsAlive()) continue;
        if (entity->flags & ENTITY_AGENT) {
            uint32_t classWord = static_cast<const Agent*>(entity)->classWord;
            if (classWord & AGENT_CLOAKED) continue;
            if (excludeAir && (classWord & AGENT_CLASS_AIR_UNIT)) continue;
        } else if (entity->flags & ENTITY_BUILDING) {
            if (static_cast<const Building*>(entity)->stateFlags & BUILDING_PREVIEW) continue;
        }
        if (flagMask > 0 && !(entity->flags & (uint32_t)flagMask)) continue;
        if (team >= 1 && entity->alignment != team) continue;
        float distance = entity->DistanceTo(from);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = entity;
        }
    }
    if (best && outDistance) *outDistance = bestDistance;
    return best;
}

Entity* Scene::FindEntityAtCell(int column, int row) const
{
    const Grid* grid = TheGame ? TheGame->grid : nullptr;
    const GridCell* cell = grid ? grid->GetCell(column, row) : nullptr;
    return cell ? cell->occupant : nullptr;
}

Entity* Scene::FindBuildingAtCell(int column, int row) const
{
    Entity* standing = FindEntityAtCell(column, row);
    if (standing && (standing->flags & ENTITY_BUILDING)) return standing;
    // A unit on one of its cells holds that cell, not the building: the building is found by
    // its footprint.
    for (int segment : {SEGMENT_BUILDING, SEGMENT_ENEMY_BUILDING, SEGMENT_NEUTRAL_BUILDING})
        for (const Node* node = FirstInList(segment); node; node = NextInList(node)) {
            Entity* building = node->value;
            int width, depth, left, top;
            if (building && (building->flags & ENTITY_BUILDING) &&
                Entity::GetGridRect(building, &width, &depth, &left, &top) && column >= left &&
                column < left + width && row >= top && row < top + depth)
                return building;
        }
    return nullptr;
}

Entity* Scene::Resolve(Entity* entity, unsigned id) const
{
    // Only a pointer the Scene still holds is looked at: one it let go of may be freed.
    if (!entity || !held.Holds(entity)) return nullptr;
    return entity->id == id && !IsMarker(entity) ? entity : nullptr;
}
