// The brains of the computer's units in small scenes: who they pick to fight, when they let
// go, when they turn on whoever hurts them most, and the jobs they take.
#include "world/AiBrain.h"

#include "host/Random.h"
#include "tests/world/WorldTestSupport.h"
#include "world/TaskManager.h"
#include "world/WeaponDef.h"

#include <memory>

namespace {

class AiBrainTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        tasks = std::make_unique<TaskManager>();
        TheTaskManager = tasks.get();
    }
    void TearDown() override
    {
        WorldTest::TearDown();
        tasks.reset();
    }
    Agent* Unit(int alignment, int kind, float x, bool air = false)
    {
        Agent* agent = Place(NewAgent(alignment, air), x);
        agent->brainKind = kind;
        agent->maxHealth = agent->health = 100.0f;
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    static const char* JobName(const Agent* agent)
    {
        return agent->brain && agent->brain->job ? agent->brain->job->name : "";
    }

    std::unique_ptr<TaskManager> tasks;
    ScopedGlobal<TaskManager*> current{TheTaskManager, nullptr};
};

TEST_F(AiBrainTest, ModesByName)
{
    const char* names[] = {"Idle",        "Attack",        "Flee",          "Mining",    "MiningReturnToDropoff",
                           "Build",       "BuildComplete", "Repair",        "ExtractOre", "Salvage",
                           "UpgradeMove", "RecycleMove",   "WarpMove",      "ItemMoveAndAction",
                           "MoveAndAttack", "Raid",        "Heal",          "None"};
    for (int mode = 0; mode < AI_MODE_COUNT; ++mode) {
        EXPECT_STREQ(AIBrain::GetModeName(mode), names[mode]);
        EXPECT_EQ(AIBrain::FindMode(names[mode]), mode);
    }
    for (int wrong : {-1, 18, 1000}) EXPECT_STREQ(AIBrain::GetModeName(wrong), "None");
    EXPECT_EQ(AIBrain::FindMode("Dance"), -1);
}

TEST_F(AiBrainTest, OrdersTakeJobsAndGiveThemBack)
{
    Agent* bot = Unit(ALIGN_PLAYER, BRAIN_NONE, 0.0f);
    AIBrain& brain = *bot->brain;
    EXPECT_EQ(brain.mode, AI_MODE_NONE);
    brain.SetMode(AI_MODE_HEAL);
    brain.ClearJob();  // no job: the mode stays
    EXPECT_EQ(brain.mode, AI_MODE_HEAL);

    EXPECT_EQ(brain.SetJob("Repair", bot, AI_MODE_REPAIR), 1);
    EXPECT_STREQ(JobName(bot), "Repair");
    EXPECT_EQ(brain.job->GetAgent(), bot);
    EXPECT_EQ(brain.mode, AI_MODE_REPAIR);
    EXPECT_EQ(brain.SetJob("NoSuchJob", bot, AI_MODE_BUILD), 0);
    EXPECT_EQ(tasks->activeJobs.count, 1);  // the old job went back
    brain.ClearJob();
    EXPECT_EQ(brain.job, nullptr);
    EXPECT_EQ(brain.mode, AI_MODE_IDLE);
    EXPECT_EQ(tasks->activeJobs.count, 0);

    // With every job of the pool running the order is refused, not taken half-way.
    while (tasks->NewJob()) {
    }
    EXPECT_EQ(brain.SetJob("Repair", bot, AI_MODE_REPAIR), 0);
    EXPECT_EQ(brain.job, nullptr);
    Agent* wanderer = Unit(ALIGN_NEUTRAL, BRAIN_NEUTRAL, 5.0f);
    wanderer->brain->Think(wanderer);
    EXPECT_EQ(wanderer->brain->job, nullptr);
}

