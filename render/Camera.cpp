#include "render/Camera.h"

#include "host/SteadyMath.h"
#include "platform/ConfigFile.h"
#include "platform/GameSeam.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "render/GraphicsDevice.h"

#include <cmath>

Camera GameCamera;
Matrix WorldMatrix;
Matrix ViewMatrix;
Matrix ProjectionMatrix;
Matrix InverseViewMatrix;

// The configuration keys the camera reads, with their defaults before a configuration exists.
namespace {
struct CameraSettings {
    float scrollSpeed = 30.0f, zoomSpeed = 20.0f, minZoom = 20.0f, maxZoom = 75.0f;
    float nearPlane = 0.1f, farPlane = 500.0f;
    int width = 1024, height = 768;
    bool middleMousePans = true, smoothZoom = true;

    CameraSettings()
    {
        if (!Config) return;
        scrollSpeed = Config->scrollSpeed;
        zoomSpeed = Config->zoomSpeed;
        minZoom = Config->minZoom;
        maxZoom = Config->maxZoom;
        nearPlane = Config->near;
        farPlane = Config->far;
        width = Config->width;
        height = Config->height;
        middleMousePans = Config->middleMousePans;
        smoothZoom = Config->smoothZoom;
    }
};

// The configured screen; a sane size before the configuration exists.
void ScreenSize(float* width, float* height)
{
    *width = 1024.0f;
    *height = 768.0f;
    if (Config && Config->width > 0 && Config->height > 0) {
        *width = float(Config->width);
        *height = float(Config->height);
    }
}

// Whole wheel notches of a raw wheel value; a partial turn counts as one notch.
int WheelNotches(int wheel)
{
    int notches = wheel / WHEEL_DELTA;
    if (notches == 0 && wheel != 0) notches = wheel > 0 ? 1 : -1;
    return notches;
}

// How far above the ground the eye keeps at the least, so that the near plane stays out of it.
constexpr float EYE_CLEARANCE = 1.0f;

float Distance(const Vec3& a, const Vec3& b)
{
    Vec3 d = a - b;
    return Vec3Length(&d);
}
}  // namespace

Camera::Camera()
    : eye(0.0f, 0.5f, 0.0f), up(0.0f, 1.0f, 0.0f), direction(0.0f, 0.0f, 1.0f), aspect(1.3f), pitch(-1.0471976f),
      yaw(3.1415927f), mode(MODE_ORBIT), distance(43.149677f), follow(false), distanceMeasured(false),
      zoomVelocity(0.0f)
{
    target = eye + direction;
}

void Camera::Update(float dt)
{
    if (mode == MODE_ORBIT) UpdateOrbit(dt);
}

void Camera::SetFollow(bool on, bool updateButton)
{
    GameSeam& game = GetGameSeam();
    follow = on;
    if (on) {
        Entity* selected = game.GetFirstSelected();
        if (!selected || !game.IsAgent(selected)) follow = false;
    }
    if (updateButton) game.SetFollowButton(follow);
}

void Camera::ClampPitch()
{
    if (pitch >= PITCH_HIGHEST) pitch = PITCH_HIGHEST;
    if (pitch < PITCH_LOWEST) pitch = PITCH_LOWEST;
}

void Camera::UpdateDirection()
{
    DirectionFromAngles(pitch, yaw, &direction);
}

