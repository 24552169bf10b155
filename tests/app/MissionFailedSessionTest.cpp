// A lost mission as a player lives it, on the real start-up: nest wasps come upon the rig and
// bring it down. The "Mission Failed!" window takes the screen and the world stands still; Escape does
// not take it away. "Load Game" opens the load screen over it, "Restart Mission" plays the
// mission again with a live rig that fires at what comes at it, and "Abort Mission" leaves for the galaxy's shop with the
// profile as it was saved before the mission, from where the next mission runs unpaused.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/LevelLoadSave.h"
#include "interface/EntityInfoGui.h"
#include "interface/InGameMenu.h"
#include "interface/MissionHud.h"
#include "interface/ResultsScreen.h"

using namespace playersession;

namespace {

class MissionFailedSession : public PlayerSession {
protected:
    // A swarm of nest wasps by the rig, left to do what they came for; the rig's wreck, or null
    // when it outlived them.
    Agent* LoseTheRig()
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return nullptr;
        for (int i = 0; i < 7; ++i)
            if (!PlaceUnit("nest_wasp", rig->GetPosition(), ALIGN_ENEMY)) ADD_FAILURE() << "no ground for a wasp";
        PlayWithoutPictures(60.0f, 0.1f, [] { return !TheInGameMenu->failedShown; });
        Passes(2, 0.05f);
        return rig->IsAlive() ? nullptr : rig;
    }
    Button* FailedButton(const char* text) { return FindButton(TheInGameMenu->failedWindow, text); }
};

TEST_F(MissionFailedSession, ARigLostToEnemiesEndsTheMissionUntilItIsRestarted)
{
    UntilPlaying();
    ASSERT_NE(TheInGameMenu, nullptr);
    ASSERT_NE(TheInGameMenu->failedWindow, nullptr);
    Agent* wreck = LoseTheRig();
    ASSERT_NE(wreck, nullptr) << "the wasps brought the rig down";
    ASSERT_TRUE(TheInGameMenu->failedShown) << "a lost rig ends the mission";
    EXPECT_TRUE(TheInGameMenu->failedWindow->IsVisible());
    EXPECT_EQ(WindowMgr->modal, TheInGameMenu->failedWindow);
    // The wreck is no selection, and the wasps' acid on it is shown no more.
    EXPECT_EQ(TheGame->GetFirstSelected(), nullptr);
    ASSERT_NE(StatusIconWindow, nullptr);
    EXPECT_FALSE(StatusIconWindow->IsVisible()) << "no status icon with nothing selected";

    // The world stands still under the window, and Escape does not take it away.
    const float clock = MissionTime;
    Passes(10, 0.1f);
    EXPECT_EQ(MissionTime, clock);
    Press(DIK_ESCAPE);
    EXPECT_TRUE(TheInGameMenu->failedShown);
    EXPECT_FALSE(TheInGameMenu->menuShown);

    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/mission_failed.png", shot));
    Pixels picture = ToPixels(shot);
    EXPECT_TRUE(MatchesReference(picture, "mission_failed", {12, picture.width * picture.height / 50}));
    // Where the status icons stand, only the darkened ground.
    int iconsX = 0, iconsY = 0;
    StatusIconWindow->GetScreenPosition(&iconsX, &iconsY);
    Pixels icons = CropPixels(picture, iconsX, iconsY, iconsX + StatusIconWindow->width, iconsY + StatusIconWindow->height);
    EXPECT_TRUE(MatchesReference(icons, "mission_failed_status_icons", {12, 8}));

    // "Load Game" opens the load screen over the window; closed, the window is still there.
    ClickOn(FailedButton("Load Game"));
    ASSERT_NE(TheLevelLoadSaveGui, nullptr);
    EXPECT_TRUE(TheLevelLoadSaveGui->shown) << "the load screen opened";
    EXPECT_TRUE(TheLevelLoadSaveGui->loadMode);
    EXPECT_EQ(WindowMgr->modal, TheLevelLoadSaveGui);
    ClickOn(FindButtonWithin(TheLevelLoadSaveGui, "Close"));
    EXPECT_FALSE(TheLevelLoadSaveGui->shown);
    EXPECT_TRUE(TheInGameMenu->failedShown);
    EXPECT_EQ(WindowMgr->modal, TheInGameMenu->failedWindow);

    // "Restart Mission" asks nothing: the same mission again, the rig alive at its start.
    ClickOn(FailedButton("Restart Mission"));
    UntilPlaying();
    EXPECT_FALSE(TheInGameMenu->failedShown);
    EXPECT_FALSE(TheInGameMenu->failedWindow->IsVisible());
    EXPECT_EQ(WindowMgr->modal, nullptr);
    EXPECT_FALSE(GamePaused);
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    EXPECT_TRUE(rig->IsAlive());
    EXPECT_EQ(rig->GetHealth(), rig->GetMaxHealth());
    Vec3 start = MapPointToWorld(TheLevelGenerator.startPoint.x, TheLevelGenerator.startPoint.y);
    Vec3 at = rig->GetPosition();
    EXPECT_LT(std::hypot(at.x - start.x, at.z - start.z), 4.0f) << "the rig stands at the start";
    const float restarted = MissionTime;
    Passes(10, 0.1f);
    EXPECT_GT(MissionTime, restarted) << "the mission runs again";

    // The rig that was lost is a new unit of the new level: a scavenger that comes at it is
    // answered with its guns.
    Agent* walker = PlaceUnit("scav_small", rig->GetPosition() + Vec3(12.0f, 0.0f, 0.0f), ALIGN_ENEMY);
    ASSERT_NE(walker, nullptr);
    const EntityRef foe(walker);
    const float whole = walker->health;
    ShotCount fired;
    PlayWithoutPictures(20.0f, 0.1f, [&] {
        fired.Step(rig);
        return foe.GetLive() && foe.GetLive()->health >= whole && rig->IsAlive();
    });
    EXPECT_GT(fired.shots, 0) << "the restarted mission's rig fired";
    EXPECT_TRUE(!foe.GetLive() || foe.GetLive()->health < whole) << "and hit the scavenger";
}

