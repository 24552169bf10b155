// The character screen: its meters, skill points, paint unlocks, the paper doll's slots with
// what they take and refuse, and the carried item when the screen closes.
#include "tests/interface/CharacterScreenSupport.h"

#include "gui/GuiMeter.h"
#include "interface/MessageLists.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "render/HintBox.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

class CharacterScreenTest : public CharacterScreenFixture {};

}  // namespace

TEST_F(CharacterScreenTest, TheExperienceBarShowsTheWayThroughTheLevel)
{
    PlayerProfile* profile = GetPlayerProfile();
    profile->experience = 79;
    screen->UpdateExperienceBar();
    EXPECT_EQ(profile->level, 0);
    EXPECT_EQ(screen->experienceMeter->value, 79.0f);
    EXPECT_STREQ(screen->experienceMeter->text, "  79/100");

    // Level 2 begins at 200 and lasts 300.
    profile->experience = 250;
    screen->UpdateExperienceBar();
    EXPECT_EQ(profile->level, 2) << "the level follows the experience";
    EXPECT_EQ(screen->experienceMeter->value, 16.0f);
    EXPECT_STREQ(screen->experienceMeter->text, " 250/500");
}

TEST_F(CharacterScreenTest, SkillPointsFillTheMetersAndStopAtFive)
{
    PlayerProfile* profile = GetPlayerProfile();
    profile->skills[1] = 4;
    profile->skills[2] = 0;
    screen->UpdateSkillBars();
    EXPECT_EQ(screen->skillMeters[1]->value, 79.0f) << "four points leave the meter short of full";
    EXPECT_EQ(screen->skillMeters[2]->value, 0.0f);

    profile->skillPoints = 2;
    intptr_t armour = 2;
    EXPECT_EQ(OnSkillClicked(&armour, nullptr), 1);
    EXPECT_EQ(profile->skills[1], 5);
    EXPECT_EQ(profile->skillPoints, 1);
    EXPECT_EQ(screen->skillMeters[1]->value, 100.0f);
    OnSkillClicked(&armour, nullptr);
    EXPECT_EQ(profile->skills[1], 5) << "five is the most";
    EXPECT_EQ(profile->skillPoints, 1);

    // With points to spend the "+" buttons show with the count; without, neither does.
    OpenInFrontEnd();
    DrawScreen();
    EXPECT_TRUE(screen->skillButtons[0]->IsVisible());
    EXPECT_TRUE(Drew("Available Points: 1"));
    intptr_t speed = 1;
    OnSkillClicked(&speed, nullptr);
    EXPECT_EQ(profile->skills[0], 1);
    EXPECT_EQ(profile->skillPoints, 0);
    OnSkillClicked(&speed, nullptr);
    EXPECT_EQ(profile->skills[0], 1) << "no point left to spend";
    DrawScreen();
    EXPECT_FALSE(screen->skillButtons[0]->IsVisible());
    EXPECT_FALSE(std::any_of(painter.texts.begin(), painter.texts.end(),
                             [](const DrawnText& t) { return t.text.rfind("Available Points", 0) == 0; }));

    // In a level the skills are the rig's in play: a click orders the point, the tick spends it.
    profile->skillPoints = 1;
    game->state = GAME_STATE_PLAYING;
    TheOrders.Clear();
    OnSkillClicked(&speed, nullptr);
    EXPECT_EQ(profile->skills[0], 1) << "spent at the next tick";
    const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].kind, ORDER_SPEND_SKILL);
    EXPECT_EQ(given[0].args[0], 1);
    ApplyPlayerOrder(given[0]);
    EXPECT_EQ(profile->skills[0], 2);
    EXPECT_EQ(profile->skillPoints, 0);
    game->state = GAME_STATE_FRONT_END;
}

