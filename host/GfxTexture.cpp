// Textures and surfaces: OpenGL storage, locking through a copy in the game's byte layout,
// uploads, and read-back.
#include "host/GfxTexture.h"

#include "host/DxtCodec.h"
#include "host/GfxDevice.h"
#include "host/GfxInternal.h"
#include "host/Log.h"

#include <cstring>

namespace {

GLenum FaceTarget(GfxResourceType type, uint32_t face)
{
    return type == RTYPE_CUBETEXTURE ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
}

uint32_t LevelSide(uint32_t side, uint32_t level)
{
    side >>= level;
    return side ? side : 1;
}

PixelFormat DxtPixelFormat(GfxFormat format)
{
    if (format == FMT_DXT1) return PixelFormat::DXT1;
    if (format == FMT_DXT2 || format == FMT_DXT3) return PixelFormat::DXT3;
    return PixelFormat::DXT5;
}

}  // namespace

// ---- GfxBaseTexture ---------------------------------------------------------------------------

GfxBaseTexture::GfxBaseTexture(GfxDevice* device, GfxResourceType type, uint32_t width, uint32_t height,
                               uint32_t levels, uint32_t usage, GfxFormat format, GfxPool pool)
    : GfxResource(device, pool), type_(type), width_(width), height_(height), levels_(levels), usage_(usage),
      format_(format)
{
    subs_.resize((size_t)FaceCount() * levels_);
}

GfxBaseTexture::~GfxBaseTexture()
{
    ReleaseGL();
    for (Sub& sub : subs_) delete sub.surface;
}

void GfxBaseTexture::ReleaseGL()
{
    for (Sub& sub : subs_)
        if (sub.surface && device_) device_->ForgetSurface(sub.surface);
    if (texture_ && device_) {
        GLuint name = texture_;
        device_->ForgetTexture(this);
        glDeleteTextures(1, &name);
        device_->AddTextureMemory(-(int64_t)device_->TextureBytes(this));
    }
    texture_ = 0;
}

uint32_t GfxBaseTexture::Target() const { return type_ == RTYPE_CUBETEXTURE ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D; }

uint32_t GfxBaseTexture::GetWidth(uint32_t level) const { return LevelSide(width_, level); }
uint32_t GfxBaseTexture::GetHeight(uint32_t level) const { return LevelSide(height_, level); }

bool GfxBaseTexture::KeepsBytes() const
{
    // Dynamic textures are rewritten often: keeping their bytes spares a read-back per lock.
    // Block-compressed textures stored decoded cannot be read back as blocks.
    return (usage_ & USAGE_DYNAMIC) != 0 || (IsDxtFormat(format_) && !s3tc_);
}

