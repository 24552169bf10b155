// Whole levels in one run of the game: a generated mission of every environment is requested
// from the front end, starts behind the loading screen, plays five minutes of game time with
// bots of both sides walking where they are ordered, ends and hands over to the next one, with
// nothing of the last level left behind (not even the pause of a lost mission's window) and
// nothing the first level loaded read again.
#include "app/AppShell.h"

#include "app/MainLoop.h"
#include "tests/world/BeatingWatch.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/WindowManager.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "interface/InGameMenu.h"
#include "interface/MessageWindow.h"
#include "levelgen/LevelGenerator.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/MeshLibrary.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/Grid.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "tests/app/GameRunSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// The levels played, one for each environment in turn: the seed each is made from, so that
// every run plays the same levels, and whether the rig is lost as the level ends.
struct LevelCase {
    int seed;
    bool rigLost;
};
const LevelCase LEVELS[] = {{101, true}, {202, false}, {303, false}, {414, false},
                            {505, false}, {606, false}, {707, false}, {828, false}};

int CountInScene()
{
    int count = 0;
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
        ++count;
    return count;
}

int OccupiedCells(const Grid& grid)
{
    int count = 0;
    for (int row = 0; row < grid.size; ++row)
        for (int column = 0; column < grid.size; ++column) count += grid.GetCell(column, row)->occupant != nullptr;
    return count;
}

// The weather's particle systems over the level.
int WeatherSystems()
{
    int count = 0;
    if (!TheScene.particles) return 0;
    for (auto* node = TheScene.particles->active.head; node; node = node->next)
        for (const char* name : {"snow", "snowblow", "mist", "dust", "lava"})
            count += StrICmp(node->value->name, name) == 0;
    return count;
}

// Shared meshes listed more than once under one name.
int SharedMeshRepeats()
{
    std::vector<std::string> names;
    for (int i = 0; TheMeshLibrary && i < TheMeshLibrary->LoadedCount(); ++i)
        if (!(TheMeshLibrary->LoadedEntry(i).flags & MESH_ENTRY_PRIVATE))
            names.push_back(TheMeshLibrary->LoadedEntry(i).name);
    std::sort(names.begin(), names.end());
    return (int)(names.end() - std::unique(names.begin(), names.end()));
}

// Copies of skinned meshes made for one user each.
int PrivateMeshes()
{
    int count = 0;
    for (int i = 0; TheMeshLibrary && i < TheMeshLibrary->LoadedCount(); ++i)
        count += (TheMeshLibrary->LoadedEntry(i).flags & MESH_ENTRY_PRIVATE) != 0;
    return count;
}

class LevelLife : public ::testing::Test {
protected:
    void SetUp() override
    {
        started = StartGameRun("-800");
        if (!started) GTEST_SKIP() << "no display for the game's window";
    }
    void TearDown() override
    {
        StopGameRun(started);
    }

