#pragma once
// A replay file: one level as it was played. The header holds what the level was made from (the
// build it was played on, the profile and its rig as the mission started, the difficulty, the
// mission, the level's seed and, for a level loaded from a save, the save's own files); then the
// orders of each tick the player gave any; then a digest of the world every second of play;
// then how it ended. The file ends with a check of all its bytes: a changed or cut file is
// refused, never played as another game.
//
// Bytes are little-endian of fixed widths, every text and list led by its length. The reader
// never trusts a count or a length it read, and never reads past the end.
#include "mechanics/OrderQueue.h"
#include "mechanics/WorldChecksum.h"

#include <cstdint>
#include <string>
#include <vector>

// The replay format's version: a file of another is refused by name.
constexpr uint32_t REPLAY_FORMAT_VERSION = 1;
// World digests are taken every this many ticks: a second of play.
constexpr int REPLAY_CHECK_TICKS = 10;

// How a recorded level ended.
enum ReplayOutcome : uint8_t {
    REPLAY_STOPPED = 0,  // it did not end: the program stopped, or the file was written during play
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

struct Replay {
    ReplayHeader header;
    std::vector<ReplayTick> ticks;
    std::vector<ReplayCheck> checks;
    // The last tick the level ran, how it ended and its mission clock then.
    uint32_t lastTick = 0;
    uint8_t outcome = REPLAY_STOPPED;
    float endTime = 0.0f;
};

// The build's digest: the format's version and the data the game's rules are read from.
uint64_t ReplayBuildDigest();

// The file's bytes.
std::string WriteReplay(const Replay& replay);
// The check a file ends with, of its bytes before it.
uint64_t ReplayCheckOf(const std::string& bytes, size_t size);

enum ReplayReading {
    REPLAY_READ = 0,
    REPLAY_BROKEN,         // not a replay, cut short, or changed
    REPLAY_OTHER_VERSION,  // a replay of another format version
    REPLAY_OTHER_BUILD,    // a replay of another build's data
};
// Reads a file's bytes; anything but REPLAY_READ leaves *out empty and says why in *why.
// expectedBuild: the build the file must come from (0 takes any).
ReplayReading ReadReplay(const std::string& bytes, uint64_t expectedBuild, Replay* out, std::string* why);

// "07:01": minutes and seconds of the mission clock.
std::string ReplayClockText(float seconds);
