// The mouse orders on open ground under a fixed camera: a group's formation, moves queued with
// Shift (once per click, and over a river crossing first), a full queue refused, the right
// click's dispatch by what is selected and what lies under the cursor, and a friendly building
// that is never attacked.
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "platform/InputState.h"
#include "render/Camera.h"
#include "terrain/Minimap.h"
#include "tests/world/BlockMesh.h"
#include "tests/support/TestSupport.h"
#include "tests/world/AgentTestSupport.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "world/TaskManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char* const ORDER_JOBS[] = {"AttackEntity", "Build", "Repair", "ExtractOre", "UpgradeBot", "RecycleBot",
                                  "EnterWarpPlatform", "ItemMoveAndAction", "MoveAndAttack", "Heal", "InstantHeal"};

class PlayerOrdersTest : public AgentWorld {
protected:
    void SetUp() override
    {
        AgentWorld::SetUp();
        std::string script;
        for (const char* job : ORDER_JOBS) script += std::string("Job ") + job + "\nWaitOnTime 100\n";
        const std::string path = MakeTempFolder("orders") + "/tasks.cgs";
        ASSERT_TRUE(WriteTextFile(path, script + "END_OF_FILE\n"));
        tasks = std::make_unique<TaskManager>(path.c_str());
        TheTaskManager = tasks.get();
        Input.keyboard = &keyboard;
        Input.mouse = &mouse;
        game.state = GAME_STATE_PLAYING;
        TheLevelGenerator.Clear();
    }
    void TearDown() override
    {
        game.ClearSelection();
        TheScene.ReleaseEntities();
        TheLevelGenerator.Clear();
        AgentWorld::TearDown();
    }
    void Hold(int key, bool held) { keyboard.state[key] = held ? 0x80 : 0; }
    void SelectAll(const std::vector<Agent*>& agents)
    {
        game.ClearSelection();
        for (Agent* agent : agents) game.hand.selected.PushBack(agent);
    }
    // A fresh right click with the entity (or nothing) under the cursor at the ground point.
    void RightClick(Entity* hovered, const Vec3& at)
    {
        game.hoveredEntity = hovered;
        game.pickedPoint = at;
        game.pressTimer = 1.0f;
        game.OrderSelected();
        NextTick();
    }
    static const char* JobOf(const Agent* agent)
    {
        return agent->brain && agent->brain->job ? agent->brain->job->name : "";
    }

    std::unique_ptr<TaskManager> tasks;
    ScopedGlobal<TaskManager*> manager{TheTaskManager};
    KeyboardDevice keyboard;
    MouseDevice mouse;
    ScopedGlobal<KeyboardDevice*> keyboardSlot{Input.keyboard};
    ScopedGlobal<MouseDevice*> mouseSlot{Input.mouse};
    ScopedGlobal<bool> minimapShown{MinimapShown, false};
    ScopedGlobal<const char*> heard{LastFeedbackSound, nullptr};
};

TEST_F(PlayerOrdersTest, FiveBotsTakeTheTargetAndItsNeighboursInOffsetOrderAndAirUnitsTheTarget)
{
    std::vector<Agent*> bots;
    for (int i = 0; i < 5; ++i) bots.push_back(Unit(10 + i, 10));
    Agent* flyer = Unit(20, 10, ALIGN_PLAYER, true);
    Cell(61, 60)->flags = 0;  // the first offset is rock: the next ones are taken instead
    std::vector<Agent*> all = bots;
    all.push_back(flyer);
    SelectAll(all);
    RightClick(nullptr, Corner(60, 60));
    // Where each is bound (the tick that took the order has set it on its way there already).
    const int expected[5][2] = {{60, 60}, {60, 61}, {61, 61}, {59, 60}, {59, 61}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_LT(Ground(bots[i]->stepTarget, Corner(expected[i][0], expected[i][1])), 0.01f);
        EXPECT_TRUE(bots[i]->HasStanceBits());
    }
    EXPECT_LT(Ground(flyer->stepTarget, Corner(60, 60)), 0.01f);
}

