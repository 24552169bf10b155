// The polled keyboard and mouse: set-up and its log, lock-key toggles, the software cursor,
// button events, press point, double-click timing and the background. Input is scripted
// through the platform's event queue, so the whole path from event to state is exercised.
#include "platform/InputState.h"

#include "host/InputEvents.h"
#include "host/InputScript.h"
#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The frame clock, moved by hand.
uint64_t clockMs = 0;
const ClockSource scriptedClock = {
    [] { return uint64_t(0); },
    [] { return uint64_t(0); },  // no high-resolution counter: the millisecond clock is read
    [] { return uint32_t(clockMs); },
};

class InputStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InputEvents.Pump();
        InputEvents.Reset();
        SetInputFaults(0);
        config = new ConfigFile(nullptr);
        config->width = 1024;
        config->height = 768;
        config->mouseSpeed = 0.5f;
        Config = config;
        clockMs = 0;
        FrameTimer.SetClock(&scriptedClock);
        FrameTimer.Init(false);
    }
    void TearDown() override
    {
        Input.Release();
        Input = InputState();
        SetInputFaults(0);
        InputEvents.Pump();
        InputEvents.Reset();
        Config = nullptr;
        delete config;
    }

    // Start-up as the shell does it, with the log listened to.
    std::string Init(int* result = nullptr)
    {
        LogCaptureBegin();
        int r = InitDirectInput(nullptr);
        if (result) *result = r;
        std::string log = LogCaptureEnd();
        // The first pass takes the mouse; only movement from then on counts.
        Poll();
        return log;
    }
    // One main-loop pass.
    static void Poll()
    {
        Input.keyboard->Update();
        Input.mouse->Update();
    }

    ConfigFile* config = nullptr;
};

TEST_F(InputStateTest, StartUpLogsItsOutcome)
{
    struct Case {
        unsigned faults;
        std::string log;
        bool keyboardDevice, mouseDevice;
    };
    const std::string box = ": ERROR: InitDirectInput\n";
    const Case cases[] = {
        {0, "    InitDirectInput :  OK!\n", true, true},
        {FAULT_KEYBOARD_CREATE, box + "    ERROR: InitDirectInput CreateDevice\n    InitDirectInput :  Keyboard Device Failed!\n",
         false, false},
        {FAULT_KEYBOARD_COOPERATIVE,
         box + "    ERROR: InitDirectInput SetCooperativeLevel\n    InitDirectInput :  Keyboard Device Failed!\n", false, false},
        {FAULT_MOUSE_CREATE, "    InitDirectInput :  Mouse Device Failed!\n", true, false},
        {FAULT_MOUSE_COOPERATIVE, "    InitDirectInput :  Mouse Device Failed!\n", true, false},
        {FAULT_CREATE_SYSTEM,
         box + "    ERROR: InitDirectInput CreateInputSystem\n    InitDirectInput :  Keyboard Device Failed!\n", false, false},
    };
    for (const Case& c : cases) {
        SetInputFaults(c.faults);
        int result = 0;
        std::string log = Init(&result);
        EXPECT_EQ(log, c.log) << c.faults;
        EXPECT_EQ(result < 0, c.faults != 0) << c.faults;
        // Readers always find both devices, centred, whatever failed.
        ASSERT_NE(Input.keyboard, nullptr);
        ASSERT_NE(Input.mouse, nullptr);
        EXPECT_EQ(Input.keyboard->device != nullptr, c.keyboardDevice) << c.faults;
        EXPECT_EQ(Input.mouse->device != nullptr, c.mouseDevice) << c.faults;
        EXPECT_EQ(Input.mouse->cursorX, 512);
        EXPECT_EQ(Input.mouse->cursorY, 384);
        EXPECT_EQ(Input.controller, nullptr);
        // A device that failed to be made never changes.
        InputScript::KeyDown(DIK_A);
        InputScript::ButtonDown(0);
        Poll();
        EXPECT_EQ(Input.keyboard->IsKeyDown(DIK_A), c.keyboardDevice) << c.faults;
        EXPECT_EQ(Input.mouse->IsButtonDown(0) != 0, c.mouseDevice) << c.faults;
        Input.Release();
        EXPECT_EQ(Input.keyboard, nullptr);
        EXPECT_EQ(Input.mouse, nullptr);
        EXPECT_EQ(Input.system, nullptr);
        SetInputFaults(0);
        InputEvents.Pump();
        InputEvents.Reset();
    }
}

