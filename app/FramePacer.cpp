#include "app/FramePacer.h"

#include "host/Log.h"

#include <chrono>
#include <thread>

namespace {

constexpr int DEFAULT_RATE = 60;

void SleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace

void FramePacer::SetClock(const ClockSource* clock, Sleeper sleeper)
{
    clock_ = clock;
    sleeper_ = sleeper;
    due_ = 0;
}

uint64_t FramePacer::TicksPerSecond() const
{
    const ClockSource* clock = clock_ ? clock_ : SystemClock();
    uint64_t frequency = clock->frequency ? clock->frequency() : 0;
    return frequency ? frequency : 1000;
}

uint64_t FramePacer::Now() const
{
    const ClockSource* clock = clock_ ? clock_ : SystemClock();
    if (clock->frequency && clock->frequency()) return clock->counter();
    return clock->milliseconds();
}

void FramePacer::Start(int rate)
{
    rate_ = rate > 0 ? rate : DEFAULT_RATE;
    period_ = TicksPerSecond() / (uint64_t)rate_;
    if (period_ == 0) period_ = 1;
    due_ = 0;
    if (!announced_) {
        announced_ = true;
        Log("WARNING: the driver does not wait for the display's refresh (vsync); frames are paced to %d a second\n",
            rate_);
    }
}

void FramePacer::Stop()
{
    rate_ = 0;
    period_ = 0;
    due_ = 0;
}

void FramePacer::EndFrame()
{
    if (!period_) return;
    uint64_t now = Now();
    if (due_ == 0) {
        // The first paced frame sets the beat.
        due_ = now + period_;
        return;
    }
    if (now < due_) {
        (sleeper_ ? sleeper_ : SleepSeconds)(double(due_ - now) / double(TicksPerSecond()));
        due_ += period_;
    } else if (now - due_ < period_) {
        due_ += period_;  // a little late: the beat holds, the next frame has the rest
    } else {
        due_ = now + period_;  // far behind: a new beat from now
    }
}
