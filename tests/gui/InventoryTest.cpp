// The inventory grid: where items land, stacks merged, split, placed, swapped and dropped, the
// hotbar, patterns learned, and the tooltip's texts and colours.
#include "interface/PlayerGame.h"
#include "mechanics/OrderQueue.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "host/InputKeys.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "platform/Timer.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/Scoped.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

Item* MakeItem(const char* name, int kind, int stack = 1, bool stackable = false)
{
    Item* item = new Item();
    snprintf(item->name, sizeof item->name, "%s", name);
    item->kind = kind;
    item->stackCount = stack;
    if (stackable) item->itemFlags |= ITEM_FLAG_STACKABLE;
    return item;
}

class InventoryTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        inventory = new Inventory();
        game.CreateCatalogues();
    }
    void TearDown() override
    {
        delete inventory;
        GuiTest::TearDown();
    }
    // Fills every slot from first to last with a plain pickup.
    void FillSlots(int first, int last)
    {
        for (int i = first; i <= last; ++i) ASSERT_TRUE(inventory->AddItem(MakeItem("rock", ITEM_KIND_PICKUP), false, false, i));
    }
    Item* At(int slot) { return inventory->slots[slot].item; }
    // The next tick of the world, as the game's loop runs it: the orders given since the last
    // one carried out, then the world's rules for a tick.
    static void NextTick() { TheGame->RunWorldTick(WorldClock::TICK); }

    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    Inventory* inventory = nullptr;
};

}  // namespace

// The window is the world's bag shown: what the world's own bag held before the window was made
// is the window's, a change the world makes to a slot (an order's move, a stack used up) shows on
// the slot's cell, and when the window goes its items go with it and the world plays on with an
// empty bag of its own.
TEST_F(InventoryTest, TheWindowShowsTheWorldsBag)
{
    delete inventory;
    inventory = nullptr;
    ASSERT_EQ(PlayerBag, WorldBag());
    ASSERT_TRUE(WorldBag()->AddItem(MakeItem("kit", ITEM_KIND_PICKUP, 3, true), false, false, 6));
    inventory = new Inventory();
    EXPECT_EQ(PlayerBag, inventory);
    EXPECT_EQ(WorldBag()->slots[6].item, nullptr) << "the window took the world's items";
    ASSERT_NE(At(6), nullptr);
    ASSERT_NE(inventory->cells[6].itemWidget, nullptr);
    EXPECT_STREQ(inventory->cells[6].itemWidget->text, "3");

    ASSERT_TRUE(PlayerBag->MoveItem(6, 9, 1, "kit"));
    EXPECT_STREQ(inventory->cells[6].itemWidget->text, "2");
    ASSERT_NE(inventory->cells[9].itemWidget, nullptr);
    EXPECT_STREQ(inventory->cells[9].itemWidget->text, "1");
    EXPECT_EQ(inventory->cells[9].itemWidget->parent, inventory->panel);
    At(9)->stackCount = 0;
    PlayerBag->RefreshSlot(At(9));
    EXPECT_EQ(At(9), nullptr);
    EXPECT_EQ(inventory->cells[9].itemWidget, nullptr) << "the used-up stack's picture went with it";

    delete inventory;
    inventory = nullptr;
    EXPECT_EQ(PlayerBag, WorldBag());
    EXPECT_EQ(WorldBag()->FindItemByName("kit"), nullptr) << "the window's items went with it";
    inventory = new Inventory();
}

