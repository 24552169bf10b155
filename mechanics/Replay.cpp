#include "mechanics/Replay.h"

#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/MessageDialogGui.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "interface/InGameMenu.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "terrain/VisitedMap.h"
#include "world/Agent.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

ReplayDirector TheReplay;

namespace {

constexpr const char* REPLAY_EXTENSION = ".replay";

// The folder the saved level a replay carries is put in while it plays.
constexpr const char* PLAYING_FOLDER = "playing";

bool ReadWholeFile(const std::string& path, std::string* out)
{
    out->clear();
    FILE* file = OpenFile(path.c_str(), "rb");
    if (!file) return false;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) out->append(buffer, got);
    const bool failed = ferror(file) != 0;
    fclose(file);
    return !failed;
}

// Written to a temporary file and renamed, as saves are: the old file stays whole until the new
// one is on the disk.
bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + ".tmp";
    FILE* file = fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = SyncFile(file) && written;
    written = fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        remove(temporary.c_str());
        return false;
    }
    // The new name on the disk too: a power cut after the rename must not bring back the old
    // file, or none.
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && !SyncFolder(path.substr(0, slash).c_str()))
        Log("WARNING: the folder of %s cannot be synced\n", path.c_str());
    return true;
}

uint64_t BuildDigest()
{
    static const uint64_t digest = ReplayBuildDigest();
    return digest;
}

// A replay's name is the second its level began ("20261210-113000"); a second level begun in
// the same second takes a number after it ("-2", "-3").
constexpr size_t STAMP_LENGTH = 15;

// Oldest first: by the second, then by the number (a name without one is the first).
bool BegunBefore(const std::string& a, const std::string& b)
{
    auto key = [](const std::string& name) {
        std::string stem = name.substr(0, name.size() - strlen(REPLAY_EXTENSION));
        long number = 1;
        if (stem.size() > STAMP_LENGTH + 1 && stem[STAMP_LENGTH] == '-') {
            number = strtol(stem.c_str() + STAMP_LENGTH + 1, nullptr, 10);
            stem.resize(STAMP_LENGTH);
        }
        return std::make_pair(stem, number);
    };
    return key(a) < key(b);
}

// The replay files of a folder: oldest first (their names are the times they began).
std::vector<std::string> ReplayFiles(const std::string& folder)
{
    std::vector<std::string> names;
    DirectorySearch search;
    std::string name;
    bool isDirectory = false;
    if (search.Begin(folder.c_str(), "*.replay"))
        while (search.Next(name, isDirectory))
            if (!isDirectory && name.size() > strlen(REPLAY_EXTENSION)) names.push_back(name);
    search.Close();
    std::sort(names.begin(), names.end(), BegunBefore);
    return names;
}

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a program stopped while it wrote a replay left: the temporary copy of the replay. A
// copy whole and playable whose replay is not on the disk takes its name (it is the level as far
// as it went); any other goes.
void SettleStoppedWrites(const std::string& folder)
{
    constexpr const char* TEMPORARY = ".replay.tmp";
    std::vector<std::string> left;
    DirectorySearch search;
    std::string name;
    bool isDirectory = false;
    if (search.Begin(folder.c_str(), "*.tmp"))
        while (search.Next(name, isDirectory))
            if (!isDirectory && name.size() > strlen(TEMPORARY) &&
                name.compare(name.size() - strlen(TEMPORARY), std::string::npos, TEMPORARY) == 0)
                left.push_back(name);
    search.Close();
    for (const std::string& file : left) {
        const std::string temporary = folder + "/" + file;
        const std::string replay = temporary.substr(0, temporary.size() - strlen(".tmp"));
        FileStatus status;
        std::string bytes, why;
        Replay read;
        const bool recovered = GetFileStatus(replay.c_str(), status) != 0 && ReadWholeFile(temporary, &bytes) &&
                               ReadReplay(bytes, BuildDigest(), &read, &why) == REPLAY_READ &&
                               rename(temporary.c_str(), replay.c_str()) == 0;
        if (recovered) {
            Log("The replay %s a stopped program left half written is kept\n", replay.c_str());
        } else if (remove(temporary.c_str()) == 0) {
            Log("The unfinished replay %s a stopped program left is removed\n", temporary.c_str());
        } else {
            Log("WARNING: the unfinished replay %s cannot be removed\n", temporary.c_str());
        }
    }
    if (!left.empty()) SyncFolder(folder.c_str());
}

