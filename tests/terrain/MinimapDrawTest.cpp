// The fog of war and the minimap on the graphics device: two of the player's units cross a
// hilly map; the fog lifts around them as they go, the ground they left stays half lit, and
// the minimap in the corner shows the same. The frame is checked against a reference picture,
// and the fog and minimap targets are read back where the units are, were and never went.
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "host/InputKeys.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/GraphicsDevice.h"
#include "render/TextureManager.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/support/TestSupport.h"
#include "tests/terrain/TerrainTestSupport.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/Building.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <cstdio>
#include <cstring>

namespace {

class MinimapDrawing : public TerrainDrawTest {
protected:
    MinimapDrawing()
    {
        width = 640;
        height = 480;
    }
    void SetUp() override
    {
        TerrainDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(TheScene.InitLists());
        game.CreateCatalogues();
        TheScene.ReleaseEntities();
        Environment::LoadScript();
        ASSERT_NE(TheTerrain.SetEnvironment("forest"), nullptr);
        BuildTerrain(TheTerrain, 128, 128, [](int x, int z) {
            return 2.0f + 1.5f * std::sin(x * 0.11f) * std::cos(z * 0.09f) + 0.5f * std::sin(z * 0.31f);
        });
    }
    void TearDown() override
    {
        minimap.Release();
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        TerrainDrawTest::TearDown();
    }

