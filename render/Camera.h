#pragma once
// The camera the level is seen through: an eye orbiting above the ground at a pitch and a yaw,
// scrolled by the screen edges and the arrow keys, panned or rotated with the middle button,
// tilted with Page Up/Down, zoomed with the wheel, optionally following the selected unit, and
// kept inside the map. The drawing code builds the view and projection from it each frame.
#include "host/Maths.h"

// What the camera asks of the rest of the game: the ground, the selection, the HUD and the
// windows. The defaults describe an empty 320 x 320 map with nothing selected and no
// windows, so a camera works before (and without) the terrain, the world and the GUI.
class CameraContext {
public:
    virtual ~CameraContext() = default;

    // Where a ray first meets the terrain; false when it misses or there is no terrain.
    virtual bool IntersectTerrain(const Vec3& origin, const Vec3& direction, Vec3* hit);
    // Map extent in world units on x and z.
    virtual void GetMapSize(float* width, float* height);

    // The first selected entity: whether there is one, whether it is an agent (only agents can
    // be followed), its centre, and the point the camera measures its distance to (the
    // "Chassis" bone of a skinned mesh that has one, else the centre).
    virtual bool HasSelection();
    virtual bool SelectionIsAgent();
    virtual Vec3 SelectionCenter();
    virtual Vec3 SelectionFollowPoint();
    // The HUD's follow button shows the follow state.
    virtual void SetFollowButton(bool on);

    // The in-game text-entry box has focus: arrows and Page Up/Down are typing keys.
    virtual bool IsTextEntryActive();
    // A text-entry window holds the keyboard: the arrows move its caret.
    virtual bool IsKeyboardHeldByTextWindow();
    // The wheel over a window scrolls the window, not the camera.
    virtual bool IsPointOverWindow(int x, int y);
    // The developer console's slow auto-rotation.
    virtual bool IsAutoRotateOn();
    // A paused game freezes the camera shake.
    virtual bool IsGamePaused();
};

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
    // World, view, projection and inverse view into the global matrices; applyShake lets an
    // active camera shake lift the view for this frame.
    void BuildMatrices(bool applyShake);

    void UpdateOrbit(float dt);
    void ClampPitch();
    // direction from pitch and yaw.
    void UpdateDirection();
    ViewBounds CheckViewBounds(const Vec3& position, const Vec3& viewDirection);

    void SetContext(CameraContext* newContext);
    CameraContext* GetContext() const { return context; }

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

    CameraContext* context;
};

// The game's camera (the galaxy map and the model viewer hold their own).
extern Camera GameCamera;

// The transforms of the frame, read by effects, meshes, particles and picking.
extern Matrix WorldMatrix;
extern Matrix ViewMatrix;
extern Matrix ProjectionMatrix;
extern Matrix InverseViewMatrix;
