// sfxgen <output folder>: synthesises the game's sound effects and writes each as a mono
// 16-bit RIFF WAVE file named after the sound ("blip.wav", ...). The same program always
// writes the same bytes.
// sfxgen --list: the files that run makes, one a line.
#include "content/sfx/Synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace synth;

namespace {

constexpr int Rate = 22050;

struct Effect {
    const char* name;
    float seconds;
    void (*render)(std::vector<float>& out);
};

float Time(size_t i)
{
    return (float)i / Rate;
}

// A tone whose pitch glides from `from` to `to` Hz over the sound, with the phase carried
// along so the glide has no steps.
template <typename Wave>
void Glide(std::vector<float>& out, float from, float to, float gain, float attack, float decay, Wave wave)
{
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float hz = from + (to - from) * k;
        out[i] += gain * AttackDecay(t, attack, decay) * wave(phase);
        phase += hz / Rate;
    }
}

// Notes one after another: (Hz, start, length) with a short attack and an exponential tail.
struct Note {
    float hz, start, decay;
};

template <typename Wave>
void Notes(std::vector<float>& out, const std::vector<Note>& notes, float gain, Wave wave)
{
    for (const Note& note : notes) {
        size_t first = (size_t)(note.start * Rate);
        for (size_t i = first; i < out.size(); ++i) {
            float t = Time(i - first);
            out[i] += gain * AttackDecay(t, 0.004f, note.decay) * wave((double)note.hz * t);
        }
    }
}

// Filtered noise with an envelope; the low-pass cutoff falls from `cutFrom` to `cutTo`.
void NoiseBurst(std::vector<float>& out, uint32_t seed, float gain, float attack, float decay, float cutFrom, float cutTo,
                float highpass = 0.0f)
{
    Noise noise(seed);
    OnePole low, low2, high;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float cut = cutFrom * std::pow(cutTo / cutFrom, k);
        float s = low2.Lowpass(low.Lowpass(noise.Next(), cut, Rate), cut, Rate);
        if (highpass > 0.0f) s = high.Highpass(s, highpass, Rate);
        out[i] += gain * AttackDecay(t, attack, decay) * s;
    }
}

// A struck piece of metal: inharmonic partials that die away at different speeds.
void Clink(std::vector<float>& out, float base, uint32_t seed)
{
    const float ratios[] = {1.0f, 2.76f, 5.40f, 8.93f};
    const float decays[] = {0.16f, 0.09f, 0.05f, 0.03f};
    const float gains[] = {0.5f, 0.35f, 0.25f, 0.15f};
    for (int p = 0; p < 4; ++p)
        for (size_t i = 0; i < out.size(); ++i) {
            float t = Time(i);
            out[i] += gains[p] * AttackDecay(t, 0.001f, decays[p]) * Sine((double)base * ratios[p] * t);
        }
    NoiseBurst(out, seed, 0.5f, 0.0005f, 0.012f, 9000.0f, 3000.0f, 1500.0f);
}

void Blip(std::vector<float>& out)
{
    Glide(out, 1200.0f, 1800.0f, 0.8f, 0.003f, 0.025f, [](double p) { return Sine(p); });
    Glide(out, 2400.0f, 3600.0f, 0.15f, 0.003f, 0.015f, [](double p) { return Sine(p); });
}

void Click(std::vector<float>& out)
{
    NoiseBurst(out, 11, 0.7f, 0.0005f, 0.004f, 8000.0f, 6000.0f, 2000.0f);
    Glide(out, 3000.0f, 2600.0f, 0.4f, 0.0005f, 0.006f, [](double p) { return Sine(p); });
}

void Select(std::vector<float>& out)
{
    Notes(out, {{880.0f, 0.0f, 0.03f}, {1318.5f, 0.045f, 0.05f}}, 0.6f, [](double p) { return Triangle(p); });
}

