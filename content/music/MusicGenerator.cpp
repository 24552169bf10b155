// musicgen <output folder>: composes the game's music tracks, each from its style (tempo, key,
// chord progression, which instruments play), and writes them as Ogg Vorbis ("<track>.ogg").
// musicgen --list: the files that run makes, one a line. Every
// track is one seamless loop: notes and echoes that run past the end carry on at the start,
// so a player looping the file hears no seam. The same program always writes the same bytes.
#include "content/sfx/Synth.h"
#include "host/AudioOgg.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

using namespace synth;

namespace {

constexpr int Rate = 44100;
constexpr int StreamSerial = 0x56454C44;

enum ChordKind { Major, Minor, Major7, Minor7, Sus2 };

struct Chord {
    int root;  // semitones above the key
    ChordKind kind;
};

enum BassStyle { BassHeld, BassPulse, BassWalk };
enum DrumStyle { DrumsNone, DrumsTimpani, DrumsSoft, DrumsDriving };

struct Style {
    const char* name;
    float bpm;
    int bars;                  // of four beats; the progression repeats to fill them
    int beatsPerChord;
    int key;                   // MIDI note of the key's root in the bass octave
    std::vector<Chord> chords;
    float padLevel, padCutoff;
    float arpLevel;
    int arpStepsPerBeat;       // 0: no arpeggio
    int arpOctave;             // above the key
    float arpDecay;
    float bassLevel;
    BassStyle bass;
    DrumStyle drums;
    float bellLevel;           // a slow melody of bell notes; 0 for none
    unsigned seed;
};

const Style Styles[] = {
    // Bright and stately under the maker's logo: slow major chords, bells.
    {"logo_music", 76, 8, 8, 48, {{0, Major7}, {7, Major}, {9, Minor7}, {5, Major7}},
     0.9f, 1400, 0.18f, 2, 24, 0.5f, 0.5f, BassHeld, DrumsNone, 0.35f, 1},
    // The mission screen: a calm minor arpeggio that can run for as long as the player reads.
    {"mission_screen", 92, 12, 8, 45, {{0, Minor7}, {8, Major7}, {3, Major}, {10, Sus2}, {0, Minor}, {5, Minor7}},
     0.7f, 1100, 0.32f, 4, 24, 0.22f, 0.55f, BassHeld, DrumsNone, 0.0f, 2},
    // Story scenes: dark and broad, with slow timpani.
    {"cinematic_music", 64, 8, 8, 38, {{0, Minor}, {8, Major}, {3, Major}, {10, Major}},
     1.0f, 900, 0.14f, 2, 24, 0.6f, 0.7f, BassHeld, DrumsTimpani, 0.2f, 3},
    // The trailer: driving minor rock pulse.
    {"trailer_music", 128, 16, 8, 40, {{0, Minor}, {8, Major}, {3, Major}, {10, Major}},
     0.55f, 2200, 0.3f, 4, 24, 0.14f, 0.75f, BassPulse, DrumsDriving, 0.0f, 4},
    // In the field: steady and hopeful.
    {"ingame_track1", 100, 16, 8, 43, {{0, Major}, {9, Minor7}, {5, Major7}, {7, Sus2}},
     0.6f, 1500, 0.28f, 2, 24, 0.35f, 0.65f, BassWalk, DrumsSoft, 0.0f, 5},
    // In the field: tense, a pulsing bass under a restless arpeggio.
    {"ingame_track2", 112, 16, 8, 42, {{0, Minor}, {10, Major}, {8, Major}, {10, Sus2}},
     0.5f, 1300, 0.3f, 4, 12, 0.16f, 0.7f, BassPulse, DrumsSoft, 0.0f, 6},
    // In the field: mellow and warm.
    {"ingame_track3", 84, 8, 8, 39, {{0, Major7}, {9, Minor7}, {5, Major7}, {7, Major}},
     0.8f, 1200, 0.22f, 2, 24, 0.45f, 0.6f, BassHeld, DrumsSoft, 0.25f, 7},
};

std::vector<int> ChordTones(const Chord& chord)
{
    switch (chord.kind) {
    case Major: return {0, 4, 7};
    case Minor: return {0, 3, 7};
    case Major7: return {0, 4, 7, 11};
    case Minor7: return {0, 3, 7, 10};
    case Sus2: return {0, 2, 7};
    }
    return {0, 4, 7};
}

// Equal-power gains of a place between left (-1) and right (1).
struct Pan {
    float left, right;
    explicit Pan(float pan) : left(std::sqrt(0.5f * (1.0f - pan))), right(std::sqrt(0.5f * (1.0f + pan))) {}
};

// A stereo loop that notes are mixed into; sample indices wrap around its length.
struct Loop {
    size_t frames;
    std::vector<float> left, right;
    explicit Loop(size_t n) : frames(n), left(n, 0.0f), right(n, 0.0f) {}
    void Add(size_t at, float sample, const Pan& pan)
    {
        size_t i = at < frames ? at : at % frames;
        left[i] += sample * pan.left;
        right[i] += sample * pan.right;
    }
};

// A slightly detuned saw chorus, the pad's voice; the pad bus is low-passed as a whole.
void PadNote(Loop& out, size_t start, float length, float hz, float level, float pan)
{
    const float detune[3] = {-0.006f, 0.0f, 0.0065f};
    const float spread[3] = {-0.6f, 0.0f, 0.6f};
    const float attack = 0.6f, release = 1.2f;
    size_t count = (size_t)((length + release) * Rate);
    for (int v = 0; v < 3; ++v) {
        const Pan place(std::fmax(-1.0f, std::fmin(1.0f, pan + spread[v])));
        double phase = 0.17 * v;
        double step = hz * (1.0 + detune[v]) / Rate;
        for (size_t i = 0; i < count; ++i) {
            float t = (float)i / Rate;
            float s = 0.7f * Saw(phase) + 0.3f * Triangle(phase * 0.5);
            out.Add(start + i, level * 0.33f * AttackRelease(t, length, attack, release) * s, place);
            phase += step;
        }
    }
}

// Two poles of low-pass over a whole bus, run round the loop twice so the start is filtered
// with the end's history.
void LowpassLoop(Loop& bus, float cutoff)
{
    for (std::vector<float>* channel : {&bus.left, &bus.right}) {
        OnePole a, b;
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < bus.frames; ++i) {
                float y = b.Lowpass(a.Lowpass((*channel)[i], cutoff, Rate), cutoff, Rate);
                if (pass == 1) (*channel)[i] = y;
            }
    }
}

