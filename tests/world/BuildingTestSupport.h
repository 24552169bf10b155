#pragma once
// A world for the building tests: the open-ground world with a power ledger, the player's
// record and the settings of the test's own, a mesh library over the shipped meshes (so units
// can be made), and a clock that moves one frame at a time.
#include "campaign/PlayerProfile.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "host/System.h"
#include "mechanics/Game.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/MeshLibrary.h"
#include "tests/world/WorldTestSupport.h"
#include "world/BuildItem.h"
#include "world/Building.h"

#include <memory>

class BuildingWorld : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        library = std::make_unique<MeshLibrary>();
        TheMeshLibrary = library.get();
        config.Difficulty = 1;
    }
    void TearDown() override
    {
        WorldTest::TearDown();
        TheMeshLibrary = nullptr;
        library.reset();
    }

    // A unit type on the shipped walker mesh.
    AgentType* DefineUnit(const char* name, int alignment, int oreCost = 0, int fuelCost = 0, float buildTime = 1.0f)
    {
        Agent* prototype = game.agentTypes->TakeFreeAgent();
        CopyText(prototype->name, sizeof prototype->name, name);
        prototype->mesh = TheMeshLibrary->GetMesh("data/mesh/walker.txt", 0, true, false);
        prototype->meshStates[0] = prototype->mesh;
        prototype->meshCount = 1;
        prototype->alignment = alignment;
        prototype->SetMaxHealth(100.0f);
        prototype->SetHealth(100.0f);
        game.agentTypes->prototypes.PushBack(prototype);
        AgentType* type = game.agentTypes->DefineType(prototype, name);
        type->oreCost = oreCost;
        type->fuelCost = fuelCost;
        type->buildTime = buildTime;
        return type;
    }
    // A building of that definition and side in the level, standing on cell (column, row).
    Building* Put(BuildItem* definition, int alignment, int column, int row, int state = BUILD_STATE_READY)
    {
        Building* building = Standing(NewBuilding(alignment), column, row);
        building->definition = definition;
        building->buildState = state;
        EXPECT_NE(TheScene.AddEntity(building), nullptr);
        return building;
    }
    // Frames of `step` seconds until `seconds` have passed; every frame ticks the buildings.
    void Run(Building* building, float seconds, float step = 0.2f)
    {
        for (float t = 0.0f; t < seconds - 0.0001f; t += step) Frame(building, step);
    }
    void Frame(Building* building, float step)
    {
        const WorldTickScope tick(step);
        building->Update();
    }

    std::unique_ptr<MeshLibrary> library;
    // Every test starts from a fresh level's ledger, and leaves the level's as it found it.
    ScopedGlobal<PowerLedger> savedLedger{TheScene.power, PowerLedger()};
    PowerLedger& ledger = TheScene.power;
    ScopedClearProfile clearProfile;
    ConfigFile config{nullptr};
    ScopedGlobal<ConfigFile*> installedConfig{Config, &config};
    ScopedGlobal<float> savedDelta{FrameTimer.delta};
    ScopedGlobal<int> savedFrame{FrameTimer.frameCount};
    ScopedGlobal<bool> savedPause{GamePaused, false};
    ScopedGlobal<bool> savedInstant{InstantBuild, false};
};
