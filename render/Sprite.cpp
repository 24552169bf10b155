#include "render/Sprite.h"

#include "host/GfxDevice.h"
#include "host/Log.h"
#include "host/SteadyMath.h"
#include "host/System.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {

Sprite* table[SPRITE_TABLE_SIZE] = {};
int tableCount = 0;
bool warnedFull = false;

void ReleaseTableSprites(void*)
{
    ReleaseAllSprites();
}

void RestoreTableSprites(void*)
{
    RestoreAllSprites();
}

// First empty slot below the high-water mark, else the next one. A full table leaves the
// sprite out (its buffer then lives in the managed pool, so resets never need it).
void Register(Sprite* sprite)
{
    // The table is the sprites' owner in the lost-device lists (entered again each time, as
    // the lists may have been emptied since).
    SetDeviceReleaseStep(RELEASE_SPRITES, ReleaseTableSprites);
    SetDeviceRestoreStep(RESTORE_SPRITES, RestoreTableSprites);
    for (int i = 0; i < tableCount; ++i)
        if (!table[i]) {
            table[i] = sprite;
            sprite->tableSlot = i;
            return;
        }
    if (tableCount < SPRITE_TABLE_SIZE) {
        table[tableCount] = sprite;
        sprite->tableSlot = tableCount++;
        return;
    }
    if (!warnedFull) Log("WARNING: all %d sprite slots are in use\n", SPRITE_TABLE_SIZE);
    warnedFull = true;
}

void Unregister(Sprite* sprite)
{
    if (sprite->tableSlot >= 0 && sprite->tableSlot < SPRITE_TABLE_SIZE && table[sprite->tableSlot] == sprite)
        table[sprite->tableSlot] = nullptr;
    sprite->tableSlot = -1;
}

bool Near(float a, float b, float tolerance)
{
    return fabsf(a - b) <= tolerance;
}

TextureRecord* TextureOf(const char* path)
{
    return path && Textures ? Textures->GetTexture(path) : nullptr;
}

void StoreRect(Sprite& sprite, const ScreenRect& rect)
{
    sprite.left = rect.left;
    sprite.top = rect.top;
    sprite.right = rect.right;
    sprite.bottom = rect.bottom;
    sprite.x = (int16_t)rect.left;
    sprite.y = (int16_t)rect.top;
    sprite.width = rect.right - rect.left;
    sprite.height = rect.bottom - rect.top;
}

Sprite* NewSprite(Sprite::Kind kind, const char* texturePath, uint32_t colour, bool dynamic)
{
    Sprite* sprite = new (std::nothrow) Sprite();
    if (!sprite) return nullptr;
    sprite->kind = kind;
    sprite->texture = TextureOf(texturePath);
    sprite->colour = colour;
    if (dynamic) sprite->flags |= SPRITE_DYNAMIC;
    return sprite;
}

// A sprite placed anew: in the table (once), its corners built and its buffer made.
void Settle(Sprite& sprite)
{
    if (sprite.tableSlot < 0) Register(&sprite);
    sprite.Rebuild();
    sprite.CreateBuffer();
}

// The quad along a band from a to b, `side` out from the middle line to each edge.
void Band(Vec3 corners[4], const Vec3& a, const Vec3& b, const Vec3& side)
{
    corners[0] = a - side;
    corners[1] = b - side;
    corners[2] = b + side;
    corners[3] = a + side;
}

}  // namespace

Sprite::Sprite() = default;

Sprite::~Sprite()
{
    Release();
}

bool Sprite::CreateBuffer()
{
    SafeRelease(&vertexBuffer);
    if (!Graphics || !Graphics->device) return false;
    uint32_t usage = USAGE_WRITEONLY | ((flags & SPRITE_DYNAMIC) ? (uint32_t)USAGE_DYNAMIC : 0u);
    bool made = tableSlot >= 0 ? Graphics->CreateVertexBuffer(sizeof vertices, usage, SPRITE_FVF, &vertexBuffer)
                               : CreateManagedVertexBuffer(sizeof vertices, usage, SPRITE_FVF, &vertexBuffer);
    if (!made) {
        vertexBuffer = nullptr;
        ShowMessageBox("", "Failed creating vb");
        return false;
    }
    WriteBuffer();
    return true;
}

void Sprite::WriteBuffer()
{
    if (!vertexBuffer) return;
    void* data = nullptr;
    if (GfxFailed(vertexBuffer->Lock(0, 0, &data, (flags & SPRITE_DYNAMIC) ? (uint32_t)LOCK_DISCARD : 0u))) return;
    memcpy(data, vertices, sizeof vertices);
    vertexBuffer->Unlock();
}

