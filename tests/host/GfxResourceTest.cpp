// Textures in every format, locking and read-back, cube maps, vertex and index buffers, vertex
// layouts, draws from memory, images, and the effect framework's programs.
#include "GfxTestSupport.h"

#include "host/GfxImage.h"
#include "host/PixelFormat.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Repeat(const std::vector<uint8_t>& pixel, size_t count)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < count; ++i) out.insert(out.end(), pixel.begin(), pixel.end());
    return out;
}

std::vector<uint8_t> Bytes32(uint32_t v) { return {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)}; }
std::vector<uint8_t> Bytes16(uint16_t v) { return {(uint8_t)v, (uint8_t)(v >> 8)}; }
std::vector<uint8_t> BytesFloat(float f)
{
    std::vector<uint8_t> out(4);
    memcpy(out.data(), &f, 4);
    return out;
}
std::vector<uint8_t> BytesHalf4(float r, float g, float b, float a)
{
    std::vector<uint8_t> out;
    for (float f : {r, g, b, a}) {
        std::vector<uint8_t> h = Bytes16(FloatToHalf(f));
        out.insert(out.end(), h.begin(), h.end());
    }
    return out;
}

// One 4x4 block whose colour part is all colour 0 (red).
const std::vector<uint8_t> kRedColourBlock = {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0};

void UseTextureOnly(GfxDevice* device)
{
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    device->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
}

}  // namespace

TEST_F(GfxTest, EveryTextureFormatSamplesAsTheGameWroteIt)
{
    struct Case {
        const char* name;
        GfxFormat format;
        std::vector<uint8_t> texels;  // the whole level 0 of a 4x4 texture
        uint32_t expected;
    } cases[] = {
        {"A8R8G8B8", FMT_A8R8G8B8, Repeat(Bytes32(0x80FF8040), 16), 0x80FF8040},
        {"X8R8G8B8", FMT_X8R8G8B8, Repeat(Bytes32(0x00FF8040), 16), 0xFFFF8040},
        {"A4R4G4B4", FMT_A4R4G4B4, Repeat(Bytes16(0x8F84), 16), 0x88FF8844},
        {"R5G6B5", FMT_R5G6B5, Repeat(Bytes16((31 << 11) | (16 << 5) | 8), 16), 0xFFFF4142},
        {"A1R5G5B5 opaque", FMT_A1R5G5B5, Repeat(Bytes16(0x83E0), 16), 0xFF00FF00},
        {"A1R5G5B5 clear", FMT_A1R5G5B5, Repeat(Bytes16(0x7C00), 16), 0x00FF0000},
        {"L8", FMT_L8, Repeat({0x80}, 16), 0xFF808080},
        {"A8", FMT_A8, Repeat({0x80}, 16), 0x80000000},
        {"A8L8", FMT_A8L8, Repeat({0x40, 0x80}, 16), 0x80404040},
        {"R32F", FMT_R32F, Repeat(BytesFloat(0.5f), 16), 0xFF80FFFF},
        {"A16B16G16R16F", FMT_A16B16G16R16F, Repeat(BytesHalf4(0.25f, 0.5f, 1.0f, 0.75f), 16), 0xBF4080FF},
        {"DXT1", FMT_DXT1, kRedColourBlock, 0xFFFF0000},
        {"DXT3", FMT_DXT3, {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0},
         0x88FF0000},
        {"DXT5", FMT_DXT5, {0x40, 0x00, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0}, 0x40FF0000},
    };
    ScopedTarget target(device, 4, 4);
    UseTextureOnly(device);
    // Block-compressed textures once as blocks, once decoded (drivers without S3TC).
    std::vector<Case> all(std::begin(cases), std::end(cases));
    for (const Case& c : cases)
        if (IsCompressed((PixelFormat)c.format)) all.push_back(c);
    for (size_t i = 0; i < all.size(); ++i) {
        const Case& c = all[i];
        device->SetCompressedTextures(i < std::size(cases));
        GfxTexture* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, c.format, POOL_MANAGED, &texture), GFX_OK) << c.name;
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK) << c.name;
        size_t rows = IsCompressed((PixelFormat)c.format) ? 1 : 4;
        size_t pitch = c.texels.size() / rows;
        for (size_t r = 0; r < rows; ++r)
            memcpy((uint8_t*)locked.pBits + r * locked.Pitch, c.texels.data() + r * pitch, pitch);
        ASSERT_EQ(texture->UnlockRect(0), GFX_OK);
        device->SetTexture(0, texture);
        DrawScreenQuad(device, 0, 0, 4, 4, 0xFFFFFFFF);
        EXPECT_TRUE(ColorNear(target.Read().At(1, 2), c.expected)) << c.name;
        device->SetTexture(0, nullptr);
        texture->Release();
    }
    device->SetCompressedTextures(true);
}

