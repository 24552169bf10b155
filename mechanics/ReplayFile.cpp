#include "mechanics/ReplayFile.h"

#include "platform/Files.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char MAGIC[8] = {'V', 'M', 'R', 'E', 'P', 'L', 'A', 'Y'};
// The longest text a header carries: a profile, a saved level.
constexpr uint32_t LONGEST_TEXT = 64u << 20;

uint64_t Fnv(const std::string& bytes, size_t size)
{
    uint64_t sum = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) sum = (sum ^ (unsigned char)bytes[i]) * 1099511628211ull;
    return sum;
}

struct Writer {
    std::string out;
    void U8(uint8_t v) { out.push_back((char)v); }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) out.push_back((char)(v >> (8 * i) & 0xff));
    }
    void U64(uint64_t v)
    {
        for (int i = 0; i < 8; ++i) out.push_back((char)(v >> (8 * i) & 0xff));
    }
    void Float(float v)
    {
        uint32_t bits;
        memcpy(&bits, &v, 4);
        U32(bits);
    }
    void Text(const std::string& text)
    {
        U32((uint32_t)text.size());
        out += text;
    }
};

struct Reader {
    const std::string& in;
    size_t at = 0;
    size_t end;
    bool ok = true;
    bool Has(size_t n) { return ok && (ok = end >= at && end - at >= n); }
    uint8_t U8()
    {
        if (!Has(1)) return 0;
        return (uint8_t)in[at++];
    }
    uint32_t U32()
    {
        if (!Has(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= (uint32_t)(unsigned char)in[at + i] << (8 * i);
        at += 4;
        return v;
    }
    uint64_t U64()
    {
        const uint64_t low = U32();
        return low | (uint64_t)U32() << 32;
    }
    float Float()
    {
        const uint32_t bits = U32();
        float v;
        memcpy(&v, &bits, 4);
        return v;
    }
    std::string Text()
    {
        const uint32_t length = U32();
        if (!ok || length > LONGEST_TEXT || !Has(length)) {
            ok = false;
            return std::string();
        }
        std::string text = in.substr(at, length);
        at += length;
        return text;
    }
    // A count of items of at least `least` bytes each: never more than the bytes left hold.
    uint32_t Count(size_t least)
    {
        const uint32_t count = U32();
        if (ok && (size_t)count > (end - at) / least) ok = false;
        return ok ? count : 0;
    }
};

// The bytes an order takes at the least: its kind and four counts and values.
constexpr size_t LEAST_ORDER = 2 + 4 + 4 + 12 + 8 + 4;
// A length and its complement lead the header's body and each block: a changed length is told
// from a file cut short.
constexpr size_t LENGTH_BYTES = 8;
constexpr size_t CHECK_BYTES = 8;
constexpr size_t HEADER_START = sizeof MAGIC + 4;

enum BlockKind : uint8_t { BLOCK_TICKS = 0, BLOCK_END = 1 };

void Seal(Writer& w, const std::string& payload, uint64_t check)
{
    w.U32((uint32_t)payload.size());
    w.U32(~(uint32_t)payload.size());
    w.out += payload;
    w.U64(check);
}

std::string HeaderPayload(const ReplayHeader& h)
{
    Writer w;
    w.U64(h.build);
    w.U64(h.startedAt);
    w.Text(h.profileName);
    w.Text(h.profile);
    w.U32((uint32_t)h.difficulty);
    w.U32((uint32_t)h.seed);
    w.U8(h.restore);
    w.U8(h.missionKind);
    w.U32((uint32_t)h.missionId);
    w.Text(h.missionName);
    w.Text(h.levelName);
    w.Text(h.levelFile);
    w.Text(h.visitedFile);
    w.U32(h.levelSequence);
    w.U32(h.programZ);
    w.U32(h.programW);
    w.Float(h.unitSpeed);
    w.Float(h.damageAdjust);
    w.U8(h.playAnimation);
    return w.out;
}

// The block of ticks first .. first + count - 1 of r, whose sum of tick t is r.tickSums[t - sumsFrom].
std::string BlockBytes(const Replay& r, uint32_t sumsFrom, uint32_t first, uint32_t count, bool end, float clock)
{
    const uint32_t past = first + count;
    auto within = [&](uint32_t tick) { return tick >= first && tick < past; };
    Writer w;
    w.U8(end ? BLOCK_END : BLOCK_TICKS);
    w.U32(first);
    w.Float(clock);
    w.U32(count);
    size_t order = 0;
    while (order < r.ticks.size() && r.ticks[order].tick < first) ++order;
    for (uint32_t tick = first; tick < past; ++tick) {
        w.U64(r.tickSums[tick - sumsFrom]);
        const size_t groups = (size_t)(tick - sumsFrom) * WORLD_GROUPS;
        for (int g = 0; g < WORLD_GROUPS; ++g) w.U8(groups + g < r.tickGroups.size() ? r.tickGroups[groups + g] : 0);
        const bool given = order < r.ticks.size() && r.ticks[order].tick == tick;
        w.U32(given ? (uint32_t)r.ticks[order].orders.size() : 0u);
        if (given)
            for (const PlayerOrder& o : r.ticks[order++].orders) AppendOrder(w.out, o);
    }
    std::vector<const ReplayCheck*> checks;
    for (const ReplayCheck& check : r.checks)
        if (within(check.tick)) checks.push_back(&check);
    w.U32((uint32_t)checks.size());
    for (const ReplayCheck* check : checks) {
        w.U32(check->tick);
        w.U64(check->digest.sum);
        w.out.append(reinterpret_cast<const char*>(check->digest.world), WORLD_GROUPS);
        w.U32((uint32_t)check->digest.EntityCount());
        w.out.append(check->digest.entities.begin(), check->digest.entities.begin() + check->digest.EntityCount() * 2);
    }
    std::vector<const ReplaySaveCheck*> saves;
    for (const ReplaySaveCheck& save : r.saves)
        if (within(save.tick)) saves.push_back(&save);
    w.U32((uint32_t)saves.size());
    for (const ReplaySaveCheck* save : saves) {
        w.U32(save->tick);
        for (uint64_t part : save->digest.parts) w.U64(part);
    }
    if (end) w.U8(r.outcome);
    Writer sealed;
    Seal(sealed, w.out, Fnv(w.out, w.out.size()));
    return sealed.out;
}

// Reads one block's payload into out; false when it does not hold together with what came before.
bool ReadBlock(const std::string& payload, Replay* out, bool* end)
{
    Reader r{payload, 0, payload.size()};
    const uint8_t kind = r.U8();
    const uint32_t first = r.U32();
    const float clock = r.Float();
    const uint32_t count = r.Count(8 + WORLD_GROUPS + 4);
    if (!r.ok || kind > BLOCK_END || first != out->TickCount()) return false;
    *end = kind == BLOCK_END;
    // Only a level that ran no tick at all ends in a block of none.
    if (count == 0 && !(*end && first == 0)) return false;
    const uint32_t past = first + count;
    for (uint32_t tick = first; r.ok && tick < past; ++tick) {
        out->tickSums.push_back(r.U64());
        for (int g = 0; g < WORLD_GROUPS; ++g) out->tickGroups.push_back(r.U8());
        const uint32_t orders = r.Count(LEAST_ORDER);
        if (!r.ok || orders == 0) continue;
        ReplayTick given;
        given.tick = tick;
        for (uint32_t j = 0; r.ok && j < orders; ++j) {
            PlayerOrder order;
            if (!ReadOrder(payload, &r.at, &order)) r.ok = false;
            else given.orders.push_back(std::move(order));
        }
        out->ticks.push_back(std::move(given));
    }
    auto inOrder = [&](uint32_t tick, bool any, uint32_t before) { return tick >= first && tick < past && (!any || tick > before); };
    const uint32_t checkCount = r.Count(4 + 8 + WORLD_GROUPS + 4);
    const size_t checksBefore = out->checks.size();
    for (uint32_t i = 0; r.ok && i < checkCount; ++i) {
        ReplayCheck check;
        check.tick = r.U32();
        check.digest.sum = r.U64();
        for (uint8_t& group : check.digest.world) group = r.U8();
        const uint32_t entities = r.Count(2);
        const bool any = out->checks.size() > checksBefore;
        if (r.ok && !inOrder(check.tick, any, any ? out->checks.back().tick : 0)) r.ok = false;
        if (!r.ok) break;
        check.digest.entities.assign(payload.begin() + (ptrdiff_t)r.at, payload.begin() + (ptrdiff_t)(r.at + entities * 2));
        r.at += (size_t)entities * 2;
        out->checks.push_back(std::move(check));
    }
    const uint32_t saveCount = r.Count(4 + 8 * SAVE_PARTS);
    const size_t savesBefore = out->saves.size();
    for (uint32_t i = 0; r.ok && i < saveCount; ++i) {
        ReplaySaveCheck save;
        save.tick = r.U32();
        for (uint64_t& part : save.digest.parts) part = r.U64();
        const bool any = out->saves.size() > savesBefore;
        if (r.ok && !inOrder(save.tick, any, any ? out->saves.back().tick : 0)) r.ok = false;
        if (r.ok) out->saves.push_back(save);
    }
    if (*end) {
        out->outcome = r.U8();
        if (r.ok && (out->outcome > REPLAY_RESTARTED || out->outcome == REPLAY_STOPPED)) r.ok = false;
    }
    if (!r.ok || r.at != r.end) return false;
    if (count > 0) {
        // Every block is checked whole at its last tick.
        const uint32_t last = past - 1;
        if (out->checks.size() == checksBefore || out->checks.back().tick != last) return false;
    }
    out->blockTicks.push_back(count);
    out->blockClocks.push_back(clock);
    out->endTime = clock;
    return true;
}

}  // namespace

uint64_t ReplayCheckOf(const std::string& bytes, size_t size) { return Fnv(bytes, size); }

const char* ReplayOutcomeWord(int outcome)
{
    switch (outcome) {
    case REPLAY_WON: return "won";
    case REPLAY_LOST: return "lost";
    case REPLAY_ABANDONED: return "abandoned";
    case REPLAY_RESTARTED: return "restarted";
    default: return "stopped";
    }
}

uint64_t ReplayBuildDigest(uint32_t format)
{
    // The rules a level plays by are read from these scripts: another build's may play the same
    // orders otherwise.
    static const char* const RULES[] = {"data/scripts/units.cgs",     "data/scripts/items.cgs",
                                        "data/scripts/buildItems.cgs", "data/scripts/missions.cgs",
                                        "data/scripts/mission_objects.cgs", "data/scripts/tasks.cgs",
                                        "data/scripts/rigs.cgs",      "data/scripts/growthdb.cgs",
                                        "data/scripts/environments.cgs", "data/scripts/primitives.cgs"};
    std::string all = std::to_string(format);
    for (const char* path : RULES) {
        std::string text;
        all += path;
        if (ReadDataScript(path, &text)) all += text;
        all.push_back('\0');
    }
    return Fnv(all, all.size());
}

uint32_t ReplayFormatOf(const std::string& bytes)
{
    if (bytes.size() < HEADER_START || memcmp(bytes.data(), MAGIC, sizeof MAGIC) != 0) return 0;
    Reader version{bytes, sizeof MAGIC, bytes.size()};
    return version.U32();
}

std::string WriteReplayHeader(const ReplayHeader& header, uint32_t format)
{
    Writer w;
    w.out.append(MAGIC, sizeof MAGIC);
    w.U32(format);
    const std::string payload = HeaderPayload(header);
    w.U32((uint32_t)payload.size());
    w.U32(~(uint32_t)payload.size());
    w.out += payload;
    w.U64(Fnv(w.out, w.out.size()));
    return w.out;
}

std::string WriteReplayBlock(const Replay& part, uint32_t firstTick, bool end)
{
    return BlockBytes(part, firstTick, firstTick, part.TickCount(), end, part.endTime);
}

std::string WriteReplay(const Replay& replay)
{
    std::string out = WriteReplayHeader(replay.header, replay.format);
    std::vector<uint32_t> blocks = replay.blockTicks;
    std::vector<float> clocks = replay.blockClocks;
    uint64_t covered = 0;
    for (uint32_t count : blocks) covered += count;
    if (covered != replay.TickCount() || clocks.size() != blocks.size() || (blocks.empty() && replay.ended)) {
        // Cut as the recorder cuts: a block every REPLAY_BLOCK_TICKS ticks.
        blocks.clear();
        for (uint32_t at = 0; at < replay.TickCount(); at += REPLAY_BLOCK_TICKS)
            blocks.push_back(std::min<uint32_t>(REPLAY_BLOCK_TICKS, replay.TickCount() - at));
        if (blocks.empty() && replay.ended) blocks.push_back(0);
        clocks.assign(blocks.size(), replay.endTime);
    }
    uint32_t first = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        out += BlockBytes(replay, 0, first, blocks[i], replay.ended && i + 1 == blocks.size(), clocks[i]);
        first += blocks[i];
    }
    return out;
}

