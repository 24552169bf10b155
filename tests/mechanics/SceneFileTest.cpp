// The scene file: the keywords that place, turn and scale what they read, the bounds on what a
// file may ask for, damaged files, and a save that fails before it is complete.
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "mechanics/Selection.h"
#include "render/AnimLibrary.h"
#include "render/Animation.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/AgentTypeRegistry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

class SceneFileTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        library = std::make_unique<MeshLibrary>();
        TheMeshLibrary = library.get();
        folder = MakeTempFolder("scenefile");
        Define("walker", ALIGN_ENEMY);
        Define("bot", ALIGN_PLAYER);
    }
    void Define(const char* name, int alignment)
    {
        Agent* prototype = game.agentTypes->TakeFreeAgent();
        CopyText(prototype->name, sizeof prototype->name, name);
        prototype->mesh = TheMeshLibrary->GetMesh("data/mesh/walker.txt", 0, true, false);
        prototype->meshStates[0] = prototype->mesh;
        prototype->meshCount = 1;
        prototype->alignment = alignment;
        prototype->SetMaxHealth(150.0f);
        prototype->SetHealth(150.0f);
        game.agentTypes->prototypes.PushBack(prototype);
        game.agentTypes->DefineType(prototype, name);
    }
    void TearDown() override
    {
        WorldTest::TearDown();
        TheMeshLibrary = nullptr;
        library.reset();
    }
    bool Read(const std::string& text)
    {
        std::string path = folder + "/scene.txt";
        EXPECT_TRUE(WriteTextFile(path, text));
        return TheScene.ReadSceneFile(path.c_str());
    }
    Agent* Newest(int segment)
    {
        Scene::Node* node = TheScene.FirstInList(segment);
        return node && node->value && (node->value->flags & ENTITY_AGENT) ? static_cast<Agent*>(node->value) : nullptr;
    }

    std::unique_ptr<MeshLibrary> library;
    std::string folder;
};

TEST_F(SceneFileTest, TurnScaleAndPlaceAsWritten)
{
    ASSERT_TRUE(Read("AddAgent walker SetMapCoord 10 12 SetRotate 90 SetRotate 90 SetScale 2.5 2.5 2.5\n"));
    Agent* agent = Newest(SEGMENT_ENEMY_UNIT);
    ASSERT_NE(agent, nullptr);
    EXPECT_FLOAT_EQ(agent->yaw, 90.0f);
    // Turned once, not twice: the x axis points where a single quarter turn puts it.
    Matrix once;
    MatrixRotationY(&once, 90.0f * 0.0174532924f);
    EXPECT_NEAR(agent->world._11, once._11, 1e-5f);
    EXPECT_NEAR(agent->world._13, once._13, 1e-5f);
    EXPECT_EQ(agent->GetPosition(), Corner(10, 12)) << "turning keeps the place";
    EXPECT_FLOAT_EQ(agent->scale, 2.5f);

    // Off the grid is written -1 -1: no cell is taken for it.
    ASSERT_TRUE(Read("AddAgent walker SetPosition 7 0 9 SetMapCoord -1 -1\n"));
    EXPECT_EQ(Newest(SEGMENT_ENEMY_UNIT)->GetPosition(), Vec3(7.0f, 0.0f, 9.0f));
}

TEST_F(SceneFileTest, RoleAnimationsTakeTheirSlotsAndADeathPlaysOnce)
{
    AnimLibrary animations;
    ScopedGlobal<AnimLibrary*> shared(TheAnimLibrary, &animations);
    ASSERT_TRUE(Read("AddAgent walker ANIM_WALK walker_walk.txt ANIM_DEATH walker_death.txt\n"));
    Agent* walker = Newest(SEGMENT_ENEMY_UNIT);
    ASSERT_NE(walker, nullptr);
    ASSERT_NE(walker->mesh, nullptr);
    const IndexedMesh& mesh = *walker->mesh;
    const int walk = mesh.animationSlot[ANIM_WALK], death = mesh.animationSlot[ANIM_DEATH];
    ASSERT_GE(walk, 0);
    ASSERT_GE(death, 0);
    EXPECT_EQ(mesh.slotAnimationId[death], ANIM_DEATH);
    EXPECT_EQ(mesh.slotFlags[walk] & SLOT_RETURN_TO_IDLE, 0u) << "a walk loops";
    EXPECT_NE(mesh.slotFlags[death] & SLOT_RETURN_TO_IDLE, 0u) << "a death plays once";
}