void Sprite::Rebuild()
{
    Vec3 corners[4];
    switch (kind) {
    case SCREEN_QUAD: {
        // The 2D mode's origin is the screen centre with y up.
        const int halfW = ScreenWidth() / 2, halfH = ScreenHeight() / 2;
        corners[0] = Vec3((float)(left - halfW), (float)(halfH - top), 0.0f);
        corners[1] = Vec3((float)(right - halfW), (float)(halfH - top), 0.0f);
        corners[2] = Vec3((float)(right - halfW), (float)(halfH - bottom), 0.0f);
        corners[3] = Vec3((float)(left - halfW), (float)(halfH - bottom), 0.0f);
        if (rotation != 0.0f) {
            float cx = (corners[0].x + corners[2].x) * 0.5f, cy = (corners[0].y + corners[2].y) * 0.5f;
            float s, c;
            SinCos(rotation, &s, &c);
            for (Vec3& p : corners) {
                float dx = p.x - cx, dy = p.y - cy;
                p.x = cx + dx * c - dy * s;
                p.y = cy + dx * s + dy * c;
            }
        }
        break;
    }
    case GROUND_QUAD:
        corners[0] = Vec3(position.x - 10.0f, position.y, position.z + 10.0f);
        corners[1] = Vec3(position.x + 10.0f, position.y, position.z + 10.0f);
        corners[2] = Vec3(position.x + 10.0f, position.y, position.z - 10.0f);
        corners[3] = Vec3(position.x - 10.0f, position.y, position.z - 10.0f);
        break;
    case BILLBOARD: {
        Vec3 along = lineTo - lineFrom;
        Vec3 across(-along.z, 0.0f, along.x);
        float length = sqrtf(across.x * across.x + across.z * across.z);
        across = length > 0.0f ? across * (0.5f / length) : Vec3(0.5f, 0.0f, 0.0f);
        Band(corners, lineFrom, lineTo, across);
        break;
    }
    case LINE: {
        // In view space, so that the band always faces the camera.
        Vec3 from, to;
        Vec3TransformCoord(&from, &lineFrom, &ViewMatrix);
        Vec3TransformCoord(&to, &lineTo, &ViewMatrix);
        float dx = from.x - to.x, dy = from.y - to.y;
        float length = sqrtf(dx * dx + dy * dy);
        Vec3 d;
        if (length > 0.0f) d = Vec3(-dy / length, dx / length, 0.0f) * (thickness * 0.5f);
        Band(corners, from, to, d);
        break;
    }
    }
    const float u[4] = {ua, ub, ub, ua}, v[4] = {va, va, vb, vb};
    for (int i = 0; i < 4; ++i) vertices[i] = {corners[i].x, corners[i].y, corners[i].z, colour, u[i], v[i]};
    WriteBuffer();
}

void Sprite::InitGroundQuad(const Vec3& at, const char* texturePath, bool dynamic)
{
    kind = GROUND_QUAD;
    position = at;
    colour = 0xFFFFFFFF;
    ua = va = 0.0f;
    ub = vb = 1.0f;
    if (dynamic) flags |= SPRITE_DYNAMIC;
    texture = TextureOf(texturePath);
    Settle(*this);
}

void Sprite::SetRect(const ScreenRect& rect)
{
    if (rect == ScreenRect{left, top, right, bottom}) return;
    StoreRect(*this, rect);
    Rebuild();
}

void Sprite::SetRect(int l, int t, int r, int b)
{
    ScreenRect rect;
    rect.left = l;
    rect.top = t;
    rect.right = r;
    rect.bottom = b;
    SetRect(rect);
}

void Sprite::SetPosition(int newX, int newY)
{
    SetRect(newX, newY, newX + (right - left), newY + (bottom - top));
}

void Sprite::SetRectColor(const ScreenRect& rect, uint32_t newColour)
{
    if (rect == ScreenRect{left, top, right, bottom} && newColour == colour) return;
    colour = newColour;
    StoreRect(*this, rect);
    Rebuild();
}

void Sprite::SetColor(uint32_t newColour)
{
    if (newColour == colour) return;
    colour = newColour;
    Rebuild();
}

void Sprite::SetTexCoords(float newUa, float newVa, float newUb, float newVb)
{
    const float e = 0.0001f;
    if (Near(newUa, ua, e) && Near(newVa, va, e) && Near(newUb, ub, e) && Near(newVb, vb, e)) return;
    ua = newUa;
    va = newVa;
    ub = newUb;
    vb = newVb;
    Rebuild();
}

void Sprite::SetAtlasCell(int cell)
{
    float u0, v0, u1, v1;
    if (GetAtlasCellUV(cell, &u0, &v0, &u1, &v1) || cell < 1) SetTexCoords(u0, v0, u1, v1);
}

