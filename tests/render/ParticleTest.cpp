// Particle systems stepped with fixed deltas: emission counts, lifetimes, colour and size over
// the life, motion, timed bursts, and the manager's pool and templates.
#include "render/ParticleManager.h"

#include "host/Log.h"
#include "host/Random.h"
#include "platform/Timer.h"
#include "render/Animation.h"
#include "render/ViewFrustum.h"
#include "tests/support/Scoped.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// A system that moves nothing by chance: no random spread, no speed variation.
void MakeQuiet(ParticleSystem& s)
{
    s.rateChange = 0.0f;
    s.speedChange = 0.0f;
    s.pitchChange = 0.0f;
    s.yawChange = 0.0f;
    s.lifetime = 100.0f;
    s.sizeChange = 0.0f;
    s.force = Vec3();
}

TEST(ParticleSystem, EmitsAsTheRateAsks)
{
    ScopedGameSeam noGame;
    struct Case {
        const char* what;
        float rate;
        bool timed;
        int maxCount;
        float dt;
        int steps;
        int expected;
    } cases[] = {
        {"10 per second, tenth-second steps", 10, false, 100, 0.1f, 5, 5},
        {"fractions carry over", 15, false, 100, 0.1f, 4, 6},
        {"a flood of 150 in one step is cut to 10", 1500, false, 100, 0.1f, 1, 10},
        {"timed: the rate per step", 7, true, 100, 0.01f, 3, 21},
        {"MAX_COUNT caps the live particles", 1000, false, 20, 0.05f, 30, 20},
        {"a MAX_COUNT above 100 meets the record's 100", 1000, false, 500, 0.05f, 30, 100},
        {"a negative rate emits nothing", -50, false, 100, 0.1f, 10, 0},
    };
    for (const Case& c : cases) {
        ParticleSystem s;
        MakeQuiet(s);
        s.rate = c.rate;
        s.maxCount = c.maxCount;
        s.emissionTime = 10.0f;
        if (c.timed) s.flags |= PARTICLE_TIMED;
        for (int i = 0; i < c.steps; ++i) s.Step(c.dt);
        EXPECT_EQ(s.ParticleCount(), c.expected) << c.what;
    }
}

TEST(ParticleSystem, ParticlesLiveExactlyTheirLifetime)
{
    ScopedGameSeam noGame;
    ParticleSystem s;
    MakeQuiet(s);
    s.lifetime = 0.5f;
    s.flags |= PARTICLE_EMIT_OFF;
    ASSERT_TRUE(s.EmitParticle());
    s.Step(0.25f);
    s.Step(0.25f);
    EXPECT_EQ(s.ParticleCount(), 1);  // age 0.5 is still within the life
    s.Step(0.25f);
    EXPECT_EQ(s.ParticleCount(), 0);
    // The freed particle is available again.
    for (int i = 0; i < ParticleSystem::MAX_PARTICLES; ++i) EXPECT_TRUE(s.EmitParticle());
    EXPECT_FALSE(s.EmitParticle());
}

