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
#include <vector>

namespace {

// The source text with comments and string, raw string and character literals blanked out, so
// that only real calls are found.
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
        } else if (out.compare(i, 2, "R\"") == 0 && (i == 0 || !(std::isalnum((unsigned char)out[i - 1]) || out[i - 1] == '_'))) {
            // A raw string (shader text): R"delimiter( ... )delimiter"
            size_t open = out.find('(', i + 2);
            std::string close = open == std::string::npos ? "" : ")" + out.substr(i + 2, open - i - 2) + "\"";
            size_t end = open == std::string::npos ? std::string::npos : out.find(close, open);
            end = end == std::string::npos ? out.size() : end + close.size();
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

struct Call {
    std::string path;
    int line;
    std::string name;
};

// Every call of one of the named free functions in the sources below the folders. Members of our
// own records (x.random(), p->rand()) are not the library's.
std::vector<Call> CallsOf(const std::vector<std::string>& folders, const std::vector<std::string>& banned, int* scanned)
{
    auto isWord = [](char c) { return std::isalnum((unsigned char)c) || c == '_'; };
    std::vector<Call> calls;
    for (const std::string& path : SourceFiles(folders)) {
        std::string code = CodeOnly(ReadTextFile(SourcePath(path)));
        for (size_t i = 0; i < code.size();) {
            if (!isWord(code[i])) {
                ++i;
                continue;
            }
            size_t start = i;
            while (i < code.size() && isWord(code[i])) ++i;
            std::string word = code.substr(start, i - start);
            if (start > 0 && (code[start - 1] == '.' || code[start - 1] == '>')) continue;
            if (std::find(banned.begin(), banned.end(), word) == banned.end()) continue;
            size_t next = i;
            while (next < code.size() && std::isspace((unsigned char)code[next])) ++next;
            if (next < code.size() && code[next] == '(')
                calls.push_back({path, 1 + int(std::count(code.begin(), code.begin() + start, '\n')), word});
        }
        ++*scanned;
    }
    return calls;
}

}  // namespace

// Levels and galaxies must come out the same from a seed on every machine, so every draw goes
// through Rand(); the C library's generator (and anything built on it) must not creep in.
TEST(Random, NoGameCodeCallsTheLibraryGenerator)
{
    int scanned = 0;
    for (const Call& c : CallsOf({"app", "host", "platform", "render", "terrain", "world", "mechanics", "levelgen",
                                  "gui", "interface", "campaign", "tools", "content"},
                                 {"rand", "srand", "rand_r", "random", "srandom", "drand48", "random_shuffle"}, &scanned))
        ADD_FAILURE() << c.path << ":" << c.line << " calls " << c.name << "(); use Rand() from host/Random.h";
    EXPECT_GT(scanned, 0) << "no sources below " << SourcePath("");
}

// The C library's sines, exponentials and powers differ in the last bit from one processor to
// the next, and so would the game; the asset generators may use them.
TEST(SteadyMath, NoGameCodeCallsTheLibraryMaths)
{
    std::vector<std::string> banned;
    for (const char* name : {"sin", "cos", "tan", "asin", "acos", "atan", "atan2", "sinh", "cosh", "tanh", "asinh",
                             "acosh", "atanh", "exp", "exp2", "exp10", "expm1", "log", "log2", "log10", "log1p",
                             "pow", "cbrt", "sincos", "erf", "erfc", "tgamma", "lgamma"})
        for (const char* suffix : {"", "f", "l"}) banned.push_back(std::string(name) + suffix);
    int scanned = 0;
    for (const Call& c : CallsOf({"app", "host", "platform", "render", "terrain", "world", "mechanics", "levelgen",
                                  "drawing", "gui", "interface", "campaign", "tools"},
                                 banned, &scanned))
        ADD_FAILURE() << c.path << ":" << c.line << " calls " << c.name << "(); use host/SteadyMath.h";
    EXPECT_GT(scanned, 0) << "no sources below " << SourcePath("");
}

// What is only drawn or heard is drawn as often as the machine manages: it must never take
// from the two sequences a level runs on, only from the cosmetic generator.
TEST(Random, WhatIsOnlySeenOrHeardDrawsFromTheCosmeticGenerator)
{
    const std::vector<std::string> lookOnly = {"world/DebrisField.cpp", "terrain/Water.cpp",
                                               "terrain/TerrainLayers.cpp", "interface/LoadingScreen.cpp",
                                               "platform/MusicPlayer.cpp", "campaign/MissionScreen.cpp"};
    int scanned = 0;
    for (const Call& c : CallsOf({"render", "drawing", "world", "terrain", "mechanics", "interface", "platform", "campaign"},
                                 {"Rand", "RandomInt", "RandomFloat", "RandomFloatMWC", "NextRandomMWC", "ShuffleVec3",
                                  "RandomPermutation", "RandomPointAround", "RandomPointOnCircle"},
                                 &scanned)) {
        const bool drawn = c.path.compare(0, 7, "render/") == 0 || c.path.compare(0, 8, "drawing/") == 0 ||
                           std::find(lookOnly.begin(), lookOnly.end(), c.path) != lookOnly.end();
        if (drawn) ADD_FAILURE() << c.path << ":" << c.line << " calls " << c.name << "(); use CosmeticRandom()";
    }
    EXPECT_GT(scanned, 0);
}
