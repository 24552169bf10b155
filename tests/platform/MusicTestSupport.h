#pragma once
// Short Ogg Vorbis tracks made on the spot for the music tests, and their decoded samples.
#include "host/AudioOgg.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

constexpr int MusicTestRate = 44100;

// A stereo track of `frames` frames: a different tone on each side, so that any sample
// out of place shows.
inline bool WriteTestTrack(const std::string& path, int frames, float hz = 330.0f)
{
    std::vector<float> samples(2 * (size_t)frames);
    for (int i = 0; i < frames; ++i) {
        samples[2 * i] = 0.4f * sinf(6.2831853f * hz * i / MusicTestRate);
        samples[2 * i + 1] = 0.3f * sinf(6.2831853f * hz * 1.5f * i / MusicTestRate);
    }
    AudioOggEncoder encoder;
    if (!encoder.Open(path.c_str(), 2, MusicTestRate, 0.4f, 99)) return false;
    bool ok = encoder.Write(samples.data(), frames);
    return encoder.Close() && ok;
}

// Every sample of a track, interleaved.
inline std::vector<int16_t> DecodeTrack(const std::string& path)
{
    AudioOggDecoder decoder;
    std::vector<int16_t> all;
    if (!decoder.Open(path.c_str())) return all;
    int16_t block[4096];
    for (;;) {
        long read = decoder.Read(block, sizeof block);
        if (read == 0) break;
        if (read > 0) all.insert(all.end(), block, block + read / 2);
    }
    return all;
}
