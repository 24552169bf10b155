// What lies under the cursor and where a minimap click points: the pick of the nearest
// entity with its hover tint by what a click would do, the minimap's points in the world
// (its x axis runs against world x), and the grid cells the screen shows.
#include "interface/PlayerGame.h"
#include "drawing/WorldFrame.h"
#include "render/GraphicsDevice.h"
#include "mechanics/Selection.h"

#include "mechanics/Scene.h"
#include "interface/SceneOverlays.h"
#include "platform/ConfigFile.h"
#include "platform/GameSeam.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "terrain/Minimap.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/Item.h"

#include <algorithm>
#include <cmath>

bool TerrainEditorActive = false;

namespace {

constexpr int PICK_MASK = ENTITY_AGENT | ENTITY_ITEM | ENTITY_BUILDING | ENTITY_RESOURCE | ENTITY_FUEL |
                          ENTITY_OBJECT_OF_INTEREST;
constexpr int EDITOR_PICK_MASK = PICK_MASK | ENTITY_SPLAT | ENTITY_STATIC;
constexpr float NO_HIT = 10000.0f;

// The ray against a sphere; true when it passes through it ahead of the origin.
bool RayHitsSphere(const Vec3& origin, const Vec3& direction, const Vec3& centre, float radius)
{
    const Vec3 to = centre - origin;
    const float along = to.x * direction.x + to.y * direction.y + to.z * direction.z;
    const float lengthSq = direction.x * direction.x + direction.y * direction.y + direction.z * direction.z;
    if (lengthSq <= 0.0f) return false;
    const float t = along / lengthSq;
    if (t < 0.0f) return false;
    const Vec3 nearest = origin + direction * t - centre;
    return nearest.x * nearest.x + nearest.y * nearest.y + nearest.z * nearest.z <= radius * radius;
}

float Distance(const Vec3& a, const Vec3& b)
{
    const Vec3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

// An item's bounding sphere: its mesh's radius and centre, scaled and moved to the item.
bool ItemSphere(Entity* entity, Vec3* centre, float* radius)
{
    if (!entity->mesh) return false;
    *radius = entity->mesh->radius * entity->scale;
    *centre = entity->GetPosition() + entity->mesh->centre;
    return *radius > 0.0f;
}

// Where the ray comes down onto the gold ring of a found mission object or fuel vent: the ring
// is the object's for the cursor, since the thing it marks may be a small slab or only a glow
// on the ground inside it. NO_HIT off the ring.
float MissionMarkDistance(Entity* entity, const Vec3& origin, const Vec3& direction)
{
    Vec3 centre;
    float radius = 0.0f;
    if (direction.y >= 0.0f || !MissionMarkRing(entity, &centre, &radius)) return NO_HIT;
    const float t = (centre.y - origin.y) / direction.y;
    if (t < 0.0f) return NO_HIT;
    const Vec3 ground = origin + direction * t;
    const float dx = ground.x - centre.x, dz = ground.z - centre.z;
    return dx * dx + dz * dz <= radius * radius ? Distance(origin, ground) : NO_HIT;
}

}  // namespace

Entity* PlayerGame::PickEntity(const Vec3& origin, const Vec3& direction)
{
    const int mask = TerrainEditorActive ? EDITOR_PICK_MASK : PICK_MASK;
    // The cursor points at the picture: each entity is tested where it is drawn.
    const CarriedPoses drawn(TheScene);
    Entity* best = nullptr;
    float bestDistance = NO_HIT;
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, mask); entity; entity = TheScene.NextInCategory()) {
        if (!IsInPicture(entity)) continue;
        bool hit = entity->IntersectRay(origin, direction);
        Vec3 sphereCentre;
        float sphereRadius = 0.0f;
        const bool hasSphere = (entity->flags & ENTITY_ITEM) && ItemSphere(entity, &sphereCentre, &sphereRadius);
        if (entity->flags & ENTITY_ITEM) {
            const Item* item = static_cast<const Item*>(entity);
            if (item->kind == ITEM_KIND_ACTION && (item->itemFlags & 0x20)) continue;
            if (hasSphere && RayHitsSphere(origin, direction, sphereCentre, sphereRadius)) hit = true;
        }

        float distance = TerrainEditorActive ? NO_HIT : MissionMarkDistance(entity, origin, direction);
        if (!hit) {
            if (distance >= NO_HIT) continue;
        } else if (entity->mesh && !entity->mesh->IsSkinned() && entity->collisionMesh) {
            Matrix turn;
            const bool turned = std::fabs(entity->yaw) > 0.01f;
            if (turned) MatrixRotationY(&turn, entity->yaw * 0.017453292f);
            float meshDistance = 0.0f;
            if (entity->collisionMesh->IntersectRay(origin, direction, entity->GetPosition(), entity->scale,
                                                    turned ? &turn : nullptr, &meshDistance, nullptr))
                distance = std::min(distance, meshDistance);
            else if (distance >= NO_HIT)
                continue;
        } else {
            bool missed = false;
            if (entity->flags & ENTITY_RESOURCE) {
                Vec3 centre;
                float radius = 0.0f;
                if (entity->mesh) {
                    radius = entity->mesh->radius * entity->scale;
                    centre = entity->GetPosition() + entity->mesh->centre;
                }
                missed = radius > 0.0f && !RayHitsSphere(origin, direction, centre, radius);
            }
            if (!missed) distance = std::min(distance, Distance(origin, entity->GetCenter()));
            else if (distance >= NO_HIT) continue;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = entity;
        }
    }
    if (best) hand.hovered.PushBack(best);
    SetHoverTint(best);
    return best;
}

