// The level layout: where the player starts, when rivers come, where each objective finds its
// site, and that the tables hold however much a mission asks for.
#include "tests/levelgen/LevelGenTestSupport.h"

#include <cstdlib>
#include <set>
#include <utility>

namespace {

using LevelLayout = LevelGenTest;

std::set<std::pair<int, int>> Points(const IntPoint* points, int count)
{
    std::set<std::pair<int, int>> set;
    for (int i = 0; i < count; ++i) set.insert({points[i].x, points[i].y});
    return set;
}

int CellOf(IntPoint p)
{
    return CellGrid::Instance().PositionToIndex(p);
}

}  // namespace

TEST_F(LevelLayout, ThePlayerStartsNearTheCornerTheMissionNames)
{
    const IntPoint centres[4] = {{18, 110}, {100, 110}, {18, 16}, {100, 16}};
    std::set<int> randomCorners;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        for (int start = 1; start <= 4; ++start) {
            MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_NO_RIVERS, start);
            SRand(seed);
            TheLevelGenerator.Layout(&mission);
            IntPoint p = TheLevelGenerator.startPoint;
            EXPECT_LE(std::abs(p.x - centres[start - 1].x), 4);
            EXPECT_LE(std::abs(p.y - centres[start - 1].y), 4);
            EXPECT_FALSE(CellGrid::Instance().IsFree(TheLevelGenerator.startCell));
            EXPECT_EQ(TheLevelGenerator.oreSites[0], p);
            EXPECT_EQ(TheLevelGenerator.fuelSites[0], p);
        }
        MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_NO_RIVERS, 0);
        SRand(seed);
        TheLevelGenerator.Layout(&mission);
        for (int c = 0; c < 4; ++c) {
            IntPoint p = TheLevelGenerator.startPoint;
            if (std::abs(p.x - centres[c].x) <= 4 && std::abs(p.y - centres[c].y) <= 4) randomCorners.insert(c);
        }
    }
    EXPECT_EQ(randomCorners.size(), 4u) << "player start 0 reaches every corner";
}

TEST_F(LevelLayout, EachLayoutHasItsRivers)
{
    struct Case {
        int layout;
        int rivers;
        std::set<int> coordinates;
    };
    const Case cases[] = {{LEVEL_TEMPLATE_OPPOSITE_ENEMY, 1, {68}}, {LEVEL_TEMPLATE_RIVER_DIVIDES, 1, {68}}, {LEVEL_TEMPLATE_2_RIVERS, 2, {68, 90}},
                          {LEVEL_TEMPLATE_NO_RIVERS, 0, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        for (unsigned seed = 1; seed <= 8; ++seed) {
            MissionRecord mission = Mission("marsh", c.layout, 3);
            SRand(seed);
            TheLevelGenerator.Layout(&mission);
            const LevelGenerator& g = TheLevelGenerator;
            ASSERT_EQ(g.riverCount, c.rivers);
            EXPECT_EQ(g.HasLayout(nullptr), c.rivers > 0);
            EXPECT_EQ(g.crossingCount, 2 * c.rivers);
            std::set<int> coordinates;
            for (int r = 0; r < g.riverCount; ++r) {
                bool row = g.riverOrientation[r] == RIVER_ALONG_ROW;
                coordinates.insert(row ? g.riverLines[r].y : g.riverLines[r].x);
                EXPECT_EQ(row ? g.riverLines[r].x : g.riverLines[r].y, 0);
                EXPECT_EQ(g.riverOrientation[r], g.riverOrientation[0]) << "both rivers run the same way";
                EXPECT_EQ(g.riverParameter[r], 0.0f);
                if (c.layout == LEVEL_TEMPLATE_RIVER_DIVIDES) {
                    EXPECT_TRUE(row);
                }
            }
            EXPECT_EQ(coordinates, c.coordinates);
        }
    }
}

TEST_F(LevelLayout, TheDefaultLayoutGetsARiverByTheEnvironmentsRiversValue)
{
    // marsh and moon have rivers 1.0, lava 0, forest 0.6.
    struct Case {
        const char* environment;
        int withRiver;  // of 60 seeds: -1 all of them
    };
    const Case cases[] = {{"marsh", -1}, {"moon", 0}, {"lava", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.environment);
        int rivers = 0;
        for (unsigned seed = 1; seed <= 60; ++seed) {
            MissionRecord mission = Mission(c.environment, LEVEL_TEMPLATE_NONE, 1);
            SRand(seed);
            TheLevelGenerator.Layout(&mission);
            rivers += TheLevelGenerator.riverCount;
            if (TheLevelGenerator.riverCount) {
                int coordinate = TheLevelGenerator.riverLines[0].x + TheLevelGenerator.riverLines[0].y;
                EXPECT_TRUE(coordinate == 48 || coordinate == 80) << coordinate;
            }
        }
        EXPECT_EQ(rivers, c.withRiver < 0 ? 60 : c.withRiver);
    }
    int forest = 0;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_NONE, 1);
        SRand(seed);
        TheLevelGenerator.Layout(&mission);
        forest += TheLevelGenerator.riverCount;
    }
    EXPECT_GT(forest, 90);
    EXPECT_LT(forest, 150);
    // The level generator window can force one even on the moon.
    TheLevelGenerator.forceRivers = true;
    MissionRecord moon = Mission("moon", LEVEL_TEMPLATE_NONE, 1);
    SRand(5);
    TheLevelGenerator.Layout(&moon);
    EXPECT_EQ(TheLevelGenerator.riverCount, 1);
}

