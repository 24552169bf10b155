#include "content/texgen/TextArt.h"

#include "host/ImageCodec.h"
#include "host/Log.h"

#include <stb_truetype.h>

#include <algorithm>
#include <cmath>

const char* const SansBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const SerifBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
const char* const SansFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

namespace {

stbtt_fontinfo* Info(void* info) { return static_cast<stbtt_fontinfo*>(info); }

}  // namespace

Typeface::Typeface() = default;

Typeface::~Typeface() { delete Info(info_); }

bool Typeface::Load(const char* path)
{
    delete Info(info_);
    info_ = nullptr;
    if (!ReadWholeFile(path, file_)) {
        Log("ERROR texgen: cannot read the font %s\n", path);
        return false;
    }
    auto* info = new stbtt_fontinfo();
    int offset = stbtt_GetFontOffsetForIndex(file_.data(), 0);
    if (offset < 0 || !stbtt_InitFont(info, file_.data(), offset)) {
        Log("ERROR texgen: %s is no TrueType font\n", path);
        delete info;
        return false;
    }
    info_ = info;
    return true;
}

float Typeface::Measure(const std::string& text, float pixelHeight, float tracking, float stretch) const
{
    if (!info_ || text.empty()) return 0.0f;
    float scale = stbtt_ScaleForMappingEmToPixels(Info(info_), pixelHeight) * stretch;
    float width = 0;
    for (size_t i = 0; i < text.size(); i++) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(Info(info_), (unsigned char)text[i], &advance, &bearing);
        width += advance * scale;
        if (i + 1 < text.size()) {
            width += stbtt_GetCodepointKernAdvance(Info(info_), (unsigned char)text[i], (unsigned char)text[i + 1]) * scale;
            width += tracking;
        }
    }
    return width;
}

float Typeface::CapHeight(float pixelHeight) const
{
    if (!info_) return 0.0f;
    int x0, y0, x1, y1;
    if (!stbtt_GetCodepointBox(Info(info_), 'H', &x0, &y0, &x1, &y1)) return 0.0f;
    return y1 * stbtt_ScaleForMappingEmToPixels(Info(info_), pixelHeight);
}

void Typeface::Draw(Plane& mask, const std::string& text, float pixelHeight, float x, float baseline, float tracking,
                    float stretch) const
{
    if (!info_) return;
    float scale = stbtt_ScaleForMappingEmToPixels(Info(info_), pixelHeight);
    float scaleX = scale * stretch;
    std::vector<unsigned char> glyph;
    float penX = x;
    float penY = std::floor(baseline);
    float shiftY = baseline - penY;
    for (size_t i = 0; i < text.size(); i++) {
        int codepoint = (unsigned char)text[i];
        float originX = std::floor(penX);
        float shiftX = penX - originX;
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(Info(info_), codepoint, scaleX, scale, shiftX, shiftY, &x0, &y0, &x1, &y1);
        int w = x1 - x0, h = y1 - y0;
        if (w > 0 && h > 0) {
            glyph.assign((size_t)w * h, 0);
            stbtt_MakeCodepointBitmapSubpixel(Info(info_), glyph.data(), w, h, w, scaleX, scale, shiftX, shiftY, codepoint);
            for (int gy = 0; gy < h; gy++) {
                int ty = (int)penY + y0 + gy;
                if (ty < 0 || ty >= (int)mask.Height()) continue;
                for (int gx = 0; gx < w; gx++) {
                    int tx = (int)originX + x0 + gx;
                    if (tx < 0 || tx >= (int)mask.Width()) continue;
                    float& m = mask.At((uint32_t)tx, (uint32_t)ty);
                    m = std::max(m, glyph[(size_t)gy * w + gx] / 255.0f);
                }
            }
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(Info(info_), codepoint, &advance, &bearing);
        penX += advance * scaleX;
        if (i + 1 < text.size()) {
            penX += stbtt_GetCodepointKernAdvance(Info(info_), codepoint, (unsigned char)text[i + 1]) * scaleX;
            penX += tracking;
        }
    }
}
