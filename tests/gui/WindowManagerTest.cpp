// The window manager: ids, the hundred places, mouse and key routing with focus and the modal
// window, the mouse events it takes from the game, drawing with the backdrop, device loss, and
// the dump.
#include "gui/Button.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "tests/gui/GuiTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// A window that counts what reaches it and answers as told.
class Probe : public Window {
public:
    Probe(int atX, int atY, int w, int h, bool takes) : answer(takes)
    {
        x = atX;
        y = atY;
        width = w;
        height = h;
    }
    void OnDeviceLost() override { ++lost; }
    void OnDeviceReset() override { ++reset; }
    bool OnMouseDown(MouseDevice*) override { return ++downs, answer; }
    bool OnMouseUp(MouseDevice*) override { return ++ups, answer; }
    bool OnMouseMove(MouseDevice*) override { return ++moves, false; }
    bool OnKey(KeyboardDevice*) override { return ++keys, answer; }
    bool answer;
    int downs = 0, ups = 0, moves = 0, keys = 0, lost = 0, reset = 0;
};

int hovers = 0;
int CountHover(void*, Button*)
{
    ++hovers;
    return 1;
}
int Handled(void*, Button*) { return 1; }

}  // namespace

TEST_F(GuiTest, IdsStartAt55502AndTheHundredAndFirstWindowIsRefused)
{
    EXPECT_EQ(manager.NewWindowId(), 55502);
    EXPECT_EQ(manager.NewWindowId(), 55503);

    std::vector<std::unique_ptr<Probe>> windows;
    for (int i = 0; i < WindowManager::MAX_WINDOWS; ++i) {
        windows.emplace_back(new Probe(0, 0, 10, 10, false));
        ASSERT_TRUE(manager.AddWindow(windows.back().get())) << i;
    }
    Probe extra(0, 0, 10, 10, true);
    CopyText(extra.caption, sizeof extra.caption, "Extra");
    LogCaptureBegin();
    EXPECT_FALSE(manager.AddWindow(&extra));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR"), std::string::npos) << log;
    EXPECT_NE(log.find("Extra"), std::string::npos) << log;
    EXPECT_EQ(manager.WindowCount(), 100);
    Pass(5, 5, 0, 1);
    EXPECT_EQ(extra.downs, 0) << "a refused window gets no input";
}

TEST_F(GuiTest, TheModalWindowAloneGetsTheMouseAndKeepsOnlyWhatItHandles)
{
    Probe under(0, 0, 500, 500, true), dialog(600, 100, 200, 100, true);
    manager.AddWindow(&under);
    manager.AddWindow(&dialog);
    manager.modal = &dialog;

    // A click beside the dialog reaches no window, and the game still sees it.
    Pass(100, 100, 0, 1);
    EXPECT_EQ(under.downs, 0);
    EXPECT_EQ(mouse.event[0], 1);
    // A click the dialog handles is taken from the game.
    Pass(650, 150, 0, 1);
    EXPECT_EQ(dialog.downs, 1);
    EXPECT_EQ(mouse.event[0], 0);
    EXPECT_EQ(under.moves, 0) << "only the modal window follows the mouse";
    EXPECT_GT(dialog.moves, 0);

    manager.modal = nullptr;
    Pass(100, 100, 0, 1);
    EXPECT_EQ(under.downs, 1);
    EXPECT_FALSE(manager.IsPointOverWindow(550, 550, false));
    EXPECT_TRUE(manager.IsPointOverWindow(100, 100, false));
    under.flags |= WINDOW_FRAMELESS;
    EXPECT_FALSE(manager.IsPointOverWindow(100, 100, true));
}

