#include "host/SteadyMath.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// Built with -ffp-contract=off (see CMakeLists.txt): every product and sum below is rounded on
// its own, as written.

namespace {

constexpr double PI = 3.141592653589793116;
constexpr double HALF_PI = 1.570796326794896558;
constexpr double QUARTER_PI = 0.7853981633974482790;
constexpr double LN2 = 0.6931471805599452862;
// ln 2 split so that k x LN2_HIGH is exact for every k the exponential meets.
constexpr double LN2_HIGH = 0.693147180369123816490;  // 0x3FE62E42FEE00000
constexpr double LN2_LOW = 1.90821492927058770002e-10;
constexpr double INV_LN2 = 1.4426950408889634074;
constexpr double INV_LN10 = 0.43429448190325182765;
constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
constexpr double INFINITE = std::numeric_limits<double>::infinity();

// The first 1152 bits of 2 / pi, after the point: enough for the largest double.
constexpr uint32_t TWO_OVER_PI[36] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041,
    0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C,
    0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484, 0xE99C7026, 0xB45F7E41,
    0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D,
    0x7527BAC7, 0xEBE5F17B, 0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08,
};
// pi/2 in three parts of 33 bits, so that n x each part is exact for n below 2^20.
constexpr double HALF_PI_1 = 1.57079632673412561417e+00;
constexpr double HALF_PI_2 = 6.07710050630396597660e-11;
constexpr double HALF_PI_3 = 2.02226624871116645580e-21;
constexpr double HALF_PI_3_REST = 8.47842766036889956997e-32;
constexpr double TWO_OVER_PI_DOUBLE = 0.63661977236758138243;

uint32_t Bits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

