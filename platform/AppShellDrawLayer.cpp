// The shell's hookup of the 2D layer to the graphics device.
#include "platform/AppShell.h"

#include "render/Draw2D.h"
#include "render/FrameGraph.h"

void AttachDrawLayer(GfxDevice* device)
{
    SetDrawDevice(device);
}

void DetachDrawLayer()
{
    ReleaseFrameGraphBuffers();
    ReleaseDrawTextures();
    SetDrawDevice(nullptr);
}
