#include "gui/Window.h"

#include "host/System.h"
#include "platform/InputState.h"

Window::Window()
{
    CopyText(caption, sizeof caption, "Untitled");
}

void Window::Draw()
{
    for (Window* child = firstChild; child; child = child->nextSibling)
        if (child->IsVisible() && !(child->flags & WINDOW_FRAMELESS)) child->Draw();
}

bool Window::OnMouseDown(MouseDevice*) { return false; }
bool Window::OnMouseUp(MouseDevice*) { return false; }
bool Window::OnMouseMove(MouseDevice*) { return false; }

bool Window::OnKey(KeyboardDevice* keyboard)
{
    if (!keyboard || keyboard->lastKeyDown != VK_RETURN) return false;
    Window* button = FindDefaultButton();
    if (!button) return false;
    button->OnMouseDown(nullptr);
    button->OnMouseUp(nullptr);
    return true;
}

void Window::AddChild(Window* child)
{
    if (!child) return;
    child->parent = this;
    child->nextSibling = nullptr;
    Window** link = &firstChild;
    while (*link) link = &(*link)->nextSibling;
    *link = child;
}

bool Window::SetFocus(bool on)
{
    if (on && (flags & WINDOW_FOCUSABLE)) {
        flags |= WINDOW_FOCUSED;
        return true;
    }
    flags &= ~WINDOW_FOCUSED;
    return false;
}

void Window::SetVisible(bool on)
{
    if (on)
        flags &= ~WINDOW_HIDDEN;
    else
        flags |= WINDOW_HIDDEN;
}

bool Window::IsVisible() const
{
    if (flags & WINDOW_HIDDEN) return false;
    if (!parent || (flags & WINDOW_UNCLIPPED)) return true;
    int sx, sy, px, py;
    GetScreenPosition(&sx, &sy);
    parent->GetScreenPosition(&px, &py);
    return sy <= py + parent->height - 2 * parent->border;
}

void Window::SetEnabled(bool on)
{
    if (on)
        flags &= ~WINDOW_DISABLED;
    else
        flags |= WINDOW_DISABLED;
}

void Window::GetScreenPosition(int* outX, int* outY) const
{
    int sx = x, sy = y;
    if (parent) {
        sx += parent->x;
        sy += parent->y;
        if (parent->clientY >= 1) {
            sx += parent->clientX;
            sy += parent->clientY;
        }
    }
    if (outX) *outX = sx;
    if (outY) *outY = sy;
}

bool Window::HitTest(int px, int py) const
{
    if (flags & WINDOW_CAPTURE) return true;
    int ox = x, oy = y;
    if (parent) {
        ox += parent->x + parent->clientX;
        oy += parent->y + parent->clientY;
    }
    bool hit = px > ox && py > oy && px < ox + width && py < oy + height;
    if (hit && hitCallback) return hitCallback(const_cast<Window*>(this));
    return hit;
}

Window* Window::FindDefaultButton() const
{
    for (Window* child = firstChild; child; child = child->nextSibling)
        if (child->flags & WINDOW_DEFAULT_BUTTON) return child;
    return nullptr;
}