TEST_F(SceneFileTest, AUseAnimationHoldsItsLastKey)
{
    AnimLibrary animations;
    ScopedGlobal<AnimLibrary*> shared(TheAnimLibrary, &animations);
    ASSERT_TRUE(Read("AddAgent walker ANIM_IDLE walker_idle.txt ANIM_USE walker_use.txt\n"));
    Agent* walker = Newest(SEGMENT_ENEMY_UNIT);
    ASSERT_NE(walker, nullptr);
    ASSERT_NE(walker->mesh, nullptr);
    const IndexedMesh& mesh = *walker->mesh;
    const int idle = mesh.animationSlot[ANIM_IDLE], use = mesh.animationSlot[ANIM_USE];
    ASSERT_GE(idle, 0);
    ASSERT_GE(use, 0);
    ASSERT_NE(mesh.animations[use], nullptr);
    EXPECT_NE(mesh.animations[use]->hold, 0) << "the use mark is kept";
    EXPECT_EQ(mesh.animations[idle]->hold, 0) << "an idle loops";
}

TEST_F(SceneFileTest, TheSideOfAnEntityMovesItToItsSegment)
{
    ASSERT_TRUE(Read("AddAgent walker SetAlignment PLAYER\n"));
    Agent* agent = Newest(SEGMENT_UNIT);
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(agent->alignment, ALIGN_PLAYER);
    EXPECT_EQ(Newest(SEGMENT_ENEMY_UNIT), nullptr) << "no longer among the enemy's";

    // One that is in no list (waiting inside a building) stays out of them.
    ASSERT_TRUE(Read("CreateAgent walker SetAlignment PLAYER\n"));
    int count = 0;
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_UNIT); node; node = TheScene.NextInList(node)) ++count;
    EXPECT_EQ(count, 1);
}

// A save read by a game just started finds a level without the rig: the profile's rig joins
// it where the save left it. A rig already in the level is only moved.
TEST_F(SceneFileTest, ThePlayerStartBringsTheProfilesRigIntoTheLevel)
{
    Agent* rig = game.agentTypes->TakeFreeAgent();
    ASSERT_NE(rig, nullptr);
    rig->flags |= ENTITY_PLAYER;
    rig->alignment = ALIGN_PLAYER;
    ScopedGlobal<Agent*> profileRig(GetPlayerProfile()->rig, rig);
    auto listed = [&] {
        int count = 0;
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_UNIT); node; node = TheScene.NextInList(node))
            count += node->value == rig;
        return count;
    };
    ASSERT_EQ(listed(), 0);
    for (const char* text : {"PlayerStart 50.00 0.00 60.00\n", "PlayerStart 70.00 0.00 80.00\n"}) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(Read(text));
        EXPECT_EQ(listed(), 1) << "in the level once";
        Vec3 expected;
        sscanf(text, "PlayerStart %f %f %f", &expected.x, &expected.y, &expected.z);
        EXPECT_EQ(rig->GetPosition(), expected);
        EXPECT_EQ(rig->moveTarget, expected);
    }
}

