#pragma once
// Wave files and a sound package made on the spot for the sound tests.
#include "content/pkbtool/PackageWriter.h"
#include "platform/PackageFile.h"
#include "platform/WaveFile.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

inline void PutLE(std::vector<unsigned char>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back((unsigned char)(value >> (8 * i)));
}

// A RIFF WAVE file around `data` (already in the format's layout).
inline std::vector<unsigned char> MakeWave(int channels, int bits, int rate, const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> out = {'R', 'I', 'F', 'F'};
    PutLE(out, 36 + (uint32_t)data.size(), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);
    PutLE(out, channels, 2);
    PutLE(out, rate, 4);
    PutLE(out, rate * channels * bits / 8, 4);
    PutLE(out, channels * bits / 8, 2);
    PutLE(out, bits, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLE(out, (uint32_t)data.size(), 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A mono 16-bit tone of `frames` frames at half amplitude.
inline std::vector<unsigned char> ToneWave(int frames, float hz = 440.0f, int rate = 22050)
{
    std::vector<unsigned char> data;
    for (int i = 0; i < frames; ++i) {
        int16_t s = (int16_t)(16000 * sinf(6.2831853f * hz * i / rate));
        PutLE(data, (uint16_t)s, 2);
    }
    return MakeWave(1, 16, rate, data);
}

// Writes the entries to a package in a fresh folder and makes it the sound package.
inline PackageFile* InstallSoundPackage(const std::string& folder, const std::vector<PackageEntry>& entries)
{
    std::string path = folder + "/sound.pkb";
    if (!WritePackage(path, entries)) return nullptr;
    if (SoundPackage) {
        SoundPackage->Close();
        delete SoundPackage;
    }
    SoundPackage = new PackageFile();
    SoundPackage->Open(path.c_str(), false);
    return SoundPackage;
}
