// The step planner: an agent at its goal settles, a goal whose cell cannot be had is given up
// for a free cell beside it after a while, a goal no route reaches is walked up to and given
// up 3 s later (with one walk round the wall that finds no way in), a unit waits unsearched
// while every path is out, and a goal across a river far from its crossing is reached by the
// crossing.
#include "mechanics/GameMechanics.h"

#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "tests/world/AgentTestSupport.h"
#include "world/Grid.h"
#include "world/GridWalk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

class AgentStepPlanningTest : public AgentWorld {
protected:
    // The agent asks the planner for a way to the point, as after a blocked step.
    void Stepping(Agent* agent, const Vec3& point)
    {
        agent->stepTarget = point;
        agent->classWord |= AGENT_STEPPING;
    }
};

TEST_F(AgentStepPlanningTest, AnAgentAtItsGoalSettles)
{
    Agent* agent = Unit(30, 30);
    Stepping(agent, Corner(30, 30));
    Frame(0.05f);
    EXPECT_FALSE(agent->HasStanceBits());
    EXPECT_EQ(Cell(30, 30)->occupant, agent);
}

TEST_F(AgentStepPlanningTest, AClosedGoalIsGivenUpForAFreeCellBesideItAfterAWhile)
{
    Cell(40, 30)->flags = 0;  // a rock
    game.LabelWalkRegions();
    Agent* agent = Unit(30, 30);
    Stepping(agent, Corner(40, 30));
    const Vec3 start = agent->GetPosition();
    RunUntil(3.8f, 0.05f, [] { return false; });
    EXPECT_TRUE(agent->GetPosition() == start) << "it waits for the cell first";
    float took = RunUntil(20.0f, 0.05f, [&] { return Settled(agent); });
    EXPECT_LT(took, 20.0f);
    EXPECT_LE(Ground(agent->GetPosition(), Corner(40, 30)), 2.5f * 1.5f) << "beside the rock";
    EXPECT_EQ(game.pathPool->InUseCount(), 0);
}

TEST_F(AgentStepPlanningTest, AGoalBehindAWallIsWalkedUpToAndThenGivenUp)
{
    // A walled pocket: the walk regions say nothing (the labels are stale), so the planner
    // searches, gets as near as it can and, with no way on from there, stops 3 s later.
    for (int column = 50; column <= 60; ++column) Cell(column, 50)->flags = Cell(column, 60)->flags = 0;
    for (int row = 50; row <= 60; ++row) Cell(50, row)->flags = Cell(60, row)->flags = 0;
    Agent* agent = Unit(30, 30);
    Stepping(agent, Corner(55, 55));
    const uint32_t floods = game.walkRound->Floods();
    float lastMove = 0.0f, t = 0.0f;
    while (t < 40.0f && !Settled(agent)) {
        Vec3 before = agent->GetPosition();
        Frame(0.05f);
        t += 0.05f;
        if (Ground(before, agent->GetPosition()) > 1e-4f) lastMove = t;
    }
    EXPECT_TRUE(Settled(agent));
    EXPECT_NEAR(t - lastMove, 3.0f, 0.3f) << "3 s of failing searches at the wall";
    EXPECT_LE(Ground(agent->GetPosition(), Corner(55, 55)), 6.5f * 2.5f) << "right at the pocket's wall";
    EXPECT_EQ(game.walkRound->Floods() - floods, 1u) << "one walk round finds the pocket shut, and no other";
    EXPECT_EQ(game.pathPool->InUseCount(), 0);
}

TEST_F(AgentStepPlanningTest, WithEveryPathOutAUnitWaitsUnsearchedAndGoesRoundAWallOnceOneIsFree)
{
    // A wall from the map's edge to row 120: the way round its end leads far from the goal.
    for (int row = 0; row <= 120; ++row) Cell(40, row)->flags = 0;
    std::vector<Path*> out;
    while (Path* path = game.pathPool->Acquire()) out.push_back(path);
    Agent* agent = Unit(39, 30);
    Stepping(agent, Corner(41, 30));
    const uint32_t floods = game.walkRound->Floods();
    RunUntil(1.0f, 0.05f, [] { return false; });
    EXPECT_TRUE(agent->GetPosition() == Corner(39, 30));
    EXPECT_EQ(game.walkRound->Floods(), floods) << "no walk round while no path can take it";
    for (Path* path : out) game.pathPool->Release(path);
    EXPECT_LT(RunUntil(200.0f, 0.05f, [&] { return Settled(agent); }), 200.0f);
    EXPECT_LE(Ground(agent->GetPosition(), Corner(41, 30)), 0.5f) << "round the wall's end, at its goal";
    EXPECT_EQ(game.walkRound->Floods() - floods, 1u);
    EXPECT_EQ(game.pathPool->InUseCount(), 0);
}

TEST_F(AgentStepPlanningTest, AGoalAcrossARiverFarFromItsCrossingIsReachedByTheCrossing)
{
    // One river along map row 68 with its crossings, five cells wide, 24 cells either side of
    // the goal's column; the level map runs against world x: map cell (x, y) is grid cell
    // (127 - x, y).
    MapGenerator maps;
    ScopedGlobal<MapGenerator*> currentMaps{TheMapGenerator, &maps};
    maps.kinds.assign(128 * 128, KIND_OPEN);
    TheLevelGenerator.Clear();
    TheLevelGenerator.AddRiver(RIVER_ALONG_ROW, 68, 2, 0.0f);
    TheLevelGenerator.crossingPoints[0] = IntPoint(40, 68);
    TheLevelGenerator.crossingPoints[1] = IntPoint(88, 68);
    for (int x = 0; x < 128; ++x) {
        maps.SetKind(x, 68, KIND_RIVER);
        if (std::abs(x - 40) > 2 && std::abs(x - 88) > 2) Cell(127 - x, 68)->flags = 0;
    }
    game.LabelWalkRegions();
    Agent* agent = Unit(63, 60);
    Stepping(agent, Corner(63, 76));
    float took = RunUntil(60.0f, 0.05f, [&] { return Settled(agent); });
    TheLevelGenerator.Clear();
    EXPECT_LT(took, 60.0f);
    EXPECT_LE(Ground(agent->GetPosition(), Corner(63, 76)), 2.5f) << "over the river, at its goal";
    EXPECT_EQ(game.pathPool->InUseCount(), 0);
}

}  // namespace
