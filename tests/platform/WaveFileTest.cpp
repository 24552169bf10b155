#include "platform/WaveFile.h"

#include "host/AudioDevice.h"
#include "host/Log.h"
#include "platform/SoundDevice.h"
#include "tests/platform/SoundTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::vector<unsigned char> Counting(size_t bytes)
{
    std::vector<unsigned char> data(bytes);
    for (size_t i = 0; i < bytes; ++i) data[i] = (unsigned char)(i * 3 + 1);
    return data;
}

void Patch32(std::vector<unsigned char>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = (unsigned char)(value >> (8 * i));
}

}  // namespace

TEST(WaveFile, ReadsTheFormatsTheGameShips)
{
    struct Case {
        int channels, bits, rate;
    };
    const Case cases[] = {{1, 16, 22050}, {2, 16, 44100}, {1, 8, 11025}, {2, 8, 22050}};
    for (const Case& c : cases) {
        std::vector<unsigned char> data = Counting(1000);
        std::vector<unsigned char> file = MakeWave(c.channels, c.bits, c.rate, data);
        WaveFile wave;
        ASSERT_EQ(wave.OpenMemory(file.data(), file.size(), "case"), SOUND_OK);
        const WaveFormat* format = wave.GetFormat();
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->formatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(format->channels, c.channels);
        EXPECT_EQ(format->bitsPerSample, c.bits);
        EXPECT_EQ((int)format->samplesPerSec, c.rate);
        EXPECT_EQ(format->blockAlign, c.channels * c.bits / 8);
        EXPECT_EQ(wave.GetSize(), 1000u);

        // Read in pieces: the data comes out whole and in order, then runs dry.
        std::vector<unsigned char> read(1200);
        uint32_t got = 0, total = 0;
        ASSERT_EQ(wave.Read(read.data(), 300, &got), SOUND_OK);
        total += got;
        ASSERT_EQ(wave.Read(read.data() + total, 900, &got), SOUND_OK);
        total += got;
        EXPECT_EQ(total, 1000u);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), read.begin()));
        EXPECT_EQ(wave.Read(read.data(), 10, &got), SOUND_OK);
        EXPECT_EQ(got, 0u);
        wave.ResetFile();
        EXPECT_EQ(wave.Read(read.data(), 10, &got), SOUND_OK);
        EXPECT_EQ(got, 10u);
        EXPECT_EQ(read[0], data[0]);
    }
}

TEST(WaveFile, SkipsOtherChunksAndReadsExtraFormatBytes)
{
    // A "LIST" chunk of odd size (with its pad byte) before the data, and a format other
    // than PCM with two extra bytes.
    std::vector<unsigned char> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    PutLE(file, 20, 4);
    PutLE(file, 2, 2);  // not PCM
    PutLE(file, 1, 2);
    PutLE(file, 8000, 4);
    PutLE(file, 4000, 4);
    PutLE(file, 1, 2);
    PutLE(file, 4, 2);
    PutLE(file, 2, 2);  // two extra bytes
    file.insert(file.end(), {0xAB, 0xCD});
    file.insert(file.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    file.insert(file.end(), {'d', 'a', 't', 'a', 4, 0, 0, 0, 9, 8, 7, 6});
    Patch32(file, 4, (uint32_t)file.size() - 8);
    WaveFile wave;
    ASSERT_EQ(wave.OpenMemory(file.data(), file.size(), "extra"), SOUND_OK);
    EXPECT_EQ(wave.GetFormat()->formatTag, 2);
    ASSERT_EQ(wave.GetFormat()->extra.size(), 2u);
    EXPECT_EQ(wave.GetFormat()->extra[1], 0xCD);
    EXPECT_EQ(wave.GetSize(), 4u);
}

TEST(WaveFile, RefusesBrokenAndLyingFilesWithALoggedError)
{
    const std::vector<unsigned char> good = MakeWave(1, 16, 22050, Counting(100));
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"cut after the header", std::vector<unsigned char>(good.begin(), good.begin() + 30)});
    cases.push_back({"cut in the data", std::vector<unsigned char>(good.begin(), good.end() - 10)});
    std::vector<unsigned char> riff = good;
    Patch32(riff, 4, 0x7FFFFFF0);
    cases.push_back({"RIFF size beyond the file", riff});
    std::vector<unsigned char> data = good;
    Patch32(data, 40, 5000);
    cases.push_back({"data size beyond the file", data});
    std::vector<unsigned char> shortFormat = good;
    Patch32(shortFormat, 16, 14);
    cases.push_back({"format chunk of 14 bytes", shortFormat});
    std::vector<unsigned char> notRiff = good;
    notRiff[0] = 'X';
    cases.push_back({"not RIFF", notRiff});
    std::vector<unsigned char> notWave = good;
    notWave[8] = 'A';
    cases.push_back({"not WAVE", notWave});
    std::vector<unsigned char> noData = MakeWave(1, 16, 22050, {});
    noData.resize(noData.size() - 8);
    Patch32(noData, 4, (uint32_t)noData.size() - 8);
    cases.push_back({"no data chunk", noData});

    for (const Case& c : cases) {
        WaveFile wave;
        LogCaptureBegin();
        EXPECT_LT(wave.OpenMemory(c.bytes.data(), c.bytes.size(), "broken.wav"), 0) << c.what;
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find("ERROR"), std::string::npos) << c.what;
        EXPECT_NE(log.find("broken.wav"), std::string::npos) << c.what;
        EXPECT_EQ(wave.GetFormat(), nullptr);
        EXPECT_EQ(wave.GetSize(), 0u);
    }
}

