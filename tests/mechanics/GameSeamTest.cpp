// The game's side of the seam, as the engine sees it: particles and the camera shake stand while
// the game is paused, keys typed into a window are neither hotkeys nor camera moves, the wheel
// over a window leaves the camera alone, and only a level in play counts as playing.
#include "interface/GameSeamImpl.h"

#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "mechanics/GameMechanics.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/ParticleManager.h"
#include "terrain/Minimap.h"
#include "tests/support/Scoped.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

int Runs = 0;
void CountRun() { ++Runs; }

class GameSeamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogCaptureBegin();
        config = std::make_unique<ConfigFile>(nullptr);
        LogCaptureEnd();
        config->width = 1024;
        config->height = 768;
        mouse.cursorX = 512;
        mouse.cursorY = 384;
        // No level stands: the fog an earlier test's level left hides nothing here.
        TheMinimap.fog.Free();
    }

    // A camera over the middle of the map looking down toward -z.
    static Camera Placed()
    {
        Camera camera;
        camera.eye = Vec3(0, 40, 20);
        camera.UpdateDirection();
        camera.target = camera.eye + camera.direction;
        return camera;
    }

    GameSeamImpl game;
    ScopedGameSeam seam{&game};
    ScopedGlobal<bool> paused{GamePaused, false};
    std::unique_ptr<ConfigFile> config;
    ScopedGlobal<ConfigFile*> configured{Config};
    WindowManager windows;
    ScopedGlobal<WindowManager*> windowManager{WindowMgr, &windows};
    KeyboardDevice keyboard;
    MouseDevice mouse;
    ScopedGlobal<KeyboardDevice*> keys{Input.keyboard, &keyboard};
    ScopedGlobal<MouseDevice*> pointer{Input.mouse, &mouse};
    ScopedGlobal<float> delta{FrameTimer.delta, 0.1f};
};

TEST_F(GameSeamTest, ParticlesAndTheCameraShakeStandWhileTheGameIsPaused)
{
    Config = config.get();
    ParticleManager manager;
    manager.ReleaseTemplates();
    std::string path = MakeTempFolder("seam-particles") + "/glow.txt";
    ASSERT_TRUE(WriteTextFile(path, "PARTICLE glow\nRATE 10 RATE_Change 0 LIFETIME 10\nEND_PARTICLE\n"));
    ASSERT_NE(manager.LoadTemplate(path.c_str()), nullptr);
    ParticleSystem* system = manager.SpawnSystem("glow");
    ASSERT_NE(system, nullptr);

    GamePaused = true;
    for (int i = 0; i < 5; ++i) manager.Update();
    EXPECT_EQ(system->ParticleCount(), 0) << "a paused game emits nothing";
    GamePaused = false;
    manager.Update();
    EXPECT_EQ(system->ParticleCount(), 1);

    StartCameraShake(0.2f, 0.4f, 0.0f);
    GamePaused = true;
    StepCameraShake();
    EXPECT_FLOAT_EQ(ActiveCameraShake.remaining, 0.2f) << "the shake waits for the game";
    GamePaused = false;
    StepCameraShake();
    EXPECT_FLOAT_EQ(ActiveCameraShake.remaining, 0.1f);
    StopCameraShake();
}

TEST_F(GameSeamTest, KeysTypedIntoAWindowAreNeitherHotkeysNorCameraMoves)
{
    Config = config.get();
    ClearCommandRegistry();
    ASSERT_TRUE(RegisterCommand("seam_test", CountRun));
    ASSERT_TRUE(config->BindHotkey("j", "seam_test"));
    Runs = 0;
    Window box;
    box.flags |= WINDOW_TYPE_EDITBOX | WINDOW_FOCUSABLE | WINDOW_FOCUSED;

    struct Case {
        const char* what;
        Window* focused;
        bool hotkeyRuns, cameraScrolls;
    };
    const Case cases[] = {
        {"nothing has the keyboard", nullptr, true, true},
        {"an edit box has the keyboard", &box, false, false},
    };
    for (const Case& c : cases) {
        windows.focused = c.focused;
        int before = Runs;
        EXPECT_EQ(OnHotkeyCharacter('j', false, false), c.hotkeyRuns) << c.what;
        EXPECT_EQ(Runs - before, c.hotkeyRuns ? 1 : 0) << c.what;

        Camera camera = Placed();
        Vec3 start = camera.eye;
        keyboard.state[DIK_LEFT] = 0x80;
        camera.Update(0.1f);
        keyboard.state[DIK_LEFT] = 0;
        EXPECT_EQ(camera.eye.x != start.x, c.cameraScrolls) << c.what;
    }
    windows.focused = nullptr;
    ClearCommandRegistry();
}

TEST_F(GameSeamTest, TheWheelOverAWindowScrollsTheWindowNotTheCamera)
{
    Config = config.get();
    config->smoothZoom = true;
    Window panel;
    panel.x = 400;
    panel.y = 300;
    panel.width = 300;
    panel.height = 200;
    ASSERT_TRUE(windows.AddWindow(&panel));

    struct Case {
        const char* what;
        int x, y;
        bool zooms;
    };
    const Case cases[] = {
        {"over the panel", 500, 400, false},
        {"beside the panel", 100, 100, true},
    };
    for (const Case& c : cases) {
        Camera camera = Placed();
        mouse.cursorX = c.x;
        mouse.cursorY = c.y;
        mouse.wheel = WHEEL_DELTA;
        camera.Update(0.0f);
        mouse.wheel = 0;
        EXPECT_EQ(camera.zoomVelocity > 0.0f, c.zooms) << c.what;
    }
}

TEST_F(GameSeamTest, OnlyALevelInPlayCountsAsPlaying)
{
    GameMechanics mechanics;
    ScopedGlobal<GameMechanics*> theGame(TheGame, &mechanics);
    const struct {
        int state;
        bool playing;
    } cases[] = {
        {GAME_STATE_INTRO, false},
        {GAME_STATE_FRONT_END, false},
        {GAME_STATE_LOAD_PENDING, false},
        {GAME_STATE_PLAYING, true},
    };
    for (const auto& c : cases) {
        mechanics.state = c.state;
        EXPECT_EQ(GetGameSeam().IsPlaying(), c.playing) << c.state;
    }
    TheGame = nullptr;
    EXPECT_FALSE(GetGameSeam().IsPlaying()) << "no game at all";
}

}  // namespace
