#include "terrain/SplatPool.h"

#include "host/System.h"
#include "mechanics/Scene.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "world/Entity.h"
#include "world/Grid.h"

#include <cmath>
#include <cstdio>
#include <new>

SplatPool* TheSplats = nullptr;

namespace {

const char* const RED_STAGES[SplatPool::STAGES] = {
    "data/textures/Splats/blood_0.dds", "data/textures/Splats/blood_1.dds", "data/textures/Splats/blood_2.dds",
    "data/textures/Splats/blood_3.dds", "data/textures/Splats/blood_4.dds"};
const char* const GREEN_STAGES[SplatPool::STAGES] = {
    "data/textures/Splats/blood_green_0.dds", "data/textures/Splats/blood_green_1.dds",
    "data/textures/Splats/blood_green_2.dds", "data/textures/Splats/blood_green_3.dds",
    "data/textures/Splats/blood_green_4.dds"};
const char* const CRACKED_GROUND = "data/textures/Splats/crackedGround.dds";
const char* const CRACKED_GROUND_NORMALS = "data/textures/Splats/crackedGround_sn.dds";
const char* const NO_NORMALS = "data/textures/normalMapNone.dds";

void SetMaterialTextures(IndexedMesh* mesh, const char* diffuse, const char* normal)
{
    if (!mesh) return;
    for (MeshMaterial& material : mesh->materials) {
        snprintf(material.textureName, sizeof material.textureName, "%s", diffuse);
        snprintf(material.normalMapName, sizeof material.normalMapName, "%s", normal);
    }
    if (!Textures) return;
    TextureRecord* diffuseTexture = Textures->GetTexture(diffuse);
    TextureRecord* normalTexture = Textures->GetTexture(normal);
    for (SubMesh& sub : mesh->subMeshes) {
        sub.diffuseTexture = diffuseTexture;
        sub.normalMap = normalTexture;
    }
}

}  // namespace

Vec3 SnapToCellCentre(const Vec3& position)
{
    Grid* grid = CurrentGrid();
    int column = 0, row = 0;
    if (!grid || !grid->WorldToCell(position, &column, &row)) return position;
    Vec3 corner = grid->CellToWorld(column, row);
    return Vec3(corner.x + grid->cellSize * 0.5f, position.y, corner.z + grid->cellSize * 0.5f);
}

const char* SplatPool::StageTexture(int kind, int stage)
{
    if (stage < 0) stage = 0;
    if (stage >= STAGES) stage = STAGES - 1;
    if (kind == SPLAT_GREEN_BLOOD) return GREEN_STAGES[stage];
    if (kind == SPLAT_CRACKED_GROUND) return CRACKED_GROUND;
    return RED_STAGES[stage];
}

const char* SplatPool::NormalTexture(int kind)
{
    return kind == SPLAT_CRACKED_GROUND ? CRACKED_GROUND_NORMALS : NO_NORMALS;
}

SplatPool::~SplatPool()
{
    if (entries_)
        for (int i = 0; i < CAPACITY; ++i) delete entries_[i].entity;
    delete[] entries_;
}

void SplatPool::Init()
{
    if (initialised) return;
    Entity* primitive = TheScene.FindPrimitive("splat");
    if (!primitive || !primitive->mesh) return;
    lifetime = LIFETIME;
    active.Init(CAPACITY);
    free.Init(CAPACITY);
    entries_ = new Entry[CAPACITY]();
    for (int i = 0; i < CAPACITY; ++i) {
        Entry& entry = entries_[i];
        entry.entity = new Entity();
        IndexedMesh* mesh = new IndexedMesh();
        mesh->Clone(*primitive->mesh);
        entry.entity->AdoptMesh(mesh);
        snprintf(entry.entity->name, sizeof entry.entity->name, "blood");
        entry.entity->scale = primitive->scale;
        entry.entity->world = primitive->world;
        entry.entity->flags |= ENTITY_SPLAT;
        SetMaterialTextures(mesh, RED_STAGES[0], NO_NORMALS);
        entry.fadeStep = -1;
        free.PushBack(&entry);
    }
    initialised = true;
}

void SplatPool::SetTextures(Entry* entry, int stage)
{
    SetMaterialTextures(entry->entity->mesh, StageTexture(entry->kind, stage), NormalTexture(entry->kind));
}

void SplatPool::Add(const Vec3& position, int kind)
{
    if (!initialised) return;
    if (kind < 0 || kind >= SPLAT_KIND_COUNT) kind = SPLAT_RED_BLOOD;
    Vec3 at = SnapToCellCentre(position);
    Entry* entry = nullptr;
    if (free.head) {
        entry = free.head->value;
        free.Unlink(nullptr, free.head);
        active.PushBack(entry);
    } else {
        // All in use: the one nearest its end is laid again, keeping its place in the list.
        for (auto* node = active.head; node; node = node->next)
            if (!entry || node->value->timeLeft < entry->timeLeft) entry = node->value;
    }
    if (!entry) return;
    entry->timeLeft = lifetime;
    entry->fadeStep = -1;
    entry->textureStep = 0;
    entry->kind = kind;
    IndexedMesh* mesh = entry->entity->mesh;
    for (int i = 0; mesh && i < mesh->SubMeshCount(); ++i) mesh->ConformToTerrain(i, at, false, 0);
    SetTextures(entry, 0);
    entry->entity->SetPosition(Vec3(at.x, 0.04f, at.z));
    entry->entity->flags |= ENTITY_SPLAT;
}

void SplatPool::Update(float dt)
{
    auto* previous = static_cast<PooledList<Entry*>::Node*>(nullptr);
    for (auto* node = active.head; node;) {
        Entry* entry = node->value;
        entry->timeLeft -= dt;
        if (entry->timeLeft <= 0.0f) {
            auto* next = node->next;
            active.Unlink(previous, node);
            free.PushBack(entry);
            node = next;
            continue;
        }
        float f = entry->timeLeft / lifetime;
        int step = (int)(32.0f * f);
        if (step != entry->fadeStep) {
            uint32_t alpha = f >= 1.0f ? 255u : f <= 0.0f ? 0u : (uint32_t)(f * 255.0f + 0.5f);
            IndexedMesh* mesh = entry->entity->mesh;
            for (int i = 0; mesh && i < mesh->SubMeshCount(); ++i) mesh->SetVertexColours(i, alpha << 24 | 0xffffff);
            entry->fadeStep = step;
        }
        if (entry->kind != SPLAT_CRACKED_GROUND) {
            // The stain spreads through its stages in the first moments of its life.
            float used = 1.0f - f;
            int stage = used > 0.04f ? 4 : used > 0.03f ? 3 : used > 0.02f ? 2 : used > 0.01f ? 1 : entry->textureStep;
            if (stage != entry->textureStep) {
                entry->textureStep = stage;
                SetTextures(entry, stage);
            }
        }
        previous = node;
        node = node->next;
    }
}

void SplatPool::ClearActive()
{
    while (active.head) {
        free.PushBack(active.head->value);
        active.Unlink(nullptr, active.head);
    }
}
