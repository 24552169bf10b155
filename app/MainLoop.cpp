#include "app/MainLoop.h"

#include "app/WndProc.h"
#include "campaign/MissionScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/GfxDevice.h"
#include "host/GfxWindow.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "interface/InfoScreen.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Replay.h"
#include "mechanics/ReplayVerification.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/MusicPlayer.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/EffectManager.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/ViewFrustum.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"

GfxWindow* MainWindow = nullptr;
bool AppActive = true;
int DeviceState = DEVICE_USABLE;
int LostDeviceRetries = 0;
bool UseMusicThread = true;
bool FirstLevelFrame = true;
float LevelStartCountdown = 0.0f;
uint32_t AvailableTextureMemory = 0;
char MusicTrackPath[256] = "";
FramePacer FramePacing;
int PresentedFrames = 0;

namespace {

// Milliseconds of each pass of the pause before a level given to compiling and warming up: the
// pause still answers the window a few times a second.
constexpr uint32_t LOAD_PAUSE_WORK_MS = 200;

bool MusicWanted() { return Music && Config && Config->music; }

// A requested mission starts: the level is built behind two loading frames, and the time
// that took never reaches a frame delta.
void StartLevel()
{
    TheGame->state = GAME_STATE_PLAYING;
    LevelStartCountdown = 0.0f;
    TheGame->ShowLoadingScreen("Init", 0.0f, true);
    // What the waiting frames did not compile yet compiles now, behind the loading screen, not
    // in play at the first building placed or the first scan.
    if (TheEffectManager)
        while (TheEffectManager->PrecompileNext()) {}
    TheGame->Init();
    // What the waiting frames did not warm yet (the list's draws whose programs only the level
    // makes, or all of it when the player did not wait) is warmed now, with the bar telling
    // so, rather than in the level's first frame with the bar sitting full.
    if (TheEffectManager) {
        // Water is drawn with states of its own, in its reflection too: a level with water
        // warms them now rather than stall the frame that first shows it.
        const WaterSet* water = TheTerrain.waterSet;
        if (water && water->count > 0 && !water->lava) TheEffectManager->QueueWarmUp(WATER_WARM_UP_LIST);
        TheEffectManager->RetryWarmUp();
        const int total = TheEffectManager->WarmUpLeft();
        const LookOnlyScope lookOnly;
        uint32_t shown = TimeGetTimeMs();
        while (TheEffectManager->WarmUpNext()) {
            if (TimeGetTimeMs() - shown < 100) continue;
            const float done = total > 0 ? 1.0f - (float)TheEffectManager->WarmUpLeft() / (float)total : 1.0f;
            TheGame->ShowLoadingScreen("Preparing the shaders", 0.9f + 0.1f * done, true);
            shown = TimeGetTimeMs();
        }
    }
    // The full bar tells the player the level is made, not the phase it began with.
    TheGame->ShowLoadingScreen("Ready", 1.0f, true);
    FrameTimer.Reset();
    GameCamera.Update(0.0f);
    // The level's first frame is drawn in this same pass, before the playing state's update
    // has looked through the new camera: without the view and the culling volume made here it
    // would look through the last level's (or the front end's) and show nothing of the world.
    GameCamera.BuildMatrices();
    if (Frustum) Frustum->Update(ViewMatrix);
    TheScene.PoseUnits();
    FirstLevelFrame = true;
    CmdSelectPlayer();
    if (MusicWanted()) Music->PlayIngamePlaylist();
}

// The 3D states every frame outside a level starts from.
void SetFrontEndStates(bool lightingOff)
{
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    RenderStates.SetRenderState(RS_FILLMODE, RenderStates.wireframe ? FILL_WIREFRAME : FILL_SOLID);
    RenderStates.SetRenderState(RS_NORMALIZENORMALS, 1);
    if (lightingOff) RenderStates.SetRenderState(RS_LIGHTING, 0);
}

constexpr uint8_t CLEAR_ALL = 7;  // target, depth and stencil

// The front end's picture changes only with what happens to the window (the mouse, keys, a
// resize, an exposure), with its screen and windows, and while something on it moves (the
// start screen always does): a frame is drawn when one of those changed since the last one
// drawn.
struct FrontEndLook {
    unsigned events = 0;
    int screenState = -1;
    uintptr_t windows = 0;
    bool operator==(const FrontEndLook& o) const
    {
        return events == o.events && screenState == o.screenState && windows == o.windows;
    }
};
FrontEndLook LastFrontEndLook;
bool FrontEndShown = false;  // the last frame drawn was the front end's
bool FrameSkipped = false;
// Seconds of the passes since the start screen's last frame, this one's included: what its
// galaxy and sky move by in the next frame drawn.
float StartScreenUndrawn = 0.0f;

// The start screen has a frame rate of its own, below the loop's: its next frame is due once
// its frame time has passed (half a pass early rather than a whole pass late).
bool StartScreenFrameDue()
{
    if (!StartScreenMoves()) {
        StartScreenUndrawn = 0.0f;
        return false;
    }
    const float pass = FrameTimer.delta > 0.0f ? FrameTimer.delta : 0.0f;
    StartScreenUndrawn += pass;
    return StartScreenUndrawn + 0.5f * pass >= START_SCREEN_FRAME_SECONDS;
}

bool FrontEndNeedsFrame()
{
    FrontEndLook look;
    look.events = InputEvents.EventCount();
    look.screenState = FrontEndScreenState;
    look.windows = WindowMgr ? WindowMgr->ShownSignature() : 0;
    // Something moves (a window, or the start screen's sky and galaxy when its frame is due),
    // or a screenshot waits for the next frame.
    const bool startScreenDue = StartScreenFrameDue();
    bool wanted = (WindowMgr && WindowMgr->AnyAnimates()) || startScreenDue ||
                  (Graphics && Graphics->IsScreenshotPending());
    if (FrontEndShown && look == LastFrontEndLook && !wanted) return false;
    LastFrontEndLook = look;
    return true;
}

// A pass that drew nothing waits as a presented frame would, for about one refresh, unless
// something happens first; where the loop paces the frames itself, the pacer waits.
void WaitInsteadOfPresenting()
{
    GfxDevice* device = Graphics ? Graphics->device : nullptr;
    if (device && device->IsSwapIntervalRefused()) return;
    InputEvents.WaitMessage(1000 / 60);
}

// Where the driver would not wait for the display's refresh (Xvfb, some drivers), the loop
// waits instead, to the display's rate.
void PaceFrame()
{
    GfxDevice* device = Graphics ? Graphics->device : nullptr;
    if (!device || !device->IsSwapIntervalRefused()) {
        FramePacing.Stop();
        return;
    }
    if (!FramePacing.IsPacing()) {
        GfxDisplayMode mode;
        FramePacing.Start(device->GetDisplayMode(&mode) == GFX_OK ? (int)mode.RefreshRate : 0);
    }
    FramePacing.EndFrame();
}

}  // namespace

