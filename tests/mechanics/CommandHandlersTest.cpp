// The named commands of the player's hand: registered once under every name with their
// guards (developer commands inert without debugMode, level commands only in play), the
// speed clamps, command modes, mines, the bag's items used by key, stances, and screenshot
// names that never overwrite.
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "mechanics/Selection.h"

#include "gui/Window.h"
#include "host/System.h"
#include "interface/Inventory.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "render/Animation.h"
#include "tests/world/AgentTestSupport.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class CommandHandlersTest : public AgentWorld {
protected:
    void SetUp() override
    {
        AgentWorld::SetUp();
        config = std::make_unique<ConfigFile>(nullptr);
        Config = config.get();
        ClearCommandRegistry();
        RegisterGameCommands();
    }
    void TearDown() override
    {
        ClearCommandRegistry();
        game.ClearSelection();
        AgentWorld::TearDown();
    }
    // The command of a key, and the tick after it that carries out what it ordered.
    static void Run(const char* name)
    {
        CommandFunction function = FindCommand(name);
        ASSERT_NE(function, nullptr) << name;
        function();
        NextTick();
    }

    // A usable item of the bag, in the slot given (-1: where it goes).
    Item* Carry(const char* name, int action, int value, int count, int slot = -1)
    {
        Item* item = new Item();
        CopyText(item->name, sizeof item->name, name);
        item->kind = ITEM_KIND_ACTION;
        item->action = action;
        item->actionValue = value;
        item->itemFlags |= ITEM_FLAG_STACKABLE;
        item->stackCount = count;
        EXPECT_TRUE(bag->AddItem(item, false, false, slot)) << name;
        return item;
    }
    static int ItemsInLevel()
    {
        int n = 0;
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ITEM); node; node = TheScene.NextInList(node)) ++n;
        return n;
    }
    int Count(const char* name)
    {
        Item* item = bag->FindItemByName(name);
        return item ? item->stackCount : 0;
    }

    std::unique_ptr<ConfigFile> config;
    ScopedGlobal<ConfigFile*> configured{Config};
    ScopedGlobal<Inventory*> installedBag{PlayerInventory, nullptr};
    std::unique_ptr<Inventory> bag = std::make_unique<Inventory>();
    int installed = (PlayerInventory = bag.get(), 0);
    ScopedGlobal<bool> animate{AnimationPlay, true};
    ScopedGlobal<bool> blend{AnimationInterpolate, true};
    ScopedGlobal<float> speed{GameSpeed, 1.0f};
    ScopedGlobal<bool> minimap{MinimapShown, true};
    ScopedGlobal<bool> gui{DrawGuiShown, true};
    ScopedGlobal<const char*> heard{LastFeedbackSound, nullptr};
};

TEST_F(CommandHandlersTest, EveryNameIsThereAndDeveloperCommandsWaitForDebugMode)
{
    for (int group = 0; group < 10; ++group) {
        EXPECT_NE(FindCommand(("assignControlGroup_" + std::to_string(group)).c_str()), nullptr);
        EXPECT_NE(FindCommand(("selectControlGroup_" + std::to_string(group)).c_str()), nullptr);
    }
    config->debugMode = false;
    Run("debug_incspeed");
    Run("debug_drawgui");
    EXPECT_EQ(GameSpeed, 1.0f);
    EXPECT_TRUE(DrawGuiShown);
    Run("toggle_minimap");
    EXPECT_FALSE(MinimapShown) << "the minimap switch works in every state";

    config->debugMode = true;
    Run("debug_drawgui");
    EXPECT_FALSE(DrawGuiShown);
    GameSpeed = 4.0f;
    Run("debug_incspeed");
    EXPECT_EQ(GameSpeed, 8.0f);
    Run("debug_incspeed");
    EXPECT_EQ(GameSpeed, 8.0f);
    GameSpeed = 1.0f;
    Run("debug_decspeed");
    EXPECT_EQ(GameSpeed, 0.5f);
    Run("debug_decspeed");
    EXPECT_EQ(GameSpeed, 0.5f);
}

