// The application shell run for real: start-up on the test display with a fresh user folder,
// the window procedure's keys, the main loop's game states, the frame function's device checks
// and what it draws, and shutdown.
#include "app/AppShell.h"

#include "app/MainLoop.h"
#include "app/WndProc.h"
#include "tests/app/ShellTestSupport.h"
#include "campaign/MissionScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/Button.h"
#include "gui/ModelViewer.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Display.h"
#include "host/GfxDevice.h"
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/InputEvents.h"
#include "host/InputKeys.h"
#include "host/InputScript.h"
#include "host/Log.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/InputState.h"
#include "platform/MusicPlayer.h"
#include "platform/MusicThread.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "render/FontCache.h"
#include "render/GraphicsDevice.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace shelltest;

namespace {

// Drains the message queue; true when a quit was among the messages. Window events (focus,
// exposure) may arrive at any time on a loaded machine, so only the quit counts.
bool QuitPosted()
{
    HostMessage message;
    bool quit = false;
    while (InputEvents.PeekMessage(&message))
        if (message.message == (unsigned)WM_QUIT) quit = true;
    return quit;
}

// Commands the tests bind keys to; each counts its runs.
int Runs[4];
void Command0() { ++Runs[0]; }
void Command1() { ++Runs[1]; }
void Command2() { ++Runs[2]; }
void Command3() { ++Runs[3]; }

// The box of pixels brighter than a grey level, outside the top-left corner where the tests
// park the mouse cursor; false when none is.
bool BrightBox(const Image& image, int* top, int* bottom, int* left, int* right)
{
    *top = *left = 1 << 30;
    *bottom = *right = -1;
    for (int y = 0; y < (int)image.height; ++y)
        for (int x = 0; x < (int)image.width; ++x) {
            if (x < 32 && y < 32) continue;
            uint32_t c = PixelAt(image, x, y);
            if (((c >> 16) & 0xFF) > 160 && ((c >> 8) & 0xFF) > 160 && (c & 0xFF) > 160) {
                if (y < *top) *top = y;
                if (y > *bottom) *bottom = y;
                if (x < *left) *left = x;
                if (x > *right) *right = x;
            }
        }
    return *bottom >= 0;
}

int CountLines(const std::string& text, const std::string& line)
{
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
    return count;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitUserFolders());
        LogCaptureBegin();
        const char* argv[] = {"veldmark", "-windowed", "-1024"};
        started = StartUp(3, const_cast<char**>(argv));
        startLog = LogCaptureEnd();
        if (!started) GTEST_SKIP() << "no display for the game's window";
        HostMessage drained;
        while (InputEvents.PeekMessage(&drained)) {}
        for (int& runs : Runs) runs = 0;
        LogCaptureBegin();
    }
    void TearDown() override
    {
        LogCaptureEnd();
        FrameTimer.SetClock(nullptr);
        FrameTimer.SetSmoothing(true);
        // A new pacer for the next test: it announces its pacing again.
        FramePacing = FramePacer();
        GamePaused = false;
        Shutdown();
    }

    bool started = false;
    std::string startLog;
};

