#pragma once
// The item catalogue: every item of the game (weapons, upgrade modules, blueprints, usable
// kits, crates and cannisters, traps, rocks) as a definition read from data/scripts/items.cgs.
// A definition is an Item itself; what lies on the ground, sits in the inventory or is sold in
// the shop is a copy of one (CreateItemByName). The unit types equip their prototypes with
// copies of the weapons found here, so the catalogue is read before them.
#include "host/Maths.h"
#include "platform/PooledList.h"

class Item;

constexpr int MAX_ITEM_DEFINITIONS = 128;
constexpr const char* ITEMS_SCRIPT = "data/scripts/items.cgs";

class ItemList {
public:
    // An empty catalogue.
    ItemList();
    ~ItemList();
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;

    // Reads an item script (null: the game's) and appends its definitions in file order.
    // False when it cannot be opened; the catalogue then stays as it was.
    bool ReadItemsScript(const char* path = nullptr);
    // The first definition of that name, compared without regard to case; null for an empty
    // name.
    Item* FindByName(const char* name) const;

    PooledList<Item*> items;
};

// A new item copied from a definition (looked up by name in the game's catalogue when
// definition is null); null when there is none. The copy carries its own weapon and, for a
// skinned mesh, its own mesh; it is not placed yet.
Item* CreateItemByName(const char* name, const Item* definition = nullptr);
// A copy of the named definition standing at position in the level; null when there is no
// such item or the level refuses it.
Item* SpawnItemAt(const char* name, const Vec3& position);
