// The camera driven by scripted keyboard and mouse state. Expected positions are worked out
// by hand: the test camera looks 60 degrees down toward -z, so its direction is
// (0, -0.8660254, -0.5), "forward" on the ground is -z and "left" is +x.
#include "render/Camera.h"

#include "host/GfxDevice.h"
#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "platform/Timer.h"
#include "render/GraphicsDevice.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/ScopedGameSeam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

void ExpectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// The world the camera looks at, staged by each test: the ground it hits, the selection, the
// HUD's follow button, the windows and the pause.
class FakeGame : public NullGameSeam {
public:
    bool IntersectTerrain(const Vec3&, const Vec3&, Vec3* hit) override
    {
        if (hasTerrain) *hit = terrainHit;
        return hasTerrain;
    }
    Entity* GetFirstSelected() override { return selected ? reinterpret_cast<Entity*>(&unit) : nullptr; }
    bool IsAgent(Entity*) override { return agent; }
    Vec3 GetEntityCenter(Entity*) override { return centre; }
    Vec3 GetFollowPoint(Entity*) override { return followPoint; }
    void SetFollowButton(bool on) override
    {
        button = on;
        ++buttonCalls;
    }
    bool IsTextEntryActive() override { return textEntry; }
    bool IsTextInputFocused() override { return textWindow; }
    bool IsPointOverWindow(int, int) override { return overWindow; }
    bool IsGamePaused() override { return paused; }
    float GetCoveredBottomShare() override { return coveredBottom; }

    float coveredBottom = 0.0f;
    bool hasTerrain = false, selected = false, agent = false, button = false;
    bool textEntry = false, textWindow = false, overWindow = false, paused = false;
    int buttonCalls = 0;
    int unit = 0;
    Vec3 terrainHit, centre, followPoint;
};

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogCaptureBegin();
        config = new ConfigFile(nullptr);
        LogCaptureEnd();
        config->width = 1024;
        config->height = 768;
        config->scrollSpeed = 30;
        config->zoomSpeed = 20;
        config->minZoom = 20;
        config->maxZoom = 75;
        config->near = 0.1f;
        config->far = 500;
        config->middleMousePans = true;
        config->smoothZoom = true;
        Config = config;
        Input.keyboard = &keyboard;
        Input.mouse = &mouse;
        mouse.cursorX = 512;
        mouse.cursorY = 384;
        seam = std::make_unique<ScopedGameSeam>(&context);
    }
    void TearDown() override
    {
        seam.reset();
        Input = InputState();
        Config = nullptr;
        delete config;
    }

    // A camera at eye looking 60 degrees down toward -z, over the fake game.
    Camera Placed(const Vec3& eye)
    {
        Camera camera;
        camera.eye = eye;
        camera.pitch = -1.0471976f;
        camera.yaw = 3.1415927f;
        camera.UpdateDirection();
        camera.target = eye + camera.direction;
        return camera;
    }

    void Hold(int key, bool down = true) { keyboard.state[key] = down ? 0x80 : 0; }

    // Where the view ray meets the plane y = 1: the point the camera orbits.
    static Vec3 GroundPoint(const Camera& camera)
    {
        Vec3 g;
        EXPECT_TRUE(IntersectRayPlane(camera.eye, camera.direction, Vec3(0, 1, 0), 1.0f, &g));
        return g;
    }

    ConfigFile* config = nullptr;
    KeyboardDevice keyboard;
    MouseDevice mouse;
    FakeGame context;
    std::unique_ptr<ScopedGameSeam> seam;
};

}  // namespace

TEST_F(CameraTest, TiltStopsAtItsLimits)
{
    Camera camera = Placed(Vec3(0, 41, 20));
    const Vec3 ground(0, 1, 20 - 40 / 0.8660254f * 0.5f);  // (0, 1, -3.094)
    Hold(DIK_LCONTROL);
    Hold(DIK_UP);
    for (int i = 0; i < 40; ++i) camera.Update(0.05f);
    EXPECT_FLOAT_EQ(camera.pitch, Camera::PITCH_HIGHEST);
    EXPECT_NEAR(camera.direction.y, -0.70710678f, 1e-6f);
    ExpectNear(GroundPoint(camera), ground);  // turned about the ground point, not scrolled
    EXPECT_NEAR(camera.eye.z - camera.target.z, -camera.direction.z, 1e-5f);

    Hold(DIK_LCONTROL, false);
    Hold(DIK_UP, false);
    Hold(DIK_NEXT);  // Page Down needs no Control
    for (int i = 0; i < 40; ++i) camera.Update(0.05f);
    EXPECT_FLOAT_EQ(camera.pitch, Camera::PITCH_LOWEST);
}

