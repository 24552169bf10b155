// The mouse orders on open ground under a fixed camera: a group's formation, moves queued with
// Shift (once per click, and over a river crossing first), a full queue refused, the right
// click's dispatch by what is selected and what lies under the cursor, and a friendly building
// that is never attacked.
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "platform/InputState.h"
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
    const int expected[5][2] = {{60, 60}, {60, 61}, {61, 61}, {59, 60}, {59, 61}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_LT(Ground(bots[i]->moveTarget, Corner(expected[i][0], expected[i][1])), 0.01f);
        EXPECT_TRUE(bots[i]->HasStanceBits());
    }
    EXPECT_LT(Ground(flyer->moveTarget, Corner(60, 60)), 0.01f);
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
    EXPECT_EQ(a->moveQueue.Count(), 1);
    EXPECT_EQ(b->moveQueue.Count(), 1);

    while (a->moveQueue.Count() < a->moveQueue.Capacity()) a->moveQueue.Push(Corner(1, 1));
    LastFeedbackSound = nullptr;
    RightClick(nullptr, Corner(30, 30));
    EXPECT_STREQ(LastFeedbackSound, "bad");
    EXPECT_EQ(a->moveQueue.Count(), a->moveQueue.Capacity()) << "it keeps its orders";
    EXPECT_EQ(b->moveQueue.Count(), 2);
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

    RightClick(nullptr, goal);
    EXPECT_LT(Ground(bot->moveTarget, crossing), 2.6f) << "first to the ford";
    ASSERT_EQ(bot->moveQueue.Count(), 1);
    EXPECT_LT(Ground(bot->moveQueue.Points().head->value, goal), 0.01f);

    bot->ResetMovement();
    Hold(DIK_LSHIFT, true);
    RightClick(nullptr, goal);
    ASSERT_EQ(bot->moveQueue.Count(), 2);
    EXPECT_LT(Ground(bot->moveQueue.Points().head->value, crossing), 0.01f) << "the ford is queued first";
    EXPECT_LT(Ground(bot->moveQueue.Points().tail->value, goal), 0.01f);
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

    // Nothing selected: nothing happens.
    game.ClearSelection();
    RightClick(enemy, enemy->GetPosition());
}

}  // namespace
