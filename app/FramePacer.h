#pragma once
// Frame pacing where the driver will not wait for the display's refresh. There presenting
// returns at once, and an idle front end would draw hundreds of frames a second on every core
// it can get; the pacer waits out the rest of each frame to the display's refresh rate instead.
// Frames are due on a fixed beat: a short frame sleeps to its beat, a late one starts the beat
// again from now (no burst of frames to catch up).
#include "host/Clock.h"

#include <cstdint>

class FramePacer {
public:
    using Sleeper = void (*)(double seconds);

    // The clock read and the sleeper waited with: the machine's unless given (tests script
    // both, and their sleeper moves their clock on).
    void SetClock(const ClockSource* clock, Sleeper sleeper);
    // Paces to `rate` frames a second from the next frame on; 0 or less (a display that does
    // not say) is 60. The first time, the log says that frames are paced and to what.
    void Start(int rate);
    void Stop();
    bool IsPacing() const { return period_ != 0; }
    // Frames a second paced to; 0 while not pacing.
    int GetRate() const { return rate_; }
    // Once per frame, after presenting: returns when the frame's share of time has passed.
    void EndFrame();

private:
    uint64_t Now() const;
    uint64_t TicksPerSecond() const;

    const ClockSource* clock_ = nullptr;
    Sleeper sleeper_ = nullptr;
    int rate_ = 0;
    uint64_t period_ = 0;  // ticks a frame; 0 while not pacing
    uint64_t due_ = 0;     // the tick at which the current frame may end; 0 before the first
    bool announced_ = false;
};
