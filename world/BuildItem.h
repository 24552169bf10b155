#pragma once
// The build catalogue: every building, add-on and upgrade that can be built or bought. Each
// BuildItem carries its costs, the flags that choose the building's behaviour, its meshes and
// effects, and a prototype entity (a scene primitive) copied into every new building of it.
#include "host/Maths.h"
#include "platform/PooledList.h"

#include <cstdint>

class Building;
class Entity;
class IndexedMesh;
struct TextureRecord;

constexpr int MAX_BUILD_ITEMS = 64;
constexpr int BUILD_ITEM_MESHES = 3;
constexpr int MAX_BUILDABLE_UNITS = 32;
constexpr const char* BUILD_ITEMS_SCRIPT = "data/scripts/buildItems.cgs";

// BuildItem::addOnFlags: the buildings an add-on may stand beside share a bit of their flags.


// BuildItem::flags
constexpr uint32_t BUILD_MARKED = 0x1;
constexpr uint32_t BUILD_PARTICLES = 0x2;
constexpr uint32_t BUILD_RESOURCE = 0x4;
constexpr uint32_t BUILD_TURRET = 0x8;
constexpr uint32_t BUILD_SPAWNPOINT = 0x10;
constexpr uint32_t BUILD_UPGRADE_RECORD = 0x20;
constexpr uint32_t BUILD_EXPLODE_ON_DEAD = 0x40;
constexpr uint32_t BUILD_RESEARCH_COMPUTER = 0x80;
constexpr uint32_t BUILD_RESOURCE_DROP = 0x100;
constexpr uint32_t BUILD_HEALTH_NODE = 0x200;
constexpr uint32_t BUILD_BUILD_NODE = 0x400;
constexpr uint32_t BUILD_DEEP_MINE = 0x800;
constexpr uint32_t BUILD_RADAR = 0x1000;
constexpr uint32_t BUILD_UNIT_FACTORY = 0x2000;
constexpr uint32_t BUILD_ADD_ON = 0x4000;
constexpr uint32_t BUILD_UNIT_CONTROL = 0x8000;
constexpr uint32_t BUILD_UNIT_UPGRADER = 0x10000;
constexpr uint32_t BUILD_UNIT_RECYCLER = 0x20000;
constexpr uint32_t BUILD_NO_AUTO_ATTACK = 0x40000;
constexpr uint32_t BUILD_CREATURE_NEST = 0x80000;
constexpr uint32_t BUILD_REPAIRABLE = 0x100000;
constexpr uint32_t BUILD_SCALE_WITH_HEALTH = 0x200000;
constexpr uint32_t BUILD_ROTATE = 0x400000;
constexpr uint32_t BUILD_UPDOWN = 0x800000;
constexpr uint32_t BUILD_ROTATE_X = 0x1000000;
constexpr uint32_t BUILD_ROTATE_MINUS_X = 0x2000000;
constexpr uint32_t BUILD_OSC_Y = 0x4000000;
constexpr uint32_t BUILD_PLAYER_CAN_BUILD = 0x8000000;
constexpr uint32_t BUILD_AI_CAN_BUILD = 0x10000000;
constexpr uint32_t BUILD_REQUIRES_BUILD_NODE = 0x20000000;
constexpr uint32_t BUILD_WARP_PLATFORM = 0x40000000;

// A unit type a factory makes, by name.
struct BuildableUnit {
    char name[64];
};

class BuildItem {
public:
    BuildItem();
    ~BuildItem();
    BuildItem(const BuildItem&) = delete;
    BuildItem& operator=(const BuildItem&) = delete;

    char name[128];
    char iconName[128];
    const char* longDescription;
    const char* shortDescription;
    Entity* prototype;  // the scene primitive of the item; none for upgrades
    char splatTextures[2][64];
    TextureRecord* iconTexture;
    int32_t iconCell;
    // The unit types a factory makes, in order; none until the first is named.
    PooledList<BuildableUnit>* units;
    int category;
    uint32_t flags;
    int buildWidth;  // cells
    int buildDepth;
    int costPower;  // negative for a consumer
    int costOre;
    int costFuel;
    float buildTime;  // seconds
    int buyCost;
    int buyLevel;
    int weapon;  // weapon type, 9 for none
    int resourcePower;
    int resourceOre;
    int resourceFuel;
    int resourceCredits;
    IndexedMesh* constructionMeshes[BUILD_ITEM_MESHES];
    int constructionMeshCount;
    // The mesh parts drawn with the building, each with its animation flags and offset.
    IndexedMesh* addedMeshes[BUILD_ITEM_MESHES];
    int addedMeshCount;
    uint32_t addedMeshFlags[BUILD_ITEM_MESHES];
    Vec3 addedMeshOffsets[BUILD_ITEM_MESHES];
    Vec3 turretPivot;
    char spawnType[64];
    int spawnCounts[2];  // simultaneous, then total
    float spawnInterval;
    float spawnRadius;
    int level;  // the tier; also a unit-control building's provision
    uint32_t addOnFlags;
    char particleSystem[128];
    Vec3 particleOffset;
    char selectedSound[64];
};