TEST_F(InputStateTest, LockKeysToggleOnPresses)
{
    Init();
    KeyboardDevice& keyboard = *Input.keyboard;
    struct Step {
        int key;
        bool down;
        unsigned char toggles[4];  // Insert, Num Lock, Caps Lock, Scroll Lock after the pass
    };
    const Step steps[] = {
        {DIK_INSERT, true, {1, 0, 0, 0}},  {DIK_INSERT, true, {1, 0, 0, 0}},  // held: no new press
        {DIK_INSERT, false, {1, 0, 0, 0}}, {DIK_INSERT, true, {0, 0, 0, 0}},
        {DIK_CAPITAL, true, {0, 0, 1, 0}}, {DIK_NUMLOCK, true, {0, 1, 1, 0}},
        {DIK_SCROLL, true, {0, 1, 1, 1}},  {DIK_A, true, {0, 1, 1, 1}},
    };
    for (const Step& s : steps) {
        if (s.down) InputScript::KeyDown(s.key);
        else InputScript::KeyUp(s.key);
        keyboard.Update();
        for (int t = 0; t < 4; ++t) EXPECT_EQ(keyboard.toggles[t], s.toggles[t]) << "key " << s.key << " toggle " << t;
    }
    EXPECT_FALSE(keyboard.IsOverwriteMode());
    EXPECT_TRUE(keyboard.IsCapsLockOn());
    EXPECT_EQ(keyboard.previousState[DIK_A], 0);
    EXPECT_EQ(keyboard.state[DIK_A], 0x80);
}

TEST_F(InputStateTest, KeysHeldWhenTheFocusGoesAreLetGo)
{
    Init();
    KeyboardDevice& keyboard = *Input.keyboard;
    InputScript::KeyDown(DIK_LEFT);
    keyboard.Update();
    ASSERT_TRUE(keyboard.IsKeyDown(DIK_LEFT));

    // In the background nothing is held, however often the loop wakes.
    InputScript::Focus(false);
    keyboard.Update();
    EXPECT_FALSE(keyboard.IsKeyDown(DIK_LEFT));
    EXPECT_EQ(keyboard.previousState[DIK_LEFT], 0x80);
    keyboard.Update();
    EXPECT_FALSE(keyboard.IsKeyDown(DIK_LEFT));

    // Back in front, the keyboard is taken again and reads at once.
    InputScript::Focus(true);
    InputScript::KeyDown(DIK_RIGHT);
    keyboard.Update();
    EXPECT_TRUE(keyboard.IsKeyDown(DIK_RIGHT));
    EXPECT_FALSE(keyboard.IsKeyDown(DIK_LEFT));
}

TEST_F(InputStateTest, CursorScalesWithResolutionAndSpeed)
{
    struct Case {
        int width, height;
        float mouseSpeed;
        int dx, dy;
        int stepX, stepY;
    };
    const Case cases[] = {
        {1024, 768, 0.5f, 7, -5, 7, -5},   // raw counts exactly
        {1280, 1024, 1.0f, 3, 3, 5, 6},    // 3 x 1.25 x 1.5 = 5.625; 3 x 1.333 x 1.5 = 6
        {1280, 1024, 1.0f, -3, -1, -5, -2},  // toward zero
        {800, 600, 0.5f, 10, 10, 7, 7},
    };
    for (const Case& c : cases) {
        config->width = c.width;
        config->height = c.height;
        config->mouseSpeed = c.mouseSpeed;
        Init();
        MouseDevice& mouse = *Input.mouse;
        EXPECT_EQ(mouse.cursorX, c.width / 2);
        EXPECT_EQ(mouse.cursorY, c.height / 2);
        InputScript::MoveMouse(c.dx, c.dy);
        mouse.Update();
        EXPECT_EQ(mouse.stepX, c.stepX) << c.width;
        EXPECT_EQ(mouse.stepY, c.stepY) << c.width;
        EXPECT_EQ(mouse.cursorX, c.width / 2 + c.stepX);
        EXPECT_EQ(mouse.cursorY, c.height / 2 + c.stepY);
        Input.Release();
    }
}

TEST_F(InputStateTest, CursorStaysOnTheScreen)
{
    config->width = 320;
    config->height = 200;
    Init();
    MouseDevice& mouse = *Input.mouse;
    // Far more movement than the screen holds, with the speed doubling it on top.
    config->mouseSpeed = 1.5f;
    struct Case {
        int dx, dy;
        int x, y;
    };
    const Case cases[] = {{-5000, 0, 0, 100}, {0, -5000, 0, 0}, {90000, 90000, 319, 199}, {-4, -4, 317, 197}};
    for (const Case& c : cases) {
        InputScript::MoveMouse(c.dx, c.dy);
        mouse.Update();
        EXPECT_EQ(mouse.cursorX, c.x) << c.dx;
        EXPECT_EQ(mouse.cursorY, c.y) << c.dy;
    }
}

