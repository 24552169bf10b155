// Headless skirmishes on open ground with the shipped units, buildings, weapons and jobs: a
// band of the player's bots, one of every weapon, fights scavengers to the end, earning
// experience and levels by the tables and the boss's loot; every weapon lands what its table
// says, once; a base whose miners, fuel pump, builder and factory keep its economy going beats
// off a raid that comes on its timer, and an undefended outpost falls to a stronger one.
#include "tests/world/SkirmishTestSupport.h"

#include "host/Random.h"

#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// What the fights tell the player's record and the screen, passed on to the game's own answers.
struct Listener : CombatHooks {
    std::map<std::string, int> counts;
    std::vector<std::string> texts;
    void CountStatistic(const char* name) override
    {
        ++counts[name];
        CombatHooks::CountStatistic(name);
    }
    void FloatText(const char* text, const Vec3& at) override
    {
        texts.push_back(text);
        CombatHooks::FloatText(text, at);
    }
};

class Skirmish : public SkirmishWorld {
protected:
    // The experience a kill is worth by the tables: 75 and a quarter of the victim's maximum
    // health, half as much again for a shielded victim, scaled by how the two hit.
    static int KillExperience(float victimMaxHealth, bool shielded, float killerDamage, float victimDamage)
    {
        float base = (float)(75 + (int)(victimMaxHealth / 4.0f));
        float factor = shielded ? 1.5f : 1.0f;
        float k = killerDamage, v = victimDamage;
        if (v > 1.5f * k)
            factor *= 1.5f;
        else if (v > k)
            factor *= 1.25f;
        else if (v == k)
            factor *= 1.0f;
        else if (k <= 1.5f * v)
            factor *= 0.75f;
        else
            factor *= 0.5f;
        return (int)(base * factor);
    }

    // The level an amount of experience has reached, by the table.
    static int LevelByTable(int experience)
    {
        static const int thresholds[] = {100, 200, 500, 1000, 1700, 2600, 3700, 5000, 6500, 8200};
        int level = 0;
        for (int needed : thresholds) level += experience >= needed;
        return level;
    }

    Listener listener;
    ScopedGlobal<CombatHooks*> installedListener{TheCombatHooks, &listener};
};

// A bot's state before a frame, the bot held by its id: one that falls in the frame may be back
// in the pool after it, reset whole.
struct BotBefore {
    EntityRef ref;
    Agent* agent;  // after the frame: the bot while the level still holds it, else null
    int kills, experience, level;
    float baseMaxHealth, damage;
};
struct EnemyBefore {
    EntityRef ref;
    float maxHealth, damage;
    bool shielded;
    bool dead;
};

}  // namespace