    // The front end asks for a generated mission in the environment; the shell's count of one
    // second runs out and the level is made.
    void StartMission(const char* environment, int levelTemplate, int seed)
    {
        MissionRecord* mission = MissionScreen::InitRandomMission();
        mission->flags |= MISSION_DATA_OWN_ENVIRONMENT;
        CopyText(mission->environment, sizeof mission->environment, environment);
        mission->levelTemplate = levelTemplate;
        MissionScreen::StartMission(seed, 0);
        ASSERT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);
        UpdateGameState(0.6f);
        EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING) << "the level waits a second";
        UpdateGameState(0.6f);
        ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    }

    // Game time in steps of a tenth of a second, with a frame drawn now and then.
    void Play(float seconds)
    {
        FrameTimer.delta = 0.1f;
        int steps = (int)(seconds * 10.0f + 0.5f);
        for (int i = 0; i < steps; ++i) {
            // The mission's messages are read and closed, as a player does.
            if (TheMessageWindow && TheMessageWindow->IsOpen()) TheMessageWindow->Show(false, false);
            ++FrameTimer.frameCount;  // the timer's tick, without its clock
            UpdateGameState(FrameTimer.delta);
            beatingwatch::TheWatch.Step();
            if (i % 500 == 0) RenderFrame();
        }
    }

    // The mission is over: the level ends and the front end comes back.
    void EndMission()
    {
        TheGame->EndLevel();
        ReturnToMainMenu();
        RenderFrame();
    }

    // Bots of both sides on open ground of the level, spread over the map.
    std::vector<Agent*> PlaceBots(int count)
    {
        const char* const kinds[] = {"miner", "gunner_bot", "scout_bot"};
        // The test's own staging, as a level's making would place them.
        const WorldChangeScope staged;
        std::vector<Agent*> bots;
        Grid& grid = *TheGame->grid;
        for (int i = 0, cell = 0; i < count && cell < grid.size * grid.size; cell += 997) {
            GridCell* at = grid.GetCell(cell % grid.size, cell / grid.size);
            if (!at->IsFreeWalkable() || at->column < 8 || at->row < 8 || at->column > 120 || at->row > 120) continue;
            Agent* bot = TheScene.CreateAgent(kinds[i % 3], true);
            if (!bot) break;
            bot->alignment = i % 2 ? ALIGN_ENEMY : ALIGN_PLAYER;
            TheScene.UnlinkEntity(bot);
            TheScene.AddEntity(bot);
            Vec3 point = grid.CellToWorld(at->column, at->row);
            point.y = TheTerrain.GetHeight(point);
            bot->SetPosition(point);
            bot->ResetMovement();
            bot->ClaimGridCell(point);
            bots.push_back(bot);
            ++i;
        }
        return bots;
    }

    // Each bot is sent to where another one stood (or, taken, beside it).
    static void OrderAbout(const std::vector<Agent*>& bots, const std::vector<Vec3>& points, int round)
    {
        for (size_t i = 0; i < bots.size(); ++i)
            if (bots[i]->IsAlive()) bots[i]->MoveTo(points[(i + (size_t)round + 1) % points.size()], true);
    }

    bool started = false;
};

