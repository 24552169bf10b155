// Buildings as the player meets them: construction that research shortens, a power ledger that
// balances whatever is built, disabled or destroyed, turrets that hit half as hard without
// power, damage by weapon and material, and unit control given and taken back.
#include "platform/Timer.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "terrain/Minimap.h"
#include "terrain/MinimapPings.h"
#include "tests/world/BuildingTestSupport.h"
#include "world/AgentCombat.h"
#include "world/WeaponDef.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

class BuildingTest : public BuildingWorld {
protected:
    BuildItem* Kind(const char* name, uint32_t flags, int costPower = 0, int resourcePower = 0, float buildTime = 10.0f)
    {
        BuildItem* item = Definition(name, flags);
        item->costPower = costPower;
        item->resourcePower = resourcePower;
        item->buildTime = buildTime;
        return item;
    }
    void Destroy(Building* building)
    {
        building->health = 0.0f;
        building->flags |= ENTITY_DEAD;
        building->Die(nullptr);
    }
};

}  // namespace

TEST_F(BuildingTest, ConstructionTakesTheBuildTimeLessAFifthPerResearchLevel)
{
    struct Case {
        float buildTime;
        int research;  // level of a finished construction computer, 0 for none
        float progress;
        bool finished;
    } cases[] = {
        {10.0f, 0, 9.9f, false}, {10.0f, 0, 10.0f, true}, {10.0f, 1, 7.9f, false},
        {10.0f, 1, 8.0f, true},  {10.0f, 2, 6.0f, true},  {0.0f, 0, 0.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.buildTime << " s, research " << c.research << ", " << c.progress);
        TheScene.ReleaseEntities();
        BuildItem* lab = Kind("lab", BUILD_RESEARCH_COMPUTER);
        lab->level = c.research;
        if (c.research > 0) Put(lab, ALIGN_PLAYER, 40, 40)->researchKind = 4;
        Building* site = Put(Kind("works", 0, -5, 0, c.buildTime), ALIGN_PLAYER, 10, 10, BUILD_STATE_CONSTRUCTING);
        site->buildProgress = c.progress;
        ledger.Reset();
        Run(site, 0.4f);
        EXPECT_EQ(site->buildState, c.finished ? BUILD_STATE_READY : BUILD_STATE_CONSTRUCTING);
        EXPECT_STREQ(site->statusText, c.finished ? "Ready" : "Constructing");
        EXPECT_FLOAT_EQ(ledger.demand, c.finished ? 5.0f : 0.0f) << "power counts from completion";
    }
    // The developer's switch finishes any site at its next tick.
    Building* site = Put(Kind("slow", 0, 0, 0, 100.0f), ALIGN_PLAYER, 20, 20, BUILD_STATE_CONSTRUCTING);
    IndexedMesh scaffold, finished;
    site->definition->constructionMeshes[0] = &scaffold;
    site->definition->constructionMeshCount = 1;
    IndexedMesh* own = site->mesh;
    site->meshStates[0] = &finished;
    site->mesh = &scaffold;
    InstantBuild = true;
    Run(site, 0.2f);
    EXPECT_EQ(site->buildState, BUILD_STATE_READY);
    EXPECT_EQ(site->mesh, &finished) << "the scaffold gives way to the building";
    site->mesh = site->meshStates[0] = own;
}