TEST_F(Skirmish, PlayerBotsWithEveryWeaponBeatAScavengerBandAndEarnExperienceLevelsAndLoot)
{
    SRand(2207);
    GetPlayerProfile()->level = 1;
    struct Post {
        const char* type;
        int column, row;
    };
    const Post bots[] = {{"scout_bot", 30, 22},  {"rocket_bot", 30, 25}, {"arc_walker", 30, 28},
                         {"mortar_bot", 26, 31}, {"gunner_bot", 30, 31}, {"flame_bot", 30, 34},
                         {"gunner_bot", 30, 37}, {"heavy_tank", 29, 40}, {"air_drone", 30, 43}};
    std::vector<Agent*> band;
    for (const Post& p : bots) band.push_back(Spawn(p.type, p.column, p.row));
    // The second gunner carries an acid sprayer.
    const Item* sprayer = game.items->FindByName("acid_sprayer");
    ASSERT_TRUE(sprayer && sprayer->weapon);
    band[6]->weapon->CopyFrom(*sprayer->weapon);
    ASSERT_EQ(band[6]->weapon->type, WEAPON_ACID);

    const Post scavengers[] = {{"scav_small", 38, 27}, {"scav_melee", 38, 31}, {"scav_leader", 38, 35},
                               {"scav_flamer", 38, 39}, {"scav_boss_a", 41, 33}};
    std::vector<EnemyBefore> enemies;
    for (const Post& p : scavengers) {
        Agent* scav = Spawn(p.type, p.column, p.row);
        enemies.push_back({EntityRef(scav), scav->GetMaxHealth(), scav->GetDamage(scav->weapon),
                           (scav->flags & ENTITY_SHIELD) != 0, false});
    }
    EntityRef boss = enemies.back().ref;
    std::vector<EntityRef> bandRefs;
    for (Agent* bot : band) {
        ASSERT_NE(bot, nullptr);
        EXPECT_TRUE(bot->classWord & AGENT_CLASS_LEVELLING) << bot->name << " earns experience";
        EXPECT_EQ(bot->botLevel, 0);
        bandRefs.push_back(EntityRef(bot));
    }

    int killsChecked = 0, levelUps = 0;
    Vec3 bossLastSeen;
    std::set<Entity*> itemsBefore;
    bool bossDied = false;
    float elapsed = 0.0f;
    const float LIMIT = 120.0f, DT = 0.1f;
    while (elapsed < LIMIT && LiveAgents(ALIGN_ENEMY) > 0 && LiveAgents(ALIGN_PLAYER) > 0) {
        std::vector<BotBefore> before;
        for (const EntityRef& ref : bandRefs)
            if (Agent* bot = static_cast<Agent*>(ref.GetLive()))
                before.push_back({EntityRef(bot), nullptr, bot->kills, bot->botExperience, bot->botLevel,
                                  bot->maxHealth, bot->GetDamage(bot->weapon)});
        if (Entity* b = boss.GetLive()) bossLastSeen = b->GetPosition();
        itemsBefore.clear();
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ITEM); node; node = TheScene.NextInList(node))
            itemsBefore.insert(node->value);

        Frame(DT);
        elapsed += DT;

        std::vector<EnemyBefore*> fallen;
        for (EnemyBefore& e : enemies) {
            Entity* victim = e.ref.Get();
            bool dead = !victim || (victim->flags & ENTITY_DEAD);
            if (dead && !e.dead) fallen.push_back(&e);
            e.dead = dead;
        }
        std::vector<const BotBefore*> scorers;
        for (BotBefore& b : before) {
            b.agent = static_cast<Agent*>(b.ref.Get());
            if (!b.agent) continue;
            if (b.agent->kills > b.kills) scorers.push_back(&b);
            int gained = b.agent->botLevel - b.level;
            EXPECT_EQ(b.agent->botLevel, LevelByTable(b.agent->botExperience)) << b.agent->name;
            if (gained > 0) {
                ++levelUps;
                EXPECT_FLOAT_EQ(b.agent->maxHealth, b.baseMaxHealth * (1.0f + 0.1f * (float)gained))
                    << b.agent->name << ": the base maximum grows by a tenth a level";
            }
        }
        // One kill by one bot in a frame: its experience is the table's.
        if (fallen.size() == 1 && scorers.size() == 1 && scorers[0]->agent->kills == scorers[0]->kills + 1) {
            const BotBefore& k = *scorers[0];
            const EnemyBefore& v = *fallen[0];
            EXPECT_EQ(k.agent->botExperience - k.experience, KillExperience(v.maxHealth, v.shielded, k.damage, v.damage))
                << k.agent->name << " killed a scavenger of " << v.maxHealth;
            ++killsChecked;
        }
        // The boss leaves one piece of loot on the middle of its cell.
        if (!bossDied && (!boss.Get() || (boss.Get()->flags & ENTITY_DEAD))) {
            bossDied = true;
            std::vector<Item*> dropped;
            for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ITEM); node; node = TheScene.NextInList(node))
                if ((node->value->flags & ENTITY_ITEM) && !itemsBefore.count(node->value))
                    dropped.push_back(static_cast<Item*>(node->value));
            ASSERT_EQ(dropped.size(), 1u) << "a boss drops one item";
            Item* loot = dropped.front();
            int column = -1, row = -1;
            ASSERT_TRUE(grid->WorldToCell(loot->GetPosition(), &column, &row));
            Vec3 corner = grid->CellToWorld(column, row);
            EXPECT_NEAR(loot->GetPosition().x, corner.x + 0.5f * grid->cellSize, 0.01f) << "on the middle of a cell";
            EXPECT_NEAR(loot->GetPosition().z, corner.z + 0.5f * grid->cellSize, 0.01f);
            EXPECT_LE(GetGroundDistance(loot->GetPosition(), bossLastSeen), 2.0f * grid->cellSize)
                << "where the boss fell";
            bool crate = false;
            for (int i = 0; i < LOW_LEVEL_CRATES; ++i) crate |= StrICmp(loot->name, LootCrateNames[i]) == 0;
            EXPECT_TRUE(crate || (loot->itemFlags & ITEM_FLAG_ROLLED))
                << loot->name << ": a crate of the first nine (a player below level 4) or a rolled item";
            if (!crate) {
                EXPECT_FALSE(loot->itemFlags & ITEM_FLAG_AI_ONLY) << "what only scavengers fire is never dropped";
            }
        }
    }

    // The result: the scavengers are beaten inside two minutes.
    EXPECT_LT(elapsed, LIMIT);
    EXPECT_EQ(LiveAgents(ALIGN_ENEMY), 0);
    EXPECT_GT(LiveAgents(ALIGN_PLAYER), 0);
    EXPECT_TRUE(bossDied);
    EXPECT_EQ(listener.counts[STAT_ENEMIES_KILLED], 5);
    EXPECT_EQ(listener.counts[STAT_GROUND_BOT_KILLS] + listener.counts[STAT_AIR_KILLS], 5)
        << "every scavenger fell to a bot";
    EXPECT_GE(killsChecked, 2) << "kills one at a time, each worth the table's experience";
    EXPECT_GE(levelUps, 1) << "somebody levelled";
    int experience = 0;
    for (const EntityRef& ref : bandRefs)
        if (Agent* bot = static_cast<Agent*>(ref.GetLive())) experience += bot->botExperience;
    EXPECT_GT(experience, 0);

    // Every weapon type was fired, the scavengers' bare hands (9) included.
    std::set<int> expected;
    for (int type = 0; type < WEAPON_TYPE_COUNT; ++type) expected.insert(type);
    EXPECT_EQ(TypesFired(), expected);
    for (int type = 0; type < WEAPON_NONE; ++type) EXPECT_TRUE(shotsBySide[ALIGN_PLAYER].count(type)) << WeaponTypeName(type);
}