void PluckNote(Loop& out, size_t start, float hz, float level, float decay, float pan, float brightness)
{
    size_t count = (size_t)(decay * 6.0f * Rate);
    const Pan place(pan);
    float filtered = 0.0f;
    double phase = 0.0, step = (double)hz / Rate;
    for (size_t i = 0; i < count; ++i) {
        float t = (float)i / Rate;
        float env = AttackDecay(t, 0.003f, decay);
        float s = 0.6f * Triangle(phase) + 0.4f * Square(phase, 0.3f);
        // The tone darkens as it dies away; the cutoff moves every sample, so its one-pole
        // coefficient is the cheap w / (1 + w) form.
        float w = TwoPi * brightness * (0.3f + env) / Rate;
        filtered += w / (1.0f + w) * (s - filtered);
        s = filtered;
        out.Add(start + i, level * env * s, place);
        phase += step;
    }
}

void BellNote(Loop& out, size_t start, float hz, float level, float pan)
{
    size_t count = (size_t)(3.0f * Rate);
    const Pan place(pan);
    for (size_t i = 0; i < count; ++i) {
        float t = (float)i / Rate;
        // A sine whose phase is bent by an inharmonic partner gives a bell's shimmer.
        float modulator = 1.8f * AttackDecay(t, 0.001f, 0.5f) * Sine(hz * 3.5 * t);
        float s = (float)std::sin(TwoPi * hz * t + modulator);
        out.Add(start + i, level * AttackDecay(t, 0.002f, 0.9f) * s, place);
    }
}

