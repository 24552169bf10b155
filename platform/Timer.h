#pragma once
// The frame clock: initialised once at start-up, ticked once per main-loop pass, reset when a
// level starts (so that the load time never becomes a frame delta). Everything reads its
// `delta` (seconds of the last frame, smoothed, not clamped: each user clamps its own copy),
// its `time` and its frame counter, the clock of the once-per-frame guards.
#include "host/Clock.h"

#include <cassert>
#include <cstdint>

class Timer {
public:
    // Uses the high-resolution counter when highRes is set and the machine has one, else the
    // millisecond clock.
    void Init(bool highRes);
    // Seconds since Init.
    double GetTime() const;
    void Tick();
    // Restarts delta, time and the frame counter from now; the smoothing ring is kept.
    void Reset();
    int GetFrameCount() const { return frameCount; }

    // A hitch differing from the 8-frame average by more than half of it is replaced by the
    // average. The developer command "debug_smoothtimer" flips this.
    void SetSmoothing(bool on) { smoothing = on; }
    bool IsSmoothing() const { return smoothing; }

    // The clock to read (the machine's by default); set before Init.
    void SetClock(const ClockSource* source) { clock = source; }

    double secondsPerTick = 0.0;
    uint64_t startCount = 0;
    float delta = 0.0f;
    float time = 0.0f;
    float now = 0.0f;
    float framesSinceRateUpdate = 0.0f;
    float lastRateUpdate = 0.0f;
    float framesPerSecond = 0.0f;
    int frameCount = 0;
    int useHighResCounter = 0;

    static constexpr int RING_SIZE = 8;
    float deltaRing[RING_SIZE] = {};
    int ringIndex = 0;
    // How many ring entries hold real frames (the average uses only those).
    int ringFilled = 0;

private:
    // The last reading in full: a frame's delta is taken from it, so that a frame of the same
    // length gives the same delta however long the program has run (a float of the time since
    // start grows coarse, and its differences with it).
    double exactTime = 0.0;
    bool smoothing = true;
    const ClockSource* clock = nullptr;
};

// The game's one frame clock.
extern Timer FrameTimer;

// The world's clock. The world steps in whole ticks of TICK seconds whatever the frame rate, so
// that a level plays one game on every machine: the game's update gathers the frames' time and
// runs as many ticks as it holds. The camera, the interface, particles and sound go by the frame.
struct WorldClock {
    static constexpr float TICK = 0.1f;

    // TICK while a tick runs, 0 between ticks.
    float step = 0.0f;
    // Ticks run since start-up: the clock of the world's once-per-tick guards.
    int count = 0;
    bool inTick = false;
    // The share of a tick the frames have gathered past the last one (0 <= carry < 1): the world
    // is drawn that share of the way from its pose before its latest tick to its pose after.
    float carry = 0.0f;
};
extern WorldClock WorldTicks;

// The step the world takes now: the tick's while one runs, and nothing outside a tick. World
// code reads it only inside a tick: a world call made from what goes by the frame would
// otherwise change the game's course with the frame rate, so it steps by nothing there (and
// stops a debug build). A piece of the world stepped on its own (a tool, a test staging one
// unit) opens a tick for it with WorldTickScope.
inline float WorldStep()
{
    assert(WorldTicks.inTick && "world code stepped outside a tick");
    return WorldTicks.inTick ? WorldTicks.step : 0.0f;
}
// The counter of the world's once-per-tick guards: the tick running, or the last one run.
inline int WorldStepCount()
{
    return WorldTicks.count;
}

// One tick of the world for as long as the scope lives, as the game's update opens its own: the
// count moves on by one and the world steps by `step`. For a piece of the world stepped alone.
// Inside a tick already, it changes nothing.
class WorldTickScope {
public:
    explicit WorldTickScope(float step);
    ~WorldTickScope();
    WorldTickScope(const WorldTickScope&) = delete;
    WorldTickScope& operator=(const WorldTickScope&) = delete;

private:
    bool opened_ = false;
};

// The developer overlay of the last 300 frame times as bars. The recording and colouring live
// here; the bars are drawn by the 2D layer.
class FrameGraph {
public:
    static constexpr int SAMPLES = 300;
    static constexpr int VERTICES = SAMPLES * 4;

    static void SetEnabled(bool on);
    static bool IsEnabled();
    // Clears the samples (when the overlay is first built).
    static void Clear();
    // Stores a frame time at the next ring position.
    static void Record(float frameSeconds);
    // The sample quad k shows: quad 0 the newest, quads 1..299 from the oldest on.
    static float SampleForQuad(int k);
    // ARGB of vertex i (of VERTICES) showing a sample: green for a normal frame, blue for a
    // slow one, red for a hitch and yellow for a suspiciously short one; fainter to the left.
    static uint32_t VertexColour(int vertex, float sample);
    // Records this frame's time and draws the bars in the 2D mode (render/FrameGraph.cpp);
    // nothing while disabled.
    static void Draw();
};
