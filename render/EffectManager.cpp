// The effect manager: records by file and variant, compiling with macros and the shared
// include, the flat fallback, reloading and the device-loss calls.
#include "render/EffectManager.h"

#include "host/GfxDevice.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/PackageFile.h"

#include <cstdio>
#include <cstring>

PackageFile* ShaderPackage = nullptr;
EffectManager* TheEffectManager = nullptr;

namespace {

constexpr const char* NO_ERRORS = "No shader errors.";
constexpr const char* FALLBACK_PATH = "data/shaders/flat.fx";

char LastError[EffectManager::LAST_ERROR_SIZE] = "No shader errors.";
// While set, effects compile from the files under data/shaders/ even when the package has them.
bool LooseFiles = false;
// "shared.fxh", fetched once from the package and kept.
std::string SharedInclude;
bool SharedIncludeFetched = false;

bool ReadWholeFile(const char* path, std::string* text)
{
    FILE* file = OpenDataFile(path, "rb");
    if (!file) return false;
    text->clear();
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
    fclose(file);
    return true;
}

void FetchSharedInclude()
{
    if (SharedIncludeFetched || !ShaderPackage) return;
    unsigned size = 0;
    if (const unsigned char* data = ShaderPackage->GetData("shared.fxh", &size)) {
        SharedInclude.assign((const char*)data, size);
        SharedIncludeFetched = true;
        ShaderPackage->ReleaseData("shared.fxh");
    }
}

}  // namespace

EffectManager::EffectManager(GfxDevice* device) : device_(device), list_(new PooledList<Entry>())
{
    list_->Init(INITIAL_EFFECTS);
    CopyText(LastError, sizeof LastError, NO_ERRORS);
    if (!ShaderPackage) {
        char path[MAX_PATH_TEXT] = "Data/shaders.pkb";
        FixPath(path);
        ShaderPackage = new PackageFile();
        ShaderPackage->Open(path, false);
    }
}

EffectManager::~EffectManager()
{
    for (auto* node = list_->head; node; node = node->next) delete node->value.effect;
}

const char* EffectManager::GetLastError() { return LastError; }

void EffectManager::BuildMacroList(std::vector<std::string>* out)
{
    out->clear();
    out->push_back("AMBIENT_OCCLUSION");
    if (!Config) return;
    if (Config->shadows) {
        out->push_back("TERRAIN_SHADOWS");
        if (Config->shadowType == 0)
            out->push_back("FLOATING_POINT_SHADOWMAPS");
        else if (Config->shadowType == 1)
            out->push_back("RGB_SHADOWMAPS");
        else
            out->push_back("INDEX_BUFFER_SHADOWMAPS");
        if (Config->filterShadows) out->push_back("FILTER_SHADOWS");
    }
    if (Config->terrainColor) out->push_back("TERRAIN_COLOR");
    if (Config->glowQuality == 1) out->push_back("TWO_PASS_GLOW");
}

Effect* EffectManager::GetByIndex(int index) const
{
    int i = 0;
    for (auto* node = list_->head; node; node = node->next, ++i)
        if (i == index) return node->value.effect;
    return nullptr;
}

bool EffectManager::Append(const Entry& entry)
{
    if (list_->IsFull()) {
        // More effect files than expected: move the records to a larger pool rather than
        // turning effects away.
        int capacity = list_->capacity > 0 ? list_->capacity * 2 : INITIAL_EFFECTS;
        std::unique_ptr<PooledList<Entry>> larger(new PooledList<Entry>());
        if (!larger->Init(capacity)) {
            Log("ERROR: no room for effect '%s' (%d effects)\n", entry.fileName, list_->count);
            return false;
        }
        for (auto* node = list_->head; node; node = node->next) larger->PushBack(node->value);
        Log("WARNING: more than %d effects; the effect list grows to %d\n", list_->capacity, capacity);
        list_ = std::move(larger);
    }
    return list_->PushBack(entry);
}

