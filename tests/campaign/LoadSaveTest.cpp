// The save game's three files: written whole or not at all, under plain names only, listed
// newest first, and loaded only when the whole save and its mission are there.
#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/UserFolders.h"
#include "terrain/Minimap.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace {

class SaveGames : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyText(UserFolder, sizeof UserFolder, MakeTempFolder("saves").c_str());
        CopyText(ProfilesFolder, sizeof ProfilesFolder, (std::string(UserFolder) + "/profiles").c_str());
        CopyText(GetPlayerProfile()->name, sizeof GetPlayerProfile()->name, "Pilot");
        TheMinimap.AllocateFogGrids();
        folder = std::string(UserFolder) + "/savefiles/Pilot/";
    }
    void TearDown() override { TheMinimap.fog.Free(); }
    std::string Path(const char* name, const char* extension) { return folder + name + extension; }
    // The three files of a save, one after the other.
    std::string Files(const char* name)
    {
        return ReadTextFile(Path(name, ".cgs")) + ReadTextFile(Path(name, ".sav")) + ReadTextFile(Path(name, ".vis"));
    }

    ScopedGlobal<char[256]> user{UserFolder};
    ScopedGlobal<char[256]> profiles{ProfilesFolder};
    ScopedGlobal<Galaxy*> noGalaxy{TheGalaxy, nullptr};
    ScopedClearProfile clear;
    std::string folder;
};

TEST_F(SaveGames, AllThreeFilesOrTheOldSaveStays)
{
    GetPlayerProfile()->credits = 111;
    ASSERT_TRUE(WriteSaveGame("slot 1"));
    for (const char* extension : {".cgs", ".sav", ".vis"})
        EXPECT_TRUE(std::filesystem::exists(Path("slot 1", extension))) << extension;
    EXPECT_FALSE(std::filesystem::exists(folder + ".saving")) << "nothing is left half-way";
    const std::string oldProfile = ReadTextFile(Path("slot 1", ".cgs"));
    const std::string oldScene = ReadTextFile(Path("slot 1", ".sav"));
    EXPECT_NE(oldProfile.find("credits"), std::string::npos);

    // The visited map cannot be written (no level): the second save fails, the first stays.
    GetPlayerProfile()->credits = 222;
    TheMinimap.fog.Free();
    LogCaptureBegin();
    EXPECT_FALSE(WriteSaveGame("slot 1"));
    EXPECT_NE(LogCaptureEnd().find("the previous save is kept"), std::string::npos);
    EXPECT_EQ(ReadTextFile(Path("slot 1", ".cgs")), oldProfile);
    EXPECT_EQ(ReadTextFile(Path("slot 1", ".sav")), oldScene);
    EXPECT_FALSE(std::filesystem::exists(folder + ".saving"));
}

// The level cannot go in place after the profile and the visited map could: both are taken
// back, and the old save is whole as the message says.
TEST_F(SaveGames, ALevelThatCannotGoInPlaceTakesTheOtherTwoBack)
{
    GetPlayerProfile()->credits = 111;
    ASSERT_TRUE(WriteSaveGame("slot 1"));
    const std::string oldProfile = ReadTextFile(Path("slot 1", ".cgs"));
    const std::string oldVisited = ReadTextFile(Path("slot 1", ".vis"));
    // Where the level goes stands a folder with something in it: no file is renamed onto it.
    std::filesystem::remove(Path("slot 1", ".sav"));
    ASSERT_TRUE(std::filesystem::create_directory(Path("slot 1", ".sav")));
    ASSERT_TRUE(WriteTextFile(Path("slot 1", ".sav") + "/held", "x"));

    GetPlayerProfile()->credits = 222;
    LogCaptureBegin();
    EXPECT_FALSE(WriteSaveGame("slot 1"));
    EXPECT_NE(LogCaptureEnd().find("the previous save is kept"), std::string::npos);
    EXPECT_EQ(ReadTextFile(Path("slot 1", ".cgs")), oldProfile) << "the profile was taken back";
    EXPECT_EQ(ReadTextFile(Path("slot 1", ".vis")), oldVisited) << "the visited map was taken back";
    EXPECT_FALSE(std::filesystem::exists(folder + ".saving")) << "nothing is left half-way";
}

