// The Scene's entity factory: agents from their unit types, buildings from the build catalogue,
// ore, fuel vents and splats from the primitives, the primitives themselves, mesh entities,
// lights, paths and the pending links of a scene file.
#include "mechanics/Scene.h"

#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"
#include "render/TextureManager.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <cstring>
#include <new>

namespace {

constexpr const char* NO_NORMAL_MAP = "data/textures/normalMapNone.dds";
// The bone a unit holds its weapon on (bones are found without regard to case).
constexpr const char* WEAPON_BONE = "rightweapon";

// A mesh of the entity's own, made from a shared one (its own pose, its own textures).
IndexedMesh* CloneMesh(const IndexedMesh* source)
{
    if (!source) return nullptr;
    IndexedMesh* copy = new (std::nothrow) IndexedMesh();
    if (copy) copy->Clone(*source);
    return copy;
}

IndexedMesh* LibraryMesh(const char* name, int lightingMode, bool loadNow, bool dynamic)
{
    return TheMeshLibrary && name ? TheMeshLibrary->GetMesh(name, lightingMode, loadNow, dynamic) : nullptr;
}

bool IsLibraryMeshLoaded(const IndexedMesh* mesh)
{
    return mesh && TheMeshLibrary && TheMeshLibrary->IsLoaded(mesh->name);
}

// A particle system that follows its owner at an offset.
void SpawnOwned(ParticleManager* particles, const char* name, Entity* owner, const Vec3& offset)
{
    ParticleSystem* system = particles && name && name[0] ? particles->SpawnSystem(name) : nullptr;
    if (!system) return;
    system->owner = owner;
    system->offset = offset;
}

void ShareMeshes(Entity* to, const Entity* from)
{
    to->mesh = from->mesh;
    for (int i = 0; i < ENTITY_MESH_STATES; ++i) to->meshStates[i] = from->meshStates[i];
    to->meshCount = from->meshCount;
    to->collisionMesh = from->collisionMesh;
}

// A plain entity showing a shared mesh, hung on the agent's bone under the name; the agent
// owns the entity.
void AttachMesh(Agent* agent, IndexedMesh* mesh, const char* name, const char* bone)
{
    Entity* attached = new (std::nothrow) Entity();
    if (!attached) return;
    attached->mesh = mesh;
    attached->meshStates[0] = mesh;
    attached->meshCount = 1;
    attached->scale = 1.0f;
    CopyText(attached->name, sizeof attached->name, name);
    agent->AddAttachment(attached, name, bone, true);
    if (agent->GetAttachedEntity(name) != attached) delete attached;
    agent->RebindAttachments();
}

}  // namespace

void SetMeshTexture(IndexedMesh* mesh, const char* texture)
{
    if (!mesh) return;
    for (MeshMaterial& material : mesh->materials) CopyText(material.textureName, sizeof material.textureName, texture);
    if (!Textures) return;
    for (SubMesh& sub : mesh->subMeshes) sub.diffuseTexture = Textures->GetTexture(texture);
}