TEST_F(GfxTest, LockedTexturesReadBackWhatWasWritten)
{
    struct Case {
        GfxFormat format;
        uint32_t usage;
    } cases[] = {{FMT_A8R8G8B8, USAGE_DYNAMIC}, {FMT_A8R8G8B8, 0}, {FMT_L8, USAGE_DYNAMIC}, {FMT_L8, 0},
                 {FMT_R5G6B5, 0}, {FMT_DXT1, 0}, {FMT_DXT5, USAGE_DYNAMIC}, {FMT_DXT3, 0}};
    for (const Case& c : cases) {
        // The last one as on a driver without S3TC.
        device->SetCompressedTextures(c.format != FMT_DXT3);
        GfxTexture* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(8, 8, 1, c.usage, c.format, c.usage ? POOL_DEFAULT : POOL_MANAGED, &texture),
                  GFX_OK);
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK);
        uint32_t rows = IsCompressed((PixelFormat)c.format) ? 2 : 8;
        size_t pitch = RowPitch((PixelFormat)c.format, 8);
        std::vector<uint8_t> written(pitch * rows);
        for (size_t i = 0; i < written.size(); ++i) written[i] = (uint8_t)(i * 7 + 3);
        if (c.format == FMT_DXT1 || c.format == FMT_DXT5)
            for (size_t i = 0; i < written.size(); ++i) written[i] = (uint8_t)(i * 13);
        for (uint32_t r = 0; r < rows; ++r) memcpy((uint8_t*)locked.pBits + r * locked.Pitch, &written[r * pitch], pitch);
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), ERR_INVALIDCALL) << "locked twice";
        ASSERT_EQ(texture->UnlockRect(0), GFX_OK);
        EXPECT_EQ(texture->UnlockRect(0), ERR_INVALIDCALL) << "unlocked twice";
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
        for (uint32_t r = 0; r < rows; ++r)
            EXPECT_EQ(memcmp((uint8_t*)locked.pBits + r * locked.Pitch, &written[r * pitch], pitch), 0)
                << "format " << c.format << " usage " << c.usage << " row " << r;
        texture->UnlockRect(0);
        texture->Release();
    }
    device->SetCompressedTextures(true);
}

TEST_F(GfxTest, LockingARectangleChangesOnlyThatRectangle)
{
    std::vector<uint32_t> blue(64, 0xFF0000FF);
    GfxTexture* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, USAGE_DYNAMIC, FMT_A8R8G8B8, POOL_DEFAULT, &texture), GFX_OK);
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, LOCK_DISCARD), GFX_OK);
    for (uint32_t y = 0; y < 8; ++y) memcpy((uint8_t*)locked.pBits + y * locked.Pitch, &blue[y * 8], 32);
    texture->UnlockRect(0);
    GfxRect rect{2, 3, 6, 5};
    ASSERT_EQ(texture->LockRect(0, &locked, &rect, 0), GFX_OK);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x) ((uint32_t*)((uint8_t*)locked.pBits + y * locked.Pitch))[x] = 0xFFFFFF00;
    texture->UnlockRect(0);
    GfxRect outside{4, 4, 12, 6};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), ERR_INVALIDCALL);

    UseTextureOnly(device);
    device->SetTexture(0, texture);
    DrawScreenQuad(device, 0, 0, 8, 8, 0xFFFFFFFF);
    Pixels p = ReadBackBuffer(device);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
            EXPECT_TRUE(ColorNear(p.At(x, y), inside ? 0xFFFFFF00 : 0xFF0000FF)) << x << "," << y;
        }
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GfxTest, RenderTargetsAreNotLockableButReadBack)
{
    GfxTexture* target = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, USAGE_RENDERTARGET, FMT_A8R8G8B8, POOL_DEFAULT, &target), GFX_OK);
    LockedRect locked;
    EXPECT_EQ(target->LockRect(0, &locked, nullptr, LOCK_READONLY), ERR_INVALIDCALL);
    GfxTexture* managedTarget = nullptr;
    EXPECT_EQ(device->CreateTexture(8, 8, 1, USAGE_RENDERTARGET, FMT_A8R8G8B8, POOL_MANAGED, &managedTarget),
              ERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8, 8, 1, USAGE_RENDERTARGET, FMT_DXT1, POOL_DEFAULT, &managedTarget),
              ERR_INVALIDCALL);
    target->Release();
}

