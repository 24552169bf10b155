#include "terrain/ScanPulses.h"

#include "host/SteadyMath.h"
#include "mechanics/Game.h"
#include "platform/GameSeam.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const SCAN_EFFECT = "Data/shaders/scanglow.fx";
const char* const SCAN_TEXTURE = "Data/textures/green_alpha.dds";
constexpr uint32_t INNER_COLOUR = 0x80FFFFFF;
constexpr uint32_t OUTER_COLOUR = 0x20FFFFFF;
// The ring stands this far above the ground it follows.
constexpr float RING_LIFT = 1.0f;
constexpr float DEGREES = 3.14159265f / 180.0f;

void Grow(Vec3* low, Vec3* high, const Vec3& p)
{
    low->x = std::min(low->x, p.x), low->y = std::min(low->y, p.y), low->z = std::min(low->z, p.z);
    high->x = std::max(high->x, p.x), high->y = std::max(high->y, p.y), high->z = std::max(high->z, p.z);
}

bool CanScan(Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT) && (static_cast<Agent*>(entity)->commandWord & COMMAND_SCAN);
}

void ShowWait(float wait)
{
    if (TheScanHooks) TheScanHooks->ShowScanWait(wait);
}

}  // namespace

ScanEffects TheScanEffects;

ScanEffects::ScanEffects()
{
    list.Init(CAPACITY);
}

ScanEffects::~ScanEffects()
{
    delete ringMesh;
}

void ScanEffects::Clear()
{
    list.Clear();
    ShowWait(0.0f);
}

float ScanEffects::GetCooldown(const Entity* entity) const
{
    for (const PooledList<ScanRecord>::Node* node = list.head; node; node = node->next)
        if (node->value.entity.entity == entity && node->value.entity.Get() == entity) return node->value.wait;
    return 0.0f;
}

bool ScanEffects::BeginScan(Entity* entity)
{
    if (!CanScan(entity) || GetCooldown(entity) > 0.0f) return false;
    // Sixteen pulses at once is all there is room for: one more waits for a free place.
    if (list.IsFull()) return false;
    ScanRecord record;
    record.entity.Set(entity);
    record.active = true;
    record.ready = false;
    record.wait = record.cooldown;
    if (!list.PushBack(record)) return false;
    if (TheScanHooks) TheScanHooks->ScanStarted();
    return true;
}

void ScanEffects::RingPositions(const ScanRecord& record, Vec3* out)
{
    const int n = record.segments;
    const Vec3& p = record.position;
    for (int circle = 0; circle < 2; ++circle) {
        float r = (circle == 0 ? record.innerRadius : record.outerRadius) + record.phase;
        for (int i = 0; i < n; ++i) {
            float a = (360.0f / (float)n) * (float)i * DEGREES;
            float s, c;
            SinCos(a, &s, &c);
            float x = p.x + r * s, z = p.z + r * c;
            float ground = TheTerrain.created ? TheTerrain.GetHeight(Vec3(x, p.y + 6.0f, z)) : 0.0f;
            out[circle * n + i] = Vec3(x, ground + RING_LIFT, z);
        }
    }
}

bool ScanEffects::BuildRingMesh()
{
    if (ringMesh) return true;
    ScanRecord defaults;
    const int n = defaults.segments;
    IndexedMesh* mesh = new IndexedMesh();
    std::snprintf(mesh->name, sizeof mesh->name, "%s", "scan_ring");
    mesh->materials.emplace_back();
    MeshMaterial& material = mesh->materials.back();
    std::snprintf(material.effectName, sizeof material.effectName, "%s", SCAN_EFFECT);
    std::snprintf(material.textureName, sizeof material.textureName, "%s", SCAN_TEXTURE);
    std::snprintf(material.techniqueName, sizeof material.techniqueName, "%s", "main");
    material.repeatU = material.repeatV = 1.0f;
    MeshGeometry& geometry = material.EditGeometry();
    geometry.vertices.resize((size_t)2 * n);
    for (int i = 0; i < 2 * n; ++i) {
        MeshVertex& v = geometry.vertices[(size_t)i];
        float r = i < n ? defaults.innerRadius : defaults.outerRadius;
        float a = (360.0f / (float)n) * (float)(i % n) * DEGREES;
        float s, c;
        SinCos(a, &s, &c);
        v.position = Vec3(r * s, 6.0f, r * c);
        v.normal = Vec3(0.0f, 1.0f, 0.0f);
        v.colour = i < n ? INNER_COLOUR : OUTER_COLOUR;
    }
    for (int i = 0; i < n; ++i) {
        int next = (i + 1) % n;
        MeshTriangle a, b;
        // Wound for the world positions the pulses write (see RewriteRing).
        a.index[0] = i, a.index[1] = n + next, a.index[2] = n + i;
        b.index[0] = i, b.index[1] = next, b.index[2] = n + next;
        geometry.triangles.push_back(a);
        geometry.triangles.push_back(b);
    }
    // Every pulse rewrites the ring before it is drawn.
    if (!mesh->BuildBuffers(nullptr, true)) {
        delete mesh;
        return false;
    }
    ringMesh = mesh;
    return true;
}

