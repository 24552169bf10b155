#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "campaign/RandomMission.h"
#include "host/Log.h"
#include "mechanics/Scene.h"
#include "platform/UserFolders.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"
#include "world/Agent.h"
#include "world/Item.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

struct ProfileFiles : ::testing::Test {
    void SetUp() override
    {
        folder = MakeTempFolder("profiles");
        snprintf(ProfilesFolder, sizeof ProfilesFolder, "%s", folder.c_str());
    }
    std::string Path(const char* name) { return folder + "/" + name + ".cgs"; }

    // The profiles folder of the test, and the program's back afterwards.
    struct RestoreFolder {
        char saved[256];
        RestoreFolder() { memcpy(saved, ProfilesFolder, sizeof saved); }
        ~RestoreFolder() { memcpy(ProfilesFolder, saved, sizeof saved); }
    } restoreFolder;
    std::string folder;
    ScopedGlobal<Galaxy*> noGalaxy{TheGalaxy, nullptr};
};

// A profile with every field the file keeps set to something other than a new one's.
void Fill(PlayerProfile& p)
{
    snprintf(p.name, sizeof p.name, "Ada Lovelace_2");
    p.AddExperience(1234);
    p.achievements = (1u << 3) | (1u << 17);
    p.backstoryCount = 4;
    p.credits = 987;
    snprintf(p.rigPaint, sizeof p.rigPaint, "camo");
    for (int i = 0; i < PROFILE_SKILLS; ++i) p.skills[i] = i + 1;
    p.skillPoints = 3;
    p.galaxySeed = 4242;
    for (int i = 0; i < PROFILE_STATISTICS; ++i) p.statistics[i] = 10 + i;
    p.oreGained = 321.5f;
    p.fuelGained = 12.5f;
    p.missionTime = 75.25f;
    p.ore = 150.0f;
    p.fuel = 40.0f;
    p.unitsInUse = 3;
    p.unitControl = 6;
    p.savedHealth = 420.5f;
    p.savedShields = 33.25f;
    p.SetMissionCompleted(0, true);
    p.SetMissionCompleted(37, true);
    p.SetMissionCompleted(127, true);
}

}  // namespace

TEST(LevelCurve, ThresholdsLevelsAndSpans)
{
    const int thresholds[] = {0,    100,  200,   500,   1000,  1700,  2600,  3700,  5000,  6500, 8200,
                              10100, 12200, 14500, 17000, 19700, 22600, 25700, 29000, 32500, 36200};
    for (int k = 0; k <= 20; ++k) EXPECT_EQ(LevelThreshold(k), thresholds[k]) << k;
    struct {
        int experience, level;
    } cases[] = {{0, 0}, {99, 0}, {100, 1}, {199, 1}, {200, 2}, {36199, 19}, {36200, 20}, {1000000, 20}, {-5, 0}};
    for (auto& c : cases) EXPECT_EQ(LevelFromExperience(c.experience), c.level) << c.experience;
    EXPECT_EQ(ExperienceForNextLevel(0), 100);
    EXPECT_EQ(ExperienceForNextLevel(3), 500);

    PlayerProfile p;
    p.AddExperience(450);
    ASSERT_EQ(p.level, 2);
    int points = p.skillPoints;
    p.AddExperience(600);
    EXPECT_EQ(p.level, 4);
    EXPECT_EQ(p.skillPoints - points, 4);
    EXPECT_EQ(p.levelSpan, 700);
}