TEST_F(GfxTest, CubeFacesAnswerTheirDirections)
{
    const uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    GfxCubeTexture* cube = nullptr;
    ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &cube), GFX_OK);
    for (uint32_t face = 0; face < 6; ++face) {
        LockedRect locked;
        ASSERT_EQ(cube->LockRect(face, 0, &locked, nullptr, 0), GFX_OK);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x) ((uint32_t*)((uint8_t*)locked.pBits + y * locked.Pitch))[x] = colours[face];
        cube->UnlockRect(face, 0);
    }
    UseTextureOnly(device);
    device->SetTexture(0, cube);
    struct Vertex {
        float x, y, z, rhw;
        float u, v, w;
    };
    const float directions[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    device->SetFVF(FVF_XYZRHW | FVF_TEX1 | FvfTexCoordSize3(0));
    for (uint32_t face = 0; face < 6; ++face) {
        const float* d = directions[face];
        float x0 = face * 8 - 0.5f;
        Vertex v[4] = {{x0, -0.5f, 0.5f, 1, d[0], d[1], d[2]}, {x0 + 8, -0.5f, 0.5f, 1, d[0], d[1], d[2]},
                       {x0 + 8, 7.5f, 0.5f, 1, d[0], d[1], d[2]}, {x0, 7.5f, 0.5f, 1, d[0], d[1], d[2]}};
        device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(Vertex));
    }
    Pixels p = ReadBackBuffer(device);
    for (uint32_t face = 0; face < 6; ++face)
        EXPECT_TRUE(ColorNear(p.At(face * 8 + 4, 4), colours[face])) << "face " << face;
    device->SetTexture(0, nullptr);
    cube->Release();
}

// ---- Buffers and layouts ----------------------------------------------------------------------

TEST_F(GfxTest, BufferLocksHandOutTheBytesForReadingAndWriting)
{
    GfxVertexBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(64, USAGE_WRITEONLY, 0, POOL_DEFAULT, &buffer), GFX_OK);
    uint8_t* bytes = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, (void**)&bytes, 0), GFX_OK);
    for (int i = 0; i < 64; ++i) bytes[i] = (uint8_t)i;
    uint8_t* inner = nullptr;
    ASSERT_EQ(buffer->Lock(16, 8, (void**)&inner, LOCK_READONLY), GFX_OK);  // locks nest
    EXPECT_EQ(inner[0], 16);
    EXPECT_EQ(inner[7], 23);
    EXPECT_EQ(buffer->Unlock(), GFX_OK);
    EXPECT_EQ(buffer->Unlock(), GFX_OK);
    EXPECT_EQ(buffer->Unlock(), ERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(60, 8, (void**)&inner, 0), ERR_INVALIDCALL);
    ASSERT_EQ(buffer->Lock(48, 0, (void**)&inner, 0), GFX_OK);  // size 0: to the end
    EXPECT_EQ(inner[15], 63);
    buffer->Unlock();
    VertexBufferDesc desc;
    buffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 64u);
    EXPECT_EQ(desc.Pool, POOL_DEFAULT);
    buffer->Release();
    GfxIndexBuffer* indices = nullptr;
    EXPECT_EQ(device->CreateIndexBuffer(12, 0, FMT_A8R8G8B8, POOL_MANAGED, &indices), ERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(8, 0, kScreenFVF, POOL_DEFAULT, &buffer), ERR_INVALIDCALL)
        << "shorter than one vertex";
}

