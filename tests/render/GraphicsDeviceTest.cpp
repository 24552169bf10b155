// The graphics device as the game sees it: the states it starts with, what Clear and the 2D
// mode put on screen, screenshots, anti-aliasing the device cannot give, and result names.
#include "render/GraphicsDevice.h"

#include "host/GfxDevice.h"
#include "host/GfxWindow.h"
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <string>

namespace {

struct ColourVertex {
    float x, y, z;
    uint32_t colour;
};

// A quad of the given world rectangle (2D mode: pixels from the screen centre, y up).
void DrawColourQuad(float x0, float y0, float x1, float y1, uint32_t colour)
{
    ColourVertex quad[4] = {
        {x0, y1, 0.5f, colour}, {x1, y1, 0.5f, colour}, {x0, y0, 0.5f, colour}, {x1, y0, 0.5f, colour}};
    GfxDevice* device = Graphics->device;
    Graphics->SetFVF(FVF_XYZ | FVF_DIFFUSE);
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    device->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex));
    device->SetRenderState(RS_CULLMODE, CULL_CCW);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
}

// Clear to a blue-grey and a red quad in the upper right quarter of the 2D screen.
void DrawTestFrame()
{
    Graphics->Clear(7, 0.2f, 0.4f, 0.6f, 1.0f);
    Graphics->BeginScene();
    Graphics->Begin2D();
    Graphics->SetupFog(0, FOG_NONE);
    Graphics->device->SetRenderState(RS_FOGENABLE, 0);
    DrawColourQuad(0, 0, 16, 12, 0xFFFF0000);
    Graphics->End2D();
}

uint32_t ImagePixel(const Image& image, uint32_t x, uint32_t y)
{
    if (image.format != PixelFormat::A8R8G8B8 && image.format != PixelFormat::X8R8G8B8) return 0;
    const uint32_t* row = reinterpret_cast<const uint32_t*>(image.Level(0, 0) + image.LevelPitch(0) * y);
    return row[x] | 0xFF000000u;
}

}  // namespace

TEST_F(RenderTest, TheDeviceHasTheGameStatesAfterSetUpAndAfterEveryReset)
{
    GfxDevice* device = graphics->device;
    for (int pass = 0; pass < 2; ++pass) {
        struct {
            RenderStateType state;
            uint32_t value;
        } const states[] = {
            {RS_ZENABLE, 1},
            {RS_CULLMODE, CULL_CCW},
            {RS_LIGHTING, 1},
            {RS_DESTBLEND, BLEND_INVSRCALPHA},
            {RS_STENCILREF, 1},
            {RS_CCW_STENCILPASS, STENCILOP_DECR},
            {RS_FOGENABLE, 1},
            {RS_FOGDENSITY, FloatBits(0.005f)},
            {RS_MULTISAMPLEANTIALIAS, 0},
        };
        for (const auto& expected : states) {
            uint32_t value = 0;
            device->GetRenderState(expected.state, &value);
            EXPECT_EQ(value, expected.value) << "state " << expected.state << " pass " << pass;
        }
        uint32_t value = 0;
        device->GetSamplerState(1, SAMP_MIPFILTER, &value);
        EXPECT_EQ(value, (uint32_t)TEXF_LINEAR);
        device->GetTextureStageState(0, TSS_COLORARG2, &value);
        EXPECT_EQ(value, (uint32_t)TA_DIFFUSE);
        EXPECT_TRUE(graphics->lighting);
        EXPECT_TRUE(NonPow2TexturesAllowed);

        // Whatever was changed, a reset brings the game's states back.
        device->SetRenderState(RS_CULLMODE, CULL_NONE);
        device->SetRenderState(RS_FOGENABLE, 0);
        graphics->SetRenderState(false);
        ASSERT_EQ(graphics->ResetDevice(), DEVICE_USABLE);
    }
}

TEST_F(RenderTest, ClearPacksItsColourAndTwoDModeCentresTheScreen)
{
    DrawTestFrame();
    EXPECT_EQ(BackBufferPixel(0, 0), 0xFF336699u);
    // x right and y up from the centre (32, 24): the quad fills pixels 32..47 x 12..23.
    EXPECT_EQ(BackBufferPixel(32, 23), 0xFFFF0000u);
    EXPECT_EQ(BackBufferPixel(47, 12), 0xFFFF0000u);
    EXPECT_EQ(BackBufferPixel(31, 23), 0xFF336699u);
    EXPECT_EQ(BackBufferPixel(40, 24), 0xFF336699u);
    EXPECT_EQ(BackBufferPixel(40, 11), 0xFF336699u);
    EXPECT_TRUE(graphics->Present());
}

