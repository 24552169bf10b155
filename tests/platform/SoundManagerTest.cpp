#include "platform/SoundManager.h"

#include "host/AudioDevice.h"
#include "host/Log.h"
#include "host/Maths.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/MusicPlayer.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "tests/platform/SoundTestSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

float Peak(AudioDevice* device, int frames)
{
    std::vector<float> out(2 * frames);
    device->RenderSamples(out.data(), frames);
    float peak = 0.0f;
    for (float s : out) peak = std::fmax(peak, std::fabs(s));
    return peak;
}

class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FrameTimer.frameCount = 100;
        manager.reset(new SoundManager());
        ASSERT_TRUE(manager->Init(AudioDevice::OpenLoopback(22050)));
        device = manager->GetAudioDevice();
        std::string folder = MakeTempFolder("sounds");
        ASSERT_NE(InstallSoundPackage(folder, {{"tone.wav", "tone.wav", ToneWave(22050)},
                                               {"short.wav", "short.wav", ToneWave(200)},
                                               {"broken.wav", "broken.wav", {'R', 'I', 'F', 'F'}}}),
                  nullptr);
        ASSERT_TRUE(manager->LoadSound("Tone", "data/sounds/tone.wav", 3));
        ASSERT_TRUE(manager->LoadSound("short", "short.wav", 2));
    }
    void TearDown() override
    {
        manager.reset();
        FrameTimer.frameCount = 0;
    }
    std::unique_ptr<SoundManager> manager;
    AudioDevice* device = nullptr;
};

}  // namespace

TEST(SoundVolumes, EffectAndMusicVolumesAtTheEndsOfTheirRanges)
{
    struct Case {
        float volume;
        int effect, music;
    };
    // Volume 0 and below is silence for effects as for music.
    const Case cases[] = {{1.0f, 0, 0},           {1.5f, 0, 0},           {0.5f, -778, -903},
                          {0.0001f, -2998, -10000}, {0.0f, -10000, -10000}, {-0.5f, -10000, -10000}};
    for (const Case& c : cases) {
        EXPECT_EQ(EffectVolumeToAttenuation(c.volume), c.effect) << c.volume;
        EXPECT_EQ(MusicVolumeToAttenuation(c.volume), c.music) << c.volume;
    }
}

TEST(SoundVolumes, PositionGivesLoudnessAndPan)
{
    struct Case {
        Vec3 offset, facing;
        float volume;
        int pan;
    };
    const Case cases[] = {
        {Vec3(50, 0, 0), Vec3(0, 0, 1), 0.75f, 10000},
        {Vec3(-1, 0, 0), Vec3(0, 0, 1), 0.9999f, -10000},
        {Vec3(0, 0, 30), Vec3(0, 0, 1), 0.91f, 0},
        {Vec3(0, 0, 100), Vec3(0, 0, 1), 0.0f, 0},
        {Vec3(0, 0, -250), Vec3(0, 0, 1), 0.0f, 0},
        {Vec3(3, 0, 3), Vec3(1, 0, 0), 0.9982f, -7071},
        // Undefined directions are centred, never NaN.
        {Vec3(0, 0, 0), Vec3(0, 0, 1), 1.0f, 0},
        {Vec3(5, 0, 0), Vec3(0, 0, 0), 0.9975f, 0},
        {Vec3(0, 0, 0), Vec3(0, 1, 0), 1.0f, 0},
    };
    const Vec3 listener(10, 2, -7);
    for (const Case& c : cases) {
        float volume = -1;
        int pan = 12345;
        ComputePositionalVolume(listener + c.offset, listener, c.facing, &volume, &pan);
        EXPECT_NEAR(volume, c.volume, 1e-3f) << c.offset.x << " " << c.offset.z;
        EXPECT_NEAR(pan, c.pan, 1) << c.offset.x << " " << c.offset.z;
    }
}

