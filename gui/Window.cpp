#include "gui/Window.h"

#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/System.h"
#include "platform/InputState.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"

#include <string>

namespace {

// Texture coordinates of the eight border quads in the order they are laid: the corners take
// the outer thirds of the frame picture, the edges a stretch from its middle.
struct BorderPiece {
    float ua, va, ub, vb;
};
constexpr BorderPiece BORDER_UV[8] = {
    {0.0f, 0.0f, 0.33f, 0.33f},   // top-left
    {0.66f, 0.0f, 1.0f, 0.33f},   // top-right
    {0.0f, 0.66f, 0.33f, 1.0f},   // bottom-left
    {0.66f, 0.66f, 1.0f, 1.0f},   // bottom-right
    {0.4f, 0.0f, 0.6f, 0.33f},    // top edge
    {0.4f, 0.66f, 0.6f, 1.0f},    // bottom edge
    {0.0f, 0.4f, 0.33f, 0.6f},    // left edge
    {0.66f, 0.4f, 1.0f, 0.6f},    // right edge
};

struct Rect {
    int left, top, right, bottom;
};

// The eight border rectangles of (x, y, w, h) with border b, in the order of BORDER_UV.
void BorderRects(int x, int y, int w, int h, int b, Rect out[8])
{
    out[0] = {x, y, x + b, y + b};
    out[1] = {x + w - b, y, x + w, y + b};
    out[2] = {x, y + h - b, x + b, y + h};
    out[3] = {x + w - b, y + h - b, x + w, y + h};
    out[4] = {x + b, y, x + w - b, y + b};
    out[5] = {x + b, y + h - b, x + w - b, y + h};
    out[6] = {x, y + b, x + b, y + h - b};
    out[7] = {x + w - b, y + b, x + w, y + h - b};
}

void Shift(Sprite* sprite, int dl, int dt, int dr, int db)
{
    if (sprite) sprite->SetRect(sprite->left + dl, sprite->top + dt, sprite->right + dr, sprite->bottom + db);
}

// Framed-layout quad indices of a bordered window.
enum { TOP_LEFT, TOP_RIGHT, BOTTOM_LEFT, BOTTOM_RIGHT, TOP_EDGE, BOTTOM_EDGE, LEFT_EDGE, RIGHT_EDGE, CENTRE, EXTRA };

}  // namespace

Window::Window()
{
    CopyText(caption, sizeof caption, "Untitled");
    width = ScreenWidth() / 32;
    height = ScreenHeight() / 24;
    border = ScreenWidth() / 128;
}

Window::Window(int atX, int atY, int w, int h, int b, const char* texturePrefix, uint32_t newFlags) : Window()
{
    x = atX;
    y = atY;
    width = w;
    height = h;
    border = b;
    flags = newFlags;
    std::string prefix = texturePrefix ? texturePrefix : "data/gui/";
    // Quads 0 to 7 share the frame picture; later ones have numbered pictures of their own.
    auto textureOf = [&](int n) {
        return n < 8 ? prefix + "frame.dds" : prefix + std::to_string(n) + ".dds";
    };
    if (flags & WINDOW_BORDERED) {
        Rect rects[8];
        BorderRects(x, y, w, h, b, rects);
        for (int i = 0; i < 8; ++i)
            AddPiece(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom, textureOf(pieceCount).c_str(),
                     BORDER_UV[i].ua, BORDER_UV[i].va, BORDER_UV[i].ub, BORDER_UV[i].vb);
    }
    int centreRight = (flags & WINDOW_EXTRA_PIECE) ? x + w - 2 * b : x + w - b;
    AddPiece(x + b, y + b, centreRight, y + h - b, textureOf(pieceCount).c_str(), 0.0f, 0.0f, 1.0f, 1.0f);
    if (flags & WINDOW_EXTRA_PIECE)
        AddPiece(x + w - 2 * b, y + b, x + w - b, y + h - b, textureOf(pieceCount).c_str(), 0.0f, 0.0f, 1.0f, 1.0f);
}

