// Agents walking: a long order across the map arrives, walls are walked around and gaps walked
// through, an order to a cell no walk reaches ends without a route, a blocked agent waits,
// plans again and at last gives its order anew, and every route goes back to the pool. A unit is
// posed in every tick wherever the camera looks, so its muzzle is the same for every view.
#include "world/Agent.h"

#include "host/System.h"
#include "render/Animation.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"

#include "tests/render/TwoJointMesh.h"
#include "tests/world/AgentTestSupport.h"
#include "world/Grid.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class AgentMoveTest : public AgentWorld {
protected:
    void Wall(int column, int row0, int row1)
    {
        for (int row = row0; row <= row1; ++row) Cell(column, row)->flags = 0;
    }
    int InUse() const { return game.pathPool->InUseCount(); }
};

TEST_F(AgentMoveTest, ALongOrderAcrossTheMapArrivesAndHandsItsRouteBack)
{
    Agent* scout = Unit(4, 4);
    const Vec3 goal = Corner(120, 118);
    scout->MoveTo(goal, false);
    EXPECT_TRUE(scout->classWord & AGENT_STEPPING) << "a far point is planned, not refused";
    Frame(0.05f);
    ASSERT_NE(scout->path, nullptr) << "the planner laid a route";
    EXPECT_TRUE(scout->classWord & AGENT_MOVING);
    EXPECT_GT(scout->path->count, 100);
    float took = RunUntil(120.0f, 0.05f, [&] { return Settled(scout); });
    EXPECT_LT(took, 60.0f);
    EXPECT_LT(Ground(scout->GetPosition(), goal), 0.25f);
    EXPECT_EQ(Cell(120, 118)->occupant, scout) << "it holds the cell it stands on";
    EXPECT_EQ(Cell(4, 4)->occupant, nullptr) << "and no longer the one it left";
    EXPECT_EQ(scout->path, nullptr);
    EXPECT_EQ(InUse(), 0);
}

TEST_F(AgentMoveTest, WallsAreWalkedAroundAndGapsWalkedThrough)
{
    struct Case {
        const char* what;
        int gapRow;  // -1: no gap, the wall ends at row 58
    };
    const Case table[] = {{"around the end of a wall", -1}, {"through a gap", 50}};
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        OpenGround();
        Wall(40, 42, 58);
        if (c.gapRow >= 0) {
            Wall(40, 1, 126);
            Cell(40, c.gapRow)->flags = CELL_WALKABLE;
        }
        game.LabelWalkRegions();
        Agent* walker = Unit(30, 50);
        walker->MoveTo(Corner(50, 50), false);
        bool crossedWall = false;
        float took = RunUntil(60.0f, 0.05f, [&] {
            const GridCell* under = grid->GetCellAt(grid->SnapToGridPoint(walker->GetPosition()));
            if (under && !(under->flags & CELL_WALKABLE)) crossedWall = true;
            return Settled(walker);
        });
        EXPECT_LT(took, 60.0f);
        EXPECT_FALSE(crossedWall) << "never through the wall";
        EXPECT_LT(Ground(walker->GetPosition(), Corner(50, 50)), 0.25f);
        EXPECT_EQ(InUse(), 0);
        TheScene.ReleaseEntities();
    }
}

TEST_F(AgentMoveTest, AnOrderNoWalkReachesEndsWithoutARoute)
{
    // A walled-in pen: its cells are a walk region of their own.
    for (int column = 60; column <= 70; ++column) Cell(column, 60)->flags = Cell(column, 70)->flags = 0;
    Wall(60, 60, 70);
    Wall(70, 60, 70);
    game.LabelWalkRegions();
    Agent* outside = Unit(20, 20);
    const Vec3 start = outside->GetPosition();
    outside->MoveTo(Corner(65, 65), false);
    Frame(0.05f);
    EXPECT_EQ(outside->path, nullptr) << "the walk regions tell at once: no search, no route";
    float took = RunUntil(15.0f, 0.05f, [&] { return Settled(outside); });
    EXPECT_LT(took, 15.0f) << "it gives up instead of trying for ever";
    EXPECT_LT(Ground(outside->GetPosition(), start), 0.25f);
    EXPECT_EQ(InUse(), 0);
}

TEST_F(AgentMoveTest, AHeldGoalTakesAFreeCellNextToItOrStops)
{
    Agent* sitter = Unit(50, 50);
    Agent* walker = Unit(40, 50);
    walker->MoveTo(sitter->GetPosition(), true);
    float took = RunUntil(30.0f, 0.05f, [&] { return Settled(walker); });
    EXPECT_LT(took, 30.0f);
    EXPECT_LE(Ground(walker->GetPosition(), sitter->GetPosition()), 2.5f * 1.5f) << "right beside it";
    EXPECT_EQ(Cell(50, 50)->occupant, sitter);

    Agent* refused = Unit(40, 40);
    refused->MoveTo(sitter->GetPosition(), false);
    EXPECT_TRUE(Settled(refused)) << "without a nearby cell allowed the order is refused";
}

