#pragma once
// The keyboard and mouse as devices the game acquires and polls once per frame. A device is
// made by the input system, given its data format and cooperative level, acquired, and then
// read with GetDeviceState: the keyboard as 256 bytes by scan code, the mouse as a
// DIMOUSESTATE of the motion, wheel and buttons since the last read. The devices read what
// the event pump (host/InputEvents.h) gathered from the platform's events.
//
// A foreground device can only be acquired while the game's window has the focus, and it
// loses its input when the focus goes: the next read then fails with DIERR_INPUTLOST (or
// DIERR_NOTACQUIRED once unacquired) until it is acquired again. An exclusive mouse takes the
// pointer while acquired.
#include <cstdint>

struct SDL_Window;

// Result codes: negative on failure.
enum : int {
    DI_OK = 0,
    DIERR_GENERIC = -1,
    DIERR_INVALIDPARAM = -2,
    DIERR_NOTACQUIRED = -3,
    DIERR_INPUTLOST = -4,
    DIERR_OTHERAPPHASPRIO = -5,  // the window is in the background
    DIERR_NOTINITIALIZED = -6,
};
inline bool InputFailed(int result) { return result < 0; }

// Cooperative levels.
enum : unsigned {
    DISCL_EXCLUSIVE = 0x1,
    DISCL_NONEXCLUSIVE = 0x2,
    DISCL_FOREGROUND = 0x4,
    DISCL_BACKGROUND = 0x8,
};

enum InputDeviceKind { GUID_SysKeyboard, GUID_SysMouse };
enum InputDataFormat { c_dfDIKeyboard, c_dfDIMouse };

// The mouse's state as read: movement and wheel since the last read, buttons with 0x80 down
// (left, right, middle; the fourth is never set).
struct DIMOUSESTATE {
    int32_t lX;
    int32_t lY;
    int32_t lZ;
    uint8_t rgbButtons[4];
};
static_assert(sizeof(DIMOUSESTATE) == 16, "the mouse state is 16 bytes");

class InputDevice {
public:
    int SetDataFormat(InputDataFormat format);
    // window may be null when the pump reads the queue without a window (scripted input).
    int SetCooperativeLevel(SDL_Window* window, unsigned flags);
    int Acquire();
    int Unacquire();
    // size must match the data format (256 for the keyboard, 16 for the mouse). On failure
    // data is left untouched.
    int GetDeviceState(unsigned size, void* data);
    // Unacquires and frees the device.
    void Release();

    InputDeviceKind GetKind() const { return kind; }
    bool IsAcquired() const { return acquired; }

private:
    friend class InputSystem;
    explicit InputDevice(InputDeviceKind k) : kind(k) {}
    ~InputDevice() = default;

    InputDeviceKind kind;
    bool formatSet = false;
    unsigned level = 0;
    bool acquired = false;
    unsigned acquiredAtLoss = 0;  // the pump's focus-loss count when acquired
};

// The input system that makes the devices; one per program.
class InputSystem {
public:
    int CreateDevice(InputDeviceKind kind, InputDevice** out);
    void Release();

private:
    friend int CreateInputSystem(InputSystem** out);
    InputSystem() = default;
    ~InputSystem() = default;
};

// Starts the platform's event queue and makes the input system.
int CreateInputSystem(InputSystem** out);

// Tests make single steps of setting up and reading the devices fail.
enum InputFault : unsigned {
    FAULT_CREATE_SYSTEM = 1u << 0,
    FAULT_KEYBOARD_CREATE = 1u << 1,
    FAULT_KEYBOARD_FORMAT = 1u << 2,
    FAULT_KEYBOARD_COOPERATIVE = 1u << 3,
    FAULT_KEYBOARD_READ = 1u << 4,
    FAULT_MOUSE_CREATE = 1u << 5,
    FAULT_MOUSE_FORMAT = 1u << 6,
    FAULT_MOUSE_COOPERATIVE = 1u << 7,
    FAULT_MOUSE_READ = 1u << 8,
};
void SetInputFaults(unsigned faults);
