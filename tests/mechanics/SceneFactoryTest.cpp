// The Scene's factory and its scripts: agents are made from their type's prototype with a mesh
// of their own and go back to the pool whole, buildings from the build catalogue, ore with its
// grade in its own textures, and the primitive and sound scripts read what they know, pass over
// what they do not, and leave everything as it was when the file is missing.
#include "mechanics/Scene.h"

#include "host/AudioDevice.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/SoundManager.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/WeaponDef.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/platform/SoundTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// The Scene's world with a mesh library over the shipped meshes (data/mesh.pkb).
class SceneFactoryTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        library = std::make_unique<MeshLibrary>();
        TheMeshLibrary = library.get();
    }
    void TearDown() override
    {
        SceneTest::TearDown();
        TheMeshLibrary = nullptr;
        library.reset();
    }
    // A unit type whose prototype walks on the shipped walker mesh.
    AgentType* DefineWalker(const char* name, int alignment)
    {
        Agent* prototype = game.agentTypes->TakeFreeAgent();
        CopyText(prototype->name, sizeof prototype->name, name);
        prototype->mesh = TheMeshLibrary->GetMesh("data/mesh/walker.txt", 0, true, false);
        prototype->meshStates[0] = prototype->mesh;
        prototype->meshCount = 1;
        prototype->alignment = alignment;
        prototype->SetMaxHealth(150.0f);
        prototype->SetHealth(120.0f);
        prototype->speed = 12.0f;
        prototype->classWord = AGENT_CLASS_MINER;
        prototype->commandWord = COMMAND_MINE;
        game.agentTypes->prototypes.PushBack(prototype);
        return game.agentTypes->DefineType(prototype, name);
    }
    std::string Script(const char* name, const std::string& text)
    {
        std::string path = MakeTempFolder("scenescripts") + "/" + name;
        EXPECT_TRUE(WriteTextFile(path, text));
        return path;
    }

    std::unique_ptr<MeshLibrary> library;
};

}  // namespace

TEST_F(SceneFactoryTest, AgentsComeFromTheirTypeWithAMeshOfTheirOwnAndGoBackWhole)
{
    AgentType* type = DefineWalker("Miner", ALIGN_PLAYER);
    ASSERT_NE(type, nullptr);
    ASSERT_NE(type->AddAttachment("data/mesh/hopper_full.txt", "BackPack"), nullptr);
    ASSERT_NE(type->AddAttachment("data/mesh/no_such_mesh.txt", "Head"), nullptr);
    Agent* prototype = type->prototype;
    int free = game.agentTypes->FreeCount();

    LogCaptureBegin();
    Agent* miner = TheScene.CreateAgent("miner", true);
    LogCaptureEnd();
    ASSERT_NE(miner, nullptr) << "prototypes are found without regard to case";
    EXPECT_STREQ(miner->name, "miner");
    EXPECT_EQ(miner->agentType, type);
    EXPECT_TRUE(miner->flags & ENTITY_AGENT);
    EXPECT_TRUE(miner->flags & ENTITY_AI);
    EXPECT_EQ(miner->classWord & (AGENT_CLASS_MINER | AGENT_CLASS_LEVELLING), AGENT_CLASS_MINER | AGENT_CLASS_LEVELLING)
        << "a player's bot levels up";
    EXPECT_EQ(miner->commandWord, COMMAND_MINE | COMMAND_MOVE | COMMAND_ATTACK | COMMAND_STOP);
    EXPECT_FLOAT_EQ(miner->GetHealth(), 120.0f);
    EXPECT_FLOAT_EQ(miner->GetMaxHealth(), 150.0f);
    EXPECT_FLOAT_EQ(miner->speed, 12.0f);
    ASSERT_NE(miner->mesh, nullptr);
    EXPECT_NE(miner->mesh, prototype->mesh) << "each agent poses a mesh of its own";
    EXPECT_EQ(miner->mesh->JointCount(), prototype->mesh->JointCount());
    ASSERT_EQ(miner->AttachmentCount(), 1) << "an attachment whose mesh is missing is left out";
    ASSERT_NE(miner->GetAttachedEntity("BackPack"), nullptr);
    EXPECT_STREQ(miner->GetAttachedEntity("BackPack")->name, "BackPack");
    EXPECT_EQ(TheScene.FirstInList(SEGMENT_UNIT)->value, miner);
    EXPECT_EQ(game.agentTypes->FreeCount(), free - 1);

    // Back to the pool: its mesh and attachments go with it (the leak checker watches), its id
    // changes.
    unsigned id = miner->id;
    TheScene.RemoveEntity(miner, REMOVE_MASTER);
    EXPECT_EQ(game.agentTypes->FreeCount(), free);
    EXPECT_EQ(miner->mesh, nullptr);
    EXPECT_EQ(miner->AttachmentCount(), 0);
    EXPECT_NE(miner->id, id);
    EXPECT_EQ(TheScene.FirstInList(SEGMENT_UNIT), nullptr);

    // Made but not put in the level (a unit waiting inside a building).
    Agent* waiting = TheScene.CreateAgent("Miner", false);
    ASSERT_NE(waiting, nullptr);
    EXPECT_EQ(TheScene.FirstInList(SEGMENT_UNIT), nullptr);
    EXPECT_TRUE(game.agentTypes->ReturnAgent(waiting));

    // Names nobody defined make nothing.
    EXPECT_EQ(TheScene.CreateAgent("Dragon", true), nullptr);
    EXPECT_EQ(game.agentTypes->FreeCount(), free);
}

