// How long a level takes to start and to end, and a frame of play: the game object's whole
// level start for a generated mission with two rivers (layout, heights and height image,
// population, terrain, water, tile map, fog grids) and the level's end after it, without a
// graphics device (goal: the start well under three seconds); then one game update of such a
// level with as many bots as the agent pool holds walking across it, one with sixty bots sent
// onto a spot no route reaches, and one of a skirmish of two armies, each timed update by update,
// the updates that ran a world tick apart (goals for a tick: median 0.5 ms, heaviest 2 ms), with
// the world's CPU time per second of play; and the drawing's pose work in a frame with the
// skirmish's armies in view.
//
// Instruction counts, which a loaded machine does not disturb, come from callgrind with the
// counting on for the world's update alone (or the drawing's posing alone), e.g.
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect='GameMechanics::Update()'
//     tests/bench_LevelStartBench --benchmark_filter=OneUpdateOfASkirmish   (one command)
// (--toggle-collect='*PoseTheUnitsInView(*' with PoseTheUnitsInViewForAFrame): the
// total over the 600 updates is ten seconds of play, over the 600 frames ten seconds of frames.
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "interface/PlayerGame.h"
#include "drawing/WorldFrame.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "render/Animation.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "render/ViewFrustum.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/Grid.h"
#include "world/ProjectileSystem.h"
#include "tests/bench/Skirmish.h"
#include "tests/support/Scoped.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void StartAndEndALevel(benchmark::State& state)
{
    InitUserFolders();
    Environment::EnsureLoaded();
    TheScene.InitLists();

    MissionRecord* mission = MissionScreen::InitRandomMission();
    mission->flags |= MISSION_DATA_OWN_ENVIRONMENT;
    CopyText(mission->environment, sizeof mission->environment, "marsh");
    mission->levelTemplate = LEVEL_TEMPLATE_2_RIVERS;
    {
        PlayerGame game;
        TheGame = &game;
        game.CreateCatalogues();
        game.state = GAME_STATE_PLAYING;
        // The first level's one-time loads are not what is measured.
        game.started = true;
        unsigned seed = 1;
        LogCaptureBegin();
        for (auto _ : state) {
            SRand(seed++);
            game.Init();
            game.EndLevel();
            LogCaptureEnd();
            LogCaptureBegin();
        }
        LogCaptureEnd();
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        TheGame = nullptr;
    }
    MissionScreen::scratchActive = false;
}
BENCHMARK(StartAndEndALevel)->Unit(benchmark::kMillisecond);

// Each update's own CPU time, kept over a fixed number of updates; the median, the 99th
// percentile and the worst go beside their goals (a mean would hide the hitches and depend on
// how many updates the run happened to get).
// The updates that ran a world tick are kept apart too: the tick's goals are theirs (most
// updates at sixty a second run none).
class UpdateTimes {
public:
    void Start()
    {
        ticksBefore_ = WorldTicks.count;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &begin_);
    }
    void Stop()
    {
        timespec end;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        const double ms = (double)(end.tv_sec - begin_.tv_sec) * 1e3 + (double)(end.tv_nsec - begin_.tv_nsec) * 1e-6;
        times_.push_back(ms);
        if (WorldTicks.count != ticksBefore_) tickTimes_.push_back(ms);
    }
    void Report(benchmark::State& state)
    {
        if (times_.empty()) return;
        // The world's cost per second of play: the updates run at sixty a second.
        double total = 0;
        for (double t : times_) total += t;
        state.counters["ms_per_play_second"] = total / ((double)times_.size() / 60.0);
        std::sort(times_.begin(), times_.end());
        state.counters["median_ms"] = times_[times_.size() / 2];
        state.counters["p99_ms"] = times_[std::min(times_.size() - 1, times_.size() * 99 / 100)];
        state.counters["worst_ms"] = times_.back();
        if (!tickTimes_.empty()) {
            std::sort(tickTimes_.begin(), tickTimes_.end());
            state.counters["tick_median_ms"] = tickTimes_[tickTimes_.size() / 2];
            state.counters["tick_worst_ms"] = tickTimes_.back();
        }
        state.counters["goal_tick_median_ms"] = 0.5;
        state.counters["goal_tick_worst_ms"] = 2.0;
    }

