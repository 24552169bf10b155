#pragma once
// The Scene: the one world object of the game. It owns every entity of a level in a single
// master list cut into typed segments by marker entities, so that code walks all player
// buildings or all enemy units as one run of the list without a second index; side lists hold
// terrain objects and fuel vents, translucent objects, ground splats, the entity templates read
// from primitives.cgs ("primitives"), named paths and lights. It is the entity factory of the
// level generator, the scene reader, the console and the game logic, its per-frame update runs
// every entity, retires the dead and recounts the player's power and unit control, and it makes
// the mesh, animation, effect and particle managers once at start-up.
//
// Contract of the walks:
// - The typed walk (FirstEntity, NextEntity, EndIteration) and the category walk
//   (FirstInCategory, NextInCategory) each have one cursor in the Scene: they do not nest, and
//   one walk of a kind must end before the next starts. The lookups (FindNearest,
//   FindEntityById, FindEntityByName, FindPrimitive) keep cursors of their own and may run
//   inside a walk.
// - An entity may leave the Scene while a walk stands on it (its own update removes it, or the
//   caller removes it): the walk goes on with the entity after it.
// - Walks see dead entities too (a destroyed mission object stays to be repaired); the
//   lookups that look for something to fight or follow skip them.
//
// Nothing here allocates after Init: every list is a node pool, and a full list refuses what
// is added to it, with a line in the log.
#include "host/Maths.h"
#include "mechanics/SceneList.h"
#include "platform/PooledList.h"
#include "world/Entity.h"
#include "world/PowerLedger.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <unordered_map>
#include <vector>

class Agent;
class Building;
class EffectManager;
class Entity;
class IndexedMesh;
class ParticleManager;

// Segments of the master list, in their order, and their masks (bit i for segment i).
enum SceneSegment : int {
    SEGMENT_UNIT = 0,             // the player's agents on the ground
    SEGMENT_AIR_UNIT = 1,         // the player's air agents
    SEGMENT_BUILDING = 2,         // the player's buildings
    SEGMENT_ENEMY_UNIT = 3,       // everyone else's agents on the ground
    SEGMENT_ENEMY_AIR_UNIT = 4,   // everyone else's air agents
    SEGMENT_ENEMY_BUILDING = 5,   // friendly and enemy buildings
    SEGMENT_NEUTRAL_BUILDING = 6,
    SEGMENT_RESOURCE = 7,
    SEGMENT_ITEM = 8,
    SEGMENT_COLLISION = 9,  // other entities that take part in collisions
    SEGMENT_UNSORTED = 10,
    SEGMENT_COUNT = 11,
};
constexpr uint32_t SEGMENTS_PLAYER = 0x7;
constexpr uint32_t SEGMENTS_AGENTS = 0x1b;
constexpr uint32_t SEGMENTS_BUILDINGS = 0x64;
constexpr uint32_t SEGMENTS_RESOURCES = 0x80;
constexpr uint32_t SEGMENTS_ITEMS = 0x100;
constexpr uint32_t SEGMENTS_ALL = 0x7ff;

// Category walks: 0 every list (master, terrain objects, splats, translucent objects in that
// order), 1 the master list, 2, 3 and 4 one side list.
enum SceneCategory : int {
    CATEGORY_ALL = 0,
    CATEGORY_MASTER = 1,
    CATEGORY_TERRAIN = 2,      // terrain objects and fuel vents
    CATEGORY_TRANSLUCENT = 3,
    CATEGORY_SPLATS = 4,
};

// RemoveEntity: 0 from everywhere, 1 from the master list, 2, 3, 4 from the master list and
// that side list.
enum SceneRemoveMode : int {
    REMOVE_EVERYWHERE = 0,
    REMOVE_MASTER = 1,
    REMOVE_TERRAIN = 2,
    REMOVE_TRANSLUCENT = 3,
    REMOVE_SPLAT = 4,
};

// Scene::sceneFlags
constexpr uint32_t SCENE_HAS_WATER = 0x1;
constexpr uint32_t SCENE_CAMERA_PLACED = 0x2;  // the scene file said where the camera stands

