// Textures, surfaces and render targets: making them, binding them as targets, the
// framebuffers behind each target and depth-stencil pair, read-back; and the game's programs.
#include "host/GfxDevice.h"
#include "host/GfxInternal.h"
#include "host/GfxShaderText.h"
#include "host/Log.h"

#include <algorithm>

// ---- Textures and targets ---------------------------------------------------------------------

GfxResult GfxDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                   GfxFormat format, GfxPool pool, GfxTexture** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight)
        return ERR_INVALIDCALL;
    uint32_t full = FullChainLevels(width, height);
    if (levels == 0) levels = full;
    if (levels > full) return ERR_INVALIDCALL;
    if ((usage & USAGE_RENDERTARGET) && pool != POOL_DEFAULT) return ERR_INVALIDCALL;
    if (usage & USAGE_DEPTHSTENCIL) return ERR_INVALIDCALL;
    GfxTexture* texture = new GfxTexture(this, width, height, levels, usage, format, pool);
    return Finish(texture, texture->Allocate(), out);
}

GfxResult GfxDevice::CreateCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, GfxFormat format,
                                       GfxPool pool, GfxCubeTexture** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (edge == 0 || edge > caps_.MaxTextureWidth) return ERR_INVALIDCALL;
    uint32_t full = FullChainLevels(edge, edge);
    if (levels == 0) levels = full;
    if (levels > full) return ERR_INVALIDCALL;
    if ((usage & USAGE_RENDERTARGET) && pool != POOL_DEFAULT) return ERR_INVALIDCALL;
    if (usage & USAGE_DEPTHSTENCIL) return ERR_INVALIDCALL;
    GfxCubeTexture* texture = new GfxCubeTexture(this, edge, levels, usage, format, pool);
    return Finish(texture, texture->Allocate(), out);
}

GfxResult GfxDevice::CreateDepthStencilSurface(uint32_t width, uint32_t height, GfxFormat format,
                                               uint32_t multiSample, uint32_t, bool, GfxSurface** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight ||
        !IsDepthFormat(format))
        return ERR_INVALIDCALL;
    if (multiSample > 1 && multiSample > caps_.MaxMultiSampleType) return ERR_INVALIDCALL;
    GfxSurface* surface = new GfxSurface(this, GfxSurface::DEPTH_STENCIL, width, height, format, POOL_DEFAULT,
                                         multiSample > 1 ? multiSample : 0, true);
    return Finish(surface, surface->Allocate(), out);
}

GfxResult GfxDevice::CreateOffscreenPlainSurface(uint32_t width, uint32_t height, GfxFormat format, GfxPool pool,
                                                 GfxSurface** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || width > 16384 || height > 16384 || FormatBytesPerBlock(format) == 0 ||
        IsDepthFormat(format))
        return ERR_INVALIDCALL;
    GfxSurface* surface = new GfxSurface(this, GfxSurface::SYSTEM_MEMORY, width, height, format, pool, 0, true);
    return Finish(surface, surface->Allocate(), out);
}

GfxResult GfxDevice::SetRenderTarget(uint32_t index, GfxSurface* surface)
{
    if (index != 0) return surface ? ERR_INVALIDCALL : GFX_OK;
    if (!surface) return ERR_INVALIDCALL;
    bool target = surface->GetKind() == GfxSurface::BACK_BUFFER ||
                  (surface->GetKind() == GfxSurface::TEXTURE_LEVEL && surface->GetContainer()->IsRenderTarget());
    if (!target || surface->GetDevice() != this) return ERR_INVALIDCALL;
    surface->AddRef();
    if (renderTarget_) renderTarget_->Release();
    renderTarget_ = surface;
    // A new target is drawn whole until told otherwise.
    viewport_ = Viewport();
    viewport_.Width = surface->GetWidth();
    viewport_.Height = surface->GetHeight();
    scissor_ = GfxRect{0, 0, (int32_t)surface->GetWidth(), (int32_t)surface->GetHeight()};
    // Blending may read the destination's alpha, which some targets read as 1.
    dirty_ |= DIRTY_TARGET | DIRTY_VIEWPORT | DIRTY_RASTER | DIRTY_BLEND;
    ++uniformSerial_;
    return GFX_OK;
}

