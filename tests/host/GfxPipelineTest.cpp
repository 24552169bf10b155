// The fixed-function pipeline and the output merger: lighting, fog, texture stages, blending,
// alpha test, stencil, masks, fill modes and samplers, each checked by the pixels drawn.
#include "GfxTestSupport.h"

#include "host/Maths.h"

#include <algorithm>
#include <cmath>

namespace {

int Channel(float v) { return (int)std::lround(std::min(1.0f, std::max(0.0f, v)) * 255.0f); }

uint32_t Pack(float r, float g, float b, float a = 1.0f) { return ColorARGB(Channel(a), Channel(r), Channel(g), Channel(b)); }

// A square facing the camera (normal towards it) at depth z, centred on (x, y), drawn through
// the current transforms. `diffuse` 0 leaves the vertex colour out.
struct LitVertex {
    float x, y, z, nx, ny, nz;
};
void DrawFacingSquare(GfxDevice* device, float x, float y, float z, float half)
{
    LitVertex v[4] = {{x - half, y + half, z, 0, 0, -1},
                      {x + half, y + half, z, 0, 0, -1},
                      {x + half, y - half, z, 0, 0, -1},
                      {x - half, y - half, z, 0, 0, -1}};
    device->SetFVF(FVF_XYZ | FVF_NORMAL);
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(LitVertex));
}

// Pixels of the test size map one to one onto x and y around the centre; depth 0..100.
void UseOrthographicCamera(GfxDevice* device)
{
    UseOrthographicView(device, (float)kTestWidth, (float)kTestHeight, 0.0f, 100.0f);
}

void UsePerspectiveCamera(GfxDevice* device)
{
    Matrix identity, projection;
    MatrixIdentity(&identity);
    MatrixPerspectiveFovLH(&projection, PI / 2, (float)kTestWidth / kTestHeight, 1.0f, 100.0f);
    device->SetTransform(TS_WORLD, &identity);
    device->SetTransform(TS_VIEW, &identity);
    device->SetTransform(TS_PROJECTION, &projection);
}

uint32_t Centre(GfxDevice* device) { return ReadBackBuffer(device).At(kTestWidth / 2, kTestHeight / 2); }

GfxLight Directional(Vec3 direction, ColorValue diffuse)
{
    GfxLight light;
    light.Type = LIGHT_DIRECTIONAL;
    light.Direction = direction;
    light.Diffuse = diffuse;
    return light;
}

}  // namespace

TEST_F(GfxTest, LightingFollowsMaterialLightsAndAmbient)
{
    UseOrthographicCamera(device);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_DISABLE);
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    const float c60 = 0.5f, s60 = 0.8660254f;
    struct Case {
        const char* name;
        GfxLight light;
        GfxColor ambient;
        ColorValue materialAmbient, emissive;
        uint32_t expected;
    } cases[] = {
        {"head-on", Directional(Vec3(0, 0, 1), {1, 0.5f, 0.25f, 1}), 0, {0, 0, 0, 0}, {0, 0, 0, 0}, Pack(1, 0.5f, 0.25f)},
        {"sixty degrees", Directional(Vec3(s60, 0, c60), {1, 1, 1, 1}), 0, {0, 0, 0, 0}, {0, 0, 0, 0}, Pack(0.5f, 0.5f, 0.5f)},
        {"from behind", Directional(Vec3(0, 0, -1), {1, 1, 1, 1}), 0xFF404040, {1, 1, 1, 1}, {0, 0, 0, 0},
         Pack(0x40 / 255.0f, 0x40 / 255.0f, 0x40 / 255.0f)},
        {"emissive adds", Directional(Vec3(0, 0, -1), {1, 1, 1, 1}), 0, {0, 0, 0, 0}, {0.25f, 0, 0.5f, 0},
         Pack(0.25f, 0, 0.5f)},
    };
    for (const Case& c : cases) {
        device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
        GfxMaterial material;
        material.Diffuse = {1, 1, 1, 1};
        material.Ambient = c.materialAmbient;
        material.Emissive = c.emissive;
        device->SetMaterial(&material);
        device->SetLight(0, &c.light);
        device->LightEnable(0, true);
        device->SetRenderState(RS_AMBIENT, c.ambient);
        DrawFacingSquare(device, 0, 0, 50, 10);
        EXPECT_TRUE(ColorNear(Centre(device), c.expected)) << c.name;
    }
}