void Say(const std::string& text)
{
    Log("%s\n", text.c_str());
    if (!TheMessageDialog) return;
    TheMessageDialog->SetText(text.c_str());
    TheMessageDialog->SetVisible(true);
}

}  // namespace

std::string ReplayDirector::FolderOf(const char* profileName)
{
    const std::string replays = std::string(UserFolder) + "/replays/";
    // The games played with no profile are kept in "none", as they always were; a profile that
    // is named so keeps its own apart, under a name no profile can take (profile names hold no
    // dot).
    if (!profileName || !IsValidProfileName(profileName)) return replays + NO_PROFILE_FOLDER;
    if (StrICmp(profileName, NO_PROFILE_FOLDER) == 0) return replays + profileName + ".profile";
    return replays + profileName;
}

bool ReplayDirector::RemoveAllOf(const char* profileName)
{
    if (!profileName || !IsValidProfileName(profileName)) return false;
    const std::string folder = FolderOf(profileName);
    bool removed = true;
    for (const std::string& inner : {folder + "/" + PLAYING_FOLDER, folder}) {
        FileStatus status;
        if (GetFileStatus(inner.c_str(), status) != 0 || !status.isDirectory) continue;
        std::vector<std::string> files;
        DirectorySearch search;
        std::string name;
        bool isDirectory = false;
        if (search.Begin(inner.c_str(), "*"))
            while (search.Next(name, isDirectory))
                if (!isDirectory) files.push_back(name);
        search.Close();
        for (const std::string& file : files)
            if (remove((inner + "/" + file).c_str()) != 0) {
                Log("WARNING: the replay %s/%s cannot be removed\n", inner.c_str(), file.c_str());
                removed = false;
            }
        if (remove(inner.c_str()) != 0) removed = false;
    }
    return removed;
}

std::vector<ReplayListing> ReplayDirector::ListOf(const char* profileName)
{
    const std::string folder = FolderOf(profileName);
    SettleStoppedWrites(folder);
    std::vector<std::string> names = ReplayFiles(folder);
    std::reverse(names.begin(), names.end());
    std::vector<ReplayListing> listed;
    for (const std::string& name : names) {
        ReplayListing listing;
        listing.path = folder + "/" + name;
        Replay replay;
        listing.playable = Open(listing.path.c_str(), &replay, &listing.why);
        listing.header = std::move(replay.header);
        listing.outcome = replay.outcome;
        listing.endTime = replay.endTime;
        // A level loaded from a save went on from the save's clock: what was played is its ticks.
        listing.played = listing.playable ? (float)((double)(replay.lastTick + 1) * WorldClock::TICK) : 0.0f;
        listed.push_back(std::move(listing));
    }
    return listed;
}

void ReplayDirector::OnMissionStart(int seed, int restore)
{
    // The replay's own mission is not recorded again.
    if (playing_) return;
    // A level still being recorded that never ended (nothing ends a level the program left) is
    // on the disk as far as it went.
    if (recordingOn_) WriteRecording();
    recordingOn_ = false;

    PlayerProfile* profile = GetPlayerProfile();
    recording_ = Replay();
    ReplayHeader& h = recording_.header;
    h.build = BuildDigest();
    h.startedAt = (uint64_t)time(nullptr);
    h.profileName = profile->ShownName();
    h.profile = profile->Text(true);
    h.difficulty = Config ? Config->Difficulty : 1;
    h.seed = seed;
    h.restore = restore ? 1 : 0;
    const MissionRecord* mission = MissionScreen::GetCurrentMission();
    const CelestialBody* body = TheGalaxy ? TheGalaxy->selectedBody : nullptr;
    if (mission && body) {
        h.missionKind = REPLAY_GALAXY_BODY;
        h.missionId = body->missionId;
        // The mission, and the world it is played on.
        h.missionName = MissionTitle(body);
        if (h.missionName.empty()) h.missionName = body->name;
        else if (body->name[0]) h.missionName += std::string(", ") + body->name;
    } else if (mission && !MissionScreen::scratchActive) {
        h.missionKind = REPLAY_STORY;
        h.missionId = MissionScreen::selectedIndex;
        h.missionName = mission->name;
    }
    if (TheGame && TheGame->levelNamed) {
        h.levelName = TheGame->levelName;
        if (!ReadWholeFile(h.levelName, &h.levelFile)) Log("WARNING: the level %s cannot be read for its replay\n", h.levelName.c_str());
        ReadWholeFile(VisitedMapPath(h.levelName.c_str()), &h.visitedFile);
    }

    const std::string folder = FolderOf((profile->flags & PROFILE_LOADED) ? profile->name : nullptr);
    SettleStoppedWrites(folder);
    char stamp[64];
    FormatLocalTime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", (time_t)h.startedAt);
    recordingPath_ = folder + "/" + stamp + REPLAY_EXTENSION;
    FileStatus status;
    for (int n = 2; GetFileStatus(recordingPath_.c_str(), status) == 0; ++n)
        recordingPath_ = folder + "/" + stamp + "-" + std::to_string(n) + REPLAY_EXTENSION;
    recordingOn_ = true;
    tick_ = -1;
}

