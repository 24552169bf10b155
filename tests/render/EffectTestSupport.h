#pragma once
// Shared by the effect tests: the render tests' device (one for the test program) on a 32 x 32
// back buffer, a fixture with a configuration and a shader package of the test's own, pixel
// read-back and solid textures.
#include "host/GfxDevice.h"
#include "platform/ConfigFile.h"
#include "render/EffectManager.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

constexpr uint32_t kEffectTestWidth = 32;
constexpr uint32_t kEffectTestHeight = 32;

// Null when no display is reachable.
GfxDevice* EffectTestDevice();
// The back buffer pixel as 0xAARRGGBB.
uint32_t ReadPixel(GfxDevice* device, uint32_t x, uint32_t y);
::testing::AssertionResult PixelNear(uint32_t actual, uint32_t expected, int tolerance = 3);
GfxTexture* SolidTexture(GfxDevice* device, uint32_t argb);
// The text of a shipped effect file (content/shaders/).
std::string ShippedEffect(const char* name);

class EffectTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Makes a package of the files (name -> text) the shader package of the game.
    void UsePackage(const std::map<std::string, std::string>& files);
    // A package of every shipped effect file, with changes and additions.
    void UseShippedPackage(const std::map<std::string, std::string>& extra = {});

    GfxDevice* device = nullptr;
    std::unique_ptr<ConfigFile> config;
    std::unique_ptr<EffectManager> manager;
};
