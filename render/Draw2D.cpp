#include "render/Draw2D.h"

#include "host/GfxDevice.h"
#include "host/Log.h"
#include "platform/ConfigFile.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"

int ScreenWidth()
{
    return Config ? Config->width : 1024;
}

int ScreenHeight()
{
    return Config ? Config->height : 768;
}

uint32_t PackColour(float r, float g, float b, float a)
{
    auto byte = [](float c) -> uint32_t {
        if (c >= 1.0f) return 255;
        if (c <= 0.0f) return 0;
        return (uint32_t)(c * 255.0f + 0.5f);
    };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

void SetStageModulate()
{
    RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    RenderStates.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    RenderStates.SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG2, TA_DIFFUSE);
}

bool CreateManagedVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxVertexBuffer** out)
{
    *out = nullptr;
    GfxResult result = Graphics && Graphics->device
                           ? Graphics->device->CreateVertexBuffer(length, usage, fvf, POOL_MANAGED, out)
                           : ERR_INVALIDDEVICE;
    if (GfxSucceeded(result)) return true;
    char name[64];
    D3DErrorName(result, name, sizeof name);
    Log("Error CreateVB: %s\n", name);
    *out = nullptr;
    return false;
}
