#pragma once
// Item: an item of the game, both as a definition of the item catalogue and as a copy of one:
// loot, crates and cannisters on the ground, usable kits, traps and detectors, journal pages,
// mission objects, and what the player carries in the inventory.
#include "platform/PooledList.h"
#include "world/Entity.h"

#include <cstdint>
#include <cstdio>

// Item::itemFlags
constexpr uint32_t ITEM_FLAG_AI_ONLY = 0x1;
constexpr uint32_t ITEM_FLAG_ROLLED = 0x2;  // rolled loot or a laid detector: it spins
constexpr uint32_t ITEM_FLAG_STACKABLE = 0x4;
constexpr uint32_t ITEM_FLAG_USED = 0x20;  // an opened crate
constexpr uint32_t ITEM_FLAG_RANDOM = 0x40;
constexpr uint32_t ITEM_FLAG_NOT_FOR_SALE = 0x80;
constexpr uint32_t ITEM_FLAG_GRID_BLOCKER = 0x100;
constexpr uint32_t ITEM_FLAG_ROCK = 0x200;

// Item::upgradeFlags, and the bonus each one fills
constexpr uint32_t ITEM_UPGRADE_SPEED = 0x1;
constexpr uint32_t ITEM_UPGRADE_HULL = 0x2;
constexpr uint32_t ITEM_UPGRADE_HEALTH = 0x4;
constexpr uint32_t ITEM_UPGRADE_RATE_OF_FIRE = 0x8;
constexpr uint32_t ITEM_UPGRADE_LASER_DAMAGE = 0x10;
constexpr uint32_t ITEM_UPGRADE_MISSILE_DAMAGE = 0x20;
constexpr uint32_t ITEM_UPGRADE_MORTAR_DAMAGE = 0x40;
constexpr uint32_t ITEM_UPGRADE_ELECTRIC_DAMAGE = 0x80;
constexpr uint32_t ITEM_UPGRADE_MACHINEGUN_DAMAGE = 0x100;
constexpr uint32_t ITEM_UPGRADE_FLAME_DAMAGE = 0x400;
constexpr uint32_t ITEM_UPGRADE_SHIELDS = 0x800;
constexpr uint32_t ITEM_UPGRADE_DOT_FIRE = 0x1000;
constexpr uint32_t ITEM_UPGRADE_DOT_ACID = 0x2000;
constexpr uint32_t ITEM_UPGRADE_RADAR = 0x4000;
constexpr uint32_t ITEM_UPGRADE_HEALING = 0x400000;

// Item::specialFlags
constexpr uint32_t ITEM_SPECIAL_SHIELD_DRAIN_1 = 0x1;
constexpr uint32_t ITEM_SPECIAL_SHIELD_DRAIN_2 = 0x2;
constexpr uint32_t ITEM_SPECIAL_SIPHON_DAMAGE_1 = 0x4;
constexpr uint32_t ITEM_SPECIAL_SIPHON_DAMAGE_2 = 0x8;
constexpr uint32_t ITEM_SPECIAL_FREEZE_1 = 0x10;
constexpr uint32_t ITEM_SPECIAL_FREEZE_2 = 0x20;
constexpr uint32_t ITEM_SPECIAL_CHANCE_TO_EVADE_1 = 0x10000;
constexpr uint32_t ITEM_SPECIAL_CHANCE_TO_EVADE_2 = 0x20000;
constexpr uint32_t ITEM_SPECIAL_REFLECT_DAMAGE_1 = 0x40000;
constexpr uint32_t ITEM_SPECIAL_REFLECT_DAMAGE_2 = 0x80000;
constexpr uint32_t ITEM_SPECIAL_RESIST_FIRE_1 = 0x100000;
constexpr uint32_t ITEM_SPECIAL_RESIST_ACID_1 = 0x200000;