TEST_F(GfxTest, DrawsFromBuffersHonourStartAndBaseVertices)
{
    UseVertexColour(device);
    auto quad = [](float x0, uint32_t colour, ScreenVertex* v) {
        const float y0 = -0.5f, x1 = x0 + 8, y1 = 7.5f;
        v[0] = {x0, y0, 0.5f, 1, colour, 0, 0};
        v[1] = {x1, y0, 0.5f, 1, colour, 0, 0};
        v[2] = {x1, y1, 0.5f, 1, colour, 0, 0};
        v[3] = {x0, y1, 0.5f, 1, colour, 0, 0};
    };
    GfxVertexBuffer* vertices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(8 * sizeof(ScreenVertex), USAGE_DYNAMIC | USAGE_WRITEONLY, kScreenFVF,
                                         POOL_DEFAULT, &vertices),
              GFX_OK);
    ScreenVertex* v = nullptr;
    vertices->Lock(0, 0, (void**)&v, LOCK_DISCARD);
    quad(-0.5f, 0xFFFF0000, v);
    quad(9.5f, 0xFF00FF00, v + 4);
    vertices->Unlock();
    GfxIndexBuffer* indices = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(6 * 4, USAGE_WRITEONLY, FMT_INDEX32, POOL_MANAGED, &indices), GFX_OK);
    uint32_t* index = nullptr;
    indices->Lock(0, 0, (void**)&index, 0);
    const uint32_t list[6] = {0, 1, 2, 0, 2, 3};
    memcpy(index, list, sizeof(list));
    indices->Unlock();
    device->SetFVF(kScreenFVF);
    device->SetStreamSource(0, vertices, 0, sizeof(ScreenVertex));
    device->SetIndices(indices);
    EXPECT_EQ(device->DrawPrimitive(PT_TRIANGLEFAN, 4, 2), GFX_OK);                   // the green quad
    EXPECT_EQ(device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFX_OK);  // the red one
    EXPECT_EQ(device->DrawPrimitive(PT_TRIANGLEFAN, 6, 2), ERR_INVALIDCALL) << "past the buffer's end";
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(4, 4), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(14, 4), 0xFF00FF00));

    // Rewritten with discard after a draw: the next draw sees the new vertices at base 4.
    vertices->Lock(0, 0, (void**)&v, LOCK_DISCARD);
    quad(19.5f, 0xFF0000FF, v + 4);
    quad(29.5f, 0xFFFFFFFF, v);
    vertices->Unlock();
    EXPECT_EQ(device->DrawIndexedPrimitive(PT_TRIANGLELIST, 4, 0, 4, 0, 2), GFX_OK);
    p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(24, 4), 0xFF0000FF));
    EXPECT_TRUE(ColorNear(p.At(34, 4), 0xFF000000));
    device->SetIndices(nullptr);
    EXPECT_EQ(device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), ERR_INVALIDCALL) << "no indices";
    device->SetStreamSource(0, nullptr, 0, 0);
    vertices->Release();
    indices->Release();
}