void BassNote(Loop& out, size_t start, float length, float hz, float level)
{
    size_t count = (size_t)((length + 0.08f) * Rate);
    const Pan place(0.0f);
    OnePole filter;
    double phase = 0.0, step = (double)hz / Rate;
    for (size_t i = 0; i < count; ++i) {
        float t = (float)i / Rate;
        float env = AttackRelease(t, length, 0.01f, 0.08f);
        float s = 0.75f * Sine(phase) + 0.25f * filter.Lowpass(Saw(phase), 500.0f, Rate);
        out.Add(start + i, level * env * s, place);
        phase += step;
    }
}

void Kick(Loop& out, size_t start, float level)
{
    size_t count = (size_t)(0.35f * Rate);
    const Pan place(0.0f);
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        float t = (float)i / Rate;
        float hz = 45.0f + 80.0f * std::exp(-t / 0.035f);
        out.Add(start + i, level * AttackDecay(t, 0.001f, 0.13f) * Sine(phase), place);
        phase += hz / Rate;
    }
}

void NoiseHit(Loop& out, size_t start, float level, float decay, float lowCut, float highCut, float pan, Noise& noise)
{
    size_t count = (size_t)(decay * 6.0f * Rate);
    const Pan place(pan);
    OnePole low, high;
    for (size_t i = 0; i < count; ++i) {
        float t = (float)i / Rate;
        float s = high.Highpass(low.Lowpass(noise.Next(), highCut, Rate), lowCut, Rate);
        out.Add(start + i, level * AttackDecay(t, 0.001f, decay) * s, place);
    }
}

void Snare(Loop& out, size_t start, float level, Noise& noise)
{
    NoiseHit(out, start, level, 0.07f, 900.0f, 7000.0f, 0.05f, noise);
    size_t count = (size_t)(0.15f * Rate);
    const Pan place(0.0f);
    for (size_t i = 0; i < count; ++i) {
        float t = (float)i / Rate;
        out.Add(start + i, 0.5f * level * AttackDecay(t, 0.001f, 0.04f) * Sine(185.0 * t), place);
    }
}

void Timpani(Loop& out, size_t start, float hz, float level, Noise& noise)
{
    size_t count = (size_t)(2.0f * Rate);
    const Pan place(-0.1f);
    for (size_t i = 0; i < count; ++i) {
        float t = (float)i / Rate;
        float s = Sine(hz * t) + 0.4f * Sine(hz * 1.5 * t) * std::exp(-t / 0.15f);
        out.Add(start + i, level * AttackDecay(t, 0.004f, 0.6f) * s, place);
    }
    NoiseHit(out, start, level * 0.4f, 0.03f, 80.0f, 900.0f, -0.1f, noise);
}

// A feedback echo that bounces between the sides, run round the loop until it has settled
// so that the echoes of the last notes land at the start.
void PingPong(Loop& bus, float beatSeconds, float feedback, float mix)
{
    size_t delay = (size_t)(beatSeconds * 0.75f * Rate);
    std::vector<float> left(delay, 0.0f), right(delay, 0.0f);
    Loop wet(bus.frames);
    size_t at = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < bus.frames; ++i) {
            float l = left[at], r = right[at];
            float input = 0.5f * (bus.left[i] + bus.right[i]);
            left[at] = input + r * feedback;
            right[at] = l * feedback;
            if (++at == delay) at = 0;
            if (pass == 1) {
                wet.left[i] = l;
                wet.right[i] = r;
            }
        }
    for (size_t i = 0; i < bus.frames; ++i) {
        bus.left[i] += mix * wet.left[i];
        bus.right[i] += mix * wet.right[i];
    }
}

