// Windows: the framed and panel layouts, moving and resizing frames, hit tests, drawing order
// and clipping, focus, fitting, showing by id and group, and Enter on a screen.
#include "gui/Button.h"
#include "gui/Window.h"
#include "render/Sprite.h"
#include "tests/gui/GuiTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace {

struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

std::ostream& operator<<(std::ostream& out, const Rect& r)
{
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

Rect RectOf(const Sprite* s) { return {s->left, s->top, s->right, s->bottom}; }

std::vector<Rect> Rects(const Window& w)
{
    std::vector<Rect> out;
    for (int i = 0; i < w.pieceCount; ++i) out.push_back(RectOf(w.pieces[i]));
    return out;
}

std::vector<std::string> PicturesOf(const Window& w)
{
    std::vector<std::string> out;
    for (int i = 0; i < w.pieceCount; ++i) out.push_back(w.pieces[i]->texture ? w.pieces[i]->texture->name : "");
    return out;
}

int clicks = 0;
int CountClick(void*, Button*)
{
    ++clicks;
    return 1;
}

}  // namespace

TEST_F(GuiTest, FramedWindowsLayTheirQuadsAndPictures)
{
    const std::string frame = "data/gui/frame.dds";
    struct Case {
        uint32_t flags;
        const char* prefix;
        std::vector<std::string> textures;
    } const cases[] = {
        {0, nullptr, {frame}},
        {WINDOW_EXTRA_PIECE, nullptr, {frame, frame}},
        {WINDOW_BORDERED, "data/gui/test_", std::vector<std::string>(8, "data/gui/test_frame.dds")},
        {WINDOW_BORDERED | WINDOW_EXTRA_PIECE, nullptr, std::vector<std::string>(8, frame)},
    };
    std::vector<std::vector<std::string>> expected = {cases[0].textures, cases[1].textures, cases[2].textures,
                                                      cases[3].textures};
    expected[2].push_back("data/gui/test_8.dds");
    expected[3].push_back("data/gui/8.dds");
    expected[3].push_back("data/gui/9.dds");
    for (size_t i = 0; i < 4; ++i) {
        Window window(100, 50, 200, 120, 10, cases[i].prefix, cases[i].flags);
        EXPECT_EQ(PicturesOf(window), expected[i]) << "case " << i;
    }

    // Corners, edges, the centre (narrowed by the extra quad) and the extra quad beside it.
    Window full(100, 50, 200, 120, 10, nullptr, WINDOW_BORDERED | WINDOW_EXTRA_PIECE);
    const struct {
        int piece;
        Rect rect;
        float ua, va, ub, vb;
    } pieces[] = {
        {0, {100, 50, 110, 60}, 0.0f, 0.0f, 0.33f, 0.33f},   {1, {290, 50, 300, 60}, 0.66f, 0.0f, 1.0f, 0.33f},
        {3, {290, 160, 300, 170}, 0.66f, 0.66f, 1.0f, 1.0f}, {4, {110, 50, 290, 60}, 0.4f, 0.0f, 0.6f, 0.33f},
        {7, {290, 60, 300, 160}, 0.66f, 0.4f, 1.0f, 0.6f},   {8, {110, 60, 280, 160}, 0.0f, 0.0f, 1.0f, 1.0f},
        {9, {280, 60, 290, 160}, 0.0f, 0.0f, 1.0f, 1.0f},
    };
    for (const auto& p : pieces) {
        const Sprite* s = full.pieces[p.piece];
        EXPECT_EQ(RectOf(s), p.rect) << "quad " << p.piece;
        EXPECT_FLOAT_EQ(s->ua, p.ua);
        EXPECT_FLOAT_EQ(s->va, p.va);
        EXPECT_FLOAT_EQ(s->ub, p.ub);
        EXPECT_FLOAT_EQ(s->vb, p.vb);
        EXPECT_EQ(s->colour, 0xFFFFFFFFu);
    }
}

