// The developer console's line handling: which command a line runs and with what argument, the
// numbers it reads, the history, and commands that change the profile, the light and the
// switches.
#include "tools/Console.h"
#include "mechanics/GameRender.h"

#include "campaign/PlayerProfile.h"
#include "host/System.h"
#include "platform/UserFolders.h"
#include "render/Effect.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"
#include "world/Building.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

namespace {

int IndexOf(const char* word)
{
    for (int i = 0; i < ConsoleCommandCount(); ++i)
        if (strcmp(ConsoleCommandWord(i), word) == 0) return i;
    return -1;
}

std::string Matched(const char* line, std::string* argument = nullptr)
{
    const char* rest = nullptr;
    int index = MatchConsoleCommand(line, &rest);
    if (argument) *argument = rest ? rest : "<none>";
    return index < 0 ? "<none>" : ConsoleCommandWord(index);
}

TEST(Console, WordsMatchInTheirOrderWholeOrAsPrefixWithoutCase)
{
    EXPECT_EQ(ConsoleCommandCount(), 82);
    // Words sharing a beginning: the longer is tested first, or the shorter catches both.
    for (auto pair : {std::make_pair("animcam", "anims"), std::make_pair("growthdef", "growth"),
                      std::make_pair("shadowsize", "shaders"), std::make_pair("allkill", "all")})
        EXPECT_LT(IndexOf(pair.first), IndexOf(pair.second)) << pair.first;

    struct Case {
        const char* line;
        const char* command;
        const char* argument;
    };
    const Case cases[] = {
        {"quit", "quit", "<none>"},         {"QUIT", "quit", "<none>"},
        {"quit now", "<none>", "<none>"},  // a whole word takes nothing after it
        {"ore", "ore", "<none>"},           {"ore 5", "ore", "5"},
        {"oreabc", "ore", "bc"},            // the character after the word is skipped, whatever it is
        {"ANIMCAM 2", "animcam", "2"},      {"anims", "anims", "<none>"},
        {"growthdef tree", "growthdef", "tree"}, {"growth tree", "growth", "tree"},
        {"allkill", "allkill", "<none>"},   {"all", "all", "<none>"},
        {"setsunx 1", "setsun", " 1"},      {"setsun", "setsun", "<none>"},
        {"nothing", "<none>", "<none>"},    {"", "<none>", "<none>"},
    };
    for (const Case& c : cases) {
        std::string argument;
        EXPECT_EQ(Matched(c.line, &argument), c.command) << c.line;
        EXPECT_EQ(argument, c.argument) << c.line;
    }
}

TEST(Console, IntegerArgumentsFollowTheWordInAnyCase)
{
    EXPECT_EQ(GetIntArg("credits 5", "credits", 1000), 5);
    EXPECT_EQ(GetIntArg("CREDITS 5", "credits", 1000), 5) << "the word matches without case, so does its number";
    EXPECT_EQ(GetIntArg("credits", "credits", 1000), 1000);
    EXPECT_EQ(GetIntArg("ore 5", "credits", 1000), 1000);
    EXPECT_EQ(GetIntArg("creditsxyz", "credits", 1000), 0) << "no digits read as 0";
}

TEST(Console, NumbersOfAnyLengthAreReadWithinTheirBuffer)
{
    float values[3] = {-1.0f, -1.0f, -1.0f};
    EXPECT_EQ(ParseConsoleNumbers(" 0.5\t0.25\n1 7", values, 3), 3);
    EXPECT_FLOAT_EQ(values[0], 0.5f);
    EXPECT_FLOAT_EQ(values[1], 0.25f);
    EXPECT_FLOAT_EQ(values[2], 1.0f);

    // A number of 200 characters is read from its first 47 (no overrun under the sanitizers).
    std::string longNumber = "0." + std::string(198, '5');
    EXPECT_EQ(ParseConsoleNumbers(longNumber.c_str(), values, 3), 1);
    EXPECT_NEAR(values[0], 0.5555555f, 1e-6f);
    EXPECT_EQ(ParseConsoleNumbers("", values, 3), 0);
    EXPECT_EQ(ParseConsoleNumbers(nullptr, values, 3), 0);
}

TEST(Console, HistoryKeepsSixtyFourLinesAndBrowsesThemInACircle)
{
    ConsoleHistory history;
    std::string longLine(200, 'x');
    history.Remember(longLine.c_str());
    EXPECT_EQ(strlen(history.lines[1]), 63u) << "cut to 63 characters";
    for (int i = 2; i <= 65; ++i) history.Remember(("line " + std::to_string(i)).c_str());
    EXPECT_EQ(history.count, 64);
    EXPECT_STREQ(history.lines[64], "line 65") << "the 65th line replaces the 64th";
    EXPECT_STREQ(history.lines[63], "line 63");
    EXPECT_EQ(history.browse, 64);

    // Up from the end: 63 shows entry 64, then back through the entries.
    EXPECT_STREQ(history.Step(true), "line 65");
    EXPECT_STREQ(history.Step(true), "line 63");
    // Down past the last entry wraps to the first.
    EXPECT_STREQ(history.Step(false), "line 65");
    EXPECT_STREQ(history.Step(false), longLine.substr(0, 63).c_str());
    // Up below the first wraps to the last.
    EXPECT_STREQ(history.Step(true), "line 65");

    ConsoleHistory empty;
    EXPECT_EQ(empty.Step(true), nullptr);
}

TEST(Console, LinesChangeTheProfileAndTheSwitches)
{
    PlayerProfile* profile = GetPlayerProfile();
    ASSERT_NE(profile, nullptr);
    ScopedGlobal<int> credits(profile->credits, 0);
    ScopedGlobal<float> ore(profile->ore, 0.0f);
    ScopedGlobal<float> oreGained(profile->oreGained, 0.0f);
    ScopedGlobal<bool> instant(InstantBuild, false);
    ScopedGlobal<bool> collision(ShowCollisionVolumes, false);
    ScopedGlobal<ConsoleHistory> history(TheConsoleHistory, ConsoleHistory());

    RunConsoleLine("credits 5");
    EXPECT_EQ(profile->credits, 5);
    RunConsoleLine("CREDITS 7");
    EXPECT_EQ(profile->credits, 12) << "the amount is read whatever the word's case";
    RunConsoleLine("credits");
    EXPECT_EQ(profile->credits, 1012);

    RunConsoleLine("ore");
    EXPECT_FLOAT_EQ(profile->ore, 100.0f);
    RunConsoleLine("ore 5");
    EXPECT_FLOAT_EQ(profile->ore, 105.0f);
    RunConsoleLine("oreabc");
    EXPECT_FLOAT_EQ(profile->ore, 105.0f);

    EXPECT_EQ(RunConsoleLine("instabuild"), IndexOf("instabuild"));
    EXPECT_TRUE(InstantBuild);
    RunConsoleLine("instabuild");
    EXPECT_FALSE(InstantBuild);
    RunConsoleLine("collision");
    EXPECT_TRUE(ShowCollisionVolumes);

    // An argument the command needs: the bare word does nothing (and does not crash).
    EXPECT_EQ(RunConsoleLine("drop"), IndexOf("drop"));
    EXPECT_EQ(RunConsoleLine("no such command"), -1);
    EXPECT_EQ(TheConsoleHistory.count, 11) << "every line is remembered, matched or not";
}

TEST(Console, SetSunReadsItsNumberAfterTheAxis)
{
    ScopedGlobal<Vec4> light(EffectValues.lightDirection, Vec4(0.0f, -1.0f, 0.0f, 0.0f));
    // The light travels the negated sun direction: sun (0, 1, 0), z becomes 1.
    RunConsoleLine("setsun 1");
    const float half = 1.0f / std::sqrt(2.0f);
    EXPECT_NEAR(EffectValues.lightDirection.y, -half, 1e-5f);
    EXPECT_NEAR(EffectValues.lightDirection.z, -half, 1e-5f) << "the blank stands in for the axis: z";

    EffectValues.lightDirection = Vec4(0.0f, -1.0f, 0.0f, 0.0f);
    RunConsoleLine("setsunz 1");
    EXPECT_NEAR(EffectValues.lightDirection.z, -half, 1e-5f);

    EffectValues.lightDirection = Vec4(0.0f, -1.0f, 0.0f, 0.0f);
    RunConsoleLine("setsunx -1");
    EXPECT_NEAR(EffectValues.lightDirection.x, half, 1e-5f);
    EXPECT_NEAR(EffectValues.lightDirection.y, -half, 1e-5f);
}

TEST(Console, AmbientTakesUpToThreeNumbers)
{
    ScopedGlobal<Vec4> ambient(EffectValues.ambient, Vec4(0.1f, 0.2f, 0.3f, 1.0f));
    RunConsoleLine("ambient 0.5 0.6");
    EXPECT_FLOAT_EQ(EffectValues.ambient.x, 0.5f);
    EXPECT_FLOAT_EQ(EffectValues.ambient.y, 0.6f);
    EXPECT_FLOAT_EQ(EffectValues.ambient.z, 0.3f) << "a colour not given stays";
    std::string line = "ambient " + std::string(120, '1');
    RunConsoleLine(line.c_str());
    EXPECT_GT(EffectValues.ambient.x, 1e30f) << "read from its first 47 digits";
}

TEST(Console, SaveSceneWritesOnlyIntoTheSaveFolder)
{
    const std::string base = MakeTempFolder("console-save");
    ScopedGlobal<char[256]> folder(UserFolder);
    CopyText(UserFolder, sizeof UserFolder, (base + "/user").c_str());
    for (const char* line : {"savescene ../escaped.txt", "savescene ..\\escaped.txt", "savescene /tmp/escaped.txt"})
        RunConsoleLine(line);
    EXPECT_FALSE(std::ifstream(base + "/escaped.txt").good());
    EXPECT_FALSE(std::ifstream("/tmp/escaped.txt").good());
}

}  // namespace
