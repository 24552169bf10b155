// The in-game frame's order of passes and what it skips: a game that notes each pass it is
// asked for (and where the scene is drawn) is rendered frame by frame with the switches set
// in turn.
#include "mechanics/Game.h"
#include "drawing/WorldFrame.h"

#include "host/GfxDevice.h"
#include "host/GfxTexture.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "tests/mechanics/GameScreenSupport.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class RecordingGame : public DrawnGame {
public:
    // A new game object starts at the intro, where no level is drawn: this one is in play.
    RecordingGame() { state = GAME_STATE_PLAYING; }
    void RenderScene() override
    {
        GfxSurface* target = nullptr;
        GfxSurface* back = nullptr;
        Graphics->device->GetRenderTarget(0, &target);
        Graphics->device->GetBackBuffer(0, 0, &back);
        sceneOnBackBuffer = target == back;
        if (target) target->Release();
        if (back) back->Release();
        calls.push_back("scene");
        DrawnGame::RenderScene();
    }
    // The scene pass counts as a drawing of something that glows when asked to.
    void RenderEntities(int pass) override
    {
        calls.push_back("entities " + std::to_string(pass));
        if (pass == PASS_COLOUR && sceneGlows) ++GlowingMeshDrawCount;
    }
    void RenderShadowMap() override
    {
        calls.push_back("shadow");
        DrawnGame::RenderShadowMap();
    }
    void RenderReflection() override { calls.push_back("reflection"); }
    void DrawGui() override { calls.push_back("gui"); }

    std::vector<std::string> calls;
    bool sceneOnBackBuffer = false;
    bool sceneGlows = true;
};

class GameRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!screen_.HasDisplay()) GTEST_SKIP() << "no display";
        ASSERT_TRUE(screen_.Initialised());
        textures_ = std::make_unique<TextureManager>();
        Textures = textures_.get();
        scene_.Init();
        ASSERT_NE(TheEffectManager, nullptr);
    }
    void TearDown() override
    {
        if (!textures_) return;
        ReleaseGameRenderTargets();
        RenderTargets = GameRenderTargets();
        scene_.ReleaseEffectManager();
        scene_.ReleaseParticleManager();
        scene_.ReleaseLibraries();
        Textures = nullptr;
        textures_.reset();
    }
    std::vector<std::string> Frame()
    {
        game.calls.clear();
        game.Render();
        return game.calls;
    }

    GameScreen screen_{64, 48, true};
    std::unique_ptr<TextureManager> textures_;
    Scene scene_;
    RecordingGame game;
    ScopedGlobal<bool> post_{PostProcessing, true};
    ScopedGlobal<bool> wire_{Wireframe, false};
    ScopedGlobal<bool> idBuffers_{RenderTargets.idBuffers, false};
};

using Calls = std::vector<std::string>;

}  // namespace

TEST_F(GameRenderTest, PassesComeInOrderAndSkipWhatIsOff)
{
    const struct {
        const char* what;
        int state;
        bool post, shadows, glows, sceneGlows;
        Calls calls;
        bool onBackBuffer;
    } cases[] = {
        {"everything on", 3, true, true, true, true, {"shadow", "entities 1", "scene", "entities 0", "entities 3", "gui"}, false},
        // A scene that drew nothing glowing has no glow to draw or add.
        {"nothing glows", 3, true, true, true, false, {"shadow", "entities 1", "scene", "entities 0", "gui"}, false},
        {"no glow", 3, true, true, false, true, {"shadow", "entities 1", "scene", "entities 0", "gui"}, false},
        {"no shadows", 3, true, false, true, true, {"scene", "entities 0", "entities 3", "gui"}, false},
        // Without post-processing the scene goes straight to the screen, and nothing glows.
        {"no post", 3, false, true, true, true, {"shadow", "entities 1", "scene", "entities 0", "gui"}, true},
        {"front end", GAME_STATE_FRONT_END, true, true, true, true, {}, false},
        {"loading", GAME_STATE_LOAD_PENDING, true, true, true, true, {}, false},
    };
    for (const auto& c : cases) {
        game.state = c.state;
        PostProcessing = c.post;
        Config->shadows = c.shadows;
        Config->glows = c.glows;
        game.sceneGlows = c.sceneGlows;
        game.sceneOnBackBuffer = !c.onBackBuffer;
        EXPECT_EQ(Frame(), c.calls) << c.what;
        if (!c.calls.empty()) {
            EXPECT_EQ(game.sceneOnBackBuffer, c.onBackBuffer) << c.what;
        }
    }
}

TEST_F(GameRenderTest, ShadowsOffMakeNoShadowMap)
{
    Config->shadows = false;
    Frame();
    EXPECT_EQ(RenderTargets.shadowMap, nullptr);
    Config->shadows = true;
    Frame();
    EXPECT_NE(RenderTargets.shadowMap, nullptr);
    EXPECT_NE(RenderTargets.shadowDepth, nullptr);
}

TEST_F(GameRenderTest, ObjectIdShadowMapsStayOnceChosen)
{
    const struct {
        int shadowType;
        uint32_t format;
    } sequence[] = {
        {0, FMT_R32F}, {1, FMT_R8G8B8}, {2, FMT_X8R8G8B8}, {0, FMT_X8R8G8B8}, {1, FMT_X8R8G8B8},
    };
    for (const auto& step : sequence) {
        Config->shadowType = step.shadowType;
        ASSERT_TRUE(game.CreateShadowMap()) << step.shadowType;
        SurfaceDesc desc{};
        ASSERT_EQ(RenderTargets.shadowMap->GetLevelDesc(0, &desc), GFX_OK);
        EXPECT_EQ((uint32_t)desc.Format, step.format) << step.shadowType;
    }
    EXPECT_TRUE(RenderTargets.idBuffers);
    EXPECT_TRUE(EffectValues.shadowUseIdBuffers);
    EffectValues.shadowUseIdBuffers = false;
}

