#pragma once
// The sound-effect device and its sounds. A CSound is one wave loaded into a buffer plus up to
// seven duplicate voices of it, so that a sound can overlap itself; plays take the voices in
// turn. Nothing here knows sound names, user volumes or positions (the sound manager does),
// and nothing here logs: results are returned and the callers report them in their words.
#include <cstdint>

class AudioDevice;
class AudioBuffer;
class WaveFile;

// Results of the sound layer: 0 or more is success.
enum SoundResult {
    SOUND_OK = 0,
    SOUND_FAIL = -1,
    SOUND_INVALID_ARG = -2,
    SOUND_NOT_INITIALIZED = -3,
    SOUND_OUT_OF_MEMORY = -4,
};

// Creation flags: which controls a sound's voices take.
constexpr unsigned SOUND_CTRL_FREQUENCY = 0x20;
constexpr unsigned SOUND_CTRL_PAN = 0x40;
constexpr unsigned SOUND_CTRL_VOLUME = 0x80;

// Play flags.
constexpr unsigned SOUND_PLAY_LOOPING = 1;

constexpr int SOUND_MAX_BUFFERS = 8;

class CSound {
public:
    // Takes ownership of the voices and the wave and fills every voice with the wave's data.
    CSound(AudioBuffer** buffers, uint32_t bufferSize, int bufferCount, WaveFile* wave, unsigned flags);
    virtual ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    // Plays the next voice in turn (restarting it when it was still playing); `bufferIndex`
    // gets the voice used, or -1. Volume and pan in hundredths of a decibel and pan units;
    // a frequency of -1 leaves the voice's rate alone.
    int Play(unsigned playFlags, int volume, int frequency, int pan, int* bufferIndex);
    // Index -1 means every voice.
    int Stop(int index);
    int Reset(int index);
    bool IsSoundPlaying(int index);
    int SetVolume(int volume, int index);

    // Writes the wave's data into a voice; what is left over is silence, or, with
    // `repeatWhenShort`, the data again from the start.
    int FillBufferWithSound(AudioBuffer* buffer, bool repeatWhenShort);

    int GetBufferCount() const { return bufferCount_; }
    AudioBuffer* GetBuffer(int index) const;
    // How many plays a voice has started (wrapping), so that a play's owner can tell its play
    // from a later one that took the voice over.
    unsigned VoicePlays(int index) const;

private:
    AudioBuffer** buffers_;
    uint32_t bufferSize_;
    WaveFile* wave_;
    int bufferCount_;
    unsigned flags_;
    int nextBuffer_ = 0;
    unsigned plays_[SOUND_MAX_BUFFERS] = {};
};

class SoundDevice {
public:
    SoundDevice() = default;
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Opens the default output device, or adopts `device` (tests hand in a loopback device).
    int Initialize(AudioDevice* device = nullptr);
    // The mixer picks its own output format; the request is checked and remembered only.
    int SetPrimaryBufferFormat(int channels, int frequency, int bits);
    // Loads a wave from the sound package into a new sound with `bufferCount` voices.
    int CreateSound(CSound** sound, const char* path, unsigned flags, int bufferCount);
    // The same from a wave already open; takes the wave (deleted on failure too).
    int CreateSoundFromWave(CSound** sound, WaveFile* wave, unsigned flags, int bufferCount);

    AudioDevice* GetAudioDevice() const { return device_; }

private:
    AudioDevice* device_ = nullptr;
};
