#include "host/AudioDevice.h"

#include "host/Log.h"
#include "host/SteadyMath.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cmath>
#include <cstring>

namespace {

LPALCLOOPBACKOPENDEVICESOFT LoopbackOpenDevice = nullptr;
LPALCRENDERSAMPLESSOFT LoopbackRenderSamples = nullptr;
PFNALCSETTHREADCONTEXTPROC SetThreadContext = nullptr;

// The context each thread talks to. Devices may live side by side (the game's and a test's),
// so every thread binds its own instead of switching the one process-wide context.
thread_local ALCcontext* ThreadContext = nullptr;

void LoadExtensions()
{
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    if (alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context"))
        SetThreadContext = (PFNALCSETTHREADCONTEXTPROC)alcGetProcAddress(nullptr, "alcSetThreadContext");
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
        LoopbackOpenDevice = (LPALCLOOPBACKOPENDEVICESOFT)alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT");
        LoopbackRenderSamples = (LPALCRENDERSAMPLESSOFT)alcGetProcAddress(nullptr, "alcRenderSamplesSOFT");
    }
}

ALenum ALFormat(const AudioFormat& format)
{
    if (format.channels == 1) return format.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return format.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

// A source that moves with the listener and never fades with distance, placed at `z` straight
// ahead; 0 when OpenAL has no source to give (the current context's).
ALuint NewListenerSource(float z)
{
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) return 0;
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, z);
    return source;
}

// How far apart the two channels of a mono voice come out (in decibels) at angles of 0, 5,
// 10, ... 55, 57.5 and 60 degrees to the right, as the mixer's stereo panning renders them;
// at 60 degrees the left channel is silent.
const float PanAngles[] = {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 57.5f, 60};
const float PanDecibels[] = {0, 1.91f, 3.86f, 5.86f, 7.97f, 10.22f, 12.68f, 15.43f, 18.63f, 22.52f, 27.58f, 35.51f, 42.70f, 100};

}  // namespace

float AttenuationToGain(int volume)
{
    if (volume <= AUDIO_VOLUME_MIN) return 0.0f;
    if (volume >= AUDIO_VOLUME_MAX) return 1.0f;
    return Pow(10.0f, volume / 2000.0f);
}

void PanToSourcePosition(int pan, float position[3])
{
    // A pan attenuates the far channel by |pan| hundredths of a decibel and leaves the near
    // one alone; find the angle at which the mixer gives the same difference.
    float decibels = std::fabs((float)pan) / 100.0f;
    if (decibels > 100) decibels = 100;
    float angle = 60;
    const int count = sizeof PanAngles / sizeof PanAngles[0];
    for (int i = 1; i < count; ++i) {
        if (decibels <= PanDecibels[i]) {
            float t = (decibels - PanDecibels[i - 1]) / (PanDecibels[i] - PanDecibels[i - 1]);
            angle = PanAngles[i - 1] + t * (PanAngles[i] - PanAngles[i - 1]);
            break;
        }
    }
    float s, c;
    SinCos(angle * 0.017453293f, &s, &c);
    position[0] = (pan < 0 ? -1.0f : 1.0f) * s;
    position[1] = 0;
    position[2] = -c;
}

bool AudioFormat::IsPlayable() const
{
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) && frequency >= 100 &&
           frequency <= 200000;
}

// ----------------------------------------------------------------------------------------
// Device

AudioDevice* AudioDevice::Open()
{
    LoadExtensions();
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) {
        Log("WARNING: no sound device could be opened\n");
        return nullptr;
    }
    ALCint frequency = 0;
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &frequency);
    return Finish(device, false, frequency);
}

AudioDevice* AudioDevice::OpenLoopback(int frequency)
{
    LoadExtensions();
    if (!LoopbackOpenDevice || !LoopbackRenderSamples) {
        Log("WARNING: the sound library has no loopback device\n");
        return nullptr;
    }
    ALCdevice* device = LoopbackOpenDevice(nullptr);
    if (!device) return nullptr;
    return Finish(device, true, frequency);
}

AudioDevice* AudioDevice::Finish(void* handle, bool loopback, int frequency)
{
    ALCdevice* device = (ALCdevice*)handle;
    ALCint loopbackAttributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                   ALC_FREQUENCY, frequency, 0};
    ALCcontext* context = alcCreateContext(device, loopback ? loopbackAttributes : nullptr);
    if (!context) {
        Log("WARNING: the sound device opened but gave no context\n");
        alcCloseDevice(device);
        return nullptr;
    }
    AudioDevice* result = new AudioDevice();
    result->device_ = device;
    result->context_ = context;
    result->loopback_ = loopback;
    result->frequency_ = frequency;
    result->MakeCurrent();
    // Voices are placed around the listener only to pan them; distance plays no part.
    alDistanceModel(AL_NONE);
    return result;
}

