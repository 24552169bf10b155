// A generated level saved, read back into an empty level and saved again gives the same file.
#include "render/Camera.h"
#include "tests/levelgen/PopulationTestSupport.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* ENVIRONMENTS[] = {"forest", "desert"};

TEST_F(ShippedPopulationTest, ASavedLevelReadsBackToTheSameFile)
{
    ScopedGlobal<Camera> camera(GameCamera, GameCamera);
    for (const char* environment : ENVIRONMENTS) {
        SCOPED_TRACE(environment);
        Agent* rig = game.agentTypes->TakeFreeAgent();
        CopyText(rig->name, sizeof rig->name, "rig");
        maps.rig = rig;
        MissionRecord* mission = Mission(environment, 3);
        Populate(*mission, 11, false);
        GameCamera.eye = Vec3(210.5f, 60.0f, 180.25f);
        GameCamera.yaw = 2.0f;
        GameCamera.pitch = -1.0f;
        rig->yaw = 30.0f;

        std::string folder = MakeTempFolder("roundtrip");
        std::string first = folder + "/first.sav", second = folder + "/second.sav";
        ASSERT_TRUE(TheScene.WriteSceneFile(first.c_str()));
        const std::string written = ReadTextFile(first);
        ASSERT_NE(written.find("AddResource"), std::string::npos);
        ASSERT_NE(written.find("AddAgent"), std::string::npos);
        ASSERT_NE(written.find("PlayerStart"), std::string::npos);
        const int agents = CountAgents();

        // An empty level with only the rig, then the save read over it.
        ClearLevel();
        rig = game.agentTypes->TakeFreeAgent();
        CopyText(rig->name, sizeof rig->name, "rig");
        rig->flags |= ENTITY_PLAYER;
        rig->alignment = ALIGN_PLAYER;
        ASSERT_NE(TheScene.AddEntity(rig), nullptr);
        GameCamera.eye = Vec3();
        GameCamera.yaw = 0.0f;
        LogCaptureBegin();
        ASSERT_TRUE(TheScene.ReadSceneFile(first.c_str()));
        TheScene.ResolveLinks();
        std::string log = LogCaptureEnd();
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        EXPECT_EQ(CountAgents(), agents);
        EXPECT_FLOAT_EQ(rig->yaw, 30.0f);
        EXPECT_NEAR(GameCamera.yaw, 2.0f, 1e-3f);

        ASSERT_TRUE(TheScene.WriteSceneFile(second.c_str()));
        EXPECT_EQ(ReadTextFile(second), written);

        ClearLevel();
        growth.ClearInstances();
        objectives.Clear();
        events.Clear();
    }
}

}  // namespace
