// What the player sees of the world under the fog of war, and what the fog lets the player find:
// enemy units and items show only where the player's units see; a camp or an ore deposit, once
// seen, stays on the screen when the units walk away, and is found even while the camera looks
// elsewhere; the first enemy seen wakes the events that wait for one. The game's update finds
// all of it; drawing a frame only asks.
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
    // The fog is worked out again, and every answer of the last frame forgotten; then, unless
    // the frame is drawn before its update, every entity looked at as the update looks.
    void NextFrame(bool looked = true)
    {
        ++FrameTimer.frameCount;
        TheMinimap.UpdateVisibility();
        if (!looked) return;
        for (Entity* entity = TheScene.FirstEntity(SEGMENTS_ALL); entity; entity = TheScene.NextEntity())
            entity->UpdateVisibility();
        TheScene.EndIteration();
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
    EXPECT_TRUE(scout->IsVisible()) << "the player's own units always show";
    EXPECT_TRUE(raider->IsVisible());
    EXPECT_TRUE(camp->IsVisible());
    EXPECT_TRUE(ore->IsVisible());
    EXPECT_FALSE(crate->IsVisible()) << "an item far from the player's units lies under the fog";
    EXPECT_FALSE(farRaider->IsVisible());
    EXPECT_TRUE(camp->discovered && ore->discovered && raider->discovered);
    EXPECT_FALSE(farRaider->discovered);
    EXPECT_TRUE(eventManager.enemyDiscovered) << "the first enemy seen is told to the events";

    // The scout walks away: the raider goes back under the fog, the camp and the ore stay.
    scout->SetPosition(Corner(60, 60));
    NextFrame();
    EXPECT_FALSE(raider->IsVisible());
    EXPECT_TRUE(camp->IsVisible());
    EXPECT_TRUE(ore->IsVisible());
    EXPECT_EQ(camp->IsVisible(1), true) << "a found building answers afresh too";
    EXPECT_FALSE(raider->IsVisible(1)) << "a unit counts only while it is seen";

    // The answer is kept for the frame: the scout coming back shows nothing new until the
    // next one.
    scout->SetPosition(Corner(20, 20));
    TheMinimap.UpdateVisibility();
    EXPECT_FALSE(raider->IsVisible());
    NextFrame();
    EXPECT_TRUE(raider->IsVisible());
}

TEST_F(EntityVisibility, TheFogFindsBasesOutOfTheCamerasView)
{
    Place(NewAgent(ALIGN_PLAYER), 20, 20);
    Building* camp = Place(NewBuilding(ALIGN_ENEMY), 23, 20);
    Agent* raider = Place(NewAgent(ALIGN_ENEMY), 22, 21);
    // A view that holds nothing: the whole level lies behind its planes.
    ViewFrustum nowhere;
    for (Plane& plane : nowhere.planes) plane = Plane(0.0f, 1.0f, 0.0f, 10000.0f);
    Frustum = &nowhere;
    NextFrame();
    EXPECT_FALSE(camp->IsVisible());
    EXPECT_TRUE(camp->discovered) << "the units saw it though the player looked elsewhere";
    EXPECT_FALSE(raider->IsVisible());
    EXPECT_FALSE(raider->discovered) << "units are found only on the screen";
    EXPECT_FALSE(eventManager.enemyDiscovered);

    // Without the fog everything in view shows, and nothing is found by it.
    Frustum = nullptr;
    TheMinimap.fogEnabled = false;
    Agent* other = Place(NewAgent(ALIGN_ENEMY), 100, 100);
    NextFrame();
    EXPECT_TRUE(other->IsVisible());
    EXPECT_FALSE(other->discovered);
}

TEST_F(EntityVisibility, TheUpdateFindsWhatThePlayerSeesAndDrawingFindsNothing)
{
    Place(NewAgent(ALIGN_PLAYER), 40, 40);
    Agent* raider = Place(NewAgent(ALIGN_ENEMY), 42, 40);
    Entity* scenery = Standing(NewEntity(ENTITY_RESOURCE), 41, 42);
    TheScene.translucent.PushBack(scenery);
    NextFrame(false);
    // Drawn before the frame's update has looked at them, as the level's first frame is: shown,
    // and nothing found or kept by the drawing.
    EXPECT_TRUE(raider->IsVisible());
    EXPECT_TRUE(scenery->IsVisible());
    EXPECT_FALSE(raider->discovered);
    EXPECT_FALSE(scenery->discovered);
    EXPECT_FALSE(scenery->visible) << "a click picks only what an update saw";
    EXPECT_FALSE(eventManager.enemyDiscovered);

    // The scene's update finds them, the scenery as well as the level's units.
    TheScene.firstFrame = false;
    TheScene.Update();
    EXPECT_TRUE(raider->discovered);
    EXPECT_TRUE(scenery->discovered);
    EXPECT_TRUE(scenery->visible);
    EXPECT_TRUE(eventManager.enemyDiscovered);
}

TEST_F(EntityVisibility, TheScenesUpdateWorksItOutEveryFrame)
{
    Place(NewAgent(ALIGN_PLAYER), 40, 40);
    Building* camp = Place(NewBuilding(ALIGN_ENEMY), 42, 40);
    TheScene.firstFrame = false;
    NextFrame();
    TheScene.Update();
    EXPECT_EQ(camp->cullFrame, FrameTimer.GetFrameCount());
    EXPECT_TRUE(camp->discovered);
    EXPECT_TRUE(eventManager.enemyDiscovered);
}

}  // namespace
