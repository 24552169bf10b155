#pragma once
// A level to fill, for the mission-object, growth and population tests: the level generator's
// test world (its environments, map generator and mission-object catalogue) with the game
// object's grid on open ground, a flat terrain whose every cell is low ground, the Scene's
// lists, a mesh library over the shipped meshes, the objectives, the events and a growth
// catalogue of the test's own. Everything the level made is let go of afterwards.
#include "campaign/MissionCatalogue.h"
#include "host/Log.h"
#include "levelgen/Growth.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/AnimLibrary.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "terrain/Terrain.h"
#include "tests/levelgen/LevelGenTestSupport.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"

#include <map>
#include <memory>
#include <vector>
#include <string>

class PopulationTest : public LevelGenTest {
protected:
    void SetUp() override
    {
        LevelGenTest::SetUp();
        ASSERT_TRUE(TheScene.InitLists());
        game.CreateCatalogues();
        TheScene.ReleaseEntities();
        TheScene.firstFrame = false;
        // The test's level starts here: what it makes is numbered from now, for the orders.
        StartLevelNumbers();
        TheOrders.Clear();
        grid = game.grid;
        grid->ResetCells();
        for (int row = 0; row < grid->size; ++row)
            for (int column = 0; column < grid->size; ++column)
                grid->GetCell(column, row)->flags = CELL_WALKABLE | CELL_BUILDABLE;
        TheTerrain.mapCells = nullptr;
        TheTerrain.Create(128, 128);
        TheTerrain.classMap.assign(128 * 128, 1);
        growth.toolParameters.SetDefaults();
    }
    // The next tick of the world, as the game's loop runs it: the orders given since the last
    // one carried out, then the world's rules for a tick.
    static void NextTick() { TheGame->RunWorldTick(WorldClock::TICK); }
    void TearDown() override
    {
        TheOrders.Clear();
        growth.ClearInstances();
        TheScene.EndIteration();
        TheScene.ReleaseEntities();
        objectives.Clear();
        events.Clear();
        TheTerrain.Free();
        TheTerrain.mapCells = nullptr;  // the level's kinds go with the test
        LevelGenTest::TearDown();
    }

