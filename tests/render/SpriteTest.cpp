// Sprites without a device: where their corners go, the sprite table, atlas cells, lines, and
// where the hint box lands. (Drawn sprites are read back in Draw2DTest.cpp.)
#include "render/Sprite.h"

#include "render/Camera.h"
#include "render/Font.h"
#include "render/FontCache.h"
#include "render/HintBox.h"
#include "platform/ConfigFile.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

void ExpectCorner(const SpriteVertex& v, float x, float y, float z = 0.0f)
{
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
    EXPECT_NEAR(v.z, z, 1e-4f);
}

TEST(Sprite, ScreenRectanglesMapToTheCentredTwoDimensionalMode)
{
    // No configuration: a 1024 x 768 screen.
    std::unique_ptr<Sprite> s(CreateSprite(0, 0, 32, 32, "data/textures/white.dds", 0x80FF0000, 0, 0, 1, 1, false));
    ASSERT_TRUE(s);
    ExpectCorner(s->vertices[0], -512, 384);
    ExpectCorner(s->vertices[1], -480, 384);
    ExpectCorner(s->vertices[2], -480, 352);
    ExpectCorner(s->vertices[3], -512, 352);
    for (const SpriteVertex& v : s->vertices) EXPECT_EQ(v.colour, 0x80FF0000u);
    EXPECT_EQ(s->vertices[2].u, 1.0f);
    EXPECT_EQ(s->vertices[2].v, 1.0f);

    s->SetPosition(512, 384);
    ExpectCorner(s->vertices[0], 0, 0);
    ExpectCorner(s->vertices[2], 32, -32);
    EXPECT_EQ(s->width, 32);

    s->SetRotation(PI / 2);  // a quarter turn (counter-clockwise, y is up) about (16, -16)
    ExpectCorner(s->vertices[0], 0, -32);
    ExpectCorner(s->vertices[2], 32, 0);
}

TEST(Sprite, TheTableReusesFreedSlotsAndForgetsDeletedSprites)
{
    int before = RegisteredSpriteCount();
    Sprite* a = CreateSprite(0, 0, 1, 1, nullptr, 0, 0, 0, 1, 1, false);
    Sprite* b = CreateSprite(0, 0, 1, 1, nullptr, 0, 0, 0, 1, 1, false);
    Sprite* c = CreateSprite(0, 0, 1, 1, nullptr, 0, 0, 0, 1, 1, false);
    EXPECT_EQ(RegisteredSpriteCount(), before + 3);
    int highWater = SpriteTableCount();
    int slot = b->tableSlot;
    ReleaseSprite(b);
    delete b;
    Sprite* d = CreateSprite(0, 0, 1, 1, nullptr, 0, 0, 0, 1, 1, false);
    EXPECT_EQ(d->tableSlot, slot);
    EXPECT_EQ(SpriteTableCount(), highWater);

    // Deleted without a release: the table lets go of it, and a reset never touches it.
    delete c;
    EXPECT_EQ(RegisteredSpriteCount(), before + 2);
    ReleaseAllSprites();
    RestoreAllSprites();
    delete a;
    delete d;
    EXPECT_EQ(RegisteredSpriteCount(), before);
}

TEST(Sprite, AtlasCellsAlwaysAnswerWithCoordinates)
{
    auto cell = [](int columns, int rows, int column, int row) {
        return columns << 24 | rows << 16 | column << 8 | row;
    };
    struct Case {
        int cell;
        bool usable;
        float ua, va, ub, vb;
    } cases[] = {
        {cell(4, 2, 3, 1), true, 0.75f, 0.5f, 1.0f, 1.0f},
        {cell(4, 4, 0, 3), true, 0.0f, 0.75f, 0.25f, 1.0f},
        {cell(4, 2, 4, 1), false, 0, 0, 1, 1},
        {cell(20, 20, 16, 0), false, 0, 0, 1, 1},
        {cell(0, 0, 0, 0), false, 0, 0, 1, 1},
        {cell(4, 0, 1, 0), false, 0, 0, 1, 1},
        {-5, false, 0, 0, 1, 1},
    };
    for (const Case& c : cases) {
        float ua = -9, va = -9, ub = -9, vb = -9;
        EXPECT_EQ(GetAtlasCellUV(c.cell, &ua, &va, &ub, &vb), c.usable) << std::hex << c.cell;
        EXPECT_FLOAT_EQ(ua, c.ua);
        EXPECT_FLOAT_EQ(va, c.va);
        EXPECT_FLOAT_EQ(ub, c.ub);
        EXPECT_FLOAT_EQ(vb, c.vb);
    }

    std::unique_ptr<Sprite> s(CreateSprite(0, 0, 8, 8, nullptr, 0, 0, 0, 1, 1, false));
    s->SetAtlasCell(cell(4, 2, 3, 1));
    EXPECT_FLOAT_EQ(s->vertices[0].u, 0.75f);
    s->SetAtlasCell(cell(4, 2, 16, 1));  // no such cell: nothing changes
    EXPECT_FLOAT_EQ(s->vertices[0].u, 0.75f);
    EXPECT_FLOAT_EQ(s->vertices[0].v, 0.5f);
    s->SetAtlasCell(0);  // the whole texture
    EXPECT_FLOAT_EQ(s->vertices[0].u, 0.0f);
    EXPECT_FLOAT_EQ(s->vertices[2].v, 1.0f);
}

