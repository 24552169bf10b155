// The Scene's lists as the world uses them: every kind of entity lands in its segment, walks see
// segments in order and newest first and survive the entity they stand on leaving, the nearest
// enemy is found by every team's rules, ids are never reused, an old reference never reaches a
// recycled agent, full lists refuse, and the frame retires the dead and counts unit control.
#include "mechanics/Scene.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "interface/InGameMenu.h"
#include "mechanics/GameMechanics.h"
#include "platform/Timer.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<Entity*> Walk(uint32_t mask)
{
    std::vector<Entity*> seen;
    for (Entity* e = TheScene.FirstEntity(mask); e; e = TheScene.NextEntity()) seen.push_back(e);
    return seen;
}

// An entity whose update takes it out of the level, as a trap that goes off does.
class SelfRemover : public Entity {
public:
    void Update() override
    {
        Entity::Update();
        TheScene.RemoveEntity(this, REMOVE_MASTER);
        removed = true;
    }
    bool removed = false;
};

}  // namespace

TEST_F(SceneTest, EveryKindLandsInItsSegment)
{
    struct Case {
        const char* what;
        Entity* entity;
        int segment;
    };
    Item* item = new Item();
    const Case table[] = {
        {"player ground agent", NewAgent(ALIGN_PLAYER), SEGMENT_UNIT},
        {"player air agent", NewAgent(ALIGN_PLAYER, true), SEGMENT_AIR_UNIT},
        {"player building", NewBuilding(ALIGN_PLAYER), SEGMENT_BUILDING},
        {"enemy ground agent", NewAgent(ALIGN_ENEMY), SEGMENT_ENEMY_UNIT},
        {"friendly air agent", NewAgent(ALIGN_FRIENDLY, true), SEGMENT_ENEMY_AIR_UNIT},
        {"friendly building", NewBuilding(ALIGN_FRIENDLY), SEGMENT_ENEMY_BUILDING},
        {"enemy building", NewBuilding(ALIGN_ENEMY), SEGMENT_ENEMY_BUILDING},
        {"neutral building", NewBuilding(ALIGN_NEUTRAL), SEGMENT_NEUTRAL_BUILDING},
        {"ore", NewEntity(ENTITY_RESOURCE), SEGMENT_RESOURCE},
        {"item", item, SEGMENT_ITEM},
        {"rock that blocks", NewEntity(ENTITY_COLLISION), SEGMENT_COLLISION},
        {"anything else", NewEntity(ENTITY_STATIC), SEGMENT_UNSORTED},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TheScene.GetListIndex(c.entity), c.segment);
        ASSERT_NE(TheScene.AddEntity(c.entity), nullptr);
        ASSERT_NE(TheScene.FirstInList(c.segment), nullptr);
        EXPECT_EQ(TheScene.FirstInList(c.segment)->value, c.entity) << "the newest comes first";
    }
    // Each segment's walk gives exactly what was put in it.
    EXPECT_EQ(Walk(1u << SEGMENT_ENEMY_BUILDING), (std::vector<Entity*>{table[6].entity, table[5].entity}));
    EXPECT_EQ(Walk(SEGMENTS_AGENTS).size(), 4u);
    EXPECT_EQ(Walk(SEGMENTS_BUILDINGS).size(), 4u);
    EXPECT_EQ(Walk(SEGMENTS_ALL).size(), sizeof table / sizeof table[0]);
}

