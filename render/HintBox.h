#pragma once
// The hint box: a tooltip with a three-sprite backdrop (shadow, border, fill) and an optional
// hotkey label, kept on screen.
#include <cstdint>

class Font;
class Sprite;

class HintBox {
public:
    HintBox();
    ~HintBox();
    HintBox(const HintBox&) = delete;
    HintBox& operator=(const HintBox&) = delete;

    // Plain text, or a string-table key in angle brackets.
    void SetText(const char* newText);
    // Shows the key bound to an action ("(F2)") beside the text, when it has one.
    void SetHotkey(const char* action);
    // Draws the box with its text's top-left corner at (x, y), moved back onto the screen when
    // it would leave it. A text given replaces the box's text.
    void Draw(int x, int y, const char* newText);

    // The game's fonts for the tooltip text and the hotkey label.
    static void SetFonts(Font* tooltip, Font* hotkey);

    char text[128];
    char hotkeyText[64];
    Sprite* shadowSprite = nullptr;
    Sprite* borderSprite = nullptr;
    Sprite* fillSprite = nullptr;
    uint32_t textColour = 0xFFCCCCCC;
    bool hotkey = false;

    // Where the box was last drawn (after being kept on screen): text corner and size.
    int drawnX = 0, drawnY = 0, drawnW = 0, drawnH = 0;
};
