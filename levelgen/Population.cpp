// The third stage of a random level: the layout and the kind grid become the level's contents.
#include "levelgen/MapGenerator.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/MissionRecord.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/Growth.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MissionObjects.h"
#include "mechanics/EventManager.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Scene.h"
#include "platform/Files.h"
#include "platform/MathUtil.h"
#include "render/Camera.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"

#include <cstdio>
#include <new>

namespace {

Objective* AddObjectiveText(const char* text, int type, const char* target)
{
    return TheObjectives ? TheObjectives->AddObjective(text, type, target) : nullptr;
}

// A creature spawner with its ground splat; the splat stays when a saved scene brings the
// spawner back. Only a nest an objective asks for is marked as the player's target: the
// level's own lairs are dangers, not destinations.
void CreateSpawner(const char* name, const Vec3& at, int level, bool loading, bool objective)
{
    if (!loading) {
        Building* spawner = TheScene.CreateBuilding(name);
        if (spawner) {
            spawner->SetPosition(at);
            spawner->flags |= ENTITY_PLACED | (objective ? ENTITY_OBJECT_OF_INTEREST : 0u);
            RaiseHealthForLevel(spawner, level);
        }
    }
    const BuildItemList* catalogue = TheGame ? TheGame->buildItems : nullptr;
    const BuildItem* item = catalogue ? catalogue->FindByName(name) : nullptr;
    char texture[MAX_PATH_TEXT], normal[MAX_PATH_TEXT];
    if (item && StrICmp(item->splatTextures[0], "none") != 0 && item->splatTextures[0][0]) {
        snprintf(texture, sizeof texture, "data/textures/splats/%s", item->splatTextures[0]);
        snprintf(normal, sizeof normal, "data/textures/splats/%s", item->splatTextures[1]);
    } else {
        CopyText(texture, sizeof texture, "data/textures/splats/splat_default.dds");
        CopyText(normal, sizeof normal, "data/textures/splats/splat_default_sn.dds");
    }
    TheScene.AddSplat("splatXLarge", texture, normal, Vec3(at.x, at.y + 0.05f, at.z), 64);
}

void PlaceRig(Agent* rig, const Vec3& start, bool loading)
{
    if (!rig) return;
    rig->SetPosition(start);
    rig->moveTarget = start;
    // Placed: its first update puts it on the ground and in its cell.
    rig->flags |= ENTITY_PLACED;
    if (!(rig->flags & ENTITY_PLAYER)) {
        rig->flags |= ENTITY_PLAYER;
        rig->flags &= ~ENTITY_DEAD;
        rig->flags |= ENTITY_AGENT | ENTITY_AI;
        rig->alignment = ALIGN_PLAYER;
        rig->classWord |= AGENT_CLASS_SCAN;
    }
    if (!loading) TheScene.AddEntity(rig);
}

void PlaceObjectiveSites(const LevelGenerator& layout, int level, bool loading)
{
    char text[64];
    for (int i = 0; i < layout.objectiveSiteCount; ++i) {
        const Objective* o = layout.siteObjectives[i];
        if (!o) continue;
        const IntPoint site = layout.objectiveSites[i];
        const bool placed = site != IntPoint(-1, -1);
        const Vec3 at = placed ? MapPointToWorld(site.x, site.y) : Vec3();
        Objective* added = nullptr;
        switch (o->type) {
        case OBJECTIVE_BUILD:
            FormatObjectiveText(text, sizeof text, "Build %d %s", o->targetCount, o->target);
            added = AddObjectiveText(text, o->type, o->target);
            break;
        case OBJECTIVE_MINING:
            FormatObjectiveText(text, sizeof text, "Mine %s %d", o->target, o->targetCount);
            added = AddObjectiveText(text, o->type, o->target);
            break;
        case OBJECTIVE_DISCOVER_ORE:
            FormatObjectiveText(text, sizeof text, "Discover %d %s", o->targetCount, o->target);
            added = AddObjectiveText(text, o->type, o->target);
            break;
        case OBJECTIVE_ELIMINATE_ENEMIES:
            if (StrICmp(o->target, "creature_nest") == 0) {
                if (placed) CreateSpawner(o->target, at, level, loading, true);
            } else if (StrNICmp(o->target, "Elite_", 6) == 0) {
                if (placed && !loading) {
                    Agent* elite = TheScene.CreateAgent(o->target, true);
                    if (elite) {
                        elite->SetPosition(at);
                        elite->flags |= ENTITY_PLACED | ENTITY_OBJECT_OF_INTEREST;
                        RaiseHealthForLevel(elite, level);
                        ScaleEnemyForDifficulty(elite);
                        elite->botLevel = level;
                    }
                }
                if (placed && TheMissionObjects) TheMissionObjects->PlaceObject(o->target, at, 0.0f, level, loading, o);
            } else if (StrICmp(o->target, "scavengers") != 0) {
                if (placed && TheMissionObjects) TheMissionObjects->PlaceObject(o->target, at, 0.0f, level, loading, o);
                break;
            }
            FormatObjectiveText(text, sizeof text, "Eliminate %s", o->target);
            AddObjectiveText(text, o->type, o->target);
            break;
        default:
            if (placed && TheMissionObjects) TheMissionObjects->PlaceObject(o->target, at, 0.0f, level, loading, o);
            break;
        }
        if (added) added->targetCount = o->targetCount;
    }
}

void CopyMissionEvents(const MissionRecord& mission)
{
    if (!TheEvents) return;
    for (int i = 0; i < mission.eventCount; ++i) {
        const MissionEvent* from = mission.events[i];
        if (!from) continue;
        MissionEvent* event = new (std::nothrow) MissionEvent();
        if (!event) return;
        CopyText(event->name, sizeof event->name, from->name);
        event->flags = from->flags | MISSION_EVENT_OWNED | MISSION_EVENT_ENABLED;
        for (int c = 0; c < from->conditionCount; ++c)
            if (const EventCondition* fc = from->conditions[c]) event->AddCondition(fc->type, fc->name, fc->value);
        for (int a = 0; a < from->actionCount; ++a) {
            const EventAction* fa = from->actions[a];
            EventAction* action = fa ? event->AddAction(fa->type, fa->giver, fa->text) : nullptr;
            if (action) {
                action->values[0] = fa->values[0];
                action->values[1] = fa->values[1];
            }
        }
        for (int o = 0; o < from->objectiveCount; ++o) event->AddObjective(from->objectives[o]);
        if (!TheEvents->Add(event)) delete event;
    }
}

void AddEndEvent(const MissionRecord* mission)
{
    if (!TheEvents || TheEvents->FindByConditionType(CONDITION_OBJECTIVES_COMPLETE)) return;
    MissionEvent* event = new (std::nothrow) MissionEvent();
    if (!event) return;
    CopyText(event->name, sizeof event->name, "EndGame");
    event->flags = MISSION_EVENT_ENABLED | MISSION_EVENT_OWNED;
    event->AddCondition(CONDITION_OBJECTIVES_COMPLETE, "none", 0);
    event->AddAction(ACTION_END_GAME, mission ? mission->faction : "none", "<generic_end>");
    if (!TheEvents->Add(event)) delete event;
}

// The grass of a junction: none where nothing grows, dry grass wherever it is not said
// otherwise.
const char* JunctionGrass(const char* environment)
{
    if (StrICmp(environment, "moon") == 0 || StrICmp(environment, "lava") == 0) return nullptr;
    if (StrICmp(environment, "forest") == 0 || StrICmp(environment, "winter") == 0) return "grass";
    if (StrICmp(environment, "alien") == 0) return "grass_alien";
    return "grass_dry";
}

void PopulateCell(int kind, const Vec3& at, const char* environment, int level, bool loading)
{
    switch (kind) {
    case KIND_JUNCTION: {
        if (!TheGrowthDB) return;
        Vec3 ground = at;
        ground.y = TheTerrain.GetHeight(at);
        TheGrowthDB->CreateInstance("forest", ground, false);
        if (const char* grass = JunctionGrass(environment)) TheGrowthDB->CreateInstance(grass, ground, false);
        return;
    }
    case KIND_GUARD_POST: {
        static const char* const guards[4] = {"scav_melee", "scav_small", "scav_brute", "scav_leader"};
        const char* type = guards[Rand() % 4];
        if (loading) return;
        if (Agent* guard = TheScene.CreateAgent(type, true)) {
            guard->SetPosition(at);
            guard->flags |= ENTITY_PLACED;
            ScaleEnemyForDifficulty(guard);
        }
        return;
    }
    case KIND_ORE: {
        char name[32];
        snprintf(name, sizeof name, "res_ore_%d", 1 + Rand() % 4);
        int oreType = Rand() % 3;
        float amount = 150.0f * (float)(2 + Rand() % 4);
        float heading = (float)Rand() / 32768.0f * 360.0f;
        if (loading) return;
        if (Entity* ore = TheScene.AddResource(name, at, oreType)) {
            ore->maxHealth = amount;
            ore->health = amount;
            TurnEntity(ore, heading);
        }
        return;
    }
    case KIND_FUEL: {
        float amount = 1000.0f + 100.0f * (float)(1 + Rand() % 5);
        if (loading) return;
        if (Entity* vent = TheScene.AddFuelVent("res_fuel", at)) {
            vent->maxHealth = amount;
            vent->health = amount;
        }
        return;
    }
    case KIND_LAIR:
        CreateSpawner(PickCreatureSpawner(environment), at, level, loading, false);
        return;
    case KIND_DROPSHIP:
        if (loading) return;
        if (Building* dropship = TheScene.CreateBuilding("Scavenger_dropship")) {
            dropship->SetPosition(at);
            dropship->flags |= ENTITY_PLACED;
        }
        return;
    default:
        return;
    }
}

// A mission that asks for the end of the scavengers means every one the level starts with, not
// only the guards of a camp: each carries the mark the objective counts. Raiders that land
// later are not asked for.
void MarkScavengersForObjective(const MissionRecord* mission)
{
    bool asked = false;
    for (int i = 0; mission && i < mission->objectiveCount; ++i) {
        const Objective* o = mission->objectives[i];
        asked |= o && o->type == OBJECTIVE_ELIMINATE_ENEMIES && StrICmp(o->target, "scavengers") == 0;
    }
    if (!asked) return;
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_AGENTS); e; e = TheScene.NextEntity()) {
        Agent* agent = static_cast<Agent*>(e);
        if ((e->flags & ENTITY_AGENT) && e->alignment == ALIGN_ENEMY && agent->brainKind == BRAIN_ENEMY)
            agent->classWord |= AGENT_OBJECTIVE;
    }
    TheScene.EndIteration();
}

