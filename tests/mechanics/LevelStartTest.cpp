// A level's start without a screen: which scene file is read, when the level is generated
// again, the order of the loading phases, the water, the flag marker and the camera on the
// builder.
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"

#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "platform/Timer.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "terrain/Environment.h"
#include "terrain/ScanPulses.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class LevelStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitUserFolders());
        ASSERT_TRUE(TheScene.InitLists());
        TheScene.ReleaseEntities();
        Environment::EnsureLoaded();
        LogCaptureBegin();
        config = std::make_unique<ConfigFile>(nullptr);
        LogCaptureEnd();
        Config = config.get();
        game.CreateCatalogues();
        game.state = GAME_STATE_PLAYING;
        MissionRecord* mission = MissionScreen::InitRandomMission();
        mission->flags |= MISSION_DATA_OWN_ENVIRONMENT;
        CopyText(mission->environment, sizeof mission->environment, "forest");
        mission->levelTemplate = LEVEL_TEMPLATE_NO_RIVERS;
        scene = std::string(UserFolder) + "/level_start.cgs";
        ASSERT_TRUE(WriteTextFile(scene, "SceneFlag LEVEL_HAS_WATER\n"
                                         "AddTerrainObject none\nSetName builder\nSetPosition -40 0 25\n"));
    }
    void TearDown() override
    {
        game.EndLevel();
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        TheLevelGenerator.Clear();
        MissionScreen::scratchActive = false;
        Config = nullptr;
        remove(scene.c_str());
    }

    // A level start as the shell makes it; the log of its phases.
    std::string Start()
    {
        LogCaptureBegin();
        EXPECT_TRUE(game.Init());
        return LogCaptureEnd();
    }

    std::unique_ptr<ConfigFile> config;
    ScopedGlobal<ConfigFile*> noConfig{Config, nullptr};
    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    std::string scene;
};

TEST_F(LevelStart, TheSceneFileIsReadOnlyForANamedLevel)
{
    const struct {
        const char* scenefile;  // the configuration's
        bool named;             // the load screen named the level
        bool read;
    } cases[] = {
        {"none", false, false},
        {"scene", false, false},  // the setting alone names nothing to read
        {"none", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.scenefile) + (c.named ? " named" : ""));
        const char* setting = StrICmp(c.scenefile, "scene") == 0 ? scene.c_str() : "none";
        CopyText(Config->scenefile, sizeof Config->scenefile, setting);
        if (c.named) game.SetLevelName(scene.c_str());
        Start();
        Entity* builder = TheScene.FindEntityByName("builder", CATEGORY_ALL, 0);
        EXPECT_EQ(builder != nullptr, c.read);
        EXPECT_EQ(TheTerrain.waterSet != nullptr, c.read) << "the scene's water flag";
        EXPECT_STREQ(game.levelName, "none") << "the level's name is used once";
        EXPECT_FALSE(game.levelNamed);
        if (builder) {
            // The level opens looking at the builder from its fixed distance.
            EXPECT_FLOAT_EQ(GameCamera.distance, 43.149677f);
            Vec3 seen = GameCamera.eye + GameCamera.direction * GameCamera.distance;
            EXPECT_NEAR(seen.x, -40.0f, 0.01f);
            EXPECT_NEAR(seen.z, 25.0f, 0.01f);
        }
        game.EndLevel();
        EXPECT_EQ(TheScene.FindEntityByName("builder", CATEGORY_ALL, 0), nullptr);
    }
}

TEST_F(LevelStart, ALevelMadeInTheGeneratorWindowIsNotMadeAgainAndThePhasesRunInOrder)
{
    std::string log = Start();
    const char* phases[] = {"LevelInit : ",      "Generating random level : ", "Building level map : ",
                            "Generating terrain : ", "Updating heights : ",     "Updating grid : ",
                            "Generating textures : "};
    size_t at = 0;
    for (const char* phase : phases) {
        size_t found = log.find(phase, at);
        ASSERT_NE(found, std::string::npos) << phase << " missing or out of order in\n" << log;
        at = found;
    }
    EXPECT_NE(game.flagEntity, nullptr) << "the flag marker comes from the primitives";
    ASSERT_NE(TheMapGenerator, nullptr);
    EXPECT_EQ(TheMapGenerator->heightsReady, 0);
    EXPECT_TRUE(TheTerrain.created);
    game.EndLevel();

    // The level generator's window has made a level: its layout stands as it was made.
    TheMapGenerator->heightsReady = 1;
    TheLevelGenerator.startCorner = 77;
    log = Start();
    EXPECT_EQ(log.find("Generating random level"), std::string::npos) << log;
    EXPECT_NE(log.find("Building level map : "), std::string::npos) << "it is still populated\n" << log;
    EXPECT_EQ(TheLevelGenerator.startCorner, 77);
    EXPECT_EQ(TheMapGenerator->heightsReady, 0) << "the next level is generated again";
}

// What the first scan needs is made with the level: the scan does not stall the frame it is
// ordered in.
TEST_F(LevelStart, TheScansRingIsMadeWithTheLevel)
{
    TheScanEffects.Release();
    Start();
    EXPECT_NE(TheScanEffects.ringMesh, nullptr);
    TheScanEffects.Release();
}

// Saves whose rig was written above the ground the level makes (tests/data/bad-files/saves: a
// save's profile, a line "@@SAV@@", then its level): the level opens on the same view at every
// load, however often the game is saved and loaded again.
TEST_F(LevelStart, ASaveOpensOnTheSameViewAtEveryLoad)
{
    Agent* rig = game.agentTypes->TakeFreeAgent();
    ASSERT_NE(rig, nullptr);
    CopyText(rig->name, sizeof rig->name, "Builder");
    rig->flags |= ENTITY_PLAYER;
    rig->alignment = ALIGN_PLAYER;
    ScopedGlobal<Agent*> profileRig(GetPlayerProfile()->rig, rig);
    for (const char* file : {"camera_no_mission_line.txt", "camera_mission0.txt"}) {
        SCOPED_TRACE(file);
        rig->flags |= ENTITY_PLACED;  // the rig of a game just started
        const std::string text = ReadTextFile(std::string("tests/data/bad-files/saves/") + file);
        const size_t level = text.find("@@SAV@@\n");
        ASSERT_NE(level, std::string::npos);
        const std::string saved = std::string(UserFolder) + "/camera.sav";
        ASSERT_TRUE(WriteTextFile(saved, text.substr(level + 8)));
        float heights[3];
        for (float& height : heights) {
            game.SetLevelName(saved.c_str());
            SRand(40917);  // the level of the save's mission, made the same at every load
            Start();
            height = GameCamera.eye.y;
            // A tick of play stands the rig on the ground; the save keeps it there.
            {
                const WorldTickScope tick(WorldClock::TICK);
                rig->Update();
            }
            ASSERT_TRUE(TheScene.WriteSceneFile(saved.c_str()));
            game.EndLevel();
        }
        EXPECT_FLOAT_EQ(heights[1], heights[0]);
        EXPECT_FLOAT_EQ(heights[2], heights[0]);
    }
}

}  // namespace
