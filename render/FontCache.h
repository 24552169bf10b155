#pragma once
// Owns every bitmap font of the program, keyed by face name (exactly, case included), height
// and creation flags; the font records of the 2D layer take their fonts from here.
// A cache enters itself in the graphics device's lost-device lists when it is made (every
// font is invalidated before a reset and restored after it) and leaves them when deleted;
// the game has one, and of several the latest made is the one listed.
#include "platform/PooledList.h"
#include "render/DeviceListing.h"

class CD3DFont;

struct FontCacheEntry {
    char faceName[128];
    int flags;
    CD3DFont* font;  // null when making it failed
    int height;
    float heightF;
};

class FontCache {
public:
    static constexpr int CAPACITY = 32;

    // An empty cache; also sets the GUI scale factors from the configured screen size.
    FontCache();
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The font of this face, height and flags, made on first request. A font whose device
    // objects cannot be made is reported (box and log) and handed out anyway: it draws
    // nothing. Null only when memory runs out or all 32 places are taken (logged).
    CD3DFont* GetFont(const char* faceName, int height, int flags);
    void InvalidateAll();
    void RestoreAll();
    // Deletes every font and empties the list.
    void Clear();

    int Count() const { return list.count; }

    PooledList<FontCacheEntry*> list;

private:
    DeviceListing<FontCache, &FontCache::InvalidateAll, &FontCache::RestoreAll> listing_{this, RELEASE_FONT_CACHE,
                                                                                        RESTORE_FONT_CACHE};
};

extern FontCache* Fonts;

// Screen size relative to the 1024 x 768 layout the GUI is designed for.
extern float GuiScaleX;
extern float GuiScaleY;
