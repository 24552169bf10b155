// One pass of everything drawn of the world that is not terrain, sky or GUI: the Scene's
// entities with what they carry, terrain and translucent objects, the ground and its scan glow,
// ground splats, water, cloaked agents, buildings going up, projectiles and particles. What a pass
// leaves out: the shadow pass draws no markers, splats, water, cloaks or particles; the
// reflection and glow passes no cloaks, water or buildings going up.
#include "drawing/WorldFrame.h"

#include "drawing/ProjectileDrawing.h"
#include "drawing/TerrainDrawing.h"
#include "host/SteadyMath.h"

#include "host/EffectObject.h"
#include "host/System.h"
#include "levelgen/Growth.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/ParticleManager.h"
#include "render/RenderStateCache.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/SplatPool.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Entity.h"
#include "world/ProjectileSystem.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr const char* CONSTRUCTING_EFFECT = "Data/shaders/constructing.fx";
constexpr uint32_t ENTITY_ALPHA_TESTED = 0x1000000;
constexpr float CLOAK_STEADY_SECONDS = 5.0f;
constexpr float SPLAT_LIFT_THRESHOLD = 50.0f;
constexpr float MARKER_SPIN_DEGREES = 200.0f;
constexpr int BUILD_STATE_CONSTRUCTING = 1;

// The selection tint's flat red light, and the plain ambient light the other draws go back to.
constexpr uint32_t SELECTION_AMBIENT = 0xFF800000;
constexpr uint32_t PLAIN_AMBIENT = 0xFF000000;
constexpr float DEGREES_PER_RADIAN = 57.2957763671875f;

void DrawPlainEntity(Entity* e, int pass)
{
    if (!e->mesh) return;
    if (Graphics) Graphics->LightEnable(0, e->lit != 0);
    if (e->flags & ENTITY_SELECTION) {
        // The selection tint is flat red light: the sun would wash it out.
        if (Graphics) Graphics->LightEnable(0, false);
        RenderStates.SetRenderState(RS_AMBIENT, SELECTION_AMBIENT);
        e->mesh->Render(pass, false);
        RenderStates.SetRenderState(RS_AMBIENT, PLAIN_AMBIENT);
    } else if (e->ambientOverride) {
        // A hit flash: the whole mesh lit in the flash colour.
        RenderStates.SetRenderState(RS_AMBIENT, e->ambientOverride);
        e->mesh->Render(pass, true);
        RenderStates.SetRenderState(RS_AMBIENT, PLAIN_AMBIENT);
    } else {
        e->mesh->scale = e->scale;
        e->mesh->Render(pass, false);
    }
    if (Graphics) Graphics->LightEnable(0, true);
}

void DrawHeldUnit(Building* b, int pass)
{
    uint32_t kind = b->definition->flags;
    Entity* unit = (kind & (BUILD_UNIT_UPGRADER | BUILD_UNIT_RECYCLER)) ? b->HeldUnit() : nullptr;
    if (!unit && (kind & BUILD_WARP_PLATFORM)) unit = b->linkedEntity.GetLive();
    if (!unit || !unit->mesh) return;
    Matrix scaling, place, turn, transform;
    MatrixScaling(&scaling, unit->scale, unit->scale, unit->scale);
    if (kind & BUILD_UNIT_RECYCLER) {
        // The unit sinks into the recycler as it is taken apart.
        Vec3 centre = b->GetCenter();
        float height = centre.y + 1.0f;
        if (b->recycleTimer > 0.0f) height = centre.y + 1.0f - 2.0f * (1.0f - b->recycleTimer / 5.0f);
        MatrixTranslation(&place, centre.x, height, centre.z);
        transform = scaling * unit->rotation * place;
    } else {
        MatrixTranslation(&place, 0.0f, 0.5f, 0.0f);
        MatrixRotationY(&turn, (kind & BUILD_UNIT_UPGRADER) ? b->headAngle / DEGREES_PER_RADIAN : 0.0f);
        transform = scaling * turn * place * b->world;
    }
    Graphics->SetTransform(TS_WORLD, &transform);
    unit->mesh->scale = unit->scale;
    unit->mesh->Render(pass, false);
}

