// The jobs of the shipped task script, run end to end by agents on open ground: a builder raises
// a building, a repairer mends one while the ore lasts, a healer heals, an extractor draws ore,
// a miner fills its hopper and unloads, a bot goes into a recycler; and the steps that move.
// However a unit at its work ends, its beam and its hum end with it.
#include "platform/Timer.h"
#include "world/TaskManager.h"

#include "campaign/PlayerProfile.h"
#include "host/AudioDevice.h"
#include "interface/MessageLists.h"
#include "mechanics/EventManager.h"
#include "platform/SoundManager.h"
#include "render/ParticleManager.h"
#include "tests/platform/SoundTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/world/AgentTestSupport.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/GridQueries.h"
#include "world/ProjectileSystem.h"
#include "world/TaskStepsSupport.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class TaskSteps : public AgentWorld {
protected:
    void SetUp() override
    {
        AgentWorld::SetUp();
        game.messageBar->Clear();
        ASSERT_NE(TaskManager::Get(), nullptr);
        ASSERT_NE(TaskManager::Get()->FindJob("Mine"), nullptr) << "the shipped script is read";
    }
    // The agent takes the job of that name and runs it through its own frames.
    void Give(Agent* agent, const char* job, int mode)
    {
        ASSERT_NE(agent->brain, nullptr);
        ASSERT_EQ(agent->brain->SetJob(job, agent, mode), 1) << job;
    }
    bool HasJob(const Agent* agent) const { return agent->brain && agent->brain->job; }

    // A player building of width x depth cells at (column, row), in the level.
    Building* Site(int column, int row, uint32_t buildFlags = 0, int width = 2, int depth = 2)
    {
        BuildItem* definition = Definition("site", buildFlags);
        Building* building = Standing(NewBuilding(ALIGN_PLAYER), column, row, width, depth);
        building->definition = definition;
        building->health = building->maxHealth = 100.0f;
        EXPECT_NE(TheScene.AddEntity(building), nullptr);
        building->StampGrid();
        return building;
    }
    Entity* OreNode(int column, int row, float ore, int grade)
    {
        Entity* node = Standing(NewEntity(ENTITY_RESOURCE | ENTITY_RESOURCE_REVEALED), column, row);
        node->health = node->maxHealth = ore;
        node->kills = grade;
        EXPECT_NE(TheScene.AddEntity(node), nullptr);
        node->StampGrid();
        return node;
    }
    std::string NewestMessage() const { return bar.Newest() ? bar.Newest()->text : ""; }

    MessageBar& bar = *game.messageBar;
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<float> ore{profile->ore, 0.0f};
    ScopedGlobal<float> fuel{profile->fuel, 0.0f};
    ScopedGlobal<float> oreGained{profile->oreGained, 0.0f};
    ScopedGlobal<float> fuelGained{profile->fuelGained, 0.0f};
};

TEST_F(TaskSteps, AnAgentThatStoppedShortEndsItsWait)
{
    Agent* walker = Unit(20, 20);
    Job* job = TaskManager::Get()->NewJob();
    job->agent.Set(walker);
    // Its destination is a point it will never stand on exactly (another holds the cell).
    walker->moveTarget = Corner(21, 20) + Vec3(0.3f, 0.0f, 0.0f);
    EXPECT_EQ(TaskStep::WaitOnMove(0.1f, "0", job), STEP_DONE) << "stopped: nothing more to wait for";
    walker->classWord |= AGENT_MOVING;
    EXPECT_EQ(TaskStep::WaitOnMove(0.1f, "0", job), STEP_RUNNING) << "still on its way";
    TaskManager::Get()->ReleaseJob(job);
}

