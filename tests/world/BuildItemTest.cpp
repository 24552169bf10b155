// The build catalogue: the build script's keywords, what happens to a building whose mesh is
// missing and to a script that asks for more than the catalogue holds, and placing buildings on
// the grid: footprints, stocks, vents, build nodes, add-ons beside what they serve, paying,
// building at once, cancelling and the decal under the player's buildings.
#include "platform/Timer.h"
#include "world/BuildItem.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/WorldGuard.h"
#include "platform/StringTable.h"
#include "render/IndexedMesh.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/support/TestSupport.h"
#include "world/Grid.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace {

// A flat mesh of the shipped packages, 2 units across: one cell, three at scale 3.
constexpr const char* SMALL_MESH = "data/mesh/splat.txt";

class BuildItemTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        TheMeshLibrary = library.get();
        TheGame->grid->ResetCells();
        for (int row = 0; row < 128; ++row)
            for (int column = 0; column < 128; ++column)
                game.grid->GetCell(column, row)->flags = CELL_WALKABLE | CELL_BUILDABLE;
    }
    void TearDown() override
    {
        game.buildItems->ClearCurrent();
        SceneTest::TearDown();
        game.grid->ResetCells();
    }
    // Reads the script text into the game's catalogue; returns the log.
    std::string Load(const std::string& text)
    {
        std::string path = MakeTempFolder("build") + "/buildItems.cgs";
        EXPECT_TRUE(WriteTextFile(path, text));
        LogCaptureBegin();
        EXPECT_TRUE(game.buildItems->Load(path.c_str()));
        return LogCaptureEnd();
    }
    // The preview of the named item at cell (column, row).
    Entity* Preview(const char* name, int column, int row, bool free = false)
    {
        EXPECT_TRUE(game.buildItems->SetCurrent(name, free));
        Entity* prototype = game.buildItems->current ? game.buildItems->current->prototype : nullptr;
        if (prototype) prototype->SetPosition(game.grid->CellToWorld(column, row));
        return prototype;
    }
    // A finished building of that definition holding cell (column, row).
    Building* Standing(const char* name, int column, int row)
    {
        Building* building = Built(game.buildItems->FindByName(name));
        building->SetPosition(game.grid->CellToWorld(column, row));
        game.grid->GetCell(column, row)->occupant = building;
        return building;
    }

    std::unique_ptr<MeshLibrary> library = std::make_unique<MeshLibrary>();
    PlayerProfile* player = GetPlayerProfile();
    ScopedGlobal<float> ore{player->ore, 500.0f};
    ScopedGlobal<float> fuel{player->fuel, 100.0f};
    ScopedGlobal<float> gained{player->oreGained, 0.0f};
    ScopedGlobal<UnitControlCount> power{TheScene.unitControl, UnitControlCount()};
};

}  // namespace