// The numbers a save writes of the world's own state (places, turns, hulls, clocks) are
// written whole: read back, they are the same bits, and a save of the loaded level writes
// the same text again.
#define SCENE_EXACT "%.9g"

// What a saved level holds of the world beside its entities: its random sequences and its
// clock as they stood at the save. Put back once the level is made (making it draws from the
// sequences).
struct SavedWorldState {
    bool read = false;
    unsigned levelSequence = 0;
    uint32_t programZ = 0, programW = 0;
    float missionTime = 0.0f;
    // The sequence a generated level's ground was drawn from (not in saves of older builds).
    bool groundRead = false;
    unsigned groundSequence = 0;
};

// A named run of points (the level's paths).
struct ScenePath {
    char name[128];
    int count;
    Vec3* points;  // the Scene's, freed with the path
};

// A light of the level, as the device takes it.
struct SceneLight {
    int type;  // 1 point, 2 spot, 3 directional
    float diffuse[4];
    float specular[4];
    float ambient[4];
    Vec3 position;
    Vec3 direction;
    float range;
    float falloff;
    float attenuation[3];
    float innerCone;
    float outerCone;
};

// A cell reference of a scene file, turned into a link once the level stands.
enum PendingLinkKind : int {
    LINK_ACTIVE_BUILDING = 1,
    LINK_MINE = 2,
    LINK_DROP_OFF = 3,
    LINK_ACTIVE_OBJECT = 5,
};
struct PendingLink {
    int kind;
    int column;
    int row;
    Agent* agent;
};

// What the last update counted of the player's forces.
struct UnitControlCount {
    int capacity = 0;  // units the player's buildings allow
    int used = 0;      // units in use or in production
    float supply = 20.0f;
    float demand = 0.0f;
    float pending = 0.0f;  // what the buildings still going up will draw once they stand
};

// "<user folder>/savefiles/<profile>/<name>.sav" into out. False, with out empty and the name
// logged, for a profile or save name that could lead outside that folder.
bool SaveGamePath(char* out, size_t size, const char* profile, const char* name);

class Scene;
// The drawn poses for the scope's life (nothing when they are already out).
struct CarriedPoses {
    explicit CarriedPoses(Scene& scene);
    // Only those of the entities of `only` (sorted by address): what the particles follow.
    CarriedPoses(Scene& scene, const std::vector<const Entity*>& only);
    ~CarriedPoses();
    CarriedPoses(const CarriedPoses&) = delete;
    CarriedPoses& operator=(const CarriedPoses&) = delete;
    Scene* scene = nullptr;
};

class Scene {
public:
    using EntityList = SceneList;
    using Node = EntityList::Node;

    static constexpr int MASTER_NODES = 200;
    static constexpr int REMOVED_NODES = 200;
    static constexpr int PRIMITIVE_NODES = 150;
    static constexpr int CATEGORY_NODES = 100;
    static constexpr int PATH_NODES = 10;
    static constexpr int LIGHT_NODES = 10;
    static constexpr int MAX_PENDING_LINKS = 512;
    static constexpr int MARKER_COUNT = SEGMENT_COUNT + 1;
    // Unit control never goes beyond this, however many buildings provide it.
    static constexpr int UNIT_CONTROL_CAP = 50;

    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // ---- Life
    // Once at start-up (later calls change nothing): the lists, then the mesh and animation
    // libraries, the effect manager (the one every mesh binds its effects from) and the
    // particle manager. Without a graphics device there is no effect manager.
    void Init();
    // The lists and their markers alone (Init's first step; what a world without a device
    // needs).
    bool InitLists();
    bool IsReady() const { return master.IsReady(); }
    // Once per tick of the world: every entity's update, the dead retired, power and unit
    // control counted, the splats moved on.
    void Update();
    // At the start of each tick: every entity's pose before it, to draw it between the two.
    void NoteTickPoses();
    // Puts every entity moved by the world's latest tick at its drawn pose: between its poses
    // before and after that tick, by the share of a tick the frames have gathered since
    // (WorldTicks.carry). The picture runs a tick behind the world, and nothing is drawn where
    // it never was: a unit that stops is never drawn past its stop. A jump (a warp, a respawn,
    // one just made) is drawn where it landed. Undone by RestoreTickPoses. The camera, the
    // drawing, the picking and the particles look at the drawn poses; the world never does.
    // With `only` (sorted by address), just those of its entities; the rest stay at their
    // ticks' poses.
    void CarryPoses(const std::vector<const Entity*>* only = nullptr);
    void RestoreTickPoses();
    bool PosesCarried() const { return posesCarried_; }
    // Entities placed on the ground at level start take the terrain height.
    void DropToTerrain();
    // Every splat is fitted to the ground again (level start, after a device reset).
    void ConformEntitiesToTerrain();
    void KillAllParticles();
    // Level end: the scene flags cleared, the entities that died during the level freed.
    void ClearRemoved();
    // Every entity the Scene holds lets go: agents go back to the pool, the others are freed.
    // The markers stay. (Shutdown, and a world torn down in tests.)
    void ReleaseEntities();
    // At shutdown, before the device goes.
    void ReleaseEffectManager();
    void ReleaseParticleManager();
    void ReleaseLibraries();

