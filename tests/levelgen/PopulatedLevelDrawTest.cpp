// A generated forest level filled from the shipped data and drawn: the terrain from its height
// image with the river, and on it the rig, the mission objects, guards, ore, spawners, bridges,
// the grown forests and grass, all placed where the population put them.
#include "drawing/WorldFrame.h"
#include "platform/RandomUtil.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/Water.h"
#include "tests/levelgen/PopulationTestSupport.h"
#include "tests/mechanics/GameScreenSupport.h"
#include "tests/support/GfxFixture.h"
#include "tests/support/ReferencePicture.h"

namespace {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;

GfxBaseTexture* NamedTexture(const char* name)
{
    return Textures ? Textures->GetTexture(name)->texture : nullptr;
}

class PopulatedLevelDraw : public ShippedPopulationTest {
protected:
    void SetUp() override
    {
        PopulationTest::SetUp();
        screen = std::make_unique<GameScreen>(WIDTH, HEIGHT, false);
        if (!screen->HasDisplay()) GTEST_SKIP() << "no display";
        ASSERT_TRUE(screen->Initialised());
        Config->terrainDetail = true;
        RenderStates.SetTarget(nullptr);
        RenderStates.Reset();
        textures = std::make_unique<TextureManager>();
        Textures = textures.get();
        effects = std::make_unique<EffectManager>(Graphics->device);
        TheEffectManager = effects.get();
        EffectValues = EffectBindingValues();
        EffectValues.getTexture = NamedTexture;
        Frustum = new ViewFrustum();
        LoadShipped();
    }
    void TearDown() override
    {
        if (!screen || !screen->HasDisplay()) {
            PopulationTest::TearDown();
            return;
        }
        TheTerrain.waterSet = nullptr;
        water.reset();
        ShippedPopulationTest::TearDown();
        delete Frustum;
        Frustum = nullptr;
        library.reset();
        TheMeshLibrary = nullptr;
        TheEffectManager = nullptr;
        effects.reset();
        EffectValues = EffectBindingValues();
        ReleaseMeshVertexDeclaration();
        Textures = nullptr;
        textures.reset();
        screen.reset();
    }
    void LookAt(const Vec3& eye, const Vec3& target)
    {
        Vec3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&ViewMatrix, &eye, &target, &up);
        MatrixPerspectiveFovLH(&ProjectionMatrix, 0.7853982f, (float)WIDTH / (float)HEIGHT, 1.0f, 1000.0f);
        if (!MatrixInverse(&InverseViewMatrix, nullptr, &ViewMatrix)) MatrixIdentity(&InverseViewMatrix);
        MatrixIdentity(&WorldMatrix);
        Graphics->SetTransform(TS_WORLD, &WorldMatrix);
        Graphics->SetTransform(TS_VIEW, &ViewMatrix);
        Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
        Frustum->Update(ViewMatrix);
        ForgetMeshSceneParameters();
    }
    void DrawEntity(Entity* e)
    {
        if (!e->mesh || (e->flags & ENTITY_NODRAW)) return;
        WorldMatrix = e->world;
        MeshRenderPosition = e->GetPosition();
        Graphics->SetTransform(TS_WORLD, &WorldMatrix);
        DrawEntityMesh(e, 0);
    }

    std::unique_ptr<GameScreen> screen;
    std::unique_ptr<TextureManager> textures;
    std::unique_ptr<EffectManager> effects;
    std::unique_ptr<WaterSet> water = std::make_unique<WaterSet>();
};

}  // namespace

TEST_F(PopulatedLevelDraw, AForestLevelIsFilledAndDrawn)
{
    Agent* rig = game.agentTypes->TakeFreeAgent();
    Agent* prototype = game.agentTypes->FindPrototype("Builder");
    ASSERT_NE(prototype, nullptr);
    rig->mesh = prototype->mesh;
    CopyText(rig->name, sizeof rig->name, "rig");
    maps.rig = rig;
    MissionRecord* mission = MissionCatalogue::InitRandomMission();
    mission->flags |= MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT;
    CopyText(mission->environment, sizeof mission->environment, "forest");
    mission->levelTemplate = LEVEL_TEMPLATE_RIVER_DIVIDES;
    mission->level = 2;
    mission->enemyCount = 2;
    mission->creatureCount = 2;
    Objective* relic = new Objective();
    relic->type = OBJECTIVE_RECOVER_OBJECT;
    CopyText(relic->target, sizeof relic->target, "relic");
    relic->targetCount = 1;
    relic->flags |= OBJECTIVE_MAP_CENTER;
    mission->AddObjective(relic);

    SRand(2024);
    TheLevelGenerator.Layout(mission);
    maps.BuildHeightmap(TheLevelGenerator);
    SRand(77);
    LogCaptureBegin();
    maps.Populate(false);
    std::string log = LogCaptureEnd();
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;

    // The ground from the height image, as the level start builds it, then everything set on it.
    TheTerrain.Free();
    TheTerrain.mapCells = maps.kinds.data();
    ResetRandomMWC();
    TheTerrain.Create(128, 128);
    ASSERT_TRUE(TheTerrain.created);
    water->Build(TheTerrain);
    water->BuildZones();
    TheTerrain.waterSet = water.get();
    growth.RegrowAll();
    int grown = 0;
    for (GrowthInstance* g : growth.instances) grown += (int)g->objects.size();
    EXPECT_GT(grown, 20);
    std::vector<Entity*> standing;
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) standing.push_back(e);
    TheScene.EndIteration();
    for (Scene::Node* node = TheScene.terrainObjects.head; node; node = node->next) standing.push_back(node->value);
    for (Entity* e : standing) {
        Vec3 p = e->GetPosition();
        p.y = TheTerrain.GetHeight(p, nullptr, true);
        e->SetPosition(p);
    }
    TheScene.ConformEntitiesToTerrain();

    // From behind the rig towards the middle of the level.
    const Vec3 start = rig->GetPosition();
    Vec3 across = Vec3(0.0f, 0.0f, 0.0f) - Vec3(start.x, 0.0f, start.z);
    Vec3Normalize(&across, &across);
    LookAt(start - across * 30.0f + Vec3(0.0f, 34.0f, 0.0f), start + across * 12.0f);
    RenderStates.Reset();
    Graphics->Clear(7, 1.0f, 0.0f, 1.0f, 1.0f);
    Graphics->BeginScene();
    TheTerrain.Render(0, true);
    water->DrawVisible(0, true);
    for (Scene::Node* node = TheScene.splats.head; node; node = node->next) DrawEntity(node->value);
    for (Entity* e : standing) DrawEntity(e);
    Growth::DrawAll(0, true);
    Pixels shot = ReadBackBuffer(Graphics->device);
    EndTestScene(Graphics->device);
    EXPECT_TRUE(MatchesReference(shot, "populated_level"));
    maps.rig = nullptr;
}
