#include "gui/Button.h"

#include "gui/GuiDraw.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Font.h"
#include "render/Sprite.h"

#include <cstdio>
#include <utility>

namespace {

// The text of a disabled button.
constexpr float DISABLED_GREY = 0.66f;

// The button's default picture: in the style's folder, or the GUI folder without a style.
void DefaultFace(const Font* style, const char* file, char* out)
{
    if (style)
        style->MakeGuiPath(out, file);
    else
        snprintf(out, MAX_PATH_TEXT, "data/gui/%s", file);
}

void Retexture(Sprite* sprite, const char* texture, int cell)
{
    if (!sprite) return;
    sprite->texture = GuiTexture(texture);
    sprite->SetAtlasCell(cell);
}

}  // namespace

Button::Button(ButtonCallback press, ButtonCallback click, int atX, int atY, int w, int h, int, Font* buttonStyle,
               const char* unpressedTexture, const char* pressedTexture, Font* hover, int unpressedCell,
               int pressedCell, uint32_t spriteFlags)
{
    CopyText(caption, sizeof caption, "Button");
    x = atX;
    y = atY;
    width = w;
    height = h;
    flags = WINDOW_TYPE_BUTTON;
    pressCallback = press;
    clickCallback = click;
    hoverStyle = hover;
    style = buttonStyle ? buttonStyle : GuiDefaultFont;

    // The sizes are placeholders: Draw lays the face over the button every frame.
    char path[MAX_PATH_TEXT];
    if (pressedTexture) {
        pressedSprite = CreateGuiSprite(0, 0, 64, 64, pressedTexture, 0xFFFFFFFF, 0, 0, 1, 1, spriteFlags);
    } else {
        DefaultFace(style, "button_pressed.dds", path);
        pressedSprite = CreateGuiSprite(0, 0, 128, 64, path, 0xFFFFFFFF, 0, 0, 1, 1, spriteFlags);
    }
    if (unpressedTexture) {
        unpressedSprite = CreateGuiSprite(0, 0, 64, 64, unpressedTexture, 0xFFFFFFFF, 0, 0, 1, 1, spriteFlags);
    } else {
        DefaultFace(style, "button_unpressed.dds", path);
        unpressedSprite = CreateGuiSprite(0, 0, 128, 64, path, 0xFFFFFFFF, 0, 0, 1, 1, spriteFlags);
    }
    if (unpressedCell > 0) {
        if (pressedSprite) pressedSprite->SetAtlasCell(pressedCell);
        if (unpressedSprite) unpressedSprite->SetAtlasCell(unpressedCell);
    }
}

Button::~Button()
{
    delete pressedSprite;
    delete unpressedSprite;
    delete hoverImage;
}

bool Button::CursorOver() const
{
    MouseDevice* mouse = Input.mouse;
    return mouse && HitTest(mouse->cursorX, mouse->cursorY);
}

bool Button::OnMouseDown(MouseDevice* mouse)
{
    // A disabled button is dead to the mouse: no callback, no toggle, no press recorded.
    if (!IsEnabled()) return false;
    float now = (float)FrameTimer.GetTime();
    if (pressTime > 0.0f) timeSincePreviousPress = now - pressTime;
    int result = 0;
    bool rightPress = mouse && mouse->ButtonEventIs(1, 1);
    if (!(rightPress && !rightButtonAllowed) && pressCallback) result = pressCallback(UserArgument(), this);
    pressTime = now;
    pressed = true;
    toggled = !toggled;
    return result != 0;
}

bool Button::OnMouseUp(MouseDevice* mouse)
{
    if (!rightButtonAllowed && mouse && mouse->ButtonEventIs(1, 2)) {
        pressed = false;
        return false;
    }
    int result = 0;
    if (pressed && clickCallback && IsEnabled()) result = clickCallback(UserArgument(), this);
    pressed = false;
    return result != 0;
}

bool Button::OnMouseMove(MouseDevice* mouse)
{
    if (!mouse) return false;
    bool over = HitTest(mouse->cursorX, mouse->cursorY);
    // Leaving the button before the release takes the click back.
    if (pressed && !over) pressed = false;
    if (over) {
        if (hoverEnterCallback) hoverEnterCallback(HoverArgument(), this);
        hovering = true;
        return true;
    }
    if (!hovering) return false;
    if (hoverLeaveCallback) hoverLeaveCallback(HoverArgument(), this);
    hovering = false;
    return true;
}

