// The edit box: the keys of the US layout with Shift and Caps Lock, the keypad, what a full box
// still answers, typing a box full moves on, pasting, overwriting, the caret placed by a click
// and drawn blinking, and hotkeys that stay quiet while the player types.
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/Window.h"
#include "host/Clipboard.h"
#include "interface/GameSeamImpl.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "render/Sprite.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/ScopedGameSeam.h"

#include <memory>
#include <string>

namespace {

int enters = 0;
int CountEnter(void*, EditBox*) { return ++enters, 1; }
int clicks = 0;
int CountClick(void*, Button*) { return ++clicks, 1; }

class EditBoxTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        enters = clicks = 0;
        screen = std::make_unique<Window>(0, 0, 600, 400, 0, nullptr, 0);
        manager.AddWindow(screen.get());
        box = Add(50, 50);
    }
    void TearDown() override
    {
        boxes.clear();
        screen.reset();
        GuiTest::TearDown();
    }
    EditBox* Add(int atX, int atY)
    {
        boxes.emplace_back(new EditBox("", atX, atY, 300, 30, 4, nullptr, nullptr));
        screen->AddChild(boxes.back().get());
        return boxes.back().get();
    }
    // A click on the box gives it the keyboard.
    void Focus(EditBox* target) { Click(target->x + 5, target->y + 15); }
    // A key press as the window procedure hands it to the GUI.
    bool Press(int key, bool shift = false, bool control = false)
    {
        keyboard.state[DIK_LSHIFT] = shift ? 0x80 : 0;
        keyboard.state[DIK_LCONTROL] = control ? 0x80 : 0;
        keyboard.lastKeyDown = key;
        return manager.OnKey(&keyboard);
    }
    void Type(const char* text)
    {
        for (const char* p = text; *p; ++p) Press(*p >= 'a' && *p <= 'z' ? *p - 'a' + 'A' : *p);
    }

    ScopedGlobal<KeyboardDevice*> keys{Input.keyboard, &keyboard};
    std::unique_ptr<Window> screen;
    std::vector<std::unique_ptr<EditBox>> boxes;
    EditBox* box = nullptr;
};

}  // namespace

TEST_F(EditBoxTest, KeysTypeTheUsLayoutWithShiftAndCapsLock)
{
    const struct {
        int key;
        bool shift, caps;
        const char* typed;
    } cases[] = {
        {'A', false, false, "a"},        {'A', true, false, "A"},         {'A', false, true, "A"},
        {'A', true, true, "a"},          {'2', false, false, "2"},        {'2', true, false, "@"},
        {'0', true, false, ")"},         {'9', true, true, "("},          {VK_SPACE, false, false, " "},
        {VK_OEM_1, false, false, ";"},   {VK_OEM_1, true, false, ":"},    {VK_OEM_7, true, false, "\""},
        {VK_OEM_5, false, false, "\\"},  {VK_OEM_5, true, false, "|"},    {VK_OEM_3, true, false, "~"},
        {VK_OEM_2, true, false, "?"},    {VK_OEM_COMMA, true, false, "<"}, {VK_OEM_MINUS, true, false, "_"},
        // The keypad and the keys that are not characters type nothing.
        {VK_NUMPAD5, false, false, ""},  {VK_MULTIPLY, false, false, ""}, {VK_ADD, false, false, ""},
        {VK_DECIMAL, false, false, ""},  {VK_F1, false, false, ""},       {VK_UP, false, false, ""},
    };
    Focus(box);
    ASSERT_TRUE(box->HasFocus());
    for (const auto& c : cases) {
        box->SetText("");
        keyboard.toggles[TOGGLE_CAPSLOCK] = c.caps ? 1 : 0;
        EXPECT_TRUE(Press(c.key, c.shift)) << "a focused box takes every key";
        EXPECT_STREQ(box->GetText(), c.typed) << "key " << c.key << " shift " << c.shift << " caps " << c.caps;
    }
}

