// What an agent's equipment and bought upgrades do to its shield, hull, damage, speed and shots.
#include "campaign/PlayerProfile.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/world/BlockMesh.h"
#include "render/IndexedMesh.h"
#include "world/AgentCombat.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <memory>
#include <vector>

namespace {

class AgentEquipmentTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        agent = NewAgent(ALIGN_PLAYER);
        agent->maxHealth = agent->health = 100.0f;
    }
    void TearDown() override
    {
        game.agentTypes->ReturnAgent(agent);
        SceneTest::TearDown();
    }
    Item* Module(uint32_t upgrades, int bonus = -1, float value = 0.0f)
    {
        items.push_back(std::make_unique<Item>());
        items.back()->upgradeFlags = upgrades;
        if (bonus >= 0) items.back()->bonus[bonus] = value;
        return items.back().get();
    }

    Agent* agent = nullptr;
    std::vector<std::unique_ptr<Item>> items;
};

TEST_F(AgentEquipmentTest, SlotsOutsideTheEightAreRefused)
{
    Item* item = Module(0);
    for (int slot : {-1, -100, 8, 9}) {
        EXPECT_EQ(agent->EquipItem(item, slot), nullptr);
        EXPECT_EQ(agent->UnequipItem(slot), nullptr);
        EXPECT_EQ(agent->GetEquippedItem(slot), nullptr);
    }
    EXPECT_EQ(agent->equipment, nullptr);
    Item* other = Module(0);
    EXPECT_EQ(agent->EquipItem(item, 7), nullptr);
    EXPECT_EQ(agent->EquipItem(other, 7), item);
    EXPECT_EQ(agent->GetEquippedItem(7), other);
    EXPECT_EQ(agent->UnequipItem(7), other);
    EXPECT_EQ(agent->GetEquippedItem(7), nullptr);
}

TEST_F(AgentEquipmentTest, AHullModuleKeepsTheHealthRatio)
{
    agent->health = 50.0f;
    Item* hull = Module(ITEM_UPGRADE_HULL, ITEM_BONUS_HULL, 50.0f);
    agent->EquipItem(hull, 2);
    EXPECT_FLOAT_EQ(agent->GetMaxHealth(), 150.0f);
    EXPECT_FLOAT_EQ(agent->health, 75.0f);
    EXPECT_FLOAT_EQ(agent->GetHullFactor(), 50.0f);
    agent->UnequipItem(2);
    EXPECT_FLOAT_EQ(agent->GetMaxHealth(), 100.0f);
    EXPECT_FLOAT_EQ(agent->health, 50.0f);
}

TEST_F(AgentEquipmentTest, TheShieldGoesWithTheLastShieldModule)
{
    Item* first = Module(ITEM_UPGRADE_SHIELDS, ITEM_BONUS_SHIELDS, 4.0f);
    Item* second = Module(ITEM_UPGRADE_SHIELDS, ITEM_BONUS_SHIELDS, 6.0f);
    EXPECT_FLOAT_EQ(agent->GetShieldBonus(), 5.0f);  // no equipment at all
    agent->EquipItem(first, 0);
    agent->EquipItem(second, 1);
    EXPECT_TRUE(agent->flags & ENTITY_SHIELD);
    EXPECT_FLOAT_EQ(agent->maxShield, 100.0f);
    EXPECT_FLOAT_EQ(agent->GetShieldBonus(), 10.0f);
    agent->UnequipItem(0);
    EXPECT_TRUE(agent->flags & ENTITY_SHIELD);
    agent->UnequipItem(1);
    EXPECT_FALSE(agent->flags & ENTITY_SHIELD);
    EXPECT_FLOAT_EQ(agent->GetShieldBonus(), 0.0f);  // equipment, but no shield module

    // In the front end a new shield module comes charged.
    game.state = GAME_STATE_FRONT_END;
    agent->shield = 0.0f;
    agent->EquipItem(first, 3);
    EXPECT_FLOAT_EQ(agent->shield, 100.0f);
}

TEST_F(AgentEquipmentTest, BoughtUpgradesTakeTheirHighestTier)
{
    struct {
        uint32_t upgrades;
        float damage, maxHealth, speed;
    } cases[] = {
        {0, 10.0f, 100.0f, 10.0f},
        {BU_WEAPON_DAMAGE_1, 11.0f, 100.0f, 10.0f},
        {BU_WEAPON_DAMAGE_1 | BU_WEAPON_DAMAGE_3, 13.0f, 100.0f, 10.0f},
        {BU_WEAPON_DAMAGE_2, 12.0f, 100.0f, 10.0f},
        {BU_HULL_1, 10.0f, 110.0f, 10.0f},
        {BU_HULL_2 | BU_HULL_1, 10.0f, 120.0f, 10.0f},
        {BU_HULL_3, 10.0f, 130.0f, 10.0f},
        {BU_SPEED, 10.0f, 100.0f, 12.0f},
    };
    for (const auto& c : cases) {
        agent->upgradeFlags = c.upgrades;
        EXPECT_FLOAT_EQ(agent->GetDamage(nullptr), c.damage) << c.upgrades;
        EXPECT_FLOAT_EQ(agent->GetMaxHealth(), c.maxHealth) << c.upgrades;
        EXPECT_FLOAT_EQ(agent->GetSpeed(), c.speed) << c.upgrades;
    }
}

