// The front end behind the main menu: the pages of the mission screen and how they lead into
// one another, the road into a mission, the new game's intro on a clock of the test's own, and
// the profile screens on a user folder of the test's own.
#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/ProfileScreen.h"
#include "campaign/StorySlideshow.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "gui/ModelViewer.h"
#include "host/Log.h"
#include "host/Random.h"
#include "interface/MessageWindow.h"
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Replay.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// The mission screen built on a user folder of its own, in the front end.
class FrontEnd : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        folder = MakeTempFolder("frontend");
        env = std::make_unique<ScopedEnv>("XDG_DATA_HOME", folder.c_str());
        ASSERT_TRUE(InitUserFolders());
        savedGame = TheGame;
        TheGame = &game;
        game.state = GAME_STATE_FRONT_END;
        MissionScreen::Init();
        ASSERT_NE(TheProfileScreen, nullptr);
    }
    void TearDown() override
    {
        MissionScreen::Release();
        TheGame = savedGame;
        env.reset();
        GuiTest::TearDown();
    }
    std::string ProfileFile(const std::string& name) const { return std::string(ProfilesFolder) + "/" + name + ".cgs"; }
    static bool Exists(const std::string& path)
    {
        FileStatus status;
        return GetFileStatus(path.c_str(), status) == 0;
    }

    ScopedClearProfile clearProfile;
    std::string folder;
    std::unique_ptr<ScopedEnv> env;
    PlayerGame game;
    GameMechanics* savedGame = nullptr;
};

TEST_F(FrontEnd, PagesLeadBackToTheMenuAsTheirStateSays)
{
    // A state out of range reads as the start screen.
    FrontEndScreenState = 20;
    MissionScreen::FrameHook();
    EXPECT_EQ(FrontEndScreenState, 0);
    FrontEndScreenState = 15;
    RenderByScreenState();
    EXPECT_EQ(FrontEndScreenState, 0);

    // Back (or Escape) from each page: the menu, except on the new game's profile page.
    const struct {
        int state;
        int value;
        int after;
    } backs[] = {{4, 0, 0}, {5, 0, 0}, {8, 0, 0}, {9, 0, 9}, {9, 1, 9}, {2, 1, 0}, {2, 0, 0}, {14, 0, 0}};
    for (const auto& b : backs) {
        FrontEndScreenState = b.state;
        MissionScreen::windows[0]->SetVisible(false);
        MissionScreen::OnBack(b.value, 0);
        EXPECT_EQ(FrontEndScreenState, b.after) << "from " << b.state;
        EXPECT_EQ(MissionScreen::windows[0]->IsVisible(), b.after == 0) << "from " << b.state;
    }
    // In a star system, back first returns to the galaxy view.
    FrontEndScreenState = 2;
    TheGalaxy->galaxyView = 0;
    MissionScreen::OnBack(0, 0);
    EXPECT_EQ(FrontEndScreenState, 2);
    EXPECT_EQ(TheGalaxy->galaxyView, 1);

    // "Continue Game" without a profile from its file does nothing; with one, the galaxy.
    GetPlayerProfile()->flags &= ~PROFILE_LOADED;
    FrontEndScreenState = 0;
    OpenShop(1);
    EXPECT_EQ(FrontEndScreenState, 0);
    GetPlayerProfile()->flags |= PROFILE_LOADED;
    GetPlayerProfile()->galaxySeed = 1003;
    OpenShop(1);
    EXPECT_EQ(FrontEndScreenState, 2);
    EXPECT_EQ(TheGalaxy->seed, 1003);
    EXPECT_TRUE(MissionScreen::galaxyPage->IsVisible());
    EXPECT_FALSE(MissionScreen::windows[0]->IsVisible());

    // "Profiles" shows the list.
    OpenProfilesFromMainMenu();
    EXPECT_EQ(FrontEndScreenState, 8);
    EXPECT_TRUE(TheProfileScreen->profilesWindow->IsVisible());
    EXPECT_FALSE(MissionScreen::galaxyPage->IsVisible());
}

