// The shop and its lists: what each tab offers, the rows' prices and colours, the entry's panel
// texts, what Buy allows and does, selling, and the "Show Purchased" box.
#include "tests/interface/CharacterScreenSupport.h"

#include "platform/Timer.h"

namespace {

// Selects the row of a definition's name and scrolls it into sight, as the wheel would; false
// when it is not listed.
bool SelectByName(ItemScrollList& list, const char* name)
{
    int index = 0;
    for (auto* node = list.entries ? list.entries->head : nullptr; node; node = node->next, ++index) {
        if (!node->value || StrICmp(node->value->name, name) != 0) continue;
        list.selected = node;
        while (list.FirstVisibleIndex() > index) list.ScrollUp();
        while (index - list.FirstVisibleIndex() >= list.rows) list.ScrollDown();
        list.selectedRow = index - list.FirstVisibleIndex();
        return true;
    }
    return false;
}

// Colours as the painter records them.
constexpr uint32_t LIGHT_GREY = 0xFFCCCCCC, DARK_GREY = 0xFF4D4D4D, RED = 0xFFFF4D33, TAG_BLUE = 0xFF81B3FF;

class ShopTest : public CharacterScreenFixture {
protected:
    void FillCatalogues() override
    {
        cutter = AddItemDefinition("laser_cutter", ITEM_KIND_WEAPON, 150, 1);
        AddItemDefinition("scav_blaster", ITEM_KIND_WEAPON, 100, 1)->itemFlags |= ITEM_FLAG_AI_ONLY;
        AddItemDefinition("ore_crate", ITEM_KIND_ACTION, 40, 0)->itemFlags |= ITEM_FLAG_NOT_FOR_SALE;
        kits = AddItemDefinition("repair_kit", ITEM_KIND_ACTION, 60, 1);
        kits->itemFlags |= ITEM_FLAG_STACKABLE;
        kits->stackCount = 2;
        medal = AddItemDefinition("medal_gun", ITEM_KIND_WEAPON, 100, 1);
        medal->achievement = 4;

        AddBuilding("power_generator", 0, 1);
        silo = AddBuilding("ore_silo", 200, 2);
        factory = AddBuilding("heavy_factory", 1500, 2);
        AddBuilding("scav_turret", 300, 1)->flags |= BUILD_AI_CAN_BUILD;
        turret = AddBuilding("gun_turret", 200, 2);
        turret->flags |= BUILD_TURRET;
        turret->weapon = WEAPON_BALLISTIC;

        rocketBot = AddUnit("rocket_bot", 250, 2, nullptr);
        tank = AddUnit("heavy_tank", 300, 2, factory);
        AddUnit("miner", 0, 0, nullptr);
        AddUnit("scav_small", 100, 0, nullptr)->prototype->alignment = ALIGN_ENEMY;
    }
    void SetUp() override
    {
        CharacterScreenFixture::SetUp();
        PlayerProfile* profile = GetPlayerProfile();
        profile->experience = 250;  // level 2
        profile->level = 2;
        profile->credits = 1000;
        OpenInFrontEnd();
    }
    void Select(int tab, const char* name)
    {
        screen->shopTab = tab;
        screen->Show(true);
        ASSERT_TRUE(SelectByName(*screen->shopLists[tab], name)) << name;
        screen->UpdateBuyButton();
    }
    std::vector<std::string> Listed(int tab) const
    {
        std::vector<std::string> names;
        const ItemScrollList* list = screen->shopLists[tab];
        for (auto* node = list->entries ? list->entries->head : nullptr; node; node = node->next)
            names.push_back(node->value->name);
        return names;
    }
    void ClickBuy()
    {
        int x = 0, y = 0;
        screen->buyButton->GetScreenPosition(&x, &y);
        Click(x + screen->buyButton->width / 2, y + screen->buyButton->height / 2);
    }

    Item* cutter = nullptr;
    Item* kits = nullptr;
    Item* medal = nullptr;
    BuildItem* silo = nullptr;
    BuildItem* factory = nullptr;
    BuildItem* turret = nullptr;
    AgentType* rocketBot = nullptr;
    AgentType* tank = nullptr;
};

}  // namespace