Agent* Scene::CreateAgent(const char* typeName, bool add)
{
    AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
    if (!registry || !typeName) return nullptr;
    Agent* prototype = registry->FindPrototype(typeName);
    AgentType* type = registry->FindTypeFor(prototype);
    if (!prototype || !type || !IsLibraryMeshLoaded(prototype->mesh)) return nullptr;
    Agent* agent = registry->TakeFreeAgent();
    if (!agent) return nullptr;

    CopyText(agent->name, sizeof agent->name, typeName);
    agent->flags = prototype->flags | ENTITY_AGENT | ENTITY_AI;
    agent->classWord |= prototype->classWord;
    agent->commandWord |= prototype->commandWord;
    // Each agent poses its mesh itself: it gets a copy of its own.
    IndexedMesh* mesh = CloneMesh(prototype->mesh);
    agent->AdoptMesh(mesh);
    agent->meshStates[0] = mesh;
    agent->meshCount = mesh ? 1 : 0;
    agent->collisionMesh = prototype->collisionMesh;
    agent->SetHealth(prototype->health);
    agent->SetMaxHealth(prototype->maxHealth);
    agent->shield = prototype->shield;
    agent->maxShield = prototype->maxShield;
    agent->scale = prototype->scale;
    agent->world = prototype->world;
    agent->alignment = prototype->alignment;
    agent->composition = prototype->composition;
    agent->speed = prototype->speed;
    agent->damage = prototype->damage;
    agent->noticeRange = prototype->noticeRange;
    agent->attackRange = prototype->attackRange;
    agent->meleeAttackTime = prototype->meleeAttackTime;
    agent->brainKind = prototype->brainKind;
    if (prototype->weapon) {
        agent->weapon = new (std::nothrow) WeaponDef();
        if (agent->weapon) agent->weapon->CopyFrom(*prototype->weapon);
    }
    if (prototype->alignment == ALIGN_PLAYER && !(prototype->flags & ENTITY_PLAYER))
        agent->classWord |= AGENT_CLASS_LEVELLING;
    agent->agentType = type;

    for (int i = 0; i < type->attachmentCount; ++i) {
        const AgentTypeAttachment* record = type->attachments[i];
        IndexedMesh* attachedMesh = LibraryMesh(record->mesh, 0, true, false);
        if (!attachedMesh || !attachedMesh->IsAnimated()) continue;
        AttachMesh(agent, attachedMesh, record->bone, record->bone);
    }
    // The weapon the unit carries is shown in its hand, whatever gun its own mesh was made with.
    const Item* weaponItem = agent->weapon ? agent->weapon->owner : nullptr;
    if (weaponItem && weaponItem->mesh && agent->mesh && agent->mesh->FindJoint(WEAPON_BONE) >= 0)
        AttachMesh(agent, weaponItem->mesh, WEAPON_BONE, WEAPON_BONE);

    if (add && !AddEntity(agent)) {
        registry->ReturnAgent(agent);
        return nullptr;
    }
    return agent;
}

Building* Scene::CreateBuilding(const char* name)
{
    BuildItemList* catalogue = TheGame ? TheGame->buildItems : nullptr;
    BuildItem* item = catalogue ? catalogue->FindByName(name) : nullptr;
    const Entity* prototype = item ? item->prototype : nullptr;
    if (!prototype) return nullptr;
    Building* building = new (std::nothrow) Building();
    if (!building) return nullptr;
    CopyText(building->name, sizeof building->name, prototype->name);
    building->alignment = prototype->alignment;
    building->composition = prototype->composition;
    ShareMeshes(building, prototype);
    building->scale = prototype->scale;
    // Its make, not its place: the prototype is also what the player's hand shows under the
    // cursor, and where the hand holds it is nothing of the level's.
    building->world = prototype->world;
    building->SetPosition(Vec3());
    building->attachOffset = prototype->attachOffset;
    building->health = prototype->health;
    building->maxHealth = prototype->maxHealth;
    building->damage = prototype->damage;
    building->definition = item;
    if (!AddEntity(building)) {
        delete building;
        return nullptr;
    }
    if (item->flags & BUILD_PARTICLES) SpawnOwned(particles, item->particleSystem, building, item->particleOffset);
    building->EnsureBuildQueue();
    return building;
}

Entity* Scene::AddResource(const char* primitiveName, const Vec3& position, int oreType)
{
    const Entity* primitive = FindPrimitive(primitiveName);
    if (!primitive) return nullptr;
    Entity* ore = new (std::nothrow) Entity();
    if (!ore) return nullptr;
    CopyText(ore->name, sizeof ore->name, primitive->name);
    CopyText(ore->typeName, sizeof ore->typeName, primitive->name);
    ore->health = primitive->health;
    ore->maxHealth = primitive->maxHealth;
    ore->scale = primitive->scale;
    ore->mesh = primitive->mesh;
    ore->meshCount = primitive->meshCount;
    ore->collisionMesh = primitive->collisionMesh;
    // The stages show the ore's grade in their own textures: each is a copy of its own.
    for (int i = 0; i < ENTITY_MESH_STATES; ++i) ore->AdoptMeshState(i, CloneMesh(primitive->meshStates[i]));
    const char* grade = oreType == 1   ? "data/textures/ore_green.dds"
                        : oreType == 2 ? "data/textures/ore_blue.dds"
                                       : "data/textures/ore_red.dds";
    SetMeshTexture(ore->meshStates[1], grade);
    SetMeshTexture(ore->meshStates[2], grade);
    ore->flags |= ENTITY_RESOURCE | ENTITY_ALIGN_TO_TERRAIN | ENTITY_PLACED | ENTITY_SNAP_TO_GROUND;
    MatrixIdentity(&ore->world);
    ore->SetPosition(position);
    ore->kills = oreType;
    if (!LinkEntity(ore)) {
        delete ore;
        return nullptr;
    }
    return ore;
}

