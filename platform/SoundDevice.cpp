#include "platform/SoundDevice.h"

#include "host/AudioDevice.h"
#include "platform/WaveFile.h"

#include <cstring>
#include <new>

// ----------------------------------------------------------------------------------------
// CSound

CSound::CSound(AudioBuffer** buffers, uint32_t bufferSize, int bufferCount, WaveFile* wave, unsigned flags)
    : buffers_(buffers), bufferSize_(bufferSize), wave_(wave), bufferCount_(bufferCount), flags_(flags)
{
    for (int i = 0; i < bufferCount_; ++i)
        if (buffers_[i]) FillBufferWithSound(buffers_[i], false);
}

CSound::~CSound()
{
    if (buffers_) {
        for (int i = 0; i < bufferCount_; ++i) delete buffers_[i];
        delete[] buffers_;
    }
    delete wave_;
}

AudioBuffer* CSound::GetBuffer(int index) const
{
    if (!buffers_ || index < 0 || index >= bufferCount_) return nullptr;
    return buffers_[index];
}

unsigned CSound::VoicePlays(int index) const
{
    return index >= 0 && index < bufferCount_ && index < SOUND_MAX_BUFFERS ? plays_[index] : 0;
}

int CSound::FillBufferWithSound(AudioBuffer* buffer, bool repeatWhenShort)
{
    if (!buffer || !wave_) return SOUND_INVALID_ARG;
    void* data = nullptr;
    size_t size = 0;
    if (!buffer->Lock(&data, &size)) return SOUND_FAIL;
    uint8_t* bytes = (uint8_t*)data;
    uint8_t silence = buffer->Format().SilenceByte();
    wave_->ResetFile();
    uint32_t filled = 0;
    wave_->Read(bytes, (uint32_t)size, &filled);
    if (filled == 0) {
        memset(bytes, silence, size);
    } else if (filled < size) {
        if (repeatWhenShort) {
            while (filled < size) {
                uint32_t read = 0;
                wave_->ResetFile();
                wave_->Read(bytes + filled, (uint32_t)(size - filled), &read);
                if (read == 0) break;
                filled += read;
            }
        }
        if (filled < size) memset(bytes + filled, silence, size - filled);
    }
    buffer->Unlock();
    return SOUND_OK;
}

int CSound::Play(unsigned playFlags, int volume, int frequency, int pan, int* bufferIndex)
{
    if (bufferIndex) *bufferIndex = -1;
    if (!buffers_) return SOUND_NOT_INITIALIZED;
    const int voice = nextBuffer_;
    AudioBuffer* buffer = buffers_[voice];
    if (bufferIndex) *bufferIndex = voice;
    nextBuffer_ = (nextBuffer_ + 1) % bufferCount_;
    if (!buffer) return SOUND_FAIL;
    if (flags_ & SOUND_CTRL_VOLUME) buffer->SetVolume(volume);
    if (frequency != -1 && (flags_ & SOUND_CTRL_FREQUENCY)) buffer->SetFrequency(frequency);
    if (flags_ & SOUND_CTRL_PAN) buffer->SetPan(pan);
    // A play that did not start leaves the voice to the play it had.
    if (!buffer->Play((playFlags & SOUND_PLAY_LOOPING) != 0)) return SOUND_FAIL;
    if (voice < SOUND_MAX_BUFFERS) ++plays_[voice];
    return SOUND_OK;
}

int CSound::Stop(int index)
{
    if (!buffers_) return SOUND_NOT_INITIALIZED;
    for (int i = 0; i < bufferCount_; ++i)
        if ((index == -1 || index == i) && buffers_[i]) buffers_[i]->Stop();
    return SOUND_OK;
}

int CSound::Reset(int index)
{
    if (!buffers_) return SOUND_NOT_INITIALIZED;
    for (int i = 0; i < bufferCount_; ++i)
        if ((index == -1 || index == i) && buffers_[i]) buffers_[i]->SetCurrentPosition(0);
    return SOUND_OK;
}

bool CSound::IsSoundPlaying(int index)
{
    if (!buffers_) return false;
    for (int i = 0; i < bufferCount_; ++i)
        if ((index == -1 || index == i) && buffers_[i] && buffers_[i]->IsPlaying()) return true;
    return false;
}

int CSound::SetVolume(int volume, int index)
{
    AudioBuffer* buffer = GetBuffer(index);
    if (!buffer) return SOUND_INVALID_ARG;
    buffer->SetVolume(volume);
    return SOUND_OK;
}

// ----------------------------------------------------------------------------------------
// SoundDevice

SoundDevice::~SoundDevice()
{
    delete device_;
}

int SoundDevice::Initialize(AudioDevice* device)
{
    delete device_;
    device_ = device ? device : AudioDevice::Open();
    return device_ ? SOUND_OK : SOUND_FAIL;
}

int SoundDevice::SetPrimaryBufferFormat(int channels, int frequency, int bits)
{
    if (!device_) return SOUND_NOT_INITIALIZED;
    AudioFormat format;
    format.channels = channels;
    format.frequency = frequency;
    format.bitsPerSample = bits;
    return format.IsPlayable() ? SOUND_OK : SOUND_INVALID_ARG;
}

int SoundDevice::CreateSound(CSound** sound, const char* path, unsigned flags, int bufferCount)
{
    if (!device_) return SOUND_NOT_INITIALIZED;
    if (!path || !sound || bufferCount < 1) return SOUND_INVALID_ARG;
    WaveFile* wave = new (std::nothrow) WaveFile();
    if (!wave) return SOUND_OUT_OF_MEMORY;
    if (wave->Open(path) < 0) {
        delete wave;
        return SOUND_FAIL;
    }
    return CreateSoundFromWave(sound, wave, flags, bufferCount);
}

int SoundDevice::CreateSoundFromWave(CSound** sound, WaveFile* wave, unsigned flags, int bufferCount)
{
    if (!device_) {
        delete wave;
        return SOUND_NOT_INITIALIZED;
    }
    if (!sound || !wave || bufferCount < 1 || bufferCount > SOUND_MAX_BUFFERS) {
        delete wave;
        return SOUND_INVALID_ARG;
    }
    const WaveFormat* format = wave->GetFormat();
    uint32_t size = wave->GetSize();
    if (!format || size == 0 || format->formatTag != WAVE_FORMAT_PCM) {
        delete wave;
        return SOUND_FAIL;
    }
    AudioFormat audio;
    audio.channels = format->channels;
    audio.frequency = (int)format->samplesPerSec;
    audio.bitsPerSample = format->bitsPerSample;
    AudioBuffer** buffers = new (std::nothrow) AudioBuffer*[bufferCount]();
    if (!buffers) {
        delete wave;
        return SOUND_OUT_OF_MEMORY;
    }
    bool ok = (buffers[0] = device_->CreateBuffer(audio, size)) != nullptr;
    for (int i = 1; ok && i < bufferCount; ++i) ok = (buffers[i] = buffers[0]->Duplicate()) != nullptr;
    if (!ok) {
        for (int i = 0; i < bufferCount; ++i) delete buffers[i];
        delete[] buffers;
        delete wave;
        return SOUND_FAIL;
    }
    *sound = new CSound(buffers, size, bufferCount, wave, flags);
    return SOUND_OK;
}
