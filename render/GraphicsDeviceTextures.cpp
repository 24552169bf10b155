// The graphics device's texture loading, screenshots and result names.
#include "render/GraphicsDevice.h"

#include "host/GfxDevice.h"
#include "host/GfxImage.h"
#include "host/ImageCodec.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/PackageFile.h"
#include "render/TextureManager.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A package entry found for a texture: its bytes stay loaded until Done.
struct PackageHit {
    PackageFile* package = nullptr;
    const unsigned char* bytes = nullptr;
    unsigned size = 0;
    const char* file = nullptr;

    bool Found() const { return bytes != nullptr; }
    bool LookIn(PackageFile* candidate, const char* fileName)
    {
        if (Found() || !candidate) return Found();
        unsigned entrySize = 0;
        const unsigned char* data = candidate->GetData(fileName, &entrySize);
        if (data) {
            package = candidate;
            bytes = data;
            size = entrySize;
            file = fileName;
        }
        return Found();
    }
    void Done()
    {
        if (package) package->ReleaseData(file);
        package = nullptr;
        bytes = nullptr;
    }
};

// The path a texture is read from when no package has it, and the file name the packages
// are searched for.
void PrepareTexturePath(const char* name, char* path, char* file)
{
    CopyText(path, MAX_PATH_TEXT, name);
    GetFileName(path, file);
    // A drive letter means nothing here; what follows it is the path.
    if (path[0] && path[1] == ':') memmove(path, path + 2, strlen(path + 2) + 1);
    if (StrICmp(path, "NO_TEXTURE") != 0) FixPath(path);
}

bool DataFileExists(const char* path)
{
    FileStatus status;
    return GetFileStatus(ResolvePathCase(path).c_str(), status) == 0 && !status.isDirectory;
}

void ReportTextureFailure(const char* name, const char* path, GfxResult result, bool cube)
{
    char box[MAX_PATH_TEXT + 40];
    snprintf(box, sizeof box, cube ? "Failed to load cubemap %s" : "Failed to load %s", path);
    bool quiet = StrICmp(name, "NO_TEXTURE") == 0;
    if (!quiet && Config && Config->messageBoxErrors) ShowMessageBox("ERROR", box);
    char resultName[64];
    D3DErrorName(result, resultName, sizeof resultName);
    Log("%s%s %s%s\n",
        cube ? "    ERROR: InitGeometry D3DXCreateCubeTextureFromFile filename: "
             : "    ERROR: InitGeometry D3DXCreateTextureFromFileEx filename: ",
        path, resultName, box);
}

// Screenshot file formats by the configured name; anything else is BMP.
ImageFileFormat ScreenshotFormat()
{
    static const struct {
        const char* name;
        ImageFileFormat format;
    } formats[] = {
        {"jpeg", ImageFileFormat::JPG}, {"bmp", ImageFileFormat::BMP}, {"dds", ImageFileFormat::DDS},
        {"png", ImageFileFormat::PNG},  {"dib", ImageFileFormat::DIB}, {"hdr", ImageFileFormat::HDR},
        {"pfm", ImageFileFormat::PFM},
    };
    const char* configured = Config ? Config->screenshotFormat : "";
    for (const auto& entry : formats)
        if (StrICmp(configured, entry.name) == 0) return entry.format;
    return ImageFileFormat::BMP;
}

}  // namespace