TEST_F(BuildItemTest, EveryKeywordSetsItsField)
{
    std::string units = MakeTempFolder("build-units") + "/units.cgs";
    ASSERT_TRUE(WriteTextFile(units, "DefineAgent gunner none.txt DefineAgent miner none.txt"));
    game.agentTypes->LoadUnitTypes(units.c_str(), nullptr);
    std::string log = Load(R"(
cost_ore 99
BuildItem factory data/mesh/splat.txt
    Costs 100 20 5
    cost_power -10
    buy_level 2
    build_time 30
    build_size 3 3
    icon data/gui/icons/factory.dds
    selected_sound building_select
    construction_state data/mesh/hopper_empty.txt
    repaired_mesh data/mesh/hopper_half.txt
    damage_state data/mesh/hopper_full.txt
    CollisionMesh data/mesh/splat.txt
    add_mesh data/mesh/flag.txt
    mesh_flag ROTATE
    offset 1 2 3
    mesh_flag osc_y
    SetFlag unitFactory
    SetFlag PlayerCanBuild
    SetFlag flying
    weapon plasma
    weapon banana
    category 4
    SetLevel 2
    BuildableUnit gunner
    BuildableUnit miner
    BuildableUnit nobody
    SetAlignment PLAYER
    SetComposition Mechanical
    SetHealth 800
    SetMaxHealth 900
    SetDamage 25
    shoot_offset 0 3 1
    particlesys smoke 0 4 0
    splats nest.dds nest_sn.dds
    AddOnType resourceDrop
    LONGDESC <none>
    SHORTDESC <no_such_tag>
BuildItem nest data/mesh/splat.txt
    mesh_flag rotate
    SetSpawnType spider
    SetSpawnCounts 12 3
    SpawnTimeBetween 20
    SetSpawnRadius 15
    iconsheet data/gui/icons/building_icons.dds 8 8 5 2
    SetAlignment Enemy
    setspawntype ignored
BuildItem power data/mesh/splat.txt
    resource_power 0
BuildItem generator data/mesh/splat.txt
    resource_power 5
BuildItem mine data/mesh/splat.txt
    resource_ore 0
BuildUpgrade hull_1
    Costs 150 30 0
    SetAlignment PLAYER
)");
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
    ASSERT_EQ(game.buildItems->items.count, 6);

    BuildItem* factory = game.buildItems->FindByName("factory");
    ASSERT_NE(factory, nullptr);
    ASSERT_NE(factory->prototype, nullptr);
    EXPECT_STREQ(factory->prototype->name, "factory");
    EXPECT_NE(factory->prototype->flags & ENTITY_BUILDING, 0u);
    EXPECT_EQ(static_cast<Building*>(factory->prototype)->definition, factory);
    EXPECT_EQ(TheScene.FindPrimitive("factory"), factory->prototype);
    EXPECT_EQ(factory->buyCost, 100);
    EXPECT_EQ(factory->costOre, 20);
    EXPECT_EQ(factory->costFuel, 5);
    EXPECT_EQ(factory->costPower, -10);
    EXPECT_EQ(factory->buyLevel, 2);
    EXPECT_FLOAT_EQ(factory->buildTime, 30.0f);
    EXPECT_EQ(factory->buildWidth, 3);
    EXPECT_EQ(factory->buildDepth, 3);
    EXPECT_STREQ(factory->iconName, "data/gui/icons/factory.dds");
    EXPECT_STREQ(factory->selectedSound, "building_select");
    EXPECT_EQ(factory->constructionMeshCount, 2);
    EXPECT_NE(factory->flags & BUILD_REPAIRABLE, 0u);
    EXPECT_EQ(factory->prototype->meshCount, 2) << "the damage state follows the mesh";
    EXPECT_NE(factory->prototype->collisionMesh, nullptr);
    ASSERT_EQ(factory->addedMeshCount, 1);
    EXPECT_EQ(factory->addedMeshFlags[0], BUILD_ROTATE | BUILD_OSC_Y);
    EXPECT_EQ(factory->addedMeshOffsets[0], Vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(factory->flags & (BUILD_UNIT_FACTORY | BUILD_PLAYER_CAN_BUILD | BUILD_PARTICLES | BUILD_ROTATE),
              BUILD_UNIT_FACTORY | BUILD_PLAYER_CAN_BUILD | BUILD_PARTICLES)
        << "flag words in any case; the mesh flag went to the added mesh";
    EXPECT_EQ(factory->weapon, WEAPON_PLASMA);
    EXPECT_EQ(factory->category, 4);
    EXPECT_EQ(factory->level, 2);
    ASSERT_NE(factory->units, nullptr);
    EXPECT_EQ(factory->units->count, 3);
    EXPECT_STREQ(factory->units->head->value.name, "gunner");
    EXPECT_EQ(game.agentTypes->FindType("gunner")->producer, factory);
    EXPECT_EQ(game.agentTypes->FindType("miner")->producer, factory);
    EXPECT_EQ(factory->prototype->alignment, ALIGN_PLAYER);
    EXPECT_EQ(factory->prototype->composition, COMPOSITION_MECHANICAL);
    EXPECT_FLOAT_EQ(factory->prototype->health, 800.0f);
    EXPECT_FLOAT_EQ(factory->prototype->maxHealth, 900.0f);
    EXPECT_FLOAT_EQ(factory->prototype->damage, 25.0f);
    EXPECT_EQ(factory->prototype->attachOffset, Vec3(0.0f, 3.0f, 1.0f));
    EXPECT_STREQ(factory->particleSystem, "smoke");
    EXPECT_EQ(factory->particleOffset, Vec3(0.0f, 4.0f, 0.0f));
    EXPECT_STREQ(factory->splatTextures[0], "nest.dds");
    EXPECT_STREQ(factory->splatTextures[1], "nest_sn.dds");
    EXPECT_EQ(factory->addOnFlags, ADD_ON_RESOURCE_DROP);
    EXPECT_STREQ(factory->shortDescription, GameText("<unknown>"));

    BuildItem* nest = game.buildItems->FindByName("nest");
    EXPECT_NE(nest->flags & BUILD_ROTATE, 0u) << "no mesh added: the item's own flag";
    EXPECT_NE(nest->flags & BUILD_SPAWNPOINT, 0u);
    EXPECT_STREQ(nest->spawnType, "spider") << "the spawn keywords keep their case";
    EXPECT_EQ(nest->spawnCounts[0], 3);
    EXPECT_EQ(nest->spawnCounts[1], 12);
    EXPECT_FLOAT_EQ(nest->spawnInterval, 20.0f);
    EXPECT_FLOAT_EQ(nest->spawnRadius, 15.0f);
    EXPECT_EQ(nest->iconCell, 0x08080502);
    EXPECT_EQ(nest->prototype->alignment, ALIGN_NEUTRAL) << "a misspelt side is neutral";

    EXPECT_EQ(game.buildItems->FindByName("power")->flags & BUILD_RESOURCE, 0u);
    EXPECT_NE(game.buildItems->FindByName("generator")->flags & BUILD_RESOURCE, 0u);
    EXPECT_NE(game.buildItems->FindByName("mine")->flags & BUILD_RESOURCE, 0u);
    EXPECT_EQ(game.buildItems->FindByName("Factory"), nullptr) << "names keep their case";

    BuildItem* hull = game.buildItems->FindByName("hull_1");
    ASSERT_NE(hull, nullptr) << "an upgrade keeps its name";
    EXPECT_EQ(hull->prototype, nullptr);
    EXPECT_NE(hull->flags & BUILD_UPGRADE_RECORD, 0u);
    EXPECT_EQ(hull->buyCost, 150);
    EXPECT_EQ(hull->costOre, 30);

    hull->flags |= BUILD_AI_CAN_BUILD;
    game.buildItems->MarkAll();
    EXPECT_NE(factory->flags & BUILD_MARKED, 0u);
    EXPECT_EQ(hull->flags & BUILD_MARKED, 0u) << "what the computer builds is never marked";
    game.buildItems->ClearMarks();
    EXPECT_EQ(factory->flags & BUILD_MARKED, 0u);
}

TEST_F(BuildItemTest, ABuildingWithoutItsMeshIsLeftOutAndChangesNothing)
{
    std::string log = Load(R"(
BuildItem first data/mesh/splat.txt
    cost_ore 10
BuildItem broken data/mesh/no_such_building.txt
    cost_ore 999
    SetHealth 1
    SetFlag turret
BuildItem third data/mesh/splat.txt
    cost_ore 30
)");
    ASSERT_EQ(game.buildItems->items.count, 2);
    EXPECT_EQ(game.buildItems->FindByName("broken"), nullptr);
    BuildItem* first = game.buildItems->FindByName("first");
    EXPECT_EQ(first->costOre, 10);
    EXPECT_FLOAT_EQ(first->prototype->health, 100.0f);
    EXPECT_EQ(first->flags & BUILD_TURRET, 0u);
    EXPECT_EQ(game.buildItems->FindByName("third")->costOre, 30);
    EXPECT_NE(log.find("WARNING: buildItems.cgs line 4: BuildItem broken: no building can be made"), std::string::npos)
        << log;
}

TEST_F(BuildItemTest, FullListsRefuseMoreWithAWarning)
{
    std::string text = "BuildItem packed data/mesh/splat.txt\n";
    for (int i = 0; i < 4; ++i) text += "add_mesh data/mesh/flag.txt\nconstruction_state data/mesh/flag.txt\n";
    for (int i = 0; i < MAX_BUILDABLE_UNITS + 1; ++i) text += "BuildableUnit u" + std::to_string(i) + "\n";
    for (int i = 0; i < MAX_BUILD_ITEMS; ++i) text += "BuildUpgrade up" + std::to_string(i) + " cost_ore " + std::to_string(i) + "\n";
    text += "BuildItem " + std::string(200, 'n') + " data/mesh/splat.txt\n";
    std::string log = Load(text);
    BuildItem* packed = game.buildItems->FindByName("packed");
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(packed->addedMeshCount, BUILD_ITEM_MESHES);
    EXPECT_EQ(packed->constructionMeshCount, BUILD_ITEM_MESHES);
    EXPECT_EQ(packed->units->count, MAX_BUILDABLE_UNITS);
    EXPECT_EQ(game.buildItems->items.count, MAX_BUILD_ITEMS);
    EXPECT_EQ(game.buildItems->items.tail->value->costOre, MAX_BUILD_ITEMS - 2) << "the one left out changes nothing";
    for (const char* warning : {"already has 3 meshes; data/mesh/flag.txt is left out", "already makes 32 units",
                                "more than 64 build items"})
        EXPECT_NE(log.find(warning), std::string::npos) << warning << "\n" << log;
}

TEST_F(BuildItemTest, BrokenScriptsLoadWhatTheyCan)
{
    struct Case {
        const char* what;
        const char* text;
        int items;
    };
    const Case table[] = {
        {"empty", "", 0},
        {"a block cut short", "BuildItem", 0},
        {"numbers cut off", "BuildUpgrade a Costs 100 20", 1},
        {"particles cut off", "BuildItem a data/mesh/splat.txt particlesys", 1},
        {"an unclosed comment", "BuildUpgrade a /* BuildUpgrade b", 1},
        {"noise", "BuildUpgrade a \x01\xfe cost_ore \x7f build_size 9", 1},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        int before = game.buildItems->items.count;
        Load(c.text);
        EXPECT_EQ(game.buildItems->items.count - before, c.items);
    }
    EXPECT_FALSE(game.buildItems->Load("data/scripts/no_such_build_items.cgs"));
}

TEST_F(BuildItemTest, FootprintsAndWherePreviewsMayStand)
{
    Load(R"(
BuildItem depot data/mesh/splat.txt
    SetFlag resourceDrop
    cost_ore 100
    cost_fuel 10
    cost_power -5
BuildItem pump data/mesh/splat.txt
    SetFlag deepmine
BuildItem node data/mesh/splat.txt
    SetFlag buildnode
BuildItem tower data/mesh/splat.txt
    SetFlag requiresbuildnode
BuildItem silo data/mesh/splat.txt
    SetFlag addOn
    AddOnType resourceDrop
)");
    BuildItemList& list = *game.buildItems;
    EXPECT_FALSE(list.CanPlaceCurrent()) << "no preview";
    EXPECT_EQ(list.CurrentRefusal(), PLACEMENT_NO_PREVIEW);
    EXPECT_FALSE(list.SetCurrent("nothing", false));

    // One cell, then three by three at scale 3.
    Entity* depot = Preview("depot", 64, 64);
    ASSERT_NE(depot, nullptr);
    EXPECT_EQ(TheScene.FirstEntity(1u << SEGMENT_NEUTRAL_BUILDING), nullptr) << "the hand's, not the level's";
    TheScene.EndIteration();
    int x0, y0, x1, y1;
    ASSERT_TRUE(depot->GetGridFootprint(&x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 64);
    EXPECT_EQ(y1, 64);
    depot->scale = 3.0f;
    ASSERT_TRUE(depot->GetGridFootprint(&x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 63);
    EXPECT_EQ(y0, 63);
    EXPECT_EQ(x1, 65);
    EXPECT_EQ(y1, 65);
    EXPECT_TRUE(list.CanPlaceCurrent());

    // Every cell of the footprint must be free and buildable, and the player must afford it.
    struct Stock {
        const char* what;
        float ore, fuel, demand;
        PlacementRefusal refusal;
    };
    for (const Stock& s : {Stock{"exactly enough", 100, 10, 0, PLACEMENT_ALLOWED},
                           Stock{"short of ore", 99, 10, 0, PLACEMENT_UNAFFORDABLE},
                           Stock{"short of fuel", 100, 9, 0, PLACEMENT_UNAFFORDABLE},
                           Stock{"less power spare than it draws", 100, 10, 16, PLACEMENT_NO_POWER},
                           Stock{"just the power it draws spare", 100, 10, 15, PLACEMENT_ALLOWED}}) {
        SCOPED_TRACE(s.what);
        player->ore = s.ore;
        player->fuel = s.fuel;
        TheScene.unitControl.demand = s.demand;
        EXPECT_EQ(list.CanPlaceCurrent(), s.refusal == PLACEMENT_ALLOWED);
        EXPECT_EQ(list.CurrentRefusal(), s.refusal);
    }
    player->ore = 0.0f;
    EXPECT_TRUE(game.buildItems->SetCurrent("depot", true));
    depot->SetPosition(game.grid->CellToWorld(64, 64));
    EXPECT_TRUE(list.CanPlaceCurrent()) << "free placement asks for nothing";
    game.grid->GetCell(65, 63)->flags = CELL_WALKABLE;
    EXPECT_FALSE(list.CanPlaceCurrent()) << "a corner that is not buildable";
    EXPECT_EQ(list.CurrentRefusal(), PLACEMENT_BLOCKED);
    game.grid->GetCell(65, 63)->flags = CELL_WALKABLE | CELL_BUILDABLE;
    Entity blocker;
    game.grid->GetCell(63, 65)->occupant = &blocker;
    EXPECT_FALSE(list.CanPlaceCurrent()) << "a corner taken";
    EXPECT_EQ(list.CurrentRefusal(), PLACEMENT_BLOCKED);
    game.grid->GetCell(63, 65)->occupant = nullptr;
    depot->SetPosition(game.grid->CellToWorld(127, 20));
    EXPECT_FALSE(list.CanPlaceCurrent()) << "hanging over the edge of the map";
    depot->scale = 1.0f;

    // A deep mine needs a vent beside it.
    Preview("pump", 30, 30, true);
    EXPECT_FALSE(list.CanPlaceCurrent());
    EXPECT_EQ(list.CurrentRefusal(), PLACEMENT_NO_FUEL_VENT);
    Entity vent;
    game.grid->GetCell(31, 29)->flags |= CELL_FUEL;
    game.grid->GetCell(31, 29)->occupant = &vent;
    EXPECT_TRUE(list.CanPlaceCurrent());
    game.buildItems->current->prototype->SetPosition(game.grid->CellToWorld(40, 30));
    EXPECT_FALSE(list.CanPlaceCurrent()) << "moved away from it";
    game.grid->GetCell(31, 29)->occupant = nullptr;

    // A tower needs a build node in the ring around it.
    Preview("tower", 40, 40, true);
    EXPECT_FALSE(list.CanPlaceCurrent());
    EXPECT_EQ(list.CurrentRefusal(), PLACEMENT_NO_BUILD_NODE);
    Standing("node", 42, 40);
    EXPECT_FALSE(list.CanPlaceCurrent()) << "two cells away is too far";
    Standing("node", 41, 41);
    EXPECT_TRUE(list.CanPlaceCurrent());

    // An add-on stands beside what it serves (not at a corner) and turns away from it.
    Entity* silo = Preview("silo", 50, 50, true);
    Standing("depot", 51, 51);
    EXPECT_FALSE(list.CanPlaceCurrent()) << "only a diagonal neighbour";
    Standing("node", 49, 50);
    EXPECT_FALSE(list.CanPlaceCurrent()) << "a neighbour it does not serve";
    EXPECT_EQ(list.CurrentRefusal(), PLACEMENT_NO_NEIGHBOUR);
    Standing("depot", 50, 49);
    EXPECT_TRUE(list.CanPlaceCurrent());
    EXPECT_FLOAT_EQ(silo->yaw, 90.0f) << "facing away from the depot below it";

    list.ClearCurrent();
    EXPECT_EQ(list.current, nullptr);
    EXPECT_EQ(TheScene.FirstEntity(1u << SEGMENT_NEUTRAL_BUILDING), nullptr) << "the preview left the level";
    TheScene.EndIteration();

    // A preview still shown when the level ends leaves with it.
    Preview("depot", 64, 64);
    game.EndLevel();
    EXPECT_EQ(list.current, nullptr);
    EXPECT_EQ(TheScene.FirstEntity(1u << SEGMENT_NEUTRAL_BUILDING), nullptr);
    TheScene.EndIteration();
}

TEST_F(BuildItemTest, ARefusalOverGroundNotSeenYetSaysSo)
{
    Load(R"(
BuildItem pump data/mesh/splat.txt
    SetFlag deepmine
)");
    // The west half of the map is still dark.
    struct HalfDark : NullGameSeam {
        bool IsPositionRevealed(const Vec3& position) override { return position.x > 0.0f; }
    } seam;
    ScopedGameSeam installed(&seam);
    BuildItemList& list = *game.buildItems;
    const struct {
        int column;
        bool vent;
        PlacementRefusal refusal;
    } cases[] = {
        {100, false, PLACEMENT_NO_FUEL_VENT}, {100, true, PLACEMENT_ALLOWED},
        {20, false, PLACEMENT_NOT_SEEN},      {20, true, PLACEMENT_ALLOWED},
    };
    Entity vent;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.column) + (c.vent ? " beside a vent" : " with no vent"));
        ASSERT_GT(game.grid->CellToWorld(100, 30).x, 0.0f);
        ASSERT_LT(game.grid->CellToWorld(21, 30).x, 0.0f);
        GridCell* beside = game.grid->GetCell(c.column + 1, 29);
        beside->flags = c.vent ? CELL_FUEL : (CELL_WALKABLE | CELL_BUILDABLE);
        beside->occupant = c.vent ? &vent : nullptr;
        Preview("pump", c.column, 30, true);
        EXPECT_EQ(list.CurrentRefusal(), c.refusal);
        EXPECT_NE(*PlacementRefusalText(c.refusal) != '\0', c.refusal == PLACEMENT_ALLOWED);
        beside->flags = CELL_WALKABLE | CELL_BUILDABLE;
        beside->occupant = nullptr;
    }
}

