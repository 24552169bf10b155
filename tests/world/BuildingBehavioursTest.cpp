// Each kind of building at work in a small level: a deep mine draws fuel until its patch is
// spent, a camp spawns up to its limits, a factory queues, cancels, produces and sends units to
// the rally point, a turret picks and tracks the nearest enemy it can hit, a health node heals,
// an upgrader and a recycler finish with the unit they hold, research counts down.
#include "platform/Timer.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "tests/world/BuildingTestSupport.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/AgentTypeRegistry.h"
#include "world/ProjectileSystem.h"
#include "platform/MathUtil.h"
#include "platform/StringTable.h"
#include "world/MissionHooks.h"
#include "world/WeaponDef.h"
#include "world/WorldQueries.h"

#include <cmath>
#include <map>
#include <string>
#include <vector>
#include <cstring>

namespace {

class BuildingBehaviours : public BuildingWorld {
protected:
    // A unit of the type, in the level at cell (column, row).
    Agent* Unit(const char* type, int column, int row)
    {
        Agent* agent = TheScene.CreateAgent(type, false);
        EXPECT_NE(agent, nullptr);
        if (!agent) return nullptr;
        agent->SetPosition(Corner(column, row));
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    // Agents of the pool in the level (the level's own, not the prototypes).
    int AgentsInLevel(int alignment)
    {
        int count = 0;
        for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT, SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
            for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
                if (node->value && (node->value->flags & ENTITY_AGENT) && node->value->alignment == alignment) ++count;
        return count;
    }
    // What the fights tell the player's record and the screen.
    struct Recorder : CombatHooks {
        std::map<std::string, int> counts;
        std::vector<std::string> texts;
        std::vector<int> debris;
        void CountStatistic(const char* name) override { ++counts[name]; }
        void FloatText(const char* text, const Vec3&) override { texts.push_back(text); }
        // Lines for the player reach the message bar, as the game's answer sends them.
        void TellPlayer(const char* text, float seconds) override
        {
            if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(text, seconds, 0);
        }
        void UnitTakenIn(Building* upgrader) override { takenIn.push_back(upgrader); }
        std::vector<Building*> takenIn;
        void ThrowDebris(const Vec3&, int kind, bool, float size) override
        {
            debris.push_back(kind);
            debrisSize = size;
        }
        float debrisSize = 0.0f;
    } record;
    ScopedGlobal<CombatHooks*> installedHooks{TheCombatHooks, &record};
    MessageBar bar;
    ScopedGlobal<MessageBar*> installedBar{game.messageBar, &bar};
};

}  // namespace

TEST_F(BuildingBehaviours, ADeepMineDrawsFuelByLevelPowerResearchAndNode)
{
    struct Case {
        int level;
        bool shortPower;
        int research;
        int node;
        float perSecond;
    } cases[] = {
        {1, false, 0, 0, 2.0f}, {2, false, 0, 0, 3.0f}, {2, true, 0, 0, 1.5f},
        {1, false, 1, 0, 2.4f}, {1, false, 0, 2, 2.4f}, {1, true, 1, 1, 1.1f},  // research counts nothing on short power
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " short " << c.shortPower << " research "
                                        << c.research << " node " << c.node);
        TheScene.ReleaseEntities();
        GetPlayerProfile()->Clear();
        ledger.Reset();
        if (c.shortPower) ledger.demand = 30.0f;
        // Research is counted by the Scene's own tally of power.
        TheScene.unitControl.demand = c.shortPower ? 30.0f : 0.0f;
        BuildItem* lab = Definition("lab", BUILD_RESEARCH_COMPUTER);
        lab->level = c.research;
        if (c.research > 0) Put(lab, ALIGN_PLAYER, 40, 40)->researchKind = 6;
        BuildItem* drill = Definition("drill", BUILD_DEEP_MINE);
        drill->level = c.level;
        Building* mine = Put(drill, ALIGN_PLAYER, 10, 10);
        const uint32_t nodeBits[] = {0, BUILDING_POWER_LEVEL_1, BUILDING_POWER_LEVEL_2, BUILDING_POWER_LEVEL_3};
        mine->stateFlags |= nodeBits[c.node];
        Entity* patch = NewEntity(ENTITY_FUEL);
        patch->SetMaxHealth(1000.0f);
        patch->SetHealth(1000.0f);
        ASSERT_NE(TheScene.AddEntity(patch), nullptr);
        mine->linkedEntity.Set(patch);
        for (int second = 0; second < 3; ++second) mine->UpdateDeepMine(1.0f);
        EXPECT_NEAR(GetPlayerProfile()->fuel, 3.0f * c.perSecond, 1e-4f);
        float amount = (c.level <= 1 ? 2.0f : 3.0f) * (c.shortPower ? 0.5f : 1.0f);
        EXPECT_NEAR(patch->health, 1000.0f - 3.0f * amount, 1e-3f) << "the patch loses the base amount";
    }
    TheScene.unitControl.demand = 0.0f;
}

