#include "mechanics/Scene.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/ScreenHooks.h"
#include "platform/Timer.h"
#include "render/AnimLibrary.h"
#include "terrain/Skybox.h"
#include "render/Animation.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"
#include "render/TextureManager.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

Scene TheScene;

namespace {

const char* const MarkerNames[Scene::MARKER_COUNT] = {
    "MarkerUnit",         "MarkerAirUnit",      "MarkerBuilding",        "MarkerEnemyUnit",
    "MarkerEnemyAirUnit", "MarkerEnemyBuiling", "MarkerNeutralBuilding", "MarkerResource",
    "MarkerItem",         "MarkerCollision",    "MarkerUnsorted",        "MarkerLast",
};

// The effects' fallback pictures (white, the grid, the pow lookup) come from the texture
// manager, which keeps them.
GfxBaseTexture* EffectTexture(const char* name)
{
    TextureRecord* record = Textures ? Textures->GetTexture(name) : nullptr;
    return record ? record->texture : nullptr;
}

// An entity about to be freed: its systems stop and forget it, so none reads it afterwards.
void LetGoOfEffects(ParticleManager* particles, Entity* entity)
{
    if (!particles) return;
    for (PooledList<ParticleSystem*>::Node* node = particles->active.head; node; node = node->next) {
        if (node->value->owner != entity) continue;
        node->value->Stop();
        node->value->owner = nullptr;
    }
}

}  // namespace

Scene::Scene() = default;

Scene::~Scene()
{
    for (PooledList<ScenePath>::Node* node = paths.head; node; node = node->next) delete[] node->value.points;
    for (Entity*& marker : markers_) {
        delete marker;
        marker = nullptr;
    }
}

// ---- Life

bool Scene::InitLists()
{
    if (IsReady()) return true;
    bool made = master.Init(MASTER_NODES) && removed.Init(REMOVED_NODES) && primitives.Init(PRIMITIVE_NODES) &&
                terrainObjects.Init(CATEGORY_NODES) && translucent.Init(CATEGORY_NODES) &&
                splats.Init(CATEGORY_NODES) && lights.Init(LIGHT_NODES) && paths.Init(PATH_NODES);
    if (!made) {
        Log("ERROR Scene: no memory for the entity lists\n");
        master.Free();
        return false;
    }
    Node* previous = nullptr;
    for (int i = 0; i < MARKER_COUNT; ++i) {
        Entity* marker = new Entity();
        CopyText(marker->name, sizeof marker->name, MarkerNames[i]);
        marker->flags = ENTITY_LIST_MARKER;
        markers_[i] = marker;
        previous = master.InsertAfter(previous, marker);
        segmentHeads[i] = previous;
    }
    sceneFlags = 0;
    heightmapScale = 1.0f;
    return true;
}

void Scene::Init()
{
    InitLists();
    if (!TheMeshLibrary) TheMeshLibrary = new MeshLibrary();
    if (!TheAnimLibrary) TheAnimLibrary = new AnimLibrary();
    if (!effects && Graphics && Graphics->device) {
        effects = new EffectManager(Graphics->device);
        // Meshes bind their effects from the Scene's manager; the effects bind their fallback
        // pictures from the texture manager.
        TheEffectManager = effects;
        EffectValues.getTexture = EffectTexture;
    }
    if (!particles) particles = new ParticleManager();
}

void Scene::ReleaseEffectManager()
{
    sceneFlags = 0;
    if (effects && TheEffectManager == effects) {
        TheEffectManager = nullptr;
        EffectValues.getTexture = nullptr;
    }
    // The next game (a new start in the same program) draws from the values of no level before
    // it: the ground's alpha map, for one, went with the terrain.
    ForgetLevelEffectValues();
    delete effects;
    effects = nullptr;
    EffectManager::ClosePackage();
}

void Scene::ReleaseParticleManager()
{
    delete particles;
    particles = nullptr;
}

void Scene::ReleaseLibraries()
{
    // The sky is one of the library's meshes.
    Skybox::mesh = nullptr;
    Skybox::texture = nullptr;
    delete TheMeshLibrary;
    TheMeshLibrary = nullptr;
    delete TheAnimLibrary;
    TheAnimLibrary = nullptr;
}

void Scene::KillAllParticles()
{
    if (particles) particles->KillAll();
}