TEST_F(BuildingTest, ThePowerLedgerBalancesAcrossBuildDisableAndDestroy)
{
    Building* generator = Put(Kind("generator", BUILD_RESOURCE, 0, 10), ALIGN_PLAYER, 10, 10);
    Building* consumer = Put(Kind("factory", 0, -6), ALIGN_PLAYER, 14, 10);
    Building* giver = Put(Kind("odd", 0, 3), ALIGN_PLAYER, 18, 10);
    generator->OnCompleted(false);
    consumer->OnCompleted(false);
    giver->OnCompleted(false);
    EXPECT_FLOAT_EQ(ledger.supply, 30.0f);
    EXPECT_FLOAT_EQ(ledger.demand, 3.0f) << "a positive cost lowers the demand";

    // Never completed here: read back disabled, or placed finished for free.
    Building* disabled = Put(Kind("mothballed", 0, -4), ALIGN_PLAYER, 22, 10, BUILD_STATE_DISABLED);
    Building* free = Put(Kind("gift", BUILD_RESOURCE, 0, 7), ALIGN_PLAYER, 26, 10);
    // Restored from a scene file and counted again as the level begins.
    Building* restored = Put(Kind("old", 0, -2), ALIGN_PLAYER, 30, 10);
    Building::RestoreAtLevelStart();
    EXPECT_FLOAT_EQ(ledger.supply, 37.0f) << "every ready building is counted, once";
    EXPECT_FLOAT_EQ(ledger.demand, 5.0f) << "the disabled one is not";
    Building::RestoreAtLevelStart();
    EXPECT_FLOAT_EQ(ledger.supply, 37.0f) << "nothing is counted twice";
    EXPECT_FLOAT_EQ(ledger.demand, 5.0f);

    for (Building* building : {generator, consumer, giver, disabled, restored}) Destroy(building);
    EXPECT_FLOAT_EQ(ledger.supply, 27.0f);
    EXPECT_FLOAT_EQ(ledger.demand, 0.0f) << "the disabled building took out nothing it never put in";
    Destroy(free);
    EXPECT_FLOAT_EQ(ledger.supply, PowerLedger::START_SUPPLY);
    EXPECT_FLOAT_EQ(ledger.demand, 0.0f);
}

// A loaded game shows on every vent's ground how much was drawn from it, whether a pump stands
// on it or the builder drew it dry.
TEST_F(BuildingTest, EveryVentOfALoadedGameShowsWhatWasDrawnFromIt)
{
    auto textures = std::make_unique<TextureManager>();
    ScopedGlobal<TextureManager*> installed(Textures, textures.get());
    const struct {
        float health;
        const char* ground;
    } cases[] = {
        {0.1f, "data/textures/splats/splat_vent_depleted.dds"},
        {400.0f, "data/textures/splats/splat_vent_low.dds"},
        {900.0f, "data/textures/splats/splat_vent.dds"},
    };
    std::vector<std::unique_ptr<IndexedMesh>> meshes;
    std::vector<std::unique_ptr<Entity>> grounds;
    std::vector<Entity*> vents;
    for (const auto& c : cases) {
        Entity* vent = TheScene.AddTerrainObject("none", Vec3(c.health, 0.0f, 0.0f), 0);
        ASSERT_NE(vent, nullptr);
        vent->flags |= ENTITY_FUEL;
        vent->SetMaxHealth(1000.0f);
        vent->SetHealth(c.health);
        meshes.push_back(std::make_unique<IndexedMesh>());
        meshes.back()->subMeshes.resize(1);
        meshes.back()->subMeshes[0].diffuseTexture = Textures->GetTexture("data/textures/splats/splat_vent.dds");
        grounds.push_back(std::make_unique<Entity>());
        grounds.back()->mesh = meshes.back().get();
        vent->attachParent = grounds.back().get();
        vents.push_back(vent);
    }
    Building::RestoreAtLevelStart();
    for (size_t i = 0; i < vents.size(); ++i) {
        SCOPED_TRACE(cases[i].health);
        const TextureRecord* shown = meshes[i]->subMeshes[0].diffuseTexture;
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown, Textures->GetTexture(cases[i].ground));
        vents[i]->attachParent = nullptr;
    }
}