TEST_F(BuildingBehaviours, AMineWithoutAPatchDrawsNothingAndASpentPatchStopsIt)
{
    BuildItem* drill = Definition("drill", BUILD_DEEP_MINE);
    Building* lonely = Put(drill, ALIGN_PLAYER, 10, 10);
    lonely->UpdateDeepMine(1.0f);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->fuel, 0.0f);

    Building* mine = Put(drill, ALIGN_PLAYER, 20, 10);
    Entity* patch = NewEntity(ENTITY_FUEL);
    patch->SetMaxHealth(10.0f);
    patch->SetHealth(5.5f);
    ASSERT_NE(TheScene.AddEntity(patch), nullptr);
    mine->linkedEntity.Set(patch);
    mine->UpdateDeepMine(1.0f);
    EXPECT_FLOAT_EQ(patch->health, 3.5f);
    mine->UpdateDeepMine(1.0f);
    mine->UpdateDeepMine(1.0f);
    EXPECT_FLOAT_EQ(patch->health, 0.1f) << "a patch is never mined away";
    EXPECT_TRUE(mine->stateFlags & BUILDING_VENT_DEPLETED);
    float fuel = GetPlayerProfile()->fuel;
    mine->UpdateDeepMine(1.0f);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->fuel, fuel) << "depleted for good";
}

TEST_F(BuildingBehaviours, ACampSpawnsUpToItsLimitsAndEndsAtItsTotal)
{
    DefineUnit("scav", ALIGN_ENEMY);
    struct Case {
        int difficulty, together, total, spawnedAfterTen;
        bool exhausted;
        float health;  // of each one bred, by the difficulty's share
    } cases[] = {
        {0, 1, 5, 0, false, 0.0f},  // the limit is 0: never a spawn
        {0, 2, 5, 1, false, 200.0f / 3.0f},
        {1, 2, 5, 2, false, 100.0f},
        {2, 2, 5, 3, false, 400.0f / 3.0f},
        {2, 5, 2, 2, true, 400.0f / 3.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "difficulty " << c.difficulty << " together " << c.together);
        TheScene.ReleaseEntities();
        config.Difficulty = c.difficulty;
        BuildItem* nest = Definition("nest", BUILD_SPAWNPOINT);
        CopyText(nest->spawnType, sizeof nest->spawnType, "scav");
        nest->spawnCounts[0] = c.together;
        nest->spawnCounts[1] = c.total;
        nest->spawnInterval = 1.0f;
        Building* camp = Put(nest, ALIGN_ENEMY, 30, 30);
        for (int i = 0; i < 100; ++i) camp->UpdateSpawner(0.1f);
        EXPECT_EQ(camp->spawnedTotal, c.spawnedAfterTen);
        EXPECT_EQ(AgentsInLevel(ALIGN_ENEMY), c.spawnedAfterTen);
        EXPECT_EQ(camp->agents.count, c.spawnedAfterTen);
        EXPECT_EQ((camp->stateFlags & BUILDING_SPAWNER_EXHAUSTED) != 0, c.exhausted);
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ENEMY_UNIT); node; node = TheScene.NextInList(node)) {
            Agent* agent = static_cast<Agent*>(node->value);
            EXPECT_EQ(agent->spawner.Get(), camp);
            EXPECT_TRUE(agent->classWord & AGENT_SPAWNED);
            EXPECT_TRUE(agent->flags & ENTITY_PLACED);
            EXPECT_FLOAT_EQ(agent->GetMaxHealth(), c.health);
            EXPECT_FLOAT_EQ(agent->health, c.health);
        }
    }
    // One of the camp's falls: the camp makes another after its interval.
    TheScene.ReleaseEntities();
    config.Difficulty = 1;
    BuildItem* nest = Definition("nest2", BUILD_SPAWNPOINT);
    CopyText(nest->spawnType, sizeof nest->spawnType, "scav");
    nest->spawnCounts[0] = 1;
    nest->spawnCounts[1] = 10;
    nest->spawnInterval = 1.0f;
    Building* camp = Put(nest, ALIGN_ENEMY, 30, 30);
    for (int i = 0; i < 30; ++i) camp->UpdateSpawner(0.1f);
    ASSERT_EQ(camp->spawnedTotal, 1);
    camp->agents.head->value->flags |= ENTITY_DEAD;
    for (int i = 0; i < 30; ++i) camp->UpdateSpawner(0.1f);
    EXPECT_EQ(camp->spawnedTotal, 2);
}

