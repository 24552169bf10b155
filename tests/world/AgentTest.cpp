// An agent's frame: a long frame counts as a tenth of a second, a frozen agent stands still,
// thinking is spread over frames, status effects burn (and kill only once), attackers are
// remembered while they are around, and the status text follows the job.
#include "world/Agent.h"

#include "platform/StringTable.h"
#include "tests/world/AgentTestSupport.h"
#include "world/AiBrain.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/TaskManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

class AgentTest : public AgentWorld {};

TEST_F(AgentTest, ALongFrameMovesTheAgentAsATenthOfASecondWould)
{
    Agent* agent = Unit(30, 30);
    agent->MoveTo(Corner(30, 40), false);  // straight ahead: no turning
    Frame(0.05f);                          // the route is planned
    const Vec3 before = agent->GetPosition();
    Frame(0.5f);
    EXPECT_NEAR(Ground(agent->GetPosition(), before), agent->speed * 0.1f, 1e-3f);
}

TEST_F(AgentTest, AFrozenAgentStandsStillUntilItsTimeIsUp)
{
    Agent* agent = Unit(30, 30);
    agent->MoveTo(Corner(30, 40), false);
    Frame(0.1f);
    agent->freezeTime = 0.25f;
    for (int i = 0; i < 3; ++i) {
        const Vec3 before = agent->GetPosition();
        Frame(0.1f);
        EXPECT_TRUE(agent->GetPosition() == before) << "frame " << i;
    }
    EXPECT_FLOAT_EQ(agent->freezeTime, 0.0f);
    const Vec3 before = agent->GetPosition();
    Frame(0.1f);
    EXPECT_GT(Ground(agent->GetPosition(), before), 0.5f);
}

TEST_F(AgentTest, ACloakRunsOut)
{
    Agent* agent = Unit(30, 30);
    agent->classWord |= AGENT_CLOAKED;
    agent->cloakTime = 0.3f;
    RunUntil(0.25f, 0.1f, [] { return false; });
    EXPECT_TRUE(agent->classWord & AGENT_CLOAKED);
    RunUntil(0.2f, 0.1f, [] { return false; });
    EXPECT_FALSE(agent->classWord & AGENT_CLOAKED);
    EXPECT_FLOAT_EQ(agent->cloakTime, 0.0f);
}

TEST_F(AgentTest, AgentsThinkEveryTenthOfASecondEachInFramesOfItsOwn)
{
    // The shield recharges on the think ticks alone, so its steps show when an agent thought.
    std::vector<Agent*> agents;
    for (int i = 0; i < 20; ++i) {
        Agent* agent = Unit(10 + 2 * i, 10);
        agent->flags |= ENTITY_SHIELD;
        agent->maxShield = 1000.0f;
        agents.push_back(agent);
    }
    std::vector<int> thinks(agents.size(), 0);
    std::set<int> framesOfFirst;
    const int frames = 100;  // 2 s of 50 frames a second
    for (int frame = 0; frame < frames; ++frame) {
        std::vector<float> before;
        for (Agent* agent : agents) before.push_back(agent->shield);
        Frame(0.02f);
        for (size_t i = 0; i < agents.size(); ++i)
            if (agents[i]->shield > before[i]) {
                ++thinks[i];
                if (i == 0) framesOfFirst.insert(frame);
            }
    }
    std::set<int> phases;
    for (size_t i = 0; i < agents.size(); ++i) {
        EXPECT_GE(thinks[i], 2.0f / 0.1f - 2) << "agent " << i;
        EXPECT_LE(thinks[i], 2.0f / 0.06f + 1) << "agent " << i;
        EXPECT_NEAR(agents[i]->shield, agents[i]->GetShieldBonus() * 0.1f * 2.0f, 0.11f * agents[i]->GetShieldBonus());
    }
    EXPECT_LT((int)framesOfFirst.size(), frames / 2) << "not every frame";
    // Each agent keeps its own phase: the agents' first thinks after the start do not all fall
    // in one frame.
    for (Agent* agent : agents) phases.insert((int)(agent->ageTimers[0] * 1000.0f));
    EXPECT_GT(phases.size(), 3u);
}