bool DrainMessages(int* exitCode)
{
    HostMessage message;
    while (InputEvents.PeekMessage(&message)) {
        if (message.message == WM_QUIT) {
            if (exitCode) *exitCode = (int)message.wParam;
            return false;
        }
        WndProc(message);
    }
    return true;
}

void UpdateGameState(float dt)
{
    if (!TheGame) return;
    switch (TheGame->state) {
    case GAME_STATE_PLAYING:
        {
            // The camera follows the rig as it is drawn, not from tick to tick.
            const CarriedPoses drawn(TheScene);
            GameCamera.Update(dt);
        }
        // The game sees, finds and picks through the camera at rest. The shake lifts only the
        // picture (RenderFrame): its lift is drawn from the cosmetic generator, whose course
        // depends on what was drawn before.
        GameCamera.BuildMatrices();
        if (Frustum) Frustum->Update(ViewMatrix);
        StepCameraShake();
        TheGame->Update();
        FirstLevelFrame = false;
        break;
    case GAME_STATE_LOAD_PENDING:
        if (MusicWanted()) Music->FadeOut(2.0f);
        LevelStartCountdown += dt;
        if (LevelStartCountdown > 1.0f) StartLevel();
        break;
    default:
        TheGame->Update();
        MissionScreen::FrameHook();
        break;
    }
}

