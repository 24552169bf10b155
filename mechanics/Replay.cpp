#include "mechanics/Replay.h"

#include "campaign/PlayerProfile.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/ScreenHooks.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Animation.h"
#include "terrain/VisitedMap.h"
#include "world/Agent.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>
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

// The build's digest for replays of a format version this game reads.
uint64_t BuildDigest(uint32_t format = REPLAY_FORMAT_VERSION)
{
    static const std::vector<uint64_t> digests = [] {
        std::vector<uint64_t> each;
        for (uint32_t read = REPLAY_OLDEST_FORMAT; read <= REPLAY_FORMAT_VERSION; ++read) each.push_back(ReplayBuildDigest(read));
        return each;
    }();
    if (format < REPLAY_OLDEST_FORMAT || format > REPLAY_FORMAT_VERSION) format = REPLAY_FORMAT_VERSION;
    return digests[format - REPLAY_OLDEST_FORMAT];
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
                               ReadReplay(bytes, BuildDigest(ReplayFormatOf(bytes)), &read, &why) == REPLAY_READ &&
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
    TheScreenHooks->SayAboutReplay(text);
}

// Processor seconds of the calling thread.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return (double)now.tv_sec + now.tv_nsec * 1e-9;
}

// Seconds as the wall clock goes: how long a write kept the writer.
double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The recorder's pieces of a tick are timed by the thread's processor clock, so that a machine
// busy with other programs does not charge the recorder its waiting. That clock is a call into
// the system, dearer than most ticks' recording it would time: the plain ticks (their sum and
// nothing more) are timed one in ROUTINE_SAMPLE (a number prime to the cadences of the checks,
// the blocks and the saves, so that every kind of tick is sampled alike) and their whole counted
// at the sampled mean; every tick that does more (a check, a save's hash, a block sealed, the
// orders kept) is timed itself.
constexpr uint32_t ROUTINE_SAMPLE = 13;

// What reading the clock twice costs with nothing between, the least of a few tries: taken off
// each piece timed, so that the clock's own cost is not charged to the recorder (the least, so
// that the recorder is never charged less than its work).
double ClockReadingCost()
{
    static const double cost = [] {
        double least = 1.0;
        for (int i = 0; i < 16; ++i) {
            const double began = ThreadSeconds();
            least = std::min(least, ThreadSeconds() - began);
        }
        return least;
    }();
    return cost;
}

// The processor seconds since `began` (a ThreadSeconds() reading), the clock's own cost taken off.
double ThreadSecondsSince(double began)
{
    return std::max(0.0, ThreadSeconds() - began - ClockReadingCost());
}

// The newest REPLAYS_KEPT of the folder stay; `keep` (the one being recorded) always does.
void KeepNewest(const std::string& folder, const std::string& keep)
{
    std::vector<std::string> names = ReplayFiles(folder);
    const size_t extra = names.size() > (size_t)REPLAYS_KEPT ? names.size() - REPLAYS_KEPT : 0;
    for (size_t i = 0; i < extra; ++i) {
        const std::string path = folder + "/" + names[i];
        if (path == keep) continue;
        if (remove(path.c_str()) != 0) Log("WARNING: the old replay %s cannot be removed\n", path.c_str());
    }
}

}  // namespace

// The recording's disk work, on a thread of its own: the header written once to a temporary
// file, synced and renamed into place, then each block appended (the blocks waiting joined in
// one write), and the file synced once more at the level's end. A block the disk refuses (full,
// taken away) is cut off again, so that the file stays its header and whole blocks, and tried
// again with the next; nothing after it is written before it.
class ReplayWriter {
public:
    ReplayWriter() : thread_([this] { Run(); }) {}
    ~ReplayWriter()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
        if (file_) fclose(file_);
    }
    void Begin(const std::string& path, std::string header) { Give({JOB_BEGIN, path, std::move(header)}); }
    void Append(std::string block) { Give({JOB_APPEND, std::string(), std::move(block)}); }
    void Close() { Give({JOB_CLOSE, std::string(), std::string()}); }
    // Until the queue is empty, or the disk has refused what is at its head.
    void Drain()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return jobs_.empty() || failing_; });
    }
    void AddWork(ReplayRecorderWork* work) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        work->writeSeconds += seconds_;
        work->longestWrite = std::max(work->longestWrite, longest_);
        work->writes += writes_;
    }

