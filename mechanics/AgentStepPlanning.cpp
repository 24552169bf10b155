// The step planner: how a stepping agent gets to its goal. Called from the agent's update for
// every frame its stepping bit is set; a plan that works sets the moving bit (and clears the
// stepping one), after which the agent walks on its own (Agent::FollowPath). A plan that
// fails leaves the agent standing and stepping, so it is tried again next frame, until one
// of the planner's clocks runs out.
#include "mechanics/GameMechanics.h"

#include "levelgen/LevelGenerator.h"
#include "mechanics/Game.h"
#include "platform/Timer.h"
#include "world/Agent.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/GridWalk.h"
#include "world/PathFinder.h"

#include <cstdlib>

namespace {

constexpr float PATH_RETRY_LIMIT = 3.0f;        // a route search failing this long stops the agent
constexpr float GOAL_BLOCKED_LOOK_NEAR = 3.9f;  // a goal held this long: look for a spot near it
constexpr float GOAL_BLOCKED_LIMIT = 10.0f;     // and this long with no spot: give up
constexpr float NEAR_SPOT_RANGE = 15.0f;
// The cells a frame's route searches and walks may take between them: eight searches that
// give up. Sixty units sent at once onto a spot no route reaches would otherwise all search
// in the same frame; past the share, a unit waits for the next frame, clock stopped.
constexpr int ROUTE_CELLS_PER_FRAME = 8 * PATH_NODE_POOL;

bool FreeFor(const GridCell* cell, const Agent* agent)
{
    return cell && (cell->flags & CELL_WALKABLE) && (!cell->occupant || cell->occupant == agent);
}

// The straight exits of the grid's step order: (1, 0), (0, 1), (-1, 0), (0, -1).
int StraightExit(int dx, int dy)
{
    if (dx > 0) return 0;
    if (dy > 0) return 1;
    if (dx < 0) return 2;
    return 3;
}

// Off it goes in a straight line to the point, holding the point's cell.
void MoveStraight(Agent* agent, const Vec3& point)
{
    agent->moveTarget = point;
    agent->ClaimGridCell(point);
    agent->classWord |= AGENT_MOVING;
    agent->classWord &= ~AGENT_STEPPING;
    agent->pathRetryTime = 0.0f;
}

// Stops the agent. One that stands too far off its cell's point to settle walks back onto it
// (or, with that cell taken, settles where it is): a stop that keeps failing would leave it
// stepping for good.
void StopOrSettle(Agent* agent, const Grid* grid, float tolerance)
{
    if (agent->StopMove(tolerance)) return;
    Vec3 own = grid->SnapToGridPoint(agent->GetPosition());
    GridCell* cell = grid->GetCellAt(own);
    if (FreeFor(cell, agent)) {
        own.y = agent->GetPosition().y;
        agent->stepTarget = own;
        MoveStraight(agent, own);
    } else {
        agent->ResetMovement();
    }
}

}  // namespace

