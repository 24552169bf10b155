// A change of the world made between ticks while a level is played stops the test build at
// once, naming what changed and where; the same change inside a tick goes through.
#include "host/WorldGuard.h"

#include "campaign/PlayerProfile.h"
#include "host/Random.h"
#include "interface/Inventory.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "world/Item.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class WorldGuardTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        if (!WorldGuardStops()) GTEST_SKIP() << "this build lets the world change between ticks";
    }
    void TearDown() override
    {
        SealWorld(false);
        SceneTest::TearDown();
    }
};

struct Change {
    const char* what;
    std::function<void()> make;
};

}  // namespace

TEST_F(WorldGuardTest, EveryChangeBetweenTicksStopsTheProgramAndInATickGoesThrough)
{
    Entity* standing = NewEntity(0);
    ASSERT_NE(TheScene.AddEntity(standing), nullptr);
    PlayerProfile* player = GetPlayerProfile();
    ASSERT_NE(player, nullptr);
    ScopedGlobal<float> ore{player->ore, 50.0f}, fuel{player->fuel, 50.0f};
    Inventory bag;
    Item item;
    Entity* spare = NewEntity(0);
    const Change changes[] = {
        {"an entity made or numbered", [] { delete new Entity(); }},
        {"an entity added to the level", [&] { TheScene.AddEntity(spare); }},
        {"an entity taken out of the level", [&] { TheScene.RemoveEntity(standing, REMOVE_EVERYWHERE); }},
        {"an item moved into the hand", [&] { bag.Carry(&item); }},
        {"the ore changed", [&] { player->AddOre(5.0f); }},
        {"the fuel changed", [&] { player->AddFuel(-5.0f); }},
        {"a hull changed", [&] { standing->SetHealth(10.0f); }},
        {"a hull changed", [&] { standing->SetMaxHealth(10.0f); }},
        {"a hull or shield hit", [&] { standing->TakeDamage(1.0f, nullptr, nullptr, 0, true); }},
        {"a draw from the level's random sequence", [] { Rand(); }},
        {"a draw from the level's random sequence", [] { NextRandomMWC(); }},
        {"a draw from the level's random sequence", [] { RandomInt(1, 6); }},
        {"a draw from the level's random sequence", [] { RandomFloatMWC(0.0f, 1.0f); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        EXPECT_DEATH(
            {
                SealWorld(true);
                change.make();
            },
            std::string("world changed outside a tick: ") + change.what);
    }
    // Sealed, a tick lets each through; and with no level there is nothing to keep.
    SealWorld(true);
    {
        const WorldTickScope tick(WorldClock::TICK);
        for (const Change& change : changes)
            if (std::string(change.what) != "an entity taken out of the level" &&
                std::string(change.what) != "an item moved into the hand")
                change.make();
    }
    SealWorld(false);
    Rand();
    player->AddOre(1.0f);
}
