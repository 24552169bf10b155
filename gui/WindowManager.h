#pragma once
// The one object that knows the top-level windows: it gives the GUI the first chance at the
// mouse of every pass and at every key press, keeps the focused window and the one modal
// window, and draws the windows. While a modal window is set, only that window receives input
// and it is drawn last, over a darkened screen.
// The shell creates it at start-up and deletes it at shutdown; screen builders register their
// top-level windows with AddWindow and never remove them (screens hide them instead).
//
// Modal screens: a screen that opens modally keeps the manager's modal window in a field of its
// own, shows itself by its id and becomes the modal window; closing hides it by id and puts the
// kept window back, so nested screens and dialogs unwind in the reverse order of opening.
// Fixed screen ids: 1001 main menu, 1002 its back button, 1005 character screen, 1006 a window
// of the character screen and shop, 1007 message window, 1008 profiles, 1009 new profile, 1013
// technology, 1015 load and save, 1016 achievements, 1017 mission log, 1018 briefing, 1019
// hotkeys, 1337 terrain editor, 1338 its toolbar, 1341 its object palette, 1770-1774 options
// tabs. Every other window takes an id from NewWindowId, or -1.
//
// A window marked WINDOW_BEHIND_MODAL (a screen of the player's own, open beside the game)
// stands back while a modal window is up: whatever opens then is seen whole, with nothing of it
// showing round its edges, and the screen comes back as it was when the modal window closes.
#include "platform/PooledList.h"

#include <cstdint>

class Window;
class Sprite;
class MouseDevice;
class KeyboardDevice;

class WindowManager {
public:
    static constexpr int MAX_WINDOWS = 100;
    static constexpr int FIRST_ID = 55501;

    WindowManager();
    // Releases the node pool and the backdrop; the windows belong to their screens.
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Appends a top-level window; false (logged) when the 100 places are taken.
    bool AddWindow(Window* window);
    // The next free id: 55502 first.
    int NewWindowId() { return ++idCounter; }
    // Shows or hides every top-level window with this id (children untouched).
    void ShowById(int id);
    void HideById(int id);
    // A visible top-level window lies under the point (frameless ones skipped when asked, and
    // ones standing back behind the modal window).
    bool IsPointOverWindow(int px, int py, bool skipFrameless) const;

    // The pass's mouse dispatch: presses, releases, then movement. A press or release that a
    // window handles is taken from the button that made it, so the game does not see it.
    void Update(MouseDevice* mouse);
    // Buttons the pointer can no longer reach (hidden, in a hidden window, or under a modal
    // window) stop hovering, with their leave callbacks: what their hover showed goes with them.
    void EndUnreachableHovers();
    bool OnMouseDown(MouseDevice* mouse);
    bool OnMouseUp(MouseDevice* mouse);
    // Offers a key press to the focused windows, and Enter to a screen's default button; true
    // when a focused window took it.
    bool OnKey(KeyboardDevice* keyboard);
    // Key releases are not used by any window.
    bool OnKeyUp(KeyboardDevice*) { return false; }
    // The visible windows in their order (less those standing back), then the modal window over
    // a darkened screen.
    void Draw();
    // A shown window, or a shown child of one, animates (Window::Animates).
    bool AnyAnimates() const;
    // The shown top-level windows, the modal and the focused one, folded into one number that
    // changes when any of them does.
    uintptr_t ShownSignature() const;
    void OnDeviceLost();
    void OnDeviceReset();
    // Writes the windows and their direct children to the log.
    void Dump();

    int WindowCount() const { return windows.count; }

    Window* focused = nullptr;
    Window* modal = nullptr;
    PooledList<Window*> windows;
    int idCounter = FIRST_ID;

private:
    // The window stands back behind the modal window now.
    bool StandsBack(const Window* window) const;
    // Calls f for the modal window alone when one is set, else for every top-level window.
    template <class F> void ForEachTarget(F f);
    void MoveFocusTo(Window* window);

    // Darkens the screen under a modal window; made on first need.
    Sprite* backdrop_ = nullptr;
};

extern WindowManager* WindowMgr;

// Deletes a window and everything within it, children first (a window leaves its children to
// whoever built it).
void DeleteWindowTree(Window* window);
// Deletes a top-level window and its tree, after the window manager has let go of it (its list,
// the focus and the modal place). Nothing for null.
void ReleaseTopLevelWindow(Window* window);

// While the GUI pauses the game, time-driven parts of the interface (meter shimmer,
// animations) stand still.
bool IsGuiPaused();