TEST(Achievements, EarnedFromTheStatistics)
{
    PlayerProfile p;
    p.ClearCompletedMissions();
    p.enemiesKilled() = 12;
    p.statistics[PROFILE_STAT_RIG_KILLS] = 12;
    p.statistics[PROFILE_STAT_TURRET_KILLS] = 3;
    p.statistics[PROFILE_STAT_BARREL_KILLS] = 4;
    p.statistics[PROFILE_STAT_UNITS_PRODUCED] = 60;
    p.statistics[PROFILE_STAT_UNITS_LOST] = 5;
    p.maxUnitControl = 50;
    p.CheckUnlocks(true);
    EXPECT_TRUE(p.HasAchievement(6)) << "every kill by the rig";
    EXPECT_FALSE(p.HasAchievement(5)) << "not every kill by turrets";
    EXPECT_TRUE(p.HasAchievement(14));
    EXPECT_TRUE(p.HasAchievement(10)) << "55 bots kept reach the unit control's bound";
    EXPECT_FALSE(p.HasAchievement(8)) << "enemies were killed";
    EXPECT_FALSE(p.HasAchievement(15)) << "no journal to have read";
    EXPECT_FALSE(p.HasAchievement(2));

    // End-of-mission tests wait for the end.
    PlayerProfile q;
    q.CheckUnlocks(false);
    EXPECT_FALSE(q.HasAchievement(8));
    q.CheckUnlocks(true);
    EXPECT_TRUE(q.HasAchievement(8)) << "a mission without a kill";
    EXPECT_FALSE(q.HasAchievement(19)) << "no kills are not all cloaked kills";

    // During play the stock raises the highest ore and fuel, which pay at the end.
    PlayerProfile r;
    r.ore = 5001.7f;
    r.CheckUnlocks(false);
    EXPECT_EQ(r.statistics[PROFILE_STAT_HIGHEST_ORE], 5001);
    EXPECT_FALSE(r.HasAchievement(0));
    r.CheckUnlocks(true);
    EXPECT_TRUE(r.HasAchievement(0));

    int earned = 0, total = 0;
    PlayerProfile s;
    s.achievements = 0xFFFFFFFFu;
    s.CountAchievements(&earned, &total);
    EXPECT_EQ(earned, 25) << "bits 25 and above never count";
    EXPECT_EQ(total, 25);
    EXPECT_TRUE(s.HasAchievement(33)) << "taken modulo 32";
    EXPECT_EQ(s.FindStatistic("RIGKILLS"), &s.statistics[PROFILE_STAT_RIG_KILLS]);
    EXPECT_EQ(s.FindStatistic("no such"), nullptr);
}

TEST(ProfileNames, OnlyPlainNamesBecomeFiles)
{
    const char* good[] = {"Player 1", "a_b-c", "Z", "0123"};
    for (const char* name : good) EXPECT_TRUE(IsValidProfileName(name)) << name;
    std::string longName(PROFILE_NAME_SIZE, 'a');
    const char* bad[] = {"", "../evil", "a/b", "a\\b", "C:x", "dot.name", "tab\tname", "\xC3\xA9t\xC3\xA9",
                         "new\nline", longName.c_str()};
    for (const char* name : bad) EXPECT_FALSE(IsValidProfileName(name)) << name;
    EXPECT_FALSE(IsValidProfileName(nullptr));
    char path[MAX_PROFILE_PATH] = "x";
    EXPECT_FALSE(ProfilePath("../../outside", path, sizeof path));
    EXPECT_STREQ(path, "");
    ASSERT_TRUE(ProfilePath("Player 1", path, sizeof path));
    EXPECT_EQ(std::string(path), std::string(ProfilesFolder) + "/Player 1.cgs");
}

