// Buttons: faces of push, toggle and radio buttons, callbacks, cancelling, the disabled button,
// the right button, press times, radio groups, text, hovering and the default pictures.
#include "gui/Button.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"
#include "tests/gui/GuiTestSupport.h"

#include <algorithm>
#include <string>

namespace {

struct Calls {
    int presses = 0, clicks = 0, enters = 0, leaves = 0;
    void* lastUser = nullptr;
};
Calls calls;

int OnPress(void* user, Button*)
{
    ++calls.presses;
    calls.lastUser = user;
    return 1;
}
int OnClick(void* user, Button*)
{
    ++calls.clicks;
    calls.lastUser = user;
    return 1;
}
int OnEnter(void*, Button*) { return ++calls.enters, 1; }
int OnLeave(void*, Button*) { return ++calls.leaves, 1; }

Button* MakeButton(ButtonCallback press = OnPress, ButtonCallback click = OnClick)
{
    return new Button(press, click, 100, 100, 120, 40, 0, nullptr, "data/gui/tb_up.dds", "data/gui/tb_down.dds",
                      nullptr, 0, 0, 0);
}

class ButtonTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        calls = Calls();
    }
    // The face the button shows now.
    const Sprite* Face(Button& button)
    {
        painter.Clear();
        button.Draw();
        return painter.quads.empty() ? nullptr : painter.quads[0].sprite;
    }
};

}  // namespace

