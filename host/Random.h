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
