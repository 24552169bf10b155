// An agent's hits, kills, experience, death and loot, in a small world with a recording
// listener for what the fights tell the player.
#include "host/Random.h"
#include "interface/MessageLists.h"
#include "campaign/PlayerProfile.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "terrain/MinimapPings.h"
#include "tests/support/Scoped.h"
#include "tests/world/WorldTestSupport.h"
#include "world/AgentCombat.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Recorder : CombatHooks {
    void CountStatistic(const char* name) override { ++counted[name]; }
    void RaiseStatistic(const char* name, int value) override
    {
        if (value > raised[name]) raised[name] = value;
    }
    int ArmourSkill() override { return armour; }
    int PlayerLevel() override { return level; }
    void FloatText(const char* text, const Vec3&) override { texts.push_back(text); }
    // Lines for the player reach the message bar, as the game's answer sends them.
    void TellPlayer(const char* text, float seconds) override
    {
        if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(text, seconds, 0);
    }
    void ThrowDebris(const Vec3&, int kind, bool extra, float) override { debris.push_back(kind * 10 + (extra ? 1 : 0)); }
    Item* RollItemDrop() override
    {
        if (!rolled) return nullptr;
        Item* item = new Item();
        item->kind = ITEM_KIND_WEAPON;
        CopyName(item, "rolled_gun");
        return item;
    }
    static void CopyName(Item* item, const char* name) { snprintf(item->name, sizeof item->name, "%s", name); }

    std::map<std::string, int> counted, raised;
    std::vector<std::string> texts;
    std::vector<int> debris;
    int armour = 0;
    int level = 0;
    bool rolled = true;
};

