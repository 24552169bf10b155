#include "tests/render/EffectTestSupport.h"

#include "host/System.h"
#include "platform/PackageFile.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

int packages = 0;

}  // namespace

GfxDevice* EffectTest::OpenDevice()
{
    // The render tests' device: one window and one device for the test program.
    GraphicsDevice* graphics = RenderTestGraphics();
    return graphics ? graphics->device : nullptr;
}

std::string ShippedEffect(const char* name)
{
    return ReadTextFile(SourcePath("content/shaders/") + name);
}

void EffectTest::SetUp()
{
    GfxFixture::SetUp();
    if (!device || HasFatalFailure()) return;
    config.reset(new ConfigFile(nullptr));
    config->shadows = false;
    config->terrainColor = false;
    config->glowQuality = 0;
    Config = config.get();
    MatrixIdentity(&WorldMatrix);
    MatrixIdentity(&ViewMatrix);
    MatrixIdentity(&ProjectionMatrix);
    MatrixIdentity(&InverseViewMatrix);
    EffectValues = EffectBindingValues();
}

void EffectTest::TearDown()
{
    manager.reset();
    EffectManager::ClosePackage();
    Config = nullptr;
    EffectValues = EffectBindingValues();
    GfxFixture::TearDown();
}

void EffectTest::UsePackage(const std::map<std::string, std::string>& files)
{
    TestEntries entries;
    for (const auto& f : files) entries.push_back({f.first, std::vector<unsigned char>(f.second.begin(), f.second.end())});
    std::string path = MakeTempFolder("shaders") + "/shaders" + std::to_string(++packages) + ".pkb";
    WriteTestPackage(path, entries);
    EffectManager::ClosePackage();
    ShaderPackage = new PackageFile();
    ASSERT_TRUE(ShaderPackage->Open(path.c_str(), false));
}

void EffectTest::UseShippedPackage(const std::map<std::string, std::string>& extra)
{
    std::map<std::string, std::string> files;
    DirectorySearch search;
    std::string name;
    bool folder = false;
    if (search.Begin(SourcePath("content/shaders").c_str(), "*")) {
        while (search.Next(name, folder))
            if (!folder && name[0] != '.') files[name] = ShippedEffect(name.c_str());
    }
    for (const auto& e : extra) files[e.first] = e.second;
    UsePackage(files);
}
