#pragma once
// The drawing services the fonts, the 2D layer, the particles and the frame-time graph share:
// the device they draw with, the 2D mode, a few state setters, and textures by file name.
//
// Kept small on purpose: these stand in for the graphics device's wrappers, the render-state
// cache and the texture manager, and each call is one that those offer, so the callers keep
// their shape when this file is pointed at them.
#include "host/GfxTypes.h"
#include "host/Maths.h"

#include <cstdint>

class GfxDevice;
class GfxTexture;
class GfxVertexBuffer;
class GfxIndexBuffer;

// The device everything here draws with; null means nothing is drawn (and nothing made).
void SetDrawDevice(GfxDevice* device);
GfxDevice* GetDrawDevice();

// The configured screen size the 2D layer lays out in (1024 x 768 before a configuration
// exists).
int ScreenWidth();
int ScreenHeight();

// The 2D mode: an orthographic projection of the configured screen size centred on the
// screen (x to the right, y up), identity world and view, lighting and depth test off.
// End2D turns the depth test back on and nothing else.
void Begin2D();
void End2D();

// State setters (no-ops without a device).
void SetRenderState(RenderStateType state, uint32_t value);
void SetTextureStageState(uint32_t stage, TextureStageStateType type, uint32_t value);
void SetSamplerState(uint32_t sampler, SamplerStateType type, uint32_t value);
void SetTransform(TransformStateType state, const Matrix& matrix);

// Vertex buffers (default pool unless asked otherwise: released before a device reset) and
// index buffers (managed pool: they survive a reset). Failures are logged ("Error CreateVB:
// ..."); the out pointer is then null.
bool CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxVertexBuffer** out,
                        GfxPool pool = POOL_DEFAULT);
bool CreateIndexBuffer(uint32_t length, uint32_t usage, GfxFormat format, GfxIndexBuffer** out);
template <class T> void SafeRelease(T** object)
{
    if (*object) {
        (*object)->Release();
        *object = nullptr;
    }
}

// A texture loaded by name. The texture is null when the file could not be read.
struct DrawTexture {
    char name[128];  // the file name, without its folder
    GfxTexture* texture;
};

// The texture of a data path, loaded on first use and kept by file name (case ignored):
// looked up in data/textures.pkb, then data/gui.pkb, then read as a loose file. A file that
// cannot be found gives a record without texture (logged once). Null without a device.
DrawTexture* GetDrawTexture(const char* path);
// The record of a file name already loaded, else null.
DrawTexture* FindDrawTexture(const char* fileName);
// Frees every texture and closes the packages (shutdown, or a device that goes away).
void ReleaseDrawTextures();

// A colour of four floats packed as 0xAARRGGBB: each component 255 at or above 1, 0 at or
// below 0, else trunc(c x 255 + 0.5).
uint32_t PackColour(float r, float g, float b, float a);
