// Every shipped particle definition: it reads cleanly, is named after its file, names a
// listed texture, stays within the record's limits, and emits when spawned. Every listed
// texture ships, and every system the game spawns by name has a definition.
#include "render/ParticleManager.h"

#include "platform/PackageFile.h"
#include "render/Camera.h"
#include "tests/support/ScopedGameSeam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

namespace {

// Ground high enough for ground weather, and water to emit from.
class ShippedWorld : public NullGameSeam {
public:
    bool GetTerrainHeight(float, float, int, float* height) override
    {
        *height = 5.0f;
        return true;
    }
    bool GetRandomWaterPoint(Vec3* out) override
    {
        *out = Vec3(3, 1, 3);
        return true;
    }
};

class ShippedEffects : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        manager = new ParticleManager();
        printed = testing::internal::GetCapturedStdout();
        ASSERT_NE(EffectsPackage, nullptr);
        ASSERT_GT(EffectsPackage->GetEntryCount(), 0) << "data/effects.pkb is missing or empty";
    }
    void TearDown() override
    {
        delete manager;
    }
    ShippedWorld world;
    ScopedGameSeam seam{&world};
    ParticleManager* manager = nullptr;
    std::string printed;
};

TEST_F(ShippedEffects, EveryDefinitionReadsCleanly)
{
    EXPECT_EQ(printed, "");
    EXPECT_EQ(manager->TemplateCount(), EffectsPackage->GetEntryCount());
    std::set<std::string> listed;
    for (auto* node = manager->parser.textureList.head; node; node = node->next) listed.insert(node->value.name);

    for (int i = 0; i < EffectsPackage->GetEntryCount(); ++i) {
        std::string entry = EffectsPackage->GetEntryName(i);
        SCOPED_TRACE(entry);
        std::string base = entry.substr(0, entry.rfind('.'));
        ParticleSystem* t = manager->FindTemplateRecord(base.c_str());
        ASSERT_NE(t, nullptr);
        EXPECT_STREQ(t->name, base.c_str());
        EXPECT_GE(t->maxCount, 1);
        EXPECT_LE(t->maxCount, ParticleSystem::MAX_PARTICLES);
        EXPECT_GT(t->lifetime, 0.0f);
        EXPECT_GT(t->rate, 0.0f);
        EXPECT_TRUE(t->flags & PARTICLE_RENDER_ALPHA);
        for (const float* c : {t->colour, t->colourMid, t->colourEnd})
            for (int k = 0; k < 4; ++k) EXPECT_TRUE(c[k] >= 0.0f && c[k] <= 1.0f);

        unsigned size = 0;
        const unsigned char* bytes = EffectsPackage->GetData(entry.c_str(), &size);
        ASSERT_NE(bytes, nullptr);
        std::istringstream words(std::string((const char*)bytes, size));
        std::string word, texture;
        while (words >> word)
            if (word == "TEXTURE_NAME") words >> texture;
        EffectsPackage->ReleaseData(entry.c_str());
        EXPECT_EQ(listed.count(texture.substr(0, texture.find('.'))), 1u) << texture;
    }
}

TEST_F(ShippedEffects, EveryListedTextureShips)
{
    PackageFile textures;
    ASSERT_TRUE(textures.Open("data/textures.pkb", false));
    ASSERT_GT(manager->parser.textureList.count, 1);
    for (auto* node = manager->parser.textureList.head; node; node = node->next) {
        std::string file = std::string(node->value.name) + ".dds";
        unsigned size = 0;
        EXPECT_NE(textures.GetData(file.c_str(), &size), nullptr) << file;
        textures.ReleaseData(file.c_str());
    }
}

TEST_F(ShippedEffects, EveryDefinitionEmits)
{
    GameCamera.eye = Vec3(0, 20, -20);
    GameCamera.target = Vec3(0, 0, 0);
    GameCamera.direction = Vec3(0, -0.7071068f, 0.7071068f);
    for (auto* node = manager->templates.head; node; node = node->next) {
        const ParticleSystem* t = node->value;
        SCOPED_TRACE(t->name);
        ParticleSystem* s = manager->SpawnSystem(t->name);
        ASSERT_NE(s, nullptr);
        s->direction = Vec3(0, 0, 4);
        if (t->emissionTime > 0.0f) s->flags |= PARTICLE_TIMED;
        int most = 0;
        for (int i = 0; i < 30; ++i) {
            manager->UpdateWith(1.0f / 30.0f);
            most = std::max(most, s->ParticleCount());
            for (auto* p = s->activeParticles.head; p; p = p->next)
                ASSERT_TRUE(std::isfinite(p->value->position.x + p->value->position.y + p->value->size));
        }
        EXPECT_GT(most, 0);
        manager->KillAll();
    }
    // The weather and water kinds, as the game marks them.
    for (const char* name : {"snowblow", "mist", "dust"}) {
        ParticleSystem* s = manager->SpawnSystem(name);
        s->flags |= PARTICLE_GROUND_WEATHER;
        for (int i = 0; i < 30; ++i) manager->UpdateWith(1.0f / 30.0f);
        EXPECT_GT(s->ParticleCount(), 0) << name;
        for (auto* p = s->activeParticles.head; p; p = p->next) EXPECT_GT(p->value->position.y, 5.0f) << name;
    }
    ParticleSystem* lava = manager->SpawnSystem("lava");
    lava->flags |= PARTICLE_WATER;
    for (int i = 0; i < 10; ++i) manager->UpdateWith(1.0f / 30.0f);
    EXPECT_GT(lava->ParticleCount(), 0);
    manager->KillAll();
}

TEST_F(ShippedEffects, EverySystemTheGameSpawnsIsDefined)
{
    const char* const names[] = {
        // Resources revealed, hits, deaths and explosions.
        "scan_red", "scan_green", "scan_blue", "explosparks", "black_smoke_damage", "explo", "exploblood",
        "explogreen", "explo_ice", "explorocks", "exploring", "explo_freeze",
        // Status effects, named after the effect.
        "Fire_explo", "Acid_explo", "Plasma_explo",
        // Units, items and buildings.
        "levelup", "loot", "pickup", "journal", "warp", "fuelvent",
        // Weapons and work beams.
        "smoke_trail", "laserimpact", "bulletimpact", "muzzle_fire", "flame_thrower", "flame_thrower_small",
        "creature_flame", "acid_thrower", "buildbeam", "repairbeam", "fuelbeam", "extractbeam",
        // Weather.
        "snow", "snowblow", "mist", "dust", "lava",
        // The galaxy map's backdrop.
        "galaxy", "galaxy2", "galstars", "nebula", "galcenter", "bgstars", "corona",
        // What the developer console adds without a name.
        "default",
    };
    for (const char* name : names) EXPECT_NE(manager->FindTemplateRecord(name), nullptr) << name;
}

TEST_F(ShippedEffects, TheLooseCopiesMatchThePackage)
{
    int packaged = manager->TemplateCount();
    std::set<std::string> names;
    for (auto* node = manager->templates.head; node; node = node->next) names.insert(node->value->name);
    testing::internal::CaptureStdout();
    manager->LoadDefinitions(true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(manager->TemplateCount(), packaged);
    for (auto* node = manager->templates.head; node; node = node->next) EXPECT_EQ(names.count(node->value->name), 1u);
}

}  // namespace
