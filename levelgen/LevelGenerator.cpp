#include "levelgen/LevelGenerator.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/MissionRecord.h"
#include "campaign/PlayerProfile.h"
#include "host/Random.h"
#include "host/System.h"
#include "levelgen/CellGrid.h"
#include "levelgen/MapGenerator.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/ScreenHooks.h"
#include "platform/RandomUtil.h"
#include "platform/StringTable.h"
#include "terrain/Environment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

LevelGenerator TheLevelGenerator;

namespace {

constexpr int JUNCTIONS_ON = 0x01010101;
// Features stand in the middle half of their cell, so neighbours never touch.
constexpr int SITE_MARGIN = 12;
constexpr int SITE_SPREAD = 9;

IntPoint CellCentre(int cell)
{
    IntPoint low = CellGrid::Instance().IndexToPosition(cell);
    return IntPoint(low.x + PLACEMENT_CELL_SIZE / 2, low.y + PLACEMENT_CELL_SIZE / 2);
}

// How far a point lies from the straight way between two others, in map units.
float DistanceToWay(IntPoint p, IntPoint from, IntPoint to)
{
    const float dx = (float)(to.x - from.x), dy = (float)(to.y - from.y), length = dx * dx + dy * dy;
    float t = length > 0.0f ? ((float)(p.x - from.x) * dx + (float)(p.y - from.y) * dy) / length : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot((float)p.x - ((float)from.x + t * dx), (float)p.y - ((float)from.y + t * dy));
}

// A point somewhere in the middle of a cell (x drawn first).
IntPoint ScatteredPoint(int cell)
{
    IntPoint low = CellGrid::Instance().IndexToPosition(cell);
    int x = low.x + SITE_MARGIN + Rand() % SITE_SPREAD;
    int y = low.y + SITE_MARGIN + Rand() % SITE_SPREAD;
    return IntPoint(x, y);
}

bool IsEnvironment(const char* name, const char* which)
{
    return name && StrICmp(name, which) == 0;
}

// The player has journal entries still to find and this mission may hold the next one.
bool JournalDue()
{
    if (TheScreenHooks && TheScreenHooks->SelectedStoryId() >= 0) return false;
    const PlayerProfile* profile = GetPlayerProfile();
    if (!profile) return false;
    int due = (int)((float)profile->level / 10.0f * (float)CountJournalEntries());
    if (profile->backstoryCount >= due) return false;
    char tag[32];
    snprintf(tag, sizeof tag, "<journal_%d>", profile->backstoryCount + 1);
    return Strings && Strings->Lookup(tag);
}

}  // namespace

IntPoint StartCornerPoint(int corner)
{
    static const IntPoint centres[4] = {{18, 110}, {100, 110}, {18, 16}, {100, 16}};
    if (corner < 0) corner = Rand() % 4;
    return RandomPointAround(centres[corner % 4], 4, 4);
}

const char* RockSetName(const char* environmentName)
{
    if (IsEnvironment(environmentName, "forest") || IsEnvironment(environmentName, "marsh") ||
        IsEnvironment(environmentName, "fall"))
        return "tree_rock";
    return "rockset";
}

const char* HillSetName(const char* environmentName)
{
    if (IsEnvironment(environmentName, "forest") || IsEnvironment(environmentName, "marsh") ||
        IsEnvironment(environmentName, "fall"))
        return "hill_tree";
    if (IsEnvironment(environmentName, "winter")) return "hill_snow";
    if (IsEnvironment(environmentName, "desert")) return "hill_desert";
    return "hill_rock";
}

IntPoint JunctionPoint(int index)
{
    return IntPoint(PLACEMENT_CELL_SIZE * (1 + index % 3), PLACEMENT_CELL_SIZE * (1 + index / 3));
}

LevelGenerator::LevelGenerator()
{
    Clear();
}

void LevelGenerator::Clear()
{
    layoutType = LEVEL_TEMPLATE_NONE;
    startCorner = 0;
    objectiveSiteCount = namedSiteCount = riverCount = crossingCount = 0;
    oreSiteCount = fuelSiteCount = specialSiteCount = creatureSiteCount = 0;
    for (int& s : junctionSwitches) s = JUNCTIONS_ON;
}

bool LevelGenerator::AddObjectiveSite(IntPoint p, const Objective* objective)
{
    if (objectiveSiteCount >= MAX_LEVEL_SITES) return false;
    siteObjectives[objectiveSiteCount] = objective;
    objectiveSites[objectiveSiteCount++] = p;
    return true;
}