ViewBounds Camera::CheckViewBounds(const Vec3& position, const Vec3& viewDirection)
{
    // What has to stay inside the map is the ground the screen shows, not the eye: from the
    // eye the view reaches tens of units past it to the sides and ahead, whichever way the
    // camera is turned.
    GameSeam& game = GetGameSeam();
    Vec3 lo, hi;
    ViewFootprint(position, viewDirection, &lo, &hi);
    float width, height;
    game.GetMapSize(&width, &height);

    // An eye lower than the wall round the map stays out of it: from inside the wall the
    // screen would show the void under the ground.
    const float depth = game.GetRimDepth(position.y - EYE_CLEARANCE);
    auto axis = [depth](float low, float high, float eye, float half, bool* inside, float* over) {
        float below = low + half, above = high - half;
        if (depth > 0.0f) below = std::fmin(below, eye + half - depth), above = std::fmax(above, eye - half + depth);
        *inside = below >= 0.0f && above <= 0.0f;
        *over = *inside ? 0.0f : below < 0.0f ? below : above;
    };
    ViewBounds bounds;
    axis(lo.x, hi.x, position.x, width * 0.5f, &bounds.inX, &bounds.overX);
    axis(lo.z, hi.z, position.z, height * 0.5f, &bounds.inZ, &bounds.overZ);
    return bounds;
}

void Camera::ViewFootprint(const Vec3& position, const Vec3& viewDirection, Vec3* lo, Vec3* hi) const
{
    CameraSettings settings;
    Vec3 forward = viewDirection;
    if (Vec3Length(&forward) < 1e-6f) forward = Vec3(0.0f, 0.0f, 1.0f);
    Vec3Normalize(&forward, &forward);
    Vec3 right;
    Vec3Cross(&right, &up, &forward);
    if (Vec3Length(&right) < 1e-6f) right = Vec3(1.0f, 0.0f, 0.0f);
    Vec3Normalize(&right, &right);
    Vec3 above;
    Vec3Cross(&above, &forward, &right);
    const float halfHeight = Tan(0.3926991f), halfWidth = halfHeight * aspect;
    const float reach = settings.farPlane > 0.0f ? settings.farPlane : 500.0f;
    // The ground lies between the lowest level (0) and the top of the wall round the map. A ray
    // meets it somewhere between the two: where it comes down to the wall's top it must already
    // be over the map (or it would pass over the wall into the void beside the map), and where
    // it comes down to 0 it must still be.
    const float levels[2] = {0.0f, std::fmax(GetGameSeam().GetRimTop(), 0.0f)};
    // The screen's lower edge counts from where the HUD's bottom bar begins: what lies under the
    // bar may be past the map's edge, so that the ground along that edge can come above the bar.
    const float covered = std::fmin(std::fmax(GetGameSeam().GetCoveredBottomShare(), 0.0f), 0.5f);
    const float lowest = -halfHeight + 2.0f * halfHeight * covered;
    *lo = Vec3(1e30f, 0.0f, 1e30f);
    *hi = Vec3(-1e30f, 0.0f, -1e30f);
    for (int corner = 0; corner < 4; ++corner) {
        Vec3 ray = forward + right * (corner % 2 ? halfWidth : -halfWidth) + above * (corner / 2 ? halfHeight : lowest);
        for (float level : levels) {
            // A corner ray that never comes down to the level counts as far as the view reaches.
            float length = Vec3Length(&ray);
            float t = reach / length;
            if (position.y <= level) t = 0.0f;
            else if (ray.y < 0.0f && (position.y - level) / -ray.y < t) t = (position.y - level) / -ray.y;
            Vec3 point = position + ray * t;
            lo->x = std::fmin(lo->x, point.x), lo->z = std::fmin(lo->z, point.z);
            hi->x = std::fmax(hi->x, point.x), hi->z = std::fmax(hi->z, point.z);
        }
    }
}

void Camera::KeepInBounds()
{
    ViewBounds bounds = CheckViewBounds(eye, direction);
    if (!bounds.inX) eye.x -= bounds.overX;
    if (!bounds.inZ) eye.z -= bounds.overZ;
    target = eye + direction;
}