TEST_F(FrontEnd, TheStartScreenDrawsItsSkyGalaxyAndCornerTexts)
{
    const int w = ScreenWidth(), h = ScreenHeight();
    CopyText(GetPlayerProfile()->name, sizeof GetPlayerProfile()->name, "Ada");
    GetPlayerProfile()->flags |= PROFILE_LOADED;
    ResetRandomMWC();
    FrontEndScreenState = 14;
    EXPECT_TRUE(StartScreenMoves());
    painter.Clear();
    RenderByScreenState();

    // The sky first, under the menu: the star field over the whole screen, then the nebula.
    ASSERT_GE(painter.quads.size(), 42u);
    EXPECT_EQ(TextureFile(painter.quads[0].texture), "starfield.dds");
    EXPECT_EQ(painter.quads[0].left, 0);
    EXPECT_EQ(painter.quads[0].right, w);
    EXPECT_EQ(painter.quads[0].bottom, h);
    EXPECT_EQ(TextureFile(painter.quads[1].texture), "nebula.dds");

    // The stars where they may lie, flipped one of four ways; the bright ones likewise placed.
    const struct {
        const char* file;
        int count;
        float right, bottom;  // the farthest corner, a fraction of the screen
    } kinds[] = {{"stars.dds", 32, 0.71875f, 0.625f}, {"bigstar.dds", 8, 0.90625f, 0.875f}};
    for (const auto& kind : kinds) {
        int count = 0, flips = 0;
        for (const DrawnQuad& quad : painter.quads) {
            if (TextureFile(quad.texture) != kind.file) continue;
            ++count;
            EXPECT_GE(quad.left, w / 32) << kind.file;
            EXPECT_LE(quad.left, (int)(kind.right * w)) << kind.file;
            EXPECT_GE(quad.top, h / 24) << kind.file;
            EXPECT_LE(quad.top, (int)(kind.bottom * h)) << kind.file;
            EXPECT_TRUE((quad.ua == 0.0f || quad.ua == 1.0f) && quad.ub == 1.0f - quad.ua) << kind.file;
            EXPECT_TRUE((quad.va == 0.0f || quad.va == 1.0f) && quad.vb == 1.0f - quad.va) << kind.file;
            flips |= 1 << (int)(quad.ua + 2.0f * quad.va);
        }
        EXPECT_EQ(count, kind.count) << kind.file;
        if (kind.count == 32) {
            EXPECT_EQ(flips, 15) << "all four ways among 32 patches";
        }
    }
    const StartScreenParts& parts = GetStartScreen();
    for (float alpha : parts.starAlpha) {
        EXPECT_GE(alpha, 0.2f);
        EXPECT_LE(alpha, 1.0f);
    }

    // The galaxy in its square at the right edge, halfway down.
    ASSERT_NE(parts.viewer, nullptr);
    const int side = 600 * h / 768;
    EXPECT_EQ(parts.viewer->viewX, w - side);
    EXPECT_EQ(parts.viewer->viewY, (h - side) / 2);
    EXPECT_EQ(parts.viewer->viewWidth, side);
    EXPECT_EQ(parts.viewer->viewHeight, side);
    EXPECT_FLOAT_EQ(parts.viewer->distance, 10.25f);
    EXPECT_FLOAT_EQ(parts.viewer->heightFactor, 0.6f);
    EXPECT_EQ(parts.viewer->entity, parts.galaxy);

    // The profile in the lower left, the version in the lower right, over everything.
    ASSERT_GE(painter.texts.size(), 2u);
    const DrawnText& profile = painter.texts[painter.texts.size() - 2];
    const DrawnText& version = painter.texts.back();
    EXPECT_EQ(profile.text, "Current Profile: Ada");
    EXPECT_LT(profile.x, w / 8);
    EXPECT_GT(profile.y, h * 7 / 8);
    EXPECT_EQ(version.text, "Version 1.0 ");
    EXPECT_GT(version.x, w / 2);
    EXPECT_GT(version.y, h * 7 / 8);
    // A name not read from a profile's file (a newcomer's placeholder) is no profile yet.
    GetPlayerProfile()->flags &= ~PROFILE_LOADED;
    painter.Clear();
    RenderByScreenState();
    ASSERT_GE(painter.texts.size(), 2u);
    EXPECT_EQ(painter.texts[painter.texts.size() - 2].text, "Current Profile: none");
    GetPlayerProfile()->flags |= PROFILE_LOADED;

    // The sky's lights change slowly: a second later the stars shine otherwise, but the same
    // stars stand in the same places.
    std::vector<DrawnQuad> before = painter.quads;
    {
        ScopedGlobal<float> frame(FrameTimer.delta, 0.1f);
        for (int pass = 0; pass < 10; ++pass) RenderByScreenState();
    }
    painter.Clear();
    RenderByScreenState();
    ASSERT_EQ(painter.quads.size(), before.size());
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(painter.quads[i].left, before[i].left);
        if (painter.quads[i].colour != before[i].colour) ++changed;
    }
    EXPECT_GT(changed, 30);

    // The other pages stand still, on their flat backing.
    for (int state : {2, 4, 5, 8, 9}) {
        FrontEndScreenState = state;
        EXPECT_FALSE(StartScreenMoves()) << state;
    }
    FrontEndScreenState = 8;
    painter.Clear();
    RenderByScreenState();
    for (const DrawnQuad& quad : painter.quads) EXPECT_NE(TextureFile(quad.texture), "stars.dds");
}

