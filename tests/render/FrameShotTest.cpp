// One whole frame of the 2D layer over running particle systems: text in every configured
// font, sprites, a hint box, the shipped particle effects and the frame-time graph, saved as a
// picture and checked against its reference. Set VELDMARK_SCREENSHOT to a path to keep a copy
// of the picture.
#include "tests/render/DrawTestSupport.h"

#include "host/Random.h"
#include "platform/RandomUtil.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/Font.h"
#include "render/FontCache.h"
#include "render/FrameGraph.h"
#include "render/HintBox.h"
#include "render/ParticleManager.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const SLOT_NAMES[FONT_SLOT_COUNT] = {"default", "small", "large", "interface", "interfacesmall",
                                                 "console"};

struct Placed {
    const char* name;
    Vec3 position;
    uint32_t extraFlags;
    Vec3 direction;
};

TEST_F(DrawTest, AWholeFrameOfTextSpritesParticlesAndTheGraph)
{
    Fonts = new FontCache();
    ConfigFile config("data/config.cfg");  // its slots, not its screen size: the layer stays 1024 x 768
    config.LoadFonts(nullptr);
    std::string white = MakeTextureFile("shotwhite.dds", 0xFFFFFFFF);
    std::string dot = MakeSoftDotTexture("shotdot.dds");

    // --- Particles, seen from a camera above the ground; their spread comes from the cosmetic
    // generator, started where every mission starts it.
    ResetRandomMWC();
    std::unique_ptr<ParticleManager> particles(new ParticleManager());
    ASSERT_GT(particles->TemplateCount(), 30) << "data/effects.pkb is missing";
    const Placed placed[] = {
        {"fuelvent", Vec3(-9, 0, 0), 0, Vec3()},
        {"black_smoke_damage", Vec3(-5, 0, 0), 0, Vec3()},
        {"explo", Vec3(-1, 1, 0), PARTICLE_TIMED, Vec3()},
        {"flame_thrower", Vec3(2, 1, 0), PARTICLE_USE_DIRECTION, Vec3(6, 0, 0)},
        {"scan_green", Vec3(-3, 0, 3), PARTICLE_TIMED, Vec3()},
        {"levelup", Vec3(6, 0, 4), PARTICLE_TIMED, Vec3()},
        {"loot", Vec3(9, 0.5f, -2), 0, Vec3()},
        {"buildbeam", Vec3(-9, 1, 5), PARTICLE_USE_DIRECTION, Vec3(1, 0, 0)},
    };
    std::vector<ParticleSystem*> systems;
    for (const Placed& p : placed) {
        ParticleSystem* s = particles->SpawnSystem(p.name);
        ASSERT_NE(s, nullptr) << p.name;
        s->position = p.position;
        s->flags |= p.extraFlags;
        if (p.direction != Vec3()) s->direction = p.direction;
        if (!s->texture || !s->texture->texture) s->texture = textures->GetTexture(dot.c_str());
        systems.push_back(s);
    }
    for (int i = 0; i < 12; ++i) particles->UpdateWith(1.0f / 30.0f);

    Vec3 eye(0, 9, -16), at(0, 1, 1), up(0, 1, 0);
    MatrixLookAtLH(&ViewMatrix, &eye, &at, &up);
    Matrix projection;
    MatrixPerspectiveFovLH(&projection, PI / 4, 4.0f / 3.0f, 0.1f, 500.0f);
    device->SetTransform(TS_PROJECTION, &projection);
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF101418, 1.0f, 0);
    particles->Render();

    // --- The 2D layer.
    graphics->Begin2D();
    std::vector<std::unique_ptr<Font>> fonts;
    int y = 20;
    for (int slot = 0; slot < FONT_SLOT_COUNT; ++slot) {
        fonts.emplace_back(new Font("gui"));
        Font& f = *fonts.back();
        f.Load(config.fonts[slot].face, config.fonts[slot].size, 0);
        ASSERT_TRUE(f.loaded) << SLOT_NAMES[slot];
        f.SetShadow(true);
        f.SetColor(1.0f, 0.95f - 0.1f * slot, 0.6f + 0.08f * slot, 1.0f);
        char text[160];
        snprintf(text, sizeof text, "%s: %s %d - The quick brown fox jumps over the lazy dog. 0123456789 !?",
                 SLOT_NAMES[slot], config.fonts[slot].face, config.fonts[slot].size);
        f.DrawText(20, (float)y, text);
        y += (int)f.LineHeight() + 6;
    }
    Font& wrapFont = *fonts[FONT_INTERFACE];
    wrapFont.SetColor(0.8f, 0.9f, 1.0f, 1.0f);
    int wrapLines = 0;
    wrapFont.DrawWrappedText("Wrapped text: the scavengers raid at dusk.@Build turrets^near the refinery and "
                             "keep the power up, or the shields fall.",
                             300, 20, y + 10, 0, 0, &wrapLines);
    EXPECT_GE(wrapLines, 4);

    std::unique_ptr<Sprite> panel(CreateSprite(700, 260, 280, 120, white.c_str(), 0xC0203860, 0, 0, 1, 1, false));
    std::unique_ptr<Sprite> badge(CreateSprite(720, 280, 64, 64, white.c_str(), 0xFFE0A020, 0, 0, 1, 1, false));
    std::unique_ptr<Sprite> spun(CreateSprite(860, 290, 48, 48, white.c_str(), 0xFF40C060, 0, 0, 1, 1, true));
    spun->SetRotation(0.6f);
    for (Sprite* s : {panel.get(), badge.get(), spun.get()}) s->Draw();

    HintBox::SetFonts(fonts[FONT_DEFAULT].get(), fonts[FONT_SMALL].get());
    std::unique_ptr<HintBox> hint(new HintBox());
    for (Sprite* s : {hint->shadowSprite, hint->borderSprite, hint->fillSprite}) s->texture = textures->GetTexture(white.c_str());
    fonts[FONT_DEFAULT]->SetShadow(false);
    hint->Draw(700, 420, "Refinery: turns ore into credits");

    FrameGraph::SetEnabled(true);
    FrameGraph::Draw();  // made on its first frame, with an empty record
    for (int i = 0; i < FrameGraph::SAMPLES; ++i)
        FrameGraph::Record(i % 37 == 0 ? 0.05f : (i % 11 == 0 ? 0.03f : 0.0166f + 0.002f * (i % 5)));
    FrameTimer.delta = 0.02f;
    FrameGraph::Draw();
    graphics->End2D();

    Pixels picture = ReadBackBuffer(device);
    std::string path = MakeTempFolder("frame-shot") + "/frame.png";
    ASSERT_TRUE(SavePixels(picture, path));
    if (const char* keep = getenv("VELDMARK_SCREENSHOT")) SavePixels(picture, keep);

    EXPECT_TRUE(MatchesReference(picture, "frame_shot"));
    // The badge sprite and the hint box's fill, exactly.
    EXPECT_EQ(picture.At(750, 310), 0xFFE0A020u);
    EXPECT_EQ(picture.At(hint->drawnX + hint->drawnW, hint->drawnY + hint->drawnH), 0xFF4D4D4Du);

    FrameGraph::SetEnabled(false);
    HintBox::SetFonts(nullptr, nullptr);
    hint.reset();
    fonts.clear();
    particles.reset();
    MatrixIdentity(&ViewMatrix);
    FrameTimer.delta = 0.0f;
    delete Fonts;
    Fonts = nullptr;
}

}  // namespace
