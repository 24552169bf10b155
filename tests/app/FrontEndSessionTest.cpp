// A new player's first minutes, as a player has them: the real start-up with the main menu and
// a user folder of nothing, the logo slides skipped, "New Game" clicked, the intro story watched
// and skipped, a profile named and made, and the first story mission started from the galaxy
// map's start button, all with the mouse; the menu, the new-profile window and the mission's first frame are
// checked against their pictures.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/ProfileScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/ModelViewer.h"
#include "interface/MessageWindow.h"
#include "platform/ConfigFile.h"

using namespace playersession;

namespace {

class FrontEndSession : public PlayerSession {
protected:
    void SetUp() override
    {
        base = MakeTempFolder("frontend");
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        StartGame();
        if (!started) GTEST_SKIP() << "no display for the game's window";
    }

    void ClickOn(Button* button)
    {
        ASSERT_NE(button, nullptr);
        int x = 0, y = 0;
        button->GetScreenPosition(&x, &y);
        MoveMouseTo(x + button->width / 2, y + button->height / 2);
        Click(0);
    }

    void Key(uint32_t code)
    {
        WndProc(shelltest::Key(WM_KEYDOWN, code));
        Passes(1, 0.02f);
    }

    void CheckPicture(const std::string& name)
    {
        Image shot;
        ASSERT_TRUE(ShotOfNextFrame(base + "/" + name + ".png", shot));
        Pixels picture = ToPixels(shot);
        EXPECT_TRUE(MatchesReference(picture, name, {12, picture.width * picture.height / 50}));
    }
};

TEST_F(FrontEndSession, FromTheLogoThroughTheIntroAndANewProfileIntoTheFirstStoryMission)
{
    // The logo slides, skipped with Escape, give the main menu.
    ASSERT_EQ(TheGame->state, GAME_STATE_INTRO);
    Passes(2, 0.02f);
    Key(VK_ESCAPE);
    Passes(2, 0.05f);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    Window* menu = MissionScreen::windows[0];
    ASSERT_TRUE(menu && menu->IsVisible());
    // No profile yet: there is nothing to continue.
    EXPECT_FALSE(FindButton(menu, "Continue Game")->IsEnabled());
    EXPECT_TRUE(FindButton(menu, "New Game")->IsEnabled());
    CheckPicture("frontend_session_menu");

    // "New Game" tells the story: six slides, each with its voice.
    ClickOn(FindButton(menu, "New Game"));
    ASSERT_EQ(TheGame->state, GAME_STATE_INTRO);
    ASSERT_NE(IntroSlideshow, nullptr);
    EXPECT_EQ(IntroSlideshow->newGameIntro, 1);
    EXPECT_EQ(IntroSlideshow->slideCount, 6);
    Passes(3, 0.05f);
    EXPECT_EQ(IntroSlideshow->current, 0);
    if (SoundMgr && SoundMgr->IsEnabled()) {
        EXPECT_GE(SoundMgr->FindSound("intro_5"), 0) << "the voice-overs are shipped";
        EXPECT_EQ(SoundMgr->TimesStarted(SoundMgr->FindSound("intro_1")), 1) << "the first line is spoken";
    }
    // Space moves on, Escape leaves the rest.
    Key(VK_SPACE);
    Passes(1, 0.05f);
    EXPECT_EQ(IntroSlideshow->current, 1);
    // Two seconds into the slide the picture has faded in, and the story's words are there.
    Passes(40, 0.05f);
    CheckPicture("frontend_session_intro");
    Key(VK_ESCAPE);
    Passes(2, 0.05f);

    // The new-profile window takes the name from the keyboard.
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    EXPECT_EQ(FrontEndScreenState, 9);
    ASSERT_NE(TheProfileScreen, nullptr);
    Window* newProfile = TheProfileScreen->newProfileWindow;
    ASSERT_TRUE(newProfile->IsVisible());
    EXPECT_EQ(WindowMgr->focused, TheProfileScreen->nameBox) << "the name box waits for the name";
    for (char c : std::string("ADA")) Key((uint32_t)c);
    EXPECT_STREQ(TheProfileScreen->nameBox->GetText(), "ada");
    CheckPicture("frontend_session_new_profile");
    {
        // The rig preview shows the whole rig, the pilot on top included.
        const ModelViewer* rig = TheProfileScreen->rigPreview;
        ASSERT_NE(rig, nullptr);
        Image shot;
        ASSERT_TRUE(ShotOfNextFrame(base + "/new_profile_rig.png", shot));
        Pixels preview = CropPixels(ToPixels(shot), rig->viewX, rig->viewY, rig->viewX + rig->viewWidth,
                                    rig->viewY + rig->viewHeight);
        EXPECT_TRUE(MatchesReference(preview, "new_profile_rig", {12, preview.width * preview.height / 50}));
    }

    // "OK" makes the profile and opens the galaxy.
    ClickOn(FindButton(newProfile, "OK"));
    EXPECT_FALSE(newProfile->IsVisible());
    EXPECT_STREQ(GetPlayerProfile()->name, "ada");
    EXPECT_STREQ(Config->currentprofile, "ada");
    FileStatus status;
    EXPECT_EQ(GetFileStatus((std::string(UserFolder) + "/profiles/ada.cgs").c_str(), status), 0);
    EXPECT_EQ(FrontEndScreenState, 2);
    ASSERT_NE(MissionScreen::galaxyPage, nullptr);
    EXPECT_TRUE(MissionScreen::galaxyPage->IsVisible());
    const int seed = GetPlayerProfile()->galaxySeed;
    EXPECT_TRUE(seed >= 0 && seed < 99999) << seed;
    // The guild greets the new pilot; "Close" leaves the galaxy to the player.
    ASSERT_NE(TheMessageWindow, nullptr);
    EXPECT_TRUE(TheMessageWindow->shown);
    EXPECT_STREQ(TheMessageWindow->text, "<welcome_string>");
    ClickOn(TheMessageWindow->closeTextButton);
    EXPECT_FALSE(TheMessageWindow->shown);

    // The galaxy's seed comes from the clock; the walk pins it so that the mission is the same
    // every run, and comes back to it through the menu's "Continue Game".
    GetPlayerProfile()->galaxySeed = std::stoi(GALAXY_SEED);
    ClickOn(FindButton(TheGalaxy->container, "Main Menu"));
    EXPECT_EQ(FrontEndScreenState, 0) << "back to the main menu";
    ASSERT_TRUE(FindButton(menu, "Continue Game")->IsEnabled());
    ClickOn(FindButton(menu, "Continue Game"));
    ASSERT_EQ(FrontEndScreenState, 2);

    // The first story mission, accepted on its own planet of the galaxy (the galaxy's own walk
    // picks it with the mouse), starts from the map's start button.
    CelestialBody* body = TheGalaxy->FindBodyByStoryId(0);
    ASSERT_NE(body, nullptr);
    TheGalaxy->clickedBody = body;
    intptr_t close = 0;
    OnAcceptMission(&close, nullptr);
    Passes(1, 0.02f);
    Button* start = TheGalaxy->startButton;
    int startX = 0, startY = 0;
    start->GetScreenPosition(&startX, &startY);
    MoveMouseTo(startX + start->width * 2 / 3, startY + start->height * 2 / 3);
    Click(0);
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);
    EXPECT_EQ(TheGalaxy->selectedBody, body);
    UntilPlaying();
    EXPECT_FALSE(MissionScreen::scratchActive);
    EXPECT_EQ(MissionScreen::selectedIndex, 0) << "the first story mission is in play";
    EXPECT_NE(GetPlayerRig(), nullptr);
    CheckPicture("frontend_session_first_mission");

    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
}

}  // namespace
