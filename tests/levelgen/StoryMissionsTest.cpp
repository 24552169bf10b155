// Every story mission can be won on the levels the galaxy gives it: started through the game's
// own level start, from the shipped data, with the objectives listening to the world as in
// play, no objective is done before the player moves; whatever an
// objective asks for stands in the level, can be walked to from the rig's start (the ground
// allows it, and the rig's own planner finds the way leg by leg) and paid for with what the
// mission lands with; what a mission event waits for is there; and the briefing names
// everything the HUD lists. The minimap's diamonds stand on what the open objectives ask for
// and on nothing else, the first missions land the rig by ore its first scan finds, and the
// level's own nests keep clear of the start, that ore and the way to every target.
#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "host/WorldGuard.h"
#include "mechanics/Selection.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "tests/levelgen/PopulationTestSupport.h"
#include "world/Item.h"
#include "world/CatalogueScript.h"
#include "world/MissionHooks.h"
#include "world/GridQueries.h"
#include "world/PathFinder.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"
#include "world/TaskStepsSupport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr float LANDING_ORE = 200.0f;    // what every mission starts with
constexpr float ORE_PER_POINT = 0.5f;    // what a point of repair costs
const int GALAXIES[] = {1111, 7, 2026};  // the story's bodies of these galaxies give the seeds
constexpr float FIRST_ORE = 500.0f;      // what the first mission asks to mine
constexpr float NEST_CLEARANCE = 40.0f;  // nearer than this a nest's creatures find the rig
constexpr float WAY_CLEARANCE = 30.0f;   // how far off the straight way to a target a nest keeps

// What a diamond may stand on for an objective: the thing it names, or any rock it asks cleared.
bool Targets(const Objective& o, const Entity* e)
{
    if (o.type == OBJECTIVE_DESTROY_TYPE)
        return (e->flags & ENTITY_ITEM) && (static_cast<const Item*>(e)->itemFlags & ITEM_FLAG_ROCK);
    return StrICmp(e->name, o.target) == 0;
}
bool HasMapTarget(const Objective& o)
{
    return o.type != OBJECTIVE_BUILD && o.type != OBJECTIVE_MINING && o.type != OBJECTIVE_DISCOVER_ORE &&
           strcmp(o.target, "scavengers") != 0;
}
float Distance(const Vec3& a, const Vec3& b) { return std::hypot(a.x - b.x, a.z - b.z); }
// Ground distance from the point to the straight way between two others.
float DistanceToWay(const Vec3& p, const Vec3& from, const Vec3& to)
{
    const float dx = to.x - from.x, dz = to.z - from.z, length = dx * dx + dz * dz;
    float t = length > 0.0f ? ((p.x - from.x) * dx + (p.z - from.z) * dz) / length : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(p.x - (from.x + t * dx), p.z - (from.z + t * dz));
}

// The word a briefing uses for what an objective is after.
const struct {
    const char* target;
    const char* word;
} WORDS[] = {{"refinery", "refinery"}, {"ore", "ore"}, {"fuel", "fuel"}, {"survey_beacon", "beacon"},
             {"Scavenger_camp", "camp"}, {"relic", "relic"}, {"buried_relic", "relic"}, {"planetary_defense_cannon", "cannon"},
             {"Scavenger_AA_Gun", "anti-air gun"}, {"computer_console", "computer"}, {"hallstrade", "trading post"},
             {"alien_tablet", "tablet"}, {"creature_nest", "nest"}, {"Scavenger_stronghold", "stronghold"},
             {"weapons_cache", "cache"}, {"scavengers", "scavenger"}, {"Elite_Scavenger", "leader"},
             {"Elite_Scavenger_Chief", "leader"}};

// Whether the text has a word starting with the given one, case aside.
bool Names(const std::string& text, const char* word)
{
    std::string lower;
    for (char c : text) lower += (char)std::tolower((unsigned char)c);
    for (size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, at + 1))
        if (at == 0 || !std::isalpha((unsigned char)lower[at - 1])) return true;
    return false;
}

// A line's words in lower case, one blank between them, without its count in brackets.
std::string Words(const char* line)
{
    std::string words;
    for (const char* c = line; *c && *c != '['; ++c)
        if (!std::isspace((unsigned char)*c))
            words += (char)std::tolower((unsigned char)*c);
        else if (!words.empty() && words.back() != ' ')
            words += ' ';
    while (!words.empty() && words.back() == ' ') words.pop_back();
    return words;
}

