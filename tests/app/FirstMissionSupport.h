#pragma once
// The story missions as a newcomer plays them, for the walks through them: the missions
// started as the galaxy starts them, the rig and its bots sent, scanning, building, cutting ore
// and fighting as a player's clicks and keys make them, and the first two missions won.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/RandomMission.h"
#include "interface/CharacterGui.h"
#include "interface/InGameMenu.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "gui/Label.h"
#include "interface/ResultsScreen.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "mechanics/EventManager.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Replay.h"
#include "mechanics/Selection.h"
#include "world/AgentTypeRegistry.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/GridQueries.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"
#include "world/WeaponDef.h"
#include "host/Random.h"
#include "host/System.h"
#include "platform/RandomUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

using namespace playersession;

namespace firstmission {

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

// The games some walks play are kept as replays (tests/data/replays/<name>.replay): the walk
// compares its level's recording with the kept one, and "veldmark -replay <file> -verify" plays
// each kept one again in CI. A change that moves such a game fails its walk, which says where;
// `VELDMARK_UPDATE_REPLAYS=1 ./test.sh` (or the walk run alone with it) records it anew.
inline std::string KeptReplayPath(const std::string& name) { return SourcePath("tests/data/replays/" + name + ".replay"); }

inline std::string OrdersText(const ReplayTick* tick)
{
    if (!tick) return "none";
    std::string text;
    for (const PlayerOrder& order : tick->orders)
        text += (text.empty() ? "" : ", ") + std::string("kind ") + std::to_string(order.kind) +
                (order.text.empty() ? "" : " '" + order.text + "'");
    return text;
}

// Where a game played now parts from its kept recording: its level, its orders, the world's
// digests and its end ("" when it is the same game; the date and the bytes do not count).
inline std::string HowTheGameMoved(const Replay& kept, const Replay& now)
{
    const ReplayHeader &a = kept.header, &b = now.header;
    std::string moved;
    auto say = [&moved](const std::string& what) { moved += "\n  " + what; };
    if (a.seed != b.seed || a.missionKind != b.missionKind || a.missionId != b.missionId || a.difficulty != b.difficulty ||
        a.restore != b.restore)
        say("the level: seed " + std::to_string(a.seed) + " mission " + std::to_string(a.missionId) + " difficulty " +
            std::to_string(a.difficulty) + " kept, now seed " + std::to_string(b.seed) + " mission " +
            std::to_string(b.missionId) + " difficulty " + std::to_string(b.difficulty));
    for (size_t i = 0; i < std::max(kept.ticks.size(), now.ticks.size()); ++i) {
        const ReplayTick* k = i < kept.ticks.size() ? &kept.ticks[i] : nullptr;
        const ReplayTick* n = i < now.ticks.size() ? &now.ticks[i] : nullptr;
        if (k && n && k->tick == n->tick && k->orders == n->orders) continue;
        const uint32_t tick = std::min(k ? k->tick : UINT32_MAX, n ? n->tick : UINT32_MAX);
        const bool keptThere = k && k->tick == tick, nowThere = n && n->tick == tick;
        say("the orders first at tick " + std::to_string(tick) + ": kept " + OrdersText(keptThere ? k : nullptr) +
            "; now " + OrdersText(nowThere ? n : nullptr));
        break;
    }
    // A game kept in an older format version sums its world otherwise: its sums are checked by
    // playing it (the kept_replay_ tests), the ticks of its digests, its orders and its end here.
    const bool sameSums = ReplaySumKind(kept.format) == ReplaySumKind(now.format);
    for (size_t i = 0; i < std::max(kept.checks.size(), now.checks.size()); ++i) {
        const ReplayCheck* k = i < kept.checks.size() ? &kept.checks[i] : nullptr;
        const ReplayCheck* n = i < now.checks.size() ? &now.checks[i] : nullptr;
        if (k && n && k->tick == n->tick && (!sameSums || k->digest.sum == n->digest.sum)) continue;
        if (k && n && k->tick == n->tick)
            say("the world first at tick " + std::to_string(k->tick) + " (" + ReplayClockText(k->tick * 0.1f) + ")");
        else
            say("the world's digests: " + std::to_string(kept.checks.size()) + " kept, " + std::to_string(now.checks.size()) +
                " now, apart from the " + std::to_string(i + 1) + "th");
        break;
    }
    if (kept.outcome != now.outcome || kept.lastTick != now.lastTick || kept.endTime != now.endTime)
        say(std::string("the end: kept ") + ReplayOutcomeWord(kept.outcome) + " at tick " + std::to_string(kept.lastTick) +
            " (" + ReplayClockText(kept.endTime) + "), now " + ReplayOutcomeWord(now.outcome) + " at tick " +
            std::to_string(now.lastTick) + " (" + ReplayClockText(now.endTime) + ")");
    return moved;
}

// The profile's edit that gives a new pilot the experience the first mission gives: the level
// the second asks.
inline std::pair<std::string, std::string> SecondMissionsExperience()
{
    return {"experience\t0", "experience\t" + std::to_string(LevelThreshold(1))};
}

class FirstMissionSession : public PlayerSession {
protected:
    // At a walk's end, the recording of the pilot's last level (or the one `back` levels before
    // it) is the kept game of that name; with VELDMARK_UPDATE_REPLAYS=1 it is written over it.
    void ExpectTheKeptReplay(const std::string& name, size_t back = 0)
    {
        const std::vector<ReplayListing> recorded = ReplayDirector::ListOf("Pilot");
        ASSERT_GT(recorded.size(), back) << "the pilot's levels are recorded";
        const std::string bytes = ReadTextFile(recorded[back].path);
        const std::string kept = KeptReplayPath(name);
        const char* update = getenv("VELDMARK_UPDATE_REPLAYS");
        if (update && strcmp(update, "1") == 0) {
            ASSERT_TRUE(WriteTextFile(kept, bytes)) << kept;
            printf("recorded anew: %s\n", kept.c_str());
            return;
        }
        const std::string anew = "\nIf the change means to move this game, record it anew with "
                                 "VELDMARK_UPDATE_REPLAYS=1 ./test.sh (or this test run alone with it), and say so "
                                 "in the commit.";
        Replay now, before;
        std::string why;
        ASSERT_EQ(ReadReplay(bytes, 0, &now, &why), REPLAY_READ) << recorded[back].path << ": " << why;
        const std::string keptBytes = ReadTextFile(kept);
        ASSERT_FALSE(keptBytes.empty()) << "no kept replay " << kept << anew;
        ASSERT_EQ(ReadReplay(keptBytes, 0, &before, &why), REPLAY_READ) << kept << ": " << why << anew;
        const std::string moved = HowTheGameMoved(before, now);
        EXPECT_TRUE(moved.empty()) << "the game kept in " << kept << " moved:" << moved << anew;
    }

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
        TheGame->OrderExtractOre(rig);
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
        if (!LeaveForTheFrontEnd()) return false;
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
    static void Play(float seconds, float dt, Each given)
    {
        auto each = [&] {
            if (everyStep) everyStep();
            return given();
        };
        if (drawEvery <= 0 && frameLength < dt && lookEvery <= 1 && !unevenClock) {
            // Each step played in the walk's shorter frames, as a faster machine plays it.
            const int frames = std::max(1, (int)std::lround(dt / frameLength));
            for (float t = 0.0f; t < seconds; t += dt) {
                for (int frame = 0; frame < frames; ++frame) PlayWithoutPictures(frameLength, frameLength, [] { return true; });
                if (!each()) return;
            }
            return;
        }
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
    // On the uneven clock, every frame drawn, the shortest too.
    static inline bool unevenEveryFrameDrawn = false;
    // The length of a frame the game is played in while nothing is drawn (the steps of the walks
    // stay as long as they say).
    static inline float frameLength = 0.1f;
    // What a walk looks at after every step, whichever helper plays it.
    static inline std::function<void()> everyStep;

    // A second of the program's loop on a machine whose frames come unevenly: a quarter second
    // frame, frames of 0.13 s, of 1/60 and of 1/144 s mixed, to the microsecond a second in all;
    // the quarter second's frame, one of 0.13 s and the 1/60 s one drawn (or every one of them).
    // A frame shorter than the display's beat is never drawn as it is: the frame pacer
    // stretches it to the beat.
    static void UnevenSecond()
    {
        static const bool drawn[] = {false, true, false, false, true, false, true, false, false, false,
                                     false, false, false, false, false, false, false, false, false};
        static const uint64_t frames[] = {6944, 130000, 6944, 6944, 16667, 6944, 250000, 6944, 6944, 130000,
                                          6944, 6944, 130000, 6944, 6944, 130000, 6944, 6949, 130000};
        const uint64_t start = ClockTicks;
        uint64_t second = 0;
        for (size_t i = 0; i < sizeof frames / sizeof frames[0]; ++i) {
            second += frames[i];
            // Each frame ends where the second's frames put it: a drawn frame shorter than the
            // display's beat is stretched to it by the frame pacer, and the next is that much
            // shorter, so that the second is one whatever is drawn.
            ClockTicks = std::max<uint64_t>(ClockTicks, start + second);
            if (drawn[i] || unevenEveryFrameDrawn) {
                MainLoopPass();
            } else {
                FrameTimer.Tick();
                UpdateGameState(GamePaused ? 0.0f : FrameTimer.delta);
            }
            beatingwatch::TheWatch.Step();
        }
        EXPECT_EQ(second, 1000000u);
        EXPECT_EQ(ClockTicks - start, second) << "the pacer's waits fit in the second";
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
    // where it fits, from that far from it out; the rig is sent to build it. Null when it fits
    // nowhere near.
    static Building* PutDown(Agent* rig, const char* name, const Vec3& near, float from = 12.0f)
    {
        TheGame->ClearSelection();
        TheGame->SelectEntity(rig);
        BuildItemList* list = TheGame->buildItems;
        if (!list || !list->SetCurrent(name, false)) return nullptr;
        for (float radius = from; radius < 60.0f; radius += 4.0f)
            for (int step = 0; step < 12; ++step) {
                const float angle = step * 0.5235988f;
                TheGame->pickedPoint = near + Vec3(radius * std::cos(angle), 0.0f, radius * std::sin(angle));
                SnapEntityToCell(list);
                if (!list->CanPlaceCurrent()) continue;
                TheGame->PlaceBuilding();
                // It goes down at the next tick.
                Play(0.1f, 0.1f, [] { return true; });
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

    // A beast on the rig is shot at, as a player right-clicks it, with the fighting bots too
    // when told; true while the rig fights.
    static bool Defend(Agent* rig, bool withBots = false)
    {
        const std::vector<Agent*> beasts = BeastsOn(rig);
        if (beasts.empty()) return false;
        TheGame->hoveredEntity = beasts.front();
        if (!rig->brain || rig->brain->mode != AI_MODE_ATTACK) TheGame->OrderAttack(rig);
        if (withBots)
            for (Agent* unit : Fighters())
                if (!unit->brain || unit->brain->mode != AI_MODE_ATTACK) TheGame->OrderAttack(unit);
        TheGame->hoveredEntity = nullptr;
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

    // A factory where the rig stands and fighting bots of that kind from it, two unless told,
    // paid for with the ore the rig cuts nearby. The factory, or null when it was not built.
    Building* FactoryAndFighters(const char* bot, size_t count = 2)
    {
        Agent* rig = GetPlayerRig();
        Building* factory = rig ? PutDown(rig, "bot_factory", rig->GetPosition()) : nullptr;
        EXPECT_NE(factory, nullptr);
        if (!factory) return nullptr;
        Play(120.0f, 0.1f, [&] {
            Defend(rig);
            return factory->buildState != BUILD_STATE_READY;
        });
        EXPECT_EQ(factory->buildState, BUILD_STATE_READY) << "the rig built the factory";
        return Reinforce(factory, bot, count) ? factory : nullptr;
    }

    // Fighting bots of that kind ordered at the factory until there are as many as told, paid
    // for with the ore the rig cuts near it. False when the factory's panel is not there.
    bool Reinforce(Building* factory, const char* bot, size_t count = 2)
    {
        Agent* rig = GetPlayerRig();
        std::vector<Agent*> fighters = Fighters();
        for (int round = 0; round < 60 && fighters.size() < count && rig->IsAlive(); ++round) {
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
        EXPECT_GE(fighters.size(), count) << "the factory built them, of " << bot;
        return true;
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
        if (!FactoryAndFighters(bot)) return false;
        return FindTheBeaconAndRazeTheCamp();
    }

    // The living entities of the level by that name, nearest to a point first.
    static std::vector<Entity*> AllNamed(const char* name, const Vec3& from)
    {
        std::vector<Entity*> found;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity())
            if (e->IsAlive() && StrICmp(e->name, name) == 0) found.push_back(e);
        TheScene.EndIteration();
        std::sort(found.begin(), found.end(), [&](Entity* a, Entity* b) {
            return GroundDistance(a->GetPosition(), from) < GroundDistance(b->GetPosition(), from);
        });
        return found;
    }

    // The rig walks to a mission object, fighting what stands within reach of it, and is set to
    // work on it with a right click, again once whatever came at it is shot down; until the
    // object is done with (no longer one the mission asks for). True once it is.
    static bool WorkOn(Agent* rig, Entity* object)
    {
        if (!rig->IsAlive()) return false;
        EXPECT_TRUE(FightYourWayTo(rig, object->GetPosition(), 8.0f, 20.0f, 300.0f)) << "the rig reached " << object->name;
        Play(120.0f, 0.1f, [&] {
            if (Defend(rig, true)) return rig->IsAlive();
            if (!rig->brain || rig->brain->mode != AI_MODE_REPAIR) {
                TheGame->ClearSelection();
                TheGame->SelectEntity(rig);
                TheGame->hoveredEntity = object;
                TheGame->pickedPoint = object->GetPosition();
                TheGame->pressTimer = 1.0f;
                TheGame->OrderSelected();
                TheGame->hoveredEntity = nullptr;
            }
            return rig->IsAlive() && (object->flags & ENTITY_OBJECT_OF_INTEREST);
        });
        return rig->IsAlive() && !(object->flags & ENTITY_OBJECT_OF_INTEREST);
    }

    // A factory and two fighting bots of that kind from it, as FactoryAndFighters makes them, and
    // then the rig cutting ore near it until the player has as much as told. The factory.
    Building* FactoryAndOre(const char* bot, float ore)
    {
        Agent* rig = GetPlayerRig();
        Building* factory = FactoryAndFighters(bot);
        if (!factory) return nullptr;
        for (int round = 0; round < 30 && GetPlayerProfile()->ore < ore && rig->IsAlive(); ++round)
            CutOre(rig, factory->GetPosition(), 30.0f);
        EXPECT_GE(GetPlayerProfile()->ore, ore) << "ore cut for what the briefing asks";
        return factory;
    }

    // The end of a scripted mission: the rig alive and every objective done; true once, a moment
    // later, the mission's giver calls the mission won, the rig still alive (out of the blast of
    // what fell last).
    bool CalledWon(Agent* rig)
    {
        EXPECT_TRUE(rig->IsAlive());
        Play(2.0f, 0.1f, [] { return true; });
        EXPECT_TRUE(rig->IsAlive()) << "the rig outlives the win";
        EXPECT_TRUE(TheObjectives->AllComplete());
        return TheMessageWindow && TheMessageWindow->shown && TheMessageWindow->missionComplete;
    }

    // The rig walks toward a guarded target until it is in sight, and there stops: the bots go
    // first.
    static void StopShortOf(Agent* rig, Entity* target)
    {
        FightYourWayTo(rig, target->GetPosition(), 40.0f, 0.0f, 300.0f);
        if (rig->IsAlive() && !(rig->brain && rig->brain->mode == AI_MODE_ATTACK)) SendRig(rig, rig->GetPosition());
    }

    // The third story mission as its briefing asks it: a scan where the rig lands, a factory and
    // two fighting bots from it, ore cut for them and for the relics; then each relic, nearest
    // first, its guards fought by the rig and the bots and the relic worked free with a right
    // click; then, while no ore deposit has been found, a scan beside the nearest hidden ore.
    // True once the academy calls the mission won.
    bool WinTheThirdMission(const char* bot = "gunner_bot")
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        ScanHere(rig);
        if (!FactoryAndOre(bot, RELICS_ORE)) return false;
        for (Entity* relic : AllNamed("relic", rig->GetPosition())) {
            StopShortOf(rig, relic);
            EXPECT_TRUE(RazeWithTheBots(relic, true)) << "the rig and its bots shot down the relic's guards";
            EXPECT_TRUE(WorkOn(rig, relic)) << "the rig recovered the relic";
        }
        for (int round = 0; round < 5 && rig->IsAlive() && !TheObjectives->AllComplete(); ++round) {
            Entity* hidden = NearestOre(rig->GetPosition(), false);
            if (!hidden) break;
            FightYourWayTo(rig, hidden->GetPosition(), 8.0f, 0.0f, 120.0f);
            ScanHere(rig);
        }
        return CalledWon(rig);
    }

    // The fourth story mission as its briefing asks it: a factory where the rig lands and two
    // fighting bots from it, ore cut for them and for the repairs; the rig and the bots against
    // each anti-air gun, nearest first; then the rig right-clicks each cannon to repair it. True
    // once the military calls the mission won.
    bool WinTheFourthMission(const char* bot = "gunner_bot")
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        if (!FactoryAndOre(bot, REPAIRS_ORE)) return false;
        for (Entity* gun : AllNamed("Scavenger_AA_Gun", rig->GetPosition())) {
            StopShortOf(rig, gun);
            EXPECT_TRUE(RazeWithTheBots(gun)) << "the rig and its bots destroyed the gun";
        }
        for (Entity* cannon : AllNamed("planetary_defense_cannon", rig->GetPosition()))
            EXPECT_TRUE(WorkOn(rig, cannon)) << "the rig repaired the cannon";
        return CalledWon(rig);
    }
    // The sixth story mission as its briefing asks it: a scan where the rig lands, a factory and
    // two fighting bots from it, ore cut for them and for the tablet and the relic; the tablet
    // scanned and the buried relic dug up with right clicks; then the creature nests the mission
    // marks, nearest first, each razed by the rig and the bots, a bot that fell replaced at the
    // factory before the next. True once the academy calls the mission won.
    bool WinTheSixthMission(const char* bot = "gunner_bot")
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        ScanHere(rig);
        Building* factory = FactoryAndOre(bot, TABLET_AND_RELIC_ORE);
        if (!factory) return false;
        for (Entity* tablet : AllNamed("alien_tablet", rig->GetPosition())) {
            EXPECT_TRUE(WorkOn(rig, tablet)) << "the rig scanned the tablet";
        }
        for (Entity* relic : AllNamed("buried_relic", rig->GetPosition())) {
            EXPECT_TRUE(WorkOn(rig, relic)) << "the rig dug up the relic";
        }
        for (int round = 0; round < 6 && rig->IsAlive() && !TheObjectives->AllComplete(); ++round) {
            Entity* nest = nullptr;
            for (Entity* e : AllNamed("creature_nest", rig->GetPosition()))
                if (!nest && (e->flags & ENTITY_OBJECT_OF_INTEREST)) nest = e;
            if (!nest) break;
            if (Fighters().size() < 2) Reinforce(factory, bot);
            StopShortOf(rig, nest);
            EXPECT_TRUE(RazeWithTheBots(nest)) << "the rig and its bots razed the nest";
        }
        return CalledWon(rig);
    }

    // The fifth story mission as its briefing asks it: a factory where the rig lands and two
    // fighting bots from it, ore cut for them, the fuel pumps and the consoles; a fuel pump on
    // each of the two fuel vents nearest; the rig and the bots to each console, nearest first,
    // its guards shot down and the console restored with a right click, a bot that fell
    // replaced at the factory and ore cut for the console before the next; then the trading post
    // found, and the rig back at the factory with the bots while the pumps fill the tanks. True
    // once the corporation calls the mission won.
    bool WinTheFifthMission(const char* bot = "gunner_bot")
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        Building* factory = FactoryAndOre(bot, PUMPS_AND_CONSOLES_ORE);
        if (!factory) return false;
        std::vector<Entity*> vents;
        for (Entity* e = TheScene.FirstInCategory(CATEGORY_TERRAIN, 0); e; e = TheScene.NextInCategory())
            if (e->flags & ENTITY_FUEL) vents.push_back(e);
        std::sort(vents.begin(), vents.end(), [&](Entity* a, Entity* b) {
            return GroundDistance(a->GetPosition(), factory->GetPosition()) <
                   GroundDistance(b->GetPosition(), factory->GetPosition());
        });
        for (size_t i = 0; i < vents.size() && i < 2; ++i) {
            FightYourWayTo(rig, vents[i]->GetPosition(), 10.0f, 0.0f, 300.0f);
            Building* pump = PutDown(rig, "fuel_pump", vents[i]->GetPosition(), 0.0f);
            EXPECT_NE(pump, nullptr) << "a fuel pump on the vent";
            if (!pump) continue;
            Play(120.0f, 0.1f, [&] {
                Defend(rig);
                return rig->IsAlive() && pump->buildState != BUILD_STATE_READY;
            });
            EXPECT_EQ(pump->buildState, BUILD_STATE_READY) << "the rig built the pump";
        }
        for (Entity* console : AllNamed("computer_console", rig->GetPosition())) {
            if (Fighters().size() < 2) Reinforce(factory, bot);
            for (int round = 0; round < 10 && GetPlayerProfile()->ore < CONSOLE_ORE && rig->IsAlive(); ++round)
                CutOre(rig, factory->GetPosition(), 30.0f);
            StopShortOf(rig, console);
            EXPECT_TRUE(RazeWithTheBots(console, true)) << "the rig and its bots shot down the console's guards";
            EXPECT_TRUE(WorkOn(rig, console)) << "the rig restored the console";
        }
        if (Entity* post = Named("hallstrade")) {
            FightYourWayTo(rig, post->GetPosition(), 12.0f, 0.0f, 300.0f);
            Press(DIK_TAB);  // the camera to the rig, and the post into the picture
            Passes(10, 0.1f);
        }
        FightYourWayTo(rig, factory->GetPosition(), 12.0f, 0.0f, 300.0f);
        Play(900.0f, 0.1f, [&] {
            Defend(rig, true);
            return rig->IsAlive() && !TheObjectives->AllComplete();
        });
        return CalledWon(rig);
    }

    // The seventh story mission as its briefing asks it: a factory where the rig lands and two
    // fighting bots from it; the rig and the bots against each weapons cache, nearest first,
    // then against the stronghold's turret and the stronghold, a bot that fell replaced at the
    // factory before the next. True once the military calls the mission won.
    bool WinTheSeventhMission(const char* bot = "gunner_bot")
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        Building* factory = FactoryAndFighters(bot);
        if (!factory) return false;
        std::vector<Entity*> targets = AllNamed("weapons_cache", rig->GetPosition());
        if (Entity* stronghold = Named("Scavenger_stronghold")) {
            for (Entity* turret : AllNamed("scav_turret", stronghold->GetPosition()))
                if (GroundDistance(turret->GetPosition(), stronghold->GetPosition()) < 20.0f) targets.push_back(turret);
            targets.push_back(stronghold);
        }
        for (Entity* target : targets) {
            if (!target->IsAlive()) continue;
            if (Fighters().size() < 2) Reinforce(factory, bot);
            StopShortOf(rig, target);
            EXPECT_TRUE(RazeWithTheBots(target)) << "the rig and its bots destroyed " << target->name;
        }
        return CalledWon(rig);
    }

