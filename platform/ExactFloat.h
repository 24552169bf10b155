#pragma once
// A float printed exactly as the level's files print their numbers ("%.9g" of the float: nine
// significant digits, enough to read back the same bits, the trailing zeros dropped), without
// going through printf: a save of a large level prints hundreds of thousands of them, and the
// replay's recorder hashes such a save every minute of play. Every float prints the same text
// as "%.9g" would, denormals, zeros, infinities and NaN included ("inf", "-nan").
#include <cstddef>

// Room enough for any float's text and its terminating zero ("-1.17549435e-38").
constexpr size_t EXACT_FLOAT_CHARS = 24;

// Writes the text and a terminating zero to `out` (EXACT_FLOAT_CHARS long at least) and
// returns its length.
int PrintExactFloat(char* out, float value);

#include <cstdio>

// `before`, the values printed so, a space apart, and `after`: a save's line of numbers
// ("SetScale\t\t\t\t" 1 1 1 "\n") as fprintf with "%.9g" writes it.
void WriteExactFloats(FILE* file, const char* before, const float* values, size_t count, const char* after);