    // ---- Lists
    // The segment the entity belongs in.
    int GetListIndex(const Entity* entity) const;
    // Right after its segment's marker: the newest entity of a segment is its first. The
    // player's rig is added once ("already added" when it is in the list). Null when refused.
    Node* AddEntity(Entity* entity);
    // The same without the rig's check.
    Node* LinkEntity(Entity* entity);
    void UnlinkEntity(Entity* entity);
    // One segment; null at its end.
    Node* FirstInList(int segment) const;
    Node* NextInList(const Node* node) const;
    // The typed walk over the segments of the mask: ascending segments, newest first within
    // each.
    Entity* FirstEntity(uint32_t segmentMask);
    Entity* NextEntity();
    void EndIteration();
    bool IsWalking() const { return typedSegment_ >= 0; }
    // The category walk: the entities of the category's lists whose flags share a bit with
    // the mask (a mask below 1 takes every one).
    Entity* FirstInCategory(int category, int flagMask);
    Entity* NextInCategory();

    // ---- Lookups
    // The first entity of the segments with that id; null for a negative id.
    Entity* FindEntityById(int id, uint32_t segmentMask) const;
    // The first entity of the category whose name matches without regard to case.
    Entity* FindEntityByName(const char* name, int category, int flagMask) const;
    Entity* FindPrimitive(const char* name) const;
    // The nearest live entity to self's centre (box distance): team 3 searches the player's
    // segments, -1 segments 0..5, any other team segments 3..5. Cloaked agents, air agents
    // when excludeAir is set, placement previews and the dead are skipped; a positive flag
    // mask keeps entities with one of its flags, a team of 1 or more those of that side.
    // Strictly nearer wins. Writes the distance when it finds one.
    Entity* FindNearest(Entity* self, float* outDistance, int team, int flagMask, bool excludeAir) const;
    // The entity standing in that cell of the level's grid.
    Entity* FindEntityAtCell(int column, int row) const;
    // The building whose footprint holds that cell, whoever stands on the cell.
    Entity* FindBuildingAtCell(int column, int row) const;
    // The entity while one of the Scene's lists holds it (master, removed, terrain objects,
    // splats, translucent objects) and it still has that id. In constant time: held counts it.
    Entity* Resolve(Entity* entity, unsigned id) const;
    void RemoveEntity(Entity* entity, int mode);

