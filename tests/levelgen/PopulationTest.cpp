// Filling a generated level from the shipped catalogues: every environment's level gets its rig,
// objective objects and texts, guards, ore, vents, spawners, the dropship, forests, grass and
// bridges without a warning; the spawners are the environment's, rivers of the second style
// get no bridges, the mission without an ending gets "EndGame", and a restored game makes only
// what its scene does not bring back.
#include "campaign/MissionCatalogue.h"
#include "host/Log.h"
#include "platform/StringTable.h"
#include "render/AnimLibrary.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "world/CatalogueScript.h"
#include "tests/levelgen/PopulationTestSupport.h"
#include "platform/PackageFile.h"
#include "world/ItemCatalog.h"

#include <fstream>

#include <map>
#include <string>

namespace {

std::string FileName(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* const ENVIRONMENTS[] = {"forest", "winter", "desert", "fall", "marsh", "moon", "alien", "lava"};
const char* const SPAWNERS[] = {"spawn_stump",  "creature_cave", "spawn_holes", "spawn_nest",
                                "spawn_mantis", "spawn_spider",  "spawn_bio",   "spawn_flying"};

}  // namespace

TEST_F(ShippedPopulationTest, EveryEnvironmentIsFilledWithoutAWarning)
{
    for (const char* environment : ENVIRONMENTS) {
        SCOPED_TRACE(environment);
        Agent* rig = game.agentTypes->TakeFreeAgent();
        CopyText(rig->name, sizeof rig->name, "rig");
        maps.rig = rig;
        MissionRecord* mission = Mission(environment, 3);
        Populate(*mission, 11, false);
        EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;

        // The rig stands at the start as the player's.
        EXPECT_TRUE(rig->flags & ENTITY_PLAYER);
        EXPECT_EQ(rig->alignment, ALIGN_PLAYER);
        EXPECT_TRUE(rig->classWord & AGENT_CLASS_SCAN);
        EXPECT_EQ(rig->GetPosition(), MapPointToWorld(TheLevelGenerator.startPoint.x, TheLevelGenerator.startPoint.y));

        // One entity for each cell of a kind that makes one.
        std::map<std::string, int> names = Census();
        int ore = 0, spawners = 0, environmentSpawners = 0;
        for (const auto& n : names) {
            if (n.first.rfind("res_ore_", 0) == 0) ore += n.second;
            for (const char* s : SPAWNERS) spawners += n.first == s ? n.second : 0;
        }
        EXPECT_EQ(ore, CountKind(KIND_ORE));
        EXPECT_EQ(TheScene.terrainObjects.count >= CountKind(KIND_FUEL), true);
        int vents = 0;
        for (auto* node = TheScene.terrainObjects.head; node; node = node->next) vents += (node->value->flags & ENTITY_FUEL) != 0;
        EXPECT_EQ(vents, CountKind(KIND_FUEL));
        EXPECT_EQ(spawners, CountKind(KIND_LAIR));
        if (strcmp(environment, "alien") == 0) environmentSpawners = names["spawn_bio"];
        if (strcmp(environment, "lava") == 0) environmentSpawners = names["spawn_flying"];
        if (strcmp(environment, "alien") == 0 || strcmp(environment, "lava") == 0) {
            EXPECT_EQ(environmentSpawners, spawners) << "every lair of the environment's own kind";
        }
        EXPECT_EQ(names["Scavenger_dropship"], CountKind(KIND_DROPSHIP));
        EXPECT_EQ(names["creature_nest"], 1);
        EXPECT_EQ(names["Elite_Trex"], 1);
        int eliteLevel = -1;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
            if (strcmp(e->name, "Elite_Trex") == 0) eliteLevel = static_cast<Agent*>(e)->botLevel;
        TheScene.EndIteration();
        EXPECT_EQ(eliteLevel, 3) << "the elite has the mission's level";
        EXPECT_EQ(names["Scavenger_camp"], 1);
        EXPECT_EQ(names["relic"], 1);
        EXPECT_GE(names["planetary_defense_cannon"], 1);

        // The objective texts, with the build objective's count.
        const Objective* build = FindObjectiveText("Build 3 refinery");
        ASSERT_NE(build, nullptr);
        EXPECT_EQ(build->targetCount, 3);
        EXPECT_NE(FindObjectiveText("Recover relic"), nullptr);
        EXPECT_NE(FindObjectiveText("Repair planetary_defense_cannon"), nullptr);
        EXPECT_NE(FindObjectiveText("Destroy Scavenger_camp"), nullptr);
        EXPECT_NE(FindObjectiveText("Eliminate creature_nest"), nullptr);
        EXPECT_NE(FindObjectiveText("Eliminate Elite_Trex"), nullptr);
        // The mission brings no ending: the level's own.
        MissionEvent* end = events.FindByConditionType(CONDITION_OBJECTIVES_COMPLETE);
        ASSERT_NE(end, nullptr);
        EXPECT_STREQ(end->name, "EndGame");
        EXPECT_EQ(end->actions[0]->type, ACTION_END_GAME);
        EXPECT_STREQ(end->actions[0]->giver, mission->faction);
        EXPECT_STREQ(end->actions[0]->text, "<generic_end>");
        EXPECT_TRUE(end->flags & MISSION_EVENT_ENABLED);
        // The camera starts over the level's middle, looking down at it.
        EXPECT_FALSE(GameCamera.follow);
        EXPECT_EQ(GameCamera.eye, Vec3(0.0f, 40.5f, 40.5f));
        EXPECT_FLOAT_EQ(GameCamera.pitch, -1.0471975803375244f);
        EXPECT_FLOAT_EQ(GameCamera.distance, 43.14967727661133f);
        EXPECT_STRNE(DescriptionText("<generic_end>"), DescriptionText("<unknown>"));

        // Forests and grass at the junctions, then the environment's trees once grown.
        int junctions = CountKind(KIND_JUNCTION);
        bool grass = strcmp(environment, "moon") != 0 && strcmp(environment, "lava") != 0;
        int forests = 0;
        for (GrowthInstance* g : growth.instances) forests += g->definition->algorithm == GROWTH_NONE;
        EXPECT_EQ(forests, junctions);
        EXPECT_GE((int)growth.instances.size(), junctions * (grass ? 2 : 1));
        growth.RegrowAll();
        int trees = 0;
        for (GrowthInstance* g : growth.instances) {
            if (g->definition->algorithm != GROWTH_NONE) continue;
            EXPECT_STREQ(g->definition->name, environment);
            for (const GrowthObject& o : g->objects) trees += o.category == GROWTH_TREE && o.mesh;
        }
        if (junctions > 0) {
            EXPECT_GT(trees, 0);
        }
        EXPECT_EQ(maps.heightsReady, 0);

        growth.ClearInstances();
        objectives.Clear();
        events.Clear();
        ClearLevel();
        maps.rig = nullptr;
    }
}

TEST_F(ShippedPopulationTest, BridgesOnlyOverRiversOfTheFirstStyle)
{
    MissionRecord* mission = Mission("forest", 1);
    mission->levelTemplate = LEVEL_TEMPLATE_RIVER_DIVIDES;
    Populate(*mission, 5, false);
    ASSERT_GT(TheLevelGenerator.crossingCount, 0);
    int expected = 0;
    for (int k = 0; k < TheLevelGenerator.crossingCount; ++k)
        expected += TheLevelGenerator.riverParameter[TheLevelGenerator.crossingRivers[k]] <= 0.0f;
    EXPECT_EQ(Bridges(), expected);
    ClearLevel();
    growth.ClearInstances();
    objectives.Clear();
    events.Clear();

    // The same level with its river of the second style.
    Populate(*mission, 5, false);
    objectives.Clear();
    events.Clear();
    for (int r = 0; r < TheLevelGenerator.riverCount; ++r) TheLevelGenerator.riverParameter[r] = 1.0f;
    ClearLevel();
    SRand(3);
    maps.Populate(false);
    EXPECT_EQ(Bridges(), 0);
}

TEST_F(ShippedPopulationTest, ARestoredGameMakesOnlyWhatItsSceneDoesNotHold)
{
    Agent* rig = game.agentTypes->TakeFreeAgent();
    rig->flags |= ENTITY_PLAYER;
    maps.rig = rig;
    MissionRecord* mission = Mission("marsh", 4);
    // An ending of the mission's own: no "EndGame" is added.
    MissionEvent* own = new MissionEvent();
    CopyText(own->name, sizeof own->name, "Done");
    own->AddCondition(CONDITION_OBJECTIVES_COMPLETE, "none", 0);
    mission->AddEvent(own);
    Populate(*mission, 21, true);
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(CountAgents(), 0) << "the rig and every agent come back with the scene";
    EXPECT_EQ(CountWhere([](const Entity* e) { return (e->flags & (ENTITY_BUILDING | ENTITY_RESOURCE | ENTITY_ITEM)) != 0; }), 0);
    EXPECT_EQ(rig->GetPosition(), MapPointToWorld(TheLevelGenerator.startPoint.x, TheLevelGenerator.startPoint.y));
    EXPECT_GT(TheScene.splats.count, 0) << "the spawners' splats are the level's";
    EXPECT_NE(FindObjectiveText("Recover relic"), nullptr) << "texts without their entities";
    EXPECT_NE(FindObjectiveText("Repair planetary_defense_cannon"), nullptr);
    ASSERT_EQ(events.list.count, 1);
    const MissionEvent* copied = events.list.head->value;
    EXPECT_STREQ(copied->name, "Done");
    EXPECT_NE(copied, own) << "the level's own copy, the mission keeps its record";
    EXPECT_TRUE(copied->flags & MISSION_EVENT_ENABLED);
    ASSERT_EQ(copied->conditionCount, 1);
    EXPECT_EQ(copied->conditions[0]->type, CONDITION_OBJECTIVES_COMPLETE);
    EXPECT_GT(growth.instances.size(), 0u);
    game.agentTypes->ReturnAgent(rig);
}

TEST_F(ShippedPopulationTest, EveryMissionObjectAndGrowthNameResolves)
{
    // The names the layout and the missions place.
    for (const char* name : {"wreckage", "tree_rock", "rockset", "hill_tree", "hill_snow", "hill_desert", "hill_rock",
                             "journal", "terrainHole", "terrainHole_ice", "survey_beacon", "relic", "computer_console",
                             "alien_tablet", "probe_data", "planetary_defense_cannon", "generators", "fuel_tank",
                             "radar_tower", "breakable_rocks", "breakable_rocks_relic", "ice_blocks", "ice_blocks_relic",
                             "Scavenger_camp", "Scavenger_AA_Gun", "Scavenger_stronghold", "weapons_cache", "Scavenger",
                             "Elite_Scavenger", "Elite_Scavenger_Chief", "Elite_Winged_Beast", "Elite_Trex"})
        EXPECT_NE(objects.Find(name, 0), nullptr) << name;

    PackageFile textures;
    ASSERT_TRUE(textures.Open("data/textures.pkb", false));
    auto meshShips = [](const char* path) {
        IndexedMesh* mesh = TheMeshLibrary->GetMesh(path, 0, true, false);
        return mesh && mesh->IsAnimated();
    };
    for (const MissionObject& r : objects.records) {
        SCOPED_TRACE(r.name);
        if (StrICmp(r.objectMesh, "none") != 0) {
            EXPECT_TRUE(meshShips(r.objectMesh)) << r.objectMesh;
        }
        for (const MissionMeshObject& m : r.meshObjects) EXPECT_TRUE(meshShips(m.mesh)) << m.mesh;
        for (const MissionSplat& s : r.splats) {
            EXPECT_NE(TheScene.FindPrimitive(s.primitive), nullptr) << s.primitive;
            EXPECT_GE(textures.FindEntry(FileName(s.texture).c_str()), 0) << s.texture;
            EXPECT_GE(textures.FindEntry(FileName(s.normalMap).c_str()), 0) << s.normalMap;
        }
        for (const MissionEffect& e : r.effects)
            EXPECT_TRUE(std::ifstream(std::string("data/effects/particles/") + e.system + ".txt").good()) << e.system;
        for (const MissionSpawnObject& s : r.spawnObjects) {
            if (s.flags & SPAWN_FLAG_AGENT) {
                EXPECT_NE(game.agentTypes->FindType(s.name), nullptr) << s.name;
            } else if (s.flags & SPAWN_FLAG_BUILDING) {
                EXPECT_NE(game.buildItems->FindByName(s.name), nullptr) << s.name;
            } else if (s.flags & SPAWN_FLAG_ITEM) {
                EXPECT_NE(game.items->FindByName(s.name), nullptr) << s.name;
            } else {
                EXPECT_TRUE(s.flags & SPAWN_FLAG_STATIC) << s.name;
                EXPECT_STREQ(s.name, r.name) << "a static spawn is the object's own mesh";
                EXPECT_STRNE(r.objectMesh, "none");
            }
        }
    }

    // Every growth definition the level asks for, each with meshes (every one of them read:
    // a name the mesh library does not know would have been left out of its list).
    std::string script = ReadTextFile("data/scripts/growthdb.cgs");
    int meshLines = 0;
    for (size_t at = script.find("\tAdd"); at != std::string::npos; at = script.find("\tAdd", at + 1)) ++meshLines;
    int listed = 0;
    for (const GrowthDef* d : growth.definitions)
        for (const auto& list : d->lists) listed += (int)list.size();
    EXPECT_EQ(listed, meshLines);
    for (const char* name : ENVIRONMENTS) {
        const GrowthDef* d = growth.FindDefinition(name);
        ASSERT_NE(d, nullptr) << name;
        EXPECT_EQ(d->algorithm, GROWTH_NONE);
        EXPECT_FALSE(d->lists[GROWTH_TREE].empty()) << name;
        EXPECT_FALSE(d->lists[GROWTH_ROCK].empty()) << name;
    }
    for (const char* name : {"grass", "grass_dry", "grass_alien"}) {
        ASSERT_NE(growth.FindDefinition(name), nullptr) << name;
        EXPECT_EQ(growth.FindDefinition(name)->algorithm, GROWTH_GRASS);
        EXPECT_FALSE(growth.FindDefinition(name)->lists[GROWTH_PLANT].empty());
    }
    EXPECT_EQ(growth.FindDefinition("ruins")->algorithm, GROWTH_RUINS);
    EXPECT_EQ(growth.FindDefinition("city")->algorithm, GROWTH_CITY);
    EXPECT_EQ(growth.FindDefinition("walltest")->algorithm, GROWTH_WALLTEST);
    // The bridges, plain and of metal, and the splats the population lays.
    for (const char* mesh : {"data/mesh/doodads/bridge_6w.txt", "data/mesh/doodads/bridge_6w_trim.txt",
                             "data/mesh/doodads/bridge_6w_metal.txt", "data/mesh/doodads/bridge_6w_trim_metal.txt"})
        EXPECT_TRUE(meshShips(mesh)) << mesh;
    for (const char* texture : {"splat_default.dds", "splat_default_sn.dds", "splat_vent.dds", "splat_vent_sn.dds",
                                "ore_red.dds", "ore_green.dds", "ore_blue.dds"})
        EXPECT_GE(textures.FindEntry(texture), 0) << texture;
    for (const char* primitive : {"splatXLarge", "splat3x3", "res_fuel", "res_ore_1", "res_ore_2", "res_ore_3", "res_ore_4"})
        EXPECT_NE(TheScene.FindPrimitive(primitive), nullptr) << primitive;
}

TEST_F(ShippedPopulationTest, LootAndJournalsOnlyWhereThereIsRoomAndLongNamesAreCut)
{
    objects.records.clear();
    const std::string path = MakeTempFolder("population") + "/objects.cgs";
    ASSERT_TRUE(WriteTextFile(path, "MissionObject cache x\nSetFlag MISSION_OBJECT_RANDOM_ITEMS\n"
                                    "SetFlag MISSION_OBJECT_JOURNAL\nSetObjectMesh data/mesh/no_such_cache.txt\n"));
    ASSERT_TRUE(objects.Load(path.c_str()));
    auto items = [this] { return CountWhere([](const Entity* e) { return (e->flags & ENTITY_ITEM) != 0; }); };
    const Vec3 site = MapPointToWorld(64, 64);

    // Walled in: no point for loot or the journal, and nothing is made.
    int column, row;
    ASSERT_TRUE(grid->WorldToCell(site, &column, &row));
    Entity wall;
    for (int r = row - 9; r <= row + 9; ++r)
        for (int c = column - 9; c <= column + 9; ++c) grid->GetCell(c, r)->occupant = &wall;
    ASSERT_TRUE(objects.PlaceObject("cache", site, 0.0f, 1, false, nullptr));
    EXPECT_EQ(items(), 0);
    EXPECT_EQ(CountInScene("cache"), 0) << "an object mesh that is not there makes no entity (and leaks none)";
    ClearLevel();

    // In the open: one to three pieces of loot and the journal.
    ASSERT_TRUE(objects.PlaceObject("cache", site, 0.0f, 1, false, nullptr));
    EXPECT_EQ(CountInScene("journal"), 1);
    EXPECT_GE(items(), 2);
    EXPECT_LE(items(), 4);
    ClearLevel();

    // Objective texts of names that fill their buffer are cut to it.
    const std::string longName(63, 'r');
    MissionRecord* mission = Mission("desert", 1);
    Objective* build = new Objective();
    build->type = OBJECTIVE_BUILD;
    CopyText(build->target, sizeof build->target, longName.c_str());
    build->targetCount = 12;
    mission->AddObjective(build);
    Populate(*mission, 8, true);
    const std::string cut = ("Build 12 " + longName).substr(0, 63);
    EXPECT_NE(FindObjectiveText(cut.c_str()), nullptr);
}