TEST_F(GfxTest, DrawsFromMemoryCoverLinesAndIndexedTriangles)
{
    UseVertexColour(device);
    ScreenVertex line[3] = {{2, 10, 0.5f, 1, 0xFFFF0000, 0, 0}, {30, 10, 0.5f, 1, 0xFFFF0000, 0, 0},
                            {30, 30, 0.5f, 1, 0xFFFF0000, 0, 0}};
    device->SetFVF(kScreenFVF);
    ASSERT_EQ(device->DrawPrimitiveUP(PT_LINESTRIP, 2, line, sizeof(ScreenVertex)), GFX_OK);
    ScreenVertex quad[4] = {{39.5f, 19.5f, 0.5f, 1, 0xFF00FF00, 0, 0}, {49.5f, 19.5f, 0.5f, 1, 0xFF00FF00, 0, 0},
                            {49.5f, 29.5f, 0.5f, 1, 0xFF00FF00, 0, 0}, {39.5f, 29.5f, 0.5f, 1, 0xFF00FF00, 0, 0}};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 0, 4, 2, indices, FMT_INDEX16, quad, sizeof(ScreenVertex)),
              GFX_OK);
    GfxVertexBuffer* stream = nullptr;
    device->GetStreamSource(0, &stream, nullptr, nullptr);
    EXPECT_EQ(stream, nullptr) << "a draw from memory leaves stream 0 unset";
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(15, 10), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(30, 20), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(15, 12), 0xFF000000));
    EXPECT_TRUE(ColorNear(p.At(45, 25), 0xFF00FF00));
    EXPECT_TRUE(ColorNear(p.At(38, 25), 0xFF000000));
}

TEST_F(GfxTest, MeshDeclarationWithPackedColourDraws)
{
    // The meshes' 52-byte layout: position, normal, packed colour, uv, tangent, second uv.
    const VertexElement elements[] = {
        {0, 0, DECLTYPE_FLOAT3, DECLMETHOD_DEFAULT, DECLUSAGE_POSITION, 0},
        {0, 12, DECLTYPE_FLOAT3, DECLMETHOD_DEFAULT, DECLUSAGE_NORMAL, 0},
        {0, 24, DECLTYPE_D3DCOLOR, DECLMETHOD_DEFAULT, DECLUSAGE_COLOR, 0},
        {0, 28, DECLTYPE_FLOAT2, DECLMETHOD_DEFAULT, DECLUSAGE_TEXCOORD, 0},
        {0, 36, DECLTYPE_FLOAT4, DECLMETHOD_DEFAULT, DECLUSAGE_TANGENT, 0},
        {0, 44, DECLTYPE_FLOAT2, DECLMETHOD_DEFAULT, DECLUSAGE_TEXCOORD, 1},
        DECL_END(),
    };
    GfxVertexDeclaration* declaration = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), GFX_OK);
    uint32_t count = 0;
    declaration->GetDeclaration(nullptr, &count);
    EXPECT_EQ(count, 7u);
    struct MeshVertex52 {
        float position[3], normal[3];
        uint32_t colour;
        float uv[2], tangent[4];  // the second uv set reads the tangent's z and w
    };
    static_assert(sizeof(MeshVertex52) == 52, "layout");
    MeshVertex52 v[4] = {};
    const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    for (int i = 0; i < 4; ++i) {
        v[i].position[0] = corners[i][0];
        v[i].position[1] = corners[i][1];
        v[i].position[2] = 0.5f;
        v[i].colour = 0xFF20C040;
    }
    UseVertexColour(device);
    device->SetVertexDeclaration(declaration);
    uint32_t fvf = 1;
    device->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0u);
    ASSERT_EQ(device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(MeshVertex52)), GFX_OK);
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(10, 10), 0xFF20C040, 1));
    device->SetVertexDeclaration(nullptr);
    declaration->Release();
    const VertexElement bad[] = {{9, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0}, DECL_END()};
    EXPECT_EQ(device->CreateVertexDeclaration(bad, &declaration), ERR_INVALIDCALL);
}

// ---- Images -----------------------------------------------------------------------------------

