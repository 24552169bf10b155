// The lines a building writes into a scene file, the records of its own it reads back, and its
// count at the start of a level read from one.
#include "host/Log.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ExactFloat.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"

#include <cstring>
#include <vector>

namespace {

void CellOf(const Vec3& position, int* column, int* row)
{
    *column = *row = -1;
    const Grid* grid = CurrentGrid();
    if (grid) grid->WorldToCell(position, column, row);
}

Vec3 CellCorner(int column, int row)
{
    const Grid* grid = CurrentGrid();
    if (grid) return grid->CellToWorld(column, row);
    Grid level(128, 2.5f);
    return level.CellToWorld(column, row);
}

}  // namespace

const char* AlignmentWord(int alignment)
{
    switch (alignment) {
    case ALIGN_FRIENDLY: return "FRIENDLY";
    case ALIGN_ENEMY: return "ENEMY";
    case ALIGN_PLAYER: return "PLAYER";
    default: return "NEUTRAL";
    }
}

void Building::SaveToScene(FILE* file)
{
    if (!file) return;
    fprintf(file, "AddBuilding\t\t\t%s\n", definition ? definition->name : name);
    // An empty name would take the next line's first word for the name.
    if (name[0]) fprintf(file, "SetName\t\t\t\t%s\n", name);
    fprintf(file, "SaveId\t\t\t\t%d\n", TheScene.SaveNumberOf(this));
    const float hull[] = {health, maxHealth}, scales[] = {scale, scale, scale};
    WriteExactFloats(file, "SetBothHealth\t\t\t", hull, 2, "\n");
    if (yaw != 0.0f) WriteExactFloats(file, "SetRotate\t\t\t", &yaw, 1, "\n");
    WriteExactFloats(file, "SetScale\t\t\t", scales, 3, "\n");
    int column, row;
    CellOf(GetPosition(), &column, &row);
    fprintf(file, "SetMapCoord\t\t\t%d %d\n", column, row);
    fprintf(file, "SetAlignment\t\t%s\n", AlignmentWord(alignment));
    if (TheGame) TheGame->WriteControlGroups(this, file);
    if (discovered) fprintf(file, "SetVisited\t\t1\n");
    if (flags & ENTITY_OBJECT_OF_INTEREST) fprintf(file, "SetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n");
    // Before the unit it may hold, whose lines the reader takes for that unit's.
    SaveStateToScene(file);
    if (stateFlags & BUILDING_RALLY_POINT) {
        CellOf(rallyPoint, &column, &row);
        fprintf(file, "RallyPoint\t\t\t%d %d\n", column, row);
    }
    if (buildState == BUILD_STATE_CONSTRUCTING) {
        fprintf(file, "BuildState\t\t\tConstructing\t%.4f\n", buildProgress);
    } else if (buildState == BUILD_STATE_DISABLED) {
        fprintf(file, "BuildState\t\t\tDisabled\t\t%.4f\n", buildProgress);
    } else if (definition) {
        uint32_t kind = definition->flags;
        if ((kind & BUILD_UNIT_FACTORY) && buildQueue && buildQueue->count > 0) {
            fprintf(file, "BuildQueue\t%d\t%.3f\t", buildQueue->count, productionTimer);
            for (PooledList<AgentType*>::Node* node = buildQueue->head; node; node = node->next)
                fprintf(file, "%s  ", node->value ? node->value->name : "none");
            fprintf(file, "\n");
        } else if (kind & BUILD_RESEARCH_COMPUTER) {
            fprintf(file, "Research\t%d\t%.2f\n", researchKind, researchTimer);
        } else if ((kind & BUILD_UNIT_UPGRADER) && HeldUnit()) {
            fprintf(file, "UpgraderFlags\t%d\n", (int)chosenUpgrades);
            HeldUnit()->SaveToScene(file);
        } else if ((kind & BUILD_UNIT_RECYCLER) && HeldUnit()) {
            fprintf(file, "Recycler\t%.2f\n", recycleTimer);
            HeldUnit()->SaveToScene(file);
        }
    }
    fprintf(file, "\n");
}

