// The device as the game's drawing code sees it: what lands on which pixel, in which order,
// through which target, and the lost-device protocol.
#include "GfxTestSupport.h"

#include "host/Maths.h"

#include <cstring>

namespace {

void DrawTriangle(GfxDevice* device, float x0, float y0, float x1, float y1, float x2, float y2, uint32_t color)
{
    ScreenVertex v[3] = {{x0, y0, 0.5f, 1, color, 0, 0}, {x1, y1, 0.5f, 1, color, 0, 0}, {x2, y2, 0.5f, 1, color, 0, 0}};
    device->SetFVF(kScreenFVF);
    device->DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(ScreenVertex));
}

}  // namespace

TEST_F(GfxTest, ClearFillsTheViewportWithThePackedColour)
{
    ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET, 0xFF336699, 1.0f, 0), GFX_OK);
    Viewport vp{8, 4, 16, 8, 0, 1};
    ASSERT_EQ(device->SetViewport(&vp), GFX_OK);
    ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET, 0xFFFF0000, 1.0f, 0), GFX_OK);
    GfxRect rect{20, 0, 40, 40};
    ASSERT_EQ(device->Clear(1, &rect, CLEAR_TARGET, 0xFF00FF00, 1.0f, 0), GFX_OK);
    Pixels p = ReadBackBuffer(device);
    ASSERT_EQ(p.width, (int)kTestWidth);
    ASSERT_EQ(p.height, (int)kTestHeight);
    struct Case {
        uint32_t x, y, colour;
    } cases[] = {
        {0, 0, 0xFF336699},  {8, 4, 0xFFFF0000},  {19, 11, 0xFFFF0000}, {20, 4, 0xFF00FF00},
        {23, 11, 0xFF00FF00}, {24, 11, 0xFF336699}, {23, 12, 0xFF336699}, {7, 4, 0xFF336699},
    };
    for (const Case& c : cases) EXPECT_TRUE(ColorNear(p.At(c.x, c.y), c.colour)) << c.x << "," << c.y;
}

TEST_F(GfxTest, EdgesOnPixelCentresFollowTheTopLeftRule)
{
    // A pixel whose centre lies on a left or top edge belongs to the shape, one on a right or
    // bottom edge does not: shapes at whole coordinates cover exactly their rectangle.
    UseVertexColour(device);
    ScreenVertex quad[4] = {{10, 10, 0.5f, 1, 0xFFFF0000, 0, 0}, {20, 10, 0.5f, 1, 0xFFFF0000, 0, 0},
                            {20, 16, 0.5f, 1, 0xFFFF0000, 0, 0}, {10, 16, 0.5f, 1, 0xFFFF0000, 0, 0}};
    device->SetFVF(kScreenFVF);
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex));
    // The 2D layer's sprites: a screen-sized orthographic projection, y up from the centre.
    UseOrthographicView(device, (float)kTestWidth, (float)kTestHeight, 0, 1);
    const float hw = kTestWidth / 2.0f, hh = kTestHeight / 2.0f;
    auto corner = [&](float x, float y) { return MeshVertex{x - hw, hh - y, 0, 0, 0, 0, 0xFF00FF00, 0, 0}; };
    MeshVertex sprite[4] = {corner(30, 20), corner(50, 20), corner(50, 40), corner(30, 40)};
    device->SetFVF(kMeshFVF);
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, sprite, sizeof(MeshVertex));
    Pixels p = ReadBackBuffer(device);
    for (uint32_t y = 0; y < kTestHeight; ++y)
        for (uint32_t x = 0; x < kTestWidth; ++x) {
            uint32_t expected = 0xFF000000;
            if (x >= 10 && x < 20 && y >= 10 && y < 16) expected = 0xFFFF0000;
            if (x >= 30 && x < 50 && y >= 20 && y < 40) expected = 0xFF00FF00;
            ASSERT_EQ(p.At(x, y), expected) << x << "," << y;
        }
}

TEST_F(GfxTest, TextureMapsTexelForPixelWithoutSeams)
{
    uint32_t texels[16];
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x) texels[y * 4 + x] = ColorARGB(255, 30 + 60 * x, 30 + 60 * y, 200);
    GfxTexture* texture = MakeTexture(device, 4, 4, texels);
    ASSERT_TRUE(texture);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    // Linear filtering would blur neighbours together if texel and pixel centres missed.
    device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    device->SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    device->SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
    device->SetRenderState(RS_LIGHTING, 0);
    DrawScreenQuad(device, 10, 20, 14, 24, 0xFFFFFFFF);
    Pixels p = ReadBackBuffer(device);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_TRUE(ColorNear(p.At(10 + x, 20 + y), texels[y * 4 + x], 1)) << x << "," << y;
    texture->Release();
}

