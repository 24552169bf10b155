// A fight as a player gives it, in the real game: a gunner of the player's and a scavenger stand
// near the rig; a click selects the gunner, a right click on the scavenger sends it to attack,
// and the scavenger falls to it (its rounds' tracers seen from the play camera), the kill
// teaching the gunner. Then the rig, sent at a second scavenger, shoots it down with the weapons
// on its arms from a distance. On Beginner a rig left standing answers a beast's bite and a
// scavenger's shot by itself, walks up to a gun that shoots it from out of its sight, and one
// sent off with a right click past a beast still gets there.
// A spider that falls beside the rig leaves a stain and pieces smaller than itself, frame after
// frame. Whatever ended its fight at the crystal, a rig given a new order leaves its beam and its
// cutting behind and, where it arrives, answers a walker that shoots it.
#include "host/WorldGuard.h"
#include "tests/app/PlayerSessionSupport.h"

#include "mechanics/Selection.h"
#include "platform/SoundManager.h"
#include "render/IndexedMesh.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"
#include "terrain/Terrain.h"
#include "world/AiBrain.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/ProjectileSystem.h"
#include "world/TaskManager.h"
#include "world/TaskStepsSupport.h"

#include <algorithm>
#include <cmath>

using namespace playersession;

namespace {

class FightSession : public PlayerSession {
protected:
    // A scavengers' anti-air gun on open ground farther from the rig than it sees, near enough
    // to shoot it, worn down to a few seconds of the rig's fire; null without such ground.
    static Building* GunShootingFromOutOfSight(Agent* rig)
    {
        // The test's own staging, as a level's making would leave it.
        const WorldChangeScope staged;
        Grid& grid = *TheGame->grid;
        const Vec3 from = rig->GetPosition();
        Building* gun = TheScene.CreateBuilding("Scavenger_AA_Gun");
        if (!gun) return nullptr;
        for (int step = 0; step < 32; ++step) {
            const float angle = step * 0.19634954f;
            Vec3 point(from.x + 21.5f * cosf(angle), 0.0f, from.z + 21.5f * sinf(angle));
            int column = 0, row = 0;
            GridCell* cell = grid.WorldToCell(point, &column, &row) ? grid.GetCell(column, row) : nullptr;
            if (!cell || !cell->IsFreeWalkable()) continue;
            point = grid.CellToWorld(column, row);
            point.y = TheTerrain.GetHeight(point);
            gun->SetPosition(point);
            if (gun->DistanceTo(from) > rig->noticeRange && rig->DistanceTo(gun->GetCenter()) < gun->GetTypeRadius()) {
                gun->flags |= ENTITY_PLACED;
                gun->GetFootprintBounds(nullptr, nullptr);
                gun->SetHealth(150.0f);
                return gun;
            }
        }
        // The level lets go of a building it was given, never frees it.
        TheScene.RemoveEntity(gun, REMOVE_EVERYWHERE);
        delete gun;
        return nullptr;
    }
};

TEST_F(FightSession, AGunnerSentAtAScavengerBringsItDown)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Agent* gunner = PlaceUnit("gunner_bot", rig->GetPosition(), ALIGN_PLAYER);
    ASSERT_NE(gunner, nullptr);
    Agent* enemy = PlaceUnit("scav_small", gunner->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(enemy, nullptr);
    Passes(4, 0.05f);

    ASSERT_TRUE(ClickAt(gunner->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), gunner) << "a click selects the gunner";
    ASSERT_TRUE(ClickAt(enemy->GetCenter(), 1));
    const int experience = gunner->botExperience;
    // Agents come from a pool: once the scavenger falls, its record may stand for another one.
    const auto enemyId = enemy->id;
    auto standing = [&] { return enemy->id == enemyId && enemy->IsAlive(); };

    // The gunner's fire as the player sees it from the play camera: caught while a round (one
    // a tenth of a second) is half way from the muzzle to the scavenger, its tracer shows.
    bool firing = false;
    for (int i = 0; i < 300 && standing() && !firing; ++i) {
        Passes(1, 0.01f);
        for (auto* node = TheProjectiles->beams.head; node; node = node->next) {
            const float into = fmodf(node->value->DrawnTime(), 0.1f);
            firing |= node->value->shooter.Get() == gunner && into > 0.04f && into < 0.07f;
        }
    }
    ASSERT_TRUE(firing) << "the gunner fires";
    int gunnerX = 0, gunnerY = 0, enemyX = 0, enemyY = 0;
    ASSERT_TRUE(OnScreen(gunner->GetCenter(), &gunnerX, &gunnerY));
    ASSERT_TRUE(OnScreen(enemy->GetCenter(), &enemyX, &enemyY));
    // The picture taken with the cursor out of the way; put back, it scrolls no view.
    const int cursorX = Input.mouse->cursorX, cursorY = Input.mouse->cursorY;
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/gunner_fire.png", shot));
    Input.mouse->cursorX = cursorX;
    Input.mouse->cursorY = cursorY;
    const Pixels picture = ToPixels(shot);
    const int margin = Config->height / 10;
    const Pixels fire = CropAround(picture, gunnerX, gunnerY, enemyX, enemyY, margin);
    // A tracer's warm yellow, which neither the forest floor nor the units show.
    const int tracer = (int)std::count_if(fire.argb.begin(), fire.argb.end(), [](uint32_t c) {
        return Red(c) > 200 && Green(c) > 170 && Blue(c) < Green(c) - 40;
    });
    EXPECT_GE(tracer, 30) << "a round's tracer on its way";
    EXPECT_TRUE(MatchesReference(fire, "gunner_fire_tracer", {12, fire.width * fire.height / 400}));
    for (int second = 0; second < 60 && standing(); ++second) Passes(10, 0.1f);
    EXPECT_FALSE(standing()) << "the scavenger fell";
    EXPECT_TRUE(gunner->IsAlive());
    EXPECT_GT(gunner->botExperience, experience) << "the kill taught the gunner";

    ASSERT_NE(rig->GetAttachedEntity("leftweapon"), nullptr) << "the pilot's rig is armed";
    Agent* second = PlaceUnit("scav_small", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(second, nullptr);
    Passes(4, 0.05f);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "a click selects the rig";
    ASSERT_TRUE(ClickAt(second->GetCenter(), 1));
    const auto secondId = second->id;
    float closest = 1e9f;
    for (int tick = 0; tick < 600 && second->id == secondId && second->IsAlive(); ++tick) {
        Passes(1, 0.1f);
        if (second->id == secondId) {
            Vec3 d = second->GetPosition() - rig->GetPosition();
            closest = std::min(closest, std::sqrt(d.x * d.x + d.z * d.z));
        }
    }
    EXPECT_FALSE(second->id == secondId && second->IsAlive()) << "the rig shot the scavenger down";
    EXPECT_GT(closest, 4.0f) << "from a distance, not at arm's length";
}

TEST_F(FightSession, OnBeginnerAnIdleRigAnswersWhatAttacksItAndStillGoesWhereItIsSent)
{
    Config->Difficulty = 0;
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    for (const char* foe : {"stump_crawler", "scav_small"}) {
        SCOPED_TRACE(foe);
        Agent* enemy = PlaceUnit(foe, rig->GetPosition(), ALIGN_ENEMY);
        ASSERT_NE(enemy, nullptr);
        const auto id = enemy->id;
        PlayWithoutPictures(60.0f, 0.05f, [&] { return rig->IsAlive() && enemy->id == id && enemy->IsAlive(); });
        EXPECT_FALSE(enemy->id == id && enemy->IsAlive()) << "the rig brought it down";
        ASSERT_TRUE(rig->IsAlive());
        EXPECT_GT(rig->health, rig->GetMaxHealth() * 0.5f);
    }

    // A scavengers' anti-air gun that reaches farther than the rig sees shoots it: the rig walks
    // up to the gun and brings it down.
    Building* gun = GunShootingFromOutOfSight(rig);
    ASSERT_NE(gun, nullptr) << "ground for the gun, beyond the rig's sight and within the gun's reach";
    const float hull = rig->health;
    const auto gunId = gun->id;
    PlayWithoutPictures(60.0f, 0.05f, [&] { return rig->IsAlive() && gun->id == gunId && gun->IsAlive(); });
    EXPECT_LT(rig->health, hull) << "the gun shot the rig";
    EXPECT_FALSE(gun->id == gunId && gun->IsAlive()) << "the rig brought the gun down";
    ASSERT_TRUE(rig->IsAlive());

    // Sent off with a right click, a beast at its side, it does not stop to fight on the way.
    Agent* beast = PlaceUnit("stump_crawler", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(beast, nullptr);
    Passes(2, 0.05f);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), rig);
    const Vec3 start = rig->GetPosition(), toBeast = beast->GetPosition() - start;
    Vec3 goal;
    ASSERT_TRUE(FindOpenGround(start - toBeast, &goal));
    ASSERT_TRUE(ClickAt(goal, 1));
    float closest = 1e9f;
    PlayWithoutPictures(20.0f, 0.05f, [&] {
        closest = std::min(closest, std::hypot(rig->GetPosition().x - goal.x, rig->GetPosition().z - goal.z));
        return closest > 2.0f;
    });
    EXPECT_LE(closest, 2.0f) << "the rig got where it was sent";
}

TEST_F(FightSession, ASpiderFallingBesideTheRigLeavesPiecesSmallerThanItself)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Agent* spider = PlaceUnit("spider", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(spider, nullptr);
    Passes(2, 0.05f);  // it has measured itself
    ASSERT_TRUE(TheProjectiles && TheProjectiles->debris);
    const DebrisField& debris = *TheProjectiles->debris;
    const float footprint = spider->size;
    ASSERT_GT(footprint, 0.5f);
    {
        // The test's own blow, as a tick's shot would land it.
        const WorldChangeScope staged;
        spider->TakeDamage(spider->GetHealth() + 1.0f, rig, nullptr, 0, true);
        spider->Die(rig);
    }
    ASSERT_NE(debris.active.head, nullptr) << "the spider throws its pieces";
    // Every frame while the pieces fly, each of them as drawn is smaller than the spider was.
    for (int frame = 0; frame < 10 && debris.active.head; ++frame) {
        for (auto* node = debris.active.head; node; node = node->next)
            for (int i = 0; i < node->value->count; ++i) {
                const IndexedMesh* mesh = node->value->pieces[i].mesh;
                ASSERT_NE(mesh, nullptr);
                const Vec3 extent = (mesh->boundsMax - mesh->boundsMin) * node->value->scale;
                EXPECT_LT(std::max({extent.x, extent.y, extent.z}), footprint / 2) << "piece " << i << " frame " << frame;
            }
        Passes(1, 0.05f);
    }
}

// The rig cutting the crystal beside it is bitten; the biter is killed by two scouts, by the rig
// itself, or runs off past the leash; the rig goes back to its cutting and is then given another
// order as a player gives it. A right click on the minimap sends the group to the minimap's
// point whatever the view shows behind the minimap; one on closed ground is refused and leaves
// the rig cutting. All the while its beam is seen and heard, and its cutting runs, only while it
// stands beside the ore it cuts; and where it ends up it shoots a walker that shoots it.
TEST_F(FightSession, ARigTakenFromItsCuttingByAnOrderLeavesItsBeamAndFightsWhereItArrives)
{
    enum Biter { KILLED_BY_OTHERS, KILLED_BY_ITSELF, FLED };
    enum Order {
        GROUP_MOVE_ON_MINIMAP,
        PLAIN_MOVE,
        ATTACK_MOVE,
        OTHER_ORE,
        NEW_BUILDING,
        // The group's minimap click with, in the view, this behind the minimap where it is clicked.
        MINIMAP_OVER_ORE,
        MINIMAP_OVER_ENEMY,
        MINIMAP_OVER_FRIEND,
        // A right click where no unit can go: refused, the rig goes on cutting.
        UNREACHABLE,
    };
    const struct {
        Biter biter;
        Order order;
    } rows[] = {
        {KILLED_BY_OTHERS, GROUP_MOVE_ON_MINIMAP}, {KILLED_BY_OTHERS, PLAIN_MOVE}, {KILLED_BY_OTHERS, ATTACK_MOVE},
        {KILLED_BY_OTHERS, OTHER_ORE},  {KILLED_BY_OTHERS, NEW_BUILDING}, {KILLED_BY_ITSELF, GROUP_MOVE_ON_MINIMAP},
        {KILLED_BY_ITSELF, PLAIN_MOVE}, {KILLED_BY_ITSELF, OTHER_ORE},    {FLED, GROUP_MOVE_ON_MINIMAP},
        {FLED, ATTACK_MOVE},            {FLED, OTHER_ORE},                {KILLED_BY_OTHERS, MINIMAP_OVER_ORE},
        {KILLED_BY_OTHERS, MINIMAP_OVER_ENEMY}, {KILLED_BY_OTHERS, MINIMAP_OVER_FRIEND}, {KILLED_BY_OTHERS, UNREACHABLE},
    };
    const char* const biterNames[] = {"killed by the scouts", "killed by the rig", "fled past the leash"};
    const char* const orderNames[] = {"group move on the minimap", "plain move", "attack-move", "other ore",
                                      "new building", "minimap over ore", "minimap over an enemy",
                                      "minimap over a friend", "unreachable"};
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    // The two crystals nearest the rig, revealed as a scan reveals them, and deep enough for
    // every row.
    Entity* crystals[2] = {};
    for (Entity*& crystal : crystals) {
        float nearest = 1e9f;
        for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, 0); e; e = TheScene.NextInCategory()) {
            if (!(e->flags & ENTITY_RESOURCE) || (e->flags & ENTITY_FUEL) || !e->IsAlive() || e == crystals[0]) continue;
            const float d = GetGroundDistance(e->GetPosition(), rig->GetPosition());
            if (d < nearest) nearest = d, crystal = e;
        }
        ASSERT_NE(crystal, nullptr);
        crystal->flags |= ENTITY_RESOURCE_REVEALED;
        crystal->maxHealth = crystal->health = 100000.0f;
    }
    const Vec3 home = rig->GetPosition();
    const int beamSound = SoundMgr->FindSound("buildbeam");
    auto beamOn = [&] {
        bool drawn = false;
        for (auto* n = TheScene.particles->active.head; n; n = n->next)
            drawn |= n->value->owner == rig && !(n->value->flags & PARTICLE_STOP) &&
                     StrICmp(n->value->name, "extractbeam") == 0;
        return drawn || (rig->workSound >= 0 && SoundMgr->IsPlaying(beamSound, rig->workSound));
    };
    auto cuttingStep = [&] {
        const Job* job = rig->brain->job;
        return job && job->currentStep && StrICmp(job->currentStep->name, "ExtractOre") == 0;
    };
    auto besideItsOre = [&] {
        Entity* ore = rig->mine.GetLive();
        return ore && !rig->HasStanceBits() && StepSupport::IsBeside(rig->GetPosition(), ore, false);
    };
    // Building the site it was sent to, its beam is on as well.
    auto atItsSite = [&] {
        Entity* site = rig->activeBuilding.GetLive();
        return site && rig->brain->mode == AI_MODE_BUILD && !rig->HasStanceBits() &&
               StepSupport::IsBeside(rig->GetPosition(), site, false);
    };
    // The beam and the cutting are let a tenth of a second to follow what the rig does.
    float astray = 0.0f, worst = 0.0f;
    std::string what;
    auto watch = [&](float dt) {
        const bool beam = beamOn() && !besideItsOre() && !atItsSite();
        const bool cutting = cuttingStep() && !besideItsOre() && !rig->HasStanceBits();
        astray = beam || cutting ? astray + dt : 0.0f;
        if (astray > worst) {
            worst = astray;
            what = beam ? "a beam away from its work" : "cutting away from its ore";
        }
    };
    auto play = [&](float seconds, const std::function<bool()>& until) {
        PlayWithoutPictures(seconds, 0.05f, [&] {
            watch(0.05f);
            return rig->IsAlive() && !until();
        });
    };
    auto cutsAt = [&](Entity* crystal) {
        return cuttingStep() && rig->mine.Get() == crystal && besideItsOre();
    };
    std::vector<Agent*> placed;
    auto place = [&](const char* type, int alignment) {
        Agent* unit = PlaceUnit(type, rig->GetPosition(), alignment);
        if (unit) placed.push_back(unit);
        return unit;
    };
    // The camera moved so that the ray through the screen point passes through the entity.
    auto behindScreenPoint = [&](Entity* entity, int x, int y) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            Vec3 nearPoint, farPoint;
            if (!BuildPickRay((float)x, (float)y, &nearPoint, &farPoint)) return false;
            const Vec3 ray = farPoint - nearPoint, centre = entity->GetCenter();
            if (entity->IntersectRay(nearPoint, ray)) return true;
            if (std::fabs(ray.y) < 1e-6f) return false;
            const Vec3 through = nearPoint + ray * ((centre.y - nearPoint.y) / ray.y);
            const Vec3 shift(centre.x - through.x, 0.0f, centre.z - through.z);
            GameCamera.target = GameCamera.target + shift;
            GameCamera.eye = GameCamera.eye + shift;
            Passes(1, 0.05f);
        }
        return false;
    };
    // A spot no unit can be sent to, in view: closed ground (water, rock) with no free cell
    // round it and nothing on it a click would pick.
    auto findUnreachable = [&](Vec3* spot) {
        const Grid* grid = CurrentGrid();
        if (!grid) return false;
        const Vec3 from = rig->GetPosition();
        float best = 1e9f;
        for (int column = 1; column < grid->size - 1; ++column)
            for (int row = 1; row < grid->size - 1; ++row) {
                Vec3 point = grid->CellToWorld(column, row);
                const float d = GetGroundDistance(point, from);
                const GridCell* cell = grid->GetCell(column, row);
                if (d > best || cell->IsFreeWalkable() || cell->occupant ||
                    FindFreeCellNear(nullptr, nullptr, from, 0.0f, &point))
                    continue;
                best = d;
                *spot = point;
            }
        if (best == 1e9f) return false;
        spot->y = TheTerrain.GetHeight(*spot);
        GameCamera.target = *spot;
        GameCamera.eye = *spot - GameCamera.direction * GameCamera.distance;
        Passes(2, 0.05f);
        int x = 0, y = 0;
        return OnScreen(*spot, &x, &y) && !IsPointOnMinimap(x, y);
    };
    auto rightClickOnGround = [&](Vec3* goal) {
        if (!FindOpenGround(rig->GetPosition(), goal)) return false;
        return ClickAt(*goal, 1);
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(biterNames[row.biter]) + ", then: " + orderNames[row.order]);
        worst = 0.0f;
        // Home, whole, cutting the first crystal as a right click sets it to.
        {
            const WorldChangeScope staged;
            for (Agent* unit : placed) TheScene.RemoveEntity(unit, REMOVE_EVERYWHERE);
        }
        placed.clear();
        TheGame->ClearSelection();
        TheGame->CenterCameraOnEntity(rig);
        rig->SetPosition(home);
        rig->ResetMovement();
        rig->ClaimGridCell(home);
        {
            const WorldChangeScope staged;
            rig->SetHealth(rig->GetMaxHealth());
        }
        Passes(2, 0.05f);
        TheGame->CenterCameraOnEntity(rig);
        Passes(2, 0.05f);
        ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
        ASSERT_TRUE(ClickAt(crystals[0]->GetPosition(), 1));
        play(20.0f, [&] { return cutsAt(crystals[0]) && beamOn(); });
        ASSERT_TRUE(cutsAt(crystals[0])) << "the rig cuts the crystal";

        // Bitten at its work.
        Agent* mantis = place("mantis", ALIGN_ENEMY);
        ASSERT_NE(mantis, nullptr);
        EntityRef biter(mantis);
        const float whole = rig->health;
        play(20.0f, [&] { return rig->health < whole; });
        ASSERT_LT(rig->health, whole) << "the mantis bit the rig";
        if (row.biter == KILLED_BY_OTHERS) {
            place("scout_bot", ALIGN_PLAYER);
            place("scout_bot", ALIGN_PLAYER);
        } else if (row.biter == FLED) {
            play(5.0f, [&] { return rig->target.Get() == mantis; });
            mantis->brainKind = BRAIN_NONE;
            mantis->brain->ClearJob();
            mantis->target.Clear();
            mantis->MoveTo(home + (mantis->GetPosition() - home) * 30.0f, true);
        }
        const int kills = rig->kills;
        play(40.0f, [&] { return !biter.GetLive() || (row.biter == FLED && cutsAt(crystals[0])); });
        if (row.biter == KILLED_BY_ITSELF) {
            EXPECT_GT(rig->kills, kills) << "the rig killed its biter";
        } else if (row.biter == KILLED_BY_OTHERS) {
            EXPECT_EQ(biter.GetLive(), nullptr) << "the scouts killed the biter";
        }
        play(20.0f, [&] { return cutsAt(crystals[0]) && beamOn(); });
        ASSERT_TRUE(cutsAt(crystals[0])) << "back at its cutting";

        // The order, through the mouse and the keys.
        ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
        Vec3 goal = rig->GetPosition();
        const bool onMinimap = row.order == GROUP_MOVE_ON_MINIMAP || row.order == MINIMAP_OVER_ORE ||
                               row.order == MINIMAP_OVER_ENEMY || row.order == MINIMAP_OVER_FRIEND;
        const bool refused = row.order == UNREACHABLE;
        if (onMinimap) {
            if (placed.size() < 3) {
                place("scout_bot", ALIGN_PLAYER);
                place("scout_bot", ALIGN_PLAYER);
            }
            Passes(2, 0.05f);
            InputScript::KeyDown(DIK_LSHIFT);
            for (Agent* unit : placed)
                if (unit->alignment == ALIGN_PLAYER && unit->IsAlive()) ClickAt(unit->GetCenter(), 0);
            InputScript::KeyUp(DIK_LSHIFT);
            InputScript::KeyDown(DIK_LCONTROL);
            Press(DIK_1);
            InputScript::KeyUp(DIK_LCONTROL);
            ASSERT_GT(TheGame->hand.selected.count, 1) << "the rig and its scouts are one group";
            const MinimapLayout& box = TheMinimap.layout;
            const int x = box.x + box.width / 2, y = box.y + box.height / 3;
            goal = MinimapToWorld(x, y);
            Entity* behind = row.order == MINIMAP_OVER_ORE ? crystals[1] : nullptr;
            if (row.order == MINIMAP_OVER_ENEMY || row.order == MINIMAP_OVER_FRIEND) {
                Agent* other = place(row.order == MINIMAP_OVER_ENEMY ? "scav_small" : "gunner_bot",
                                     row.order == MINIMAP_OVER_ENEMY ? ALIGN_ENEMY : ALIGN_PLAYER);
                ASSERT_NE(other, nullptr);
                other->brainKind = BRAIN_NONE;
                behind = other;
            }
            if (behind) {
                ASSERT_TRUE(behindScreenPoint(behind, x, y)) << "the view shows it behind the minimap";
            }
            MoveMouseTo(x, y);
            Click(1);
        } else if (row.order == PLAIN_MOVE || row.order == ATTACK_MOVE) {
            if (row.order == ATTACK_MOVE) InputScript::KeyDown(DIK_LCONTROL);
            const bool clicked = rightClickOnGround(&goal);
            if (row.order == ATTACK_MOVE) InputScript::KeyUp(DIK_LCONTROL);
            ASSERT_TRUE(clicked);
        } else if (row.order == UNREACHABLE) {
            Vec3 closed;
            ASSERT_TRUE(findUnreachable(&closed)) << "closed ground in view";
            ASSERT_TRUE(ClickAt(closed, 1));
        } else if (row.order == OTHER_ORE) {
            ASSERT_TRUE(ClickAt(crystals[1]->GetPosition(), 1));
            play(30.0f, [&] { return cutsAt(crystals[1]); });
            EXPECT_TRUE(cutsAt(crystals[1])) << "the rig cuts the other crystal";
            goal = rig->GetPosition();
        } else {
            if (Building* before = FindPlayerBuilding("bot_factory")) TheScene.RemoveEntity(before, REMOVE_EVERYWHERE);
            Building* site = PlaceFromBuildPanel("bot_factory", rig->GetPosition());
            ASSERT_NE(site, nullptr);
            play(90.0f, [&] { return site->buildState != BUILD_STATE_CONSTRUCTING && !rig->brain->job; });
            EXPECT_NE(site->buildState, BUILD_STATE_CONSTRUCTING) << "the rig built it";
            goal = rig->GetPosition();
        }
        // The scouts sent with it on the minimap go there too.
        auto groupThere = [&] {
            for (Agent* unit : placed)
                if (onMinimap && StrICmp(unit->name, "scout_bot") == 0 && unit->IsAlive() &&
                    GetGroundDistance(unit->GetPosition(), goal) >= 8.0f)
                    return false;
            return true;
        };
        play(60.0f, [&] { return !rig->HasStanceBits() && rig->moveQueue.IsEmpty() &&
                                 GetGroundDistance(rig->GetPosition(), goal) < 8.0f && groupThere(); });
        EXPECT_LT(GetGroundDistance(rig->GetPosition(), goal), 8.0f) << "it got where it was sent";
        EXPECT_TRUE(groupThere()) << "the scouts got there with it";
        if (refused) {
            EXPECT_TRUE(cutsAt(crystals[0]) && beamOn()) << "still at its cutting";
        } else if (row.order != OTHER_ORE) {
            EXPECT_FALSE(beamOn()) << "no beam where it stands";
            EXPECT_FALSE(cuttingStep()) << "no cutting where it stands";
        }

        // Arrived, a walker comes up and shoots it, and it shoots back; the scouts are gone.
        {
            const WorldChangeScope staged;
            for (Agent* unit : placed) TheScene.RemoveEntity(unit, REMOVE_EVERYWHERE);
        }
        placed.clear();
        TheGame->CenterCameraOnEntity(rig);
        Passes(2, 0.05f);
        Agent* walker = place("scav_small", ALIGN_ENEMY);
        ASSERT_NE(walker, nullptr);
        int shots = 0;
        play(30.0f, [&] {
            for (auto* n = TheProjectiles->beams.head; n; n = n->next) shots += n->value->shooter.Get() == rig;
            for (auto* n = TheProjectiles->projectiles.head; n; n = n->next) shots += n->value->shooter.Get() == rig;
            return shots > 0;
        });
        EXPECT_GT(shots, 0) << "the rig shot the walker that shot it";
        EXPECT_TRUE(rig->IsAlive());
        EXPECT_LE(worst, 0.1f) << what << " for " << worst << " s";
    }
}

}  // namespace

