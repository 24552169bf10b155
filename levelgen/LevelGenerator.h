#pragma once
// The first stage of a random level: the layout. For one mission it chooses the environment,
// the player's start corner, the rivers with their crossings, a site for each objective, and
// the sites of wreckage, rock and hill sets, terrain holes, journals, ore fields, fuel vents,
// enemy camps, guard posts, the scavenger dropship and creature lairs, all in map units
// (0..127 on both axes of the level map). The map generator shapes the ground from it, the
// population creates the entities at its sites, and the raid manager and orders ask it about
// rivers. The placement cells keep the features apart.
//
// The layout draws only from the seeded Rand() and never seeds it: whoever starts a level
// seeds it with the level's seed first, so a seed gives the same level on every machine.
// Every table is bounded: a feature with no room left in its table is not placed.
#include "campaign/MissionRecord.h"
#include "host/Maths.h"
#include "platform/IntRect.h"

#include <cstdint>

// Kinds of the special sites (they are cell kinds of the map generator).
constexpr int SITE_GUARD_POST = 10;
constexpr int SITE_DROPSHIP = 25;
constexpr int SITE_ENEMY_CAMP = 27;

constexpr int MAX_LEVEL_SITES = 16;
constexpr int MAX_CREATURE_SITES = 8;
constexpr int MAX_RIVERS = 8;
constexpr int MAX_CROSSINGS = 16;
constexpr int JUNCTION_COUNT = 9;

// River orientation: along a column (constant x) or along a row (constant y).
constexpr uint8_t RIVER_ALONG_COLUMN = 0;
constexpr uint8_t RIVER_ALONG_ROW = 1;

class LevelGenerator {
public:
    LevelGenerator();
    // Layout type, start corner and every count 0; every junction on.
    void Clear();
    // The whole layout for a mission (none: an empty mission with a random start).
    void Layout(const MissionRecord* mission);
    // Whether a river divides the level; the first river's orientation when asked.
    bool HasLayout(uint8_t* orientation) const;
    void AddRiver(uint8_t orientation, int coordinate, int crossings, float parameter);
    // The placement cell for one objective instance by its placement flags, falling back to
    // any free cell; -1 (point untouched) when none is left. The point is the cell's centre.
    int PickObjectCell(const Objective& objective, IntPoint* point);
    // The river crossing on the way between two world points: false when there is no river
    // or none of the first river's water lies between them; otherwise the crossing of the
    // first river with the shorter detour (the second on a tie), as a world position.
    bool FindCrossing(const Vec3& a, const Vec3& b, Vec3* out) const;

    int layoutType = LEVEL_TEMPLATE_NONE;  // the mission's level template
    IntPoint startPoint;
    int startCell = -1;
    int startCorner = 0;  // 0 random, 1..4 the corners

    IntPoint objectiveSites[MAX_LEVEL_SITES];  // (-1, -1) for objectives without a site
    const Objective* siteObjectives[MAX_LEVEL_SITES] = {};
    int objectiveSiteCount = 0;

    IntPoint namedSites[MAX_LEVEL_SITES];
    char siteNames[MAX_LEVEL_SITES][32] = {};  // the mission object placed there
    int namedSiteCount = 0;

    IntPoint riverLines[MAX_RIVERS];  // (x, 0) along a column, (0, y) along a row
    uint8_t riverOrientation[MAX_RIVERS] = {};
    float riverParameter[MAX_RIVERS] = {};  // non-zero: the second river style
    int riverCount = 0;

    int crossingRivers[MAX_CROSSINGS] = {};
    IntPoint crossingPoints[MAX_CROSSINGS];  // set by the map generator's river builder
    int crossingCount = 0;

    IntPoint oreSites[MAX_LEVEL_SITES];
    int oreSiteCount = 0;
    IntPoint fuelSites[MAX_LEVEL_SITES];
    int fuelSiteCount = 0;

    IntPoint specialSites[MAX_LEVEL_SITES];
    int specialSiteKinds[MAX_LEVEL_SITES] = {};
    int specialSiteCount = 0;

    IntPoint creatureSites[MAX_CREATURE_SITES];
    int creatureSiteCount = 0;

    // One per inner corner of the placement grid: (32, 32), (64, 32), (96, 32), (32, 64) ...
    // (96, 96); positive puts a junction marker there.
    int junctionSwitches[JUNCTION_COUNT] = {};

    // The level generator window's "Force Rivers" switch: the default layout always gets a
    // river.
    bool forceRivers = false;

private:
    void PlaceStart(const MissionRecord& mission);
    void PlaceRivers(const char* environmentName);
    void PlaceObjectives(const MissionRecord& mission);
    void PlaceFeatures(const MissionRecord& mission, const char* environmentName);
    int TakeLairCell();
    bool AddObjectiveSite(IntPoint p, const Objective* objective);
    bool AddNamedSite(IntPoint p, const char* name);
    bool AddSpecialSite(IntPoint p, int kind);
    bool AddOreSite(IntPoint p);
    bool AddFuelSite(IntPoint p);
};

// The one layout of the program, read by the later stages until the next layout.
extern LevelGenerator TheLevelGenerator;

// The start point of a corner (0..3; below 0 a random corner): within 4 units of (18, 110),
// (100, 110), (18, 16) or (100, 16).
IntPoint StartCornerPoint(int corner);
// The mission object names of an environment's rock set and hill set.
const char* RockSetName(const char* environmentName);
const char* HillSetName(const char* environmentName);
// The inner corner of the placement grid a junction switch stands for.
IntPoint JunctionPoint(int index);
