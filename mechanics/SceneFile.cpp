// The scene writer (a saved game's level) and the links a read level resolves.
//
// The save is written into a temporary file beside the old one and renamed over it only when
// every line went out: a crash, a full disk or a failed write leaves the previous save whole.
// Numbers are written so that a save read back and written again gives the same text.
#include "mechanics/Scene.h"

#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/EventManager.h"
#include "mechanics/Objectives.h"
#include "campaign/MissionRecord.h"
#include "campaign/PlayerProfile.h"
#include "platform/ExactFloat.h"
#include "platform/Files.h"
#include "platform/RandomUtil.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "world/Agent.h"
#include "world/AgentSceneRecords.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/GridQueries.h"
#include "world/Item.h"
#include "world/ProjectileSystem.h"
#include "world/RaidManager.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr float DEGREES_PER_RADIAN = 57.2957795f;

const char* const DASH_LINE = "//----------------------------------------------------------\n";

// The player's rig: the first agent of the player's segments that is the player.
Agent* FindRigIn(Scene& scene)
{
    for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT})
        for (Scene::Node* node = scene.FirstInList(segment); node; node = scene.NextInList(node))
            if (node->value && (node->value->flags & ENTITY_PLAYER) && (node->value->flags & ENTITY_AGENT))
                return static_cast<Agent*>(node->value);
    return nullptr;
}

void WriteHeader(FILE* file)
{
    fputs(DASH_LINE, file);
    fprintf(file, "SCENE\t%s\t%s\n", "savefile", "Beta_1.1");
    fputs(DASH_LINE, file);
    fputs("\n", file);
}

void WriteCamera(FILE* file)
{
    // The view as the player left it, angles in degrees.
    fprintf(file, "Camera    %.1f  %.1f  %.1f   %.1f  %.1f\n", GameCamera.eye.x, GameCamera.eye.y, GameCamera.eye.z,
            GameCamera.yaw * DEGREES_PER_RADIAN, GameCamera.pitch * DEGREES_PER_RADIAN);
}

void WriteRig(FILE* file, Agent* rig, bool withView)
{
    if (rig) {
        Vec3 position = rig->GetPosition();
        fprintf(file, "PlayerStart\t\t\t" SCENE_EXACT " " SCENE_EXACT " " SCENE_EXACT "\n", position.x, position.y,
                position.z);
        if (rig->yaw != 0.0f) fprintf(file, "SetRotate\t\t\t\t\t" SCENE_EXACT "\n", rig->yaw);
        // Where it was turning to: without it the loaded rig turns to face north.
        if (rig->targetYaw != rig->yaw) fprintf(file, "TurningTo\t\t\t\t" SCENE_EXACT "\n", rig->targetYaw);
        fprintf(file, "RigHull\t\t\t\t" SCENE_EXACT " " SCENE_EXACT "\n", rig->health, rig->shield);
        if (rig->discovered) fprintf(file, "SetVisited\t\t%d\n", (int)rig->discovered);
        if (TheGame && withView) TheGame->WriteControlGroups(rig, file);
        rig->SaveStateToScene(file);
    }
    fputs("\n", file);
}

void WriteWorldState(FILE* file)
{
    // The random sequences and the clock as they stand: the loaded level goes on with them.
    const MwcGenerator program = RandomMWCState();
    // The words are written as the signed numbers the reader takes.
    fprintf(file, "WorldState\t\t\t%d %d %d " SCENE_EXACT, (int)RandState(), (int)program.z, (int)program.w, MissionTime);
    if (TheScene.groundDrawn) fprintf(file, " %d", (int)TheScene.groundSequence);
    fputs("\n\n", file);
}

// A grid of the fog as runs of equal bytes: the cells' count, the runs', then value and length.
void WriteRuns(FILE* file, const char* keyword, const std::vector<uint8_t>& cells)
{
    std::vector<std::pair<int, int>> runs;
    for (uint8_t value : cells) {
        if (runs.empty() || runs.back().first != value) runs.emplace_back(value, 0);
        ++runs.back().second;
    }
    fprintf(file, "%s\t\t%zu %zu", keyword, cells.size(), runs.size());
    for (const auto& run : runs) fprintf(file, " %d %d", run.first, run.second);
    fputs("\n", file);
}