private:
    enum JobKind { JOB_BEGIN, JOB_APPEND, JOB_CLOSE };
    struct Job {
        JobKind kind;
        std::string path;
        std::string bytes;
    };
    void Give(Job job)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            jobs_.push_back(std::move(job));
        }
        wake_.notify_all();
    }
    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            // A refused write is tried again when more comes, or a second later.
            if (failing_) wake_.wait_for(lock, std::chrono::seconds(1));
            else wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) {
                if (stopping_) return;
                continue;
            }
            // The blocks waiting go out in one write: a disk slow for a while costs one write
            // when it comes back, not one for each block held up.
            size_t taken = 1;
            Job job = std::move(jobs_.front());
            while (job.kind == JOB_APPEND && taken < jobs_.size() && jobs_[taken].kind == JOB_APPEND)
                job.bytes += jobs_[taken++].bytes;
            lock.unlock();
            const double wall = WallSeconds(), cpu = ThreadSeconds();
            const bool written = Do(job);
            const double took = WallSeconds() - wall, used = ThreadSeconds() - cpu;
            lock.lock();
            seconds_ += used;
            longest_ = std::max(longest_, took);
            ++writes_;
            failing_ = !written;
            if (written) {
                jobs_.erase(jobs_.begin(), jobs_.begin() + (long)taken);
            } else {
                // Tried again whole: the blocks it joined wait as one.
                jobs_.erase(jobs_.begin() + 1, jobs_.begin() + (long)taken);
                jobs_.front() = std::move(job);
            }
            // Stopping with the disk refusing: what it refused is lost, the file stays whole.
            if (!written && stopping_) jobs_.clear();
            done_.notify_all();
        }
    }
    bool Do(const Job& job)
    {
        switch (job.kind) {
        case JOB_BEGIN: {
            if (file_) fclose(file_);
            file_ = nullptr;
            path_ = job.path;
            const std::string folder = path_.substr(0, path_.find_last_of('/'));
            if (!CreateFolder(folder.c_str()) || !WriteWholeFile(path_, job.bytes) || !SyncFolder(folder.c_str())) {
                Log("ERROR writing the replay %s: it is not recorded\n", path_.c_str());
                path_.clear();
                return true;
            }
            size_ = job.bytes.size();
            file_ = fopen(path_.c_str(), "ab");
            if (!file_) Log("ERROR opening the replay %s to add to it\n", path_.c_str());
            KeepNewest(folder, path_);
            return true;
        }
        case JOB_APPEND: {
            if (!file_) return true;
            // Not synced block by block: a program killed or stopped leaves what it wrote with
            // the system, which puts it on the disk in its own time; only a power cut can take
            // the last blocks, and the file still reads as its header and the whole blocks
            // before them. A sync a block would cost more than all the recording's other work.
            const bool written = fwrite(job.bytes.data(), 1, job.bytes.size(), file_) == job.bytes.size() && fflush(file_) == 0;
            if (written) {
                size_ += job.bytes.size();
                return true;
            }
            // What went out of the refused block is taken off again: the file ends at a whole block.
            Log("ERROR adding to the replay %s: its last %zu bytes wait for room\n", path_.c_str(), job.bytes.size());
            clearerr(file_);
            if (ftruncate(fileno(file_), (off_t)size_) != 0) Log("ERROR: the replay %s cannot be cut back\n", path_.c_str());
            fseek(file_, 0, SEEK_END);
            return false;
        }
        case JOB_CLOSE:
            // The level's end is on the disk before the file is let go.
            if (file_ && !SyncFile(file_)) Log("WARNING: the replay %s cannot be synced\n", path_.c_str());
            if (file_) fclose(file_);
            file_ = nullptr;
            return true;
        }
        return true;
    }

    mutable std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<Job> jobs_;
    bool stopping_ = false, failing_ = false;
    double seconds_ = 0.0, longest_ = 0.0;
    int writes_ = 0;
    // The thread's own.
    FILE* file_ = nullptr;
    std::string path_;
    size_t size_ = 0;
    std::thread thread_;
};

