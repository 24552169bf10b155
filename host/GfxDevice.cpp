// The device's life: the OpenGL context, the back buffer and its presentation, the objects it
// keeps count of, capabilities, the lost-device protocol, and clearing. States are kept in
// host/GfxStates.cpp, targets in host/GfxTargets.cpp, drawing in host/GfxDraw.cpp.
#include "host/GfxDevice.h"

#include "host/FixedFunction.h"
#include "host/GfxInternal.h"
#include "host/GfxWindow.h"
#include "host/Log.h"

#include <SDL.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <typeinfo>

namespace {

void GLAPIENTRY DebugMessage(GLenum, GLenum type, GLuint, GLenum severity, GLsizei, const GLchar* message, const void*)
{
    if (severity == GL_DEBUG_SEVERITY_NOTIFICATION) return;
    Log("%s OpenGL: %s\n", type == GL_DEBUG_TYPE_ERROR ? "ERROR" : "WARNING", message);
}

uint32_t DefaultTextureMemoryBudget() { return 1024u * 1024u * 1024u; }

std::string createError;

// The software renderer allocates each draw's shaded vertices (often more than a hundred
// kilobytes) and frees them at the end of the draw. With the C library's adaptive limits that
// memory goes back to the system and comes again as fresh pages, faulted in and zeroed a page
// at a time, thousands of times a frame; kept in the heap it is reused warm.
void KeepDrawMemoryInTheHeap()
{
#ifdef M_TRIM_THRESHOLD
    static bool done = false;
    if (done) return;
    done = true;
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}

}  // namespace

// ---- GfxResource ------------------------------------------------------------------------------

GfxResource::GfxResource(GfxDevice* device, GfxPool pool, bool counted)
    : device_(device), pool_(pool), counted_(counted)
{
    if (device_) device_->Register(this);
}

GfxResource::~GfxResource()
{
    if (device_) device_->Unregister(this);
}

uint32_t GfxResource::AddRef() { return ++refs_; }

