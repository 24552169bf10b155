// The terrain's look worked out on the CPU: the colour layer tinted by height for each
// environment, the ground classes, and the decoration splats.
#include "content/pkbtool/PackageWriter.h"
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "mechanics/Scene.h"
#include "platform/PackageFile.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "terrain/Environment.h"
#include "terrain/Terrain.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"
#include "tests/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// A textures package holding one colour map of a single grey.
constexpr float GREY = 128.0f / 255.0f;

class TerrainLayers : public TerrainTest {
protected:
    void SetUp() override
    {
        TerrainTest::SetUp();
        Image image;
        image.Create(PixelFormat::A8R8G8B8, 16, 16);
        uint32_t* texels = (uint32_t*)image.Level(0, 0);
        for (int i = 0; i < 256; ++i) texels[i] = 0xFF808080u;
        std::vector<uint8_t> dds;
        ASSERT_TRUE(EncodeImageFile(image, ImageFileFormat::DDS, dds));
        std::string path = MakeTempFolder("layers") + "/textures.pkb";
        ASSERT_TRUE(WritePackage(path, {{"greycolor.dds", "greycolor.dds", std::vector<unsigned char>(dds.begin(), dds.end())}}));
        package_ = std::make_unique<PackageFile>();
        ASSERT_TRUE(package_->Open(path.c_str(), false));
        TexturePackage = package_.get();
        std::string blocks;
        for (const char* name : {"forest", "lava", "alien", "moon", "elsewhere"})
            blocks += std::string("DefineEnvironment ") + name + "\ncolormap data/textures/colormaps/greycolor.dds\n";
        LoadEnvironments("layers", blocks);
    }
    ScopedGlobal<PackageFile*> saved_{TexturePackage};
    std::unique_ptr<PackageFile> package_;
};

// Heights by column: the cases of the tint rules side by side.
float ColumnHeights(int x, int)
{
    switch (x) {
    case 10: return 0.0f;
    case 20: return 2.0f;
    case 25: return 1.8f;
    case 30: return 3.0f;
    case 40: return 6.0f;
    case 50: return 1.0f;
    case 60: return 1.2f;
    default: return 2.0f;
    }
}

void ExpectColour(const Terrain& terrain, int x, int z, float r, float g, float b, float a)
{
    const TerrainColour& c = terrain.colours[(size_t)z * terrain.width + x];
    EXPECT_NEAR(c.r, r, 1e-4f) << "at " << x << "," << z;
    EXPECT_NEAR(c.g, g, 1e-4f) << "at " << x << "," << z;
    EXPECT_NEAR(c.b, b, 1e-4f) << "at " << x << "," << z;
    EXPECT_NEAR(c.a, a, 1e-4f) << "at " << x << "," << z;
}

}  // namespace

TEST_F(TerrainLayers, TheColourLayerTintsByHeightForEachEnvironment)
{
    Terrain terrain;
    ASSERT_NE(terrain.SetEnvironment("forest"), nullptr);
    BuildTerrain(terrain, 128, 128, ColumnHeights);
    const float c = GREY;
    // The two outer rings fade to nothing.
    for (int ring : {0, 1, 126, 127}) {
        ExpectColour(terrain, ring, 64, 0, 0, 0, 0);
        ExpectColour(terrain, 64, ring, 0, 0, 0, 0);
    }
    ExpectColour(terrain, 2, 64, c, c, c, 1);
    ExpectColour(terrain, 10, 64, 0.75f * c, 0.75f * c, c, 1);  // low: red and green darken
    ExpectColour(terrain, 20, 64, c, c, c, 1);                  // 2.0 exactly: as painted
    ExpectColour(terrain, 25, 64, c, c, c, 1);
    ExpectColour(terrain, 30, 64, 0.6f * 0.2f + 0.8f * c, 0.9f * 0.2f + 0.8f * c, 0.7f * 0.2f + 0.8f * c, 1);
    ExpectColour(terrain, 40, 64, 0.6f * 0.4f + 0.8f * c, 0.9f * 0.4f + 0.8f * c, 0.7f * 0.4f + 0.8f * c, 1);
    // The drawn vertices carry the layer packed.
    EXPECT_EQ(terrain.PackedColour(20, 64), 0xFF808080u);
    EXPECT_EQ(terrain.PackedColour(0, 0), 0x00000000u);

    ASSERT_NE(terrain.SetEnvironment("LAVA"), nullptr);
    ExpectColour(terrain, 50, 64, 1.0f, 0.7f, 0.2f, 1);  // glowing lowlands
    ExpectColour(terrain, 60, 64, c, c, c, 1);
    ExpectColour(terrain, 10, 64, 1.0f, 0.7f, 0.2f, 1);

    ASSERT_NE(terrain.SetEnvironment("alien"), nullptr);
    ExpectColour(terrain, 10, 64, 0.75f * c, c, 0.75f * c, 1);
    ASSERT_NE(terrain.SetEnvironment("moon"), nullptr);
    ExpectColour(terrain, 10, 64, c, c, c, 1);
    ASSERT_NE(terrain.SetEnvironment("elsewhere"), nullptr);
    ExpectColour(terrain, 40, 64, 0.8f * 0.4f + 0.8f * c, 0.8f * 0.4f + 0.8f * c, 0.8f * 0.4f + 0.8f * c, 1);

    // A colour map the package does not hold leaves the inside white.
    terrain.LoadColourMap("data/textures/colormaps/missing.dds", false);
    ExpectColour(terrain, 40, 64, 1, 1, 1, 1);
    ExpectColour(terrain, 1, 64, 0, 0, 0, 0);
    EXPECT_STREQ(TheScene.colourMapName, "data/textures/colormaps/missing.dds");
}

