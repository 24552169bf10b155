#include "tests/render/EffectTestSupport.h"

#include "content/pkbtool/PackageWriter.h"
#include "host/System.h"
#include "platform/PackageFile.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

#include <fstream>
#include <sstream>

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
    std::ifstream file(std::string("content/shaders/") + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
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
    std::vector<PackageEntry> entries;
    for (const auto& f : files) {
        PackageEntry e;
        e.name = f.first;
        e.secondName = f.first;
        e.data.assign(f.second.begin(), f.second.end());
        entries.push_back(e);
    }
    std::string path = MakeTempFolder("shaders") + "/shaders" + std::to_string(++packages) + ".pkb";
    std::string error;
    ASSERT_TRUE(WritePackage(path, entries, &error)) << error;
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
    if (search.Begin("content/shaders", "*")) {
        while (search.Next(name, folder))
            if (!folder && name[0] != '.') files[name] = ShippedEffect(name.c_str());
    }
    for (const auto& e : extra) files[e.first] = e.second;
    UsePackage(files);
}
