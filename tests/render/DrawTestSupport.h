#pragma once
// The drawing tests' screen: the render tests' graphics device (one for the test program) on
// the 2D layer's 1024 x 768 screen, with a texture manager. Each test starts from default
// states and a black back buffer inside a scene, and must leave no object of the default pool
// alive.
#include "host/GfxDevice.h"
#include "tests/render/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr int kDrawWidth = 1024;
constexpr int kDrawHeight = 768;

// The back buffer as drawn so far, 0xAARRGGBB, row 0 at the top.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(int x, int y) const { return argb[(size_t)y * width + x]; }
    // The smallest box holding every pixel brighter than the threshold (any channel) inside
    // the area; false when there is none. Right and bottom are exclusive.
    bool LitBox(int* left, int* top, int* right, int* bottom, int threshold = 48, int x0 = 0, int y0 = 0,
                int x1 = -1, int y1 = -1) const;
    int CountLit(int x0, int y0, int x1, int y1, int threshold = 48) const;
};
Picture ReadBack();
bool SavePicture(const Picture& picture, const std::string& path);

// A square texture file of one colour (0xAARRGGBB) in the test's temporary folder, or two
// colours side by side; returns its path. The texture manager keeps textures by file name and
// looks in the game's packages first, so every test names its own, and none may take a name
// the game ships (such as white.dds).
std::string MakeTextureFile(const char* name, uint32_t colour, uint32_t rightColour = 0, int size = 8);
// A white dot fading out towards its edge, for particles.
std::string MakeSoftDotTexture(const char* name);

class DrawTest : public RenderTest {
protected:
    DrawTest()
    {
        screenWidth = kDrawWidth;
        screenHeight = kDrawHeight;
    }
    void SetUp() override;
    void TearDown() override;
    GfxDevice* device = nullptr;
};