    // The eighth story mission as its briefing asks it: a factory where the rig lands and two
    // fighting bots from it, ore cut for the download; then, nearest first, the command
    // computer (its guards shot down and its records downloaded with a right click) and each
    // scavenger the level started with, the leader among them, the bots going in first; the rig
    // back at the factory for a new bot whenever one fell. True once the guild calls the mission
    // won.
    bool WinTheEighthMission(const char* bot = "gunner_bot")
    {
        Agent* rig = GetPlayerRig();
        if (!rig) return false;
        Building* factory = FactoryAndOre(bot, CONSOLE_ORE);
        if (!factory) return false;
        for (int round = 0; round < 24 && rig->IsAlive() && !TheObjectives->AllComplete(); ++round) {
            Entity* next = nullptr;
            for (Entity* e : AllNamed("computer_console", rig->GetPosition()))
                if (!next && (e->flags & ENTITY_OBJECT_OF_INTEREST)) next = e;
            for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity()) {
                const uint32_t word = static_cast<Agent*>(e)->classWord;
                const bool band = e->alignment == ALIGN_ENEMY && e->IsAlive() && (word & AGENT_OBJECTIVE) &&
                                  !(word & AGENT_CLASS_RAIDER);
                if (band && (!next || GroundDistance(e->GetPosition(), rig->GetPosition()) <
                                          GroundDistance(next->GetPosition(), rig->GetPosition())))
                    next = e;
            }
            TheScene.EndIteration();
            if (!next) break;
            if (Fighters().size() < 2) {
                // Back to the factory for a new gunner, out of whatever fight the rig is in.
                SendRig(rig, factory->GetPosition());
                Play(120.0f, 0.1f, [&] {
                    return rig->IsAlive() && GroundDistance(rig->GetPosition(), factory->GetPosition()) > 12.0f;
                });
                Reinforce(factory, bot);
            }
            for (int cut = 0; cut < 10 && GetPlayerProfile()->ore < CONSOLE_ORE && rig->IsAlive(); ++cut)
                CutOre(rig, factory->GetPosition(), 30.0f);
            StopShortOf(rig, next);
            if (StrICmp(next->name, "computer_console") == 0) {
                EXPECT_TRUE(RazeWithTheBots(next, true)) << "the rig and its bots shot down the computer's guards";
                EXPECT_TRUE(WorkOn(rig, next)) << "the rig downloaded the records";
            } else {
                // When the bots fall first, the rig pulls back to the factory for new ones.
                RazeWithTheBots(next, false, true);
            }
        }
        return CalledWon(rig);
    }