TEST_F(FrontEnd, TheGalaxyCameraStaysInItsBounds)
{
    Galaxy& galaxy = *TheGalaxy;
    game.state = GAME_STATE_FRONT_END;
    mouse.cursorX = mouse.cursorY = 5;
    // The wheel zooms, never past 5..30; the distance follows at 5 a second.
    const struct {
        int wheel;
        float target;
        float expected;
    } zooms[] = {{120, 6.0f, 5.0f}, {-120, 29.0f, 30.0f}, {0, 100.0f, 30.0f}, {0, -4.0f, 5.0f}};
    for (const auto& z : zooms) {
        mouse.wheel = z.wheel;
        galaxy.cameraTargetDistance = z.target;
        MissionScreen::UpdateGalaxyCamera(0.1f);
        EXPECT_FLOAT_EQ(galaxy.cameraTargetDistance, z.expected) << z.target;
    }
    mouse.wheel = 0;
    galaxy.cameraDistance = 10.0f;
    galaxy.cameraTargetDistance = 20.0f;
    MissionScreen::UpdateGalaxyCamera(0.1f);
    EXPECT_FLOAT_EQ(galaxy.cameraDistance, 10.5f);
    galaxy.cameraDistance = 19.8f;
    MissionScreen::UpdateGalaxyCamera(0.1f);
    EXPECT_FLOAT_EQ(galaxy.cameraDistance, 20.0f) << "the last short step lands on the target";

    // Dragging with the middle button pans, never beyond 8 either way.
    galaxy.galaxyView = 1;
    mouse.down[2] = 0x80;
    mouse.stepX = 1000;
    mouse.stepY = -1000;
    MissionScreen::UpdateGalaxyCamera(0.1f);
    EXPECT_FLOAT_EQ(galaxy.panX, 8.0f);
    EXPECT_FLOAT_EQ(galaxy.panY, -8.0f);
    mouse.down[2] = 0;
    for (int direction = 0; direction < 4; ++direction)
        for (int i = 0; i < 100; ++i) ScrollMapView(direction);
    EXPECT_GE(galaxy.panX, -8.0f);
    EXPECT_LE(galaxy.panX, 8.0f);
    EXPECT_GE(galaxy.panY, -8.0f);
    EXPECT_LE(galaxy.panY, 8.0f);
}

TEST_F(FrontEnd, StartMissionSeedsTheLevelAndReadiesTheProfile)
{
    PlayerProfile* profile = GetPlayerProfile();
    profile->ore = 7.0f;
    profile->fuel = 9.0f;
    profile->enemiesKilled() = 4;
    SRand(4321);
    const int expected = Rand();
    MissionScreen::StartMission(4321, 0);
    EXPECT_EQ(Rand(), expected) << "the level's draws start from the seed";
    EXPECT_EQ(game.state, GAME_STATE_LOAD_PENDING);
    EXPECT_FALSE(MissionScreen::windows[0]->IsVisible());
    EXPECT_FLOAT_EQ(profile->ore, 200.0f);
    EXPECT_FLOAT_EQ(profile->fuel, 0.0f);
    EXPECT_EQ(profile->enemiesKilled(), 0);

    // A loaded game goes on with what it had.
    profile->ore = 7.0f;
    profile->enemiesKilled() = 4;
    MissionScreen::StartMission(5, 1);
    EXPECT_FLOAT_EQ(profile->ore, 7.0f);
    EXPECT_EQ(profile->enemiesKilled(), 4);
}

TEST_F(FrontEnd, TheIntroRunsOnItsClockAndAnswersSpaceAndEscape)
{
    StorySlideshow show;
    BuildNewGameIntro(&show);
    ASSERT_EQ(show.slideCount, 6);
    EXPECT_EQ(show.newGameIntro, 1);
    EXPECT_STREQ(show.showMusic, "data/music/cinematic_music.ogg");
    const int layers[] = {3, 3, 3, 2, 2, 3};
    const float seconds[] = {12, 17, 18, 15, 12, 17};
    for (int s = 0; s < 6; ++s) {
        EXPECT_EQ(show.slides[s].layerCount, layers[s]) << s;
        EXPECT_FLOAT_EQ(show.slides[s].duration, seconds[s]) << s;
        EXPECT_TRUE(show.slides[s].flags & StorySlideshow::SLIDE_VOICE_OVER) << s;
    }
    EXPECT_FALSE(show.IsFinished());

    // The first update starts the first slide; halfway through it the picture has panned half
    // of its way, 0..1 toward 0.175..0.825.
    show.Update(0.05f);
    EXPECT_EQ(show.current, 0);
    EXPECT_FLOAT_EQ(show.timer, 12.0f);
    show.Update(6.0f);
    Sprite* picture = show.slides[0].layers[0].sprite;
    ASSERT_NE(picture, nullptr);
    EXPECT_NEAR(picture->ua, 0.0875f, 1e-4f);
    EXPECT_NEAR(picture->ub, 0.9125f, 1e-4f);
    Sprite* third = show.slides[0].layers[2].sprite;
    EXPECT_NEAR(third->ua, 0.0165f, 1e-4f);

    // The backdrop fades in over the first second and out over the last.
    struct {
        float timer;
        uint32_t alpha;
    } fades[] = {{11.75f, 191}, {11.0f, 0xFFFFFFFF}, {6.0f, 0xFFFFFFFF}, {0.5f, 127}, {0.0f, 255}};
    for (const auto& f : fades) {
        show.timer = f.timer;
        show.backdrop->colour = 0x12345678;
        show.Draw();
        if (f.alpha == 0xFFFFFFFF)
            EXPECT_EQ(show.backdrop->colour, 0x12345678u) << "no fade at " << f.timer;
        else
            EXPECT_EQ(show.backdrop->colour >> 24, f.alpha) << "at " << f.timer;
    }

    // Space ends the slide at the next update; without a voice it moves on all the same.
    show.timer = 6.0f;
    show.StopVoiceOver();
    show.Update(0.02f);
    EXPECT_EQ(show.current, 1);
    show.slides[1].flags &= ~StorySlideshow::SLIDE_VOICE_OVER;
    show.StopVoiceOver();
    show.Update(0.02f);
    EXPECT_EQ(show.current, 2);

    // Time alone carries the show to its end.
    for (int i = 0; i < 200 && !show.IsFinished(); ++i) show.Update(0.5f);
    EXPECT_TRUE(show.IsFinished());
    EXPECT_TRUE(show.afterMusicRequested);

    // Escape on the first slide ends the show at once; the after-show music is asked for once.
    BuildNewGameIntro(&show);
    show.Update(0.05f);
    EXPECT_FALSE(show.afterMusicRequested);
    show.Skip();
    EXPECT_TRUE(show.IsFinished());
    EXPECT_TRUE(show.afterMusicRequested);

    // A show of no slides is over before it starts.
    StorySlideshow empty;
    empty.Reset();
    EXPECT_TRUE(empty.IsFinished());
}

