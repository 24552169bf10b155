#include "platform/MusicPlayer.h"

#include "host/AudioDevice.h"
#include "host/AudioOgg.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"
#include "tests/platform/MusicTestSupport.h"
#include "tests/support/ScopedGameSeam.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The level's environments as the game would name them: "desert" is environment 3, and the
// level being played is in environment 2.
class EnvironmentWorld : public NullGameSeam {
public:
    int GetCurrentEnvironment() override { return current; }
    int FindEnvironment(const char* name) override { return strcmp(name, "desert") == 0 ? 3 : 0; }
    int current = -1;
};

// A player on a loopback device whose clock is the audio it has rendered.
class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.reset(AudioDevice::OpenLoopback(MusicTestRate));
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(player.Init(device.get()));
        player.SetMusicSettings(true, 10);
        folder = MakeTempFolder("music");
    }
    void TearDown() override
    {
        player.Shutdown();
        MusicTrackCount = 0;
    }

    // Renders `frames` frames, appends them to `heard` when given and updates the player
    // after every block, as the music thread would.
    float Run(int frames, std::vector<float>* heard = nullptr, int block = 1024)
    {
        std::vector<float> out(2 * (size_t)block);
        float peak = 0.0f;
        for (int done = 0; done < frames; done += block) {
            int count = frames - done < block ? frames - done : block;
            device->RenderSamples(out.data(), count);
            for (int i = 0; i < 2 * count; ++i) peak = std::fmax(peak, std::fabs(out[i]));
            if (heard) heard->insert(heard->end(), out.begin(), out.begin() + 2 * count);
            clock += (double)count / MusicTestRate;
            player.UpdateAt(clock);
        }
        return peak;
    }

    std::string Track(const char* name, int frames, float hz = 330.0f)
    {
        std::string path = folder + "/" + name;
        EXPECT_TRUE(WriteTestTrack(path, frames, hz));
        return path;
    }

    std::string CurrentTrack()
    {
        char track[MUSIC_PATH_TEXT];
        player.GetCurrentTrack(track, sizeof track);
        return track;
    }

    std::unique_ptr<AudioDevice> device;
    MusicPlayer player;
    std::string folder;
    double clock = 100.0;
    ScopedGameSeam noGame;  // no level, no environments
};

}  // namespace

TEST_F(MusicPlayerTest, ARepeatingTrackLoopsBackToItsFirstSample)
{
    // Long enough that the loop falls in a refilled block, not in the first two.
    const int frames = 30000;
    std::string path = Track("loop.ogg", frames);
    std::vector<int16_t> samples = DecodeTrack(path);
    ASSERT_EQ(samples.size(), 2u * frames);

    ASSERT_TRUE(player.OpenOgg(path.c_str()));
    player.StartBuffer(true);
    player.SetVolume(1.0f);
    std::vector<float> heard;
    Run(frames * 3 + 500, &heard);
    ASSERT_EQ(heard.size(), 2u * (frames * 3 + 500));
    int wrong = 0;
    for (size_t i = 0; i < heard.size(); ++i)
        if (std::fabs(heard[i] - samples[i % samples.size()] / 32768.0f) > 1e-3f) ++wrong;
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(player.IsSilent());
}

TEST_F(MusicPlayerTest, AShortTrackEndsInSilenceThenStops)
{
    // Shorter than one block of the double buffer: everything after it must be silence.
    const int frames = 3000;
    const int block = (int)(MUSIC_HALF_BYTES / 4);
    std::string path = Track("short.ogg", frames);
    ASSERT_TRUE(player.OpenOgg(path.c_str()));
    player.StartBuffer(false);
    std::vector<float> heard;
    Run(block, &heard, 512);
    EXPECT_FALSE(player.IsSilent());  // one block played: the decoder ran out
    float tail = 0.0f;
    for (size_t i = 2 * (frames + 64); i < heard.size(); ++i) tail = std::fmax(tail, std::fabs(heard[i]));
    EXPECT_EQ(tail, 0.0f);
    float start = 0.0f;
    for (size_t i = 0; i < 2 * (size_t)frames; ++i) start = std::fmax(start, std::fabs(heard[i]));
    EXPECT_GT(start, 0.2f);

    EXPECT_EQ(Run(block, nullptr, 512), 0.0f);
    EXPECT_TRUE(player.IsSilent());  // two blocks played: silent
    EXPECT_EQ(Run(block * 2, nullptr, 512), 0.0f);
    EXPECT_TRUE(player.IsSilent());
    EXPECT_TRUE(player.IsTrackOpen());
}

