// The model viewer: dragging turns the model within its pitch limits, eight wheel notches zoom
// from one limit to the other, the camera frames models by their kind and never stands further
// back than a radius of 12 allows, a paused GUI stops the turning, and on the screen a shipped
// mesh is drawn inside the viewer's rectangle only, leaving no depth behind.
#include "gui/Button.h"
#include "gui/ModelViewer.h"
#include "gui/Window.h"
#include "interface/PlayerGame.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "platform/Timer.h"
#include "render/AnimLibrary.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/MeshesOnScreen.h"
#include "tests/support/GfxFixture.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "world/Agent.h"
#include "world/Entity.h"
#include "world/Item.h"

#include <cstring>
#include <memory>

namespace {

class ModelViewerTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        mesh.boundsMin = Vec3(-1.0f, 0.0f, -0.5f);
        mesh.boundsMax = Vec3(1.0f, 1.0f, 0.5f);
        entity.mesh = &mesh;
        weapon.mesh = &mesh;
        weapon.kind = ITEM_KIND_WEAPON;
        viewer.SetViewRect(100, 100, 200, 150);
        viewer.SetEntity(&entity);
        // The button laid over the preview drives it.
        over.x = 100;
        over.y = 100;
        over.hoverEnterCallback = ModelViewer::OnMouseCallback;
        over.hoverUserData = reinterpret_cast<intptr_t>(&viewer);
        over.hasHoverUserData = true;
        screen.AddChild(&over);
        manager.AddWindow(&screen);
    }
    // One pass of the mouse over the preview, the left button held or not, moving by (dx, dy),
    // the wheel turned by notches.
    void Move(bool held, int dx, int dy, int notches = 0)
    {
        mouse.down[0] = mouse.previous[0] = held ? 0x80 : 0;
        mouse.stepX = dx;
        mouse.stepY = dy;
        mouse.wheel = notches * WHEEL_DELTA;
        Pass(200, 175);
    }

    IndexedMesh mesh;
    Entity entity;
    Item weapon;
    ModelViewer viewer;
    Window screen{0, 0, 1024, 768, 0, nullptr, 0};
    Button over{nullptr, nullptr, 100, 100, 200, 150, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0};
};

}  // namespace

TEST_F(ModelViewerTest, DraggingTurnsTheModelWithinItsPitchLimits)
{
    const struct {
        int dx, dy, passes;
        bool held;
        float yaw, pitch;
    } steps[] = {
        {5, 4, 5, true, -25.0f, 20.0f},
        {0, 10, 3, true, -25.0f, 30.0f},   // down turns the pitch up, to 30 and no further
        {-4, -10, 10, true, 15.0f, -20.0f},  // up, to -20
        {7, 7, 3, false, 15.0f, -20.0f},   // moving without the button turns nothing
    };
    for (const auto& step : steps) {
        for (int i = 0; i < step.passes; ++i) Move(step.held, step.dx, step.dy);
        EXPECT_FLOAT_EQ(viewer.yaw, step.yaw);
        EXPECT_FLOAT_EQ(viewer.pitch, step.pitch);
    }
    PlayerGame game;
    ScopedGlobal<GameMechanics*> current(TheGame, &game);
    game.boxDragging = true;
    Move(true, 1, 1);
    EXPECT_FALSE(mouse.WasClicked(0)) << "the world does not take the drag for a held button";
    EXPECT_FALSE(game.boxDragging) << "nor for a drag box of its own";

    viewer.turnEnabled = false;
    Move(true, 10, 10);
    EXPECT_FLOAT_EQ(viewer.yaw, 14.0f);
}

TEST_F(ModelViewerTest, EightWheelNotchesZoomFromOneLimitToTheOther)
{
    viewer.SetDistance(2.0f, 0.75f);
    for (int i = 1; i <= 9; ++i) {
        Move(false, 0, 0, -1);
        EXPECT_EQ(mouse.wheel, 0) << "the viewer takes the wheel";
        EXPECT_FLOAT_EQ(viewer.distance, std::min(8.0f, 2.0f + 0.75f * i)) << "notch " << i;
    }
    EXPECT_FLOAT_EQ(viewer.cameraPosition.y, 6.0f);
    EXPECT_FLOAT_EQ(viewer.cameraPosition.z, 8.0f);
    for (int i = 0; i < 8; ++i) Move(false, 0, 0, 1);
    EXPECT_FLOAT_EQ(viewer.distance, 2.0f);

    // Measured from a point above the model's origin (a pilot's seat), zooming keeps to it.
    viewer.cameraOrigin = Vec3(0.0f, 1.5f, 0.0f);
    Move(false, 0, 0, -1);
    EXPECT_FLOAT_EQ(viewer.cameraPosition.y, 1.5f + 0.75f * viewer.distance);
    EXPECT_FLOAT_EQ(viewer.cameraPosition.z, viewer.distance);
    Move(false, 0, 0, 1);
    viewer.cameraOrigin = Vec3();

    viewer.zoomEnabled = false;
    Move(false, 0, 0, -1);
    EXPECT_FLOAT_EQ(viewer.distance, 2.0f);
    EXPECT_EQ(mouse.wheel, -WHEEL_DELTA) << "left to the world";
}

