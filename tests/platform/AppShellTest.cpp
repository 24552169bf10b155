#include "platform/AppShell.h"

#include "host/Log.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

TEST(AppShell, CreatesUserFoldersAndLogHeader)
{
    std::string base = MakeTempFolder("appdata");
    const char* saved = getenv("XDG_DATA_HOME");
    std::string restore = saved ? saved : "";
    setenv("XDG_DATA_HOME", base.c_str(), 1);

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
    setenv("XDG_DATA_HOME", restore.c_str(), 1);
}

TEST(AppShell, NoApplicationDataFolderIsAFailure)
{
    const char* home = getenv("HOME");
    std::string savedHome = home ? home : "";
    const char* xdg = getenv("XDG_DATA_HOME");
    std::string savedXdg = xdg ? xdg : "";
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    EXPECT_FALSE(InitUserFolders());
    EXPECT_NE(WinMain(0, nullptr), 0);
    setenv("HOME", savedHome.c_str(), 1);
    setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
}
