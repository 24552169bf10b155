#include "platform/RandomUtil.h"

#include "host/Random.h"
#include "host/SteadyMath.h"

#include <cmath>

static uint32_t mwcZ = 809;
static uint32_t mwcW = 773;

uint32_t NextRandomMWC()
{
    // The carry is the upper half taken as a signed 16-bit number.
    mwcZ = 36969u * (mwcZ & 65535u) + uint32_t(int32_t(int16_t(uint16_t(mwcZ >> 16))));
    mwcW = 18000u * (mwcW & 65535u) + uint32_t(int32_t(int16_t(uint16_t(mwcW >> 16))));
    return (mwcZ << 16) + mwcW;
}

void ResetRandomMWC()
{
    mwcZ = 809;
    mwcW = 773;
}

int RandomInt(int lo, int hi)
{
    if (hi < lo) return lo;
    uint32_t range = uint32_t(hi) - uint32_t(lo) + 1u;  // 0 for the full int range
    uint32_t value = NextRandomMWC();
    if (range != 0) value %= range;
    return int(uint32_t(lo) + value);
}

float RandomFloatMWC(float lo, float hi)
{
    int64_t l = int64_t(lo * 10000.0f);
    int64_t h = int64_t(hi * 10000.0f);
    if (h < l) return lo;
    uint64_t range = uint64_t(h - l + 1);
    return float(l + int64_t(NextRandomMWC() % range)) / 10000.0f;
}

float RandomFloat(float a, float b)
{
    return a + (b - a) * float(Rand()) / 32768.0f;
}

float RadicalInverse(int i, int base)
{
    if (i < 1 || base < 2) return 0.0f;
    float result = 0.0f, f = 1.0f;
    while (i > 0) {
        f /= float(base);
        result += float(i % base) * f;
        i /= base;
    }
    return result;
}

IntPoint HaltonPoint(int i, int width, int height)
{
    return IntPoint(int(RadicalInverse(i, 2) * float(width)), int(RadicalInverse(i, 3) * float(height)));
}

template <typename T>
static void Shuffle(T* values, int n)
{
    for (int i = 0; i < n - 1; ++i) {
        int remaining = n - i;
        int j = i + Rand() / (RANDOM_MAX / remaining + 1);
        T swap = values[i];
        values[i] = values[j];
        values[j] = swap;
    }
}

void ShuffleInts(int* values, int n)
{
    Shuffle(values, n);
}

void ShuffleVec3(Vec3* points, int n)
{
    Shuffle(points, n);
}

void RandomPermutation(int* out, int n)
{
    for (int i = 0; i < n; ++i) out[i] = i;
    Shuffle(out, n);
}

void RotateArrayLeft(int* values, int n)
{
    if (n < 2) return;
    int first = values[0];
    for (int i = 0; i < n - 1; ++i) values[i] = values[i + 1];
    values[n - 1] = first;
}

IntPoint RandomPointAround(IntPoint centre, int rx, int ry)
{
    int x = centre.x - rx + Rand() % (2 * rx + 1);
    int y = centre.y - ry + Rand() % (2 * ry + 1);
    return IntPoint(x, y);
}

IntPoint RandomPointOnCircle(IntPoint centre, float distance, float ratio)
{
    float angle = DegreesToRadians(float(Rand()) / 32768.0f * 360.0f);
    float xScale = 1.0f, yScale = ratio;
    if (ratio > 1.0f) {
        xScale = ratio - 1.0f;
        yScale = 1.0f;
    }
    return IntPoint(int(float(centre.x) + Sin(angle) * xScale * distance),
                    int(float(centre.y) + Cos(angle) * yScale * distance));
}
