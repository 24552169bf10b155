// The world's passes on the graphics device: a unit on flat ground seen from above, drawn
// through the game's scene pass with and without its shadow pass, cloaked, and with its
// selection ring and a building's placement footprint over the ground.
#include "interface/PlayerGame.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "drawing/WorldFrame.h"
#include "interface/GameSeamImpl.h"
#include "mechanics/Scene.h"
#include "interface/SceneOverlays.h"
#include "mechanics/Selection.h"
#include "interface/MissionHud.h"
#include "world/Building.h"
#include "world/PathFinder.h"
#include "host/GfxDevice.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/Water.h"
#include "world/BuildItem.h"
#include "world/Grid.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/support/ScopedGameSeam.h"
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
    ScopedGlobal<decltype(GroundTextureSlots)> slots{GroundTextureSlots};
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
        if (game.buildItems) game.buildItems->current = nullptr;
        delete prototype;
        TheTerrain.waterSet = nullptr;
        TheTerrain.mapCells = nullptr;
        WaterVisible = false;
        if (unit) unit->mesh = nullptr;
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        game.ReleaseShadowMap();
        ReleaseGameRenderTargets();
        EffectValues.shadowMap = nullptr;
        TheMinimap.SetFogEnabled(fogWas);
        // A test that made the fog of war leaves its targets in the fixture's texture manager,
        // which goes now: the next test must not draw into them.
        TheMinimap.Release();
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

    // Grass with a pond, the unit beside it, the primitives of play read.
    void BuildLevel(bool withUnit)
    {
        kinds.assign(128 * 128, 0);
        TheTerrain.mapCells = kinds.data();
        Environment::LoadScript();
        ASSERT_NE(TheTerrain.SetEnvironment("forest"), nullptr);
        ResetRandomMWC();
        BuildTerrain(TheTerrain, 128, 128, [](int x, int z) {
            float d = std::hypot(x - 48.0f, z - 48.0f);
            return d < 7.0f ? 0.2f : 2.0f + 0.2f * std::sin(x * 0.3f) * std::cos(z * 0.4f);
        });
        water.Build(TheTerrain);
        water.BuildZones();
        ASSERT_EQ(water.count, 1);
        TheTerrain.waterSet = &water;
        if (!TheScene.primitives.head) {
            ASSERT_TRUE(TheScene.ReadSceneFile("data/scripts/primitives.cgs"));
        }
        Overlays.Forget();
        if (!withUnit) return;
        PlaceUnit();
        Vec3 at(-40.0f, 0.0f, 66.0f);
        at.y = TheTerrain.GetHeight(at);
        unit->SetPosition(at);
    }
    // The frame's passes into the back buffer: the shadow pass, then the scene with its
    // reflection and the overlays of play.
    Pixels DrawFrame(bool reflections = true)
    {
        Config->shadows = true;
        Config->reflections = reflections;
        FrameTimer.frameCount += 1;
        WaterVisible = water.AnyVisible();
        ReflectionHeight = water.GetWorldScale() + 0.1f;
        return Draw([&] {
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
            game.RenderScene();
        });
    }
    void LookAtLevel()
    {
        GameCamera.eye = Vec3(-40.0f, 70.0f, 5.0f);
        GameCamera.direction = Vec3(0.0f, -0.8f, 0.6f);
        LookAt(GameCamera.eye, Vec3(-40.0f, 0.0f, 55.0f));
    }

    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    std::vector<int> kinds;
    WaterSet water;
    // Overlays lie on the ground through the game's own answers.
    GameSeamImpl seamImpl;
    ScopedGameSeam seam{&seamImpl};
    Entity* prototype = nullptr;
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
    // A ground of strong contrast: what shows through the cloak is then plain to see.
    for (char* slot : GroundTextureSlots) CopyText(slot, sizeof GroundTextureSlots[0], "data/textures/grid.dds");
    BuildTerrain(TheTerrain, 128, 128, [](int, int) { return 2.0f; });
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

