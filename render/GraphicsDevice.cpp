#include "render/GraphicsDevice.h"

#include "host/GfxDevice.h"
#include "host/GfxWindow.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/PackageFile.h"
#include "render/MeshFormat.h"
#include "render/Draw2D.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"

#include <cstdio>
#include <cstring>

GraphicsDevice* Graphics = nullptr;
PresentParameters PresentParams;
PackageFile* TexturePackage = nullptr;
PackageFile* LowTexturePackage = nullptr;
PackageFile* GuiPackage = nullptr;
PackageFile* TexturePatchPackage = nullptr;
bool NonPow2TexturesAllowed = false;
bool ForceLooseTextureFiles = false;

namespace {

struct DeviceStep {
    DeviceObjectsOperation operation;
    void* user;
};

void ReleaseTextureManager(void*)
{
    if (Textures) Textures->ReleaseRenderTargets();
}

void RestoreTextureManager(void*)
{
    if (Textures) Textures->RestoreRenderTargets();
}

DeviceStep releaseSteps[RELEASE_STEP_COUNT] = {
    {nullptr, nullptr}, {nullptr, nullptr}, {ReleaseTextureManager, nullptr},
};
DeviceStep restoreSteps[RESTORE_STEP_COUNT] = {
    {RestoreTextureManager, nullptr},
};

bool MessageBoxesOn()
{
    return Config && Config->messageBoxErrors;
}

// A wrapper's failure: a box without caption (when boxes are on) and a log line with the
// result's name.
void ReportFailure(const char* box, const char* logPrefix, GfxResult result)
{
    if (MessageBoxesOn()) ShowMessageBox("", box);
    char name[64];
    D3DErrorName(result, name, sizeof name);
    Log("%s%s\n", logPrefix, name);
}

// The texture packages InitGraphics opened (the others belong to whoever filled the slot).
bool ownsPackage[4] = {};
PackageFile** const texturePackageSlots[4] = {&TexturePackage, &TexturePatchPackage, &LowTexturePackage, &GuiPackage};

void OpenPackageSlot(int slot, const char* name, bool onlyWhenPresent)
{
    PackageFile** package = texturePackageSlots[slot];
    if (*package) return;
    char path[MAX_PATH_TEXT];
    CopyText(path, sizeof path, name);
    FixPath(path);
    if (onlyWhenPresent) {
        FileStatus status;
        if (GetFileStatus(ResolvePathCase(path).c_str(), status) != 0) return;
    }
    *package = new PackageFile();
    (*package)->Open(path, false);
    ownsPackage[slot] = true;
}

uint32_t ClampedSamples()
{
    int samples = Config ? Config->antiAliasingSamples : 0;
    if (samples < 0) samples = 0;
    if (samples > 16) samples = 16;
    return (uint32_t)samples;
}

uint32_t ColourByte(float c)
{
    if (!(c > 0.0f)) return 0;
    if (c > 1.0f) c = 1.0f;
    return (uint32_t)(c * 255.0f);
}

}  // namespace

void SetDeviceReleaseStep(DeviceReleaseStep step, DeviceObjectsOperation operation, void* user)
{
    if (step < 0 || step >= RELEASE_STEP_COUNT) return;
    releaseSteps[step] = {operation, user};
}

void SetDeviceRestoreStep(DeviceRestoreStep step, DeviceObjectsOperation operation, void* user)
{
    if (step < 0 || step >= RESTORE_STEP_COUNT) return;
    restoreSteps[step] = {operation, user};
}

// ---- Set-up and lifetime -----------------------------------------------------------------------

GraphicsDevice::GraphicsDevice() = default;

GraphicsDevice::~GraphicsDevice()
{
    if (device) ReleaseDeviceObjects();
    for (int slot = 0; slot < 4; ++slot) {
        PackageFile** package = texturePackageSlots[slot];
        if (!*package) continue;
        (*package)->Close();
        if (ownsPackage[slot]) {
            delete *package;
            *package = nullptr;
            ownsPackage[slot] = false;
        }
    }
    CloseMeshPackages();
    SafeRelease(&device);
    window = nullptr;
    if (Graphics == this) Graphics = nullptr;
}

bool GraphicsDevice::InitGraphics(GfxWindow* targetWindow, bool fullscreen, int width, int height)
{
    if (GfxFailed(InitDirect3D(targetWindow, fullscreen, width, height))) return false;
    OpenPackageSlot(0, "Data/textures.pkb", false);
    OpenPackageSlot(1, "Data/textures_patch.pkb", true);
    OpenPackageSlot(2, "Data/textureslow.pkb", false);
    OpenPackageSlot(3, "Data/gui.pkb", false);
    return true;
}