TEST(SaveNames, OnlyPlainNamesStayInTheProfilesSaveFolder)
{
    ScopedGlobal<char[256]> user(UserFolder);
    snprintf(UserFolder, sizeof UserFolder, "/home/u/Veldmark");
    char path[512] = "x";
    ASSERT_TRUE(SaveGamePath(path, sizeof path, "Pilot", "savfile_1234_Mar_05_2024"));
    EXPECT_STREQ(path, "/home/u/Veldmark/savefiles/Pilot/savfile_1234_Mar_05_2024.sav");
    ASSERT_TRUE(SaveGamePath(path, sizeof path, "Pilot", std::string(SAVE_NAME_LENGTH, 's').c_str()));

    const struct {
        const char* profile;
        const char* name;
    } refused[] = {
        {"Pilot", "../../../escape"}, {"Pilot", "a/b"},       {"Pilot", ""},     {"Pilot", nullptr},
        {"Pilot", "a\\b"},           {"Pilot", "dot.sav"},   {"Pilot", "C:x"},  {"../..", "slot"},
        {"", "slot"},                 {nullptr, "slot"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(std::string(c.profile ? c.profile : "(null)") + " / " + (c.name ? c.name : "(null)"));
        strcpy(path, "x");
        LogCaptureBegin();
        EXPECT_FALSE(SaveGamePath(path, sizeof path, c.profile, c.name));
        EXPECT_NE(LogCaptureEnd().find("is not a save name"), std::string::npos);
        EXPECT_STREQ(path, "");
    }
    std::string longName(SAVE_NAME_LENGTH + 1, 's');
    EXPECT_FALSE(IsValidSaveName(longName.c_str())) << "longer than the name box takes";
    char small[16];
    EXPECT_FALSE(SaveGamePath(small, sizeof small, "Pilot", "slot")) << "a path that does not fit";
}

TEST_F(ProfileFiles, WrittenAndReadBackEqual)
{
    PlayerProfile written;
    Fill(written);
    ASSERT_TRUE(written.Save(Path("first").c_str(), true));

    PlayerProfile read;
    ASSERT_TRUE(read.Load(Path("first").c_str(), false, true));
    EXPECT_STREQ(read.name, written.name);
    EXPECT_EQ(read.experience, written.experience);
    EXPECT_EQ(read.level, written.level);
    EXPECT_EQ(read.achievements, written.achievements);
    EXPECT_EQ(read.backstoryCount, 4);
    EXPECT_EQ(read.credits, 987);
    EXPECT_STREQ(read.rigPaint, "camo");
    for (int i = 0; i < PROFILE_SKILLS; ++i) EXPECT_EQ(read.skills[i], i + 1);
    EXPECT_EQ(read.skillPoints, written.skillPoints);
    EXPECT_EQ(read.galaxySeed, 4242);
    for (int i = 0; i < PROFILE_STATISTICS; ++i) EXPECT_EQ(read.statistics[i], 10 + i) << PROFILE_STATISTIC_KEYS[i];
    EXPECT_FLOAT_EQ(read.oreGained, 321.5f);
    EXPECT_FLOAT_EQ(read.missionTime, 75.25f);
    EXPECT_FLOAT_EQ(read.ore, 150.0f);
    EXPECT_EQ(read.unitsInUse, 3);
    EXPECT_EQ(read.unitControl, 6);
    EXPECT_FLOAT_EQ(read.savedHealth, 420.5f);
    EXPECT_FLOAT_EQ(read.savedShields, 33.25f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(read.completedMissions[i], written.completedMissions[i]);
    EXPECT_EQ(read.currentMissionId, -1) << "no body was selected";
    EXPECT_TRUE(read.flags & PROFILE_LOADED);

    // Written again, the file is the same to the byte.
    ASSERT_TRUE(read.Save(Path("second").c_str(), true));
    EXPECT_EQ(ReadTextFile(Path("first")), ReadTextFile(Path("second")));
}

TEST_F(ProfileFiles, OutsideAMissionOnlyThePlayersRecord)
{
    PlayerProfile p;
    snprintf(p.name, sizeof p.name, "quiet");
    ASSERT_TRUE(p.Save(Path("quiet").c_str(), false));
    std::string text = ReadTextFile(Path("quiet"));
    EXPECT_EQ(text.find("activeskillpoints"), std::string::npos);
    EXPECT_EQ(text.find("rigPaint"), std::string::npos);
    EXPECT_EQ(text.find("currentMission"), std::string::npos);
    EXPECT_EQ(text.find("resources"), std::string::npos);
    EXPECT_EQ(text.find("enemiesKilled"), std::string::npos);
    EXPECT_NE(text.find("MissionBlocks\t4 0 0 0 0\n"), std::string::npos) << text;
    // A new profile keeps its own seed, never 0.
    EXPECT_NE(text.find("galaxyseed\t-1\n"), std::string::npos) << text;
}

TEST_F(ProfileFiles, AFailedWriteKeepsTheOldProfile)
{
    PlayerProfile p;
    Fill(p);
    std::string path = Path("kept");
    ASSERT_TRUE(p.Save(path.c_str(), false));
    std::string before = ReadTextFile(path);
    // The temporary file cannot be made: the write fails and says so.
    ASSERT_EQ(mkdir((path + ".tmp").c_str(), 0700), 0);
    p.credits = 1;
    LogCaptureBegin();
    EXPECT_FALSE(p.Save(path.c_str(), false));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(ReadTextFile(path), before);
    rmdir((path + ".tmp").c_str());
    // And a folder that does not exist is no file.
    EXPECT_FALSE(p.Save((folder + "/missing/x.cgs").c_str(), false));
}

TEST_F(ProfileFiles, DamagedFilesGiveDefaultsAndALoggedError)
{
    struct {
        const char* text;
        const char* why;
    } cases[] = {
        {"", "empty"},
        {"name", "a key without a value"},
        {"experience\tlots\ncredits\t\t5", "a word for a number"},
        {"MissionBlocks\t6 1 2 3 4 5 6\n", "more blocks than there are"},
        {"MissionBlocks\t2000000000 ff", "a count that runs past the end"},
        {"skills\t1 2", "cut short"},
        {"item_stackCount\t5\nitem_upgradeDamage 3.5\n", "item lines without an item"},
        {"\x01\x02\xff\xfe garbage /* unterminated", "garbage"},
        {"name\t\t../../escape\ncredits 7", "a name that leaves the folder"},
        {"experience 2147483647\nunitsProduced 2147483647\nunitsLost -2147483648\nresources 1e30 -1e30 0 0",
         "numbers at the ends of their range"},
    };
    for (auto& c : cases) {
        std::string path = Path("damaged");
        ASSERT_TRUE(WriteTextFile(path, c.text));
        PlayerProfile p;
        LogCaptureBegin();
        EXPECT_TRUE(p.Load(path.c_str(), false, false)) << c.why;
        LogCaptureEnd();
        EXPECT_STREQ(p.name, "damaged") << c.why;
        EXPECT_GE(p.level, 0);
        // What the game does with a profile next stays within its numbers.
        p.AddExperience(1000);
        p.CheckUnlocks(false);
        p.CheckUnlocks(true);
    }
    PlayerProfile blocks;
    ASSERT_TRUE(WriteTextFile(Path("blocks"), "MissionBlocks\t6 1 2 3 4 5 6\ncredits 9\n"));
    ASSERT_TRUE(blocks.Load(Path("blocks").c_str(), false, false));
    EXPECT_EQ(blocks.completedMissions[0], 1u);
    EXPECT_EQ(blocks.completedMissions[3], 4u);
    EXPECT_EQ(blocks.credits, 9) << "the dropped words are not read as keys";

    PlayerProfile hostile;
    ASSERT_TRUE(WriteTextFile(Path("hostile"), "name\t\t../../escape\ncredits 7\n"));
    LogCaptureBegin();
    ASSERT_TRUE(hostile.Load(Path("hostile").c_str(), false, false));
    std::string log = LogCaptureEnd();
    EXPECT_STREQ(hostile.name, "hostile");
    EXPECT_NE(log.find("not a profile name"), std::string::npos) << log;
    EXPECT_EQ(hostile.credits, 7);

    PlayerProfile missing;
    missing.credits = 5;
    LogCaptureBegin();
    EXPECT_FALSE(missing.Load(Path("nobody").c_str(), false, false));
    log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR opening profile"), std::string::npos);
    EXPECT_EQ(missing.credits, 5) << "a file that cannot be opened changes nothing";
}

TEST_F(ProfileFiles, SavedAndLoadedByNameInTheProfilesFolder)
{
    PlayerProfile p;
    Fill(p);
    ASSERT_TRUE(p.SaveByName(false));
    struct stat info;
    EXPECT_EQ(stat(Path("Ada Lovelace_2").c_str(), &info), 0);
    PlayerProfile q;
    ASSERT_TRUE(q.LoadByName("Ada Lovelace_2"));
    EXPECT_EQ(q.credits, 987);
    EXPECT_FALSE(q.LoadByName("../Ada Lovelace_2"));
    snprintf(p.name, sizeof p.name, "../../x");
    EXPECT_FALSE(p.SaveByName(false));
}

// A mission starts with the rig whole, its hull at the maximum its platings give it: a new
// mission, and a loaded game saved without a hull; a loaded game goes on frozen and cloaked as
// long as it was saved, a new mission's rig is neither.
TEST(ProfileReset, TheRigStartsAMissionWholeWithWhatItCarries)
{
    PlayerProfile p;
    p.rig = new Agent();
    p.rig->SetMaxHealth(300.0f);
    p.rig->maxShield = 100.0f;
    std::unique_ptr<Item> platings[2];
    for (auto& plating : platings) {
        plating = std::make_unique<Item>();
        plating->upgradeFlags = ITEM_UPGRADE_HULL;
        plating->bonus[ITEM_BONUS_HULL] = 20.0f;
    }
    const struct {
        int platings;
        bool restore;
        float hull;
    } table[] = {{0, false, 300.0f}, {1, false, 360.0f}, {2, false, 420.0f}, {2, true, 420.0f}};
    for (const auto& c : table) {
        SCOPED_TRACE(testing::Message() << c.platings << " platings" << (c.restore ? ", loaded" : ""));
        for (int slot = 0; slot < 2; ++slot) p.rig->EquipItem(slot < c.platings ? platings[slot].get() : nullptr, slot);
        p.rig->health = 300.0f;  // as a mission left it, or the last one saved
        p.rig->shield = 3.0f;
        p.savedHealth = 0.0f;
        p.savedShields = 40.0f;
        p.ResetForMission(200.0f, 0.0f, c.restore);
        EXPECT_FLOAT_EQ(p.rig->GetMaxHealth(), c.hull);
        EXPECT_FLOAT_EQ(p.rig->health, c.hull);
        EXPECT_FLOAT_EQ(p.rig->shield, c.restore ? 40.0f : 100.0f);
    }

    p.freezeTime = 2.5f;
    p.cloakedTime = 7.25f;
    p.ResetForMission(200.0f, 0.0f, true);
    p.rig->ResetLevelState();  // the level starts
    p.RestoreRigTimers();
    EXPECT_FLOAT_EQ(p.rig->freezeTime, 2.5f);
    EXPECT_FLOAT_EQ(p.rig->cloakTime, 7.25f);
    EXPECT_TRUE(p.rig->classWord & AGENT_CLOAKED);
    p.ResetForMission(200.0f, 0.0f, false);
    p.rig->ResetLevelState();
    p.RestoreRigTimers();
    EXPECT_FLOAT_EQ(p.rig->freezeTime, 0.0f);
    EXPECT_FLOAT_EQ(p.rig->cloakTime, 0.0f);
    EXPECT_FALSE(p.rig->classWord & AGENT_CLOAKED);
    for (int slot = 0; slot < 2; ++slot) p.rig->UnequipItem(slot);
}

TEST(ProfileReset, MissionStartAndClear)
{
    PlayerProfile p;
    p.rig = new Agent();
    p.rig->maxHealth = 500.0f;
    p.rig->health = 10.0f;
    p.rig->maxShield = 50.0f;
    p.rig->kills = 9;
    p.baseUnitControl = 4;
    p.unitControl = 1;
    p.enemiesKilled() = 7;
    p.statistics[PROFILE_STAT_RIG_KILLS] = 3;
    p.ResetForMission(200.0f, 0.0f, false);
    EXPECT_EQ(p.unitControl, 4);
    EXPECT_FLOAT_EQ(p.ore, 200.0f);
    EXPECT_EQ(p.enemiesKilled(), 0);
    EXPECT_EQ(p.rig->kills, 0);
    EXPECT_EQ(p.statistics[PROFILE_STAT_RIG_KILLS], 0) << "the results count this mission's, as the panel does";
    EXPECT_FLOAT_EQ(p.rig->health, 500.0f);
    EXPECT_FLOAT_EQ(p.rig->shield, 50.0f);
    EXPECT_FALSE(p.rig->flags & ENTITY_SHIELD);

    p.statistics[PROFILE_STAT_RIG_KILLS] = 3;
    p.savedHealth = 0.0f;
    p.savedShields = 12.0f;
    p.rig->health = 1.0f;
    p.ResetForMission(0.0f, 0.0f, true);
    EXPECT_EQ(p.rig->kills, 3);
    EXPECT_FLOAT_EQ(p.rig->health, 500.0f) << "no saved health: the maximum";
    EXPECT_FLOAT_EQ(p.rig->shield, 12.0f);

    p.credits = 5;
    p.SetMissionCompleted(3, true);
    p.galaxySeed = 77;
    p.Clear();
    EXPECT_STREQ(p.name, "none");
    EXPECT_EQ(p.credits, 0);
    EXPECT_FALSE(p.IsMissionCompleted(3));
    EXPECT_EQ(p.galaxySeed, -1);
    EXPECT_EQ(p.unitControl, 2);
    EXPECT_STREQ(p.rigPaint, "none");
}

TEST_F(ProfileFiles, EveryTruncationOfAProfileLoads)
{
    PlayerProfile full;
    Fill(full);
    ASSERT_TRUE(full.Save(Path("whole").c_str(), true));
    const std::string text = ReadTextFile(Path("whole"));
    ASSERT_GT(text.size(), 200u);
    for (size_t length = 0; length < text.size(); ++length) {
        ASSERT_TRUE(WriteTextFile(Path("cut"), text.substr(0, length)));
        PlayerProfile p;
        LogCaptureBegin();
        ASSERT_TRUE(p.Load(Path("cut").c_str(), false, true)) << length;
        LogCaptureEnd();
        ASSERT_TRUE(IsValidProfileName(p.name)) << length;
        ASSERT_GE(p.level, 0);
        ASSERT_LE(p.level, PROFILE_LEVEL_MAX);
    }
}
