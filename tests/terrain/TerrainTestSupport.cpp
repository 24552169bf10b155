#include "tests/terrain/TerrainTestSupport.h"

#include "host/GfxWindow.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/FrameGraph.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/Skybox.h"
#include "tests/support/TestSupport.h"

#include <cstring>

namespace {

struct Shared {
    ConfigFile* config = nullptr;
    GfxWindow* window = nullptr;
    bool tried = false;
};
Shared shared;

class TerrainEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        ReleaseFrameGraphBuffers();
        delete Graphics;
        Graphics = nullptr;
        if (shared.window) shared.window->Destroy();
        delete shared.window;
        shared.window = nullptr;
        if (Config == shared.config) Config = nullptr;
        delete shared.config;
        shared.config = nullptr;
    }
};
::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new TerrainEnvironment);

void UseTestConfiguration(int width, int height)
{
    if (!shared.config) shared.config = new ConfigFile(nullptr);
    Config = shared.config;
    Config->width = width;
    Config->height = height;
    Config->useLowResTextures = false;
    Config->messageBoxErrors = false;
    Config->antiAliasing = false;
    Config->antiAliasingSamples = 0;
    Config->vsync = false;
    Config->shadows = false;
    Config->terrainDetail = true;
    Config->terrainColor = true;
}

GraphicsDevice* TestGraphics(int width, int height)
{
    UseTestConfiguration(width, height);
    if (!Graphics && !shared.tried) {
        shared.tried = true;
        shared.window = new GfxWindow();
        if (shared.window->Create("Veldmark", width, height, false)) {
            Graphics = new GraphicsDevice();
            if (!Graphics->InitGraphics(shared.window, false, width, height)) {
                delete Graphics;
                Graphics = nullptr;
            }
        }
    }
    return Graphics;
}

GfxBaseTexture* NamedTexture(const char* name)
{
    return Textures ? Textures->GetTexture(name)->texture : nullptr;
}

}  // namespace

std::string WriteHeightImage(const char* name, int width, int height, const HeightFunction& heights)
{
    Heightmap image(width, height, TERRAIN_VERTICAL_SCALE);
    for (int z = 0; z < height; ++z)
        for (int x = 0; x < width; ++x) image.data[(size_t)z * width + x] = heights(x, z);
    std::string path = MakeTempFolder(name) + "/" + name + ".bmp";
    EXPECT_TRUE(image.SaveTexture(path.c_str())) << path;
    return path;
}

void BuildTerrain(Terrain& terrain, int width, int height, const HeightFunction& heights)
{
    std::string path = WriteHeightImage("heights", width, height, heights);
    CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, path.c_str());
    terrain.Create(width, height);
    for (int z = 0; z < height; ++z)
        for (int x = 0; x < width; ++x) terrain.heightmap->data[(size_t)z * width + x] = heights(x, z);
    terrain.UpdateNormals(0, 0, 0);
    terrain.LoadColourMap(TheScene.colourMapName, false);
    terrain.RebuildMeshes(0, 0, 0);
    terrain.RefreshAlpha(true);
}

std::string LoadEnvironments(const char* name, const std::string& blocks)
{
    std::string path = MakeTempFolder(name) + "/environments.cgs";
    EXPECT_TRUE(WriteTextFile(path, blocks));
    Environment::LoadScript(path.c_str());
    return path;
}

void TerrainTest::SetUp()
{
    memcpy(savedHeightmap_, TheScene.heightmapName, sizeof savedHeightmap_);
    memcpy(savedColourMap_, TheScene.colourMapName, sizeof savedColourMap_);
    CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, "none");
    CopyText(TheScene.colourMapName, sizeof TheScene.colourMapName, "none");
    Environment::ClearAll();
}

void TerrainTest::TearDown()
{
    Environment::ClearAll();
    memcpy(TheScene.heightmapName, savedHeightmap_, sizeof savedHeightmap_);
    memcpy(TheScene.colourMapName, savedColourMap_, sizeof savedColourMap_);
}

void TerrainDrawTest::SetUp()
{
    TerrainTest::SetUp();
    GraphicsDevice* graphics = TestGraphics(width, height);
    if (!graphics) GTEST_SKIP() << "no display for the graphics device";
    PresentParameters current;
    graphics->device->GetPresentParameters(&current);
    if (current.BackBufferWidth != (uint32_t)width || current.BackBufferHeight != (uint32_t)height) {
        ASSERT_EQ(graphics->ResetDevice(), DEVICE_USABLE);
    }
    device = graphics->device;
    RenderStates.SetTarget(nullptr);
    RenderStates.Reset();
    textures = std::make_unique<TextureManager>();
    Textures = textures.get();
    effects = std::make_unique<EffectManager>(device);
    TheEffectManager = effects.get();
    EffectValues = EffectBindingValues();
    EffectValues.getTexture = NamedTexture;
    meshes = std::make_unique<MeshLibrary>();
    TheMeshLibrary = meshes.get();
    Frustum = new ViewFrustum();
    // No clock: the effects' time stands at 0, so water and lava are drawn the same every run.
    FrameTimer = Timer();
    MeshRenderPosition = Vec3();
    ForgetMeshSceneParameters();
    LookAt(Vec3(0, 120, -120), Vec3(0, 0, 0));
}

void TerrainDrawTest::TearDown()
{
    Skybox::mesh = nullptr;
    Skybox::texture = nullptr;
    delete Frustum;
    Frustum = nullptr;
    TheMeshLibrary = nullptr;
    meshes.reset();
    TheEffectManager = nullptr;
    effects.reset();
    EffectValues = EffectBindingValues();
    ReleaseMeshVertexDeclaration();
    Textures = nullptr;
    textures.reset();
    for (int step = 0; step < RELEASE_STEP_COUNT; ++step)
        if (step != RELEASE_TEXTURE_MANAGER) SetDeviceReleaseStep((DeviceReleaseStep)step, nullptr);
    for (int step = 0; step < RESTORE_STEP_COUNT; ++step)
        if (step != RESTORE_TEXTURE_MANAGER) SetDeviceRestoreStep((DeviceRestoreStep)step, nullptr);
    TerrainTest::TearDown();
}

void TerrainDrawTest::LookAt(const Vec3& eye, const Vec3& target)
{
    Vec3 up(0.0f, 1.0f, 0.0f);
    MatrixLookAtLH(&ViewMatrix, &eye, &target, &up);
    MatrixPerspectiveFovLH(&ProjectionMatrix, 0.7853982f, (float)width / (float)height, 1.0f, 1000.0f);
    if (!MatrixInverse(&InverseViewMatrix, nullptr, &ViewMatrix)) MatrixIdentity(&InverseViewMatrix);
    MatrixIdentity(&WorldMatrix);
    Graphics->SetTransform(TS_WORLD, &WorldMatrix);
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    if (Frustum) Frustum->Update(ViewMatrix);
    ForgetMeshSceneParameters();
}

Pixels TerrainDrawTest::Draw(const std::function<void()>& draw, uint32_t clear)
{
    RenderStates.Reset();
    Graphics->Clear(7, ((clear >> 16) & 0xFF) / 255.0f, ((clear >> 8) & 0xFF) / 255.0f, (clear & 0xFF) / 255.0f, 1.0f);
    Graphics->BeginScene();
    draw();
    Pixels pixels = ReadBackBuffer(device);
    EndTestScene(device);
    return pixels;
}
