// A skirmish of two armies staged in a standing level, for the benchmarks that play one: as many
// units as the agent pool still holds, the player's bots and a scavenger band, in two blocks
// either side of the cell the camera looks at, each unit sent at one of the other side.
#pragma once
#include "host/WorldGuard.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "render/Camera.h"
#include "world/Agent.h"
#include "world/Entity.h"
#include "world/Grid.h"

#include <algorithm>
#include <vector>

// The cell under the camera's target (the middle of the level when the target is off it).
inline void LookedAtCell(const GameMechanics& game, int* column, int* row)
{
    if (!game.grid->WorldToCell(GameCamera.target, column, row)) *column = *row = game.grid->size / 2;
}

// An agent of the type standing on the cell, if the cell is free and the pool holds one.
inline Agent* SpawnAgent(GameMechanics& game, const char* type, int column, int row)
{
    GridCell* cell = game.grid->GetCell(column, row);
    if (!cell || !cell->IsFreeWalkable()) return nullptr;
    Agent* agent = TheScene.CreateAgent(type, true);
    if (!agent) return nullptr;
    Vec3 point = game.grid->CellToWorld(column, row);
    agent->SetPosition(point);
    agent->ResetMovement();
    agent->ClaimGridCell(point);
    return agent;
}

// New units of each side (up to want[side], and at most `most` in all) on the free cells of its
// block, never more than the level's entity list still has room for (a unit made beyond it would
// stand outside the level, never updated); appended to sides[side]. rowsAway: the blocks that
// many rows off the cell the camera looks at (towards the level's middle), out of the way of
// what stands there.
inline void SpawnSides(GameMechanics& game, const size_t want[2], size_t most, int rowsAway, std::vector<Agent*> sides[2])
{
    int inLevel = 0;
    for (auto* node = TheScene.master.head; node; node = node->next) inLevel += node->value ? 1 : 0;
    most = std::min(most, (size_t)std::max(0, Scene::MASTER_NODES - inLevel - 10));
    WorldChangeScope staging;
    int centreColumn, centreRow;
    LookedAtCell(game, &centreColumn, &centreRow);
    centreRow += centreRow < game.grid->size / 2 ? rowsAway : -rowsAway;
    const char* bots[] = {"gunner_bot", "rocket_bot", "flame_bot", "scout_bot"};
    const char* scavengers[] = {"scav_small", "scav_melee", "scav_flamer", "scav_small"};
    size_t made[2] = {};
    for (int ring = 0; ring < 40 && made[0] + made[1] < most; ++ring)
        for (int row = centreRow - 12; row <= centreRow + 12; row += 2)
            for (int side = 0; side < 2 && made[0] + made[1] < most; ++side) {
                if (made[side] >= want[side]) continue;
                int column = centreColumn + (side ? 8 + ring : -8 - ring);
                const char* type = side ? scavengers[(row + ring) % 4] : bots[(row + ring) % 4];
                if (Agent* agent = SpawnAgent(game, type, column, row)) {
                    sides[side].push_back(agent);
                    ++made[side];
                }
            }
}

// Each unit of a side sent at one of the other side.
inline void SendSidesAtEachOther(const std::vector<Agent*> sides[2])
{
    WorldChangeScope staging;
    for (int side = 0; side < 2; ++side)
        for (size_t i = 0; i < sides[side].size(); ++i) {
            const std::vector<Agent*>& other = sides[1 - side];
            if (!other.empty()) sides[side][i]->MoveTo(other[i % other.size()]->GetPosition(), true);
        }
}

// The units of both sides, held by id: a unit that falls goes back to the pool and is reset
// there, whole and at full health, so its old pointer would count it among the living.
// *secondSide: where the second side begins among them.
inline std::vector<EntityRef> HeldSides(const std::vector<Agent*> sides[2], size_t* secondSide)
{
    std::vector<EntityRef> units;
    for (int side = 0; side < 2; ++side) units.insert(units.end(), sides[side].begin(), sides[side].end());
    if (secondSide) *secondSide = sides[0].size();
    return units;
}

// The units of each side still standing.
inline void LiveSides(const std::vector<EntityRef>& units, size_t secondSide, std::vector<Agent*> sides[2])
{
    for (size_t i = 0; i < units.size(); ++i)
        if (Entity* unit = units[i].GetLive())
            if (unit->flags & ENTITY_AGENT) sides[i < secondSide ? 0 : 1].push_back(static_cast<Agent*>(unit));
}

// The units still standing of each side sent again at those of the other (a battle that has
// come to rest, its survivors out of each other's sight, starts again).
inline void SendAtEachOther(const std::vector<EntityRef>& units, size_t secondSide)
{
    std::vector<Agent*> sides[2];
    LiveSides(units, secondSide, sides);
    SendSidesAtEachOther(sides);
}

// At most `most` units, as many of each side as the level has room for, each sent at one of the
// other side. The staging is the bench's own hand, outside the ticks.
inline std::vector<EntityRef> StageASkirmish(GameMechanics& game, size_t most = 200, size_t* secondSide = nullptr,
                                             int rowsAway = 0)
{
    std::vector<Agent*> sides[2];
    const size_t want[2] = {most, most};
    SpawnSides(game, want, most, rowsAway, sides);
    SendSidesAtEachOther(sides);
    return HeldSides(sides, secondSide);
}

// A battle played on: the units of each side still standing (units, the second side from
// *secondSide) kept, each side brought back to its strength by new units staged in its block
// (as the level has room for), and all sent at the other side. The units are held anew.
inline void ReinforceASkirmish(GameMechanics& game, std::vector<EntityRef>* units, size_t* secondSide,
                               const size_t strength[2], int rowsAway = 0)
{
    std::vector<Agent*> sides[2];
    LiveSides(*units, *secondSide, sides);
    const size_t want[2] = {strength[0] - std::min(strength[0], sides[0].size()),
                            strength[1] - std::min(strength[1], sides[1].size())};
    SpawnSides(game, want, want[0] + want[1], rowsAway, sides);
    SendSidesAtEachOther(sides);
    *units = HeldSides(sides, secondSide);
}

// How many of the units still stand.
inline int Standing(const std::vector<EntityRef>& units)
{
    int alive = 0;
    for (const EntityRef& unit : units) alive += unit.GetLive() ? 1 : 0;
    return alive;
}
