// A level saved, read back into an empty level and saved again gives the same file: a generated
// level, a base with something of every kind, and a save that once lost its buildings. A save
// of every kind damaged at random never breaks the reader or the next save; the lines of
// hand-made level files reach what they name.
#include "platform/Timer.h"
#include "host/Random.h"
#include "levelgen/Growth.h"
#include "mechanics/Selection.h"
#include "render/Camera.h"
#include "tests/levelgen/PopulationTestSupport.h"
#include "world/Item.h"
#include "world/ProjectileSystem.h"
#include "world/RaidManager.h"
#include "tests/support/Scoped.h"
#include "terrain/Environment.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr const char* ROUND_TRIP_ENVIRONMENTS[] = {"forest", "desert"};

TEST_F(ShippedPopulationTest, ASavedLevelReadsBackToTheSameFile)
{
    ScopedGlobal<Camera> camera(GameCamera, GameCamera);
    for (const char* environment : ROUND_TRIP_ENVIRONMENTS) {
        SCOPED_TRACE(environment);
        Agent* rig = game.agentTypes->TakeFreeAgent();
        CopyText(rig->name, sizeof rig->name, "rig");
        maps.rig = rig;
        MissionRecord* mission = Mission(environment, 3);
        Populate(*mission, 11, false);
        GameCamera.eye = Vec3(210.5f, 60.0f, 180.25f);
        GameCamera.yaw = 2.0f;
        GameCamera.pitch = -1.0f;
        rig->yaw = 30.0f;

        std::string folder = MakeTempFolder("roundtrip");
        std::string first = folder + "/first.sav", second = folder + "/second.sav";
        ASSERT_TRUE(TheScene.WriteSceneFile(first.c_str()));
        const std::string written = ReadTextFile(first);
        ASSERT_NE(written.find("AddResource"), std::string::npos);
        ASSERT_NE(written.find("AddAgent"), std::string::npos);
        ASSERT_NE(written.find("PlayerStart"), std::string::npos);
        const int agents = CountAgents();

        // An empty level with only the rig, then the save read over it.
        ClearLevel();
        rig = game.agentTypes->TakeFreeAgent();
        CopyText(rig->name, sizeof rig->name, "rig");
        rig->flags |= ENTITY_PLAYER;
        rig->alignment = ALIGN_PLAYER;
        ASSERT_NE(TheScene.AddEntity(rig), nullptr);
        GameCamera.eye = Vec3();
        GameCamera.yaw = 0.0f;
        LogCaptureBegin();
        ASSERT_TRUE(TheScene.ReadSceneFile(first.c_str()));
        TheScene.ResolveLinks();
        // What each was doing, as the level's start puts it back.
        TheScene.PutBackSavedStates();
        std::string log = LogCaptureEnd();
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        EXPECT_EQ(CountAgents(), agents);
        EXPECT_FLOAT_EQ(rig->yaw, 30.0f);
        EXPECT_NEAR(GameCamera.yaw, 2.0f, 1e-3f);

        ASSERT_TRUE(TheScene.WriteSceneFile(second.c_str()));
        EXPECT_EQ(ReadTextFile(second), written);

        ClearLevel();
        growth.ClearInstances();
        objectives.Clear();
        events.Clear();
    }
}