GfxResult GfxBaseTexture::Allocate()
{
    s3tc_ = device_->HasS3TC();
    GlFormat f;
    if (!GetGlFormat(format_, s3tc_, f) || f.depth) return ERR_INVALIDCALL;
    if (IsRenderTarget() && !f.renderable) return ERR_INVALIDCALL;
    TakeGlError();
    GLuint name = 0;
    glGenTextures(1, &name);
    texture_ = name;
    device_->BindScratchTexture(Target(), texture_);
    for (uint32_t face = 0; face < FaceCount(); ++face) {
        for (uint32_t level = 0; level < levels_; ++level) {
            uint32_t w = GetWidth(level), h = GetHeight(level);
            if (f.compressed) {
                GLsizei size = (GLsizei)(FormatRowPitch(format_, w) * FormatRowCount(format_, h));
                glCompressedTexImage2D(FaceTarget(type_, face), level, f.internalFormat, w, h, 0, size, nullptr);
            } else {
                // A texture with alpha is stored in the back buffer's layout, so that copies between
                // targets of it are copies of memory (see GfxSurface::Allocate); the same channels
                // either way. Every such texture, not only the targets: the driver's code for a
                // draw depends on how each texture it samples is stored, and the warm-up's
                // stand-ins must be stored as the textures they stand in for.
                const GLint internal = format_ == FMT_A8R8G8B8 ? GL_RGBA : (GLint)f.internalFormat;
                glTexImage2D(FaceTarget(type_, face), level, internal, w, h, 0, f.format, f.type, nullptr);
            }
        }
    }
    glTexParameteri(Target(), GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(Target(), GL_TEXTURE_MAX_LEVEL, levels_ - 1);
    glTexParameteriv(Target(), GL_TEXTURE_SWIZZLE_RGBA, f.swizzle);
    GfxResult result = TakeGlError();
    if (GfxFailed(result)) {
        glDeleteTextures(1, &name);
        texture_ = 0;
        return result;
    }
    device_->AddTextureMemory((int64_t)device_->TextureBytes(this));
    return GFX_OK;
}

void GfxBaseTexture::GenerateMipSubLevels()
{
    if (!texture_ || levels_ < 2) return;
    device_->BindScratchTexture(Target(), texture_);
    glGenerateMipmap(Target());
    // Levels kept in memory no longer match what the GPU holds.
    for (uint32_t face = 0; face < FaceCount(); ++face)
        for (uint32_t level = 1; level < levels_; ++level) {
            Sub& sub = subs_[face * levels_ + level];
            if (!sub.locked) sub.bytes.clear();
        }
}

void GfxBaseTexture::Upload(uint32_t face, uint32_t level, const uint8_t* bytes, size_t pitch)
{
    GlFormat f;
    if (!texture_ || !GetGlFormat(format_, s3tc_, f)) return;
    uint32_t w = GetWidth(level), h = GetHeight(level);
    size_t tightPitch = FormatRowPitch(format_, w);
    uint32_t rows = FormatRowCount(format_, h);
    device_->BindScratchTexture(Target(), texture_);
    GLenum target = FaceTarget(type_, face);
    if (IsDxtFormat(format_) && !f.compressed) {
        std::vector<uint8_t> tight(tightPitch * rows), bgra((size_t)w * h * 4);
        for (uint32_t r = 0; r < rows; ++r) memcpy(&tight[r * tightPitch], bytes + r * pitch, tightPitch);
        if (!DecodeDXT(DxtPixelFormat(format_), tight.data(), tight.size(), w, h, bgra.data())) return;
        glTexSubImage2D(target, level, 0, 0, w, h, f.format, f.type, bgra.data());
    } else if (f.compressed) {
        if (pitch == tightPitch) {
            glCompressedTexSubImage2D(target, level, 0, 0, w, h, f.internalFormat, (GLsizei)(tightPitch * rows), bytes);
        } else {
            std::vector<uint8_t> tight(tightPitch * rows);
            for (uint32_t r = 0; r < rows; ++r) memcpy(&tight[r * tightPitch], bytes + r * pitch, tightPitch);
            glCompressedTexSubImage2D(target, level, 0, 0, w, h, f.internalFormat, (GLsizei)tight.size(),
                                      tight.data());
        }
    } else {
        if (pitch != tightPitch) glPixelStorei(GL_UNPACK_ROW_LENGTH, (GLint)(pitch / f.bytesPerBlock));
        glTexSubImage2D(target, level, 0, 0, w, h, f.format, f.type, bytes);
        if (pitch != tightPitch) glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    if (level == 0 && (usage_ & USAGE_AUTOGENMIPMAP) && levels_ > 1) glGenerateMipmap(Target());
}

void GfxBaseTexture::ReadBack(uint32_t face, uint32_t level, std::vector<uint8_t>& out)
{
    GlFormat f;
    uint32_t w = GetWidth(level), h = GetHeight(level);
    out.assign(FormatRowPitch(format_, w) * FormatRowCount(format_, h), 0);
    if (!texture_ || !GetGlFormat(format_, s3tc_, f)) return;
    if (IsDxtFormat(format_) && !f.compressed) return;  // not kept as blocks on the GPU
    device_->BindScratchTexture(Target(), texture_);
    if (f.compressed)
        glGetCompressedTexImage(FaceTarget(type_, face), level, out.data());
    else
        glGetTexImage(FaceTarget(type_, face), level, f.format, f.type, out.data());
}

GfxResult GfxBaseTexture::LockSub(uint32_t face, uint32_t level, LockedRect* locked, const GfxRect* rect,
                                  uint32_t flags)
{
    if (!locked || face >= FaceCount() || level >= levels_ || !texture_) return ERR_INVALIDCALL;
    if (IsRenderTarget()) return ERR_INVALIDCALL;  // read render targets back with GetRenderTargetData
    Sub& sub = subs_[face * levels_ + level];
    if (sub.locked) return ERR_INVALIDCALL;
    uint32_t w = GetWidth(level), h = GetHeight(level);
    size_t pitch = FormatRowPitch(format_, w);
    size_t size = pitch * FormatRowCount(format_, h);
    size_t offset = 0;
    if (rect) {
        uint32_t edge = FormatBlockEdge(format_);
        if (rect->left < 0 || rect->top < 0 || rect->right > (int32_t)w || rect->bottom > (int32_t)h ||
            rect->left >= rect->right || rect->top >= rect->bottom || rect->left % edge || rect->top % edge)
            return ERR_INVALIDCALL;
        offset = (size_t)(rect->top / edge) * pitch + (size_t)(rect->left / edge) * FormatBytesPerBlock(format_);
    }
    if (sub.bytes.size() != size) {
        if (flags & LOCK_DISCARD)
            sub.bytes.assign(size, 0);
        else
            ReadBack(face, level, sub.bytes);
    }
    sub.locked = true;
    sub.readOnly = (flags & LOCK_READONLY) != 0;
    locked->pBits = sub.bytes.data() + offset;
    locked->Pitch = (int32_t)pitch;
    return GFX_OK;
}

GfxResult GfxBaseTexture::UnlockSub(uint32_t face, uint32_t level)
{
    if (face >= FaceCount() || level >= levels_) return ERR_INVALIDCALL;
    Sub& sub = subs_[face * levels_ + level];
    if (!sub.locked) return ERR_INVALIDCALL;
    sub.locked = false;
    if (!sub.readOnly) Upload(face, level, sub.bytes.data(), FormatRowPitch(format_, GetWidth(level)));
    if (!KeepsBytes()) std::vector<uint8_t>().swap(sub.bytes);
    return GFX_OK;
}

GfxResult GfxBaseTexture::UpdateLevel(uint32_t face, uint32_t level, const void* bytes, size_t pitch)
{
    if (!bytes || face >= FaceCount() || level >= levels_ || !texture_ || IsRenderTarget()) return ERR_INVALIDCALL;
    Sub& sub = subs_[face * levels_ + level];
    if (sub.locked) return ERR_INVALIDCALL;
    size_t tightPitch = FormatRowPitch(format_, GetWidth(level));
    uint32_t rows = FormatRowCount(format_, GetHeight(level));
    if (pitch < tightPitch) return ERR_INVALIDCALL;
    const uint8_t* src = (const uint8_t*)bytes;
    if (KeepsBytes()) {
        sub.bytes.resize(tightPitch * rows);
        for (uint32_t r = 0; r < rows; ++r) memcpy(&sub.bytes[r * tightPitch], src + r * pitch, tightPitch);
    }
    Upload(face, level, src, pitch);
    return TakeGlError();
}

GfxResult GfxBaseTexture::GetSub(uint32_t face, uint32_t level, GfxSurface** surface)
{
    if (!surface) return ERR_INVALIDCALL;
    *surface = nullptr;
    if (face >= FaceCount() || level >= levels_ || !device_) return ERR_INVALIDCALL;
    Sub& sub = subs_[face * levels_ + level];
    if (!sub.surface) {
        sub.surface = new GfxSurface(device_, GfxSurface::TEXTURE_LEVEL, GetWidth(level), GetHeight(level), format_,
                                     pool_, 0, false);
        sub.surface->container_ = this;
        sub.surface->face_ = face;
        sub.surface->level_ = level;
    }
    AddRef();
    *surface = sub.surface;
    return GFX_OK;
}

GfxResult GfxBaseTexture::DescribeLevel(uint32_t level, SurfaceDesc* desc) const
{
    if (!desc || level >= levels_) return ERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = RTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->MultiSampleType = 0;
    desc->MultiSampleQuality = 0;
    desc->Width = GetWidth(level);
    desc->Height = GetHeight(level);
    return GFX_OK;
}

// ---- GfxSurface -------------------------------------------------------------------------------

GfxSurface::GfxSurface(GfxDevice* device, Kind kind, uint32_t width, uint32_t height, GfxFormat format,
                       GfxPool pool, uint32_t samples, bool counted)
    : GfxResource(device, pool, counted), kind_(kind), width_(width), height_(height), format_(format),
      samples_(samples)
{
}

GfxSurface::~GfxSurface() { ReleaseGL(); }

void GfxSurface::ReleaseGL()
{
    if (device_ && kind_ != TEXTURE_LEVEL) device_->ForgetSurface(this);
    if (renderbuffer_ && device_) {
        GLuint name = renderbuffer_;
        glDeleteRenderbuffers(1, &name);
    }
    renderbuffer_ = 0;
    if (backTexture_ && device_) {
        GLuint name = backTexture_;
        glDeleteTextures(1, &name);
    }
    backTexture_ = 0;
}

uint32_t GfxSurface::AddRef() { return container_ ? container_->AddRef() : GfxResource::AddRef(); }

uint32_t GfxSurface::Release() { return container_ ? container_->Release() : GfxResource::Release(); }

GfxResult GfxSurface::Allocate()
{
    if (kind_ == SYSTEM_MEMORY) {
        size_t size = FormatRowPitch(format_, width_) * FormatRowCount(format_, height_);
        if (size == 0) return ERR_INVALIDCALL;
        bytes_.assign(size, 0);
        return GFX_OK;
    }
    GlFormat f;
    if (!GetGlFormat(format_, true, f) || !f.renderable) return ERR_INVALIDCALL;
    if ((kind_ == DEPTH_STENCIL) != f.depth) return ERR_INVALIDCALL;
    TakeGlError();
    GLuint name = 0;
    if (kind_ == BACK_BUFFER && samples_ <= 1) {
        // A texture stored blue, green, red, alpha (the layout the kept pictures of the screens
        // and the window's own buffer have) rather than a renderbuffer, whose layout the driver
        // picks: the software renderer copies between targets of one layout as memory, where a
        // copy between layouts (the present, every frame) is a draw of every pixel. Its alpha is
        // stored; a back buffer without alpha reads as 1 there all the same (see
        // BackBufferAlphaIsOne).
        glGenTextures(1, &name);
        device_->BindScratchTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width_, height_, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        backTexture_ = name;
        GfxResult result = TakeGlError();
        if (GfxFailed(result)) {
            glDeleteTextures(1, &name);
            backTexture_ = 0;
        }
        return result;
    }
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    if (samples_ > 1)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples_, f.internalFormat, width_, height_);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, f.internalFormat, width_, height_);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    renderbuffer_ = name;
    GfxResult result = TakeGlError();
    if (GfxFailed(result)) {
        glDeleteRenderbuffers(1, &name);
        renderbuffer_ = 0;
    }
    return result;
}

