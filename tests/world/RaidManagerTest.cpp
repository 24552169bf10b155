// Raids as the player meets them: the first comes after the difficulty's period (a minute more
// for a new player) and the next one period after the last ended; the group leaves the
// dropship for the player's power, waits while any of it fights, gathers at each point of its
// route and ends there; a saved raid reads back and never takes in the raiders of a new one.
#include "platform/Timer.h"
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "platform/MathUtil.h"
#include "tests/support/TestSupport.h"
#include "tests/world/BuildingTestSupport.h"
#include "world/Agent.h"
#include "world/AiBrain.h"
#include "world/RaidManager.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

class RaidManagerTest : public BuildingWorld {
protected:
    void SetUp() override
    {
        BuildingWorld::SetUp();
        for (const char* type : {"scav_melee", "scav_small", "scav_leader", "scav_brute", "scav_flamer",
                                 "scav_boss_a", "scav_boss_b", "scav_boss_c", "scav_superMelee", "scav_air_probe",
                                 "scav_wheeler"})
            DefineUnit(type, ALIGN_ENEMY);
        raids.Reset();
        game.aiManager = &raids;
    }
    void TearDown() override
    {
        game.aiManager = nullptr;
        BuildingWorld::TearDown();
    }
    Building* Dropship(int column, int row)
    {
        Building* ship = Put(Definition("Scavenger_dropship", 0), ALIGN_ENEMY, column, row);
        CopyText(ship->name, sizeof ship->name, "Scavenger_dropship");
        ship->SetMaxHealth(1000.0f);
        ship->SetHealth(1000.0f);
        return ship;
    }
    Building* Generator(int column, int row)
    {
        BuildItem* item = game.buildItems->FindByName("generator");
        if (!item) {
            item = Definition("generator", BUILD_RESOURCE);
            item->resourcePower = 10;
        }
        return Put(item, ALIGN_PLAYER, column, row);
    }
    // Seconds of play, half a second a frame.
    void Play(float seconds)
    {
        for (float t = 0.0f; t < seconds - 0.001f; t += 0.5f) raids.Update(0.5f);
    }
    std::vector<Agent*> Raiders(int id)
    {
        std::vector<Agent*> found;
        for (int segment : {SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT})
            for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
                Agent* agent = static_cast<Agent*>(node->value);
                if ((agent->flags & ENTITY_AGENT) && agent->groupId == id) found.push_back(agent);
            }
        return found;
    }
    // Every raider walks where it was sent and stands there.
    void Arrive(const std::vector<Agent*>& raiders)
    {
        for (Agent* raider : raiders) {
            Vec3 point = raider->moveTarget;
            if (!raider->HasStanceBits() && !raider->moveQueue.Pop(&point)) continue;
            raider->SetPosition(point);
            raider->ResetMovement();
        }
    }

    // The brain's "Attack" mode, or its end.
    void Fighting(Agent* agent, bool on)
    {
        if (agent->brain)
            agent->brain->mode = on ? 1 : 0;
        else
            agent->aiMode = on ? 1 : 0;
        ASSERT_EQ(agent->CurrentAiMode(), on ? 1 : 0);
    }

    AIManager raids;
    ScopedGlobal<int> savedRaidId{NextRaidId, 1};
    ScopedGlobal<float> savedClock{MissionTime, 0.0f};
};

}  // namespace

TEST_F(RaidManagerTest, TheFirstRaidComesAfterThePeriodAndTheNextAfterTheLastEnds)
{
    config.Difficulty = 2;
    GetPlayerProfile()->level = 0;
    Dropship(100, 100);
    Building* target = Generator(20, 20);

    Play(239.5f);
    EXPECT_EQ(raids.state, 0);
    EXPECT_FLOAT_EQ(raids.raidTimer, 240.0f) << "three minutes, and one more for a new player";
    Play(0.5f);
    ASSERT_EQ(raids.state, 1) << "launched at 240 s";
    EXPECT_EQ(raids.raidId, 1);
    EXPECT_EQ(NextRaidId, 2);
    EXPECT_FLOAT_EQ(raids.raidTimer, 180.0f);
    ASSERT_EQ(raids.pointCount, 1) << "no river: straight to the target";
    EXPECT_TRUE(Vec3NearEqual(raids.points[0], target->GetPosition(), 0.001f));

    std::vector<Agent*> raiders = Raiders(1);
    ASSERT_EQ(raiders.size(), 1u) << "player level 0: a raid of one";
    for (Agent* raider : raiders) {
        EXPECT_TRUE(raider->classWord & AGENT_CLASS_RAIDER);
        ASSERT_EQ(raider->moveQueue.Count(), 1) << "sent to the target once it stands";
        EXPECT_TRUE(Vec3NearEqual(raider->moveQueue.Points().head->value, target->GetPosition(), 0.001f));
    }

    // Gathered at the target: the raid is over and the clock starts again.
    Play(10.0f);
    EXPECT_EQ(raids.state, 1) << "still on the way";
    Arrive(raiders);
    Play(0.5f);
    EXPECT_EQ(raids.state, 0);
    EXPECT_EQ(raids.raidId, 0);
    Play(179.5f);
    EXPECT_EQ(raids.state, 0);
    Play(0.5f);
    EXPECT_EQ(raids.state, 1) << "the next raid one period after the end";
    EXPECT_EQ(raids.raidId, 2);
}