// What the water's reflection map holds: the world mirrored at the water's surface.
Pixels ReflectionPicture(GfxDevice* device)
{
    GfxSurface* level = nullptr;
    if (!RenderTargets.reflectionMap || GfxFailed(RenderTargets.reflectionMap->GetSurfaceLevel(0, &level))) return {};
    Pixels picture = ReadSurfacePixels(device, level);
    level->Release();
    return picture;
}

TEST_F(WorldPassesDrawing, TheReflectionMirrorsAUnitAboveTheWater)
{
    BuildLevel(false);
    LookAtLevel();
    const float surface = water.GetWorldScale();
    DrawFrame();
    Pixels empty = ReflectionPicture(device);
    ASSERT_FALSE(empty.argb.empty());
    PlaceUnit();
    unit->SetPosition(Vec3(-40.0f, surface + 2.0f, 40.0f));
    DrawFrame();
    Pixels mirrored = ReflectionPicture(device);
    ASSERT_EQ(mirrored.argb.size(), empty.argb.size());
    int changed = CountDifferent(mirrored, empty, 0, 0, mirrored.width, mirrored.height);
    EXPECT_GT(changed, 100) << "the unit shows in the reflection";
    // Without water in view there is no reflection pass: the map keeps what it had.
    WaterVisible = false;
    unit->SetPosition(Vec3(-40.0f, surface + 6.0f, 40.0f));
    Draw([&] { game.RenderScene(); });
    Pixels kept = ReflectionPicture(device);
    EXPECT_EQ(CountDifferent(kept, mirrored, 0, 0, kept.width, kept.height), 0);
    EXPECT_TRUE(MatchesReference(mirrored, "world_reflection_map", {4, 60}));
}

// The level as the player sees it: ground, water, a unit with its shadow and selection ring,
// and the red footprint of a building that may not stand where it is being placed.
TEST_F(WorldPassesDrawing, ALevelInPlay)
{
    BuildLevel(true);
    LookAtLevel();
    game.state = GAME_STATE_PLAYING;
    unit->flags |= ENTITY_SELECTION;
    game.hand.selected.PushBack(unit);

    prototype = new Entity();
    prototype->mesh = TheMeshLibrary->GetMesh("data/mesh/cube.txt", 0, true, false);
    ASSERT_NE(prototype->mesh, nullptr);
    prototype->scale = 4.0f;
    Vec3 site(-28.0f, 0.0f, 44.0f);
    site.y = TheTerrain.GetHeight(site);
    prototype->SetPosition(site);
    BuildItem* item = game.buildItems->Add(prototype, "test_hut");
    ASSERT_NE(item, nullptr);
    game.buildItems->current = item;
    Vec3 origin;
    int columns = 0, rows = 0;
    ASSERT_TRUE(PlacementFootprint(item, game.grid, &origin, &columns, &rows));

    Pixels level = DrawFrame();
    item->prototype = nullptr;
    ASSERT_NE(Overlays.slots[OVERLAY_SELECTION], nullptr);
    EXPECT_EQ(Overlays.slots[OVERLAY_SELECTION]->mesh->InstanceCount(), 1);
    int red = 0;
    for (uint32_t c : level.argb) red += Red(c) > 150 && Green(c) < 90 && Blue(c) < 90;
    EXPECT_GT(red, 30) << "the footprint shows red";
    EXPECT_TRUE(MatchesReference(level, "world_level_in_play", {4, 80}));
}