void ReplayDirector::OnLevelBuild()
{
    tick_ = -1;
    StartLevelNumbers();
    if (playing_) {
        // The level is made from the game's sequences as they stood when it was played.
        const ReplayHeader& h = replay_.header;
        SRand(h.levelSequence);
        MwcGenerator program;
        program.z = h.programZ;
        program.w = h.programW;
        SetRandomMWCState(program);
        nextTick_ = nextCheck_ = 0;
        return;
    }
    if (!recordingOn_) return;
    ReplayHeader& h = recording_.header;
    h.levelSequence = RandState();
    const MwcGenerator program = RandomMWCState();
    h.programZ = program.z;
    h.programW = program.w;
}

void ReplayDirector::FeedTick()
{
    if (!playing_ || finished_) return;
    const uint32_t next = (uint32_t)(tick_ + 1);
    const std::vector<ReplayTick>& ticks = replay_.ticks;
    if (nextTick_ < ticks.size() && ticks[nextTick_].tick == next) {
        TheOrders.FeedForTick(ticks[nextTick_].orders);
        ++nextTick_;
    } else {
        TheOrders.FeedForTick({});
    }
}

void ReplayDirector::OnTick(const std::vector<PlayerOrder>& orders)
{
    ++tick_;
    if (!recordingOn_ || orders.empty()) return;
    ReplayTick tick;
    tick.tick = (uint32_t)tick_;
    tick.orders = orders;
    recording_.ticks.push_back(std::move(tick));
}

void ReplayDirector::OnTickEnd()
{
    if (tick_ < 0) return;
    if (recordingOn_) {
        if (tick_ % REPLAY_CHECK_TICKS == 0) recording_.checks.push_back({(uint32_t)tick_, DigestWorld()});
        recording_.lastTick = (uint32_t)tick_;
        recording_.endTime = MissionTime;
        if (tick_ % REPLAY_WRITE_TICKS == 0) WriteRecording();
    }
    if (playing_ && !finished_) {
        Compare();
        if (!finished_ && (uint32_t)tick_ >= replay_.lastTick) Finish();
    }
}

void ReplayDirector::OnLevelEnd()
{
    // The world is not digested here: what leaves a level (a lost mission's profile read again,
    // the rewards) may change it after its last tick.
    if (recordingOn_ && tick_ >= 0) {
        // A restart or an abort ends the level as it is given, before any tick takes it: it is
        // kept at the last tick that ran, where the player left.
        bool restarted = false;
        for (const PlayerOrder& order : TheOrders.WaitingOrders()) {
            if (order.kind != ORDER_RESTART && order.kind != ORDER_ABORT) continue;
            restarted = restarted || order.kind == ORDER_RESTART;
            if (recording_.ticks.empty() || recording_.ticks.back().tick != (uint32_t)tick_) {
                ReplayTick last;
                last.tick = (uint32_t)tick_;
                recording_.ticks.push_back(std::move(last));
            }
            recording_.ticks.back().orders.push_back(order);
        }
        // A mission won or lost stays so when the player restarts it from the window that says
        // so: the restart is its last order.
        const Agent* rig = GetPlayerRig();
        if (TheObjectives && TheObjectives->AllComplete())
            recording_.outcome = REPLAY_WON;
        else if ((TheInGameMenu && TheInGameMenu->failedShown) || !rig || (rig->flags & ENTITY_DEAD) || rig->health <= 0.0f)
            recording_.outcome = REPLAY_LOST;
        else if (restarted)
            recording_.outcome = REPLAY_RESTARTED;
        else
            recording_.outcome = REPLAY_ABANDONED;
        recording_.lastTick = (uint32_t)tick_;
        recording_.endTime = MissionTime;
        WriteRecording();
    }
    recordingOn_ = false;
    if (playing_) {
        StopParted("the level ended before its game did");
        GiveBackThePlayersOwn();
    }
    tick_ = -1;
}

