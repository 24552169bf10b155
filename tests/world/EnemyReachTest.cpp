// Every enemy the levels put out, set down beside a player's unit, notices it and hurts it
// within seconds: no kind stands by with its attack job taken and never a shot fired.
#include "tests/world/SkirmishTestSupport.h"

#include "host/Random.h"

#include <string>

namespace {

class EnemyReach : public SkirmishWorld {};

}  // namespace

TEST_F(EnemyReach, EveryEnemyKindBesideAPlayerUnitHurtsItWithinSeconds)
{
    // Scavenger guards, raiders, bosses and the warlord, and what the lairs breed.
    const char* const enemies[] = {
        "scav_melee",      "scav_small",   "scav_leader",  "scav_brute",     "scav_flamer",
        "scav_boss_a",     "scav_boss_b",  "scav_boss_c",  "scav_superMelee", "scav_warlord",
        "scav_wheeler",    "scav_air_probe", "stump_crawler", "cave_beast",   "burrower",
        "nest_wasp",       "mantis",       "spider",       "bio_blob",       "fire_bat",
        "nest_crawler",    "Elite_Mantis", "Elite_Trex",   "Elite_Winged_Beast", "Elite_Scavenger",
        "Elite_Scavenger_Chief",
    };
    // Beside it or a few cells off, at a smooth frame rate and at the slow frames a busy
    // level can fall to.
    const int gaps[] = {1, 2, 3};
    const float steps[] = {1.0f / 60.0f, 0.05f, 0.1f};
    const float LIMIT = 15.0f;
    for (const char* type : enemies)
        for (int gap : gaps)
            for (float dt : steps) {
                SCOPED_TRACE(std::string(type) + " " + std::to_string(gap) + " cells off, frames of " +
                             std::to_string(dt));
                SRand(31);
                // The player's unit stands still and does not answer: only the enemy's shots count.
                Agent* victim = Spawn("gunner_bot", 30, 30);
                ASSERT_NE(victim, nullptr);
                victim->brainKind = 0;
                victim->speed = 0.0f;
                victim->SetMaxHealth(100000.0f);
                victim->SetHealth(100000.0f);
                // Set down as a level sets its guards down.
                Agent* enemy = TheScene.CreateAgent(type, true);
                ASSERT_NE(enemy, nullptr);
                ASSERT_EQ(enemy->alignment, ALIGN_ENEMY);
                enemy->SetPosition(Corner(30 + gap, 30));
                enemy->flags |= ENTITY_PLACED;
                enemy->StampGrid();

                const float before = victim->health + victim->shield;
                float took = PlayUntil(LIMIT, dt, [&] { return victim->health + victim->shield < before; });
                EXPECT_LT(took, LIMIT) << "it never hurt the unit";

                projectiles.Clear();
                ClearAgents();
                OpenGround();
            }
}
