#include "render/FontStringCache.h"

#include "host/GfxBuffers.h"
#include "render/FontBitmap.h"
#include "render/GraphicsDevice.h"

#include <cstring>

FontStringCache::FontStringCache()
{
    memset(entries, 0, sizeof entries);
    if (!Graphics) return;
    for (Entry& entry : entries)
        if (!Graphics->CreateVertexBuffer(BUFFER_BYTES, USAGE_DYNAMIC | USAGE_WRITEONLY, FONT_FVF, &entry.vertexBuffer))
            entry.vertexBuffer = nullptr;
}

FontStringCache::~FontStringCache()
{
    ReleaseAll();
}

FontStringCache::Entry* FontStringCache::Find(const char* text, uint32_t colour, int x, int y, int length,
                                              uint32_t flags)
{
    for (Entry& entry : entries) {
        if (entry.length == 0 || entry.length != length) continue;
        if (entry.colour != colour || entry.x != x || entry.y != y || entry.flags != flags) continue;
        if (strcmp(entry.text, text) == 0) return &entry;
    }
    return nullptr;
}

FontStringCache::Entry* FontStringCache::Allocate()
{
    for (Entry& entry : entries)
        if (entry.length == 0 && entry.vertexBuffer) return &entry;
    return nullptr;
}

FontStringCache::Entry* FontStringCache::Recycle(int currentFrame)
{
    Entry* last = nullptr;
    for (Entry& entry : entries) {
        if (entry.length == 0 || entry.lastFrame >= currentFrame - 1) continue;
        entry.length = 0;
        --count;
        if (entry.vertexBuffer) last = &entry;
    }
    return last;
}

void FontStringCache::ReleaseAll()
{
    for (Entry& entry : entries) {
        SafeRelease(&entry.vertexBuffer);
        entry.length = 0;
    }
    count = 0;
}
