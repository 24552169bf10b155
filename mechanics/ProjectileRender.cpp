// Drawing what the projectile system holds (projectile meshes, the laser and lightning beams,
// the machine guns' tracers, debris pieces), and the debris field's pieces in flight.
#include "world/ProjectileSystem.h"

#include "platform/RandomUtil.h"
#include "mechanics/Game.h"
#include "mechanics/Scene.h"
#include "platform/MathUtil.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "render/ViewFrustum.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float DEGREES = 0.0174532925f;
// The beams' pens, laser 3 and lightning 4, in quarters of a unit: a bolt wanders across its
// band, which must be wide enough to show it.
constexpr float LASER_WIDTH = 0.75f;
constexpr float LIGHTNING_WIDTH = 1.0f;
constexpr float BEAM_FRAME_TIME = 0.1f;
// A machine gun's rounds are dashes of light running from the muzzle to the target, one every
// TRACER_TIME: the muzzle's flash and the sparks at the target alone are a few pixels at the
// play camera's distance, and a player could not tell whether a gunner fires at all.
constexpr float TRACER_TIME = 0.1f;
constexpr float TRACER_LENGTH = 3.0f;
constexpr float TRACER_WIDTH = 0.8f;
constexpr uint32_t TRACER_COLOUR = 0xFFFFD890;

// A random number in low..high; the debris is only seen, so from the cosmetic generator.
float RandomIn(float low, float high)
{
    return CosmeticFloat(low, high);
}

void SetWorld(const Matrix& world, const Vec3& at)
{
    WorldMatrix = world;
    MeshRenderPosition = at;
    if (Graphics) Graphics->SetTransform(TS_WORLD, &world);
}

bool InView(const Vec3& point, float half)
{
    if (!Frustum) return true;
    Vec3 extent(half, half, half);
    return Frustum->ClassifyBox(point - extent, point + extent) != ViewFrustum::OUTSIDE;
}

// A textured line from a to b in view space, adding its light to what lies behind.
void DrawBeamLine(Sprite* sprite, const Vec3& a, const Vec3& b, uint32_t colour, float width)
{
    sprite->SetLine(a, b, colour, width);
    if (!sprite->vertexBuffer) return;
    Graphics->SetTexture(sprite->texture, 0);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_ONE);
    SetStageModulate();
    RenderStates.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    Graphics->SetProgram(nullptr);
    Graphics->SetFVF(SPRITE_FVF);
    Graphics->SetStreamSource(sprite->vertexBuffer, sizeof(SpriteVertex));
    Graphics->DrawPrimitive(PT_TRIANGLEFAN, 2);
}

// The part of the way from a to b that the round fired `age` seconds into the burst lights now.
bool TracerDash(const Vec3& a, const Vec3& b, float age, Vec3* from, Vec3* to)
{
    Vec3 way = b - a;
    const float length = Vec3Length(&way);
    if (length < 0.01f) return false;
    const float head = fmodf(age, TRACER_TIME) / TRACER_TIME * (length + TRACER_LENGTH);
    const float front = std::min(head, length), back = std::max(head - TRACER_LENGTH, 0.0f);
    if (front - back < 0.05f) return false;
    *from = a + way * (back / length);
    *to = a + way * (front / length);
    return true;
}

}  // namespace

const char* const ProjectileSystem::BEAM_TEXTURE_PATHS[BEAM_TEXTURES] = {
    "data/textures/effects/laser_grey1.dds",   "data/textures/effects/laser_grey2.dds",
    "data/textures/effects/laser_grey3.dds",   "data/textures/effects/lightning1.dds",
    "data/textures/effects/lightning2.dds",    "data/textures/effects/lightning3.dds",
    "data/textures/effects/lightning_red1.dds", "data/textures/effects/lightning_red2.dds",
    "data/textures/effects/lightning_red3.dds"};

void ProjectileSystem::LoadBeamSprites()
{
    if (!Graphics || !Graphics->device) return;
    for (int i = 0; i < BEAM_TEXTURES; ++i) {
        if (beamSprites[i]) continue;
        beamSprites[i] = CreateBillboardSprite(Vec3(), Vec3(0.0f, 0.0f, 1.0f), BEAM_TEXTURE_PATHS[i], 0xFFFFFFFF, true);
    }
}

void ProjectileSystem::Render()
{
    if (!Graphics || !Graphics->device) return;
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderProjectiles();
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    RenderBeams();
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
}