// The level's own clocks and what its player sees, whole: the objectives and the events look
// on their beat, the fog works out what the units see every second tick, and a scan's ring
// grows on from where it was.
void WriteLevelClocks(FILE* file, Scene& scene)
{
    fprintf(file, "LevelClocks\t\t" SCENE_EXACT " " SCENE_EXACT " %d %d %d\n", TheObjectives ? TheObjectives->accumulator : 0.0f,
            TheEvents ? TheEvents->accumulator : 0.0f, TheMinimap.visibilityDue ? 1 : 0,
            TheEvents && TheEvents->enemyDiscovered ? 1 : 0, TheEvents && TheEvents->oreDiscovered ? 1 : 0);
    WriteRuns(file, "FogSeen", TheMinimap.fog.everSeen);
    WriteRuns(file, "FogNow", TheMinimap.fog.visibleNow);
    // Where the player's units, buildings and rig have stood: the minimap's marks.
    WriteRuns(file, "FogMarks", TheMinimap.fog.markers);
    for (const auto* node = TheScanEffects.list.head; node; node = node->next) {
        const ScanRecord& r = node->value;
        fprintf(file, "ScanPulse\t\t%d", scene.SaveNumberOf(r.entity.Get()));
        const float values[] = {r.position.x, r.position.y,  r.position.z, r.innerRadius, r.outerRadius, r.phase,
                                r.currentOuter, r.maxPhase, r.speed, r.cooldown, r.wait};
        for (float value : values) fprintf(file, " " SCENE_EXACT, value);
        fprintf(file, " %d %d %d\n", r.segments, r.active ? 1 : 0, r.ready ? 1 : 0);
    }
}

void WriteObjectives(FILE* file)
{
    if (!TheObjectives) return;
    for (const PooledList<Objective*>::Node* node = TheObjectives->list.head; node; node = node->next)
        if (const Objective* objective = node->value)
            fprintf(file, "Objective\t\t\t\t%d\t%d\t%d\n", objective->index, (int)objective->flags, objective->count);
    // The mission's events that have had their turn: the welcome is said once per mission,
    // not once per load.
    if (TheEvents)
        for (const std::string& name : TheEvents->retired) fprintf(file, "EventDone\t\t\t\t%s\n", name.c_str());
}

// The entities of the segments, oldest first: read back in that order they stand in their
// lists as they stood, and the next save writes them in the same order again.
std::vector<Entity*> OldestFirst(Scene& scene, uint32_t segments)
{
    std::vector<Entity*> all;
    for (Entity* e = scene.FirstEntity(segments); e; e = scene.NextEntity()) all.push_back(e);
    scene.EndIteration();
    std::reverse(all.begin(), all.end());
    return all;
}

// The primitive an ore patch was made from: the one it was made from by name (a level may
// rename the patch, and a revealed patch shows a stage of its own), else the one whose mesh it
// shares.
const Entity* ResourcePrimitiveOf(const Scene& scene, const Entity* e)
{
    if (const Entity* made = e->typeName[0] ? scene.FindPrimitive(e->typeName) : nullptr) return made;
    const Entity* named = scene.FindPrimitive(e->name);
    if (named && named->mesh == e->mesh) return named;
    for (const Scene::Node* node = scene.primitives.head; node; node = node->next)
        if (node->value && (node->value->flags & ENTITY_RESOURCE) && node->value->mesh && node->value->mesh == e->mesh)
            return node->value;
    return named;
}

