// The mission-object catalogue and placing one object: the script's case rules and variants,
// its bounded tables, what a saved game's restore makes and leaves to the scene, the guards a
// level brings and the objective texts of what an object spawns.
#include "host/Log.h"
#include "levelgen/MissionObjects.h"
#include "platform/ConfigFile.h"
#include "render/ParticleManager.h"
#include "tests/levelgen/PopulationTestSupport.h"
#include "tests/support/Scoped.h"

#include <map>
#include <string>

namespace {

class MissionObjectsTest : public PopulationTest {
protected:
    void SetUp() override
    {
        PopulationTest::SetUp();
        objects.records.clear();
        SRand(7);
    }
    // The catalogue read from a script of the test's own; the log of the reading in log.
    void Read(const std::string& text)
    {
        LogCaptureBegin();
        EXPECT_TRUE(objects.Load(Script("mission_objects.cgs", text).c_str()));
        log = LogCaptureEnd();
    }
    std::string log;
};

}  // namespace

TEST_F(MissionObjectsTest, ScriptKeywordsCaseVariantsAndComments)
{
    Read("SetFlag MISSION_OBJECT_SELECTABLE\n"  // before the first record: nowhere to go
         "AddMeshObject data/mesh/early.txt 0 0 0\n"
         "MissionObject relic artifact\n"
         "  meshobjectflag MISSION_OBJECT_GRID_BLOCKER\n"  // no mesh object yet: nothing
         "  setobjectmesh Data/Mesh/Relic.txt\n"
         "  SETFLAG MISSION_OBJECT_SELECTABLE\n"
         "  SetFlag mission_object_journal\n"  // a flag word in the wrong case is no flag
         "  ClearValues 6 2\n"
         "  SetHealthMinMax 50 200\n"
         "  /* AddEffect ignored */ // AddSplat ignored too\n"
         "  AddMeshObject data/mesh/a.txt 1 2 3\n"
         "  MeshObjectFlag MISSION_OBJECT_HAS_COLLISION\n"
         "  MeshObjectFlag MISSION_OBJECT_NODRAW\n"
         "  MeshObjectRot 45 10 10\n"
         "  AddSpawnObject scav_melee 1 0 1 90 SPAWN_FLAG_AGENT\n"
         "  SpawnFlag SPAWN_FLAG_ALWAYS_HAS_HEALTH\n"
         "  SetObjective OBJECTIVE_ELIMINATE_ENEMIES\n"
         "  AddSplat splat data/textures/a.dds data/textures/a_sn.dds 0 0.5 0\n"
         "  SetEffect loot 0 1 0\n"
         "  additional_attribute 3\n"
         "  SomethingElse\n"
         "missionobject relic lowercase\n"  // the record keyword keeps its case: skipped
         "MissionObject Relic second\n"
         "MissionObject relic third\n"
         "END_OF_FILE\n"
         "MissionObject after the end\n");
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    ASSERT_EQ(objects.records.size(), 3u);
    const MissionObject& r = objects.records[0];
    EXPECT_STREQ(r.category, "artifact");
    EXPECT_STREQ(r.objectMesh, "data/mesh/relic.txt");
    EXPECT_EQ(r.objectFlags, MISSION_OBJECT_HAS_VARIANTS | MISSION_OBJECT_SELECTABLE);
    EXPECT_EQ(r.clearingRadius, 6);
    EXPECT_EQ(r.clearingShape, CLEARING_PLUS);
    EXPECT_FLOAT_EQ(r.healthMaximum, 200.0f);
    ASSERT_EQ(r.meshObjects.size(), 1u);
    EXPECT_EQ(r.meshObjects[0].flags, MISSION_OBJECT_HAS_COLLISION | MISSION_OBJECT_NODRAW);
    EXPECT_FLOAT_EQ(r.meshObjects[0].rotation, 45.0f);
    EXPECT_FLOAT_EQ(r.meshObjects[0].offset.z, 3.0f);
    ASSERT_EQ(r.spawnObjects.size(), 1u);
    EXPECT_EQ(r.spawnObjects[0].flags, SPAWN_FLAG_AGENT | SPAWN_FLAG_ALWAYS_HAS_HEALTH);
    EXPECT_EQ(r.spawnObjects[0].objectiveType, OBJECTIVE_ELIMINATE_ENEMIES);
    EXPECT_FLOAT_EQ(r.spawnObjects[0].rotation, 90.0f);
    ASSERT_EQ(r.splats.size(), 1u);
    EXPECT_STREQ(r.splats[0].normalMap, "data/textures/a_sn.dds");
    ASSERT_EQ(r.effects.size(), 1u);
    EXPECT_STREQ(r.effects[0].system, "loot");

    // Three records of one name are its variants, in file order.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(objects.records[i].variantIndex, i);
        EXPECT_EQ(objects.records[i].variantCount, 3);
    }
    EXPECT_EQ(objects.Find("RELIC", 1), &objects.records[1]);
    EXPECT_EQ(objects.Find("relic", 3), nullptr);
    EXPECT_EQ(objects.Find("nothing", -1), nullptr);
    std::map<const MissionObject*, int> shares;
    for (int i = 0; i < 3000; ++i) ++shares[objects.Find("relic", -1)];
    ASSERT_EQ(shares.size(), 3u);
    for (const auto& s : shares) EXPECT_NEAR(s.second, 1000, 150);
}

