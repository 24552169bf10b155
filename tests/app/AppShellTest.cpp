// The shell's start-up and shutdown as ordered steps: the user folders and the log, the
// player's files written on the first start, and a start-up that fails at any step leaving
// nothing behind.
#include "app/AppShell.h"

#include "app/MainLoop.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/StorySlideshow.h"
#include "gui/WindowManager.h"
#include "host/Display.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Replay.h"
#include "platform/ConfigFile.h"
#include "platform/GameSeam.h"
#include "platform/MusicPlayer.h"
#include "platform/MusicThread.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "platform/UserFolders.h"
#include "render/FontCache.h"
#include "render/GraphicsDevice.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

TEST(AppShell, CreatesUserFoldersAndLogHeader)
{
    std::string base = MakeTempFolder("appdata");
    ScopedEnv data("XDG_DATA_HOME", base.c_str());

    ASSERT_TRUE(InitUserFolders());
    EXPECT_EQ(std::string(UserFolder), base + "/Veldmark");
    EXPECT_EQ(std::string(ProfilesFolder), base + "/Veldmark/profiles");
    for (const char* sub : {"", "/profiles", "/heightmaps", "/savefiles"}) {
        struct stat st;
        EXPECT_EQ(stat((base + "/Veldmark" + sub).c_str(), &st), 0) << sub;
    }
    ASSERT_TRUE(OpenLogFile());
    Log("after the banner\n");
    LogClose();
    std::string log = ReadTextFile(base + "/Veldmark/logfile.txt");
    EXPECT_EQ(log.rfind(std::string(36, '=') + "\nLOG: ", 0), 0u) << log;
    EXPECT_NE(log.find("\n" + std::string(36, '=') + "\n\n======== Orlendt Games - Veldmark ========\nafter the banner\n"),
              std::string::npos)
        << log;
}

TEST(AppShell, NoApplicationDataFolderIsAFailure)
{
    ScopedEnv home("HOME", nullptr);
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    EXPECT_FALSE(InitUserFolders());
    EXPECT_NE(WinMain(0, nullptr), 0);
}

TEST(AppShell, StartUpWritesTheUsersSettingsAndHotkeys)
{
    std::string base = MakeTempFolder("startup");
    ScopedEnv data("XDG_DATA_HOME", base.c_str());
    ScopedGlobal<char[256]> user(UserFolder);

    // The game quits on its first pass: start-up and shutdown are what count here.
    const char* argv[] = {"veldmark", "-1024", "-windowed"};
    InputEvents.PostQuitMessage(0);
    EXPECT_EQ(WinMain(3, const_cast<char**>(argv)), 0);
    std::string folder = base + "/Veldmark";
    std::string settings = ReadTextFile(folder + "/settings.cfg");
    EXPECT_NE(settings.find("\nfullscreen\t\t\t\t\tfalse\n"), std::string::npos) << settings;
    // The size the game was started with, not the desktop's.
    EXPECT_NE(settings.find("\nwidth\t\t\t\t\t\t\t1024\nheight\t\t\t\t\t\t768\n"), std::string::npos) << settings;
    // The shipped bindings become the player's file.
    std::string hotkeys = ReadTextFile(folder + "/hotkeys.cfg");
    EXPECT_NE(hotkeys.find("keyboard_map\t\ta\t\t\tattack\n"), std::string::npos) << hotkeys;
    std::string log = ReadTextFile(folder + "/logfile.txt");
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(Config, nullptr);

    // A second start reads the player's own files.
    WriteTextFile(folder + "/hotkeys.cfg", "keyboard_map a attack\n");
    InputEvents.PostQuitMessage(0);
    EXPECT_EQ(WinMain(1, const_cast<char**>(argv)), 0);
    EXPECT_EQ(ReadTextFile(folder + "/hotkeys.cfg"), "keyboard_map a attack\n");
}

