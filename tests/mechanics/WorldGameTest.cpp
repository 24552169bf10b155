// The world's game object made alone, with no screen: a level's frames run their ticks, and what
// is the player's screen answers quietly (nothing made, nothing drawn, nothing picked).
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "tests/support/Scoped.h"
#include "world/Entity.h"

#include <gtest/gtest.h>

namespace {

// Walks 2 units a second along x by the world's step.
struct StepWalker : Entity {
    void Update() override
    {
        Entity::Update();
        SetPosition(GetPosition() + Vec3(2.0f * WorldStep(), 0.0f, 0.0f));
    }
};

}  // namespace

TEST(WorldGame, ALevelRunsItsTicksWithNoScreen)
{
    ASSERT_TRUE(TheScene.InitLists());
    GameMechanics game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedGlobal<bool> unpaused{GamePaused, false};
    ScopedGlobal<float> clock{MissionTime, 0.0f};
    ScopedGlobal<float> speed{GameSpeed, 1.0f};
    ScopedGlobal<float> delta{FrameTimer.delta, 0.0f};
    ScopedGlobal<ConfigFile*> noConfig{Config, nullptr};

    EXPECT_TRUE(game.CreateHud()) << "there is no HUD to make";
    EXPECT_EQ(game.fpsLabel, nullptr);
    EXPECT_EQ(game.fonts[0], nullptr);
    EXPECT_EQ(game.messageBar, nullptr) << "no messages are shown";
    game.ShowLoadingScreen("Generating terrain", 0.5f, true);

    StepWalker walker;
    TheScene.AddEntity(&walker);
    game.state = GAME_STATE_PLAYING;
    TheScene.firstFrame = true;
    game.Update();
    FrameTimer.delta = 0.1f;
    const int before = WorldTicks.count;
    for (int frame = 0; frame < 20; ++frame) {
        game.Update();
        game.DrawGui();
    }
    EXPECT_EQ(WorldTicks.count - before, 20);
    EXPECT_NEAR(MissionTime, 2.0f, 1e-4f);
    EXPECT_NEAR(walker.GetPosition().x, 4.0f, 1e-3f) << "the walker walked every tick";
    EXPECT_EQ(game.PickEntity(Vec3(0.0f, 10.0f, 0.0f), Vec3(0.0f, -1.0f, 0.0f)), nullptr) << "nothing is picked";
    EXPECT_FALSE(game.OnEscape());

    TheScene.UnlinkEntity(&walker);
    game.EndLevel();
    FrameTimer.delta = 0.0f;
}