TEST_F(AgentMoveTest, ANeighbouringCellIsSteppedIntoWithoutASearch)
{
    struct Case {
        const char* what;
        int dx, dy;
        bool closeEdge;
        bool searched;
    };
    const Case table[] = {
        {"straight", 1, 0, false, false},
        {"diagonal", 1, 1, false, false},
        {"diagonal across a closed edge", 1, 1, true, true},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        OpenGround();
        Agent* agent = Unit(30, 30);
        if (c.closeEdge) Cell(30, 30)->steps[1] = 0;  // no step to (0, 1)
        agent->MoveTo(Corner(30 + c.dx, 30 + c.dy), false);
        Frame(0.05f);
        EXPECT_TRUE(agent->classWord & AGENT_MOVING);
        EXPECT_FALSE(agent->classWord & AGENT_STEPPING);
        EXPECT_EQ(agent->path != nullptr, c.searched);
        EXPECT_LT(RunUntil(10.0f, 0.05f, [&] { return Settled(agent); }), 10.0f);
        EXPECT_LT(Ground(agent->GetPosition(), Corner(30 + c.dx, 30 + c.dy)), 0.25f);
        TheScene.ReleaseEntities();
    }
}

// A long frame (the game's frames go up to 0.1 s) carries a walker further than what is left to
// its point: facing off the point, it still ends on it, and does not circle it for good.
TEST_F(AgentMoveTest, AWalkerFacingOffItsPointInALongFrameEndsOnIt)
{
    const float offs[] = {0.0f, 30.0f, 50.0f, 60.0f, 65.0f};  // degrees between its facing and the point
    for (float off : offs) {
        SCOPED_TRACE(off);
        OpenGround();
        Agent* agent = Unit(30, 30);
        const Vec3 point = Corner(30, 30);
        agent->SetPosition(point + Vec3(-0.4f, 0.0f, 0.0f));  // the point lies straight along +x
        agent->moveTarget = agent->stepTarget = point;
        agent->yaw = agent->targetYaw = 90.0f + off;
        MatrixRotationY(&agent->rotation, DegreesToRadians(agent->yaw));
        agent->classWord |= AGENT_MOVING;
        EXPECT_LT(RunUntil(5.0f, 0.1f, [&] { return Settled(agent); }), 5.0f);
        EXPECT_LT(Ground(agent->GetPosition(), point), 0.25f);
        TheScene.ReleaseEntities();
    }
}

TEST_F(AgentMoveTest, ABlockedAgentWaitsASecondStepsAndAfterFourSecondsOrdersAgain)
{
    Agent* agent = Unit(20, 20);
    Agent* blocker = Unit(22, 20);
    agent->stepTarget = Corner(25, 20);
    agent->path = BuildPath(game.pathPool, grid, agent, 20, 20, 25, 20);
    ASSERT_NE(agent->path, nullptr);
    // The route was laid before the blocker stepped in; it goes straight along the row.
    agent->path->count = 0;
    for (int column = 20; column <= 25; ++column) agent->path->AddPoint(Corner(column, 20));
    agent->classWord |= AGENT_MOVING;
    agent->path->Advance();
    agent->moveTarget = Corner(21, 20);
    agent->ClaimGridCell(Corner(21, 20));
    agent->SetPosition(Corner(21, 20));

    float t = 0.0f, steppedAt = -1.0f, reorderedAt = -1.0f;
    while (t < 6.0f) {
        float blockedBefore = agent->blockedTime;
        agent->FollowPath(0.1f);
        t += 0.1f;
        if (steppedAt < 0.0f && (agent->classWord & AGENT_STEPPING)) steppedAt = t;
        if (agent->blockedTime < blockedBefore) {
            reorderedAt = t;
            break;
        }
        // Nobody plans in this test: the route stays, and so does the blocker.
        agent->classWord &= ~AGENT_STEPPING;
    }
    EXPECT_TRUE(agent->GetPosition() == Corner(21, 20)) << "it stands while it waits";
    EXPECT_NEAR(steppedAt, 1.1f, 0.15f) << "a second's wait, then it plans again";
    EXPECT_NEAR(reorderedAt, 4.4f, 0.5f) << "after 4 s blocked it gives the order anew";
    EXPECT_TRUE(agent->classWord & AGENT_STEPPING);
    EXPECT_TRUE(agent->stepTarget == Corner(25, 20));
    EXPECT_FLOAT_EQ(agent->blockedTime, 0.0f);
    (void)blocker;
}

TEST_F(AgentMoveTest, StoppingSettlesOnlyOnTheAgentsOwnFreeCell)
{
    Agent* idle = Unit(10, 10);
    EXPECT_TRUE(idle->StopMove()) << "not moving: settled at once";

    Agent* halfway = Unit(20, 20);
    halfway->classWord |= AGENT_MOVING;
    halfway->SetPosition(Corner(20, 20) + Vec3(1.2f, 0.0f, 0.0f));
    EXPECT_FALSE(halfway->StopMove()) << "between two cells it keeps moving";
    EXPECT_TRUE(halfway->classWord & AGENT_MOVING);
    halfway->SetPosition(Corner(20, 20) + Vec3(0.5f, 0.0f, 0.0f));
    EXPECT_TRUE(halfway->StopMove());
    EXPECT_FALSE(halfway->HasStanceBits());
    EXPECT_TRUE(halfway->moveTarget == halfway->GetPosition());

    Agent* other = Unit(30, 30);
    Agent* guest = Unit(31, 31);
    guest->LeaveGridCell();
    guest->SetPosition(Corner(30, 30));
    guest->classWord |= AGENT_MOVING;
    EXPECT_FALSE(guest->StopMove()) << "never on a cell someone else holds";
    EXPECT_EQ(Cell(30, 30)->occupant, other);
}

