// The attack behaviours: a ranged attacker closes to one short of its range, stops, faces its
// target and fires what is ready; a hold-position attacker lets a target that walked away go;
// a melee attacker gives up a target beyond its notice range unless it is the player's, and
// strikes once it stands beside the target.
#include "platform/MathUtil.h"
#include "tests/world/WorldTestSupport.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"

#include <cstring>

namespace {

class AttackTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        system.Init();
        system.LoadResources();
    }
    void TearDown() override
    {
        system.Clear();
        WorldTest::TearDown();
    }

    Agent* Fighter(int alignment, int column, int row, bool air = false)
    {
        Agent* agent = NewAgent(alignment, air);
        agent->SetPosition(Corner(column, row));
        agent->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
        agent->health = agent->maxHealth = 100.0f;
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    // An attacker at cell (10, 10) facing its target, with a weapon of that type ready.
    Agent* Attacker(Entity* target, int type, int alignment = ALIGN_PLAYER)
    {
        Agent* agent = Fighter(alignment, 10, 10);
        agent->target.Set(target);
        Vec3 to = target->GetPosition() - agent->GetPosition();
        HeadingFromVector(to.x, to.z, &agent->yaw);
        agent->weapon = new WeaponDef();
        agent->weapon->type = type;
        agent->weapon->shotTime = 0.5f;
        agent->attackTimer = 100.0f;
        return agent;
    }
    int Launched() const { return system.ActiveProjectiles() + system.ActiveBeams(); }

    ProjectileSystem system;
    ScopedGlobal<ProjectileSystem*> current{TheProjectiles, &system};
};