// An order is given now and carried out at the next tick, on the units it names that are still
// there: one dead by then and a number the level never gave are passed over.
TEST_F(PlayerOrdersTest, AnOrderWaitsForTheTickAndPassesOverUnitsDeadOrGoneByThen)
{
    Agent* alive = Unit(10, 10);
    Agent* dying = Unit(12, 10);
    SelectAll({alive, dying});
    game.hoveredEntity = nullptr;
    game.pickedPoint = Corner(40, 40);
    game.pressTimer = 1.0f;
    game.OrderSelected();
    EXPECT_GT(Ground(alive->stepTarget, Corner(40, 40)), 10.0f) << "nothing moves before the tick";
    dying->flags |= ENTITY_DEAD;
    PlayerOrder stray;
    stray.kind = ORDER_MOVE;
    stray.units = {LevelNumberOf(alive) + 100000, NO_LEVEL_ENTITY};
    stray.point = Corner(5, 5);
    TheOrders.Give(stray);
    NextTick();
    EXPECT_LT(Ground(alive->stepTarget, Corner(40, 40)), 0.01f);
    EXPECT_GT(Ground(dying->stepTarget, Corner(40, 40)), 10.0f) << "the dead one is passed over";
    EXPECT_EQ(TheOrders.Waiting(), 0u);
}

TEST_F(PlayerOrdersTest, ShiftQueuesOncePerClickAndAFullQueueIsRefused)
{
    Agent* a = Unit(10, 10);
    Agent* b = Unit(12, 10);
    SelectAll({a, b});
    Hold(DIK_LSHIFT, true);
    // A plain friendly building: each bot falls back to a move, and the group moves once.
    Building* hut = NewBuilding(ALIGN_FRIENDLY);
    hut->SetPosition(Corner(40, 40));
    ASSERT_NE(TheScene.AddEntity(hut), nullptr);
    RightClick(hut, Corner(40, 40));
    // Queued behind nothing, the move is taken up in the same tick; the group spreads over
    // the cells about the point.
    for (Agent* bot : {a, b}) {
        EXPECT_EQ(bot->moveQueue.Count(), 0);
        EXPECT_LT(Ground(bot->stepTarget, Corner(40, 40)), 3.6f);
    }

    while (a->moveQueue.Count() < a->moveQueue.Capacity()) a->moveQueue.Push(Corner(1, 1));
    LastFeedbackSound = nullptr;
    RightClick(nullptr, Corner(30, 30));
    EXPECT_STREQ(LastFeedbackSound, "bad");
    EXPECT_EQ(a->moveQueue.Count(), a->moveQueue.Capacity()) << "it keeps its orders";
    ASSERT_EQ(b->moveQueue.Count(), 1) << "behind the move it is on";
    EXPECT_LT(Ground(b->moveQueue.Points().head->value, Corner(30, 30)), 3.6f);
}

TEST_F(PlayerOrdersTest, AcrossARiverTheCrossingComesBeforeTheGoalWithOrWithoutShift)
{
    MapGenerator maps;
    ScopedGlobal<MapGenerator*> currentMaps{TheMapGenerator, &maps};
    maps.kinds.assign(128 * 128, KIND_OPEN);
    TheLevelGenerator.AddRiver(RIVER_ALONG_ROW, 68, 2, 0.0f);
    TheLevelGenerator.crossingPoints[0] = IntPoint(40, 68);
    TheLevelGenerator.crossingPoints[1] = IntPoint(88, 68);
    for (int x = 0; x < 128; ++x) maps.SetKind(x, 68, KIND_RIVER);
    // The level map runs against world x: map cell (x, y) is world cell (127 - x, y).
    Agent* bot = Unit(127 - 64, 50);
    SelectAll({bot});
    const Vec3 goal = Corner(127 - 64, 90);
    Vec3 crossing = grid->CellToWorld(88, 68);
    crossing.x = -crossing.x;

    // Shift queues both behind what the unit does; an idle one takes the first at once.
    for (bool shift : {false, true}) {
        SCOPED_TRACE(shift);
        bot->ResetMovement();
        Hold(DIK_LSHIFT, shift);
        RightClick(nullptr, goal);
        EXPECT_LT(Ground(bot->stepTarget, crossing), 2.6f) << "first to the ford";
        ASSERT_EQ(bot->moveQueue.Count(), 1);
        EXPECT_LT(Ground(bot->moveQueue.Points().head->value, goal), 0.01f);
    }
}

