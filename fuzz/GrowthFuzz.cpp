// Growth definitions: every definition of the text read into a catalogue of its own.
#include "fuzz/FuzzSupport.h"
#include "levelgen/Growth.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GrowthDB growth(false);
    growth.Load(WriteInputFile(data, size, ".cgs"));
    return 0;
}
