// What the player sees of the world under the fog of war, and what the fog lets the player find:
// enemy units and items show only where the player's units see; a camp or an ore deposit, once
// seen, stays on the screen when the units walk away; whatever the units see is found wherever
// the camera looks; the first enemy found wakes the events that wait for one. The world's ticks
// find all of it; drawing a frame only asks.
#include "drawing/WorldFrame.h"
#include "mechanics/EventManager.h"
#include "platform/Timer.h"
#include "render/ViewFrustum.h"
#include "terrain/Minimap.h"
#include "tests/support/Scoped.h"
#include "tests/world/WorldTestSupport.h"
#include "world/MissionHooks.h"

#include <gtest/gtest.h>

namespace {

class EntityVisibility : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        TheMinimap.AllocateFogGrids();
        InstallMissionHooks();
    }
    void TearDown() override
    {
        TheMinimap.fog.Free();
        WorldTest::TearDown();
    }
    // A tick: the fog is worked out again and, unless the frame is drawn before the tick looks,
    // every entity looked at as the tick looks; then a frame, which forgets every answer the
    // drawing had.
    void NextFrame(bool looked = true)
    {
        {
            const WorldTickScope tick(WorldClock::TICK);
            TheMinimap.UpdateVisibility();
            if (looked) {
                for (Entity* entity = TheScene.FirstEntity(SEGMENTS_ALL); entity; entity = TheScene.NextEntity())
                    entity->UpdateVisibility();
                TheScene.EndIteration();
            }
        }
        ++FrameTimer.frameCount;
    }
    template <class T> T* Place(T* entity, int column, int row)
    {
        Standing(entity, column, row);
        EXPECT_NE(TheScene.AddEntity(entity), nullptr);
        return entity;
    }

    ScopedGlobal<bool> fogOn{TheMinimap.fogEnabled, true};
    ScopedGlobal<MissionHooks*> hooks{TheMissionHooks, nullptr};
    ScopedGlobal<EventManager*> events{TheEvents, &eventManager};
    ScopedGlobal<ViewFrustum*> frustum{Frustum, nullptr};
    EventManager eventManager;
};

TEST_F(EntityVisibility, EnemiesShowWhereThePlayerSeesAndFoundBasesStay)
{
    Agent* scout = Place(NewAgent(ALIGN_PLAYER), 20, 20);
    Agent* raider = Place(NewAgent(ALIGN_ENEMY), 22, 20);
    Building* camp = Place(NewBuilding(ALIGN_ENEMY), 24, 20);
    Entity* ore = Place(NewEntity(ENTITY_RESOURCE), 20, 23);
    Entity* crate = Place(NewEntity(ENTITY_ITEM), 90, 90);
    Agent* farRaider = Place(NewAgent(ALIGN_ENEMY), 90, 92);

    NextFrame();
    EXPECT_TRUE(IsInPicture(scout)) << "the player's own units always show";
    EXPECT_TRUE(IsInPicture(raider));
    EXPECT_TRUE(IsInPicture(camp));
    EXPECT_TRUE(IsInPicture(ore));
    EXPECT_FALSE(IsInPicture(crate)) << "an item far from the player's units lies under the fog";
    EXPECT_FALSE(IsInPicture(farRaider));
    EXPECT_TRUE(camp->discovered && ore->discovered && raider->discovered);
    EXPECT_FALSE(farRaider->discovered);
    EXPECT_TRUE(eventManager.enemyDiscovered) << "the first enemy seen is told to the events";

    // The scout walks away: the raider goes back under the fog, the camp and the ore stay.
    scout->SetPosition(Corner(60, 60));
    NextFrame();
    EXPECT_FALSE(IsInPicture(raider));
    EXPECT_TRUE(IsInPicture(camp));
    EXPECT_TRUE(IsInPicture(ore));
    EXPECT_EQ(IsInPicture(camp, 1), true) << "a found building answers afresh too";
    EXPECT_FALSE(IsInPicture(raider, 1)) << "a unit counts only while it is seen";

    // The answer is kept for the frame: the scout coming back shows nothing new until the
    // next tick.
    scout->SetPosition(Corner(20, 20));
    TheMinimap.UpdateVisibility();
    EXPECT_FALSE(IsInPicture(raider));
    NextFrame();
    EXPECT_TRUE(IsInPicture(raider));
}

