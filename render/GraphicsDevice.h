#pragma once
// The graphics device of the game: owns the host device for the life of the program, sets it
// up from the configuration, opens the texture packages, wraps the device calls the engine
// uses, loads 2D and cube textures (patch, GUI, low-detail and main packages, then loose
// files), takes screenshots, and runs the lost-device protocol: when the device can be reset,
// every device-dependent object of the game is released in one fixed order, the device is
// reset, and everything is restored in a second fixed order.
//
// The release and restore lists are fixed tables of steps. Every owner of objects in the
// default pool (textures, surfaces, vertex buffers, effects) fills its step with
// SetDeviceReleaseStep / SetDeviceRestoreStep. Contract of a step:
// - A release step frees every default-pool object of its owner and may run again before the
//   next restore (a reset that finds the device still lost is retried the next frame): it
//   must do nothing the second time.
// - A restore step makes the objects again; it runs only after a successful reset.
// - A step whose owner does not exist (yet) does nothing: owners may register at start-up and
//   test their own pointer inside the step.
#include "host/GfxTypes.h"
#include "host/Maths.h"

#include <cstddef>
#include <cstdint>

class GfxDevice;
class GfxWindow;
class GfxBaseTexture;
class GfxBuffer;
class GfxVertexBuffer;
class GfxIndexBuffer;
class GfxProgram;
class PackageFile;
struct TextureRecord;

// The release list, in the order it runs.
enum DeviceReleaseStep {
    RELEASE_FONT_CACHE,          // FontCache::InvalidateAll
    RELEASE_WINDOW_MANAGER,      // WindowManager::OnDeviceLost
    RELEASE_TEXTURE_MANAGER,     // TextureManager::ReleaseRenderTargets (filled in here)
    RELEASE_SPRITES,             // ReleaseAllSprites
    RELEASE_GALAXY,              // Galaxy::OnLostDevice
    RELEASE_EFFECTS,             // EffectManager::ReleaseAll
    RELEASE_MESHES,              // MeshLibrary::ReleaseAll
    RELEASE_PARTICLES,           // ParticleManager::ReleaseBuffers
    RELEASE_MINIMAP,             // Minimap::OnLostDevice
    RELEASE_TERRAIN,             // Terrain::ReleaseMeshes
    RELEASE_SCAN_RING,           // ScanEffects::ReleaseBuffers
    // The render passes' own objects, released and nulled; the passes make them again when
    // they find them null.
    RELEASE_SHADOW_MAP,
    RELEASE_SHADOW_DEPTH_SURFACE,
    RELEASE_TARGET_DEPTH_SURFACE,  // depth-stencil surface of the full-screen render target
    RELEASE_REFLECTION_MAP,
    RELEASE_STEP_COUNT
};

// The restore list, in the order it runs after a successful reset.
enum DeviceRestoreStep {
    RESTORE_TEXTURE_MANAGER,     // TextureManager::RestoreRenderTargets (filled in here)
    RESTORE_FONT_CACHE,          // FontCache::RestoreAll
    RESTORE_WINDOW_MANAGER,      // WindowManager::OnDeviceReset
    RESTORE_CHARACTER_SCREEN,    // the character screen's device reset
    RESTORE_GALAXY,              // Galaxy::OnResetDevice
    RESTORE_SPRITES,             // RestoreAllSprites
    RESTORE_EFFECTS,             // EffectManager::RestoreAll
    RESTORE_MESHES,              // MeshLibrary::RestoreAll
    RESTORE_PARTICLES,           // ParticleManager::RestoreBuffers
    RESTORE_MINIMAP,             // Minimap::OnResetDevice
    RESTORE_TERRAIN,             // Terrain::OnResetDevice
    RESTORE_SCAN_RING,           // ScanEffects::RestoreBuffers
    RESTORE_CONFORM_ENTITIES,    // Scene::ConformEntitiesToTerrain
    RESTORE_MINIMAP_RESET,       // Minimap::Reset(-1)
    RESTORE_START_SCREEN,        // the start screen draws its sky again
    RESTORE_STEP_COUNT
};

