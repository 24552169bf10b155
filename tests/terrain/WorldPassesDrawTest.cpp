// The world's passes on the graphics device: a unit on flat ground seen from above, drawn
// through the game's scene pass with and without its shadow pass, cloaked, and with its
// selection ring and a building's placement footprint over the ground.
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/GameRender.h"
#include "mechanics/Scene.h"
#include "mechanics/SceneOverlays.h"
#include "host/GfxDevice.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/MeshLibrary.h"
#include "terrain/Minimap.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/terrain/TerrainTestSupport.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

float Luminance(uint32_t c)
{
    return 0.3f * Red(c) + 0.59f * Green(c) + 0.11f * Blue(c);
}

float MeanLuminance(const Pixels& p, int x0, int y0, int x1, int y1)
{
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) sum += Luminance(p.At(x, y));
    return (float)(sum / ((x1 - x0) * (y1 - y0)));
}

int CountDifferent(const Pixels& a, const Pixels& b, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += std::abs(Luminance(a.At(x, y)) - Luminance(b.At(x, y))) > 12.0f;
    return n;
}

// How closely the red channels of two pictures follow each other over some pixels (-1..1).
float RedCorrelation(const Pixels& a, const Pixels& b, const std::vector<int>& pixels)
{
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (int i : pixels) {
        double x = Red(a.argb[i]), y = Red(b.argb[i]);
        sa += x, sb += y, saa += x * x, sbb += y * y, sab += x * y;
    }
    double n = (double)pixels.size();
    double cov = sab / n - sa / n * sb / n;
    double va = saa / n - sa / n * sa / n, vb = sbb / n - sb / n * sb / n;
    if (va <= 1e-9 || vb <= 1e-9) return 0.0f;
    return (float)(cov / std::sqrt(va * vb));
}

class WorldPassesDrawing : public TerrainDrawTest {
protected:
    void SetUp() override
    {
        TerrainDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(TheScene.InitLists());
        game.CreateCatalogues();
        TheScene.ReleaseEntities();
        TheMinimap.SetFogEnabled(false);
        // The effects are made for shadows; each picture then turns them on or off.
        Config->shadows = true;
        BuildTerrain(TheTerrain, 128, 128, [](int, int) { return 2.0f; });
        Config->shadowMapSize = 512;
    }
    void TearDown() override
    {
        if (unit) unit->mesh = nullptr;
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        game.ReleaseShadowMap();
        ReleaseGameRenderTargets();
        EffectValues.shadowMap = nullptr;
        TheMinimap.SetFogEnabled(fogWas);
        TerrainDrawTest::TearDown();
    }
    // A walker standing at the origin on the ground (5 units high), grown to be seen.
    void PlaceUnit()
    {
        unit = game.agentTypes->TakeFreeAgent();
        ASSERT_NE(unit, nullptr);
        unit->alignment = ALIGN_PLAYER;
        unit->mesh = TheMeshLibrary->GetMesh("data/mesh/walker.txt", 0, true, false);
        ASSERT_NE(unit->mesh, nullptr);
        unit->scale = 4.0f;
        unit->SetPosition(Vec3(0.0f, 5.0f, 0.0f));
        ASSERT_NE(TheScene.AddEntity(unit), nullptr);
    }
    // The scene pass as the frame runs it: the shadow pass first when shadows are on.
    Pixels DrawScene(bool shadows)
    {
        Config->shadows = shadows;
        FrameTimer.frameCount += 1;  // visibility is worked out again
        return Draw([&] {
            if (shadows) {
                GfxSurface* back = nullptr;
                GfxSurface* depth = nullptr;
                device->GetRenderTarget(0, &back);
                device->GetDepthStencilSurface(&depth);
                game.RenderShadowMap();
                device->SetRenderTarget(0, back);
                device->SetDepthStencilSurface(depth);
                if (back) back->Release();
                if (depth) depth->Release();
                device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFFFF00FFu, 1.0f, 0);
            }
            game.RenderScene();
        });
    }

    GameMechanics game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedGlobal<bool> paused{GamePaused, false};
    ScopedGlobal<bool> post{PostProcessing, false};
    Agent* unit = nullptr;
    bool fogWas = TheMinimap.IsFogEnabled();
};

TEST_F(WorldPassesDrawing, AUnitsShadowDarkensTheGround)
{
    GameCamera.eye = Vec3(0.0f, 40.0f, -0.01f);
    GameCamera.direction = Vec3(0.0f, -1.0f, 0.0f);
    LookAt(Vec3(0.0f, 40.0f, -0.01f), Vec3(0.0f, 0.0f, 0.0f));
    Pixels ground = DrawScene(false);
    PlaceUnit();
    Pixels lit = DrawScene(false);
    Pixels shadowed = DrawScene(true);
    // The unit itself is drawn the same; the ground beside it, where the light is kept off,
    // is darker.
    EXPECT_GT(CountDifferent(lit, ground, 0, 0, width, height), 50) << "the unit is seen";
    float before = MeanLuminance(lit, 0, 0, width, height);
    float after = MeanLuminance(shadowed, 0, 0, width, height);
    EXPECT_LT(after, before - 0.5f) << "shadow darkens";
    EXPECT_GT(CountDifferent(shadowed, lit, 0, 0, width, height), 100);
    EXPECT_TRUE(MatchesReference(shadowed, "world_unit_shadow", {4, 40}));
}

TEST_F(WorldPassesDrawing, ACloakedUnitIsSeeThrough)
{
    LookAt(Vec3(0.0f, 40.0f, -0.01f), Vec3(0.0f, 0.0f, 0.0f));
    Pixels ground = DrawScene(false);
    PlaceUnit();
    Pixels plain = DrawScene(false);
    unit->classWord |= AGENT_CLOAKED;
    unit->cloakTime = 20.0f;
    Pixels cloaked = DrawScene(false);
    // Over the unit, the ground's pattern shows in the cloaked picture and not in the plain
    // one.
    std::vector<int> unitPixels;
    for (int i = 0; i < width * height; ++i)
        if (std::abs(Luminance(plain.argb[i]) - Luminance(ground.argb[i])) > 12.0f) unitPixels.push_back(i);
    ASSERT_GT(unitPixels.size(), 200u) << "the unit is seen";
    EXPECT_LT(RedCorrelation(plain, ground, unitPixels), 0.3f);
    EXPECT_GT(RedCorrelation(cloaked, ground, unitPixels), 0.6f) << "the ground shows through the cloak";
    EXPECT_TRUE(MatchesReference(cloaked, "world_cloaked", {4, 40}));
}
}  // namespace