TEST_F(ShopTest, EachTabListsWhatThePlayerMayBuy)
{
    EXPECT_EQ(Listed(0), (std::vector<std::string>{"laser_cutter", "repair_kit", "medal_gun"}))
        << "neither the computer's weapons nor what is not for sale";
    EXPECT_EQ(Listed(1), (std::vector<std::string>{"ore_silo", "heavy_factory", "gun_turret"}))
        << "neither the free buildings nor the computer's";
    EXPECT_EQ(Listed(2), (std::vector<std::string>{"rocket_bot", "heavy_tank"})) << "the player's units with a price";
    EXPECT_STREQ(ItemTypeTag(cutter), "[Weapon]");
    EXPECT_STREQ(ItemTypeTag(kits), "[Usable Item]");
    Item pickup;
    EXPECT_STREQ(ItemTypeTag(&pickup), "[Unknown]");
}

TEST_F(ShopTest, AListHoldsEveryDefinitionHoweverManyThereAre)
{
    for (int i = 0; i < 120; ++i) {
        char name[32];
        snprintf(name, sizeof name, "module_%03d", i);
        if (!game->items->items.PushBack(NewItem(name, ITEM_KIND_UPGRADE))) break;
    }
    const int offered = game->items->items.count - 2;  // the computer's blaster, the crate
    ASSERT_GT(offered, 100);
    screen->shopLists[0]->Refill();
    EXPECT_EQ(screen->shopLists[0]->EntryCount(), offered);
    EXPECT_TRUE(SelectByName(*screen->shopLists[0], "module_119"));
}

TEST_F(ShopTest, RowsShowPricesInTheColoursOfWhatThePlayerCanAfford)
{
    GetPlayerProfile()->credits = 200;
    silo->flags |= BUILD_MARKED;  // owned
    Select(1, "ore_silo");
    DrawScreen();
    const DrawnText* purchased = FindText("Purchased");
    ASSERT_NE(purchased, nullptr) << "an owned building has no price";
    EXPECT_EQ(purchased->colour, DARK_GREY);
    EXPECT_EQ(FindText("Ore Silo")->colour, DARK_GREY);
    EXPECT_EQ(FindText("$200 ")->colour, LIGHT_GREY) << "exactly the player's credits is affordable";
    EXPECT_EQ(FindText("$1500 ")->colour, RED);
    EXPECT_EQ(FindText("[Building]")->colour, TAG_BLUE);

    // A unit whose factory the player lacks is out of reach whatever the credits.
    GetPlayerProfile()->credits = 5000;
    Select(2, "heavy_tank");
    DrawScreen();
    EXPECT_EQ(FindText("$300 ")->colour, RED);
    EXPECT_EQ(FindText("$250 ")->colour, LIGHT_GREY);
    EXPECT_TRUE(Drew("[Unit]"));
}