TEST_F(GfxTest, ImagesBecomeTexturesAndSurfacesBecomeImages)
{
    Image image;
    ASSERT_TRUE(image.Create(PixelFormat::A8R8G8B8, 8, 4, 2));
    for (uint32_t level = 0; level < 2; ++level) {
        uint32_t* pixels = (uint32_t*)image.Level(0, level);
        for (uint32_t i = 0; i < image.LevelWidth(level) * image.LevelHeight(level); ++i)
            pixels[i] = level ? 0xFF00FF00 : 0xFFFF0000;
    }
    GfxBaseTexture* texture = nullptr;
    ASSERT_EQ(CreateTextureFromImage(device, image, 0, 0, POOL_DEFAULT, &texture), GFX_OK);
    EXPECT_EQ(texture->GetLevelCount(), 2u);
    EXPECT_EQ(texture->GetWidth(), 8u);
    UseTextureOnly(device);
    device->SetTexture(0, texture);
    DrawScreenQuad(device, 0, 0, 8, 4, 0xFFFFFFFF);
    device->SetTexture(0, nullptr);
    texture->Release();

    GfxSurface* back = nullptr;
    device->GetBackBuffer(0, 0, &back);
    Image shot;
    ASSERT_TRUE(ReadSurfaceImage(device, back, shot));
    back->Release();
    EXPECT_EQ(shot.width, kTestWidth);
    EXPECT_EQ(shot.height, kTestHeight);
    const uint32_t* pixels = (const uint32_t*)shot.Level(0, 0);
    EXPECT_TRUE(ColorNear(pixels[1 * kTestWidth + 2] | 0xFF000000u, 0xFFFF0000));
    EXPECT_TRUE(ColorNear(pixels[10 * kTestWidth + 20] | 0xFF000000u, 0xFF000000));
}

// ---- Programs of the effect framework ---------------------------------------------------------

TEST_F(GfxTest, ProgramReplacesTheFixedFunctionPipelineWithTheSamePixels)
{
    const char* vertex = R"(
out vec4 colour;
out vec2 uv;
void main()
{
    gl_Position = vm_ToClip(vm_WorldViewProjection * vec4(vm_Position.xyz, 1.0));
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
}
)";
    const char* fragment = R"(
uniform vec4 tint;
uniform sampler2D picture;
in vec4 colour;
in vec2 uv;
void main()
{
    vm_FragColor = colour * tint * texture(picture, uv);
    vm_AlphaTest(vm_FragColor.a);
}
)";
    GfxProgram* program = nullptr;
    std::string errors;
    ASSERT_EQ(device->CreateProgram(vertex, fragment, &program, &errors), GFX_OK) << errors;
    const uint32_t white = 0xFFFFFFFF;
    GfxTexture* texture = MakeTexture(device, 1, 1, &white);
    device->SetTexture(3, texture);
    program->SetSampler(program->GetUniform("picture"), 3);
    program->SetVector(program->GetUniform("tint"), Vec4(0, 1, 0, 1));
    EXPECT_EQ(program->GetUniform("nothing"), -1);

    // The same triangle through both paths covers the same pixels.
    Matrix world;
    MatrixScaling(&world, 0.5f, 0.7f, 1);
    device->SetTransform(TS_WORLD, &world);
    MeshVertex v[3] = {{-1, -1, 0.5f, 0, 0, 0, 0xFFFFFFFF, 0, 0},
                       {0.3f, 1, 0.5f, 0, 0, 0, 0xFFFFFFFF, 0, 0},
                       {1, -0.6f, 0.5f, 0, 0, 0, 0xFFFFFFFF, 0, 0}};
    UseVertexColour(device);
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    device->SetFVF(kMeshFVF);
    device->DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(MeshVertex));
    Pixels fixed = ReadBackBuffer(device);
    device->SetProgram(program);
    device->DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(MeshVertex));
    Pixels programmed = ReadBackBuffer(device);
    int covered = 0;
    for (uint32_t i = 0; i < fixed.argb.size(); ++i) {
        bool byFixed = fixed.argb[i] == 0xFFFFFFFF;
        covered += byFixed;
        EXPECT_EQ(byFixed ? 0xFF00FF00u : 0xFF000000u, programmed.argb[i]) << "pixel " << i;
    }
    EXPECT_GT(covered, 100);

    // The alpha test applies to programs too.
    program->SetVector(program->GetUniform("tint"), Vec4(1, 0, 0, 0.25f));
    device->SetRenderState(RS_ALPHATESTENABLE, 1);
    device->SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
    device->SetRenderState(RS_ALPHAREF, 0x80);
    device->DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(MeshVertex));
    EXPECT_EQ(ReadBackBuffer(device).argb, programmed.argb);

    device->SetProgram(nullptr);
    device->SetTexture(3, nullptr);
    texture->Release();
    program->Release();
}

