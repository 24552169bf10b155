#pragma once
// Level 0 of a record's 2D texture, locked for the life of the object: the terrain's dynamic
// textures (the heightmap mirror, the alpha map) are written and read a byte at a time through
// it. A record without a texture (no device, or the texture could not be made) locks nothing.
#include "host/GfxTexture.h"
#include "render/TextureManager.h"

#include <cstdint>

class TextureLock {
public:
    explicit TextureLock(TextureRecord* record, uint32_t flags = 0)
    {
        if (!record || !record->texture || record->texture->GetType() != RTYPE_TEXTURE) return;
        GfxTexture* texture = static_cast<GfxTexture*>(record->texture);
        LockedRect locked;
        if (GfxFailed(texture->LockRect(0, &locked, nullptr, flags))) return;
        texture_ = texture;
        bits = static_cast<uint8_t*>(locked.pBits);
        pitch = locked.Pitch;
        width = (int)texture->GetWidth(0);
        height = (int)texture->GetHeight(0);
    }
    ~TextureLock()
    {
        if (texture_) texture_->UnlockRect(0);
    }
    TextureLock(const TextureLock&) = delete;
    TextureLock& operator=(const TextureLock&) = delete;

    bool IsLocked() const { return texture_ != nullptr; }
    uint8_t* Row(int y) const { return bits + (size_t)y * (size_t)pitch; }

    uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;

private:
    GfxTexture* texture_ = nullptr;
};
