#include "platform/SoundManager.h"

#include "host/AudioDevice.h"
#include "host/Log.h"
#include "host/Maths.h"
#include "host/SteadyMath.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/PackageFile.h"
#include "platform/SoundDevice.h"
#include "platform/Timer.h"
#include "platform/WaveFile.h"

#include <cmath>
#include <cstring>

SoundManager* SoundMgr = nullptr;

int EffectVolumeToAttenuation(float volume)
{
    if (!(volume > 0.0f)) return AUDIO_VOLUME_MIN;
    if (volume > 1.0f) volume = 1.0f;
    int attenuation = (int)(Log10(volume * 0.9f + 0.1f) * 3000.0f);
    return attenuation < AUDIO_VOLUME_MIN ? AUDIO_VOLUME_MIN : attenuation;
}

void ComputePositionalVolume(const Vec3& source, const Vec3& listener, const Vec3& facing, float* volume, int* pan)
{
    Vec3 offset = source - listener;
    float length = sqrtf(offset.x * offset.x + offset.y * offset.y + offset.z * offset.z);
    float d = length / 100.0f;
    if (d > 1.0f) d = 1.0f;
    if (volume) *volume = 1.0f - d * d;
    if (!pan) return;
    // The listener's right hand: facing x up.
    Vec3 right(-facing.z, 0.0f, facing.x);
    float rightLength = sqrtf(right.x * right.x + right.z * right.z);
    if (length <= 1e-6f || rightLength <= 1e-6f) {
        *pan = 0;
        return;
    }
    float along = (offset.x * right.x + offset.y * right.y + offset.z * right.z) / (length * rightLength);
    *pan = (int)(along * -10000.0f);
}

SoundManager::SoundManager()
{
    memset(sounds_, 0, sizeof sounds_);
}

SoundManager::~SoundManager()
{
    ClearQueues();
    for (int i = 0; i < soundCount_; ++i) delete sounds_[i].sound;
    soundCount_ = 0;
    delete device_;
    device_ = nullptr;
    if (SoundPackage) {
        SoundPackage->Close();
        delete SoundPackage;
        SoundPackage = nullptr;
    }
}

bool SoundManager::LoadPackage()
{
    if (SoundPackage) {
        SoundPackage->Close();
        delete SoundPackage;
    }
    SoundPackage = new PackageFile();
    char path[] = "Data/sound.pkb";
    return SoundPackage->Open(path, false);
}

bool SoundManager::Init(AudioDevice* device)
{
    LoadPackage();
    delete device_;
    device_ = new SoundDevice();
    if (device_->Initialize(device) < 0 || device_->SetPrimaryBufferFormat(2, 22050, 16) < 0) {
        // No box: a player without a sound card plays on, silent, and the log says why.
        Log("    SoundManager() ERROR\n");
        Log("WARNING: no sound device: the game runs silent\n");
        return false;
    }
    if (!delayed_.Init(MAX_DELAYED_SOUNDS)) return false;
    enabled_ = 1;
    return true;
}

bool SoundManager::LoadSound(const char* name, const char* wavePath, int bufferCount, int* index)
{
    if (!name) name = "";
    // Without a device there is nothing to load a sound into; the start-up said so once.
    if (!enabled_) return false;
    // A script read again (every new game reads the intro's) finds its sounds loaded: the
    // table keeps one entry per name, so it never fills up with copies.
    const int loaded = FindSound(name);
    if (loaded >= 0) {
        if (index) *index = loaded;
        return true;
    }
    char text[300];
    if (soundCount_ >= MAX_SOUNDS) {
        snprintf(text, sizeof text, "    SoundManager() ERROR: Too Many sounds. File: %s\n", name);
    } else {
        if (bufferCount < 1 || bufferCount > SOUND_MAX_BUFFERS) bufferCount = 1;
        CSound* sound = nullptr;
        int result = device_ ? device_->CreateSound(&sound, wavePath, SOUND_CTRL_VOLUME | SOUND_CTRL_PAN, bufferCount)
                             : SOUND_NOT_INITIALIZED;
        if (result >= 0 && sound) {
            SoundEntry& entry = sounds_[soundCount_];
            CopyText(entry.name, sizeof entry.name, name);
            entry.lastStartFrame = SOUND_NEVER_STARTED;
            entry.starts = 0;
            entry.sound = sound;
            if (index) *index = soundCount_;
            ++soundCount_;
            return true;
        }
        snprintf(text, sizeof text, "    SoundManager() ERROR: File: %s\n", name);
    }
    Log("%s", text);
    if (Config && Config->messageBoxErrors) ShowMessageBox("ERROR", text);
    return false;
}

int SoundManager::FindSound(const char* name) const
{
    if (!name) return -1;
    for (int i = 0; i < soundCount_; ++i)
        if (StrICmp(sounds_[i].name, name) == 0) return i;
    return -1;
}

