// Drawing what the projectile system holds: projectile meshes, the laser and lightning beams,
// the machine guns' tracers, and the debris field's pieces in flight.
#include "drawing/ProjectileDrawing.h"

#include "platform/MathUtil.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "render/ViewFrustum.h"
#include "world/Agent.h"
#include "world/ProjectileSystem.h"

#include <algorithm>
#include <cmath>

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

void DrawShots(const ProjectileSystem& system)
{
    for (auto* node = system.projectiles.head; node; node = node->next) {
        const Projectile* p = node->value;
        // Drawn as the units are: between its last two ticks, by the share of a tick the frames
        // have gathered since the latest.
        const Vec3 at = p->previousPosition + (p->position - p->previousPosition) * WorldTicks.carry;
        if (!InView(at, 1.0f)) continue;
        IndexedMesh* mesh = system.missileMesh;
        Matrix turn, scaling, place, world;
        MatrixIdentity(&scaling);
        if (p->flags & PROJECTILE_SHELL) {
            if (p->age > 999.0f) continue;  // a burst leaves nothing to draw
            mesh = system.mortarMesh;
            Matrix tilt, tumble;
            MatrixRotationY(&tilt, 45.0f * DEGREES);
            MatrixRotationX(&tumble, fmodf(p->age * 360.0f, 360.0f) * DEGREES);
            turn = tumble * tilt;
        } else if (p->flags & (PROJECTILE_PLASMA | PROJECTILE_PULSE)) {
            const bool plasma = (p->flags & PROJECTILE_PLASMA) != 0;
            mesh = plasma ? system.plasmaMesh : system.pulseMesh;
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

void DrawBeams(const ProjectileSystem& system)
{
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    Matrix identity;
    MatrixIdentity(&identity);
    // Line sprites are built in view space.
    Graphics->SetTransform(TS_WORLD, &identity);
    Graphics->SetTransform(TS_VIEW, &identity);
    for (auto* node = system.beams.head; node; node = node->next) {
        Beam* beam = node->value;
        Entity* shooter = beam->shooter.Get();
        Entity* target = beam->target.Get();
        if (!shooter || !target) continue;
        if (beam->weaponType == WEAPON_BALLISTIC) {
            Vec3 from, to;
            const Vec3 muzzle = ProjectileSystem::MuzzlePoint(beam, shooter);
            if (system.beamSprites[0] && TracerDash(muzzle, target->GetCenter(), beam->DrawnTime(), &from, &to))
                DrawBeamLine(system.beamSprites[0], from, to, TRACER_COLOUR, TRACER_WIDTH);
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
        Sprite* sprite = system.beamSprites[first + frame];
        if (!sprite) continue;
        Vec3 from = ProjectileSystem::MuzzlePoint(beam, shooter), to = target->GetCenter();
        DrawBeamLine(sprite, from, to, colour, width);
        if (beam->weaponType == WEAPON_ELECTRIC)
            for (int i = 0; i < beam->chainCount; ++i)
                if (Entity* link = beam->chain[i].GetLive()) DrawBeamLine(sprite, to, link->GetCenter(), colour, width);
    }
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
}

}  // namespace

void DrawProjectiles(const ProjectileSystem& system)
{
    if (!Graphics || !Graphics->device) return;
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    DrawShots(system);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    DrawBeams(system);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
}

void DrawDebris(const ProjectileSystem& system, int pass)
{
    if (!system.debris) return;
    for (auto* node = system.debris->active.head; node; node = node->next) {
        const DebrisField::Set* set = node->value;
        for (int i = 0; i < set->count; ++i) {
            const DebrisField::Piece& piece = set->pieces[i];
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