void GameMechanics::StepAgentToward(Agent* agent, const Vec3& target)
{
    if (!agent) return;
    float dt = GamePaused ? 0.0f : WorldStep();
    if (dt > 0.1f) dt = 0.1f;
    if (dt < 0.0f) dt = 0.0f;
    Vec3 position = agent->GetPosition();
    agent->moveTarget = target;
    agent->ForgetPath();
    if (!grid) {
        agent->ResetMovement();
        return;
    }
    int ax, ay, tx, ty;
    bool onGrid = grid->WorldToCell(grid->SnapToGridPoint(position), &ax, &ay);
    bool goalOnGrid = grid->WorldToCell(grid->SnapToGridPoint(target), &tx, &ty);
    GridCell* from = onGrid ? grid->GetCell(ax, ay) : nullptr;
    GridCell* to = goalOnGrid ? grid->GetCell(tx, ty) : nullptr;
    const bool goalOpen = FreeFor(to, agent);
    const bool usable = goalOpen && from && (!(from->flags & CELL_WALKABLE) || !grid->CannotReach(from, to));

    if (usable) {
        agent->goalBlockedTime = 0.0f;
        const int dx = tx - ax, dy = ty - ay;
        const Vec3 goal(grid->CellToWorld(tx, ty).x, target.y, grid->CellToWorld(tx, ty).z);
        if (dx == 0 && dy == 0) {
            StopOrSettle(agent, grid, 1.0f);
            return;
        }
        if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
            // A diagonal step passes between two cells: both of its sides must be open.
            bool open = dx == 0 || dy == 0 ? from->steps[StraightExit(dx, dy)] != 0
                                           : from->steps[StraightExit(dx, 0)] && from->steps[StraightExit(0, dy)];
            static const int SIDE[4][2] = {{0, 1}, {0, -1}, {-1, 0}, {1, 0}};
            bool roomAround = false;
            for (const auto& side : SIDE)
                if (FreeFor(grid->GetCell(tx + side[0], ty + side[1]), agent)) {
                    roomAround = true;
                    break;
                }
            if (open && roomAround) {
                MoveStraight(agent, goal);
                return;
            }
        }
        // A goal beyond one search's reach gets a route part of the way; the agent plans the
        // rest when it gets there. Where the search gets no nearer than a player's unit stands
        // (it faces the goal across a river, a cliff or a wall), the route follows the shortest
        // walk round: whatever the player sends it to is reached. Failing that (and for the
        // level's own creatures and raiders, whose wandering stays as it is), the river's
        // crossing is walked to first. With every path out, no route can be had at all: nothing
        // is searched. A walk that finds no way to the goal (it is walled in, or the unit is)
        // says that no search will either, units making way or not: the unit stands until its
        // clock runs out, is given another goal or stops, with nothing searched again.
        Path* route = nullptr;
        const int goalCell = ty * grid->size + tx + 1;
        if (pathPool && pathPool->FreeCount() > 0 && agent->walkRoundFailed != goalCell) {
            if (routeFrame != WorldStepCount()) {
                routeFrame = WorldStepCount();
                routeCells = 0;
            }
            if (routeCells >= ROUTE_CELLS_PER_FRAME) {
                agent->moveTarget = position;
                return;
            }
            route = BuildRouteToward(pathPool, grid, agent, ax, ay, tx, ty, nullptr);
            routeCells += PathFinder::ClosedCount();
            if (!route && agent->alignment == ALIGN_PLAYER && (from->flags & CELL_WALKABLE)) {
                route = walkRound->Route(pathPool, grid, ax, ay, tx, ty);
                routeCells += walkRound->LastReached();
                if (!route) agent->walkRoundFailed = goalCell;
            }
            Vec3 crossing;
            int cx, cy;
            if (!route && agent->walkRoundFailed != goalCell && TheLevelGenerator.FindCrossing(position, target, &crossing) &&
                grid->WorldToCell(grid->SnapToGridPoint(crossing), &cx, &cy) && (cx != ax || cy != ay)) {
                route = BuildRouteToward(pathPool, grid, agent, ax, ay, cx, cy, nullptr);
                routeCells += PathFinder::ClosedCount();
            }
        }
        if (route) {
            agent->path = route;
            agent->walkRoundFailed = 0;
            agent->classWord |= AGENT_MOVING;
            agent->classWord &= ~AGENT_STEPPING;
            agent->pathRetryTime = 0.0f;
            return;
        }
        // No route this frame (or no path free): stand and try again.
        agent->moveTarget = position;
        agent->pathRetryTime += dt;
        if (agent->pathRetryTime >= PATH_RETRY_LIMIT) StopOrSettle(agent, grid, 1.0f);
        return;
    }

    // The goal's cell is held, closed, off the grid or beyond the agent's walk region.
    agent->moveTarget = position;
    agent->goalBlockedTime += dt;
    if (agent->goalBlockedTime <= GOAL_BLOCKED_LOOK_NEAR) return;
    Vec3 spot;
    if (FindFreeCellNear(&spot, nullptr, target, NEAR_SPOT_RANGE, &target)) {
        GridCell* spotCell = grid->GetCellAt(grid->SnapToGridPoint(spot));
        if (from && spotCell && !grid->CannotReach(from, spotCell))
            agent->MoveOn(spot);
        else
            StopOrSettle(agent, grid, 0.25f);
    } else if (agent->goalBlockedTime > GOAL_BLOCKED_LIMIT) {
        StopOrSettle(agent, grid, 0.25f);
    }
}
