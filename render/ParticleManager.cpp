#include "render/ParticleManager.h"

#include "host/GfxDevice.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/GameSeam.h"
#include "platform/PackageFile.h"
#include "platform/Timer.h"
#include "render/Animation.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cstring>
#include <vector>

const char* const ParticleManager::PACKAGE_PATH = "Data/effects.pkb";
const char* const ParticleManager::LOOSE_FOLDER = "data/effects/particles/";

PackageFile* EffectsPackage = nullptr;

namespace {

constexpr uint32_t PARTICLE_FVF = FVF_XYZ | FVF_DIFFUSE | FVF_TEX1;
constexpr uint32_t VERTICES_PER_SYSTEM = ParticleSystem::MAX_PARTICLES * 4;
constexpr uint32_t INDICES = ParticleSystem::MAX_PARTICLES * 6;

// Flags a system keeps when it takes its template again: how its caller set it to run.
constexpr uint32_t KEPT_ON_REFRESH = PARTICLE_TIMED | PARTICLE_WEATHER_FRONT | PARTICLE_WATER | PARTICLE_GROUND_WEATHER;

}  // namespace

ParticleManager::ParticleManager()
{
    active.Init(SYSTEM_COUNT);
    pool.Init(SYSTEM_COUNT);
    templates.Init(TEMPLATE_COUNT);
    spareTemplates_.Init(TEMPLATE_COUNT);
    records_ = new ParticleSystem[SYSTEM_COUNT];
    templateRecords_ = new ParticleSystem[TEMPLATE_COUNT];
    for (int i = 0; i < SYSTEM_COUNT; ++i) pool.PushBack(&records_[i]);
    for (int i = 0; i < TEMPLATE_COUNT; ++i) spareTemplates_.PushBack(&templateRecords_[i]);
    RestoreBuffers();
    LoadDefinitions(false);
}

ParticleManager::~ParticleManager()
{
    ReleaseBuffers();
    delete EffectsPackage;
    EffectsPackage = nullptr;
    active.Free();
    pool.Free();
    templates.Free();
    spareTemplates_.Free();
    delete[] records_;
    delete[] templateRecords_;
}