TEST_F(ShopTest, TheEntrysPanelSaysWhatItIsAndWhatItNeeds)
{
    Item module;
    module.kind = ITEM_KIND_UPGRADE;
    module.bonus[ITEM_BONUS_DAMAGE] = 5.0f;
    module.upgradeFlags = ITEM_UPGRADE_MISSILE_DAMAGE | ITEM_UPGRADE_DOT_FIRE | ITEM_UPGRADE_DOT_ACID;
    module.bonus[ITEM_BONUS_SPEED] = 12.5f;
    EXPECT_EQ(FormatUpgradeAttributes(&module),
              " Missile Damage +5.0\n   Speed +12.5%\n   50% of weapon damage/sec over 5 seconds\n"
              "   50% of weapon damage/sec over 5 seconds");
    Item plain;
    EXPECT_EQ(FormatUpgradeAttributes(&plain), " ");

    Item* swarm = NewItem("swarm", ITEM_KIND_WEAPON);
    swarm->weapon->type = WEAPON_MISSILE;
    swarm->weapon->damage = 22.0f;
    swarm->weapon->interval = 2.5f;
    swarm->weapon->flags |= WEAPONFLAG_DUAL_CLUSTER;
    EXPECT_EQ(FormatWeaponDamage(swarm), " Missile damage  22.0   (8.8 dps) x 2");
    // A beam's shot adds its length to the interval.
    swarm->weapon->shotTime = 0.5f;
    EXPECT_EQ(FormatWeaponDamage(swarm), " Missile damage  22.0   (7.3 dps) x 2");
    delete swarm;

    // Turrets: beams every 4 seconds, shells every 3.
    EXPECT_FLOAT_EQ(TurretDamagePerSecond(WEAPON_BALLISTIC, 60.0f), 15.0f);
    EXPECT_FLOAT_EQ(TurretDamagePerSecond(WEAPON_MORTAR, 60.0f), 20.0f);
    Select(1, "gun_turret");
    DrawScreen();
    EXPECT_TRUE(Drew("  Ballistic damage  0.0   (0.0 dps)"));
    EXPECT_TRUE(Drew("Build Cost:"));
    EXPECT_TRUE(Drew("Cost $ 200"));

    // An item behind an achievement names it, in red.
    Select(0, "medal_gun");
    DrawScreen();
    const DrawnText* unlock = FindText("Unlock: Drill Sergeant: raise a bot past level 9 achievement");
    if (!unlock) unlock = FindText("Unlock: invalid achievement");  // without the string tables
    ASSERT_NE(unlock, nullptr);
    EXPECT_EQ(unlock->colour, RED);
    EXPECT_TRUE(Drew("Requires pilot level 1"));
    EXPECT_TRUE(Drew("Damage:"));

    // A usable item says what it does.
    Item* kit = AddItemDefinition("instant_build_kit", ITEM_KIND_ACTION, 250, 1);
    kit->action = ITEM_ACTION_INSTANT_BUILD;
    screen->shopLists[0]->Refill();
    Select(0, "instant_build_kit");
    DrawScreen();
    EXPECT_TRUE(Drew("Instantly complete construction of a building"));
    EXPECT_TRUE(Drew("Cost $ 250"));

    // An offer open from the start asks for no level.
    kit->buyLevel = 0;
    DrawScreen();
    EXPECT_TRUE(Drew("Cost $ 250"));
    for (const DrawnText& t : painter.texts) EXPECT_EQ(t.text.find("Requires"), std::string::npos) << t.text;
}

TEST_F(ShopTest, BuyAsksForCreditsLevelAchievementAndFactory)
{
    PlayerProfile* profile = GetPlayerProfile();
    Select(0, "laser_cutter");
    EXPECT_TRUE(screen->buyButton->IsEnabled());
    profile->credits = 149;
    screen->UpdateBuyButton();
    EXPECT_FALSE(screen->buyButton->IsEnabled()) << "too few credits";
    profile->credits = 1000;
    cutter->buyLevel = 3;
    screen->UpdateBuyButton();
    EXPECT_FALSE(screen->buyButton->IsEnabled()) << "above the player's level";
    cutter->buyLevel = 1;

    Select(0, "medal_gun");
    EXPECT_FALSE(screen->buyButton->IsEnabled()) << "achievement 4 not earned";
    profile->AwardAchievement(4);
    screen->UpdateBuyButton();
    EXPECT_TRUE(screen->buyButton->IsEnabled());

    // Buildings: once owned, never again.
    Select(1, "ore_silo");
    ASSERT_TRUE(screen->buyButton->IsEnabled());
    BuySelectedEntry();
    EXPECT_TRUE(silo->flags & BUILD_MARKED);
    EXPECT_EQ(profile->credits, 800);
    Select(1, "ore_silo");
    EXPECT_FALSE(screen->buyButton->IsEnabled());
    BuySelectedEntry();
    EXPECT_EQ(profile->credits, 800) << "an owned building is not sold twice";

    // A unit whose factory costs credits waits for the factory.
    profile->credits = 5000;
    Select(2, "heavy_tank");
    EXPECT_FALSE(screen->buyButton->IsEnabled());
    BuySelectedEntry();
    EXPECT_FALSE(tank->flags & AGENT_TYPE_OWNED);
    Select(1, "heavy_factory");
    BuySelectedEntry();
    EXPECT_EQ(profile->credits, 3500);
    Select(2, "heavy_tank");
    EXPECT_TRUE(screen->buyButton->IsEnabled()) << "the factory is the player's now";
    BuySelectedEntry();
    EXPECT_TRUE(tank->flags & AGENT_TYPE_OWNED);
    EXPECT_EQ(profile->credits, 3200);
}

