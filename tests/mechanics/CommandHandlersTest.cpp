// The named commands of the player's hand: registered once under every name with their
// guards (developer commands inert without debugMode, level commands only in play), the
// speed clamps, command modes, mines, and screenshot names that never overwrite.
#include "mechanics/GameMechanics.h"
#include "mechanics/Selection.h"

#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "tests/world/AgentTestSupport.h"
#include "world/Agent.h"

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
    static void Run(const char* name)
    {
        CommandFunction function = FindCommand(name);
        ASSERT_NE(function, nullptr) << name;
        function();
    }

    std::unique_ptr<ConfigFile> config;
    ScopedGlobal<ConfigFile*> configured{Config};
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
