#pragma once
// Font faces rasterised for the bitmap fonts. The face names the game's configuration uses
// ("Arial", "Arial Bold", "Courier New", ...) stand for the DejaVu faces installed with the
// game (sans, sans bold, sans mono); a face we do not know falls back to DejaVu Sans with a
// logged warning.
//
// Sizes and measures follow the classic desktop text metrics the game's layouts rely on: the
// pixel height is the em height (a character height, not a cell height), a text's width is
// the sum of its characters' whole-pixel advance widths (no kerning) and its height is the
// font's line height (ascent + descent). A character painted at (x, y) has the top of its
// line at y and its baseline at y + ascent.
#include <cstdint>
#include <memory>

class FontRaster {
public:
    // The face standing for faceName at an em height of pixelHeight pixels; bold and italic
    // pick the variant. Null (logged) when no face file can be opened.
    static std::unique_ptr<FontRaster> Create(const char* faceName, int pixelHeight, bool bold, bool italic);
    ~FontRaster();
    FontRaster(const FontRaster&) = delete;
    FontRaster& operator=(const FontRaster&) = delete;

    // Width and height of length characters of text. Characters outside 32..126 measure as
    // the face's missing-character box.
    void MeasureText(const char* text, int length, int* width, int* height) const;
    int Advance(unsigned char c) const;
    int Ascent() const { return ascent_; }
    int LineHeight() const { return lineHeight_; }
    int PixelHeight() const { return pixelHeight_; }

    // Paints character c with its line's top-left corner at (x, y) into an 8-bit coverage
    // picture (255 = fully covered); what falls outside the picture is cut off. Overlapping
    // coverage keeps the larger value.
    void PaintChar(unsigned char c, int x, int y, uint8_t* pixels, int width, int height, int pitch) const;

    // The file a face name maps to; known is false when the name was not recognised.
    static const char* FileForFace(const char* faceName, bool bold, bool italic, bool* known);

private:
    FontRaster() = default;

    void* face_ = nullptr;  // FT_Face
    int pixelHeight_ = 0;
    int ascent_ = 0;
    int lineHeight_ = 0;
    int advances_[256] = {};
};
