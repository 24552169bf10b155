#pragma once
// Shared by the terrain tests: a terrain of the test's own built from a height function, the
// environments and the Scene's map names put back after each test, and (for the drawing tests)
// the game's graphics device with its managers, a camera and pictures read back.
#include "host/Maths.h"
#include "render/EffectManager.h"
#include "render/MeshLibrary.h"
#include "render/TextureManager.h"
#include "terrain/Terrain.h"
#include "tests/support/GfxFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

class WaterSet;

using HeightFunction = std::function<float(int x, int z)>;

// Writes heights (in height units, 0..10) as the grey height image a level is loaded from;
// the path.
std::string WriteHeightImage(const char* name, int width, int height, const HeightFunction& heights);
// Creates a terrain of width x height from a height function the way a level does (through
// the height image), then puts the exact heights back into its grid and refreshes normals,
// meshes, colours and the alpha map, so queries see the function's values unrounded. The
// splats stay where the image's heights put them.
void BuildTerrain(Terrain& terrain, int width, int height, const HeightFunction& heights);
// An environments script of the given blocks, read into the table; returns its path.
std::string LoadEnvironments(const char* name, const std::string& blocks);

// Every terrain test: no environments, default slot textures, the Scene's map names "none",
// and all of it put back afterwards.
class TerrainTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    char savedHeightmap_[256];
    char savedColourMap_[256];
};

// The drawing tests: the graphics device (one for the test program, on the shipped
// packages) at width x height, a texture manager, the effect manager and mesh library, a view
// frustum, and a camera looking at the map.
class TerrainDrawTest : public TerrainTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // View from eye to target (45 degrees, the screen's shape); world identity.
    void LookAt(const Vec3& eye, const Vec3& target);
    // Clears to a colour no ground has, runs draw inside a scene and reads the back buffer.
    Pixels Draw(const std::function<void()>& draw, uint32_t clear = 0xFFFF00FFu);

    int width = 320;
    int height = 240;
    GfxDevice* device = nullptr;
    std::unique_ptr<TextureManager> textures;
    std::unique_ptr<EffectManager> effects;
    std::unique_ptr<MeshLibrary> meshes;
};