void Camera::AcceptPerAxis(const Vec3& candidate, const ViewBounds& current)
{
    ViewBounds moved = CheckViewBounds(candidate, direction);
    auto accept = [](bool inside, bool wasInside, float over, float wasOver) {
        if (inside) return true;
        if (wasInside) return false;
        return (wasOver < 0.0f && over > wasOver) || (wasOver > 0.0f && over < wasOver);
    };
    // A step that would take the view past the edge takes it to the edge: the view moves with
    // the eye, so the eye gives back what the view overshoots.
    auto toEdge = [](float now, float wanted, float over) {
        const float edge = wanted - over;
        return (edge - now) * (wanted - now) > 0.0f ? edge : now;
    };
    if (accept(moved.inX, current.inX, moved.overX, current.overX)) eye.x = candidate.x;
    else if (current.inX) eye.x = toEdge(eye.x, candidate.x, moved.overX);
    if (accept(moved.inZ, current.inZ, moved.overZ, current.overZ)) eye.z = candidate.z;
    else if (current.inZ) eye.z = toEdge(eye.z, candidate.z, moved.overZ);
}

void Camera::UpdateOrbit(float dt)
{
    CameraSettings settings;
    GameSeam& game = GetGameSeam();
    const KeyboardDevice* keyboard = Input.keyboard;
    MouseDevice* mouse = Input.mouse;
    auto held = [keyboard](int code) { return keyboard && (keyboard->state[code] & 0x80) != 0; };

    // What the player is doing this frame.
    int cursorX = mouse ? mouse->cursorX : -1, cursorY = mouse ? mouse->cursorY : -1;
    int dx = mouse ? mouse->stepX : 0, dy = mouse ? mouse->stepY : 0;
    int notches = mouse ? WheelNotches(mouse->wheel) : 0;
    bool ctrl = held(DIK_LCONTROL) || held(DIK_RCONTROL);
    bool middle = mouse && mouse->IsButtonDown(2);
    bool panMode = middle && settings.middleMousePans;
    bool rotateMode = middle && !settings.middleMousePans;
    bool textEntry = game.IsTextEntryActive();
    bool arrowsFree = !textEntry && !game.IsTextInputFocused();
    bool left = arrowsFree && held(DIK_LEFT), right = arrowsFree && held(DIK_RIGHT);
    bool forward = arrowsFree && held(DIK_UP), back = arrowsFree && held(DIK_DOWN);

    // Where the eye stands now.
    ViewBounds current = CheckViewBounds(eye, direction);

    // The followed unit is gone.
    Entity* selected = game.GetFirstSelected();
    if (follow && !selected) {
        follow = false;
        game.SetFollowButton(false);
    }

    // The ground point the camera orbits and zooms toward.
    Vec3 ground = eye + direction * distance;
    IntersectRayPlane(eye, direction, Vec3(0.0f, 1.0f, 0.0f), 1.0f, &ground);

    // Higher up, the ground scrolls by faster.
    float speed = settings.scrollSpeed + (eye.y > 0.0f ? eye.y : 0.0f);

    // Control and the arrows turn and tilt.
    bool keyRotated = false;
    if (ctrl && arrowsFree) {
        if (left) yaw -= 2.0f * dt, keyRotated = true;
        else if (right) yaw += 2.0f * dt, keyRotated = true;
        if (forward) pitch += 2.0f * dt, keyRotated = true;
        else if (back) pitch -= 2.0f * dt, keyRotated = true;
        if (keyRotated) {
            ClampPitch();
            UpdateDirection();
        }
    }

    Vec3 flat(direction.x, 0.0f, direction.z);
    Vec3Normalize(&flat, &flat);
    const Vec3 toLeft(-flat.z, 0.0f, flat.x);
    if (rotateMode) {
        // Middle button rotates.
        yaw -= 0.5f * float(dx) * dt;
        if (game.IsAutoRotateOn()) yaw = std::fmod(yaw + game.AutoRotateSpeed() * dt, 6.2831855f);
        if (ctrl) pitch -= 0.5f * float(dy) * dt;
        ClampPitch();
        UpdateDirection();
    } else if (panMode && (dx != 0 || dy != 0)) {
        // Middle button drags the ground; the cursor stays where it was.
        Vec3 candidate = eye + toLeft * (0.1f * float(dx)) + flat * (0.1f * float(dy));
        AcceptPerAxis(candidate, current);
        mouse->cursorX -= dx;
        mouse->cursorY -= dy;
    } else if (!follow) {
        // Screen edges and arrows scroll.
        Vec3 candidate = eye;
        float step = speed * dt;
        if (cursorX == 0 || (left && !ctrl)) candidate += toLeft * step;
        else if (cursorX == settings.width - 1 || (right && !ctrl)) candidate -= toLeft * step;
        if (cursorY == 0 || (forward && !ctrl)) candidate += flat * step;
        else if (cursorY == settings.height - 1 || (back && !ctrl)) candidate -= flat * step;
        AcceptPerAxis(candidate, current);
    }

    // Zoom toward or away from the ground point, between minZoom and maxZoom of it.
    bool zoomed = false;
    bool wheelCounts = notches != 0 && !game.IsPointOverWindow(cursorX, cursorY);
    if (settings.smoothZoom) {
        if (!middle && wheelCounts) zoomVelocity += 2.0f * float(notches);
        float zoomStep = settings.zoomSpeed * dt;
        if (std::fabs(zoomVelocity) >= 0.01f) {
            if (zoomVelocity > 0.001f) {
                float move = zoomVelocity < zoomStep ? zoomVelocity : zoomStep;
                eye += direction * move;
                zoomVelocity = zoomVelocity <= zoomStep ? 0.0f : zoomVelocity - move;
                if (Distance(eye, ground) < settings.minZoom) {
                    eye = ground - direction * settings.minZoom;
                    zoomVelocity = 0.0f;
                }
            } else {
                float want = -zoomVelocity;
                float move = want < zoomStep ? want : zoomStep;
                eye -= direction * move;
                zoomVelocity = want <= zoomStep ? 0.0f : zoomVelocity + move;
                if (Distance(eye, ground) > settings.maxZoom) {
                    eye = ground - direction * settings.maxZoom;
                    zoomVelocity = 0.0f;
                }
            }
            zoomed = true;
        }
    } else if (wheelCounts) {
        eye += direction * (2.0f * float(notches));
        if (notches > 0 && Distance(eye, ground) < settings.minZoom) eye = ground - direction * settings.minZoom;
        if (notches < 0 && Distance(eye, ground) > settings.maxZoom) eye = ground - direction * settings.maxZoom;
        zoomed = true;
    }

    // The orbit distance follows the zoom.
    if (!distanceMeasured || zoomed) {
        Vec3 reference = follow && selected ? game.GetFollowPoint(selected) : ground;
        distance = Distance(reference, eye);
        distanceMeasured = true;
    }

    // Page Up/Down tilt.
    bool tilted = false;
    if (!textEntry) {
        if (held(DIK_PRIOR)) pitch += 2.0f * dt, tilted = true;
        else if (held(DIK_NEXT)) pitch -= 2.0f * dt, tilted = true;
        if (tilted) {
            ClampPitch();
            UpdateDirection();
        }
    }

    // Keep the followed unit, or the orbited ground point, in view.
    if (follow && selected) eye = game.GetEntityCenter(selected) - direction * distance;
    if ((keyRotated || rotateMode) && !follow) eye = ground - direction * distance;
    // Zooming out, turning or tilting widens or swings the view: near the edge it would show
    // the void beyond the map, so the camera backs away from the edge instead.
    if (!follow && (zoomed || tilted || keyRotated || rotateMode)) {
        KeepInBounds();
        return;
    }

    target = eye + direction;
}