GfxResult GfxDevice::GetRenderTarget(uint32_t index, GfxSurface** surface) const
{
    if (!surface) return ERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0) return ERR_NOTFOUND;
    *surface = renderTarget_;
    if (renderTarget_) renderTarget_->AddRef();
    return renderTarget_ ? GFX_OK : ERR_NOTFOUND;
}

GfxResult GfxDevice::SetDepthStencilSurface(GfxSurface* surface)
{
    if (surface && (surface->GetKind() != GfxSurface::DEPTH_STENCIL || surface->GetDevice() != this))
        return ERR_INVALIDCALL;
    if (surface) surface->AddRef();
    if (depthStencil_) depthStencil_->Release();
    depthStencil_ = surface;
    dirty_ |= DIRTY_TARGET | DIRTY_DEPTH | DIRTY_STENCIL;
    return GFX_OK;
}

GfxResult GfxDevice::GetDepthStencilSurface(GfxSurface** surface) const
{
    if (!surface) return ERR_INVALIDCALL;
    *surface = depthStencil_;
    if (!depthStencil_) return ERR_NOTFOUND;
    depthStencil_->AddRef();
    return GFX_OK;
}

GfxResult GfxDevice::GetBackBuffer(uint32_t swapChain, uint32_t index, GfxSurface** surface) const
{
    if (!surface) return ERR_INVALIDCALL;
    *surface = nullptr;
    if (swapChain != 0 || index != 0 || !backBuffer_) return ERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return GFX_OK;
}

uint32_t GfxDevice::FramebufferFor(GfxSurface* colour, GfxSurface* depth)
{
    for (const Framebuffer& fb : framebuffers_)
        if (fb.colour == colour && fb.depth == depth) return fb.name;
    GLuint name = 0;
    glGenFramebuffers(1, &name);
    glBindFramebuffer(GL_FRAMEBUFFER, name);
    glFramebuffer_ = ~0u;
    if (colour->GetKind() == GfxSurface::BACK_BUFFER && colour->GetBackTexture()) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour->GetBackTexture(), 0);
    } else if (colour->GetKind() == GfxSurface::BACK_BUFFER) {
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour->GetRenderbuffer());
    } else {
        GfxBaseTexture* texture = colour->GetContainer();
        GLenum target = texture->GetType() == RTYPE_CUBETEXTURE ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + colour->GetFace()
                                                                 : GL_TEXTURE_2D;
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, texture->GetGLName(), colour->GetLevel());
    }
    if (depth) {
        GLenum attachment = depth->GetFormat() == FMT_D24S8 || depth->GetFormat() == FMT_D24X8
                                ? GL_DEPTH_STENCIL_ATTACHMENT
                                : GL_DEPTH_ATTACHMENT;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depth->GetRenderbuffer());
    }
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    framebuffers_.push_back(Framebuffer{colour, depth, name, complete});
    return name;
}

bool GfxDevice::BindTargetFramebuffer()
{
    if (!renderTarget_) return false;
    GfxSurface* depth = depthStencil_;
    uint32_t name = FramebufferFor(renderTarget_, depth);
    bool complete = true;
    for (const Framebuffer& fb : framebuffers_)
        if (fb.name == name) complete = fb.complete;
    if (!complete && depth) {
        // A depth surface that does not fit the target (multisampling differs): draw without.
        if (!warnedIncomplete_)
            Log("WARNING the depth-stencil surface does not fit the render target; drawing without it\n");
        warnedIncomplete_ = true;
        name = FramebufferFor(renderTarget_, nullptr);
    }
    if (glFramebuffer_ != name) {
        glBindFramebuffer(GL_FRAMEBUFFER, name);
        glFramebuffer_ = name;
        dirty_ |= DIRTY_VIEWPORT;
    }
    return true;
}