bool ParticleManager::CreateBuffers(ParticleSystem* system)
{
    SafeRelease(&system->vertexBuffer);
    if (!Graphics->CreateVertexBuffer(VERTICES_PER_SYSTEM * sizeof(ParticleVertex), USAGE_DYNAMIC | USAGE_WRITEONLY,
                                      PARTICLE_FVF, &system->vertexBuffer)) {
        system->vertexBuffer = nullptr;
        return false;
    }
    void* data = nullptr;
    if (GfxFailed(system->vertexBuffer->Lock(0, 0, &data, 0))) return false;
    ParticleVertex* v = (ParticleVertex*)data;
    static const float corners[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    for (uint32_t i = 0; i < VERTICES_PER_SYSTEM; ++i) v[i] = {0.0f, 0.0f, 0.0f, 0, corners[i % 4][0], corners[i % 4][1]};
    system->vertexBuffer->Unlock();
    return true;
}

void ParticleManager::ReleaseBuffers()
{
    for (int i = 0; i < SYSTEM_COUNT; ++i) SafeRelease(&records_[i].vertexBuffer);
    SafeRelease(&indexBuffer);
}

void ParticleManager::RestoreBuffers()
{
    if (!Graphics || !Graphics->device) return;
    for (int i = 0; i < SYSTEM_COUNT; ++i) CreateBuffers(&records_[i]);
    SafeRelease(&indexBuffer);
    if (!Graphics->CreateIndexBuffer(INDICES * sizeof(uint16_t), USAGE_WRITEONLY, FMT_INDEX16, &indexBuffer)) {
        indexBuffer = nullptr;
        return;
    }
    void* data = nullptr;
    if (GfxFailed(indexBuffer->Lock(0, 0, &data, 0))) return;
    uint16_t* index = (uint16_t*)data;
    for (int k = 0; k < ParticleSystem::MAX_PARTICLES; ++k) {
        uint16_t base = (uint16_t)(4 * k);
        const uint16_t quad[6] = {base, (uint16_t)(base + 1), (uint16_t)(base + 2), (uint16_t)(base + 1),
                                  (uint16_t)(base + 3), (uint16_t)(base + 2)};
        memcpy(index + 6 * k, quad, sizeof quad);
    }
    indexBuffer->Unlock();
}

ParticleSystem* ParticleManager::TakeTemplateRecord()
{
    if (!spareTemplates_.head) return nullptr;
    ParticleSystem* record = spareTemplates_.head->value;
    spareTemplates_.Remove(record);
    record->SetDefaults();
    templates.PushBack(record);
    return record;
}

void ParticleManager::ReleaseTemplates()
{
    for (auto* node = templates.head; node; node = node->next) {
        node->value->SetDefaults();
        spareTemplates_.PushBack(node->value);
    }
    templates.Clear();
}

void ParticleManager::LoadDefinitions(bool looseFiles)
{
    ReleaseTemplates();
    delete EffectsPackage;
    EffectsPackage = nullptr;

    if (looseFiles) {
        DirectoryList files(LOOSE_FOLDER, "*.txt");
        for (const char* path = files.First(); path; path = files.Next()) {
            ParticleSystem* record = TakeTemplateRecord();
            if (!record) break;
            parser.LoadFile(path, record);
        }
        return;
    }

    EffectsPackage = new PackageFile();
    EffectsPackage->Open(PACKAGE_PATH, false);
    std::vector<char> text;
    for (int i = 0; i < EffectsPackage->GetEntryCount(); ++i) {
        const char* entry = EffectsPackage->GetEntryName(i);
        unsigned size = 0;
        const unsigned char* bytes = EffectsPackage->GetData(entry, &size);
        if (!bytes) continue;
        ParticleSystem* record = TakeTemplateRecord();
        if (!record) break;
        text.assign(bytes, bytes + size);
        text.push_back(0);
        parser.ParseDefinition(text.data(), record, entry);
        EffectsPackage->ReleaseData(entry);
    }
}

ParticleSystem* ParticleManager::LoadTemplate(const char* path)
{
    ParticleSystem* record = TakeTemplateRecord();
    if (!record) return nullptr;
    record->texture = Textures ? Textures->FindTexture("particle.dds") : nullptr;
    parser.LoadFile(path, record);
    return record;
}

ParticleSystem* ParticleManager::FindTemplateRecord(const char* name)
{
    if (!name) return nullptr;
    for (auto* node = templates.head; node; node = node->next)
        if (StrICmp(node->value->name, name) == 0) return node->value;
    return nullptr;
}

ParticleSystem* ParticleManager::SpawnSystem(const char* name)
{
    ParticleSystem* from = FindTemplateRecord(name);
    if (!from || !pool.head) return nullptr;
    ParticleSystem* system = pool.head->value;
    pool.Remove(system);
    active.PushBack(system);
    system->CopyTemplate(*from);
    return system;
}

void ParticleManager::RefreshFromTemplates()
{
    for (auto* node = active.head; node; node = node->next) {
        ParticleSystem* system = node->value;
        ParticleSystem* from = FindTemplateRecord(system->name);
        if (!from) continue;
        uint32_t kept = system->flags & KEPT_ON_REFRESH;
        Vec3 offset = system->offset;
        system->CopyTemplate(*from);
        system->flags = (system->flags & ~KEPT_ON_REFRESH) | kept;
        system->offset = offset;
    }
}

void ParticleManager::StopSystemsOf(Entity* entity)
{
    for (auto* node = active.head; node; node = node->next)
        if (node->value->owner == entity) node->value->Stop();
}

void ParticleManager::FindTemplate(const char* name)
{
    for (auto* node = active.head; node; node = node->next)
        if (name && strcmp(node->value->name, name) == 0) node->value->Stop();
}

void ParticleManager::Retire(ParticleSystem* system)
{
    system->SetDefaults();
    active.Remove(system);
    pool.PushBack(system);
}

void ParticleManager::KillAll()
{
    while (active.head) Retire(active.head->value);
    // The pool back in the records' own order: the systems spawned next take the same records
    // whatever was spawned and freed before.
    pool.Clear();
    for (int i = 0; i < SYSTEM_COUNT; ++i) pool.PushBack(&records_[i]);
}

float ParticleManager::FrameStep()
{
    float dt = FrameTimer.delta;
    if (GetGameSeam().IsGamePaused() || dt < 0.0f) dt = 0.0f;
    return dt > 0.1f ? 0.1f : dt;
}

void ParticleManager::Update()
{
    UpdateWith(FrameStep());
}

const std::vector<const Entity*>& ParticleManager::FollowedEntities()
{
    followed_.clear();
    if (!AnimationPlay) return followed_;
    followed_.reserve(SYSTEM_COUNT);  // once: a frame never allocates
    for (auto* node = active.head; node; node = node->next)
        if (node->value->owner) followed_.push_back(node->value->owner);
    std::sort(followed_.begin(), followed_.end());
    followed_.erase(std::unique(followed_.begin(), followed_.end()), followed_.end());
    return followed_;
}

void ParticleManager::UpdateWith(float dt)
{
    // The animation switch (the configuration's, or the developer's command) stops every
    // particle system with the animations.
    if (!AnimationPlay) return;
    for (auto* node = active.head; node;) {
        auto* next = node->next;
        ParticleSystem* system = node->value;
        node = next;
        if (system->flags & PARTICLE_STOP) {
            Retire(system);
            continue;
        }
        bool visible = system->UpdateBox();
        bool timed = (system->flags & PARTICLE_TIMED) != 0;
        if (!timed && !(system->flags & PARTICLE_ALWAYS_UPDATE) && !visible) continue;
        if (timed) {
            if (system->emissionTime <= 0.0f) {
                system->flags |= PARTICLE_EMIT_OFF | PARTICLE_STARTED | PARTICLE_FINISHED;
                system->Step(dt);
            } else {
                system->Step(dt);
                system->emissionTime -= dt;
                system->flags |= PARTICLE_STARTED;
            }
            if ((system->flags & PARTICLE_EMIT_OFF) && system->ParticleCount() == 0) Retire(system);
        } else {
            system->Step(dt);
            if ((system->flags & PARTICLE_FINISHED) && system->ParticleCount() == 0) Retire(system);
        }
    }
}

void ParticleManager::Render()
{
    if (!Graphics || !Graphics->device) return;
    GameSeam& world = GetGameSeam();
    float dt = FrameStep();

    // The quads are written in view space.
    Matrix identity;
    MatrixIdentity(&identity);
    Graphics->SetTransform(TS_VIEW, &identity);
    Graphics->SetTransform(TS_WORLD, &identity);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    SetStageModulate();
    RenderStates.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);

    bool indicesSet = false;
    for (auto* node = active.head; node; node = node->next) {
        ParticleSystem* system = node->value;
        if (system->ParticleCount() == 0 || (system->flags & PARTICLE_STATE_OFF)) continue;
        if (system->owner && !world.IsEntityVisible(system->owner)) continue;
        if (!indicesSet) {
            Graphics->SetIndices(indexBuffer);
            indicesSet = true;
        }
        if (!system->texture || !system->texture->texture) continue;
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, (system->flags & PARTICLE_RENDER_ALPHA) ? 1 : 0);
        RenderStates.SetRenderState(RS_SRCBLEND, system->sourceBlend);
        RenderStates.SetRenderState(RS_DESTBLEND, system->destBlend);
        if (world.IsPlaying() && !system->IsVisible()) continue;
        Graphics->SetTexture(system->texture, 0);
        int quads = system->BuildQuads(dt);
        if (quads == 0 || !indexBuffer) continue;
        Graphics->SetStreamSource(system->vertexBuffer, sizeof(ParticleVertex));
        Graphics->SetFVF(PARTICLE_FVF);
        Graphics->SetProgram(nullptr);
        const bool ground = (system->flags & PARTICLE_GROUND_WEATHER) != 0;
        if (ground) RenderStates.SetRenderState(RS_ZENABLE, ZB_FALSE);
        Graphics->DrawIndexedPrimitive(PT_TRIANGLELIST, (uint32_t)quads * 4, (uint32_t)quads * 2);
        if (ground) RenderStates.SetRenderState(RS_ZENABLE, ZB_TRUE);
    }

    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
}
