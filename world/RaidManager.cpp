#include "world/RaidManager.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/MissionRecord.h"
#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/LevelGenerator.h"
#include "mechanics/Game.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "terrain/Environment.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <cstring>

int NextRaidId = 1;

namespace {

constexpr float EVALUATION_PERIOD = 0.5f;
constexpr float ARRIVAL_DISTANCE = 8.0f;
constexpr int MAX_MEMBERS = 64;
// The brain's mode while it fights.
constexpr int BRAIN_ATTACKING = 1;

const char* const RAIDER_TYPES[] = {"scav_melee",  "scav_small",  "scav_leader", "scav_brute",     "scav_flamer",
                                    "scav_boss_a", "scav_boss_b", "scav_boss_c", "scav_superMelee"};
const int GROUP_BONUS[11] = {0, 0, 1, 1, 2, 2, 2, 3, 3, 3, 3};

void LogRouteCount(int where, int count)
{
    Log("ERROR: AIManager (%d) path count = %d\n", where, count);
}

Entity* PlayerRig()
{
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_UNIT); node; node = TheScene.NextInList(node))
        if (node->value && (node->value->flags & ENTITY_PLAYER)) return node->value;
    return nullptr;
}

// Each qualifying building of the segment equally likely: the n-th replaces the choice when
// rand() % n is 0.
template <class Qualifies>
Building* PickBuilding(int segment, Qualifies qualifies)
{
    Building* chosen = nullptr;
    int n = 0;
    for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
        Entity* entity = node->value;
        if (!entity || !(entity->flags & ENTITY_BUILDING) || !entity->IsAlive()) continue;
        Building* building = static_cast<Building*>(entity);
        if (!building->definition || !qualifies(building)) continue;
        ++n;
        if (Rand() % n == 0) chosen = building;
    }
    return chosen;
}

}  // namespace

bool CoinFlip()
{
    return (Rand() & 1) == 0;
}

void AIManager::Reset()
{
    ResetTimers();
    for (Vec3& point : points) point = Vec3();
}

void AIManager::ResetTimers()
{
    tick = EVALUATION_PERIOD;
    elapsed = 0.0f;
    raidTimer = RAID_TIMER_UNSET;
    state = 0;
    reserved = 0;
    pointCount = 0;
    raidId = 0;
    launchSecond = 0;
    active = 1;
}

void AIManager::Update(float dt)
{
    if (!active) return;
    tick -= dt;
    elapsed += dt;
    if (tick > 0.0f) return;
    tick = EVALUATION_PERIOD;

    const PlayerProfile* profile = GetPlayerProfile();
    int playerLevel = profile ? profile->level : 0;
    int seconds = MissionTime > 0.0f ? (int)MissionTime : 0;
    int minutes = seconds / 60;
    int second = seconds - 60 * minutes;
    int difficulty = Config ? Config->Difficulty : 1;
    const MissionRecord* mission = MissionCatalogue::GetCurrentMission();
    int missionLevel = mission ? mission->level : 0;

    bool timerJustSet = false;
    if (raidTimer < 0.0f) {
        raidTimer = (float)(5 - difficulty) * 60.0f + (playerLevel < 1 ? 60.0f : 0.0f);
        timerJustSet = true;
    }
    if (state == 1) {
        Lead();
        return;
    }
    if (elapsed < raidTimer) return;
    Launch(minutes, second, difficulty, playerLevel, missionLevel, timerJustSet);
}