TEST_F(FrontEnd, ProfilesAreMadeListedLoadedAndDeleted)
{
    ProfileScreen& screen = *TheProfileScreen;
    screen.RefreshList();
    EXPECT_EQ(screen.profileCount, 0);
    EXPECT_FALSE(screen.LoadSelected()) << "nothing is selected";

    // Hand-made profiles whose values spell keys (tests/data/bad-files/profile/header_*.cgs):
    // the row and the header give the level, credits and name the load takes.
    for (const char* file : {"header_pilot_word_credits", "header_item_named_experience", "header_rigpaint_name"}) {
        SCOPED_TRACE(file);
        const std::string text = ReadTextFile(std::string("tests/data/bad-files/profile/") + file + ".cgs");
        ASSERT_TRUE(WriteTextFile(ProfileFile("Pilot"), text));
        std::string name;
        int credits = -1;
        ASSERT_TRUE(ReadProfileHeader(ProfileFile("Pilot").c_str(), &name, nullptr, nullptr, &credits));
        screen.RefreshList();
        screen.SelectRow(0);
        ASSERT_TRUE(screen.LoadSelected());
        EXPECT_EQ(name, GetPlayerProfile()->name);
        EXPECT_STREQ(screen.rowLevels[0]->text, std::to_string(GetPlayerProfile()->level).c_str());
        EXPECT_EQ(credits, GetPlayerProfile()->credits);
    }
    remove(ProfileFile("Pilot").c_str());

    // Names that cannot be profiles, each with its reason.
    ASSERT_EQ(screen.CreateProfile("Ada"), nullptr);
    const struct {
        const char* name;
        const char* message;
    } refused[] = {
        {"", "Please enter a player name."},
        {"#", "Please enter a player name."},
        {"DEFAULT", "The name 'default' is reserved. Please choose another name."},
        {" Ada", "Player name can't begin with a space\n"},
        {"   ", "Player name can't begin with a space\n"},
        {"Ada_2", "Player name can only contain letters, numbers, and spaces\n"},
        {"Ad\xC3\xA9le", "Player name can only contain letters, numbers, and spaces\n"},
        {"Ada", "Profile `Ada` already exists\n"},
        // Read back without their ending blanks, as another's (or the reserved) name.
        {"Ada ", "Profile `Ada` already exists\n"},
        {"ADA  ", "Profile `ADA` already exists\n"},
        {"Default ", "The name 'default' is reserved. Please choose another name."},
    };
    for (const auto& r : refused) {
        const char* message = screen.CreateProfile(r.name);
        ASSERT_NE(message, nullptr) << r.name;
        EXPECT_STREQ(message, r.message) << r.name;
    }
    EXPECT_TRUE(Exists(ProfileFile("Ada")));
    // The file a name with an ending blank made (new_profile_trailing_blank.sh) is read back
    // as the other profile's: that is why such a name is taken.
    const std::string script = "sh tests/data/bad-files/save-switch/new_profile_trailing_blank.sh '" +
                               std::string(UserFolder) + "' Ada data/scripts/default_profile.cgs >/dev/null 2>&1";
    ASSERT_EQ(system(script.c_str()), 0);
    std::string readBack;
    ASSERT_TRUE(ReadProfileHeader(ProfileFile("Ada ").c_str(), &readBack, nullptr, nullptr, nullptr));
    EXPECT_EQ(readBack, "Ada");
    remove(ProfileFile("Ada ").c_str());
    EXPECT_STREQ(Config->currentprofile, "Ada");
    EXPECT_STREQ(GetPlayerProfile()->name, "Ada");
    EXPECT_TRUE(GetPlayerProfile()->galaxySeed >= 0 && GetPlayerProfile()->galaxySeed < 99999);
    EXPECT_EQ(FrontEndScreenState, 2) << "a new game goes on to the galaxy";
    ASSERT_NE(TheMessageWindow, nullptr);
    EXPECT_TRUE(TheMessageWindow->shown) << "the guild greets its new pilot";
    EXPECT_STREQ(TheMessageWindow->giver, "guild");
    EXPECT_STREQ(TheMessageWindow->text, "<welcome_string>");
    TheMessageWindow->Show(false, false);

    // A profile whose file cannot be written is not made: the reason shows, the window stays.
    ASSERT_TRUE(CreateFolder((ProfileFile("Bob") + ".tmp").c_str()));
    screen.newProfileWindow->SetVisible(true);
    const char* message = screen.CreateProfile("Bob");
    ASSERT_NE(message, nullptr);
    EXPECT_NE(std::string(message).find("Bob"), std::string::npos);
    EXPECT_FALSE(Exists(ProfileFile("Bob")));
    EXPECT_TRUE(screen.newProfileWindow->IsVisible());
    EXPECT_STREQ(Config->currentprofile, "Ada");

    // The list shows it; a click on its row selects it, and Load reads it.
    // A name typed with an ending blank is made as it reads back.
    ASSERT_EQ(screen.CreateProfile("Cy "), nullptr);
    EXPECT_TRUE(Exists(ProfileFile("Cy")) && !Exists(ProfileFile("Cy ")));
    screen.RefreshList();
    EXPECT_EQ(screen.profileCount, 2);
    int ada = -1;
    for (int row = 0; row < screen.profileCount; ++row)
        if (std::string(screen.rowNames[row]->text) == "Ada") ada = row;
    ASSERT_GE(ada, 0);
    EXPECT_FALSE(screen.rowNames[2]->IsVisible());
    screen.SelectRow(ada);
    EXPECT_STREQ(screen.selectedName, "Ada");
    EXPECT_TRUE(screen.LoadSelected());
    EXPECT_STREQ(Config->currentprofile, "Ada");
    EXPECT_STREQ(GetPlayerProfile()->name, "Ada");

    // Deleting takes the player's saves with the profile, what a stopped save kept aside too,
    // and its recorded games, and leaves no current profile; the games of no profile stay.
    const std::string saves = folder + "/Veldmark/savefiles/Ada";
    ASSERT_TRUE(CreateFolder((saves + "/.saving").c_str()));
    ASSERT_TRUE(WriteTextFile(saves + "/first.sav", "saved"));
    ASSERT_TRUE(WriteTextFile(saves + "/.saving/second.old.sav", "saved"));
    const std::string replays = ReplayDirector::FolderOf("Ada"), unowned = ReplayDirector::FolderOf(nullptr);
    for (const std::string& played : {replays, replays + "/playing", unowned})
        ASSERT_TRUE(CreateFolder(played.c_str()));
    ASSERT_TRUE(WriteTextFile(replays + "/20260101-000000.replay", "a game"));
    ASSERT_TRUE(WriteTextFile(replays + "/playing/level.sav", "a level"));
    ASSERT_TRUE(WriteTextFile(unowned + "/20260101-000000.replay", "a game of no profile"));
    screen.DeleteSelected();
    EXPECT_FALSE(Exists(ProfileFile("Ada")));
    EXPECT_FALSE(Exists(saves + "/first.sav"));
    EXPECT_FALSE(Exists(saves));
    EXPECT_FALSE(Exists(replays)) << "its replays went with it";
    EXPECT_TRUE(Exists(unowned + "/20260101-000000.replay"));
    EXPECT_STREQ(Config->currentprofile, "#");
    EXPECT_STREQ(screen.selectedName, "#");
    EXPECT_EQ(screen.profileCount, 1);
    EXPECT_TRUE(Exists(ProfileFile("Cy")));

    // The list looked at and left, then a new game: the new profile goes on to the galaxy,
    // not back to the list.
    OpenProfilesFromMainMenu();
    MissionScreen::OnBack(0, 0);
    EXPECT_FALSE(screen.profilesWindow->IsVisible());
    screen.ShowNewProfile(true);
    ASSERT_EQ(screen.CreateProfile("Dee"), nullptr);
    EXPECT_EQ(FrontEndScreenState, 2);
    EXPECT_FALSE(screen.profilesWindow->IsVisible());
    TheMessageWindow->Show(false, false);
}

