// The terrain on the graphics device: the heightmap's texture mirror and brush, the baked
// shadows of the alpha map, a chunk drawn with its splats and water over it, the same picture
// after a device reset, and every environment drawn with its water or lava under the sky. The
// pictures are checked for what ground looks like and against references (tests/reference).
#include "host/GfxDevice.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "terrain/Environment.h"
#include "terrain/HeightFieldGenerator.h"
#include "terrain/Heightmap.h"
#include "drawing/TerrainDrawing.h"
#include "terrain/Skybox.h"
#include "terrain/Terrain.h"
#include "terrain/TextureLock.h"
#include "terrain/Water.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/TestSupport.h"
#include "tests/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

float Luminance(uint32_t c)
{
    return 0.3f * Red(c) + 0.59f * Green(c) + 0.11f * Blue(c);
}

// How the picture varies in a box: the spread of its brightness, and how far apart
// neighbouring pixels are on average. Ground has the first well above the second; noise has
// them alike; a flat fill has neither.
struct Texture {
    float spread = 0.0f;
    float neighbour = 0.0f;
};

Texture Measure(const Pixels& p, int x0, int y0, int x1, int y1)
{
    double sum = 0, squares = 0, steps = 0;
    int n = 0, m = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float l = Luminance(p.At(x, y));
            sum += l, squares += l * l, ++n;
            if (x + 1 < x1) steps += std::fabs(l - Luminance(p.At(x + 1, y))), ++m;
        }
    Texture t;
    double mean = sum / n;
    t.spread = (float)std::sqrt(std::max(0.0, squares / n - mean * mean));
    t.neighbour = (float)(steps / std::max(m, 1));
    return t;
}

int CountWhere(const Pixels& p, const std::function<bool(uint32_t)>& test)
{
    int count = 0;
    for (uint32_t c : p.argb) count += test(c);
    return count;
}

// A generated map: hills from the editor's generator over low ground that floods.
float GeneratedHeight(int x, int z)
{
    static std::vector<float> field;
    if (field.empty()) {
        HeightFieldParams params;
        params.size = 128;
        params.minRadius = 6.0f;
        params.maxRadius = 22.0f;
        params.hillCount = 90;
        params.flattening = 1;
        params.seed = 4711;
        HeightFieldGenerator generator(params);
        generator.Generate();
        field = generator.field;
    }
    return 0.15f + 8.0f * field[(size_t)z * 128 + x];
}

class TerrainDrawing : public TerrainDrawTest {
protected:
    void TearDown() override
    {
        terrain.waterSet = nullptr;
        terrain.Free();
        TerrainDrawTest::TearDown();
    }
    void DrawScene(bool sky)
    {
        if (sky) DrawSky(0);
        terrain.Render(0, true);
        if (terrain.waterSet) terrain.waterSet->DrawVisible(0, true);
    }

    Terrain terrain;
    WaterSet water;
};

}  // namespace

TEST_F(TerrainDrawing, TheHeightmapTextureTakesBrushStrokesAndReadsThemBack)
{
    Heightmap map(128, 64, 10.0f);
    map.Fill(2.0f);
    map.RefreshTexture();
    ASSERT_NE(map.texture, nullptr);
    ASSERT_NE(map.texture->texture, nullptr);
    {
        TextureLock lock(map.texture, LOCK_READONLY);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_EQ(lock.width, 128);
        EXPECT_EQ(lock.height, 64);
        EXPECT_EQ(lock.Row(10)[10], map.HeightToByte(2.0f));
    }
    // Raise with falloff: the full amount at the centre, nothing at the rim.
    map.BrushTexture(4.0f, 8, 20, 20, 0);
    // Set flat, and add, inside the radius only.
    map.BrushTexture(7.0f, 4, 60, 30, 1);
    map.BrushTexture(1.0f, 4, 100, 30, 2);
    // The grid does not change until the stroke is read back.
    EXPECT_FLOAT_EQ(map.GetHeightAt(20, 20), 2.0f);
    map.ReadBackRegion(0, 0, 0);
    EXPECT_NEAR(map.GetHeightAt(20, 20), 6.0f, 0.05f);
    EXPECT_NEAR(map.GetHeightAt(16, 16), 2.0f, 0.05f);
    EXPECT_NEAR(map.GetHeightAt(60, 30), 7.0f, 0.05f);
    EXPECT_NEAR(map.GetHeightAt(100, 30), 3.0f, 0.05f);
    EXPECT_NEAR(map.GetHeightAt(98, 28), 2.0f, 0.05f);  // the corner of the square: outside the radius

    // Writing a height below zero stays at the bottom of the texture instead of wrapping.
    map.SetTexel(5, 5, -1.0f);
    map.SetTexel(6, 5, 20.0f);
    map.ReadBackRegion(4, 6, 6);
    EXPECT_EQ(map.GetHeightAt(5, 5), 0.0f);
    EXPECT_FLOAT_EQ(map.GetHeightAt(6, 5), 10.0f);

    // A strong brush keeps to the scale.
    map.BrushTexture(-30.0f, 6, 40, 40, 2);
    map.ReadBackRegion(6, 40, 40);
    EXPECT_EQ(map.GetHeightAt(40, 40), 0.0f);
}

