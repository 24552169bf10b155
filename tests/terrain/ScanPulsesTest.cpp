// Scan pulses without a device: who may scan, the five-second wait and the Scan button's
// countdown, the ring that grows for one second and stops and finds the ore it passes over in
// frames never drawn, the pause that holds both, and the sixteen pulses there is room for.
#include "gui/Button.h"
#include "interface/MissionHud.h"
#include "mechanics/Game.h"
#include "platform/Timer.h"
#include "terrain/ScanPulses.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SelectionSeam : NullGameSeam {
    Entity* selected = nullptr;
    Entity* GetFirstSelected() override { return selected; }
};

class ScanPulses : public WorldTest {
protected:
    void TearDown() override
    {
        scans.Release();
        WorldTest::TearDown();
    }
    Agent* Scanner(float x)
    {
        Agent* agent = NewAgent(ALIGN_PLAYER);
        agent->commandWord |= COMMAND_SCAN;
        agent->SetPosition(Vec3(x, 0.0f, 10.0f));
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }
    // One frame: the game's update, then the terrain's passes.
    void Frame()
    {
        Tick();
        for (int pass : {0, 1, 2, 3}) scans.Draw(pass);
    }
    // One tick of the world, as long as a frame.
    void Tick()
    {
        const WorldTickScope tick(FrameTimer.delta);
        scans.Update();
    }
    const ScanRecord* Pulse() { return scans.list.head ? &scans.list.head->value : nullptr; }

    ScanEffects scans;
    SelectionSeam seam;
    ScopedGameSeam installed{&seam};
    ScopedGlobal<float> delta{FrameTimer.delta, 0.1f};
    ScopedGlobal<bool> paused{GamePaused, false};
};

TEST_F(ScanPulses, OnlyAUnitWithTheScanCommandScansAndThenWaitsFiveSeconds)
{
    Agent* plain = NewAgent(ALIGN_PLAYER);
    ASSERT_NE(TheScene.AddEntity(plain), nullptr);
    Building* house = NewBuilding(ALIGN_PLAYER);
    ASSERT_NE(TheScene.AddEntity(house), nullptr);
    EXPECT_FALSE(scans.BeginScan(seam.selected)) << "nothing selected";
    seam.selected = plain;
    EXPECT_FALSE(scans.BeginScan(seam.selected)) << "no Scan command";
    seam.selected = house;
    EXPECT_FALSE(scans.BeginScan(seam.selected));

    Agent* scout = Scanner(0.0f);
    seam.selected = scout;
    ASSERT_TRUE(scans.BeginScan(seam.selected));
    EXPECT_FLOAT_EQ(scans.GetCooldown(scout), 5.0f);
    EXPECT_FALSE(scans.BeginScan(seam.selected)) << "still waiting";
    for (int frame = 0; frame < 49; ++frame) Frame();
    EXPECT_GT(scans.GetCooldown(scout), 0.0f);
    EXPECT_FALSE(scans.BeginScan(seam.selected));
    for (int frame = 0; frame < 2; ++frame) Frame();
    EXPECT_EQ(scans.GetCooldown(scout), 0.0f);
    EXPECT_EQ(scans.list.count, 0) << "the pulse is gone with the wait";
    EXPECT_TRUE(scans.BeginScan(seam.selected));
}

TEST_F(ScanPulses, TheRingGrowsForOneSecondToElevenAndAHalf)
{
    Agent* scout = Scanner(20.0f);
    ASSERT_TRUE(scans.BeginScan(scout));
    float largest = 0.0f;
    int growing = 0;
    for (int frame = 0; frame < 15; ++frame) {
        Frame();
        if (Pulse()->active) ++growing;
        largest = std::max(largest, Pulse()->currentOuter);
    }
    EXPECT_FALSE(Pulse()->active);
    EXPECT_NEAR(largest, 11.5f, 0.01f);
    EXPECT_GE(growing, 9);
    EXPECT_LE(growing, 10);
    EXPECT_FLOAT_EQ(Pulse()->position.x, 20.0f) << "centred on the scanning unit";

    // The ring's corners lie on its two circles around the unit, one unit above the ground.
    ScanRecord record;
    record.position = Vec3(20.0f, 0.0f, 10.0f);
    record.phase = 7.5f;
    Vec3 ring[48];
    ScanEffects::RingPositions(record, ring);
    EXPECT_NEAR(ring[0].z - 10.0f, 8.5f, 1e-4f);
    EXPECT_NEAR(ring[24 + 6].x - 20.0f, 11.5f, 1e-4f) << "a quarter round the outer circle";
    EXPECT_NEAR(ring[5].y, 1.0f, 1e-4f) << "no terrain: the ground is at 0";
}