TEST_F(ButtonTest, PushToggleAndRadioButtonsShowTheirFaces)
{
    enum Kind { PUSH, TOGGLE, RADIO };
    struct Step {
        int event;         // 1 press, 2 release
        bool showsPressed;
    };
    const struct {
        Kind kind;
        Step steps[4];
    } cases[] = {
        {PUSH, {{1, true}, {2, false}, {1, true}, {2, false}}},
        {TOGGLE, {{1, true}, {2, true}, {1, false}, {2, false}}},
        {RADIO, {{1, false}, {2, false}, {1, false}, {2, false}}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<Button> button(MakeButton());
        button->toggleMode = c.kind == TOGGLE;
        if (c.kind == RADIO) button->radioGroup = 1;
        EXPECT_EQ(Face(*button), button->unpressedSprite);
        for (const Step& step : c.steps) {
            mouse.event[0] = (unsigned char)step.event;
            if (step.event == 1) button->OnMouseDown(&mouse);
            else button->OnMouseUp(&mouse);
            EXPECT_EQ(Face(*button), step.showsPressed ? button->pressedSprite : button->unpressedSprite)
                << "kind " << c.kind << " after event " << step.event;
        }
    }
}

TEST_F(ButtonTest, APressThatLeavesTheButtonDoesNotClick)
{
    Window screen(0, 0, 400, 300, 0, nullptr, 0);
    std::unique_ptr<Button> button(MakeButton());
    button->hasUserData = true;
    button->userData = 42;
    screen.AddChild(button.get());
    manager.AddWindow(&screen);

    Click(150, 120);
    EXPECT_EQ(calls.presses, 1);
    EXPECT_EQ(calls.clicks, 1);
    EXPECT_EQ(calls.lastUser, &button->userData) << "the callbacks get the user value's address";
    EXPECT_EQ(mouse.event[0], 0) << "handled";

    Pass(150, 120, 0, 1);
    Pass(300, 250);  // off the button
    Pass(300, 250, 0, 2);
    Pass(150, 120, 0, 2);
    EXPECT_EQ(calls.presses, 2);
    EXPECT_EQ(calls.clicks, 1) << "the press was taken back";

    button->hasUserData = false;
    Click(150, 120);
    EXPECT_EQ(calls.lastUser, nullptr);
}

TEST_F(ButtonTest, ADisabledButtonIgnoresTheMouse)
{
    std::unique_ptr<Button> button(MakeButton());
    button->toggleMode = true;
    button->SetEnabled(false);
    mouse.event[0] = 1;
    EXPECT_FALSE(button->OnMouseDown(&mouse));
    mouse.event[0] = 2;
    EXPECT_FALSE(button->OnMouseUp(&mouse));
    EXPECT_EQ(calls.presses + calls.clicks, 0);
    EXPECT_FALSE(button->toggled);
    EXPECT_FALSE(button->pressed);
    EXPECT_FLOAT_EQ(button->pressTime, -1.0f);
    EXPECT_EQ(Face(*button), button->unpressedSprite);
}

TEST_F(ButtonTest, TheRightButtonCountsOnlyWhereItIsAllowed)
{
    std::unique_ptr<Button> button(MakeButton());
    AdvanceClock(1.0f);
    mouse.event[1] = 1;
    EXPECT_FALSE(button->OnMouseDown(&mouse));
    EXPECT_TRUE(button->toggled) << "the toggle still flips";
    EXPECT_NEAR(button->pressTime, 1.0f, 1e-4f) << "and the time is taken";
    mouse.event[1] = 2;
    EXPECT_FALSE(button->OnMouseUp(&mouse));
    EXPECT_EQ(calls.presses + calls.clicks, 0);

    button->rightButtonAllowed = true;
    mouse.event[1] = 1;
    EXPECT_TRUE(button->OnMouseDown(&mouse));
    mouse.event[1] = 2;
    EXPECT_TRUE(button->OnMouseUp(&mouse));
    EXPECT_EQ(calls.presses, 1);
    EXPECT_EQ(calls.clicks, 1);
}

TEST_F(ButtonTest, TheTimeBetweenPressesIsKeptFromTheSecondOn)
{
    std::unique_ptr<Button> button(MakeButton());
    AdvanceClock(2.0f);
    button->OnMouseDown(&mouse);
    EXPECT_FLOAT_EQ(button->timeSincePreviousPress, -1.0f);
    AdvanceClock(0.25f);
    button->OnMouseDown(&mouse);
    EXPECT_NEAR(button->timeSincePreviousPress, 0.25f, 1e-4f);
}

TEST_F(ButtonTest, SelectingARadioButtonUnselectsOnlyItsGroup)
{
    Window screen;
    std::unique_ptr<Button> a(MakeButton()), b(MakeButton()), other(MakeButton());
    Window plain;
    a->radioGroup = b->radioGroup = 1;
    other->radioGroup = 2;
    for (Window* w : {(Window*)a.get(), (Window*)b.get(), (Window*)other.get(), &plain}) screen.AddChild(w);
    const Sprite* aUp = a->unpressedSprite;
    const Sprite* aDown = a->pressedSprite;

    other->SelectInGroup(2);
    a->SelectInGroup(1);
    EXPECT_TRUE(a->selected);
    EXPECT_EQ(a->pressedSprite, aUp) << "faces swapped";
    EXPECT_EQ(a->unpressedSprite, aDown);
    a->SelectInGroup(1);
    EXPECT_TRUE(a->selected);
    EXPECT_EQ(a->pressedSprite, aUp) << "selecting again changes nothing";

    b->SelectInGroup(1);
    EXPECT_TRUE(b->selected);
    EXPECT_FALSE(a->selected);
    EXPECT_EQ(a->unpressedSprite, aUp) << "faces back";
    EXPECT_TRUE(other->selected) << "another group keeps its choice";
}

TEST_F(ButtonTest, TextIsCutCentredSinksWhileHeldAndGreysWhenDisabled)
{
    std::unique_ptr<Button> button(MakeButton());
    button->SetText(std::string(130, 'x').c_str());
    EXPECT_EQ(std::string(button->text).size(), 127u);
    button->SetText("Start");
    font.SetColor(0.2f, 0.4f, 0.6f, 1.0f);
    TextSize size;
    font.GetTextExtent("Start", &size);

    Face(*button);
    ASSERT_EQ(painter.texts.size(), 1u);
    const int x = 100 + (120 - size.cx) / 2, y = 100 + (40 - size.cy) / 2;
    EXPECT_EQ(painter.texts[0].x, x);
    EXPECT_EQ(painter.texts[0].y, y);
    EXPECT_EQ(painter.texts[0].colour, PackColour(1.0f, 1.0f, 1.0f, 1.0f)) << "not the colour left in the font";
    const float blue[4] = {0.6f, 0.78f, 1.0f, 1.0f};
    std::copy(blue, blue + 4, button->textColour);
    Face(*button);
    EXPECT_EQ(painter.texts[0].colour, PackColour(0.6f, 0.78f, 1.0f, 1.0f)) << "the button's own";

    button->OnMouseDown(&mouse);
    Face(*button);
    EXPECT_EQ(painter.texts[0].y, y + 2);
    button->OnMouseUp(&mouse);

    button->SetEnabled(false);
    Face(*button);
    EXPECT_EQ(painter.texts[0].colour, PackColour(0.66f, 0.66f, 0.66f, 1.0f));
    EXPECT_EQ(font.PackedColour(), PackColour(0.2f, 0.4f, 0.6f, 1.0f)) << "the style keeps its colour";

    button->SetText(nullptr);
    Face(*button);
    EXPECT_TRUE(painter.texts.empty());
}

TEST_F(ButtonTest, HoveringShowsThePictureAndTheStyleAndCallsBack)
{
    Window screen(0, 0, 400, 300, 0, nullptr, 0);
    std::unique_ptr<Button> button(MakeButton());
    Font hoverFont("gui");
    button->hoverStyle = &hoverFont;
    button->SetImage("data/gui/tb_glow.dds", 0);
    button->hoverEnterCallback = OnEnter;
    button->hoverLeaveCallback = OnLeave;
    screen.AddChild(button.get());
    manager.AddWindow(&screen);

    Pass(150, 120);
    Pass(151, 121);
    Face(*button);
    EXPECT_EQ(painter.TimesDrawn(button->hoverImage), 1);
    EXPECT_EQ(button->style, &hoverFont);
    EXPECT_TRUE(button->flags & WINDOW_HOVER_STYLE);
    button->SetEnabled(false);
    Face(*button);
    EXPECT_EQ(painter.TimesDrawn(button->hoverImage), 0) << "not on a disabled button";
    button->SetEnabled(true);

    Pass(300, 250);
    Pass(310, 250);
    Face(*button);
    EXPECT_EQ(painter.TimesDrawn(button->hoverImage), 0);
    EXPECT_EQ(button->style, &font);
    EXPECT_EQ(calls.enters, 2) << "on every move over the button";
    EXPECT_EQ(calls.leaves, 1) << "once on leaving";
}

TEST_F(ButtonTest, FacesComeFromTheStyleFolderOrTheGivenPicturesAndCells)
{
    Button plain(nullptr, nullptr, 0, 0, 50, 20, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    EXPECT_STREQ(plain.caption, "Button");
    EXPECT_EQ(plain.flags, (uint32_t)WINDOW_TYPE_BUTTON);
    EXPECT_EQ(plain.style, &font);
    EXPECT_EQ(std::string(plain.pressedSprite->texture->name), "Data/gui/button_pressed.dds");
    EXPECT_EQ(std::string(plain.unpressedSprite->texture->name), "Data/gui/button_unpressed.dds");

    // A 1 x 3 atlas: unpressed the middle cell, pressed the bottom one.
    Button atlas(nullptr, nullptr, 0, 0, 50, 20, 0, nullptr, "data/gui/tb_sheet.dds", "data/gui/tb_sheet.dds", nullptr,
                 0x01030001, 0x01030002, SPRITE_POINT_FILTER);
    EXPECT_NEAR(atlas.unpressedSprite->va, 1.0f / 3.0f, 1e-5f);
    EXPECT_NEAR(atlas.pressedSprite->va, 2.0f / 3.0f, 1e-5f);
    EXPECT_TRUE(atlas.pressedSprite->flags & SPRITE_POINT_FILTER);

    // One picture for both faces through two cells; a null picture leaves its face.
    const char* icons = "data/gui/tb_icons.dds";
    atlas.SetIcon(icons, icons, 0x04020201, 0x04020301);
    EXPECT_EQ(atlas.unpressedSprite->texture, atlas.pressedSprite->texture);
    EXPECT_NEAR(atlas.pressedSprite->ua, 0.5f, 1e-5f);
    EXPECT_NEAR(atlas.unpressedSprite->ua, 0.75f, 1e-5f);
    atlas.SetIcon(nullptr, "data/gui/tb_other.dds", 0, 0);
    EXPECT_EQ(std::string(atlas.pressedSprite->texture->name), icons);
    EXPECT_EQ(std::string(atlas.unpressedSprite->texture->name), "data/gui/tb_other.dds");
}
