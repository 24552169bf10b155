// What the miners, builders and scans ask of the level: the nearest drop-off that is really
// there, the nearest revealed ore, research levels that need power, power links between
// neighbouring buildings, ore revealed and enriched by grade.
#include "world/WorldQueries.h"

#include "mechanics/EventManager.h"
#include "render/ParticleManager.h"
#include "tests/support/TestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include <cstring>
#include <memory>

namespace {

class WorldQueries : public WorldTest {
protected:
    Building* At(Building* building, float x)
    {
        building->SetPosition(Vec3(x, 0.0f, 0.0f));
        return building;
    }
    Entity* Ore(float x, bool revealed, float health = 100.0f)
    {
        Entity* ore = NewEntity(ENTITY_RESOURCE | (revealed ? ENTITY_RESOURCE_REVEALED : 0));
        ore->SetPosition(Vec3(x, 0.0f, 0.0f));
        ore->health = health;
        EXPECT_NE(TheScene.AddEntity(ore), nullptr);
        return ore;
    }
};

}  // namespace

TEST_F(WorldQueries, TheNearestDropOffIsAFinishedBuildingOfTheRightKind)
{
    BuildItem* refinery = Definition("refinery", BUILD_RESOURCE_DROP);
    BuildItem* turret = Definition("turret", BUILD_TURRET);
    BuildItem* nest = Definition("nest", BUILD_SPAWNPOINT);
    Building* far = At(Built(refinery), 20.0f);
    Building* near = At(Built(refinery), 10.0f);
    At(Built(refinery), 5.0f)->buildState = BUILD_STATE_CONSTRUCTING;
    At(Built(refinery), 2.0f)->stateFlags |= BUILDING_PREVIEW;
    At(Built(refinery), 3.0f)->flags |= ENTITY_DEAD;
    At(Built(turret), 1.0f);
    Building* theirs = At(NewBuilding(ALIGN_ENEMY), 4.0f);
    theirs->definition = refinery;
    ASSERT_NE(TheScene.AddEntity(theirs), nullptr);

    EXPECT_EQ(FindNearestBuilding(BUILD_RESOURCE_DROP, Vec3(), 50.0f), near);
    EXPECT_EQ(FindNearestBuilding(BUILD_RESOURCE_DROP | BUILD_TURRET, Vec3(), 50.0f)->definition, turret);
    EXPECT_EQ(FindNearestBuilding(BUILD_RESOURCE_DROP, Vec3(), 9.0f), nullptr) << "beyond the limit";
    EXPECT_EQ(FindNearestBuilding(BUILD_RESOURCE_DROP, Vec3(25.0f, 0.0f, 0.0f), 50.0f), far);

    // Spawn points are looked for among the camps.
    EXPECT_EQ(FindNearestBuilding(BUILD_SPAWNPOINT, Vec3(), 50.0f), nullptr);
    Building* camp = At(NewBuilding(ALIGN_ENEMY), 30.0f);
    camp->definition = nest;
    ASSERT_NE(TheScene.AddEntity(camp), nullptr);
    EXPECT_EQ(FindNearestBuilding(BUILD_SPAWNPOINT, Vec3(), 50.0f), camp);
}

TEST_F(WorldQueries, MinersGoForTheNearestRevealedOreWithOreLeft)
{
    Ore(2.0f, false);
    Ore(4.0f, true, 0.0f);
    Entity* ore = Ore(8.0f, true);
    Ore(12.0f, true);
    Entity* vent = Ore(1.0f, true);
    vent->flags |= ENTITY_FUEL;
    EXPECT_EQ(FindOreNode(Vec3(), 50.0f), ore);
    EXPECT_EQ(FindOreNode(Vec3(), 7.0f), nullptr);
}

