#include "host/Random.h"

#include <cstdint>

static uint32_t randomState = 1;

int Rand()
{
    randomState = randomState * 214013u + 2531011u;
    return int((randomState >> 16) & 0x7FFF);
}

void SRand(unsigned seed)
{
    randomState = seed;
}

unsigned RandState()
{
    return randomState;
}