TEST_F(AiBrainTest, AWandererWaitsOrWandersAndKeepsItsMode)
{
    Agent* wanderer = Unit(ALIGN_NEUTRAL, BRAIN_NEUTRAL, 0.0f);
    wanderer->brain->SetMode(AI_MODE_IDLE);
    bool seen[2] = {false, false};
    for (unsigned seed = 1; seed < 40000; seed += 1000) {
        wanderer->brain->ClearJob();
        SRand(seed);
        bool waits = Rand() < 16384;
        SRand(seed);
        wanderer->brain->Think(wanderer);
        EXPECT_STREQ(JobName(wanderer), waits ? "WaitOnTime" : "Wander");
        seen[waits] = true;
        Job* job = wanderer->brain->job;
        wanderer->brain->Think(wanderer);  // busy: the same job
        EXPECT_EQ(wanderer->brain->job, job);
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    EXPECT_EQ(wanderer->brain->mode, AI_MODE_IDLE);
}

TEST_F(AiBrainTest, AMinerStartsMiningInTheStateItWasSentIn)
{
    Agent* miner = Unit(ALIGN_PLAYER, BRAIN_MINER, 0.0f);
    AIBrain& brain = *miner->brain;
    for (int idle : {AI_MODE_IDLE, AI_MODE_NONE}) {
        brain.SetMode(idle);
        brain.Think(miner);
        EXPECT_EQ(brain.job, nullptr);
    }
    brain.SetMode(AI_MODE_MINING_RETURN_TO_DROPOFF);
    brain.Think(miner);
    EXPECT_STREQ(JobName(miner), "Mine");
    EXPECT_EQ(brain.job->stepState, MINE_STEP_RETURN_TO_DROPOFF);
    EXPECT_EQ(brain.mode, AI_MODE_MINING);

    brain.ClearJob();
    brain.SetMode(AI_MODE_MINING);
    brain.Think(miner);
    EXPECT_STREQ(JobName(miner), "Mine");
    EXPECT_EQ(brain.job->stepState, 0);
}

TEST_F(AiBrainTest, AnAttackBotHuntsTheNearestEnemyInRange)
{
    Agent* bot = Unit(ALIGN_PLAYER, BRAIN_ATTACKBOT, 0.0f);
    bot->noticeRange = 20.0f;
    Agent* far = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 15.0f);
    Agent* near = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 12.0f);
    Unit(ALIGN_NEUTRAL, BRAIN_NEUTRAL, 3.0f);  // not an enemy
    Agent* flyer = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 5.0f, true);
    bot->classWord |= AGENT_CLASS_MELEE;  // cannot reach the flyer

    // Under a plain move order it passes them by; told to attack on the way it does not.
    bot->classWord |= AGENT_MOVING;
    bot->brain->Think(bot);
    EXPECT_EQ(bot->target.Get(), nullptr);
    bot->classWord |= AGENT_ORDERED_MOVE;
    bot->brain->Think(bot);
    EXPECT_EQ(bot->target.Get(), near);
    EXPECT_EQ(bot->brain->mode, AI_MODE_ATTACK);
    EXPECT_STREQ(JobName(bot), "AttackEntity");

    // Busy attacking: it thinks nothing new.
    near->flags |= ENTITY_DEAD;
    bot->brain->Think(bot);
    EXPECT_EQ(bot->target.Get(), near);

    bot->brain->ClearJob();
    bot->brain->Think(bot);
    EXPECT_EQ(bot->target.Get(), far);
    bot->classWord &= ~AGENT_CLASS_MELEE;
    bot->brain->SetMode(AI_MODE_NONE);
    bot->brain->Think(bot);
    EXPECT_EQ(bot->target.Get(), flyer);

    bot->noticeRange = 4.0f;
    bot->brain->SetMode(AI_MODE_IDLE);
    bot->brain->Think(bot);
    EXPECT_EQ(bot->target.Get(), nullptr);
    EXPECT_EQ(bot->brain->mode, AI_MODE_NONE);
}

