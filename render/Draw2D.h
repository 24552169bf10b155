#pragma once
// What the fonts, sprites, particles and the frame-time graph share on top of the graphics
// device (render/GraphicsDevice.h) and the render-state cache: the screen size the 2D layer
// lays out in, colours packed from floats, and the usual stage-0 blend of texture and vertex
// colour. Textures come from the texture manager (render/TextureManager.h), buffers from the
// device's wrappers.
#include <cstdint>

class GfxVertexBuffer;

// The configured screen size (1024 x 768 before a configuration exists): sprites are placed
// in its pixels and the device's 2D mode projects it.
int ScreenWidth();
int ScreenHeight();

// A colour of four floats packed as 0xAARRGGBB: each component 255 at or above 1, 0 at or
// below 0, else trunc(c x 255 + 0.5).
uint32_t PackColour(float r, float g, float b, float a);

// Stage 0 multiplies the texture by the vertex colour, in colour and in alpha (through the
// render-state cache).
void SetStageModulate();

// A vertex buffer of the managed pool, which survives device resets: for the few buffers no
// release list looks after (the frame-time graph's, a sprite the sprite table had no room
// for). Failures are logged as the device's own buffer wrapper logs them; *out is then null.
bool CreateManagedVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxVertexBuffer** out);
