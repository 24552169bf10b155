#pragma once
// The keyboard and mouse state that the window manager, the camera, the orders and the
// screens read once the shell has polled the devices for this pass. Keys are indexed by
// keyboard scan code (the DIK_ values of host/InputKeys.h); 0x80 set in a key's byte means it
// is held. The shell polls once per main-loop pass, right after the frame timer's tick:
// keyboard first, then mouse. Window messages are not read here (see host/InputEvents.h).
#include "host/InputDevices.h"
#include "host/InputKeys.h"

struct SDL_Window;

// Raw wheel movement of one notch.
constexpr int WHEEL_DELTA = 120;

// The lock-key toggles, in the order the keyboard keeps them.
enum KeyToggle { TOGGLE_INSERT = 0, TOGGLE_NUMLOCK = 1, TOGGLE_CAPSLOCK = 2, TOGGLE_SCROLLLOCK = 3 };

class KeyboardDevice {
public:
    // Makes, formats and acquires the system keyboard for window; clears the toggles. On a
    // failed step: a message box, a log line naming the step, and its result.
    int Create(InputSystem* system, SDL_Window* window);
    // Once per pass: the previous state, the new state, the toggles.
    void Update();

    bool IsKeyDown(int code) const { return code >= 0 && code < 256 && (state[code] & 0x80) != 0; }
    // Insert flips between inserting and overwriting text.
    bool IsOverwriteMode() const { return toggles[TOGGLE_INSERT] != 0; }
    bool IsCapsLockOn() const { return toggles[TOGGLE_CAPSLOCK] != 0; }
    // Shift and Ctrl as they were when the key being handled went down. The poll reads the
    // keyboard once a pass, after the pass's key messages: a Shift let go just before a letter
    // would still be held in it. While a key message is handled its own modifiers answer.
    bool IsShiftDown() const;
    bool IsControlDown() const;

    unsigned char state[256] = {};
    unsigned char previousState[256] = {};
    // Flipped on every press of Insert, Num Lock, Caps Lock and Scroll Lock, in this order.
    unsigned char toggles[4] = {};
    InputDevice* device = nullptr;
    // Virtual-key codes of the last key message, set by the window procedure: the key just
    // pressed (0 between messages; the text boxes may replace it) and the key last released.
    int lastKeyDown = 0;
    int lastKeyUp = 0;
    // The modifier bits (MODIFIER_*) of the key message being handled; -1 between messages.
    int messageModifiers = -1;
};

class MouseDevice {
public:
    MouseDevice();

    // Makes and formats the system mouse for window (acquired by the first update) and puts
    // the cursor and the press point at the centre of the screen.
    int Create(InputSystem* system, SDL_Window* window);
    // Once per pass: movement, cursor, buttons and their events, press point and press times.
    void Update();

    // The down byte of button b (0 left, 1 right, 2 middle); 0 for any other b.
    int IsButtonDown(int b) const;
    // Button b is held: down in this update and in the previous one (unless cleared).
    bool WasClicked(int b) const;
    // Makes WasClicked(b) false until the next update.
    void ClearClicked(int b);
    // The event of button b in this update is e (1 pressed, 2 released).
    bool ButtonEventIs(int b, int e) const;
    // Consumes the event of button b, so later readers of the pass do not see it.
    void ClearButtonEvent(int b);
    // The cursor is more than n pixels from the press point on both axes.
    bool IsDragging(int n) const;
    // The last two left-button presses came less than t seconds apart (a double click).
    bool HeldLongerThan(float t) const;

    int wheel;                 // raw movement of the last update, WHEEL_DELTA per notch
    InputDevice* device;
    unsigned char down[3];     // 0x80 while held
    unsigned char previous[3]; // down bytes of the previous update
    unsigned char event[3];    // 0 none, 1 pressed, 2 released in this update
    int cursorX, cursorY;      // screen pixels within the configured resolution
    int stepX, stepY;          // cursor movement of the last update
    int pressX, pressY;        // cursor at the last press of the left button
    float lastPressTime;       // seconds; -1 until the first press
    float pressInterval;       // seconds between the last two presses; -1 until the second
};

// The input devices; a device is null until it has been created.
class InputState {
public:
    // Unacquires, releases and deletes the keyboard, the mouse and the controller, then the
    // input system. Called at shutdown.
    void Release();

    InputSystem* system = nullptr;
    KeyboardDevice* keyboard = nullptr;
    MouseDevice* mouse = nullptr;
    // A game controller: polled and released when present; nothing makes one.
    InputDevice* controller = nullptr;
};

extern InputState Input;

// Makes the input system, the keyboard and the mouse for the game's window, logging the
// outcome; the result of the last step (negative on failure). Called once at start-up, after
// the frame timer.
int InitDirectInput(SDL_Window* window);