// The marks of play over the ground: the pulse on the last order's target (gone with the
// target), the flag where the selected factory sends its units, and the developer's views of
// the selected unit's route and of the grid's blocked cells.
TEST_F(WorldPassesDrawing, TheOrderFlashTheRallyFlagAndTheDeveloperViews)
{
    BuildLevel(true);
    LookAtLevel();
    game.state = GAME_STATE_PLAYING;
    ScopedGlobal<float> delta{FrameTimer.delta, 0.0f};
    ScopedGlobal<int> pathLevel{PathOverlayLevel, 0};
    ScopedGlobal<int> gridMode{GridOverlayMode, 0};
    Pixels plain = DrawFrame(false);
    auto changed = [&](const Pixels& p) { return CountDifferent(plain, p, 0, 0, width, height); };

    FlashOrderTarget(unit);
    FrameTimer.delta = 0.5f;
    Pixels flash = DrawFrame(false);
    EXPECT_GT(changed(flash), 20) << "the ring pulses under the ordered unit";
    EXPECT_FLOAT_EQ(TheOrderFlash.timeLeft, 0.9f);
    int blue = 0;
    for (uint32_t c : flash.argb) blue += Blue(c) > Red(c) + 60;
    EXPECT_GT(blue, 10) << "an order on the player's own unit flashes light blue";
    unit->flags |= ENTITY_DEAD;
    DrawFrame(false);
    unit->flags &= ~ENTITY_DEAD;
    EXPECT_EQ(TheOrderFlash.target, nullptr) << "a target that died takes its flash along";
    EXPECT_EQ(TheOrderFlash.timeLeft, 0.0f);
    FrameTimer.delta = 0.0f;

    // A selected factory with a rally point: the flag stands there.
    Building factory;
    factory.stateFlags |= BUILDING_RALLY_POINT;
    factory.rallyPoint = unit->GetPosition() + Vec3(6.0f, 0.0f, -6.0f);
    game.hand.selected.PushBack(&factory);
    Pixels rally = DrawFrame(false);
    game.hand.selected.Clear();
    ASSERT_NE(game.rallyMarker, nullptr);
    EXPECT_GT(changed(rally), 2) << "the rally flag, small from this high";
    EXPECT_FLOAT_EQ(game.rallyMarker->scale, 1.0f) << "the flag primitive is only lent";

    // The route of the selected unit, tile by tile.
    Path* path = game.pathPool->Acquire();
    ASSERT_NE(path, nullptr);
    for (int i = 0; i < 6; ++i) path->AddPoint(unit->GetPosition() + Vec3(2.5f * i, 0.0f, 0.0f));
    unit->path = path;
    game.hand.selected.PushBack(unit);
    PathOverlayLevel = 1;
    Pixels route = DrawFrame(false);
    PathOverlayLevel = 0;
    Pixels routeOff = DrawFrame(false);
    game.hand.selected.Clear();
    unit->path = nullptr;
    game.pathPool->Release(path);
    EXPECT_GT(CountDifferent(routeOff, route, 0, 0, width, height), 20) << "the route's tiles";

    // The grid view: every blocked cell on the screen (none of this level's cells is walkable).
    GridOverlayMode = 1;
    Pixels blocked = DrawFrame(false);
    GridOverlayMode = 0;
    EXPECT_GT(changed(blocked), width * height / 4) << "red tiles over the blocked ground";
}
}  // namespace

namespace {

// The frame as the game draws it into the back buffer: the scene into its target, copied to
// the screen, and the glow added over it.
class WholeFrameDrawing : public WorldPassesDrawing {
protected:
    void TearDown() override
    {
        TheScanEffects.Release();
        WorldPassesDrawing::TearDown();
        // The scene and glow targets went with the fixture's texture manager.
        RenderTargets = GameRenderTargets();
    }
    Pixels Frame(bool glows)
    {
        Config->glows = glows;
        Config->reflections = true;
        FrameTimer.frameCount += 1;
        game.Render();
        return ReadBackBuffer(device);
    }
    ScopedGlobal<bool> postOn{PostProcessing, true};
};

}  // namespace

