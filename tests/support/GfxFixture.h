#pragma once
// Shared by every test that draws: a fixture that gives each test the device's default states
// and a cleared back buffer inside a scene, pixels read back from the device, colour checks,
// and the small vertex layouts, textures and targets the tests draw with. Only the host layer
// is used here, so the device tests share it with the game's drawing tests.
//
// A test program keeps one window and one device: the device tests get a bare device on a
// window of their own (TestDevice); programs whose device the game makes give theirs to the
// fixture instead (GfxFixture::OpenDevice).
#include "host/GfxDevice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kTestWidth = 64;
constexpr uint32_t kTestHeight = 48;

// The bare device of this test program on a kTestWidth x kTestHeight window (made on first use,
// freed when the program ends), or null when no display is reachable.
GfxDevice* TestDevice();

// ---- Pixels read back

// A picture as 0xAARRGGBB, row 0 at the top.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;

    uint32_t At(int x, int y) const { return argb[(size_t)y * width + x]; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // The smallest box holding every pixel brighter than the threshold (any colour channel)
    // inside the area; false when there is none. Right and bottom are exclusive.
    bool LitBox(int* left, int* top, int* right, int* bottom, int threshold = 48, int x0 = 0, int y0 = 0,
                int x1 = -1, int y1 = -1) const;
    int CountLit(int x0, int y0, int x1, int y1, int threshold = 48) const;
};

// The surface's pixels (a texture level, a render target or the back buffer; A8R8G8B8 or
// X8R8G8B8, the latter read as opaque); empty when it cannot be read.
Pixels ReadSurfacePixels(GfxDevice* device, GfxSurface* surface);
Pixels ReadBackBuffer(GfxDevice* device);
// Writes the picture as a PNG file.
bool SavePixels(const Pixels& pixels, const std::string& path);

inline int Red(uint32_t c) { return (c >> 16) & 0xFF; }
inline int Green(uint32_t c) { return (c >> 8) & 0xFF; }
inline int Blue(uint32_t c) { return c & 0xFF; }
inline int Alpha(uint32_t c) { return c >> 24; }
// True when every channel (alpha too) is within `tolerance` of the expected colour.
bool Near(uint32_t actual, uint32_t expected, int tolerance = 2);
::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected, int tolerance = 2);

// ---- Things to draw with

// Pre-transformed vertex with a colour and one texture coordinate set (the 2D layer's layout).
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kScreenFVF = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;

// A pre-transformed quad covering pixels [x0, x1) x [y0, y1) (edges on pixel borders), with
// texture coordinates 0..1 across it, drawn from memory as a triangle fan.
void DrawScreenQuad(GfxDevice* device, float x0, float y0, float x1, float y1, uint32_t color, float z = 0.5f);
// Identity world and view, and an orthographic projection of width x height centred on the
// origin, y up.
void UseOrthographicView(GfxDevice* device, float width, float height, float zNear, float zFar);
// Colour (and alpha) from the vertex only, lighting off.
void UseVertexColour(GfxDevice* device);

// A texture filled from 0xAARRGGBB values (A8R8G8B8, managed, one level).
GfxTexture* MakeTexture(GfxDevice* device, uint32_t width, uint32_t height, const uint32_t* argb, uint32_t usage = 0);
// One texel of one colour.
GfxTexture* SolidTexture(GfxDevice* device, uint32_t argb);

// A render target texture (A8R8G8B8 unless asked otherwise, cleared to transparent black)
// bound for the life of the object, with a depth buffer of its size when asked for; the
// previous target and depth buffer are bound again afterwards.
class ScopedTarget {
public:
    ScopedTarget(GfxDevice* device, uint32_t width, uint32_t height, GfxFormat format = FMT_A8R8G8B8,
                 bool withDepth = false);
    ~ScopedTarget();
    ScopedTarget(const ScopedTarget&) = delete;
    ScopedTarget& operator=(const ScopedTarget&) = delete;
    bool IsBound() const { return previous_ != nullptr; }
    Pixels Read() const { return ReadSurfacePixels(device_, surface_); }
    GfxTexture* texture = nullptr;

private:
    GfxDevice* device_;
    GfxSurface* surface_ = nullptr;
    GfxSurface* depth_ = nullptr;
    GfxSurface* previous_ = nullptr;
    GfxSurface* previousDepth_ = nullptr;
};

// ---- Each test's scene

// Clears the back buffer to opaque black (depth 1, stencil 0) and begins a scene.
void BeginTestScene(GfxDevice* device);
// Ends the scene and lets go of everything a test may have left bound: program, textures,
// vertex streams and indices.
void EndTestScene(GfxDevice* device);

// Every test with the device: the device's default states (a reset) and a back buffer of
// backBufferWidth x backBufferHeight cleared inside a scene; afterwards nothing bound and no
// object of the default pool left alive. Skipped without a display.
class GfxFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Where the fixture's device comes from: TestDevice unless the program makes its own.
    virtual GfxDevice* OpenDevice() { return TestDevice(); }

    GfxDevice* device = nullptr;
    uint32_t backBufferWidth = kTestWidth;
    uint32_t backBufferHeight = kTestHeight;
};
