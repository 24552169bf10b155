#pragma once
// Every level played is recorded, with nothing to switch on, and a recorded level can be played
// again and checked against its game.
//
// Recording: a mission's start (from the galaxy, straight from the settings, restarted or loaded
// from a save: every start goes through MissionScreen::StartMission) begins a replay in the
// profile's folder under "replays/". Its header (with a saved level's files) is written once, as
// the level is made, to a temporary file renamed into place; then each stretch of ticks is
// appended as a block with its own check, by a thread of its own, so that no frame waits on the
// disk and a write costs the same at minute 60 as at minute 1. A program stopped at any moment
// leaves a replay of the level up to its last whole block. The last REPLAYS_KEPT of each profile
// are kept.
//
// Playing: the replay's profile, difficulty, settings, mission and saved level are put in place
// of the player's, the level is made from the game's sequences as they stood, and at each tick
// the replay's orders are fed in place of the hand's. After every tick the world is compared with
// the recorded sum, and at the recorded checks with each entity's digest and with what a save of
// the level holds; where it differs the replay stops, naming the tick. The player's own profile
// and settings come back when the level ends, and nothing of the replayed level is saved over
// them. What the front end does for a replay (naming and starting its mission, reading and
// giving back the profile, its word to the viewer and the list of replays) it asks through
// ScreenHooks.
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

// What recording a level has cost so far: the game thread's work (the world's digests, the
// save's hash, the blocks' bytes) and the writer thread's (its writes and syncs), in processor
// seconds, with the longest single piece of each (the game thread's in processor seconds, a
// write in the seconds it took).
struct ReplayRecorderWork {
    double seconds = 0.0, longest = 0.0;
    double writeSeconds = 0.0, longestWrite = 0.0;
    int writes = 0;
};

class ReplayWriter;

class ReplayDirector {
public:
    ~ReplayDirector();
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

    // What recording has cost since the program began (logged as each level ends).
    ReplayRecorderWork RecorderWork() const;
    // Waits until what the recorder gave its writer is on the disk (or the disk refuses it).
    void FlushRecording();

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
    void SealBlock(bool end);
    void Compare();
    void PartAt(uint32_t tick, float time, const std::string& why);
    void Finish();
    uint8_t OutcomeNow(bool restarted) const;
    void GiveBackThePlayersOwn();

    // Recording: the header, and the block being filled (its ticks from blockFirst_).
    bool recordingOn_ = false;
    bool headerWritten_ = false;
    ReplayHeader header_;
    Replay block_;
    uint32_t blockFirst_ = 0;
    WorldDigest lastDigest_;
    std::string recordingPath_;
    ReplayWriter* writer_ = nullptr;
    // What the recorder's pieces took (processor seconds); the plain ticks', from a sample.
    void Charge(double seconds);
    double recorderSeconds_ = 0.0, longestRecorder_ = 0.0;
    uint64_t routineTicks_ = 0, sampledTicks_ = 0;
    double sampledSeconds_ = 0.0;
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
    size_t nextSave_ = 0;
    WorldDigest playedDigest_;
    // The tick the world first differed from the recorded sum at, while the next entity digest
    // is awaited to say where (-1: none).
    int64_t differedAt_ = -1;
    float differedTime_ = 0.0f;
    // The outcome the replay's own play reached, and its clock then.
    uint8_t reached_ = REPLAY_STOPPED;
    float reachedTime_ = 0.0f;
    float playbackSpeed_ = 1.0f;
    uint32_t partedAt_ = 0;
    float partedTime_ = 0.0f;
    std::string difference_;
    // The player's own, given back when the replay's level ends.
    std::string ownProfile_;
    bool ownProfileLoaded_ = false;
    int ownDifficulty_ = 1;
    float ownUnitSpeed_ = 1.0f, ownDamageAdjust_ = 0.0f;
    bool ownAnimationPlay_ = true;
    bool ownRequirementsIgnored_ = false;
};

extern ReplayDirector TheReplay;
