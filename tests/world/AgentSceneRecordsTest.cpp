// An agent's lines in a scene file: exactly what is written for each kind of agent, and what
// reading them back restores (old files with glued lines included).
#include "host/Log.h"
#include "host/System.h"
#include "render/MeshLibrary.h"
#include "tests/support/TestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/AiBrain.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

class AgentSceneRecordsTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        library = std::make_unique<MeshLibrary>();
        TheMeshLibrary = library.get();
        folder = MakeTempFolder("agentrecords");
    }
    void TearDown() override
    {
        WorldTest::TearDown();
        TheMeshLibrary = nullptr;
        library.reset();
    }
    AgentType* Type(const char* name, int alignment, uint32_t classBits = 0)
    {
        Agent* prototype = game.agentTypes->TakeFreeAgent();
        CopyText(prototype->name, sizeof prototype->name, name);
        prototype->mesh = TheMeshLibrary->GetMesh("data/mesh/walker.txt", 0, true, false);
        prototype->meshStates[0] = prototype->mesh;
        prototype->meshCount = 1;
        prototype->alignment = alignment;
        prototype->SetMaxHealth(150.0f);
        prototype->SetHealth(150.0f);
        prototype->classWord = classBits;
        game.agentTypes->prototypes.PushBack(prototype);
        return game.agentTypes->DefineType(prototype, name);
    }
    // An agent of that type standing at a cell, in the level.
    Agent* Make(const char* type, int column, int row)
    {
        Agent* agent = TheScene.CreateAgent(type, true);
        EXPECT_NE(agent, nullptr);
        if (agent) agent->SetPosition(Corner(column, row));
        return agent;
    }
    std::string Saved(Agent* agent)
    {
        std::string path = folder + "/saved.txt";
        FILE* file = fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        TheScene.saveNumbers.clear();  // each save numbers its entities from the first
        agent->SaveToScene(file);
        fclose(file);
        return ReadTextFile(path);
    }
    // Reads the text as a scene file; the newest agent of the level.
    Agent* Read(const std::string& text)
    {
        std::string path = folder + "/scene.txt";
        EXPECT_TRUE(WriteTextFile(path, text));
        EXPECT_TRUE(TheScene.ReadSceneFile(path.c_str()));
        TheScene.PutBackSavedStates();
        Agent* newest = nullptr;
        for (int segment : {SEGMENT_UNIT, SEGMENT_ENEMY_UNIT})
            for (Scene::Node* node = TheScene.FirstInList(segment); node && !newest; node = TheScene.NextInList(node))
                if (node->value && (node->value->flags & ENTITY_AGENT)) newest = static_cast<Agent*>(node->value);
        return newest;
    }
    void Remove(Agent* agent)
    {
        TheScene.RemoveEntity(agent, REMOVE_EVERYWHERE);
        game.agentTypes->ReturnAgent(agent);
    }

    std::unique_ptr<MeshLibrary> library;
    std::string folder;
};

TEST_F(AgentSceneRecordsTest, APlainBotWritesItsTypeHealthScaleAndCell)
{
    Type("Scout", ALIGN_PLAYER);
    Agent* scout = Make("Scout", 10, 20);
    scout->brain->SetMode(AI_MODE_IDLE);
    EXPECT_EQ(SceneLinesOnly(Saved(scout)),
              "AddAgent\t\t\t\tScout\n"
              "SetBothHealth\t\t\t150 150\n"
              "SetScale\t\t\t\t1 1 1\n"
              "SetMapCoord\t\t\t10 20\n"
              "SetPosition\t\t\t-135 0 -110\n");
}