TEST_F(MissionObjectsTest, FullTablesRefuseWithAWarningAndAMissingScriptIsAnError)
{
    std::string text = "MissionObject big one\n";
    for (int i = 0; i < 40; ++i) text += "AddMeshObject data/mesh/m.txt 0 0 0\n";
    for (int i = 0; i < 70; ++i) text += "AddSpawnObject x 0 0 0 0 SPAWN_FLAG_ITEM\n";
    for (int i = 0; i < 20; ++i) text += "AddSplat splat a.dds b.dds 0 0 0\n";
    for (int i = 0; i < 10; ++i) text += "SetEffect loot 0 0 0\n";
    for (int i = 0; i < 140; ++i) text += "MissionObject filler_" + std::to_string(i) + " x\n";
    Read(text);
    ASSERT_EQ((int)objects.records.size(), MissionObjects::MAX_RECORDS);
    const MissionObject& big = objects.records[0];
    EXPECT_EQ((int)big.meshObjects.size(), MissionObject::MAX_MESH_OBJECTS);
    EXPECT_EQ((int)big.spawnObjects.size(), MissionObject::MAX_SPAWN_OBJECTS);
    EXPECT_EQ((int)big.splats.size(), MissionObject::MAX_SPLATS);
    EXPECT_EQ((int)big.effects.size(), MissionObject::MAX_EFFECTS);
    EXPECT_NE(log.find("mesh objects holds 32"), std::string::npos) << log;
    EXPECT_NE(log.find("the catalogue holds 128"), std::string::npos) << log;
    EXPECT_EQ(objects.Find("filler_130", -1), nullptr);

    LogCaptureBegin();
    MissionObjects missing;
    EXPECT_FALSE(missing.Load("data/scripts/no_such_objects.cgs"));
    log = LogCaptureEnd();
    EXPECT_NE(log.find("ERROR mission objects"), std::string::npos) << log;
    EXPECT_TRUE(missing.records.empty());
    EXPECT_FALSE(missing.PlaceObject("relic", Vec3(), 0.0f, 1, false, nullptr));
}

TEST_F(MissionObjectsTest, GuardsByLevelNeverMoreThanTheTableAndNoBossAtLevelZero)
{
    struct Row {
        int level, guards;
    } rows[] = {{-3, 2}, {0, 2}, {1, 2}, {2, 3}, {5, 4}, {9, 6}, {10, 7}, {15, 7}, {1000, 7}};
    for (const Row& row : rows) EXPECT_EQ(GuardCountForLevel(row.level), row.guards) << row.level;

    const char* types[] = {"scav_melee", "scav_small", "scav_leader", "scav_brute", "scav_flamer",
                           "scav_boss_a", "scav_boss_b", "scav_boss_c", "scav_superMelee"};
    for (const char* type : types) DefineUnit(type);
    DefineBuilding("explosive_barrels");
    DefineBuilding("explosive_barrels_big");
    Read("MissionObject camp post\nSetFlag MISSION_OBJECT_RANDOM_ENEMIES\n");
    const Vec3 site = MapPointToWorld(64, 64);
    for (int seed = 1; seed <= 20; ++seed) {
        SRand(seed);
        ASSERT_TRUE(objects.PlaceObject("camp", site, 0.0f, -5, false, nullptr));  // a mission of level 0
        EXPECT_EQ(CountAgents(), 2);
        for (int k = 5; k < 9; ++k) EXPECT_EQ(CountInScene(types[k]), 0) << "no boss below level 3";
        int barrels = CountInScene("explosive_barrels") + CountInScene("explosive_barrels_big");
        EXPECT_GE(barrels, 1);
        EXPECT_LE(barrels, 2);
        ClearLevel();
    }

    // A level beyond the table keeps the top count; with only three free points around there
    // are three guards and no point left for barrels.
    int column, row;
    ASSERT_TRUE(grid->WorldToCell(site, &column, &row));
    Entity rock;
    for (int r = row - 9; r <= row + 9; ++r)
        for (int c = column - 9; c <= column + 9; ++c) grid->GetCell(c, r)->occupant = &rock;
    for (int c : {column + 1, column + 2, column + 3}) grid->GetCell(c, row)->occupant = nullptr;
    ASSERT_TRUE(objects.PlaceObject("camp", site, 0.0f, 40, false, nullptr));
    EXPECT_EQ(CountAgents(), 3);
    EXPECT_EQ(CountInScene("explosive_barrels") + CountInScene("explosive_barrels_big"), 0);
    ClearLevel();
}

