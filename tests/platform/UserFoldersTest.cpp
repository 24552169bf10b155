// The player's folders on a first start: what is missing is made, parents too, for the player
// alone; a folder that cannot be had is one message that names it, on the terminal as well.
#include "platform/UserFolders.h"

#include "host/Log.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

// The permission bits of a folder; -1 when it is not one.
int FolderMode(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return -1;
    return (int)(st.st_mode & 0777);
}

}  // namespace

TEST(UserFolders, AFirstStartMakesEveryMissingFolderForThePlayerAlone)
{
    std::string base = MakeTempFolder("first-start");
    ScopedGlobal<char[256]> appData(LocalAppDataFolder), user(UserFolder), profiles(ProfilesFolder);
    struct Case {
        const char* what;
        const char* xdgDataHome;  // below base; null: unset
        const char* home;         // below base
        const char* expected;     // the application-data folder, below base
        const char* made;         // the first folder start-up had to make, below base
    };
    const Case cases[] = {
        {"XDG_DATA_HOME whose parents are missing", "/new/deeper/share", "/home1", "/new/deeper/share", "/new"},
        {"a trailing slash", "/slash/share/", "/home2", "/slash/share", "/slash"},
        {"no XDG_DATA_HOME: below HOME", nullptr, "/home3", "/home3/.local/share", "/home3"},
        {"a relative XDG_DATA_HOME counts as none", "relative", "/home4", "/home4/.local/share", "/home4"},
    };
    for (const Case& c : cases) {
        std::string xdg = c.xdgDataHome && c.xdgDataHome[0] == '/' ? base + c.xdgDataHome : std::string(c.xdgDataHome ? c.xdgDataHome : "");
        ScopedEnv data("XDG_DATA_HOME", c.xdgDataHome ? xdg.c_str() : nullptr);
        ScopedEnv home("HOME", (base + c.home).c_str());
        ASSERT_TRUE(InitUserFolders()) << c.what;
        std::string expected = base + c.expected;
        EXPECT_EQ(std::string(LocalAppDataFolder), expected) << c.what;
        EXPECT_EQ(std::string(UserFolder), expected + "/Veldmark") << c.what;
        EXPECT_EQ(std::string(ProfilesFolder), expected + "/Veldmark/profiles") << c.what;
        for (const char* sub : {"", "/profiles", "/heightmaps", "/savefiles"})
            EXPECT_EQ(FolderMode(expected + "/Veldmark" + sub), 0700) << c.what << ": " << sub;
        for (std::string folder = expected; folder.size() >= base.size() + strlen(c.made);
             folder = folder.substr(0, folder.rfind('/')))
            EXPECT_EQ(FolderMode(folder), 0700) << c.what << ": " << folder;
    }

    // A folder the player made already keeps its permissions.
    std::string own = base + "/own";
    ASSERT_EQ(mkdir(own.c_str(), 0755), 0);
    ScopedEnv data("XDG_DATA_HOME", own.c_str());
    ASSERT_TRUE(InitUserFolders());
    EXPECT_EQ(FolderMode(own), 0755);
    EXPECT_EQ(FolderMode(own + "/Veldmark"), 0700);
}

TEST(UserFolders, NoFolderForThePlayersFilesIsOneMessageThatNamesIt)
{
    std::string base = MakeTempFolder("no-folder");
    ASSERT_TRUE(WriteTextFile(base + "/file", "not a folder"));
    ScopedGlobal<char[256]> appData(LocalAppDataFolder), user(UserFolder), profiles(ProfilesFolder);
    ASSERT_EQ(LogFile, nullptr) << "the log is not open yet when the folders are made";
    struct Case {
        const char* what;
        std::string xdgDataHome;  // empty: unset
        const char* home;         // null: unset
        std::string message;
    };
    const Case cases[] = {
        {"a file where a parent folder belongs", base + "/file/share", nullptr,
         "Failed to create the folder for the player's files " + base + "/file/share: Not a directory"},
        {"neither variable", "", nullptr,
         "Found no folder for the player's files: neither XDG_DATA_HOME nor HOME names one."},
        {"HOME is relative", "", "relative",
         "Found no folder for the player's files: neither XDG_DATA_HOME nor HOME names one."},
        {"too long a path", "/" + std::string(250, 'x'), nullptr,
         "The folder for the player's files /" + std::string(250, 'x') + " is too long a path."},
    };
    for (const Case& c : cases) {
        ScopedEnv data("XDG_DATA_HOME", c.xdgDataHome.empty() ? nullptr : c.xdgDataHome.c_str());
        ScopedEnv home("HOME", c.home);
        LogCaptureBegin();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(InitUserFolders()) << c.what;
        std::string terminal = testing::internal::GetCapturedStderr();
        std::string log = LogCaptureEnd();
        EXPECT_EQ(log, "ERROR: " + c.message + "\n") << c.what;
        EXPECT_EQ(terminal, log) << c.what << ": without a log the message goes to the terminal";
        EXPECT_STREQ(UserFolder, "<NOT-SET>") << c.what;
    }
}