TEST_F(FrontEnd, TenProfilesAreTheMostANewGameAllows)
{
    for (int i = 0; i < 11; ++i) ASSERT_TRUE(WriteTextFile(ProfileFile("P" + std::to_string(i)), "name\tP\n"));
    EXPECT_EQ(ProfileScreen::CountProfiles(), 10);
    TheProfileScreen->RefreshList();
    EXPECT_EQ(TheProfileScreen->profileCount, 10) << "only ten are listed";

    StartNewGameIntro(0, 0);
    EXPECT_EQ(game.state, GAME_STATE_FRONT_END) << "no intro";
    EXPECT_TRUE(TheMessageDialog->IsVisible());
    EXPECT_NE(std::string(TheMessageDialog->label->GetText()).find("maximum number of profiles"), std::string::npos);
    TheMessageDialog->SetVisible(false);

    // Below ten, the intro runs and, once over, the new-profile page opens.
    for (int i = 0; i < 11; ++i) remove(ProfileFile("P" + std::to_string(i)).c_str());
    StartNewGameIntro(0, 0);
    EXPECT_EQ(game.state, GAME_STATE_INTRO);
    ASSERT_NE(IntroSlideshow, nullptr);
    EXPECT_EQ(IntroSlideshow->newGameIntro, 1);
    StartNewGameIntro(1, 0);
    EXPECT_EQ(game.state, GAME_STATE_FRONT_END);
    EXPECT_EQ(FrontEndScreenState, 9);
    EXPECT_TRUE(TheProfileScreen->newProfileWindow->IsVisible());
    EXPECT_EQ(manager.focused, TheProfileScreen->nameBox);
    delete IntroSlideshow;
    IntroSlideshow = nullptr;
}