TEST_F(TaskSteps, GoingHomeAndWalkingUpToATarget)
{
    struct Case {
        float away;
        bool walks;
    };
    const Case table[] = {{7.0f, false}, {7.1f, false}, {7.2f, true}, {20.0f, true}};
    for (const Case& c : table) {
        SCOPED_TRACE(c.away);
        Agent* guard = Unit(40, 40);
        guard->spawnPoint = guard->GetPosition() + Vec3(c.away, 0.0f, 0.0f);
        Give(guard, "ReturnToSpawnPoint", AI_MODE_IDLE);
        EXPECT_EQ(TaskStep::ReturnToSpawnPoint(0.1f, "0", guard->brain->job), STEP_DONE);
        EXPECT_EQ(guard->HasStanceBits(), c.walks);
        TheScene.ReleaseEntities();
    }

    Agent* walker = Unit(10, 10);
    Building* depot = Site(30, 30);
    walker->activeBuilding = depot;
    Give(walker, "UpgradeBot", AI_MODE_UPGRADE_MOVE);
    float took = RunUntil(60.0f, 0.05f, [&] { return !HasJob(walker); });
    EXPECT_LT(took, 60.0f);
    EXPECT_TRUE(StepSupport::IsBeside(walker->GetPosition(), depot, false)) << "it walked up beside the building";
    // Already beside it: the walk ends where it stands.
    Job* again = TaskManager::Get()->NewJob();
    again->agent.Set(walker);
    Vec3 before = walker->GetPosition();
    EXPECT_EQ(TaskStep::MoveToLocation(0.1f, "activeBuilding", again), STEP_DONE);
    EXPECT_FALSE(walker->HasStanceBits());
    EXPECT_EQ(walker->GetPosition(), before);
    TaskManager::Get()->ReleaseJob(again);
}

TEST_F(TaskSteps, ACreatureWandersAroundItsNest)
{
    Building* nest = Site(60, 60, BUILD_SPAWNPOINT);
    nest->definition->spawnRadius = 12.0f;
    Agent* creature = Unit(60, 75, ALIGN_ENEMY);  // out beyond the radius
    creature->spawner = nest;
    creature->yaw = 0.0f;
    Vec3 centre = nest->GetCenter();
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        Give(creature, "Wander", AI_MODE_IDLE);
        float took = RunUntil(30.0f, 0.05f, [&] { return !HasJob(creature); });
        EXPECT_LT(took, 30.0f) << "each stroll ends";
        // Drawn back inside, it then keeps to the nest's surroundings.
        if (round > 0) {
            EXPECT_LT(Ground(creature->GetPosition(), centre), 12.0f + 10.0f + 2.5f);
        }
    }
    EXPECT_LT(Ground(creature->GetPosition(), centre), Ground(Corner(60, 75), centre));
}

TEST_F(TaskSteps, BuildersRaiseABuildingTogether)
{
    Building* site = Site(50, 50);
    site->buildState = BUILD_STATE_CONSTRUCTING;
    Agent* first = Unit(40, 50);
    Agent* second = Unit(60, 52);
    for (Agent* builder : {first, second}) {
        builder->activeBuilding = site;
        Give(builder, "Build", AI_MODE_BUILD);
    }
    // Both walk up; once both work, every second adds two seconds of building.
    RunUntil(30.0f, 0.05f, [&] {
        return StepSupport::IsBeside(first->GetPosition(), site, false) && StepSupport::IsBeside(second->GetPosition(), site, false) &&
               !first->HasStanceBits() && !second->HasStanceBits();
    });
    RunUntil(1.0f, 0.05f, [] { return false; });
    float before = site->buildProgress;
    RunUntil(2.0f, 0.05f, [] { return false; });
    EXPECT_NEAR(site->buildProgress - before, 2.0f * 2.05f, 0.4f) << "two builders add up";
    EXPECT_TRUE(HasJob(first) && HasJob(second)) << "they keep building";

    site->buildState = BUILD_STATE_READY;  // the building is finished
    float took = RunUntil(5.0f, 0.05f, [&] { return !HasJob(first) && !HasJob(second); });
    EXPECT_LT(took, 5.0f) << "the job ends with the building";
    EXPECT_EQ(first->activeBuilding.Get(), nullptr);
    EXPECT_EQ(first->workEffect, nullptr) << "the beam is off";
}

