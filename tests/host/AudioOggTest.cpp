#include "host/AudioOgg.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// A stereo test signal: different tones on the two sides.
std::vector<float> Signal(int frames, int rate)
{
    std::vector<float> samples(2 * frames);
    for (int i = 0; i < frames; ++i) {
        samples[2 * i] = 0.4f * sinf(6.2831853f * 330.0f * i / rate);
        samples[2 * i + 1] = 0.3f * sinf(6.2831853f * 550.0f * i / rate);
    }
    return samples;
}

bool Encode(const std::string& path, int frames, int rate)
{
    std::vector<float> samples = Signal(frames, rate);
    AudioOggEncoder encoder;
    if (!encoder.Open(path.c_str(), 2, rate, 0.4f, 1234)) return false;
    bool ok = encoder.Write(samples.data(), frames);
    return encoder.Close() && ok;
}

std::vector<int16_t> DecodeAll(AudioOggDecoder& decoder)
{
    std::vector<int16_t> all;
    std::vector<int16_t> block(4096);
    for (;;) {
        long read = decoder.Read(block.data(), block.size() * 2);
        if (read == 0) break;
        if (read < 0) continue;
        all.insert(all.end(), block.begin(), block.begin() + read / 2);
    }
    return all;
}

}  // namespace

TEST(AudioOgg, EncodedTrackDecodesToItsLengthAndLoopsSampleExactly)
{
    std::string folder = MakeTempFolder("ogg");
    const int frames = 30000, rate = 44100;
    ASSERT_TRUE(Encode(folder + "/Tone.ogg", frames, rate));

    AudioOggDecoder decoder;
    ASSERT_TRUE(decoder.Open((folder + "/tone.ogg").c_str()));  // found without regard to case
    EXPECT_EQ(decoder.Channels(), 2);
    EXPECT_EQ(decoder.Rate(), rate);
    EXPECT_EQ(decoder.TotalFrames(), frames);

    std::vector<int16_t> first = DecodeAll(decoder);
    ASSERT_EQ(first.size(), 2u * frames);
    // Close to what went in (a lossy codec, but not a different signal).
    std::vector<float> signal = Signal(frames, rate);
    double error = 0;
    for (size_t i = 0; i < first.size(); ++i) error += std::fabs(first[i] / 32768.0 - signal[i]);
    EXPECT_LT(error / first.size(), 0.01);

    // After the seek the sample after the loop is the first sample again.
    ASSERT_TRUE(decoder.SeekToStart());
    std::vector<int16_t> again = DecodeAll(decoder);
    EXPECT_EQ(again, first);
}

TEST(AudioOgg, SameSamplesGiveTheSameBytesAndBadFilesDoNotOpen)
{
    std::string folder = MakeTempFolder("ogg-bytes");
    ASSERT_TRUE(Encode(folder + "/a.ogg", 5000, 22050));
    ASSERT_TRUE(Encode(folder + "/b.ogg", 5000, 22050));
    std::string a = ReadTextFile(folder + "/a.ogg");
    EXPECT_GT(a.size(), 100u);
    EXPECT_EQ(a, ReadTextFile(folder + "/b.ogg"));

    AudioOggDecoder decoder;
    EXPECT_FALSE(decoder.Open((folder + "/missing.ogg").c_str()));
    ASSERT_TRUE(WriteTextFile(folder + "/text.ogg", "OggS but not really a stream"));
    EXPECT_FALSE(decoder.Open((folder + "/text.ogg").c_str()));
    EXPECT_FALSE(decoder.IsOpen());
    // Cut in the middle: the headers are there, the stream ends early without harm.
    ASSERT_TRUE(WriteTextFile(folder + "/cut.ogg", a.substr(0, a.size() / 2)));
    if (decoder.Open((folder + "/cut.ogg").c_str())) {
        std::vector<int16_t> samples = DecodeAll(decoder);
        EXPECT_LT(samples.size(), 2u * 5000);
    }
    int16_t out[16];
    decoder.Close();
    EXPECT_EQ(decoder.Read(out, sizeof out), 0);
}
