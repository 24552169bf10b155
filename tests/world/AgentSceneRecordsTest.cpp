// An agent's lines in a scene file: exactly what is written for each kind of agent, and what
// reading them back restores (old files with glued lines included); and the shots in the air
// between them, flown on from a save as they flew.
#include "host/Log.h"
#include "host/System.h"
#include "render/MeshLibrary.h"
#include "tests/support/TestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/world/WorldTestSupport.h"
#include "world/AgentSceneRecords.h"
#include "world/AiBrain.h"
#include "world/ProjectileSystem.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

// ---- The shots in the air

class ShotRecordsTest : public AgentSceneRecordsTest {
protected:
    void SetUp() override
    {
        AgentSceneRecordsTest::SetUp();
        shots.Init();
        shots.LoadResources();
        Type("Gunner", ALIGN_PLAYER);
        Type("Raider", ALIGN_ENEMY);
    }
    void TearDown() override
    {
        shots.Clear();
        AgentSceneRecordsTest::TearDown();
    }
    // Two mounts, as the rig's arms: a shot may leave from the second.
    static void Arm(Agent* agent)
    {
        agent->AddAttachment(new Entity(), "left", "none", true);
        agent->AddAttachment(new Entity(), "right", "none", true);
    }
    // The shots and the agents as a save writes them: the shots first, so their entities are
    // numbered at their first mention, as in a level's save.
    std::string SavedLevel(const std::vector<Agent*>& agents)
    {
        std::string path = folder + "/level.txt";
        FILE* file = fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        TheScene.saveNumbers.clear();
        WriteShotsToScene(file, shots);
        for (Agent* agent : agents) {
            agent->SaveToScene(file);
            fputs("\n", file);
        }
        fclose(file);
        return ReadTextFile(path);
    }
    // The agents a save's text makes, oldest first, armed before their saved states (and the
    // shots) are put back, as the level's units are made with their weapons.
    std::vector<Agent*> ReadLevel(const std::string& text)
    {
        std::string path = folder + "/scene.txt";
        EXPECT_TRUE(WriteTextFile(path, text));
        EXPECT_TRUE(TheScene.ReadSceneFile(path.c_str()));
        std::vector<Agent*> read;
        for (int segment : {SEGMENT_UNIT, SEGMENT_ENEMY_UNIT})
            for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
                if (node->value && (node->value->flags & ENTITY_AGENT)) read.push_back(static_cast<Agent*>(node->value));
        for (Agent* agent : read) Arm(agent);
        TheScene.PutBackSavedStates();
        return read;
    }
    static std::string ShotLines(const std::string& saved)
    {
        std::istringstream in(saved);
        std::string line, kept;
        while (std::getline(in, line))
            if (line.compare(0, 4, "Shot") == 0) kept += line + "\n";
        return kept;
    }

    ProjectileSystem shots;
    ScopedGlobal<ProjectileSystem*> current{TheProjectiles, &shots};
};

WeaponDef NamedWeapon(const char* name, int type, float damage)
{
    WeaponDef weapon;
    CopyText(weapon.name, sizeof weapon.name, name);
    weapon.type = type;
    weapon.damage = damage;
    weapon.range = 24.0f;
    weapon.shotTime = 0.6f;
    weapon.shootOffset = Vec3(0.0f, 0.5f, 1.25f);
    return weapon;
}

