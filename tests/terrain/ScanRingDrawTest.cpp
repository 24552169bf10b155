// A scan pulse on the graphics device: the ring glows on the ground around the scanning unit,
// green and brightest at its inner edge, and the ground inside and outside it is left as it was;
// a device reset after a scan brings the ring back as it was.
#include "interface/PlayerGame.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/Timer.h"
#include "terrain/ScanPulses.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/terrain/TerrainTestSupport.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"

#include <gtest/gtest.h>

namespace {

class ScanRingDrawing : public TerrainDrawTest {
protected:
    void SetUp() override
    {
        TerrainDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(TheScene.InitLists());
        game.CreateCatalogues();
        TheScene.ReleaseEntities();
        BuildTerrain(TheTerrain, 128, 128, [](int, int) { return 2.0f; });
    }
    void TearDown() override
    {
        scans.Release();
        TheScene.ReleaseEntities();
        TheTerrain.Free();
        TerrainDrawTest::TearDown();
    }

    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedGlobal<bool> paused{GamePaused, false};
    ScanEffects scans;
};

Agent* Scout(GameMechanics& game)
{
    Agent* scout = game.agentTypes->TakeFreeAgent();
    if (!scout) return nullptr;
    scout->alignment = ALIGN_PLAYER;
    scout->commandWord |= COMMAND_SCAN;
    scout->SetPosition(Vec3(0.0f, 5.0f, 0.0f));
    return TheScene.AddEntity(scout) ? scout : nullptr;
}

TEST_F(ScanRingDrawing, TheRingGlowsOnTheGroundAroundTheUnit)
{
    Agent* scout = Scout(game);
    ASSERT_NE(scout, nullptr);
    ASSERT_TRUE(scans.BeginScan(scout));
    FrameTimer.delta = 0.5f;  // the fixture's clock stands still otherwise

    LookAt(Vec3(0.0f, 40.0f, -0.01f), Vec3(0.0f, 0.0f, 0.0f));
    Pixels ground = Draw([&] { TheTerrain.Render(0, false); });
    // Half a second: the ring runs from 4.75 to 7.75 units around the unit.
    Pixels ring = Draw([&] {
        TheTerrain.Render(0, false);
        {
            const WorldTickScope tick(FrameTimer.delta);
            scans.Update();
        }
        scans.Draw(0);
    });
    EXPECT_NEAR(scans.list.head->value.currentOuter, 7.75f, 1e-4f);
    EXPECT_TRUE(MatchesReference(ring, "scan_ring", {4, 20}));

    // 40 units up with a 45 degree view, 240 pixels high: 1 unit of the ground is about 7.2
    // pixels there. The ground stands 5 units high and the ring one above it, 34 units from
    // the eye: it shows 40 / 34 times as wide, from about 5.6 to 9.1 units.
    const int cx = width / 2, cy = height / 2;
    const float unit = height / (2.0f * 40.0f * 0.41421f);
    auto at = [&](const Pixels& p, float r) { return p.At(cx + (int)(r * unit), cy); };
    uint32_t inner = at(ring, 6.0f), before = at(ground, 6.0f);
    EXPECT_GT(Green(inner), Green(before) + 30) << std::hex << inner << " over " << before;
    EXPECT_GE(Green(inner) - Green(before), Red(inner) - Red(before)) << "the glow is green";
    EXPECT_EQ(at(ring, 2.0f), at(ground, 2.0f)) << "inside the ring";
    EXPECT_EQ(at(ring, 10.5f), at(ground, 10.5f)) << "outside the ring";
}

TEST_F(ScanRingDrawing, ADeviceResetAfterAScanBringsTheRingBack)
{
    Agent* scout = Scout(game);
    ASSERT_NE(scout, nullptr);
    ASSERT_TRUE(scans.BeginScan(scout));
    LookAt(Vec3(0.0f, 40.0f, -0.01f), Vec3(0.0f, 0.0f, 0.0f));
    FrameTimer.delta = 0.5f;
    Pixels before = Draw([&] {
        TheTerrain.Render(0, false);
        {
            const WorldTickScope tick(FrameTimer.delta);
            scans.Update();
        }
        scans.Draw(0);
    });
    ASSERT_NE(scans.ringMesh, nullptr);

    // A lost device, or a new screen size: the ring's buffers must go with it.
    ASSERT_EQ(Graphics->ResetDevice(), DEVICE_USABLE);
    LookAt(Vec3(0.0f, 40.0f, -0.01f), Vec3(0.0f, 0.0f, 0.0f));
    FrameTimer.delta = 0.0f;
    Pixels after = Draw([&] {
        TheTerrain.Render(0, false);
        {
            const WorldTickScope tick(FrameTimer.delta);
            scans.Update();
        }
        scans.Draw(0);
    });
    int different = 0;
    for (size_t i = 0; i < before.argb.size(); ++i) different += !Near(before.argb[i], after.argb[i], 2);
    EXPECT_EQ(different, 0);
}

}  // namespace
