// String tables (data/strings/*.txt), looked up afterwards.
#include "fuzz/FuzzSupport.h"
#include "platform/StringTable.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StringTable table;
    table.Init();
    table.LoadFile(WriteInputFile(data, size, ".txt"));
    table.Lookup("<tip1>");
    table.Lookup("");
    return 0;
}
