#include "gui/WindowManager.h"

#include "gui/Window.h"
#include "host/Log.h"
#include "platform/InputState.h"

WindowManager* WindowMgr = nullptr;

WindowManager::WindowManager()
{
    windows.Init(MAX_WINDOWS);
}

WindowManager::~WindowManager()
{
    windows.Free();
}

template <class F> void WindowManager::ForEachTarget(F f)
{
    if (modal) {
        f(modal);
        return;
    }
    for (auto* node = windows.head; node; node = node->next)
        if (node->value) f(node->value);
}

bool WindowManager::AddWindow(Window* window)
{
    if (!window) return false;
    if (!windows.PushBack(window)) {
        Log("ERROR WindowManager: no room for window %s\n", window->caption);
        return false;
    }
    return true;
}

void WindowManager::ShowById(int id)
{
    for (auto* node = windows.head; node; node = node->next)
        if (node->value && node->value->id == id) node->value->SetVisible(true);
}

void WindowManager::HideById(int id)
{
    for (auto* node = windows.head; node; node = node->next)
        if (node->value && node->value->id == id) node->value->SetVisible(false);
}

bool WindowManager::IsPointOverWindow(int px, int py, bool skipFrameless) const
{
    for (auto* node = windows.head; node; node = node->next) {
        const Window* window = node->value;
        if (!window || !window->IsVisible() || !window->HitTest(px, py)) continue;
        if (skipFrameless && (window->flags & WINDOW_FRAMELESS)) continue;
        return true;
    }
    return false;
}

void WindowManager::Update(MouseDevice* mouse)
{
    if (!mouse) return;
    if (mouse->ButtonEventIs(0, 1) || mouse->ButtonEventIs(1, 1)) {
        if (OnMouseDown(mouse)) mouse->ClearButtonEvent(0);
    }
    if (mouse->ButtonEventIs(0, 2) || mouse->ButtonEventIs(1, 2)) {
        if (OnMouseUp(mouse)) mouse->ClearButtonEvent(0);
    }
    ForEachTarget([&](Window* window) {
        if (!window->IsVisible()) return;
        window->OnMouseMove(mouse);
        for (Window* child = window->firstChild; child; child = child->nextSibling) child->OnMouseMove(mouse);
    });
}

void WindowManager::MoveFocusTo(Window* window)
{
    if (focused) focused->SetFocus(false);
    focused = nullptr;
    if (window->SetFocus(true)) focused = window;
}

bool WindowManager::OnMouseDown(MouseDevice* mouse)
{
    int px = mouse->cursorX, py = mouse->cursorY;
    // Windows that already hold the focus bit keep the focus pointer on them first.
    ForEachTarget([&](Window* window) {
        if (!window->IsVisible() || !window->HitTest(px, py)) return;
        if (window->HasFocus()) focused = window;
        for (Window* child = window->firstChild; child; child = child->nextSibling)
            if (child->HasFocus()) focused = child;
    });
    bool handled = false;
    bool done = false;
    ForEachTarget([&](Window* window) {
        if (done || !window->IsVisible() || !window->HitTest(px, py)) return;
        MoveFocusTo(window);
        if (window->OnMouseDown(mouse)) handled = true;
        for (Window* child = window->firstChild; child; child = child->nextSibling) {
            if (!child->HitTest(px, py) || !child->IsVisible()) continue;
            MoveFocusTo(child);
            if (child->OnMouseDown(mouse)) {
                handled = true;
                done = true;
                return;
            }
        }
    });
    return handled;
}

bool WindowManager::OnMouseUp(MouseDevice* mouse)
{
    int px = mouse->cursorX, py = mouse->cursorY;
    bool handled = false;
    ForEachTarget([&](Window* window) {
        if (!window->IsVisible() || !window->HitTest(px, py)) return;
        if (window->OnMouseUp(mouse)) handled = true;
        for (Window* child = window->firstChild; child; child = child->nextSibling)
            if (child->HitTest(px, py) && child->OnMouseUp(mouse)) handled = true;
    });
    return handled;
}

bool WindowManager::OnKey(KeyboardDevice* keyboard)
{
    bool handled = false;
    bool done = false;
    ForEachTarget([&](Window* window) {
        if (done || !window->IsVisible()) return;
        if (window->HasFocus() && window->OnKey(keyboard)) handled = true;
        for (Window* child = window->firstChild; child; child = child->nextSibling) {
            if (child->HasFocus() && child->OnKey(keyboard)) {
                handled = true;
                done = true;
                return;
            }
        }
        // Enter on a screen with a default button clicks it; that does not count as taken.
        if (window->firstChild && window->FindDefaultButton()) window->OnKey(keyboard);
    });
    return handled;
}

void WindowManager::Draw()
{
    for (auto* node = windows.head; node; node = node->next) {
        Window* window = node->value;
        if (!window || window == modal || !window->IsVisible() || (window->flags & WINDOW_NOT_MANAGED_DRAW)) continue;
        window->Draw();
    }
    // The modal window goes last, over everything, even when hidden.
    if (modal) modal->Draw();
}

void WindowManager::OnDeviceLost()
{
    for (auto* node = windows.head; node; node = node->next) {
        if (!node->value) continue;
        node->value->OnDeviceLost();
        for (Window* child = node->value->firstChild; child; child = child->nextSibling) child->OnDeviceLost();
    }
}

void WindowManager::OnDeviceReset()
{
    for (auto* node = windows.head; node; node = node->next) {
        if (!node->value) continue;
        node->value->OnDeviceReset();
        for (Window* child = node->value->firstChild; child; child = child->nextSibling) child->OnDeviceReset();
    }
}