Entity* Scene::AddFuelVent(const char* primitiveName, const Vec3& position)
{
    const Entity* primitive = FindPrimitive(primitiveName);
    if (!primitive) return nullptr;
    if (terrainObjects.IsFull()) {
        Log("ERROR Scene: the terrain-object list is full (%d), the fuel vent is not added\n", CATEGORY_NODES);
        return nullptr;
    }
    Entity* vent = new (std::nothrow) Entity();
    if (!vent) return nullptr;
    CopyText(vent->name, sizeof vent->name, primitive->name);
    vent->health = primitive->health;
    vent->maxHealth = primitive->maxHealth;
    vent->scale = primitive->scale;
    ShareMeshes(vent, primitive);
    vent->flags |= ENTITY_STATIC | ENTITY_NODRAW | ENTITY_FUEL | ENTITY_PLACED | ENTITY_GRID_BLOCKER |
                   ENTITY_SNAP_TO_GROUND;
    MatrixIdentity(&vent->world);
    vent->SetPosition(Vec3(position.x, position.y + 0.1f, position.z));
    terrainObjects.PushBack(vent);
    SpawnOwned(particles, "fuelvent", vent, Vec3(0.0f, 1.0f, 0.0f));
    float cell = TheGame && TheGame->grid ? TheGame->grid->cellSize : 2.5f;
    // The vent keeps its ground splat in its parent link (it hangs on no bone).
    vent->attachParent = AddSplat("splat3x3", "data/textures/splats/splat_vent.dds",
                                  "data/textures/splats/splat_vent_sn.dds",
                                  Vec3(position.x - cell, position.y + 0.05f, position.z + cell), 0);
    return vent;
}

Entity* Scene::AddSplat(const char* primitiveName, const char* texture, const char* normalTexture, const Vec3& position,
                        uint32_t extraFlags)
{
    if (splats.IsFull()) return nullptr;
    Entity* primitive = FindPrimitive(primitiveName);
    if (!primitive) {
        Log("ERROR couldn't find splat primitive %s\n", primitiveName ? primitiveName : "");
        return nullptr;
    }
    // The primitive's mesh names the textures; the copy binds them as it is built.
    if (primitive->mesh) {
        const char* normal = normalTexture && normalTexture[0] ? normalTexture : NO_NORMAL_MAP;
        for (MeshMaterial& material : primitive->mesh->materials) {
            if (texture) CopyText(material.textureName, sizeof material.textureName, texture);
            CopyText(material.normalMapName, sizeof material.normalMapName, normal);
        }
    }
    Entity* splat = new (std::nothrow) Entity();
    if (!splat) return nullptr;
    IndexedMesh* mesh = CloneMesh(primitive->mesh);
    splat->AdoptMesh(mesh);
    splat->meshStates[0] = mesh;
    splat->meshCount = mesh ? 1 : 0;
    CopyText(splat->name, sizeof splat->name, primitive->name);
    splat->scale = primitive->scale;
    splat->world = primitive->world;
    splat->SetPosition(position);
    splat->flags |= extraFlags | ENTITY_SPLAT;
    splats.PushBack(splat);
    return splat;
}

Entity* Scene::AddPrimitive(const char* mesh, const char* name, int lightingMode, const char*, uint32_t kind, int meshArg,
                            bool dynamic)
{
    if (!IsReady()) return nullptr;
    if (primitives.IsFull()) {
        Log("ERROR Scene: the primitive list is full (%d), %s is not added\n", PRIMITIVE_NODES, name ? name : "");
        return nullptr;
    }
    Entity* primitive = nullptr;
    if (kind == ENTITY_AGENT) {
        AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
        primitive = registry ? registry->TakeFreeAgent() : nullptr;
        if (!primitive) return nullptr;
    } else if (kind == ENTITY_BUILDING) {
        primitive = new (std::nothrow) Building();
    } else {
        primitive = new (std::nothrow) Entity();
        if (primitive && kind == ENTITY_RESOURCE) primitive->flags |= ENTITY_RESOURCE;
    }
    if (!primitive) return nullptr;
    primitive->mesh = LibraryMesh(mesh, lightingMode, meshArg != 0, dynamic);
    primitive->meshStates[0] = primitive->mesh;
    primitive->meshCount = 1;
    CopyText(primitive->name, sizeof primitive->name, name ? name : "none");
    MatrixIdentity(&primitive->world);
    primitive->scale = 1.0f;
    primitives.PushBack(primitive);
    return primitive;
}

