#include "mechanics/ReplayVerification.h"

#include "mechanics/Game.h"
#include "mechanics/Replay.h"
#include "platform/Timer.h"

#include <cstdint>
#include <cstdio>

namespace {

// The verification's own clock: each pass is half a second of play.
uint64_t VerifyMicroseconds = 0;
uint64_t VerifyCounter() { return VerifyMicroseconds; }
uint64_t VerifyFrequency() { return 1000000; }
uint32_t VerifyMilliseconds() { return (uint32_t)(VerifyMicroseconds / 1000); }
const ClockSource VerifyClock = {VerifyCounter, VerifyFrequency, VerifyMilliseconds};

// Passes in which no tick ran before a replay is taken to stand still.
constexpr int STILL_PASSES = 600;

}  // namespace

bool VerificationPasses::BeginPass()
{
    return true;
}

int RunReplayVerification(VerificationPasses& program)
{
    FrameTimer.SetClock(&VerifyClock);
    FrameTimer.Init(true);
    FrameTimer.SetSmoothing(false);
    int still = 0;
    int lastTick = TheReplay.Tick();
    while (TheReplay.Playing() && !TheReplay.Finished()) {
        if (!program.BeginPass()) break;
        VerifyMicroseconds += 500000;
        FrameTimer.Tick();
        program.Update(GamePaused ? 0.0f : FrameTimer.delta);
        still = TheReplay.Tick() == lastTick ? still + 1 : 0;
        lastTick = TheReplay.Tick();
        // A window of the level that holds the game waits for a hand the replay does not have.
        if (still >= STILL_PASSES) TheReplay.StopParted("the level stands still (paused, or held by a window)");
    }
    if (!TheReplay.Finished()) TheReplay.StopParted("the program was closed before the replay ended");
    FrameTimer.SetClock(nullptr);
    FrameTimer.SetSmoothing(true);
    printf("%s\n", TheReplay.VerdictLine().c_str());
    fflush(stdout);
    return TheReplay.Parted() ? 1 : 0;
}