TEST_F(GfxTest, ClockwiseTrianglesAreFrontFaces)
{
    UseVertexColour(device);
    struct Case {
        uint32_t cull;
        bool clockwiseShown, counterClockwiseShown;
    } cases[] = {{CULL_CCW, true, false}, {CULL_CW, false, true}, {CULL_NONE, true, true}};
    for (const Case& c : cases) {
        device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->SetRenderState(RS_CULLMODE, c.cull);
        // On screen (y down): right, then down-left is clockwise.
        DrawTriangle(device, 2, 2, 20, 2, 2, 20, 0xFFFF0000);
        DrawTriangle(device, 32, 2, 32, 20, 50, 2, 0xFF0000FF);
        Pixels p = ReadBackBuffer(device);
        EXPECT_EQ(Red(p.At(6, 6)) > 200, c.clockwiseShown) << "cull " << c.cull;
        EXPECT_EQ(Blue(p.At(36, 6)) > 200, c.counterClockwiseShown) << "cull " << c.cull;
    }
}

TEST_F(GfxTest, NearerSurfacesHideFartherOnesWhateverTheOrder)
{
    UseVertexColour(device);
    device->SetRenderState(RS_ZENABLE, ZB_TRUE);
    DrawScreenQuad(device, 0, 0, 20, 20, 0xFFFF0000, 0.3f);  // near, first
    DrawScreenQuad(device, 10, 10, 30, 30, 0xFF00FF00, 0.7f);
    DrawScreenQuad(device, 30, 0, 50, 20, 0xFF00FF00, 0.7f);  // far, first
    DrawScreenQuad(device, 40, 10, 60, 30, 0xFFFF0000, 0.3f);
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(15, 15), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(25, 25), 0xFF00FF00));
    EXPECT_TRUE(ColorNear(p.At(45, 15), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(35, 5), 0xFF00FF00));

    // Without depth writes the later far quad is tested but leaves nothing to test against.
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->SetRenderState(RS_ZWRITEENABLE, 0);
    DrawScreenQuad(device, 0, 0, 20, 20, 0xFFFF0000, 0.3f);
    DrawScreenQuad(device, 0, 0, 20, 20, 0xFF00FF00, 0.7f);
    p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(5, 5), 0xFF00FF00));
}

TEST_F(GfxTest, TransformedGeometryLandsWhereTheCameraSeesIt)
{
    UseVertexColour(device);
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    Matrix view, projection, world;
    Vec3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    MatrixPerspectiveFovLH(&projection, PI / 3, (float)kTestWidth / kTestHeight, 1.0f, 100.0f);
    MatrixIdentity(&world);
    device->SetTransform(TS_VIEW, &view);
    device->SetTransform(TS_PROJECTION, &projection);
    device->SetTransform(TS_WORLD, &world);
    // A small triangle up and to the right of the centre.
    MeshVertex v[3] = {{1.5f, 1.5f, 0, 0, 0, -1, 0xFFFFFF00, 0, 0},
                       {2.5f, 1.5f, 0, 0, 0, -1, 0xFFFFFF00, 0, 0},
                       {2.0f, 2.5f, 0, 0, 0, -1, 0xFFFFFF00, 0, 0}};
    device->SetFVF(kMeshFVF);
    ASSERT_EQ(device->DrawPrimitiveUP(PT_TRIANGLELIST, 1, v, sizeof(MeshVertex)), GFX_OK);
    Pixels p = ReadBackBuffer(device);
    Viewport vp;
    device->GetViewport(&vp);
    Vec3 centre(2.0f, 1.8f, 0), screen;
    Vec3Project(&screen, &centre, &vp, &projection, &view, &world);
    EXPECT_GT(screen.x, kTestWidth / 2.0f);
    EXPECT_LT(screen.y, kTestHeight / 2.0f);
    EXPECT_TRUE(ColorNear(p.At((uint32_t)screen.x, (uint32_t)screen.y), 0xFFFFFF00));
    EXPECT_TRUE(ColorNear(p.At(kTestWidth / 2, kTestHeight / 2), 0xFF000000));
    EXPECT_TRUE(ColorNear(p.At((uint32_t)screen.x, kTestHeight - 1 - (uint32_t)screen.y), 0xFF000000));
}