// The rig lets go of a foe it picked itself once the foe is out of its sight; an attack the
// player ordered, and a bot's own fight, follow the foe on. Busy with an order, it picks none.
TEST_F(AiBrainTest, TheRigLetsGoOfAFoeItPickedItselfBeyondItsSight)
{
    struct {
        bool rig, ordered, letsGo;
    } cases[] = {{true, false, true}, {true, true, false}, {false, false, false}};
    for (const auto& c : cases) {
        TheScene.ReleaseEntities();
        Agent* unit = Unit(ALIGN_PLAYER, BRAIN_ATTACKBOT, 0.0f);
        if (c.rig) unit->flags |= ENTITY_PLAYER;
        unit->noticeRange = 20.0f;
        Agent* foe = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 15.0f);
        unit->brain->Think(unit);
        if (c.ordered) unit->brain->SetJob("AttackEntity", unit, AI_MODE_ATTACK);
        ASSERT_EQ(unit->target.Get(), foe);
        foe->SetPosition(Vec3(19.5f, 0.0f, 0.0f));
        unit->brain->Think(unit);
        EXPECT_EQ(unit->target.Get(), foe) << "within sight";
        foe->SetPosition(Vec3(21.0f, 0.0f, 0.0f));
        unit->brain->Think(unit);
        EXPECT_EQ(unit->target.Get(), c.letsGo ? nullptr : foe) << c.rig << c.ordered;
        EXPECT_EQ(unit->brain->mode, c.letsGo ? AI_MODE_NONE : AI_MODE_ATTACK);
    }
    // Building or mending what it was told to, it leaves a foe in sight alone.
    Unit(ALIGN_ENEMY, BRAIN_ENEMY, 5.0f);
    for (int mode : {AI_MODE_BUILD, AI_MODE_REPAIR, AI_MODE_NONE}) {
        Agent* rig = Unit(ALIGN_PLAYER, BRAIN_ATTACKBOT, 0.0f);
        rig->noticeRange = 20.0f;
        rig->flags |= ENTITY_PLAYER;
        if (mode != AI_MODE_NONE) rig->brain->SetJob(mode == AI_MODE_BUILD ? "Build" : "Repair", rig, mode);
        rig->brain->Think(rig);
        EXPECT_EQ(rig->target.IsSet(), mode == AI_MODE_NONE) << mode;  // idle, it answers
    }
}

