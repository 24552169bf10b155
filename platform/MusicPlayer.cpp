#include "platform/MusicPlayer.h"

#include "host/AudioDevice.h"
#include "host/AudioOgg.h"
#include "host/Log.h"
#include "host/SteadyMath.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/GameSeam.h"
#include "platform/RandomUtil.h"
#include "platform/SoundManager.h"

#include <chrono>
#include <cmath>
#include <cstring>

MusicPlayer* Music = nullptr;
MusicTrack MusicTracks[MAX_MUSIC_TRACKS];
int MusicTrackCount = 0;

namespace {

const char* const DefaultIngameTracks[3] = {
    "data/music/ingame_track1.ogg",
    "data/music/ingame_track2.ogg",
    "data/music/ingame_track3.ogg",
};

double SteadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int MusicVolumeToAttenuation(float volume)
{
    if (!(volume > 0.0f)) return AUDIO_VOLUME_MIN;
    if (volume > 1.0f) volume = 1.0f;
    int attenuation = (int)(Log10(volume) * 3000.0f);
    return attenuation < AUDIO_VOLUME_MIN ? AUDIO_VOLUME_MIN : attenuation;
}

MusicPlayer::MusicPlayer()
{
    CopyText(currentTrack_, sizeof currentTrack_, "none");
    CopyText(pendingTrack_, sizeof pendingTrack_, "none");
    memset(playlist_, 0, sizeof playlist_);
}

MusicPlayer::~MusicPlayer()
{
    Shutdown();
}

bool MusicPlayer::Init(bool ownDevice)
{
    if (ownDevice) {
        AudioDevice* device = AudioDevice::Open();
        if (!device) return false;
        if (!Init(device)) {
            delete device;
            return false;
        }
        ownDevice_ = true;
        return true;
    }
    return Init(SoundMgr ? SoundMgr->GetAudioDevice() : nullptr);
}

bool MusicPlayer::Init(AudioDevice* device)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (initialised_ || !device) return initialised_;
    device_ = device;
    ownDevice_ = false;
    if (Config) SetMusicSettings(Config->music, Config->MusicVolume);
    initialised_ = true;
    return true;
}

void MusicPlayer::Shutdown()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    CloseTrack();
    if (ownDevice_) delete device_;
    device_ = nullptr;
    ownDevice_ = false;
    initialised_ = false;
}

void MusicPlayer::SetMusicSettings(bool musicOn, int musicVolume)
{
    musicOn_ = musicOn;
    musicVolume_ = musicVolume;
}

void MusicPlayer::LoadScript(const char* path)
{
    ScriptReader script;
    if (!path || !script.Open(path)) return;
    MusicTrackCount = 0;
    char token[MAX_PATH_TEXT];
    while (script.NextToken(token, sizeof token)) {
        if (strcmp(token, "MusicTrack") == 0) {
            char path[MAX_PATH_TEXT];
            if (!script.NextToken(path, sizeof path)) break;
            if (MusicTrackCount >= MAX_MUSIC_TRACKS) continue;
            FixPath(path);
            MusicTrack& track = MusicTracks[MusicTrackCount++];
            CopyText(track.path, sizeof track.path, path);
            track.environmentMask = 0;
        } else if (strcmp(token, "EnvSet") == 0) {
            char name[MAX_PATH_TEXT];
            if (!script.NextToken(name, sizeof name)) break;
            if (MusicTrackCount == 0) continue;
            MusicTrack& track = MusicTracks[MusicTrackCount - 1];
            if (StrICmp(name, "all") == 0) {
                track.environmentMask = 0xFFFF;
            } else {
                int index = GetGameSeam().FindEnvironment(name);
                track.environmentMask |= 1u << ((unsigned)index % 32u);
            }
        }
    }
}

void MusicPlayer::CloseTrack()
{
    delete stream_;
    stream_ = nullptr;
    delete decoder_;
    decoder_ = nullptr;
    trackOpen_ = false;
    CopyText(currentTrack_, sizeof currentTrack_, "none");
}

size_t MusicPlayer::Decode(uint8_t* out, size_t size)
{
    size_t filled = 0;
    int damaged = 0;
    while (filled < size) {
        long read = decoder_->Read(out + filled, size - filled);
        if (read == 0) break;
        if (read < 0) {
            // A damaged stretch is skipped; a stream that is nothing but damage ends here.
            if (++damaged > 16) break;
            continue;
        }
        filled += (size_t)read;
    }
    return filled;
}