ReplayDirector::~ReplayDirector() { delete writer_; }

ReplayRecorderWork ReplayDirector::RecorderWork() const
{
    ReplayRecorderWork work;
    work.seconds = recorderSeconds_;
    if (sampledTicks_ > 0) work.seconds += sampledSeconds_ * (double)routineTicks_ / (double)sampledTicks_;
    work.longest = longestRecorder_;
    if (writer_) writer_->AddWork(&work);
    return work;
}

void ReplayDirector::FlushRecording()
{
    if (writer_) writer_->Drain();
}

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
    TheReplay.FlushRecording();
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
    if (recordingOn_ && headerWritten_ && block_.TickCount() > 0) SealBlock(false);
    recordingOn_ = false;
    // A new file's name is chosen beside what is already on the disk.
    FlushRecording();

    PlayerProfile* profile = GetPlayerProfile();
    header_ = ReplayHeader();
    ReplayHeader& h = header_;
    h.build = BuildDigest();
    h.startedAt = (uint64_t)time(nullptr);
    h.profileName = profile->ShownName();
    h.profile = profile->Text(true);
    h.difficulty = Config ? Config->Difficulty : 1;
    h.seed = seed;
    h.restore = restore ? 1 : 0;
    TheScreenHooks->NameReplayMission(h);
    if (TheGame && TheGame->levelNamed) {
        h.levelName = TheGame->levelName;
        if (!ReadWholeFile(h.levelName, &h.levelFile)) Log("WARNING: the level %s cannot be read for its replay\n", h.levelName.c_str());
        ReadWholeFile(VisitedMapPath(h.levelName.c_str()), &h.visitedFile);
    }

    const std::string folder = FolderOf((profile->flags & PROFILE_LOADED) ? profile->name : nullptr);
    SettleStoppedWrites(folder);
    char stamp[64];
    FormatLocalTime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", (time_t)h.startedAt);
    const std::string previous = recordingPath_;
    recordingPath_ = folder + "/" + stamp + REPLAY_EXTENSION;
    FileStatus status;
    for (int n = 2; recordingPath_ == previous || GetFileStatus(recordingPath_.c_str(), status) == 0; ++n)
        recordingPath_ = folder + "/" + stamp + "-" + std::to_string(n) + REPLAY_EXTENSION;
    recordingOn_ = true;
    headerWritten_ = false;
    block_ = Replay();
    blockFirst_ = 0;
    tick_ = -1;
}

