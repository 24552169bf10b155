#pragma once
// Sprites: textured, coloured quads with their own small vertex buffer. Screen sprites are
// placed in pixels of the configured resolution (x right, y down from the top-left corner)
// and drawn in the device's 2D mode, whose origin is the screen centre with y up; ground
// quads, billboards and lines are placed in the world.
//
// Every sprite is kept in one table while it lives, so that a device reset can release and
// remake all their buffers: the table enters itself in the graphics device's lost-device
// lists when sprites are registered. A sprite leaves the table when it is released or deleted.
// Textures come from the texture manager, which keeps them across resets.
#include "host/GfxTypes.h"
#include "host/Maths.h"

#include <cstdint>

class GfxVertexBuffer;
struct TextureRecord;

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ScreenRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct SpriteVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 24, "sprite vertices are 24 bytes");
constexpr uint32_t SPRITE_FVF = FVF_XYZ | FVF_DIFFUSE | FVF_TEX1;

enum : uint32_t {
    SPRITE_HIDDEN = 0x2,
    SPRITE_POINT_FILTER = 0x4,
    SPRITE_DYNAMIC = 0x8,
    SPRITE_WRAP = 0x10,
    SPRITE_GREY = 0x20,
};

class Sprite {
public:
    enum Kind { SCREEN_QUAD, GROUND_QUAD, BILLBOARD, LINE };

    Sprite();
    // Leaves the table and releases the buffer.
    ~Sprite();
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    // A quad lying flat at position with corners 10 units away in x and z, white, showing
    // the whole texture.
    void InitGroundQuad(const Vec3& position, const char* texturePath, bool dynamic);

    // Each setter rebuilds the vertices, and does nothing when nothing changes.
    void SetRect(const ScreenRect& rect);
    void SetRect(int left, int top, int right, int bottom);
    // Moves the rectangle's top-left corner, keeping its size.
    void SetPosition(int x, int y);
    void SetRectColor(const ScreenRect& rect, uint32_t colour);
    void SetColor(uint32_t colour);
    void SetTexCoords(float ua, float va, float ub, float vb);
    // Shows one cell of an atlas texture (GetAtlasCellUV); below 1 the whole texture; a cell
    // outside its atlas changes nothing.
    void SetAtlasCell(int cell);
    // Turns a screen quad about its centre.
    void SetRotation(float radians);
    // A camera-facing band from one world point to another, thickness units wide.
    void SetLine(const Vec3& from, const Vec3& to, uint32_t colour, float thickness);
    void SetGroundPosition(const Vec3& position);

    void Draw();
    // Releases the buffer and leaves the table; the owner deletes the object.
    void Release();

    // Makes the buffer (again) and writes the vertices; false (box "Failed creating vb")
    // when the buffer cannot be made.
    bool CreateBuffer();
    // Writes the stored vertices into the buffer.
    void WriteBuffer();
    // Computes the vertices from the stored values, then writes them.
    void Rebuild();

    int16_t x = 0, y = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    int height = 0, width = 0;
    uint32_t colour = 0xFFFFFFFF;
    Vec3 position;
    GfxVertexBuffer* vertexBuffer = nullptr;
    TextureRecord* texture = nullptr;  // the texture manager's; null without one
    // Top-left, top-right, bottom-right, bottom-left as last built.
    SpriteVertex vertices[4] = {};
    uint32_t flags = 0;

    Kind kind = SCREEN_QUAD;
    float ua = 0.0f, va = 0.0f, ub = 1.0f, vb = 1.0f;
    float rotation = 0.0f;
    Vec3 lineFrom, lineTo;
    float thickness = 1.0f;
    int tableSlot = -1;
};

// A screen sprite of w x h pixels at (x, y) with the texture of a data path (through the
// texture manager), a colour and texture coordinates; dynamic sprites are rewritten often.
// Registered in the sprite table. Null when memory runs out.
Sprite* CreateSprite(int x, int y, int w, int h, const char* texturePath, uint32_t colour, float ua, float va,
                     float ub, float vb, bool dynamic);
// A quad standing on the segment from-to, one unit wide across it.
Sprite* CreateBillboardSprite(const Vec3& from, const Vec3& to, const char* texturePath, uint32_t colour,
                              bool dynamic);
void ReleaseSprite(Sprite* sprite);

// Before and after a device reset: every registered sprite's buffer is released, then made
// again and refilled.
void ReleaseAllSprites();
void RestoreAllSprites();

// Slots of the sprite table in use (a high-water mark) and sprites registered now.
constexpr int SPRITE_TABLE_SIZE = 3000;
int SpriteTableCount();
int RegisteredSpriteCount();

// An atlas cell packs columns << 24 | rows << 16 | column << 8 | row. True with the cell's
// texture coordinates for a usable cell; otherwise the whole texture (0, 0)-(1, 1) is written
// and false returned (a cell below 1 is the usual way to ask for the whole texture).
bool GetAtlasCellUV(int cell, float* ua, float* va, float* ub, float* vb);
