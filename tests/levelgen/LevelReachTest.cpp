// Every generated level can be walked: from the player's start, the walk regions of the tile
// map reach every site the layout placed (objectives, camps, guard posts, the dropship,
// creature lairs and ore fields), over the bridges of every river, for every layout and many
// seeds.
#include "tests/levelgen/PopulationTestSupport.h"

#include "render/MeshLibrary.h"
#include "terrain/Terrain.h"
#include "world/Grid.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

class LevelReach : public PopulationTest {
protected:
    void SetUp() override
    {
        PopulationTest::SetUp();
        AddObject("Scavenger_camp", 10, CLEARING_COMPOUND);
        AddObject("creature_nest", 8, CLEARING_DISC);
    }
    void TearDown() override
    {
        TheScene.heightmapName[0] = 0;
        PopulationTest::TearDown();
    }

    // The sites of the layout that cannot be reached from the start, named.
    std::vector<std::string> Unreachable() const
    {
        const LevelGenerator& layout = TheLevelGenerator;
        const int start = RegionNear(layout.startPoint);
        std::vector<std::string> lost;
        auto check = [&](const char* what, IntPoint site) {
            if (site.x < 0 || site.y < 0) return;
            if (RegionNear(site) != start || start < 0) {
                char text[64];
                snprintf(text, sizeof text, "%s at (%d, %d)", what, site.x, site.y);
                lost.push_back(text);
            }
        };
        for (int i = 0; i < layout.objectiveSiteCount; ++i) check("objective", layout.objectiveSites[i]);
        for (int i = 0; i < layout.specialSiteCount; ++i) check("camp, post or dropship", layout.specialSites[i]);
        for (int i = 0; i < layout.creatureSiteCount; ++i) check("lair", layout.creatureSites[i]);
        for (int i = 0; i < layout.oreSiteCount; ++i) check("ore field", layout.oreSites[i]);
        return lost;
    }
};

}  // namespace

TEST_F(LevelReach, EverySiteOfEveryLayoutCanBeReachedFromTheStart)
{
    const struct {
        const char* what;
        int layout;
    } layouts[] = {{"default", LEVEL_TEMPLATE_NONE},
                   {"OppositeEnemy", LEVEL_TEMPLATE_OPPOSITE_ENEMY},
                   {"RiverDivides", LEVEL_TEMPLATE_RIVER_DIVIDES},
                   {"2Rivers", LEVEL_TEMPLATE_2_RIVERS},
                   {"NoRivers", LEVEL_TEMPLATE_NO_RIVERS}};
    int rivers = 0;
    for (const auto& l : layouts) {
        MissionRecord mission = Mission("marsh", l.layout);  // marsh: the default layout has a river
        mission.enemyCount = 2;
        mission.creatureCount = 2;
        AddObjective(mission, OBJECTIVE_RECOVER_OBJECT, "relic", 1, OBJECTIVE_GUARDED_OBJECT);
        AddObjective(mission, OBJECTIVE_DESTROY_BUILDING, "Scavenger_camp", 1, OBJECTIVE_OPPOSITE_TO_PLAYER);
        AddObjective(mission, OBJECTIVE_ELIMINATE_ENEMIES, "creature_nest", 1, OBJECTIVE_FAR_FROM_PLAYER);
        for (unsigned seed = 1; seed <= 50; ++seed) {
            Build(mission, seed);
            rivers += TheLevelGenerator.riverCount;
            for (const std::string& lost : Unreachable())
                ADD_FAILURE() << l.what << " seed " << seed << ": " << lost << " cannot be reached";
        }
    }
    EXPECT_GT(rivers, 200) << "the layouts have rivers to cross";
}
