#include "tests/render/EffectTestSupport.h"

#include "content/pkbtool/PackageWriter.h"
#include "host/GfxTexture.h"
#include "host/System.h"
#include "platform/PackageFile.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

int packages = 0;

}  // namespace

GfxDevice* EffectTestDevice()
{
    // The render tests' device: one window and one device for the test program.
    GraphicsDevice* graphics = RenderTestGraphics();
    return graphics ? graphics->device : nullptr;
}

uint32_t ReadPixel(GfxDevice* device, uint32_t x, uint32_t y)
{
    uint32_t pixel = 0;
    GfxSurface* back = nullptr;
    GfxSurface* copy = nullptr;
    device->GetBackBuffer(0, 0, &back);
    SurfaceDesc desc;
    back->GetDesc(&desc);
    if (GfxSucceeded(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, POOL_SYSTEMMEM, &copy))) {
        LockedRect locked;
        if (GfxSucceeded(device->GetRenderTargetData(back, copy)) &&
            GfxSucceeded(copy->LockRect(&locked, nullptr, LOCK_READONLY))) {
            pixel = ((const uint32_t*)((const uint8_t*)locked.pBits + (size_t)y * locked.Pitch))[x] | 0xFF000000u;
            copy->UnlockRect();
        }
        copy->Release();
    }
    back->Release();
    return pixel;
}

::testing::AssertionResult PixelNear(uint32_t actual, uint32_t expected, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (a - e > tolerance || e - a > tolerance) {
            char text[64];
            snprintf(text, sizeof text, "0x%08X, expected 0x%08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

GfxTexture* SolidTexture(GfxDevice* device, uint32_t argb)
{
    GfxTexture* texture = nullptr;
    if (GfxFailed(device->CreateTexture(1, 1, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture))) return nullptr;
    LockedRect locked;
    texture->LockRect(0, &locked, nullptr, 0);
    memcpy(locked.pBits, &argb, 4);
    texture->UnlockRect(0);
    return texture;
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
    device = EffectTestDevice();
    if (!device) GTEST_SKIP() << "no display for OpenGL";
    PresentParameters params;
    device->GetPresentParameters(&params);
    params.BackBufferWidth = kEffectTestWidth;
    params.BackBufferHeight = kEffectTestHeight;
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    device->BeginScene();

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
    if (!device) return;
    device->EndScene();
    device->SetProgram(nullptr);
    for (uint32_t i = 0; i < MAX_SAMPLERS; ++i) device->SetTexture(i, nullptr);
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
