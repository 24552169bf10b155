#pragma once
// The push button of every screen, which also serves as toggle, radio button, clickable icon,
// list row, scroll arrow and thumb. It draws one of two faces (pressed or unpressed), an
// optional hover picture, a centred text and its own visible children, and reports presses,
// clicks and hovering through plain callbacks.
//
// Callbacks: a press callback runs on a mouse press on the button, a click callback on the
// release of a press that began on it and stayed on it; each gets the address of the button's
// user value (null unless hasUserData is set) and the button, and its result (1 when handled)
// becomes the button's answer to the window manager. A disabled button ignores the mouse.
#include "gui/Window.h"

#include <cstdint>

class Button;
class Font;

using ButtonCallback = int (*)(void* user, Button* button);

class Button : public Window {
public:
    // Faces: the given textures (whole, or the given atlas cells when the unpressed cell is
    // above 0), else "button_pressed.dds" and "button_unpressed.dds" in the style's folder. The
    // style defaults to the GUI's default font; spriteFlags go to both faces. `reserved` has no
    // effect (builders pass 0).
    Button(ButtonCallback press, ButtonCallback click, int x, int y, int width, int height, int reserved, Font* style,
           const char* unpressedTexture, const char* pressedTexture, Font* hoverStyle, int unpressedCell,
           int pressedCell, uint32_t spriteFlags);
    ~Button() override;

    void Draw() override;
    bool OnMouseDown(MouseDevice* mouse) override;
    bool OnMouseUp(MouseDevice* mouse) override;
    // Tracks hovering (enter callback on every move over the button, leave callback once when
    // the pointer goes) and cancels a press the pointer has left.
    bool OnMouseMove(MouseDevice* mouse) override;
    // The pointer can no longer reach the button (it or its window was hidden, or a modal
    // window took the input): the hover ends as if the pointer had left, leave callback and all.
    void EndHover();

    // Copies at most 127 characters; null hides the text.
    void SetText(const char* newText);
    // The picture drawn over the face while the pointer is over an enabled button.
    void SetImage(const char* texture, int cell);
    // Retextures the faces; a null texture leaves that face, a cell below 1 takes the whole
    // picture.
    void SetIcon(const char* pressedTexture, const char* unpressedTexture, int pressedCell, int unpressedCell);
    // Selects this radio button and unselects the selected sibling buttons of the group.
    void SelectInGroup(int radioGroupNumber);

    char text[128] = {};
    ButtonCallback pressCallback = nullptr;
    ButtonCallback clickCallback = nullptr;
    bool pressed = false;
    intptr_t userData = 0;
    int tag = 0;  // a second user value (list rows keep their row + 1 here)
    bool toggleMode = false;
    bool toggled = false;
    int radioGroup = -1;
    float pressTime = -1.0f;                // frame-timer seconds of the last press
    float timeSincePreviousPress = -1.0f;   // between the last two presses
    ButtonCallback hoverEnterCallback = nullptr;
    ButtonCallback hoverLeaveCallback = nullptr;
    intptr_t hoverUserData = 0;
    Font* style = nullptr;
    Sprite* pressedSprite = nullptr;
    Sprite* unpressedSprite = nullptr;
    Sprite* hoverImage = nullptr;
    Font* hoverStyle = nullptr;  // worn while the pointer is over the button
    int textOffsetX = 0, textOffsetY = 0;
    // The text's own colour: the fonts are shared, and the colour another screen left in one
    // is not this button's.
    float textColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool hasUserData = false;
    bool hasTag = false;
    bool hasText = false;
    bool hovering = false;
    bool hasHoverUserData = false;
    bool selected = false;  // radio state: the faces are swapped
    bool rightButtonAllowed = false;

private:
    bool CursorOver() const;
    void* UserArgument() { return hasUserData ? &userData : nullptr; }
    void* HoverArgument() { return hasHoverUserData ? &hoverUserData : nullptr; }
};
