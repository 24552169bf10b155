// Labels (centring, their own copy of the text, string-table keys, wrapping and scrolling) and
// meters (fill, text, marker, cropped and shimmering fills).
#include "gui/GuiMeter.h"
#include "gui/Label.h"
#include "mechanics/Game.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <string>

namespace {

int TextWidth(Font& font, const char* text)
{
    TextSize size;
    font.GetTextExtent(text, &size);
    return size.cx;
}

}  // namespace

TEST_F(GuiTest, ACentredLabelSitsAboutTheMiddleOfItsBoxEvenWhenWider)
{
    const struct {
        const char* text;
        int width;
    } cases[] = {{"Hi", 200}, {"A text much wider than its little box", 40}};
    for (const auto& c : cases) {
        Label label(c.text, 300, 50, c.width, 20, 0, nullptr, true);
        int expected = 300 + (c.width / 2 - TextWidth(font, c.text) / 2);
        EXPECT_EQ(label.x, expected) << c.text;
        EXPECT_EQ(label.anchorX, 300);
    }
    // Wider than the box: spread out to both sides, so it starts left of the anchor.
    Label wide("A text much wider than its little box", 300, 50, 40, 20, 0, nullptr, true);
    EXPECT_LT(wide.x, 300);
    wide.SetText("Hi");
    EXPECT_EQ(wide.x, 300 + (20 - TextWidth(font, "Hi") / 2)) << "placed again from the anchor";
    Label left("Hi", 300, 50, 200, 20, 0, nullptr, false);
    EXPECT_EQ(left.x, 300);
}

TEST_F(GuiTest, ALabelKeepsItsOwnCopyOfTheText)
{
    Label label(nullptr, 10, 10, 100, 20, 0, nullptr, false);
    EXPECT_STREQ(label.GetText(), "<unknown>");

    char scratch[64] = "First";
    label.SetText(scratch, false);
    strcpy(scratch, "Overwritten");
    label.Draw();
    EXPECT_EQ(painter.Texts(), std::vector<std::string>{"First"});

    std::string longText(600, 'w');
    label.SetText(longText.c_str(), false);
    EXPECT_EQ(std::string(label.GetText()), longText) << "handed over whole";
    label.SetText(std::string(300, 'c').c_str(), true);
    EXPECT_EQ(strlen(label.GetText()), 255u) << "the buffer keeps 255";
    label.SetText(nullptr, true);
    EXPECT_EQ(strlen(label.GetText()), 255u) << "null keeps the text";
}

TEST_F(GuiTest, LabelsShowStringTableTextsInTheirColourAtTheirParentsPlace)
{
    StringTable table;
    ASSERT_TRUE(table.Init());
    std::string file = MakeTempFolder("label-strings") + "/labels.txt";
    ASSERT_TRUE(WriteTextFile(file, "<t_greeting>\tHello there\n"));
    ASSERT_TRUE(table.LoadFile(file.c_str()));
    StringTable* saved = Strings;
    Strings = &table;

    Window screen(40, 30, 400, 300, 0, nullptr, 0);
    screen.clientX = 7;
    screen.clientY = 9;
    Label known("<t_greeting>", 10, 20, 200, 20, 0, nullptr, false);
    Label missing("<t_nowhere>", 10, 50, 200, 20, 0, nullptr, false);
    known.r = 1.0f, known.g = 0.3f, known.b = 0.2f;
    screen.AddChild(&known);
    screen.AddChild(&missing);
    font.SetColor(0.1f, 0.2f, 0.3f, 1.0f);
    screen.Draw();
    Strings = saved;

    ASSERT_EQ(painter.texts.size(), 2u);
    EXPECT_EQ(painter.texts[0].text, "Hello there");
    EXPECT_EQ(painter.texts[0].x, 50) << "the parent's position, without its client offset";
    EXPECT_EQ(painter.texts[0].y, 50);
    EXPECT_EQ(painter.texts[0].colour, PackColour(1.0f, 0.3f, 0.2f, 1.0f));
    EXPECT_EQ(painter.texts[1].text, "<t_nowhere>") << "a missing key shows itself";
    EXPECT_EQ(font.PackedColour(), PackColour(0.1f, 0.2f, 0.3f, 1.0f)) << "the font gets its colour back";
}

TEST_F(GuiTest, WrappedLabelsShowAWindowOfLines)
{
    const char* text = "one two three four five six seven eight nine ten eleven twelve thirteen fourteen";
    Label label(text, 10, 100, 500, 20, 0, nullptr, false);
    label.SetWrapWidth(120);
    int lines = label.SetScroll(0, 0, nullptr);
    ASSERT_GE(lines, 4);
    label.Draw();
    ASSERT_EQ((int)painter.texts.size(), lines);
    const int lineHeight = (int)font.LineHeight();
    std::string joined;
    for (int i = 0; i < lines; ++i) {
        EXPECT_EQ(painter.texts[i].y, 100 + i * lineHeight);
        EXPECT_LE(TextWidth(font, painter.texts[i].text.c_str()), 120 + TextWidth(font, " "));
        joined += painter.texts[i].text;
    }
    EXPECT_NE(joined.find("fourteen"), std::string::npos);

    painter.Clear();
    int count = 0;
    EXPECT_EQ(label.SetScroll(1, 2, &count), lines);
    EXPECT_EQ(count, lines);
    label.Draw();
    ASSERT_EQ(painter.texts.size(), 2u);
    EXPECT_EQ(painter.texts[0].y, 100);

    // Past the end the first line steps back one per call; all of it fitting, back to the top.
    label.SetScroll(lines - 1, 2, nullptr);
    EXPECT_EQ(label.firstLine, lines - 2);
    label.SetScroll(3, lines + 5, nullptr);
    EXPECT_EQ(label.firstLine, 0);
}