void Bad(std::vector<float>& out)
{
    auto buzz = [](double p) { return 0.6f * Square(p) + 0.4f * Saw(p * 1.01); };
    std::vector<float> raw(out.size(), 0.0f);
    Notes(raw, {{185.0f, 0.0f, 0.08f}, {139.0f, 0.11f, 0.12f}}, 0.5f, buzz);
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) out[i] += low.Lowpass(raw[i], 1800.0f, Rate);
}

void Credits(std::vector<float>& out)
{
    Notes(out, {{987.8f, 0.0f, 0.05f}, {1318.5f, 0.07f, 0.18f}}, 0.45f, [](double p) { return Square(p, 0.25f); });
    Notes(out, {{1975.5f, 0.0f, 0.03f}, {2637.0f, 0.07f, 0.1f}}, 0.12f, [](double p) { return Sine(p); });
}

void Countdown(std::vector<float>& out)
{
    Notes(out, {{1000.0f, 0.0f, 0.09f}}, 0.6f, [](double p) { return 0.8f * Sine(p) + 0.2f * Triangle(p * 2.0); });
}

void Alert(std::vector<float>& out)
{
    std::vector<Note> notes;
    for (int i = 0; i < 4; ++i) notes.push_back({i % 2 ? 659.3f : 880.0f, 0.15f * i, 0.09f});
    Notes(out, notes, 0.5f, [](double p) { return 0.7f * Triangle(p) + 0.3f * Square(p, 0.3f); });
}

void LevelUp(std::vector<float>& out)
{
    const float tones[] = {523.3f, 659.3f, 784.0f, 1046.5f, 1318.5f};
    std::vector<Note> notes;
    for (int i = 0; i < 5; ++i) notes.push_back({tones[i], 0.075f * i, i == 4 ? 0.35f : 0.12f});
    Notes(out, notes, 0.35f, [](double p) { return 0.6f * Triangle(p) + 0.4f * Sine(p * 2.0); });
    Notes(out, {{1046.5f, 0.3f, 0.4f}, {1568.0f, 0.3f, 0.35f}}, 0.15f, [](double p) { return Sine(p); });
}

void Explosion(std::vector<float>& out)
{
    NoiseBurst(out, 7, 1.0f, 0.004f, 0.35f, 4000.0f, 150.0f);
    NoiseBurst(out, 8, 0.5f, 0.002f, 0.06f, 9000.0f, 2000.0f);
    Glide(out, 70.0f, 28.0f, 0.9f, 0.004f, 0.3f, [](double p) { return Sine(p); });
}

void FireHit(std::vector<float>& out)
{
    NoiseBurst(out, 21, 0.8f, 0.001f, 0.06f, 6000.0f, 900.0f, 300.0f);
    Glide(out, 220.0f, 90.0f, 0.6f, 0.001f, 0.06f, [](double p) { return Sine(p); });
}

void MeleeHit(std::vector<float>& out)
{
    Glide(out, 130.0f, 55.0f, 0.9f, 0.001f, 0.05f, [](double p) { return Sine(p); });
    NoiseBurst(out, 31, 0.5f, 0.0005f, 0.015f, 5000.0f, 2000.0f);
}

void MeleeHitBio(std::vector<float>& out)
{
    // A wet, muffled blow: noise whose colour wobbles, over a low thud.
    Noise noise(41);
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i);
        float cut = 500.0f + 400.0f * Sine(t * 23.0);
        out[i] += 1.2f * AttackDecay(t, 0.003f, 0.07f) * low.Lowpass(noise.Next(), cut, Rate);
    }
    Glide(out, 95.0f, 50.0f, 0.7f, 0.002f, 0.06f, [](double p) { return Sine(p); });
}

void Pickaxe1(std::vector<float>& out)
{
    Clink(out, 1870.0f, 51);
}
void Pickaxe2(std::vector<float>& out)
{
    Clink(out, 1660.0f, 52);
}
void Pickaxe3(std::vector<float>& out)
{
    Clink(out, 2110.0f, 53);
}