TEST_F(SceneTest, WalksGoThroughTheSegmentsInOrderNewestFirstAndEndCleanly)
{
    EXPECT_EQ(TheScene.FirstEntity(SEGMENTS_ALL), nullptr) << "an empty level";
    EXPECT_FALSE(TheScene.IsWalking());

    Agent* first = NewAgent(ALIGN_PLAYER);
    Agent* second = NewAgent(ALIGN_PLAYER);
    Entity* ore = NewEntity(ENTITY_RESOURCE);
    Building* depot = NewBuilding(ALIGN_PLAYER);
    for (Entity* e : std::vector<Entity*>{first, second, ore, depot}) ASSERT_NE(TheScene.AddEntity(e), nullptr);

    EXPECT_EQ(Walk(SEGMENTS_PLAYER | SEGMENTS_RESOURCES), (std::vector<Entity*>{second, first, depot, ore}));
    EXPECT_FALSE(TheScene.IsWalking()) << "a walk that ran out is over";
    EXPECT_EQ(TheScene.NextEntity(), nullptr);
    EXPECT_EQ(Walk(1u << SEGMENT_ITEM), std::vector<Entity*>{});

    // The entity a walk stands on leaves: the walk goes on with the one after it.
    EXPECT_EQ(TheScene.FirstEntity(SEGMENTS_PLAYER | SEGMENTS_RESOURCES), second);
    TheScene.UnlinkEntity(second);
    EXPECT_EQ(TheScene.NextEntity(), first);
    TheScene.UnlinkEntity(first);
    TheScene.UnlinkEntity(depot);  // the next one leaves as well
    EXPECT_EQ(TheScene.NextEntity(), ore);
    EXPECT_EQ(TheScene.NextEntity(), nullptr);
    TheScene.EndIteration();
    delete depot;
    for (Agent* agent : {first, second}) game.agentTypes->ReturnAgent(agent);

    // The category walk keeps entities whose flags meet the mask, across its lists, and also
    // goes on when its entity leaves.
    Entity* rockA = NewEntity(ENTITY_STATIC);
    Entity* rockB = NewEntity(ENTITY_STATIC);
    Entity* vent = NewEntity(ENTITY_STATIC | ENTITY_FUEL);
    TheScene.terrainObjects.PushBack(rockA);
    TheScene.terrainObjects.PushBack(vent);
    TheScene.splats.PushBack(rockB);
    ore->flags |= ENTITY_STATIC;
    EXPECT_EQ(TheScene.FirstInCategory(CATEGORY_ALL, ENTITY_STATIC), ore) << "the master list first";
    EXPECT_EQ(TheScene.NextInCategory(), rockA);
    TheScene.RemoveEntity(rockA, REMOVE_TERRAIN);
    EXPECT_EQ(TheScene.NextInCategory(), vent);
    EXPECT_EQ(TheScene.NextInCategory(), rockB);
    EXPECT_EQ(TheScene.NextInCategory(), nullptr);
    EXPECT_EQ(TheScene.FirstInCategory(CATEGORY_TERRAIN, ENTITY_FUEL), vent);
    EXPECT_EQ(TheScene.NextInCategory(), nullptr);
    delete rockA;
}