// A profile deletion stopped after any of its steps, each state made on the disk as the stop
// leaves it; and what older builds left when stopped after the profile file
// (tests/data/bad-files/save-switch/deletion_stopped_after_profile_file.sh) and later. At the
// next start the profile stands whole with its saves, or a new profile of its name lists and
// loads none of them. A profile file that cannot be removed is said to the player, and the
// profile keeps its saves.
TEST_F(FrontEnd, AProfileDeletionStoppedAtAnyStepLeavesTheWholeProfileOrNothingOfIt)
{
    ProfileScreen& screen = *TheProfileScreen;
    const std::string saves = std::string(UserFolder) + "/savefiles/Ada";
    const std::string aside = saves + ".deleted";
    auto makeProfile = [&] {
        ASSERT_TRUE(WriteTextFile(ProfileFile("Ada"), "name\tAda\n"));
        ASSERT_TRUE(CreateFolder((saves + "/.saving").c_str()));
        for (const char* file : {"/slot.cgs", "/slot.sav", "/slot.vis", "/.saving/other.old.sav"})
            ASSERT_TRUE(WriteTextFile(saves + file, "saved"));
    };
    auto gone = [](const std::string& path) { return [path] { return remove(path.c_str()) == 0; }; };
    // The steps of a deletion, in their order, and an older build's.
    const std::vector<std::function<bool()>> steps = {
        [&] { return rename(saves.c_str(), aside.c_str()) == 0; },
        gone(ProfileFile("Ada")),
        gone(aside + "/.saving/other.old.sav"),
        gone(aside + "/.saving"),
        gone(aside + "/slot.cgs"),
        gone(aside + "/slot.sav"),
        gone(aside + "/slot.vis"),
        gone(aside),
    };
    const std::string script = "sh tests/data/bad-files/save-switch/deletion_stopped_after_profile_file.sh '" +
                               std::string(UserFolder) + "' Ada >/dev/null 2>&1";
    const std::vector<std::function<bool()>> olderSteps = {
        [&] { return system(script.c_str()) == 0; },
        gone(saves + "/.saving/other.old.sav"),
        gone(saves + "/.saving"),
        gone(saves + "/slot.cgs"),
        gone(saves + "/slot.sav"),
    };
    struct Case {
        const std::vector<std::function<bool()>>* steps;
        size_t taken;
    };
    std::vector<Case> cases;
    for (size_t taken = 0; taken <= steps.size(); ++taken) cases.push_back({&steps, taken});
    for (size_t taken = 1; taken <= olderSteps.size(); ++taken) cases.push_back({&olderSteps, taken});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.steps == &steps ? "" : "an older build ") << "stopped after "
                                        << c.taken << " steps");
        makeProfile();
        for (size_t i = 0; i < c.taken; ++i) ASSERT_TRUE((*c.steps)[i]()) << "step " << i + 1;
        // The next start, then a new game under the same name.
        LogCaptureBegin();
        SettleDeletedProfiles();
        const bool whole = Exists(ProfileFile("Ada"));
        EXPECT_EQ(whole, c.steps == &steps && c.taken < 2) << "the profile goes with its file alone";
        if (whole) {
            ASSERT_TRUE(GetPlayerProfile()->LoadByName("Ada"));
        } else {
            ASSERT_EQ(screen.CreateProfile("Ada"), nullptr);
            TheMessageWindow->Show(false, false);
        }
        // The load screen lists the profile's saves.
        ASSERT_NE(TheLevelLoadSaveGui, nullptr);
        OpenLoadGameWindow();
        TheLevelLoadSaveGui->SetVisible(true);
        const int listed = TheLevelLoadSaveGui->browser->EntryCount();
        TheLevelLoadSaveGui->SetVisible(false);
        const bool loaded = ReadSaveGame("slot");
        LogCaptureEnd();
        EXPECT_FALSE(loaded && !whole) << "a new profile loads no save of the old one";
        // Both saves, the one a stopped save kept aside put back by the listing.
        EXPECT_EQ(listed, whole ? 2 : 0);
        EXPECT_EQ(Exists(saves + "/other.sav"), whole);
        EXPECT_FALSE(Exists(aside)) << "nothing of it is left aside";
        // The profile deleted whole for the next case.
        screen.RefreshList();
        for (int row = 0; row < screen.profileCount; ++row)
            if (std::string(screen.rowNames[row]->text) == "Ada") screen.SelectRow(row);
        screen.DeleteSelected();
        EXPECT_FALSE(Exists(ProfileFile("Ada")));
        EXPECT_FALSE(Exists(saves));
        EXPECT_FALSE(Exists(aside));
    }

    // A step that fails before the profile file is gone puts back what it moved: the profile
    // stays with every save, listed at once (or as they are read, when they cannot go back at
    // once either), and the player is told so. So too the state an older build left when the
    // sync failed (deletion_sync_failed.sh), in its run, or after that build saved in it; and
    // a deletion stopped before the profile file went beside an older build's leftover folder
    // of the name in another case (deletion_stop_case_leftover.sh): the saves go back under
    // the profile's own folder, never into the leftover.
    static std::set<int> failing;
    ScopedGlobal<SaveStep (*)(int)> hook(DeletionStepHook,
                                         [](int step) { return failing.count(step) ? SaveStep::Fail : SaveStep::Go; });
    const struct {
        std::set<int> failing;  // none: the older build's state, as the script leaves it
        bool olderSave;
        const char* said;
        bool leftover = false;  // the state of deletion_stop_case_leftover.sh
    } failures[] = {{{1}, false, "its saves cannot be moved"},       {{2}, false, "its saves cannot be moved"},
                    {{3}, false, "could not be deleted. It is kept"}, {{2, 3}, false, "back when they are next read"},
                    {{}, false, "nothing"},                          {{}, true, "nothing"},
                    {{}, false, "nothing", true}};
    for (const auto& f : failures) {
        SCOPED_TRACE(&f - failures);
        makeProfile();
        ASSERT_TRUE(GetPlayerProfile()->LoadByName("Ada"));
        CopyText(screen.selectedName, sizeof screen.selectedName, "Ada");
        TheMessageDialog->SetVisible(false);
        failing = f.failing;
        if (f.failing.empty()) {
            const char* state = f.leftover ? "deletion_stop_case_leftover.sh" : "deletion_sync_failed.sh";
            const std::string script = std::string("sh tests/data/bad-files/save-switch/") + state + " '" +
                                       UserFolder + "' Ada ADA slot >/dev/null 2>&1";
            ASSERT_EQ(system(script.c_str()), 0);
        } else {
            screen.DeleteSelected();
        }
        failing.clear();
        if (f.olderSave) {
            ASSERT_TRUE(CreateFolder(saves.c_str()) && WriteTextFile(saves + "/later.sav", "saved"));
            SettleDeletedProfiles();
        }
        OpenLoadGameWindow();
        TheLevelLoadSaveGui->SetVisible(true);
        EXPECT_EQ(TheLevelLoadSaveGui->browser->EntryCount(), f.olderSave ? 3 : 2);
        TheLevelLoadSaveGui->SetVisible(false);
        const std::string said = TheMessageDialog->IsVisible() ? TheMessageDialog->label->GetText() : "nothing";
        EXPECT_NE(said.find(f.said), std::string::npos) << said;
        EXPECT_TRUE(Exists(ProfileFile("Ada")));
        EXPECT_FALSE(Exists(aside));
        screen.DeleteSelected();
        // The leftover is no profile's: it goes as a new profile of the name clears it.
        if (f.leftover) {
            EXPECT_TRUE(DeleteProfileSaves("Ada"));
        }
        ASSERT_FALSE(Exists(saves));
    }

    // Saves of the name in another case (an older build's without a profile file, set aside, or
    // the profile's own) are found as the save screens find them and go by the name they have:
    // a new profile of the name is made, and a deletion leaves nothing and says nothing. A
    // profile whose file differs from another's only by case (deletion_case_twin_profile.sh)
    // goes without the other's saves, the other's folder spelled as its own name; one whose
    // deletion stopped after its file went (deletion_stopped_case_twin_merge.sh) leaves its saves
    // to go at the next start, never to join the other's.
    const struct {
        const char* folder;
        bool profile;
        bool twin = false;
        bool twinStopped = false;
    } spelled[] = {
        {"ADA", false}, {"ADA.deleted", false}, {"ADA", true}, {"Ada", true, true}, {"Ada", true, false, true},
    };
    for (const auto& c : spelled) {
        SCOPED_TRACE(&c - spelled);
        const std::string old = std::string(UserFolder) + "/savefiles/" + c.folder;
        ASSERT_TRUE(CreateFolder((old + "/.saving").c_str()) && WriteTextFile(old + "/.saving/slot.old.sav", "saved"));
        if (c.profile) {
            ASSERT_TRUE(WriteTextFile(ProfileFile("Ada"), "name\tAda\n"));
        } else {
            ASSERT_EQ(screen.CreateProfile("Ada"), nullptr);
            TheMessageWindow->Show(false, false);
        }
        TheMessageDialog->SetVisible(false);
        if (c.twin) {
            const std::string script = "sh tests/data/bad-files/save-switch/deletion_case_twin_profile.sh '" +
                                       std::string(UserFolder) + "' Ada ADA >/dev/null 2>&1";
            ASSERT_EQ(system(script.c_str()), 0);
            CopyText(screen.selectedName, sizeof screen.selectedName, "ADA");
            screen.DeleteSelected();
            EXPECT_TRUE(Exists(old + "/.saving/slot.old.sav")) << "the other profile's saves stay";
        }
        if (c.twinStopped) {
            for (const char* file : {"/slot.cgs", "/slot.sav", "/slot.vis"})
                ASSERT_TRUE(WriteTextFile(old + file, "saved"));
            const std::string script = "sh tests/data/bad-files/save-switch/deletion_stopped_case_twin_merge.sh '" +
                                       std::string(UserFolder) + "' Ada ADA slot >/dev/null 2>&1";
            ASSERT_EQ(system(script.c_str()), 0);
            SettleDeletedProfiles();
            EXPECT_FALSE(Exists(old + "/theirs.sav")) << "the deleted profile's saves join no other's";
            EXPECT_FALSE(Exists(std::string(UserFolder) + "/savefiles/ADA.deleted"));
        }
        CopyText(screen.selectedName, sizeof screen.selectedName, "Ada");
        screen.DeleteSelected();
        EXPECT_FALSE(TheMessageDialog->IsVisible());
        EXPECT_FALSE(Exists(old) || Exists(ProfileFile("Ada")));
    }

    // An older build's deletion that did not go through set the saves aside under a save
    // folder's name spelled in another case, and the profile saved since into a folder of its
    // own spelling (older_aside_other_case_removed.sh): the saves made under the profile's name
    // come back at the next start beside the later one, and the log says so.
    {
        ASSERT_TRUE(WriteTextFile(ProfileFile("Ada"), "name\tAda\n"));
        ASSERT_TRUE(CreateFolder(saves.c_str()));
        ASSERT_TRUE(WriteTextFile(saves + "/slot.cgs", "name\tAda\n"));
        for (const char* file : {"/slot.sav", "/slot.vis"}) ASSERT_TRUE(WriteTextFile(saves + file, "saved"));
        const std::string script = "sh tests/data/bad-files/save-switch/older_aside_other_case_removed.sh '" +
                                   std::string(UserFolder) + "' Ada ADA slot";
        ASSERT_EQ(system((script + " >/dev/null 2>&1").c_str()), 0);
        LogCaptureBegin();
        SettleDeletedProfiles();
        const std::string log = LogCaptureEnd();
        EXPECT_EQ(system((script + " check >/dev/null 2>&1").c_str()), 0);
        EXPECT_FALSE(Exists(std::string(UserFolder) + "/savefiles/ADA.deleted"));
        for (const char* file : {"/slot.cgs", "/slot.sav", "/slot.vis", "/later.sav"})
            EXPECT_TRUE(Exists(saves + file)) << file;
        EXPECT_NE(log.find("The saves of the profile 'Ada' are back"), std::string::npos) << log;
        CopyText(screen.selectedName, sizeof screen.selectedName, "Ada");
        screen.DeleteSelected();
        EXPECT_FALSE(Exists(saves) || Exists(ProfileFile("Ada")));
    }

    // A profile file that cannot be removed (something stands under its name): the player is
    // told, and the profile stays with its saves.
    ASSERT_TRUE(CreateFolder((ProfileFile("Ada") + "/held").c_str()));
    ASSERT_TRUE(CreateFolder(saves.c_str()));
    ASSERT_TRUE(WriteTextFile(saves + "/slot.sav", "saved"));
    CopyText(screen.selectedName, sizeof screen.selectedName, "Ada");
    TheMessageDialog->SetVisible(false);
    LogCaptureBegin();
    screen.DeleteSelected();
    LogCaptureEnd();
    EXPECT_TRUE(TheMessageDialog->IsVisible());
    EXPECT_NE(std::string(TheMessageDialog->label->GetText()).find("'Ada' could not be deleted"), std::string::npos)
        << TheMessageDialog->label->GetText();
    EXPECT_TRUE(Exists(saves + "/slot.sav"));
    EXPECT_FALSE(Exists(aside));
    TheMessageDialog->SetVisible(false);
}

}  // namespace