// A part rendered on its own and mixed in from `start` seconds on.
void MixAt(std::vector<float>& out, float start, float seconds, void (*render)(std::vector<float>& part))
{
    std::vector<float> part((size_t)(seconds * Rate), 0.0f);
    render(part);
    size_t first = (size_t)(start * Rate);
    for (size_t i = 0; i < part.size() && first + i < out.size(); ++i) out[first + i] += part[i];
}

// ---- The front end's and the inventory's

void Message(std::vector<float>& out)
{
    Notes(out, {{1318.5f, 0.0f, 0.12f}, {1760.0f, 0.09f, 0.2f}}, 0.5f, [](double p) { return Triangle(p); });
}

void DropItem(std::vector<float>& out)
{
    Glide(out, 320.0f, 110.0f, 0.9f, 0.002f, 0.05f, [](double p) { return Sine(p); });
    NoiseBurst(out, 61, 0.4f, 0.001f, 0.02f, 3000.0f, 800.0f);
}

void ItemGem(std::vector<float>& out)
{
    Notes(out, {{2093.0f, 0.0f, 0.08f}, {2637.0f, 0.04f, 0.09f}, {3136.0f, 0.08f, 0.14f}}, 0.35f,
          [](double p) { return Sine(p); });
}

void Recycle(std::vector<float>& out)
{
    std::vector<float> raw(out.size(), 0.0f);
    Glide(raw, 620.0f, 140.0f, 0.7f, 0.02f, 0.4f, [](double p) { return Saw(p); });
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) out[i] += low.Lowpass(raw[i], 1400.0f, Rate);
    NoiseBurst(out, 71, 0.25f, 0.05f, 0.3f, 2500.0f, 400.0f);
}

// A shimmering sweep: a sine gliding between two pitches with a fast tremolo.
void Shimmer(std::vector<float>& out, float from, float to)
{
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float hz = from * std::pow(to / from, k);
        float tremolo = 0.6f + 0.4f * Sine(t * 18.0);
        out[i] += 0.6f * tremolo * AttackDecay(t, 0.05f, 0.25f) * Sine(phase);
        phase += hz / Rate;
    }
}

void CloakIn(std::vector<float>& out)
{
    Shimmer(out, 300.0f, 1500.0f);
}

void CloakOut(std::vector<float>& out)
{
    Shimmer(out, 1500.0f, 300.0f);
}

// ---- Items, orders and the world

void Pickup(std::vector<float>& out)
{
    Notes(out, {{784.0f, 0.0f, 0.05f}, {1174.7f, 0.06f, 0.1f}}, 0.45f, [](double p) { return Square(p, 0.25f); });
}

void Open(std::vector<float>& out)
{
    std::vector<float> creak(out.size(), 0.0f);
    Glide(creak, 170.0f, 240.0f, 0.5f, 0.03f, 0.12f, [](double p) { return Saw(p); });
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) out[i] += low.Lowpass(creak[i], 900.0f, Rate);
    MixAt(out, 0.16f, 0.2f, [](std::vector<float>& part) { Clink(part, 1200.0f, 81); });
}

void ItemDrop(std::vector<float>& out)
{
    Glide(out, 240.0f, 80.0f, 0.9f, 0.002f, 0.07f, [](double p) { return Sine(p); });
    NoiseBurst(out, 91, 0.5f, 0.001f, 0.03f, 4000.0f, 600.0f);
}

void Fuel(std::vector<float>& out)
{
    // A gulp: a pitch that wobbles upward, with a few bubbles after it.
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i);
        float hz = 300.0f + 500.0f * t / 0.35f + 60.0f * Sine(t * 30.0);
        out[i] += 0.7f * AttackDecay(t, 0.01f, 0.08f) * Sine(phase);
        phase += hz / Rate;
    }
    Notes(out, {{900.0f, 0.12f, 0.02f}, {1100.0f, 0.18f, 0.02f}, {1300.0f, 0.24f, 0.02f}}, 0.25f,
          [](double p) { return Sine(p); });
}

