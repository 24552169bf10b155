// The game started on damaged settings files as players' hands and tools leave them: each
// starts, reaches the main menu with what the file could give, and the file it writes back is
// read whole at the next start.
#include "tests/app/PlayerSessionSupport.h"

#include "platform/ConfigFile.h"

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

}  // namespace