TEST(ParticleSystem, ColourRunsThroughTheMiddleColour)
{
    ScopedGameSeam noGame;
    struct Case {
        float midPercent;
        bool smooth;
        float t;
        float r, g, b, a;
    } cases[] = {
        {0.5f, false, 0.0f, 1, 0, 0, 0},        {0.5f, false, 0.25f, 0.5f, 0.5f, 0, 0.5f},
        {0.5f, false, 0.5f, 0, 1, 0, 1},        {0.5f, false, 0.75f, 0, 0.5f, 0.5f, 0.5f},
        {0.5f, false, 1.0f, 0, 0, 1, 0},        {0.5f, true, 0.125f, 0.84375f, 0.15625f, 0, 0.15625f},
        {0.0f, false, 0.5f, 0, 0.5f, 0.5f, 0.5f}, {1.0f, false, 0.5f, 0.5f, 0.5f, 0, 0.5f},
        {1.0f, false, 1.0f, 0, 1, 0, 1},
    };
    for (const Case& c : cases) {
        ParticleSystem s;
        MakeQuiet(s);
        s.lifetime = 1.0f;
        s.midPercent = c.midPercent;
        if (c.smooth) s.flags |= PARTICLE_SMOOTH_LERP;
        s.flags |= PARTICLE_EMIT_OFF;
        const float start[4] = {1, 0, 0, 0}, middle[4] = {0, 1, 0, 1}, end[4] = {0, 0, 1, 0};
        memcpy(s.colour, start, sizeof start);
        memcpy(s.colourMid, middle, sizeof middle);
        memcpy(s.colourEnd, end, sizeof end);
        ASSERT_TRUE(s.EmitParticle());
        s.Step(c.t);
        ASSERT_EQ(s.ParticleCount(), 1);
        const Particle& p = *s.activeParticles.head->value;
        EXPECT_NEAR(p.r, c.r, 1e-5f) << c.midPercent << " " << c.t;
        EXPECT_NEAR(p.g, c.g, 1e-5f) << c.midPercent << " " << c.t;
        EXPECT_NEAR(p.b, c.b, 1e-5f) << c.midPercent << " " << c.t;
        EXPECT_NEAR(p.a, c.a, 1e-5f) << c.midPercent << " " << c.t;
    }
}

TEST(ParticleSystem, SizeAndMotionFollowTheDefinition)
{
    ScopedGameSeam noGame;
    ParticleSystem s;
    MakeQuiet(s);
    s.flags |= PARTICLE_EMIT_OFF | PARTICLE_USE_DIRECTION;
    s.direction = Vec3(0, 1, 0);
    s.speed = 5.0f;
    s.force = Vec3(0, -10, 0);
    s.size = 2.0f;
    s.sizeChange = 0.5f;
    s.position = Vec3(1, 2, 3);
    ASSERT_TRUE(s.EmitParticle());
    const Particle& p = *s.activeParticles.head->value;
    EXPECT_EQ(p.position, Vec3(1, 2, 3));
    EXPECT_EQ(p.velocity, Vec3(0, 5, 0));
    s.Step(0.1f);
    EXPECT_NEAR(p.position.y, 2.5f, 1e-5f);
    EXPECT_NEAR(p.velocity.y, 4.0f, 1e-5f);
    EXPECT_NEAR(p.size, 2.05f, 1e-5f);

    s.sizeChange = -100.0f;
    s.Step(0.1f);
    EXPECT_EQ(p.size, 0.001f);
}

TEST(ParticleSystem, EmittersPlaceParticlesInTheirShape)
{
    ScopedGameSeam noGame;
    SRand(7);
    struct Case {
        int type;
        Vec3 area;
    } cases[] = {{EMIT_AREA, Vec3(2, 0, 3)}, {EMIT_CIRCLE, Vec3(2, 0, 3)}, {EMIT_DISK, Vec3(2, 0, 3)}};
    for (const Case& c : cases) {
        ParticleSystem s;
        MakeQuiet(s);
        s.emitType = c.type;
        s.area = c.area;
        s.position = Vec3(10, 0, 10);
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(s.EmitParticle());
        for (auto* node = s.activeParticles.head; node; node = node->next) {
            Vec3 d = node->value->position - s.position;
            EXPECT_EQ(d.y, 0.0f);
            if (c.type == EMIT_AREA) {
                EXPECT_LE(fabsf(d.x), 2.0f);
                EXPECT_LE(fabsf(d.z), 3.0f);
            } else {
                float e = (d.x / 2) * (d.x / 2) + (d.z / 3) * (d.z / 3);
                if (c.type == EMIT_CIRCLE)
                    EXPECT_NEAR(e, 1.0f, 1e-3f);
                else
                    EXPECT_LE(e, 1.0001f);
            }
        }
    }
}