// A player's base with something of every kind a save holds: buildings of every side, a
// factory with its queue and rally point, research, a building under construction, units
// waiting inside a recycler and an upgrader, a miner working for the refinery, enemies with
// their spawn points and raid, items on the ground (a crate, a module with an odd bonus, a
// stack, a blueprint), a fuel vent, the raid manager's route and control groups.
constexpr const char* EVERY_KIND =
    "SCENE savefile Beta_1.1\n"
    "Camera 100.0 60.0 120.0 180 -45\n"
    "PlayerStart 50.00 0.00 50.00\n"
    "PlayerControlGroup 1 1\n"
    "AddResource res_ore_1 -130.00 0.00 -130.00 1\n"
    "SetBothHealth 450.0 600.0\nSetFlag ENTITY_RESOURCE_REVEALED\nSetVisited 1\n"
    "AddBuilding refinery\nSetAlignment PLAYER\nSetMapCoord 20 20\nControlGroup 1 2\n"
    "AddBuilding bot_factory\nSetAlignment PLAYER\nSetMapCoord 40 20\nRallyPoint 45 25\n"
    "BuildQueue 2 3.5 miner gunner_bot\n"
    "AddBuilding research_lab\nSetAlignment PLAYER\nSetMapCoord 60 20\nResearch 3 12.5\n"
    "AddBuilding power_generator\nSetAlignment PLAYER\nSetMapCoord 20 40\nBuildState Constructing 0.25\n"
    "AddBuilding recycler\nSetAlignment PLAYER\nSetMapCoord 40 40\nRecycler 2.5\n"
    "CreateAgent gunner_bot\nSetAlignment PLAYER\nActiveBuilding 40 40\n"
    "AddBuilding bot_upgrader\nSetAlignment PLAYER\nSetMapCoord 60 40\nUpgraderFlags 3\n"
    "CreateAgent scout_bot\nSetAlignment PLAYER\nActiveBuilding 60 40\nSetUpgradeFlags 16\n"
    "AddBuilding Scavenger_camp\nSetAlignment ENEMY\nSetMapCoord 90 90\nSetFlag ENTITY_OBJECT_OF_INTEREST\n"
    "AddBuilding explosive_barrels\nSetAlignment NEUTRAL\nSetMapCoord 100 60\nSetRotate 90\n"
    "AddAgent miner\nSetAlignment PLAYER\nSetMapCoord 25 25\nControlGroup 2 1 3\n"
    "MinerData 10 20 0.5\nMinerCoords 12 12 20 20\nBrainState MiningReturnToDropoff\n"
    "AddAgent gunner_bot\nSetAlignment PLAYER\nSetMapCoord 30 35\nBotExperience 150\nAIMode 2\n"
    "MoveWaypoint 32 35\nMoveWaypoint 34 35\n"
    "AddAgent air_drone\nSetAlignment PLAYER\nSetMapCoord 33 33\n"
    "AddAgent scav_small\nSetAlignment ENEMY\nSetMapCoord 85 85\nSpawnCoord 88 88\nBotLevel 2\nSetGroupId 4\n"
    "AddAgent mantis\nSetMapCoord 70 90\nSetAgentIsSpawned\n"
    "AddItem supply_crate\nSetMapCoord 26 30\n"
    "AddItem hull_plating\nSetMapCoord 27 30\nitem_upgradeHull 2.45\nitem_specialFlags 16\n"
    "AddItem repair_kit\nSetMapCoord 28 30\nitem_stackCount 3\n"
    "AddItem unitpattern\nSetMapCoord 29 30\nitem_pattern miner\nSetAlignment PLAYER\n"
    "AddItem laser_cutter\nSetRotate 30\nSetMapCoord 30 30\n"
    "AddFuel 60.00 0.00 80.00\nSetBothHealth 1200.0 1500.0\n"
    "AIManagerData 0.3 120.0 45.0 1 0 7 30 1\n"
    "AIManagerPath 100.0 0.0 100.0\nAIManagerPath 50.0 0.0 50.0\n"
    "END_OF_FILE\n";