TEST_F(CommandHandlersTest, LevelCommandsActOnlyInPlayAndCommandModesFollowTheirTable)
{
    Agent* bot = Unit(20, 20);
    game.SelectEntity(bot);
    game.state = GAME_STATE_FRONT_END;
    Run("attack");
    EXPECT_EQ(game.commandMode, 0);
    Run("selectControlGroup_3");
    EXPECT_EQ(game.GetFirstSelected(), bot) << "group commands wait for play";

    game.state = GAME_STATE_PLAYING;
    Run("attack");
    EXPECT_EQ(game.commandMode, COMMAND_ATTACK);
    struct Case {
        int mode;
        int argument;
        int wantMode;
        int wantArgument;
    } cases[] = {
        {COMMAND_MOVE, 5, COMMAND_MOVE, 0},          {COMMAND_REPAIR, 5, COMMAND_REPAIR, 5},
        {COMMAND_MINE, 5, COMMAND_MINE, 5},          {COMMAND_HEAL, 5, COMMAND_HEAL, 5},
        {COMMAND_WARP, 5, COMMAND_WARP, 5},          {COMMAND_STOP, 5, COMMAND_ATTACK, 5},
        {3, 5, 0, 0},
    };
    for (const Case& c : cases) {
        game.commandMode = COMMAND_ATTACK;
        game.commandArgument = c.argument;
        game.SetCommandMode(c.mode, bot);
        EXPECT_EQ(game.commandMode, c.wantMode) << c.mode;
        EXPECT_EQ(game.commandArgument, c.wantArgument) << c.mode;
    }
    game.commandMode = 0;
    game.SetCommandMode(COMMAND_MOVE, nullptr);
    EXPECT_EQ(game.commandMode, 0) << "nothing without an entity";

    Run("assignControlGroup_3");
    game.ClearSelection();
    Run("selectControlGroup_3");
    EXPECT_EQ(game.GetFirstSelected(), bot);
}

TEST_F(CommandHandlersTest, SelectPlayerPicksTheRigOutOfTheLevel)
{
    game.state = GAME_STATE_PLAYING;
    Agent* bot = Unit(20, 20);
    Agent* rig = Unit(22, 20);
    rig->flags |= ENTITY_PLAYER;
    game.SelectEntity(bot);
    Run("select_player");
    EXPECT_EQ(game.GetFirstSelected(), rig);
    EXPECT_EQ(game.hand.selected.count, 1);
    Run("select_player");
    EXPECT_EQ(game.GetFirstSelected(), rig) << "a second press keeps it and looks at it";
}

TEST_F(CommandHandlersTest, OnlyAMineLayerWithMinesLaysOne)
{
    game.state = GAME_STATE_PLAYING;
    Agent* bot = Unit(20, 20);
    bot->mines = 3;
    game.SelectEntity(bot);
    Run("laymine");
    EXPECT_STREQ(LastFeedbackSound, "bad") << "no mine-layer flag";
    EXPECT_EQ(bot->mines, 3);
    bot->classWord |= AGENT_CLASS_MINE_LAYER;
    bot->mines = 0;
    LastFeedbackSound = nullptr;
    Run("laymine");
    EXPECT_STREQ(LastFeedbackSound, "bad") << "no mines left";
}

// The heal key takes the health cannister; the repair kit beside it in the bag stays there,
// and a bag with nothing but a repair kit answers the key with "bad".
TEST_F(CommandHandlersTest, TheHealKeyTakesTheHealthCannisterNotTheRepairKit)
{
    game.state = GAME_STATE_PLAYING;
    // The key heals the rig whatever is selected: here a bot of its group.
    Agent* rig = Unit(20, 20);
    rig->flags |= ENTITY_PLAYER;
    rig->SetMaxHealth(500.0f);
    rig->health = 50.0f;
    Agent* bot = Unit(22, 20);
    bot->health = 10.0f;
    game.SelectEntity(bot);
    Carry("repair_kit", ITEM_ACTION_HEAL, 150, 3, 0);
    Carry("health_cannister", ITEM_ACTION_HEAL, 100, 1, 1);
    const struct {
        float health;
        int cannisters;
        const char* sound;
    } presses[] = {{150.0f, 0, nullptr}, {150.0f, 0, "bad"}};
    for (const auto& press : presses) {
        LastFeedbackSound = nullptr;
        Run("heal");
        EXPECT_FLOAT_EQ(rig->health, press.health);
        EXPECT_FLOAT_EQ(bot->health, 10.0f);
        EXPECT_EQ(Count("health_cannister"), press.cannisters);
        EXPECT_EQ(Count("repair_kit"), 3) << "the repair kit is not the heal key's";
        if (press.sound) EXPECT_STREQ(LastFeedbackSound, press.sound);
        else EXPECT_EQ(LastFeedbackSound, nullptr);
    }
}

