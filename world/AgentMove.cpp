// How an agent gets about: move orders, settling on a cell, and the walk along a path.
//
// Ground agents stand on grid points (the cells' corners) and hold the cell of the point they
// stand on or are walking to. A move order only sets the goal and the stepping bit; the step
// planner (GameMechanics::StepAgentToward) then turns it into a straight step to the next
// cell or a path, and FollowPath walks it a little every frame.
#include "world/Agent.h"

#include "host/SteadyMath.h"
#include "mechanics/GameMechanics.h"
#include "terrain/Terrain.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/PathFinder.h"

#include <cmath>

float GetGroundDistance(const Vec3& a, const Vec3& b)
{
    float dx = a.x - b.x, dz = a.z - b.z;
    return std::sqrt(dx * dx + dz * dz);
}

float GetGroundChebyshevDistance(const Vec3& a, const Vec3& b)
{
    return std::fmax(std::fabs(a.x - b.x), std::fabs(a.z - b.z));
}

float WrapDegrees(float degrees)
{
    while (degrees > 180.0f) degrees -= 360.0f;
    while (degrees < -180.0f) degrees += 360.0f;
    return degrees;
}

namespace {

// The cell of the grid point nearest the position: the one an agent standing there holds.
GridCell* CellOfPoint(const Grid* grid, const Vec3& position)
{
    return grid ? grid->GetCellAt(grid->SnapToGridPoint(position)) : nullptr;
}

}  // namespace

void Agent::ClaimGridCell(const Vec3& point)
{
    if (IsAirUnit()) return;
    blockedTime = 0.0f;
    Grid* grid = CurrentGrid();
    if (!grid) return;
    int column, row;
    if (!grid->WorldToCell(grid->SnapToGridPoint(point), &column, &row)) return;
    GridCell* cell = grid->GetCell(column, row);
    if (cell->occupant == this && gridCell == cell) return;
    LeaveGridCell();
    // A cell someone else stands on is never taken: the agent then holds none until it moves on.
    if (!cell->occupant) grid->OccupyCells(this, column, row, column, row);
}

void Agent::TrackMoveProgress(float step)
{
    if (HasStanceBits())
        moveProgress.TrackToward(this, stepTarget, step);
    else
        moveProgress.Restart();
}

void Agent::MoveOn(const Vec3& point)
{
    const ProgressClock kept = moveProgress;
    MoveTo(point, true);
    if (HasStanceBits()) moveProgress = kept;
}

void Agent::EndMoveHere()
{
    moveQueue.Clear();
    // Anywhere on its cell the agent may settle on the cell's point.
    const Grid* grid = CurrentGrid();
    if (StopMove(grid ? grid->cellSize : 1.0f)) return;
    ResetMovement();
    ClaimGridCell(GetPosition());
}

void Agent::ResetMovement()
{
    classWord &= ~(AGENT_MOVING | AGENT_STEPPING | AGENT_WAITING | AGENT_ORDERED_MOVE);
    moveTarget = stepTarget = GetPosition();
    waitTime = 0.0f;
    blockedTime = 0.0f;
    pathRetryTime = 0.0f;
    goalBlockedTime = 0.0f;
    walkRoundFailed = 0;
    moveProgress.Restart();
    velocity = Vec3();
    currentSpeed = 0.0f;
    ForgetPath();
    moveQueue.Clear();
}

bool Agent::StopMove(float tolerance)
{
    ForgetPath();
    moveQueue.Clear();
    if (!HasStanceBits() || IsAirUnit()) {
        ResetMovement();
        return true;
    }
    Grid* grid = CurrentGrid();
    Vec3 position = GetPosition();
    int column, row;
    if (!grid || !grid->WorldToCell(grid->SnapToGridPoint(position), &column, &row)) return false;
    Vec3 point = grid->CellToWorld(column, row);
    if (std::fmax(std::fabs(position.x - point.x), std::fabs(position.z - point.z)) > tolerance) return false;
    GridCell* cell = grid->GetCell(column, row);
    if (cell->occupant && cell->occupant != this) return false;
    if (cell->occupant != this) ClaimGridCell(point);
    ResetMovement();
    return true;
}

void Agent::MoveTo(const Vec3& point, bool allowNearby)
{
    pathRetryTime = 0.0f;
    goalBlockedTime = 0.0f;
    walkRoundFailed = 0;
    moveProgress.Restart();
    if (IsAirUnit()) {
        previousTarget = moveTarget;
        stepTarget = moveTarget = point;
        classWord &= ~(AGENT_STEPPING | AGENT_WAITING);
        classWord |= AGENT_MOVING;
        return;
    }
    Grid* grid = CurrentGrid();
    GridCell* cell = CellOfPoint(grid, point);
    Vec3 goal = point;
    if (!cell || !(cell->flags & CELL_WALKABLE) || (cell->occupant && cell->occupant != this)) {
        Entity* around = target.Get();
        if (!around && cell && cell->occupant && !(cell->occupant->flags & ENTITY_AGENT)) around = cell->occupant;
        Vec3 spot;
        if (!allowNearby || !FindFreeCellNear(&spot, around, GetPosition(), 0.0f, &point)) {
            StopMove();
            return;
        }
        goal = spot;
    }
    // Agents stand on grid points, so the goal is the point of its cell.
    goal = grid->SnapToGridPoint(goal);
    // Near or far, the planner decides: a neighbouring cell is stepped into straight, anything
    // farther gets a path.
    previousTarget = moveTarget;
    stepTarget = moveTarget = goal;
    classWord &= ~(AGENT_MOVING | AGENT_WAITING);
    classWord |= AGENT_STEPPING;
}