TEST_F(CameraTest, ScreenEdgesAndArrowsScroll)
{
    // Scroll speed 30 plus the eye height 40, for 0.1 s: 7 units.
    struct Case {
        int cursorX, cursorY, key;
        Vec3 expected;
        const char* what;
    };
    const Case cases[] = {
        {0, 0, 0, Vec3(7, 40, 13), "top-left corner: forward and left at once"},
        {1023, 767, 0, Vec3(-7, 40, 27), "bottom-right corner: back and right"},
        {512, 384, DIK_LEFT, Vec3(7, 40, 20), "left arrow"},
        {512, 384, DIK_UP, Vec3(0, 40, 13), "up arrow"},
        {512, 384, 0, Vec3(0, 40, 20), "nothing"},
    };
    for (const Case& c : cases) {
        Camera camera = Placed(Vec3(0, 40, 20));
        mouse.cursorX = c.cursorX;
        mouse.cursorY = c.cursorY;
        if (c.key) Hold(c.key);
        camera.Update(0.1f);
        if (c.key) Hold(c.key, false);
        ExpectNear(camera.eye, c.expected);
        ExpectNear(camera.target, camera.eye + camera.direction);
    }
}

TEST_F(CameraTest, MapEdgeStopsOneAxisOnly)
{
    // From 40 up the screen's corners reach 32.69 units to either side of the eye.
    Camera camera = Placed(Vec3(125, 40, 20));
    mouse.cursorX = 0;
    mouse.cursorY = 0;
    camera.Update(0.1f);  // x would show ground up to 164.69, past the edge at 160: it stops there
    ExpectNear(camera.eye, Vec3(160 - 32.69f, 40, 13), 1e-2f);
}

TEST_F(CameraTest, OutsideTheMapMayOnlyMoveBackInward)
{
    Camera camera = Placed(Vec3(170, 40, 20));  // 10 past the edge
    Hold(DIK_RIGHT);                              // toward -x
    camera.Update(0.1f);
    EXPECT_NEAR(camera.eye.x, 163.0f, 1e-3f);
    Hold(DIK_RIGHT, false);
    Hold(DIK_LEFT);
    camera.Update(0.1f);
    EXPECT_NEAR(camera.eye.x, 163.0f, 1e-3f);
}

TEST_F(CameraTest, ViewBoundsPerAxis)
{
    // What counts is the ground the screen shows. From 40 up, 60 degrees down, toward -z, the
    // screen's corners meet the ground 32.69 units to either side of the eye and from 5.27 to
    // 52.13 units ahead of it.
    Camera camera = Placed(Vec3(0, 40, 0));
    struct Case {
        Vec3 eye;
        float yaw;
        bool inX, inZ;
        float overX, overZ;
        const char* what;
    };
    const Case cases[] = {
        {Vec3(0, 40, 0), 3.1415927f, true, true, 0, 0, "the middle of the map"},
        {Vec3(130, 40, 0), 3.1415927f, false, true, 2.69f, 0, "the left of the screen past the edge"},
        {Vec3(-130, 40, 0), 3.1415927f, false, true, -2.69f, 0, "the right of the screen past the edge"},
        {Vec3(0, 40, -110), 3.1415927f, true, false, 0, -2.13f, "the top of the screen past the edge"},
        {Vec3(0, 40, 170), 3.1415927f, true, false, 0, 4.73f, "the bottom of the screen past the edge"},
        {Vec3(0, 40, 165), 3.1415927f, true, true, 0, 0, "the eye past the edge, looking at the map"},
        {Vec3(0, 40, -165), 0.0f, true, true, 0, 0, "turned round, looking in from the other edge"},
        {Vec3(0, 40, 110), 0.0f, true, false, 0, 2.13f, "turned round, looking out"},
    };
    for (const Case& c : cases) {
        camera.yaw = c.yaw;
        camera.UpdateDirection();
        ViewBounds b = camera.CheckViewBounds(c.eye, camera.direction);
        EXPECT_EQ(b.inX, c.inX) << c.what;
        EXPECT_EQ(b.inZ, c.inZ) << c.what;
        EXPECT_NEAR(b.overX, c.overX, 1e-2f) << c.what;
        EXPECT_NEAR(b.overZ, c.overZ, 1e-2f) << c.what;
    }
}