// A small room: parallel feedback combs into all-passes, one set per side, also run round
// the loop until settled.
void Room(Loop& bus, float mix)
{
    const size_t combs[2][4] = {{1557, 1617, 1491, 1422}, {1580, 1640, 1514, 1445}};
    const size_t passes[2][2] = {{225, 556}, {248, 579}};
    for (int side = 0; side < 2; ++side) {
        std::vector<float>& channel = side == 0 ? bus.left : bus.right;
        std::vector<std::vector<float>> comb(4), all(2);
        std::vector<size_t> combAt(4, 0), allAt(2, 0);
        std::vector<float> combLow(4, 0.0f);
        for (int c = 0; c < 4; ++c) comb[c].assign(combs[side][c], 0.0f);
        for (int a = 0; a < 2; ++a) all[a].assign(passes[side][a], 0.0f);
        std::vector<float> wet(bus.frames, 0.0f);
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < bus.frames; ++i) {
                float input = 0.015f * (bus.left[i] + bus.right[i]);
                float sum = 0.0f;
                for (int c = 0; c < 4; ++c) {
                    float y = comb[c][combAt[c]];
                    combLow[c] = y * 0.7f + combLow[c] * 0.3f;
                    comb[c][combAt[c]] = input + combLow[c] * 0.82f;
                    if (++combAt[c] == comb[c].size()) combAt[c] = 0;
                    sum += y;
                }
                for (int a = 0; a < 2; ++a) {
                    float buffered = all[a][allAt[a]];
                    float y = -sum + buffered;
                    all[a][allAt[a]] = sum + buffered * 0.5f;
                    if (++allAt[a] == all[a].size()) allAt[a] = 0;
                    sum = y;
                }
                if (pass == 1) wet[i] = sum;
            }
        for (size_t i = 0; i < bus.frames; ++i) channel[i] += mix * wet[i];
    }
}