float Agent::GetMoveSpeed(const Vec3& direction, float)
{
    float heading = Atan2(direction.x, direction.z) * (180.0f / PI);
    targetYaw = heading;
    // Far off its heading the agent turns almost on the spot before it sets off.
    return std::fabs(WrapDegrees(yaw - heading)) < 70.0f ? GetSpeed() : 0.1f;
}

bool Agent::FollowPath(float step)
{
    if (!HasStanceBits()) return false;
    Vec3 position = GetPosition();
    Grid* grid = CurrentGrid();
    if (path && path->count > 0) {
        const Vec3 current = path->Current();
        float reach = size + (path->IsLast() ? 0.0f : 2.0f);
        bool reached = GetGroundDistance(position, current) < reach * 0.5f && (!grid || grid->IsInsideCell(current, position));
        if (!reached) {
            moveTarget = current;
        } else if (path->IsLast()) {
            moveTarget = current;
            ForgetPath();
        } else {
            Vec3 next;
            path->PeekNext(&next);
            GridCell* nextCell = CellOfPoint(grid, next);
            if (nextCell && nextCell->occupant && nextCell->occupant != this) {
                // Someone stands in the way: wait a second, then plan again; one who stays in
                // the way for 4 s makes the agent give the order anew.
                if (!(classWord & AGENT_WAITING)) {
                    classWord |= AGENT_WAITING;
                    waitTime = 1.0f;
                } else {
                    blockedTime += step;
                    waitTime = std::fmax(waitTime - step, 0.0f);
                    if (waitTime <= 0.0f) {
                        classWord &= ~AGENT_WAITING;
                        classWord |= AGENT_STEPPING;
                        // (less a hair: forty frames of 0.1 s add up to a little under 4)
                        if (blockedTime >= 4.0f - 0.001f) {
                            blockedTime = 0.0f;
                            MoveOn(stepTarget);
                        }
                    }
                }
                velocity = Vec3();
                currentSpeed = 0.0f;
                return false;
            }
            path->Advance();
            moveTarget = path->Current();
            ClaimGridCell(moveTarget);
        }
    }
    const bool air = IsAirUnit();
    Vec3 toTarget = moveTarget - position;
    toTarget.y = 0.0f;
    float distance = GetGroundDistance(position, moveTarget);
    if (!path && distance <= (air ? 1.0f : 0.2f)) {
        velocity = Vec3();
        currentSpeed = 0.0f;
        moveTarget = position;
        classWord &= ~(AGENT_MOVING | AGENT_WAITING);
        // The end of a route that went only part of the way: plan the rest from here.
        if (!air && grid && grid->GetCellAt(grid->SnapToGridPoint(position)) != CellOfPoint(grid, stepTarget))
            classWord |= AGENT_STEPPING;
        return false;
    }
    if (!(classWord & AGENT_MOVING)) return false;
    if (distance < 0.0001f) return false;  // on the point: no heading to turn to

    float moveSpeed = GetMoveSpeed(toTarget, step);
    Vec3 forward, ahead(0.0f, 0.0f, 1.0f);
    Vec3TransformNormal(&forward, &ahead, &rotation);
    if (air) {
        float full = moveSpeed;
        moveSpeed = currentSpeed < full ? std::fmin(currentSpeed + 0.5f * step * full, full) : full;
        // Slowing down over the last two sizes; a unit too small for that range stops short.
        float range = 2.0f * size - 1.0f;
        if (distance < 2.0f * size && range > 0.001f)
            moveSpeed = std::fmin(moveSpeed, full * (0.1f + 0.9f * (distance - 1.0f) / range));
    }
    float travel = moveSpeed * step;
    if (!air && travel >= distance) {
        // The point lies within this frame's stride: the agent steps onto it. The whole way
        // along a facing that is off the point would leave it as far from the point as before,
        // on the other side, and round and round it for good.
        velocity = Vec3(toTarget.x, 0.0f, toTarget.z);
    } else {
        // Never past the point: a long frame would otherwise carry the agent to and fro around it.
        if (travel > distance) travel = distance;
        velocity = Vec3(forward.x * travel, 0.0f, forward.z * travel);
    }
    currentSpeed = moveSpeed;
    position = position + velocity;
    if (air) {
        SetPosition(position);
        Hover(step);
    } else {
        position.y = TheTerrain.GetHeight(position);
        SetPosition(position);
    }
    return true;
}

void Agent::Hover(float step)
{
    Vec3 position = GetPosition();
    float ground = TheTerrain.GetHeight(position);
    float wanted = ground + 10.0f + 0.25f * Sin(std::fmod(2.0f * ageTimers[1], 6.28f));
    float rise = wanted - position.y, most = 4.0f * step;
    if (rise > most) rise = most;
    if (rise < -most) rise = -most;
    position.y += rise;
    if (position.y < ground + 3.33f) position.y = ground + 3.33f;
    SetPosition(position);
}
