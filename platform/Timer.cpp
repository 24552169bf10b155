#include "platform/Timer.h"

#include "host/WorldGuard.h"

Timer FrameTimer;
WorldClock WorldTicks;

WorldTickScope::WorldTickScope(float step)
{
    if (WorldTicks.inTick) return;
    opened_ = true;
    WorldTicks.count += 1;
    WorldTicks.step = step;
    WorldTicks.inTick = true;
    BeginWorldChange();
}

WorldTickScope::~WorldTickScope()
{
    if (!opened_) return;
    EndWorldChange();
    WorldTicks.inTick = false;
    WorldTicks.step = 0.0f;
}

void Timer::Init(bool highRes)
{
    if (!clock) clock = SystemClock();
    uint64_t frequency = highRes ? clock->frequency() : 0;
    if (frequency > 0) {
        useHighResCounter = 1;
        secondsPerTick = 1.0 / double(frequency);
        startCount = clock->counter();
    } else {
        useHighResCounter = 0;
        secondsPerTick = 0.001;
        startCount = clock->milliseconds();
    }
    Reset();
}

double Timer::GetTime() const
{
    if (!clock) return 0.0;
    if (useHighResCounter) return double(clock->counter() - startCount) * secondsPerTick;
    // Unsigned 32-bit difference: the clock survives the wrap of the millisecond counter.
    uint32_t elapsed = clock->milliseconds() - uint32_t(startCount);
    return double(elapsed) * 0.001;
}

void Timer::Tick()
{
    const double exact = GetTime();
    const float t = float(exact);
    now = t;
    delta = float(exact - exactTime);
    exactTime = exact;
    time = t;

    deltaRing[ringIndex] = delta;
    ringIndex = (ringIndex + 1) % RING_SIZE;
    if (ringFilled < RING_SIZE) ++ringFilled;

    if (smoothing) {
        // Averaged over the frames actually recorded: right after start the empty entries
        // would otherwise drag the first deltas toward zero.
        float sum = 0.0f;
        for (float d : deltaRing) sum += d;
        float average = ringFilled == RING_SIZE ? sum * 0.125f : sum / float(ringFilled);
        float difference = delta - average;
        if (difference < 0.0f) difference = -difference;
        if (difference > average * 0.5f) delta = average;
    }

    ++frameCount;
    framesSinceRateUpdate += 1.0f;
    float elapsed = time - lastRateUpdate;
    if (elapsed > 0.5f) {
        framesPerSecond = framesSinceRateUpdate / elapsed;
        lastRateUpdate = time;
        framesSinceRateUpdate = 0.0f;
    }
}

void Timer::Reset()
{
    delta = 0.0f;
    exactTime = GetTime();
    time = now = float(exactTime);
    frameCount = 0;
    framesSinceRateUpdate = 0.0f;
    // From now, not from zero: otherwise the first rate after a level start would divide by
    // the whole time since start-up.
    lastRateUpdate = time;
    framesPerSecond = 0.0f;
}

// ---- FrameGraph

static bool graphEnabled = false;
static float graphSamples[FrameGraph::SAMPLES];
static int graphIndex = 0;

void FrameGraph::SetEnabled(bool on)
{
    graphEnabled = on;
}

bool FrameGraph::IsEnabled()
{
    return graphEnabled;
}

void FrameGraph::Clear()
{
    for (float& s : graphSamples) s = 0.0f;
    graphIndex = 0;
}

void FrameGraph::Record(float frameSeconds)
{
    graphSamples[graphIndex] = frameSeconds;
    graphIndex = (graphIndex + 1) % SAMPLES;
}

float FrameGraph::SampleForQuad(int k)
{
    int i = ((k + graphIndex - 1) % SAMPLES + SAMPLES) % SAMPLES;
    return graphSamples[i];
}

uint32_t FrameGraph::VertexColour(int vertex, float sample)
{
    uint32_t alpha = uint32_t(float(vertex) / float(VERTICES) * 111.0f + 16.0f);
    uint32_t rgb;
    if (sample <= 1.0f / 150.0f) rgb = 0xFFFF00;          // yellow
    else if (sample < 0.0266667f) rgb = 0x00FF00;         // green
    else if (sample < 0.0433333f) rgb = 0x2673FF;         // blue (38, 115, 255)
    else rgb = 0xFF0000;                                  // red
    return (alpha << 24) | rgb;
}