Window::Window(int atX, int atY, int w, int h, const char* frameTexture) : Window()
{
    x = atX;
    y = atY;
    width = w;
    height = h;
    border = ScreenWidth() / 128;
    std::string frame = frameTexture ? frameTexture : "";
    const char* background =
        frame == "wframe_black.dds" ? "data/gui/panelblue.dds" : "data/gui/solid_darkgrey.dds";
    // The background tiles: one repeat per sixteenth of the screen's width and twelfth of its
    // height.
    int tileW = ScreenWidth() / 16, tileH = ScreenHeight() / 12;
    AddPiece(x, y, x + w, y + h, background, 0.0f, 0.0f, tileW > 0 ? (float)w / (float)tileW : 1.0f,
             tileH > 0 ? (float)h / (float)tileH : 1.0f);
    if (pieces[0]) pieces[0]->flags |= SPRITE_WRAP;
    std::string frameTexturePath = "data/gui/" + frame;
    Rect rects[8];
    BorderRects(x, y, w, h, border, rects);
    for (int i = 0; i < 8; ++i)
        AddPiece(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom, frameTexturePath.c_str(),
                 BORDER_UV[i].ua, BORDER_UV[i].va, BORDER_UV[i].ub, BORDER_UV[i].vb);
}

Window::~Window()
{
    // A screen may free its windows while one of them still has the keyboard (a name box the
    // player was typing in when the game closed): the manager must not reach for it afterwards.
    if (WindowMgr) {
        if (WindowMgr->focused == this) WindowMgr->focused = nullptr;
        if (WindowMgr->modal == this) WindowMgr->modal = nullptr;
    }
    for (int i = 0; i < pieceCount; ++i) {
        delete pieces[i];
        pieces[i] = nullptr;
    }
    pieceCount = 0;
}

void Window::AddPiece(int left, int top, int right, int bottom, const char* texture, float ua, float va, float ub,
                      float vb)
{
    if (pieceCount >= MAX_PIECES) return;
    Sprite* sprite = CreateGuiSprite(left, top, right - left, bottom - top, texture, 0xFFFFFFFF, ua, va, ub, vb);
    if (!sprite) return;
    pieces[pieceCount++] = sprite;
}

void Window::Draw()
{
    if (flags & WINDOW_COLLAPSED) {
        // Only the title strip: the two top corners and the top edge.
        if (flags & WINDOW_BORDERED)
            for (int n : {TOP_LEFT, TOP_RIGHT, TOP_EDGE})
                if (n < pieceCount) GuiDrawSprite(pieces[n]);
        return;
    }
    if (!(flags & WINDOW_FRAMELESS))
        for (int i = 0; i < pieceCount; ++i) GuiDrawSprite(pieces[i]);
    DrawChildren();
}

void Window::DrawChildren()
{
    // Each child draws its own descendants, so every window is drawn once and never from
    // under a hidden ancestor.
    for (Window* child = firstChild; child; child = child->nextSibling)
        if (child->IsVisible() && !(child->flags & WINDOW_FRAMELESS)) child->Draw();
}

void Window::Move(int newX, int newY)
{
    // Every quad keeps its place in the frame; the frame travels as a whole.
    int dx = newX - x, dy = newY - y;
    if (dx || dy)
        for (int i = 0; i < pieceCount; ++i) Shift(pieces[i], dx, dy, dx, dy);
    x = newX;
    y = newY;
}