TEST_F(AgentMoveTest, QueuedPointsAreVisitedInTurn)
{
    Agent* agent = Unit(10, 10);
    const Vec3 points[] = {Corner(20, 10), Corner(20, 20), Corner(10, 20)};
    for (const Vec3& point : points) ASSERT_TRUE(agent->moveQueue.Push(point));
    int visited = 0;
    RunUntil(60.0f, 0.05f, [&] {
        if (visited < 3 && Ground(agent->GetPosition(), points[visited]) < 0.25f) ++visited;
        return visited == 3 && Settled(agent);
    });
    EXPECT_EQ(visited, 3);
}

TEST_F(AgentMoveTest, AirUnitsFlyStraightAndHoverAboveTheGround)
{
    Agent* flyer = Unit(10, 10, ALIGN_PLAYER, true);
    flyer->size = 0.5f;  // small enough that its slowing-down range is nothing
    flyer->MoveTo(Corner(10, 30), false);
    float took = RunUntil(30.0f, 0.05f, [&] { return !(flyer->classWord & AGENT_MOVING); });
    EXPECT_LT(took, 30.0f);
    EXPECT_LT(Ground(flyer->GetPosition(), Corner(10, 30)), 1.01f);
    EXPECT_EQ(game.pathPool->InUseCount(), 0) << "flyers need no route";
    RunUntil(3.0f, 0.05f, [] { return false; });
    EXPECT_NEAR(flyer->GetPosition().y, 10.0f, 0.3f);
}

}  // namespace

namespace {

// A root joint that swings about z and a "Gun" joint one unit up it: the muzzle sweeps as the
// animation plays.
const std::string SWINGING_GUN = TwoJointMeshText("Gun");

IndexedMesh* SwingingGun()
{
    auto* mesh = new IndexedMesh();
    std::string text = SWINGING_GUN;
    EXPECT_TRUE(mesh->ParseMesh(&text[0]));
    EXPECT_TRUE(mesh->BuildBuffers(nullptr, false));
    auto swing = std::make_shared<Animation>();
    AnimChannel channel;
    CopyText(channel.jointName, sizeof channel.jointName, "root");
    channel.jointIndex = 0;
    channel.type = CHANNEL_ROTATE_Z;
    channel.lastFrame = 4.0f;
    channel.frameRate = 2.0f;
    channel.keys = {0.0f, 0.6f, 1.2f, 0.6f, 0.0f};
    swing->channels.push_back(channel);
    mesh->animations[0] = swing;
    mesh->animationSlot[ANIM_IDLE] = 0;
    mesh->slotAnimationId[0] = ANIM_IDLE;
    mesh->animationCount = 1;
    mesh->SetAnimation(0, false, true);
    return mesh;
}

}  // namespace

// A unit is posed in every tick, whether the player looks at it and has it selected or looks
// far away with nothing selected: its shots leave from the same muzzle either way.
TEST_F(AgentMoveTest, AUnitsFirePointIsTheSameWhereverTheCameraLooks)
{
    ScopedGlobal<bool> playing{AnimationPlay, true};
    ScopedGlobal<Camera> camera{GameCamera};
    const struct {
        const char* what;
        Vec3 eye;
        bool selected;
    } views[] = {{"looked at and selected", Corner(40, 36), true}, {"far away, not selected", Vec3(5000.0f, 900.0f, 5000.0f), false}};
    std::vector<Vec3> muzzles[2];
    for (int v = 0; v < 2; ++v) {
        SCOPED_TRACE(views[v].what);
        GameCamera.eye = views[v].eye;
        Agent* gunner = Unit(40, 40);
        ASSERT_NE(gunner, nullptr);
        gunner->AdoptMesh(SwingingGun());
        if (views[v].selected) gunner->flags |= ENTITY_SELECTION;
        for (int tick = 0; tick < 12; ++tick) {
            Frame(0.1f);
            muzzles[v].push_back(gunner->GetFirePoint(0) - gunner->GetPosition());
        }
        gunner->flags &= ~ENTITY_SELECTION;
        TheScene.ReleaseEntities();
    }
    ASSERT_EQ(muzzles[0].size(), muzzles[1].size());
    for (size_t i = 0; i < muzzles[0].size(); ++i) {
        EXPECT_EQ(muzzles[0][i].x, muzzles[1][i].x) << "tick " << i;
        EXPECT_EQ(muzzles[0][i].y, muzzles[1][i].y) << "tick " << i;
    }
    EXPECT_NE(muzzles[1].front().x, muzzles[1].back().x) << "the muzzle swung";
}