TEST_F(InventoryTest, ItemsLandWhereTheirKindPrefers)
{
    Item* kit = MakeItem("repair_kit", ITEM_KIND_ACTION);
    ASSERT_TRUE(inventory->AddItem(kit, false, false, -1));
    EXPECT_EQ(At(0), kit) << "a usable item goes into the hotbar";
    Item* gun = MakeItem("machinegun", ITEM_KIND_WEAPON);
    ASSERT_TRUE(inventory->AddItem(gun, false, false, -1));
    EXPECT_EQ(At(4), gun) << "anything else keeps out of the hotbar";
    EXPECT_EQ(inventory->FindItemByName("MACHINEGUN"), gun);
    EXPECT_EQ(inventory->FindFreeSlot(false), 1);
    EXPECT_EQ(inventory->FindFreeSlot(true), 5);

    FillSlots(5, Inventory::SLOT_COUNT - 1);
    Item* laser = MakeItem("laser_cutter", ITEM_KIND_WEAPON);
    ASSERT_TRUE(inventory->AddItem(laser, false, false, -1));
    EXPECT_EQ(At(1), laser) << "the hotbar is the last resort";
    // An occupied slot asked for falls back to the first empty one.
    Item* second = MakeItem("second", ITEM_KIND_WEAPON);
    ASSERT_TRUE(inventory->AddItem(second, false, false, 4));
    EXPECT_EQ(At(2), second);
    ASSERT_TRUE(inventory->AddItem(MakeItem("third", ITEM_KIND_PICKUP), false, false, -1));
    EXPECT_TRUE(inventory->IsFull());
    Item* refused = MakeItem("refused", ITEM_KIND_WEAPON);
    EXPECT_FALSE(inventory->AddItem(refused, false, false, -1)) << "a full grid leaves the item with the caller";
    EXPECT_FALSE(inventory->AddItem(refused, false, false, 7));
    delete refused;
    EXPECT_FALSE(inventory->AddItem(nullptr, false, false, -1));

    // A stack of the same name, in any letter case, takes a stackable item even when full.
    inventory->Clear();
    Item* cells = MakeItem("shield_cell", ITEM_KIND_ACTION, 2, true);
    ASSERT_TRUE(inventory->AddItem(cells, false, false, 9));
    FillSlots(0, 8);
    FillSlots(10, Inventory::SLOT_COUNT - 1);
    Item* more = MakeItem("SHIELD_CELL", ITEM_KIND_ACTION, 3, true);
    ASSERT_TRUE(inventory->AddItem(more, true, false, -1));
    EXPECT_EQ(cells->stackCount, 5);
    EXPECT_STREQ(inventory->cells[9].itemWidget->text, "5");
    delete more;  // merged: still the caller's
}