TEST_F(AttackTest, ARangedAttackerFiresFromOneShortOfItsRange)
{
    struct Case {
        float range;
        bool fires;
    } cases[] = {{11.0f, true}, {10.5f, false}, {20.0f, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        Agent* target = Fighter(ALIGN_ENEMY, 14, 10);  // 10 units away
        Agent* attacker = Attacker(target, WEAPON_MISSILE);
        attacker->attackRange = c.range;
        EXPECT_EQ(attacker->DoRangedAttack(0.1f, nullptr), 1);
        EXPECT_EQ(Launched(), c.fires ? 1 : 0);
        EXPECT_EQ(attacker->HasStanceBits(), !c.fires) << "out of range it sets off toward the target";
        if (c.fires) {
            EXPECT_FLOAT_EQ(attacker->attackTimer, 0.0f);
        }
        system.Clear();
        TheScene.ReleaseEntities();
    }
}

TEST_F(AttackTest, ARangedAttackerWaitsForItsWeaponAndItsFacing)
{
    Agent* target = Fighter(ALIGN_ENEMY, 14, 10);
    Agent* attacker = Attacker(target, WEAPON_LASER);
    attacker->weapon->interval = 2.0f;
    attacker->attackTimer = 1.9f;
    attacker->DoRangedAttack(0.1f, nullptr);
    EXPECT_EQ(Launched(), 0);
    attacker->attackTimer = 2.0f;  // reaching the interval exactly counts
    attacker->yaw += 90.0f;        // but it looks the wrong way
    attacker->DoRangedAttack(0.1f, nullptr);
    EXPECT_EQ(Launched(), 0);
    EXPECT_NE(attacker->targetYaw, attacker->yaw) << "it turns toward the target";
    attacker->yaw = attacker->targetYaw;
    attacker->DoRangedAttack(0.1f, nullptr);
    EXPECT_EQ(system.ActiveBeams(), 1);
}

TEST_F(AttackTest, AHoldPositionAttackerLetsATargetThatWalkedAwayGo)
{
    Agent* target = Fighter(ALIGN_ENEMY, 14, 10);
    Agent* attacker = Attacker(target, WEAPON_PLASMA);
    attacker->attackRange = 9.5f;  // 10 is within range + 1
    EXPECT_EQ(attacker->DoRangedAttackInPlace(0.1f, nullptr), 1);
    EXPECT_EQ(Launched(), 1);
    EXPECT_FALSE(attacker->HasStanceBits()) << "it never moves";
    target->SetPosition(Corner(15, 10));  // 12.5 away: beyond range + 1
    EXPECT_EQ(attacker->DoRangedAttackInPlace(0.1f, nullptr), 1);
    EXPECT_FALSE(attacker->target.IsSet());
    EXPECT_FALSE(attacker->HasStanceBits());
}

TEST_F(AttackTest, MortarsAndFlamesOnAMountNeverFireAtWhatFlies)
{
    struct Case {
        int type;
        bool air;
        bool fires;
    } cases[] = {{WEAPON_MORTAR, true, false}, {WEAPON_FLAME, true, false}, {WEAPON_LASER, true, true},
                 {WEAPON_MORTAR, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WeaponTypeName(c.type));
        Agent* target = Fighter(ALIGN_ENEMY, 13, 10, c.air);
        Agent* attacker = Attacker(target, WEAPON_MISSILE);
        Entity* gun = NewEntity(ENTITY_ITEM);
        gun->weapon = new WeaponDef();
        gun->weapon->type = c.type;
        gun->weapon->shotTime = 0.5f;
        ASSERT_EQ(attacker->AddAttachment(gun, "gun", "none", true), nullptr);
        attacker->attachments[0].clock = 100.0f;
        attacker->DoRangedAttack(0.1f, nullptr);
        EXPECT_EQ(Launched(), c.fires ? 1 : 0) << "the agent's own missile waits while it has mounts";
        system.Clear();
        TheScene.ReleaseEntities();
    }
    // The agent's own mortar knows no such rule.
    Agent* flyer = Fighter(ALIGN_ENEMY, 13, 10, true);
    Agent* attacker = Attacker(flyer, WEAPON_MORTAR);
    attacker->DoRangedAttack(0.1f, nullptr);
    EXPECT_EQ(system.ActiveProjectiles(), 1);
}

TEST_F(AttackTest, AMeleeAttackerGivesUpATargetBeyondNoticeUnlessItIsThePlayers)
{
    for (int alignment : {ALIGN_ENEMY, ALIGN_PLAYER}) {
        SCOPED_TRACE(alignment);
        Agent* target = Fighter(alignment == ALIGN_ENEMY ? ALIGN_PLAYER : ALIGN_ENEMY, 16, 10);  // 15 away
        Agent* attacker = Attacker(target, WEAPON_NONE, alignment);
        attacker->noticeRange = 13.0f;
        Job job;
        int result = attacker->UpdateAttackPosition(0.1f, &job);
        if (alignment == ALIGN_ENEMY) {
            EXPECT_EQ(result, 2);
            EXPECT_FALSE(attacker->target.IsSet());
            EXPECT_NE(strstr(attacker->statusText, "Out of range, StopAttack"), nullptr) << attacker->statusText;
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_TRUE(attacker->target.IsSet());
            EXPECT_TRUE(attacker->HasStanceBits()) << "the player's unit follows";
            EXPECT_FLOAT_EQ(attacker->moveTarget.x, target->GetPosition().x);
        }
        TheScene.ReleaseEntities();
    }
}

TEST_F(AttackTest, AMeleeAttackerBesideItsTargetStrikesWhenItsIntervalHasPassed)
{
    Agent* target = Fighter(ALIGN_ENEMY, 11, 10);
    Agent* attacker = Attacker(target, WEAPON_NONE);
    attacker->meleeAttackTime = 2.0f;
    attacker->attackTimer = 2.0f;  // not past it yet
    Job job;
    EXPECT_EQ(attacker->UpdateAttackPosition(0.1f, &job), 1);
    EXPECT_EQ(system.PendingMeleeHits(), 0);
    attacker->attackTimer = 2.01f;
    EXPECT_EQ(attacker->MeleeAttackInPlace(0.1f, &job), 1);
    EXPECT_EQ(system.PendingMeleeHits(), 1);
    EXPECT_FLOAT_EQ(attacker->attackTimer, 0.0f);
    // A target that stepped out of reach ends an attack in place.
    target->SetPosition(Corner(14, 10));
    attacker->MeleeAttackInPlace(0.1f, &job);
    EXPECT_FALSE(attacker->target.IsSet());
}

TEST_F(AttackTest, ShotsLeaveAtTheWeaponsIntervalAndLandOnTheTarget)
{
    Agent* target = Fighter(ALIGN_ENEMY, 14, 10);
    target->health = target->maxHealth = 1000.0f;
    Agent* attacker = Attacker(target, WEAPON_PULSE);
    attacker->weapon->damage = 10.0f;
    attacker->weapon->interval = 1.0f;
    attacker->weapon->range = 20.0f;
    attacker->attackTimer = 0.0f;
    const float frame = 1.0f / 20.0f;
    for (int i = 0; i < 100; ++i) {  // five seconds
        attacker->attackTimer += frame;
        attacker->DoRangedAttack(frame, nullptr);
        system.Update(frame);
    }
    // A shot a second from the first second on; the one of the fifth is still in the air.
    EXPECT_FLOAT_EQ(target->health, 1000.0f - 4 * 10.0f);
}

}  // namespace