TEST_F(GuiTest, PanelsTileTheirBackgroundUnderTheirFrame)
{
    // On 1024 x 768 the background repeats every 64 pixels both ways and the border is 8.
    Window black(20, 30, 256, 128, "wframe_black.dds");
    Window blue(20, 30, 256, 128, "wframe_blue.dds");
    ASSERT_EQ(black.pieceCount, 9);
    EXPECT_EQ(black.border, 8);
    EXPECT_EQ(PicturesOf(black)[0], "data/gui/panelblue.dds");
    EXPECT_EQ(PicturesOf(blue)[0], "data/gui/solid_darkgrey.dds");
    const Sprite* back = black.pieces[0];
    EXPECT_EQ(RectOf(back), (Rect{20, 30, 276, 158}));
    EXPECT_FLOAT_EQ(back->ub, 4.0f);
    EXPECT_FLOAT_EQ(back->vb, 2.0f);
    EXPECT_TRUE(back->flags & SPRITE_WRAP);
    for (int i = 1; i < 9; ++i) EXPECT_EQ(PicturesOf(black)[i], "data/gui/wframe_black.dds");
    EXPECT_EQ(RectOf(black.pieces[1]), (Rect{20, 30, 28, 38})) << "the top-left corner";
    EXPECT_EQ(RectOf(black.pieces[8]), (Rect{268, 38, 276, 150})) << "the right edge";
}

TEST_F(GuiTest, MovingAFrameTranslatesEveryQuadAndKeepsItsPicture)
{
    std::vector<std::unique_ptr<Window>> windows;
    windows.emplace_back(new Window(100, 50, 200, 120, 10, nullptr, 0));
    windows.emplace_back(new Window(100, 50, 200, 120, 10, nullptr, WINDOW_EXTRA_PIECE));
    windows.emplace_back(new Window(100, 50, 200, 120, 10, nullptr, WINDOW_BORDERED));
    windows.emplace_back(new Window(100, 50, 200, 120, 10, nullptr, WINDOW_BORDERED | WINDOW_EXTRA_PIECE));
    windows.emplace_back(new Window(100, 50, 200, 120, "wframe_black.dds"));
    for (auto& window : windows) {
        SCOPED_TRACE(testing::Message() << window->pieceCount << " quads");
        std::vector<Rect> before = Rects(*window);
        std::vector<std::string> pictures = PicturesOf(*window);
        window->Move(130, 20);
        EXPECT_EQ(window->x, 130);
        EXPECT_EQ(window->y, 20);
        std::vector<Rect> after = Rects(*window);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], (Rect{before[i].left + 30, before[i].top - 30, before[i].right + 30, before[i].bottom - 30}))
                << "quad " << i;
        EXPECT_EQ(PicturesOf(*window), pictures) << "every quad keeps its picture";
    }
}

TEST_F(GuiTest, ResizingAFrameStretchesItByTheChange)
{
    const uint32_t flags = WINDOW_BORDERED | WINDOW_EXTRA_PIECE | WINDOW_RESIZABLE;
    Window window(40, 30, 100, 80, 8, nullptr, flags);
    Window small(40, 30, 100, 80, 8, nullptr, flags);
    Window large(40, 30, 160, 120, 8, nullptr, flags);
    window.Resize(160, 120);
    EXPECT_EQ(window.width, 160);
    EXPECT_EQ(window.height, 120);
    EXPECT_EQ(Rects(window), Rects(large)) << "a window grown from its size looks as one built at the new size";
    window.Resize(100, 80);
    EXPECT_EQ(Rects(window), Rects(small)) << "and shrinks back";

    // A frame that is not resizable keeps its quads; only the size changes.
    Window fixed(40, 30, 100, 80, 8, nullptr, WINDOW_BORDERED);
    std::vector<Rect> before = Rects(fixed);
    fixed.Resize(160, 120);
    EXPECT_EQ(Rects(fixed), before);
    EXPECT_EQ(fixed.width, 160);
}

