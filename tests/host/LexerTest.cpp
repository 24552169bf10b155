// The one lexer under each format's rules: what every reader of the game's text files sees.
#include "host/Lexer.h"

#include "host/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The tokens of a text joined with "|".
std::string Tokens(const std::string& text, const LexerRules& rules)
{
    Lexer in(text.data(), text.size(), rules, "test");
    std::string joined;
    for (const char* token = in.Next(); token; token = in.Next()) {
        if (!joined.empty()) joined += "|";
        joined += token;
    }
    return joined;
}

}  // namespace

TEST(Lexer, EachFormatSplitsItsTextByItsOwnRules)
{
    struct Case {
        const char* format;
        const LexerRules& rules;
        const char* text;
        const char* tokens;
    };
    const Case cases[] = {
        // Scripts: both comment kinds; a "*/" with no comment open is a word; an end marker
        // inside a comment is commented out.
        {"script", SCRIPT_RULES, "A /* x */ B // c \"q\" d\nC", "A|B|C"},
        {"script", SCRIPT_RULES, "A foo/* B */ C", "A|foo/*|B|*/|C"},
        {"script", SCRIPT_RULES, "/* END_OF_FILE */ A end_of_file B", "A"},
        {"script", SCRIPT_RULES, "A // old Mac line\rB", "A|B"},
        {"script", SCRIPT_RULES, "\"two words\" EOF", "\"two|words\"|EOF"},
        // String tables: markers are always passed over, and the end marker ends even a comment.
        {"strings", STRING_TABLE_RULES, "*/ A /* x END_OF_FILE */ B", "A"},
        {"strings", STRING_TABLE_RULES, "<t> a // b\nc", "<t>|a|c"},
        // Configuration: quoted texts, no line comments, two end markers in any case.
        {"config", CONFIG_RULES, "  one\t\"two words\"\r\nthree\"four\" \"open quote",
         "one|two words|three\"four\"|open quote"},
        {"config", CONFIG_RULES, " \n\t", ""},
        {"config", CONFIG_RULES, "A /* B Eof */ C", "A"},
        {"config", CONFIG_RULES, "A */ B // C", "A|B|//|C"},
        {"config", CONFIG_RULES, "profile \"EOF\" after \"/*\" end", "profile|EOF|after|/*|end"},
        {"config", CONFIG_RULES, "\"a\"b", "a|b"},
        // Mesh and animation text: lexed as the configuration is.
        {"model", MODEL_RULES, "Version 1 /* END_OF_FILE */ vert", "Version|1"},
        {"model", MODEL_RULES, "texture \"my rock.dds\" EOF mesh", "texture|my rock.dds"},
        // Particles: bare words; their reader knows its own end markers.
        {"particle", PARTICLE_RULES, "A /* B */ END_OF_FILE \"q r\" // s", "A|/*|B|*/|END_OF_FILE|\"q|r\"|//|s"},
        {"words", WORD_RULES, "@vertex \f main\v// x", "@vertex|main|//|x"},
    };
    for (const Case& c : cases) EXPECT_EQ(Tokens(c.text, c.rules), c.tokens) << c.format << ": " << c.text;
}

TEST(Lexer, NumbersFollowTheFormatsNumberRule)
{
    struct Case {
        const char* format;
        const LexerRules& rules;
        const char* token;
        int low, high;
        NumberStatus intStatus;
        int intValue;
        NumberStatus floatStatus;
        float floatValue;
    };
    const NumberStatus OK = NumberStatus::OK, NAN_ = NumberStatus::NOT_A_NUMBER, OUT = NumberStatus::OUT_OF_RANGE,
                       MISSING = NumberStatus::MISSING;
    const Case cases[] = {
        // The configuration wants the whole token to be the number, and no exponents.
        {"config", CONFIG_RULES, "12", INT_MIN, INT_MAX, OK, 12, OK, 12.0f},
        {"config", CONFIG_RULES, "-7", INT_MIN, INT_MAX, OK, -7, OK, -7.0f},
        {"config", CONFIG_RULES, "12a", INT_MIN, INT_MAX, NAN_, 0, NAN_, 0.0f},
        {"config", CONFIG_RULES, "1e5", INT_MIN, INT_MAX, NAN_, 0, NAN_, 0.0f},
        {"config", CONFIG_RULES, "3,5", INT_MIN, INT_MAX, NAN_, 0, NAN_, 0.0f},
        {"config", CONFIG_RULES, "0.5", INT_MIN, INT_MAX, NAN_, 0, OK, 0.5f},
        {"config", CONFIG_RULES, "99999999999", INT_MIN, INT_MAX, OUT, INT_MAX, OK, 99999999999.0f},
        {"config", CONFIG_RULES, "-99999999999", INT_MIN, INT_MAX, OUT, INT_MIN, OK, -99999999999.0f},
        {"config", CONFIG_RULES, "7", 0, 2, OUT, 2, OUT, 2.0f},
        {"config", CONFIG_RULES, "abc", 10, 100, NAN_, 10, NAN_, 10.0f},
        {"config", CONFIG_RULES, "", 10, 100, MISSING, 10, MISSING, 10.0f},
        // Models and particles read the number a token starts with, exponents too.
        {"model", MODEL_RULES, "3x", INT_MIN, INT_MAX, OK, 3, OK, 3.0f},
        {"model", MODEL_RULES, "1.9e1", INT_MIN, INT_MAX, OK, 1, OK, 19.0f},
        {"model", MODEL_RULES, "-.5", INT_MIN, INT_MAX, NAN_, 0, OK, -0.5f},
        {"model", MODEL_RULES, "1e39", INT_MIN, INT_MAX, OK, 1, NAN_, 0.0f},
        {"model", MODEL_RULES, "99999999999999999999", INT_MIN, INT_MAX, OUT, INT_MAX, OK, 1e20f},
        {"particle", PARTICLE_RULES, "nan", INT_MIN, INT_MAX, NAN_, 0, NAN_, 0.0f},
        {"particle", PARTICLE_RULES, "inf", INT_MIN, INT_MAX, NAN_, 0, NAN_, 0.0f},
        {"particle", PARTICLE_RULES, "3e9", -100000, 100000, OK, 3, OUT, 100000.0f},
        {"particle", PARTICLE_RULES, "+4", INT_MIN, INT_MAX, OK, 4, OK, 4.0f},
    };
    for (const Case& c : cases) {
        Lexer in("", c.rules);
        int i = -1;
        float f = -1.0f;
        EXPECT_EQ(in.ToInt(c.token, &i, c.low, c.high), c.intStatus) << c.format << " int " << c.token;
        EXPECT_EQ(i, c.intValue) << c.format << " int " << c.token;
        float low = c.low == INT_MIN ? -FLT_MAX : (float)c.low;
        float high = c.high == INT_MAX ? FLT_MAX : (float)c.high;
        EXPECT_EQ(in.ToFloat(c.token, &f, low, high), c.floatStatus) << c.format << " float " << c.token;
        EXPECT_FLOAT_EQ(f, c.floatValue) << c.format << " float " << c.token;
    }
    EXPECT_EQ(ScanNumber("-12.5e3x", true, true), 7u);
    EXPECT_EQ(ScanNumber("-12.5e3x", true, false), 5u);
    EXPECT_EQ(ScanNumber("-12.5e3x", false, false), 3u);
    EXPECT_EQ(ScanNumber("1e+", true, true), 1u);
    EXPECT_EQ(ScanNumber(".", true, true), 0u);
}

