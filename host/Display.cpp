#include "host/Display.h"

#include "host/Log.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <sys/socket.h>

bool GetDesktopDisplaySize(int* width, int* height)
{
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