void Scene::ClearRemoved()
{
    sceneFlags = 0;
    groundDrawn = false;
    heightmapScale = 1.0f;
    // What died during the level is freed with it; an entity that went back into a list
    // meanwhile is that list's again.
    std::vector<Entity*> dead;
    for (Node* node = removed.head; node; node = node->next)
        if (node->value && std::find(dead.begin(), dead.end(), node->value) == dead.end()) dead.push_back(node->value);
    removed.Clear();
    for (Entity* entity : dead) {
        if ((entity->flags & ENTITY_AGENT) || IsHeld(entity)) continue;
        LetGoOfEffects(particles, entity);
        entity->LeaveGridCell();
        delete entity;
    }
}

void Scene::ReleaseEntities()
{
    std::vector<Entity*> all;
    for (EntityList* list : {&master, &terrainObjects, &splats, &translucent, &removed, &primitives})
        for (Node* node = list->head; node; node = node->next)
            if (node->value && !IsMarker(node->value) && std::find(all.begin(), all.end(), node->value) == all.end())
                all.push_back(node->value);
    EndIteration();
    category_ = Cursor();
    categoryIndex_ = -1;
    for (EntityList* list : {&terrainObjects, &splats, &translucent, &removed, &primitives}) list->Clear();
    if (IsReady()) {
        // Only the markers stay.
        for (Entity* entity : all) master.Remove(entity);
    }
    AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
    for (Entity* entity : all) {
        if (TheGame) TheGame->ForgetEntity(entity);
        LetGoOfEffects(particles, entity);
        entity->LeaveGridCell();
        if (entity->flags & ENTITY_AGENT) {
            // The Scene never frees an agent: the pool's go back to it, others are their
            // owner's.
            Agent* agent = static_cast<Agent*>(entity);
            if (registry && registry->IsPoolAgent(agent)) registry->ReturnAgent(agent);
            continue;
        }
        delete entity;
    }
    for (PooledList<ScenePath>::Node* node = paths.head; node; node = node->next) delete[] node->value.points;
    paths.Clear();
    lights.Clear();
    pendingLinkCount = 0;
    // The overlays drew with primitives that are gone now; the next game looks them up again.
    if (TheScreenHooks) TheScreenHooks->SceneReleased();
}

// ---- Lists

bool Scene::IsMarker(const Entity* entity)
{
    return entity && entity->flags == ENTITY_LIST_MARKER;
}

int Scene::GetListIndex(const Entity* entity) const
{
    uint32_t flags = entity->flags;
    if (flags & ENTITY_AGENT) {
        bool air = (static_cast<const Agent*>(entity)->classWord & AGENT_CLASS_AIR_UNIT) != 0;
        if (entity->alignment == ALIGN_PLAYER) return air ? SEGMENT_AIR_UNIT : SEGMENT_UNIT;
        return air ? SEGMENT_ENEMY_AIR_UNIT : SEGMENT_ENEMY_UNIT;
    }
    if (flags & ENTITY_BUILDING) {
        if (entity->alignment == ALIGN_PLAYER) return SEGMENT_BUILDING;
        if (entity->alignment == ALIGN_NEUTRAL) return SEGMENT_NEUTRAL_BUILDING;
        return SEGMENT_ENEMY_BUILDING;
    }
    if (flags & ENTITY_RESOURCE) return SEGMENT_RESOURCE;
    if (flags & ENTITY_ITEM) return SEGMENT_ITEM;
    if (flags & ENTITY_COLLISION) return SEGMENT_COLLISION;
    return SEGMENT_UNSORTED;
}

Scene::Node* Scene::AddEntity(Entity* entity)
{
    if (!entity) return nullptr;
    WORLD_CHANGE("an entity added to the level");
    if (entity->flags & ENTITY_PLAYER) {
        Log("adding player\n");
        // A dead rig may still be listed until the level ends: it does not hold the place.
        for (Node* node = master.head; node; node = node->next)
            if (!IsMarker(node->value) && (node->value->flags & ENTITY_PLAYER) && !(node->value->flags & ENTITY_DEAD)) {
                Log("already added\n");
                return nullptr;
            }
    }
    return LinkEntity(entity);
}

Scene::Node* Scene::LinkEntity(Entity* entity)
{
    if (!entity || !IsReady()) return nullptr;
    Node* node = master.InsertAfter(segmentHeads[GetListIndex(entity)], entity);
    if (!node) Log("ERROR Scene: the entity list is full (%d), %s is not added\n", MASTER_NODES, entity->name);
    return node;
}

void Scene::UnlinkEntity(Entity* entity)
{
    RemoveFrom(master, entity);
}