class EveryKindRoundTripTest : public ShippedPopulationTest {
protected:
    void SetUp() override
    {
        ShippedPopulationTest::SetUp();
        game.aiManager = &raids;
        raids.Reset();
        folder = MakeTempFolder("everykind");
        FreshLevel();
    }
    void TearDown() override
    {
        game.ClearControlGroups();
        game.aiManager = nullptr;
        ShippedPopulationTest::TearDown();
    }
    // An empty level with only the rig, the groups and the raid manager as new.
    void FreshLevel()
    {
        game.ClearControlGroups();
        ClearLevel();
        raids.Reset();
        rig = game.agentTypes->TakeFreeAgent();
        CopyText(rig->name, sizeof rig->name, "rig");
        rig->flags |= ENTITY_PLAYER;
        rig->alignment = ALIGN_PLAYER;
        ASSERT_NE(TheScene.AddEntity(rig), nullptr);
    }
    // Reads a file into the level and resolves its links; the log of it.
    std::string Load(const std::string& path)
    {
        LogCaptureBegin();
        EXPECT_TRUE(TheScene.ReadSceneFile(path.c_str()));
        TheScene.ResolveLinks();
        return LogCaptureEnd();
    }
    std::string Save(const char* name)
    {
        std::string path = folder + "/" + name;
        EXPECT_TRUE(TheScene.WriteSceneFile(path.c_str()));
        return path;
    }
    Entity* Find(const char* name, uint32_t segments)
    {
        Entity* found = nullptr;
        for (Entity* e = TheScene.FirstEntity(segments); e && !found; e = TheScene.NextEntity())
            if (StrICmp(e->name, name) == 0) found = e;
        TheScene.EndIteration();
        return found;
    }
    bool InGroup(int group, Entity* e) { return PlayerSelection::Lists(game.hand.groups[group], e); }
    // How many units work for that building or bring their ore to it.
    int LinksTo(const Entity* building)
    {
        int links = 0;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
            if (e->flags & ENTITY_AGENT)
                links += static_cast<Agent*>(e)->activeBuilding.Get() == building ||
                         static_cast<Agent*>(e)->dropOff.Get() == building;
        TheScene.EndIteration();
        return links;
    }

    AIManager raids;
    Agent* rig = nullptr;
    std::string folder;
};