TEST_F(RenderTest, ScreenshotsHoldTheFrameThePlayerSaw)
{
    std::string folder = MakeTempFolder("screenshots");
    struct Case {
        const char* format;
        bool fullScreen;
    } const cases[] = {{"png", false}, {"bmp", false}, {"png", true}, {"bmp", true}};
    int counter = 0;
    for (const Case& c : cases) {
        CopyText(Config->screenshotFormat, sizeof Config->screenshotFormat, c.format);
        std::string path = folder + "/Shot_" + std::to_string(++counter) + "." + c.format;
        if (c.fullScreen) {
            // Full screen saves what was presented last, at once.
            DrawTestFrame();
            ASSERT_TRUE(graphics->Present());
            PresentParams.Windowed = false;
            graphics->SaveScreenshot(path.c_str(), 0, 0);
            PresentParams.Windowed = true;
        } else {
            // The command comes between two frames; the shot is of the frame drawn next.
            graphics->Clear(1, 0, 1, 0, 1);
            ASSERT_TRUE(graphics->Present());
            graphics->SaveScreenshot(path.c_str(), 0, 0);
            DrawTestFrame();
            ASSERT_TRUE(graphics->Present());
        }
        // The next frame starts with something else on the back buffer.
        graphics->Clear(1, 0, 1, 0, 1);

        Image image;
        ASSERT_TRUE(LoadImageFile(path.c_str(), image)) << path;
        ASSERT_EQ(image.width, (uint32_t)kScreenWidth);
        ASSERT_EQ(image.height, (uint32_t)kScreenHeight);
        EXPECT_EQ(ImagePixel(image, 0, 0), 0xFF336699u) << path;
        EXPECT_EQ(ImagePixel(image, 40, 18), 0xFFFF0000u) << path;
        EXPECT_EQ(ImagePixel(image, 20, 30), 0xFF336699u) << path;
        std::string start = ReadTextFile(path).substr(0, 4);
        EXPECT_EQ(start.substr(0, 2) == "BM", std::string(c.format) == "bmp") << path;
    }

    // Names without an extension, or too short to have one, write nothing.
    for (const char* name : {"shot", "a.b"}) {
        graphics->SaveScreenshot(name, 0, 0);
        graphics->Present();
        FileStatus status;
        EXPECT_NE(GetFileStatus(name, status), 0) << name;
    }
}

TEST_F(RenderTest, AntiAliasingTheDeviceCannotGiveIsTurnedOff)
{
    CloseRenderTestGraphics();
    struct Case {
        bool fullScreen;
        int samples;
        bool stays;
        uint32_t samplesMade;
    } const cases[] = {
        {false, 64, false, 0},  // no device has 64 samples
        {false, 4, true, 4},
        {true, 4, true, 0},  // full screen never multisamples
    };
    for (const Case& c : cases) {
        Config->antiAliasing = true;
        Config->antiAliasingSamples = c.samples;
        GfxWindow window;
        ASSERT_TRUE(window.Create("Veldmark", kScreenWidth, kScreenHeight, c.fullScreen));
        GraphicsDevice* device = new GraphicsDevice();
        LogCaptureBegin();
        bool made = device->InitGraphics(&window, c.fullScreen, kScreenWidth, kScreenHeight);
        std::string log = LogCaptureEnd();
        ASSERT_TRUE(made) << log;
        EXPECT_EQ(Config->antiAliasing, c.stays) << c.samples;
        EXPECT_EQ(PresentParams.MultiSampleType > 1 ? PresentParams.MultiSampleType : 0, c.samplesMade) << c.samples;
        const std::string text = "WARNING: Anti-aliasing disabled : failed device caps.";
        size_t warning = log.find(text);
        EXPECT_EQ(warning != std::string::npos, !c.stays) << log;
        if (warning != std::string::npos) {
            EXPECT_EQ(log.find(text, warning + 1), std::string::npos) << "warned twice";
        }
        uint32_t state = 0;
        device->device->GetRenderState(RS_MULTISAMPLEANTIALIAS, &state);
        EXPECT_EQ(state, c.stays ? 1u : 0u);
        delete device;
        window.Destroy();
    }
    Config->antiAliasing = false;
}