TEST_F(MusicPlayerTest, AFadeReachesSilenceInTheTimeAskedWhateverTheUpdateRate)
{
    std::string path = Track("fade.ogg", 20000);
    for (double interval : {0.005, 0.016, 0.05, 0.2}) {
        ASSERT_TRUE(player.OpenOgg(path.c_str()));
        player.StartBuffer(true);
        player.SetVolume(1.0f);
        const int frames = (int)std::lround(interval * MusicTestRate);
        Run(4096, nullptr, frames);
        ASSERT_GT(Run(4096, nullptr, frames), 0.2f);

        player.FadeOut(2.0f);
        const double start = clock;
        double silentAt = -1.0, endedAt = -1.0;
        while (clock - start < 3.0) {
            float peak = Run(frames, nullptr, frames);
            if (peak == 0.0f && silentAt < 0.0) silentAt = clock - start;
            if (!player.IsFading() && endedAt < 0.0) endedAt = clock - start;
        }
        // The volume falls by the step over the time left, which silences the track a while
        // before the fade is over; the fade itself takes the time asked.
        // (Both are seen at the end of a block, and the fade's clock starts at its first update:
        // each may come up to one update late.)
        EXPECT_GT(silentAt, 1.1) << interval;
        EXPECT_LE(silentAt, 2.0 + 1e-6) << interval;
        EXPECT_GE(endedAt, 2.0 - 1e-6) << interval;
        EXPECT_LE(endedAt, 2.0 + 2 * interval + 1e-6) << interval;
        EXPECT_EQ(Run(4096, nullptr, frames), 0.0f) << interval;  // stopped for good
        EXPECT_FLOAT_EQ(player.GetVolume(), 1.0f) << interval;    // the configured volume is back
    }
}

TEST_F(MusicPlayerTest, RequestsFadesAndTheConfiguredVolume)
{
    std::string first = Track("first.ogg", 20000, 330.0f);
    std::string second = Track("second.ogg", 20000, 440.0f);
    std::string third = Track("third.ogg", 20000, 550.0f);

    // While silent a request starts at the next update, without a fade; the first of two
    // requests wins.
    player.Play(first.c_str());
    player.Play(second.c_str());
    EXPECT_FALSE(player.IsFading());
    Run(1024);
    EXPECT_EQ(CurrentTrack(), first);
    EXPECT_FALSE(player.IsSilent());

    // While a track sounds, the next one waits for a second's fade.
    player.Play(third.c_str());
    EXPECT_TRUE(player.IsFading());
    Run(MusicTestRate / 2);
    EXPECT_EQ(CurrentTrack(), first);
    Run(MusicTestRate * 6 / 10);
    EXPECT_EQ(CurrentTrack(), third);
    EXPECT_FALSE(player.IsFading());
    EXPECT_GT(Run(4096), 0.2f);

    // The configured volume is followed while no fade runs.
    player.SetMusicSettings(true, 5);
    Run(1024);
    EXPECT_FLOAT_EQ(player.GetVolume(), 0.5f);
    player.SetMusicSettings(true, 7);
    Run(1024);
    EXPECT_FLOAT_EQ(player.GetVolume(), 0.7f);
    player.SetVolume(2.0f);
    EXPECT_FLOAT_EQ(player.GetVolume(), 1.0f);
    player.SetVolume(-1.0f);  // silences, keeps the volume
    EXPECT_FLOAT_EQ(player.GetVolume(), 1.0f);

    // Files that are not music leave nothing open.
    EXPECT_FALSE(player.OpenOgg((folder + "/missing.ogg").c_str()));
    EXPECT_FALSE(player.IsTrackOpen());
    EXPECT_EQ(CurrentTrack(), "none");
    player.Play((folder + "/missing.ogg").c_str());
    Run(1024);
    EXPECT_EQ(CurrentTrack(), "none");
}

