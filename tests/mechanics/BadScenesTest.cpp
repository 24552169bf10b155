// Damaged scene files kept from past reports (tests/data/bad-files/scene): positions and map
// cells far off the map are taken to its edge with a warning naming the file and line, and the
// agent takes its grid cell there.
#include "host/Log.h"
#include "mechanics/Scene.h"
#include "platform/StringTable.h"
#include "render/MeshLibrary.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/Scoped.h"
#include "world/Grid.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

TEST_F(SceneTest, PositionsAndMapCellsOffTheMapAreTakenToItsEdge)
{
    auto library = std::make_unique<MeshLibrary>();
    TheMeshLibrary = library.get();
    StringTable strings;
    ScopedGlobal<StringTable*> installedStrings(Strings, &strings);
    ASSERT_TRUE(strings.Init());
    LogCaptureBegin();
    game.LoadCatalogues();
    LogCaptureEnd();
    const Grid& grid = *game.grid;
    const Vec3 low = grid.CellToWorld(0, 0), high = grid.CellToWorld(grid.size - 1, grid.size - 1);

    const struct {
        const char* file;
        const char* warning;
        Vec3 at;  // where the agent stands afterwards
    } cases[] = {
        {"ub_snap_huge_position.sav", "ub_snap_huge_position.sav line 2: SetPosition 1e+38 0 -1e+38 is off the map",
         Vec3(high.x, 0.0f, low.z)},
        {"ub_snap_huge_mapcoord.sav",
         "ub_snap_huge_mapcoord.sav line 2: SetMapCoord 2147483647 -2147483648 is off the map, 127 0 is used",
         grid.CellToWorld(grid.size - 1, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        LogCaptureBegin();
        ASSERT_TRUE(TheScene.ReadSceneFile((std::string("tests/data/bad-files/scene/") + c.file).c_str()));
        TheScene.ResolveLinks();
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find(c.warning), std::string::npos) << log;
        Entity* agent = TheScene.FirstEntity(SEGMENTS_AGENTS);
        TheScene.EndIteration();
        ASSERT_NE(agent, nullptr);
        EXPECT_FLOAT_EQ(agent->GetPosition().x, c.at.x);
        EXPECT_FLOAT_EQ(agent->GetPosition().z, c.at.z);
        int column = -1, row = -1;
        EXPECT_TRUE(grid.WorldToCell(agent->GetPosition(), &column, &row));
        TheScene.ReleaseEntities();
        game.grid->ResetCells();
    }
}