private:
    timespec begin_{};
    int ticksBefore_ = 0;
    std::vector<double> times_, tickTimes_;
};

constexpr int UPDATES = 600;  // ten seconds of play

// A generated forest level started as the game starts it, with the game's own configuration
// and the camera where the level start puts it (on the builder), so only what is on screen is
// posed and skinned, as in play.
class PlayedLevel {
public:
    // The user folder under base, by default within the program's own (the save benchmark
    // times a save on the disk the build is on, not in memory); the program's folder is the
    // user folder again after.
    explicit PlayedLevel(const std::string& base = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "/tmp")
        : folder_(base + "/veldmark-bench-update-" + std::to_string(getpid())),
          data_("XDG_DATA_HOME", folder_.c_str())
    {
        CreateFolder(folder_.c_str());
        InitUserFolders();
        Config = &config_;
        Environment::EnsureLoaded();
        // The mesh library too: bots are made only of loaded meshes.
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
        if (config_.height > 0) GameCamera.aspect = (float)config_.width / (float)config_.height;
        Frustum = &frustum_;
        FrameTimer.delta = 1.0f / 60.0f;
    }
    ~PlayedLevel()
    {
        game.EndLevel();
        LogCaptureEnd();
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        TheGame = nullptr;
        Frustum = nullptr;
        Config = nullptr;
        MissionScreen::scratchActive = false;
        std::string command = "rm -rf '" + folder_ + "'";
        if (system(command.c_str()) != 0) {}
    }

    // One update as the main loop runs it while playing.
    void Update()
    {
        ++FrameTimer.frameCount;
        GameCamera.Update(FrameTimer.delta);
        GameCamera.BuildMatrices();
        Frustum->Update(ViewMatrix);
        StepCameraShake();
        game.Update();
    }

    // The cell under the camera's target.
    void LookedAtCell(int* column, int* row) const { ::LookedAtCell(game, column, row); }

    Agent* Spawn(const char* type, int column, int row) { return SpawnAgent(game, type, column, row); }

    ConfigFile config_{"data/config.cfg"};
    PlayerGame game;

private:
    std::string folder_;
    ScopedEnv data_;
    ViewFrustum frustum_;
};

// Times each update of the level on its own and reports them with the number of bots.
void TimeUpdates(benchmark::State& state, PlayedLevel& level, size_t bots)
{
    UpdateTimes times;
    for (auto _ : state) {
        times.Start();
        level.Update();
        times.Stop();
    }
    times.Report(state);
    state.counters["bots"] = (double)bots;
}

void OneUpdateOfAFullLevel(benchmark::State& state)
{
    PlayedLevel level;
    // Bots on every open cell of a coarse lattice, each sent across the level.
    std::vector<Agent*> bots;
    for (int row = 8; row < 120; row += 6)
        for (int column = 8; column < 120; column += 6)
            if (Agent* bot = level.Spawn(bots.size() % 2 ? "miner" : "scout_bot", column, row)) bots.push_back(bot);
    for (size_t i = 0; i < bots.size(); ++i) bots[i]->MoveTo(bots[bots.size() - 1 - i]->GetPosition(), true);
    TimeUpdates(state, level, bots.size());
}
BENCHMARK(OneUpdateOfAFullLevel)->Unit(benchmark::kMicrosecond)->Iterations(UPDATES);