// Whoever bites a bot of the player's is answered before a nearer nest: by the rig standing
// idle, already shooting the nest, or at its work (which it takes up again once the biter is
// dead or has run off beyond the leash), and by any bot hunting on its own; also from beyond
// the bot's sight, but not from where it cannot be shot without going past the leash (twice
// its reach from where it stands). A plain move order goes on, between the legs of its way too.
TEST_F(AiBrainTest, WhoeverHurtsTheBotIsAnsweredBeforeANearerBuilding)
{
    const float REACH = 10.0f, LEASH = 2.0f * REACH;
    const struct {
        const char* what;
        bool rig;
        const char* job;  // the work it is at, or none
        int work;
        uint32_t moving;
        bool queued, onTheNest, bitten;
        float bittenFrom;
        bool answers, runsOff;
    } cases[] = {
        {"idle rig, not bitten", true, nullptr, AI_MODE_NONE, 0, false, false, false, 6.0f, false, false},
        {"idle rig", true, nullptr, AI_MODE_NONE, 0, false, false, true, 6.0f, true, false},
        {"rig shooting the nest", true, nullptr, AI_MODE_NONE, 0, false, true, true, 6.0f, true, false},
        {"rig cutting ore", true, "ExtractOre", AI_MODE_EXTRACT_ORE, 0, false, false, true, 6.0f, true, false},
        {"rig cutting ore, shot from beyond its sight", true, "ExtractOre", AI_MODE_EXTRACT_ORE, 0, false, false, true,
         25.0f, true, false},
        {"rig cutting ore, shot from beyond the leash", true, "ExtractOre", AI_MODE_EXTRACT_ORE, 0, false, false, true,
         LEASH + REACH + 1.0f, false, false},
        {"rig building, its biter runs off", true, "Build", AI_MODE_BUILD, 0, false, false, true, 6.0f, true, true},
        {"rig repairing", true, "Repair", AI_MODE_REPAIR, 0, false, false, true, 6.0f, true, false},
        {"rig sent off", true, nullptr, AI_MODE_NONE, AGENT_MOVING, false, false, true, 6.0f, false, false},
        {"rig between two legs of its way", true, nullptr, AI_MODE_NONE, 0, true, false, true, 6.0f, false, false},
        {"rig sent to attack on the way", true, nullptr, AI_MODE_NONE, AGENT_MOVING | AGENT_ORDERED_MOVE, false, false,
         true, 6.0f, true, false},
        {"bot", false, nullptr, AI_MODE_NONE, 0, false, false, true, 6.0f, true, false},
        {"bot shooting the nest", false, nullptr, AI_MODE_NONE, 0, false, true, true, 6.0f, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TheScene.ReleaseEntities();
        Agent* unit = Unit(ALIGN_PLAYER, BRAIN_ATTACKBOT, 0.0f);
        if (c.rig) unit->flags |= ENTITY_PLAYER;
        unit->noticeRange = 20.0f;
        unit->attackRange = REACH;
        Building* nest = Place(NewBuilding(ALIGN_ENEMY), 3.0f);
        ASSERT_NE(TheScene.AddEntity(nest), nullptr);
        Agent* beast = Unit(ALIGN_ENEMY, BRAIN_CREATURE, c.bittenFrom);
        if (c.onTheNest) {
            unit->brain->Think(unit);
            ASSERT_EQ(unit->target.Get(), nest) << "the nearest enemy, as long as nothing bites";
        }
        if (c.job) unit->brain->SetJob(c.job, unit, c.work);
        unit->classWord |= c.moving;
        if (c.queued) unit->moveQueue.Push(Vec3(40.0f, 0.0f, 0.0f));
        if (c.bitten) unit->TakeDamage(10.0f, beast, nullptr, WEAPON_NONE, true);
        unit->brain->Think(unit);
        Entity* expected = c.answers ? static_cast<Entity*>(beast) : c.moving || c.queued || c.job ? nullptr : nest;
        EXPECT_EQ(unit->target.Get(), expected);
        if (!c.answers) {
            if (c.job || c.moving || c.queued) {
                EXPECT_STREQ(JobName(unit), c.job ? c.job : "") << "the work goes on";
            }
            continue;
        }
        EXPECT_EQ(unit->brain->mode, AI_MODE_ATTACK);
        EXPECT_STREQ(JobName(unit), "AttackEntity");
        if (!c.job) continue;

        // The beast dies (or runs off beyond the leash): the fight ends and the work goes on.
        if (c.runsOff)
            beast->SetPosition(Vec3(LEASH + REACH + 5.0f, 0.0f, 0.0f));
        else
            beast->flags |= ENTITY_DEAD;
        unit->UpdateBrain(0.1f);
        unit->brain->Think(unit);
        EXPECT_EQ(unit->brain->mode, c.work);
        EXPECT_STREQ(JobName(unit), c.job);
        EXPECT_EQ(unit->brain->resumeMode, AI_MODE_NONE);
    }
}

TEST_F(AiBrainTest, AGuardAttacksWithinItsNoticeRangeAndLetsGoBeyondIt)
{
    struct {
        float x;
        bool attacks;
    } cases[] = {{9.0f, true}, {9.5f, false}};
    for (const auto& c : cases) {
        TheScene.ReleaseEntities();
        Agent* guard = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 0.0f);
        guard->noticeRange = 10.0f;
        Agent* bot = Unit(ALIGN_PLAYER, BRAIN_NONE, c.x);
        guard->brain->Think(guard);
        EXPECT_EQ(guard->target.Get(), c.attacks ? bot : nullptr) << c.x;
        EXPECT_EQ(guard->brain->mode, c.attacks ? AI_MODE_ATTACK : AI_MODE_NONE);
        EXPECT_STRNE(JobName(guard), "");  // attacking, waiting or heading home
        if (!c.attacks) continue;
        EXPECT_STREQ(JobName(guard), "AttackEntity");
        bot->SetPosition(Vec3(8.9f, 0.0f, 0.5f));  // still within 9
        guard->brain->Think(guard);
        EXPECT_EQ(guard->brain->mode, AI_MODE_ATTACK);
        bot->SetPosition(Vec3(9.0f, 0.0f, 1.0f));
        guard->brain->Think(guard);
        EXPECT_EQ(guard->target.Get(), nullptr);
        EXPECT_EQ(guard->brain->mode, AI_MODE_NONE);
    }
}

