// A fight as a player gives it, in the real game: a gunner of the player's and a scavenger stand
// near the rig; a click selects the gunner, a right click on the scavenger sends it to attack,
// and the scavenger falls to it, the kill teaching the gunner. Then the rig, sent at a second
// scavenger, shoots it down with the weapons on its arms from a distance. On Beginner a rig
// left standing answers a beast's bite and a scavenger's shot by itself, and one sent off with a
// right click past a beast still gets there. A spider that falls beside the rig leaves a stain
// and pieces smaller than itself, frame after frame.
#include "tests/app/PlayerSessionSupport.h"

#include "render/IndexedMesh.h"
#include "world/ProjectileSystem.h"

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

    ASSERT_TRUE(ClickAt(gunner->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), gunner) << "a click selects the gunner";
    ASSERT_TRUE(ClickAt(enemy->GetCenter(), 1));
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
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "a click selects the rig";
    ASSERT_TRUE(ClickAt(second->GetCenter(), 1));
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

TEST_F(FightSession, OnBeginnerAnIdleRigAnswersWhatAttacksItAndStillGoesWhereItIsSent)
{
    Config->Difficulty = 0;
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    for (const char* foe : {"stump_crawler", "scav_small"}) {
        SCOPED_TRACE(foe);
        Agent* enemy = PlaceUnit(foe, rig->GetPosition(), ALIGN_ENEMY);
        ASSERT_NE(enemy, nullptr);
        const auto id = enemy->id;
        PlayWithoutPictures(60.0f, 0.05f, [&] { return rig->IsAlive() && enemy->id == id && enemy->IsAlive(); });
        EXPECT_FALSE(enemy->id == id && enemy->IsAlive()) << "the rig brought it down";
        ASSERT_TRUE(rig->IsAlive());
        EXPECT_GT(rig->health, rig->GetMaxHealth() * 0.5f);
    }

    // Sent off with a right click, a beast at its side, it does not stop to fight on the way.
    Agent* beast = PlaceUnit("stump_crawler", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(beast, nullptr);
    Passes(2, 0.05f);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), rig);
    const Vec3 start = rig->GetPosition(), toBeast = beast->GetPosition() - start;
    Vec3 goal;
    ASSERT_TRUE(FindOpenGround(start - toBeast, &goal));
    ASSERT_TRUE(ClickAt(goal, 1));
    float closest = 1e9f;
    PlayWithoutPictures(20.0f, 0.05f, [&] {
        closest = std::min(closest, std::hypot(rig->GetPosition().x - goal.x, rig->GetPosition().z - goal.z));
        return closest > 2.0f;
    });
    EXPECT_LE(closest, 2.0f) << "the rig got where it was sent";
}

TEST_F(FightSession, ASpiderFallingBesideTheRigLeavesPiecesSmallerThanItself)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Agent* spider = PlaceUnit("spider", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(spider, nullptr);
    Passes(2, 0.05f);  // it has measured itself
    ASSERT_TRUE(TheProjectiles && TheProjectiles->debris);
    const DebrisField& debris = *TheProjectiles->debris;
    const float footprint = spider->size;
    ASSERT_GT(footprint, 0.5f);
    spider->TakeDamage(spider->GetHealth() + 1.0f, rig, nullptr, 0, true);
    spider->Die(rig);
    ASSERT_NE(debris.active.head, nullptr) << "the spider throws its pieces";
    // Every frame while the pieces fly, each of them as drawn is smaller than the spider was.
    for (int frame = 0; frame < 10 && debris.active.head; ++frame) {
        for (auto* node = debris.active.head; node; node = node->next)
            for (int i = 0; i < node->value->count; ++i) {
                const IndexedMesh* mesh = node->value->pieces[i].mesh;
                ASSERT_NE(mesh, nullptr);
                const Vec3 extent = (mesh->boundsMax - mesh->boundsMin) * node->value->scale;
                EXPECT_LT(std::max({extent.x, extent.y, extent.z}), footprint / 2) << "piece " << i << " frame " << frame;
            }
        Passes(1, 0.05f);
    }
}

}  // namespace