// The instant build and the enrichment are armed as command modes and given on what the cursor
// rests on: the order names the bag's item of that kind, which the tick uses on the target; an
// order that names none (or another kind's item) uses nothing.
TEST_F(CommandHandlersTest, TheInstantBuildAndTheEnrichmentUseTheBagsItemOnTheirTarget)
{
    game.state = GAME_STATE_PLAYING;
    Agent* rig = Unit(20, 20);
    rig->flags |= ENTITY_PLAYER;
    game.SelectEntity(rig);
    Carry("instant_build_kit", ITEM_ACTION_INSTANT_BUILD, 0, 2, 0);
    Carry("enrichment_cannister", ITEM_ACTION_ENRICH_ORE, 0, 1, 1);
    Building* site = Built(Definition("post", 0));
    site->definition->buildTime = 30.0f;
    site->buildState = BUILD_STATE_CONSTRUCTING;
    site->buildProgress = 2.0f;
    Entity* ore = NewEntity(ENTITY_RESOURCE | ENTITY_RESOURCE_REVEALED);
    ASSERT_NE(TheScene.AddEntity(ore), nullptr);
    const struct {
        uint16_t kind;
        Entity* target;
        const char* item;  // what the order names
        const char* used;  // the bag's item it takes one of (null: none)
    } rows[] = {
        {ORDER_INSTANT_BUILD, site, "", nullptr},
        {ORDER_INSTANT_BUILD, site, "enrichment_cannister", nullptr},
        {ORDER_INSTANT_BUILD, site, "instant_build_kit", "instant_build_kit"},
        {ORDER_ENRICH, ore, "instant_build_kit", nullptr},
        {ORDER_ENRICH, ore, "enrichment_cannister", "enrichment_cannister"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item);
        const int kits = Count("instant_build_kit"), cannisters = Count("enrichment_cannister");
        const float progress = site->buildProgress;
        const int grade = ore->kills;
        game.hoveredEntity = row.target;
        game.GiveMouseOrder(row.kind, nullptr, row.item);
        NextTick();
        const bool build = row.kind == ORDER_INSTANT_BUILD;
        EXPECT_EQ(Count("instant_build_kit"), kits - (row.used && build ? 1 : 0));
        EXPECT_EQ(Count("enrichment_cannister"), cannisters - (row.used && !build ? 1 : 0));
        if (build) EXPECT_EQ(site->buildProgress > progress, row.used != nullptr);
        else EXPECT_EQ(ore->kills != grade, row.used != nullptr);
    }
    EXPECT_FLOAT_EQ(site->buildProgress, 30.0f);
    EXPECT_EQ(bag->FindItemByName("enrichment_cannister"), nullptr) << "the last one used leaves the bag";
    game.hoveredEntity = nullptr;
}