TEST_F(EditBoxTest, AFullBoxStillLeavesEditsAndMovesButTypesNothing)
{
    EditBox* next = Add(50, 150);
    box->maximumLength = 5;
    box->enterCallback = CountEnter;
    struct Case {
        const char* what;
        int key;
        int caretBefore;
        const char* text;
        int caretAfter;
        bool focused;
    };
    const Case cases[] = {
        {"a letter", 'X', 2, "abcde", 2, true},
        {"a digit", '7', 5, "abcde", 5, true},
        {"Ctrl+V has no room", 'V', 5, "abcde", 5, true},
        {"Delete", VK_DELETE, 1, "acde", 1, true},
        {"Backspace", VK_BACK, 3, "abde", 2, true},
        {"Home", VK_HOME, 3, "abcde", 0, true},
        {"End", VK_END, 1, "abcde", 5, true},
        {"Left", VK_LEFT, 3, "abcde", 2, true},
        {"Right", VK_RIGHT, 3, "abcde", 4, true},
        {"Enter", VK_RETURN, 3, "abcde", 3, true},
        {"Esc", VK_ESCAPE, 3, "abcde", 3, false},
    };
    for (const Case& c : cases) {
        Focus(box);
        box->SetText("abcde");
        box->caret = c.caretBefore;
        EXPECT_TRUE(Press(c.key, false, c.key == 'V')) << c.what;
        EXPECT_STREQ(box->GetText(), c.text) << c.what;
        EXPECT_EQ(box->caret, c.caretAfter) << c.what;
        EXPECT_EQ(box->HasFocus(), c.focused) << c.what;
        EXPECT_FALSE(next->HasFocus()) << c.what;
    }
    EXPECT_EQ(enters, 1);

    // Tab moves on, full or not.
    Focus(box);
    EXPECT_TRUE(Press(VK_TAB));
    EXPECT_TRUE(next->HasFocus());
    EXPECT_EQ(manager.focused, next);
    // Enter without a callback is still taken.
    EXPECT_TRUE(Press(VK_RETURN));
}