TEST_F(GfxTest, PointLightsFadeWithDistanceAndStopAtTheirRange)
{
    UseOrthographicCamera(device);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_DISABLE);
    GfxMaterial material;
    material.Diffuse = {1, 1, 1, 1};
    device->SetMaterial(&material);
    GfxLight light;
    light.Type = LIGHT_POINT;
    light.Diffuse = {1, 1, 1, 1};
    light.Position = Vec3(0, 0, 10);  // 40 units in front of the square
    light.Attenuation1 = 0.1f;         // 1 / (0.1 x distance)
    light.Range = 50;
    device->SetLight(0, &light);
    device->LightEnable(0, true);
    // Lighting is worked out at the vertices: a small square keeps them close to the centre.
    DrawFacingSquare(device, 0, 0, 50, 1);
    EXPECT_TRUE(ColorNear(Centre(device), Pack(0.25f, 0.25f, 0.25f)));
    light.Range = 30;
    device->SetLight(0, &light);
    DrawFacingSquare(device, 0, 0, 50, 1);
    EXPECT_TRUE(ColorNear(Centre(device), 0xFF000000));
}

TEST_F(GfxTest, LitColoursComeFromTheVertexWhenAsked)
{
    UseOrthographicCamera(device);
    GfxLight light = Directional(Vec3(0, 0, 1), {1, 1, 1, 1});
    device->SetLight(0, &light);
    device->LightEnable(0, true);
    GfxMaterial material;
    material.Diffuse = {0, 0, 1, 1};
    device->SetMaterial(&material);
    MeshVertex v[4] = {{-10, 10, 50, 0, 0, -1, 0xFFFF0000, 0, 0},
                       {10, 10, 50, 0, 0, -1, 0xFFFF0000, 0, 0},
                       {10, -10, 50, 0, 0, -1, 0xFFFF0000, 0, 0},
                       {-10, -10, 50, 0, 0, -1, 0xFFFF0000, 0, 0}};
    device->SetFVF(kMeshFVF);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG2);  // diffuse (current) only
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(MeshVertex));
    EXPECT_TRUE(ColorNear(Centre(device), 0xFFFF0000)) << "diffuse from the vertex colour (the default)";
    device->SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_MATERIAL);
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(MeshVertex));
    EXPECT_TRUE(ColorNear(Centre(device), 0xFF0000FF)) << "diffuse from the material";
}

TEST_F(GfxTest, SpecularHighlightAddsAfterTheStages)
{
    UseOrthographicCamera(device);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_DISABLE);
    GfxLight light = Directional(Vec3(0, 0, 1), {0, 0, 0, 1});
    light.Specular = {0, 1, 0, 1};
    device->SetLight(0, &light);
    device->LightEnable(0, true);
    GfxMaterial material;
    material.Diffuse = {0.5f, 0, 0, 1};
    material.Emissive = {0.5f, 0, 0, 1};
    material.Specular = {1, 1, 1, 1};
    material.Power = 8;
    device->SetMaterial(&material);
    device->SetRenderState(RS_LOCALVIEWER, 0);
    DrawFacingSquare(device, 0, 0, 50, 10);
    EXPECT_TRUE(ColorNear(Centre(device), Pack(0.5f, 0, 0))) << "no highlight while specular is off";
    device->SetRenderState(RS_SPECULARENABLE, 1);
    DrawFacingSquare(device, 0, 0, 50, 10);
    EXPECT_TRUE(ColorNear(Centre(device), Pack(0.5f, 1, 0)));
}