TEST_F(MissionFailedSession, AbortFromTheFailedWindowLeavesForTheGalaxyWithTheSavedProfile)
{
    UntilPlaying();
    PlayerProfile* profile = GetPlayerProfile();
    const int credits = profile->credits, experience = profile->experience;
    // What the mission would have given, had it been won.
    profile->credits += 999;
    profile->AddExperience(50);
    ASSERT_NE(LoseTheRig(), nullptr) << "the wasps brought the rig down";
    ASSERT_TRUE(TheInGameMenu->failedShown);

    // "Abort Mission" asks nothing and leaves a failed mission, whatever its objectives say.
    ClickOn(FailedButton("Abort Mission"));
    EXPECT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    EXPECT_EQ(FrontEndScreenState, 2) << "the galaxy's shop";
    EXPECT_FALSE(TheResultsScreen->IsOpen()) << "a lost mission shows no results";
    EXPECT_FALSE(TheInGameMenu->failedShown);
    EXPECT_FALSE(TheInGameMenu->failedWindow->IsVisible());
    EXPECT_FALSE(GamePaused);
    // The mission's HUD stayed with the mission.
    std::string hud;
    for (auto* node = WindowMgr->windows.head; node; node = node->next) {
        Window* window = node->value;
        if (window && window->IsVisible() &&
            (window->id == HUD_WINDOW_ID || window == TheEntityInfoGui || window == StatusIconWindow ||
             window == ProductionQueueWindow))
            hud += std::string(" ") + window->caption;
    }
    EXPECT_EQ(hud, "") << "HUD windows shown over the galaxy";
    EXPECT_EQ(profile->credits, credits) << "nothing gained in a lost mission survives";
    EXPECT_EQ(profile->experience, experience);
    EXPECT_FALSE(profile->IsMissionCompleted(TheGalaxy->selectedBody ? TheGalaxy->selectedBody->missionId : -1));

    // The next mission runs, even after the pause key was pressed over the galaxy.
    Press(DIK_PAUSE);
    ASSERT_TRUE(StartMissionOn(FOREST));
    EXPECT_FALSE(GamePaused);
    EXPECT_FALSE(TheInGameMenu->failedShown);
    EXPECT_EQ(WindowMgr->modal, nullptr);
    const float clock = MissionTime;
    Passes(10, 0.1f);
    EXPECT_GT(MissionTime, clock) << "the new mission's clock runs";
}

}  // namespace