TEST(ParticleSystem, DegenerateSpiralsStayFinite)
{
    ScopedGameSeam noGame;
    for (Vec3 area : {Vec3(5, 0, 5), Vec3(0, 0, 0), Vec3(2, 360, 2)}) {
        ParticleSystem s;
        MakeQuiet(s);
        s.emitType = EMIT_SPIRAL;
        s.area = area;
        s.rate = 100.0f;
        for (int i = 0; i < 5; ++i) s.Step(0.1f);
        ASSERT_GT(s.ParticleCount(), 0);
        for (auto* node = s.activeParticles.head; node; node = node->next) {
            const Particle& p = *node->value;
            EXPECT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y) && std::isfinite(p.size) &&
                        std::isfinite(p.r))
                << area.x << " " << area.y << " " << area.z;
        }
    }
}

// A world whose owner entity moves and can die, and whose view can be turned away.
class TestWorld : public NullGameSeam {
public:
    bool IsEntityDead(Entity*) override { return ownerDead; }
    Vec3 GetEntityPosition(Entity*) override { return ownerAt; }
    Vec3 GetEntityVelocity(Entity*) override { return ownerVelocity; }
    bool IsPositionRevealed(const Vec3&) override { return revealed; }
    bool IsEntityRevealed(Entity*) override { return revealed; }
    bool IsGamePaused() override { return paused; }
    bool ownerDead = false, revealed = true, paused = false;
    Vec3 ownerAt, ownerVelocity;
};

// A view that sees nothing: every box lies in front of its first plane.
ViewFrustum LookingAway()
{
    ViewFrustum frustum;
    frustum.planes[0] = Plane(0.0f, 0.0f, 0.0f, 1.0f);
    return frustum;
}

class Particles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder("particle-defs");
        manager = new ParticleManager();
        manager->ReleaseTemplates();  // each test defines its own
    }
    void TearDown() override { delete manager; }
    ParticleSystem* Define(const std::string& name, const std::string& body)
    {
        std::string path = folder + "/" + name + ".txt";
        WriteTextFile(path, "PARTICLE " + name + "\n" + body + "\nEND_PARTICLE\n");
        return manager->LoadTemplate(path.c_str());
    }
    // Without a view frustum everything counts as in view.
    void LookAway(bool away) { Frustum = away ? &awayView : nullptr; }

    TestWorld world;
    ScopedGameSeam seam{&world};
    ViewFrustum awayView = LookingAway();
    ScopedGlobal<ViewFrustum*> view{Frustum, nullptr};
    ParticleManager* manager = nullptr;
    std::string folder;
};

TEST_F(Particles, TimedBurstsEmitWhileTheirTimeLastsThenLeave)
{
    ASSERT_TRUE(Define("burst", "RATE 4 RATE_Change 0 LIFETIME 0.35 EMISSION_TIME 0.25"));
    ParticleSystem* s = manager->SpawnSystem("BURST");
    ASSERT_NE(s, nullptr);
    s->flags |= PARTICLE_TIMED;
    int counts[3];
    for (int& c : counts) {
        manager->UpdateWith(0.1f);
        c = s->ParticleCount();
    }
    EXPECT_EQ(counts[0], 4);
    EXPECT_EQ(counts[1], 8);
    EXPECT_EQ(counts[2], 12);
    manager->UpdateWith(0.1f);  // time is up: emission stops
    EXPECT_TRUE(s->flags & PARTICLE_EMIT_OFF);
    EXPECT_EQ(manager->ActiveCount(), 1);
    for (int i = 0; i < 5 && manager->ActiveCount(); ++i) manager->UpdateWith(0.1f);
    EXPECT_EQ(manager->ActiveCount(), 0);
    EXPECT_EQ(manager->FreeCount(), ParticleManager::SYSTEM_COUNT);

    ParticleSystem* none = manager->SpawnSystem("burst");
    none->emissionTime = 0.0f;
    none->flags |= PARTICLE_TIMED;
    manager->UpdateWith(0.1f);
    EXPECT_EQ(manager->ActiveCount(), 0);
}