uint32_t GfxResource::Release()
{
    uint32_t refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

// ---- Creation and destruction -----------------------------------------------------------------

GfxDevice::GfxDevice(GfxWindow* window) : window_(window)
{
    MatrixIdentity(&world_);
    MatrixIdentity(&view_);
    MatrixIdentity(&projection_);
    for (Matrix& m : textureTransforms_) MatrixIdentity(&m);
}

GfxResult GfxDevice::Create(GfxWindow* window, PresentParameters* params, GfxDevice** out)
{
    createError.clear();
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (!window || !window->IsOpen() || !params) {
        createError = "The graphics device needs an open window.";
        return ERR_INVALIDCALL;
    }
    KeepDrawMemoryInTheHeap();
    GfxDevice* device = new GfxDevice(window);
    GfxResult result = device->Initialise(params);
    if (GfxFailed(result)) {
        if (createError.empty()) createError = "The graphics device could not be made.";
        delete device;
        return result;
    }
    *out = device;
    return GFX_OK;
}

const std::string& GfxDevice::GetCreateError() { return createError; }

GfxResult GfxDevice::Initialise(PresentParameters* params)
{
    SDL_GLContext context = SDL_GL_CreateContext(window_->GetSDLWindow());
    if (!context) {
        createError = std::string("Veldmark needs OpenGL 3.3 (core profile), and the driver could not give it: ") +
                      SDL_GetError() + ".";
        return ERR_NOTAVAILABLE;
    }
    context_ = context;
    SDL_GL_MakeCurrent(window_->GetSDLWindow(), context);
    if (epoxy_gl_version() < 33) {
        const char* renderer = (const char*)glGetString(GL_RENDERER);
        char text[300];
        snprintf(text, sizeof text, "Veldmark needs OpenGL 3.3, and the driver (%s) offers only %d.%d.",
                 renderer ? renderer : "unknown", epoxy_gl_version() / 10, epoxy_gl_version() % 10);
        createError = text;
        return ERR_NOTAVAILABLE;
    }
    if (getenv("VELDMARK_GL_DEBUG") && epoxy_has_gl_extension("GL_KHR_debug")) {
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(DebugMessage, nullptr);
    }
    const bool s3tcOffered = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    // A software renderer decodes a block for every texel it filters, frame after frame: the
    // ground alone reads four DXT textures per pixel. Decoded once at upload, the same texels
    // cost four times the memory and no time.
    const char* renderer = (const char*)glGetString(GL_RENDERER);
    const bool softwareRenderer = renderer && (strstr(renderer, "llvmpipe") || strstr(renderer, "softpipe"));
    s3tc_ = s3tcOffered && !softwareRenderer;
    anisotropic_ = epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                   epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
    mirrorClampToEdge_ = epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_texture_mirror_clamp_to_edge");

    GLint maxTexture = 0, maxSamples = 0, maxElements = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    glGetIntegerv(GL_MAX_ELEMENTS_INDICES, &maxElements);
    caps_.PixelShaderVersion = PixelShaderVersion(3, 0);
    caps_.VertexShaderVersion = VertexShaderVersion(3, 0);
    caps_.TextureCaps = PTEXTURECAPS_PERSPECTIVE | PTEXTURECAPS_ALPHA | PTEXTURECAPS_NONPOW2CONDITIONAL |
                        PTEXTURECAPS_MIPMAP | PTEXTURECAPS_CUBEMAP | PTEXTURECAPS_MIPCUBEMAP;
    caps_.MaxTextureWidth = caps_.MaxTextureHeight = (uint32_t)maxTexture;
    caps_.MaxAnisotropy = 1;
    if (anisotropic_) {
        GLfloat maxAniso = 1;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAniso);
        caps_.MaxAnisotropy = (uint32_t)maxAniso;
    }
    caps_.MaxPrimitiveCount = 0xFFFFFF;
    caps_.MaxVertexIndex = 0xFFFFFF;
    caps_.MaxMultiSampleType = (uint32_t)maxSamples;
    caps_.TextureCompressionS3TC = s3tcOffered;

    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    vao_ = vao;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLuint samplers[MAX_SAMPLERS];
    glGenSamplers(MAX_SAMPLERS, samplers);
    for (uint32_t i = 0; i < MAX_SAMPLERS; ++i) {
        samplers_[i] = samplers[i];
        glBindSampler(i, samplers[i]);
    }
    GLuint buffers[2];
    glGenBuffers(2, buffers);
    upVertexBuffer_ = buffers[0];
    upIndexBuffer_ = buffers[1];

    // What a stage without a texture samples: opaque black.
    const uint8_t black[4] = {0, 0, 0, 255};
    GLuint textures[2];
    glGenTextures(2, textures);
    blackTexture_ = textures[0];
    blackCube_ = textures[1];
    BindScratchTexture(GL_TEXTURE_2D, blackTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    BindScratchTexture(GL_TEXTURE_CUBE_MAP, blackCube_);
    for (int face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, 0);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading takes the first vertex's colour
    // What a vertex without a field reads: white diffuse, no specular, zeros elsewhere.
    for (GLuint location = 0; location < ATTRIB_COUNT; ++location) {
        if (location == ATTRIB_COLOR0)
            glVertexAttrib4f(location, 1, 1, 1, 1);
        else if (location == ATTRIB_COLOR1)
            glVertexAttrib4f(location, 0, 0, 0, 0);
        else
            glVertexAttrib4f(location, 0, 0, 0, 1);
    }
    TakeGlError();

    GfxResult result = MakeSwapChain(params);
    if (GfxFailed(result)) return result;
    SetDefaultStates();
    // Kept for the caller to log: the device is made in the middle of the caller's own line.
    char description[512];
    snprintf(description, sizeof description, "%s, OpenGL %s, %ux%u%s, %u samples", (const char*)glGetString(GL_RENDERER),
             (const char*)glGetString(GL_VERSION), params_.BackBufferWidth, params_.BackBufferHeight,
             params_.Windowed ? " windowed" : " full screen", params_.MultiSampleType);
    driverDescription_ = description;
    return GFX_OK;
}

GfxDevice::~GfxDevice()
{
    if (context_) {
        UnbindAll();
        if (renderTarget_) renderTarget_->Release();
        if (depthStencil_) depthStencil_->Release();
        renderTarget_ = depthStencil_ = nullptr;
        for (auto& entry : fvfDeclarations_) entry.second->Release();
        fvfDeclarations_.clear();
        DropSwapChain();
        if (!resources_.empty()) {
            // Named by kind, so that whoever forgot to release one can be found.
            std::string kinds;
            for (const GfxResource* resource : resources_) kinds += std::string(" ") + typeid(*resource).name();
            Log("WARNING %u graphics objects outlive the device:%s\n", (unsigned)resources_.size(), kinds.c_str());
        }
        for (GfxResource* resource : std::vector<GfxResource*>(resources_.begin(), resources_.end())) {
            resource->ReleaseGL();
            resource->device_ = nullptr;
        }
        resources_.clear();
        for (auto& entry : fixedFunctionPrograms_) glDeleteProgram(entry.second->program);
        for (Framebuffer& fb : framebuffers_) glDeleteFramebuffers(1, &fb.name);
        glDeleteSamplers(MAX_SAMPLERS, samplers_);
        GLuint buffers[2] = {upVertexBuffer_, upIndexBuffer_};
        glDeleteBuffers(2, buffers);
        GLuint textures[2] = {blackTexture_, blackCube_};
        glDeleteTextures(2, textures);
        glDeleteVertexArrays(1, &vao_);
        SDL_GL_MakeCurrent(window_->GetSDLWindow(), nullptr);
        SDL_GL_DeleteContext((SDL_GLContext)context_);
    }
}

uint32_t GfxDevice::AddRef() { return ++refs_; }

uint32_t GfxDevice::Release()
{
    uint32_t refs = --refs_;
    if (refs == 0) delete this;
    return refs;
}

GfxResult GfxDevice::MakeSwapChain(PresentParameters* params)
{
    int clientWidth = 0, clientHeight = 0;
    if (params->Windowed == window_->IsFullscreen()) window_->SetFullscreen(!params->Windowed);
    window_->GetClientSize(&clientWidth, &clientHeight);
    uint32_t width = params->BackBufferWidth ? params->BackBufferWidth : (uint32_t)clientWidth;
    uint32_t height = params->BackBufferHeight ? params->BackBufferHeight : (uint32_t)clientHeight;
    if (width == 0 || height == 0 || width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight)
        return ERR_INVALIDCALL;
    if (params->Windowed && ((int)width != clientWidth || (int)height != clientHeight))
        window_->SetClientSize((int)width, (int)height);

    uint32_t samples = params->MultiSampleType > 1 && params->Windowed ? params->MultiSampleType : 0;
    if (samples > caps_.MaxMultiSampleType) {
        Log("WARNING %u samples per pixel are not available, using %u\n", samples, caps_.MaxMultiSampleType);
        samples = caps_.MaxMultiSampleType > 1 ? caps_.MaxMultiSampleType : 0;
    }
    GfxFormat format = params->BackBufferFormat == FMT_A8R8G8B8 ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
    for (;;) {
        backBuffer_ = new GfxSurface(this, GfxSurface::BACK_BUFFER, width, height, format, POOL_DEFAULT, samples, false);
        GfxResult result = backBuffer_->Allocate();
        if (GfxSucceeded(result) && params->EnableAutoDepthStencil) {
            GfxFormat depthFormat = IsDepthFormat(params->AutoDepthStencilFormat) ? params->AutoDepthStencilFormat
                                                                                  : FMT_D24S8;
            autoDepthStencil_ = new GfxSurface(this, GfxSurface::DEPTH_STENCIL, width, height, depthFormat,
                                               POOL_DEFAULT, samples, false);
            result = autoDepthStencil_->Allocate();
        }
        if (GfxSucceeded(result)) {
            uint32_t fb = FramebufferFor(backBuffer_, autoDepthStencil_);
            for (const Framebuffer& f : framebuffers_)
                if (f.name == fb && !f.complete) result = ERR_NOTAVAILABLE;
        }
        if (GfxSucceeded(result)) break;
        DropSwapChain();
        if (samples == 0) {
            Log("ERROR the back buffer (%ux%u) could not be made\n", width, height);
            char text[120];
            snprintf(text, sizeof text, "The graphics device could not make a back buffer of %ux%u pixels.", width, height);
            createError = text;
            return result;
        }
        Log("WARNING a multisampled back buffer could not be made; drawing without multisampling\n");
        samples = 0;
    }
    if (samples > 1) {
        GLuint fb = 0, rb = 0;
        glGenFramebuffers(1, &fb);
        glGenRenderbuffers(1, &rb);
        glBindRenderbuffer(GL_RENDERBUFFER, rb);
        glRenderbufferStorage(GL_RENDERBUFFER, format == FMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, fb);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb);
        resolveFramebuffer_ = fb;
        resolveRenderbuffer_ = rb;
        glFramebuffer_ = ~0u;
    }
    bool waitForRefresh = params->PresentationInterval != PRESENT_INTERVAL_IMMEDIATE;
    swapIntervalRefused_ = SDL_GL_SetSwapInterval(waitForRefresh ? 1 : 0) != 0 && waitForRefresh;
    if (swapIntervalRefused_) SDL_GL_SetSwapInterval(0);
    params->BackBufferWidth = width;
    params->BackBufferHeight = height;
    params->BackBufferFormat = format;
    params->MultiSampleType = samples;
    params->MultiSampleQuality = 0;
    params_ = *params;
    // A new back buffer starts black, with its depth at the far plane.
    glBindFramebuffer(GL_FRAMEBUFFER, FramebufferFor(backBuffer_, autoDepthStencil_));
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | (autoDepthStencil_ ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0));
    glFramebuffer_ = ~0u;
    renderTarget_ = backBuffer_;
    renderTarget_->AddRef();
    depthStencil_ = autoDepthStencil_;
    if (depthStencil_) depthStencil_->AddRef();
    dirty_ = DIRTY_ALL;
    return GFX_OK;
}