TEST_F(GameRenderTest, TheGlowKeepsItsDepthAcrossADeviceLoss)
{
    Config->glows = true;
    Frame();
    ASSERT_NE(RenderTargets.glowDepth, nullptr);
    ASSERT_NE(RenderTargets.shadowMap, nullptr);
    Graphics->ReleaseDeviceObjects();
    EXPECT_EQ(RenderTargets.glowDepth, nullptr);
    EXPECT_EQ(RenderTargets.shadowMap, nullptr);
    Graphics->RestoreDeviceObjects();
    EXPECT_EQ(Frame(), (Calls{"shadow", "entities 1", "scene", "entities 0", "entities 3", "gui"}));
    EXPECT_NE(RenderTargets.glowDepth, nullptr);
    EXPECT_NE(RenderTargets.shadowMap, nullptr);
}

TEST_F(GameRenderTest, TheReflectionMapIsMadeOnce)
{
    ASSERT_TRUE(game.CreateReflectionMap());
    GfxTexture* first = RenderTargets.reflectionMap;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(game.CreateReflectionMap());
    EXPECT_EQ(RenderTargets.reflectionMap, first);
}

TEST_F(GameRenderTest, TheFramesEffectsCompile)
{
    for (const char* name : {"data/shaders/post_color.fx", "data/shaders/post_glow.fx", "data/shaders/constructing.fx",
                             "data/shaders/ring.fx"}) {
        Effect* effect = TheEffectManager->GetEffect(name);
        ASSERT_NE(effect, nullptr) << name;
        EXPECT_TRUE(TheEffectManager->LoadEffect(effect, "main")) << name;
        EXPECT_FALSE(effect->flags & EFFECT_COMPILE_FAILED) << name << ": " << EffectManager::GetLastError();
        EXPECT_NE(effect->mainTechnique, nullptr) << name;
    }
}

TEST_F(GameRenderTest, TheReflectionIsDrawnOnlyWhenSomethingReadsIt)
{
    // Every effect the game ships, compiled and looked up as drawing code would.
    while (TheEffectManager->PrecompileNext()) {
    }
    ASSERT_GT(TheEffectManager->GetCount(), 10);
    for (int i = 0; i < TheEffectManager->GetCount(); ++i)
        TheEffectManager->LoadEffect(TheEffectManager->GetByIndex(i), "main");
    EXPECT_FALSE(ReflectionIsRead()) << "no shipped effect samples the reflection map";
    // The developer's view of the frame's targets shows it.
    ScopedGlobal<bool> debugViews(DebugDrawShadowBuffer, true);
    EXPECT_TRUE(ReflectionIsRead());
}

TEST_F(GameRenderTest, TheSoftwareRendererKeepsBlockTexturesDecoded)
{
    GfxDevice* device = Graphics->device;
    GfxCaps caps;
    ASSERT_EQ(device->GetDeviceCaps(&caps), GFX_OK);
    if (device->GetDriverDescription().find("llvmpipe") == std::string::npos)
        GTEST_SKIP() << "not the software renderer: " << device->GetDriverDescription();
    // The driver could keep them compressed; decoding every filtered texel each frame is what
    // the game does not want of it.
    EXPECT_TRUE(caps.TextureCompressionS3TC);
    EXPECT_FALSE(device->HasS3TC());
    // A test may still ask for the compressed path.
    device->SetCompressedTextures(true);
    EXPECT_TRUE(device->HasS3TC());
    device->SetCompressedTextures(false);
}

// The sky is left out when the ground fills the view: that must hold for every pixel, so the
// answer is yes only when each corner of the view looks down through the ground's whole height
// over its rectangle, within the near and far planes.
TEST(GroundFillsViewTest, OnlyAViewLookingDownOntoTheGroundFromAboveIsFilled)
{
    const Vec3 groundMin(-160.0f, 0.0f, -160.0f), groundMax(160.0f, 20.0f, 160.0f);
    struct Case {
        const char* what;
        Vec3 eye, at;
        float farPlane;
        bool filled;
    } cases[] = {
        {"down from above the middle", {0.0f, 120.0f, -60.0f}, {0.0f, 0.0f, 0.0f}, 1000.0f, true},
        {"straight down", {30.0f, 80.0f, 30.0f}, {30.0f, 0.0f, 30.1f}, 1000.0f, true},
        {"over the edge, looking out", {0.0f, 120.0f, 100.0f}, {0.0f, 0.0f, 220.0f}, 1000.0f, false},
        {"a corner of the view past the side", {130.0f, 120.0f, 0.0f}, {150.0f, 0.0f, 40.0f}, 1000.0f, false},
        {"toward the horizon", {0.0f, 30.0f, -100.0f}, {0.0f, 25.0f, 100.0f}, 1000.0f, false},
        {"the eye below the highest ground", {0.0f, 15.0f, -60.0f}, {0.0f, 0.0f, 0.0f}, 1000.0f, false},
        {"the far plane before the ground", {0.0f, 120.0f, -60.0f}, {0.0f, 0.0f, 0.0f}, 60.0f, false},
    };
    for (const Case& c : cases) {
        Matrix view, projection;
        const Vec3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&view, &c.eye, &c.at, &up);
        MatrixPerspectiveFovLH(&projection, 0.7853982f, 4.0f / 3.0f, 1.0f, c.farPlane);
        EXPECT_EQ(GroundFillsView(view, projection, groundMin, groundMax), c.filled) << c.what;
    }
}
