// Text, sprites, the hint box and particles drawn on the device and read back.
#include "tests/render/DrawTestSupport.h"

#include "host/Maths.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/Font.h"
#include "render/FontCache.h"
#include "render/FontStringCache.h"
#include "render/HintBox.h"
#include "render/ParticleManager.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "tests/support/TestSupport.h"

#include <memory>
#include <string>

namespace {

class Draw2D : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        if (!device) return;
        Fonts = new FontCache();
        font.Load("Arial", 12, 0);
        ASSERT_TRUE(font.loaded);
        ASSERT_NE(font.font->texture, nullptr);
    }
    void TearDown() override
    {
        delete Fonts;
        Fonts = nullptr;
        DrawTest::TearDown();
    }
    Font font{"gui"};
};

TEST_F(Draw2D, TextLandsWhereAndAsWideAsItsExtentSays)
{
    const char* text = "Hello, World";
    TextSize size;
    ASSERT_EQ(font.GetTextExtent(text, &size), GFX_OK);
    font.DrawText(100, 50, text);
    font.DrawText(100, 200, "Line one\nLine two");
    Pixels p = ReadBackBuffer(device);

    int l, t, r, b;
    ASSERT_TRUE(p.LitBox(&l, &t, &r, &b, 48, 60, 30, 500, 100));
    EXPECT_NEAR(l, 100, 2);
    EXPECT_LE(r, 100 + size.cx + 1);
    EXPECT_GE(r, 100 + size.cx - 3);
    EXPECT_GE(t, 50);
    EXPECT_LE(b, 50 + size.cy);
    EXPECT_GT(b - t, size.cy / 2);

    // The second line starts one line height lower.
    const int line = (int)font.LineHeight();
    int l1, t1, r1, b1, l2, t2, r2, b2;
    ASSERT_TRUE(p.LitBox(&l1, &t1, &r1, &b1, 48, 60, 200, 500, 200 + line));
    ASSERT_TRUE(p.LitBox(&l2, &t2, &r2, &b2, 48, 60, 200 + line, 500, 200 + 2 * line));
    EXPECT_EQ(t2 - t1, line);
    EXPECT_NEAR(l1, l2, 1);

    // White text in white: the glyphs' centres are fully lit.
    int full = 0;
    for (uint32_t c : p.argb)
        if (Red(c) > 250 && Green(c) > 250 && Blue(c) > 250) ++full;
    EXPECT_GT(full, 50);
}

TEST_F(Draw2D, CentredTextAndTheShadow)
{
    const char* text = "Centre";
    TextSize size;
    font.GetTextExtent(text, &size);
    font.DrawText(0, 300, text, TEXT_CENTERED_X);
    font.SetShadow(true);
    font.SetSize(3, 3);
    font.SetColor(1, 0, 0, 1);
    font.shadowR = 0.0f;
    font.shadowB = 1.0f;
    font.DrawText(100, 500, "Shadowed");
    Pixels p = ReadBackBuffer(device);
    int l, t, r, b;
    ASSERT_TRUE(p.LitBox(&l, &t, &r, &b, 48, 0, 280, kDrawWidth, 340));
    EXPECT_NEAR((l + r) / 2, kDrawWidth / 2, 3);
    // The blue shadow shows below and right of the red text.
    int redPixels = 0, bluePixels = 0;
    for (int y = 490; y < 540; ++y)
        for (int x = 90; x < 300; ++x) {
            uint32_t c = p.At(x, y);
            if (Red(c) > 200 && Blue(c) < 60) ++redPixels;
            if (Blue(c) > 200 && Red(c) < 60) ++bluePixels;
        }
    EXPECT_GT(redPixels, 30);
    EXPECT_GT(bluePixels, 30);
}