void ReplayDirector::WriteRecording()
{
    if (recordingPath_.empty()) return;
    const std::string folder = recordingPath_.substr(0, recordingPath_.find_last_of('/'));
    FileStatus status;
    const bool first = GetFileStatus(recordingPath_.c_str(), status) != 0;
    if (!CreateFolder(folder.c_str()) || !WriteWholeFile(recordingPath_, WriteReplay(recording_))) {
        // A full disk or a folder taken away: the replay on the disk stays as it last was.
        Log("ERROR writing the replay %s: the one on the disk is kept\n", recordingPath_.c_str());
        return;
    }
    if (first) KeepNewest(folder);
}

void ReplayDirector::KeepNewest(const std::string& folder) const
{
    std::vector<std::string> names = ReplayFiles(folder);
    const size_t extra = names.size() > (size_t)REPLAYS_KEPT ? names.size() - REPLAYS_KEPT : 0;
    for (size_t i = 0; i < extra; ++i) {
        const std::string path = folder + "/" + names[i];
        if (path == recordingPath_) continue;
        if (remove(path.c_str()) != 0) Log("WARNING: the old replay %s cannot be removed\n", path.c_str());
    }
}

bool ReplayDirector::Open(const char* path, Replay* out, std::string* why, ReplayReading* refusal)
{
    std::string bytes;
    ReplayReading reading = REPLAY_BROKEN;
    if (!path || !ReadWholeFile(path, &bytes)) {
        *why = "the file cannot be read";
        *out = Replay();
    } else {
        reading = ReadReplay(bytes, BuildDigest(), out, why);
    }
    if (refusal) *refusal = reading;
    if (reading != REPLAY_READ) Log("ERROR: the replay %s cannot be played: %s\n", path ? path : "", why->c_str());
    return reading == REPLAY_READ;
}

bool ReplayDirector::Play(const std::string& path, const Replay& replay, bool verify)
{
    if (playing_ || !TheGame) return false;
    // A level being recorded ends before the replay takes its place.
    if (TheGame->state == GAME_STATE_PLAYING) TheGame->EndLevel();
    PlayerProfile* profile = GetPlayerProfile();
    ownProfile_ = profile->name;
    ownProfileLoaded_ = (profile->flags & PROFILE_LOADED) != 0;
    ownDifficulty_ = Config ? Config->Difficulty : 1;
    ownRequirementsIgnored_ = MissionRequirementsIgnored;

    replay_ = replay;
    playingPath_ = path;
    playing_ = true;
    verify_ = verify;
    finished_ = parted_ = false;
    difference_.clear();
    nextTick_ = nextCheck_ = 0;
    tick_ = -1;
    playbackSpeed_ = 1.0f;
    TheOrders.Clear();
    TheOrders.fedByReplay = true;

    const ReplayHeader& h = replay_.header;
    ProfileReading reading;
    reading.Take(h.profile, "the replay's profile");
    profile->Load(reading, true, true);
    if (Config) Config->Difficulty = h.difficulty;
    MissionRequirementsIgnored = false;

    TheGame->ClearLevelName();
    if (!h.levelName.empty()) {
        // The saved level it went on from, put where the level reads it.
        const std::string folder = FolderOf(h.profileName.c_str()) + "/" + PLAYING_FOLDER;
        const std::string level = folder + "/" + FileNameOf(h.levelName);
        if (!CreateFolder(folder.c_str()) || !WriteWholeFile(level, h.levelFile))
            Log("ERROR: the replay's saved level cannot be put in %s\n", level.c_str());
        const std::string visited = VisitedMapPath(level.c_str());
        if (!h.visitedFile.empty()) WriteWholeFile(visited, h.visitedFile);
        else remove(visited.c_str());
        TheGame->SetLevelName(level.c_str());
    }

    if (h.missionKind == REPLAY_GALAXY_BODY && TheGalaxy) {
        if (TheGalaxy->count < 1) profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
        CelestialBody* body = TheGalaxy->FindBodyByMissionId(h.missionId);
        // The level is the one it was played on, whatever seed the body carries now.
        if (body && h.seed >= 0) body->levelSeed = h.seed;
        TheGalaxy->selectedBody = body;
        if (body && TheGalaxy->StartSelectedMission(h.restore == 0)) return true;
        Log("WARNING: the replay's mission %d is not in its galaxy\n", (int)h.missionId);
    }
    if (TheGalaxy) TheGalaxy->selectedBody = nullptr;
    MissionScreen::scratchActive = false;
    MissionScreen::selectedIndex = h.missionKind == REPLAY_STORY ? h.missionId : -1;
    MissionScreen::StartMission(h.seed, h.restore);
    return true;
}

