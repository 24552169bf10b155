#include "platform/ConfigFile.h"

#include "host/AudioDevice.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/CommandLine.h"
#include "platform/SoundManager.h"
#include "platform/UserFolders.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Points the user folder at a fresh temporary folder for one test.
class UserFolderScope {
public:
    explicit UserFolderScope(const char* name) : folder(MakeTempFolder(name))
    {
        CopyText(UserFolder, sizeof UserFolder, folder.c_str());
    }
    std::string folder;

private:
    ScopedGlobal<char[256]> saved_{UserFolder};
};

std::unique_ptr<ConfigFile> ConfigFromText(const std::string& folder, const std::string& text)
{
    std::string path = folder + "/test.cfg";
    WriteTextFile(path, text);
    return std::make_unique<ConfigFile>(path.c_str());
}

}  // namespace

TEST(ConfigFile, SettingsOverrideConfigAndTheCommandLineOverridesBoth)
{
    UserFolderScope user("config-precedence");
    auto config = ConfigFromText(user.folder,
                                 "width 1000\nheight 700\nscrollSpeed 10\nfullscreen false\nMusicVolume 3\n");
    EXPECT_EQ(config->width, 1000);
    EXPECT_EQ(config->MusicVolume, 3);
    WriteTextFile(user.folder + "/settings.cfg", "scrollSpeed 40.5\nfullscreen on\nwidth 1600\nheight 900\n");
    config->LoadSettings();
    EXPECT_FLOAT_EQ(config->scrollSpeed, 40.5f);
    EXPECT_TRUE(config->fullscreen);
    EXPECT_EQ(config->width, 1600);
    EXPECT_EQ(config->MusicVolume, 3) << "what settings.cfg does not name stays";

    const char* argv[] = {"veldmark", "-1024", "-windowed", "-WINDOWED", "-640"};
    ParseCommandLine(config.get(), 5, const_cast<char**>(argv));
    EXPECT_EQ(config->width, 1024);
    EXPECT_EQ(config->height, 768);
    EXPECT_FALSE(config->fullscreen);

    const char* again[] = {"veldmark", "-800", "-1280", "-fullscreen"};
    config->messageBoxErrors = true;
    ParseCommandLine(config.get(), 4, const_cast<char**>(again));
    EXPECT_EQ(config->width, 1280) << "later switches win";
    EXPECT_EQ(config->height, 1024);
    EXPECT_TRUE(config->fullscreen);
    EXPECT_FALSE(config->messageBoxErrors);
}

TEST(ConfigFile, MissingSettingsAreWrittenThenReadBack)
{
    UserFolderScope user("config-missing");
    auto config = ConfigFromText(user.folder, "Difficulty 2\nshowFPS true\n");
    config->pendingWidth = 1920;
    config->pendingHeight = 1080;
    int width = config->width;
    config->LoadSettings();
    std::string written = ReadTextFile(user.folder + "/settings.cfg");
    ASSERT_FALSE(written.empty());
    EXPECT_NE(written.find("Difficulty\t\t\t\t\t2\n"), std::string::npos);
    EXPECT_NE(written.find("showFPS\t\t\t\t\t\ttrue\n"), std::string::npos);
    EXPECT_NE(written.find("width\t\t\t\t\t\t\t1920\nheight\t\t\t\t\t\t1080\n"), std::string::npos)
        << "the pending resolution is what the file keeps";
    EXPECT_EQ(config->width, 1920) << "read back from the file just written";

    // A fresh program start keeps the pending size; the running one is told nothing new.
    auto fresh = ConfigFromText(user.folder, "");
    EXPECT_EQ(fresh->width, width);
    fresh->LoadSettings();
    EXPECT_EQ(fresh->width, 1920);
    EXPECT_EQ(fresh->height, 1080);
    EXPECT_EQ(fresh->Difficulty, 2);
    EXPECT_TRUE(fresh->showFPS);
}

