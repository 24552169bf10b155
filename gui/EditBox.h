#pragma once
// The single-line text entry of every screen (profile names, save names, the console, the
// terrain editor's fields). A click gives it the focus and puts the caret where the click was;
// while it has the focus it takes every key: characters of the US keyboard layout (Shift and
// Caps Lock as on that keyboard, the numeric keypad types nothing), Backspace, Delete, Home, End
// and the arrows, Ctrl+V pastes the clipboard, Tab moves the focus on (as does typing the box
// full), Esc lets the focus go and Enter runs the enter callback. A prompt may stand to its left.
//
// The text holds at most maximumLength characters, and never more than its buffer leaves room
// for beside the terminator (127). SetText is the program's own: it is bounded by the buffer
// only.
#include "gui/Window.h"

#include <string>

class EditBox;
class Font;

// The enter callback: (null, the box); 1 when handled.
using EditBoxCallback = int (*)(void* user, EditBox* box);

class EditBox : public Window {
public:
    static constexpr int TEXT_SIZE = 128;

    // A framed window (its centre quad only, from the texture prefix) with the box's faces and
    // caret from the font's folder; the font defaults to the GUI's default font. The text starts
    // as initialText with the caret at its end.
    EditBox(const char* initialText, int x, int y, int width, int height, int border, Font* font,
            const char* texturePrefix);
    ~EditBox() override;

    // The face (focused or not), the blinking caret while focused, the text and the prompt.
    void Draw() override;
    // Its caret blinks while it has the focus.
    bool Animates() const override { return HasFocus(); }
    // A click on the box takes the focus; on a focused box it also moves the caret to the
    // click. A click beside it lets the focus go.
    bool OnMouseDown(MouseDevice* mouse) override;
    bool OnMouseUp(MouseDevice*) override { return true; }
    // Every key while focused (true); nothing without the focus (false).
    bool OnKey(KeyboardDevice* keyboard) override;

    // Copies at most 127 characters and puts the caret at the end.
    void SetText(const char* newText);
    const char* GetText() const { return text; }
    // Shows the prompt left of the box; null hides it.
    void SetPrompt(const char* newPrompt);
    // The clipboard's text, or false when there is no clipboard to read.
    static bool PasteClipboard(std::string* out);
    // Puts a character at the caret (replacing the one there when overwriting) and moves the
    // caret on; false when the box has no room for it.
    bool InsertChar(char c, bool overwrite);
    // Removes the character at position (nothing at or past the end).
    void DeleteRange(int position, int end);
    // Text at whole pixels through the painter; other panels write with it too.
    static void DrawTextAt(Font* font, int x, int y, const char* text);

    // How many characters typing and pasting may fill: the maximum length within the buffer.
    int Capacity() const;
    int Length() const;

    char text[TEXT_SIZE] = {};
    char prompt[TEXT_SIZE] = {};
    bool hasPrompt = false;
    int caret = 0;
    int textOffsetX = 0, textOffsetY = 0;
    int maximumLength = TEXT_SIZE;
    Sprite* caretSprite = nullptr;
    Sprite* focusSprite = nullptr;
    Sprite* noFocusSprite = nullptr;
    Font* font = nullptr;
    EditBoxCallback enterCallback = nullptr;

private:
    // The character a key types, or 0 for a key that types nothing.
    static char KeyCharacter(int key, bool shift, bool capsLock);
    void Paste();
    // Tab: on to the next field, or a click of the default button found there.
    void MoveFocusOn(KeyboardDevice* keyboard);
    // Pixel width of the first count characters of the text.
    int TextWidth(int count) const;
    void PlaceCaretAt(int clickX);
};