void Window::Resize(int newWidth, int newHeight)
{
    int dw = newWidth - width, dh = newHeight - height;
    width = newWidth;
    height = newHeight;
    if (!(flags & WINDOW_RESIZABLE) || pieceCount <= 8 || (!dw && !dh)) return;
    Shift(pieces[TOP_RIGHT], dw, 0, dw, 0);
    Shift(pieces[BOTTOM_LEFT], 0, dh, 0, dh);
    Shift(pieces[BOTTOM_RIGHT], dw, dh, dw, dh);
    Shift(pieces[TOP_EDGE], 0, 0, dw, 0);
    Shift(pieces[BOTTOM_EDGE], 0, dh, dw, dh);
    Shift(pieces[LEFT_EDGE], 0, 0, 0, dh);
    Shift(pieces[RIGHT_EDGE], dw, 0, dw, dh);
    Shift(pieces[CENTRE], 0, 0, dw, dh);
    if ((flags & WINDOW_EXTRA_PIECE) && pieceCount > 9) Shift(pieces[EXTRA], dw, 0, dw, dh);
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

bool Window::OnMouseDown(MouseDevice*) { return false; }
bool Window::OnMouseUp(MouseDevice*) { return false; }
bool Window::OnMouseMove(MouseDevice*) { return false; }

bool Window::OnKey(KeyboardDevice* keyboard)
{
    if (!keyboard) return false;
    Window* button = keyboard->lastKeyDown == VK_RETURN   ? FindDefaultButton()
                     : keyboard->lastKeyDown == VK_ESCAPE ? FindCancelButton()
                                                          : nullptr;
    if (!button) return false;
    // A key is no mouse button: the default button is clicked as by the left one.
    button->OnMouseDown(nullptr);
    button->OnMouseUp(nullptr);
    return true;
}

void Window::SetTexture(const char* texture, int n)
{
    if (n < 0 || n >= pieceCount || !pieces[n]) return;
    pieces[n]->texture = GuiTexture(texture);
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

void Window::RemoveChild(Window* child)
{
    if (!child) return;
    for (Window** link = &firstChild; *link; link = &(*link)->nextSibling) {
        if (*link != child) continue;
        *link = child->nextSibling;
        child->parent = nullptr;
        child->nextSibling = nullptr;
        return;
    }
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

void Window::SetChildrenHidden(bool byId, int value, bool hidden)
{
    for (Window* child = firstChild; child; child = child->nextSibling) {
        if ((byId ? child->id : child->group) == value) child->SetVisible(!hidden);
        child->SetChildrenHidden(byId, value, hidden);
    }
}

void Window::HideChildrenById(int childId) { SetChildrenHidden(true, childId, true); }
void Window::ShowChildrenById(int childId) { SetChildrenHidden(true, childId, false); }
void Window::HideChildrenByGroup(int childGroup) { SetChildrenHidden(false, childGroup, true); }
void Window::ShowChildrenByGroup(int childGroup) { SetChildrenHidden(false, childGroup, false); }

void Window::FitToChildren(int keepX, int keepY, int marginX, int marginY)
{
    int right = 0, bottom = 0;
    for (Window* child = firstChild; child; child = child->nextSibling) {
        if (child->x + child->width > right) right = child->x + child->width;
        if (child->y + child->height > bottom) bottom = child->y + child->height;
    }
    width = right + marginX;
    height = bottom + marginY;
    int newX = keepX ? x : (ScreenWidth() - width) / 2;
    int newY = keepY ? y : (ScreenHeight() - height) / 2;
    Move(newX, newY);
}

void Window::SetNoClip(bool on)
{
    if (on)
        flags |= WINDOW_UNCLIPPED;
    else
        flags &= ~WINDOW_UNCLIPPED;
}

void Window::SetSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
}

void Window::GetSize(int* outWidth, int* outHeight) const
{
    if (outWidth) *outWidth = width;
    if (outHeight) *outHeight = height;
}

bool Window::HitTest(int px, int py) const
{
    if (flags & WINDOW_CAPTURE) return true;
    int ox = x, oy = y;
    if (parent) {
        ox += parent->x + parent->clientX;
        oy += parent->y + parent->clientY;
    }
    int h = (flags & WINDOW_COLLAPSED) ? border : height;
    bool hit = px > ox && py > oy && px < ox + width && py < oy + h;
    if (hit && hitCallback) return hitCallback(const_cast<Window*>(this));
    return hit;
}

namespace {

Window* FirstPressable(const Window* parent, uint32_t flag)
{
    for (Window* child = parent->firstChild; child; child = child->nextSibling)
        if ((child->flags & flag) && !(child->flags & (WINDOW_HIDDEN | WINDOW_DISABLED))) return child;
    return nullptr;
}

}  // namespace

Window* Window::FindDefaultButton() const
{
    return FirstPressable(this, WINDOW_DEFAULT_BUTTON);
}

Window* Window::FindCancelButton() const
{
    return FirstPressable(this, WINDOW_CANCEL_BUTTON);
}

Window* Window::FindNextFocusable()
{
    if (!parent) return this;
    auto takes = [](const Window* w) { return (w->flags & (WINDOW_FOCUSABLE | WINDOW_DEFAULT_BUTTON)) != 0; };
    for (Window* next = nextSibling; next; next = next->nextSibling)
        if (takes(next)) return next;
    for (Window* child = parent->firstChild; child; child = child->nextSibling)
        if (takes(child)) return child;
    return nullptr;
}