TEST_F(PlayerOrdersTest, TheRightClickDispatchesByWhatIsSelectedAndWhatIsUnderTheCursor)
{
    Agent* bot = Unit(10, 10);
    Agent* melee = Unit(12, 10);
    melee->classWord |= AGENT_CLASS_MELEE;
    Agent* enemy = Unit(30, 30, ALIGN_ENEMY);
    Agent* friendBot = Unit(32, 30, ALIGN_FRIENDLY);

    SelectAll({bot});
    RightClick(enemy, enemy->GetPosition());
    EXPECT_STREQ(JobOf(bot), "AttackEntity");
    EXPECT_EQ(bot->target.Get(), enemy);
    EXPECT_EQ(TheOrderFlash.target, enemy);

    ClearOrderJob(bot);
    RightClick(friendBot, friendBot->GetPosition());
    EXPECT_STREQ(JobOf(bot), "") << "a friend is attacked only with Ctrl";
    Hold(DIK_LCONTROL, true);
    RightClick(friendBot, friendBot->GetPosition());
    EXPECT_STREQ(JobOf(bot), "AttackEntity");

    // Ctrl on a friendly building reaches the attack, which refuses it.
    ClearOrderJob(bot);
    bot->target.Clear();
    Building* hut = NewBuilding(ALIGN_FRIENDLY);
    hut->SetPosition(Corner(40, 40));
    ASSERT_NE(TheScene.AddEntity(hut), nullptr);
    RightClick(hut, hut->GetPosition());
    EXPECT_STREQ(JobOf(bot), "");
    EXPECT_EQ(bot->target.Get(), nullptr);
    Hold(DIK_LCONTROL, false);

    // Buildings by what they do.
    struct Case {
        uint32_t flags;
        const char* job;
    } cases[] = {{BUILD_UNIT_UPGRADER, "UpgradeBot"},
                 {BUILD_UNIT_RECYCLER, "RecycleBot"},
                 {BUILD_WARP_PLATFORM, "EnterWarpPlatform"}};
    for (const Case& c : cases) {
        Building* building = Built(Definition(c.job, c.flags));
        building->SetPosition(Corner(50, 50));
        ClearOrderJob(bot);
        RightClick(building, building->GetPosition());
        EXPECT_STREQ(JobOf(bot), c.job);
        EXPECT_EQ(bot->activeBuilding.Get(), building);
    }

    // An item to attack: the melee unit walks up to it, the other shoots.
    Item* crate = new Item();
    crate->action = ITEM_ACTION_ATTACK;
    crate->alignment = ALIGN_NEUTRAL;
    crate->SetPosition(Corner(20, 20));
    ASSERT_NE(TheScene.AddEntity(crate), nullptr);
    SelectAll({bot, melee});
    ClearOrderJob(bot);
    RightClick(crate, crate->GetPosition());
    EXPECT_STREQ(JobOf(melee), "MoveAndAttack");
    EXPECT_STREQ(JobOf(bot), "AttackEntity");

    // A factory's rally point: on the ground, and off again by clicking the factory.
    Building* factory = Built(Definition("factory", BUILD_UNIT_FACTORY));
    game.hand.selected.Clear();
    game.hand.selected.PushBack(factory);
    RightClick(nullptr, Corner(70, 70));
    EXPECT_TRUE(factory->stateFlags & BUILDING_RALLY_POINT);
    EXPECT_LT(Ground(factory->rallyPoint, Corner(70, 70)), 0.01f);
    RightClick(factory, factory->GetPosition());
    EXPECT_FALSE(factory->stateFlags & BUILDING_RALLY_POINT);

    // The rig alone on a mission's own object (a relic, a console, a wrecked cannon): one that
    // is not whole is worked on, as a finished building of interest is.
    Agent* rig = Unit(14, 10);
    rig->flags |= ENTITY_PLAYER;
    const struct {
        const char* what;
        uint32_t flags;
        float health;
        std::vector<Agent*> selected;
        const char* job;
    } objects[] = {{"worn relic", ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST, 250.0f, {rig}, "Repair"},
                   {"whole relic", ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST, 300.0f, {rig}, ""},
                   {"recovered relic", ENTITY_STATIC, 250.0f, {rig}, ""},
                   {"worn relic, with a bot", ENTITY_STATIC | ENTITY_OBJECT_OF_INTEREST, 250.0f, {rig, bot}, ""}};
    for (const auto& o : objects) {
        SCOPED_TRACE(o.what);
        Entity* relic = new Entity();
        relic->flags |= o.flags;
        relic->SetMaxHealth(300.0f);
        relic->SetHealth(o.health);
        relic->SetPosition(Corner(24, 10));
        ASSERT_NE(TheScene.AddEntity(relic), nullptr);
        SelectAll(o.selected);
        ClearOrderJob(rig);
        rig->activeObject.Clear();
        RightClick(relic, relic->GetPosition());
        EXPECT_STREQ(JobOf(rig), o.job);
        EXPECT_EQ(rig->activeObject.Get(), *o.job ? relic : nullptr);
    }

    // The rig on ore nobody has scanned: it walks up to it, and the player is told what the ore
    // wants before it can be cut.
    Entity* ore = new Entity();
    ore->flags |= ENTITY_RESOURCE;
    ore->SetPosition(Corner(20, 12));
    ASSERT_NE(TheScene.AddEntity(ore), nullptr);
    SelectAll({rig});
    ClearOrderJob(rig);
    RightClick(ore, ore->GetPosition());
    EXPECT_STREQ(JobOf(rig), "") << "no cutting";
    EXPECT_TRUE(rig->HasStanceBits()) << "on its way to the ore";
    bool told = false;
    for (MessageNode* line = game.messageBar ? game.messageBar->head : nullptr; line; line = line->next)
        told = told || strcmp(line->text, "Scan near this ore before it can be mined!") == 0;
    EXPECT_TRUE(told);

    // Nothing selected: nothing happens.
    game.ClearSelection();
    RightClick(enemy, enemy->GetPosition());
}