TEST_F(WorldQueries, ResearchCountsOnlyFinishedComputersAndNeedsPower)
{
    BuildItem* lab2 = Definition("lab2", BUILD_RESEARCH_COMPUTER);
    lab2->level = 2;
    BuildItem* lab3 = Definition("lab3", BUILD_RESEARCH_COMPUTER);
    lab3->level = 3;
    BuildItem* depot = Definition("depot", BUILD_RESOURCE_DROP);
    depot->level = 5;
    Built(lab2)->researchKind = 1;
    Building* busy = Built(lab3);
    busy->researchKind = 1;
    busy->researchTimer = 4.0f;
    Built(depot)->researchKind = 1;
    ScopedGlobal<UnitControlCount> power(TheScene.unitControl);
    TheScene.unitControl.supply = 30.0f;
    TheScene.unitControl.demand = 20.0f;
    EXPECT_EQ(GetBestResearchLevel(1), 2);
    EXPECT_EQ(GetBestResearchLevel(2), 0);
    busy->researchTimer = 0.0f;
    EXPECT_EQ(GetBestResearchLevel(1), 3);
    TheScene.unitControl.demand = 31.0f;
    EXPECT_EQ(GetBestResearchLevel(1), 0) << "a base short of power researches nothing";
}

TEST_F(WorldQueries, BuildingsBesideAPowerSourceTakeItsLevel)
{
    BuildItem* generator = Definition("generator", BUILD_RESOURCE);
    generator->resourcePower = 10;
    generator->level = 2;
    BuildItem* reactor = Definition("reactor", BUILD_RESOURCE);
    reactor->resourcePower = 30;
    reactor->level = 3;
    BuildItem* factory = Definition("factory", BUILD_UNIT_FACTORY);
    auto place = [&](BuildItem* definition, int column, int row, int size, int alignment = ALIGN_PLAYER) {
        Building* building = Standing(NewBuilding(alignment), column, row, size, size);
        building->definition = definition;
        EXPECT_NE(TheScene.AddEntity(building), nullptr);
        EXPECT_TRUE(building->StampGrid());
        return building;
    };
    Building* works = place(factory, 50, 50, 2);
    Building* power = place(generator, 52, 51, 1);
    place(generator, 60, 60, 1);  // not beside it
    EXPECT_TRUE(IsPowerSource(power));
    EXPECT_FALSE(IsPowerSource(works));

    EXPECT_EQ(UpdatePowerLevel(works), 2);
    EXPECT_EQ(works->stateFlags & (BUILDING_POWER_LEVEL_1 | BUILDING_POWER_LEVEL_2 | BUILDING_POWER_LEVEL_3),
              BUILDING_POWER_LEVEL_2);
    Building* big = place(reactor, 49, 52, 1);
    RefreshPowerNeighbours(big);
    EXPECT_EQ(GetPowerLevel(works), 3) << "the strongest neighbour";
    big->flags |= ENTITY_DEAD;
    EXPECT_EQ(UpdatePowerLevel(works), 2) << "a dead source feeds nothing";
    EXPECT_EQ(UpdatePowerLevel(power), 0) << "a source takes no level itself";
    Building* camp = place(factory, 53, 50, 1, ALIGN_ENEMY);
    EXPECT_EQ(UpdatePowerLevel(camp), 0) << "only the player's buildings";

    const struct {
        uint32_t word;
        int level;
    } levels[] = {{0, 0}, {BUILDING_POWER_LEVEL_1, 1}, {BUILDING_POWER_LEVEL_2, 2}, {BUILDING_POWER_LEVEL_3, 3},
                  {BUILDING_POWER_LEVEL_2 | BUILDING_POWER_LEVEL_3, 3}, {BUILDING_POWER_LEVEL_1 | BUILDING_POWER_LEVEL_2, 2}};
    for (const auto& c : levels) {
        works->stateFlags = c.word;
        EXPECT_EQ(GetPowerLevel(works), c.level) << c.word;
    }
    EXPECT_EQ(GetPowerLevel(nullptr), 0);
}

