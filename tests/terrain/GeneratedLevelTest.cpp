// A level from the level generator, all the way to the screen: layout, kind grid, height
// image, the terrain built from it and drawn with its river.
#include "campaign/MissionRecord.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/CellGrid.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "mechanics/Scene.h"
#include "platform/RandomUtil.h"
#include "platform/UserFolders.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

namespace {

class GeneratedLevel : public TerrainDrawTest {
protected:
    void TearDown() override
    {
        terrain.waterSet = nullptr;
        terrain.Free();
        TheLevelGenerator.Clear();
        CellGrid::Instance().Reset();
        TerrainDrawTest::TearDown();
    }

    Terrain terrain;
    WaterSet water;
    MapGenerator maps;
    ScopedGlobal<MapGenerator*> currentMaps{TheMapGenerator, &maps};
};

}  // namespace

TEST_F(GeneratedLevel, ARiverLevelIsBuiltIntoTerrainAndDrawn)
{
    ASSERT_TRUE(InitUserFolders());
    Environment::LoadScript();
    MissionRecord mission;
    mission.flags = MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT;
    CopyText(mission.environment, sizeof mission.environment, "forest");
    mission.levelTemplate = LEVEL_TEMPLATE_RIVER_DIVIDES;
    mission.playerStart = 3;
    mission.enemyCount = 2;
    SRand(2024);
    TheLevelGenerator.Layout(&mission);
    maps.BuildHeightmap(TheLevelGenerator);
    maps.GenerateHeightImage();
    EXPECT_STREQ(TheScene.heightmapName, (std::string(UserFolder) + "/" + GENERATED_HEIGHTMAP).c_str());

    terrain.mapCells = maps.kinds.data();
    ResetRandomMWC();
    terrain.Create(128, 128);
    ASSERT_TRUE(terrain.created);
    // The rim stands high, the river runs low across the level, open ground between.
    EXPECT_GT(terrain.heightmap->GetHeightAt(0, 64), 6.0f);
    int low = 0;
    for (int x = 10; x < 118; ++x)
        for (int y = 50; y < 70; ++y) low += terrain.heightmap->GetHeightAt(x, y) < 0.6f;
    EXPECT_GT(low, 100);
    water.Build(terrain);
    water.BuildZones();
    EXPECT_GT(water.count, 0);
    terrain.waterSet = &water;

    LookAt(Vec3(0, 230, -190), Vec3(0, 0, -10));
    Pixels shot = Draw([&] {
        terrain.Render(0, true);
        water.DrawVisible(0, true);
    });
    terrain.waterSet = nullptr;
    EXPECT_TRUE(MatchesReference(shot, "generated_level"));
}