// The enemies a level places, guards and creatures alike, have the difficulty's share of their
// health and of the damage they deal; a trader placed beside them keeps its own.
TEST_F(MissionObjectsTest, EnemiesPlacedAreWeakerOnBeginnerAndTougherOnAdvanced)
{
    ConfigFile config(nullptr);
    ScopedGlobal<ConfigFile*> installed(Config, &config);
    for (const char* type : {"scav_melee", "scav_small", "scav_leader", "scav_brute", "scav_flamer", "mantis", "trader"})
        DefineUnit(type, 300.0f)->prototype->damage = 30.0f;
    game.agentTypes->FindType("trader")->prototype->alignment = ALIGN_NEUTRAL;
    Read("MissionObject lair x\nSetFlag MISSION_OBJECT_RANDOM_ENEMIES\n"
         "AddSpawnObject mantis 2 0 0 0 SPAWN_FLAG_AGENT\nAddSpawnObject trader 0 0 2 0 SPAWN_FLAG_AGENT\n");
    const Vec3 site = MapPointToWorld(64, 64);
    const struct {
        int difficulty;
        float share;
    } rows[] = {{0, 2.0f / 3.0f}, {1, 1.0f}, {2, 4.0f / 3.0f}, {3, 5.0f / 3.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.difficulty);
        config.Difficulty = row.difficulty;
        ASSERT_TRUE(objects.PlaceObject("lair", site, 0.0f, -5, false, nullptr));  // a mission of level 0
        int enemies = 0, others = 0;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) {
            if (!(e->flags & ENTITY_AGENT)) continue;
            Agent* agent = static_cast<Agent*>(e);
            const bool enemy = agent->alignment == ALIGN_ENEMY;
            const float share = enemy ? row.share : 1.0f;
            EXPECT_FLOAT_EQ(agent->GetMaxHealth(), 300.0f * share) << agent->name;
            EXPECT_FLOAT_EQ(agent->health, 300.0f * share) << agent->name;
            EXPECT_FLOAT_EQ(agent->GetDamage(nullptr), 30.0f * share) << agent->name;
            ++(enemy ? enemies : others);
        }
        TheScene.EndIteration();
        EXPECT_EQ(enemies, 1 + 2) << "the mantis and the two guards of level 0";
        EXPECT_EQ(others, 1);
        ClearLevel();
    }
}

