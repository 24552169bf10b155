#pragma once
// The base of every GUI element: a rectangle with a caption, flag bits, an id and a group,
// linked to a parent, a first child and a next sibling. The window manager hands the mouse
// and the keyboard to windows through the virtual operations; each returns true when it
// handled the event.
//
// Only the parts the shell and the window manager lean on are here so far: the flags, the
// links, the hit test and the default operations. The frame quads, the framed and panel
// layouts and moving or resizing them come with the GUI screens.
#include <cstdint>

class MouseDevice;
class KeyboardDevice;

// Flag bits of a window.
enum : uint32_t {
    WINDOW_FOCUSABLE = 0x40,
    WINDOW_FOCUSED = 0x80,
    WINDOW_HIDDEN = 0x100,
    WINDOW_DEFAULT_BUTTON = 0x200,
    WINDOW_DISABLED = 0x800,
    WINDOW_FRAMELESS = 0x1000,
    WINDOW_NOT_MANAGED_DRAW = 0x2000,  // its owner draws it, not the window manager
    WINDOW_CAPTURE = 0x4000,           // every point hits it (while something is dragged)
    WINDOW_UNCLIPPED = 0x8000,
    WINDOW_TYPE_BUTTON = 0x20000,
    WINDOW_TYPE_EDITBOX = 0x100000,  // takes text input
};

class Window {
public:
    Window();
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual void OnDeviceLost() {}
    virtual void OnDeviceReset() {}
    // Draws the window's children that are shown (the frame comes with the screens).
    virtual void Draw();
    virtual bool OnMouseDown(MouseDevice* mouse);
    virtual bool OnMouseUp(MouseDevice* mouse);
    // Enter presses the default-button child, when there is one.
    virtual bool OnKey(KeyboardDevice* keyboard);
    virtual bool OnMouseMove(MouseDevice* mouse);

    void AddChild(Window* child);
    // Sets the focused bit and answers true only for a focusable window; otherwise clears it.
    bool SetFocus(bool on);
    bool HasFocus() const { return (flags & WINDOW_FOCUSED) != 0; }
    void SetVisible(bool on);
    // Not hidden, and (for a clipped child) its top inside the parent's client area.
    bool IsVisible() const;
    void SetEnabled(bool on);
    bool IsEnabled() const { return (flags & WINDOW_DISABLED) == 0; }
    bool TakesTextInput() const { return (flags & WINDOW_TYPE_EDITBOX) != 0; }
    void GetScreenPosition(int* outX, int* outY) const;
    // Strictly inside the window (edges do not count); a capturing window is hit everywhere.
    bool HitTest(int px, int py) const;
    Window* FindDefaultButton() const;

    char caption[128];
    int x = 0, y = 0;
    int width = 0, height = 0;
    int border = 0;
    uint32_t flags = 0;
    int id = -1;
    int group = -1;
    int clientX = 0, clientY = 0;
    Window* parent = nullptr;
    Window* firstChild = nullptr;
    Window* nextSibling = nullptr;
    // An extra hit test; when set, it has the last word on a hit.
    bool (*hitCallback)(Window* window) = nullptr;
};