TEST_F(TerrainDrawing, HillsCastBakedShadowsButLowGroundAndTheFirstColumnStayLit)
{
    EffectValues.lightDirection = Vec4(0.6154575f, -0.6154575f, -0.4923660f, 0.0f);
    // Ground at 2 with a wall of 10 along column 40 and a trench at 0.5 behind part of it; a
    // second wall right at the map's edges so the marches run off the grid.
    BuildTerrain(terrain, 128, 128, [](int x, int z) {
        if (x == 40) return 10.0f;
        if (x > 40 && x < 70 && z < 40) return 0.5f;
        if (x >= 126 || z <= 1) return 10.0f;
        return 2.0f;
    });
    ASSERT_NE(terrain.alphaTexture, nullptr);
    TextureLock lock(terrain.alphaTexture, LOCK_READONLY);
    ASSERT_TRUE(lock.IsLocked());
    auto alphaAt = [&](int x, int z) { return lock.Row(127 - z)[x * 4 + 3]; };
    auto channelsAt = [&](int x, int z) {
        const uint8_t* t = lock.Row(127 - z) + x * 4;
        return (uint32_t)t[2] << 16 | (uint32_t)t[1] << 8 | t[0];
    };
    // Behind the wall, away from the light: dark.
    EXPECT_EQ(alphaAt(44, 80), 0);
    EXPECT_EQ(alphaAt(46, 90), 0);
    // Far from it, and in front of it: lit.
    EXPECT_EQ(alphaAt(90, 80), 255);
    EXPECT_EQ(alphaAt(20, 80), 255);
    // Low ground is never in shadow, even right behind the wall.
    EXPECT_EQ(alphaAt(50, 20), 255);
    for (int z = 10; z < 120; ++z) EXPECT_EQ(alphaAt(0, z), 255) << z;
    // Classes in the colour channels: flat mid-height ground green, slopes red.
    EXPECT_EQ(channelsAt(90, 80), 0x00FF00u);
    EXPECT_EQ(channelsAt(50, 20), 0x0000FFu);
    EXPECT_EQ(channelsAt(39, 80) & 0xFF0000u, 0xFF0000u);
}

TEST_F(TerrainDrawing, AChunkDrawsWithItsSplatsAndTheWaterOverIt)
{
    std::vector<int> kinds(128 * 128, 0);
    terrain.mapCells = kinds.data();
    Environment::LoadScript();
    ASSERT_NE(terrain.SetEnvironment("forest"), nullptr);
    ResetRandomMWC();
    // Flat grass with a pond in the middle of chunk (1, 1).
    BuildTerrain(terrain, 128, 128, [](int x, int z) {
        float d = std::hypot(x - 48.0f, z - 48.0f);
        return d < 6.0f ? 0.2f : 2.0f + 0.3f * std::sin(x * 0.3f) * std::cos(z * 0.4f);
    });
    water.Build(terrain);
    water.BuildZones();
    ASSERT_EQ(water.count, 1);
    LookAt(Vec3(-40, 45, 40), Vec3(-40, 0, 40.5f));

    MeshDrawCount = 0;
    Pixels withSplats = Draw([&] { terrain.Render(0, true); });
    EXPECT_LT(MeshDrawCount, 8) << "chunks out of view are not drawn";
    Config->terrainDetail = false;
    Pixels bare = Draw([&] { terrain.Render(0, true); });
    Config->terrainDetail = true;
    terrain.waterSet = &water;
    Pixels withWater = Draw([&] { DrawScene(false); });
    terrain.waterSet = nullptr;
    EXPECT_TRUE(MatchesReference(withWater, "terrain_chunk_water"));

    // Nothing of the clear colour shows: the chunk fills the view.
    EXPECT_EQ(CountWhere(bare, [](uint32_t c) { return (c & 0xFFFFFF) == 0xFF00FF; }), 0);
    // The splats are drawn over the ground with detail on, and only then (still built).
    int changed = 0;
    for (size_t i = 0; i < bare.argb.size(); ++i) changed += bare.argb[i] != withSplats.argb[i];
    EXPECT_GT(changed, 500);
    int splatMeshes = 0;
    for (auto& chunk : terrain.chunks) splatMeshes += chunk->splatMesh != nullptr;
    EXPECT_EQ(splatMeshes, 16);
    // The pond in the middle of the view turns blue-green over the ground.
    uint32_t ground = bare.At(width / 2, height / 2), pond = withWater.At(width / 2, height / 2);
    EXPECT_GT(Blue(pond) - Red(pond), Blue(ground) - Red(ground) + 20) << std::hex << ground << " " << pond;
    EXPECT_EQ(withWater.At(5, 5), withSplats.At(5, 5)) << "the water stays over the pond";
    // Grass: greener than it is red or blue, and textured.
    EXPECT_GT(Green(ground), Blue(ground));
    Texture t = Measure(bare, 0, 0, width, height / 3);
    EXPECT_GT(t.spread, 4.0f);
}