void Journal(std::vector<float>& out)
{
    NoiseBurst(out, 101, 0.6f, 0.03f, 0.05f, 6000.0f, 2500.0f, 1200.0f);
    MixAt(out, 0.12f, 0.15f, [](std::vector<float>& part) {
        NoiseBurst(part, 102, 0.4f, 0.02f, 0.04f, 5000.0f, 2000.0f, 1500.0f);
    });
}

void ItemBreakWood(std::vector<float>& out)
{
    NoiseBurst(out, 111, 0.9f, 0.0005f, 0.05f, 3500.0f, 700.0f, 200.0f);
    Glide(out, 160.0f, 60.0f, 0.6f, 0.001f, 0.08f, [](double p) { return Triangle(p); });
    MixAt(out, 0.08f, 0.2f, [](std::vector<float>& part) { NoiseBurst(part, 112, 0.5f, 0.0005f, 0.04f, 2500.0f, 500.0f); });
}

void Heal(std::vector<float>& out)
{
    Notes(out, {{523.3f, 0.0f, 0.12f}, {659.3f, 0.08f, 0.12f}, {784.0f, 0.16f, 0.14f}, {1046.5f, 0.24f, 0.25f}}, 0.4f,
          [](double p) { return Triangle(p); });
}

void Recharge(std::vector<float>& out)
{
    std::vector<float> raw(out.size(), 0.0f);
    Glide(raw, 200.0f, 1600.0f, 0.6f, 0.05f, 0.4f, [](double p) { return Saw(p); });
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) out[i] += low.Lowpass(raw[i], 2500.0f, Rate);
}

void LayMine(std::vector<float>& out)
{
    Clink(out, 900.0f, 121);
    Notes(out, {{1500.0f, 0.15f, 0.06f}}, 0.4f, [](double p) { return Square(p); });
}

void Scan(std::vector<float>& out)
{
    Glide(out, 1250.0f, 1150.0f, 0.7f, 0.005f, 0.35f, [](double p) { return Sine(p); });
    Notes(out, {{2500.0f, 0.0f, 0.05f}}, 0.15f, [](double p) { return Sine(p); });
}

void Warp(std::vector<float>& out)
{
    Noise noise(131);
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float cut = 300.0f + 5000.0f * std::sin(3.14159f * k);
        out[i] += 0.8f * std::sin(3.14159f * k) * low.Lowpass(noise.Next(), cut, Rate);
    }
    Glide(out, 200.0f, 1200.0f, 0.4f, 0.3f, 0.3f, [](double p) { return Sine(p); });
}

void BuildBeam(std::vector<float>& out)
{
    // Loops while a unit builds: an even hum without an envelope of its own.
    Noise noise(141);
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i);
        out[i] += 0.35f * Saw(110.0 * t) + 0.25f * Saw(220.5 * t) + 0.15f * low.Lowpass(noise.Next(), 1800.0f, Rate);
    }
}

void Spinner(std::vector<float>& out)
{
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i);
        float hz = 300.0f + 200.0f * t / 0.5f + 40.0f * Sine(t * 25.0);
        out[i] += 0.6f * AttackDecay(t, 0.03f, 0.2f) * Triangle(phase);
        phase += hz / Rate;
    }
    NoiseBurst(out, 151, 0.3f, 0.05f, 0.2f, 3000.0f, 1500.0f, 800.0f);
}

void Enrich(std::vector<float>& out)
{
    Notes(out, {{1568.0f, 0.0f, 0.15f}, {2093.0f, 0.07f, 0.15f}, {2637.0f, 0.14f, 0.25f}}, 0.35f,
          [](double p) { return Sine(p); });
    Notes(out, {{3136.0f, 0.14f, 0.2f}}, 0.1f, [](double p) { return Sine(p); });
}