void ProjectileSystem::RenderProjectiles()
{
    for (auto* node = projectiles.head; node; node = node->next) {
        const Projectile* p = node->value;
        // Drawn as the units are: between its last two ticks, by the share of a tick the frames
        // have gathered since the latest.
        const Vec3 at = p->previousPosition + (p->position - p->previousPosition) * WorldTicks.carry;
        if (!InView(at, 1.0f)) continue;
        IndexedMesh* mesh = missileMesh;
        Matrix turn, scaling, place, world;
        MatrixIdentity(&scaling);
        if (p->flags & PROJECTILE_SHELL) {
            if (p->age > 999.0f) continue;  // a burst leaves nothing to draw
            mesh = mortarMesh;
            Matrix tilt, tumble;
            MatrixRotationY(&tilt, 45.0f * DEGREES);
            MatrixRotationX(&tumble, fmodf(p->age * 360.0f, 360.0f) * DEGREES);
            turn = tumble * tilt;
        } else if (p->flags & (PROJECTILE_PLASMA | PROJECTILE_PULSE)) {
            const bool plasma = (p->flags & PROJECTILE_PLASMA) != 0;
            mesh = plasma ? plasmaMesh : pulseMesh;
            float size = plasma ? 4.0f : 2.0f;
            MatrixScaling(&scaling, size, size, size);
            MatrixIdentity(&turn);
        } else {
            // A missile faces its target, nose down steeply when it drops onto one close by.
            float heading = 0.0f;
            HeadingFromVector(p->direction.x, p->direction.z, &heading);
            Entity* shooter = p->shooter.Get();
            Entity* target = p->target.Get();
            float pitch = 0.0f;
            if (target) {
                Vec3 aim = target->GetCenter() - at;
                HeadingFromVector(aim.x, aim.z, &heading);
                if (shooter) {
                    Vec3 from = shooter->GetCenter(), to = target->GetCenter();
                    if (fabsf(from.y - to.y) > 2.0f) {
                        float apart = sqrtf((to.x - from.x) * (to.x - from.x) + (to.z - from.z) * (to.z - from.z));
                        float t = (apart - 2.0f) / 18.0f;
                        t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
                        pitch = -((1.0f - t) * 80.0f + t * 15.0f);
                    }
                }
            }
            MatrixRotationYawPitchRoll(&turn, heading * DEGREES, pitch * DEGREES, 0.0f);
        }
        if (!mesh) continue;
        MatrixTranslation(&place, at.x, at.y, at.z);
        world = scaling * turn * place;
        SetWorld(world, at);
        mesh->Render(0, false);
    }
}

void ProjectileSystem::RenderBeams()
{
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    Matrix identity;
    MatrixIdentity(&identity);
    // Line sprites are built in view space.
    Graphics->SetTransform(TS_WORLD, &identity);
    Graphics->SetTransform(TS_VIEW, &identity);
    for (auto* node = beams.head; node; node = node->next) {
        Beam* beam = node->value;
        Entity* shooter = beam->shooter.Get();
        Entity* target = beam->target.Get();
        if (!shooter || !target) continue;
        if (beam->weaponType == WEAPON_BALLISTIC) {
            Vec3 from, to;
            const Vec3 muzzle = MuzzlePoint(beam, shooter);
            if (beamSprites[0] && TracerDash(muzzle, target->GetCenter(), beam->DrawnTime(), &from, &to))
                DrawBeamLine(beamSprites[0], from, to, TRACER_COLOUR, TRACER_WIDTH);
            continue;
        }
        if (beam->weaponType != WEAPON_LASER && beam->weaponType != WEAPON_ELECTRIC) continue;
        int frame = (int)(fmodf(beam->DrawnTime(), 3.0f * BEAM_FRAME_TIME) / BEAM_FRAME_TIME);
        if (frame > 2) frame = 2;
        int first = 0;
        float width = LASER_WIDTH;
        uint32_t colour = beam->colour;
        if (beam->weaponType == WEAPON_ELECTRIC) {
            first = beam->alignment == ALIGN_ENEMY ? 6 : 3;
            width = LIGHTNING_WIDTH;
            colour = 0xFFFFFFFF;
        }
        Sprite* sprite = beamSprites[first + frame];
        if (!sprite) continue;
        Vec3 from = MuzzlePoint(beam, shooter), to = target->GetCenter();
        DrawBeamLine(sprite, from, to, colour, width);
        if (beam->weaponType == WEAPON_ELECTRIC)
            for (int i = 0; i < beam->chainCount; ++i)
                if (Entity* link = beam->chain[i].GetLive()) DrawBeamLine(sprite, to, link->GetCenter(), colour, width);
    }
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
}

void ProjectileSystem::BuildMeshTransform(int pass)
{
    if (debris) debris->Render(pass);
}

// ---- Debris

const char* const DebrisField::KIND_NAMES[DEBRIS_KINDS] = {"bio",      "mech", "biomech",    "rock",       "plant",
                                                           "building", "wood", "genericbot", "generichvy", "miner"};

DebrisField::DebrisField() = default;

DebrisField::~DebrisField()
{
    delete[] sets_;
}