void Camera::ResetOrientation()
{
    Vec3 hit = eye + direction * distance;
    if (!GetGameSeam().IntersectTerrain(eye, direction, &hit))
        IntersectRayPlane(eye, direction, Vec3(0.0f, 1.0f, 0.0f), 0.0f, &hit);
    yaw = -3.14f;
    UpdateDirection();
    if (!follow) {
        distance = Distance(eye, hit);
        eye = hit - direction * distance;
        target = eye + direction;
    }
}

void Camera::BuildMatrices()
{
    CameraSettings settings;
    MatrixIdentity(&WorldMatrix);
    MatrixLookAtLH(&ViewMatrix, &eye, &target, &up);
    MatrixPerspectiveFovLH(&ProjectionMatrix, 0.7853982f, aspect, settings.nearPlane, settings.farPlane);
    if (!MatrixInverse(&InverseViewMatrix, nullptr, &ViewMatrix)) MatrixIdentity(&InverseViewMatrix);
    // The device draws what the effects draw: particles and fixed-function meshes read these,
    // not the global matrices.
    if (Graphics) {
        Graphics->SetTransform(TS_WORLD, &WorldMatrix);
        Graphics->SetTransform(TS_VIEW, &ViewMatrix);
        Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    }
}

float StepCameraShake()
{
    CameraShake& shake = ActiveCameraShake;
    shake.lift = 0.0f;
    if (shake.remaining <= 0.0f) return 0.0f;
    float step = 0.0f;
    if (!GetGameSeam().IsGamePaused()) step = FrameTimer.delta < 0.1f ? FrameTimer.delta : 0.1f;
    shake.remaining = shake.remaining - step > 0.0f ? shake.remaining - step : 0.0f;
    float fade = shake.duration > 0.0f ? shake.remaining / shake.duration : 0.0f;
    shake.lift = (CosmeticRandom().Float(-0.25f * shake.amplitude, 0.25f * shake.amplitude) + shake.amplitude) *
                 fade * fade * Cos(shake.remaining * shake.frequency);
    return shake.lift;
}

