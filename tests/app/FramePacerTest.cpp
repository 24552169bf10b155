// Frame pacing on a scripted clock: the frames a paced loop draws in a second, the waits it
// makes after short and long frames, and the one log line. Nothing here sleeps.
#include "app/FramePacer.h"

#include "host/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Microsecond ticks; the sleeper moves the clock on by what it was asked to wait.
uint64_t PacerTicks = 0;
std::vector<double> Sleeps;
const ClockSource Scripted = {[] { return PacerTicks; }, [] { return (uint64_t)1000000; }, [] { return (uint32_t)(PacerTicks / 1000); }};
void ScriptedSleep(double seconds)
{
    Sleeps.push_back(seconds);
    PacerTicks += (uint64_t)(seconds * 1e6 + 0.5);
}

FramePacer ScriptedPacer()
{
    PacerTicks = 1000;
    Sleeps.clear();
    FramePacer pacer;
    pacer.SetClock(&Scripted, ScriptedSleep);
    return pacer;
}

// Runs frames that each take `workMicroseconds` before their end; returns the frames that
// ended within the first `seconds` of the run.
int FramesIn(FramePacer& pacer, double seconds, uint64_t workMicroseconds)
{
    uint64_t end = PacerTicks + (uint64_t)(seconds * 1e6);
    int frames = 0;
    while (PacerTicks < end) {
        PacerTicks += workMicroseconds;
        pacer.EndFrame();
        if (PacerTicks <= end) ++frames;
    }
    return frames;
}

}  // namespace

TEST(FramePacer, AnIdleLoopDrawsNoMoreFramesThanTheRefreshRate)
{
    struct Case {
        int rate;          // as the display says
        uint64_t work;     // microseconds a frame takes before it is paced
        int paced;         // the rate paced to
        int framesLow, framesHigh;  // frames in ten seconds
    };
    const Case cases[] = {
        {60, 300, 60, 599, 601},    // an idle front end on a 60 Hz display
        {0, 300, 60, 599, 601},     // a display that does not say: 60
        {-1, 300, 60, 599, 601},
        {144, 300, 144, 1439, 1441},
        {60, 16000, 60, 599, 601},  // frames that nearly fill their share
        {60, 40000, 60, 250, 251},  // frames slower than the display: never waited for
    };
    for (const Case& c : cases) {
        FramePacer pacer = ScriptedPacer();
        pacer.Start(c.rate);
        EXPECT_EQ(pacer.GetRate(), c.paced) << c.rate;
        int frames = FramesIn(pacer, 10.0, c.work);
        EXPECT_GE(frames, c.framesLow) << c.rate << " Hz, " << c.work << " us";
        EXPECT_LE(frames, c.framesHigh) << c.rate << " Hz, " << c.work << " us";
        if (c.work * c.paced > 1000000) {
            EXPECT_TRUE(Sleeps.empty()) << "a slow frame is not made slower";
        }
    }
}

TEST(FramePacer, ALateFrameStartsANewBeatWithoutABurst)
{
    FramePacer pacer = ScriptedPacer();
    pacer.Start(50);  // 20 ms a frame
    FramesIn(pacer, 1.0, 1000);
    // A frame 3 ms late: the beat holds, the next frame gets the 17 ms left of its share.
    Sleeps.clear();
    PacerTicks += 23000;
    pacer.EndFrame();
    EXPECT_TRUE(Sleeps.empty());
    PacerTicks += 1000;
    pacer.EndFrame();
    ASSERT_EQ(Sleeps.size(), 1u);
    EXPECT_NEAR(Sleeps[0], 0.016, 1e-6);
    // A hitch of half a second: the frames after it are paced from it, not rushed to catch up.
    Sleeps.clear();
    PacerTicks += 500000;
    pacer.EndFrame();
    for (int i = 0; i < 5; ++i) {
        PacerTicks += 1000;
        pacer.EndFrame();
    }
    ASSERT_EQ(Sleeps.size(), 5u);
    for (double sleep : Sleeps) EXPECT_NEAR(sleep, 0.019, 1e-6);
}

TEST(FramePacer, SaysOnceThatItPacesAndWaitsForNothingWhenStopped)
{
    FramePacer pacer = ScriptedPacer();
    LogCaptureBegin();
    pacer.Start(0);
    pacer.Stop();
    EXPECT_FALSE(pacer.IsPacing());
    FramesIn(pacer, 1.0, 300);
    EXPECT_TRUE(Sleeps.empty()) << "not pacing: no waits";
    pacer.Start(75);  // a device made again
    std::string log = LogCaptureEnd();
    EXPECT_EQ(log, "WARNING: the driver does not wait for the display's refresh (vsync); frames are paced to 60 a second\n");
}