TEST_F(BuildingBehaviours, AFactoryQueuesCancelsTheLastOrderAndProducesToTheRallyPoint)
{
    AgentType* tank = DefineUnit("tank", ALIGN_PLAYER, 50, 10, 4.0f);
    AgentType* scout = DefineUnit("scout", ALIGN_PLAYER, 20, 0, 2.0f);
    PlayerProfile* profile = GetPlayerProfile();
    profile->ore = 500.0f;
    profile->fuel = 100.0f;
    profile->unitControl = 10;
    BuildItem* works = Definition("works", BUILD_UNIT_FACTORY);
    Building* factory = Put(works, ALIGN_PLAYER, 20, 20);
    factory->GetFootprintBounds(nullptr, nullptr);

    EXPECT_STREQ(factory->QueueUnit(tank), "blip");
    EXPECT_FLOAT_EQ(factory->productionTimer, 4.0f) << "the first order sets the clock";
    EXPECT_STREQ(factory->QueueUnit(scout), "blip");
    EXPECT_STREQ(factory->QueueUnit(scout), "blip");
    EXPECT_FLOAT_EQ(factory->productionTimer, 4.0f) << "later orders leave it alone";
    EXPECT_FLOAT_EQ(profile->ore, 500.0f - 90.0f);
    EXPECT_FLOAT_EQ(profile->fuel, 90.0f);
    EXPECT_EQ(profile->unitsInUse, 3);

    // Cancel takes the last order back; the tank in production keeps its progress.
    factory->productionTimer = 1.5f;
    factory->CancelQueuedUnit();
    EXPECT_EQ(factory->buildQueue->count, 2);
    EXPECT_EQ(factory->buildQueue->head->value, tank);
    EXPECT_EQ(factory->buildQueue->tail->value, scout);
    EXPECT_FLOAT_EQ(factory->productionTimer, 1.5f);
    EXPECT_FLOAT_EQ(profile->ore, 500.0f - 70.0f);
    EXPECT_EQ(profile->unitsInUse, 2);

    // Produced: the head comes out beside the factory and walks to the rally point.
    factory->rallyPoint = Corner(30, 20);
    factory->stateFlags |= BUILDING_RALLY_POINT;
    factory->UpdateFactory(1.0f);
    EXPECT_EQ(AgentsInLevel(ALIGN_PLAYER), 0);
    factory->UpdateFactory(1.0f);
    ASSERT_EQ(AgentsInLevel(ALIGN_PLAYER), 1);
    Agent* made = static_cast<Agent*>(TheScene.FirstInList(SEGMENT_UNIT)->value);
    EXPECT_STREQ(made->name, "tank");
    EXPECT_TRUE(made->classWord & AGENT_CLASS_LEVELLING);
    EXPECT_LT(made->DistanceTo(factory->GetCenter()), 5.0f);
    Vec3 order;
    ASSERT_TRUE(made->moveQueue.Pop(&order)) << "sent on as soon as it stands";
    EXPECT_TRUE(Vec3NearEqual(order, factory->rallyPoint, 0.001f));
    EXPECT_EQ(factory->buildQueue->count, 1);
    EXPECT_FLOAT_EQ(factory->productionTimer, 2.0f) << "the next order's time";

    // The last order cancelled: the clock stops.
    factory->CancelQueuedUnit();
    EXPECT_EQ(factory->buildQueue->count, 0);
    EXPECT_FLOAT_EQ(factory->productionTimer, 0.0f);
    factory->CancelQueuedUnit();  // nothing left: nothing happens
    EXPECT_EQ(factory->buildQueue->count, 0);
}

