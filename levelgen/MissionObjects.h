#pragma once
// The catalogue of mission objects: named assemblies the level generator puts at a site (a
// main mesh, decorative and blocking meshes, spawned agents, buildings and items, ground
// splats, particle effects, guards, loot, a journal and grass, and the objective texts of
// what they spawn). Several records of one name are variants of it. The catalogue is
// data/scripts/mission_objects.cgs, read once; the heightmap reads a record's clearing, the
// population places records with PlaceObject.
//
// Every table of a record is bounded: an entry beyond it is refused with a warning naming
// the script line, and so is a record beyond the catalogue's size.
#include "host/Maths.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Entity;
struct Objective;

// MissionObject::objectFlags: the record is one of several variants of its name, and the
// script's SetFlag words.
constexpr uint32_t MISSION_OBJECT_HAS_VARIANTS = 0x1;
constexpr uint32_t MISSION_OBJECT_SELECTABLE = 0x2;
constexpr uint32_t MISSION_OBJECT_SALVAGE = 0x4;
constexpr uint32_t MISSION_OBJECT_RANDOM_ITEMS = 0x40;
constexpr uint32_t MISSION_OBJECT_RANDOM_ENEMIES = 0x80;
constexpr uint32_t MISSION_OBJECT_JOURNAL = 0x200;
constexpr uint32_t MISSION_OBJECT_ENEMY_OBJECTIVE = 0x400;
constexpr uint32_t MISSION_OBJECT_GROWTH = 0x1000000;

// MissionMeshObject::flags (the script's MeshObjectFlag words)
constexpr uint32_t MISSION_OBJECT_HAS_COLLISION = 0x8;
constexpr uint32_t MISSION_OBJECT_GRID_BLOCKER = 0x10;
constexpr uint32_t MISSION_OBJECT_MESH_HEIGHT = 0x20;
constexpr uint32_t MISSION_OBJECT_HEIGHTMAP_VERTICES = 0x800;
constexpr uint32_t MISSION_OBJECT_SPLAT_LAYER_2 = 0x1000;
constexpr uint32_t MISSION_OBJECT_ENV_SNOW = 0x8000;
constexpr uint32_t MISSION_OBJECT_ENV_VEGETATION = 0x20000;
constexpr uint32_t MISSION_OBJECT_TERRAIN_HOLE = 0x100000;
constexpr uint32_t MISSION_OBJECT_NODRAW = 0x200000;
constexpr uint32_t MISSION_OBJECT_TRANSLUSCENT = 0x400000;
constexpr uint32_t MISSION_OBJECT_GRID_MASK_MESH = 0x800000;

// MissionSpawnObject::flags. A static spawn makes nothing: it stands for the object's own
// mesh, which takes its objective.
constexpr uint32_t SPAWN_FLAG_STATIC = 0x1;
constexpr uint32_t SPAWN_FLAG_AGENT = 0x2;
constexpr uint32_t SPAWN_FLAG_BUILDING = 0x4;
constexpr uint32_t SPAWN_FLAG_ITEM = 0x8;
constexpr uint32_t SPAWN_FLAG_REPAIR_OBJECTIVE = 0x400;
constexpr uint32_t SPAWN_FLAG_ALWAYS_HAS_HEALTH = 0x800;

// MissionObject::clearingShape
enum ClearingShape {
    CLEARING_DISC = 0,
    CLEARING_SQUARE = 1,
    CLEARING_PLUS = 2,
    CLEARING_ROCK_HILL = 3,
    CLEARING_ROUGH = 4,
    CLEARING_COMPOUND = 5,
};

struct MissionMeshObject {
    char mesh[256] = "";
    Vec3 offset;
    float rotation = 0.0f;  // degrees about the vertical axis
    uint32_t flags = 0;
};

struct MissionSpawnObject {
    char name[64] = "";
    Vec3 offset;
    float rotation = 0.0f;  // degrees
    uint32_t flags = 0;
    int objectiveType = -1;  // none
};

struct MissionSplat {
    char primitive[128] = "";
    char texture[128] = "";
    char normalMap[128] = "";
    Vec3 offset;
};

struct MissionEffect {
    char system[64] = "";
    Vec3 offset;
};

struct MissionObject {
    static constexpr int MAX_MESH_OBJECTS = 32;
    static constexpr int MAX_SPAWN_OBJECTS = 64;
    static constexpr int MAX_SPLATS = 16;
    static constexpr int MAX_EFFECTS = 8;

    char name[64] = "";
    char category[32] = "";
    char objectMesh[128] = "none";
    char collisionMesh[128] = "";
    Vec3 objectMeshOffset;
    int variantIndex = 0;
    int variantCount = 0;
    std::vector<MissionMeshObject> meshObjects;    // at most MAX_MESH_OBJECTS
    std::vector<MissionSpawnObject> spawnObjects;  // at most MAX_SPAWN_OBJECTS
    std::vector<MissionSplat> splats;              // at most MAX_SPLATS
    std::vector<MissionEffect> effects;            // at most MAX_EFFECTS
    float healthMinimum = 0.0f;
    float healthMaximum = 0.0f;
    uint32_t objectFlags = 0;
    int clearingRadius = 8;
    int clearingShape = CLEARING_DISC;
};

class MissionObjects {
public:
    static constexpr int MAX_RECORDS = 128;
    static constexpr const char* SCRIPT = "data/scripts/mission_objects.cgs";

    // On the first call reads the script; later calls do nothing.
    void EnsureLoaded();
    // Reads a catalogue script (the shipped one when path is null) after the records already
    // read. False, logged, when it cannot be opened.
    bool Load(const char* path = nullptr);
    // The record of that name (case ignored): variant 0 or more picks that variant; below 0
    // one of the name's variants at random (one Rand() per variant walked). Null when no
    // record has the name.
    const MissionObject* Find(const char* name, int variant) const;
    // Places one object at a world position turned by rotation degrees: its meshes, splats,
    // effects, grass and objective texts always; its spawned agents, buildings and items, its
    // guards, barrels, loot and journal only when not loading (a saved scene brings those
    // back). level 0 or below takes the current mission's. False when no record has the name.
    bool PlaceObject(const char* name, const Vec3& position, float rotation, int level, bool loading,
                     const Objective* objective);

    std::vector<MissionObject> records;  // file order
    bool loaded = false;
};

// Made by the front end; null until then, and every object is then missing.
extern MissionObjects* TheMissionObjects;

// What placing shares with the population and the growth: an entity turned about its own
// position to degrees; health raised by a quarter for each level above 0; an objective text
// cut to its buffer (a name may fill one on its own).
void TurnEntity(Entity* entity, float degrees);
void RaiseHealthForLevel(Entity* entity, int level);
void FormatObjectiveText(char* out, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Guards around a mission object by the level (0 and below as 0, above 10 as 10).
int GuardCountForLevel(int level);
// The current environment's name; "" when there is none.
const char* CurrentEnvironmentName();
// The grass growth definition of an environment: "grass_dry" in deserts and autumn, "grass_alien"
// on alien worlds, "grass" elsewhere.
const char* MissionGrassName(const char* environment);