    Agent* Unit(const Vec3& at)
    {
        Agent* agent = game.agentTypes->TakeFreeAgent();
        EXPECT_NE(agent, nullptr);
        if (!agent) return nullptr;
        agent->alignment = ALIGN_PLAYER;
        agent->SetPosition(at);
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    Building* NewFactory(const Vec3& at)
    {
        Building* building = new Building();
        building->alignment = ALIGN_PLAYER;
        building->SetPosition(at);
        EXPECT_NE(TheScene.AddEntity(building), nullptr);
        return building;
    }
    // One frame of the game: the grids in its update, then the targets as it is drawn.
    void Frame()
    {
        ++FrameTimer.frameCount;
        minimap.UpdateVisibility();
        minimap.RenderFogTargets();
    }
    Pixels Target(TextureRecord* record)
    {
        GfxSurface* surface = nullptr;
        EXPECT_TRUE(record && record->texture);
        if (!record || !record->texture) return Pixels();
        static_cast<GfxTexture*>(record->texture)->GetSurfaceLevel(0, &surface);
        Pixels pixels = ReadSurfacePixels(device, surface);
        surface->Release();
        return pixels;
    }
    // The fog target's pixel over a world point (the view from above spans 315 units).
    static uint32_t FogAt(const Pixels& fog, float x, float z)
    {
        int px = (int)((x / 315.0f + 0.5f) * 256.0f), py = (int)((z / 315.0f + 0.5f) * 256.0f);
        return fog.At(px, py);
    }
    // The minimap picture's pixel over a world point: the map as the camera sees it from its
    // starting heading, world x running to the left and z downward.
    static uint32_t PictureAt(const Pixels& picture, float x, float z)
    {
        return picture.At((int)((160.0f - x) / 320.0f * 255.0f), (int)((z + 160.0f) / 320.0f * 255.0f));
    }

    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedGlobal<int> frames{FrameTimer.frameCount, 0};
    Minimap minimap;
};

TEST_F(MinimapDrawing, TheFogLiftsAroundMovingUnitsAndTheMinimapShowsIt)
{
    Agent* scout = Unit(Vec3(-100.0f, 0.0f, -60.0f));
    Unit(Vec3(60.0f, 0.0f, 70.0f));
    minimap.CreateFogOfWar();
    ASSERT_TRUE(minimap.created);
    minimap.CreateTextures();
    ASSERT_TRUE(minimap.texturesCreated);
    ASSERT_TRUE(minimap.miniTerrainRendered);

    // The scout drives east along z = -60.
    for (int step = 0; step <= 40; ++step) {
        scout->SetPosition(Vec3(-100.0f + step * 4.0f, 0.0f, -60.0f));
        Frame();
    }
    Pixels fog = Target(minimap.fogTarget);
    ASSERT_EQ(fog.width, 256);
    const uint32_t now = FogAt(fog, 60.0f, -60.0f), before = FogAt(fog, -90.0f, -60.0f),
                   never = FogAt(fog, -120.0f, 120.0f), parked = FogAt(fog, 60.0f, 70.0f);
    EXPECT_GT(Green(now), 200) << std::hex << now;
    EXPECT_GT(Green(parked), 200) << std::hex << parked;
    EXPECT_NEAR(Green(before), 127, 20) << "seen before: half bright " << std::hex << before;
    EXPECT_LT(Green(never), 8) << std::hex << never;
    EXPECT_TRUE(minimap.IsPositionVisible(Vec3(60.0f, 0.0f, -60.0f)));
    EXPECT_FALSE(minimap.IsPositionVisible(Vec3(-90.0f, 0.0f, -60.0f)));
    EXPECT_TRUE(minimap.fog.IsEverSeen(30, 40)) << "cell of (-90, -60)";

    // The frame: the fogged ground from above the map, the minimap in its corner.
    LookAt(Vec3(0.0f, 260.0f, -150.0f), Vec3(0.0f, 0.0f, 0.0f));
    Pixels frame = Draw([&] {
        TheTerrain.Render(0, false);
        Graphics->Begin2D();
        minimap.iconTimer = 1.0f;
        minimap.Draw();
        Graphics->End2D();
    });
    EXPECT_TRUE(MatchesReference(frame, "minimap_fog_of_war", {4, 40}));

    Pixels picture = Target(minimap.pictureTarget);
    const uint32_t mapNow = PictureAt(picture, 57.0f, -60.0f), mapBefore = PictureAt(picture, -90.0f, -60.0f),
                   mapNever = PictureAt(picture, -120.0f, 120.0f);
    auto light = [](uint32_t c) { return Red(c) + Green(c) + Blue(c); };
    EXPECT_GT(light(mapNow), light(mapBefore) + 20) << std::hex << mapNow << " " << mapBefore;
    EXPECT_GT(light(mapBefore), light(mapNever) + 20) << std::hex << mapBefore << " " << mapNever;
    EXPECT_EQ(light(mapNever), 0) << std::hex << mapNever;
    // The units' dots: green on the map where they stand.
    uint32_t dot = PictureAt(picture, 60.0f, 70.0f);
    EXPECT_EQ(dot & 0xFFFFFF, 0x00FF00u) << std::hex << dot;

    // The minimap on screen is the picture, scaled into its corner: lit where the parked unit
    // stands, black where no one went.
    const MinimapLayout& box = minimap.layout;
    EXPECT_EQ(box.width, 93);
    EXPECT_EQ(box.y, 480 - 5 - 93);
    auto onScreen = [&](float wx, float wz) {
        return frame.At(box.x + (int)((160.0f - wx) / 320.0f * box.width),
                        box.y + (int)((wz + 160.0f) / 320.0f * box.height));
    };
    EXPECT_GT(light(onScreen(60.0f, 70.0f)), 60) << std::hex << onScreen(60.0f, 70.0f);
    EXPECT_EQ(light(onScreen(-120.0f, 120.0f)), 0) << std::hex << onScreen(-120.0f, 120.0f);
}

TEST_F(MinimapDrawing, AfterADeviceResetTheFogComesBackAndThePictureIsSavedInTheUserFolder)
{
    Unit(Vec3(0.0f, 0.0f, 0.0f));
    minimap.CreateFogOfWar();
    minimap.CreateTextures();
    Frame();
    const uint32_t before = FogAt(Target(minimap.fogTarget), 0.0f, 0.0f);
    ASSERT_GT(Green(before), 200);

    ASSERT_EQ(Graphics->ResetDevice(), DEVICE_USABLE);
    EXPECT_EQ(Target(minimap.fogTarget).At(10, 10), 0xFFFFFFFFu) << "white until the fog is drawn again";
    EXPECT_FALSE(minimap.miniTerrainRendered);
    minimap.CreateTextures();
    Frame();
    Pixels fog = Target(minimap.fogTarget);
    EXPECT_EQ(FogAt(fog, 0.0f, 0.0f), before);
    EXPECT_LT(Green(FogAt(fog, 120.0f, 120.0f)), 8);

    // The developer's copy of the picture goes to the player's own folder.
    char savedFolder[sizeof UserFolder];
    std::memcpy(savedFolder, UserFolder, sizeof UserFolder);
    std::string folder = MakeTempFolder("minimap-user");
    std::snprintf(UserFolder, sizeof UserFolder, "%s", folder.c_str());
    minimap.iconTimer = 1.0f;
    minimap.RenderMinimapImage();
    bool saved = minimap.SaveBitmap();
    std::memcpy(UserFolder, savedFolder, sizeof UserFolder);
    ASSERT_TRUE(saved);
    Pixels bitmap = ReadPicture(folder + "/minimap.bmp");
    EXPECT_EQ(bitmap.width, 256);
    EXPECT_EQ(bitmap.height, 256);
}

struct SelectionSeam : NullGameSeam {
    Entity* selected = nullptr;
    Entity* GetFirstSelected() override { return selected; }
};

TEST_F(MinimapDrawing, PingsTheRigsMarkerAndTheRallyFlagShowOnThePicture)
{
    Agent* rig = Unit(Vec3(-80.0f, 0.0f, 80.0f));
    rig->flags |= ENTITY_PLAYER;
    Building* factory = NewFactory(Vec3(40.0f, 0.0f, 40.0f));
    factory->stateFlags |= BUILDING_RALLY_POINT;
    factory->rallyPoint = Vec3(100.0f, 0.0f, -100.0f);
    SelectionSeam seam;
    seam.selected = factory;
    ScopedGameSeam installed(&seam);
    KeyboardDevice keyboard;
    ScopedGlobal<KeyboardDevice*> keys{Input.keyboard, &keyboard};
    minimap.CreateFogOfWar();
    minimap.CreateTextures();
    minimap.SetFogEnabled(false);
    Frame();
    // A hit half a second ago, 80 units east of the middle.
    minimap.AddPing(Vec3(80.0f, 0.0f, 0.0f), PING_DAMAGE, 12345, 1.5f);

    auto picture = [&] {
        Graphics->BeginScene();
        Graphics->Begin2D();
        minimap.RenderMinimapImage();
        Graphics->End2D();
        EndTestScene(device);
        return Target(minimap.pictureTarget);
    };
    auto reddish = [](uint32_t c) { return Red(c) > 180 && Green(c) < 120 && Blue(c) < 120; };
    auto greenish = [](uint32_t c) { return Green(c) > 200 && Red(c) < 160; };
    auto count = [](const Pixels& p, int x0, int y0, int x1, int y1, const std::function<bool(uint32_t)>& test) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += test(p.At(x, y));
        return n;
    };
    Pixels plain = picture();
    // The ping's ring is drawn around (80, 0): pixels (64, 127) of the picture, east being on
    // the left; nothing on the other side.
    EXPECT_GT(count(plain, 32, 96, 96, 160, reddish), 20);
    EXPECT_EQ(count(plain, 160, 96, 224, 160, reddish), 0);
    EXPECT_EQ(count(plain, 0, 0, 96, 96, reddish), 0);
    EXPECT_EQ(count(plain, 32, 0, 88, 56, greenish), 0) << "no flag without Shift";
    // The rig's marker over the rig at (-80, 80): pixels (191, 191). The mini terrain keeps
    // the world's layout: the picture shows it mirrored.
    Pixels ground = Target(minimap.miniTerrainTarget);
    int markerPixels = 0;
    for (int y = 175; y < 208; ++y)
        for (int x = 168; x < 216; ++x) markerPixels += plain.At(x, y) != ground.At(255 - x, y);
    EXPECT_GT(markerPixels, 20);
    EXPECT_TRUE(ColorNear(plain.At(20, 20), ground.At(235, 20), 3)) << "the ground, with the fog off";

