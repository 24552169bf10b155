// A level's worth of agents walking to random points for a minute of game time, among walls:
// nobody gets stuck, nobody stands on a closed cell or shares a cell, and every route taken
// from the pool is given back. Also: a reference to an agent that went back to the pool never
// reaches the agent it became.
#include "world/Agent.h"

#include "tests/world/AgentTestSupport.h"
#include "world/AgentTypeRegistry.h"
#include "world/Grid.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

class AgentCrowdTest : public AgentWorld {};

TEST_F(AgentCrowdTest, ALevelOfAgentsWalksToRandomPointsForAMinuteWithoutGettingStuck)
{
    // Walls short enough for one route search to get round them, and a few blocks.
    std::mt19937 random(20260);
    for (int i = 0; i < 12; ++i) {
        int column = 10 + (int)(random() % 100), row = 10 + (int)(random() % 100);
        bool across = (random() & 1) != 0;
        for (int k = 0; k < 12; ++k) Cell(across ? column + k : column, across ? row : row + k)->flags = 0;
    }
    game.LabelWalkRegions();
    auto randomOpenCell = [&](int* column, int* row) {
        do {
            *column = 2 + (int)(random() % 124);
            *row = 2 + (int)(random() % 124);
        } while (!Cell(*column, *row)->IsFreeWalkable() || grid->CannotReach(Cell(*column, *row), Cell(64, 2)));
    };
    ASSERT_TRUE(Cell(64, 2)->IsFreeWalkable());

    const int count = 60;
    std::vector<Agent*> agents;
    for (int i = 0; i < count; ++i) {
        int column, row;
        randomOpenCell(&column, &row);
        Agent* agent = Unit(column, row, i % 2 ? ALIGN_ENEMY : ALIGN_PLAYER);
        ASSERT_NE(agent, nullptr);
        agents.push_back(agent);
    }
    std::vector<int> orders(count, 0);
    std::vector<float> stillFor(count, 0.0f), longestStill(count, 0.0f);
    std::vector<Vec3> last(count);
    const float dt = 0.05f;
    for (float t = 0.0f; t < 60.0f; t += dt) {
        for (int i = 0; i < count; ++i) {
            if (!Settled(agents[i])) continue;
            int column, row;
            randomOpenCell(&column, &row);
            agents[i]->MoveTo(Corner(column, row), true);
            ++orders[i];
        }
        for (int i = 0; i < count; ++i) last[i] = agents[i]->GetPosition();
        Frame(dt);
        int holding = 0;
        for (int i = 0; i < count; ++i) {
            Agent* agent = agents[i];
            if (agent->path) ++holding;
            bool moved = Ground(agent->GetPosition(), last[i]) > 1e-4f;
            stillFor[i] = moved || !agent->HasStanceBits() ? 0.0f : stillFor[i] + dt;
            longestStill[i] = std::max(longestStill[i], stillFor[i]);
            const GridCell* under = grid->GetCellAt(grid->SnapToGridPoint(agent->GetPosition()));
            ASSERT_TRUE(under && (under->flags & CELL_WALKABLE)) << "agent " << i << " at " << t << " s";
            int held = 0;
            for (const GridCell* cell = agent->gridCell; cell && held < 3; cell = cell->next) ++held;
            ASSERT_LE(held, 1) << "an agent holds one cell at most";
        }
        ASSERT_EQ(game.pathPool->InUseCount(), holding) << "every route out of the pool is held by a walker";
    }
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(orders[i], 2) << "it arrived and took new orders";
        EXPECT_LT(longestStill[i], 12.0f) << "nobody stands stuck with an order";
    }
    for (Agent* agent : agents) agent->ResetMovement();
    EXPECT_EQ(game.pathPool->InUseCount(), 0);
    EXPECT_EQ(game.pathPool->FreeCount(), PATH_POOL_SIZE);
}

TEST_F(AgentCrowdTest, AReferenceToAnAgentBackInThePoolNeverReachesItsNextLife)
{
    Agent* agent = Unit(10, 10);
    EntityRef kept(agent);
    const unsigned oldId = agent->id;
    TheScene.RemoveEntity(agent, 0);
    TheScene.ClearRemoved();
    // The pool hands agents out again until it gives back the same record.
    std::vector<Agent*> taken;
    Agent* again = nullptr;
    while (Agent* next = game.agentTypes->TakeFreeAgent()) {
        taken.push_back(next);
        if (next == agent) {
            again = next;
            break;
        }
    }
    ASSERT_EQ(again, agent);
    again->Reset();
    TheScene.AddEntity(again);
    EXPECT_NE(again->id, oldId);
    EXPECT_EQ(kept.Get(), nullptr) << "the old reference is dead";
    EXPECT_EQ(EntityRef(again).Get(), again);
    for (Agent* other : taken)
        if (other != again) game.agentTypes->ReturnAgent(other);
}

}  // namespace
