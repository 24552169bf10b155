#pragma once
// Text drawn into textures (titles, logos) from the system's TrueType fonts. Glyphs are
// rasterised into a coverage mask; FieldFromMask (Relief.h) turns the mask into a shape field
// so text takes the same layer styles as every other shape.
#include "content/texgen/Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

// The fonts the generator draws with (the DejaVu family of fonts-dejavu-core).
extern const char* const SansBoldFont;
extern const char* const SerifBoldFont;
extern const char* const SansFont;

class Typeface {
public:
    Typeface();
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    // Reads a .ttf file; false (logged) when it cannot be read or is no font.
    bool Load(const char* path);
    bool IsLoaded() const { return info_ != nullptr; }

    // Width in pixels of an ASCII text at a pixel height (the em size), with `tracking`
    // extra pixels between letters, kerning applied and glyphs widened by `stretch`.
    float Measure(const std::string& text, float pixelHeight, float tracking = 0.0f, float stretch = 1.0f) const;
    // Height in pixels of a capital letter at a pixel height.
    float CapHeight(float pixelHeight) const;
    // Draws the text into a coverage mask with its left end at x and its baseline at y;
    // `stretch` widens (above 1) or narrows every glyph. Overlapping glyphs keep the higher
    // coverage.
    void Draw(Plane& mask, const std::string& text, float pixelHeight, float x, float baseline,
              float tracking = 0.0f, float stretch = 1.0f) const;

private:
    std::vector<uint8_t> file_;
    void* info_ = nullptr;  // the rasteriser's font record
};
