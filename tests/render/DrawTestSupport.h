#pragma once
// The drawing tests' screen: the render tests' graphics device (one for the test program) on
// the 2D layer's 1024 x 768 screen, with a texture manager. Each test starts from default
// states and a black back buffer inside a scene, and must leave no object of the default pool
// alive.
#include "tests/render/RenderTestSupport.h"
#include "tests/support/GfxFixture.h"

#include <cstdint>
#include <string>

constexpr int kDrawWidth = 1024;
constexpr int kDrawHeight = 768;

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
