#include "host/Clipboard.h"

#include <SDL.h>

namespace {

// The clipboard of a run without the platform's video system.
std::string OwnClipboard;

bool DesktopClipboard()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

}  // namespace

bool ReadClipboardText(std::string* out)
{
    if (!out) return false;
    if (!DesktopClipboard()) {
        *out = OwnClipboard;
        return true;
    }
    char* text = SDL_GetClipboardText();
    if (!text) return false;
    *out = text;
    SDL_free(text);
    return true;
}

bool WriteClipboardText(const char* text)
{
    if (!text) text = "";
    if (!DesktopClipboard()) {
        OwnClipboard = text;
        return true;
    }
    return SDL_SetClipboardText(text) == 0;
}
