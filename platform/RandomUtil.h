#pragma once
// Random draws built on the two generators: Rand() (host/Random.h, seeded per galaxy and
// level) and the program's own multiply-with-carry generator, which starts from fixed seeds
// and is never reseeded, so cosmetic draws (colour variation, camera shake, scattered
// decals) never disturb the seeded level sequence. Also Halton points and shuffles.
#include "host/Maths.h"
#include "platform/IntRect.h"

#include <cstdint>

// The multiply-with-carry generator: 32 bits per call.
uint32_t NextRandomMWC();
// Back to the start seeds (z 809, w 773); for tests that need the start of the sequence.
void ResetRandomMWC();
// lo..hi inclusive; lo when hi is below lo.
int RandomInt(int lo, int hi);
// lo..hi in steps of 1/10000; lo when hi is below lo.
float RandomFloatMWC(float lo, float hi);

// a + (b - a) x Rand() / 32768: never b itself.
float RandomFloat(float a, float b);

// The digits of i in base mirrored behind the point; 0 for i below 1 (and for bases below 2).
float RadicalInverse(int i, int base);
// A well-spread point of a width x height area: bases 2 and 3.
IntPoint HaltonPoint(int i, int width, int height);

// In-place shuffles with one Rand() per swap.
void ShuffleInts(int* values, int n);
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