// Item::action: what using or touching the item does.
enum ItemAction : int {
    ITEM_ACTION_NONE = 0,
    ITEM_ACTION_GIVE_ITEM = 1,  // a crate
    ITEM_ACTION_SALVAGE = 2,
    ITEM_ACTION_HEAL = 3,
    ITEM_ACTION_RECHARGE = 4,
    ITEM_ACTION_GIVE_ORE = 5,
    ITEM_ACTION_GIVE_FUEL = 6,
    ITEM_ACTION_GIVE_CREDITS = 7,
    ITEM_ACTION_GIVE_EXPERIENCE = 8,
    ITEM_ACTION_CLOAK = 9,
    ITEM_ACTION_GIVE_DETECTOR = 10,
    ITEM_ACTION_GIVE_MINE = 11,
    ITEM_ACTION_GIVE_FREEZE = 12,
    ITEM_ACTION_OBJECTIVE = 13,
    ITEM_ACTION_ATTACK = 14,
    ITEM_ACTION_MINE = 15,
    ITEM_ACTION_FREEZE = 16,
    ITEM_ACTION_EXPLODE = 17,
    ITEM_ACTION_JOURNAL = 18,
    ITEM_ACTION_DETECTOR = 19,
    ITEM_ACTION_ENRICH_ORE = 20,
    ITEM_ACTION_INSTANT_BUILD = 21,
};

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
class WeaponDef;
class Item;

// What a touched or used item reaches beyond itself: the player's bag (mechanics/Bag.h), which
// the world keeps and the bag window shows. A test listens by deriving and installing its own.
class ItemHooks {
public:
    virtual ~ItemHooks() = default;
    virtual bool IsInventoryFull();
    // Puts the item into the first free slot, or, when asked, pours it into a stack of its
    // kind: then the record is left with a stack count of 0 and stays the caller's to retire.
    // Otherwise the inventory owns it. False when it has no room.
    virtual bool AddToInventory(Item* item, bool merge);
};
// The answers in use: the world's own (the player's bag) until a test puts its own here.
extern ItemHooks* TheItemHooks;

// A random definition of the kind whose rarity passes one draw, not for the AI alone and of at
// most that buy level; null when none takes part.
Item* PickRandomWeighted(const PooledList<Item*>& list, int kind, int maximumLevel);
// A new random loot item (a weapon, an upgrade module or now and then a blueprint), not placed
// yet; null when the roll gives none.
Item* RollItemDrop();

class Item : public Entity {
public:
    Item();
    ~Item() override;

    // A held item is not in the world: it answers "not attached" only while it hangs on no
    // parent bone.
    bool IsAvailable() override { return IsNotAttached(); }
    bool IsNotAttached() const { return attachBone == nullptr; }

    // Once a frame: placing, spinning, and every 0.1 s the item's own action (a salvage
    // target healing when left alone, traps springing, a detector burning down).
    void Update() override;
    void Settle() override;
    // Uses an inventory item on a target of the player's: true when it was used (and one is
    // taken from its stack).
    bool ApplyUseEffect(Entity* target);
    // The item's lines of a scene file, or (profileMode) of a profile's inventory.
    void WriteToScene(FILE* file, bool profileMode);

    // The player touches the item (once a frame while the touch goes on): true when the touch
    // is over, false while it must go on (a salvage or an objective's countdown).
    bool OnTouch(Entity* toucher, float dt);

    // The item takes the free cells under its footprint into its chain of cells.
    void OccupyGridCells();

    // Takes a heap block (malloc'd) that the item frees when it goes.
    void AdoptBlock(void* block);
    // The name of the item's kind ("Pickup" .. "Storage").
    const char* GetActionName() const;
    // The damage bonus the item gives a weapon: its damage bonus when it carries the upgrade
    // for that weapon's type (lasers, missiles, electric, mortars, machine guns and flame
    // have one), else 0.
    float GetDamageBonus(const WeaponDef* weapon) const;
    // The grade: 0 inferior, 1 normal, 2 superior (a special, or a weapon's positive bonus).
    int GetState() const;
    // The money value; for a sale a stack is worth its count.
    int GetValue(bool forSale) const;

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
    float actionReset;  // the action timer's value at its last tick

private:
    // What touching a kind-1 item does, by its action.
    bool RunTouchAction(Entity* toucher, float dt, bool near);
    // One frame of a salvage: true once the item is salvaged and its loot dropped.
    bool Salvage(float dt);
    // A trap springs when an enemy unit steps near: true when it did (and is used up).
    bool SpringTrap();

    void* ownedBlock_ = nullptr;
};
