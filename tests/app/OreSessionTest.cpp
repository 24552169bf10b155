// Ore as a player finds and cuts it, in the real game: the rig walks up to a deposit, whose grey
// block the cursor names and a right click says must be scanned, scans, and sent at the ore the
// scan found with a right click, cuts ore from it into the player's stock.
// A left click on the ore, and then on a kit lying beside it, shows their pages on the main
// display.
#include "host/WorldGuard.h"
#include "tests/app/PlayerSessionSupport.h"

#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "render/GraphicsDevice.h"
#include "render/HintBox.h"
#include "terrain/ScanPulses.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"

using namespace playersession;

namespace {

TEST_F(PlayerSession, TheRigScansForOreAndCutsIt)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);

    // The nearest deposit; its ore lies hidden until a scan passes over it.
    Entity* deposit = nullptr;
    float nearest = 1e9f;
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory()) {
        if (!(entity->flags & ENTITY_RESOURCE) || !entity->IsAlive()) continue;
        Vec3 d = entity->GetPosition() - rig->GetPosition();
        float distance = sqrtf(d.x * d.x + d.z * d.z);
        if (distance < nearest) nearest = distance, deposit = entity;
    }
    ASSERT_NE(deposit, nullptr) << "the level has ore";

    // Up to it, a few units short, then the scan.
    Vec3 toward = rig->GetPosition() - deposit->GetPosition();
    float length = sqrtf(toward.x * toward.x + toward.z * toward.z);
    Vec3 stand = deposit->GetPosition() + Vec3(toward.x / length * 6.0f, 0.0f, toward.z / length * 6.0f);
    rig->MoveTo(stand, true);
    for (int second = 0; second < 30; ++second) {
        Passes(10, 0.1f);
        Vec3 d = deposit->GetPosition() - rig->GetPosition();
        if (sqrtf(d.x * d.x + d.z * d.z) < 9.0f && !rig->HasStanceBits()) break;
    }
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);

    // Before the scan the deposit is a grey block: the cursor on it names it and says what it
    // wants, and a right click on it says so too.
    int x = 0, y = 0;
    ASSERT_TRUE(OnScreen(deposit->GetPosition(), &x, &y));
    MoveMouseTo(x, y);
    Passes(2, 0.05f);
    ASSERT_FALSE(deposit->flags & ENTITY_RESOURCE_REVEALED);
    EXPECT_STREQ(TheMissionHud.hintBox->text, "Ore deposit - Scan near it to mine it");
    Click(1);
    Passes(3, 0.05f);  // the right click's order is carried out at the next tick
    bool told = false;
    for (MessageNode* line = TheGame->messageBar->head; line; line = line->next)
        told = told || strcmp(line->text, "Scan near this ore before it can be mined!") == 0;
    EXPECT_TRUE(told) << "the right click says why the rig does not cut it";
    Passes(20, 0.05f);

    ASSERT_TRUE(TheScanEffects.BeginScan(TheGame->GetFirstSelected())) << "the rig scans";
    Passes(30, 0.05f);
    ASSERT_TRUE(deposit->flags & ENTITY_RESOURCE_REVEALED) << "the scan found the ore";

    // The right click on the ore sets the rig cutting.
    const float oreBefore = GetPlayerProfile()->ore;
    ASSERT_TRUE(OnScreen(deposit->GetPosition(), &x, &y));
    MoveMouseTo(x, y);
    Passes(1, 0.05f);
    EXPECT_STREQ(TheMissionHud.hintBox->text, "Ore deposit");
    Click(1);
    for (int second = 0; second < 20; ++second) Passes(10, 0.1f);
    EXPECT_GT(GetPlayerProfile()->ore, oreBefore + 8.0f) << "twenty seconds of cutting bring ore";

    // Clicked, the ore and then a kit on the ground show their pages: the portrait, the title,
    // the ore left in its meter, the kit's text.
    Vec3 ground;
    ASSERT_TRUE(FindOpenGround(deposit->GetPosition(), &ground));
    Item* kit = nullptr;
    {
        const WorldChangeScope staged;
        kit = SpawnItemAt("repair_kit", ground);
    }
    ASSERT_NE(kit, nullptr);
    Passes(2, 0.05f);
    const struct {
        Entity* entity;
        const char* picture;
    } pages[] = {{deposit, "ore_session_ore_page"}, {kit, "ore_session_item_page"}};
    for (const auto& page : pages) {
        ASSERT_TRUE(OnScreen(page.entity->GetCenter(), &x, &y));
        MoveMouseTo(x, y);
        Click(0);
        ASSERT_EQ(TheGame->GetFirstSelected(), page.entity) << page.picture;
        Passes(1, 0.05f);
        RenderFrame();
        Pixels frame = ReadBackBuffer(Graphics->device);
        const Window* shown = TheEntityInfoGui;
        ASSERT_TRUE(shown->IsVisible());
        EXPECT_TRUE(MatchesReference(CropPixels(frame, shown->x, shown->y, shown->x + shown->width, shown->y + shown->height),
                                     page.picture, {16, shown->width * shown->height / 50}));
    }
}

}  // namespace