TEST_F(LevelLayout, ARiverThatDividesTheLevelLeavesElevenCells)
{
    CellGrid& cells = CellGrid::Instance();
    cells.Reset();
    TheLevelGenerator.Clear();
    SRand(4);
    cells.MarkUsedAt(StartCornerPoint(2));
    TheLevelGenerator.AddRiver(RIVER_ALONG_ROW, 68, 2, 0.0f);
    EXPECT_EQ(cells.GetFreeCount(), 11);
    for (int column = 0; column < 4; ++column) EXPECT_FALSE(cells.IsFreeCell(column, 2));
    uint8_t orientation = 0;
    EXPECT_TRUE(TheLevelGenerator.HasLayout(&orientation));
    EXPECT_EQ(orientation, RIVER_ALONG_ROW);
}

TEST_F(LevelLayout, ObjectivesFindTheirSitesByTheirPlacementFlags)
{
    // Start near (18, 16): cell 0.
    MissionRecord mission = Mission("desert", LEVEL_TEMPLATE_NO_RIVERS, 3);
    for (int k = 0; k < 4; ++k) AddObjective(mission, OBJECTIVE_RECOVER_OBJECT, "relic", 1, OBJECTIVE_MAP_CENTER);
    AddObjective(mission, OBJECTIVE_DESTROY_BUILDING, "outpost", 1, OBJECTIVE_OPPOSITE_TO_PLAYER);
    AddObjective(mission, OBJECTIVE_DESTROY_BUILDING, "outpost", 1, OBJECTIVE_OPPOSITE_TO_PLAYER);
    AddObjective(mission, OBJECTIVE_DISCOVER_ENTITY, "computer", 1, OBJECTIVE_ADJACENT_TO_PLAYER);
    AddObjective(mission, OBJECTIVE_RECOVER_OBJECT, "relic", 1, OBJECTIVE_MAP_CENTER);
    AddObjective(mission, OBJECTIVE_BUILD, "factory", 1, OBJECTIVE_GUARDED_OBJECT);
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        SRand(seed);
        TheLevelGenerator.Layout(&mission);
        const LevelGenerator& g = TheLevelGenerator;
        ASSERT_EQ(g.objectiveSiteCount, 9);
        // The far central cells first, then the near one; once they are gone, anywhere.
        std::set<int> first{CellOf(g.objectiveSites[0]), CellOf(g.objectiveSites[1]), CellOf(g.objectiveSites[2])};
        EXPECT_EQ(first, (std::set<int>{6, 9, 10}));
        EXPECT_EQ(CellOf(g.objectiveSites[3]), 5);
        EXPECT_EQ(std::set<int>({5, 6, 9, 10}).count(CellOf(g.objectiveSites[7])), 0u);
        // Opposite the start, and the second one elsewhere rather than on the same site.
        EXPECT_EQ(CellOf(g.objectiveSites[4]), 15);
        EXPECT_NE(CellOf(g.objectiveSites[5]), 15);
        int adjacent = CellOf(g.objectiveSites[6]);
        EXPECT_TRUE(adjacent == 1 || adjacent == 4) << adjacent;
        for (int i = 0; i < 8; ++i) EXPECT_EQ(g.objectiveSites[i].x % 32, 16) << "a site is its cell's centre";
        EXPECT_EQ(Points(g.objectiveSites, 8).size(), 8u) << "no two objectives share a site";
        EXPECT_EQ(g.objectiveSites[8], IntPoint(-1, -1));
        EXPECT_EQ(g.siteObjectives[8]->type, OBJECTIVE_BUILD);
        // A building objective has no site of its own to guard.
        for (int i = 0; i < g.specialSiteCount; ++i) EXPECT_NE(g.specialSiteKinds[i], SITE_GUARD_POST);
    }
}