class StoryMissions : public ShippedPopulationTest {
protected:
    void SetUp() override
    {
        ShippedPopulationTest::SetUp();
        ASSERT_TRUE(MissionCatalogue::LoadMissions(nullptr));
        ASSERT_EQ(MissionCatalogue::missionCount, 8);
        InstallMissionHooks();
        // Playing a level of a run that has loaded its catalogues already, as the test has.
        game.state = GAME_STATE_PLAYING;
        game.started = true;
    }
    void TearDown() override
    {
        game.EndLevel();
        ShippedPopulationTest::TearDown();
    }

    // Each leg the rig plans, and each frame it plays, is a frame of its own, as in play.
    ScopedGlobal<int> frame{FrameTimer.frameCount};

    // The level of a story mission on a seed as the game starts it (the galaxy map seeds the
    // draws with the body's level seed, the level start makes the level), with the mission's
    // hooks listening, as in play: what the making does to its objects must not count.
    void Start(int story, unsigned seed)
    {
        growth.ClearInstances();
        objectives.Clear();
        events.Clear();
        ClearLevel();
        MissionCatalogue::selectedIndex = story;
        rig = TheScene.CreateAgent("Builder", false);
        ASSERT_NE(rig, nullptr);
        ScopedGlobal<Agent*> playerRig{GetPlayerProfile()->rig, rig};
        SRand(seed);
        LogCaptureBegin();
        EXPECT_TRUE(game.Init());
        // These tests stage their level by hand between the ticks they run: the world is sealed
        // only where a hand plays the game (the walks).
        SealWorld(false);
        log = LogCaptureEnd();
        // Without a renderer the level's lava glow cannot be made; nothing else may warn.
        for (size_t at = log.find("WARNING: the level effect"); at != std::string::npos;
             at = log.find("WARNING: the level effect"))
            log.erase(at, log.find('\n', at) - at);
        Walk(rig->GetPosition());
    }
    // Every cell the rig can walk to from its start, as the path search steps: onto open cells,
    // over the steps between them, never cutting a corner, past nothing that stands still (units
    // make way).
    void Walk(const Vec3& from)
    {
        static const int STEP[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
        static const int SIDES[8][2] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 1}, {1, 2}, {2, 3}, {0, 3}};
        const int n = grid->size;
        auto open = [&](int x, int y) {
            const GridCell* cell = grid->GetCell(x, y);
            return cell && (cell->flags & CELL_WALKABLE) && (!cell->occupant || (cell->occupant->flags & ENTITY_AGENT));
        };
        walked.assign((size_t)n * n, false);
        int column, row;
        if (!grid->WorldToCell(from, &column, &row)) return;
        std::vector<const GridCell*> work{grid->GetCell(column, row)};
        walked[(size_t)row * n + column] = true;
        for (size_t i = 0; i < work.size(); ++i) {
            const GridCell* cell = work[i];
            const int x = cell->column, y = cell->row;
            if (x < 1 || x > n - 2 || y < 1 || y > n - 2) continue;
            for (int k = 0; k < 8; ++k) {
                const int nx = x + STEP[k][0], ny = y + STEP[k][1];
                if (!cell->steps[k] || !open(nx, ny) || walked[(size_t)ny * n + nx]) continue;
                if (k >= 4 && (!cell->steps[SIDES[k][0]] || !cell->steps[SIDES[k][1]] || !open(nx - STEP[k][0], ny) ||
                               !open(nx, ny - STEP[k][1])))
                    continue;
                walked[(size_t)ny * n + nx] = true;
                work.push_back(grid->GetCell(nx, ny));
            }
        }
    }
    // A cell the rig can walk to within two of those the entity stands on; null for none.
    const GridCell* WalksTo(Entity* e) const
    {
        int column, row, a, b, c, d;
        if (!grid->WorldToCell(e->GetPosition(), &column, &row)) return nullptr;
        int x0 = column, y0 = row, x1 = column, y1 = row;
        if (e->GetGridFootprint(&a, &b, &c, &d)) {
            x0 = std::min(a, c), x1 = std::max(a, c), y0 = std::min(b, d), y1 = std::max(b, d);
        }
        for (int y = y0 - 2; y <= y1 + 2; ++y)
            for (int x = x0 - 2; x <= x1 + 2; ++x) {
                const GridCell* cell = grid->GetCell(x, y);
                if (cell && cell->IsFreeWalkable() && walked[(size_t)cell->row * grid->size + cell->column]) return cell;
            }
        return nullptr;
    }
    // Whether the rig's own planner, leg by leg as it walks, takes it to the cell: along a route,
    // or with one straight step onto a neighbouring cell (which takes no route).
    bool PlansTo(const GridCell* goal)
    {
        const Vec3 start = rig->GetPosition(), at = grid->CellToWorld(goal->column, goal->row);
        const bool held = rig->gridCell != nullptr;
        bool there = grid->GetCellAt(start) == goal;  // what lies beside the rig needs no walk
        for (int leg = 0; leg < 40 && !there; ++leg) {
            const WorldTickScope tick(FrameTimer.delta);
            rig->ResetMovement();  // stepping afresh, as it stands at the end of a leg
            game.StepAgentToward(rig, at);
            if (rig->path)
                rig->SetPosition(rig->path->points[rig->path->count - 1]);
            else if (rig->classWord & AGENT_MOVING)
                rig->SetPosition(rig->moveTarget);
            else
                break;
            there = grid->GetCellAt(rig->GetPosition()) == goal;
        }
        rig->SetPosition(start);
        rig->ResetMovement();
        if (held)
            rig->ClaimGridCell(start);  // a straight step took the cell it steps onto
        else
            rig->LeaveGridCell();
        return there;
    }
    // The living entities the test picks, and the fuel vents among the decorations.
    template <class Pick>
    std::vector<Entity*> Where(Pick pick)
    {
        std::vector<Entity*> found;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity())
            if (e->IsAlive() && pick(e)) found.push_back(e);
        TheScene.EndIteration();
        for (auto* node = TheScene.terrainObjects.head; node; node = node->next)
            if (pick(node->value)) found.push_back(node->value);
        return found;
    }
    // What the minimap marks with the objective's diamond, as its own walk sees the level.
    std::vector<Entity*> Diamonds()
    {
        Minimap minimap;
        minimap.AllocateFogGrids();
        std::vector<Entity*> found;
        for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, 0); e; e = TheScene.NextInCategory())
            if (ClassifyForMinimap(minimap, e, 1, true) == MINIMAP_OBJECTIVE_ICON) found.push_back(e);
        return found;
    }
    std::vector<Entity*> Find(const char* name)
    {
        return Where([name](const Entity* e) { return StrICmp(e->name, name) == 0; });
    }
    // What the player can walk to, and what it holds in all (health: the ore or fuel left).
    float Reachable(const std::vector<Entity*>& found, const char* what)
    {
        float held = 0.0f;
        for (Entity* e : found) {
            held += e->GetHealth();
            const GridCell* beside = WalksTo(e);
            EXPECT_TRUE(beside && PlansTo(beside)) << what << " at (" << e->GetPosition().x << ", "
                                                   << e->GetPosition().z << ") cannot be reached on foot";
        }
        return held;
    }

    // The level seed the galaxy of that seed gives the story mission's body.
    static unsigned LevelSeed(int galaxySeed, int story)
    {
        Galaxy galaxy;
        ScopedGlobal<Galaxy*> current{TheGalaxy, &galaxy};
        galaxy.Generate(galaxySeed);
        const CelestialBody* body = galaxy.FindBodyByStoryId(story);
        EXPECT_NE(body, nullptr) << "galaxy " << galaxySeed << " story " << story;
        return body ? (unsigned)body->levelSeed : 0u;
    }
    // A tick of play for the player's own units; the rest of the level stands still.
    void Frame(float dt)
    {
        const WorldTickScope tick(dt);
        MissionTime += dt;
        for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT})
            for (const Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
                node->value->Update();
    }
    // The rig alone selected, right-clicked at the entity (null: the ground at the point).
    void RightClick(Entity* hovered, const Vec3& at)
    {
        game.ClearSelection();
        game.SelectEntity(rig);
        game.hoveredEntity = hovered;
        game.pickedPoint = at;
        game.pressTimer = 1.0f;
        game.OrderSelected();
        game.hoveredEntity = nullptr;
        NextTick();
    }

    std::vector<bool> walked;
    Agent* rig = nullptr;
    ScopedGlobal<MissionHooks*> hooks{TheMissionHooks};
    std::unique_ptr<TaskManager> tasks = std::make_unique<TaskManager>();
    ScopedGlobal<TaskManager*> installedTasks{TheTaskManager, tasks.get()};
    ScopedGlobal<float> delta{FrameTimer.delta};
    ScopedGlobal<bool> paused{GamePaused, false};
    ScopedGlobal<float> clock{MissionTime};
};

}  // namespace