void AIManager::Launch(int minutes, int second, int difficulty, int playerLevel, int missionLevel, bool timerJustSet)
{
    elapsed = 0.0f;
    pointCount = 0;
    raidTimer = (float)(5 - difficulty) * 60.0f;

    Vec3 target;
    if (Entity* rig = PlayerRig()) target = rig->GetPosition();
    if (Building* building = PickBuilding(SEGMENT_BUILDING, [](Building* b) {
            const BuildItem* d = b->definition;
            return (d->flags & BUILD_RESOURCE_DROP) || ((d->flags & BUILD_RESOURCE) && d->resourcePower > 0);
        }))
        target = building->GetPosition();

    const Environment* environment = Environment::GetCurrent();
    bool moon = environment && StrICmp(environment->name, "moon") == 0;
    Building* source = PickBuilding(SEGMENT_ENEMY_BUILDING, [moon](Building* b) {
        const BuildItem* d = b->definition;
        if ((d->flags & BUILD_TURRET) && b->GetMaxHealth() < 500.0f) return false;
        return strcmp(b->name, "Scavenger_dropship") == 0 || (!moon && (d->flags & BUILD_CREATURE_NEST));
    });
    if (!source) return;
    bool nest = (source->definition->flags & BUILD_CREATURE_NEST) && strcmp(source->name, "Scavenger_dropship") != 0;
    Vec3 from = source->GetPosition();

    state = 1;
    launchSecond = second;
    if (pointCount != 0) LogRouteCount(366, pointCount);
    points[pointCount++] = target;
    Vec3 crossing;
    if (TheLevelGenerator.FindCrossing(from, target, &crossing)) points[pointCount++] = crossing;
    if (pointCount < 0 || pointCount > 2) {
        LogRouteCount(393, pointCount);
        return;
    }
    Vec3 waypoint = points[pointCount - 1];
    raidId = NextRaidId++;

    int strength = std::clamp((playerLevel + missionLevel) / 2, 0, 10);
    int size = 1;
    if (strength >= 1) size += difficulty;
    if (!timerJustSet) size += GROUP_BONUS[strength];
    if (nest) size = 1;

    bool wheelerMade = false;
    for (int i = 0; i < size; ++i) {
        int tier = missionLevel;
        if (minutes > 4 && RandomInt(0, minutes / 3) > 0) ++tier;
        Vec3 cell;
        if (!FindFreeCellNear(&cell, source, target, 0.0f, nullptr)) continue;

        Agent* raider = nullptr;
        if (nest) {
            char name[96];
            snprintf(name, sizeof name, "%s_raider", source->definition->spawnType);
            raider = TheScene.CreateAgent(name, false);
            if (!raider && (raider = TheScene.CreateAgent(source->definition->spawnType, false))) {
                // A nest without raiders of its own sends one of its brood, larger and tougher.
                float grown = raider->scale + 0.2f;
                float factor = raider->scale > 0.0f ? grown / raider->scale : 1.0f;
                raider->scale = grown;
                for (float* row : {&raider->world._11, &raider->world._21, &raider->world._31})
                    for (int k = 0; k < 3; ++k) row[k] *= factor;
                raider->SetHealth(3.0f * raider->GetMaxHealth());
            }
        } else {
            const char* type = RAIDER_TYPES[i % 9];
            if (Rand() % 5 + 1 == 1) {
                type = "scav_air_probe";
                if (missionLevel > 4 && !wheelerMade && CoinFlip()) {
                    type = "scav_wheeler";
                    wheelerMade = true;
                }
            }
            raider = TheScene.CreateAgent(type, false);
        }
        if (!raider) continue;

        raider->flags |= ENTITY_PLACED;
        Vec3 position = cell;
        position.y = TheTerrain.GetHeight(position);
        raider->SetPosition(position);
        if (!TheScene.AddEntity(raider)) continue;
        raider->ClaimGridCell(position);
        raider->classWord |= AGENT_CLASS_RAIDER;
        raider->groupId = raidId;
        // Made this frame: it settles first, then takes up the point waiting in its queue.
        raider->moveQueue.Clear();
        raider->moveQueue.Push(waypoint);
        raider->SetHealth(raider->GetMaxHealth() * (1.0f + 0.2f * (float)tier));
        ScaleEnemyForDifficulty(raider);
        raider->botLevel = tier;
    }
}

void AIManager::EndRaid()
{
    raidId = 0;
    elapsed = 0.0f;
    state = 0;
}