TEST_F(PlayerOrdersTest, AWarpTakesTheAgentOnlyToASeenSpotOfItsOwnWalkRegion)
{
    ScopedGlobal<bool> fog{TheMinimap.fogEnabled, false};
    Agent* bot = Unit(10, 10);
    Building* gate = Built(Definition("gate", BUILD_WARP_PLATFORM));
    gate->SetPosition(Corner(12, 12));
    EXPECT_FALSE(game.WarpAgent(bot, Corner(40, 40))) << "not headed for a platform";
    bot->activeBuilding.Set(gate);

    Cell(60, 60)->region = 7;
    EXPECT_FALSE(game.WarpAgent(bot, Corner(60, 60))) << "another walk region";
    EXPECT_LT(Ground(bot->GetPosition(), Corner(10, 10)), 0.01f);

    LastFeedbackSound = nullptr;
    ASSERT_TRUE(game.WarpAgent(bot, Corner(40, 40)));
    EXPECT_LT(Ground(bot->GetPosition(), Corner(40, 40)), 0.01f);
    EXPECT_EQ(Cell(40, 40)->occupant, bot);
    EXPECT_STREQ(LastFeedbackSound, "warp");
}

TEST_F(PlayerOrdersTest, AnInstantBuildNeedsTheItemAndABuildingGoingUp)
{
    Building* site = Built(Definition("post", 0));
    site->definition->buildTime = 30.0f;
    site->buildState = BUILD_STATE_CONSTRUCTING;
    site->buildProgress = 2.0f;
    game.ordered.target = site;
    Item kit;
    kit.stackCount = 0;
    for (Item* item : {(Item*)nullptr, &kit}) {
        LastFeedbackSound = nullptr;
        EXPECT_FALSE(game.UseHealItem(item));
        EXPECT_STREQ(LastFeedbackSound, "bad");
        EXPECT_FLOAT_EQ(site->buildProgress, 2.0f) << "nothing is built without the item";
    }
    kit.stackCount = 2;
    EXPECT_TRUE(game.UseHealItem(&kit));
    EXPECT_FLOAT_EQ(site->buildProgress, 30.0f);
    EXPECT_EQ(kit.stackCount, 1);
    EXPECT_STREQ(LastFeedbackSound, "heal");

    Entity* ore = NewEntity(ENTITY_RESOURCE);
    game.ordered.target = ore;
    kit.stackCount = 0;
    EXPECT_FALSE(game.UseEnrichmentCannister(&kit));
    EXPECT_STREQ(LastFeedbackSound, "bad");
    game.ordered.target = nullptr;
    delete ore;
}