bool MusicPlayer::OpenOgg(const char* path)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!initialised_ || !path) return false;
    if (trackOpen_) CloseTrack();
    if (IsRefused(path)) return false;
    AudioOggDecoder* decoder = new AudioOggDecoder();
    if (!decoder->Open(path)) {
        delete decoder;
        Log("    ERROR music: '%s' cannot be played; it is skipped from now on\n", path);
        if (refusedCount_ < MAX_REFUSED_TRACKS) CopyText(refused_[refusedCount_++], MUSIC_PATH_TEXT, path);
        return false;
    }
    AudioFormat format;
    format.channels = decoder->Channels();
    format.frequency = decoder->Rate();
    format.bitsPerSample = 16;
    AudioStream* stream = device_->CreateStream(format);
    if (!stream) {
        delete decoder;
        return false;
    }
    decoder_ = decoder;
    stream_ = stream;
    CopyText(currentTrack_, sizeof currentTrack_, path);
    // Both blocks start full; what a short stream leaves of them is silence, never whatever
    // the buffer held before.
    for (int block = 0; block < 2; ++block) {
        size_t filled = Decode(block_, MUSIC_HALF_BYTES);
        memset(block_ + filled, 0, MUSIC_HALF_BYTES - filled);
        stream_->Queue(block_, MUSIC_HALF_BYTES);
    }
    trackOpen_ = true;
    return true;
}

bool MusicPlayer::IsRefused(const char* path) const
{
    if (!path) return false;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (int i = 0; i < refusedCount_; ++i)
        if (StrICmp(refused_[i], path) == 0) return true;
    return false;
}

void MusicPlayer::StartBuffer(bool repeat)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!initialised_ || !trackOpen_) return;
    stream_->Play();
    repeat_ = repeat;
    ended_ = false;
    silent_ = false;
}

void MusicPlayer::StopBuffer()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (initialised_ && trackOpen_ && stream_) stream_->Stop();
}

void MusicPlayer::SetVolume(float volume)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!initialised_ || !trackOpen_ || !stream_) return;
    if (!(volume > 0.0f)) {
        stream_->SetVolume(AUDIO_VOLUME_MIN);
        return;
    }
    if (volume > 1.0f) volume = 1.0f;
    volume_ = volume;
    stream_->SetVolume(MusicVolumeToAttenuation(volume));
}

float MusicPlayer::GetVolume() const
{
    return initialised_ && trackOpen_ ? volume_.load() : 0.0f;
}

void MusicPlayer::FadeOut(float seconds)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    fadeRemaining_ = seconds;
    // Asked again while fading (the load screen asks every frame), the fade keeps its clock.
    if (!fading_) fadeClock_ = -1.0;
    fading_ = true;
}

void MusicPlayer::Play(const char* path, int)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (pending_ || !path) return;
    if (!silent_ && !fading_) FadeOut(1.0f);
    CopyText(pendingTrack_, sizeof pendingTrack_, path);
    pending_ = true;
    repeat_ = true;
}

void MusicPlayer::ClearPlaylist()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    playlistActive_ = false;
    playlistCount_ = 0;
    playlistIndex_ = -1;
}

bool MusicPlayer::HasPlaylistTrack() const
{
    int index = playlistIndex_;
    return index >= 0 && index < playlistCount_;
}

bool MusicPlayer::GetPlaylistTrack(int index, char* out, size_t outSize)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (index < 0 || index >= playlistCount_) return false;
    CopyText(out, outSize, playlist_[index]);
    return true;
}

void MusicPlayer::GetCurrentTrack(char* out, size_t outSize)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    CopyText(out, outSize, currentTrack_);
}

void MusicPlayer::PlayIngamePlaylist()
{
    if (!musicOn_) return;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    int count = 0;
    playlistIndex_ = -1;
    int environment = GetGameSeam().GetCurrentEnvironment();
    if (environment < 0) environment = 0;

    int order[MAX_MUSIC_TRACKS];
    int trackCount = MusicTrackCount < MAX_MUSIC_TRACKS ? MusicTrackCount : MAX_MUSIC_TRACKS;
    for (int i = 0; i < trackCount; ++i) order[i] = i;
    ShuffleInts(order, trackCount, CosmeticRandom());

    const char* first = nullptr;
    int matches = 0;
    for (int i = 0; i < trackCount; ++i) {
        const MusicTrack& track = MusicTracks[order[i]];
        if (!(track.environmentMask & (1u << ((unsigned)environment % 32u)))) continue;
        if (count >= MAX_PLAYLIST_TRACKS) continue;
        CopyText(playlist_[count], MUSIC_PATH_TEXT, track.path);
        ++count;
        ++matches;
        // Each match replaces the first track with chance 1/k: a uniform choice.
        if (CosmeticRandom().Next() % (uint32_t)matches == 0) {
            first = playlist_[count - 1];
            playlistIndex_ = count - 1;
        }
    }
    if (count == 0) {
        for (const char* track : DefaultIngameTracks) {
            CopyText(playlist_[count], MUSIC_PATH_TEXT, track);
            FixPath(playlist_[count]);
            ++count;
        }
        first = playlist_[2];
    }
    playlistCount_ = count;
    char path[MUSIC_PATH_TEXT];
    CopyText(path, sizeof path, first ? first : playlist_[0]);
    Play(path);
    repeat_ = false;
    playlistActive_ = true;
}

