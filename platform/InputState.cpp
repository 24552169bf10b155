#include "platform/InputState.h"

#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"

#include <cstdlib>
#include <cstring>

InputState Input;

namespace {

// The lock keys whose presses flip the toggles, in toggle order.
const int TOGGLE_KEYS[4] = {DIK_INSERT, DIK_NUMLOCK, DIK_CAPITAL, DIK_SCROLL};

// The configured resolution and mouse speed; the shipped defaults before the configuration
// exists.
void ScreenSettings(int* width, int* height, float* mouseSpeed)
{
    *width = Config ? Config->width : 1024;
    *height = Config ? Config->height : 768;
    *mouseSpeed = Config ? Config->mouseSpeed : 1.0f;
    if (*width < 1) *width = 1;
    if (*height < 1) *height = 1;
}

int KeyboardSetupFailed(const char* step, int result)
{
    ShowMessageBox(nullptr, "ERROR: InitDirectInput");
    Log("    ERROR: InitDirectInput %s\n", step);
    return result;
}

void ReleaseDevice(InputDevice*& device)
{
    if (!device) return;
    device->Unacquire();
    device->Release();
    device = nullptr;
}

}  // namespace

// ---- Keyboard

int KeyboardDevice::Create(InputSystem* system, SDL_Window* window)
{
    memset(toggles, 0, sizeof toggles);
    ReleaseDevice(device);
    if (!system) return KeyboardSetupFailed("CreateDevice", DIERR_NOTINITIALIZED);
    int result = system->CreateDevice(GUID_SysKeyboard, &device);
    if (InputFailed(result)) return KeyboardSetupFailed("CreateDevice", result);
    result = device->SetDataFormat(c_dfDIKeyboard);
    if (InputFailed(result)) {
        // A half-made device would only fail every read: none at all is clearer.
        ReleaseDevice(device);
        return KeyboardSetupFailed("SetDataFormat", result);
    }
    result = device->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    if (InputFailed(result)) {
        ReleaseDevice(device);
        return KeyboardSetupFailed("SetCooperativeLevel", result);
    }
    // In the background the keyboard cannot be taken yet; the first update takes it.
    device->Acquire();
    return DI_OK;
}

void KeyboardDevice::Update()
{
    memcpy(previousState, state, sizeof state);

    // A keyboard that cannot be read (the window is in the background, or it was lost and
    // cannot be taken back) has every key up: a key held when the focus went must not stay
    // held until the player comes back.
    unsigned char read[256];
    bool ok = device && !InputFailed(device->GetDeviceState(sizeof read, read));
    if (!ok && device && !InputFailed(device->Acquire())) ok = !InputFailed(device->GetDeviceState(sizeof read, read));
    if (ok) memcpy(state, read, sizeof state);
    else memset(state, 0, sizeof state);

    for (int i = 0; i < 4; ++i) {
        int key = TOGGLE_KEYS[i];
        if ((state[key] & 0x80) && !(previousState[key] & 0x80)) toggles[i] ^= 1;
    }
}

bool KeyboardDevice::IsShiftDown() const
{
    if (messageModifiers >= 0) return (messageModifiers & MODIFIER_SHIFT) != 0;
    return IsKeyDown(DIK_LSHIFT) || IsKeyDown(DIK_RSHIFT);
}

bool KeyboardDevice::IsControlDown() const
{
    if (messageModifiers >= 0) return (messageModifiers & MODIFIER_CONTROL) != 0;
    return IsKeyDown(DIK_LCONTROL) || IsKeyDown(DIK_RCONTROL);
}

// ---- Mouse

MouseDevice::MouseDevice()
    : wheel(0), device(nullptr), down{}, previous{}, event{}, cursorX(0), cursorY(0), stepX(0), stepY(0), pressX(0),
      pressY(0), lastPressTime(-1.0f), pressInterval(-1.0f)
{
}

int MouseDevice::Create(InputSystem* system, SDL_Window* window)
{
    int width, height;
    float speed;
    ScreenSettings(&width, &height, &speed);
    cursorX = pressX = width / 2;
    cursorY = pressY = height / 2;

    ReleaseDevice(device);
    if (!system) return DIERR_NOTINITIALIZED;
    int result = system->CreateDevice(GUID_SysMouse, &device);
    if (InputFailed(result)) return result;
    result = device->SetDataFormat(c_dfDIMouse);
    if (!InputFailed(result)) result = device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    if (InputFailed(result)) ReleaseDevice(device);
    return result;
}

