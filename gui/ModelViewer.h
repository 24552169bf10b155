#pragma once
// One entity of the world turning as a 3D model inside a rectangle of a screen (a unit, a
// building, the player's rig): its own camera, light and ambient colour, a picture behind the
// model and a frame over it. The player turns it by dragging and zooms it with the wheel,
// through a button laid over the preview whose hover callback is OnMouseCallback.
//
// The viewer draws inside the GUI pass: it keeps the world's matrices, viewport, light and
// ambient, draws the entity into its rectangle (its depth never reaches beyond it), and puts
// everything back, the entity's own place and turn too, leaving the device in the 2D state.
#include "gui/Window.h"
#include "host/Maths.h"

#include <functional>

class Button;
class Entity;
class Sprite;

class Agent;

class ModelViewer : public Window {
public:
    // A W/8 x H/6 rectangle with nothing to show; the camera looks at (0, 1, 0).
    ModelViewer();
    ~ModelViewer() override;

    // The background, the model in its rectangle, the frame; then the 2D state again. The
    // window's own quads and children are not drawn.
    void Draw() override;
    // A model shown moves (it turns, its animation plays).
    bool Animates() const override;

    // The rectangle on the screen; the model turns from the front again, 30 degrees a second.
    void SetViewRect(int atX, int atY, int w, int h);
    // The camera stands distance in front of the model and heightFactor x distance up (a
    // factor of 0 or less keeps the one it has), measured from cameraOrigin.
    void SetDistance(float newDistance, float newHeightFactor);
    // An ambient colour of the viewer's own instead of the world's.
    void SetAmbient(float r, float g, float b, float a);
    // The entity to show (null: none); its owner keeps it alive while the viewer shows it.
    void SetEntity(Entity* shown) { entity = shown; }
    // Shows the Scene's template of that name (primitives.cgs); false, showing nothing, when the
    // Scene has none.
    bool SetModelByName(const char* templateName);
    // The picture behind the model, over the rectangle; the frame over it, a little larger.
    void SetBackground(const char* texture);
    void SetFrame(const char* texture);
    // Frames the model: aims at the middle of it (or at a bone of it), stands back far enough to
    // see it whole (a radius of at most 12) and lets the wheel zoom between half and one and a
    // half times that distance.
    void FitCamera(int bone, float sizeFactor, float verticalOffset);
    // Frames a rig whole, its chassis with every part on its bone in the bind pose (body,
    // canopy, pilot, arms), about the middle of that box and distanceFactor times its radius
    // away; the rig is drawn at the viewer's own place, wherever it stands.
    void FitWholeRig(Agent* rig, float distanceFactor);
    // The entity's box in the world: its mesh's, widened by its attachments', scaled and moved to
    // where it stands. False without a mesh.
    static bool GetEntityBounds(Entity* shown, Vec3* min, Vec3* max);
    // The hover callback of the button over the preview (its hover user value is the viewer):
    // dragging with the left button turns the model, the wheel zooms.
    static int OnMouseCallback(void* user, Button* button);

    int viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
    char name[32] = "none";
    Entity* entity = nullptr;
    Sprite* background = nullptr;
    Sprite* frame = nullptr;
    float distance = 0.0f;
    float yaw = 0.0f, pitch = 0.0f;  // degrees
    float turnSpeed = 0.0f;          // degrees per second
    Vec3 modelOffset;
    Vec3 cameraPosition;
    // Where SetDistance measures from: the origin, or a point of a model whose part of interest
    // stands above its own origin.
    Vec3 cameraOrigin;
    Vec3 cameraTarget = Vec3(0.0f, 1.0f, 0.0f);
    Vec3 lightDirection = Vec3(-0.6f, -1.0f, -0.4f);
    float ambient[4] = {0.35f, 0.35f, 0.35f, 1.0f};
    float heightFactor = 0.75f;
    float minDistance = 2.0f, maxDistance = 8.0f;
    float minPitch = -20.0f, maxPitch = 30.0f;
    bool captureWhileDragging = false;
    bool zoomEnabled = true;
    bool turnEnabled = true;
    bool ownAmbient = false;
    bool autoTurn = false;
    // The preview clears the depth of its own rectangle before and after it draws. A screen that
    // clears the whole target's depth itself before the preview, and draws nothing with depth
    // after it, turns this off: a clear of part of a target costs the software renderer a draw.
    bool clearsDepth = true;
    // Called just before the entity is drawn, with the transform from its model to clip space
    // and the rectangle it is drawn in: a screen that knows what will cover it may trim it.
    std::function<void(const Matrix& modelToClip, const Viewport& viewport)> beforeDraw;

private:
    void Render();
    void DrawEntity(float dt);
};