TEST_F(InventoryTest, DraggingSplitsPlacesMergesAndSwaps)
{
    Item* stack = MakeItem("repair_kit", ITEM_KIND_ACTION, 5, true);
    ASSERT_TRUE(inventory->AddItem(stack, false, false, 6));

    // Shift on a stack of 5 leaves 4 and carries 1.
    inventory->PressSlot(6, false, false, true);
    ASSERT_NE(inventory->dragItem, nullptr);
    EXPECT_EQ(inventory->dragItem->stackCount, 1);
    EXPECT_STRNE(inventory->dragItem->name, "");
    EXPECT_EQ(stack->stackCount, 4);
    EXPECT_STREQ(inventory->cells[6].itemWidget->text, "4");
    EXPECT_STREQ(inventory->dragWidget->text, "1");

    // Put down on an empty slot.
    Item* single = inventory->dragItem;
    inventory->PressSlot(10, false, false, false);
    EXPECT_EQ(inventory->dragItem, nullptr);
    EXPECT_EQ(At(10), single);
    EXPECT_EQ(inventory->cells[10].itemWidget->parent, inventory->panel);

    // Shift on a stack of 1 carries the whole slot.
    inventory->PressSlot(10, false, false, true);
    EXPECT_EQ(inventory->dragItem, single);
    EXPECT_EQ(At(10), nullptr);
    EXPECT_EQ(inventory->slots[10].kind, 0);
    EXPECT_EQ(inventory->dragWidget->parent, nullptr) << "the carried widget leaves the panel";

    // Dropped on its own stack: 4 + 1 and an empty hand.
    inventory->PressSlot(6, false, false, false);
    EXPECT_EQ(stack->stackCount, 5);
    EXPECT_EQ(inventory->dragItem, nullptr);
    EXPECT_EQ(inventory->dragWidget, nullptr);

    // 3 carried onto 2 of the same name make 5.
    Item* two = MakeItem("mine", ITEM_KIND_ACTION, 2, true);
    Item* three = MakeItem("mine", ITEM_KIND_ACTION, 3, true);
    ASSERT_TRUE(inventory->AddItem(two, false, false, 12));
    ASSERT_TRUE(inventory->AddItem(three, false, false, 13));
    inventory->PressSlot(13, false, false, false);
    inventory->PressSlot(12, false, false, false);
    EXPECT_EQ(two->stackCount, 5);
    EXPECT_EQ(inventory->slots[13].kind, 0);
    EXPECT_EQ(inventory->dragItem, nullptr);

    // Onto a different item they swap: the hand carries the former slot item.
    Item* gun = MakeItem("machinegun", ITEM_KIND_WEAPON);
    ASSERT_TRUE(inventory->AddItem(gun, false, false, 20));
    inventory->PressSlot(20, false, false, false);
    ASSERT_EQ(inventory->dragItem, gun);
    inventory->PressSlot(12, false, false, false);
    EXPECT_EQ(At(12), gun);
    EXPECT_EQ(inventory->dragItem, two);
    EXPECT_EQ(inventory->dragWidget->parent, nullptr);

    // A carried stack may not leave for the world; a single item may, with its widget freed.
    EXPECT_EQ(inventory->DropDraggedItem(), nullptr);
    EXPECT_EQ(inventory->dragItem, two) << "the stack stays in the hand";
    inventory->PressSlot(30, false, false, false);  // the stack put down
    inventory->PressSlot(12, false, false, false);  // and the gun picked up again
    ASSERT_EQ(inventory->dragItem, gun);
    Item* dropped = inventory->DropDraggedItem();
    EXPECT_EQ(dropped, gun);
    EXPECT_EQ(inventory->dragItem, nullptr);
    EXPECT_EQ(inventory->dragWidget, nullptr);
    delete dropped;
    EXPECT_EQ(inventory->DropDraggedItem(), nullptr) << "nothing carried";
}

TEST_F(InventoryTest, APressOnASlotButtonReadsShiftAndTheRightButton)
{
    Item* stack = MakeItem("repair_kit", ITEM_KIND_ACTION, 5, true);
    ASSERT_TRUE(inventory->AddItem(stack, false, false, 7));
    inventory->panel->SetVisible(true);
    ScopedGlobal<KeyboardDevice*> keys(Input.keyboard, &keyboard);
    keyboard.state[DIK_LSHIFT] = 0x80;
    int x, y;
    inventory->cells[7].slotButton->GetScreenPosition(&x, &y);
    Click(x + 3, y + 3);
    keyboard.state[DIK_LSHIFT] = 0;
    ASSERT_NE(inventory->dragItem, nullptr);
    EXPECT_EQ(stack->stackCount, 4);
    EXPECT_EQ(inventory->HitTest(x + 3, y + 3, false), 7);
    EXPECT_EQ(inventory->HitTest(-5, y, false), -1);
}