TEST(AppShell, WithoutItsDataTheGameSaysOnceWhereItLookedAndDoesNotStart)
{
    // Started in a folder without the data (the search beside the program is the program's
    // entry's, and the smoke tests try it).
    std::string base = MakeTempFolder("no-data");
    struct Case {
        const char* what;
        std::vector<const char*> files;  // made below base
        std::string message;
    };
    const Case cases[] = {
        {"no data folder", {},
         "ERROR: The game's data was not found. It looked for a folder \"data\" in the folder it was started in, " +
             base + ". ./play.sh builds the game with its data.\n"},
        {"a data folder without its packages", {"data/config.cfg"},
         "ERROR: The game's data in " + base + "/data is incomplete: it lacks gui.pkb, textures.pkb. ./play.sh builds "
             "the game with its data.\n"},
    };
    for (const Case& c : cases) {
        for (const char* file : c.files) {
            CreateFolder((base + "/data").c_str());
            ASSERT_TRUE(WriteTextFile(base + "/" + file, "width 800\n"));
        }
        WorkingFolder startedHere(base);
        LogCaptureBegin();
        EXPECT_FALSE(FindGameData()) << c.what;
        EXPECT_EQ(LogCaptureEnd(), c.message) << c.what;

        // The whole start stops there: no window, no boxes about each file that is missing.
        ScopedEnv data("XDG_DATA_HOME", MakeTempFolder("no-data-user").c_str());
        InputEvents.PostQuitMessage(0);
        LogCaptureBegin();
        EXPECT_NE(WinMain(0, nullptr), 0) << c.what;
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find(c.message), std::string::npos) << log;
        EXPECT_EQ(log.find("InitDirect3D"), std::string::npos) << log;
        EXPECT_EQ(MainWindow, nullptr);
        HostMessage drained;
        while (InputEvents.PeekMessage(&drained)) {}
    }
}

namespace {

// The step made to fail runs for real first and then reports a failure, so its undo has a
// whole step to take back, as after a start that breaks at its very end.
bool (*RealStart)() = nullptr;
bool RunThenFail()
{
    if (RealStart) RealStart();
    return false;
}

// Every singleton and resource start-up makes, named for the failure message.
std::vector<std::string> LeftOver()
{
    std::vector<std::string> left;
    auto check = [&left](bool present, const char* name) {
        if (present) left.push_back(name);
    };
    check(Config, "configuration");
    check(Strings, "string tables");
    check(MainWindow, "window");
    check(Graphics, "graphics device");
    check(SoundMgr, "sound manager");
    check(Fonts, "font cache");
    check(WindowMgr, "window manager");
    check(Textures, "texture manager");
    check(Music, "music player");
    check(IntroSlideshow, "logo slides");
    check(TheGame, "game");
    check(Frustum, "view frustum");
    check(MissionScreen::missionCount != 0, "mission catalogue");
    check(LogFile, "log file");
    check(IsMusicThreadRunning(), "music thread");
    check(dynamic_cast<NullGameSeam*>(&GetGameSeam()) == nullptr, "game seam");
    check(IsDisplayForgone(), "display forgone");
    return left;
}

}  // namespace

TEST(AppShell, AStartThatFailsAtAnyStepUndoesEverything)
{
    // Each step in turn fails: start-up answers false, and what the steps before it made is
    // gone, so the leak checker finds nothing and a second start works.
    const std::vector<StartupStep> steps = AppStartupSteps();
    ASSERT_GT(steps.size(), 10u);
    const char* argv[] = {"veldmark", "-windowed", "-800"};
    LogCaptureBegin();
    bool canStart = StartUp(3, const_cast<char**>(argv));
    Shutdown();
    LogCaptureEnd();
    if (!canStart) GTEST_SKIP() << "no display for the game's window";
    for (size_t failing = 0; failing < steps.size(); ++failing) {
        std::vector<StartupStep> broken = steps;
        RealStart = broken[failing].start;
        broken[failing].start = RunThenFail;
        LogCaptureBegin();
        bool started = StartUp(3, const_cast<char**>(argv), broken);
        std::string log = LogCaptureEnd();
        EXPECT_FALSE(started) << steps[failing].name;
        EXPECT_EQ(LeftOver(), std::vector<std::string>()) << "failing at the " << steps[failing].name;
        EXPECT_NE(log.find(std::string("ERROR: start-up failed at the ") + steps[failing].name), std::string::npos)
            << log;
        Shutdown();  // nothing left to undo
        EXPECT_EQ(LeftOver(), std::vector<std::string>());
    }
    RealStart = nullptr;
}

