#pragma once
// The graphics device: the game's drawing API over OpenGL 3.3 core.
//
// Contract, for everything drawn through it:
// - Operations, argument orders, state ids and values follow the game's drawing code: states
//   are set one by one and stay until changed (host/GfxTypes.h lists them with their values);
//   results are GFX_OK or an error code; objects are counted (host/GfxResource.h).
// - Matrices are row-vector matrices of host/Maths.h (p' = p * world * view * projection),
//   left-handed, projections onto depth 0..1. The device converts them: what is drawn lands
//   where the game expects, with clockwise triangles as front faces (CULL_CCW, the default,
//   drops counter-clockwise ones), pixel centres on whole pixel coordinates (a quad from -0.5
//   to 3.5 covers pixels 0..3 and maps a 4 x 4 texture texel for pixel), the top row of every
//   target and texture first, and viewports with top-left origins.
// - Pre-transformed vertices (FVF_XYZRHW) are pixel positions on the render target.
// - Without a program set, draws use the fixed-function pipeline (host/FixedFunction.h); with
//   one (SetProgram), the program draws and receives the transforms (host/GfxProgram.h).
// - The back buffer is an off-screen target of the size asked for; Present shows it in the
//   window (scaled into a full-screen window, aspect kept) and keeps its contents readable.
// - Device loss: OpenGL never loses its device, but the game's release-and-restore protocol
//   must run, so a loss can be forced (ForceDeviceLoss): TestCooperativeLevel then answers
//   ERR_DEVICELOST, later ERR_DEVICENOTRESET, and Reset succeeds only once every POOL_DEFAULT
//   object has been released, as the game's protocol requires. Reset also applies a new back
//   buffer size (the window follows) and puts every state back to its default.
// - Main thread only; one device per process.
#include "host/GfxBuffers.h"
#include "host/GfxProgram.h"
#include "host/GfxTexture.h"
#include "host/GfxTypes.h"
#include "host/Maths.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class GfxWindow;
struct FixedFunctionProgram;
struct FixedFunctionKey;

class GfxDevice {
public:
    // Makes the OpenGL context on the window and a back buffer as the parameters say. The
    // parameters are updated to what was made: a size of 0 takes the window's client size, a
    // sample count the hardware lacks falls back to the largest it has (logged), full-screen
    // windows never multisample.
    static GfxResult Create(GfxWindow* window, PresentParameters* params, GfxDevice** out);
    // Why the last Create failed, in words for the player; empty after a success.
    static const std::string& GetCreateError();
    uint32_t AddRef();
    uint32_t Release();

    // ---- Capabilities
    GfxResult GetDeviceCaps(GfxCaps* caps) const;
    // Bytes of texture memory still free, as far as the device can tell.
    uint32_t GetAvailableTextureMem() const;
    GfxResult GetDisplayMode(GfxDisplayMode* mode) const;
    // GFX_OK when a back buffer (or depth surface) of this format can have `samples` samples.
    GfxResult CheckDeviceMultiSampleType(GfxFormat format, bool windowed, uint32_t samples,
                                         uint32_t* qualityLevels) const;
    // GFX_OK when a resource of the type and format can be made with the usage (render target,
    // depth-stencil, USAGE_QUERY_POSTPIXELSHADER_BLENDING, ...); ERR_NOTAVAILABLE otherwise.
    GfxResult CheckDeviceFormat(uint32_t usage, GfxResourceType type, GfxFormat format) const;
    void GetPresentParameters(PresentParameters* params) const { *params = params_; }
    GfxWindow* GetWindow() const { return window_; }
    // The driver in one line for the log: renderer, OpenGL version, back buffer.
    const std::string& GetDriverDescription() const { return driverDescription_; }
    // True when Present was asked to wait for the display's refresh (any interval but
    // PRESENT_INTERVAL_IMMEDIATE) and the driver would not: Present then returns at once, and
    // whoever wants steady frames paces them.
    bool IsSwapIntervalRefused() const { return swapIntervalRefused_; }
    // Answers as a driver that refuses (or grants) waiting for the refresh would (tests).
    void ForceSwapIntervalRefused(bool refused) { swapIntervalRefused_ = refused; }

