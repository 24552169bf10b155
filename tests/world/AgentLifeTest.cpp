// An agent settling into the level and living there: placed, it takes its spawn point, its
// spawner and its cell, and a miner shows how full its hopper is; on each think it heals at a
// health node, wears its healing item, regains mines and recharges its shield; a job that ends
// goes back to the task manager.
#include "world/Agent.h"

#include "mechanics/Scene.h"
#include "tests/world/AgentTestSupport.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/TaskManager.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class AgentLifeTest : public AgentWorld {
protected:
    void Hoppers()
    {
        for (const char* name : {"hopper_empty", "hopper_half", "hopper_full"}) {
            Entity* primitive = new Entity();
            strcpy(primitive->name, name);
            primitive->AdoptMesh(BlockMesh(-0.5f, 0.5f, -0.5f, 0.5f, 0.0f, 1.0f));
            TheScene.primitives.PushBack(primitive);
        }
    }
    // One think tick's worth of frames.
    void Think() { RunUntil(0.2f, 0.05f, [] { return false; }); }
};

TEST_F(AgentLifeTest, APlacedMinerShowsHowFullItsHopperIs)
{
    Hoppers();
    struct Case {
        const char* what;
        float load;  // of the capacity
        uint32_t heavy;
        const char* hopper;
        const char* bone;
    };
    const Case table[] = {
        {"empty", 0.005f, 0, "hopper_empty", "AttachLoad"},
        {"a third", 0.3f, 0, "hopper_half", "AttachLoad"},
        {"half", 0.5f, 0, "hopper_full", "AttachLoad"},
        {"a heavy miner carries it on its back", 0.3f, AGENT_CLASS_HEAVY, "hopper_half", "BackPack"},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Agent* miner = Unit(20, 20);
        miner->classWord |= AGENT_CLASS_MINER | c.heavy;
        miner->oreLoad = c.load * miner->GetOreCapacity();
        miner->flags |= ENTITY_PLACED;
        Frame(0.05f);
        Entity* hopper = miner->GetAttachedEntity("hopper");
        ASSERT_NE(hopper, nullptr);
        EXPECT_EQ(hopper->mesh, TheScene.FindPrimitive(c.hopper)->mesh);
        EXPECT_STREQ(miner->Attachment(0).bone, c.bone);
        TheScene.UnlinkEntity(miner);
        game.agentTypes->ReturnAgent(miner);
    }
}

TEST_F(AgentLifeTest, APlacedAgentTakesItsSpawnPointItsCellAndItsSpawner)
{
    BuildItem* camp = Definition("camp", BUILD_SPAWNPOINT);
    Building* spawner = NewBuilding(ALIGN_ENEMY);
    spawner->definition = camp;
    Standing(spawner, 50, 50);
    ASSERT_NE(TheScene.AddEntity(spawner), nullptr);

    Agent* creature = NewAgent(ALIGN_ENEMY);
    creature->brainKind = BRAIN_CREATURE;
    creature->SetPosition(Corner(55, 50) + Vec3(0.0f, 7.0f, 0.0f));
    creature->flags |= ENTITY_PLACED;
    ASSERT_NE(TheScene.AddEntity(creature), nullptr);
    Frame(0.05f);
    EXPECT_FLOAT_EQ(creature->GetPosition().y, 0.0f) << "on the ground";
    EXPECT_TRUE(creature->spawnPoint == creature->GetPosition()) << "the first placing sets the spawn point";
    EXPECT_EQ(Cell(55, 50)->occupant, creature);
    EXPECT_EQ(creature->spawner.Get(), nullptr);

    // Placed again (a saved game brings it back), it finds the camp near its spawn point.
    creature->flags |= ENTITY_PLACED;
    Frame(0.05f);
    EXPECT_EQ(creature->spawner.Get(), spawner);
    EXPECT_EQ(spawner->agents.count, 1);
    EXPECT_EQ(spawner->spawnedTotal, 1);
}

TEST_F(AgentLifeTest, EachThinkHealsRechargesAndRegainsMines)
{
    BuildItem* nodeDefinition = Definition("health node", BUILD_HEALTH_NODE);
    Building* node = Standing(Built(nodeDefinition), 30, 32);
    (void)node;
    TheScene.unitControl.supply = 10.0f;
    TheScene.unitControl.demand = 5.0f;

    Agent* patient = Unit(30, 30);
    patient->health = 50.0f;
    patient->classWord |= AGENT_HEALING;
    Agent* faraway = Unit(80, 80);
    faraway->health = 50.0f;
    faraway->classWord |= AGENT_HEALING;
    Agent* rig = Unit(40, 40);
    rig->flags |= ENTITY_PLAYER | ENTITY_SHIELD;
    rig->health = 50.0f;
    rig->maxShield = 100.0f;
    Item medkit;
    medkit.upgradeFlags = ITEM_UPGRADE_HEALING;
    rig->equipment = new EquipmentSlot[1]{EquipmentSlot{&medkit, 0}};
    rig->equipmentCount = 1;
    Agent* layer = Unit(45, 45);
    layer->classWord |= AGENT_CLASS_MINE_LAYER;
    layer->mines = 0;
    layer->mineTimer = 0.15f;

    RunUntil(1.0f, 0.05f, [] { return false; });
    EXPECT_TRUE(patient->classWord & AGENT_HEALING) << "beside the node it stays";
    EXPECT_FALSE(faraway->classWord & AGENT_HEALING) << "out of its range it does not";
    EXPECT_NEAR(rig->health, 51.0f, 0.2f) << "1 a second from the healing item";
    EXPECT_NEAR(rig->shield, rig->GetShieldBonus() * 0.1f, 0.1f * rig->GetShieldBonus() * 0.2f);
    EXPECT_EQ(layer->mines, 1);
    EXPECT_FLOAT_EQ(layer->mineTimer, 0.0f);

    TheScene.unitControl.demand = 20.0f;  // power runs short
    Think();
    EXPECT_FALSE(patient->classWord & AGENT_HEALING);
    rig->equipment[0].item = nullptr;
}

TEST_F(AgentLifeTest, AJobThatEndsGoesBackToTheTaskManager)
{
    Agent* agent = Unit(30, 30);
    TaskManager* tasks = TaskManager::Get();
    const int freeBefore = tasks->freeJobs.count;
    Job* job = tasks->NewJob();
    ASSERT_NE(job, nullptr);
    TaskStep done;
    strcpy(done.name, "NoSuchStep");  // an unknown step is done at once, and so is the job
    job->agent.Set(agent);
    job->firstStep = &done;
    agent->brain->job = job;
    agent->brain->mode = 7;
    Think();
    EXPECT_EQ(agent->brain->job, nullptr);
    EXPECT_EQ(agent->brain->mode, AI_MODE_NONE);
    EXPECT_STREQ(agent->statusText, "none");
    EXPECT_EQ(tasks->freeJobs.count, freeBefore);
}

}  // namespace