TEST_F(GfxTest, AStageSetToNoneReadsBlackNotTheTextureOfTheDrawBefore)
{
    // A mesh's effect adds its highlight and its reflection from two maps; a mesh without them
    // leaves the stages empty and must get nothing added.
    const char* vertex = R"(
out vec2 uv;
void main()
{
    gl_Position = vm_ToClip(vm_WorldViewProjection * vec4(vm_Position.xyz, 1.0));
    uv = vm_TexCoord0.xy;
}
)";
    const char* fragment = R"(
uniform sampler2D highlight;
uniform samplerCube reflection;
in vec2 uv;
void main()
{
    vm_FragColor = vec4(0.25, 0.25, 0.25, 1.0) + vec4(texture(highlight, uv).rgb, 0.0) +
                   vec4(texture(reflection, vec3(1.0, 0.0, 0.0)).rgb, 0.0);
}
)";
    GfxProgram* program = nullptr;
    std::string errors;
    ASSERT_EQ(device->CreateProgram(vertex, fragment, &program, &errors), GFX_OK) << errors;
    program->SetSampler(program->GetUniform("highlight"), 3);
    program->SetSampler(program->GetUniform("reflection"), 4);
    const uint32_t red = 0xFFFF0000;
    GfxTexture* map = MakeTexture(device, 1, 1, &red);
    GfxCubeTexture* sky = nullptr;
    ASSERT_EQ(device->CreateCubeTexture(1, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &sky), GFX_OK);
    for (uint32_t face = 0; face < 6; ++face) {
        const uint32_t blue = 0xFF0000FF;
        LockedRect locked;
        ASSERT_EQ(sky->LockRect(face, 0, &locked, nullptr, 0), GFX_OK);
        memcpy(locked.pBits, &blue, 4);
        sky->UnlockRect(face, 0);
    }
    MeshVertex v[3] = {{-1, -1, 0.5f, 0, 0, 0, 0xFFFFFFFF, 0, 0},
                       {-1, 3, 0.5f, 0, 0, 0, 0xFFFFFFFF, 0, 0},
                       {3, -1, 0.5f, 0, 0, 0, 0xFFFFFFFF, 0, 0}};
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    device->SetFVF(kMeshFVF);
    device->SetProgram(program);
    auto draw = [&](GfxBaseTexture* highlight, GfxBaseTexture* reflection) {
        device->SetTexture(3, highlight);
        device->SetTexture(4, reflection);
        device->DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(MeshVertex));
        return ReadBackBuffer(device).argb[(kTestHeight / 2) * kTestWidth + kTestWidth / 2];
    };
    const struct {
        const char* mesh;
        bool highlight, reflection;
        uint32_t expected;
    } meshes[] = {
        {"both maps", true, true, 0xFFFF40FF},   {"neither", false, false, 0xFF404040},
        {"a highlight", true, false, 0xFFFF4040}, {"neither again", false, false, 0xFF404040},
        {"a reflection", false, true, 0xFF4040FF}, {"a highlight only", true, false, 0xFFFF4040},
    };
    for (const auto& m : meshes)
        EXPECT_TRUE(ColorNear(draw(m.highlight ? map : nullptr, m.reflection ? sky : nullptr), m.expected)) << m.mesh;

    device->SetProgram(nullptr);
    device->SetTexture(3, nullptr);
    device->SetTexture(4, nullptr);
    sky->Release();
    map->Release();
    program->Release();
}

TEST_F(GfxTest, ProgramErrorsComeBackWithTheirLines)
{
    GfxProgram* program = nullptr;
    std::string errors;
    EXPECT_EQ(device->CreateProgram("void main()\n{\n    gl_Position = undefinedThing;\n}\n",
                                    "void main() { vm_FragColor = vec4(1.0); }", &program, &errors),
              ERR_INVALIDCALL);
    EXPECT_EQ(program, nullptr);
    EXPECT_NE(errors.find("3"), std::string::npos) << errors;
    EXPECT_NE(errors.find("undefinedThing"), std::string::npos) << errors;
}