TEST_F(GfxTest, FogFallsOffWithDistanceInEveryMode)
{
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetRenderState(RS_FOGENABLE, 1);
    device->SetRenderState(RS_FOGCOLOR, 0xFF0000FF);
    device->SetRenderState(RS_FOGSTART, FloatBits(10.0f));
    device->SetRenderState(RS_FOGEND, FloatBits(90.0f));
    device->SetRenderState(RS_FOGDENSITY, FloatBits(0.02f));
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_TFACTOR);  // white
    struct Case {
        bool table;
        uint32_t mode;
        float depth;
        float fogFactor;
    } cases[] = {
        {true, FOG_LINEAR, 20, 0.875f},  {true, FOG_LINEAR, 50, 0.5f},   {true, FOG_LINEAR, 80, 0.125f},
        {true, FOG_LINEAR, 95, 0.0f},    {true, FOG_LINEAR, 5, 1.0f},    {true, FOG_EXP, 50, std::exp(-1.0f)},
        {true, FOG_EXP2, 25, std::exp(-0.25f)}, {false, FOG_LINEAR, 50, 0.5f}, {false, FOG_EXP, 25, std::exp(-0.5f)},
    };
    UsePerspectiveCamera(device);
    for (const Case& c : cases) {
        device->SetRenderState(RS_FOGTABLEMODE, c.table ? c.mode : FOG_NONE);
        device->SetRenderState(RS_FOGVERTEXMODE, c.table ? FOG_NONE : c.mode);
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        DrawFacingSquare(device, 0, 0, c.depth, c.depth);
        float f = c.fogFactor;
        EXPECT_TRUE(ColorNear(Centre(device), Pack(f, f, 1), 3))
            << (c.table ? "table" : "vertex") << " mode " << c.mode << " at " << c.depth;
    }
    // An orthographic projection fogs by depth (0..1 over the depth range).
    UseOrthographicCamera(device);
    device->SetRenderState(RS_FOGTABLEMODE, FOG_LINEAR);
    device->SetRenderState(RS_FOGSTART, FloatBits(0.0f));
    device->SetRenderState(RS_FOGEND, FloatBits(1.0f));
    DrawFacingSquare(device, 0, 0, 25, 10);
    EXPECT_TRUE(ColorNear(Centre(device), Pack(0.75f, 0.75f, 1), 3));
}

