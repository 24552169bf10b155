#include "host/Random.h"

#include "host/Log.h"
#include "host/WorldGuard.h"

#include <cstdint>

static uint32_t randomState = 1;
static int lookOnlyDepth = 0;
static int drawsWhileLookOnly = 0;

LookOnlyScope::LookOnlyScope()
{
    ++lookOnlyDepth;
}

LookOnlyScope::~LookOnlyScope()
{
    --lookOnlyDepth;
}

void CountDrawWhileLookOnly()
{
    if (lookOnlyDepth <= 0) return;
    if (drawsWhileLookOnly++ == 0)
        Log("WARNING: the game's random sequence was drawn from while drawing; the level no longer follows "
            "from its seed alone\n");
}

int DrawsWhileLookOnly()
{
    return drawsWhileLookOnly;
}

int Rand()
{
    WORLD_CHANGE("a draw from the level's random sequence");
    CountDrawWhileLookOnly();
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