void PlaceBridges(const LevelGenerator& layout)
{
    if (layout.crossingCount < 1) return;
    const char* ending = Rand() % 2 == 0 ? "_metal.txt" : ".txt";
    char bridge[MAX_PATH_TEXT], trim[MAX_PATH_TEXT];
    snprintf(bridge, sizeof bridge, "data/mesh/doodads/bridge_6w%s", ending);
    snprintf(trim, sizeof trim, "data/mesh/doodads/bridge_6w_trim%s", ending);
    FixPath(bridge);
    FixPath(trim);
    for (int k = 0; k < layout.crossingCount; ++k) {
        const int river = layout.crossingRivers[k];
        if (river < 0 || river >= layout.riverCount || layout.riverParameter[river] > 0.0f) continue;
        const Vec3 at = MapPointToWorld(layout.crossingPoints[k].x, layout.crossingPoints[k].y);
        const float turn = layout.riverOrientation[river] == RIVER_ALONG_COLUMN ? -90.0f : 0.0f;
        for (const char* mesh : {bridge, trim}) {
            Entity* entity = TheScene.CreateMeshEntity(mesh, &at, 0);
            if (!entity) continue;
            TurnEntity(entity, turn);
            if (mesh == bridge) entity->flags |= ENTITY_COLLISION;
            if (!TheScene.LinkEntity(entity)) delete entity;
        }
    }
}

