// The shop and the character screen as a returning player has them, on the real start-up with
// the main menu: "Continue Game", the galaxy's "Shop/Manage Rig", a weapon and a building bought
// with the mouse, the new weapon carried from the bag onto the rig's left arm, where the paper
// doll shows it (checked against its picture), "Back" to the galaxy; then in a mission the
// character screen opens and closes with its key (or Escape), without the shop.
#include "host/WorldGuard.h"
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "interface/CharacterGui.h"
#include "interface/InGameMenu.h"
#include "interface/Inventory.h"
#include "interface/ItemScrollList.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

using namespace playersession;

namespace {

class ShopSession : public PlayerSession {
protected:
    void SetUp() override
    {
        // A returning pilot of level 2 with credits to spend, who starts at the main menu.
        StartAsPilot("shop", "currentprofile Pilot\n", {{"experience\t0", "experience\t250"}, {"credits\t\t500", "credits\t\t1000"}});
        profilePath = std::string(UserFolder) + "/profiles/Pilot.cgs";
    }

    // The row of a shop list that shows that definition, clicked.
    void ClickRow(ItemScrollList* list, const char* name)
    {
        int index = 0;
        auto* node = list->entries ? list->entries->head : nullptr;
        for (; node && strcmp(node->value->name, name) != 0; node = node->next) ++index;
        ASSERT_NE(node, nullptr) << name << " is not offered";
        // A row far down the list: the list's down arrow, pressed until it shows.
        for (int i = 0; i < 100 && index - list->FirstVisibleIndex() >= list->rows; ++i) list->ScrollDown();
        ASSERT_LT(index - list->FirstVisibleIndex(), list->rows) << name << " is below the rows shown";
        ClickOn(list->rowButtons[index - list->FirstVisibleIndex()]);
        EXPECT_EQ(list->GetSelected(), node->value);
    }
    void Key(uint32_t code)
    {
        WndProc(shelltest::Key(WM_KEYDOWN, code));
        Passes(1, 0.02f);
    }