bool Scene::RemoveFrom(EntityList& list, Entity* entity)
{
    if (!entity) return false;
    Node* previous = nullptr;
    for (Node* node = list.head; node; previous = node, node = node->next) {
        if (node->value != entity) continue;
        for (Cursor* cursor : {&typed_, &category_, &update_}) {
            if (cursor->list != &list || cursor->node != node) continue;
            cursor->node = previous;
            cursor->beforeHead = previous == nullptr;
        }
        list.Unlink(previous, node);
        return true;
    }
    return false;
}

Scene::Node* Scene::FirstInList(int segment) const
{
    if (segment < 0 || segment >= SEGMENT_COUNT || !segmentHeads[segment]) return nullptr;
    return NextInList(segmentHeads[segment]);
}

Scene::Node* Scene::NextInList(const Node* node) const
{
    Node* next = node ? node->next : nullptr;
    return next && !IsMarker(next->value) ? next : nullptr;
}

Scene::Node* Scene::Following(const Cursor& cursor)
{
    if (cursor.beforeHead) return cursor.list ? cursor.list->head : nullptr;
    return cursor.node ? cursor.node->next : nullptr;
}

Scene::Node* Scene::StartSegment(int segment, uint32_t mask, int* segmentOut) const
{
    for (int s = segment; s < SEGMENT_COUNT; ++s) {
        if (!(mask & (1u << s))) continue;
        Node* first = FirstInList(s);
        if (first) {
            *segmentOut = s;
            return first;
        }
    }
    *segmentOut = -1;
    return nullptr;
}

Entity* Scene::NextInWalk(Cursor& cursor, int* segment, uint32_t mask) const
{
    if (*segment < 0) return nullptr;
    Node* next = Following(cursor);
    if (!next || IsMarker(next->value)) next = StartSegment(*segment + 1, mask, segment);
    cursor.node = next;
    cursor.beforeHead = false;
    return next ? next->value : nullptr;
}

Entity* Scene::FirstEntity(uint32_t segmentMask)
{
    typed_ = Cursor();
    typed_.list = &master;
    typedMask_ = segmentMask;
    Node* first = IsReady() ? StartSegment(0, segmentMask, &typedSegment_) : nullptr;
    if (!first) {
        EndIteration();
        return nullptr;
    }
    typed_.node = first;
    return first->value;
}

Entity* Scene::NextEntity()
{
    Entity* next = NextInWalk(typed_, &typedSegment_, typedMask_);
    if (!next) EndIteration();
    return next;
}

void Scene::EndIteration()
{
    typed_ = Cursor();
    typedSegment_ = -1;
    typedMask_ = 0;
}

Scene::EntityList* Scene::CategoryList(int category, int index) const
{
    Scene* self = const_cast<Scene*>(this);
    switch (category) {
    case CATEGORY_ALL: {
        EntityList* order[] = {&self->master, &self->terrainObjects, &self->splats, &self->translucent};
        return index >= 0 && index < 4 ? order[index] : nullptr;
    }
    case CATEGORY_MASTER: return index == 0 ? &self->master : nullptr;
    case CATEGORY_TERRAIN: return index == 0 ? &self->terrainObjects : nullptr;
    case CATEGORY_TRANSLUCENT: return index == 0 ? &self->translucent : nullptr;
    case CATEGORY_SPLATS: return index == 0 ? &self->splats : nullptr;
    default: return nullptr;
    }
}

Entity* Scene::FirstInCategory(int category, int flagMask)
{
    categorySelector_ = category;
    categoryMask_ = flagMask;
    categoryIndex_ = 0;
    category_ = Cursor();
    category_.list = CategoryList(category, 0);
    category_.beforeHead = true;
    return CategoryStep();
}

Entity* Scene::NextInCategory()
{
    return categoryIndex_ < 0 ? nullptr : CategoryStep();
}

Entity* Scene::CategoryStep()
{
    while (category_.list) {
        Node* next = Following(category_);
        if (!next) {
            category_.list = CategoryList(categorySelector_, ++categoryIndex_);
            category_.node = nullptr;
            category_.beforeHead = true;
            continue;
        }
        category_.node = next;
        category_.beforeHead = false;
        Entity* entity = next->value;
        if (!entity || IsMarker(entity)) continue;
        if (categoryMask_ >= 1 && !(entity->flags & (uint32_t)categoryMask_)) continue;
        return entity;
    }
    category_ = Cursor();
    categoryIndex_ = -1;
    return nullptr;
}

