#include "render/FontCache.h"

#include "host/Log.h"
#include "host/System.h"
#include "render/Draw2D.h"
#include "render/FontBitmap.h"
#include "render/GraphicsDevice.h"

#include <cstring>
#include <new>

FontCache* Fonts = nullptr;
float GuiScaleX = 1.0f;
float GuiScaleY = 1.0f;

FontCache::FontCache()
{
    list.Init(CAPACITY);
    GuiScaleX = (float)ScreenWidth() * (1.0f / 1024.0f);
    GuiScaleY = (float)ScreenHeight() / 768.0f;
}

FontCache::~FontCache()
{
    Clear();
}

void FontCache::Clear()
{
    for (auto* node = list.head; node; node = node->next) {
        delete node->value->font;
        delete node->value;
    }
    list.Clear();
}

CD3DFont* FontCache::GetFont(const char* faceName, int height, int flags)
{
    if (!faceName) faceName = "";
    for (auto* node = list.head; node; node = node->next) {
        FontCacheEntry* entry = node->value;
        if (strcmp(entry->faceName, faceName) == 0 && entry->flags == flags && entry->height == height)
            return entry->font;
    }
    if (list.IsFull()) {
        Log("    ERROR: FontCache is full, no font \"%s\" %d\n", faceName, height);
        return nullptr;
    }

    FontCacheEntry* entry = new (std::nothrow) FontCacheEntry();
    if (!entry) return nullptr;
    CopyText(entry->faceName, sizeof entry->faceName, faceName);
    entry->flags = flags;
    entry->height = height;
    entry->heightF = (float)height;
    entry->font = new (std::nothrow) CD3DFont(faceName, height, flags);
    if (!entry->font) {
        ShowMessageBox("Error", "ERROR: CD3DFont");
        Log("    ERROR: CD3DFont\n");
    } else if (!Graphics || !Graphics->device) {
        // Nothing is drawn in this run, but text is still measured and wrapped.
        entry->font->LoadMetrics();
    } else if (GfxFailed(entry->font->InitDeviceObjects(Graphics->device))) {
        ShowMessageBox("Error", "ERROR: CD3DFont::InitDeviceObjects");
        Log("    ERROR: CD3DFont::InitDeviceObjects\n");
    } else if (GfxFailed(entry->font->RestoreDeviceObjects())) {
        ShowMessageBox("Error", "ERROR: CD3DFont::RestoreDeviceObjects");
        Log("    ERROR: CD3DFont::RestoreDeviceObjects\n");
    }
    list.PushBack(entry);
    return entry->font;
}

void FontCache::InvalidateAll()
{
    for (auto* node = list.head; node; node = node->next)
        if (node->value->font) node->value->font->InvalidateDeviceObjects();
}

void FontCache::RestoreAll()
{
    for (auto* node = list.head; node; node = node->next)
        if (node->value->font) node->value->font->RestoreDeviceObjects();
}
