// Images into textures, surfaces into images.
#include "host/GfxImage.h"

#include "host/GfxInternal.h"

#include <algorithm>
#include <cstring>

GfxResult CreateTextureFromImage(GfxDevice* device, const Image& image, uint32_t levels, uint32_t usage,
                                 GfxPool pool, GfxBaseTexture** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (!device || image.IsEmpty() || !IsKnownFormat(image.format)) return ERR_INVALIDCALL;
    GfxFormat format = (GfxFormat)image.format;
    if (levels == 0 && image.mipLevels > 1) levels = image.mipLevels;
    if (levels == 0 && (usage & USAGE_AUTOGENMIPMAP) == 0) levels = 0;  // the whole chain
    GfxBaseTexture* texture = nullptr;
    GfxResult result;
    if (image.IsCube()) {
        GfxCubeTexture* cube = nullptr;
        result = device->CreateCubeTexture(image.width, levels, usage, format, pool, &cube);
        texture = cube;
    } else {
        GfxTexture* flat = nullptr;
        result = device->CreateTexture(image.width, image.height, levels, usage, format, pool, &flat);
        texture = flat;
    }
    if (GfxFailed(result)) return result;
    result = UploadImage(texture, image);
    if (GfxFailed(result)) {
        texture->Release();
        return result;
    }
    if (texture->GetLevelCount() > image.mipLevels) texture->GenerateMipSubLevels();
    *out = texture;
    return GFX_OK;
}

GfxResult UploadImage(GfxBaseTexture* texture, const Image& image)
{
    if (!texture || image.IsEmpty() || (GfxFormat)image.format != texture->GetFormat() ||
        image.width != texture->GetWidth() || image.height != texture->GetHeight())
        return ERR_INVALIDCALL;
    uint32_t faces = texture->GetType() == RTYPE_CUBETEXTURE ? 6 : 1;
    if (image.faces != faces) return ERR_INVALIDCALL;
    uint32_t levels = std::min(texture->GetLevelCount(), image.mipLevels);
    for (uint32_t face = 0; face < faces; ++face)
        for (uint32_t level = 0; level < levels; ++level) {
            GfxResult result = texture->UpdateLevel(face, level, image.Level(face, level), image.LevelPitch(level));
            if (GfxFailed(result)) return result;
        }
    return GFX_OK;
}

bool ReadSurfaceImage(GfxDevice* device, GfxSurface* surface, Image& out)
{
    out.Clear();
    if (!device || !surface) return false;
    PixelFormat format = (PixelFormat)surface->GetFormat();
    if (!IsKnownFormat(format) || !out.Create(format, surface->GetWidth(), surface->GetHeight())) return false;
    size_t pitch = out.LevelPitch(0);
    uint32_t rows = FormatRowCount(surface->GetFormat(), surface->GetHeight());
    GfxSurface* source = surface;
    bool readTarget = surface->GetKind() == GfxSurface::BACK_BUFFER ||
                      (surface->GetKind() == GfxSurface::TEXTURE_LEVEL && surface->GetContainer()->IsRenderTarget());
    if (readTarget) {
        if (GfxFailed(device->CreateOffscreenPlainSurface(surface->GetWidth(), surface->GetHeight(),
                                                          surface->GetFormat(), POOL_SYSTEMMEM, &source)))
            return false;
        if (GfxFailed(device->GetRenderTargetData(surface, source))) {
            source->Release();
            out.Clear();
            return false;
        }
    }
    LockedRect locked;
    bool ok = GfxSucceeded(source->LockRect(&locked, nullptr, LOCK_READONLY));
    if (ok) {
        for (uint32_t r = 0; r < rows; ++r)
            memcpy(out.Level(0, 0) + r * pitch, (const uint8_t*)locked.pBits + (size_t)r * locked.Pitch, pitch);
        source->UnlockRect();
    }
    if (source != surface) source->Release();
    if (!ok) out.Clear();
    return ok;
}
