// Attacks carried out by the projectile system: every weapon fired by an agent reaches its
// target with the damage of its table, once; the pools hold 64 of each record; missiles home,
// shells arc and burst, lightning chains, beams pour their whole damage, melee blows land.
#include "host/Random.h"
#include "platform/MathUtil.h"
#include "render/Animation.h"
#include "terrain/SplatPool.h"
#include "tests/world/WorldTestSupport.h"
#include "world/ProjectileSystem.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float FRAME = 1.0f / 60.0f;

class ProjectileTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        SRand(23);
        system.Init();
        system.LoadResources();
    }
    void TearDown() override
    {
        system.Clear();
        WorldTest::TearDown();
    }

    // An agent in the level with a two-unit block for a body (its centre one unit up).
    Agent* Soldier(int alignment, const Vec3& at, float health = 100.0f)
    {
        Agent* agent = NewAgent(alignment);
        agent->SetPosition(at);
        agent->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
        agent->maxHealth = agent->health = health;
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    // A player's agent at the origin that faces and attacks the target.
    Agent* Attacker(Entity* target)
    {
        Agent* agent = Soldier(ALIGN_PLAYER, Vec3());
        agent->target.Set(target);
        Vec3 to = target->GetPosition() - agent->GetPosition();
        HeadingFromVector(to.x, to.z, &agent->yaw);
        return agent;
    }
    void Run(float seconds)
    {
        for (float t = 0.0f; t < seconds; t += FRAME) system.Update(FRAME);
    }

    ProjectileSystem system;
    ScopedGlobal<ProjectileSystem*> current{TheProjectiles, &system};
};

WeaponDef Weapon(int type, float damage, float range, float shotTime)
{
    WeaponDef weapon;
    weapon.type = type;
    weapon.damage = damage;
    weapon.range = range;
    weapon.shotTime = shotTime;
    return weapon;
}

TEST_F(ProjectileTest, EveryWeaponDealsItsDamageToItsTargetOnce)
{
    struct Case {
        int type;
        float damage;
        float range;
        float shotTime;
    } cases[] = {
        {WEAPON_LASER, 12.0f, 18.0f, 0.4f},   {WEAPON_MISSILE, 30.0f, 24.0f, 0.0f},
        {WEAPON_ELECTRIC, 18.0f, 14.0f, 0.5f}, {WEAPON_MORTAR, 45.0f, 28.0f, 0.0f},
        {WEAPON_BALLISTIC, 5.0f, 16.0f, 0.2f}, {WEAPON_FLAME, 6.0f, 10.0f, 0.4f},
        {WEAPON_ACID, 10.0f, 12.0f, 0.5f},     {WEAPON_PLASMA, 45.0f, 20.0f, 0.0f},
        {WEAPON_PULSE, 18.0f, 18.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WeaponTypeName(c.type));
        Agent* target = Soldier(ALIGN_ENEMY, Vec3(9.0f, 0.0f, 4.0f));
        Agent* attacker = Attacker(target);
        WeaponDef weapon = Weapon(c.type, c.damage, c.range, c.shotTime);
        Agent::FireWeapon(&weapon, attacker, target, nullptr);
        EXPECT_EQ(system.ActiveProjectiles() + system.ActiveBeams(), 1);
        Run(6.0f);
        EXPECT_NEAR(target->health, 100.0f - c.damage, 1e-3f);
        EXPECT_TRUE(target->IsAlive());
        EXPECT_EQ(system.ActiveProjectiles() + system.ActiveBeams(), 0);
        if (c.type == WEAPON_ACID) {
            ASSERT_EQ(target->statusCount, 1);
            EXPECT_EQ(target->statusEffects[0].kind, 1);
            EXPECT_FLOAT_EQ(target->statusEffects[0].amount, c.damage * 0.5f);
            EXPECT_EQ(target->statusEffects[0].source.Get(), attacker);
        }
        TheScene.ReleaseEntities();
    }
}

TEST_F(ProjectileTest, AKillIsCountedOnceAndTheShotEnds)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(8.0f, 0.0f, 0.0f), 20.0f);
    Agent* attacker = Attacker(target);
    WeaponDef weapon = Weapon(WEAPON_PLASMA, 45.0f, 20.0f, 0.0f);
    Agent::FireWeapon(&weapon, attacker, target, nullptr);
    Run(2.0f);
    EXPECT_FALSE(target->IsAlive());
    EXPECT_EQ(attacker->kills, 1);
    EXPECT_EQ(system.ActiveProjectiles(), 0);
}

