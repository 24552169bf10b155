// The selection and the control groups: clicks with Shift toggling, select-all, the drag box,
// the ten groups with their double tap, and letting go of entities that leave the level.
#include "mechanics/Selection.h"

#include "host/InputKeys.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "terrain/ScanPulses.h"
#include "world/Entity.h"

#include <algorithm>
#include <cstdio>

const char* LastFeedbackSound = nullptr;

void PlayFeedbackSound(const char* name)
{
    LastFeedbackSound = name;
    if (SoundMgr) SoundMgr->PlaySound(name);
}

PlayerSelection::PlayerSelection()
{
    selected.Init(SELECTION_NODES);
    hovered.Init(HOVER_NODES);
    for (PooledList<Entity*>& group : groups) group.Init(CONTROL_GROUP_SIZE);
}

bool PlayerSelection::Lists(const PooledList<Entity*>& list, const Entity* entity)
{
    for (const PooledList<Entity*>::Node* node = list.head; node; node = node->next)
        if (node->value == entity) return true;
    return false;
}

bool PlayerSelection::IsSelected(const Entity* entity) const { return Lists(selected, entity); }

namespace {

bool LeftShiftHeld() { return Input.keyboard && Input.keyboard->IsKeyDown(DIK_LSHIFT); }

constexpr uint32_t SELECTABLE_KINDS = ENTITY_AGENT | ENTITY_BUILDING;

bool IsPlayerUnitOrBuilding(const Entity* entity)
{
    return entity->alignment == ALIGN_PLAYER && (entity->flags & SELECTABLE_KINDS);
}

void Deselect(Entity* entity)
{
    entity->flags &= ~ENTITY_SELECTION;
    entity->OnDeselect();
}

void MarkSelected(Entity* entity)
{
    entity->flags |= ENTITY_SELECTION;
    entity->OnSelect();
}

// Whether the player sees the entity on the screen now: its screen box, in front of the
// camera, meets the screen, and the fog does not hide it. Worked out from the camera and the
// fog as they stand, never from what the last drawing culled: what a box or a select-all takes
// must not hang on which frames were drawn.
bool SeenOnScreen(Entity* entity, float minX, float minY, float maxX, float maxY)
{
    const float depth = ProjectToScreen(entity->GetPosition()).z;
    const float width = Config && Config->width > 0 ? float(Config->width) : 1024.0f;
    const float height = Config && Config->height > 0 ? float(Config->height) : 768.0f;
    return depth > 0.0f && depth < 1.0f && minX < width && minY < height && maxX >= 0.0f && maxY >= 0.0f &&
           entity->FogLetsSee();
}

}  // namespace

Entity* GameMechanics::GetFirstSelected()
{
    return hand.selected.count >= 1 && hand.selected.head ? hand.selected.head->value : nullptr;
}

void GameMechanics::ClearSelection()
{
    for (auto* node = hand.selected.head; node; node = node->next)
        if (node->value) Deselect(node->value);
    hand.selected.Clear();
    hand.hovered.Clear();
}

void GameMechanics::SelectEntity(Entity* entity)
{
    if (!entity) return;
    const bool shift = LeftShiftHeld();
    const bool player = entity->alignment == ALIGN_PLAYER;
    Entity* first = GetFirstSelected();
    if (shift && player && first && first->alignment == ALIGN_PLAYER && hand.IsSelected(entity)) {
        hand.selected.Remove(entity);
        Deselect(entity);
        return;
    }
    if (!(shift && player && (!first || first->alignment == ALIGN_PLAYER))) ClearSelection();
    if (hand.IsSelected(entity) || hand.selected.count >= MAX_SELECTED) return;
    if (!hand.selected.PushBack(entity)) return;
    MarkSelected(entity);
    UpdateScanButton();
}

void GameMechanics::SelectAllOfType(bool onScreenOnly, const char* name)
{
    ClearSelection();
    const CarriedPoses drawn(TheScene);
    for (Entity* entity = TheScene.FirstEntity(SEGMENTS_PLAYER); entity; entity = TheScene.NextEntity()) {
        if (hand.selected.count >= MAX_SELECTED) break;
        if (!IsPlayerUnitOrBuilding(entity)) continue;
        if (name && StrICmp(entity->name, name) != 0) continue;
        if (onScreenOnly) {
            float minX, minY, maxX, maxY;
            if (!GetScreenBox(entity, &minX, &minY, &maxX, &maxY) || !SeenOnScreen(entity, minX, minY, maxX, maxY))
                continue;
        }
        hand.selected.PushBack(entity);
    }
    TheScene.EndIteration();
    if (hand.selected.count == 1) hand.selected.head->value->OnSelect();
    UpdateScanButton();
}

