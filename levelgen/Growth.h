#pragma once
// Growth: many static meshes grown over an area at once (grass, trees, plants and rocks,
// walls, ruins and small cities). A definition (data/scripts/growthdb.cgs) names the meshes
// of each category and the way they are laid out; an instance is an entity at a map point that
// grows its definition's objects into a rectangle of grid cells around it and draws them as
// one merged mesh per distinct source mesh. Trees, rocks and building pieces become the
// occupants of their cells, so units path around them; plants never block.
//
// Every table is bounded: the instance list (200), the objects of an instance (100), the
// meshes of a category (16) and the merged meshes of an instance (16). A definition or
// instance beyond them is refused with a line in the log; an object beyond them is not placed.
#include "host/Maths.h"
#include "world/Entity.h"

#include <cstdint>
#include <vector>

class IndexedMesh;

enum GrowthAlgorithm : int {
    GROWTH_NONE = 0,
    GROWTH_CITY = 1,
    GROWTH_WALLTEST = 5,
    GROWTH_RUINS = 6,
    GROWTH_GRASS = 7,
};

enum GrowthCategory : int {
    GROWTH_TREE = 0,
    GROWTH_PLANT = 1,
    GROWTH_ROCK = 2,
    GROWTH_BUILDING = 3,
    GROWTH_BUTTRESS = 4,
    GROWTH_WALL = 5,
    GROWTH_WALL_CORNER = 6,
    GROWTH_DOODAD = 7,
    GROWTH_MAIN_BUILDING = 8,
    GROWTH_CATEGORIES = 10,
};

struct GrowthParams {
    GrowthParams() { SetDefaults(); }
    void SetDefaults();

    int seed;  // 0 leaves the random generator as it is
    Vec3 offset;
    float weights[4];
    int width;  // grid cells
    int height;
    float minimumScale[3];  // tree, plant, rock
    float maximumScale[3];
    float density;  // objects per cell of a GRASS definition
    int blockCount;  // of a city layout
    uint8_t circle;  // grow inside the ellipse of the area only
};

struct GrowthDef {
    static constexpr int MAX_MESHES = 16;

    char name[32] = "";
    int colormode = 1;
    int algorithm = GROWTH_NONE;
    float population = 0.1f;
    float treepercent = 1.0f;
    float plantpercent = 1.0f;
    float rockpercent = 1.0f;
    std::vector<IndexedMesh*> lists[GROWTH_CATEGORIES];  // the mesh library's
};

struct GrowthObject {
    Vec3 position;
    Vec3 rotation;  // degrees; only y turns
    Vec3 scale;
    IndexedMesh* mesh = nullptr;
    int category = 0;
    int variant = 0;
};

class GrowthInstance : public Entity {
public:
    static constexpr int MAX_OBJECTS = 100;
    static constexpr int MAX_MERGED = 16;
    static constexpr int MAX_CITY_GUARDS = 32;

    ~GrowthInstance() override;

    // Grows the instance by its definition (Growth placement): the objects placed before are
    // released first.
    void Grow();
    // Gives the cells the objects hold back, and forgets the objects and merged meshes.
    void Release();
    // The cells of the placed objects that block are taken again (an instance restored with
    // its objects).
    void TakeCells();
    // Names of no definition change nothing.
    void SetDefinitionByName(const char* name);
    // The mesh of a category's list at index (null past its end); walked the count.
    IndexedMesh* GetObjectAt(int category, int index, int* walked) const;
    bool IsFull() const { return (int)objects.size() >= MAX_OBJECTS; }

    GrowthDef* definition = nullptr;
    Vec3 centre;
    GrowthParams parameters;
    Vec3 boundsMin;
    Vec3 boundsMax;
    std::vector<GrowthObject> objects;
    struct Merged {
        IndexedMesh* source;
        IndexedMesh* mesh;  // the instance's own
    };
    std::vector<Merged> merged;
    std::vector<EntityRef> cityGuards;
    bool restored = false;
};

class GrowthDB {
public:
    static constexpr int MAX_INSTANCES = 200;
    static constexpr const char* SCRIPT = "data/scripts/growthdb.cgs";

    // The tool's defaults, and the shipped definitions unless told not to read them.
    explicit GrowthDB(bool readScript = true);
    ~GrowthDB();
    GrowthDB(const GrowthDB&) = delete;
    GrowthDB& operator=(const GrowthDB&) = delete;

    // Reads a growth script (the shipped one when path is null) after the definitions read
    // before; false, logged, when it cannot be opened.
    bool Load(const char* path = nullptr);
    GrowthDef* FindDefinition(const char* name) const;
    // A new instance of the definition at the centre with the tool parameters, made the
    // selected one; not grown yet. Null (and no instance selected) for an unknown name or a
    // full list.
    GrowthInstance* CreateInstance(const char* name, const Vec3& centre, bool restored);
    // Level end: every instance lets go of its cells and meshes and is freed.
    void ClearInstances();
    // Level start, the ground built: each instance takes the ground's height at its centre and
    // grows, then builds its merged meshes. An instance restored from a saved scene with its
    // objects keeps them (growing again would give other objects than the player saw).
    void RegrowAll();

    std::vector<GrowthDef*> definitions;  // file order
    std::vector<GrowthInstance*> instances;
    GrowthInstance* selected = nullptr;
    // What the growth tool's window edits (tools/GrowthTool.h). The tool builds its window for
    // the catalogue when the catalogue is made, and the window goes with it (LevelToolHooks);
    // the catalogue works without one.
    GrowthParams toolParameters;
};

extern GrowthDB* TheGrowthDB;
// Draws a marker at the selected instance (the growth tool's switch).
extern bool GrowthMarkerShown;

namespace Growth {
// Every instance whose definition lays nothing out (no algorithm) takes the named definition,
// new variants and new merged meshes.
void ApplyEnvironmentDefinition(const char* name);
// Every placed object takes a random mesh of its category.
void PickRandomVariant(GrowthInstance* instance);
void RebuildMergedMeshes(GrowthInstance* instance);
// One more object of the instance's definition somewhere free in its area; false when none
// fits or the definition has nothing to place.
bool PlaceObject(GrowthInstance* instance);
// The same with the named definition's meshes, into the selected instance; false without one
// or for a name of no definition.
bool PlaceObjectByName(const char* name);
// Every instance's merged meshes for the pass; GRASS instances only with terrain detail on.
void DrawAll(int pass, bool draw);
}  // namespace Growth

// Growth placement (GrowthPlacement.cpp). Cells are given in map coordinates (the level map
// runs along the world's x the other way round: map column x is grid column N - x).
// One object in a cell with the instance as its occupant; nothing when the instance is full
// or the cell is missing, taken or not buildable. variant -1 picks one at random.
bool PlaceGrowthPiece(GrowthInstance* instance, int x, int y, int category, float yaw, float scale, int variant);
void GrowthWallCorners(GrowthInstance* instance, int x, int y, int radius);
void GrowthWallRing(GrowthInstance* instance, int x, int y, int radius, int gate);
// A scavenger guard at the corner of the grid cell, turned to yaw degrees.
Entity* SpawnCityGuard(int column, int row, float yaw);