TEST_F(GfxTest, TextureStagesCombineAsTheirOperationsSay)
{
    const uint32_t texel = 0x80C86432;    // a 128, r 200, g 100, b 50
    const uint32_t diffuse = 0xFF80FF40;  // r 128, g 255, b 64
    const uint32_t factor = 0xC84080FF;   // a 200, r 64, g 128, b 255
    GfxTexture* texture = MakeTexture(device, 1, 1, &texel);
    ASSERT_TRUE(texture);
    const float t[4] = {200 / 255.f, 100 / 255.f, 50 / 255.f, 128 / 255.f};
    const float d[4] = {128 / 255.f, 1, 64 / 255.f, 1};
    const float f[4] = {64 / 255.f, 128 / 255.f, 1, 200 / 255.f};
    auto rgb = [](float r, float g, float b, float a) { return Pack(r, g, b, a); };
    float dot = 4 * ((t[0] - 0.5f) * (f[0] - 0.5f) + (t[1] - 0.5f) * (f[1] - 0.5f) + (t[2] - 0.5f) * (f[2] - 0.5f));
    dot = std::min(1.0f, std::max(0.0f, dot));
    struct Case {
        const char* name;
        uint32_t op, arg1, arg2, alphaOp, alphaArg1, alphaArg2;
        uint32_t expected;
    } cases[] = {
        {"modulate", TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE,
         rgb(t[0] * d[0], t[1] * d[1], t[2] * d[2], t[3])},
        {"select 2", TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, TOP_SELECTARG2, TA_TEXTURE, TA_TFACTOR,
         rgb(d[0], d[1], d[2], f[3])},
        {"add", TOP_ADD, TA_TEXTURE, TA_TFACTOR, TOP_SELECTARG1, TA_TEXTURE, TA_DIFFUSE,
         rgb(t[0] + f[0], t[1] + f[1], t[2] + f[2], t[3])},
        {"subtract", TOP_SUBTRACT, TA_TEXTURE, TA_TFACTOR, TOP_SUBTRACT, TA_TFACTOR, TA_TEXTURE,
         rgb(t[0] - f[0], 0, 0, f[3] - t[3])},
        {"modulate 2x", TOP_MODULATE2X, TA_TEXTURE, TA_DIFFUSE, TOP_SELECTARG1, TA_DIFFUSE, TA_TEXTURE,
         rgb(2 * t[0] * d[0], 2 * t[1] * d[1], 2 * t[2] * d[2], 1)},
        {"blend texture alpha", TOP_BLENDTEXTUREALPHA, TA_TEXTURE, TA_DIFFUSE, TOP_SELECTARG1, TA_TEXTURE, TA_DIFFUSE,
         rgb(t[0] * t[3] + d[0] * (1 - t[3]), t[1] * t[3] + d[1] * (1 - t[3]), t[2] * t[3] + d[2] * (1 - t[3]), t[3])},
        {"complement", TOP_SELECTARG1, TA_TEXTURE | TA_COMPLEMENT, TA_DIFFUSE, TOP_SELECTARG1,
         TA_TEXTURE | TA_COMPLEMENT, TA_DIFFUSE, rgb(1 - t[0], 1 - t[1], 1 - t[2], 1 - t[3])},
        {"alpha replicate", TOP_SELECTARG1, TA_TFACTOR | TA_ALPHAREPLICATE, TA_DIFFUSE, TOP_SELECTARG1, TA_TEXTURE,
         TA_DIFFUSE, rgb(f[3], f[3], f[3], t[3])},
        {"dot product (grey sprites)", TOP_DOTPRODUCT3, TA_TEXTURE, TA_TFACTOR, TOP_SELECTARG1, TA_TEXTURE, TA_DIFFUSE,
         rgb(dot, dot, dot, dot)},
        {"alpha disabled keeps the diffuse alpha", TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, TOP_DISABLE, TA_TEXTURE,
         TA_DIFFUSE, rgb(t[0] * d[0], t[1] * d[1], t[2] * d[2], 1)},
    };
    ScopedTarget target(device, 8, 8);
    device->SetTexture(0, texture);
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetRenderState(RS_TEXTUREFACTOR, factor);
    for (const Case& c : cases) {
        device->SetTextureStageState(0, TSS_COLOROP, c.op);
        device->SetTextureStageState(0, TSS_COLORARG1, c.arg1);
        device->SetTextureStageState(0, TSS_COLORARG2, c.arg2);
        device->SetTextureStageState(0, TSS_ALPHAOP, c.alphaOp);
        device->SetTextureStageState(0, TSS_ALPHAARG1, c.alphaArg1);
        device->SetTextureStageState(0, TSS_ALPHAARG2, c.alphaArg2);
        DrawScreenQuad(device, 0, 0, 8, 8, diffuse);
        EXPECT_TRUE(ColorNear(target.Read().At(4, 4), c.expected)) << c.name;
    }
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GfxTest, SecondStageWorksOnTheFirstStagesResult)
{
    const uint32_t red = 0xFFFF0000, grey = 0xFF808080;
    GfxTexture* first = MakeTexture(device, 1, 1, &red);
    GfxTexture* second = MakeTexture(device, 1, 1, &grey);
    ASSERT_TRUE(first && second);
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetTexture(0, first);
    device->SetTexture(1, second);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);  // red x white
    device->SetTextureStageState(1, TSS_COLOROP, TOP_MODULATE);  // x grey
    device->SetTextureStageState(1, TSS_COLORARG1, TA_TEXTURE);
    device->SetTextureStageState(1, TSS_COLORARG2, TA_CURRENT);
    DrawScreenQuad(device, 0, 0, 8, 8, 0xFFFFFFFF);
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(4, 4), 0xFF800000));
    device->SetRenderState(RS_TEXTUREFACTOR, 0xFF0000FF);
    device->SetTextureStageState(1, TSS_COLOROP, TOP_ADD);
    device->SetTextureStageState(1, TSS_COLORARG1, TA_CURRENT);
    device->SetTextureStageState(1, TSS_COLORARG2, TA_TFACTOR);
    DrawScreenQuad(device, 0, 0, 8, 8, 0xFFFFFFFF);
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(4, 4), 0xFFFF00FF));
    // A disabled first stage switches off the second, and the diffuse colour shows.
    device->SetTextureStageState(0, TSS_COLOROP, TOP_DISABLE);
    DrawScreenQuad(device, 0, 0, 8, 8, 0xFF00FF00);
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(4, 4), 0xFF00FF00));
    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    first->Release();
    second->Release();
}