TEST_F(SceneFactoryTest, AUnitHoldsItsWeaponOnItsRightWeaponBone)
{
    AgentType* type = DefineWalker("gunner", ALIGN_PLAYER);
    ASSERT_NE(type, nullptr);
    // The unit's weapon comes from a weapon item of the catalogue, with the item's mesh.
    Item gun;
    gun.mesh = TheMeshLibrary->GetMesh("data/mesh/weapons/weapon_laser.txt", 0, true, false);
    ASSERT_NE(gun.mesh, nullptr);
    type->prototype->weapon = new WeaponDef();
    type->prototype->weapon->owner = &gun;

    Agent* gunner = TheScene.CreateAgent("gunner", true);
    ASSERT_NE(gunner, nullptr);
    Entity* held = gunner->GetAttachedEntity("rightweapon");
    ASSERT_NE(held, nullptr) << "the weapon's mesh hangs on the hand";
    EXPECT_EQ(held->mesh, gun.mesh);
    int bone = -1;
    for (int i = 0; i < gunner->AttachmentCount(); ++i)
        if (strcmp(gunner->Attachment(i).name, "rightweapon") == 0) bone = gunner->Attachment(i).boneIndex;
    EXPECT_EQ(bone, gunner->mesh->FindJoint("RightWeapon"));
    EXPECT_GE(bone, 0);
    TheScene.RemoveEntity(gunner, REMOVE_MASTER);

    // Without a weapon, or a weapon without an item, nothing is hung there.
    delete type->prototype->weapon;
    type->prototype->weapon = nullptr;
    Agent* bare = TheScene.CreateAgent("gunner", true);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->GetAttachedEntity("rightweapon"), nullptr);
    TheScene.RemoveEntity(bare, REMOVE_MASTER);
    gun.mesh = nullptr;
}