TEST_F(Draw2D, StringsAreBuiltOnceWhileTheyRepeat)
{
    CD3DFont* f = font.font;
    const uint32_t white = 0xFFFFFFFF;
    auto builds = [&] { return f->GetBuildCount(); };
    struct Step {
        int frame;
        float x, y;
        const char* text;
        uint32_t colour, flags;
        bool built;
    } steps[] = {
        {10, 10, 10, "cached", white, 0, true},
        {11, 10, 10, "cached", white, 0, false},
        {11, 10.7f, 10.2f, "cached", white, 0, false},  // the same whole pixel
        {12, 11, 10, "cached", white, 0, true},
        {12, 10, 10, "cached", 0xFFFF0000, 0, true},
        {12, 10, 10, "cached", white, TEXT_CENTERED_X, true},
        {13, 10, 10, "cached", white, TEXT_CENTERED_X, false},
        {13, 10, 10, " ", white, 0, false},
        {13, 10, 10, "", white, 0, false},
    };
    for (const Step& s : steps) {
        FrameTimer.frameCount = s.frame;
        int before = builds();
        f->DrawText(s.x, s.y, s.colour, s.text, s.flags);
        EXPECT_EQ(builds() - before, s.built ? 1 : 0) << s.text << " at frame " << s.frame;
    }
    std::string longText(130, 'x');
    int before = builds();
    f->DrawText(0, 100, white, longText.c_str(), 0);
    f->DrawText(0, 100, white, longText.c_str(), 0);
    EXPECT_EQ(builds() - before, 2);

    // Cached text drawn with other flags lands where those flags put it.
    Pixels p = ReadBackBuffer(device);
    int l, t, r, b;
    ASSERT_TRUE(p.LitBox(&l, &t, &r, &b, 48, 300, 0, kDrawWidth, 40));
    EXPECT_GT(l, 400);

    // All 32 entries in use this frame: the next string is drawn without one; two frames
    // later the old ones make room.
    FontStringCache* cache = f->GetStringCache();
    FrameTimer.frameCount = 20;
    for (int i = 0; i < FontStringCache::ENTRY_COUNT + 8; ++i)
        f->DrawText(0, 0, white, ("filler " + std::to_string(i)).c_str(), 0);
    EXPECT_EQ(cache->InUse(), FontStringCache::ENTRY_COUNT);
    f->DrawText(0, 0, white, "no room", 0);
    EXPECT_EQ(cache->Find("no room", white, 0, 0, 7, 0), nullptr);
    FrameTimer.frameCount += 2;
    f->DrawText(0, 0, white, "room again", 0);
    EXPECT_NE(cache->Find("room again", white, 0, 0, 10, 0), nullptr);
    FrameTimer.frameCount = 0;
}

TEST_F(Draw2D, SpritesFillTheirRectangles)
{
    std::string white = MakeTextureFile("white2d.dds", 0xFFFFFFFF);
    std::string halves = MakeTextureFile("halves.dds", 0xFFFF0000, 0xFF0000FF);
    graphics->Begin2D();
    std::unique_ptr<Sprite> plain(CreateSprite(100, 100, 40, 20, white.c_str(), 0xFF00FF00, 0, 0, 1, 1, false));
    std::unique_ptr<Sprite> atlas(CreateSprite(300, 100, 20, 20, halves.c_str(), 0xFFFFFFFF, 0, 0, 1, 1, true));
    std::unique_ptr<Sprite> hidden(CreateSprite(500, 100, 20, 20, white.c_str(), 0xFFFFFFFF, 0, 0, 1, 1, false));
    std::unique_ptr<Sprite> grey(CreateSprite(600, 100, 20, 20, halves.c_str(), 0xFFFFFFFF, 0, 0, 1, 1, false));
    std::unique_ptr<Sprite> line(CreateSprite(0, 0, 1, 1, white.c_str(), 0xFFFFFFFF, 0, 0, 1, 1, true));
    atlas->SetAtlasCell(2 << 24 | 1 << 16 | 1 << 8 | 0);  // the right (blue) half
    hidden->flags |= SPRITE_HIDDEN;
    grey->flags |= SPRITE_GREY;
    MatrixIdentity(&ViewMatrix);
    line->SetLine(Vec3(-100, -200, 0), Vec3(100, -200, 0), 0xFFFFFFFF, 1.0f);
    for (Sprite* s : {plain.get(), atlas.get(), hidden.get(), grey.get(), line.get()}) s->Draw();
    graphics->End2D();
    Pixels p = ReadBackBuffer(device);

    for (int y = 96; y < 124; ++y)
        for (int x = 96; x < 144; ++x) {
            bool inside = x >= 100 && x < 140 && y >= 100 && y < 120;
            ASSERT_EQ(p.At(x, y), inside ? 0xFF00FF00u : 0xFF000000u) << x << "," << y;
        }
    EXPECT_GT(Blue(p.At(310, 110)), 200);
    EXPECT_LT(Red(p.At(310, 110)), 60);
    EXPECT_EQ(p.CountLit(490, 90, 530, 130), 0);
    uint32_t g = p.At(602, 110);
    EXPECT_EQ(Red(g), Green(g));
    EXPECT_EQ(Green(g), Blue(g));
    // A line one pixel thick is one pixel thick, not nothing.
    int lit = p.CountLit(400, 580, 624, 590);
    EXPECT_GE(lit, 190);
    EXPECT_LE(lit, 2 * 201);
}