// The game stopped dead after any step of a save's switch, or a rename that fails and cannot
// be taken back either; then the next reading of the folder stopped after any step of its
// settling, or failing at it: the reading after that shows the save whole, the old one or the
// new one, and nothing is left half-way.
TEST_F(SaveGames, ASaveStoppedAtAnyStepIsListedWholeOldOrNew)
{
    auto files = [this] { return Files("slot"); };
    GetPlayerProfile()->credits = 222;
    ASSERT_TRUE(WriteSaveGame("slot"));
    const std::string fresh = files();
    static std::set<int> failing;
    static int stop;
    ScopedGlobal<SaveStep (*)(int)> hook(SaveStepHook, [](int step) {
        return step == stop ? SaveStep::Stop : failing.count(step) ? SaveStep::Fail : SaveStep::Go;
    });
    // The settling's steps, as the save's: the one it stops at or fails, and how many it took.
    static int settleStop, settleFail, settleSteps;
    ScopedGlobal<SaveStep (*)(int)> settleHook(SettleStepHook, [](int step) {
        settleSteps = step;
        return step == settleStop ? SaveStep::Stop : step == settleFail ? SaveStep::Fail : SaveStep::Go;
    });
    struct Case {
        int stop;
        std::set<int> failing;
        const char* said;  // what the player is told, when anything
    };
    std::vector<Case> cases = {
        // The level cannot go in place, and the profile cannot be taken back out of it.
        {0, {7, 8}, "the previous save is put back when the saves are next read"},
        {0, {7}, "the previous save is kept"},
        // Stopped while taking a failed switch back.
        {10, {7}, nullptr},
    };
    for (int step = 1; step <= 13; ++step) cases.push_back({step, {}, nullptr});
    const std::string stoppedState = std::string(UserFolder) + "/stopped";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stopped at " << c.stop << ", failing " << c.failing.size());
        stop = settleStop = settleFail = 0;
        failing.clear();
        GetPlayerProfile()->credits = 111;
        ASSERT_TRUE(WriteSaveGame("slot"));
        const std::string old = files();
        ASSERT_NE(old, fresh);
        stop = c.stop;
        failing = c.failing;
        GetPlayerProfile()->credits = 222;
        LogCaptureBegin();
        EXPECT_EQ(WriteSaveGame("slot"), c.stop > 12) << "the switch has twelve steps";
        std::string log = LogCaptureEnd();
        if (c.said) {
            EXPECT_NE(log.find(c.said), std::string::npos) << log;
        }
        stop = 0;
        failing.clear();
        // What the save left, settled unhindered first, which counts the settling's steps;
        // then stopped after each, and failing at each.
        std::filesystem::remove_all(stoppedState);
        std::filesystem::copy(folder, stoppedState, std::filesystem::copy_options::recursive);
        int steps = 0;
        for (int hindered = 0; hindered <= 2 * steps; ++hindered) {
            const int at = (hindered + 1) / 2;
            SCOPED_TRACE(testing::Message() << "settling " << (hindered % 2 ? "stopped" : "failing") << " at " << at);
            std::filesystem::remove_all(folder);
            std::filesystem::copy(stoppedState, folder, std::filesystem::copy_options::recursive);
            (hindered % 2 ? settleStop : settleFail) = at;
            LevelBrowser browser;
            LogCaptureBegin();
            browser.FillFromDirectory(folder.c_str());
            settleStop = settleFail = 0;
            if (hindered == 0) steps = settleSteps;
            if (hindered > 0) browser.FillFromDirectory(folder.c_str());
            LogCaptureEnd();
            const ScrollListEntry* listed = browser.GetSelected();
            EXPECT_TRUE(listed && strcmp(listed->name, "slot.sav") == 0) << "the save is listed";
            const std::string now = files();
            EXPECT_TRUE(now == old || now == fresh) << "the save is whole, old or new";
            EXPECT_EQ(now == fresh, c.failing.empty() && c.stop > 8) << "a switch stopped before its end is taken back";
            EXPECT_FALSE(std::filesystem::exists(folder + ".saving")) << "nothing is left half-way";
        }
    }
    // Stopped before the level went in, and the old level cannot be put back at the first
    // listing (something stands in its place): the next listing finishes the rollback.
    const std::string old = files();
    stop = 7;
    GetPlayerProfile()->credits = 222;
    EXPECT_FALSE(WriteSaveGame("slot"));
    stop = 0;
    ASSERT_TRUE(std::filesystem::create_directories(Path("slot", ".sav") + "/held"));
    LevelBrowser browser;
    LogCaptureBegin();
    browser.FillFromDirectory(folder.c_str());
    std::filesystem::remove_all(Path("slot", ".sav"));
    browser.FillFromDirectory(folder.c_str());
    LogCaptureEnd();
    EXPECT_EQ(files(), old);
    // What a stop left before saves marked their switch: the old files aside, the new level
    // still waiting. Loading puts the old save back.
    ASSERT_TRUE(std::filesystem::create_directory(folder + ".saving"));
    for (const char* extension : {".cgs", ".sav"})
        std::filesystem::rename(Path("slot", extension), folder + ".saving/slot.old" + extension);
    ASSERT_TRUE(WriteTextFile(folder + ".saving/slot.sav", "SCENE savefile Beta_1.1\n"));
    LogCaptureBegin();
    ReadSaveGame("slot");
    EXPECT_EQ(LogCaptureEnd().find("is incomplete"), std::string::npos);
    EXPECT_EQ(files(), old);
}