class AgentCombatTest : public WorldTest {
protected:
    Agent* Fighter(int alignment, float health = 100.0f)
    {
        Agent* agent = NewAgent(alignment);
        agent->maxHealth = agent->health = health;
        agent->visible = 1;  // no alerts unless a test asks for them
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    Item* Module(uint32_t upgrades, uint32_t specials)
    {
        items.push_back(std::make_unique<Item>());
        items.back()->upgradeFlags = upgrades;
        items.back()->specialFlags = specials;
        return items.back().get();
    }
    // A seed whose first roll of 1..10 is (or is not) at most limit.
    static unsigned SeedRolling(bool atMost, int limit)
    {
        for (unsigned seed = 1;; ++seed) {
            SRand(seed);
            if ((Rand() % 10 + 1 <= limit) == atMost) return seed;
        }
    }

    Recorder recorder;
    ScopedGlobal<CombatHooks*> hooks{TheCombatHooks, &recorder};
    std::vector<std::unique_ptr<Item>> items;
};

TEST_F(AgentCombatTest, ExperienceThresholdsAndLevels)
{
    const int thresholds[] = {0, 100, 200, 500, 1000, 1700, 2600, 3700, 5000, 6500, 8200};
    for (int level = 0; level <= 10; ++level) EXPECT_EQ(Agent::ExperienceForLevel(level), thresholds[level]);
    struct {
        int experience, level;
    } cases[] = {{0, 0}, {99, 0}, {100, 1}, {499, 2}, {500, 3}, {8199, 9}, {8200, 10}, {100000, 10}};
    for (const auto& c : cases) EXPECT_EQ(Agent::LevelForExperience(c.experience), c.level) << c.experience;
}

TEST_F(AgentCombatTest, ExperienceStopsAt8200)
{
    Agent* bot = Fighter(ALIGN_PLAYER);
    bot->botExperience = 8150;
    bot->botLevel = 9;
    bot->AddExperience(100);
    EXPECT_EQ(bot->botExperience, 8200);
    EXPECT_EQ(bot->botLevel, 10);
    ASSERT_EQ(recorder.texts.size(), 1u);
    EXPECT_EQ(recorder.texts[0], "+100 exp");
    bot->AddExperience(100);
    EXPECT_EQ(bot->botExperience, 8200);
    EXPECT_EQ(recorder.texts.size(), 1u);
    EXPECT_EQ(recorder.raised["highestBotLevel"], 10);
}

TEST_F(AgentCombatTest, LevelsRaiseTheBaseMaximumWithoutCompoundingBonuses)
{
    Agent* plain = Fighter(ALIGN_PLAYER);
    plain->botExperience = 450;
    plain->botLevel = 2;
    plain->health = 30.0f;
    plain->AddExperience(600);
    EXPECT_EQ(plain->botLevel, 4);
    EXPECT_FLOAT_EQ(plain->GetMaxHealth(), 120.0f);
    EXPECT_FLOAT_EQ(plain->health, 120.0f);

    // A 50% hull module and the 10% hull upgrade sit on top of the grown base.
    Agent* armoured = Fighter(ALIGN_PLAYER);
    Item* hull = Module(ITEM_UPGRADE_HULL, 0);
    hull->bonus[ITEM_BONUS_HULL] = 50.0f;
    armoured->EquipItem(hull, 0);
    armoured->upgradeFlags = BU_HULL_1;
    armoured->botExperience = 450;
    armoured->botLevel = 2;
    armoured->AddExperience(600);
    EXPECT_FLOAT_EQ(armoured->maxHealth, 120.0f);
    EXPECT_FLOAT_EQ(armoured->GetMaxHealth(), 120.0f * 1.6f);
    EXPECT_FLOAT_EQ(armoured->health, 120.0f * 1.6f);
}

TEST_F(AgentCombatTest, TypeFactorArmourAndResistances)
{
    struct {
        int composition;
        int type;
        uint32_t upgrades;
        uint32_t specials;
        float taken;
    } cases[] = {
        {COMPOSITION_BIOLOGICAL, WEAPON_LASER, 0, 0, 13.3f},
        {COMPOSITION_MECHANICAL, WEAPON_BALLISTIC, 0, 0, 13.3f},
        {COMPOSITION_BIOMECHANICAL, WEAPON_BALLISTIC, 0, 0, 13.3f},
        {COMPOSITION_BIOLOGICAL, WEAPON_NONE, 0, 0, 10.0f},  // raw damage
        {COMPOSITION_MECHANICAL, WEAPON_LASER, BU_ARMOR_1, 0, 9.0f},
        {COMPOSITION_MECHANICAL, WEAPON_LASER, BU_ARMOR_2, 0, 8.0f},
        {COMPOSITION_MECHANICAL, WEAPON_LASER, BU_ARMOR_3 | BU_ARMOR_1, 0, 7.0f},
        {COMPOSITION_MECHANICAL, WEAPON_FLAME, 0, ITEM_SPECIAL_RESIST_FIRE_1, 5.0f},
        {COMPOSITION_MECHANICAL, WEAPON_ACID, 0, ITEM_SPECIAL_RESIST_ACID_1, 5.0f},
        {COMPOSITION_MECHANICAL, WEAPON_ACID, 0, ITEM_SPECIAL_RESIST_FIRE_1, 10.0f},
    };
    for (const auto& c : cases) {
        Agent* agent = Fighter(ALIGN_NEUTRAL);
        agent->composition = c.composition;
        agent->upgradeFlags = c.upgrades;
        if (c.specials) agent->EquipItem(Module(0, c.specials), 0);
        agent->TakeDamage(10.0f, nullptr, nullptr, c.type, true);
        EXPECT_NEAR(agent->health, 100.0f - c.taken, 1e-3f) << c.composition << " " << c.type;
    }
}

TEST_F(AgentCombatTest, TheRigsArmourSkillTakesItsShare)
{
    Agent* rig = Fighter(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    recorder.armour = 3;
    rig->TakeDamage(10.0f, nullptr, nullptr, WEAPON_NONE, true);
    EXPECT_FLOAT_EQ(rig->health, 93.0f);
}

TEST_F(AgentCombatTest, AnEvadedHitLeavesTheAgentUntouched)
{
    Agent* shooter = Fighter(ALIGN_PLAYER);
    Agent* dodger = Fighter(ALIGN_ENEMY);
    dodger->EquipItem(Module(ITEM_UPGRADE_SHIELDS, ITEM_SPECIAL_CHANCE_TO_EVADE_2), 0);
    dodger->shield = 50.0f;
    SRand(SeedRolling(true, 2));
    dodger->TakeDamage(10.0f, shooter, nullptr, WEAPON_LASER, true);
    EXPECT_FLOAT_EQ(dodger->health, 100.0f);
    EXPECT_FLOAT_EQ(dodger->shield, 50.0f);
    EXPECT_EQ(dodger->threatCount, 0);
    ASSERT_EQ(recorder.texts.size(), 1u);
    EXPECT_EQ(recorder.texts[0], "Miss");

    SRand(SeedRolling(false, 2));
    dodger->TakeDamage(10.0f, shooter, nullptr, WEAPON_LASER, true);
    EXPECT_FLOAT_EQ(dodger->shield, 40.0f);
    EXPECT_EQ(dodger->threatCount, 1);
}

TEST_F(AgentCombatTest, AReflectedHitIsNeverReflectedAgain)
{
    Agent* a = Fighter(ALIGN_PLAYER);
    Agent* b = Fighter(ALIGN_ENEMY);
    a->EquipItem(Module(0, ITEM_SPECIAL_REFLECT_DAMAGE_2), 0);
    b->EquipItem(Module(0, ITEM_SPECIAL_REFLECT_DAMAGE_1), 0);
    b->TakeDamage(50.0f, a, nullptr, WEAPON_NONE, true);
    EXPECT_FLOAT_EQ(b->health, 50.0f);
    EXPECT_FLOAT_EQ(a->health, 95.0f);  // b's tenth, and no answer from a's own mirror
}

TEST_F(AgentCombatTest, AReflectionThatKillsCreditsTheReflector)
{
    Agent* attacker = Fighter(ALIGN_ENEMY, 4.0f);
    Agent* mirror = Fighter(ALIGN_PLAYER);
    mirror->EquipItem(Module(0, ITEM_SPECIAL_REFLECT_DAMAGE_2), 0);
    mirror->TakeDamage(30.0f, attacker, nullptr, WEAPON_NONE, true);
    EXPECT_TRUE(attacker->flags & ENTITY_DEAD);
    EXPECT_EQ(mirror->kills, 1);
    EXPECT_EQ(recorder.counted["enemiesKilled"], 1);
}

TEST_F(AgentCombatTest, TheAttackersWeaponItemDrainsFreezesAndSiphons)
{
    Agent* attacker = Fighter(ALIGN_PLAYER);
    attacker->health = 50.0f;
    Item* gun = Module(0, ITEM_SPECIAL_SHIELD_DRAIN_2 | ITEM_SPECIAL_FREEZE_2 | ITEM_SPECIAL_SIPHON_DAMAGE_2);
    WeaponDef weapon;
    weapon.type = WEAPON_ELECTRIC;
    weapon.damage = 10.0f;
    weapon.owner = gun;
    Agent* target = Fighter(ALIGN_ENEMY);
    target->flags |= ENTITY_SHIELD;
    target->maxShield = target->shield = 100.0f;
    // Both chances come up: the first two rolls are at most 2.
    unsigned seed = 1;
    for (;; ++seed) {
        SRand(seed);
        int first = Rand() % 10 + 1, second = Rand() % 10 + 1;
        if (first <= 2 && second <= 2) break;
    }
    SRand(seed);
    target->TakeDamage(10.0f, attacker, &weapon, 0, true);
    EXPECT_FLOAT_EQ(target->shield, 40.0f);  // half drained, then the hit
    EXPECT_FLOAT_EQ(target->freezeTime, 10.0f);
    EXPECT_FLOAT_EQ(attacker->health, 53.0f);
}

TEST_F(AgentCombatTest, CriticalHitsComeFromResearch)
{
    BuildItem* lab = Definition("lab", BUILD_RESEARCH_COMPUTER);
    lab->level = 20;  // every roll of 1..20 is a critical hit
    Built(lab)->researchKind = 5;
    Agent* bot = Fighter(ALIGN_PLAYER);
    Agent* enemy = Fighter(ALIGN_ENEMY, 200.0f);
    enemy->TakeDamage(10.0f, bot, nullptr, WEAPON_NONE, true);
    EXPECT_FLOAT_EQ(enemy->health, 200.0f - 10.0f - 100.0f);
    ASSERT_FALSE(recorder.texts.empty());
    EXPECT_EQ(recorder.texts.back(), "Critical 100");
    // Not for a stray shot, and never for the rig.
    enemy->TakeDamage(10.0f, bot, nullptr, WEAPON_NONE, false);
    EXPECT_FLOAT_EQ(enemy->health, 80.0f);
}

TEST_F(AgentCombatTest, TwoUnitsUnderAttackWithinTheIntervalGiveOneAlert)
{
    ScopedGlobal<int> last{LastUnderAttackAlertFrame, FrameTimer.GetFrameCount() - UNDER_ATTACK_ALERT_TICKS - 1};
    Agent* a = Fighter(ALIGN_PLAYER);
    Agent* b = Fighter(ALIGN_PLAYER);
    a->visible = b->visible = 0;
    TheMinimap.pings.RemoveAll();
    a->TakeDamage(1.0f, nullptr, nullptr, WEAPON_NONE, true);
    b->TakeDamage(1.0f, nullptr, nullptr, WEAPON_NONE, true);
    EXPECT_EQ(game.messageBar->count, 1);
    ASSERT_NE(game.messageBar->head, nullptr);
    EXPECT_STREQ(game.messageBar->head->text, "A unit is under attack!");
    ASSERT_EQ(TheMinimap.pings.list.count, 1);
    EXPECT_EQ(TheMinimap.pings.list.head->value.kind, PING_DAMAGE);
    EXPECT_EQ(TheMinimap.pings.list.head->value.entityId, (int)a->id);
    TheMinimap.pings.RemoveAll();
}

TEST_F(AgentCombatTest, TheRigsHullFailingInAFightTellsThePilotToPullBack)
{
    ScopedGlobal<int> last{LastPullBackAlertFrame, WorldStepCount() - PULL_BACK_ALERT_TICKS - 1};
    Agent* rig = Fighter(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    Agent* bot = Fighter(ALIGN_PLAYER);
    Agent* enemy = Fighter(ALIGN_ENEMY);
    const auto pullBacks = [&] {
        int count = 0;
        for (auto* message = game.messageBar->head; message; message = message->next)
            count += strcmp(message->text, PULL_BACK_MESSAGE) == 0;
        return count;
    };
    const struct {
        const char* what;
        Agent* victim;
        Entity* attacker;
        float hit;
        int told;  // the calls to pull back so far
    } hits[] = {
        {"the rig's hull still holds", rig, enemy, 60.0f, 0},
        {"a bot's hull fails", bot, enemy, 70.0f, 0},
        {"a stray hit of its own side", rig, bot, 10.0f, 0},
        {"a foe takes the rig's hull below a third", rig, enemy, 10.0f, 1},
        {"again within the interval", rig, enemy, 5.0f, 1},
    };
    for (const auto& h : hits) {
        SCOPED_TRACE(h.what);
        h.victim->TakeDamage(h.hit, h.attacker, nullptr, WEAPON_NONE, true);
        EXPECT_EQ(pullBacks(), h.told);
    }
}

TEST_F(AgentCombatTest, EnemiesRememberWhoHurtThem)
{
    Agent* enemy = Fighter(ALIGN_ENEMY);
    Agent* shooters[5];
    for (Agent*& shooter : shooters) shooter = Fighter(ALIGN_PLAYER);
    shooters[4]->classWord |= AGENT_CLOAKED;
    enemy->TakeDamage(3.0f, shooters[0], nullptr, WEAPON_NONE, true);
    enemy->TakeDamage(4.0f, shooters[0], nullptr, WEAPON_NONE, true);
    enemy->TakeDamage(5.0f, shooters[4], nullptr, WEAPON_NONE, true);  // unseen
    ASSERT_EQ(enemy->threatCount, 1);
    EXPECT_EQ(enemy->threats[0].attacker.Get(), shooters[0]);
    EXPECT_FLOAT_EQ(enemy->threats[0].threat, 7.0f);
}

TEST_F(AgentCombatTest, AnIdleEnemyTurnsOnWhoeverShotIt)
{
    Agent* shooter = Standing(Fighter(ALIGN_PLAYER), 30, 10);
    Agent* idle = Standing(Fighter(ALIGN_ENEMY), 10, 10);
    Agent* busy = Standing(Fighter(ALIGN_ENEMY), 10, 14);
    busy->target.Set(shooter);
    Agent* bot = Standing(Fighter(ALIGN_PLAYER), 10, 18);
    for (Agent* hit : {idle, busy, bot}) hit->TakeDamage(1.0f, shooter, nullptr, WEAPON_NONE, true);
    EXPECT_TRUE(idle->HasStanceBits());
    EXPECT_FALSE(busy->HasStanceBits());
    EXPECT_FALSE(bot->HasStanceBits());
}

TEST_F(AgentCombatTest, KillsCountAndEarnExperienceByTheDamageCompared)
{
    struct {
        float killerDamage, victimDamage;
        int experience;
    } cases[] = {
        {10, 10, 175},  // 75 + 400 / 4
        {10, 16, 262},  // x1.5
        {10, 14, 218},  // x1.25
        {10, 8, 131},   // x0.75
        {10, 5, 87},    // x0.5
    };
    for (const auto& c : cases) {
        Agent* bot = Fighter(ALIGN_PLAYER);
        bot->classWord |= AGENT_CLASS_LEVELLING;
        bot->damage = c.killerDamage;
        Agent* victim = Fighter(ALIGN_ENEMY, 400.0f);
        victim->damage = c.victimDamage;
        bot->AddKill(victim);
        EXPECT_EQ(bot->kills, 1);
        EXPECT_EQ(bot->botExperience, c.experience) << c.victimDamage;
    }
    EXPECT_EQ(recorder.counted["groundBotKills"], 5);
    EXPECT_EQ(recorder.raised["highestBotKills"], 1);

    // The rig counts its own kills; nobody learns from killing a neutral.
    Agent* rig = Fighter(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    rig->classWord |= AGENT_CLASS_AIR_UNIT | AGENT_CLOAKED;
    rig->AddKill(Fighter(ALIGN_ENEMY));
    EXPECT_EQ(recorder.counted["rigKills"], 1);
    EXPECT_EQ(recorder.counted["cloakedKills"], 1);
    EXPECT_EQ(recorder.counted["airKills"], 0);
    // The rig's panel counts what the results call its kills: a tent it razes is in neither,
    // while a bot's own tally keeps what it razed.
    Entity tent;
    tent.alignment = ALIGN_ENEMY;
    tent.flags |= ENTITY_BUILDING;
    rig->AddKill(&tent);
    EXPECT_EQ(rig->kills, 1);
    EXPECT_EQ(recorder.counted["rigKills"], 1);
    Agent* gunner = Fighter(ALIGN_PLAYER);
    gunner->AddKill(&tent);
    EXPECT_EQ(gunner->kills, 1);
    Agent* bot = Fighter(ALIGN_PLAYER);
    bot->classWord |= AGENT_CLASS_LEVELLING;
    bot->AddKill(Fighter(ALIGN_NEUTRAL));
    EXPECT_EQ(bot->botExperience, 0);
}

TEST_F(AgentCombatTest, DeathCountsThrowsDebrisOnce)
{
    struct {
        int alignment;
        uint32_t classBits;
        int composition;
        int brain;
        std::vector<int> debris;
        const char* statistic;
    } cases[] = {
        {ALIGN_ENEMY, 0, COMPOSITION_BIOLOGICAL, BRAIN_CREATURE, {DEBRIS_BIOLOGICAL * 10}, "creaturesKilled"},
        {ALIGN_ENEMY, 0, COMPOSITION_BIOMECHANICAL, BRAIN_ENEMY, {DEBRIS_BIOMECHANICAL * 10}, "enemiesKilled"},
        {ALIGN_PLAYER, AGENT_CLASS_MINER, COMPOSITION_MECHANICAL, 0, {DEBRIS_MINER * 10 + 1}, "unitsLost"},
        {ALIGN_PLAYER, 0, COMPOSITION_MECHANICAL, 0, {DEBRIS_BOT * 10 + 1, DEBRIS_MECHANICAL * 10}, "unitsLost"},
        {ALIGN_PLAYER, AGENT_CLASS_HEAVY, COMPOSITION_MECHANICAL, 0, {DEBRIS_MECHANICAL * 10}, "unitsLost"},
    };
    for (const auto& c : cases) {
        recorder = Recorder();
        Agent* agent = Fighter(c.alignment);
        agent->classWord |= c.classBits;
        agent->composition = c.composition;
        agent->brainKind = c.brain;
        agent->Die(nullptr);
        agent->Die(nullptr);
        EXPECT_TRUE(agent->flags & ENTITY_DEAD);
        EXPECT_EQ(recorder.debris, c.debris) << c.statistic;
        EXPECT_EQ(recorder.counted[c.statistic], 1) << c.statistic;
    }
}

TEST_F(AgentCombatTest, ABossDropsLootOverTheMiddleOfItsCell)
{
    const char* crates[] = {"ore_crate", "fuel_container", "credits_crate", "bot_experience", "health_cannister",
                            "shield_cannister", "detector_crate", "mine_crate", "freeze_crate"};
    for (const char* name : crates) {
        Item* definition = new Item();
        Recorder::CopyName(definition, name);
        game.items->items.PushBack(definition);
    }
    // Seeds for a crate (a roll of 0) and for a random item.
    unsigned crateSeed = 1, rollSeed = 1;
    while (SRand(crateSeed), Rand() % 4 != 0) ++crateSeed;
    while (SRand(rollSeed), Rand() % 4 == 0) ++rollSeed;

    for (unsigned seed : {crateSeed, rollSeed}) {
        Agent* boss = Fighter(ALIGN_ENEMY);
        boss->classWord |= AGENT_CLASS_BOSS_DROPS_ITEM;
        boss->SetPosition(Vec3(Corner(10, 12).x + 0.3f, 0.0f, Corner(10, 12).z + 2.0f));
        SRand(seed);
        boss->Die(nullptr);
        Entity* loot = TheScene.FirstEntity(SEGMENTS_ITEMS);
        TheScene.EndIteration();
        ASSERT_NE(loot, nullptr);
        Item* item = static_cast<Item*>(loot);
        Vec3 at = item->GetPosition();
        EXPECT_FLOAT_EQ(at.x, Corner(10, 12).x + 1.25f);
        EXPECT_FLOAT_EQ(at.z, Corner(10, 12).z + 1.25f);
        if (seed == rollSeed) {
            EXPECT_STREQ(item->name, "rolled_gun");
            EXPECT_TRUE(item->itemFlags & ITEM_FLAG_ROLLED);
            EXPECT_FLOAT_EQ(item->scale, 2.0f);
            EXPECT_FLOAT_EQ(at.y, 1.0f);
        } else {
            bool known = false;
            for (const char* name : crates) known |= strcmp(item->name, name) == 0;
            EXPECT_TRUE(known) << item->name;
            EXPECT_FLOAT_EQ(at.y, 0.1f);
        }
        TheScene.RemoveEntity(item, REMOVE_EVERYWHERE);
        delete item;
    }
    // A boss whose roll finds nothing leaves nothing.
    recorder.rolled = false;
    Agent* boss = Fighter(ALIGN_ENEMY);
    boss->classWord |= AGENT_CLASS_BOSS_DROPS_ITEM;
    SRand(rollSeed);
    boss->Die(nullptr);
    EXPECT_EQ(TheScene.FirstEntity(SEGMENTS_ITEMS), nullptr);
    TheScene.EndIteration();
}

TEST_F(AgentCombatTest, OnlyThePlayersBotsWeakenBeyondUnitControl)
{
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<int> used{profile->unitsInUse, 5};
    ScopedGlobal<int> allowed{profile->unitControl, 4};
    Agent* bot = Fighter(ALIGN_PLAYER);
    Agent* enemy = Fighter(ALIGN_ENEMY);
    Agent* rig = Fighter(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    EXPECT_FLOAT_EQ(bot->GetDamage(nullptr), 5.0f);
    EXPECT_FLOAT_EQ(enemy->GetDamage(nullptr), 10.0f);
    EXPECT_FLOAT_EQ(rig->GetDamage(nullptr), 10.0f);
}

}  // namespace

TEST_F(AgentCombatTest, TheRangeSkillLengthensOnlyTheRigsReach)
{
    Agent* bot = Fighter(ALIGN_PLAYER);
    Agent* rig = Fighter(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    bot->attackRange = rig->attackRange = 20.0f;
    ScopedGlobal<int> skill{GetPlayerProfile()->skills[PLAYER_SKILL_RANGE], 4};
    EXPECT_FLOAT_EQ(rig->GetAttackRange(), 22.0f) << "half a unit a point";
    EXPECT_FLOAT_EQ(bot->GetAttackRange(), 20.0f) << "a bot keeps its own";
}