TEST_F(ProjectileTest, PoolsHoldSixtyFourOfEachRecord)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(40.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    for (int i = 0; i < 65; ++i) {
        system.Fire(Vec3(), Vec3(1.0f, 0.0f, 0.0f), 1.0f, attacker, target, nullptr, PROJECTILE_TARGET_TEST, nullptr);
        system.StartBeam(5.0f, attacker, target, nullptr, BEAM_LASER, nullptr);
        system.QueueMeleeHit(1.0f, attacker, target);
    }
    EXPECT_EQ(system.ActiveProjectiles(), ProjectileSystem::CAPACITY);
    EXPECT_EQ(system.ActiveBeams(), ProjectileSystem::CAPACITY);
    EXPECT_EQ(system.PendingMeleeHits(), ProjectileSystem::CAPACITY);
    system.Explode(Vec3(), 10.0f, 2.0f, EXPLOSION_PLAIN, ALIGN_ENEMY);  // no room: dropped
    EXPECT_EQ(system.ActiveProjectiles(), ProjectileSystem::CAPACITY);
    system.Clear();
    EXPECT_EQ(system.ActiveProjectiles() + system.ActiveBeams() + system.PendingMeleeHits(), 0);
    EXPECT_EQ(system.freeProjectiles.count, ProjectileSystem::CAPACITY);
}

TEST_F(ProjectileTest, AMissileLaunchedAwayTurnsBackAndFollowsItsTarget)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(15.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    system.Fire(Vec3(), Vec3(-1.0f, 0.0f, 0.0f), 15.0f, attacker, target, nullptr,
                PROJECTILE_TRACKING | PROJECTILE_TARGET_TEST | PROJECTILE_MISSILE, nullptr);
    // The target walks sideways while the missile turns.
    for (int frame = 0; frame < 300 && system.ActiveProjectiles(); ++frame) {
        target->SetPosition(target->GetPosition() + Vec3(0.0f, 0.0f, 2.0f * FRAME));
        system.Update(FRAME);
    }
    EXPECT_EQ(system.ActiveProjectiles(), 0);
    EXPECT_FLOAT_EQ(target->health, 90.0f);  // a shooter without a weapon deals its own damage
}

TEST_F(ProjectileTest, AMissileWhoseTargetDiesInFlightEndsWithoutHarm)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(20.0f, 0.0f, 0.0f));
    Agent* bystander = Soldier(ALIGN_ENEMY, Vec3(10.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    system.Fire(Vec3(), Vec3(), 10.0f, attacker, target, nullptr, PROJECTILE_TARGET_TEST | PROJECTILE_MISSILE, nullptr);
    system.Update(FRAME);
    target->flags |= ENTITY_DEAD;
    system.Update(FRAME);
    EXPECT_EQ(system.ActiveProjectiles(), 0);
    Run(2.0f);
    EXPECT_FLOAT_EQ(bystander->health, 100.0f);
}

TEST_F(ProjectileTest, AShellArcsToHalfItsRangeAndLandsOnAMovingTarget)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(20.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    system.Fire(Vec3(), Vec3(), 10.0f, attacker, target, nullptr, PROJECTILE_SHELL | PROJECTILE_TARGET_TEST, nullptr);
    const Vec3 launch = system.projectiles.head->value->launchPosition;  // the attacker's gun
    float peak = 0.0f;
    float peakAt = 0.0f;
    while (system.ActiveProjectiles()) {
        target->SetPosition(target->GetPosition() + Vec3(0.0f, 0.0f, 1.0f * FRAME));
        system.Update(FRAME);
        if (!system.ActiveProjectiles()) break;
        const Projectile* shell = system.projectiles.head->value;
        ASSERT_TRUE(std::isfinite(shell->position.y));
        if (shell->position.y - launch.y > peak) {
            peak = shell->position.y - launch.y;
            Vec3 flown = shell->position - launch;
            peakAt = sqrtf(flown.x * flown.x + flown.z * flown.z);
        }
    }
    Vec3 landed = target->GetPosition() - launch;
    float span = sqrtf(landed.x * landed.x + landed.z * landed.z);
    EXPECT_NEAR(peak, span * 0.5f, 0.3f);
    EXPECT_NEAR(peakAt, span * 0.5f, 0.5f);
    EXPECT_GT(landed.z, 1.0f);               // it moved, and the shell followed
    EXPECT_FLOAT_EQ(target->health, 90.0f);  // struck once: the burst spares it
}

TEST_F(ProjectileTest, AShellBurstsOnThoseAroundItsTargetAndNotOnItsOwnSide)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(12.0f, 0.0f, 0.0f));
    Agent* near = Soldier(ALIGN_ENEMY, Vec3(14.0f, 0.0f, 2.0f));
    Agent* far = Soldier(ALIGN_ENEMY, Vec3(30.0f, 0.0f, 0.0f));
    Agent* friendNear = Soldier(ALIGN_PLAYER, Vec3(13.0f, 0.0f, -2.0f));
    Agent* attacker = Attacker(target);
    WeaponDef mortar = Weapon(WEAPON_MORTAR, 40.0f, 15.0f, 0.0f);
    Agent::FireWeapon(&mortar, attacker, target, nullptr);
    Run(3.0f);
    EXPECT_FLOAT_EQ(target->health, 60.0f);
    EXPECT_FLOAT_EQ(near->health, 60.0f);
    EXPECT_FLOAT_EQ(far->health, 100.0f);
    EXPECT_FLOAT_EQ(friendNear->health, 100.0f);
}