    // ---- Lost device
    GfxResult TestCooperativeLevel();
    GfxResult Reset(PresentParameters* params);
    // From now on the device is lost: TestCooperativeLevel answers ERR_DEVICELOST `lostPolls`
    // times, then ERR_DEVICENOTRESET until a Reset succeeds. Present fails meanwhile.
    void ForceDeviceLoss(int lostPolls = 0);
    // TestCooperativeLevel answers ERR_DRIVERINTERNALERROR `polls` times, then as a lost device
    // that can be reset.
    void ForceDriverError(int polls = 1);
    // The next `count` Reset calls fail with `result` (ERR_DEVICELOST leaves the device lost).
    void ForceResetFailure(GfxResult result, int count = 1);
    // POOL_DEFAULT objects alive (the ones that keep Reset from succeeding).
    uint32_t GetDefaultPoolResourceCount() const;

    // ---- Frame
    GfxResult BeginScene();
    GfxResult EndScene();
    // Shows the back buffer. ERR_DEVICELOST while the device is lost.
    GfxResult Present();
    // Clears the viewport (or the given rectangles within it) of the render target and
    // depth-stencil surface; the colour is packed 0xAARRGGBB.
    GfxResult Clear(uint32_t count, const GfxRect* rects, uint32_t flags, GfxColor color, float z, uint32_t stencil);

    // ---- States
    GfxResult SetRenderState(RenderStateType state, uint32_t value);
    GfxResult GetRenderState(RenderStateType state, uint32_t* value) const;
    GfxResult SetTextureStageState(uint32_t stage, TextureStageStateType type, uint32_t value);
    GfxResult GetTextureStageState(uint32_t stage, TextureStageStateType type, uint32_t* value) const;
    GfxResult SetSamplerState(uint32_t sampler, SamplerStateType type, uint32_t value);
    GfxResult GetSamplerState(uint32_t sampler, SamplerStateType type, uint32_t* value) const;
    GfxResult SetTransform(TransformStateType state, const Matrix* matrix);
    GfxResult GetTransform(TransformStateType state, Matrix* matrix) const;
    GfxResult SetMaterial(const GfxMaterial* material);
    GfxResult GetMaterial(GfxMaterial* material) const;
    GfxResult SetLight(uint32_t index, const GfxLight* light);
    GfxResult GetLight(uint32_t index, GfxLight* light) const;
    GfxResult LightEnable(uint32_t index, bool enable);
    GfxResult GetLightEnable(uint32_t index, bool* enable) const;
    // The viewport must lie inside the render target; MinZ..MaxZ within 0..1.
    GfxResult SetViewport(const Viewport* viewport);
    GfxResult GetViewport(Viewport* viewport) const;
    GfxResult SetScissorRect(const GfxRect* rect);
    GfxResult GetScissorRect(GfxRect* rect) const;
    // Stages 0..15; a program samples stage n as texture unit n.
    GfxResult SetTexture(uint32_t stage, GfxBaseTexture* texture);
    GfxResult GetTexture(uint32_t stage, GfxBaseTexture** texture) const;