bool Scene::IsHeld(const Entity* entity) const
{
    for (const EntityList* list : {&master, &terrainObjects, &splats, &translucent})
        for (const Node* node = list->head; node; node = node->next)
            if (node->value == entity) return true;
    return false;
}

void Scene::RemoveEntity(Entity* entity, int mode)
{
    if (!entity || IsMarker(entity)) return;
    WORLD_CHANGE("an entity taken out of the level");
    // The player's hand lets go of it, selected or not: a pool agent comes back as another.
    if (TheGame) TheGame->ForgetEntity(entity);
    entity->flags &= ~ENTITY_SELECTION;
    entity->EndOwnedEffects();
    UnlinkEntity(entity);

    if (mode == REMOVE_EVERYWHERE || mode == REMOVE_TERRAIN) {
        entity->LeaveGridCell();
        RemoveFrom(terrainObjects, entity);
    }
    if (mode == REMOVE_EVERYWHERE || mode == REMOVE_TRANSLUCENT) RemoveFrom(translucent, entity);
    if (mode == REMOVE_EVERYWHERE || mode == REMOVE_SPLAT) RemoveFrom(splats, entity);
    if (mode != REMOVE_EVERYWHERE && mode != REMOVE_MASTER) return;

    uint32_t flags = entity->flags;
    if ((flags & ENTITY_AGENT) && !(flags & ENTITY_PLAYER)) {
        Agent* agent = static_cast<Agent*>(entity);
        if (Entity* home = agent->activeBuilding.Get()) {
            if (home->flags & ENTITY_BUILDING) {
                Building* building = static_cast<Building*>(home);
                if (building->linkedEntity.entity == agent) building->linkedEntity.Clear();
            }
        }
        // The brain lets go of its job with the AI brains.
        agent->LeaveGridCell();
        AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
        if (registry && registry->IsPoolAgent(agent)) registry->ReturnAgent(agent);
    } else if (flags & (ENTITY_RESOURCE | ENTITY_ITEM)) {
        entity->LeaveGridCell();
    } else if (flags & ENTITY_BUILDING) {
        entity->LeaveGridCell();
        entity->MarkDeleted();
    }
}

// ---- The frame

void Scene::UpdateList(EntityList& list)
{
    update_ = Cursor();
    update_.list = &list;
    update_.beforeHead = true;
    while (Node* node = Following(update_)) {
        update_.node = node;
        update_.beforeHead = false;
        Entity* entity = node->value;
        if (entity && !IsMarker(entity)) entity->Update();
    }
    update_ = Cursor();
}

void Scene::Update()
{
    if (!IsReady()) return;
    float dt = WorldStep();
    if ((TheScreenHooks && TheScreenHooks->WindowHoldsGame()) || firstFrame) dt = 0.0f;

    update_ = Cursor();
    update_.list = &master;
    update_.beforeHead = true;
    while (Node* node = Following(update_)) {
        update_.node = node;
        update_.beforeHead = false;
        Entity* entity = node->value;
        if (!entity || IsMarker(entity)) continue;
        if (!firstFrame && !(entity->flags & ENTITY_DEAD)) {
            entity->Update();
            // The update may have taken it out of the level (and an agent back to the pool).
            if (update_.node == node && AnimationPlay && entity->mesh) entity->mesh->AdvanceAnimation(dt);
            // What the fog lets the player find.
            if (update_.node == node) entity->UpdateVisibility();
        }
        if (update_.node == node && (entity->flags & ENTITY_DEAD) && !(entity->flags & ENTITY_STAYS_DEAD))
            RetireDead(entity);
    }
    update_ = Cursor();

    RecountUnitControl();
    if (firstFrame) UpdateList(terrainObjects);
    UpdateList(splats);
    // The scenery drawn too: what the fog lets the player find of it is worked out here, not
    // where it is drawn.
    if (!firstFrame)
        for (EntityList* list : {&terrainObjects, &translucent, &splats})
            for (Node* node = list->head; node; node = node->next)
                if (node->value && !IsMarker(node->value) && !(node->value->flags & ENTITY_NODRAW))
                    node->value->UpdateVisibility();
    firstFrame = false;
}

void Scene::NoteTickPoses()
{
    for (Node* node = master.head; node; node = node->next) {
        Entity* entity = node->value;
        if (!entity || IsMarker(entity)) continue;
        entity->worldBeforeTick = entity->world;
        entity->rotationBeforeTick = entity->rotation;
        entity->poseTick = WorldTicks.count;
    }
}

