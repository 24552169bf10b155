#pragma once
// The one object that knows the top-level windows: it gives the GUI the first chance at the
// mouse of every pass and at every key press, keeps the focused window and the one modal
// window, and draws the windows. While a modal window is set, only that window receives input.
// The shell creates it at start-up and deletes it at shutdown; screen builders register their
// top-level windows with AddWindow and never remove them (screens hide them instead).
#include "platform/PooledList.h"

class Window;
class MouseDevice;
class KeyboardDevice;

class WindowManager {
public:
    static constexpr int MAX_WINDOWS = 100;
    static constexpr int FIRST_ID = 55501;

    WindowManager();
    // Releases the node pool; the windows belong to their screens.
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Appends a top-level window; false (logged) when the 100 places are taken.
    bool AddWindow(Window* window);
    int NewWindowId() { return ++idCounter; }
    void ShowById(int id);
    void HideById(int id);
    // A visible top-level window lies under the point (frameless ones skipped when asked).
    bool IsPointOverWindow(int px, int py, bool skipFrameless) const;

    // The pass's mouse dispatch: presses, releases, then movement. A press or release that a
    // window handles is taken from the left button, so the game does not see the click.
    void Update(MouseDevice* mouse);
    bool OnMouseDown(MouseDevice* mouse);
    bool OnMouseUp(MouseDevice* mouse);
    // Offers a key press to the focused windows; true when the GUI took it.
    bool OnKey(KeyboardDevice* keyboard);
    // Key releases are not used by any window.
    bool OnKeyUp(KeyboardDevice*) { return false; }
    void Draw();
    void OnDeviceLost();
    void OnDeviceReset();

    int WindowCount() const { return windows.count; }

    Window* focused = nullptr;
    Window* modal = nullptr;
    PooledList<Window*> windows;
    int idCounter = FIRST_ID;

private:
    // Calls f for the modal window alone when one is set, else for every top-level window.
    template <class F> void ForEachTarget(F f);
    void MoveFocusTo(Window* window);
};

extern WindowManager* WindowMgr;
