#pragma once
// A world for the Scene's tests: the game object with its grid, agent pool and build catalogue
// as the current game, the Scene's lists empty, and everything the test put in the level let
// go of afterwards (agents back to the pool, the rest freed).
#include "campaign/PlayerProfile.h"
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/Timer.h"
#include "render/MeshLibrary.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <string>

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheScene.InitLists());
        game.CreateCatalogues();
        TheScene.ReleaseEntities();
        TheScene.firstFrame = false;
        TheOrders.Clear();
        // The units in use and the level's tally of power and control as before any count:
        // what an earlier test's level counted never reaches this one's.
        if (PlayerProfile* profile = GetPlayerProfile()) profile->unitsInUse = 0;
        TheScene.unitControl = UnitControlCount();
    }
    void TearDown() override
    {
        TheOrders.Clear();
        TheScene.EndIteration();
        TheScene.ReleaseEntities();
    }
    // The next tick of the world, as the game's loop runs it: the orders given since the last
    // one carried out, then the world's rules for a tick.
    static void NextTick() { TheGame->RunWorldTick(WorldClock::TICK); }

    // An agent of the pool, not in the level yet.
    Agent* NewAgent(int alignment, bool air = false)
    {
        Agent* agent = game.agentTypes->TakeFreeAgent();
        EXPECT_NE(agent, nullptr);
        if (!agent) return nullptr;
        agent->alignment = alignment;
        if (air) agent->classWord |= AGENT_CLASS_AIR_UNIT;
        return agent;
    }
    Building* NewBuilding(int alignment)
    {
        Building* building = new Building();
        building->alignment = alignment;
        return building;
    }
    Entity* NewEntity(uint32_t flags)
    {
        Entity* entity = new Entity();
        entity->flags |= flags;
        return entity;
    }
    // On the x axis at x.
    template <class T>
    T* Place(T* entity, float x)
    {
        entity->SetPosition(Vec3(x, 0.0f, 0.0f));
        return entity;
    }
    // A build catalogue entry (without a prototype).
    BuildItem* Definition(const char* name, uint32_t flags)
    {
        BuildItem* item = game.buildItems->Add(nullptr, name);
        item->flags = flags;
        return item;
    }
    // A finished building of the player's of that definition, in the level.
    Building* Built(BuildItem* definition)
    {
        Building* building = NewBuilding(ALIGN_PLAYER);
        building->definition = definition;
        EXPECT_NE(TheScene.AddEntity(building), nullptr);
        return building;
    }

    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedGlobal<MeshLibrary*> meshes{TheMeshLibrary, nullptr};
};