TEST_F(InputStateTest, ButtonEventsPressPointAndDrag)
{
    Init();
    MouseDevice& mouse = *Input.mouse;
    InputScript::MoveMouse(-412, -284);  // to (100, 100)
    mouse.Update();
    ASSERT_EQ(mouse.cursorX, 100);

    InputScript::ButtonDown(0);
    mouse.Update();
    EXPECT_TRUE(mouse.ButtonEventIs(0, 1));
    EXPECT_EQ(mouse.IsButtonDown(0), 0x80);
    EXPECT_FALSE(mouse.WasClicked(0));  // pressed, not yet held
    EXPECT_EQ(mouse.pressX, 100);

    // Held and moved: the press point stays where the press was.
    struct Move {
        int dx, dy;
        bool dragging;
    };
    const Move moves[] = {{20, 3, false}, {0, 6, true}, {-20, 0, false}};
    for (const Move& m : moves) {
        InputScript::MoveMouse(m.dx, m.dy);
        mouse.Update();
        EXPECT_EQ(mouse.event[0], 0);
        EXPECT_TRUE(mouse.WasClicked(0));
        EXPECT_EQ(mouse.pressX, 100);
        EXPECT_EQ(mouse.pressY, 100);
        EXPECT_EQ(mouse.IsDragging(8), m.dragging) << mouse.cursorX << "," << mouse.cursorY;
    }
    mouse.ClearClicked(0);
    EXPECT_FALSE(mouse.WasClicked(0));

    InputScript::ButtonUp(0);
    mouse.Update();
    EXPECT_TRUE(mouse.ButtonEventIs(0, 2));
    EXPECT_EQ(mouse.pressX, mouse.cursorX);  // released: the press point follows again
    mouse.ClearButtonEvent(0);
    EXPECT_FALSE(mouse.ButtonEventIs(0, 2));

    // Right and middle have their own events; there is no fourth button.
    InputScript::ButtonDown(1);
    InputScript::ButtonDown(2);
    mouse.Update();
    EXPECT_TRUE(mouse.ButtonEventIs(1, 1));
    EXPECT_TRUE(mouse.ButtonEventIs(2, 1));
    EXPECT_FALSE(mouse.ButtonEventIs(0, 1));
    EXPECT_EQ(mouse.IsButtonDown(3), 0);
    EXPECT_EQ(mouse.IsButtonDown(-1), 0);
    EXPECT_FALSE(mouse.WasClicked(3));
    EXPECT_FALSE(mouse.ButtonEventIs(3, 0));
    mouse.ClearClicked(3);
    mouse.ClearButtonEvent(7);
    EXPECT_TRUE(mouse.ButtonEventIs(1, 1));
}

TEST_F(InputStateTest, AQuickClickIsNotLost)
{
    // Pressed and released between two passes: pressed in the first, released in the next.
    Init();
    MouseDevice& mouse = *Input.mouse;
    InputScript::Click(0);
    mouse.Update();
    EXPECT_TRUE(mouse.ButtonEventIs(0, 1));
    mouse.Update();
    EXPECT_TRUE(mouse.ButtonEventIs(0, 2));
    mouse.Update();
    EXPECT_EQ(mouse.event[0], 0);
}

