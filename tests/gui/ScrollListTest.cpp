// Scroll lists and the file browser: a double click within 0.3 seconds, presses held from before,
// lists with no more entries than rows, the highlight that stays on its entry, the wheel, the
// thumb dragged along the track, and folders walked in and out (never deeper than a path holds).
#include "gui/Button.h"
#include "gui/FileBrowser.h"
#include "gui/ScrollList.h"
#include "gui/Window.h"
#include "host/System.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

int selects = 0, activates = 0, files = 0;
int CountSelect(void*, ScrollList*) { return ++selects, 1; }
int CountActivate(void*, ScrollList*) { return ++activates, 1; }
int CountFile(void*, ScrollList*) { return ++files, 1; }

class ScrollListTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        selects = activates = files = 0;
    }
    void TearDown() override
    {
        list.reset();
        GuiTest::TearDown();
    }
    // A list of count entries "entry_0", "entry_1", ... at (100, 100), shown.
    void Make(int count)
    {
        entries.clear();
        for (int i = 0; i < count; ++i) {
            entries.emplace_back(new ScrollListEntry);
            snprintf(entries.back()->name, sizeof entries.back()->name, "entry_%d", i);
            CopyText(entries.back()->icon, sizeof entries.back()->icon, "data/gui/savefile.dds");
        }
        pool.Init(count);
        for (auto& entry : entries) pool.PushBack(entry.get());
        // Windows stay registered for good: a list made again gives its old window back first.
        if (list) manager.windows.Remove(list->listWindow);
        list = std::make_unique<ScrollList>();
        list->selectCallback = CountSelect;
        list->activateCallback = CountActivate;
        list->Create(&pool, 100, 100);
        list->SetVisible(true);
    }
    int RowCentreY(int row) const { return list->y + row * list->rowHeight + list->rowHeight / 2; }
    // A fresh left press on row and its release.
    void ClickRow(int row) { Click(list->x + 20, RowCentreY(row)); }
    const char* Selected() const { return list->GetSelected() ? list->GetSelected()->name : ""; }
    // Where the highlight is drawn now (-1 when it is not).
    int HighlightRow()
    {
        painter.Clear();
        list->Draw();
        for (const DrawnQuad& quad : painter.quads)
            if (quad.sprite == list->highlight) return (quad.top - list->y) / list->rowHeight;
        return -1;
    }

    std::vector<std::unique_ptr<ScrollListEntry>> entries;
    ScrollListEntries pool;
    std::unique_ptr<ScrollList> list;
};

}  // namespace

TEST_F(ScrollListTest, ASecondClickWithinAThirdOfASecondActivates)
{
    const struct {
        float apart;
        int selects, activates;
    } cases[] = {{0.1f, 2, 1}, {0.29f, 2, 1}, {0.31f, 2, 0}, {0.4f, 2, 0}};
    for (const auto& c : cases) {
        Make(8);
        AdvanceClock(5.0f);
        selects = activates = 0;
        ClickRow(2);
        AdvanceClock(c.apart);
        ClickRow(2);
        EXPECT_EQ(selects, c.selects) << c.apart;
        EXPECT_EQ(activates, c.activates) << c.apart;
        EXPECT_STREQ(Selected(), "entry_2");
        EXPECT_EQ(list->selectedRow, 2);
    }

    // A press with the button held since the pass before selects nothing.
    Make(8);
    selects = 0;
    mouse.down[0] = mouse.previous[0] = 0x80;
    ClickRow(4);
    EXPECT_EQ(selects, 0);
    EXPECT_STREQ(Selected(), "entry_0");
    mouse.down[0] = mouse.previous[0] = 0;
    ClickRow(4);
    EXPECT_EQ(selects, 1);
    EXPECT_STREQ(Selected(), "entry_4");
}

TEST_F(ScrollListTest, WithNothingToScrollTheArrowsAndTheThumbStandStill)
{
    const int s = 768 / 24;
    for (int count : {0, 3, 5}) {
        SCOPED_TRACE(count);
        Make(count);
        EXPECT_EQ(list->thumbSize, s) << "the smallest thumb";
        EXPECT_EQ(list->thumbStep, 0);
        EXPECT_EQ(list->thumb->y, s) << "at the top of the track";
        list->ScrollDown();
        list->ScrollUp();
        EXPECT_EQ(list->FirstVisibleIndex(), 0);

        // Dragging the thumb moves nothing (and ends).
        int thumbX = list->x + list->thumb->x + s / 2, thumbY = list->y + list->thumb->y + s / 2;
        Pass(thumbX, thumbY, 0, 1);
        mouse.down[0] = mouse.previous[0] = 0x80;
        mouse.stepY = 200;
        Pass(thumbX, thumbY + 100);
        mouse.stepY = 0;
        Pass(thumbX, thumbY + 100, 0, 2);
        mouse.down[0] = mouse.previous[0] = 0;
        EXPECT_EQ(list->FirstVisibleIndex(), 0);
        EXPECT_FALSE(list->listWindow->flags & WINDOW_CAPTURE) << "the release lets the mouse go";

        // Rows without an entry take no clicks.
        ClickRow(4);
        EXPECT_EQ(selects, count == 5 ? 1 : 0);
        painter.Clear();
        list->Draw();
        int names = 0;
        for (const std::string& text : painter.Texts()) names += text.rfind("Entry ", 0) == 0;
        EXPECT_EQ(names, count + (list->GetSelected() ? 1 : 0)) << "each entry's row, and the selected one below";
    }
}