TEST_F(SceneFactoryTest, BuildingsOreAndSplatsFromTheirTemplates)
{
    // A building is a copy of its catalogue entry's prototype, sharing its mesh.
    Entity* depot = TheScene.AddPrimitive("data/mesh/hopper_empty.txt", "depot", 0, nullptr, ENTITY_BUILDING, 1, false);
    ASSERT_NE(depot, nullptr);
    ASSERT_TRUE(depot->flags & ENTITY_BUILDING);
    depot->alignment = ALIGN_ENEMY;
    BuildItem* item = game.buildItems->Add(depot, nullptr);
    ASSERT_STREQ(item->name, "depot");
    Building* building = TheScene.CreateBuilding("depot");
    ASSERT_NE(building, nullptr);
    EXPECT_EQ(building->definition, item);
    EXPECT_EQ(building->mesh, depot->mesh);
    EXPECT_NE(building->buildQueue, nullptr);
    EXPECT_EQ(TheScene.FirstInList(SEGMENT_ENEMY_BUILDING)->value, building);
    EXPECT_EQ(TheScene.CreateBuilding("Depot"), nullptr) << "catalogue names keep their case";
    TheScene.RemoveEntity(building, REMOVE_MASTER);
    EXPECT_STREQ(building->statusText, "DELETED");
    delete building;

    // Ore: its stages are copies of the template's, painted with the grade.
    Entity* rock = TheScene.AddPrimitive("data/mesh/debris_rock_0.txt", "Ore", 0, nullptr, ENTITY_RESOURCE, 1, false);
    ASSERT_TRUE(TheScene.AddMeshToTemplate(rock, "data/mesh/debris_rock_1.txt", 0));
    ASSERT_TRUE(TheScene.AddMeshToTemplate(rock, "data/mesh/debris_rock_2.txt", 0));
    EXPECT_FALSE(TheScene.AddMeshToTemplate(rock, "data/mesh/debris_bio_0.txt", 0)) << "three meshes at most";
    Entity* ore = TheScene.AddResource("ORE", Vec3(4, 0, 4), 2);
    ASSERT_NE(ore, nullptr);
    EXPECT_EQ(TheScene.FirstInList(SEGMENT_RESOURCE)->value, ore);
    EXPECT_EQ(ore->kills, 2) << "the ore type";
    EXPECT_EQ(ore->mesh, rock->mesh);
    for (int i = 0; i < ENTITY_MESH_STATES; ++i) {
        ASSERT_NE(ore->meshStates[i], nullptr);
        EXPECT_NE(ore->meshStates[i], rock->meshStates[i]);
    }
    EXPECT_STREQ(ore->meshStates[1]->materials[0].textureName, "data/textures/ore_blue.dds");
    EXPECT_STREQ(ore->meshStates[2]->materials[0].textureName, "data/textures/ore_blue.dds");
    EXPECT_STRNE(rock->meshStates[1]->materials[0].textureName, "data/textures/ore_blue.dds");
    EXPECT_EQ(ore->flags & (ENTITY_RESOURCE | ENTITY_PLACED | ENTITY_SNAP_TO_GROUND),
              ENTITY_RESOURCE | ENTITY_PLACED | ENTITY_SNAP_TO_GROUND);

    // A splat of a template nobody made: one line, nothing made.
    LogCaptureBegin();
    EXPECT_EQ(TheScene.AddSplat("scorch", "data/textures/white.dds", nullptr, Vec3(), 0), nullptr);
    EXPECT_EQ(LogCaptureEnd(), "ERROR couldn't find splat primitive scorch\n");
    EXPECT_EQ(TheScene.splats.count, 0);
    ASSERT_NE(TheScene.AddPrimitive("data/mesh/splat.txt", "splat", 0, nullptr, 0, 1, false), nullptr);
    Entity* splat = TheScene.AddSplat("SPLAT", "data/textures/white.dds", nullptr, Vec3(1, 2, 3), 0);
    ASSERT_NE(splat, nullptr);
    EXPECT_TRUE(splat->flags & ENTITY_SPLAT);
    EXPECT_EQ(splat->GetPosition(), Vec3(1, 2, 3));
    ASSERT_NE(splat->mesh, nullptr);
    EXPECT_STREQ(splat->mesh->materials[0].normalMapName, "data/textures/normalMapNone.dds");

    // A vent: a terrain object, a little above the ground it was given.
    ASSERT_NE(TheScene.AddPrimitive("data/mesh/splat.txt", "res_fuel", 0, nullptr, ENTITY_FUEL, 1, false), nullptr);
    LogCaptureBegin();
    Entity* vent = TheScene.AddFuelVent("res_fuel", Vec3(0, 12, 0));
    LogCaptureEnd();
    ASSERT_NE(vent, nullptr);
    EXPECT_EQ(TheScene.FirstInCategory(CATEGORY_TERRAIN, ENTITY_FUEL), vent);
    EXPECT_FLOAT_EQ(vent->GetPosition().y, 12.1f);

    // Removal by list: from the terrain list it leaves that list only.
    TheScene.RemoveEntity(vent, REMOVE_TERRAIN);
    EXPECT_EQ(TheScene.FirstInCategory(CATEGORY_TERRAIN, 0), nullptr);
    delete vent;
}