TEST_F(MissionObjectsTest, ARestoredGameGetsMeshesSplatsAndTextsButNothingTheSceneBringsBack)
{
    for (const char* type : {"scav_melee", "scav_small", "scav_leader", "scav_brute", "scav_flamer", "scav_boss_a",
                             "scav_boss_b", "scav_boss_c", "scav_superMelee"})
        DefineUnit(type);
    DefineUnit("guardian");
    DefineBuilding("generator");
    TheScene.ReadSceneFile("data/scripts/primitives.cgs");
    // A name that fills its 64 characters on its own.
    const std::string longName(63, 'x');
    Read("MissionObject site ruin\n"
         "SetObjectMesh data/mesh/flag.txt\n"
         "SetFlag MISSION_OBJECT_RANDOM_ENEMIES\nSetFlag MISSION_OBJECT_RANDOM_ITEMS\nSetFlag MISSION_OBJECT_JOURNAL\n"
         "AddMeshObject data/mesh/debris_rock_0.txt 1 0 0\nMeshObjectFlag MISSION_OBJECT_HAS_COLLISION\n"
         "AddMeshObject data/mesh/debris_rock_1.txt 0 0 1\n"
         "AddMeshObject data/mesh/debris_rock_2.txt 0 0 2\nMeshObjectFlag MISSION_OBJECT_ENV_SNOW\n"
         "AddSpawnObject guardian 2 0 0 0 SPAWN_FLAG_AGENT\nSetObjective OBJECTIVE_ELIMINATE_ENEMIES\n"
         "AddSpawnObject generator 0 0 2 0 SPAWN_FLAG_BUILDING\nSetObjective OBJECTIVE_REPAIR_OBJECT\n"
         "AddSpawnObject fuel_tank 0 0 4 0 SPAWN_FLAG_BUILDING\nSetObjective OBJECTIVE_REPAIR_OBJECT\n"
         "AddSpawnObject " + longName + " 0 0 6 0 SPAWN_FLAG_AGENT\nSetObjective OBJECTIVE_HACK_COMPUTER\n"
         "AddSplat splat data/textures/white.dds data/textures/white.dds 0 0 0\n");
    const Vec3 site = MapPointToWorld(40, 70);
    TheTerrain.SetEnvironment("forest");

    ASSERT_TRUE(objects.PlaceObject("site", site, 0.0f, 3, true, nullptr));
    EXPECT_EQ(CountAgents(), 0) << "guards and spawned agents come back with the saved scene";
    EXPECT_EQ(CountInScene("generator"), 0);
    EXPECT_EQ(CountInScene("journal"), 0);
    EXPECT_EQ(CountInScene("site"), 1) << "the object's own mesh is made";
    EXPECT_EQ(TheScene.terrainObjects.count, 1) << "the snowy mesh only in winter, the colliding one in the level";
    EXPECT_EQ(TheScene.splats.count, 1);
    EXPECT_NE(FindObjectiveText("Eliminate guardian"), nullptr);
    EXPECT_NE(FindObjectiveText("Repair generator"), nullptr);
    EXPECT_NE(FindObjectiveText("Fill fuel_tank"), nullptr);
    const std::string cut = "Hack " + longName.substr(0, 58);
    EXPECT_NE(FindObjectiveText(cut.c_str()), nullptr) << "cut to its 64 characters";

    // Played, the spawned things stand with their objective flags; what cannot be made takes
    // its objective with it.
    objectives.Clear();
    ClearLevel();
    ASSERT_TRUE(objects.PlaceObject("site", site, 0.0f, 3, false, nullptr));
    EXPECT_EQ(CountInScene("guardian"), 1);
    EXPECT_EQ(CountInScene("generator"), 1);
    EXPECT_EQ(FindObjectiveText("Fill fuel_tank"), nullptr) << "no such building: no objective";
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) {
        if (StrICmp(e->name, "generator") != 0) continue;
        EXPECT_TRUE(e->flags & ENTITY_OBJECT_OF_INTEREST);
        EXPECT_FLOAT_EQ(e->health, 10.0f) << "a thing to repair starts broken";
    }
    TheScene.EndIteration();
    EXPECT_EQ(CountAgents(), 1 + 3) << "the guardian and the guards of level 3";
}

TEST_F(MissionObjectsTest, EffectsStandAtTheObject)
{
    ParticleManager particles;
    particles.ReleaseTemplates();
    std::string path = MakeTempFolder("object-effects") + "/sparks.txt";
    // A template placed far away: the system must stand where the object is.
    ASSERT_TRUE(WriteTextFile(path, "PARTICLE sparks\nPOSITION 90 90 90\nEND_PARTICLE\n"));
    ASSERT_NE(particles.LoadTemplate(path.c_str()), nullptr);
    ScopedGlobal<ParticleManager*> scene(TheScene.particles, &particles);
    Read("MissionObject beacon x\nSetEffect sparks 1 2 3\nSetEffect no_such_effect 0 0 0\n");
    const Vec3 site = MapPointToWorld(30, 40);
    ASSERT_TRUE(objects.PlaceObject("beacon", site, 0.0f, 1, true, nullptr));
    ASSERT_EQ(particles.ActiveCount(), 1);
    Vec3 origin = particles.active.head->value->Origin(), expected = site + Vec3(1.0f, 2.0f, 3.0f);
    EXPECT_NEAR(origin.x, expected.x, 1e-4f);
    EXPECT_NEAR(origin.y, expected.y, 1e-4f);
    EXPECT_NEAR(origin.z, expected.z, 1e-4f);
    particles.KillAll();
}
