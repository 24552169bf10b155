#pragma once
// Included by one source of a test program: the whole program runs with the game's answers to
// the simulation's hooks in place, as the game does from its start (the shell installs them):
// the message bar, the bag, the Scan button, the mission's windows, the HUD's panels, the
// developer tools' windows. A test that listens puts its own in their place for its length.
#include "interface/PlayerAnswers.h"
#include "tools/LevelToolAnswers.h"

#include <gtest/gtest.h>

namespace {

class GameAnswersInstalled : public ::testing::Environment {
public:
    void SetUp() override
    {
        InstallPlayerAnswers();
        InstallLevelToolAnswers();
    }
    void TearDown() override
    {
        RemoveLevelToolAnswers();
        RemovePlayerAnswers();
    }
};

::testing::Environment* const GameAnswers = ::testing::AddGlobalTestEnvironment(new GameAnswersInstalled);

}  // namespace