TEST_F(InventoryTest, PatternsAreLearnedOnceAndOnlyAtTheirLevel)
{
    Agent* prototype = game.agentTypes->TakeFreeAgent();
    ASSERT_NE(prototype, nullptr);
    AgentType* type = game.agentTypes->DefineType(prototype, "rocket_bot");
    ASSERT_NE(type, nullptr);
    type->buyLevel = 2;
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<int> level(profile->level, 1);

    Item* pattern = MakeItem("unitpattern", ITEM_KIND_UNIT);
    snprintf(pattern->patternName, sizeof pattern->patternName, "rocket_bot");
    ASSERT_TRUE(inventory->AddItem(pattern, false, false, 5));
    // A press orders the pattern learnt; the world learns it from the bag at the next tick.
    auto pressAndTick = [this] {
        TheOrders.Clear();
        inventory->PressSlot(5, true, false, false);
        const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
        ASSERT_EQ(given.size(), 1u);
        EXPECT_EQ(given[0].kind, ORDER_LEARN_PATTERN);
        EXPECT_EQ(given[0].args[0], 5);
        EXPECT_EQ(given[0].text, "unitpattern");
        EXPECT_EQ(inventory->slots[5].kind, 1) << "nothing before the next tick";
        inventory->LearnPattern(given[0].args[0], given[0].text.c_str());
    };
    pressAndTick();
    EXPECT_EQ(At(5), pattern) << "too low a level: kept";
    ASSERT_NE(game.messageBar->Newest(), nullptr);
    EXPECT_STREQ(game.messageBar->Newest()->text, "Insufficient level!");
    EXPECT_FALSE(type->flags & AGENT_TYPE_OWNED);

    profile->level = 2;
    pressAndTick();
    EXPECT_TRUE(type->flags & AGENT_TYPE_OWNED);
    EXPECT_EQ(inventory->slots[5].kind, 0) << "a learned pattern is used up";

    Item* again = MakeItem("unitpattern", ITEM_KIND_UNIT);
    snprintf(again->patternName, sizeof again->patternName, "rocket_bot");
    ASSERT_TRUE(inventory->AddItem(again, false, false, 5));
    pressAndTick();
    EXPECT_EQ(At(5), again);
    EXPECT_STREQ(game.messageBar->Newest()->text, "You already have this pattern in your database!");
    // With Ctrl the right button drags instead.
    inventory->PressSlot(5, true, true, false);
    EXPECT_EQ(inventory->dragItem, again);
}

TEST_F(InventoryTest, TooltipTextsAndColours)
{
    struct Case {
        int kind;
        uint32_t upgrade, special;
        float damageBonus;
        const char* title;  // "white", "orange", "blue", "teal", "grey", "yellow"
    } cases[] = {
        {ITEM_KIND_WEAPON, 0x1, 0x3, 0.0f, "orange"},  // two special bits and one upgrade bit
        {ITEM_KIND_WEAPON, 0, 0x1, 0.0f, "teal"},
        {ITEM_KIND_WEAPON, 0x3, 0, 0.0f, "blue"},
        {ITEM_KIND_WEAPON, 0, 0, 0.0f, "white"},
        {ITEM_KIND_UPGRADE, 0x1, 0x1, 0.0f, "blue"},
        {ITEM_KIND_UPGRADE, 0x1, 0x3, 0.0f, "orange"},
        {ITEM_KIND_UPGRADE, 0x1, 0, 0.0f, "white"},
    };
    auto named = [](const float* c) -> std::string {
        if (c[0] == 1.0f && c[1] == 1.0f && c[2] == 1.0f) return "white";
        if (c[0] == 1.0f && c[2] < 0.2f) return "orange";
        if (c[2] > 0.9f) return "blue";
        if (c[0] < 0.5f && c[1] > 0.7f) return "teal";
        return "other";
    };
    for (const Case& c : cases) {
        Item item;
        snprintf(item.name, sizeof item.name, "thing");
        item.kind = c.kind;
        item.upgradeFlags = c.upgrade;
        item.specialFlags = c.special;
        ItemTooltipText text;
        BuildItemTooltip(&item, 1, &text);
        EXPECT_EQ(named(text.titleColour), c.title) << c.kind << " " << c.upgrade << " " << c.special;
    }

    Item module;
    snprintf(module.name, sizeof module.name, "servo");
    module.kind = ITEM_KIND_UPGRADE;
    module.bonus[ITEM_BONUS_SPEED] = 12.5f;
    module.buyLevel = 3;
    module.price = 200;
    ItemTooltipText text;
    BuildItemTooltip(&module, 1, &text);
    EXPECT_EQ(text.stats, "   Speed:  +12.5% ");
    EXPECT_EQ(text.statLines, 1);
    EXPECT_EQ(text.kindLine, "Upgrade (level 3) - [Normal]");
    EXPECT_FLOAT_EQ(text.kindColour[0], 1.0f) << "above the player's level: red";
    EXPECT_EQ(text.valueLine, "   Value:  100 credits");

    Item kit;
    snprintf(kit.name, sizeof kit.name, "kit");
    kit.kind = ITEM_KIND_ACTION;
    kit.action = ITEM_ACTION_HEAL;
    kit.actionValue = 150;
    kit.price = 60;
    kit.stackCount = 3;
    kit.itemFlags = ITEM_FLAG_STACKABLE;
    kit.specialFlags = 0x100000 | 0x200000 | 0x10;
    BuildItemTooltip(&kit, 5, &text);
    EXPECT_EQ(text.stats,
              "   Heals:  +150 \n   50% fire and acid resistance\n   10% chance to freeze target for 5 seconds");
    EXPECT_EQ(text.kindLine, "Action (level 1) - [Enhanced]");
    EXPECT_EQ(text.valueLine, "   Value:  201 credits (67 per unit)");
}