TEST_F(ScrollListTest, TheHighlightStaysOnItsEntryWhileTheListScrolls)
{
    Make(10);
    ClickRow(2);
    ASSERT_STREQ(Selected(), "entry_2");
    const struct {
        bool down;
        int firstVisible, highlightRow;
    } steps[] = {
        {true, 1, 1}, {true, 2, 0}, {true, 3, -1}, {true, 4, -1}, {true, 5, -1},
        {true, 5, -1},  // ten entries in five rows: the last five show
        {false, 4, -1}, {false, 3, -1}, {false, 2, 0}, {false, 1, 1},
    };
    for (const auto& step : steps) {
        if (step.down)
            list->ScrollDown();
        else
            list->ScrollUp();
        EXPECT_EQ(list->FirstVisibleIndex(), step.firstVisible);
        EXPECT_EQ(HighlightRow(), step.highlightRow) << "first visible " << step.firstVisible;
        EXPECT_STREQ(Selected(), "entry_2");
    }

    // The wheel over a row scrolls too.
    mouse.wheel = -WHEEL_DELTA;
    Pass(list->x + 20, RowCentreY(1));
    EXPECT_EQ(list->FirstVisibleIndex(), 2);
    mouse.wheel = WHEEL_DELTA;
    Pass(list->x + 20, RowCentreY(1));
    mouse.wheel = 0;
    EXPECT_EQ(list->FirstVisibleIndex(), 1);
}

TEST_F(ScrollListTest, RowsShowTheirEntriesAndTheSelectedOneBelow)
{
    Make(7);
    ClickRow(1);
    painter.Clear();
    list->Draw();
    std::vector<std::string> texts = painter.Texts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "Entry 0") << "names without underscores, capitalised";
    EXPECT_EQ(texts[4], "Entry 4");
    EXPECT_EQ(texts[5], "Entry 1") << "the selected entry beside its preview";
    EXPECT_EQ(painter.texts[1].y, list->y + list->rowHeight + 8);
    EXPECT_GT(painter.TimesDrawn(list->preview), 0);
    EXPECT_EQ(painter.TimesDrawn(list->rowIcons[0]), 1);
}

// A name wider than its row is cut short with "..." before the scroll bar; the selected one is
// shown whole beside its preview.
TEST_F(ScrollListTest, ANameWiderThanItsRowEndsShortOfTheScrollBar)
{
    Make(2);
    std::string longName;
    for (int i = 0; i < 12; ++i) longName += "mine_and_collect_";
    CopyText(entries[0]->name, sizeof entries[0]->name, longName.c_str());
    ClickRow(0);
    painter.Clear();
    list->Draw();
    ASSERT_GE(painter.texts.size(), 3u);
    const std::string row = painter.texts[0].text;
    ASSERT_GT(row.size(), 3u);
    EXPECT_EQ(row.substr(row.size() - 3), "...") << row;
    EXPECT_EQ(row.compare(0, 17, "Mine And Collect "), 0) << row;
    TextSize size;
    GuiListFont->GetTextExtent(row.c_str(), &size);
    EXPECT_GT(size.cx, 0);
    EXPECT_LE(painter.texts[0].x + size.cx, list->x + list->rowWidth) << "the row's text stops before the scroll bar";
    EXPECT_EQ(painter.texts[1].text, "Entry 1") << "a name that fits is whole";
    EXPECT_GT(painter.texts.back().text.size(), row.size()) << "the selected name is whole beside its preview";
}

TEST_F(ScrollListTest, DraggingTheThumbScrollsAStepAtATime)
{
    Make(20);
    const int s = 768 / 24;
    const int track = list->rows * list->rowHeight - 2 * s;
    ASSERT_EQ(list->thumbSize, s) << "fifteen places to scroll: the smallest thumb";
    ASSERT_EQ(list->thumbStep, (track - s) / 15);
    const int step = list->thumbStep;

    int thumbX = list->x + list->thumb->x + s / 2, thumbY = list->y + list->thumb->y + s / 2;
    Pass(thumbX, thumbY, 0, 1);
    ASSERT_TRUE(list->dragging);
    mouse.down[0] = mouse.previous[0] = 0x80;
    int y = thumbY;
    for (int move : {step * 3, step / 2, step / 2 + 1, -step}) {
        mouse.stepY = move;
        y += move;
        Pass(thumbX + 40, y);  // off the thumb's column: it holds the mouse
    }
    EXPECT_EQ(list->FirstVisibleIndex(), 3);
    EXPECT_EQ(list->thumb->y, s + 3 * step) << "the thumb follows";
    mouse.stepY = 0;
    Pass(thumbX + 40, y, 0, 2);
    mouse.down[0] = mouse.previous[0] = 0;
    EXPECT_FALSE(list->thumb->flags & WINDOW_CAPTURE);
}