TEST_F(SoundManagerTest, HandlesNameTheSoundAndVoiceAndTheRepeatGuardHolds)
{
    EXPECT_EQ(manager->GetSoundCount(), 2);
    EXPECT_EQ(manager->PlaySound("tone"), 0);  // names are found without regard to case
    EXPECT_EQ(manager->PlaySound("TONE"), -1);  // same frame
    FrameTimer.frameCount += 9;
    EXPECT_EQ(manager->PlaySound("tone"), -1);
    FrameTimer.frameCount += 1;
    EXPECT_EQ(manager->PlaySound("tone"), 1);  // ten frames on: the next voice
    EXPECT_EQ(manager->PlaySound("short"), SOUND_HANDLE_FACTOR);
    EXPECT_EQ(manager->PlaySound("nothing"), -1);

    // During play the updates clear the guard every frame.
    manager->Update(0.016f);
    EXPECT_EQ(manager->PlaySound("tone"), 2);
    manager->Update(0.016f);
    EXPECT_EQ(manager->PlaySound("tone"), SOUND_MAX_BUFFERS);  // the first voice's second play
    EXPECT_EQ(manager->PlayByIndex(0, false), -1);
    manager->Update(0.016f);
    EXPECT_EQ(manager->PlayByIndex(0, false), SOUND_MAX_BUFFERS + 1);
    EXPECT_EQ(manager->PlayByIndex(7, false), -1);

    EXPECT_TRUE(manager->IsPlaying(0, SOUND_MAX_BUFFERS + 1));
    EXPECT_TRUE(manager->IsPlaying(0, -1));
    manager->StopSound(0, SOUND_MAX_BUFFERS + 1);
    EXPECT_FALSE(manager->IsPlaying(0, SOUND_MAX_BUFFERS + 1));
    EXPECT_TRUE(manager->IsPlaying(0, SOUND_MAX_BUFFERS));
    manager->StopAll();
    EXPECT_FALSE(manager->IsPlaying(0, -1));
    EXPECT_FALSE(manager->IsPlaying(5, -1));
    manager->StopSound(-1, -1);

    // The frame count starts again with every level: a sound last started late in the front end
    // plays in the level's first frames.
    FrameTimer.frameCount = 5000;
    EXPECT_GE(manager->PlaySound("tone"), 0);
    FrameTimer.frameCount = 2;
    EXPECT_GE(manager->PlaySound("tone"), 0);
    EXPECT_EQ(manager->PlaySound("tone"), -1) << "the guard holds within the new count";
}

// Five units at work share a looping hum of four voices, so the fifth play takes the first's
// voice. A handle names its own play: ending a play that is over, however long its handle was
// kept, or handing the handle to another sound, silences nobody.
TEST_F(SoundManagerTest, AHandleStopsItsOwnPlayAndNoOther)
{
    int beam = -1;
    ASSERT_TRUE(manager->LoadSound("buildbeam", "tone.wav", 4, &beam));
    CSound* sound = manager->GetSound(beam);
    auto voices = [&] {
        int playing = 0;
        for (int i = 0; i < sound->GetBufferCount(); ++i) playing += sound->GetBuffer(i)->IsPlaying();
        return playing;
    };
    auto play = [&] {
        manager->Update(0.016f);
        return manager->PlaySound("buildbeam", true);
    };
    int plays[5];
    for (int& handle : plays) {
        handle = play();
        ASSERT_EQ(handle / SOUND_HANDLE_FACTOR, beam);
    }
    ASSERT_EQ(voices(), 4);
    EXPECT_FALSE(manager->IsPlaying(beam, plays[0])) << "its voice plays the fifth's hum now";
    manager->StopSound(beam, plays[0]);
    EXPECT_TRUE(manager->IsPlaying(beam, plays[4]));
    EXPECT_EQ(voices(), 4) << "ending the first leaves the fifth humming";

    // The fifth's voice goes round four more times while its handle is kept.
    int latest = -1;
    for (int i = 0; i < 16; ++i) latest = play();
    manager->StopSound(beam, plays[4]);
    EXPECT_EQ(voices(), 4) << "a kept handle stops no later play";
    // The tone's first play holds the first voice, as the latest hum does.
    const int tone = manager->PlaySound("tone", true);
    ASSERT_EQ(tone, 0);
    manager->StopSound(0, latest);
    EXPECT_TRUE(manager->IsPlaying(0, tone)) << "another sound's handle stops nothing";
    manager->StopSound(beam, latest);
    EXPECT_FALSE(manager->IsPlaying(beam, latest));
    EXPECT_EQ(voices(), 3) << "its own handle stops the play";
}

