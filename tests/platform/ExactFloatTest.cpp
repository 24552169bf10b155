// The level's files print their numbers with "%.9g": the text made without printf must be the
// same to the character, or every save and every replay's hash of it would change.
#include "platform/ExactFloat.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

std::string Exact(float value)
{
    char text[EXACT_FLOAT_CHARS];
    const int length = PrintExactFloat(text, value);
    EXPECT_EQ((size_t)length, strlen(text));
    return text;
}

std::string Printed(float value)
{
    char text[64];
    snprintf(text, sizeof text, "%.9g", value);
    return text;
}

float FromBits(uint32_t bits)
{
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

TEST(ExactFloat, PrintsWhatTheSavesPrint)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        const char* text;
    } table[] = {
        {0.0f, "0"},
        {-0.0f, "-0"},
        {1.0f, "1"},
        {-2.5f, "-2.5"},
        {0.1f, "0.100000001"},
        {123456789.0f, "123456792"},  // the float nearest it
        {100000000.0f, "100000000"},
        {999999936.0f, "999999936"},  // the last float below a billion, nine digits whole
        {1e9f, "1e+09"},
        {16777216.0f, "16777216"},
        {0.001f, "0.00100000005"},
        {0.0001f, "9.99999975e-05"},  // past four zeros: the exponent form
        {1048576.125f, "1048576.12"},  // a tie at the tenth digit goes to the even one
        {1048576.375f, "1048576.38"},
        {FLT_MAX, "3.40282347e+38"},
        {-FLT_MAX, "-3.40282347e+38"},
        {FLT_MIN, "1.17549435e-38"},
        {FromBits(0x007fffff), "1.17549421e-38"},  // the largest denormal
        {FromBits(0x00000001), "1.40129846e-45"},  // the smallest
        {FromBits(0x80000003), "-4.20389539e-45"},
        {inf, "inf"},
        {-inf, "-inf"},
        {nan, "nan"},
        {-nan, "-nan"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Exact(row.value), row.text) << row.text;
        EXPECT_EQ(Exact(row.value), Printed(row.value)) << row.text;
    }
}

TEST(ExactFloat, AgreesWithPrintfOverASweepOfEveryRange)
{
    // A close stride through where saves print most (places and clocks between 256 and 1024),
    // a stride through all the bit patterns (every exponent, denormals, both signs), and the
    // first and last floats of the range and the first normal ones.
    int differing = 0;
    auto check = [&](uint32_t bits) {
        const float value = FromBits(bits);
        if (Exact(value) != Printed(value) && ++differing <= 10)
            ADD_FAILURE() << "bits " << std::hex << bits << ": printf '" << Printed(value) << "', ours '" << Exact(value) << "'";
    };
    for (uint32_t bits = 0x43800000u; bits < 0x44800000u; bits += 61) check(bits);
    for (uint64_t bits = 0; bits <= 0xffffffffu; bits += 65537) check((uint32_t)bits);
    for (uint32_t bits = 0; bits < 4096; ++bits) {
        check(bits);
        check(0x7f7fffffu - bits);
        check(0x00800000u + bits);
    }
    EXPECT_EQ(differing, 0);
}