TEST_F(Skirmish, EveryWeaponLandsTheDamageOfItsTableOnce)
{
    // The shooter, the weapon of the item catalogue it fires (none: its bare hands), and what
    // a hit is worth against a BioMechanical scavenger or, for the scavenger's blow, a bot.
    struct Case {
        const char* shooter;
        const char* weapon;
        int type;
        float factor;
    };
    const Case cases[] = {
        {"scout_bot", "laser_cutter", WEAPON_LASER, 1.0f},
        {"rocket_bot", "missile_pod", WEAPON_MISSILE, 1.0f},
        {"arc_walker", "arc_projector", WEAPON_ELECTRIC, 1.0f},
        {"mortar_bot", "mortar_launcher", WEAPON_MORTAR, 1.0f},
        {"gunner_bot", "machinegun", WEAPON_BALLISTIC, 1.33f},  // bullets tear machines
        {"flame_bot", "flamethrower", WEAPON_FLAME, 1.0f},
        {"gunner_bot", "acid_sprayer", WEAPON_ACID, 1.0f},
        {"heavy_tank", "plasma_cannon", WEAPON_PLASMA, 1.0f},
        {"air_drone", "pulse_rifle", WEAPON_PULSE, 1.0f},
        {"scav_melee", nullptr, WEAPON_NONE, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shooter);
        SRand(23);
        Agent* shooter = Spawn(c.shooter, 30, 30);
        ASSERT_NE(shooter, nullptr);
        float table = 0.0f;
        if (c.weapon) {
            const Item* item = game.items->FindByName(c.weapon);
            ASSERT_TRUE(item && item->weapon);
            shooter->weapon->CopyFrom(*item->weapon);
            ASSERT_EQ(shooter->weapon->type, c.type);
            table = item->weapon->damage;
        } else {
            ASSERT_EQ(shooter->weapon, nullptr) << "a scavenger that fights with its hands";
            table = game.agentTypes->FindPrototype(c.shooter)->damage;
        }
        // A target that stands and takes it: a brute for the bots, a gunner for the scavenger.
        bool player = shooter->alignment == ALIGN_PLAYER;
        Agent* target = Spawn(player ? "scav_brute" : "gunner_bot", 35, 30);
        ASSERT_NE(target, nullptr);
        ASSERT_FALSE(target->flags & ENTITY_SHIELD);
        target->brainKind = 0;
        target->speed = 0.0f;
        target->SetMaxHealth(5000.0f);
        target->SetHealth(5000.0f);

        auto underWay = [&] {
            return projectiles.ActiveProjectiles() + projectiles.ActiveBeams() + projectiles.PendingMeleeHits();
        };
        float took = PlayUntil(20.0f, 0.05f, [&] { return underWay() > 0; });
        ASSERT_LT(took, 20.0f) << "the shooter sees the target and fires";
        // One shot: the next waits for good.
        if (shooter->weapon)
            shooter->weapon->interval = 1000.0f;
        else
            shooter->meleeAttackTime = 1000.0f;
        took = PlayUntil(10.0f, 0.05f, [&] { return underWay() == 0; });
        ASSERT_LT(took, 10.0f) << "the shot lands or ends";
        EXPECT_NEAR(5000.0f - target->health, table * c.factor, 0.01f) << WeaponTypeName(c.type);
        EXPECT_EQ(shotsBySide[shooter->alignment], std::set<int>{c.type});

        shotsBySide.clear();
        projectiles.Clear();
        ClearAgents();
        OpenGround();
    }
}