    keyboard.state[DIK_LSHIFT] = 0x80;
    Pixels shifted = picture();
    EXPECT_GT(count(shifted, 32, 0, 88, 56, greenish), 10) << "the rally flag near (100, -100)";
    keyboard.state[DIK_LSHIFT] = 0;

    // The ping goes after its time: 15 more pictures.
    for (int i = 0; i < 16; ++i) minimap.pings.Step();
    EXPECT_EQ(minimap.pings.list.count, 0);
    EXPECT_EQ(count(picture(), 32, 96, 96, 160, reddish), 0);
}

TEST_F(MinimapDrawing, WithTheFogOffEverythingIsSeen)
{
    Unit(Vec3(0.0f, 0.0f, 0.0f));
    minimap.CreateFogOfWar();
    ASSERT_TRUE(minimap.created);
    minimap.SetFogEnabled(false);
    Frame();
    Pixels fog = Target(minimap.fogTarget);
    ASSERT_EQ(fog.width, 256);
    for (int y = 0; y < 256; y += 15)
        for (int x = 0; x < 256; x += 15) ASSERT_EQ(fog.At(x, y), 0xFFFFFFFFu) << x << ", " << y;
    EXPECT_TRUE(minimap.IsPositionVisible(Vec3(150.0f, 0.0f, 150.0f)));
}

TEST_F(MinimapDrawing, TheVisitedAreaIsDrawnBackFromASavedMap)
{
    Agent* rig = Unit(Vec3(-40.0f, 0.0f, 20.0f));
    rig->flags |= ENTITY_PLAYER;
    minimap.CreateFogOfWar();
    ASSERT_TRUE(minimap.created);
    Frame();
    std::string name = MakeTempFolder("minimap-visited") + "/game.sav";
    ASSERT_TRUE(minimap.SaveVisited(name.c_str()));

    // A new level: nothing seen; then the saved game's markers come back.
    TheScene.ReleaseEntities();
    minimap.OnLevelEnd();
    Frame();
    EXPECT_LT(Green(FogAt(Target(minimap.fogTarget), -40.0f, 20.0f)), 8);
    ASSERT_TRUE(minimap.LoadVisited(name.c_str()));
    Pixels visited = Target(minimap.visitedTarget);
    EXPECT_GT(Green(FogAt(visited, -40.0f, 20.0f)), 200) << "where the rig stood";
    EXPECT_LT(Green(FogAt(visited, 100.0f, -100.0f)), 8);
}

}  // namespace
