#pragma once
// The game's one window, made for OpenGL 3.3 core drawing with a 24-bit depth and 8-bit
// stencil buffer. Windowed it is centred on the desktop with the client size asked for; full
// screen it covers the desktop (where the display will not make it full screen, as a borderless
// window the size of the screen) and the device scales its picture into it, keeping the aspect
// and centred.
// Events are read elsewhere (SDL's event queue); this class only makes and shapes the window.
#include <cstdint>
#include <string>

struct SDL_Window;

class GfxWindow {
public:
    GfxWindow() = default;
    ~GfxWindow();
    GfxWindow(const GfxWindow&) = delete;
    GfxWindow& operator=(const GfxWindow&) = delete;

    // False when the window cannot be made: no display to show it on (the stand-in drivers
    // without a screen count only when SDL_VIDEODRIVER names them), no OpenGL, or the system
    // refused; GetError then says why in words for the player.
    bool Create(const char* title, int width, int height, bool fullscreen);
    const std::string& GetError() const { return error_; }
    void Destroy();
    bool IsOpen() const { return window_ != nullptr; }

    // Windowed: the client area becomes width x height and the window is centred again.
    void SetClientSize(int width, int height);
    bool SetFullscreen(bool fullscreen);
    bool IsFullscreen() const { return fullscreen_; }
    // The size of the drawable area in pixels.
    void GetClientSize(int* width, int* height) const;
    void SetTitle(const char* title);

    SDL_Window* GetSDLWindow() const { return window_; }
    uint32_t GetWindowID() const;

private:
    SDL_Window* window_ = nullptr;
    bool fullscreen_ = false;
    // Full screen on a display that does not make windows full screen: a borderless window
    // over the whole screen stands in.
    bool coversScreen_ = false;
    int windowedWidth_ = 0, windowedHeight_ = 0;
    bool videoStarted_ = false;
    std::string error_;
};