namespace {

class FileBrowserTest : public ScrollListTest {
protected:
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (auto* node = browser.entries ? browser.entries->head : nullptr; node; node = node->next)
            names.push_back(node->value->name);
        return names;
    }
    // Selects the row of the entry and clicks it again at once.
    void Activate(const std::string& name)
    {
        std::vector<std::string> names = Names();
        int index = (int)(std::find(names.begin(), names.end(), name) - names.begin());
        ASSERT_LT(index, (int)names.size()) << name;
        while (browser.FirstVisibleIndex() < index - browser.rows + 1) browser.ScrollDown();
        int row = index - browser.FirstVisibleIndex();
        int y = browser.y + row * browser.rowHeight + browser.rowHeight / 2;
        AdvanceClock(2.0f);
        Click(browser.x + 20, y);
        AdvanceClock(0.1f);
        Click(browser.x + 20, y);
    }
    FileBrowser browser;
};

}  // namespace

TEST_F(FileBrowserTest, FoldersComeFirstAndDotDotLeadsBackOut)
{
    const std::string root = MakeTempFolder("file-browser") + "/";
    ASSERT_TRUE(CreateFolder((root + "Maps").c_str()));
    ASSERT_TRUE(CreateFolder((root + "backups").c_str()));
    ASSERT_TRUE(WriteTextFile(root + "b.sav", "save"));
    ASSERT_TRUE(WriteTextFile(root + "A Note.txt", "note"));
    ASSERT_TRUE(WriteTextFile(root + "Shot.dds", "not really a picture"));
    ASSERT_TRUE(WriteTextFile(root + "Maps/Hills.png", "map"));
    browser.fileCallback = CountFile;

    ASSERT_TRUE(browser.Create(root.c_str(), 100, 100));
    EXPECT_TRUE(browser.IsVisible());
    const std::vector<std::string> top = {".", "..", "backups", "Maps", "A Note.txt", "b.sav", "Shot.dds"};
    EXPECT_EQ(Names(), top);

    Activate("Maps");
    EXPECT_EQ(std::string(browser.GetFolder()), root + "Maps/") << "the user's spelling is kept";
    EXPECT_EQ(Names(), (std::vector<std::string>{".", "..", "Hills.png"}));
    Activate(".");
    EXPECT_EQ(std::string(browser.GetFolder()), root + "Maps/");
    Activate("..");
    EXPECT_EQ(std::string(browser.GetFolder()), root);
    EXPECT_EQ(Names(), top);

    Activate("b.sav");
    EXPECT_EQ(files, 1);
    EXPECT_EQ(std::string(browser.GetFolder()), root);

    // A picture file is its own preview; any other file shows the file picture.
    auto previewTexture = [&] {
        painter.Clear();
        browser.Draw();
        for (const DrawnQuad& quad : painter.quads)
            if (quad.sprite == browser.preview) return quad.texture;
        return std::string("(none)");
    };
    EXPECT_EQ(TextureFile(previewTexture()), "savefile.dds");
    Activate("Shot.dds");
    EXPECT_EQ(previewTexture(), root + "Shot.dds");
}

TEST_F(FileBrowserTest, AFolderTooDeepForAPathIsNotEntered)
{
    const std::string root = MakeTempFolder("file-browser-deep") + "/";
    // A folder whose path takes 250 of the 255 characters, holding one more.
    const std::string deep = root + std::string(250 - root.size(), 'd') + "/";
    ASSERT_EQ(deep.size(), 251u);
    ASSERT_TRUE(CreateFolder(deep.c_str()));
    ASSERT_TRUE(CreateFolder((deep + "deeper").c_str()));
    ASSERT_TRUE(CreateFolder((deep + "ok").c_str()));

    ASSERT_TRUE(browser.Create(deep.c_str(), 100, 100));
    EXPECT_EQ(Names(), (std::vector<std::string>{".", "..", "deeper", "ok"}));
    Activate("deeper");
    EXPECT_EQ(std::string(browser.GetFolder()), deep) << "refused";
    EXPECT_EQ(Names(), (std::vector<std::string>{".", "..", "deeper", "ok"}));
    Activate("ok");
    EXPECT_EQ(std::string(browser.GetFolder()), deep + "ok/") << "255 characters fit";

    EXPECT_FALSE(browser.Create((deep + "deeper/").c_str(), 100, 100));
    EXPECT_EQ(std::string(browser.GetFolder()), deep + "ok/");
}