TEST_F(BuildingTest, AGeneratorRaisesItsNeighboursNodeLevelUntilItFalls)
{
    BuildItem* reactor = Kind("reactor", BUILD_RESOURCE, 0, 10);
    reactor->level = 2;
    Building* factory = Put(Kind("factory", BUILD_UNIT_FACTORY, -5), ALIGN_PLAYER, 12, 10);
    factory->OnCompleted(false);
    EXPECT_EQ(factory->PowerNodeLevel(), 0);
    Building* generator = Put(reactor, ALIGN_PLAYER, 11, 10);
    generator->GetFootprintBounds(nullptr, nullptr);
    factory->GetFootprintBounds(nullptr, nullptr);
    generator->OnCompleted(false);
    EXPECT_EQ(factory->PowerNodeLevel(), 2);
    Destroy(generator);
    EXPECT_EQ(factory->PowerNodeLevel(), 0);
}

// The ledger is the level's, not the HUD's: a world with no HUD made (as a replay verified with
// no display plays it) runs short of power as soon as its finished buildings draw more than they
// make, and its turrets then hit half as hard, as in a game on the screen.
TEST_F(BuildingTest, WithNoHudTheBaseRunsShortOfPowerAsWithOne)
{
    Building* turret = Put(Kind("turret", BUILD_TURRET, -5), ALIGN_PLAYER, 10, 10);
    turret->damage = 10.0f;
    ScopedGlobal<int> state(game.state, GAME_STATE_PLAYING);
    turret->OnCompleted(false);
    EXPECT_FALSE(PowerIsShort()) << "5 drawn of the 20 every level starts with";
    Building* factory = Put(Kind("factory", BUILD_UNIT_FACTORY, -20), ALIGN_PLAYER, 14, 10);
    factory->OnCompleted(false);
    EXPECT_FLOAT_EQ(TheScene.power.demand, 25.0f);
    EXPECT_TRUE(PowerIsShort());
    EXPECT_FLOAT_EQ(turret->GetDamage(nullptr), 5.0f);
    Destroy(factory);
    EXPECT_FALSE(PowerIsShort());
    EXPECT_FLOAT_EQ(turret->GetDamage(nullptr), 10.0f);
}

TEST_F(BuildingTest, TurretsHitHalfAsHardWhileThePowerIsShort)
{
    Building* turret = Put(Kind("turret", BUILD_TURRET), ALIGN_PLAYER, 10, 10);
    Building* wall = Put(Kind("wall", 0), ALIGN_PLAYER, 14, 10);
    turret->damage = wall->damage = 10.0f;
    ScopedGlobal<int> state(game.state, GAME_STATE_PLAYING);
    struct Case {
        float supply, demand, expected;
    } cases[] = {{20.0f, 19.0f, 10.0f}, {20.0f, 20.0f, 10.0f}, {20.0f, 20.5f, 5.0f}};
    for (const Case& c : cases) {
        ledger.supply = c.supply;
        ledger.demand = c.demand;
        EXPECT_FLOAT_EQ(turret->GetDamage(nullptr), c.expected) << c.demand;
        EXPECT_FLOAT_EQ(turret->GetDamagePerSecond(nullptr), c.expected / 2.0f);
        EXPECT_FLOAT_EQ(wall->GetDamage(nullptr), 0.0f) << "only turrets do damage";
    }
    game.state = GAME_STATE_FRONT_END;
    EXPECT_FLOAT_EQ(turret->GetDamage(nullptr), 10.0f) << "the rule holds in play only";

    struct Range {
        int weapon;
        float radius;
    } ranges[] = {{WEAPON_MISSILE, 22.0f}, {WEAPON_ELECTRIC, 18.0f}, {WEAPON_FLAME, 18.0f}, {WEAPON_ACID, 18.0f},
                  {WEAPON_LASER, 20.0f},   {WEAPON_MORTAR, 20.0f},   {WEAPON_PULSE, 20.0f}};
    for (const Range& r : ranges) {
        turret->definition->weapon = r.weapon;
        EXPECT_FLOAT_EQ(turret->GetTypeRadius(), r.radius) << r.weapon;
    }
}

