#pragma once
// Ogg Vorbis files: the decoder the music player streams from, and the encoder the content
// tools write the game's music with.
#include <cstddef>
#include <cstdint>

class AudioOggDecoder {
public:
    AudioOggDecoder() = default;
    ~AudioOggDecoder();
    AudioOggDecoder(const AudioOggDecoder&) = delete;
    AudioOggDecoder& operator=(const AudioOggDecoder&) = delete;

    // Opens a file (case-insensitively); false, with nothing left open, when the file is
    // missing or is not an Ogg Vorbis stream.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return state_ != nullptr; }

    // Of the whole stream.
    int Channels() const { return channels_; }
    int Rate() const { return rate_; }
    // Sample frames in the stream, or -1 when the stream cannot tell.
    int64_t TotalFrames();

    // Decodes interleaved signed 16-bit little-endian samples: the bytes written (at most
    // `bytes`), 0 at the end of the stream, or a negative number for a damaged stretch of the
    // stream that the caller skips by reading on.
    long Read(void* out, size_t bytes);
    // Back to the first sample, exactly.
    bool SeekToStart();

private:
    struct State;
    State* state_ = nullptr;
    int channels_ = 0;
    int rate_ = 0;
};

class AudioOggEncoder {
public:
    AudioOggEncoder() = default;
    ~AudioOggEncoder();
    AudioOggEncoder(const AudioOggEncoder&) = delete;
    AudioOggEncoder& operator=(const AudioOggEncoder&) = delete;

    // Starts a variable-bit-rate file (quality -0.1 .. 1.0). The stream serial is fixed by the
    // caller so that the same samples always give the same bytes.
    bool Open(const char* path, int channels, int rate, float quality, int serial);
    // Interleaved samples in -1..1.
    bool Write(const float* samples, int frames);
    // Ends the stream and closes the file; false when anything could not be written.
    bool Close();

private:
    struct State;
    bool Flush(bool final);
    State* state_ = nullptr;
};