GfxResult GfxSurface::GetDesc(SurfaceDesc* desc) const
{
    if (!desc) return ERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = RTYPE_SURFACE;
    uint32_t usage = 0;
    if (container_)
        usage = container_->GetUsage();
    else if (kind_ == DEPTH_STENCIL)
        usage = USAGE_DEPTHSTENCIL;
    else if (kind_ == BACK_BUFFER)
        usage = USAGE_RENDERTARGET;
    desc->Usage = usage;
    desc->Pool = pool_;
    desc->MultiSampleType = samples_ > 1 ? samples_ : 0;
    desc->MultiSampleQuality = 0;
    desc->Width = width_;
    desc->Height = height_;
    return GFX_OK;
}

GfxResult GfxSurface::LockRect(LockedRect* locked, const GfxRect* rect, uint32_t flags)
{
    if (kind_ == TEXTURE_LEVEL) return container_->LockSub(face_, level_, locked, rect, flags);
    if (kind_ != SYSTEM_MEMORY || !locked || locked_) return ERR_INVALIDCALL;
    size_t pitch = FormatRowPitch(format_, width_);
    size_t offset = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > (int32_t)width_ || rect->bottom > (int32_t)height_ ||
            rect->left >= rect->right || rect->top >= rect->bottom)
            return ERR_INVALIDCALL;
        uint32_t edge = FormatBlockEdge(format_);
        offset = (size_t)(rect->top / edge) * pitch + (size_t)(rect->left / edge) * FormatBytesPerBlock(format_);
    }
    locked_ = true;
    locked->pBits = bytes_.data() + offset;
    locked->Pitch = (int32_t)pitch;
    return GFX_OK;
}

GfxResult GfxSurface::UnlockRect()
{
    if (kind_ == TEXTURE_LEVEL) return container_->UnlockSub(face_, level_);
    if (kind_ != SYSTEM_MEMORY || !locked_) return ERR_INVALIDCALL;
    locked_ = false;
    return GFX_OK;
}
