#include "platform/StringTable.h"

#include "host/Log.h"
#include "platform/PooledList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const StringTable& table, const char* tag)
{
    const char* text = table.Lookup(tag);
    return text ? text : "<missing>";
}

}  // namespace

TEST(StringTable, ParsesTagsLinesAndComments)
{
    std::string folder = MakeTempFolder("strings");
    std::string path = folder + "/test_strings.txt";
    WriteTextFile(path,
                  "/* <t_hidden> inside a comment */\r\n"
                  "// <t_hidden2> a line comment\n"
                  "<t_format>\tFirst_word second^third\r\n"
                  "<t_lines> Line one\n"
                  "line two goes on\n"
                  "^\n"
                  "line four\n"
                  "<t_quoted>   \"Quoted text\" \n"
                  "<t_alone>\n"
                  "   the next line\n"
                  "<t_word> one\n"
                  "more <t_next> after the word\n"
                  "<T_Mixed> Case\n"
                  "<t_dup> first\n"
                  "<t_dup> second\n"
                  "END_of_file\n"
                  "<t_after> never read\n");
    StringTable table;
    ASSERT_TRUE(table.Init());
    LogCaptureBegin();
    EXPECT_TRUE(table.LoadFile(path.c_str()));
    EXPECT_EQ(LogCaptureEnd(), "");

    struct Case {
        const char* tag;
        const char* text;
    };
    const Case cases[] = {
        {"<t_format>", "First word second\nthird"},
        {"<t_lines>", "Line one\nline two goes on\n\nline four"},
        {"<t_quoted>", "Quoted text"},
        {"<t_alone>", "the next line"},
        {"<t_word>", "one\nmore"},
        {"<t_next>", "after the word"},
        {"<t_mixed>", "Case"},
        {"<T_MIXED>", "Case"},
        {"<t_dup>", "first"},
        {"<t_hidden>", "<missing>"},
        {"<t_hidden2>", "<missing>"},
        {"<t_after>", "<missing>"},
        {"<t_absent>", "<missing>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(table, c.tag), c.text) << c.tag;
    EXPECT_EQ(table.Lookup(nullptr), nullptr);

    LogCaptureBegin();
    EXPECT_FALSE(table.LoadFile((folder + "/absent.txt").c_str()));
    EXPECT_NE(LogCaptureEnd().find("ERROR: Could not open string table file " + folder + "/absent.txt"),
              std::string::npos);

    StringTable empty;
    EXPECT_EQ(empty.Lookup("<t_format>"), nullptr) << "no pool, no texts";
}

TEST(StringTable, ReloadForgetsExtraFilesAndKeepsTheShippedOnes)
{
    std::string folder = MakeTempFolder("strings-reload");
    std::string path = folder + "/extra.txt";
    WriteTextFile(path, "<t_extra> extra text\n");
    StringTable table;
    ASSERT_TRUE(table.Init());
    std::string tip = Text(table, "<tip0>");
    size_t used = table.PoolUsed();
    table.LoadFile(path.c_str());
    EXPECT_EQ(Text(table, "<t_extra>"), "extra text");
    EXPECT_TRUE(table.Reload());
    EXPECT_EQ(Text(table, "<t_extra>"), "<missing>");
    EXPECT_EQ(Text(table, "<tip0>"), tip);
    EXPECT_EQ(table.PoolUsed(), used);
}

TEST(StringTable, LimitsRefuseWithALogLineAndNeverOverrun)
{
    std::string folder = MakeTempFolder("strings-limits");
    StringTable table;
    ASSERT_TRUE(table.Init());

    // A tag too long for its field, and twelve tags for one bucket of eleven.
    std::string text = "<a_tag_that_is_far_too_long_to_keep> dropped\nand its continuation\n";
    int target = NamedTableBucket("<t_bucket_0>", StringTable::BUCKET_COUNT);
    int inBucket = 0;
    for (int i = 0; i < StringTable::BUCKET_COUNT * 40 && inBucket < 12; ++i) {
        std::string tag = "<tb" + std::to_string(i) + ">";
        if (NamedTableBucket(tag.c_str(), StringTable::BUCKET_COUNT) != target) continue;
        text += tag + " text " + std::to_string(inBucket++) + "\n";
    }
    ASSERT_EQ(inBucket, 12);
    std::string path = folder + "/limits.txt";
    WriteTextFile(path, text);
    int before = table.TagCount();
    LogCaptureBegin();
    EXPECT_FALSE(table.LoadFile(path.c_str()));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR StringTable: tag longer than 31 characters"), std::string::npos) << log;
    EXPECT_NE(log.find("ERROR StringTable: no room left for"), std::string::npos) << log;
    EXPECT_EQ(table.Lookup("<a_tag_that_is_far_too_long_to_keep>"), nullptr);
    EXPECT_LE(table.TagCount() - before, 11);

    // Texts beyond the pool: refused once it is full, the earlier ones stay.
    std::string big;
    std::string line(1000, 'x');
    for (int i = 0; i < 80; ++i) big += "<tbig" + std::to_string(i) + "> " + line + "\n" + line + "\n";
    std::string bigPath = folder + "/big.txt";
    WriteTextFile(bigPath, big);
    LogCaptureBegin();
    EXPECT_FALSE(table.LoadFile(bigPath.c_str()));
    log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR StringTable: text pool full (65536 bytes)"), std::string::npos) << log;
    EXPECT_LE(table.PoolUsed(), StringTable::POOL_SIZE);
    EXPECT_EQ(Text(table, "<tbig0>"), line + "\n" + line);
    EXPECT_EQ(table.Lookup("<tbig79>"), nullptr);
    EXPECT_EQ(Text(table, "<tip0>").empty(), false);
}
