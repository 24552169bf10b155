#include "render/TextureManager.h"

#include "host/GfxTexture.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "render/GraphicsDevice.h"

#include <cstring>

TextureManager* Textures = nullptr;

TextureRecord::TextureRecord()
{
    name[0] = 0;
    key[0] = 0;
    flags = 0;
    texture = nullptr;
    useCount = 0;
}

TextureRecord::~TextureRecord()
{
    flags = 0;
    texture = nullptr;
    useCount = 0;
}

int TextureManager::HashName(const char* name, int bucketCount)
{
    return NamedTableBucket(name, bucketCount);
}

namespace {

// The file-name part of a name: the text after the last separator, or all of it.
void KeyOf(const char* name, char* key, size_t keySize)
{
    char file[MAX_PATH_TEXT];
    GetFileName(name ? name : "", file);
    CopyText(key, keySize, file);
}

const char* const SCREEN_TARGET = "RT_renderTarget";

}  // namespace

TextureManager::TextureManager()
{
    for (PooledList<Entry*>& bucket : buckets_) bucket.Init(BUCKET_NODES);
}

TextureManager::~TextureManager()
{
    ForEachEntry([this](Entry* entry) {
        ReleaseTexture(entry);
        delete entry;
    });
    for (PooledList<Entry*>& bucket : buckets_) bucket.Free();
    refused_ = nullptr;
    count_ = 0;
}

template <class Visit>
void TextureManager::ForEachEntry(Visit visit)
{
    for (PooledList<Entry*>& bucket : buckets_) {
        for (PooledList<Entry*>::Node* node = bucket.head; node;) {
            PooledList<Entry*>::Node* next = node->next;
            visit(node->value);
            node = next;
        }
    }
    if (refused_) visit(refused_);
}

template <class Visit>
void TextureManager::ForEachMatch(const char* pattern, Visit visit)
{
    char key[MAX_PATH_TEXT];
    KeyOf(pattern, key, sizeof key);
    char* star = strchr(key, '*');
    if (star && star != key) {
        *star = 0;
        ForEachEntry([&](Entry* entry) {
            if (strstr(entry->record.key, key)) visit(entry);
        });
        return;
    }
    for (PooledList<Entry*>::Node* node = buckets_[HashName(key, BUCKET_COUNT)].head; node; node = node->next)
        if (StrICmp(node->value->record.key, key) == 0) visit(node->value);
}

TextureManager::Entry* TextureManager::FindEntry(const char* key, int variant, bool anyVariant)
{
    if (!key) return nullptr;
    for (PooledList<Entry*>::Node* node = buckets_[HashName(key, BUCKET_COUNT)].head; node; node = node->next) {
        Entry* entry = node->value;
        if ((anyVariant || entry->variant == variant) && StrICmp(entry->record.key, key) == 0) return entry;
    }
    return nullptr;
}

TextureManager::Entry* TextureManager::NewEntry(const char* name, const char* key, int variant)
{
    if (buckets_[HashName(key, BUCKET_COUNT)].IsFull()) {
        Log("ERROR: texture table bucket %d is full (%d entries); '%s' is not kept\n", HashName(key, BUCKET_COUNT),
            BUCKET_NODES, name);
        return nullptr;
    }
    Entry* entry = new Entry();
    CopyText(entry->name, sizeof entry->name, name);
    entry->variant = variant;
    CopyText(entry->record.name, sizeof entry->record.name, name);
    CopyText(entry->record.key, sizeof entry->record.key, key);
    entry->width = entry->height = 0;
    entry->format = FMT_UNKNOWN;
    entry->usage = TEXTURE_USAGE_FILE;
    return entry;
}

bool TextureManager::FileEntry(Entry* entry)
{
    PooledList<Entry*>& bucket = buckets_[HashName(entry->record.key, BUCKET_COUNT)];
    if (!bucket.PushBack(entry)) return false;
    ++count_;
    if (bucket.count > largestBucket_) largestBucket_ = bucket.count;
    return true;
}

void TextureManager::ReleaseTexture(Entry* entry)
{
    SafeRelease(&entry->record.texture);
}