TEST_F(BuildingBehaviours, OrdersBeyondControlMeansOrRoomAreRefused)
{
    AgentType* tank = DefineUnit("tank", ALIGN_PLAYER, 50, 0, 4.0f);
    PlayerProfile* profile = GetPlayerProfile();
    StringTable strings;  // the refusals tell the player what to build, in the game's words
    ASSERT_TRUE(strings.Init());
    ScopedGlobal<StringTable*> installed{Strings, &strings};
    BuildItem* works = Definition("works", BUILD_UNIT_FACTORY);
    Building* factory = Put(works, ALIGN_PLAYER, 20, 20);
    struct Case {
        int inUse, control, cap;
        float ore;
        int state;
        const char* sound;
        const char* message;
    } cases[] = {
        {4, 4, 50, 500.0f, BUILD_STATE_READY, "bad", "build a Control tower"},
        {50, 60, 50, 500.0f, BUILD_STATE_READY, "bad", UNIT_CAP_MESSAGE},
        {0, 4, 50, 49.0f, BUILD_STATE_READY, "bad", nullptr},
        {0, 4, 50, 500.0f, BUILD_STATE_CONSTRUCTING, "bad", nullptr},
        {3, 4, 50, 500.0f, BUILD_STATE_READY, "blip", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inUse << " of " << c.control << ", ore " << c.ore);
        bar.Clear();
        profile->unitsInUse = c.inUse;
        profile->unitControl = c.control;
        profile->maxUnitControl = c.cap;
        profile->ore = c.ore;
        factory->buildState = c.state;
        if (factory->buildQueue) factory->buildQueue->Clear();
        EXPECT_STREQ(factory->QueueUnit(tank), c.sound);
        EXPECT_EQ(factory->buildQueue ? factory->buildQueue->count : 0, strcmp(c.sound, "blip") == 0 ? 1 : 0);
        if (c.message) {
            ASSERT_EQ(bar.count, 1);
            EXPECT_NE(strstr(bar.head->text, c.message), nullptr) << bar.head->text;
        } else {
            EXPECT_EQ(bar.count, 0);
        }
    }
    // A full queue of eight takes nothing and costs nothing.
    profile->unitsInUse = 0;
    profile->unitControl = 50;
    profile->ore = 10000.0f;
    factory->buildQueue->Clear();
    for (int i = 0; i < 9; ++i) EXPECT_STREQ(factory->QueueUnit(tank), "blip");
    EXPECT_EQ(factory->buildQueue->count, 8);
    EXPECT_FLOAT_EQ(profile->ore, 10000.0f - 8 * 50.0f);
}