Effect* EffectManager::GetEffect(const char* fileName, int variant, bool create)
{
    // Names are kept in 128 characters: compare what can be kept.
    char name[MAX_PATH_TEXT];
    if (!fileName || StrICmp(fileName, "none") == 0)
        CopyText(name, sizeof name, "flat.fx");
    else
        GetFileName(fileName, name);
    char base[sizeof(Entry::fileName)];
    CopyText(base, sizeof base, name);

    for (auto* node = list_->head; node; node = node->next)
        if (node->value.variant == variant && StrICmp(node->value.fileName, base) == 0) return node->value.effect;
    if (!create) return nullptr;

    char path[MAX_PATH_TEXT + 16];
    snprintf(path, sizeof path, "data/shaders/%s", base);
    Entry entry;
    memset(&entry, 0, sizeof entry);
    CopyText(entry.fileName, sizeof entry.fileName, base);
    entry.variant = variant;
    entry.effect = new Effect(this, base, path, list_->count);
    if (!Append(entry)) {
        delete entry.effect;
        return nullptr;
    }
    return entry.effect;
}

bool EffectManager::Compile(const char* path, EffectObject** out, std::string* errors)
{
    *out = nullptr;
    errors->clear();
    FetchSharedInclude();
    std::vector<std::string> macros;
    BuildMacroList(&macros);

    char name[MAX_PATH_TEXT];
    GetFileName(path, name);
    unsigned size = 0;
    const unsigned char* data = !LooseFiles && ShaderPackage ? ShaderPackage->GetData(name, &size) : nullptr;
    if (data && size > 0) {
        // From the package every #include, whatever it names, is the shared include.
        EffectIncludeFunction shared = [](const char*, std::string* text) {
            if (!SharedIncludeFetched) return false;
            *text = SharedInclude;
            return true;
        };
        *out = EffectObject::Create(device_, (const char*)data, size, name, macros, shared, errors);
        ShaderPackage->ReleaseData(name);
        return *out != nullptr;
    }

    std::string text;
    if (!ReadWholeFile(path, &text)) return false;
    // Loose files include their neighbours.
    char folder[MAX_PATH_TEXT];
    GetDirectory(path, folder);
    std::string directory = folder;
    EffectIncludeFunction neighbours = [directory](const char* include, std::string* included) {
        return ReadWholeFile((directory + include).c_str(), included);
    };
    *out = EffectObject::Create(device_, text.data(), text.size(), name, macros, neighbours, errors);
    return *out != nullptr;
}

bool EffectManager::LoadEffect(Effect* effect, const char* label)
{
    if (!effect) return false;
    if (effect->flags & EFFECT_LOADED) return effect->effect != nullptr;

    CopyText(effect->label, sizeof effect->label, label && StrICmp(label, "none") == 0 ? "none" : "main");
    char path[MAX_PATH_TEXT];
    CopyText(path, sizeof path, effect->path);
    FixPath(path);
    effect->flags |= EFFECT_LOADED;

    if (!effect->effect) {
        bool fallback = false;
        while (true) {
            std::string errors;
            if (Compile(path, &effect->effect, &errors)) {
                if (!fallback) effect->flags &= ~EFFECT_COMPILE_FAILED;
                break;
            }
            effect->flags |= EFFECT_COMPILE_FAILED;
            std::string box = std::string("ERROR: D3DXCreateEffectFromFile :") + path + ".\n";
            if (!errors.empty()) {
                ShowMessageBox("", (box + errors).c_str());
                Log("%s\n", errors.c_str());
                CopyText(LastError, sizeof LastError, errors.c_str());
            } else {
                ShowMessageBox("", box.c_str());
                Log("%s\n", box.c_str());
            }
            if (fallback) return false;
            fallback = true;
            CopyText(path, sizeof path, FALLBACK_PATH);
            FixPath(path);
        }
    }
    effect->LookUpHandles();
    return true;
}

