// Items leave the bag for the ground in a mission as a player puts them there: the rocket bot's
// pattern dragged out of the bag with the mouse and let go over the world lies by the rig, where
// the world shows it; a stack of health cannisters is refused; one cannister split off the stack
// is carried with a click and put down with a click on the ground. Each goes down at the tick
// after the hand lets it go.
#include "tests/app/PlayerSessionSupport.h"

#include "interface/CharacterGui.h"
#include "interface/Inventory.h"
#include "world/Item.h"

using namespace playersession;

namespace {

class ItemDropSession : public PlayerSession {
protected:
    // The middle of a slot of the bag on the screen.
    static void SlotCentre(const Inventory* bag, int slot, int* x, int* y)
    {
        const Button* button = bag->cells[slot].slotButton;
        button->GetScreenPosition(x, y);
        *x += button->width / 2;
        *y += button->height / 2;
    }
    // A point of the world on the screen beside the character screen, under no window.
    static void OpenWorldPoint(int* x, int* y)
    {
        *x = Config->width - 140;
        *y = Config->height / 2 - 60;
        for (int step = 0; step < 8 && WindowMgr->IsPointOverWindow(*x, *y, false); ++step) *y += 30;
    }
};

TEST_F(ItemDropSession, ItemsDraggedOrCarriedOutOfTheBagLieBesideTheRig)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    TypeInventoryKey();
    CharacterGui* screen = TheCharacterGui;
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(screen->IsVisible());
    Inventory* bag = screen->inventory;
    ASSERT_NE(bag, nullptr);

    // The new player's bag: two health cannisters in the hotbar, the rocket bot's pattern beside it.
    int patternSlot = -1, kitSlot = -1;
    for (int i = 0; i < Inventory::SLOT_COUNT; ++i) {
        const Item* item = bag->slots[i].item;
        if (item && item->kind == ITEM_KIND_UNIT) patternSlot = i;
        if (item && StrICmp(item->name, "health_cannister") == 0) kitSlot = i;
    }
    ASSERT_GE(patternSlot, 0);
    ASSERT_GE(kitSlot, 0);
    ASSERT_EQ(bag->slots[kitSlot].item->stackCount, 2);
    const int drop = SoundMgr->FindSound("dropitem"), bad = SoundMgr->FindSound("bad");
    ASSERT_GE(drop, 0) << "the drop's sound is shipped";

    int worldX = 0, worldY = 0;
    OpenWorldPoint(&worldX, &worldY);
    ASSERT_FALSE(WindowMgr->IsPointOverWindow(worldX, worldY, false)) << "the world shows beside the screen";

    // The pattern pressed on, dragged out of the bag with the button held, let go over the world.
    Item* pattern = bag->slots[patternSlot].item;
    int x = 0, y = 0;
    SlotCentre(bag, patternSlot, &x, &y);
    MoveMouseTo(x, y);
    InputScript::ButtonDown(0);
    Passes(1, 0.02f);
    EXPECT_EQ(bag->HeldItem(), pattern) << "the press takes the pattern in hand";
    MoveMouseTo(worldX, worldY);
    const int dropsBefore = SoundMgr->TimesStarted(drop);
    InputScript::ButtonUp(0);
    Passes(1, 0.02f);
    // Put down at the next tick.
    UntilTick();
    EXPECT_EQ(bag->HeldItem(), nullptr) << "letting go over the world empties the hand";
    EXPECT_EQ(bag->slots[patternSlot].kind, 0);
    EXPECT_TRUE(InLevel(pattern)) << "the pattern lies in the level";
    EXPECT_EQ(SoundMgr->TimesStarted(drop), dropsBefore + 1) << "the drop was heard";
    const Vec3 rigAt = rig->GetPosition(), lies = pattern->GetPosition();
    EXPECT_LT(std::hypot(lies.x - rigAt.x, lies.z - rigAt.z), 4.0f) << "it lies beside the rig";
    EXPECT_NEAR(lies.y, TheTerrain.GetHeight(lies) + 1.0f, 0.25f) << "a little above the ground";

    // A stack may not leave: the kits stay in hand, the click says no and selects nothing new.
    SlotCentre(bag, kitSlot, &x, &y);
    MoveMouseTo(x, y);
    Click(0);
    Item* kits = bag->HeldItem();
    ASSERT_NE(kits, nullptr);
    MoveMouseTo(worldX, worldY);
    const int badBefore = SoundMgr->TimesStarted(bad);
    Click(0);
    EXPECT_EQ(bag->HeldItem(), kits) << "a stack stays in hand";
    EXPECT_EQ(SoundMgr->TimesStarted(bad), badBefore + 1);
    EXPECT_FALSE(InLevel(kits));
    // Back into its slot; then one kit split off with Shift is carried by a click and put down
    // by a click on the ground.
    SlotCentre(bag, kitSlot, &x, &y);
    MoveMouseTo(x, y);
    Click(0);
    ASSERT_EQ(bag->HeldItem(), nullptr);
    ASSERT_EQ(bag->slots[kitSlot].item->stackCount, 2);
    int exitCode = 0;
    InputScript::KeyDown(DIK_LSHIFT);
    DrainMessages(&exitCode);
    Passes(1, 0.02f);
    Click(0);
    InputScript::KeyUp(DIK_LSHIFT);
    DrainMessages(&exitCode);
    Passes(1, 0.02f);
    // The hand holds one of the stack; the world splits it off when it is put down.
    EXPECT_EQ(bag->HeldItem(), kits);
    EXPECT_EQ(bag->HeldCount(), 1);
    EXPECT_EQ(bag->slots[kitSlot].item->stackCount, 2);
    MoveMouseTo(worldX, worldY);
    Click(0);
    UntilTick();
    EXPECT_EQ(bag->HeldItem(), nullptr);
    EXPECT_EQ(bag->slots[kitSlot].item->stackCount, 1);
    Item* kit = nullptr;
    for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, 0); e; e = TheScene.NextInCategory())
        if ((e->flags & ENTITY_ITEM) && e != kits && StrICmp(e->name, "health_cannister") == 0) kit = static_cast<Item*>(e);
    ASSERT_NE(kit, nullptr);
    EXPECT_EQ(kit->stackCount, 1);
    EXPECT_TRUE(InLevel(kit)) << "the single kit lies in the level";
    EXPECT_LT(std::hypot(kit->GetPosition().x - rigAt.x, kit->GetPosition().z - rigAt.z), 4.0f);

    // With the screen closed the world shows what lies beside the rig.
    TypeInventoryKey();
    ASSERT_FALSE(screen->IsVisible());
    MoveMouseTo(Config->width - 20, 20);
    Passes(4, 0.05f);
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/item_drop_session.png", shot));
    Pixels picture = ToPixels(shot);
    int rigX = 0, rigY = 0;
    ASSERT_TRUE(OnScreen(rigAt, &rigX, &rigY));
    Pixels around = CropPixels(picture, rigX - 160, rigY - 120, rigX + 160, rigY + 120);
    EXPECT_TRUE(MatchesReference(around, "item_drop_session", {12, around.width * around.height / 50}));

    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
}

}  // namespace