// Sixty of the player's bots ordered onto one spot that rock walls in after the walk regions
// were labelled (as a building's walls do): the regions still let them try, no route gets
// there, and each walks up to the wall and gives up a few seconds later.
void OneUpdateWithBotsOrderedOntoAWalledInSpot(benchmark::State& state)
{
    PlayedLevel level;
    Grid& grid = *level.game.grid;
    int lookColumn, lookRow;
    level.LookedAtCell(&lookColumn, &lookRow);
    // The nearest spot with open ground seven cells round it; a ring of rock two cells out.
    auto clear = [&grid](int column, int row) {
        for (int y = row - 7; y <= row + 7; ++y)
            for (int x = column - 7; x <= column + 7; ++x) {
                const GridCell* cell = grid.GetCell(x, y);
                if (!cell || !cell->IsFreeWalkable()) return false;
            }
        return true;
    };
    int column = -1, row = -1;
    for (int reach = 0; reach < grid.size && column < 0; ++reach)
        for (int y = lookRow - reach; y <= lookRow + reach && column < 0; ++y)
            for (int x = lookColumn - reach; x <= lookColumn + reach && column < 0; ++x)
                if (std::max(std::abs(x - lookColumn), std::abs(y - lookRow)) == reach && clear(x, y)) column = x, row = y;
    if (column < 0) {
        state.SkipWithError("no open spot");
        return;
    }
    for (int y = row - 2; y <= row + 2; ++y)
        for (int x = column - 2; x <= column + 2; ++x)
            if (std::max(std::abs(x - column), std::abs(y - row)) == 2) grid.GetCell(x, y)->flags = 0;
    // The bots stand on every other cell of the rings beyond, nearest first.
    std::vector<Agent*> bots;
    for (int reach = 5; reach < 40 && bots.size() < 60; ++reach)
        for (int y = row - reach; y <= row + reach && bots.size() < 60; y += 2)
            for (int x = column - reach; x <= column + reach && bots.size() < 60; x += 2)
                if (std::max(std::abs(x - column), std::abs(y - row)) == reach)
                    if (Agent* bot = level.Spawn(bots.size() % 2 ? "miner" : "scout_bot", x, y)) bots.push_back(bot);
    const Vec3 spot = grid.CellToWorld(column, row);
    for (Agent* bot : bots) bot->MoveTo(spot, true);
    TimeUpdates(state, level, bots.size());
}
BENCHMARK(OneUpdateWithBotsOrderedOntoAWalledInSpot)->Unit(benchmark::kMicrosecond)->Iterations(UPDATES);

// Two armies before the camera, each sent at the other.
std::vector<EntityRef> StartASkirmish(PlayedLevel& level) { return StageASkirmish(level.game); }

// The skirmish played: the brains pick targets, paths are planned around each other, shots fly
// and land.
void OneUpdateOfASkirmish(benchmark::State& state)
{
    PlayedLevel level;
    std::vector<EntityRef> units = StartASkirmish(level);
    auto health = [&units]() {
        double sum = 0;
        for (const EntityRef& unit : units)
            if (Entity* agent = unit.GetLive()) sum += agent->GetHealth();
        return sum;
    };
    const double healthBefore = health();
    UpdateTimes times;
    int shots = 0;
    for (auto _ : state) {
        times.Start();
        level.Update();
        times.Stop();
        if (TheProjectiles) shots += TheProjectiles->projectiles.count + TheProjectiles->beams.count + TheProjectiles->meleeHits.count;
    }
    times.Report(state);
    state.counters["shots_in_flight"] = (double)shots / (double)UPDATES;
    state.counters["health_lost"] = healthBefore > 0 ? 1.0 - health() / healthBefore : 0.0;
    state.counters["agents"] = (double)units.size();
    state.counters["still_alive"] = (double)Standing(units);
}
BENCHMARK(OneUpdateOfASkirmish)->Unit(benchmark::kMicrosecond)->Iterations(UPDATES);

// What the drawing poses of a frame: every moved entity carried between the world's last two
// ticks, and each unit in view posed and skinned at the detail its distance asks. Which units
// are in view is the culling's, done before. Not inlined, so that callgrind can count it alone
// (--toggle-collect='*PoseTheUnitsInView(*'); the tree before the drawing posed
// (scripts/bench_against.sh) gives its carry the same name.
__attribute__((noinline)) void PoseTheUnitsInView(const std::vector<Entity*>& inView, double atDetail[4])
{
    const CarriedPoses drawn(TheScene);
    for (Entity* agent : inView) {
        agent->mesh->drawDetail = PoseDetailForDistance(agent->cameraDistance);
        atDetail[std::min(agent->mesh->drawDetail, 3)] += 1.0;
        agent->mesh->SkinForDrawing();
    }
}

