#pragma once
// The game's random generator: a 15-bit linear congruential generator
// (state = state * 214013 + 2531011, result = bits 16..30 of the state), so that galaxies,
// levels and drops come out the same for the same seed on every machine. All game code draws
// from this one generator on the main thread; the C library's rand() is never used.

constexpr int RANDOM_MAX = 32767;

// Next value in 0..RANDOM_MAX.
int Rand();
// Restarts the sequence; the state before any call to SRand is 1.
void SRand(unsigned seed);
// The generator's state as it stands; SRand with it puts the sequence back there (after a draw
// that must leave the game's sequence alone).
unsigned RandState();

// While a frame is drawn, or the loading screen shown, nothing draws from the game's sequences
// (this one and the program's multiply-with-carry generator): how often either happens depends
// on the machine, and a level's course must not. The frame and the loading screen mark their
// span with a LookOnlyScope; a draw made inside one is counted, and the first one logged.
class LookOnlyScope {
public:
    LookOnlyScope();
    ~LookOnlyScope();
    LookOnlyScope(const LookOnlyScope&) = delete;
    LookOnlyScope& operator=(const LookOnlyScope&) = delete;
};
// Called by each draw of the game's sequences.
void CountDrawWhileLookOnly();
// The draws made inside a LookOnlyScope since the program started.
int DrawsWhileLookOnly();