AudioDevice::~AudioDevice()
{
    ALCcontext* context = (ALCcontext*)context_;
    if (ThreadContext == context) ReleaseThread();
    if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice((ALCdevice*)device_);
}

void AudioDevice::MakeCurrent()
{
    ALCcontext* context = (ALCcontext*)context_;
    if (ThreadContext == context) return;
    if (SetThreadContext)
        SetThreadContext(context);
    else
        alcMakeContextCurrent(context);
    ThreadContext = context;
}

void AudioDevice::ReleaseThread()
{
    if (!ThreadContext) return;
    if (SetThreadContext)
        SetThreadContext(nullptr);
    else
        alcMakeContextCurrent(nullptr);
    ThreadContext = nullptr;
}

bool AudioDevice::RenderSamples(float* out, int frames)
{
    if (!loopback_ || frames < 0) return false;
    LoopbackRenderSamples((ALCdevice*)device_, out, frames);
    return true;
}

// ----------------------------------------------------------------------------------------
// Static buffers

struct AudioSamples {
    AudioDevice* device = nullptr;
    AudioFormat format;
    std::vector<uint8_t> bytes;
    std::shared_ptr<unsigned> uploaded;  // the samples as the mixer holds them; null when empty

    void Upload()
    {
        size_t frames = bytes.size() / format.FrameBytes();
        uploaded.reset();
        if (frames == 0) return;
        device->MakeCurrent();
        ALuint name = 0;
        alGetError();
        alGenBuffers(1, &name);
        if (alGetError() != AL_NO_ERROR) return;
        alBufferData(name, ALFormat(format), bytes.data(), (ALsizei)(frames * format.FrameBytes()), format.frequency);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &name);
            return;
        }
        AudioDevice* owner = device;
        uploaded = std::shared_ptr<unsigned>(new unsigned(name), [owner](unsigned* n) {
            owner->MakeCurrent();
            alDeleteBuffers(1, n);
            delete n;
        });
    }
};