// A full skill takes no point: its "+" gives way to a word saying so, and its tooltip says it too,
// while the skills with room keep theirs.
TEST_F(CharacterScreenTest, AFullSkillShowsFullInPlaceOfItsPlus)
{
    PlayerProfile* profile = GetPlayerProfile();
    profile->skills[1] = SKILL_POINTS_MAX;
    profile->skills[0] = 2;
    profile->skillPoints = 3;
    OpenInFrontEnd();
    DrawScreen();
    EXPECT_FALSE(screen->skillButtons[1]->IsVisible()) << "Armor is full";
    EXPECT_TRUE(screen->skillButtons[0]->IsVisible()) << "Speed has room";
    const DrawnText* full = FindText("Full");
    ASSERT_NE(full, nullptr);
    EXPECT_NEAR(full->x, screen->skillButtons[1]->x, screen->skillButtons[1]->width) << "where the plus stood";

    // The mouse resting on the Armor row (on its meter): its tooltip says it is full.
    const GuiMeter* row = screen->skillMeters[1];
    screen->skillHoverTime = 1.0f;
    Pass(row->x + 5, row->y + row->height / 2);
    Pass(row->x + 6, row->y + row->height / 2);
    ASSERT_TRUE(screen->skillHintShown);
    EXPECT_NE(std::string(screen->hintBox->text).find("Full: 5 of 5 points."), std::string::npos)
        << screen->hintBox->text;
    // A skill with room says nothing of the kind.
    const GuiMeter* speed = screen->skillMeters[0];
    Pass(speed->x + 5, speed->y + speed->height / 2);
    screen->skillHoverTime = 1.0f;
    Pass(speed->x + 6, speed->y + speed->height / 2);
    EXPECT_STREQ(screen->hintBox->text, "<Skill_0>");
}

TEST_F(CharacterScreenTest, AchievementsUnlockThePaints)
{
    PlayerProfile* profile = GetPlayerProfile();
    OpenInFrontEnd();
    DrawScreen();
    for (Button* paint : screen->paintButtons) EXPECT_FALSE(paint->IsVisible());

    profile->AwardAchievement(16);
    DrawScreen();
    EXPECT_TRUE(screen->paintButtons[3]->IsVisible()) << "scav";
    EXPECT_TRUE(screen->paintButtons[0]->IsVisible()) << "the default comes with the first paint";
    EXPECT_FALSE(screen->paintButtons[1]->IsVisible()) << "camo needs achievement 6";
    EXPECT_FALSE(screen->paintButtons[2]->IsVisible()) << "race needs four achievements";
    for (int n : {1, 2, 6}) profile->AwardAchievement(n);
    DrawScreen();
    for (Button* paint : screen->paintButtons) EXPECT_TRUE(paint->IsVisible() && paint->IsEnabled());

    OnRigPaintClicked(nullptr, screen->paintButtons[1]);
    EXPECT_STREQ(profile->rigPaint, "@camo");
    OnRigPaintClicked(nullptr, screen->paintButtons[0]);
    EXPECT_STREQ(profile->rigPaint, "default");
}

TEST_F(CharacterScreenTest, TheWeaponSlotsTakeWeaponsAndGiveThemBack)
{
    OpenInFrontEnd();
    Item* laser = NewItem("laser", ITEM_KIND_WEAPON);
    Item* gun = NewItem("gun", ITEM_KIND_WEAPON);
    bag->Carry(laser);
    EXPECT_EQ(PressAttachmentSlot(2), 1);
    EXPECT_EQ(rig.GetAttachedEntity("leftweapon"), laser);
    EXPECT_EQ(bag->dragItem, nullptr) << "the hand is empty";

    // A second weapon on the same slot: the first comes back into the hand.
    bag->Carry(gun);
    PressAttachmentSlot(2);
    EXPECT_EQ(rig.GetAttachedEntity("leftweapon"), gun);
    EXPECT_EQ(bag->dragItem, laser);

    // A weapon on the engine slot stays in the hand.
    PressAttachmentSlot(0);
    EXPECT_EQ(bag->dragItem, laser);
    EXPECT_EQ(rig.GetAttachedEntity("engine"), nullptr);

    // A weapon above the player's level is refused.
    laser->buyLevel = 9;
    PressAttachmentSlot(3);
    EXPECT_EQ(rig.GetAttachedEntity("rightweapon"), nullptr);
    EXPECT_EQ(bag->dragItem, laser);
    ASSERT_NE(game->messageBar->Newest(), nullptr) << "the refusal says why";
    EXPECT_STREQ(game->messageBar->Newest()->text, "Insufficient level!");
    laser->buyLevel = 0;
    PressAttachmentSlot(3);
    EXPECT_EQ(rig.GetAttachedEntity("rightweapon"), laser);

    // With an empty hand a press takes the weapon off; an empty slot gives nothing.
    PressAttachmentSlot(2);
    EXPECT_EQ(bag->dragItem, gun);
    EXPECT_EQ(rig.GetAttachedEntity("leftweapon"), nullptr);
    ASSERT_TRUE(bag->AddItem(bag->TakeCarried(), false, false, -1));
    PressAttachmentSlot(2);
    EXPECT_EQ(bag->dragItem, nullptr);

    // The paper doll's slot icons and tooltip show the weapon that hangs there.
    DrawScreen();
    EXPECT_TRUE(Drew("No weapons attached") == false);
    EXPECT_TRUE(Drew("Laser:")) << "the damage row of the right weapon";
}

