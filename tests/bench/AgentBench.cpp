// What an agent's frame costs: one agent walking its route, and a thousand agents walking
// theirs in the same frame (a crowd well beyond a level's, to show how the frame scales).
// Each agent follows its own route along a row of open ground; a walker that nears the end
// of its row is put back at its start, outside the timing.
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "platform/Timer.h"
#include "world/Agent.h"
#include "world/Grid.h"
#include "world/PathFinder.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct Crowd {
    GameMechanics game;
    GameMechanics* saved = TheGame;
    Grid& grid = *game.grid;
    std::vector<std::unique_ptr<Agent>> agents;
    std::vector<std::unique_ptr<Path>> routes;
    std::vector<int> startColumns, rows;

    explicit Crowd(int count)
    {
        TheGame = &game;
        GamePaused = false;
        for (int row = 0; row < grid.size; ++row)
            for (int column = 0; column < grid.size; ++column) grid.GetCell(column, row)->flags = CELL_WALKABLE;
        for (int i = 0; i < count; ++i) {
            // Rows of walkers, each ten cells behind the one before it on its row.
            int row = 2 + i % 120, column = 2 + (i / 120) * 10;
            agents.push_back(std::make_unique<Agent>());
            routes.push_back(std::make_unique<Path>());
            startColumns.push_back(column);
            rows.push_back(row);
            Start(i);
        }
    }
    ~Crowd()
    {
        for (auto& agent : agents) {
            agent->path = nullptr;  // the routes are the bench's own, not the pool's
            agent->LeaveGridCell();
        }
        TheGame = saved;
    }

    void Start(int i)
    {
        Agent* agent = agents[i].get();
        Path* route = routes[i].get();
        agent->path = nullptr;
        agent->ResetMovement();
        agent->LeaveGridCell();
        route->current = route->count = 0;
        for (int column = startColumns[i]; column < startColumns[i] + 100 && column < grid.size - 1; ++column)
            route->AddPoint(grid.CellToWorld(column, rows[i]));
        agent->SetPosition(route->points[0]);
        agent->yaw = agent->targetYaw = 90.0f;  // facing along the row
        agent->ClaimGridCell(agent->GetPosition());
        agent->path = route;
        agent->classWord |= AGENT_MOVING;
        agent->stepTarget = route->points[route->count - 1];
    }
    void Frame()
    {
        const WorldTickScope tick(FrameTimer.delta);
        for (auto& agent : agents) agent->Update();
    }
    // Walkers near the end of their route start again.
    void Restart()
    {
        for (size_t i = 0; i < agents.size(); ++i)
            if (!agents[i]->path || agents[i]->path->current > agents[i]->path->count - 5) Start((int)i);
    }
};

void UpdateOneWalkingAgent(benchmark::State& state)
{
    Crowd crowd(1);
    FrameTimer.delta = 1.0f / 60.0f;
    int frames = 0;
    for (auto _ : state) {
        crowd.Frame();
        if (++frames % 256 == 0) {
            state.PauseTiming();
            crowd.Restart();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(UpdateOneWalkingAgent)->Unit(benchmark::kNanosecond);

void OneFrameOfAThousandWalkingAgents(benchmark::State& state)
{
    Crowd crowd(1000);
    FrameTimer.delta = 1.0f / 60.0f;
    int frames = 0;
    for (auto _ : state) {
        crowd.Frame();
        if (++frames % 64 == 0) {
            state.PauseTiming();
            crowd.Restart();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(OneFrameOfAThousandWalkingAgents)->Unit(benchmark::kMicrosecond);

}  // namespace
