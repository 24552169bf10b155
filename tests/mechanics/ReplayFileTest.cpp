// A replay file read back as it was written, and every damaged one refused: cut at every length,
// any byte changed, of another format version or of another build's data. Read from buffers of
// exactly the file's size, so that a read past the end is caught.
#include "mechanics/ReplayFile.h"

#include <gtest/gtest.h>

#include <cstring>
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
    replay.ticks.push_back({3, {order}});
    replay.ticks.push_back({41, {order, PlayerOrder()}});
    for (uint32_t tick : {0u, 10u, 20u, 30u, 40u, 45u}) {
        ReplayCheck check;
        check.tick = tick;
        check.digest.sum = 0xfeedull * (tick + 1);
        for (int g = 0; g < WORLD_GROUPS; ++g) check.digest.world[g] = (uint8_t)(tick + g);
        check.digest.entities.assign(6, (uint8_t)tick);
        replay.checks.push_back(check);
    }
    replay.lastTick = 45;
    replay.outcome = REPLAY_WON;
    replay.endTime = 4.5f;
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
    ASSERT_EQ(read.ticks.size(), 2u);
    EXPECT_EQ(read.ticks[1].orders[0], written.ticks[1].orders[0]);
    ASSERT_EQ(read.checks.size(), 6u);
    EXPECT_EQ(read.checks[5].digest.entities, written.checks[5].digest.entities);
    EXPECT_EQ(read.outcome, REPLAY_WON);

    // An empty game (a level left at once) reads back too.
    const std::string empty = WriteReplay(Replay());
    ASSERT_EQ(ReadExactly(empty, &read, &why), REPLAY_READ) << why;
    EXPECT_EQ(WriteReplay(read), empty);
}

TEST(ReplayFile, EveryCutAndEveryChangedByteIsRefused)
{
    const std::string bytes = WriteReplay(SmallGame());
    Replay read;
    std::string why;
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::unique_ptr<char[]> exact(new char[length + 1]);
        memcpy(exact.get(), bytes.data(), length);
        EXPECT_NE(ReadReplay(std::string(exact.get(), length), 0, &read, &why), REPLAY_READ) << "cut at " << length;
        EXPECT_TRUE(read.ticks.empty() && read.checks.empty()) << "nothing of a refused file is kept";
    }
    // Cut and its check made anew, its contents no longer hold together.
    for (size_t length = 12; length + 8 < bytes.size(); ++length) {
        std::string body = bytes.substr(0, length);
        const uint64_t check = ReplayCheckOf(body, body.size());
        for (int i = 0; i < 8; ++i) body.push_back((char)(check >> (8 * i) & 0xff));
        EXPECT_EQ(ReadExactly(body, &read, &why), REPLAY_BROKEN) << "cut at " << length << " and sealed";
    }
    for (size_t at = 0; at < bytes.size(); ++at)
        for (unsigned char flip : {0x01, 0x80}) {
            std::string changed = bytes;
            changed[at] = (char)(changed[at] ^ flip);
            EXPECT_NE(ReadExactly(changed, &read, &why), REPLAY_READ) << "byte " << at << " changed";
        }
}

TEST(ReplayFile, AnotherVersionOrAnotherBuildIsRefusedByName)
{
    Replay read;
    std::string why;
    std::string other = WriteReplay(SmallGame());
    other[8] = 2;  // the format's version follows the eight letters
    EXPECT_EQ(ReadExactly(other, &read, &why), REPLAY_OTHER_VERSION);
    EXPECT_NE(why.find("version 2"), std::string::npos) << why;

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