GfxResult GraphicsDevice::InitDirect3D(GfxWindow* targetWindow, bool fullscreen, int width, int height)
{
    Log("    InitDirect3D : ");
    if (!targetWindow || !targetWindow->IsOpen()) {
        if (MessageBoxesOn()) ShowMessageBox("", "ERROR: InitDirect3D");
        Log("    ERROR: InitDirect3D Direct3DCreate9\n");
        return GFX_E_FAIL;
    }
    window = targetWindow;

    PresentParams = PresentParameters();
    PresentParams.BackBufferWidth = width > 0 ? (uint32_t)width : 0;
    PresentParams.BackBufferHeight = height > 0 ? (uint32_t)height : 0;
    PresentParams.BackBufferFormat = FMT_X8R8G8B8;
    PresentParams.SwapEffect = SWAPEFFECT_DISCARD;
    PresentParams.EnableAutoDepthStencil = true;
    PresentParams.AutoDepthStencilFormat = FMT_D24S8;
    bool antiAliasing = Config && Config->antiAliasing;
    PresentParams.MultiSampleType = 0;
    if (fullscreen) {
        PresentParams.Windowed = false;
        PresentParams.FullScreen_RefreshRateInHz = 0;
        PresentParams.PresentationInterval =
            Config && Config->vsync ? PRESENT_INTERVAL_DEFAULT : PRESENT_INTERVAL_IMMEDIATE;
    } else {
        PresentParams.Windowed = true;
        PresentParams.PresentationInterval = PRESENT_INTERVAL_DEFAULT;
        if (antiAliasing) PresentParams.MultiSampleType = ClampedSamples();
    }

    GfxResult result = GfxDevice::Create(window, &PresentParams, &device);
    if (GfxFailed(result)) {
        // No box here: the shell tells the player once why there is no device
        // (GfxDevice::GetCreateError), and a second box would only say that it failed.
        char name[64];
        D3DErrorName(result, name, sizeof name);
        Log("    ERROR: InitDirect3D CreateDevice %s\n", name);
        device = nullptr;
        return GFX_E_FAIL;
    }

    // A sample count the device cannot give turns anti-aliasing off for good (the setting is
    // saved that way), and the back buffer is made again without samples.
    if (antiAliasing) {
        uint32_t samples = ClampedSamples();
        if (GfxFailed(device->CheckDeviceMultiSampleType(PresentParams.BackBufferFormat, false, samples, nullptr)) ||
            GfxFailed(device->CheckDeviceMultiSampleType(FMT_D24S8, false, samples, nullptr))) {
            Config->antiAliasing = false;
            Log("    WARNING: Anti-aliasing disabled : failed device caps.");
            PresentParameters current;
            device->GetPresentParameters(&current);
            if (current.MultiSampleType > 1) {
                current.MultiSampleType = 0;
                current.MultiSampleQuality = 0;
                device->Reset(&current);
            }
        }
    }
    device->GetPresentParameters(&PresentParams);

    if (!CheckCaps()) return GFX_E_FAIL;
    SetDefaultStates();
    // A new device knows none of the states the cache believes set on the one before it.
    RenderStates.Reset();
    Log(" OK!\n");
    Log("    Graphics: %s\n", device->GetDriverDescription().c_str());
    return GFX_OK;
}

void GraphicsDevice::SetDefaultStates()
{
    device->SetRenderState(RS_MULTISAMPLEANTIALIAS, Config && Config->antiAliasing ? 1 : 0);
    SetupFog(0xFF404040u, FOG_EXP);
    device->SetRenderState(RS_ZENABLE, 1);
    device->SetRenderState(RS_CULLMODE, CULL_CCW);
    device->SetRenderState(RS_LIGHTING, 1);
    lighting = true;
    device->SetRenderState(RS_ZENABLE, 1);
    device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    device->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    device->SetSamplerState(1, SAMP_MINFILTER, TEXF_LINEAR);
    device->SetSamplerState(1, SAMP_MAGFILTER, TEXF_LINEAR);
    device->SetSamplerState(1, SAMP_MIPFILTER, TEXF_LINEAR);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    device->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    device->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    device->SetRenderState(RS_STENCILENABLE, 0);
    device->SetRenderState(RS_STENCILZFAIL, STENCILOP_KEEP);
    device->SetRenderState(RS_STENCILFAIL, STENCILOP_KEEP);
    device->SetRenderState(RS_STENCILREF, 1);
    device->SetRenderState(RS_STENCILMASK, 0xFFFFFFFFu);
    device->SetRenderState(RS_STENCILWRITEMASK, 0xFFFFFFFFu);
    device->SetRenderState(RS_CCW_STENCILFUNC, CMP_ALWAYS);
    device->SetRenderState(RS_CCW_STENCILZFAIL, STENCILOP_KEEP);
    device->SetRenderState(RS_CCW_STENCILFAIL, STENCILOP_KEEP);
    device->SetRenderState(RS_CCW_STENCILPASS, STENCILOP_DECR);
}