TEST_F(StoryMissions, EveryObjectiveIsOpenAtTheStartThereReachableAffordableAndBriefed)
{
    std::vector<std::vector<unsigned>> seeds(MissionCatalogue::missionCount);
    for (int g : GALAXIES) {
        Galaxy galaxy;
        ScopedGlobal<Galaxy*> current{TheGalaxy, &galaxy};
        galaxy.Generate(g);
        for (int story = 0; story < MissionCatalogue::missionCount; ++story) {
            const CelestialBody* body = galaxy.FindBodyByStoryId(story);
            ASSERT_NE(body, nullptr) << "galaxy " << g << " story " << story;
            seeds[story].push_back((unsigned)body->levelSeed);
        }
    }
    // A few plain seeds besides the galaxies' own, where water, cliffs and camps cut the map up
    // differently (on 17 and 40 the nearest a search gets to a target is a dead end).
    for (auto& list : seeds)
        for (unsigned extra : {11u, 17u, 22u, 33u, 40u}) list.push_back(extra);
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<float> ore{profile->ore, LANDING_ORE};
    ScopedGlobal<float> fuel{profile->fuel, 0.0f};
    ScopedGlobal<int> selected{MissionCatalogue::selectedIndex};

    for (int story = 0; story < MissionCatalogue::missionCount; ++story) {
        const MissionRecord& mission = MissionCatalogue::missions[story];
        const std::string briefing = DescriptionText(mission.briefing);
        const std::string line = DescriptionText(mission.description);
        for (unsigned seed : seeds[story]) {
            SCOPED_TRACE(std::string(DescriptionText(mission.name)) + " seed " + std::to_string(seed));
            Start(story, seed);
            EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
            objectives.Tick(true);

            float oreBill = 0.0f, fuelBill = 0.0f;
            int named = 0, listed = 0;
            for (auto* node = objectives.list.head; node; node = node->next) {
                const Objective& o = *node->value;
                SCOPED_TRACE(o.id);
                ++listed;
                EXPECT_FALSE(o.flags & OBJECTIVE_DONE) << "done before the player moved";
                const char* word = nullptr;
                for (const auto& w : WORDS) word = StrICmp(w.target, o.target) == 0 ? w.word : word;
                if (!word) {
                    ADD_FAILURE() << "no word for " << o.target;
                } else {
                    EXPECT_TRUE(Names(briefing, word)) << "the briefing does not name the " << word;
                    named += Names(line, word);
                }
                // The briefing lists what the HUD shows from the start.
                bool briefed = false;
                for (int i = 0; i < mission.objectiveCount; ++i)
                    briefed |= IsBriefed(mission.objectives[i]) && mission.objectives[i]->type == o.type &&
                               StrICmp(mission.objectives[i]->target, o.target) == 0;
                EXPECT_TRUE(briefed) << "the briefing's list leaves out " << o.target;
                if (o.type == OBJECTIVE_BUILD) {
                    const BuildItem* item = game.buildItems->FindByName(o.target);
                    ASSERT_NE(item, nullptr);
                    oreBill += (float)(item->costOre * o.targetCount);
                    fuelBill += (float)(item->costFuel * o.targetCount);
                } else if (o.type == OBJECTIVE_MINING && strcmp(o.target, "fuel") == 0) {
                    EXPECT_GE(Reachable(Where([](const Entity* e) { return e->flags & ENTITY_FUEL; }), "a fuel vent"),
                              (float)o.targetCount);
                    oreBill += (float)game.buildItems->FindByName("fuel_pump")->costOre;
                } else if (o.type == OBJECTIVE_MINING || o.type == OBJECTIVE_DISCOVER_ORE) {
                    EXPECT_GE(Reachable(Where([](const Entity* e) { return e->flags & ENTITY_RESOURCE; }), "ore") +
                                  LANDING_ORE,
                              (float)o.targetCount);
                } else if (strcmp(o.target, "scavengers") == 0) {
                    Reachable(Where([](const Entity* e) {
                                  return (e->flags & ENTITY_AGENT) &&
                                         (static_cast<const Agent*>(e)->classWord & AGENT_OBJECTIVE);
                              }),
                              "a scavenger");
                } else {
                    std::vector<Entity*> found = Find(o.target);
                    EXPECT_GE((int)found.size(), o.targetCount) << o.target;
                    Reachable(found, o.target);
                    if (o.type == OBJECTIVE_RECOVER_OBJECT || o.type == OBJECTIVE_REPAIR_OBJECT)
                        for (Entity* e : found) oreBill += (e->GetMaxHealth() - e->GetHealth()) * ORE_PER_POINT;
                }
            }
            EXPECT_EQ(listed, mission.objectiveCount) << "every objective of the mission is on the HUD";
            // The briefing calls each objective by the words of its HUD line, its count aside.
            Objectives::Line lines[Objectives::MAX_OBJECTIVES];
            const int shown = objectives.BuildLines(lines, Objectives::MAX_OBJECTIVES);
            for (int i = 0; i < mission.objectiveCount; ++i) {
                const std::string briefed = Words(DescriptionText(mission.objectives[i]->text));
                std::string hud;
                for (int k = 0; k < shown; ++k) hud += "\n" + Words(lines[k].text);
                EXPECT_NE((hud + "\n").find("\n" + briefed + "\n"), std::string::npos)
                    << "the briefing's \"" << briefed << "\" is none of the HUD's lines:" << hud;
            }
            EXPECT_LE(oreBill, LANDING_ORE) << "what the objectives cost in ore";
            EXPECT_LE(fuelBill, 0.0f) << "what they cost in fuel";
            EXPECT_TRUE(named == 0 || named == listed) << "the panel's line names some objectives, not all: " << line;

            // A diamond stands on every open objective's target, and on nothing else; the way
            // there passes no nest of the level's own.
            const std::vector<Entity*> diamonds = Diamonds();
            auto asked = [&](const Entity* e) {
                for (auto* node = objectives.list.head; node; node = node->next)
                    if (!(node->value->flags & OBJECTIVE_DONE) && Targets(*node->value, e)) return true;
                return false;
            };
            const std::vector<Entity*> nests = Where([&](const Entity* e) {
                const Building* b = (e->flags & ENTITY_BUILDING) ? static_cast<const Building*>(e) : nullptr;
                return b && b->definition && (b->definition->flags & BUILD_CREATURE_NEST) && !asked(e);
            });
            const Vec3 start = rig->GetPosition();
            for (Entity* d : diamonds) EXPECT_TRUE(asked(d)) << "a diamond on " << d->name << ", which nothing asks for";
            for (auto* node = objectives.list.head; node; node = node->next) {
                const Objective& o = *node->value;
                if (!HasMapTarget(o)) continue;
                EXPECT_TRUE(std::any_of(diamonds.begin(), diamonds.end(), [&](Entity* d) { return Targets(o, d); }))
                    << "no diamond shows where to " << o.id;
                for (Entity* target : Where([&](const Entity* e) { return Targets(o, e); }))
                    for (Entity* nest : nests)
                        EXPECT_GE(DistanceToWay(nest->GetPosition(), start, target->GetPosition()), WAY_CLEARANCE)
                            << nest->name << " stands on the way to " << target->name;
            }

            // The first missions land the rig by ore its first scan finds, and no nest is near.
            if (story < 2) {
                const ScanRecord pulse;
                const float reach = pulse.outerRadius + pulse.maxPhase;
                float found = 0.0f;
                for (Entity* ore : Where([](const Entity* e) { return e->flags & ENTITY_RESOURCE; }))
                    if (Distance(ore->GetPosition(), start) < reach) {
                        found += ore->GetHealth();
                        for (Entity* nest : nests)
                            EXPECT_GE(Distance(nest->GetPosition(), ore->GetPosition()), NEST_CLEARANCE)
                                << nest->name << " beside the ore at the start";
                    }
                EXPECT_GE(found, FIRST_ORE) << "ore the first scan at the start finds";
                for (Entity* nest : nests)
                    EXPECT_GE(Distance(nest->GetPosition(), start), NEST_CLEARANCE) << nest->name << " by the start";
            }

            // What an event waits for stands in the level.
            for (int e = 0; e < mission.eventCount; ++e)
                for (int c = 0; c < mission.events[e]->conditionCount; ++c) {
                    const EventCondition& condition = *mission.events[e]->conditions[c];
                    if (condition.type == CONDITION_DISCOVER_ENTITY || condition.type == CONDITION_LOW_HEALTH) {
                        EXPECT_FALSE(Find(condition.name).empty())
                            << mission.events[e]->name << " waits for " << condition.name;
                    }
                }
        }
    }
    growth.ClearInstances();
}