TEST_F(GuiTest, AMeterFillsByItsValueWithinItsMaximum)
{
    const struct {
        bool noInset;
        float value;
        int right;  // -1: no fill drawn
    } cases[] = {
        {false, 50, 201}, {false, 25, 151}, {false, 150, 301}, {false, 0, -1}, {false, -5, -1}, {true, 50, 201},
        {true, 100, 302},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value << (c.noInset ? " whole bar" : " inset"));
        GuiMeter meter("", 0xFF00FF00, 0xFF000000, 100, 50, 202, 20, c.noInset, nullptr, false);
        meter.SetValue(c.value);
        painter.Clear();
        meter.Draw();
        EXPECT_EQ(painter.TimesDrawn(meter.background), 1);
        EXPECT_EQ(painter.TimesDrawn(meter.fill), c.right < 0 ? 0 : 1);
        if (c.right >= 0) {
            int inset = c.noInset ? 0 : 1;
            EXPECT_EQ(meter.fill->left, 100 + inset);
            EXPECT_EQ(meter.fill->right, c.right);
            EXPECT_EQ(meter.fill->top, 50 + inset);
            EXPECT_EQ(meter.fill->bottom, 70 - inset);
            EXPECT_EQ(TextureFile(meter.fill->texture->name), c.noInset ? "white.dds" : "progress_bar.dds");
        }
    }
    // A colour handed in recolours the fill.
    GuiMeter meter("", 0xFF00FF00, 0xFF000000, 0, 0, 100, 10, false, nullptr, false);
    const uint32_t red = 0xFFFF0000;
    meter.SetValue(10, &red);
    EXPECT_EQ(meter.fill->colour, red);
}

TEST_F(GuiTest, TheGamesMeterShowsItsTextAndMarker)
{
    GuiMeter meter;
    EXPECT_EQ(meter.x, 1024 - 110);
    EXPECT_EQ(meter.y, 48);
    EXPECT_EQ(meter.barWidth, 200);
    EXPECT_EQ(meter.barHeight, 14);
    EXPECT_FLOAT_EQ(meter.value, 50.0f);
    EXPECT_EQ(meter.background->colour, 0xFF1A1A1Au);
    EXPECT_EQ(meter.fill->colour, 0xFF00E51Au);
    EXPECT_EQ(meter.fill->right, 914 + 1 + 99);

    meter.UpdateText(42, 100);
    EXPECT_STREQ(meter.text, "    42/100");
    font.SetColor(0.5f, 0.5f, 0.5f, 1.0f);
    meter.SetAtlasIcon("data/gui/tb_marker.dds", 0);
    meter.SetMarker(7);
    meter.Draw();
    ASSERT_EQ(painter.texts.size(), 2u);
    EXPECT_EQ(painter.texts[0].text, "    42/100");
    EXPECT_EQ(painter.texts[0].x, 914 + 4);
    EXPECT_EQ(painter.texts[0].y, 48 + 2);
    EXPECT_EQ(painter.texts[0].colour, 0xFFFFFFFFu) << "values are written in white";
    EXPECT_EQ(painter.texts[1].text, "7");
    EXPECT_EQ(painter.texts[1].x, 914 - 14);
    EXPECT_EQ(painter.texts[1].y, 48 - 4);
    EXPECT_EQ(meter.markerIcon->left, 914 - 24);
    EXPECT_EQ(meter.markerIcon->top, 48 - 8);
    EXPECT_EQ(meter.markerIcon->right - meter.markerIcon->left, 24);

    meter.SetMarker(12);
    painter.Clear();
    meter.Draw();
    EXPECT_EQ(painter.texts[1].x, 914 - 14 - 6) << "two digits move left";
    meter.SetMarker(-1);
    CopyText(meter.text, sizeof meter.text, "x");
    painter.Clear();
    meter.Draw();
    EXPECT_TRUE(painter.texts.empty()) << "no marker and a one-character text";
    EXPECT_EQ(painter.TimesDrawn(meter.markerIcon), 0);
}

TEST_F(GuiTest, ACroppedFillShowsPartOfItsPictureAndShimmersUnlessPaused)
{
    GuiMeter meter("", 0xFFFFFFFF, 0xFF000000, 0, 0, 100, 10, false, "data/gui/tb_stripes.dds", true);
    meter.SetValue(40);
    EXPECT_FLOAT_EQ(meter.fill->ua, 0.0f);
    EXPECT_FLOAT_EQ(meter.fill->ub, 0.4f);

    meter.animated = true;
    FrameTimer.delta = 0.05f;
    meter.SetValue(40);
    meter.SetValue(40);
    EXPECT_NEAR(meter.shimmerPhase, 0.01f, 1e-6f);
    EXPECT_NEAR(meter.fill->ua, 0.01f, 1e-6f);
    EXPECT_NEAR(meter.fill->ub, 0.41f, 1e-6f);
    GamePaused = true;
    meter.SetValue(40);
    GamePaused = false;
    EXPECT_NEAR(meter.shimmerPhase, 0.01f, 1e-6f) << "the pause holds the shimmer";

    meter.SetIcon("data/gui/tb_overlay.dds");
    painter.Clear();
    meter.Draw();
    ASSERT_EQ(painter.quads.size(), 3u);
    EXPECT_EQ(painter.quads[2].sprite, meter.overlay);
    EXPECT_EQ(meter.overlay->right, 100);
    meter.SetIcon(nullptr);
    EXPECT_EQ(meter.overlay, nullptr);
}