TEST_F(SceneFactoryTest, ThePrimitiveScriptReadsWhatItKnows)
{
    ScopedGlobal<char[256]> height(TheScene.heightmapName), colour(TheScene.colourMapName);
    ScopedGlobal<char[128]> kind(TheScene.sceneKind);
    ScopedGlobal<char[32]> version(TheScene.sceneVersion);
    ScopedGlobal<uint32_t> flags(TheScene.sceneFlags);
    std::string path = Script("primitives.cgs",
                              "// templates\n"
                              "SCENE primitives Beta_1.1\n"
                              "MeshType Default\n"
                              "Bogus 1 2 three /* a comment with AddPrimitive skipped ENTITY x.txt */\n"
                              "AddPrimitive flag ENTITY data/mesh/flag.txt\n"
                              "addprimitive lower ENTITY data/mesh/flag.txt\n"
                              "AddPrimitive hopper ENTITY data/mesh/hopper_empty.txt\n"
                              "  AddMeshState data/mesh/hopper_half.txt AddMeshState data/mesh/hopper_full.txt\n"
                              "  SetHealth 40 SetFlag ENTITY_STATIC SetAlignment ENEMY SetName hopper_empty\n"
                              "AddPrimitive crate building data/mesh/debris_wood_0.txt SetHealth notanumber\n"
                              "RemapPrimitive rock data/mesh/debris_rock_0.txt tex/rock 1 3\n"
                              "RemapPrimitive pebble data/mesh/debris_rock_1.txt tex/pebble 3 1\n"
                              "Heightmap data\\heightmaps\\ridge.bmp Colormap data/textures/colormaps/red.dds\n"
                              "SceneFlag level_has_water\n"
                              "end_of_file\n"
                              "AddPrimitive late ENTITY data/mesh/flag.txt\n");
    LogCaptureBegin();
    ASSERT_TRUE(TheScene.ReadSceneFile(path.c_str()));
    std::string log = LogCaptureEnd();
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;

    EXPECT_STREQ(TheScene.sceneKind, "primitives");
    EXPECT_STREQ(TheScene.sceneVersion, "Beta_1.1");
    ASSERT_NE(TheScene.FindPrimitive("FLAG"), nullptr);
    EXPECT_EQ(TheScene.FindPrimitive("skipped"), nullptr) << "commented out";
    EXPECT_EQ(TheScene.FindPrimitive("lower"), nullptr) << "keywords keep their case";
    EXPECT_EQ(TheScene.FindPrimitive("late"), nullptr) << "the end marker ends the file in any case";

    Entity* hopper = TheScene.FindPrimitive("hopper_empty");
    ASSERT_NE(hopper, nullptr) << "renamed after it was made";
    EXPECT_EQ(hopper->meshCount, 3);
    EXPECT_FLOAT_EQ(hopper->health, 40.0f);
    EXPECT_TRUE(hopper->flags & ENTITY_STATIC);
    EXPECT_EQ(hopper->alignment, ALIGN_ENEMY);
    EXPECT_TRUE(TheMeshLibrary->IsLoaded("data/mesh/hopper_full.txt"));

    Entity* crate = TheScene.FindPrimitive("crate");
    ASSERT_NE(crate, nullptr);
    EXPECT_TRUE(crate->flags & ENTITY_BUILDING) << "kind words in any case";
    EXPECT_FLOAT_EQ(crate->health, 100.0f) << "a value that is no number changes nothing";

    for (const char* name : {"rock1", "rock2", "rock3", "rock", "pebble"})
        EXPECT_NE(TheScene.FindPrimitive(name), nullptr) << name;
    EXPECT_EQ(TheScene.FindPrimitive("pebble1"), nullptr) << "an empty range makes the base only";
    EXPECT_STREQ(TheScene.heightmapName, "data/heightmaps/ridge.bmp");
    EXPECT_STREQ(TheScene.colourMapName, "data/textures/colormaps/red.dds");
    EXPECT_TRUE(TheScene.sceneFlags & SCENE_HAS_WATER);

    // A file that is not there changes nothing.
    int primitives = TheScene.primitives.count;
    LogCaptureBegin();
    EXPECT_FALSE(TheScene.ReadSceneFile("data/scripts/no_such_scene.cgs"));
    EXPECT_NE(LogCaptureEnd().find("ERROR opening file data/scripts/no_such_scene.cgs for READING"), std::string::npos);
    EXPECT_EQ(TheScene.primitives.count, primitives);
}

TEST(SoundScripts, LoadWhatTheyNameAndPassOverTheRest)
{
    SoundManager manager;
    ASSERT_TRUE(manager.Init(AudioDevice::OpenLoopback(22050)));
    ScopedGlobal<SoundManager*> installed(SoundMgr, &manager);
    std::string folder = MakeTempFolder("soundscripts");
    ASSERT_NE(InstallSoundPackage(folder, {{"a.wav", "a.wav", ToneWave(2000)}, {"b.wav", "b.wav", ToneWave(2000)}}),
              nullptr);
    std::string path = folder + "/sounds.cgs";
    ASSERT_TRUE(WriteTextFile(path, "// sounds\n"
                                    "AddSound first 2 data/sounds/a.wav\n"
                                    "Volume 5 /* AddSound hidden 1 data/sounds/a.wav */\n"
                                    "addsound lower 1 data/sounds/b.wav\n"
                                    "AddSound many 12 data\\sounds\\b.wav\n"
                                    "AddSound missing 1 data/sounds/c.wav\n"
                                    "END_OF_FILE\n"
                                    "AddSound after 1 data/sounds/a.wav\n"));
    LogCaptureBegin();
    EXPECT_TRUE(LoadSoundScript(path.c_str()));
    std::string log = LogCaptureEnd();
    EXPECT_EQ(manager.GetSoundCount(), 2);
    EXPECT_EQ(manager.FindSound("FIRST"), 0);
    EXPECT_EQ(manager.FindSound("many"), 1);
    for (const char* absent : {"hidden", "lower", "after", "missing"}) EXPECT_EQ(manager.FindSound(absent), -1) << absent;
    EXPECT_NE(log.find("SoundManager() ERROR: File: missing"), std::string::npos) << log;

    LogCaptureBegin();
    EXPECT_FALSE(LoadSoundScript("data/scripts/no_such_sounds.cgs"));
    EXPECT_NE(LogCaptureEnd().find("ERROR opening file"), std::string::npos);
    EXPECT_EQ(manager.GetSoundCount(), 2);
}