TEST_F(AgentTest, StatusEffectsBurnDrainAndAreHalvedByResistance)
{
    struct Case {
        const char* what;
        int kind;
        uint32_t resist;   // special of an equipped item
        float healthLost;  // per tick
        float shieldLost;
    };
    const Case table[] = {
        {"fire", STATUS_FIRE, 0, 10.0f, 0.0f},
        {"fire on a fire-resistant unit", STATUS_FIRE, ITEM_SPECIAL_RESIST_FIRE_1, 5.0f, 0.0f},
        {"acid", STATUS_ACID, ITEM_SPECIAL_RESIST_FIRE_1, 10.0f, 0.0f},
        {"acid on an acid-resistant unit", STATUS_ACID, ITEM_SPECIAL_RESIST_ACID_1, 5.0f, 0.0f},
        {"plasma drains the shield only", STATUS_PLASMA, 0, 0.0f, 10.0f},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Agent* agent = Unit(30, 30);
        agent->health = agent->maxHealth = 100.0f;
        agent->flags |= ENTITY_SHIELD;
        agent->shield = agent->maxShield = 50.0f;
        Item resistant;
        resistant.specialFlags = c.resist;
        EquipmentSlot slot{&resistant, 0};
        agent->equipment = new EquipmentSlot[1]{slot};
        agent->equipmentCount = 1;
        agent->ApplyStatusEffect(StatusEffect{c.kind, 10.0f, 1.0f, 1.0f, 2.5f, EntityRef()});
        EXPECT_EQ(agent->statusCount, 1);
        // The shield takes a hit first: keep it out of the way of the health cases.
        if (c.kind != STATUS_PLASMA) agent->flags &= ~ENTITY_SHIELD;
        const float shieldBefore = agent->shield;
        agent->UpdateStatusEffects(1.0f);
        EXPECT_FLOAT_EQ(agent->health, 100.0f - c.healthLost);
        if (c.kind == STATUS_PLASMA) {
            EXPECT_FLOAT_EQ(agent->shield, shieldBefore - c.shieldLost);
        }
        agent->UpdateStatusEffects(1.0f);
        agent->UpdateStatusEffects(1.0f);
        EXPECT_EQ(agent->statusCount, 0) << "run out";
        EXPECT_FLOAT_EQ(agent->health, 100.0f - 3.0f * c.healthLost) << "three ticks in 2.5 s";
        agent->equipment[0].item = nullptr;
        TheScene.ReleaseEntities();
    }
}

TEST_F(AgentTest, AFreshEffectOfARunningKindOnlyLengthensIt)
{
    Agent* agent = Unit(30, 30);
    agent->ApplyStatusEffect(StatusEffect{STATUS_FIRE, 10.0f, 1.0f, 1.0f, 2.0f, EntityRef()});
    agent->ApplyStatusEffect(StatusEffect{STATUS_FIRE, 50.0f, 1.0f, 1.0f, 5.0f, EntityRef()});
    agent->ApplyStatusEffect(StatusEffect{STATUS_FIRE, 50.0f, 1.0f, 1.0f, 1.0f, EntityRef()});
    agent->ApplyStatusEffect(StatusEffect{7, 50.0f, 1.0f, 1.0f, 1.0f, EntityRef()});
    EXPECT_EQ(agent->statusCount, 1);
    EXPECT_FLOAT_EQ(agent->statusEffects[0].timeLeft, 5.0f);
    EXPECT_FLOAT_EQ(agent->statusEffects[0].amount, 10.0f);
}

TEST_F(AgentTest, AUnitKilledByTwoEffectsInOneTickDiesOnceAndIsCreditedOnce)
{
    Agent* burner = Unit(40, 40, ALIGN_ENEMY);
    Agent* victim = Unit(30, 30, ALIGN_PLAYER);
    TheScene.unitControl.used = 5;
    victim->health = 8.0f;
    victim->ApplyStatusEffect(StatusEffect{STATUS_FIRE, 10.0f, 1.0f, 0.1f, 5.0f, EntityRef(burner)});
    victim->ApplyStatusEffect(StatusEffect{STATUS_ACID, 10.0f, 1.0f, 0.1f, 5.0f, EntityRef(burner)});
    victim->UpdateStatusEffects(0.1f);
    EXPECT_TRUE(victim->HasDied());
    EXPECT_EQ(burner->kills, 1);
    EXPECT_EQ(TheScene.unitControl.used, 4) << "its place in the unit count is given back once";
    EXPECT_EQ(victim->statusCount, 0) << "its effects end with it";
    victim->Die(nullptr);
    EXPECT_EQ(TheScene.unitControl.used, 4) << "a second Die changes nothing";
    victim->UpdateStatusEffects(5.0f);
    EXPECT_EQ(burner->kills, 1);
}

