#pragma once
// The HUD's lengths and atlas cells. Every length of the HUD is a fraction of the screen
// height that is a whole number of quarters of 1/768 of it, in whole pixels (truncated); an
// atlas cell packs columns << 24 | rows << 16 | column << 8 | row.
#include "render/Draw2D.h"

#include <cmath>

inline int HudLength(double fraction)
{
    long long quarters = std::llround(fraction * 3072.0);
    return (int)(quarters * ScreenHeight() / 3072);
}

inline int AtlasCell(int columns, int rows, int column, int row)
{
    return columns << 24 | rows << 16 | column << 8 | row;
}

// trunc(H x numerator / denominator): the HUD's lengths written as the fractions they are.
inline int HudFraction(int numerator, int denominator)
{
    return (int)((long long)ScreenHeight() * numerator / denominator);
}
