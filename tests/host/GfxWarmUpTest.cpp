// Warming the driver up: a draw's states noted once as a line, and a draw made again from such
// a line that shows nothing and leaves the game's states and bindings as they were.
#include "GfxTestSupport.h"

#include <string>
#include <vector>

namespace {

TEST_F(GfxTest, AWarmDrawShowsNothingAndPutsEveryStateBack)
{
    GfxTexture* texture = SolidTexture(device, 0xFF20C040);
    ASSERT_NE(texture, nullptr);
    device->SetTexture(0, texture);
    device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    device->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    device->SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
    std::vector<std::string> lines;
    device->RecordDrawStates(&lines);
    DrawScreenQuad(device, 4, 4, 20, 20, 0xFFFFFFFF);
    // The same states with other values for the programs are the same code: no second line.
    device->SetRenderState(RS_TEXTUREFACTOR, 0xFF112233);
    DrawScreenQuad(device, 24, 4, 40, 20, 0xFFFFFFFF);
    ASSERT_EQ(lines.size(), 1u) << (lines.empty() ? "" : lines.back());
    // A clear of part of the target is a line of its own.
    Viewport part{0, 0, 8, 8, 0, 1};
    device->SetViewport(&part);
    device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->RecordDrawStates(nullptr);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].compare(0, 2, "c="), 0) << lines[1];
    Viewport whole{0, 0, kTestWidth, kTestHeight, 0, 1};
    device->SetViewport(&whole);

    const Pixels before = ReadBackBuffer(device);
    for (const std::string& line : lines) EXPECT_TRUE(device->WarmDraw(line)) << line;
    const Pixels after = ReadBackBuffer(device);
    EXPECT_TRUE(before.argb == after.argb) << "a warm draw covers no pixel";

    uint32_t value = 0;
    device->GetRenderState(RS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, 1u);
    device->GetRenderState(RS_TEXTUREFACTOR, &value);
    EXPECT_EQ(value, 0xFF112233u);
    device->GetSamplerState(0, SAMP_MINFILTER, &value);
    EXPECT_EQ(value, (uint32_t)TEXF_POINT);
    GfxBaseTexture* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture);
    if (bound) bound->Release();
    Viewport viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, kTestWidth);
    uint32_t fvf = 0;
    device->GetFVF(&fvf);
    EXPECT_EQ(fvf, kScreenFVF);
    // And the next draw of the game's draws as before.
    DrawScreenQuad(device, 44, 4, 60, 20, 0xFFFFFFFF);
    const Pixels drawn = ReadBackBuffer(device);
    EXPECT_TRUE(ColorNear(drawn.At(50, 10), before.At(30, 10)));
    device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GfxTest, AWarmDrawRefusesLinesItCannotFollow)
{
    const char* lines[] = {
        "",
        "p=? v=f144 t=bb z=-",                  // a program with no name
        "p=nosuch.fx:a+b v=f144 t=bb z=-",      // a program that is not there
        "p=- t=bb z=-",                         // no vertex layout
        "p=- v=d0.0.2 t=bb z=-",                // a cut element
        "p=- v=f144 t=bb z=- q7=1",             // an unknown word
        "p=- v=f144 t=999 z=-",                 // a target format the device does not make
        "x",
    };
    for (const char* line : lines) EXPECT_FALSE(device->WarmDraw(line)) << line;
    EXPECT_TRUE(device->WarmDraw("p=- v=f144 t=bb z=-"));
}

}  // namespace