TEST_F(CommandHandlersTest, TheBagsItemsAreUsedByKeyOnTheFirstSelected)
{
    game.state = GAME_STATE_PLAYING;
    Agent* bot = Unit(20, 20);
    bot->flags |= ENTITY_PLAYER;
    bot->SetMaxHealth(200.0f);
    bot->health = 50.0f;
    game.SelectEntity(bot);

    Run("heal");
    EXPECT_STREQ(LastFeedbackSound, "bad") << "no cannister in the bag";
    EXPECT_FLOAT_EQ(bot->health, 50.0f);

    // The large cannister is taken only when there is no small one.
    Carry("large_health_cannister", ITEM_ACTION_HEAL, 100, 1);
    Carry("health_cannister", ITEM_ACTION_HEAL, 30, 2);
    LastFeedbackSound = nullptr;
    Run("heal");
    EXPECT_FLOAT_EQ(bot->health, 80.0f);
    EXPECT_EQ(Count("health_cannister"), 1);
    EXPECT_EQ(LastFeedbackSound, nullptr);
    Run("heal");
    EXPECT_EQ(bag->FindItemByName("health_cannister"), nullptr) << "the last one leaves its slot";
    Run("heal");
    EXPECT_FLOAT_EQ(bot->health, 200.0f) << "then the large one, up to the maximum";
    EXPECT_EQ(bag->FindItemByName("large_health_cannister"), nullptr);

    // Shields: only a unit that has them, and only the cannister of their own.
    Carry("shield_cannister", ITEM_ACTION_RECHARGE, 40, 1);
    Run("recharge_shields");
    EXPECT_STREQ(LastFeedbackSound, "bad") << "no shields to fill";
    EXPECT_EQ(Count("shield_cannister"), 1);
    bot->flags |= ENTITY_SHIELD;
    bot->maxShield = 100.0f;
    bot->shield = 10.0f;
    Run("recharge_shields");
    EXPECT_NEAR(bot->shield, 50.0f, 0.1f) << "the cannister's 40, and the trickle of the tick it was used in";
    EXPECT_EQ(Count("shield_cannister"), 0);

    // Hotbar slots 1..4: what lies there, used on the first selected; an empty slot does nothing.
    bot->health = 100.0f;
    Carry("repair_kit", ITEM_ACTION_HEAL, 25, 3, 2);
    LastFeedbackSound = nullptr;
    Run("quick_slot_1");
    EXPECT_EQ(LastFeedbackSound, nullptr);
    Run("quick_slot_3");
    EXPECT_FLOAT_EQ(bot->health, 125.0f);
    EXPECT_EQ(bag->slots[2].item->stackCount, 2);

    // Nothing out of play; the bag opens in play only. A kit mends the rig with nothing selected.
    game.state = GAME_STATE_FRONT_END;
    Run("quick_slot_3");
    Run("toggle_inventory");
    EXPECT_FALSE(bag->panel->IsVisible()) << "no bag over the front end";
    EXPECT_EQ(bag->slots[2].item->stackCount, 2);
    game.state = GAME_STATE_PLAYING;
    game.ClearSelection();
    Run("quick_slot_3");
    EXPECT_EQ(bag->slots[2].item->stackCount, 1);
    EXPECT_FLOAT_EQ(bot->health, 150.0f);
}

TEST_F(CommandHandlersTest, TheRigLaysMinesAndTrapsOutOfItsBag)
{
    game.state = GAME_STATE_PLAYING;
    Agent* bot = Unit(20, 20);
    Agent* rig = Unit(24, 20);
    rig->flags |= ENTITY_PLAYER;
    Carry("freeze_trap", ITEM_ACTION_FREEZE, 8, 2);
    game.SelectEntity(bot);
    Run("lay_freeze_trap");
    EXPECT_STREQ(LastFeedbackSound, "bad") << "only the rig lays traps";
    EXPECT_EQ(Count("freeze_trap"), 2);

    const int before = ItemsInLevel();
    game.ClearSelection();
    game.SelectEntity(rig);
    LastFeedbackSound = nullptr;
    Run("lay_freeze_trap");
    EXPECT_EQ(Count("freeze_trap"), 1);
    EXPECT_EQ(ItemsInLevel(), before + 1) << "the trap lies at the rig's feet";

    Run("laymine");
    EXPECT_STREQ(LastFeedbackSound, "bad") << "the rig has no mine in its bag";
    Carry("mine", ITEM_ACTION_MINE, 50, 1);
    LastFeedbackSound = nullptr;
    Run("laymine");
    EXPECT_EQ(LastFeedbackSound, nullptr);
    EXPECT_EQ(bag->FindItemByName("mine"), nullptr);
    EXPECT_EQ(ItemsInLevel(), before + 2);
}

