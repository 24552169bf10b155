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

// Held by id: a unit that falls goes back to the pool and is reset there, whole and at full
// health, so its old pointer would count it among the living. The staging is the bench's own
// hand, outside the ticks.
// At most `most` units (and never more than the level's entity list still has room for: a unit
// made beyond it would stand outside the level, never updated).
// *secondSide: where the scavengers begin among the units returned. rowsAway: the armies that
// many rows off the cell the camera looks at (towards the level's middle), out of the way of
// what stands there.
inline std::vector<EntityRef> StageASkirmish(GameMechanics& game, size_t most = 200, size_t* secondSide = nullptr,
                                             int rowsAway = 0)
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
    std::vector<Agent*> sides[2];
    for (int ring = 0; ring < 40 && sides[0].size() + sides[1].size() < most; ++ring)
        for (int row = centreRow - 12; row <= centreRow + 12; row += 2)
            for (int side = 0; side < 2 && sides[0].size() + sides[1].size() < most; ++side) {
                int column = centreColumn + (side ? 8 + ring : -8 - ring);
                const char* type = side ? scavengers[(row + ring) % 4] : bots[(row + ring) % 4];
                if (Agent* agent = SpawnAgent(game, type, column, row)) sides[side].push_back(agent);
            }
    for (int side = 0; side < 2; ++side)
        for (size_t i = 0; i < sides[side].size(); ++i) {
            const std::vector<Agent*>& other = sides[1 - side];
            if (!other.empty()) sides[side][i]->MoveTo(other[i % other.size()]->GetPosition(), true);
        }
    std::vector<EntityRef> units;
    for (const auto& side : sides) units.insert(units.end(), side.begin(), side.end());
    if (secondSide) *secondSide = sides[0].size();
    return units;
}

// The units still standing of each side sent again at those of the other (a battle that has
// come to rest, its survivors out of each other's sight, starts again).
inline void SendAtEachOther(const std::vector<EntityRef>& units, size_t secondSide)
{
    WorldChangeScope staging;
    std::vector<Agent*> sides[2];
    for (size_t i = 0; i < units.size(); ++i)
        if (Entity* unit = units[i].GetLive())
            if (unit->flags & ENTITY_AGENT) sides[i < secondSide ? 0 : 1].push_back(static_cast<Agent*>(unit));
    for (int side = 0; side < 2; ++side)
        for (size_t i = 0; i < sides[side].size(); ++i) {
            const std::vector<Agent*>& other = sides[1 - side];
            if (!other.empty()) sides[side][i]->MoveTo(other[i % other.size()]->GetPosition(), true);
        }
}

// How many of the units still stand.
inline int Standing(const std::vector<EntityRef>& units)
{
    int alive = 0;
    for (const EntityRef& unit : units) alive += unit.GetLive() ? 1 : 0;
    return alive;
}
