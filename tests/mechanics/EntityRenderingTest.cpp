// What each render pass draws of the world: the entities of the Scene's lists, cloaked agents,
// buildings going up, markers, splats; the blink of a running-out cloak, the frozen tint, the
// lift of ground splats; the ring sizes and the placement footprint of the overlays.
#include "drawing/WorldFrame.h"
#include "interface/SceneOverlays.h"

#include "render/Effect.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/ViewFrustum.h"
#include "terrain/Minimap.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "world/Grid.h"
#include "world/Item.h"

#include <map>
#include <memory>
#include <vector>

namespace {

// Where the render states go while it is set: it keeps the last depth writing set.
class DepthWriteRecorder : public RenderStateTarget {
public:
    void SetRenderState(uint32_t state, uint32_t value) override
    {
        if (state == RS_ZWRITEENABLE) depthWrite = value;
    }
    void SetTextureStageState(uint32_t, uint32_t, uint32_t) override {}
    void SetSamplerState(uint32_t, uint32_t, uint32_t) override {}
    void SetVertexDeclaration(GfxVertexDeclaration*) override {}
    void SetFVF(uint32_t) override {}
    uint32_t depthWrite = 0;
};
DepthWriteRecorder* DepthWrites = nullptr;

// A mesh that notes the passes it is drawn in, the ambient blue it saw and, while depth writes
// are recorded, whether it was drawn writing depth.
class RecordingMesh : public IndexedMesh {
public:
    void Render(int pass, bool) override
    {
        passes.push_back(pass);
        blues.push_back(EffectValues.ambient.z);
        if (DepthWrites) depthWrites.push_back(DepthWrites->depthWrite);
    }
    std::vector<int> passes;
    std::vector<float> blues;
    std::vector<uint32_t> depthWrites;
};

class EntityRenderingTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        fogWas_ = TheMinimap.IsFogEnabled();
        TheMinimap.SetFogEnabled(false);
    }
    void TearDown() override
    {
        SceneTest::TearDown();
        TheMinimap.SetFogEnabled(fogWas_);
    }
    RecordingMesh* Give(Entity* entity)
    {
        meshes_.push_back(std::make_unique<RecordingMesh>());
        entity->mesh = meshes_.back().get();
        return meshes_.back().get();
    }
    // The passes the entity's mesh was drawn in over one frame of all four passes.
    std::vector<int> AllPasses(RecordingMesh* mesh)
    {
        for (int pass : {0, 1, 2, 3}) game.RenderEntities(pass);
        return mesh->passes;
    }

    std::vector<std::unique_ptr<RecordingMesh>> meshes_;
    ScopedGlobal<ViewFrustum*> noFrustum_{Frustum, nullptr};
    bool fogWas_ = true;
};

}  // namespace

TEST_F(EntityRenderingTest, EachPassDrawsWhatItShould)
{
    struct Case {
        const char* what;
        std::vector<int> passes;
    };
    std::map<std::string, RecordingMesh*> drawn;

    Entity* plain = Place(NewEntity(ENTITY_COLLISION), 0.0f);
    drawn["plain"] = Give(plain);
    ASSERT_NE(TheScene.AddEntity(plain), nullptr);

    Entity* marker = Place(NewEntity(ENTITY_MARKER), 2.0f);
    drawn["marker"] = Give(marker);
    ASSERT_NE(TheScene.AddEntity(marker), nullptr);

    Agent* cloaked = Place(NewAgent(ALIGN_ENEMY), 4.0f);
    cloaked->classWord |= AGENT_CLOAKED;
    cloaked->cloakTime = 10.0f;
    drawn["cloaked"] = Give(cloaked);
    ASSERT_NE(TheScene.AddEntity(cloaked), nullptr);

    Building* rising = Place(NewBuilding(ALIGN_PLAYER), 6.0f);
    rising->buildState = 1;
    drawn["rising"] = Give(rising);
    ASSERT_NE(TheScene.AddEntity(rising), nullptr);

    Entity* hidden = Place(NewEntity(ENTITY_NODRAW), 8.0f);
    drawn["hidden"] = Give(hidden);
    ASSERT_NE(TheScene.AddEntity(hidden), nullptr);

    Entity* rock = Place(NewEntity(0), 10.0f);
    drawn["terrain object"] = Give(rock);
    ASSERT_TRUE(TheScene.terrainObjects.PushBack(rock));

    Entity* last = Place(NewEntity(ENTITY_DRAWN_LAST), 12.0f);
    drawn["drawn last"] = Give(last);
    ASSERT_TRUE(TheScene.terrainObjects.PushBack(last));

    Entity* glass = Place(NewEntity(0), 14.0f);
    drawn["translucent"] = Give(glass);
    ASSERT_TRUE(TheScene.translucent.PushBack(glass));

    Entity* splat = Place(NewEntity(ENTITY_SPLAT), 16.0f);
    drawn["splat"] = Give(splat);
    ASSERT_TRUE(TheScene.splats.PushBack(splat));

    for (int pass : {0, 1, 2, 3}) game.RenderEntities(pass);

    const Case cases[] = {
        {"plain", {0, 1, 2, 3}},
        {"marker", {0, 2, 3}},  // markers cast no shadow
        {"cloaked", {0}},       // no shadow, reflection or glow
        {"hidden", {}},
        {"terrain object", {0, 1, 2, 3}},
        {"drawn last", {0}},
        {"translucent", {0, 1, 2, 3}},
        {"splat", {0}},  // its effect has no glow technique
    };
    for (const Case& c : cases) EXPECT_EQ(drawn[c.what]->passes, c.passes) << c.what;
    // The building going up is drawn by the build-up effect, and in the colour pass only.
    for (int pass : drawn["rising"]->passes) EXPECT_EQ(pass, 0);

    TheScene.terrainObjects.Clear();
    TheScene.translucent.Clear();
    TheScene.splats.Clear();
    for (Entity* e : {rock, last, glass, splat}) delete e;
}

