#include "host/AudioDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int Rate = 22050;

struct Levels {
    float left = 0, right = 0;  // root mean square of each channel
    float peak = 0;
};

Levels Render(AudioDevice* device, int frames)
{
    std::vector<float> out(2 * frames);
    device->RenderSamples(out.data(), frames);
    Levels levels;
    for (int i = 0; i < frames; ++i) {
        levels.left += out[2 * i] * out[2 * i];
        levels.right += out[2 * i + 1] * out[2 * i + 1];
        levels.peak = std::fmax(levels.peak, std::fmax(std::fabs(out[2 * i]), std::fabs(out[2 * i + 1])));
    }
    levels.left = std::sqrt(levels.left / frames);
    levels.right = std::sqrt(levels.right / frames);
    return levels;
}

// A mono 16-bit tone written into a fresh buffer.
AudioBuffer* ToneBuffer(AudioDevice* device, int frames, float hz, int bits = 16)
{
    AudioFormat format;
    format.channels = 1;
    format.frequency = Rate;
    format.bitsPerSample = bits;
    AudioBuffer* buffer = device->CreateBuffer(format, (size_t)frames * format.FrameBytes());
    if (!buffer) return nullptr;
    void* data = nullptr;
    size_t size = 0;
    EXPECT_TRUE(buffer->Lock(&data, &size));
    for (int i = 0; i < frames; ++i) {
        float s = 0.5f * sinf(6.2831853f * hz * i / Rate);
        if (bits == 16)
            ((int16_t*)data)[i] = (int16_t)(s * 32767);
        else
            ((uint8_t*)data)[i] = (uint8_t)(128 + s * 127);
    }
    buffer->Unlock();
    return buffer;
}

class LoopbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.reset(AudioDevice::OpenLoopback(Rate));
        ASSERT_NE(device, nullptr);
    }
    std::unique_ptr<AudioDevice> device;
};

}  // namespace

TEST(AudioConversions, VolumeAndPanAtTheEndsOfTheirRanges)
{
    struct Case {
        int volume;
        float gain;
    };
    const Case volumes[] = {{0, 1.0f}, {500, 1.0f}, {-2000, 0.1f}, {-6000, 0.001f}, {-9999, 1.00115e-5f},
                            {-10000, 0.0f}, {-20000, 0.0f}};
    for (const Case& c : volumes) EXPECT_NEAR(AttenuationToGain(c.volume), c.gain, c.gain * 1e-3f + 1e-9f) << c.volume;

    float position[3];
    PanToSourcePosition(0, position);
    EXPECT_FLOAT_EQ(position[0], 0.0f);
    EXPECT_FLOAT_EQ(position[2], -1.0f);
    PanToSourcePosition(AUDIO_PAN_RIGHT, position);
    EXPECT_NEAR(position[0], 0.866f, 1e-3f);
    PanToSourcePosition(AUDIO_PAN_LEFT, position);
    EXPECT_NEAR(position[0], -0.866f, 1e-3f);
    PanToSourcePosition(40000, position);
    EXPECT_NEAR(position[0], 0.866f, 1e-3f);
    // Further right means further round, never back.
    float last = 0.0f;
    for (int pan = 0; pan <= 10000; pan += 250) {
        PanToSourcePosition(pan, position);
        EXPECT_GE(position[0], last) << pan;
        EXPECT_NEAR(position[0] * position[0] + position[2] * position[2], 1.0f, 1e-5f);
        last = position[0];
    }
}

TEST_F(LoopbackTest, APlayedBufferIsHeardAndVolumeMinimumIsSilence)
{
    std::unique_ptr<AudioBuffer> buffer(ToneBuffer(device.get(), Rate, 440.0f));
    ASSERT_NE(buffer, nullptr);
    EXPECT_TRUE(Render(device.get(), 512).peak == 0.0f);

    ASSERT_TRUE(buffer->Play(true));
    EXPECT_TRUE(buffer->IsPlaying());
    Levels loud = Render(device.get(), 4096);
    EXPECT_GT(loud.left, 0.1f);
    EXPECT_NEAR(loud.left, loud.right, 0.01f);

    buffer->SetVolume(-2000);  // 20 dB down: a tenth of the amplitude
    Render(device.get(), 1024);  // the mixer ramps gain changes
    Levels quiet = Render(device.get(), 4096);
    EXPECT_NEAR(quiet.left / loud.left, 0.1f, 0.02f);

    buffer->SetVolume(AUDIO_VOLUME_MIN);
    Render(device.get(), 1024);  // the mixer ramps gain changes
    EXPECT_EQ(Render(device.get(), 4096).peak, 0.0f);
}

