#pragma once
// Bitmap fonts. A face is rasterised once into a glyph sheet holding the printable ASCII
// characters, the sheet becomes an alpha texture, and a string is drawn as screen-space
// textured quads (pre-transformed vertices) in one draw call. Each font keeps its recently
// drawn strings' vertices (FontStringCache), so a string drawn at the same place, in the same
// colour and with the same flags on consecutive frames costs no vertex writes.
//
// Sizes are points at 96 pixels per inch: 12 points are 16 pixels of em height.
#include "host/GfxTypes.h"

#include <cstdint>
#include <vector>

class GfxDevice;
class GfxTexture;
class GfxVertexBuffer;
class FontStringCache;

// Font creation flags.
enum : int { FONT_BOLD = 1, FONT_ITALIC = 2, FONT_ZENABLE = 4 };
// Text drawing flags.
enum : uint32_t { TEXT_CENTERED_X = 1, TEXT_CENTERED_Y = 2, TEXT_FILTERED = 8 };

// A glyph vertex: pixel position with depth 0.9 and rhw 1, colour, texture coordinates.
struct FontVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(FontVertex) == 28, "font vertices are 28 bytes");
constexpr uint32_t FONT_FVF = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;  // 0x144
constexpr uint32_t FONT_BUFFER_BYTES = 24576;
// Vertices written before a long string is drawn in parts.
constexpr int FONT_FLUSH_VERTICES = 762;

struct TextSize {
    int cx = 0;
    int cy = 0;
};

// Where the characters 32..126 sit in a font's sheet, and the sheet's pixels.
struct GlyphSheet {
    int width = 128;
    int height = 128;
    // Below 1 when the sheet had to be rasterised smaller to fit the largest texture.
    float textScale = 1.0f;
    // Free pixels on each side of a glyph.
    int spacing = 0;
    // Left u, top v, right u, bottom v of characters 32..127 (127 stays empty).
    float glyphs[96][4] = {};
    // A4R4G4B4 texels, width x height, top row first: white with the glyph coverage as alpha.
    std::vector<uint16_t> texels;
};

// Rasterises a face into the smallest power-of-two square sheet from 128 that holds the
// glyphs, shrinking the rasterised size (textScale) when even maxTextureWidth is too small.
// False (logged) when the face cannot be made.
bool BuildGlyphSheet(const char* faceName, int height, int flags, uint32_t maxTextureWidth, GlyphSheet* sheet);

class CD3DFont {
public:
    CD3DFont(const char* faceName, int height, int flags);
    ~CD3DFont();
    CD3DFont(const CD3DFont&) = delete;
    CD3DFont& operator=(const CD3DFont&) = delete;

    // Builds the glyph sheet and the texture.
    GfxResult InitDeviceObjects(GfxDevice* device);
    // Texture (made again when missing), vertex buffer, blending support and string cache.
    GfxResult RestoreDeviceObjects();
    // Releases every device object and the string cache (before a device reset).
    GfxResult InvalidateDeviceObjects();
    // Without a device: lays the glyphs out on the CPU only, so that text can be measured and
    // wrapped in runs that draw nothing. False when the face cannot be made.
    bool LoadMetrics();

    // Draws text with its top-left corner at pixel (x, y): TEXT_CENTERED_X centres the first
    // line across the viewport, TEXT_CENTERED_Y centres vertically, TEXT_FILTERED samples
    // bilinearly. Characters 32..127 are drawn, "\n" starts a new line, others are skipped.
    GfxResult DrawText(float x, float y, uint32_t colour, const char* text, uint32_t flags);
    // Width and height in pixels of text as DrawText draws it.
    GfxResult GetTextExtent(const char* text, TextSize* size) const;

    // Pixels a character moves the pen on, as drawn; the height of a line as drawn.
    float CharAdvance(unsigned char c) const;
    float LineHeight() const;

    const char* GetFaceName() const { return faceName; }
    int GetHeight() const { return height; }
    int GetFlags() const { return flags; }
    FontStringCache* GetStringCache() const { return stringCache; }
    // Strings whose vertices were built (not served from the cache) since the font was made.
    int GetBuildCount() const { return buildCount; }

    char faceName[80];
    int height;
    int flags;
    GfxDevice* device = nullptr;
    GfxTexture* texture = nullptr;
    GfxVertexBuffer* vertexBuffer = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    float textScale = 1.0f;
    float glyphs[96][4] = {};
    int spacing = 0;
    FontStringCache* stringCache = nullptr;
    bool blendingSupported = true;

private:
    void SetTextRenderStates();
    // Writes the quads of text from (x, y) into the locked buffer, drawing and relocking
    // whenever a long string fills the flush limit. Returns the triangles left to draw.
    int WriteVertices(GfxVertexBuffer* buffer, float x, float y, uint32_t colour, const char* text);
    float GlyphWidth(int index) const;
    void TakeSheet(const GlyphSheet& sheet);

    int buildCount = 0;
};