TEST_F(EntityVisibility, TheFogFindsWhatTheUnitsSeeOutOfTheCamerasView)
{
    Place(NewAgent(ALIGN_PLAYER), 20, 20);
    Building* camp = Place(NewBuilding(ALIGN_ENEMY), 23, 20);
    Agent* raider = Place(NewAgent(ALIGN_ENEMY), 22, 21);
    // A view that holds nothing: the whole level lies behind its planes.
    ViewFrustum nowhere;
    for (Plane& plane : nowhere.planes) plane = Plane(0.0f, 1.0f, 0.0f, 10000.0f);
    Frustum = &nowhere;
    NextFrame();
    EXPECT_FALSE(IsInPicture(camp));
    EXPECT_TRUE(camp->discovered) << "the units saw it though the player looked elsewhere";
    EXPECT_FALSE(IsInPicture(raider));
    EXPECT_TRUE(raider->discovered) << "a unit too: the level never asks where the camera looks";
    EXPECT_TRUE(eventManager.enemyDiscovered);

    // Without the fog everything in view shows, and nothing is found by it.
    Frustum = nullptr;
    TheMinimap.fogEnabled = false;
    Agent* other = Place(NewAgent(ALIGN_ENEMY), 100, 100);
    NextFrame();
    EXPECT_TRUE(IsInPicture(other));
    EXPECT_FALSE(other->discovered);
}

// A scout walks toward a raider: the tick at which the raider is found, and the events hear
// of it, is the same whether the camera looks at them, looks nowhere or has no view at all.
TEST_F(EntityVisibility, AnEnemyIsFoundAtTheSameTickWhereverTheCameraLooks)
{
    ViewFrustum nowhere;
    for (Plane& plane : nowhere.planes) plane = Plane(0.0f, 1.0f, 0.0f, 10000.0f);
    ViewFrustum everywhere;
    for (Plane& plane : everywhere.planes) plane = Plane(0.0f, -1.0f, 0.0f, -10000.0f);
    const struct {
        const char* what;
        ViewFrustum* view;
    } views[] = {{"looking at them", &everywhere}, {"looking elsewhere", &nowhere}, {"no view", nullptr}};
    int found[3] = {-1, -1, -1};
    for (int v = 0; v < 3; ++v) {
        SCOPED_TRACE(views[v].what);
        Frustum = views[v].view;
        eventManager.enemyDiscovered = false;
        Agent* scout = Place(NewAgent(ALIGN_PLAYER), 20, 20);
        Agent* raider = Place(NewAgent(ALIGN_ENEMY), 40, 20);
        for (int tick = 0; tick < 30 && found[v] < 0; ++tick) {
            scout->SetPosition(Corner(20 + tick, 20));
            NextFrame();
            if (eventManager.enemyDiscovered) found[v] = tick;
        }
        EXPECT_TRUE(raider->discovered);
        TheScene.ReleaseEntities();
        TheMinimap.fog.Free();
        TheMinimap.AllocateFogGrids();
    }
    EXPECT_GT(found[0], 0);
    EXPECT_EQ(found[1], found[0]);
    EXPECT_EQ(found[2], found[0]);
}

TEST_F(EntityVisibility, TheUpdateFindsWhatThePlayerSeesAndDrawingFindsNothing)
{
    Place(NewAgent(ALIGN_PLAYER), 40, 40);
    Agent* raider = Place(NewAgent(ALIGN_ENEMY), 42, 40);
    Entity* scenery = Standing(NewEntity(ENTITY_RESOURCE), 41, 42);
    TheScene.translucent.PushBack(scenery);
    NextFrame(false);
    // Drawn before a tick has looked at them, as the level's first frame is: shown, and nothing
    // found by the drawing.
    EXPECT_TRUE(IsInPicture(raider));
    EXPECT_TRUE(IsInPicture(scenery));
    EXPECT_FALSE(raider->discovered);
    EXPECT_FALSE(scenery->discovered);
    EXPECT_FALSE(eventManager.enemyDiscovered);

    // The scene's tick finds them, the scenery as well as the level's units.
    TheScene.firstFrame = false;
    {
        const WorldTickScope tick(WorldClock::TICK);
        TheScene.Update();
    }
    EXPECT_TRUE(raider->discovered);
    EXPECT_TRUE(scenery->discovered);
    EXPECT_TRUE(eventManager.enemyDiscovered);
}

TEST_F(EntityVisibility, TheScenesTickWorksItOut)
{
    Place(NewAgent(ALIGN_PLAYER), 40, 40);
    Building* camp = Place(NewBuilding(ALIGN_ENEMY), 42, 40);
    TheScene.firstFrame = false;
    NextFrame(false);
    {
        const WorldTickScope tick(WorldClock::TICK);
        TheScene.Update();
    }
    EXPECT_EQ(camp->fogSeenTick, WorldTicks.count) << "the minimap's seen now is the tick's";
    EXPECT_TRUE(camp->discovered);
    EXPECT_TRUE(eventManager.enemyDiscovered);
}

}  // namespace
