// A whole frame the way the game draws one: a lit, textured, fogged scene with a 2D overlay,
// saved as a PNG screenshot and checked against its reference picture, then a forced device
// loss with the release, reset and restore cycle, after which the same frame must come out again.
#include "GfxTestSupport.h"

#include "tests/support/ReferencePicture.h"
#include "tests/support/TestSupport.h"
#include "host/GfxImage.h"
#include "host/ImageCodec.h"
#include "host/Maths.h"
#include "host/System.h"

#include <string>
#include <vector>

namespace {

constexpr uint32_t kWidth = 160, kHeight = 120;
constexpr GfxColor kSky = 0xFF6080A0;
constexpr GfxColor kHud = 0xFFFFCC00;

// The demo's device objects, all in the default pool as the game keeps them.
struct Scene {
    GfxTexture* checker = nullptr;
    GfxVertexBuffer* box = nullptr;
    GfxIndexBuffer* boxIndices = nullptr;

    bool Restore(GfxDevice* device)
    {
        std::vector<uint32_t> texels(64);
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t x = 0; x < 8; ++x) texels[y * 8 + x] = ((x / 2 + y / 2) & 1) ? 0xFFE0E0E0 : 0xFFC04020;
        if (GfxFailed(device->CreateTexture(8, 8, 0, USAGE_AUTOGENMIPMAP, FMT_A8R8G8B8, POOL_DEFAULT, &checker)))
            return false;
        if (GfxFailed(checker->UpdateLevel(0, 0, texels.data(), 32))) return false;
        // A unit box: four vertices per face, with the face's normal, clockwise seen from outside.
        static const float faces[6][4][3] = {
            {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}},  // front (-z)
            {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},      // back
            {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}},  // left
            {{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}},      // right
            {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},      // top
            {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},  // bottom
        };
        static const float normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
        static const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        if (GfxFailed(device->CreateVertexBuffer(24 * sizeof(MeshVertex), USAGE_WRITEONLY, kMeshFVF, POOL_DEFAULT, &box)))
            return false;
        MeshVertex* v = nullptr;
        box->Lock(0, 0, (void**)&v, 0);
        for (int f = 0; f < 6; ++f)
            for (int c = 0; c < 4; ++c)
                v[f * 4 + c] = {faces[f][c][0], faces[f][c][1], faces[f][c][2], normals[f][0], normals[f][1],
                                normals[f][2], 0xFFFFFFFF, uvs[c][0], uvs[c][1]};
        box->Unlock();
        if (GfxFailed(device->CreateIndexBuffer(36 * 2, USAGE_WRITEONLY, FMT_INDEX16, POOL_DEFAULT, &boxIndices)))
            return false;
        uint16_t* index = nullptr;
        boxIndices->Lock(0, 0, (void**)&index, 0);
        for (uint16_t f = 0; f < 6; ++f) {
            const uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
            for (int i = 0; i < 6; ++i) index[f * 6 + i] = (uint16_t)(f * 4 + quad[i]);
        }
        boxIndices->Unlock();
        return true;
    }

    void Release()
    {
        if (checker) checker->Release();
        if (box) box->Release();
        if (boxIndices) boxIndices->Release();
        checker = nullptr;
        box = nullptr;
        boxIndices = nullptr;
    }
};

void DrawBox(GfxDevice* device, const Scene& scene, float x, float y, float z, float yaw)
{
    Matrix rotation, translation, world;
    MatrixRotationYawPitchRoll(&rotation, yaw, 0.4f, 0);
    MatrixTranslation(&translation, x, y, z);
    MatrixMultiply(&world, &rotation, &translation);
    device->SetTransform(TS_WORLD, &world);
    device->SetStreamSource(0, scene.box, 0, sizeof(MeshVertex));
    device->SetIndices(scene.boxIndices);
    device->SetFVF(kMeshFVF);
    device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 24, 0, 12);
}

