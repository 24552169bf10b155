// A new player's first minutes, as a player has them: the real start-up with the main menu and
// a user folder of nothing, the logo slides skipped, "New Game" clicked, the intro story watched
// and skipped, a profile named and made, and the first story mission started from the galaxy
// map's start button, all with the mouse, the galaxy's list of recent games looked at on the way;
// the menu, the new-profile window, the empty list and the mission's first frame are checked
// against their pictures. The question for a missing name goes with Escape. The mission aborted
// after a walk, a new profile begun again shows the rig preview as the first time.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/LevelLoadSave.h"
#include "campaign/ProfileScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "gui/ModelViewer.h"
#include "interface/InGameMenu.h"
#include "interface/MessageWindow.h"
#include "interface/OptionsWindow.h"
#include "mechanics/Replay.h"
#include "platform/ConfigFile.h"
#include "render/Animation.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"

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

    // The new-profile window's rig preview, alone.
    void CheckRigPreview()
    {
        const ModelViewer* rig = TheProfileScreen->rigPreview;
        ASSERT_NE(rig, nullptr);
        Image shot;
        ASSERT_TRUE(ShotOfNextFrame(base + "/new_profile_rig.png", shot));
        Pixels preview = CropPixels(ToPixels(shot), rig->viewX, rig->viewY, rig->viewX + rig->viewWidth,
                                    rig->viewY + rig->viewHeight);
        EXPECT_TRUE(MatchesReference(preview, "new_profile_rig", {12, preview.width * preview.height / 50}));
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
    // The same picture with the galaxy's stars under the menu's panel left out of its draw.
    EXPECT_GT(GetStartScreen().galaxyLeftOut, 200) << "no star under the panel was left out";

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
    // "OK" without a name asks for one; Escape takes the question away, as its OK does (Enter,
    // the key that was typing the name, leaves it to be read).
    for (uint32_t key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key);
        if (key == VK_RETURN) ClickOn(FindButton(newProfile, "OK"));
        ASSERT_TRUE(TheMessageDialog->IsVisible());
        EXPECT_STREQ(TheMessageDialog->label->GetText(), "Please enter a player name.");
        Key(key);
        if (key == VK_RETURN) {
            EXPECT_TRUE(TheMessageDialog->IsVisible()) << "Enter answers no box";
            continue;
        }
        EXPECT_FALSE(TheMessageDialog->IsVisible()) << "the key answered the box";
        EXPECT_EQ(WindowMgr->modal, nullptr);
        EXPECT_TRUE(newProfile->IsVisible()) << "the new profile waits for its name";
    }
    PlayerSession::ClickOn(TheProfileScreen->nameBox);
    ASSERT_EQ(WindowMgr->focused, TheProfileScreen->nameBox);
    for (char c : std::string("ADA")) Key((uint32_t)c);
    EXPECT_STREQ(TheProfileScreen->nameBox->GetText(), "ada");
    CheckPicture("frontend_session_new_profile");
    // The rig preview shows the whole rig, the pilot on top included.
    CheckRigPreview();

    // Resting on a starting unit tells the player it is the fighting bot the factory will
    // build, the other not; the words stand on their backing, within the screen.
    const struct {
        int choice;
        const char* bot;
        const char* other;
    } units[] = {{0, "Gunner", "Scout"}, {1, "Scout", "Gunner"}};
    for (const auto& unit : units) {
        SCOPED_TRACE(unit.bot);
        Button* button = TheProfileScreen->unitButtons[unit.choice];
        ASSERT_NE(button, nullptr);
        int x = 0, y = 0;
        button->GetScreenPosition(&x, &y);
        MoveMouseTo(x + button->width / 2, y + button->height / 2);
        Passes(3, 0.05f);
        ASSERT_TRUE(TheProfileScreen->hintShown);
        const std::string hint = GuiDisplayText(TheProfileScreen->hintBox->GetText());
        EXPECT_EQ(hint.find(std::string(unit.bot) + ": the fighting bot your factory will build"), 0u) << hint;
        EXPECT_NE(hint.find(std::string("The ") + unit.other + " is not built."), std::string::npos) << hint;
        // The frame as drawn with the pointer resting there (a screenshot takes the pointer away).
        const int hintX = Input.mouse->cursorX, hintY = Input.mouse->cursorY;
        RenderFrame();
        const Pixels frame = ReadBackBuffer(Graphics->device);
        const Label* words = TheProfileScreen->hintBox;
        EXPECT_LE(words->x + words->wrapWidth, Config->width) << "the hint stays on the screen";
        Pixels around = CropPixels(frame, hintX - 16, hintY, std::min(Config->width, hintX + Config->height / 2),
                                   std::min(Config->height, hintY + Config->height / 6));
        EXPECT_TRUE(MatchesReference(around, "new_profile_unit_hint_" + std::to_string(unit.choice),
                                     {12, around.width * around.height / 50}));
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
    // The guild greets the new pilot; Escape, as "Close", leaves the galaxy to the player.
    ASSERT_NE(TheMessageWindow, nullptr);
    EXPECT_TRUE(TheMessageWindow->shown);
    EXPECT_STREQ(TheMessageWindow->text, "<welcome_string>");
    Key(VK_ESCAPE);
    EXPECT_FALSE(TheMessageWindow->shown);
    EXPECT_EQ(FrontEndScreenState, 2) << "the galaxy stays";

    // "Replays": the new pilot's recent games, none yet, as the list says; Play has nothing to
    // play, and Escape goes back to the galaxy.
    ClickOn(FindButton(TheGalaxy->container, "Replays"));
    ASSERT_TRUE(TheLevelLoadSaveGui->shown);
    EXPECT_EQ(TheLevelLoadSaveGui->browser->EntryCount(), 0);
    CheckPicture("frontend_session_no_replays");
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Play"));
    EXPECT_FALSE(TheReplay.Playing());
    Key(VK_ESCAPE);
    EXPECT_FALSE(TheLevelLoadSaveGui->shown);
    EXPECT_EQ(FrontEndScreenState, 2);
    EXPECT_TRUE(MissionScreen::galaxyPage->IsVisible());

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

    // The rig walks a while, the mission is aborted, and a new profile is begun from the main
    // menu: its rig preview looks as it did the first time, whatever the level drew and played.
    if (TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
    Agent* rig = GetPlayerRig();
    Vec3 goal;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &goal));
    int goalX = 0, goalY = 0;
    ASSERT_TRUE(OnScreen(goal, &goalX, &goalY));
    MoveMouseTo(goalX, goalY);
    Click(1);
    Passes(20, 0.05f);
    EXPECT_TRUE(rig->mesh->IsAnimationPlaying(ANIM_WALK)) << "the rig walks";
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(TheInGameMenu->abortButton);
    ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
    ASSERT_EQ(FrontEndScreenState, 2);
    ClickOn(FindButton(TheGalaxy->container, "Main Menu"));
    ClickOn(FindButton(menu, "New Game"));
    Passes(2, 0.05f);
    Key(VK_ESCAPE);
    Passes(2, 0.05f);
    ASSERT_TRUE(newProfile->IsVisible());
    CheckRigPreview();

    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
}