    // A script of the test's own in a temporary folder.
    std::string Script(const char* name, const std::string& text)
    {
        std::string path = MakeTempFolder("population") + "/" + name;
        EXPECT_TRUE(WriteTextFile(path, text));
        return path;
    }
    // A unit type walking on the shipped walker mesh.
    AgentType* DefineUnit(const char* name, float health = 100.0f, uint32_t classWord = 0)
    {
        Agent* prototype = game.agentTypes->TakeFreeAgent();
        CopyText(prototype->name, sizeof prototype->name, name);
        prototype->mesh = TheMeshLibrary->GetMesh("data/mesh/walker.txt", 0, true, false);
        prototype->meshStates[0] = prototype->mesh;
        prototype->meshCount = 1;
        prototype->alignment = ALIGN_ENEMY;
        prototype->SetMaxHealth(health);
        prototype->SetHealth(health);
        prototype->classWord = classWord;
        game.agentTypes->prototypes.PushBack(prototype);
        return game.agentTypes->DefineType(prototype, name);
    }
    // A building of the catalogue on a shipped mesh.
    BuildItem* DefineBuilding(const char* name, float health = 500.0f, uint32_t flags = 0)
    {
        Entity* prototype =
            TheScene.AddPrimitive("data/mesh/hopper_empty.txt", name, 0, nullptr, ENTITY_BUILDING, 1, false);
        prototype->alignment = ALIGN_ENEMY;
        prototype->health = prototype->maxHealth = health;
        BuildItem* item = game.buildItems->Add(prototype, nullptr);
        item->flags = flags;
        return item;
    }
    // Takes every entity of the level out (the templates stay): agents go back to
    // the pool, the rest are freed, and the grid is open ground again.
    void ClearLevel()
    {
        std::vector<Entity*> all;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) all.push_back(e);
        TheScene.EndIteration();
        for (Entity* e : all) {
            TheScene.UnlinkEntity(e);
            e->LeaveGridCell();
            if (e->flags & ENTITY_AGENT)
                game.agentTypes->ReturnAgent(static_cast<Agent*>(e));
            else
                delete e;
        }
        for (Scene::EntityList* list : {&TheScene.terrainObjects, &TheScene.splats, &TheScene.translucent}) {
            while (list->head) {
                Entity* e = list->head->value;
                list->Remove(e);
                delete e;
            }
        }
        grid->ResetCells();
        for (int row = 0; row < grid->size; ++row)
            for (int column = 0; column < grid->size; ++column)
                grid->GetCell(column, row)->flags = CELL_WALKABLE | CELL_BUILDABLE;
    }
    // The level of a seed as a level start makes it: layout, kinds, population (the bridges),
    // the terrain from the height image, entities on the ground, the tile map. The
    // population's log in log.
    void Build(const MissionRecord& mission, unsigned seed)
    {
        ClearLevel();
        Generate(mission, seed);
        SRand(seed + 1);
        LogCaptureBegin();
        maps.Populate(false);
        log = LogCaptureEnd();
        TheTerrain.Free();
        TheTerrain.mapCells = maps.kinds.data();
        TheTerrain.Create(128, 128);
        TheScene.DropToTerrain();
        TheScene.ConformEntitiesToTerrain();
        game.BuildTileMap();
    }
    // The walk region of a world point: of its own grid cell, or of a walkable cell beside it
    // (a site's own cell may hold what stands there); -1 for none.
    int RegionNear(const Vec3& at) const
    {
        int column, row;
        if (!grid->WorldToCell(at, &column, &row)) return -1;
        for (int ring = 0; ring <= 2; ++ring)
            for (int dy = -ring; dy <= ring; ++dy)
                for (int dx = -ring; dx <= ring; ++dx) {
                    const GridCell* cell = grid->GetCell(column + dx, row + dy);
                    if (cell && (cell->flags & CELL_WALKABLE) && cell->region >= grid->regionBase) return cell->region;
                }
        return -1;
    }
    int RegionNear(IntPoint site) const { return RegionNear(MapPointToWorld(site.x, site.y)); }
    // The agents and buildings of the level, by name.
    int CountInScene(const char* name, uint32_t segments = SEGMENTS_ALL)
    {
        int n = 0;
        for (Entity* e = TheScene.FirstEntity(segments); e; e = TheScene.NextEntity()) n += StrICmp(e->name, name) == 0;
        TheScene.EndIteration();
        return n;
    }
    int CountAgents()
    {
        int n = 0;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity()) ++n;
        TheScene.EndIteration();
        return n;
    }
    const Objective* FindObjectiveText(const char* text)
    {
        for (auto* node = objectives.list.head; node; node = node->next)
            if (strcmp(node->value->id, text) == 0) return node->value;
        return nullptr;
    }

    GameMechanics game;
    ScopedGlobal<GameMechanics*> currentGame{TheGame, &game};
    std::unique_ptr<MeshLibrary> library = std::make_unique<MeshLibrary>();
    ScopedGlobal<MeshLibrary*> currentLibrary{TheMeshLibrary, library.get()};
    Objectives objectives;
    ScopedGlobal<Objectives*> currentObjectives{TheObjectives, &objectives};
    EventManager events;
    ScopedGlobal<EventManager*> currentEvents{TheEvents, &events};
    GrowthDB growth{false};  // each test reads the definitions it wants
    ScopedGlobal<GrowthDB*> currentGrowth{TheGrowthDB, &growth};
    Grid* grid = nullptr;
    std::string log;
};