TEST_F(InventoryTest, AWeaponsTooltipRatesItByIntervalAndShotAlone)
{
    // The wind-up before the first shot is not part of the rate; a beam's shot length is.
    struct Case {
        float interval, windUp, shotTime;
        const char* stats;
    } cases[] = {
        {2.0f, 0.0f, 0.0f, "   Damage: 12.0  (6.0 dps)"},
        {1.0f, 1.0f, 0.0f, "   Damage: 12.0  (12.0 dps)"},
        {1.0f, 1.0f, 0.5f, "   Damage: 12.0  (8.0 dps)"},
        {1.0f, 0.0f, 0.5f, "   Damage: 12.0  (8.0 dps)"},
    };
    for (const Case& c : cases) {
        Item* gun = MakeItem("gun", ITEM_KIND_WEAPON);
        gun->weapon = new WeaponDef();
        gun->weapon->owner = gun;
        gun->weapon->damage = 12.0f;
        gun->weapon->interval = c.interval;
        gun->weapon->windUp = c.windUp;
        gun->weapon->shotTime = c.shotTime;
        ItemTooltipText text;
        BuildItemTooltip(gun, 1, &text);
        EXPECT_EQ(text.stats, c.stats) << c.interval << " " << c.windUp << " " << c.shotTime;
        EXPECT_EQ(text.kindLine.rfind("Weapon (level", 0), 0u) << text.kindLine;
        delete gun;
    }
    // A kind the table does not know reads as a pickup.
    Item odd;
    odd.kind = 12;
    ItemTooltipText text;
    BuildItemTooltip(&odd, 1, &text);
    EXPECT_EQ(text.kindLine.rfind("Pickup (level", 0), 0u) << text.kindLine;
}

TEST_F(InventoryTest, EveryPictureOfTheGridIsShipped)
{
    const std::map<std::string, std::string> shipped = ShippedTextureFiles();
    ScopedGlobal<int> level(GetPlayerProfile()->level, 1);
    Item* plain = MakeItem("plain", ITEM_KIND_PICKUP);
    Item* enhanced = MakeItem("enhanced", ITEM_KIND_PICKUP);
    enhanced->specialFlags = 0x1;
    plain->buyLevel = enhanced->buyLevel = 1;
    Item* tooHigh = MakeItem("too_high", ITEM_KIND_PICKUP);
    tooHigh->buyLevel = 99;
    for (Item* item : {plain, enhanced, tooHigh}) ASSERT_TRUE(inventory->AddItem(item, false, false, -1));
    inventory->panel->SetVisible(true);
    std::set<std::string> drawn;
    painter.Clear();
    inventory->panel->Draw();
    inventory->PressSlot(6, false, false, false);  // the too-high item carried, over its red marker
    inventory->DrawDraggedItem();
    inventory->PressSlot(6, false, false, false);
    inventory->PressSlot(5, false, false, false);  // and the enhanced one over its blue marker
    inventory->DrawDraggedItem();
    inventory->PressSlot(5, false, false, false);
    int x, y;
    inventory->cells[4].slotButton->GetScreenPosition(&x, &y);
    Pass(x + 2, y + 2);  // the hover light
    inventory->panel->Draw();
    for (const DrawnQuad& quad : painter.quads) drawn.insert(quad.texture);
    for (const char* expected : {"inventory_slot.dds", "inventory_slot_red.dds", "inventory_slot_blue.dds",
                                 "hotbar_indicator.dds", "inventory_attach_red.dds", "inventory_attach_blue.dds"})
        EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const std::string& t) { return TextureFile(t) == expected; }))
            << expected;
    for (const std::string& texture : drawn) {
        if (texture.empty()) continue;
        EXPECT_TRUE(shipped.count(TextureFile(texture))) << texture;
    }
}

