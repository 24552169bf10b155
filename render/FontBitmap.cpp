#include "render/FontBitmap.h"

#include "host/FontRaster.h"
#include "host/GfxDevice.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/FontStringCache.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"

#include <cmath>
#include <cstring>
#include <memory>

// ---- Glyph sheet ----------------------------------------------------------------------------

namespace {

constexpr int LOGICAL_PIXELS_PER_INCH = 96;

// a x b / c, rounded to the nearest integer (halves away from zero).
int MulDiv(int a, int b, int c)
{
    if (c == 0) return -1;
    long long product = (long long)a * b;
    long long half = c / 2;
    return (int)(product >= 0 ? (product + half) / c : (product - half) / c);
}

std::unique_ptr<FontRaster> MakeFace(const char* faceName, int height, int flags, float textScale)
{
    int pixelHeight = MulDiv(height, (int)(LOGICAL_PIXELS_PER_INCH * textScale), 72);
    return FontRaster::Create(faceName, pixelHeight, (flags & FONT_BOLD) != 0, (flags & FONT_ITALIC) != 0);
}

// Places the characters 32..126 row by row, each in a cell of its measured width with
// `spacing` free pixels on either side. With coverage given, paints them and records their
// cells. False when the sheet is too small.
bool LayoutGlyphs(const FontRaster& face, GlyphSheet* sheet, std::vector<uint8_t>* coverage)
{
    int cx = 0, cy = 0;
    face.MeasureText("x", 1, &cx, &cy);
    sheet->spacing = (int)ceilf(0.3f * (float)cy);
    const int spacing = sheet->spacing;
    const float width = (float)sheet->width, height = (float)sheet->height;

    int x = spacing, y = 0;
    for (int c = 32; c < 127; ++c) {
        char ch = (char)c;
        face.MeasureText(&ch, 1, &cx, &cy);
        if (x + cx + spacing > sheet->width) {
            x = spacing;
            y += cy + 1;
        }
        if (y + cy > sheet->height) return false;
        if (coverage) {
            face.PaintChar((unsigned char)c, x, y, coverage->data(), sheet->width, sheet->height, sheet->width);
            float* glyph = sheet->glyphs[c - 32];
            glyph[0] = (float)(x - spacing) / width;
            glyph[1] = (float)y / height;
            glyph[2] = (float)(x + cx + spacing) / width;
            glyph[3] = (float)(y + cy) / height;
        }
        x += cx + 2 * spacing;
    }
    return true;
}

}  // namespace

bool BuildGlyphSheet(const char* faceName, int height, int flags, uint32_t maxTextureWidth, GlyphSheet* sheet)
{
    *sheet = GlyphSheet();
    std::unique_ptr<FontRaster> face = MakeFace(faceName, height, flags, 1.0f);
    if (!face) return false;

    while (!LayoutGlyphs(*face, sheet, nullptr)) {
        sheet->width *= 2;
        sheet->height *= 2;
    }

    if (maxTextureWidth > 0 && (uint32_t)sheet->width > maxTextureWidth) {
        // Too large for the device: rasterise smaller and let drawing enlarge it again.
        float needed = (float)sheet->width;
        sheet->width = sheet->height = (int)maxTextureWidth;
        sheet->textScale = (float)maxTextureWidth / needed;
        for (int attempt = 0;; ++attempt) {
            if (attempt > 0) sheet->textScale *= 0.9f;
            face = MakeFace(faceName, height, flags, sheet->textScale);
            if (!face) return false;
            if (LayoutGlyphs(*face, sheet, nullptr)) break;
            if (attempt > 200) return false;  // a device that holds no glyph at all
        }
    }

    std::vector<uint8_t> coverage((size_t)sheet->width * sheet->height, 0);
    LayoutGlyphs(*face, sheet, &coverage);
    sheet->texels.assign(coverage.size(), 0);
    for (size_t i = 0; i < coverage.size(); ++i) {
        uint16_t a = (uint16_t)(coverage[i] >> 4);
        sheet->texels[i] = a ? (uint16_t)((a << 12) | 0x0FFF) : 0;
    }
    return true;
}

// ---- CD3DFont -------------------------------------------------------------------------------

CD3DFont::CD3DFont(const char* name, int heightInPoints, int creationFlags)
    : height(heightInPoints), flags(creationFlags)
{
    CopyText(faceName, sizeof faceName, name ? name : "");
}

CD3DFont::~CD3DFont()
{
    InvalidateDeviceObjects();
}

