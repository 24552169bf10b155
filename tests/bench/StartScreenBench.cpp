// What the start screen costs the processor at 1024 x 768: the sky with its stars and nebula,
// the turning galaxy, the main menu and the corner texts. Processor time counts every thread
// of the process (the software renderer's too). Needs a display (Xvfb will do).
// - StartScreenAsTheLoopRunsIt: the real start-up with the logo slides skipped, then the main
//   loop's own passes, paced as it paces them, for some seconds on the start screen, which draws
//   at its own frame rate. "core_pct" is the share of one core that takes, against a goal of
//   30 %; "fps" the frames presented a second. The seconds the screen's spare time spends
//   warming the driver for the first level come first, as "warm_up_s", and are not counted.
// - StartScreenFrame: one frame drawn as the front end draws it and presented, again and again;
//   "core_pct_60fps" is what drawing every frame at 60 a second would take.
#include "interface/PlayerGame.h"
#include "tests/bench/ProgramRun.h"
#include "app/AppShell.h"
#include "app/MainLoop.h"
#include "campaign/StorySlideshow.h"
#include "platform/UserFolders.h"
#include "campaign/MissionScreen.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Font.h"
#include "render/EffectManager.h"
#include "render/FontCache.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "tests/mechanics/GameScreenSupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;

class StartScreen {
public:
    static StartScreen* Get()
    {
        static StartScreen* screen = new StartScreen();
        return screen->ready ? screen : nullptr;
    }

    // One frame of the front end as the main loop draws it.
    void Frame()
    {
        RenderStates.Reset();
        // As the main loop draws the start screen: it clears what it needs itself.
        Graphics->BeginScene();
        RenderByScreenState();
        Graphics->End2D();
        Graphics->Present();
    }

private:
    StartScreen()
    {
        if (!screen.HasDisplay() || !screen.Initialised()) return;
        Config->vsync = false;
        fonts = std::make_unique<FontCache>();
        Fonts = fonts.get();
        textures = std::make_unique<TextureManager>();
        Textures = textures.get();
        LogCaptureBegin();
        TheScene.Init();
        LogCaptureEnd();
        font.Load("Arial Bold", 12, 0);
        GuiDefaultFont = GuiListFont = &font;
        WindowMgr = &manager;
        Input.mouse = &mouse;
        TheGame = &game;
        game.state = GAME_STATE_FRONT_END;
        MissionScreen::BuildMainMenu();
        FrontEndScreenState = 0;
        FrameTimer.delta = 1.0f / 60.0f;
        // The first frames load the textures and the galaxy: not what is measured.
        for (int i = 0; i < 3; ++i) Frame();
        ready = true;
    }

    GameScreen screen{WIDTH, HEIGHT, false};
    std::unique_ptr<FontCache> fonts;
    std::unique_ptr<TextureManager> textures;
    Font font{"gui"};
    WindowManager manager;
    MouseDevice mouse;
    PlayerGame game;
    bool ready = false;
};

// The main loop's passes (messages, update, frame, pacing) for this many seconds.
void RunPasses(double seconds)
{
    const double end = WallSeconds() + seconds;
    while (WallSeconds() < end && TheGame) ProgramRun::Pass();
}

constexpr double MEASURED_SECONDS = 6.0;

void StartScreenAsTheLoopRunsIt(benchmark::State& state)
{
    ProgramRun run("startscreen", "mainMenuEnabled true\n");
    bool shown = false;
    if (run.Started()) {
        // The logo slides skipped as a player in a hurry skips them.
        const double deadline = WallSeconds() + 60.0;
        while (TheGame && TheGame->state != GAME_STATE_FRONT_END && WallSeconds() < deadline) {
            if (TheGame->state == GAME_STATE_INTRO && IntroSlideshow && !IntroSlideshow->IsFinished())
                IntroSlideshow->Next();
            ProgramRun::Pass();
        }
        shown = TheGame && TheGame->state == GAME_STATE_FRONT_END && FrontEndScreenState == 0;
        // The first frames load the sky and the galaxy. The screen's spare time then warms the
        // driver for the first level, a one-off timed on its own ("warm_up_s"): what is measured
        // is the screen as it runs once that is over.
        const double warming = WallSeconds();
        bool begun = false;
        while (shown && TheGame && TheEffectManager && WallSeconds() < warming + 60.0) {
            const int left = TheEffectManager->WarmUpLeft();
            if (begun && left == 0) break;
            begun = begun || left > 0;
            ProgramRun::Pass();
        }
        state.counters["warm_up_s"] = WallSeconds() - warming;
        if (shown) RunPasses(1.0);
        for (auto _ : state) {
            if (!shown) break;
            const int frames = PresentedFrames;
            const double cpu = ProcessSeconds(), wall = WallSeconds();
            RunPasses(MEASURED_SECONDS);
            const double seconds = WallSeconds() - wall;
            state.counters["core_pct"] = (ProcessSeconds() - cpu) / seconds * 100.0;
            state.counters["fps"] = (PresentedFrames - frames) / seconds;
        }
    }
    if (!shown) state.SkipWithError("the game did not start or never showed the start screen");
    state.counters["goal_pct"] = 30.0;
}
// First: the other benchmark keeps a device of its own to the end of the program.
BENCHMARK(StartScreenAsTheLoopRunsIt)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void StartScreenFrame(benchmark::State& state)
{
    StartScreen* screen = StartScreen::Get();
    if (!screen) {
        state.SkipWithError("no display");
        return;
    }
    const double start = ProcessSeconds();
    for (auto _ : state) screen->Frame();
    // Processor time of every thread per frame, as a share of one core at 60 frames a second.
    const double perFrame = (ProcessSeconds() - start) / (double)state.iterations();
    state.counters["core_pct_60fps"] = perFrame * 60.0 * 100.0;
}
BENCHMARK(StartScreenFrame)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace
