// The player's units against what shoots them, with the shipped units, weapons and jobs on open
// ground: the rig cutting ore walks up to a scavenger that shoots it from beyond the rig's
// reach, kills it and cuts on, and lets one go that leads it past its leash; sent to a crystal
// wider than its cell, it walks up beside it and cuts; a unit sent across the map fights what
// meets it on the way and still arrives. No unit stands beaten: a shooter it can never come
// within reach of, or a second foe while it fights the one it was told to, leaves it firing (the
// watch every whole game runs, here on each frame). And every armed unit the player fields, slow
// guns too, is put through the same staged bouts: a move held up in a gap, for a moment or for
// good, a foe inside it, a gun that outranges it.
#include "tests/world/SkirmishTestSupport.h"

#include "campaign/PlayerProfile.h"
#include "tests/world/BeatingWatch.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

namespace {

class RigFight : public SkirmishWorld {
protected:
    // The pilot's rig with the starting weapons, cutting the ore beside it.
    Agent* CuttingRig(Entity** ore)
    {
        Agent* rig = Spawn("Builder", 30, 30);
        if (!rig) return nullptr;
        rig->flags |= ENTITY_PLAYER;
        EXPECT_NE(AttachRigWeapon(rig, "laser_cutter", "leftweapon", "LeftWeapon"), nullptr);
        EXPECT_NE(AttachRigWeapon(rig, "machinegun", "rightweapon", "RightWeapon"), nullptr);
        *ore = Standing(NewEntity(ENTITY_RESOURCE | ENTITY_RESOURCE_REVEALED), 31, 30);
        (*ore)->health = (*ore)->maxHealth = 2000.0f;
        EXPECT_NE(TheScene.AddEntity(*ore), nullptr);
        (*ore)->StampGrid();
        rig->mine = *ore;
        EXPECT_EQ(rig->brain->SetJob("ExtractOre", rig, AI_MODE_EXTRACT_ORE), 1);
        return rig;
    }
    bool Cutting(const Agent* rig) const
    {
        return rig->brain->mode == AI_MODE_EXTRACT_ORE && rig->brain->job && rig->brain->job->currentStep &&
               strcmp(rig->brain->job->currentStep->name, "ExtractOre") == 0;
    }

    // Frames of play with every unit of the player's watched.
    float WatchedUntil(float limit, const std::function<bool()>& done)
    {
        return PlayUntil(limit, 0.1f, [&] {
            watch.Step();
            return done();
        });
    }
    // A wall of closed cells along a row, from one column to another.
    void CloseRow(int row, int from, int to)
    {
        for (int column = from; column <= to; ++column) game.grid->GetCell(column, row)->flags &= ~CELL_WALKABLE;
    }
    // An enemy that stands its ground and shoots only the victim, as told.
    static void ShootsOnly(Agent* shooter, Agent* victim)
    {
        shooter->brainKind = BRAIN_NONE;
        shooter->stance = AGENT_STANCE_HOLD_POSITION;
        ASSERT_TRUE(OrderAttack(shooter, victim));
    }
    // The attack job on the foe, as an order to attack it gives it.
    static bool OrderAttack(Agent* agent, Entity* foe)
    {
        agent->target.Set(foe);
        return agent->brain->SetJob("AttackEntity", agent, AI_MODE_ATTACK) == 1;
    }

    beatingwatch::Watch watch;
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<float> ore{profile->ore, 0.0f};
    ScopedGlobal<float> oreGained{profile->oreGained, 0.0f};
};

TEST_F(RigFight, TheRigClosesInOnWhatShootsItFromBeyondItsReachAndCutsOn)
{
    const struct {
        const char* what;
        bool runsOff;  // the walker runs from the rig once it has shot it
    } cases[] = {{"the walker stands and shoots", false}, {"the walker runs off past the leash", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearAgents();
        TheScene.ReleaseEntities();
        profile->ore = 0.0f;
        Entity* node = nullptr;
        Agent* rig = CuttingRig(&node);
        ASSERT_NE(rig, nullptr);
        PlayUntil(3.0f, 0.1f, [&] { return profile->ore >= 2.0f; });
        ASSERT_TRUE(Cutting(rig)) << "the rig cuts";
        const Vec3 stood = rig->GetPosition();

        // A scavenger walker holds its ground 15 off, beyond the rig's reach of 10, and shoots.
        Agent* walker = Spawn("scav_small", 30, 36);
        ASSERT_NE(walker, nullptr);
        walker->stance = AGENT_STANCE_HOLD_POSITION;
        EntityRef shooter(walker);
        const float hurtAt = rig->health;
        PlayUntil(10.0f, 0.1f, [&] { return rig->health < hurtAt; });
        ASSERT_LT(rig->health, hurtAt) << "the walker shot the rig";
        if (c.runsOff) {
            // It turns and runs as fast as the rig walks, off to the map's far side.
            walker->brainKind = BRAIN_NONE;
            walker->brain->ClearJob();
            walker->target.Clear();
            walker->MoveTo(Corner(30, 90), true);
        }
        float farthest = 0.0f;
        bool answered = false;
        PlayUntil(60.0f, 0.1f, [&] {
            answered |= rig->target.Get() == walker;
            farthest = std::max(farthest, GetGroundDistance(stood, rig->GetPosition()));
            return !rig->IsAlive() || (answered && (Cutting(rig) || !shooter.GetLive()));
        });
        EXPECT_TRUE(answered) << "the rig took up the fight";
        EXPECT_GT(farthest, 2.5f) << "it walked up to the walker";
        if (c.runsOff) {
            EXPECT_NE(shooter.GetLive(), nullptr) << "out ran";
            EXPECT_LE(farthest, 2.0f * rig->GetAttackRange() + 3.0f) << "no farther than the leash";
        } else {
            EXPECT_EQ(shooter.GetLive(), nullptr) << "the rig killed it";
        }
        // Back at the crystal, the rig cuts and the ore rises.
        PlayUntil(30.0f, 0.1f, [&] { return Cutting(rig); });
        EXPECT_TRUE(Cutting(rig)) << "the rig went back to its cutting";
        const float before = profile->ore;
        PlayUntil(5.0f, 0.1f, [] { return false; });
        EXPECT_GT(profile->ore, before + 2.0f) << "the player's ore rises again";
        EXPECT_TRUE(rig->IsAlive());
    }
}

// Sent over a river's crossing to the far side (two legs), a gunner meets a walker halfway.
// Told to attack on the way, it kills the walker and goes on; on a plain move it walks past.
TEST_F(RigFight, AUnitSentAcrossTheMapFightsWhatMeetsItAndArrives)
{
    for (bool attackMove : {true, false}) {
        SCOPED_TRACE(attackMove ? "attack on the way" : "plain move");
        ClearAgents();
        Agent* gunner = Spawn("gunner_bot", 10, 30);
        Agent* walker = Spawn("scav_small", 30, 33);
        ASSERT_TRUE(gunner && walker);
        walker->stance = AGENT_STANCE_HOLD_POSITION;
        EntityRef foe(walker);
        const Vec3 crossing = Corner(28, 30), goal = Corner(60, 30);
        gunner->MoveTo(crossing, true);
        gunner->moveQueue.Push(goal);
        if (attackMove) gunner->classWord |= AGENT_ORDERED_MOVE;
        bool fought = false;
        PlayUntil(90.0f, 0.1f, [&] {
            fought |= gunner->CurrentAiMode() == AI_MODE_ATTACK;
            return !gunner->IsAlive() || GetGroundDistance(gunner->GetPosition(), goal) < 3.0f;
        });
        ASSERT_TRUE(gunner->IsAlive());
        EXPECT_LT(GetGroundDistance(gunner->GetPosition(), goal), 3.0f) << "it arrived";
        EXPECT_EQ(fought, attackMove);
        EXPECT_EQ(foe.GetLive() == nullptr, attackMove) << "the walker it met is dead";
    }
}

// A shipped crystal's mesh spans more cells than the one it holds. Sent to cut it from a few
// cells off, on any side, the rig walks up beside it and the player's ore rises.
TEST_F(RigFight, TheRigSentToCutAWideCrystalWalksUpBesideItAndCuts)
{
    const struct {
        const char* crystal;
        float yaw;
        int column, row;  // where the rig starts, from the crystal
    } cases[] = {{"res_ore_4", 235.6f, -4, 0}, {"res_ore_4", 235.6f, 4, 0}, {"res_ore_4", 235.6f, 0, -4},
                 {"res_ore_4", 235.6f, 0, 4},  {"res_ore_4", 0.0f, -4, 0},   {"res_ore_1", 0.0f, 0, 4}};
    bool wide = false;
    int row = 10;  // each crystal a way from the last
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.crystal) + " from " + std::to_string(c.column) + "," + std::to_string(c.row));
        ClearAgents();
        profile->ore = 0.0f;
        row += 15;
        // As a level puts it down: turned, settled, holding its cell.
        Entity* node = TheScene.AddResource(c.crystal, Corner(30, row), 0);
        ASSERT_NE(node, nullptr);
        node->yaw = c.yaw;
        node->flags |= ENTITY_RESOURCE_REVEALED | ENTITY_PLACED;
        node->health = node->maxHealth = 2000.0f;
        int x0, y0, x1, y1;
        wide |= node->GetGridFootprint(&x0, &y0, &x1, &y1) && (x0 != x1 || y0 != y1);
        Agent* rig = Spawn("Builder", 30 + c.column, row + c.row);
        ASSERT_NE(rig, nullptr);
        rig->flags |= ENTITY_PLAYER;
        Frame(0.1f);
        rig->mine = node;
        ASSERT_EQ(rig->brain->SetJob("ExtractOre", rig, AI_MODE_EXTRACT_ORE), 1);
        PlayUntil(20.0f, 0.1f, [&] { return profile->ore >= 3.0f; });
        EXPECT_GE(profile->ore, 3.0f) << "the rig cut the crystal";
        EXPECT_TRUE(Cutting(rig));
    }
    EXPECT_TRUE(wide) << "a crystal spans more than its cell";
}