TEST_F(InventoryTest, HoveringAFilledSlotShowsItsTooltipBesideIt)
{
    Item* gun = MakeItem("machinegun", ITEM_KIND_WEAPON);
    gun->shortDescription = "Machine Gun";
    gun->longDescription = "Fast and loud.";
    gun->price = 200;
    ASSERT_TRUE(inventory->AddItem(gun, false, false, 4));
    inventory->panel->SetVisible(true);
    int x, y;
    inventory->cells[4].slotButton->GetScreenPosition(&x, &y);

    painter.Clear();
    inventory->UpdateHover(x + 3, y + 3);
    ASSERT_GE(painter.quads.size(), 2u);
    EXPECT_EQ(painter.quads[0].sprite, inventory->tooltipFrame) << "the frame first, then the fill";
    EXPECT_EQ(painter.quads[1].sprite, inventory->tooltipFill);
    EXPECT_EQ(painter.quads[1].left, x + inventory->cellWidth) << "beside the slot";
    EXPECT_EQ(painter.quads[1].top, y);
    std::vector<std::string> texts = painter.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Machine Gun");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "   Value:  100 credits"), texts.end());

    // Nothing over an empty slot, nor while something is carried.
    painter.Clear();
    inventory->cells[5].slotButton->GetScreenPosition(&x, &y);
    inventory->UpdateHover(x + 3, y + 3);
    EXPECT_TRUE(painter.quads.empty());
    inventory->PressSlot(4, false, false, false);
    inventory->UpdateHover(x + 3, y + 3);
    EXPECT_TRUE(painter.quads.empty());
    int wx, wy;
    inventory->dragWidget->GetScreenPosition(&wx, &wy);
    EXPECT_EQ(wx, x + 3 - inventory->cellWidth / 2) << "the carried item follows the pointer";
}

TEST_F(InventoryTest, AUsableItemIsOrderedOnTheFirstSelected)
{
    ScopedGlobal<int> state(game.state, GAME_STATE_PLAYING);
    Agent* bot = game.agentTypes->TakeFreeAgent();
    ASSERT_NE(bot, nullptr);
    bot->alignment = ALIGN_PLAYER;
    bot->SetMaxHealth(100.0f);
    bot->health = 10.0f;
    Item* kits = MakeItem("health_cannister", ITEM_KIND_ACTION, 2, true);
    kits->action = ITEM_ACTION_HEAL;
    kits->actionValue = 30;
    ASSERT_TRUE(inventory->AddItem(kits, false, false, 3));

    // Nothing selected: refused, nothing ordered, the stack untouched.
    inventory->PressSlot(3, true, false, false);
    EXPECT_EQ(TheOrders.Waiting(), 0u);
    EXPECT_EQ(At(3), kits);
    EXPECT_EQ(kits->stackCount, 2);

    // With a unit selected the press orders the item's use on it; the world uses it at the
    // next tick (the heal key's walk sees the stack go down).
    game.hand.selected.PushBack(bot);
    inventory->PressSlot(3, true, false, false);
    const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].kind, ORDER_USE_ITEM);
    EXPECT_EQ(given[0].target, LevelNumberOf(bot));
    EXPECT_NE(given[0].text.find("health_cannister"), std::string::npos);
    EXPECT_FLOAT_EQ(bot->health, 10.0f) << "nothing before the next tick";
    EXPECT_EQ(kits->stackCount, 2);

    game.hand.selected.Clear();
    game.agentTypes->ReturnAgent(bot);
}

