#pragma once
// The second stage of a random level: the layout becomes a grid of cell kinds over the
// 128 x 128 level map (the start clearing, rivers and their crossings, clearings around the
// sites, camps, lairs, ore fields, fuel vents, roads, rock hills, mounds, ponds, craters and
// junction markers, and rings of rising ground around all of it), and the kinds become the
// level's height image, which the terrain is built from. The population creates entities
// from the same grid. The map generator also chooses the level's environment.
//
// The kind grid is row-major, cell (x, y) at y x width + x, one cell per map unit. Every
// random number is a Rand(), so a seed gives the same kinds and heights byte for byte on
// every machine. No drawing ever leaves the grid: stamps keep to 2..125, every other writer
// tests its bounds.
#include "host/Maths.h"
#include "levelgen/CellGrid.h"
#include "platform/IntRect.h"

#include <cstdint>
#include <vector>

class Agent;
class Heightmap;
class LevelGenerator;
struct MissionRecord;

// Cell kinds.
enum MapKind {
    KIND_OPEN = 0,
    KIND_ROAD = 1,      // also river banks
    KIND_CLEARED = 2,   // a clearing, and the first ring around features; 3..6 further rings
    KIND_SKETCH = 7,    // a point sketched in the level generator window
    KIND_START = 8,
    KIND_JUNCTION = 9,
    KIND_GUARD_POST = 10,
    KIND_ORE = 11,
    KIND_FUEL = 12,
    KIND_LAIR = 14,
    KIND_POND = 15,
    KIND_RIVER = 16,
    KIND_RIVER_2 = 17,  // the second river style
    KIND_ROCK = 18,
    KIND_HILL_PEAK = 19,
    KIND_HILL_SLOPE = 20,  // 20..23 from the peak outwards
    KIND_DROPSHIP = 25,
    KIND_CAMP = 27,
    KIND_CRATER = 29,
    KIND_CRATER_RIM = 30,
    KIND_ROUGH = 31,  // the rough clearing of a mission object
};

// The generated level's height image and the debug picture of its kinds, below the user
// folder.
constexpr const char* GENERATED_HEIGHTMAP = "heightmaps/generated.bmp";
constexpr const char* MAP_IMAGE = "heightmaps/mapgen.bmp";

class MapGenerator {
public:
    MapGenerator();
    // The level generator's window over it (the tools') goes with it (LevelToolHooks).
    ~MapGenerator();
    MapGenerator(const MapGenerator&) = delete;
    MapGenerator& operator=(const MapGenerator&) = delete;

    // Whether the level generator's window (tools/MapGeneratorWindow.h) shows this map.
    bool IsVisible() const;
    // 64 points in the placement cell of the map point (scattered around its middle, or
    // evenly spread) mark open cells as sketched; the kind grid is made when missing.
    void Sketch(int mx, int my, bool scattered);
    // The heights of the kind grid as grey pixels, mapWidth x mapWidth (the lowest black, the
    // highest white); empty before the first build.
    std::vector<uint32_t> HeightPixels() const;

    // The level's environment: the mission's own when it names one; else the level
    // generator window's choice when it is not "rand"; else a random one ("forest" when
    // there is none). The current environment is set and its name kept.
    void ChooseEnvironment(const MissionRecord* mission);
    // The kind grid from a layout (it also receives its crossing points); heights ready.
    void BuildHeightmap(LevelGenerator& layout);
    // The height image from the kind grid, written as GENERATED_HEIGHTMAP in the user folder
    // and named in the Scene for the terrain to load. Nothing before the first build.
    // The height image, its grain drawn from the level's sequence as it stands (the level's
    // own making) or, for a saved level made again, from where the save says it was drawn.
    void GenerateHeightImage();
    void GenerateHeightImage(unsigned groundSequence);
    // The heights of the kinds (before smoothing) into a grid of the map's size: the kind
    // grid turned by half a turn, the rim raised into a wall that rivers run out through.
    void KindHeights(Heightmap& heights) const;
    // The debug picture of the kind grid and the placement cells, written as MAP_IMAGE (a build
    // writes it only while the window is shown or debugMode is on).
    void SaveMapImage();

