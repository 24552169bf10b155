#include "host/Display.h"

#include "host/Log.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <sys/socket.h>

namespace {
bool DisplayForgone = false;
}  // namespace

void ForgoDisplay(bool forgo)
{
    DisplayForgone = forgo;
}

bool IsDisplayForgone()
{
    return DisplayForgone;
}

bool GetDesktopDisplaySize(int* width, int* height)
{
    if (DisplayForgone) return false;
    // The desktop does not change its mode under a running game often enough to ask twice:
    // the first answer (or the lack of one) is kept for the rest of the run.
    static bool asked = false;
    static bool found = false;
    static int desktopWidth = 0;
    static int desktopHeight = 0;
    if (!asked) {
        asked = true;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            // The offscreen and dummy drivers stand in when there is no display at all; their
            // made-up mode is no desktop.
            const char* driver = SDL_GetCurrentVideoDriver();
            bool real = driver && strcmp(driver, "offscreen") != 0 && strcmp(driver, "dummy") != 0;
            SDL_DisplayMode mode;
            if (real && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
                desktopWidth = mode.w;
                desktopHeight = mode.h;
                found = true;
            }
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    if (!found) return false;
    if (width) *width = desktopWidth;
    if (height) *height = desktopHeight;
    return true;
}

namespace {

int IgnoreRequestFailure(Display*, XErrorEvent*) { return 0; }

// The window a window property names; false when it names none (or the window is gone).
bool WindowProperty(Display* display, ::Window window, Atom property, ::Window* out)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                                    &data) == Success &&
                 data && type == XA_WINDOW && format == 32 && count == 1;
    if (found) *out = *reinterpret_cast<::Window*>(data);
    if (data) XFree(data);
    return found;
}

// A window manager stands behind the root window's check window (which names itself) and lists
// full screen among the window states it supports.
bool WindowManagerDoesFullScreen(Display* display)
{
    const ::Window root = DefaultRootWindow(display);
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    ::Window manager = 0, self = 0;
    if (!WindowProperty(display, root, check, &manager) || !WindowProperty(display, manager, check, &self) ||
        self != manager)
        return false;
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool listed = false;
    if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), 0, 4096, False, XA_ATOM,
                           &type, &format, &count, &after, &data) == Success &&
        data && type == XA_ATOM && format == 32) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !listed; ++i) listed = atoms[i] == fullScreen;
    }
    if (data) XFree(data);
    return listed;
}

}  // namespace

bool CanWindowsGoFullScreen()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "x11") != 0) return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return true;
    // A check window left behind by a window manager that has gone would fail the request:
    // that only means there is none, never the end of the game.
    XSync(display, False);
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(IgnoreRequestFailure);
    const bool can = WindowManagerDoesFullScreen(display);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return can;
}

namespace {

DisplayModeInfo ModeInfo(const SDL_DisplayMode& mode)
{
    DisplayModeInfo info;
    info.width = mode.w;
    info.height = mode.h;
    // Whole bytes per pixel, as the desktop counts them: 32 for the 24-bit colour of X.
    info.bitsPerPixel = SDL_BYTESPERPIXEL(mode.format) * 8;
    info.refreshRate = mode.refresh_rate;
    return info;
}

}  // namespace

bool GetDisplayModes(DisplayModeInfo* current, std::vector<DisplayModeInfo>* modes)
{
    if (DisplayForgone) return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    bool found = false;
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        found = true;
        if (current) *current = ModeInfo(mode);
        if (modes) {
            modes->clear();
            const int count = SDL_GetNumDisplayModes(0);
            for (int i = 0; i < count; ++i)
                if (SDL_GetDisplayMode(0, i, &mode) == 0) modes->push_back(ModeInfo(mode));
        }
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return found;
}

namespace {

// Xlib calls the handlers on the thread that made the failing call; the flag is read by the
// main thread's event pump.
std::atomic<bool> displayLost{false};
Display* watchedDisplay = nullptr;
::Window watchedWindow = 0;
int otherErrors = 0;

void Lose(const char* what)
{
    if (displayLost.exchange(true)) return;
    Log("ERROR: %s; the game ends\n", what);
}

int OnConnectionBroken(Display*)
{
    Lose("the connection to the display was lost");
    return 0;
}

// Called instead of Xlib's own exit once the broken connection has been reported: the game
// carries on to its orderly end, and Xlib answers every later call with a failure.
void OnConnectionBrokenExit(Display*, void*) {}

int OnRequestFailed(Display* display, XErrorEvent* error)
{
    char name[128] = "";
    XGetErrorText(display, error->error_code, name, sizeof name);
    bool ours = watchedWindow && error->resourceid == watchedWindow;
    if (ours && (error->error_code == BadWindow || error->error_code == BadDrawable)) {
        Lose("the game's window was destroyed");
        return 0;
    }
    // Any other failed request used to end the game at once; a few lines in the log do.
    if (otherErrors < 10) Log("WARNING X request %d failed: %s\n", error->request_code, name);
    ++otherErrors;
    return 0;
}

}  // namespace

void WatchDisplayConnection(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    displayLost = false;
    otherErrors = 0;
    watchedWindow = info.info.x11.window;
    if (watchedDisplay == info.info.x11.display) return;
    watchedDisplay = info.info.x11.display;
    // A write to a connection the server has closed (the window killed) raises SIGPIPE, which
    // would end the game on the spot, before Xlib reports the broken connection: ignored, the
    // write fails and the handler below has its say.
    signal(SIGPIPE, SIG_IGN);
    XSetErrorHandler(OnRequestFailed);
    XSetIOErrorHandler(OnConnectionBroken);
    XSetIOErrorExitHandler(watchedDisplay, OnConnectionBrokenExit, nullptr);
}

void UnwatchWindow(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    if (info.info.x11.window == watchedWindow) watchedWindow = 0;
    if (!displayLost) return;
    // Only the local event queue is touched: nothing is sent over the lost connection.
    XEvent unmapped;
    memset(&unmapped, 0, sizeof unmapped);
    unmapped.xunmap.type = UnmapNotify;
    unmapped.xunmap.display = info.info.x11.display;
    unmapped.xunmap.event = info.info.x11.window;
    unmapped.xunmap.window = info.info.x11.window;
    XPutBackEvent(info.info.x11.display, &unmapped);
}

bool IsDisplayWatched()
{
    return watchedWindow != 0;
}

bool IsDisplayLost()
{
    return displayLost;
}

void BreakDisplayConnection()
{
    if (watchedDisplay) shutdown(ConnectionNumber(watchedDisplay), SHUT_RDWR);
}