TEST_F(AgentSceneRecordsTest, AnEnemyMineLayerWritesEveryLineEnded)
{
    Type("Layer", ALIGN_ENEMY, AGENT_CLASS_MINE_LAYER);
    Agent* layer = Make("Layer", 3, 4);
    layer->classWord |= AGENT_CLOAKED | AGENT_SPAWNED | AGENT_DISCOVERED | AGENT_OBJECTIVE;
    layer->flags |= ENTITY_OBJECT_OF_INTEREST;
    layer->yaw = 90.0f;
    layer->groupId = 2;
    layer->freezeTime = 1.5f;
    layer->cloakTime = 4.0f;
    layer->botLevel = 3;
    const std::string text = Saved(layer);
    EXPECT_EQ(SceneLinesOnly(text),
              "AddAgent\t\t\t\tLayer\n"
              "SetBothHealth\t\t\t150 150\n"
              "SetRotate\t\t\t\t\t90\n"
              "TurningTo\t\t\t\t0\n"
              "SetScale\t\t\t\t1 1 1\n"
              "SetMapCoord\t\t\t3 4\n"
              "SetPosition\t\t\t-152.5 0 -150\n"
              "SetGroupId\t\t\t2\n"
              "Mines\t\t\t\t\t1\t0.00\n"
              "SetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n"
              "SetAgentObjective\n"
              "CloakedTime\t\t\t\t4.00\n"
              "FreezeTime\t\t\t\t1.50\n"
              "SetAgentIsSpawned\n"
              "SetAgentDiscovered\n"
              "SpawnCoord\t\t\t-1 -1\n"
              "BotLevel\t\t\t\t3\n");

    Remove(layer);
    Agent* read = Read(text);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->groupId, 2);
    EXPECT_TRUE(read->classWord & AGENT_CLASS_RAIDER);
    EXPECT_EQ(read->mines, 1);
    EXPECT_FLOAT_EQ(read->cloakTime, 4.0f);
    EXPECT_FLOAT_EQ(read->freezeTime, 1.5f);
    EXPECT_LT(read->spawnPoint.x, -900.0f);  // still unset
    EXPECT_EQ(read->botLevel, 3);
    EXPECT_EQ(Saved(read), text);
}

TEST_F(AgentSceneRecordsTest, OldFilesWithGluedLinesReadIntact)
{
    Type("Layer", ALIGN_ENEMY, AGENT_CLASS_MINE_LAYER);
    Agent* read = Read("AddAgent\t\t\t\tLayer\n"
                       "Mines\t\t\t\t\t2\t0.50SetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n"
                       "CloakedTime\t\t\t\t3.25FreezeTime\t\t\t\t2.00SetAgentDiscovered\n"
                       "SpawnCoord\t\t\t7 8\n");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->mines, 2);
    EXPECT_FLOAT_EQ(read->mineTimer, 0.5f);
    EXPECT_TRUE(read->flags & ENTITY_OBJECT_OF_INTEREST);
    EXPECT_FLOAT_EQ(read->cloakTime, 3.25f);
    EXPECT_FLOAT_EQ(read->freezeTime, 2.0f);
    EXPECT_TRUE(read->classWord & AGENT_DISCOVERED);
    Vec3 spawn = Corner(7, 8);
    EXPECT_FLOAT_EQ(read->spawnPoint.x, spawn.x);
    EXPECT_FLOAT_EQ(read->spawnPoint.z, spawn.z);
}

TEST_F(AgentSceneRecordsTest, ABotInsideAnUpgraderIsCreatedWhereItIs)
{
    Type("Scout", ALIGN_PLAYER);
    Agent* scout = Make("Scout", 10, 20);
    Building* upgrader = Standing(NewBuilding(ALIGN_PLAYER), 12, 20, 2, 2);
    ASSERT_NE(TheScene.AddEntity(upgrader), nullptr);
    ASSERT_TRUE(upgrader->StampGrid());
    scout->activeBuilding.Set(upgrader);
    scout->processTimer = 3.0f;
    scout->brain->SetMode(AI_MODE_IDLE);
    const std::string text = Saved(scout);
    EXPECT_EQ(SceneLinesOnly(text),
              "CreateAgent\t\t\tScout\n"
              "SetBothHealth\t\t\t150 150\n"
              "SetScale\t\t\t\t1 1 1\n"
              "ActiveBuilding\t\t12 20\n");
}

