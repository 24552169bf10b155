// The game finds its data wherever it is started from: next to its program first, else in the
// folder it was started in.
#include "platform/DataFolder.h"

#include "host/System.h"
#include "platform/ConfigFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

TEST(DataFolder, TheFolderBesideTheProgramComesFirstThenTheWorkingFolder)
{
    struct Case {
        const char* what;
        const char* programData;  // what the program's folder holds ("" nothing)
        const char* workingData;  // what the working folder holds
        const char* program;      // the folder the program lives in, below the case's folder
        const char* entered;      // "program", "working" or "" (none found, nothing changes)
    } cases[] = {
        {"data beside the program", "data", "", "install", "program"},
        {"data in both places", "data", "data", "install", "program"},
        {"spelled in another case", "Data", "", "install", "program"},
        {"data only where the game was started", "", "data", "install", "working"},
        {"a file called data is no folder", "data-file", "", "install", ""},
        {"no data anywhere", "", "", "install", ""},
        {"the program's folder unknown", "data", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string root = MakeTempFolder("data-folder");
        std::string program = root + "/install", working = root + "/started-here";
        CreateFolder(program.c_str());
        CreateFolder(working.c_str());
        std::string programData = c.programData;
        if (programData == "data-file")
            WriteTextFile(program + "/data", "not a folder");
        else if (!programData.empty())
            CreateFolder((program + "/" + programData).c_str()), WriteTextFile(program + "/" + programData + "/config.cfg", "");
        if (c.workingData[0]) CreateFolder((working + "/" + c.workingData).c_str());

        WorkingFolder startedIn(working);
        std::string entered = EnterDataFolder(c.program[0] ? program + "/" : "");
        std::string expected = std::string(c.entered) == "program"   ? program
                               : std::string(c.entered) == "working" ? working
                                                                     : "";
        EXPECT_EQ(entered, expected);
        EXPECT_EQ(GetWorkingFolder(), expected.empty() ? working : expected);
    }
}

TEST(DataFolder, DataPathsReachTheFolderEntered)
{
    std::string root = MakeTempFolder("data-folder");
    std::string program = root + "/install";
    CreateFolder(program.c_str());
    CreateFolder((program + "/data").c_str());
    WriteTextFile(program + "/data/config.cfg", "width 800\nheight 600\n");
    std::string elsewhere = root + "/elsewhere";
    CreateFolder(elsewhere.c_str());

    WorkingFolder startedIn(elsewhere);
    ASSERT_EQ(EnterDataFolder(program), program);
    ConfigFile config("data/config.cfg");
    EXPECT_EQ(config.width, 800);
    EXPECT_EQ(config.height, 600);
}
