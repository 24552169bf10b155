#pragma once
// The player's bag: a grid of 6 x 6 item slots on a panel of the character screen, whose
// first four cells are the hotbar. Items are picked up with the left button and carried under
// the pointer (Shift splits one off a stack), put down on a slot (placed, swapped or merged),
// used or learned (patterns) with the right button; hovering a filled slot shows the item's
// tooltip, which the character screen shows for the rig's weapons and modules too.
//
// Ownership: the grid owns the items in its slots and their widgets, the drag owns what it
// carries. An item that leaves the game (consumed, merged into a stack, learned) is destroyed
// with its widget; one handed out (DropDraggedItem) becomes the caller's.
//
// In a level the bag is the rig's in play, and the world changes only in a tick: there the hand
// carries no item. It holds a slot (all of it, or one of its stack) and shows its picture under
// the pointer; the item stays in its slot, where the world's orders find it, until an order
// given by the press that puts it down moves it (ORDER_MOVE_ITEM, ORDER_DROP_ITEM,
// ORDER_FIT_PART). Between levels, with no world ticking, the hand carries the item itself.
#include <cstdint>
#include <string>

class Button;
class Item;
class Sprite;
class Window;

struct InventorySlot {
    int kind = 0;  // 0 empty, 1 holds an item
    Item* item = nullptr;
    Button* itemWidget = nullptr;
    Button* slotButton = nullptr;
};

// What a tooltip says and in which colours, measured and drawn by DrawItemTooltip.
struct ItemTooltipText {
    std::string title;
    std::string kindLine;
    std::string stats;  // "" when the item has no stats or special lines
    int statLines = 0;
    std::string patternLine;  // patterns only
    std::string valueLine;
    float titleColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float kindColour[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    int level = 0;  // the level the kind line shows
};

class Inventory {
public:
    static constexpr int COLUMNS = 6;
    static constexpr int ROWS = 6;
    static constexpr int SLOT_COUNT = COLUMNS * ROWS;
    static constexpr int HOTBAR_SLOTS = 4;

    Inventory();
    ~Inventory();
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    // The panel with its slot buttons and the hotbar strip, registered with the window
    // manager.
    void Build();
    // The slot under a point (screen coordinates unless panelRelative); -1 off the grid.
    int HitTest(int x, int y, bool panelRelative) const;
    // The first empty slot (from the fifth with skipHotbar); -1 when none.
    int FindFreeSlot(bool skipHotbar) const;
    bool IsFull() const;
    // The first item of that name, compared without regard to case.
    Item* FindItemByName(const char* name) const;
    // Puts an item in the grid: merged into a stack of the same name (mergeStack), or a copy
    // of it (clone), in the slot given or the first one its kind prefers. False, with the item
    // still the caller's, when there is no room. A merged or cloned item stays the caller's too.
    bool AddItem(Item* item, bool mergeStack, bool clone, int slot);
    // Shows the item's stack count again; a stack used up leaves its slot and is destroyed.
    void RefreshSlot(Item* item);
    void UpdateSlotHighlights();
    // Every slot emptied (its items destroyed) and the hand too.
    void Clear();
    // The carried item handed to the world when it is a single one; null (and "bad") for a
    // stack or an empty hand. The carried widget is freed.
    Item* DropDraggedItem();
    // One item of that name handed to the world to be put down: the carried one, or else one
    // taken out of its slot (split off a stack). Null when the bag holds none.
    Item* TakeToDrop(const char* name);
    // The same without a sound: one item of that name out of the hand or the bag, or null.
    Item* TakeNamed(const char* name);
    // The pattern of that name learnt out of the slot (or, moved since, the first slot holding
    // it): refused, with a message, below its level or when already known. True when learnt;
    // the pattern leaves the bag.
    bool LearnPattern(int slot, const char* name);
    // Puts an item into the hand, under a new carried widget (the hand must be empty); the
    // hand owns it from now on. Null does nothing.
    void Carry(Item* item);
    // Empties the hand without a sound: the carried widget is freed and the item, no longer the
    // hand's, is returned (null when nothing is carried).
    Item* TakeCarried();
    // A press on a slot: a drag action (pick up, split, place, merge, swap) or, with the right
    // button and no Ctrl, a use or a pattern learned.
    void PressSlot(int slot, bool rightButton, bool ctrl, bool shift);