TEST_F(AgentSceneRecordsTest, AWorkingMinerReadsBackTheSame)
{
    Type("Digger", ALIGN_PLAYER, AGENT_CLASS_MINER);
    Building* refinery = Standing(NewBuilding(ALIGN_PLAYER), 30, 30, 2, 2);
    ASSERT_NE(TheScene.AddEntity(refinery), nullptr);
    ASSERT_TRUE(refinery->StampGrid());
    Agent* digger = Make("Digger", 20, 21);
    digger->dropOff.Set(refinery);
    digger->stance = AGENT_STANCE_HOLD_POSITION;
    digger->upgradeFlags = 0x400;
    digger->botExperience = 600;
    digger->kills = 3;
    digger->oreLoad = 12.5f;
    digger->workTimer = 0.25f;
    digger->moveQueue.Push(Corner(5, 6));
    digger->moveQueue.Push(Corner(7, 8));
    digger->brain->SetMode(AI_MODE_MINING_RETURN_TO_DROPOFF);
    const std::string text = Saved(digger);
    EXPECT_EQ(SceneLinesOnly(text),
              "AddAgent\t\t\t\tDigger\n"
              "SetBothHealth\t\t\t150 150\n"
              "SetScale\t\t\t\t1 1 1\n"
              "SetMapCoord\t\t\t20 21\n"
              "SetPosition\t\t\t-110 0 -107.5\n"
              "Kills\t\t\t\t\t3\n"
              "AIMode\t\t\t\t\t1\n"
              "SetUpgradeFlags\t\t\t1024\n"
              "BotExperience\t\t\t\t600\n"
              "MoveWaypoint\t\t5 6\n"
              "MoveWaypoint\t\t7 8\n"
              "MinerData\t\t\t12.50 0.00 0.25\n"
              "MinerCoords\t\t-1 -1 30 30\n"
              "BrainState\t\tMiningReturnToDropoff\n");
    Remove(digger);
    Agent* read = Read(text);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->botLevel, 3);
    EXPECT_EQ(read->dropOff.Get(), refinery);
    EXPECT_EQ(read->mine.Get(), nullptr);
    EXPECT_EQ(Saved(read), text);
}

// A damaged save that puts a unit far off the map: the unit stands where its scene lines put
// it, and the log says why.
TEST_F(AgentSceneRecordsTest, AUnitTheSavePutsOffTheMapStaysWhereItsLinesStoodIt)
{
    Type("Scout", ALIGN_PLAYER);
    Agent* scout = Make("Scout", 10, 20);
    std::string text = Saved(scout);
    Remove(scout);
    const std::string motion = "UnitMotion\t -135 0 -110";
    const size_t at = text.find(motion);
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, motion.size(), "UnitMotion\t 9e30 0 -9e30");
    LogCaptureBegin();
    Agent* read = Read(text);
    const std::string log = LogCaptureEnd();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetPosition().x, -135.0f);
    EXPECT_EQ(read->GetPosition().z, -110.0f);
    EXPECT_NE(log.find("off the map"), std::string::npos) << log;
}

TEST_F(AgentSceneRecordsTest, ModesFromAFileAreCheckedAndTheRigWritesItsOwnLines)
{
    Type("Scout", ALIGN_PLAYER);
    Agent* read = Read("AddAgent Scout AIMode 42 BrainState Dance");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->stance, AGENT_STANCE_DEFAULT) << "no stance has the number";
    EXPECT_EQ(read->brain->mode, AI_MODE_NONE);

    Agent* rig = Make("Scout", 1, 1);
    rig->flags |= ENTITY_PLAYER;
    Building* site = Standing(NewBuilding(ALIGN_PLAYER), 40, 41);
    ASSERT_NE(TheScene.AddEntity(site), nullptr);
    ASSERT_TRUE(site->StampGrid());
    rig->activeBuilding.Set(site);
    rig->brain->SetMode(AI_MODE_REPAIR);
    const std::string text = Saved(rig);
    EXPECT_EQ(text, "PlayerState\t\tRepair\nPlayerActiveBuilding\t\t40 41\n");
    rig->brain->SetMode(AI_MODE_NONE);
    rig->activeBuilding.Clear();
    Read(text);
    EXPECT_EQ(rig->brain->mode, AI_MODE_REPAIR);
    EXPECT_EQ(rig->activeBuilding.Get(), site);
}

}  // namespace