void Building::SaveStateToScene(FILE* file)
{
    fprintf(file, "BuildingState\t\t%d %d ", (int)stateFlags, buildState);
    WriteExactFloats(file, "", &buildProgress, 1, "");
    const float clocks[] = {actionTimer, ventTimer,   researchTimer, recycleTimer, upgradeTotalTime,
                            headAngle,   phaseAngle,  bobOffset,     productionTimer, tickTimer,
                            tickJitter,  ageTimers[0], ageTimers[1], sinceReset,   shield,
                            maxShield,   rallyPoint.x, rallyPoint.y, rallyPoint.z};
    WriteExactFloats(file, " ", clocks, sizeof clocks / sizeof clocks[0], "");
    // (Its ground decal is the drawing's: a loaded building lays its own. The unit it holds is
    // written with it, and taken back by its lines.)
    const Entity* linked = HeldUnit() ? nullptr : linkedEntity.Get();
    fprintf(file, " %d %d %d %d\n", researchKind, (int)chosenUpgrades, spawnedTotal, TheScene.SaveNumberOf(linked));
    fprintf(file, "BuildingUnits\t\t%d", agents.count);
    for (const PooledList<Entity*>::Node* node = agents.head; node; node = node->next)
        fprintf(file, " %d", TheScene.SaveNumberOf(node->value));
    fprintf(file, "\n");
}

namespace {

struct BuildingValues {
    int stateFlags = 0, buildState = 0, researchKind = 0, chosenUpgrades = 0, spawnedTotal = 0, linked = -1;
    float buildProgress = 0.0f;
    float clocks[19] = {};
};

bool ReadBuildingState(Building* building, SceneRecordInput& in)
{
    BuildingValues v;
    bool whole = in.Int(&v.stateFlags) && in.Int(&v.buildState) && in.Float(&v.buildProgress);
    for (float& clock : v.clocks) whole = whole && in.Float(&clock);
    whole = whole && in.Int(&v.researchKind) && in.Int(&v.chosenUpgrades) && in.Int(&v.spawnedTotal) &&
            in.Int(&v.linked);
    if (!whole) {
        Log("WARNING: the state of %s in the save is cut short: it goes on without it\n", building->name);
        return true;
    }
    TheScene.PutBackOnceSettled(building, [v](Entity* entity) {
        Building* b = static_cast<Building*>(entity);
        // What a building is never a preview once in the level.
        b->stateFlags = (uint32_t)v.stateFlags & ~BUILDING_PREVIEW;
        b->buildState = v.buildState;
        b->buildProgress = v.buildProgress;
        float* const clocks[] = {&b->actionTimer,     &b->ventTimer,    &b->researchTimer, &b->recycleTimer,
                                 &b->upgradeTotalTime, &b->headAngle,   &b->phaseAngle,    &b->bobOffset,
                                 &b->productionTimer, &b->tickTimer,    &b->tickJitter,    &b->ageTimers[0],
                                 &b->ageTimers[1],    &b->sinceReset,   &b->shield,        &b->maxShield,
                                 &b->rallyPoint.x,    &b->rallyPoint.y, &b->rallyPoint.z};
        for (size_t i = 0; i < sizeof clocks / sizeof clocks[0]; ++i) *clocks[i] = v.clocks[i];
        b->researchKind = v.researchKind;
        b->chosenUpgrades = (uint32_t)v.chosenUpgrades;
        b->spawnedTotal = v.spawnedTotal;
        // The unit it holds came back with its own lines.
        if (v.linked >= 0 || !b->HeldUnit()) b->linkedEntity.Set(TheScene.EntityOfSaveNumber(v.linked));
    });
    return true;
}

bool ReadBuildingUnits(Building* building, SceneRecordInput& in)
{
    int count = 0;
    if (!in.Int(&count)) return true;
    std::vector<int> numbers;
    for (int i = 0, number = -1; i < count && in.Int(&number); ++i)
        if (numbers.size() < (size_t)BUILDING_AGENT_NODES) numbers.push_back(number);
    TheScene.PutBackOnceSettled(building, [numbers](Entity* entity) {
        // In place of those settling found again by their spawn point: the same units, in the
        // order they were made.
        Building* b = static_cast<Building*>(entity);
        b->agents.Clear();
        for (int number : numbers)
            if (Entity* made = TheScene.EntityOfSaveNumber(number)) b->agents.PushBack(made);
    });
    return true;
}

}  // namespace