void DrawBuilding(Building* b, int pass)
{
    if (Graphics) Graphics->SetTransform(TS_WORLD, &b->world);
    // The developer's view of what the building collides with.
    if (ShowCollisionVolumes && b->collisionMesh) {
        b->collisionMesh->scale = b->scale;
        b->collisionMesh->Render(pass, false);
    } else {
        DrawPlainEntity(b, pass);
    }
    if (!b->definition || !Graphics) return;
    Vec3 position = b->GetPosition();
    Vec3 centre = b->GetCenter();
    float full = b->GetMaxHealth() > 0.0f ? b->health / b->GetMaxHealth() : 1.0f;
    for (int i = 0; i < b->definition->addedMeshCount && i < BUILD_ITEM_MESHES; ++i) {
        IndexedMesh* part = b->definition->addedMeshes[i];
        if (!part) continue;
        uint32_t partFlags = b->definition->addedMeshFlags[i];
        float partScale = b->scale;
        if (partFlags & BUILD_SCALE_WITH_HEALTH) partScale *= 0.384f + 0.616f * full;
        Matrix scaling, turn, place, local;
        MatrixScaling(&scaling, partScale, partScale, partScale);
        float radians = b->headAngle / DEGREES_PER_RADIAN;
        Vec3 offset = b->definition->addedMeshOffsets[i];
        if (partFlags & BUILD_UPDOWN) offset.y += b->bobOffset;
        if (partFlags & BUILD_ROTATE_X) {
            MatrixRotationX(&turn, radians);
        } else if (partFlags & BUILD_ROTATE_MINUS_X) {
            MatrixRotationX(&turn, -radians);
        } else if (partFlags & (BUILD_ROTATE | BUILD_OSC_Y)) {
            // A mission object shows its turning parts still until it is whole again.
            bool still = b->alignment != ALIGN_ENEMY && (b->flags & ENTITY_OBJECT_OF_INTEREST) && full < 1.0f;
            MatrixRotationY(&turn, still ? 0.0f : radians);
            offset = offset + (position - centre);
        } else {
            MatrixRotationY(&turn, radians);
        }
        MatrixTranslation(&place, offset.x, offset.y, offset.z);
        local = scaling * turn * place * b->rotation;
        local._41 += position.x;
        local._42 += position.y;
        local._43 += position.z;
        Graphics->SetTransform(TS_WORLD, &local);
        part->scale = partScale;
        part->Render(pass, false);
    }
    if (b->buildState == BUILD_STATE_READY) DrawHeldUnit(b, pass);
    Graphics->SetTransform(TS_WORLD, &b->world);
}

bool InView(Entity* entity)
{
    Vec3 min, max;
    if (!Frustum || !entity->GetTurnedWorldBounds(&min, &max)) return true;
    return Frustum->ClassifyBox(min, max) != ViewFrustum::OUTSIDE;
}

// Entities drawn after the walk of the master list, in a fixed room per pass. What does not fit
// is drawn at once the plain way (a building going up, an object meant to be drawn last) or not
// at all (a cloaked agent: unseen is what a cloak is for).
template <int N>
struct DeferredList {
    Entity* items[N];
    int count = 0;
    bool Add(Entity* e)
    {
        if (count >= N) return false;
        items[count++] = e;
        return true;
    }
};

void SetWorld(const Matrix& world)
{
    WorldMatrix = world;
    MeshRenderPosition = Vec3(world._41, world._42, world._43);
    if (Graphics) Graphics->SetTransform(TS_WORLD, &world);
}

void SetCull(uint32_t mode)
{
    RenderStates.SetRenderState(RS_CULLMODE, mode);
}

void SetBlend(bool on)
{
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, on ? 1 : 0);
    if (on) {
        RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    }
}

Matrix RotationAndScale(const Entity* e)
{
    Matrix scaling;
    MatrixScaling(&scaling, e->scale, e->scale, e->scale);
    return scaling * e->rotation;
}

bool IsCloaked(const Entity* e)
{
    return (e->flags & ENTITY_AGENT) && (static_cast<const Agent*>(e)->classWord & AGENT_CLOAKED);
}

bool IsFrozen(const Entity* e)
{
    return (e->flags & ENTITY_AGENT) && static_cast<const Agent*>(e)->freezeTime > 0.0f;
}

bool IsUnderConstruction(const Entity* e)
{
    return (e->flags & ENTITY_BUILDING) && static_cast<const Building*>(e)->buildState == BUILD_STATE_CONSTRUCTING;
}