TEST_F(ProjectileTest, AShellStraightAboveItsLauncherLandsWithoutLosingItsWay)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(0.0f, 10.0f, 0.0f));
    // A mortar pit without a gun of its own fires from where it is told: right below.
    system.Fire(Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 1.0f, 0.0f), 10.0f, nullptr, target, nullptr, PROJECTILE_SHELL,
                nullptr);
    const Projectile* shell = system.projectiles.head->value;
    system.Update(FRAME);
    EXPECT_TRUE(std::isfinite(shell->position.x) && std::isfinite(shell->position.y));
    EXPECT_EQ(system.ActiveProjectiles(), 0);  // it has nowhere to fly over the ground: it bursts
}

TEST_F(ProjectileTest, ExplosionsHurtTheOtherSideAroundThePointAndShakeTheCamera)
{
    Agent* player = Soldier(ALIGN_PLAYER, Vec3(1.0f, 0.0f, 0.0f));
    Agent* enemy = Soldier(ALIGN_ENEMY, Vec3(-1.0f, 0.0f, 0.0f));
    Agent* distant = Soldier(ALIGN_PLAYER, Vec3(20.0f, 0.0f, 0.0f));
    StopCameraShake();
    system.Explode(Vec3(), 50.0f, 2.0f, EXPLOSION_PLAIN, ALIGN_ENEMY);
    EXPECT_FLOAT_EQ(ActiveCameraShake.amplitude, 0.6f);
    system.Update(FRAME);
    EXPECT_FLOAT_EQ(player->health, 50.0f);
    EXPECT_FLOAT_EQ(enemy->health, 100.0f);
    EXPECT_FLOAT_EQ(distant->health, 100.0f);
    system.Explode(Vec3(), 10.0f, 2.0f, EXPLOSION_PLAIN, -1);  // neutral: everyone
    system.Update(FRAME);
    EXPECT_FLOAT_EQ(player->health, 40.0f);
    EXPECT_FLOAT_EQ(enemy->health, 90.0f);
}

