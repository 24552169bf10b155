// The script token reader every .cgs reader shares: tokens, with line values in between.
#include "fuzz/FuzzSupport.h"
#include "platform/Files.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScriptReader script;
    if (!script.Open(WriteInputFile(data, size, ".cgs"))) return 0;
    char token[256], value[256];
    for (int count = 0; script.NextToken(token, sizeof token); ++count)
        if (count % 3 == 2) script.ReadValue(value, sizeof value);
    return 0;
}
