#include "host/InputScript.h"

#include "host/InputEvents.h"
#include "host/InputKeys.h"

#include <SDL.h>
#include <cstring>

namespace {

bool Push(SDL_Event& event)
{
    // The queue needs its subsystem, also in a test that made no input system.
    if (!SDL_WasInit(SDL_INIT_EVENTS) && SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return false;
    return SDL_PushEvent(&event) == 1;
}

uint32_t WindowId()
{
    SDL_Window* window = InputEvents.GetWindow();
    return window ? SDL_GetWindowID(window) : 0;
}

bool Key(int dik, int keycode, bool down, bool repeat)
{
    int scancode = ScancodeOfDik(dik);
    if (!scancode) return false;
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = WindowId();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = SDL_Scancode(scancode);
    event.key.keysym.sym = keycode ? keycode : UsKeycodeOfScancode(scancode);
    return Push(event);
}

void Button(int button, bool down)
{
    const uint8_t buttons[3] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE};
    if (button < 0 || button > 2) return;
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = WindowId();
    event.button.button = buttons[button];
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    Push(event);
}

void Window(uint8_t what)
{
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = WindowId();
    event.window.event = what;
    Push(event);
}

}  // namespace

bool InputScript::KeyDown(int dik, int keycode)
{
    return Key(dik, keycode, true, false);
}

bool InputScript::KeyUp(int dik, int keycode)
{
    return Key(dik, keycode, false, false);
}

bool InputScript::KeyRepeat(int dik)
{
    return Key(dik, 0, true, true);
}

bool InputScript::Tap(int dik)
{
    return KeyDown(dik) && KeyUp(dik);
}

void InputScript::Type(const char* utf8)
{
    // One event per character, as typing makes them.
    const char* p = utf8;
    while (p && *p) {
        size_t length = 1;
        while ((p[length] & 0xC0) == 0x80) ++length;
        SDL_Event event;
        memset(&event, 0, sizeof event);
        event.type = SDL_TEXTINPUT;
        event.text.windowID = WindowId();
        memcpy(event.text.text, p, length < sizeof event.text.text ? length : sizeof event.text.text - 1);
        Push(event);
        p += length;
    }
}

void InputScript::MoveMouse(int dx, int dy)
{
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = WindowId();
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    Push(event);
}

void InputScript::ButtonDown(int button)
{
    Button(button, true);
}

void InputScript::ButtonUp(int button)
{
    Button(button, false);
}

void InputScript::Click(int button)
{
    Button(button, true);
    Button(button, false);
}

void InputScript::Wheel(int notches)
{
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = WindowId();
    event.wheel.y = notches;
    event.wheel.preciseY = float(notches);
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    Push(event);
}

void InputScript::Focus(bool gained)
{
    Window(gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

void InputScript::Minimise()
{
    Window(SDL_WINDOWEVENT_MINIMIZED);
}

void InputScript::Maximise()
{
    Window(SDL_WINDOWEVENT_MAXIMIZED);
}

void InputScript::Restore()
{
    Window(SDL_WINDOWEVENT_RESTORED);
}

void InputScript::CloseWindow()
{
    Window(SDL_WINDOWEVENT_CLOSE);
}

void InputScript::Quit()
{
    SDL_Event event;
    memset(&event, 0, sizeof event);
    event.type = SDL_QUIT;
    Push(event);
}

SDL_Window* InputScript::OpenTestWindow(const char* title)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    SDL_Window* window = SDL_CreateWindow(title, 0, 0, 64, 64, SDL_WINDOW_SHOWN);
    if (!window) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return window;
}

void InputScript::CloseTestWindow(SDL_Window* window)
{
    if (!window) return;
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