TEST_F(AgentTest, AttackersAreRememberedWhileTheyAreAroundAndHitRecently)
{
    Agent* guard = Unit(30, 30, ALIGN_ENEMY);
    Agent* a = Unit(10, 10);
    Agent* b = Unit(12, 10);
    Agent* c = Unit(14, 10);
    Agent* d = Unit(16, 10);
    Agent* e = Unit(18, 10);
    MissionTime = 1.0f;
    guard->AddThreat(a, 5.0f);
    MissionTime = 2.0f;
    guard->AddThreat(b, 30.0f);
    guard->AddThreat(c, 1.0f);
    guard->AddThreat(d, 1.0f);
    guard->AddThreat(a, 5.0f);  // a hits again: now b's is the oldest hit
    EXPECT_EQ(guard->threatCount, 4);
    ASSERT_NE(guard->FindThreat(a), nullptr);
    EXPECT_FLOAT_EQ(guard->FindThreat(a)->threat, 10.0f);
    EXPECT_EQ(guard->GetTopThreat()->attacker.Get(), b);
    MissionTime = 3.0f;
    guard->AddThreat(e, 2.0f);  // four remembered: the one hit longest ago makes room
    EXPECT_EQ(guard->FindThreat(e) != nullptr, true);
    EXPECT_EQ(guard->threatCount, 4);

    // One attacker leaves the level and its agent is handed out again; one cloaks.
    TheScene.RemoveEntity(c, 0);
    d->classWord |= AGENT_CLOAKED;
    guard->RefreshThreats(0.1f);
    EXPECT_EQ(guard->threatCount, 2);
    EXPECT_EQ(guard->FindThreat(c), nullptr);
    EXPECT_EQ(guard->FindThreat(d), nullptr);
    MissionTime = 40.0f;
    guard->RefreshThreats(0.1f);
    EXPECT_EQ(guard->threatCount, 0) << "forgotten after 30 s";
}

TEST_F(AgentTest, TheStatusTextFollowsTheJobsStep)
{
    Agent* agent = Unit(30, 30);
    TaskStep waiting;
    strcpy(waiting.name, "WaitOnTime");
    waiting.kind = FindTaskStep("WaitOnTime");
    strcpy(waiting.argument, "100");
    struct Case {
        const char* what;
        uint32_t classBits;
        int mode;
        int state;
        const char* text;
    };
    const Case table[] = {
        {"a miner", AGENT_CLASS_MINER, 3, 4, "WaitOnTime Mining "},
        {"a builder", 0, AI_MODE_BUILD, 2, "WaitOnTime BuildMovingToPosition "},
        {"a state beyond the list", AGENT_CLASS_MINER, 3, 12, "WaitOnTime  "},
        {"anyone else keeps the text", 0, 1, 2, "kept"},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Job* job = TaskManager::Get()->NewJob();
        ASSERT_NE(job, nullptr);
        job->agent.Set(agent);
        job->firstStep = job->currentStep = &waiting;
        job->stepState = c.state;
        agent->brain->job = job;
        agent->brain->mode = c.mode;
        agent->classWord = c.classBits;
        strcpy(agent->statusText, "kept");
        agent->UpdateBrain(0.1f);
        EXPECT_STREQ(agent->statusText, c.text);
        TaskManager::Get()->ReleaseJob(job);
        agent->brain->job = nullptr;
    }
    agent->UpdateBrain(0.1f);
    EXPECT_STREQ(agent->statusText, "none");
    EXPECT_EQ(agent->brain->mode, AI_MODE_NONE);
}

TEST_F(AgentTest, TwoAirUnitsOnOneSpotDriftApart)
{
    Agent* first = Unit(30, 30, ALIGN_PLAYER, true);
    Agent* second = Unit(30, 30, ALIGN_PLAYER, true);
    second->SetPosition(first->GetPosition());
    RunUntil(1.0f, 0.05f, [] { return false; });
    EXPECT_GT(Ground(first->GetPosition(), second->GetPosition()), 1.0f);
}

TEST_F(AgentTest, AnAgentTurnsTowardItsHeadingAtItsTurningRate)
{
    Agent* agent = Unit(30, 30);
    agent->targetYaw = 90.0f;
    agent->TurnTowardTarget(0.05f);  // 10 / 6 x 0.05 x 600 = 50 degrees
    EXPECT_NEAR(agent->yaw, 50.0f, 1e-3f);
    agent->TurnTowardTarget(0.05f);
    EXPECT_FLOAT_EQ(agent->yaw, 90.0f);
    agent->targetYaw = -100.0f;  // the short way round: through 180
    agent->TurnTowardTarget(0.05f);
    EXPECT_NEAR(agent->yaw, 140.0f, 1e-3f);
    Vec3 forward, ahead(0.0f, 0.0f, 1.0f);
    agent->yaw = 90.0f;
    agent->targetYaw = 90.01f;
    agent->TurnTowardTarget(0.05f);
    Vec3TransformNormal(&forward, &ahead, &agent->rotation);
    EXPECT_NEAR(forward.x, 1.0f, 1e-3f) << "a yaw of 90 faces +x";
}