TEST_F(CameraTest, ScrolledBackTheMapsEdgeComesAboveTheHudAtEveryZoom)
{
    // The HUD's bottom bar covers the lowest 22% of the screen. Scrolled back as far as it goes,
    // the map's edge behind the camera comes to the bar's top, zoomed in or out and whichever
    // edge the camera turns its back on; with no HUD, to the screen's lower edge.
    struct Case {
        float distance, yaw, covered;
        const char* what;
    };
    const Case cases[] = {
        {20, 3.1415927f, 0.22f, "zoomed in, the bottom edge"},
        {75, 3.1415927f, 0.22f, "zoomed out, the bottom edge"},
        {20, 0.0f, 0.22f, "zoomed in, turned round to the top edge"},
        {75, 3.1415927f, 0.0f, "no HUD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        context.coveredBottom = c.covered;
        Camera camera = Placed(Vec3(0, 41, 20));
        camera.yaw = c.yaw;
        camera.UpdateDirection();
        camera.eye = Vec3(0, 1, 0) - camera.direction * c.distance;
        Hold(DIK_DOWN);
        Vec3 last;
        for (int i = 0; i < 200 && !(i > 0 && last.z == camera.eye.z); ++i) {
            last = camera.eye;
            camera.Update(0.1f);
        }
        Hold(DIK_DOWN, false);
        camera.BuildMatrices();
        // The middle of the edge on the ground lies on the bar's top row.
        const Vec3 edge = ProjectToScreen(Vec3(camera.eye.x, 0.0f, c.yaw == 0.0f ? -160.0f : 160.0f));
        EXPECT_NEAR(edge.y, 768.0f * (1.0f - c.covered), 1.0f);
    }
}

TEST_F(CameraTest, TurningAndZoomingNearTheEdgeBackAway)
{
    // Each starts with the view just inside the +x edge and ends with it still inside.
    struct Case {
        int key;
        bool control;
        int wheel;
        const char* what;
    };
    const Case cases[] = {
        {0, false, -WHEEL_DELTA, "zooming out"},
        {DIK_LEFT, true, 0, "turning"},
        {DIK_PRIOR, false, 0, "tilting flatter"},
    };
    for (const Case& c : cases) {
        Camera camera = Placed(Vec3(126, 41, 20));
        ASSERT_TRUE(camera.CheckViewBounds(camera.eye, camera.direction).inX);
        if (c.key) Hold(c.key);
        if (c.control) Hold(DIK_LCONTROL);
        for (int i = 0; i < 20; ++i) {
            mouse.wheel = c.wheel;
            camera.Update(0.05f);
        }
        if (c.key) Hold(c.key, false);
        Hold(DIK_LCONTROL, false);
        ViewBounds b = camera.CheckViewBounds(camera.eye, camera.direction);
        EXPECT_TRUE(b.inX && b.inZ) << c.what;
        ExpectNear(camera.target, camera.eye + camera.direction);
    }
}

TEST_F(CameraTest, SmoothZoomSpreadsANotchOverFrames)
{
    Camera camera = Placed(Vec3(0, 41, 20));
    const float start = 40 / 0.8660254f;  // eye to the ground point
    mouse.wheel = WHEEL_DELTA;
    // 20 units per second for 0.025 s: 0.5 per frame until the notch's 2.0 are used up.
    for (int frame = 1; frame <= 6; ++frame) {
        camera.Update(0.025f);
        mouse.wheel = 0;
        float moved = frame < 4 ? 0.5f * frame : 2.0f;
        EXPECT_NEAR(camera.distance, start - moved, 1e-3f) << "frame " << frame;
    }
    EXPECT_EQ(camera.zoomVelocity, 0.0f);
}

TEST_F(CameraTest, ZoomStopsAtItsLimits)
{
    Camera camera = Placed(Vec3(0, 41, 20));
    const Vec3 ground = GroundPoint(camera);
    for (int i = 0; i < 200; ++i) {
        mouse.wheel = WHEEL_DELTA;
        camera.Update(0.1f);
    }
    Vec3 toGround = camera.eye - ground;
    EXPECT_NEAR(Vec3Length(&toGround), 20.0f, 1e-3f);

    config->smoothZoom = false;
    mouse.wheel = -WHEEL_DELTA;
    camera.Update(0.1f);
    EXPECT_NEAR(camera.distance, 22.0f, 1e-3f);  // one notch, 2 units at once
    for (int i = 0; i < 100; ++i) camera.Update(0.1f);
    EXPECT_NEAR(camera.distance, 75.0f, 1e-3f);
    ExpectNear(GroundPoint(camera), ground);
}

TEST_F(CameraTest, WheelOverAWindowOrWithTheMiddleButtonDoesNotZoom)
{
    for (int which = 0; which < 2; ++which) {
        Camera camera = Placed(Vec3(0, 41, 20));
        context.overWindow = which == 0;
        mouse.down[2] = which == 1 ? 0x80 : 0;
        mouse.wheel = WHEEL_DELTA;
        for (int i = 0; i < 10; ++i) camera.Update(0.1f);
        EXPECT_NEAR(camera.distance, 40 / 0.8660254f, 1e-3f) << which;
    }
}

TEST_F(CameraTest, MiddleButtonPansOrRotates)
{
    Camera camera = Placed(Vec3(0, 40, 20));
    mouse.down[2] = 0x80;
    mouse.cursorX = 500;
    mouse.cursorY = 300;
    mouse.stepX = 10;
    mouse.stepY = 10;
    camera.Update(0.1f);  // 0.1 per pixel, not scaled by the frame time
    ExpectNear(camera.eye, Vec3(1, 40, 19));
    EXPECT_EQ(mouse.cursorX, 490);
    EXPECT_EQ(mouse.cursorY, 290);

    config->middleMousePans = false;
    camera = Placed(Vec3(0, 41, 20));
    const Vec3 ground = GroundPoint(camera);
    mouse.cursorX = 500;
    mouse.stepX = 20;
    mouse.stepY = 0;
    camera.Update(0.1f);  // yaw -= 0.5 x 20 x 0.1
    EXPECT_NEAR(camera.yaw, 3.1415927f - 1.0f, 1e-5f);
    ExpectNear(GroundPoint(camera), ground);
    EXPECT_EQ(mouse.cursorX, 500);
}

TEST_F(CameraTest, TextEntryKeepsTheKeys)
{
    Camera camera = Placed(Vec3(0, 40, 20));
    context.textEntry = true;
    Hold(DIK_UP);
    Hold(DIK_PRIOR);
    camera.Update(0.1f);
    ExpectNear(camera.eye, Vec3(0, 40, 20));
    EXPECT_FLOAT_EQ(camera.pitch, -1.0471976f);

    // A text window holding the keyboard takes the arrows but not Page Up.
    context.textEntry = false;
    context.textWindow = true;
    camera.Update(0.1f);
    EXPECT_NEAR(camera.eye.z, 20.0f, 1e-4f);
    EXPECT_NEAR(camera.pitch, -1.0471976f + 0.2f, 1e-5f);
}

TEST_F(CameraTest, FollowingAUnitUntilItIsGone)
{
    Camera camera = Placed(Vec3(0, 41, 20));
    camera.SetFollow(true, true);  // nothing selected
    EXPECT_FALSE(camera.follow);
    EXPECT_FALSE(context.button);

    context.selected = true;
    camera.SetFollow(true, false);  // a building cannot be followed
    EXPECT_FALSE(camera.follow);
    EXPECT_EQ(context.buttonCalls, 1);

    context.agent = true;
    context.centre = Vec3(10, 0, 10);
    context.followPoint = Vec3(10, 2, 10);
    camera.SetFollow(true, true);
    EXPECT_TRUE(camera.follow);
    EXPECT_TRUE(context.button);
    camera.Update(0.1f);
    // Distance to the follow point: |(10, -39, -10)| = sqrt(1721).
    const float d = std::sqrt(1721.0f);
    EXPECT_NEAR(camera.distance, d, 1e-3f);
    ExpectNear(camera.eye, Vec3(10, 0.8660254f * d, 10 + 0.5f * d));

    context.selected = false;  // the unit died
    camera.Update(0.1f);
    EXPECT_FALSE(camera.follow);
    EXPECT_FALSE(context.button);
}

TEST_F(CameraTest, ResetOrientationLooksAtTheGroundAgain)
{
    Camera camera = Placed(Vec3(0, 41, 20));
    camera.ResetOrientation();  // no terrain: the plane y = 0, 41 / 0.8660254 = 47.3427 away
    EXPECT_EQ(camera.yaw, -3.14f);
    EXPECT_NEAR(camera.distance, 47.34273f, 1e-3f);
    ExpectNear(camera.eye + camera.direction * camera.distance, Vec3(0, 0, 20 - 0.5f * 47.34273f));
    ExpectNear(camera.target, camera.eye + camera.direction);

    context.hasTerrain = true;
    context.terrainHit = Vec3(5, 3, 5);
    camera = Placed(Vec3(0, 41, 20));
    camera.ResetOrientation();
    EXPECT_NEAR(camera.distance, std::sqrt(1694.0f), 1e-3f);
    ExpectNear(camera.eye + camera.direction * camera.distance, Vec3(5, 3, 5));

    camera = Placed(Vec3(0, 41, 20));
    camera.follow = true;
    camera.ResetOrientation();  // following: only the orientation changes
    ExpectNear(camera.eye, Vec3(0, 41, 20));
    EXPECT_EQ(camera.distance, 43.149677f);
}

TEST_F(CameraTest, MatricesOfTheView)
{
    Camera camera = Placed(Vec3(0, 10, -10));
    camera.target = Vec3(0, 0, 0);
    camera.aspect = 4.0f / 3.0f;
    camera.BuildMatrices();
    const float h = 0.70710678f;
    const Matrix view(1, 0, 0, 0, 0, h, -h, 0, 0, h, h, 0, 0, 0, 14.142136f, 1);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(ViewMatrix.m[r][c], view.m[r][c], 1e-5f) << r << c;
            EXPECT_EQ(WorldMatrix.m[r][c], r == c ? 1.0f : 0.0f);
        }
    EXPECT_NEAR(ProjectionMatrix._11, 1.8106602f, 1e-5f);
    EXPECT_NEAR(ProjectionMatrix._22, 2.4142136f, 1e-5f);
    EXPECT_NEAR(ProjectionMatrix._33, 500 / 499.9f, 1e-5f);
    EXPECT_NEAR(ProjectionMatrix._43, -0.1f * 500 / 499.9f, 1e-6f);
    EXPECT_EQ(ProjectionMatrix._34, 1.0f);
    ExpectNear(Vec3(InverseViewMatrix._41, InverseViewMatrix._42, InverseViewMatrix._43), camera.eye, 1e-4f);
}

