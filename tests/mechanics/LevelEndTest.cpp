// The end of a level: what the player keeps, what goes back to its pool, what is freed, and
// that nothing the next level draws with is taken away.
#include "platform/Timer.h"
#include "mechanics/GameMechanics.h"

#include "interface/PowerBar.h"
#include "mechanics/Scene.h"
#include "render/IndexedMesh.h"
#include "world/AiBrain.h"
#include "world/Grid.h"
#include "tests/mechanics/SceneTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using LevelEnd = SceneTest;

// Entities of the Scene's lists, markers left out.
int CountInScene()
{
    int count = 0;
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
        ++count;
    return count;
}

TEST_F(LevelEnd, OnlyTheRigStaysMendedAgentsGoHomeAndSharedMeshesSurvive)
{
    const int poolFree = game.agentTypes->FreeCount();
    PowerBar power;
    ScopedGlobal<PowerBar*> bar{ThePowerBar, &power};

    // The rig, beaten and standing on the grid.
    Entity* rig = Place(NewEntity(ENTITY_PLAYER | ENTITY_DEAD), 10.0f);
    rig->alignment = ALIGN_PLAYER;
    rig->SetMaxHealth(300.0f);
    rig->SetHealth(12.0f);
    ASSERT_NE(TheScene.AddEntity(rig), nullptr);
    ASSERT_GT(game.grid->OccupyCells(rig, 60, 60, 61, 61), 0);

    // A mesh the catalogue's prototype shares with what stood in the level, listed in the
    // library so that a device reset reaches it.
    auto shared = std::make_unique<IndexedMesh>();
    MeshLibrary library;
    ScopedGlobal<MeshLibrary*> inUse{TheMeshLibrary, &library};
    library.Add(shared.get(), "shared", 0);
    Building* building = Place(NewBuilding(ALIGN_ENEMY), 20.0f);
    building->mesh = shared.get();
    ASSERT_NE(TheScene.AddEntity(building), nullptr);
    ASSERT_GT(game.grid->OccupyCells(building, 10, 10, 12, 12), 0);
    Entity* item = Place(NewEntity(ENTITY_ITEM), 30.0f);
    item->mesh = shared.get();
    ASSERT_NE(TheScene.AddEntity(item), nullptr);
    Entity* rock = TheScene.AddTerrainObject("none", Vec3(40.0f, 0.0f, 0.0f), 0);
    ASSERT_NE(rock, nullptr);
    rock->mesh = shared.get();
    Entity* flag = NewEntity(ENTITY_MARKER | ENTITY_NODRAW);
    flag->mesh = shared.get();
    ASSERT_TRUE(TheScene.translucent.PushBack(flag));
    game.flagEntity = flag;
    for (int i = 0; i < 3; ++i) ASSERT_NE(TheScene.AddEntity(Place(NewAgent(ALIGN_ENEMY), 50.0f + i)), nullptr);
    ASSERT_EQ(game.agentTypes->FreeCount(), poolFree - 3);

    // Something that died during the level waits in the removed list.
    Building* wreck = Place(NewBuilding(ALIGN_PLAYER), 70.0f);
    ASSERT_NE(TheScene.AddEntity(wreck), nullptr);
    wreck->flags |= ENTITY_DEAD;
    {
        const WorldTickScope tick(FrameTimer.delta);
        TheScene.Update();
    }
    ASSERT_GT(TheScene.removed.count, 0);

    power.supply = 90.0f;
    power.demand = 40.0f;
    TheScene.sceneFlags |= SCENE_HAS_WATER;
    game.commandMode = 4;
    game.EndLevel();

    EXPECT_EQ(CountInScene(), 1) << "the rig alone is left";
    EXPECT_EQ(TheScene.FirstInCategory(CATEGORY_ALL, 0), rig);
    EXPECT_EQ(TheScene.removed.count, 0);
    EXPECT_EQ(game.agentTypes->FreeCount(), poolFree) << "every agent went back to the pool";
    EXPECT_EQ(game.flagEntity, nullptr);
    EXPECT_EQ(game.commandMode, 0);
    EXPECT_EQ(TheScene.sceneFlags, 0u);
    EXPECT_FLOAT_EQ(power.supply, PowerBar::START_SUPPLY);
    EXPECT_FLOAT_EQ(power.demand, 0.0f);

    EXPECT_FALSE(rig->flags & ENTITY_DEAD);
    EXPECT_FLOAT_EQ(rig->health, 300.0f) << "the rig comes home mended";
    EXPECT_EQ(rig->gridCell, nullptr) << "and stands nowhere until the next level places it";

    // The shared mesh is whole and still listed: the next level's prototype draws with it.
    EXPECT_EQ(library.ClonedCount(), 1);
    shared->boundsMax = Vec3(1.0f, 1.0f, 1.0f);

    // The grid is as new.
    int dirty = 0;
    for (int row = 0; row < game.grid->size; ++row)
        for (int column = 0; column < game.grid->size; ++column) {
            const GridCell* cell = game.grid->GetCell(column, row);
            dirty += cell->occupant || cell->next || cell->flags || cell->region || cell->column != column ||
                     cell->row != row;
            for (uint8_t step : cell->steps) dirty += step != 1;
        }
    EXPECT_EQ(dirty, 0);

    // A second end on the emptied level changes nothing more.
    game.EndLevel();
    EXPECT_EQ(CountInScene(), 1);
    EXPECT_EQ(game.agentTypes->FreeCount(), poolFree);
}

// The rig's last order belongs to the level it was given in: the next level starts it as a new
// unit's brain starts, without the job, its building or its way, and alive.
TEST_F(LevelEnd, TheRigLeavesItsOrderWithTheLevel)
{
    Agent* rig = Place(NewAgent(ALIGN_PLAYER), 10.0f);
    ASSERT_NE(rig, nullptr);
    rig->flags |= ENTITY_PLAYER;
    ASSERT_NE(TheScene.AddEntity(rig), nullptr);
    Building* site = Place(NewBuilding(ALIGN_PLAYER), 20.0f);
    ASSERT_NE(TheScene.AddEntity(site), nullptr);
    rig->activeBuilding.Set(site);
    ASSERT_NE(rig->brain, nullptr);
    ASSERT_NE(rig->brain->SetJob("Build", rig, AI_MODE_BUILD), 0);
    ASSERT_TRUE(rig->moveQueue.Push(Vec3(30.0f, 0.0f, 0.0f)));
    rig->Die(nullptr);

    game.EndLevel();

    EXPECT_FALSE(rig->HasDied()) << "the lost rig comes home alive";
    EXPECT_EQ(rig->brain->job, nullptr);
    EXPECT_EQ(rig->brain->mode, AIBrain().mode);
    EXPECT_EQ(rig->activeBuilding.Get(), nullptr);
    EXPECT_EQ(rig->moveQueue.Points().count, 0);
}

}  // namespace
