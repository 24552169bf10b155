// The first story mission as a newcomer meets it, in the real game: on Beginner the rig sent
// out toward the nearest lair sees whatever hits it and walks back out alive, on several
// levels; on the hardest difficulty the same walk costs more. On Beginner the first story
// mission is won by the rig alone, the second by the rig and two gunners of its factory, and in
// every story mission the rig walks up to the first target and lives.
#include "tests/app/PlayerSessionSupport.h"

#include "interface/InGameMenu.h"
#include "interface/MessageWindow.h"
#include "gui/Label.h"
#include "interface/ResultsScreen.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "mechanics/EventManager.h"
#include "mechanics/Objectives.h"
#include "mechanics/Selection.h"
#include "world/AgentTypeRegistry.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/GridQueries.h"
#include "world/Grid.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"
#include "world/WeaponDef.h"
#include "host/Random.h"
#include "host/System.h"
#include "platform/RandomUtil.h"

#include <algorithm>
#include <cmath>
#include <cstring>


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

// The longest the rig stood in its cutting step beside its patch while the player's ore did
// not rise, over a whole scripted mission.
struct CuttingWatch {
    float still = 0.0f;
    float longest = 0.0f;
    float gained = 0.0f;

    void Step(const Agent* rig, const Entity* patch, float dt)
    {
        const float now = GetPlayerProfile()->oreGained;
        const bool cutting = rig->brain && rig->brain->mode == AI_MODE_EXTRACT_ORE && patch->health > 0.0f &&
                             std::hypot(rig->GetPosition().x - patch->GetPosition().x, rig->GetPosition().z - patch->GetPosition().z) < 8.0f;
        still = cutting && now <= gained ? still + dt : 0.0f;
        longest = std::max(longest, still);
        gained = now;
    }
};

class FirstMissionSession : public PlayerSession {
protected:
    // A new pilot on Beginner who chose the gunner to start with.
    void SetUp() override
    {
        StartAsPilot("firstmission", "mainMenuEnabled false\ncurrentprofile Pilot\nDifficulty 0\n",
                     {{"attachleft", "unit\t\tgunner_bot\nattachleft"}});
    }

    // The rig alone selected and sent to cut the patch, as a right-click on it sends it.
    static void SendToCut(Agent* rig, Entity* patch)
    {
        TheGame->ClearSelection();
        TheGame->SelectEntity(rig);
        TheGame->hoveredEntity = patch;
        TheGame->AssignExtractOre(rig);
        TheGame->hoveredEntity = nullptr;
    }
    // The first story mission (or a later one) on the body that carries it, with that level seed
    // (0: the one the galaxy gives it).
    bool IntoTheFirstMission(int seed, int story = 0)
    {
        // A lost rig's window comes up a moment after its fall, and goes with the next mission.
        if (GetPlayerRig() && !GetPlayerRig()->IsAlive() && TheGame->state == GAME_STATE_PLAYING) {
            for (int i = 0; i < 50 && !TheInGameMenu->failedShown; ++i) Passes(1, 0.1f);
            ClickOn(FindButton(TheInGameMenu->failedWindow, "Abort Mission"));
            Passes(2, 0.05f);
        }
        if (TheGame->state == GAME_STATE_PLAYING || TheGame->state == GAME_STATE_LOAD_PENDING) {
            UntilPlaying();
            if (HasFatalFailure()) return false;
            TheGame->EndLevel();
            ReturnToMainMenu();
            Passes(2, 0.05f);
        }
        CelestialBody* body = TheGalaxy ? TheGalaxy->FindBodyByStoryId(story) : nullptr;
        if (!body) {
            ADD_FAILURE() << "the galaxy carries the first story mission";
            return false;
        }
        if (seed) body->levelSeed = seed;
        // A pilot of the level a later mission asks, as the missions before it leave one.
        GetPlayerProfile()->level = std::max(GetPlayerProfile()->level, body->levelMin);
        TheGalaxy->selectedBody = body;
        if (!TheGalaxy->StartSelectedMission(true)) return false;
        UntilPlaying();
        if (HasFatalFailure()) return false;
        // The guild's word at the start holds the game until it is closed.
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        EXPECT_FALSE(GamePaused) << "the game goes on once the dialog is closed";
        return !HasFatalFailure();
    }

    // Headless, as the long walks are played; with `drawEvery` n, every n-th step is a whole
    // pass of the program's loop, frame and all. With `lookEvery` n the hand looks (`each`)
    // only every n-th step, and plays whole looks; on the uneven clock each look is a second
    // of the program's loop at the uneven frames, every frame drawn.
    template <typename Each>
    static void Play(float seconds, float dt, Each each)
    {
        if (lookEvery > 1 || unevenClock) {
            const int looks = std::max(1, (int)std::ceil(seconds / (dt * (float)lookEvery) - 1e-4f));
            for (int look = 0, step = 0; look < looks; ++look) {
                if (unevenClock) {
                    UnevenSecond();
                } else {
                    for (int i = 0; i < lookEvery; ++i, ++step)
                        if (drawEvery > 0 && step % drawEvery == drawEvery - 1)
                            Passes(1, dt);
                        else
                            PlayWithoutPictures(dt, dt, [] { return true; });
                }
                if (!each()) return;
            }
            return;
        }
        if (drawEvery <= 0) {
            PlayWithoutPictures(seconds, dt, each);
            return;
        }
        for (int step = 0; step * dt < seconds; ++step) {
            if (step % drawEvery == drawEvery - 1)
                Passes(1, dt);
            else
                PlayWithoutPictures(dt, dt, [] { return true; });
            if (!each()) return;
        }
    }
    static inline int drawEvery = 0;
    static inline int lookEvery = 1;
    static inline bool unevenClock = false;