void AIManager::Lead()
{
    if (raidId <= 0) return;
    Agent* members[MAX_MEMBERS];
    int count = 0;
    bool busy = false;
    for (int segment : {SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT, SEGMENT_ENEMY_BUILDING})
        for (Scene::Node* node = TheScene.FirstInList(segment); node && count < MAX_MEMBERS;
             node = TheScene.NextInList(node)) {
            Entity* entity = node->value;
            if (!entity || !(entity->flags & ENTITY_AGENT) || !entity->IsAlive()) continue;
            Agent* agent = static_cast<Agent*>(entity);
            if (agent->groupId != raidId) continue;
            // On the move (or about to be, with a point waiting) or fighting.
            if (agent->HasStanceBits() || !agent->moveQueue.IsEmpty() || agent->CurrentAiMode() == BRAIN_ATTACKING) busy = true;
            members[count++] = agent;
        }
    if (count == 0) {
        EndRaid();
        return;
    }
    if (busy) return;
    if (pointCount == 0) {
        EndRaid();
        return;
    }
    if (pointCount < 0 || pointCount > 2) {
        LogRouteCount(664, pointCount);
        return;
    }
    Vec3 waypoint = points[pointCount - 1];
    bool sent = false;
    for (int i = 0; i < count; ++i) {
        Vec3 at = members[i]->GetPosition();
        float dx = at.x - waypoint.x, dz = at.z - waypoint.z;
        if (std::sqrt(dx * dx + dz * dz) > ARRIVAL_DISTANCE) {
            members[i]->MoveTo(waypoint, true);
            sent = true;
        }
    }
    if (sent) return;
    --pointCount;
    if (pointCount < 0 || pointCount > 2) {
        LogRouteCount(694, pointCount);
        return;
    }
    if (pointCount == 0) {
        EndRaid();
        return;
    }
    waypoint = points[pointCount - 1];
    for (int i = 0; i < count; ++i) members[i]->MoveTo(waypoint, true);
}

void AIManager::Save(FILE* file)
{
    if (!file) return;
    // Whole: the raids' clock and route go on from the very tenth of a second they stood at.
    fprintf(file, "AIManagerData\t\t%.9g %.9g %.9g   %d  %d   %d %d %d\n", tick, elapsed, raidTimer, state, reserved,
            raidId, launchSecond, active ? 1 : 0);
    for (int i = 0; i < pointCount && i < RAID_POINTS; ++i)
        fprintf(file, "AIManagerPath\t\t%.9g %.9g %.9g\n", points[i].x, points[i].y, points[i].z);
}

bool AIManager::ReadSceneRecord(const char* keyword, SceneRecordInput& in)
{
    if (StrICmp(keyword, "AIManagerData") == 0) {
        int on = active;
        (void)(in.Float(&tick) && in.Float(&elapsed) && in.Float(&raidTimer) && in.Int(&state) && in.Int(&reserved) &&
            in.Int(&raidId) && in.Int(&launchSecond) && in.Int(&on));
        active = on != 0 ? 1 : 0;
        pointCount = 0;
        return true;
    }
    if (StrICmp(keyword, "AIManagerPath") == 0) {
        Vec3 point;
        bool whole = in.Float(&point.x) && in.Float(&point.y) && in.Float(&point.z);
        // The route never holds more than its eight points, whatever the file says.
        if (whole && pointCount < RAID_POINTS) points[pointCount++] = point;
        return true;
    }
    return false;
}

void AIManager::OnSceneLoaded()
{
    // Raiders read back keep their raid's id: a new raid must not take it and adopt them.
    int highest = raidId;
    for (int segment : {SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT, SEGMENT_ENEMY_BUILDING})
        for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
            Entity* entity = node->value;
            if (entity && (entity->flags & ENTITY_AGENT)) highest = std::max(highest, static_cast<Agent*>(entity)->groupId);
        }
    if (NextRaidId <= highest) NextRaidId = highest + 1;
}