TEST_F(CameraTest, ShakeLiftsTheViewAndFades)
{
    Camera camera = Placed(Vec3(0, 10, -10));
    camera.target = Vec3(0, 0, 0);
    ScopedGlobal<float> delta(FrameTimer.delta);
    // A frame as the main loop makes it: the view at rest, the shake stepped, the picture lifted
    // while it is drawn. The height the picture is seen from.
    auto frame = [&] {
        camera.BuildMatrices();
        StepCameraShake();
        const ShakenView shaken;
        return InverseViewMatrix._42;
    };

    // Duration 0.2, amplitude 0.4, frequency 0: after a 0.1 s frame the lift is
    // (0.4 +- 0.1) x (0.1 / 0.2)^2 = 0.075 .. 0.125.
    StartCameraShake(0.2f, 0.4f, 0.0f);
    FrameTimer.delta = 0.1f;
    const float lifted = frame();
    EXPECT_FLOAT_EQ(ActiveCameraShake.remaining, 0.1f);
    EXPECT_GE(lifted, 10.075f - 1e-4f);
    EXPECT_LE(lifted, 10.125f + 1e-4f);
    EXPECT_NEAR(InverseViewMatrix._42, 10.0f, 1e-4f) << "the view at rest comes back after the picture";
    EXPECT_EQ(camera.eye.y, 10.0f);

    context.paused = true;  // frozen while paused
    frame();
    EXPECT_FLOAT_EQ(ActiveCameraShake.remaining, 0.1f);
    context.paused = false;

    FrameTimer.delta = 5.0f;  // a long frame counts as 0.1: the shake ends with no lift
    EXPECT_NEAR(frame(), 10.0f, 1e-4f);
    EXPECT_EQ(ActiveCameraShake.remaining, 0.0f);

    StartCameraShake(0.0f, 0.4f, 1.0f);  // nothing to shake, nothing to divide
    EXPECT_NEAR(frame(), 10.0f, 1e-4f);
    StopCameraShake();
}