// The drawing's pose work in a frame of the skirmish with its armies in view: each unit the
// camera sees is posed and skinned as its mesh is drawn, at the detail its distance asks,
// between the world's last two ticks; sixty frames a second, so a tick every sixth frame. Only
// that work is timed (its own CPU time), not the world's updates between the frames nor the
// culling that finds the units in view.
void PoseTheUnitsInViewForAFrame(benchmark::State& state)
{
    PlayedLevel level;
    std::vector<EntityRef> units = StartASkirmish(level);
    // High enough over the armies to see them all, and no fog over the scavengers.
    GameCamera.eye -= GameCamera.direction * (GameCamera.distance * 2.5f);
    GameCamera.distance *= 3.5f;
    TheMinimap.SetFogEnabled(false);
    double seconds = 0.0, seen = 0.0, atDetail[4] = {};
    std::vector<Entity*> inView;
    for (auto _ : state) {
        level.Update();
        inView.clear();
        for (const EntityRef& unit : units) {
            Entity* agent = unit.GetLive();
            if (agent && agent->mesh && IsInPicture(agent, 0)) inView.push_back(agent);
        }
        seen += (double)inView.size();
        timespec begin, end;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &begin);
        PoseTheUnitsInView(inView, atDetail);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        seconds += (double)(end.tv_sec - begin.tv_sec) + (double)(end.tv_nsec - begin.tv_nsec) * 1e-9;
    }
    state.counters["agents"] = (double)units.size();
    state.counters["in_view"] = seen / (double)state.iterations();
    state.counters["pose_us_per_frame"] = seconds * 1e6 / (double)state.iterations();
    // How many of those in view are posed between ticks every frame, once a tick, or once in
    // three ticks (the detail their distance asks).
    state.counters["every_frame"] = atDetail[0] / (double)state.iterations();
    state.counters["every_tick"] = atDetail[1] / (double)state.iterations();
    state.counters["every_third_tick"] = (atDetail[2] + atDetail[3]) / (double)state.iterations();
}
BENCHMARK(PoseTheUnitsInViewForAFrame)->Unit(benchmark::kMicrosecond)->Iterations(UPDATES);

// What posing and skinning one unit on the CPU costs a frame (its own CPU time): a hundred units of three
// kinds before the camera, their animations started at different moments, each advanced and
// skinned as the update does for a unit on screen. A unit walks, stands idle, or waits out a
// pause (the clock stands still, so its pose does not change).
enum class UnitAtWork { Walking, Idle, Paused };

