#include "platform/WaveFile.h"

#include "host/Log.h"
#include "platform/PackageFile.h"
#include "platform/SoundDevice.h"

#include <cstring>

PackageFile* SoundPackage = nullptr;

namespace {

uint32_t Read32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}

uint16_t Read16(const uint8_t* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

}  // namespace

WaveFile::~WaveFile()
{
    Close();
}

void WaveFile::Close()
{
    delete format_;
    format_ = nullptr;
    bytes_.clear();
    bytes_.shrink_to_fit();
    dataOffset_ = dataSize_ = remaining_ = 0;
}

int WaveFile::Open(const char* path)
{
    if (!path) return SOUND_INVALID_ARG;
    Close();
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    if (!SoundPackage) return SOUND_FAIL;
    unsigned size = 0;
    const void* data = SoundPackage->GetData(name, &size);
    if (!data || size == 0) return SOUND_FAIL;
    // Our own copy; the package's is let go at once so that it never keeps every wave loaded.
    int result = OpenMemory(data, size, name);
    SoundPackage->ReleaseData(name);
    return result;
}

int WaveFile::OpenMemory(const void* bytes, size_t size, const char* name)
{
    Close();
    if (!bytes || size == 0) return SOUND_FAIL;
    if (size > 0x7fffffff) {
        Log("ERROR: wave %s is too large (%zu bytes)\n", name, size);
        return SOUND_FAIL;
    }
    bytes_.assign((const uint8_t*)bytes, (const uint8_t*)bytes + size);
    int result = ReadHeader(name ? name : "(memory)");
    if (result < 0) Close();
    return result;
}

int WaveFile::ReadHeader(const char* name)
{
    const uint8_t* file = bytes_.data();
    const uint32_t size = (uint32_t)bytes_.size();
    if (size < 12 || memcmp(file, "RIFF", 4) != 0 || memcmp(file + 8, "WAVE", 4) != 0) {
        Log("ERROR: %s is not a RIFF WAVE file\n", name);
        return SOUND_FAIL;
    }
    // Sizes come from the file and are checked before anything is read by them.
    uint32_t riffSize = Read32(file + 4);
    if (riffSize < 4 || riffSize > size - 8) {
        Log("ERROR: wave %s: its RIFF chunk claims %u bytes but the file holds %u\n", name, riffSize, size - 8);
        return SOUND_FAIL;
    }
    const uint32_t riffEnd = 8 + riffSize;

    uint32_t fmtOffset = 0, fmtSize = 0;
    bool haveFormat = false, haveData = false;
    uint32_t at = 12;
    while (at + 8 <= riffEnd) {
        uint32_t chunkSize = Read32(file + at + 4);
        if (chunkSize > riffEnd - at - 8) {
            Log("ERROR: wave %s: chunk '%.4s' claims %u bytes, past the end of the file\n", name,
                (const char*)file + at, chunkSize);
            return SOUND_FAIL;
        }
        if (!haveFormat && memcmp(file + at, "fmt ", 4) == 0) {
            haveFormat = true;
            fmtOffset = at + 8;
            fmtSize = chunkSize;
        } else if (!haveData && memcmp(file + at, "data", 4) == 0) {
            haveData = true;
            dataOffset_ = at + 8;
            dataSize_ = chunkSize;
        }
        // Chunks start on even offsets.
        uint32_t next = at + 8 + chunkSize + (chunkSize & 1);
        if (next <= at) break;
        at = next;
    }
    if (!haveFormat || fmtSize < 16) {
        Log("ERROR: wave %s has no usable format chunk\n", name);
        return SOUND_FAIL;
    }
    const uint8_t* f = file + fmtOffset;
    WaveFormat* format = new WaveFormat();
    format->formatTag = Read16(f);
    format->channels = Read16(f + 2);
    format->samplesPerSec = Read32(f + 4);
    format->avgBytesPerSec = Read32(f + 8);
    format->blockAlign = Read16(f + 12);
    format->bitsPerSample = Read16(f + 14);
    if (format->formatTag != WAVE_FORMAT_PCM) {
        if (fmtSize < 18 || fmtSize - 18 < Read16(f + 16)) {
            Log("ERROR: wave %s: its format chunk is cut short\n", name);
            delete format;
            return SOUND_FAIL;
        }
        format->extraSize = Read16(f + 16);
        format->extra.assign(f + 18, f + 18 + format->extraSize);
    }
    if (!haveData) {
        Log("ERROR: wave %s has no data chunk\n", name);
        delete format;
        return SOUND_FAIL;
    }
    format_ = format;
    remaining_ = dataSize_;
    return SOUND_OK;
}

int WaveFile::ResetFile()
{
    if (!format_) return SOUND_FAIL;
    remaining_ = dataSize_;
    return SOUND_OK;
}

int WaveFile::Read(uint8_t* out, uint32_t size, uint32_t* read)
{
    if (read) *read = 0;
    if (!format_ || !out || !read) return SOUND_INVALID_ARG;
    uint32_t count = size < remaining_ ? size : remaining_;
    memcpy(out, bytes_.data() + dataOffset_ + (dataSize_ - remaining_), count);
    remaining_ -= count;
    *read = count;
    return SOUND_OK;
}
