#pragma once
// The player's bag as the world keeps it: 6 x 6 item slots, of which the first four are the
// quick slots, and the item the hand carried into the level. The rules read it (the quick
// slots' items, a mine to lay, the checksum) and the orders change it in a tick (an item moved,
// a pattern learnt, one put down beside the rig, a part fitted to the rig); it holds what the
// profile's items were when the level began, whether or not a window shows it.
//
// Ownership: the bag owns the items in its slots and the one the hand carries. An item that
// leaves the game (used up, merged into a stack, learnt) is destroyed; one taken out
// (TakeOne, TakeCarried) becomes the caller's.
//
// The bag window (interface/Inventory.h) is a bag that also shows itself: it takes the place
// of the world's own when it is made, with whatever that held, and is told of every slot that
// changes.

class Item;

struct BagSlot {
    int kind = 0;  // 0 empty, 1 holds an item
    Item* item = nullptr;
};

class Bag {
public:
    static constexpr int COLUMNS = 6;
    static constexpr int ROWS = 6;
    static constexpr int SLOT_COUNT = COLUMNS * ROWS;
    static constexpr int HOTBAR_SLOTS = 4;
    // The source slot of ORDER_MOVE_ITEM that names the hand's item.
    static constexpr int FROM_THE_HAND = 0xff;

    Bag() = default;
    virtual ~Bag();
    Bag(const Bag&) = delete;
    Bag& operator=(const Bag&) = delete;

    // The first empty slot (from the fifth with skipHotbar); -1 when none.
    int FindFreeSlot(bool skipHotbar) const;
    bool IsFull() const;
    // The first item of that name, compared without regard to case; the first that does that
    // (ITEM_ACTION_); the item of a quick slot (1 to 4). Null when none.
    Item* FindItemByName(const char* name) const;
    Item* FindItemByAction(int action) const;
    Item* QuickSlotItem(int slot) const;
    // Whether the item lies in a slot of the bag.
    bool Holds(const Item* item) const;

    // Puts an item in the grid: merged into a stack of the same name (mergeStack), or a copy
    // of it (clone), in the slot given or the first one its kind prefers. False, with the item
    // still the caller's, when there is no room. A merged or cloned item stays the caller's too.
    bool AddItem(Item* item, bool mergeStack, bool clone, int slot);
    // The same for an item that is the caller's to give away: it is the bag's when this is
    // true (destroyed when poured into a stack of its kind), and still the caller's when not.
    bool PutAway(Item* item, bool mergeStack, int slot);
    // The slot of the item shows its stack again; a stack used up leaves its slot and is
    // destroyed.
    void RefreshSlot(Item* item);
    // Every slot emptied (its items destroyed) and the hand too.
    virtual void Clear();
    // One item of that name out of that slot (one split off its stack), or else out of the
    // first slot that holds one; null when the bag holds none.
    Item* TakeOne(int slot, const char* name);

    // The hand's item, between levels or carried into one: put there (an empty hand only; the
    // hand owns it from now on), and taken back (null when it carries none).
    void Carry(Item* item);
    Item* TakeCarried();

    // ORDER_MOVE_ITEM: `count` (0: all) of the item `name` in slot `from` put on slot `to`:
    // placed, merged into a stack of its name, or (all of it) swapped with what lies there.
    // From FROM_THE_HAND: what the hand carried into the level, put where its kind goes. False,
    // nothing moved, when `from` no longer holds it or the move cannot be.
    bool MoveItem(int from, int to, int count, const char* name);
    // ORDER_LEARN_PATTERN: the pattern of that name learnt out of the slot (or, moved since, the
    // first slot holding it): refused, with a message, below its level or when already known.
    // True when learnt; the pattern leaves the bag.
    bool LearnPattern(int slot, const char* name);
    // ORDER_DROP_ITEM: one item of that name put down beside the rig, out of the hand or out of
    // that slot. A level that refuses it leaves it where it was.
    void DropItem(const char* name, int slot);

    BagSlot slots[SLOT_COUNT];
    Item* dragItem = nullptr;  // what the hand carries

protected:
    // The slot's item or its count changed; the hand's item changed.
    virtual void SlotChanged(int slot);
    virtual void HandChanged();
    // The slot emptied, its item destroyed or left to the caller.
    void EmptySlot(int slot, bool destroyItem);
    // The item laid in an empty slot.
    void Place(int slot, Item* item);
    // Everything the other bag holds is this one's now; it is left empty.
    void TakeOver(Bag& other);
};

// The bag the world plays with: its own until the bag window takes its place.
extern Bag* PlayerBag;
// The world's own bag, which the window hands its items back to when it goes.
Bag* WorldBag();

// Stack counts added without running past what a count holds (a profile file may say anything).
int AddStackCounts(int a, int b);
bool IsStackable(const Item* item);