TEST_F(ProjectileTest, BeamsDealTheirWholeDamageWeakOnesIncluded)
{
    struct Case {
        float damage;
        float duration;
    } cases[] = {{10.0f, 1.0f}, {0.6f, 1.0f}, {2.5f, 0.3f}, {7.0f, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        Agent* target = Soldier(ALIGN_ENEMY, Vec3(8.0f, 0.0f, 0.0f));
        Agent* attacker = Attacker(target);
        attacker->damage = c.damage;
        system.StartBeam(c.duration, attacker, target, nullptr, BEAM_LASER, nullptr);
        Run(c.duration + 0.5f);
        EXPECT_NEAR(target->health, 100.0f - c.damage, 1e-3f);
        EXPECT_EQ(system.ActiveBeams(), 0);
        TheScene.ReleaseEntities();
    }
}

TEST_F(ProjectileTest, ABeamEndsWhenTheShooterTurnsAwayOrChangesTarget)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(8.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    system.StartBeam(1.0f, attacker, target, nullptr, BEAM_LASER, nullptr);
    system.Update(FRAME);
    attacker->yaw += 90.0f;
    system.Update(FRAME);
    EXPECT_EQ(system.ActiveBeams(), 0);

    attacker->yaw -= 90.0f;
    system.StartBeam(1.0f, attacker, target, nullptr, BEAM_LASER, nullptr);
    system.Update(FRAME);
    attacker->target.Clear();
    system.Update(FRAME);
    EXPECT_EQ(system.ActiveBeams(), 0);
    EXPECT_GT(target->health, 90.0f);
}

TEST_F(ProjectileTest, ABeamHoldsItsShootersClockAndItsMountsWhileItBurns)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(8.0f, 0.0f, 0.0f), 1000.0f);
    Agent* attacker = Attacker(target);
    Entity gun;
    attacker->AddAttachment(&gun, "rightweapon", "none");
    ASSERT_EQ(attacker->AttachmentCount(), 1);
    const AgentAttachment* mount = &attacker->Attachment(0);
    attacker->attachments[0].clock = 0.5f;
    attacker->attackTimer = 0.5f;
    system.StartBeam(1.0f, attacker, target, nullptr, BEAM_LASER, mount);
    Run(0.5f);
    EXPECT_FLOAT_EQ(attacker->attackTimer, 0.0f);
    EXPECT_FLOAT_EQ(mount->clock, 0.0f) << "the next shot's wait starts when the beam ends";
    attacker->RemoveAttachment("rightweapon");
}

// A weapon on an arm fires from the arm wherever its carrier stands and faces: the bone (file
// space (1, 2, 0.5), x mirrored) turned and moved with the carrier, then the muzzle offset ahead.
TEST_F(ProjectileTest, ShotsAndBeamsLeaveAWeaponOnAnArmFromTheArm)
{
    struct Case {
        Vec3 at;
        float yaw, muzzle;
        Vec3 from;
    } cases[] = {{Vec3(20.0f, 0.0f, 30.0f), 0.0f, 0.0f, Vec3(19.0f, 2.0f, 30.5f)},
                 {Vec3(-60.0f, 3.0f, -110.0f), 0.0f, 1.5f, Vec3(-61.0f, 5.0f, -108.0f)},
                 {Vec3(20.0f, 0.0f, 30.0f), 90.0f, 1.5f, Vec3(22.0f, 2.0f, 31.0f)}};
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(8.0f, 0.0f, 0.0f));
    Agent* carrier = Soldier(ALIGN_PLAYER, Vec3());
    carrier->mesh->joints.resize(1);
    MatrixTranslation(&carrier->mesh->joints[0].bindMatrix, 1.0f, 2.0f, 0.5f);
    carrier->mesh->joints[0].worldMatrix = carrier->mesh->joints[0].bindMatrix;
    Entity gun;
    carrier->AddAttachment(&gun, "rightweapon", "none");
    carrier->attachments[0].boneIndex = 0;
    for (const Case& c : cases) {
        carrier->SetPosition(c.at);
        MatrixRotationY(&carrier->rotation, c.yaw * 0.01745329f);
        WeaponDef weapon;
        weapon.shootOffset.z = c.muzzle;
        system.Fire(Vec3(), Vec3(1.0f, 0.0f, 0.0f), 10.0f, carrier, target, &weapon, 0, &carrier->Attachment(0));
        const Vec3 beam = MountMuzzlePoint(carrier, &carrier->Attachment(0), &weapon);
        for (Vec3 start : {beam, system.projectiles.head->value->position}) {
            start -= c.from;
            EXPECT_LT(Vec3Length(&start), 1e-3f) << "beam, then shot, facing " << c.yaw;
        }
        system.Clear();
    }
    carrier->RemoveAttachment("rightweapon");
}

