#pragma once
// Environments: the look of a planet's ground, read once from data/scripts/environments.cgs.
// Each names its four ground textures (low ground, mid heights, slopes, and the normal map), a
// colour map, the terrain effect, the decoration (splat) atlas, and a few numbers other parts
// read: the river (and fog) colour, the vegetation population, the weather kind, the shadow
// strength. Environments are found by name without regard to case.
//
// One environment is current; Terrain::SetEnvironment selects one and re-textures the terrain.
// Until the first selection there is none (current index -1), and the ground keeps the default
// slot textures and "Data/shaders/terrain.fx".
#include "host/Maths.h"

constexpr int MAX_ENVIRONMENTS = 16;

struct Environment {
    char texture1[256];   // low ground
    char texture2[256];   // mid heights
    char texture3[256];   // slopes
    char normalmap[256];
    char colormap[256];
    char name[64];
    char shader[64];      // below "Data/shaders/"; "terrain.fx" unless the script says
    char splat_texture[256];
    char splat_normalmap[256];
    int index;            // its own place in the table
    int minlevel;
    float rivercolor[4];  // r, g, b, a; also the fog colour of the level
    float rivers;
    float bumpVals[2];
    float population;
    int weatherType;
    float shadowValue;

    // A record as a new DefineEnvironment block starts it: empty names, the defaults.
    void Reset(int tableIndex);

    // Reads the script unless it has been read.
    static void EnsureLoaded();
    // Reads "Data/scripts/environments.cgs" (again); a missing script leaves the table empty.
    // The current environment, when there is one, is selected again by name afterwards.
    static void LoadScript();
    // The same from any script of that format (tests, the console's reload of a copy).
    static void LoadScript(const char* path);
    static int GetCount();
    // The record, or null when the index is outside the table.
    static Environment* Get(int index);
    // Index of the first record of that name (without regard to case); 0 when none has it, so
    // an unknown name stands for the first environment.
    static int FindByName(const char* name);
    // Index of the first record of that name, -1 when none has it.
    static int FindIndex(const char* name);
    // The current record; null before the first selection or while the table is not loaded.
    static Environment* GetCurrent();
    static int GetCurrentIndex();
    // The current record's river colour; a dark teal before the first selection.
    static Vec4 GetFogColour();
    // Forgets the table and the current environment, and puts the slot textures back to their
    // defaults (a fresh start for tests).
    static void ClearAll();
};

// The ground-texture slots the chunk meshes take their textures from: 1 low ground, 2 mid
// heights, 3 slopes, 4 the normal map.
constexpr int GROUND_TEXTURE_SLOTS = 4;
extern char GroundTextureSlots[GROUND_TEXTURE_SLOTS][256];

// The environment tint and how low ground is coloured (by the current environment's name).
enum class LowGroundRule { DARKEN_RED_GREEN, DARKEN_RED_BLUE, GLOWING, NONE };
struct EnvironmentTint {
    float r, g, b;
    LowGroundRule rule;
};
EnvironmentTint GetEnvironmentTint(const char* environmentName);