TEST_F(TerrainDrawing, AfterADeviceResetTheGroundLooksTheSame)
{
    Environment::LoadScript();
    ASSERT_NE(terrain.SetEnvironment("desert"), nullptr);
    std::vector<int> kinds(128 * 128, 0);
    terrain.mapCells = kinds.data();
    BuildTerrain(terrain, 128, 128, GeneratedHeight);
    water.Build(terrain);
    terrain.waterSet = &water;
    LookAt(Vec3(0, 80, -150), Vec3(0, 0, -20));
    Pixels before = Draw([&] { DrawScene(false); });
    ASSERT_EQ(Graphics->ResetDevice(), DEVICE_USABLE);
    EXPECT_FALSE(terrain.meshesReleased);
    LookAt(Vec3(0, 80, -150), Vec3(0, 0, -20));
    Pixels after = Draw([&] { DrawScene(false); });
    int different = 0;
    for (size_t i = 0; i < before.argb.size(); ++i) different += !Near(before.argb[i], after.argb[i], 2);
    EXPECT_EQ(different, 0);
}

TEST_F(TerrainDrawing, EveryEnvironmentDrawsItsGroundWaterOrLavaAndTheSky)
{
    Environment::LoadScript();
    ASSERT_EQ(Environment::GetCount(), 8);
    std::vector<int> kinds(128 * 128, 0);
    terrain.mapCells = kinds.data();
    Skybox::Load();
    ASSERT_NE(Skybox::mesh, nullptr);
    std::vector<Vec3> groundColours;
    for (int i = 0; i < Environment::GetCount(); ++i) {
        const char* name = Environment::Get(i)->name;
        SCOPED_TRACE(name);
        ASSERT_NE(terrain.SetEnvironment(name), nullptr);
        ResetRandomMWC();
        BuildTerrain(terrain, 128, 128, GeneratedHeight);
        water.Build(terrain);
        water.BuildZones();
        ASSERT_GT(water.count, 0);
        terrain.waterSet = &water;
        LookAt(Vec3(10, 45, -150), Vec3(0, 20, -60));
        Pixels shot = Draw([&] { DrawScene(true); });
        terrain.waterSet = nullptr;
        ASSERT_EQ(shot.width, width);
        EXPECT_TRUE(MatchesReference(shot, std::string("terrain_") + name));

        // The sky at the top: bright and blue, nowhere the clear colour.
        EXPECT_EQ(CountWhere(shot, [](uint32_t c) { return (c & 0xFFFFFF) == 0xFF00FF; }), 0);
        uint32_t sky = shot.At(width / 2, 2);
        EXPECT_GT(Blue(sky), Red(sky));
        EXPECT_GT(Luminance(sky), 60.0f);
        // The ground below: textured, not a flat fill, and smooth from pixel to pixel (not noise).
        Texture ground = Measure(shot, 20, height * 2 / 3, width - 20, height - 5);
        EXPECT_GT(ground.spread, 5.0f);
        EXPECT_LT(ground.neighbour, ground.spread * 0.85f);
        // Lava glows orange; water is bluer than the ground around it.
        if (std::string(name) == "lava") {
            EXPECT_GT(CountWhere(shot, [](uint32_t c) { return Red(c) > 180 && Green(c) > 60 && Blue(c) < 80; }), 200);
        }
        Vec3 mean;
        for (int y = height * 2 / 3; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t c = shot.At(x, y);
                mean += Vec3((float)Red(c), (float)Green(c), (float)Blue(c));
            }
        groundColours.push_back(mean / (float)(width * (height - height * 2 / 3)));
    }
    // Eight worlds, eight different grounds: every two differ clearly in some colour.
    for (size_t a = 0; a < groundColours.size(); ++a)
        for (size_t b = a + 1; b < groundColours.size(); ++b) {
            Vec3 d = groundColours[a] - groundColours[b];
            EXPECT_GT(std::max({std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)}), 8.0f)
                << Environment::Get((int)a)->name << " and " << Environment::Get((int)b)->name;
        }
}
