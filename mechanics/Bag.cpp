#include "mechanics/Bag.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "mechanics/GameMechanics.h"
#include "platform/SoundManager.h"
#include "world/AgentCombat.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

#include <climits>
#include <utility>

namespace {

void Sound(const char* name)
{
    if (SoundMgr && name) SoundMgr->PlaySound(name);
}

int PlayerLevel()
{
    const PlayerProfile* profile = GetPlayerProfile();
    return profile ? profile->level : 0;
}

bool Named(const Item* item, const char* name)
{
    return item && name && StrICmp(item->name, name) == 0;
}

}  // namespace

Bag* WorldBag()
{
    // Made once and kept: the items left in it at exit are still reachable, and no world is
    // torn down under them by the static destructors.
    static Bag* const own = new Bag;
    return own;
}

Bag* PlayerBag = WorldBag();

int AddStackCounts(int a, int b)
{
    long long sum = (long long)a + b;
    return sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : (int)sum;
}

bool IsStackable(const Item* item)
{
    return item && (item->itemFlags & ITEM_FLAG_STACKABLE) != 0;
}

Bag::~Bag()
{
    for (BagSlot& slot : slots) {
        delete slot.item;
        slot = BagSlot();
    }
    delete dragItem;
    dragItem = nullptr;
}

void Bag::SlotChanged(int) {}

void Bag::HandChanged() {}

int Bag::FindFreeSlot(bool skipHotbar) const
{
    for (int i = skipHotbar ? HOTBAR_SLOTS : 0; i < SLOT_COUNT; ++i)
        if (slots[i].kind == 0) return i;
    return -1;
}

bool Bag::IsFull() const
{
    return FindFreeSlot(false) < 0;
}

Item* Bag::FindItemByName(const char* name) const
{
    if (!name) return nullptr;
    for (const BagSlot& slot : slots)
        if (slot.kind == 1 && Named(slot.item, name)) return slot.item;
    return nullptr;
}

Item* Bag::FindItemByAction(int action) const
{
    for (const BagSlot& slot : slots)
        if (slot.kind == 1 && slot.item && slot.item->action == action) return slot.item;
    return nullptr;
}

Item* Bag::QuickSlotItem(int slot) const
{
    if (slot < 1 || slot > HOTBAR_SLOTS) return nullptr;
    const BagSlot& held = slots[slot - 1];
    return held.kind == 1 ? held.item : nullptr;
}

bool Bag::Holds(const Item* item) const
{
    if (!item) return false;
    for (const BagSlot& slot : slots)
        if (slot.item == item) return true;
    return false;
}

void Bag::Place(int slot, Item* item)
{
    slots[slot].kind = 1;
    slots[slot].item = item;
    SlotChanged(slot);
}

void Bag::EmptySlot(int slot, bool destroyItem)
{
    WORLD_CHANGE("an item moved out of the bag");
    BagSlot& s = slots[slot];
    if (destroyItem) delete s.item;
    s = BagSlot();
    SlotChanged(slot);
}

bool Bag::AddItem(Item* item, bool mergeStack, bool clone, int slot)
{
    if (!item) return false;
    WORLD_CHANGE("an item moved into the bag");
    if (mergeStack && IsStackable(item))
        for (BagSlot& s : slots)
            if (s.kind == 1 && Named(s.item, item->name)) {
                s.item->stackCount = AddStackCounts(s.item->stackCount, item->stackCount);
                RefreshSlot(s.item);
                return true;
            }
    int chosen;
    if (slot < 0 || slot >= SLOT_COUNT) {
        bool usable = item->kind == ITEM_KIND_ACTION;
        chosen = FindFreeSlot(!usable);
        if (chosen < 0 && !usable) chosen = FindFreeSlot(false);  // the hotbar as last resort
    } else {
        chosen = slots[slot].kind == 0 ? slot : FindFreeSlot(false);
    }
    if (chosen < 0) return false;
    Item* placed = item;
    if (clone) {
        placed = CreateItemByName(item->name);
        if (!placed) placed = CreateItemByName(item->name, item);  // an item the catalogue lacks
        if (!placed) return false;
    }
    Place(chosen, placed);
    return true;
}

bool Bag::PutAway(Item* item, bool mergeStack, int slot)
{
    if (!AddItem(item, mergeStack, false, slot)) return false;
    if (!Holds(item)) delete item;  // poured into a stack of its kind
    return true;
}

void Bag::RefreshSlot(Item* item)
{
    if (!item) return;
    for (int i = 0; i < SLOT_COUNT; ++i) {
        BagSlot& s = slots[i];
        if (s.kind != 1 || s.item != item) continue;
        if (item->stackCount < 1)
            EmptySlot(i, true);
        else
            SlotChanged(i);
        return;
    }
}

void Bag::Clear()
{
    for (int i = 0; i < SLOT_COUNT; ++i)
        if (slots[i].kind == 1 || slots[i].item) EmptySlot(i, true);
    if (dragItem) {
        WORLD_CHANGE("an item moved out of the hand");
        delete dragItem;
        dragItem = nullptr;
        HandChanged();
    }
}