// What older builds left half-way (tests/data/bad-files/save-switch, made by the scripts
// there): a lone mark beside a whole save, or one file of a whole save kept aside with nothing
// in its place; or saves a profile deletion set aside, among them an older save of a name
// stopped half-way as it was saved over, while a later save of the name went into a new
// folder; or a merge of set-aside saves stopped after one file of a save went back. The next
// start and listing, load or save keeps the save whole, the later one. The merge's own
// settling, stopped after any of its steps or failing at it, is finished by the next reading
// with every save whole.
TEST_F(SaveGames, WhatOlderBuildsLeftHalfWayIsPutBackWhole)
{
    GetPlayerProfile()->credits = 222;
    ASSERT_TRUE(WriteSaveGame("fresh"));
    const std::string fresh = Files("fresh");
    ASSERT_TRUE(std::filesystem::create_directories(ProfilesFolder));
    ASSERT_TRUE(WriteTextFile(std::string(ProfilesFolder) + "/Pilot.cgs", "name\tPilot\n"));
    static int settleStop, settleFail, settleSteps;
    ScopedGlobal<SaveStep (*)(int)> settleHook(SettleStepHook, [](int step) {
        settleSteps = step;
        return step == settleStop ? SaveStep::Stop : step == settleFail ? SaveStep::Fail : SaveStep::Go;
    });
    const struct {
        const char* script;
        const char* more;       // the arguments after the save folder and the save, or the profile
        bool setAside = false;  // the arguments: the user folder, the profile, then the rest
        bool hindered = false;  // the settling stopped after each of its steps, and failing at each
    } states[] = {{"settle_lone_mark.sh", ""},
                  {"old_build_kept_file.sh", "cgs"},
                  {"old_build_kept_file.sh", "sav"},
                  {"old_build_kept_file.sh", "vis"},
                  {"merge_rolls_back_later_save.sh", "older slot", true},
                  {"merge_stopped_loses_save.sh", "slot", true, true}};
    const std::string saves = std::string(UserFolder) + "/savefiles";
    const std::string stoppedState = std::string(UserFolder) + "/stopped";
    enum Reading { LIST, LOAD, SAVE };
    for (const auto& state : states)
        for (Reading reading : {LIST, LOAD, SAVE}) {
            SCOPED_TRACE(testing::Message() << state.script << " " << state.more << ", reading " << reading);
            GetPlayerProfile()->credits = 333;
            ASSERT_TRUE(WriteSaveGame("older"));
            const std::string older = Files("older");
            GetPlayerProfile()->credits = 111;
            ASSERT_TRUE(WriteSaveGame("slot"));
            const std::string old = Files("slot");
            const std::string arguments = state.setAside ? "'" + std::string(UserFolder) + "' Pilot " + state.more
                                                         : "'" + folder + "' slot " + state.more;
            const std::string script = std::string("sh tests/data/bad-files/save-switch/") + state.script + " " +
                                       arguments + " >/dev/null 2>&1";
            ASSERT_EQ(system(script.c_str()), 0);
            std::filesystem::remove_all(stoppedState);
            std::filesystem::copy(saves, stoppedState, std::filesystem::copy_options::recursive);
            int steps = 0;
            for (int hindered = 0; hindered <= (state.hindered ? 2 * steps : 0); ++hindered) {
                const int at = (hindered + 1) / 2;
                SCOPED_TRACE(testing::Message() << "settling " << (hindered % 2 ? "stopped" : "failing") << " at "
                                                << at);
                std::filesystem::remove_all(saves);
                std::filesystem::copy(stoppedState, saves, std::filesystem::copy_options::recursive);
                settleSteps = 0;
                (hindered % 2 ? settleStop : settleFail) = at;
                GetPlayerProfile()->credits = 222;
                LogCaptureBegin();
                // The start's settling, hindered; then the reading's, as the next start would.
                SettleDeletedProfiles();
                settleStop = settleFail = 0;
                if (hindered == 0) steps = settleSteps;
                LevelBrowser browser;
                if (reading == LIST) {
                    SettleDeletedProfiles();
                    browser.FillFromDirectory(folder.c_str());
                }
                if (reading == LOAD) ReadSaveGame("slot");
                if (reading == SAVE) {
                    EXPECT_TRUE(WriteSaveGame("slot"));
                }
                LogCaptureEnd();
                EXPECT_TRUE(Files("slot") == (reading == SAVE ? fresh : old)) << "the save is whole";
                if (state.hindered) {
                    EXPECT_EQ(Files("older"), older) << "every save is whole";
                    EXPECT_EQ(Files("fresh"), fresh) << "every save is whole";
                }
                EXPECT_FALSE(std::filesystem::exists(folder + ".saving")) << "nothing is left half-way";
                EXPECT_FALSE(std::filesystem::exists(saves + "/Pilot.deleted"));
            }
            if (state.hindered) {
                EXPECT_GT(steps, 8) << "each file of the saves aside is a step";
            }
        }
}