TEST_F(ProjectileTest, LightningChainsToTheNearestFoesByTheShootersLevel)
{
    struct Case {
        int level;
        int chained;
    } cases[] = {{0, 1}, {2, 1}, {3, 2}, {8, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        Agent* target = Soldier(ALIGN_ENEMY, Vec3(10.0f, 0.0f, 0.0f));
        Agent* foes[4];
        for (int i = 0; i < 4; ++i) foes[i] = Soldier(ALIGN_ENEMY, Vec3(10.0f + 2.0f * (i + 1), 0.0f, 0.0f));
        Agent* beyond = Soldier(ALIGN_ENEMY, Vec3(10.0f, 0.0f, 11.0f));
        Agent* friendNear = Soldier(ALIGN_PLAYER, Vec3(10.0f, 0.0f, -3.0f));
        Agent* attacker = Attacker(target);
        attacker->botLevel = c.level;
        attacker->damage = 10.0f;
        system.StartBeam(1.0f, attacker, target, nullptr, BEAM_ELECTRIC, nullptr);
        ASSERT_EQ(system.ActiveBeams(), 1);
        EXPECT_EQ(system.beams.head->value->chainCount, c.chained);
        Run(1.5f);
        EXPECT_NEAR(target->health, 90.0f, 1e-3f);
        int hurt = 0;
        for (Agent* foe : foes) hurt += foe->health < 100.0f;
        EXPECT_EQ(hurt, c.chained);
        for (Agent* foe : foes)
            if (foe->health < 100.0f) {
                EXPECT_NEAR(foe->health, 95.0f, 1e-3f);
            }
        EXPECT_FLOAT_EQ(beyond->health, 100.0f);
        EXPECT_FLOAT_EQ(friendNear->health, 100.0f);
        TheScene.ReleaseEntities();
    }
}

TEST_F(ProjectileTest, AChainLinkThatDiesIsLetGo)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(10.0f, 0.0f, 0.0f));
    Agent* link = Soldier(ALIGN_ENEMY, Vec3(12.0f, 0.0f, 0.0f), 1.0f);
    Agent* attacker = Attacker(target);
    attacker->damage = 10.0f;
    system.StartBeam(1.0f, attacker, target, nullptr, BEAM_ELECTRIC, nullptr);
    Run(0.5f);
    EXPECT_FALSE(link->IsAlive());
    EXPECT_EQ(system.beams.head->value->chainCount, 0);
    EXPECT_EQ(attacker->kills, 1);
}

