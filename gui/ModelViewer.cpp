#include "gui/ModelViewer.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "drawing/WorldFrame.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "render/ViewFrustum.h"
#include "world/Agent.h"
#include "world/Building.h"
#include "world/Entity.h"
#include "world/Item.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float DEGREES = 0.0174532924f;
// No camera stands further back than twice this from what it frames.
constexpr float LARGEST_RADIUS = 12.0f;
// A rig is told by the pilot riding it: it is framed this much higher, a small one from this
// many times further back.
constexpr const char* RIG_PILOT = "pilot";
constexpr float RIG_RAISE = 0.75f;
constexpr float SMALL_RIG_FACTOR = 1.2f;
// The device's clear flags: depth and stencil.
constexpr uint8_t CLEAR_DEPTH_STENCIL = 0x2 | 0x4;

// Everything of the world's view that the preview changes, put back when it is destroyed.
struct SavedView {
    Matrix world = WorldMatrix, view = ViewMatrix, projection = ProjectionMatrix, inverseView = InverseViewMatrix;
    EffectBindingValues values = EffectValues;
    Vec3 renderPosition = MeshRenderPosition;
    ViewFrustum* frustum = Frustum;
    ~SavedView()
    {
        WorldMatrix = world;
        ViewMatrix = view;
        ProjectionMatrix = projection;
        InverseViewMatrix = inverseView;
        EffectValues = values;
        MeshRenderPosition = renderPosition;
        Frustum = frustum;
        if (Graphics) {
            Graphics->SetTransform(TS_WORLD, &WorldMatrix);
            Graphics->SetTransform(TS_VIEW, &ViewMatrix);
            Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
        }
        // The effects take the world's view again with the next mesh drawn.
        ForgetMeshSceneParameters();
    }
};

// A part's turn on its mount: the weapons point out to the sides.
float MountAngle(const char* partName)
{
    if (strcmp(partName, "leftweapon") == 0) return 90.0f;
    if (strcmp(partName, "rightweapon") == 0) return -90.0f;
    return 0.0f;
}

}  // namespace

ModelViewer::ModelViewer()
{
    flags |= WINDOW_TYPE_MODELVIEWER;
    viewWidth = ScreenWidth() / 8;
    viewHeight = ScreenHeight() / 6;
}

ModelViewer::~ModelViewer()
{
    delete background;
    delete frame;
}

void ModelViewer::SetViewRect(int atX, int atY, int w, int h)
{
    viewX = atX;
    viewY = atY;
    viewWidth = w;
    viewHeight = h;
    yaw = 0.0f;
    turnSpeed = 30.0f;
}

void ModelViewer::SetDistance(float newDistance, float newHeightFactor)
{
    distance = newDistance;
    if (newHeightFactor > 0.0f) heightFactor = newHeightFactor;
    cameraPosition = cameraOrigin + Vec3(0.0f, heightFactor * distance, distance);
}

void ModelViewer::SetAmbient(float r, float g, float b, float a)
{
    ambient[0] = r;
    ambient[1] = g;
    ambient[2] = b;
    ambient[3] = a;
    ownAmbient = true;
}

void ModelViewer::SetBackground(const char* texture)
{
    if (background) {
        background->texture = GuiTexture(texture);
        return;
    }
    background = CreateGuiSprite(viewX, viewY, viewWidth, viewHeight, texture, 0xFFFFFFFF, 0, 0, 1, 1);
}

void ModelViewer::SetFrame(const char* texture)
{
    if (frame) {
        frame->texture = GuiTexture(texture);
        return;
    }
    const int H = ScreenHeight();
    frame = CreateGuiSprite(viewX - H / 384, viewY - H / 384, viewWidth + H / 192, viewHeight + H / 192, texture,
                            0xFFFFFFFF, 0, 0, 1, 1);
}

bool ModelViewer::SetModelByName(const char* templateName)
{
    entity = templateName ? TheScene.FindPrimitive(templateName) : nullptr;
    return entity != nullptr;
}

bool ModelViewer::GetEntityBounds(Entity* shown, Vec3* min, Vec3* max)
{
    // An agent's box takes in what hangs on it.
    return shown && min && max && shown->GetWorldBounds(min, max);
}

void ModelViewer::FitWholeRig(Agent* rig, float distanceFactor)
{
    if (!rig || !rig->mesh) return;
    FitCamera(-1, 1.0f, 0.0f);
    const IndexedMesh* mesh = rig->mesh;
    Vec3 low = mesh->boundsMin, high = mesh->boundsMax;
    for (int i = 0; i < rig->AttachmentCount(); ++i) {
        const AgentAttachment& part = rig->Attachment(i);
        if (!part.entity || !part.entity->mesh || part.boneIndex < 0 || part.boneIndex >= mesh->JointCount()) continue;
        Vec3 at = mesh->joints[part.boneIndex].bindTranslation;
        at.x = -at.x;  // the mesh is mirrored on its way to the screen
        low = Vec3Min(low, at + part.entity->mesh->boundsMin);
        high = Vec3Max(high, at + part.entity->mesh->boundsMax);
    }
    low = low * rig->scale;
    high = high * rig->scale;
    const Vec3 size = high - low;
    const float across = std::max(size.x, size.z);
    const float radius = std::min(std::max(size.y, 0.8f * across), LARGEST_RADIUS);
    distance = distanceFactor * radius;
    cameraTarget = (low + high) * 0.5f;
    cameraPosition = cameraTarget + Vec3(0.0f, 0.0f, distance);
    minDistance = 0.5f * distance;
    maxDistance = 1.5f * distance;
    modelOffset = Vec3() - rig->GetPosition();
}