    // ---- Factory (each returns the new entity, or null)
    Agent* CreateAgent(const char* typeName, bool add);
    Building* CreateBuilding(const char* name);
    Entity* AddResource(const char* primitiveName, const Vec3& position, int oreType);
    Entity* AddFuelVent(const char* primitiveName, const Vec3& position);
    Entity* AddSplat(const char* primitiveName, const char* texture, const char* normalTexture, const Vec3& position,
                     uint32_t extraFlags);
    // kind: 0x800 an agent of the pool, 0x2000 a building, 0x4000 a resource, else a plain
    // entity. The texture is not used.
    Entity* AddPrimitive(const char* mesh, const char* name, int lightingMode, const char* texture, uint32_t kind,
                         int meshArg, bool dynamic);
    // A further mesh state of a template (at most three meshes).
    bool AddMeshToTemplate(Entity* primitive, const char* mesh, int lightingMode);
    // In no list: the caller keeps it.
    Entity* CreateMeshEntity(const char* mesh, const Vec3* position, int lightingMode);
    Entity* CreateDecalEntity(const char* mesh, const Vec3& position, int lightingMode);
    Entity* AddTerrainObject(const char* mesh, const Vec3& position, int lightingMode);
    Entity* AddTranslucentObject(const char* mesh, const Vec3& position, int lightingMode);
    SceneLight* AddLight();
    // A named path of count points (zeroed); null when refused.
    ScenePath* AddPath(const char* name, int count);
    // False when the table is full.
    bool AddPendingLink(Agent* agent, int kind, int column, int row);

    // ---- Scripts (SceneScripts.cpp)
    // Reads a scene file (a level, a save, the primitive catalogue). False, with nothing
    // changed, when it cannot be opened.
    bool ReadSceneFile(const char* path);
    // Writes the level as a save (SceneFile.cpp): into a temporary file beside path, renamed
    // over path only once complete. False, logged, when it could not be written; the old file
    // is then untouched. Must not run inside a walk.
    bool WriteSceneFile(const char* path);
    // The parts of the level a save holds, in the order it writes them.
    enum LevelPart { LEVEL_RIG_AND_OBJECTIVES = 0, LEVEL_RESOURCES, LEVEL_BUILDINGS, LEVEL_UNITS, LEVEL_ITEMS,
                     LEVEL_FUEL_VENTS, LEVEL_AI, LEVEL_PARTS };
    // Writes them as a save does, each into files[part] (one file may take several). withView:
    // the camera and the control groups too, which are the player's view of the level, not the
    // level. Must not run inside a walk.
    void WriteLevelParts(FILE* const files[LEVEL_PARTS], bool withView);
    // After a level or save has been read: agents claim their cells, buildings their
    // footprints, and the cell references of the file become links.
    void ResolveLinks();

    // ---- A save's entities to the bit
    // Beside the lines every scene file knows, a save holds what its units, buildings and
    // shots in flight are doing, whole: the move under way, the job and its step, the fight,
    // every clock. What one entity holds of another it names by the number the save gives that
    // entity ("SaveId"), so the links come back to the same entities whatever their ids are in
    // the game that loads it.
    // Writing (inside WriteLevelParts): the number an entity goes by in this save, given at its
    // first mention; -1 for none.
    int SaveNumberOf(const Entity* entity);
    // Reading: an entity read under a number, and the entity a number names (null for none,
    // one the save never read, or one that has left the level since).
    void NameSaveNumber(int number, Entity* entity);
    Entity* EntityOfSaveNumber(int number) const;
    // What was read of an entity's state (of the level's own, for none), put back once the
    // level stands: after everything read has settled (settling stands a unit on its cell and
    // its targets on its place, which its state then takes back to where they were). Nothing
    // for an entity gone by then.
    void PutBackOnceSettled(Entity* entity, std::function<void(Entity*)> putBack);
    // Each state read put back, in the order read (the level's start, once it has settled);
    // a save of an older build that holds none is said in the log.
    void PutBackSavedStates();
    // A new level forgets what the last one read.
    void ForgetSavedStates();
    // The entity while the level still holds it under that id (a held unit by its id alone).
    Entity* StillRead(const EntityRef& ref) const;
    // Before the level's first frame is drawn: every unit stands on the ground in the first
    // pose of its animation, as its first update would leave it, without a step of the game.
    void PoseUnits();
    // A unit read as waiting inside the building found at its cell becomes the unit that
    // upgrader or recycler holds; false when the building is none of them or holds another.
    bool TakeHeldUnit(Agent* agent, Entity* found);

