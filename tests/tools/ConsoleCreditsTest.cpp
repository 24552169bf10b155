// The developer console's "credits" lines from a damaged command file: the purse stops at the
// ends of its number however often a huge amount is added or taken.
#include "tools/Console.h"

#include "campaign/PlayerProfile.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

TEST(ConsoleCredits, HugeAmountsStopAtThePursesEnds)
{
    PlayerProfile* profile = GetPlayerProfile();
    ASSERT_NE(profile, nullptr);
    ScopedGlobal<int> credits(profile->credits, 500);
    ScopedGlobal<ConsoleHistory> history(TheConsoleHistory, ConsoleHistory());

    const std::string lines = ReadTextFile("tests/data/bad-files/console/credits_int_max.txt");
    ASSERT_FALSE(lines.empty());
    std::istringstream in(lines);
    int replayed = 0;
    for (std::string line; std::getline(in, line); ++replayed) RunConsoleLine(line.c_str());
    ASSERT_GT(replayed, 0);
    EXPECT_EQ(profile->credits, INT_MAX) << "500 and the largest amount stop at the top";

    struct Step {
        const char* line;
        int expected;
    } const steps[] = {
        {"credits 2147483647", INT_MAX},
        {"credits -2147483647", 0},
        {"credits -2147483647", -INT_MAX},
        {"credits -2147483647", INT_MIN},
        {"credits 5", INT_MIN + 5},
    };
    for (const Step& step : steps) {
        RunConsoleLine(step.line);
        EXPECT_EQ(profile->credits, step.expected) << step.line;
    }
}