TEST_F(BuildingBehaviours, ATurretTakesTheNearestEnemyInRangeAndTurnsToIt)
{
    DefineUnit("raider", ALIGN_ENEMY);
    BuildItem* gun = Definition("gun", BUILD_TURRET);
    gun->weapon = WEAPON_LASER;
    Building* turret = Put(gun, ALIGN_PLAYER, 40, 40);
    Agent* far = Unit("raider", 40, 60);  // 50 units off
    turret->UpdateTurretTargeting(0.1f);
    EXPECT_EQ(turret->linkedEntity.Get(), nullptr) << "out of range";
    Agent* near = Unit("raider", 46, 40);  // 15 units east
    turret->UpdateTurretTargeting(0.1f);
    EXPECT_EQ(turret->linkedEntity.Get(), near);
    (void)far;

    // Turning: 60 degrees a second toward the heading of the target (east is 90).
    turret->headAngle = 0.0f;
    for (int i = 0; i < 10; ++i) turret->UpdateTurretAim(0.1f);
    EXPECT_NEAR(turret->headAngle, 60.0f, 0.01f);
    for (int i = 0; i < 10; ++i) turret->UpdateTurretAim(0.1f);
    EXPECT_NEAR(turret->headAngle, 90.0f, 1.0f);

    // Aimed and ready: a missile turret shoots every three seconds, and so does a pulse turret.
    ProjectileSystem shots;
    shots.Init();
    shots.LoadResources();
    ScopedGlobal<ProjectileSystem*> installedShots(TheProjectiles, &shots);
    gun->weapon = WEAPON_MISSILE;
    turret->actionTimer = 3.5f;
    turret->UpdateTurretAim(0.1f);
    EXPECT_EQ(shots.ActiveProjectiles(), 1);
    EXPECT_FLOAT_EQ(turret->actionTimer, 0.0f);
    turret->actionTimer = 2.9f;
    turret->UpdateTurretAim(0.1f);
    EXPECT_EQ(shots.ActiveProjectiles(), 1) << "not yet";
    gun->weapon = WEAPON_PULSE;
    turret->actionTimer = 3.5f;
    turret->UpdateTurretAim(0.1f);
    EXPECT_EQ(shots.ActiveProjectiles(), 2) << "a pulse turret fires its bolt";
    shots.Clear();
    gun->weapon = WEAPON_LASER;

    // A dead target is dropped.
    near->flags |= ENTITY_DEAD;
    turret->UpdateTurretTargeting(0.1f);
    EXPECT_EQ(turret->linkedEntity.Get(), nullptr);

    // Flame and mortar turrets never take air units; the others do.
    Agent* flyer = Unit("raider", 44, 40);
    flyer->classWord |= AGENT_CLASS_AIR_UNIT;
    for (int weapon : {WEAPON_FLAME, WEAPON_MORTAR, WEAPON_MISSILE}) {
        gun->weapon = weapon;
        turret->linkedEntity.Clear();
        turret->UpdateTurretTargeting(0.1f);
        bool groundOnly = weapon != WEAPON_MISSILE;
        EXPECT_EQ(turret->linkedEntity.Get(), groundOnly ? nullptr : flyer) << weapon;
    }
}

TEST_F(BuildingBehaviours, AHealthNodeHealsItsOwnSideNearby)
{
    DefineUnit("bot", ALIGN_PLAYER);
    DefineUnit("raider", ALIGN_ENEMY);
    Building* node = Put(Definition("medic", BUILD_HEALTH_NODE), ALIGN_PLAYER, 40, 40);
    Agent* near = Unit("bot", 41, 40);
    Agent* far = Unit("bot", 45, 40);
    Agent* enemy = Unit("raider", 41, 41);
    for (Agent* agent : {near, far, enemy}) agent->SetHealth(50.0f);
    node->UpdateHealthNode(1.0f);
    EXPECT_FLOAT_EQ(near->health, 55.0f);
    EXPECT_TRUE(near->classWord & AGENT_HEALING);
    EXPECT_FLOAT_EQ(far->health, 50.0f);
    EXPECT_FLOAT_EQ(enemy->health, 50.0f);
    near->SetHealth(99.0f);
    node->UpdateHealthNode(1.0f);
    EXPECT_FLOAT_EQ(near->health, 100.0f) << "never above the maximum";
    ledger.demand = 100.0f;
    near->SetHealth(50.0f);
    node->UpdateHealthNode(1.0f);
    EXPECT_FLOAT_EQ(near->health, 50.0f) << "no healing on short power";
}