TEST(AgentMeasures, DistancesAnglesAndLimits)
{
    EXPECT_FLOAT_EQ(GetGroundDistance(Vec3(0.0f, 5.0f, 0.0f), Vec3(3.0f, -2.0f, 4.0f)), 5.0f);
    EXPECT_FLOAT_EQ(GetGroundChebyshevDistance(Vec3(0.0f, 5.0f, 0.0f), Vec3(3.0f, -20.0f, -4.0f)), 4.0f);
    const float angles[][2] = {{190.0f, -170.0f}, {-190.0f, 170.0f}, {540.0f, 180.0f}, {45.0f, 45.0f}};
    for (const auto& angle : angles) EXPECT_FLOAT_EQ(WrapDegrees(angle[0]), angle[1]) << angle[0];
    const float below[2] = {39.9f, 40.0f}, at[2] = {40.0f, 40.0f};
    EXPECT_TRUE(IsBelowLimit(below));
    EXPECT_FALSE(IsBelowLimit(at));
}

TEST_F(AgentTest, AWalkerPlaysItsWalkAndStandsIdleWhenItStops)
{
    Agent* agent = Unit(30, 30);
    agent->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
    agent->mesh->animationCount = 2;  // idle and walk
    agent->visible = 1;
    agent->MoveTo(Corner(30, 33), false);
    RunUntil(0.3f, 0.05f, [] { return false; });
    EXPECT_EQ(agent->mesh->currentSlot, 1);
    RunUntil(10.0f, 0.05f, [&] { return Settled(agent); });
    Frame(0.05f);
    EXPECT_EQ(agent->mesh->currentSlot, 0);
}

TEST_F(AgentTest, ThePickRayMeetsTheAgentOrWhatItCarries)
{
    Agent* agent = Unit(30, 30);
    const Vec3 at = agent->GetPosition();
    agent->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
    Entity* pack = new Entity();
    pack->AdoptMesh(BlockMesh(-1.0f, 1.0f, 3.0f, 5.0f, 0.0f, 2.0f));
    const Vec3 down(0.0f, -1.0f, 0.0f);
    struct Case {
        const char* what;
        Vec3 from;
        bool carried;
        bool hit;
    };
    const Case table[] = {
        {"straight down onto it", at + Vec3(0.0f, 20.0f, 0.0f), false, true},
        {"beside it", at + Vec3(4.0f, 20.0f, 0.0f), false, false},
        {"onto the pack it does not carry", at + Vec3(0.0f, 20.0f, 4.0f), false, false},
        {"onto the pack it carries", at + Vec3(0.0f, 20.0f, 4.0f), true, true},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        if (c.carried) agent->AddAttachment(pack, "pack", "none", true);
        EXPECT_EQ(agent->IntersectRay(c.from, down), c.hit);
    }
    agent->yaw = 90.0f;  // turned, the pack's box swings round to +x
    MatrixRotationY(&agent->rotation, DegreesToRadians(90.0f));
    EXPECT_TRUE(agent->IntersectRay(at + Vec3(4.0f, 20.0f, 0.0f), down));
}

// Every shield the shop sells recharges out of a fight as fast as its text says it does.
TEST_F(AgentTest, EveryShieldRechargesAsItsShopTextSays)
{
    StringTable strings;
    ASSERT_TRUE(strings.Init());
    ScopedGlobal<StringTable*> installed(Strings, &strings);
    ItemList catalogue;
    ASSERT_TRUE(catalogue.ReadItemsScript());
    int shields = 0;
    for (auto* node = catalogue.items.head; node; node = node->next) {
        Item* module = node->value;
        if (!(module->upgradeFlags & ITEM_UPGRADE_SHIELDS)) continue;
        SCOPED_TRACE(module->name);
        const char* text = strstr(module->longDescription, "recharges by ");
        ASSERT_NE(text, nullptr) << module->longDescription;
        int perSecond = 0;
        ASSERT_EQ(sscanf(text, "recharges by %d a second", &perSecond), 1) << module->longDescription;
        Agent* agent = Unit(30, 30 + 2 * shields++);
        agent->EquipItem(module, 0);
        agent->shield = 0.0f;
        RunUntil(4.0f, 0.05f, [] { return false; });
        // Four seconds, give or take the think step that falls at either end.
        EXPECT_NEAR(agent->shield, 4.0f * (float)perSecond, 0.2f * (float)perSecond);
        agent->UnequipItem(0);
    }
    EXPECT_GE(shields, 2);
}

}  // namespace
