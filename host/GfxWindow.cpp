// The SDL window the device draws into.
#include "host/GfxWindow.h"

#include "host/Display.h"
#include "host/Log.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace {

// Why there is no display to draw on, in the player's words.
std::string NoDisplayText(const char* reason)
{
    const char* x11 = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    std::string text = "Veldmark needs a display to draw on";
    if (x11 && x11[0])
        text += std::string(", and the display \"") + x11 + "\" (DISPLAY) could not be opened";
    else if (wayland && wayland[0])
        text += std::string(", and the display \"") + wayland + "\" (WAYLAND_DISPLAY) could not be opened";
    else
        text += ", and there is none (DISPLAY is not set)";
    if (reason && reason[0]) text += std::string(": ") + reason;
    return text + ".";
}

// SDL falls back to its stand-in drivers when no display answers. Without a screen the game
// would run unseen at full speed: they serve only whoever names them on purpose (headless
// tests); "dummy" never, as it has no OpenGL.
bool IsStandInDriver(const char* driver)
{
    if (!driver) return true;
    if (strcmp(driver, "dummy") == 0) return true;
    if (strcmp(driver, "offscreen") != 0) return false;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return !asked || !strstr(asked, "offscreen");
}

}  // namespace

GfxWindow::~GfxWindow() { Destroy(); }

bool GfxWindow::Create(const char* title, int width, int height, bool fullscreen)
{
    Destroy();
    error_.clear();
    if (!videoStarted_) {
        // A display that is named but does not answer may be busy for a moment (a loaded
        // machine, a server still starting): it is asked a few times before the game gives up.
        const char* named = getenv("DISPLAY");
        if (!named || !named[0]) named = getenv("WAYLAND_DISPLAY");
        for (int attempt = 1;; ++attempt) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
                error_ = NoDisplayText(SDL_GetError());
                return false;
            }
            if (!IsStandInDriver(SDL_GetCurrentVideoDriver())) break;
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            if (!named || !named[0] || attempt == 3) {
                error_ = NoDisplayText(nullptr);
                return false;
            }
            Log("WARNING: the display \"%s\" did not answer; asking again\n", named);
            SDL_Delay(500);
        }
        videoStarted_ = true;
    }
    // The OpenGL library stays loaded for the rest of the run: a window made again later need
    // not load the driver again, and the driver's own memory stays accounted for.
    static bool libraryLoaded = false;
    if (!libraryLoaded) {
        if (SDL_GL_LoadLibrary(nullptr) != 0) {
            error_ = std::string("Veldmark needs OpenGL 3.3, and the OpenGL library could not be loaded: ") +
                     SDL_GetError() + ".";
            Destroy();
            return false;
        }
        libraryLoaded = true;
    }
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    int flags = SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG;
    if (getenv("VELDMARK_GL_DEBUG")) flags |= SDL_GL_CONTEXT_DEBUG_FLAG;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, flags);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    if (width <= 0) width = 640;
    if (height <= 0) height = 480;
    windowedWidth_ = width;
    windowedHeight_ = height;
    coversScreen_ = fullscreen && !CanWindowsGoFullScreen();
    Uint32 windowFlags = SDL_WINDOW_OPENGL | (fullscreen && !coversScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    SDL_Rect screen = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
    if (coversScreen_) {
        if (SDL_GetDisplayBounds(0, &screen) == 0 && screen.w > 0 && screen.h > 0) {
            windowFlags |= SDL_WINDOW_BORDERLESS;
            Log("    The display does not make windows full screen: the game covers the screen (%dx%d) with its window\n",
                screen.w, screen.h);
        } else {
            coversScreen_ = false;
            windowFlags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
            screen = {SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
        }
    }
    window_ = SDL_CreateWindow(title ? title : "", screen.x, screen.y, screen.w, screen.h, windowFlags);
    if (!window_) {
        error_ = std::string("The game's window could not be made: ") + SDL_GetError() + ".";
        Destroy();
        return false;
    }
    fullscreen_ = fullscreen;
    WatchDisplayConnection(window_);
    return true;
}

void GfxWindow::Destroy()
{
    if (window_) {
        UnwatchWindow(window_);
        SDL_DestroyWindow(window_);
    }
    window_ = nullptr;
    // SDL's video system stays up for the rest of the run: quitting it while the OpenGL
    // library is loaded loses the driver's memory, and a window may be made again.
}

void GfxWindow::SetClientSize(int width, int height)
{
    if (!window_ || width <= 0 || height <= 0) return;
    windowedWidth_ = width;
    windowedHeight_ = height;
    if (fullscreen_) return;
    SDL_SetWindowSize(window_, width, height);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

bool GfxWindow::SetFullscreen(bool fullscreen)
{
    if (!window_) return false;
    if (fullscreen == fullscreen_) return true;
    // Where the display does not make windows full screen, the window covers the screen itself
    // and gives it back again.
    SDL_Rect screen;
    if ((coversScreen_ || (fullscreen && !CanWindowsGoFullScreen())) && SDL_GetDisplayBounds(0, &screen) == 0) {
        coversScreen_ = fullscreen;
        SDL_SetWindowBordered(window_, fullscreen ? SDL_FALSE : SDL_TRUE);
        if (fullscreen) {
            SDL_SetWindowPosition(window_, screen.x, screen.y);
            SDL_SetWindowSize(window_, screen.w, screen.h);
        } else {
            SDL_SetWindowSize(window_, windowedWidth_, windowedHeight_);
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
        fullscreen_ = fullscreen;
        return true;
    }
    if (SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        Log("WARNING the window could not change to %s: %s\n", fullscreen ? "full screen" : "windowed",
            SDL_GetError());
        return false;
    }
    fullscreen_ = fullscreen;
    return true;
}

void GfxWindow::GetClientSize(int* width, int* height) const
{
    int w = 0, h = 0;
    if (window_) SDL_GL_GetDrawableSize(window_, &w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

void GfxWindow::SetTitle(const char* title)
{
    if (window_) SDL_SetWindowTitle(window_, title ? title : "");
}

uint32_t GfxWindow::GetWindowID() const { return window_ ? SDL_GetWindowID(window_) : 0; }
