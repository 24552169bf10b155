#include "gui/WindowManager.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Window.h"
#include "host/Log.h"
#include "platform/InputState.h"
#include "mechanics/Game.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"

#include <string>

WindowManager* WindowMgr = nullptr;

bool IsGuiPaused()
{
    return GamePaused;
}

namespace {

// The screen behind a modal window: black at 178/255.
constexpr uint32_t BACKDROP_COLOUR = 0xB2000000;

// The kind of a window as the dump names it, by its type bit.
std::string TypeName(Window* window)
{
    static const struct {
        uint32_t bit;
        const char* name;
    } kinds[] = {
        {WINDOW_TYPE_BUTTON, "BUTTON\t"},         {WINDOW_TYPE_CHECKBOX, "CHECKBOX\t"},
        {WINDOW_TYPE_CONSOLE, "CONSOLE\t"},       {WINDOW_TYPE_EDITBOX, "EDITBOX\t"},
        {WINDOW_TYPE_GUIMETER, "GUIMETER\t"},     {WINDOW_TYPE_LABEL, "LABEL\t"},
        {WINDOW_TYPE_CHARACTERGUI, "CHARACTERGUI\t"}, {WINDOW_TYPE_ENTITYINFOGUI, "ENTITYINFOGUI\t"},
        {WINDOW_TYPE_MODELVIEWER, "MODELVIEWER\t"},
    };
    for (const auto& kind : kinds) {
        if (!(window->flags & kind.bit)) continue;
        std::string name = kind.name;
        if (kind.bit == WINDOW_TYPE_BUTTON) {
            Button* button = dynamic_cast<Button*>(window);
            if (button && button->hasText) name += button->text;
        }
        return name;
    }
    return "WINDOW\t";
}

}  // namespace

WindowManager::WindowManager()
{
    windows.Init(MAX_WINDOWS);
}