GfxResult CD3DFont::InitDeviceObjects(GfxDevice* newDevice)
{
    device = newDevice;
    textScale = 1.0f;
    if (!device) return GFX_E_FAIL;
    SafeRelease(&texture);

    GfxCaps caps;
    device->GetDeviceCaps(&caps);
    GlyphSheet sheet;
    if (!BuildGlyphSheet(faceName, height, flags, caps.MaxTextureWidth, &sheet)) return GFX_E_FAIL;

    GfxResult result = device->CreateTexture((uint32_t)sheet.width, (uint32_t)sheet.height, 1, USAGE_DYNAMIC,
                                             FMT_A4R4G4B4, POOL_DEFAULT, &texture);
    if (GfxFailed(result)) {
        texture = nullptr;
        return result;
    }
    LockedRect locked;
    result = texture->LockRect(0, &locked, nullptr, 0);
    if (GfxFailed(result)) {
        SafeRelease(&texture);
        return result;
    }
    for (int row = 0; row < sheet.height; ++row)
        memcpy((uint8_t*)locked.pBits + (size_t)row * locked.Pitch, &sheet.texels[(size_t)row * sheet.width],
               (size_t)sheet.width * sizeof(uint16_t));
    texture->UnlockRect(0);
    TakeSheet(sheet);
    return GFX_OK;
}

void CD3DFont::TakeSheet(const GlyphSheet& sheet)
{
    textureWidth = sheet.width;
    textureHeight = sheet.height;
    textScale = sheet.textScale;
    spacing = sheet.spacing;
    memcpy(glyphs, sheet.glyphs, sizeof glyphs);
}

bool CD3DFont::LoadMetrics()
{
    GlyphSheet sheet;
    if (!BuildGlyphSheet(faceName, height, flags, 0, &sheet)) return false;
    TakeSheet(sheet);
    return true;
}

GfxResult CD3DFont::RestoreDeviceObjects()
{
    GfxDevice* graphicsDevice = Graphics ? Graphics->device : nullptr;
    if (!texture && GfxFailed(InitDeviceObjects(graphicsDevice))) {
        ShowMessageBox("Error", "ERROR: CD3DFont::InitDeviceObjects");
        Log("    ERROR: CD3DFont::InitDeviceObjects\n");
    }
    if (!device) device = graphicsDevice;
    if (!device || !Graphics) return GFX_E_FAIL;

    SafeRelease(&vertexBuffer);
    if (!Graphics->CreateVertexBuffer(FONT_BUFFER_BYTES, USAGE_DYNAMIC | USAGE_WRITEONLY, FONT_FVF, &vertexBuffer))
        return GFX_E_FAIL;

    // Text is blended into whatever is being drawn; a target that cannot blend gets opaque
    // glyph cells rather than nothing.
    GfxSurface* target = nullptr;
    if (GfxSucceeded(device->GetRenderTarget(0, &target)) && target) {
        blendingSupported = GfxSucceeded(device->CheckDeviceFormat(
            USAGE_RENDERTARGET | USAGE_QUERY_POSTPIXELSHADER_BLENDING, RTYPE_SURFACE, target->GetFormat()));
        target->Release();
    } else {
        blendingSupported = true;
    }

    if (!stringCache) stringCache = new FontStringCache();
    return GFX_OK;
}

GfxResult CD3DFont::InvalidateDeviceObjects()
{
    SafeRelease(&vertexBuffer);
    SafeRelease(&texture);
    if (stringCache) {
        stringCache->ReleaseAll();
        delete stringCache;
        stringCache = nullptr;
    }
    return GFX_OK;
}

float CD3DFont::GlyphWidth(int index) const
{
    return (float)textureWidth * (glyphs[index][2] - glyphs[index][0]) / textScale;
}

float CD3DFont::CharAdvance(unsigned char c) const
{
    if (c < 32 || c > 127) return 0.0f;
    return GlyphWidth(c - 32) - 2.0f * (float)spacing;
}

float CD3DFont::LineHeight() const
{
    return (float)textureHeight * (glyphs[0][3] - glyphs[0][1]) / textScale;
}

GfxResult CD3DFont::GetTextExtent(const char* text, TextSize* size) const
{
    if (!text || !size) return GFX_E_FAIL;
    float lineHeight = LineHeight();
    float height = lineHeight, width = 0.0f, lineWidth = 0.0f;
    for (const char* p = text; *p; ++p) {
        unsigned char c = (unsigned char)*p;
        if (c == '\n') {
            lineWidth = 0.0f;
            height += lineHeight;
        } else if (c >= 32 && c <= 127) {
            lineWidth += CharAdvance(c);
            if (lineWidth > width) width = lineWidth;
        }
    }
    size->cx = (int)width;
    size->cy = (int)height;
    return GFX_OK;
}

void CD3DFont::SetTextRenderStates()
{
    device->SetTexture(0, (GfxBaseTexture*)texture);
    RenderStates.SetRenderState(RS_ZENABLE, (flags & FONT_ZENABLE) ? ZB_TRUE : ZB_FALSE);
    if (blendingSupported) {
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
        RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    } else {
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    }
    SetStageModulate();
    RenderStates.SetTextureStageState(0, TSS_TEXCOORDINDEX, 0);
    RenderStates.SetTextureStageState(0, TSS_TEXTURETRANSFORMFLAGS, 0);
    RenderStates.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    RenderStates.SetTextureStageState(1, TSS_ALPHAOP, TOP_DISABLE);
    RenderStates.SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
    RenderStates.SetSamplerState(0, SAMP_MAGFILTER, TEXF_POINT);
    RenderStates.SetSamplerState(0, SAMP_MIPFILTER, TEXF_NONE);
}