void PlayerGame::SetHoverTint(Entity* hovered)
{
    auto tint = [this](float r, float g, float b) {
        hoverTint[0] = r;
        hoverTint[1] = g;
        hoverTint[2] = b;
        hoverTint[3] = 1.0f;
    };
    if (!hovered) {
        tint(1.0f, 1.0f, 1.0f);
        return;
    }
    if (hovered->alignment == ALIGN_ENEMY)
        tint(1.0f, 0.0f, 0.0f);
    else
        tint(0.0f, 1.0f, 0.0f);
    const bool resource = (hovered->flags & ENTITY_RESOURCE) != 0;
    const bool revealed = (hovered->flags & ENTITY_RESOURCE_REVEALED) != 0;
    switch (commandMode) {
    case 0:
        break;
    case COMMAND_MINE:
        if (!resource) tint(1.0f, 0.0f, 0.0f);
        else if (!revealed) tint(0.9f, 0.9f, 0.2f);
        break;
    case COMMAND_ENRICH_ORE:
        if (!resource) tint(1.0f, 0.0f, 0.0f);
        else if (revealed) tint(0.9f, 0.9f, 0.2f);
        break;
    case COMMAND_REPAIR:
        if (!(hovered->alignment == ALIGN_PLAYER && (hovered->flags & ENTITY_BUILDING))) tint(1.0f, 0.0f, 0.0f);
        break;
    case COMMAND_HEAL:
        if (!(hovered->alignment == ALIGN_PLAYER && (hovered->flags & ENTITY_AGENT))) tint(1.0f, 0.0f, 0.0f);
        break;
    default:
        tint(1.0f, 1.0f, 1.0f);
        break;
    }
}

bool IsPointOnMinimap(int x, int y) { return TheMinimap.ContainsPoint(x, y); }

Vec3 MinimapToWorld(int x, int y)
{
    const MinimapLayout& box = TheMinimap.layout;
    float width = 0.0f, depth = 0.0f;
    GetGameSeam().GetMapSize(&width, &depth);
    const float u = box.width > 0 ? (float)(x - box.x) / (float)box.width : 0.0f;
    const float v = box.height > 0 ? (float)(y - box.y) / (float)box.height : 0.0f;
    Vec3 point(-(u * width - width * 0.5f), 0.0f, v * depth - depth * 0.5f);
    float height = 0.0f;
    if (GetGameSeam().GetTerrainHeight(point.x, point.z, 0, &height)) point.y = height;
    return point;
}

Entity* MinimapMarkerAt(int x, int y)
{
    const MinimapLayout& box = TheMinimap.layout;
    if (box.width <= 0 || box.height <= 0 || !TheScene.IsReady()) return nullptr;
    const Vec3 clicked = MinimapToWorld(x, y);
    // The objective's icon is about a tenth of the minimap wide (as it is drawn): a click
    // anywhere on it, or on a vent's dot beside it, means that object.
    const Vec3 reach = MinimapToWorld(x + (int)(box.height * 0.06f) + 1, y);
    const float radius = std::fabs(reach.x - clicked.x);
    const bool icons = Config ? Config->showObjectiveIcons : true;
    Entity* best = nullptr;
    float bestDistance = radius;
    for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, (int)(ENTITY_OBJECT_OF_INTEREST | ENTITY_FUEL)); e;
         e = TheScene.NextInCategory()) {
        const MinimapMark mark = ClassifyForMinimap(TheMinimap, e, WorldTicks.count, icons);
        if (mark != MINIMAP_OBJECTIVE_ICON && mark != MINIMAP_DOT_FUEL) continue;
        const Vec3 at = e->GetCenter();
        const float distance = std::sqrt((at.x - clicked.x) * (at.x - clicked.x) + (at.z - clicked.z) * (at.z - clicked.z));
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = e;
        }
    }
    return best;
}