TEST_F(BuildingBehaviours, AnUpgraderFinishesAndLetsTheUnitOut)
{
    DefineUnit("bot", ALIGN_PLAYER);
    Building* upgrader = Put(Definition("upgrader", BUILD_UNIT_UPGRADER), ALIGN_PLAYER, 40, 40);
    upgrader->GetFootprintBounds(nullptr, nullptr);
    Agent* bot = Unit("bot", 41, 40);
    bot->SetHealth(30.0f);
    TheScene.UnlinkEntity(bot);  // inside the upgrader, out of the level
    upgrader->linkedEntity.Set(bot);
    upgrader->chosenUpgrades = UNIT_UPGRADE_SHIELD_1 | UNIT_UPGRADE_HULL_2;
    bot->processTimer = 1.0f;
    upgrader->UpdateUpgrader(0.6f);
    EXPECT_EQ(upgrader->HeldUnit(), bot);
    upgrader->UpdateUpgrader(0.6f);
    EXPECT_EQ(upgrader->HeldUnit(), nullptr);
    EXPECT_FLOAT_EQ(bot->shield, 50.0f);
    EXPECT_TRUE(bot->flags & ENTITY_SHIELD);
    EXPECT_FLOAT_EQ(bot->health, bot->GetMaxHealth());
    EXPECT_EQ(bot->upgradeFlags, UNIT_UPGRADE_SHIELD_1 | UNIT_UPGRADE_HULL_2);
    EXPECT_EQ(upgrader->chosenUpgrades, 0u);
    EXPECT_EQ(TheScene.Resolve(bot, bot->id), bot) << "back in the level";
    EXPECT_LT(bot->DistanceTo(upgrader->GetCenter()), 5.0f);
}

// Taking a unit in is the world's: the unit leaves the level for the building, a unit already
// inside comes out first, the choices start empty, and the player's side is told to offer them.
TEST_F(BuildingBehaviours, AnUpgraderTakesAUnitInAndTellsThePlayersSide)
{
    DefineUnit("bot", ALIGN_PLAYER);
    Building* upgrader = Put(Definition("upgrader", BUILD_UNIT_UPGRADER), ALIGN_PLAYER, 40, 40);
    upgrader->GetFootprintBounds(nullptr, nullptr);
    Agent* first = Unit("bot", 41, 40);
    Agent* second = Unit("bot", 43, 40);
    upgrader->chosenUpgrades = UNIT_UPGRADE_SHIELD_1;
    upgrader->TakeUnitIn(first);
    EXPECT_EQ(upgrader->HeldUnit(), first);
    EXPECT_EQ(upgrader->chosenUpgrades, 0u);
    EXPECT_EQ(TheScene.Resolve(first, first->id), nullptr) << "inside, out of the level's lists";
    upgrader->chosenUpgrades = UNIT_UPGRADE_SHIELD_1;
    upgrader->TakeUnitIn(second);
    EXPECT_EQ(upgrader->HeldUnit(), second);
    EXPECT_EQ(upgrader->chosenUpgrades, 0u);
    EXPECT_EQ(TheScene.Resolve(first, first->id), first) << "the unit inside came out first";
    EXPECT_EQ(record.takenIn, (std::vector<Building*>{upgrader, upgrader}));
}