TEST_F(Skirmish, ABaseWithAnEconomyStandsAgainstARaid)
{
    SRand(2425);
    config.Difficulty = 1;
    PlayerProfile& player = *GetPlayerProfile();
    player.level = 0;
    player.baseUnitControl = 10;
    player.ore = 200.0f;
    player.fuel = 0.0f;

    // The base: power, a refinery for the miners, a fuel pump on a vent, a factory and a turret
    // out toward the scavengers' dropship.
    Entity* vent = TheScene.AddFuelVent("res_fuel", Corner(21, 33));
    ASSERT_NE(vent, nullptr);
    vent->SetMaxHealth(1200.0f);
    vent->SetHealth(1200.0f);
    int x0, y0, x1, y1;
    ASSERT_TRUE(vent->GetGridFootprint(&x0, &y0, &x1, &y1));
    for (int row = std::min(y0, y1); row <= std::max(y0, y1); ++row)
        for (int column = std::min(x0, x1); column <= std::max(x0, x1); ++column) Cell(column, row)->flags = CELL_FUEL;
    grid->OccupyCells(vent, std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1));
    Building* generator = Raise("power_generator", 20, 20);
    Building* refinery = Raise("refinery", 26, 20);
    Building* factory = Raise("bot_factory", 32, 20);
    // The pump stands right beside the vent, east of it.
    BuildItem* pumpItem = game.buildItems->FindByName("fuel_pump");
    ASSERT_TRUE(pumpItem && pumpItem->prototype);
    int pumpColumn = std::max(x0, x1) + 1;
    int px0, py0, px1, py1;
    pumpItem->prototype->SetPosition(Corner(pumpColumn, 33));
    ASSERT_TRUE(pumpItem->prototype->GetGridFootprint(&px0, &py0, &px1, &py1));
    pumpColumn += std::max(x0, x1) + 1 - std::min(px0, px1);
    Building* pump = Raise("fuel_pump", pumpColumn, 33);
    Building* turret = Raise("laser_turret", 40, 40);
    Building* base[] = {generator, refinery, factory, pump, turret};
    for (Building* b : base) ASSERT_NE(b, nullptr);
    Building::RestoreAtLevelStart();  // as a level begins: power counted, the pump on its vent
    ASSERT_EQ(pump->linkedEntity.Get(), vent);
    EXPECT_FALSE(ledger.IsShort());
    Building* dropship = TheScene.CreateBuilding("Scavenger_dropship");
    ASSERT_NE(dropship, nullptr);
    dropship->SetPosition(Corner(80, 80));
    dropship->flags |= ENTITY_PLACED;
    dropship->GetFootprintBounds(nullptr, nullptr);

    // Two miners on a deposit beside the refinery, and a builder.
    Entity* deposit = TheScene.AddResource("res_ore_1", Corner(27, 12), 0);
    ASSERT_NE(deposit, nullptr);
    deposit->flags |= ENTITY_RESOURCE_REVEALED;
    deposit->SetMaxHealth(600.0f);
    deposit->SetHealth(600.0f);
    deposit->StampGrid();
    std::vector<Agent*> miners = {Spawn("miner", 24, 15), Spawn("miner", 30, 15)};
    for (Agent* miner : miners) {
        ASSERT_NE(miner, nullptr);
        miner->mine = deposit;
        miner->brain->mode = AI_MODE_MINING;  // as an order to the ore leaves it
    }
    Agent* builder = Spawn("Builder", 36, 28);
    ASSERT_NE(builder, nullptr);

    // The raid comes when its timer runs out.
    raids.raidTimer = 40.0f;
    float launchedAt = -1.0f, clock = 0.0f;
    bool turretFired = false, queued = false, placed = false, raidersAttacked = false;
    Building* site = nullptr;
    float fuelPaid = 0.0f, orePaid = 0.0f;
    int producedBefore = 0;
    std::vector<EntityRef> raiders;
    const float DT = 0.1f;
    while (clock < 150.0f) {
        Frame(DT);
        clock += DT;
        if (launchedAt < 0.0f && raids.state == 1) {
            launchedAt = clock;
            for (int segment : {SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
                for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
                    if ((node->value->flags & ENTITY_AGENT) && static_cast<Agent*>(node->value)->groupId == raids.raidId)
                        raiders.push_back(EntityRef(node->value));
        }
        for (auto* node = projectiles.beams.head; node; node = node->next) turretFired |= node->value->shooter.Get() == turret;
        for (const EntityRef& ref : raiders) {
            const Agent* raider = static_cast<const Agent*>(ref.GetLive());
            const Entity* target = raider ? raider->target.Get() : nullptr;
            raidersAttacked |= raider && raider->CurrentAiMode() == AI_MODE_ATTACK && target && target->alignment == ALIGN_PLAYER;
        }
        // Once the pump has given the fuel a turret needs, the builder puts one up.
        if (!placed && player.fuel >= 10.0f) {
            placed = true;
            ASSERT_TRUE(game.buildItems->SetCurrent("laser_turret", false));
            game.buildItems->current->prototype->SetPosition(Corner(36, 34));
            ASSERT_TRUE(game.buildItems->CanPlaceCurrent());
            float ore = player.ore, fuel = player.fuel;
            site = PlaceBuildingFromItem(game.buildItems->CurrentPlacement());
            game.buildItems->ClearCurrent();
            ASSERT_NE(site, nullptr);
            EXPECT_EQ(site->buildState, BUILD_STATE_CONSTRUCTING);
            orePaid += ore - player.ore;
            fuelPaid += fuel - player.fuel;
            builder->activeBuilding = site;
            ASSERT_EQ(builder->brain->SetJob("Build", builder, AI_MODE_BUILD), 1);
            // From its first frame the site holds its ground: nothing else goes up there.
            Frame(DT);
            clock += DT;
            {
                ScopedGlobal<float> rich{player.fuel, 1000.0f}, richer{player.ore, 1000.0f};
                ASSERT_TRUE(game.buildItems->SetCurrent("laser_turret", false));
                game.buildItems->current->prototype->SetPosition(Corner(36, 34));
                EXPECT_FALSE(game.buildItems->CanPlaceCurrent()) << "a second turret on the site";
                game.buildItems->current->prototype->SetPosition(Corner(36, 37));
                EXPECT_TRUE(game.buildItems->CanPlaceCurrent()) << "but beside it";
                game.buildItems->ClearCurrent();
            }
        }
        // With fuel in store again the factory makes a gunner.
        if (placed && !queued && player.fuel >= 10.0f && player.ore >= 70.0f) {
            queued = true;
            AgentType* gunner = game.agentTypes->FindType("gunner_bot");
            ASSERT_NE(gunner, nullptr);
            float ore = player.ore, fuel = player.fuel;
            producedBefore = LiveAgents(ALIGN_PLAYER);
            EXPECT_STREQ(factory->QueueUnit(gunner), "blip");
            EXPECT_FLOAT_EQ(ore - player.ore, (float)gunner->oreCost);
            EXPECT_FLOAT_EQ(fuel - player.fuel, (float)gunner->fuelCost);
            orePaid += ore - player.ore;
            fuelPaid += fuel - player.fuel;
        }
        bool raidOver = launchedAt > 0.0f && raids.state == 0;
        if (raidOver && queued && site && site->buildState == BUILD_STATE_READY && player.oreGained >= 40.0f) break;
    }

    // The economy: the miners brought ore to the refinery, the pump drew fuel from its vent,
    // the builder finished the turret and the factory spent ore and fuel on a gunner.
    EXPECT_GE(player.oreGained, 40.0f) << "at least two hopper loads unloaded";
    EXPECT_LT(deposit->health, 600.0f);
    EXPECT_GT(player.fuelGained, 0.0f);
    EXPECT_NEAR(vent->health, 1200.0f - player.fuelGained, 0.01f) << "the vent gives what the pump draws";
    EXPECT_NEAR(player.ore, 200.0f + player.oreGained - orePaid, 0.01f);
    EXPECT_NEAR(player.fuel, player.fuelGained - fuelPaid, 0.01f);
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->buildState, BUILD_STATE_READY) << "the builder finished the turret";
    ASSERT_NE(grid->GetCellAt(site->GetPosition()), nullptr);
    EXPECT_EQ(grid->GetCellAt(site->GetPosition())->occupant, site) << "the new turret holds its cell";
    EXPECT_TRUE(queued);
    EXPECT_TRUE(factory->buildQueue == nullptr || factory->buildQueue->count == 0) << "the gunner was made";
    EXPECT_GT(LiveAgents(ALIGN_PLAYER), producedBefore);

    // The raid: launched on its timer from the dropship, it came at the base and the turret
    // cut it down; the base stands.
    EXPECT_NEAR(launchedAt, 40.0f, 0.6f);
    EXPECT_FALSE(raiders.empty());
    EXPECT_TRUE(raidersAttacked) << "the raiders went for the base";
    EXPECT_TRUE(turretFired);
    for (const EntityRef& raider : raiders) EXPECT_EQ(raider.GetLive(), nullptr) << "every raider fell";
    EXPECT_EQ(raids.state, 0) << "the raid is over";
    for (Building* b : base) EXPECT_TRUE(b->IsAlive()) << b->name;
}

