#include "mechanics/ReplayFile.h"

#include "platform/Files.h"

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

uint64_t ReplayBuildDigest()
{
    // The rules a level plays by are read from these scripts: another build's may play the same
    // orders otherwise.
    static const char* const RULES[] = {"data/scripts/units.cgs",     "data/scripts/items.cgs",
                                        "data/scripts/buildItems.cgs", "data/scripts/missions.cgs",
                                        "data/scripts/mission_objects.cgs", "data/scripts/tasks.cgs",
                                        "data/scripts/rigs.cgs",      "data/scripts/growthdb.cgs",
                                        "data/scripts/environments.cgs", "data/scripts/primitives.cgs"};
    std::string all = std::to_string(REPLAY_FORMAT_VERSION);
    for (const char* path : RULES) {
        std::string text;
        all += path;
        if (ReadDataScript(path, &text)) all += text;
        all.push_back('\0');
    }
    return Fnv(all, all.size());
}

std::string WriteReplay(const Replay& replay)
{
    Writer w;
    w.out.append(MAGIC, sizeof MAGIC);
    w.U32(REPLAY_FORMAT_VERSION);
    const ReplayHeader& h = replay.header;
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

    w.U32((uint32_t)replay.ticks.size());
    for (const ReplayTick& tick : replay.ticks) {
        w.U32(tick.tick);
        w.U32((uint32_t)tick.orders.size());
        for (const PlayerOrder& order : tick.orders) AppendOrder(w.out, order);
    }
    w.U32((uint32_t)replay.checks.size());
    for (const ReplayCheck& check : replay.checks) {
        w.U32(check.tick);
        w.U64(check.digest.sum);
        w.out.append(reinterpret_cast<const char*>(check.digest.world), WORLD_GROUPS);
        w.U32((uint32_t)check.digest.EntityCount());
        w.out.append(check.digest.entities.begin(), check.digest.entities.begin() + check.digest.EntityCount() * 2);
    }
    w.U32(replay.lastTick);
    w.U8(replay.outcome);
    w.Float(replay.endTime);
    w.U64(Fnv(w.out, w.out.size()));
    return w.out;
}

ReplayReading ReadReplay(const std::string& bytes, uint64_t expectedBuild, Replay* out, std::string* why)
{
    *out = Replay();
    auto refuse = [&](ReplayReading reading, const std::string& reason) {
        *out = Replay();
        if (why) *why = reason;
        return reading;
    };
    if (bytes.size() < sizeof MAGIC + 4 || memcmp(bytes.data(), MAGIC, sizeof MAGIC) != 0)
        return refuse(REPLAY_BROKEN, "not a replay file");
    Reader version{bytes, sizeof MAGIC, bytes.size()};
    const uint32_t format = version.U32();
    if (format != REPLAY_FORMAT_VERSION)
        return refuse(REPLAY_OTHER_VERSION, "a replay of format version " + std::to_string(format) + ", this game reads " +
                                                std::to_string(REPLAY_FORMAT_VERSION));
    if (bytes.size() < sizeof MAGIC + 4 + 8 + 8) return refuse(REPLAY_BROKEN, "the file is cut short");
    // The check of the file's bytes comes before anything read from them is believed.
    Reader tail{bytes, bytes.size() - 8, bytes.size()};
    if (tail.U64() != Fnv(bytes, bytes.size() - 8)) return refuse(REPLAY_BROKEN, "the file is cut short or changed");

    const std::string body = bytes.substr(0, bytes.size() - 8);
    Reader r{body, sizeof MAGIC + 4, body.size()};
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
    if (r.ok && (h.missionKind > REPLAY_STORY || h.restore > 1)) r.ok = false;

    const uint32_t tickCount = r.Count(8);
    for (uint32_t i = 0; r.ok && i < tickCount; ++i) {
        ReplayTick tick;
        tick.tick = r.U32();
        const uint32_t orders = r.Count(LEAST_ORDER);
        // Ticks stand in their order, each once.
        if (r.ok && !out->ticks.empty() && tick.tick <= out->ticks.back().tick) r.ok = false;
        for (uint32_t j = 0; r.ok && j < orders; ++j) {
            PlayerOrder order;
            if (!ReadOrder(body, &r.at, &order)) r.ok = false;
            else tick.orders.push_back(std::move(order));
        }
        if (r.ok) out->ticks.push_back(std::move(tick));
    }
    const uint32_t checkCount = r.Count(4 + 8 + WORLD_GROUPS + 4);
    for (uint32_t i = 0; r.ok && i < checkCount; ++i) {
        ReplayCheck check;
        check.tick = r.U32();
        check.digest.sum = r.U64();
        for (uint8_t& group : check.digest.world) group = r.U8();
        const uint32_t entities = r.Count(2);
        if (r.ok && !out->checks.empty() && check.tick <= out->checks.back().tick) r.ok = false;
        if (!r.ok) break;
        check.digest.entities.assign(body.begin() + (ptrdiff_t)r.at, body.begin() + (ptrdiff_t)(r.at + entities * 2));
        r.at += (size_t)entities * 2;
        out->checks.push_back(std::move(check));
    }
    out->lastTick = r.U32();
    out->outcome = r.U8();
    out->endTime = r.Float();
    if (r.ok && out->outcome > REPLAY_RESTARTED) r.ok = false;
    if (r.ok && ((!out->ticks.empty() && out->ticks.back().tick > out->lastTick) ||
                 (!out->checks.empty() && out->checks.back().tick > out->lastTick)))
        r.ok = false;
    if (!r.ok || r.at != r.end) return refuse(REPLAY_BROKEN, "the file's contents do not hold together");
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
