// Bitmap fonts without a device: face choice, the glyph sheet, measuring and word wrapping.
// (Drawn text is read back in Draw2DTest.cpp.)
#include "render/Font.h"

#include "host/FontRaster.h"
#include "host/Log.h"
#include "render/FontBitmap.h"
#include "render/FontCache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

TEST(FontRaster, ConfiguredFacesMapToDejaVu)
{
    struct Case {
        const char* face;
        bool bold, italic;
        const char* file;
        bool known;
    } cases[] = {
        {"Arial", false, false, "DejaVuSans.ttf", true},
        {"Arial Bold", false, false, "DejaVuSans-Bold.ttf", true},
        {"arial bold", false, true, "DejaVuSans-BoldOblique.ttf", true},
        {"Courier New", true, false, "DejaVuSansMono-Bold.ttf", true},
        {"Wingdings", true, false, "DejaVuSans-Bold.ttf", false},
    };
    for (const Case& c : cases) {
        bool known = !c.known;
        EXPECT_STREQ(FontRaster::FileForFace(c.face, c.bold, c.italic, &known), c.file) << c.face;
        EXPECT_EQ(known, c.known) << c.face;
    }

    LogCaptureBegin();
    std::unique_ptr<FontRaster> stand = FontRaster::Create("Wingdings", 16, false, false);
    std::string log = LogCaptureEnd();
    ASSERT_TRUE(stand);
    EXPECT_NE(log.find("WARNING"), std::string::npos);
    EXPECT_NE(log.find("Wingdings"), std::string::npos);
}

TEST(FontRaster, MeasuresWholePixelAdvancesAndTheLineHeight)
{
    std::unique_ptr<FontRaster> sans = FontRaster::Create("Arial", 16, false, false);
    ASSERT_TRUE(sans);
    EXPECT_EQ(sans->Ascent(), 15);
    EXPECT_EQ(sans->LineHeight(), 19);
    int w = 0, h = 0;
    sans->MeasureText("Hello", 5, &w, &h);
    EXPECT_EQ(w, sans->Advance('H') + sans->Advance('e') + 2 * sans->Advance('l') + sans->Advance('o'));
    EXPECT_EQ(h, 19);

    std::unique_ptr<FontRaster> mono = FontRaster::Create("Courier New", 16, false, false);
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->Advance('i'), mono->Advance('W'));
    EXPECT_LT(sans->Advance('i'), sans->Advance('W'));
}

TEST(GlyphSheet, HoldsEveryCharacterInItsOwnCell)
{
    GlyphSheet sheet;
    ASSERT_TRUE(BuildGlyphSheet("Arial", 12, 0, 0, &sheet));
    // 12 points at 96 dpi are 16 pixels: 19 pixels a line, spacing ceil(0.3 x 19).
    EXPECT_EQ(sheet.spacing, 6);
    EXPECT_EQ(sheet.width, sheet.height);
    EXPECT_GE(sheet.width, 128);
    EXPECT_EQ(sheet.width & (sheet.width - 1), 0);
    EXPECT_EQ(sheet.textScale, 1.0f);

    std::unique_ptr<FontRaster> face = FontRaster::Create("Arial", 16, false, false);
    for (int c = 32; c < 127; ++c) {
        const float* g = sheet.glyphs[c - 32];
        EXPECT_GE(g[0], 0.0f);
        EXPECT_LE(g[2], 1.0f);
        EXPECT_LE(g[3], 1.0f);
        int cellWidth = (int)std::lround((g[2] - g[0]) * sheet.width);
        EXPECT_EQ(cellWidth, face->Advance((unsigned char)c) + 2 * sheet.spacing) << (char)c;
        EXPECT_EQ((int)std::lround((g[3] - g[1]) * sheet.height), 19);
    }
    for (float v : sheet.glyphs[95]) EXPECT_EQ(v, 0.0f);

    // Coverage inside the cell of "M", none in the blank's.
    auto inked = [&](char c) {
        const float* g = sheet.glyphs[c - 32];
        int count = 0;
        for (int y = (int)(g[1] * sheet.height); y < (int)(g[3] * sheet.height); ++y)
            for (int x = (int)(g[0] * sheet.width); x < (int)(g[2] * sheet.width); ++x)
                if (sheet.texels[(size_t)y * sheet.width + x] >> 12) ++count;
        return count;
    };
    EXPECT_GT(inked('M'), 20);
    EXPECT_EQ(inked(' '), 0);
    // White texels with 4 bits of coverage as alpha.
    for (uint16_t t : sheet.texels) ASSERT_TRUE(t == 0 || (t & 0x0FFF) == 0x0FFF);
}

TEST(GlyphSheet, ShrinksToTheLargestTexture)
{
    GlyphSheet full, shrunk;
    ASSERT_TRUE(BuildGlyphSheet("Arial", 40, 0, 0, &full));
    ASSERT_GT(full.width, 256);
    ASSERT_TRUE(BuildGlyphSheet("Arial", 40, 0, 256, &shrunk));
    EXPECT_EQ(shrunk.width, 256);
    EXPECT_EQ(shrunk.height, 256);
    EXPECT_LT(shrunk.textScale, 1.0f);
    for (int c = 32; c < 127; ++c) EXPECT_LE(shrunk.glyphs[c - 32][3], 1.0f);
}