TEST_F(ShellTest, StartsEverythingInOrderAndShutsItDown)
{
    // The log lines of start-up in their order; the driver's details follow the whole device line.
    const char* const order[] = {"\n    InitDirect3D :  OK!\n    Graphics: ", "InitDirectInput :  OK!", "mission catalogue"};
    size_t at = 0;
    for (const char* line : order) {
        size_t found = startLog.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " missing or out of order in:\n" << startLog;
        at = found;
    }

    EXPECT_TRUE(Config && Strings && Graphics && SoundMgr && Fonts && WindowMgr && Textures && Music && TheGame);
    EXPECT_EQ(Config->width, 1024) << "the command line has the last word";
    EXPECT_FLOAT_EQ(GameCamera.aspect, 1024.0f / Config->height) << "a wide screen does not stretch the world";
    // The front end's sounds are loaded and ready to play.
    EXPECT_GE(SoundMgr->FindSound("blip"), 0);
    EXPECT_GE(SoundMgr->FindSound("click"), 0);
    EXPECT_EQ(TheGame->state, GAME_STATE_INTRO);
    EXPECT_EQ(FrontEndScreenState, 14);
    EXPECT_GT(AvailableTextureMemory, 0u);

    // The two logo slides, five seconds each, sized from the screen height.
    ASSERT_NE(IntroSlideshow, nullptr);
    ASSERT_EQ(IntroSlideshow->slideCount, 2);
    const int h = Config->height;
    const int sizes[2][2] = {{h / 3, h / 6}, {h * 2 / 3, h / 6}};
    for (int s = 0; s < 2; ++s) {
        const Sprite* picture = IntroSlideshow->slides[s].layers[0].sprite;
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->right - picture->left, sizes[s][0]);
        EXPECT_EQ(picture->bottom - picture->top, sizes[s][1]);
        EXPECT_FLOAT_EQ(IntroSlideshow->slides[s].duration, 5.0f);
    }
    EXPECT_STREQ(IntroSlideshow->afterMusic, "data/music/mission_screen.ogg");

    // No profile chosen: there is nothing to continue or load, but a new game may begin.
    ASSERT_NE(MissionScreen::windows[0], nullptr);
    for (Window* child = MissionScreen::windows[0]->firstChild; child; child = child->nextSibling) {
        Button* button = dynamic_cast<Button*>(child);
        if (!button || !button->hasText) continue;
        const std::string text = button->text;
        EXPECT_EQ(button->IsEnabled(), text != "Continue Game" && text != "Load Game") << text;
    }

    // The shipped bindings became the player's file, whole.
    std::string hotkeys = ReadTextFile(std::string(UserFolder) + "/hotkeys.cfg");
    EXPECT_NE(hotkeys.find("printscreen"), std::string::npos) << hotkeys;
    EXPECT_NE(hotkeys.find("selectControlGroup_9"), std::string::npos) << hotkeys;

    // The logo music plays, pumped by its own thread.
    EXPECT_STREQ(MusicTrackPath, "data/music/logo_music.ogg");
    EXPECT_TRUE(Music->IsTrackOpen());
    EXPECT_TRUE(UseMusicThread);
    EXPECT_TRUE(IsMusicThreadRunning());

    Shutdown();
    EXPECT_FALSE(IsMusicThreadRunning());
    EXPECT_TRUE(!Config && !Strings && !Graphics && !SoundMgr && !Fonts && !WindowMgr && !Textures && !Music && !TheGame &&
                !IntroSlideshow && !MainWindow);
    EXPECT_EQ(LogFile, nullptr);
    ASSERT_TRUE(InitUserFolders());
    started = StartUp(0, nullptr);  // the fixture shuts down again
    ASSERT_TRUE(started);
}

