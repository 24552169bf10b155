// The minimap without a device: where it lies on the screen, which entities get a dot, an
// icon or nothing, how far radars reach, which enemies a radar marks as seen, and the dot
// lists that stop at their limits.
#include "mechanics/Scene.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Item.h"

#include <gtest/gtest.h>

namespace {

TEST(MinimapLayout, TheMinimapSitsInTheBottomLeftCornerAtEveryHeight)
{
    const struct {
        int height;
        int x, y, side, frameY, frameSide;
    } cases[] = {
        {768, 8, 610, 150, 602, 166},
        {1024, 10, 814, 200, 803, 221},
        {600, 6, 477, 117, 471, 129},
    };
    for (const auto& c : cases) {
        MinimapLayout layout = ComputeMinimapLayout(c.height);
        EXPECT_EQ(layout.x, c.x) << c.height;
        EXPECT_EQ(layout.y, c.y) << c.height;
        EXPECT_EQ(layout.width, c.side) << c.height;
        EXPECT_EQ(layout.height, c.side) << c.height;
        EXPECT_EQ(layout.frameY, c.frameY) << c.height;
        EXPECT_EQ(layout.frameSize, c.frameSide) << c.height;
    }
}

TEST(MinimapLayout, ClicksOnThePicturesOutermostPixelsAreOnTheMapAndBesideItNot)
{
    Minimap minimap;
    minimap.layout = ComputeMinimapLayout(768);
    const struct {
        int x, y;
        bool inside;
    } cases[] = {{8, 610, true},   {157, 759, true}, {157, 610, true}, {8, 759, true},
                 {7, 700, false},  {158, 700, false}, {80, 609, false}, {80, 760, false}};
    for (const auto& c : cases) EXPECT_EQ(minimap.ContainsPoint(c.x, c.y), c.inside) << c.x << ", " << c.y;
}

TEST(MinimapSightTexture, BrightInTheMiddleFadingToNothingAtTheEdge)
{
    EXPECT_EQ(SightTexel(32, 32), 255);
    EXPECT_EQ(SightTexel(32 + 10, 32), 255) << "full within about 10.7 texels";
    EXPECT_LT(SightTexel(32 + 12, 32), 255);
    EXPECT_EQ(SightTexel(0, 32), 0);
    EXPECT_EQ(SightTexel(0, 0), 0);
    EXPECT_EQ(SightTexel(32, 16), (uint8_t)(int)(16 * 0.03125f * 255.0f * 1.5f));
}

class MinimapMarks : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        minimap.AllocateFogGrids();
    }
    template <class T>
    T* In(T* entity)
    {
        EXPECT_NE(TheScene.AddEntity(entity), nullptr);
        return entity;
    }
    MinimapMark Mark(Entity* e, bool icons = true) { return ClassifyForMinimap(minimap, e, tick, icons); }

    Minimap minimap;
    const int tick = 500;
};