bool GraphicsDevice::CheckCaps()
{
    if (!device) return false;
    GfxCaps caps;
    device->GetDeviceCaps(&caps);
    if (caps.PixelShaderVersion >= PixelShaderVersion(2, 0)) {
        NonPow2TexturesAllowed = (caps.TextureCaps & PTEXTURECAPS_NONPOW2CONDITIONAL) != 0;
        return true;
    }
    char text[160];
    snprintf(text, sizeof text, "ERROR: CheckCaps.\n Requires minimum pixel shader version 2.0.\nCurrent version %d.%d.",
             (int)ShaderVersionMajor(caps.PixelShaderVersion), (int)ShaderVersionMinor(caps.PixelShaderVersion));
    ShowMessageBox("", text);
    Log("%s\n", text);
    return false;
}

// ---- Lost device ---------------------------------------------------------------------------------

int GraphicsDevice::CheckDeviceLost()
{
    if (!device) return DEVICE_ERROR;
    GfxResult result = device->TestCooperativeLevel();
    if (result == ERR_DRIVERINTERNALERROR) {
        Log("WARNING TestCooperativeLevel returned D3DERR_DRIVERINTERNALERROR\n");
        return DEVICE_ERROR;
    }
    if (result == ERR_DEVICELOST) return DEVICE_LOST;
    if (result == ERR_DEVICENOTRESET) {
        Log("Device Reset()\n");
        return ResetDevice();
    }
    return DEVICE_USABLE;
}

int GraphicsDevice::ResetDevice()
{
    if (!device) return DEVICE_ERROR;
    ReleaseDeviceObjects();
    if (Config) {
        PresentParams.BackBufferWidth = (uint32_t)Config->width;
        PresentParams.BackBufferHeight = (uint32_t)Config->height;
    }
    GfxResult result = device->Reset(&PresentParams);
    if (result == ERR_INVALIDCALL) {
        Log("IDirect3DDevice9::Reset returned D3DERR_INVALIDCALL.\n");
        return DEVICE_ERROR;
    }
    if (result == ERR_DEVICELOST) {
        Log("IDirect3DDevice9::Reset D3DERR_DEVICELOST.\n");
        return DEVICE_LOST;
    }
    if (result == GFX_E_OUTOFMEMORY) {
        Log("IDirect3DDevice9::Reset returned E_OUTOFMEMORY.\n");
        return DEVICE_ERROR;
    }
    if (result == ERR_OUTOFVIDEOMEMORY) {
        Log("IDirect3DDevice9::Reset returned D3DERR_OUTOFVIDEOMEMORY.\n");
        return DEVICE_ERROR;
    }
    if (result == ERR_DRIVERINTERNALERROR) {
        Log("IDirect3DDevice9::Reset returned D3DERR_DRIVERINTERNALERROR.\n");
        return DEVICE_ERROR;
    }
    if (result == GFX_OK) Log("IDirect3DDevice9::Reset OK!!!.\n");
    // A reset puts every state back to the device's own defaults: give the game its own again.
    SetDefaultStates();
    RenderStates.Reset();
    RestoreDeviceObjects();
    return DEVICE_USABLE;
}

void GraphicsDevice::ReleaseDeviceObjects()
{
    for (const DeviceStep& step : releaseSteps)
        if (step.operation) step.operation(step.user);
}

void GraphicsDevice::RestoreDeviceObjects()
{
    for (const DeviceStep& step : restoreSteps)
        if (step.operation) step.operation(step.user);
}

// ---- Frame -----------------------------------------------------------------------------------

bool GraphicsDevice::BeginScene()
{
    return device && GfxSucceeded(device->BeginScene());
}

bool GraphicsDevice::Present()
{
    if (!device) return false;
    device->EndScene();
    if (pendingScreenshot_[0]) {
        SaveBackBuffer(pendingScreenshot_, pendingScreenshotFormat_);
        pendingScreenshot_[0] = 0;
    }
    return GfxSucceeded(device->Present());
}

