#pragma once
// The player's bag: a grid of 6 x 6 item slots on a panel of the character screen, whose
// first four cells are the hotbar. Items are picked up with the left button and carried under
// the pointer (Shift splits one off a stack), put down on a slot (placed, swapped or merged),
// used or learned (patterns) with the right button; hovering a filled slot shows the item's
// tooltip, which the character screen shows for the rig's weapons and modules too.
//
// The items are the world's bag (mechanics/Bag.h), which this window is: it takes the world's
// bag's place when it is made, shows each slot as the bag tells it changed, and owns the slots'
// widgets and the carried one. When it goes, its items go with it.
//
// In a level the bag is the rig's in play, and the world changes only in a tick: there the hand
// carries no item. It holds a slot (all of it, or one of its stack) and shows its picture under
// the pointer; the item stays in its slot, where the world's orders find it, until an order
// given by the press that puts it down moves it (ORDER_MOVE_ITEM, ORDER_DROP_ITEM,
// ORDER_FIT_PART). Between levels, with no world ticking, the hand carries the item itself.
#include "mechanics/Bag.h"

#include <cstdint>
#include <string>

class Button;
class Item;
class Sprite;
class Window;

// A slot's buttons: the slot itself, and the picture of the item in it with its count.
struct InventoryCell {
    Button* itemWidget = nullptr;
    Button* slotButton = nullptr;
    const Item* shown = nullptr;  // the item the picture is of
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

class Inventory : public Bag {
public:
    Inventory();
    ~Inventory() override;
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    // The panel with its slot buttons and the hotbar strip, registered with the window
    // manager.
    void Build();
    // The slot under a point (screen coordinates unless panelRelative); -1 off the grid.
    int HitTest(int x, int y, bool panelRelative) const;
    void UpdateSlotHighlights();
    // Every slot emptied (its items destroyed) and the hand too.
    void Clear() override;
    // The carried item handed to the world when it is a single one; null (and "bad") for a
    // stack or an empty hand. The carried widget is freed.
    Item* DropDraggedItem();
    // One item of that name handed to the world to be put down: the carried one, or else one
    // taken out of its slot (split off a stack). Null when the bag holds none.
    Item* TakeToDrop(const char* name);
    // The same without a sound: one item of that name out of the hand or the bag, or null.
    Item* TakeNamed(const char* name);
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

    void UpdateHover(int x, int y);
    void DrawDraggedItem();
    // Draws the item's tooltip with its top-left corner at (x, *y); *y moves past it.
    void DrawItemTooltip(Item* item, int x, int* y);

    Window* panel = nullptr;
    Button* dragWidget = nullptr;  // the carried item's picture
    int columns = COLUMNS;
    int rows = ROWS;
    InventoryCell cells[SLOT_COUNT];
    int cellWidth = 32;
    int cellHeight = 32;
    int margin = 0;
    int topOffset = 0;
    Sprite* tooltipFrame = nullptr;
    Sprite* tooltipFill = nullptr;
    Sprite* tooltipIcon = nullptr;

protected:
    void SlotChanged(int slot) override;
    void HandChanged() override;

private:
    Button* MakeItemWidget(Item* item, int slot);
    void Tint(int slot);
    void SlotPosition(int slot, int* x, int* y) const;
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
