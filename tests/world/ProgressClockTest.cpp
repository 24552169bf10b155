// What counts as getting somewhere, for the moves, the fights and the watch alike: coming closer
// to the goal (along the path walked) than ever, or weapons at work within reach; not walking as
// such. A unit going to and fro before a goal or a foe gets nowhere, however far it walks, and
// shots that leave the foe unhurt are no weapons at work.
#include "tests/world/AgentTestSupport.h"

#include "world/ProgressClock.h"
#include "world/WeaponDef.h"

#include <functional>

namespace {

class ProgressClockTest : public AgentWorld {};

TEST_F(ProgressClockTest, OnlyComingCloserOrWeaponsAtWorkGetSomewhere)
{
    const struct {
        const char* what;
        // Where the unit stands t seconds on, from (10, 20) with its goal at (30, 20).
        std::function<Vec3(const Vec3& start, const Vec3& goal, float t)> at;
        bool fight;   // measured toward a foe standing on the goal, its target
        bool reload;  // its weapon fired a moment ago, within reach of the foe
        bool somewhere;
        bool missed = false;  // its last shot left the foe unhurt
    } cases[] = {
        {"walks up to the goal", [](const Vec3& start, const Vec3&, float t) { return start + Vec3(4.0f * t, 0, 0); }, false,
         false, true},
        {"goes to and fro, 3 units each way",
         [](const Vec3& start, const Vec3&, float t) {
             return start + Vec3(std::fabs(std::fmod(4.0f * t, 6.0f) - 3.0f), 0, 0);
         },
         false, false, false},
        {"walks round it at the same distance",
         [](const Vec3&, const Vec3& goal, float t) {
             return goal + Vec3(-50.0f * std::cos(0.08f * t), 0, 50.0f * std::sin(0.08f * t));
         },
         false, false, false},
        {"stands", [](const Vec3& start, const Vec3&, float) { return start; }, false, false, false},
        {"closes in on the foe", [](const Vec3& start, const Vec3&, float t) { return start + Vec3(4.0f * t, 0, 0); }, true,
         false, true},
        {"stands within reach between two shots of a slow gun", [](const Vec3&, const Vec3& goal, float) { return goal - Vec3(10.0f, 0, 0); },
         true, true, true},
        {"stands within reach with nothing fired", [](const Vec3&, const Vec3& goal, float) { return goal - Vec3(10.0f, 0, 0); }, true, false,
         false},
        {"stands within reach firing shots that leave the foe unhurt",
         [](const Vec3&, const Vec3& goal, float) { return goal - Vec3(10.0f, 0, 0); }, true, true, false, true},
    };
    WeaponDef slowGun{};
    slowGun.interval = 4.0f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Agent* unit = Unit(10, 20);
        Agent* foe = Unit(30, 20, ALIGN_ENEMY);
        ASSERT_TRUE(unit && foe);
        unit->attackRange = 14.0f;
        unit->weapon = &slowGun;
        unit->target.Set(c.fight ? foe : nullptr);
        unit->ownShotMissedFoe = c.missed ? foe->id : 0;
        ProgressClock clock;
        float longest = 0.0f;
        for (float t = 0.0f; t < 3.0f; t += 0.1f) {
            unit->SetPosition(c.at(Corner(10, 20), Corner(30, 20), t));
            // The gun fired at 0 and 3.9 s on: reloading all the while.
            unit->attackTimer = c.reload ? std::fmod(t, 3.9f) : 10.0f;
            if (c.fight)
                clock.TrackFoe(unit, foe, 0.1f);
            else
                clock.TrackToward(unit, Corner(30, 20), 0.1f);
            longest = std::fmax(longest, clock.Standing());
        }
        if (c.somewhere)
            EXPECT_LT(longest, 0.5f) << "seconds it went nowhere";
        else
            EXPECT_GT(longest, 2.0f) << "seconds it went nowhere";
        unit->weapon = nullptr;
        TheScene.RemoveEntity(unit, REMOVE_EVERYWHERE);
        TheScene.RemoveEntity(foe, REMOVE_EVERYWHERE);
    }
}

}  // namespace