TEST_F(MusicPlayerTest, TheScriptGivesTracksTheirEnvironments)
{
    EnvironmentWorld world;
    ScopedGameSeam seam(&world);
    std::string script = folder + "/music.cgs";
    std::string text =
        "EnvSet desert\n"
        "MusicTrack data/Music/A.ogg\nEnvSet desert\nEnvSet nowhere\n"
        "/* MusicTrack data/music/commented.ogg */\n"
        "// MusicTrack data/music/commented.ogg\n"
        "musictrack data/music/wrongcase.ogg\n"
        "MusicTrack data/music/b.ogg\nEnvSet ALL\n";
    for (int i = 0; i < 40; ++i) text += "MusicTrack data/music/more" + std::to_string(i) + ".ogg\n";
    text += "END_OF_FILE\nMusicTrack data/music/after.ogg\n";
    ASSERT_TRUE(WriteTextFile(script, text));
    MusicPlayer::LoadScript(script.c_str());
    ASSERT_EQ(MusicTrackCount, MAX_MUSIC_TRACKS);
    EXPECT_STREQ(MusicTracks[0].path, "data/music/a.ogg");
    EXPECT_EQ(MusicTracks[0].environmentMask, (1u << 3) | 1u);
    EXPECT_STREQ(MusicTracks[1].path, "data/music/b.ogg");
    EXPECT_EQ(MusicTracks[1].environmentMask, 0xFFFFu);
    EXPECT_STREQ(MusicTracks[31].path, "data/music/more29.ogg");

    // A missing script leaves the table alone.
    MusicPlayer::LoadScript((folder + "/none.cgs").c_str());
    EXPECT_EQ(MusicTrackCount, MAX_MUSIC_TRACKS);
}

TEST_F(MusicPlayerTest, ThePlaylistPlaysTheEnvironmentsTracksOneAfterAnother)
{
    std::string a = Track("a.ogg", 6000, 330.0f), b = Track("b.ogg", 6000, 440.0f), c = Track("c.ogg", 6000, 550.0f);
    MusicTrackCount = 3;
    CopyText(MusicTracks[0].path, sizeof MusicTracks[0].path, a.c_str());
    MusicTracks[0].environmentMask = 1u << 2;
    CopyText(MusicTracks[1].path, sizeof MusicTracks[1].path, b.c_str());
    MusicTracks[1].environmentMask = 1u << 5;
    CopyText(MusicTracks[2].path, sizeof MusicTracks[2].path, c.c_str());
    MusicTracks[2].environmentMask = (1u << 2) | (1u << 5);
    EnvironmentWorld world;
    world.current = 2;
    ScopedGameSeam seam(&world);

    player.PlayIngamePlaylist();
    ASSERT_EQ(player.GetPlaylistCount(), 2);
    ASSERT_TRUE(player.HasPlaylistTrack());
    EXPECT_TRUE(player.IsPlaylistActive());
    char entry[MUSIC_PATH_TEXT];
    ASSERT_TRUE(player.GetPlaylistTrack(player.GetPlaylistIndex(), entry, sizeof entry));
    const std::string firstTrack = entry;
    EXPECT_TRUE(firstTrack == a || firstTrack == c);

    Run(1024);
    EXPECT_EQ(CurrentTrack(), firstTrack);
    // A playlist track ends instead of looping, and the next one follows.
    std::string secondTrack = firstTrack == a ? c : a;
    bool moved = false;
    for (int i = 0; i < 40 && !moved; ++i) {
        Run(4096);
        moved = CurrentTrack() == secondTrack;
    }
    EXPECT_TRUE(moved);
    EXPECT_GT(Run(2048), 0.1f);

    player.ClearPlaylist();
    EXPECT_FALSE(player.HasPlaylistTrack());
    EXPECT_FALSE(player.IsPlaylistActive());
}

TEST_F(MusicPlayerTest, WithNoTrackForTheEnvironmentTheDefaultsPlayTheThirdFirst)
{
    MusicTrackCount = 1;
    CopyText(MusicTracks[0].path, sizeof MusicTracks[0].path, "data/music/elsewhere.ogg");
    MusicTracks[0].environmentMask = 1u << 7;
    player.PlayIngamePlaylist();
    ASSERT_EQ(player.GetPlaylistCount(), 3);
    EXPECT_EQ(player.GetPlaylistIndex(), -1);
    char entry[MUSIC_PATH_TEXT];
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(player.GetPlaylistTrack(i, entry, sizeof entry));
        EXPECT_EQ(std::string(entry), "data/music/ingame_track" + std::to_string(i + 1) + ".ogg");
    }
    Run(1024);
    EXPECT_EQ(CurrentTrack(), "data/music/ingame_track3.ogg");

    // Music switched off: no playlist is made.
    player.ClearPlaylist();
    player.SetMusicSettings(false, 10);
    player.PlayIngamePlaylist();
    EXPECT_EQ(player.GetPlaylistCount(), 0);
}