Item* Bag::TakeOne(int slot, const char* name)
{
    if (!name) return nullptr;
    auto holds = [&](int i) { return i >= 0 && i < SLOT_COUNT && slots[i].kind == 1 && Named(slots[i].item, name); };
    if (!holds(slot)) {
        slot = -1;
        for (int i = 0; i < SLOT_COUNT && slot < 0; ++i)
            if (holds(i)) slot = i;
    }
    if (slot < 0) return nullptr;
    BagSlot& s = slots[slot];
    if (s.item->stackCount <= 1) {
        Item* item = s.item;
        EmptySlot(slot, false);
        return item;
    }
    Item* item = CreateItemByName(s.item->name, s.item);
    if (!item) return nullptr;
    item->stackCount = 1;
    s.item->stackCount -= 1;
    SlotChanged(slot);
    return item;
}

void Bag::Carry(Item* item)
{
    if (!item || dragItem) return;
    WORLD_CHANGE("an item moved into the hand");
    dragItem = item;
    HandChanged();
}

Item* Bag::TakeCarried()
{
    Item* item = dragItem;
    if (!item) return nullptr;
    WORLD_CHANGE("an item moved out of the hand");
    dragItem = nullptr;
    HandChanged();
    return item;
}

void Bag::TakeOver(Bag& other)
{
    if (&other == this) return;
    for (int i = 0; i < SLOT_COUNT; ++i) {
        if (!other.slots[i].item) continue;
        if (slots[i].item) delete slots[i].item;
        slots[i] = other.slots[i];
        other.slots[i] = BagSlot();
        other.SlotChanged(i);
        SlotChanged(i);
    }
    if (other.dragItem) {
        delete dragItem;
        dragItem = other.dragItem;
        other.dragItem = nullptr;
        other.HandChanged();
        HandChanged();
    }
}

bool Bag::MoveItem(int from, int to, int count, const char* name)
{
    if (from == FROM_THE_HAND) {
        // What the hand brought into the level, put into the bag where its kind goes.
        if (!Named(dragItem, name)) return false;
        Item* carried = dragItem;
        if (!AddItem(carried, true, false, -1)) return false;
        const bool placed = Holds(carried);
        TakeCarried();
        if (!placed) delete carried;  // poured into a stack of its kind
        return true;
    }
    if (from < 0 || from >= SLOT_COUNT || to < 0 || to >= SLOT_COUNT || from == to || !name) return false;
    BagSlot& a = slots[from];
    BagSlot& b = slots[to];
    if (a.kind != 1 || !Named(a.item, name)) return false;
    Item* item = a.item;
    const bool all = count <= 0 || count >= item->stackCount;
    const int moved = all ? item->stackCount : count;
    if (b.kind == 1 && b.item && IsStackable(item) && IsStackable(b.item) && Named(b.item, item->name)) {
        b.item->stackCount = AddStackCounts(b.item->stackCount, moved);
        item->stackCount -= moved;
        SlotChanged(to);
        RefreshSlot(item);
        return true;
    }
    if (!all) {
        if (b.kind == 1) return false;
        // The stack is split here, in the tick: the new item's number is the same in every play.
        Item* part = CreateItemByName(item->name, item);
        if (!part) return false;
        part->stackCount = moved;
        item->stackCount -= moved;
        SlotChanged(from);
        Place(to, part);
        return true;
    }
    std::swap(a, b);
    SlotChanged(from);
    SlotChanged(to);
    return true;
}

bool Bag::LearnPattern(int slot, const char* name)
{
    // The slot the order names, or else the first that holds a pattern of that name.
    if (slot < 0 || slot >= SLOT_COUNT || slots[slot].kind != 1 || !Named(slots[slot].item, name)) {
        slot = -1;
        for (int i = 0; i < SLOT_COUNT && slot < 0; ++i)
            if (slots[i].kind == 1 && Named(slots[i].item, name)) slot = i;
    }
    if (slot < 0) return false;
    Item* item = slots[slot].item;
    AgentType* unit = nullptr;
    BuildItem* building = nullptr;
    if (TheGame && item->kind == ITEM_KIND_UNIT && TheGame->agentTypes)
        unit = TheGame->agentTypes->FindType(item->patternName);
    if (TheGame && item->kind == ITEM_KIND_BUILDING && TheGame->buildItems)
        building = TheGame->buildItems->FindByName(item->patternName);
    if (!unit && !building) return false;
    int required = unit ? unit->buyLevel : building->buyLevel;
    if (PlayerLevel() < required) {
        TellPlayer("Insufficient level!", 2.0f);
        Sound("bad");
        return false;
    }
    bool learned = unit ? (unit->flags & AGENT_TYPE_OWNED) != 0 : (building->flags & BUILD_MARKED) != 0;
    if (learned) {
        TellPlayer("You already have this pattern in your database!", 2.0f);
        Sound("bad");
        return false;
    }
    if (unit)
        unit->flags |= AGENT_TYPE_OWNED;
    else
        building->flags |= BUILD_MARKED;
    Sound("levelup");
    EmptySlot(slot, true);
    return true;
}

void Bag::DropItem(const char* name, int slot)
{
    Item* item = nullptr;
    if (Named(dragItem, name)) {
        // A stack in the hand is put down whole or not at all.
        if (dragItem->stackCount != 1) {
            Sound("bad");
            return;
        }
        item = TakeCarried();
        Sound("dropitem");
    } else {
        item = TakeOne(slot, name);
    }
    if (!item) return;
    if (PlaceItemBesideRig(item)) return;
    // A level that refuses it leaves it back in the bag, or in the hand, rather than losing it.
    if (PutAway(item, true, slot)) return;
    if (!dragItem) {
        Carry(item);
        return;
    }
    Log("ERROR: the item %s has no place left in the bag and is lost\n", item->name);
    delete item;
}