TEST(WaveFile, FindsPackageEntriesByFileNameAlone)
{
    std::string folder = MakeTempFolder("wave-package");
    std::vector<unsigned char> tone = ToneWave(500);
    ASSERT_NE(InstallSoundPackage(folder, {{"blip.wav", "sfx/blip.wav", tone}}), nullptr);
    for (const char* path : {"blip.wav", "data/sounds/blip.wav", "Other\\Folder\\BLIP.WAV"}) {
        WaveFile wave;
        EXPECT_EQ(wave.Open(path), SOUND_OK) << path;
        EXPECT_EQ(wave.GetSize(), 1000u) << path;
    }
    WaveFile wave;
    EXPECT_EQ(wave.Open("missing.wav"), SOUND_FAIL);
    EXPECT_EQ(wave.Open(nullptr), SOUND_INVALID_ARG);
    SoundPackage->Close();
    delete SoundPackage;
    SoundPackage = nullptr;
    EXPECT_EQ(wave.Open("blip.wav"), SOUND_FAIL);
}

TEST(CSound, VoicesAreTakenInTurnAndShortDataIsPaddedWithSilence)
{
    std::unique_ptr<AudioDevice> device(AudioDevice::OpenLoopback(22050));
    ASSERT_NE(device, nullptr);
    SoundDevice sounds;
    ASSERT_EQ(sounds.Initialize(device.release()), SOUND_OK);

    WaveFile* wave = new WaveFile();
    std::vector<unsigned char> eightBit = MakeWave(1, 8, 22050, {10, 20, 30, 40});
    ASSERT_EQ(wave->OpenMemory(eightBit.data(), eightBit.size(), "short"), SOUND_OK);
    CSound* created = nullptr;
    ASSERT_EQ(sounds.CreateSoundFromWave(&created, wave, SOUND_CTRL_VOLUME | SOUND_CTRL_PAN, 3), SOUND_OK);
    std::unique_ptr<CSound> sound(created);
    EXPECT_EQ(sound->GetBufferCount(), 3);

    int used[4];
    for (int& index : used) ASSERT_EQ(sound->Play(0, 0, -1, 0, &index), SOUND_OK);
    EXPECT_EQ(used[0], 0);
    EXPECT_EQ(used[1], 1);
    EXPECT_EQ(used[2], 2);
    EXPECT_EQ(used[3], 0);
    EXPECT_TRUE(sound->IsSoundPlaying(-1));
    sound->Stop(-1);
    EXPECT_FALSE(sound->IsSoundPlaying(-1));

    // A voice longer than the wave: the rest is the 8-bit silence byte, or the wave again.
    AudioFormat format = sound->GetBuffer(0)->Format();
    std::unique_ptr<AudioBuffer> longer(sounds.GetAudioDevice()->CreateBuffer(format, 10));
    ASSERT_NE(longer, nullptr);
    void* bytes = nullptr;
    size_t size = 0;
    ASSERT_EQ(sound->FillBufferWithSound(longer.get(), false), SOUND_OK);
    ASSERT_TRUE(longer->Lock(&bytes, &size));
    EXPECT_EQ(std::vector<unsigned char>((unsigned char*)bytes, (unsigned char*)bytes + size),
              std::vector<unsigned char>({10, 20, 30, 40, 128, 128, 128, 128, 128, 128}));
    longer->Unlock();
    ASSERT_EQ(sound->FillBufferWithSound(longer.get(), true), SOUND_OK);
    ASSERT_TRUE(longer->Lock(&bytes, &size));
    EXPECT_EQ(std::vector<unsigned char>((unsigned char*)bytes, (unsigned char*)bytes + size),
              std::vector<unsigned char>({10, 20, 30, 40, 10, 20, 30, 40, 10, 20}));
    longer->Unlock();
    longer.reset();
    sound.reset();

    // Waves that cannot make a sound.
    CSound* none = nullptr;
    WaveFile* empty = new WaveFile();
    std::vector<unsigned char> silent = MakeWave(1, 16, 22050, {});
    ASSERT_EQ(empty->OpenMemory(silent.data(), silent.size(), "empty"), SOUND_OK);
    EXPECT_EQ(sounds.CreateSoundFromWave(&none, empty, SOUND_CTRL_VOLUME, 1), SOUND_FAIL);
    WaveFile* surround = new WaveFile();
    std::vector<unsigned char> six = MakeWave(6, 16, 22050, Counting(120));
    ASSERT_EQ(surround->OpenMemory(six.data(), six.size(), "six"), SOUND_OK);
    EXPECT_EQ(sounds.CreateSoundFromWave(&none, surround, SOUND_CTRL_VOLUME, 1), SOUND_FAIL);
    EXPECT_EQ(none, nullptr);
}
