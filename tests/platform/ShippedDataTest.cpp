// Every shipped configuration, hotkey and string-table file loads cleanly and stays within
// the limits of its reader. New files and entries are covered without new tests.
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "platform/StringTable.h"
#include "platform/UserFolders.h"

#include "host/Log.h"
#include "host/System.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

const char* const StringFiles[] = {"data/strings/game_strings.txt", "data/strings/mission_strings.txt",
                                   "data/strings/tech_strings.txt", "data/strings/log_strings.txt"};

void Ignore() {}

// The commands hotkeys.cfg keeps, as the game registers them.
std::vector<std::string> HotkeyCommands()
{
    std::vector<std::string> names = {
        "attack", "move", "repair", "stop", "heal", "laymine", "scan", "toggle_inventory", "toggle_camera_lock",
        "printscreen", "goto_alert", "select_player", "toggle_health_bars", "lay_freeze_trap", "recharge_shields",
        "aimode_default", "aimode_holdposition", "aimode_stop", "quick_slot_1", "quick_slot_2", "quick_slot_3",
        "quick_slot_4", "trackplayer", "resetcamera", "debug_incspeed", "debug_decspeed"};
    for (int i = 0; i < 10; ++i) names.push_back("assignControlGroup_" + std::to_string(i));
    for (int i = 0; i < 10; ++i) names.push_back("selectControlGroup_" + std::to_string(i));
    return names;
}

}  // namespace

TEST(ShippedData, StringTablesLoadWithinTheirLimits)
{
    StringTable table;
    LogCaptureBegin();
    bool loaded = table.Init();
    std::string log = LogCaptureEnd();
    EXPECT_TRUE(loaded);
    EXPECT_FALSE(HasProblem(log)) << log;
    EXPECT_LE(table.PoolUsed(), StringTable::POOL_SIZE);

    // Every tag that starts a line outside the comments is found, in any letter case.
    int tags = 0;
    for (const char* file : StringFiles) {
        std::istringstream lines(ReadTextFile(file));
        ASSERT_FALSE(lines.str().empty()) << file;
        std::string line;
        bool inComment = false;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string tag;
            words >> tag;
            if (tag == "/*") inComment = true;
            if (line.find("*/") != std::string::npos) inComment = false;
            if (inComment || tag.empty() || tag[0] != '<') continue;
            ++tags;
            EXPECT_LT(tag.size(), StringTable::TAG_SIZE) << tag;
            const char* text = table.Lookup(tag.c_str());
            ASSERT_NE(text, nullptr) << file << ": " << tag;
            EXPECT_NE(text[0], 0) << file << ": " << tag << " has no text";
            std::string upper = tag;
            for (char& c : upper) c = (char)toupper((unsigned char)c);
            EXPECT_EQ(table.Lookup(upper.c_str()), text) << tag;
        }
    }
    EXPECT_EQ(table.TagCount(), tags) << "every tag is stored once";

    // The loading screen counts tips from <tip0> on without gaps.
    int tips = 0;
    while (table.Lookup(("<tip" + std::to_string(tips) + ">").c_str())) ++tips;
    EXPECT_GE(tips, 10);
    EXPECT_EQ(table.Lookup(("<tip" + std::to_string(tips + 1) + ">").c_str()), nullptr) << "no gap in the tips";
    for (const char* tag : {"<intro_1>", "<intro_2>", "<intro_3>", "<intro_4a>", "<intro_4b>", "<intro_5>", "<none>",
                            "<unknown>", "<replays_button>", "<replays_title>", "<replays_none>", "<replay_play>",
                            "<replay_back>", "<replay_won>", "<replay_lost>", "<replay_abandoned>", "<replay_restarted>",
                            "<replay_not_ended>", "<replay_no_mission>", "<replay_broken>", "<replay_refused>"})
        EXPECT_NE(table.Lookup(tag), nullptr) << tag;
}

TEST(ShippedData, ConfigurationFilesLoadCleanlyToTheDefaults)
{
    LogCaptureBegin();
    ConfigFile shipped("data/config.cfg");
    shipped.LoadFonts("data/fonts.cfg");
    std::string log = LogCaptureEnd();
    EXPECT_FALSE(HasProblem(log)) << log;

    // config.cfg writes out the built-in defaults, so both spell the same settings file.
    ConfigFile defaults("data/no_such_config.cfg");
    std::string folder = MakeTempFolder("shipped-config");
    char saved[256];
    CopyText(saved, sizeof saved, UserFolder);
    CopyText(UserFolder, sizeof UserFolder, folder.c_str());
    shipped.SaveSettings();
    std::string fromShipped = ReadTextFile(folder + "/settings.cfg");
    defaults.SaveSettings();
    std::string fromDefaults = ReadTextFile(folder + "/settings.cfg");
    CopyText(UserFolder, sizeof UserFolder, saved);
    EXPECT_EQ(fromShipped, fromDefaults);
    EXPECT_STREQ(shipped.game, "Veldmark");
    EXPECT_STREQ(shipped.currentprofile, "#");
    EXPECT_STREQ(shipped.scenefile, "none");
    EXPECT_EQ(shipped.lostDeviceRetryCount, 4);
    EXPECT_EQ(shipped.MaxUnitControl, 50);
    EXPECT_FLOAT_EQ(shipped.DamageAdjust, 0.15f);
    EXPECT_FLOAT_EQ(shipped.unitSpeed, 1.1f);
    EXPECT_FLOAT_EQ(shipped.far, 500.0f);
    EXPECT_TRUE(shipped.mainMenuEnabled);
    EXPECT_EQ(shipped.width, defaults.width) << "the screen size comes from the desktop";
    for (int i = 0; i < FONT_SLOT_COUNT; ++i) {
        EXPECT_STREQ(shipped.fonts[i].face, defaults.fonts[i].face) << i;
        EXPECT_EQ(shipped.fonts[i].size, defaults.fonts[i].size) << i;
    }
}

TEST(ShippedData, DefaultHotkeysBindEverySavedCommandToItsOwnKey)
{
    ClearCommandRegistry();
    std::vector<std::string> commands = HotkeyCommands();
    for (const std::string& name : commands) ASSERT_TRUE(RegisterCommand(name.c_str(), Ignore));
    ConfigFile config("data/no_such_config.cfg");
    config.LoadHotkeys("data/hotkeys.cfg");
    std::set<std::string> keys;
    for (const std::string& name : commands) {
        char key[32];
        ASSERT_TRUE(config.FindHotkey(name.c_str(), key, false, sizeof key)) << name;
        EXPECT_TRUE(keys.insert(key).second) << key << " is bound twice";
    }

    // The player's copy written from them holds the same bindings, line for line.
    std::string folder = MakeTempFolder("shipped-hotkeys");
    std::string path = folder + "/hotkeys.cfg";
    config.SaveHotkeys(path.c_str());
    auto bindings = [](const std::string& text) {
        std::istringstream lines(text);
        std::string line, out;
        while (std::getline(lines, line))
            if (line.rfind("keyboard_map", 0) == 0) out += line + "\n";
        return out;
    };
    EXPECT_EQ(bindings(ReadTextFile(path)), bindings(ReadTextFile("data/hotkeys.cfg")));
    ClearCommandRegistry();
}