TEST_F(SceneTest, NearestEntityByTeamFlagsAndExclusions)
{
    Agent* self = Place(NewAgent(ALIGN_PLAYER), 0);
    Agent* enemy = Place(NewAgent(ALIGN_ENEMY), 5);
    Agent* cloaked = Place(NewAgent(ALIGN_ENEMY), 1);
    cloaked->classWord |= AGENT_CLOAKED;
    Agent* flyer = Place(NewAgent(ALIGN_ENEMY, true), 2);
    Agent* dead = Place(NewAgent(ALIGN_ENEMY), 0.5f);
    dead->flags |= ENTITY_DEAD;
    Building* preview = Place(NewBuilding(ALIGN_ENEMY), 0.2f);
    preview->stateFlags |= BUILDING_PREVIEW;
    Building* friendly = Place(NewBuilding(ALIGN_FRIENDLY), 3);
    Building* home = Place(NewBuilding(ALIGN_PLAYER), 4);
    Agent* mate = Place(NewAgent(ALIGN_PLAYER), 6);
    Building* neutral = Place(NewBuilding(ALIGN_NEUTRAL), 1.5f);
    for (Entity* e : std::vector<Entity*>{self, enemy, cloaked, flyer, dead, preview, friendly, home, mate, neutral})
        ASSERT_NE(TheScene.AddEntity(e), nullptr);

    struct Case {
        const char* what;
        int team;
        int flagMask;
        bool excludeAir;
        Entity* expected;
        float distance;
    };
    const Case table[] = {
        {"enemies", ALIGN_ENEMY, 0, false, flyer, 2},
        {"enemies on the ground", ALIGN_ENEMY, 0, true, enemy, 5},
        {"anyone not the player's", ALIGN_FRIENDLY, 0, false, flyer, 2},
        {"anyone not the player's, on the ground", ALIGN_FRIENDLY, 0, true, friendly, 3},
        {"the player's own", ALIGN_PLAYER, 0, false, home, 4},
        {"the player's agents", ALIGN_PLAYER, ENTITY_AGENT, false, mate, 6},
        {"every side", -1, 0, false, flyer, 2},
        {"every side's buildings", -1, ENTITY_BUILDING, false, friendly, 3},
        {"neutrals (their buildings lie outside the search)", ALIGN_NEUTRAL, 0, false, nullptr, -1},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        float distance = -1.0f;
        EXPECT_EQ(TheScene.FindNearest(self, &distance, c.team, c.flagMask, c.excludeAir), c.expected);
        EXPECT_FLOAT_EQ(distance, c.distance);
    }

    // A lookup keeps its own cursor: a walk around it goes on undisturbed.
    EXPECT_EQ(TheScene.FirstEntity(SEGMENTS_PLAYER), mate);
    EXPECT_EQ(TheScene.FindNearest(self, nullptr, ALIGN_ENEMY, 0, false), flyer);
    EXPECT_EQ(TheScene.NextEntity(), self);
    TheScene.EndIteration();

    // Ties: the lower segment wins, and within a segment the newer one.
    Agent* older = Place(NewAgent(ALIGN_ENEMY), -2);
    Agent* newer = Place(NewAgent(ALIGN_ENEMY), -2);
    Building* camp = Place(NewBuilding(ALIGN_ENEMY), -2);
    for (Entity* e : std::vector<Entity*>{camp, older, newer}) ASSERT_NE(TheScene.AddEntity(e), nullptr);
    EXPECT_EQ(TheScene.FindNearest(self, nullptr, ALIGN_ENEMY, 0, true), newer);
}

TEST_F(SceneTest, IdsAreNeverReusedAndOldReferencesFindNothing)
{
    std::set<unsigned> ids;
    Agent* agent = NewAgent(ALIGN_ENEMY);
    Building* building = NewBuilding(ALIGN_ENEMY);
    for (Entity* e : std::vector<Entity*>{agent, building}) {
        ASSERT_NE(TheScene.AddEntity(e), nullptr);
        EXPECT_TRUE(ids.insert(e->id).second);
    }
    const unsigned oldId = agent->id;
    EntityRef target(agent);
    EXPECT_EQ(target.Get(), agent);
    EXPECT_EQ(TheScene.FindEntityById((int)oldId, SEGMENTS_ALL), agent);
    EXPECT_EQ(TheScene.FindEntityById(-1, SEGMENTS_ALL), nullptr);
    EXPECT_EQ(TheScene.FindEntityById((int)oldId, SEGMENTS_BUILDINGS), nullptr) << "outside the segments asked for";

    // The agent dies and goes back to the pool: it comes back as someone else.
    int free = game.agentTypes->FreeCount();
    TheScene.RemoveEntity(agent, REMOVE_MASTER);
    EXPECT_EQ(game.agentTypes->FreeCount(), free + 1);
    EXPECT_NE(agent->id, oldId);
    EXPECT_TRUE(ids.insert(agent->id).second);
    EXPECT_EQ(target.Get(), nullptr) << "an old reference never reaches the recycled agent";
    EXPECT_EQ(TheScene.FindEntityById((int)oldId, SEGMENTS_ALL), nullptr);
    EXPECT_NE(game.agentTypes->TakeFreeAgent(), agent) << "the agent returned last is handed out last";
    // Taken up again and put back in the level, it is still not the one the reference meant.
    ASSERT_NE(TheScene.AddEntity(agent), nullptr);
    EXPECT_EQ(target.Get(), nullptr);
    EXPECT_FALSE(game.agentTypes->ReturnAgent(nullptr));

    // Entities made later take ids never seen before.
    for (int i = 0; i < 5; ++i) {
        Entity* e = NewEntity(0);
        EXPECT_TRUE(ids.insert(e->id).second);
        delete e;
    }

    // A building that died stays reachable while the level keeps it, and not once it is freed.
    EntityRef ruin(building);
    building->flags |= ENTITY_DEAD;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_EQ(ruin.Get(), building);
    EXPECT_EQ(ruin.GetLive(), nullptr);
    TheScene.ClearRemoved();
    EXPECT_EQ(ruin.Get(), nullptr);
}

