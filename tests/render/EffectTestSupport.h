#pragma once
// Shared by the effect tests: the render tests' device (one for the test program) on a 32 x 32
// back buffer, with a configuration and a shader package of the test's own.
#include "platform/ConfigFile.h"
#include "render/EffectManager.h"
#include "tests/support/GfxFixture.h"

#include <map>
#include <memory>
#include <string>

constexpr uint32_t kEffectTestWidth = 32;
constexpr uint32_t kEffectTestHeight = 32;

// Effects take a colour through more arithmetic than the fixed-function pipeline does: their
// pixels may be one step further off.
inline ::testing::AssertionResult PixelNear(uint32_t actual, uint32_t expected)
{
    return ColorNear(actual, expected, 3);
}
// The text of a shipped effect file (content/shaders/).
std::string ShippedEffect(const char* name);

class EffectTest : public GfxFixture {
protected:
    EffectTest()
    {
        backBufferWidth = kEffectTestWidth;
        backBufferHeight = kEffectTestHeight;
    }
    void SetUp() override;
    void TearDown() override;
    GfxDevice* OpenDevice() override;
    // Makes a package of the files (name -> text) the shader package of the game.
    void UsePackage(const std::map<std::string, std::string>& files);
    // A package of every shipped effect file, with changes and additions.
    void UseShippedPackage(const std::map<std::string, std::string>& extra = {});

    std::unique_ptr<ConfigFile> config;
    std::unique_ptr<EffectManager> manager;
};