TEST_F(ScanPulses, TheRingFindsOreAndTheWaitRunsDownInFramesNeverDrawn)
{
    Agent* scout = Scanner(0.0f);
    struct Deposit {
        float x;
        bool found;  // within the ring's 11.5 units of the scout
    };
    const Deposit deposits[] = {{3.0f, true}, {8.0f, true}, {11.0f, true}, {14.0f, false}, {-30.0f, false}};
    std::vector<Entity*> ore;
    for (const Deposit& d : deposits) {
        ore.push_back(NewEntity(ENTITY_RESOURCE));
        ore.back()->SetPosition(Vec3(d.x, 0.0f, 10.0f));
        ASSERT_NE(TheScene.AddEntity(ore.back()), nullptr);
    }
    ASSERT_TRUE(scans.BeginScan(scout));
    for (int frame = 0; frame < 51; ++frame) Tick();
    for (size_t i = 0; i < ore.size(); ++i)
        EXPECT_EQ((ore[i]->flags & ENTITY_RESOURCE_REVEALED) != 0, deposits[i].found) << "ore at " << deposits[i].x;
    EXPECT_EQ(scans.GetCooldown(scout), 0.0f) << "the wait ran down";
    EXPECT_EQ(scans.ringMesh, nullptr) << "nothing of the ring's drawing was made";
}

TEST_F(ScanPulses, APausedGameHoldsTheWaitAndTheRing)
{
    Agent* scout = Scanner(0.0f);
    ASSERT_TRUE(scans.BeginScan(scout));
    Frame();
    const float phase = Pulse()->phase, wait = scans.GetCooldown(scout);
    GamePaused = true;
    for (int frame = 0; frame < 30; ++frame) Frame();
    EXPECT_FLOAT_EQ(Pulse()->phase, phase);
    EXPECT_FLOAT_EQ(scans.GetCooldown(scout), wait);
}

TEST_F(ScanPulses, TheScanButtonCountsTheWaitDown)
{
    Button button(nullptr, nullptr, 0, 0, 64, 64, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    ScopedGlobal<Button*> hud{HudScanButton, &button};
    Agent* scout = Scanner(0.0f);
    seam.selected = scout;
    UpdateScanButton();
    EXPECT_STREQ(button.text, "Scan");
    ASSERT_TRUE(scans.BeginScan(seam.selected));
    for (int frame = 0; frame < 10; ++frame) Frame();
    EXPECT_STREQ(button.text, "Scan(4)") << "one second after the scan";
    for (int frame = 0; frame < 41; ++frame) Frame();
    EXPECT_STREQ(button.text, "Scan") << "five seconds after it";
    seam.selected = nullptr;
    button.SetText("other");
    UpdateScanButton();
    EXPECT_STREQ(button.text, "other") << "nothing selected: the button is left alone";
}

TEST_F(ScanPulses, SixteenPulsesRunAtOnceAndASeventeenthIsRefused)
{
    for (int i = 0; i < ScanEffects::CAPACITY; ++i) ASSERT_TRUE(scans.BeginScan(Scanner(-100.0f + 10.0f * i))) << i;
    Agent* late = Scanner(90.0f);
    EXPECT_FALSE(scans.BeginScan(late));
    EXPECT_EQ(scans.GetCooldown(late), 0.0f) << "a refused unit does not wait";
    EXPECT_EQ(scans.list.count, ScanEffects::CAPACITY);
}

}  // namespace