TEST_F(CommandHandlersTest, StancesAreTheSelectedUnitsOwnAndAnAttackOrderEndsThem)
{
    Agent* bot = Unit(20, 20);
    Agent* other = Unit(22, 20);
    Agent* enemy = Unit(30, 30, ALIGN_ENEMY);
    Agent* rig = Unit(24, 20);
    rig->flags |= ENTITY_PLAYER;
    for (Agent* agent : {bot, other, enemy, rig}) game.hand.selected.PushBack(agent);

    Run("aimode_stop");
    EXPECT_EQ(bot->stance, AGENT_STANCE_DEFAULT) << "stances wait for play";
    game.state = GAME_STATE_PLAYING;
    Run("aimode_stop");
    EXPECT_EQ(bot->stance, AGENT_STANCE_STOP);
    EXPECT_EQ(other->stance, AGENT_STANCE_STOP);
    EXPECT_EQ(enemy->stance, AGENT_STANCE_DEFAULT) << "an enemy takes no orders";
    EXPECT_EQ(rig->stance, AGENT_STANCE_DEFAULT) << "the rig has no stance";

    // Holding position stops a unit on its way.
    bot->MoveTo(Corner(40, 20), false);
    ASSERT_TRUE(bot->HasStanceBits());
    Run("aimode_holdposition");
    EXPECT_EQ(bot->stance, AGENT_STANCE_HOLD_POSITION);
    EXPECT_FALSE(bot->HasStanceBits());
    Run("aimode_default");
    EXPECT_EQ(other->stance, AGENT_STANCE_DEFAULT);

    bot->stance = AGENT_STANCE_STOP;
    ASSERT_TRUE(OrderAttackEntity(bot, enemy));
    EXPECT_EQ(bot->stance, AGENT_STANCE_DEFAULT) << "told to attack, it attacks";
}

TEST_F(CommandHandlersTest, StopActsOnThePlayersOwnAndAnimationSwitchesWaitForDebugMode)
{
    game.state = GAME_STATE_PLAYING;
    Agent* enemy = Unit(30, 30, ALIGN_ENEMY);
    enemy->MoveTo(Corner(40, 30), false);
    ASSERT_TRUE(enemy->HasStanceBits());
    game.SelectEntity(enemy);
    Run("stop");
    EXPECT_TRUE(enemy->HasStanceBits()) << "an enemy looked at is not halted";

    config->debugMode = false;
    Run("debug_animation");
    Run("debug_animblend");
    EXPECT_TRUE(AnimationPlay);
    EXPECT_TRUE(AnimationInterpolate);
    config->debugMode = true;
    Run("debug_animation");
    Run("debug_animblend");
    EXPECT_FALSE(AnimationPlay);
    EXPECT_FALSE(AnimationInterpolate);
    // The poses are the world's (weapons fire from their bones): in play a switch waits for the
    // next tick, and a replay's viewer switches nothing.
    FindCommand("debug_animation")();
    EXPECT_FALSE(AnimationPlay) << "nothing before the next tick";
    NextTick();
    EXPECT_TRUE(AnimationPlay);
    {
        ScopedGlobal<bool> fed{TheOrders.fedByReplay, true};
        Run("debug_animation");
    }
    EXPECT_TRUE(AnimationPlay) << "the viewer of a replay";
    Run("editor_undo");  // no editor: nothing happens
}

TEST_F(CommandHandlersTest, AScreenshotNeverTakesTheNameOfAnEarlierOne)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("veldmark_shots_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    for (int n : {0, 1}) std::fclose(std::fopen((folder / ("May_01_2026_10_00_" + std::to_string(n) + ".jpg")).c_str(), "w"));
    int counter = 0;
    char name[512];
    MakeScreenshotName(name, sizeof name, folder.c_str(), "May_01_2026_10_00", "jpeg", &counter);
    EXPECT_EQ(std::string(name), (folder / "May_01_2026_10_00_2.jpg").string());
    EXPECT_EQ(counter, 3);
    MakeScreenshotName(name, sizeof name, folder.c_str(), "May_01_2026_10_00", "png", &counter);
    EXPECT_EQ(std::string(name), (folder / "May_01_2026_10_00_3.png").string());
    std::filesystem::remove_all(folder);
}

}  // namespace
