#pragma once
// A font's cache of recently drawn strings: 32 entries, each with its own dynamic vertex
// buffer holding the string's quads. An entry is keyed by the text, its colour, the whole
// pixel position it was drawn at and the drawing flags (centred text lands elsewhere than the
// same text drawn plainly, and filtering changes nothing in the vertices but is cheap to keep
// apart). Entries are recycled only when all 32 are taken, oldest frames first.
#include <cstdint>

class GfxVertexBuffer;

class FontStringCache {
public:
    static constexpr int ENTRY_COUNT = 32;
    static constexpr int TEXT_SIZE = 128;
    static constexpr uint32_t BUFFER_BYTES = 24576;

    struct Entry {
        char text[TEXT_SIZE];
        uint32_t colour;
        int x, y;
        int length;  // characters; 0 = free
        uint32_t flags;
        int lastFrame;
        int triangleCount;
        GfxVertexBuffer* vertexBuffer;
    };

    // Every entry free, each with its dynamic vertex buffer (an entry whose buffer cannot be
    // made stays without one and is never handed out).
    FontStringCache();
    ~FontStringCache();
    FontStringCache(const FontStringCache&) = delete;
    FontStringCache& operator=(const FontStringCache&) = delete;

    // The entry in use holding this key, or null.
    Entry* Find(const char* text, uint32_t colour, int x, int y, int length, uint32_t flags);
    // The first free entry with a buffer, or null.
    Entry* Allocate();
    // When nothing is free: every entry in use not drawn in this frame or the previous one is
    // freed, and the last of those is returned (null when none was old enough).
    Entry* Recycle(int currentFrame);
    // Releases every buffer and frees every entry.
    void ReleaseAll();

    int InUse() const { return count; }

    Entry entries[ENTRY_COUNT];
    int count = 0;
};
