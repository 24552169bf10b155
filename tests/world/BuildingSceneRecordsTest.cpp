// A building's scene lines: the exact text a save holds, and every state read back the same
// (write, read, write again, compare).
#include "tests/support/TestSupport.h"
#include "tests/world/BuildingTestSupport.h"
#include "world/AgentTypeRegistry.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

class BuildingSceneRecords : public BuildingWorld {
protected:
    void SetUp() override
    {
        BuildingWorld::SetUp();
        folder = MakeTempFolder("buildingrecords");
    }
    // A catalogue item with a prototype, so the scene reader can make its buildings.
    BuildItem* Item(const char* name, uint32_t flags)
    {
        auto prototype = std::make_unique<Entity>();
        CopyText(prototype->name, sizeof prototype->name, name);
        prototype->scale = 1.0f;
        prototype->alignment = ALIGN_PLAYER;
        BuildItem* item = game.buildItems->Add(prototype.get(), nullptr);
        item->flags = flags;
        prototypes.push_back(std::move(prototype));
        return item;
    }
    std::string Lines(Building* building)
    {
        std::string path = folder + "/one.scn";
        FILE* file = fopen(path.c_str(), "w");
        EXPECT_NE(file, nullptr);
        if (!file) return "";
        building->SaveToScene(file);
        fclose(file);
        return SceneLinesOnly(ReadTextFile(path));
    }
    // The building the file makes when read into an empty level.
    Building* ReadBack(const std::string& text)
    {
        TheScene.ReleaseEntities();
        std::string path = folder + "/read.scn";
        EXPECT_TRUE(WriteTextFile(path, text));
        EXPECT_TRUE(TheScene.ReadSceneFile(path.c_str()));
        Scene::Node* node = TheScene.FirstInList(SEGMENT_BUILDING);
        if (!node) node = TheScene.FirstInList(SEGMENT_ENEMY_BUILDING);
        return node ? static_cast<Building*>(node->value) : nullptr;
    }

    std::string folder;
    std::vector<std::unique_ptr<Entity>> prototypes;
};

}  // namespace

TEST_F(BuildingSceneRecords, AFactoryWritesItsExactLines)
{
    AgentType* tank = DefineUnit("tank", ALIGN_PLAYER);
    AgentType* scout = DefineUnit("scout", ALIGN_PLAYER);
    Building* factory = Put(Item("works", BUILD_UNIT_FACTORY), ALIGN_PLAYER, 12, 34);
    CopyText(factory->name, sizeof factory->name, "works");
    factory->SetMaxHealth(500.0f);
    factory->SetHealth(250.0f);
    factory->scale = 1.5f;
    factory->discovered = 1;
    factory->rallyPoint = Corner(20, 30);
    factory->stateFlags |= BUILDING_RALLY_POINT;
    factory->EnsureBuildQueue()->PushBack(tank);
    factory->buildQueue->PushBack(scout);
    factory->productionTimer = 2.5f;
    EXPECT_EQ(Lines(factory),
              "AddBuilding\t\t\tworks\n"
              "SetName\t\t\t\tworks\n"
              "SetBothHealth\t\t\t250 500\n"
              "SetScale\t\t\t1.5 1.5 1.5\n"
              "SetMapCoord\t\t\t12 34\n"
              "SetAlignment\t\tPLAYER\n"
              "SetVisited\t\t1\n"
              "RallyPoint\t\t\t20 30\n"
              "BuildQueue\t2\t2.500\ttank  scout  \n"
              "\n");
    factory->buildQueue->Clear();
    factory->yaw = 90.0f;
    factory->stateFlags &= ~BUILDING_RALLY_POINT;
    factory->alignment = ALIGN_NEUTRAL;
    factory->discovered = 0;
    EXPECT_EQ(Lines(factory),
              "AddBuilding\t\t\tworks\n"
              "SetName\t\t\t\tworks\n"
              "SetBothHealth\t\t\t250 500\n"
              "SetRotate\t\t\t90\n"
              "SetScale\t\t\t1.5 1.5 1.5\n"
              "SetMapCoord\t\t\t12 34\n"
              "SetAlignment\t\tNEUTRAL\n"
              "\n")
        << "an empty queue writes no production line";
}