void SkinAUnit(benchmark::State& state, UnitAtWork work)
{
    PlayedLevel level;
    int centreColumn, centreRow;
    level.LookedAtCell(&centreColumn, &centreRow);
    const char* kinds[] = {"gunner_bot", "scout_bot", "miner"};
    std::vector<IndexedMesh*> meshes;
    for (int row = centreRow - 10; row <= centreRow + 10 && meshes.size() < 100; ++row)
        for (int column = centreColumn - 10; column <= centreColumn + 10 && meshes.size() < 100; column += 2)
            if (Agent* unit = level.Spawn(kinds[meshes.size() % 3], column, row))
                if (unit->mesh && unit->mesh->IsSkinned()) {
                    const int animation = work == UnitAtWork::Walking ? ANIM_WALK : ANIM_IDLE;
                    unit->mesh->SetAnimation(unit->mesh->GetAnimationValue(animation), false, true);
                    ++FrameTimer.frameCount;
                    unit->mesh->Update(0.037f * (float)meshes.size());
                    meshes.push_back(unit->mesh);
                }
    if (meshes.empty()) {
        state.SkipWithError("no skinned units");
        return;
    }
    const float dt = work == UnitAtWork::Paused ? 0.0f : 1.0f / 60.0f;
    double seconds = 0.0;
    for (auto _ : state) {
        ++FrameTimer.frameCount;
        timespec begin, end;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &begin);
        for (IndexedMesh* mesh : meshes) {
            mesh->AdvanceAnimation(dt);
            mesh->Update(dt);
        }
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        seconds += (double)(end.tv_sec - begin.tv_sec) + (double)(end.tv_nsec - begin.tv_nsec) * 1e-9;
    }
    state.counters["units"] = (double)meshes.size();
    double vertices = 0, rigid = 0, influences = 0;
    for (IndexedMesh* mesh : meshes)
        for (int m = 0; m < mesh->MaterialCount(); ++m) {
            const auto& weights = mesh->materials[m].Weights();
            vertices += (double)mesh->materials[m].Vertices().size();
            if (weights.empty()) rigid += (double)mesh->materials[m].Vertices().size();
            for (const auto& w : weights) influences += w.count;
        }
    state.counters["vertices_per_unit"] = vertices / (double)meshes.size();
    state.counters["rigid_per_unit"] = rigid / (double)meshes.size();
    state.counters["influences_per_unit"] = influences / (double)meshes.size();
    state.counters["us_per_unit"] = seconds * 1e6 / (double)state.iterations() / (double)meshes.size();
    if (work == UnitAtWork::Walking) state.counters["goal_us_per_unit"] = 4.0;  // a third of the 12 us it cost before
}
void SkinAWalkingUnit(benchmark::State& state) { SkinAUnit(state, UnitAtWork::Walking); }
void SkinAnIdleUnit(benchmark::State& state) { SkinAUnit(state, UnitAtWork::Idle); }
void SkinAUnitInAPause(benchmark::State& state) { SkinAUnit(state, UnitAtWork::Paused); }
BENCHMARK(SkinAWalkingUnit)->Unit(benchmark::kMicrosecond);
BENCHMARK(SkinAnIdleUnit)->Unit(benchmark::kMicrosecond);
BENCHMARK(SkinAUnitInAPause)->Unit(benchmark::kMicrosecond);

// What a save costs the frame it is made in, and where it goes: the whole save as the save
// window makes it (three files written to a staging folder, synced and renamed into place),
// and each of its three files written on its own (the player's profile, the level, the map of
// where the player has been). Goal: 50 ms.
void SaveAGame(benchmark::State& state)
{
    char here[512];
    PlayedLevel level(getcwd(here, sizeof here) ? here : "/tmp");
    auto milliseconds = [](const timespec& a, const timespec& b) {
        return (double)(b.tv_sec - a.tv_sec) * 1e3 + (double)(b.tv_nsec - a.tv_nsec) * 1e-6;
    };
    double parts[3] = {0, 0, 0};
    int saved = 0;
    const std::string folder = std::string(UserFolder) + "/bench-save";
    CreateFolder(folder.c_str());
    for (auto _ : state) {
        saved += WriteSaveGame("bench") ? 1 : 0;
        state.PauseTiming();
        timespec t[4];
        clock_gettime(CLOCK_MONOTONIC, &t[0]);
        if (PlayerProfile* profile = GetPlayerProfile()) profile->Save((folder + "/bench.cgs").c_str(), true);
        clock_gettime(CLOCK_MONOTONIC, &t[1]);
        TheScene.WriteSceneFile((folder + "/bench.sav").c_str());
        clock_gettime(CLOCK_MONOTONIC, &t[2]);
        TheMinimap.SaveVisited((folder + "/bench.sav").c_str());
        clock_gettime(CLOCK_MONOTONIC, &t[3]);
        for (int i = 0; i < 3; ++i) parts[i] += milliseconds(t[i], t[i + 1]);
        state.ResumeTiming();
    }
    const double runs = (double)state.iterations();
    state.counters["saved"] = saved / runs;
    state.counters["profile_ms"] = parts[0] / runs;
    state.counters["level_ms"] = parts[1] / runs;
    state.counters["visited_ms"] = parts[2] / runs;
    state.counters["goal_ms"] = 50;
}
BENCHMARK(SaveAGame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace
