// The effects the world starts: where each stands, which run out by themselves, and that the
// world's handle lets an effect go; with no such template, or no particles at all, nothing.
#include "world/Effects.h"

#include "mechanics/Scene.h"
#include "render/ParticleManager.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"
#include "world/Entity.h"

#include <gtest/gtest.h>

#include <string>

TEST(Effects, EachStartPlacesItsEffectAndTheHandleLetsItGo)
{
    ParticleManager particles;
    particles.ReleaseTemplates();
    const std::string path = MakeTempFolder("effects") + "/spark.txt";
    // The template stands far away: an effect stands where the world puts it.
    ASSERT_TRUE(WriteTextFile(path, "PARTICLE spark\nPOSITION 90 90 90\nEND_PARTICLE\n"));
    ASSERT_NE(particles.LoadTemplate(path.c_str()), nullptr);
    ScopedGlobal<ParticleManager*> scene(TheScene.particles, &particles);
    Entity owner;

    struct Case {
        const char* what;
        ParticleSystem* effect;
        Entity* owner;
        Vec3 placed;  // the offset from the owner, or the point it stands at
        bool once, along;
    };
    const Case cases[] = {
        {"at a point", StartEffect("spark", nullptr, Vec3(1.0f, 2.0f, 3.0f)), nullptr, Vec3(1.0f, 2.0f, 3.0f), false,
         false},
        {"once, along its direction",
         StartEffect("spark", nullptr, Vec3(4.0f, 0.0f, 0.0f), EFFECT_ONCE | EFFECT_ALONG_DIRECTION), nullptr,
         Vec3(4.0f, 0.0f, 0.0f), true, true},
        {"put down", PlaceEffect("spark", Vec3(0.0f, 5.0f, 0.0f)), nullptr, Vec3(0.0f, 5.0f, 0.0f), false, false},
        {"on an entity", StartEffect("spark", &owner, Vec3(0.0f, 1.0f, 0.0f), EFFECT_ONCE), &owner,
         Vec3(0.0f, 1.0f, 0.0f), true, false},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.effect, nullptr) << c.what;
        EXPECT_EQ(EffectOwner(c.effect), c.owner) << c.what;
        EXPECT_STREQ(EffectName(c.effect), "spark") << c.what;
        EXPECT_EQ(c.owner ? c.effect->offset : c.effect->Origin(), c.placed) << c.what;
        EXPECT_EQ((c.effect->flags & PARTICLE_TIMED) != 0, c.once) << c.what;
        EXPECT_EQ((c.effect->flags & PARTICLE_USE_DIRECTION) != 0, c.along) << c.what;
    }
    EXPECT_EQ(particles.ActiveCount(), 4);

    ParticleSystem* handle = cases[0].effect;
    StopEffect(&handle);
    EXPECT_EQ(handle, nullptr) << "the world forgets what it stopped";
    EXPECT_NE(cases[0].effect->flags & PARTICLE_STOP, 0u) << "what it threw plays out";
    StopEffect(&handle);

    EXPECT_EQ(StartEffect("no such effect", nullptr, Vec3()), nullptr);
    EXPECT_EQ(EffectOwner(nullptr), nullptr);
    EXPECT_STREQ(EffectName(nullptr), "");
    {
        ScopedGlobal<ParticleManager*> none(TheScene.particles, nullptr);
        EXPECT_EQ(PlaceEffect("spark", Vec3()), nullptr) << "a world without particles starts none";
        AdvanceEffects();
    }
}