    // The hand in a level: the slot it holds (-1: none) and how many of its stack (0: all).
    int HeldSlot() const { return heldSlot_; }
    int HeldCount() const { return heldCount_; }
    // The item of the held slot, as the world has it; null when the hand holds none.
    Item* HeldItem() const;
    // The hand takes the slot (count 0: all of it) or lets it go; the world is not touched.
    void Hold(int slot, int count);
    void Release();
    // What the hand shows: the carried item between levels, the held one in a level.
    Item* InHand() const { return dragItem ? dragItem : HeldItem(); }
    // The world's side of ORDER_MOVE_ITEM: `count` (0: all) of the item `name` in slot `from` put
    // on slot `to`: placed, merged into a stack of its name, or (all of it) swapped with what
    // lies there. False, nothing moved, when `from` no longer holds it or the move cannot be.
    // From FROM_THE_HAND: what the hand carried into the level, put where its kind goes.
    static constexpr int FROM_THE_HAND = 0xff;
    bool MoveItem(int from, int to, int count, const char* name);
    // One item of that name out of that slot (one split off its stack), or else out of the
    // first slot that holds one; null when the bag holds none.
    Item* TakeOne(int slot, const char* name);
    // The first item that does that (ITEM_ACTION_), or null.
    Item* FindItemByAction(int action) const;

    void UpdateHover(int x, int y);
    void DrawDraggedItem();
    // Draws the item's tooltip with its top-left corner at (x, *y); *y moves past it.
    void DrawItemTooltip(Item* item, int x, int* y);

    Window* panel = nullptr;
    Button* dragWidget = nullptr;
    Item* dragItem = nullptr;
    int columns = COLUMNS;
    int rows = ROWS;
    InventorySlot slots[SLOT_COUNT];
    int cellWidth = 32;
    int cellHeight = 32;
    int margin = 0;
    int topOffset = 0;
    Sprite* tooltipFrame = nullptr;
    Sprite* tooltipFill = nullptr;
    Sprite* tooltipIcon = nullptr;

private:
    Button* MakeItemWidget(Item* item, int slot);
    void Tint(int slot);
    void EmptySlot(int slot, bool destroyItem);
    void SlotPosition(int slot, int* x, int* y) const;
    void ClearDrag(bool destroy);
    void UseSlot(int slot);
    void PressSlotInLevel(int slot, bool shift);
    void HoldShowing(int slot, int count, const Item* picture);
    // Each slot's picture as the hand leaves it: the held slot's hidden, or its count less
    // what the hand holds of it.
    void ShowSlots();
    // The hand let go of what the world took away from its slot meanwhile.
    void CheckHeld();
    Button* hotbarStrip_ = nullptr;
    int heldSlot_ = -1;
    int heldCount_ = 0;
    std::string heldName_;
    Button* heldWidget_ = nullptr;
};

// The bag of the character screen; null until the front end builds it.
extern Inventory* PlayerInventory;

// 2 when the player's level is below the item's, 1 for an enhanced item, else 0.
int GetItemUsability(const Item* item);
// The item's grade: 0 poor, 1 normal, 2 enhanced.
int GetItemState(const Item* item);
// The item's worth in credits; forSale counts a whole stack.
int GetItemValue(const Item* item, bool forSale);
// The texts and colours of an item's tooltip for a player of that level.
void BuildItemTooltip(const Item* item, int playerLevel, ItemTooltipText* out);
// The press callback of every slot button.
int OnInventorySlotPressed(void* user, Button* button);