// Deleting a profile takes every save of it with whatever a stopped save left aside (the
// states of tests/data/bad-files/save-switch, and a switch stopped after its mark): a new
// profile of that name lists none and loads none.
TEST_F(SaveGames, ADeletedProfileTakesItsSavesWithWhatTheyLeftAside)
{
    static int stop;
    ScopedGlobal<SaveStep (*)(int)> hook(SaveStepHook,
                                         [](int step) { return step == stop ? SaveStep::Stop : SaveStep::Go; });
    const struct {
        const char* script;  // or stopped at that step of the save's switch
        int stop;
    } states[] = {{"", 0}, {"deleted_profile_save_returns.sh", 0}, {"settle_lone_mark.sh", 0},
                  {"old_build_kept_file.sh", 0}, {"", 5}};
    for (const auto& state : states) {
        SCOPED_TRACE(testing::Message() << state.script << " " << state.stop);
        stop = 0;
        ASSERT_TRUE(WriteSaveGame("slot"));
        stop = state.stop;
        if (stop) {
            EXPECT_FALSE(WriteSaveGame("slot"));
        }
        stop = 0;
        if (*state.script) {
            const std::string script = std::string("sh tests/data/bad-files/save-switch/") + state.script + " '" +
                                       folder + "' slot >/dev/null 2>&1";
            ASSERT_EQ(system(script.c_str()), 0);
        }
        LogCaptureBegin();
        EXPECT_TRUE(DeleteProfileSaves("Pilot"));
        LevelBrowser browser;
        browser.FillFromDirectory(folder.c_str());
        EXPECT_FALSE(ReadSaveGame("slot"));
        LogCaptureEnd();
        EXPECT_EQ(browser.EntryCount(), 0);
        EXPECT_FALSE(std::filesystem::exists(folder));
    }
}