bool GraphicsDevice::Clear(uint8_t flags, float red, float green, float blue, float alpha)
{
    if (!device) return false;
    GfxColor colour = ColorARGB(ColourByte(alpha), ColourByte(red), ColourByte(green), ColourByte(blue));
    GfxResult result = device->Clear(0, nullptr, flags & (CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL), colour, 1.0f, 0);
    if (GfxFailed(result)) {
        if (MessageBoxesOn()) ShowMessageBox("", "ERROR: Clear");
        Log("    ERROR: Clear\n");
        return false;
    }
    return true;
}

bool GraphicsDevice::ClearRect(int left, int top, int right, int bottom, uint32_t argb)
{
    if (!device || right <= left || bottom <= top) return false;
    GfxRect rect;
    rect.left = left, rect.top = top, rect.right = right, rect.bottom = bottom;
    return !GfxFailed(device->Clear(1, &rect, CLEAR_TARGET, argb, 1.0f, 0));
}

bool GraphicsDevice::DrawPrimitive(GfxPrimitiveType type, uint32_t primitiveCount)
{
    return device && GfxSucceeded(device->DrawPrimitive(type, 0, primitiveCount));
}

bool GraphicsDevice::DrawIndexedPrimitive(GfxPrimitiveType type, uint32_t vertexCount, uint32_t primitiveCount)
{
    return device && GfxSucceeded(device->DrawIndexedPrimitive(type, 0, 0, vertexCount, 0, primitiveCount));
}

// ---- States ----------------------------------------------------------------------------------

void GraphicsDevice::SetDeviceRenderState(uint32_t state, uint32_t value)
{
    if (device) device->SetRenderState((RenderStateType)state, value);
}

void GraphicsDevice::SetRenderState(bool enable)
{
    if (device) device->SetRenderState(RS_LIGHTING, enable ? 1 : 0);
    lighting = enable;
}

void GraphicsDevice::SetMaterial(const GfxMaterial* material)
{
    if (device) device->SetMaterial(material);
}

void GraphicsDevice::SetTexture(const TextureRecord* record, uint32_t stage)
{
    if (device) device->SetTexture(stage, record ? record->texture : nullptr);
}

void GraphicsDevice::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value)
{
    if (device) device->SetTextureStageState(stage, (TextureStageStateType)type, value);
}

void GraphicsDevice::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value)
{
    if (device) device->SetSamplerState(sampler, (SamplerStateType)type, value);
}

void GraphicsDevice::SetLight(uint32_t index, const GfxLight* light)
{
    if (device) device->SetLight(index, light);
}

void GraphicsDevice::LightEnable(uint32_t index, bool enable)
{
    if (device) device->LightEnable(index, enable);
}

void GraphicsDevice::SetTransform(TransformStateType state, const Matrix* matrix)
{
    if (device) device->SetTransform(state, matrix);
}

bool GraphicsDevice::SetStreamSource(GfxVertexBuffer* buffer, uint32_t stride)
{
    if (!device) return false;
    GfxResult result = device->SetStreamSource(0, buffer, 0, stride);
    if (GfxFailed(result)) {
        ReportFailure("ERROR: SetStreamSource failed", "    ERROR: SetStreamSource ", result);
        return false;
    }
    return true;
}

bool GraphicsDevice::SetIndices(GfxIndexBuffer* indices)
{
    if (device) device->SetIndices(indices);
    return true;
}

bool GraphicsDevice::SetFVF(uint32_t fvf)
{
    RenderStates.SetFVF(fvf);
    return true;
}

void GraphicsDevice::SetProgram(GfxProgram* program)
{
    if (device) device->SetProgram(program);
}

void GraphicsDevice::GetViewport(Viewport* viewport)
{
    if (device && viewport) device->GetViewport(viewport);
}

bool GraphicsDevice::SetViewport(const Viewport* viewport)
{
    if (!device) return false;
    GfxResult result = device->SetViewport(viewport);
    if (GfxFailed(result)) {
        ReportFailure("ERROR: SetViewport", "    ERROR: SetViewport ", result);
        return false;
    }
    return true;
}

// ---- Objects ---------------------------------------------------------------------------------

bool GraphicsDevice::CreateRenderTarget(uint32_t width, uint32_t height, GfxFormat format, TextureRecord* record)
{
    if (!record) return false;
    SafeRelease(&record->texture);
    GfxTexture* texture = nullptr;
    GfxResult result = device ? device->CreateTexture(width, height, 1, USAGE_RENDERTARGET, format, POOL_DEFAULT, &texture)
                              : ERR_INVALIDDEVICE;
    if (GfxFailed(result)) {
        ReportFailure("ERROR: CreateRenderTarget failed", "    ERROR: CreateRenderTarget ", result);
        record->texture = nullptr;
        return false;
    }
    record->texture = texture;
    return true;
}