bool LevelGenerator::AddNamedSite(IntPoint p, const char* name)
{
    if (namedSiteCount >= MAX_LEVEL_SITES) return false;
    CopyText(siteNames[namedSiteCount], sizeof siteNames[0], name);
    namedSites[namedSiteCount++] = p;
    return true;
}

bool LevelGenerator::AddSpecialSite(IntPoint p, int kind)
{
    if (specialSiteCount >= MAX_LEVEL_SITES) return false;
    specialSiteKinds[specialSiteCount] = kind;
    specialSites[specialSiteCount++] = p;
    return true;
}

bool LevelGenerator::AddOreSite(IntPoint p)
{
    if (oreSiteCount >= MAX_LEVEL_SITES) return false;
    oreSites[oreSiteCount++] = p;
    return true;
}

bool LevelGenerator::AddFuelSite(IntPoint p)
{
    if (fuelSiteCount >= MAX_LEVEL_SITES) return false;
    fuelSites[fuelSiteCount++] = p;
    return true;
}

void LevelGenerator::Layout(const MissionRecord* given)
{
    static const MissionRecord emptyMission;
    const MissionRecord& mission = given ? *given : emptyMission;

    if (TheMapGenerator) TheMapGenerator->ChooseEnvironment(given);
    const Environment* environment = Environment::GetCurrent();
    const char* environmentName = environment ? environment->name : "";

    Clear();
    layoutType = mission.levelTemplate;
    CellGrid::Instance().Reset();
    startCorner = mission.playerStart;
    if (mission.flags & MISSION_DATA_RESERVE_ALL_CENTER) junctionSwitches[5] = 0;

    PlaceStart(mission);
    PlaceRivers(environmentName);
    PlaceObjectives(mission);
    PlaceFeatures(mission, environmentName);
}

void LevelGenerator::PlaceStart(const MissionRecord&)
{
    CellGrid& cells = CellGrid::Instance();
    startPoint = StartCornerPoint(startCorner - 1);
    cells.MarkUsedAt(startPoint);
    startCell = cells.PositionToIndex(startPoint);
    AddOreSite(startPoint);
    AddFuelSite(startPoint);
}

void LevelGenerator::PlaceRivers(const char* environmentName)
{
    switch (layoutType) {
    case LEVEL_TEMPLATE_OPPOSITE_ENEMY:
        AddRiver(Rand() % 2 == 0 ? RIVER_ALONG_ROW : RIVER_ALONG_COLUMN, 68, 2, 0.0f);
        break;
    case LEVEL_TEMPLATE_RIVER_DIVIDES:
        AddRiver(RIVER_ALONG_ROW, 68, 2, 0.0f);
        break;
    case LEVEL_TEMPLATE_2_RIVERS: {
        uint8_t orientation = Rand() % 2 == 0 ? RIVER_ALONG_ROW : RIVER_ALONG_COLUMN;
        AddRiver(orientation, 68, 2, 0.0f);
        AddRiver(orientation, 90, 2, 0.0f);
        break;
    }
    case LEVEL_TEMPLATE_NO_RIVERS:
        break;
    default: {
        const Environment* environment = Environment::GetCurrent();
        float r = (float)Rand() / 32768.0f;
        float p = environment ? environment->rivers : 0.0f;
        bool river = r <= p;
        if (p > 0.99f && p < 1.01f) river = true;
        if (p > -0.01f && p < 0.01f) river = false;
        if (IsEnvironment(environmentName, "moon")) river = false;
        int coordinate = Rand() % 2 == 1 ? 80 : 48;
        if (forceRivers || river) AddRiver(Rand() % 2 == 0 ? RIVER_ALONG_ROW : RIVER_ALONG_COLUMN, coordinate, 2, 0.0f);
        break;
    }
    }
}

