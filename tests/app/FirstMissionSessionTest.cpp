// The first story mission as a newcomer meets it, in the real game: on Beginner the rig sent
// out toward the nearest lair sees whatever hits it and walks back out alive, on several
// levels; on the hardest difficulty the same walk costs more.
#include "tests/app/PlayerSessionSupport.h"

#include "interface/MessageWindow.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "mechanics/Objectives.h"
#include "mechanics/Selection.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/GridQueries.h"
#include "world/Grid.h"

#include <algorithm>
#include <cmath>

using namespace playersession;

namespace {

// What a walk to the lair and back cost the rig.
struct LairWalk {
    bool reachedTrouble = false;  // something hit the rig
    int hits = 0;
    int hitsFromTheDark = 0;  // hits while the nearest beast on the rig was hidden by the fog
    float damage = 0.0f;
    int mostBeastsOfTheLair = 0;  // alive at once
    bool aliveAtHome = false;
};

class FirstMissionSession : public PlayerSession {
protected:
    void SetUp() override { StartAsPilot("firstmission", "mainMenuEnabled false\ncurrentprofile Pilot\nDifficulty 0\n"); }

    // The first story mission on the body that carries it, with that level seed.
    bool IntoTheFirstMission(int seed)
    {
        if (TheGame->state == GAME_STATE_PLAYING || TheGame->state == GAME_STATE_LOAD_PENDING) {
            UntilPlaying();
            if (HasFatalFailure()) return false;
            TheGame->EndLevel();
            ReturnToMainMenu();
            Passes(2, 0.05f);
        }
        CelestialBody* body = TheGalaxy ? TheGalaxy->FindBodyByStoryId(0) : nullptr;
        if (!body) {
            ADD_FAILURE() << "the galaxy carries the first story mission";
            return false;
        }
        body->levelSeed = seed;
        TheGalaxy->selectedBody = body;
        if (!TheGalaxy->StartSelectedMission(true)) return false;
        UntilPlaying();
        if (HasFatalFailure()) return false;
        // The guild's word at the start holds the game until it is closed.
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        EXPECT_FALSE(GamePaused) << "the game goes on once the dialog is closed";
        return !HasFatalFailure();
    }

    template <typename Each>
    static void Play(float seconds, float dt, Each each)
    {
        PlayWithoutPictures(seconds, dt, each);
    }

    // The rig ordered to a point, as a right click on open ground orders it.
    static void SendRig(Agent* rig, const Vec3& to)
    {
        TheGame->ClearSelection();
        TheGame->SelectEntity(rig);
        TheGame->hoveredEntity = nullptr;
        TheGame->pickedPoint = to;
        TheGame->OrderMove(false);
    }

    static float GroundDistance(const Vec3& a, const Vec3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

    // The building put down as the build panel puts it down: the first spot around the point
    // where it fits; the rig is sent to build it. Null when it fits nowhere near.
    static Building* PutDown(Agent* rig, const char* name, const Vec3& near)
    {
        TheGame->ClearSelection();
        TheGame->SelectEntity(rig);
        BuildItemList* list = TheGame->buildItems;
        if (!list || !list->SetCurrent(name, false)) return nullptr;
        for (float radius = 12.0f; radius < 60.0f; radius += 4.0f)
            for (int step = 0; step < 12; ++step) {
                const float angle = step * 0.5235988f;
                TheGame->pickedPoint = near + Vec3(radius * std::cos(angle), 0.0f, radius * std::sin(angle));
                SnapEntityToCell(list);
                if (!list->CanPlaceCurrent()) continue;
                TheGame->PlaceBuilding();
                for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity())
                    if ((e->flags & ENTITY_BUILDING) && e->alignment == ALIGN_PLAYER && StrICmp(e->name, name) == 0) {
                        TheScene.EndIteration();
                        return static_cast<Building*>(e);
                    }
                TheScene.EndIteration();
                return nullptr;
            }
        list->ClearCurrent();
        return nullptr;
    }

    // A beast on the rig is shot at, as a player right-clicks it; true while the rig fights.
    static bool Defend(Agent* rig)
    {
        const std::vector<Agent*> beasts = BeastsOn(rig);
        if (beasts.empty()) return false;
        if (!rig->brain || rig->brain->mode != AI_MODE_ATTACK) {
            TheGame->hoveredEntity = beasts.front();
            TheGame->OrderAttack(rig);
            TheGame->hoveredEntity = nullptr;
        }
        return true;
    }