    // A second of the program's loop on a machine whose frames come unevenly: a quarter second
    // frame, frames of 0.13 s, of 1/60 and of 1/144 s mixed, to the microsecond a second in all;
    // the quarter second's frame, one of 0.13 s and the 1/60 s one drawn. A frame shorter than
    // the display's beat is never drawn as it is: the frame pacer stretches it to the beat.
    static void UnevenSecond()
    {
        static const bool drawn[] = {false, true, false, false, true, false, true, false, false, false,
                                     false, false, false, false, false, false, false, false, false};
        static const uint64_t frames[] = {6944, 130000, 6944, 6944, 16667, 6944, 250000, 6944, 6944, 130000,
                                          6944, 6944, 130000, 6944, 6944, 130000, 6944, 6949, 130000};
        uint64_t second = 0;
        for (size_t i = 0; i < sizeof frames / sizeof frames[0]; ++i) {
            second += frames[i];
            ClockTicks += frames[i];
            if (drawn[i]) {
                MainLoopPass();
            } else {
                FrameTimer.Tick();
                UpdateGameState(GamePaused ? 0.0f : FrameTimer.delta);
            }
            beatingwatch::TheWatch.Step();
        }
        EXPECT_EQ(second, 1000000u);
    }

    // A key pressed and let go as the keyboard gives it, a letter's character typed with it: the
    // window's messages run its command; then a step of play.
    static void Key(int dik, const char* character = nullptr)
    {
        InputScript::KeyDown(dik);
        if (character) InputScript::Type(character);
        InputScript::KeyUp(dik);
        int exitCode = 0;
        DrainMessages(&exitCode);
        Play(0.1f, 0.1f, [] { return true; });
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

    // The rig alone selected scans where it stands, once its last scan's wait is over; the wait
    // runs, and the ring spreads, with the game's time.
    static void ScanHere(Agent* rig)
    {
        TheGame->ClearSelection();
        TheGame->SelectEntity(rig);
        if (TheScanEffects.GetCooldown(rig) > 0.0f)
            Play(6.0f, 0.1f, [rig] { return TheScanEffects.GetCooldown(rig) > 0.0f; });
        CmdScan();
        Play(2.0f, 0.1f, [] { return true; });
    }

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

    // The first entity of the level by that name, alive.
    static Entity* Named(const char* name)
    {
        Entity* found = nullptr;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e && !found; e = TheScene.NextEntity())
            if (e->IsAlive() && StrICmp(e->name, name) == 0) found = e;
        TheScene.EndIteration();
        return found;
    }

    // The enemy nearest to a point within a reach, alive and not a lair or a camp.
    static Agent* NearestFoe(const Vec3& from, float reach)
    {
        Agent* best = nullptr;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
            if (e->alignment == ALIGN_ENEMY && e->IsAlive() && GroundDistance(e->GetPosition(), from) < reach &&
                (!best || GroundDistance(e->GetPosition(), from) < GroundDistance(best->GetPosition(), from)))
                best = static_cast<Agent*>(e);
        TheScene.EndIteration();
        return best;
    }

