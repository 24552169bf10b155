// Real input into a real window: under a display, xdotool presses a key, moves the mouse and
// clicks, and the polled devices and the window messages see it. Skipped without a display
// or xdotool, or when the window cannot get the focus.
#include "platform/InputState.h"

#include "host/InputEvents.h"
#include "host/InputScript.h"
#include "host/System.h"
#include "platform/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

bool Shell(const std::string& command)
{
    return system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Polls the devices, as the main loop does, until done() or two seconds have passed.
template <class Done>
bool PollUntil(Done done)
{
    for (int i = 0; i < 200; ++i) {
        Input.keyboard->Update();
        Input.mouse->Update();
        if (done()) return true;
        SleepMs(10);
    }
    return false;
}

// What one run of the script saw.
struct Seen {
    bool keyHeld = false, keyLetGo = false, keyMessage = false, character = false;
    bool moved = false, pressed = false, released = false;
};

// Focuses the window, makes the devices and plays the script. False when the window could
// not get or keep the focus (another program's window took it): nothing can be judged then.
bool PlayScript(SDL_Window* window, const std::string& title, Seen* seen)
{
    InputEvents.Reset();
    InputEvents.Attach(window);
    std::string find = "timeout 5 xdotool search --sync --name '^" + title + "$'";
    if (!Shell("timeout 5 xdotool windowfocus --sync $(" + find + " | head -1)")) return false;
    for (int i = 0; i < 200 && !InputEvents.HasFocus(); ++i) {
        InputEvents.Pump();
        SleepMs(10);
    }
    if (!InputEvents.HasFocus() || InitDirectInput(window) != DI_OK) return false;
    unsigned losses = InputEvents.FocusLossCount();
    HostMessage m;
    while (InputEvents.PeekMessage(&m)) {}  // the start-up messages

    // A key: held in the polled state while down, and a key message with its character.
    Shell("xdotool keydown a");
    seen->keyHeld = PollUntil([] { return Input.keyboard->IsKeyDown(DIK_A); });
    Shell("xdotool keyup a");
    seen->keyLetGo = PollUntil([] { return !Input.keyboard->IsKeyDown(DIK_A); });
    while (InputEvents.PeekMessage(&m)) {
        seen->keyMessage = seen->keyMessage || (m.message == WM_KEYDOWN && m.wParam == 'A');
        seen->character = seen->character || (m.message == WM_CHAR && m.wParam == 'a');
    }

    // The mouse: taken by the first pass, moved, clicked (press and release in one go).
    int startX = Input.mouse->cursorX;
    Shell("xdotool mousemove_relative 10 0");
    seen->moved = PollUntil([&] { return Input.mouse->cursorX > startX; });
    Shell("xdotool click 1");
    seen->pressed = PollUntil([] { return Input.mouse->ButtonEventIs(0, 1); });
    seen->released = PollUntil([] { return Input.mouse->ButtonEventIs(0, 2); });

    bool kept = InputEvents.HasFocus() && InputEvents.FocusLossCount() == losses;
    Input.Release();
    Input = InputState();
    InputEvents.Reset();
    return kept;
}

TEST(InputWindow, XdotoolKeysAndClicksReachTheDevices)
{
    if (!getenv("DISPLAY") || !Shell("command -v xdotool")) GTEST_SKIP() << "no display or no xdotool";
    std::string title = "VeldmarkInput" + std::to_string(getpid());
    SDL_Window* window = InputScript::OpenTestWindow(title.c_str());
    if (!window) GTEST_SKIP() << "no real display";

    ConfigFile config(nullptr);
    config.width = 1024;
    config.height = 768;
    config.mouseSpeed = 0.5f;
    Config = &config;
    // Other programs on the same display may take the focus for a moment: try again then.
    Seen seen;
    bool played = false;
    for (int attempt = 0; attempt < 3 && !played; ++attempt) {
        seen = Seen();
        played = PlayScript(window, title, &seen);
    }
    InputScript::CloseTestWindow(window);
    Config = nullptr;
    if (!played) GTEST_SKIP() << "the window could not keep the focus";

    EXPECT_TRUE(seen.keyHeld);
    EXPECT_TRUE(seen.keyLetGo);
    EXPECT_TRUE(seen.keyMessage);
    EXPECT_TRUE(seen.character);
    EXPECT_TRUE(seen.moved);
    EXPECT_TRUE(seen.pressed);
    EXPECT_TRUE(seen.released);
}

}  // namespace