TEST_F(CharacterScreenTest, TheModuleSlotsTakeModulesOfThePlayersLevel)
{
    OpenInFrontEnd();
    Item* plating = NewItem("plating", ITEM_KIND_UPGRADE);
    Item* servo = NewItem("servo", ITEM_KIND_UPGRADE);
    Item* gun = NewItem("gun", ITEM_KIND_WEAPON);

    bag->Carry(gun);
    EXPECT_EQ(PressModuleSlot(0), 0) << "a weapon is no module";
    EXPECT_EQ(rig.GetEquippedItem(0), nullptr);
    delete bag->TakeCarried();

    servo->buyLevel = 5;
    bag->Carry(servo);
    game->messageBar->Clear();
    EXPECT_EQ(PressModuleSlot(0), 0) << "above the player's level";
    EXPECT_EQ(bag->dragItem, servo);
    ASSERT_NE(game->messageBar->Newest(), nullptr) << "the refusal says why";
    EXPECT_STREQ(game->messageBar->Newest()->text, "Insufficient level!");
    servo->buyLevel = 0;
    EXPECT_EQ(PressModuleSlot(0), 1);
    EXPECT_EQ(rig.GetEquippedItem(0), servo);
    EXPECT_EQ(bag->dragItem, nullptr);

    bag->Carry(plating);
    PressModuleSlot(0);
    EXPECT_EQ(rig.GetEquippedItem(0), plating);
    EXPECT_EQ(bag->dragItem, servo) << "the module it replaced is in the hand";
    PressModuleSlot(1);
    EXPECT_EQ(rig.GetEquippedItem(1), servo);

    PressModuleSlot(1);
    EXPECT_EQ(bag->dragItem, servo);
    EXPECT_EQ(rig.GetEquippedItem(1), nullptr);
    PressModuleSlot(1);
    PressModuleSlot(2);  // empty slot, empty hand
    EXPECT_EQ(bag->dragItem, nullptr);
    EXPECT_EQ(rig.GetEquippedItem(2), nullptr);

    // In a level the press is an order the next tick carries out; a hand that let the module go
    // meanwhile (as a replay's never took it) has it fitted out of the bag.
    Item* shield = NewItem("shield", ITEM_KIND_UPGRADE);
    bag->Carry(shield);
    game->state = GAME_STATE_PLAYING;
    TheOrders.Clear();
    EXPECT_EQ(PressModuleSlot(2), 1);
    EXPECT_EQ(rig.GetEquippedItem(2), nullptr) << "fitted at the next tick";
    const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].kind, ORDER_FIT_PART);
    EXPECT_EQ(given[0].text, "shield");
    ASSERT_TRUE(bag->AddItem(bag->TakeCarried(), false, false, -1));
    ApplyPlayerOrder(given[0]);
    EXPECT_EQ(rig.GetEquippedItem(2), shield);
    EXPECT_EQ(bag->dragItem, nullptr);
    game->state = GAME_STATE_FRONT_END;
}