TEST_F(MinimapMarks, EachEntityGetsItsDotIconOrNothing)
{
    BuildItem* hidesNothing = Definition("camp", 0);
    BuildItem* quiet = Definition("nest", BUILD_NO_AUTO_ATTACK);
    struct Case {
        const char* what;
        Entity* entity;
        int seenTick;
        MinimapMark mark;
    };
    Agent* rig = NewAgent(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    Agent* goal = NewAgent(ALIGN_ENEMY);
    goal->flags |= ENTITY_OBJECT_OF_INTEREST;
    Building* camp = NewBuilding(ALIGN_ENEMY);
    camp->definition = hidesNothing;
    Building* nest = NewBuilding(ALIGN_ENEMY);
    nest->definition = quiet;
    Entity* ore = NewEntity(ENTITY_RESOURCE);
    Entity* revealed = NewEntity(ENTITY_RESOURCE | ENTITY_RESOURCE_REVEALED);
    Entity* loot = NewEntity(ENTITY_ITEM);
    Entity* vent = NewEntity(ENTITY_FUEL);
    Entity* knownVent = NewEntity(ENTITY_FUEL);
    knownVent->discovered = 1;
    Entity* beacon = NewEntity(ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST);
    Entity* ruin = NewEntity(ENTITY_STATIC);
    Building* cache = NewBuilding(ALIGN_ENEMY);
    cache->definition = quiet;
    cache->flags |= ENTITY_OBJECT_OF_INTEREST;
    Agent* fallen = NewAgent(ALIGN_ENEMY);
    fallen->flags |= ENTITY_OBJECT_OF_INTEREST | ENTITY_DEAD;
    Agent* critter = NewAgent(ALIGN_NEUTRAL);
    Agent* ally = NewAgent(ALIGN_FRIENDLY);
    const Case cases[] = {
        {"a player unit", NewAgent(ALIGN_PLAYER), -1, MINIMAP_DOT_FRIENDLY},
        {"the rig", rig, -1, MINIMAP_NOTHING},
        {"an enemy seen this tick", NewAgent(ALIGN_ENEMY), tick, MINIMAP_DOT_ENEMY},
        {"an enemy seen before", NewAgent(ALIGN_ENEMY), tick - 1, MINIMAP_NOTHING},
        {"an objective under the fog", goal, -1, MINIMAP_OBJECTIVE_ICON},
        {"an enemy camp seen", camp, tick, MINIMAP_DOT_ENEMY},
        {"a nest that never attacks", nest, tick, MINIMAP_NOTHING},
        {"hidden ore", ore, -1, MINIMAP_NOTHING},
        {"revealed ore", revealed, -1, MINIMAP_DOT_RESOURCE},
        {"loot", loot, tick, MINIMAP_NOTHING},
        {"a vent never seen", vent, -1, MINIMAP_NOTHING},
        {"a vent once seen", vent, 3, MINIMAP_DOT_FUEL},
        {"a vent discovered", knownVent, -1, MINIMAP_DOT_FUEL},
        {"a creature seen", critter, tick, MINIMAP_DOT_NEUTRAL},
        {"a friend seen", ally, tick, MINIMAP_DOT_FRIENDLY},
        {"an objective's own object", beacon, -1, MINIMAP_OBJECTIVE_ICON},
        {"a mesh of no objective", ruin, tick, MINIMAP_NOTHING},
        {"a quiet building to destroy", cache, -1, MINIMAP_OBJECTIVE_ICON},
        {"an objective destroyed", fallen, tick, MINIMAP_NOTHING},
    };
    for (const Case& c : cases) {
        c.entity->fogSeenTick = c.seenTick;
        EXPECT_EQ(Mark(c.entity), c.mark) << c.what;
    }
    EXPECT_EQ(Mark(goal, false), MINIMAP_NOTHING) << "icons off: an objective gets nothing";
    minimap.SetFogEnabled(false);
    vent->fogSeenTick = -1;
    EXPECT_EQ(Mark(vent), MINIMAP_DOT_FUEL) << "without fog every vent shows";
    for (Entity* e : {(Entity*)camp, (Entity*)nest, ore, revealed, loot, vent, knownVent, beacon, ruin, (Entity*)cache})
        delete e;
}

TEST_F(MinimapMarks, RadarsReachAsFarAsTheirKindAndPowerAllow)
{
    Building* tower = NewBuilding(ALIGN_PLAYER);
    tower->definition = Definition("radar", BUILD_RADAR);
    Building* depot = NewBuilding(ALIGN_PLAYER);
    depot->definition = Definition("depot", 0);
    Agent* scout = NewAgent(ALIGN_PLAYER);
    scout->classWord |= AGENT_CLASS_RADAR;
    Agent* grunt = NewAgent(ALIGN_PLAYER);
    Agent* rig = NewAgent(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    Agent* enemy = NewAgent(ALIGN_ENEMY);
    enemy->classWord |= AGENT_CLASS_RADAR;

    EXPECT_EQ(MinimapRadarRange(tower, false, false), 100.0f);
    EXPECT_EQ(MinimapRadarRange(tower, true, false), 50.0f) << "short of power";
    EXPECT_EQ(MinimapRadarRange(depot, false, false), 0.0f);
    EXPECT_EQ(MinimapRadarRange(scout, false, false), 50.0f);
    EXPECT_EQ(MinimapRadarRange(scout, false, true), 25.0f) << "over the unit limit";
    EXPECT_EQ(MinimapRadarRange(grunt, false, false), 0.0f);
    EXPECT_EQ(MinimapRadarRange(rig, false, false), 0.0f) << "no radar upgrade";
    EXPECT_EQ(MinimapRadarRange(enemy, false, false), 0.0f) << "only the player's radars are drawn";
    tower->stateFlags |= BUILDING_PREVIEW;
    EXPECT_EQ(MinimapRadarRange(tower, false, false), 0.0f) << "a placement preview";
    for (Building* b : {tower, depot}) delete b;
}

TEST_F(MinimapMarks, ARadarMarksTheEnemiesInItsRangeAsSeen)
{
    Building* tower = In(Standing(NewBuilding(ALIGN_PLAYER), 64, 64));
    tower->definition = Definition("radar", BUILD_RADAR);
    tower->buildState = BUILD_STATE_CONSTRUCTING;
    const Vec3 centre = tower->GetCenter();
    Agent* near = In(NewAgent(ALIGN_ENEMY));
    near->SetPosition(centre + Vec3(70.0f, 0.0f, 0.0f));
    Agent* diagonal = In(NewAgent(ALIGN_ENEMY));
    diagonal->SetPosition(centre + Vec3(75.0f, 0.0f, 75.0f));
    Agent* far = In(NewAgent(ALIGN_ENEMY));
    far->SetPosition(centre + Vec3(0.0f, 0.0f, -120.0f));
    for (Agent* a : {near, diagonal, far}) a->fogSeenTick = -1;
    ScopedGlobal<int> now{WorldTicks.count, 77};

    minimap.MarkRadarContacts();
    EXPECT_EQ(near->fogSeenTick, -1) << "a radar under construction marks nothing";

    tower->buildState = BUILD_STATE_READY;
    minimap.MarkRadarContacts();
    EXPECT_EQ(near->fogSeenTick, 77);
    EXPECT_EQ(diagonal->fogSeenTick, -1) << "inside the box, outside the circle";
    EXPECT_EQ(far->fogSeenTick, -1);

    PowerLedger power;
    power.demand = 100.0f;
    ScopedGlobal<PowerLedger> ledger{TheScene.power, power};
    near->fogSeenTick = -1;
    minimap.MarkRadarContacts();
    EXPECT_EQ(near->fogSeenTick, -1) << "short of power the radar reaches 50";
}

TEST(MinimapDots, EveryListStopsAtItsLimit)
{
    MinimapDots dots;
    const struct {
        MinimapMark mark;
        int limit;
    } cases[] = {{MINIMAP_DOT_FRIENDLY, 64}, {MINIMAP_DOT_ENEMY, 64}, {MINIMAP_DOT_FUEL, 64},
                 {MINIMAP_DOT_RESOURCE, 128}, {MINIMAP_DOT_NEUTRAL, 64}};
    for (const auto& c : cases) {
        int added = 0;
        for (int i = 0; i < 200; ++i) added += dots.Add(c.mark, 0.5f, 0.5f, 2);
        EXPECT_EQ(added, c.limit) << c.mark;
    }
    EXPECT_FALSE(dots.Add(MINIMAP_OBJECTIVE_ICON, 0.5f, 0.5f, 2));
    const GfxRect& r = dots.lists[0][0];
    EXPECT_EQ(r.left, 125);
    EXPECT_EQ(r.top, 125);
    EXPECT_EQ(r.right, 129);
    EXPECT_EQ(r.bottom, 129);
}

}  // namespace
