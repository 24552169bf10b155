// The game started on damaged settings files as players' hands and tools leave them: each
// starts, reaches the main menu with what the file could give, and the file it writes back is
// read whole at the next start.
#include "tests/app/PlayerSessionSupport.h"

#include "host/Display.h"
#include "interface/OptionsWindow.h"
#include "platform/ConfigFile.h"

#include <cstdlib>

#include <string>

using namespace playersession;

namespace {

class SettingsStart : public PlayerSession {
protected:
    void SetUp() override {}
    // The real start-up as a player starts it: in a window, the size the settings ask for.
    void StartWith(const char* folder, const std::string& settings)
    {
        base = MakeTempFolder(folder);
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        ASSERT_TRUE(InitUserFolders());
        WriteTextFile(std::string(UserFolder) + "/settings.cfg", settings + "MusicVolume 3\n");
        resolution = nullptr;
        StartGame();
    }
};

TEST_F(SettingsStart, EachDamagedSettingsFileStartsTheGameWithTheRestKept)
{
    const char* files[] = {"settings_currentprofile_quote.cfg", "settings_mode_int_max.cfg",
                           "settings_screenshot_format_blank.cfg", "settings_screenshot_format_comment.cfg",
                           "settings_scroll_speed_3e10.cfg", "settings_width_below_int_min.cfg"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        // The damaged file's lines end without a line break in one case: the kept line goes first.
        StartWith("settings-start", ReadTextFile(std::string("tests/data/bad-files/settings/") + file) + "\n");
        if (!started && startLog.find("no display") != std::string::npos) GTEST_SKIP() << "no display";
        ASSERT_TRUE(started) << startLog;
        // The only error allowed is the profile the file names not being there.
        std::string errors = startLog;
        for (size_t at = errors.find("ERROR opening profile"); at != std::string::npos;
             at = errors.find("ERROR opening profile"))
            errors.erase(at, 5);
        EXPECT_EQ(errors.find("ERROR"), std::string::npos) << startLog;
        EXPECT_EQ(Config->MusicVolume, 3) << "the other settings are kept";
        EXPECT_LE(Config->width, 8192);
        EXPECT_LE(Config->height, 8192);
        for (int i = 0; i < 100 && TheGame->state != GAME_STATE_FRONT_END; ++i) Press(DIK_ESCAPE);
        EXPECT_EQ(TheGame->state, GAME_STATE_FRONT_END) << "the main menu is reached";

        // The file the game writes back reads whole: nothing to warn about, the volume below
        // the text values kept.
        Config->SaveSettings();
        ConfigFile again("data/config.cfg");
        LogCaptureBegin();
        again.LoadSettings();
        const std::string log = LogCaptureEnd();
        EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
        EXPECT_EQ(again.MusicVolume, 3);
        EXPECT_STREQ(again.currentprofile, Config->currentprofile);
        EXPECT_STREQ(again.screenshotFormat, Config->screenshotFormat);
        Shutdown();
        started = false;
    }
}

// "-fullscreen -1024" on a screen that keeps its 1280 x 1024 (no window manager makes windows
// full screen there): the whole picture shows, scaled and centred, and the menu's buttons take
// the clicks of the cursor the player sees.
TEST_F(SettingsStart, FullScreenOnAScreenThatKeepsItsSizeShowsTheWholePictureCentred)
{
    int screenWidth = 0, screenHeight = 0;
    if (!GetDesktopDisplaySize(&screenWidth, &screenHeight) || screenWidth != 1280 || screenHeight != 1024 ||
        system("command -v import >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs a display of 1280 x 1024 and ImageMagick's import";
    base = MakeTempFolder("full-screen");
    data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
    ASSERT_TRUE(InitUserFolders());
    displayMode = "-fullscreen";
    StartGame();
    ASSERT_TRUE(started) << startLog;
    for (int i = 0; i < 100 && TheGame->state != GAME_STATE_FRONT_END; ++i) Press(DIK_ESCAPE);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);

    // The cursor taken onto "Options" by hand, and what the screen shows.
    Button* options = FindButton(MissionScreen::windows[0], "Options");
    ASSERT_NE(options, nullptr);
    int x = 0, y = 0;
    options->GetScreenPosition(&x, &y);
    MoveMouseTo(x + options->width / 2, y + options->height / 2);
    const std::string path = base + "/screen.png";
    ASSERT_EQ(system(("import -window root " + path + " 2>/dev/null").c_str()), 0);
    Image loaded, screen;
    ASSERT_TRUE(LoadImageFile(path.c_str(), loaded) && ConvertImage(loaded, PixelFormat::A8R8G8B8, screen));
    Pixels picture = ToPixels(screen);
    EXPECT_TRUE(MatchesReference(picture, "front_end_full_screen_1024_on_1280x1024", {16, picture.width * picture.height / 50}));
    Click(0);
    EXPECT_TRUE(TheOptionsWindow->shown) << "the click on Options opened them";
}

}  // namespace
