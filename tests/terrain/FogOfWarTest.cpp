// The fog of war's grids without a device: how far the player's units, buildings and rig see,
// which marker a cell keeps when several stand on it, the outermost ring that is never seen,
// cells that stay ever seen, the game's update that works them out every second frame whether
// or not a frame is drawn, and the queries the entities and particles ask (also through the
// game seam), with the fog switched on and off.
#include "interface/GameSeamImpl.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "tests/world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class FogOfWar : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        minimap.AllocateFogGrids();
    }

    // A player agent standing on the corner of the cell, in the level.
    Agent* Unit(int column, int row, uint32_t flags = 0)
    {
        Agent* agent = NewAgent(ALIGN_PLAYER);
        agent->flags |= flags;
        agent->SetPosition(Corner(column, row));
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    Building* House(int alignment, int column, int row, int width, int depth)
    {
        Building* building = Standing(NewBuilding(alignment), column, row, width, depth);
        building->buildState = BUILD_STATE_READY;
        EXPECT_NE(TheScene.AddEntity(building), nullptr);
        return building;
    }
    bool Visible(int column, int row) { return minimap.fog.IsVisibleNow(column, row); }

    Minimap minimap;
};

TEST_F(FogOfWar, UnitsBuildingsAndTheRigSeeAsFarAsTheirSight)
{
    // Offsets from the entity's corner, in cells, with the distance of the cell's corner.
    struct Case {
        const char* what;
        int dx, dz;
        bool unit, building, rig;
    };
    const Case cases[] = {
        {"8 cells: 20.0", 8, 0, true, true, true},
        {"9 cells: 22.5", 9, 0, false, true, true},
        {"(11, 3): 28.5", 11, 3, false, true, true},
        {"(11, 4): 29.26", 11, 4, false, false, true},
        {"12 cells: 30.0", 12, 0, false, false, false},
        {"(-8, -6): 25.0", -8, -6, false, true, true},
    };
    for (int kind = 0; kind < 3; ++kind) {
        TheScene.ReleaseEntities();
        minimap.AllocateFogGrids();
        if (kind == 0) Unit(64, 64);
        if (kind == 1) House(ALIGN_PLAYER, 64, 64, 1, 1);
        if (kind == 2) {
            minimap.rigSightSkill = 5;
            Unit(64, 64, ENTITY_PLAYER);
        }
        minimap.UpdateVisibility();
        for (const Case& c : cases) {
            bool expected = kind == 0 ? c.unit : kind == 1 ? c.building : c.rig;
            EXPECT_EQ(Visible(64 + c.dx, 64 + c.dz), expected) << c.what << ", kind " << kind;
            EXPECT_EQ(minimap.IsCellVisited(64 + c.dx, 64 + c.dz), expected) << c.what << ", kind " << kind;
        }
    }
    minimap.rigSightSkill = 0;
}

TEST_F(FogOfWar, EnemiesAndHiddenBuildingsRevealNothing)
{
    Agent* enemy = NewAgent(ALIGN_ENEMY);
    enemy->SetPosition(Corner(40, 40));
    ASSERT_NE(TheScene.AddEntity(enemy), nullptr);
    Building* preview = House(ALIGN_PLAYER, 80, 80, 2, 2);
    preview->stateFlags |= BUILDING_PREVIEW;
    minimap.UpdateVisibility();
    EXPECT_FALSE(Visible(40, 40));
    EXPECT_FALSE(Visible(80, 80));
    EXPECT_EQ(minimap.fog.GetMarker(80, 80), FOG_MARK_NONE);
}

TEST_F(FogOfWar, ACellKeepsTheStrongestMarker)
{
    // What stood on the cell, in order, and the marker it keeps.
    struct Case {
        const char* what;
        FogMarker first, second, kept;
    };
    const Case cases[] = {
        {"unit, then building", FOG_MARK_UNIT, FOG_MARK_BUILDING, FOG_MARK_BUILDING},
        {"building, then unit", FOG_MARK_BUILDING, FOG_MARK_UNIT, FOG_MARK_BUILDING},
        {"unit, then rig", FOG_MARK_UNIT, FOG_MARK_RIG, FOG_MARK_RIG},
        {"rig, then unit", FOG_MARK_RIG, FOG_MARK_UNIT, FOG_MARK_RIG},
        {"building, then rig", FOG_MARK_BUILDING, FOG_MARK_RIG, FOG_MARK_RIG},
    };
    for (const Case& c : cases) {
        TheScene.ReleaseEntities();
        minimap.AllocateFogGrids();
        for (FogMarker marker : {c.first, c.second}) {
            TheScene.ReleaseEntities();
            if (marker == FOG_MARK_BUILDING)
                House(ALIGN_PLAYER, 30, 30, 1, 1);
            else
                Unit(30, 30, marker == FOG_MARK_RIG ? ENTITY_PLAYER : 0);
            minimap.UpdateVisibility();
        }
        EXPECT_EQ(minimap.fog.GetMarker(30, 30), c.kept) << c.what;
    }
}