TEST(PickRay, ThroughTheScreen)
{
    LogCaptureBegin();
    ConfigFile config(nullptr);
    LogCaptureEnd();
    config.width = 800;
    config.height = 600;
    ScopedGlobal<ConfigFile*> configured(Config, &config);
    ScopedGlobal<Matrix> view(ViewMatrix);
    ScopedGlobal<Matrix> projection(ProjectionMatrix);

    // Eye at the origin looking along +z: the centre pixel looks straight ahead and the
    // top-left pixel tan(22.5 degrees) up and that x 4/3 to the left.
    MatrixIdentity(&ViewMatrix);
    Vec3 nearPoint, farPoint;
    ASSERT_TRUE(BuildPickRay(400, 300, &nearPoint, &farPoint));
    ExpectNear(nearPoint, Vec3(0, 0, 1), 1e-4f);
    ExpectNear(farPoint, Vec3(0, 0, 4000), 1e-2f);
    ASSERT_TRUE(BuildPickRay(0, 0, &nearPoint, &farPoint));
    ExpectNear(nearPoint, Vec3(-0.55228475f, 0.41421356f, 1), 1e-4f);

    // The projection of the same camera takes the far point back to the corner pixel.
    MatrixPerspectiveFovLH(&ProjectionMatrix, 0.7853982f, 800.0f / 600.0f, 0.1f, 5000.0f);
    Vec3 screen = ProjectToScreen(farPoint);
    EXPECT_NEAR(screen.x, 0.0f, 1e-2f);
    EXPECT_NEAR(screen.y, 0.0f, 1e-2f);

    // From (0, 10, -10) looking at the origin the centre ray runs down at 45 degrees.
    Vec3 eye(0, 10, -10), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&ViewMatrix, &eye, &at, &up);
    ASSERT_TRUE(BuildPickRay(400, 300, &nearPoint, &farPoint));
    ExpectNear(nearPoint, Vec3(0, 10 - 0.70710678f, -10 + 0.70710678f), 1e-4f);
}

