// A replay file read back as it was written; cut at every length, it reads back as its header and
// whole blocks; any byte changed, a block without its check, another format version or another
// build's data is refused. Read from buffers of exactly the file's size, so that a read past the
// end is caught.
#include "mechanics/ReplayFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

namespace {

Replay SmallGame()
{
    Replay replay;
    ReplayHeader& h = replay.header;
    h.build = 0x1234567890abcdefull;
    h.startedAt = 1765340000;
    h.profileName = "Pilot";
    h.profile = "name\t\tPilot\ncredits\t\t300\n";
    h.difficulty = 2;
    h.seed = 4242;
    h.restore = 1;
    h.missionKind = REPLAY_GALAXY_BODY;
    h.missionId = 17;
    h.missionName = "Ferrum II";
    h.levelName = "savefiles/Pilot/one.sav";
    h.levelFile = std::string("level\0bytes", 11);
    h.visitedFile = std::string(64, '\x01');
    h.levelSequence = 99;
    h.programZ = 809;
    h.programW = 773;
    PlayerOrder order;
    order.kind = 7;
    order.units = {3, 4, 5};
    order.target = 12;
    order.point = Vec3(1.5f, -2.0f, 300.25f);
    order.args[0] = -1;
    order.args[1] = 2;
    order.text = "scan";
    h.unitSpeed = 1.1f;
    h.damageAdjust = 0.15f;
    h.playAnimation = 0;
    replay.ticks.push_back({3, {order}});
    replay.ticks.push_back({41, {order, PlayerOrder()}});
    replay.ticks.push_back({119, {order}});
    // Three blocks (50, 50 and 20 ticks), each checked whole at its last tick.
    for (uint32_t tick = 0; tick < 120; ++tick) {
        replay.tickSums.push_back(0x9e3779b97f4a7c15ull * (tick + 1));
        for (int g = 0; g < WORLD_GROUPS; ++g) replay.tickGroups.push_back((uint8_t)(tick * 7 + g));
        if (tick % REPLAY_CHECK_TICKS != 0 && tick != 49 && tick != 99 && tick != 119) continue;
        ReplayCheck check;
        check.tick = tick;
        check.digest.sum = replay.tickSums.back();
        for (int g = 0; g < WORLD_GROUPS; ++g) check.digest.world[g] = (uint8_t)(tick + g);
        check.digest.entities.assign(6, (uint8_t)tick);
        replay.checks.push_back(check);
    }
    for (uint32_t tick : {99u, 119u}) {
        ReplaySaveCheck save;
        save.tick = tick;
        for (int part = 0; part < SAVE_PARTS; ++part) save.digest.parts[part] = tick * 1000u + part;
        replay.saves.push_back(save);
    }
    replay.ended = true;
    replay.outcome = REPLAY_WON;
    replay.endTime = 12.0f;
    return replay;
}

// The bytes read from a buffer of exactly their size.
ReplayReading ReadExactly(const std::string& bytes, Replay* out, std::string* why)
{
    return ReadReplay(std::string(bytes.data(), bytes.size()), 0, out, why);
}

TEST(ReplayFile, ReadsBackWhatWasWrittenByteForByte)
{
    const Replay written = SmallGame();
    const std::string bytes = WriteReplay(written);
    Replay read;
    std::string why;
    ASSERT_EQ(ReadExactly(bytes, &read, &why), REPLAY_READ) << why;
    EXPECT_EQ(WriteReplay(read), bytes);
    EXPECT_EQ(read.header.profile, written.header.profile);
    EXPECT_EQ(read.header.levelFile, written.header.levelFile);
    EXPECT_EQ(read.header.unitSpeed, 1.1f);
    EXPECT_EQ(read.header.damageAdjust, 0.15f);
    EXPECT_EQ(read.header.playAnimation, 0);
    EXPECT_EQ(read.blockTicks, (std::vector<uint32_t>{50, 50, 20}));
    ASSERT_EQ(read.ticks.size(), 3u);
    EXPECT_EQ(read.ticks[1].orders[0], written.ticks[1].orders[0]);
    EXPECT_EQ(read.tickSums, written.tickSums);
    EXPECT_EQ(read.tickGroups, written.tickGroups);
    ASSERT_EQ(read.checks.size(), written.checks.size());
    EXPECT_EQ(read.checks.back().digest.entities, written.checks.back().digest.entities);
    ASSERT_EQ(read.saves.size(), 2u);
    EXPECT_EQ(read.saves[1].digest, written.saves[1].digest);
    EXPECT_TRUE(read.ended);
    EXPECT_EQ(read.lastTick, 119u);
    EXPECT_EQ(read.outcome, REPLAY_WON);

    // The recorder's way: the header, then each block as its ticks end, makes the same bytes.
    std::string appended = WriteReplayHeader(written.header);
    for (uint32_t first : {0u, 50u, 100u}) {
        Replay part;
        const uint32_t past = std::min(first + 50u, 120u);
        part.tickSums.assign(written.tickSums.begin() + first, written.tickSums.begin() + past);
        part.tickGroups.assign(written.tickGroups.begin() + first * WORLD_GROUPS, written.tickGroups.begin() + past * WORLD_GROUPS);
        for (const ReplayTick& t : written.ticks)
            if (t.tick >= first && t.tick < past) part.ticks.push_back(t);
        for (const ReplayCheck& c : written.checks)
            if (c.tick >= first && c.tick < past) part.checks.push_back(c);
        for (const ReplaySaveCheck& c : written.saves)
            if (c.tick >= first && c.tick < past) part.saves.push_back(c);
        part.outcome = written.outcome;
        part.endTime = written.endTime;
        appended += WriteReplayBlock(part, first, past == 120u);
    }
    EXPECT_EQ(appended, bytes);
}

TEST(ReplayFile, EveryCutReadsBackItsWholeBlocksAndEveryChangedByteIsRefused)
{
    const std::string bytes = WriteReplay(SmallGame());
    const size_t header = WriteReplayHeader(SmallGame().header).size();
    Replay read;
    std::string why;
    uint32_t ticksBefore = 0;
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::unique_ptr<char[]> exact(new char[length + 1]);
        memcpy(exact.get(), bytes.data(), length);
        const ReplayReading reading = ReadReplay(std::string(exact.get(), length), 0, &read, &why);
        if (length < header) {
            EXPECT_NE(reading, REPLAY_READ) << "cut in the header at " << length;
            EXPECT_TRUE(read.ticks.empty() && read.checks.empty()) << "nothing of a refused file is kept";
            continue;
        }
        ASSERT_EQ(reading, REPLAY_READ) << "cut at " << length << ": " << why;
        EXPECT_FALSE(read.ended);
        EXPECT_EQ(read.outcome, REPLAY_STOPPED);
        EXPECT_EQ(read.TickCount() % 50, 0u) << "whole blocks only";
        EXPECT_EQ(WriteReplay(read), bytes.substr(0, read.wholeBytes)) << "cut at " << length;
        EXPECT_LE(read.wholeBytes, length);
        EXPECT_GE(read.TickCount(), ticksBefore) << "a longer file holds as many ticks";
        ticksBefore = read.TickCount();
    }
    EXPECT_EQ(ticksBefore, 100u) << "cut in the last block, the two before it are whole";
    // A disk's tail never written reads as cut there.
    ASSERT_EQ(ReadExactly(bytes.substr(0, header) + std::string(40, '\0'), &read, &why), REPLAY_READ) << why;
    EXPECT_EQ(read.TickCount(), 0u);
    for (size_t at = 0; at < bytes.size(); ++at)
        for (unsigned char flip : {0x01, 0x80}) {
            std::string changed = bytes;
            changed[at] = (char)(changed[at] ^ flip);
            EXPECT_NE(ReadExactly(changed, &read, &why), REPLAY_READ) << "byte " << at << " changed";
        }
}

