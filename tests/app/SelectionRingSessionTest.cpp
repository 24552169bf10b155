// The rings under what the player selects, in a real level: a gunner's ring is as wide as the
// rig's, whether it was first selected standing on its grid point, turned, between two points,
// or walking; the rig and a gunner selected together show two rings alike.
#include "host/WorldGuard.h"
#include "tests/app/PlayerSessionSupport.h"

#include "interface/SceneOverlays.h"
#include "world/AgentTypeRegistry.h"

#include <algorithm>
#include <cmath>

using namespace playersession;

namespace {

class SelectionRingSession : public PlayerSession {
protected:
    // How far the unit stands from the grid point nearest to it, on the ground.
    static float OffItsGridPoint(Entity* unit)
    {
        const Vec3 at = unit->GetPosition(), point = CurrentGrid()->SnapToGridPoint(at);
        return std::hypot(at.x - point.x, at.z - point.z);
    }
};

TEST_F(SelectionRingSession, AGunnersRingIsAsWideAsTheRigsWhereverItWasFirstSelected)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), rig);
    Passes(1, 0.05f);
    const float rigRing = RingSize(rig, true, nullptr);
    EXPECT_FLOAT_EQ(rigRing, 1.0f) << "the rig is narrower than a cell";

    // Gunners standing as a walk or a fight leaves them, each selected for the first time with
    // a click.
    const struct {
        const char* stance;
        float dx, dz;  // from the grid point it was put on
        float yaw;
    } stances[] = {
        {"on its grid point", 0.0f, 0.0f, 0.0f},
        {"turned on its grid point", 0.0f, 0.0f, 45.0f},
        {"between two points", 1.1f, 0.0f, 0.0f},
        {"between two points, turned", 0.9f, 0.9f, 45.0f},
        {"short of its point, facing across", 0.0f, 1.25f, 90.0f},
    };
    for (const auto& stance : stances) {
        SCOPED_TRACE(stance.stance);
        Agent* gunner = PlaceUnit("gunner_bot", rig->GetPosition());
        ASSERT_NE(gunner, nullptr);
        gunner->SetPosition(gunner->GetPosition() + Vec3(stance.dx, 0.0f, stance.dz));
        gunner->yaw = stance.yaw;
        gunner->ResetMovement();
        Passes(1, 0.05f);
        ASSERT_TRUE(ClickAt(gunner->GetCenter(), 0));
        ASSERT_EQ(TheGame->GetFirstSelected(), gunner) << "a click selects the gunner";
        Passes(1, 0.05f);
        EXPECT_FLOAT_EQ(RingSize(gunner, true, nullptr), rigRing);
        // The rig selected again, the gunner goes, to leave the ground clear for the next.
        ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
        {
            const WorldChangeScope staged;
            gunner->LeaveGridCell();
            TheScene.RemoveEntity(gunner, REMOVE_EVERYWHERE);
            TheGame->agentTypes->ReturnAgent(gunner);
        }
    }

    // A gunner walking off to a rally point, caught on its way: the game paused, the rig clicked
    // and the gunner added with Shift. The rings stay alike on the way and once it stands.
    Agent* gunner = PlaceUnit("gunner_bot", rig->GetPosition());
    ASSERT_NE(gunner, nullptr);
    Vec3 goal;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition() + Vec3(-8.0f, 0.0f, -4.0f), &goal));
    gunner->MoveTo(goal, true);
    // Half way between two points, where its mesh reaches over a cell's edge.
    for (int i = 0; i < 40 && OffItsGridPoint(gunner) < 1.0f; ++i) Passes(1, 0.02f);
    Press(DIK_PAUSE);
    ASSERT_TRUE(GamePaused);
    ASSERT_GE(OffItsGridPoint(gunner), 1.0f) << "the gunner is between two points";
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    InputScript::KeyDown(DIK_LSHIFT);
    ASSERT_TRUE(ClickAt(playerhand::DrawnCenter(gunner), 0));
    InputScript::KeyUp(DIK_LSHIFT);
    Pass();
    ASSERT_TRUE(TheGame->hand.IsSelected(rig));
    ASSERT_TRUE(TheGame->hand.IsSelected(gunner)) << "Shift added the walking gunner";
    EXPECT_FLOAT_EQ(RingSize(gunner, true, nullptr), rigRing) << "on its way";
    Press(DIK_PAUSE);
    ASSERT_FALSE(GamePaused);
    for (int i = 0; i < 200 && gunner->HasStanceBits(); ++i) Passes(1, 0.05f);
    EXPECT_FALSE(gunner->HasStanceBits()) << "the gunner arrived";
    EXPECT_FLOAT_EQ(RingSize(gunner, true, nullptr), rigRing) << "where it stands";

    // The two rings as the player sees them.
    int rigX = 0, rigY = 0, gunnerX = 0, gunnerY = 0;
    ASSERT_TRUE(OnScreen(rig->GetPosition(), &rigX, &rigY));
    ASSERT_TRUE(OnScreen(gunner->GetPosition(), &gunnerX, &gunnerY));
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/selection_rings.png", shot));
    const Pixels picture = ToPixels(shot);
    const int margin = Config->height / 8;
    const Pixels rings = CropAround(picture, rigX, rigY, gunnerX, gunnerY, margin);
    EXPECT_TRUE(MatchesReference(rings, "selection_rings_rig_and_gunner", {12, rings.width * rings.height / 50}));
}

}  // namespace
