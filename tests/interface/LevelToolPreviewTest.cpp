// The level generator's window shows the level last built even when it was built while the
// window was hidden: the build leaves out the map's debug picture then, and the window makes it
// when it is next drawn.
#include "campaign/MissionRecord.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "platform/UserFolders.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/levelgen/LevelGenTestSupport.h"
#include "tools/MapGeneratorWindow.h"

#include <cstdio>
#include <string>

namespace {

class LevelToolPreview : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        ASSERT_TRUE(InitUserFolders());
        std::string path = MakeTempFolder("leveltool-preview-env") + "/environments.cgs";
        ASSERT_TRUE(WriteTextFile(path, LevelEnvironments()));
        Environment::ClearAll();
        Environment::LoadScript(path.c_str());
        TheLevelGenerator.Clear();
        maps = game->CreateMapGenerator();
        bench = MapGeneratorWindow::Create(*maps);
        ASSERT_NE(bench, nullptr);
    }
    void TearDown() override
    {
        TheLevelGenerator.Clear();
        Environment::ClearAll();
        HudTest::TearDown();
    }
    bool MapImageWritten() const
    {
        FILE* file = fopen((std::string(UserFolder) + "/" + MAP_IMAGE).c_str(), "rb");
        if (file) fclose(file);
        return file != nullptr;
    }

    MapGenerator* maps = nullptr;
    MapGeneratorWindow* bench = nullptr;
};

TEST_F(LevelToolPreview, AHiddenWindowCatchesUpWithTheLevelWhenShown)
{
    ASSERT_NE(bench->window, nullptr);
    ASSERT_FALSE(bench->IsVisible());
    std::remove((std::string(UserFolder) + "/" + MAP_IMAGE).c_str());
    MissionRecord mission;
    mission.flags = MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT;
    CopyText(mission.environment, sizeof mission.environment, "forest");
    mission.levelTemplate = LEVEL_TEMPLATE_NONE;
    SRand(9);
    TheLevelGenerator.Layout(&mission);
    maps->BuildHeightmap(TheLevelGenerator);
    EXPECT_FALSE(MapImageWritten()) << "nobody looks at the picture: the build leaves it out";

    bench->SetVisible(true);
    bench->Draw();
    EXPECT_TRUE(MapImageWritten()) << "the window shows the level just built";
    EXPECT_FALSE(maps->mapImageStale);
    bench->SetVisible(false);
}

}  // namespace