    // ---- Population (Population.cpp)
    // The third stage: the layout and the kind grid become the level's contents (the rig at
    // the start, the objective sites and named sites, the objective texts and the mission's
    // events, guards, ore, fuel vents, creature spawners, the dropship, forests, grass and
    // bridges), then the height image and the camera's start. While a saved game is loaded
    // the scene brings back the units, buildings and items: only the rest is made. Heights
    // ready is 0 afterwards.
    void Populate(bool loading);
    // The player's rig the population puts at the start (the level start hands it over);
    // none: there is no rig to place.
    Agent* rig = nullptr;

    // ---- Drawing on the kind grid (MapDrawing.cpp)
    // Cells within r (ry across y; -1: r) of the centre that are still open take the kind;
    // square fills the whole box; ragged leaves out about half of the outermost cells.
    void StampArea(int r, IntPoint centre, int kind, bool square, int ry, bool ragged);
    // Jagged paths from one point to each target; cells below KIND_SKETCH take the kind.
    // first keeps the first midpoint on the straight line. The points drawn are appended to
    // out when given.
    void DrawPaths(int count, const IntPoint* targets, IntPoint from, int kind, bool first,
                   std::vector<IntPoint>* out = nullptr);
    // An ore field: count deposits around the centre, each in a small clearing.
    void ScatterOre(IntPoint centre, float radius, int count, float distance);
    // How far from the start its own ore field lies, in map units.
    static float StartOreDistance();
    // A pair of fuel vents on a circle around the centre, never close to another vent.
    void ScatterFuel(IntPoint centre, float radius, int count, float distance);
    // False when a fuel vent lies in the window around (x, y).
    bool NoFuelVentNear(int x, int y, int dx, int dy) const;
    // A rounded mass of the kind (ponds, rock) within a width x height box around the centre.
    void Blob(IntPoint centre, int width, int height, int kind);
    void RockOutcrop(IntPoint centre);
    // Two peaks with four rings of slope around them.
    void RockHill(IntPoint p, IntPoint q);
    // Rings of rising ground around roads, clearings and features, one kind per pass.
    void Terrace(int passes);
    // Every cell of the kind spreads it to its open neighbours, once per pass.
    void GrowKind(int kind, int passes);

    // ---- Rivers (MapRivers.cpp)
    // Draws every river of the layout with its crossings and their approach roads.
    void BuildRivers(LevelGenerator& layout);

    int KindAt(int x, int y) const;
    void SetKind(int x, int y, int kind);
    bool IsInside(int x, int y) const { return x >= 0 && y >= 0 && x < mapWidth && y < mapWidth; }
    // Inside the grid less its outermost ring of cells.
    bool IsInner(int x, int y) const { return x >= 1 && y >= 1 && x <= mapWidth - 2 && y <= mapWidth - 2; }

    char environmentName[32] = "";
    int growMode = 0;
    int mapWidth = LEVEL_MAP_SIZE;
    int previewSize = 768;
    float pathJitter = 0.25f;
    int maximumDepth = 9;
    // A build made while the window was hidden left its picture unmade: the window makes it
    // when it is next drawn.
    bool mapImageStale = false;

    // 1 between a build and the next population: a level built in the window survives into
    // the game's start.
    int heightsReady = 0;

    std::vector<int> kinds;   // mapWidth x mapWidth; empty before the first build
    std::vector<int> second;  // allocated and zeroed with the kinds, written by nobody yet
    IntPoint startPoint;      // kept for the population

private:
    void StampClearing(const IntPoint& site, int radius, int shape, bool named);
    void PlaceFreeCellTerrain();
    void PlaceJunctions(const LevelGenerator& layout);
};

// Made by the front end; the level layout chooses the environment through it.
extern MapGenerator* TheMapGenerator;

// The world point of a level-map cell: the level runs along the world's negative x.
Vec3 MapPointToWorld(int x, int y);
// The creature spawner of one draw of Rand() (one draw in every environment): "spawn_bio" on
// alien worlds, "spawn_flying" on lava worlds.
const char* PickCreatureSpawner(const char* environmentName);

// The crossing nearest (x, y), the earlier on a tie; -1 when the layout has none.
int NearestCrossing(int x, int y, const LevelGenerator& layout, float* distance = nullptr);
// Where a road from the site meets the river: 7 units from its nearest crossing, on the
// site's side of the water.
IntPoint BankPoint(IntPoint site, const LevelGenerator& layout);
