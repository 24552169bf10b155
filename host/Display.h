#pragma once
// The desktop's display: the size of its current mode (asked once), and the watch over the
// connection to it.
struct SDL_Window;

#include <vector>

// One mode of a display: its size, colour depth and refresh rate (0 when unknown).
struct DisplayModeInfo {
    int width = 0, height = 0, bitsPerPixel = 0, refreshRate = 0;
};

// A process that shows nothing (a replay's verification) never reaches for a display, not even
// to ask its size: while forgone, the questions below answer "none" without asking, so such a
// process runs the same with a display, without one, or with one that cannot be reached.
void ForgoDisplay(bool forgo);
bool IsDisplayForgone();

// Width and height of the desktop's current display mode; false (outputs untouched) when no
// display can be reached, as in headless test runs.
bool GetDesktopDisplaySize(int* width, int* height);
// The primary display's current mode and every mode it offers, in the order the display gives
// them; false (outputs untouched) when no display can be reached.
bool GetDisplayModes(DisplayModeInfo* current, std::vector<DisplayModeInfo>* modes);

// Whether the desktop makes a window full screen when asked. An X server with no window manager
// that does it (a bare server, a kiosk) leaves such a window at its windowed size while SDL
// takes it for the whole screen: the game then covers the screen with a borderless window of
// its own instead. Other displays, and a display that cannot be asked, do it.
bool CanWindowsGoFullScreen();

// Watches the connection the window lives on. Left alone, Xlib ends the process on the spot
// when the connection breaks (the X server goes away, the game's client is killed) or when the
// window is destroyed under the game. Watched, the loss is logged once and reported, and the
// event pump hands the game a destroy message, so it ends as after a close. Only X11 windows
// need it; any other window is left as it is.
void WatchDisplayConnection(SDL_Window* window);
// The game is about to destroy the window: it is watched no more (the connection stays
// watched). After a loss, SDL's wait for the window to vanish is answered at once, as neither
// a dead connection nor a destroyed window would ever answer it.
void UnwatchWindow(SDL_Window* window);
// True while a window's connection is watched (an X11 window exists).
bool IsDisplayWatched();
// True once the watched connection broke or the watched window was destroyed.
bool IsDisplayLost();
// Breaks the watched connection, as a dying X server would (tests).
void BreakDisplayConnection();