TEST_F(TaskSteps, RepairPaysOreWhileItLasts)
{
    struct Case {
        const char* what;
        float stock;
        float health;
        bool mended;  // health rose
        bool ends;    // the job is over after the step
        const char* message;
    };
    // One think step of 0.1 s mends 1 hit point for 0.5 ore.
    const Case table[] = {
        {"plenty of ore", 50.0f, 50.0f, true, false, ""},
        {"exactly the cost, and whole", 0.5f, 99.0f, true, true, ""},
        {"short of the cost", 0.4f, 50.0f, false, true, "Not enough ore to complete repair!"},
        {"at full health", 50.0f, 100.0f, false, true, ""},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        bar.Clear();
        profile->ore = c.stock;
        Building* hurt = Site(30, 30);
        hurt->health = c.health;
        Agent* repairer = Unit(29, 30);
        repairer->activeObject = hurt;
        Give(repairer, "Repair", AI_MODE_REPAIR);
        Job* job = repairer->brain->job;
        int result = JOB_RUNNING;
        result = job->Run(0.1f);
        EXPECT_EQ(result, c.ends ? JOB_ENDED : JOB_RUNNING);
        EXPECT_EQ(hurt->health > c.health, c.mended);
        if (c.mended) {
            EXPECT_NEAR(profile->ore, c.stock - 0.5f * (hurt->health - c.health), 0.01f);
        }
        EXPECT_EQ(NewestMessage(), c.message);
        EXPECT_LE(hurt->health, 100.0f);
        TheScene.ReleaseEntities();
    }
}

TEST_F(TaskSteps, HealingStopsAtTheMaximum)
{
    Agent* healer = Unit(20, 20);
    Agent* patient = Unit(21, 20);
    patient->health = 80.0f;
    patient->maxHealth = 100.0f;
    healer->activeObject = patient;
    Give(healer, "Heal", AI_MODE_HEAL);
    EXPECT_EQ(healer->brain->job->Run(0.1f), JOB_ENDED);
    EXPECT_FLOAT_EQ(patient->health, patient->GetMaxHealth()) << "50 more, but never above the maximum";
}

TEST_F(TaskSteps, ExtractionYieldsByGradeAndOnlyForThePlayer)
{
    struct Case {
        int grade;
        int alignment;
        float ore;   // gained per extraction
        float loss;  // node health lost per extraction
    };
    const Case table[] = {
        {0, ALIGN_PLAYER, 1.0f, 2.0f},
        {1, ALIGN_PLAYER, 1.0f, 3.0f},
        {2, ALIGN_PLAYER, 2.0f, 4.0f},
        {2, ALIGN_ENEMY, 0.0f, 4.0f},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.grade);
        profile->ore = 0.0f;
        Entity* node = OreNode(30, 30, 100.0f, c.grade);
        Agent* rig = Unit(29, 30, c.alignment);
        rig->mine = node;
        rig->yaw = 90.0f;  // facing the node
        Job* job = TaskManager::Get()->NewJob();
        job->agent.Set(rig);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(TaskStep::ExtractOre(0.1f, "0", job), STEP_RUNNING);
        EXPECT_FLOAT_EQ(profile->ore, c.ore);
        EXPECT_FLOAT_EQ(node->health, 100.0f - c.loss);
        TaskManager::Get()->ReleaseJob(job);
        TheScene.ReleaseEntities();
    }
}