TEST_F(GfxTest, BlendingUsesEveryFactorAndOperation)
{
    const float s[4] = {100 / 255.f, 200 / 255.f, 1, 64 / 255.f};   // source colour, alpha
    const float d[4] = {200 / 255.f, 100 / 255.f, 50 / 255.f, 128 / 255.f};
    const float k[4] = {1, 0.5f, 0, 0.25f};                             // blend factor state
    const uint32_t source = 0x4064C8FF, destination = 0x80C86432, blendFactor = 0x40FF8000;
    auto factor = [&](uint32_t blend, int c) -> float {
        switch (blend) {
        case BLEND_ZERO: return 0;
        case BLEND_ONE: return 1;
        case BLEND_SRCCOLOR: return s[c];
        case BLEND_INVSRCCOLOR: return 1 - s[c];
        case BLEND_SRCALPHA: return s[3];
        case BLEND_INVSRCALPHA: return 1 - s[3];
        case BLEND_DESTALPHA: return d[3];
        case BLEND_INVDESTALPHA: return 1 - d[3];
        case BLEND_DESTCOLOR: return d[c];
        case BLEND_INVDESTCOLOR: return 1 - d[c];
        case BLEND_SRCALPHASAT: return c == 3 ? 1 : std::min(s[3], 1 - d[3]);
        case BLEND_BLENDFACTOR: return k[c];
        case BLEND_INVBLENDFACTOR: return 1 - k[c];
        default: return 0;
        }
    };
    struct Case {
        uint32_t src, dest, op;
    } cases[] = {
        {BLEND_SRCALPHA, BLEND_INVSRCALPHA, BLENDOP_ADD}, {BLEND_ONE, BLEND_ONE, BLENDOP_ADD},
        {BLEND_ZERO, BLEND_SRCCOLOR, BLENDOP_ADD},        {BLEND_DESTALPHA, BLEND_INVDESTALPHA, BLENDOP_ADD},
        {BLEND_DESTCOLOR, BLEND_ZERO, BLENDOP_ADD},       {BLEND_INVDESTCOLOR, BLEND_INVSRCCOLOR, BLENDOP_ADD},
        {BLEND_SRCALPHASAT, BLEND_ONE, BLENDOP_ADD},      {BLEND_BLENDFACTOR, BLEND_INVBLENDFACTOR, BLENDOP_ADD},
        {BLEND_ONE, BLEND_ONE, BLENDOP_SUBTRACT},         {BLEND_ONE, BLEND_ONE, BLENDOP_REVSUBTRACT},
        {BLEND_ONE, BLEND_ONE, BLENDOP_MIN},              {BLEND_ONE, BLEND_ONE, BLENDOP_MAX},
        {BLEND_BOTHSRCALPHA, BLEND_ZERO, BLENDOP_ADD},    {BLEND_BOTHINVSRCALPHA, BLEND_ZERO, BLENDOP_ADD},
    };
    ScopedTarget target(device, 8, 8);
    UseVertexColour(device);
    device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(RS_BLENDFACTOR, blendFactor);
    for (const Case& c : cases) {
        device->Clear(0, nullptr, CLEAR_TARGET, destination, 1.0f, 0);
        device->SetRenderState(RS_SRCBLEND, c.src);
        device->SetRenderState(RS_DESTBLEND, c.dest);
        device->SetRenderState(RS_BLENDOP, c.op);
        DrawScreenQuad(device, 0, 0, 8, 8, source);
        uint32_t src = c.src, dest = c.dest;
        if (src == BLEND_BOTHSRCALPHA) src = BLEND_SRCALPHA, dest = BLEND_INVSRCALPHA;
        if (src == BLEND_BOTHINVSRCALPHA) src = BLEND_INVSRCALPHA, dest = BLEND_SRCALPHA;
        float out[4];
        for (int ch = 0; ch < 4; ++ch) {
            float a = s[ch] * factor(src, ch), b = d[ch] * factor(dest, ch);
            out[ch] = c.op == BLENDOP_ADD ? a + b : c.op == BLENDOP_SUBTRACT ? a - b : c.op == BLENDOP_REVSUBTRACT ? b - a
                      : c.op == BLENDOP_MIN ? std::min(s[ch], d[ch]) : std::max(s[ch], d[ch]);
        }
        EXPECT_TRUE(ColorNear(target.Read().At(4, 4), Pack(out[0], out[1], out[2], out[3]), 3))
            << "source " << c.src << " destination " << c.dest << " op " << c.op;
    }
}

