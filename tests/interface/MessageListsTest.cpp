// The message lists: a full pool refuses (and a dropped pop-up is logged), the bar refuses only
// a repeat of its newest line, floating texts rise and go after 1.5 s, pop-ups take turns and
// stand still under a modal window, and the bar's lines and icons are laid out by the screen
// height.
#include "gui/Window.h"
#include "host/Log.h"
#include "interface/MessageLists.h"
#include "platform/StringTable.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "world/AgentCombat.h"
#include "world/BuildItem.h"
#include "world/TaskManager.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using MessageListsTest = HudTest;

std::string Numbered(const char* prefix, int n)
{
    char text[32];
    snprintf(text, sizeof text, "%s %d", prefix, n);
    return text;
}

}  // namespace

TEST_F(MessageListsTest, AFullListRefusesTheHundredAndFirst)
{
    FloatingTextList floating;
    MessageBar bar;
    AchievementPopup popups;
    for (int i = 0; i < 100; ++i) {
        floating.Add(Numbered("Ore +", i).c_str(), 0.0f, 0.0f, 0.0f);
        EXPECT_NE(bar.AddMessage(Numbered("Line", i).c_str(), 4.0f, 0), nullptr) << i;
        EXPECT_NE(popups.Add(Numbered("Pop", i).c_str(), 4.0f, 0, -1), nullptr) << i;
    }
    EXPECT_EQ(floating.count, 100);
    EXPECT_STREQ(floating.Newest()->text, "Ore + 99");
    floating.Add("Ore + 100", 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(floating.count, 100);
    EXPECT_STREQ(floating.Newest()->text, "Ore + 99");
    EXPECT_EQ(bar.AddMessage("Line 100", 4.0f, 0), nullptr);
    EXPECT_EQ(bar.count, 100);

    LogCaptureBegin();
    EXPECT_EQ(popups.Add("Inventory Full!", 4.0f, 0, -1), nullptr);
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("Inventory Full!"), std::string::npos) << "a dropped pop-up is logged: " << log;

    // Cleared, the whole pool is there again.
    bar.Clear();
    EXPECT_EQ(bar.count, 0);
    EXPECT_EQ(bar.Newest(), nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_NE(bar.AddMessage(Numbered("Again", i).c_str(), 4.0f, 1), nullptr);
}

TEST_F(MessageListsTest, TheBarRefusesOnlyARepeatOfItsNewestLine)
{
    const struct {
        std::vector<const char*> posts;
        int lines;
    } cases[] = {
        {{"Not enough resources", "Not enough resources"}, 1},
        {{"A", "B", "A"}, 3},
        {{"A", "B", "B", "A", "A"}, 3},
    };
    for (const auto& c : cases) {
        MessageBar bar;
        for (const char* text : c.posts) bar.AddMessage(text, 4.0f, 1);
        EXPECT_EQ(bar.count, c.lines) << c.posts.size() << " posts";
    }
    // A text past 127 characters is cut, and the cut text counts as the repeat.
    MessageBar bar;
    std::string longText(200, 'x');
    ASSERT_NE(bar.AddMessage(longText.c_str(), 4.0f, 0), nullptr);
    EXPECT_EQ(std::string(bar.Newest()->text), std::string(127, 'x'));
    EXPECT_EQ(bar.AddMessage(longText.c_str(), 4.0f, 0), nullptr);
}

TEST_F(MessageListsTest, LinesAgeAndGo)
{
    FloatingTextList floating;
    floating.Add("Fuel +5", 1.0f, 2.0f, 3.0f);
    floating.Update(1.0f);
    ASSERT_EQ(floating.count, 1);
    EXPECT_FLOAT_EQ(floating.head->y, 6.0f) << "4 units a second up";
    floating.Update(0.5f);
    EXPECT_EQ(floating.count, 1) << "at exactly 1.5 s it still shows";
    floating.Update(0.01f);
    EXPECT_EQ(floating.count, 0) << "gone once its age passes 1.5 s";

    MessageBar bar;
    bar.AddMessage("gone at once", 0.0f, 0);
    bar.AddMessage("two seconds", 2.0f, 1);
    bar.AddMessage("four seconds", 4.0f, 0);
    bar.Update(0.0f);
    EXPECT_EQ(bar.count, 2) << "a line of 0 s goes on the next update";
    bar.Update(2.0f);
    ASSERT_EQ(bar.count, 1) << "every line ages in the same frame";
    EXPECT_STREQ(bar.head->text, "four seconds");
    EXPECT_FLOAT_EQ(bar.head->time, 2.0f);

    // Under a modal window nothing ages.
    Window dialog;
    manager.modal = &dialog;
    bar.Update(5.0f);
    EXPECT_EQ(bar.count, 1);
    manager.modal = nullptr;
    bar.Update(5.0f);
    EXPECT_EQ(bar.count, 0);
}

TEST_F(MessageListsTest, PopUpsTakeTurnsAndWaitForAModalWindow)
{
    AchievementPopup popups;
    popups.Add("Instabuild on", 4.0f, 0, -1);
    popups.Add("Inventory Full!", 2.0f, 0, -1);
    popups.Update(3.0f);
    EXPECT_EQ(popups.count, 2);
    EXPECT_FLOAT_EQ(popups.head->next->time, 2.0f) << "the second waits with its full time";
    Window dialog;
    manager.modal = &dialog;
    popups.Update(10.0f);
    EXPECT_FLOAT_EQ(popups.head->time, 1.0f) << "a modal window freezes the queue";
    painter.Clear();
    popups.Draw();
    EXPECT_TRUE(painter.texts.empty()) << "and hides it";
    manager.modal = nullptr;
    popups.Update(1.0f);
    ASSERT_EQ(popups.count, 1);
    EXPECT_STREQ(popups.head->text, "Inventory Full!");
    popups.Update(1.5f);
    EXPECT_EQ(popups.count, 1);
    popups.Update(0.5f);
    EXPECT_EQ(popups.count, 0);
}

TEST_F(MessageListsTest, AnAchievementPopUpShowsItsKeysAndItsIconCell)
{
    AchievementPopup popups;
    popups.Add("Achievement: 8", 4.0f, 0, 7);
    painter.Clear();
    popups.Draw();
    // No string tables: each key shows itself, numbered from 1.
    std::vector<std::string> texts = painter.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "<achieve_8>");
    EXPECT_EQ(texts[1], "<achieve_8_desc>");
    EXPECT_EQ(painter.texts[1].y - painter.texts[0].y, 768 / 32);
    // Badge, icon, backdrop, in that order.
    ASSERT_EQ(painter.quads.size(), 3u);
    EXPECT_EQ(painter.quads[0].sprite, popups.badge);
    const DrawnQuad& icon = painter.quads[1];
    EXPECT_EQ(icon.sprite, popups.icon);
    EXPECT_FLOAT_EQ(icon.ua, 2.0f / 5.0f);
    EXPECT_FLOAT_EQ(icon.va, 1.0f / 5.0f);
    EXPECT_EQ(painter.quads[2].sprite, popups.backdrop);
    EXPECT_EQ(painter.texts[0].x, icon.left + 768 / 12);

    // A plain pop-up is one centred title over the backdrop.
    AchievementPopup plain;
    plain.Add("Inventory Full!", 4.0f, 0, -1);
    painter.Clear();
    plain.Draw();
    ASSERT_EQ(painter.texts.size(), 1u);
    ASSERT_EQ(painter.quads.size(), 1u);
    EXPECT_EQ(painter.quads[0].left, 256);
    EXPECT_EQ(painter.quads[0].right, 768);
    TextSize size;
    font.GetTextExtent("Inventory Full!", &size);
    EXPECT_EQ(painter.texts[0].x, 512 - size.cx / 2);
    EXPECT_EQ(painter.texts[0].y, (int)(0.66 * 768) - size.cy / 2);
}