    // ---- Geometry
    GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxPool pool, GfxVertexBuffer** out);
    // FMT_INDEX16 or FMT_INDEX32.
    GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, GfxFormat format, GfxPool pool, GfxIndexBuffer** out);
    GfxResult CreateVertexDeclaration(const VertexElement* elements, GfxVertexDeclaration** out);
    GfxResult SetStreamSource(uint32_t stream, GfxVertexBuffer* buffer, uint32_t offset, uint32_t stride);
    GfxResult GetStreamSource(uint32_t stream, GfxVertexBuffer** buffer, uint32_t* offset, uint32_t* stride) const;
    GfxResult SetIndices(GfxIndexBuffer* indices);
    GfxResult GetIndices(GfxIndexBuffer** indices) const;
    // An FVF code and a declaration replace each other.
    GfxResult SetFVF(uint32_t fvf);
    GfxResult GetFVF(uint32_t* fvf) const;
    GfxResult SetVertexDeclaration(GfxVertexDeclaration* declaration);
    GfxResult GetVertexDeclaration(GfxVertexDeclaration** declaration) const;
    GfxResult DrawPrimitive(GfxPrimitiveType type, uint32_t startVertex, uint32_t primitiveCount);
    GfxResult DrawIndexedPrimitive(GfxPrimitiveType type, int32_t baseVertexIndex, uint32_t minVertexIndex,
                                   uint32_t numVertices, uint32_t startIndex, uint32_t primitiveCount);
    // Draws from the caller's memory; stream 0 (and the indices) are unset afterwards.
    GfxResult DrawPrimitiveUP(GfxPrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride);
    GfxResult DrawIndexedPrimitiveUP(GfxPrimitiveType type, uint32_t minVertexIndex, uint32_t numVertices,
                                     uint32_t primitiveCount, const void* indices, GfxFormat indexFormat,
                                     const void* vertices, uint32_t stride);

    // ---- Textures and targets
    // levels 0: the whole chain. USAGE_RENDERTARGET makes a target (POOL_DEFAULT only),
    // USAGE_DYNAMIC a texture that is rewritten often.
    GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, GfxFormat format,
                            GfxPool pool, GfxTexture** out);
    GfxResult CreateCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, GfxFormat format, GfxPool pool,
                                GfxCubeTexture** out);
    GfxResult CreateDepthStencilSurface(uint32_t width, uint32_t height, GfxFormat format, uint32_t multiSample,
                                        uint32_t multiSampleQuality, bool discard, GfxSurface** out);
    // A surface in memory, to read render targets back into (POOL_SYSTEMMEM).
    GfxResult CreateOffscreenPlainSurface(uint32_t width, uint32_t height, GfxFormat format, GfxPool pool,
                                          GfxSurface** out);
    // Target 0 only. Setting a target makes the viewport (and scissor rectangle) cover it.
    GfxResult SetRenderTarget(uint32_t index, GfxSurface* surface);
    GfxResult GetRenderTarget(uint32_t index, GfxSurface** surface) const;
    GfxResult SetDepthStencilSurface(GfxSurface* surface);
    GfxResult GetDepthStencilSurface(GfxSurface** surface) const;
    GfxResult GetBackBuffer(uint32_t swapChain, uint32_t index, GfxSurface** surface) const;
    // Copies a render target (a target texture's level or the back buffer) into a system-memory
    // surface of the same size and format.
    GfxResult GetRenderTargetData(GfxSurface* renderTarget, GfxSurface* destination);
    // Copies a rectangle of one render target (a target texture's level or the back buffer)
    // into a rectangle of another, stretched with TEXF_POINT or TEXF_LINEAR; null rectangles
    // are the whole surfaces. Viewport, scissor and blending play no part. A multisampled
    // destination is refused (ERR_INVALIDCALL): draw a textured quad there instead.
    GfxResult StretchRect(GfxSurface* source, const GfxRect* sourceRect, GfxSurface* destination,
                          const GfxRect* destinationRect, uint32_t filter);
    // The last picture presented (or the back buffer as drawn so far), as A8R8G8B8 into a
    // system-memory surface of the back buffer's size.
    GfxResult GetFrontBufferData(uint32_t swapChain, GfxSurface* destination);

    // ---- Programs of the effect framework
    GfxResult CreateProgram(const char* vertexSource, const char* fragmentSource, GfxProgram** out,
                            std::string* errors = nullptr);
    // Null returns drawing to the fixed-function pipeline.
    GfxResult SetProgram(GfxProgram* program);
    GfxResult GetProgram(GfxProgram** program) const;
    // False makes later DXT textures store decoded pixels, as on a driver without S3TC (the
    // tests use it); true cannot give S3TC to a driver that lacks it.
    void SetCompressedTextures(bool enabled) { s3tc_ = enabled && caps_.TextureCompressionS3TC; }
    // Whether DXT textures made now stay compressed.
    bool HasS3TC() const { return s3tc_; }

    // ---- Warming the driver up
    // A software driver makes machine code on the first draw of each program with each set of
    // states (blending, depth and stencil, texture formats and sampling, the target's format,
    // the vertex layout), which stalls that frame. RecordDrawStates notes from now on, once
    // each and in order, a line for every set of states a draw is made with (null stops).
    // WarmDraw makes a draw that covers no pixel with the states of such a line, on stand-in
    // textures and targets of the same kinds, and then puts every state and binding back; the
    // driver's code for it is made there and then. False when the line names a program that
    // does not exist (yet) or cannot be read.
    void RecordDrawStates(std::vector<std::string>* lines);
    bool WarmDraw(const std::string& line);

    // The values behind vm_ClipAdjust for the current viewport.
    Vec4 GetClipAdjust() const;

    // Window pixels (as in mouse events) to back-buffer pixels: differs only in a full-screen
    // window whose size is not the back buffer's.
    void WindowToBackBuffer(int windowX, int windowY, int* x, int* y) const;

