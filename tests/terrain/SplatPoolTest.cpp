// The ground splats of the pool: laid at cell centres, fading over their life, the oldest laid
// again when all are in use, blood spreading through its stages and cracks keeping theirs.
#include "terrain/SplatPool.h"

#include "render/IndexedMesh.h"
#include "tests/world/BlockMesh.h"
#include "tests/world/WorldTestSupport.h"

#include <cstring>

namespace {

class SplatPoolTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        template_ = new Entity();
        snprintf(template_->name, sizeof template_->name, "splat");
        IndexedMesh* mesh = BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 0.0f);
        mesh->BuildBuffers(nullptr, false);
        template_->AdoptMesh(mesh);
        ASSERT_TRUE(TheScene.primitives.PushBack(template_));
    }
    void TearDown() override
    {
        TheScene.primitives.Remove(template_);
        delete template_;
        WorldTest::TearDown();
    }
    static uint32_t Alpha(const SplatPool::Entry* entry)
    {
        const IndexedMesh* mesh = entry->entity->mesh;
        return mesh->subMeshes.empty() || mesh->subMeshes[0].vertices.empty()
                   ? 0xFFFFFFFFu
                   : mesh->subMeshes[0].vertices[0].colour >> 24;
    }
    static const char* Texture(const SplatPool::Entry* entry) { return entry->entity->mesh->materials[0].textureName; }

    Entity* template_ = nullptr;
    SplatPool pool;
};

TEST_F(SplatPoolTest, ASplatFadesOverItsLifeAndIsFreedAfterIt)
{
    pool.Init();
    ASSERT_TRUE(pool.IsInitialised());
    ASSERT_FALSE(template_->mesh->subMeshes.empty());
    pool.Add(Vec3(10.0f, 3.0f, 10.0f), SPLAT_RED_BLOOD);
    ASSERT_EQ(pool.ActiveCount(), 1);
    const SplatPool::Entry* entry = pool.Active().head->value;
    pool.Update(0.001f);
    EXPECT_EQ(Alpha(entry), 255u);
    for (int frame = 0; frame < 240; ++frame) pool.Update(4.0f / 240.0f);
    EXPECT_NEAR((float)Alpha(entry), 128.0f, 5.0f);
    for (int frame = 0; frame < 241; ++frame) pool.Update(4.0f / 240.0f);
    EXPECT_EQ(pool.ActiveCount(), 0);
}

TEST_F(SplatPoolTest, BloodSpreadsThroughItsStagesWhileCracksKeepTheirs)
{
    pool.Init();
    pool.Add(Vec3(10.0f, 0.0f, 10.0f), SPLAT_GREEN_BLOOD);
    pool.Add(Vec3(20.0f, 0.0f, 10.0f), SPLAT_CRACKED_GROUND);
    const SplatPool::Entry* blood = pool.Active().head->value;
    const SplatPool::Entry* crack = pool.Active().tail->value;
    EXPECT_STREQ(Texture(blood), SplatPool::StageTexture(SPLAT_GREEN_BLOOD, 0));
    for (int frame = 0; frame < 40; ++frame) pool.Update(0.01f);
    EXPECT_EQ(blood->textureStep, 4);
    EXPECT_STREQ(Texture(blood), SplatPool::StageTexture(SPLAT_GREEN_BLOOD, 4));
    EXPECT_STREQ(Texture(crack), SplatPool::StageTexture(SPLAT_CRACKED_GROUND, 0));
    EXPECT_STREQ(crack->entity->mesh->materials[0].normalMapName, SplatPool::NormalTexture(SPLAT_CRACKED_GROUND));
}

TEST_F(SplatPoolTest, ThePoolFullTheSplatNearestItsEndIsLaidAgain)
{
    pool.Init();
    for (int i = 0; i < SplatPool::CAPACITY; ++i) {
        pool.Add(Vec3(5.0f * i, 0.0f, 10.0f), SPLAT_RED_BLOOD);
        pool.Update(0.05f);
    }
    ASSERT_EQ(pool.ActiveCount(), SplatPool::CAPACITY);
    const SplatPool::Entry* oldest = pool.Active().head->value;
    pool.Add(Vec3(100.0f, 0.0f, 100.0f), SPLAT_CRACKED_GROUND);
    EXPECT_EQ(pool.ActiveCount(), SplatPool::CAPACITY);
    EXPECT_EQ(pool.Active().head->value, oldest);  // it keeps its place in the list
    EXPECT_EQ(oldest->kind, SPLAT_CRACKED_GROUND);
    EXPECT_FLOAT_EQ(oldest->timeLeft, SplatPool::LIFETIME);
    pool.ClearActive();
    EXPECT_EQ(pool.ActiveCount(), 0);
}

TEST_F(SplatPoolTest, TwoSplatsInOneCellShareItsCentre)
{
    pool.Init();
    pool.Add(Vec3(10.1f, 0.0f, 11.2f), SPLAT_RED_BLOOD);
    pool.Add(Vec3(11.9f, 0.0f, 12.4f), SPLAT_RED_BLOOD);
    Vec3 a = pool.Active().head->value->entity->GetPosition();
    Vec3 b = pool.Active().tail->value->entity->GetPosition();
    EXPECT_FLOAT_EQ(a.x, b.x);
    EXPECT_FLOAT_EQ(a.z, b.z);
    EXPECT_FLOAT_EQ(a.x, 11.25f);
    EXPECT_FLOAT_EQ(a.z, 11.25f);
    EXPECT_FLOAT_EQ(a.y, 0.04f);
}

TEST_F(SplatPoolTest, WithoutTheTemplateNothingIsLaid)
{
    TheScene.primitives.Remove(template_);
    pool.Init();
    EXPECT_FALSE(pool.IsInitialised());
    pool.Add(Vec3(), SPLAT_RED_BLOOD);
    pool.Update(0.1f);
    EXPECT_EQ(pool.ActiveCount(), 0);
}

}  // namespace