void ReplayDirector::OnLevelBuild()
{
    tick_ = -1;
    StartLevelNumbers();
    if (playing_) {
        // The level is made from the game's sequences as they stood when it was played, under
        // the settings it was played with.
        const ReplayHeader& h = replay_.header;
        SRand(h.levelSequence);
        MwcGenerator program;
        program.z = h.programZ;
        program.w = h.programW;
        SetRandomMWCState(program);
        AnimationPlay = h.playAnimation != 0;
        nextTick_ = nextCheck_ = nextSave_ = 0;
        differedAt_ = -1;
        return;
    }
    if (!recordingOn_) return;
    ReplayHeader& h = header_;
    h.levelSequence = RandState();
    const MwcGenerator program = RandomMWCState();
    h.programZ = program.z;
    h.programW = program.w;
    h.unitSpeed = Config ? Config->unitSpeed : 1.0f;
    h.damageAdjust = Config ? Config->DamageAdjust : 0.0f;
    h.playAnimation = AnimationPlay ? 1 : 0;
    headerWritten_ = false;
    block_ = Replay();
    blockFirst_ = 0;
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
    if (!recordingOn_) return;
    // Most ticks give the recorder nothing to do here: they are not timed, as the clock's two
    // readings would cost more than what they time.
    const bool sealing = block_.TickCount() >= (uint32_t)REPLAY_BLOCK_TICKS;
    if (headerWritten_ && !sealing && orders.empty()) return;
    const double began = ThreadSeconds();
    if (!headerWritten_) {
        // The header once, as the level's first tick begins: a level left before it has no replay.
        if (!writer_) writer_ = new ReplayWriter();
        writer_->Begin(recordingPath_, WriteReplayHeader(header_));
        headerWritten_ = true;
    }
    // The block before is sealed only now: a restart or an abort given after its last tick
    // still lands in it.
    if (sealing) SealBlock(false);
    if (!orders.empty()) {
        ReplayTick tick;
        tick.tick = (uint32_t)tick_;
        tick.orders = orders;
        block_.ticks.push_back(std::move(tick));
    }
    Charge(ThreadSecondsSince(began));
}

void ReplayDirector::Charge(double seconds)
{
    recorderSeconds_ += seconds;
    longestRecorder_ = std::max(longestRecorder_, seconds);
}

void ReplayDirector::OnTickEnd()
{
    if (tick_ < 0) return;
    if (recordingOn_ && headerWritten_) {
        const uint32_t tick = (uint32_t)tick_;
        const bool check = tick % REPLAY_CHECK_TICKS == 0 || (tick + 1) % REPLAY_BLOCK_TICKS == 0;
        const bool routine = !check && !ReplaySaveCheckAt(tick);
        const bool timed = !routine || tick % ROUTINE_SAMPLE == 0;
        const double began = timed ? ThreadSeconds() : 0.0;
        // The digest is taken into the last one's room, each entity's only where a check keeps
        // it: the tick's sum covers the same.
        DigestWorld(&lastDigest_, ReplaySumKind(REPLAY_FORMAT_VERSION), check);
        const WorldDigest& digest = lastDigest_;
        block_.tickSums.push_back(digest.sum);
        block_.tickGroups.insert(block_.tickGroups.end(), digest.world, digest.world + WORLD_GROUPS);
        block_.endTime = MissionTime;
        if (check) block_.checks.push_back({tick, digest});
        if (ReplaySaveCheckAt(tick)) block_.saves.push_back({tick, DigestSave()});
        if (routine) ++routineTicks_;
        if (timed && routine) {
            const double took = ThreadSecondsSince(began);
            sampledSeconds_ += took;
            ++sampledTicks_;
            longestRecorder_ = std::max(longestRecorder_, took);
        } else if (timed) {
            Charge(ThreadSecondsSince(began));
        }
    }
    if (playing_ && !finished_) {
        Compare();
        if (!finished_ && (uint32_t)tick_ >= replay_.lastTick) Finish();
    }
}

void ReplayDirector::SealBlock(bool end)
{
    if (!writer_) return;
    writer_->Append(WriteReplayBlock(block_, blockFirst_, end));
    blockFirst_ += block_.TickCount();
    block_ = Replay();
}

uint8_t ReplayDirector::OutcomeNow(bool restarted) const
{
    // A mission won or lost stays so when the player restarts it from the window that says so.
    const Agent* rig = GetPlayerRig();
    if (TheObjectives && TheObjectives->AllComplete()) return REPLAY_WON;
    if ((TheScreenHooks && TheScreenHooks->MissionFailedShown()) || !rig || (rig->flags & ENTITY_DEAD) || rig->health <= 0.0f)
        return REPLAY_LOST;
    return restarted ? REPLAY_RESTARTED : REPLAY_ABANDONED;
}