// "Fuel for Hallstrade" sends the player to pumps, a refinery and a factory first, which draw
// more power than a base starts with: a generator still goes up near the rig.
TEST_F(StoryMissions, AGeneratorCanBeBuiltWithThePowerShort)
{
    ScopedGlobal<float> ore{GetPlayerProfile()->ore, LANDING_ORE};
    ScopedGlobal<int> selected{MissionCatalogue::selectedIndex};
    ScopedGlobal<UnitControlCount> power{TheScene.unitControl, UnitControlCount()};
    for (int g : {2222, 3333}) {
        SCOPED_TRACE(testing::Message() << "galaxy " << g);
        Galaxy galaxy;
        ScopedGlobal<Galaxy*> current{TheGalaxy, &galaxy};
        galaxy.Generate(g);
        Start(4, (unsigned)galaxy.FindBodyByStoryId(4)->levelSeed);
        TheScene.unitControl.demand = 30.0f;
        int column, row, found = 0;
        ASSERT_TRUE(grid->WorldToCell(rig->GetPosition(), &column, &row));
        ASSERT_TRUE(game.buildItems->SetCurrent("power_generator", false));
        for (int y = row - 12; y <= row + 12 && !found; ++y)
            for (int x = column - 12; x <= column + 12 && !found; ++x) {
                if (!grid->GetCell(x, y) || !walked[(size_t)y * grid->size + x]) continue;
                game.buildItems->current->prototype->SetPosition(grid->CellToWorld(x, y));
                found = game.buildItems->CanPlaceCurrent();
            }
        EXPECT_TRUE(found) << "no place the rig walks to near its start takes a generator";
        game.buildItems->ClearCurrent();
    }
    growth.ClearInstances();
}