TEST_F(MessageListsTest, TheBarStepsFortyPixelsAt768)
{
    MessageBar bar;
    // Texts short enough for the strip as it is painted.
    bar.AddMessage("Level 3!", 4.0f, 0);
    bar.AddMessage("Attack!", 4.0f, 1);
    bar.AddMessage("console", 4.0f, 2);
    painter.Clear();
    bar.Draw();
    ASSERT_EQ(painter.quads.size(), 3u);
    const int rows[] = {1, 2, 0};  // information, warning, neutral
    for (int n = 0; n < 3; ++n) {
        const DrawnQuad& icon = painter.quads[n];
        EXPECT_EQ(icon.left, 0);
        EXPECT_EQ(icon.right - icon.left, 200) << "the icon column";
        EXPECT_EQ(icon.top, 230 + 40 * n);
        EXPECT_FLOAT_EQ(icon.va, rows[n] / 4.0f);
    }
    ASSERT_EQ(painter.texts.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        TextSize size;
        font.GetTextExtent(painter.texts[n].text.c_str(), &size);
        EXPECT_EQ(painter.texts[n].y, 230 - size.cy / 2 + 19 + 40 * n);
        // A short text is centred on 100 pixels right of the bar's edge, clear of the icon.
        EXPECT_EQ(painter.texts[n].x, std::max(-size.cx / 2 + 100, 38));
        EXPECT_EQ(painter.texts[n].colour, 0xFFFFFFFFu);
    }
}

TEST_F(MessageListsTest, EveryBarTextStandsInItsStripRightOfTheIcon)
{
    // The icon's disc ends 23 pixels in at 768 (a tenth of the strip and a little more).
    const int iconRight = 23;
    StringTable strings;
    ASSERT_TRUE(strings.Init());
    for (const char* text : {"Objective Complete!", "New stat points available", "Not enough resources",
                             UNIT_CAP_MESSAGE, strings.Lookup("<unit_control_needed>"),
                             "Fuel wells must be placed next to a fuel patch!", "Fabricator can't find a spawn position!",
                             "New journal entry added to mission log!", "Low-power - warp platform offline!",
                             PULL_BACK_MESSAGE, ORE_USED_UP_MESSAGE,
                             PlacementRefusalText(PLACEMENT_UNAFFORDABLE), PlacementRefusalText(PLACEMENT_NO_POWER),
                             PlacementRefusalText(PLACEMENT_NOT_SEEN), PlacementRefusalText(PLACEMENT_BLOCKED),
                             PlacementRefusalText(PLACEMENT_NO_FUEL_VENT), PlacementRefusalText(PLACEMENT_NO_BUILD_NODE),
                             PlacementRefusalText(PLACEMENT_NO_NEIGHBOUR)}) {
        ASSERT_NE(text, nullptr);
        MessageBar bar;
        bar.AddMessage(text, 4.0f, 0);
        painter.Clear();
        bar.Draw();
        ASSERT_EQ(painter.texts.size(), 1u) << text;
        TextSize size;
        font.GetTextExtent(text, &size);
        int stripRight = 0;
        for (const DrawnQuad& quad : painter.quads) stripRight = std::max(stripRight, quad.right);
        EXPECT_GT(painter.texts[0].x, iconRight) << text;
        EXPECT_LE(painter.texts[0].x + size.cx, stripRight) << text;
    }
}
