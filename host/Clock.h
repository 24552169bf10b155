#pragma once
// The clocks the frame timer reads: a high-resolution counter and a millisecond clock that
// wraps at 2^32. Tests hand the timer a scripted ClockSource instead.
#include <cstdint>

struct ClockSource {
    uint64_t (*counter)();    // high-resolution ticks
    uint64_t (*frequency)();  // ticks per second; 0 when there is no such counter
    uint32_t (*milliseconds)();
};

// The machine's clocks.
const ClockSource* SystemClock();
