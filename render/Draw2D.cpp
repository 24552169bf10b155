#include "render/Draw2D.h"

#include "host/GfxDevice.h"
#include "host/GfxImage.h"
#include "host/ImageCodec.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/PackageFile.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

GfxDevice* drawDevice = nullptr;

// Textures by file name, and the packages they come from (opened on first use).
std::vector<std::unique_ptr<DrawTexture>> textures;
std::unique_ptr<PackageFile> texturePackage;
std::unique_ptr<PackageFile> guiPackage;

PackageFile* OpenPackage(std::unique_ptr<PackageFile>& slot, const char* path)
{
    if (!slot) {
        slot.reset(new PackageFile());
        slot->Open(path, false);
    }
    return slot.get();
}

GfxTexture* LoadTexture(const char* path, const char* fileName)
{
    std::vector<uint8_t> loose;
    const unsigned char* bytes = nullptr;
    unsigned size = 0;
    PackageFile* holder = nullptr;
    for (PackageFile* package : {OpenPackage(texturePackage, "data/textures.pkb"), OpenPackage(guiPackage, "data/gui.pkb")}) {
        bytes = package->GetData(fileName, &size);
        if (bytes) {
            holder = package;
            break;
        }
    }
    if (!bytes) {
        char fixed[MAX_PATH_TEXT];
        CopyText(fixed, sizeof fixed, path);
        FixPath(fixed);
        if (!ReadWholeFile(fixed, loose)) return nullptr;
        bytes = loose.data();
        size = (unsigned)loose.size();
    }
    Image image;
    bool decoded = CreateImageFromMemoryEx(bytes, size, IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_FROM_FILE,
                                           PixelFormat::FromFile, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, image);
    if (holder) holder->ReleaseData(fileName);
    if (!decoded || image.IsCube()) return nullptr;
    GfxBaseTexture* texture = nullptr;
    if (GfxFailed(CreateTextureFromImage(drawDevice, image, image.mipLevels, 0, POOL_MANAGED, &texture)))
        return nullptr;
    return (GfxTexture*)texture;
}

}  // namespace

void SetDrawDevice(GfxDevice* device)
{
    drawDevice = device;
}

GfxDevice* GetDrawDevice()
{
    return drawDevice;
}

int ScreenWidth()
{
    return Config ? Config->width : 1024;
}

int ScreenHeight()
{
    return Config ? Config->height : 768;
}

void Begin2D()
{
    if (!drawDevice) return;
    Matrix projection, identity;
    MatrixOrthoLH(&projection, (float)ScreenWidth(), (float)ScreenHeight(), 0.0f, 1.0f);
    MatrixIdentity(&identity);
    drawDevice->SetTransform(TS_PROJECTION, &projection);
    drawDevice->SetTransform(TS_WORLD, &identity);
    drawDevice->SetTransform(TS_VIEW, &identity);
    drawDevice->SetRenderState(RS_LIGHTING, 0);
    drawDevice->SetRenderState(RS_ZENABLE, ZB_FALSE);
}

void End2D()
{
    if (drawDevice) drawDevice->SetRenderState(RS_ZENABLE, ZB_TRUE);
}

void SetRenderState(RenderStateType state, uint32_t value)
{
    if (drawDevice) drawDevice->SetRenderState(state, value);
}

void SetTextureStageState(uint32_t stage, TextureStageStateType type, uint32_t value)
{
    if (drawDevice) drawDevice->SetTextureStageState(stage, type, value);
}

void SetSamplerState(uint32_t sampler, SamplerStateType type, uint32_t value)
{
    if (drawDevice) drawDevice->SetSamplerState(sampler, type, value);
}

void SetTransform(TransformStateType state, const Matrix& matrix)
{
    if (drawDevice) drawDevice->SetTransform(state, &matrix);
}

bool CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxVertexBuffer** out, GfxPool pool)
{
    *out = nullptr;
    if (!drawDevice) return false;
    GfxResult result = drawDevice->CreateVertexBuffer(length, usage, fvf, pool, out);
    if (GfxFailed(result)) {
        *out = nullptr;
        Log("Error CreateVB: 0x%08X\n", (unsigned)result);
        return false;
    }
    return true;
}

bool CreateIndexBuffer(uint32_t length, uint32_t usage, GfxFormat format, GfxIndexBuffer** out)
{
    *out = nullptr;
    if (!drawDevice) return false;
    GfxResult result = drawDevice->CreateIndexBuffer(length, usage, format, POOL_MANAGED, out);
    if (GfxFailed(result)) {
        *out = nullptr;
        Log("Error creating index buffer: 0x%08X\n", (unsigned)result);
        return false;
    }
    return true;
}

DrawTexture* FindDrawTexture(const char* fileName)
{
    if (!fileName) return nullptr;
    for (auto& record : textures)
        if (StrICmp(record->name, fileName) == 0) return record.get();
    return nullptr;
}

DrawTexture* GetDrawTexture(const char* path)
{
    if (!drawDevice || !path) return nullptr;
    char fileName[MAX_PATH_TEXT];
    GetFileName(path, fileName);
    if (DrawTexture* known = FindDrawTexture(fileName)) return known;

    std::unique_ptr<DrawTexture> record(new DrawTexture());
    CopyText(record->name, sizeof record->name, fileName);
    record->texture = nullptr;
    if (StrICmp(path, "NO_TEXTURE") != 0) {
        record->texture = LoadTexture(path, fileName);
        if (!record->texture) Log("    ERROR: texture %s could not be loaded\n", path);
    }
    textures.push_back(std::move(record));
    return textures.back().get();
}

void ReleaseDrawTextures()
{
    for (auto& record : textures) SafeRelease(&record->texture);
    textures.clear();
    texturePackage.reset();
    guiPackage.reset();
}

uint32_t PackColour(float r, float g, float b, float a)
{
    auto byte = [](float c) -> uint32_t {
        if (c >= 1.0f) return 255;
        if (c <= 0.0f) return 0;
        return (uint32_t)(c * 255.0f + 0.5f);
    };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}