void ScanEffects::RewriteRing(const ScanRecord& record)
{
    if (!ringMesh && !BuildRingMesh()) return;
    if (ringMesh->subMeshes.empty()) return;
    SubMesh& sub = ringMesh->subMeshes[0];
    const int count = 2 * record.segments;
    if ((int)sub.vertices.size() < count) return;
    std::vector<Vec3> positions((size_t)count);
    RingPositions(record, positions.data());
    const Vec3 up(0.0f, 1.0f, 0.0f);
    // Mesh vertices keep x mirrored and the ring is drawn without a world transform: its
    // world x goes in mirrored once more, or the ring lies on the far side of x = 0.
    for (int k = 0; k < count; ++k) {
        const Vec3& at = positions[(size_t)k];
        WriteMirrored(Vec3(-at.x, at.y, at.z), up, &sub.vertices[(size_t)k]);
        const float* p = sub.vertices[(size_t)k].position;
        const Vec3 mirrored(p[0], p[1], p[2]);
        Grow(&sub.boundsMin, &sub.boundsMax, mirrored);
        Grow(&ringMesh->boundsMin, &ringMesh->boundsMax, mirrored);
    }
    sub.verticesChanged = true;
}

void ScanEffects::DrawRing(int pass)
{
    if (!ringMesh || !Graphics || !Graphics->device) return;
    Matrix identity;
    MatrixIdentity(&identity);
    WorldMatrix = identity;
    Graphics->SetTransform(TS_WORLD, &identity);
    if (pass != MESH_PASS_GLOW) {
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
        RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        RenderStates.SetRenderState(RS_DESTBLEND, BLEND_ONE);
    }
    ringMesh->Render(pass, false);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
}

void ScanEffects::Update()
{
    const float dt = GamePaused ? 0.0f : WorldStep();
    Entity* selected = GetGameSeam().GetFirstSelected();
    PooledList<ScanRecord>::Node* previous = nullptr;
    PooledList<ScanRecord>::Node* node = list.head;
    while (node) {
        PooledList<ScanRecord>::Node* next = node->next;
        ScanRecord& record = node->value;
        Entity* agent = record.entity.Get();
        record.wait -= dt;
        if (record.wait <= 0.0f) {
            record.wait = 0.0f;
            record.ready = true;
        }
        if (agent && agent == selected && CanScan(agent)) ShowWait(record.wait);
        // A unit gone from the level needs no pulse; one that has waited enough neither.
        if (record.wait <= 0.0f || !agent) {
            list.Unlink(previous, node);
            node = next;
            continue;
        }
        if (record.active) {
            record.position = agent->GetPosition();
            record.phase += record.speed * dt;
            if (record.phase > record.maxPhase) {
                record.phase = 0.0f;
                record.active = false;
            } else {
                record.currentOuter = record.outerRadius + record.phase;
                ScanPulse(record.position, record.currentOuter);
            }
        }
        previous = node;
        node = next;
    }
}

void ScanEffects::Draw(int pass)
{
    for (PooledList<ScanRecord>::Node* node = list.head; node; node = node->next) {
        const ScanRecord& record = node->value;
        if (!record.active || !record.entity.Get()) continue;
        // The pulses share one ring: each writes its own into it before it is drawn.
        if (pass == 0) RewriteRing(record);
        if (pass != 1 && pass != 2) DrawRing(pass);
    }
}

void ScanEffects::ReleaseBuffers()
{
    if (ringMesh) ringMesh->ReleaseBuffers();
}

void ScanEffects::RestoreBuffers()
{
    if (ringMesh) ringMesh->RestoreBuffers();
}

void ScanEffects::Release()
{
    delete ringMesh;
    ringMesh = nullptr;
    list.Clear();
}

void UpdateScanButton()
{
    Entity* selected = GetGameSeam().GetFirstSelected();
    if (!CanScan(selected)) return;
    ShowWait(TheScanEffects.GetCooldown(selected));
}

// Without a HUD there is no Scan button to show anything on.
namespace {
ScanHooks TerrainScanAnswers;
}  // namespace

ScanHooks* TheScanHooks = &TerrainScanAnswers;

void ScanHooks::ScanStarted() {}

void ScanHooks::ShowScanWait(float) {}
