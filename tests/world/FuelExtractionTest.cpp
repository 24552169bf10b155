// Drawing from a fuel vent with the extraction beam: a vent gives fuel, not ore, only to the
// player's own units, and is never drawn dry.
#include "campaign/PlayerProfile.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/world/AgentTestSupport.h"
#include "world/TaskManager.h"

#include <gtest/gtest.h>

namespace {

class FuelExtraction : public AgentWorld {
protected:
    Entity* Vent(int column, int row, float fuel)
    {
        Entity* vent = Standing(NewEntity(ENTITY_FUEL | ENTITY_STATIC), column, row);
        vent->health = vent->maxHealth = fuel;
        EXPECT_NE(TheScene.AddEntity(vent), nullptr);
        vent->StampGrid();
        return vent;
    }
    // An extractor of the side beside the vent, facing it, with its job.
    Job* Extractor(Entity* vent, int alignment)
    {
        Agent* agent = Unit(29, 30, alignment);
        agent->mine = vent;
        agent->yaw = 90.0f;
        Job* job = TaskManager::Get()->NewJob();
        job->agent.Set(agent);
        return job;
    }
    ScopedClearProfile clearProfile;
    PlayerProfile& player = *GetPlayerProfile();
};

}  // namespace

TEST_F(FuelExtraction, AVentGivesFuelToThePlayersUnitsOnly)
{
    for (int alignment : {ALIGN_PLAYER, ALIGN_ENEMY}) {
        SCOPED_TRACE(alignment);
        player.ore = player.fuel = player.fuelGained = 0.0f;
        Entity* vent = Vent(30, 30, 100.0f);
        Job* job = Extractor(vent, alignment);
        // Eleven frames of a tenth: the first second's draw.
        for (int i = 0; i < 12; ++i) EXPECT_EQ(TaskStep::ExtractOre(0.1f, "0", job), STEP_RUNNING);
        EXPECT_FLOAT_EQ(player.ore, 0.0f) << "a vent holds no ore";
        EXPECT_FLOAT_EQ(player.fuel, alignment == ALIGN_PLAYER ? 1.0f : 0.0f);
        EXPECT_FLOAT_EQ(player.fuelGained, player.fuel);
        EXPECT_FLOAT_EQ(vent->health, 98.0f) << "the vent loses what an ore node of its grade would";
        TaskManager::Get()->ReleaseJob(job);
        TheScene.ReleaseEntities();
    }
}

TEST_F(FuelExtraction, AVentIsNeverDrawnDryAndTheStepEndsWhenItIsSpent)
{
    Entity* vent = Vent(30, 30, 3.0f);
    Job* job = Extractor(vent, ALIGN_PLAYER);
    int steps = 0, result = STEP_RUNNING;
    while (result == STEP_RUNNING && steps < 100) {
        result = TaskStep::ExtractOre(0.1f, "0", job);
        ++steps;
        EXPECT_GT(vent->health, 0.0f);
    }
    EXPECT_EQ(result, STEP_DONE) << "a spent vent ends the step";
    EXPECT_FLOAT_EQ(vent->health, 0.1f) << "a tenth is left in the spent vent";
    EXPECT_FLOAT_EQ(player.fuel, 2.0f) << "two draws: 3 then 1 left, then spent";
    EXPECT_EQ(job->GetAgent()->mine.Get(), nullptr);
    TaskManager::Get()->ReleaseJob(job);
}