void Objective(std::vector<float>& out)
{
    Notes(out, {{523.3f, 0.0f, 0.08f}, {659.3f, 0.09f, 0.08f}, {784.0f, 0.18f, 0.2f}}, 0.4f,
          [](double p) { return Square(p, 0.3f); });
}

void ObjectiveAll(std::vector<float>& out)
{
    Notes(out, {{523.3f, 0.0f, 0.09f}, {659.3f, 0.11f, 0.09f}, {784.0f, 0.22f, 0.09f}, {1046.5f, 0.33f, 0.5f}}, 0.35f,
          [](double p) { return Square(p, 0.3f); });
    Notes(out, {{659.3f, 0.33f, 0.5f}, {784.0f, 0.33f, 0.5f}}, 0.2f, [](double p) { return Triangle(p); });
}

void BeastDead(std::vector<float>& out)
{
    std::vector<float> raw(out.size(), 0.0f);
    Glide(raw, 140.0f, 55.0f, 0.8f, 0.02f, 0.3f, [](double p) { return Saw(p); });
    NoiseBurst(raw, 161, 0.5f, 0.02f, 0.25f, 1200.0f, 300.0f);
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) out[i] += low.Lowpass(raw[i], 900.0f, Rate);
}

void MechDead(std::vector<float>& out)
{
    NoiseBurst(out, 171, 0.9f, 0.002f, 0.25f, 7000.0f, 600.0f);
    Clink(out, 420.0f, 172);
    Glide(out, 90.0f, 35.0f, 0.8f, 0.003f, 0.3f, [](double p) { return Sine(p); });
}

void DeadScav(std::vector<float>& out)
{
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float hz = 600.0f - 400.0f * k + 25.0f * Sine(t * 9.0);
        out[i] += 0.5f * AttackDecay(t, 0.02f, 0.25f) * (0.6f * Saw(phase) + 0.4f * Square(phase, 0.4f));
        phase += hz / Rate;
    }
}

void BreakRocks(std::vector<float>& out)
{
    const float starts[] = {0.0f, 0.07f, 0.15f, 0.26f};
    for (int i = 0; i < 4; ++i) {
        size_t first = (size_t)(starts[i] * Rate);
        std::vector<float> part(out.size() - first, 0.0f);
        NoiseBurst(part, 181 + (uint32_t)i, 0.9f - 0.15f * i, 0.001f, 0.06f, 2200.0f, 300.0f);
        for (size_t j = 0; j < part.size(); ++j) out[first + j] += part[j];
    }
}

void MachineGun(std::vector<float>& out)
{
    for (int shot = 0; shot < 4; ++shot)
        MixAt(out, 0.055f * shot, 0.06f, [](std::vector<float>& part) {
            NoiseBurst(part, 191, 0.9f, 0.0005f, 0.012f, 8000.0f, 2000.0f);
            Glide(part, 180.0f, 90.0f, 0.5f, 0.0005f, 0.015f, [](double p) { return Sine(p); });
        });
}

void Attack(std::vector<float>& out)
{
    NoiseBurst(out, 201, 0.8f, 0.001f, 0.05f, 6000.0f, 900.0f);
    Glide(out, 420.0f, 100.0f, 0.6f, 0.001f, 0.05f, [](double p) { return Sine(p); });
}

void LaserBurn(std::vector<float>& out)
{
    Glide(out, 1800.0f, 600.0f, 0.5f, 0.002f, 0.1f, [](double p) { return Square(p, 0.5f); });
    Glide(out, 3600.0f, 1200.0f, 0.2f, 0.002f, 0.08f, [](double p) { return Sine(p); });
}

void Lightning(std::vector<float>& out)
{
    // Crackle: noise switched on and off in short random spells.
    Noise noise(211), gate(212);
    OnePole high;
    bool on = true;
    for (size_t i = 0; i < out.size(); ++i) {
        if (i % 200 == 0) on = gate.Next() > -0.2f;
        float t = Time(i);
        float s = on ? high.Highpass(noise.Next(), 1500.0f, Rate) : 0.0f;
        out[i] += 0.9f * AttackDecay(t, 0.005f, 0.18f) * s;
    }
    Glide(out, 2400.0f, 900.0f, 0.15f, 0.005f, 0.1f, [](double p) { return Saw(p); });
}