TEST_F(LoopbackTest, PanMovesAMonoBufferBetweenTheChannels)
{
    std::unique_ptr<AudioBuffer> buffer(ToneBuffer(device.get(), Rate, 440.0f, 8));
    ASSERT_NE(buffer, nullptr);
    struct Case {
        int pan;
        float leftOverRightDb;  // what the pan asks for
    };
    const Case cases[] = {{AUDIO_PAN_LEFT, 60.0f}, {-1000, 10.0f}, {0, 0.0f}, {1000, -10.0f}, {AUDIO_PAN_RIGHT, -60.0f}};
    for (const Case& c : cases) {
        buffer->SetPan(c.pan);
        buffer->Play(true);
        Render(device.get(), 2048);
        Levels levels = Render(device.get(), 4096);
        if (std::fabs(c.leftOverRightDb) >= 60.0f) {
            EXPECT_LT(std::fmin(levels.left, levels.right), 1e-4f) << c.pan;
            EXPECT_GT(std::fmax(levels.left, levels.right), 0.1f) << c.pan;
            EXPECT_EQ(levels.left > levels.right, c.pan < 0) << c.pan;
        } else {
            EXPECT_NEAR(20.0f * log10f(levels.left / levels.right), c.leftOverRightDb, 1.0f) << c.pan;
        }
    }
}

TEST_F(LoopbackTest, DuplicatesShareSamplesAndStopKeepsThePosition)
{
    std::unique_ptr<AudioBuffer> first(ToneBuffer(device.get(), Rate / 10, 440.0f));
    ASSERT_NE(first, nullptr);
    std::unique_ptr<AudioBuffer> second(first->Duplicate());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Size(), first->Size());

    // New samples written through the first voice are what the duplicate plays.
    void* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(first->Lock(&data, &size));
    memset(data, 0, size);
    first->Unlock();
    second->Play(false);
    EXPECT_EQ(Render(device.get(), 1024).peak, 0.0f);

    // A one-shot voice ends by itself; stopping halts it and Play goes on.
    std::unique_ptr<AudioBuffer> tone(ToneBuffer(device.get(), Rate / 10, 440.0f));
    tone->Play(false);
    Render(device.get(), 512);
    tone->Stop();
    EXPECT_FALSE(tone->IsPlaying());
    EXPECT_EQ(Render(device.get(), 512).peak, 0.0f);
    tone->Play(false);
    EXPECT_TRUE(tone->IsPlaying());
    Render(device.get(), Rate / 10);
    EXPECT_FALSE(tone->IsPlaying());
}

TEST_F(LoopbackTest, AStreamPlaysQueuedBlocksAndRecoversWhenItRunsDry)
{
    AudioFormat format;
    format.channels = 2;
    format.frequency = Rate;
    format.bitsPerSample = 16;
    std::unique_ptr<AudioStream> stream(device->CreateStream(format));
    ASSERT_NE(stream, nullptr);
    std::vector<int16_t> block(2 * 1000);
    for (size_t i = 0; i < block.size(); ++i) block[i] = (int16_t)((i / 2) % 100 * 200);
    EXPECT_FALSE(stream->Queue(block.data(), 3));  // less than one frame
    ASSERT_TRUE(stream->Queue(block.data(), block.size() * 2));
    ASSERT_TRUE(stream->Queue(block.data(), block.size() * 2));
    EXPECT_EQ(stream->Pending(), 2);
    stream->Play();
    Render(device.get(), 1200);
    EXPECT_EQ(stream->Processed(), 1);
    EXPECT_EQ(stream->Pending(), 1);

    // Both blocks played and nothing queued: the voice falls silent...
    Render(device.get(), 1000);
    EXPECT_EQ(stream->Processed(), 2);
    EXPECT_EQ(Render(device.get(), 500).peak, 0.0f);
    // ...and a new block brings it back without a new Play.
    ASSERT_TRUE(stream->Queue(block.data(), block.size() * 2));
    EXPECT_GT(Render(device.get(), 500).peak, 0.1f);
    EXPECT_EQ(stream->Processed(), 1);  // the other reclaimed block waits to be refilled
}

TEST(AudioDevice, NoLoopbackOutputForARealDeviceAndBadFormatsAreRefused)
{
    std::unique_ptr<AudioDevice> device(AudioDevice::OpenLoopback(Rate));
    ASSERT_NE(device, nullptr);
    AudioFormat bad;
    bad.channels = 6;
    bad.frequency = Rate;
    bad.bitsPerSample = 16;
    EXPECT_EQ(device->CreateBuffer(bad, 1000), nullptr);
    EXPECT_EQ(device->CreateStream(bad), nullptr);
    bad.channels = 1;
    bad.bitsPerSample = 24;
    EXPECT_EQ(device->CreateBuffer(bad, 1000), nullptr);
    bad.bitsPerSample = 16;
    EXPECT_EQ(device->CreateBuffer(bad, 0), nullptr);

    // The null output (what test runs get instead of a card) opens and mixes by itself.
    std::unique_ptr<AudioDevice> real(AudioDevice::Open());
    if (real) {
        std::vector<float> out(64);
        EXPECT_FALSE(real->RenderSamples(out.data(), 32));
    }
}
