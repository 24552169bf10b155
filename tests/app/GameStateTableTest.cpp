// What the shell does with the game in each of its states, frame by frame: in play the camera
// and the game advance and the first frame of a level ends; a requested mission waits one
// second of unpaused time, then starts behind two "Init" reports; the front end and the intro
// run the game's update and the front end's hook. Nothing else is entered.
#include "app/MainLoop.h"

#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A game that notes what the shell asks of it instead of doing it.
class RecordingGame : public PlayerGame {
public:
    bool Init() override
    {
        ++inits;
        return true;
    }
    void Update() override { ++updates; }
    void ShowLoadingScreen(const char* text, float fraction, bool showTip) override
    {
        reports.push_back(std::string(text) + (fraction == 0.0f ? " 0" : fraction == 1.0f ? " 1" : " ?") +
                          (showTip ? " tip" : ""));
    }
    int inits = 0;
    int updates = 0;
    std::vector<std::string> reports;
};

class GameStateTable : public ::testing::Test {
protected:
    RecordingGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedGlobal<bool> firstFrame{FirstLevelFrame, false};
    ScopedGlobal<float> countdown{LevelStartCountdown, 0.0f};
};

TEST_F(GameStateTable, EachStateGetsItsOwnFrameWork)
{
    struct Case {
        int state;
        float dt;
        int updates;  // how often the game's update ran
        int stateAfter;
    };
    const Case cases[] = {
        {GAME_STATE_PLAYING, 0.1f, 1, GAME_STATE_PLAYING},
        {GAME_STATE_FRONT_END, 0.1f, 1, GAME_STATE_FRONT_END},
        {GAME_STATE_INTRO, 0.1f, 1, GAME_STATE_INTRO},
        {GAME_STATE_LOAD_PENDING, 0.1f, 0, GAME_STATE_LOAD_PENDING},
    };
    for (const Case& c : cases) {
        game.updates = 0;
        game.state = c.state;
        FirstLevelFrame = true;
        UpdateGameState(c.dt);
        EXPECT_EQ(game.updates, c.updates) << "state " << c.state;
        EXPECT_EQ(game.state, c.stateAfter) << "state " << c.state;
        EXPECT_EQ(FirstLevelFrame, c.state != GAME_STATE_PLAYING) << "only a frame in play ends the first one";
    }
    EXPECT_EQ(game.inits, 0);
}

TEST_F(GameStateTable, ARequestedMissionStartsAfterOneSecondOfUnpausedTime)
{
    game.state = GAME_STATE_LOAD_PENDING;
    // A paused frame (a modal window) counts nothing.
    UpdateGameState(0.0f);
    EXPECT_EQ(LevelStartCountdown, 0.0f);
    UpdateGameState(0.5f);
    UpdateGameState(0.5f);
    EXPECT_EQ(game.state, GAME_STATE_LOAD_PENDING) << "exactly one second is not past it";
    EXPECT_EQ(game.inits, 0);
    UpdateGameState(0.05f);
    EXPECT_EQ(game.state, GAME_STATE_PLAYING);
    EXPECT_EQ(game.inits, 1);
    EXPECT_EQ(LevelStartCountdown, 0.0f);
    EXPECT_TRUE(FirstLevelFrame);
    const std::vector<std::string> expected = {"Init 0 tip", "Ready 1 tip"};
    EXPECT_EQ(game.reports, expected);
    EXPECT_EQ(game.updates, 0) << "the level's first update comes with the next frame";
    UpdateGameState(0.1f);
    EXPECT_EQ(game.updates, 1);
    EXPECT_FALSE(FirstLevelFrame);
}

}  // namespace