TEST_F(AiBrainTest, FlameThrowersAndMeleeLeaveFlyersAlone)
{
    struct {
        int kind;
        bool melee;
        int weapon;
        bool targets;
    } cases[] = {
        {BRAIN_ENEMY, false, WEAPON_MISSILE, true},    {BRAIN_ENEMY, false, WEAPON_FLAME, false},
        {BRAIN_ENEMY, false, WEAPON_MORTAR, false},    {BRAIN_ENEMY, true, WEAPON_MISSILE, false},
        {BRAIN_CREATURE, false, WEAPON_FLAME, true},   {BRAIN_CREATURE, true, WEAPON_MISSILE, false},
    };
    for (const auto& c : cases) {
        TheScene.ReleaseEntities();
        Agent* hunter = Unit(ALIGN_ENEMY, c.kind, 0.0f);
        if (c.melee) hunter->classWord |= AGENT_CLASS_MELEE;
        hunter->weapon = new WeaponDef();
        hunter->weapon->type = c.weapon;
        Agent* flyer = Unit(ALIGN_PLAYER, BRAIN_NONE, 5.0f, true);
        hunter->brain->Think(hunter);
        EXPECT_EQ(hunter->target.Get(), c.targets ? flyer : nullptr) << c.kind << " " << c.weapon;
    }
}

TEST_F(AiBrainTest, RetargetingWeighsTheDamageAgainstTheCurrentTarget)
{
    struct {
        float other;
        bool switches;
    } cases[] = {{30.0f, true}, {25.0f, true}, {12.0f, false}};
    for (const auto& c : cases) {
        TheScene.ReleaseEntities();
        Agent* enemy = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 0.0f);
        Agent* current = Unit(ALIGN_PLAYER, BRAIN_NONE, 3.0f);
        Agent* other = Unit(ALIGN_PLAYER, BRAIN_NONE, 4.0f);
        enemy->target.Set(current);
        enemy->threats[0] = ThreatRecord{EntityRef(current), 10.0f, 0.0f};
        enemy->threats[1] = ThreatRecord{EntityRef(other), c.other, 0.0f};
        enemy->threatCount = 2;
        enemy->engagedTime = 7.0f;
        enemy->brain->RetargetToTopAttacker(enemy);
        EXPECT_EQ(enemy->target.Get(), c.switches ? other : current) << c.other;
        EXPECT_FLOAT_EQ(enemy->engagedTime, c.switches ? 0.0f : 7.0f);
    }
}

TEST_F(AiBrainTest, AGuardTurnsOnItsWorstAttackerOnlyAfterHoldingItsTarget)
{
    Agent* enemy = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 0.0f);
    enemy->noticeRange = 20.0f;
    Agent* current = Unit(ALIGN_PLAYER, BRAIN_NONE, 3.0f);
    Agent* other = Unit(ALIGN_PLAYER, BRAIN_NONE, 8.0f);
    enemy->brain->Think(enemy);
    ASSERT_EQ(enemy->target.Get(), current);
    enemy->threats[0] = ThreatRecord{EntityRef(other), 30.0f, 0.0f};
    enemy->threatCount = 1;
    enemy->engagedTime = 4.0f;
    enemy->brain->Think(enemy);
    EXPECT_EQ(enemy->target.Get(), current);
    enemy->engagedTime = 5.5f;
    enemy->brain->Think(enemy);
    EXPECT_EQ(enemy->target.Get(), other);
}

TEST_F(AiBrainTest, ARaiderIsNeverSentHome)
{
    Agent* raider = Unit(ALIGN_ENEMY, BRAIN_ENEMY, 0.0f);
    raider->classWord |= AGENT_CLASS_RAIDER;
    for (unsigned seed = 1; seed < 20; ++seed) {
        raider->brain->ClearJob();
        SRand(seed);
        raider->brain->Think(raider);
        ASSERT_NE(raider->brain->job, nullptr);
        EXPECT_STREQ(JobName(raider), "DEFAULT_JOB");
    }
}

}  // namespace