// Each kind of shot, saved in the air and read back: its line is the same when saved again,
// and it flies on from its shooter at its target (or at where its target stood).
TEST_F(ShotRecordsTest, EveryKindOfShotInTheAirFliesOnFromTheSave)
{
    const WeaponDef missile = NamedWeapon("missile_pod", WEAPON_MISSILE, 30.0f);
    const WeaponDef machinegun = NamedWeapon("machinegun", WEAPON_BALLISTIC, 8.0f);
    const WeaponDef mortar = NamedWeapon("mortar_launcher", WEAPON_MORTAR, 45.0f);
    struct Case {
        const char* what;
        const char* keyword;
        bool flies;  // a quarter of a second on its way before the save (a beam or a burst is saved as it opens)
        // Fires from the shooter at the target; a third agent stands by, and may be taken out.
        std::function<void(ProjectileSystem&, Agent*, Agent*, Agent*)> fire;
    } cases[] = {
        {"a missile from the right arm", "ShotProjectile", true,
         [&](ProjectileSystem& s, Agent* shooter, Agent* target, Agent*) {
             s.Fire(Vec3(), Vec3(), 24.0f, shooter, target, &missile, 0, &shooter->attachments[1]);
         }},
        {"a shell whose target has left the level", "ShotProjectile", true,
         [&](ProjectileSystem& s, Agent* shooter, Agent*, Agent* other) {
             s.Fire(Vec3(), Vec3(), 10.0f, shooter, other, &mortar, 0, nullptr);
         }},
        {"an explosion's burst, due at the next update", "ShotProjectile", false,
         [&](ProjectileSystem& s, Agent* shooter, Agent* target, Agent*) {
             s.Explode(target->GetPosition(), 40.0f, 2.5f, EXPLOSION_BARREL, shooter->alignment, shooter);
         }},
        {"a machine gun's beam", "ShotBeam", false,
         [&](ProjectileSystem& s, Agent* shooter, Agent* target, Agent*) {
             s.StartBeam(0.6f, shooter, target, &machinegun, BEAM_MACHINEGUN, &shooter->attachments[0]);
         }},
        {"lightning without a weapon", "ShotBeam", false,
         [&](ProjectileSystem& s, Agent* shooter, Agent* target, Agent*) {
             s.StartBeam(1.0f, shooter, target, nullptr, BEAM_ELECTRIC, nullptr);
         }},
        {"a melee blow due", "ShotMelee", true,
         [&](ProjectileSystem& s, Agent* shooter, Agent* target, Agent*) { s.QueueMeleeHit(0.4f, target, shooter); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Agent* shooter = Make("Gunner", 10, 10);
        Agent* target = Make("Raider", 14, 12);
        Agent* other = Make("Raider", 20, 14);
        Arm(shooter);
        c.fire(shots, shooter, target, other);
        for (int i = 0; c.flies && i < 3; ++i) shots.Update(0.1f);
        Remove(other);
        const std::string text = SavedLevel({shooter, target});
        const std::string lines = ShotLines(text);
        ASSERT_EQ(lines.compare(0, strlen(c.keyword), c.keyword), 0) << text;
        ASSERT_EQ(lines.find('\n'), lines.size() - 1) << "one shot in the air: " << lines;

        shots.Clear();
        Remove(shooter);
        Remove(target);
        const std::vector<Agent*> read = ReadLevel(text);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(shots.ActiveProjectiles() + shots.ActiveBeams() + shots.PendingMeleeHits(), 1);
        EXPECT_EQ(ShotLines(SavedLevel(read)), lines) << "the shot flies on as it was saved";
        Agent* readShooter = read[0]->alignment == ALIGN_PLAYER ? read[0] : read[1];
        Agent* readTarget = read[0] == readShooter ? read[1] : read[0];
        if (shots.projectiles.head) {
            const Projectile& p = *shots.projectiles.head->value;
            EXPECT_EQ(p.shooter.Get(), readShooter);
            EXPECT_EQ(p.mount, p.hasWeapon && p.weapon.type == WEAPON_MISSILE ? &readShooter->attachments[1] : nullptr);
            if ((p.flags & PROJECTILE_SHELL) && p.explosionKind == EXPLOSION_PLAIN) {
                EXPECT_TRUE(p.target.IsSet()) << "the shell flies on to where its target stood";
                EXPECT_EQ(p.target.Get(), nullptr);
            }
        }
        if (shots.beams.head) {
            const Beam& b = *shots.beams.head->value;
            EXPECT_EQ(b.shooter.Get(), readShooter);
            EXPECT_EQ(b.target.Get(), readTarget);
            EXPECT_EQ(b.mount, b.hasWeapon ? &readShooter->attachments[0] : nullptr);
            EXPECT_EQ(b.soundHandle, -1);
        }
        if (shots.meleeHits.head) {
            EXPECT_EQ(shots.meleeHits.head->value->attacker.Get(), readTarget);
            EXPECT_EQ(shots.meleeHits.head->value->target.Get(), readShooter);
        }
        shots.Clear();
        for (Agent* agent : read) Remove(agent);
    }
}

// A damaged shot line is passed over with a warning, and the level reads on; a save without
// shot lines (an older one) has none in the air, and says nothing of it.
TEST_F(ShotRecordsTest, ADamagedShotLineIsDroppedWithAWarning)
{
    const WeaponDef missile = NamedWeapon("missile_pod", WEAPON_MISSILE, 30.0f);
    Agent* shooter = Make("Gunner", 10, 10);
    Agent* target = Make("Raider", 14, 12);
    Arm(shooter);
    shots.Fire(Vec3(), Vec3(), 24.0f, shooter, target, &missile, 0, &shooter->attachments[1]);
    shots.StartBeam(0.6f, shooter, target, nullptr, BEAM_LASER, nullptr);
    shots.QueueMeleeHit(0.4f, target, shooter);
    const std::string text = SavedLevel({shooter, target});
    shots.Clear();
    Remove(shooter);
    Remove(target);

    // Each damage done to the line of one kind, by its first words.
    struct Case {
        const char* what;
        const char* keyword;
        std::function<std::string(const std::string&)> damage;  // the line's values, damaged
        const char* warning;
    } cases[] = {
        {"an owner the save does not hold", "ShotProjectile",
         [](const std::string& v) { return "77" + v.substr(v.find(' ')); }, "does not hold"},
        {"a word for a number", "ShotBeam", [](const std::string& v) { return "x" + v; }, "damaged"},
        {"a line cut short", "ShotProjectile", [](const std::string& v) { return v.substr(0, v.size() / 2); },
         "cut short"},
        {"a mount the shooter lacks", "ShotProjectile",
         [](const std::string& v) {
             std::istringstream words(v);
             std::string shooterNumber, targetNumber, mount, rest;
             words >> shooterNumber >> targetNumber >> mount;
             std::getline(words, rest);
             return shooterNumber + " " + targetNumber + " 6" + rest;
         },
         "mount 6"},
        {"a beam of no beam's weapon", "ShotBeam",
         [](const std::string& v) {
             std::istringstream words(v);
             std::string a, b, mount, type, rest;
             words >> a >> b >> mount >> type;
             std::getline(words, rest);
             return a + " " + b + " " + mount + " " + std::to_string(WEAPON_MORTAR) + rest;
         },
         "damaged"},
        {"a chain longer than a beam holds", "ShotBeam",
         [](const std::string& v) {
             std::istringstream words(v);
             std::vector<std::string> w;
             for (std::string word; words >> word;) w.push_back(word);
             w[12] = "9";  // the chain's count
             std::string out;
             for (const std::string& word : w) out += word + " ";
             return out;
         },
         "count of 9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string damaged = text;
        const size_t at = damaged.find(std::string(c.keyword) + "\t");
        ASSERT_NE(at, std::string::npos) << text;
        const size_t values = damaged.find_first_not_of(" \t", at + strlen(c.keyword));
        const size_t end = damaged.find('\n', at);
        damaged.replace(values, end - values, c.damage(damaged.substr(values, end - values)));
        LogCaptureBegin();
        const std::vector<Agent*> read = ReadLevel(damaged);
        const std::string log = LogCaptureEnd();
        EXPECT_NE(log.find(c.warning), std::string::npos) << log;
        EXPECT_EQ(read.size(), 2u) << "the level reads on";
        const int flying[] = {shots.ActiveProjectiles(), shots.ActiveBeams(), shots.PendingMeleeHits()};
        const char* const kinds[] = {"ShotProjectile", "ShotBeam", "ShotMelee"};
        for (int kind = 0; kind < 3; ++kind)
            EXPECT_EQ(flying[kind], strcmp(kinds[kind], c.keyword) == 0 ? 0 : 1) << kinds[kind] << "\n" << damaged;
        shots.Clear();
        for (Agent* agent : read) Remove(agent);
    }

    std::string older;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, 4, "Shot") != 0) older += line + "\n";
    LogCaptureBegin();
    const std::vector<Agent*> read = ReadLevel(older);
    const std::string log = LogCaptureEnd();
    EXPECT_EQ(read.size(), 2u);
    EXPECT_EQ(shots.ActiveProjectiles() + shots.ActiveBeams() + shots.PendingMeleeHits(), 0);
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    EXPECT_EQ(log.find("Shot"), std::string::npos) << log;
}

}  // namespace
