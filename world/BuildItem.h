#pragma once
// The build catalogue: every building, add-on and upgrade that can be built or bought. Each
// BuildItem carries its costs, the flags that choose the building's behaviour, its meshes and
// effects, and a prototype entity (a scene primitive) copied into every new building of it.
#include "host/Maths.h"
#include "platform/PooledList.h"

#include <cstdint>

class Entity;
class IndexedMesh;
struct TextureRecord;

constexpr int MAX_BUILD_ITEMS = 64;
constexpr int BUILD_ITEM_MESHES = 3;

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

class BuildItem {
public:
    BuildItem();

    char name[128];
    char iconName[128];
    const char* longDescription;
    const char* shortDescription;
    Entity* prototype;  // the scene primitive of the item; none for upgrades
    char splatTextures[2][64];
    TextureRecord* iconTexture;
    int32_t iconCell;
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

    uint32_t flags = 0;
    BuildItem* current = nullptr;
    PooledList<BuildItem*> items;
};