TEST_F(SoundManagerTest, DelayedPlaysStartInTheUpdateThatMakesThemDue)
{
    EXPECT_EQ(manager->PlaySound("tone", false, 0.001f), 0);  // at once
    manager->StopAll();
    manager->Update(0.0f);
    EXPECT_EQ(manager->PlaySound("tone", false, 0.0011f), -1);
    EXPECT_EQ(manager->GetDelayedCount(), 1);
    EXPECT_FALSE(manager->IsPlaying(0, -1));
    manager->Update(0.001f);
    EXPECT_FALSE(manager->IsPlaying(0, -1));
    manager->Update(0.001f);
    EXPECT_TRUE(manager->IsPlaying(0, -1));
    EXPECT_EQ(manager->GetDelayedCount(), 0);

    for (int i = 0; i < 101; ++i) manager->PlaySound("short", false, 1.0f);
    EXPECT_EQ(manager->GetDelayedCount(), 100);
    manager->ClearQueues();
    EXPECT_EQ(manager->GetDelayedCount(), 0);
}

TEST_F(SoundManagerTest, APlayedEffectIsHeardAndVolumeZeroIsSilence)
{
    EXPECT_EQ(Peak(device, 1024), 0.0f);
    ASSERT_GE(manager->PlaySound("tone"), 0);
    EXPECT_GT(Peak(device, 2048), 0.1f);
    manager->StopAll();

    manager->SetVolume(1.5f);
    EXPECT_EQ(manager->GetVolume(), 1.0f);
    manager->SetVolume(-0.5f);
    EXPECT_EQ(manager->GetVolume(), 0.0f);
    manager->Update(0.016f);
    Peak(device, 1024);  // let the stop fade out
    ASSERT_GE(manager->PlaySound("tone"), 0);
    EXPECT_EQ(Peak(device, 4096), 0.0f);

    // The master volume reaches voices that are already playing.
    manager->SetVolume(1.0f);
    Peak(device, 1024);
    EXPECT_GT(Peak(device, 2048), 0.1f);

    // A source out of hearing range is silent too.
    manager->StopAll();
    manager->Update(0.016f);
    Peak(device, 1024);
    Vec3 source(0, 0, 150), listener(0, 0, 0), facing(0, 0, 1);
    ASSERT_GE(manager->PlaySound("tone", false, 0.0f, &source, &listener, &facing), 0);
    Peak(device, 1024);
    EXPECT_EQ(Peak(device, 2048), 0.0f);
}

TEST_F(SoundManagerTest, LoadFailuresAreLoggedAndTheTableIsBounded)
{
    LogCaptureBegin();
    EXPECT_FALSE(manager->LoadSound("broken", "broken.wav", 1));
    EXPECT_FALSE(manager->LoadSound("gone", "missing.wav", 1));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("    SoundManager() ERROR: File: broken\n"), std::string::npos) << log;
    EXPECT_NE(log.find("    SoundManager() ERROR: File: gone\n"), std::string::npos) << log;
    EXPECT_EQ(manager->GetSoundCount(), 2);

    // A count outside 1..8 gives one voice.
    int index = -1;
    ASSERT_TRUE(manager->LoadSound("twelve", "short.wav", 12, &index));
    EXPECT_EQ(manager->GetSound(index)->GetBufferCount(), 1);
    ASSERT_TRUE(manager->LoadSound("eight", "short.wav", 8, &index));
    EXPECT_EQ(manager->GetSound(index)->GetBufferCount(), 8);

    // A name loaded again (a script read a second time) keeps its one entry.
    const int eight = index;
    ASSERT_TRUE(manager->LoadSound("EIGHT", "short.wav", 2, &index));
    EXPECT_EQ(index, eight);
    EXPECT_EQ(manager->GetSoundCount(), 4);
    EXPECT_EQ(manager->GetSound(index)->GetBufferCount(), 8);

    for (int n = 0; manager->GetSoundCount() < MAX_SOUNDS; ++n)
        ASSERT_TRUE(manager->LoadSound(("more" + std::to_string(n)).c_str(), "short.wav", 1));
    LogCaptureBegin();
    EXPECT_FALSE(manager->LoadSound("one too many", "short.wav", 1));
    EXPECT_NE(LogCaptureEnd().find("SoundManager() ERROR: Too Many sounds. File: one too many"), std::string::npos);
    EXPECT_EQ(manager->GetSoundCount(), MAX_SOUNDS);
    manager->Update(0.0f);
    EXPECT_EQ(manager->PlaySound("eight"), index * SOUND_HANDLE_FACTOR);
}