// The device draws what the camera sees: after the 2D overlay put its own projection on the
// device, building the camera's matrices puts the world, the view and the perspective back,
// so particles and fixed-function meshes land where the effects draw.
class CameraOnDevice : public RenderTest {};

TEST_F(CameraOnDevice, BuildingTheMatricesPutsThemOnTheDevice)
{
    GfxDevice* device = graphics->device;
    graphics->Begin2D();
    graphics->End2D();
    Camera camera;
    camera.eye = Vec3(0, 10, -10);
    camera.target = Vec3(0, 0, 0);
    camera.aspect = (float)kScreenWidth / kScreenHeight;
    camera.BuildMatrices();
    struct {
        TransformStateType state;
        const Matrix* expected;
    } transforms[] = {{TS_WORLD, &WorldMatrix}, {TS_VIEW, &ViewMatrix}, {TS_PROJECTION, &ProjectionMatrix}};
    for (const auto& t : transforms) {
        Matrix onDevice;
        ASSERT_EQ(device->GetTransform(t.state, &onDevice), GFX_OK);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(onDevice.m[r][c], t.expected->m[r][c]) << t.state << r << c;
    }
    // The perspective is the screen's shape: a wide screen does not stretch the world.
    EXPECT_NEAR(ProjectionMatrix._22 / ProjectionMatrix._11, (float)kScreenWidth / kScreenHeight, 1e-5f);
}