bool GraphicsDevice::CreateDynamicTexture(uint32_t width, uint32_t height, GfxFormat format, TextureRecord* record,
                                          uint32_t levels)
{
    if (!record) return false;
    SafeRelease(&record->texture);
    GfxTexture* texture = nullptr;
    GfxResult result = device ? device->CreateTexture(width, height, levels, USAGE_DYNAMIC, format, POOL_DEFAULT, &texture)
                              : ERR_INVALIDDEVICE;
    if (GfxFailed(result)) {
        ReportFailure("ERROR: CreateDynamicTexture failed", "    ERROR: CreateDynamicTexture ", result);
        record->texture = nullptr;
        return false;
    }
    record->texture = texture;
    return true;
}

bool GraphicsDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxVertexBuffer** out)
{
    GfxResult result = device ? device->CreateVertexBuffer(length, usage, fvf, POOL_DEFAULT, out) : ERR_INVALIDDEVICE;
    if (GfxFailed(result)) {
        char name[64], text[128];
        D3DErrorName(result, name, sizeof name);
        snprintf(text, sizeof text, "Error CreateVB: %s", name);
        if (MessageBoxesOn()) ShowMessageBox("ERROR", text);
        Log("%s\n", text);
        return false;
    }
    return true;
}

bool GraphicsDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, GfxFormat format, GfxIndexBuffer** out)
{
    GfxResult result = device ? device->CreateIndexBuffer(length, usage, format, POOL_MANAGED, out) : ERR_INVALIDDEVICE;
    if (GfxFailed(result)) {
        if (MessageBoxesOn()) ShowMessageBox("ERROR", "Error creating index buffer");
        char name[64];
        D3DErrorName(result, name, sizeof name);
        Log("%s\n", name);
        return false;
    }
    return true;
}

bool GraphicsDevice::LockVertexBuffer(uint32_t size, void** out, GfxVertexBuffer* buffer)
{
    GfxResult result = buffer ? ((GfxBuffer*)buffer)->Lock(0, size, out, 0) : ERR_INVALIDCALL;
    if (GfxFailed(result)) {
        if (MessageBoxesOn()) ShowMessageBox("ERROR", "Error locking vertex buffer");
        char name[64];
        D3DErrorName(result, name, sizeof name);
        Log("    ERROR: InitGeometry Lock %s\n", name);
        return false;
    }
    return true;
}

bool GraphicsDevice::LockIndexBuffer(uint32_t size, void** out, GfxIndexBuffer* buffer)
{
    GfxResult result = buffer ? ((GfxBuffer*)buffer)->Lock(0, size, out, 0) : ERR_INVALIDCALL;
    if (GfxFailed(result)) {
        if (MessageBoxesOn()) ShowMessageBox("ERROR", "Error locking index buffer");
        char name[64];
        D3DErrorName(result, name, sizeof name);
        Log("    ERROR: InitGeometry Lock %s\n", name);
        return false;
    }
    return true;
}

bool GraphicsDevice::UnlockBuffer(GfxBuffer* buffer)
{
    if (buffer) buffer->Unlock();
    return true;
}

// ---- 2D mode and fog ---------------------------------------------------------------------------

void GraphicsDevice::Begin2D()
{
    if (!device) return;
    Matrix projection, identity;
    MatrixOrthoLH(&projection, (float)ScreenWidth(), (float)ScreenHeight(), 0.0f, 1.0f);
    MatrixIdentity(&identity);
    device->SetTransform(TS_PROJECTION, &projection);
    device->SetTransform(TS_WORLD, &identity);
    device->SetTransform(TS_VIEW, &identity);
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetRenderState(RS_ZENABLE, 0);
}

void GraphicsDevice::End2D()
{
    if (device) device->SetRenderState(RS_ZENABLE, 1);
}

void GraphicsDevice::SetupFog(uint32_t color, uint32_t mode)
{
    if (!device) return;
    device->SetRenderState(RS_FOGENABLE, 1);
    device->SetRenderState(RS_FOGCOLOR, color);
    if (mode == FOG_LINEAR) {
        device->SetRenderState(RS_FOGTABLEMODE, FOG_LINEAR);
        device->SetRenderState(RS_FOGSTART, FloatBits(10.0f));
        device->SetRenderState(RS_FOGEND, FloatBits(1000.0f));
    } else {
        device->SetRenderState(RS_FOGTABLEMODE, mode);
        device->SetRenderState(RS_FOGDENSITY, FloatBits(0.005f));
    }
}