void ReplayDirector::OnLevelEnd()
{
    // The world is not digested here, but at its last tick's end: what leaves a level (a lost
    // mission's profile read again, the rewards, the menu that ends it) may change it after, and
    // a replay's play cannot stand where the hand stood then.
    if (recordingOn_ && headerWritten_ && tick_ >= 0) {
        const double began = ThreadSeconds();
        const uint32_t last = (uint32_t)tick_;
        // A restart or an abort ends the level as it is given, before any tick takes it: it is
        // kept at the last tick that ran, where the player left.
        bool restarted = false;
        for (const PlayerOrder& order : TheOrders.WaitingOrders()) {
            if (order.kind != ORDER_RESTART && order.kind != ORDER_ABORT) continue;
            restarted = restarted || order.kind == ORDER_RESTART;
            if (block_.ticks.empty() || block_.ticks.back().tick != last) {
                ReplayTick tick;
                tick.tick = last;
                block_.ticks.push_back(std::move(tick));
            }
            block_.ticks.back().orders.push_back(order);
        }
        const WorldSumKind kind = ReplaySumKind(REPLAY_FORMAT_VERSION);
        if (blockFirst_ + block_.TickCount() <= last) {
            // A level ended inside its tick: its world as it stands is that tick's.
            DigestWorld(&lastDigest_, kind);
            block_.tickSums.push_back(lastDigest_.sum);
            block_.tickGroups.insert(block_.tickGroups.end(), lastDigest_.world, lastDigest_.world + WORLD_GROUPS);
        } else if (block_.checks.empty() || block_.checks.back().tick != last) {
            // The last tick's entities were not digested as it ended: they are now, if leaving
            // the level has changed nothing of the world since, and the tick's sum becomes the
            // one taken with them. If it has, the last check holds the tick's sum alone, which a
            // play compares as it was taken.
            WorldDigest now;
            DigestWorld(&now, kind, false);
            if (now.sum == lastDigest_.sum && !block_.tickSums.empty()) {
                DigestWorld(&lastDigest_, kind, true);
                block_.tickSums.back() = lastDigest_.sum;
                std::copy(lastDigest_.world, lastDigest_.world + WORLD_GROUPS, block_.tickGroups.end() - WORLD_GROUPS);
            } else {
                Log("NOTE: the world changed as the level was left: the replay's last check holds its sum alone\n");
            }
        }
        if (block_.checks.empty() || block_.checks.back().tick != last) block_.checks.push_back({last, lastDigest_});
        block_.outcome = OutcomeNow(restarted);
        block_.endTime = MissionTime;
        SealBlock(true);
        writer_->Close();
        Charge(ThreadSecondsSince(began));
        const ReplayRecorderWork work = RecorderWork();
        Log("Replay %s: %u ticks recorded; the recorder's work %.1f ms (longest %.2f ms), the writer's %.1f ms "
            "(longest write %.2f ms)\n",
            recordingPath_.c_str(), last + 1, work.seconds * 1e3, work.longest * 1e3, work.writeSeconds * 1e3,
            work.longestWrite * 1e3);
    }
    recordingOn_ = false;
    if (playing_) {
        StopParted("the level ended before its game did");
        GiveBackThePlayersOwn();
    }
    tick_ = -1;
}

bool ReplayDirector::Open(const char* path, Replay* out, std::string* why, ReplayReading* refusal)
{
    // A replay still being written is read as far as it is on the disk.
    TheReplay.FlushRecording();
    std::string bytes;
    ReplayReading reading = REPLAY_BROKEN;
    if (!path || !ReadWholeFile(path, &bytes)) {
        *why = "the file cannot be read";
        *out = Replay();
    } else {
        reading = ReadReplay(bytes, BuildDigest(ReplayFormatOf(bytes)), out, why);
        if (reading == REPLAY_READ && out->TickCount() == 0) {
            *why = "the recording holds no tick of play";
            *out = Replay();
            reading = REPLAY_BROKEN;
        }
    }
    if (refusal) *refusal = reading;
    if (reading != REPLAY_READ) Log("ERROR: the replay %s cannot be played: %s\n", path ? path : "", why->c_str());
    else if (!out->ended) Log("The replay %s was not ended: %s\n", path, why->c_str());
    return reading == REPLAY_READ;
}