TEST_F(GuiTest, HitsLieStrictlyInsideAndFollowTheParentsClientArea)
{
    Window parent(100, 100, 300, 200, 8, nullptr, 0);
    parent.clientX = 5;
    parent.clientY = 20;
    Window child(10, 10, 50, 40, 6, nullptr, 0);
    parent.AddChild(&child);
    // The child's origin is (115, 130).
    const struct {
        int x, y;
        bool hit;
        const char* where;
    } points[] = {
        {115, 140, false, "left edge"}, {130, 130, false, "top edge"},  {116, 131, true, "just inside"},
        {164, 169, true, "far corner"}, {165, 150, false, "right edge"}, {130, 170, false, "bottom edge"},
    };
    for (const auto& p : points) EXPECT_EQ(child.HitTest(p.x, p.y), p.hit) << p.where;

    // Collapsed, only a strip one border high is hit.
    child.flags |= WINDOW_COLLAPSED;
    EXPECT_TRUE(child.HitTest(130, 135));
    EXPECT_FALSE(child.HitTest(130, 136));
    child.flags &= ~WINDOW_COLLAPSED;

    // Capture takes every point; a hit callback has the last word.
    child.flags |= WINDOW_CAPTURE;
    EXPECT_TRUE(child.HitTest(0, 0));
    child.flags &= ~WINDOW_CAPTURE;
    child.hitCallback = [](Window*) { return false; };
    EXPECT_FALSE(child.HitTest(130, 150));
}

TEST_F(GuiTest, EachWindowIsDrawnOnceAndNeverUnderAHiddenParent)
{
    Window screen(0, 0, 400, 300, 8, nullptr, WINDOW_BORDERED);
    Window panel(10, 10, 100, 100, 4, nullptr, WINDOW_BORDERED);
    Window inner(20, 20, 30, 30, 2, nullptr, 0);
    Button button(nullptr, nullptr, 150, 10, 80, 30, 0, nullptr, "data/gui/tb_up.dds", "data/gui/tb_down.dds", nullptr,
                  0, 0, 0);
    Window badge(5, 5, 10, 10, 1, nullptr, 0);
    screen.AddChild(&panel);
    panel.AddChild(&inner);
    screen.AddChild(&button);
    button.AddChild(&badge);

    screen.Draw();
    for (const Window* w : {&screen, &panel, &inner, &badge})
        for (int i = 0; i < w->pieceCount; ++i) EXPECT_EQ(painter.TimesDrawn(w->pieces[i]), 1) << w->pieceCount;
    EXPECT_EQ(painter.TimesDrawn(button.unpressedSprite), 1);

    // Under a hidden panel its shown child stays hidden too.
    painter.Clear();
    panel.SetVisible(false);
    screen.Draw();
    EXPECT_EQ(painter.TimesDrawn(panel.pieces[0]), 0);
    EXPECT_EQ(painter.TimesDrawn(inner.pieces[0]), 0);
    panel.SetVisible(true);

    // A child starting below the client area is clipped; one that starts inside is drawn whole.
    Window below(10, 290, 50, 20, 2, nullptr, 0);
    Window overhang(10, 280, 50, 100, 2, nullptr, 0);
    screen.AddChild(&below);
    screen.AddChild(&overhang);
    painter.Clear();
    screen.Draw();
    EXPECT_FALSE(below.IsVisible());
    EXPECT_EQ(painter.TimesDrawn(below.pieces[0]), 0);
    EXPECT_TRUE(overhang.IsVisible());
    EXPECT_EQ(painter.TimesDrawn(overhang.pieces[0]), 1);

    // Collapsed, a bordered window shows its title strip alone.
    painter.Clear();
    screen.flags |= WINDOW_COLLAPSED;
    screen.Draw();
    ASSERT_EQ(painter.quads.size(), 3u);
    EXPECT_EQ(painter.quads[0].sprite, screen.pieces[0]);
    EXPECT_EQ(painter.quads[1].sprite, screen.pieces[1]);
    EXPECT_EQ(painter.quads[2].sprite, screen.pieces[4]);
}