// What the rig mends in a story mission (a wrecked cannon, a console to restore) counts once,
// when the rig sent at it with a right click has walked up beside it and made it whole, even
// when the player gives the rig its next order in the very frame it is whole; a right click on
// it afterwards only walks the rig there and counts nothing more. The rest of the level stands
// still while the rig works.
TEST_F(StoryMissions, EachObjectTheRigMendsCountsOnceMendedFromBesideIt)
{
    const int galaxies[] = {1111, 2222, 3333};
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<float> ore{profile->ore};
    ScopedGlobal<float> fuel{profile->fuel};
    ScopedGlobal<int> selected{MissionCatalogue::selectedIndex};
    int mended = 0;
    for (int story = 0; story < MissionCatalogue::missionCount; ++story) {
        const MissionRecord& mission = MissionCatalogue::missions[story];
        bool mends = false;
        for (int i = 0; i < mission.objectiveCount; ++i)
            mends |= mission.objectives[i]->type == OBJECTIVE_REPAIR_OBJECT ||
                     mission.objectives[i]->type == OBJECTIVE_RECOVER_OBJECT;
        if (!mends) continue;
        for (int galaxy : galaxies) {
            SCOPED_TRACE(std::string(DescriptionText(mission.name)) + " galaxy " + std::to_string(galaxy));
            Start(story, LevelSeed(galaxy, story));
            profile->ore = LANDING_ORE;
            profile->fuel = 0.0f;
            // The mission's own objects that are not whole: what a right click sends the rig to mend.
            const std::vector<Entity*> objects = Where([](const Entity* e) {
                return (e->flags & ENTITY_STATIC) && (e->flags & ENTITY_OBJECT_OF_INTEREST) &&
                       !(e->flags & (ENTITY_AGENT | ENTITY_ITEM | ENTITY_BUILDING)) && e->health < e->maxHealth;
            });
            for (Entity* object : objects) {
                SCOPED_TRACE(object->name);
                const Objective* objective = objectives.FindByName(0, object->name);
                ASSERT_NE(objective, nullptr);
                const int before = objective->count;
                const Vec3 home = rig->GetPosition();
                RightClick(object, object->GetPosition());
                bool whole = false, fromAfar = false;
                for (float t = 0.0f; t < 150.0f && !whole; t += 0.1f) {
                    const float health = object->GetHealth();
                    Frame(0.1f);
                    fromAfar |= object->GetHealth() > health && !StepSupport::IsBeside(rig->GetPosition(), object, false);
                    whole = object->GetHealth() >= object->GetMaxHealth();
                }
                EXPECT_TRUE(whole) << "the rig stopped " << GetGroundDistance(rig->GetPosition(), object->GetPosition())
                                   << " away, the object at " << object->GetHealth() << " of "
                                   << object->GetMaxHealth();
                if (!whole) continue;
                EXPECT_FALSE(fromAfar) << "mended from where the rig could not touch it";
                // Whole: the player's next order comes at once, and the rig walks off.
                RightClick(nullptr, home);
                for (int i = 0; i < 10; ++i) Frame(0.1f);
                EXPECT_EQ(objective->count, before + 1) << "counted once, when whole";
                RightClick(object, object->GetPosition());
                for (int i = 0; i < 50; ++i) Frame(0.1f);
                EXPECT_EQ(objective->count, before + 1) << "whole, it counts no more";
                ++mended;
            }
        }
    }
    EXPECT_GT(mended, 0) << "the story has objects the rig mends";
}