void Flame(std::vector<float>& out)
{
    Noise noise(221);
    OnePole low, low2;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float swell = std::sin(3.14159f * k) * (0.8f + 0.2f * Sine(t * 7.0));
        out[i] += swell * low2.Lowpass(low.Lowpass(noise.Next(), 900.0f, Rate), 900.0f, Rate) * 2.0f;
    }
}

void AcidSpit(std::vector<float>& out)
{
    NoiseBurst(out, 231, 0.7f, 0.005f, 0.12f, 7000.0f, 3000.0f, 2000.0f);
    Glide(out, 500.0f, 200.0f, 0.4f, 0.003f, 0.06f, [](double p) { return Triangle(p); });
}
// The shots of the projectile weapons: a rocket's whoosh, a mortar's thump, plasma and pulse
// bolts.
void MissileLaunch(std::vector<float>& out)
{
    Noise noise(241);
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float cut = 600.0f + 4000.0f * (1.0f - k);
        out[i] += 0.8f * AttackDecay(t, 0.02f, 0.2f) * low.Lowpass(noise.Next(), cut, Rate);
    }
    Glide(out, 300.0f, 900.0f, 0.25f, 0.01f, 0.15f, [](double p) { return Saw(p); });
}

void MortarThump(std::vector<float>& out)
{
    Glide(out, 120.0f, 45.0f, 0.9f, 0.002f, 0.12f, [](double p) { return Sine(p); });
    NoiseBurst(out, 251, 0.5f, 0.001f, 0.05f, 2500.0f, 400.0f);
}

void PlasmaShot(std::vector<float>& out)
{
    Glide(out, 900.0f, 180.0f, 0.5f, 0.003f, 0.12f, [](double p) { return Saw(p); });
    Glide(out, 1800.0f, 360.0f, 0.25f, 0.003f, 0.1f, [](double p) { return Sine(p); });
    NoiseBurst(out, 261, 0.2f, 0.002f, 0.08f, 5000.0f, 1200.0f);
}

void PulseShot(std::vector<float>& out)
{
    for (int pulse = 0; pulse < 3; ++pulse)
        MixAt(out, 0.045f * pulse, 0.05f, [](std::vector<float>& part) {
            Glide(part, 1400.0f, 700.0f, 0.5f, 0.001f, 0.02f, [](double p) { return Square(p, 0.3f); });
        });
}

// Answers to a click: a bot chirps, a building hums awake, a creature growls.
void BotSelect(std::vector<float>& out)
{
    Notes(out, {{880.0f, 0.0f, 0.04f}, {1318.5f, 0.05f, 0.06f}}, 0.35f, [](double p) { return Square(p, 0.25f); });
}

void BuildingSelect(std::vector<float>& out)
{
    Glide(out, 110.0f, 140.0f, 0.5f, 0.02f, 0.15f, [](double p) { return Saw(p); });
    Notes(out, {{660.0f, 0.05f, 0.08f}}, 0.2f, [](double p) { return Sine(p); });
}

void CreatureGrowl(std::vector<float>& out)
{
    double phase = 0.0;
    Noise noise(271);
    OnePole low;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = Time(i), k = t / (out.size() / (float)Rate);
        float hz = 90.0f + 30.0f * std::sin(3.14159f * k) + 8.0f * Sine(t * 31.0);
        float env = std::sin(3.14159f * k);
        out[i] += 0.6f * env * (0.7f * Saw(phase) + 0.3f * low.Lowpass(noise.Next(), 700.0f, Rate));
        phase += hz / Rate;
    }
}