void DrawAttachments(Entity* e, int pass)
{
    if (!(e->flags & ENTITY_AGENT)) return;
    Agent* agent = static_cast<Agent*>(e);
    for (int i = 0; i < agent->AttachmentCount(); ++i) {
        const AgentAttachment& a = agent->Attachment(i);
        if (!a.entity || a.boneIndex < 0) continue;
        float roll = NamesEqualNoCase(a.name, "leftweapon") ? 90.0f : NamesEqualNoCase(a.name, "rightweapon") ? -90.0f : 0.0f;
        ComputeWeaponMountMatrix(agent, a.entity, nullptr, a.boneIndex, pass, true, roll);
    }
}

// An entity of the master list with what it carries; a frozen agent and its weapons are blue.
void DrawEntity(Entity* e, int pass)
{
    bool frozen = pass != PASS_SHADOW && IsFrozen(e);
    float keptBlue = EffectValues.ambient.z;
    if (frozen) EffectValues.ambient.z = 2.0f;
    EffectValues.objectId = 0.0f;
    SetWorld(EntityWorldMatrix(e, false));
    // A unit far off is posed less often (its distance is the frame's, from the visibility test).
    if ((e->flags & ENTITY_AGENT) && e->mesh) e->mesh->drawDetail = PoseDetailForDistance(e->cameraDistance);
    // Markers (flags, signs) cast no shadow.
    if (pass != PASS_SHADOW || !(e->flags & ENTITY_MARKER)) DrawEntityMesh(e, pass);
    DrawAttachments(e, pass);
    if (frozen) EffectValues.ambient.z = keptBlue;
}

void DrawSceneObject(Entity* e, int pass)
{
    EffectValues.objectId = 0.0f;
    SetWorld(EntityWorldMatrix(e, true));
    DrawEntityMesh(e, pass);
}

// The building rises out of the ground: the effect cuts it at its progress between its
// bottom and its top.
void DrawUnderConstruction(Building* b)
{
    IndexedMesh* mesh = b->mesh;
    if (!mesh) return;
    float time = b->definition && b->definition->buildTime > 0.0f ? b->definition->buildTime : 1.0f;
    float y = b->GetPosition().y;
    EffectValues.genericFloat4.x = b->buildProgress / time;
    EffectValues.genericFloat4.y = y + mesh->boundsMin.y * b->scale;
    EffectValues.genericFloat4.z = y + mesh->boundsMax.y * b->scale;
    Matrix world = RotationAndScale(b);
    Vec3 position = b->GetPosition();
    world._41 = position.x, world._42 = position.y, world._43 = position.z;
    SetWorld(world);
    Effect* constructing = nullptr;
    if (TheEffectManager) {
        constructing = TheEffectManager->GetEffect(CONSTRUCTING_EFFECT);
        if (constructing && !TheEffectManager->LoadEffect(constructing, "main")) constructing = nullptr;
    }
    if (!constructing) {
        DrawEntityMesh(b, PASS_COLOUR);
        return;
    }
    struct Kept {
        char name[256];
        Effect* effect;
    };
    std::vector<Kept> kept(mesh->subMeshes.size());
    for (size_t i = 0; i < mesh->subMeshes.size(); ++i) {
        kept[i].effect = mesh->subMeshes[i].effect;
        kept[i].name[0] = 0;
        if (i < mesh->materials.size()) {
            CopyText(kept[i].name, sizeof kept[i].name, mesh->materials[i].effectName);
            CopyText(mesh->materials[i].effectName, sizeof mesh->materials[i].effectName, CONSTRUCTING_EFFECT);
        }
        mesh->subMeshes[i].effect = constructing;
    }
    DrawEntityMesh(b, PASS_COLOUR);
    for (size_t i = 0; i < mesh->subMeshes.size(); ++i) {
        mesh->subMeshes[i].effect = kept[i].effect;
        if (i < mesh->materials.size())
            CopyText(mesh->materials[i].effectName, sizeof mesh->materials[i].effectName, kept[i].name);
    }
}

bool HasGlowTechnique(const Entity* e)
{
    if (!e->mesh) return false;
    for (const auto& sub : e->mesh->subMeshes)
        if (sub.effect && sub.effect->effect && sub.effect->effect->GetTechniqueByName("glow")) return true;
    return false;
}

bool IsPlayerBuildingSplat(const Entity* splat)
{
    const Entity* parent = splat->attachParent;
    return parent && (parent->flags & ENTITY_BUILDING) && parent->alignment == ALIGN_PLAYER;
}

}  // namespace