    // The ore patch nearest to a point with ore left; revealed ones only when asked.
    static Entity* NearestOre(const Vec3& from, bool revealedOnly)
    {
        Entity* best = nullptr;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) {
            if (!(e->flags & ENTITY_RESOURCE) || (e->flags & ENTITY_FUEL) || e->health <= 0.0f) continue;
            if (revealedOnly && !(e->flags & ENTITY_RESOURCE_REVEALED)) continue;
            if (!best || GroundDistance(e->GetPosition(), from) < GroundDistance(best->GetPosition(), from)) best = e;
        }
        TheScene.EndIteration();
        return best;
    }

    static Building* NearestLair(const Vec3& from)
    {
        Building* best = nullptr;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) {
            if (!(e->flags & ENTITY_BUILDING) || e->alignment != ALIGN_ENEMY) continue;
            Building* lair = static_cast<Building*>(e);
            if (!lair->definition || !(lair->definition->flags & BUILD_CREATURE_NEST)) continue;
            if (!best || GroundDistance(lair->GetPosition(), from) < GroundDistance(best->GetPosition(), from)) best = lair;
        }
        TheScene.EndIteration();
        return best;
    }

    static int BeastsOf(const Building* lair)
    {
        int count = 0;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
            count += e->IsAlive() && static_cast<Agent*>(e)->spawner.Get() == lair;
        TheScene.EndIteration();
        return count;
    }

    // The beasts going for the rig, nearest first.
    static std::vector<Agent*> BeastsOn(Agent* rig)
    {
        std::vector<Agent*> beasts;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
            if (e->alignment == ALIGN_ENEMY && e->IsAlive() && static_cast<Agent*>(e)->target.Get() == rig)
                beasts.push_back(static_cast<Agent*>(e));
        TheScene.EndIteration();
        std::sort(beasts.begin(), beasts.end(), [rig](Agent* a, Agent* b) {
            return GroundDistance(a->GetPosition(), rig->GetPosition()) < GroundDistance(b->GetPosition(), rig->GetPosition());
        });
        return beasts;
    }

    // The rig walks toward the nearest lair and stands there until a third of its hull is gone,
    // then turns for home, as a newcomer who does not yet know to fight back would; followed
    // until it is home again or has fallen.
    LairWalk WalkToTheLairAndBack()
    {
        LairWalk walk;
        Agent* rig = GetPlayerRig();
        if (!rig) {
            ADD_FAILURE() << "no rig";
            return walk;
        }
        const Vec3 home = rig->GetPosition();
        Building* lair = NearestLair(home);
        if (!lair) {
            ADD_FAILURE() << "the mission has a lair";
            return walk;
        }
        SendRig(rig, lair->GetPosition());
        float health = rig->health;
        float homeFor = 0.0f;
        bool turned = false;
        Play(240.0f, 0.1f, [&] {
            const std::vector<Agent*> beasts = BeastsOn(rig);
            walk.mostBeastsOfTheLair = std::max(walk.mostBeastsOfTheLair, BeastsOf(lair));
            if (rig->health < health) {
                ++walk.hits;
                walk.damage += health - rig->health;
                if (!beasts.empty() && !TheMinimap.IsEntityVisible(beasts.front())) ++walk.hitsFromTheDark;
                walk.reachedTrouble = true;
            }
            // A newcomer looks up late: only when a third of the hull is gone.
            if (!turned && rig->health < rig->GetMaxHealth() * (2.0f / 3.0f)) {
                SendRig(rig, home);
                turned = true;
            }
            health = rig->health;
            if (turned && GroundDistance(rig->GetPosition(), home) < 10.0f) homeFor += 0.1f;
            return rig->IsAlive() && homeFor < 5.0f;
        });
        walk.aliveAtHome = rig->IsAlive() && homeFor >= 5.0f;
        return walk;
    }
};