TEST_F(CharacterScreenTest, ClosingTheScreenKeepsWhatTheHandHolds)
{
    OpenInFrontEnd();
    // A stackable item merges into its stack, and its record goes.
    Item* kits = NewItem("repair_kit", ITEM_KIND_ACTION, 2, true);
    ASSERT_TRUE(bag->AddItem(kits, false, false, 9));
    bag->Carry(NewItem("REPAIR_KIT", ITEM_KIND_ACTION, 3, true));
    screen->Show(false);
    EXPECT_EQ(bag->dragItem, nullptr);
    EXPECT_EQ(kits->stackCount, 5);

    // Anything else takes the first free slot, the hotbar included.
    OpenInFrontEnd();
    Item* gun = NewItem("gun", ITEM_KIND_WEAPON);
    bag->Carry(gun);
    screen->Show(false);
    EXPECT_EQ(bag->slots[4].item, gun);
    EXPECT_EQ(bag->dragItem, nullptr);

    // A full bag between missions: the item stays in the hand for the next opening.
    for (int i = 0; i < Inventory::SLOT_COUNT; ++i)
        if (bag->slots[i].kind == 0) {
            ASSERT_TRUE(bag->AddItem(NewItem("rock", ITEM_KIND_PICKUP), false, false, i));
        }
    OpenInFrontEnd();
    Item* laser = NewItem("laser", ITEM_KIND_WEAPON);
    bag->Carry(laser);
    screen->Show(false);
    EXPECT_EQ(bag->dragItem, laser) << "not lost";
    OpenInFrontEnd();
    EXPECT_EQ(bag->dragItem, laser);

    // Carried into a level, it is put down beside the rig by an order, at the next tick (with no
    // level to put it in, it stays in the hand).
    game->state = GAME_STATE_PLAYING;
    TheOrders.Clear();
    screen->Show(false);
    EXPECT_EQ(bag->dragItem, laser);
    const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].kind, ORDER_DROP_ITEM);
    EXPECT_EQ(given[0].text, "laser");

    // What the hand holds in a level never left its slot: closing with the bag full lets go of
    // it and orders nothing.
    delete bag->TakeCarried();
    OpenInFrontEnd();
    game->state = GAME_STATE_PLAYING;
    bag->PressSlot(4, false, false, false);
    ASSERT_EQ(bag->HeldItem(), gun);
    ASSERT_TRUE(bag->IsFull());
    screen->Show(false);
    EXPECT_EQ(bag->HeldItem(), nullptr);
    EXPECT_EQ(bag->slots[4].item, gun);
    EXPECT_EQ(TheOrders.Waiting(), 0u);
    game->state = GAME_STATE_FRONT_END;
}

TEST_F(CharacterScreenTest, TheScreenOpensWithTheShopOnlyBetweenMissions)
{
    OpenInFrontEnd();
    EXPECT_TRUE(screen->IsVisible());
    EXPECT_TRUE(screen->shopWindow->IsVisible());
    EXPECT_TRUE(screen->shopLists[0]->IsVisible());
    EXPECT_FALSE(screen->shopLists[1]->IsVisible());
    EXPECT_FALSE(screen->closeButton->IsVisible()) << "Back closes it here";

    screen->Show(false);
    EXPECT_FALSE(screen->IsVisible());
    EXPECT_FALSE(screen->shopWindow->IsVisible());
    EXPECT_FALSE(bag->panel->IsVisible());
    EXPECT_FALSE(screen->shopLists[0]->IsVisible());

    game->state = GAME_STATE_PLAYING;
    ToggleInventory(nullptr, nullptr);
    EXPECT_TRUE(screen->IsVisible());
    EXPECT_TRUE(bag->panel->IsVisible());
    EXPECT_FALSE(screen->shopWindow->IsVisible());
    EXPECT_TRUE(screen->closeButton->IsVisible());
    ToggleInventory(nullptr, nullptr);
    EXPECT_FALSE(screen->IsVisible());

    // The pointer over the screen's rectangle is over a window: the world does not take it.
    ToggleInventory(nullptr, nullptr);
    Pass(UnitH(100), UnitH(100));
    EXPECT_TRUE(manager.IsPointOverWindow(UnitH(100), UnitH(100), true));
    Pass(UnitH(700), UnitH(700));
    EXPECT_FALSE(manager.IsPointOverWindow(UnitH(700), UnitH(700), true));
}