Matrix ComputeTerrainTilt(Entity* entity)
{
    Matrix tilt;
    MatrixIdentity(&tilt);
    if (!entity || !TheTerrain.created) return tilt;
    Vec3 n = TheTerrain.GetInterpolatedNormal(entity->GetPosition());
    float angle = Acos(n.y < -1.0f ? -1.0f : n.y > 1.0f ? 1.0f : n.y);
    if (angle == 0.0f) return tilt;
    Vec3 up(0.0f, 1.0f, 0.0f), axis;
    Vec3Cross(&axis, &up, &n);
    if (Vec3Length(&axis) <= 0.0f) return tilt;
    Vec3Normalize(&axis, &axis);
    MatrixRotationAxis(&tilt, &axis, angle);
    return tilt;
}

Matrix EntityWorldMatrix(Entity* e, bool withOffset)
{
    Matrix world;
    if (e->IsAttached()) {
        Matrix bone = e->attachBone->worldMatrix;
        bone._41 = -bone._41;
        world = bone * RotationAndScale(e->attachParent);
        Vec3 parent = e->attachParent->GetPosition();
        world._41 += parent.x, world._42 += parent.y, world._43 += parent.z;
        return world;
    }
    world = RotationAndScale(e);
    if (e->flags & ENTITY_ALIGN_TO_TERRAIN) world = world * ComputeTerrainTilt(e);
    Vec3 position = e->GetPosition();
    if (withOffset) position += e->attachOffset;
    world._41 = position.x, world._42 = position.y, world._43 = position.z;
    return world;
}

bool IsEntityVisible(Entity* e, int pass)
{
    if (!e || !e->mesh) return false;
    // The colour and glow passes look through the camera and share the entity's answer of
    // the frame; the shadow and reflection passes look through volumes of their own (the
    // light's, the mirrored view) and neither read nor keep it, so that a unit the mirror
    // misses is still drawn.
    if (pass == PASS_COLOUR || pass == PASS_GLOW) return IsInPicture(e, 0);
    Vec3 min, max;
    if (Frustum && e->GetWorldBounds(&min, &max) && Frustum->ClassifyBox(min, max) == ViewFrustum::OUTSIDE)
        return false;
    return e->FogLetsSee();
}

bool CloakShowsPlainly(float t)
{
    if (t >= CLOAK_STEADY_SECONDS) return false;
    return (int)(t * 10.0f) % 10 > 5;
}

float SplatLift(float liftValue)
{
    return liftValue > SPLAT_LIFT_THRESHOLD ? liftValue * 0.001f : 0.0f;
}