uint64_t Bits(double d)
{
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

double FromBits(uint64_t u)
{
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

bool IsNan(double d) { return d != d; }
double Abs(double d) { return d < 0.0 ? -d : d; }

// Nearest integer, ties away from zero; |d| < 2^52.
double RoundToInteger(double d)
{
    double t = (double)(int64_t)(Abs(d) + 0.5);
    return d < 0.0 ? -t : t;
}

// 2^k as a double, for -1022 <= k <= 1023.
double PowerOfTwo(int k) { return FromBits((uint64_t)(k + 1023) << 52); }

// Bits [offset, offset + 96) of 2 / pi behind 96 zero bits, so that for an angle m x 2^e
// (m an integer) the window at offset e + 94 times m is m x 2^e x 2/pi modulo 4, in units
// of 2^-94.
unsigned __int128 TwoOverPiWindow(int offset)
{
    auto word = [](int i) -> unsigned __int128 { return i < 3 || i >= 39 ? 0u : TWO_OVER_PI[i - 3]; };
    int w = offset / 32, shift = offset % 32;
    unsigned __int128 a = (word(w) << 96) | (word(w + 1) << 64) | (word(w + 2) << 32) | word(w + 3);
    return (a << shift) >> 32;
}

// angle = +-mantissa x 2^exponent = quarter x pi/2 + the result, the result within pi/4 (a
// little more from rounding). Exact integer arithmetic on the bits: the remainder is right to
// 2^-70 of a quarter turn for every float, however large.
double ReduceAngle(uint64_t mantissa, int exponent, bool negative, int* quarter)
{
    const unsigned __int128 mask96 = ((unsigned __int128)1 << 96) - 1;
    unsigned __int128 window = TwoOverPiWindow(exponent + 94);
    // mantissa x window modulo 2^96, in two products that fit 128 bits.
    unsigned __int128 low = (unsigned __int128)mantissa * (uint64_t)window;
    unsigned __int128 high = (unsigned __int128)mantissa * (uint64_t)(window >> 64);
    unsigned __int128 t = (low + (high << 64)) & mask96;
    unsigned __int128 rounded = (t + ((unsigned __int128)1 << 93)) >> 94;
    __int128 rest = (__int128)t - (__int128)(rounded << 94);
    double r = (double)rest * PowerOfTwo(-94) * HALF_PI;
    int q = (int)(rounded & 3);
    if (negative) {
        r = -r;
        q = (4 - q) & 3;
    }
    *quarter = q;
    return r;
}

double ReduceAngle(float angle, int* quarter)
{
    uint32_t u = Bits(angle);
    int exponent = (int)((u >> 23) & 0xFF);
    uint32_t mantissa = u & 0x7FFFFF;
    if (exponent == 0) {
        exponent = 1;
    } else {
        mantissa |= 0x800000;
    }
    return ReduceAngle(mantissa, exponent - 150, (u >> 31) != 0, quarter);
}

// Doubles the game meets (below a million radians) take the quicker three-part pi/2; beyond
// that the integer reduction keeps them sensible, though no longer to the last bit of a double.
double ReduceAngle(double angle, int* quarter)
{
    if (Abs(angle) < 1e6) {
        double n = RoundToInteger(angle * TWO_OVER_PI_DOUBLE);
        *quarter = (int)((int64_t)n & 3);
        return (((angle - n * HALF_PI_1) - n * HALF_PI_2) - n * HALF_PI_3) - n * HALF_PI_3_REST;
    }
    uint64_t u = Bits(angle);
    int exponent = (int)((u >> 52) & 0x7FF);
    uint64_t mantissa = u & 0x000FFFFFFFFFFFFFull;
    if (exponent == 0) {
        exponent = 1;
    } else {
        mantissa |= 0x0010000000000000ull;
    }
    return ReduceAngle(mantissa, exponent - 1075, (u >> 63) != 0, quarter);
}

// Taylor series for |r| <= pi/4 (a little more is fine): the first left-out term is below 1e-16.
double SinSeries(double r)
{
    if (r == 0.0) return r;  // keeps the sign of -0
    double r2 = r * r;
    double p = 1.0 / 1307674368000.0;                    // 1/15!
    p = p * r2 - 1.0 / 6227020800.0;                     // 1/13!
    p = p * r2 + 1.0 / 39916800.0;                       // 1/11!
    p = p * r2 - 1.0 / 362880.0;                         // 1/9!
    p = p * r2 + 1.0 / 5040.0;                           // 1/7!
    p = p * r2 - 1.0 / 120.0;                            // 1/5!
    p = p * r2 + 1.0 / 6.0;                              // 1/3!
    return r - r * r2 * p;
}

double CosSeries(double r)
{
    double r2 = r * r;
    double p = 1.0 / 20922789888000.0;                   // 1/16!
    p = p * r2 - 1.0 / 87178291200.0;                    // 1/14!
    p = p * r2 + 1.0 / 479001600.0;                      // 1/12!
    p = p * r2 - 1.0 / 3628800.0;                        // 1/10!
    p = p * r2 + 1.0 / 40320.0;                          // 1/8!
    p = p * r2 - 1.0 / 720.0;                            // 1/6!
    p = p * r2 + 1.0 / 24.0;                             // 1/4!
    p = p * r2 - 0.5;                                    // 1/2!
    return 1.0 + r2 * p;
}

template <typename Angle>
void SinCosDouble(Angle angle, double* s, double* c)
{
    if (IsNan(angle) || Abs(angle) == INFINITE) {
        *s = *c = NOT_A_NUMBER;
        return;
    }
    if (angle == 0) {
        // Most of a skeleton's joint angles are nought: the series would give these same bits.
        *s = angle;
        *c = 1.0;
        return;
    }
    int quarter = 0;
    double r = Abs(angle) <= QUARTER_PI ? (double)angle : ReduceAngle(angle, &quarter);
    double sr = SinSeries(r), cr = CosSeries(r);
    switch (quarter) {
    case 0: *s = sr; *c = cr; break;
    case 1: *s = cr; *c = -sr; break;
    case 2: *s = -sr; *c = -cr; break;
    default: *s = -cr; *c = sr; break;
    }
}

// atan of any double: four halvings, tan(a/2) = t / (1 + sqrt(1 + t^2)), bring |t| below
// tan(pi/32) < 0.1, where the series converges to double precision in nine terms.
double AtanDouble(double t)
{
    if (IsNan(t)) return t;
    if (t == INFINITE) return HALF_PI;
    if (t == -INFINITE) return -HALF_PI;
    // Far out, t^2 would overflow; atan is pi/2 - 1/t there to double precision.
    if (t > 1e150) return HALF_PI - 1.0 / t;
    if (t < -1e150) return -HALF_PI - 1.0 / t;
    if (t == 0.0) return t;  // keeps the sign of -0
    for (int i = 0; i < 4; ++i) t = t / (1.0 + std::sqrt(1.0 + t * t));
    double t2 = t * t;
    double p = 1.0 / 17.0;
    p = -p * t2 + 1.0 / 15.0;
    p = -p * t2 + 1.0 / 13.0;
    p = -p * t2 + 1.0 / 11.0;
    p = -p * t2 + 1.0 / 9.0;
    p = -p * t2 + 1.0 / 7.0;
    p = -p * t2 + 1.0 / 5.0;
    p = -p * t2 + 1.0 / 3.0;
    return 16.0 * (t - t * t2 * p);
}

// atan2 on doubles with the C library's answers for zeros and infinities.
double Atan2Double(double y, double x)
{
    if (IsNan(x) || IsNan(y)) return x + y;
    bool negativeY = (Bits(y) >> 63) != 0, negativeX = (Bits(x) >> 63) != 0;
    double ay = Abs(y), ax = Abs(x), a;
    if (ay == INFINITE && ax == INFINITE) {
        a = QUARTER_PI;
    } else if (ay == INFINITE || (ax == 0.0 && ay != 0.0)) {
        a = HALF_PI;
    } else if (ay == 0.0 || ax == INFINITE) {
        a = 0.0;
    } else {
        a = AtanDouble(ay / ax);
    }
    if (negativeX) a = (ay == INFINITE && ax == INFINITE) ? 3.0 * QUARTER_PI : PI - a;
    return negativeY ? -a : a;
}

// e^x for finite x; overflows to infinity and underflows to zero.
double ExpDouble(double x)
{
    if (IsNan(x)) return x;
    if (x > 710.0) return INFINITE;
    if (x < -746.0) return 0.0;
    double k = RoundToInteger(x * INV_LN2);
    double r = (x - k * LN2_HIGH) - k * LN2_LOW;  // |r| <= ln2/2, k x LN2_HIGH exact
    double p = 1.0 / 6227020800.0;                 // 1/13!
    const double inverseFactorials[] = {1.0 / 479001600.0, 1.0 / 39916800.0, 1.0 / 3628800.0, 1.0 / 362880.0,
                                        1.0 / 40320.0, 1.0 / 5040.0, 1.0 / 720.0, 1.0 / 120.0, 1.0 / 24.0,
                                        1.0 / 6.0, 0.5, 1.0, 1.0};
    for (double f : inverseFactorials) p = p * r + f;
    // Scale in two steps so that neither factor leaves the range of doubles.
    int n = (int)k, half = n / 2;
    return p * PowerOfTwo(half) * PowerOfTwo(n - half);
}

// A positive finite x as m 2^exponent with m in [1/sqrt 2, sqrt 2], where the logarithm's
// series converges fastest.
double LogMantissa(double x, int* exponent)
{
    *exponent = 0;
    if (x < 2.2250738585072014e-308) {  // subnormal: make it normal first
        x *= PowerOfTwo(54);
        *exponent -= 54;
    }
    uint64_t u = Bits(x);
    *exponent += (int)((u >> 52) & 0x7FF) - 1023;
    double m = FromBits((u & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);  // [1, 2)
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++*exponent;
    }
    return m;
}

// Natural logarithm of a double, with the C library's answers at 0, below 0 and at infinity.
double LogDouble(double x)
{
    if (IsNan(x)) return x;
    if (x < 0.0) return NOT_A_NUMBER;
    if (x == 0.0) return -INFINITE;
    if (x == INFINITE) return x;
    int exponent = 0;
    const double m = LogMantissa(x, &exponent);
    // log m = 2 atanh(s), |s| <= 0.1716: the series reaches double precision in twelve terms.
    double s = (m - 1.0) / (m + 1.0), s2 = s * s;
    double p = 1.0 / 23.0;
    for (double d = 21.0; d >= 1.0; d -= 2.0) p = p * s2 + 1.0 / d;
    return (double)exponent * LN2 + 2.0 * s * p;
}

bool IsInteger(double d) { return Abs(d) >= 4503599627370496.0 || d == (double)(int64_t)d; }
bool IsOddInteger(double d) { return Abs(d) < 9007199254740992.0 && IsInteger(d) && ((int64_t)d & 1) != 0; }

// A power multiplies the logarithm by the exponent and takes the exponential of that: an error
// of one part in 2^53 in the product is an error of |y log x| parts in 2^53 in the answer (700
// units in the last place near the top of the doubles). So the logarithm and the product are
// carried in two doubles, hi + lo, about 106 bits, and the exponential takes both.
struct Wide {
    double hi, lo;
};

// a + b exactly.
Wide TwoSum(double a, double b)
{
    double s = a + b, bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a x b exactly (|a|, |b| below 2^996), by splitting each into two halves of 26 bits.
Wide TwoProduct(double a, double b)
{
    auto split = [](double d, double* high, double* low) {
        double c = 134217729.0 * d;  // 2^27 + 1
        *high = c - (c - d);
        *low = d - *high;
    };
    double ah, al, bh, bl;
    split(a, &ah, &al);
    split(b, &bh, &bl);
    double p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

Wide Normalised(double hi, double lo)
{
    double s = hi + lo;
    return {s, lo - (s - hi)};
}

Wide Add(Wide a, Wide b)
{
    Wide s = TwoSum(a.hi, b.hi);
    return Normalised(s.hi, s.lo + (a.lo + b.lo));
}

Wide Multiply(Wide a, Wide b)
{
    Wide p = TwoProduct(a.hi, b.hi);
    return Normalised(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// ln x for a positive finite x, to about 2^-64 of itself (2^-64 of ln 2 where it is smaller).
Wide WideLog(double x)
{
    int exponent = 0;
    const double m = LogMantissa(x, &exponent);
    // s = (m - 1) / (m + 1) to twice the precision: m - 1 is exact, m + 1 is kept in two parts,
    // and the quotient's remainder gives its low part.
    double numerator = m - 1.0;
    Wide denominator = {m + 1.0, 0.0};
    denominator.lo = m - (denominator.hi - 1.0);
    double q = numerator / denominator.hi;
    Wide back = TwoProduct(q, denominator.hi);
    double remainder = ((numerator - back.hi) - back.lo) - q * denominator.lo;
    Wide s = Normalised(q, remainder / denominator.hi);
    // ln m = 2 atanh s = 2 s (1 + s^2/3 + s^4/5 + ...), |s| <= 0.1716: the terms from s^4 on
    // are small enough for one double; the rest is summed wide.
    Wide s2 = Multiply(s, s);
    double tail = 1.0 / 27.0;
    for (double d = 25.0; d >= 5.0; d -= 2.0) tail = tail * s2.hi + 1.0 / d;
    const Wide third = {1.0 / 3.0, 1.0 / 3.0 / 18014398509481984.0};  // 1/3 - its double = 2^-54/3
    Wide series = Add({1.0, 0.0}, Multiply(s2, Add(third, {s2.hi * tail, 0.0})));
    Wide logM = Multiply({2.0 * s.hi, 2.0 * s.lo}, series);
    // + exponent x ln 2, whose high part is exact.
    double k = exponent;
    return Add(Add({k * LN2_HIGH, 0.0}, logM), {k * LN2_LOW, 0.0});
}

// e^(z.hi + z.lo) for |z.hi| <= 746; overflows to infinity and underflows to zero.
double WideExp(Wide z)
{
    if (z.hi > 710.0) return INFINITE;
    if (z.hi < -746.0) return 0.0;
    double k = RoundToInteger(z.hi * INV_LN2);
    // z - k ln 2, |r| <= ln2/2 and a little: the first difference is exact.
    Wide r = TwoSum(z.hi - k * LN2_HIGH, -(k * LN2_LOW));
    r = Normalised(r.hi, r.lo + z.lo);
    // e^r = 1 + r + r^2 (1/2 + r/6 + ...); the low part of r enters as e^lo = 1 + lo.
    double p = 1.0 / 6227020800.0;  // 1/13!
    const double inverseFactorials[] = {1.0 / 479001600.0, 1.0 / 39916800.0, 1.0 / 3628800.0, 1.0 / 362880.0,
                                        1.0 / 40320.0, 1.0 / 5040.0, 1.0 / 720.0, 1.0 / 120.0, 1.0 / 24.0,
                                        1.0 / 6.0, 0.5};
    for (double f : inverseFactorials) p = p * r.hi + f;
    double q = r.hi + r.hi * r.hi * p;  // e^r.hi - 1
    double e = 1.0 + (q + r.lo * (1.0 + q));
    // Scale in two steps so that neither factor leaves the range of doubles.
    int n = (int)k, half = n / 2;
    return e * PowerOfTwo(half) * PowerOfTwo(n - half);
}

// x^y with the C library's answers for every special pair. A float power needs no wide
// product: one double's error of |y log x| parts in 2^53 is far below a float's last place.
double PowDouble(double x, double y, bool wide)
{
    if (y == 0.0 || x == 1.0) return 1.0;
    if (IsNan(x) || IsNan(y)) return x + y;
    double ax = Abs(x);
    if (Abs(y) == INFINITE) {
        if (ax == 1.0) return 1.0;
        return (ax < 1.0) == (y < 0.0) ? INFINITE : 0.0;
    }
    bool odd = IsOddInteger(y);
    bool negative = (Bits(x) >> 63) != 0;
    if (x == 0.0 || ax == INFINITE) {
        bool large = (x == 0.0) == (y < 0.0);
        double r = large ? INFINITE : 0.0;
        return negative && odd ? -r : r;
    }
    if (negative && !IsInteger(y)) return NOT_A_NUMBER;
    double r;
    if (!wide) {
        r = ExpDouble(y * LogDouble(ax));
    } else {
        Wide log = WideLog(ax);
        // Far beyond the doubles either way: no need (and, for a huge y, no room) to multiply wide.
        double estimate = y * log.hi;
        if (estimate > 1000.0) {
            r = INFINITE;
        } else if (estimate < -1000.0) {
            r = 0.0;
        } else {
            Wide z = TwoProduct(y, log.hi);
            r = WideExp(Normalised(z.hi, z.lo + y * log.lo));
        }
    }
    return negative && odd ? -r : r;
}

}  // namespace

float Sin(float angle)
{
    double s, c;
    SinCosDouble(angle, &s, &c);
    return (float)s;
}

float Cos(float angle)
{
    double s, c;
    SinCosDouble(angle, &s, &c);
    return (float)c;
}

void SinCos(float angle, float* sine, float* cosine)
{
    double s, c;
    SinCosDouble(angle, &s, &c);
    *sine = (float)s;
    *cosine = (float)c;
}

void SinCos(double angle, double* sine, double* cosine) { SinCosDouble(angle, sine, cosine); }

double Sin(double angle)
{
    double s, c;
    SinCosDouble(angle, &s, &c);
    return s;
}

double Cos(double angle)
{
    double s, c;
    SinCosDouble(angle, &s, &c);
    return c;
}

float Tan(float angle)
{
    double s, c;
    SinCosDouble(angle, &s, &c);
    return (float)(s / c);
}

float Atan(float x) { return (float)AtanDouble(x); }
float Atan2(float y, float x) { return (float)Atan2Double(y, x); }

float Acos(float x)
{
    if (IsNan(x)) return x;
    if (Abs(x) > 1.0) return (float)NOT_A_NUMBER;
    double d = x;
    return (float)(2.0 * AtanDouble(std::sqrt((1.0 - d) / (1.0 + d))));
}

float Asin(float x)
{
    if (IsNan(x)) return x;
    if (Abs(x) > 1.0) return (float)NOT_A_NUMBER;
    double d = x;
    return (float)AtanDouble(d / std::sqrt((1.0 - d) * (1.0 + d)));
}

float Exp(float x) { return (float)ExpDouble(x); }
float Log(float x) { return (float)LogDouble(x); }

float Log10(float x)
{
    double l = LogDouble(x);
    return (float)(l * INV_LN10);
}

float Pow(float base, float exponent) { return (float)PowDouble(base, exponent, false); }
double Pow(double base, double exponent) { return PowDouble(base, exponent, true); }