TEST_F(EditBoxTest, TypingTheBoxFullMovesOnToTheNextFieldOrClicksTheDefaultButton)
{
    EditBox* next = Add(50, 150);
    box->maximumLength = 4;
    Focus(box);
    Type("abc");
    EXPECT_TRUE(box->HasFocus()) << "one short of full";
    Type("d");
    EXPECT_STREQ(box->GetText(), "abcd");
    EXPECT_FALSE(box->HasFocus());
    EXPECT_TRUE(next->HasFocus());
    EXPECT_EQ(manager.focused, next);
    Type("xy");
    EXPECT_STREQ(next->GetText(), "xy") << "the keys go on into the next field";
    EXPECT_STREQ(box->GetText(), "abcd");

    // Moving about in a box one short of full is no typing.
    Focus(box);
    box->SetText("abc");
    for (int key : {VK_LEFT, VK_HOME, VK_END, VK_SHIFT, VK_F2}) Press(key);
    EXPECT_TRUE(box->HasFocus());

    // With a default button after it, filling the box clicks the button once.
    Button ok(nullptr, CountClick, 400, 50, 80, 30, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    ok.flags |= WINDOW_DEFAULT_BUTTON;
    screen->RemoveChild(next);
    screen->AddChild(&ok);
    Press('D', true);
    EXPECT_STREQ(box->GetText(), "abcD");
    EXPECT_EQ(clicks, 1);
    screen->RemoveChild(&ok);
}

TEST_F(EditBoxTest, TypingStopsWithRoomForTheTerminator)
{
    // The box's maximum (128) is the whole buffer: the text keeps one place for its end.
    EXPECT_EQ(box->maximumLength, EditBox::TEXT_SIZE);
    Focus(box);
    box->SetText(std::string(125, 'a').c_str());
    Type("bcd");
    EXPECT_EQ(box->Length(), 127);
    EXPECT_EQ(std::string(box->GetText()), std::string(125, 'a') + "bc");

    // SetText is bounded by the buffer alone.
    box->maximumLength = 10;
    box->SetText(std::string(300, 'z').c_str());
    EXPECT_EQ(box->Length(), 127);
    EXPECT_EQ(box->caret, 127);
}

TEST_F(EditBoxTest, PastingFillsTheRoomLeftWithPrintableText)
{
    struct Case {
        const char* what;
        std::string clipboard;
        int maximum;
        const char* before;
        int caret;
        std::string after;
    };
    const Case cases[] = {
        {"300 characters into an empty box", std::string(300, 'p'), 128, "", 0, std::string(127, 'p')},
        {"room counts from the length, not the caret", "0123456789", 8, "abc", 0, "01234abc"},
        {"at the caret", "XY", 20, "abcd", 2, "abXYcd"},
        {"line breaks, tabs and control bytes are dropped", "a\r\nb\tc\x01\x7f" "d", 20, "", 0, "abcd"},
        {"bytes beyond plain text are dropped", "caf\xc3\xa9!", 20, "", 0, "caf!"},
        {"an empty clipboard", "", 20, "abc", 3, "abc"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteClipboardText(c.clipboard.c_str()));
        box->maximumLength = c.maximum;
        Focus(box);
        box->SetText(c.before);
        box->caret = c.caret;
        Press('V', false, true);
        EXPECT_EQ(std::string(box->GetText()), c.after) << c.what;
    }
    WriteClipboardText("");
}

TEST_F(EditBoxTest, OverwritingReplacesAndAppendsAtTheEnd)
{
    ScopedGlobal<unsigned char> overwrite(keyboard.toggles[TOGGLE_INSERT], 1);
    box->maximumLength = 5;
    Focus(box);
    box->SetText("abc");
    box->caret = 1;
    Type("x");
    EXPECT_STREQ(box->GetText(), "axc");
    box->caret = 3;
    Type("y");
    EXPECT_STREQ(box->GetText(), "axcy") << "at the end the character is added";
    EXPECT_EQ(box->Length(), 4);
    Type("z");
    EXPECT_STREQ(box->GetText(), "axcyz");
    EXPECT_EQ(box->Length(), 5);
}

TEST_F(EditBoxTest, AClickPutsTheCaretByTheClickedCharacter)
{
    Focus(box);
    box->SetText("WWWWWWWWWW");
    const int start = box->x + screen->x + box->textOffsetX;
    // Where the boundary after n letters lies on the screen.
    auto at = [&](int n) {
        TextSize size;
        font.GetTextExtent(std::string((size_t)n, 'W').c_str(), &size);
        return start + (n ? size.cx : 0);
    };
    ASSERT_GT(at(1) - at(0), 8);
    struct Case {
        const char* what;
        int clickX;
        int caret;
    } cases[] = {
        {"left of the text", start - 3, 0},
        {"right of the text", at(10) + 20, 10},
        {"just after the third letter", at(3) + 1, 3},
        {"just before the seventh", at(6) - 1, 6},
        {"in the first letter, near its left", start + 2, 0},
        {"in the last letter, near its right", at(10) - 2, 10},
    };
    for (const Case& c : cases) {
        box->caret = 5;
        Click(c.clickX, box->y + 15);
        EXPECT_EQ(box->caret, c.caret) << c.what;
        EXPECT_TRUE(box->HasFocus());
    }
    // A click beside the box lets the keyboard go.
    Click(500, 300);
    EXPECT_FALSE(box->HasFocus());
}

TEST_F(EditBoxTest, TheFirstClickOnlyTakesTheFocusAndTheNextPlacesTheCaret)
{
    EditBox* other = Add(50, 150);
    box->SetText("abcdef");
    const int start = box->x + screen->x + box->textOffsetX;
    struct Case {
        const char* what;
        EditBox* focusedBefore;
        int caretAfter;
    } const cases[] = {
        {"a box without the focus keeps its caret", nullptr, 6},
        {"a box that had another's focus keeps its caret", other, 6},
        {"a box with the focus moves it", box, 0},
    };
    for (const Case& c : cases) {
        Click(500, 300);  // nothing holds the keyboard
        if (c.focusedBefore) Focus(c.focusedBefore);
        box->caret = 6;
        Click(start - 3, box->y + 15);
        EXPECT_TRUE(box->HasFocus()) << c.what;
        EXPECT_EQ(manager.focused, box) << c.what;
        EXPECT_EQ(box->caret, c.caretAfter) << c.what;
    }
}

TEST_F(EditBoxTest, TheCaretBlinksWhileInsertingAndStandsWhileOverwriting)
{
    box->SetText("ab");
    box->SetPrompt("Name:");
    auto drawn = [&](const Sprite* sprite) {
        painter.Clear();
        box->Draw();
        return painter.TimesDrawn(sprite) > 0;
    };
    EXPECT_TRUE(drawn(box->noFocusSprite));
    EXPECT_FALSE(drawn(box->caretSprite));
    TextSize prompt;
    font.GetTextExtent("Name:", &prompt);
    ASSERT_EQ(painter.texts.size(), 2u);
    EXPECT_EQ(painter.texts[1].text, "Name:");
    EXPECT_EQ(painter.texts[1].x, box->x + screen->x - prompt.cx) << "the prompt ends where the box begins";

    Focus(box);
    EXPECT_TRUE(drawn(box->focusSprite));
    int shown = 0;
    AdvanceClock(0.15f);  // between two flips
    for (int i = 0; i < 6; ++i) {
        shown += drawn(box->caretSprite);
        AdvanceClock(0.3f);
    }
    EXPECT_EQ(shown, 3) << "on and off every 300 ms";

    ScopedGlobal<unsigned char> overwrite(keyboard.toggles[TOGGLE_INSERT], 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(drawn(box->caretSprite));
        AdvanceClock(0.3f);
    }
}

TEST_F(EditBoxTest, HotkeysStayQuietWhileAnEditBoxHasTheKeyboard)
{
    ScopedGlobal<ConfigFile*> configured(Config);
    GameSeamImpl game;
    ScopedGameSeam seam(&game);
    static int runs = 0;
    runs = 0;
    ClearCommandRegistry();
    ASSERT_TRUE(RegisterCommand("typing_test", [] { ++runs; }));
    ASSERT_TRUE(Config->BindHotkey("F1", "typing_test"));
    ASSERT_TRUE(Config->BindHotkey("ctrl_7", "typing_test"));

    struct Step {
        const char* what;
        bool typing;
    };
    auto hotkeysRun = [&] {
        int before = runs;
        OnFunctionKey(1, false, false);
        OnHotkeyCharacter('7', true, false);
        return runs - before;
    };
    EXPECT_EQ(hotkeysRun(), 2) << "nothing has the keyboard";
    Focus(box);
    EXPECT_TRUE(game.IsTextInputFocused());
    EXPECT_TRUE(Press(VK_F1)) << "F1 is the box's while it has the keyboard";
    EXPECT_EQ(hotkeysRun(), 0) << "an edit box has the keyboard";
    Press(VK_ESCAPE);
    EXPECT_EQ(manager.focused, box) << "Esc lets the keyboard go without moving the focus";
    EXPECT_FALSE(game.IsTextInputFocused());
    EXPECT_EQ(hotkeysRun(), 2) << "after Esc";
    Focus(box);
    Click(500, 300);
    EXPECT_EQ(hotkeysRun(), 2) << "after a click beside the box";
    ClearCommandRegistry();
}

TEST_F(EditBoxTest, AHiddenBoxThatKeptTheFocusLetsTheHotkeysWork)
{
    GameSeamImpl game;
    ScopedGameSeam seam(&game);
    Focus(box);
    ASSERT_EQ(manager.focused, box);
    ASSERT_TRUE(game.IsTextInputFocused());
    const struct {
        const char* what;
        Window* hidden;
    } cases[] = {{"the box hidden", box}, {"its screen closed", screen.get()}};
    for (const auto& c : cases) {
        c.hidden->SetVisible(false);
        EXPECT_EQ(manager.focused, box) << c.what << ": nobody clicked elsewhere";
        EXPECT_FALSE(game.IsTextInputFocused()) << c.what;
        c.hidden->SetVisible(true);
        EXPECT_TRUE(game.IsTextInputFocused()) << c.what << ", shown again";
    }
}