TEST_F(RaidManagerTest, TheGroupWaitsWhileOneFightsAndFollowsItsRouteToTheEnd)
{
    Dropship(100, 100);
    GetPlayerProfile()->level = 8;  // strength 4: 1 + difficulty + 2
    config.Difficulty = 1;
    raids.raidTimer = 10.0f;  // set in an earlier evaluation
    Play(10.0f);
    ASSERT_EQ(raids.state, 1);
    std::vector<Agent*> raiders = Raiders(raids.raidId);
    EXPECT_EQ(raiders.size(), 4u);

    // A route of two points: a crossing first, the target last.
    raids.points[0] = Corner(20, 20);
    raids.points[1] = Corner(60, 60);
    raids.pointCount = 2;
    Arrive(raiders);  // they were sent to the target; now they stand there
    for (Agent* raider : raiders) raider->SetPosition(Corner(90, 90));
    Fighting(raiders[0], true);
    Play(0.5f);
    for (Agent* raider : raiders) EXPECT_FALSE(raider->HasStanceBits()) << "all wait for the fight";
    Fighting(raiders[0], false);
    Play(0.5f);
    for (Agent* raider : raiders) {
        EXPECT_TRUE(raider->HasStanceBits());
        EXPECT_TRUE(Vec3NearEqual(raider->moveTarget, Corner(60, 60), 0.001f)) << "sent on to the crossing";
    }
    Arrive(raiders);
    Play(0.5f);
    EXPECT_EQ(raids.pointCount, 1);
    Arrive(raiders);
    for (Agent* raider : raiders) EXPECT_TRUE(Vec3NearEqual(raider->GetPosition(), Corner(20, 20), 0.001f));
    Play(0.5f);
    EXPECT_EQ(raids.state, 0) << "gathered at the target";

    // A raid whose raiders all fall ends at the next evaluation.
    raids.raidTimer = 0.0f;
    Play(0.5f);
    ASSERT_EQ(raids.state, 1);
    for (Agent* raider : Raiders(raids.raidId)) raider->flags |= ENTITY_DEAD;
    Play(0.5f);
    EXPECT_EQ(raids.state, 0);
}

TEST_F(RaidManagerTest, SourcesAreDropshipsAndNestsNeverWeakTurrets)
{
    config.Difficulty = 1;
    raids.raidTimer = 5.0f;
    Building* decoy = Put(Definition("Scavenger_dropship", BUILD_TURRET), ALIGN_ENEMY, 100, 100);
    CopyText(decoy->name, sizeof decoy->name, "Scavenger_dropship");
    decoy->SetMaxHealth(400.0f);
    Play(5.0f);
    EXPECT_EQ(raids.state, 0) << "a weak turret is no source";
    EXPECT_EQ(NextRaidId, 1);
    EXPECT_FLOAT_EQ(raids.elapsed, 0.0f) << "the clock starts again";

    // A nest sends one creature of its brood, made larger and tougher when it has no raiders:
    // three times its health, by the difficulty's share.
    BuildItem* lair = Definition("lair", BUILD_CREATURE_NEST);
    CopyText(lair->spawnType, sizeof lair->spawnType, "scav_brute");
    Put(lair, ALIGN_ENEMY, 110, 110);
    const struct {
        int difficulty;
        float health;
    } rows[] = {{0, 200.0f}, {1, 300.0f}, {2, 400.0f}};
    for (const auto& row : rows) {
        config.Difficulty = row.difficulty;
        raids.state = 0;
        raids.raidTimer = 0.0f;
        Play(0.5f);
        ASSERT_EQ(raids.state, 1);
        std::vector<Agent*> raiders = Raiders(raids.raidId);
        ASSERT_EQ(raiders.size(), 1u);
        EXPECT_STREQ(raiders[0]->name, "scav_brute");
        EXPECT_FLOAT_EQ(raiders[0]->GetMaxHealth(), row.health) << row.difficulty;
        EXPECT_FLOAT_EQ(raiders[0]->health, row.health);
    }
}