void LevelGenerator::PlaceObjectives(const MissionRecord& mission)
{
    CellGrid& cells = CellGrid::Instance();
    int count = mission.objectiveCount < MAX_MISSION_OBJECTIVES ? mission.objectiveCount : MAX_MISSION_OBJECTIVES;
    for (int i = 0; i < count; ++i) {
        const Objective* objective = mission.objectives[i];
        if (!objective) continue;
        // Guards and camps stand by this objective's own site, never by another's.
        bool placed = false;
        IntPoint last;
        switch (objective->type) {
        case OBJECTIVE_BUILD:
        case OBJECTIVE_MINING:
        case OBJECTIVE_DISCOVER_ORE:
            AddObjectiveSite(IntPoint(-1, -1), objective);
            break;
        case OBJECTIVE_RECOVER_OBJECT:
        case OBJECTIVE_ELIMINATE_FACTION:
        case OBJECTIVE_ELIMINATE_ENEMIES:
        case OBJECTIVE_DESTROY_BUILDING:
        case OBJECTIVE_DESTROY_TYPE:
            // An instance that finds no cell is left out rather than stacked on the last
            // one; once no cell is free none of the later ones finds one either.
            for (int k = 0; k < objective->targetCount && objectiveSiteCount < MAX_LEVEL_SITES; ++k) {
                IntPoint p;
                if (!cells.IsValidIndex(PickObjectCell(*objective, &p))) break;
                AddObjectiveSite(p, objective);
                last = p;
                placed = true;
            }
            break;
        case OBJECTIVE_REPAIR_OBJECT: {
            // Pairs of repaired objects stand side by side in one central cell.
            int cell = -1;
            for (int k = 0; k < objective->targetCount && objectiveSiteCount < MAX_LEVEL_SITES; ++k) {
                if (k % 2 == 0) cell = cells.TakeCentralCell();
                if (!cells.IsValidIndex(cell)) break;
                IntPoint low = cells.IndexToPosition(cell);
                int offset = k % 2 == 0 ? 22 : 14;
                last = IntPoint(low.x + offset, low.y + offset);
                AddObjectiveSite(last, objective);
                placed = true;
            }
            break;
        }
        case OBJECTIVE_DISCOVER_ENTITY: {
            IntPoint p;
            if (objectiveSiteCount < MAX_LEVEL_SITES && cells.IsValidIndex(PickObjectCell(*objective, &p))) {
                AddObjectiveSite(p, objective);
                last = p;
                placed = true;
            }
            break;
        }
        default:
            break;
        }
        if (!placed) continue;
        if (objective->flags & OBJECTIVE_GUARDED_OBJECT) {
            AddSpecialSite(IntPoint(last.x + 2, last.y), SITE_GUARD_POST);
            AddSpecialSite(IntPoint(last.x - 2, last.y), SITE_GUARD_POST);
        }
        if (objective->flags & OBJECTIVE_IN_CITY) AddSpecialSite(last, SITE_ENEMY_CAMP);
    }
}

void LevelGenerator::PlaceFeatures(const MissionRecord& mission, const char* environmentName)
{
    CellGrid& cells = CellGrid::Instance();

    int wreck = cells.TakeAdjacentCell(startCell);
    if (!cells.IsValidIndex(wreck)) wreck = cells.TakeFarCell(startPoint.x, startPoint.y, 2);
    if (cells.IsValidIndex(wreck)) AddNamedSite(CellCentre(wreck), "wreckage");

    int rocks = cells.TakeRandomFreeCell();
    if (cells.IsValidIndex(rocks)) AddNamedSite(CellCentre(rocks), RockSetName(environmentName));

    if (!mission.noDropship && specialSiteCount < MAX_LEVEL_SITES) {
        int cell = cells.TakeFarCell(startPoint.x, startPoint.y, 2);
        if (cells.IsValidIndex(cell)) AddSpecialSite(ScatteredPoint(cell), SITE_DROPSHIP);
    }

    for (int k = 0; k < mission.enemyCount && specialSiteCount < MAX_LEVEL_SITES; ++k) {
        int cell = cells.TakeFarCell(startPoint.x, startPoint.y, 1);
        if (!cells.IsValidIndex(cell)) break;
        AddSpecialSite(ScatteredPoint(cell), SITE_ENEMY_CAMP);
    }

    for (int k = 0; k < mission.creatureCount && creatureSiteCount < MAX_CREATURE_SITES; ++k) {
        int cell = TakeLairCell();
        if (!cells.IsValidIndex(cell)) break;
        IntPoint p = ScatteredPoint(cell);
        creatureSites[creatureSiteCount++] = p;
        AddOreSite(p);
    }

    // The cells left over hold ore fields and fuel vents, then journals, hills and holes.
    int listed[MAX_LEVEL_SITES];
    int n = 0;
    for (int i = 0; i < cells.GetCellCount() && n < MAX_LEVEL_SITES; ++i)
        if (cells.IsFree(i)) listed[n++] = i;
    ShuffleInts(listed, n);
    int m = (int)std::floor((float)n / 2.0f + 0.5f);
    int next = 0;
    for (; next < m; ++next) {
        cells.MarkUsed(listed[next]);
        IntPoint p = ScatteredPoint(listed[next]);
        if (next % 2 == 1)
            AddOreSite(p);
        else
            AddFuelSite(p);
    }
    for (; oreSiteCount < 4 && next < n; ++next) {
        cells.MarkUsed(listed[next]);
        AddOreSite(ScatteredPoint(listed[next]));
    }

    for (int k = 0; k < 4 && next < n; ++k) {
        int cell = listed[next++];
        const char* name;
        if (k == 0 && JournalDue())
            name = "journal";
        else if (k % 2 == 0)
            name = HillSetName(environmentName);
        else
            name = IsEnvironment(environmentName, "winter") ? "terrainHole_ice" : "terrainHole";
        if (!cells.IsValidIndex(cell)) continue;
        cells.MarkUsed(cell);
        AddNamedSite(CellCentre(cell), name);
    }
}