// Nothing in the level glows: the frame with glows is the frame without them. A scanning
// unit's ring glows green around it, softly beyond the ring's own edges.
TEST_F(WholeFrameDrawing, OnlyAScanRingAddsAGlow)
{
    BuildLevel(true);
    LookAtLevel();
    game.state = GAME_STATE_PLAYING;

    Pixels plain = Frame(false);
    Pixels unlit = Frame(true);
    EXPECT_TRUE(MatchesReference(unlit, "world_frame", {2, 0}));
    int changed = 0;
    for (size_t i = 0; i < plain.argb.size(); ++i) changed += !Near(plain.argb[i], unlit.argb[i], 1);
    EXPECT_EQ(changed, 0) << "pixels that glow with nothing glowing";

    unit->alignment = ALIGN_PLAYER;
    unit->commandWord |= COMMAND_SCAN;
    ASSERT_TRUE(TheScanEffects.BuildRingMesh());
    ASSERT_TRUE(TheScanEffects.BeginScan(unit));
    FrameTimer.delta = 0.5f;  // the fixture's clock stands still otherwise
    // The game's update grows the ring; the frame only draws it.
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScanEffects.Update();
    }
    Pixels ringWithoutGlow = Frame(false);
    ASSERT_TRUE(TheScanEffects.list.head);
    TheScanEffects.list.head->value.phase = 0.0f;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScanEffects.Update();
    }
    Pixels ring = Frame(true);
    EXPECT_TRUE(MatchesReference(ring, "world_frame_scan_glow", {3, 40}));
    int brighter = 0;
    for (size_t i = 0; i < ring.argb.size(); ++i) brighter += Green(ring.argb[i]) > Green(ringWithoutGlow.argb[i]) + 8;
    EXPECT_GT(brighter, 200) << "the ring's glow";
}


// The developer's views of the frame's targets take the right quarter of the screen: the
// shadow map in its middle third, and nothing else of the picture changes.
TEST_F(WholeFrameDrawing, TheShadowMapViewTakesTheRightQuarter)
{
    BuildLevel(true);
    LookAtLevel();
    game.state = GAME_STATE_PLAYING;
    ScopedGlobal<bool> shadowView{DebugDrawShadowBuffer, false};
    ScopedGlobal<bool> glowView{DebugDrawGlowBuffer, false};
    Pixels plain = Frame(false);
    DebugDrawShadowBuffer = true;
    Pixels views = Frame(false);
    const int left = width - width / 4, third = height / 3;
    EXPECT_EQ(CountDifferent(plain, views, 0, 0, left - 1, height), 0);
    EXPECT_GT(CountDifferent(plain, views, left + 1, third + 1, width, 2 * third - 1), (width / 4) * third / 4);
}

// Ground under a black fog of war is drawn without shading it, and the picture stays the same.
TEST_F(WorldPassesDrawing, GroundNeverSeenKeepsItsPictureWithoutItsShading)
{
    BuildLevel(true);
    LookAtLevel();
    TheMinimap.SetFogEnabled(true);
    TheMinimap.CreateFogOfWar();
    ASSERT_TRUE(TheMinimap.created);
    TheMinimap.visitedClearPending = true;
    TheMinimap.RenderFogTargets();
    const Vec3 at = unit->GetPosition(), step(2.0f, 2.0f, 2.0f);
    EXPECT_FALSE(TheMinimap.IsNeverSeen(at - step, at + step)) << "the unit sees where it stands";
    EXPECT_TRUE(TheMinimap.IsNeverSeen(Vec3(100.0f, 0.0f, -120.0f), Vec3(120.0f, 5.0f, -100.0f)));

    Pixels quick = DrawFrame();
    Pixels shaded;
    {
        ScopedGlobal<bool> off(DrawUnseenGroundBlack, false);
        shaded = DrawFrame();
    }
    ASSERT_EQ(quick.argb.size(), shaded.argb.size());
    int differ = 0, black = 0;
    for (size_t i = 0; i < quick.argb.size(); ++i) {
        differ += quick.argb[i] != shaded.argb[i];
        black += (shaded.argb[i] & 0xFFFFFF) == 0;
    }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(black, (int)shaded.argb.size() / 10) << "some of the ground in view was never seen";
}