TEST_F(GuiTest, FittingSizesAroundTheChildrenAndCentresWhatIsNotKept)
{
    Window window(7, 9, 10, 10, 0, nullptr, 0);
    Window a(0, 0, 300, 50, 0, nullptr, 0), b(10, 150, 100, 50, 0, nullptr, 0);
    window.AddChild(&a);
    window.AddChild(&b);
    window.FitToChildren(0, 0, 0, 0);
    EXPECT_EQ(window.width, 300);
    EXPECT_EQ(window.height, 200);
    EXPECT_EQ(window.x, (1024 - 300) / 2);
    EXPECT_EQ(window.y, (768 - 200) / 2);
    window.FitToChildren(1, 1, 10, 20);
    EXPECT_EQ(window.width, 310);
    EXPECT_EQ(window.height, 220);
    EXPECT_EQ(window.x, (1024 - 300) / 2) << "kept";
}

TEST_F(GuiTest, FocusShowingAndTheNextFieldFollowTheFlags)
{
    Window screen, a, b, c, d;
    for (Window* w : {&a, &b, &c}) screen.AddChild(w);
    b.AddChild(&d);
    EXPECT_FALSE(a.SetFocus(true)) << "not focusable";
    EXPECT_FALSE(a.HasFocus());
    a.flags |= WINDOW_FOCUSABLE;
    EXPECT_TRUE(a.SetFocus(true));
    EXPECT_TRUE(a.HasFocus());

    // After a: the next focusable sibling, else the first from the top (which may be a itself).
    c.flags |= WINDOW_DEFAULT_BUTTON;
    EXPECT_EQ(a.FindNextFocusable(), &c);
    EXPECT_EQ(c.FindNextFocusable(), &a);
    EXPECT_EQ(screen.FindNextFocusable(), &screen) << "a window without parent";

    // Ids and groups reach every descendant.
    d.id = b.id = 77;
    d.group = c.group = 5;
    screen.HideChildrenById(77);
    EXPECT_TRUE((b.flags & WINDOW_HIDDEN) && (d.flags & WINDOW_HIDDEN));
    screen.ShowChildrenById(77);
    screen.HideChildrenByGroup(5);
    EXPECT_TRUE((c.flags & WINDOW_HIDDEN) && (d.flags & WINDOW_HIDDEN));
    EXPECT_FALSE(b.flags & WINDOW_HIDDEN);
    screen.RemoveChild(&b);
    EXPECT_EQ(b.parent, nullptr);
    EXPECT_EQ(a.nextSibling, &c);
}

TEST_F(GuiTest, EnterClicksTheDefaultButtonOnce)
{
    Window screen;
    Button ok(nullptr, CountClick, 10, 10, 80, 30, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    keyboard.lastKeyDown = VK_RETURN;
    clicks = 0;
    EXPECT_FALSE(screen.OnKey(&keyboard)) << "no default button";
    screen.AddChild(&ok);
    EXPECT_FALSE(screen.OnKey(&keyboard)) << "a plain button is no default";
    ok.flags |= WINDOW_DEFAULT_BUTTON;
    EXPECT_TRUE(screen.OnKey(&keyboard));
    EXPECT_EQ(clicks, 1);
    keyboard.lastKeyDown = 'A';
    EXPECT_FALSE(screen.OnKey(&keyboard));
    EXPECT_EQ(clicks, 1);

    // A screen that swaps its buttons: Enter and Escape pass over the one put away, hidden or
    // disabled, to the one shown.
    Button shown(nullptr, CountClick, 10, 50, 80, 30, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    shown.flags |= WINDOW_DEFAULT_BUTTON | WINDOW_CANCEL_BUTTON;
    ok.flags |= WINDOW_CANCEL_BUTTON;
    screen.AddChild(&shown);
    for (uint32_t away : {WINDOW_HIDDEN, WINDOW_DISABLED})
        for (int key : {VK_RETURN, VK_ESCAPE}) {
            ok.flags |= away;
            keyboard.lastKeyDown = key;
            clicks = 0;
            EXPECT_EQ(screen.FindDefaultButton(), &shown);
            EXPECT_EQ(screen.FindCancelButton(), &shown);
            EXPECT_TRUE(screen.OnKey(&keyboard));
            EXPECT_EQ(clicks, 1) << away << " " << key;
            ok.flags &= ~away;
        }
    EXPECT_EQ(screen.FindDefaultButton(), &ok) << "shown again, the first comes first";
}