TEST_F(TerrainLayers, SteepGroundIsASlopeWhateverItsHeight)
{
    Terrain terrain;
    // Flat at 5.0, flat at 3.0, then a slope whose normal stands at 0.85.
    const float slope = std::sqrt(1.0f / (0.85f * 0.85f) - 1.0f);
    BuildTerrain(terrain, 128, 128, [slope](int x, int) {
        if (x < 40) return 5.0f;
        if (x < 80) return 3.0f;
        return 3.0f + slope * (x - 80);
    });
    auto classAt = [&](int x, int z) { return terrain.GetMapCellValue(Vec3(x * 2.5f - 160.0f + 1.0f, 0, 160.0f - z * 2.5f - 1.0f)); };
    EXPECT_EQ(classAt(20, 64), 0);
    EXPECT_EQ(classAt(60, 64), 1);
    EXPECT_NEAR(terrain.GetNormal(100, 64).y, 0.85f, 1e-3f);
    EXPECT_EQ(classAt(100, 64), 2);
    EXPECT_EQ(classAt(500, 64), 0);
}

TEST_F(TerrainLayers, SplatsLieOnlyOnFreeFlatCellsAndUseTheirAtlasTile)
{
    // Flat up to column 66, then ramps too steep for anything to lie on, each rising over
    // five columns and falling back at once.
    auto heights = [](int x, int) { return x < 66 ? 2.0f : 2.0f * (x % 5); };
    // (The border vertices count as flat: their normals stand straight up.)
    auto steep = [](int x, int z) { return x > 66 && x % 5 != 0 && x % 5 != 4 && z > 0 && z < 127; };
    Terrain bare;
    BuildTerrain(bare, 128, 128, heights);
    for (auto& chunk : bare.chunks) EXPECT_EQ(chunk->splatMesh, nullptr) << "no cell kinds, no splats";

    std::vector<int> kinds(128 * 128, 0);
    for (int z = 0; z < 128; ++z) kinds[(size_t)z * 128 + 20] = 16;  // a river down column 20
    Terrain terrain;
    terrain.mapCells = kinds.data();
    BuildTerrain(terrain, 128, 128, heights);
    int placed = 0;
    for (auto& chunk : terrain.chunks) {
        const TerrainChunk& c = *chunk;
        const int across = c.x1 - c.x0;
        ASSERT_EQ(c.splatCells.size(), (size_t)across * (c.z1 - c.z0));
        size_t vertex = 0;
        const std::vector<MeshVertex>* vertices = c.splatMesh ? &c.splatMesh->materials[0].Vertices() : nullptr;
        for (int z = c.z0; z < c.z1; ++z)
            for (int x = c.x0; x < c.x1; ++x) {
                int value = c.splatCells[(size_t)(z - c.z0) * across + (x - c.x0)];
                if (value == 0) continue;
                ++placed;
                EXPECT_GE(value, 1);
                EXPECT_LE(value, 16);
                EXPECT_NE(x, 20) << "a splat on a river cell";
                EXPECT_FALSE(steep(x, z)) << "a splat on steep ground at " << x;
                ASSERT_TRUE(vertices);
                ASSERT_LE(vertex + 4, vertices->size());
                float lowU = 1, highU = 0, lowV = 1, highV = 0;
                for (size_t k = vertex; k < vertex + 4; ++k) {
                    lowU = std::min(lowU, (*vertices)[k].u), highU = std::max(highU, (*vertices)[k].u);
                    lowV = std::min(lowV, (*vertices)[k].v), highV = std::max(highV, (*vertices)[k].v);
                }
                vertex += 4;
                // Tile 1 at u 0..0.25, v 0.75..1; tile 16 at u 0.75..1, v 0..0.25.
                EXPECT_FLOAT_EQ(lowU, (value - 1) % 4 * 0.25f);
                EXPECT_FLOAT_EQ(highU, lowU + 0.25f);
                EXPECT_FLOAT_EQ(lowV, (3 - (value - 1) / 4) * 0.25f);
                EXPECT_FLOAT_EQ(highV, lowV + 0.25f);
            }
        if (vertices) {
            EXPECT_EQ(vertex, vertices->size());
        }
    }
    EXPECT_GT(placed, 100);
}