void WriteResources(FILE* file, Scene& scene)
{
    for (Entity* e : OldestFirst(scene, SEGMENTS_RESOURCES)) {
        Vec3 position = e->GetPosition();
        const Entity* primitive = ResourcePrimitiveOf(scene, e);
        const char* kind = primitive ? primitive->name : e->name;
        fprintf(file, "AddResource\t\t\t%s  " SCENE_EXACT "  " SCENE_EXACT "  " SCENE_EXACT "  %d\n", kind, position.x,
                position.y, position.z, e->kills);
        if (strcmp(kind, e->name) != 0) fprintf(file, "SetName\t\t\t\t%s\n", e->name);
        fprintf(file, "SaveId\t\t\t\t%d\n", scene.SaveNumberOf(e));
        const float hull[] = {e->health, e->maxHealth};
        WriteExactFloats(file, "SetBothHealth\t\t\t", hull, 2, "\n");
        if (e->yaw != 0.0f) WriteExactFloats(file, "SetRotate\t\t\t", &e->yaw, 1, "\n");
        if (e->flags & ENTITY_RESOURCE_REVEALED) fprintf(file, "SetFlag\t\t\tENTITY_RESOURCE_REVEALED\n");
        if (e->discovered) fprintf(file, "SetVisited\t\t1\n");
        fputs("\n", file);
    }
}

void WriteBuildings(FILE* file, Scene& scene)
{
    for (Entity* e : OldestFirst(scene, SEGMENTS_BUILDINGS))
        if (e->flags & ENTITY_BUILDING) static_cast<Building*>(e)->SaveToScene(file);
}

void WriteAgents(FILE* file, Scene& scene)
{
    for (Entity* e : OldestFirst(scene, SEGMENTS_AGENTS)) {
        if (!(e->flags & ENTITY_AGENT)) continue;
        // A unit an upgrader or recycler holds is written with that building's lines.
        Agent* agent = static_cast<Agent*>(e);
        Entity* home = agent->activeBuilding.Get();
        if (home && (home->flags & ENTITY_BUILDING) && static_cast<Building*>(home)->HeldUnit() == agent) continue;
        agent->SaveToScene(file);
        fputs("\n", file);
    }
}

void WriteItems(FILE* file, Scene& scene)
{
    for (Entity* e : OldestFirst(scene, SEGMENTS_ITEMS)) {
        if (!(e->flags & ENTITY_ITEM)) continue;
        static_cast<Item*>(e)->WriteToScene(file, false);
        fputs("\n", file);
    }
}

void WriteFuelVents(FILE* file, Scene& scene)
{
    for (Entity* e = scene.FirstInCategory(CATEGORY_TERRAIN, ENTITY_STATIC); e; e = scene.NextInCategory()) {
        if (!(e->flags & ENTITY_FUEL)) continue;
        Vec3 position = e->GetPosition();
        fprintf(file, "AddFuel\t\t\t\t" SCENE_EXACT "  %.2f  " SCENE_EXACT "\n", position.x, 0.0f, position.z);
        fprintf(file, "SaveId\t\t\t\t%d\n", scene.SaveNumberOf(e));
        fprintf(file, "SetBothHealth\t\t\t" SCENE_EXACT " " SCENE_EXACT "\n", e->health, e->maxHealth);
        if (e->discovered) fprintf(file, "SetVisited\t\t\t1\n");
        fputs("\n", file);
    }
}

}  // namespace

bool SaveGamePath(char* out, size_t size, const char* profile, const char* name)
{
    if (!out || size == 0) return false;
    out[0] = 0;
    if (!IsValidProfileName(profile) || !IsValidSaveName(name)) {
        Log("ERROR: '%s' of profile '%s' is not a save name\n", name ? name : "", profile ? profile : "");
        return false;
    }
    int written = snprintf(out, size, "%s/savefiles/%s/%s.sav", UserFolder, profile, name);
    if (written < 0 || (size_t)written >= size) {
        out[0] = 0;
        return false;
    }
    return true;
}