TEST(ConfigFile, SettingsFileHasItsExactShape)
{
    UserFolderScope user("config-shape");
    auto config = ConfigFromText(user.folder, "width 1024 height 768 currentprofile \"Ada Voss\"");
    config->debugMode = true;
    config->SaveSettings();
    std::string path = user.folder + "/settings.cfg";
    // The header names the file, strings keep their quotes, and the end marker closes it.
    std::string written = ReadTextFile(path);
    EXPECT_EQ(written.rfind("/*\nConfig File\t\t\t" + path + "\n*/\n\nfullscreen\t\t\t\t\tfalse\n", 0), 0u) << written;
    for (const char* line : {"\ncurrentprofile\t\t\"Ada Voss\"\n", "\nscrollSpeed\t\t\t\t\t30.0\n",
                             "\nwidth\t\t\t\t\t\t\t1024\n", "\nscreenshotFormat\t\t\t\tpng\n",
                             "\ndebugMode\t\t\t\t\ttrue\n\nEOF\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;

    // The sound manager's volume, when there is one, is what the player last set.
    SoundManager sound;
    ASSERT_TRUE(sound.Init(AudioDevice::OpenLoopback(22050)));
    sound.SetVolume(0.7f);
    {
        ScopedGlobal<SoundManager*> soundManager(SoundMgr, &sound);
        config->debugMode = false;
        config->SaveSettings();
    }
    std::string withSound = ReadTextFile(path);
    EXPECT_NE(withSound.find("\nSoundVolume\t\t\t\t\t7\n"), std::string::npos);
    EXPECT_EQ(withSound.find("debugMode"), std::string::npos);

    CopyText(UserFolder, sizeof UserFolder, (user.folder + "/no/such/folder").c_str());
    LogCaptureBegin();
    config->SaveSettings();
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR opening file " + user.folder + "/no/such/folder/settings.cfg for WRITING\n"),
              std::string::npos)
        << log;
}

TEST(ConfigFile, ValuesAreClampedAndMalformedNumbersReadAsZero)
{
    UserFolderScope user("config-clamps");
    struct Case {
        const char* text;
        const char* what;
        float expected;
    };
    const Case cases[] = {
        {"Difficulty 7", "Difficulty", 2},
        {"Difficulty -3", "Difficulty", 0},
        {"MaxUnitControl 3", "MaxUnitControl", 10},
        {"MaxUnitControl 500", "MaxUnitControl", 100},
        {"MaxUnitControl abc", "MaxUnitControl", 10},
        {"antiAliasingSamples 32", "antiAliasingSamples", 16},
        {"unitSpeed 9", "unitSpeed", 4.0f},
        {"unitSpeed 0.01", "unitSpeed", 0.1f},
        {"DamageAdjust 2", "DamageAdjust", 0.9f},
        {"DamageAdjust x", "DamageAdjust", 0.1f},
        {"shadowMapSize 100", "shadowMapSize", 256},
        {"shadowMapSize 4096", "shadowMapSize", 2048},
        {"shadowMapSize 1000", "shadowMapSize", 1000},
        {"glowSize 300", "glowSize", 256},
        {"glowSize 0", "glowSize", 256},
        {"glowSize 512", "glowSize", 512},
        {"scrollSpeed 1e5", "scrollSpeed", 0},
        {"scrollSpeed -12.5", "scrollSpeed", -12.5f},
        {"scrollSpeed 3000000000", "scrollSpeed", 1000.0f},
        {"scrollSpeed -3000000000", "scrollSpeed", -1000.0f},
        {"zoomSpeed 3000000000", "zoomSpeed", 1000.0f},
        {"mouseSpeed 3000000000", "mouseSpeed", 10.0f},
        {"width 12a", "width", 640},
        {"width 99999999999", "width", 8192},
        {"width 2147483647", "width", 8192},
        {"height 2147483647", "height", 8192},
        {"height -4847483648", "height", 480},
    };
    for (const Case& c : cases) {
        auto config = ConfigFromText(user.folder, c.text);
        float value = 0;
        std::string what = c.what;
        if (what == "Difficulty") value = config->Difficulty;
        if (what == "MaxUnitControl") value = config->MaxUnitControl;
        if (what == "antiAliasingSamples") value = config->antiAliasingSamples;
        if (what == "unitSpeed") value = config->unitSpeed;
        if (what == "DamageAdjust") value = config->DamageAdjust;
        if (what == "shadowMapSize") value = config->shadowMapSize;
        if (what == "glowSize") value = config->glowSize;
        if (what == "scrollSpeed") value = config->scrollSpeed;
        if (what == "zoomSpeed") value = config->zoomSpeed;
        if (what == "mouseSpeed") value = config->mouseSpeed;
        if (what == "width") value = static_cast<float>(config->width);
        if (what == "height") value = static_cast<float>(config->height);
        EXPECT_FLOAT_EQ(value, c.expected) << c.text;
    }
}

TEST(ConfigFile, BooleansCommentsQuotesAndTheEndMarker)
{
    UserFolderScope user("config-reader");
    struct Case {
        const char* value;
        bool expected;
    };
    const Case cases[] = {{"1", true},  {"01", true},  {"on", true},  {"TRUE", true}, {"True", true},
                          {"yes", false}, {"0", false}, {"2", false}, {"off", false}, {"false", false}};
    for (const Case& c : cases) {
        auto config = ConfigFromText(user.folder, std::string("showFPS ") + c.value + "\nshowClock " + c.value);
        EXPECT_EQ(config->showFPS, c.expected) << c.value;
        EXPECT_EQ(config->showClock, c.expected) << c.value;
    }

    LogCaptureBegin();
    auto config = ConfigFromText(user.folder,
                                 "/* width 800\r\n MaxUnitControl 20 */\r\n"
                                 "HEIGHT\t600\r\n"
                                 "game \"Far Rim\" screenshotFormat jpeg\n"
                                 "currentprofile \"A name far longer than the thirty-one characters it may hold\"\n"
                                 "nonsense 5 minZoom 12.5\n"
                                 "eof\n"
                                 "maxZoom 99\n");
    EXPECT_NE(config->width, 800);
    EXPECT_EQ(config->MaxUnitControl, 50);
    EXPECT_EQ(config->height, 600);
    EXPECT_STREQ(config->game, "Far Rim");
    EXPECT_STREQ(config->screenshotFormat, "jpeg");
    EXPECT_STREQ(config->currentprofile, "A name far longer than the thir");
    EXPECT_FLOAT_EQ(config->minZoom, 12.5f);
    EXPECT_FLOAT_EQ(config->maxZoom, 75.0f) << "nothing after the end marker is read";
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("line 8: the text after the end marker is ignored"), std::string::npos) << log;
    LogCaptureBegin();
    ConfigFromText(user.folder, "showFPS 1\nEOF\n\n");
    EXPECT_EQ(LogCaptureEnd().find("end marker"), std::string::npos) << "a file that ends there says nothing";

    auto cut = ConfigFromText(user.folder, "Difficulty 0 glowQuality");
    EXPECT_EQ(cut->Difficulty, 0);
    EXPECT_EQ(cut->glowQuality, 1) << "a key without its value ends the reading";

    // A quoted text is a text even when it spells a marker: a player named EOF keeps the rest.
    auto named = ConfigFromText(user.folder, "currentprofile \"EOF\" MaxUnitControl 30 game \"/*\" Difficulty 2");
    EXPECT_STREQ(named->currentprofile, "EOF");
    EXPECT_EQ(named->MaxUnitControl, 30);
    EXPECT_STREQ(named->game, "/*");
    EXPECT_EQ(named->Difficulty, 2);
}