TEST_F(Skirmish, AKillByBurningOrAcidEarnsTheShootersExperience)
{
    for (int kind : {STATUS_FIRE, STATUS_ACID}) {
        SCOPED_TRACE(kind);
        listener.counts.clear();
        Agent* bot = Spawn("gunner_bot", 30, 30);
        Agent* scav = Spawn("scav_small", 40, 30);
        ASSERT_TRUE(bot && scav);
        scav->brainKind = 0;
        scav->SetHealth(4.0f);
        int worth = KillExperience(scav->GetMaxHealth(), false, bot->GetDamage(bot->weapon), scav->GetDamage(scav->weapon));
        ApplyWeaponStatus(scav, kind, 5.0f, 5.0f, bot);
        EntityRef victim(scav);
        PlayUntil(3.0f, 0.1f, [&] { return victim.GetLive() == nullptr; });
        EXPECT_EQ(victim.GetLive(), nullptr) << "the first tick kills it";
        EXPECT_EQ(bot->kills, 1);
        EXPECT_EQ(bot->botExperience, worth);
        EXPECT_EQ(listener.counts[STAT_GROUND_BOT_KILLS], 1);
        EXPECT_EQ(listener.counts[STAT_ENEMIES_KILLED], 1);
        ClearAgents();
        OpenGround();
    }
}