namespace {

// More than this in one tick is no walk but a jump (a warp, a respawn): drawn where it landed.
constexpr float POSE_JUMP = 4.0f;

// The pose `share` of the way from `before` to `at`: the place in a straight line, and the turn
// kept a turn (each of its rows at the length it has).
Matrix Between(const Matrix& before, const Matrix& at, float share)
{
    Matrix out = at;
    for (int row = 0; row < 4; ++row) {
        float length = 0.0f, drawnLength = 0.0f;
        for (int c = 0; c < 3; ++c) {
            out.m[row][c] = before.m[row][c] + (at.m[row][c] - before.m[row][c]) * share;
            length += at.m[row][c] * at.m[row][c];
            drawnLength += out.m[row][c] * out.m[row][c];
        }
        if (row < 3 && drawnLength > 1e-12f) {
            const float keep = std::sqrt(length / drawnLength);
            for (int c = 0; c < 3; ++c) out.m[row][c] *= keep;
        }
    }
    return out;
}

}  // namespace

void Scene::CarryPoses(const std::vector<const Entity*>* only)
{
    if (posesCarried_ || !IsReady()) return;
    posesCarried_ = true;
    carried_.clear();
    const float share = WorldTicks.carry;
    for (Node* node = master.head; node; node = node->next) {
        Entity* entity = node->value;
        if (!entity || IsMarker(entity) || entity->poseTick != WorldTicks.count || entity->IsAttached()) continue;
        if (only && !std::binary_search(only->begin(), only->end(), entity)) continue;
        const Matrix& before = entity->worldBeforeTick;
        const float dx = entity->world._41 - before._41, dy = entity->world._42 - before._42,
                    dz = entity->world._43 - before._43;
        const float moved = dx * dx + dy * dy + dz * dz;
        const bool turned = std::memcmp(&entity->rotation, &entity->rotationBeforeTick, sizeof(Matrix)) != 0;
        if ((moved == 0.0f && !turned) || moved > POSE_JUMP * POSE_JUMP) continue;
        CarriedPose pose{entity, entity->world, entity->rotation, {}, {}};
        pose.drawn = Between(before, entity->world, share);
        pose.drawnRotation = Between(entity->rotationBeforeTick, entity->rotation, share);
        entity->world = pose.drawn;
        entity->rotation = pose.drawnRotation;
        carried_.push_back(pose);
    }
}

void Scene::RestoreTickPoses()
{
    if (!posesCarried_) return;
    posesCarried_ = false;
    for (const CarriedPose& pose : carried_) {
        Entity* entity = pose.entity;
        // What moved it while drawn (a placement shown under the cursor) keeps its move.
        if (std::memcmp(&entity->world, &pose.drawn, sizeof(Matrix)) == 0) entity->world = pose.world;
        if (std::memcmp(&entity->rotation, &pose.drawnRotation, sizeof(Matrix)) == 0) entity->rotation = pose.rotation;
    }
    carried_.clear();
}

CarriedPoses::CarriedPoses(Scene& scene)
{
    // Nested, the outer scope owns them.
    if (scene.PosesCarried()) return;
    this->scene = &scene;
    scene.CarryPoses();
}

CarriedPoses::CarriedPoses(Scene& scene, const std::vector<const Entity*>& only)
{
    if (scene.PosesCarried()) return;
    this->scene = &scene;
    scene.CarryPoses(&only);
}

CarriedPoses::~CarriedPoses()
{
    if (scene) scene->RestoreTickPoses();
}

void Scene::PoseUnits()
{
    // The entities' first update, which stands a unit just put down on the ground and skins
    // its mesh, comes frames after the level's first picture: until then a unit read from the
    // level stands at the height it was written with, under the ground.
    for (Node* node = master.head; node; node = node->next) {
        Entity* entity = node->value;
        if (!entity || IsMarker(entity) || !(entity->flags & ENTITY_AGENT) || !entity->mesh) continue;
        if (entity->flags & ENTITY_PLACED) {
            Vec3 position = entity->GetPosition();
            position.y = TheTerrain.GetHeight(position);
            entity->SetPosition(position);
        }
        entity->mesh->Update(0.0f);
        const Agent* agent = static_cast<const Agent*>(entity);
        for (int i = 0; i < agent->AttachmentCount(); ++i) {
            Entity* attached = agent->Attachment(i).entity;
            if (attached && attached->mesh && attached->mesh->IsSkinned()) attached->mesh->Update(0.0f);
        }
    }
}