// The player's hand as the mouse drives it, one frame at a time, under a camera high above the
// level looking straight down: a box around the rig and its bots, a move across the river, a
// second one queued with Shift, a control group, and the rig sent to build.
class PlayedByMouse : public PlayerOrdersTest {
protected:
    void SetUp() override
    {
        PlayerOrdersTest::SetUp();
        const Vec3 eye(0.0f, 250.0f, 0.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 0.0f, 1.0f);
        MatrixLookAtLH(&ViewMatrix, &eye, &at, &up);
        MatrixPerspectiveFovLH(&ProjectionMatrix, 0.7853982f, 1024.0f / 768.0f, 1.0f, 4000.0f);
    }
    // One frame of the mouse: the cursor where it is and the buttons' events of this frame.
    void Frame(int x, int y, int leftEvent, int rightEvent)
    {
        mouse.cursorX = x;
        mouse.cursorY = y;
        mouse.event[0] = (unsigned char)leftEvent;
        mouse.event[1] = (unsigned char)rightEvent;
        if (leftEvent == 1) mouse.down[0] = 0x80, mouse.pressX = x, mouse.pressY = y;
        if (leftEvent == 2) mouse.down[0] = 0;
        mouse.down[1] = rightEvent == 1 ? 0x80 : 0;
        game.HandleMouseOrders(0.05f);
        if (ticking) NextTick();
    }
    // Frames that fall between two ticks of the world run none.
    bool ticking = true;
    void Idle() { Frame(mouse.cursorX, mouse.cursorY, 0, 0); }
    static Vec3 Screen(const Vec3& world) { return ProjectToScreen(world); }

    ScopedGlobal<Matrix> view{ViewMatrix};
    ScopedGlobal<Matrix> projection{ProjectionMatrix};
};

TEST_F(PlayedByMouse, BoxRiverShiftGroupAndBuild)
{
    MapGenerator maps;
    ScopedGlobal<MapGenerator*> currentMaps{TheMapGenerator, &maps};
    maps.kinds.assign(128 * 128, KIND_OPEN);
    TheLevelGenerator.AddRiver(RIVER_ALONG_ROW, 68, 2, 0.0f);
    TheLevelGenerator.crossingPoints[0] = IntPoint(40, 68);
    TheLevelGenerator.crossingPoints[1] = IntPoint(88, 68);
    for (int x = 0; x < 128; ++x) maps.SetKind(x, 68, KIND_RIVER);

    Agent* rig = Unit(63, 48);
    rig->flags |= ENTITY_PLAYER;
    std::vector<Agent*> bots = {Unit(62, 50), Unit(64, 50), Unit(63, 52)};
    Agent* away = Unit(20, 20);
    for (Agent* agent : {rig, away}) agent->visible = 1;
    for (Agent* agent : bots) agent->visible = 1;

    // The box: from above the left of the group to below its right.
    Vec3 a = Screen(Corner(61, 47)), b = Screen(Corner(65, 53));
    const int x0 = (int)std::min(a.x, b.x) - 4, x1 = (int)std::max(a.x, b.x) + 4;
    const int y0 = (int)std::min(a.y, b.y) - 4, y1 = (int)std::max(a.y, b.y) + 4;
    ASSERT_GT(x0, 0);
    ASSERT_LT(x1, 1024);
    Frame(x0, y0, 1, 0);
    Frame(x1, y1, 0, 0);
    EXPECT_TRUE(game.boxDragging);
    Frame(x1, y1, 2, 0);
    ASSERT_EQ(game.hand.selected.count, 4);
    EXPECT_EQ(game.GetFirstSelected(), rig) << "the rig leads the box";
    EXPECT_FALSE(game.hand.IsSelected(away));

    // Across the river: over the ford first, the goal queued behind it.
    Vec3 crossing = grid->CellToWorld(88, 68);
    crossing.x = -crossing.x;
    const Vec3 goal = Screen(Corner(63, 90));
    Idle();
    Frame((int)goal.x, (int)goal.y, 0, 1);
    for (Agent* agent : bots) {
        EXPECT_LT(Ground(agent->stepTarget, crossing), 2.6f);
        ASSERT_EQ(agent->moveQueue.Count(), 1);
        EXPECT_LT(Ground(agent->moveQueue.Points().head->value, Corner(63, 90)), 2.5f * 2.9f);
    }

    // A second goal queued with Shift: once per unit, the ford before it.
    Idle();
    Hold(DIK_LSHIFT, true);
    const Vec3 further = Screen(Corner(60, 95));
    Frame((int)further.x, (int)further.y, 0, 1);
    Hold(DIK_LSHIFT, false);
    for (Agent* agent : bots) {
        ASSERT_EQ(agent->moveQueue.Count(), 3);
        EXPECT_LT(Ground(agent->moveQueue.Points().tail->value, Corner(60, 95)), 2.5f * 2.9f);
    }

    // Group 1 remembers them.
    CmdAssignControlGroup(1);
    NextTick();
    game.ClearSelection();
    CmdSelectControlGroup(1);
    EXPECT_EQ(game.hand.selected.count, 4);

    // The rig alone, right-clicking a building going up, goes to build it.
    struct Site : Building {
        bool IntersectRay(const Vec3&, const Vec3&) override { return true; }
    };
    Site* site = new Site();
    site->alignment = ALIGN_PLAYER;
    site->buildState = BUILD_STATE_CONSTRUCTING;
    site->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
    site->SetPosition(Corner(70, 40));
    ASSERT_NE(TheScene.AddEntity(site), nullptr);
    game.SelectEntity(rig);
    Idle();
    const Vec3 there = Screen(Corner(70, 40));
    Frame((int)there.x, (int)there.y, 0, 1);
    EXPECT_EQ(game.hoveredEntity, site);
    EXPECT_STREQ(JobOf(rig), "Build");
    EXPECT_EQ(rig->activeBuilding.Get(), site);
}