// The narrator of the intro: a low voice speaking in syllables, made by adding up the
// harmonics of a gliding pitch, each weighted by how near it lies to the two formants of the
// syllable's vowel. Pauses fall between phrases, the pitch sinks toward the end of each one;
// no words are said, only the sound of a voice telling something.
void Narrate(std::vector<float>& out, uint32_t seed)
{
    static const float Vowels[][2] = {{730, 1090}, {530, 1840}, {270, 2290}, {570, 840}, {300, 870}, {640, 1190}};
    Noise voice(seed);
    auto unit = [&voice] { return 0.5f + 0.5f * voice.Next(); };
    const float total = out.size() / (float)Rate;
    double phase = 0.0;
    float t0 = 0.25f;
    while (t0 < total - 0.6f) {
        // A phrase of 5 to 11 syllables, then a breath.
        const int syllables = 5 + (int)(unit() * 7.0f);
        const float startPitch = 118.0f + 14.0f * unit();
        for (int k = 0; k < syllables && t0 < total - 0.4f; ++k) {
            const float length = 0.13f + 0.12f * unit();
            const float* vowel = Vowels[(int)(unit() * 5.99f)];
            const float pitch = startPitch * (1.0f - 0.18f * k / syllables) * (k == 0 ? 1.06f : 1.0f);
            const size_t begin = (size_t)(t0 * Rate), end = std::min(out.size(), (size_t)((t0 + length) * Rate));
            for (size_t i = begin; i < end; ++i) {
                const float t = (float)(i - begin) / Rate;
                const float env = std::sin(3.14159f * t / length);
                const float hz = pitch * (1.0f + 0.02f * Sine(t * 5.5));
                float sample = 0.0f;
                for (int h = 1; h <= 28; ++h) {
                    const float f = hz * h;
                    const float w1 = std::exp(-std::pow((f - vowel[0]) / 110.0f, 2.0f));
                    const float w2 = 0.6f * std::exp(-std::pow((f - vowel[1]) / 160.0f, 2.0f));
                    sample += (w1 + w2 + 0.04f / h) * Sine(phase * h);
                }
                out[i] += 0.5f * env * sample;
                phase += hz / Rate;
            }
            t0 += length + 0.02f;
        }
        t0 += 0.35f + 0.3f * unit();
    }
}

void Intro1(std::vector<float>& out) { Narrate(out, 101); }
void Intro2(std::vector<float>& out) { Narrate(out, 202); }
void Intro3(std::vector<float>& out) { Narrate(out, 303); }
void Intro4a(std::vector<float>& out) { Narrate(out, 404); }
void Intro4b(std::vector<float>& out) { Narrate(out, 405); }
void Intro5(std::vector<float>& out) { Narrate(out, 505); }