private:
    explicit GfxDevice(GfxWindow* window);
    ~GfxDevice();
    GfxResult Initialise(PresentParameters* params);
    GfxResult MakeSwapChain(PresentParameters* params);
    void DropSwapChain();
    void SetDefaultStates();
    void UnbindAll();

    // Used by the objects.
    void Register(GfxResource* resource);
    void Unregister(GfxResource* resource);
    void BindScratchTexture(uint32_t target, uint32_t texture);
    void AddTextureMemory(int64_t bytes) { textureMemory_ += bytes; }
    uint64_t TextureBytes(const GfxBaseTexture* texture) const;
    void ForgetSurface(GfxSurface* surface);
    void ForgetTexture(GfxBaseTexture* texture);
    void ForgetBuffer(GfxBuffer* buffer);
    void ForgetProgram(GfxProgram* program);
    void UseGlProgram(uint32_t program);
    // Hands a new object out, or releases it when making it failed.
    template <class T> GfxResult Finish(T* object, GfxResult result, T** out)
    {
        if (GfxFailed(result)) {
            object->Release();
            return result;
        }
        *out = object;
        return GFX_OK;
    }

    // Drawing (host/GfxDraw.cpp).
    bool PrepareDraw();
    void ApplyRenderStates();
    void ApplySamplers();
    void ApplyVertexInput(int32_t baseVertex);
    bool ApplyFixedFunction();
    void ApplyProgramBuiltins();
    void FillFixedFunctionKey(FixedFunctionKey& key) const;
    void UploadFixedFunctionUniforms(FixedFunctionProgram& program);
    GfxVertexDeclaration* ActiveDeclaration();
    GfxResult Draw(GfxPrimitiveType type, uint32_t primitiveCount, bool indexed, int32_t baseVertex,
                   uint32_t start, uint32_t indexSize);

    // The line RecordDrawStates notes for the states of the draw being made (host/GfxWarmUp.cpp).
    std::string DescribeDrawStates();
    bool WarmClear(uint32_t flags, GfxFormat targetFormat, int depthFormat, bool part, bool largerDepth);

    // Targets (host/GfxTargets.cpp).
    uint32_t FramebufferFor(GfxSurface* colour, GfxSurface* depth);
    bool BindTargetFramebuffer();
    void TargetSize(uint32_t* width, uint32_t* height) const;
    uint32_t ResolvedBackBufferFramebuffer();
    // The target is the back buffer, stored with alpha though its format has none: its alpha
    // must read as 1 wherever the game could see it (blending, reading, copying out).
    bool BackBufferAlphaIsOne(const GfxSurface* target) const;
    GfxResult ReadTarget(GfxSurface* target, GfxFormat format, uint8_t* out, size_t pitch);

    enum LossState { LOSS_NONE, LOSS_LOST, LOSS_NOTRESET, LOSS_DRIVERERROR };
    enum : uint32_t {
        DIRTY_BLEND = 1,
        DIRTY_DEPTH = 2,
        DIRTY_STENCIL = 4,
        DIRTY_RASTER = 8,
        DIRTY_VIEWPORT = 16,
        DIRTY_TARGET = 32,
        DIRTY_VERTEX_INPUT = 64,
        DIRTY_ALL = 0xFFFFFFFF,
    };

    GfxWindow* window_;
    void* context_ = nullptr;
    std::string driverDescription_;
    bool swapIntervalRefused_ = false;
    uint32_t refs_ = 1;
    PresentParameters params_;
    GfxCaps caps_;
    bool s3tc_ = false;
    bool anisotropic_ = false;
    bool mirrorClampToEdge_ = false;

    LossState loss_ = LOSS_NONE;
    int lostPolls_ = 0;
    int errorPolls_ = 0;
    GfxResult resetFailure_ = GFX_OK;
    int resetFailures_ = 0;
    bool inScene_ = false;

    std::unordered_set<GfxResource*> resources_;
    int64_t textureMemory_ = 0;

    // The back buffer and its depth-stencil surface (held by the device), and a single-sample
    // copy of a multisampled back buffer.
    GfxSurface* backBuffer_ = nullptr;
    GfxSurface* autoDepthStencil_ = nullptr;
    uint32_t resolveFramebuffer_ = 0;
    uint32_t resolveRenderbuffer_ = 0;

    // Bindings, each holding a reference.
    GfxSurface* renderTarget_ = nullptr;
    GfxSurface* depthStencil_ = nullptr;
    GfxBaseTexture* textures_[MAX_SAMPLERS] = {};
    struct Stream {
        GfxVertexBuffer* buffer = nullptr;
        uint32_t offset = 0;
        uint32_t stride = 0;
    } streams_[MAX_VERTEX_STREAMS];
    GfxIndexBuffer* indices_ = nullptr;
    GfxVertexDeclaration* declaration_ = nullptr;
    uint32_t fvf_ = 0;
    GfxProgram* program_ = nullptr;

    // States as the game set them.
    uint32_t renderStates_[RENDER_STATE_COUNT] = {};
    uint32_t stageStates_[MAX_TEXTURE_STAGES][TEXTURE_STAGE_STATE_COUNT] = {};
    uint32_t samplerStates_[MAX_SAMPLERS][SAMPLER_STATE_COUNT] = {};
    Matrix world_, view_, projection_;
    Matrix textureTransforms_[MAX_TEXTURE_STAGES];
    GfxMaterial material_;
    GfxLight lights_[MAX_LIGHTS];
    bool lightEnabled_[MAX_LIGHTS] = {};
    Viewport viewport_;
    GfxRect scissor_;

    // OpenGL side.
    uint32_t vao_ = 0;
    uint32_t samplers_[MAX_SAMPLERS] = {};
    bool samplerDirty_[MAX_SAMPLERS] = {};
    uint32_t samplerMinFilter_[MAX_SAMPLERS] = {};  // the min filter each sampler object has
    uint32_t dirty_ = DIRTY_ALL;
    uint32_t glProgram_ = 0;
    uint32_t glFramebuffer_ = 0;
    uint32_t blackTexture_ = 0;
    uint32_t blackCube_ = 0;
    uint32_t upVertexBuffer_ = 0;
    uint32_t upIndexBuffer_ = 0;
    bool upActive_ = false;  // a draw from memory: stream 0 is upVertexBuffer_
    uint32_t upStride_ = 0;
    uint32_t enabledAttributes_ = 0;  // vertex attribute arrays switched on
    std::string lastKey_;              // the fixed-function key of the last draw, and its program
    FixedFunctionProgram* lastProgram_ = nullptr;
    uint32_t boundTexture_[MAX_SAMPLERS] = {};
    uint32_t boundTarget_[MAX_SAMPLERS] = {};
    uint64_t uniformSerial_ = 1;
    std::map<uint32_t, GfxVertexDeclaration*> fvfDeclarations_;
    std::unordered_map<std::string, std::unique_ptr<FixedFunctionProgram>> fixedFunctionPrograms_;
    struct Framebuffer {
        GfxSurface* colour;
        GfxSurface* depth;
        uint32_t name;
        bool complete;
    };
    std::vector<Framebuffer> framebuffers_;
    bool warnedIncomplete_ = false;
    std::vector<std::string>* recordedStates_ = nullptr;
    std::unordered_set<std::string> recordedSet_;

    friend class GfxResource;
    friend class GfxBaseTexture;
    friend class GfxSurface;
    friend class GfxBuffer;
    friend class GfxProgram;
};