TEST_F(EveryKindRoundTripTest, ASaveOfEveryKindReadsBackToTheSameFile)
{
    ScopedGlobal<Camera> camera(GameCamera, GameCamera);
    std::string log = Load(Script("every_kind.txt", EVERY_KIND));
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    const std::string first = ReadTextFile(Save("first.sav"));
    for (const char* line :
         {"PlayerControlGroup\t\t1\t\t1\n", "AddBuilding\t\t\trefinery\n", "ControlGroup\t\t\t\t1\t\t2\n",
          "BuildQueue\t2\t3.500\tminer  gunner_bot  \n", "RallyPoint\t\t\t45 25\n", "Research\t3\t12.50\n",
          "BuildState\t\t\tConstructing\t0.2500\n", "Recycler\t2.50\nCreateAgent\t\t\tgunner_bot\n",
          "UpgraderFlags\t3\nCreateAgent\t\t\tscout_bot\n", "SetAlignment\t\tENEMY\n", "SetAlignment\t\tNEUTRAL\n",
          "ControlGroup\t\t\t\t2\t\t1\t3\n", "MinerCoords\t\t12 12 20 20\n", "AddItem\t\t\t\tsupply_crate\n",
          "item_upgradeHull\t\t\t2.45\n", "item_specialFlags\t\t16\n", "item_stackCount\t\t\t3\n",
          "item_pattern\t\tminer\n", "AIManagerData\t\t0.300000012 120 45   1  0   7 30 1\n",
          "AIManagerPath\t\t50 0 50\n"})
        EXPECT_NE(first.find(line), std::string::npos) << line << " missing from\n" << first;
    // The sections in their order.
    size_t last = 0;
    for (const char* section : {"PlayerStart", "AddResource", "AddBuilding", "AddAgent", "AddItem", "AddFuel",
                                "AIManagerData", "END_OF_FILE"}) {
        size_t at = first.find(section);
        EXPECT_GT(at, last) << section;
        last = at;
    }

    // Into a new level, and out again: nothing lost, nothing changed.
    FreshLevel();
    log = Load(folder + "/first.sav");
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(ReadTextFile(Save("second.sav")), first);

    // What the links became.
    auto* refinery = static_cast<Building*>(Find("refinery", SEGMENTS_BUILDINGS));
    auto* miner = static_cast<Agent*>(Find("miner", SEGMENTS_AGENTS));
    ASSERT_NE(refinery, nullptr);
    ASSERT_NE(miner, nullptr);
    EXPECT_EQ(miner->dropOff.Get(), refinery);
    ASSERT_NE(miner->mine.Get(), nullptr);
    EXPECT_STREQ(miner->mine.Get()->name, "res_ore_1");
    for (const char* name : {"recycler", "bot_upgrader"}) {
        auto* holder = static_cast<Building*>(Find(name, SEGMENTS_BUILDINGS));
        ASSERT_NE(holder, nullptr) << name;
        Agent* held = holder->HeldUnit();
        ASSERT_NE(held, nullptr) << name;
        EXPECT_EQ(held->activeBuilding.Get(), holder) << name;
        EXPECT_EQ(TheScene.Resolve(held, held->id), nullptr) << name << ": the held unit is in none of the lists";
        // Were it listed too, it would still be written once, with its building.
        ASSERT_NE(TheScene.LinkEntity(held), nullptr);
        EXPECT_EQ(ReadTextFile(Save("listed.sav")), first) << name;
        TheScene.UnlinkEntity(held);
    }
    auto* factory = static_cast<Building*>(Find("bot_factory", SEGMENTS_BUILDINGS));
    ASSERT_NE(factory, nullptr);
    ASSERT_NE(factory->buildQueue, nullptr);
    EXPECT_EQ(factory->buildQueue->count, 2);
    EXPECT_TRUE(InGroup(1, rig));
    EXPECT_TRUE(InGroup(1, miner) && InGroup(3, miner) && !InGroup(2, miner));
    EXPECT_TRUE(InGroup(2, refinery));
    auto* module = static_cast<Item*>(Find("hull_plating", SEGMENTS_ITEMS));
    ASSERT_NE(module, nullptr);
    EXPECT_FLOAT_EQ(module->bonus[ITEM_BONUS_HULL], 2.45f) << "a saved module keeps its worth";
    EXPECT_EQ(raids.pointCount, 2);
    EXPECT_EQ(raids.raidId, 7);
}

TEST_F(EveryKindRoundTripTest, AMinersDropOffOutlivesTwoSaves)
{
    // A player building and a miner that brings its ore there: every save keeps both, linked.
    std::string log = Load("tests/data/bad-files/scene/save_drops_buildings.sav");
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        auto* refinery = Find("refinery", SEGMENTS_BUILDINGS);
        auto* miner = static_cast<Agent*>(Find("miner", SEGMENTS_AGENTS));
        ASSERT_NE(refinery, nullptr);
        ASSERT_NE(miner, nullptr);
        EXPECT_EQ(refinery->alignment, ALIGN_PLAYER);
        EXPECT_EQ(miner->dropOff.Get(), refinery);
        std::string path = Save("drops.sav");
        FreshLevel();
        log = Load(path);
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    }
}