void DrawFrame(GfxDevice* device, const Scene& scene)
{
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL, kSky, 1.0f, 0);
    device->BeginScene();

    // The world: a lit, textured box near the camera and one far into the fog.
    Matrix view, projection;
    Vec3 eye(0, 1, -6), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    MatrixPerspectiveFovLH(&projection, PI / 4, (float)kWidth / kHeight, 0.5f, 100.0f);
    device->SetTransform(TS_VIEW, &view);
    device->SetTransform(TS_PROJECTION, &projection);
    GfxLight sun;
    sun.Type = LIGHT_DIRECTIONAL;
    sun.Diffuse = {1, 1, 0.9f, 1};
    Vec3 direction(0.5f, -0.7f, 0.6f);
    Vec3Normalize(&sun.Direction, &direction);
    device->SetLight(0, &sun);
    device->LightEnable(0, true);
    GfxMaterial material;
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 1, 1, 1};
    device->SetMaterial(&material);
    device->SetRenderState(RS_AMBIENT, 0xFF404040);
    device->SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_MATERIAL);
    device->SetRenderState(RS_FOGENABLE, 1);
    device->SetRenderState(RS_FOGCOLOR, kSky);
    device->SetRenderState(RS_FOGTABLEMODE, FOG_LINEAR);
    device->SetRenderState(RS_FOGSTART, FloatBits(5.0f));
    device->SetRenderState(RS_FOGEND, FloatBits(30.0f));
    device->SetTexture(0, scene.checker);
    device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    device->SetSamplerState(0, SAMP_MIPFILTER, TEXF_LINEAR);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    device->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    DrawBox(device, scene, -0.8f, 0, 0, 0.6f);
    DrawBox(device, scene, 3, 1, 22, 0.3f);
    device->SetTexture(0, nullptr);

    // The 2D overlay: a screen-pixel projection, as the 2D layer draws, with a solid HUD
    // block and a half-transparent panel along the bottom.
    device->SetRenderState(RS_FOGENABLE, 0);
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetRenderState(RS_ZENABLE, ZB_FALSE);
    UseOrthographicView(device, (float)kWidth, (float)kHeight, 0, 1);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    device->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_ALPHAARG1, TA_DIFFUSE);
    // Screen rectangle (left, top)-(right, bottom) in the 2D layer's centred, y-up coordinates.
    auto sprite = [&](float l, float t, float r, float b, GfxColor colour) {
        const float hw = kWidth / 2.0f, hh = kHeight / 2.0f;
        MeshVertex v[4] = {{l - hw, hh - t, 0, 0, 0, 0, colour, 0, 0}, {r - hw, hh - t, 0, 0, 0, 0, colour, 1, 0},
                           {r - hw, hh - b, 0, 0, 0, 0, colour, 1, 1}, {l - hw, hh - b, 0, 0, 0, 0, colour, 0, 1}};
        device->SetFVF(kMeshFVF);
        device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(MeshVertex));
    };
    sprite(4, 4, 36, 20, kHud);
    device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    device->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    sprite(0, 100, 160, 120, 0x80000000);
    device->SetRenderState(RS_ALPHABLENDENABLE, 0);
    device->SetRenderState(RS_ZENABLE, ZB_TRUE);
    device->SetRenderState(RS_LIGHTING, 1);
    device->EndScene();
}

}  // namespace

TEST_F(GfxTest, DemoFrameScreenshotAndLostDeviceCycle)
{
    device->EndScene();
    PresentParameters params;
    device->GetPresentParameters(&params);
    params.BackBufferWidth = kWidth;
    params.BackBufferHeight = kHeight;
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    Scene scene;
    ASSERT_TRUE(scene.Restore(device));
    DrawFrame(device, scene);

    // The screenshot: back buffer to image to PNG file, read back from the file.
    GfxSurface* back = nullptr;
    device->GetBackBuffer(0, 0, &back);
    Image shot;
    ASSERT_TRUE(ReadSurfaceImage(device, back, shot));
    back->Release();
    EXPECT_EQ(device->Present(), GFX_OK);
    std::string path = MakeTempFolder("screenshots") + "/demo.png";
    ASSERT_TRUE(SaveImageFile(path.c_str(), ImageFileFormat::PNG, shot));
    Image saved;
    ASSERT_TRUE(LoadImageFile(path.c_str(), saved));
    ASSERT_EQ(saved.width, kWidth);
    ASSERT_EQ(saved.height, kHeight);
    auto at = [&](uint32_t x, uint32_t y) { return ((const uint32_t*)saved.Level(0, 0))[y * kWidth + x]; };
    EXPECT_TRUE(MatchesReference(ReadPicture(path), "demo_frame"));

    EXPECT_TRUE(ColorNear(at(20, 12), kHud, 0)) << "HUD block";
    EXPECT_TRUE(ColorNear(at(150, 5), kSky, 1)) << "sky";
    EXPECT_TRUE(ColorNear(at(150, 115), 0xFF304050, 2)) << "panel half over the sky";
    // The near box: lit, textured red and white squares, clear of the fog.
    int red = 0, white = 0;
    for (uint32_t y = 30; y < 80; ++y)
        for (uint32_t x = 25; x < 60; ++x) {
            uint32_t c = at(x, y);
            red += Red(c) > 150 && Blue(c) < 80;
            white += Red(c) > 200 && Green(c) > 200 && Blue(c) > 200;
        }
    EXPECT_GT(red, 100);
    EXPECT_GT(white, 100);
    // The far box sits deep in the fog: close to the sky's colour but not quite it.
    int shown = 0, strong = 0;
    for (uint32_t y = 28; y < 38; ++y)
        for (uint32_t x = 90; x < 102; ++x) {
            uint32_t c = at(x, y);
            shown += !Near(c, kSky, 4);
            strong += !Near(c, kSky, 60);
        }
    EXPECT_GT(shown, 50) << "the far box shows";
    EXPECT_EQ(strong, 0) << "but only through the fog";

    // Lost: every default-pool object goes, the device resets, everything comes back.
    device->ForceDeviceLoss(1);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICELOST);
    EXPECT_EQ(device->Present(), ERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), ERR_DEVICENOTRESET);
    EXPECT_EQ(device->Reset(&params), ERR_INVALIDCALL);
    scene.Release();
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    ASSERT_TRUE(scene.Restore(device));
    DrawFrame(device, scene);
    device->GetBackBuffer(0, 0, &back);
    Image again;
    ASSERT_TRUE(ReadSurfaceImage(device, back, again));
    back->Release();
    EXPECT_EQ(again.pixels, shot.pixels) << "the restored device draws the same frame";
    EXPECT_EQ(device->Present(), GFX_OK);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    scene.Release();
    device->BeginScene();
}