void MouseDevice::Update()
{
    memcpy(previous, down, sizeof down);
    DIMOUSESTATE read = {};
    if (!device) return;

    // A lost mouse is taken back at once; when it cannot be (the window is in the
    // background) or fails otherwise, nothing moves and every button is up.
    int result = device->GetDeviceState(sizeof read, &read);
    for (int attempt = 0; attempt < 2 && (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED); ++attempt) {
        if (InputFailed(device->Acquire())) break;
        result = device->GetDeviceState(sizeof read, &read);
    }
    if (InputFailed(result)) memset(&read, 0, sizeof read);

    // Scaled to the screen: the same hand movement crosses the same share of any resolution.
    int width, height;
    float mouseSpeed;
    ScreenSettings(&width, &height, &mouseSpeed);
    float speed = mouseSpeed + 0.5f;
    stepX = int(float(read.lX) * (float(width) / 1024.0f) * speed);
    stepY = int(float(read.lY) * (float(height) / 768.0f) * speed);
    cursorX += stepX;
    cursorY += stepY;
    wheel = read.lZ;
    if (cursorX < 0) cursorX = 0;
    if (cursorX >= width) cursorX = width - 1;
    if (cursorY < 0) cursorY = 0;
    if (cursorY >= height) cursorY = height - 1;

    for (int b = 0; b < 3; ++b) {
        down[b] = read.rgbButtons[b] & 0x80;
        if (down[b] && !previous[b]) event[b] = 1;
        else if (!down[b] && previous[b]) event[b] = 2;
        else event[b] = 0;
    }

    // The press point stays where the left button went down for as long as it is held.
    if (!(down[0] && previous[0])) {
        pressX = cursorX;
        pressY = cursorY;
    }

    if (event[0] == 1) {
        float t = float(FrameTimer.GetTime());
        // A first press at the very start of the clock (time 0) still counts as a press.
        if (lastPressTime >= 0.0f) pressInterval = t - lastPressTime;
        lastPressTime = t;
    }
}

int MouseDevice::IsButtonDown(int b) const
{
    if (b < 0 || b > 2) return 0;
    return down[b];
}

bool MouseDevice::WasClicked(int b) const
{
    if (b < 0 || b > 2) return false;
    return down[b] && previous[b];
}

void MouseDevice::ClearClicked(int b)
{
    if (b >= 0 && b <= 2) previous[b] = 0;
}

bool MouseDevice::ButtonEventIs(int b, int e) const
{
    if (b < 0 || b > 2) return false;
    return event[b] == e;
}

void MouseDevice::ClearButtonEvent(int b)
{
    if (b >= 0 && b <= 2) event[b] = 0;
}

bool MouseDevice::IsDragging(int n) const
{
    return abs(cursorX - pressX) > n && abs(cursorY - pressY) > n;
}

bool MouseDevice::HeldLongerThan(float t) const
{
    return pressInterval > 0.0f && pressInterval < t;
}

// ---- The devices together

int InitDirectInput(SDL_Window* window)
{
    Input.controller = nullptr;
    // Readers find a keyboard and a mouse even when the devices cannot be made: their state
    // then simply never changes.
    if (!Input.keyboard) Input.keyboard = new KeyboardDevice;
    if (!Input.mouse) Input.mouse = new MouseDevice;

    int result = DI_OK;
    if (!Input.system) result = CreateInputSystem(&Input.system);
    if (InputFailed(result)) {
        // Without the input system no device can be made.
        ShowMessageBox(nullptr, "ERROR: InitDirectInput");
        Log("    ERROR: InitDirectInput CreateInputSystem\n");
        Log("    InitDirectInput :  Keyboard Device Failed!\n");
        Input.mouse->Create(nullptr, window);
        return result;
    }

    result = Input.keyboard->Create(Input.system, window);
    if (InputFailed(result)) {
        Log("    InitDirectInput :  Keyboard Device Failed!\n");
        Input.mouse->Create(nullptr, window);  // no device, but the cursor is centred
        return result;
    }
    result = Input.mouse->Create(Input.system, window);
    if (InputFailed(result)) {
        Log("    InitDirectInput :  Mouse Device Failed!\n");
        return result;
    }
    Log("    InitDirectInput :  OK!\n");
    return result;
}

void InputState::Release()
{
    if (keyboard) {
        ReleaseDevice(keyboard->device);
        delete keyboard;
        keyboard = nullptr;
    }
    if (mouse) {
        ReleaseDevice(mouse->device);
        delete mouse;
        mouse = nullptr;
    }
    ReleaseDevice(controller);
    if (system) {
        system->Release();
        system = nullptr;
    }
}