ReplayReading ReadReplay(const std::string& bytes, uint64_t expectedBuild, Replay* out, std::string* why)
{
    *out = Replay();
    auto refuse = [&](ReplayReading reading, const std::string& reason) {
        *out = Replay();
        if (why) *why = reason;
        return reading;
    };
    if (bytes.size() < HEADER_START || memcmp(bytes.data(), MAGIC, sizeof MAGIC) != 0)
        return refuse(REPLAY_BROKEN, "not a replay file");
    Reader version{bytes, sizeof MAGIC, bytes.size()};
    const uint32_t format = version.U32();
    if (format < REPLAY_OLDEST_FORMAT || format > REPLAY_FORMAT_VERSION)
        return refuse(REPLAY_OTHER_VERSION, "a replay of format version " + std::to_string(format) + ", this game reads " +
                                                std::to_string(REPLAY_OLDEST_FORMAT) + " to " +
                                                std::to_string(REPLAY_FORMAT_VERSION));
    out->format = format;
    // The header is whole, or the file is nothing to play: the check of its bytes comes before
    // anything read from them is believed.
    Reader lengths{bytes, HEADER_START, bytes.size()};
    const uint32_t headerLength = lengths.U32();
    const uint32_t headerComplement = lengths.U32();
    if (!lengths.ok) return refuse(REPLAY_BROKEN, "the file is cut short in its header");
    if (headerComplement != ~headerLength) return refuse(REPLAY_BROKEN, "the file's header is changed");
    const size_t headerEnd = HEADER_START + LENGTH_BYTES + (size_t)headerLength;
    if (bytes.size() - lengths.at < (size_t)headerLength + CHECK_BYTES)
        return refuse(REPLAY_BROKEN, "the file is cut short in its header");
    Reader headerCheck{bytes, headerEnd, bytes.size()};
    if (headerCheck.U64() != Fnv(bytes, headerEnd)) return refuse(REPLAY_BROKEN, "the file's header is changed");

    const std::string headerBytes = bytes.substr(HEADER_START + LENGTH_BYTES, headerLength);
    Reader r{headerBytes, 0, headerBytes.size()};
    ReplayHeader& h = out->header;
    h.build = r.U64();
    if (r.ok && expectedBuild != 0 && h.build != expectedBuild)
        return refuse(REPLAY_OTHER_BUILD, "a replay of another build's data");
    h.startedAt = r.U64();
    h.profileName = r.Text();
    h.profile = r.Text();
    h.difficulty = (int32_t)r.U32();
    h.seed = (int32_t)r.U32();
    h.restore = r.U8();
    h.missionKind = r.U8();
    h.missionId = (int32_t)r.U32();
    h.missionName = r.Text();
    h.levelName = r.Text();
    h.levelFile = r.Text();
    h.visitedFile = r.Text();
    h.levelSequence = r.U32();
    h.programZ = r.U32();
    h.programW = r.U32();
    h.unitSpeed = r.Float();
    h.damageAdjust = r.Float();
    h.playAnimation = r.U8();
    if (r.ok && (h.missionKind > REPLAY_STORY || h.restore > 1 || h.playAnimation > 1)) r.ok = false;
    if (!r.ok || r.at != r.end) return refuse(REPLAY_BROKEN, "the file's header does not hold together");

    // The blocks, as far as they are whole: a program stopped while it wrote leaves the last cut.
    size_t at = headerEnd + CHECK_BYTES;
    std::string stopped;
    while (at < bytes.size() && !out->ended) {
        const size_t left = bytes.size() - at;
        Reader block{bytes, at, bytes.size()};
        const uint32_t length = block.U32();
        const uint32_t complement = block.U32();
        const bool zeros = bytes.find_first_not_of('\0', at) == std::string::npos;
        if (!block.ok || zeros || (complement == ~length && left - LENGTH_BYTES < (size_t)length + CHECK_BYTES)) {
            // Cut in its length, the disk's tail never written, or cut in its body.
            stopped = "the file stops inside the block after tick " + std::to_string(out->TickCount());
            break;
        }
        if (complement != ~length) return refuse(REPLAY_BROKEN, "the file's blocks are changed");
        const std::string payload = bytes.substr(at + LENGTH_BYTES, length);
        Reader check{bytes, at + LENGTH_BYTES + length, bytes.size()};
        if (check.U64() != Fnv(payload, payload.size())) return refuse(REPLAY_BROKEN, "the file's blocks are changed");
        bool end = false;
        if (!ReadBlock(payload, out, &end)) return refuse(REPLAY_BROKEN, "the file's contents do not hold together");
        out->ended = end;
        at += LENGTH_BYTES + length + CHECK_BYTES;
    }
    if (out->ended && at != bytes.size()) return refuse(REPLAY_BROKEN, "the file goes on past the level's end");
    out->wholeBytes = at < bytes.size() ? at : bytes.size();
    out->lastTick = out->TickCount() > 0 ? out->TickCount() - 1 : 0;
    if (!out->ended) {
        out->outcome = REPLAY_STOPPED;
        if (why) *why = stopped.empty() ? "the file stops after its last whole block" : stopped;
    }
    return REPLAY_READ;
}

std::string ReplayClockText(float seconds)
{
    if (!(seconds >= 0.0f)) seconds = 0.0f;
    if (seconds > 359999.0f) seconds = 359999.0f;
    const int whole = (int)seconds;
    char text[32];
    snprintf(text, sizeof text, "%02d:%02d", whole / 60, whole % 60);
    return text;
}
