#pragma once
// The sound card as the game sees it: one output device, static sound buffers that can be
// duplicated into extra voices sharing the same samples, and one kind of streaming voice that
// plays blocks queued behind each other (the music). Volumes are attenuations in hundredths of
// a decibel (0 full, -10000 silent) and pans run from -10000 (left only) to 10000 (right only),
// the units the sound code has always worked in.
//
// With no sound card the device does not open and the game goes on silent. Tests use a
// loopback device, which plays nothing by itself and hands out the mixed output on request.
//
// Objects made by a device must be deleted before the device. Every call may come from any
// thread; a device's buffers and streams are not otherwise locked (their users lock them).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

constexpr int AUDIO_VOLUME_MIN = -10000;
constexpr int AUDIO_VOLUME_MAX = 0;
constexpr int AUDIO_PAN_LEFT = -10000;
constexpr int AUDIO_PAN_RIGHT = 10000;

// Attenuation in hundredths of a decibel to a linear gain: 0 gives 1, -10000 and below give 0.
float AttenuationToGain(int volume);
// Where a mono voice sits, relative to the listener, to come out with the given pan: a point
// on the unit circle in front of the listener (x to the right, z towards the back).
void PanToSourcePosition(int pan, float position[3]);

// Interleaved signed 16-bit or unsigned 8-bit PCM, one or two channels.
struct AudioFormat {
    int channels = 0;
    int frequency = 0;
    int bitsPerSample = 0;

    int FrameBytes() const { return channels * bitsPerSample / 8; }
    bool IsPlayable() const;
    // The byte that stands for silence in this format.
    uint8_t SilenceByte() const { return bitsPerSample == 8 ? 128 : 0; }
};

class AudioBuffer;
class AudioStream;

class AudioDevice {
public:
    // The default output device; null when there is none (no card, no server).
    static AudioDevice* Open();
    // A device that mixes only when asked (RenderSamples), as stereo at the given rate.
    static AudioDevice* OpenLoopback(int frequency);
    ~AudioDevice();

    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    bool IsLoopback() const { return loopback_; }
    int Frequency() const { return frequency_; }
    // Loopback only: mixes the next frames of output as interleaved stereo floats.
    bool RenderSamples(float* out, int frames);

    // A static buffer of the given size filled with silence; null for a format or size the
    // device cannot play.
    AudioBuffer* CreateBuffer(const AudioFormat& format, size_t bytes);
    // A streaming voice for blocks of the given format; null when the format cannot play.
    AudioStream* CreateStream(const AudioFormat& format);

    // Makes this device the one the calling thread talks to.
    void MakeCurrent();
    // A thread that has played sound calls this before it ends.
    static void ReleaseThread();

private:
    AudioDevice() = default;
    static AudioDevice* Finish(void* device, bool loopback, int frequency);

    void* device_ = nullptr;
    void* context_ = nullptr;
    bool loopback_ = false;
    int frequency_ = 0;
};

struct AudioSamples;

// One voice of a static sound. Duplicates share the samples: writing them through one voice
// changes what every duplicate plays from its next start.
class AudioBuffer {
public:
    ~AudioBuffer();
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;

    // Another voice playing the same samples, stopped, at full volume, centred.
    AudioBuffer* Duplicate();

    const AudioFormat& Format() const;
    size_t Size() const;

    // The whole buffer, to be written; the voices hear it once Unlock is called.
    bool Lock(void** data, size_t* bytes);
    void Unlock();

    // Starts at the current position; a voice that is already playing starts over.
    bool Play(bool looping);
    // Halts where it is; the next Play goes on from there.
    void Stop();
    void SetCurrentPosition(size_t byte);
    bool IsPlaying();

    void SetVolume(int volume);
    // Mono voices only; a stereo voice plays its two channels as they are.
    void SetPan(int pan);
    void SetFrequency(int frequency);
    int GetVolume() const { return volume_; }
    int GetPan() const { return pan_; }

private:
    friend class AudioDevice;
    AudioBuffer(AudioDevice* device, std::shared_ptr<AudioSamples> samples);
    void Attach();

    AudioDevice* device_;
    std::shared_ptr<AudioSamples> samples_;
    std::shared_ptr<unsigned> attached_;  // the uploaded samples this voice last played
    unsigned source_ = 0;
    int volume_ = 0;
    int pan_ = 0;
};

// A voice that plays blocks of samples one after another. Each block that has been played is
// free to be refilled and queued again; a voice that runs out of queued blocks falls silent
// and goes on by itself once a new block is queued.
class AudioStream {
public:
    ~AudioStream();
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    const AudioFormat& Format() const { return format_; }

    // Queues a block behind the ones already queued (whole frames only; a block of no frames
    // is refused).
    bool Queue(const void* data, size_t bytes);
    // Blocks that have been played and are free to be refilled.
    int Processed();
    // Queued blocks that have not been played yet.
    int Pending();

    void Play();
    // Halts where it is; the next Play goes on from there.
    void Stop();
    // Between Play and Stop, also while it waits, run dry, for blocks.
    bool IsPlaying();
    void SetVolume(int volume);
    int GetVolume() const { return volume_; }

private:
    friend class AudioDevice;
    AudioStream(AudioDevice* device, const AudioFormat& format);
    void Reclaim();

    AudioDevice* device_;
    AudioFormat format_;
    unsigned source_ = 0;
    std::vector<unsigned> blocks_;      // every block this voice owns
    std::vector<unsigned> freeBlocks_;  // taken off the queue, ready for new samples
    bool playing_ = false;
    int volume_ = 0;
};