TEST_F(BuildItemTest, WhatDrawsPowerNeedsItSpareAndAGeneratorCanAlwaysBeBuilt)
{
    Load(R"(
BuildItem generator data/mesh/splat.txt
    resource_power 25
BuildItem tower data/mesh/splat.txt
    SetFlag unitcontrol
    cost_power -5
BuildItem factory data/mesh/splat.txt
    SetAlignment PLAYER
    cost_power -10
)");
    // Spare power (20 supplied, as much drawn as the demand and what is going up) against what
    // each draws: nothing, 5, 10.
    struct Case {
        float demand, pending;
        bool tower, factory;
    } cases[] = {{30, 0, false, false}, {20, 0, false, false}, {15, 0, true, false}, {5, 5, true, true}, {5, 6, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "demand " << c.demand << ", pending " << c.pending);
        TheScene.unitControl.demand = c.demand;
        TheScene.unitControl.pending = c.pending;
        for (auto [name, placeable] : {std::pair{"generator", true}, std::pair{"tower", c.tower}, std::pair{"factory", c.factory}}) {
            Preview(name, 64, 64);
            EXPECT_EQ(game.buildItems->CanPlaceCurrent(), placeable) << name;
        }
    }
    // A factory going up has its power spoken for, at once and in the count of every frame.
    TheScene.unitControl = UnitControlCount();
    Preview("factory", 20, 20);
    ASSERT_NE(PlaceBuildingFromItem(game.buildItems->CurrentPlacement()), nullptr);
    EXPECT_FLOAT_EQ(TheScene.unitControl.pending, 10.0f);
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    EXPECT_FLOAT_EQ(TheScene.unitControl.pending, 10.0f);
}