void MusicPlayer::NextPlaylistTrack()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    int count = playlistCount_;
    if (count > 0) {
        int index = playlistIndex_;
        playlistIndex_ = index < 0 ? 0 : (index + 1) % count;
    }
    int index = playlistIndex_;
    if (index < 0 || index >= count) return;
    char path[MUSIC_PATH_TEXT];
    CopyText(path, sizeof path, playlist_[index]);
    // A track that does not open leaves the player silent: the next update tries the next one.
    if (!OpenOgg(path)) return;
    stream_->Play();
    ended_ = false;
    silent_ = false;
    repeat_ = false;
    SetVolume(volume_);
}

bool MusicPlayer::RefillBlock()
{
    if (silent_ && !repeat_) StopBuffer();
    if (ended_ && !repeat_) silent_ = true;
    size_t filled = Decode(block_, MUSIC_HALF_BYTES);
    if (filled < MUSIC_HALF_BYTES) {
        if (repeat_) {
            // Loop from the first sample; a track shorter than a block goes round again.
            while (filled < MUSIC_HALF_BYTES && decoder_->SeekToStart()) {
                size_t more = Decode(block_ + filled, MUSIC_HALF_BYTES - filled);
                if (more == 0) break;
                filled += more;
            }
            memset(block_ + filled, 0, MUSIC_HALF_BYTES - filled);
        } else {
            memset(block_ + filled, 0, MUSIC_HALF_BYTES - filled);
            ended_ = true;
        }
    }
    return stream_->Queue(block_, MUSIC_HALF_BYTES);
}

void MusicPlayer::Update()
{
    UpdateAt(SteadySeconds());
}

void MusicPlayer::UpdateAt(double now)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!initialised_) return;
    if (playlistActive_ && silent_) NextPlaylistTrack();

    if (!trackOpen_) {
        if (pending_) {
            if (OpenOgg(pendingTrack_)) {
                StartBuffer(repeat_);
                SetVolume(volume_);
            }
            pending_ = false;
            CopyText(pendingTrack_, sizeof pendingTrack_, "none");
        }
        return;
    }

    // Every block that has been heard is refilled behind the one playing now. A stopped
    // track's blocks stay as they are.
    for (int guardCount = 0; guardCount < 4 && stream_->IsPlaying() && stream_->Processed() > 0; ++guardCount)
        if (!RefillBlock()) return;

    if (fading_) {
        // The fade runs on this thread's own clock, so its length does not depend on how often
        // anything else runs.
        float dt = fadeClock_ < 0.0 ? 0.0f : (float)(now - fadeClock_);
        if (dt < 0.0f) dt = 0.0f;
        fadeClock_ = now;
        float volume = GetVolume();
        float next = fadeRemaining_ > 0.0f ? volume - dt / fadeRemaining_ : 0.0f;
        SetVolume(next > 0.0f ? next : 0.0f);
        // What rounding leaves of the time (well under a millisecond) does not hold the fade.
        fadeRemaining_ = fadeRemaining_ - dt > 1e-4f ? fadeRemaining_ - dt : 0.0f;
        if (fadeRemaining_ <= 0.0f) {
            fading_ = false;
            StopBuffer();
            volume_ = ConfiguredVolume();
        }
    }

    if (pending_ && !fading_) {
        if (OpenOgg(pendingTrack_)) {
            StartBuffer(repeat_);
            SetVolume(volume_);
        }
        pending_ = false;
        CopyText(pendingTrack_, sizeof pendingTrack_, "none");
    }

    if (fading_) return;
    float target = ConfiguredVolume();
    if (fabsf(volume_ - target) >= 0.01f) {
        volume_ = target;
        SetVolume(target);
    }
}
