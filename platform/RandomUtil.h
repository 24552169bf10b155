#pragma once
// Random draws built on the generators: Rand() (host/Random.h, seeded per galaxy and level), the
// program's own multiply-with-carry generator, which starts each mission from its fixed seeds
// (the raids' strength draws from it), and a second one of the same kind for what is only seen
// or heard. Also Halton points and shuffles.
//
// How often a frame is drawn, how long a level takes to load and how long a tune plays depend
// on the machine; a level's course must not. So the particles, the debris, the camera's shake,
// colour variation, the ground's splats, the loading tips, the music's order and a sound picked
// among several all draw from the cosmetic generator, and never from the two the level runs on.
// What a screen of the front end shows (the start screen's stars, the galaxy map's backdrop)
// draws from generators of its own, started from fixed seeds when it is built: the cosmetic
// generator's state hangs on everything drawn before, and the screen must not.
#include "host/Maths.h"
#include "platform/IntRect.h"

#include <cstdint>

// A multiply-with-carry generator: 32 bits per call.
struct MwcGenerator {
    uint32_t z = 809;
    uint32_t w = 773;

    uint32_t Next();
    // lo..hi inclusive; lo when hi is below lo.
    int Int(int lo, int hi);
    // lo..hi in steps of 1/10000; lo when hi is below lo.
    float Float(float lo, float hi);
    // 0 <= value < 1, in steps of 1/32768.
    float Unit();
};

// The program's multiply-with-carry generator: 32 bits per call.
uint32_t NextRandomMWC();
// Both multiply-with-carry generators back to the start seeds (z 809, w 773): every mission
// starts there.
void ResetRandomMWC();
// The state of the program's generator, to see that a level's course left it where it should.
MwcGenerator RandomMWCState();
// Puts the program's generator back where a state taken of it stood (a replayed level starts
// from its game's).
void SetRandomMWCState(const MwcGenerator& state);
// lo..hi inclusive; lo when hi is below lo.
int RandomInt(int lo, int hi);
// lo..hi in steps of 1/10000; lo when hi is below lo.
float RandomFloatMWC(float lo, float hi);

// a + (b - a) x Rand() / 32768: never b itself.
float RandomFloat(float a, float b);

// The generator of what is only seen or heard, on the main thread.
MwcGenerator& CosmeticRandom();
// a + (b - a) x a fraction below 1 from the cosmetic generator: never b itself.
float CosmeticFloat(float a, float b);

// The digits of i in base mirrored behind the point; 0 for i below 1 (and for bases below 2).
float RadicalInverse(int i, int base);
// A well-spread point of a width x height area: bases 2 and 3.
IntPoint HaltonPoint(int i, int width, int height);

// In-place shuffles with one Rand() per swap (or one draw of the given generator).
void ShuffleInts(int* values, int n);
void ShuffleInts(int* values, int n, MwcGenerator& random);
void ShuffleVec3(Vec3* points, int n);
// Fills 0..n-1 in random order.
void RandomPermutation(int* out, int n);
// Moves the first of n values to the end.
void RotateArrayLeft(int* values, int n);

// A point within rx and ry of the centre on each axis (x drawn first).
IntPoint RandomPointAround(IntPoint centre, int rx, int ry);
// A point at a random angle and the given distance from the centre; ratio above 1 scales x
// by ratio - 1, otherwise y by ratio.
IntPoint RandomPointOnCircle(IntPoint centre, float distance, float ratio);