TEST(Lexer, ValuesAreLoggedWithTheirKeyAndLine)
{
    const char text[] = "Difficulty 7\nwidth 12a\n\"quoted\nvalue\" speed 0.5\nvolume";
    Lexer in(text, CONFIG_RULES, "test.cfg");
    int value = 0;
    float speed = 0.0f;
    LogCaptureBegin();
    EXPECT_TRUE(in.Expect("difficulty"));
    EXPECT_FALSE(in.ReadInt("Difficulty", &value, 0, 2));
    EXPECT_EQ(value, 2);
    EXPECT_STREQ(in.Next(), "width");
    EXPECT_FALSE(in.ReadInt("width", &value));
    EXPECT_EQ(value, 0);
    EXPECT_STREQ(in.Next(), "quoted\nvalue");
    EXPECT_EQ(in.Line(), 3);
    EXPECT_FALSE(in.Expect("height"));
    EXPECT_STREQ(in.Next(), "speed");
    EXPECT_EQ(in.Line(), 4) << "a quoted token's line breaks are counted";
    EXPECT_TRUE(in.ReadFloat("speed", &speed, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(speed, 0.5f);
    EXPECT_STREQ(in.Next(), "volume");
    EXPECT_FALSE(in.ReadInt("volume", &value));
    EXPECT_TRUE(in.CutShort());
    EXPECT_FALSE(in.ReadInt(nullptr, &value)) << "without a key nothing is logged";
    EXPECT_EQ(LogCaptureEnd(), "WARNING: test.cfg line 1: Difficulty value 7 is out of range, 2 is used\n"
                               "WARNING: test.cfg line 2: width value '12a' is not a number, 0 is used\n"
                               "WARNING: test.cfg line 4: expected height, found 'speed'\n"
                               "WARNING: test.cfg line 5: volume has no value\n");
}

TEST(Lexer, PeekLineValuesAndTwoLexersAtOnce)
{
    // Peeking leaves the current token alone; a line value starts right after its keyword.
    const char script[] = "Name   \"Big Rig\"  \nNext 5 // note\nLast";
    Lexer in(script, SCRIPT_RULES);
    const char* name = in.Next();
    EXPECT_STREQ(in.Peek(), "\"Big");
    EXPECT_STREQ(name, "Name");
    std::string value;
    EXPECT_EQ(in.ReadLineValue(&value, false), '"');
    EXPECT_EQ(value, "Big Rig");
    EXPECT_STREQ(in.Next(), "Next");
    EXPECT_STREQ(in.Peek(), "5");
    in.SkipLine();
    EXPECT_STREQ(in.Next(), "Last");
    EXPECT_EQ(in.Line(), 3);
    EXPECT_EQ(in.Next(), nullptr);
    EXPECT_TRUE(in.Ended());

    // Each lexer keeps its own place: reading one text in the middle of another changes neither.
    const char first[] = "a b c";
    const char second[] = "x \"y z\" w";
    Lexer one(first, CONFIG_RULES), two(second, CONFIG_RULES);
    std::string mixed;
    for (int i = 0; i < 3; ++i) {
        mixed += one.Next();
        mixed += two.Next();
    }
    EXPECT_EQ(mixed, "axby zcw");
    EXPECT_EQ(one.Next(), nullptr);
    EXPECT_EQ(two.Next(), nullptr);
}
