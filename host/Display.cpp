#include "host/Display.h"

#include <SDL.h>
#include <cstring>

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