TEST_F(GfxTest, ViewportPlacesAndClipsTheProjection)
{
    UseVertexColour(device);
    Viewport vp{32, 8, 32, 32, 0, 1};
    ASSERT_EQ(device->SetViewport(&vp), GFX_OK);
    // Identity transforms: clip space is the viewport; this quad covers all of it and more.
    MeshVertex v[4] = {{-2, 2, 0.5f, 0, 0, 0, 0xFF00FFFF, 0, 0},
                       {2, 2, 0.5f, 0, 0, 0, 0xFF00FFFF, 0, 0},
                       {2, -2, 0.5f, 0, 0, 0, 0xFF00FFFF, 0, 0},
                       {-2, -2, 0.5f, 0, 0, 0, 0xFF00FFFF, 0, 0}};
    device->SetFVF(kMeshFVF);
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(MeshVertex));
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(32, 8), 0xFF00FFFF));
    EXPECT_TRUE(ColorNear(p.At(63, 39), 0xFF00FFFF));
    EXPECT_TRUE(ColorNear(p.At(31, 20), 0xFF000000));
    EXPECT_TRUE(ColorNear(p.At(40, 7), 0xFF000000));
    EXPECT_TRUE(ColorNear(p.At(40, 40), 0xFF000000));
    Viewport tooLarge{40, 0, 32, 48, 0, 1};
    EXPECT_EQ(device->SetViewport(&tooLarge), ERR_INVALIDCALL);
}

TEST_F(GfxTest, RenderTargetBindResetsTheViewportAndKeepsTopRowsOnTop)
{
    GfxTexture* target = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, USAGE_RENDERTARGET, FMT_A8R8G8B8, POOL_DEFAULT, &target), GFX_OK);
    GfxSurface* surface = nullptr;
    GfxSurface* back = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), GFX_OK);
    ASSERT_EQ(device->GetRenderTarget(0, &back), GFX_OK);
    Viewport small{4, 4, 8, 8, 0, 1};
    device->SetViewport(&small);
    ASSERT_EQ(device->SetRenderTarget(0, surface), GFX_OK);
    Viewport vp;
    device->GetViewport(&vp);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Y, 0u);
    EXPECT_EQ(vp.Width, 16u);
    EXPECT_EQ(vp.Height, 16u);
    EXPECT_EQ(vp.MaxZ, 1.0f);

    UseVertexColour(device);
    device->SetRenderState(RS_ZENABLE, ZB_FALSE);
    device->Clear(0, nullptr, CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    DrawScreenQuad(device, 0, 0, 16, 4, 0xFFFF0000);  // the top four rows
    Pixels drawn = ReadSurfacePixels(device, surface);
    ASSERT_EQ(drawn.width, 16);
    EXPECT_TRUE(ColorNear(drawn.At(8, 1), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(drawn.At(8, 12), 0xFF0000FF));

    // Drawn with v = 0 at the top, the target shows the same way up.
    ASSERT_EQ(device->SetRenderTarget(0, back), GFX_OK);
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, kTestWidth);
    EXPECT_EQ(vp.Height, kTestHeight);
    device->SetTexture(0, target);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    DrawScreenQuad(device, 0, 0, 16, 16, 0xFFFFFFFF);
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(8, 1), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(8, 12), 0xFF0000FF));

    EXPECT_EQ(device->SetRenderTarget(1, surface), ERR_INVALIDCALL);
    device->SetTexture(0, nullptr);
    surface->Release();
    back->Release();
    target->Release();
}