TEST_F(LevelLife, AMissionOfEveryEnvironmentStartsPlaysAndEndsCleanly)
{
    Environment::EnsureLoaded();
    ASSERT_GE(Environment::GetCount(), 8) << "every planet kind is shipped";
    const int poolFree = TheGame->agentTypes->FreeCount();
    const int privateMeshes = PrivateMeshes();  // the catalogue's prototypes' own
    for (int e = 0; e < Environment::GetCount(); ++e) {
        const char* name = Environment::Get(e)->name;
        const LevelCase& level = LEVELS[e % (sizeof LEVELS / sizeof LEVELS[0])];
        SCOPED_TRACE(name);
        LogCaptureBegin();
        StartMission(name, e % 2 ? LEVEL_TEMPLATE_RIVER_DIVIDES : LEVEL_TEMPLATE_NO_RIVERS, level.seed);
        std::string log = LogCaptureEnd();
        EXPECT_EQ(log.find("Parsing primitives") != std::string::npos, e == 0)
            << "the primitives are read at the first level only\n" << log;
        EXPECT_EQ(log.find("Loading Meshes") != std::string::npos, e == 0) << log;
        EXPECT_EQ(SharedMeshRepeats(), 0) << "no mesh is loaded twice";

        // The level stands on its environment's ground, with its fog and, with a river, water.
        ASSERT_NE(Environment::GetCurrent(), nullptr);
        EXPECT_STREQ(Environment::GetCurrent()->name, name);
        EXPECT_TRUE(TheTerrain.created);
        EXPECT_EQ(TheTerrain.width, 128);
        EXPECT_TRUE(TheMinimap.created) << "the fog of war is made for the level";
        EXPECT_EQ(TheTerrain.waterSet != nullptr, TheLevelGenerator.riverCount > 0);
        if (TheTerrain.waterSet) {
            EXPECT_GT(TheTerrain.waterSet->count, 0) << "the river holds water";
        }
        EXPECT_FALSE(TheGame->levelNamed);
        EXPECT_STREQ(TheGame->levelName, "none");
        EXPECT_NE(TheGame->flagEntity, nullptr) << "the level's flag marker";
        // Snow, mist, dust or the glow of lava hang over the level as its planet has them.
        bool weather = Environment::GetCurrent()->weatherType != 0 || StrICmp(name, "lava") == 0;
        EXPECT_EQ(WeatherSystems(), weather ? (Environment::GetCurrent()->weatherType == 1 ? 2 : 1) : 0);
        EXPECT_EQ(log.find("cannot be made"), std::string::npos) << log;

        std::vector<Agent*> bots = PlaceBots(12);
        ASSERT_GE(bots.size(), 6u) << "the level has open ground for its bots";
        std::vector<Vec3> starts;
        for (Agent* bot : bots) starts.push_back(bot->GetPosition());
        std::vector<float> farthest(bots.size(), 0.0f);
        for (int round = 0; round < 10; ++round) {
            OrderAbout(bots, starts, round);
            Play(30.0f);
            for (size_t i = 0; i < bots.size(); ++i) {
                Vec3 d = bots[i]->GetPosition() - starts[i];
                farthest[i] = std::max(farthest[i], sqrtf(d.x * d.x + d.z * d.z));
            }
        }
        EXPECT_NEAR(MissionTime, 300.0f, 0.5f) << "five minutes of the mission played";
        int walked = 0;
        for (float distance : farthest) walked += distance > 10.0f;
        EXPECT_GE(walked * 2, (int)bots.size()) << "most bots walked where they were sent";
        if (level.rigLost) {
            Agent* rig = GetPlayerRig();
            ASSERT_NE(rig, nullptr);
            rig->Die(nullptr);
            Play(0.5f);
            ASSERT_TRUE(TheInGameMenu->failedShown) << "the lost rig's window is up as the level ends";
        }

        EndMission();
        EXPECT_FALSE(GamePaused) << "no pause outlives its level";
        EXPECT_FALSE(TheInGameMenu->failedShown);
        EXPECT_EQ(WindowMgr->modal, nullptr);
        EXPECT_EQ(TheGame->state, GAME_STATE_FRONT_END);
        int left = CountInScene();
        Entity* first = TheScene.FirstInCategory(CATEGORY_ALL, 0);
        EXPECT_TRUE(left == 0 || (left == 1 && (first->flags & ENTITY_PLAYER))) << "only the rig outlives its level";
        EXPECT_EQ(TheScene.removed.count, 0);
        EXPECT_EQ(TheGame->agentTypes->FreeCount(), poolFree) << "every agent is back in the pool";
        EXPECT_EQ(OccupiedCells(*TheGame->grid), 0);
        EXPECT_EQ(TheGame->flagEntity, nullptr);
        EXPECT_EQ(TheScene.particles ? TheScene.particles->ActiveCount() : 0, 0) << "the weather stops with the level";
        EXPECT_EQ(PrivateMeshes(), privateMeshes) << "the agents' own meshes went with them";
    }
}

TEST_F(LevelLife, StartedStraightIntoAMissionASceneFileIsReadOverTheGeneratedLevel)
{
    Shutdown();
    started = false;
    // The player's settings start the game in a mission on a scene file they name.
    std::string base = MakeTempFolder("straight");
    ScopedEnv data("XDG_DATA_HOME", base.c_str());
    ScopedGlobal<char[256]> user(UserFolder);
    ASSERT_TRUE(InitUserFolders());
    std::string scene = std::string(UserFolder) + "/river.cgs";
    WriteTextFile(scene, "SceneFlag LEVEL_HAS_WATER\n");
    WriteTextFile(std::string(UserFolder) + "/settings.cfg",
                  "mainMenuEnabled false\nscenefile \"" + scene + "\"\n");
    const char* argv[] = {"veldmark", "-windowed", "-800"};
    started = StartUp(3, const_cast<char**>(argv));
    ASSERT_TRUE(started);
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING) << "no menu: the mission is requested at once";
    EXPECT_TRUE(TheGame->levelNamed);
    UpdateGameState(1.2f);
    ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    EXPECT_NE(TheTerrain.waterSet, nullptr) << "the scene file's own flag gives the level its water";
    EXPECT_FALSE(TheGame->levelNamed) << "the name is used once";
    Play(10.0f);
    EndMission();
    Shutdown();
    started = false;
}

}  // namespace
