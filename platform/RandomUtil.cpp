#include "platform/RandomUtil.h"

#include "host/Random.h"
#include "host/SteadyMath.h"
#include "host/WorldGuard.h"

#include <cmath>

namespace {

MwcGenerator Program;
MwcGenerator Cosmetic;

}  // namespace

uint32_t MwcGenerator::Next()
{
    // The carry is the upper half taken as a signed 16-bit number.
    z = 36969u * (z & 65535u) + uint32_t(int32_t(int16_t(uint16_t(z >> 16))));
    w = 18000u * (w & 65535u) + uint32_t(int32_t(int16_t(uint16_t(w >> 16))));
    return (z << 16) + w;
}

int MwcGenerator::Int(int lo, int hi)
{
    if (hi < lo) return lo;
    uint32_t range = uint32_t(hi) - uint32_t(lo) + 1u;  // 0 for the full int range
    uint32_t value = Next();
    if (range != 0) value %= range;
    return int(uint32_t(lo) + value);
}

float MwcGenerator::Float(float lo, float hi)
{
    int64_t l = int64_t(lo * 10000.0f);
    int64_t h = int64_t(hi * 10000.0f);
    if (h < l) return lo;
    uint64_t range = uint64_t(h - l + 1);
    return float(l + int64_t(Next() % range)) / 10000.0f;
}

float MwcGenerator::Unit()
{
    return float(Next() >> 17) / 32768.0f;
}

uint32_t NextRandomMWC()
{
    WORLD_CHANGE("a draw from the level's random sequence");
    CountDrawWhileLookOnly();
    return Program.Next();
}

void ResetRandomMWC()
{
    Program = MwcGenerator();
    Cosmetic = MwcGenerator();
}

MwcGenerator RandomMWCState()
{
    return Program;
}

void SetRandomMWCState(const MwcGenerator& state) { Program = state; }

int RandomInt(int lo, int hi)
{
    if (hi >= lo) {
        WORLD_CHANGE("a draw from the level's random sequence");
        CountDrawWhileLookOnly();
    }
    return Program.Int(lo, hi);
}

float RandomFloatMWC(float lo, float hi)
{
    WORLD_CHANGE("a draw from the level's random sequence");
    CountDrawWhileLookOnly();
    return Program.Float(lo, hi);
}

MwcGenerator& CosmeticRandom()
{
    return Cosmetic;
}

float CosmeticFloat(float a, float b)
{
    return a + (b - a) * Cosmetic.Unit();
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

template <typename T, typename Draw>
static void Shuffle(T* values, int n, Draw draw)
{
    for (int i = 0; i < n - 1; ++i) {
        int remaining = n - i;
        int j = i + draw() / (RANDOM_MAX / remaining + 1);
        T swap = values[i];
        values[i] = values[j];
        values[j] = swap;
    }
}

void ShuffleInts(int* values, int n)
{
    Shuffle(values, n, Rand);
}

void ShuffleInts(int* values, int n, MwcGenerator& random)
{
    Shuffle(values, n, [&random] { return int(random.Next() >> 17); });
}

void ShuffleVec3(Vec3* points, int n)
{
    Shuffle(points, n, Rand);
}

void RandomPermutation(int* out, int n)
{
    for (int i = 0; i < n; ++i) out[i] = i;
    Shuffle(out, n, Rand);
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
    float s, c;
    SinCos(angle, &s, &c);
    return IntPoint(int(float(centre.x) + s * xScale * distance), int(float(centre.y) + c * yScale * distance));
}