void ModelViewer::FitCamera(int bone, float sizeFactor, float verticalOffset)
{
    if (!entity || !entity->mesh) return;
    const IndexedMesh& mesh = *entity->mesh;
    const uint32_t flags = entity->flags;
    const Vec3 size = mesh.boundsMax - mesh.boundsMin;
    float r = std::max(size.y, 0.8f * size.x);
    float k = 2.0f;
    Vec3 offsets;

    Vec3 target;
    if (bone >= 1 || ((flags & ENTITY_AGENT) && !mesh.IsSkinned())) {
        if (bone < 0 || bone >= mesh.JointCount()) {
            Vec3 low, high;
            GetEntityBounds(entity, &low, &high);
            target = (low + high) * 0.5f;
            target.y += verticalOffset;
        } else {
            // Framed by one bone: closer in, and a pilot's head where there is one.
            target = GetBoneWorldPosition(&mesh, bone, entity->rotation, entity->scale, entity->GetPosition());
            k = 1.0f;
            if ((flags & ENTITY_PLAYER) || mesh.FindJoint("Pilot") >= 0) {
                target.y += 0.85f;
                r = 1.0f;
            } else {
                target.y += verticalOffset;
            }
        }
    }
    r *= sizeFactor;

    // A rig with its pilot aboard is looked at higher up, the small rigs from further back.
    const Agent* agent = (flags & ENTITY_AGENT) ? dynamic_cast<const Agent*>(entity) : nullptr;
    const Item* item = (flags & ENTITY_ITEM) ? dynamic_cast<const Item*>(entity) : nullptr;
    if (agent && agent->GetAttachedEntity(RIG_PILOT)) {
        target.y += RIG_RAISE;
        if (strstr(entity->name, "_Small")) r *= SMALL_RIG_FACTOR;
    } else if (!(flags & ENTITY_ITEM) && (flags & ENTITY_FUEL)) {
        r *= 0.9f;
        offsets = Vec3(0.0f, 0.9f * r, -0.9f * r);
    } else if (item && item->kind == ITEM_KIND_WEAPON) {
        // A weapon lying about is long and low: seen from its side.
        offsets = Vec3(1.0f, 1.25f, 0.0f);
        r = std::min(0.5f * size.z, 0.8f * size.x);
    } else if (flags & ENTITY_ITEM) {
        offsets = Vec3(0.0f, 1.0f, 0.0f);
    }

    r = std::min(r, LARGEST_RADIUS);
    distance = k * r;
    cameraTarget = target;
    cameraPosition = target + Vec3(0.0f, 0.0f, distance) + offsets;
    heightFactor = 0.0f;
    minDistance = 0.5f * distance;
    maxDistance = 1.5f * distance;
}

int ModelViewer::OnMouseCallback(void* user, Button* button)
{
    ModelViewer* viewer = user ? reinterpret_cast<ModelViewer*>(*static_cast<intptr_t*>(user)) : nullptr;
    MouseDevice* mouse = Input.mouse;
    if (!viewer || !button || !mouse) return 1;
    if (viewer->captureWhileDragging) button->flags &= ~WINDOW_CAPTURE;

    if (viewer->turnEnabled && mouse->WasClicked(0)) {
        viewer->yaw -= (float)mouse->stepX;
        viewer->pitch = std::max(viewer->minPitch, std::min(viewer->maxPitch, viewer->pitch + (float)mouse->stepY));
        // The drag belongs to the preview: the world must not take it for a held button, nor
        // for a drag box of its own.
        mouse->ClearClicked(0);
        if (TheGame) TheGame->boxDragging = false;
        if (viewer->captureWhileDragging) button->flags |= WINDOW_CAPTURE;
    }

    if (viewer->zoomEnabled && mouse->wheel != 0) {
        const float step = (viewer->maxDistance - viewer->minDistance) / 8.0f;
        float next = viewer->distance + (mouse->wheel < 0 ? step : -step);
        next = std::max(viewer->minDistance, std::min(viewer->maxDistance, next));
        viewer->SetDistance(next, 0.0f);
        mouse->wheel = 0;
    }
    return 1;
}