TEST_F(FirstMissionSession, OnBeginnerTheRigSeesWhatHitsItAndWalksBackOutOfALair)
{
    for (int seed : {11, 22, 33}) {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(IntoTheFirstMission(seed));
        const LairWalk walk = WalkToTheLairAndBack();
        EXPECT_TRUE(walk.reachedTrouble) << "the lair's beasts came for the rig";
        EXPECT_EQ(walk.hitsFromTheDark, 0) << "of " << walk.hits << " hits";
        EXPECT_TRUE(walk.aliveAtHome) << "the rig got home, after " << walk.damage << " damage";
    }
}

TEST_F(FirstMissionSession, OnTheHardestDifficultyTheSameWalkCostsMore)
{
    LairWalk walks[2];
    const int difficulties[2] = {0, 2};
    for (int i = 0; i < 2; ++i) {
        Config->Difficulty = difficulties[i];
        ASSERT_TRUE(IntoTheFirstMission(22));
        walks[i] = WalkToTheLairAndBack();
        ASSERT_TRUE(walks[i].reachedTrouble) << "difficulty " << difficulties[i];
    }
    Config->Difficulty = 0;
    EXPECT_GT(walks[1].mostBeastsOfTheLair, walks[0].mostBeastsOfTheLair) << "a lair keeps more beasts at once";
    ASSERT_GT(walks[0].hits, 0);
    ASSERT_GT(walks[1].hits, 0);
    EXPECT_GT(walks[1].damage / walks[1].hits, 1.3f * walks[0].damage / walks[0].hits) << "and each of their hits hurts more";
}


TEST_F(FirstMissionSession, OnBeginnerTheBriefingsRefineryAndOreWinTheMissionWithTheRigAlive)
{
    for (int seed : {11, 22}) {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(IntoTheFirstMission(seed));
        Agent* rig = GetPlayerRig();
        ASSERT_NE(rig, nullptr);
        const Vec3 home = rig->GetPosition();

        // A refinery beside the ore nearest to the start, built by the rig.
        Entity* ore = NearestOre(home, false);
        ASSERT_NE(ore, nullptr) << "the level has ore";
        Building* refinery = PutDown(rig, "refinery", ore->GetPosition());
        ASSERT_NE(refinery, nullptr) << "the starting ore pays for a refinery that fits beside the ore";
        Play(120.0f, 0.1f, [&] {
            Defend(rig);
            return refinery->buildState != BUILD_STATE_READY;
        });
        ASSERT_EQ(refinery->buildState, BUILD_STATE_READY) << "the rig built the refinery within two minutes";

        // The rig scans the ore and cuts it, one patch after another, until the mission is won;
        // a beast that comes for it is shot down first.
        bool won = false;
        float minutes = 0.0f;
        for (int round = 0; round < 40 && !won && rig->IsAlive(); ++round) {
            Entity* patch = NearestOre(refinery->GetPosition(), true);
            if (!patch) {
                Entity* hidden = NearestOre(refinery->GetPosition(), false);
                ASSERT_NE(hidden, nullptr) << "ore is left to scan";
                SendRig(rig, hidden->GetPosition());
                Play(40.0f, 0.1f, [&] { return GroundDistance(rig->GetPosition(), hidden->GetPosition()) > 8.0f; });
                TheGame->ClearSelection();
                TheGame->SelectEntity(rig);
                CmdScan();
                Passes(20, 0.1f);  // the ring spreads as the ground is drawn
                continue;
            }
            TheGame->ClearSelection();
            TheGame->SelectEntity(rig);
            TheGame->hoveredEntity = patch;
            TheGame->AssignExtractOre(rig);
            TheGame->hoveredEntity = nullptr;
            Play(60.0f, 0.1f, [&] {
                minutes += 0.1f / 60.0f;
                won = TheObjectives && TheObjectives->AllComplete();
                if (Defend(rig)) return rig->IsAlive();
                return !won && rig->IsAlive() && patch->health > 0.0f && rig->brain && rig->brain->mode == AI_MODE_EXTRACT_ORE;
            });
        }
        EXPECT_TRUE(won) << "a refinery and 500 ore, in " << minutes << " minutes of cutting";
        EXPECT_LT(minutes, 10.0f);
        EXPECT_TRUE(rig->IsAlive());
        // The guild closes the mission.
        Play(2.0f, 0.1f, [] { return true; });
        EXPECT_TRUE(TheMessageWindow && TheMessageWindow->shown && TheMessageWindow->missionComplete) << "the mission is won";
    }
}

}  // namespace
