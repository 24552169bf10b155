#pragma once
// The music player streams one Ogg Vorbis track at a time through a double buffer (two
// blocks of 32 KB: one plays while the other is refilled), loops a track or lets it end,
// fades the current track out before the next one starts, plays a shuffled playlist of the
// tracks data/scripts/music.cgs gives the current environment, and follows the configured
// music volume.
//
// Two threads share it: the main thread asks for tracks, fades and volumes; the music thread
// calls Update every 16 ms. One re-entrant lock guards the state; the few flags and values
// that are read without it (by the thread loop and the in-game display) are atomics.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

class AudioDevice;
class AudioOggDecoder;
class AudioStream;

constexpr int MAX_MUSIC_TRACKS = 32;
constexpr int MAX_PLAYLIST_TRACKS = 32;
constexpr size_t MUSIC_BUFFER_BYTES = 65536;
constexpr size_t MUSIC_HALF_BYTES = MUSIC_BUFFER_BYTES / 2;
constexpr size_t MUSIC_PATH_TEXT = 260;

// A linear music volume (0..1) as an attenuation in hundredths of a decibel; 0 or less is
// silence.
int MusicVolumeToAttenuation(float volume);

// The tracks of data/scripts/music.cgs. Bit i of the mask lets a track play in the
// environment with index i.
struct MusicTrack {
    char path[264];
    uint32_t environmentMask;
};
extern MusicTrack MusicTracks[MAX_MUSIC_TRACKS];
extern int MusicTrackCount;

class MusicPlayer {
public:
    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // With ownDevice false the player shares the sound manager's output device; with true it
    // opens its own. False (the player stays silent and every call does nothing) when there
    // is no device.
    bool Init(bool ownDevice);
    // Plays on a device the caller keeps (tests use a loopback device).
    bool Init(AudioDevice* device);
    void Shutdown();

    // Reads data/scripts/music.cgs (or another script of its kind) into the track table; a
    // missing file leaves the table as it was.
    static void LoadScript(const char* path = "Data/scripts/music.cgs");

    // Opens a track and fills the double buffer from its start; the track does not play until
    // StartBuffer. False, with no track open, when the file is missing or not a Vorbis stream.
    // A track that failed once is logged and never opened again: every failed open costs the
    // decoder memory it does not give back, and a playlist of bad files would try one every
    // update.
    bool OpenOgg(const char* path);
    bool IsRefused(const char* path) const;
    void StartBuffer(bool repeat);
    void StopBuffer();

    // 0..1; 0 or less silences the track without forgetting the volume.
    void SetVolume(float volume);
    float GetVolume() const;
    void FadeOut(float seconds);

    // Asks for a track (by data path); it loops, and starts once the current one has faded.
    // While another request waits, the first one wins.
    void Play(const char* path, int unused = 0);
    void PlayIngamePlaylist();
    void NextPlaylistTrack();
    bool HasPlaylistTrack() const;
    void ClearPlaylist();

    // The music thread's pump: refills the buffer, runs the fade on the time measured here,
    // opens what was asked for and follows the configured volume.
    void Update();
    // The same at a given time in seconds (any steady clock), for tests.
    void UpdateAt(double now);

    // The configuration's music switch and MusicVolume (tenths), handed over by the main
    // thread whenever they may have changed; the music thread never reads the configuration.
    void SetMusicSettings(bool musicOn, int musicVolume);
    bool IsMusicOn() const { return musicOn_; }

    bool IsInitialised() const { return initialised_; }
    bool IsTrackOpen() const { return trackOpen_; }
    bool IsSilent() const { return silent_; }
    bool IsFading() const { return fading_; }
    bool IsPlaylistActive() const { return playlistActive_; }
    int GetPlaylistIndex() const { return playlistIndex_; }
    int GetPlaylistCount() const { return playlistCount_; }
    bool GetPlaylistTrack(int index, char* out, size_t outSize);
    void GetCurrentTrack(char* out, size_t outSize);

private:
    size_t Decode(uint8_t* out, size_t size);
    void CloseTrack();
    bool RefillBlock();
    float ConfiguredVolume() const { return musicVolume_ / 10.0f; }

    mutable std::recursive_mutex lock_;
    AudioDevice* device_ = nullptr;
    bool ownDevice_ = false;
    AudioStream* stream_ = nullptr;
    AudioOggDecoder* decoder_ = nullptr;

    char currentTrack_[MUSIC_PATH_TEXT];
    char pendingTrack_[MUSIC_PATH_TEXT];
    char playlist_[MAX_PLAYLIST_TRACKS][MUSIC_PATH_TEXT];
    std::atomic<int> playlistCount_{0};
    std::atomic<int> playlistIndex_{-1};

    std::atomic<float> volume_{1.0f};
    std::atomic<bool> fading_{false};
    float fadeRemaining_ = 0.0f;
    double fadeClock_ = -1.0;  // time of the fade's last step; negative before its first

    std::atomic<bool> initialised_{false};
    std::atomic<bool> trackOpen_{false};
    std::atomic<bool> silent_{true};
    std::atomic<bool> playlistActive_{false};
    bool pending_ = false;
    bool ended_ = false;
    bool repeat_ = false;

    static constexpr int MAX_REFUSED_TRACKS = 64;
    char refused_[MAX_REFUSED_TRACKS][MUSIC_PATH_TEXT];
    int refusedCount_ = 0;

    std::atomic<bool> musicOn_{true};
    std::atomic<int> musicVolume_{10};

    uint8_t block_[MUSIC_HALF_BYTES];
};

extern MusicPlayer* Music;