void DrawnGame::RenderEntities(int pass)
{
    const Vec4 keptAmbient = EffectValues.ambient;
    CurrentRenderPass = pass;
    SetCull(pass == PASS_REFLECTION ? CULL_CW : CULL_CCW);
    // A pass ends with blending on and depth writes off: the solid things of the next one
    // must write their depth, or the ground drawn after them covers them.
    SetBlend(false);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);

    DeferredList<100> constructing;
    DeferredList<32> drawnLast;
    DeferredList<100> cloaked;

    for (auto* node = TheScene.master.head; node; node = node->next) {
        Entity* e = node->value;
        if (!e || (e->flags & (ENTITY_LIST_MARKER | ENTITY_NODRAW))) continue;
        if (!IsEntityVisible(e, pass)) continue;
        if (IsUnderConstruction(e)) {
            if (pass == PASS_COLOUR && !constructing.Add(e)) DrawEntity(e, pass);
            continue;
        }
        if (IsCloaked(e) && !CloakShowsPlainly(static_cast<Agent*>(e)->cloakTime)) {
            if (pass == PASS_COLOUR) cloaked.Add(e);
            continue;
        }
        DrawEntity(e, pass);
    }
    // The building the player's hand holds on the build button, where the cursor puts it: the
    // view's picture of it, never an entity of the level.
    const BuildItemList* catalogue = TheGame ? TheGame->buildItems : nullptr;
    Entity* held = catalogue && catalogue->current ? catalogue->current->prototype : nullptr;
    if (held && !(held->flags & ENTITY_NODRAW) && IsEntityVisible(held, pass)) DrawEntity(held, pass);

    for (auto* node = TheScene.terrainObjects.head; node; node = node->next) {
        Entity* e = node->value;
        if (!e || (e->flags & ENTITY_NODRAW) || !IsEntityVisible(e, pass)) continue;
        if (e->flags & ENTITY_DRAWN_LAST) {
            if (pass == PASS_COLOUR && drawnLast.Add(e)) continue;
            if (pass != PASS_COLOUR) continue;
        }
        bool alphaTested = (e->flags & ENTITY_ALPHA_TESTED) != 0;
        if (alphaTested) {
            RenderStates.ResetRenderStates();
            RenderStates.SetRenderState(RS_ALPHATESTENABLE, 1);
            RenderStates.SetRenderState(RS_ALPHAREF, 0xF0);
            RenderStates.SetRenderState(RS_ALPHAFUNC, CMP_GREATEREQUAL);
        }
        DrawSceneObject(e, pass);
        if (alphaTested) RenderStates.SetRenderState(RS_ALPHATESTENABLE, 0);
    }

    // What the shells and explosions threw, in the world and in its shadow.
    if ((pass == PASS_COLOUR || pass == PASS_SHADOW) && TheProjectiles) DrawDebris(*TheProjectiles, pass);
    Growth::DrawAll(pass, true);

    SetBlend(true);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    SetCull(CULL_CCW);
    if (pass == PASS_COLOUR) {
        for (int i = 0; i < drawnLast.count; ++i) {
            EffectValues.objectId = 0.0f;
            SetWorld(EntityWorldMatrix(drawnLast.items[i], false));
            DrawEntityMesh(drawnLast.items[i], pass);
        }
    }

    // The ground, and the scan rings that hug it. The ground's triangles wind the way the
    // meshes' do: the mirrored pass culls the other side.
    SetBlend(false);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    SetCull(pass == PASS_REFLECTION ? CULL_CW : CULL_CCW);
    TheTerrain.Render(pass, true);
    TheScanEffects.Draw(pass);
    SetCull(CULL_CW);
    SetBlend(true);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);

    if (pass == PASS_COLOUR || pass == PASS_GLOW) {
        SetCull(CULL_CCW);
        const bool buildingSplats = !Config || Config->buildingSplats;
        for (auto* node = TheScene.splats.head; node; node = node->next) {
            Entity* e = node->value;
            if (!e || !(e->flags & ENTITY_SPLAT)) continue;
            if (!buildingSplats && IsPlayerBuildingSplat(e)) continue;
            if (pass == PASS_GLOW && !HasGlowTechnique(e)) continue;
            if (!IsEntityVisible(e, pass)) continue;
            Matrix world = EntityWorldMatrix(e, true);
            world._42 += SplatLift((float)e->splatLayer);
            EffectValues.objectId = 0.0f;
            SetWorld(world);
            DrawEntityMesh(e, pass);
        }
        if (TheSplats) DrawSplats(*TheSplats, pass);
    }

    // The water goes with the translucent objects, and is drawn whether or not the level has
    // any of those.
    WaterSet* water = TheTerrain.waterSet;
    const bool drawWater = pass == PASS_COLOUR && water && water->count > 0;
    if (TheScene.translucent.count > 0 || drawWater) {
        SetBlend(true);
        if (drawWater) {
            const Vec4 beforeWater = EffectValues.ambient;
            EffectValues.ambient = Environment::GetFogColour();
            SetCull(CULL_CCW);
            Matrix identity;
            MatrixIdentity(&identity);
            SetWorld(identity);
            water->DrawVisible(pass, true);
            EffectValues.ambient = beforeWater;
        }
        const float step = FrameTimer.delta;
        for (auto* node = TheScene.translucent.head; node; node = node->next) {
            Entity* e = node->value;
            if (!e || (e->flags & ENTITY_NODRAW) || !IsEntityVisible(e, pass)) continue;
            if (pass == PASS_COLOUR && (e->flags & ENTITY_MARKER)) {
                e->yaw += step * MARKER_SPIN_DEGREES;
                if (e->yaw > 360.0f) e->yaw -= 360.0f;
                MatrixRotationY(&e->rotation, e->yaw * 0.0174532925f);
            }
            if (pass != PASS_SHADOW) SetCull(pass == PASS_REFLECTION ? CULL_CW : CULL_CCW);
            DrawSceneObject(e, pass);
        }
    }

    if (pass == PASS_COLOUR && cloaked.count > 0) {
        RenderStates.ResetRenderStates();
        SetCull(CULL_CCW);
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
        RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCCOLOR);
        RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCCOLOR);
        EffectValues.ambient.x = 0.0f;
        EffectValues.ambient.y = 2.0f;
        EffectValues.ambient.z = 0.0f;
        for (int i = 0; i < cloaked.count; ++i) {
            Entity* e = cloaked.items[i];
            EffectValues.objectId = 0.0f;
            SetWorld(EntityWorldMatrix(e, false));
            DrawEntityMesh(e, PASS_COLOUR);
            DrawAttachments(e, PASS_COLOUR);
        }
    }

    EffectValues.ambient.x = keptAmbient.x;
    EffectValues.ambient.y = keptAmbient.y;
    EffectValues.ambient.z = keptAmbient.z;
    SetBlend(true);
    // A building going up writes depth as a finished one does, so that its near walls hide
    // its far ones. Left to what was drawn before (water, the splat pool), the setting and the
    // driver's code for the draw would change from frame to frame, and a site's first frame
    // would wait on code the warm-up never made.
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);

    for (int i = 0; i < constructing.count; ++i) DrawUnderConstruction(static_cast<Building*>(constructing.items[i]));

    Matrix identity;
    MatrixIdentity(&identity);
    SetWorld(identity);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    SetCull(CULL_NONE);
    if (pass == PASS_COLOUR && TheProjectiles) DrawProjectiles(*TheProjectiles);
    if ((pass == PASS_COLOUR || pass == PASS_REFLECTION) && TheScene.particles) TheScene.particles->Render();
    RenderStates.SetRenderState(RS_LIGHTING, SceneLighting ? 1 : 0);
}