bool GfxDevice::BackBufferAlphaIsOne(const GfxSurface* target) const
{
    return target && target->GetKind() == GfxSurface::BACK_BUFFER && target->GetBackTexture() &&
           target->GetFormat() != FMT_A8R8G8B8;
}

uint32_t GfxDevice::ResolvedBackBufferFramebuffer()
{
    uint32_t source = FramebufferFor(backBuffer_, nullptr);
    if (!resolveFramebuffer_) return source;
    uint32_t w = backBuffer_->GetWidth(), h = backBuffer_->GetHeight();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer_);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glFramebuffer_ = ~0u;
    dirty_ |= DIRTY_RASTER;
    return resolveFramebuffer_;
}

GfxResult GfxDevice::ReadTarget(GfxSurface* target, GfxFormat format, uint8_t* out, size_t pitch)
{
    GlFormat f;
    if (!GetGlFormat(format, s3tc_, f) || f.compressed || f.depth) return ERR_INVALIDCALL;
    uint32_t fb = target->GetKind() == GfxSurface::BACK_BUFFER ? ResolvedBackBufferFramebuffer()
                                                                : FramebufferFor(target, nullptr);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ROW_LENGTH, (GLint)(pitch / f.bytesPerBlock));
    glReadPixels(0, 0, target->GetWidth(), target->GetHeight(), f.format, f.type, out);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glFramebuffer_ = ~0u;
    if (BackBufferAlphaIsOne(target) && (format == FMT_A8R8G8B8 || format == FMT_X8R8G8B8))
        for (uint32_t y = 0; y < target->GetHeight(); ++y)
            for (uint32_t x = 0; x < target->GetWidth(); ++x) out[y * pitch + x * 4 + 3] = 0xFF;
    return TakeGlError();
}

GfxResult GfxDevice::GetRenderTargetData(GfxSurface* renderTarget, GfxSurface* destination)
{
    if (!renderTarget || !destination || destination->GetKind() != GfxSurface::SYSTEM_MEMORY) return ERR_INVALIDCALL;
    bool target = renderTarget->GetKind() == GfxSurface::BACK_BUFFER ||
                  (renderTarget->GetKind() == GfxSurface::TEXTURE_LEVEL &&
                   renderTarget->GetContainer()->IsRenderTarget());
    if (!target || renderTarget->GetWidth() != destination->GetWidth() ||
        renderTarget->GetHeight() != destination->GetHeight() || renderTarget->GetFormat() != destination->GetFormat())
        return ERR_INVALIDCALL;
    if (loss_ != LOSS_NONE) return ERR_DEVICELOST;
    return ReadTarget(renderTarget, destination->GetFormat(), destination->bytes_.data(),
                      FormatRowPitch(destination->GetFormat(), destination->GetWidth()));
}