void MainLoopPass()
{
    if (DeviceState == DEVICE_USABLE) {
        FrameTimer.Tick();
        if (Input.keyboard) Input.keyboard->Update();
        if (Input.mouse) Input.mouse->Update();
        if (WindowMgr && TheGame && TheGame->state != GAME_STATE_INTRO) WindowMgr->Update(Input.mouse);
        float dt = GamePaused ? 0.0f : FrameTimer.delta;
        UpdateGameState(dt);
        // Before the first level (the logo slides, the start screen, the pause before a level)
        // one effect compiles a frame: the pictures keep moving and the level need not wait on
        // the compiler.
        // Once all are compiled, the driver is warmed up for the draws a level makes, a few a
        // frame. The pause before a level shows nothing that moves: there both go on for most
        // of each pass, so the pause ends with that work done rather than begun.
        const bool waiting = TheGame && TheGame->state != GAME_STATE_PLAYING;
        if (waiting && TheEffectManager) {
            const LookOnlyScope lookOnly;
            const bool pause = TheGame->state == GAME_STATE_LOAD_PENDING;
            const uint32_t budget = pause ? LOAD_PAUSE_WORK_MS : 12;
            const uint32_t began = TimeGetTimeMs();
            bool compiling = TheEffectManager->PrecompileNext();
            while (pause && compiling && TimeGetTimeMs() - began < budget) compiling = TheEffectManager->PrecompileNext();
            if (!compiling)
                while (TimeGetTimeMs() - began < budget && TheEffectManager->WarmUpNext()) {}
        }
    }
    RenderFrame();
    if (FrameSkipped) WaitInsteadOfPresenting();
    if (Music && Config) Music->SetMusicSettings(Config->music, Config->MusicVolume);
    if (DeviceState == DEVICE_USABLE && Music && !UseMusicThread && ((Config && Config->music) || Music->IsFading()))
        Music->Update();
    // Windowed, the rest of the time slice goes to the other programs.
    if (Config && !Config->fullscreen) SleepMs(0);
    PaceFrame();
}

int RunMainLoop()
{
    int exitCode = 0;
    uint32_t started = TimeGetTimeMs();
    int frames = 0;
    for (;;) {
        if (!DrainMessages(&exitCode)) break;
        // In the background the loop sleeps until something happens to the window.
        if (!AppActive) InputEvents.WaitMessage();
        const int presented = PresentedFrames;
        MainLoopPass();
        frames += PresentedFrames - presented;
    }
    // How fast the loop ran, for a look at the frame pacing and the processor it costs.
    double seconds = (TimeGetTimeMs() - started) / 1000.0;
    Log("Main loop: %d frames in %.1f seconds (%.1f a second)\n", frames, seconds, seconds > 0 ? frames / seconds : 0.0);
    return exitCode;
}

namespace {

// A pass of the game's verification: the window's messages, and what the level says to hold the
// game until it is read is read at once (no tick runs while the game is held, so when it was
// read in the game changes nothing); then the game's state as the main loop updates it.
class GameVerificationPasses final : public VerificationPasses {
public:
    bool BeginPass() override
    {
        if (!DrainMessages(nullptr)) return false;
        if (GamePaused) CloseInformationScreens();
        return true;
    }
    void Update(float dt) override { UpdateGameState(dt); }
};

}  // namespace

int RunReplayVerification()
{
    GameVerificationPasses passes;
    return RunReplayVerification(passes);
}