    // ---- State
    PendingLink pendingLinks[MAX_PENDING_LINKS];
    int pendingLinkCount = 0;
    char sceneKind[128] = "";
    char sceneVersion[32] = "";
    // Every entity of master, removed, terrainObjects, translucent and splats, counted as those
    // lists change: what Resolve asks. Declared before them, so it outlives them.
    HeldEntities held;
    EntityList master{&held};
    EntityList removed{&held};
    Node* segmentHeads[MARKER_COUNT] = {};  // the master-list nodes of the markers
    EntityList primitives;
    EntityList terrainObjects{&held};  // category 2
    EntityList translucent{&held};     // category 3
    EntityList splats{&held};          // category 4
    ParticleManager* particles = nullptr;
    PooledList<ScenePath> paths;
    PooledList<SceneLight> lights;
    EffectManager* effects = nullptr;
    char heightmapName[256] = "none";
    char colourMapName[256] = "none";
    uint32_t sceneFlags = 0;
    // Read from a saved level, for the level's start to put back.
    SavedWorldState savedWorld;
    // A generated level's ground: the sequence its grain was drawn from (saved with the level).
    bool groundDrawn = false;
    unsigned groundSequence = 0;
    // A saved level's entities by their save numbers, and their states read (PutBackOnceSettled).
    std::vector<EntityRef> savedEntities;
    std::vector<std::pair<EntityRef, std::function<void(Entity*)>>> savedStates;
    // The numbers the save being written has given (SaveNumberOf).
    std::unordered_map<const Entity*, int> saveNumbers;
    // The heightmap's vertical scale a level file asks for ("HeigthmapScale f": 1 / f).
    float heightmapScale = 1.0f;
    // The first frame of a level: entities are not updated yet (they settle first); set by the
    // level start, cleared by the first update.
    bool firstFrame = false;
    // The rig fell after every objective was done: the mission ends won once this frame's
    // update is over (ending it tears the level down under the walk). Set by the update.
    bool rigLostAfterWin = false;
    UnitControlCount unitControl;
    // What the level's buildings supply and demand of power, as they were finished and lost;
    // reset at every level's start and end.
    PowerLedger power;

    // The list of a category walk's list index (0..3 in the order of category 0), or null.
    EntityList* CategoryList(int category, int index) const;

private:
    // Where a walk stands: on node (its entity was the last one handed out), or before the
    // list's head. An entity leaving a list moves every cursor standing on it back by one.
    struct Cursor {
        EntityList* list = nullptr;
        Node* node = nullptr;
        bool beforeHead = false;
    };
    static Node* Following(const Cursor& cursor);
    static bool IsMarker(const Entity* entity);
    // Unlinks entity from list (with the cursors' fix-up); false when it is not there.
    bool RemoveFrom(EntityList& list, Entity* entity);
    Node* StartSegment(int segment, uint32_t mask, int* segmentOut) const;
    Entity* NextInWalk(Cursor& cursor, int* segment, uint32_t mask) const;
    Entity* CategoryStep();
    void UpdateList(EntityList& list);
    void RetireDead(Entity* entity);
    void RecountUnitControl();
    bool IsHeld(const Entity* entity) const;

    Entity* markers_[MARKER_COUNT] = {};
    Cursor typed_;
    int typedSegment_ = -1;
    uint32_t typedMask_ = 0;
    Cursor category_;
    int categorySelector_ = 0;
    int categoryMask_ = 0;
    int categoryIndex_ = -1;
    Cursor update_;
    // While the drawn poses are out: each entity moved, with the pose its tick left and the
    // one drawn.
    struct CarriedPose {
        Entity* entity;
        Matrix world, rotation, drawn, drawnRotation;
    };
    std::vector<CarriedPose> carried_;
    bool posesCarried_ = false;
};

extern Scene TheScene;

// Every material of the mesh shows the texture (an ore stage's colour).
void SetMeshTexture(IndexedMesh* mesh, const char* texture);

// The sounds of a sound script ("AddSound name buffers file") loaded into the sound manager.
// False when the file cannot be opened or there is no sound device to load them into.
bool LoadSoundScript(const char* path);