TEST_F(Particles, APausedGameAddsNoBursts)
{
    ASSERT_TRUE(Define("burst", "RATE 4 RATE_Change 0 EMISSION_TIME 1"));
    ParticleSystem* s = manager->SpawnSystem("burst");
    s->flags |= PARTICLE_TIMED;
    world.paused = true;
    FrameTimer.delta = 0.05f;
    for (int i = 0; i < 10; ++i) manager->Update();
    EXPECT_EQ(s->ParticleCount(), 0);
    world.paused = false;
    manager->Update();
    EXPECT_EQ(s->ParticleCount(), 4);
    FrameTimer.delta = 0.0f;
}

TEST_F(Particles, TheAnimationSwitchHoldsEverySystemStill)
{
    ASSERT_TRUE(Define("burst", "RATE 4 RATE_Change 0 EMISSION_TIME 1"));
    ParticleSystem* s = manager->SpawnSystem("burst");
    ASSERT_NE(s, nullptr);
    s->flags |= PARTICLE_TIMED;
    {
        ScopedGlobal<bool> still(AnimationPlay, false);
        for (int i = 0; i < 5; ++i) manager->UpdateWith(0.1f);
        EXPECT_EQ(s->ParticleCount(), 0);
    }
    manager->UpdateWith(0.1f);
    EXPECT_EQ(s->ParticleCount(), 4);
}

TEST_F(Particles, ThePoolRefusesQuietlyAndTemplatesDoNotUseIt)
{
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(Define("t" + std::to_string(i), "SIZE 1"));
    EXPECT_EQ(manager->TemplateCount(), 60);
    LogCaptureBegin();
    for (int i = 0; i < ParticleManager::SYSTEM_COUNT; ++i) ASSERT_NE(manager->SpawnSystem("t1"), nullptr) << i;
    EXPECT_EQ(manager->SpawnSystem("t1"), nullptr);
    EXPECT_EQ(manager->SpawnSystem("unknown"), nullptr);
    EXPECT_EQ(LogCaptureEnd(), "");
    manager->KillAll();
    EXPECT_EQ(manager->ActiveCount(), 0);
    EXPECT_EQ(manager->FreeCount(), ParticleManager::SYSTEM_COUNT);
    for (int i = 60; i < ParticleManager::TEMPLATE_COUNT; ++i) ASSERT_TRUE(Define("t" + std::to_string(i), ""));
    EXPECT_EQ(Define("one_too_many", ""), nullptr);
}

TEST_F(Particles, SpawnedSystemsKeepTheirPlaceAndTakeTheLook)
{
    ASSERT_TRUE(Define("glow", "POSITION 5 5 5 SIZE 3 RATE 20 FORCE 0 0 0"));
    ParticleSystem* s = manager->SpawnSystem("glow");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->position, Vec3());
    EXPECT_EQ(s->size, 3.0f);
    EXPECT_EQ(s->rate, 20.0f);

    // A reload keeps how the caller set it to run.
    s->flags |= PARTICLE_TIMED | PARTICLE_WEATHER_FRONT;
    s->offset = Vec3(1, 2, 3);
    manager->FindTemplateRecord("glow")->size = 9.0f;
    manager->RefreshFromTemplates();
    EXPECT_EQ(s->size, 9.0f);
    EXPECT_EQ(s->offset, Vec3(1, 2, 3));
    EXPECT_EQ(s->flags & (PARTICLE_TIMED | PARTICLE_WEATHER_FRONT), PARTICLE_TIMED | PARTICLE_WEATHER_FRONT);
}