TEST(SoundManager, WithoutADeviceEveryPlayIsRefusedAndNothingBreaks)
{
    SoundManager manager;
    LogCaptureBegin();
    // Null output refused: a loopback device that cannot open leaves the manager disabled.
    EXPECT_FALSE(manager.LoadSound("tone", "tone.wav", 1));
    LogCaptureEnd();
    EXPECT_FALSE(manager.IsEnabled());
    EXPECT_EQ(manager.PlaySound("tone"), -1);
    EXPECT_EQ(manager.PlayByIndex(0, false), -1);
    manager.Update(0.1f);
    manager.StopAll();
    manager.SetVolume(0.3f);
    EXPECT_FLOAT_EQ(manager.GetVolume(), 0.3f);
}

TEST(SoundManager, SettingsSaveTheVolumeThePlayerSet)
{
    std::string folder = MakeTempFolder("sound-settings");
    ScopedGlobal<char[256]> user(UserFolder);
    CopyText(UserFolder, sizeof UserFolder, folder.c_str());
    LogCaptureBegin();
    ConfigFile config(nullptr);
    LogCaptureEnd();
    config.SoundVolume = 9;
    ScopedGlobal<SoundManager*> sound(SoundMgr, new SoundManager());
    ASSERT_TRUE(SoundMgr->Init(AudioDevice::OpenLoopback(22050)));
    SoundMgr->SetVolume(0.4f);
    config.SaveSettings();
    EXPECT_NE(ReadTextFile(folder + "/settings.cfg").find("\nSoundVolume\t\t\t\t\t4\n"), std::string::npos);
    delete SoundMgr;
    SoundMgr = nullptr;
    config.SaveSettings();
    EXPECT_NE(ReadTextFile(folder + "/settings.cfg").find("\nSoundVolume\t\t\t\t\t9\n"), std::string::npos)
        << "without a sound manager the configured volume stays";
}

TEST(SoundData, EveryEffectTheGameNamesIsShippedMonoAndAudible)
{
    const char* names[] = {"blip", "bad",     "click",    "select",       "credits",   "countdown", "alert",    "levelup",
                           "explo", "FireHit", "meleehit", "meleehit_bio", "pickaxe_1", "pickaxe_2", "pickaxe_3"};
    FrameTimer.frameCount = 100;
    SoundManager manager;
    ASSERT_TRUE(manager.Init(AudioDevice::OpenLoopback(22050)));  // opens data/sound.pkb
    AudioDevice* device = manager.GetAudioDevice();
    for (const char* name : names) {
        std::string file = std::string("data/sounds/") + name + ".wav";
        int index = -1;
        ASSERT_TRUE(manager.LoadSound(name, file.c_str(), 2, &index)) << name;
        AudioBuffer* voice = manager.GetSound(index)->GetBuffer(0);
        EXPECT_EQ(voice->Format().channels, 1) << name;  // so that positions can pan it
        EXPECT_EQ(voice->Format().bitsPerSample, 16) << name;
        manager.Update(0.0f);
        ASSERT_GE(manager.PlaySound(name), 0) << name;
        EXPECT_GT(Peak(device, 1024), 0.05f) << name;
        manager.StopAll();
        Peak(device, 1024);
    }
    FrameTimer.frameCount = 0;
}