bool Building::ReadSceneRecord(const char* keyword, SceneRecordInput& in)
{
    if (strcmp(keyword, "BuildingState") == 0) return ReadBuildingState(this, in);
    if (strcmp(keyword, "BuildingUnits") == 0) return ReadBuildingUnits(this, in);
    if (strcmp(keyword, "RallyPoint") == 0) {
        int column = 0, row = 0;
        if (in.Int(&column) && in.Int(&row)) {
            rallyPoint = CellCorner(column, row);
            stateFlags |= BUILDING_RALLY_POINT;
        }
        return true;
    }
    if (strcmp(keyword, "BuildState") == 0) {
        char state[32] = "";
        in.Word(state, sizeof state);
        float progress = 0.0f;
        in.Float(&progress);
        if (strcmp(state, "Constructing") == 0) {
            buildState = BUILD_STATE_CONSTRUCTING;
        } else if (strcmp(state, "Disabled") == 0) {
            buildState = BUILD_STATE_DISABLED;
        } else {
            return true;
        }
        buildProgress = progress;
        return true;
    }
    if (strcmp(keyword, "BuildQueue") == 0) {
        int count = 0;
        float timer = 0.0f;
        if (!in.Int(&count) || !in.Float(&timer)) return true;
        AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
        PooledList<AgentType*>* queue = EnsureBuildQueue();
        if (queue) queue->Clear();
        // The count is the file's word: never more names are taken than a queue holds.
        for (int i = 0; i < count && i < BUILD_QUEUE_NODES; ++i) {
            char typeName[128] = "";
            if (!in.Word(typeName, sizeof typeName)) break;
            AgentType* type = registry ? registry->FindType(typeName) : nullptr;
            if (type && queue) queue->PushBack(type);
        }
        productionTimer = timer;
        return true;
    }
    if (strcmp(keyword, "Research") == 0) {
        in.Int(&researchKind);
        in.Float(&researchTimer);
        return true;
    }
    if (strcmp(keyword, "UpgraderFlags") == 0) {
        int word = 0;
        if (in.Int(&word)) chosenUpgrades = (uint32_t)word;
        return true;
    }
    if (strcmp(keyword, "Recycler") == 0) {
        in.Float(&recycleTimer);
        return true;
    }
    return false;
}

void Building::RestoreAtLevelStart()
{
    // Every vent shows on its ground what was drawn from it, a pump on it or not: a vent the
    // builder drew dry looks spent, one half drawn looks low.
    for (Entity* vent = TheScene.FirstInCategory(CATEGORY_TERRAIN, 0); vent; vent = TheScene.NextInCategory()) {
        if (!(vent->flags & ENTITY_FUEL)) continue;
        if (vent->health < 0.11f)
            SwapVentSplat(vent, 0);
        else if (vent->GetMaxHealth() > 0.0f && vent->health / vent->GetMaxHealth() <= 0.5f)
            SwapVentSplat(vent, 1);
    }
    const Grid* grid = CurrentGrid();
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_BUILDING); node; node = TheScene.NextInList(node)) {
        Entity* entity = node->value;
        if (!entity || !(entity->flags & ENTITY_BUILDING) || entity->alignment != ALIGN_PLAYER) continue;
        Building* building = static_cast<Building*>(entity);
        if (building->buildState != BUILD_STATE_READY || building->completed) continue;
        building->OnCompleted(true);
        const BuildItem* definition = building->definition;
        if (!definition || !(definition->flags & BUILD_DEEP_MINE) || !grid) continue;
        Entity* patch = grid->FindFlaggedCellAround(building);
        building->linkedEntity.Set(patch);
        if (!patch) continue;
        if (patch->health < 0.11f) building->stateFlags |= BUILDING_VENT_DEPLETED;
    }
}