// A developer's front end (debugMode on): a hand-made profile listed as it loads, a new pilot
// on Beginner, the galaxy map with its debug figures clear of the page's buttons, the options
// showing the difficulty chosen, and Escape leaving the options for the main menu.
class DeveloperFrontEnd : public FrontEndSession {
protected:
    void SetUp() override
    {
        base = MakeTempFolder("frontend-debug");
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        ASSERT_TRUE(InitUserFolders());
        WriteTextFile(std::string(UserFolder) + "/settings.cfg", "debugMode true\n");
        StartGame();
        if (!started) GTEST_SKIP() << "no display for the game's window";
    }
    // The screen's pixels under a window.
    Pixels Under(const Pixels& picture, const Window* window)
    {
        int x = 0, y = 0;
        window->GetScreenPosition(&x, &y);
        return CropPixels(picture, x, y, x + window->width, y + window->height);
    }
    Pixels Shot(const std::string& name)
    {
        Image shot;
        EXPECT_TRUE(ShotOfNextFrame(base + "/" + name + ".png", shot));
        return ToPixels(shot);
    }
};

TEST_F(DeveloperFrontEnd, BeginnerShowsInOptionsAndTheDebugFiguresLeaveTheGalaxyButtonsClear)
{
    ASSERT_TRUE(Config->debugMode);
    for (int i = 0; i < 100 && TheGame->state != GAME_STATE_FRONT_END; ++i) Key(VK_ESCAPE);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    Window* menu = MissionScreen::windows[0];
    // "Current Profile" names no profile before one is made: on the first start, and after
    // "Cancel" on the new profile.
    for (const char* when : {"first start", "cancelled"}) {
        SCOPED_TRACE(when);
        if (std::string(when) == "cancelled") {
            ClickOn(FindButton(menu, "New Game"));
            for (int i = 0; i < 20 && FrontEndScreenState != 9; ++i) Key(VK_ESCAPE);
            ASSERT_EQ(FrontEndScreenState, 9);
            ClickOn(FindButton(TheProfileScreen->newProfileWindow, "Cancel"));
        }
        ClickOn(FindButton(menu, "Profiles"));
        ASSERT_TRUE(TheProfileScreen->profilesWindow->IsVisible());
        EXPECT_STREQ(TheProfileScreen->currentLabel->GetText(), "none");
        ClickOn(FindButton(TheProfileScreen->profilesWindow, "Main Menu"));
        ASSERT_TRUE(menu->IsVisible());
    }
    // A hand-made profile (tests/data/bad-files/profile/header_item_named_experience.cgs) is
    // listed at the level its "Load" gives.
    ASSERT_TRUE(WriteTextFile(std::string(UserFolder) + "/profiles/Pilot.cgs",
                              ReadTextFile("tests/data/bad-files/profile/header_item_named_experience.cgs")));
    ClickOn(FindButton(menu, "Profiles"));
    const std::string listedLevel = TheProfileScreen->rowLevels[0]->text;
    ClickOn(TheProfileScreen->rowNames[0]);
    ClickOn(FindButton(TheProfileScreen->profilesWindow, "Load"));
    EXPECT_STREQ(TheProfileScreen->currentLabel->GetText(), "Pilot");
    EXPECT_EQ(listedLevel, std::to_string(GetPlayerProfile()->level));
    ClickOn(FindButton(TheProfileScreen->profilesWindow, "Main Menu"));
    ClickOn(FindButton(menu, "New Game"));
    for (int i = 0; i < 20 && FrontEndScreenState != 9; ++i) Key(VK_ESCAPE);
    ASSERT_EQ(FrontEndScreenState, 9);

    // A name that would be read back as the hand-made profile's, in another case and with a
    // blank after it, is taken: the player is told, and types another.
    Window* newProfile = TheProfileScreen->newProfileWindow;
    for (char c : std::string("PILOT ")) Key((uint32_t)c);
    ASSERT_STREQ(TheProfileScreen->nameBox->GetText(), "pilot ");
    ClickOn(FindButton(newProfile, "OK"));
    ASSERT_TRUE(TheMessageDialog->IsVisible());
    EXPECT_STREQ(TheMessageDialog->label->GetText(), "Profile `pilot` already exists\n");
    Key(VK_ESCAPE);
    PlayerSession::ClickOn(TheProfileScreen->nameBox);
    for (int i = 0; i < 6; ++i) Key(VK_BACK);

    // A name, Beginner, OK.
    for (char c : std::string("ADA")) Key((uint32_t)c);
    ClickOn(FindButton(newProfile, "Beginner"));
    EXPECT_EQ(Config->Difficulty, 0);
    ClickOn(FindButton(newProfile, "OK"));
    ASSERT_EQ(FrontEndScreenState, 2);
    ClickOn(TheMessageWindow->closeTextButton);

    // The galaxy of the walk's seed, its debug figures drawn and its buttons clear of them.
    GetPlayerProfile()->galaxySeed = std::stoi(GALAXY_SEED);
    ClickOn(FindButton(TheGalaxy->container, "Main Menu"));
    ClickOn(FindButton(menu, "Continue Game"));
    ASSERT_EQ(FrontEndScreenState, 2);
    Passes(5, 0.05f);
    const Pixels withFigures = Shot("frontend_session_galaxy_debug");
    EXPECT_TRUE(MatchesReference(withFigures, "frontend_session_galaxy_debug",
                                 {12, withFigures.width * withFigures.height / 50}));
    Config->debugMode = false;
    const Pixels without = Shot("frontend_session_galaxy_plain");
    Config->debugMode = true;
    int changedAnywhere = 0;
    for (size_t i = 0; i < withFigures.argb.size(); ++i) changedAnywhere += withFigures.argb[i] != without.argb[i];
    EXPECT_GT(changedAnywhere, 100) << "the debug figures are drawn";
    for (const char* text : {"Main Menu", "Shop/Manage Rig", "Replays"}) {
        SCOPED_TRACE(text);
        Button* button = FindButton(TheGalaxy->container, text);
        ASSERT_NE(button, nullptr);
        const Pixels a = Under(withFigures, button), b = Under(without, button);
        int changed = 0;
        for (size_t i = 0; i < a.argb.size(); ++i) changed += a.argb[i] != b.argb[i];
        EXPECT_EQ(changed, 0) << "nothing of the debug figures lies over the button";
    }

    // The options show the difficulty the new profile chose; Escape leaves them.
    ClickOn(FindButton(TheGalaxy->container, "Main Menu"));
    ClickOn(FindButton(menu, "Options"));
    ASSERT_EQ(FrontEndScreenState, 5);
    ASSERT_TRUE(TheOptionsWindow->shown);
    ASSERT_NE(TheOptionsWindow->difficultyBox, nullptr);
    EXPECT_STREQ(TheOptionsWindow->difficultyBox->text, "Beginner");
    CheckPicture("frontend_session_options_beginner");
    Key(VK_ESCAPE);
    EXPECT_FALSE(TheOptionsWindow->shown) << "Escape leaves the options";
    EXPECT_EQ(FrontEndScreenState, 0);
    EXPECT_TRUE(menu->IsVisible());
    EXPECT_EQ(WindowMgr->modal, nullptr);
}

}  // namespace