TEST_F(Skirmish, AnUndefendedOutpostFallsToARaid)
{
    SRand(2424);
    config.Difficulty = 2;
    PlayerProfile& player = *GetPlayerProfile();
    player.level = 6;  // a strong raid: 1 + difficulty + the group bonus
    Building* generator = Raise("power_generator", 30, 30);
    Building* refinery = Raise("refinery", 36, 30);
    ASSERT_TRUE(generator && refinery);
    Building::RestoreAtLevelStart();
    const float supply = ledger.supply;
    EXPECT_FLOAT_EQ(supply, PowerLedger::START_SUPPLY + 25.0f);
    Building* dropship = TheScene.CreateBuilding("Scavenger_dropship");
    ASSERT_NE(dropship, nullptr);
    dropship->SetPosition(Corner(60, 60));
    dropship->flags |= ENTITY_PLACED;

    raids.raidTimer = 5.0f;
    PlayUntil(6.0f, 0.1f, [&] { return raids.state == 1; });
    ASSERT_EQ(raids.state, 1);
    int members = 0;
    for (int segment : {SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
        for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
            members += (node->value->flags & ENTITY_AGENT) && static_cast<Agent*>(node->value)->groupId == raids.raidId;
    EXPECT_EQ(members, 4) << "strength (6 + 0) / 2 = 3: one, two for the difficulty, one of the group bonus";
    EntityRef power(generator), drop(refinery);
    float took = PlayUntil(240.0f, 0.1f, [&] { return !power.GetLive() && !drop.GetLive(); });
    EXPECT_LT(took, 240.0f) << "the raiders raze the outpost";
    EXPECT_EQ(listener.counts["buildingsLost"], 2);
    EXPECT_FLOAT_EQ(ledger.supply, PowerLedger::START_SUPPLY) << "the fallen generator's power is gone";
    EXPECT_FLOAT_EQ(ledger.demand, 0.0f) << "and so is what the refinery drew";
    // With nothing left to take the raid gathers where it was sent and ends.
    PlayUntil(120.0f, 0.1f, [&] { return raids.state == 0; });
    EXPECT_EQ(raids.state, 0);
}