TEST_F(BuildItemTest, PlacingPaysBuildsAndCancels)
{
    Load(R"(
BuildItem depot data/mesh/splat.txt
    cost_ore 100
    cost_fuel 10
    construction_state data/mesh/hopper_empty.txt
    SetAlignment PLAYER
    SetHealth 400
    SetDamage 7
    shoot_offset 0 2 0
BuildItem pump data/mesh/splat.txt
    SetFlag deepmine
    SetAlignment ENEMY
)");
    EXPECT_EQ(PlaceBuildingFromItem(BuildPlacement()), nullptr) << "no item";
    BuildItem* depot = game.buildItems->FindByName("depot");
    EXPECT_TRUE(PlayerCanAfford(depot));
    player->ore = 99.0f;
    EXPECT_FALSE(PlayerCanAfford(depot));
    EXPECT_FALSE(PlayerCanAfford(nullptr));
    player->ore = 500.0f;

    Preview("depot", 64, 64);
    Building* building = PlaceBuildingFromItem(game.buildItems->CurrentPlacement());
    ASSERT_NE(building, nullptr);
    EXPECT_NE(building, game.buildItems->current->prototype);
    EXPECT_STREQ(building->name, "depot");
    EXPECT_EQ(building->definition, depot);
    EXPECT_EQ(building->alignment, ALIGN_PLAYER);
    EXPECT_EQ(building->buildState, BUILD_STATE_CONSTRUCTING);
    EXPECT_EQ(building->mesh, depot->constructionMeshes[0]) << "the scaffold shows";
    EXPECT_EQ(building->meshStates[0], depot->prototype->mesh) << "the finished mesh waits";
    EXPECT_FLOAT_EQ(building->health, 400.0f);
    EXPECT_FLOAT_EQ(building->damage, 7.0f);
    EXPECT_EQ(building->attachOffset, Vec3(0.0f, 2.0f, 0.0f));
    EXPECT_EQ(building->GetPosition(), game.grid->CellToWorld(64, 64));
    EXPECT_EQ(TheScene.FirstEntity(1u << SEGMENT_BUILDING), building);
    TheScene.EndIteration();
    EXPECT_FLOAT_EQ(player->ore, 400.0f);
    EXPECT_FLOAT_EQ(player->fuel, 90.0f);

    // The player's building has its decal over its cell.
    Entity* splat = building->attachedEntity.entity;
    ASSERT_NE(splat, nullptr);
    EXPECT_STREQ(splat->name, "buildingSplat");
    EXPECT_NE(splat->flags & ENTITY_SPLAT, 0u);
    ASSERT_NE(splat->mesh, nullptr);
    EXPECT_EQ(splat->mesh->materials[0].VertexCount(), 4);
    EXPECT_STREQ(splat->mesh->materials[0].textureName, "Data/textures/Splats/splat_building.dds");

    CancelConstruction(building);
    EXPECT_FLOAT_EQ(player->ore, 500.0f);
    EXPECT_FLOAT_EQ(player->fuel, 100.0f);
    EXPECT_NE(building->flags & ENTITY_DEAD, 0u);
    EXPECT_FLOAT_EQ(building->health, 0.0f);
    CancelConstruction(building);
    EXPECT_FLOAT_EQ(player->ore, 500.0f) << "only once";

    // Placed free, it stands finished and costs nothing; an enemy's gets no decal; a deep mine
    // takes the vent it stands by.
    Entity vent;
    game.grid->GetCell(20, 21)->flags |= CELL_FUEL;
    game.grid->GetCell(20, 21)->occupant = &vent;
    Preview("pump", 20, 20, true);
    Building* pump = PlaceBuildingFromItem(game.buildItems->CurrentPlacement());
    ASSERT_NE(pump, nullptr);
    EXPECT_EQ(pump->buildState, BUILD_STATE_READY);
    EXPECT_EQ(pump->attachedEntity.entity, nullptr);
    EXPECT_EQ(pump->linkedEntity.entity, &vent);
    EXPECT_FLOAT_EQ(player->ore, 500.0f);
    game.grid->GetCell(20, 21)->occupant = nullptr;
}

