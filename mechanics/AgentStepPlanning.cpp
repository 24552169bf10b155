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
#include "world/PathFinder.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr float PATH_RETRY_LIMIT = 3.0f;        // a route search failing this long stops the agent
constexpr float GOAL_BLOCKED_LOOK_NEAR = 3.9f;  // a goal held this long: look for a spot near it
constexpr float GOAL_BLOCKED_LIMIT = 10.0f;     // and this long with no spot: give up
constexpr float NEAR_SPOT_RANGE = 15.0f;

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

// A route along the shortest walk over the whole grid, for when one search makes no headway:
// a greedy search runs into the dead end nearest the goal (behind a cliff, a wall, a bend of
// the river or a knot of units), with the way round leading away first and beyond its reach.
// Steps as the search does (exits, both sides of a diagonal), but through cells units hold:
// they make way, and the walker plans round one that does not. Lays at most a path's worth of
// the walk. None when no walk gets there or no path is free.
Path* RouteAlongWalk(PathPool* pool, const Grid* grid, int ax, int ay, int tx, int ty)
{
    static const int STEP[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    static const int SIDES[8][2] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 1}, {1, 2}, {2, 3}, {0, 3}};
    const int n = grid->size;
    if (!pool || n <= 0) return nullptr;
    auto open = [&](int x, int y) {
        const GridCell* cell = grid->GetCell(x, y);
        return cell && (cell->flags & CELL_WALKABLE) && (!cell->occupant || (cell->occupant->flags & ENTITY_AGENT));
    };
    const int start = ay * n + ax, goal = ty * n + tx;
    std::vector<int> cameFrom((size_t)n * n, -1);
    std::vector<int> work{start};
    cameFrom[(size_t)start] = start;
    for (size_t i = 0; i < work.size() && cameFrom[(size_t)goal] < 0; ++i) {
        const int x = work[i] % n, y = work[i] / n;
        const GridCell* cell = grid->GetCell(x, y);
        if (!cell || x < 1 || x > n - 2 || y < 1 || y > n - 2) continue;
        for (int k = 0; k < 8; ++k) {
            const int nx = x + STEP[k][0], ny = y + STEP[k][1];
            if (!cell->steps[k] || !open(nx, ny) || cameFrom[(size_t)ny * n + nx] >= 0) continue;
            if (k >= 4 && (!cell->steps[SIDES[k][0]] || !cell->steps[SIDES[k][1]] || !open(nx - STEP[k][0], ny) ||
                           !open(nx, ny - STEP[k][1])))
                continue;
            cameFrom[(size_t)ny * n + nx] = work[i];
            work.push_back(ny * n + nx);
        }
    }
    if (cameFrom[(size_t)goal] < 0) return nullptr;
    std::vector<int> walk{goal};
    while (walk.back() != start) walk.push_back(cameFrom[(size_t)walk.back()]);
    Path* path = pool->Acquire();
    if (!path) return nullptr;
    for (auto at = walk.rbegin(); at != walk.rend(); ++at)
        if (!path->AddPoint(grid->CellToWorld(*at % n, *at / n))) break;  // the rest is planned from its end
    return path;
}

}  // namespace

void GameMechanics::StepAgentToward(Agent* agent, const Vec3& target)
{
    if (!agent) return;
    float dt = GamePaused ? 0.0f : FrameTimer.delta;
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
        // crossing is walked to first.
        Path* route = BuildRouteToward(pathPool, grid, agent, ax, ay, tx, ty, nullptr);
        if (!route && agent->alignment == ALIGN_PLAYER && (from->flags & CELL_WALKABLE))
            route = RouteAlongWalk(pathPool, grid, ax, ay, tx, ty);
        Vec3 crossing;
        int cx, cy;
        if (!route && TheLevelGenerator.FindCrossing(position, target, &crossing) &&
            grid->WorldToCell(grid->SnapToGridPoint(crossing), &cx, &cy) && (cx != ax || cy != ay))
            route = BuildRouteToward(pathPool, grid, agent, ax, ay, cx, cy, nullptr);
        if (route) {
            agent->path = route;
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
            agent->MoveTo(spot, true);
        else
            StopOrSettle(agent, grid, 0.25f);
    } else if (agent->goalBlockedTime > GOAL_BLOCKED_LIMIT) {
        StopOrSettle(agent, grid, 0.25f);
    }
}
