// How long a mission frame takes on the graphics device at 1024 x 768: a generated, populated
// level with a river, under the fog of war, seen from above the player's rig with a crowd of
// about 150 skinned units walking around it and smoke rising among them, drawn whole
// (DrawnGame::Render, shadows and glows on, with nothing glowing and with a scan ring glowing), and
// its passes one by one: the shadow map, the scene, the glow pass, the GUI. Each pass ends with a present, so that the software renderer
// has finished it; "PresentOnly" is what that adds. Glow and composite together cost what the
// frame with a scan ring costs more than the one without.
//
// The whole frame also reports the processor time it takes on every thread (cpu_ms: what one
// core would need, the renderer's threads included) and on the calling thread alone
// (main_ms: the game, the driver's vertex work and binning, which the renderer's threads wait
// for), beside the goal of 30 frames a second with four renderer threads (LP_NUM_THREADS=4).
// Processor times are for comparing two builds on one machine. page_faults counts the pages a
// frame takes fresh from the system: each is zeroed on the calling thread.
#include "campaign/MissionScreen.h"
#include "host/GfxDevice.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "drawing/WorldFrame.h"
#include "mechanics/Scene.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "terrain/ScanPulses.h"
#include "terrain/Terrain.h"
#include "tests/mechanics/GameScreenSupport.h"
#include "world/Agent.h"
#include "render/Animation.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "world/AgentTypeRegistry.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
constexpr int CROWD_SIZE = 150;
constexpr double GOAL_FPS = 30.0;

double CpuMs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return (double)t.tv_sec * 1e3 + (double)t.tv_nsec * 1e-6;
}

// Pages the process has had to fault in so far (fresh memory from the system, zeroed).
double MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double)usage.ru_minflt;
}

// The goal is for four renderer threads: that is what runs unless LP_NUM_THREADS says
// otherwise (it is read when the first window's renderer starts).
[[maybe_unused]] const bool FourRendererThreads = setenv("LP_NUM_THREADS", "4", 0) == 0;

// The renderer's threads: LP_NUM_THREADS, or one per core when it is not set.
double RendererThreads()
{
    const char* value = getenv("LP_NUM_THREADS");
    if (value && *value) return atof(value);
    return (double)sysconf(_SC_NPROCESSORS_ONLN);
}

// One level for every benchmark of the program, started on first use.
class MissionFrame {
public:
    static MissionFrame* Get()
    {
        static MissionFrame* frame = new MissionFrame();
        return frame->ready ? frame : nullptr;
    }

    // Everything that starts a frame as DrawnGame::Render starts it, then the pass, then a present.
    template <class F> void Pass(F draw)
    {
        RenderStates.Reset();
        Graphics->Clear(7, 0.0f, 0.0f, 0.0f, 1.0f);
        Graphics->BeginScene();
        draw();
        Graphics->Present();
    }
    // The crowd walks on: every unit's animation moves a frame further.
    void Animate()
    {
        for (Agent* agent : crowd)
            if (agent->mesh) agent->mesh->AdvanceAnimation(1.0f / 60.0f);
    }
    // The rig scans: its ring stays half grown, frame after frame.
    void KeepScanning(bool on)
    {
        if (!on) {
            TheScanEffects.list.Clear();
            return;
        }
        if (!TheScanEffects.list.head) TheScanEffects.BeginScan(rig);
        if (TheScanEffects.list.head) {
            TheScanEffects.list.head->value.phase = 3.0f;
            TheScanEffects.list.head->value.wait = 5.0f;
        }
    }

    PlayerGame game;
    Agent* rig = nullptr;
    std::vector<Agent*> crowd;

private:
    // Units of several kinds in rows around the middle, all in view, walking; smoke among them.
    void AddCrowd(const Vec3& middle)
    {
        const char* const kinds[] = {"gunner_bot", "scout_bot", "scav_small", "miner", "rocket_bot", "scav_melee"};
        for (int i = 0; i < CROWD_SIZE; ++i) {
            Agent* agent = TheScene.CreateAgent(kinds[i % 6], true);
            if (!agent) break;
            Vec3 at = middle + Vec3(-30.0f + 4.0f * (i % 15), 0.0f, -22.0f + 4.0f * (i / 15));
            at.y = TheTerrain.GetHeight(at);
            agent->SetPosition(at);
            agent->alignment = i % 2 ? ALIGN_PLAYER : ALIGN_ENEMY;
            if (agent->mesh && agent->mesh->animationSlot[ANIM_WALK] >= 0)
                agent->mesh->SetAnimation(agent->mesh->animationSlot[ANIM_WALK], true, true);
            crowd.push_back(agent);
        }
        for (int i = 0; i < 6 && TheScene.particles; ++i)
            if (ParticleSystem* smoke = TheScene.particles->SpawnSystem("black_smoke_damage"))
                smoke->offset = middle + Vec3(-20.0f + 8.0f * i, 1.0f, 0.0f);
    }

