#pragma once
// The sound manager: every sound effect of the game is played through it, by name. It loads
// named waves from the sound package (the "AddSound" lines of the sound scripts), plays them
// once or looping, at once or after a delay, optionally placed in the world (distance makes
// them quieter, direction pans them), refuses to restart one sound too often and applies the
// master effects volume. The game's per-frame update pumps it with Update.
//
// A play handle names one play: sound index x SOUND_HANDLE_FACTOR + the voice's play count
// (wrapping) x SOUND_MAX_BUFFERS + the voice that plays; -1 means nothing started. Plays take
// a sound's voices in turn, so a handle kept after its voice went to a later play names a play
// that is over: stopping through it stops nothing.
#include "platform/PooledList.h"
#include "platform/SoundDevice.h"

#include <climits>

struct Vec3;
class AudioDevice;

constexpr int MAX_SOUNDS = 63;
constexpr int MAX_DELAYED_SOUNDS = 100;
// Frames that must pass between two starts of one sound where no updates clear the guard.
constexpr int SOUND_REPEAT_FRAMES = 10;
// A sound not started since the guard was last cleared.
constexpr int SOUND_NEVER_STARTED = -(1 << 30);

// The repeat guard: a sound started fewer than SOUND_REPEAT_FRAMES frames ago is not started
// again. The frame count starts again at every level, so a start "in the future" (from before
// the count was reset) never holds a sound back, and neither does the first frames' count.
inline bool RepeatRefused(int frame, int lastStart)
{
    int since = frame - lastStart;
    return since >= 0 && since < SOUND_REPEAT_FRAMES;
}
constexpr int SOUND_HANDLE_FACTOR = 1 << 24;
static_assert(MAX_SOUNDS <= INT_MAX / SOUND_HANDLE_FACTOR, "every handle fits an int");

// A linear effect volume (0..1) as an attenuation in hundredths of a decibel: the top of the
// scale loses 30 dB on a log curve, and volume 0 is silence.
int EffectVolumeToAttenuation(float volume);

// Loudness (0..1) and pan (-10000 left .. 10000 right) of a sound at `source` heard from
// `listener` looking along `facing`: silent from 100 units on, centred when the direction is
// undefined (the source on the listener, or no facing).
void ComputePositionalVolume(const Vec3& source, const Vec3& listener, const Vec3& facing, float* volume, int* pan);

class SoundManager {
public:
    struct SoundEntry {
        CSound* sound;
        char name[128];
        int lastStartFrame;
        int starts;  // how many times it was started
    };
    struct DelayedSound {
        int index;
        float delay;  // seconds left
        SoundEntry* entry;
    };

    SoundManager();
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Opens the sound package and the output device (or adopts `device`, a test's loopback
    // device). A device that cannot open is reported and leaves the manager disabled: the game
    // goes on silent.
    bool Init(AudioDevice* device = nullptr);
    // Opens data/sound.pkb as the package the waves are read from.
    bool LoadPackage();

    // Loads a wave under a name with 1..8 voices (other counts give one). A name already
    // loaded keeps its sound (true, its index).
    bool LoadSound(const char* name, const char* wavePath, int bufferCount, int* index = nullptr);

    // Plays a named sound; with a delay above a millisecond the play is queued (no loop, no
    // position) and -1 returned. Positions are all three or none.
    int PlaySound(const char* name, bool loop = false, float delay = 0.0f, const Vec3* source = nullptr,
                  const Vec3* listener = nullptr, const Vec3* facing = nullptr);
    int PlayByIndex(int index, bool loop);
    // The voice that plays, or -1.
    int PlayOnBuffer(CSound* sound, bool loop, const Vec3* source, const Vec3* listener, const Vec3* facing);

    // With a handle, its play; with -1, every voice of the sound. Stopped voices rewind.
    void StopSound(int index, int handle);
    void StopAll();
    bool IsPlaying(int index, int handle);

    // Master effects volume, clamped to 0..1; applies to the voices at once.
    void SetVolume(float volume);
    float GetVolume() const { return volume_; }

    // Drops every delayed play (level end).
    void ClearQueues();
    // Once per frame of the running game: starts delayed plays that are due and lets every
    // sound start again.
    void Update(float dt);

    // Index of the first sound with the name (without regard to case), or -1.
    int FindSound(const char* name) const;
    int GetSoundCount() const { return soundCount_; }
    bool IsEnabled() const { return enabled_ == 1; }
    SoundDevice* GetSoundDevice() const { return device_; }
    AudioDevice* GetAudioDevice() const { return device_ ? device_->GetAudioDevice() : nullptr; }
    CSound* GetSound(int index) const { return index >= 0 && index < soundCount_ ? sounds_[index].sound : nullptr; }
    int GetDelayedCount() const { return delayed_.count; }
    // How many times the sound of that index has started.
    int TimesStarted(int index) const { return index >= 0 && index < soundCount_ ? sounds_[index].starts : 0; }

private:
    int MakeHandle(int index, int voice) const;
    // The voice the handle's play still holds, -1 (every voice) for -1, or -2 when the handle
    // names no play on a voice of that sound now.
    int VoiceOf(int index, int handle) const;

    PooledList<DelayedSound*> delayed_;
    SoundDevice* device_ = nullptr;
    SoundEntry sounds_[MAX_SOUNDS];
    int soundCount_ = 0;
    float volume_ = 1.0f;
    unsigned char enabled_ = 0;
};

extern SoundManager* SoundMgr;