TEST_F(ShellTest, KeysReachTheHotkeysThePauseTheIntroAndTheFrontEnd)
{
    ASSERT_TRUE(RegisterCommand("shell_test_0", Command0));
    ASSERT_TRUE(RegisterCommand("shell_test_1", Command1));
    ASSERT_TRUE(RegisterCommand("shell_test_2", Command2));
    ASSERT_TRUE(RegisterCommand("shell_test_3", Command3));
    ASSERT_TRUE(Config->BindHotkey("ctrl_7", "shell_test_0"));
    ASSERT_TRUE(Config->BindHotkey("F4", "shell_test_1"));
    ASSERT_TRUE(Config->BindHotkey("ctrl_k", "shell_test_2"));
    ASSERT_TRUE(Config->BindHotkey("j", "shell_test_3"));

    struct Case {
        const char* what;
        HostMessage message;
        int command;  // which command runs, -1 none
    };
    const Case cases[] = {
        {"Ctrl+7", Key(WM_KEYDOWN, '7', MODIFIER_CONTROL), 0},
        {"7 alone is no hotkey", Key(WM_KEYDOWN, '7'), -1},
        {"F4", Key(WM_KEYDOWN, VK_F4), 1},
        {"Ctrl+F4 falls back to F4", Key(WM_KEYDOWN, VK_F4, MODIFIER_CONTROL), 1},
        {"F10 is not a hotkey", Key(WM_KEYDOWN, VK_F10), -1},
        {"Ctrl+K arrives as control code 11", Key(WM_CHAR, 11, MODIFIER_CONTROL), 2},
        {"j typed", Key(WM_CHAR, 'j'), 3},
    };
    for (const Case& c : cases) {
        int before[4] = {Runs[0], Runs[1], Runs[2], Runs[3]};
        WndProc(c.message);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Runs[i] - before[i], i == c.command ? 1 : 0) << c.what;
    }

    // Typing into a focused edit box is not a hotkey.
    Window box;
    box.flags |= WINDOW_TYPE_EDITBOX | WINDOW_FOCUSABLE | WINDOW_FOCUSED;
    WindowMgr->focused = &box;
    EXPECT_TRUE(IsTextInputFocused());
    WndProc(Key(WM_CHAR, 'j'));
    EXPECT_EQ(Runs[3], 1);
    WindowMgr->focused = nullptr;

    // Pause and Scroll Lock toggle the pause, except while a modal window is open.
    EXPECT_FALSE(GamePaused);
    WndProc(Key(WM_KEYDOWN, VK_PAUSE));
    EXPECT_TRUE(GamePaused);
    WndProc(Key(WM_KEYDOWN, VK_SCROLL));
    EXPECT_FALSE(GamePaused);
    Window dialog;
    WindowMgr->modal = &dialog;
    WndProc(Key(WM_KEYDOWN, VK_PAUSE));
    EXPECT_FALSE(GamePaused) << "a modal window keeps the pause key out";
    WindowMgr->modal = nullptr;

    // Escape in the intro leaves the slideshow; the next frame shows the front end.
    ASSERT_EQ(TheGame->state, GAME_STATE_INTRO);
    Passes(2, 0.02f);
    EXPECT_EQ(IntroSlideshow->current, 0) << "the first slide shows";
    WndProc(Key(WM_KEYDOWN, VK_ESCAPE));
    EXPECT_TRUE(IntroSlideshow->IsFinished());
    Passes(1, 0.02f);
    EXPECT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    EXPECT_EQ(FrontEndScreenState, 0);

    // Closing the window ends the program.
    WndProc(Key(WM_CLOSE, 0));
    int exitCode = -1;
    EXPECT_FALSE(DrainMessages(&exitCode));
    EXPECT_EQ(exitCode, 0);
}

TEST_F(ShellTest, TheSlidesRunOutIntoTheFrontEnd)
{
    FrameTimer.SetClock(&ScriptedClock);
    FrameTimer.Init(true);
    Passes(1, 0.05f);
    EXPECT_EQ(IntroSlideshow->current, 0);
    Passes(110, 0.05f);  // five and a half seconds
    EXPECT_EQ(IntroSlideshow->current, 1);
    Passes(100, 0.05f);
    EXPECT_EQ(TheGame->state, GAME_STATE_FRONT_END);

    // The front end's title is drawn at the top in the middle, over its sky.
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(MakeTempFolder("frontend") + "/frontend.png", shot));
    const int h = Config->height, w = Config->width;
    int titlePixels = 0;
    for (int y = 32 * h / 768; y < 96 * h / 768; ++y)
        for (int x = w / 2 - h / 6; x < w / 2 + h / 6; ++x) {
            const uint32_t c = PixelAt(shot, x, y);
            if (((c >> 16) & 0xFF) > 160 && ((c >> 8) & 0xFF) > 160 && (c & 0xFF) > 160) ++titlePixels;
        }
    EXPECT_GT(titlePixels, 200) << "the title";
    EXPECT_NE(PixelAt(shot, 10, 10) & 0xFFFFFF, 0u) << "the background covers the screen";
}

// A window whose picture changes with time alone.
class Ticking : public Window {
public:
    bool Animates() const override { return true; }
};