bool Scene::AddMeshToTemplate(Entity* primitive, const char* mesh, int lightingMode)
{
    if (!primitive || primitive->meshCount >= ENTITY_MESH_STATES) return false;
    IndexedMesh* state = LibraryMesh(mesh, lightingMode, true, false);
    if (!state) return false;
    primitive->meshStates[primitive->meshCount++] = state;
    return true;
}

Entity* Scene::CreateMeshEntity(const char* mesh, const Vec3* position, int lightingMode)
{
    Entity* entity = new (std::nothrow) Entity();
    if (!entity) return nullptr;
    entity->mesh = LibraryMesh(mesh, lightingMode, true, false);
    entity->meshStates[0] = entity->mesh;
    entity->meshCount = entity->mesh ? 1 : 0;
    entity->scale = 1.0f;
    if (position) entity->SetPosition(*position);
    return entity;
}

Entity* Scene::CreateDecalEntity(const char* mesh, const Vec3& position, int lightingMode)
{
    Entity* decal = CreateMeshEntity(mesh, &position, lightingMode);
    if (!decal) return nullptr;
    // A mesh file that is missing leaves a library entry that was never built: no decal.
    if (!mesh || !TheMeshLibrary || !TheMeshLibrary->IsLoaded(mesh) || !decal->mesh || !decal->mesh->IsAnimated() ||
        !LinkEntity(decal)) {
        delete decal;
        return nullptr;
    }
    return decal;
}

Entity* Scene::AddTerrainObject(const char* mesh, const Vec3& position, int lightingMode)
{
    if (terrainObjects.IsFull()) {
        Log("ERROR Scene: the terrain-object list is full (%d), %s is not added\n", CATEGORY_NODES, mesh ? mesh : "");
        return nullptr;
    }
    Entity* entity = CreateMeshEntity(mesh, &position, lightingMode);
    if (entity) terrainObjects.PushBack(entity);
    return entity;
}

Entity* Scene::AddTranslucentObject(const char* mesh, const Vec3& position, int lightingMode)
{
    if (translucent.IsFull()) {
        Log("ERROR Scene: the translucent-object list is full (%d), %s is not added\n", CATEGORY_NODES,
            mesh ? mesh : "");
        return nullptr;
    }
    Entity* entity = CreateMeshEntity(mesh, &position, lightingMode);
    if (entity) translucent.PushBack(entity);
    return entity;
}

SceneLight* Scene::AddLight()
{
    SceneLight light{};
    light.type = 1;
    for (int i = 0; i < 4; ++i) light.diffuse[i] = light.specular[i] = 1.0f;
    light.ambient[0] = light.ambient[1] = light.ambient[2] = 0.3f;
    light.ambient[3] = 1.0f;
    light.position = Vec3();
    light.direction = Vec3(1.0f, 0.5f, 0.5f);
    light.range = 1000.0f;
    light.attenuation[0] = light.attenuation[1] = light.attenuation[2] = 1.0f;
    if (!lights.PushBack(light)) {
        Log("ERROR Scene: the light list is full (%d)\n", LIGHT_NODES);
        return nullptr;
    }
    return &lights.tail->value;
}

ScenePath* Scene::AddPath(const char* name, int count)
{
    if (count < 0) count = 0;
    if (paths.IsFull()) {
        Log("ERROR Scene: the path list is full (%d), %s is not added\n", PATH_NODES, name ? name : "");
        return nullptr;
    }
    ScenePath path;
    memset(&path, 0, sizeof path);
    CopyText(path.name, sizeof path.name, name ? name : "none");
    path.count = count;
    path.points = count > 0 ? new (std::nothrow) Vec3[count]() : nullptr;
    if (count > 0 && !path.points) return nullptr;
    paths.PushBack(path);
    return &paths.tail->value;
}

bool Scene::AddPendingLink(Agent* agent, int kind, int column, int row)
{
    if (pendingLinkCount >= MAX_PENDING_LINKS) return false;
    pendingLinks[pendingLinkCount++] = PendingLink{kind, column, row, agent};
    return true;
}