TEST_F(ModelViewerTest, TheCameraFramesAModelByItsKindWithinARadiusOf12)
{
    struct Case {
        const char* what;
        float height;  // of the mesh box, 2 wide and 1 deep
        uint32_t flags;
        bool weaponItem;
        float sizeFactor, offset;
        float distance;
        Vec3 target, camera;
    };
    const Case cases[] = {
        {"a small model: 0.8 of its width", 1.0f, 0, false, 1.0f, 0.0f, 3.2f, Vec3(), Vec3(0, 0, 3.2f)},
        {"a tall one", 5.0f, 0, false, 1.0f, 0.0f, 10.0f, Vec3(), Vec3(0, 0, 10.0f)},
        {"one too tall for the radius", 40.0f, 0, false, 1.0f, 0.0f, 24.0f, Vec3(), Vec3(0, 0, 24.0f)},
        {"grown past the radius", 5.0f, 0, false, 3.0f, 0.0f, 24.0f, Vec3(), Vec3(0, 0, 24.0f)},
        {"an agent of a rigid mesh: aimed at its middle", 1.0f, ENTITY_AGENT, false, 1.0f, 0.5f, 3.2f,
         Vec3(0, 1.0f, 0), Vec3(0, 1.0f, 3.2f)},
        {"an item: seen from above", 1.0f, ENTITY_ITEM, false, 1.0f, 0.0f, 3.2f, Vec3(), Vec3(0, 1.0f, 3.2f)},
        {"a weapon lying about: from its side", 1.0f, ENTITY_ITEM, true, 1.0f, 0.0f, 1.0f, Vec3(),
         Vec3(1.0f, 1.25f, 1.0f)},
        {"fuel: closer and higher", 1.0f, ENTITY_FUEL, false, 1.0f, 0.0f, 2.88f, Vec3(), Vec3(0, 1.296f, 1.584f)},
    };
    for (const Case& c : cases) {
        mesh.boundsMax.y = c.height;
        Entity& shown = c.weaponItem ? weapon : entity;
        shown.flags = c.flags;
        viewer.SetEntity(&shown);
        viewer.FitCamera(-1, c.sizeFactor, c.offset);
        EXPECT_NEAR(viewer.distance, c.distance, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.minDistance, 0.5f * c.distance, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.maxDistance, 1.5f * c.distance, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.cameraTarget.y, c.target.y, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.cameraPosition.x, c.camera.x, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.cameraPosition.y, c.camera.y, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.cameraPosition.z, c.camera.z, 1e-4f) << c.what;
        EXPECT_FLOAT_EQ(viewer.heightFactor, 0.0f);
    }
}

TEST_F(ModelViewerTest, ARigWithItsPilotIsFramedHigherAndASmallOneFromFurtherBack)
{
    // The rigid 2 x 1 x 1 box: aimed at its middle (0.5 up) from 2 x 1.6 away.
    struct Case {
        const char* what;
        const char* name;
        bool pilot;
        float targetY, distance;
    };
    const Case cases[] = {
        {"a walker without a pilot", "Builder", false, 0.5f, 3.2f},
        {"the rig with its pilot", "Builder", true, 1.25f, 3.2f},
        {"a small rig", "Rig_Small", true, 1.25f, 3.84f},
        {"a small walker without a pilot", "Rig_Small", false, 0.5f, 3.2f},
    };
    for (const Case& c : cases) {
        Agent rig;
        rig.mesh = &mesh;
        CopyText(rig.name, sizeof rig.name, c.name);
        Entity pilot;
        if (c.pilot) rig.AddAttachment(&pilot, "pilot", "pilot");
        viewer.SetEntity(&rig);
        viewer.FitCamera(-1, 1.0f, 0.0f);
        EXPECT_NEAR(viewer.cameraTarget.y, c.targetY, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.distance, c.distance, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.cameraPosition.y, c.targetY, 1e-4f) << c.what;
        EXPECT_NEAR(viewer.cameraPosition.z, c.distance, 1e-4f) << c.what;
        rig.RemoveAttachment("pilot");
        rig.mesh = nullptr;
        viewer.SetEntity(&entity);
    }
}