bool ReplayDirector::Play(const std::string& path, const Replay& replay, bool verify)
{
    if (playing_ || !TheGame || replay.TickCount() == 0) return false;
    // A level being recorded ends before the replay takes its place.
    if (TheGame->state == GAME_STATE_PLAYING) TheGame->EndLevel();
    PlayerProfile* profile = GetPlayerProfile();
    ownProfile_ = profile->name;
    ownProfileLoaded_ = (profile->flags & PROFILE_LOADED) != 0;
    ownDifficulty_ = Config ? Config->Difficulty : 1;
    ownUnitSpeed_ = Config ? Config->unitSpeed : 1.0f;
    ownDamageAdjust_ = Config ? Config->DamageAdjust : 0.0f;
    ownAnimationPlay_ = AnimationPlay;
    ownRequirementsIgnored_ = TheScreenHooks->RequirementsIgnored();

    replay_ = replay;
    playingPath_ = path;
    playing_ = true;
    verify_ = verify;
    finished_ = parted_ = false;
    difference_.clear();
    nextTick_ = nextCheck_ = nextSave_ = 0;
    differedAt_ = -1;
    reached_ = REPLAY_STOPPED;
    reachedTime_ = 0.0f;
    tick_ = -1;
    playbackSpeed_ = 1.0f;
    TheOrders.Clear();
    TheOrders.fedByReplay = true;

    const ReplayHeader& h = replay_.header;
    TheScreenHooks->TakeReplayProfile(h.profile);
    if (Config) {
        Config->Difficulty = h.difficulty;
        Config->unitSpeed = h.unitSpeed;
        Config->DamageAdjust = h.damageAdjust;
    }
    AnimationPlay = h.playAnimation != 0;
    TheScreenHooks->SetRequirementsIgnored(false);
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

    TheScreenHooks->StartReplayMission(h);
    return true;
}

void ReplayDirector::Compare()
{
    const uint32_t tick = (uint32_t)tick_;
    if (tick >= replay_.TickCount()) return;
    const std::vector<ReplayCheck>& checks = replay_.checks;
    while (nextCheck_ < checks.size() && checks[nextCheck_].tick < tick) ++nextCheck_;
    const ReplayCheck* check = nextCheck_ < checks.size() && checks[nextCheck_].tick == tick ? &checks[nextCheck_++] : nullptr;
    // Summed as the file was recorded, each entity's digest where the file holds one to compare
    // (a check kept without them is compared as it was taken).
    DigestWorld(&playedDigest_, ReplaySumKind(replay_.format), check && !check->digest.entities.empty());
    const WorldDigest& now = playedDigest_;
    if (differedAt_ < 0 && (now.sum != replay_.tickSums[tick] || (check && check->digest.sum != now.sum))) {
        differedAt_ = tick;
        differedTime_ = MissionTime;
    }
    if (differedAt_ == (int64_t)tick && !check) {
        // The level's own state says where at once; an entity, only at its next digest.
        const std::string where = WorldGroupDifference(&replay_.tickGroups[(size_t)tick * WORLD_GROUPS], now);
        if (!where.empty()) {
            PartAt(tick, MissionTime, where);
            return;
        }
    }
    if (differedAt_ >= 0) {
        // The tick it parted at is known; where it parted, from the first entity digest since.
        if (!check && tick < replay_.lastTick) return;
        std::string where = check ? FirstDifference(check->digest, now) : std::string();
        if (where.empty()) where = "the world's sum";
        if ((int64_t)tick != differedAt_) where += ", as told by the digest of tick " + std::to_string(tick);
        PartAt((uint32_t)differedAt_, differedTime_, where);
        return;
    }
    const std::vector<ReplaySaveCheck>& saves = replay_.saves;
    while (nextSave_ < saves.size() && saves[nextSave_].tick < tick) ++nextSave_;
    if (nextSave_ >= saves.size() || saves[nextSave_].tick != tick) return;
    const ReplaySaveCheck& save = saves[nextSave_++];
    const SaveDigest held = DigestSave();
    if (held == save.digest) return;
    std::string where = SaveDifference(save.digest, held);
    const uint32_t agreed = nextSave_ >= 2 ? saves[nextSave_ - 2].tick : 0;
    where += nextSave_ >= 2 ? ", which agreed at tick " + std::to_string(agreed) : std::string(", checked first here");
    PartAt(tick, MissionTime, where);
}