typedef void (*DeviceObjectsOperation)(void* user);

// Fills (or, with a null operation, empties) one step of a list. Process-wide: steps may be
// set before the device exists and stay set across devices.
void SetDeviceReleaseStep(DeviceReleaseStep step, DeviceObjectsOperation operation, void* user = nullptr);
void SetDeviceRestoreStep(DeviceRestoreStep step, DeviceObjectsOperation operation, void* user = nullptr);

// Result of CheckDeviceLost and ResetDevice.
enum : int { DEVICE_USABLE = 0, DEVICE_LOST = 1, DEVICE_ERROR = 2 };

class GraphicsDevice {
public:
    GraphicsDevice();
    // Releases the device objects, closes the packages, frees the device.
    virtual ~GraphicsDevice();
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;

    // ---- Set-up
    // InitDirect3D, then the texture packages; false when the device could not be made.
    bool InitGraphics(GfxWindow* window, bool fullscreen, int width, int height);
    // GFX_OK, or GFX_E_FAIL on any failure (logged).
    GfxResult InitDirect3D(GfxWindow* window, bool fullscreen, int width, int height);
    // Pixel shaders 2.0 at least; notes whether non-power-of-two textures may be loaded.
    bool CheckCaps();

    // ---- Lost device
    // Once per frame before drawing: DEVICE_USABLE, DEVICE_LOST (poll again later) or
    // DEVICE_ERROR (a driver error or a failed reset). Resets the device when it can be reset.
    int CheckDeviceLost();
    // Releases, resets at the configured size and restores: DEVICE_USABLE, DEVICE_LOST or
    // DEVICE_ERROR. Also the developer's reset command.
    int ResetDevice();
    // The release list.
    void ReleaseDeviceObjects();
    // The restore list.
    void RestoreDeviceObjects();

    // ---- Frame
    bool BeginScene();
    // Ends the scene and shows the back buffer (taking a pending windowed screenshot first).
    bool Present();
    // Flags: bit 0 target, bit 1 depth (to 1.0), bit 2 stencil (to 0); colour 0..1 per channel.
    bool Clear(uint8_t flags, float red, float green, float blue, float alpha);
    // Fills a screen rectangle (left, top inclusive; right, bottom exclusive) of the render
    // target with an ARGB colour.
    bool ClearRect(int left, int top, int right, int bottom, uint32_t argb);
    bool DrawPrimitive(GfxPrimitiveType type, uint32_t primitiveCount);
    bool DrawIndexedPrimitive(GfxPrimitiveType type, uint32_t vertexCount, uint32_t primitiveCount);