// A block must carry its check at its last tick: a file whose checks were taken out is refused,
// however well sealed.
TEST(ReplayFile, ABlockWithoutItsChecksIsRefused)
{
    const struct {
        const char* taken;
        std::function<void(Replay&)> take;
    } table[] = {
        {"every entity digest", [](Replay& r) { r.checks.clear(); }},
        {"the last block's check", [](Replay& r) { r.checks.pop_back(); }},
    };
    for (const auto& row : table) {
        Replay replay = SmallGame();
        row.take(replay);
        Replay read;
        std::string why;
        EXPECT_EQ(ReadExactly(WriteReplay(replay), &read, &why), REPLAY_BROKEN) << row.taken;
    }
}

TEST(ReplayFile, AnotherVersionOrAnotherBuildIsRefusedByName)
{
    Replay read;
    std::string why;
    std::string other = WriteReplay(SmallGame());
    other[8] = 1;  // the format's version follows the eight letters: the first, of whole rewrites
    EXPECT_EQ(ReadExactly(other, &read, &why), REPLAY_OTHER_VERSION);
    EXPECT_NE(why.find("version 1"), std::string::npos) << why;
    other[8] = (char)(REPLAY_FORMAT_VERSION + 1);  // one of a later game
    EXPECT_EQ(ReadExactly(other, &read, &why), REPLAY_OTHER_VERSION);

    // The players' files of the versions before (their world summed byte by byte, then word by
    // word) are still read, as of their version, and written again they are the same bytes.
    const struct {
        uint32_t format;
        WorldSumKind sums;
    } formats[] = {{2, WORLD_SUM_BYTES}, {3, WORLD_SUM_WORDS}, {REPLAY_FORMAT_VERSION, WORLD_SUM_WIDE}};
    EXPECT_EQ(formats[0].format, REPLAY_OLDEST_FORMAT);
    for (const auto& row : formats) {
        SCOPED_TRACE(row.format);
        Replay older = SmallGame();
        older.format = row.format;
        const std::string olderBytes = WriteReplay(older);
        EXPECT_EQ(ReplayFormatOf(olderBytes), row.format);
        ASSERT_EQ(ReadExactly(olderBytes, &read, &why), REPLAY_READ) << why;
        EXPECT_EQ(read.format, row.format);
        EXPECT_EQ(ReplaySumKind(read.format), row.sums);
        EXPECT_EQ(WriteReplay(read), olderBytes);
    }

    const std::string bytes = WriteReplay(SmallGame());
    EXPECT_EQ(ReadReplay(bytes, 0x1234567890abcdefull, &read, &why), REPLAY_READ) << why;
    EXPECT_EQ(ReadReplay(bytes, 0x99, &read, &why), REPLAY_OTHER_BUILD);
    EXPECT_NE(why.find("another build"), std::string::npos) << why;

    EXPECT_EQ(ReadExactly("a text file, no replay", &read, &why), REPLAY_BROKEN);
}

TEST(ReplayFile, TheClockReadsInMinutesAndSeconds)
{
    const struct {
        float seconds;
        const char* text;
    } table[] = {{0.0f, "00:00"}, {133.0f, "02:13"}, {421.9f, "07:01"}, {-5.0f, "00:00"}, {3600.0f, "60:00"}};
    for (const auto& row : table) EXPECT_EQ(ReplayClockText(row.seconds), row.text) << row.seconds;
}

}  // namespace