// The same level filled from the shipped data: the catalogues, meshes and primitives, the
// mission objects and the growth definitions, and the string tables.
class ShippedPopulationTest : public PopulationTest {
protected:
    void SetUp() override
    {
        PopulationTest::SetUp();
        LoadShipped();
    }
    // The shipped catalogues, meshes, primitives, mission objects and growth, read without a
    // warning.
    void LoadShipped()
    {
        TheAnimLibrary = animations.get();
        Environment::LoadScript();  // the shipped environments, as a level has them
        ASSERT_TRUE(strings.Init());
        LogCaptureBegin();
        game.LoadCatalogues();
        TheMeshLibrary->LoadAll();
        TheMeshLibrary->LoadPendingAnimations();
        TheScene.ReadSceneFile("data/scripts/primitives.cgs");
        objects.records.clear();
        objects.Load();
        growth.Load();
        std::string log = LogCaptureEnd();
        EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    }
    void TearDown() override
    {
        PopulationTest::TearDown();
        MissionCatalogue::ClearMissions();
        TheAnimLibrary = savedAnimations;
    }

    // A random mission of the environment with an objective of each kind the population
    // treats apart.
    MissionRecord* Mission(const char* environment, int level)
    {
        MissionRecord* m = MissionCatalogue::InitRandomMission();
        m->flags |= MISSION_DATA_BUILT | MISSION_DATA_OWN_ENVIRONMENT;
        CopyText(m->environment, sizeof m->environment, environment);
        m->level = level;
        m->enemyCount = 2;
        m->creatureCount = 2;
        struct Row {
            int type;
            const char* target;
            int count;
            uint32_t flags;
        } rows[] = {{OBJECTIVE_BUILD, "refinery", 3, 0},
                    {OBJECTIVE_RECOVER_OBJECT, "relic", 1, OBJECTIVE_GUARDED_OBJECT},
                    {OBJECTIVE_REPAIR_OBJECT, "planetary_defense_cannon", 1, OBJECTIVE_MAP_CENTER},
                    {OBJECTIVE_DESTROY_BUILDING, "Scavenger_camp", 1, OBJECTIVE_ENEMY_OUTPOST},
                    {OBJECTIVE_ELIMINATE_ENEMIES, "creature_nest", 1, OBJECTIVE_FAR_FROM_PLAYER},
                    {OBJECTIVE_ELIMINATE_ENEMIES, "Elite_Trex", 1, OBJECTIVE_FAR_FROM_PLAYER}};
        for (const Row& r : rows) {
            Objective* o = new Objective();
            o->type = r.type;
            CopyText(o->target, sizeof o->target, r.target);
            o->targetCount = r.count;
            o->flags |= r.flags;
            m->AddObjective(o);
        }
        return m;
    }
    // The layout and kind grid of the current mission, then the population; the log of the
    // population in log.
    void Populate(const MissionRecord& mission, unsigned seed, bool loading)
    {
        Generate(mission, seed);
        SRand(seed + 1);
        LogCaptureBegin();
        maps.Populate(loading);
        log = LogCaptureEnd();
    }
    int CountWhere(bool (*test)(const Entity*), uint32_t segments = SEGMENTS_ALL)
    {
        int n = 0;
        for (Entity* e = TheScene.FirstEntity(segments); e; e = TheScene.NextEntity()) n += test(e);
        TheScene.EndIteration();
        return n;
    }
    std::map<std::string, int> Census()
    {
        std::map<std::string, int> names;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) ++names[e->name];
        TheScene.EndIteration();
        return names;
    }
    int Bridges()
    {
        int n = 0;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity())
            n += e->mesh && strstr(e->mesh->name, "bridge_6w") && !strstr(e->mesh->name, "trim");
        TheScene.EndIteration();
        return n;
    }

    std::unique_ptr<AnimLibrary> animations = std::make_unique<AnimLibrary>();
    AnimLibrary* savedAnimations = TheAnimLibrary;
    StringTable strings;
    ScopedGlobal<StringTable*> installedStrings{Strings, &strings};
};

