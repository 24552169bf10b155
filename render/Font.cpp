#include "render/Font.h"

#include "host/System.h"
#include "platform/Files.h"
#include "render/Draw2D.h"
#include "render/FontCache.h"

#include <cstdio>
#include <cstring>
#include <string>

Font::Font(const char* recordName)
{
    CopyText(name, sizeof name, recordName ? recordName : "");
    CopyText(face, sizeof face, "Arial");
    CopyText(rootFolder, sizeof rootFolder, "Data");
}

CD3DFont* Font::Load(const char* newFace, int newHeight, int newFlags)
{
    CopyText(face, sizeof face, newFace ? newFace : "");
    height = newHeight;
    flags = newFlags;
    font = Fonts ? Fonts->GetFont(face, height, flags) : nullptr;
    loaded = font != nullptr;
    return font;
}

void Font::SetColor(float red, float green, float blue, float alpha)
{
    r = red;
    g = green;
    b = blue;
    a = alpha;
}

void Font::SetSize(int x, int y)
{
    shadowX = x;
    shadowY = y;
}

uint32_t Font::PackedColour() const
{
    return PackColour(r, g, b, a);
}

float Font::LineHeight() const
{
    return font ? font->LineHeight() : 0.0f;
}

GfxResult Font::GetTextExtent(const char* text, TextSize* size) const
{
    if (!loaded || !font) {
        if (size) *size = TextSize();
        return GFX_E_FAIL;
    }
    return font->GetTextExtent(text, size);
}

void Font::DrawText(float x, float y, const char* text, uint32_t drawFlags)
{
    if (!loaded || !font || !text) return;
    if (shadow)
        font->DrawText(x + (float)shadowX, y + (float)shadowY, PackColour(shadowR, shadowG, shadowB, shadowA), text,
                       drawFlags);
    font->DrawText(x, y, PackColour(r, g, b, a), text, drawFlags);
}

namespace {

bool IsBreakMark(char c)
{
    return c == ' ' || c == '^' || c == '\n' || c == '@';
}

bool PrintsAsBlank(char c)
{
    return c == '_' || c == '^' || c == '\n' || c == '\r' || c == '@';
}

}  // namespace

int Font::WrapLines(const char* text, int width, void (*emit)(void* user, const char* line), void* user) const
{
    if (!font || !text) return 0;
    // Line feeds and carriage returns take the room of the blank they print as.
    auto advance = [this](char c) {
        return font->CharAdvance((unsigned char)((c == '\n' || c == '\r') ? ' ' : c));
    };
    auto widthOf = [&](const char* from, const char* to) {
        float w = 0.0f;
        for (const char* p = from; p < to; ++p) w += advance(*p);
        return w;
    };

    int lines = 0;
    char line[MAX_LINE + 1];
    auto put = [&](const char* from, const char* to) {
        int count = (int)(to - from);
        if (count > MAX_LINE) count = MAX_LINE;
        for (int i = 0; i < count; ++i) line[i] = PrintsAsBlank(from[i]) ? ' ' : from[i];
        line[count] = 0;
        if (emit) emit(user, line);
        ++lines;
    };

    const char* start = text;
    const char* lastBreak = nullptr;  // just after the last break mark of the current line
    float running = 0.0f;
    for (const char* p = text; *p; ++p) {
        if (p - start >= MAX_LINE) {
            // A run with no room to break in: the line ends where it is full.
            const char* end = lastBreak ? lastBreak : p;
            put(start, end);
            start = end;
            lastBreak = nullptr;
            running = widthOf(start, p);
        }
        char c = *p;
        running += advance(c);
        if (IsBreakMark(c)) lastBreak = p + 1;
        bool forced = c == '@' || (c == '\n' && p > text && p[-1] == '\n');
        if (forced) {
            put(start, p + 1);
            put(p + 1, p + 1);
            start = p + 1;
            lastBreak = nullptr;
            running = 0.0f;
        } else if (running > (float)width && lastBreak) {
            put(start, lastBreak);
            start = lastBreak;
            lastBreak = nullptr;
            running = widthOf(start, p + 1);
        }
    }
    if (*start) put(start, start + strlen(start));
    return lines;
}

int Font::DrawWrappedText(const char* text, int width, int x, int y, int firstLine, int mostLines, int* lineCount)
{
    if (lineCount) *lineCount = 0;
    if (!loaded || !font || !text) return 0;
    if (mostLines < 1) mostLines = 200;

    struct Walk {
        Font* self;
        int x, y, first, last, index, shown, lineHeight;
        bool draw;
    } walk = {this, x, y, firstLine, firstLine + mostLines - 1, 0, 0, (int)font->LineHeight(), lineCount == nullptr};
    int total = WrapLines(
        text, width,
        [](void* user, const char* line) {
            Walk& w = *(Walk*)user;
            if (w.index >= w.first && w.index <= w.last) {
                if (w.draw) w.self->DrawText((float)w.x, (float)(w.y + w.shown * w.lineHeight), line, 0);
                ++w.shown;
            }
            ++w.index;
        },
        &walk);
    if (lineCount) *lineCount = total;
    return walk.shown * walk.lineHeight;
}

void Font::MakeGuiPath(char* out, const char* file) const
{
    std::string path = std::string(rootFolder) + "/" + name + "/" + (file ? file : "");
    CopyText(out, MAX_PATH_TEXT, path.c_str());
}
