#pragma once
// A replay file: one level as it was played, grown by appending. A header, written once as the
// level begins, holds what the level was made from (the build it was played on, the profile and
// its rig as the mission started, the difficulty and the settings the world's rules read, the
// mission, the level's seed and, for a level loaded from a save, the save's own files). Then come
// blocks, each a stretch of ticks with its own check: every tick's orders and the world's sum
// after it, each entity's digest every second of play and at the block's last tick, and the
// hash of what a save of the level would hold at a steady cadence. The last block says how the
// level ended.
//
// Bytes are little-endian of fixed widths, every text and list led by its length. The reader
// never trusts a count or a length it read, and never reads past the end. A file cut anywhere
// (a program killed, a full disk) reads back as its header and its whole blocks; a changed
// byte is refused, never played as another game.
#include "mechanics/OrderQueue.h"
#include "mechanics/WorldChecksum.h"

#include <cstdint>
#include <string>
#include <vector>

// The replay format's version, what is written: its world's sums take each entity's groups side
// by side. Files of versions 2 and 3 (the sums taken byte by byte, and word by word, otherwise
// the same) are still read and played; a file of another is refused by name.
constexpr uint32_t REPLAY_FORMAT_VERSION = 4;
constexpr uint32_t REPLAY_OLDEST_FORMAT = 2;
// How a file of a format version sums the world.
inline WorldSumKind ReplaySumKind(uint32_t format)
{
    return format >= 4 ? WORLD_SUM_WIDE : format == 3 ? WORLD_SUM_WORDS : WORLD_SUM_BYTES;
}
// Each entity's digest is kept every this many ticks (a second of play), and at each block's end.
constexpr int REPLAY_CHECK_TICKS = 10;
// A block holds this many ticks (the last may hold fewer): what a stopped program may lose.
constexpr int REPLAY_BLOCK_TICKS = 50;
// What a save of the level holds is hashed once ten seconds in (so that a short level has it
// too), then every five minutes of play: printing the level's save text costs as much as
// hundreds of ticks' sums, and what it would name the sums of every tick and the entities'
// digests of every second mostly catch at once. The reader compares at the ticks a file names,
// so files of another cadence play the same.
constexpr int REPLAY_FIRST_SAVE_TICKS = 100;
constexpr int REPLAY_SAVE_TICKS = 3000;
inline bool ReplaySaveCheckAt(uint32_t tick)
{
    return tick + 1 == REPLAY_FIRST_SAVE_TICKS || (tick + 1) % REPLAY_SAVE_TICKS == 0;
}

// How a recorded level ended.
enum ReplayOutcome : uint8_t {
    REPLAY_STOPPED = 0,  // it did not end: the program stopped, or the file was read during play
    REPLAY_WON = 1,
    REPLAY_LOST = 2,
    REPLAY_ABANDONED = 3,
    REPLAY_RESTARTED = 4,
};
const char* ReplayOutcomeWord(int outcome);

// How the mission was chosen.
enum ReplayMission : uint8_t {
    REPLAY_NO_MISSION = 0,  // started straight from the settings, without a galaxy
    REPLAY_GALAXY_BODY = 1, // a body of the profile's galaxy, found by its mission id
    REPLAY_STORY = 2,       // a story mission of the catalogue, by its index
};

struct ReplayHeader {
    uint64_t build = 0;           // the digest of the build's data (ReplayBuildDigest)
    uint64_t startedAt = 0;       // when it was played, in seconds since 1970
    std::string profileName;      // the profile that played it
    std::string profile;          // the profile file's text as the mission started
    int32_t difficulty = 1;
    int32_t seed = -1;            // the mission's seed as it was started
    uint8_t restore = 0;          // a saved level going on
    uint8_t missionKind = REPLAY_NO_MISSION;
    int32_t missionId = -1;       // the galaxy body's mission id, or the story index
    std::string missionName;      // the mission's name, for the list of recent games
    std::string levelName;        // the scene file read over the level ("" for none)
    std::string levelFile;        // its bytes
    std::string visitedFile;      // the visited map beside it, when there is one
    // The game's sequences as the level began to be made.
    uint32_t levelSequence = 1;
    uint32_t programZ = 0, programW = 0;
    // The settings the world's rules read: units' speed, the damage adjustment per difficulty
    // step, and whether skinned units animate (where their weapons fire from).
    float unitSpeed = 1.0f;
    float damageAdjust = 0.0f;
    uint8_t playAnimation = 1;
};

