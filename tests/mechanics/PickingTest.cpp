// The pick under the cursor and the minimap's points: the hover tint by side and command mode,
// the nearest of two entities on the ray, the minimap's left edge on the world's positive x
// side, and the visible cells with a corner that looks past the grid.
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

#include "render/Camera.h"
#include "render/ViewFrustum.h"
#include "tests/world/BlockMesh.h"
#include "terrain/Minimap.h"
#include "tests/world/AgentTestSupport.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"

#include <gtest/gtest.h>

namespace {

class PickingTest : public AgentWorld {
protected:
    void Tint(float r, float g, float b)
    {
        EXPECT_FLOAT_EQ(game.hoverTint[0], r);
        EXPECT_FLOAT_EQ(game.hoverTint[1], g);
        EXPECT_FLOAT_EQ(game.hoverTint[2], b);
        EXPECT_FLOAT_EQ(game.hoverTint[3], 1.0f);
    }
    ScopedGlobal<Camera> camera{GameCamera};
    ScopedGlobal<Matrix> view{ViewMatrix};
};

TEST_F(PickingTest, TheHoverTintSaysWhatAClickWouldDo)
{
    Agent* enemy = Unit(30, 30, ALIGN_ENEMY);
    Agent* bot = Unit(32, 30);
    Entity* ore = NewEntity(ENTITY_RESOURCE);
    struct Case {
        int mode;
        Entity* hovered;
        uint32_t revealed;
        float r, g, b;
    } cases[] = {
        {0, nullptr, 0, 1, 1, 1},
        {0, enemy, 0, 1, 0, 0},
        {0, bot, 0, 0, 1, 0},
        {COMMAND_MINE, ore, 0, 0.9f, 0.9f, 0.2f},
        {COMMAND_MINE, ore, ENTITY_RESOURCE_REVEALED, 0, 1, 0},
        {COMMAND_ENRICH_ORE, ore, ENTITY_RESOURCE_REVEALED, 0.9f, 0.9f, 0.2f},
        {COMMAND_MINE, bot, 0, 1, 0, 0},
        {COMMAND_HEAL, bot, 0, 0, 1, 0},
        {COMMAND_HEAL, enemy, 0, 1, 0, 0},
        {COMMAND_REPAIR, bot, 0, 1, 0, 0},
        {COMMAND_ATTACK, enemy, 0, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ore->flags = (ore->flags & ~ENTITY_RESOURCE_REVEALED) | c.revealed;
        game.commandMode = c.mode;
        game.SetHoverTint(c.hovered);
        Tint(c.r, c.g, c.b);
    }
    delete ore;
}

TEST_F(PickingTest, TheNearestVisibleEntityOnTheRayIsPickedAndHovered)
{
    // Targets that every ray hits: the pick must choose by distance and visibility.
    struct Target : Entity {
        bool IntersectRay(const Vec3&, const Vec3&) override { return true; }
    };
    Target* nearOne = new Target();
    Target* farOne = new Target();
    Target* hidden = new Target();
    const float at[] = {10.0f, 30.0f, 5.0f};
    Target* all[] = {nearOne, farOne, hidden};
    for (int i = 0; i < 3; ++i) {
        all[i]->flags |= ENTITY_BUILDING;
        all[i]->alignment = ALIGN_ENEMY;
        all[i]->SetPosition(Vec3(0.0f, 0.0f, at[i]));
        all[i]->AdoptMesh(BlockMesh(-0.5f, 0.5f, -0.5f, 0.5f, 0.0f, 1.0f));
        ASSERT_NE(TheScene.AddEntity(all[i]), nullptr);
    }
    // The view begins at z 7: the nearest target lies out of the picture.
    ViewFrustum view;
    for (Plane& plane : view.planes) plane = Plane(0.0f, -1.0f, 0.0f, -10000.0f);
    view.planes[0] = Plane(0.0f, 0.0f, -1.0f, 7.0f);
    ScopedGlobal<ViewFrustum*> frustum{Frustum, &view};
    ScopedGlobal<bool> fogOff{TheMinimap.fogEnabled, false};
    ++FrameTimer.frameCount;
    EXPECT_EQ(game.PickEntity(Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 0.0f, 1.0f)), nearOne);
    EXPECT_TRUE(PlayerSelection::Lists(game.hand.hovered, nearOne));
    Tint(1, 0, 0);
}

TEST_F(PickingTest, AFoundMissionObjectOrVentIsPickedAnywhereOnItsGoldRing)
{
    // A small dark slab of a mission object and a fuel vent's low glow: each far smaller than the
    // gold ring round it (a cell's radius for the slab, a cell and a half for the vent).
    Entity* slab = new Entity();
    slab->flags |= ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST;
    Entity* vent = new Entity();
    vent->flags |= ENTITY_RESOURCE | ENTITY_FUEL;
    const Vec3 slabAt(20.0f, 0.0f, 20.0f), ventAt(-20.0f, 0.0f, -20.0f);
    slab->SetPosition(slabAt);
    vent->SetPosition(ventAt);
    for (Entity* e : {slab, vent}) {
        e->AdoptMesh(BlockMesh(-0.3f, 0.3f, -0.3f, 0.3f, 0.0f, 0.2f));
        ASSERT_NE(TheScene.AddEntity(e), nullptr);
    }
    ViewFrustum view;
    for (Plane& plane : view.planes) plane = Plane(0.0f, -1.0f, 0.0f, -10000.0f);
    ScopedGlobal<ViewFrustum*> frustum{Frustum, &view};
    ScopedGlobal<bool> fogOff{TheMinimap.fogEnabled, false};
    const float cell = grid->cellSize;
    struct Case {
        Vec3 point;
        Entity* picked;
        const char* what;
    };
    const Case cases[] = {
        {slabAt + Vec3(0.8f * cell, 0.0f, 0.0f), slab, "the slab's ring beside it"},
        {slabAt + Vec3(0.0f, 0.0f, -0.5f * cell), slab, "inside the slab's ring"},
        {slabAt + Vec3(1.2f * cell, 0.0f, 0.0f), nullptr, "past the slab's ring"},
        {ventAt + Vec3(0.0f, 0.0f, 1.3f * cell), vent, "the vent's ring"},
        {ventAt + Vec3(1.7f * cell, 0.0f, 0.0f), nullptr, "past the vent's ring"},
    };
    for (const Case& c : cases) {
        ++FrameTimer.frameCount;
        const Vec3 eye = c.point + Vec3(0.0f, 30.0f, 15.0f);
        EXPECT_EQ(game.PickEntity(eye, c.point - eye), c.picked) << c.what;
    }
    // A vent that is gone has no ring to point at.
    vent->flags |= ENTITY_DEAD;
    ++FrameTimer.frameCount;
    const Vec3 onRing = ventAt + Vec3(0.0f, 0.0f, 1.3f * cell), eye = onRing + Vec3(0.0f, 30.0f, 15.0f);
    EXPECT_EQ(game.PickEntity(eye, onRing - eye), nullptr);
}

TEST_F(PickingTest, TheMinimapsLeftEdgeIsTheWorldsPositiveX)
{
    ScopedGlobal<MinimapLayout> layout{TheMinimap.layout};
    TheMinimap.layout.x = 8;
    TheMinimap.layout.y = 610;
    TheMinimap.layout.width = 150;
    TheMinimap.layout.height = 150;
    const Vec3 left = MinimapToWorld(8, 685);
    EXPECT_FLOAT_EQ(left.x, 160.0f);
    EXPECT_FLOAT_EQ(left.z, 0.0f);
    const Vec3 right = MinimapToWorld(158, 760);
    EXPECT_FLOAT_EQ(right.x, -160.0f);
    EXPECT_FLOAT_EQ(right.z, 160.0f);

    ScopedGlobal<Camera> camera{GameCamera};
    GameCamera.direction = Vec3(0.0f, -0.6f, 0.8f);
    GameCamera.distance = 40.0f;
    CenterCameraOnMinimapPoint(83, 685);
    // The eye stands back along the view at the camera's distance, above the ground.
    EXPECT_NEAR(GameCamera.eye.x, 0.0f, 1e-4f);
    EXPECT_NEAR(GameCamera.eye.y, MinimapToWorld(83, 685).y + 24.0f, 1e-4f);
    EXPECT_NEAR(GameCamera.eye.z, -32.0f, 1e-4f);
    // At the rim the view goes as far toward that edge as it can and shows nothing past it.
    CenterCameraOnMinimapPoint(8, 685);
    Vec3 lo, hi;
    GameCamera.ViewFootprint(GameCamera.eye, GameCamera.direction, &lo, &hi);
    EXPECT_NEAR(hi.x, 160.0f, 1e-3f);
    EXPECT_NEAR(GameCamera.eye.z, -32.0f, 1e-4f);
    EXPECT_NEAR(GameCamera.target.x - GameCamera.eye.x, GameCamera.direction.x, 1e-4f);
}

TEST_F(PickingTest, ACornerLookingPastTheGridCountsAsTheNearestGridCorner)
{
    int column = -1, row = -1;
    NearestGridCorner(grid, Vec3(1000.0f, 0.0f, 1000.0f), &column, &row);
    const Vec3 corner = grid->CellToWorld(column, row);
    for (int c : {0, 127})
        for (int r : {0, 127}) {
            const Vec3 other = grid->CellToWorld(c, r);
            EXPECT_LE(Ground(corner, Vec3(1000.0f, 0.0f, 1000.0f)), Ground(other, Vec3(1000.0f, 0.0f, 1000.0f)));
        }

    // A camera high above the middle looking straight down sees a small square of cells.
    const Vec3 eye(0.0f, 40.0f, 0.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 0.0f, 1.0f);
    MatrixLookAtLH(&ViewMatrix, &eye, &at, &up);
    int x0, y0, x1, y1;
    game.GetVisibleCellRect(&x0, &y0, &x1, &y1);
    EXPECT_LT(x0, 64);
    EXPECT_GT(x1, 63);
    EXPECT_LT(x1 - x0, 30);
    EXPECT_LT(y1 - y0, 30);
}

TEST_F(PickingTest, TheRallyMarkerStandsAtThePointOrAtTheSpawningAgentItFollows)
{
    Building* factory = Built(Definition("factory", BUILD_UNIT_FACTORY));
    Vec3 at;
    game.hand.selected.PushBack(factory);
    EXPECT_FALSE(game.GetRallyMarkerPoint(&at)) << "no rally point yet";
    factory->stateFlags |= BUILDING_RALLY_POINT;
    factory->rallyPoint = Corner(50, 50);
    ASSERT_TRUE(game.GetRallyMarkerPoint(&at));
    EXPECT_LT(Ground(at, Corner(50, 50)), 0.01f);
    Agent* carrier = Unit(60, 60);
    carrier->classWord |= AGENT_CLASS_MOBILE_SPAWN_POINT;
    factory->linkedEntity.Set(carrier);
    ASSERT_TRUE(game.GetRallyMarkerPoint(&at));
    EXPECT_LT(Ground(at, Corner(60, 60)), 0.01f);
    game.hand.selected.Clear();
}

}  // namespace