TEST_F(FogOfWar, TheOutermostRingIsNeverSeen)
{
    Unit(0, 64);
    Unit(127, 20);
    minimap.UpdateVisibility();
    for (int row = 0; row < 128; ++row)
        for (int column = 0; column < 128; ++column)
            ASSERT_FALSE(Visible(column, row)) << column << ", " << row;
    EXPECT_EQ(minimap.fog.GetMarker(0, 64), FOG_MARK_NONE);

    // A unit next to the ring sees up to it, not onto it.
    TheScene.ReleaseEntities();
    Unit(1, 64);
    minimap.UpdateVisibility();
    EXPECT_TRUE(Visible(1, 64));
    EXPECT_FALSE(Visible(0, 64));
}

TEST_F(FogOfWar, GridsOfAnotherSizeAreBoundedByTheirOwnSize)
{
    FogGrids grids;
    grids.Allocate(64);
    const Vec3 origin(80.0f, 0.0f, 80.0f);
    // Near the far corner of a 64-cell grid: the reveal stops at its inner edge.
    grids.Reveal(61, 61, 1, 1, FOG_BUILDING_SIGHT, Vec3(61 * 2.5f - 80.0f, 0.0f, 61 * 2.5f - 80.0f), 2.5f, origin);
    EXPECT_TRUE(grids.IsVisibleNow(62, 62));
    EXPECT_FALSE(grids.IsVisibleNow(63, 62));
    EXPECT_FALSE(grids.IsInner(63, 10));
    grids.Mark(63, 63, FOG_MARK_RIG);
    EXPECT_EQ(grids.GetMarker(63, 63), FOG_MARK_NONE);
    size_t lit = 0;
    for (uint8_t v : grids.visibleNow) lit += v;
    EXPECT_GT(lit, 0u);
}

TEST_F(FogOfWar, ACellOnceSeenStaysEverSeen)
{
    Agent* unit = Unit(20, 20);
    minimap.UpdateVisibility();
    ASSERT_TRUE(Visible(20, 20));
    unit->SetPosition(Corner(90, 90));
    minimap.UpdateVisibility();
    EXPECT_FALSE(Visible(20, 20));
    EXPECT_TRUE(minimap.IsCellVisited(20, 20));
    EXPECT_TRUE(Visible(90, 90));
    EXPECT_EQ(minimap.fog.GetMarker(20, 20), FOG_MARK_UNIT) << "the markers remember where units stood";
}

TEST_F(FogOfWar, TheGameUpdateWorksOutWhatIsSeenEverySecondFrameWithNothingDrawn)
{
    Agent* unit = Unit(20, 20);
    // The frames of the game's update, each with whether it works out what the units see: the
    // first after the grids were made does; a frame's drawing never does.
    const bool worksItOut[] = {true, false, true, false, true};
    for (size_t frame = 0; frame < sizeof worksItOut / sizeof worksItOut[0]; ++frame) {
        const int column = frame % 2 ? 20 : 90;
        unit->SetPosition(Corner(column, column));
        minimap.Update();
        minimap.DrawFog();
        EXPECT_EQ(Visible(column, column), worksItOut[frame]) << "frame " << frame;
    }
    minimap.AllocateFogGrids();
    unit->SetPosition(Corner(40, 40));
    minimap.Update();
    EXPECT_TRUE(Visible(40, 40)) << "the first frame with grids made anew";
}

TEST_F(FogOfWar, TheQueriesAnswerWhatThePlayerSees)
{
    GameSeamImpl seam;
    ScopedGlobal<bool> fogOn{TheMinimap.fogEnabled, true};
    TheMinimap.AllocateFogGrids();
    Unit(64, 64);
    TheMinimap.UpdateVisibility();
    // An enemy building of 4 x 4 cells whose centre lies beyond the sight, one corner within.
    Building* camp = House(ALIGN_ENEMY, 72, 64, 4, 4);
    camp->gridRect[0] = -1;
    Agent* far = NewAgent(ALIGN_ENEMY);
    far->SetPosition(Corner(100, 100));
    ASSERT_NE(TheScene.AddEntity(far), nullptr);
    far->fogSeenTick = -1;
    camp->fogSeenTick = -1;

    EXPECT_TRUE(seam.IsPositionRevealed(Corner(66, 66)));
    EXPECT_FALSE(seam.IsPositionRevealed(Corner(100, 100)));
    EXPECT_FALSE(seam.IsPositionRevealed(Vec3(500.0f, 0.0f, 0.0f))) << "off the map";
    EXPECT_FALSE(seam.IsEntityRevealed(far));
    EXPECT_EQ(far->fogSeenTick, -1);
    EXPECT_FALSE(Visible(73, 65)) << "the camp's centre is under the fog";
    EXPECT_TRUE(seam.IsEntityRevealed(camp)) << "one of its cells is seen";
    EXPECT_EQ(camp->fogSeenTick, WorldTicks.count);

    TheMinimap.SetFogEnabled(false);
    EXPECT_TRUE(seam.IsPositionRevealed(Corner(100, 100)));
    EXPECT_TRUE(seam.IsPositionRevealed(Vec3(500.0f, 0.0f, 0.0f)));
    EXPECT_TRUE(seam.IsEntityRevealed(far));
    EXPECT_TRUE(TheMinimap.IsCellVisited(0, 0));
    TheMinimap.SetFogEnabled(true);
    TheMinimap.fog.Free();
    EXPECT_FALSE(TheMinimap.IsPositionVisible(Corner(66, 66))) << "no grids, no sight";
    EXPECT_TRUE(seam.IsPositionRevealed(Corner(100, 100))) << "before any level's fog nothing is hidden";
}

}  // namespace
