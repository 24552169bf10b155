#include "host/FontRaster.h"

#include "host/Log.h"
#include "host/System.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <string>

namespace {

const char* const FONT_FOLDER = "/usr/share/fonts/truetype/dejavu/";

enum Family { SANS, SANS_MONO, SERIF };

struct FaceName {
    const char* name;
    Family family;
    bool bold;  // the name itself asks for the bold weight
};

// The faces the game's configuration and screens name, and what stands in for them.
const FaceName KNOWN_FACES[] = {
    {"Arial", SANS, false},
    {"Arial Bold", SANS, true},
    {"Tahoma", SANS, false},
    {"Verdana", SANS, false},
    {"DejaVu Sans", SANS, false},
    {"DejaVu Sans Bold", SANS, true},
    {"Courier New", SANS_MONO, false},
    {"Courier New Bold", SANS_MONO, true},
    {"Courier", SANS_MONO, false},
    {"Lucida Console", SANS_MONO, false},
    {"DejaVu Sans Mono", SANS_MONO, false},
    {"Times New Roman", SERIF, false},
    {"DejaVu Serif", SERIF, false},
};

const char* FileOf(Family family, bool bold, bool italic)
{
    static const char* const files[3][4] = {
        {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf"},
        {"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf", "DejaVuSansMono-Oblique.ttf",
         "DejaVuSansMono-BoldOblique.ttf"},
        {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf", "DejaVuSerif-Italic.ttf", "DejaVuSerif-BoldItalic.ttf"},
    };
    return files[family][(bold ? 1 : 0) + (italic ? 2 : 0)];
}

FT_Library Library()
{
    static FT_Library library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (FT_Init_FreeType(&library) != 0) {
            Log("    ERROR: FreeType could not be started\n");
            library = nullptr;
        }
    }
    return library;
}

int RoundUp26_6(FT_Pos v) { return (int)((v + 63) >> 6); }

}  // namespace

const char* FontRaster::FileForFace(const char* faceName, bool bold, bool italic, bool* known)
{
    const FaceName* found = nullptr;
    if (faceName)
        for (const FaceName& f : KNOWN_FACES)
            if (StrICmp(f.name, faceName) == 0) found = &f;
    if (known) *known = found != nullptr;
    if (!found) return FileOf(SANS, bold, italic);
    return FileOf(found->family, bold || found->bold, italic);
}

std::unique_ptr<FontRaster> FontRaster::Create(const char* faceName, int pixelHeight, bool bold, bool italic)
{
    FT_Library library = Library();
    if (!library) return nullptr;
    bool known = false;
    const char* file = FileForFace(faceName, bold, italic, &known);
    if (!known) Log("WARNING: font face \"%s\" is unknown, DejaVu Sans stands in for it\n", faceName ? faceName : "");
    std::string path = std::string(FONT_FOLDER) + file;

    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        Log("    ERROR: cannot open the font file %s\n", path.c_str());
        return nullptr;
    }
    if (pixelHeight < 1) pixelHeight = 1;
    if (FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixelHeight) != 0) {
        Log("    ERROR: the font file %s has no size of %d pixels\n", path.c_str(), pixelHeight);
        FT_Done_Face(face);
        return nullptr;
    }

    std::unique_ptr<FontRaster> raster(new FontRaster());
    raster->face_ = face;
    raster->pixelHeight_ = pixelHeight;
    raster->ascent_ = RoundUp26_6(face->size->metrics.ascender);
    raster->lineHeight_ = raster->ascent_ + RoundUp26_6(-face->size->metrics.descender);
    // Whole-pixel advances, measured once: the sheet layout measures every character again
    // and again while it searches for a sheet size.
    for (int c = 0; c < 256; ++c) {
        FT_UInt index = FT_Get_Char_Index(face, (FT_ULong)c);
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) == 0)
            raster->advances_[c] = (int)((face->glyph->advance.x + 32) >> 6);
    }
    return raster;
}

FontRaster::~FontRaster()
{
    if (face_) FT_Done_Face((FT_Face)face_);
}

int FontRaster::Advance(unsigned char c) const
{
    return advances_[c];
}

void FontRaster::MeasureText(const char* text, int length, int* width, int* height) const
{
    int w = 0;
    for (int i = 0; text && i < length && text[i]; ++i) w += advances_[(unsigned char)text[i]];
    if (width) *width = w;
    if (height) *height = lineHeight_;
}

void FontRaster::PaintChar(unsigned char c, int x, int y, uint8_t* pixels, int width, int height, int pitch) const
{
    FT_Face face = (FT_Face)face_;
    FT_UInt index = FT_Get_Char_Index(face, c);
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || !bitmap.buffer) return;
    int left = x + face->glyph->bitmap_left;
    int top = y + ascent_ - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        int py = top + (int)row;
        if (py < 0 || py >= height) continue;
        const uint8_t* source = bitmap.buffer + (ptrdiff_t)row * bitmap.pitch;
        uint8_t* target = pixels + (ptrdiff_t)py * pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            int px = left + (int)column;
            if (px < 0 || px >= width) continue;
            target[px] = std::max(target[px], source[column]);
        }
    }
}