void CenterCameraOnMinimapPoint(int x, int y)
{
    // The camera keeps its angle and its distance from the ground: it looks at the clicked place
    // from where it would stand over it. (Standing 30 units back level with the ground put the
    // eye on the ground, looking into the earth.)
    const Vec3 look = MinimapToWorld(x, y);
    const float distance = GameCamera.distance > 0.0f ? GameCamera.distance : 30.0f;
    GameCamera.target = look;
    GameCamera.eye = look - GameCamera.direction * distance;
    // A click near the minimap's rim looks as close to that edge as the view can go.
    GameCamera.KeepInBounds();
}

void NearestGridCorner(const Grid* grid, const Vec3& point, int* column, int* row)
{
    const int last = GetGridSize(grid) - 1;
    float best = 1e30f;
    for (int c : {0, last}) {
        for (int r : {0, last}) {
            const Vec3 corner = grid->CellToWorld(c, r);
            const float dx = corner.x - point.x, dz = corner.z - point.z;
            if (dx * dx + dz * dz < best) {
                best = dx * dx + dz * dz;
                *column = c;
                *row = r;
            }
        }
    }
}

void GameMechanics::GetVisibleCellRect(int* minColumn, int* minRow, int* maxColumn, int* maxRow)
{
    *minColumn = *minRow = 100000;
    *maxColumn = *maxRow = -99999;
    if (!grid) return;
    float width = 1024.0f, height = 768.0f;
    if (Config && Config->width > 0 && Config->height > 0) {
        width = (float)Config->width;
        height = (float)Config->height;
    }
    const float corners[4][2] = {{0.0f, 0.0f}, {width - 1.0f, 0.0f}, {0.0f, height - 1.0f}, {width - 1.0f, height - 1.0f}};
    for (const auto& corner : corners) {
        Vec3 nearPoint, farPoint, hit;
        BuildPickRay(corner[0], corner[1], &nearPoint, &farPoint);
        const Vec3 direction = farPoint - nearPoint;
        int column = -1, row = -1;
        if (!GetGameSeam().IntersectTerrain(nearPoint, direction, &hit)) {
            // Off the ground (the sky): where the ray would meet the plane y = 0.
            const float t = std::fabs(direction.y) > 1e-6f ? -nearPoint.y / direction.y : 0.0f;
            hit = nearPoint + direction * std::max(t, 0.0f);
        }
        const bool onGrid = grid->WorldToCell(hit, &column, &row);
        if (!onGrid) NearestGridCorner(grid, hit, &column, &row);
        *minColumn = std::min(*minColumn, column);
        *minRow = std::min(*minRow, row);
        *maxColumn = std::max(*maxColumn, column);
        *maxRow = std::max(*maxRow, row);
    }
}

bool GameMechanics::GetRallyMarkerPoint(Vec3* out)
{
    Entity* first = GetFirstSelected();
    if (!first || !(first->flags & ENTITY_BUILDING)) return false;
    Building* building = static_cast<Building*>(first);
    if (!(building->stateFlags & BUILDING_RALLY_POINT)) return false;
    Vec3 at = building->rallyPoint;
    Entity* follow = building->linkedEntity.GetLive();
    const bool factory = building->definition && (building->definition->flags & BUILD_UNIT_FACTORY);
    if (factory && follow && (follow->flags & ENTITY_AGENT) &&
        (static_cast<Agent*>(follow)->classWord & AGENT_CLASS_MOBILE_SPAWN_POINT))
        at = follow->GetPosition();
    float height = 0.0f;
    if (GetGameSeam().GetTerrainHeight(at.x, at.z, 0, &height)) at.y = height;
    *out = at;
    return true;
}

void PlayerGame::DrawRallyPointMarker(int pass)
{
    Vec3 at;
    if (!rallyMarker || !rallyMarker->mesh || !GetRallyMarkerPoint(&at)) return;
    // The marker is the flag primitive, shared with the move-queue flags: lent for the draw.
    const Vec3 keptPosition = rallyMarker->GetPosition();
    const float keptScale = rallyMarker->scale;
    rallyMarker->SetPosition(at);
    rallyMarker->scale = 0.75f;
    if (pass == PASS_COLOUR) rallyMarker->mesh->Update(0.0f);
    WorldMatrix = EntityWorldMatrix(rallyMarker, false);
    MeshRenderPosition = at;
    if (Graphics) Graphics->SetTransform(TS_WORLD, &WorldMatrix);
    DrawEntityMesh(rallyMarker, pass);
    rallyMarker->scale = keptScale;
    rallyMarker->SetPosition(keptPosition);
}