TEST_F(TaskSteps, AMinerFillsItsHopperAndUnloadsAtTheDropOff)
{
    struct Case {
        int alignment;
        bool credited;
    };
    for (const Case& c : {Case{ALIGN_PLAYER, true}, Case{ALIGN_ENEMY, false}}) {
        SCOPED_TRACE(c.alignment);
        profile->ore = 0.0f;
        Building* depot = Site(20, 20, BUILD_RESOURCE_DROP);
        Entity* node = OreNode(34, 22, 500.0f, 0);
        Agent* miner = Unit(26, 26, c.alignment);
        miner->classWord |= AGENT_CLASS_MINER;
        miner->mine = node;
        Give(miner, "Mine", AI_MODE_MINING);
        float took = RunUntil(120.0f, 0.05f, [&] { return miner->oreLoad >= miner->GetOreCapacity(); });
        EXPECT_LT(took, 120.0f) << "the hopper fills";
        EXPECT_FLOAT_EQ(node->health, 500.0f - miner->GetOreCapacity());
        took = RunUntil(120.0f, 0.05f, [&] { return miner->oreLoad == 0.0f; });
        EXPECT_LT(took, 120.0f) << "and empties at the drop-off";
        EXPECT_TRUE(StepSupport::IsBeside(miner->GetPosition(), depot, false));
        // A grade-0 load of 40 is worth 0.5 a unit.
        EXPECT_FLOAT_EQ(profile->ore, c.credited ? 20.0f : 0.0f);
        EXPECT_TRUE(HasJob(miner)) << "and goes back for more";
        TheScene.ReleaseEntities();
    }
}

TEST_F(TaskSteps, AMinerWhoseNodeVanishesLooksForAnother)
{
    Entity* gone = OreNode(30, 30, 100.0f, 0);
    Entity* other = OreNode(36, 30, 100.0f, 0);
    Agent* miner = Unit(29, 30);
    miner->classWord |= AGENT_CLASS_MINER;
    miner->mine = gone;
    Give(miner, "Mine", AI_MODE_MINING);
    Job* job = miner->brain->job;
    job->stepState = 4;  // digging
    TheScene.RemoveEntity(gone, REMOVE_EVERYWHERE);
    delete gone;
    for (int i = 0; i < 3; ++i) job->Run(0.1f);
    EXPECT_EQ(miner->mine.Get(), other) << "it found the other node";
    EXPECT_NE(job->stepState, 4);
}

TEST_F(TaskSteps, TheAttackFollowsTheStanceAndEndsWithItsTarget)
{
    ProjectileSystem projectiles;
    projectiles.Init();
    projectiles.LoadResources();
    ScopedGlobal<ProjectileSystem*> current{TheProjectiles, &projectiles};
    struct Case {
        const char* what;
        int stance;
        int targetColumn;  // the attacker stands at column 10
        bool deadTarget;
        int result;
        bool fired;
        bool keepsTarget;
    };
    const Case table[] = {
        {"in range", AGENT_STANCE_DEFAULT, 14, false, STEP_RUNNING, true, true},
        {"out of range: it closes in", AGENT_STANCE_DEFAULT, 30, false, STEP_RUNNING, false, true},
        {"holding its place, out of range", AGENT_STANCE_HOLD_POSITION, 30, false, STEP_RUNNING, false, false},
        {"told to stop", AGENT_STANCE_STOP, 14, false, STEP_DONE, false, false},
        {"a dead target", AGENT_STANCE_DEFAULT, 14, true, STEP_DONE, false, false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Agent* target = Unit(c.targetColumn, 10, ALIGN_ENEMY);
        target->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
        target->health = target->maxHealth = 100.0f;
        if (c.deadTarget) target->flags |= ENTITY_DEAD;
        Agent* attacker = Unit(10, 10);
        attacker->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 2.0f));
        attacker->yaw = attacker->targetYaw = 90.0f;  // facing along the row
        attacker->weapon = new WeaponDef();
        attacker->weapon->type = WEAPON_MISSILE;
        attacker->weapon->shotTime = 0.5f;
        attacker->attackTimer = 100.0f;
        attacker->attackRange = 15.0f;
        attacker->stance = c.stance;
        attacker->activeObject = target;
        Job* job = TaskManager::Get()->NewJob();
        job->agent.Set(attacker);
        EXPECT_EQ(TaskStep::AttackEntity(0.1f, "activeObject", job), c.result);
        EXPECT_EQ(projectiles.ActiveProjectiles() > 0, c.fired);
        EXPECT_EQ(attacker->target.Get() != nullptr, c.keepsTarget);
        TaskManager::Get()->ReleaseJob(job);
        projectiles.Clear();
        TheScene.ReleaseEntities();
    }
}

