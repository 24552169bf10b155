// The expected bit patterns below are the true values rounded to the nearest float, worked out
// with arbitrary-precision arithmetic, never by running the functions under test.
#include "host/SteadyMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <limits>
#include <string>

namespace {

uint32_t BitsOf(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Distance in representable floats; NaN matches only NaN.
int64_t UlpsApart(float a, float b)
{
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : INT64_MAX;
    auto ordered = [](float f) {
        int32_t i;
        std::memcpy(&i, &f, sizeof i);
        return i < 0 ? (int64_t)INT32_MIN - i : (int64_t)i;
    };
    int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

// The same for doubles.
int64_t UlpsApart(double a, double b)
{
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : INT64_MAX;
    auto ordered = [](double d) {
        int64_t i;
        std::memcpy(&i, &d, sizeof i);
        return i < 0 ? INT64_MIN - i : i;
    };
    int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

float Evaluate(const std::string& name, float a, float b)
{
    if (name == "Sin") return Sin(a);
    if (name == "Cos") return Cos(a);
    if (name == "Tan") return Tan(a);
    if (name == "Atan") return Atan(a);
    if (name == "Atan2") return Atan2(a, b);
    if (name == "Acos") return Acos(a);
    if (name == "Asin") return Asin(a);
    if (name == "Exp") return Exp(a);
    if (name == "Log") return Log(a);
    if (name == "Log10") return Log10(a);
    if (name == "Pow") return Pow(a, b);
    ADD_FAILURE() << "no function " << name;
    return 0.0f;
}

// The C library's answer, in double and rounded once: the reference the sweep is held to.
float Library(const std::string& name, float a, float b)
{
    double x = a, y = b;
    if (name == "Sin") return (float)std::sin(x);
    if (name == "Cos") return (float)std::cos(x);
    if (name == "Tan") return (float)std::tan(x);
    if (name == "Atan") return (float)std::atan(x);
    if (name == "Atan2") return (float)std::atan2(x, y);
    if (name == "Acos") return (float)std::acos(x);
    if (name == "Asin") return (float)std::asin(x);
    if (name == "Exp") return (float)std::exp(x);
    if (name == "Log") return (float)std::log(x);
    if (name == "Log10") return (float)std::log10(x);
    if (name == "Pow") return (float)std::pow(x, y);
    ADD_FAILURE() << "no function " << name;
    return 0.0f;
}

struct Exact {
    const char* name;
    float a, b;
    uint32_t bits;
};

}  // namespace

// A processor or compiler that computes any of these differently would play a level differently.
TEST(SteadyMath, KnownResultsToTheBit)
{
    const Exact cases[] = {
        {"Sin", 0.5f, 0, 0x3EF57744u},         {"Sin", 1.0f, 0, 0x3F576AA4u},
        {"Sin", 3.14159274f, 0, 0xB3BBBD2Eu},  {"Sin", -2.5f, 0, 0xBF193578u},
        {"Sin", 100.0f, 0, 0xBF01A12Eu},       {"Sin", 1000.5f, 0, 0x3F7ECA46u},
        {"Sin", 4000.0f, 0, 0xBF2EFA1Bu},      {"Sin", 1e6f, 0, 0xBEB33259u},
        {"Sin", 1e20f, 0, 0x3F281569u},        {"Sin", 3.4e38f, 0, 0xBE79F163u},
        {"Cos", 0.5f, 0, 0x3F60A940u},         {"Cos", 1.57079637f, 0, 0xB33BBD2Eu},
        {"Cos", -3.0f, 0, 0xBF7D7026u},        {"Cos", 250.0f, 0, 0x3E76C5A3u},
        {"Cos", 3000.25f, 0, 0xBF7FE46Au},     {"Cos", 1e6f, 0, 0x3F6FCEFDu},
        {"Cos", 1e30f, 0, 0xBF1C9222u},        {"Tan", 0.3926991f, 0, 0x3ED413CDu},
        {"Tan", 1.5f, 0, 0x41619F6Bu},         {"Tan", -1.0f, 0, 0xBFC75923u},
        {"Tan", 1000.0f, 0, 0x3FBC3395u},      {"Atan", 0.5f, 0, 0x3EED6338u},
        {"Atan", -3.0f, 0, 0xBF9FE0BBu},       {"Atan", 1e5f, 0, 0x3FC90F87u},
        {"Atan2", 1.0f, 1.0f, 0x3F490FDBu},    {"Atan2", -1.0f, -2.0f, 0xC02B6374u},
        {"Atan2", 3.0f, -4.0f, 0x401FE0BBu},   {"Atan2", 0.25f, 10.0f, 0x3CCCC1E2u},
        {"Acos", 0.5f, 0, 0x3F860A92u},        {"Acos", -0.25f, 0, 0x3FE967AEu},
        {"Acos", 0.999f, 0, 0x3D37315Au},      {"Asin", 0.5f, 0, 0x3F060A92u},
        {"Asin", -0.9f, 0, 0xBF8F549Bu},       {"Exp", 1.0f, 0, 0x402DF854u},
        {"Exp", -2.5f, 0, 0x3DA81C2Eu},        {"Exp", 10.0f, 0, 0x46AC14EEu},
        {"Exp", 80.0f, 0, 0x792ABBCEu},        {"Log", 2.0f, 0, 0x3F317218u},
        {"Log", 0.1f, 0, 0xC0135D8Eu},         {"Log", 1e5f, 0, 0x413834F1u},
        {"Log10", 0.1f, 0, 0xBF800000u},       {"Log10", 0.55f, 0, 0xBE84EF2Eu},
        {"Log10", 1000.0f, 0, 0x40400000u},    {"Pow", 10.0f, -0.5f, 0x3EA1E89Bu},
        {"Pow", 0.5f, 3.0f, 0x3E000000u},      {"Pow", 2.0f, 0.3f, 0x3F9D9624u},
        {"Pow", 0.6f, 4.0f, 0x3E04B5DEu},
    };
    for (const Exact& c : cases) {
        float got = Evaluate(c.name, c.a, c.b);
        EXPECT_EQ(BitsOf(got), c.bits) << c.name << "(" << c.a << ", " << c.b << ") = " << got;
        if (std::string(c.name) == "Sin" || std::string(c.name) == "Cos") {
            float s = 0, k = 0;
            SinCos(c.a, &s, &k);
            EXPECT_EQ(BitsOf(c.name[0] == 'S' ? s : k), c.bits) << "SinCos(" << c.a << ")";
        }
    }
}

TEST(SteadyMath, WithinOneUlpOfTheLibraryOverTheGameRanges)
{
    struct Range {
        const char* name;
        float lo, hi;    // first argument
        float lo2, hi2;  // second argument (Atan2, Pow)
    };
    const Range ranges[] = {
        {"Sin", -5000.0f, 5000.0f, 0, 0},   {"Cos", -5000.0f, 5000.0f, 0, 0},  {"Tan", -3000.0f, 3000.0f, 0, 0},
        {"Sin", -1.0f, 1.0f, 0, 0},         {"Cos", -1e7f, 1e7f, 0, 0},        {"Atan", -200.0f, 200.0f, 0, 0},
        {"Atan2", -300.0f, 300.0f, -300.0f, 300.0f},                           {"Acos", -1.0f, 1.0f, 0, 0},
        {"Asin", -1.0f, 1.0f, 0, 0},        {"Exp", -100.0f, 88.0f, 0, 0},     {"Log", 1e-6f, 1e6f, 0, 0},
        {"Log10", 1e-4f, 10.0f, 0, 0},      {"Pow", 0.0f, 12.0f, -20.0f, 20.0f},
    };
    const int steps = 20011;  // prime, so the two arguments of a pair do not move in step
    for (const Range& r : ranges) {
        int64_t worst = 0;
        float worstA = 0, worstB = 0;
        for (int i = 0; i <= steps; ++i) {
            float a = r.lo + (r.hi - r.lo) * (float)i / steps;
            float b = r.lo2 + (r.hi2 - r.lo2) * (float)((i * 7919) % steps) / steps;
            int64_t apart = UlpsApart(Evaluate(r.name, a, b), Library(r.name, a, b));
            if (apart > worst) worst = apart, worstA = a, worstB = b;
        }
        EXPECT_LE(worst, 1) << r.name << " over " << r.lo << ".." << r.hi << ", worst at " << worstA << ", " << worstB;
    }
    // The level generator turns by double angles of up to some hundred thousand radians.
    for (int i = 0; i <= steps; ++i) {
        double a = -2e5 + 4e5 * i / steps;
        EXPECT_NEAR(Sin(a), std::sin(a), 1e-15) << "Sin(" << a << ")";
        EXPECT_NEAR(Cos(a), std::cos(a), 1e-15) << "Cos(" << a << ")";
    }
    // The decoder's lattice sizes take the double power: close to the library, and exact where
    // the answer is a whole number.
    for (double entries : {1.0, 8.0, 81.0, 1000.0, 65536.0, 3125.0})
        for (double dimensions : {1.0, 2.0, 3.0, 4.0, 5.0})
            EXPECT_NEAR(Pow(entries, 1.0 / dimensions), std::pow(entries, 1.0 / dimensions),
                        1e-14 * std::pow(entries, 1.0 / dimensions));
}

// NaN in gives NaN out, zeros keep their sign, infinities and huge angles give what the C
// library gives, and nothing hangs.
TEST(SteadyMath, SpecialInputsAnswerAsTheLibraryDoes)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float singles[] = {nan, inf, -inf, 0.0f, -0.0f, 1.0f, -1.0f, 1.0000001f, -1.0000001f, 1e-45f, -1e-40f,
                             3.4028235e38f, -3.4028235e38f, 105.0f, -105.0f, 89.0f};
    for (const char* name : {"Sin", "Cos", "Tan", "Atan", "Acos", "Asin", "Exp", "Log", "Log10"})
        for (float a : singles) {
            float got = Evaluate(name, a, 0), want = Library(name, a, 0);
            EXPECT_TRUE(std::isnan(want) ? std::isnan(got) : BitsOf(got) == BitsOf(want) || UlpsApart(got, want) <= 1)
                << name << "(" << a << ") = " << got << ", library " << want;
            if (!std::isnan(want)) {
                EXPECT_EQ(std::signbit(got), std::signbit(want)) << name << "(" << a << ") sign";
            }
        }
    const float pairs[] = {nan, inf, -inf, 0.0f, -0.0f, 1.0f, -1.0f, 0.5f, -0.5f, 2.0f, -2.0f, 3.0f, -3.0f, 1e30f};
    for (const char* name : {"Atan2", "Pow"})
        for (float a : pairs)
            for (float b : pairs) {
                float got = Evaluate(name, a, b), want = Library(name, a, b);
                EXPECT_EQ(std::isnan(got), std::isnan(want)) << name << "(" << a << ", " << b << ") = " << got;
                if (!std::isnan(want)) {
                    EXPECT_TRUE(BitsOf(got) == BitsOf(want) || (UlpsApart(got, want) <= 1 && std::signbit(got) == std::signbit(want)))
                        << name << "(" << a << ", " << b << ") = " << got << ", library " << want;
                }
            }
}

// A rotation takes its sine and cosine from one SinCos call: it must turn exactly as far as Sin
// and Cos would, or a level would play differently from before.
TEST(SteadyMath, SinCosGivesTheSinAndTheCosToTheBit)
{
    const int steps = 100003;
    struct Range {
        float lo, hi;
    };
    for (Range r : {Range{-7.0f, 7.0f}, Range{-5000.0f, 5000.0f}, Range{-1e7f, 1e7f}, Range{-3e38f, 3e38f}})
        for (int i = 0; i <= steps; ++i) {
            float a = r.lo + (r.hi - r.lo) * (float)i / steps, s = 0, c = 0;
            SinCos(a, &s, &c);
            ASSERT_EQ(BitsOf(s), BitsOf(Sin(a))) << "SinCos(" << a << ") sine";
            ASSERT_EQ(BitsOf(c), BitsOf(Cos(a))) << "SinCos(" << a << ") cosine";
        }
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (float a : {nan, inf, -inf, 0.0f, -0.0f, 1e-45f, 0.785398185f, 1.57079637f, 3.14159274f}) {
        float s = 0, c = 0;
        SinCos(a, &s, &c);
        EXPECT_TRUE(std::isnan(a) || std::isinf(a) ? std::isnan(s) && std::isnan(c)
                                                   : BitsOf(s) == BitsOf(Sin(a)) && BitsOf(c) == BitsOf(Cos(a)))
            << "SinCos(" << a << ")";
    }
    for (int i = 0; i <= steps; ++i) {
        double a = -2e5 + 4e5 * i / steps + 1e-3 * i, s = 0, c = 0;
        SinCos(a, &s, &c);
        ASSERT_EQ(s, Sin(a)) << "SinCos(" << a << ") sine";
        ASSERT_EQ(c, Cos(a)) << "SinCos(" << a << ") cosine";
    }
}

// The double power is held to one unit in the last place of the library's, over the decoder's
// lattice roots, the float power's ranges and exponents large enough to reach the ends of the
// doubles, where an error in the logarithm is multiplied by the exponent.
TEST(SteadyMath, DoublePowerWithinOneUlpOfTheLibrary)
{
    struct Range {
        const char* what;
        double lo, hi;    // base
        double lo2, hi2;  // exponent
    };
    const Range ranges[] = {
        {"lattice roots", 1.0, 70000.0, 1.0, 16.0},  // entries^(1 / dimensions), whole numbers
        {"the float ranges", 0.0, 12.0, -20.0, 20.0},
        {"near one, huge exponents", 0.999, 1.001, -7e5, 7e5},
        {"halves to twos, large exponents", 0.5, 2.0, -1000.0, 1000.0},
        {"up to ten thousand", 2.0, 1e4, -80.0, 80.0},
        {"tiny bases", 1e-300, 1e-200, -3.0, 2.0},
        {"huge bases", 1e200, 1e300, -2.0, 1.0},
    };
    const int steps = 200003;  // prime, so the two arguments of a pair do not move in step
    for (const Range& r : ranges) {
        int64_t worst = 0;
        double worstX = 0, worstY = 0;
        for (int i = 0; i <= steps; ++i) {
            double x = r.lo + (r.hi - r.lo) * i / steps;
            double y = r.lo2 + (r.hi2 - r.lo2) * (double)((i * 7919LL) % steps) / steps;
            if (r.lo == 1.0) x = std::floor(x), y = 1.0 / std::floor(y);
            double want = std::pow(x, y);
            if (want == 0.0 || std::isinf(want)) continue;
            int64_t apart = UlpsApart(Pow(x, y), want);
            if (apart > worst) worst = apart, worstX = x, worstY = y;
        }
        EXPECT_LE(worst, 1) << r.what << ": worst at Pow(" << std::setprecision(17) << worstX << ", " << worstY << ")";
    }
    // Whole powers come out whole, and the ends of the doubles, the subnormals among them, are
    // reached as the library reaches them.
    for (double b = 2.0; b <= 30.0; ++b)
        for (double e = 0.0; std::pow(b, e) < 9007199254740992.0; ++e) EXPECT_EQ(Pow(b, e), std::pow(b, e)) << b << "^" << e;
    const double ends[][2] = {{2.0, 1023.5},  {2.0, 1024.0},    {10.0, 308.25},  {10.0, 309.0}, {0.5, 1074.0},
                              {0.5, 1075.0},  {2.0, -1060.3},   {10.0, -320.5},  {3.0, -700.0}, {1e-310, 0.5},
                              {1e-310, -0.9}, {-2.0, 1023.0},   {-3.0, -645.0},  {-10.0, 307.0}};
    for (const auto& p : ends) {
        double got = Pow(p[0], p[1]), want = std::pow(p[0], p[1]);
        EXPECT_LE(UlpsApart(got, want), 1) << "Pow(" << p[0] << ", " << p[1] << ") = " << got << ", library " << want;
    }
}
