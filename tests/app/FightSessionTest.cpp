// A fight as a player gives it, in the real game: a gunner of the player's and a scavenger stand
// near the rig; a click selects the gunner, a right click on the scavenger sends it to attack,
// and the scavenger falls to it, the kill teaching the gunner. Then the rig, sent at a second
// scavenger, shoots it down with the weapons on its arms from a distance.
#include "tests/app/PlayerSessionSupport.h"

#include <algorithm>
#include <cmath>

using namespace playersession;

namespace {

using FightSession = PlayerSession;

TEST_F(FightSession, AGunnerSentAtAScavengerBringsItDown)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Agent* gunner = PlaceUnit("gunner_bot", rig->GetPosition(), ALIGN_PLAYER);
    ASSERT_NE(gunner, nullptr);
    Agent* enemy = PlaceUnit("scav_small", gunner->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(enemy, nullptr);
    Passes(4, 0.05f);

    int x = 0, y = 0;
    ASSERT_TRUE(OnScreen(gunner->GetCenter(), &x, &y));
    MoveMouseTo(x, y);
    Click(0);
    ASSERT_EQ(TheGame->GetFirstSelected(), gunner) << "a click selects the gunner";
    ASSERT_TRUE(OnScreen(enemy->GetCenter(), &x, &y));
    MoveMouseTo(x, y);
    Click(1);
    const int experience = gunner->botExperience;
    // Agents come from a pool: once the scavenger falls, its record may stand for another one.
    const auto enemyId = enemy->id;
    auto standing = [&] { return enemy->id == enemyId && enemy->IsAlive(); };
    for (int second = 0; second < 60 && standing(); ++second) Passes(10, 0.1f);
    EXPECT_FALSE(standing()) << "the scavenger fell";
    EXPECT_TRUE(gunner->IsAlive());
    EXPECT_GT(gunner->botExperience, experience) << "the kill taught the gunner";

    ASSERT_NE(rig->GetAttachedEntity("leftweapon"), nullptr) << "the pilot's rig is armed";
    Agent* second = PlaceUnit("scav_small", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(second, nullptr);
    Passes(4, 0.05f);
    ASSERT_TRUE(OnScreen(rig->GetCenter(), &x, &y));
    MoveMouseTo(x, y);
    Click(0);
    ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "a click selects the rig";
    ASSERT_TRUE(OnScreen(second->GetCenter(), &x, &y));
    MoveMouseTo(x, y);
    Click(1);
    const auto secondId = second->id;
    float closest = 1e9f;
    for (int tick = 0; tick < 600 && second->id == secondId && second->IsAlive(); ++tick) {
        Passes(1, 0.1f);
        if (second->id == secondId) {
            Vec3 d = second->GetPosition() - rig->GetPosition();
            closest = std::min(closest, std::sqrt(d.x * d.x + d.z * d.z));
        }
    }
    EXPECT_FALSE(second->id == secondId && second->IsAlive()) << "the rig shot the scavenger down";
    EXPECT_GT(closest, 4.0f) << "from a distance, not at arm's length";
}

}  // namespace