void DebrisField::Load()
{
    Entity* fallback = TheScene.FindPrimitive("mortar");
    for (int kind = 0; kind < DEBRIS_KINDS; ++kind) {
        meshCount[kind] = 0;
        for (int n = 0; n < DEBRIS_MESHES; ++n) {
            char name[64];
            snprintf(name, sizeof name, "part_%s_%d", KIND_NAMES[kind], n);
            Entity* part = TheScene.FindPrimitive(name);
            if (!part || !part->mesh) break;
            meshes[kind][meshCount[kind]++] = part->mesh;
        }
        if (meshCount[kind] == 0 && fallback && fallback->mesh) meshes[kind][meshCount[kind]++] = fallback->mesh;
    }
    if (sets_) return;
    sets_ = new Set[DEBRIS_SETS]();
    active.Init(DEBRIS_SETS);
    free.Init(DEBRIS_SETS);
    for (int i = 0; i < DEBRIS_SETS; ++i) free.PushBack(&sets_[i]);
}

void DebrisField::Spawn(int kind, const Vec3& position, float size, bool allPieces)
{
    if (!free.head || kind < 0 || kind >= DEBRIS_KINDS) return;
    Set* set = free.head->value;
    free.Unlink(nullptr, free.head);
    active.PushBack(set);
    *set = Set();
    set->origin = position;
    set->timeLeft = 2.0f;
    set->kind = kind;
    set->scale = size * 2.5f;
    int available = meshCount[kind];
    set->count = allPieces ? available : kind == GENERIC_BOT ? 4 : 8;
    for (int i = 0; i < set->count; ++i) {
        Piece& piece = set->pieces[i];
        int which = allPieces ? i : available > 0 ? CosmeticRandom().Int(0, available - 1) : 0;
        piece.mesh = available > 0 ? meshes[kind][which] : nullptr;
        Vec3 offset(RandomIn(-0.9f, 0.9f), RandomIn(-0.9f, 0.9f), RandomIn(-0.9f, 0.9f));
        piece.position = position + offset;
        piece.spin = Vec3(RandomIn(-5.0f, 5.0f), RandomIn(-5.0f, 5.0f), RandomIn(-5.0f, 5.0f));
        piece.velocity = Vec3(offset.x, offset.y * 10.0f, offset.z);
        piece.active = true;
    }
}

void DebrisField::Update(float dt)
{
    PooledList<Set*>::Node* previous = nullptr;
    for (auto* node = active.head; node;) {
        Set* set = node->value;
        set->timeLeft -= dt;
        if (set->timeLeft <= 0.0f) {
            *set = Set();
            auto* next = node->next;
            active.Unlink(previous, node);
            free.PushBack(set);
            node = next;
            continue;
        }
        for (int i = 0; i < set->count; ++i) {
            Piece& piece = set->pieces[i];
            if (!piece.active) continue;
            piece.velocity.y -= 9.8f * dt;
            piece.position += piece.velocity * dt;
            piece.angles = Vec3(fmodf(piece.angles.x + piece.spin.x * dt, 360.0f),
                                fmodf(piece.angles.y + piece.spin.y * dt, 360.0f),
                                fmodf(piece.angles.z + piece.spin.z * dt, 360.0f));
            float ground = TheTerrain.GetHeight(piece.position);
            if (piece.position.y <= ground) {
                piece.velocity.y = fabsf(piece.velocity.y);
                piece.velocity *= 0.5f;
                piece.position.y = ground + 0.1f;
                if (piece.velocity.y < 0.05f) {
                    piece.active = false;
                    piece.velocity.y = 0.0f;
                    piece.spin = Vec3();
                }
            }
        }
        previous = node;
        node = node->next;
    }
}

void DebrisField::Render(int pass)
{
    for (auto* node = active.head; node; node = node->next) {
        const Set* set = node->value;
        for (int i = 0; i < set->count; ++i) {
            const Piece& piece = set->pieces[i];
            if (!piece.mesh) continue;
            const Vec3& centre = piece.mesh->centre;
            Matrix toCentre, turnX, turnY, turnZ, back, scaling, place;
            MatrixTranslation(&toCentre, -centre.x, -centre.y, -centre.z);
            MatrixRotationX(&turnX, piece.angles.x * DEGREES);
            MatrixRotationY(&turnY, piece.angles.y * DEGREES);
            MatrixRotationZ(&turnZ, piece.angles.z * DEGREES);
            MatrixTranslation(&back, centre.x, centre.y, centre.z);
            MatrixScaling(&scaling, set->scale, set->scale, set->scale);
            MatrixTranslation(&place, piece.position.x, piece.position.y, piece.position.z);
            SetWorld(toCentre * turnX * turnY * turnZ * back * scaling * place, piece.position);
            piece.mesh->Render(pass, false);
        }
    }
}

void DebrisField::Clear()
{
    while (active.head) {
        *active.head->value = Set();
        free.PushBack(active.head->value);
        active.Unlink(nullptr, active.head);
    }
}