    // What the briefings tell the player the relics, the tablet and the repairs cost.
    static constexpr float RELICS_ORE = 45.0f;
    static constexpr float TABLET_AND_RELIC_ORE = 30.0f;
    static constexpr float REPAIRS_ORE = 170.0f;
    static constexpr float PUMPS_AND_CONSOLES_ORE = 245.0f;
    static constexpr float CONSOLE_ORE = 15.0f;

    // What a level says holds the game until it is read: the player closes it and plays on. The
    // words of a won mission stay.
    void ReadWhatTheLevelSays()
    {
        if (TheMessageWindow && TheMessageWindow->shown && !TheMessageWindow->missionComplete)
            ClickOn(TheMessageWindow->closeTextButton);
    }

    // A mission's opening as a newcomer's hand plays it, every step a key or the mouse: the rig
    // taken with Tab and the Scan key; the factory taken on the build button, carried under the
    // cursor for seconds of drawn frames while the world ticks, and put down on free ground for
    // the rig to build; the first bot the ore left pays for (a miner) queued on the factory's
    // panel; the bag opened with its key, the cannisters taken and moved to a free slot, used
    // there with a right click and the bag closed; the heal key.
    void PlayTheOpening()
    {
        Agent* rig = GetPlayerRig();
        ASSERT_NE(rig, nullptr);
        // The world's next tick, which carries out what the hand ordered (no picture is drawn
        // while the hand waits for it).
        const auto nextTick = [] {
            const int before = WorldTicks.count;
            for (int i = 0; i < 4 && WorldTicks.count == before; ++i) PlayWithoutPictures(0.05f, 0.05f, [] { return true; });
        };
        Key(DIK_TAB);
        ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "the key took the rig";
        Key(DIK_C, "c");
        EXPECT_GT(TheScanEffects.GetCooldown(rig), 0.0f) << "the Scan key scanned";

        playerhand::SelectRig(Pass);
        ASSERT_TRUE(TakeFromBuildPanel("bot_factory"));
        const int ticks = WorldTicks.count;
        // Three seconds in the hand, which never rests, on a slow machine: a frame of 1/10 s,
        // a tick of the world, at each move.
        for (int i = 0; i < 30; ++i) {
            playerhand::MoveMouseBy((int)(24.0f * std::cos(i * 0.5f)), (int)(16.0f * std::sin(i * 0.7f)));
            Passes(1, 0.1f);
        }
        ASSERT_NE(TheGame->buildItems->current, nullptr) << "still in the hand";
        EXPECT_GE(WorldTicks.count - ticks, 25) << "the world ticked while the hand held it";
        Vec3 site;
        ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site)) << "free ground for the factory";
        Building* factory = PutDownAt(site, "bot_factory");
        ASSERT_NE(factory, nullptr) << "the factory was put down";
        Play(120.0f, 0.1f, [&] { return rig->IsAlive() && factory->buildState != BUILD_STATE_READY; });
        ASSERT_EQ(factory->buildState, BUILD_STATE_READY) << "the rig built the factory";

        TheGame->CenterCameraOnEntity(factory);
        Passes(2, 0.05f);
        ASSERT_TRUE(ClickAt(factory->GetCenter(), 0));
        ASSERT_EQ(TheGame->GetFirstSelected(), factory);
        BuildPanel* panel = GetBuildPanel(factory->definition, false);
        ASSERT_TRUE(panel && panel->window->IsVisible()) << "the factory's panel";
        for (int i = 0; i < panel->buttonCount; ++i)
            if (StrICmp(panel->buttons[i].type->name, "miner") == 0) ClickOn(panel->buttons[i].button);
        nextTick();
        EXPECT_EQ(factory->buildQueue ? factory->buildQueue->count : 0, 1) << "a miner queued";

        Key(DIK_TAB);
        ASSERT_EQ(TheGame->GetFirstSelected(), rig);
        TypeInventoryKey();
        Inventory* bag = TheCharacterGui->inventory;
        ASSERT_TRUE(bag && bag->panel->IsVisible()) << "the key opened the bag";
        int from = -1, to = -1;
        for (int i = 0; i < Inventory::SLOT_COUNT; ++i) {
            const BagSlot& slot = bag->slots[i];
            if (slot.item && StrICmp(slot.item->name, "health_cannister") == 0) from = i;
            if (!slot.item && to < 0 && bag->cells[i].slotButton && bag->cells[i].slotButton->IsVisible()) to = i;
        }
        ASSERT_TRUE(from >= 0 && to >= 0) << "cannisters, and a free slot";
        Item* cannisters = bag->slots[from].item;
        const int count = cannisters->stackCount;
        ClickOn(bag->cells[from].slotButton);
        ASSERT_EQ(bag->HeldItem(), cannisters) << "taken into the hand";
        ClickOn(bag->cells[to].slotButton);
        nextTick();
        EXPECT_EQ(bag->slots[to].item, cannisters) << "moved to the free slot";
        auto taken = [](uint16_t kind) {
            const std::vector<PlayerOrder>& orders = TheOrders.LastTaken();
            return std::any_of(orders.begin(), orders.end(), [kind](const PlayerOrder& o) { return o.kind == kind; });
        };
        ClickOn(bag->cells[to].slotButton, 1);
        nextTick();
        EXPECT_TRUE(taken(ORDER_USE_ITEM)) << "the right click used the cannisters";
        EXPECT_EQ(cannisters->stackCount, count) << "a whole hull takes none";
        TypeInventoryKey();
        EXPECT_FALSE(bag->panel->IsVisible()) << "the key closed the bag";
        Key(DIK_H, "h");
        EXPECT_TRUE(taken(ORDER_USE_ITEM)) << "the heal key";
        ASSERT_NE(TheGame->messageBar->Newest(), nullptr);
        EXPECT_STREQ(TheGame->messageBar->Newest()->text, "The rig's hull is already whole!");
    }

    // The rig and its fighting bots to the second mission's beacon, then the camp's guards and the
    // camp. True once the guild calls the mission won.
    bool FindTheBeaconAndRazeTheCamp()
    {
        Agent* rig = GetPlayerRig();
        Entity* beacon = Named("survey_beacon");
        Entity* camp = Named("Scavenger_camp");
        if (!rig || !beacon || !camp) return false;
        // The units find the beacon on the way, wherever the camera looks: what the level says
        // of it is read there, and the walk goes on.
        const std::function<void()> before = everyStep;
        ScopedGlobal<std::function<void()>> reading{everyStep, [this, before] {
            if (before) before();
            ReadWhatTheLevelSays();
        }};
        // All of them to the beacon, and on to the camp; whatever stands in the way is fought.
        EXPECT_TRUE(FightYourWayTo(rig, beacon->GetPosition(), 5.0f, 0.0f, 300.0f)) << "the rig reached the beacon";
        Press(DIK_TAB);  // the camera to the selected rig, and the beacon into the picture
        Passes(10, 0.1f);
        const Objective* found = TheObjectives->FindByName(0, "survey_beacon");
        EXPECT_TRUE(found && (found->flags & OBJECTIVE_DONE)) << "the beacon was found";
        if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
        RazeWithTheBots(camp);
        return CalledWon(rig);
    }

    // A guarded target's guards fall first, then the target: the bots gather short of it and go
    // in, the rig behind them; the rig mends itself from its cannisters, and with those spent
    // steps back out of the fight until the guards are down; worn down, it steps back from a
    // target that blows up as it falls once the target is nearly down, and the bots finish it.
    // True once the target has fallen with the rig alive; with `guardsOnly`, once no guard
    // stands by the target, which is spared; with `pullBack`, false as soon as the last bot has
    // fallen, the target standing.
    bool RazeWithTheBots(Entity* target, bool guardsOnly = false, bool pullBack = false)
    {
        Agent* rig = GetPlayerRig();
        if (!rig || !target) return false;
        const auto targetId = target->id;
        const Vec3 targetAt = target->GetPosition(), fromTarget = rig->GetPosition() - targetAt;
        const Vec3 staging =
            targetAt + fromTarget * (36.0f / std::max(GroundDistance(rig->GetPosition(), targetAt), 36.0f));
        EXPECT_TRUE(FightYourWayTo(rig, staging, 6.0f, 0.0f, 300.0f)) << "the rig came within sight of " << target->name;
        Play(30.0f, 0.1f, [&] {
            for (Agent* unit : Fighters())
                if (GroundDistance(unit->GetPosition(), rig->GetPosition()) > 10.0f) return true;
            return false;
        });
        // The gunners go first, so that the guards turn on them.
        Play(8.0f, 0.1f, [&] {
            Agent* foe = NearestFoe(targetAt, 24.0f);
            for (Agent* unit : Fighters()) {
                if (!foe || (unit->brain && unit->brain->mode == AI_MODE_ATTACK)) continue;
                TheGame->hoveredEntity = foe;
                TheGame->OrderAttack(unit);
            }
            TheGame->hoveredEntity = nullptr;
            return foe && (!foe->target.Get() || foe->target.Get() == rig);
        });
        // A cannister takes a moment to mend: the next is used only once the last has worked.
        // Out of the fight, the rig stays out while the target still has guards and the bots
        // still fight them; whatever comes after it is the bots' first target.
        int heals = 0;
        float sinceHeal = 99.0f;
        bool back = false, clear = false;
        // A target whose blast as it falls would take what is left of the rig's hull is finished
        // by the bots, the rig out of its blast.
        const BuildItem* kind = (target->flags & ENTITY_BUILDING) ? static_cast<Building*>(target)->definition : nullptr;
        const float blast = kind && (kind->flags & BUILD_EXPLODE_ON_DEAD) ? target->damage : 0.0f;
        Play(400.0f, 0.1f, [&] {
            if (!rig->IsAlive() || target->id != targetId || !target->IsAlive()) return false;
            if (guardsOnly && !NearestFoe(targetAt, 24.0f) && BeastsOn(rig).empty()) return false;
            sinceHeal += 0.1f;
            if (rig->health < rig->GetMaxHealth() * 0.5f && heals < 2 && sinceHeal > 8.0f) {
                TheGame->ClearSelection();
                TheGame->SelectEntity(rig);
                Key(DIK_H, "h");  // the heal key as the keyboard gives it
                ++heals;
                sinceHeal = 0.0f;
            }
            Agent* foe = NearestFoe(targetAt, 24.0f);
            if (!back && foe && heals == 2 && sinceHeal > 8.0f && rig->health < rig->GetMaxHealth() * 0.3f &&
                !Fighters().empty()) {
                SendRig(rig, staging);
                back = true;
            }
            if (pullBack && Fighters().empty()) return false;
            if (rig->health < blast && !clear && !Fighters().empty() &&
                target->health < target->GetMaxHealth() * 0.25f) {
                SendRig(rig, staging);
                back = clear = true;
            }
            if (clear && Fighters().empty()) clear = false;
            if (back && !clear && (!foe || Fighters().empty())) back = false;
            const std::vector<Agent*> onRig = BeastsOn(rig);
            Entity* aim = !onRig.empty() ? onRig.front() : foe ? static_cast<Entity*>(foe) : target;
            if (guardsOnly && aim == target) return true;
            for (Agent* unit : Fighters(back ? nullptr : rig)) {
                const bool fighting = unit->brain && unit->brain->mode == AI_MODE_ATTACK;
                if (fighting && (onRig.empty() || unit->target.Get() == aim)) continue;
                TheGame->hoveredEntity = aim;
                TheGame->OrderAttack(unit);
            }
            TheGame->hoveredEntity = nullptr;
            return true;
        });
        if (guardsOnly) return rig->IsAlive() && !NearestFoe(targetAt, 24.0f);
        return rig->IsAlive() && !(target->id == targetId && target->IsAlive());
    }
};

}  // namespace firstmission