bool GraphicsDevice::LoadTexture(const char* name, GfxBaseTexture** out, bool nonPow2, bool dynamic)
{
    if (out) *out = nullptr;
    if (!name || !out) return false;
    char path[MAX_PATH_TEXT], file[MAX_PATH_TEXT];
    PrepareTexturePath(name, path, file);

    PackageHit hit;
    hit.LookIn(TexturePatchPackage, file);
    if (!hit.Found() && strstr(name, "/gui/")) hit.LookIn(GuiPackage, file);
    if (!hit.Found()) {
        if (Config && Config->useLowResTextures) {
            hit.LookIn(LowTexturePackage, file);
            if (!hit.Found() || ForceLooseTextureFiles) {
                char folder[MAX_PATH_TEXT];
                GetDirectory(path, folder);
                std::string low = std::string(folder) + "low/" + file;
                if (low.size() < MAX_PATH_TEXT && DataFileExists(low.c_str())) CopyText(path, MAX_PATH_TEXT, low.c_str());
            }
        }
        hit.LookIn(TexturePackage, file);
        // A world texture's name that only the GUI's package holds is that picture (the
        // editor's debug layers), unless a loose file of that name is there to be loaded.
        if (!hit.Found() && !DataFileExists(path)) hit.LookIn(GuiPackage, file);
    }

    // Textures that keep the file's size come from the packages as well as from loose files.
    bool fileSize = nonPow2 && NonPow2TexturesAllowed;
    uint32_t side = fileSize ? IMAGE_DEFAULT_NONPOW2 : IMAGE_DEFAULT;
    PixelFormat format = fileSize ? PixelFormat::FromFile : PixelFormat::Unknown;
    uint32_t filter = fileSize ? IMAGE_FILTER_NONE : IMAGE_DEFAULT;
    Image image;
    bool decoded;
    GfxResult result = ERR_NOTFOUND;
    if (hit.Found() && !ForceLooseTextureFiles) {
        decoded = CreateImageFromMemoryEx(hit.bytes, hit.size, side, side, IMAGE_FROM_FILE, format, filter, filter, 0,
                                          image);
    } else {
        decoded = DataFileExists(path) &&
                  CreateImageFromFileEx(path, side, side, IMAGE_FROM_FILE, format, filter, filter, 0, image);
        if (!decoded && DataFileExists(path)) result = ERR_INVALIDCALL;
    }
    hit.Done();
    if (decoded) {
        if (!device) result = ERR_INVALIDDEVICE;
        else result = CreateTextureFromImage(device, image, image.mipLevels, dynamic ? (uint32_t)USAGE_DYNAMIC : 0u, POOL_DEFAULT, out);
        if (GfxSucceeded(result) && *out) return true;
        if (GfxSucceeded(result)) result = GFX_E_FAIL;
    }
    *out = nullptr;
    ReportTextureFailure(name, path, result, false);
    return false;
}

bool GraphicsDevice::LoadCubeTexture(const char* name, GfxBaseTexture** out)
{
    if (out) *out = nullptr;
    if (!name || !out) return false;
    char path[MAX_PATH_TEXT], file[MAX_PATH_TEXT];
    PrepareTexturePath(name, path, file);

    PackageHit hit;
    hit.LookIn(TexturePackage, file);
    Image image;
    bool decoded;
    GfxResult result = ERR_NOTFOUND;
    if (hit.Found() && !ForceLooseTextureFiles) {
        decoded = CreateCubeImageFromMemoryEx(hit.bytes, hit.size, IMAGE_DEFAULT, IMAGE_DEFAULT, PixelFormat::Unknown,
                                              IMAGE_DEFAULT, IMAGE_DEFAULT, 0, image);
    } else {
        decoded = DataFileExists(path) && CreateCubeImageFromFileEx(path, IMAGE_DEFAULT, IMAGE_DEFAULT, PixelFormat::Unknown,
                                                                    IMAGE_DEFAULT, IMAGE_DEFAULT, 0, image);
    }
    if (!decoded && (hit.Found() || DataFileExists(path))) result = ERR_INVALIDCALL;
    hit.Done();
    if (decoded) {
        if (!device) result = ERR_INVALIDDEVICE;
        else result = CreateTextureFromImage(device, image, image.mipLevels, 0, POOL_DEFAULT, out);
        if (GfxSucceeded(result) && *out) return true;
        if (GfxSucceeded(result)) result = GFX_E_FAIL;
    }
    *out = nullptr;
    ReportTextureFailure(name, path, result, true);
    return false;
}

bool GraphicsDevice::LoadTextureRecord(const char* name, TextureRecord* record, bool dynamic)
{
    if (!name || !record) return false;
    if (name != record->name) CopyText(record->name, sizeof record->name, name);
    SafeRelease(&record->texture);
    if (record->flags & TEXTURE_CUBE) return LoadCubeTexture(record->name, &record->texture);
    return LoadTexture(record->name, &record->texture, (record->flags & TEXTURE_NONPOW2) != 0, dynamic);
}

// ---- Screenshots ---------------------------------------------------------------------------------

