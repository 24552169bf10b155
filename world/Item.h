#pragma once
// Item: an item of the game, both as a definition of the item catalogue and as a copy of one:
// loot, crates and cannisters on the ground, usable kits, traps and detectors, journal pages,
// mission objects, and what the player carries in the inventory.
#include "world/Entity.h"

#include <cstdint>

// Item::itemFlags
constexpr uint32_t ITEM_FLAG_AI_ONLY = 0x1;
constexpr uint32_t ITEM_FLAG_ROLLED = 0x2;  // rolled loot or a laid detector: it spins
constexpr uint32_t ITEM_FLAG_STACKABLE = 0x4;
constexpr uint32_t ITEM_FLAG_USED = 0x20;  // an opened crate
constexpr uint32_t ITEM_FLAG_RANDOM = 0x40;
constexpr uint32_t ITEM_FLAG_NOT_FOR_SALE = 0x80;
constexpr uint32_t ITEM_FLAG_GRID_BLOCKER = 0x100;
constexpr uint32_t ITEM_FLAG_ROCK = 0x200;

// Item::kind
enum ItemKind : int {
    ITEM_KIND_PICKUP = 0,
    ITEM_KIND_ACTION = 1,
    ITEM_KIND_TRIGGER = 2,
    ITEM_KIND_BREAKABLE = 3,
    ITEM_KIND_UNIT = 4,
    ITEM_KIND_BUILDING = 5,
    ITEM_KIND_UPGRADE = 6,
    ITEM_KIND_WEAPON = 7,
    ITEM_KIND_ENGINE = 8,
    ITEM_KIND_STORAGE = 9,
};

// The bonus floats, in their order.
enum ItemBonus : int {
    ITEM_BONUS_DAMAGE = 0,
    ITEM_BONUS_SPEED,
    ITEM_BONUS_HULL,
    ITEM_BONUS_HEALTH,
    ITEM_BONUS_RATE_OF_FIRE,
    ITEM_BONUS_SHIELDS,
    ITEM_BONUS_COUNT
};

struct TextureRecord;

class Item : public Entity {
public:
    Item();
    ~Item() override;

    // A held item is not in the world: it answers "not attached" only while it hangs on no
    // parent bone.
    bool IsAvailable() override { return IsNotAttached(); }
    bool IsNotAttached() const { return attachBone == nullptr; }

    // The item takes the free cells under its footprint into its chain of cells.
    void OccupyGridCells();

    // Takes a heap block (malloc'd) that the item frees when it goes.
    void AdoptBlock(void* block);

    char iconPath[128];
    char meshPath[128];
    char soundName[128];  // what the inventory plays when the item is put in a slot
    const char* longDescription;
    const char* shortDescription;
    uint32_t itemFlags;
    uint32_t upgradeFlags;
    uint32_t specialFlags;
    uint32_t reserved;
    int kind;
    int action;
    int actionValue;
    float salvageIdleTime;
    TextureRecord* iconTexture;
    int32_t iconCell;  // -1: no cell
    int stackCount;
    float bonus[ITEM_BONUS_COUNT];
    int price;
    int buyLevel;
    char buyRequirement[128];
    int achievement;
    float rarity;
    char buildRequirement[128];
    int buildEnergy;
    char patternName[32];  // the unit type or build item a blueprint stands for
    uint32_t reservedWords[6];

private:
    void* ownedBlock_ = nullptr;
};