    // ---- States (straight to the device; the render-state cache calls SetDeviceRenderState)
    void SetDeviceRenderState(uint32_t state, uint32_t value);
    // The lighting switch, remembered in `lighting`.
    void SetRenderState(bool enable);
    void SetMaterial(const GfxMaterial* material);
    // A null record (or one without texture) unbinds the stage.
    void SetTexture(const TextureRecord* record, uint32_t stage);
    void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value);
    void SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value);
    void SetLight(uint32_t index, const GfxLight* light);
    void LightEnable(uint32_t index, bool enable);
    void SetTransform(TransformStateType state, const Matrix* matrix);
    bool SetStreamSource(GfxVertexBuffer* buffer, uint32_t stride);
    bool SetIndices(GfxIndexBuffer* indices);
    // Through the render-state cache.
    bool SetFVF(uint32_t fvf);
    // The effect framework's shader programs (vertex and pixel stages together); null returns
    // drawing to the fixed-function pipeline.
    void SetProgram(GfxProgram* program);
    void GetViewport(Viewport* viewport);
    bool SetViewport(const Viewport* viewport);

    // ---- Objects
    // One level, render-target usage, default pool; the record's texture is null on failure.
    bool CreateRenderTarget(uint32_t width, uint32_t height, GfxFormat format, TextureRecord* record);
    bool CreateDynamicTexture(uint32_t width, uint32_t height, GfxFormat format, TextureRecord* record,
                              uint32_t levels);
    // Vertex buffers live in the default pool (released with the device), index buffers in
    // the managed pool (they survive a reset).
    bool CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxVertexBuffer** out);
    bool CreateIndexBuffer(uint32_t length, uint32_t usage, GfxFormat format, GfxIndexBuffer** out);
    bool LockVertexBuffer(uint32_t size, void** out, GfxVertexBuffer* buffer);
    bool LockIndexBuffer(uint32_t size, void** out, GfxIndexBuffer* buffer);
    bool UnlockBuffer(GfxBuffer* buffer);

    // ---- 2D mode: an orthographic projection of the configured screen size centred on the
    // origin (x right, y up), identity world and view, no lighting, no depth test.
    void Begin2D();
    void End2D();
    // Fog on in the colour; FOG_LINEAR from 10 to 1000, any other mode with density 0.005.
    void SetupFog(uint32_t color, uint32_t mode);

    // ---- Textures
    // Search order: the texture patch package, then (names containing "/gui/") the GUI package,
    // then with low-detail textures the low-detail package or a "low/" file next to the
    // named one, then the main package, then the loose file. nonPow2 keeps the file's size
    // when the device allows it. The texture is made in the default pool; on failure (logged)
    // *out is null.
    bool LoadTexture(const char* name, GfxBaseTexture** out, bool nonPow2, bool dynamic);
    // Cube maps come from the main package or the loose file.
    bool LoadCubeTexture(const char* name, GfxBaseTexture** out);
    // Loads the record's file (its name becomes `name`): a cube map when the record says so,
    // else a 2D texture, at the file's size when the record asks for it.
    bool LoadTextureRecord(const char* name, TextureRecord* record, bool dynamic);

    // Saves what is on screen as fileName, in the configured screenshot format. Full screen
    // the picture is saved at once; windowed it is read from the back buffer when the frame
    // is presented next (the back buffer's contents are undefined after presenting).
    // width and height are not used.
    void SaveScreenshot(const char* fileName, int width, int height);
    // A windowed screenshot waits for the next present.
    bool IsScreenshotPending() const { return pendingScreenshot_[0] != 0; }

    GfxWindow* window = nullptr;  // the window the device draws into
    GfxDevice* device = nullptr;
    bool lighting = false;        // last value given to the lighting switch

private:
    // The states the game expects of a fresh device (after creation and after every reset).
    void SetDefaultStates();
    void SaveFrontBuffer(const char* fileName, int fileFormat);
    void SaveBackBuffer(const char* fileName, int fileFormat);

    char pendingScreenshot_[260] = {};
    int pendingScreenshotFormat_ = 0;
};

// The one graphics device, created by the application shell.
extern GraphicsDevice* Graphics;

// The presentation parameters of the device: filled before the device is made, then what the
// device reports; a reset changes only the back-buffer size.
extern PresentParameters PresentParams;

// The texture package slots. InitGraphics opens the ones that are still empty (so a test may
// fill a slot first); the device's destructor closes them (and frees those it opened). The
// mesh packages are the mesh loader's own (render/MeshFormat.h).
extern PackageFile* TexturePackage;         // "data/textures.pkb"
extern PackageFile* LowTexturePackage;      // "data/textureslow.pkb"
extern PackageFile* GuiPackage;             // "data/gui.pkb"
extern PackageFile* TexturePatchPackage;    // "data/textures_patch.pkb", when present

// Set by CheckCaps: textures may be loaded at sizes that are not powers of two.
extern bool NonPow2TexturesAllowed;
// While set, texture loads skip the packages and read loose files (the console's reload).
extern bool ForceLooseTextureFiles;

// Writes the name of a device result followed by its alignment tabs (as the log shows them).
void D3DErrorName(GfxResult result, char* out, size_t outSize);

// Releases a counted object when set and nulls the pointer.
template <class T>
void SafeRelease(T** object)
{
    if (object && *object) {
        (*object)->Release();
        *object = nullptr;
    }
}