GfxResult GfxDevice::StretchRect(GfxSurface* source, const GfxRect* sourceRect, GfxSurface* destination,
                                 const GfxRect* destinationRect, uint32_t filter)
{
    auto isTarget = [this](const GfxSurface* s) {
        return s && s->GetDevice() == this &&
               (s->GetKind() == GfxSurface::BACK_BUFFER ||
                (s->GetKind() == GfxSurface::TEXTURE_LEVEL && s->GetContainer()->IsRenderTarget()));
    };
    if (!isTarget(source) || !isTarget(destination) || source == destination || destination->GetSamples() > 1 ||
        (filter != TEXF_NONE && filter != TEXF_POINT && filter != TEXF_LINEAR))
        return ERR_INVALIDCALL;
    auto inside = [](const GfxRect& r, const GfxSurface* s) {
        return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= (int32_t)s->GetWidth() &&
               r.bottom <= (int32_t)s->GetHeight();
    };
    const GfxRect from = sourceRect ? *sourceRect : GfxRect{0, 0, (int32_t)source->GetWidth(), (int32_t)source->GetHeight()};
    const GfxRect to = destinationRect ? *destinationRect
                                       : GfxRect{0, 0, (int32_t)destination->GetWidth(), (int32_t)destination->GetHeight()};
    if (!inside(from, source) || !inside(to, destination)) return ERR_INVALIDCALL;
    if (loss_ != LOSS_NONE) return ERR_DEVICELOST;
    // A multisampled back buffer is read resolved. Targets keep their top row first, so no flip.
    const uint32_t read = source->GetKind() == GfxSurface::BACK_BUFFER ? ResolvedBackBufferFramebuffer()
                                                                        : FramebufferFor(source, nullptr);
    const uint32_t draw = FramebufferFor(destination, nullptr);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlitFramebuffer(from.left, from.top, from.right, from.bottom, to.left, to.top, to.right, to.bottom,
                      GL_COLOR_BUFFER_BIT, filter == TEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    if (BackBufferAlphaIsOne(source) && destination->GetKind() != GfxSurface::BACK_BUFFER) {
        // The copy took the stored alpha along: what was copied reads as 1 there.
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        glEnable(GL_SCISSOR_TEST);
        glScissor(to.left, to.top, to.right - to.left, to.bottom - to.top);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    glFramebuffer_ = ~0u;
    dirty_ |= DIRTY_RASTER | DIRTY_TARGET;
    return TakeGlError();
}

GfxResult GfxDevice::GetFrontBufferData(uint32_t swapChain, GfxSurface* destination)
{
    if (swapChain != 0 || !destination || destination->GetKind() != GfxSurface::SYSTEM_MEMORY ||
        destination->GetFormat() != FMT_A8R8G8B8 || destination->GetWidth() != backBuffer_->GetWidth() ||
        destination->GetHeight() != backBuffer_->GetHeight())
        return ERR_INVALIDCALL;
    if (loss_ != LOSS_NONE) return ERR_DEVICELOST;
    return ReadTarget(backBuffer_, FMT_A8R8G8B8, destination->bytes_.data(),
                      FormatRowPitch(FMT_A8R8G8B8, destination->GetWidth()));
}

// ---- Programs ---------------------------------------------------------------------------------

GfxResult GfxDevice::CreateProgram(const char* vertexSource, const char* fragmentSource, GfxProgram** out,
                                   std::string* errors)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (!vertexSource || !fragmentSource) return ERR_INVALIDCALL;
    std::string log;
    uint32_t name = LinkGlProgram(VertexPrelude() + "#line 1\n" + vertexSource,
                                  FragmentPrelude() + "#line 1\n" + fragmentSource, log);
    if (errors) *errors = log;
    if (!name) {
        Log("ERROR shader program: %s\n", log.c_str());
        return ERR_INVALIDCALL;
    }
    if (log.find_first_not_of(" \t\r\n") != std::string::npos) Log("WARNING shader program: %s\n", log.c_str());
    glProgram_ = ~0u;
    *out = new GfxProgram(this, name);
    return GFX_OK;
}

GfxResult GfxDevice::SetProgram(GfxProgram* program)
{
    if (program) program->AddRef();
    if (program_) program_->Release();
    program_ = program;
    return GFX_OK;
}

GfxResult GfxDevice::GetProgram(GfxProgram** program) const
{
    if (!program) return ERR_INVALIDCALL;
    *program = program_;
    if (program_) program_->AddRef();
    return GFX_OK;
}

Vec4 GfxDevice::GetClipAdjust() const
{
    return Vec4(1.0f / (float)std::max(1u, viewport_.Width), 1.0f / (float)std::max(1u, viewport_.Height), 0, 0);
}