// A save whose profile gives its mission twice (tests/data/bad-files/saves/two_mission_lines.txt:
// a profile, a line "@@SAV@@", then its level), or gives it after another key's value on the
// same line (joined_mission_line.txt), is judged by the mission its load takes: the last
// line's as for every key, and a key wherever it stands. One without a mission is refused at
// once; one with a mission loads, and the game's own saves of it load again, written the same.
TEST_F(SaveGames, ASaveIsJudgedByTheMissionItsLoadTakes)
{
    auto galaxy = std::make_unique<Galaxy>();
    ScopedGlobal<Galaxy*> current{TheGalaxy, galaxy.get()};
    // A save's profile and level; the profile with one text put for another.
    auto save = [](const char* file, const std::string& from, const std::string& to) {
        const std::string text = ReadTextFile(std::string("tests/data/bad-files/saves/") + file);
        const size_t level = text.find("@@SAV@@\n");
        std::string profile = text.substr(0, level);
        const size_t at = profile.find(from);
        EXPECT_TRUE(level != std::string::npos && at != std::string::npos) << file;
        if (at != std::string::npos) profile.replace(at, from.size(), to);
        return std::make_pair(profile, level == std::string::npos ? std::string() : text.substr(level + 8));
    };
    const std::string twoLines = "currentMission\t0\ncurrentMission\t-1\n";
    const std::string joined = "credits\t500 currentMission -1\n";
    const struct {
        const char* missions;
        std::pair<std::string, std::string> save;
        bool loads;
    } cases[] = {
        {"0, then -1", save("two_mission_lines.txt", twoLines, twoLines), false},
        {"-1, then 0", save("two_mission_lines.txt", twoLines, "currentMission\t-1\ncurrentMission\t0\n"), true},
        {"-1 after the credits", save("joined_mission_line.txt", joined, joined), false},
        {"0 after the credits", save("joined_mission_line.txt", joined, "credits\t500 currentMission 0\n"), true},
    };
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missions);
        ASSERT_TRUE(WriteTextFile(Path("two", ".cgs"), c.save.first));
        ASSERT_TRUE(WriteTextFile(Path("two", ".sav"), c.save.second));
        GetPlayerProfile()->credits = 999;
        LogCaptureBegin();
        const bool loaded = ReadSaveGame("two");
        const std::string log = LogCaptureEnd();
        ASSERT_EQ(loaded, c.loads) << log;
        if (!loaded) {
            EXPECT_NE(log.find("is not in its galaxy"), std::string::npos);
            EXPECT_EQ(GetPlayerProfile()->credits, 999) << "the profile stays as it was";
            continue;
        }
        std::string saved[2];
        for (std::string& written : saved) {
            ASSERT_TRUE(WriteSaveGame("again"));
            written = ReadTextFile(Path("again", ".cgs"));
            LogCaptureBegin();
            const bool again = ReadSaveGame("again");
            const std::string againLog = LogCaptureEnd();
            EXPECT_TRUE(again) << againLog;
        }
        EXPECT_NE(saved[0].find("currentMission\t0\n"), std::string::npos);
        EXPECT_EQ(saved[1], saved[0]);
    }
}

// However many saves there are, the list holds the newest, the one just written among them; a
// name with dots of its own is that name, never the save before its first dot.
TEST_F(SaveGames, TheListKeepsTheNewestAndANameIsWhole)
{
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    const int count = 2 * LevelBrowser::MAX_SAVES;
    const auto now = std::filesystem::file_time_type::clock::now();
    std::set<std::string> newest;
    for (int i = 0; i < count; ++i) {
        char name[32];
        snprintf(name, sizeof name, "save%03d.sav", i);
        ASSERT_TRUE(WriteTextFile(folder + name, "SCENE savefile Beta_1.1\n"));
        // Every other save is of the last hours, the rest of days before.
        const bool recent = i % 2 == 1;
        std::filesystem::last_write_time(folder + name, now - std::chrono::hours(recent ? i : 1000 + i));
        if (recent) newest.insert(name);
    }
    ASSERT_EQ((int)newest.size(), LevelBrowser::MAX_SAVES);
    LevelBrowser browser;
    browser.FillFromDirectory(folder.c_str());
    ASSERT_EQ(browser.EntryCount(), LevelBrowser::MAX_SAVES);
    std::set<std::string> listed;
    for (auto* node = browser.entries->head; node; node = node->next) listed.insert(node->value->name);
    EXPECT_EQ(listed, newest);
    ASSERT_NE(browser.GetSelected(), nullptr);
    EXPECT_STREQ(browser.GetSelected()->name, "save001.sav") << "the newest first";

    // A save copied in under a name with dots is not the save of its first part: loading it
    // is refused, and "my" is not loaded instead.
    const struct {
        const char* name;
        const char* save;
    } names[] = {{"slot1", "slot1"}, {"slot1.sav", "slot1"}, {"SLOT1.SAV", "SLOT1"}, {"my.save.sav", "my.save"}};
    for (const auto& n : names) EXPECT_EQ(SaveBaseName(n.name), n.save) << n.name;
    ASSERT_TRUE(WriteSaveGame("my"));
    LogCaptureBegin();
    EXPECT_FALSE(ReadSaveGame(SaveBaseName("my.save.sav").c_str()));
    EXPECT_NE(LogCaptureEnd().find("There is no save of that name."), std::string::npos);
}

