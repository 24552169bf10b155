// Ore as a player finds and cuts it, in the real game: the rig walks up to a deposit, scans, and
// sent at the ore the scan found with a right click, cuts ore from it into the player's stock.
#include "tests/app/PlayerSessionSupport.h"

#include "terrain/ScanPulses.h"

using namespace playersession;

namespace {

TEST_F(PlayerSession, TheRigScansForOreAndCutsIt)
{
    UntilPlaying();
    TheGame->EndLevel();
    ReturnToMainMenu();
    Passes(2, 0.05f);
    ASSERT_TRUE(StartMissionOn(FOREST));
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
    ASSERT_TRUE(TheScanEffects.BeginScan()) << "the rig scans";
    Passes(30, 0.05f);
    ASSERT_TRUE(deposit->flags & ENTITY_RESOURCE_REVEALED) << "the scan found the ore";

    // The right click on the ore sets the rig cutting.
    const float oreBefore = GetPlayerProfile()->ore;
    int x = 0, y = 0;
    ASSERT_TRUE(OnScreen(deposit->GetPosition(), &x, &y));
    MoveMouseTo(x, y);
    Click(1);
    for (int second = 0; second < 20; ++second) Passes(10, 0.1f);
    EXPECT_GT(GetPlayerProfile()->ore, oreBefore + 8.0f) << "twenty seconds of cutting bring ore";
}

}  // namespace
