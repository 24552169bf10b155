// Ogg Vorbis music: opened as the music player opens it, decoded, looped.
#include "fuzz/FuzzSupport.h"
#include "host/AudioOgg.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AudioOggDecoder decoder;
    if (!decoder.Open(WriteInputFile(data, size, ".ogg"))) return 0;
    decoder.TotalFrames();
    static char block[32768];
    // A few seconds of sound at most: a small file may legitimately describe hours of it.
    for (int pass = 0; pass < 2; ++pass) {
        for (int reads = 0; reads < 64 && decoder.Read(block, sizeof block) != 0; ++reads) {
        }
        decoder.SeekToStart();
    }
    return 0;
}