TEST_F(SceneFileTest, HealthOfAnUpgradedBotReadsBackTheSame)
{
    ASSERT_TRUE(Read("AddAgent bot\n"));
    Agent* agent = Newest(SEGMENT_UNIT);
    ASSERT_NE(agent, nullptr);
    agent->SetPosition(Corner(5, 5));
    agent->upgradeFlags = BU_HULL_1;
    const float base = agent->maxHealth, most = agent->GetMaxHealth();
    ASSERT_GT(most, base);
    agent->health = most;
    // Saved and read back three times: neither the maximum nor health grows.
    for (int round = 0; round < 3; ++round) {
        std::string path = folder + "/bot.txt";
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        agent->SaveToScene(file);
        fclose(file);
        TheScene.RemoveEntity(agent, REMOVE_EVERYWHERE);
        game.agentTypes->ReturnAgent(agent);
        ASSERT_TRUE(TheScene.ReadSceneFile(path.c_str()));
        agent = Newest(SEGMENT_UNIT);
        ASSERT_NE(agent, nullptr);
        EXPECT_FLOAT_EQ(agent->maxHealth, base);
        EXPECT_FLOAT_EQ(agent->GetMaxHealth(), most);
        EXPECT_FLOAT_EQ(agent->health, most);
    }
}

TEST_F(SceneFileTest, TheCameraIsRestoredAsItWasLeft)
{
    ScopedGlobal<Camera> camera(GameCamera, GameCamera);
    ASSERT_TRUE(Read("Camera    100.0  40.0  -20.0   135.0  -50.0\n"));
    EXPECT_EQ(GameCamera.eye, Vec3(100.0f, 40.0f, -20.0f));
    EXPECT_NEAR(GameCamera.yaw * 57.2957795f, 135.0f, 1e-3f);
    EXPECT_NEAR(GameCamera.pitch * 57.2957795f, -50.0f, 1e-3f);
    // A pitch no view takes is brought within the camera's range.
    ASSERT_TRUE(Read("Camera 0 0 0 0 10\n"));
    EXPECT_FLOAT_EQ(GameCamera.pitch, Camera::PITCH_HIGHEST);
}

TEST_F(SceneFileTest, CountsFromTheFileAreBounded)
{
    // A grid larger than the level's: its cells are set, the rest read and passed over, and
    // the keyword after it is read as one.
    std::string text = "GRID 130 2";
    for (int i = 0; i < 260; ++i) text += " 2";
    text += " AddAgent walker\n";
    LogCaptureBegin();
    ASSERT_TRUE(Read(text));
    EXPECT_NE(LogCaptureEnd().find("GRID 130 x 2"), std::string::npos);
    EXPECT_EQ(Cell(0, 0)->flags, CELL_BUILDABLE);
    EXPECT_EQ(Cell(127, 1)->flags, CELL_BUILDABLE);
    EXPECT_EQ(Cell(0, 2)->flags, CELL_WALKABLE | CELL_BUILDABLE);
    EXPECT_NE(Newest(SEGMENT_ENEMY_UNIT), nullptr);

    // Paths: a negative count makes none, an eleventh is refused.
    text = "Path broken -5 1 2 3\n";
    for (int i = 0; i < 11; ++i) text += "Path p" + std::to_string(i) + " 1 1 2 3\n";
    LogCaptureBegin();
    ASSERT_TRUE(Read(text));
    EXPECT_NE(LogCaptureEnd().find("p10 is not added"), std::string::npos);
    EXPECT_EQ(TheScene.paths.count, Scene::PATH_NODES);
    EXPECT_STREQ(TheScene.paths.head->value.name, "p0");
}

