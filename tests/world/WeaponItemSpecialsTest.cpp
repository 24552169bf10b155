// A weapon item's attack specials go with its shots: a missile or a beam fired from the mount
// that carries the item drains the target's shield, freezes it, or heals the shooter when it
// lands; a shot whose shooter fell while it flew lands with its bare damage.
#include "host/Random.h"
#include "platform/MathUtil.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Item.h"
#include "world/ProjectileSystem.h"

#include <memory>

namespace {

constexpr float FRAME = 1.0f / 60.0f;

class WeaponItemSpecialsTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        SRand(41);
        system.Init();
        system.LoadResources();
    }
    void TearDown() override
    {
        system.Clear();
        WorldTest::TearDown();
    }

    Agent* Soldier(int alignment, const Vec3& at)
    {
        Agent* agent = NewAgent(alignment);
        agent->SetPosition(at);
        agent->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
        agent->maxHealth = agent->health = 1000.0f;
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    void Run(float seconds)
    {
        for (float t = 0.0f; t < seconds; t += FRAME) system.Update(FRAME);
    }

    ProjectileSystem system;
    ScopedGlobal<ProjectileSystem*> current{TheProjectiles, &system};
};

enum Effect { DRAINED, FROZEN, SIPHONED };

TEST_F(WeaponItemSpecialsTest, AShotFromAWeaponItemCarriesItsSpecialToTheTarget)
{
    struct Case {
        const char* name;
        int type;
        uint32_t special;
        Effect effect;
        bool shooterFalls;
        bool happens;
    } cases[] = {
        // Each special through a projectile, one through a beam.
        {"missile drains", WEAPON_MISSILE, ITEM_SPECIAL_SHIELD_DRAIN_2, DRAINED, false, true},
        {"missile freezes", WEAPON_MISSILE, ITEM_SPECIAL_FREEZE_2, FROZEN, false, true},
        {"missile siphons", WEAPON_MISSILE, ITEM_SPECIAL_SIPHON_DAMAGE_2, SIPHONED, false, true},
        {"laser freezes", WEAPON_LASER, ITEM_SPECIAL_FREEZE_1, FROZEN, false, true},
        {"a fallen shooter's missile freezes nothing", WEAPON_MISSILE, ITEM_SPECIAL_FREEZE_2, FROZEN, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Agent* target = Soldier(ALIGN_ENEMY, Vec3(8.0f, 0.0f, 0.0f));
        target->flags |= ENTITY_SHIELD;
        Agent* shooter = Soldier(ALIGN_PLAYER, Vec3());
        shooter->health = 500.0f;
        Vec3 to = target->GetPosition() - shooter->GetPosition();
        HeadingFromVector(to.x, to.z, &shooter->yaw);
        shooter->target.Set(target);

        auto gun = std::make_unique<Item>();
        gun->specialFlags = c.special;
        gun->weapon = new WeaponDef();
        gun->weapon->type = c.type;
        gun->weapon->damage = 2.0f;
        gun->weapon->range = 20.0f;
        gun->weapon->shotTime = 0.1f;
        gun->weapon->owner = gun.get();
        ASSERT_EQ(shooter->AddAttachment(gun.get(), "rightweapon", "none"), nullptr);
        const AgentAttachment* mount = &shooter->Attachment(0);

        // The drain and the freeze come up one hit in five or ten: a volley gives them their chance.
        bool happened = false;
        for (int shot = 0; shot < 60 && !happened; ++shot) {
            target->maxShield = target->shield = 100.0f;
            target->freezeTime = 0.0f;
            const float before = shooter->health;
            if (c.shooterFalls) shooter->flags &= ~ENTITY_DEAD;
            Agent::FireWeapon(gun->weapon, shooter, target, mount);
            ASSERT_EQ(system.ActiveProjectiles() + system.ActiveBeams(), 1);
            if (c.shooterFalls) shooter->flags |= ENTITY_DEAD;
            Run(1.0f);
            ASSERT_EQ(system.ActiveProjectiles() + system.ActiveBeams(), 0);
            ASSERT_LT(target->health + target->shield, 1100.0f) << "the shot landed";
            switch (c.effect) {
            case DRAINED: happened = target->shield <= 50.0f; break;
            case FROZEN: happened = target->freezeTime > 0.0f; break;
            case SIPHONED: happened = shooter->health > before; break;
            }
        }
        EXPECT_EQ(happened, c.happens);
        shooter->flags &= ~ENTITY_DEAD;
        shooter->RemoveAttachment("rightweapon");
        system.Clear();
        TheScene.ReleaseEntities();
    }
}

}  // namespace
