#pragma once
// The base of every GUI element: a rectangle with an optional frame of textured quads, a
// caption, flag bits, an id and a group, linked to a parent, a first child and a next sibling.
// Screens are built in code: a top-level window registered with the window manager and widgets
// hung under it. The window manager hands the mouse and the keyboard to windows through the
// virtual operations; each input operation returns true when it handled the event.
//
// Coordinates: a window's frame quads are built at the rectangle its constructor was given, in
// screen pixels, and stay there until Move shifts them; the position fields are relative to the
// parent (a top-level window's are screen pixels). So builders usually place a screen's
// top-level window at (0, 0), where both agree.
//
// A window owns its frame quads. It does not own its children: whoever builds a screen keeps
// its windows for the whole run and deletes them at shutdown.
#include <cstdint>

class MouseDevice;
class KeyboardDevice;
class Sprite;

// Flag bits of a window.
enum : uint32_t {
    WINDOW_EXTRA_PIECE = 0x1,  // the framed layout adds a quad right of the centre
    WINDOW_RESIZABLE = 0x2,    // Resize stretches the frame quads too
    WINDOW_BORDERED = 0x10,    // the framed layout builds the eight border quads
    WINDOW_COLLAPSED = 0x20,   // only the title strip shows and hits
    WINDOW_FOCUSABLE = 0x40,
    WINDOW_FOCUSED = 0x80,
    WINDOW_HIDDEN = 0x100,
    WINDOW_DEFAULT_BUTTON = 0x200,  // Enter on the parent presses it
    WINDOW_HOVER_STYLE = 0x400,     // a button wears its hover style
    WINDOW_DISABLED = 0x800,
    WINDOW_FRAMELESS = 0x1000,         // draws no quads of its own and its parent does not draw it
    WINDOW_NOT_MANAGED_DRAW = 0x2000,  // its owner draws it, not the window manager
    WINDOW_CAPTURE = 0x4000,           // every point hits it (while something is dragged)
    WINDOW_UNCLIPPED = 0x8000,         // drawn and hit even outside the parent's client area
    WINDOW_TYPE_BUTTON = 0x20000,
    WINDOW_TYPE_CHECKBOX = 0x40000,
    WINDOW_TYPE_CONSOLE = 0x80000,
    WINDOW_TYPE_EDITBOX = 0x100000,  // takes text input; a modal one gets no darkened backdrop
    WINDOW_TYPE_GUIMETER = 0x200000,
    WINDOW_TYPE_LABEL = 0x400000,
    WINDOW_TYPE_CHARACTERGUI = 0x800000,
    WINDOW_TYPE_ENTITYINFOGUI = 0x1000000,
    WINDOW_TYPE_MODELVIEWER = 0x2000000,
    WINDOW_CANCEL_BUTTON = 0x4000000,  // Escape on the parent presses it (Close, No, OK)
    // Stands back while a modal window is up: neither drawn nor hit under it, and there again,
    // as it was, once the modal window closes.
    WINDOW_BEHIND_MODAL = 0x8000000,
};

class Window {
public:
    static constexpr int MAX_PIECES = 32;

    // Plain: "Untitled" at (0, 0), W/32 x H/24 with a border of W/128 (W, H the screen size),
    // no quads.
    Window();
    // Framed: the plain defaults, then the rectangle, border and flags, and the framed layout's
    // quads: with WINDOW_BORDERED the four corners and four edges ("<prefix>frame.dds"), the
    // centre, and with WINDOW_EXTRA_PIECE a quad right of it; quads from the eighth on take
    // "<prefix><n>.dds". The prefix defaults to "data/gui/".
    Window(int x, int y, int width, int height, int border, const char* texturePrefix, uint32_t flags);
    // Panel: a tiled background over the rectangle ("panelblue.dds" under a "wframe_black.dds"
    // frame, else "solid_darkgrey.dds") and the eight border quads of "data/gui/<frameTexture>".
    Window(int x, int y, int width, int height, const char* frameTexture);
    // Deletes the frame quads; the children are left alone.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual void OnDeviceLost() {}
    virtual void OnDeviceReset() {}
    // The frame, then the children that are shown and lie within the client area; each draws
    // its own descendants.
    virtual void Draw();
    // Moves the window (relative to its parent) and its frame quads with it.
    virtual void Move(int newX, int newY);
    // A resizable frame stretches its quads by the change of size.
    virtual void Resize(int newWidth, int newHeight);
    // Own position plus the parent's (and its client offset when that has a y of 1 or more).
    virtual void GetScreenPosition(int* outX, int* outY) const;
    virtual bool OnMouseDown(MouseDevice* mouse);
    virtual bool OnMouseUp(MouseDevice* mouse);
    // Enter clicks the default-button child and Escape the cancel-button child, when there is
    // one.
    virtual bool OnKey(KeyboardDevice* keyboard);
    virtual bool OnMouseMove(MouseDevice* mouse);
    // True while its picture changes with time alone (a blinking caret, a turning model).
    virtual bool Animates() const { return false; }

    // Retextures quad n (when the window has it).
    void SetTexture(const char* texture, int n);
    void AddChild(Window* child);
    // Unlinks a child; nothing when it is not one of ours.
    void RemoveChild(Window* child);
    // Sets the focused bit and answers true only for a focusable window; otherwise clears it.
    bool SetFocus(bool on);
    bool HasFocus() const { return (flags & WINDOW_FOCUSED) != 0; }
    bool IsDefaultButton() const { return (flags & WINDOW_DEFAULT_BUTTON) != 0; }
    void SetVisible(bool on);
    // Not hidden, and (for a clipped child) its top inside the parent's client area.
    bool IsVisible() const;
    void SetEnabled(bool on);
    bool IsEnabled() const { return (flags & WINDOW_DISABLED) == 0; }
    bool TakesTextInput() const { return (flags & WINDOW_TYPE_EDITBOX) != 0; }
    // Hide or show every descendant with this id (group).
    void HideChildrenById(int childId);
    void ShowChildrenById(int childId);
    void HideChildrenByGroup(int childGroup);
    void ShowChildrenByGroup(int childGroup);
    // Sizes the window around its direct children plus the margins; an axis not kept is
    // centred on the screen. Ends in Move.
    void FitToChildren(int keepX, int keepY, int marginX, int marginY);
    void SetNoClip(bool on);
    // Stores the size only; the quads stay as they are.
    void SetSize(int newWidth, int newHeight);
    void GetSize(int* outWidth, int* outHeight) const;
    // Strictly inside the window (edges do not count); a capturing window is hit everywhere.
    // The hit callback, when set, has the last word.
    bool HitTest(int px, int py) const;
    // The first child that Enter (default) or Escape (cancel) presses. A hidden or disabled
    // button is passed over: a screen that swaps its buttons keeps the key on the one shown.
    Window* FindDefaultButton() const;
    Window* FindCancelButton() const;
    // The next sibling that takes the focus or is a default button, else the first such child
    // of the parent; a window without parent gets itself.
    Window* FindNextFocusable();

    char caption[128];
    Sprite* pieces[MAX_PIECES] = {};
    int x = 0, y = 0;
    int pieceCount = 0;
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

protected:
    // The children a window draws: shown, not frameless, and starting inside this window's
    // client area (or unclipped).
    void DrawChildren();

private:
    void AddPiece(int left, int top, int right, int bottom, const char* texture, float ua, float va, float ub, float vb);
    void SetChildrenHidden(bool byId, int value, bool hidden);
};