// A reference finds its entity while any list of the level holds it, the dead kept till the
// level's end among them, and not a template, nor once every list has let go of it.
TEST_F(SceneTest, AReferenceFindsItsEntityInEveryListOfTheLevel)
{
    struct Case {
        const char* list;
        Scene::EntityList& in;
        bool found;
    };
    const Case table[] = {
        {"master", TheScene.master, true},       {"removed", TheScene.removed, true},
        {"terrain objects", TheScene.terrainObjects, true}, {"translucent", TheScene.translucent, true},
        {"splats", TheScene.splats, true},       {"templates", TheScene.primitives, false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.list);
        Entity* entity = NewEntity(ENTITY_STATIC);
        const EntityRef ref(entity);
        EXPECT_EQ(ref.Get(), nullptr) << "not in the level yet";
        ASSERT_TRUE(c.in.PushBack(entity));
        ASSERT_TRUE(TheScene.master.PushBack(entity));
        EXPECT_EQ(ref.Get(), entity);
        TheScene.UnlinkEntity(entity);
        EXPECT_EQ(ref.Get(), c.found ? entity : nullptr) << "in the one list left";
        ASSERT_TRUE(c.in.Remove(entity));
        EXPECT_EQ(ref.Get(), nullptr);
        delete entity;
    }
}

TEST_F(SceneTest, FullListsRefuseWithALine)
{
    std::vector<Entity*> made;
    for (int i = 0; i < Scene::MASTER_NODES - Scene::MARKER_COUNT; ++i) {
        made.push_back(NewEntity(0));
        ASSERT_NE(TheScene.AddEntity(made.back()), nullptr) << i;
    }
    Entity* extra = NewEntity(0);
    LogCaptureBegin();
    EXPECT_EQ(TheScene.AddEntity(extra), nullptr);
    EXPECT_NE(LogCaptureEnd().find("ERROR"), std::string::npos);
    EXPECT_EQ(Walk(SEGMENTS_ALL).size(), made.size());
    delete extra;

    for (int i = 0; i < Scene::PRIMITIVE_NODES; ++i)
        ASSERT_NE(TheScene.AddPrimitive("none.txt", ("p" + std::to_string(i)).c_str(), 0, nullptr, 0, 0, false), nullptr);
    LogCaptureBegin();
    EXPECT_EQ(TheScene.AddPrimitive("none.txt", "one too many", 0, nullptr, 0, 0, false), nullptr);
    EXPECT_NE(LogCaptureEnd().find("ERROR"), std::string::npos);

    for (int i = 0; i < Scene::LIGHT_NODES; ++i) ASSERT_NE(TheScene.AddLight(), nullptr);
    for (int i = 0; i < Scene::PATH_NODES; ++i) ASSERT_NE(TheScene.AddPath("route", 3), nullptr);
    LogCaptureBegin();
    EXPECT_EQ(TheScene.AddLight(), nullptr);
    EXPECT_EQ(TheScene.AddPath("route", 3), nullptr);
    EXPECT_NE(LogCaptureEnd().find("ERROR"), std::string::npos);

    // Splats are many and cheap: a full list refuses them without a word.
    for (int i = 0; i < Scene::CATEGORY_NODES; ++i)
        ASSERT_NE(TheScene.AddSplat("p0", "data/textures/white.dds", nullptr, Vec3(), 0), nullptr);
    LogCaptureBegin();
    EXPECT_EQ(TheScene.AddSplat("p0", "data/textures/white.dds", nullptr, Vec3(), 0), nullptr);
    EXPECT_EQ(LogCaptureEnd(), "");

    for (int i = 0; i < Scene::MAX_PENDING_LINKS; ++i) ASSERT_TRUE(TheScene.AddPendingLink(nullptr, LINK_MINE, 1, 1));
    EXPECT_FALSE(TheScene.AddPendingLink(nullptr, LINK_MINE, 1, 1));
}