TEST_F(Particles, SystemsStopByOwnerAndByExactName)
{
    ASSERT_TRUE(Define("glow", ""));
    int a = 0, b = 0;
    Entity* ownerA = reinterpret_cast<Entity*>(&a);
    Entity* ownerB = reinterpret_cast<Entity*>(&b);
    ParticleSystem* s1 = manager->SpawnSystem("glow");
    ParticleSystem* s2 = manager->SpawnSystem("glow");
    ParticleSystem* s3 = manager->SpawnSystem("GLOW");
    s1->owner = ownerA;
    s2->owner = ownerB;
    manager->StopSystemsOf(ownerA);
    EXPECT_TRUE(s1->flags & PARTICLE_STOP);
    EXPECT_FALSE(s2->flags & PARTICLE_STOP);
    manager->FindTemplate("GLOW");
    EXPECT_FALSE(s2->flags & PARTICLE_STOP);  // the name is copied from the template: "glow"
    manager->FindTemplate("glow");
    EXPECT_TRUE(s2->flags & PARTICLE_STOP);
    EXPECT_TRUE(s3->flags & PARTICLE_STOP);
    manager->UpdateWith(0.1f);
    EXPECT_EQ(manager->ActiveCount(), 0);
}

// The entities an update reads the poses of: each owner once, whatever its number of systems,
// and none while the animations stand still.
TEST_F(Particles, TheUpdateFollowsEachOwnerOnce)
{
    ASSERT_TRUE(Define("glow", ""));
    int a = 0, b = 0;
    Entity* ownerA = reinterpret_cast<Entity*>(&a);
    Entity* ownerB = reinterpret_cast<Entity*>(&b);
    EXPECT_TRUE(manager->FollowedEntities().empty());
    ParticleSystem* systems[4] = {};
    for (ParticleSystem*& s : systems) ASSERT_NE(s = manager->SpawnSystem("glow"), nullptr);
    systems[0]->owner = ownerB;
    systems[1]->owner = ownerA;
    systems[2]->owner = ownerB;  // systems[3] hangs on nothing
    std::vector<const Entity*> owners = {ownerA, ownerB};
    std::sort(owners.begin(), owners.end());
    EXPECT_EQ(manager->FollowedEntities(), owners);
    {
        ScopedGlobal<bool> still(AnimationPlay, false);
        EXPECT_TRUE(manager->FollowedEntities().empty());
    }
}

TEST_F(Particles, OwnersCarryTheirSystemsUntilTheyDie)
{
    ASSERT_TRUE(Define("trail", "RATE 10 RATE_Change 0 SPEED 0 SPEED_Change 0 FORCE 0 0 0 LIFETIME 10"));
    int ownerValue = 0;
    ParticleSystem* s = manager->SpawnSystem("trail");
    s->owner = reinterpret_cast<Entity*>(&ownerValue);
    s->offset = Vec3(0, 1, 0);
    s->flags |= PARTICLE_INHERIT_VELOCITY;
    world.ownerAt = Vec3(10, 0, 10);
    world.ownerVelocity = Vec3(1, 0, 0);
    manager->UpdateWith(0.1f);
    ASSERT_EQ(s->ParticleCount(), 1);
    const Particle& p = *s->activeParticles.head->value;
    EXPECT_EQ(p.position, Vec3(10, 1, 10));
    EXPECT_EQ(p.velocity, Vec3(1, 0, 0));
    world.ownerDead = true;
    manager->UpdateWith(0.1f);
    EXPECT_EQ(s->owner, nullptr);
}

TEST_F(Particles, SystemsOutOfSightAreNotStepped)
{
    ASSERT_TRUE(Define("glow", "RATE 10 RATE_Change 0"));
    ParticleSystem* hidden = manager->SpawnSystem("glow");
    ParticleSystem* always = manager->SpawnSystem("glow");
    always->flags |= PARTICLE_ALWAYS_UPDATE;
    LookAway(true);
    for (int i = 0; i < 5; ++i) manager->UpdateWith(0.1f);
    EXPECT_EQ(hidden->ParticleCount(), 0);
    EXPECT_EQ(always->ParticleCount(), 5);
    LookAway(false);
    world.revealed = false;  // in view but under the fog of war
    manager->UpdateWith(0.1f);
    EXPECT_EQ(hidden->ParticleCount(), 0);
    world.revealed = true;
    manager->UpdateWith(0.1f);
    EXPECT_EQ(hidden->ParticleCount(), 1);
}

}  // namespace