void Button::EndHover()
{
    if (!hovering) return;
    hovering = false;
    if (hoverLeaveCallback) hoverLeaveCallback(HoverArgument(), this);
}

void Button::Draw()
{
    int sx = x, sy = y;
    if (parent) {
        sx += parent->x;
        sy += parent->y;
        if (parent->clientY > 0) {
            sx += parent->clientX;
            sy += parent->clientY;
        }
    }
    bool over = CursorOver();
    // The hover style is worn exactly while the pointer is over the button.
    if ((flags & WINDOW_HOVER_STYLE) && !over) {
        flags &= ~WINDOW_HOVER_STYLE;
        std::swap(style, hoverStyle);
    } else if (!(flags & WINDOW_HOVER_STYLE) && over && hoverStyle) {
        flags |= WINDOW_HOVER_STYLE;
        std::swap(style, hoverStyle);
    }

    bool showPressed = toggleMode ? toggled : (pressed && radioGroup == -1);
    Sprite* face = showPressed ? pressedSprite : unpressedSprite;
    if (face) {
        face->SetRect(sx, sy, sx + width, sy + height);
        GuiDrawSprite(face);
    }
    if (IsEnabled() && over && hoverImage) {
        hoverImage->SetRect(sx, sy, sx + width, sy + height);
        GuiDrawSprite(hoverImage);
    }

    if (hasText && style) {
        float r = style->r, g = style->g, b = style->b, a = style->a;
        if (IsEnabled())
            style->SetColor(textColour[0], textColour[1], textColour[2], textColour[3]);
        else
            style->SetColor(DISABLED_GREY, DISABLED_GREY, DISABLED_GREY, 1.0f);
        TextSize size;
        style->GetTextExtent(text, &size);
        int tx = sx + (width - size.cx) / 2 + textOffsetX;
        int ty = sy + (height - size.cy) / 2 + textOffsetY;
        // The text sinks while a working button is held.
        if (pressed && (pressCallback || clickCallback)) ty += 2;
        GuiDrawText(style, tx, ty, text);
        style->SetColor(r, g, b, a);
    }

    if (flags & WINDOW_COLLAPSED) return;
    for (Window* child = firstChild; child; child = child->nextSibling)
        if (child->IsVisible()) child->Draw();
}

void Button::SetText(const char* newText)
{
    if (!newText) {
        hasText = false;
        return;
    }
    CopyText(text, sizeof text, newText);
    hasText = true;
}

void Button::SetImage(const char* texture, int cell)
{
    if (!hoverImage) {
        hoverImage = CreateGuiSprite(0, 0, 64, 64, texture, 0xFFFFFFFF, 0, 0, 1, 1);
        if (hoverImage) hoverImage->SetAtlasCell(cell);
        return;
    }
    Retexture(hoverImage, texture, cell);
}

void Button::SetIcon(const char* pressedTexture, const char* unpressedTexture, int pressedCell, int unpressedCell)
{
    if (pressedTexture) Retexture(pressedSprite, pressedTexture, pressedCell);
    if (unpressedTexture == pressedTexture && pressedTexture && unpressedSprite && pressedSprite) {
        // One picture for both faces, seen through different cells.
        unpressedSprite->texture = pressedSprite->texture;
        unpressedSprite->SetAtlasCell(unpressedCell);
    } else if (unpressedTexture) {
        Retexture(unpressedSprite, unpressedTexture, unpressedCell);
    }
}

void Button::SelectInGroup(int radioGroupNumber)
{
    if (!selected) {
        std::swap(pressedSprite, unpressedSprite);
        selected = true;
    }
    if (!parent) return;
    for (Window* sibling = parent->firstChild; sibling; sibling = sibling->nextSibling) {
        if (sibling == this || !(sibling->flags & WINDOW_TYPE_BUTTON)) continue;
        Button* other = dynamic_cast<Button*>(sibling);
        if (!other || other->radioGroup != radioGroupNumber || !other->selected) continue;
        std::swap(other->pressedSprite, other->unpressedSprite);
        other->selected = false;
    }
}
