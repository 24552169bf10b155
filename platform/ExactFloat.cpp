#include "platform/ExactFloat.h"

#include <cstdint>
#include <cstring>

namespace {

using Wide = unsigned __int128;

constexpr int DIGITS = 9;
constexpr uint64_t LOWEST_NINE = 100000000, PAST_NINE = 1000000000;

// floor(a / b) for b > 0.
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// q rounded by its remainder: up past half, and at exactly half to even (as printf does).
template <typename T>
uint64_t RoundedQuotient(T q, T remainder, T divisor)
{
    const T twice = remainder * 2;
    if (twice > divisor || (twice == divisor && (q & 1))) ++q;
    return (uint64_t)q;
}

// m * 5^s as little-endian 32-bit words, for the values too small for 128 bits (the smallest
// normal floats and the denormals): at most 24 + 5 * 56 / 2 bits.
struct Wider {
    uint32_t words[8] = {};
    void Multiply(uint32_t by)
    {
        uint64_t carry = 0;
        for (uint32_t& word : words) {
            const uint64_t product = (uint64_t)word * by + carry;
            word = (uint32_t)product;
            carry = product >> 32;
        }
    }
    bool Bit(int at) const { return at >= 0 && at < 256 && (words[at / 32] >> (at % 32) & 1); }
    // Bits [from, from + 64) as a number.
    uint64_t Bits(int from) const
    {
        uint64_t value = 0;
        for (int i = 63; i >= 0; --i) value = value << 1 | (Bit(from + i) ? 1 : 0);
        return value;
    }
    bool AnyBelow(int at) const
    {
        for (int i = 0; i < at; ++i)
            if (Bit(i)) return true;
        return false;
    }
};

// m * 2^e * 10^s rounded to the nearest whole number, ties to even.
uint64_t Scaled(uint64_t m, int e, int s)
{
    if (s >= 0) {
        // m * 5^s * 2^(e + s).
        const int shift = e + s;
        if (s <= 44) {
            Wide a = m;
            for (int i = 0; i < s; ++i) a *= 5;
            if (shift >= 0) return (uint64_t)(a << shift);
            const int down = -shift;
            if (down >= 128) return 0;
            const Wide q = a >> down, remainder = a & ((Wide(1) << down) - 1);
            return RoundedQuotient<Wide>(q, remainder, Wide(1) << down);
        }
        Wider a;
        a.words[0] = (uint32_t)m;
        for (int i = 0; i < s; ++i) a.Multiply(5);
        // The whole of it is a few billion at most here, and shift is well below zero.
        const int down = -shift;
        uint64_t q = a.Bits(down);
        const bool half = a.Bit(down - 1), beyond = a.AnyBelow(down - 1);
        if (half && (beyond || (q & 1))) ++q;
        return q;
    }
    // Only numbers of a billion and more come here: e exceeds -s by far.
    const int t = -s;
    Wide five = 1;
    for (int i = 0; i < t; ++i) five *= 5;
    const Wide a = (Wide)m << (e - t);
    return RoundedQuotient<Wide>(a / five, a % five, five);
}

char* Digits(char* at, uint64_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        at[i] = (char)('0' + value % 10);
        value /= 10;
    }
    return at + count;
}

}  // namespace

int PrintExactFloat(char* out, float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    char* p = out;
    if (bits >> 31) *p++ = '-';
    const uint32_t exponent = bits >> 23 & 0xff, fraction = bits & 0x7fffff;
    if (exponent == 0xff || (exponent == 0 && fraction == 0)) {
        const char* word = exponent == 0 ? "0" : fraction ? "nan" : "inf";
        const size_t length = strlen(word);
        memcpy(p, word, length + 1);
        return (int)(p - out + length);
    }
    const uint64_t m = exponent ? fraction | 0x800000u : fraction;
    const int e = exponent ? (int)exponent - 150 : -149;
    // The decimal exponent k (10^k <= value < 10^(k+1)), first from the binary one (never too
    // high, at most one too low), then made sure of by the digits.
    int bitLength = 0;
    for (uint64_t rest = m; rest; rest >>= 1) ++bitLength;
    int k = FloorDiv((bitLength - 1 + e) * 1233, 4096);
    uint64_t n = Scaled(m, e, DIGITS - 1 - k);
    while (n >= PAST_NINE) {
        ++k;
        n = Scaled(m, e, DIGITS - 1 - k);
    }
    while (n < LOWEST_NINE) {
        --k;
        n = Scaled(m, e, DIGITS - 1 - k);
    }
    // Rounded up to the next power of ten.
    if (n == PAST_NINE) {
        n = LOWEST_NINE;
        ++k;
    }
    char digits[DIGITS];
    Digits(digits, n, DIGITS);
    int significant = DIGITS;
    while (significant > 1 && digits[significant - 1] == '0') --significant;
    if (k >= -4 && k < DIGITS) {
        if (k >= 0) {
            const int whole = k + 1;
            memcpy(p, digits, (size_t)whole);
            p += whole;
            if (significant > whole) {
                *p++ = '.';
                memcpy(p, digits + whole, (size_t)(significant - whole));
                p += significant - whole;
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            for (int i = -1; i > k; --i) *p++ = '0';
            memcpy(p, digits, (size_t)significant);
            p += significant;
        }
    } else {
        *p++ = digits[0];
        if (significant > 1) {
            *p++ = '.';
            memcpy(p, digits + 1, (size_t)(significant - 1));
            p += significant - 1;
        }
        *p++ = 'e';
        *p++ = k < 0 ? '-' : '+';
        const int magnitude = k < 0 ? -k : k;
        // Two digits at least, as printf gives them; a float's reach fewer than a hundred.
        p = Digits(p, (uint64_t)magnitude, 2);
    }
    *p = '\0';
    return (int)(p - out);
}

void WriteExactFloats(FILE* file, const char* before, const float* values, size_t count, const char* after)
{
    fputs(before, file);
    char text[EXACT_FLOAT_CHARS + 1];
    for (size_t i = 0; i < count; ++i) {
        text[0] = ' ';
        const int length = PrintExactFloat(text + 1, values[i]);
        // The first comes straight after `before`, the others a space after the one before.
        fwrite(i ? text : text + 1, 1, (size_t)length + (i ? 1 : 0), file);
    }
    fputs(after, file);
}