// The start screen's sky and galaxy move, so it presents at its own frame rate, below the
// loop's, and moves by the time passed whether a pass drew or not. An idle page that stands
// still presents nothing; the mouse moving over it, a change of the window, a window shown and
// one that moves each bring frames again.
TEST_F(ShellTest, AnIdleFrontEndPresentsOnlyWhenSomethingChanges)
{
    FrameTimer.SetClock(&ScriptedClock);
    FrameTimer.Init(true);
    TheGame->state = GAME_STATE_FRONT_END;
    auto presentsOver = [&](int passes) {
        const int before = PresentedFrames;
        Passes(passes, 0.016f);
        return PresentedFrames - before;
    };
    FrontEndScreenState = 0;
    EXPECT_GE(presentsOver(2), 1) << "the start screen";
    const ModelViewer* galaxy = GetStartScreen().viewer;
    ASSERT_NE(galaxy, nullptr);
    const float turnedBefore = galaxy->yaw;
    const int frames = presentsOver(60);
    EXPECT_EQ(frames, 30) << "every other pass of a loop at 60 a second: the start screen's own rate";
    EXPECT_NEAR(galaxy->yaw - turnedBefore, galaxy->turnSpeed * 0.96f, galaxy->turnSpeed * 0.04f)
        << "the galaxy turns by the time passed, drawn or not";
    FrontEndScreenState = 8;
    EXPECT_EQ(presentsOver(1), 1) << "the first frame of a page that stands still";
    EXPECT_EQ(presentsOver(60), 0) << "a second of nothing happening";

    InputScript::MoveMouse(5, 0);
    EXPECT_EQ(presentsOver(1), 1) << "the mouse moved";
    EXPECT_EQ(presentsOver(10), 0);
    InputScript::Focus(true);
    EXPECT_EQ(presentsOver(1), 1) << "the window changed";

    // A window shown or hidden by the game itself (no input) is a change; one that moves
    // brings a frame every pass while it is shown.
    Window* menu = nullptr;
    for (auto* node = WindowMgr->windows.head; node && !menu; node = node->next)
        if (node->value && !node->value->IsVisible()) menu = node->value;
    ASSERT_NE(menu, nullptr);
    menu->SetVisible(true);
    EXPECT_EQ(presentsOver(5), 1) << "a window shown";
    Ticking ticking;
    menu->AddChild(&ticking);
    EXPECT_EQ(presentsOver(5), 5) << "a window that moves";
    menu->RemoveChild(&ticking);
    menu->SetVisible(false);
    EXPECT_EQ(presentsOver(5), 1) << "a window hidden";
}

TEST_F(ShellTest, APendingMissionStartsAfterOneSecondThatThePauseHoldsBack)
{
    FrameTimer.SetClock(&ScriptedClock);
    FrameTimer.Init(true);
    FrameTimer.SetSmoothing(false);  // frames of uneven length count as they are
    TheGame->state = GAME_STATE_FRONT_END;
    MissionScreen::StartMission(-1, 0);
    ASSERT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);

    GamePaused = true;
    Passes(30, 0.1f);
    EXPECT_FLOAT_EQ(LevelStartCountdown, 0.0f) << "paused, the count stands still";
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);
    EXPECT_TRUE(Music->IsFading()) << "the music fades while the mission loads";

    GamePaused = false;
    Passes(2, 0.4f);
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);
    EXPECT_NEAR(LevelStartCountdown, 0.8f, 1e-4f);
    Passes(1, 0.4f);
    EXPECT_EQ(TheGame->state, GAME_STATE_PLAYING) << "more than a second has passed";
    EXPECT_FLOAT_EQ(LevelStartCountdown, 0.0f);
    EXPECT_TRUE(FirstLevelFrame);
    EXPECT_EQ(FrameTimer.GetFrameCount(), 0) << "the timer starts again with the level";
    // The first level read the primitives and the world's sounds.
    EXPECT_NE(TheScene.FindPrimitive("flag"), nullptr);
    EXPECT_NE(TheScene.FindPrimitive("hopper_full"), nullptr);
    EXPECT_GE(SoundMgr->FindSound("pickup"), 0);
    Passes(1, 0.02f);
    EXPECT_FALSE(FirstLevelFrame);
}

