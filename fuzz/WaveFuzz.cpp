// Wave files of the sound package, read to the end twice.
#include "fuzz/FuzzSupport.h"
#include "platform/WaveFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WaveFile wave;
    if (wave.OpenMemory(data, size, "fuzz.wav") != 0) return 0;
    uint8_t block[4096];
    for (int pass = 0; pass < 2; ++pass) {
        uint32_t read = 0;
        while (wave.Read(block, sizeof block, &read) == 0 && read > 0) {
        }
        wave.ResetFile();
    }
    return 0;
}