const Effect Effects[] = {
    {"blip", 0.09f, Blip},
    {"click", 0.03f, Click},
    {"select", 0.16f, Select},
    {"bad", 0.35f, Bad},
    {"credits", 0.45f, Credits},
    {"countdown", 0.3f, Countdown},
    {"alert", 0.75f, Alert},
    {"levelup", 1.1f, LevelUp},
    {"explo", 1.4f, Explosion},
    {"firehit", 0.3f, FireHit},
    {"meleehit", 0.22f, MeleeHit},
    {"meleehit_bio", 0.3f, MeleeHitBio},
    {"pickaxe_1", 0.35f, Pickaxe1},
    {"pickaxe_2", 0.35f, Pickaxe2},
    {"pickaxe_3", 0.35f, Pickaxe3},
    {"message", 0.4f, Message},
    {"dropitem", 0.2f, DropItem},
    {"item_gem", 0.35f, ItemGem},
    {"recycle", 0.7f, Recycle},
    {"cloak_in", 0.6f, CloakIn},
    {"cloak_out", 0.6f, CloakOut},
    {"pickup", 0.25f, Pickup},
    {"open", 0.4f, Open},
    {"itemdrop", 0.3f, ItemDrop},
    {"fuel", 0.35f, Fuel},
    {"journal", 0.3f, Journal},
    {"item_break_wood", 0.4f, ItemBreakWood},
    {"heal", 0.6f, Heal},
    {"recharge", 0.6f, Recharge},
    {"laymine", 0.35f, LayMine},
    {"scan", 1.0f, Scan},
    {"warp", 1.0f, Warp},
    {"buildbeam", 1.0f, BuildBeam},
    {"spinner", 0.5f, Spinner},
    {"enrich", 0.6f, Enrich},
    {"objective", 0.5f, Objective},
    {"objective_all", 1.2f, ObjectiveAll},
    {"beastdead", 0.8f, BeastDead},
    {"mechdead", 0.9f, MechDead},
    {"deadscav", 0.6f, DeadScav},
    {"breakrocks", 0.6f, BreakRocks},
    {"machinegun", 0.25f, MachineGun},
    {"attack", 0.2f, Attack},
    {"laserburn", 0.3f, LaserBurn},
    {"lightning", 0.5f, Lightning},
    {"flame", 0.6f, Flame},
    {"acidspit", 0.35f, AcidSpit},
    {"missile", 0.45f, MissileLaunch},
    {"mortar", 0.4f, MortarThump},
    {"plasma", 0.35f, PlasmaShot},
    {"pulse", 0.2f, PulseShot},
    {"bot_select", 0.15f, BotSelect},
    {"building_select", 0.3f, BuildingSelect},
    {"creature_growl", 0.6f, CreatureGrowl},
    {"intro_1", 7.0f, Intro1},
    {"intro_2", 8.0f, Intro2},
    {"intro_3", 8.0f, Intro3},
    {"intro_4a", 6.0f, Intro4a},
    {"intro_4b", 6.0f, Intro4b},
    {"intro_5", 8.0f, Intro5},
};

void Put16(std::vector<unsigned char>& out, unsigned value)
{
    out.push_back((unsigned char)(value & 0xFF));
    out.push_back((unsigned char)((value >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>& out, unsigned value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Peak-normalised to 80 %, with 5 ms fades at both ends so no effect starts or stops with a click.
std::vector<unsigned char> WaveBytes(std::vector<float> samples)
{
    float peak = 1e-6f;
    for (float s : samples) peak = std::fmax(peak, std::fabs(s));
    const size_t fade = Rate / 200;
    for (size_t i = 0; i < samples.size(); ++i) {
        float edge = 1.0f;
        if (i < fade) edge = (float)i / fade;
        if (samples.size() - 1 - i < fade) edge = std::fmin(edge, (float)(samples.size() - 1 - i) / fade);
        samples[i] *= 0.8f / peak * edge;
    }
    std::vector<unsigned char> out;
    unsigned dataBytes = (unsigned)samples.size() * 2;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);         // PCM
    Put16(out, 1);         // mono
    Put32(out, Rate);
    Put32(out, Rate * 2);  // bytes per second
    Put16(out, 2);         // bytes per frame
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (float s : samples) {
        long value = std::lround(s * 32767.0f);
        if (value > 32767) value = 32767;
        if (value < -32768) value = -32768;
        Put16(out, (unsigned)(value & 0xFFFF));
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || (argv[1][0] == '-' && strcmp(argv[1], "--list") != 0)) {
        fprintf(stderr, "usage: sfxgen <output folder> | sfxgen --list\n");
        return 2;
    }
    bool list = strcmp(argv[1], "--list") == 0;
    for (const Effect& effect : Effects) {
        if (list) {
            printf("%s.wav\n", effect.name);
            continue;
        }
        std::vector<float> samples((size_t)(effect.seconds * Rate), 0.0f);
        effect.render(samples);
        std::vector<unsigned char> bytes = WaveBytes(samples);
        std::string path = std::string(argv[1]) + "/" + effect.name + ".wav";
        FILE* file = fopen(path.c_str(), "wb");
        if (!file || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || fclose(file) != 0) {
            fprintf(stderr, "sfxgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
