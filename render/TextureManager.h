#pragma once
// The texture manager: the one table of textures by name. File textures are loaded on first
// request and shared afterwards; render targets and dynamic textures are made by name. Entries
// are never removed: textures are released and made again in place (device resets, reloads,
// paint variants), so a record pointer handed out stays valid for the life of the program.
//
// Entries are found by key and variant. The key is the file name without its folder, so two
// paths in different folders with the same file name (and variant) are one entry, the file
// loaded first. Keys compare without regard to case.
//
// Operations that take "a name or pattern" (ReleaseTextures, ReloadTextures, RecreateTexture)
// look at the file-name part of their argument: with a '*' anywhere but first, it is cut at
// the first '*' and every entry whose key contains the rest (case-sensitive) matches;
// otherwise every entry of that key, whatever its variant.
#include "host/GfxTypes.h"
#include "platform/PooledList.h"

#include <cstdint>

class GfxBaseTexture;

// Record flags.
enum : uint32_t {
    TEXTURE_LOADED = 1,    // the texture of the record's file is present
    TEXTURE_CUBE = 2,      // a cube map
    TEXTURE_NONPOW2 = 4,   // loaded at the file's size; also set when the placeholder stands in
    TEXTURE_RELEASED = 16, // released on request: a device reset leaves it empty
};

// Variant bits of GetTexture; other bits only make a distinct entry.
enum : int { TEXTURE_VARIANT_CUBE = 2, TEXTURE_VARIANT_NONPOW2 = 8 };

// Entry usages.
enum : uint32_t {
    TEXTURE_USAGE_FILE = 0,
    TEXTURE_USAGE_RENDERTARGET = USAGE_RENDERTARGET,
    TEXTURE_USAGE_DYNAMIC = USAGE_DYNAMIC,
};

// What a missing file shows instead.
constexpr const char* PLACEHOLDER_TEXTURE = "data/textures/notexture.dds";

struct TextureRecord {
    char name[256];    // the file actually loaded (the placeholder's after a fallback)
    char key[128];     // the file-name part of the requested name
    uint32_t flags;
    GfxBaseTexture* texture;  // owned
    uint32_t useCount;

    // Neither releases anything: the manager owns the texture.
    TextureRecord();
    ~TextureRecord();
    bool IsLoaded() const { return (flags & TEXTURE_LOADED) != 0; }
};

class TextureManager {
public:
    static constexpr int BUCKET_COUNT = 127;
    static constexpr int BUCKET_NODES = 13;

    struct Entry {
        char name[128];  // the name as first requested (may hold a folder)
        int variant;
        TextureRecord record;
        uint32_t width, height;
        GfxFormat format;
        uint32_t usage;  // TEXTURE_USAGE_*
    };

    TextureManager();
    // Releases every texture.
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // Bucket of a name in a table of bucketCount buckets: the game's name hash
    // (NamedTableBucket).
    static int HashName(const char* name, int bucketCount);

    // The record of a file texture; never null. A new entry loads its file, or the placeholder
    // when the file cannot be loaded (flag TEXTURE_NONPOW2 set, TEXTURE_LOADED clear). When
    // the key's bucket is full the request is refused (logged) and the shared placeholder
    // record is returned.
    TextureRecord* GetTexture(const char* name, int variant = 0);
    // The entry of exactly this key (the name as given) and variant, or null.
    TextureRecord* FindTexture(const char* name, int variant = 0);
    // Makes (or makes again, at the new size) the render target of that name. Null only when
    // the name's bucket is full (logged).
    TextureRecord* CreateRenderTarget(uint32_t width, uint32_t height, GfxFormat format, const char* name);
    TextureRecord* CreateDynamicTexture(uint32_t width, uint32_t height, GfxFormat format, const char* name,
                                        uint32_t levels);

    // Lost-device protocol: release every texture before a reset; make them again after it
    // (all but those released on request). The render target "RT_renderTarget" follows the
    // configured screen size.
    void ReleaseRenderTargets();
    void RestoreRenderTargets();

    // Developer tools and preview screens, by name or pattern.
    void ReleaseTextures(const char* pattern);
    // Makes every match that has no texture again; returns how many came back.
    int ReloadTextures(const char* pattern);
    void RecreateTexture(const char* pattern);
    // Texture detail changed: every file texture is loaded again.
    void ReloadAll();

    // Swaps the file of the entry with this key to a paint variant ("name@paint.dds"); null or
    // "default" goes back to the base file.
    void FindVariant(const char* key, const char* paint);

    void DumpStatistics();
    // Level-0 memory of every present texture at 4 bytes a texel, in MiB.
    int QueryTextureDescs();

    int GetTextureCount() const { return count_; }
    int GetLargestBucket() const { return largestBucket_; }

private:
    Entry* FindEntry(const char* key, int variant, bool anyVariant);
    Entry* NewEntry(const char* name, const char* key, int variant);
    bool FileEntry(Entry* entry);
    TextureRecord* RefusedRequest(const char* name);
    // A render target or dynamic texture (by usage) of that name, made or made again.
    TextureRecord* CreateMadeTexture(const char* name, uint32_t usage, uint32_t width, uint32_t height,
                                     GfxFormat format, uint32_t levels);
    // Makes the entry's texture again by its usage; the result sets or clears TEXTURE_LOADED.
    bool Recreate(Entry* entry);
    void ReleaseTexture(Entry* entry);
    template <class Visit> void ForEachEntry(Visit visit);
    template <class Visit> void ForEachMatch(const char* pattern, Visit visit);

    PooledList<Entry*> buckets_[BUCKET_COUNT];
    int count_ = 0;
    int largestBucket_ = 0;
    // Stands in for requests a full bucket refused; kept outside the table.
    Entry* refused_ = nullptr;
};

// The one texture manager, created by the application shell after the device.
extern TextureManager* Textures;
