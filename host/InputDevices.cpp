#include "host/InputDevices.h"

#include "host/InputEvents.h"
#include "host/Log.h"

#include <SDL.h>
#include <cstring>

namespace {

unsigned Faults = 0;

bool Faulty(InputDeviceKind kind, unsigned keyboardFault, unsigned mouseFault)
{
    return (Faults & (kind == GUID_SysKeyboard ? keyboardFault : mouseFault)) != 0;
}

}  // namespace

void SetInputFaults(unsigned faults)
{
    Faults = faults;
}

int CreateInputSystem(InputSystem** out)
{
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (Faults & FAULT_CREATE_SYSTEM) return DIERR_GENERIC;
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
        Log("    ERROR: the event queue cannot be started: %s\n", SDL_GetError());
        return DIERR_NOTINITIALIZED;
    }
    *out = new InputSystem;
    return DI_OK;
}

void InputSystem::Release()
{
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
    delete this;
}

int InputSystem::CreateDevice(InputDeviceKind kind, InputDevice** out)
{
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (Faulty(kind, FAULT_KEYBOARD_CREATE, FAULT_MOUSE_CREATE)) return DIERR_GENERIC;
    *out = new InputDevice(kind);
    return DI_OK;
}

int InputDevice::SetDataFormat(InputDataFormat format)
{
    if (acquired) return DIERR_GENERIC;  // a format is set before the device is taken
    if (Faulty(kind, FAULT_KEYBOARD_FORMAT, FAULT_MOUSE_FORMAT)) return DIERR_GENERIC;
    bool matches = (kind == GUID_SysKeyboard && format == c_dfDIKeyboard) || (kind == GUID_SysMouse && format == c_dfDIMouse);
    if (!matches) return DIERR_INVALIDPARAM;
    formatSet = true;
    return DI_OK;
}

int InputDevice::SetCooperativeLevel(SDL_Window* window, unsigned flags)
{
    if (acquired) return DIERR_GENERIC;
    if (Faulty(kind, FAULT_KEYBOARD_COOPERATIVE, FAULT_MOUSE_COOPERATIVE)) return DIERR_GENERIC;
    bool oneSharing = ((flags & DISCL_EXCLUSIVE) != 0) != ((flags & DISCL_NONEXCLUSIVE) != 0);
    bool oneGround = ((flags & DISCL_FOREGROUND) != 0) != ((flags & DISCL_BACKGROUND) != 0);
    if (!oneSharing || !oneGround) return DIERR_INVALIDPARAM;
    // The devices follow the pump's window; a different one cannot be served.
    if (window && InputEvents.GetWindow() && window != InputEvents.GetWindow()) return DIERR_INVALIDPARAM;
    if (window && !InputEvents.GetWindow()) InputEvents.Attach(window);
    level = flags;
    return DI_OK;
}

int InputDevice::Acquire()
{
    if (!formatSet || !level) return DIERR_INVALIDPARAM;
    InputEvents.Pump();  // the focus as it is now
    if ((level & DISCL_FOREGROUND) && !InputEvents.HasFocus()) return DIERR_OTHERAPPHASPRIO;
    if (acquired && acquiredAtLoss == InputEvents.FocusLossCount()) return DI_OK;
    acquired = true;
    acquiredAtLoss = InputEvents.FocusLossCount();
    if (kind == GUID_SysMouse) {
        // Only movement made while the game holds the mouse counts.
        InputEvents.ClearMouseMotion();
        if (level & DISCL_EXCLUSIVE) InputEvents.CaptureMouse(true);
    }
    return DI_OK;
}

int InputDevice::Unacquire()
{
    if (!acquired) return DI_OK;
    acquired = false;
    if (kind == GUID_SysMouse && (level & DISCL_EXCLUSIVE) && InputEvents.IsMouseCaptured()) InputEvents.CaptureMouse(false);
    return DI_OK;
}

int InputDevice::GetDeviceState(unsigned size, void* data)
{
    if (!data) return DIERR_INVALIDPARAM;
    if (!formatSet) return DIERR_INVALIDPARAM;
    unsigned expected = kind == GUID_SysKeyboard ? 256u : unsigned(sizeof(DIMOUSESTATE));
    if (size != expected) return DIERR_INVALIDPARAM;
    if (!acquired) return DIERR_NOTACQUIRED;
    // The latest events first, as a read of the hardware would see them.
    InputEvents.Pump();
    if ((level & DISCL_FOREGROUND) && acquiredAtLoss != InputEvents.FocusLossCount()) {
        acquired = false;
        return DIERR_INPUTLOST;
    }
    if (Faulty(kind, FAULT_KEYBOARD_READ, FAULT_MOUSE_READ)) return DIERR_GENERIC;

    if (kind == GUID_SysKeyboard) {
        memcpy(data, InputEvents.KeyState(), 256);
        return DI_OK;
    }
    DIMOUSESTATE state = {};
    int dx = 0, dy = 0, wheel = 0;
    unsigned char buttons[3] = {};
    InputEvents.ReadMouse(&dx, &dy, &wheel, buttons);
    state.lX = dx;
    state.lY = dy;
    state.lZ = wheel;
    for (int b = 0; b < 3; ++b) state.rgbButtons[b] = buttons[b];
    memcpy(data, &state, sizeof state);
    return DI_OK;
}

void InputDevice::Release()
{
    Unacquire();
    delete this;
}