// The rig ordered at a scavenger camp, a brute and a walker beating it there: it answers them
// (the brute's smash as well as its blow names the brute), and with them dead goes back to the
// camp and razes it. Ordered at the walker instead, it stays on the walker that shoots back
// whoever else hits it, as it was told.
TEST_F(RigFight, TheRigOrderedAtACampAnswersTheGuardsThatBeatItThenRazesTheCamp)
{
    const struct {
        const char* what;
        bool atTheCamp;
        int column;  // where it plays, clear of the last case's camp
    } cases[] = {{"ordered at the camp", true, 30}, {"ordered at the walker", false, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearAgents();
        const int x = c.column;
        Agent* rig = Spawn("Builder", x, 30);
        ASSERT_NE(rig, nullptr);
        rig->flags |= ENTITY_PLAYER;
        ASSERT_NE(AttachRigWeapon(rig, "machinegun", "rightweapon", "RightWeapon"), nullptr);
        Building* camp = Raise("Scavenger_camp", x, 36);
        ASSERT_NE(camp, nullptr);
        camp->SetHealth(150.0f);  // a few seconds of the rig's fire
        camp->stateFlags |= BUILDING_SPAWNER_EXHAUSTED;  // its guards are the two below
        Agent* brute = Spawn("scav_brute", x - 3, 31);
        Agent* walker = Spawn("scav_small", x + 3, 31);
        ASSERT_TRUE(brute && walker);
        // Guards the rig outlasts: the fight is about whom it shoots, not about its odds.
        brute->SetHealth(60.0f);
        walker->SetHealth(40.0f);
        const EntityRef bruteRef(brute), walkerRef(walker), campRef(camp);
        Entity* ordered = c.atTheCamp ? static_cast<Entity*>(camp) : walker;
        ASSERT_TRUE(OrderAttack(rig, ordered));

        bool answeredBrute = false, bruteHitUnknown = false;
        float known = 0.0f, health = rig->health;
        PlayUntil(60.0f, 0.1f, [&] {
            answeredBrute |= rig->target.Get() == brute && bruteRef.GetLive();
            const ThreatRecord* fromBrute = bruteRef.GetLive() ? rig->FindThreat(brute) : nullptr;
            float sum = 0.0f;
            for (int i = 0; i < rig->threatCount; ++i) sum += rig->threats[i].threat;
            bruteHitUnknown |= rig->health < health && sum - known < 0.5f * (health - rig->health) && fromBrute;
            known = sum, health = rig->health;
            if (!c.atTheCamp) return !rig->IsAlive() || !walkerRef.GetLive() || answeredBrute;
            return !rig->IsAlive() || !campRef.GetLive();
        });
        EXPECT_FALSE(bruteHitUnknown) << "every hit names who dealt it";
        if (c.atTheCamp) {
            EXPECT_TRUE(answeredBrute) << "the rig turned on the brute beating it";
            EXPECT_EQ(bruteRef.GetLive(), nullptr) << "and killed it";
            EXPECT_EQ(walkerRef.GetLive(), nullptr) << "and the walker";
            EXPECT_EQ(campRef.GetLive(), nullptr) << "then went back and razed the camp";
            EXPECT_TRUE(rig->IsAlive());
        } else {
            EXPECT_FALSE(answeredBrute) << "an ordered fight with a foe that fights back is kept";
        }
    }
}

// The rig ordered at a camp while a walker shoots it from a cell closed all round, 12.5 off and
// out of the rig's reach from anywhere it can stand: the walker is no fight to take up, and the
// rig razes the camp.
TEST_F(RigFight, AShooterTheRigCanNeverReachIsNotTakenUp)
{
    watch.Reset();
    Agent* rig = Spawn("Builder", 30, 30);
    ASSERT_NE(rig, nullptr);
    rig->flags |= ENTITY_PLAYER;
    ASSERT_NE(AttachRigWeapon(rig, "machinegun", "rightweapon", "RightWeapon"), nullptr);
    Building* camp = Raise("Scavenger_camp", 24, 29);
    ASSERT_NE(camp, nullptr);
    camp->SetHealth(300.0f);
    camp->stateFlags |= BUILDING_SPAWNER_EXHAUSTED;
    Agent* walker = Spawn("scav_small", 35, 30);
    ASSERT_NE(walker, nullptr);
    for (int row = 26; row <= 34; ++row)
        for (int column = 32; column <= 38; ++column)
            if (column != 35 || row != 30) game.grid->GetCell(column, row)->flags &= ~CELL_WALKABLE;
    game.LabelWalkRegions();
    ShootsOnly(walker, rig);
    const EntityRef campRef(camp);
    ASSERT_TRUE(OrderAttack(rig, camp));
    float onTheWalker = 0.0f;
    WatchedUntil(90.0f, [&] {
        onTheWalker += rig->target.Get() == walker ? 0.1f : 0.0f;
        return !rig->IsAlive() || !campRef.GetLive();
    });
    EXPECT_LT(rig->health, rig->GetMaxHealth()) << "the walker shot the rig";
    EXPECT_EQ(onTheWalker, 0.0f) << "seconds the rig spent on a foe it could not reach";
    EXPECT_EQ(campRef.GetLive(), nullptr) << "the rig razed the camp";
    EXPECT_TRUE(rig->IsAlive());
}

// Focus fire: a gunner told to attack a walker that shoots another unit stays on it while a
// second walker shoots the gunner, until the first is dead; then it answers the second.
TEST_F(RigFight, AnOrderedAttackOnAnArmedFoeHoldsWhileAnotherBeatsTheUnit)
{
    watch.Reset();
    Agent* gunner = Spawn("gunner_bot", 30, 30);
    Agent* decoy = Spawn("gunner_bot", 26, 36);
    Agent* ordered = Spawn("scav_small", 30, 35);
    Agent* other = Spawn("scav_small", 35, 31);
    ASSERT_TRUE(gunner && decoy && ordered && other);
    decoy->brainKind = BRAIN_NONE;
    decoy->stance = AGENT_STANCE_STOP;
    ShootsOnly(ordered, decoy);
    ShootsOnly(other, gunner);
    const EntityRef orderedRef(ordered), otherRef(other);
    ASSERT_TRUE(OrderAttack(gunner, ordered));
    bool turned = false;
    WatchedUntil(60.0f, [&] {
        turned |= orderedRef.GetLive() && gunner->target.Get() != ordered;
        return !gunner->IsAlive() || !otherRef.GetLive();
    });
    EXPECT_FALSE(turned) << "the gunner left the walker it was told to attack while it lived";
    EXPECT_EQ(orderedRef.GetLive(), nullptr);
    EXPECT_EQ(otherRef.GetLive(), nullptr) << "then it answered the other";
    EXPECT_TRUE(gunner->IsAlive());
}

// Beset beside a camp: a walker it took up touches it and shoots it, while a brute that touches
// it too beats it far harder. Whatever gun the pilot bought, the rig finishes the walker
// it has worn down before it turns on the brute, and the kill is counted: it neither throws the
// fire spent on the walker away nor falls with nothing to show.
TEST_F(RigFight, BesetTheRigFinishesTheFoeItWoreDownWhateverItsGun)
{
    int guns = 0;
    for (auto* node = game.items->items.head; node; node = node->next) {
        const Item* definition = node->value;
        if (!definition->weapon || (definition->itemFlags & ITEM_FLAG_AI_ONLY)) continue;
        ++guns;
        SCOPED_TRACE(definition->name);
        ClearAgents();
        projectiles.Clear();
        Agent* rig = Spawn("Builder", 30, 30);
        ASSERT_NE(rig, nullptr);
        rig->flags |= ENTITY_PLAYER;
        const Item* gun = AttachRigWeapon(rig, definition->name, "rightweapon", "RightWeapon");
        ASSERT_NE(gun, nullptr);
        rig->SetHealth(5000.0f);
        Agent* walker = Spawn("scav_small", 30, 30);
        Agent* brute = Spawn("scav_brute", 30, 30);
        ASSERT_TRUE(walker && brute);
        walker->SetPosition(rig->GetPosition() + Vec3(1.2f, 0.0f, 0.4f));
        brute->SetPosition(rig->GetPosition() + Vec3(-1.4f, 0.0f, -0.5f));
        ASSERT_TRUE(rig->Touches(walker) && rig->Touches(brute));
        // Enough health to outlast the seconds before the rig weighs who hurts it most.
        walker->SetHealth(9.0f * rig->GetDamagePerSecond(gun->weapon));
        brute->SetHealth(50000.0f);
        brute->brainKind = BRAIN_NONE;
        brute->stance = AGENT_STANCE_STOP;
        ShootsOnly(walker, rig);
        const EntityRef foe(walker);
        ASSERT_LT(PlayUntil(10.0f, 0.1f, [&] { return rig->target.Get() == walker; }), 10.0f) << "it took the walker up";
        // The brute strikes far harder than the walker shoots: soon it has hurt the rig most.
        brute->damage = 60.0f;
        ShootsOnly(brute, rig);
        const int killsBefore = rig->kills;
        float away = 0.0f;
        WatchedUntil(40.0f, [&] {
            away += foe.GetLive() && rig->target.Get() != walker ? 0.1f : 0.0f;
            return !rig->IsAlive() || !foe.GetLive();
        });
        EXPECT_EQ(foe.GetLive(), nullptr) << "the walker died";
        EXPECT_EQ(away, 0.0f) << "seconds the rig spent off the walker while it lived";
        EXPECT_EQ(rig->kills, killsBefore + 1) << "the kill is the rig's";
        EXPECT_FALSE(watch.Breached());
    }
    EXPECT_GE(guns, 10) << "the guns a pilot can buy";
}


// ---- Staged bouts: every armed unit the player can field, through the fights a player meets.

struct ArmedUnit {
    const char* type;
    const char* rigWeapon;  // the rig's one gun (a slow one), none for a bot
};
const ArmedUnit ARMED_UNITS[] = {
    {"scout_bot", nullptr},  {"gunner_bot", nullptr}, {"rocket_bot", nullptr},
    {"mortar_bot", nullptr}, {"heavy_tank", nullptr}, {"flame_bot", nullptr},
    {"arc_walker", nullptr}, {"air_drone", nullptr},  {"Builder", "swarm_rockets"},
};

enum class Bout {
    OneWalker,
    FocusFire,
    RetreatHeldInAGap,
    StopUnderAMove,
    MoveHeldForGood,
    FoeAcrossWater,
    PastAHarmlessCamp,
    FoeInside,
    OutrangedByAGun,
};

class StagedBout : public RigFight, public ::testing::WithParamInterface<Bout> {
protected:
    // The unit on the point of cell (column, row), with hull enough that each bout is about what
    // it does, not about its odds.
    Agent* Fielded(const ArmedUnit& unit, int column, int row)
    {
        Agent* agent = Spawn(unit.type, column, row);
        if (!agent) return nullptr;
        if (unit.rigWeapon) {
            agent->flags |= ENTITY_PLAYER;
            EXPECT_NE(AttachRigWeapon(agent, unit.rigWeapon, "rightweapon", "RightWeapon"), nullptr);
        }
        agent->SetHealth(600.0f);
        return agent;
    }
    Agent* Walker(int column, int row)
    {
        Agent* walker = Spawn("scav_small", column, row);
        if (walker) walker->SetHealth(100.0f);
        return walker;
    }
    // A fresh stage: no units, no shots.
    void Clear()
    {
        ClearAgents();
        projectiles.Clear();
    }
    // A wall along row 40 with one gap at column 30, a friend standing in the gap until it steps
    // out of the way after a moment (as a group jams there); the unit sent through it from
    // (30, 36) to (30, 60).
    Agent* ThroughAGap(const ArmedUnit& unit, Agent** friendInTheGap)
    {
        CloseRow(40, 0, game.grid->size - 1);
        game.grid->GetCell(30, 40)->flags |= CELL_WALKABLE;
        *friendInTheGap = Spawn("gunner_bot", 30, 40);
        Agent* agent = Fielded(unit, 30, 36);
        if (!agent || !*friendInTheGap) return nullptr;
        (*friendInTheGap)->brainKind = BRAIN_NONE;
        return agent;
    }
    // Plays the sent unit's move with the friend stepping out of the gap after 2.8 s; true when
    // it arrived. The look is given the seconds played.
    static constexpr float WAY_FREED_AT = 2.8f;
    bool Arrives(Agent* agent, Agent* friendInTheGap, const std::function<void(float)>& look)
    {
        const Vec3 goal = Corner(30, 60);
        agent->MoveTo(goal, true);
        float clock = 0.0f;
        WatchedUntil(60.0f, [&] {
            if (std::fabs(clock - WAY_FREED_AT) < 0.05f) friendInTheGap->MoveTo(Corner(36, 46), true);
            clock += 0.1f;
            look(clock);
            return !agent->IsAlive() || GetGroundDistance(agent->GetPosition(), goal) < 3.0f;
        });
        return agent->IsAlive() && GetGroundDistance(agent->GetPosition(), goal) < 3.0f;
    }
    // The foe on the unit's own point, moved off it by that much.
    Agent* WalkerInside(Agent* agent, float off)
    {
        Agent* walker = Walker(30, 30);
        if (walker) walker->SetPosition(agent->GetPosition() + Vec3(off, 0.0f, 0.3f * off));
        return walker;
    }
};

TEST_P(StagedBout, EveryArmedUnitFightsOnAndKeepsItsMove)
{
    const Bout bout = GetParam();
    Building* camp = nullptr;
    for (const ArmedUnit& unit : ARMED_UNITS) {
        SCOPED_TRACE(unit.type);
        Clear();
        watch.Reset();
        const bool air = strcmp(unit.type, "air_drone") == 0;
        switch (bout) {
        case Bout::OneWalker: {
            // A walker comes at the idle unit: fought until it dies, through every reload.
            Agent* agent = Fielded(unit, 30, 30);
            Agent* walker = Walker(30, 38);
            ASSERT_TRUE(agent && walker);
            const EntityRef foe(walker);
            int letGo = 0;
            bool onIt = false;
            WatchedUntil(60.0f, [&] {
                const bool now = agent->target.Get() == walker;
                letGo += onIt && !now && foe.GetLive();
                onIt = now;
                return !agent->IsAlive() || !foe.GetLive();
            });
            EXPECT_EQ(foe.GetLive(), nullptr) << "the walker died";
            EXPECT_EQ(letGo, 0) << "times the unit let the walker go";
            break;
        }
        case Bout::FocusFire: {
            // Told to attack a walker that shoots a bystander while another walker shoots it.
            Agent* agent = Fielded(unit, 30, 30);
            Agent* bystander = Spawn("gunner_bot", 26, 36);
            Agent* ordered = Walker(30, 35);
            Agent* other = Walker(35, 31);
            ASSERT_TRUE(agent && bystander && ordered && other);
            bystander->brainKind = BRAIN_NONE;
            bystander->stance = AGENT_STANCE_STOP;
            bystander->SetHealth(2000.0f);
            ShootsOnly(ordered, bystander);
            ShootsOnly(other, agent);
            const EntityRef orderedRef(ordered);
            ASSERT_TRUE(OrderAttack(agent, ordered));
            float away = 0.0f;
            WatchedUntil(60.0f, [&] {
                away += orderedRef.GetLive() && agent->target.Get() != ordered ? 0.1f : 0.0f;
                return !agent->IsAlive() || !orderedRef.GetLive();
            });
            EXPECT_EQ(orderedRef.GetLive(), nullptr) << "the ordered walker died";
            EXPECT_EQ(away, 0.0f) << "seconds of fire off the ordered walker";
            break;
        }
        case Bout::RetreatHeldInAGap:
        case Bout::StopUnderAMove: {
            // Sent away through the gap while a walker beside it shoots it: the move goes on as
            // soon as the way is free, whatever fight it met, though the walker chases it and
            // outlasts it; on Stop it is never given up.
            Agent* friendInTheGap = nullptr;
            Agent* agent = ThroughAGap(unit, &friendInTheGap);
            Agent* walker = Walker(34, 38);
            ASSERT_TRUE(agent && walker);
            const bool stop = bout == Bout::StopUnderAMove;
            if (stop) {
                agent->stance = AGENT_STANCE_STOP;
                ShootsOnly(walker, agent);
            } else {
                walker->SetHealth(5000.0f);
                walker->brainKind = BRAIN_NONE;
                ASSERT_TRUE(OrderAttack(walker, agent));
            }
            bool fought = false;
            float through = -1.0f;  // when it came past the wall
            const float wall = Corner(30, 41).z;
            EXPECT_TRUE(Arrives(agent, friendInTheGap, [&](float clock) {
                fought |= agent->target.IsSet();
                if (through < 0.0f && agent->GetPosition().z > wall) through = clock;
            })) << "it arrived";
            EXPECT_FALSE(stop && fought) << "on Stop it took no fight up";
            if (!air) {
                EXPECT_GE(through, 0.0f) << "it came through the gap";
                EXPECT_LT(through, WAY_FREED_AT + 3.0f) << "seconds before it came through the gap";
            }
            break;
        }
        case Bout::MoveHeldForGood: {
            // The friend in the gap never moves: the move stands, and the unit ends it there and
            // kills the walker that beats it. What flies is held up by nothing and gets there.
            Agent* friendInTheGap = nullptr;
            Agent* agent = ThroughAGap(unit, &friendInTheGap);
            Agent* walker = Walker(34, 38);
            ASSERT_TRUE(agent && walker);
            ShootsOnly(walker, agent);
            const EntityRef foe(walker);
            const Vec3 goal = Corner(30, 60);
            agent->MoveTo(goal, true);
            WatchedUntil(60.0f, [&] {
                return !agent->IsAlive() || !foe.GetLive() || (air && GetGroundDistance(agent->GetPosition(), goal) < 3.0f);
            });
            EXPECT_TRUE(agent->IsAlive());
            if (air) {
                EXPECT_LT(GetGroundDistance(agent->GetPosition(), goal), 3.0f) << "it got there";
            } else {
                EXPECT_EQ(foe.GetLive(), nullptr) << "it killed the walker";
            }
            break;
        }
        case Bout::FoeAcrossWater: {
            // A walker on the far shore, within notice but beyond reach from any ground this side.
            OpenGround();
            Agent* agent = Fielded(unit, 30, 30);
            ASSERT_NE(agent, nullptr);
            const float across = 0.5f * (agent->GetAttackRange() + agent->noticeRange);
            const int rows = (int)std::ceil(across / game.grid->cellSize);
            for (int row = 31; row < 30 + rows; ++row) CloseRow(row, 0, game.grid->size - 1);
            game.LabelWalkRegions();
            Agent* walker = Walker(30, 30 + rows);
            ASSERT_NE(walker, nullptr);
            walker->brainKind = BRAIN_NONE;
            const EntityRef foe(walker);
            const Vec3 stood = agent->GetPosition();
            float onIt = 0.0f;
            WatchedUntil(air ? 40.0f : 20.0f, [&] {
                onIt += agent->target.Get() == walker ? 0.1f : 0.0f;
                return !foe.GetLive();
            });
            if (air) {
                EXPECT_EQ(foe.GetLive(), nullptr) << "what flies crosses and shoots it";
            } else {
                EXPECT_EQ(onIt, 0.0f) << "seconds on a foe it can never shoot";
                EXPECT_LT(GetGroundDistance(stood, agent->GetPosition()), 3.0f) << "it stood its ground";
            }
            break;
        }
        case Bout::PastAHarmlessCamp: {
            // An unguarded camp beside the gap: nothing there can hurt anyone, so the jam is no
            // reason to turn on it.
            if (!camp) {
                camp = Raise("Scavenger_camp", 22, 34);
                ASSERT_NE(camp, nullptr);
                camp->stateFlags |= BUILDING_SPAWNER_EXHAUSTED;
            }
            Agent* friendInTheGap = nullptr;
            Agent* agent = ThroughAGap(unit, &friendInTheGap);
            ASSERT_NE(agent, nullptr);
            bool turned = false;
            EXPECT_TRUE(Arrives(agent, friendInTheGap, [&](float) { turned |= agent->target.Get() == camp; }))
                << "it went on";
            EXPECT_FALSE(turned) << "it turned on the camp";
            break;
        }
        case Bout::FoeInside: {
            // Told to attack a walker that stands inside it, or touches it, and shoots it: its
            // weapons hit the walker whichever way they face, and it falls.
            for (float off : {0.05f, 0.6f, 1.2f}) {
                SCOPED_TRACE("the walker " + std::to_string(off) + " off its centre");
                Clear();
                Agent* agent = Fielded(unit, 30, 30);
                ASSERT_NE(agent, nullptr);
                Agent* walker = WalkerInside(agent, off);
                ASSERT_NE(walker, nullptr);
                ShootsOnly(walker, agent);
                const EntityRef foe(walker);
                ASSERT_TRUE(OrderAttack(agent, walker));
                WatchedUntil(30.0f, [&] { return !agent->IsAlive() || !foe.GetLive(); });
                EXPECT_EQ(foe.GetLive(), nullptr) << "the walker died";
            }
            break;
        }
        case Bout::OutrangedByAGun: {
            // An anti-air gun that reaches farther than the rig sees shoots the idle unit (or is
            // seen by one that sees farther): it walks up to the gun and brings it down.
            Agent* agent = Fielded(unit, 30, 30);
            Building* gun = Raise("Scavenger_AA_Gun", 33, 38);
            ASSERT_TRUE(agent && gun);
            gun->SetHealth(80.0f);
            const EntityRef gunRef(gun);
            WatchedUntil(60.0f, [&] { return !agent->IsAlive() || !gunRef.GetLive(); });
            EXPECT_EQ(gunRef.GetLive(), nullptr) << "it brought the gun down";
            EXPECT_TRUE(agent->IsAlive());
            if (gunRef.GetLive()) TheScene.RemoveEntity(gun, REMOVE_EVERYWHERE);
            break;
        }
        }
        EXPECT_FALSE(watch.Breached());
    }
}

std::string BoutName(const ::testing::TestParamInfo<Bout>& info)
{
    static const char* const names[] = {"OneWalker",       "FocusFire",      "RetreatHeldInAGap",
                                        "StopUnderAMove",  "MoveHeldForGood", "FoeAcrossWater",
                                        "PastAHarmlessCamp", "FoeInside",     "OutrangedByAGun"};
    return names[(int)info.param];
}

INSTANTIATE_TEST_SUITE_P(Bouts, StagedBout,
                         ::testing::Values(Bout::OneWalker, Bout::FocusFire, Bout::RetreatHeldInAGap,
                                           Bout::StopUnderAMove, Bout::MoveHeldForGood, Bout::FoeAcrossWater,
                                           Bout::PastAHarmlessCamp, Bout::FoeInside, Bout::OutrangedByAGun),
                         BoutName);

}  // namespace