TEST_F(MusicPlayerTest, DamagedTracksAreLoggedOnceAndNeverOpenedAgain)
{
    const std::string bad[] = {"tests/data/bad-files/ogg/residue_fpe_01inverse.ogg",
                               "tests/data/bad-files/ogg/res2_fpe.ogg", "tests/data/bad-files/ogg/ov_open_leak.ogg"};
    MusicTrackCount = 3;
    for (int i = 0; i < 3; ++i) {
        CopyText(MusicTracks[i].path, sizeof MusicTracks[i].path, bad[i].c_str());
        MusicTracks[i].environmentMask = 0xFFFF;
    }
    LogCaptureBegin();
    // A playlist of nothing but damaged tracks moves on every update: two seconds of updates.
    player.PlayIngamePlaylist();
    Run(MusicTestRate * 2);
    player.ClearPlaylist();
    player.Play(bad[1].c_str());
    Run(1024);
    std::string log = LogCaptureEnd();
    EXPECT_EQ(CurrentTrack(), "none");
    EXPECT_TRUE(player.IsSilent());
    for (const std::string& track : bad) {
        EXPECT_TRUE(player.IsRefused(track.c_str())) << track;
        size_t refusals = 0;
        for (size_t at = log.find(track + "' refused"); at != std::string::npos; at = log.find(track + "' refused", at + 1))
            ++refusals;
        EXPECT_EQ(refusals, 1u) << track << "\n" << log;
    }

    // Sound tracks still play.
    std::string good = Track("good.ogg", 20000);
    player.Play(good.c_str());
    EXPECT_GT(Run(4096), 0.2f);
    EXPECT_EQ(CurrentTrack(), good);
}

TEST(MusicPlayer, WithoutADeviceNothingPlaysAndNothingBreaks)
{
    MusicPlayer player;
    EXPECT_FALSE(player.Init(static_cast<AudioDevice*>(nullptr)));
    EXPECT_FALSE(player.IsInitialised());
    EXPECT_FALSE(player.OpenOgg("data/music/logo_music.ogg"));
    player.StartBuffer(true);
    player.Play("data/music/logo_music.ogg");
    player.FadeOut(1.0f);
    player.Update();
    player.SetVolume(0.5f);
    EXPECT_EQ(player.GetVolume(), 0.0f);
    player.Shutdown();
}

TEST(MusicData, EveryShippedTrackOpensLoopsWithoutASeamAndTheScriptNamesThem)
{
    MusicTrackCount = 0;
    MusicPlayer::LoadScript();
    EXPECT_GE(MusicTrackCount, 3);
    std::vector<std::string> tracks = {"data/music/logo_music.ogg",    "data/music/mission_screen.ogg",
                                       "data/music/cinematic_music.ogg", "data/music/trailer_music.ogg",
                                       "data/music/ingame_track1.ogg", "data/music/ingame_track2.ogg",
                                       "data/music/ingame_track3.ogg"};
    for (int i = 0; i < MusicTrackCount; ++i) tracks.push_back(MusicTracks[i].path);
    MusicTrackCount = 0;
    for (const std::string& track : tracks) {
        AudioOggDecoder decoder;
        ASSERT_TRUE(decoder.Open(track.c_str())) << track;
        EXPECT_EQ(decoder.Channels(), 2) << track;
        double seconds = (double)decoder.TotalFrames() / decoder.Rate();
        EXPECT_GE(seconds, 20.0) << track;
        EXPECT_LE(seconds, 40.0) << track;
        decoder.Close();

        // Across the loop point the wave moves no more than it does anywhere else.
        std::vector<int16_t> samples = DecodeTrack(track);
        ASSERT_GT(samples.size(), 4u);
        int largestStep = 0;
        for (size_t i = 2; i < samples.size(); ++i) largestStep = std::max(largestStep, std::abs(samples[i] - samples[i - 2]));
        for (int side = 0; side < 2; ++side) {
            int seam = std::abs(samples[side] - samples[samples.size() - 2 + side]);
            EXPECT_LE(seam, largestStep) << track;
            EXPECT_LT(seam, 2000) << track;
        }
    }
}