// A player's save "base" (tests/data/bad-files/saves): its profile and visited map, read and
// written again twice, come out the same the second time, and the map as it was.
TEST_F(SaveGames, TheProfileAndMapOfASaveWriteTheSameTwice)
{
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    const std::string source = "tests/data/bad-files/saves/base";
    PlayerProfile* profile = GetPlayerProfile();
    std::string written[2];
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::string from = round == 0 ? source : folder + "once";
        const std::string to = folder + (round == 0 ? "once" : "twice");
        ASSERT_TRUE(profile->Load((from + ".cgs").c_str(), false, true));
        ASSERT_TRUE(TheMinimap.LoadVisited((from + ".sav").c_str()));
        ASSERT_TRUE(profile->Save((to + ".cgs").c_str(), true));
        ASSERT_TRUE(TheMinimap.SaveVisited((to + ".sav").c_str()));
        written[round] = ReadTextFile(to + ".cgs") + ReadTextFile(to + ".vis");
    }
    EXPECT_EQ(written[1], written[0]);
    EXPECT_EQ(ReadTextFile(folder + "once.vis"), ReadTextFile(source + ".vis"));
}

TEST_F(SaveGames, ATypedNameNeverLeavesTheSaveFolder)
{
    const char* hostile[] = {"../../escape", "a/b", "a\\b", "", "..", "dot.name", "/etc/x", "C:x"};
    for (const char* name : hostile) {
        LogCaptureBegin();
        EXPECT_FALSE(WriteSaveGame(name)) << name;
        EXPECT_FALSE(ReadSaveGame(name)) << name;
        LogCaptureEnd();
    }
    // Nothing was written anywhere under the user folder but (at most) the empty save folder.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(UserFolder))
        EXPECT_TRUE(entry.is_directory()) << entry.path();
}

TEST(SaveGamePaths, TheProfileTakesTheLastExtensionOnlyAndTheDefaultNameTheTime)
{
    // The user folder under "~/.local/share" has a dot of its own.
    EXPECT_EQ(SaveProfilePath("/home/u/.local/share/Veldmark/savefiles/P/slot.sav"),
              "/home/u/.local/share/Veldmark/savefiles/P/slot.cgs");
    EXPECT_EQ(SaveProfilePath("/home/u/.local/share/Veldmark/savefiles/P/slot"),
              "/home/u/.local/share/Veldmark/savefiles/P/slot.cgs");
    struct tm when = {};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 9;
    when.tm_min = 7;
    when.tm_isdst = -1;
    EXPECT_EQ(DefaultSaveName(mktime(&when)), "savfile_0907_Mar_05_2024");
}

TEST_F(SaveGames, AnIncompleteSaveIsRefusedAndTheProfileStaysAsItWas)
{
    ASSERT_TRUE(WriteSaveGame("whole"));
    GetPlayerProfile()->credits = 999;
    const struct {
        const char* missing;
        const char* what;
    } cases[] = {{".cgs", "no profile"}, {".sav", "no level"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteSaveGame("broken"));
        std::filesystem::remove(Path("broken", c.missing));
        LogCaptureBegin();
        EXPECT_FALSE(ReadSaveGame("broken"));
        EXPECT_NE(LogCaptureEnd().find("is incomplete"), std::string::npos);
        EXPECT_EQ(GetPlayerProfile()->credits, 999);
        EXPECT_STREQ(GetPlayerProfile()->name, "Pilot");
    }
    // A whole save whose mission's body cannot be found (no galaxy) is refused the same way.
    LogCaptureBegin();
    EXPECT_FALSE(ReadSaveGame("whole"));
    EXPECT_NE(LogCaptureEnd().find("is not in its galaxy"), std::string::npos);
    EXPECT_EQ(GetPlayerProfile()->credits, 999);
}

}  // namespace