TEST_F(ShopTest, ItemsGoIntoTheBagAndADoublePressBuysOnce)
{
    PlayerProfile* profile = GetPlayerProfile();
    AdvanceClock(1.0f);  // the game has run a while
    Select(0, "laser_cutter");
    ClickBuy();
    EXPECT_EQ(profile->credits, 850);
    Item* bought = bag->FindItemByName("laser_cutter");
    ASSERT_NE(bought, nullptr);
    EXPECT_NE(bought, cutter) << "a copy of the definition";
    AdvanceClock(0.1f);
    ClickBuy();
    EXPECT_EQ(profile->credits, 850) << "the second press of a double press";
    AdvanceClock(0.5f);
    ClickBuy();
    EXPECT_EQ(profile->credits, 700);

    // A stack the bag holds grows by the definition's count.
    Select(0, "repair_kit");
    BuySelectedEntry();
    BuySelectedEntry();
    Item* stack = bag->FindItemByName("repair_kit");
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->stackCount, 4);
    EXPECT_EQ(profile->credits, 580);

    // A full bag takes nothing and costs nothing.
    for (int i = 0; i < Inventory::SLOT_COUNT; ++i)
        if (bag->slots[i].kind == 0) {
            ASSERT_TRUE(bag->AddItem(NewItem("rock", ITEM_KIND_PICKUP), false, false, i));
        }
    Select(0, "laser_cutter");
    BuySelectedEntry();
    EXPECT_EQ(profile->credits, 580);
}

TEST_F(ShopTest, SellingAStackPaysForEveryUnit)
{
    PlayerProfile* profile = GetPlayerProfile();
    profile->credits = 0;
    Item* cells = NewItem("shield_cell", ITEM_KIND_ACTION, 3, true);
    cells->price = 80;  // worth 40 each
    bag->Carry(cells);
    OnShopSell(nullptr, screen->sellButton);
    EXPECT_EQ(profile->credits, 120);
    EXPECT_EQ(bag->dragItem, nullptr);
    OnShopSell(nullptr, screen->sellButton);
    EXPECT_EQ(profile->credits, 120) << "nothing in the hand, nothing sold";
}

TEST_F(ShopTest, ShowPurchasedHidesAndRestoresOwnedEntries)
{
    silo->flags |= BUILD_MARKED;
    rocketBot->flags |= AGENT_TYPE_OWNED;
    Button* box = screen->showPurchasedBox;
    int x = 0, y = 0;
    box->GetScreenPosition(&x, &y);
    Click(x + box->width / 2, y + box->height / 2);
    EXPECT_FALSE(screen->showPurchased);
    EXPECT_FALSE(box->toggled);
    EXPECT_EQ(Listed(1), (std::vector<std::string>{"heavy_factory", "gun_turret"}));
    EXPECT_EQ(Listed(2), (std::vector<std::string>{"heavy_tank"}));
    EXPECT_EQ(Listed(0).size(), 3u) << "items are never owned";
    Click(x + box->width / 2, y + box->height / 2);
    EXPECT_TRUE(screen->showPurchased);
    EXPECT_EQ(Listed(1), (std::vector<std::string>{"ore_silo", "heavy_factory", "gun_turret"}));
    EXPECT_EQ(Listed(2), (std::vector<std::string>{"rocket_bot", "heavy_tank"}));

    // A tab pressed shows its list alone.
    Button* units = screen->shopTabs[2];
    units->GetScreenPosition(&x, &y);
    Click(x + units->width / 2, y + units->height / 2);
    EXPECT_EQ(screen->shopTab, 2);
    EXPECT_TRUE(screen->shopLists[2]->IsVisible());
    EXPECT_FALSE(screen->shopLists[0]->IsVisible());
}

// A ranged unit's health, last of its stats, is not cut off at the panel's edge.
TEST_F(ShopTest, ARangedUnitsHealthEndsInsideThePanel)
{
    Agent* gunner = rocketBot->prototype;
    gunner->speed = 12.5f;
    gunner->maxHealth = 1250.0f;
    gunner->attackRange = 18.0f;
    Select(2, "rocket_bot");
    DrawScreen();
    const DrawnText* health = FindText("  Health: 1250");
    ASSERT_NE(health, nullptr) << "the health on a line of its own";
    TextSize size{};
    font.GetTextExtent(health->text.c_str(), &size);
    EXPECT_LE(health->x + (int)size.cx, screen->shopLists[2]->x + UnitH(312));
    EXPECT_TRUE(Drew("  Speed: 12.5    Range:  18.0"));
}