bool Scene::WriteSceneFile(const char* path)
{
    if (!path || !*path || IsWalking()) {
        Log("ERROR opening file %s for WRITING\n", path ? path : "");
        return false;
    }
    std::string target = path;
    size_t slash = target.find_last_of('/');
    if (slash != std::string::npos) CreateFolder(target.substr(0, slash).c_str());
    std::string temporary = target + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) {
        Log("ERROR opening file %s for WRITING\n", temporary.c_str());
        return false;
    }
    WriteHeader(file);
    FILE* const parts[LEVEL_PARTS] = {file, file, file, file, file, file, file};
    WriteLevelParts(parts, true);
    fputs("\n\nEND_OF_FILE\n", file);

    // On the disk before it takes the save's name: a power cut must not leave a named, empty level.
    bool written = SyncFile(file) && !ferror(file);
    written = fclose(file) == 0 && written;
    if (!written) {
        Log("ERROR writing file %s: %s\n", temporary.c_str(), strerror(errno));
        remove(temporary.c_str());
        return false;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        Log("ERROR replacing file %s: %s\n", target.c_str(), strerror(errno));
        remove(temporary.c_str());
        return false;
    }
    return true;
}

int Scene::SaveNumberOf(const Entity* entity)
{
    if (!entity) return -1;
    const auto found = saveNumbers.find(entity);
    if (found != saveNumbers.end()) return found->second;
    const int number = (int)saveNumbers.size();
    saveNumbers.emplace(entity, number);
    return number;
}

void Scene::NameSaveNumber(int number, Entity* entity)
{
    // A number no save of this size gives is not taken: the table stays as long as the file.
    if (number < 0 || !entity || number > 100000) return;
    if ((size_t)number >= savedEntities.size()) savedEntities.resize((size_t)number + 1);
    savedEntities[(size_t)number].Set(entity);
}

Entity* Scene::EntityOfSaveNumber(int number) const
{
    if (number < 0 || (size_t)number >= savedEntities.size()) return nullptr;
    return StillRead(savedEntities[(size_t)number]);
}

Entity* Scene::StillRead(const EntityRef& ref) const
{
    if (!ref.entity) return nullptr;
    if (Entity* listed = Resolve(ref.entity, ref.id)) return listed;
    // A unit a building holds stands in no list: it is taken by its id alone, as the building
    // takes it (agents come from the pool and are never freed).
    return (ref.entity->flags & ENTITY_AGENT) && ref.entity->id == ref.id ? ref.entity : nullptr;
}

void Scene::PutBackOnceSettled(Entity* entity, std::function<void(Entity*)> putBack)
{
    savedStates.emplace_back(EntityRef(entity), std::move(putBack));
}

void Scene::PutBackSavedStates()
{
    if (savedEntities.empty())
        Log("NOTE: the saved level was written by an older build: its units start their orders, fights and "
            "clocks afresh from where they stood\n");
    for (auto& state : savedStates) {
        if (!state.first.entity)
            state.second(nullptr);
        else if (Entity* entity = StillRead(state.first))
            state.second(entity);
    }
    ForgetSavedStates();
}

void Scene::ForgetSavedStates()
{
    savedStates.clear();
    savedEntities.clear();
}

void Scene::WriteLevelParts(FILE* const files[LEVEL_PARTS], bool withView)
{
    // The numbers the entities go by are this save's own.
    saveNumbers.clear();
    if (withView) WriteCamera(files[LEVEL_RIG_AND_OBJECTIVES]);
    WriteRig(files[LEVEL_RIG_AND_OBJECTIVES], FindRigIn(*this), withView);
    WriteWorldState(files[LEVEL_RIG_AND_OBJECTIVES]);
    WriteLevelClocks(files[LEVEL_RIG_AND_OBJECTIVES], *this);
    // The shots in the air: a load that lost them would play another game from its first tick.
    if (TheProjectiles) WriteShotsToScene(files[LEVEL_RIG_AND_OBJECTIVES], *TheProjectiles);
    WriteObjectives(files[LEVEL_RIG_AND_OBJECTIVES]);
    WriteResources(files[LEVEL_RESOURCES], *this);
    WriteBuildings(files[LEVEL_BUILDINGS], *this);
    WriteAgents(files[LEVEL_UNITS], *this);
    WriteItems(files[LEVEL_ITEMS], *this);
    WriteFuelVents(files[LEVEL_FUEL_VENTS], *this);
    if (TheGame && TheGame->aiManager) TheGame->aiManager->Save(files[LEVEL_AI]);
}