void Scene::RetireDead(Entity* entity)
{
    uint32_t flags = entity->flags;
    if (flags & ENTITY_PLAYER) {
        // The lost rig ends the mission, and the wreck stays. A mission already won stays won:
        // it ends as the guild's "Exit Mission" ends it. Otherwise the "Mission Failed!" window
        // takes the screen and the world stands still until the player restarts, loads or leaves.
        if (TheObjectives && TheObjectives->Count() > 0 && TheObjectives->AllComplete()) {
            rigLostAfterWin = true;
            return;
        }
        if (TheScreenHooks) TheScreenHooks->ShowMissionFailed();
        return;
    }
    if (flags & ENTITY_AGENT) {
        RemoveEntity(entity, REMOVE_MASTER);
    } else if (flags & (ENTITY_RESOURCE | ENTITY_BUILDING | ENTITY_ITEM)) {
        RemoveEntity(entity, REMOVE_MASTER);
        if (!removed.PushBack(entity))
            Log("ERROR Scene: the removed-entity list is full (%d), %s is dropped\n", REMOVED_NODES, entity->name);
    }
}

void Scene::RecountUnitControl()
{
    PlayerProfile* profile = GetPlayerProfile();
    UnitControlCount count;
    count.capacity = profile ? profile->baseUnitControl : 0;
    int segment = -1;
    Cursor walk;
    walk.node = StartSegment(0, SEGMENTS_PLAYER, &segment);
    for (Entity* entity = walk.node ? walk.node->value : nullptr; entity;
         entity = NextInWalk(walk, &segment, SEGMENTS_PLAYER)) {
        if ((entity->flags & ENTITY_DEAD) || entity->alignment != ALIGN_PLAYER || (entity->flags & ENTITY_PLAYER))
            continue;
        if (entity->flags & ENTITY_AGENT) {
            ++count.used;
            continue;
        }
        if (!(entity->flags & ENTITY_BUILDING)) continue;
        const Building* building = static_cast<const Building*>(entity);
        const BuildItem* definition = building->definition;
        if ((building->stateFlags & BUILDING_PREVIEW) || !definition) continue;
        if (building->buildState == BUILD_STATE_CONSTRUCTING) {
            count.pending += PowerDrawn(definition);
            continue;
        }
        if (definition->resourcePower > 0)
            count.supply += (float)definition->resourcePower;
        else
            count.demand -= (float)definition->costPower;
        if (definition->flags & BUILD_UNIT_CONTROL) count.capacity += definition->level > 0 ? 10 : 5;
        if ((definition->flags & BUILD_UNIT_FACTORY) && building->buildQueue && building->buildQueue->count > 0)
            count.used += building->buildQueue->count;
        if ((definition->flags & (BUILD_UNIT_UPGRADER | BUILD_UNIT_RECYCLER)) && building->linkedEntity.Get()) ++count.used;
    }
    count.capacity = std::min(count.capacity, UNIT_CONTROL_CAP);
    count.supply = std::max(count.supply, 20.0f);
    unitControl = count;
    if (!profile) return;
    // The player's record follows the count: the units in use, and the control the buildings
    // provide (never below what a mission starts with).
    profile->unitsInUse = count.used;
    if (count.capacity != std::min(profile->unitControl, profile->maxUnitControl))
        profile->unitControl = std::max(count.capacity, profile->baseUnitControl);
}

void Scene::DropToTerrain()
{
    if (!TheTerrain.created) return;
    auto drop = [](Entity* entity, bool terrainOnly) {
        if (!(entity->flags & ENTITY_SNAP_TO_GROUND)) return;
        Vec3 position = entity->GetPosition();
        position.y = TheTerrain.GetHeight(position, nullptr, terrainOnly);
        entity->SetPosition(position);
    };
    for (int segment : {SEGMENT_COLLISION, SEGMENT_UNSORTED})
        for (Node* node = FirstInList(segment); node; node = NextInList(node)) drop(node->value, false);
    for (Node* node = terrainObjects.head; node; node = node->next)
        if (node->value) drop(node->value, (node->value->flags & 0x40) != 0);
}

void Scene::ConformEntitiesToTerrain()
{
    for (Node* node = splats.head; node; node = node->next) {
        Entity* splat = node->value;
        if (!splat || !(splat->flags & ENTITY_SPLAT) || !splat->mesh || splat->mesh->SubMeshCount() == 0) continue;
        Vec3 position = splat->GetPosition();
        splat->mesh->ConformToTerrain(0, position, false, (splat->flags & 0x40) ? 1 : 0);
        splat->SetPosition(position);
    }
}
