// The game as a player plays it: the real start-up, with nothing staged, into a generated
// mission of the player's galaxy; the world is seen, the rig stands at the start with the camera
// on it, the mission's objects are placed, the mouse selects the rig and sends it across the
// ground, and closing the window ends the game cleanly.
#include "tests/app/PlayerSessionSupport.h"

using namespace playersession;

namespace {

TEST_F(PlayerSession, IntoMissionsOfThreePlanetsAndOutThroughTheWindow)
{
    // Straight from the start: a mission of the player's galaxy is on its way.
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);
    ASSERT_NE(TheGalaxy, nullptr);
    EXPECT_GT(TheGalaxy->count, 0) << "the player's galaxy was made";
    EXPECT_NE(TheGalaxy->selectedBody, nullptr) << "one of its planets was chosen";
    UntilPlaying();
    EXPECT_NE(GetPlayerRig(), nullptr);

    const struct {
        int environment;
        const char* picture;
    } planets[] = {{FOREST, "session_forest"}, {DESERT, "session_desert"}, {WINTER, "session_winter"}};
    for (const auto& planet : planets) {
        // The mission is left for the front end, and the next one started from the galaxy.
        TheGame->EndLevel();
        ReturnToMainMenu();
        Passes(2, 0.05f);
        ASSERT_TRUE(StartMissionOn(planet.environment));
        PlayTheMission(planet.picture);
        if (HasFatalFailure()) return;
    }

    // Closing the window ends the game with exit code 0, and every graphics object goes
    // before the device.
    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
    LogCaptureBegin();
    Shutdown();
    started = false;
    std::string log = LogCaptureEnd();
    EXPECT_EQ(log.find("outlive the device"), std::string::npos) << log;
}

}  // namespace