bool EffectManager::PrecompileNext()
{
    if (!ShaderPackage || LooseFiles) return false;
    while (precompiled_ < ShaderPackage->GetEntryCount()) {
        const char* name = ShaderPackage->GetEntryName(precompiled_++);
        const size_t length = name ? strlen(name) : 0;
        if (length < 4 || StrICmp(name + length - 3, ".fx") != 0) continue;
        Effect* effect = GetEffect(name);
        if (!effect || effect->effect || (effect->flags & EFFECT_LOADED)) continue;
        char path[MAX_PATH_TEXT];
        CopyText(path, sizeof path, effect->path);
        FixPath(path);
        std::string errors;
        EffectObject* compiled = nullptr;
        if (Compile(path, &compiled, &errors)) effect->effect = compiled;
        return true;
    }
    return false;
}

namespace {

// The lines of a warm-up list of the shader package, after those already in out; none when
// the package has no such list.
void ReadWarmUpList(const char* name, std::vector<std::string>* out)
{
    unsigned size = 0;
    const unsigned char* data = ShaderPackage ? ShaderPackage->GetData(name, &size) : nullptr;
    if (!data) return;
    std::string text((const char*)data, size);
    ShaderPackage->ReleaseData(name);
    size_t b = 0;
    while (b < text.size()) {
        size_t e = text.find('\n', b);
        if (e == std::string::npos) e = text.size();
        std::string line = text.substr(b, e - b);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') out->push_back(line);
        b = e + 1;
    }
}

}  // namespace

void EffectManager::ReadWarmUpOnce()
{
    if (warmUpRead_) return;
    warmUpRead_ = true;
    ReadWarmUpList("warmup.txt", &warmUp_);
}

bool EffectManager::WarmUpNext()
{
    ReadWarmUpOnce();
    if (!device_ || warmUpNext_ >= warmUp_.size()) return false;
    const std::string& line = warmUp_[warmUpNext_++];
    if (!device_->WarmDraw(line)) warmLater_.push_back(line);
    return true;
}

void EffectManager::QueueWarmUp(const char* listName)
{
    if (!listName) return;
    for (const std::string& queued : queuedLists_)
        if (queued == listName) return;
    queuedLists_.push_back(listName);
    ReadWarmUpOnce();
    ReadWarmUpList(listName, &warmUp_);
}

void EffectManager::RetryWarmUp()
{
    if (warmLater_.empty()) return;
    warmUp_.erase(warmUp_.begin(), warmUp_.begin() + (std::ptrdiff_t)warmUpNext_);
    warmUp_.insert(warmUp_.begin(), warmLater_.begin(), warmLater_.end());
    warmLater_.clear();
    warmUpNext_ = 0;
}

void EffectManager::ReloadAll(bool looseFiles)
{
    CopyText(LastError, sizeof LastError, NO_ERRORS);
    LooseFiles = looseFiles;
    for (auto* node = list_->head; node; node = node->next) node->value.effect->Reload();
    LooseFiles = false;
}

void EffectManager::ReleaseAll()
{
    for (auto* node = list_->head; node; node = node->next) {
        Effect* e = node->value.effect;
        if (e->effect) {
            e->effect->OnLostDevice();
            e->mainTechnique = e->zpassTechnique = e->glowTechnique = nullptr;
            e->glows = false;
        }
        e->flags &= ~EFFECT_LOADED;
    }
}

void EffectManager::RestoreAll()
{
    for (auto* node = list_->head; node; node = node->next) {
        Effect* e = node->value.effect;
        if (!e->effect) continue;
        e->effect->OnResetDevice();
        e->params = EffectParameterBlock();
        LoadEffect(e, e->label);
    }
}

void EffectManager::ClosePackage()
{
    SharedInclude.clear();
    SharedIncludeFetched = false;
    if (!ShaderPackage) return;
    ShaderPackage->Close();
    delete ShaderPackage;
    ShaderPackage = nullptr;
}