// A lair stands where a newcomer does not stumble on it: well clear of the straight way from
// the start to every objective, and away from the start's neighbours where the map allows. A
// lair's point is drawn in the middle of its cell, so every point it may take is measured.
// Where no cell is clear the lair is left out: the mission's creatures are at most so many.
int LevelGenerator::TakeLairCell()
{
    constexpr int CLEARANCE = 12;  // map units between a lair and any way to an objective
    CellGrid& cells = CellGrid::Instance();
    std::vector<bool> onTheWay((size_t)cells.GetCellCount(), false);
    for (int cell = 0; cell < cells.GetCellCount(); ++cell) {
        const IntPoint low = cells.IndexToPosition(cell);
        for (int i = 0; i < objectiveSiteCount && !onTheWay[(size_t)cell]; ++i) {
            const IntPoint site = objectiveSites[i];
            if (site == IntPoint(-1, -1)) continue;
            for (int y = 0; y < SITE_SPREAD && !onTheWay[(size_t)cell]; ++y)
                for (int x = 0; x < SITE_SPREAD; ++x) {
                    const IntPoint p(low.x + SITE_MARGIN + x, low.y + SITE_MARGIN + y);
                    if (DistanceToWay(p, startPoint, site) < (float)CLEARANCE) {
                        onTheWay[(size_t)cell] = true;
                        break;
                    }
                }
        }
    }
    int cell = cells.TakeFarCellAvoiding(startPoint.x, startPoint.y, 2, onTheWay);
    if (!cells.IsValidIndex(cell)) cell = cells.TakeFarCellAvoiding(startPoint.x, startPoint.y, 1, onTheWay);
    return cell;
}

bool LevelGenerator::HasLayout(uint8_t* orientation) const
{
    if (riverCount < 1) return false;
    if (orientation) *orientation = riverOrientation[0];
    return true;
}

void LevelGenerator::AddRiver(uint8_t orientation, int coordinate, int crossings, float parameter)
{
    if (riverCount >= MAX_RIVERS) return;
    IntPoint line = orientation == RIVER_ALONG_COLUMN ? IntPoint(coordinate, 0) : IntPoint(0, coordinate);
    riverLines[riverCount] = line;
    riverOrientation[riverCount] = orientation;
    riverParameter[riverCount] = parameter;
    CellGrid::Instance().BlockLine(orientation == RIVER_ALONG_ROW, line.x, line.y);
    for (int c = 0; c < crossings && crossingCount < MAX_CROSSINGS; ++c) {
        crossingRivers[crossingCount] = riverCount;
        crossingPoints[crossingCount++] = IntPoint(0, 0);
    }
    ++riverCount;
}

int LevelGenerator::PickObjectCell(const Objective& objective, IntPoint* point)
{
    CellGrid& cells = CellGrid::Instance();
    uint32_t flags = objective.flags;
    int cell;
    if (flags & OBJECTIVE_ADJACENT_TO_PLAYER) {
        cell = cells.TakeAdjacentCell(startCell);
    } else if (flags & OBJECTIVE_FAR_FROM_PLAYER) {
        cell = cells.TakeFarCell(startPoint.x, startPoint.y, 1);
    } else if (flags & OBJECTIVE_MAP_CENTER) {
        cell = cells.TakeCentralCellAwayFrom(startPoint.x, startPoint.y, 2);
        if (!cells.IsValidIndex(cell)) cell = cells.TakeCentralCellAwayFrom(startPoint.x, startPoint.y, 1);
    } else if (flags & OBJECTIVE_MAP_ZERO) {
        // The object stands on the map's very centre, across all four central cells.
        for (int c : {5, 6, 9, 10}) cells.MarkUsed(c);
        if (point) *point = IntPoint(LEVEL_MAP_SIZE / 2, LEVEL_MAP_SIZE / 2);
        return 5;
    } else if (flags & OBJECTIVE_OPPOSITE_TO_PLAYER) {
        cell = cells.TakeOppositeCell(startCell);
    } else {
        cell = cells.TakeFarCell(startPoint.x, startPoint.y, 1);
    }
    if (!cells.IsValidIndex(cell)) cell = cells.TakeRandomFreeCell();
    if (!cells.IsValidIndex(cell)) return -1;
    if (point) *point = CellCentre(cell);
    return cell;
}