TEST(BitmapFont, ExtentIsWhatDrawingAdvances)
{
    CD3DFont font("Arial", 12, 0);
    ASSERT_TRUE(font.LoadMetrics());
    std::unique_ptr<FontRaster> face = FontRaster::Create("Arial", 16, false, false);
    TextSize size;
    ASSERT_EQ(font.GetTextExtent("Hello", &size), GFX_OK);
    int w = 0;
    face->MeasureText("Hello", 5, &w, nullptr);
    EXPECT_EQ(size.cx, w);
    EXPECT_EQ(size.cy, 19);
    ASSERT_EQ(font.GetTextExtent("Hi\nHello\n", &size), GFX_OK);
    EXPECT_EQ(size.cx, w);
    EXPECT_EQ(size.cy, 3 * 19);
    EXPECT_NE(font.GetTextExtent(nullptr, &size), GFX_OK);
    EXPECT_NE(font.GetTextExtent("x", nullptr), GFX_OK);

    // A sheet rasterised smaller is drawn enlarged again; the extent follows the drawing.
    CD3DFont large("Arial", 40, 0);
    ASSERT_TRUE(large.LoadMetrics());
    GlyphSheet shrunk;
    ASSERT_TRUE(BuildGlyphSheet("Arial", 40, 0, 256, &shrunk));
    large.textureWidth = shrunk.width;
    large.textureHeight = shrunk.height;
    large.textScale = shrunk.textScale;
    large.spacing = shrunk.spacing;
    memcpy(large.glyphs, shrunk.glyphs, sizeof large.glyphs);
    const char* text = "Measure me";
    float drawn = 0.0f;
    for (const char* p = text; *p; ++p) drawn += large.CharAdvance((unsigned char)*p);
    ASSERT_EQ(large.GetTextExtent(text, &size), GFX_OK);
    EXPECT_EQ(size.cx, (int)drawn);
    EXPECT_EQ(size.cy, (int)large.LineHeight());
    int rasterised = 0;
    for (const char* p = text; *p; ++p) {
        const float* g = shrunk.glyphs[*p - 32];
        rasterised += (int)std::lround(shrunk.width * (g[2] - g[0])) - 2 * shrunk.spacing;
    }
    EXPECT_GT(size.cx, rasterised);
}

class FontRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        Fonts = new FontCache();
        mono.Load("Courier New", 12, 0);
        ASSERT_TRUE(mono.loaded);
        advance = (int)mono.font->CharAdvance('a');
    }
    void TearDown() override
    {
        delete Fonts;
        Fonts = nullptr;
    }
    std::vector<std::string> Wrap(const char* text, int width)
    {
        std::vector<std::string> lines;
        mono.WrapLines(
            text, width, [](void* user, const char* line) { ((std::vector<std::string>*)user)->push_back(line); },
            &lines);
        return lines;
    }
    Font mono{"console"};
    int advance = 0;
};

TEST_F(FontRecord, CacheHandsOutOneFontPerFaceSizeAndFlags)
{
    CD3DFont* a = Fonts->GetFont("Arial", 12, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Fonts->GetFont("Arial", 12, 0), a);
    EXPECT_NE(Fonts->GetFont("arial", 12, 0), a);
    EXPECT_NE(Fonts->GetFont("Arial", 12, FONT_BOLD), a);
    EXPECT_NE(Fonts->GetFont("Arial", 14, 0), a);
    EXPECT_EQ(Fonts->Count(), 5);  // the record's Courier New and four of these
    // Without a device the fonts still measure.
    EXPECT_GT(a->LineHeight(), 0.0f);
}

TEST_F(FontRecord, WrapsAtBreakMarksWithinTheWidth)
{
    ASSERT_GT(advance, 0);
    struct Case {
        const char* text;
        int widthInChars;
        std::vector<std::string> lines;
    } cases[] = {
        {"aaa bbb ccc", 8, {"aaa bbb ", "ccc"}},
        {"aaa bbb ccc", 100, {"aaa bbb ccc"}},
        {"one@two", 100, {"one ", "", "two"}},
        {"one^two", 100, {"one two"}},
        {"one^two", 5, {"one ", "two"}},
        {"one\ntwo", 100, {"one two"}},
        {"one\n\ntwo", 100, {"one  ", "", "two"}},
        {"a_b\rc", 100, {"a b c"}},
        {"", 10, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Wrap(c.text, c.widthInChars * advance), c.lines) << c.text;
}

TEST_F(FontRecord, LongUnbrokenWordsAreCutAtTheLineLimit)
{
    std::string word(600, 'x');
    std::vector<std::string> lines = Wrap(("go " + word + " end").c_str(), 10 * advance);
    ASSERT_GE(lines.size(), 4u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), (size_t)Font::MAX_LINE);
        joined += line;
    }
    EXPECT_EQ(joined, "go " + word + " end");
}

TEST_F(FontRecord, CountsLinesAndMeasuresTheShownWindow)
{
    const int lineHeight = (int)mono.LineHeight();
    int count = -1;
    const char* text = "aaa bbb ccc ddd eee";
    EXPECT_EQ(mono.DrawWrappedText(text, 4 * advance, 0, 0, 0, 0, &count), 5 * lineHeight);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(mono.DrawWrappedText(text, 4 * advance, 0, 0, 1, 2, &count), 2 * lineHeight);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(mono.DrawWrappedText(text, 4 * advance, 0, 0, 4, 3, &count), lineHeight);

    Font unloaded("none");
    TextSize size;
    EXPECT_NE(unloaded.GetTextExtent("x", &size), GFX_OK);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(unloaded.DrawWrappedText(text, 100, 0, 0, 0, 0, &count), 0);
    EXPECT_EQ(count, 0);
}

}  // namespace