int CD3DFont::WriteVertices(GfxVertexBuffer* buffer, float x, float y, uint32_t colour, const char* text)
{
    FontVertex* v = nullptr;
    if (GfxFailed(buffer->Lock(0, 0, (void**)&v, LOCK_DISCARD))) return 0;
    const float lineHeight = LineHeight();
    const float firstColumn = x - (float)spacing;
    x = firstColumn;
    int pending = 0;
    for (const char* p = text; *p; ++p) {
        unsigned char c = (unsigned char)*p;
        if (c == '\n') {
            y += lineHeight;
            x = firstColumn;
            continue;
        }
        if (c < 32 || c > 127) continue;
        const float* g = glyphs[c - 32];
        float w = GlyphWidth(c - 32);
        float h = (float)textureHeight * (g[3] - g[1]) / textScale;
        if (c != ' ') {
            float left = x - 0.5f, right = x + w - 0.5f, top = y - 0.5f, bottom = y + h - 0.5f;
            *v++ = {left, bottom, 0.9f, 1.0f, colour, g[0], g[3]};
            *v++ = {left, top, 0.9f, 1.0f, colour, g[0], g[1]};
            *v++ = {right, bottom, 0.9f, 1.0f, colour, g[2], g[3]};
            *v++ = {right, top, 0.9f, 1.0f, colour, g[2], g[1]};
            *v++ = {right, bottom, 0.9f, 1.0f, colour, g[2], g[3]};
            *v++ = {left, top, 0.9f, 1.0f, colour, g[0], g[1]};
            pending += 6;
            if (pending > FONT_FLUSH_VERTICES) {
                buffer->Unlock();
                device->DrawPrimitive(PT_TRIANGLELIST, 0, (uint32_t)(pending / 3));
                pending = 0;
                if (GfxFailed(buffer->Lock(0, 0, (void**)&v, LOCK_DISCARD))) return 0;
            }
        }
        x += w - 2.0f * (float)spacing;
    }
    buffer->Unlock();
    return pending / 3;
}

GfxResult CD3DFont::DrawText(float x, float y, uint32_t colour, const char* text, uint32_t drawFlags)
{
    if (!device || !texture || !vertexBuffer || !text || !text[0] || strcmp(text, " ") == 0) return GFX_OK;

    // The cache, for strings short enough to have an entry.
    FontStringCache::Entry* entry = nullptr;
    bool hit = false;
    int length = (int)strlen(text);
    int frame = FrameTimer.GetFrameCount();
    if (stringCache && length < FontStringCache::TEXT_SIZE) {
        entry = stringCache->Find(text, colour, (int)x, (int)y, length, drawFlags);
        hit = entry != nullptr;
        if (!entry) {
            entry = stringCache->Allocate();
            if (!entry) entry = stringCache->Recycle(frame);
            if (entry) {
                memcpy(entry->text, text, (size_t)length + 1);
                entry->colour = colour;
                entry->x = (int)x;
                entry->y = (int)y;
                entry->length = length;
                entry->flags = drawFlags;
                entry->triangleCount = 0;
                for (const char* p = text; *p; ++p)
                    if ((unsigned char)*p >= 33 && (unsigned char)*p <= 127) entry->triangleCount += 2;
                ++stringCache->count;
            }
        }
        if (entry) entry->lastFrame = frame;
    }
    GfxVertexBuffer* buffer = entry ? entry->vertexBuffer : vertexBuffer;

    SetTextRenderStates();
    RenderStates.SetFVF(FONT_FVF);
    device->SetProgram(nullptr);
    device->SetStreamSource(0, buffer, 0, sizeof(FontVertex));
    if (drawFlags & TEXT_FILTERED) {
        RenderStates.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
        RenderStates.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    }

    if (hit) {
        if (entry->triangleCount > 0) device->DrawPrimitive(PT_TRIANGLELIST, 0, (uint32_t)entry->triangleCount);
        return GFX_OK;
    }

    if (drawFlags & (TEXT_CENTERED_X | TEXT_CENTERED_Y)) {
        Viewport viewport;
        device->GetViewport(&viewport);
        if (drawFlags & TEXT_CENTERED_X) {
            float w = 0.0f;
            for (const char* p = text; *p && *p != '\n'; ++p) w += CharAdvance((unsigned char)*p);
            x = ((float)viewport.Width - w) * 0.5f;
        }
        if (drawFlags & TEXT_CENTERED_Y) y = ((float)viewport.Height - LineHeight()) * 0.5f;
    }

    ++buildCount;
    int triangles = WriteVertices(buffer, x, y, colour, text);
    if (triangles > 0) device->DrawPrimitive(PT_TRIANGLELIST, 0, (uint32_t)triangles);
    return GFX_OK;
}