TEST_F(GfxTest, AlphaTestComparesTheEightBitAlphaWithTheReference)
{
    UseVertexColour(device);
    device->SetRenderState(RS_ALPHATESTENABLE, 1);
    device->SetRenderState(RS_ALPHAREF, 0x80);
    struct Case {
        uint32_t func;
        bool shown;
    } cases[] = {{CMP_NEVER, false},   {CMP_LESS, false},     {CMP_EQUAL, true},        {CMP_LESSEQUAL, true},
                 {CMP_GREATER, false}, {CMP_NOTEQUAL, false}, {CMP_GREATEREQUAL, true}, {CMP_ALWAYS, true}};
    for (const Case& c : cases) {
        device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->SetRenderState(RS_ALPHAFUNC, c.func);
        DrawScreenQuad(device, 0, 0, 8, 8, 0x80FFFFFF);
        EXPECT_EQ(Red(ReadBackBuffer(device).At(4, 4)) == 255, c.shown) << "function " << c.func;
    }
}

TEST_F(GfxTest, StencilMasksLaterDrawing)
{
    UseVertexColour(device);
    device->SetRenderState(RS_STENCILENABLE, 1);
    device->SetRenderState(RS_STENCILFUNC, CMP_ALWAYS);
    device->SetRenderState(RS_STENCILPASS, STENCILOP_REPLACE);
    device->SetRenderState(RS_STENCILREF, 1);
    device->SetRenderState(RS_COLORWRITEENABLE, 0);  // stencil only
    DrawScreenQuad(device, 10, 10, 20, 20, 0xFFFFFFFF);
    device->SetRenderState(RS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(RS_STENCILFUNC, CMP_EQUAL);
    device->SetRenderState(RS_STENCILPASS, STENCILOP_KEEP);
    DrawScreenQuad(device, 0, 0, 64, 48, 0xFF00FF00);
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(15, 15), 0xFF00FF00));
    EXPECT_TRUE(ColorNear(p.At(5, 5), 0xFF000000));
    EXPECT_TRUE(ColorNear(p.At(25, 15), 0xFF000000));
}

