// What every world object does alike: hits go through the shield first, the last stand keeps 1
// health, health and its maximum follow each other, ore dies at its next update once mined out,
// an update runs once a frame, and an entity on a parent's bone reports the parent's place.
#include "world/Entity.h"

#include "mechanics/Game.h"
#include "platform/Timer.h"
#include "render/IndexedMesh.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

TEST(Entity, HitsGoThroughTheShieldThenHealth)
{
    struct Case {
        const char* what;
        uint32_t flags;
        float shield, health, hit;
        float shieldAfter, healthAfter;
        bool dead;
    };
    const Case table[] = {
        {"a shield that breaks", ENTITY_SHIELD, 4, 100, 10, 0, 94, false},
        {"a shield that holds exactly", ENTITY_SHIELD, 10, 100, 10, 0, 100, false},
        {"no shield flag: the shield is not used", 0, 50, 100, 10, 50, 90, false},
        {"a killing hit", 0, 0, 5, 10, 0, 0, true},
        {"the last stand", ENTITY_LAST_STAND, 0, 5, 10, 0, 1, false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Entity e;
        e.flags |= c.flags;
        e.shield = c.shield;
        e.health = c.health;
        e.TakeDamage(c.hit, nullptr, nullptr, 9, true);
        EXPECT_FLOAT_EQ(e.shield, c.shieldAfter);
        EXPECT_FLOAT_EQ(e.health, c.healthAfter);
        EXPECT_EQ((e.flags & ENTITY_DEAD) != 0, c.dead);
        EXPECT_EQ(e.IsAlive(), !c.dead);
    }
}

TEST(Entity, HealthAndItsMaximumFollowEachOther)
{
    Entity e;
    e.SetHealth(150.0f);
    EXPECT_FLOAT_EQ(e.GetMaxHealth(), 150.0f);
    e.SetHealth(-5.0f);
    EXPECT_FLOAT_EQ(e.GetHealth(), 0.0f);
    e.SetHealth(80.0f);
    e.SetMaxHealth(60.0f);
    EXPECT_FLOAT_EQ(e.GetHealth(), 60.0f);
    e.damage = 20.0f;
    EXPECT_FLOAT_EQ(e.GetDamagePerSecond(nullptr), 5.0f);
}

TEST(Entity, UpdatesOnceAFrameAndOreDiesAtItsNextUpdate)
{
    ScopedGlobal<int> frame(FrameTimer.frameCount, 50);
    ScopedGlobal<float> delta(FrameTimer.delta, 0.1f);
    ScopedGlobal<bool> paused(GamePaused, false);
    Entity ore;
    ore.flags |= ENTITY_RESOURCE;
    {
        const WorldTickScope tick(0.1f);
        ore.Update();
        ore.health = 0.0f;
        EXPECT_TRUE(ore.IsAlive()) << "mined out, it dies at its next update";
        ore.Update();
        EXPECT_TRUE(ore.IsAlive()) << "not twice in one tick";
        EXPECT_FLOAT_EQ(ore.ageTimers[0], 0.1f);
    }
    const WorldTickScope tick(0.1f);
    ore.Update();
    EXPECT_FALSE(ore.IsAlive());
    EXPECT_FLOAT_EQ(ore.ageTimers[0], 0.2f);
}

TEST(Entity, OnAParentsBoneItIsWhereTheBoneIs)
{
    Entity parent, child;
    parent.SetPosition(Vec3(10, 0, 5));
    MeshJoint bone;
    bone.worldMatrix._41 = 1.0f;  // mesh space is mirrored in x
    bone.worldMatrix._42 = 2.0f;
    child.attachParent = &parent;
    child.attachBone = &bone;
    EXPECT_EQ(child.GetPosition(), Vec3(9, 2, 5));
    parent.SetPosition(Vec3(0, 1, 0));
    EXPECT_EQ(child.GetPosition(), Vec3(-1, 3, 0)) << "it moves with its parent";
}
