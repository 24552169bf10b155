// The power bar shows the level's ledger: supply against a scale of at least 100, red while
// power is short, the demand chevron along the bar; laid out by the screen height. The fill's picture drifts, so its
// buffer is one made to be rewritten every frame.
#include "gui/GuiMeter.h"
#include "interface/PowerBar.h"
#include "platform/Timer.h"
#include "render/Sprite.h"
#include "world/PowerLedger.h"
#include "tests/interface/InterfaceTestSupport.h"

using PowerBarTest = HudTest;

TEST_F(PowerBarTest, GeometryAt1024x768)
{
    PowerBar bar;
    EXPECT_EQ(bar.barX, 1024 + 32 - 512);
    EXPECT_EQ(bar.barY, 8);
    EXPECT_EQ(bar.barWidth, 110);
    EXPECT_EQ(bar.barHeight, 14);
    EXPECT_EQ(bar.chevronWidth, 22);
    EXPECT_EQ(bar.chevronHeight, 22);
    EXPECT_EQ(bar.chevron->left - bar.barX, -11) << "a fresh level's ledger: no demand";
}

TEST_F(PowerBarTest, TheMeterShowsSupplyAndTheChevronDemand)
{
    const struct {
        float supply, demand;
        float value;
        uint32_t colour;
        int chevronLeft;  // from the bar's left end
    } cases[] = {
        {20.0f, 0.0f, 20.0f, PowerBar::COLOUR_ENOUGH, -11},
        {150.0f, 200.0f, 75.0f, PowerBar::COLOUR_SHORT, 110 - 11},
        {60.0f, 60.0f, 60.0f, PowerBar::COLOUR_ENOUGH, 66 - 11},
        {0.0f, 0.0f, 0.0f, PowerBar::COLOUR_ENOUGH, -11},
        {400.0f, 100.0f, 100.0f, PowerBar::COLOUR_ENOUGH, 27 - 11},
    };
    PowerBar bar;
    for (const auto& c : cases) {
        PowerLedger ledger;
        ledger.supply = c.supply;
        ledger.demand = c.demand;
        painter.Clear();
        bar.Update(ledger);
        EXPECT_FLOAT_EQ(bar.meter->value, c.value) << c.supply << "/" << c.demand;
        EXPECT_EQ(bar.meter->fill->colour, c.colour) << c.supply << "/" << c.demand;
        EXPECT_EQ(bar.chevron->left - bar.barX, c.chevronLeft) << c.supply << "/" << c.demand;
        EXPECT_EQ(bar.chevron->right - bar.chevron->left, 22);
        EXPECT_EQ(bar.chevron->top, bar.barY);
        EXPECT_EQ(bar.chevron->bottom, bar.barY + 22);
        // The meter first, the chevron over it.
        ASSERT_FALSE(painter.quads.empty());
        EXPECT_EQ(painter.quads.back().sprite, bar.chevron);
    }
    PowerLedger ledger;
    ledger.supply = 5.0f;
    ledger.demand = 7.0f;
    EXPECT_TRUE(ledger.IsShort());
    ledger.Reset();
    EXPECT_FALSE(ledger.IsShort());
    EXPECT_FLOAT_EQ(ledger.supply, 20.0f);
}

TEST_F(PowerBarTest, TheDriftingFillIsWrittenIntoABufferMadeForIt)
{
    ScopedGlobal<float> delta(FrameTimer.delta, 0.05f);
    PowerBar bar;
    float before = bar.meter->fill->ua;
    const PowerLedger ledger;
    for (int frame = 0; frame < 3; ++frame) bar.Update(ledger);
    EXPECT_NE(bar.meter->fill->ua, before) << "the picture drifts along the bar";
    EXPECT_NE(bar.meter->fill->flags & SPRITE_DYNAMIC, 0u);
}