TEST_F(GfxTest, TwoSidedStencilCountsFrontAndBackFacesApart)
{
    UseVertexColour(device);
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    device->SetRenderState(RS_ZWRITEENABLE, 0);
    device->SetRenderState(RS_COLORWRITEENABLE, 0);
    device->SetRenderState(RS_STENCILENABLE, 1);
    device->SetRenderState(RS_TWOSIDEDSTENCILMODE, 1);
    device->SetRenderState(RS_STENCILFUNC, CMP_ALWAYS);
    device->SetRenderState(RS_STENCILPASS, STENCILOP_INCR);
    device->SetRenderState(RS_CCW_STENCILFUNC, CMP_ALWAYS);
    device->SetRenderState(RS_CCW_STENCILPASS, STENCILOP_DECR);
    // Clockwise over columns 0..39, counter-clockwise over 20..63 (rows 0..47 for both).
    ScreenVertex cw[6] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0, 0},  {39.5f, -0.5f, 0.5f, 1, 0, 0, 0},
                          {39.5f, 47.5f, 0.5f, 1, 0, 0, 0},  {-0.5f, -0.5f, 0.5f, 1, 0, 0, 0},
                          {39.5f, 47.5f, 0.5f, 1, 0, 0, 0},  {-0.5f, 47.5f, 0.5f, 1, 0, 0, 0}};
    ScreenVertex ccw[6] = {{19.5f, -0.5f, 0.5f, 1, 0, 0, 0}, {19.5f, 47.5f, 0.5f, 1, 0, 0, 0},
                           {63.5f, 47.5f, 0.5f, 1, 0, 0, 0}, {19.5f, -0.5f, 0.5f, 1, 0, 0, 0},
                           {63.5f, 47.5f, 0.5f, 1, 0, 0, 0}, {63.5f, -0.5f, 0.5f, 1, 0, 0, 0}};
    device->SetFVF(kScreenFVF);
    device->DrawPrimitiveUP(PT_TRIANGLELIST, 2, cw, sizeof(ScreenVertex));
    device->DrawPrimitiveUP(PT_TRIANGLELIST, 2, ccw, sizeof(ScreenVertex));
    device->SetRenderState(RS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(RS_TWOSIDEDSTENCILMODE, 0);
    device->SetRenderState(RS_STENCILPASS, STENCILOP_KEEP);
    device->SetRenderState(RS_STENCILFUNC, CMP_EQUAL);
    const struct {
        uint32_t ref, colour;
    } marks[] = {{1, 0xFFFF0000}, {255, 0xFF00FF00}, {0, 0xFF0000FF}};
    for (const auto& m : marks) {
        device->SetRenderState(RS_STENCILREF, m.ref);
        DrawScreenQuad(device, 0, 0, 64, 48, m.colour);
    }
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(10, 24), 0xFFFF0000)) << "front faces only: 1";
    EXPECT_TRUE(ColorNear(p.At(50, 24), 0xFF00FF00)) << "back faces only: 0 - 1 wraps to 255";
    EXPECT_TRUE(ColorNear(p.At(30, 24), 0xFF0000FF)) << "both: 0";
}

TEST_F(GfxTest, MasksScissorAndWireframeLimitWhatIsWritten)
{
    UseVertexColour(device);
    device->SetRenderState(RS_COLORWRITEENABLE, COLORWRITEENABLE_RED | COLORWRITEENABLE_BLUE);
    DrawScreenQuad(device, 0, 0, 8, 8, 0xFFFFFFFF);
    device->SetRenderState(RS_COLORWRITEENABLE, 0xF);
    GfxRect scissor{16, 0, 24, 8};
    device->SetScissorRect(&scissor);
    device->SetRenderState(RS_SCISSORTESTENABLE, 1);
    DrawScreenQuad(device, 12, 0, 28, 8, 0xFF00FF00);
    device->SetRenderState(RS_SCISSORTESTENABLE, 0);
    device->SetRenderState(RS_FILLMODE, FILL_WIREFRAME);
    DrawScreenQuad(device, 30, 10, 60, 40, 0xFFFFFF00);
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(4, 4), 0xFFFF00FF));
    EXPECT_TRUE(ColorNear(p.At(14, 4), 0xFF000000));
    EXPECT_TRUE(ColorNear(p.At(20, 4), 0xFF00FF00));
    EXPECT_TRUE(ColorNear(p.At(26, 4), 0xFF000000));
    EXPECT_TRUE(ColorNear(p.At(45, 30), 0xFF000000)) << "inside the wireframe quad";
    int edge = 0;
    for (uint32_t x = 28; x < 32; ++x) edge += Red(p.At(x, 25)) > 200;
    EXPECT_GE(edge, 1) << "the left edge is drawn";
}

namespace {

// A quad of 8 x 8 pixels with texture coordinates 0..uv.
void DrawTexturedSquare(GfxDevice* device, float uv)
{
    ScreenVertex v[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                         {7.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, uv, 0},
                         {7.5f, 7.5f, 0.5f, 1, 0xFFFFFFFF, uv, uv},
                         {-0.5f, 7.5f, 0.5f, 1, 0xFFFFFFFF, 0, uv}};
    device->SetFVF(kScreenFVF);
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex));
}

}  // namespace