void ModelViewer::DrawEntity(float dt)
{
    const SavedView saved;
    Viewport worldViewport;
    Graphics->GetViewport(&worldViewport);

    // The rectangle, kept on the screen.
    const int left = std::max(0, viewX), top = std::max(0, viewY);
    const int right = std::min(ScreenWidth(), viewX + viewWidth), bottom = std::min(ScreenHeight(), viewY + viewHeight);
    if (right <= left || bottom <= top) return;
    Viewport preview;
    preview.X = (uint32_t)left;
    preview.Y = (uint32_t)top;
    preview.Width = (uint32_t)(right - left);
    preview.Height = (uint32_t)(bottom - top);
    Graphics->SetViewport(&preview);
    if (clearsDepth) Graphics->Clear(CLEAR_DEPTH_STENCIL, 0.0f, 0.0f, 0.0f, 0.0f);
    Graphics->End2D();

    Camera camera;
    camera.eye = cameraPosition;
    camera.target = cameraTarget;
    camera.up = Vec3(0.0f, 1.0f, 0.0f);
    camera.aspect = (float)preview.Width / (float)preview.Height;
    camera.BuildMatrices();
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    // The world's frustum is the world's view: the one entity of the preview is never culled.
    Frustum = nullptr;

    // The entity stands turned in the preview for this draw only.
    const Matrix entityWorld = entity->world;
    const Vec3 at = entity->GetPosition() + modelOffset;
    Matrix turn, tilt, grow, place, world;
    MatrixRotationY(&turn, yaw * DEGREES);
    MatrixRotationX(&tilt, pitch * DEGREES);
    MatrixScaling(&grow, entity->scale, entity->scale, entity->scale);
    MatrixTranslation(&place, at.x, at.y, at.z);
    MatrixMultiply(&world, &turn, &tilt);
    MatrixMultiply(&world, &world, &grow);
    MatrixMultiply(&world, &world, &place);

    Vec3 light;
    Vec3Normalize(&light, &lightDirection);
    EffectValues.lightDirection = Vec4(light, 0.0f);
    if (ownAmbient) EffectValues.ambient = Vec4(ambient[0], ambient[1], ambient[2], ambient[3]);
    EffectValues.preview = true;

    // Nothing animates a model on the front end but its preview.
    const bool frontEnd = TheGame && TheGame->state == GAME_STATE_FRONT_END;
    auto draw = [&](Entity* drawn, const Matrix& placed) {
        if (frontEnd && drawn->mesh) drawn->mesh->Update(dt);
        drawn->world = placed;
        WorldMatrix = placed;
        Graphics->SetTransform(TS_WORLD, &WorldMatrix);
        MeshRenderPosition = Vec3(placed._41, placed._42, placed._43);
        ForgetMeshSceneParameters();
        DrawEntityMesh(drawn, 0);
    };
    // A building's turret looks the way its body does.
    Building* building = (entity->flags & ENTITY_BUILDING) ? dynamic_cast<Building*>(entity) : nullptr;
    const float headAngle = building ? building->headAngle : 0.0f;
    if (building) building->headAngle = building->yaw;
    if (beforeDraw) {
        Matrix toClip;
        MatrixMultiply(&toClip, &world, &ViewMatrix);
        MatrixMultiply(&toClip, &toClip, &ProjectionMatrix);
        beforeDraw(toClip, preview);
    }
    draw(entity, world);
    if (building) building->headAngle = headAngle;
    entity->world = entityWorld;

    // What hangs on an agent, on its bones; the weapons turned out to the sides.
    Agent* agent = (entity->flags & ENTITY_AGENT) ? dynamic_cast<Agent*>(entity) : nullptr;
    for (int i = 0; agent && i < agent->AttachmentCount(); ++i) {
        const AgentAttachment& part = agent->Attachment(i);
        if (!part.entity || !part.entity->mesh || part.boneIndex < 0 || part.boneIndex >= entity->mesh->JointCount())
            continue;
        const Matrix& frame = entity->mesh->joints[part.boneIndex].worldMatrix;
        Matrix mountTurn, mountPlace, placed;
        MatrixRotationY(&mountTurn, MountAngle(part.name) * DEGREES);
        // The mesh is mirrored on its way to the screen, its bones with it.
        MatrixTranslation(&mountPlace, -frame._41, frame._42, frame._43);
        MatrixMultiply(&placed, &mountTurn, &mountPlace);
        MatrixMultiply(&placed, &placed, &world);
        const Matrix partWorld = part.entity->world;
        draw(part.entity, placed);
        part.entity->world = partWorld;
    }

    // The entity leaves no depth behind for whatever is drawn after the GUI.
    if (clearsDepth) Graphics->Clear(CLEAR_DEPTH_STENCIL, 0.0f, 0.0f, 0.0f, 0.0f);
    Graphics->SetViewport(&worldViewport);
}

bool ModelViewer::Animates() const
{
    return entity && entity->mesh;
}

void ModelViewer::Render()
{
    const float dt = IsGuiPaused() ? 0.0f : std::min(FrameTimer.delta, 0.1f);
    GuiDrawSprite(background);
    const bool shows = entity && entity->mesh;
    if (shows && autoTurn) yaw += turnSpeed * dt;
    if (shows && Graphics && Graphics->device) {
        DrawEntity(dt);
        Graphics->Begin2D();
    }
    GuiDrawSprite(frame);
}

void ModelViewer::Draw()
{
    Render();
}