void ReplayDirector::Compare()
{
    const std::vector<ReplayCheck>& checks = replay_.checks;
    while (nextCheck_ < checks.size() && checks[nextCheck_].tick < (uint32_t)tick_) ++nextCheck_;
    if (nextCheck_ >= checks.size() || checks[nextCheck_].tick != (uint32_t)tick_) return;
    const ReplayCheck& check = checks[nextCheck_++];
    const WorldDigest now = DigestWorld();
    if (now.sum == check.digest.sum) return;
    const std::string difference = FirstDifference(check.digest, now);
    StopParted(difference.empty() ? "the world's sum" : difference);
    if (verify_) return;
    GamePaused = true;
    Say("This replay parts from its game at " + ReplayClockText(partedTime_) + " (tick " + std::to_string(partedAt_) + ")");
}

void ReplayDirector::StopParted(const std::string& why)
{
    if (finished_) return;
    parted_ = finished_ = true;
    partedAt_ = tick_ < 0 ? 0 : (uint32_t)tick_;
    partedTime_ = MissionTime;
    difference_ = why;
    Log("ERROR: the replay %s parts from its game at tick %u: %s\n", playingPath_.c_str(), partedAt_, why.c_str());
}

void ReplayDirector::Finish()
{
    finished_ = true;
    if (verify_) return;
    // The end is the viewer's: the level is left for the list, and the word says how the game
    // ended. Nothing of the game's own end (its windows, rewards or results) is played.
    const std::string word = std::string("This replay ends here: the game was ") + ReplayOutcomeWord(replay_.outcome) +
                             " at " + ReplayClockText(replay_.endTime) + ".";
    Leave();
    Say(word);
}

void ReplayDirector::Leave()
{
    if (!playing_ || !TheGame) return;
    GamePaused = false;
    TheGame->EndLevel();
    CloseAllGameWindows();
    TheGame->state = GAME_STATE_FRONT_END;
    ShowReplays(nullptr, nullptr);
}

std::string ReplayDirector::VerdictLine() const
{
    const std::string file = playingPath_;
    if (parted_)
        return "replay " + file + " parts at tick " + std::to_string(partedAt_) + " (" + ReplayClockText(partedTime_) +
               "): " + difference_;
    return "replay " + file + ": the same game, " + std::to_string(replay_.lastTick + 1) + " ticks, " +
           ReplayOutcomeWord(replay_.outcome) + " at " + ReplayClockText(replay_.endTime);
}

void ReplayDirector::SetPlaybackSpeed(float speed)
{
    playbackSpeed_ = std::clamp(speed, PLAYBACK_SLOWEST, PLAYBACK_FASTEST);
}

void ReplayDirector::GiveBackThePlayersOwn()
{
    playing_ = false;
    playbackSpeed_ = 1.0f;
    TheOrders.fedByReplay = false;
    TheOrders.Clear();
    if (Config) Config->Difficulty = ownDifficulty_;
    MissionRequirementsIgnored = ownRequirementsIgnored_;
    PlayerProfile* profile = GetPlayerProfile();
    if (!ownProfileLoaded_ || !profile->LoadByName(ownProfile_.c_str())) profile->TakeNewPlayerStart();
    if (TheGalaxy) {
        TheGalaxy->Reset();
        profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
    }
}