TEST_F(AgentEquipmentTest, WeaponDamageGrowsWithItemsAndLevels)
{
    WeaponDef laser;
    laser.type = WEAPON_LASER;
    laser.damage = 20.0f;
    agent->EquipItem(Module(ITEM_UPGRADE_LASER_DAMAGE, ITEM_BONUS_DAMAGE, 5.0f), 0);
    agent->EquipItem(Module(ITEM_UPGRADE_MORTAR_DAMAGE, ITEM_BONUS_DAMAGE, 7.0f), 1);
    EXPECT_FLOAT_EQ(agent->GetDamage(&laser), 25.0f);
    agent->classWord |= AGENT_CLASS_LEVELLING;
    agent->botLevel = 3;
    game.state = GAME_STATE_PLAYING;
    EXPECT_FLOAT_EQ(agent->GetDamage(&laser), 31.0f);
    game.state = GAME_STATE_FRONT_END;  // levels count only in play
    EXPECT_FLOAT_EQ(agent->GetDamage(&laser), 25.0f);

    laser.interval = 2.0f;
    laser.windUp = 0.0f;
    EXPECT_FLOAT_EQ(agent->GetDamagePerSecond(&laser), 12.5f);
    agent->meleeAttackTime = 4.0f;
    EXPECT_FLOAT_EQ(agent->GetDamagePerSecond(nullptr), 2.5f);
}

TEST_F(AgentEquipmentTest, SpeedModulesAddToTheBaseSpeed)
{
    agent->EquipItem(Module(ITEM_UPGRADE_SPEED, ITEM_BONUS_SPEED, 50.0f), 0);
    EXPECT_FLOAT_EQ(agent->GetSpeed(), 15.0f);
    agent->upgradeFlags = BU_SPEED;
    EXPECT_FLOAT_EQ(agent->GetSpeed(), 18.0f);
}

TEST_F(AgentEquipmentTest, ShotsCarryDamageOverTime)
{
    WeaponDef missile, laser;
    missile.type = WEAPON_MISSILE;
    laser.type = WEAPON_LASER;
    agent->upgradeFlags = BU_FIRE_DOT | BU_ACID_DOT;
    EXPECT_EQ(agent->GetWeaponUpgradeBits(&missile), SHOT_FIRE_DOT | SHOT_ACID_DOT);  // no equipment
    EXPECT_EQ(agent->GetWeaponUpgradeBits(nullptr), SHOT_FIRE_DOT | SHOT_ACID_DOT);
    agent->EquipItem(Module(ITEM_UPGRADE_DOT_FIRE), 0);
    EXPECT_EQ(agent->GetWeaponUpgradeBits(&missile), SHOT_FIRE_DOT);  // the items decide now
    EXPECT_EQ(agent->GetWeaponUpgradeBits(&laser), 0u);
}

TEST_F(AgentEquipmentTest, WithoutAGunJointShotsLeaveAheadOfTheCentre)
{
    agent->SetPosition(Vec3(10.0f, 0.0f, 20.0f));
    Vec3 bare = agent->GetFirePoint(0);  // no mesh: the position
    EXPECT_FLOAT_EQ(bare.x, 10.0f);
    EXPECT_FLOAT_EQ(bare.z, 20.0f);
    agent->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
    agent->yaw = 90.0f;
    Vec3 point = agent->GetFirePoint(1);
    Vec3 centre = agent->GetCenter();
    EXPECT_NEAR(point.x, centre.x + 1.2f, 1e-4f);
    EXPECT_NEAR(point.y, centre.y, 1e-4f);
    EXPECT_NEAR(point.z, centre.z, 1e-4f);
}

TEST_F(AgentEquipmentTest, AGunJointIsMirroredTurnedAndScaledIntoTheWorld)
{
    agent->SetPosition(Vec3(10.0f, 0.0f, 20.0f));
    IndexedMesh* mesh = BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f);
    for (const char* name : {"Gun", "Gun2"}) {
        MeshJoint joint;
        snprintf(joint.name, sizeof joint.name, "%s", name);
        MatrixTranslation(&joint.bindMatrix, name[3] ? -3.0f : 1.0f, 2.0f, 3.0f);
        joint.worldMatrix = joint.bindMatrix;
        mesh->joints.push_back(joint);
    }
    agent->AdoptMesh(mesh);
    agent->scale = 2.0f;
    agent->yaw = 180.0f;
    MatrixRotationY(&agent->rotation, DegreesToRadians(180.0f));
    struct {
        int which;
        Vec3 expected;
    } cases[] = {{0, Vec3(10.0f + 2.0f, 4.0f, 20.0f - 6.0f)}, {1, Vec3(10.0f - 6.0f, 4.0f, 20.0f - 6.0f)}};
    for (const auto& c : cases) {
        Vec3 point = agent->GetFirePoint(c.which);
        EXPECT_NEAR(point.x, c.expected.x, 1e-4f) << c.which;
        EXPECT_NEAR(point.y, c.expected.y, 1e-4f) << c.which;
        EXPECT_NEAR(point.z, c.expected.z, 1e-4f) << c.which;
    }
}

}  // namespace