// The orders given at one tick of the level (ticks count from 0, the level's first).
struct ReplayTick {
    uint32_t tick = 0;
    std::vector<PlayerOrder> orders;
};

struct ReplayCheck {
    uint32_t tick = 0;
    WorldDigest digest;
};

// The hash of what a save of the level holds, at a tick.
struct ReplaySaveCheck {
    uint32_t tick = 0;
    SaveDigest digest;
};

struct Replay {
    // The format version it was read from (or is to be written in).
    uint32_t format = REPLAY_FORMAT_VERSION;
    ReplayHeader header;
    // The ticks the player gave orders at.
    std::vector<ReplayTick> ticks;
    // The world's sum after each tick, from the level's first, and its world groups' bytes
    // (WORLD_GROUPS a tick).
    std::vector<uint64_t> tickSums;
    std::vector<uint8_t> tickGroups;
    std::vector<ReplayCheck> checks;
    std::vector<ReplaySaveCheck> saves;
    // How many ticks each block holds, in the file's order (empty: cut as the writer cuts).
    std::vector<uint32_t> blockTicks;
    // The mission clock at each block's last tick.
    std::vector<float> blockClocks;
    // The file holds the level's end; otherwise it stops where its last whole block does.
    bool ended = false;
    // Read: the bytes of the header and the whole blocks, the rest cut off.
    size_t wholeBytes = 0;
    // The last tick the level ran, how it ended (REPLAY_STOPPED when the file holds no end) and
    // its mission clock then (a block's own, for the recorder's).
    uint32_t lastTick = 0;
    uint8_t outcome = REPLAY_STOPPED;
    float endTime = 0.0f;

    uint32_t TickCount() const { return (uint32_t)tickSums.size(); }
};

// The build's digest: the format's version and the data the game's rules are read from.
uint64_t ReplayBuildDigest(uint32_t format = REPLAY_FORMAT_VERSION);
// The format version a file's bytes say they are of (0: not a replay).
uint32_t ReplayFormatOf(const std::string& bytes);

// The file's bytes: its header and its blocks, in the replay's format version.
std::string WriteReplay(const Replay& replay);
// The header alone, as the recorder writes it first.
std::string WriteReplayHeader(const ReplayHeader& header, uint32_t format = REPLAY_FORMAT_VERSION);
// A block of the stretch of ticks from firstTick that `part` holds (its ticks, sums, checks and
// saves, by their ticks); `end`: the level's last, with its outcome and end time.
std::string WriteReplayBlock(const Replay& part, uint32_t firstTick, bool end);
// The check a file ends with, of its bytes before it.
uint64_t ReplayCheckOf(const std::string& bytes, size_t size);

enum ReplayReading {
    REPLAY_READ = 0,
    REPLAY_BROKEN,         // not a replay, cut short, or changed
    REPLAY_OTHER_VERSION,  // a replay of another format version
    REPLAY_OTHER_BUILD,    // a replay of another build's data
};
// Reads a file's bytes; anything but REPLAY_READ leaves *out empty and says why in *why. A file
// cut short reads as its header and whole blocks (ended false; *why says where it stops).
// expectedBuild: the build the file must come from (0 takes any), the digest of its own format
// version (ReplayBuildDigest(ReplayFormatOf(bytes))).
ReplayReading ReadReplay(const std::string& bytes, uint64_t expectedBuild, Replay* out, std::string* why);

// "07:01": minutes and seconds of the mission clock.
std::string ReplayClockText(float seconds);