TEST_F(CharacterScreenTest, EveryPictureOfTheScreenAndTheShopIsShipped)
{
    const std::map<std::string, std::string> shipped = ShippedTextureFiles();
    PlayerProfile* profile = GetPlayerProfile();
    for (int n : {1, 2, 6, 16}) profile->AwardAchievement(n);
    profile->skillPoints = 1;
    profile->experience = 150;
    profile->skills[0] = 2;
    rig.flags |= ENTITY_SHIELD;
    rig.AddAttachment(NewItem("laser", ITEM_KIND_WEAPON), "rightweapon", "RightWeapon", true);
    Item* module = NewItem("plating", ITEM_KIND_UPGRADE);
    module->buyLevel = 9;  // the red marker
    rig.EquipItem(module, 0);
    OpenInFrontEnd();
    std::set<std::string> drawn;
    for (int tab = 0; tab < 3; ++tab) {
        screen->shopTab = tab;
        screen->Show(true);
        DrawScreen();
        int x = 0, y = 0;
        screen->shopTabs[tab]->GetScreenPosition(&x, &y);
        Pass(x + 4, y + 4);  // a tab's light
        DrawScreen();
        for (const DrawnQuad& quad : painter.quads) drawn.insert(quad.texture);
    }
    game->state = GAME_STATE_PLAYING;
    screen->Show(true);
    DrawScreen();
    for (const DrawnQuad& quad : painter.quads) drawn.insert(quad.texture);
    for (const char* expected : {"wframe_blue.dds", "wframe_black.dds", "wframe_exp.dds", "playstop.dds", "exp_bar.dds",
                                 "skills_bar.dds", "skilldiv.dds", "paper_doll_sheet.dds", "rigpaint.dds", "storetabs.dds",
                                 "checkbox.dds", "grid_grad.dds", "damagetypes.dds", "itemicons.dds", "divbar.dds",
                                 "inventory_attach_red.dds", "missionbanner.dds", "button_red.dds"})
        EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const std::string& t) { return TextureFile(t) == expected; }))
            << expected;
    for (const std::string& texture : drawn) {
        if (texture.empty()) continue;
        EXPECT_TRUE(shipped.count(TextureFile(texture))) << texture;
    }
}

TEST_F(CharacterScreenTest, MessagesWaitBehindTheScreenDuringAMission)
{
    auto Has = [](const std::vector<std::string>& texts, const char* text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    const struct {
        int state;
        bool shown;
        bool seen;  // drawn, and aged away by the end
    } cases[] = {
        {GAME_STATE_PLAYING, true, false},
        {GAME_STATE_PLAYING, false, true},
        {GAME_STATE_FRONT_END, true, true},  // the screen's own refusals show beside it
    };
    for (const auto& c : cases) {
        game->state = c.state;
        screen->Show(c.shown);
        game->popups->Clear();
        game->messageBar->Clear();
        game->popups->Add("Mission requirements off", 4.0f, 0, -1);
        game->messageBar->AddMessage("Objective Complete!", 4.0f, 0);
        painter.Clear();
        game->popups->Draw();
        game->messageBar->Draw();
        EXPECT_EQ(Has(painter.Texts(), "Mission requirements off"), c.seen) << c.state << c.shown;
        EXPECT_EQ(Has(painter.Texts(), "Objective Complete!"), c.seen) << c.state << c.shown;
        game->popups->Update(5.0f);
        game->messageBar->Update(5.0f);
        EXPECT_EQ(game->popups->count, c.seen ? 0 : 1) << c.state << c.shown;
        EXPECT_EQ(game->messageBar->count, c.seen ? 0 : 1) << c.state << c.shown;
    }
    // Closed again, the held pop-up is there to be read.
    game->state = GAME_STATE_PLAYING;
    screen->Show(true);
    game->popups->Add("Objective Complete!", 4.0f, 0, -1);
    game->popups->Update(5.0f);
    screen->Show(false);
    painter.Clear();
    game->popups->Draw();
    EXPECT_TRUE(Has(painter.Texts(), "Objective Complete!"));
}