int SoundManager::PlayOnBuffer(CSound* sound, bool loop, const Vec3* source, const Vec3* listener, const Vec3* facing)
{
    if (!enabled_ || !sound) return -1;
    float volume = volume_;
    int pan = 0;
    if (source && listener && facing) {
        float positional = 0.0f;
        ComputePositionalVolume(*source, *listener, *facing, &positional, &pan);
        volume *= positional;
    }
    int buffer = -1;
    if (sound->Play(loop ? SOUND_PLAY_LOOPING : 0, EffectVolumeToAttenuation(volume), -1, pan, &buffer) < 0) return -1;
    return buffer;
}

int SoundManager::PlaySound(const char* name, bool loop, float delay, const Vec3* source, const Vec3* listener,
                            const Vec3* facing)
{
    if (enabled_ != 1 || soundCount_ < 1) return -1;
    int index = FindSound(name);
    if (index < 0) return -1;
    SoundEntry& entry = sounds_[index];
    if (delay > 0.001f) {
        if (delayed_.count < MAX_DELAYED_SOUNDS) {
            DelayedSound* request = new DelayedSound{index, delay, &entry};
            if (!delayed_.PushBack(request)) delete request;
        }
        return -1;
    }
    int frame = FrameTimer.GetFrameCount();
    if (RepeatRefused(frame, entry.lastStartFrame)) return -1;
    int buffer = PlayOnBuffer(entry.sound, loop, source, listener, facing);
    if (buffer < 0) return -1;
    entry.lastStartFrame = frame;
    ++entry.starts;
    return MakeHandle(index, buffer);
}

int SoundManager::PlayByIndex(int index, bool loop)
{
    if (index < 0 || index >= soundCount_ || !enabled_) return -1;
    SoundEntry& entry = sounds_[index];
    int frame = FrameTimer.GetFrameCount();
    if (RepeatRefused(frame, entry.lastStartFrame)) return -1;
    int buffer = PlayOnBuffer(entry.sound, loop, nullptr, nullptr, nullptr);
    if (buffer < 0) return -1;
    entry.lastStartFrame = frame;
    ++entry.starts;
    return MakeHandle(index, buffer);
}

namespace {
constexpr unsigned HANDLE_GENERATIONS = SOUND_HANDLE_FACTOR / SOUND_MAX_BUFFERS;
}

int SoundManager::MakeHandle(int index, int voice) const
{
    const unsigned generation = (sounds_[index].sound->VoicePlays(voice) - 1u) % HANDLE_GENERATIONS;
    return index * SOUND_HANDLE_FACTOR + (int)generation * SOUND_MAX_BUFFERS + voice;
}

int SoundManager::VoiceOf(int index, int handle) const
{
    if (handle == -1) return -1;
    if (handle < 0 || handle / SOUND_HANDLE_FACTOR != index) return -2;
    const int voice = handle % SOUND_MAX_BUFFERS;
    const unsigned generation = (unsigned)(handle % SOUND_HANDLE_FACTOR / SOUND_MAX_BUFFERS);
    return (sounds_[index].sound->VoicePlays(voice) - 1u) % HANDLE_GENERATIONS == generation ? voice : -2;
}

void SoundManager::StopSound(int index, int handle)
{
    if (index < 0 || index >= soundCount_) return;
    CSound* sound = sounds_[index].sound;
    if (!sound) return;
    const int buffer = VoiceOf(index, handle);
    if (buffer < -1) return;
    if (sound->IsSoundPlaying(buffer)) {
        sound->Stop(buffer);
        sound->Reset(buffer);
    }
}

void SoundManager::StopAll()
{
    for (int i = 0; i < soundCount_; ++i) StopSound(i, -1);
}

bool SoundManager::IsPlaying(int index, int handle)
{
    if (index < 0 || index >= soundCount_ || !sounds_[index].sound) return false;
    const int buffer = VoiceOf(index, handle);
    return buffer >= -1 && sounds_[index].sound->IsSoundPlaying(buffer);
}

void SoundManager::SetVolume(float volume)
{
    if (!(volume > 0.0f)) volume = 0.0f;
    if (volume > 1.0f) volume = 1.0f;
    volume_ = volume;
    int attenuation = EffectVolumeToAttenuation(volume);
    for (int i = 0; i < soundCount_; ++i) {
        CSound* sound = sounds_[i].sound;
        if (!sound) continue;
        for (int b = 0; b < sound->GetBufferCount(); ++b) sound->SetVolume(attenuation, b);
    }
}

void SoundManager::ClearQueues()
{
    for (auto* node = delayed_.head; node; node = node->next) delete node->value;
    delayed_.Clear();
}

void SoundManager::Update(float dt)
{
    auto* node = delayed_.head;
    while (node) {
        auto* next = node->next;
        DelayedSound* request = node->value;
        request->delay -= dt;
        if (request->delay <= 0.0f) {
            // A play the guard refuses now is dropped, not tried again.
            PlayByIndex(request->index, false);
            delayed_.Remove(request);
            delete request;
        }
        node = next;
    }
    for (int i = 0; i < soundCount_; ++i) sounds_[i].lastStartFrame = SOUND_NEVER_STARTED;
}