bool GameMechanics::GetScreenBox(Entity* entity, float* minX, float* minY, float* maxX, float* maxY)
{
    *minX = *minY = 10000.0f;
    *maxX = *maxY = -10000.0f;
    const Vec3 base = entity->GetPosition();
    auto widen = [&](const Vec3& point) {
        const Vec3 screen = ProjectToScreen(point);
        *minX = std::min(*minX, screen.x);
        *minY = std::min(*minY, screen.y);
        *maxX = std::max(*maxX, screen.x);
        *maxY = std::max(*maxY, screen.y);
    };
    widen(base);
    if (const IndexedMesh* mesh = entity->mesh) {
        if (mesh->boundsMin.x <= mesh->boundsMax.x) {
            for (int corner = 0; corner < 8; ++corner) {
                const Vec3 offset((corner & 1 ? mesh->boundsMax.x : mesh->boundsMin.x) * entity->scale,
                                  (corner & 2 ? mesh->boundsMax.y : mesh->boundsMin.y) * entity->scale,
                                  (corner & 4 ? mesh->boundsMax.z : mesh->boundsMin.z) * entity->scale);
                widen(Vec3(base.x + offset.x, base.y + offset.y, base.z + offset.z));
            }
        }
    }
    return *minX <= *maxX;
}

void GameMechanics::BoxSelect()
{
    if (!Input.mouse) return;
    // The corner is the game's own press point, where the box was drawn from: the mouse's
    // follows the cursor again in the very update that brings the release.
    const int cursorX = Input.mouse->cursorX, cursorY = Input.mouse->cursorY;
    const float left = (float)std::min(pressX, cursorX), right = (float)std::max(pressX, cursorX);
    const float top = (float)std::min(pressY, cursorY), bottom = (float)std::max(pressY, cursorY);
    if (!LeftShiftHeld()) ClearSelection();
    // The box takes what the player sees in it: each unit where it is drawn.
    const CarriedPoses drawn(TheScene);

    bool tookAgents = false, tookBuildings = false;
    for (Entity* entity = TheScene.FirstEntity(SEGMENTS_PLAYER); entity; entity = TheScene.NextEntity()) {
        if (hand.selected.count >= MAX_SELECTED) break;
        if (!IsPlayerUnitOrBuilding(entity)) continue;
        float minX, minY, maxX, maxY;
        if (!GetScreenBox(entity, &minX, &minY, &maxX, &maxY) || !SeenOnScreen(entity, minX, minY, maxX, maxY))
            continue;
        if (!(minX <= right && minY <= bottom && left <= maxX && top <= maxY)) continue;
        hand.selected.Remove(entity);
        // The rig leads whatever it was taken with.
        if (entity->flags & ENTITY_PLAYER)
            hand.selected.InsertAfter(nullptr, entity);
        else
            hand.selected.PushBack(entity);
        if (entity->flags & ENTITY_AGENT)
            tookAgents = true;
        else
            tookBuildings = true;
    }
    TheScene.EndIteration();

    if (tookAgents && tookBuildings) {
        // Units win over buildings.
        PooledList<Entity*>::Node* previous = nullptr;
        for (auto* node = hand.selected.head; node;) {
            auto* next = node->next;
            if (node->value->flags & ENTITY_BUILDING) {
                Entity* building = node->value;
                hand.selected.Unlink(previous, node);
                if (building->flags & ENTITY_SELECTION) Deselect(building);
            } else {
                previous = node;
            }
            node = next;
        }
    }
    if (hand.selected.count == 1) MarkSelected(hand.selected.head->value);
    UpdateScanButton();
}

void GameMechanics::AssignControlGroup(int group)
{
    std::vector<Entity*> units;
    for (auto* node = hand.selected.head; node; node = node->next) units.push_back(node->value);
    AssignControlGroup(group, units);
}

void GameMechanics::AssignControlGroup(int group, const std::vector<Entity*>& units)
{
    if (group < 0 || group >= CONTROL_GROUP_COUNT) return;
    PooledList<Entity*>& members = hand.groups[group];
    members.Clear();
    for (Entity* unit : units) {
        if (PlayerSelection::Lists(members, unit)) continue;
        if (!members.PushBack(unit)) break;
        unit->controlGroup = group;
    }
}