TEST_F(BuildingBehaviours, AnUpgraderThatFallsPaysBackARunningUpgrade)
{
    DefineUnit("bot", ALIGN_PLAYER);
    struct Case {
        float timer;
        float ore, fuel;
    } cases[] = {{4.0f, 150.0f, 75.0f}, {0.0f, 0.0f, 0.0f}};  // shields 1 and hull 2: 300
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timer);
        TheScene.ReleaseEntities();
        GetPlayerProfile()->Clear();
        Building* upgrader = Put(Definition("upgrader", BUILD_UNIT_UPGRADER), ALIGN_PLAYER, 40, 40);
        upgrader->GetFootprintBounds(nullptr, nullptr);
        Agent* bot = Unit("bot", 41, 40);
        TheScene.UnlinkEntity(bot);
        upgrader->linkedEntity.Set(bot);
        upgrader->chosenUpgrades = UNIT_UPGRADE_SHIELD_1 | UNIT_UPGRADE_HULL_2;
        bot->processTimer = c.timer;
        upgrader->health = 0.0f;
        upgrader->flags |= ENTITY_DEAD;
        upgrader->Die(nullptr);
        EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, c.ore);
        EXPECT_FLOAT_EQ(GetPlayerProfile()->fuel, c.fuel);
        EXPECT_EQ(TheScene.Resolve(bot, bot->id), bot) << "the unit comes out";
        EXPECT_FLOAT_EQ(bot->processTimer, 0.0f);
        EXPECT_EQ(bot->upgradeFlags, 0u) << "nothing it did not finish";
    }
}

TEST_F(BuildingBehaviours, ARecycledUnitPaysHalfItsOreAndIsNotLost)
{
    DefineUnit("bot", ALIGN_PLAYER, 75);
    Building* recycler = Put(Definition("recycler", BUILD_UNIT_RECYCLER), ALIGN_PLAYER, 40, 40);
    Agent* bot = Unit("bot", 41, 40);
    TheScene.UnlinkEntity(bot);
    recycler->linkedEntity.Set(bot);
    recycler->recycleTimer = 5.0f;
    int free = game.agentTypes->FreeCount();
    int died = 0;
    struct Listener : MissionHooks {
        int* died;
        void OnEntityDied(Entity*) override { ++*died; }
    } listener;
    listener.died = &died;
    ScopedGlobal<MissionHooks*> hooks(TheMissionHooks, &listener);
    recycler->UpdateRecycler(3.0f);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 0.0f);
    recycler->UpdateRecycler(3.0f);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 37.0f) << "half of 75, truncated";
    EXPECT_EQ(recycler->HeldUnit(), nullptr);
    EXPECT_EQ(game.agentTypes->FreeCount(), free + 1) << "the unit went back to the pool";
    EXPECT_EQ(died, 0) << "recycled, not killed";
    ASSERT_EQ(record.texts.size(), 1u);
    EXPECT_EQ(record.texts[0], "Ore +37");
    EXPECT_TRUE(record.debris.empty()) << "nothing left to burn";
}

TEST_F(BuildingBehaviours, ResearchCountsDownOnlyWhileReady)
{
    BuildItem* lab = Definition("lab", BUILD_RESEARCH_COMPUTER);
    lab->level = 1;
    Building* computer = Put(lab, ALIGN_PLAYER, 40, 40);
    computer->researchKind = 4;
    computer->researchTimer = 1.0f;
    Run(computer, 0.6f);
    EXPECT_GT(computer->researchTimer, 0.0f);
    EXPECT_EQ(GetBestResearchLevel(4), 0);
    Run(computer, 0.8f);
    EXPECT_FLOAT_EQ(computer->researchTimer, 0.0f);
    EXPECT_EQ(GetBestResearchLevel(4), 1);
}