TEST(Sprite, LinesGroundQuadsAndBillboards)
{
    MatrixIdentity(&ViewMatrix);
    std::unique_ptr<Sprite> line(CreateSprite(0, 0, 1, 1, nullptr, 0, 0, 0, 1, 1, true));
    line->SetLine(Vec3(0, 0, 5), Vec3(10, 0, 5), 0xFFFFFFFF, 1.0f);
    // One unit thick: half a unit either side, not rounded away to nothing.
    EXPECT_NEAR(fabsf(line->vertices[0].y - line->vertices[3].y), 1.0f, 1e-5f);
    ExpectCorner(line->vertices[0], 0, 0.5f, 5);
    ExpectCorner(line->vertices[2], 10, -0.5f, 5);

    Sprite ground;
    ground.InitGroundQuad(Vec3(5, 1, 5), nullptr, false);
    ExpectCorner(ground.vertices[0], -5, 1, 15);
    ExpectCorner(ground.vertices[2], 15, 1, -5);
    EXPECT_EQ(ground.vertices[0].colour, 0xFFFFFFFFu);
    ground.SetGroundPosition(Vec3(0, 0, 0));
    ExpectCorner(ground.vertices[1], 10, 0, 10);

    std::unique_ptr<Sprite> board(CreateBillboardSprite(Vec3(0, 0, 0), Vec3(0, 0, 4), nullptr, 0xFF00FF00, false));
    ExpectCorner(board->vertices[0], 0.5f, 0, 0);
    ExpectCorner(board->vertices[2], -0.5f, 0, 4);
}

TEST(HintBox, StaysOnTheScreen)
{
    // The screen of no settings, 1024 x 768, whatever settings a test before left.
    ScopedGlobal<ConfigFile*> noSettings(Config, nullptr);
    Fonts = new FontCache();
    {
        Font tooltip("gui");
        tooltip.Load("Arial", 10, 0);
        HintBox::SetFonts(&tooltip, &tooltip);
        HintBox box;
        TextSize size;
        tooltip.GetTextExtent("A helpful hint", &size);
        ASSERT_GT(size.cx, 0);

        box.Draw(1000, 10, "A helpful hint");
        EXPECT_EQ(box.drawnX, 1024 - size.cx - 5);
        EXPECT_EQ(box.drawnY, 10);
        box.Draw(100, 765, nullptr);
        EXPECT_EQ(box.drawnX, 100);
        EXPECT_EQ(box.drawnY, 768 - size.cy - 5);
        EXPECT_STREQ(box.text, "A helpful hint");
        // The backdrop: shadow, border and fill around the text.
        EXPECT_EQ(box.fillSprite->left, 98);
        EXPECT_EQ(box.fillSprite->right, 100 + size.cx + 1);
        EXPECT_EQ(box.borderSprite->top, box.drawnY - 1);
        // Asked for a place left of the screen and above it, its border starts at the corner.
        box.Draw(-80, -5, nullptr);
        EXPECT_EQ(box.borderSprite->left, 0);
        EXPECT_EQ(box.borderSprite->top, 0);
        HintBox::SetFonts(nullptr, nullptr);
    }
    delete Fonts;
    Fonts = nullptr;
}

}  // namespace