TEST_F(SceneTest, TheFrameUpdatesEveryoneAndRetiresTheDead)
{
    ScopedGlobal<int> frame(FrameTimer.frameCount, 10);
    Entity* ore = Place(NewEntity(ENTITY_RESOURCE), 3);
    GridCell* cell = game.grid->GetCellAt(ore->GetPosition());
    ASSERT_NE(cell, nullptr);
    cell->occupant = ore;
    ore->gridCell = cell;
    EXPECT_EQ(TheScene.FindEntityAtCell(cell->column, cell->row), ore);
    EXPECT_EQ(TheScene.FindEntityAtCell(-1, 0), nullptr);
    Agent* raider = NewAgent(ALIGN_ENEMY);
    Agent* rig = NewAgent(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    Entity* wreck = NewEntity(ENTITY_STATIC);
    wreck->flags |= ENTITY_STAYS_DEAD;
    SelfRemover* trap = new SelfRemover();
    Entity* rock = NewEntity(ENTITY_STATIC);
    for (Entity* e : std::vector<Entity*>{ore, raider, rig, wreck, rock, trap}) ASSERT_NE(TheScene.AddEntity(e), nullptr);

    // The first frame of a level only settles: nobody is updated yet.
    TheScene.firstFrame = true;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_EQ(rock->updateFrame, -1);
    EXPECT_FALSE(trap->removed);
    EXPECT_FALSE(TheScene.firstFrame);

    // An update that takes its own entity out of the level does not stop the others.
    ++FrameTimer.frameCount;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_TRUE(trap->removed);
    EXPECT_EQ(rock->updateFrame, WorldTicks.count) << "updated after the trap left";
    delete trap;

    // The dead leave in the frame they are found: ore out of the list and its cell, onto the
    // removed list until the level ends; agents back to the pool. The rig and what is meant
    // to lie dead stay.
    for (Entity* e : std::vector<Entity*>{ore, raider, rig, wreck}) e->flags |= ENTITY_DEAD;
    int free = game.agentTypes->FreeCount();
    EntityRef lostOre(ore);
    ++FrameTimer.frameCount;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    std::vector<Entity*> left = Walk(SEGMENTS_ALL);
    EXPECT_EQ(left, (std::vector<Entity*>{rig, rock, wreck}));
    EXPECT_EQ(cell->occupant, nullptr);
    EXPECT_EQ(TheScene.FindEntityAtCell(cell->column, cell->row), nullptr);
    EXPECT_EQ(TheScene.removed.count, 1);
    EXPECT_EQ(lostOre.Get(), ore);
    EXPECT_EQ(game.agentTypes->FreeCount(), free + 1);
    TheScene.ClearRemoved();
    EXPECT_EQ(TheScene.removed.count, 0);
    EXPECT_EQ(lostOre.Get(), nullptr);
}

TEST_F(SceneTest, TheLostRigEndsTheMissionWithTheFailedWindow)
{
    ScopedGlobal<int> frame(FrameTimer.frameCount, 10);
    InGameMenu menu;
    ScopedGlobal<InGameMenu*> installed(TheInGameMenu, &menu);
    ScopedGlobal<bool> paused(GamePaused, false);
    TheScene.firstFrame = false;
    Agent* rig = NewAgent(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    ASSERT_NE(TheScene.AddEntity(rig), nullptr);

    ++FrameTimer.frameCount;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_FALSE(menu.failedShown) << "a live rig";

    // The wreck stays where it fell, and the world stands still under the window.
    rig->flags |= ENTITY_DEAD;
    ++FrameTimer.frameCount;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_TRUE(menu.failedShown);
    EXPECT_TRUE(GamePaused);
    EXPECT_EQ(Walk(SEGMENTS_ALL), std::vector<Entity*>{rig});
}

TEST_F(SceneTest, OneLiveRigAtATime)
{
    Agent* first = NewAgent(ALIGN_PLAYER);
    Agent* second = NewAgent(ALIGN_PLAYER);
    first->flags |= ENTITY_PLAYER;
    second->flags |= ENTITY_PLAYER;
    LogCaptureBegin();
    ASSERT_NE(TheScene.AddEntity(first), nullptr);
    EXPECT_EQ(TheScene.AddEntity(second), nullptr) << "a live rig holds the place";
    EXPECT_NE(LogCaptureEnd().find("already added"), std::string::npos);
    // A dead rig that is still listed does not refuse the next one.
    first->flags |= ENTITY_DEAD;
    EXPECT_NE(TheScene.AddEntity(second), nullptr);
    EXPECT_EQ(Walk(SEGMENTS_ALL).size(), 2u);
}

TEST_F(SceneTest, TheFrameCountsPowerAndUnitControl)
{
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<int> base(profile->baseUnitControl, 2), control(profile->unitControl, 2),
        inUse(profile->unitsInUse, 0), cap(profile->maxUnitControl, 50);

    // Nothing built: the base control, and the supply never below 20.
    ASSERT_NE(TheScene.AddEntity(NewAgent(ALIGN_PLAYER)), nullptr);
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_EQ(TheScene.unitControl.capacity, 2);
    EXPECT_EQ(TheScene.unitControl.used, 1);
    EXPECT_FLOAT_EQ(TheScene.unitControl.supply, 20.0f);
    EXPECT_FLOAT_EQ(TheScene.unitControl.demand, 0.0f);

    BuildItem* generator = Definition("generator", BUILD_RESOURCE);
    generator->resourcePower = 30;
    BuildItem* turret = Definition("turret", BUILD_TURRET);
    turret->costPower = -10;
    BuildItem* factory = Definition("factory", BUILD_UNIT_FACTORY);
    BuildItem* control2 = Definition("control", BUILD_UNIT_CONTROL);
    control2->level = 1;
    Building* power = Built(generator);
    Built(turret);
    Building* unfinished = Built(turret);
    unfinished->buildState = BUILD_STATE_CONSTRUCTING;
    Building* plant = Built(factory);
    for (int i = 0; i < 3; ++i) plant->EnsureBuildQueue()->PushBack(nullptr);
    Building* enemyPower = Built(generator);
    enemyPower->alignment = ALIGN_ENEMY;
    TheScene.UnlinkEntity(enemyPower);
    TheScene.LinkEntity(enemyPower);
    (void)power;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_FLOAT_EQ(TheScene.unitControl.supply, 50.0f) << "the enemy's generator powers nothing of ours";
    EXPECT_FLOAT_EQ(TheScene.unitControl.demand, 10.0f) << "a building under construction draws nothing";
    EXPECT_EQ(TheScene.unitControl.used, 4) << "units in production count as in use";

    // Twelve unit-control buildings would give 122: control stops at 50.
    for (int i = 0; i < 12; ++i) Built(control2);
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_EQ(TheScene.unitControl.capacity, Scene::UNIT_CONTROL_CAP);
    EXPECT_EQ(profile->unitControl, Scene::UNIT_CONTROL_CAP);
    EXPECT_EQ(profile->unitsInUse, 4);
}