AudioBuffer* AudioDevice::CreateBuffer(const AudioFormat& format, size_t bytes)
{
    if (!format.IsPlayable() || bytes == 0 || bytes > (size_t)1 << 30) return nullptr;
    auto samples = std::make_shared<AudioSamples>();
    samples->device = this;
    samples->format = format;
    samples->bytes.assign(bytes, format.SilenceByte());
    samples->Upload();
    AudioBuffer* buffer = new AudioBuffer(this, samples);
    if (!buffer->source_) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

AudioBuffer::AudioBuffer(AudioDevice* device, std::shared_ptr<AudioSamples> samples)
    : device_(device), samples_(std::move(samples))
{
    device_->MakeCurrent();
    source_ = NewListenerSource(-1.0f);
    if (source_) Attach();
}

AudioBuffer::~AudioBuffer()
{
    if (source_) {
        device_->MakeCurrent();
        alSourceStop(source_);
        alSourcei(source_, AL_BUFFER, 0);
        alDeleteSources(1, &source_);
    }
}

AudioBuffer* AudioBuffer::Duplicate()
{
    AudioBuffer* copy = new AudioBuffer(device_, samples_);
    if (!copy->source_) {
        delete copy;
        return nullptr;
    }
    return copy;
}

const AudioFormat& AudioBuffer::Format() const
{
    return samples_->format;
}

size_t AudioBuffer::Size() const
{
    return samples_->bytes.size();
}

void AudioBuffer::Attach()
{
    if (attached_ == samples_->uploaded) return;
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    attached_ = samples_->uploaded;
    if (attached_) alSourcei(source_, AL_BUFFER, (ALint)*attached_);
}

bool AudioBuffer::Lock(void** data, size_t* bytes)
{
    if (!data || !bytes) return false;
    *data = samples_->bytes.data();
    *bytes = samples_->bytes.size();
    return true;
}

void AudioBuffer::Unlock()
{
    samples_->Upload();
}

bool AudioBuffer::Play(bool looping)
{
    device_->MakeCurrent();
    Attach();
    if (!attached_) return false;
    alSourcei(source_, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    alSourcePlay(source_);
    return alGetError() == AL_NO_ERROR;
}

void AudioBuffer::Stop()
{
    device_->MakeCurrent();
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) alSourcePause(source_);
}

void AudioBuffer::SetCurrentPosition(size_t byte)
{
    device_->MakeCurrent();
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (byte == 0 && state != AL_PLAYING && state != AL_PAUSED) {
        alSourceRewind(source_);
        return;
    }
    size_t frameBytes = samples_->format.FrameBytes();
    alSourcei(source_, AL_BYTE_OFFSET, (ALint)(byte / frameBytes * frameBytes));
}

bool AudioBuffer::IsPlaying()
{
    device_->MakeCurrent();
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void AudioBuffer::SetVolume(int volume)
{
    volume_ = volume;
    device_->MakeCurrent();
    alSourcef(source_, AL_GAIN, AttenuationToGain(volume));
}

void AudioBuffer::SetPan(int pan)
{
    pan_ = pan;
    float position[3];
    PanToSourcePosition(pan, position);
    device_->MakeCurrent();
    alSource3f(source_, AL_POSITION, position[0], position[1], position[2]);
}

void AudioBuffer::SetFrequency(int frequency)
{
    if (frequency <= 0) return;
    device_->MakeCurrent();
    alSourcef(source_, AL_PITCH, (float)frequency / samples_->format.frequency);
}

// ----------------------------------------------------------------------------------------
// Streams

AudioStream* AudioDevice::CreateStream(const AudioFormat& format)
{
    if (!format.IsPlayable()) return nullptr;
    AudioStream* stream = new AudioStream(this, format);
    if (!stream->source_) {
        delete stream;
        return nullptr;
    }
    return stream;
}

AudioStream::AudioStream(AudioDevice* device, const AudioFormat& format) : device_(device), format_(format)
{
    device_->MakeCurrent();
    source_ = NewListenerSource(0.0f);
}

AudioStream::~AudioStream()
{
    device_->MakeCurrent();
    if (source_) {
        alSourceStop(source_);
        alSourcei(source_, AL_BUFFER, 0);
        alDeleteSources(1, &source_);
    }
    if (!blocks_.empty()) alDeleteBuffers((ALsizei)blocks_.size(), blocks_.data());
}

void AudioStream::Reclaim()
{
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0) {
        ALuint name = 0;
        alSourceUnqueueBuffers(source_, 1, &name);
        freeBlocks_.push_back(name);
    }
}

bool AudioStream::Queue(const void* data, size_t bytes)
{
    size_t frames = bytes / format_.FrameBytes();
    if (!data || frames == 0) return false;
    device_->MakeCurrent();
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    // A voice that ran dry would play its old blocks again when restarted: take them off first.
    if (state == AL_STOPPED) Reclaim();
    ALuint name = 0;
    if (!freeBlocks_.empty()) {
        name = freeBlocks_.front();
        freeBlocks_.erase(freeBlocks_.begin());
    } else {
        ALint processed = 0;
        alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
        alGetError();
        if (processed > 0) {
            alSourceUnqueueBuffers(source_, 1, &name);
        } else {
            alGenBuffers(1, &name);
            if (alGetError() != AL_NO_ERROR) return false;
            blocks_.push_back(name);
        }
    }
    alGetError();
    alBufferData(name, ALFormat(format_), data, (ALsizei)(frames * format_.FrameBytes()), format_.frequency);
    alSourceQueueBuffers(source_, 1, &name);
    if (alGetError() != AL_NO_ERROR) {
        freeBlocks_.push_back(name);
        return false;
    }
    if (playing_ && state == AL_STOPPED) alSourcePlay(source_);
    return true;
}

int AudioStream::Processed()
{
    device_->MakeCurrent();
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    return processed + (int)freeBlocks_.size();
}

int AudioStream::Pending()
{
    device_->MakeCurrent();
    ALint queued = 0, processed = 0;
    alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    return queued - processed;
}

void AudioStream::Play()
{
    device_->MakeCurrent();
    playing_ = true;
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) return;
    if (state == AL_STOPPED) Reclaim();
    ALint queued = 0;
    alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
    if (queued > 0) alSourcePlay(source_);
}

void AudioStream::Stop()
{
    device_->MakeCurrent();
    playing_ = false;
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) alSourcePause(source_);
}

bool AudioStream::IsPlaying()
{
    return playing_;
}

void AudioStream::SetVolume(int volume)
{
    volume_ = volume;
    device_->MakeCurrent();
    alSourcef(source_, AL_GAIN, AttenuationToGain(volume));
}