TEST_F(BuildingBehaviours, ABaseComesUpAndRunsForAMinute)
{
    AgentType* tank = DefineUnit("tank", ALIGN_PLAYER, 10, 0, 5.0f);
    PlayerProfile* profile = GetPlayerProfile();
    profile->ore = 100.0f;
    profile->unitControl = 10;
    BuildItem* generator = Definition("generator", BUILD_RESOURCE);
    generator->resourcePower = 20;
    generator->resourceOre = 5;
    generator->buildTime = 2.0f;
    BuildItem* works = Definition("works", BUILD_UNIT_FACTORY);
    works->costPower = -15;
    works->buildTime = 2.0f;
    BuildItem* gun = Definition("gun", BUILD_TURRET);
    gun->costPower = -5;
    gun->buildTime = 2.0f;
    gun->weapon = WEAPON_LASER;
    BuildItem* drill = Definition("drill", BUILD_DEEP_MINE);
    drill->costPower = -5;
    drill->buildTime = 2.0f;
    Building* sites[] = {Put(generator, ALIGN_PLAYER, 40, 40, BUILD_STATE_CONSTRUCTING),
                         Put(works, ALIGN_PLAYER, 44, 40, BUILD_STATE_CONSTRUCTING),
                         Put(gun, ALIGN_PLAYER, 48, 40, BUILD_STATE_CONSTRUCTING),
                         Put(drill, ALIGN_PLAYER, 52, 40, BUILD_STATE_CONSTRUCTING)};
    Entity* patch = NewEntity(ENTITY_FUEL);
    patch->SetMaxHealth(1000.0f);
    patch->SetHealth(1000.0f);
    ASSERT_NE(TheScene.AddEntity(patch), nullptr);
    sites[3]->linkedEntity.Set(patch);
    for (Building* site : sites) site->flags |= ENTITY_PLACED;

    // The builders' work, at once.
    for (Building* site : sites) site->buildProgress = 2.0f;
    Building* factory = sites[1];
    factory->rallyPoint = Corner(44, 50);
    factory->stateFlags |= BUILDING_RALLY_POINT;
    for (int frame = 0; frame < 20 * 60; ++frame) {
        const WorldTickScope tick(0.05f);
        TheScene.Update();
        if (frame == 20) {
            EXPECT_STREQ(factory->QueueUnit(tank), "blip");
            EXPECT_STREQ(factory->QueueUnit(tank), "blip");
        }
    }
    for (Building* site : sites) EXPECT_EQ(site->buildState, BUILD_STATE_READY);
    EXPECT_FLOAT_EQ(ledger.supply, PowerLedger::START_SUPPLY + 20.0f);
    EXPECT_FLOAT_EQ(ledger.demand, 25.0f);
    EXPECT_FALSE(ledger.IsShort());
    EXPECT_NEAR(profile->fuel, 2.0f * 59.0f, 4.0f) << "two fuel a second from the drill";
    EXPECT_NEAR(profile->ore, 100.0f - 20.0f + 5.0f * 11.0f, 5.0f) << "income every five seconds, less two tanks";
    EXPECT_EQ(AgentsInLevel(ALIGN_PLAYER), 2);
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_UNIT); node; node = TheScene.NextInList(node)) {
        Vec3 at = node->value->GetPosition(), goal = factory->rallyPoint;
        EXPECT_LE(std::fabs(at.x - goal.x) + std::fabs(at.z - goal.z), 6.0f) << "gathered at the rally point";
    }

    // The generator falls: the base is short of power and the turret hits half as hard.
    ScopedGlobal<int> state(game.state, GAME_STATE_PLAYING);
    sites[2]->damage = 10.0f;
    EXPECT_FLOAT_EQ(sites[2]->GetDamage(nullptr), 10.0f);
    sites[0]->health = 0.0f;
    sites[0]->flags |= ENTITY_DEAD;
    sites[0]->Die(nullptr);
    EXPECT_TRUE(ledger.IsShort());
    EXPECT_FLOAT_EQ(sites[2]->GetDamage(nullptr), 5.0f);

    EXPECT_EQ(record.counts["buildingsProduced"], 4);
    EXPECT_EQ(record.counts["unitsProduced"], 2);
    EXPECT_EQ(record.counts["buildingsLost"], 1);
    EXPECT_EQ(record.debris, std::vector<int>{5}) << "a building's pieces";
    EXPECT_FLOAT_EQ(record.debrisSize, 4.0f);
    sites[2]->AddKill(nullptr);
    EXPECT_EQ(record.counts["turretKills"], 1);
}
