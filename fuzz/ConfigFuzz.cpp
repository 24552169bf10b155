// The configuration files (data/config.cfg, fonts.cfg, the user's settings.cfg).
#include "fuzz/FuzzSupport.h"
#include "platform/ConfigFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ConfigFile config(WriteInputFile(data, size, ".cfg"));
    config.LoadFonts(WriteInputFile(data, size, ".cfg"));
    return 0;
}