void GfxDevice::DropSwapChain()
{
    if (renderTarget_) renderTarget_->Release();
    if (depthStencil_) depthStencil_->Release();
    renderTarget_ = depthStencil_ = nullptr;
    if (backBuffer_) backBuffer_->Release();
    if (autoDepthStencil_) autoDepthStencil_->Release();
    backBuffer_ = autoDepthStencil_ = nullptr;
    if (resolveFramebuffer_) glDeleteFramebuffers(1, &resolveFramebuffer_);
    if (resolveRenderbuffer_) glDeleteRenderbuffers(1, &resolveRenderbuffer_);
    resolveFramebuffer_ = resolveRenderbuffer_ = 0;
    glFramebuffer_ = ~0u;
}

void GfxDevice::SetDefaultStates()
{
    uint32_t* rs = renderStates_;
    std::fill(rs, rs + RENDER_STATE_COUNT, 0u);
    rs[RS_ZENABLE] = params_.EnableAutoDepthStencil ? ZB_TRUE : ZB_FALSE;
    rs[RS_FILLMODE] = FILL_SOLID;
    rs[RS_SHADEMODE] = SHADE_GOURAUD;
    rs[RS_ZWRITEENABLE] = 1;
    rs[RS_LASTPIXEL] = 1;
    rs[RS_SRCBLEND] = BLEND_ONE;
    rs[RS_DESTBLEND] = BLEND_ZERO;
    rs[RS_CULLMODE] = CULL_CCW;
    rs[RS_ZFUNC] = CMP_LESSEQUAL;
    rs[RS_ALPHAFUNC] = CMP_ALWAYS;
    rs[RS_FOGEND] = FloatBits(1.0f);
    rs[RS_FOGDENSITY] = FloatBits(1.0f);
    rs[RS_STENCILFAIL] = rs[RS_STENCILZFAIL] = rs[RS_STENCILPASS] = STENCILOP_KEEP;
    rs[RS_STENCILFUNC] = CMP_ALWAYS;
    rs[RS_STENCILMASK] = rs[RS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[RS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[RS_CLIPPING] = 1;
    rs[RS_LIGHTING] = 1;
    rs[RS_COLORVERTEX] = 1;
    rs[RS_LOCALVIEWER] = 1;
    rs[RS_DIFFUSEMATERIALSOURCE] = MCS_COLOR1;
    rs[RS_SPECULARMATERIALSOURCE] = MCS_COLOR2;
    rs[RS_POINTSIZE] = rs[RS_POINTSIZE_MIN] = rs[RS_POINTSCALE_A] = FloatBits(1.0f);
    rs[RS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[RS_MULTISAMPLEANTIALIAS] = 1;
    rs[RS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[RS_COLORWRITEENABLE] = rs[RS_COLORWRITEENABLE1] = rs[RS_COLORWRITEENABLE2] = rs[RS_COLORWRITEENABLE3] = 0xF;
    rs[RS_BLENDOP] = rs[RS_BLENDOPALPHA] = BLENDOP_ADD;
    rs[RS_CCW_STENCILFAIL] = rs[RS_CCW_STENCILZFAIL] = rs[RS_CCW_STENCILPASS] = STENCILOP_KEEP;
    rs[RS_CCW_STENCILFUNC] = CMP_ALWAYS;
    rs[RS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[RS_SRCBLENDALPHA] = BLEND_ONE;
    rs[RS_DESTBLENDALPHA] = BLEND_ZERO;

    for (uint32_t stage = 0; stage < MAX_TEXTURE_STAGES; ++stage) {
        uint32_t* ts = stageStates_[stage];
        std::fill(ts, ts + TEXTURE_STAGE_STATE_COUNT, 0u);
        ts[TSS_COLOROP] = stage == 0 ? TOP_MODULATE : TOP_DISABLE;
        ts[TSS_COLORARG1] = TA_TEXTURE;
        ts[TSS_COLORARG2] = TA_CURRENT;
        ts[TSS_ALPHAOP] = stage == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
        ts[TSS_ALPHAARG1] = TA_TEXTURE;
        ts[TSS_ALPHAARG2] = TA_CURRENT;
        ts[TSS_TEXCOORDINDEX] = stage;
        ts[TSS_COLORARG0] = ts[TSS_ALPHAARG0] = ts[TSS_RESULTARG] = TA_CURRENT;
    }
    for (uint32_t sampler = 0; sampler < MAX_SAMPLERS; ++sampler) {
        uint32_t* ss = samplerStates_[sampler];
        std::fill(ss, ss + SAMPLER_STATE_COUNT, 0u);
        ss[SAMP_ADDRESSU] = ss[SAMP_ADDRESSV] = ss[SAMP_ADDRESSW] = TADDRESS_WRAP;
        ss[SAMP_MAGFILTER] = ss[SAMP_MINFILTER] = TEXF_POINT;
        ss[SAMP_MIPFILTER] = TEXF_NONE;
        ss[SAMP_MAXANISOTROPY] = 1;
        samplerDirty_[sampler] = true;
    }
    MatrixIdentity(&world_);
    MatrixIdentity(&view_);
    MatrixIdentity(&projection_);
    for (Matrix& m : textureTransforms_) MatrixIdentity(&m);
    material_ = GfxMaterial();
    for (uint32_t i = 0; i < MAX_LIGHTS; ++i) {
        lights_[i] = GfxLight();
        lights_[i].Type = LIGHT_DIRECTIONAL;
        lights_[i].Diffuse = ColorValue{1, 1, 1, 0};
        lights_[i].Direction = Vec3(0, 0, 1);
        lightEnabled_[i] = false;
    }
    uint32_t width = 0, height = 0;
    TargetSize(&width, &height);
    viewport_ = Viewport();
    viewport_.Width = width;
    viewport_.Height = height;
    scissor_ = GfxRect{0, 0, (int32_t)width, (int32_t)height};
    dirty_ = DIRTY_ALL;
    ++uniformSerial_;
}

// ---- Object bookkeeping -----------------------------------------------------------------------

void GfxDevice::Register(GfxResource* resource) { resources_.insert(resource); }

void GfxDevice::Unregister(GfxResource* resource) { resources_.erase(resource); }

uint32_t GfxDevice::GetDefaultPoolResourceCount() const
{
    uint32_t count = 0;
    for (const GfxResource* resource : resources_)
        if (resource->counted_ && resource->pool_ == POOL_DEFAULT) ++count;
    return count;
}

void GfxDevice::BindScratchTexture(uint32_t target, uint32_t texture)
{
    glActiveTexture(GL_TEXTURE0 + SCRATCH_TEXTURE_UNIT);
    glBindTexture(target, texture);
}

uint64_t GfxDevice::TextureBytes(const GfxBaseTexture* texture) const
{
    GlFormat f;
    if (!GetGlFormat(texture->GetFormat(), s3tc_, f)) return 0;
    uint64_t total = 0;
    for (uint32_t level = 0; level < texture->GetLevelCount(); ++level) {
        uint32_t w = texture->GetWidth(level), h = texture->GetHeight(level);
        total += f.compressed ? FormatRowPitch(texture->GetFormat(), w) * FormatRowCount(texture->GetFormat(), h)
                              : (uint64_t)w * h * f.bytesPerBlock;
    }
    return total * (texture->GetType() == RTYPE_CUBETEXTURE ? 6 : 1);
}

void GfxDevice::ForgetSurface(GfxSurface* surface)
{
    for (size_t i = 0; i < framebuffers_.size();) {
        if (framebuffers_[i].colour == surface || framebuffers_[i].depth == surface) {
            if (glFramebuffer_ == framebuffers_[i].name) glFramebuffer_ = ~0u;
            glDeleteFramebuffers(1, &framebuffers_[i].name);
            framebuffers_.erase(framebuffers_.begin() + i);
        } else {
            ++i;
        }
    }
}

void GfxDevice::ForgetTexture(GfxBaseTexture* texture)
{
    // Deleting the OpenGL texture unbinds it; the name may come back for another texture.
    for (uint32_t unit = 0; unit < MAX_SAMPLERS; ++unit)
        if (boundTexture_[unit] == texture->GetGLName()) boundTexture_[unit] = 0;
}

void GfxDevice::ForgetBuffer(GfxBuffer*) { dirty_ |= DIRTY_VERTEX_INPUT; }

void GfxDevice::ForgetProgram(GfxProgram* program)
{
    if (glProgram_ == program->GetGLName()) glProgram_ = 0;
}

void GfxDevice::UseGlProgram(uint32_t program)
{
    if (glProgram_ != program) glUseProgram(program);
    glProgram_ = program;
}


// ---- Capabilities -----------------------------------------------------------------------------

GfxResult GfxDevice::GetDeviceCaps(GfxCaps* caps) const
{
    if (!caps) return ERR_INVALIDCALL;
    *caps = caps_;
    return GFX_OK;
}

uint32_t GfxDevice::GetAvailableTextureMem() const
{
    int64_t budget = DefaultTextureMemoryBudget();
    if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info")) {
        GLint kb = 0;
        glGetIntegerv(0x9049, &kb);  // current available video memory
        if (kb > 0) return (uint32_t)std::min<int64_t>((int64_t)kb * 1024, 0xFFFFFFFF);
    }
    int64_t left = budget - textureMemory_;
    return left > 0 ? (uint32_t)left : 0;
}

GfxResult GfxDevice::GetDisplayMode(GfxDisplayMode* mode) const
{
    if (!mode) return ERR_INVALIDCALL;
    SDL_DisplayMode m;
    int display = SDL_GetWindowDisplayIndex(window_->GetSDLWindow());
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &m) != 0) return ERR_NOTAVAILABLE;
    mode->Width = (uint32_t)m.w;
    mode->Height = (uint32_t)m.h;
    mode->RefreshRate = (uint32_t)m.refresh_rate;
    mode->Format = FMT_X8R8G8B8;
    return GFX_OK;
}

GfxResult GfxDevice::CheckDeviceMultiSampleType(GfxFormat format, bool, uint32_t samples,
                                                uint32_t* qualityLevels) const
{
    if (qualityLevels) *qualityLevels = 0;
    GlFormat f;
    if (!GetGlFormat(format, s3tc_, f) || !f.renderable) return ERR_INVALIDCALL;
    if (samples > 1 && samples > caps_.MaxMultiSampleType) return ERR_NOTAVAILABLE;
    if (qualityLevels) *qualityLevels = 1;
    return GFX_OK;
}

GfxResult GfxDevice::CheckDeviceFormat(uint32_t usage, GfxResourceType type, GfxFormat format) const
{
    GlFormat f;
    if (!GetGlFormat(format, s3tc_, f)) return ERR_NOTAVAILABLE;
    if ((usage & USAGE_DEPTHSTENCIL) && !f.depth) return ERR_NOTAVAILABLE;
    if (!(usage & USAGE_DEPTHSTENCIL) && f.depth) return ERR_NOTAVAILABLE;
    if ((usage & (USAGE_RENDERTARGET | USAGE_QUERY_POSTPIXELSHADER_BLENDING)) && !f.renderable) return ERR_NOTAVAILABLE;
    if (type == RTYPE_VOLUMETEXTURE || type == RTYPE_VOLUME) return ERR_NOTAVAILABLE;
    return GFX_OK;
}

// ---- Lost device ------------------------------------------------------------------------------

GfxResult GfxDevice::TestCooperativeLevel()
{
    switch (loss_) {
    case LOSS_NONE: return GFX_OK;
    case LOSS_DRIVERERROR:
        if (errorPolls_ > 0) {
            --errorPolls_;
            return ERR_DRIVERINTERNALERROR;
        }
        loss_ = LOSS_NOTRESET;
        return ERR_DEVICENOTRESET;
    case LOSS_LOST:
        if (lostPolls_ > 0) {
            --lostPolls_;
            return ERR_DEVICELOST;
        }
        loss_ = LOSS_NOTRESET;
        return ERR_DEVICENOTRESET;
    default: return ERR_DEVICENOTRESET;
    }
}

void GfxDevice::ForceDeviceLoss(int lostPolls)
{
    loss_ = LOSS_LOST;
    lostPolls_ = lostPolls > 0 ? lostPolls : 0;
}

void GfxDevice::ForceDriverError(int polls)
{
    loss_ = LOSS_DRIVERERROR;
    errorPolls_ = polls > 0 ? polls : 0;
}

void GfxDevice::ForceResetFailure(GfxResult result, int count)
{
    resetFailure_ = result;
    resetFailures_ = count > 0 ? count : 0;
}

void GfxDevice::UnbindAll()
{
    for (GfxBaseTexture*& texture : textures_) {
        if (texture) texture->Release();
        texture = nullptr;
    }
    for (Stream& stream : streams_) {
        if (stream.buffer) stream.buffer->Release();
        stream = Stream();
    }
    if (indices_) indices_->Release();
    indices_ = nullptr;
    if (declaration_) declaration_->Release();
    declaration_ = nullptr;
    fvf_ = 0;
    if (program_) program_->Release();
    program_ = nullptr;
    if (renderTarget_ != backBuffer_) {
        if (renderTarget_) renderTarget_->Release();
        renderTarget_ = backBuffer_;
        if (renderTarget_) renderTarget_->AddRef();
    }
    if (depthStencil_ != autoDepthStencil_) {
        if (depthStencil_) depthStencil_->Release();
        depthStencil_ = autoDepthStencil_;
        if (depthStencil_) depthStencil_->AddRef();
    }
    dirty_ = DIRTY_ALL;
}

GfxResult GfxDevice::Reset(PresentParameters* params)
{
    if (!params) return ERR_INVALIDCALL;
    inScene_ = false;
    if (resetFailures_ > 0) {
        --resetFailures_;
        if (resetFailure_ == ERR_DEVICELOST) {
            loss_ = LOSS_LOST;
            lostPolls_ = 0;
        } else {
            loss_ = LOSS_NOTRESET;
        }
        return resetFailure_;
    }
    UnbindAll();
    uint32_t alive = GetDefaultPoolResourceCount();
    // The swap chain's surfaces are held once by the device and once as bound targets.
    bool swapChainHeld = (backBuffer_ && backBuffer_->refs_ > 2) || (autoDepthStencil_ && autoDepthStencil_->refs_ > 2);
    if (alive || swapChainHeld) {
        Log("WARNING the graphics device cannot be reset: %u objects of the default pool are still alive%s\n",
            alive, swapChainHeld ? " and the back buffer is still held" : "");
        loss_ = LOSS_NOTRESET;
        return ERR_INVALIDCALL;
    }
    PresentParameters wanted = *params;
    DropSwapChain();
    GfxResult result = MakeSwapChain(params);
    if (GfxFailed(result)) {
        // Back to what worked before, so the device stays usable after a bad size.
        PresentParameters old = params_;
        DropSwapChain();
        if (GfxFailed(MakeSwapChain(&old))) return ERR_DRIVERINTERNALERROR;
        *params = wanted;
        loss_ = LOSS_NOTRESET;
        return result;
    }
    SetDefaultStates();
    loss_ = LOSS_NONE;
    return GFX_OK;
}

// ---- Frame ------------------------------------------------------------------------------------

GfxResult GfxDevice::BeginScene()
{
    if (inScene_) return ERR_INVALIDCALL;
    inScene_ = true;
    return GFX_OK;
}

GfxResult GfxDevice::EndScene()
{
    if (!inScene_) return ERR_INVALIDCALL;
    inScene_ = false;
    return GFX_OK;
}

namespace {

// Where a back buffer of bw x bh shows in a window of ww x wh: scaled to fit, aspect kept,
// centred (rows from the bottom, as OpenGL counts them).
void PresentRect(uint32_t bw, uint32_t bh, int ww, int wh, int r[4])
{
    if (ww <= 0 || wh <= 0 || ((uint32_t)ww == bw && (uint32_t)wh == bh)) {
        r[0] = 0, r[1] = 0, r[2] = (int)bw, r[3] = (int)bh;
        if (ww > 0 && wh > 0) r[2] = ww, r[3] = wh;
        return;
    }
    double scale = std::min((double)ww / bw, (double)wh / bh);
    int w = (int)std::lround(bw * scale), h = (int)std::lround(bh * scale);
    r[0] = (ww - w) / 2;
    r[1] = (wh - h) / 2;
    r[2] = r[0] + w;
    r[3] = r[1] + h;
}

}  // namespace

GfxResult GfxDevice::Present()
{
    if (loss_ != LOSS_NONE) return ERR_DEVICELOST;
    uint32_t source = ResolvedBackBufferFramebuffer();
    int ww = 0, wh = 0;
    window_->GetClientSize(&ww, &wh);
    int r[4];
    uint32_t bw = backBuffer_->GetWidth(), bh = backBuffer_->GetHeight();
    PresentRect(bw, bh, ww, wh, r);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (r[0] > 0 || r[1] > 0 || r[2] < ww || r[3] < wh) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    bool scaled = (uint32_t)(r[2] - r[0]) != bw || (uint32_t)(r[3] - r[1]) != bh;
    // Row 0 of the back buffer is the top of the picture; OpenGL's window counts from the bottom.
    glBlitFramebuffer(0, 0, bw, bh, r[0], r[3], r[2], r[1], GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
    SDL_GL_SwapWindow(window_->GetSDLWindow());
    glFramebuffer_ = ~0u;
    dirty_ |= DIRTY_RASTER | DIRTY_TARGET;
    return TakeGlError() == GFX_OK ? GFX_OK : ERR_DRIVERINTERNALERROR;
}

void GfxDevice::WindowToBackBuffer(int windowX, int windowY, int* x, int* y) const
{
    int ww = 0, wh = 0;
    window_->GetClientSize(&ww, &wh);
    int r[4];
    uint32_t bw = backBuffer_ ? backBuffer_->GetWidth() : 1, bh = backBuffer_ ? backBuffer_->GetHeight() : 1;
    PresentRect(bw, bh, ww, wh, r);
    int w = std::max(1, r[2] - r[0]), h = std::max(1, r[3] - r[1]);
    // r counts rows from the bottom; the top margin equals the bottom one.
    if (x) *x = (int)((int64_t)(windowX - r[0]) * (int64_t)bw / w);
    if (y) *y = (int)((int64_t)(windowY - r[1]) * (int64_t)bh / h);
}

GfxResult GfxDevice::Clear(uint32_t count, const GfxRect* rects, uint32_t flags, GfxColor color, float z,
                           uint32_t stencil)
{
    if ((count && !rects) || !(flags & (CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL))) return ERR_INVALIDCALL;
    if ((flags & (CLEAR_ZBUFFER | CLEAR_STENCIL)) && !depthStencil_) return ERR_INVALIDCALL;
    if (!BindTargetFramebuffer()) return ERR_INVALIDCALL;
    GLbitfield bits = 0;
    if (flags & CLEAR_TARGET) bits |= GL_COLOR_BUFFER_BIT;
    if (flags & CLEAR_ZBUFFER) bits |= GL_DEPTH_BUFFER_BIT;
    if ((flags & CLEAR_STENCIL) && depthStencil_->GetFormat() == FMT_D24S8) bits |= GL_STENCIL_BUFFER_BIT;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                 (color >> 24) / 255.0f);
    glClearDepth(std::min(1.0f, std::max(0.0f, z)));
    glClearStencil((GLint)(stencil & 0xFF));
    glEnable(GL_SCISSOR_TEST);
    // A clear of part of a target is drawn by the driver, with code of its own to make.
    // So may a clear of a whole target, depending on what else is bound.
    if (recordedStates_ && renderTarget_) {
        const bool part = count || viewport_.X || viewport_.Y || viewport_.Width != renderTarget_->GetWidth() ||
                          viewport_.Height != renderTarget_->GetHeight() || renderStates_[RS_SCISSORTESTENABLE];
        const bool largerDepth = depthStencil_ && (depthStencil_->GetWidth() > renderTarget_->GetWidth() ||
                                                   depthStencil_->GetHeight() > renderTarget_->GetHeight());
        char line[80];
        snprintf(line, sizeof line, "c=%u t=%u z=%d a=%d", flags & (CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL),
                 (uint32_t)renderTarget_->GetFormat(), depthStencil_ ? (int)depthStencil_->GetFormat() : -1,
                 (part ? 1 : 0) | (largerDepth ? 2 : 0));
        if (recordedSet_.insert(line).second) recordedStates_->push_back(line);
    }
    // Only the viewport is cleared (and the scissor rectangle, while the scissor test is on).
    GfxRect area{(int32_t)viewport_.X, (int32_t)viewport_.Y, (int32_t)(viewport_.X + viewport_.Width),
                 (int32_t)(viewport_.Y + viewport_.Height)};
    if (renderStates_[RS_SCISSORTESTENABLE]) {
        area.left = std::max(area.left, scissor_.left);
        area.top = std::max(area.top, scissor_.top);
        area.right = std::min(area.right, scissor_.right);
        area.bottom = std::min(area.bottom, scissor_.bottom);
    }
    uint32_t n = count ? count : 1;
    for (uint32_t i = 0; i < n; ++i) {
        GfxRect r = area;
        if (count) {
            r.left = std::max(r.left, rects[i].left);
            r.top = std::max(r.top, rects[i].top);
            r.right = std::min(r.right, rects[i].right);
            r.bottom = std::min(r.bottom, rects[i].bottom);
        }
        if (r.right <= r.left || r.bottom <= r.top) continue;
        glScissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
        glClear(bits);
    }
    dirty_ |= DIRTY_RASTER | DIRTY_DEPTH | DIRTY_STENCIL;
    return TakeGlError();
}