void Scene::ResolveLinks()
{
    Grid* grid = CurrentGrid();
    if (grid) {
        for (Entity* e = FirstInCategory(CATEGORY_MASTER, ENTITY_AGENT | ENTITY_BUILDING | ENTITY_RESOURCE); e;
             e = NextInCategory()) {
            if (e->flags & ENTITY_AGENT) {
                static_cast<Agent*>(e)->ClaimGridCell(e->GetPosition());
            } else if (e->flags & ENTITY_BUILDING) {
                // A saved game names the cell a player's building stands in: it goes back to
                // the middle of its footprint, and lies on its ground decal, as it did when it
                // was put down.
                Building* building = static_cast<Building*>(e);
                building->SetPosition(StandingOnFootprint(building, building->GetPosition()));
                building->gridRect[0] = -1;
                Vec3 min, max;
                building->GetFootprintBounds(&min, &max);
                if (building->alignment == ALIGN_PLAYER && !building->attachedEntity.Get() && min.x < max.x)
                    CreateBuildingSplat(building, min, max);
            } else if (e->flags & ENTITY_RESOURCE) {
                int column, row;
                if (grid->WorldToCell(e->GetPosition(), &column, &row)) grid->OccupyCells(e, column, row, column, row);
            }
        }
    }
    std::vector<Agent*> homeless;
    for (int i = 0; i < pendingLinkCount; ++i) {
        const PendingLink& link = pendingLinks[i];
        Agent* agent = link.agent;
        if (!agent) continue;
        const bool toBuilding = link.kind == LINK_ACTIVE_BUILDING || link.kind == LINK_DROP_OFF;
        Entity* found = toBuilding ? FindBuildingAtCell(link.column, link.row) : FindEntityAtCell(link.column, link.row);
        const bool held = link.kind == LINK_ACTIVE_BUILDING && !Resolve(agent, agent->id);
        if (held && !TakeHeldUnit(agent, found)) homeless.push_back(agent);
        if (!found) continue;
        const bool miner = (agent->classWord & AGENT_CLASS_MINER) != 0;
        switch (link.kind) {
        case LINK_ACTIVE_BUILDING:
            if ((found->flags & ENTITY_BUILDING) && !held) agent->activeBuilding.Set(found);
            break;
        case LINK_MINE:
            if (miner && (found->flags & ENTITY_RESOURCE)) agent->mine.Set(found);
            break;
        case LINK_DROP_OFF:
            if (miner && (found->flags & ENTITY_BUILDING)) agent->dropOff.Set(found);
            break;
        case LINK_ACTIVE_OBJECT: agent->activeObject.Set(found); break;
        default: break;
        }
    }
    pendingLinkCount = 0;
    // A unit that waited inside a building that is not there (or holds another) has nowhere
    // to be: it goes back to the pool rather than hang outside the level.
    std::sort(homeless.begin(), homeless.end());
    homeless.erase(std::unique(homeless.begin(), homeless.end()), homeless.end());
    for (Agent* agent : homeless) {
        Log("WARNING Scene: %s waited inside a building that is not there; it is left out\n", agent->name);
        if (TheGame && TheGame->agentTypes) TheGame->agentTypes->ReturnAgent(agent);
    }
}

bool Scene::TakeHeldUnit(Agent* agent, Entity* found)
{
    if (!found || !(found->flags & ENTITY_BUILDING)) return false;
    Building* building = static_cast<Building*>(found);
    const uint32_t kind = building->definition ? building->definition->flags : 0;
    if (!(kind & (BUILD_UNIT_UPGRADER | BUILD_UNIT_RECYCLER))) return false;
    if (building->HeldUnit() && building->HeldUnit() != agent) return false;
    building->linkedEntity = agent;
    agent->activeBuilding.Set(building);
    agent->SetPosition(building->GetCenter());
    agent->moveTarget = agent->GetPosition();
    return true;
}