void Sprite::SetRotation(float radians)
{
    if (radians == rotation) return;
    rotation = radians;
    Rebuild();
}

void Sprite::SetLine(const Vec3& from, const Vec3& to, uint32_t newColour, float newThickness)
{
    kind = LINE;
    lineFrom = from;
    lineTo = to;
    colour = newColour;
    thickness = newThickness;
    Rebuild();
}

void Sprite::SetGroundPosition(const Vec3& at)
{
    const float e = 0.001f;
    if (Near(at.x, position.x, e) && Near(at.y, position.y, e) && Near(at.z, position.z, e)) return;
    position = at;
    Rebuild();
}

void Sprite::Draw()
{
    if (!Graphics || !Graphics->device || (flags & SPRITE_HIDDEN) || !vertexBuffer) return;
    const bool grey = (flags & SPRITE_GREY) != 0;
    Graphics->SetTexture(texture, 0);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, grey ? 0 : 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    SetStageModulate();
    if (grey) {
        // Desaturated: each texel dotted with a weighting of its channels.
        RenderStates.SetRenderState(RS_TEXTUREFACTOR, 0xFFB369E2);
        RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_DOTPRODUCT3);
        RenderStates.SetTextureStageState(0, TSS_COLORARG2, TA_TFACTOR);
    }
    RenderStates.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    uint32_t address = (flags & SPRITE_WRAP) ? TADDRESS_WRAP : TADDRESS_CLAMP;
    RenderStates.SetSamplerState(0, SAMP_ADDRESSU, address);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSV, address);
    uint32_t filter = (flags & SPRITE_POINT_FILTER) ? TEXF_POINT : TEXF_LINEAR;
    RenderStates.SetSamplerState(0, SAMP_MAGFILTER, filter);
    RenderStates.SetSamplerState(0, SAMP_MINFILTER, filter);
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    Graphics->SetProgram(nullptr);
    Graphics->SetFVF(SPRITE_FVF);
    Graphics->SetStreamSource(vertexBuffer, sizeof(SpriteVertex));
    Graphics->DrawPrimitive(PT_TRIANGLEFAN, 2);
    if (grey) SetStageModulate();
}

void Sprite::Release()
{
    SafeRelease(&vertexBuffer);
    Unregister(this);
}

Sprite* CreateSprite(int x, int y, int w, int h, const char* texturePath, uint32_t colour, float ua, float va,
                     float ub, float vb, bool dynamic)
{
    Sprite* sprite = NewSprite(Sprite::SCREEN_QUAD, texturePath, colour, dynamic);
    if (!sprite) return nullptr;
    sprite->ua = ua;
    sprite->va = va;
    sprite->ub = ub;
    sprite->vb = vb;
    StoreRect(*sprite, ScreenRect{x, y, x + w, y + h});
    Settle(*sprite);
    return sprite;
}

Sprite* CreateBillboardSprite(const Vec3& from, const Vec3& to, const char* texturePath, uint32_t colour,
                              bool dynamic)
{
    Sprite* sprite = NewSprite(Sprite::BILLBOARD, texturePath, colour, dynamic);
    if (!sprite) return nullptr;
    sprite->lineFrom = from;
    sprite->lineTo = to;
    Settle(*sprite);
    return sprite;
}

void ReleaseSprite(Sprite* sprite)
{
    if (sprite) sprite->Release();
}

void ReleaseAllSprites()
{
    for (int i = 0; i < tableCount; ++i)
        if (table[i]) SafeRelease(&table[i]->vertexBuffer);
}

void RestoreAllSprites()
{
    for (int i = 0; i < tableCount; ++i)
        if (table[i]) {
            table[i]->flags |= SPRITE_DYNAMIC;
            table[i]->CreateBuffer();
        }
}

int SpriteTableCount()
{
    return tableCount;
}

int RegisteredSpriteCount()
{
    int n = 0;
    for (int i = 0; i < tableCount; ++i)
        if (table[i]) ++n;
    return n;
}

bool GetAtlasCellUV(int cell, float* ua, float* va, float* ub, float* vb)
{
    *ua = *va = 0.0f;
    *ub = *vb = 1.0f;
    if (cell < 1) return false;
    int columns = (cell >> 24) & 0xFF, rows = (cell >> 16) & 0xFF;
    int column = (cell >> 8) & 0xFF, row = cell & 0xFF;
    if (column >= columns || row >= rows || column > 15 || row > 15) return false;
    *ua = (float)column / (float)columns;
    *va = (float)row / (float)rows;
    *ub = *ua + 1.0f / (float)columns;
    *vb = *va + 1.0f / (float)rows;
    return true;
}