TEST_F(EntityRenderingTest, ARunningOutCloakBlinks)
{
    const struct {
        float timeLeft;
        bool plain;
    } cases[] = {
        {10.0f, false}, {5.0f, false}, {4.73f, true}, {4.53f, false}, {4.6f, true}, {4.5f, false}, {0.99f, true}, {0.05f, false},
    };
    for (const auto& c : cases) EXPECT_EQ(CloakShowsPlainly(c.timeLeft), c.plain) << c.timeLeft;

    Agent* agent = Place(NewAgent(ALIGN_PLAYER), 0.0f);
    agent->classWord |= AGENT_CLOAKED;
    agent->cloakTime = 4.73f;
    RecordingMesh* mesh = Give(agent);
    ASSERT_NE(TheScene.AddEntity(agent), nullptr);
    // Showing plainly, it casts its shadow like anyone.
    EXPECT_EQ(AllPasses(mesh), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(EntityRenderingTest, AFrozenAgentIsTintedBlueAndTheTintDoesNotLeak)
{
    Agent* frozen = Place(NewAgent(ALIGN_ENEMY), 0.0f);
    frozen->freezeTime = 3.0f;
    RecordingMesh* frozenMesh = Give(frozen);
    Entity* after = Place(NewEntity(ENTITY_COLLISION), 2.0f);
    RecordingMesh* afterMesh = Give(after);
    // The newest of a segment is drawn first; the entity goes in a later segment.
    ASSERT_NE(TheScene.AddEntity(frozen), nullptr);
    ASSERT_NE(TheScene.AddEntity(after), nullptr);
    const float blue = EffectValues.ambient.z;

    game.RenderEntities(0);
    ASSERT_EQ(frozenMesh->blues.size(), 1u);
    EXPECT_FLOAT_EQ(frozenMesh->blues[0], 2.0f);
    ASSERT_EQ(afterMesh->blues.size(), 1u);
    EXPECT_FLOAT_EQ(afterMesh->blues[0], blue);
    EXPECT_FLOAT_EQ(EffectValues.ambient.z, blue);
}

TEST_F(EntityRenderingTest, ManyBuildingsGoingUpAreAllDrawn)
{
    // More than the deferred list holds: the ones beyond it are drawn at once.
    std::vector<RecordingMesh*> drawn;
    for (int i = 0; i < 110; ++i) {
        Building* b = Place(NewBuilding(ALIGN_PLAYER), (float)i);
        b->buildState = 1;
        drawn.push_back(Give(b));
        ASSERT_NE(TheScene.AddEntity(b), nullptr);
    }
    // Each writes depth as a finished building does, whatever was drawn before it.
    DepthWriteRecorder recorder;
    DepthWrites = &recorder;
    RenderStates.Reset();
    RenderStates.SetTarget(&recorder);
    game.RenderEntities(0);
    RenderStates.SetTarget(nullptr);
    DepthWrites = nullptr;
    int count = 0, writing = 0;
    for (RecordingMesh* mesh : drawn) {
        count += (int)mesh->passes.size();
        for (uint32_t on : mesh->depthWrites) writing += on ? 1 : 0;
    }
    EXPECT_EQ(count, 110);
    EXPECT_EQ(writing, 110);
}

TEST(SplatLift, OnlyLiftsAboveFifty)
{
    EXPECT_FLOAT_EQ(SplatLift(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(SplatLift(50.0f), 0.0f);
    EXPECT_FLOAT_EQ(SplatLift(60.0f), 0.06f);
}

TEST_F(EntityRenderingTest, RingsFitWhatTheyCircle)
{
    IndexedMesh box;
    box.boundsMin = Vec3(-1.0f, 0.0f, -2.0f);
    box.boundsMax = Vec3(1.0f, 1.0f, 2.0f);

    Agent* flyer = NewAgent(ALIGN_PLAYER, true);
    flyer->size = 3.0f;
    float lowered = 0.0f;
    EXPECT_FLOAT_EQ(RingSize(flyer, true, &lowered), 0.99f);
    EXPECT_FLOAT_EQ(lowered, 1.0f);
    EXPECT_EQ(RingFlags(flyer), 2u);
    flyer->alignment = ALIGN_ENEMY;
    EXPECT_EQ(RingFlags(flyer), 4u);
    flyer->alignment = ALIGN_NEUTRAL;
    EXPECT_EQ(RingFlags(flyer), 8u);
    // The order flash sizes an air unit like any other.
    RingSize(flyer, false, &lowered);
    EXPECT_FLOAT_EQ(lowered, 0.0f);

    Agent* walker = NewAgent(ALIGN_PLAYER);
    EXPECT_EQ(RingFlags(walker), 1u);

    Entity* crate = Place(NewEntity(ENTITY_ITEM), 20.0f);
    crate->mesh = &box;
    crate->scale = 2.0f;
    EXPECT_FLOAT_EQ(RingSize(crate, true, &lowered), 0.45f * 4.0f * 2.0f);
    crate->mesh = nullptr;
    delete crate;
    game.agentTypes->ReturnAgent(flyer);
    game.agentTypes->ReturnAgent(walker);
}

// The pulse on an order's target runs 1.4 s down to nothing, swells between 0 and 0.2, and is
// tinted by what the order was aimed at.
TEST_F(EntityRenderingTest, TheOrderFlashRunsDownSwellsAndTakesTheTargetsColour)
{
    EXPECT_FLOAT_EQ(OrderFlashStep(1.4f, 0.5f), 0.9f);
    EXPECT_FLOAT_EQ(OrderFlashStep(0.3f, 0.5f), 0.0f) << "never below nothing";
    EXPECT_FLOAT_EQ(OrderFlashStep(1.4f, 0.0f), 1.4f) << "held while the frame time stands";
    EXPECT_NEAR(OrderFlashPulse(0.0f), 0.1f, 1e-6f);
    EXPECT_NEAR(OrderFlashPulse(0.25f), 0.2f, 1e-6f);
    EXPECT_NEAR(OrderFlashPulse(0.75f), 0.0f, 1e-6f);

    struct Case {
        const char* what;
        Entity* target;
        Vec3 tint;
    };
    Agent* mine = NewAgent(ALIGN_PLAYER);
    Agent* enemy = NewAgent(ALIGN_ENEMY);
    Agent* friendly = NewAgent(ALIGN_FRIENDLY);
    Item trap, crate;
    trap.action = ITEM_ACTION_ATTACK;
    crate.action = 0;
    const Case cases[] = {
        {"the player's unit", mine, Vec3(0.2f, 0.8f, 1.0f)},
        {"an enemy", enemy, Vec3(1.0f, 0.2f, 0.2f)},
        {"a trap to set off", &trap, Vec3(1.0f, 0.2f, 0.2f)},
        {"a friend", friendly, Vec3(1.0f, 1.0f, 0.2f)},
        {"a crate", &crate, Vec3(1.0f, 1.0f, 0.2f)},
    };
    for (const Case& c : cases) {
        Vec3 tint = OrderFlashTint(c.target);
        EXPECT_TRUE(tint.x == c.tint.x && tint.y == c.tint.y && tint.z == c.tint.z) << c.what;
    }
    for (Agent* agent : {mine, enemy, friendly}) game.agentTypes->ReturnAgent(agent);

    // The developer numbers: green when small, red when large, always half blue.
    EXPECT_EQ(OverlayTextColour(0.0f), 0xFF00FF80u);
    EXPECT_EQ(OverlayTextColour(500.0f), 0xFFFF1980u);
}

TEST_F(EntityRenderingTest, PlacementFootprintCoversTheBuildingsCells)
{
    ASSERT_NE(game.grid, nullptr);
    IndexedMesh box;
    box.boundsMin = Vec3(-2.4f, 0.0f, -1.2f);
    box.boundsMax = Vec3(2.4f, 1.0f, 1.2f);
    Entity* prototype = NewEntity(ENTITY_BUILDING);
    prototype->mesh = &box;
    prototype->SetPosition(game.grid->CellToWorld(40, 40) + Vec3(1.25f, 0.0f, 1.25f));
    BuildItem* item = game.buildItems->Add(prototype, "hut");
    ASSERT_NE(item, nullptr);

    Vec3 origin;
    int columns = 0, rows = 0;
    ASSERT_TRUE(PlacementFootprint(item, game.grid, &origin, &columns, &rows));
    int x0, y0, x1, y1;
    ASSERT_TRUE(prototype->GetGridFootprint(&x0, &y0, &x1, &y1));
    EXPECT_EQ(columns * rows, (x1 - x0 + 1) * (y1 - y0 + 1));
    Vec3 corner = game.grid->CellToWorld(x0, y0);
    EXPECT_FLOAT_EQ(origin.x, corner.x);
    EXPECT_FLOAT_EQ(origin.z, corner.z);

    item->flags |= BUILD_ADD_ON;
    ASSERT_TRUE(PlacementFootprint(item, game.grid, &origin, &columns, &rows));
    EXPECT_EQ(columns * rows, 1);

    prototype->SetPosition(Vec3(-500.0f, 0.0f, -500.0f));
    EXPECT_FALSE(PlacementFootprint(item, game.grid, &origin, &columns, &rows));
    item->prototype = nullptr;
    prototype->mesh = nullptr;
    delete prototype;
}
