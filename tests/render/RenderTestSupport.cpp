#include "tests/render/RenderTestSupport.h"

#include "content/meshgen/Catalogue.h"
#include "content/pkbtool/PackageWriter.h"
#include "host/GfxDevice.h"
#include "host/GfxWindow.h"
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/System.h"
#include "platform/PackageFile.h"
#include "platform/ConfigFile.h"
#include "render/FrameGraph.h"
#include "render/GraphicsDevice.h"
#include "render/MeshFormat.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "tests/support/GfxFixture.h"
#include "tests/support/TestSupport.h"

#include <cstdio>

namespace {

struct Shared {
    ConfigFile* config = nullptr;
    GfxWindow* window = nullptr;
    bool tried = false;
};
Shared shared;

void SetTestConfiguration(int width = kScreenWidth, int height = kScreenHeight)
{
    Config->width = width;
    Config->height = height;
    Config->useLowResTextures = false;
    Config->messageBoxErrors = false;
    Config->antiAliasing = false;
    Config->antiAliasingSamples = 0;
    Config->vsync = false;
    CopyText(Config->screenshotFormat, sizeof Config->screenshotFormat, "png");
}

class RenderEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        CloseRenderTestGraphics();
        if (Config == shared.config) Config = nullptr;
        delete shared.config;
        shared.config = nullptr;
    }
};
::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RenderEnvironment);

}  // namespace

GraphicsDevice* RenderTestGraphics()
{
    if (!Config) {
        // Tests of other fixtures may have taken the configuration away: give ours back.
        if (!shared.config) shared.config = new ConfigFile(nullptr);
        Config = shared.config;
    }
    if (!Graphics && !shared.tried) {
        shared.tried = true;
        SetTestConfiguration();
        shared.window = new GfxWindow();
        if (shared.window->Create("Veldmark", kScreenWidth, kScreenHeight, false)) {
            Graphics = new GraphicsDevice();
            if (!Graphics->InitGraphics(shared.window, false, kScreenWidth, kScreenHeight)) {
                delete Graphics;
                Graphics = nullptr;
            }
        }
    }
    return Graphics;
}

void CloseRenderTestGraphics()
{
    ReleaseFrameGraphBuffers();
    delete Graphics;
    Graphics = nullptr;
    if (shared.window) shared.window->Destroy();
    delete shared.window;
    shared.window = nullptr;
    shared.tried = false;
}

std::vector<unsigned char> SolidDds(uint32_t colour, uint32_t width, uint32_t height)
{
    Image image;
    image.Create(PixelFormat::A8R8G8B8, width, height);
    uint32_t* texels = reinterpret_cast<uint32_t*>(image.pixels.data());
    for (uint32_t i = 0; i < width * height; ++i) texels[i] = colour;
    std::vector<uint8_t> bytes;
    EncodeImageFile(image, ImageFileFormat::DDS, bytes);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

std::string WriteTestPackage(const std::string& path, const TestEntries& entries)
{
    std::vector<PackageEntry> packaged;
    for (const auto& entry : entries) packaged.push_back({entry.first, "test/" + entry.first, entry.second});
    std::string error;
    EXPECT_TRUE(WritePackage(path, packaged, &error)) << error;
    return path;
}

void PackageSlots::Install(PackageFile** slot, const std::string& path, const TestEntries& entries)
{
    WriteTestPackage(path, entries);
    saved_.push_back({slot, *slot});
    *slot = new PackageFile();
    (*slot)->Open(path.c_str(), false);
}

void PackageSlots::Restore()
{
    for (size_t i = saved_.size(); i-- > 0;) {
        delete *saved_[i].slot;
        *saved_[i].slot = saved_[i].package;
    }
    saved_.clear();
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

void UseGeneratedMeshPackages()
{
    static std::string folder;
    if (folder.empty()) {
        folder = MakeTempFolder("generated-meshes");
        auto pack = [](const std::string& path, const std::vector<GeneratedFile>& files) {
            std::vector<PackageEntry> entries;
            for (const GeneratedFile& file : files)
                entries.push_back({file.fileName, file.fileName, std::vector<unsigned char>(file.text.begin(), file.text.end())});
            std::string error;
            EXPECT_TRUE(WritePackage(path, entries, &error)) << error;
        };
        pack(folder + "/mesh.pkb", GenerateMeshFiles());
        pack(folder + "/anims.pkb", GenerateAnimationFiles());
    }
    SetMeshPackagePaths((folder + "/mesh.pkb").c_str(), nullptr);
    SetAnimPackagePath((folder + "/anims.pkb").c_str());
}

void UseShippedMeshPackages()
{
    SetMeshPackagePaths("data/mesh.pkb", "data/mesh_patch.pkb");
    SetAnimPackagePath("data/anims.pkb");
}

uint32_t TexelAt(GfxBaseTexture* texture, uint32_t x, uint32_t y)
{
    if (!texture || texture->GetType() != RTYPE_TEXTURE || !Graphics) return 0;
    GfxSurface* level = nullptr;
    if (GfxFailed(static_cast<GfxTexture*>(texture)->GetSurfaceLevel(0, &level))) return 0;
    Pixels texels = ReadSurfacePixels(Graphics->device, level);
    level->Release();
    return texels.Contains((int)x, (int)y) ? texels.At((int)x, (int)y) : 0;
}

uint32_t BackBufferPixel(int x, int y)
{
    if (!Graphics) return 0;
    Pixels pixels = ReadBackBuffer(Graphics->device);
    return pixels.Contains(x, y) ? pixels.At(x, y) : 0;
}

void RenderTest::SetUp()
{
    graphics = RenderTestGraphics();
    ASSERT_NE(graphics, nullptr) << "the graphics device could not be made";
    SetTestConfiguration(screenWidth, screenHeight);
    ForceLooseTextureFiles = false;
    RenderStates.SetTarget(nullptr);
    RenderStates.Reset();
    PresentParameters current;
    graphics->device->GetPresentParameters(&current);
    if (current.BackBufferWidth != (uint32_t)screenWidth || current.BackBufferHeight != (uint32_t)screenHeight) {
        ASSERT_EQ(graphics->ResetDevice(), DEVICE_USABLE) << "the device did not take the test's screen size";
    }
    textures = new TextureManager();
    Textures = textures;
}

void RenderTest::TearDown()
{
    // Owners the test stood in for are gone again.
    for (int step = 0; step < RELEASE_STEP_COUNT; ++step)
        if (step != RELEASE_TEXTURE_MANAGER) SetDeviceReleaseStep((DeviceReleaseStep)step, nullptr);
    for (int step = 0; step < RESTORE_STEP_COUNT; ++step)
        if (step != RESTORE_TEXTURE_MANAGER) SetDeviceRestoreStep((DeviceRestoreStep)step, nullptr);
    if (Textures == textures) Textures = nullptr;
    delete textures;
    textures = nullptr;
    ForceLooseTextureFiles = false;
}