TEST_F(ModelViewerTest, APausedGuiStopsTheTurningAndNoModelShowsOnlyThePictures)
{
    ScopedGlobal<bool> paused(GamePaused, true);
    ScopedGlobal<float> delta(FrameTimer.delta, 0.05f);
    viewer.autoTurn = true;
    viewer.SetBackground("data/gui/blue.dds");
    viewer.SetFrame("data/gui/wframe_black.dds");
    viewer.Draw();
    EXPECT_FLOAT_EQ(viewer.yaw, 0.0f);
    GamePaused = false;
    viewer.Draw();
    EXPECT_FLOAT_EQ(viewer.yaw, 1.5f) << "30 degrees a second";

    viewer.SetEntity(nullptr);
    painter.Clear();
    viewer.Draw();
    ASSERT_EQ(painter.quads.size(), 2u);
    EXPECT_EQ(painter.quads[0].sprite, viewer.background);
    EXPECT_EQ(painter.quads[0].left, 100);
    EXPECT_EQ(painter.quads[0].right, 300);
    EXPECT_EQ(painter.quads[1].sprite, viewer.frame);
    EXPECT_EQ(painter.quads[1].left, 98) << "the frame a little larger";
    EXPECT_EQ(painter.quads[1].bottom, 252);
    EXPECT_FLOAT_EQ(viewer.yaw, 1.5f);
}

namespace {

// The viewer on the device of a window of its own, with the shipped meshes, effects and
// textures.
class ModelViewerOnScreen : public MeshesOnScreen {
protected:
    static constexpr int kWidth = 400, kHeight = 300;
    static constexpr int kLeft = 120, kTop = 70, kRight = 280, kBottom = 190;
    static constexpr uint32_t kMagenta = 0xFFFF00FF;

    ModelViewerOnScreen() : MeshesOnScreen(kWidth, kHeight) {}
    // A frame of the GUI pass with the viewer in it, over a magenta screen; then, when asked,
    // a far full-screen quad drawn with the depth test, as 3D drawn after the GUI would be.
    Pixels Frame(ModelViewer& viewer, bool farQuadAfter)
    {
        Graphics->Clear(7, 1.0f, 0.0f, 1.0f, 1.0f);
        Graphics->BeginScene();
        Graphics->Begin2D();
        viewer.Draw();
        Graphics->End2D();
        if (farQuadAfter) {
            GfxDevice* device = Graphics->device;
            Graphics->SetProgram(nullptr);
            UseVertexColour(device);
            device->SetTexture(0, nullptr);
            device->SetRenderState(RS_ZENABLE, 1);
            device->SetRenderState(RS_ALPHABLENDENABLE, 0);
            DrawScreenQuad(device, 0, 0, kWidth, kHeight, 0xFF00FF00, 0.999f);
        }
        Pixels shot = ReadBackBuffer(Graphics->device);
        Graphics->Present();
        return shot;
    }

};

}  // namespace

TEST_F(ModelViewerOnScreen, AMeshIsDrawnInsideTheRectangleOnlyAndLeavesNoDepthBehind)
{
    IndexedMesh* walker = TheMeshLibrary->GetMesh("walker.txt", 0, true, false);
    ASSERT_NE(walker, nullptr);
    ASSERT_TRUE(walker->IsAnimated());
    Entity bot;
    bot.mesh = walker;
    ModelViewer viewer;
    viewer.SetViewRect(kLeft, kTop, kRight - kLeft, kBottom - kTop);
    viewer.SetEntity(&bot);
    viewer.yaw = 30.0f;
    // Close enough that the model would spill out of the rectangle.
    viewer.SetDistance(2.2f, 0.4f);

    const Matrix standing = bot.world;
    Pixels shot = Frame(viewer, false);
    ASSERT_EQ(shot.width, kWidth);
    EXPECT_EQ(memcmp(&standing, &bot.world, sizeof(Matrix)), 0) << "the entity stands as it stood";
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            bool drawn = (shot.At(x, y) & 0xFFFFFF) != (kMagenta & 0xFFFFFF);
            bool within = x >= kLeft && x < kRight && y >= kTop && y < kBottom;
            (within ? inside : outside) += drawn;
        }
    EXPECT_EQ(outside, 0) << "nothing of the model outside its rectangle";
    EXPECT_GT(inside, (kRight - kLeft) * (kBottom - kTop) / 5) << "the model fills a good part of it";
    // It touches the rectangle's edges: the rectangle, not the model, ends the picture.
    int topRow = 0;
    for (int x = kLeft; x < kRight; ++x) topRow += (shot.At(x, kTop) & 0xFFFFFF) != (kMagenta & 0xFFFFFF);
    EXPECT_GT(topRow, 0);
    EXPECT_TRUE(MatchesReference(CropPixels(shot, kLeft, kTop, kRight, kBottom), "model_viewer_walker",
                                 PictureTolerance{2, 4}));

    // Whatever is drawn in 3D after the GUI is not hidden behind the preview's model.
    Pixels after = Frame(viewer, true);
    int green = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) green += Near(after.At(x, y) | 0xFF000000, 0xFF00FF00, 2);
    EXPECT_EQ(green, kWidth * kHeight);
}