TEST_F(GfxTest, StretchRectCopiesATargetIntoAnotherWhateverTheViewportAndScissor)
{
    GfxTexture* target = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, USAGE_RENDERTARGET, FMT_A8R8G8B8, POOL_DEFAULT, &target), GFX_OK);
    GfxSurface* surface = nullptr;
    GfxSurface* back = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), GFX_OK);
    ASSERT_EQ(device->GetRenderTarget(0, &back), GFX_OK);
    ASSERT_EQ(device->SetRenderTarget(0, surface), GFX_OK);
    UseVertexColour(device);
    device->SetRenderState(RS_ZENABLE, ZB_FALSE);
    device->Clear(0, nullptr, CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    DrawScreenQuad(device, 0, 0, 16, 4, 0xFFFF0000);  // the top four rows
    DrawScreenQuad(device, 0, 4, 1, 16, 0xFF808080);  // the left column below them

    // Onto the back buffer at (8, 8), the same way up; a viewport and a scissor set for drawing
    // do not clip the copy.
    ASSERT_EQ(device->SetRenderTarget(0, back), GFX_OK);
    device->Clear(0, nullptr, CLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    Viewport small{0, 0, 4, 4, 0, 1};
    device->SetViewport(&small);
    GfxRect scissor{0, 0, 2, 2};
    device->SetScissorRect(&scissor);
    device->SetRenderState(RS_SCISSORTESTENABLE, 1);
    GfxRect onto{8, 8, 24, 24};
    ASSERT_EQ(device->StretchRect(surface, nullptr, back, &onto, TEXF_POINT), GFX_OK);
    device->SetRenderState(RS_SCISSORTESTENABLE, 0);
    Pixels p = ReadBackBuffer(device);
    const struct {
        uint32_t x, y, colour;
    } cases[] = {{8, 8, 0xFFFF0000},  {23, 11, 0xFFFF0000}, {8, 12, 0xFF808080}, {9, 12, 0xFF0000FF},
                 {23, 23, 0xFF0000FF}, {7, 8, 0xFF00FF00},  {24, 23, 0xFF00FF00}, {8, 24, 0xFF00FF00}};
    for (const auto& c : cases) EXPECT_EQ(p.At(c.x, c.y) | 0xFF000000, c.colour) << c.x << "," << c.y;

    // What cannot be copied is refused: not a target, onto itself, outside it, an unknown filter.
    GfxSurface* memory = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(16, 16, FMT_A8R8G8B8, POOL_SYSTEMMEM, &memory), GFX_OK);
    GfxRect outside{8, 8, 17, 16}, empty{4, 4, 4, 8};
    const struct {
        GfxSurface *from, *to;
        const GfxRect *fromRect, *toRect;
        uint32_t filter;
    } refused[] = {{nullptr, back, nullptr, nullptr, TEXF_POINT}, {memory, back, nullptr, nullptr, TEXF_POINT},
                   {surface, memory, nullptr, nullptr, TEXF_POINT}, {surface, surface, nullptr, nullptr, TEXF_POINT},
                   {surface, back, &outside, nullptr, TEXF_POINT},  {surface, back, nullptr, &empty, TEXF_POINT},
                   {surface, back, nullptr, nullptr, TEXF_ANISOTROPIC}};
    for (const auto& r : refused)
        EXPECT_EQ(device->StretchRect(r.from, r.fromRect, r.to, r.toRect, r.filter), ERR_INVALIDCALL);
    memory->Release();
    surface->Release();
    back->Release();
    target->Release();
}

TEST_F(GfxTest, TheBackBufferWithoutAlphaBlendsAndCopiesOutAsOpaque)
{
    // The back buffer keeps what a draw writes in its alpha, but the game sees 1 there: the
    // clear's alpha and the blends' are not the picture's.
    ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET, 0x40C86432, 1.0f, 0), GFX_OK);
    UseVertexColour(device);
    device->SetRenderState(RS_ZENABLE, ZB_FALSE);
    device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(RS_SRCBLEND, BLEND_DESTALPHA);
    device->SetRenderState(RS_DESTBLEND, BLEND_INVDESTALPHA);
    DrawScreenQuad(device, 0, 0, 8, 8, 0x4064C8FF);  // the source whole
    device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHASAT);
    device->SetRenderState(RS_DESTBLEND, BLEND_ONE);
    DrawScreenQuad(device, 8, 0, 16, 8, 0x4064C8FF);  // nothing of the source
    device->SetRenderState(RS_ALPHABLENDENABLE, 0);
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(4, 4), 0xFF64C8FF));
    EXPECT_TRUE(ColorNear(p.At(12, 4), 0xFFC86432));

    // Copied out into a target with alpha, it is opaque there.
    ScopedTarget target(device, 16, 8);
    GfxSurface* back = nullptr;
    GfxSurface* level = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, &back), GFX_OK);
    ASSERT_EQ(target.texture->GetSurfaceLevel(0, &level), GFX_OK);
    const GfxRect from{0, 0, 16, 8};
    EXPECT_EQ(device->StretchRect(back, &from, level, nullptr, TEXF_POINT), GFX_OK);
    const Pixels copied = target.Read();
    EXPECT_TRUE(ColorNear(copied.At(4, 4), 0xFF64C8FF));
    EXPECT_TRUE(ColorNear(copied.At(12, 4), 0xFFC86432));
    level->Release();
    back->Release();
}

