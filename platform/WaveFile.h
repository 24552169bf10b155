#pragma once
// RIFF wave files as the sound package stores them: the reader finds the format and the
// sample data inside a copy of the package entry and hands the data out in pieces.
#include <cstddef>
#include <cstdint>
#include <vector>

class PackageFile;

// The sound package ("data/sound.pkb"), opened by the sound manager; waves are looked up in it
// by file name.
extern PackageFile* SoundPackage;

constexpr uint16_t WAVE_FORMAT_PCM = 1;

// The wave's format record as the file stores it.
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;       // 0 for PCM
    std::vector<uint8_t> extra;   // extraSize bytes following the record (other formats)
};

class WaveFile {
public:
    WaveFile() = default;
    ~WaveFile();
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    // Reads the wave named by the path's last component from the sound package. 0 on
    // success; a negative sound result otherwise.
    int Open(const char* path);
    // The same from bytes in memory (copied); `name` is what the log calls the wave.
    int OpenMemory(const void* bytes, size_t size, const char* name);
    void Close();

    const WaveFormat* GetFormat() const { return format_; }
    // Bytes of sample data (the "data" chunk), 0 when nothing is open.
    uint32_t GetSize() const { return dataSize_; }

    // Back to the first byte of the sample data.
    int ResetFile();
    // Copies at most `size` bytes of the data not yet read; `read` gets the count.
    int Read(uint8_t* out, uint32_t size, uint32_t* read);

private:
    int ReadHeader(const char* name);

    WaveFormat* format_ = nullptr;
    std::vector<uint8_t> bytes_;  // our copy of the whole file
    uint32_t dataOffset_ = 0;
    uint32_t dataSize_ = 0;
    uint32_t remaining_ = 0;      // of the data chunk, counting down as it is read
};
