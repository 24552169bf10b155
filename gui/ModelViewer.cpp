#include "gui/ModelViewer.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "render/ViewFrustum.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float DEGREES = 0.0174532924f;
// No camera stands further back than twice this from what it frames.
constexpr float LARGEST_RADIUS = 12.0f;
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

void Widen(Vec3* min, Vec3* max, const Vec3& low, const Vec3& high)
{
    min->x = std::min(min->x, low.x);
    min->y = std::min(min->y, low.y);
    min->z = std::min(min->z, low.z);
    max->x = std::max(max->x, high.x);
    max->y = std::max(max->y, high.y);
    max->z = std::max(max->z, high.z);
}

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
    cameraPosition = Vec3(0.0f, heightFactor * distance, distance);
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

bool ModelViewer::GetEntityBounds(const ViewerModel& shown, Vec3* min, Vec3* max)
{
    if (!shown.mesh || !min || !max) return false;
    *min = shown.mesh->boundsMin;
    *max = shown.mesh->boundsMax;
    if (shown.flags & VIEWED_HAS_PARTS)
        for (const ViewerPart& part : shown.parts)
            if (part.mesh) Widen(min, max, part.mesh->boundsMin + part.mount, part.mesh->boundsMax + part.mount);
    *min = *min * shown.scale + shown.position;
    *max = *max * shown.scale + shown.position;
    return true;
}

Vec3 ModelViewer::BonePosition(int bone) const
{
    const Matrix& joint = model->mesh->joints[bone].worldMatrix;
    // The mesh is mirrored on its way to the screen, its bones with it.
    return Vec3(-joint._41, joint._42, joint._43) * model->scale + model->position;
}

void ModelViewer::FitCamera(int bone, float sizeFactor, float verticalOffset)
{
    if (!model || !model->mesh) return;
    const IndexedMesh& mesh = *model->mesh;
    const Vec3 size = mesh.boundsMax - mesh.boundsMin;
    float r = std::max(size.y, 0.8f * size.x);
    float k = 2.0f;
    Vec3 offsets;

    Vec3 target;
    if (bone >= 1 || ((model->flags & VIEWED_HAS_PARTS) && !mesh.IsSkinned())) {
        if (bone < 0 || bone >= mesh.JointCount()) {
            Vec3 low, high;
            GetEntityBounds(*model, &low, &high);
            target = (low + high) * 0.5f;
            target.y += verticalOffset;
        } else {
            // Framed by one bone: closer in, and a pilot's head where there is one.
            target = BonePosition(bone);
            k = 1.0f;
            if ((model->flags & VIEWED_PLAYER) || mesh.FindJoint("Pilot") >= 0) {
                target.y += 0.85f;
                r = 1.0f;
            } else {
                target.y += verticalOffset;
            }
        }
    }
    r *= sizeFactor;

    if ((model->flags & VIEWED_BUILDING) && model->pilot > 0.0f) {
        target.y += 0.75f;
        if (strstr(model->name, "_Small")) r *= 1.2f;
    } else if (!(model->flags & VIEWED_ITEM) && (model->flags & VIEWED_FUEL)) {
        r *= 0.9f;
        offsets = Vec3(0.0f, 0.9f * r, -0.9f * r);
    } else if ((model->flags & VIEWED_ITEM) && model->buildingKind == 7) {
        offsets = Vec3(1.0f, 1.25f, 0.0f);
        r = std::min(0.5f * size.z, 0.8f * size.x);
    } else if (model->flags & VIEWED_ITEM) {
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
        // The drag belongs to the preview: the world must not take it for a held button.
        mouse->ClearClicked(0);
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

void ModelViewer::DrawModel(float dt)
{
    IndexedMesh* mesh = model->mesh;
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
    Graphics->Clear(CLEAR_DEPTH_STENCIL, 0.0f, 0.0f, 0.0f, 0.0f);
    Graphics->End2D();

    Camera camera;
    camera.eye = cameraPosition;
    camera.target = cameraTarget;
    camera.up = Vec3(0.0f, 1.0f, 0.0f);
    camera.aspect = (float)preview.Width / (float)preview.Height;
    camera.BuildMatrices(false);
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    // The world's frustum is the world's view: the one model of the preview is never culled.
    Frustum = nullptr;

    const Vec3 at = model->position + modelOffset;
    Matrix turn, tilt, grow, place, world;
    MatrixRotationY(&turn, yaw * DEGREES);
    MatrixRotationX(&tilt, pitch * DEGREES);
    MatrixScaling(&grow, model->scale, model->scale, model->scale);
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
    auto draw = [&](IndexedMesh* drawn, const Matrix& placed) {
        if (frontEnd) drawn->Update(dt);
        WorldMatrix = placed;
        Graphics->SetTransform(TS_WORLD, &WorldMatrix);
        MeshRenderPosition = Vec3(placed._41, placed._42, placed._43);
        ForgetMeshSceneParameters();
        drawn->Render(0, false);
    };
    draw(mesh, world);
    if (model->flags & VIEWED_HAS_PARTS) {
        for (const ViewerPart& part : model->parts) {
            if (!part.mesh) continue;
            Matrix mountTurn, mountPlace, placed;
            MatrixRotationY(&mountTurn, MountAngle(part.name) * DEGREES);
            MatrixTranslation(&mountPlace, part.mount.x, part.mount.y, part.mount.z);
            MatrixMultiply(&placed, &mountTurn, &mountPlace);
            MatrixMultiply(&placed, &placed, &world);
            draw(part.mesh, placed);
        }
    }

    // The model leaves no depth behind for whatever is drawn after the GUI.
    Graphics->Clear(CLEAR_DEPTH_STENCIL, 0.0f, 0.0f, 0.0f, 0.0f);
    Graphics->SetViewport(&worldViewport);
}

void ModelViewer::Render()
{
    const float dt = IsGuiPaused() ? 0.0f : std::min(FrameTimer.delta, 0.1f);
    GuiDrawSprite(background);
    if (model && model->mesh && autoTurn) yaw += turnSpeed * dt;
    if (model && model->mesh && Graphics && Graphics->device) {
        DrawModel(dt);
        Graphics->Begin2D();
    }
    GuiDrawSprite(frame);
}

void ModelViewer::Draw()
{
    Render();
}