// A weapon carried on a joint of its bearer's mesh.
bool WeaponMountMatrix(Entity* entity, const char* jointName, int jointIndex, bool unscaled, float rollDegrees,
                       Matrix* out)
{
    if (!entity || !out || !entity->mesh || entity->mesh->joints.empty()) return false;
    IndexedMesh* mesh = entity->mesh;
    int index = jointName ? mesh->FindJoint(jointName) : jointIndex;
    if (index < 0 || index >= (int)mesh->joints.size()) return false;
    mesh->PoseJointsForDrawing();
    Matrix joint = mesh->joints[index].worldMatrix;
    joint._41 = -joint._41;
    Matrix scaling;
    if (unscaled)
        MatrixIdentity(&scaling);
    else
        MatrixScaling(&scaling, entity->scale, entity->scale, entity->scale);
    Matrix carried = joint * scaling * entity->rotation;
    Vec3 mount = Vec3(carried._41, carried._42, carried._43) + entity->GetPosition();
    Matrix world;
    MatrixIdentity(&world);
    if (rollDegrees != 0.0f) MatrixRotationZ(&world, rollDegrees * 0.0174533f);
    world = world * entity->rotation * scaling;
    world._41 = mount.x;
    world._42 = mount.y;
    world._43 = mount.z;
    *out = world;
    return true;
}

bool ComputeWeaponMountMatrix(Entity* entity, Entity* mounted, const char* jointName, int jointIndex, int pass,
                              bool unscaled, float rollDegrees)
{
    Matrix world;
    if (!mounted || !WeaponMountMatrix(entity, jointName, jointIndex, unscaled, rollDegrees, &world)) return false;
    if (Graphics) Graphics->SetTransform(TS_WORLD, &world);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    DrawEntityMesh(mounted, pass);
    return true;
}

void DrawEntityMesh(Entity* entity, int pass)
{
    if (!entity) return;
    if (entity->flags & ENTITY_BUILDING)
        if (Building* building = dynamic_cast<Building*>(entity)) return DrawBuilding(building, pass);
    DrawPlainEntity(entity, pass);
}

bool IsInPicture(Entity* entity, int mode)
{
    if (!entity->mesh) return false;
    if (mode == 1) {
        if (!entity->discovered) return false;
        if ((entity->flags & ENTITY_AGENT) && !TheMinimap.IsEntityVisible(entity)) return false;
        return InView(entity);
    }
    // Kept for the frame until a tick moves the world on.
    if (entity->cullFrame != FrameTimer.GetFrameCount() || entity->cullTick != WorldTicks.count) {
        entity->cullFrame = FrameTimer.GetFrameCount();
        entity->cullTick = WorldTicks.count;
        entity->visible = InView(entity) && entity->FogLetsSee() ? 1 : 0;
        if (entity->visible) {
            Vec3 fromEye = entity->GetPosition() - GameCamera.eye;
            entity->cameraDistance = Vec3Length(&fromEye);
        }
    }
    return entity->visible != 0;
}