TEST_F(ProjectileTest, AFlameSweepsTheFoesInItsCone)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(6.0f, 0.0f, 0.0f));
    Agent* inCone = Soldier(ALIGN_ENEMY, Vec3(9.0f, 0.0f, 1.0f));
    Agent* behind = Soldier(ALIGN_ENEMY, Vec3(-6.0f, 0.0f, 0.0f));
    Agent* tooFar = Soldier(ALIGN_ENEMY, Vec3(20.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    attacker->damage = 6.0f;
    system.StartBeam(0.5f, attacker, target, nullptr, BEAM_FLAME, nullptr);
    Run(1.0f);
    EXPECT_NEAR(target->health, 94.0f, 1e-3f);
    EXPECT_NEAR(inCone->health, 94.0f, 1e-3f);
    EXPECT_FLOAT_EQ(behind->health, 100.0f);
    EXPECT_FLOAT_EQ(tooFar->health, 100.0f);
}

TEST_F(ProjectileTest, AlternatingGunsFireInTurnFromTheFirst)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(40.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    attacker->classWord |= AGENT_CLASS_ALTERNATING_SHOT;
    for (int shot = 0; shot < 3; ++shot) system.Fire(Vec3(), Vec3(), 1.0f, attacker, target, nullptr, 0, nullptr);
    EXPECT_EQ(attacker->fireToggle, 1);  // first, second, first: the second is next
}

TEST_F(ProjectileTest, ShotsWithoutADirectionAimAboveTheTargetsCentre)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(10.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    system.Fire(Vec3(), Vec3(0.005f, 0.0f, -0.005f), 1.0f, attacker, target, nullptr, 0, nullptr);
    const Projectile* p = system.projectiles.head->value;
    EXPECT_NEAR(p->aimPoint.y, 2.0f, 1e-5f);
    Vec3 expected = Vec3(10.0f, 2.0f, 0.0f) - attacker->GetFirePoint(0);
    Vec3Normalize(&expected, &expected);
    EXPECT_NEAR(p->direction.x, expected.x, 1e-5f);
    EXPECT_NEAR(p->direction.y, expected.y, 1e-5f);
    // Standing inside the target: a shot still has a way to go.
    system.Fire(Vec3(10.0f, 2.0f, 0.0f), Vec3(), 1.0f, nullptr, target, nullptr, 0, nullptr);
    EXPECT_NEAR(Vec3Length(&system.projectiles.tail->value->direction), 1.0f, 1e-5f);
}

TEST_F(ProjectileTest, LaserColoursWithoutAWeaponFollowTheDamage)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(10.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    struct Case {
        float damage;
        uint32_t colour;
    } cases[] = {{10.0f, 0xFFFF1A1A}, {20.0f, 0xFF1AFF1A}, {20.5f, 0xFF1A1AFF}};
    for (const Case& c : cases) {
        attacker->damage = c.damage;
        system.StartBeam(1.0f, attacker, target, nullptr, BEAM_LASER, nullptr);
        EXPECT_EQ(system.beams.tail->value->colour, c.colour) << c.damage;
    }
}

TEST_F(ProjectileTest, DamageTypeFactors)
{
    struct Case {
        int type;
        int composition;
        bool agent;
        float factor;
    } cases[] = {
        {WEAPON_MISSILE, COMPOSITION_BIOLOGICAL, false, 1.0f},  {WEAPON_MISSILE, COMPOSITION_MECHANICAL, false, 1.33f},
        {WEAPON_MISSILE, COMPOSITION_MECHANICAL, true, 1.0f},   {WEAPON_LASER, COMPOSITION_BIOLOGICAL, true, 1.33f},
        {WEAPON_LASER, COMPOSITION_BIOLOGICAL, false, 1.33f},
        {WEAPON_BALLISTIC, COMPOSITION_BIOMECHANICAL, true, 1.33f},
        {WEAPON_BALLISTIC, COMPOSITION_MECHANICAL, false, 1.0f}, {WEAPON_NONE, COMPOSITION_BIOLOGICAL, true, 1.0f},
        {WEAPON_PLASMA, COMPOSITION_MECHANICAL, true, 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(DamageTypeFactor(c.type, c.composition, c.agent), c.factor) << c.type << " " << c.composition;
}

TEST_F(ProjectileTest, DualClusterMissilesLeaveTurnedToBothSides)
{
    struct Case {
        float distance;
        float degrees;
    } cases[] = {{10.0f, 15.0f}, {40.0f, 30.0f}};
    for (const Case& c : cases) {
        Agent* target = Soldier(ALIGN_ENEMY, Vec3(0.0f, 0.0f, c.distance));
        Agent* attacker = Attacker(target);
        WeaponDef weapon = Weapon(WEAPON_MISSILE, 10.0f, 20.0f, 0.0f);
        weapon.flags |= WEAPONFLAG_DUAL_CLUSTER;
        Agent::FireWeapon(&weapon, attacker, target, nullptr);
        ASSERT_EQ(system.ActiveProjectiles(), 2);
        float turned[2];
        int i = 0;
        for (auto* node = system.projectiles.head; node; node = node->next)
            turned[i++] = atan2f(node->value->direction.x, node->value->direction.z) * 57.29578f;
        EXPECT_NEAR(fabsf(turned[0]), c.degrees, 1e-3f);
        EXPECT_NEAR(turned[0], -turned[1], 1e-3f);
        system.Clear();
        TheScene.ReleaseEntities();
    }
}

TEST_F(ProjectileTest, MeleeBlowsLandOnlyWhileTheAttackerStillSwings)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(2.5f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    attacker->damage = 15.0f;
    // A mesh that is not playing its attack: the blow misses.
    system.QueueMeleeHit(0.5f, attacker, target);
    Run(0.6f);
    EXPECT_EQ(system.PendingMeleeHits(), 0);
    EXPECT_FLOAT_EQ(target->health, 100.0f);

    // Swinging: the blow lands once its delay has run out, on the target alone.
    Agent* bystander = Soldier(ALIGN_ENEMY, Vec3(-2.5f, 0.0f, 0.0f));
    attacker->mesh->slotAnimationId[0] = ANIM_ATTACK;
    attacker->mesh->currentSlot = 0;
    system.QueueMeleeHit(0.5f, attacker, target);
    Run(0.4f);
    EXPECT_FLOAT_EQ(target->health, 100.0f);
    Run(0.2f);
    EXPECT_FLOAT_EQ(target->health, 85.0f);
    EXPECT_FLOAT_EQ(bystander->health, 100.0f);

    // A spinning attacker hits every foe in the cells around it, the target among them.
    attacker->classWord |= AGENT_CLASS_AOE_ATTACK;
    for (Agent* agent : {attacker, target, bystander}) ASSERT_TRUE(agent->StampGrid());
    system.QueueMeleeHit(0.0f, attacker, target);
    system.Update(FRAME);
    EXPECT_FLOAT_EQ(target->health, 70.0f);
    EXPECT_FLOAT_EQ(bystander->health, 85.0f);
}

}  // namespace

namespace {

TEST_F(ProjectileTest, EveryTurretShotReachesItsTargetPulseIncluded)
{
    struct Case {
        int type;
        uint32_t flags;
        float speed;
    } cases[] = {{WEAPON_MISSILE, 0x16, 20.0f}, {WEAPON_MORTAR, 0x24, 10.0f}, {WEAPON_PLASMA, 0x204, 20.0f},
                 {WEAPON_PULSE, 0x404, 20.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WeaponTypeName(c.type));
        float speed = 0.0f;
        uint32_t flags = 0;
        ASSERT_TRUE(TurretProjectile(c.type, &speed, &flags));
        EXPECT_EQ(flags, c.flags);
        EXPECT_FLOAT_EQ(speed, c.speed);
        Building* turret = NewBuilding(ALIGN_PLAYER);
        turret->damage = 25.0f;
        turret->health = 100.0f;
        ASSERT_NE(TheScene.AddEntity(turret), nullptr);
        Agent* target = Soldier(ALIGN_ENEMY, Vec3(12.0f, 0.0f, 5.0f));
        // Shots leave from the turret's own fire point, whatever point the caller gives.
        Vec3 muzzle = turret->GetFirePoint(0);
        Vec3 direction = target->GetCenter() - muzzle;
        Vec3Normalize(&direction, &direction);
        system.Fire(muzzle, direction, speed, turret, target, nullptr, flags, nullptr);
        Run(5.5f);
        EXPECT_FLOAT_EQ(target->health, 100.0f - turret->GetDamage(nullptr));
        TheScene.ReleaseEntities();
    }
    float speed = 0.0f;
    uint32_t flags = 0;
    EXPECT_FALSE(TurretProjectile(WEAPON_LASER, &speed, &flags));
}

TEST_F(ProjectileTest, DebrisBouncesAndComesToRest)
{
    ASSERT_NE(system.debris, nullptr);
    DebrisField& debris = *system.debris;
    for (int i = 0; i < DEBRIS_SETS + 1; ++i) debris.Spawn(DebrisField::ROCK, Vec3(10.0f, 0.0f, 10.0f), 1.0f, false);
    EXPECT_EQ(debris.active.count, DEBRIS_SETS);  // the eleventh is not thrown
    const DebrisField::Set* set = debris.active.head->value;
    EXPECT_EQ(set->count, 8);
    EXPECT_FLOAT_EQ(set->scale, 2.5f);
    bool rose = false;
    for (int frame = 0; frame < 60; ++frame) {
        system.Update(FRAME);
        for (int i = 0; i < set->count; ++i) {
            rose = rose || set->pieces[i].position.y > 1.0f;
            EXPECT_GE(set->pieces[i].position.y, 0.0f);
        }
    }
    EXPECT_TRUE(rose);
    // A piece that meets the ground slowly stays there; a fast one bounces up at half speed.
    DebrisField::Piece& slow = debris.active.head->value->pieces[0];
    DebrisField::Piece& fast = debris.active.head->value->pieces[1];
    slow.position.y = fast.position.y = 0.0f;
    slow.velocity = Vec3(0.0f, -0.08f, 0.0f);
    fast.velocity = Vec3(0.0f, -4.0f, 0.0f);
    system.Update(0.001f);
    EXPECT_FALSE(slow.active);
    EXPECT_FLOAT_EQ(slow.velocity.y, 0.0f);
    EXPECT_TRUE(fast.active);
    EXPECT_NEAR(fast.velocity.y, 2.0049f, 1e-4f);
    EXPECT_FLOAT_EQ(fast.position.y, 0.1f);
    Run(1.0f);
    EXPECT_EQ(debris.active.count, 0);  // every set is gone after two seconds
}

}  // namespace

namespace {

TEST_F(ProjectileTest, ASmashCracksTheGroundAndBurstsAroundTheBlow)
{
    SplatPool splats;  // no template in this world: the crack is asked for, nothing is laid
    ScopedGlobal<SplatPool*> pool(TheSplats, &splats);
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(2.5f, 0.0f, 0.0f));
    Agent* beside = Soldier(ALIGN_ENEMY, Vec3(3.5f, 0.0f, 2.5f));
    Agent* attacker = Attacker(target);
    attacker->damage = 20.0f;
    attacker->classWord |= AGENT_CLASS_MELEE_SMASH;
    MatrixRotationY(&attacker->rotation, attacker->yaw * 0.0174532925f);
    attacker->mesh->slotAnimationId[0] = ANIM_ATTACK;
    attacker->mesh->currentSlot = 0;
    StopCameraShake();
    system.QueueMeleeHit(0.0f, attacker, target);
    system.Update(FRAME);
    EXPECT_FLOAT_EQ(target->health, 80.0f);  // the blow
    EXPECT_EQ(system.ActiveProjectiles(), 1);  // and the burst, on the next frame
    EXPECT_GT(ActiveCameraShake.remaining, 0.0f);
    system.Update(FRAME);
    EXPECT_FLOAT_EQ(target->health, 60.0f);
    EXPECT_FLOAT_EQ(beside->health, 80.0f);
    EXPECT_FLOAT_EQ(attacker->health, 100.0f);
}

}  // namespace

namespace {

TEST_F(ProjectileTest, ShotsNeverReachAnAgentHandedOutAgain)
{
    Agent* target = Soldier(ALIGN_ENEMY, Vec3(12.0f, 0.0f, 0.0f));
    Agent* attacker = Attacker(target);
    system.Fire(Vec3(), Vec3(), 10.0f, attacker, target, nullptr, PROJECTILE_TARGET_TEST | PROJECTILE_TRACKING, nullptr);
    system.StartBeam(1.0f, attacker, target, nullptr, BEAM_LASER, nullptr);
    system.Update(FRAME);
    // The target is taken into use again as someone else (a new id), where it stood.
    target->Reset();
    Agent* again = target;
    again->alignment = ALIGN_ENEMY;
    again->SetPosition(Vec3(12.0f, 0.0f, 0.0f));
    again->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
    again->maxHealth = again->health = 100.0f;
    attacker->target.Set(again);
    Run(3.0f);
    EXPECT_FLOAT_EQ(again->health, 100.0f);
    EXPECT_EQ(system.ActiveProjectiles() + system.ActiveBeams(), 0);
}

}  // namespace

namespace {

TEST_F(ProjectileTest, CreaturesBleedAndBrokenItemsThrowRubbleWhenTheyDie)
{
    Entity* stain = NewEntity(0);
    snprintf(stain->name, sizeof stain->name, "splat");
    stain->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 0.0f));
    ASSERT_TRUE(TheScene.primitives.PushBack(stain));
    SplatPool splats;
    splats.Init();
    ScopedGlobal<SplatPool*> pool(TheSplats, &splats);

    Agent* beast = Soldier(ALIGN_ENEMY, Vec3(10.0f, 0.0f, 10.0f));
    beast->composition = COMPOSITION_BIOLOGICAL;
    Agent* spitter = Soldier(ALIGN_ENEMY, Vec3(20.0f, 0.0f, 10.0f));
    spitter->composition = COMPOSITION_BIOLOGICAL;
    spitter->weapon = new WeaponDef();
    spitter->weapon->type = WEAPON_ACID;
    Agent* machine = Soldier(ALIGN_ENEMY, Vec3(30.0f, 0.0f, 10.0f));
    machine->composition = COMPOSITION_MECHANICAL;
    for (Agent* agent : {beast, spitter, machine}) agent->Die(nullptr);
    ASSERT_EQ(splats.ActiveCount(), 2);
    EXPECT_EQ(splats.Active().head->value->kind, SPLAT_RED_BLOOD);
    EXPECT_EQ(splats.Active().tail->value->kind, SPLAT_GREEN_BLOOD);
    // Each fallen agent throws the pieces of what it was made of.
    ASSERT_EQ(system.debris->active.count, 3);
    EXPECT_EQ(system.debris->active.head->value->kind, (int)DebrisField::BIO);
    EXPECT_EQ(system.debris->active.tail->value->kind, (int)DebrisField::MECH);

    Entity* rock = NewEntity(ENTITY_ITEM);
    rock->SetPosition(Vec3(5.0f, 0.0f, 5.0f));
    rock->Die(nullptr);
    ASSERT_EQ(system.debris->active.count, 4);
    EXPECT_EQ(system.debris->active.tail->value->kind, (int)DebrisField::ROCK);
    EXPECT_FLOAT_EQ(system.debris->active.tail->value->scale, 10.0f);
    delete rock;
    TheScene.primitives.Remove(stain);
    delete stain;
}

}  // namespace