TEST_F(GfxTest, DepthSurfaceCanBeLargerThanTheTargetAndStaysBound)
{
    GfxTexture* target = nullptr;
    GfxSurface* depth = nullptr;
    GfxSurface* surface = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, USAGE_RENDERTARGET, FMT_X8R8G8B8, POOL_DEFAULT, &target), GFX_OK);
    ASSERT_EQ(device->CreateDepthStencilSurface(64, 64, FMT_D24S8, 0, 0, true, &depth), GFX_OK);
    target->GetSurfaceLevel(0, &surface);
    device->SetDepthStencilSurface(depth);
    device->SetRenderTarget(0, surface);
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    UseVertexColour(device);
    DrawScreenQuad(device, 0, 0, 16, 16, 0xFF00FF00, 0.2f);
    DrawScreenQuad(device, 0, 0, 8, 16, 0xFFFF0000, 0.6f);  // behind: hidden
    Pixels p = ReadSurfacePixels(device, surface);
    EXPECT_TRUE(ColorNear(p.At(4, 4), 0xFF00FF00));
    GfxSurface* bound = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&bound), GFX_OK);
    EXPECT_EQ(bound, depth);
    bound->Release();
    GfxSurface* back = nullptr;
    device->GetBackBuffer(0, 0, &back);
    device->SetRenderTarget(0, back);
    device->SetDepthStencilSurface(nullptr);
    back->Release();
    surface->Release();
    depth->Release();
    target->Release();
}

TEST_F(GfxTest, CapabilitiesMeetTheGamesMinimum)
{
    int x = 0, y = 0;
    device->WindowToBackBuffer(10, 20, &x, &y);
    EXPECT_EQ(x, 10) << "a window of the back buffer's size maps one to one";
    EXPECT_EQ(y, 20);
    GfxCaps caps;
    ASSERT_EQ(device->GetDeviceCaps(&caps), GFX_OK);
    EXPECT_GE(caps.PixelShaderVersion, PixelShaderVersion(2, 0));
    EXPECT_NE(caps.TextureCaps & PTEXTURECAPS_NONPOW2CONDITIONAL, 0u);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_GT(device->GetAvailableTextureMem(), 16u * 1024 * 1024);
    EXPECT_EQ(device->CheckDeviceFormat(USAGE_RENDERTARGET, RTYPE_TEXTURE, FMT_R32F), GFX_OK);
    EXPECT_EQ(device->CheckDeviceFormat(USAGE_RENDERTARGET, RTYPE_TEXTURE, FMT_DXT1), ERR_NOTAVAILABLE);
    EXPECT_EQ(device->CheckDeviceMultiSampleType(FMT_X8R8G8B8, true, 1000, nullptr), ERR_NOTAVAILABLE);
}

TEST_F(GfxTest, MultisampledBackBufferSmoothsEdgesAndFallsBackWhenTooMany)
{
    GfxCaps caps;
    device->GetDeviceCaps(&caps);
    if (caps.MaxMultiSampleType < 4) GTEST_SKIP() << "no 4x multisampling here";
    device->EndScene();
    PresentParameters params;
    device->GetPresentParameters(&params);
    params.MultiSampleType = 4;
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    EXPECT_EQ(params.MultiSampleType, 4u);
    device->BeginScene();
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    UseVertexColour(device);
    DrawScreenQuad(device, 4, 4, 20, 20, 0xFFFFFFFF);
    DrawTriangle(device, 30, 2, 60, 2, 30, 40, 0xFFFFFFFF);
    device->EndScene();
    Pixels p = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(p.At(10, 10), 0xFFFFFFFF));
    EXPECT_TRUE(ColorNear(p.At(2, 2), 0xFF000000));
    int partial = 0;  // pixels the diagonal edge crosses get a share of white
    for (uint32_t x = 30; x < 62; ++x)
        for (uint32_t y = 0; y < kTestHeight; ++y) partial += Red(p.At(x, y)) > 20 && Red(p.At(x, y)) < 235;
    EXPECT_GT(partial, 10);
    EXPECT_EQ(device->Present(), GFX_OK);

    params.MultiSampleType = 1000;
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    EXPECT_EQ(params.MultiSampleType, caps.MaxMultiSampleType);
    device->BeginScene();
}

// ---- Lost device ------------------------------------------------------------------------------