bool Compose(const Style& style, const char* path)
{
    const size_t beat = (size_t)std::lround(Rate * 60.0 / style.bpm);
    const float beatSeconds = (float)beat / Rate;
    const int beats = style.bars * 4;
    Loop pads(beat * beats), plucks(beat * beats), dry(beat * beats);
    Noise noise(style.seed * 7919u + 13u);
    uint32_t melody = style.seed * 2654435761u + 1u;

    const int chordCount = beats / style.beatsPerChord;
    for (int c = 0; c < chordCount; ++c) {
        const Chord& chord = style.chords[c % style.chords.size()];
        std::vector<int> tones = ChordTones(chord);
        const size_t start = (size_t)c * style.beatsPerChord * beat;
        const float length = style.beatsPerChord * beatSeconds;
        const int root = style.key + chord.root;

        for (size_t t = 0; t < tones.size(); ++t)
            PadNote(pads, start, length, NoteHz((float)(root + 24 + tones[t])), style.padLevel / tones.size(),
                    t % 2 ? 0.35f : -0.35f);

        for (int b = 0; b < style.beatsPerChord; ++b) {
            const size_t at = start + b * beat;
            switch (style.bass) {
            case BassHeld:
                if (b % 4 == 0) BassNote(dry, at, 4 * beatSeconds * 0.95f, NoteHz((float)root), style.bassLevel);
                break;
            case BassPulse:
                for (int e = 0; e < 2; ++e)
                    BassNote(dry, at + e * beat / 2, beatSeconds * 0.4f, NoteHz((float)(root + (b % 4 == 3 && e ? 12 : 0))),
                             style.bassLevel * (e ? 0.75f : 1.0f));
                break;
            case BassWalk: {
                const int walk[4] = {0, 7, 12, 7};
                BassNote(dry, at, beatSeconds * 0.85f, NoteHz((float)(root + walk[b % 4])), style.bassLevel);
                break;
            }
            }
        }

        if (style.arpStepsPerBeat > 0) {
            const int steps = style.beatsPerChord * style.arpStepsPerBeat;
            const size_t stepFrames = beat / style.arpStepsPerBeat;
            for (int s = 0; s < steps; ++s) {
                // Up through two octaves of the chord and back down.
                const int span = (int)tones.size() * 2;
                int position = s % (2 * span - 2);
                if (position >= span) position = 2 * span - 2 - position;
                int note = root + style.arpOctave + tones[position % tones.size()] + 12 * (position / (int)tones.size());
                float accent = s % style.arpStepsPerBeat == 0 ? 1.0f : 0.75f;
                PluckNote(plucks, start + s * stepFrames, NoteHz((float)note), style.arpLevel * accent, style.arpDecay,
                          s % 2 ? 0.3f : -0.3f, 2500.0f);
            }
        }

        if (style.bellLevel > 0.0f) {
            for (int b = 0; b < style.beatsPerChord; b += 2) {
                melody = melody * 1664525u + 1013904223u;
                if ((melody >> 24) % 3 == 0) continue;
                int tone = tones[(melody >> 16) % tones.size()];
                BellNote(plucks, start + b * beat, NoteHz((float)(root + 36 + tone)), style.bellLevel, 0.2f);
            }
        }
    }

    for (int b = 0; b < beats; ++b) {
        const size_t at = (size_t)b * beat;
        switch (style.drums) {
        case DrumsNone:
            break;
        case DrumsTimpani:
            if (b % 8 == 0) Timpani(dry, at, NoteHz((float)style.key), 0.7f, noise);
            if (b % 8 == 7) Timpani(dry, at + beat / 2, NoteHz((float)style.key + 7), 0.35f, noise);
            break;
        case DrumsSoft:
            if (b % 4 == 0) Kick(dry, at, 0.55f);
            if (b % 4 == 2) Kick(dry, at, 0.35f);
            if (b % 2 == 1) NoiseHit(dry, at, 0.18f, 0.09f, 700.0f, 5000.0f, 0.1f, noise);
            for (int e = 0; e < 2; ++e) NoiseHit(dry, at + e * beat / 2, e ? 0.05f : 0.08f, 0.02f, 6000.0f, 12000.0f, 0.3f, noise);
            break;
        case DrumsDriving:
            Kick(dry, at, 0.8f);
            if (b % 2 == 1) Snare(dry, at, 0.45f, noise);
            for (int e = 0; e < 4; ++e)
                NoiseHit(dry, at + e * beat / 4, e % 2 ? 0.05f : 0.09f, 0.018f, 7000.0f, 14000.0f, -0.3f, noise);
            break;
        }
    }

    LowpassLoop(pads, style.padCutoff);
    PingPong(plucks, beatSeconds, 0.35f, 0.45f);
    Loop mix(beat * beats);
    for (size_t i = 0; i < mix.frames; ++i) {
        mix.left[i] = pads.left[i] + plucks.left[i] + dry.left[i];
        mix.right[i] = pads.right[i] + plucks.right[i] + dry.right[i];
    }
    Room(mix, 0.35f);

    // Gentle saturation, then one gain for the whole track so every track peaks alike.
    float peak = 1e-6f;
    for (size_t i = 0; i < mix.frames; ++i) {
        mix.left[i] = std::tanh(mix.left[i]);
        mix.right[i] = std::tanh(mix.right[i]);
        peak = std::fmax(peak, std::fmax(std::fabs(mix.left[i]), std::fabs(mix.right[i])));
    }
    std::vector<float> interleaved(mix.frames * 2);
    for (size_t i = 0; i < mix.frames; ++i) {
        interleaved[2 * i] = mix.left[i] * 0.85f / peak;
        interleaved[2 * i + 1] = mix.right[i] * 0.85f / peak;
    }

    AudioOggEncoder encoder;
    if (!encoder.Open(path, 2, Rate, 0.2f, StreamSerial + (int)style.seed)) return false;
    bool ok = encoder.Write(interleaved.data(), (int)mix.frames);
    return encoder.Close() && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || (argv[1][0] == '-' && strcmp(argv[1], "--list") != 0)) {
        fprintf(stderr, "usage: musicgen <output folder> | musicgen --list\n");
        return 2;
    }
    if (strcmp(argv[1], "--list") == 0) {
        for (const Style& style : Styles) printf("%s.ogg\n", style.name);
        return 0;
    }
    // Tracks are independent: compose them side by side.
    const size_t count = sizeof Styles / sizeof Styles[0];
    std::vector<char> written(count, 0);
    std::atomic<size_t> next{0};
    auto work = [&]() {
        for (size_t i = next++; i < count; i = next++)
            written[i] = Compose(Styles[i], (std::string(argv[1]) + "/" + Styles[i].name + ".ogg").c_str());
    };
    unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; t++) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    bool ok = true;
    for (size_t i = 0; i < count; ++i) {
        if (written[i]) continue;
        fprintf(stderr, "musicgen: cannot write %s/%s.ogg\n", argv[1], Styles[i].name);
        ok = false;
    }
    return ok ? 0 : 1;
}