void ResetCamera()
{
    Camera& camera = GameCamera;
    camera.SetFollow(false, false);
    camera.eye = Vec3(0.0f, 40.5f, 40.5f);
    camera.yaw = PI;
    camera.pitch = -1.0471975803375244f;
    camera.distance = 43.14967727661133f;
    DirectionFromAngles(camera.pitch, camera.yaw, &camera.direction);
}

}  // namespace

Vec3 MapPointToWorld(int x, int y)
{
    const Grid* grid = CurrentGrid();
    Vec3 p = grid ? grid->CellToWorld(x, y) : Vec3(x * 2.5f - 160.0f, 0.0f, y * 2.5f - 160.0f);
    p.x = -p.x;
    return p;
}

const char* PickCreatureSpawner(const char* environmentName)
{
    static const char* const spawners[] = {"spawn_stump",  "creature_cave", "spawn_holes", "spawn_nest",
                                           "spawn_mantis", "spawn_spider",  "spawn_bio",   "spawn_flying"};
    int index = Rand() % 6;
    if (StrICmp(environmentName, "alien") == 0) index = 6;
    if (StrICmp(environmentName, "lava") == 0) index = 7;
    return spawners[index];
}

void MapGenerator::Populate(bool loading)
{
    const LevelGenerator layout = TheLevelGenerator;
    const char* environment = environmentName[0] ? environmentName : CurrentEnvironmentName();
    const MissionRecord* mission = MissionCatalogue::GetCurrentMission();
    const int level = mission ? std::max(mission->level, 0) : 0;

    PlaceRig(rig, MapPointToWorld(layout.startPoint.x, layout.startPoint.y), loading);
    PlaceObjectiveSites(layout, level, loading);
    if (mission) CopyMissionEvents(*mission);
    for (int i = 0; i < layout.namedSiteCount; ++i) {
        if (!TheMissionObjects) break;
        const IntPoint site = layout.namedSites[i];
        TheMissionObjects->PlaceObject(layout.siteNames[i], MapPointToWorld(site.x, site.y), 0.0f, level, loading,
                                       nullptr);
    }
    AddEndEvent(mission);

    if (!kinds.empty()) {
        for (int y = 0; y < mapWidth; ++y)
            for (int x = 0; x < mapWidth; ++x) {
                const int kind = kinds[(size_t)y * mapWidth + x];
                if (kind <= KIND_START) continue;
                Vec3 at = MapPointToWorld(x, y);
                at.y += 0.05f;
                PopulateCell(kind, at, environment, level, loading);
            }
    }
    if (!loading) MarkScavengersForObjective(mission);
    Growth::ApplyEnvironmentDefinition(environment);
    PlaceBridges(layout);
    GenerateHeightImage();
    ResetCamera();
    heightsReady = 0;
}
