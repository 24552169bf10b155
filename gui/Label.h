#pragma once
// A text on a screen: a literal, or a string-table key in angle brackets ("<tip3>"), on one
// line or word-wrapped inside a width with a window of shown lines for scrolling. A centred
// label is placed about the middle of its width from the position it was built at.
#include "gui/Window.h"

#include <string>

class Font;

class Label : public Window {
public:
    static constexpr int BUFFER_SIZE = 256;

    // A null text shows "<unknown>"; a null font takes the GUI's default font.
    Label(const char* text, int x, int y, int width, int height, int border, Font* font, bool centred);

    // The text in the label's colour at its position plus its parent's.
    void Draw() override;
    // A label has no quads: only the position changes.
    void Move(int newX, int newY) override;

    // The label keeps its own copy: copied into its buffer (cut to 255 characters), or, for a
    // caller that does not ask for the buffer, whole. A null text keeps the current one.
    void SetText(const char* newText, bool copy = true);
    const char* GetText() const { return text; }
    // Wrap inside this width from now on (-1: one line).
    void SetWrapWidth(int newWidth) { wrapWidth = newWidth; }
    // Shows lines shown lines (0: all) from the first line on; returns the wrapped text's line
    // count (also in *lineCount). A first line past the end steps back one line per call, and
    // back to the top when the whole text fits.
    int SetScroll(int newFirstLine, int newLinesShown, int* lineCount);
    // The size of the shown text in the label's font (0 x 0 without one).
    void GetTextSize(int* outWidth, int* outHeight) const;

    char buffer[BUFFER_SIZE];
    const char* text = buffer;
    Font* font = nullptr;
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
    int anchorX = 0, anchorY = 0;
    int wrapWidth = -1;
    int firstLine = 0;
    int linesShown = 0;
    bool centred = false;

private:
    // Places a centred label again about its anchor.
    void Centre();

    // A long text handed over without the buffer.
    std::string longText_;
};