TEST_F(BuildingTest, DamageByWeaponAndMaterialAndAnAlertWhenOutOfSight)
{
    config.Difficulty = 1;
    struct Case {
        int weaponType;
        int composition;
        float taken;
    } cases[] = {
        {WEAPON_LASER, COMPOSITION_BIOLOGICAL, 13.3f}, {WEAPON_LASER, COMPOSITION_MECHANICAL, 10.0f},
        {WEAPON_MISSILE, COMPOSITION_MECHANICAL, 13.3f}, {WEAPON_MISSILE, COMPOSITION_BIOLOGICAL, 10.0f},
        {WEAPON_FLAME, COMPOSITION_MECHANICAL, 10.0f}, {WEAPON_NONE, COMPOSITION_BIOLOGICAL, 10.0f},
    };
    MessageBar bar;
    ScopedGlobal<MessageBar*> installedBar(game.messageBar, &bar);
    BuildItem* hut = Kind("hut", 0);
    for (const Case& c : cases) {
        Building* building = Put(hut, ALIGN_ENEMY, 10, 10);
        building->SetMaxHealth(100.0f);
        building->SetHealth(100.0f);
        building->composition = c.composition;
        building->TakeDamage(10.0f, nullptr, nullptr, c.weaponType, true);
        EXPECT_NEAR(100.0f - building->health, c.taken, 0.001f) << c.weaponType << " on " << c.composition;
    }
    Building* preview = Put(hut, ALIGN_PLAYER, 20, 10);
    preview->SetMaxHealth(100.0f);
    preview->SetHealth(100.0f);
    preview->stateFlags |= BUILDING_PREVIEW;
    preview->TakeDamage(50.0f, nullptr, nullptr, WEAPON_LASER, true);
    EXPECT_FLOAT_EQ(preview->health, 100.0f) << "a placement preview takes nothing";
    EXPECT_EQ(bar.count, 0);

    // The player hears of an attack out of sight once, and again after 600 ticks.
    ScopedGlobal<int> alert(BuildingAlertFrame, -100000);
    ScopedGlobal<int> ticks(WorldTicks.count);
    TheMinimap.pings.RemoveAll();
    Building* base = Put(hut, ALIGN_PLAYER, 30, 10);
    base->SetMaxHealth(1000.0f);
    base->SetHealth(1000.0f);
    WorldTicks.count = 5000;
    base->TakeDamage(1.0f, nullptr, nullptr, WEAPON_NONE, true);
    ASSERT_EQ(bar.count, 1);
    EXPECT_STREQ(bar.head->text, "A building is under attack!");
    ASSERT_EQ(TheMinimap.pings.list.count, 1);
    EXPECT_EQ(TheMinimap.pings.list.head->value.kind, PING_DAMAGE);
    EXPECT_FLOAT_EQ(TheMinimap.pings.list.head->value.timeLeft, 2.0f);
    TheMinimap.pings.RemoveAll();
    bar.Clear();
    WorldTicks.count = 5599;
    base->TakeDamage(1.0f, nullptr, nullptr, WEAPON_NONE, true);
    EXPECT_EQ(bar.count, 0);
    WorldTicks.count = 5600;
    base->TakeDamage(1.0f, nullptr, nullptr, WEAPON_NONE, true);
    EXPECT_EQ(bar.count, 1);
    bar.Clear();
    base->visible = 1;
    WorldTicks.count = 9000;
    base->TakeDamage(1.0f, nullptr, nullptr, WEAPON_NONE, true);
    EXPECT_EQ(bar.count, 0) << "one in sight needs no alert";
    TheMinimap.pings.RemoveAll();
}