void GameMechanics::SelectControlGroup(int group)
{
    if (group < 0 || group >= CONTROL_GROUP_COUNT) return;
    ClearSelection();
    PooledList<Entity*>& members = hand.groups[group];
    PooledList<Entity*>::Node* previous = nullptr;
    for (auto* node = members.head; node;) {
        auto* next = node->next;
        if (node->value->flags & ENTITY_DEAD) {
            members.Unlink(previous, node);
        } else {
            if (!hand.IsSelected(node->value)) hand.selected.PushBack(node->value);
            previous = node;
        }
        node = next;
    }
    if (hand.selected.count == 1) hand.selected.head->value->OnSelect();
    UpdateScanButton();

    const double now = FrameTimer.GetTime();
    const double since = now - hand.lastGroupTime;
    if (group == hand.lastGroup && since > 0.0 && since < GROUP_DOUBLE_TAP) {
        hand.lastGroup = -1;
        CenterCameraOnEntity(nullptr);
    } else {
        hand.lastGroup = group;
    }
    hand.lastGroupTime = now;
}

void GameMechanics::SyncControlGroups(Entity* entity)
{
    if (!entity) return;
    entity->controlGroup = -1;
    for (int group = 0; group < CONTROL_GROUP_COUNT; ++group) {
        if (!PlayerSelection::Lists(hand.groups[group], entity)) continue;
        if ((entity->flags & ENTITY_DEAD) || entity->HasDied())
            hand.groups[group].Remove(entity);
        else
            entity->controlGroup = group;
    }
}

void GameMechanics::ClearControlGroups()
{
    for (PooledList<Entity*>& group : hand.groups) group.Clear();
    hand.lastGroup = -1;
}

void GameMechanics::ForgetEntity(Entity* entity)
{
    if (!entity) return;
    // Whatever its flags say: a pool agent comes back as someone else at this address.
    if (hand.selected.Remove(entity)) entity->flags &= ~ENTITY_SELECTION;
    while (hand.hovered.Remove(entity)) {
    }
    for (PooledList<Entity*>& group : hand.groups)
        while (group.Remove(entity)) {
        }
    entity->controlGroup = -1;
    ForgetOrderTarget(entity);
}

void GameMechanics::CenterCameraOnEntity(Entity* entity)
{
    if (state != GAME_STATE_PLAYING) return;
    if (!entity) entity = GetFirstSelected();
    if (!entity || (entity->flags & ENTITY_DEAD) || !entity->mesh) return;
    Vec3 look = entity->GetPosition();
    look.y += (entity->mesh->boundsMax.y - entity->mesh->boundsMin.y) * 0.5f * entity->scale;
    GameCamera.target = look;
    GameCamera.eye = Vec3(look.x - GameCamera.direction.x * GameCamera.distance,
                          look.y - GameCamera.direction.y * GameCamera.distance,
                          look.z - GameCamera.direction.z * GameCamera.distance);
    GameCamera.KeepInBounds();
}

void GameMechanics::WriteControlGroups(Entity* entity, FILE* file)
{
    if (!entity || !file || entity->alignment != ALIGN_PLAYER) return;
    int count = 0;
    for (const PooledList<Entity*>& group : hand.groups) count += PlayerSelection::Lists(group, entity);
    if (count == 0) return;
    if (entity->flags & ENTITY_PLAYER)
        fprintf(file, "PlayerControlGroup\t\t%d\t", count);
    else
        fprintf(file, "ControlGroup\t\t\t\t%d\t", count);
    for (int group = 0; group < CONTROL_GROUP_COUNT; ++group)
        if (PlayerSelection::Lists(hand.groups[group], entity)) fprintf(file, "\t%d", group);
    fprintf(file, "\n");
}

void GameMechanics::ReadControlGroups(Entity* entity, const int* numbers, int count)
{
    if (!entity || !numbers) return;
    // A saved line may name a group twice or a group already full: the entity is listed
    // once, and a full group stays as it is.
    for (int i = 0; i < count; ++i) {
        const int group = numbers[i];
        if (group < 0 || group >= CONTROL_GROUP_COUNT) continue;
        PooledList<Entity*>& members = hand.groups[group];
        if (PlayerSelection::Lists(members, entity)) continue;
        if (!members.PushBack(entity)) continue;
        entity->controlGroup = group;
    }
}
