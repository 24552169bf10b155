// sfxgen <output folder>: synthesises the game's sound effects and writes each as a mono
// 16-bit RIFF WAVE file named after the sound ("blip.wav", ...). The same program always
// writes the same bytes.
// sfxgen --list: the files that run makes, one a line.
#include "content/sfx/Synth.h"

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
