#pragma once
// Shared by the graphics device tests: one window and device for the whole test program, a
// fixture that gives every test the default states and a cleared back buffer, and helpers to
// draw simple geometry and read pixels back.
#include "host/GfxDevice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

constexpr uint32_t kTestWidth = 64;
constexpr uint32_t kTestHeight = 48;

// The device of this test program (made on first use), or null when no display is reachable.
GfxDevice* TestDevice();

// Pre-transformed vertex with a colour and one texture coordinate set (the font's layout).
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kScreenFVF = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;

// Untransformed vertex with normal, colour and one texture coordinate set.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kMeshFVF = FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE | FVF_TEX1;

// Pixels read back as 0xAARRGGBB, row 0 at the top.
struct Pixels {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(uint32_t x, uint32_t y) const { return argb[(size_t)y * width + x]; }
};
Pixels ReadBackBuffer(GfxDevice* device);
Pixels ReadTarget(GfxDevice* device, GfxSurface* target);  // A8R8G8B8 or X8R8G8B8 targets

inline int Red(uint32_t c) { return (c >> 16) & 0xFF; }
inline int Green(uint32_t c) { return (c >> 8) & 0xFF; }
inline int Blue(uint32_t c) { return c & 0xFF; }
inline int Alpha(uint32_t c) { return c >> 24; }
// True when every channel (alpha too) is within `tolerance` of the expected colour.
bool Near(uint32_t actual, uint32_t expected, int tolerance = 2);
::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance = 2);

// A pre-transformed quad covering pixels [x0, x1) x [y0, y1) (edges on pixel borders), with
// texture coordinates 0..1 across it, drawn from memory as a triangle fan.
void DrawScreenQuad(GfxDevice* device, float x0, float y0, float x1, float y1, uint32_t color, float z = 0.5f);

class GfxTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    GfxDevice* device = nullptr;
};

// A render target of A8R8G8B8 (alpha kept) bound for the life of the object; the back buffer
// is bound again afterwards.
class ScopedTarget {
public:
    ScopedTarget(GfxDevice* device, uint32_t width, uint32_t height, GfxFormat format = FMT_A8R8G8B8);
    ~ScopedTarget();
    Pixels Read() const { return ReadTarget(device_, surface_); }
    GfxTexture* texture = nullptr;

private:
    GfxDevice* device_;
    GfxSurface* surface_ = nullptr;
    GfxSurface* previous_ = nullptr;
};

// A texture filled from 0xAARRGGBB values (A8R8G8B8, managed, one level).
GfxTexture* MakeTexture(GfxDevice* device, uint32_t width, uint32_t height, const uint32_t* argb, uint32_t usage = 0);
// Colour (and alpha) from the vertex only, lighting off.
void UseVertexColour(GfxDevice* device);