TEST_F(BuildItemTest, WhatTheHandHoldsChangesNothingOfTheLevelAndTheTickPlacesIt)
{
    Load(R"(
BuildItem depot data/mesh/splat.txt
    SetFlag resourceDrop
    SetAlignment PLAYER
BuildItem pump data/mesh/splat.txt
    SetFlag deepmine
BuildItem silo data/mesh/splat.txt
    SetFlag addOn
    AddOnType resourceDrop
)");
    Standing("depot", 50, 49);
    Entity vent;
    game.grid->GetCell(31, 29)->flags |= CELL_FUEL;
    game.grid->GetCell(31, 29)->occupant = &vent;
    const unsigned numbers = NextEntityId, drawn = RandState();

    // Taken, carried over the level, tested and let go while the level is played between
    // ticks: the world is sealed and nothing stops.
    {
        SealWorld(true);
        for (const char* name : {"pump", "silo", "depot"})
            for (int column = 28; column < 52; column += 3) {
                Preview(name, column, column == 49 ? 50 : 30);
                game.buildItems->CanPlaceCurrent();
            }
        Preview("silo", 50, 50);
        EXPECT_TRUE(game.buildItems->CanPlaceCurrent());
        game.buildItems->ClearCurrent();
        SealWorld(false);
    }
    EXPECT_EQ(NextEntityId, numbers) << "nothing numbered";
    EXPECT_EQ(RandState(), drawn) << "nothing drawn";
    EXPECT_EQ(TheScene.FirstEntity(1u << SEGMENT_NEUTRAL_BUILDING), nullptr) << "nothing listed";
    TheScene.EndIteration();

    // The placement the order carries stands where it says and turns as the test found, however
    // the hand last held the prototype.
    BuildPlacement placement;
    placement.item = game.buildItems->FindByName("silo");
    placement.point = game.grid->CellToWorld(50, 50);
    placement.free = true;
    placement.item->prototype->SetPosition(game.grid->CellToWorld(10, 10));
    placement.item->prototype->yaw = 33.0f;
    const WorldTickScope tick(WorldClock::TICK);
    ASSERT_TRUE(CanPlace(&placement));
    Building* silo = PlaceBuildingFromItem(placement);
    ASSERT_NE(silo, nullptr);
    EXPECT_EQ(silo->GetPosition(), game.grid->CellToWorld(50, 50));
    EXPECT_FLOAT_EQ(silo->yaw, 90.0f);
    game.grid->GetCell(31, 29)->occupant = nullptr;
}
