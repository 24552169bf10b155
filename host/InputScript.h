#pragma once
// Scripted input for tests and demonstrations: pushes platform events into the event queue
// as a player's keyboard, mouse and window would make them. They are read back through the
// event pump exactly like real ones, and need no display. Keys are named by scan code (DIK_).
struct SDL_Window;

class InputScript {
public:
    // keycode: what the key means in the layout (a letter 'a'..'z', say); 0 for the US layout.
    // False for a scan code no platform key has.
    static bool KeyDown(int dik, int keycode = 0);
    static bool KeyUp(int dik, int keycode = 0);
    // The platform's repeat of a held key.
    static bool KeyRepeat(int dik);
    static bool Tap(int dik);
    // Text as the platform's text input delivers it (UTF-8).
    static void Type(const char* utf8);

    static void MoveMouse(int dx, int dy);
    // Buttons 0 left, 1 right, 2 middle.
    static void ButtonDown(int button);
    static void ButtonUp(int button);
    static void Click(int button);
    // Whole notches, forward positive.
    static void Wheel(int notches);

    static void Focus(bool gained);
    static void Minimise();
    static void Maximise();
    static void Restore();
    static void CloseWindow();
    static void Quit();

    // A small shown window for tests that drive real input under a display (xdotool); null
    // when there is no real display to show it on.
    static SDL_Window* OpenTestWindow(const char* title);
    static void CloseTestWindow(SDL_Window* window);
};