    MissionFrame()
    {
        if (!screen.HasDisplay() || !screen.Initialised()) return;
        InitUserFolders();
        Config->shadows = true;
        Config->glows = true;
        Config->reflections = true;
        textures = std::make_unique<TextureManager>();
        Textures = textures.get();
        if (!Frustum) Frustum = new ViewFrustum();
        Environment::EnsureLoaded();
        TheScene.Init();
        MissionRecord* mission = MissionScreen::InitRandomMission();
        mission->flags |= MISSION_DATA_OWN_ENVIRONMENT;
        CopyText(mission->environment, sizeof mission->environment, "forest");
        mission->levelTemplate = LEVEL_TEMPLATE_RIVER_DIVIDES;
        TheGame = &game;
        game.CreateCatalogues();
        game.LoadCatalogues();
        game.state = GAME_STATE_PLAYING;
        SRand(7);
        LogCaptureBegin();
        game.Init();
        // The bench stages its level by hand, outside the ticks: no hand of a player's is timed.
        SealWorld(false);
        LogCaptureEnd();
        // A scout of the player's in the middle of the level, the camera above and behind it.
        rig = game.agentTypes ? game.agentTypes->TakeFreeAgent() : nullptr;
        if (!rig || !TheTerrain.created) {
            std::fprintf(stderr, "the level did not start: %s\n", rig ? "no terrain" : "no agent");
            return;
        }
        rig->alignment = ALIGN_PLAYER;
        rig->commandWord |= COMMAND_SCAN;
        Vec3 middle(0.0f, 0.0f, 0.0f);
        middle.y = TheTerrain.GetHeight(middle);
        rig->SetPosition(middle);
        if (!TheScene.AddEntity(rig)) return;
        AddCrowd(middle);
        GameCamera.eye = middle + Vec3(0.0f, 45.0f, -40.0f);
        GameCamera.direction = middle - GameCamera.eye;
        Vec3Normalize(&GameCamera.direction, &GameCamera.direction);
        Vec3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&ViewMatrix, &GameCamera.eye, &middle, &up);
        MatrixPerspectiveFovLH(&ProjectionMatrix, 0.7853982f, (float)WIDTH / (float)HEIGHT, 1.0f, 1000.0f);
        if (!MatrixInverse(&InverseViewMatrix, nullptr, &ViewMatrix)) MatrixIdentity(&InverseViewMatrix);
        Graphics->SetTransform(TS_VIEW, &ViewMatrix);
        Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
        Frustum->Update(ViewMatrix);
        FrameTimer.delta = 1.0f / 60.0f;
        GamePaused = false;
        // The first frames make the targets and compile the effects: not what is measured.
        for (bool scanning : {false, true, false}) {
            KeepScanning(scanning);
            game.Render();
        }
        ready = true;
    }

    GameScreen screen{WIDTH, HEIGHT, true};
    std::unique_ptr<TextureManager> textures;
    bool ready = false;
};

#define FRAME_OR_SKIP(name)                                                                 \
    MissionFrame* name = MissionFrame::Get();                                               \
    if (!name) {                                                                            \
        state.SkipWithError("no display, or the level did not start");                      \
        return;                                                                             \
    }

void WholeFrame(benchmark::State& state)
{
    FRAME_OR_SKIP(frame);
    const bool scanning = state.range(0) != 0;
    int glowPasses = 0;
    const double process = CpuMs(CLOCK_PROCESS_CPUTIME_ID), thread = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    const double faults = MinorFaults();
    for (auto _ : state) {
        frame->KeepScanning(scanning);
        frame->Animate();
        ++FrameTimer.frameCount;
        const int before = GlowingMeshDrawCount;
        frame->game.Render();
        glowPasses += GlowingMeshDrawCount != before;
    }
    // The present waits for the renderer's threads: each frame's work is in by the next.
    const double frames = (double)state.iterations();
    const double cpuMs = (CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process) / frames;
    const double mainMs = (CpuMs(CLOCK_THREAD_CPUTIME_ID) - thread) / frames;
    const double faultsPerFrame = (MinorFaults() - faults) / frames;
    frame->KeepScanning(false);
    state.counters["glowing"] = (double)glowPasses / frames;
    state.counters["units"] = (double)frame->crowd.size();
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["goal_fps"] = GOAL_FPS;
    state.counters["threads"] = RendererThreads();
    state.counters["cpu_ms"] = cpuMs;
    state.counters["main_ms"] = mainMs;
    state.counters["page_faults"] = faultsPerFrame;
}
// Real time: the software renderer draws on threads of its own.
BENCHMARK(WholeFrame)->ArgName("scanRing")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void PresentOnly(benchmark::State& state)
{
    FRAME_OR_SKIP(frame);
    for (auto _ : state) frame->Pass([] {});
}
BENCHMARK(PresentOnly)->Unit(benchmark::kMillisecond);

void ShadowPass(benchmark::State& state)
{
    FRAME_OR_SKIP(frame);
    for (auto _ : state) {
        ++FrameTimer.frameCount;
        frame->Pass([&] {
            GfxSurface* back = nullptr;
            Graphics->device->GetRenderTarget(0, &back);
            frame->game.RenderShadowMap();
            Graphics->device->SetRenderTarget(0, back);
            if (back) back->Release();
        });
    }
}
BENCHMARK(ShadowPass)->Unit(benchmark::kMillisecond);

void ScenePass(benchmark::State& state)
{
    FRAME_OR_SKIP(frame);
    for (auto _ : state) {
        ++FrameTimer.frameCount;
        frame->Animate();
        frame->Pass([&] {
            Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
            frame->game.RenderScene();
        });
    }
}
BENCHMARK(ScenePass)->Unit(benchmark::kMillisecond);

void GlowPass(benchmark::State& state)
{
    FRAME_OR_SKIP(frame);
    for (auto _ : state) {
        frame->KeepScanning(true);
        ++FrameTimer.frameCount;
        frame->Pass([&] { frame->game.RenderEntities(PASS_GLOW); });
    }
    frame->KeepScanning(false);
}
BENCHMARK(GlowPass)->Unit(benchmark::kMillisecond);

void GuiPass(benchmark::State& state)
{
    FRAME_OR_SKIP(frame);
    for (auto _ : state) {
        frame->Pass([&] {
            Graphics->Begin2D();
            frame->game.DrawGui();
            Graphics->End2D();
        });
    }
}
BENCHMARK(GuiPass)->Unit(benchmark::kMillisecond);

}  // namespace