TEST_F(ShellTest, ARequestedMissionShowsTheLoadingScreenWithATipThenPlays)
{
    FrameTimer.SetClock(&ScriptedClock);
    FrameTimer.Init(true);
    TheGame->state = GAME_STATE_FRONT_END;
    MissionScreen::StartMission(-1, 0);
    Passes(2, 0.4f);
    ASSERT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);

    // The next frame presented is the first loading frame.
    std::string path = MakeTempFolder("loading") + "/loading.png";
    Graphics->SaveScreenshot(path.c_str(), Config->width, Config->height);
    Passes(1, 0.4f);
    EXPECT_EQ(TheGame->state, GAME_STATE_PLAYING);
    Image loaded, shot;
    ASSERT_TRUE(LoadImageFile(path.c_str(), loaded) && ConvertImage(loaded, PixelFormat::A8R8G8B8, shot));
    const int h = Config->height, w = Config->width;
    const int barWidth = (int)(h * 0.5208333f), y = h / 2 + (int)(h * 0.1822917f), x0 = (w - barWidth) / 2;
    EXPECT_EQ(PixelAt(shot, x0, y) & 0xFFFFFF, 0xAAAAAAu) << "the progress bar's rim";
    int tipY = h / 2 + (int)(h * 0.1302083f), yellow = 0;
    for (int row = tipY; row < tipY + h / 40; ++row)
        for (int x = 0; x < w; ++x) {
            uint32_t c = PixelAt(shot, x, row);
            if (((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) < 160) ++yellow;
        }
    EXPECT_GT(yellow, 10) << "\"Tip: \" in yellow on the tip line";
    std::string log = LogCaptureEnd();
    LogCaptureBegin();
    EXPECT_NE(log.find("Parsing primitives : "), std::string::npos) << log;
    EXPECT_NE(log.find("TOTAL TIME:"), std::string::npos) << log;

    // In play the mission clock runs, and the pause holds it.
    Passes(1, 0.02f);
    Passes(5, 0.1f);
    float played = MissionTime;
    EXPECT_GT(played, 0.0f);
    GamePaused = true;
    Passes(5, 0.1f);
    EXPECT_FLOAT_EQ(MissionTime, played);
}

TEST_F(ShellTest, LoadingTextSitsInTheMiddleOfAWideScreen)
{
    // A wide screen: the text belongs at mid-height, not at half the width down.
    Config->width = 1280;
    Config->height = 720;
    ASSERT_EQ(Graphics->ResetDevice(), DEVICE_USABLE);
    TheGame->state = GAME_STATE_LOAD_PENDING;
    GamePaused = true;  // keeps the mission from starting
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(MakeTempFolder("loading") + "/loading.png", shot));
    ASSERT_EQ((int)shot.height, 720);
    int top, bottom, left, right;
    ASSERT_TRUE(BrightBox(shot, &top, &bottom, &left, &right)) << "no text drawn";
    EXPECT_GE(top, 720 / 2 - 720 / 96 - 2);
    EXPECT_LT(bottom, 720 / 2 + 60);
    EXPECT_GE(left, 1280 / 2 - (int)(0.1302083f * 720) - 2);
    EXPECT_LT(right, 1280 / 2 + 200);
}

TEST_F(ShellTest, AFailingDeviceIsRetriedThenQuitsAndALostOneIsPolledForEver)
{
    Config->lostDeviceRetryCount = 4;
    TheGame->state = GAME_STATE_FRONT_END;

    // A driver error that does not go away: five retries, then the program ends.
    Graphics->device->ForceDriverError(6);
    for (int frame = 1; frame <= 5; ++frame) {
        RenderFrame();
        EXPECT_EQ(DeviceState, DEVICE_ERROR);
        EXPECT_EQ(LostDeviceRetries, frame);
        EXPECT_FALSE(QuitPosted()) << "frame " << frame;
    }
    RenderFrame();
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(CountLines(LogCaptured(), ">>>>> DEVICE_ERROR: device Lost and could not be restored after 4 attempts\n"), 1);

    // Had it been asked to go on, the device resets and the game draws again.
    RenderFrame();
    EXPECT_EQ(DeviceState, DEVICE_USABLE);
    EXPECT_EQ(LostDeviceRetries, 0);

    // A merely lost device: polled without end, a line on the sixth frame and every fifth after.
    Graphics->device->ForceDeviceLoss(16);
    for (int frame = 1; frame <= 16; ++frame) {
        RenderFrame();
        EXPECT_EQ(DeviceState, DEVICE_LOST);
    }
    EXPECT_FALSE(QuitPosted()) << "a lost device never ends the game";
    EXPECT_EQ(CountLines(LogCaptured(), ">>>>> DEVICE_LOST: failed to restore after 4 attempts\n"), 3);

    // No input, timer or game update runs while the device is away: the pass that finds it
    // back only draws; the pass after it runs as usual.
    int frames = FrameTimer.GetFrameCount();
    MainLoopPass();
    EXPECT_EQ(DeviceState, DEVICE_USABLE);
    EXPECT_EQ(FrameTimer.GetFrameCount(), frames);
    MainLoopPass();
    EXPECT_EQ(FrameTimer.GetFrameCount(), frames + 1);

    // Back: the front end is drawn again after the reset.
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(MakeTempFolder("after-reset") + "/after.png", shot));
    int top, bottom, left, right;
    EXPECT_TRUE(BrightBox(shot, &top, &bottom, &left, &right)) << "the title is back after the reset";
}

TEST_F(ShellTest, WhereTheDriverDoesNotWaitForTheRefreshTheLoopPacesTheFrames)
{
    FrameTimer.SetClock(&ScriptedClock);
    FrameTimer.Init(true);
    FramePacing.SetClock(&ScriptedClock, ScriptedSleep);
    GfxDisplayMode mode;
    int rate = Graphics->device->GetDisplayMode(&mode) == GFX_OK && mode.RefreshRate ? (int)mode.RefreshRate : 60;

    // Frames that take a millisecond each: paced to the display, whatever the machine could do.
    Graphics->device->ForceSwapIntervalRefused(true);
    Passes(2 * rate, 0.001f);
    EXPECT_EQ(FramePacing.GetRate(), rate);
    EXPECT_NEAR(FrameTimer.framesPerSecond, rate, 1.0f);
    EXPECT_EQ(CountLines(LogCaptured(), "frames are paced to"), 1) << LogCaptured();

    // A driver that waits for the refresh itself: the loop adds no wait of its own.
    Graphics->device->ForceSwapIntervalRefused(false);
    uint64_t before = ClockTicks;
    Passes(100, 0.001f);
    EXPECT_FALSE(FramePacing.IsPacing());
    EXPECT_EQ(ClockTicks - before, 100000u) << "only the frames' own time passed";
}

TEST_F(ShellTest, ALostDisplayConnectionEndsTheGameAsACloseDoes)
{
    // Xlib's own answer to a broken connection is to end the process on the spot; the game
    // instead leaves its loop with a clean exit code and shuts down in order.
    if (!IsDisplayWatched()) GTEST_SKIP() << "not an X11 display";
    Passes(3, 0.02f);
    BreakDisplayConnection();
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_TRUE(IsDisplayLost());
    EXPECT_EQ(CountLines(LogCaptured(), "ERROR: the connection to the display was lost; the game ends\n"), 1)
        << LogCaptured();
    Shutdown();  // on the broken connection: the window and the device go without a word from Xlib
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(Graphics, nullptr);
}

}  // namespace

namespace {

TEST(ShellWithoutSound, RunsSilentWhenNoSoundDeviceOpens)
{
    // Sound through ALSA alone, with an ALSA configuration that knows no device.
    std::string noDevices = MakeTempFolder("no-sound") + "/asound.conf";
    ASSERT_TRUE(WriteTextFile(noDevices, "\n"));
    ScopedEnv drivers("ALSOFT_DRIVERS", "alsa");
    ScopedEnv alsa("ALSA_CONFIG_PATH", noDevices.c_str());
    ASSERT_TRUE(InitUserFolders());
    const char* argv[] = {"veldmark", "-windowed", "-800"};
    LogCaptureBegin();
    bool started = StartUp(3, const_cast<char**>(argv));
    const std::string log = LogCaptureEnd();
    if (started) {
        // Said once in the log; no box stops the start (a box's text is logged as "ERROR: ..."),
        // and the sounds are not tried one by one.
        EXPECT_EQ(CountLines(log, "    SoundManager() ERROR\n"), 1) << log;
        EXPECT_EQ(CountLines(log, "ERROR: SoundManager()"), 0) << log;
        EXPECT_EQ(CountLines(log, "SoundManager() ERROR: File:"), 0) << log;
        EXPECT_FALSE(SoundMgr->IsEnabled());
        EXPECT_FALSE(Music->IsTrackOpen());
        for (int i = 0; i < 5; ++i) MainLoopPass();
        EXPECT_EQ(TheGame->state, GAME_STATE_INTRO) << "the logo slides run without sound";
    }
    Shutdown();
    if (!started) GTEST_SKIP() << "no display for the game's window";
}

}  // namespace