TEST_F(TaskSteps, ABotGoesIntoARecyclerAndLeavesTheLevel)
{
    Building* recycler = Site(30, 30);
    Agent* bot = Unit(31, 28);
    bot->activeBuilding = recycler;
    bot->flags |= ENTITY_SELECTION;
    Give(bot, "RecycleBot", AI_MODE_RECYCLE_MOVE);
    // The bot leaves the lists in its own update: it is updated alone, not in a walk of them.
    for (int frame = 0; frame < 600 && HasJob(bot); ++frame) {
        const WorldTickScope tick(0.05f);
        bot->Update();
    }
    EXPECT_EQ(recycler->linkedEntity.entity, bot);
    EXPECT_EQ(bot->gridCell, nullptr) << "it holds no cell";
    EXPECT_FALSE(bot->flags & ENTITY_SELECTION);
    EXPECT_EQ(TheScene.Resolve(bot, bot->id), nullptr) << "out of the level's lists";
    // Another bot finds it taken.
    Agent* late = Unit(28, 28);
    late->activeBuilding = recycler;
    Job* lateJob = TaskManager::Get()->NewJob();
    lateJob->agent.Set(late);
    EXPECT_EQ(TaskStep::EnterRecycler(0.1f, "0", lateJob), STEP_DONE);
    EXPECT_EQ(recycler->linkedEntity.entity, bot);
    TaskManager::Get()->ReleaseJob(lateJob);
}