// Saves that once came back different (tests/data/bad-files/scene): a unit on another side
// than its type's, an ore patch (revealed or not) and an item with names of their own, a
// building without a name, an enemy with experience and kills, a unit with the rig's flag, a
// unit standing on a cell of a building others are linked to.
// Each keeps what it holds through two saves, and the second save is the first to the byte.
TEST_F(EveryKindRoundTripTest, WhatOnceCameBackDifferentSurvivesTwoSaves)
{
    const struct {
        const char* file;
        const char* name;  // what the level holds, by name
        std::function<std::string(Entity*)> kept;  // empty when it is as the file says
    } cases[] = {
        {"agent_alignment_enemy_gunner.sav", "gunner_bot",
         [](Entity* e) { return e->alignment == ALIGN_ENEMY ? "" : "the gunner is no longer the enemy's"; }},
        {"agent_alignment_player_scav.sav", "scav_small",
         [](Entity* e) { return e->alignment == ALIGN_PLAYER ? "" : "the scavenger is no longer the player's"; }},
        {"resource_setname_builder.sav", "builder",
         [](Entity* e) { return e->flags & ENTITY_RESOURCE ? "" : "not an ore patch"; }},
        {"enemy_experience_kills.sav", "scav_small",
         [](Entity* e) {
             const Agent* a = static_cast<Agent*>(e);
             return a->kills == 2 && a->botExperience == 5 ? "" : "its kills or experience are lost";
         }},
        {"resource_revealed_setname.sav", "builder",
         [](Entity* e) {
             const WorldTickScope tick(0.0f);
             e->Update();  // the level's first tick shows the revealed patch's stage
             return e->flags & ENTITY_RESOURCE_REVEALED ? "" : "the ore patch is no longer revealed";
         }},
        {"item_setname.sav", "explosive_barrels",
         [](Entity* e) { return e->flags & ENTITY_ITEM ? "" : "not the renamed item"; }},
        {"building_name_nul.sav", "explosive_barrels",
         [this](Entity* e) {
             return e->GetPosition().x == game.grid->CellToWorld(64, 64).x ? "" : "the line after the name is lost";
         }},
        // The player's flag is the rig's alone: given to a scavenger it would go along with
        // the rig into the next mission.
        {"player_flag_unit_outlives_level.sav", "scav_small",
         [](Entity* e) { return e->flags & ENTITY_PLAYER ? "the scavenger passes for the rig" : ""; }},
        // A unit standing on a cell of the factory: the links to the factory are kept whoever
        // stands there, the unit's own and another's.
        {"miner_on_factory_cell.sav", "bot_factory",
         [this](Entity* e) { return LinksTo(e) == 1 ? "" : "the miner's link to the factory is lost"; }},
        {"other_unit_on_factory_cell.sav", "bot_factory",
         [this](Entity* e) { return LinksTo(e) == 1 ? "" : "the far miner's link to the factory is lost"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        FreshLevel();
        std::string log = Load(std::string("tests/data/bad-files/scene/") + c.file);
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        const std::string first = ReadTextFile(Save("first.sav"));
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            FreshLevel();
            log = Load(folder + (round == 0 ? "/first.sav" : "/second.sav"));
            EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
            Entity* e = Find(c.name, SEGMENTS_ALL);
            ASSERT_NE(e, nullptr) << "the save lost it";
            EXPECT_EQ(c.kept(e), "");
            EXPECT_EQ(ReadTextFile(Save("second.sav")), first);
        }
    }
}

// A player's base read with unit types whose every number is -1 (a damaged units.cgs): the
// units the save names without a health of their own take the type's, -1, and keep it
// through the next save and load, so the second save is the first to the byte.
TEST_F(EveryKindRoundTripTest, ABaseOfUnitTypesWithoutNumbersSavesTheSameTwice)
{
    ClearLevel();
    rig = nullptr;
    AgentTypeRegistry standIn;
    ScopedGlobal<AgentTypeRegistry*> types(game.agentTypes, &standIn);
    LogCaptureBegin();
    ASSERT_TRUE(standIn.LoadUnitTypes("tests/data/bad-files/saves/units_all_numbers_minus1.cgs", game.items));
    LogCaptureEnd();
    FreshLevel();
    std::string log = Load("tests/data/bad-files/saves/base.sav");
    const std::string first = ReadTextFile(Save("first.sav"));
    ASSERT_NE(first.find("SetBothHealth\t\t\t-1 -1\n"), std::string::npos) << first;
    FreshLevel();
    log = Load(folder + "/first.sav");
    EXPECT_EQ(ReadTextFile(Save("second.sav")), first);
    game.ClearControlGroups();
    ClearLevel();
}

TEST_F(EveryKindRoundTripTest, AUnitWaitingInABuildingThatIsGoneGoesBackToThePool)
{
    const int free = game.agentTypes->FreeCount();
    std::string log = Load(Script("orphan.txt", "CreateAgent gunner_bot\nSetAlignment PLAYER\nActiveBuilding 70 70\n"));
    EXPECT_NE(log.find("WARNING Scene: gunner_bot waited inside a building that is not there"), std::string::npos)
        << log;
    EXPECT_EQ(game.agentTypes->FreeCount(), free);
}

TEST_F(EveryKindRoundTripTest, ASaveOfEveryKindDamagedAtRandomNeverBreaksTheReaderOrTheNextSave)
{
    // With the shots in the air a save holds, before the level's entities, between a gunner and
    // a scavenger the save numbers; they fly on once the level stands.
    std::string good = EVERY_KIND;
    const std::string gunner = "AddAgent gunner_bot\nSetAlignment PLAYER\nSetMapCoord 30 35\n";
    const std::string scavenger = "AddAgent scav_small\n";
    ASSERT_NE(good.find(gunner), std::string::npos);
    good.insert(good.find(gunner) + gunner.size(), "SaveId 0\n");
    good.insert(good.find(scavenger) + scavenger.size(), "SaveId 1\n");
    ProjectileSystem shots;
    shots.LoadResources();
    ScopedGlobal<ProjectileSystem*> flying(TheProjectiles, &shots);
    good.insert(good.find("AddResource"),
                "ShotProjectile\t 0 1 -1 22 1 2 3 1 2 3 1 2 3 4 5 6 0 0 1 24 0 30 0.5 0 1 1 1 missile_pod 1 2 30 0 24 "
                "2.5 0 -15000000 default default missile FireHit 0 0 1.5\n"
                "ShotBeam\t 1 0 -1 4 8 0.6 0.2 0.2 1.5 -1 2 1 1 -2 1 machinegun 4 0 8 0.6 15 1 0 -1 default default "
                "machinegun FireHit 0 0 1\n"
                "ShotMelee\t 1 0 0.25\n");
    // Undamaged, every shot flies on. (What the tests before left to put back is let go: their
    // entities are gone with their game.)
    TheScene.ForgetSavedStates();
    std::string log = Load(Script("whole.txt", good));
    LogCaptureBegin();
    TheScene.PutBackSavedStates();
    log += LogCaptureEnd();
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(shots.ActiveProjectiles(), 1);
    EXPECT_EQ(shots.ActiveBeams(), 1);
    EXPECT_EQ(shots.PendingMeleeHits(), 1);
    shots.Clear();
    SRand(11);
    for (int trial = 0; trial < 120; ++trial) {
        std::string text = good;
        if (trial % 3 == 0) text.resize(Rand() % text.size());
        for (int flips = Rand() % 8; flips > 0; --flips) text[Rand() % text.size()] = (char)(Rand() & 0xff);
        if (trial % 4 == 0) {
            // A line of another kind's section moved elsewhere: modifiers meet the wrong target.
            size_t from = Rand() % text.size(), to = Rand() % text.size();
            size_t end = text.find('\n', from);
            std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from + 1);
            text.insert(to, line);
        }
        if (trial % 7 == 0) text += " BuildQueue 2147483647 1 miner ControlGroup 2147483647 1 AIManagerPath 1 2 3";
        FreshLevel();
        shots.Clear();
        TheScene.ForgetSavedStates();
        Load(Script("damaged.txt", text));
        LogCaptureBegin();
        TheScene.PutBackSavedStates();
        Save("damaged.sav");
        LogCaptureEnd();
    }
}