TEST_F(GuiTest, AHandledClickIsTakenFromTheButtonThatMadeIt)
{
    Window screen(0, 0, 400, 300, 0, nullptr, 0);
    Button button(Handled, Handled, 10, 10, 100, 40, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    button.rightButtonAllowed = true;
    screen.AddChild(&button);
    manager.AddWindow(&screen);

    const struct {
        int button, event;
    } cases[] = {{0, 1}, {0, 2}, {1, 1}, {1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << c.button << " event " << c.event);
        mouse.cursorX = mouse.cursorY = 30;
        mouse.event[0] = mouse.event[1] = 0;
        mouse.event[c.button] = (unsigned char)c.event;
        mouse.event[1 - c.button] = 0;
        manager.Update(&mouse);
        EXPECT_EQ(mouse.event[c.button], 0) << "handled, so the world must not act on it";
    }
    // A right click the GUI does not handle stays with the game, and leaves the left alone.
    button.rightButtonAllowed = false;
    mouse.event[0] = 0;
    Pass(30, 30, 1, 1);
    EXPECT_EQ(mouse.event[1], 1);
}

TEST_F(GuiTest, HiddenChildrenDoNotHover)
{
    Window screen(0, 0, 400, 300, 0, nullptr, 0);
    Button button(nullptr, nullptr, 10, 10, 100, 40, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    button.hoverEnterCallback = CountHover;
    screen.AddChild(&button);
    manager.AddWindow(&screen);
    hovers = 0;
    button.SetVisible(false);
    Pass(30, 30);
    EXPECT_EQ(hovers, 0);
    EXPECT_FALSE(button.hovering);
    button.SetVisible(true);
    Pass(30, 30);
    EXPECT_EQ(hovers, 1);
}

// A tooltip goes with its button: a button under the pointer that is hidden, whose window is
// hidden or that a modal window cuts off, leaves as if the pointer had gone, once.
TEST_F(GuiTest, AButtonThePointerCanNoLongerReachStopsHovering)
{
    static int leaves = 0;
    const struct {
        const char* what;
        void (*cut)(Window& screen, Button& button, Window& dialog, WindowManager& manager);
        int leaves;
    } cases[] = {
        {"nothing changes", [](Window&, Button&, Window&, WindowManager&) {}, 0},
        {"the button hidden", [](Window&, Button& button, Window&, WindowManager&) { button.SetVisible(false); }, 1},
        {"its window hidden", [](Window& screen, Button&, Window&, WindowManager&) { screen.SetVisible(false); }, 1},
        {"a modal window over it", [](Window&, Button&, Window& dialog, WindowManager& m) { m.modal = &dialog; }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Window screen(0, 0, 400, 300, 0, nullptr, 0), dialog(500, 0, 100, 100, 0, nullptr, 0);
        Button button(nullptr, nullptr, 10, 10, 100, 40, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
        button.hoverLeaveCallback = [](void*, Button*) { return ++leaves, 1; };
        screen.AddChild(&button);
        manager.AddWindow(&screen);
        manager.AddWindow(&dialog);
        Pass(30, 30);
        ASSERT_TRUE(button.hovering);
        leaves = 0;
        c.cut(screen, button, dialog, manager);
        Pass(30, 30);
        Pass(30, 30);
        EXPECT_EQ(leaves, c.leaves);
        EXPECT_EQ(button.hovering, c.leaves == 0);
        manager.modal = nullptr;
        manager.windows.Clear();
    }
}

TEST_F(GuiTest, FocusMovesOnPressAndKeysGoToTheFocusedChildFirst)
{
    Window screen(0, 0, 400, 300, 0, nullptr, 0);
    Probe field(10, 10, 100, 30, true), other(10, 60, 100, 30, false);
    field.flags |= WINDOW_FOCUSABLE;
    other.flags |= WINDOW_FOCUSABLE;
    Button ok(nullptr, Handled, 10, 200, 80, 30, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    ok.flags |= WINDOW_DEFAULT_BUTTON;
    int okClicks = 0;
    ok.hasUserData = true;
    ok.userData = (intptr_t)&okClicks;
    ok.clickCallback = [](void* user, Button*) {
        ++**(int**)user;
        return 1;
    };
    for (Window* w : {(Window*)&field, (Window*)&other, (Window*)&ok}) screen.AddChild(w);
    manager.AddWindow(&screen);

    Pass(20, 20, 0, 1);
    EXPECT_EQ(manager.focused, &field);
    EXPECT_TRUE(field.HasFocus());
    Pass(20, 70, 0, 1);
    EXPECT_EQ(manager.focused, &other);
    EXPECT_FALSE(field.HasFocus());

    // Enter: the focused field that handles it keeps it from the default button.
    keyboard.lastKeyDown = VK_RETURN;
    Pass(20, 20, 0, 1);
    EXPECT_TRUE(manager.OnKey(&keyboard));
    EXPECT_EQ(field.keys, 1);
    EXPECT_EQ(okClicks, 0);
    // When the focused field does not take it, the screen's default button is clicked.
    field.answer = false;
    // The click takes the key: Enter must not go on to the game (the console) as well.
    EXPECT_TRUE(manager.OnKey(&keyboard)) << "a click of the default button takes the key";
    EXPECT_EQ(okClicks, 1);
    // A key the screen does nothing with is not taken.
    keyboard.lastKeyDown = 'Q';
    EXPECT_FALSE(manager.OnKey(&keyboard));
    EXPECT_EQ(okClicks, 1);

    // A screen that frees the field while it has the keyboard (the game closing as the player
    // types) leaves the manager nothing to reach for.
    {
        Probe typing(10, 110, 100, 30, true);
        typing.flags |= WINDOW_FOCUSABLE;
        screen.AddChild(&typing);
        Pass(20, 120, 0, 1);
        ASSERT_EQ(manager.focused, &typing);
        screen.RemoveChild(&typing);
    }
    EXPECT_EQ(manager.focused, nullptr);
    EXPECT_FALSE(manager.OnKey(&keyboard));
}

TEST_F(GuiTest, TheModalWindowIsDrawnLastOverADarkenedScreen)
{
    Window a(0, 0, 100, 100, 0, nullptr, 0), hidden(0, 0, 100, 100, 0, nullptr, 0),
        ownerDrawn(0, 0, 100, 100, 0, nullptr, 0), dialog(300, 300, 100, 100, 0, nullptr, 0);
    hidden.SetVisible(false);
    ownerDrawn.flags |= WINDOW_NOT_MANAGED_DRAW;
    for (Window* w : {&dialog, &a, &hidden, &ownerDrawn}) manager.AddWindow(w);
    manager.modal = &dialog;
    dialog.SetVisible(false);
    manager.Draw();
    ASSERT_EQ(painter.quads.size(), 3u);
    EXPECT_EQ(painter.quads[0].sprite, a.pieces[0]);
    const DrawnQuad& backdrop = painter.quads[1];
    EXPECT_EQ(TextureFile(backdrop.texture), "black.dds");
    EXPECT_EQ(backdrop.colour, 0xB2000000u);
    EXPECT_EQ(backdrop.right - backdrop.left, 1024);
    EXPECT_EQ(backdrop.bottom - backdrop.top, 768);
    EXPECT_EQ(painter.quads[2].sprite, dialog.pieces[0]) << "the modal window last, even when hidden";

    // A text prompt sits over the scene as it is.
    painter.Clear();
    dialog.flags |= WINDOW_TYPE_EDITBOX;
    manager.Draw();
    ASSERT_EQ(painter.quads.size(), 2u);
    EXPECT_EQ(painter.quads[1].sprite, dialog.pieces[0]);
}

// A screen of the player's own (the character screen in a mission) stands back while a modal
// window is up: the window is seen whole and the pointer over the screen's place reaches no
// window; closed, the screen is drawn and hit again.
TEST_F(GuiTest, AWindowMarkedToStandBackIsNeitherDrawnNorHitUnderAModalWindow)
{
    Window screen(0, 0, 200, 200, 0, nullptr, 0), plain(0, 300, 100, 100, 0, nullptr, 0),
        dialog(100, 100, 300, 300, 0, nullptr, 0);
    screen.flags |= WINDOW_BEHIND_MODAL;
    for (Window* w : {&screen, &plain, &dialog}) manager.AddWindow(w);
    const struct {
        Window* modal;
        bool screenShows;
    } cases[] = {{nullptr, true}, {&dialog, false}, {&screen, true}, {nullptr, true}};
    for (const auto& c : cases) {
        manager.modal = c.modal;
        painter.Clear();
        manager.Draw();
        bool drawn = false, plainDrawn = false;
        for (const DrawnQuad& quad : painter.quads) {
            drawn |= quad.sprite == screen.pieces[0];
            plainDrawn |= quad.sprite == plain.pieces[0];
        }
        EXPECT_EQ(drawn, c.screenShows) << c.modal;
        EXPECT_TRUE(plainDrawn) << "other windows stay under the darkened screen";
        EXPECT_EQ(manager.IsPointOverWindow(50, 50, false), c.screenShows) << c.modal;
    }
}

TEST_F(GuiTest, DeviceLossReachesWindowsAndTheirChildrenAndTheDumpCountsThem)
{
    Probe first(0, 0, 10, 10, false), second(0, 0, 10, 10, false), c1(0, 0, 1, 1, false), c2(0, 0, 1, 1, false);
    Button c3(nullptr, nullptr, 0, 0, 10, 10, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    c3.SetText("OK");
    CopyText(first.caption, sizeof first.caption, "First");
    first.AddChild(&c1);
    first.AddChild(&c2);
    second.AddChild(&c3);
    manager.AddWindow(&first);
    manager.AddWindow(&second);
    manager.OnDeviceLost();
    manager.OnDeviceReset();
    for (Probe* p : {&first, &second, &c1, &c2}) {
        EXPECT_EQ(p->lost, 1);
        EXPECT_EQ(p->reset, 1);
    }

    LogCaptureBegin();
    manager.Dump();
    std::string dump = LogCaptureEnd();
    for (const char* line : {"\t\tWindowManager Dump:\n", "First\tWINDOW\t\n", "\tButton\tBUTTON\tOK\n",
                             "Parent count 2\n", "Total count 5\n"})
        EXPECT_NE(dump.find(line), std::string::npos) << line << " missing from:\n" << dump;
}