void ReplayDirector::PartAt(uint32_t tick, float time, const std::string& why)
{
    if (finished_) return;
    parted_ = finished_ = true;
    partedAt_ = tick;
    partedTime_ = time;
    difference_ = why;
    Log("ERROR: the replay %s parts from its game at tick %u: %s\n", playingPath_.c_str(), partedAt_, why.c_str());
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
    // How the game ended, as this play reached it: the file's word is only compared with it.
    bool restarted = false;
    if (!replay_.ticks.empty() && replay_.ticks.back().tick == replay_.lastTick)
        for (const PlayerOrder& order : replay_.ticks.back().orders) restarted = restarted || order.kind == ORDER_RESTART;
    reached_ = replay_.ended ? OutcomeNow(restarted) : (uint8_t)REPLAY_STOPPED;
    reachedTime_ = MissionTime;
    if (replay_.ended && reached_ != replay_.outcome) {
        PartAt(replay_.lastTick, MissionTime,
               std::string("its game was ") + ReplayOutcomeWord(replay_.outcome) + ", this play " + ReplayOutcomeWord(reached_));
        return;
    }
    finished_ = true;
    if (verify_) return;
    // The end is the viewer's: the level is left for the list, and the word says how the game
    // ended as this play reached it. Nothing of the game's own end (its windows, rewards or
    // results) is played.
    const std::string word =
        replay_.ended ? std::string("This replay ends here: the game was ") + ReplayOutcomeWord(reached_) + " at " +
                            ReplayClockText(reachedTime_) + "."
                      : "This replay ends here, at " + ReplayClockText(reachedTime_) + ": its recording stops.";
    Leave();
    Say(word);
}

void ReplayDirector::Leave()
{
    if (!playing_ || !TheGame) return;
    GamePaused = false;
    TheGame->EndLevel();
    TheGame->state = GAME_STATE_FRONT_END;
    TheScreenHooks->ShowReplayList();
}

std::string ReplayDirector::VerdictLine() const
{
    const std::string file = playingPath_;
    if (parted_)
        return "replay " + file + " parts at tick " + std::to_string(partedAt_) + " (" + ReplayClockText(partedTime_) +
               "): " + difference_;
    const std::string ticks = std::to_string(replay_.lastTick + 1) + " ticks";
    if (!replay_.ended)
        return "replay " + file + ": the same game as far as it was recorded, " + ticks + ", to " +
               ReplayClockText(reachedTime_) + " (the file stops there)";
    return "replay " + file + ": the same game, " + ticks + ", " + ReplayOutcomeWord(reached_) + " at " +
           ReplayClockText(reachedTime_);
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
    if (Config) {
        Config->Difficulty = ownDifficulty_;
        Config->unitSpeed = ownUnitSpeed_;
        Config->DamageAdjust = ownDamageAdjust_;
    }
    AnimationPlay = ownAnimationPlay_;
    TheScreenHooks->SetRequirementsIgnored(ownRequirementsIgnored_);
    TheScreenHooks->GiveBackProfile(ownProfile_, ownProfileLoaded_);
}
