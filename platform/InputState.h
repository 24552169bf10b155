#pragma once
// The keyboard and mouse state that the window manager, the camera, the orders and the
// screens read once the shell has polled the devices for this pass. Keys are indexed by
// keyboard scan code (the DIK_ values below); 0x80 set in a key's byte means it is held.

// Scan codes of the keys the game reads by position.
enum : unsigned char {
    DIK_ESCAPE = 0x01,
    DIK_LCONTROL = 0x1D,
    DIK_LSHIFT = 0x2A,
    DIK_RSHIFT = 0x36,
    DIK_LMENU = 0x38,  // left Alt
    DIK_CAPITAL = 0x3A,
    DIK_NUMLOCK = 0x45,
    DIK_SCROLL = 0x46,
    DIK_RCONTROL = 0x9D,
    DIK_RMENU = 0xB8,  // right Alt
    DIK_UP = 0xC8,
    DIK_PRIOR = 0xC9,  // Page Up
    DIK_LEFT = 0xCB,
    DIK_RIGHT = 0xCD,
    DIK_DOWN = 0xD0,
    DIK_NEXT = 0xD1,  // Page Down
    DIK_INSERT = 0xD2,
};

// Raw wheel movement of one notch.
constexpr int WHEEL_DELTA = 120;

class KeyboardDevice {
public:
    unsigned char state[256] = {};
    unsigned char previousState[256] = {};
    // Flipped on every press of Insert, Num Lock, Caps Lock and Scroll Lock, in this order.
    unsigned char toggles[4] = {};

    bool IsKeyDown(int code) const { return code >= 0 && code < 256 && (state[code] & 0x80) != 0; }
};

class MouseDevice {
public:
    MouseDevice();

    // The down byte of button b (0 left, 1 right, 2 middle); 0 for any other b.
    int IsButtonDown(int b) const;

    int wheel;                 // raw movement of the last update, WHEEL_DELTA per notch
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
    KeyboardDevice* keyboard = nullptr;
    MouseDevice* mouse = nullptr;
};

extern InputState Input;