// In a level the hand holds a slot and the world's bag is not touched until the next tick: the
// press that puts the item somewhere gives the order, and the tick moves it (and splits a stack,
// so the new item is made in the tick). Each row: the presses (Shift on the first), then the bag
// between the presses and the tick, then after it.
TEST_F(InventoryTest, InALevelTheHandHoldsASlotAndTheNextTickMovesTheItem)
{
    ScopedGlobal<int> state(game.state, GAME_STATE_PLAYING);
    ScopedGlobal<Inventory*> bag(PlayerInventory, inventory);
    ScopedGlobal<KeyboardDevice*> keys(Input.keyboard, &keyboard);
    inventory->panel->SetVisible(true);
    struct Row {
        const char* what;
        int from, to;
        bool shift;
        int fromAfter, toAfter;  // the stack counts after the tick (0: the slot empty)
        const char* toName;      // what lies in `to` after the tick
        const char* heldAfter;   // what the hand holds after (null: nothing)
    };
    const Row rows[] = {
        {"a stack put on an empty slot", 6, 10, false, 0, 5, "repair_kit", nullptr},
        {"one split off onto an empty slot", 6, 10, true, 4, 1, "repair_kit", nullptr},
        {"one split off onto its own kind", 6, 12, true, 4, 3, "repair_kit", nullptr},
        {"a stack swapped with a gun", 6, 20, false, 1, 5, "repair_kit", "machinegun"},
        {"one split off refused on a gun", 6, 20, true, 5, 1, "machinegun", "repair_kit"},
    };
    auto press = [&](int slot, bool shift) {
        keyboard.state[DIK_LSHIFT] = shift ? 0x80 : 0;
        int x, y;
        inventory->cells[slot].slotButton->GetScreenPosition(&x, &y);
        Click(x + 3, y + 3);
        keyboard.state[DIK_LSHIFT] = 0;
    };
    auto count = [&](int slot) { return At(slot) ? At(slot)->stackCount : 0; };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        inventory->Clear();
        ASSERT_TRUE(inventory->AddItem(MakeItem("repair_kit", ITEM_KIND_ACTION, 5, true), false, false, 6));
        ASSERT_TRUE(inventory->AddItem(MakeItem("repair_kit", ITEM_KIND_ACTION, 2, true), false, false, 12));
        ASSERT_TRUE(inventory->AddItem(MakeItem("machinegun", ITEM_KIND_WEAPON), false, false, 20));
        Item* before[Inventory::SLOT_COUNT];
        for (int i = 0; i < Inventory::SLOT_COUNT; ++i) before[i] = At(i);
        const int fromCount = count(row.from), toCount = count(row.to);

        press(row.from, row.shift);
        EXPECT_EQ(inventory->dragItem, nullptr) << "the hand carries no item in a level";
        EXPECT_EQ(inventory->HeldItem(), At(row.from));
        EXPECT_EQ(inventory->HeldCount(), row.shift ? 1 : 0);
        EXPECT_EQ(inventory->FindItemByName("repair_kit"), before[6]) << "the orders find what the hand holds";
        press(row.to, false);
        for (int i = 0; i < Inventory::SLOT_COUNT; ++i) EXPECT_EQ(At(i), before[i]) << "slot " << i << " before the tick";
        EXPECT_EQ(count(row.from), fromCount);
        EXPECT_EQ(count(row.to), toCount);

        NextTick();
        EXPECT_EQ(count(row.from), row.fromAfter);
        EXPECT_EQ(count(row.to), row.toAfter);
        ASSERT_NE(At(row.to), nullptr);
        EXPECT_STREQ(At(row.to)->name, row.toName);
        Item* held = inventory->HeldItem();
        if (row.heldAfter) {
            ASSERT_NE(held, nullptr);
            EXPECT_STREQ(held->name, row.heldAfter);
        } else {
            EXPECT_EQ(held, nullptr);
        }
        inventory->Release();
    }
    inventory->Clear();
}