// A unit killed at its work (the rig cutting, a bot building or repairing), taken apart in a
// recycler, warped out or standing at its work as the level ends: its beam goes dark and its
// looping hum stops with it, and neither comes back in the frames after.
TEST_F(TaskSteps, WhateverEndsAUnitAtItsWorkEndsItsBeamAndItsHum)
{
    enum Work { CUTTING, BUILDING, REPAIRING };
    enum End { KILLED, RECYCLED, WARPED_OUT, LEVEL_ENDS };
    const struct {
        const char* what;
        Work work;
        End end;
        int beside;  // builders that set to work after it and go on working
    } rows[] = {
        {"the rig killed cutting", CUTTING, KILLED, 0},
        {"a bot killed building", BUILDING, KILLED, 0},
        {"a bot killed repairing", REPAIRING, KILLED, 0},
        {"a bot recycled", REPAIRING, RECYCLED, 0},
        {"a bot warped out", BUILDING, WARPED_OUT, 0},
        {"the rig as the level ends", CUTTING, LEVEL_ENDS, 0},
        {"a bot as the level ends", BUILDING, LEVEL_ENDS, 0},
        // Five hums on four voices: the fifth builder's took the first one's voice.
        {"the first of five bots killed building", BUILDING, KILLED, 4},
    };
    SoundManager sounds;
    ASSERT_TRUE(sounds.Init(AudioDevice::OpenLoopback(22050)));
    ASSERT_NE(InstallSoundPackage(MakeTempFolder("beam-sound"), {{"beam.wav", "beam.wav", ToneWave(2205)}}), nullptr);
    ASSERT_TRUE(sounds.LoadSound("buildbeam", "beam.wav", 4));
    ScopedGlobal<SoundManager*> installedSounds(SoundMgr, &sounds);
    ParticleManager particles;
    particles.ReleaseTemplates();
    const std::string folder = MakeTempFolder("beams");
    for (std::string beam : {"extractbeam", "buildbeam", "repairbeam"}) {
        ASSERT_TRUE(WriteTextFile(folder + "/" + beam + ".txt", "PARTICLE " + beam + "\nEND_PARTICLE\n"));
        ASSERT_NE(particles.LoadTemplate((folder + "/" + beam + ".txt").c_str()), nullptr);
    }
    ScopedGlobal<ParticleManager*> installedParticles(TheScene.particles, &particles);
    auto beams = [&] {
        int live = 0;
        for (auto* node = particles.active.head; node; node = node->next) live += !(node->value->flags & PARTICLE_STOP);
        return live;
    };
    CSound* beamSound = sounds.GetSound(sounds.FindSound("buildbeam"));
    auto voices = [&] {
        int playing = 0;
        for (int i = 0; i < beamSound->GetBufferCount(); ++i) playing += beamSound->GetBuffer(i)->IsPlaying();
        return playing;
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        OpenGround();
        profile->ore = 1000.0f;
        Agent* unit = Unit(29, 30);
        Building* site = nullptr;
        if (row.work == CUTTING) {
            unit->flags |= ENTITY_PLAYER;
            unit->mine = OreNode(30, 30, 1000.0f, 0);
            Give(unit, "ExtractOre", AI_MODE_EXTRACT_ORE);
        } else {
            const bool building = row.work == BUILDING;
            site = Site(30, 30);
            site->buildState = building ? BUILD_STATE_CONSTRUCTING : BUILD_STATE_READY;
            site->health = 10.0f;
            unit->activeBuilding = unit->activeObject = site;
            Give(unit, building ? "Build" : "Repair", building ? AI_MODE_BUILD : AI_MODE_REPAIR);
        }
        RunUntil(5.0f, 0.05f, [&] { return beams() == 1 && voices() == 1; });
        ASSERT_EQ(beams(), 1) << "at its work, its beam shows";
        ASSERT_EQ(voices(), 1) << "and hums";
        const int cells[][2] = {{29, 31}, {32, 30}, {32, 31}, {30, 29}};
        for (int i = 0; i < row.beside; ++i) {
            Agent* builder = Unit(cells[i][0], cells[i][1]);
            builder->activeBuilding = builder->activeObject = site;
            Give(builder, "Build", AI_MODE_BUILD);
            FrameTimer.frameCount += SOUND_REPEAT_FRAMES;
            RunUntil(5.0f, 0.05f, [&] { return builder->workSound >= 0; });
        }
        ASSERT_EQ(beams(), 1 + row.beside);
        ASSERT_EQ(voices(), row.beside ? 4 : 1) << "the first one's hum went to the fifth";

        if (row.end == KILLED) {
            unit->TakeDamage(1e6f, nullptr, nullptr, DAMAGE_TYPE_RAW, true);
            unit->Die(nullptr);
        } else if (row.end == RECYCLED) {
            Building* recycler = Site(40, 40, BUILD_UNIT_RECYCLER);
            unit->activeBuilding = recycler;
            Job* job = TaskManager::Get()->NewJob();
            job->agent.Set(unit);
            EXPECT_EQ(TaskStep::EnterRecycler(0.1f, "0", job), STEP_DONE);
            TaskManager::Get()->ReleaseJob(job);
            recycler->recycleTimer = 0.1f;
            recycler->UpdateRecycler(1.0f);
            EXPECT_EQ(recycler->linkedEntity.entity, nullptr) << "taken apart";
        } else if (row.end == WARPED_OUT) {
            strcpy(unit->name, "hallstrade");
            EventManager::WarpOut();
        } else {
            game.EndLevel();
        }
        EXPECT_EQ(beams(), row.beside) << "the beam ends with it";
        EXPECT_EQ(voices(), row.beside) << "and so does its hum, and only its own";
        EXPECT_EQ(unit->workEffect, nullptr);
        EXPECT_EQ(unit->workSound, -1);
        for (int frame = 0; frame < 3; ++frame) {
            const WorldTickScope tick(FrameTimer.delta);
            TheScene.Update();
        }
        EXPECT_EQ(beams() + voices(), 2 * row.beside) << "nothing of it comes back";

        sounds.StopAll();
        particles.KillAll();
        TheScene.ReleaseEntities();
        FrameTimer.frameCount += SOUND_REPEAT_FRAMES;
    }
}

}  // namespace
