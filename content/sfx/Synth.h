#pragma once
// Small building blocks of the sound tools: oscillators, envelopes, a repeatable noise source
// and one-pole filters. Everything is plain arithmetic on floats so that the same program
// always writes the same samples.
#include <cmath>
#include <cstdint>

namespace synth {

constexpr float TwoPi = 6.283185307f;

// Frequency of a MIDI note number (69 is A at 440 Hz).
inline float NoteHz(float note)
{
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

// Waveforms of a phase in cycles (any real number).
inline float Sine(double phase)
{
    return (float)std::sin(TwoPi * (phase - std::floor(phase)));
}
inline float Triangle(double phase)
{
    float p = (float)(phase - std::floor(phase));
    return p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p;
}
inline float Saw(double phase)
{
    return 2.0f * (float)(phase - std::floor(phase)) - 1.0f;
}
inline float Square(double phase, float duty = 0.5f)
{
    return (phase - std::floor(phase)) < duty ? 1.0f : -1.0f;
}

// A repeatable white-noise source (xorshift), uniform in -1..1.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 1u) {}
    float Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float)(state & 0xFFFFFF) / 8388607.5f - 1.0f;
    }
};

// One-pole low-pass; `Highpass` gives what the low-pass takes away.
struct OnePole {
    float state = 0.0f;
    float cutoff = -1.0f, rate = 0.0f, a = 0.0f;  // the last coefficient, kept while the cutoff holds
    float Lowpass(float input, float cutoffHz, float sampleRate)
    {
        if (cutoffHz != cutoff || sampleRate != rate) {
            cutoff = cutoffHz;
            rate = sampleRate;
            a = 1.0f - std::exp(-TwoPi * cutoffHz / sampleRate);
        }
        state += a * (input - state);
        return state;
    }
    float Highpass(float input, float cutoffHz, float rate) { return input - Lowpass(input, cutoffHz, rate); }
};

// Attack-decay envelope at time t (seconds): a linear rise over `attack`, then an exponential
// fall with the given time constant.
inline float AttackDecay(float t, float attack, float decay)
{
    if (t < 0.0f) return 0.0f;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

// Attack-sustain-release over a note of `length` seconds: rises over `attack`, holds, and
// falls linearly over `release` after the note ends.
inline float AttackRelease(float t, float length, float attack, float release)
{
    if (t < 0.0f) return 0.0f;
    float level = t < attack ? t / attack : 1.0f;
    if (t > length) level *= std::fmax(0.0f, 1.0f - (t - length) / release);
    return level;
}

}  // namespace synth
