// The player's bag as the world keeps it, with no window to show it: the bag's order moves an
// item between its slots (placed, split, merged, swapped, or refused), a stack used up leaves,
// and what the hand brought into the level is put away where its kind goes.
#include "mechanics/Bag.h"
#include "world/Item.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

Item* MakeItem(const char* name, int stack, bool stackable)
{
    Item* item = new Item();
    snprintf(item->name, sizeof item->name, "%s", name);
    item->kind = ITEM_KIND_PICKUP;
    item->stackCount = stack;
    if (stackable) item->itemFlags |= ITEM_FLAG_STACKABLE;
    return item;
}

// What a slot shows: "" empty, else "name x count".
std::string Shown(const Bag& bag, int slot)
{
    const Item* item = bag.slots[slot].item;
    return item ? std::string(item->name) + " x" + std::to_string(item->stackCount) : "";
}

TEST(Bag, TheMoveOrderPlacesSplitsMergesSwapsOrRefuses)
{
    struct Case {
        const char* what;
        int from, to, count;
        const char* name;
        bool moved;
        const char* fromAfter;
        const char* toAfter;
    };
    // Slot 4 holds 5 kits, slot 5 2 kits, slot 6 a rock; 7 is empty.
    const Case cases[] = {
        {"all of a stack onto an empty slot", 4, 7, 0, "kit", true, "", "kit x5"},
        {"two off a stack onto an empty slot", 4, 7, 2, "kit", true, "kit x3", "kit x2"},
        {"a stack onto its kind", 4, 5, 0, "kit", true, "", "kit x7"},
        {"a part onto its kind", 4, 5, 1, "kit", true, "kit x4", "kit x3"},
        {"a whole stack swapped with another item", 4, 6, 0, "kit", true, "rock x1", "kit x5"},
        {"a part cannot be swapped", 4, 6, 2, "kit", false, "kit x5", "rock x1"},
        {"the slot no longer holds what was named", 4, 7, 0, "rock", false, "kit x5", ""},
        {"onto itself", 4, 4, 0, "kit", false, "kit x5", "kit x5"},
        {"from a slot off the bag", 99, 7, 0, "kit", false, "", ""},
    };
    for (const Case& c : cases) {
        Bag bag;
        ASSERT_TRUE(bag.AddItem(MakeItem("kit", 5, true), false, false, 4));
        ASSERT_TRUE(bag.AddItem(MakeItem("kit", 2, true), false, false, 5));
        ASSERT_TRUE(bag.AddItem(MakeItem("rock", 1, false), false, false, 6));
        EXPECT_EQ(bag.MoveItem(c.from, c.to, c.count, c.name), c.moved) << c.what;
        if (c.from < Bag::SLOT_COUNT) {
            EXPECT_EQ(Shown(bag, c.from), c.fromAfter) << c.what;
        }
        EXPECT_EQ(Shown(bag, c.to), c.toAfter) << c.what;
    }
}

TEST(Bag, AUsedUpStackLeavesAndTheHandsItemIsPutAway)
{
    Bag bag;
    Item* kits = MakeItem("kit", 1, true);
    ASSERT_TRUE(bag.AddItem(kits, false, false, -1));
    EXPECT_EQ(bag.FindFreeSlot(false), 0) << "a pickup keeps the quick slots free";
    EXPECT_EQ(bag.FindItemByName("KIT"), kits);
    kits->stackCount = 0;
    bag.RefreshSlot(kits);
    EXPECT_EQ(bag.FindItemByName("kit"), nullptr) << "used up, it left the bag";

    ASSERT_TRUE(bag.AddItem(MakeItem("kit", 3, true), false, false, 8));
    bag.Carry(MakeItem("kit", 2, true));
    EXPECT_FALSE(bag.MoveItem(Bag::FROM_THE_HAND, 0, 0, "rock")) << "the hand carries no rock";
    EXPECT_TRUE(bag.MoveItem(Bag::FROM_THE_HAND, 0, 0, "kit"));
    EXPECT_EQ(bag.dragItem, nullptr);
    EXPECT_EQ(Shown(bag, 8), "kit x5") << "poured into the stack of its kind";

    Item* one = bag.TakeOne(-1, "kit");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->stackCount, 1);
    EXPECT_EQ(Shown(bag, 8), "kit x4");
    delete one;
}

}  // namespace