void GraphicsDevice::SaveScreenshot(const char* fileName, int, int)
{
    if (!fileName || strlen(fileName) < 5 || !strchr(fileName, '.')) return;
    if (!device) return;
    ImageFileFormat format = ScreenshotFormat();
    if (!PresentParams.Windowed) {
        SaveFrontBuffer(fileName, (int)format);
        return;
    }
    // The back buffer holds the next frame only while it is drawn; Present reads it then.
    CopyText(pendingScreenshot_, sizeof pendingScreenshot_, fileName);
    pendingScreenshotFormat_ = (int)format;
}

void GraphicsDevice::SaveFrontBuffer(const char* fileName, int fileFormat)
{
    GfxSurface* surface = nullptr;
    if (GfxFailed(device->CreateOffscreenPlainSurface(PresentParams.BackBufferWidth, PresentParams.BackBufferHeight,
                                                      FMT_A8R8G8B8, POOL_SYSTEMMEM, &surface))) {
        Log("Couldn''t Make the Front Buffer\n\n");
        return;
    }
    if (GfxFailed(device->GetFrontBufferData(0, surface))) {
        Log("Couldn''t Grab the front Buffer\n\n");
    } else {
        Image image;
        if (!ReadSurfaceImage(device, surface, image) ||
            !SaveImageFile(fileName, (ImageFileFormat)fileFormat, image))
            Log("Couldn''t Save Screenie\n\n");
    }
    surface->Release();
}

void GraphicsDevice::SaveBackBuffer(const char* fileName, int fileFormat)
{
    GfxSurface* surface = nullptr;
    if (GfxFailed(device->GetBackBuffer(0, 0, &surface))) return;
    Image image;
    if (ReadSurfaceImage(device, surface, image)) SaveImageFile(fileName, (ImageFileFormat)fileFormat, image);
    surface->Release();
}

// ---- Result names --------------------------------------------------------------------------------

void D3DErrorName(GfxResult result, char* out, size_t outSize)
{
    static const struct {
        GfxResult result;
        const char* name;
        int tabs;
    } names[] = {
        {ERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT", 0},
        {ERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY", 3},
        {ERR_WASSTILLDRAWING, "D3DERR_WASSTILLDRAWING", 3},
        {OK_NOAUTOGEN, "D3DOK_NOAUTOGEN", 5},
        {ERR_UNSUPPORTEDCOLOROPERATION, "D3DERR_UNSUPPORTEDCOLOROPERATION", 0},
        {ERR_UNSUPPORTEDCOLORARG, "D3DERR_UNSUPPORTEDCOLORARG", 0},
        {ERR_UNSUPPORTEDALPHAOPERATION, "D3DERR_UNSUPPORTEDALPHAOPERATION", 0},
        {ERR_UNSUPPORTEDALPHAARG, "D3DERR_UNSUPPORTEDALPHAARG", 2},
        {ERR_TOOMANYOPERATIONS, "D3DERR_TOOMANYOPERATIONS", 2},
        {ERR_CONFLICTINGTEXTUREFILTER, "D3DERR_CONFLICTINGTEXTUREFILTER", 1},
        {ERR_UNSUPPORTEDFACTORVALUE, "D3DERR_UNSUPPORTEDFACTORVALUE", 1},
        {ERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE", 1},
        {ERR_UNSUPPORTEDTEXTUREFILTER, "D3DERR_UNSUPPORTEDTEXTUREFILTER", 1},
        {ERR_CONFLICTINGTEXTUREPALETTE, "D3DERR_CONFLICTINGTEXTUREPALETTE", 0},
        {ERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR", 2},
        {ERR_NOTFOUND, "D3DERR_NOTFOUND", 5},
        {ERR_MOREDATA, "D3DERR_MOREDATA", 5},
        {ERR_DEVICELOST, "D3DERR_DEVICELOST", 4},
        {ERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET", 3},
        {ERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", 4},
        {ERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE", 3},
        {ERR_INVALIDCALL, "D3DERR_INVALIDCALL", 4},
        {ERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL", 2},
    };
    if (!out || outSize == 0) return;
    const char* name = "D3DERR_DEAFAULT";
    int tabs = 0;
    for (const auto& entry : names) {
        if (entry.result == result) {
            name = entry.name;
            tabs = entry.tabs;
            break;
        }
    }
    char text[64];
    snprintf(text, sizeof text, "%s%.*s", name, tabs, "\t\t\t\t\t");
    CopyText(out, outSize, text);
}