// BuildItemList::flags
constexpr uint32_t BUILD_LIST_FREE_PLACEMENT = 0x1;  // the current preview costs nothing and is done at once

// BuildItem::addOnFlags
constexpr uint32_t ADD_ON_RESOURCE_DROP = 0x100;  // stands beside a resource drop

// Why a building may not stand where its preview is: the reasons of the placement test, said to
// the player over the red preview and when the click is refused.
enum PlacementRefusal : int {
    PLACEMENT_ALLOWED = 0,
    PLACEMENT_NO_PREVIEW,     // nothing held, or off the map
    PLACEMENT_UNAFFORDABLE,   // not ore or fuel enough
    PLACEMENT_NO_POWER,       // not power enough to spare for what it draws
    PLACEMENT_NOT_SEEN,       // ground the player has not explored yet
    PLACEMENT_BLOCKED,        // rocks, water, a cliff, or something standing there
    PLACEMENT_NO_FUEL_VENT,   // a pump needs a fuel vent beside it
    PLACEMENT_NO_BUILD_NODE,  // it needs a build node beside it
    PLACEMENT_NO_NEIGHBOUR,   // an add-on needs the building it serves beside it
};
// Said when a factory is asked for a unit with every place under the unit cap taken.
constexpr const char* UNIT_CAP_MESSAGE = "Max unit control reached! Recycle a unit to free a place.";

// The sentence that tells the player the reason; empty for PLACEMENT_ALLOWED.
const char* PlacementRefusalText(PlacementRefusal refusal);

// A building of an item to stand at a point: what the hand shows under the cursor, and what a
// placement order carries into the tick.
struct BuildPlacement {
    BuildItem* item = nullptr;
    Vec3 point;
    // Its heading in degrees: an add-on's is found by the test, facing away from what it serves.
    float yaw = 0.0f;
    // Costs nothing and stands finished at once.
    bool free = false;
};

// Whether the building may stand there: stocks, power to spare for what it draws (a generator
// always may), cells free and buildable, a vent beside a deep mine, a build node near what needs
// one, a matching neighbour beside an add-on (whose heading it sets). Reads the level and
// writes nothing of it.
bool CanPlace(BuildPlacement* placement);
// The first reason the building may not stand there (PLACEMENT_ALLOWED when it may).
PlacementRefusal PlacementRefusalOf(BuildPlacement* placement);

class BuildItemList {
public:
    BuildItemList();
    ~BuildItemList();
    BuildItemList(const BuildItemList&) = delete;
    BuildItemList& operator=(const BuildItemList&) = delete;

    // Appends a new item named after its prototype (or name, without one); null when the
    // catalogue holds its 64.
    BuildItem* Add(Entity* prototype, const char* name);
    // Exact name, case included.
    BuildItem* FindByName(const char* name) const;
    // Reads a build script (null: the game's) and appends its items. Each building's prototype
    // is made in the Scene from its mesh, so the Scene must be ready; unit types named as
    // buildable learn which item makes them. False when the script cannot be opened.
    bool Load(const char* path = nullptr);

    // ---- Placing buildings
    // What the player's hand holds on the build button is the view's, not the level's: the
    // interface draws the item's prototype where the cursor puts it, and it is never an entity
    // of the level (never listed, numbered, searched, drawn on or summed). The building itself
    // is made by a placement order in a tick (PlaceBuildingFromItem).
    // Makes the named item the one the hand holds; free: it will cost nothing and stand
    // finished at once. False when there is no such item or it has no prototype.
    bool SetCurrent(const char* name, bool free);
    // The hand lets go of it.
    void ClearCurrent();
    // Where the hand holds it now, as a placement order would carry it.
    BuildPlacement CurrentPlacement() const;
    // Whether it may stand where the hand holds it (CanPlace); an add-on that may is shown
    // turned away from what it serves. Changes nothing of the level.
    bool CanPlaceCurrent();
    // Why the preview may not stand where it is now (PLACEMENT_ALLOWED when it may), the first
    // reason of the test above; ground the player has not seen yet is named before the others.
    PlacementRefusal CurrentRefusal();
    // Marks every item the computer may not build (bit 0x1), and clears the marks.
    void MarkAll();
    void ClearMarks();

    uint32_t flags = 0;
    BuildItem* current = nullptr;
    PooledList<BuildItem*> items;
};

// Makes the building of a placement in the level (a tick's work): finished at once when free,
// else under construction and paid for. Null without an item or off the grid; the caller tests
// the place first (CanPlace).
Building* PlaceBuildingFromItem(const BuildPlacement& placement);
// Whether the player's ore and fuel pay for the item.
bool PlayerCanAfford(const BuildItem* item);
// The power a standing building of the item takes from the base: none for a generator, nor
// for what asks for none.
float PowerDrawn(const BuildItem* item);
// Takes back a building under construction: the player is refunded and the building dies.
void CancelConstruction(Building* building);
// The ground decal under a player's building over the world box min..max of its cells.
Entity* CreateBuildingSplat(Building* building, const Vec3& min, const Vec3& max);
