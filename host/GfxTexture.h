#pragma once
// Textures and surfaces of the graphics device.
//
// - GfxTexture: a 2D texture with a chain of levels; GfxCubeTexture: six square faces.
// - Rows run top to bottom, as in the game's images: texture coordinate v = 0 is row 0, and a
//   render target's row 0 is the top of what was drawn into it.
// - Every texture that is not a render target can be locked, any level, for reading and
//   writing; the bytes are in the game's layout of its format (B, G, R, A for A8R8G8B8,
//   blocks for DXT). Dynamic textures keep their bytes in memory, so locking them is cheap.
// - GfxSurface: one level of a texture (or one face's level), a depth-stencil surface, the
//   back buffer, or a plain surface in system memory (to read render targets back into).
#include "host/GfxResource.h"

#include <cstdint>
#include <memory>
#include <vector>

class GfxSurface;

class GfxBaseTexture : public GfxResource {
public:
    GfxResourceType GetType() const { return type_; }
    uint32_t GetLevelCount() const { return levels_; }
    GfxFormat GetFormat() const { return format_; }
    uint32_t GetUsage() const { return usage_; }
    uint32_t GetWidth(uint32_t level = 0) const;
    uint32_t GetHeight(uint32_t level = 0) const;
    // Rebuilds levels 1.. from level 0 on the GPU.
    void GenerateMipSubLevels();

    // Replaces a whole level with bytes in the format's layout, `pitch` bytes per row (of
    // blocks); the upload path of the image loaders. Not for render targets.
    GfxResult UpdateLevel(uint32_t face, uint32_t level, const void* bytes, size_t pitch);

    // The OpenGL texture name (for the device).
    uint32_t GetGLName() const { return texture_; }
    bool IsRenderTarget() const { return (usage_ & USAGE_RENDERTARGET) != 0; }

protected:
    GfxBaseTexture(GfxDevice* device, GfxResourceType type, uint32_t width, uint32_t height, uint32_t levels,
                   uint32_t usage, GfxFormat format, GfxPool pool);
    ~GfxBaseTexture() override;
    void ReleaseGL() override;
    GfxResult Allocate();
    GfxResult LockSub(uint32_t face, uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags);
    GfxResult UnlockSub(uint32_t face, uint32_t level);
    GfxResult GetSub(uint32_t face, uint32_t level, GfxSurface** surface);
    GfxResult DescribeLevel(uint32_t level, SurfaceDesc* desc) const;
    uint32_t FaceCount() const { return type_ == RTYPE_CUBETEXTURE ? 6 : 1; }
    uint32_t Target() const;

    struct Sub {
        std::vector<uint8_t> bytes;  // the level in the game's layout, while locked or kept
        bool locked = false;
        bool readOnly = false;
        GfxSurface* surface = nullptr;
    };
    void Upload(uint32_t face, uint32_t level, const uint8_t* bytes, size_t pitch);
    void ReadBack(uint32_t face, uint32_t level, std::vector<uint8_t>& out);
    bool KeepsBytes() const;

    GfxResourceType type_;
    uint32_t width_, height_, levels_, usage_;
    GfxFormat format_;
    uint32_t texture_ = 0;
    bool s3tc_ = true;
    std::vector<Sub> subs_;  // face * levels + level

    friend class GfxDevice;
    friend class GfxSurface;
};

class GfxTexture : public GfxBaseTexture {
public:
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const { return DescribeLevel(level, desc); }
    GfxResult GetSurfaceLevel(uint32_t level, GfxSurface** surface) { return GetSub(0, level, surface); }
    // rect null: the whole level. LOCK_READONLY skips the upload on unlock.
    GfxResult LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags)
    {
        return LockSub(0, level, locked, rect, flags);
    }
    GfxResult UnlockRect(uint32_t level) { return UnlockSub(0, level); }

private:
    GfxTexture(GfxDevice* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, GfxFormat format,
               GfxPool pool)
        : GfxBaseTexture(device, RTYPE_TEXTURE, width, height, levels, usage, format, pool)
    {
    }
    friend class GfxDevice;
};

class GfxCubeTexture : public GfxBaseTexture {
public:
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const { return DescribeLevel(level, desc); }
    GfxResult GetCubeMapSurface(uint32_t face, uint32_t level, GfxSurface** surface)
    {
        return GetSub(face, level, surface);
    }
    GfxResult LockRect(uint32_t face, uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags)
    {
        return LockSub(face, level, locked, rect, flags);
    }
    GfxResult UnlockRect(uint32_t face, uint32_t level) { return UnlockSub(face, level); }

private:
    GfxCubeTexture(GfxDevice* device, uint32_t edge, uint32_t levels, uint32_t usage, GfxFormat format, GfxPool pool)
        : GfxBaseTexture(device, RTYPE_CUBETEXTURE, edge, edge, levels, usage, format, pool)
    {
    }
    friend class GfxDevice;
};

class GfxSurface : public GfxResource {
public:
    enum Kind { TEXTURE_LEVEL, DEPTH_STENCIL, BACK_BUFFER, SYSTEM_MEMORY };

    // A texture's surfaces share their texture's count.
    uint32_t AddRef() override;
    uint32_t Release() override;

    GfxResult GetDesc(SurfaceDesc* desc) const;
    // Texture levels (as their texture allows) and system-memory surfaces.
    GfxResult LockRect(LockedRect* locked, const GfxRect* rect, uint32_t flags);
    GfxResult UnlockRect();

    Kind GetKind() const { return kind_; }
    // The texture a level surface belongs to (no reference added), else null.
    GfxBaseTexture* GetContainer() const { return container_; }
    uint32_t GetFace() const { return face_; }
    uint32_t GetLevel() const { return level_; }
    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    GfxFormat GetFormat() const { return format_; }
    uint32_t GetSamples() const { return samples_; }
    // The OpenGL renderbuffer of depth-stencil surfaces and of a multisampled back buffer.
    uint32_t GetRenderbuffer() const { return renderbuffer_; }
    // The OpenGL texture of a back buffer of one sample a pixel, else 0.
    uint32_t GetBackTexture() const { return backTexture_; }

private:
    GfxSurface(GfxDevice* device, Kind kind, uint32_t width, uint32_t height, GfxFormat format, GfxPool pool,
               uint32_t samples, bool counted);
    ~GfxSurface() override;
    void ReleaseGL() override;
    GfxResult Allocate();

    Kind kind_;
    uint32_t width_, height_;
    GfxFormat format_;
    uint32_t samples_;
    uint32_t renderbuffer_ = 0;
    uint32_t backTexture_ = 0;
    GfxBaseTexture* container_ = nullptr;
    uint32_t face_ = 0, level_ = 0;
    std::vector<uint8_t> bytes_;  // system-memory surfaces
    bool locked_ = false;

    friend class GfxDevice;
    friend class GfxBaseTexture;
};
