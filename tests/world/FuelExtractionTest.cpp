// Drawing from a fuel vent with the extraction beam: a vent gives fuel, not ore, only to the
// player's own units, and is never drawn dry.
#include "campaign/PlayerProfile.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/world/AgentTestSupport.h"
#include "interface/MessageLists.h"
#include "tests/support/Scoped.h"
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
    MessageBar bar;
    ScopedGlobal<MessageBar*> installedBar{game.messageBar, &bar};
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

TEST_F(FuelExtraction, ThePlayersUnitLeftIdleByAnEmptyDepositSaysWhy)
{
    const struct {
        const char* what;
        bool vent;
        int alignment;
        const char* said;  // null: nothing
    } cases[] = {
        {"the rig cuts a deposit to its end", false, ALIGN_PLAYER, ORE_USED_UP_MESSAGE},
        {"the rig draws a vent until it is spent", true, ALIGN_PLAYER, VENT_SPENT_MESSAGE},
        {"an enemy's cutter", false, ALIGN_ENEMY, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        bar.Clear();
        Entity* node = c.vent ? Vent(30, 30, 3.0f) : Standing(NewEntity(ENTITY_RESOURCE | ENTITY_STATIC), 30, 30);
        if (!c.vent) {
            node->health = node->maxHealth = 3.0f;
            ASSERT_NE(TheScene.AddEntity(node), nullptr);
            node->StampGrid();
        }
        Job* job = Extractor(node, c.alignment);
        int steps = 0;
        while (TaskStep::ExtractOre(0.1f, "0", job) == STEP_RUNNING && ++steps < 100) {
        }
        if (c.said) {
            ASSERT_EQ(bar.count, 1);
            EXPECT_STREQ(bar.head->text, c.said);
        } else {
            EXPECT_EQ(bar.count, 0);
        }
        TaskManager::Get()->ReleaseJob(job);
        TheScene.ReleaseEntities();
    }
}