TextureRecord* TextureManager::RefusedRequest(const char* name)
{
    (void)name;
    if (!refused_) {
        refused_ = new Entry();
        CopyText(refused_->name, sizeof refused_->name, PLACEHOLDER_TEXTURE);
        KeyOf(PLACEHOLDER_TEXTURE, refused_->record.key, sizeof refused_->record.key);
        refused_->variant = 0;
        refused_->width = refused_->height = 0;
        refused_->format = FMT_UNKNOWN;
        refused_->usage = TEXTURE_USAGE_FILE;
        refused_->record.flags = TEXTURE_NONPOW2;
        CopyText(refused_->record.name, sizeof refused_->record.name, PLACEHOLDER_TEXTURE);
        if (Graphics) Graphics->LoadTextureRecord(PLACEHOLDER_TEXTURE, &refused_->record, false);
    }
    ++refused_->record.useCount;
    return &refused_->record;
}

TextureRecord* TextureManager::GetTexture(const char* name, int variant)
{
    if (!name) name = "";
    char key[128];
    KeyOf(name, key, sizeof key);
    if (Entry* entry = FindEntry(key, variant, false)) {
        ++entry->record.useCount;
        return &entry->record;
    }

    Entry* entry = NewEntry(name, key, variant);
    if (!entry) return RefusedRequest(name);
    TextureRecord& record = entry->record;
    record.useCount = 1;
    if (variant & TEXTURE_VARIANT_CUBE) record.flags |= TEXTURE_CUBE;
    if (variant & TEXTURE_VARIANT_NONPOW2) record.flags |= TEXTURE_NONPOW2;

    if (Graphics && Graphics->LoadTextureRecord(name, &record, false)) {
        record.flags |= TEXTURE_LOADED;
    } else if (Graphics && Graphics->LoadTextureRecord(PLACEHOLDER_TEXTURE, &record, false)) {
        record.flags = (record.flags | TEXTURE_NONPOW2) & ~TEXTURE_LOADED;
    } else {
        record.flags &= ~TEXTURE_LOADED;
    }
    FileEntry(entry);
    return &record;
}

TextureRecord* TextureManager::FindTexture(const char* name, int variant)
{
    Entry* entry = FindEntry(name, variant, false);
    return entry ? &entry->record : nullptr;
}

bool TextureManager::Recreate(Entry* entry)
{
    TextureRecord& record = entry->record;
    ReleaseTexture(entry);
    bool made = false;
    switch (entry->usage) {
    case TEXTURE_USAGE_FILE:
        made = Graphics && Graphics->LoadTextureRecord(record.name, &record, false);
        break;
    case TEXTURE_USAGE_RENDERTARGET:
        made = Graphics && Graphics->CreateRenderTarget(entry->width, entry->height, entry->format, &record);
        break;
    case TEXTURE_USAGE_DYNAMIC:
        made = Graphics && Graphics->CreateDynamicTexture(entry->width, entry->height, entry->format, &record, 1);
        break;
    default:
        Log("WARNING: unknown texture usage \n%s\n", entry->name);
        break;
    }
    if (made)
        record.flags |= TEXTURE_LOADED;
    else
        record.flags &= ~TEXTURE_LOADED;
    return made;
}

TextureRecord* TextureManager::CreateRenderTarget(uint32_t width, uint32_t height, GfxFormat format, const char* name)
{
    return CreateMadeTexture(name, TEXTURE_USAGE_RENDERTARGET, width, height, format, 1);
}

TextureRecord* TextureManager::CreateDynamicTexture(uint32_t width, uint32_t height, GfxFormat format,
                                                    const char* name, uint32_t levels)
{
    return CreateMadeTexture(name, TEXTURE_USAGE_DYNAMIC, width, height, format, levels);
}

TextureRecord* TextureManager::CreateMadeTexture(const char* name, uint32_t usage, uint32_t width, uint32_t height,
                                                 GfxFormat format, uint32_t levels)
{
    if (!name) return nullptr;
    Entry* entry = FindEntry(name, 0, false);
    bool fresh = entry == nullptr;
    if (fresh) {
        entry = NewEntry(name, name, 0);
        if (!entry) return nullptr;
        entry->usage = usage;
    }
    // A texture made again at a new size keeps that size across device resets.
    entry->width = width;
    entry->height = height;
    entry->format = format;
    ReleaseTexture(entry);
    bool made = false;
    if (Graphics) {
        made = usage == TEXTURE_USAGE_RENDERTARGET
                   ? Graphics->CreateRenderTarget(width, height, format, &entry->record)
                   : Graphics->CreateDynamicTexture(width, height, format, &entry->record, levels);
    }
    if (made)
        entry->record.flags |= TEXTURE_LOADED;
    else
        entry->record.flags &= ~TEXTURE_LOADED;
    if (fresh) FileEntry(entry);
    return &entry->record;
}

