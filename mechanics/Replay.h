#pragma once
// Every level played is recorded, with nothing to switch on, and a recorded level can be played
// again and checked against its game.
//
// Recording: a mission's start (from the galaxy, straight from the settings, restarted or loaded
// from a save: every start goes through MissionScreen::StartMission) begins a replay in the
// profile's folder under "replays/"; each tick adds its orders, every second of play a digest of
// the world. The file is written whole every few seconds of play, as saves are, to a temporary
// file and renamed, so that a program stopped at any moment leaves a replay of the level up to a
// few seconds before. The last REPLAYS_KEPT of each profile are kept.
//
// Playing: the replay's profile, difficulty, mission and saved level are put in place of the
// player's, the level is made from the game's sequences as they stood, and at each tick the
// replay's orders are fed in place of the hand's. At each recorded digest the world is compared;
// where it differs the replay stops there. The player's own profile and settings come back when
// the level ends, and nothing of the replayed level is saved over them.
#include "mechanics/ReplayFile.h"

#include <string>
#include <vector>

constexpr int REPLAYS_KEPT = 20;
// The folder of the games played with no profile loaded.
constexpr const char* NO_PROFILE_FOLDER = "none";

// One of a profile's recorded games, as the list of them shows it.
struct ReplayListing {
    std::string path;
    // Read whole and of this build; otherwise why not.
    bool playable = false;
    std::string why;
    ReplayHeader header;
    uint8_t outcome = REPLAY_STOPPED;
    float endTime = 0.0f;
    // How long the level was played (a level loaded from a save went on from the save's clock).
    float played = 0.0f;
};
// The viewer's playback speeds, as factors of the game's own.
constexpr float PLAYBACK_SLOWEST = 0.5f, PLAYBACK_FASTEST = 8.0f;
// The replay on disk is written anew every this many ticks of play.
constexpr int REPLAY_WRITE_TICKS = 50;

class ReplayDirector {
public:
    // ---- The game's calls
    // A mission starts (before the profile is made ready for it).
    void OnMissionStart(int seed, int restore);
    // The level is about to be made.
    void OnLevelBuild();
    // A tick begins: a replay's orders for it are fed in place of the hand's.
    void FeedTick();
    // The tick's orders, as the world takes them.
    void OnTick(const std::vector<PlayerOrder>& orders);
    // The tick ended.
    void OnTickEnd();
    // The level ends, however it ends.
    void OnLevelEnd();

    // ---- Playing a replay
    // Reads a replay file; false (why said in *why, and logged) for one that cannot be played:
    // broken, cut short, changed, of another format version or of another build's data
    // (*refusal says which).
    static bool Open(const char* path, Replay* out, std::string* why, ReplayReading* refusal = nullptr);
    // Starts playing it: the level is requested as its mission was. verify: as fast as the
    // caller runs the frames, nothing drawn, and nothing shown when it parts.
    bool Play(const std::string& path, const Replay& replay, bool verify);
    // A replay is playing (until its level ends).
    bool Playing() const { return playing_; }
    // Its level has run as far as the recording goes, or parted from it.
    bool Finished() const { return finished_; }
    bool Parted() const { return parted_; }
    // The viewer leaves the replay (its end, or the mission left from the menu): the level ends
    // as a replay's does, nothing of the game's own end is played, and the list of replays
    // comes back.
    void Leave();
    // Stops the replay where it stands, as parted from its game for that reason.
    void StopParted(const std::string& why);
    // The level's tick the replay stands at (-1 before its first).
    int Tick() const { return tick_; }
    // The one line a verification prints.
    std::string VerdictLine() const;
    // The player's profile is held aside while a replay plays: nothing may be saved over it.
    bool HoldsProfile() const { return playing_; }
    // How fast the viewer plays it, a factor of the game's own speed (1 with no replay): the
    // speed keys change it, never the world's orders. It only says how many of the recorded
    // ticks run in a frame, so the game played is the same at any speed.
    float PlaybackSpeed() const { return playing_ ? playbackSpeed_ : 1.0f; }
    void SetPlaybackSpeed(float speed);

    // The folder a profile's replays are kept in; that of the games of no profile for none.
    static std::string FolderOf(const char* profileName);
    // Removes every replay of the profile (deleted, or a new one taking its name); false
    // (logged) when some stay.
    static bool RemoveAllOf(const char* profileName);
    // The profile's recorded games, newest first (none: the games of no profile); one that
    // cannot be played is listed as such. What a program stopped while writing left is settled
    // first.
    static std::vector<ReplayListing> ListOf(const char* profileName);

private:
    void WriteRecording();
    void KeepNewest(const std::string& folder) const;
    void Compare();
    void Finish();
    void GiveBackThePlayersOwn();

    // Recording.
    bool recordingOn_ = false;
    Replay recording_;
    std::string recordingPath_;
    int tick_ = -1;

    // Playing.
    bool playing_ = false;
    bool verify_ = false;
    bool finished_ = false;
    bool parted_ = false;
    Replay replay_;
    std::string playingPath_;
    size_t nextTick_ = 0;
    size_t nextCheck_ = 0;
    float playbackSpeed_ = 1.0f;
    uint32_t partedAt_ = 0;
    float partedTime_ = 0.0f;
    std::string difference_;
    // The player's own, given back when the replay's level ends.
    std::string ownProfile_;
    bool ownProfileLoaded_ = false;
    int ownDifficulty_ = 1;
    bool ownRequirementsIgnored_ = false;
};

extern ReplayDirector TheReplay;