TEST_F(GfxTest, ForcedLossRunsTheReleaseResetRestoreProtocol)
{
    device->EndScene();
    GfxVertexBuffer* vertices = nullptr;
    GfxTexture* target = nullptr;
    GfxIndexBuffer* managed = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(96, USAGE_WRITEONLY, kScreenFVF, POOL_DEFAULT, &vertices), GFX_OK);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, USAGE_RENDERTARGET, FMT_A8R8G8B8, POOL_DEFAULT, &target), GFX_OK);
    ASSERT_EQ(device->CreateIndexBuffer(12, USAGE_WRITEONLY, FMT_INDEX16, POOL_MANAGED, &managed), GFX_OK);
    device->SetTexture(0, target);
    device->SetStreamSource(0, vertices, 0, sizeof(ScreenVertex));
    device->SetRenderState(RS_LIGHTING, 0);

    device->ForceDeviceLoss(2);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICELOST);
    EXPECT_EQ(device->Present(), ERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICENOTRESET);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICENOTRESET);

    PresentParameters params;
    device->GetPresentParameters(&params);
    params.BackBufferWidth = 40;
    params.BackBufferHeight = 30;
    // Refused while objects of the default pool live, even when only the device holds them.
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), 2u);
    vertices->Release();
    EXPECT_EQ(device->Reset(&params), ERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICENOTRESET);
    target->Release();
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), 0u);
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), GFX_OK);

    // The new size holds for the back buffer and the viewport; states are back to defaults.
    GfxSurface* back = nullptr;
    SurfaceDesc desc;
    device->GetBackBuffer(0, 0, &back);
    back->GetDesc(&desc);
    back->Release();
    EXPECT_EQ(desc.Width, 40u);
    EXPECT_EQ(desc.Height, 30u);
    Viewport vp;
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 40u);
    EXPECT_EQ(vp.Height, 30u);
    uint32_t lighting = 0;
    device->GetRenderState(RS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, 1u);

    // Restored objects draw again; the managed index buffer came through untouched.
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), USAGE_WRITEONLY, kScreenFVF, POOL_DEFAULT, &vertices),
              GFX_OK);
    ScreenVertex* v = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, (void**)&v, 0), GFX_OK);
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFF00FF, 0, 0},
                                  {39.5f, -0.5f, 0.5f, 1, 0xFFFF00FF, 0, 0},
                                  {39.5f, 29.5f, 0.5f, 1, 0xFFFF00FF, 0, 0},
                                  {-0.5f, 29.5f, 0.5f, 1, 0xFFFF00FF, 0, 0}};
    memcpy(v, quad, sizeof(quad));
    vertices->Unlock();
    uint16_t* index = nullptr;
    ASSERT_EQ(managed->Lock(0, 0, (void**)&index, 0), GFX_OK);
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    memcpy(index, indices, sizeof(indices));
    managed->Unlock();
    device->BeginScene();
    UseVertexColour(device);
    device->SetFVF(kScreenFVF);
    device->SetStreamSource(0, vertices, 0, sizeof(ScreenVertex));
    device->SetIndices(managed);
    EXPECT_EQ(device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFX_OK);
    device->EndScene();
    Pixels p = ReadBackBuffer(device);
    ASSERT_EQ(p.width, 40);
    EXPECT_TRUE(ColorNear(p.At(0, 0), 0xFFFF00FF));
    EXPECT_TRUE(ColorNear(p.At(39, 29), 0xFFFF00FF));
    EXPECT_EQ(device->Present(), GFX_OK);
    vertices->Release();
    managed->Release();
    device->BeginScene();
}

TEST_F(GfxTest, DriverErrorsAndFailedResetsReportAsTheGameExpects)
{
    device->ForceDriverError(2);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICENOTRESET);

    PresentParameters params;
    device->GetPresentParameters(&params);
    device->ForceResetFailure(ERR_DEVICELOST, 1);
    EXPECT_EQ(device->Reset(&params), ERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICENOTRESET);
    device->ForceResetFailure(ERR_OUTOFVIDEOMEMORY, 1);
    EXPECT_EQ(device->Reset(&params), ERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device->Reset(&params), GFX_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), GFX_OK);

    // A back buffer still held by the game keeps the device from resetting, as a texture does.
    GfxSurface* back = nullptr;
    device->GetBackBuffer(0, 0, &back);
    EXPECT_EQ(device->Reset(&params), ERR_INVALIDCALL);
    back->Release();
    EXPECT_EQ(device->Reset(&params), GFX_OK);
}