TEST_F(SceneFileTest, TruncatedAndCorruptedFilesNeverBreakTheReader)
{
    const std::string good =
        "SCENE savefile Beta_1.1\nCamera 1 2 3 180 -45\nGRID 3 2 1 2 3 0 1 2\n"
        "Path road 3 1 2 3 4 5 6 7 8 9\nAddAgent walker SetBothHealth 50 150 SetRotate 45\n"
        "SetMapCoord 4 4 SetGroupId 3 Mines 2 1.5 MinerCoords 1 1 2 2 ActiveBuilding 3 3\n"
        "AddLight POINT 1 1 1 1 0 0 0 0 0 0 0 0 1 2 3 0 -1 0 10 1 1 0 0\n"
        "AddAgent bot SetMapCoord 6 6 ControlGroup 3 1 2 9 PlayerControlGroup 2 0 4\n"
        "CreateAgent bot ActiveBuilding 8 8 AddBuilding hut BuildQueue 2 1.5 bot walker\n"
        "AddItem crate SetItemAction 1 2 SetItemFlag ITEM_FLAG_USED item_upgradeDamage 2.45 item_pattern bot\n"
        "item_stackCount 3 AIManagerData 1 2 3 4 5 6 7 1 AIManagerPath 1 2 3\n/* comment */ END_OF_FILE\n";
    SRand(7);
    for (int trial = 0; trial < 300; ++trial) {
        std::string text = good;
        if (trial % 3 == 0) text.resize(Rand() % text.size());
        for (int flips = Rand() % 6; flips > 0; --flips) text[Rand() % text.size()] = (char)(Rand() & 0xff);
        if (trial % 5 == 0) text.insert(Rand() % text.size(), std::string(300, 'x'));
        if (trial % 7 == 0) text += " Path huge 2147483647 GRID 2147483647 2147483647";
        LogCaptureBegin();
        EXPECT_TRUE(Read(text));
        TheScene.ResolveLinks();
        LogCaptureEnd();
    }
    game.ClearControlGroups();
    TheScene.ReleaseEntities();
}

TEST_F(SceneFileTest, DamagedLinesAreLoggedAndPassedOver)
{
    const struct {
        const char* text;
        const char* logged;
    } rows[] = {
        {"AddItem no_such_item SetItemAction 1 2 item_pattern bot\n", "no item 'no_such_item'"},
        {"AddAgent bot SetMapCoord 6 6 ControlGroup 12 0 1 2 3 4 5 6 7 8 9 10 11\n", "12 control groups"},
        {"CreateAgent bot SetAlignment PLAYER ActiveBuilding 70 70\n", "waited inside a building that is not there"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const int free = game.agentTypes->FreeCount();
        LogCaptureBegin();
        ASSERT_TRUE(Read(row.text));
        TheScene.ResolveLinks();
        EXPECT_NE(LogCaptureEnd().find(row.logged), std::string::npos);
        Agent* agent = Newest(SEGMENT_UNIT);
        if (agent) {
            // Ten groups, each once: the line's first ten numbers.
            for (int group = 0; group < CONTROL_GROUP_COUNT; ++group)
                EXPECT_TRUE(PlayerSelection::Lists(game.hand.groups[group], agent)) << group;
            game.ClearControlGroups();
            TheScene.RemoveEntity(agent, REMOVE_EVERYWHERE);
        }
        EXPECT_EQ(game.agentTypes->FreeCount(), free) << "no unit is kept by a line that was passed over";
    }
}

TEST_F(SceneFileTest, ASaveThatFailsLeavesTheOldOneWhole)
{
    std::string path = folder + "/savefiles/pilot/slot1.sav";
    ASSERT_TRUE(Read("AddAgent walker SetMapCoord 3 3\n"));
    ASSERT_TRUE(TheScene.WriteSceneFile(path.c_str()));
    const std::string old = ReadTextFile(path);
    ASSERT_NE(old.find("AddAgent\t\t\t\twalker\n"), std::string::npos);
    EXPECT_EQ(old.rfind("\n\nEND_OF_FILE\n"), old.size() - 14);
    struct stat info;
    EXPECT_NE(stat((path + ".tmp").c_str(), &info), 0) << "no temporary file stays behind";

    // A second save that cannot be completed (its temporary file cannot be made) is logged
    // and changes nothing.
    ASSERT_TRUE(Read("AddAgent walker SetMapCoord 4 4\n"));
    ASSERT_EQ(mkdir((path + ".tmp").c_str(), 0700), 0);
    LogCaptureBegin();
    EXPECT_FALSE(TheScene.WriteSceneFile(path.c_str()));
    EXPECT_NE(LogCaptureEnd().find("for WRITING"), std::string::npos);
    EXPECT_EQ(ReadTextFile(path), old);
    rmdir((path + ".tmp").c_str());

    // The save path of a profile.
    char name[512];
    SaveGamePath(name, sizeof name, "Pilot", "Slot 1");
    EXPECT_NE(std::string(name).find("/savefiles/Pilot/Slot 1.sav"), std::string::npos);
}

}  // namespace
