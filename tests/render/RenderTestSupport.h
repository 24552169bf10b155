#pragma once
// Shared by the rendering tests: one window, one configuration and one graphics device for the
// whole test program (made on first use, with the shipped texture packages), pictures written
// as DDS files and packages, and pixels read back from textures and the back buffer.
#include "host/GfxTypes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class GraphicsDevice;
class PackageFile;
class GfxBaseTexture;
class TextureManager;

constexpr int kScreenWidth = 64;
constexpr int kScreenHeight = 48;
constexpr float kAspect = (float)kScreenWidth / (float)kScreenHeight;

// The graphics device (also in Graphics), or null when no display can be reached.
GraphicsDevice* RenderTestGraphics();
// Frees the shared device and window, so a test can make a device of its own; the next
// RenderTestGraphics makes them again.
void CloseRenderTestGraphics();

typedef std::vector<std::pair<std::string, std::vector<unsigned char>>> TestEntries;

// A DDS file of one A8R8G8B8 level filled with a colour (0xAARRGGBB).
std::vector<unsigned char> SolidDds(uint32_t colour, uint32_t width = 4, uint32_t height = 4);
// Writes a package of (name, bytes) entries; the path.
std::string WriteTestPackage(const std::string& path, const TestEntries& entries);
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// The mesh and animation packages become the generated meshes and animations (packed once for
// the test program, no patch package); UseShippedMeshPackages points them back at data/.
void UseGeneratedMeshPackages();
void UseShippedMeshPackages();

// Texel (x, y) of level 0 as 0xAARRGGBB (A8R8G8B8 and X8R8G8B8 textures); 0 when unreadable.
uint32_t TexelAt(GfxBaseTexture* texture, uint32_t x = 0, uint32_t y = 0);
// Pixel of the back buffer as 0xAARRGGBB, row 0 at the top.
uint32_t BackBufferPixel(int x, int y);

// Test packages put into the device's package slots; Restore (or the destructor) puts the
// packages that were there back.
class PackageSlots {
public:
    ~PackageSlots() { Restore(); }
    void Install(PackageFile** slot, const std::string& path, const TestEntries& entries);
    void Restore();

private:
    struct Saved {
        PackageFile** slot;
        PackageFile* package;
    };
    std::vector<Saved> saved_;
};

// Every test with the device: the configuration as the tests expect it, a fresh texture
// manager in Textures, the shipped packages in their slots, and the same again afterwards.
// The screen (the configured size and the back buffer) is kScreenWidth x kScreenHeight unless
// a fixture asks for another size before SetUp; the device is reset to it when it differs.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    GraphicsDevice* graphics = nullptr;
    TextureManager* textures = nullptr;
    int screenWidth = kScreenWidth;
    int screenHeight = kScreenHeight;
};