// What a building tells the player goes out through the world's hooks, with its seconds: the
// world never writes the message bar itself, so a world with no interface loses nothing of its
// course for want of one.
TEST_F(BuildingTest, WhatABuildingTellsThePlayerGoesThroughTheHooks)
{
    struct Told : CombatHooks {
        std::vector<std::pair<std::string, float>> lines;
        void TellPlayer(const char* text, float seconds) override { lines.emplace_back(text, seconds); }
        void CountStatistic(const char*) override {}
    } told;
    ScopedGlobal<CombatHooks*> hooks(TheCombatHooks, &told);
    ScopedGlobal<MessageBar*> noBar(game.messageBar, nullptr);
    ScopedGlobal<int> alert(BuildingAlertFrame, -100000);
    ScopedGlobal<int> ticks(WorldTicks.count, 5000);
    PlayerProfile* profile = GetPlayerProfile();
    profile->unitControl = profile->baseUnitControl = 2;
    Building* relay = Put(Kind("relay", BUILD_UNIT_CONTROL), ALIGN_PLAYER, 10, 10);
    relay->SetMaxHealth(1000.0f);
    relay->SetHealth(1000.0f);
    relay->OnCompleted(false);
    relay->TakeDamage(1.0f, nullptr, nullptr, WEAPON_NONE, true);
    profile->unitsInUse = 5;
    Destroy(relay);
    TheMinimap.pings.RemoveAll();
    const std::vector<std::pair<std::string, float>> expected = {
        {"A building is under attack!", 4.0f}, {"Warning: Insufficient unit control!", 4.0f}};
    EXPECT_EQ(told.lines, expected);
}

TEST_F(BuildingTest, UnitControlComesWithTheBuildingAndGoesWithIt)
{
    MessageBar bar;
    ScopedGlobal<MessageBar*> installedBar(game.messageBar, &bar);
    PlayerProfile* profile = GetPlayerProfile();
    profile->unitControl = profile->baseUnitControl = 2;
    BuildItem* small = Kind("relay", BUILD_UNIT_CONTROL);
    BuildItem* big = Kind("hub", BUILD_UNIT_CONTROL);
    big->level = 1;
    Building* relay = Put(small, ALIGN_PLAYER, 10, 10);
    Building* hub = Put(big, ALIGN_PLAYER, 14, 10);
    relay->OnCompleted(false);
    hub->OnCompleted(false);
    EXPECT_EQ(profile->unitControl, 17);
    profile->unitsInUse = 8;
    Destroy(hub);
    EXPECT_EQ(profile->unitControl, 7);
    ASSERT_EQ(bar.count, 1);
    EXPECT_STREQ(bar.head->text, "Warning: Insufficient unit control!");
    Destroy(relay);
    EXPECT_EQ(profile->unitControl, 2) << "never below what the mission starts with";
}

TEST_F(BuildingTest, UpdatesOncePerFrameAndTicksAboutTenTimesASecond)
{
    BuildItem* mine = Kind("income", BUILD_RESOURCE);
    mine->resourceOre = 7;
    Building* building = Put(mine, ALIGN_PLAYER, 10, 10);
    {
        const WorldTickScope tick(3.0f);
        building->Update();
        building->Update();  // the same tick: nothing more
    }
    EXPECT_FLOAT_EQ(building->actionTimer, 3.0f);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 0.0f);
    Frame(building, 3.0f);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 7.0f) << "income every five seconds";
    EXPECT_STREQ(building->statusText, "Pow:0 Met:7 Fuel:0 Cr:0");

    // Paused: time stands still.
    GamePaused = true;
    Run(building, 10.0f);
    EXPECT_FLOAT_EQ(building->actionTimer, 0.0f);
}

TEST_F(BuildingTest, AnUnfinishedBuildingExplodesWithThePartOfItsChargeBuilt)
{
    struct Case {
        float buildTime, progress, damage;
    } cases[] = {{10.0f, 2.5f, 25.0f}, {10.0f, 10.0f, 100.0f}, {0.0f, 0.0f, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buildTime);
        Building* barrel = Put(Kind("barrel", BUILD_EXPLODE_ON_DEAD, 0, 0, c.buildTime), ALIGN_ENEMY, 10, 10,
                               BUILD_STATE_CONSTRUCTING);
        barrel->damage = 100.0f;
        barrel->buildProgress = c.progress;
        Destroy(barrel);
        EXPECT_FLOAT_EQ(barrel->damage, c.damage);
    }
}
