#include "host/Random.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(Random, SequencesOfKnownSeeds)
{
    // state = state x 214013 + 2531011 (mod 2^32), value = (state >> 16) & 0x7FFF.
    // Seed 0 by hand: 2531011 >> 16 = 38; 2531011 x 214013 + 2531011 = 541671788154,
    // mod 2^32 = 505908858, >> 16 = 7719; next state 3539360597, >> 16 = 54006, & 0x7FFF = 21238.
    struct Case {
        unsigned seed;
        int values[5];
        int count;
    };
    const Case cases[] = {
        {1, {41, 18467, 6334, 26500, 19169}, 5},
        {0, {38, 7719, 21238}, 3},
    };
    for (const Case& c : cases) {
        SRand(c.seed);
        for (int i = 0; i < c.count; ++i) EXPECT_EQ(Rand(), c.values[i]) << "seed " << c.seed << " value " << i;
    }
}

TEST(Random, StaysInFifteenBitsAndRepeatsPerSeed)
{
    SRand(12345);
    int first[100];
    for (int& v : first) {
        v = Rand();
        EXPECT_GE(v, 0);
        EXPECT_LE(v, RANDOM_MAX);
    }
    SRand(12345);
    for (int v : first) EXPECT_EQ(Rand(), v);
}

#include <algorithm>
#include <cctype>
#include <string>

namespace {

// The source text with comments and string and character literals blanked out, so that only
// real calls are found.
std::string CodeOnly(const std::string& text)
{
    std::string out = text;
    size_t i = 0;
    while (i < out.size()) {
        if (out.compare(i, 2, "//") == 0) {
            while (i < out.size() && out[i] != '\n') out[i++] = ' ';
        } else if (out.compare(i, 2, "/*") == 0) {
            size_t end = out.find("*/", i + 2);
            end = end == std::string::npos ? out.size() : end + 2;
            for (; i < end; ++i)
                if (out[i] != '\n') out[i] = ' ';
        } else if (out[i] == '"' || out[i] == '\'') {
            char quote = out[i++];
            while (i < out.size() && out[i] != quote && out[i] != '\n') {
                if (out[i] == '\\' && i + 1 < out.size()) out[i++] = ' ';
                out[i++] = ' ';
            }
            ++i;
        } else {
            ++i;
        }
    }
    return out;
}

}  // namespace

// Levels and galaxies must come out the same from a seed on every machine, so every draw goes
// through Rand(); the C library's generator (and anything built on it) must not creep in.
TEST(Random, NoGameCodeCallsTheLibraryGenerator)
{
    const char* banned[] = {"rand", "srand", "rand_r", "random", "srandom", "drand48", "random_shuffle"};
    auto isWord = [](char c) { return std::isalnum((unsigned char)c) || c == '_'; };
    int scanned = 0;
    for (const std::string& path : SourceFiles({"app", "host", "platform", "render", "terrain", "world", "mechanics",
                                                "levelgen", "gui", "interface", "campaign", "tools", "content"})) {
        std::string code = CodeOnly(ReadTextFile(SourcePath(path)));
        for (size_t i = 0; i < code.size();) {
            if (!isWord(code[i])) {
                ++i;
                continue;
            }
            size_t start = i;
            while (i < code.size() && isWord(code[i])) ++i;
            std::string word = code.substr(start, i - start);
            // Members of our own records (x.random(), p->rand()) are not the library's.
            if (start > 0 && (code[start - 1] == '.' || code[start - 1] == '>')) continue;
            if (std::find(std::begin(banned), std::end(banned), word) == std::end(banned)) continue;
            size_t next = i;
            while (next < code.size() && std::isspace((unsigned char)code[next])) ++next;
            if (next < code.size() && code[next] == '(') {
                int line = 1 + int(std::count(code.begin(), code.begin() + start, '\n'));
                ADD_FAILURE() << path << ":" << line << " calls " << word << "(); use Rand() from host/Random.h";
            }
        }
        ++scanned;
    }
    EXPECT_GT(scanned, 0) << "no sources below " << SourcePath("");
}