TEST_F(EveryKindRoundTripTest, TheLinesOfAHandMadeLevelReachWhatTheyName)
{
    char slots[GROUND_TEXTURE_SLOTS][256];
    memcpy(slots, GroundTextureSlots, sizeof slots);
    std::string log = Load(Script("level.txt",
                                  "HeigthmapScale 4\n"
                                  "TerrainTexture1 data/textures/terrain/mine.jpg TerrainTexture2Rand other.jpg\n"
                                  "TerrainNormal data/textures/terrain/mine_n.dds\n"
                                  "AddItem health_cannister SetBitmap cannister.dds SetType 3 SetType 42\n"
                                  "AddBuilding Scavenger_camp SetSpawnType mantis SetSpawnCounts 9 3 SetSpawnRadius 14\n"
                                  "AddAgent gunner_bot SetBrain CREATURE SetSpeed 7.5 SetAlignment PLAYER AIMode 1\n"
                                  "GrowthInstance forest 40 40 GrowthParams 7 1 2 3 30 20 0.5 4 0\n"
                                  "GrowthEntity 41 42 45 1.5 2 0 GrowthEntity 43 44 0 1 99 0\n"
                                  "END_OF_FILE\n"));
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_NE(log.find("GrowthEntity of category 99 is not placed"), std::string::npos) << log;
    EXPECT_NE(log.find("SetType 42 names no kind of item"), std::string::npos) << log;
    EXPECT_FLOAT_EQ(TheScene.heightmapScale, 0.25f);
    EXPECT_STREQ(GroundTextureSlots[0], "data/textures/terrain/mine.jpg");
    EXPECT_STREQ(GroundTextureSlots[1], slots[1]) << "the random variant has no slot of its own";
    EXPECT_STREQ(GroundTextureSlots[3], "data/textures/terrain/mine_n.dds");
    memcpy(GroundTextureSlots, slots, sizeof slots);

    auto* cannister = static_cast<Item*>(Find("health_cannister", SEGMENTS_ITEMS));
    ASSERT_NE(cannister, nullptr);
    EXPECT_STREQ(cannister->iconPath, "data/gui/icons/cannister.dds");
    EXPECT_EQ(cannister->kind, 3) << "a number no kind has leaves the kind as it was";
    auto* camp = static_cast<Building*>(Find("Scavenger_camp", SEGMENTS_BUILDINGS));
    ASSERT_NE(camp, nullptr);
    ASSERT_NE(camp->definition, nullptr);
    EXPECT_STREQ(camp->definition->spawnType, "mantis");
    EXPECT_TRUE(camp->definition->flags & BUILD_SPAWNPOINT);
    EXPECT_EQ(camp->definition->spawnCounts[1], 9) << "the total comes first";
    EXPECT_EQ(camp->definition->spawnCounts[0], 3);
    EXPECT_FLOAT_EQ(camp->definition->spawnRadius, 14.0f);
    auto* bot = static_cast<Agent*>(Find("gunner_bot", SEGMENTS_AGENTS));
    ASSERT_NE(bot, nullptr);
    EXPECT_EQ(bot->brainKind, BRAIN_CREATURE);
    EXPECT_FLOAT_EQ(bot->speed, 7.5f);
    EXPECT_EQ(bot->stance, AGENT_STANCE_HOLD_POSITION) << "AIMode keeps how the unit was told to fight";

    ASSERT_EQ(growth.instances.size(), 1u);
    GrowthInstance* grown = growth.instances[0];
    EXPECT_EQ(grown->parameters.seed, 7);
    EXPECT_EQ(grown->parameters.width, 30);
    EXPECT_EQ(grown->parameters.height, 20);
    EXPECT_FLOAT_EQ(grown->parameters.density, 0.5f);
    EXPECT_EQ(grown->parameters.blockCount, 4);
    EXPECT_FALSE(grown->parameters.circle);
    ASSERT_EQ(grown->objects.size(), 1u);
    EXPECT_EQ(grown->objects[0].category, 2);
    EXPECT_FLOAT_EQ(grown->objects[0].rotation.y, 45.0f);
    EXPECT_FLOAT_EQ(grown->objects[0].scale.y, 1.5f);
    EXPECT_TRUE(grown->restored);
}

}  // namespace