TEST_F(LevelLayout, AnObjectiveAtTheMapsZeroTakesTheWholeCentre)
{
    MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_NO_RIVERS, 2);
    AddObjective(mission, OBJECTIVE_RECOVER_OBJECT, "relic", 1, OBJECTIVE_MAP_ZERO | OBJECTIVE_GUARDED_OBJECT | OBJECTIVE_IN_CITY);
    SRand(11);
    TheLevelGenerator.Layout(&mission);
    const LevelGenerator& g = TheLevelGenerator;
    EXPECT_EQ(g.objectiveSites[0], IntPoint(64, 64));
    for (int cell : {5, 6, 9, 10}) EXPECT_FALSE(CellGrid::Instance().IsFree(cell));
    ASSERT_GE(g.specialSiteCount, 3);
    EXPECT_EQ(g.specialSites[0], IntPoint(66, 64));
    EXPECT_EQ(g.specialSiteKinds[0], SITE_GUARD_POST);
    EXPECT_EQ(g.specialSites[1], IntPoint(62, 64));
    EXPECT_EQ(g.specialSites[2], IntPoint(64, 64));
    EXPECT_EQ(g.specialSiteKinds[2], SITE_ENEMY_CAMP);
}

TEST_F(LevelLayout, RepairedObjectsStandInPairsInTheCentralCells)
{
    MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_NO_RIVERS, 1);
    AddObjective(mission, OBJECTIVE_REPAIR_OBJECT, "relic", 11);
    SRand(21);
    TheLevelGenerator.Layout(&mission);
    const LevelGenerator& g = TheLevelGenerator;
    ASSERT_EQ(g.objectiveSiteCount, 8) << "four central cells hold four pairs";
    for (int k = 0; k < 8; k += 2) {
        IntPoint a = g.objectiveSites[k], b = g.objectiveSites[k + 1];
        EXPECT_EQ(CellOf(a), CellOf(b));
        EXPECT_EQ(a.x % 32, 22);
        EXPECT_EQ(b.x % 32, 14);
    }
}

TEST_F(LevelLayout, EveryTableHoldsNoMoreThanItHasRoomFor)
{
    MissionRecord mission = Mission("winter", LEVEL_TEMPLATE_NONE, 4);
    for (int k = 0; k < MAX_MISSION_OBJECTIVES; ++k)
        AddObjective(mission, OBJECTIVE_ELIMINATE_ENEMIES, "outpost", 5, OBJECTIVE_GUARDED_OBJECT | OBJECTIVE_IN_CITY);
    mission.enemyCount = 40;
    mission.creatureCount = 40;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        SRand(seed);
        TheLevelGenerator.Layout(&mission);
        const LevelGenerator& g = TheLevelGenerator;
        EXPECT_LE(g.objectiveSiteCount, MAX_LEVEL_SITES);
        EXPECT_LE(g.specialSiteCount, MAX_LEVEL_SITES);
        EXPECT_LE(g.creatureSiteCount, MAX_CREATURE_SITES);
        EXPECT_LE(g.oreSiteCount, MAX_LEVEL_SITES);
        EXPECT_LE(g.namedSiteCount, MAX_LEVEL_SITES);
        // Sites that ran out of cells are left out, never stacked on the last one.
        EXPECT_EQ(Points(g.objectiveSites, g.objectiveSiteCount).size(), (size_t)g.objectiveSiteCount);
        EXPECT_GT(g.objectiveSiteCount, 0);
    }
}

TEST_F(LevelLayout, WithEveryCellTakenByObjectivesOnlyTheStartHoldsOre)
{
    MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_NO_RIVERS, 1);
    AddObjective(mission, OBJECTIVE_RECOVER_OBJECT, "relic", 15, OBJECTIVE_FAR_FROM_PLAYER);
    mission.creatureCount = 3;
    mission.enemyCount = 2;
    SRand(8);
    TheLevelGenerator.Layout(&mission);
    const LevelGenerator& g = TheLevelGenerator;
    EXPECT_EQ(g.objectiveSiteCount, 15);
    EXPECT_EQ(CellGrid::Instance().GetFreeCount(), 0);
    EXPECT_EQ(g.namedSiteCount, 0);
    EXPECT_EQ(g.creatureSiteCount, 0);
    EXPECT_EQ(g.oreSiteCount, 1);
    EXPECT_EQ(g.fuelSiteCount, 1);
}

TEST_F(LevelLayout, LeftoverCellsGetWreckageRocksOreFuelHillsAndHoles)
{
    MissionRecord mission = Mission("winter", LEVEL_TEMPLATE_NO_RIVERS, 1);
    SRand(30);
    TheLevelGenerator.Layout(&mission);
    const LevelGenerator& g = TheLevelGenerator;
    ASSERT_GE(g.namedSiteCount, 4);
    EXPECT_STREQ(g.siteNames[0], "wreckage");
    EXPECT_STREQ(g.siteNames[1], "rockset");
    EXPECT_STREQ(g.siteNames[2], "hill_snow");
    EXPECT_STREQ(g.siteNames[3], "terrainHole_ice");
    EXPECT_GE(g.oreSiteCount, 4);
    EXPECT_EQ(g.specialSiteCount, 1);
    EXPECT_EQ(g.specialSiteKinds[0], SITE_DROPSHIP);
    EXPECT_STREQ(RockSetName("MARSH"), "tree_rock");
    EXPECT_STREQ(HillSetName("Desert"), "hill_desert");
    EXPECT_STREQ(HillSetName("lava"), "hill_rock");
}