TEST(ConfigFile, FontsAndMissingFiles)
{
    UserFolderScope user("config-fonts");
    auto config = ConfigFromText(user.folder, "");
    EXPECT_STREQ(config->fonts[FONT_CONSOLE].face, "Courier New");
    EXPECT_EQ(config->fonts[FONT_INTERFACE_SMALL].size, 8);
    std::string fonts = user.folder + "/fonts.cfg";
    WriteTextFile(fonts, "DefineFont small \"DejaVu Sans\" 11\n"
                         "DefineFont large \"Ignored Face\" 0\n"
                         "DefineFont huge \"Ignored Too\" 30\n"
                         "DefineFont CONSOLE Mono 9\n");
    config->LoadFonts(fonts.c_str());
    EXPECT_STREQ(config->fonts[FONT_SMALL].face, "DejaVu Sans");
    EXPECT_EQ(config->fonts[FONT_SMALL].size, 11);
    EXPECT_STREQ(config->fonts[FONT_LARGE].face, "Arial Bold");
    EXPECT_EQ(config->fonts[FONT_LARGE].size, 14);
    EXPECT_STREQ(config->fonts[FONT_CONSOLE].face, "Mono");

    LogCaptureBegin();
    ConfigFile missing((user.folder + "/absent.cfg").c_str());
    missing.LoadFonts((user.folder + "/absent_fonts.cfg").c_str());
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR ConfigFile::ConfigFile could not open " + user.folder + "/absent.cfg\n"),
              std::string::npos);
    EXPECT_NE(log.find("could not open " + user.folder + "/absent_fonts.cfg\n"), std::string::npos);
    EXPECT_EQ(missing.Difficulty, 1);
    EXPECT_STREQ(missing.fonts[FONT_DEFAULT].face, "Arial Bold");
}
