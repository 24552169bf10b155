// Damaged settings files as players' hands and tools leave them: each is read with one warning
// for what it cannot take, keeps every other setting, and is written back so that the next
// start reads exactly what was kept.
#include "platform/ConfigFile.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/UserFolders.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct Kept {
    std::string profile, format;
    float scroll, mouse;
    int width, height, music;
};

Kept KeptOf(const ConfigFile& c)
{
    return {c.currentprofile, c.screenshotFormat, c.scrollSpeed, c.mouseSpeed, c.width, c.height, c.MusicVolume};
}

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(SettingsBadFiles, EachIsReadWithOneWarningAndWrittenBackAsKept)
{
    const std::string folder = MakeTempFolder("settings-bad-files");
    ScopedGlobal<char[256]> savedFolder(UserFolder);
    CopyText(UserFolder, sizeof UserFolder, folder.c_str());
    // What the game's own configuration gives before the player's file is read.
    WriteTextFile(folder + "/base.cfg", "currentprofile Pilot\nscrollSpeed 30\nmouseSpeed 1\nwidth 1024\nheight 768\n"
                                        "MusicVolume 3\nscreenshotFormat png\n");
    struct Case {
        const char* file;
        Kept expected;
        int warnings;
    };
    const Case cases[] = {
        {"settings_currentprofile_quote.cfg", {"z", "png", 50.0f, 0.5f, 1024, 768, 3}, 1},
        {"settings_mode_int_max.cfg", {"Pilot", "png", 30.0f, 1.0f, 8192, 8192, 3}, 2},
        {"settings_screenshot_format_blank.cfg", {"Pilot", "a b", 30.0f, 1.0f, 1024, 768, 3}, 0},
        {"settings_screenshot_format_comment.cfg", {"Pilot", "/*", 30.0f, 1.0f, 1024, 768, 3}, 0},
        {"settings_screenshot_format_comment.cfg", {"Pilot", "*/", 30.0f, 1.0f, 1024, 768, 3}, 0},
        {"settings_screenshot_format_comment.cfg", {"Pilot", "EOF", 30.0f, 1.0f, 1024, 768, 3}, 0},
        {"settings_screenshot_format_comment.cfg", {"Pilot", "END_OF_FILE", 30.0f, 1.0f, 1024, 768, 3}, 0},
        {"settings_scroll_speed_3e10.cfg", {"Pilot", "png", 1000.0f, 1.0f, 1024, 768, 3}, 1},
        {"settings_width_below_int_min.cfg", {"Pilot", "png", 30.0f, 1.0f, 640, 768, 3}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string text = ReadTextFile(std::string("tests/data/bad-files/settings/") + c.file);
        // One file stands for every word the reader takes for a comment's edge or the end.
        const size_t quoted = text.find("\"/*\"");
        if (quoted != std::string::npos) text.replace(quoted + 1, 2, c.expected.format);
        WriteTextFile(folder + "/settings.cfg", text);
        auto config = std::make_unique<ConfigFile>((folder + "/base.cfg").c_str());
        LogCaptureBegin();
        config->LoadSettings();
        std::string log = LogCaptureEnd();
        EXPECT_EQ(CountOf(log, "WARNING"), c.warnings) << log;
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        Kept read = KeptOf(*config);
        EXPECT_EQ(read.profile, c.expected.profile);
        EXPECT_EQ(read.format, c.expected.format);
        EXPECT_FLOAT_EQ(read.scroll, c.expected.scroll);
        EXPECT_FLOAT_EQ(read.mouse, c.expected.mouse);
        EXPECT_EQ(read.width, c.expected.width);
        EXPECT_EQ(read.height, c.expected.height);
        EXPECT_EQ(read.music, c.expected.music);

        // Written back and read at the next start: the same values, and nothing to warn about.
        config->SaveSettings();
        auto next = std::make_unique<ConfigFile>((folder + "/base.cfg").c_str());
        LogCaptureBegin();
        next->LoadSettings();
        log = LogCaptureEnd();
        EXPECT_EQ(log.find("WARNING"), std::string::npos) << log << ReadTextFile(folder + "/settings.cfg");
        Kept again = KeptOf(*next);
        EXPECT_EQ(again.profile, read.profile);
        EXPECT_EQ(again.format, read.format);
        EXPECT_FLOAT_EQ(again.scroll, read.scroll);
        EXPECT_FLOAT_EQ(again.mouse, read.mouse);
        EXPECT_EQ(again.width, read.width);
        EXPECT_EQ(again.height, read.height);
        EXPECT_EQ(again.music, read.music);
        EXPECT_EQ(next->showObjectiveIcons, config->showObjectiveIcons) << "the lines below the text values are read";
        EXPECT_EQ(next->antiAliasingSamples, config->antiAliasingSamples);
        EXPECT_EQ(next->debugMode, config->debugMode) << "the lines below the text values are read";
    }
}
