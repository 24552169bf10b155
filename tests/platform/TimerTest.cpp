#include "platform/Timer.h"

#include <gtest/gtest.h>

namespace {

// A scripted clock: tests move it forward by hand.
uint64_t ticks = 0;
uint64_t ticksPerSecond = 1024;  // frame times in 1/1024 s are exact in float
uint32_t milliseconds = 0;

const ClockSource scripted = {
    [] { return ticks; },
    [] { return ticksPerSecond; },
    [] { return milliseconds; },
};

Timer StartedTimer(bool highRes = true)
{
    ticks = 5000;
    ticksPerSecond = 1024;
    milliseconds = 0;
    Timer timer;
    timer.SetClock(&scripted);
    timer.Init(highRes);
    return timer;
}

void Frame(Timer& timer, uint64_t frameTicks)
{
    ticks += frameTicks;
    timer.Tick();
}

}  // namespace

TEST(Timer, SteadyFramesFromTheFirstOn)
{
    // The ring is still empty at start: the first frames must not be averaged with zeros.
    Timer timer = StartedTimer();
    for (int i = 1; i <= 10; ++i) {
        Frame(timer, 16);
        EXPECT_FLOAT_EQ(timer.delta, 16.0f / 1024) << "frame " << i;
        EXPECT_EQ(timer.GetFrameCount(), i);
    }
    EXPECT_FLOAT_EQ(timer.time, 160.0f / 1024);
    EXPECT_FLOAT_EQ(timer.now, timer.time);
}

// A twentieth of a second is the same delta at start-up and after a day of play: a level
// plays the same whenever in the program's life it is played.
TEST(Timer, AFrameOfOneLengthGivesOneDeltaHoweverLongTheProgramRan)
{
    Timer timer = StartedTimer();
    timer.SetSmoothing(false);
    ticksPerSecond = 1000000;
    timer.Init(true);
    Frame(timer, 50000);
    const float first = timer.delta;
    EXPECT_FLOAT_EQ(first, 0.05f);
    for (uint64_t later : {uint64_t(3600) * 1000000, uint64_t(86400) * 1000000}) {
        ticks += later;
        timer.Tick();
        Frame(timer, 50000);
        EXPECT_EQ(timer.delta, first) << "after " << later / 1000000 << " s";
    }
}

TEST(Timer, HitchesAreSmoothedUnlessSwitchedOff)
{
    struct Case {
        uint64_t hitch;
        bool smoothing;
        float expected;  // ticks
        const char* what;
    };
    const Case cases[] = {
        // Seven frames of 13 and a hitch of 21: average 14, difference exactly half of it.
        {21, true, 21.0f, "difference of exactly half the average"},
        // Hitch 22: average 14.125, difference 7.875 > 7.0625.
        {22, true, 14.125f, "hitch replaced by the average"},
        {22, false, 22.0f, "smoothing off"},
        {100, true, (7 * 13 + 100) / 8.0f, "long hitch"},
    };
    for (const Case& c : cases) {
        Timer timer = StartedTimer();
        timer.SetSmoothing(c.smoothing);
        for (int i = 0; i < 15; ++i) Frame(timer, 13);
        float before = timer.time;
        Frame(timer, c.hitch);
        EXPECT_FLOAT_EQ(timer.delta, c.expected / 1024) << c.what;
        EXPECT_FLOAT_EQ(timer.time, before + c.hitch / 1024.0f) << c.what << ": the clock itself is not bent";
    }
}

TEST(Timer, ResetDropsTheLoadingTime)
{
    Timer timer = StartedTimer();
    for (int i = 0; i < 20; ++i) Frame(timer, 16);
    ticks += 5 * 1024;  // a level loads for five seconds
    timer.Reset();
    EXPECT_EQ(timer.delta, 0.0f);
    EXPECT_EQ(timer.GetFrameCount(), 0);
    Frame(timer, 16);
    EXPECT_FLOAT_EQ(timer.delta, 16.0f / 1024);
    EXPECT_EQ(timer.GetFrameCount(), 1);
}

TEST(Timer, FrameRateEveryHalfSecond)
{
    Timer timer = StartedTimer();
    for (int i = 0; i < 5; ++i) Frame(timer, 102);  // 0.0996 s each: 0.498 s
    EXPECT_EQ(timer.framesPerSecond, 0.0f);
    Frame(timer, 102);  // 0.598 s: six frames
    EXPECT_NEAR(timer.framesPerSecond, 6.0f / (6 * 102 / 1024.0f), 1e-3f);
    float rate = timer.framesPerSecond;
    Frame(timer, 102);
    EXPECT_EQ(timer.framesPerSecond, rate);  // not again before another half second

    // After a reset the next rate counts from the reset, not from the start.
    ticks += 100 * 1024;
    timer.Reset();
    for (int i = 0; i < 5; ++i) Frame(timer, 102);
    EXPECT_EQ(timer.framesPerSecond, 0.0f);
    Frame(timer, 102);
    EXPECT_NEAR(timer.framesPerSecond, 6.0f / (6 * 102 / 1024.0f), 1e-3f);
}

TEST(Timer, MillisecondClock)
{
    // Without the counter (asked not to use it, or there is none) the millisecond clock runs,
    // and its wrap at 2^32 does not disturb the time.
    for (bool highRes : {false, true}) {
        Timer timer = StartedTimer(highRes);
        if (highRes) {
            ticksPerSecond = 0;
            timer.Init(true);
        }
        EXPECT_EQ(timer.useHighResCounter, 0);
        milliseconds = 0xFFFFFF00u;
        timer.Init(highRes);
        milliseconds += 0x200;
        EXPECT_NEAR(timer.GetTime(), 0.512, 1e-9);
        timer.Tick();
        EXPECT_NEAR(timer.delta, 0.512f, 1e-6f);
    }
}

TEST(FrameGraph, RingAndColours)
{
    FrameGraph::Clear();
    for (int i = 1; i <= 302; ++i) FrameGraph::Record(float(i));
    EXPECT_EQ(FrameGraph::SampleForQuad(0), 302.0f);  // newest first
    EXPECT_EQ(FrameGraph::SampleForQuad(1), 3.0f);    // then the oldest kept
    EXPECT_EQ(FrameGraph::SampleForQuad(299), 301.0f);

    struct Case {
        int vertex;
        float sample;
        uint32_t colour;
    };
    const Case cases[] = {
        {0, 1.0f / 150, 0x10FFFF00},   // suspiciously short: yellow, faint at the left
        {0, 0.016f, 0x1000FF00},       // normal: green
        {0, 0.0266667f, 0x102673FF},   // slow: blue
        {0, 0.05f, 0x10FF0000},        // hitch: red
        {1199, 0.016f, 0x7E00FF00},    // alpha 16 + 1199/1200 x 111 = 126 at the right
    };
    for (const Case& c : cases) EXPECT_EQ(FrameGraph::VertexColour(c.vertex, c.sample), c.colour) << c.sample;
}
