// The device as the game's drawing code sees it: what lands on which pixel, in which order,
// through which target, and the lost-device protocol.
#include "GfxTestSupport.h"

#include "host/Maths.h"

TEST_F(GfxTest, ClearFillsTheViewportWithThePackedColour)
{
    ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET, 0xFF336699, 1.0f, 0), GFX_OK);
    Viewport vp{8, 4, 16, 8, 0, 1};
    ASSERT_EQ(device->SetViewport(&vp), GFX_OK);
    ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET, 0xFFFF0000, 1.0f, 0), GFX_OK);
    Pixels p = ReadBackBuffer(device);
    ASSERT_EQ(p.width, kTestWidth);
    ASSERT_EQ(p.height, kTestHeight);
    EXPECT_TRUE(ColorNear(p.At(0, 0), 0xFF336699));
    EXPECT_TRUE(ColorNear(p.At(8, 4), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(23, 11), 0xFFFF0000));
    EXPECT_TRUE(ColorNear(p.At(24, 11), 0xFF336699));
    EXPECT_TRUE(ColorNear(p.At(23, 12), 0xFF336699));
    EXPECT_TRUE(ColorNear(p.At(7, 4), 0xFF336699));
}

TEST_F(GfxTest, PretransformedQuadCoversExactlyItsPixels)
{
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    DrawScreenQuad(device, 10, 5, 20, 9, 0xFF00FF00);
    Pixels p = ReadBackBuffer(device);
    for (uint32_t y = 3; y < 11; ++y)
        for (uint32_t x = 8; x < 22; ++x) {
            bool inside = x >= 10 && x < 20 && y >= 5 && y < 9;
            EXPECT_TRUE(ColorNear(p.At(x, y), inside ? 0xFF00FF00 : 0xFF000000)) << x << "," << y;
        }
}
