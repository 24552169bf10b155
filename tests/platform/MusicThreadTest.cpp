#include "platform/MusicThread.h"

#include "host/AudioDevice.h"
#include "host/System.h"
#include "platform/MusicPlayer.h"
#include "tests/platform/MusicTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(MusicThread, StartsPlaysWhileTheMainThreadAsksAndStopsWhenAsked)
{
    EXPECT_EQ(MusicThreadProc(nullptr), 0);  // no player: nothing to do

    std::string folder = MakeTempFolder("music-thread");
    std::string first = folder + "/first.ogg", second = folder + "/second.ogg";
    ASSERT_TRUE(WriteTestTrack(first, 20000, 330.0f));
    ASSERT_TRUE(WriteTestTrack(second, 20000, 440.0f));
    MusicTrackCount = 2;
    CopyText(MusicTracks[0].path, sizeof MusicTracks[0].path, first.c_str());
    MusicTracks[0].environmentMask = 1;
    CopyText(MusicTracks[1].path, sizeof MusicTracks[1].path, second.c_str());
    MusicTracks[1].environmentMask = 1;

    std::unique_ptr<AudioDevice> device(AudioDevice::OpenLoopback(MusicTestRate));
    ASSERT_NE(device, nullptr);
    Music = new MusicPlayer();
    ASSERT_TRUE(Music->Init(device.get()));
    Music->SetMusicSettings(true, 10);
    ASSERT_TRUE(Music->OpenOgg(first.c_str()));
    Music->StartBuffer(false);

    ASSERT_TRUE(StartMusicThread());
    EXPECT_TRUE(IsMusicThreadRunning());
    EXPECT_TRUE(StartMusicThread());  // already running: still one thread

    // The main thread keeps asking while the thread pumps and the device plays.
    std::vector<float> out(2 * 1024);
    float peak = 0.0f;
    char track[MUSIC_PATH_TEXT];
    for (int i = 0; i < 60; ++i) {
        device->RenderSamples(out.data(), 1024);
        for (float s : out) peak = std::max(peak, std::abs(s));
        switch (i % 6) {
        case 0: Music->Play(i % 12 ? first.c_str() : second.c_str()); break;
        case 1: Music->FadeOut(0.02f); break;
        case 2: Music->SetVolume(0.8f); break;
        case 3: Music->PlayIngamePlaylist(); break;
        case 4: Music->SetMusicSettings(true, 9); break;
        case 5:
            Music->ClearPlaylist();
            Music->GetCurrentTrack(track, sizeof track);
            break;
        }
        // What the in-game display reads without the lock, read while the thread works.
        uint32_t until = TimeGetTimeMs() + 3;
        while (TimeGetTimeMs() < until) {
            (void)Music->GetVolume();
            (void)Music->HasPlaylistTrack();
            (void)Music->GetPlaylistIndex();
            (void)Music->IsSilent();
            (void)Music->IsFading();
        }
    }
    EXPECT_GT(peak, 0.05f);

    StopMusicThread();
    EXPECT_FALSE(IsMusicThreadRunning());
    StopMusicThread();  // nothing left to stop

    // The player is whole after the thread has gone: it can be pumped by hand and shut down.
    Music->Update();
    Music->Shutdown();
    delete Music;
    Music = nullptr;
    MusicTrackCount = 0;
}
