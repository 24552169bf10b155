#pragma once
// A font record of the 2D layer: a face, size, colour and optional drop shadow over a cached
// bitmap font, with measuring and word-wrapped drawing. One per font slot of fonts.cfg and per
// screen that needs its own.
#include "render/FontBitmap.h"

#include <cstdint>

class Font {
public:
    // Word-wrapped lines hold at most this many characters; longer runs without a break are
    // cut there.
    static constexpr int MAX_LINE = 255;

    explicit Font(const char* name);

    // Takes the bitmap font of this face, height (points) and flags from the font cache;
    // the record is loaded when there was one.
    CD3DFont* Load(const char* face, int height, int flags);
    void SetColor(float r, float g, float b, float a);
    void SetShadow(bool on) { shadow = on; }
    // The shadow's offset in pixels.
    void SetSize(int x, int y);

    // Width and height of text as drawn; a failure (size 0 x 0) when not loaded.
    GfxResult GetTextExtent(const char* text, TextSize* size) const;
    // Draws text at (x, y) (TEXT_* flags), first its shadow when that is on.
    void DrawText(float x, float y, const char* text, uint32_t flags = 0);
    // Draws text wrapped into lines no wider than width, lines firstLine to
    // firstLine + mostLines - 1 (mostLines below 1 means 200), one under the other from (x, y).
    // Blanks, "^", line feeds and "@" are where lines may break; "@" and a second line feed in
    // a row force a break and an empty line. With lineCount given nothing is drawn: the lines
    // are counted. Returns the height of the lines drawn (or that would be).
    int DrawWrappedText(const char* text, int width, int x, int y, int firstLine, int mostLines, int* lineCount);
    // Calls emit for every wrapped line in order, blanks standing in for "_", "^", "@", line
    // feeds and carriage returns; an empty line is "". Returns the number of lines.
    int WrapLines(const char* text, int width, void (*emit)(void* user, const char* line), void* user) const;

    // "<root>/<name>/<file>": a GUI picture in this record's folder.
    void MakeGuiPath(char* out, const char* file) const;

    uint32_t PackedColour() const;
    float LineHeight() const;

    char name[128];
    char face[128];
    int height = 20;
    int flags = 0;
    bool loaded = false;
    bool shadow = false;
    int shadowX = 1;
    int shadowY = 1;
    CD3DFont* font = nullptr;
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
    float shadowR = 0.0f, shadowG = 0.0f, shadowB = 0.0f, shadowA = 1.0f;
    char rootFolder[128];
};