    // The player's fighting bots alive, and the rig when given.
    static std::vector<Agent*> Fighters(Agent* rig = nullptr)
    {
        std::vector<Agent*> units;
        if (rig && rig->IsAlive()) units.push_back(rig);
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity())
            if (e->alignment == ALIGN_PLAYER && e->IsAlive() && !(e->flags & ENTITY_PLAYER) &&
                static_cast<Agent*>(e)->brainKind == BRAIN_ATTACKBOT)
                units.push_back(static_cast<Agent*>(e));
        TheScene.EndIteration();
        return units;
    }

    static inline CuttingWatch watch;

    // The rig cuts the revealed ore nearest to a point for a while, scanning for some first
    // when none is revealed; a beast that comes for it is shot down.
    static void CutOre(Agent* rig, const Vec3& near, float seconds)
    {
        Entity* patch = NearestOre(near, true);
        if (!patch) {
            Entity* hidden = NearestOre(near, false);
            if (!hidden) return;
            SendRig(rig, hidden->GetPosition());
            Play(40.0f, 0.1f, [&] { return rig->IsAlive() && GroundDistance(rig->GetPosition(), hidden->GetPosition()) > 8.0f; });
            ScanHere(rig);
            return;
        }
        SendToCut(rig, patch);
        Play(seconds, 0.1f, [&] {
            watch.Step(rig, patch, 0.1f);
            if (Defend(rig)) return rig->IsAlive();
            return rig->IsAlive() && patch->health > 0.0f && rig->brain && rig->brain->mode == AI_MODE_EXTRACT_ORE;
        });
    }

    // The rig walks to a point as a player walks it: a foe that comes at it, or stands within
    // `clear` of the point, is shot down first with a right click. True once it is there.
    static bool FightYourWayTo(Agent* rig, const Vec3& to, float near, float clear, float seconds)
    {
        Play(seconds, 0.1f, [&] {
            if (!rig->IsAlive() || GroundDistance(rig->GetPosition(), to) < near) return false;
            if (rig->brain && rig->brain->mode == AI_MODE_ATTACK) return true;
            Agent* foe = BeastsOn(rig).empty() ? NearestFoe(to, clear) : BeastsOn(rig).front();
            if (foe && GroundDistance(foe->GetPosition(), rig->GetPosition()) < 25.0f) {
                for (Agent* unit : Fighters())
                    if (!unit->brain || unit->brain->mode != AI_MODE_ATTACK) {
                        TheGame->hoveredEntity = foe;
                        TheGame->OrderAttack(unit);
                    }
                TheGame->hoveredEntity = foe;
                TheGame->OrderAttack(rig);
                TheGame->hoveredEntity = nullptr;
            } else if (!(rig->classWord & AGENT_MOVING)) {
                // The bots come along, told to fight on the way.
                for (Agent* unit : Fighters()) {
                    if (unit->brain && unit->brain->mode == AI_MODE_ATTACK) continue;
                    TheGame->ClearSelection();
                    TheGame->SelectEntity(unit);
                    TheGame->hoveredEntity = nullptr;
                    TheGame->pickedPoint = to;
                    TheGame->OrderMove(true);
                }
                SendRig(rig, to);
            }
            return true;
        });
        return rig->IsAlive() && GroundDistance(rig->GetPosition(), to) < near;
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

    // The rig walks toward the nearest lair and stands there, answering what bites it, until a
    // third of its hull is gone or half a minute after the first bite, then turns for home;
    // followed until it is home again or has fallen.
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
        float homeFor = 0.0f, sinceTrouble = 0.0f;
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
            // A newcomer looks up late: only when a third of the hull is gone, or after a while.
            if (walk.reachedTrouble) sinceTrouble += 0.1f;
            if (!turned && (rig->health < rig->GetMaxHealth() * (2.0f / 3.0f) || sinceTrouble > 30.0f)) {
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

    // The first story mission as the briefing asks it: a scan where the rig lands, a refinery
    // beside the ore it finds, and the rig cutting that ore patch after patch; whatever bites
    // the rig is answered with a right click on it. True once the guild calls the mission won.
    bool WinTheFirstMission()
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        const Vec3 home = rig->GetPosition();
        ScanHere(rig);
        Entity* ore = NearestOre(home, true);
        EXPECT_NE(ore, nullptr) << "the first scan where the rig lands finds ore";
        if (!ore) ore = NearestOre(home, false);
        Building* refinery = ore ? PutDown(rig, "refinery", ore->GetPosition()) : nullptr;
        EXPECT_NE(refinery, nullptr) << "the starting ore pays for a refinery that fits beside the ore";
        if (!refinery) return false;
        Play(120.0f, 0.1f, [&] {
            Defend(rig);
            return rig->IsAlive() && refinery->buildState != BUILD_STATE_READY;
        });
        EXPECT_EQ(refinery->buildState, BUILD_STATE_READY) << "the rig built the refinery within two minutes";

        bool won = false;
        float minutes = 0.0f;
        for (int round = 0; round < 40 && !won && rig->IsAlive(); ++round) {
            Entity* patch = NearestOre(refinery->GetPosition(), true);
            if (!patch) {
                Entity* hidden = NearestOre(refinery->GetPosition(), false);
                EXPECT_NE(hidden, nullptr) << "ore is left to scan";
                if (!hidden) return false;
                SendRig(rig, hidden->GetPosition());
                Play(40.0f, 0.1f, [&] {
                    Defend(rig);
                    return rig->IsAlive() && GroundDistance(rig->GetPosition(), hidden->GetPosition()) > 8.0f;
                });
                ScanHere(rig);
                continue;
            }
            SendToCut(rig, patch);
            Play(60.0f, 0.1f, [&] {
                minutes += 0.1f / 60.0f;
                watch.Step(rig, patch, 0.1f);
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
        return rig->IsAlive() && TheMessageWindow && TheMessageWindow->shown && TheMessageWindow->missionComplete;
    }

    // The second story mission as its briefing asks it: a factory at the start and two fighting
    // bots of the pilot's starting kind from it, paid for with ore the rig cuts; all of them to
    // the beacon, then the camp's guards and the camp. True once the guild calls the mission won.
    bool WinTheSecondMission(const char* bot = "gunner_bot")
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        Entity* beacon = Named("survey_beacon");
        Entity* camp = Named("Scavenger_camp");
        EXPECT_NE(beacon, nullptr);
        EXPECT_NE(camp, nullptr);
        if (!beacon || !camp) return false;

        // A factory at the start, and two fighters from it, paid for with the ore the rig cuts.
        Building* factory = PutDown(rig, "bot_factory", rig->GetPosition());
        EXPECT_NE(factory, nullptr);
        if (!factory) return false;
        Play(120.0f, 0.1f, [&] {
            Defend(rig);
            return factory->buildState != BUILD_STATE_READY;
        });
        EXPECT_EQ(factory->buildState, BUILD_STATE_READY) << "the rig built the factory";
        std::vector<Agent*> fighters;
        for (int round = 0; round < 30 && fighters.size() < 2 && rig->IsAlive(); ++round) {
            TheGame->ClearSelection();
            TheGame->SelectEntity(factory);
            Passes(1, 0.05f);
            BuildPanel* panel = GetBuildPanel(factory->definition, false);
            if (!panel) return false;
            for (int i = 0; i < panel->buttonCount; ++i) {
                const AgentType* type = panel->buttons[i].type;
                if (type && panel->buttons[i].button->IsVisible() && StrICmp(type->name, bot) == 0)
                    ClickOn(panel->buttons[i].button);
            }
            CutOre(rig, factory->GetPosition(), 20.0f);
            fighters = Fighters();
        }
        EXPECT_EQ(fighters.size(), 2u) << "the factory built two of " << bot;

        // All of them to the beacon, and on to the camp; whatever stands in the way is fought.
        EXPECT_TRUE(FightYourWayTo(rig, beacon->GetPosition(), 5.0f, 0.0f, 300.0f)) << "the rig reached the beacon";
        Press(DIK_TAB);  // the camera to the selected rig, and the beacon into the picture
        Passes(10, 0.1f);
        const Objective* found = TheObjectives->FindByName(0, "survey_beacon");
        EXPECT_TRUE(found && (found->flags & OBJECTIVE_DONE)) << "the beacon was found";
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);

        // The camp's guards fall first, then the camp: the bots gather short of it and go in, the
        // rig behind them; the rig mends itself from its cannisters, and with those spent steps back out
        // of the fight until the guards are down.
        const auto campId = camp->id;
        const Vec3 campAt = camp->GetPosition(), fromCamp = rig->GetPosition() - campAt;
        const Vec3 staging = campAt + fromCamp * (36.0f / std::max(GroundDistance(rig->GetPosition(), campAt), 36.0f));
        EXPECT_TRUE(FightYourWayTo(rig, staging, 6.0f, 0.0f, 300.0f)) << "the rig came within sight of the camp";
        Play(30.0f, 0.1f, [&] {
            for (Agent* unit : Fighters())
                if (GroundDistance(unit->GetPosition(), rig->GetPosition()) > 10.0f) return true;
            return false;
        });
        // The gunners go first, so that the guards turn on them.
        Play(8.0f, 0.1f, [&] {
            Agent* foe = NearestFoe(campAt, 24.0f);
            for (Agent* unit : Fighters()) {
                if (!foe || (unit->brain && unit->brain->mode == AI_MODE_ATTACK)) continue;
                TheGame->hoveredEntity = foe;
                TheGame->OrderAttack(unit);
            }
            TheGame->hoveredEntity = nullptr;
            return foe && (!foe->target.Get() || foe->target.Get() == rig);
        });
        // A cannister takes a moment to mend: the next is used only once the last has worked.
        // Out of the fight, the rig stays out while the camp still has guards and the bots still
        // fight them; whatever comes after it is the bots' first target.
        int heals = 0;
        float sinceHeal = 99.0f;
        bool back = false;
        Play(400.0f, 0.1f, [&] {
            if (!rig->IsAlive() || camp->id != campId || !camp->IsAlive()) return false;
            sinceHeal += 0.1f;
            if (rig->health < rig->GetMaxHealth() * 0.5f && heals < 2 && sinceHeal > 8.0f) {
                TheGame->ClearSelection();
                TheGame->SelectEntity(rig);
                Key(DIK_H, "h");  // the heal key as the keyboard gives it
                ++heals;
                sinceHeal = 0.0f;
            }
            Agent* foe = NearestFoe(campAt, 24.0f);
            if (!back && foe && heals == 2 && sinceHeal > 8.0f && rig->health < rig->GetMaxHealth() * 0.3f &&
                !Fighters().empty()) {
                SendRig(rig, staging);
                back = true;
            }
            if (back && (!foe || Fighters().empty())) back = false;
            const std::vector<Agent*> onRig = BeastsOn(rig);
            Entity* aim = !onRig.empty() ? onRig.front() : foe ? static_cast<Entity*>(foe) : camp;
            for (Agent* unit : Fighters(back ? nullptr : rig)) {
                const bool fighting = unit->brain && unit->brain->mode == AI_MODE_ATTACK;
                if (fighting && (onRig.empty() || unit->target.Get() == aim)) continue;
                TheGame->hoveredEntity = aim;
                TheGame->OrderAttack(unit);
            }
            TheGame->hoveredEntity = nullptr;
            return true;
        });
        EXPECT_TRUE(rig->IsAlive());
        Play(2.0f, 0.1f, [] { return true; });
        EXPECT_TRUE(TheObjectives->AllComplete());
        return TheMessageWindow && TheMessageWindow->shown && TheMessageWindow->missionComplete;
    }
};

// A machine so slow that every wait on the clock runs out at once: each reading of the wall
// clock is a second and a half after the last.
uint32_t Crawl()
{
    static uint32_t now = 0;
    return now += 1500;
}

// What the level holds: both of the game's sequences where they stand, the clock, every
// entity's name, flags, place and health, bit for bit, in the order the level lists them (ids
// are handed out for the program's whole run: they tell what was made before the level), and
// what the player has found: each entity found, the cells ever seen and the fog's markers, the
// objectives' progress, and what the events found and had their turn at.
uint64_t LevelChecksum()
{
    uint64_t sum = 1469598103934665603ull;
    auto add = [&sum](const void* data, size_t size) {
        for (size_t i = 0; i < size; ++i) sum = (sum ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
    };
    const unsigned rand = RandState();
    const MwcGenerator mwc = RandomMWCState();
    add(&rand, sizeof rand);
    add(&mwc.z, sizeof mwc.z);
    add(&mwc.w, sizeof mwc.w);
    add(&MissionTime, sizeof MissionTime);
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) {
        const Vec3 at = e->GetPosition();
        add(e->name, strlen(e->name));
        add(&e->flags, sizeof e->flags);
        add(&at, sizeof at);
        add(&e->health, sizeof e->health);
        add(&e->discovered, sizeof e->discovered);
        const bool agentFound = (e->flags & ENTITY_AGENT) && (static_cast<Agent*>(e)->classWord & AGENT_DISCOVERED);
        add(&agentFound, sizeof agentFound);
    }
    TheScene.EndIteration();
    const FogGrids& fog = TheMinimap.fog;
    add(fog.everSeen.data(), fog.everSeen.size());
    add(fog.markers.data(), fog.markers.size());
    for (auto* node = TheObjectives ? TheObjectives->list.head : nullptr; node; node = node->next) {
        add(&node->value->flags, sizeof node->value->flags);
        add(&node->value->count, sizeof node->value->count);
    }
    if (TheEvents) {
        add(&TheEvents->enemyDiscovered, sizeof TheEvents->enemyDiscovered);
        add(&TheEvents->oreDiscovered, sizeof TheEvents->oreDiscovered);
        for (const std::string& name : TheEvents->retired) add(name.c_str(), name.size() + 1);
    }
    return sum;
}

// A machine the level is played on: its clock, which frames it draws, and how many times one
// program plays the level.
struct Machine {
    const char* name;
    bool slow;
    int drawEvery;
    int plays;
    bool uneven = false;  // its frames of 1/144 s to a quarter second, mixed
};
void PrintTo(const Machine& machine, std::ostream* out) { *out << machine.name; }

// Where the level stands after its two minutes, on every machine and at every play.
constexpr uint64_t PINNED_END = 2920641310663131831ull;

class FirstMissionLevel : public FirstMissionSession, public testing::WithParamInterface<Machine> {
protected:
    // The second story mission from its start, played two minutes the same way on the machine.
    void PlayTwoMinutes(const Machine& machine)
    {
        SetWallClock(machine.slow ? Crawl : nullptr);
        const bool into = IntoTheFirstMission(99, 1);
        SetWallClock(nullptr);
        ASSERT_TRUE(into);
        Agent* rig = GetPlayerRig();
        Entity* beacon = Named("survey_beacon");
        Entity* camp = Named("Scavenger_camp");
        ASSERT_TRUE(rig && beacon && camp);
        ScopedGlobal<int> drawing{drawEvery, machine.drawEvery};
        // The hand looks once a second of play, so that a machine whose frames hold several
        // ticks gives its orders at the ticks a machine of even frames gives them.
        ScopedGlobal<int> looking{lookEvery, 10};
        ScopedGlobal<bool> uneven{unevenClock, machine.uneven};
        const float start = MissionTime;

        Key(DIK_TAB);
        ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "the key took the rig";
        Key(DIK_C, "c");
        EXPECT_GT(TheScanEffects.GetCooldown(rig), 0.0f) << "the Scan key scanned";
        const float scanned = MissionTime;
        Play(1.5f, 0.1f, [] { return true; });
        EXPECT_TRUE(TheEvents && TheEvents->oreDiscovered) << "the scan found the ore beside the landing site";

        FightYourWayTo(rig, beacon->GetPosition(), 5.0f, 0.0f, 100.0f);
        Key(DIK_TAB);  // the camera to the rig, and the beacon into the picture
        Play(2.0f, 0.1f, [] { return true; });
        const Objective* found = TheObjectives->FindByName(0, "survey_beacon");
        EXPECT_TRUE(found && (found->flags & OBJECTIVE_DONE)) << "the beacon was found";
        EXPECT_EQ(TheScanEffects.GetCooldown(rig), 0.0f) << "the scan's wait ran out " << MissionTime - scanned << " s after it";

        FightYourWayTo(rig, camp->GetPosition(), 8.0f, 20.0f, 120.0f - (MissionTime - start));
        Play(120.0f - (MissionTime - start), 0.1f, [] { return true; });
        const MwcGenerator mwc = RandomMWCState();
        SCOPED_TRACE(testing::Message() << "the level's generator at " << RandState() << ", the program's at " << mwc.z
                                        << " " << mwc.w);
        EXPECT_EQ(DrawsWhileLookOnly(), 0) << "draws of the game's sequences while drawing";
        EXPECT_EQ(LevelChecksum(), PINNED_END) << "the pinned end of the level";
    }
};

// A level's course follows from its seed and the player's orders alone, not from the machine's
// speed, nor from which frames are drawn, nor from what the program played before. The second
// story mission is played on a fast machine that draws every frame, on a machine so slow that
// every wait on the clock runs out (the loading's tips turn over at each phase, the warm-up does
// one draw a pass) and that draws every tenth frame, and on one that draws none, each a test of
// its own so that they play side by side; a fourth test plays it twice in one program (no frame
// drawn, the cheapest), the second time after the first has ended and left for the main menu,
// as a player who starts the mission again does; a fifth plays it through the program's loop on
// a clock whose frames come unevenly, from 1/144 s to a quarter second, so that several of the
// world's ticks fall in one frame and none in others. Each time it is played two minutes the same way: the rig, taken by its key, scans
// where it lands with the Scan key, fights its way to the survey beacon, finds it, and goes on
// toward the camp. Nothing was drawn from the game's sequences while a frame or the loading
// screen was drawn, and every play ends at the pinned end, so that a machine that plays it
// otherwise, or a level that keeps something of the one before, fails here.
TEST_P(FirstMissionLevel, ALevelPlaysTheSameOnASlowMachineAsOnAFastOne)
{
    const Machine& machine = GetParam();
    for (int play = 1; play <= machine.plays && !HasFatalFailure(); ++play) {
        SCOPED_TRACE(testing::Message() << "play " << play << " of the program");
        PlayTwoMinutes(machine);
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, FirstMissionLevel,
                         testing::Values(Machine{"FastEveryFrameDrawn", false, 1, 1},
                                         Machine{"SlowEveryTenthFrameDrawn", true, 10, 1},
                                         Machine{"FastNoFrameDrawn", false, 0, 1},
                                         Machine{"FastNoFrameDrawnTwiceInOneProgram", false, 0, 2},
                                         Machine{"UnevenFrames", false, 1, 1, true}),
                         [](const testing::TestParamInfo<Machine>& info) { return std::string(info.param.name); });

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
    // The rig shoots the beasts as they come, so a lair seldom fills to its limit (the limits
    // by difficulty are the buildings' own test); it never keeps fewer.
    EXPECT_GE(walks[1].mostBeastsOfTheLair, walks[0].mostBeastsOfTheLair) << "a lair keeps as many beasts at once";
    ASSERT_GT(walks[0].hits, 0);
    ASSERT_GT(walks[1].hits, 0);
    EXPECT_GT(walks[1].damage / walks[1].hits, 1.3f * walks[0].damage / walks[0].hits) << "and each of their hits hurts more";
}


// A newcomer who builds what the objectives ask, mines, and answers a hit on the rig with a
// right click on the attacker wins the first two story missions on Beginner, level after
// level; one level of each is played in the whole program, drawn, the rest without pictures.
// On 52 and 195 the nearest crystal lies across three cells. The second mission is won by a
// pilot who chose the scout to start with as well as by one who
// chose the gunner. One level plays on after the win and loses the rig: the mission stays won.
// Each level is a game of its own, so that the table's levels play side by side.
struct ScriptedLevel {
    int story;
    int seed;
    bool drawn;
    const char* bot;  // the pilot's starting bot
    bool playOn;      // "Continue Playing" after the win, and the rig lost
};

const ScriptedLevel SCRIPTED_LEVELS[] = {
    {0, 11, true, "gunner_bot", false},    {0, 22, false, "gunner_bot", false},   {0, 33, false, "gunner_bot", false},
    {0, 44, false, "gunner_bot", false},   {0, 55, false, "gunner_bot", false},   {0, 66, false, "gunner_bot", false},
    {0, 77, false, "gunner_bot", false},   {0, 88, false, "gunner_bot", false},   {0, 52, false, "gunner_bot", false},
    {0, 195, false, "gunner_bot", false},  {1, 22, true, "gunner_bot", false},    {1, 44, false, "gunner_bot", true},
    {1, 99, false, "gunner_bot", false},   {1, 101, false, "gunner_bot", false},  {1, 33, false, "gunner_bot", false},
    {1, 11, false, "gunner_bot", false},   {1, 22, false, "scout_bot", false},    {1, 44, false, "scout_bot", false},
    {1, 99, false, "scout_bot", false},    {1, 101, false, "scout_bot", false},
};

class ScriptedWin : public FirstMissionSession, public testing::WithParamInterface<ScriptedLevel> {
protected:
    void SetUp() override
    {
        StartAsPilot("scriptedwin", "mainMenuEnabled false\ncurrentprofile Pilot\nDifficulty 0\n",
                     {{"attachleft", std::string("unit\t\t") + GetParam().bot + "\nattachleft"}});
    }
};

TEST_P(ScriptedWin, OnBeginnerTheBriefingsRefineryAndOreWinTheMissionWithTheRigAlive)
{
    const ScriptedLevel& level = GetParam();
    ASSERT_TRUE(IntoTheFirstMission(level.seed, level.story));
    const int mission = TheGalaxy->selectedBody->missionId;
    ScopedGlobal<int> drawing{drawEvery, level.drawn ? 10 : 0};
    ScopedGlobal<CuttingWatch> cutting{watch, CuttingWatch{}};
    ASSERT_TRUE(level.story == 0 ? WinTheFirstMission() : WinTheSecondMission(level.bot)) << "the mission is won";
    // A rig at its cutting beside ore brings ore in: it never stands there long for nothing.
    EXPECT_LT(watch.longest, 10.0f) << "seconds the rig stood cutting while no ore came in";
    if (!level.playOn) return;

    // Played on, and the rig, worn down by the camp, lost to the level's spiders: the mission ends
    // as "Exit Mission" ends it.
    ClickOn(TheMessageWindow->continueButton);
    ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    Agent* rig = GetPlayerRig();
    rig->SetHealth(rig->GetMaxHealth() * 0.1f);
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
    Press(DIK_TAB);  // the camera to the rig
    int spiders = 0;
    for (int i = 0; i < 12; ++i) spiders += PlaceUnit("spider", rig->GetPosition(), ALIGN_ENEMY) != nullptr;
    EXPECT_GT(spiders, 0);
    PlayWithoutPictures(120.0f, 0.1f, [] { return TheGame->state == GAME_STATE_PLAYING && !TheInGameMenu->failedShown; });
    Passes(2, 0.05f);
    EXPECT_NE(TheGame->state, GAME_STATE_PLAYING) << "the spiders brought the rig down, and with it the level";
    EXPECT_FALSE(TheInGameMenu->failedShown) << "the won mission was failed";
    EXPECT_TRUE(TheResultsScreen && TheResultsScreen->IsOpen()) << "the results of the won mission";
    EXPECT_TRUE(GetPlayerProfile()->IsMissionCompleted(mission));
}

// A row's name, also as the test lists it: the same in every build (ctest keeps each test's time
// under its name, to start the longest first).
std::string NameOf(const ScriptedLevel& level)
{
    return "Story" + std::to_string(level.story) + "Seed" + std::to_string(level.seed) + (level.bot[0] == 's' ? "Scout" : "") +
           (level.playOn ? "PlayedOn" : "");
}
void PrintTo(const ScriptedLevel& level, std::ostream* out) { *out << NameOf(level); }

INSTANTIATE_TEST_SUITE_P(FirstMissionSession, ScriptedWin, testing::ValuesIn(SCRIPTED_LEVELS),
                         [](const testing::TestParamInfo<ScriptedLevel>& info) { return NameOf(info.param); });

TEST_F(FirstMissionSession, OnBeginnerTheRigFindsTheBeaconAndRazesTheCampOfTheSecondMission)
{
    ASSERT_TRUE(IntoTheFirstMission(7, 1));
    ASSERT_TRUE(WinTheSecondMission()) << "the mission is won";

    // "Exit Mission": the results of a won mission, with the mission's credits.
    ClickOn(TheMessageWindow->exitButton);
    ASSERT_TRUE(TheResultsScreen && TheResultsScreen->IsOpen());
    EXPECT_STREQ(TheResultsScreen->creditsLabel->GetText(), "400");
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/second_mission_results.png", shot));
    Pixels picture = ToPixels(shot);
    EXPECT_TRUE(MatchesReference(picture, "second_mission_results", {12, picture.width * picture.height / 50}));
}

// Each story mission's first target stands among guards; on Beginner the rig walked up to it,
// answering what attacks it and turning for home once a third of its hull is gone, as the
// newcomer at the lair does, lives.
TEST_F(FirstMissionSession, OnBeginnerTheRigWalkedToEachStoryMissionsFirstTargetLives)
{
    for (int story = 1; story < 8; ++story) {
        SCOPED_TRACE(story);
        ASSERT_TRUE(IntoTheFirstMission(11, story));
        Agent* rig = GetPlayerRig();
        ASSERT_NE(rig, nullptr);
        // The first target with free ground beside it, where the rig is sent.
        const Vec3 home = rig->GetPosition();
        Entity* target = nullptr;
        Vec3 to;
        for (auto* node = TheObjectives->list.head; node && !target; node = node->next) {
            target = Named(node->value->target);
            const Vec3 at = target ? target->GetPosition() : Vec3();
            if (target && !FindFreeCellNear(&to, target, home, 0.0f, &at)) target = nullptr;
        }
        ASSERT_NE(target, nullptr) << "an objective names something in the level";
        bool reached = false, turned = false;
        float standing = 0.0f;
        Play(400.0f, 0.1f, [&] {
            reached |= GroundDistance(rig->GetPosition(), to) < 6.0f;
            if (reached && !turned && (standing += 0.1f) > 30.0f) return false;
            if (!turned && rig->health < rig->GetMaxHealth() * (2.0f / 3.0f)) {
                SendRig(rig, home);
                turned = true;
            } else if (!turned && !reached && !(rig->classWord & AGENT_MOVING)) {
                SendRig(rig, to);
            }
            return rig->IsAlive() && !(turned && GroundDistance(rig->GetPosition(), home) < 10.0f);
        });
        EXPECT_TRUE(reached || turned) << target->name;
        EXPECT_TRUE(rig->IsAlive()) << target->name;
    }
}


// The camp of the second mission as a newcomer played it: the rig and two bots of the pilot's
// choice, grouped with Shift-clicks and Ctrl+1, sent by a right click on the minimap beside the
// camp; there the tent is right-clicked for the group, then, the rig clicked and Tab pressed,
// for the rig alone; the guards are never clicked, and the heal key mends the rig twice. Every
// hit on the rig is one it can answer (its attacker known to it), and while a guard within its
// reach beats it the rig shoots back within moments; a rig that lives sees the camp fall.
// Moved in instead by a right click on the camp's own mark on the minimap, into the guards, the
// group is told onto the tent and the rig, after Tab, onto the ground beside it: the rig and its
// bots raze the camp and the rig lives; so do a mortar bot and a heavy tank, whose slow guns
// reload between shots. Whatever the row, no unit of the group stands beaten (the watch of
// every whole game).
struct CampLevel {
    int seed;  // the level's seed; 0: the one the galaxy gives the mission's planet
    const char* bot;
    const char* galaxy = nullptr;  // the pilot's galaxy, when not the walks' own
    bool movedIn = false;          // sent to the camp's centre by the minimap, not short of it
    const char* second = nullptr;  // the other bot's type, when not the first's
};

class CampByTheTent : public FirstMissionSession, public testing::WithParamInterface<CampLevel> {
protected:
    void SetUp() override
    {
        std::vector<std::pair<std::string, std::string>> edits = {
            {"attachleft", std::string("unit\t\t") + GetParam().bot + "\nattachleft"}};
        if (GetParam().galaxy)
            edits.push_back({std::string("galaxyseed\t") + GALAXY_SEED, std::string("galaxyseed\t") + GetParam().galaxy});
        StartAsPilot("campbythetent", "mainMenuEnabled false\ncurrentprofile Pilot\nDifficulty 0\n", edits);
    }
    // The pointer on the minimap's point nearest that place of the world, and a right click.
    void RightClickOnMinimap(const Vec3& place)
    {
        const MinimapLayout& box = TheMinimap.layout;
        int mx = 0, my = 0;
        float best = 1e9f;
        for (int x = box.x; x < box.x + box.width; ++x)
            for (int y = box.y; y < box.y + box.height; ++y)
                if (IsPointOnMinimap(x, y) && GroundDistance(MinimapToWorld(x, y), place) < best)
                    best = GroundDistance(MinimapToWorld(x, y), place), mx = x, my = y;
        MoveMouseTo(mx, my);
        Click(1);
    }
};

TEST_P(CampByTheTent, TheRigSentAtTheTentAnswersTheGuardsThatBeatIt)
{
    ASSERT_TRUE(IntoTheFirstMission(GetParam().seed, 1));
    Agent* rig = GetPlayerRig();
    Entity* camp = Named("Scavenger_camp");
    ASSERT_TRUE(rig && camp);
    std::vector<Agent*> bots;
    for (const char* type : {GetParam().bot, GetParam().second ? GetParam().second : GetParam().bot})
        bots.push_back(PlaceUnit(type, rig->GetPosition()));
    ASSERT_TRUE(bots[0] && bots[1]);
    TheGame->CenterCameraOnEntity(rig);
    Passes(2, 0.05f);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    InputScript::KeyDown(DIK_LSHIFT);
    for (Agent* bot : bots) ASSERT_TRUE(ClickAt(bot->GetCenter(), 0));
    InputScript::KeyUp(DIK_LSHIFT);
    InputScript::KeyDown(DIK_LCONTROL);
    Press(DIK_1);
    InputScript::KeyUp(DIK_LCONTROL);
    ASSERT_EQ(TheGame->hand.selected.count, 3) << "the rig and its bots are one group";
    // The minimap's point a dozen paces short of the camp, on the rig's side, or the camp's own.
    const Vec3 campAt = camp->GetPosition(), toRig = rig->GetPosition() - campAt;
    const Vec3 short_ = campAt + toRig * (12.0f / std::max(GroundDistance(rig->GetPosition(), campAt), 12.0f));
    RightClickOnMinimap(GetParam().movedIn ? campAt : short_);

    // What the rig goes through, every step: a hit that adds less to what it knows of its
    // attackers than it takes is one it cannot answer; a guard within its reach that hit it in
    // the last two seconds, while the rig shoots none of its attackers, counts as a beating.
    const auto campId = camp->id;
    float lastHealth = rig->health, known = 0.0f, unanswerable = 0.0f, beaten = 0.0f, longestBeating = 0.0f;
    int heals = 0, shotsAtAttackers = 0;
    float sinceHeal = 99.0f;
    std::string beatingAt;
    auto watch = [&] {
        float sum = 0.0f;
        bool beatenNow = false;
        for (int i = 0; i < rig->threatCount; ++i) {
            sum += rig->threats[i].threat;
            Entity* attacker = rig->threats[i].attacker.GetLive();
            beatenNow |= attacker && MissionTime - rig->threats[i].lastHit < 2.0f &&
                         GroundDistance(attacker->GetPosition(), rig->GetPosition()) < rig->GetAttackRange();
        }
        if (rig->health < lastHealth && sum - known < 0.5f * (lastHealth - rig->health))
            unanswerable += lastHealth - rig->health;
        known = sum;
        lastHealth = rig->health;
        bool shooting = false;
        for (auto* n = TheProjectiles->beams.head; n; n = n->next)
            shooting |= n->value->shooter.Get() == rig && rig->FindThreat(n->value->target.Get());
        for (auto* n = TheProjectiles->projectiles.head; n; n = n->next)
            shooting |= n->value->shooter.Get() == rig && rig->FindThreat(n->value->target.Get());
        shotsAtAttackers += shooting;
        // A plain move is obeyed to the letter: the rig answers once it stands.
        const bool walking = rig->HasStanceBits() && rig->brain && rig->brain->mode != AI_MODE_ATTACK;
        beaten = beatenNow && !shooting && !walking ? beaten + 0.1f : 0.0f;
        if (beaten > longestBeating) {
            longestBeating = beaten;
            const Job* job = rig->brain ? rig->brain->job : nullptr;
            beatingAt = std::string("at ") + std::to_string(MissionTime) + " s, mode " +
                        AIBrain::GetModeName(rig->brain ? rig->brain->mode : AI_MODE_NONE) + ", job " +
                        (job ? job->name : "none") + ", target " + (rig->target.Get() ? rig->target.Get()->name : "none");
        }
        // The heal key, as the newcomer pressed it, with the rig alone selected.
        sinceHeal += 0.1f;
        if (rig->IsAlive() && rig->health < rig->GetMaxHealth() * 0.5f && heals < 2 && sinceHeal > 8.0f &&
            TheGame->hand.selected.count == 1 && TheGame->GetFirstSelected() == rig) {
            Key(DIK_H, "h");
            ++heals;
            sinceHeal = 0.0f;
        }
        return rig->IsAlive() && camp->id == campId && camp->IsAlive();
    };
    Play(150.0f, 0.1f, [&] { return watch() && (GroundDistance(rig->GetPosition(), campAt) > 16.0f || rig->HasStanceBits()); });
    ASSERT_LT(GroundDistance(rig->GetPosition(), campAt), 16.0f) << "the group got to the camp";
    Play(8.0f, 0.1f, watch);

    // The tent for the group, then for the rig alone.
    if (rig->IsAlive() && camp->IsAlive()) {
        TheGame->CenterCameraOnEntity(camp);
        Passes(2, 0.05f);
        ASSERT_TRUE(ClickAt(camp->GetCenter(), 1));
        Play(3.0f, 0.1f, watch);
        TheGame->CenterCameraOnEntity(rig);
        Passes(2, 0.05f);
        ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
        Press(DIK_TAB);
        TheGame->CenterCameraOnEntity(camp);
        Passes(2, 0.05f);
        if (GetParam().movedIn) {
            // The click meant for the tent lands on the ground beside it.
            Vec3 beside;
            ASSERT_TRUE(FindFreeCellNear(&beside, camp, rig->GetPosition(), 0.0f, nullptr));
            ASSERT_TRUE(ClickAt(beside, 1));
        } else {
            ASSERT_TRUE(ClickAt(camp->GetCenter(), 1));
        }
        ASSERT_EQ(TheGame->GetFirstSelected(), rig);
        Play(150.0f, 0.1f, watch);
    }
    // (A fire still burning once its flamer is dead is the one hit left without an attacker.)
    EXPECT_LT(unanswerable, 0.05f * rig->GetMaxHealth()) << "damage the rig took from attackers it could not know";
    EXPECT_GT(shotsAtAttackers, 0) << "the rig shot at the guards that beat it";
    EXPECT_LE(longestBeating, 3.0f) << "seconds a guard within reach beat the rig while it shot none of them, " << beatingAt;
    if (rig->IsAlive()) {
        EXPECT_FALSE(camp->id == campId && camp->IsAlive()) << "the rig, living, razed the camp";
    }
    if (GetParam().movedIn) {
        EXPECT_TRUE(rig->IsAlive()) << "moved in on Beginner, the rig lives";
        EXPECT_FALSE(camp->id == campId && camp->IsAlive()) << "the group razed the camp";
    }
}

const CampLevel CAMP_LEVELS[] = {
    {22, "scout_bot"},  {44, "scout_bot"},  {99, "scout_bot"},  {101, "scout_bot"},
    {22, "gunner_bot"}, {44, "gunner_bot"}, {99, "gunner_bot"}, {101, "gunner_bot"},
    {0, "scout_bot", "1111", true},  {0, "scout_bot", "3333", true},  {0, "scout_bot", "1003", true},
    {0, "scout_bot", "2222", true},  {0, "gunner_bot", "1111", true}, {0, "gunner_bot", "3333", true},
    {0, "gunner_bot", "1003", true}, {0, "gunner_bot", "2222", true},
    // The slow guns: a mortar between shells and a tank between plasma bolts fight on.
    {0, "mortar_bot", "1111", true, "heavy_tank"}};
std::string NameOf(const CampLevel& level)
{
    auto title = [](const char* type) {
        return std::string(type[0] == 's' ? "Scout" : type[0] == 'g' ? "Gunner" : type[0] == 'm' ? "Mortar" : "Tank");
    };
    const std::string bot = title(level.bot) + (level.second ? title(level.second) : "");
    if (level.movedIn) return std::string("MovedInGalaxy") + level.galaxy + bot;
    return "Seed" + std::to_string(level.seed) + bot;
}
void PrintTo(const CampLevel& level, std::ostream* out) { *out << NameOf(level); }

INSTANTIATE_TEST_SUITE_P(FirstMissionSession, CampByTheTent, testing::ValuesIn(CAMP_LEVELS),
                         [](const testing::TestParamInfo<CampLevel>& info) { return NameOf(info.param); });

}  // namespace