TEST_F(InputStateTest, WhatCameAfterAClickWaitsForItsPass)
{
    // A hand's input between two passes, in order; then what each pass sees: the left
    // button's event, Shift held, the cursor's x. A click is seen with the keys and at the
    // place it was made, whatever followed it before the pass.
    struct Pass {
        int event;
        bool shift;
        int x;
    };
    const struct {
        const char* what;
        void (*hand)();
        std::vector<Pass> passes;
    } cases[] = {
        {"Shift let go right after a click",
         [] {
             InputScript::Click(0);
             InputScript::KeyUp(DIK_LSHIFT);
         },
         {{1, true, 512}, {2, true, 512}, {0, false, 512}}},
        {"Shift let go between the press and the release",
         [] {
             InputScript::ButtonDown(0);
             InputScript::KeyUp(DIK_LSHIFT);
             InputScript::ButtonUp(0);
         },
         {{1, true, 512}, {2, false, 512}, {0, false, 512}}},
        {"moved on right after a click",
         [] {
             InputScript::MoveMouse(10, 0);
             InputScript::Click(0);
             InputScript::MoveMouse(40, 0);
         },
         {{1, true, 522}, {2, true, 522}, {0, true, 562}}},
        {"Shift let go after the release of a drag",
         [] {
             InputScript::ButtonUp(0);
             InputScript::KeyUp(DIK_LSHIFT);
         },
         {{2, true, 512}, {0, false, 512}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Init();
        InputScript::KeyDown(DIK_LSHIFT);
        if (c.passes[0].event == 2) InputScript::ButtonDown(0);
        Poll();
        ASSERT_EQ(Input.mouse->cursorX, 512);
        c.hand();
        for (const Pass& pass : c.passes) {
            Poll();
            EXPECT_EQ(Input.mouse->event[0], pass.event);
            EXPECT_EQ(Input.keyboard->IsKeyDown(DIK_LSHIFT), pass.shift);
            EXPECT_EQ(Input.mouse->cursorX, pass.x);
        }
        Input.Release();
        Input = InputState();
        InputEvents.Reset();
    }
}

TEST_F(InputStateTest, DoubleClickInterval)
{
    Init();
    MouseDevice& mouse = *Input.mouse;
    auto pressAt = [&](uint64_t ms) {
        clockMs = ms;
        InputScript::ButtonDown(0);
        mouse.Update();
        InputScript::ButtonUp(0);
        mouse.Update();
    };
    // The first press at the very start of the clock counts.
    pressAt(0);
    EXPECT_FLOAT_EQ(mouse.lastPressTime, 0.0f);
    EXPECT_FLOAT_EQ(mouse.pressInterval, -1.0f);
    EXPECT_FALSE(mouse.HeldLongerThan(10.0f));

    pressAt(250);
    EXPECT_FLOAT_EQ(mouse.lastPressTime, 0.25f);
    EXPECT_FLOAT_EQ(mouse.pressInterval, 0.25f);
    EXPECT_TRUE(mouse.HeldLongerThan(0.3f));
    EXPECT_FALSE(mouse.HeldLongerThan(0.25f));
    EXPECT_FALSE(mouse.HeldLongerThan(0.2f));

    pressAt(1250);
    EXPECT_FLOAT_EQ(mouse.pressInterval, 1.0f);
    EXPECT_FALSE(mouse.HeldLongerThan(0.3f));
    // A right press is no double click.
    clockMs = 1300;
    InputScript::ButtonDown(1);
    mouse.Update();
    EXPECT_FLOAT_EQ(mouse.lastPressTime, 1.25f);
}

TEST_F(InputStateTest, WheelInNotches)
{
    Init();
    MouseDevice& mouse = *Input.mouse;
    InputScript::Wheel(1);
    mouse.Update();
    EXPECT_EQ(mouse.wheel, WHEEL_DELTA);
    InputScript::Wheel(-3);
    mouse.Update();
    EXPECT_EQ(mouse.wheel, -3 * WHEEL_DELTA);
    mouse.Update();
    EXPECT_EQ(mouse.wheel, 0);
}

TEST_F(InputStateTest, MouseInTheBackground)
{
    Init();
    MouseDevice& mouse = *Input.mouse;
    InputScript::ButtonDown(0);
    mouse.Update();
    ASSERT_TRUE(mouse.ButtonEventIs(0, 1));

    // Gone to the background: the button lets go and nothing moves.
    InputScript::Focus(false);
    InputScript::MoveMouse(30, 30);
    mouse.Update();
    EXPECT_TRUE(mouse.ButtonEventIs(0, 2));
    EXPECT_EQ(mouse.stepX, 0);
    EXPECT_EQ(mouse.cursorX, 512);
    EXPECT_FALSE(mouse.device->IsAcquired());

    // Back: taken again on the next pass; only movement from then on counts.
    InputScript::Focus(true);
    InputScript::MoveMouse(9, 0);
    mouse.Update();
    EXPECT_TRUE(mouse.device->IsAcquired());
    EXPECT_EQ(mouse.stepX, 0);
    EXPECT_EQ(mouse.IsButtonDown(0), 0);  // let go with the focus, not held again
    InputScript::MoveMouse(4, 0);
    mouse.Update();
    EXPECT_EQ(mouse.stepX, 4);
    EXPECT_EQ(mouse.cursorX, 516);
}

}  // namespace
