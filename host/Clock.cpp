#include "host/Clock.h"

#include "host/System.h"

#include <SDL.h>

static uint64_t Counter()
{
    return SDL_GetPerformanceCounter();
}

static uint64_t Frequency()
{
    return SDL_GetPerformanceFrequency();
}

const ClockSource* SystemClock()
{
    static const ClockSource clock = {Counter, Frequency, TimeGetTimeMs};
    return &clock;
}