ShakenView::ShakenView()
{
    const float lift = ActiveCameraShake.lift;
    if (lift == 0.0f) return;
    lifted_ = true;
    keptView_ = ViewMatrix;
    keptInverse_ = InverseViewMatrix;
    if (Frustum) keptFrustum_ = *Frustum;
    // Eye and target raised together: the world moves down under the view.
    Matrix down, raise;
    MatrixTranslation(&down, 0.0f, -lift, 0.0f);
    MatrixTranslation(&raise, 0.0f, lift, 0.0f);
    ViewMatrix = down * keptView_;
    InverseViewMatrix = keptInverse_ * raise;
    if (Frustum) Frustum->Update(ViewMatrix);
    if (Graphics) Graphics->SetTransform(TS_VIEW, &ViewMatrix);
}

ShakenView::~ShakenView()
{
    if (!lifted_) return;
    ViewMatrix = keptView_;
    InverseViewMatrix = keptInverse_;
    if (Frustum) *Frustum = keptFrustum_;
    if (Graphics) Graphics->SetTransform(TS_VIEW, &ViewMatrix);
}

// ---- Picking and projection

Vec3 ProjectToScreen(const Vec3& point)
{
    float width, height;
    ScreenSize(&width, &height);
    Viewport viewport;
    viewport.Width = uint32_t(width);
    viewport.Height = uint32_t(height);
    Vec3 out;
    Vec3Project(&out, &point, &viewport, &ProjectionMatrix, &ViewMatrix, nullptr);
    return out;
}

bool BuildPickRay(float screenX, float screenY, Vec3* nearPoint, Vec3* farPoint)
{
    float width, height;
    ScreenSize(&width, &height);
    const float k = Tan(0.3926991f);
    float px = (screenX / (width * 0.5f) - 1.0f) * k * width / height;
    float py = (1.0f - screenY / (height * 0.5f)) * k;
    // Inverted here rather than taken from the camera so that a caller may look through a
    // view of its own (the galaxy map) by swapping the view matrix for the pick.
    Matrix inverseView;
    if (!MatrixInverse(&inverseView, nullptr, &ViewMatrix)) MatrixIdentity(&inverseView);
    ProjectPoint(nearPoint, Vec3(px, py, 1.0f), inverseView);
    return ProjectPoint(farPoint, Vec3(4000.0f * px, 4000.0f * py, 4000.0f), inverseView);
}