TEST_F(BuildingSceneRecords, EveryStateReadsBackTheSame)
{
    DefineUnit("tank", ALIGN_PLAYER);
    DefineUnit("scout", ALIGN_PLAYER);
    BuildItem* works = Item("works", BUILD_UNIT_FACTORY);
    BuildItem* lab = Item("lab", BUILD_RESEARCH_COMPUTER);
    BuildItem* wall = Item("wall", 0);
    struct Case {
        const char* name;
        BuildItem* item;
        const char* records;
    } cases[] = {
        {"constructing", wall, "BuildState\t\t\tConstructing\t3.2500\n"},
        {"disabled", wall, "BuildState\t\t\tDisabled\t\t7.0000\n"},
        {"queue", works, "RallyPoint\t\t\t20 30\nBuildQueue\t3\t1.250\ttank  scout  tank  \n"},
        {"research", lab, "Research\t4\t12.50\n"},
        {"plain", wall, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = std::string("AddBuilding\t\t\t") + c.item->name + "\nSetName\t\t\t\t" + c.item->name +
                           "\nSetBothHealth\t\t\t80 100\nSetScale\t\t\t1 1 1\nSetMapCoord\t\t\t40 41\n"
                           "SetAlignment\t\tENEMY\nSetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n" +
                           c.records + "\n";
        Building* building = ReadBack(text);
        ASSERT_NE(building, nullptr);
        EXPECT_EQ(Lines(building), text);
    }
    // A queue longer than a factory holds keeps its first eight.
    Building* factory = ReadBack("AddBuilding works\nBuildQueue 12 1.0 tank tank tank tank tank tank tank tank tank "
                                 "tank tank tank\n");
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->buildQueue->count, BUILD_QUEUE_NODES);
}

TEST_F(BuildingSceneRecords, BrokenRecordsLeaveTheBuildingAsItWas)
{
    DefineUnit("tank", ALIGN_PLAYER);
    Item("works", BUILD_UNIT_FACTORY);
    struct Case {
        const char* text;
        int queued;
        int state;
        float progress;
    } cases[] = {
        {"BuildQueue 2 1.5 tank ghost\n", 1, BUILD_STATE_READY, 0.0f},  // an unknown type is left out
        {"BuildQueue tank\n", 0, BUILD_STATE_READY, 0.0f},             // no count: nothing queued
        {"BuildQueue -3 1.0 tank\n", 0, BUILD_STATE_READY, 0.0f},      // a count below 0
        {"BuildState Sleeping 2.0\n", 0, BUILD_STATE_READY, 0.0f},     // an unknown state
        {"BuildState Constructing\n", 0, BUILD_STATE_CONSTRUCTING, 0.0f},
        {"BuildQueue 5 2.0 tank", 1, BUILD_STATE_READY, 0.0f},  // the file ends inside the record
        {"RallyPoint 3\n", 0, BUILD_STATE_READY, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Building* factory = ReadBack(std::string("AddBuilding works\n") + c.text);
        ASSERT_NE(factory, nullptr);
        EXPECT_EQ(factory->buildQueue ? factory->buildQueue->count : 0, c.queued);
        EXPECT_EQ(factory->buildState, c.state);
        EXPECT_FLOAT_EQ(factory->buildProgress, c.progress);
        EXPECT_FALSE(factory->stateFlags & BUILDING_RALLY_POINT);
    }
}

TEST_F(BuildingSceneRecords, AnUpgraderWritesTheUnitItHoldsAfterItsChoices)
{
    DefineUnit("bot", ALIGN_PLAYER);
    Building* upgrader = Put(Item("upgrader", BUILD_UNIT_UPGRADER), ALIGN_PLAYER, 12, 34);
    Agent* bot = TheScene.CreateAgent("bot", true);
    ASSERT_NE(bot, nullptr);
    TheScene.UnlinkEntity(bot);
    upgrader->linkedEntity.Set(bot);
    upgrader->chosenUpgrades = UNIT_UPGRADE_SHIELD_1 | UNIT_UPGRADE_HULL_1;
    std::string lines = Lines(upgrader);
    size_t choices = lines.find("UpgraderFlags\t272\n");
    ASSERT_NE(choices, std::string::npos) << lines;
    EXPECT_EQ(lines.find("AddAgent", choices), choices + strlen("UpgraderFlags\t272\n")) << lines;
    TheScene.AddEntity(bot);
}
