#pragma once
// A world for the agents' tests: open ground (tests/world/WorldTestSupport.h), a frame clock the
// test drives, and agents of the pool standing on cell points in the level. Frame() runs one
// frame of every agent in the level, as the Scene's update does.
#include "mechanics/Game.h"
#include "platform/Timer.h"
#include "tests/support/Scoped.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Agent.h"
#include "world/PathFinder.h"

#include <cmath>
#include <functional>

class AgentWorld : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        PathFinder::InitNodePool();
    }

    // An agent of the side standing on the point of cell (column, row), settled there.
    Agent* Unit(int column, int row, int alignment = ALIGN_PLAYER, bool air = false)
    {
        Agent* agent = NewAgent(alignment, air);
        if (!agent) return nullptr;
        Vec3 at = Corner(column, row);
        if (air) at.y = 10.0f;
        agent->SetPosition(at);
        agent->flags &= ~ENTITY_PLACED;
        agent->ResetMovement();
        agent->ClaimGridCell(at);
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }

    // One frame of dt seconds for every agent in the level.
    void Frame(float dt)
    {
        const WorldTickScope tick(dt);
        MissionTime += dt;
        for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT, SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
            for (const Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
                node->value->Update();
    }
    // Frames of dt until done answers true or the time is up; the seconds it took (or more
    // than the limit).
    float RunUntil(float limit, float dt, const std::function<bool()>& done)
    {
        float elapsed = 0.0f;
        while (elapsed <= limit) {
            if (done()) return elapsed;
            Frame(dt);
            elapsed += dt;
        }
        return elapsed;
    }
    static bool Settled(const Agent* agent) { return !agent->HasStanceBits() && agent->moveQueue.IsEmpty(); }
    static float Ground(const Vec3& a, const Vec3& b)
    {
        float dx = a.x - b.x, dz = a.z - b.z;
        return std::sqrt(dx * dx + dz * dz);
    }

    ScopedGlobal<int> frame{FrameTimer.frameCount, 1000};
    ScopedGlobal<float> delta{FrameTimer.delta, 0.05f};
    ScopedGlobal<bool> paused{GamePaused, false};
    ScopedGlobal<float> missionTime{MissionTime, 0.0f};
};