// Two gunners brought up at the rig's start, the camp of the second story mission under the
// cursor, a right click: they walk the long way there, stop where their guns reach its walls and
// shoot until it falls. Only they act; the camp and its guards stand as they were made.
TEST_F(StoryMissions, TheSecondMissionsCampFallsToGunnersSentAtItWithARightClick)
{
    ScopedGlobal<int> selected{MissionCatalogue::selectedIndex};
    for (int galaxy : {1111, 2222, 3333}) {
        SCOPED_TRACE(galaxy);
        Start(1, LevelSeed(galaxy, 1));
        const std::vector<Entity*> camps = Find("Scavenger_camp");
        ASSERT_EQ(camps.size(), 1u);
        Entity* camp = camps[0];
        std::vector<Agent*> gunners;
        game.ClearSelection();
        for (int i = 0; i < 2; ++i) {
            Vec3 at;
            const Vec3 start = rig->GetPosition();
            ASSERT_TRUE(FindFreeCellNear(&at, nullptr, start, 0.0f, &start));
            Agent* gunner = TheScene.CreateAgent("gunner_bot", false);
            ASSERT_NE(gunner, nullptr);
            gunner->SetPosition(at);
            gunner->flags &= ~ENTITY_PLACED;
            gunner->ResetMovement();
            gunner->ClaimGridCell(at);
            ASSERT_NE(TheScene.AddEntity(gunner), nullptr);
            game.hand.selected.PushBack(gunner);
            gunners.push_back(gunner);
        }
        game.hoveredEntity = camp;
        game.pickedPoint = camp->GetCenter();
        game.pressTimer = 1.0f;
        game.OrderSelected();
        game.hoveredEntity = nullptr;
        NextTick();
        for (Agent* gunner : gunners) EXPECT_EQ(gunner->target.Get(), camp) << "the right click gave the attack";
        const EntityRef target(camp);
        ASSERT_NE(TheProjectiles, nullptr);
        for (float t = 0.0f; t < 600.0f && target.GetLive(); t += 0.1f) {
            Frame(0.1f);
            TheProjectiles->Update(0.1f);
        }
        EXPECT_FALSE(target.GetLive()) << "the camp stands with " << camp->GetHealth() << " hull; the gunners "
                                       << GetGroundDistance(gunners[0]->GetPosition(), camp->GetCenter()) << " and "
                                       << GetGroundDistance(gunners[1]->GetPosition(), camp->GetCenter())
                                       << " from its middle";
        game.ClearSelection();
    }
}