TEST(AppShell, AVerificationStartsWithNoDisplayAndAStartThatFailsUndoesEverything)
{
    // A replay's verification starts where there is no display at all: no window, no device,
    // and not even the desktop's size is asked. A start that fails at any of its steps leaves
    // nothing, the forgone display included.
    ScopedEnv noDisplay("DISPLAY", nullptr);
    ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    const std::string replay = SourcePath("tests/data/replays/mission_lost.replay");
    const char* argv[] = {"veldmark", "-replay", replay.c_str(), "-verify"};
    LogCaptureBegin();
    const bool started = StartUp(4, const_cast<char**>(argv));
    std::string log = LogCaptureEnd();
    ASSERT_TRUE(started) << log;
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(Graphics, nullptr);
    EXPECT_EQ(SoundMgr, nullptr);
    EXPECT_TRUE(IsDisplayForgone());
    EXPECT_TRUE(TheReplay.Playing()) << log;
    Shutdown();
    EXPECT_EQ(LeftOver(), std::vector<std::string>());

    const std::vector<StartupStep> steps = VerifyStartupSteps();
    for (size_t failing = 0; failing < steps.size(); ++failing) {
        std::vector<StartupStep> broken = steps;
        RealStart = broken[failing].start;
        broken[failing].start = RunThenFail;
        LogCaptureBegin();
        EXPECT_FALSE(StartUp(4, const_cast<char**>(argv), broken)) << steps[failing].name;
        log = LogCaptureEnd();
        EXPECT_EQ(LeftOver(), std::vector<std::string>()) << "failing at the " << steps[failing].name;
        EXPECT_NE(log.find(std::string("ERROR: start-up failed at the ") + steps[failing].name), std::string::npos)
            << log;
        Shutdown();
    }
    RealStart = nullptr;
}

TEST(AppShell, TheSettingsProfileIsReadOnlyFromTheProfilesFolder)
{
    std::string base = MakeTempFolder("settings-profile");
    ScopedGlobal<char[256]> profiles(ProfilesFolder);
    snprintf(ProfilesFolder, sizeof ProfilesFolder, "%s/Veldmark/profiles", base.c_str());
    ASSERT_EQ(mkdir((base + "/Veldmark").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(ProfilesFolder, 0700), 0);
    // A profile outside the folder, which the settings name by a path that climbs out of it.
    ASSERT_TRUE(WriteTextFile(base + "/escape.cgs", "credits\t\t4321\n"));
    ASSERT_TRUE(WriteTextFile(std::string(ProfilesFolder) + "/Pilot.cgs", "credits\t\t17\n"));
    auto config = std::make_unique<ConfigFile>((base + "/none.cfg").c_str());
    ScopedGlobal<ConfigFile*> installed(Config, config.get());
    StartupStep profileStep{};
    for (const StartupStep& step : AppStartupSteps())
        if (strcmp(step.name, "profile") == 0) profileStep = step;
    ASSERT_NE(profileStep.start, nullptr);

    // Without a profile of its own the game starts with a newcomer's (its credits among it).
    const int NEWCOMER = 500;
    const struct {
        const char* setting;
        int credits;
        bool refused;
    } cases[] = {{"../../escape", NEWCOMER, true}, {"a/b", NEWCOMER, true}, {"", NEWCOMER, true}, {"Pilot", 17, false},
                 {"#", NEWCOMER, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        GetPlayerProfile()->Clear();
        CopyText(config->currentprofile, sizeof config->currentprofile, c.setting);
        LogCaptureBegin();
        EXPECT_TRUE(profileStep.start());
        std::string log = LogCaptureEnd();
        EXPECT_EQ(GetPlayerProfile()->credits, c.credits);
        EXPECT_EQ(log.find("not a profile name") != std::string::npos, c.refused) << log;
    }
    GetPlayerProfile()->Clear();
}