// A unit on the move is drawn between its last two ticks: a click where the player sees it
// takes it, and a click where the world's latest tick has it, ahead of the picture, takes
// nothing.
TEST_F(PlayedByMouse, AClickOnAMovingUnitsDrawnPlaceSelectsIt)
{
    Agent* walker = Unit(60, 60);
    ASSERT_NE(walker, nullptr);
    walker->AdoptMesh(BlockMesh(-0.5f, 0.5f, -0.5f, 0.5f, 0.0f, 1.0f));
    const Vec3 from = walker->GetPosition(), to = from + Vec3(3.5f, 0.0f, 0.0f);
    // Its latest tick walked it three and a half units on; the frames have since gathered half
    // of the next tick.
    walker->worldBeforeTick = walker->world;
    walker->rotationBeforeTick = walker->rotation;
    walker->poseTick = WorldTicks.count;
    walker->SetPosition(to);
    ScopedGlobal<float> carry{WorldTicks.carry, 0.5f};
    ticking = false;  // the clicks come within the half tick the frames have gathered
    const Vec3 drawn = Screen(from + Vec3(1.75f, 0.5f, 0.0f)), ticked = Screen(to + Vec3(0.0f, 0.5f, 0.0f));
    Idle();
    Frame((int)ticked.x, (int)ticked.y, 1, 0);
    Frame((int)ticked.x, (int)ticked.y, 2, 0);
    EXPECT_FALSE(game.hand.IsSelected(walker)) << "where the world has it, ahead of the picture";
    Frame((int)drawn.x, (int)drawn.y, 1, 0);
    Frame((int)drawn.x, (int)drawn.y, 2, 0);
    EXPECT_TRUE(game.hand.IsSelected(walker)) << "where it is drawn";
    EXPECT_EQ(walker->GetPosition().x, to.x) << "the world keeps its own pose";
}

TEST_F(PlayedByMouse, AClickOnTheMinimapMovesTheCameraAndARightClickThereOrdersAMove)
{
    ScopedGlobal<MinimapLayout> layout{TheMinimap.layout};
    ScopedGlobal<Camera> camera{GameCamera};
    MinimapShown = true;
    TheMinimap.layout.x = 8;
    TheMinimap.layout.y = 610;
    TheMinimap.layout.width = 150;
    TheMinimap.layout.height = 150;
    GameCamera.direction = Vec3(0.0f, -0.7f, 0.7f);
    Frame(9, 685, 1, 0);
    // The left edge is the world's +x: the camera goes as far that way as its view may.
    Vec3 lo, hi;
    GameCamera.ViewFootprint(GameCamera.eye, GameCamera.direction, &lo, &hi);
    EXPECT_NEAR(hi.x, 160.0f, 1e-2f) << "the left edge is the world's +x";
    EXPECT_FALSE(game.boxDragging);
    Frame(9, 685, 2, 0);

    Agent* bot = Unit(10, 10);
    game.SelectEntity(bot);
    Idle();
    Frame(83, 685, 0, 1);  // the minimap's middle: the world's middle
    EXPECT_LT(Ground(bot->stepTarget, Vec3(0.0f, 0.0f, 0.0f)), 2.5f);
}

}  // namespace