WindowManager::~WindowManager()
{
    windows.Free();
    delete backdrop_;
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

bool WindowManager::StandsBack(const Window* window) const
{
    return modal && window != modal && (window->flags & WINDOW_BEHIND_MODAL);
}

bool WindowManager::AddWindow(Window* window)
{
    if (!window) return false;
    if (!windows.PushBack(window)) {
        Log("ERROR WindowManager: all %d places are taken, window %s is not added\n", MAX_WINDOWS, window->caption);
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
        if (!window || !window->IsVisible() || StandsBack(window) || !window->HitTest(px, py)) continue;
        if (skipFrameless && (window->flags & WINDOW_FRAMELESS)) continue;
        return true;
    }
    return false;
}

void WindowManager::EndUnreachableHovers()
{
    // Runs every pass over every window the game built: only a button that hovers has anything
    // to end, so where it stands is worked out for those alone.
    auto hovers = [](Window* window) {
        return (window->flags & WINDOW_TYPE_BUTTON) && static_cast<Button*>(window)->hovering;
    };
    for (auto* node = windows.head; node; node = node->next) {
        Window* window = node->value;
        if (!window) continue;
        bool known = false, reachable = false;
        auto windowReachable = [&] {
            if (!known) reachable = window->IsVisible() && (!modal || modal == window);
            known = true;
            return reachable;
        };
        if (hovers(window) && !windowReachable()) static_cast<Button*>(window)->EndHover();
        for (Window* child = window->firstChild; child; child = child->nextSibling)
            if (hovers(child) && !(windowReachable() && child->IsVisible())) static_cast<Button*>(child)->EndHover();
    }
}

void WindowManager::Update(MouseDevice* mouse)
{
    if (!mouse) return;
    // Before the pointer's move is dealt out: a tooltip must not outlive its button, and a
    // button the pointer enters now must not have its tooltip taken back by one it left.
    EndUnreachableHovers();
    // Whichever button made the event a window took, the game must not see it.
    auto consume = [mouse](int event) {
        for (int b = 0; b < 2; ++b)
            if (mouse->ButtonEventIs(b, event)) mouse->ClearButtonEvent(b);
    };
    if (mouse->ButtonEventIs(0, 1) || mouse->ButtonEventIs(1, 1)) {
        if (OnMouseDown(mouse)) consume(1);
    }
    if (mouse->ButtonEventIs(0, 2) || mouse->ButtonEventIs(1, 2)) {
        if (OnMouseUp(mouse)) consume(2);
    }
    ForEachTarget([&](Window* window) {
        if (!window->IsVisible()) return;
        window->OnMouseMove(mouse);
        // A hidden child neither hovers nor cancels anything.
        for (Window* child = window->firstChild; child; child = child->nextSibling)
            if (child->IsVisible()) child->OnMouseMove(mouse);
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
    // A press that gives a window the focus reaches it as a press on an unfocused window: an
    // edit box takes the focus with its first click and places its caret only with the next.
    Window* focusedBefore = focused;
    auto pressOn = [&](Window* target) {
        MoveFocusTo(target);
        const bool given = focused == target && target != focusedBefore;
        if (given) target->flags &= ~WINDOW_FOCUSED;
        const bool taken = target->OnMouseDown(mouse);
        if (given && focused == target) target->flags |= WINDOW_FOCUSED;
        return taken;
    };
    ForEachTarget([&](Window* window) {
        if (done || !window->IsVisible() || !window->HitTest(px, py)) return;
        if (pressOn(window)) handled = true;
        for (Window* child = window->firstChild; child; child = child->nextSibling) {
            if (!child->HitTest(px, py) || !child->IsVisible()) continue;
            if (pressOn(child)) {
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
        // Enter on a screen with a default button clicks it, Escape its cancel button. A key
        // the screen used is taken: it must not go on to the game (Escape to the pause menu,
        // Enter to the console).
        if (window->firstChild && (window->FindDefaultButton() || window->FindCancelButton()) &&
            window->OnKey(keyboard)) {
            handled = true;
            done = true;
        }
    });
    return handled;
}

void WindowManager::Draw()
{
    for (auto* node = windows.head; node; node = node->next) {
        Window* window = node->value;
        if (!window || window == modal || !window->IsVisible() || (window->flags & WINDOW_NOT_MANAGED_DRAW) ||
            StandsBack(window))
            continue;
        window->Draw();
    }
    if (!modal) return;
    // A modal edit box (a text prompt) sits over the scene as it is.
    if (!(modal->flags & WINDOW_TYPE_EDITBOX)) {
        if (!backdrop_)
            backdrop_ = CreateGuiSprite(0, 0, ScreenWidth(), ScreenHeight(), "Data/gui/black.dds", BACKDROP_COLOUR, 0.0f,
                                        0.0f, 1.0f, 1.0f);
        GuiDrawSprite(backdrop_);
    }
    // The modal window goes last, over everything, even when hidden.
    modal->Draw();
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

void WindowManager::Dump()
{
    Log("\n---------------------------------------------------------\n");
    Log("\t\tWindowManager Dump:\n");
    Log("---------------------------------------------------------\n");
    int parents = 0, total = 0;
    for (auto* node = windows.head; node; node = node->next) {
        Window* window = node->value;
        if (!window) continue;
        ++parents;
        ++total;
        Log("%s\t%s\n", window->caption, TypeName(window).c_str());
        for (Window* child = window->firstChild; child; child = child->nextSibling) {
            ++total;
            Log("\t%s\t%s\n", child->caption, TypeName(child).c_str());
        }
    }
    Log("Parent count %d\n", parents);
    Log("Total count %d\n", total);
    Log("\n\n");
}

namespace {

bool AnimatesWithin(const Window* window)
{
    if (!window->IsVisible()) return false;
    if (window->Animates()) return true;
    for (const Window* child = window->firstChild; child; child = child->nextSibling)
        if (AnimatesWithin(child)) return true;
    return false;
}

}  // namespace

bool WindowManager::AnyAnimates() const
{
    for (auto* node = windows.head; node; node = node->next)
        if (node->value && AnimatesWithin(node->value)) return true;
    return modal && AnimatesWithin(modal);
}

uintptr_t WindowManager::ShownSignature() const
{
    uintptr_t signature = reinterpret_cast<uintptr_t>(modal) * 31u + reinterpret_cast<uintptr_t>(focused);
    for (auto* node = windows.head; node; node = node->next)
        if (node->value && node->value->IsVisible()) signature = signature * 131u + reinterpret_cast<uintptr_t>(node->value);
    return signature;
}

void DeleteWindowTree(Window* window)
{
    if (!window) return;
    for (Window* child = window->firstChild; child;) {
        Window* following = child->nextSibling;
        DeleteWindowTree(child);
        child = following;
    }
    delete window;
}

void ReleaseTopLevelWindow(Window* window)
{
    if (!window) return;
    if (WindowMgr) {
        WindowMgr->windows.Remove(window);
        if (WindowMgr->focused && (WindowMgr->focused == window || WindowMgr->focused->parent == window))
            WindowMgr->focused = nullptr;
        if (WindowMgr->modal == window) WindowMgr->modal = nullptr;
    }
    DeleteWindowTree(window);
}