void TextureManager::ReleaseRenderTargets()
{
    ForEachEntry([this](Entry* entry) {
        ReleaseTexture(entry);
        entry->record.flags &= ~TEXTURE_LOADED;
    });
}

void TextureManager::RestoreRenderTargets()
{
    ForEachEntry([this](Entry* entry) {
        if (entry->record.flags & TEXTURE_RELEASED) return;
        if (entry->usage == TEXTURE_USAGE_RENDERTARGET && strcmp(entry->name, SCREEN_TARGET) == 0 && Config) {
            entry->width = (uint32_t)Config->width;
            entry->height = (uint32_t)Config->height;
        }
        Recreate(entry);
    });
}

void TextureManager::ReleaseTextures(const char* pattern)
{
    ForEachMatch(pattern, [this](Entry* entry) {
        ReleaseTexture(entry);
        entry->record.flags = (entry->record.flags & ~TEXTURE_LOADED) | TEXTURE_RELEASED;
    });
}

int TextureManager::ReloadTextures(const char* pattern)
{
    int reloaded = 0;
    ForEachMatch(pattern, [&](Entry* entry) {
        if (entry->record.texture) return;  // still there: nothing to bring back
        if (Recreate(entry)) {
            entry->record.flags &= ~TEXTURE_RELEASED;
            ++reloaded;
        }
    });
    return reloaded;
}

void TextureManager::RecreateTexture(const char* pattern)
{
    ForEachMatch(pattern, [this](Entry* entry) { Recreate(entry); });
}

void TextureManager::ReloadAll()
{
    ForEachEntry([this](Entry* entry) {
        if (entry->usage != TEXTURE_USAGE_FILE) return;
        ReleaseTexture(entry);
        entry->record.flags &= ~TEXTURE_LOADED;
    });
    ForEachEntry([this](Entry* entry) {
        if (entry->usage == TEXTURE_USAGE_FILE) Recreate(entry);
    });
}

void TextureManager::FindVariant(const char* key, const char* paint)
{
    Entry* entry = FindEntry(key, 0, true);
    if (!entry) return;
    char* name = entry->record.name;
    char rewritten[sizeof entry->record.name];
    CopyText(rewritten, sizeof rewritten, name);
    if (!paint || strcmp(paint, "default") == 0) {
        char* at = strchr(rewritten, '@');
        if (!at) return;
        *at = 0;
        strcat(rewritten, ".dds");
    } else {
        if (strstr(name, paint)) return;
        char* cut = strchr(rewritten, '@');
        if (!cut) cut = strchr(rewritten, '.');
        if (cut) {
            *cut = 0;
            if (strlen(rewritten) + strlen(paint) + 4 >= sizeof rewritten) {
                Log("WARNING: paint variant name too long: %s %s\n", name, paint);
                return;
            }
            strcat(rewritten, paint);
            strcat(rewritten, ".dds");
        }
    }
    CopyText(name, sizeof entry->record.name, rewritten);
    // The key may be a pattern's text; keep a copy, the reload walks the entries.
    char keyCopy[sizeof entry->record.key];
    CopyText(keyCopy, sizeof keyCopy, key);
    ReleaseTextures(keyCopy);
    ReloadTextures(keyCopy);
}

void TextureManager::DumpStatistics()
{
    int sizes[BUCKET_NODES + 1] = {};
    int total = 0;
    for (PooledList<Entry*>& bucket : buckets_) {
        total += bucket.count;
        if (bucket.count >= 0 && bucket.count <= BUCKET_NODES) ++sizes[bucket.count];
    }
    Log("\n");
    Log("TEXTURE STATISTICS: ");
    Log("Total texture count: %d\n", total);
    Log("Average bucket size: %f\n", (double)((float)total / (float)BUCKET_COUNT));
    for (int s = 0; s <= BUCKET_NODES; ++s) Log(" [%d] = %d\n", s, sizes[s]);
    Log("\n");
}

int TextureManager::QueryTextureDescs()
{
    uint64_t bytes = 0;
    ForEachEntry([&](Entry* entry) {
        if (GfxBaseTexture* texture = entry->record.texture)
            bytes += (uint64_t)texture->GetWidth(0) * texture->GetHeight(0) * 4;
    });
    return (int)(bytes / 1048576);
}