TEST_F(Draw2D, HintBoxFramesItsText)
{
    graphics->Begin2D();
    HintBox::SetFonts(&font, &font);
    {
        HintBox box;
        std::string white = MakeTextureFile("hintwhite.dds", 0xFFFFFFFF);
        for (Sprite* s : {box.shadowSprite, box.borderSprite, box.fillSprite}) s->texture = textures->GetTexture(white.c_str());
        box.Draw(200, 300, "Build a refinery");
        Pixels p = ReadBackBuffer(device);
        TextSize size;
        font.GetTextExtent("Build a refinery", &size);
        // Fill inside the box, border around it, text in the text colour.
        EXPECT_EQ(p.At(199, 300 + size.cy), 0xFF4D4D4Du);
        EXPECT_EQ(p.At(197, 310), 0xFF000000u);
        int text = 0;
        for (int y = 300; y < 300 + size.cy; ++y)
            for (int x = 200; x < 200 + size.cx; ++x)
                if (Red(p.At(x, y)) > 0xB0) ++text;
        EXPECT_GT(text, 40);
    }
    HintBox::SetFonts(nullptr, nullptr);
    graphics->End2D();
}

TEST_F(Draw2D, ParticlesDrawWhereTheCameraLooks)
{
    std::string dot = MakeSoftDotTexture("greendot.dds");
    ParticleManager manager;
    manager.ReleaseTemplates();
    std::string folder = MakeTempFolder("draw-particles");
    WriteTextFile(folder + "/green.txt",
                  "PARTICLE green RATE 50 RATE_Change 0 SPEED 1 FORCE 0 0 0 LIFETIME 5 SIZE 0.3 SIZE_Change 0\n"
                  "COLOR 0 255 0 128 COLOR_MID 0 255 0 128 COLOR_END 0 255 0 128 PARTICLE_SYSTEM_RENDER_ALPHA 1\n"
                  "END_PARTICLE\n");
    ParticleSystem* t = manager.LoadTemplate((folder + "/green.txt").c_str());
    ASSERT_NE(t, nullptr);
    t->texture = textures->GetTexture(dot.c_str());
    ParticleSystem* s = manager.SpawnSystem("green");
    ASSERT_NE(s, nullptr);

    Vec3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&ViewMatrix, &eye, &at, &up);
    Matrix projection;
    MatrixPerspectiveFovLH(&projection, PI / 4, 4.0f / 3.0f, 0.1f, 100.0f);
    device->SetTransform(TS_PROJECTION, &projection);
    for (int i = 0; i < 10; ++i) manager.UpdateWith(0.1f);
    ASSERT_GT(s->ParticleCount(), 10);
    manager.Render();
    Pixels p = ReadBackBuffer(device);
    int l, t2, r, b;
    ASSERT_TRUE(p.LitBox(&l, &t2, &r, &b));
    EXPECT_LT(l, kDrawWidth / 2);
    EXPECT_GT(r, kDrawWidth / 2);
    EXPECT_LT(t2, kDrawHeight / 2);
    EXPECT_GT(b, kDrawHeight / 2);
    int green = 0;
    for (int y = kDrawHeight / 2 - 100; y < kDrawHeight / 2 + 100; ++y)
        for (int x = kDrawWidth / 2 - 100; x < kDrawWidth / 2 + 100; ++x)
            if (Green(p.At(x, y)) > 100 && Red(p.At(x, y)) < 30 && Blue(p.At(x, y)) < 30) ++green;
    EXPECT_GT(green, 200);
    MatrixIdentity(&ViewMatrix);
}

}  // namespace
