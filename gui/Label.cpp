#include "gui/Label.h"

#include "gui/GuiDraw.h"
#include "host/System.h"
#include "render/Font.h"

Label::Label(const char* newText, int atX, int atY, int w, int h, int b, Font* labelFont, bool isCentred)
{
    flags = WINDOW_TYPE_LABEL;
    x = anchorX = atX;
    y = anchorY = atY;
    width = w;
    height = h;
    border = b;
    font = labelFont ? labelFont : GuiDefaultFont;
    centred = isCentred;
    CopyText(buffer, sizeof buffer, newText ? newText : "<unknown>");
    text = buffer;
    Centre();
}

void Label::Centre()
{
    if (!centred || !font) return;
    int textWidth = 0;
    GetTextSize(&textWidth, nullptr);
    // Signed: a text wider than the box spreads out to both sides of it.
    x = anchorX + (width / 2 - textWidth / 2);
}

void Label::Move(int newX, int newY)
{
    x = newX;
    y = newY;
}

void Label::SetText(const char* newText, bool copy)
{
    if (!newText) return;
    if (copy) {
        CopyText(buffer, sizeof buffer, newText);
        text = buffer;
        longText_.clear();
    } else {
        // Never the caller's pointer: texts handed over are often built in temporary buffers.
        longText_ = newText;
        text = longText_.c_str();
        CopyText(buffer, sizeof buffer, "[not-used]");
    }
    Centre();
}

int Label::SetScroll(int newFirstLine, int newLinesShown, int* lineCount)
{
    firstLine = newFirstLine;
    linesShown = newLinesShown;
    int count = 0;
    if (font) font->DrawWrappedText(GuiDisplayText(text), wrapWidth, 0, 0, firstLine, linesShown, &count);
    if (firstLine > 0 && wrapWidth >= 1) {
        if (count < linesShown)
            firstLine = 0;
        else if (count - firstLine < linesShown)
            --firstLine;
    }
    if (lineCount) *lineCount = count;
    return count;
}

void Label::GetTextSize(int* outWidth, int* outHeight) const
{
    TextSize size;
    if (font) font->GetTextExtent(GuiDisplayText(text), &size);
    if (outWidth) *outWidth = size.cx;
    if (outHeight) *outHeight = size.cy;
}

void Label::Draw()
{
    if (text && text[0] && font) {
        int sx = x, sy = y;
        if (parent) {
            sx += parent->x;
            sy += parent->y;
        }
        float savedR = font->r, savedG = font->g, savedB = font->b, savedA = font->a;
        font->SetColor(r, g, b, a);
        const char* shown = GuiDisplayText(text);
        if (wrapWidth >= 1)
            GuiDrawWrappedText(font, shown, wrapWidth, sx, sy, firstLine, linesShown);
        else
            GuiDrawText(font, sx, sy, shown);
        font->SetColor(savedR, savedG, savedB, savedA);
    }
    DrawChildren();
}