void RenderFrame()
{
    const LookOnlyScope lookOnly;
    FrameSkipped = false;
    if (!Graphics) return;
    DeviceState = Graphics->CheckDeviceLost();
    // A device back from a loss shows nothing of the last frame.
    if (DeviceState != DEVICE_USABLE) FrontEndShown = false;
    if (DeviceState == DEVICE_ERROR) {
        int allowed = Config ? Config->lostDeviceRetryCount : 0;
        if (LostDeviceRetries > allowed) {
            Log(">>>>> DEVICE_ERROR: device Lost and could not be restored after %d attempts\n", allowed);
            InputEvents.PostQuitMessage(0);
        } else {
            ++LostDeviceRetries;
            SleepMs(100);
        }
        return;
    }
    if (DeviceState == DEVICE_LOST) {
        // A device that stays merely lost (another program holds the screen) never ends the game.
        int allowed = Config ? Config->lostDeviceRetryCount : 0;
        if (LostDeviceRetries > allowed) {
            Log(">>>>> DEVICE_LOST: failed to restore after %d attempts\n", allowed);
            LostDeviceRetries = 1;
        } else {
            ++LostDeviceRetries;
        }
        SleepMs(10);
        return;
    }
    LostDeviceRetries = 0;
    float delta = FrameTimer.delta;
    if (delta > 0.1f) delta = 0.1f;
    RenderStates.Reset();
    if (!TheGame || !Config) return;

    int state = TheGame->state;
    if (state == GAME_STATE_FRONT_END && !FrontEndNeedsFrame()) {
        FrameSkipped = true;
        return;
    }
    FrontEndShown = state == GAME_STATE_FRONT_END;
    if (state == GAME_STATE_PLAYING) {
        {
            const ShakenView shaken;
            // Between the world's ticks every entity is drawn carried on from its last two.
            const CarriedPoses drawn(TheScene);
            TheGame->Render();
        }
        ++PresentedFrames;
        return;
    }
    if (state == GAME_STATE_INTRO) {
        if (!IntroSlideshow || IntroSlideshow->IsFinished()) {
            bool newGame = IntroSlideshow && IntroSlideshow->newGameIntro == 1;
            if (IntroSlideshow) IntroSlideshow->Release();
            if (newGame) {
                StartNewGameIntro(1, 0);
                return;
            }
            TheGame->state = GAME_STATE_FRONT_END;
            FrontEndScreenState = 0;
            return;
        }
        IntroSlideshow->Update(delta);
        SetFrontEndStates(true);
        Graphics->Clear(CLEAR_ALL, 0.0f, 0.0f, 0.0f, 1.0f);
        Graphics->BeginScene();
        Graphics->Begin2D();
        IntroSlideshow->Draw();
    } else {
        SetFrontEndStates(false);
        // The start screen clears what it needs itself: its kept sky covers the whole screen,
        // and only its galaxy reads depth.
        const bool startScreen = state == GAME_STATE_FRONT_END && StartScreenMoves();
        if (!startScreen) Graphics->Clear(CLEAR_ALL, 0.0f, 0.0f, 0.0f, 1.0f);
        Graphics->BeginScene();
        if (state == GAME_STATE_FRONT_END) {
            // What moves on the start screen moves by the time since its last frame drawn,
            // not by the last pass alone.
            const float passDelta = FrameTimer.delta;
            if (StartScreenMoves() && StartScreenUndrawn > 0.0f) FrameTimer.delta = StartScreenUndrawn;
            StartScreenUndrawn = 0.0f;
            RenderByScreenState();
            FrameTimer.delta = passDelta;
        }
        Graphics->Begin2D();
        if (state == GAME_STATE_LOAD_PENDING && TheGame->loadingFont) {
            // Centred by its own width: the font's size does not follow the screen's exactly.
            const char* loading = "Loading...";
            int w = Config->width, h = Config->height;
            TextSize size{};
            TheGame->loadingFont->GetTextExtent(loading, &size);
            TheGame->loadingFont->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            GuiDrawText(TheGame->loadingFont, (w - size.cx) / 2, h / 2 - (int)(h / 96.0f), loading);
        }
        TheGame->DrawGui();
    }
    FrameGraph::Draw();
    Graphics->End2D();
    Graphics->Present();
    ++PresentedFrames;
}