TEST_F(GfxTest, AddressModesDecideWhatLiesBeyondTheTexture)
{
    const uint32_t texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFF00FF00};  // red | green columns
    GfxTexture* texture = MakeTexture(device, 2, 2, texels);
    ASSERT_TRUE(texture);
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetSamplerState(0, SAMP_BORDERCOLOR, 0xFF0000FF);
    // Columns 0..7 sample u = 0.125 .. 1.875 in steps of 0.25.
    struct Case {
        uint32_t address;
        uint32_t column4, column6;
    } cases[] = {{TADDRESS_WRAP, 0xFFFF0000, 0xFF00FF00},
                 {TADDRESS_CLAMP, 0xFF00FF00, 0xFF00FF00},
                 {TADDRESS_MIRROR, 0xFF00FF00, 0xFFFF0000},
                 {TADDRESS_BORDER, 0xFF0000FF, 0xFF0000FF}};
    for (const Case& c : cases) {
        device->SetSamplerState(0, SAMP_ADDRESSU, c.address);
        device->SetSamplerState(0, SAMP_ADDRESSV, c.address);
        DrawTexturedSquare(device, 2.0f);
        Pixels p = ReadBackBuffer(device);
        EXPECT_TRUE(ColorNear(p.At(0, 1), 0xFFFF0000)) << "mode " << c.address;
        EXPECT_TRUE(ColorNear(p.At(2, 1), 0xFF00FF00)) << "mode " << c.address;
        EXPECT_TRUE(ColorNear(p.At(4, 1), c.column4)) << "mode " << c.address;
        EXPECT_TRUE(ColorNear(p.At(6, 1), c.column6)) << "mode " << c.address;
    }
    // Linear filtering blends the two texels between their centres; point filtering does not.
    device->SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    device->SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
    device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    DrawTexturedSquare(device, 1.0f);
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(0, 1), 0xFFFF0000));
    EXPECT_TRUE(Red(p.At(3, 1)) > 100 && Green(p.At(3, 1)) > 60) << "blend of both";
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GfxTest, MipFilterPicksTheLevelForTheSizeDrawn)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(32, 32, 0, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    ASSERT_EQ(texture->GetLevelCount(), 6u);
    const uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    for (uint32_t level = 0; level < 6; ++level) {
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), GFX_OK);
        uint32_t side = 32 >> level;
        for (uint32_t y = 0; y < side; ++y)
            for (uint32_t x = 0; x < side; ++x) ((uint32_t*)((uint8_t*)locked.pBits + y * locked.Pitch))[x] = colours[level];
        texture->UnlockRect(level);
    }
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
    DrawTexturedSquare(device, 1.0f);  // 32 texels over 8 pixels: level 2
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(4, 4), colours[0])) << "no mip filter: level 0";
    device->SetSamplerState(0, SAMP_MIPFILTER, TEXF_POINT);
    DrawTexturedSquare(device, 1.0f);
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(4, 4), colours[2]));
    // The mip filter set while a texture of one level is drawn (where it has nothing to pick)
    // is the next texture's too.
    GfxTexture* single = nullptr;
    ASSERT_EQ(device->CreateTexture(32, 32, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &single), GFX_OK);
    device->SetTexture(0, single);
    device->SetSamplerState(0, SAMP_MIPFILTER, TEXF_NONE);
    device->SetSamplerState(0, SAMP_MIPFILTER, TEXF_POINT);
    DrawTexturedSquare(device, 1.0f);
    device->SetTexture(0, texture);
    DrawTexturedSquare(device, 1.0f);
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(4, 4), colours[2])) << "after a texture of one level";
    single->Release();
    device->SetSamplerState(0, SAMP_MAXMIPLEVEL, 3);
    DrawTexturedSquare(device, 1.0f);
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(4, 4), colours[3])) << "most detailed level allowed: 3";
    device->SetTexture(0, nullptr);
    texture->Release();
}
