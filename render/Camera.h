#pragma once
// The camera the level is seen through: an eye orbiting above the ground at a pitch and a yaw,
// scrolled by the screen edges and the arrow keys, panned or rotated with the middle button,
// tilted with Page Up/Down, zoomed with the wheel, optionally following the selected unit, and
// kept inside the map. The drawing code builds the view and projection from it each frame.
//
// What it needs of the game (the ground, the selection, the HUD's follow button, the windows,
// the pause) it asks through the game seam; with the null seam it works on an empty 320 x 320
// map with nothing selected.
#include "host/Maths.h"
#include "render/ViewFrustum.h"

// Per axis: whether the tested position is inside the bounds and, when not, by how much it
// overshoots (negative below the lower bound, positive above the upper one).
struct ViewBounds {
    bool inX = true, inZ = true;
    float overX = 0.0f, overZ = 0.0f;
};

class Camera {
public:
    static constexpr int MODE_ORBIT = 2;
    static constexpr float PITCH_HIGHEST = -0.7853982f;  // -45 degrees
    static constexpr float PITCH_LOWEST = -1.3089969f;   // -75 degrees

    Camera();

    void SetMode(int newMode) { mode = newMode; }
    // Per frame; only the orbit mode moves the camera.
    void Update(float dt);
    // Following sticks only while an agent is selected; updateButton shows the result on the
    // HUD's follow button.
    void SetFollow(bool on, bool updateButton);
    // Looks at the ground under the current view again from the default yaw.
    void ResetOrientation();
    // World, view, projection and inverse view into the global matrices, from the camera at
    // rest: a shake lifts only the picture (StepCameraShake, ShakenView).
    void BuildMatrices();

    void UpdateOrbit(float dt);
    void ClampPitch();
    // direction from pitch and yaw.
    void UpdateDirection();
    // Whether the ground the screen shows from that eye, looking that way, lies inside the map.
    ViewBounds CheckViewBounds(const Vec3& position, const Vec3& viewDirection);
    // The box on the ground of what the screen shows from that eye above the HUD's bottom bar.
    void ViewFootprint(const Vec3& position, const Vec3& viewDirection, Vec3* lo, Vec3* hi) const;
    // Moves the eye back as little as needed for the view to show only the map, after a jump
    // (a minimap click, a look at a unit) or a turn or zoom that took it past the edge.
    void KeepInBounds();

    Vec3 eye;
    Vec3 target;
    Vec3 up;
    Vec3 direction;
    float aspect;
    float pitch;  // radians
    float yaw;    // radians
    int mode;
    float distance;  // orbit distance from the ground point (or the followed unit)
    bool follow;
    bool distanceMeasured;
    float zoomVelocity;  // smooth zoom still to travel; forward is positive

private:
    // Takes a candidate eye position axis by axis: inside the bounds, or moving an out-of-bounds
    // eye back toward them.
    void AcceptPerAxis(const Vec3& candidate, const ViewBounds& current);
};

// The game's camera (the galaxy map and the model viewer hold their own).
extern Camera GameCamera;

// One frame of the camera shake: a running shake counts down by the frame (not while the game
// is paused), and its lift for this frame, drawn from the cosmetic generator, is kept in the
// shake (ActiveCameraShake.lift) and returned; 0 without a shake.
float StepCameraShake();

// The picture of a shaking camera. While it lives, the frame's view (the global view and its
// inverse, the device's view and the view frustum) is the one built from the camera at rest,
// lifted by the shake's lift of this frame; the view at rest comes back when it goes. Only
// drawing looks through it: what the game sees, finds and picks never depends on the cosmetic
// generator's draws.
class ShakenView {
public:
    ShakenView();
    ~ShakenView();
    ShakenView(const ShakenView&) = delete;
    ShakenView& operator=(const ShakenView&) = delete;

private:
    bool lifted_ = false;
    Matrix keptView_;
    Matrix keptInverse_;
    ViewFrustum keptFrustum_;
};

// The transforms of the frame, read by effects, meshes, particles and picking.
extern Matrix WorldMatrix;
extern Matrix ViewMatrix;
extern Matrix ProjectionMatrix;
extern Matrix InverseViewMatrix;

// Screen pixels (x, y) and depth (z) of a world point through the frame's view and projection
// matrices and the whole screen of the configured size.
Vec3 ProjectToScreen(const Vec3& point);
// The world-space ray through a screen pixel: nearPoint at camera depth 1, farPoint at 4000,
// through the inverse of the current view matrix (45-degree field of view, the configured
// screen size). Returns whether the far point could be projected.
bool BuildPickRay(float screenX, float screenY, Vec3* nearPoint, Vec3* farPoint);