    std::string profilePath;
};

TEST_F(ShopSession, ABuyAndAWeaponOnTheRigThenTheScreenInAMission)
{
    // The logo skipped, the menu's "Continue Game" opens the galaxy of the pilot.
    Passes(2, 0.02f);
    Key(VK_ESCAPE);
    Passes(2, 0.05f);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    Window* menu = MissionScreen::windows[0];
    ASSERT_TRUE(menu && menu->IsVisible());
    ClickOn(FindButtonWithin(menu, "Continue Game"));
    ASSERT_EQ(FrontEndScreenState, 2);
    PlayerProfile* profile = GetPlayerProfile();
    EXPECT_EQ(profile->level, 2);
    EXPECT_EQ(profile->credits, 1000);

    // "Shop/Manage Rig": the character screen with the shop beside it.
    ClickOn(FindButtonWithin(MissionScreen::galaxyPage, "Shop/Manage Rig"));
    CharacterGui* screen = TheCharacterGui;
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(screen->IsVisible());
    ASSERT_TRUE(screen->shopWindow->IsVisible());
    EXPECT_EQ(screen->shopTab, 0);

    // A missile pod from the items tab goes into the bag.
    ClickRow(screen->shopLists[0], "missile_pod");
    ASSERT_TRUE(screen->buyButton->IsEnabled());
    ClickOn(screen->buyButton);
    EXPECT_EQ(profile->credits, 700);
    Inventory* bag = screen->inventory;
    Item* pod = bag->FindItemByName("missile_pod");
    ASSERT_NE(pod, nullptr) << "the bought weapon is in the bag";

    // An ore silo from the buildings tab is the player's from now on.
    ClickOn(screen->shopTabs[1]);
    EXPECT_EQ(screen->shopTab, 1);
    ClickRow(screen->shopLists[1], "ore_silo");
    Passes(10, 0.05f);  // the player reads the panel before the second purchase
    ClickOn(screen->buyButton);
    EXPECT_EQ(profile->credits, 500);
    BuildItem* silo = TheGame->buildItems->FindByName("ore_silo");
    ASSERT_NE(silo, nullptr);
    EXPECT_TRUE(silo->flags & BUILD_MARKED);

    // The pod taken from the bag and dropped on the left weapon slot; the cutter it replaces
    // comes into the hand and goes into an empty slot of the bag.
    int podSlot = -1;
    for (int i = 0; i < Inventory::SLOT_COUNT; ++i)
        if (bag->slots[i].item == pod) podSlot = i;
    ASSERT_GE(podSlot, 0);
    ClickOn(bag->cells[podSlot].slotButton);
    ASSERT_EQ(bag->dragItem, pod);
    ClickOn(screen->attachButtons[2]);
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    EXPECT_EQ(rig->GetAttachedEntity("leftweapon"), pod) << "the pod hangs on the left arm";
    ASSERT_NE(bag->dragItem, nullptr);
    EXPECT_STREQ(bag->dragItem->name, "laser_cutter");
    const int free = bag->FindFreeSlot(true);
    ASSERT_GE(free, 0);
    ClickOn(bag->cells[free].slotButton);
    EXPECT_EQ(bag->dragItem, nullptr);
    EXPECT_STREQ(bag->slots[free].item->name, "laser_cutter");

    // The paper doll shows the rig with its new weapon.
    MoveMouseTo(Config->width - 20, Config->height / 2);
    Passes(2, 0.05f);
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/shop_session_character.png", shot));
    Pixels picture = ToPixels(shot);
    EXPECT_TRUE(MatchesReference(picture, "shop_session_character", {12, picture.width * picture.height / 50}));

    // Every deal was written down at once.
    const std::string saved = ReadTextFile(profilePath);
    EXPECT_NE(saved.find("credits\t\t500"), std::string::npos) << saved;
    EXPECT_NE(saved.find("building\tore_silo"), std::string::npos);

    // A hull plating bought with what is left, taken from the bag and worn in a module slot: the
    // rig's hull grows by it.
    ClickOn(screen->shopTabs[0]);
    ClickRow(screen->shopLists[0], "hull_plating");
    ClickOn(screen->buyButton);
    EXPECT_EQ(profile->credits, 250);
    Item* plating = bag->FindItemByName("hull_plating");
    ASSERT_NE(plating, nullptr);
    for (int i = 0; i < Inventory::SLOT_COUNT; ++i)
        if (bag->slots[i].item == plating) ClickOn(bag->cells[i].slotButton);
    ASSERT_EQ(bag->dragItem, plating);
    ClickOn(screen->moduleButtons[0]);
    EXPECT_EQ(bag->dragItem, nullptr);
    ASSERT_TRUE(rig->HasEquippedFlag(ITEM_UPGRADE_HULL)) << "the rig wears the plating";
    const float hull = rig->GetMaxHealth();
    EXPECT_FLOAT_EQ(hull, rig->maxHealth * 1.2f);

    // "Back" returns to the galaxy and writes the rig's new weapon.
    ClickOn(screen->backButton);
    EXPECT_FALSE(screen->IsVisible());
    EXPECT_TRUE(MissionScreen::galaxyPage->IsVisible());
    EXPECT_NE(ReadTextFile(profilePath).find("attachleft\tmissile_pod"), std::string::npos);

    // In a mission the screen opens with its key, without the shop, and closes the same way.
    ASSERT_TRUE(StartMissionOn(FOREST));
    EXPECT_EQ(GetPlayerRig()->GetAttachedEntity("leftweapon") != nullptr, true);
    EXPECT_FLOAT_EQ(GetPlayerRig()->health, hull) << "the mission starts with the rig whole, its plating with it";
    TypeInventoryKey();
    EXPECT_TRUE(screen->IsVisible()) << "the inventory key opens the character screen";
    EXPECT_FALSE(screen->shopWindow->IsVisible());
    EXPECT_TRUE(screen->closeButton->IsVisible());
    Passes(2, 0.05f);
    ClickOn(screen->closeButton);
    EXPECT_FALSE(screen->IsVisible()) << "its close button closes it";
    TypeInventoryKey();
    EXPECT_TRUE(screen->IsVisible());
    // Escape closes it as well, and the pause menu waits for the next Escape.
    Key(VK_ESCAPE);
    EXPECT_FALSE(screen->IsVisible()) << "Escape closed it";
    EXPECT_FALSE(TheInGameMenu->menuShown);
    TypeInventoryKey();
    EXPECT_TRUE(screen->IsVisible());

    // With the bag full, what the hand carried into the level when the screen closes is put
    // down beside the rig at the next tick.
    // The test's own staging.
    const WorldChangeScope staged;
    for (int i = 0; i < Inventory::SLOT_COUNT; ++i)
        if (bag->slots[i].kind == 0) {
            ASSERT_TRUE(bag->AddItem(CreateItemByName("machinegun"), false, false, i));
        }
    Item* spare = CreateItemByName("laser_lance");
    ASSERT_NE(spare, nullptr);
    bag->Carry(spare);
    TypeInventoryKey();
    EXPECT_FALSE(screen->IsVisible());
    for (int i = 0; i < 20 && bag->dragItem; ++i) Passes(1, 0.05f);
    EXPECT_EQ(bag->dragItem, nullptr);
    EXPECT_TRUE(InLevel(spare)) << "the carried weapon lies in the level";
    EXPECT_LT(std::hypot(spare->GetPosition().x - GetPlayerRig()->GetPosition().x,
                         spare->GetPosition().z - GetPlayerRig()->GetPosition().z),
              4.0f);

    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
}

// The heal key's health cannisters and a repair kit bought beside them in the bag: the one wears
// the red cross of health, the other is a toolbox (checked against its picture).
TEST_F(ShopSession, TheHealthCannistersAndARepairKitLookApartInTheBag)
{
    Passes(2, 0.02f);
    Key(VK_ESCAPE);
    Passes(2, 0.05f);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    ClickOn(FindButtonWithin(MissionScreen::windows[0], "Continue Game"));
    ClickOn(FindButtonWithin(MissionScreen::galaxyPage, "Shop/Manage Rig"));
    CharacterGui* screen = TheCharacterGui;
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(screen->shopWindow->IsVisible());
    // The kits lie far down the items list.
    ClickRow(screen->shopLists[0], "repair_kit");
    ASSERT_TRUE(screen->buyButton->IsEnabled());
    ClickOn(screen->buyButton);
    Inventory* bag = screen->inventory;
    ASSERT_NE(bag->FindItemByName("repair_kit"), nullptr);
    ASSERT_NE(bag->FindItemByName("health_cannister"), nullptr);

    MoveMouseTo(Config->width - 20, Config->height / 2);
    Passes(2, 0.05f);
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/shop_session_kits.png", shot));
    Pixels picture = ToPixels(shot);
    EXPECT_TRUE(MatchesReference(picture, "shop_session_kits", {12, picture.width * picture.height / 200}));
}

}  // namespace