TEST_F(WorldQueries, ScansRevealOreAndEnrichingRaisesItsGrade)
{
    Entity* close = Ore(5.0f, false, 30.0f);
    Entity* away = Ore(15.0f, false);
    auto full = std::unique_ptr<IndexedMesh>(BlockMesh(0, 1, 0, 1, 0, 1));
    auto worn = std::unique_ptr<IndexedMesh>(BlockMesh(0, 1, 0, 1, 0, 1));
    close->meshStates[1] = full.get();
    close->meshStates[2] = worn.get();
    close->meshCount = 3;
    EventManager events;
    ScopedGlobal<EventManager*> listening(TheEvents, &events);
    ScanPulse(Vec3(), 3.0f);
    EXPECT_FALSE(events.oreDiscovered) << "nothing in reach";
    ScanPulse(Vec3(), 10.0f);
    EXPECT_TRUE(close->flags & ENTITY_RESOURCE_REVEALED);
    EXPECT_FALSE(away->flags & ENTITY_RESOURCE_REVEALED);
    EXPECT_TRUE(events.oreDiscovered) << "the mission hears of it";
    EXPECT_EQ(close->mesh, worn.get()) << "less than half its ore: the worn stage";

    EXPECT_FALSE(EnrichOreNode(away)) << "not revealed yet";
    EXPECT_EQ(close->kills, 0);
    EXPECT_TRUE(EnrichOreNode(close));
    EXPECT_EQ(close->kills, 1);
    EXPECT_STREQ(worn->materials[0].textureName, "data/textures/ore_green.dds");
    EXPECT_TRUE(EnrichOreNode(close));
    EXPECT_EQ(close->kills, 2);
    EXPECT_STREQ(full->materials[0].textureName, "data/textures/ore_blue.dds");
    EXPECT_FALSE(EnrichOreNode(close)) << "grade 2 is the best";
    EXPECT_EQ(close->kills, 2);
    close->meshStates[1] = close->meshStates[2] = nullptr;
    close->mesh = nullptr;
}

TEST_F(WorldQueries, HopperMeshesByNameAndStage)
{
    auto empty = std::unique_ptr<IndexedMesh>(BlockMesh(0, 1, 0, 1, 0, 1));
    auto half = std::unique_ptr<IndexedMesh>(BlockMesh(0, 1, 0, 1, 0, 1));
    auto full = std::unique_ptr<IndexedMesh>(BlockMesh(0, 1, 0, 1, 0, 1));
    EXPECT_EQ(GetHopperMesh(nullptr, 0), nullptr) << "no primitives yet";
    for (auto stage : {std::make_pair("hopper_empty", empty.get()), std::make_pair("hopper_half", half.get()),
                       std::make_pair("hopper_full", full.get())}) {
        Entity* primitive = new Entity();
        strcpy(primitive->name, stage.first);
        primitive->mesh = stage.second;
        TheScene.primitives.PushBack(primitive);
    }
    EXPECT_EQ(GetHopperMesh(nullptr, 0), empty.get());
    EXPECT_EQ(GetHopperMesh(nullptr, 1), half.get());
    EXPECT_EQ(GetHopperMesh(nullptr, 2), full.get());
    EXPECT_EQ(GetHopperMesh("hopper_full"), full.get());
    EXPECT_EQ(GetHopperMesh("HOPPER_HALF"), half.get());
    EXPECT_EQ(GetHopperMesh("something"), empty.get());
    for (Scene::Node* node = TheScene.primitives.head; node; node = node->next) node->value->mesh = nullptr;
    EXPECT_STREQ(GetVersionString(), "1.0");
}

TEST_F(WorldQueries, AScanFlashesOverTheOreItFound)
{
    Entity* ore = Ore(5.0f, false);
    ParticleManager particles;
    particles.ReleaseTemplates();
    std::string path = MakeTempFolder("scan-flash") + "/scan_red.txt";
    // A template placed far away: the flash must stand where the scan found the ore.
    ASSERT_TRUE(WriteTextFile(path, "PARTICLE scan_red\nPOSITION 90 90 90\nEND_PARTICLE\n"));
    ASSERT_NE(particles.LoadTemplate(path.c_str()), nullptr);
    ScopedGlobal<ParticleManager*> scene(TheScene.particles, &particles);
    ScanPulse(Vec3(), 10.0f);
    ASSERT_EQ(particles.ActiveCount(), 1);
    Vec3 origin = particles.active.head->value->Origin(), expected = ore->GetPosition() + Vec3(0.0f, 1.0f, 0.0f);
    EXPECT_NEAR(origin.x, expected.x, 1e-4f);
    EXPECT_NEAR(origin.y, expected.y, 1e-4f);
    EXPECT_NEAR(origin.z, expected.z, 1e-4f);
}