TEST_F(RaidManagerTest, ASavedRaidReadsBackAndNeverAdoptsNewRaiders)
{
    raids.tick = 0.25f;
    raids.elapsed = 12.5f;
    raids.raidTimer = 180.0f;
    raids.state = 1;
    raids.raidId = 5;
    raids.launchSecond = 42;
    raids.points[0] = Vec3(10.0f, 1.5f, 20.0f);
    raids.points[1] = Vec3(30.0f, 0.0f, 40.0f);
    raids.pointCount = 2;
    std::string path = MakeTempFolder("raids") + "/save.scn";
    FILE* file = fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    raids.Save(file);
    fclose(file);
    std::string first = ReadTextFile(path);
    EXPECT_EQ(first,
              "AIManagerData\t\t0.25 12.5 180   1  0   5 42 1\n"
              "AIManagerPath\t\t10 1.5 20\n"
              "AIManagerPath\t\t30 0 40\n");

    raids.Reset();
    ASSERT_TRUE(TheScene.ReadSceneFile(path.c_str()));
    EXPECT_EQ(raids.raidId, 5);
    EXPECT_EQ(raids.state, 1);
    EXPECT_EQ(raids.pointCount, 2);
    file = fopen(path.c_str(), "w");
    raids.Save(file);
    fclose(file);
    EXPECT_EQ(ReadTextFile(path), first);

    // A raid saved with id 1, its raider come back with the level; the program's counter
    // starts at 1 again.
    Dropship(100, 100);
    Agent* old = TheScene.CreateAgent("scav_melee", false);
    ASSERT_NE(old, nullptr);
    old->SetPosition(Corner(50, 50));
    old->groupId = 1;
    old->classWord |= AGENT_CLASS_RAIDER;
    ASSERT_NE(TheScene.AddEntity(old), nullptr);
    char saved[160];
    snprintf(saved, sizeof saved, "AIManagerData 0.5 3 180 1 0 1 0 1\nAIManagerPath %.1f 0 %.1f\n", Corner(50, 50).x,
             Corner(50, 50).z);
    ASSERT_TRUE(WriteTextFile(path, saved));
    ASSERT_TRUE(TheScene.ReadSceneFile(path.c_str()));
    ASSERT_EQ(raids.raidId, 1);
    raids.OnSceneLoaded();
    EXPECT_EQ(NextRaidId, 2);

    // The old raid ends at its target; its raider lives on. The next raid is a raid of its own.
    Play(0.5f);
    EXPECT_EQ(raids.state, 0);
    raids.raidTimer = 0.0f;
    Play(0.5f);
    ASSERT_EQ(raids.state, 1);
    EXPECT_EQ(raids.raidId, 2);
    for (Agent* raider : Raiders(2)) EXPECT_NE(raider, old);
    EXPECT_EQ(old->groupId, 1);
    EXPECT_FALSE(old->HasStanceBits()) << "the new raid gives the old raider no orders";

    // A file with more route points than a raid keeps stops at eight.
    std::string many = "AIManagerData 0.5 0 -99.99 0 0 0 0 1\n";
    for (int i = 0; i < 12; ++i) many += "AIManagerPath 1 2 3\n";
    ASSERT_TRUE(WriteTextFile(path, many));
    ASSERT_TRUE(TheScene.ReadSceneFile(path.c_str()));
    EXPECT_EQ(raids.pointCount, RAID_POINTS);
}

TEST_F(RaidManagerTest, RaidersWalkFromTheDropshipToThePowerAndTheRaidEndsThere)
{
    config.Difficulty = 1;
    Dropship(70, 70);
    Building* target = Generator(50, 50);
    raids.raidTimer = 1.0f;
    int frames = 0;
    bool launched = false;
    // Up to two minutes of play, twenty frames a second.
    for (; frames < 2400; ++frames) {
        const WorldTickScope tick(0.05f);
        MissionTime += 0.05f;
        raids.Update(0.05f);
        TheScene.Update();
        if (raids.state == 1) launched = true;
        if (launched && raids.state == 0) break;
    }
    ASSERT_TRUE(launched);
    EXPECT_EQ(raids.state, 0) << "the raid gathered at its target";
    EXPECT_GT(frames, 20 * 3) << "a walk of some seventy units takes its time";
    std::vector<Agent*> raiders = Raiders(1);
    ASSERT_FALSE(raiders.empty());
    for (Agent* raider : raiders) {
        Vec3 at = raider->GetPosition(), goal = target->GetPosition();
        EXPECT_LE(std::sqrt((at.x - goal.x) * (at.x - goal.x) + (at.z - goal.z) * (at.z - goal.z)), 8.0f);
    }
}
